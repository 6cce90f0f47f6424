#include "model/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace sonvex {

namespace {

constexpr int kMaxSignificant = 18;  // digits of the decimal expansion of a value
constexpr int kMaxWrittenDigits = 12;
// Widths beyond any field or file column; keeps the width arithmetic far from
// integer overflow whatever a caller passes.
constexpr int kMaxWidth = 1024;

// Exponent digits beyond this change nothing (long double ends near 1e4932),
// so "1e99999999999" is read in one pass without overflowing the counter.
constexpr int64_t kExponentClamp = 100000;
// Mantissa digits kept when reading decimals; later digits cannot change the
// extended-precision result except in contrived halfway cases.
constexpr size_t kMaxMantissaDigits = 40;

int ClampConsumed(size_t n) {
  return static_cast<int>(std::min<size_t>(n, static_cast<size_t>(std::numeric_limits<int>::max())));
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Digit value of a hexadecimal character, -1 if none. Upper-case letters are
// not hexadecimal digits for this reader.
int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// |x| rounded to p significant digits: x = 0.D x 10^E, D without trailing
// zeros. The value is first expanded to 18 significant digits and that
// expansion is rounded (next digit >= 5 rounds the magnitude up; with
// `towardZero` the digits beyond p are dropped), so the result depends only
// on those 18 digits.
struct DecimalDigits {
  std::string d;
  int e = 0;
};

DecimalDigits Digits(double x, int p, bool towardZero = false) {
  DecimalDigits r;
  if (x == 0 || !std::isfinite(x)) return r;
  p = std::clamp(p, 1, kMaxSignificant);

  // The long double conversion of a double is exact; glibc prints it
  // correctly rounded, as "d.ddddddddddddddddde+XX".
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*Le", kMaxSignificant - 1, static_cast<long double>(std::fabs(x)));
  std::string all;
  const char* c = buf;
  for (; *c != '\0' && *c != 'e'; ++c) {
    if (IsDigit(*c)) all.push_back(*c);
  }
  int exp10 = 0;
  if (*c == 'e') exp10 = std::atoi(c + 1);
  r.e = exp10 + 1;

  if (static_cast<size_t>(p) < all.size()) {
    const bool up = !towardZero && all[static_cast<size_t>(p)] >= '5';
    all.resize(static_cast<size_t>(p));
    if (up) {
      int i = p - 1;
      while (i >= 0 && all[static_cast<size_t>(i)] == '9') {
        all[static_cast<size_t>(i)] = '0';
        --i;
      }
      if (i < 0) {
        // 9.99.. became 10.0..: one more integer digit.
        all.insert(all.begin(), '1');
        all.pop_back();
        ++r.e;
      } else {
        ++all[static_cast<size_t>(i)];
      }
    }
  }
  while (!all.empty() && all.back() == '0') all.pop_back();
  r.d = std::move(all);
  if (r.d.empty()) r.e = 0;
  return r;
}

void PadTo(std::string& s, int w, char fill) {
  if (static_cast<int>(s.size()) < w) s.append(static_cast<size_t>(w - static_cast<int>(s.size())), fill);
}

int Len(const std::string& s) { return static_cast<int>(s.size()); }

// Shared by FormatNumber and FormatNumberFixed: the decisions are the same,
// only the filling of the text differs.
std::string FormatImpl(double x, int w, bool fixed, int depth) {
  w = std::clamp(w, 0, kMaxWidth);

  if (std::isnan(x)) {
    std::string t = "nan";
    if (fixed) PadTo(t, w, ' ');
    return t;
  }
  const bool neg = x < 0;  // -0.0 is written like 0
  const int s = neg ? 1 : 0;
  const std::string sign = neg ? "-" : "";
  if (std::isinf(x)) {
    std::string t = neg ? "-inf" : "+inf";
    if (fixed) PadTo(t, w, ' ');
    return t;
  }

  const DecimalDigits first = Digits(x, w);
  const int e = first.e;
  // Length of the plain form and its digits.
  const int q = e > 0 ? e + s : 3 - e + s;
  int r;
  if (e > 0) {
    r = w - s;
    if (e < w - s) --r;
  } else {
    r = w - s + e - 2;
  }
  // Length of the shortest exponent form and the digits it can hold.
  const int d = 3 + s + (e > 10) + (e > 100) + (e > 1000) + (e < 1) + (e < -8) + (e < -98) + (e < -998);
  int m = w - d + 1;
  if (m > 1) --m;

  if (w < d && w < q) {
    std::string t;
    if (e < 0) {
      t = neg ? "-0,0" : "+0,0";
      if (fixed) PadTo(t, w, '0');
    } else {
      t = neg ? "-inf" : "+inf";
      if (fixed) PadTo(t, w, ' ');
    }
    return t;
  }

  // Rounding to fewer digits can carry into one more integer digit
  // (-9999.6 at width 5 rounds to -10000) or a longer exponent (9.6E9 at
  // width 3 to 1E10). The form chosen for the unrounded value then no longer
  // holds it; such a value is written as the power of ten it rounded to.
  auto rounded = [&](int carriedE) {
    double p = std::pow(10.0, carriedE - 1);
    return FormatImpl(neg ? -p : p, w, fixed, depth + 1);
  };

  if (w >= q && ((e >= 1 && e <= 6) || (e <= 0 && d + 1 >= q))) {
    const DecimalDigits pd = Digits(x, r);
    const std::string& dd = pd.d;
    const int pe = pd.e;
    const int nd = std::min<int>(Len(dd), kMaxWrittenDigits);
    // A carry into one more digit (999999,9996 to 7 integer digits at width
    // 10) leaves the power of ten that the value rounded to; it is written as
    // that power of ten is, so that the text reads back to a value that is
    // written the same ("1,E6", not "1000000", which would then be written
    // "1,E6").
    if (pe != e && depth == 0) return rounded(pe);

    std::string t = sign;
    if (pe > 0) {
      int written = 0;
      for (int i = 0; i < nd && Len(t) < w; ++i) {
        t.push_back(dd[static_cast<size_t>(i)]);
        ++written;
        if (written == pe && Len(t) < w) t.push_back(',');
      }
      if (fixed) {
        while (Len(t) < w) {
          t.push_back('0');
          ++written;
          if (written == pe && Len(t) < w) t.push_back(',');
        }
      } else {
        while (written < pe && Len(t) < w) {
          t.push_back('0');
          ++written;
        }
      }
    } else {
      t += "0,";
      for (int i = 0; i < -pe && Len(t) < w; ++i) t.push_back('0');
      for (int i = 0; i < nd && Len(t) < w; ++i) t.push_back(dd[static_cast<size_t>(i)]);
      if (fixed) PadTo(t, w, '0');
    }
    if (!fixed && !t.empty() && t.back() == ',') t.pop_back();
    return t;
  }

  // Exponent form.
  auto exponentForm = [&](const DecimalDigits& ed, int& written) {
    const std::string xs = "E" + std::to_string(ed.e - 1);
    const int limit = w - Len(xs);
    const int nd = std::min<int>(Len(ed.d), kMaxWrittenDigits);
    std::string t = sign;
    written = 0;
    for (int i = 0; i < nd && Len(t) < limit; ++i) {
      t.push_back(ed.d[static_cast<size_t>(i)]);
      ++written;
      if (i == 0 && Len(t) < limit) t.push_back(',');
    }
    if (fixed && written > 0) PadTo(t, limit, '0');
    return t + xs;
  };
  DecimalDigits ed = Digits(x, m);
  // As in the plain form: a carry into the next power of ten (9,999997E-4 to
  // 1,E-3) is written as that power of ten is ("0,001").
  if (ed.e != e && depth == 0) return rounded(ed.e);
  int written = 0;
  std::string t = exponentForm(ed, written);
  // Near the largest double, rounding up can give a text beyond the double
  // range (1,7977E308 for 1,79769E308), which would read back as a number
  // too large for a double. Such a value is rounded toward zero instead
  // (1,7976E308): a finite value is never written as a text that reads back
  // beyond the double range.
  if (written > 0 && std::fabs(x) > 1e307 && !std::isfinite(NarrowToDouble(ParseFloat(t).value))) {
    ed = Digits(x, m, true);
    t = exponentForm(ed, written);
  }
  if (written == 0 && depth == 0) return rounded(ed.e);
  return t;
}

}  // namespace

ParsedFloat ParseFloat(std::string_view text) {
  const size_t n = text.size();
  size_t i = 0;
  auto at = [&](size_t k) -> char { return k < n ? text[k] : '\0'; };

  while (i < n && (text[i] == ' ' || text[i] == '0')) ++i;
  bool neg = false;
  if (at(i) == '-' || at(i) == '+') {
    neg = at(i) == '-';
    ++i;
  }

  long double v = 0;
  if (at(i) == '$') {
    ++i;
    for (int h; (h = HexValue(at(i))) >= 0; ++i) v = v * 16 + h;
    if (at(i) == '.' || at(i) == ',') {
      ++i;
      long double weight = 1.0L / 16;
      for (int h; (h = HexValue(at(i))) >= 0; ++i) {
        v += h * weight;
        weight /= 16;
      }
    }
    if (neg) v = -v;
  } else if (at(i) == '&') {
    // A sign in front of a binary number is applied like for the other
    // bases, so "-&101" reads -5 (rather than silently reading +5).
    ++i;
    for (; at(i) == '0' || at(i) == '1'; ++i) v = v * 2 + (at(i) - '0');
    if (at(i) == '.' || at(i) == ',') {
      ++i;
      long double weight = 0.5L;
      for (; at(i) == '0' || at(i) == '1'; ++i) {
        if (at(i) == '1') v += weight;
        weight /= 2;
      }
    }
    if (neg) v = -v;
  } else {
    // Collect the significant digits and a decimal exponent, then convert
    // once, correctly rounded, instead of summing digit weights.
    std::string mant;
    int64_t dexp = 0;
    for (; IsDigit(at(i)); ++i) {
      const char c = at(i);
      if (mant.empty() && c == '0') continue;
      if (mant.size() < kMaxMantissaDigits) {
        mant.push_back(c);
      } else if (dexp < kExponentClamp) {
        ++dexp;
      }
    }
    if (at(i) == '.' || at(i) == ',') {
      ++i;
      for (; IsDigit(at(i)); ++i) {
        const char c = at(i);
        if (mant.empty() && c == '0') {
          if (dexp > -kExponentClamp) --dexp;
        } else if (mant.size() < kMaxMantissaDigits) {
          mant.push_back(c);
          --dexp;
        }
      }
    }
    if (at(i) == 'e' || at(i) == 'E') {
      ++i;
      bool expNeg = false;
      if (at(i) == '-' || at(i) == '+') {
        expNeg = at(i) == '-';
        ++i;
      }
      int64_t ex = 0;
      for (; IsDigit(at(i)); ++i) ex = std::min(ex * 10 + (at(i) - '0'), kExponentClamp);
      dexp += expNeg ? -ex : ex;
    }
    if (!mant.empty()) {
      dexp = std::clamp(dexp, -2 * kExponentClamp, 2 * kExponentClamp);
      const std::string num = mant + "e" + std::to_string(dexp);
      const auto res = std::from_chars(num.data(), num.data() + num.size(), v);
      if (res.ec == std::errc::result_out_of_range) {
        // Magnitude about 10^(digits + exponent): overflow or underflow.
        v = dexp + static_cast<int64_t>(mant.size()) > 0 ? std::numeric_limits<long double>::infinity() : 0.0L;
      } else if (res.ec != std::errc()) {
        v = 0;
      }
    }
    if (neg) v = -v;
  }
  if (v == 0) v = 0;  // "-" or "-0" read as plain 0, never -0
  return {v, ClampConsumed(i)};
}

long double StrToFloatLenient(std::string_view text) { return ParseFloat(text).value; }

ParsedInt ParseInt(std::string_view text) {
  const size_t n = text.size();
  size_t i = 0;
  while (i < n && (text[i] == ' ' || text[i] == '"' || text[i] == '0')) ++i;
  bool neg = false;
  if (i < n && (text[i] == '-' || text[i] == '+')) {
    neg = text[i] == '-';
    ++i;
  }
  // Saturate instead of wrapping around on too many digits.
  constexpr int64_t kLimit = int64_t{1} << 31;
  int64_t v = 0;
  for (; i < n && IsDigit(text[i]); ++i) v = std::min(v * 10 + (text[i] - '0'), kLimit);
  if (neg) v = -v;
  v = std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
  return {static_cast<int32_t>(v), ClampConsumed(i)};
}

int32_t StrToIntLenient(std::string_view text) { return ParseInt(text).value; }

std::string FormatNumber(double x, int w) { return FormatImpl(x, w, false, 0); }

std::string FormatNumberFixed(double x, int w) { return FormatImpl(x, w, true, 0); }

std::string FormatSI(double x) {
  if (std::isnan(x)) return "NaN ";
  if (std::fabs(x) < 1e-15 && x >= 0) return "0.00";
  if (x < 0) return "NEG ";
  if (std::isinf(x)) return "+INF";
  const DecimalDigits dg = Digits(x, 3);
  const int e = dg.e;
  if (e >= 16) return "+INF";
  std::string digits = dg.d;
  digits.resize(5, '0');
  // Prefix per group of three exponents, from 10^-24 up; "#" marks unused slots.
  static const char* const kPrefix[] = {"*", "*", "*", "f", "p", "n", "µ", "m", ".", "k", "M",
                                        "G", "T", "#", "#", "#", "#", "#", "#", "#", "#"};
  // Values from 1e-15 up have e >= -14, so the index is at least 4 ("f");
  // anything smaller was written as "0.00" above. The guard only keeps the
  // table access in bounds.
  const int index = (e + 26) / 3;
  if (index < 1 || index > static_cast<int>(std::size(kPrefix))) return "0.00";
  const int pos = (e + 29) % 3 + 2;  // 2, 3 or 4
  std::string t;
  int next = 0;
  for (int k = 1; k <= 4; ++k) {
    if (k == pos) {
      t += kPrefix[index - 1];
    } else {
      t.push_back(digits[static_cast<size_t>(next++)]);
    }
  }
  return t;
}

namespace {

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

}  // namespace

Date ParseDate(std::string_view text) {
  if (text.empty()) return Date{};
  const size_t n = text.size();
  size_t i = 0;
  auto readNumber = [&]() {
    int v = 0;
    for (; i < n && IsDigit(text[i]); ++i) {
      // Saturates well above any valid field; such a field is invalid.
      if (v < 1000000) v = v * 10 + (text[i] - '0');
    }
    return v;
  };
  auto skipOne = [&]() {
    if (i < n) ++i;
  };
  const int day = readNumber();
  skipOne();
  const int month = readNumber();
  skipOne();
  int year = readNumber();
  if (year < 45) year += 2000;
  if (year < 100) year += 1900;
  // A day or month of 0 (a text without digits there) or any other
  // impossible calendar date reads as 1.1.0001, the same as an empty text:
  // earlier than every real date, so comparisons of publication dates treat
  // it as "unknown, oldest".
  if (month < 1 || month > 12 || year > 9999 || day < 1 || day > DaysInMonth(year, month)) return Date{};
  return Date{year, month, day};
}

std::string FormatDate(const Date& d) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.02d.%.02d.%.04d", d.day, d.month, d.year);
  return buf;
}

double DoubleOrZero(long double v) {
  const double d = NarrowToDouble(v);
  return std::isfinite(d) ? d : 0.0;
}

double FieldDoubleLenient(std::string_view text) { return DoubleOrZero(StrToFloatLenient(text)); }

double NarrowToDouble(long double v) {
  if (v > std::numeric_limits<double>::max()) return std::numeric_limits<double>::infinity();
  if (v < -std::numeric_limits<double>::max()) return -std::numeric_limits<double>::infinity();
  return static_cast<double>(v);
}

}  // namespace sonvex
