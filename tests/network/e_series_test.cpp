#include "network/e_series.h"

#include <gtest/gtest.h>

#include <cmath>

namespace sonvex {
namespace {

struct Case {
  double x;
  ESeries series;
  double expected;
};

TEST(ESeries, RoundsToTheNearestSeriesValue) {
  const Case cases[] = {
      {2.4, ESeries::E6, 2.2},        {2.4, ESeries::E12, 2.2},      {1.3, ESeries::E12, 1.2},
      {1.3, ESeries::E6, 1.5},        {9.6, ESeries::E6, 10},        {9.6, ESeries::E12, 10},
      {1.25, ESeries::E6, 1.0},  // equally near 1.0 and 1.5: the lower stays
      {2.4e-6, ESeries::E12, 2.2e-6}, {4.3e-3, ESeries::E6, 4.7e-3}, {0.056, ESeries::E6, 0.047},
      {0.056, ESeries::E12, 0.056},   {999, ESeries::E12, 1000},     {1000, ESeries::E6, 1000},
      {7.9e4, ESeries::E12, 8.2e4},   {3.0e-9, ESeries::E6, 3.3e-9}, {6.0, ESeries::E12, 5.6},
  };
  for (const Case& c : cases) {
    const double r = RoundToESeries(c.x, c.series);
    EXPECT_NEAR(r, c.expected, 1e-12 * c.expected) << c.x << (c.series == ESeries::E6 ? " E6" : " E12");
  }
}

TEST(ESeries, ValuesBelowTheSmallestMarkerBecomeIt) {
  for (double x : {0.0, -4.7, 1e-101, 9.9e-101}) {
    EXPECT_EQ(RoundToESeries(x, ESeries::E6), 1e-100) << x;
    EXPECT_EQ(RoundToESeries(x, ESeries::E12), 1e-100) << x;
  }
}

TEST(ESeries, SeriesValuesStayInEveryDecade) {
  const double e12[] = {1.0, 1.2, 1.5, 1.8, 2.2, 2.7, 3.3, 3.9, 4.7, 5.6, 6.8, 8.2};
  for (int decade = -9; decade <= 3; ++decade) {
    const double d = std::pow(10.0, decade);
    for (int i = 0; i < 12; ++i) {
      const double x = e12[i] * d;
      EXPECT_NEAR(RoundToESeries(x, ESeries::E12), x, 1e-12 * x) << x;
      // E6 keeps every second E12 value.
      if (i % 2 == 0) {
        EXPECT_NEAR(RoundToESeries(x, ESeries::E6), x, 1e-12 * x) << x;
      }
    }
  }
}

}  // namespace
}  // namespace sonvex
