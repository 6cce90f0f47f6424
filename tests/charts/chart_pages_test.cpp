// The curves of every main-window chart from a computed result, the guarded
// blocks, the polar plots, and the PNG export of the pages.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <memory>
#include <vector>

#include "calc/calc_thread.h"
#include "calc/check.h"
#include "calc/spinorama.h"
#include "charts/chart_pages.h"
#include "model/number_text.h"
#include "support/test_projects.h"

namespace sonvex {
namespace {

namespace fs = std::filesystem;

constexpr int kPoints = 60;

// Computes the project as the main window's hand-back delivers it.
std::unique_ptr<CalcResult> Compute(const Project& p) {
  CalcThread thread(nullptr, false, std::chrono::milliseconds(0));
  thread.StartFullCalc(p);
  thread.ComputeUntilDone();
  auto r = std::make_unique<CalcResult>(thread.Result());
  r->valid = StatusReport(thread.States(), p.ampCount, p.chassisCount).errors == 0;
  return r;
}

double Level(Complex p) { return 20 * std::log10(CAbs(p) + 1e-50) + 112; }

class ChartPages : public ::testing::Test {
 protected:
  void SetUp() override {
    project_ = testing::MakeTwoWayProject(kPoints);
    result_ = Compute(*project_);
    ASSERT_TRUE(result_->valid);
    set_ = MakeChartSet();
  }
  void Update() { UpdateChartSet(*set_, *project_, *result_, controls_, outcome_); }

  std::unique_ptr<Project> project_;
  std::unique_ptr<CalcResult> result_;
  std::unique_ptr<ChartSet> set_;
  ChartControls controls_;
  ChartUpdateOutcome outcome_;
};

TEST_F(ChartPages, TotalAndDirectionChartsFollowTheResult) {
  Update();
  EXPECT_TRUE(outcome_.messages.empty());
  const Chart& total = *set_->total;
  EXPECT_TRUE(total.hasData);
  EXPECT_EQ(total.curves[0].name, "Amplitude gesamt");
  EXPECT_EQ(total.curves[0].count, kPoints);
  EXPECT_DOUBLE_EQ(total.curves[0].Y[7], Level(result_->boxPressure[7][0]));
  EXPECT_EQ(total.curves[1].name, "Test-Kalotte 25 (1)");
  EXPECT_EQ(total.curves[4].name, "Reserve (4)");
  EXPECT_EQ(total.curves[5].name, "Impedanz Verstärker 1");
  EXPECT_TRUE(total.curves[6].rightAxis);
  EXPECT_DOUBLE_EQ(total.curves[6].Y[3], CAbs(result_->ampImpedance[1][3]));
  EXPECT_FALSE(total.curves[7].visible);
  EXPECT_EQ(total.curves[25].name, "Energiefrequenzgang");
  EXPECT_TRUE(total.curves[25].visible);
  // its own colour, used by no default colour of the display options
  const DisplayOptions defaults;
  std::vector<ColorValue> used(defaults.colorSetAmps.begin(), defaults.colorSetAmps.end());
  used.insert(used.end(), defaults.colorSetChassis.begin(), defaults.colorSetChassis.end());
  used.insert(used.end(), defaults.colorSetDirections.begin(), defaults.colorSetDirections.end());
  EXPECT_EQ(std::count(used.begin(), used.end(), total.curves[25].color), 0);

  // curve s of a side is 30° x s towards it; the last one is the rear axis
  const Chart& up = *set_->directions[SideUp];
  const Chart& right = *set_->directions[SideRight];
  EXPECT_EQ(up.curves[2].name, "60°");
  EXPECT_DOUBLE_EQ(up.curves[1].Y[20], Level(result_->boxPressure[20][1]));
  EXPECT_DOUBLE_EQ(right.curves[5].Y[20], Level(result_->boxPressure[20][20]));
  EXPECT_DOUBLE_EQ(right.curves[6].Y[20], Level(result_->boxPressure[20][21]));
  EXPECT_EQ(right.curves[6].color, project_->colorSetDirections[6]);

  // unchecking the impedance box hides the amplifier impedances only here
  controls_.showImpedance = false;
  Update();
  EXPECT_FALSE(total.curves[5].visible);
  EXPECT_FALSE(total.curves[6].visible);
  EXPECT_TRUE(set_->chassis[0]->curves[4].visible);
}

TEST_F(ChartPages, ChassisWithoutAmplifierAndPhaseReference) {
  Update();
  // chassis 4 is in no crossover
  const Chart& ch4 = *set_->chassis[3];
  EXPECT_EQ(ch4.title, "Frequenzgang Reserve (4)");
  for (int i = 0; i < kPoints; ++i) ASSERT_DOUBLE_EQ(ch4.curves[2].Y[i], ch4.curves[1].Y[i]);
  EXPECT_FALSE(set_->phase->curves[6].visible);
  EXPECT_FALSE(set_->chassisVoltage->curves[3].visible);
  EXPECT_TRUE(set_->chassisVoltage->curves[0].visible);
  EXPECT_FALSE(set_->chassis[4]->hasData);
  EXPECT_EQ(outcome_.polarMax, kPoints - 1);

  // phase check boxes: shown for the chassis of the result, hidden ones unchecked
  EXPECT_EQ(outcome_.phaseCaptions[0], "Test-Kalotte 25(1)");
  EXPECT_TRUE(outcome_.phaseVisible[3]);
  EXPECT_FALSE(outcome_.phaseVisible[4]);
  EXPECT_FALSE(controls_.phaseChassis[4]);
  EXPECT_TRUE(controls_.phaseChassis[3]);

  // only the vented chassis 3 shows a rear curve; the closed chassis 2 never
  controls_.phaseRear = true;
  controls_.phaseReference = "10";
  Update();
  EXPECT_TRUE(set_->phase->curves[5].visible);
  EXPECT_EQ(set_->phase->curves[5].name, "Test-Sub Reflex (3)");
  EXPECT_FALSE(set_->phase->curves[3].visible);
  // 10 cm behind the baffle: +2 pi 0.1 f / 344 before wrapping
  const double f = result_->freq[30];
  const Complex x = result_->contributionFront[0][30][0];
  const double expected = CPhase(CRotate(x, -0.1 * f / 344.0 * 2 * 3.14159)) * 57.295827908797776;
  EXPECT_NEAR(set_->phase->curves[0].Y[30], expected, 1e-9);
  controls_.phaseChassis[0] = false;
  Update();
  EXPECT_FALSE(set_->phase->curves[0].visible);
}

TEST_F(ChartPages, ABoxWithoutADrivenChassisSaysSoInItsEmptyChart) {
  // The note is painted into the middle of the plot.
  const auto darkPixelsInTheMiddle = [&] {
    QImage image(900, 600, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintChartPage(*set_, 0, painter, image.rect());
    painter.end();
    const PixelRect& plot = set_->total->plot;
    const int midY = (plot.top + plot.bottom) / 2;
    int dark = 0;
    for (int y = midY - 8; y <= midY + 8; ++y)
      for (int x = plot.left + 20; x < plot.right - 20; ++x) dark += qGray(image.pixel(x, y)) < 80 ? 1 : 0;
    return dark;
  };

  Update();
  EXPECT_EQ(set_->total->note, "");
  const int withoutNote = darkPixelsInTheMiddle();

  for (Amplifier& amp : project_->amplifiers) amp.crossover = Crossover{};
  result_ = Compute(*project_);
  ASSERT_TRUE(result_->valid);
  Update();
  EXPECT_EQ(set_->total->note, "Kein Chassis an einen Verstärker angeschlossen – Weicheneditor F6");
  EXPECT_GT(darkPixelsInTheMiddle(), withoutNote + 50);

  // An invalid result shows the logo, without the note.
  result_->valid = false;
  Update();
  EXPECT_EQ(set_->total->note, "");
}

TEST_F(ChartPages, MaximumLevelOfZeroLiesBelowTheChart) {
  result_->maxPower[9][0] = 0;
  result_->maxPower[1][0] = 0;
  Update();
  EXPECT_EQ(set_->maxLevel->curves[0].Y[0], -1000000.0);
  EXPECT_EQ(set_->maxLevel->curves[2].Y[0], 0.0);
  EXPECT_DOUBLE_EQ(set_->maxLevel->curves[2].Y[1], 20 * std::log10(result_->maxPower[1][1]) + 112);
}

TEST_F(ChartPages, InvalidResultLeavesEveryChartEmptyButNamed) {
  result_->valid = false;
  Update();
  for (Chart* chart : set_->ReferenceCharts()) EXPECT_FALSE(chart->hasData);
  for (const auto& chart : set_->directions) EXPECT_FALSE(chart->hasData);
  EXPECT_FALSE(set_->polarHorizontal->hasData);
  EXPECT_EQ(set_->total->curves[2].name, "Test-Tieftöner 17 (2)");
  EXPECT_TRUE(set_->total->curves[2].visible);
  EXPECT_EQ(set_->total->curves[2].count, 0);
  EXPECT_EQ(set_->spin->curves[3].name, "Schallleistung (SP)");
  EXPECT_EQ(set_->spin->curves[3].count, 0);
  EXPECT_TRUE(set_->groupDelay->curves[1].visible);
}

TEST_F(ChartPages, AFailingChartKindIsReportedAndTheOthersAreFilled) {
  result_->ampOfChassis[0] = 7;  // no such amplifier
  Update();
  ASSERT_EQ(outcome_.messages.size(), 2u);
  EXPECT_EQ(outcome_.messages[0], "Unerwarteter Fehler: UpdateCharts mit bcFgangChas[0]");
  EXPECT_EQ(outcome_.messages[1], "Unerwarteter Fehler: UpdateCharts mit bcUChassis");
  EXPECT_EQ(set_->chassis[1]->curves[2].count, kPoints);
  EXPECT_EQ(set_->directivity->curves[0].count, kPoints);
  EXPECT_EQ(set_->maxVoltage->curves[0].count, kPoints);
}

TEST_F(ChartPages, SpinoramaSubtitleSaysWhereTheDirectionsComeFrom) {
  // Four chassis in use: measured sets for all, for some, for none.
  struct Case {
    std::array<std::uint32_t, 4> measured;
    const char* subtitle;
  };
  const Case cases[] = {
      {{kAllPolarDirections, kAllPolarDirections, kAllPolarDirections, kAllPolarDirections},
       "Schätzung aus 30 Richtungen der Box, aus Messungen"},
      {{kAllPolarDirections, 0, 0, 0}, "Schätzung aus 30 Richtungen der Box, teilweise gemessen"},
      {{kAllPolarDirections, 0x7, kAllPolarDirections, kAllPolarDirections},
       "Schätzung aus 30 Richtungen der Box, teilweise gemessen"},
      {{0, 0, 0, 0}, "Schätzung aus 30 simulierten Richtungen der Box, keine Messung"},
  };
  for (const Case& c : cases) {
    std::copy(c.measured.begin(), c.measured.end(), result_->polarMeasured.begin());
    Update();
    EXPECT_EQ(set_->spin->subTitle, c.subtitle);
  }
}

TEST_F(ChartPages, SpinoramaPageShowsTheEstimatesAndTheGroupDelay) {
  project_->axisFMin = 50;
  project_->axisFMax = 10000;
  project_->dBMin = 30;
  project_->colorSetDirections[3] = RGBColor(1, 2, 3);
  Update();
  EXPECT_TRUE(outcome_.messages.empty());
  const Spinorama spin = ComputeSpinorama(*result_);
  const Chart& chart = *set_->spin;
  EXPECT_TRUE(chart.hasData);
  EXPECT_EQ(chart.title, "Spinorama");
  EXPECT_NE(chart.subTitle.find("30 simulierten Richtungen"), std::string::npos);
  EXPECT_EQ(chart.xMin, 50);
  EXPECT_EQ(chart.xMax, 10000);
  EXPECT_EQ(chart.yMin, 30);
  EXPECT_EQ(chart.yMax, project_->dBMax);
  EXPECT_TRUE(chart.showY2);
  EXPECT_EQ(chart.y2Kind, DirectivityIndexAxis);
  // the indices keep the levels' dB per division, labelled from 0 to 15 dB
  EXPECT_TRUE(chart.y2SameScale);
  EXPECT_EQ(chart.y2LabelMin, 0);
  EXPECT_EQ(chart.y2LabelMax, 15);
  const std::vector<double>* curves[7] = {&spin.onAxis, &spin.LW,   &spin.ER,  &spin.SP,
                                          &spin.PIR,    &spin.SPDI, &spin.ERDI};
  for (int k = 0; k < 7; ++k) {
    SCOPED_TRACE(k);
    const ChartCurve& c = chart.curves[k];
    EXPECT_TRUE(c.visible);
    EXPECT_EQ(c.rightAxis, k >= 5);                 // the directivity indices on the right
    EXPECT_EQ(c.color, kSpinoramaCurves[k].color);  // colours of their own, not the directions
    EXPECT_EQ(c.name, kSpinoramaCurves[k].name);
    ASSERT_EQ(c.count, kPoints);
    for (int i = 0; i < kPoints; ++i) ASSERT_EQ(c.Y[i], (*curves[k])[i]);
    EXPECT_EQ(c.X[kPoints - 1], result_->freq[kPoints - 1]);
  }
  EXPECT_EQ(chart.curves[1].name, "Hörfenster (LW)");
  EXPECT_EQ(chart.curves[5].name, "Bündelungsmaß SP (SPDI)");
  EXPECT_FALSE(chart.curves[7].visible);
  // the on-axis curve is the first page's total response
  EXPECT_NEAR(chart.curves[0].Y[20], set_->total->curves[0].Y[20], 1e-9);

  // group delay: the box and each chassis, the axis holding the box's curve
  const Chart& delay = *set_->groupDelay;
  EXPECT_EQ(delay.yKind, MillisecondsAxis);
  EXPECT_FALSE(delay.showY2);
  EXPECT_EQ(delay.curves[0].name, "Gesamtbox");
  EXPECT_EQ(delay.curves[2].name, "Test-Tieftöner 17 (2)");
  EXPECT_EQ(delay.curves[2].color, project_->colorSetChassis[2]);
  EXPECT_LE(delay.yMin, 0);
  EXPECT_GE(delay.yMax, 1);
  for (int i = 0; i < kPoints; ++i) {
    ASSERT_EQ(delay.curves[0].Y[i], spin.groupDelayBox[i]);
    // a chassis's point only where it is within 40 dB of the box
    const double chassis = CAbs(CAdd(result_->contributionFront[3][i][0], result_->contributionRear[3][i][0]));
    if (chassis >= 0.01 * CAbs(result_->boxPressure[i][0])) {
      ASSERT_EQ(delay.curves[4].Y[i], spin.groupDelayChassis[3][i]);
    } else {
      ASSERT_TRUE(std::isnan(delay.curves[4].Y[i])) << i;
    }
    if (result_->freq[i] < 50 || result_->freq[i] > 10000) continue;
    for (int c = 0; c <= 4; ++c) {
      if (std::isnan(delay.curves[c].Y[i])) continue;
      ASSERT_GE(delay.curves[c].Y[i], delay.yMin) << c;
      ASSERT_LE(delay.curves[c].Y[i], delay.yMax) << c;
    }
  }
  for (int c = 1; c <= 4; ++c) EXPECT_TRUE(delay.curves[c].visible);
  EXPECT_FALSE(delay.curves[5].visible);

  // the page's own check box hides the chassis curves, not those of the first page
  controls_.spinShowChassis = false;
  Update();
  for (int c = 1; c <= 4; ++c) EXPECT_FALSE(delay.curves[c].visible);
  EXPECT_TRUE(delay.curves[0].visible);
  EXPECT_TRUE(set_->total->curves[1].visible);

  // both charts keep reference curves, drawn dotted like the others
  const std::vector<Chart*> refs = set_->ReferenceCharts();
  EXPECT_NE(std::find(refs.begin(), refs.end(), set_->spin.get()), refs.end());
  EXPECT_NE(std::find(refs.begin(), refs.end(), set_->groupDelay.get()), refs.end());

  EXPECT_STREQ(ChartPageCaption(PageSpinorama), "Spinorama");
  EXPECT_EQ(PageSpinorama, PageElectrical + 1);
  EXPECT_EQ(ChartPageFileName(PageSpinorama), "10-spinorama.png");
}

// The step response page: its time responses wait for the page, every curve
// is on the scale of the box's peak within the shown window, the chassis
// follow the page's check box and the reference's box is drawn dotted.
TEST_F(ChartPages, StepResponsePageIsFilledWhenShownOnTheBoxsScale) {
  EXPECT_STREQ(ChartPageCaption(PageStepResponse), "Sprungantwort");
  EXPECT_EQ(PageStepResponse, PageSpinorama + 1);
  EXPECT_EQ(ChartPageFileName(PageStepResponse), "11-sprungantwort.png");

  Update();
  EXPECT_FALSE(set_->stepData->current);  // not computed with every result
  EXPECT_FALSE(set_->stepResponse->hasData);
  EXPECT_EQ(controls_.stepEndMs, 10.0);

  const TimeResponse t = ComputeTimeResponse(*result_, 50.0);
  ASSERT_EQ(t.rate, 96000);
  ASSERT_EQ(t.start, -96);
  const int chassis = std::min<int>(4, static_cast<int>(t.chassis.size()));
  ASSERT_GE(chassis, 2);
  using Part = std::vector<double> TimeCurve::*;
  const std::pair<const Chart*, Part> charts[] = {{set_->stepResponse.get(), &TimeCurve::step},
                                                  {set_->impulseResponse.get(), &TimeCurve::impulse}};
  for (double end : kStepPageEndsMs) {
    SCOPED_TRACE(end);
    controls_.stepEndMs = end;
    FillStepResponsePage(*set_, *project_, *result_, controls_, outcome_);
    EXPECT_TRUE(outcome_.messages.empty());
    EXPECT_TRUE(set_->stepData->current);
    const int count = static_cast<int>(std::lround(end * 96)) + 96;  // -1 ms up to end
    ASSERT_LE(count, static_cast<int>(t.box.step.size()));
    for (const auto& [chart, part] : charts) {
      SCOPED_TRACE(chart->title);
      EXPECT_TRUE(chart->hasData);
      EXPECT_TRUE(chart->xLinear);
      EXPECT_EQ(chart->xMin, -1.0);
      EXPECT_EQ(chart->xMax, end);
      const std::vector<double>& box = t.box.*part;
      double peak = 0;
      for (int i = 0; i < count; ++i) peak = std::max(peak, std::abs(box[i]));
      ASSERT_GT(peak, 0);
      EXPECT_EQ(chart->curves[0].name, "Gesamtbox");
      EXPECT_EQ(chart->curves[0].color, project_->colorSetChassis[0]);
      double shownPeak = 0;
      for (int k = 0; k < chart->curves[0].count; ++k) shownPeak = std::max(shownPeak, std::abs(chart->curves[0].Y[k]));
      EXPECT_NEAR(shownPeak, 1.0, 1e-12);
      for (int c = 0; c <= chassis; ++c) {
        const ChartCurve& curve = chart->curves[c];
        const std::vector<double>& values = c == 0 ? box : t.chassis[c - 1].*part;
        ASSERT_TRUE(curve.visible) << c;
        if (c > 0) {
          EXPECT_EQ(curve.color, project_->colorSetChassis[c]);
        }
        ASSERT_GT(curve.count, 1);
        EXPECT_EQ(curve.count == count, count <= kChartPoints);  // longer windows keep each run's extremes
        // the window's first and last sample, or each one's run of a few samples
        EXPECT_GE(curve.X[0], -1.0);
        EXPECT_LT(curve.X[0], -0.8);
        EXPECT_LT(curve.X[curve.count - 1], end);
        EXPECT_GT(curve.X[curve.count - 1], end - 0.2);
        for (int k = 0; k < curve.count; ++k) {
          const long i = std::lround(curve.X[k] * 96) + 96;
          ASSERT_NEAR(curve.X[k], (i - 96) / 96.0, 1e-9);
          ASSERT_DOUBLE_EQ(curve.Y[k], values[i] / peak) << c << " " << k;  // on the box's scale
          ASSERT_GE(curve.Y[k], chart->yMin);
          ASSERT_LE(curve.Y[k], chart->yMax);
        }
      }
    }
  }

  // the page's own check box, not that of the spinorama page
  controls_.stepShowChassis = false;
  FillStepResponsePage(*set_, *project_, *result_, controls_, outcome_);
  for (const auto& [chart, part] : charts) {
    EXPECT_TRUE(chart->curves[0].visible);
    for (int c = 1; c <= chassis; ++c) EXPECT_FALSE(chart->curves[c].visible) << c;
  }
  EXPECT_TRUE(set_->groupDelay->curves[1].visible);

  // the reference's box, on the current box's scale (the same result here)
  EXPECT_FALSE(set_->stepResponse->curves[kChartCurves].visible);
  StoreStepReference(*set_, *result_);
  FillStepResponsePage(*set_, *project_, *result_, controls_, outcome_);
  for (const auto& [chart, part] : charts) {
    const ChartCurve& reference = chart->curves[kChartCurves];
    EXPECT_TRUE(reference.visible);
    EXPECT_EQ(reference.color, project_->colorSetChassis[0]);
    EXPECT_EQ(reference.count, chart->curves[0].count);
    EXPECT_EQ(reference.Y, chart->curves[0].Y);
    EXPECT_FALSE(chart->curves[kChartCurves + 1].visible);  // no chassis
  }
  // a new result is computed anew when the page is shown next
  Update();
  EXPECT_FALSE(set_->stepData->current);
  ClearStepReference(*set_);
  FillStepResponsePage(*set_, *project_, *result_, controls_, outcome_);
  EXPECT_FALSE(set_->impulseResponse->curves[kChartCurves].visible);
  EXPECT_TRUE(set_->impulseResponse->hasData);

  // no result: the charts show the no-data picture
  result_->valid = false;
  Update();
  FillStepResponsePage(*set_, *project_, *result_, controls_, outcome_);
  EXPECT_TRUE(outcome_.messages.empty());
  EXPECT_FALSE(set_->stepResponse->hasData);
}

// WCAG contrast of two sRGB colours: (L1 + 0.05) / (L2 + 0.05) of their
// relative luminances.
double Luminance(ColorValue c) {
  auto channel = [](int v) {
    const double x = v / 255.0;
    return x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(c & 0xFF) + 0.7152 * channel((c >> 8) & 0xFF) + 0.0722 * channel((c >> 16) & 0xFF);
}
double Contrast(ColorValue a, ColorValue b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST(SpinoramaColours, ReadableOnWhiteAndApartFromTheGridAndEachOther) {
  const ColorValue white = RGBColor(255, 255, 255);
  const ColorValue grid[] = {RGBColor(128, 128, 128), RGBColor(192, 192, 192)};  // major and minor grid lines
  auto distance = [](ColorValue a, ColorValue b) {
    double d = 0;
    for (int shift : {0, 8, 16}) d += std::pow(((a >> shift) & 0xFF) - ((b >> shift) & 0xFF), 2);
    return std::sqrt(d);
  };
  for (std::size_t k = 0; k < kSpinoramaCurves.size(); ++k) {
    const ColorValue c = kSpinoramaCurves[k].color;
    SCOPED_TRACE(kSpinoramaCurves[k].name);
    EXPECT_GE(Contrast(c, white), 3.0);
    for (ColorValue g : grid) EXPECT_GE(distance(c, g), 100.0);
    for (std::size_t j = 0; j < k; ++j) EXPECT_GE(distance(c, kSpinoramaCurves[j].color), 90.0) << j;
  }
}

TEST_F(ChartPages, DirectivityAndVoltageAxesNameWhatTheyShowAndFitTheCurve) {
  project_->axisFMin = 50;
  project_->axisFMax = 10000;
  Update();
  const Chart& di = *set_->directivity;
  EXPECT_EQ(di.yKind, DirectivityIndexAxis);
  double lo = 0, hi = 0;
  for (int i = 0; i < kPoints; ++i) {
    if (result_->freq[i] < 50 || result_->freq[i] > 10000) continue;
    lo = std::min(lo, di.curves[0].Y[i]);
    hi = std::max(hi, di.curves[0].Y[i]);
  }
  // the whole curve and 0 inside, no more than one step (a fifth or so) empty
  EXPECT_LE(di.yMin, lo);
  EXPECT_GE(di.yMax, hi);
  const double span = di.yMax - di.yMin;
  EXPECT_LE(di.yMax - hi, span / 2);
  EXPECT_LE(lo - di.yMin, span / 2);
  EXPECT_EQ(set_->chassisVoltage->yKind, VoltageLevelAxis);
  EXPECT_EQ(set_->chassisVoltage->subTitle, "0 dB = 2,83V");
}

TEST_F(ChartPages, PolarPlotsOpenNearOneKilohertz) {
  Update();
  const int start = outcome_.polarStart;
  ASSERT_GT(start, 0);
  for (int i = 0; i < kPoints; ++i)
    EXPECT_LE(std::fabs(std::log(result_->freq[start] / 1000)), std::fabs(std::log(result_->freq[i] / 1000)) + 1e-12);
  EXPECT_EQ(PolarStartPosition(*result_), start);
}

TEST_F(ChartPages, PolarPlotsTakeTheirDirectionsInOrder) {
  Update();
  FillPolarPlots(*set_, *result_, 10);
  const int horizontal[12] = {0, 4, 8, 12, 16, 20, 21, 18, 14, 10, 6, 2};
  const int vertical[12] = {9, 5, 1, 0, 3, 7, 11, 15, 19, 21, 17, 13};
  ASSERT_EQ(set_->polarHorizontal->count, 12);
  for (int k = 0; k < 12; ++k) {
    EXPECT_EQ(set_->polarHorizontal->angles[k], k);
    EXPECT_DOUBLE_EQ(set_->polarHorizontal->radii[k], Level(result_->boxPressure[10][horizontal[k]]));
    EXPECT_DOUBLE_EQ(set_->polarVertical->radii[k], Level(result_->boxPressure[10][vertical[k]]));
  }
  EXPECT_EQ(PolarFrequencyLabel(*result_, 10), "Frequenz: " + FormatNumber(result_->freq[10], 5) + " Hz");
  EXPECT_EQ(set_->polarVertical->labelRight, "vorn");
  EXPECT_EQ(set_->polarHorizontal->rMax, project_->dBMax);
}

TEST(RenderChartPages, WritesOnePictureOfEveryPage) {
  const fs::path dir = fs::temp_directory_path() / "sonvex_chart_pages_test";
  fs::remove_all(dir);
  auto project = testing::MakeTwoWayProject(kPoints);
  auto result = Compute(*project);
  std::string error;
  ASSERT_TRUE(RenderChartPages(*project, *result, QSize(640, 420), dir / "data", error)) << error;
  // the same pages without data show the no-data picture instead of curves
  result->valid = false;
  ASSERT_TRUE(RenderChartPages(*project, *result, QSize(640, 420), dir / "empty", error)) << error;
  for (int page = 0; page < ChartPageCount; ++page) {
    const fs::path file = dir / "data" / ChartPageFileName(page);
    if (page == PageChassis5To8) {
      EXPECT_FALSE(fs::exists(file));  // four chassis: no second chassis page
      continue;
    }
    const QImage image(QString::fromStdString(file.string()));
    const QImage empty(QString::fromStdString((dir / "empty" / ChartPageFileName(page)).string()));
    ASSERT_FALSE(image.isNull()) << file;
    EXPECT_EQ(image.size(), QSize(640, 420));
    EXPECT_NE(image, empty) << file;
  }
  EXPECT_FALSE(RenderChartPages(*project, *result, QSize(0, 10), dir, error));
  EXPECT_FALSE(error.empty());
  fs::remove_all(dir);
}

}  // namespace
}  // namespace sonvex
