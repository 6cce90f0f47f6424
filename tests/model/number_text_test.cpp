#include "model/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace sonvex {
namespace {

constexpr long double kInf = std::numeric_limits<long double>::infinity();

// ---------------------------------------------------------------- parsing

struct FloatCase {
  std::string text;
  long double value;
  int consumed;
};

TEST(ParseFloatTest, ReadsLenientNumbers) {
  const std::vector<FloatCase> cases = {
      {"2,83V", 2.83L, 4},
      {"1.000,5", 1.0L, 5},  // no thousands separator: stops at the second separator
      {"1,5E-3", 0.0015L, 6},
      {"0x10", 0.0L, 1},
      {"$ff", 255.0L, 3},
      {"$FF", 0.0L, 1},  // upper-case letters are no hexadecimal digits
      {"", 0.0L, 0},
      {"abc", 0.0L, 0},
      {"-", 0.0L, 1},
      {"  0012.5 Hz", 12.5L, 8},
      {"0 0 7", 7.0L, 5},  // blanks and zeros are skipped in any mix
      {"-0,5", -0.5L, 4},
      {"+7", 7.0L, 2},
      {".25", 0.25L, 3},
      {"0,000125", 0.000125L, 8},
      {"1E+2x", 100.0L, 4},
      {"1e", 1.0L, 2},
      {"12345678901234567890123", 12345678901234567890123.0L, 23},
      {"$1.8", 1.5L, 4},
      {"$a,c", 10.75L, 4},
      {"-$10", -16.0L, 4},
      {"&101", 5.0L, 4},
      {"&1,01", 1.25L, 5},
      {"&102", 2.0L, 3},
      {"-&101", -5.0L, 5},  // the sign applies to binary numbers too
      {"1e-99999", 0.0L, 8},
      {"0e99999", 0.0L, 7},
      {"1e99999", kInf, 7},
      {"-1,5e99999999999999999999", -kInf, 25},
      {"$", 0.0L, 1},
      {"1;2", 1.0L, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("text \"" + c.text + "\"");
    const ParsedFloat r = ParseFloat(c.text);
    EXPECT_EQ(r.value, c.value);
    EXPECT_EQ(r.consumed, c.consumed);
    EXPECT_EQ(StrToFloatLenient(c.text), c.value);
  }
  EXPECT_FALSE(std::signbit(ParseFloat("-").value));
}

TEST(ParseFloatTest, LongDigitRunsKeepTheirMagnitude) {
  // 1 followed by 5000 zeros, scaled back by the exponent.
  const std::string big = "1" + std::string(5000, '0') + "e-5000";
  EXPECT_EQ(ParseFloat(big).value, 1.0L);
  EXPECT_EQ(ParseFloat(big).consumed, static_cast<int>(big.size()));
  const std::string small = "0," + std::string(5000, '0') + "1e5001";
  EXPECT_EQ(ParseFloat(small).value, 1.0L);
  const std::string overflow(6000, '9');
  EXPECT_EQ(ParseFloat(overflow).value, kInf);
}

struct IntCase {
  std::string text;
  int32_t value;
  int consumed;
};

TEST(ParseIntTest, ReadsLenientIntegers) {
  const std::vector<IntCase> cases = {
      {"0042", 42, 4},
      {"-17x", -17, 3},
      {"\"12\"", 12, 3},
      {"  -3", -3, 4},
      {"+5", 5, 2},
      {"", 0, 0},
      {"abc", 0, 0},
      {"-", 0, 1},
      {"1,5", 1, 1},
      {"2147483647", std::numeric_limits<int32_t>::max(), 10},
      {"-2147483648", std::numeric_limits<int32_t>::min(), 11},
      {"99999999999999999999", std::numeric_limits<int32_t>::max(), 20},  // saturates
      {"-99999999999", std::numeric_limits<int32_t>::min(), 12},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("text \"" + c.text + "\"");
    const ParsedInt r = ParseInt(c.text);
    EXPECT_EQ(r.value, c.value);
    EXPECT_EQ(r.consumed, c.consumed);
    EXPECT_EQ(StrToIntLenient(c.text), c.value);
  }
}

// Readers of outside input: any bytes, no reading past the end, and the
// consumed prefix alone gives the same value.
TEST(ParseRobustnessTest, ArbitraryBytes) {
  std::mt19937 rng(12345);
  const std::string alphabet = "0123456789$&.,eE+- \"abfFx;\t\xC2\xB5\xFF";
  std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
  std::uniform_int_distribution<int> len(0, 24);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int k = 0; k < 20000; ++k) {
    std::string text;
    const int n = len(rng);
    for (int i = 0; i < n; ++i) {
      text.push_back(k % 4 == 0 ? static_cast<char>(byte(rng)) : alphabet[pick(rng)]);
    }
    // A copy without spare capacity, so the sanitizer sees any overread.
    const std::vector<char> exact(text.begin(), text.end());
    const std::string_view view(exact.data(), exact.size());

    const ParsedFloat f = ParseFloat(view);
    ASSERT_FALSE(std::isnan(f.value)) << text;
    ASSERT_GE(f.consumed, 0);
    ASSERT_LE(f.consumed, n);
    ASSERT_EQ(ParseFloat(view.substr(0, static_cast<size_t>(f.consumed))).value, f.value) << text;

    const ParsedInt i = ParseInt(view);
    ASSERT_GE(i.consumed, 0);
    ASSERT_LE(i.consumed, n);
    ASSERT_EQ(ParseInt(view.substr(0, static_cast<size_t>(i.consumed))).value, i.value) << text;

    const Date d = ParseDate(view);
    ASSERT_TRUE(d.month >= 1 && d.month <= 12 && d.day >= 1 && d.day <= 31 && d.year >= 1 && d.year <= 9999);
  }
}

// ---------------------------------------------------------------- FormatNumber

struct FormatCase {
  double x;
  int w;
  std::string text;
};

TEST(FormatNumberTest, WritesPlainAndExponentForms) {
  const std::vector<FormatCase> cases = {
      {28.5, 10, "28,5"},
      {0.0, 10, "0"},
      {-0.0, 10, "0"},
      {100.0, 10, "100"},
      {0.0045, 10, "0,0045"},
      {0.00045, 10, "4,5E-4"},
      {1234567.0, 10, "1,234567E6"},
      {10000000.0, 10, "1,E7"},
      {-0.5, 10, "-0,5"},
      {21.54435, 6, "21,544"},
      {987.654321, 6, "987,65"},
      {0.001, 10, "0,001"},
      {0.000001, 10, "1,E-6"},
      {20000.0, 10, "20000"},
      {2.0 / 3.0, 10, "0,66666667"},
      {1e-30, 10, "1,E-30"},
      {1.2345678e-30, 10, "1,2346E-30"},
      {-1.2345678e30, 10, "-1,2346E30"},
      {6.02214076e23, 10, "6,02214E23"},
      {1e300, 10, "1,E300"},
      // negative numbers
      {-28.5, 10, "-28,5"},
      {-1234567.0, 10, "-1,23457E6"},
      {-0.00045, 10, "-4,5E-4"},
      {-12.5, 4, "-13"},
      // too small or too large for the width
      {0.5, 2, "+inf"},
      {-0.5, 3, "-inf"},
      {1e-5, 3, "+0,0"},
      {-1e-5, 4, "-0,0"},
      {1e-200, 5, "+0,0"},
      {1e12, 3, "+inf"},
      {1e-5, 4, "1E-5"},
      {1e7, 3, "1E7"},
      {5.0, 2, "5"},
      // carries of the rounding
      {9.9999, 4, "10"},
      {9.9996, 5, "10"},
      {9.99, 3, "10"},
      // a carry into a seventh integer digit gives the text of 1e6, so that
      // the text reads back as a value written the same
      {999999.9996, 10, "1,E6"},
      {0.0099999999, 6, "0,01"},
      {99999.96, 5, "1,E5"},
      {-9999.6, 5, "-1,E4"},  // not "-1000"
      {9.6e9, 3, "+inf"},     // not "E10"
      {9.6e9, 4, "1E10"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("x " + std::to_string(c.x) + " w " + std::to_string(c.w));
    EXPECT_EQ(FormatNumber(c.x, c.w), c.text);
  }
}

TEST(FormatNumberTest, NonFiniteValues) {
  EXPECT_EQ(FormatNumber(std::numeric_limits<double>::infinity(), 10), "+inf");
  EXPECT_EQ(FormatNumber(-std::numeric_limits<double>::infinity(), 10), "-inf");
  EXPECT_EQ(FormatNumber(std::nan(""), 10), "nan");
  EXPECT_EQ(FormatNumberFixed(std::numeric_limits<double>::infinity(), 6), "+inf  ");
  EXPECT_EQ(FormatNumberFixed(std::nan(""), 5), "nan  ");
  EXPECT_EQ(FormatSI(std::nan("")), "NaN ");
  EXPECT_EQ(FormatSI(std::numeric_limits<double>::infinity()), "+INF");
  EXPECT_EQ(FormatSI(-std::numeric_limits<double>::infinity()), "NEG ");
}

bool IsMarker(const std::string& t) { return t == "+inf" || t == "-inf" || t == "+0,0" || t == "-0,0"; }

// Significant digits shown in a formatted number (mantissa only).
int SignificantDigits(const std::string& t) {
  int n = 0;
  bool started = false;
  for (char c : t) {
    if (c == 'E') break;
    if (c < '0' || c > '9') continue;
    if (c != '0') started = true;
    if (started) ++n;
  }
  return n;
}

// Values over the whole double range with awkward mantissas (9.99.., 0.5
// boundaries, exact powers of ten), both signs.
std::vector<double> SampleValues(uint32_t seed, int count, int minExp, int maxExp) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> mant(1.0, 10.0);
  std::uniform_int_distribution<int> ex(minExp, maxExp);
  std::uniform_int_distribution<int> kind(0, 5);
  std::vector<double> v;
  for (int k = 0; k < count; ++k) {
    double m = mant(rng);
    switch (kind(rng)) {
      case 0:  // 9.999.., rounds up to the next power of ten at most widths
        m = 10.0 - (10.0 - m) * 1e-5;
        break;
      case 1:
        m = 1.0;
        break;
      case 2:  // halfway-looking x.xx5
        m = std::round(m * 100.0) / 100.0 + 0.005;
        break;
      default:
        break;
    }
    double x = m * std::pow(10.0, ex(rng));
    if (k % 2 == 1) x = -x;
    v.push_back(x);
  }
  return v;
}

// The written text reads back as the value rounded to the digits shown.
void ExpectReadsBack(double x, const std::string& t) {
  const double y = static_cast<double>(ParseFloat(t).value);
  const int n = SignificantDigits(t);
  ASSERT_GT(n, 0) << x << " -> " << t;
  const double tol = 0.5 * std::pow(10.0, 1 - n) * std::fabs(y) * (1 + 1e-12);
  ASSERT_LE(std::fabs(y - x), tol) << x << " -> " << t;
}

TEST(FormatNumberTest, NeverExceedsWidthAndStaysTrue) {
  auto values = SampleValues(7, 6000, -40, 40);
  for (double x : SampleValues(8, 1000, -320, 305)) values.push_back(x);
  for (int e = -12; e <= 12; ++e) {
    values.push_back(std::pow(10.0, e));
    values.push_back(-std::pow(10.0, e));
  }
  for (double x : values) {
    for (int w = 2; w <= 12; ++w) {
      const std::string t = FormatNumber(x, w);
      if (IsMarker(t)) continue;  // four characters, may exceed a width below 4
      ASSERT_LE(static_cast<int>(t.size()), w) << x << " w " << w << " -> " << t;
      ASSERT_NE(t.back(), ',') << x;
      ExpectReadsBack(x, t);
    }
  }
}

// The width of project and chassis files: what is written reads back to the
// precision ten characters allow (at least four significant digits).
TEST(FormatNumberTest, FileWidthRoundTrip) {
  std::mt19937 rng(2024);
  std::uniform_real_distribution<double> logMag(-30.0, 30.0);
  for (int k = 0; k < 20000; ++k) {
    double x = std::pow(10.0, logMag(rng));
    if (k % 2) x = -x;
    const std::string t = FormatNumber(x, 10);
    ASSERT_FALSE(IsMarker(t)) << x;
    ASSERT_LE(t.size(), 10u);
    const long double y = ParseFloat(t).value;
    ASSERT_EQ(ParseFloat(t).consumed, static_cast<int>(t.size())) << t;
    ASSERT_LE(std::fabs(static_cast<double>(y) - x), 0.5e-3 * std::fabs(x)) << x << " -> " << t;
    ExpectReadsBack(x, t);
  }
}

// ---------------------------------------------------------------- FormatNumberFixed

TEST(FormatNumberFixedTest, PadsToTheWidth) {
  const std::vector<FormatCase> cases = {
      {12.5, 6, "12,500"},
      {100.0, 5, "100,0"},
      {123.0, 4, "123,"},
      {0.0, 4, "0,00"},
      {0.0045, 8, "0,004500"},
      {0.00045, 10, "4,50000E-4"},
      {10000000.0, 10, "1,000000E7"},
      {1e-5, 6, "1,0E-5"},
      {-12.5, 6, "-12,50"},
      {4.7, 4, "4,70"},
      {1e-200, 5, "+0,00"},
      {-1e200, 5, "-inf "},
      {1e-5, 3, "+0,0"},  // the marker is not cut
      {9.9999, 4, "10,0"},
      {-9999.6, 5, "-1,E4"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("x " + std::to_string(c.x) + " w " + std::to_string(c.w));
    EXPECT_EQ(FormatNumberFixed(c.x, c.w), c.text);
  }
}

TEST(FormatNumberFixedTest, AlwaysExactlyTheWidth) {
  for (double x : SampleValues(11, 3000, -40, 40)) {
    for (int w = 4; w <= 12; ++w) {
      const std::string t = FormatNumberFixed(x, w);
      ASSERT_EQ(static_cast<int>(t.size()), w) << x << " -> " << t;
      if (!IsMarker(t.substr(0, 4))) ExpectReadsBack(x, t);
    }
  }
}

// ---------------------------------------------------------------- FormatSI

TEST(FormatSITest, PlacesThePrefixLetter) {
  const std::vector<std::pair<double, std::string>> cases = {
      {4.7, "4.70"},
      {47.0, "47.0"},
      {470.0, "470."},
      {4700.0, "4k70"},
      {0.47, "470m"},
      {0.0047, "4m70"},
      {4.7e-7, "470n"},
      {2.2e-6,
       "2\xC2\xB5"
       "20"},
      {1e-15, "1f00"},
      {-1.0, "NEG "},
      {-1e-20, "NEG "},
      {0.0, "0.00"},
      {-0.0, "0.00"},
      {5e-16, "0.00"},
      {1.0, "1.00"},
      {999.6, "1k00"},
      {1e12, "1T00"},
      {9.99e14, "999T"},
      {9.996e14, "+INF"},
      {1e15, "+INF"},
      {3.3e-12, "3p30"},
      {1.5e6, "1M50"},
      {22e9, "22G0"},
  };
  for (const auto& [x, text] : cases) {
    SCOPED_TRACE("x " + std::to_string(x));
    EXPECT_EQ(FormatSI(x), text);
  }
}

// Reading the label back gives the value to three digits.
TEST(FormatSITest, LabelsReadBack) {
  const std::vector<std::pair<std::string, int>> prefixes = {
      {"f", -15}, {"p", -12}, {"n", -9}, {"\xC2\xB5", -6}, {"m", -3}, {".", 0}, {"k", 3}, {"M", 6}, {"G", 9}, {"T", 12},
  };
  std::mt19937 rng(99);
  std::uniform_real_distribution<double> logMag(-15.0, 14.99);
  for (int k = 0; k < 5000; ++k) {
    const double x = std::pow(10.0, logMag(rng));
    const std::string t = FormatSI(x);
    bool found = false;
    for (const auto& [p, e] : prefixes) {
      const size_t at = t.find(p);
      if (at == std::string::npos || at == 0) continue;
      found = true;
      const std::string before = t.substr(0, at);
      const std::string after = t.substr(at + p.size());
      ASSERT_EQ(before.size() + after.size(), 3u) << t;
      const double y = std::stod(before + "." + after + "e" + std::to_string(e));
      ASSERT_LE(std::fabs(y - x), 0.005 * y * (1 + 1e-12)) << x << " -> " << t;
    }
    ASSERT_TRUE(found) << x << " -> " << t;
  }
}

// ---------------------------------------------------------------- dates

TEST(DateTest, ParsesDayMonthYear) {
  const std::vector<std::pair<std::string, Date>> cases = {
      {"1.2.44", {2044, 2, 1}},
      {"1.2.45", {1945, 2, 1}},
      {"01.01.2000", {2000, 1, 1}},
      {"31.12.99", {1999, 12, 31}},
      {"29.02.2000", {2000, 2, 29}},
      {"7/3/2011", {2011, 3, 7}},
      {"1.2.", {2000, 2, 1}},
      {"01.01.0001", {2001, 1, 1}},  // the two-digit rule looks at the value only
      {"", {1, 1, 1}},
      // no valid date: the earliest date, like an empty text
      {"0.1.2000", {1, 1, 1}},
      {"1.0.2000", {1, 1, 1}},
      {"abc", {1, 1, 1}},
      {"15", {1, 1, 1}},
      {"29.02.2001", {1, 1, 1}},
      {"1.13.2000", {1, 1, 1}},
      {"1.1.99999999999", {1, 1, 1}},
      {"99999999999.1.1", {1, 1, 1}},
  };
  for (const auto& [text, date] : cases) {
    SCOPED_TRACE("text \"" + text + "\"");
    EXPECT_EQ(ParseDate(text), date);
  }
}

TEST(DateTest, FormatsAndReadsBack) {
  EXPECT_EQ(FormatDate(Date{2000, 1, 1}), "01.01.2000");
  EXPECT_EQ(FormatDate(Date{2044, 2, 1}), "01.02.2044");
  EXPECT_EQ(FormatDate(Date{}), "01.01.0001");
  EXPECT_EQ(FormatDate(Date{5, 3, 17}), "17.03.0005");
  for (const Date d : {Date{2000, 1, 1}, Date{1999, 12, 31}, Date{2024, 2, 29}, Date{1945, 6, 30}}) {
    EXPECT_EQ(ParseDate(FormatDate(d)), d);
  }
}

// Files write numbers at width 10 and read them back: every value a load can
// produce must be written with a text that reads back as a value written with
// the same text, or saving a loaded file would change it again and again.
TEST(FormatNumberTest, FileTextReadsBackAsAValueWrittenTheSame) {
  constexpr double kMax = std::numeric_limits<double>::max();
  std::vector<double> values = {
      kMax,
      -kMax,
      std::nextafter(kMax, 0.0),
      1.79765e308,  // rounds up to 1,7977E308 at five digits, beyond the double range
      1.7976e308,
      9.9999999e307,
      999999.9996,  // carries into a seventh integer digit
      -999999.9996,
      0.00099999971807,  // carries into the next power of ten, which is written plain
      std::numeric_limits<double>::denorm_min(),
      std::numeric_limits<double>::min(),
      1e-321,
  };
  for (double x : SampleValues(31, 20000, -320, 307)) values.push_back(x);
  std::mt19937_64 rng(5);
  for (int k = 0; k < 20000; ++k) {
    const std::uint64_t bits = rng();
    double x;
    std::memcpy(&x, &bits, sizeof x);
    if (std::isfinite(x)) values.push_back(x);
  }
  for (double x : values) {
    const std::string t = FormatNumber(x, 10);
    const long double read = ParseFloat(t).value;
    ASSERT_TRUE(std::isfinite(NarrowToDouble(read))) << x << " -> " << t;
    ASSERT_EQ(FormatNumber(DoubleOrZero(read), 10), t) << x << " -> " << t;
  }
}

TEST(FormatNumberTest, TheLargestDoubleIsRoundedTowardZero) {
  constexpr double kMax = std::numeric_limits<double>::max();
  EXPECT_EQ(FormatNumber(kMax, 10), "1,7976E308");  // not 1,7977E308, beyond the double range
  EXPECT_EQ(FormatNumber(-kMax, 10), "-1,797E308");
  EXPECT_EQ(FormatNumber(kMax, 7), "1,7E308");
  EXPECT_EQ(FormatNumber(kMax, 5), "1E308");
  EXPECT_EQ(FormatNumberFixed(kMax, 10), "1,7976E308");
  EXPECT_EQ(FormatNumber(1.7975e308, 10), "1,7975E308");  // far enough below: rounded as always
  EXPECT_EQ(FormatNumber(9.99996e307, 10), "1,E308");
}

TEST(NumberText, BeyondTheDoubleRangeReadsAsZeroForRecords) {
  EXPECT_EQ(DoubleOrZero(1e4000L), 0.0);
  EXPECT_EQ(DoubleOrZero(-1e4000L), 0.0);
  EXPECT_EQ(DoubleOrZero(kInf), 0.0);
  EXPECT_EQ(DoubleOrZero(2.5L), 2.5);
  EXPECT_EQ(DoubleOrZero(static_cast<long double>(std::numeric_limits<double>::max())),
            std::numeric_limits<double>::max());
  EXPECT_EQ(FieldDoubleLenient("1E400"), 0.0);
  EXPECT_EQ(FieldDoubleLenient("-1e999"), 0.0);
  EXPECT_EQ(FieldDoubleLenient("$" + std::string(5000, 'f')), 0.0);
  EXPECT_EQ(FieldDoubleLenient("1,7976E308"), 1.7976e308);
}

TEST(NumberText, NarrowingToDoubleSaturatesToInfinity) {
  EXPECT_EQ(NarrowToDouble(1e4000L), std::numeric_limits<double>::infinity());
  EXPECT_EQ(NarrowToDouble(-1e4000L), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(NarrowToDouble(2.5L), 2.5);
  EXPECT_EQ(StrToDoubleLenient("1e400"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(StrToDoubleLenient("2,83V"), 2.83);
}

}  // namespace
}  // namespace sonvex
