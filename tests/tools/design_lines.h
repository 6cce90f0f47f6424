#pragma once
// Compares calculator result lines with values worked out by hand: the text
// around the numbers must match exactly, each number within a relative
// tolerance (the lines show three to five significant digits).
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <string>
#include <vector>

#include "model/number_text.h"

namespace sonvex::testing {

struct ExpectedLine {
  std::string skeleton;        // the line with every number replaced by "#"
  std::vector<double> values;  // the numbers in order
};

// Splits a line into its text with "#" for each number and the numbers. A
// number starts with a digit (or a minus sign before one) that does not
// follow a letter or digit, so "L1" and "R2" stay text.
inline ExpectedLine SplitLine(const std::string& line) {
  ExpectedLine out;
  std::size_t i = 0;
  auto isAlnum = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; };
  auto isDigit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
  while (i < line.size()) {
    const bool prevAlnum = i > 0 && isAlnum(line[i - 1]);
    const bool startsNumber =
        !prevAlnum && (isDigit(line[i]) || (line[i] == '-' && i + 1 < line.size() && isDigit(line[i + 1])));
    if (!startsNumber) {
      out.skeleton += line[i++];
      continue;
    }
    std::size_t j = i + 1;
    while (j < line.size() &&
           (isDigit(line[j]) || line[j] == ',' || line[j] == 'E' || (line[j] == '-' && line[j - 1] == 'E')))
      ++j;
    // a comma at the end belongs to the sentence, not to the number
    while (j > i + 1 && line[j - 1] == ',') --j;
    out.values.push_back(static_cast<double>(StrToFloatLenient(line.substr(i, j - i))));
    out.skeleton += '#';
    i = j;
  }
  return out;
}

inline void ExpectLines(const std::vector<std::string>& actual, const std::vector<ExpectedLine>& expected,
                        double relTol = 2e-3) {
  ASSERT_EQ(actual.size(), expected.size()) << ::testing::PrintToString(actual);
  for (std::size_t n = 0; n < actual.size(); ++n) {
    const ExpectedLine got = SplitLine(actual[n]);
    EXPECT_EQ(got.skeleton, expected[n].skeleton) << "line " << n << ": " << actual[n];
    ASSERT_EQ(got.values.size(), expected[n].values.size()) << "line " << n << ": " << actual[n];
    for (std::size_t k = 0; k < got.values.size(); ++k) {
      const double want = expected[n].values[k];
      EXPECT_NEAR(got.values[k], want, std::fabs(want) * relTol + 1e-9) << "line " << n << ": " << actual[n];
    }
  }
}

}  // namespace sonvex::testing
