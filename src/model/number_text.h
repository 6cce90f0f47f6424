// Number and date text conversion used by every edit field, file and export.
//
// These functions never consult the operating system's locale: numbers are
// written with a decimal comma and read with either "." or "," as decimal
// separator. The file formats depend on the exact texts produced here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sonvex {

// Result of ParseFloat: the value in extended precision and the number of
// characters of the text that belong to the number (leading blanks and zeros
// included).
struct ParsedFloat {
  long double value;
  int consumed;
};

struct ParsedInt {
  int32_t value;
  int consumed;
};

// Lenient number reader. Skips leading blanks and "0" characters, accepts an
// optional sign, then one of
//   "$" hexadecimal digits (lower-case a..f only), optional "." or "," fraction;
//   "&" binary digits, optional "." or "," fraction;
//   decimal digits, optional "." or "," fraction, optional "e"/"E" exponent.
// Stops at the first character that does not fit; a text without a number
// gives 0. Never fails, never reads past the text. A decimal value beyond the
// range of long double gives +-infinity; the result is never NaN.
ParsedFloat ParseFloat(std::string_view text);
long double StrToFloatLenient(std::string_view text);

// An extended-precision value as a double; beyond the double range it is
// +-infinity (a plain conversion of such a value is undefined).
double NarrowToDouble(long double v);
// StrToFloatLenient as a double.
inline double StrToDoubleLenient(std::string_view text) { return NarrowToDouble(StrToFloatLenient(text)); }
// The value a record takes for a number read from a field or a file: the
// value as a double, but 0 for a value beyond the double range ("1e999",
// "1E400", a very long "$fff..."), as for a text without a number. One rule
// for edit fields and files (MyIniFile::ReadFloat and ReadFloatArray): a
// record never takes an infinite value, which a file cannot keep. Files
// written before this rule held such a value as "+inf", which read back as 0
// as well.
double DoubleOrZero(long double v);
// A number field's reading for a record: DoubleOrZero of StrToFloatLenient.
double FieldDoubleLenient(std::string_view text);

// Lenient integer reader: skips leading blanks, double quotes and "0"
// characters, an optional sign, then decimal digits. Values beyond the 32-bit
// range saturate at INT32_MIN / INT32_MAX.
ParsedInt ParseInt(std::string_view text);
int32_t StrToIntLenient(std::string_view text);

// Text of at most w characters with a decimal comma, trailing zeros dropped;
// switches to an exponent form ("1,5E-4") when the plain form does not fit.
// When no form fits, "+inf"/"-inf" (or "+0,0"/"-0,0" for small values) is
// returned; those four characters can exceed a width below 4.
// Non-finite input: +-infinity gives "+inf"/"-inf", NaN gives "nan".
// A rounding that carries into one more digit gives the text of the power of
// ten it reached, and near the largest double the digits are rounded toward
// zero where rounding up would give a text beyond the double range
// ("1,7976E308", not "1,7977E308"): a finite value never gives a text that
// reads as infinite, and at the width of the files (10) every finite value's
// text reads back (StrToDoubleLenient) as a value written with the same text.
std::string FormatNumber(double x, int w);

// Same decisions as FormatNumber but the text is exactly w characters long,
// padded with "0" (blanks after "+inf"/"-inf"/"nan").
std::string FormatNumberFixed(double x, int w);

// Four characters with an SI prefix letter in place of the decimal mark
// ("4k70", "470m", "2µ20"; the micro sign is two bytes in UTF-8).
// Negative values give "NEG ", values from 1e15 up "+INF", NaN "NaN ".
std::string FormatSI(double x);

struct Date {
  int year = 1;
  int month = 1;
  int day = 1;
  bool operator==(const Date&) const = default;
};

// Reads day.month.year (any single character separates the fields).
// Two-digit years: below 45 means 20xx, otherwise 19xx. An empty text and any
// text that does not give a valid calendar date give 1.1.0001.
Date ParseDate(std::string_view text);

// "dd.mm.yyyy"
std::string FormatDate(const Date& d);

}  // namespace sonvex
