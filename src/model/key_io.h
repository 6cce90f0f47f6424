#pragma once
// One key list per record serves both directions: a record's keys are listed
// once, in a function template over the direction, and that list is run with
// a KeyWriter (the record into a file object, in the order of the list) or
// a KeyReader (the file object into the record, a missing key giving the
// default named in the list). A key can therefore not be written without
// being read, or read under another name or default.
//
//   template <class Io, class R> void Keys(Io& io, R& r) {   // R: T or const T
//     io.Float("fs", r.fs, 0);
//     if constexpr (!Io::kWrites) { ... conversions after reading ... }
//   }
#include <algorithm>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <string_view>

#include "model/my_ini_file.h"
#include "model/short_string.h"

namespace sonvex {

// A stored integer clamped into the field it is read into.
template <typename T>
T ClampToField(long long v) {
  return static_cast<T>(std::clamp<long long>(v, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
}

class KeyWriter {
 public:
  static constexpr bool kWrites = true;
  KeyWriter(MyIniFile& ini, std::string_view section) : ini_(ini), section_(section) {}

  void Float(std::string_view key, double v, double /*def*/) { ini_.WriteFloat(section_, key, v); }
  void Bool(std::string_view key, bool v, bool /*def*/) { ini_.WriteBool(section_, key, v); }
  template <typename T>
  void Int(std::string_view key, T v, std::int32_t /*def*/) {
    ini_.WriteInteger(section_, key, static_cast<std::int32_t>(v));
  }
  void Text(std::string_view key, std::string_view v, std::string_view /*def*/) { ini_.WriteString(section_, key, v); }
  template <std::size_t N>
  void Text(std::string_view key, const ShortString<N>& v, std::string_view def) {
    Text(key, v.View(), def);
  }
  // The first `count` elements.
  void IntArray(std::string_view key, std::span<const std::int32_t> v, std::span<const std::int32_t> /*def*/,
                int count) {
    ini_.WriteIntegerArray(section_, key, v, 0, count);
  }

  MyIniFile& Ini() { return ini_; }
  std::string_view Section() const { return section_; }

 private:
  MyIniFile& ini_;
  std::string_view section_;
};

class KeyReader {
 public:
  static constexpr bool kWrites = false;
  // A section the file does not hold gives every key its default without a
  // search (a project names 186 part slots for each of six amplifiers).
  KeyReader(const MyIniFile& ini, std::string_view section)
      : ini_(ini), section_(section), present_(ini.SectionExists(section)) {}

  void Float(std::string_view key, double& v, double def) { v = present_ ? ini_.ReadFloat(section_, key, def) : def; }
  void Bool(std::string_view key, bool& v, bool def) { v = present_ ? ini_.ReadBool(section_, key, def) : def; }
  template <typename T>
  void Int(std::string_view key, T& v, std::int32_t def) {
    v = ClampToField<T>(present_ ? ini_.ReadInteger(section_, key, def) : def);
  }
  void Text(std::string_view key, std::string& v, std::string_view def) {
    v = present_ ? ini_.ReadString(section_, key, def) : std::string(def);
  }
  template <std::size_t N>
  void Text(std::string_view key, ShortString<N>& v, std::string_view def) {
    if (present_)
      v = ini_.ReadString(section_, key, def);
    else
      v = def;
  }
  // Starts from `def` and replaces the stored elements (at most `count`).
  void IntArray(std::string_view key, std::span<std::int32_t> v, std::span<const std::int32_t> def, int count) {
    std::copy(def.begin(), def.end(), v.begin());
    if (present_) ini_.ReadIntegerArray(section_, key, v, 0, count);
  }

  const MyIniFile& Ini() const { return ini_; }
  std::string_view Section() const { return section_; }

 private:
  const MyIniFile& ini_;
  std::string_view section_;
  bool present_;
};

}  // namespace sonvex
