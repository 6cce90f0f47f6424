#pragma once
// Bounded text of a record: at most N characters (Unicode code points, UTF-8
// encoded), held inline so that records stay plain values. A longer text is
// cut on assignment, never inside a UTF-8 sequence.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace sonvex {

// Number of bytes of the longest prefix of `text` that holds at most
// `maxChars` code points and at most `maxBytes` bytes, ending on a code-point
// boundary. A code point starts at every byte that is not a continuation byte
// (10xxxxxx), so malformed input is cut safely as well.
inline std::size_t Utf8PrefixBytes(std::string_view text, std::size_t maxChars, std::size_t maxBytes) {
  std::size_t chars = 0;
  std::size_t cut = 0;  // byte offset of the last accepted boundary
  for (std::size_t i = 0; i <= text.size(); ++i) {
    const bool boundary = i == 0 || i == text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
    if (!boundary) continue;
    if (i > maxBytes) break;
    cut = i;
    if (i == text.size() || chars == maxChars) break;
    ++chars;
  }
  return cut;
}

// Number of code points in a UTF-8 text.
inline std::size_t Utf8Length(std::string_view text) {
  std::size_t n = 0;
  for (char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

template <std::size_t N>
class ShortString {
 public:
  static constexpr std::size_t kMaxChars = N;
  static constexpr std::size_t kCapacity = 4 * N;  // bytes: four per code point at most

  ShortString() = default;
  ShortString(std::string_view text) { Assign(text); }    // NOLINT: implicit on purpose, cuts like assignment
  ShortString(const char* text) { Assign(text); }         // NOLINT
  ShortString(const std::string& text) { Assign(text); }  // NOLINT

  ShortString& operator=(std::string_view text) {
    Assign(text);
    return *this;
  }
  ShortString& operator=(const char* text) {
    Assign(text);
    return *this;
  }
  ShortString& operator=(const std::string& text) {
    Assign(text);
    return *this;
  }

  void Assign(std::string_view text) {
    len_ = static_cast<std::uint16_t>(Utf8PrefixBytes(text, N, kCapacity));
    if (len_ > 0) std::memcpy(data_, text.data(), len_);
    std::memset(data_ + len_, 0, kCapacity - len_);  // keeps copies and byte views deterministic
  }
  void Clear() { Assign(std::string_view{}); }

  std::string_view View() const { return {data_, len_}; }
  std::string Str() const { return std::string(View()); }
  operator std::string_view() const { return View(); }  // NOLINT
  bool Empty() const { return len_ == 0; }
  std::size_t Bytes() const { return len_; }
  std::size_t Length() const { return Utf8Length(View()); }

  friend bool operator==(const ShortString& a, const ShortString& b) { return a.View() == b.View(); }
  friend bool operator==(const ShortString& a, std::string_view b) { return a.View() == b; }
  friend bool operator==(const ShortString& a, const char* b) { return a.View() == std::string_view(b); }
  friend bool operator==(const ShortString& a, const std::string& b) { return a.View() == b; }

 private:
  std::uint16_t len_ = 0;
  char data_[kCapacity] = {};
};

}  // namespace sonvex
