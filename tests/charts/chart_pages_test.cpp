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
std::unique_ptr<TResult> Compute(const TProjekt& p) {
  TCalcThread thread(nullptr, false, std::chrono::milliseconds(0));
  thread.StartFullCalc(p);
  thread.ComputeUntilDone();
  auto r = std::make_unique<TResult>(thread.Result());
  r->bValid = StatusReport(thread.States(), p.nAmps, p.nChassis).errors == 0;
  return r;
}

double Level(TComplex p) { return 20 * std::log10(CAbs(p) + 1e-50) + 112; }

class ChartPages : public ::testing::Test {
 protected:
  void SetUp() override {
    project = testing::MakeTwoWayProject(kPoints);
    result = Compute(*project);
    ASSERT_TRUE(result->bValid);
    set = MakeChartSet();
  }
  void Update() { UpdateChartSet(*set, *project, *result, controls, outcome); }

  std::unique_ptr<TProjekt> project;
  std::unique_ptr<TResult> result;
  std::unique_ptr<TChartSet> set;
  TChartControls controls;
  TChartUpdateOutcome outcome;
};

TEST_F(ChartPages, TotalAndDirectionChartsFollowTheResult) {
  Update();
  EXPECT_TRUE(outcome.messages.empty());
  const TZChart& total = *set->total;
  EXPECT_TRUE(total.HasData);
  EXPECT_EQ(total.Curves[0].Name, "Amplitude gesamt");
  EXPECT_EQ(total.Curves[0].Count, kPoints);
  EXPECT_DOUBLE_EQ(total.Curves[0].Y[7], Level(result->BoxP[7][0]));
  EXPECT_EQ(total.Curves[1].Name, "Test-Kalotte 25 (1)");
  EXPECT_EQ(total.Curves[4].Name, "Reserve (4)");
  EXPECT_EQ(total.Curves[5].Name, "Impedanz Verstärker 1");
  EXPECT_TRUE(total.Curves[6].RightAxis);
  EXPECT_DOUBLE_EQ(total.Curves[6].Y[3], CAbs(result->AmpZ[1][3]));
  EXPECT_FALSE(total.Curves[7].Visible);
  EXPECT_EQ(total.Curves[25].Name, "Energiefrequenzgang");
  EXPECT_TRUE(total.Curves[25].Visible);
  // its own colour, used by no default colour of the display options
  const TDisplayOptions defaults;
  std::vector<TColor> used(defaults.ColorSetAmps.begin(), defaults.ColorSetAmps.end());
  used.insert(used.end(), defaults.ColorSetChassis.begin(), defaults.ColorSetChassis.end());
  used.insert(used.end(), defaults.ColorSetRichtungen.begin(), defaults.ColorSetRichtungen.end());
  EXPECT_EQ(std::count(used.begin(), used.end(), total.Curves[25].Color), 0);

  // curve s of a side is 30° x s towards it; the last one is the rear axis
  const TZChart& up = *set->directions[kSideUp];
  const TZChart& right = *set->directions[kSideRight];
  EXPECT_EQ(up.Curves[2].Name, "60°");
  EXPECT_DOUBLE_EQ(up.Curves[1].Y[20], Level(result->BoxP[20][1]));
  EXPECT_DOUBLE_EQ(right.Curves[5].Y[20], Level(result->BoxP[20][20]));
  EXPECT_DOUBLE_EQ(right.Curves[6].Y[20], Level(result->BoxP[20][21]));
  EXPECT_EQ(right.Curves[6].Color, project->ColorSetRichtungen[6]);

  // unchecking the impedance box hides the amplifier impedances only here
  controls.showImpedance = false;
  Update();
  EXPECT_FALSE(total.Curves[5].Visible);
  EXPECT_FALSE(total.Curves[6].Visible);
  EXPECT_TRUE(set->chassis[0]->Curves[4].Visible);
}

TEST_F(ChartPages, ChassisWithoutAmplifierAndPhaseReference) {
  Update();
  // chassis 4 is in no crossover
  const TZChart& ch4 = *set->chassis[3];
  EXPECT_EQ(ch4.Title, "Frequenzgang Reserve (4)");
  for (int i = 0; i < kPoints; ++i) ASSERT_DOUBLE_EQ(ch4.Curves[2].Y[i], ch4.Curves[1].Y[i]);
  EXPECT_FALSE(set->phase->Curves[6].Visible);
  EXPECT_FALSE(set->uChassis->Curves[3].Visible);
  EXPECT_TRUE(set->uChassis->Curves[0].Visible);
  EXPECT_FALSE(set->chassis[4]->HasData);
  EXPECT_EQ(outcome.polarMax, kPoints - 1);

  // phase check boxes: shown for the chassis of the result, hidden ones unchecked
  EXPECT_EQ(outcome.phaseCaptions[0], "Test-Kalotte 25(1)");
  EXPECT_TRUE(outcome.phaseVisible[3]);
  EXPECT_FALSE(outcome.phaseVisible[4]);
  EXPECT_FALSE(controls.phaseChassis[4]);
  EXPECT_TRUE(controls.phaseChassis[3]);

  // only the vented chassis 3 shows a rear curve; the closed chassis 2 never
  controls.phaseRear = true;
  controls.phaseReference = "10";
  Update();
  EXPECT_TRUE(set->phase->Curves[5].Visible);
  EXPECT_EQ(set->phase->Curves[5].Name, "Test-Sub Reflex (3)");
  EXPECT_FALSE(set->phase->Curves[3].Visible);
  // 10 cm behind the baffle: +2 pi 0.1 f / 344 before wrapping
  const double f = result->freq[30];
  const TComplex x = result->ContribFront[0][30][0];
  const double expected = CPhase(CRotate(x, -0.1 * f / 344.0 * 2 * 3.14159)) * 57.295827908797776;
  EXPECT_NEAR(set->phase->Curves[0].Y[30], expected, 1e-9);
  controls.phaseChassis[0] = false;
  Update();
  EXPECT_FALSE(set->phase->Curves[0].Visible);
}

TEST_F(ChartPages, ABoxWithoutADrivenChassisSaysSoInItsEmptyChart) {
  // The note is painted into the middle of the plot.
  const auto darkPixelsInTheMiddle = [&] {
    QImage image(900, 600, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintChartPage(*set, 0, painter, image.rect());
    painter.end();
    const TPixelRect& plot = set->total->Plot;
    const int midY = (plot.top + plot.bottom) / 2;
    int dark = 0;
    for (int y = midY - 8; y <= midY + 8; ++y)
      for (int x = plot.left + 20; x < plot.right - 20; ++x) dark += qGray(image.pixel(x, y)) < 80 ? 1 : 0;
    return dark;
  };

  Update();
  EXPECT_EQ(set->total->Note, "");
  const int withoutNote = darkPixelsInTheMiddle();

  for (TVerstaerker& amp : project->Verstaerker) amp.crossover = TCrossover{};
  result = Compute(*project);
  ASSERT_TRUE(result->bValid);
  Update();
  EXPECT_EQ(set->total->Note, "Kein Chassis an einen Verstärker angeschlossen – Weicheneditor F6");
  EXPECT_GT(darkPixelsInTheMiddle(), withoutNote + 50);

  // An invalid result shows the logo, without the note.
  result->bValid = false;
  Update();
  EXPECT_EQ(set->total->Note, "");
}

TEST_F(ChartPages, MaximumLevelOfZeroLiesBelowTheChart) {
  result->MaxP[9][0] = 0;
  result->MaxP[1][0] = 0;
  Update();
  EXPECT_EQ(set->maxLevel->Curves[0].Y[0], -1000000.0);
  EXPECT_EQ(set->maxLevel->Curves[2].Y[0], 0.0);
  EXPECT_DOUBLE_EQ(set->maxLevel->Curves[2].Y[1], 20 * std::log10(result->MaxP[1][1]) + 112);
}

TEST_F(ChartPages, InvalidResultLeavesEveryChartEmptyButNamed) {
  result->bValid = false;
  Update();
  for (TZChart* chart : set->ReferenceCharts()) EXPECT_FALSE(chart->HasData);
  for (const auto& chart : set->directions) EXPECT_FALSE(chart->HasData);
  EXPECT_FALSE(set->polarH->HasData);
  EXPECT_EQ(set->total->Curves[2].Name, "Test-Tieftöner 17 (2)");
  EXPECT_TRUE(set->total->Curves[2].Visible);
  EXPECT_EQ(set->total->Curves[2].Count, 0);
  EXPECT_EQ(set->spin->Curves[3].Name, "Schallleistung (SP)");
  EXPECT_EQ(set->spin->Curves[3].Count, 0);
  EXPECT_TRUE(set->groupDelay->Curves[1].Visible);
}

TEST_F(ChartPages, AFailingChartKindIsReportedAndTheOthersAreFilled) {
  result->AmpOfChassis[0] = 7;  // no such amplifier
  Update();
  ASSERT_EQ(outcome.messages.size(), 2u);
  EXPECT_EQ(outcome.messages[0], "Unerwarteter Fehler: UpdateCharts mit bcFgangChas[0]");
  EXPECT_EQ(outcome.messages[1], "Unerwarteter Fehler: UpdateCharts mit bcUChassis");
  EXPECT_EQ(set->chassis[1]->Curves[2].Count, kPoints);
  EXPECT_EQ(set->directivity->Curves[0].Count, kPoints);
  EXPECT_EQ(set->maxU->Curves[0].Count, kPoints);
}

TEST_F(ChartPages, SpinoramaPageShowsTheEstimatesAndTheGroupDelay) {
  project->AfMin = 50;
  project->AfMax = 10000;
  project->dBMin = 30;
  project->ColorSetRichtungen[3] = RGBColor(1, 2, 3);
  Update();
  EXPECT_TRUE(outcome.messages.empty());
  const TSpinorama spin = ComputeSpinorama(*result);
  const TZChart& chart = *set->spin;
  EXPECT_TRUE(chart.HasData);
  EXPECT_EQ(chart.Title, "Spinorama");
  EXPECT_NE(chart.SubTitle.find("30 simulierten Richtungen"), std::string::npos);
  EXPECT_EQ(chart.XMin, 50);
  EXPECT_EQ(chart.XMax, 10000);
  EXPECT_EQ(chart.YMin, 30);
  EXPECT_EQ(chart.YMax, project->dBMax);
  EXPECT_TRUE(chart.ShowY2);
  EXPECT_EQ(chart.Y2Kind, akIndexDb);
  // the indices keep the levels' dB per division, labelled from 0 to 15 dB
  EXPECT_TRUE(chart.Y2SameScale);
  EXPECT_EQ(chart.Y2LabelMin, 0);
  EXPECT_EQ(chart.Y2LabelMax, 15);
  const std::vector<double>* curves[7] = {&spin.OnAxis, &spin.LW,   &spin.ER,  &spin.SP,
                                          &spin.PIR,    &spin.SPDI, &spin.ERDI};
  for (int k = 0; k < 7; ++k) {
    SCOPED_TRACE(k);
    const TChartCurve& c = chart.Curves[k];
    EXPECT_TRUE(c.Visible);
    EXPECT_EQ(c.RightAxis, k >= 5);  // the directivity indices on the right
    EXPECT_EQ(c.Color, kSpinoramaCurves[k].color);  // colours of their own, not the directions
    EXPECT_EQ(c.Name, kSpinoramaCurves[k].name);
    ASSERT_EQ(c.Count, kPoints);
    for (int i = 0; i < kPoints; ++i) ASSERT_EQ(c.Y[i], (*curves[k])[i]);
    EXPECT_EQ(c.X[kPoints - 1], result->freq[kPoints - 1]);
  }
  EXPECT_EQ(chart.Curves[1].Name, "Hörfenster (LW)");
  EXPECT_EQ(chart.Curves[5].Name, "Bündelungsmaß SP (SPDI)");
  EXPECT_FALSE(chart.Curves[7].Visible);
  // the on-axis curve is the first page's total response
  EXPECT_NEAR(chart.Curves[0].Y[20], set->total->Curves[0].Y[20], 1e-9);

  // group delay: the box and each chassis, the axis holding the box's curve
  const TZChart& delay = *set->groupDelay;
  EXPECT_EQ(delay.YKind, akMillisec);
  EXPECT_FALSE(delay.ShowY2);
  EXPECT_EQ(delay.Curves[0].Name, "Gesamtbox");
  EXPECT_EQ(delay.Curves[2].Name, "Test-Tieftöner 17 (2)");
  EXPECT_EQ(delay.Curves[2].Color, project->ColorSetChassis[2]);
  EXPECT_LE(delay.YMin, 0);
  EXPECT_GE(delay.YMax, 1);
  for (int i = 0; i < kPoints; ++i) {
    ASSERT_EQ(delay.Curves[0].Y[i], spin.GroupDelayBox[i]);
    // a chassis's point only where it is within 40 dB of the box
    const double chassis = CAbs(CAdd(result->ContribFront[3][i][0], result->ContribRear[3][i][0]));
    if (chassis >= 0.01 * CAbs(result->BoxP[i][0])) {
      ASSERT_EQ(delay.Curves[4].Y[i], spin.GroupDelayChassis[3][i]);
    } else {
      ASSERT_TRUE(std::isnan(delay.Curves[4].Y[i])) << i;
    }
    if (result->freq[i] < 50 || result->freq[i] > 10000) continue;
    for (int c = 0; c <= 4; ++c) {
      if (std::isnan(delay.Curves[c].Y[i])) continue;
      ASSERT_GE(delay.Curves[c].Y[i], delay.YMin) << c;
      ASSERT_LE(delay.Curves[c].Y[i], delay.YMax) << c;
    }
  }
  for (int c = 1; c <= 4; ++c) EXPECT_TRUE(delay.Curves[c].Visible);
  EXPECT_FALSE(delay.Curves[5].Visible);

  // the page's own check box hides the chassis curves, not those of the first page
  controls.spinShowChassis = false;
  Update();
  for (int c = 1; c <= 4; ++c) EXPECT_FALSE(delay.Curves[c].Visible);
  EXPECT_TRUE(delay.Curves[0].Visible);
  EXPECT_TRUE(set->total->Curves[1].Visible);

  // both charts keep reference curves, drawn dotted like the others
  const std::vector<TZChart*> refs = set->ReferenceCharts();
  EXPECT_NE(std::find(refs.begin(), refs.end(), set->spin.get()), refs.end());
  EXPECT_NE(std::find(refs.begin(), refs.end(), set->groupDelay.get()), refs.end());

  EXPECT_STREQ(ChartPageCaption(kPageSpinorama), "Spinorama");
  EXPECT_EQ(kPageSpinorama, kPageElektr + 1);
  EXPECT_EQ(ChartPageFileName(kPageSpinorama), "10-spinorama.png");
}

// WCAG contrast of two sRGB colours: (L1 + 0.05) / (L2 + 0.05) of their
// relative luminances.
double Luminance(TColor c) {
  auto channel = [](int v) {
    const double x = v / 255.0;
    return x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(c & 0xFF) + 0.7152 * channel((c >> 8) & 0xFF) + 0.0722 * channel((c >> 16) & 0xFF);
}
double Contrast(TColor a, TColor b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST(SpinoramaColours, ReadableOnWhiteAndApartFromTheGridAndEachOther) {
  const TColor white = RGBColor(255, 255, 255);
  const TColor grid[] = {RGBColor(128, 128, 128), RGBColor(192, 192, 192)};  // major and minor grid lines
  auto distance = [](TColor a, TColor b) {
    double d = 0;
    for (int shift : {0, 8, 16}) d += std::pow(((a >> shift) & 0xFF) - ((b >> shift) & 0xFF), 2);
    return std::sqrt(d);
  };
  for (std::size_t k = 0; k < kSpinoramaCurves.size(); ++k) {
    const TColor c = kSpinoramaCurves[k].color;
    SCOPED_TRACE(kSpinoramaCurves[k].name);
    EXPECT_GE(Contrast(c, white), 3.0);
    for (TColor g : grid) EXPECT_GE(distance(c, g), 100.0);
    for (std::size_t j = 0; j < k; ++j) EXPECT_GE(distance(c, kSpinoramaCurves[j].color), 90.0) << j;
  }
}

TEST_F(ChartPages, DirectivityAndVoltageAxesNameWhatTheyShowAndFitTheCurve) {
  project->AfMin = 50;
  project->AfMax = 10000;
  Update();
  const TZChart& di = *set->directivity;
  EXPECT_EQ(di.YKind, akIndexDb);
  double lo = 0, hi = 0;
  for (int i = 0; i < kPoints; ++i) {
    if (result->freq[i] < 50 || result->freq[i] > 10000) continue;
    lo = std::min(lo, di.Curves[0].Y[i]);
    hi = std::max(hi, di.Curves[0].Y[i]);
  }
  // the whole curve and 0 inside, no more than one step (a fifth or so) empty
  EXPECT_LE(di.YMin, lo);
  EXPECT_GE(di.YMax, hi);
  const double span = di.YMax - di.YMin;
  EXPECT_LE(di.YMax - hi, span / 2);
  EXPECT_LE(lo - di.YMin, span / 2);
  EXPECT_EQ(set->uChassis->YKind, akVoltLevel);
  EXPECT_EQ(set->uChassis->SubTitle, "0 dB = 2,83V");
}

TEST_F(ChartPages, PolarPlotsOpenNearOneKilohertz) {
  Update();
  const int start = outcome.polarStart;
  ASSERT_GT(start, 0);
  for (int i = 0; i < kPoints; ++i)
    EXPECT_LE(std::fabs(std::log(result->freq[start] / 1000)), std::fabs(std::log(result->freq[i] / 1000)) + 1e-12);
  EXPECT_EQ(PolarStartPosition(*result), start);
}

TEST_F(ChartPages, PolarPlotsTakeTheirDirectionsInOrder) {
  Update();
  FillPolarPlots(*set, *result, 10);
  const int horizontal[12] = {0, 4, 8, 12, 16, 20, 21, 18, 14, 10, 6, 2};
  const int vertical[12] = {9, 5, 1, 0, 3, 7, 11, 15, 19, 21, 17, 13};
  ASSERT_EQ(set->polarH->Count, 12);
  for (int k = 0; k < 12; ++k) {
    EXPECT_EQ(set->polarH->Angles[k], k);
    EXPECT_DOUBLE_EQ(set->polarH->Radii[k], Level(result->BoxP[10][horizontal[k]]));
    EXPECT_DOUBLE_EQ(set->polarV->Radii[k], Level(result->BoxP[10][vertical[k]]));
  }
  EXPECT_EQ(PolarFrequencyLabel(*result, 10), "Frequenz: " + FormatNumber(result->freq[10], 5) + " Hz");
  EXPECT_EQ(set->polarV->LabelRight, "vorn");
  EXPECT_EQ(set->polarH->RMax, project->dBMax);
}

TEST(RenderChartPages, WritesOnePictureOfEveryPage) {
  const fs::path dir = fs::temp_directory_path() / "sonvex_chart_pages_test";
  fs::remove_all(dir);
  auto project = testing::MakeTwoWayProject(kPoints);
  auto result = Compute(*project);
  std::string error;
  ASSERT_TRUE(RenderChartPages(*project, *result, QSize(640, 420), dir / "data", error)) << error;
  // the same pages without data show the no-data picture instead of curves
  result->bValid = false;
  ASSERT_TRUE(RenderChartPages(*project, *result, QSize(640, 420), dir / "empty", error)) << error;
  for (int page = 0; page < kChartPageCount; ++page) {
    const fs::path file = dir / "data" / ChartPageFileName(page);
    if (page == kPageChassis58) {
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
