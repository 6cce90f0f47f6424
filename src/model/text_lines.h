#pragma once
// Line-by-line reading of outside text files (measurement files, parts
// lists): line ends CR, LF or CR LF, the last line needs none, and each line
// is cut to a maximum length so that no input can make a reader hold an
// unbounded line in memory.
#include <cstddef>
#include <istream>
#include <streambuf>
#include <string>
#include <string_view>

namespace sonvex {

// Calls onLine(std::string_view) for every line of `text`; stops early when
// onLine returns false.
template <class OnLine>
void ForEachTextLine(std::string_view text, std::size_t maxLength, OnLine&& onLine) {
  std::size_t pos = 0;
  const std::size_t n = text.size();
  while (pos < n) {
    std::size_t end = pos;
    while (end < n && text[end] != '\r' && text[end] != '\n') ++end;
    std::string_view line = text.substr(pos, end - pos);
    if (line.size() > maxLength) line = line.substr(0, maxLength);
    if (end < n && text[end] == '\r' && end + 1 < n && text[end + 1] == '\n') ++end;
    pos = end + 1;
    if (!onLine(line)) return;
  }
}

// The same for a stream, read through its buffer one character at a time.
template <class OnLine>
void ForEachTextLine(std::istream& in, std::size_t maxLength, OnLine&& onLine) {
  std::streambuf* buf = in.rdbuf();
  if (buf == nullptr) return;
  using Traits = std::char_traits<char>;
  std::string line;
  bool pending = false;  // characters (or a line end) seen since the last reported line
  bool afterCr = false;
  for (;;) {
    const Traits::int_type c = buf->sbumpc();
    if (Traits::eq_int_type(c, Traits::eof())) break;
    const char ch = Traits::to_char_type(c);
    if (ch == '\n' && afterCr) {  // the LF of a CR LF pair
      afterCr = false;
      continue;
    }
    afterCr = ch == '\r';
    if (ch == '\r' || ch == '\n') {
      if (!onLine(std::string_view(line))) return;
      line.clear();
      pending = false;
      continue;
    }
    pending = true;
    if (line.size() < maxLength) line.push_back(ch);
  }
  if (pending) onLine(std::string_view(line));
}

}  // namespace sonvex
