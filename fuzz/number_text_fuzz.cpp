// Feeds arbitrary bytes to the lenient number and date parsers, and the
// parsed values back to the formatters; at the width of the files, the text
// of a value must read back as a value written with the same text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/number_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto f = sonvex::ParseFloat(text);
  if (f.consumed < 0 || static_cast<std::size_t>(f.consumed) > size) __builtin_trap();
  const auto i = sonvex::ParseInt(text);
  if (i.consumed < 0 || static_cast<std::size_t>(i.consumed) > size) __builtin_trap();
  const double x = static_cast<double>(f.value);
  for (int w = 1; w <= 14; ++w) {
    if (sonvex::FormatNumber(x, w).size() > static_cast<std::size_t>(w < 4 ? 4 : w)) __builtin_trap();
    if (sonvex::FormatNumberFixed(x, w).size() < static_cast<std::size_t>(w)) __builtin_trap();
  }
  // The file width: a finite value's text reads back as a value written with
  // the same text (what saving a loaded file relies on).
  const double y = sonvex::DoubleOrZero(f.value);
  const std::string t = sonvex::FormatNumber(y, 10);
  const long double back = sonvex::ParseFloat(t).value;
  if (sonvex::DoubleOrZero(back) != sonvex::NarrowToDouble(back)) __builtin_trap();  // beyond the double range
  if (sonvex::FormatNumber(sonvex::DoubleOrZero(back), 10) != t) __builtin_trap();
  (void)sonvex::FormatSI(x);
  (void)sonvex::FormatDate(sonvex::ParseDate(text));
  return 0;
}
