// Layout and tick rules of the charts, checked without painting.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "charts/chart_layout.h"

namespace sonvex {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

void ExpectValues(const std::vector<double>& actual, const std::vector<double>& expected) {
  ASSERT_EQ(actual.size(), expected.size()) << ::testing::PrintToString(actual);
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_NEAR(actual[i], expected[i], 1e-9 * std::fabs(expected[i])) << "index " << i;
  }
}

// ---------------------------------------------------------------- tick table

TEST(NiceTable, SequencesRunFrom1e20InDecadeCycles) {
  const NiceValueTable& t = NiceTable();
  const std::vector<std::vector<double>> decadeOfOne = {
      {1}, {1, 3}, {1, 2, 5}, {1, 1.6, 2.5, 4, 6}, {1, 1.25, 1.6, 2, 2.5, 3.2, 4, 5, 6.3, 8}};
  for (int d = 0; d < kNiceDensities; ++d) {
    SCOPED_TRACE(d);
    const int k = NiceValuesPerDecade(d);
    ASSERT_EQ(static_cast<int>(decadeOfOne[static_cast<std::size_t>(d)].size()), k);
    EXPECT_EQ(t[0][d], 1e-20);
    EXPECT_EQ(t[static_cast<std::size_t>(40 * k)][d], 1e20);  // last row used
    // the decade starting at 1 holds exactly the decimal values
    for (int i = 0; i < k; ++i) EXPECT_EQ(t[static_cast<std::size_t>(20 * k + i)][d], decadeOfOne[d][i]);
    // each entry after the first cycle is ten times the one a cycle earlier
    for (int r = k; r < NiceRowsUsed(d); ++r) {
      EXPECT_NEAR(t[static_cast<std::size_t>(r)][d], 10 * t[static_cast<std::size_t>(r - k)][d],
                  1e-15 * t[static_cast<std::size_t>(r)][d]);
    }
    for (int r = NiceRowsUsed(d); r < kNiceRows; ++r) EXPECT_EQ(t[static_cast<std::size_t>(r)][d], kInf);
  }
  // Decimal values are exact doubles, so "first entry above 20" is not 20.
  EXPECT_EQ(t[64][2], 20.0);
  EXPECT_EQ(t[66][2], 100.0);
  EXPECT_EQ(NiceFirstRowAbove(2, 20.0), 65);
  EXPECT_EQ(NiceFirstRowAbove(2, 1e30), -1);
  EXPECT_EQ(NiceFirstRowAbove(2, kNaN), -1);
}

// ---------------------------------------------------------------- font size

TEST(ChartFontSize, StepsDownUntilElevenMFitTheWidthOverTheStepDivisor) {
  // Test font: an "m" is as many pixels wide as the point size.
  const auto elevenM = [](int size) { return 11 * size; };
  struct Case {
    int width;
    bool print;
    int expected;
  };
  const Case cases[] =
      {
          {4752, false, 36},  // 396 <= 4752 / 12
          {4751, false, 32}, {3696, false, 28}, {2376, false, 18}, {2375, false, 14},
          {1694, false, 14},  // divisor 11 for the step 14 -> 12
          {1693, false, 12}, {1320, false, 12}, {990, false, 10},  {792, false, 9},
          {616, false, 8},   {462, false, 7},   {330, false, 6},   {275, false, 5},
          {274, false, 4},   {0, false, 4},     {2000, true, 28},  // print mode doubles the width
      };
  for (const Case& c : cases) {
    EXPECT_EQ(ChartFontSize(c.width, c.print, elevenM), c.expected) << "width " << c.width;
  }
}

TEST(PolarFontSize, TwelveTenOrEight) {
  const auto tenM = [](int size) { return 10 * size; };
  EXPECT_EQ(PolarFontSize(1200, tenM), 12);
  EXPECT_EQ(PolarFontSize(1199, tenM), 10);
  EXPECT_EQ(PolarFontSize(700, tenM), 10);
  EXPECT_EQ(PolarFontSize(699, tenM), 8);
  EXPECT_EQ(PolarFontSize(0, tenM), 8);
}

TEST(ChartPlotRect, LeavesRoomForLabelsAndLegend) {
  EXPECT_EQ(ChartPlotRect({10, 20, 810, 620}, 7, 14, false), (PixelRect{52, 62, 768, 550}));
  EXPECT_EQ(ChartPlotRect({10, 20, 810, 620}, 7, 14, true), (PixelRect{52, 62, 768, 592}));
}

TEST(ChartPlotRect, TinyFontsMoveTheLegendBelowTheFrequencyLabels) {
  // labels from 6 to 6 + lineHeight below the plot, the legend from 7 lineHeight / 4
  struct Case {
    int lineHeight, shift;
  };
  for (const Case c : {Case{16, 0}, {8, 0}, {7, 1}, {6, 2}, {4, 3}})
    EXPECT_EQ(LegendShift(c.lineHeight), c.shift) << c.lineHeight;

  // lineHeight 6: 5 lines and the shift of 2 below the plot; 30 + 2 = 32
  EXPECT_EQ(ChartPlotRect({0, 0, 320, 240}, 4, 6, false), (PixelRect{24, 18, 296, 208}));
  // without legend the labels need 6 + 5 = 11 pixels, more than 2 lines of 5
  EXPECT_EQ(ChartPlotRect({0, 0, 320, 240}, 4, 5, true).bottom, 229);
  EXPECT_EQ(ChartPlotRect({0, 0, 320, 240}, 4, 6, true).bottom, 228);

  // first legend row: 208 + 42 / 4 + 2 = 220, where the labels (214..220) end
  const LegendEntry e = LegendPlace(0, 1, {0, 0, 320, 240}, 208, 4, 6);
  EXPECT_EQ(e.text, (PixelPoint{14, 220}));
  EXPECT_EQ(e.lineFrom.y, 208 + 54 / 4 + 2);
  EXPECT_EQ(e.textRoom, 4 + 310 - 4 - 14);  // column of (320 - 10) px, one character short of its end
}

// ---------------------------------------------------------------- frequency axis

TEST(FrequencyAxis, FourHundredPixelsWithSevenPixelCharactersTakesDensityTwo) {
  ASSERT_EQ(FrequencyAxisDensity(20, 20000, 400, 7), 2);
  const AxisTicks t = FrequencyTicks(20, 20000, 2);
  ExpectValues(t.major, {50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000});
  // every decade step from 20 Hz, the half decades 150, 1500, 15000, and
  // the upper end itself
  ExpectValues(t.minor, {20,  30,  40,   50,   60,   70,   80,   90,   100,  150,  200,  300,  400,   500,   600,  700,
                         800, 900, 1000, 1500, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000, 15000, 20000});
}

TEST(FrequencyAxis, TwoHundredPixelsWithEightPixelCharactersTakesDensityOne) {
  ASSERT_EQ(FrequencyAxisDensity(20, 20000, 200, 8), 1);
  ExpectValues(FrequencyTicks(20, 20000, 1).major, {30, 100, 300, 1000, 3000, 10000});
}

TEST(FrequencyAxis, DensityIsLimitedAndDegenerateInputGivesNoTicks) {
  EXPECT_EQ(FrequencyAxisDensity(20, 20000, 5000, 5), 2);
  EXPECT_EQ(FrequencyAxisDensity(20, 20000, 10, 10), 0);
  EXPECT_EQ(FrequencyAxisDensity(20, 20000, 0, 7), 0);
  EXPECT_EQ(FrequencyAxisDensity(kNaN, 20000, 400, 7), 0);
  ExpectValues(FrequencyTicks(10, 100, 0).major, {100});  // density 0: decades only
  EXPECT_TRUE(FrequencyTicks(20000, 20, 2).major.empty());
  EXPECT_TRUE(FrequencyTicks(kNaN, 20000, 2).minor.empty());
  EXPECT_TRUE(FrequencyTicks(20, kInf, 2).minor.empty());
  // A zero lower end still gives a bounded list.
  const AxisTicks zero = FrequencyTicks(0, 20000, 0);
  EXPECT_FALSE(zero.major.empty());
  EXPECT_LT(zero.minor.size(), 1000u);
}

// ---------------------------------------------------------------- linear axes

TEST(LinearAxis, StepsFromTheOneTwoFiveSequence) {
  struct Case {
    double lo, hi;
    int height, lineHeight;
    double major, minor;
  };
  const Case cases[] = {
      {40, 110, 300, 13, 10, 2},  // 1.8 x 70 / 300 x 13 = 5.46
      {0, 70, 300, 13, 10, 2},       {-14, 14, 300, 13, 5, 1},
      {-45, 17, 300, 13, 5, 1},      {40, 110, 150, 16, 20, 5},  // 13.4
      {0, 0.5, 300, 13, 0.05, 0.01}, {0, 100, 180, 10, 20, 5},   // exactly 10: the step must be greater
  };
  for (const Case& c : cases) {
    const LinearSteps s = LinearAxisSteps(c.lo, c.hi, c.height, c.lineHeight, false);
    ASSERT_TRUE(s.valid);
    EXPECT_DOUBLE_EQ(s.major, c.major) << c.lo << ".." << c.hi;
    EXPECT_DOUBLE_EQ(s.minor, c.minor) << c.lo << ".." << c.hi;
  }
}

TEST(LinearAxis, TicksAreMultiplesAboveTheMinimumUpToTheMaximum) {
  const AxisTicks t = LinearTicks(40, 110, LinearAxisSteps(40, 110, 300, 13, false));
  ASSERT_EQ(t.minor.size(), 35u);  // 42, 44, ..., 110 (40 itself is not above the minimum)
  EXPECT_DOUBLE_EQ(t.minor.front(), 42);
  EXPECT_DOUBLE_EQ(t.minor.back(), 110);
  ExpectValues(t.major, {50, 60, 70, 80, 90, 100, 110});
  // negative ranges and decimal steps
  ExpectValues(LinearTicks(-14, 14, {5, 1, true}).major, {-10, -5, 0, 5, 10});
  ExpectValues(LinearTicks(0, 0.3, {0.2, 0.1, true}).minor, {0.1, 0.2, 0.3});
}

TEST(LinearAxis, PhaseAxisAlwaysTakesNinetyDegreeMajorSteps) {
  struct Case {
    int height, lineHeight;
    double minor;
  };
  // 1.8 x 360 / 300 x 13 = 28.1 -> 50/10; / 100 px -> 84 -> 100/20; tiny -> invalid table step
  const Case cases[] = {{300, 13, 10}, {1000, 13, 10}, {100, 13, 30}, {20, 13, 30}, {1, 200, 30}};
  for (const Case& c : cases) {
    const LinearSteps s = LinearAxisSteps(-180, 180, c.height, c.lineHeight, true);
    ASSERT_TRUE(s.valid);
    EXPECT_EQ(s.major, 90);
    EXPECT_EQ(s.minor, c.minor) << c.height;
  }
  const AxisTicks t = LinearTicks(-180, 180, LinearAxisSteps(-180, 180, 300, 13, true));
  ExpectValues(t.major, {-90, 0, 90, 180});
  EXPECT_EQ(t.minor.size(), 36u);
}

TEST(LinearAxis, DegenerateRangesGiveNoTicks) {
  EXPECT_FALSE(LinearAxisSteps(50, 50, 300, 13, false).valid);
  EXPECT_FALSE(LinearAxisSteps(110, 40, 300, 13, false).valid);
  EXPECT_FALSE(LinearAxisSteps(kNaN, 40, 300, 13, false).valid);
  EXPECT_FALSE(LinearAxisSteps(40, 110, 0, 13, false).valid);
  EXPECT_FALSE(LinearAxisSteps(0, 1e300, 300, 13, false).valid);                // beyond the table
  EXPECT_TRUE(ValueAxisTicks(LevelAxis, 40, 110, 0, 300, 7, 0).minor.empty());  // zero line height
  EXPECT_TRUE(ValueAxisTicks(LevelAxis, -1e200, 1e200, 0, 300, 7, 13).minor.empty());
}

// ---------------------------------------------------------------- logarithmic axes

TEST(LogAxis, DensityFollowsHeightAndRange) {
  // log2(600 / 7) + 0.3 - log2(log2(10000)) = 2.99
  EXPECT_EQ(LogAxisDensity(0.1, 1000, 300, 7), 2);
  // eight decades of watts: 1.99
  EXPECT_EQ(LogAxisDensity(0.00125, 125000, 300, 7), 1);
  EXPECT_EQ(LogAxisDensity(1, 2, 3000, 7), 4);
  EXPECT_EQ(LogAxisDensity(1e-10, 1e10, 20, 7), 0);
  EXPECT_EQ(LogAxisDensity(0, 1000, 300, 7), 0);
  EXPECT_EQ(LogAxisDensity(-1, 1000, 300, 7), 0);
}

TEST(LogAxis, MajorsInsideTheRangeAndDecadeMinors) {
  const AxisTicks v = LogAxisTicks(0.1, 1000, 2);
  ExpectValues(v.major, {0.2, 0.5, 1, 2, 5, 10, 20, 50, 100, 200, 500});
  std::vector<double> minors;
  for (double decade : {0.1, 1.0, 10.0, 100.0})
    for (int i = 1; i <= 9; ++i) minors.push_back(decade * i);
  ExpectValues(v.minor, minors);  // from 0.1 up to 900, 1000 itself excluded

  const AxisTicks w = LogAxisTicks(0.00125, 125000, 1);
  ExpectValues(w.major, {0.003, 0.01, 0.03, 0.1, 0.3, 1, 3, 10, 30, 100, 300, 1000, 3000, 10000, 30000, 100000});
  ASSERT_FALSE(w.minor.empty());
  EXPECT_NEAR(w.minor.front(), 0.002, 1e-15);  // 0.001 lies below the axis
  EXPECT_NEAR(w.minor.back(), 100000, 1e-6);

  EXPECT_TRUE(LogAxisTicks(0, 1000, 2).major.empty());
  EXPECT_TRUE(LogAxisTicks(10, 1, 2).minor.empty());
}

TEST(LogAxis, LabelsOfTheLineHeightCapTheDensity) {
  // smallest step of each sequence: 1 -> 10, 1 -> 3, 1 -> 2 (or 5 -> 10), 4 -> 6, 1 -> 1.25
  const double steps[] = {1, std::log10(3.0), std::log10(2.0), std::log10(1.5), std::log10(1.25)};
  for (int d = 0; d < 5; ++d) EXPECT_NEAR(NiceMinStepDecades(d), steps[d], 1e-12) << d;

  // labels 6 pixels high need 6 + 3 + 1 = 10 pixels between ticks
  // 0.1 .. 1000 V over 350 px: 87.5 px per decade; 1.25 -> 8.5 px, 1.5 -> 15.4 px
  EXPECT_EQ(LogAxisReadableDensity(0.1, 1000, 350, 6), 3);
  // eight decades of watts: 43.75 px per decade; 1.5 -> 7.7 px, 2 -> 13.2 px
  EXPECT_EQ(LogAxisReadableDensity(0.00125, 125000, 350, 6), 2);
  // a large chart keeps the densest sequence: 205 px per decade, 1.25 -> 19.9 >= 16
  EXPECT_EQ(LogAxisReadableDensity(0.1, 1000, 820, 10), 4);
  EXPECT_EQ(LogAxisReadableDensity(1e-10, 1e10, 100, 10), 0);
  EXPECT_EQ(LogAxisReadableDensity(0, 1000, 350, 6), 0);
  EXPECT_EQ(LogAxisReadableDensity(0.1, 1000, 0, 6), 0);

  // the width rule alone gives log2(175) + 0.3 - log2(log2(10000)) = 4.02;
  // the cap takes 1, 1.6, 2.5, 4, 6 per decade
  EXPECT_EQ(LogAxisDensity(0.1, 1000, 350, 4), 4);
  const AxisTicks t = ValueAxisTicks(VoltsAxis, 0.1, 1000, 0, 350, 4, 6);
  ASSERT_GE(t.major.size(), 6u);
  ExpectValues({t.major.begin(), t.major.begin() + 6}, {0.16, 0.25, 0.4, 0.6, 1, 1.6});
  EXPECT_NEAR(t.major.back(), 600, 1e-9);
  // linear axes are unchanged
  ExpectValues(ValueAxisTicks(LevelAxis, 40, 110, 0, 300, 7, 13).major, {50, 60, 70, 80, 90, 100, 110});
}

// ---------------------------------------------------------------- whole chart

// Five pixels per character (the texts here are ASCII).
int FivePerChar(std::string_view s) { return 5 * static_cast<int>(s.size()); }

std::vector<std::string> TextsOf(const std::vector<AxisLabel>& labels) {
  std::vector<std::string> out;
  for (const AxisLabel& l : labels) out.push_back(l.text);
  return out;
}

TEST(LayoutChart, MaximumVoltageChartAtSmallSize) {
  ChartAxes axes;
  axes.yKind = VoltsAxis;
  axes.yMin = 0.1;
  axes.yMax = 1000;
  axes.y2Kind = WattsAxis;
  axes.y2Min = 0.00125;
  axes.y2Max = 125000;
  axes.showY2 = true;
  const ChartLayout L = LayoutChart({0, 0, 320, 240}, 4, 6, axes, FivePerChar);

  // Frame from 24, 18, 296, 208. Left: "V eff" is 25 px, with 6 px to the
  // plot 31 > 24. Right: "W/8Ohm" 30 px + 5 = 35 > 24, the widest label
  // "30000" 25 px + 6 = 31.
  EXPECT_EQ(L.plot, (PixelRect{31, 18, 285, 208}));
  EXPECT_EQ(L.left.unit, "V eff");
  EXPECT_EQ(L.left.unitBox, (PixelRect{1, 16, 26, 22}));
  EXPECT_EQ(L.right.unit, "W/8Ohm");
  EXPECT_EQ(L.right.unitBox, (PixelRect{290, 16, 320, 22}));

  // 190 px for 4 decades: 47.5 px per decade takes 1, 2, 5 (14.3 px apart);
  // 500 lies at y 32, below 18 + 9.
  EXPECT_EQ(TextsOf(L.left.labels),
            (std::vector<std::string>{"0,2", "0,5", "1", "2", "5", "10", "20", "50", "100", "200", "500"}));
  // a short label starts 3 characters left of the plot, a long one moves off
  // the tick mark (31 - 4 - 2 - 15 = 10)
  EXPECT_EQ(L.left.labels[2].box.left, 31 - 12);
  EXPECT_EQ(L.left.labels[8].box, (PixelRect{10, L.left.labels[8].pos - 3, 25, L.left.labels[8].pos + 3}));
  EXPECT_EQ(L.left.labels[8].pos, 208 - static_cast<int>(std::lround(190 * 3.0 / 4)));

  // 23.75 px per decade of watts: 1, 3 (11.3 px apart); 100000 lies at
  // y 20, too close to the unit text
  EXPECT_EQ(TextsOf(L.right.labels).front(), "0,003");
  EXPECT_EQ(TextsOf(L.right.labels).back(), "30000");
  EXPECT_EQ(L.right.labels.front().box.left, 285 + 6);
  EXPECT_EQ(L.right.tickMarks.size(), L.right.labels.size());
}

TEST(LayoutChart, CrowdedLabelsAreLeftOutAndFrequencyLabelsStayInside) {
  ChartAxes axes;
  axes.yKind = SecondsAxis;
  axes.yMin = 1e-10;
  axes.yMax = 1e10;
  // 40 px for 20 decades, 2 px apart: only labels 15 px apart remain, from
  // the lowest up, and none above 30 + 15
  const ChartLayout L = LayoutChart({0, 0, 320, 120}, 4, 10, axes, FivePerChar);
  EXPECT_EQ(L.plot.bottom - L.plot.top, 40);
  EXPECT_EQ(L.left.ticks.major.size(), 19u);
  ASSERT_EQ(L.left.labels.size(), 2u);
  EXPECT_DOUBLE_EQ(L.left.labels[0].value, 1e-9);
  EXPECT_NEAR(L.left.labels[1].value, 0.1, 1e-12);

  // "20000" centred on the plot's right edge would end 1 px outside a
  // rectangle only 12 px wider than the plot on the right
  axes.yKind = LevelAxis;
  axes.yMin = 40;
  axes.yMax = 110;
  const ChartLayout F = LayoutChart({0, 0, 400, 300}, 2, 10, axes, FivePerChar);
  ASSERT_FALSE(F.frequencyLabels.empty());
  EXPECT_EQ(F.frequencyLabels.back().text, "20000");
  EXPECT_EQ(F.frequencyLabels.back().box.right, 400);
  for (std::size_t i = 1; i < F.frequencyLabels.size(); ++i)
    EXPECT_GE(F.frequencyLabels[i].box.left - F.frequencyLabels[i - 1].box.right, 2) << F.frequencyLabels[i].text;
}

// ---------------------------------------------------------------- mapping

TEST(Mapping, FrequenciesAreClampedToThePlot) {
  struct Case {
    double f;
    int x;
  };
  // plot 100..500, 20..20000 Hz: one decade is 400 / 3 pixels
  const Case cases[] = {{20, 100},
                        {10, 100},
                        {-5, 100},
                        {kNaN, 100},
                        {-kInf, 100},
                        {20000, 500},
                        {1e9, 500},
                        {kInf, 500},
                        {200, 233},
                        {2000, 367},
                        {632.4555320336759, 300}};
  for (const Case& c : cases) EXPECT_EQ(MapFrequency(c.f, 20, 20000, 100, 500), c.x) << c.f;
  // degenerate axes stay on the plot
  EXPECT_EQ(MapFrequency(100, 0, 20000, 100, 500), 100);
  EXPECT_EQ(MapFrequency(100, 200, 50, 100, 500), 100);
  EXPECT_EQ(MapFrequency(300, 200, 50, 100, 500), 500);
}

TEST(Mapping, ValuesAreClampedToThePlot) {
  struct Case {
    double y;
    int kind;
    double lo, hi;
    int pixel;
  };
  // plot top 50, bottom 350
  const Case cases[] = {
      {75, LevelAxis, 40, 110, 200},    {40, LevelAxis, 40, 110, 350},
      {-1e6, LevelAxis, 40, 110, 350},  {110, LevelAxis, 40, 110, 50},
      {1e6, LevelAxis, 40, 110, 50},    {kNaN, LevelAxis, 40, 110, 350},
      {kInf, PhaseAxis, -180, 180, 50}, {-kInf, PhaseAxis, -180, 180, 350},
      {90, PhaseAxis, -180, 180, 125},  {1, VoltsAxis, 0.1, 1000, 275},
      {10, VoltsAxis, 0.1, 1000, 200},  {0, VoltsAxis, 0.1, 1000, 350},
      {-3, WattsAxis, 0.1, 1000, 350},  {5000, SecondsAxis, 0.1, 1000, 50},
      {5, VoltsAxis, 0, 1000, 350},   // a log axis starting at 0 has no place for values
      {75, LevelAxis, 110, 40, 350},  // reversed range: only the edges
  };
  for (const Case& c : cases) EXPECT_EQ(MapValue(c.y, c.lo, c.hi, c.kind, 50, 350), c.pixel) << c.y;
}

// ---------------------------------------------------------------- legend

TEST(Legend, ColumnsAndRows) {
  EXPECT_EQ(LegendColumns(0), 0);
  EXPECT_EQ(LegendColumns(1), 1);
  EXPECT_EQ(LegendColumns(3), 1);
  EXPECT_EQ(LegendColumns(4), 2);
  EXPECT_EQ(LegendColumns(7), 3);
  EXPECT_EQ(LegendColumns(26), 9);

  const PixelRect drawing{0, 0, 1010, 600};
  // 4 curves: 2 columns, 2 rows, filled row by row
  const int rows4[] = {0, 0, 1, 1}, cols4[] = {0, 1, 0, 1};
  for (int k = 0; k < 4; ++k) {
    const LegendEntry e = LegendPlace(k, 4, drawing, 500, 8, 16);
    EXPECT_EQ(e.columns, 2);
    EXPECT_EQ(e.row, rows4[k]);
    EXPECT_EQ(e.column, cols4[k]);
  }
  // 7 curves: 3 columns, 3 rows, the last one alone in the third row
  int maxRow = 0;
  for (int k = 0; k < 7; ++k) maxRow = std::max(maxRow, LegendPlace(k, 7, drawing, 500, 8, 16).row);
  EXPECT_EQ(maxRow, 2);
  const LegendEntry last = LegendPlace(6, 7, drawing, 500, 8, 16);
  EXPECT_EQ(last.columns, 3);
  EXPECT_EQ(last.column, 0);

  // positions: column width (1010 - 10) div 2 = 500
  const LegendEntry e = LegendPlace(3, 4, drawing, 500, 8, 16);
  EXPECT_EQ(e.text, (PixelPoint{508 + 20, 500 + 11 * 16 / 4}));
  EXPECT_EQ(e.lineFrom, (PixelPoint{508, 500 + 13 * 16 / 4}));
  EXPECT_EQ(e.lineTo, (PixelPoint{524, 500 + 13 * 16 / 4}));
}

// ---------------------------------------------------------------- polar plot

TEST(Polar, GeometryAndMinimumRadius) {
  const PolarGeometry g = PolarGeometryFor({0, 0, 600, 400}, 8, 16);
  EXPECT_EQ(g.radius, 160);  // min(300 - 36, (400 - 80) / 2)
  EXPECT_EQ(g.centerX, 300);
  EXPECT_EQ(g.centerY, 16 + 384 / 2);
  EXPECT_EQ(PolarGeometryFor({0, 0, 400, 1000}, 8, 16).radius, 200 - 36);
  EXPECT_EQ(PolarGeometryFor({0, 0, 20, 20}, 8, 16).radius, 1);
}

TEST(Polar, RadiusMappingIsClamped) {
  EXPECT_EQ(PolarRadiusOf(30, 40, 110, 140), 0);
  EXPECT_EQ(PolarRadiusOf(40, 40, 110, 140), 0);
  EXPECT_EQ(PolarRadiusOf(75, 40, 110, 140), 70);
  EXPECT_EQ(PolarRadiusOf(110, 40, 110, 140), 140);
  EXPECT_EQ(PolarRadiusOf(500, 40, 110, 140), 140);
  EXPECT_EQ(PolarRadiusOf(kNaN, 40, 110, 140), 0);
  EXPECT_EQ(PolarRadiusOf(kInf, 40, 110, 140), 140);
  EXPECT_EQ(PolarRadiusOf(75, 110, 40, 140), 0);  // reversed range: edges only
  EXPECT_EQ(PolarRadiusOf(120, 110, 40, 140), 140);
}

TEST(Polar, TwelvePointsMakeAClosedTwelveGonFromThe330DegreePoint) {
  const PolarGeometry g{200, 200, 100};
  std::vector<double> angles, levels(12, 110);
  for (int i = 0; i < 12; ++i) angles.push_back(i);
  const std::vector<PixelPoint> pts = PolarOutline(g, angles.data(), levels.data(), 12, 40, 110);
  ASSERT_EQ(pts.size(), 13u);
  EXPECT_EQ(pts.front(), pts.back());
  EXPECT_EQ(pts.front(), (PixelPoint{150, 113}));  // 330 degrees: up and to the left
  EXPECT_EQ(pts[1], (PixelPoint{200, 100}));       // 0: straight up
  EXPECT_EQ(pts[4], (PixelPoint{300, 200}));       // 90: right (clockwise)
  EXPECT_EQ(pts[7], (PixelPoint{200, 300}));       // 180: down
  EXPECT_EQ(pts[10], (PixelPoint{100, 200}));      // 270: left

  // levels outside the scale sit at the centre and on the outer circle
  levels = {20, 500};
  const std::vector<PixelPoint> two = PolarOutline(g, angles.data(), levels.data(), 2, 40, 110);
  EXPECT_EQ(two[1], (PixelPoint{200, 200}));
  EXPECT_EQ(two[2], (PixelPoint{250, 113}));
  EXPECT_TRUE(PolarOutline(g, angles.data(), levels.data(), 0, 40, 110).empty());
  EXPECT_EQ(PolarPointAt(g, kNaN, 100), (PixelPoint{200, 200}));
}

TEST(Polar, RingSteps) {
  // 2.2 x 70 / 200 x 16 = 12.3 -> rings every 5 dB, major every 20 dB
  LinearSteps s = PolarRingSteps(40, 110, 200, 16);
  ASSERT_TRUE(s.valid);
  EXPECT_EQ(s.major, 20);
  EXPECT_EQ(s.minor, 5);
  AxisTicks rings = LinearTicks(40, 110, s);
  EXPECT_EQ(rings.minor.size(), 14u);  // 45 .. 110
  ExpectValues(rings.major, {60, 80, 100});
  // smaller circle: 24.6 -> 50 / 10
  s = PolarRingSteps(40, 110, 100, 16);
  EXPECT_EQ(s.major, 50);
  EXPECT_EQ(s.minor, 10);
  ExpectValues(LinearTicks(40, 110, s).major, {50, 100});
  EXPECT_FALSE(PolarRingSteps(40, 40, 100, 16).valid);
  EXPECT_FALSE(PolarRingSteps(40, 110, 0, 16).valid);
}

// The spinorama's directivity axis: as many dB per pixel as the level axis,
// its 0 near a tenth of the height on a grid line, labelled 0..15 dB only.
TEST(LayoutChart, RightAxisOnTheLeftAxisScale) {
  EXPECT_EQ(SameScaleRange(40, 110, 0.1, 2), std::make_pair(-8.0, 62.0));
  EXPECT_EQ(SameScaleRange(40, 110, 0.1, 5), std::make_pair(-5.0, 65.0));
  EXPECT_EQ(SameScaleRange(40, 110, 0.1, 0), std::make_pair(-7.0, 63.0));
  for (const auto& [w, h] : {std::pair{1400, 450}, {640, 240}, {320, 200}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    ChartAxes axes;
    axes.yMin = 30;
    axes.yMax = 110;
    axes.showY2 = true;
    axes.y2Kind = DirectivityIndexAxis;
    axes.y2SameScale = true;
    axes.y2LabelMin = 0;
    axes.y2LabelMax = 15;
    const ChartLayout L =
        LayoutChart({0, 0, w, h}, 7, 14, axes, [](std::string_view s) { return static_cast<int>(7 * s.size()); });
    EXPECT_DOUBLE_EQ(L.y2Max - L.y2Min, axes.yMax - axes.yMin);
    const double zero = -L.y2Min / (L.y2Max - L.y2Min);
    EXPECT_GT(zero, 0.04);
    EXPECT_LT(zero, 0.16);
    ASSERT_FALSE(L.right.labels.empty());
    for (const AxisLabel& l : L.right.labels) {
      EXPECT_GE(l.value, 0);
      EXPECT_LE(l.value, 15);
      // on a grid line of the left axis
      const double left = l.value + (axes.yMin - L.y2Min);
      const auto& grid = L.left.ticks.minor;
      EXPECT_NE(std::find_if(grid.begin(), grid.end(), [&](double g) { return std::fabs(g - left) < 1e-9; }),
                grid.end())
          << l.text;
    }
    EXPECT_EQ(L.right.labels.front().text, "0");
    EXPECT_EQ(L.right.unit, "DI [dB]");
  }
}

// The step response page's time axis: linear, labelled from its start (-1 ms)
// to its end, each label at its place; the frequency axis stays logarithmic.
TEST(LinearXAxis, RunsLinearlyFromItsStartToItsEnd) {
  for (double end : {5.0, 10.0, 20.0, 50.0}) {
    SCOPED_TRACE(end);
    ChartAxes axes;
    axes.xLinear = true;
    axes.xMin = -1;
    axes.xMax = end;
    axes.yKind = RelativeAxis;
    axes.yMin = -1;
    axes.yMax = 1;
    const ChartLayout L = LayoutChart({0, 0, 800, 400}, 7, 12, axes, FivePerChar);
    ASSERT_GE(L.frequencyLabels.size(), 3u);
    // 1 ms steps start at -1, 5 or 10 ms steps at 0
    EXPECT_EQ(L.frequencyLabels.front().text, end <= 10 ? "-1" : "0");
    EXPECT_EQ(L.frequencyLabels.front().pos == L.plot.left, end <= 10);
    EXPECT_EQ(L.frequencyLabels.back().text, std::to_string(static_cast<int>(end)));
    EXPECT_EQ(L.frequencyLabels.back().pos, L.plot.right);
    for (const AxisLabel& l : L.frequencyLabels) {
      const double frac = (l.value + 1) / (end + 1);
      EXPECT_NEAR(l.pos, L.plot.left + frac * (L.plot.right - L.plot.left), 0.5) << l.text;
    }
    EXPECT_EQ(L.left.unit, "normiert");
  }
  EXPECT_EQ(MapLinearX(4.5, -1, 10, 0, 110), 55);
  EXPECT_EQ(MapLinearX(-3, -1, 10, 0, 110), 0);
  EXPECT_EQ(MapLinearX(60, -1, 10, 0, 110), 110);
  // the same numbers on the frequency axis: logarithmic
  EXPECT_EQ(MapFrequency(100, 10, 1000, 0, 100), 50);
}

TEST(AxisUnitText, IndexAndVoltageLevel) {
  EXPECT_STREQ(AxisUnitText(DirectivityIndexAxis), "DI [dB]");
  EXPECT_STREQ(AxisUnitText(VoltageLevelAxis), "U [dB]");
  EXPECT_FALSE(IsLogAxis(VoltageLevelAxis));
}

}  // namespace
}  // namespace sonvex
