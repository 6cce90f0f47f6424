#include "model/freq_grid.h"

#include <gtest/gtest.h>

#include <cmath>

namespace sonvex {
namespace {

TEST(FreqGrid, LogarithmicPointsEndedByZero) {
  auto p = MakeNewProject();
  p->fMin = 20;
  p->fMax = 20000;
  p->gridPoints = 84;
  p->freq[300] = 123;  // beyond the end: left alone
  BuildFreqGrid(*p);
  EXPECT_EQ(p->freq[0], 20);
  EXPECT_NEAR(p->freq[83], 20000, 1e-9);
  EXPECT_EQ(p->freq[84], 0);
  EXPECT_EQ(p->freq[300], 123);
  const double ratio = std::pow(1000.0, 1.0 / 83.0);
  for (int i = 1; i < 84; ++i) EXPECT_NEAR(p->freq[i] / p->freq[i - 1], ratio, 1e-12) << i;
}

TEST(FreqGrid, DialogEntries) {
  struct Case {
    GridDialogInput in;
    double fMin, fMax;
    int sz;
  };
  const Case cases[] = {
      {{20, 20000, 84}, 20, 20000, 84},    {{20000, 20, 84}, 20, 20000, 84},  // reversed bounds swapped
      {{500, 500, 100}, 20, 20000, 100},                                      // equal bounds: full range
      {{20, 20000, 5000}, 20, 20000, 599},                                    // too many points
      {{20, 20000, 3}, 20, 20000, 10},                                        // too few points
      {{20, 20000, -7}, 20, 20000, 10},    {{10, 40000, 599}, 10, 40000, 599},
      {{0, 20000, 100}, 20, 20000, 100},  // no logarithmic grid from 0 Hz
      {{-50, 1000, 100}, 20, 20000, 100},  {{NAN, 1000, 100}, 20, 20000, 100},
  };
  for (const Case& c : cases) {
    const GridSettings g = GridSettingsFromInput(c.in);
    EXPECT_EQ(g.fMin, c.fMin) << c.in.fMin << ".." << c.in.fMax;
    EXPECT_EQ(g.fMax, c.fMax) << c.in.fMin << ".." << c.in.fMax;
    EXPECT_EQ(g.gridPoints, c.sz);
    EXPECT_DOUBLE_EQ(g.smoothing, 7 * std::log10(c.fMax / c.fMin) / c.sz);
  }
}

TEST(FreqGrid, ReversedEntryGivesTheSameGrid) {
  auto a = MakeNewProject();
  auto b = MakeNewProject();
  ApplyGridSettings(*a, GridSettingsFromInput({20, 20000, 250}));
  ApplyGridSettings(*b, GridSettingsFromInput({20000, 20, 250}));
  EXPECT_EQ(a->freq, b->freq);
  EXPECT_EQ(a->gridPoints, 250);
  EXPECT_EQ(a->freq[250], 0);
  EXPECT_DOUBLE_EQ(a->smoothingAmplitude, 7 * 3.0 / 250);
  EXPECT_EQ(a->smoothingAmplitude, a->smoothingImpedance);
}

TEST(FreqGrid, LargestGridKeepsItsTerminatingZero) {
  auto p = MakeNewProject();
  ApplyGridSettings(*p, GridSettingsFromInput({1, 100000, 100000}));
  EXPECT_EQ(p->gridPoints, 599);
  EXPECT_NEAR(p->freq[598], 100000, 1e-6);
  EXPECT_EQ(p->freq[599], 0);
  for (int i = 1; i < 599; ++i) EXPECT_GT(p->freq[i], p->freq[i - 1]);
}

}  // namespace
}  // namespace sonvex
