// Measured off-axis responses in the direction table: values worked out by
// hand from the interpolation between measured angles, and a round trip of
// the model's own directions through measurement files and back.
#include "acoustics/polar_directions.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "calc/calc_thread.h"
#include "calc/check.h"
#include "calc/polar_export.h"
#include "model/polar_import.h"
#include "model/result_export.h"
#include "support/test_projects.h"

namespace sonvex {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kDeg = kPi / 180;
constexpr auto H = PolarPlane::Horizontal;
constexpr auto V = PolarPlane::Vertical;

// A response of level `dB` and phase `deg`, the same at every frequency.
PolarResponse Flat(PolarPlane plane, double angle, double dB, double deg, bool phase = true) {
  PolarResponse r;
  r.plane = plane;
  r.angle = angle;
  r.freq = {10, 30000};
  r.level = {dB, dB};
  if (phase) r.phase = {deg, deg};
  return r;
}

struct Grid {
  FreqArray freq{};
  std::unique_ptr<DirectionTable> table = std::make_unique<DirectionTable>();
  // Model factors: direction k is (1 + k/10, k/20) · index-dependent scale.
  Grid() {
    for (int i = 0; i < 5; ++i) {
      freq[i] = 100.0 * (i + 1);
      for (int k = 0; k < kDirections; ++k) (*table)[i][k] = Complex{(1 + k / 10.0) * (i + 1), k / 20.0};
    }
  }
  Complex Model(int i, int k) const { return Complex{(1 + k / 10.0) * (i + 1), k / 20.0}; }
};

void ExpectComplex(Complex got, Complex want, const std::string& what) {
  EXPECT_NEAR(got.re, want.re, 1e-12 * (1 + CAbs(want))) << what;
  EXPECT_NEAR(got.im, want.im, 1e-12 * (1 + CAbs(want))) << what;
}

TEST(PolarDirections, InterpolatesLevelAndShortPhaseBetweenMeasuredAngles) {
  // 0°: 90 dB, 10°; 45°: 84 dB, -160°; 90°: 78 dB, 170°. Ratios: 45° -6 dB and
  // -170°, 90° -12 dB and 160°. 30° lies 2/3 of the way to 45°: -4 dB and
  // 2/3 of -170°. 60° lies 1/3 of the way from 45° to 90°, where the phase
  // moves by 330°, i.e. -30° the short way: -8 dB and -180°.
  const PolarSet set({Flat(H, 0, 90, 10), Flat(H, 45, 84, -160), Flat(H, 90, 78, 170)});
  Grid g;
  const std::uint32_t mask = ApplyPolarSet(set, g.freq, 600, *g.table);
  const auto ratio = [](double dB, double deg) { return CPolar(std::pow(10.0, dB / 20), deg * kDeg); };
  for (int i = 0; i < 5; ++i) {
    const Complex d0 = g.Model(i, 0);
    const DirectionRow& row = (*g.table)[i];
    ExpectComplex(row[0], d0, "direction 0 stays");
    ExpectComplex(row[4], CMul(d0, ratio(-4, -170.0 * 2 / 3)), "right 30°");
    ExpectComplex(row[8], CMul(d0, ratio(-8, -180)), "right 60°");
    ExpectComplex(row[12], CMul(d0, ratio(-12, 160)), "right 90°: the file itself");
    ExpectComplex(row[2], row[4], "left 30°: the right side mirrored");
    ExpectComplex(row[10], row[12], "left 90°");
    for (int k : {1, 3, 5, 9, 13, 14, 16, 20, 21, 22, 29})
      ExpectComplex(row[k], g.Model(i, k), "not covered: the model, direction " + std::to_string(k));
  }
  EXPECT_EQ(mask, (1u << 0) | (1u << 2) | (1u << 4) | (1u << 6) | (1u << 8) | (1u << 10) | (1u << 12));
}

TEST(PolarDirections, AtFifteenDegreeStepsTheThirtyDegreeDirectionsAreTheFiles) {
  // Level -θ/10 dB and phase θ, both planes, one side each (mirrored); the
  // vertical plane has no 0° file and divides by the horizontal one.
  std::vector<PolarResponse> rs{Flat(H, 0, 85, 20)};
  for (int a = 15; a <= 180; a += 15) rs.push_back(Flat(H, a, 85 - a / 10.0, 20 + a));
  for (int a = -15; a >= -165; a -= 15) rs.push_back(Flat(V, a, 85 + a / 10.0, 20 - a));
  const PolarSet set(rs);
  Grid g;
  EXPECT_EQ(ApplyPolarSet(set, g.freq, 600, *g.table), kAllPolarDirections);
  for (int i = 0; i < 5; ++i) {
    const Complex d0 = g.Model(i, 0);
    const DirectionRow& row = (*g.table)[i];
    for (int s = 1; s <= 5; ++s) {
      const double theta = 30.0 * s;
      const Complex r = CPolar(std::pow(10.0, -theta / 200), theta * kDeg);
      for (int side = 0; side < 4; ++side)
        ExpectComplex(row[4 * (s - 1) + 1 + side], CMul(d0, r), "step " + std::to_string(s));
    }
    ExpectComplex(row[21], CMul(d0, CPolar(std::pow(10.0, -18.0 / 20), kPi)), "rear axis from the horizontal 180°");
    // The baffle plane: the mean of the four 90° ratios, here all alike.
    ExpectComplex(row[25], row[9], "baffle plane");
  }
}

TEST(PolarDirections, WithoutPhaseInOneFileEveryRatioIsAMagnitude) {
  const PolarSet set({Flat(H, 0, 90, 40), Flat(H, 90, 84, -50), Flat(V, 90, 78, 0, false)});
  EXPECT_FALSE(set.HasPhase());
  Grid g;
  ApplyPolarSet(set, g.freq, 600, *g.table);
  const Complex d0 = g.Model(2, 0);
  ExpectComplex((*g.table)[2][12], CScale(d0, std::pow(10.0, -6.0 / 20)), "horizontal 90° without the phase");
  ExpectComplex((*g.table)[2][9], CScale(d0, std::pow(10.0, -12.0 / 20)), "vertical 90°");
  // Up, left, down, right at 90°: -12, -6, -12, -6 dB, averaged as numbers.
  const double mean = (2 * std::pow(10.0, -6.0 / 20) + 2 * std::pow(10.0, -12.0 / 20)) / 4;
  ExpectComplex((*g.table)[2][22], CScale(d0, mean), "baffle plane");
}

// ---- Through the calculation ----

// One closed woofer driven straight from the amplifier, its response
// "measured in the box" (a flat 88 dB with a falling phase) and in use.
std::unique_ptr<Project> MeasuredWooferProject() {
  auto p = MakeNewProject();
  constexpr int kPoints = 90;
  p->gridPoints = kPoints;
  for (int i = 0; i < kPoints; ++i) p->freq[i] = 20.0 * std::pow(1000.0, i / (kPoints - 1.0));
  p->freq[kPoints] = 0;
  p->ampCount = 1;
  p->chassisCount = 1;
  Chassis& c = p->chassis[0];
  c = testing::Woofer();
  c.responseSource = 5;
  c.useMeasuredAmplitude = true;
  c.useMeasuredAcousticPhase = true;
  for (int i = 0; i < 50; ++i) {
    c.measuredAmplitudeFreq[i] = 15.0 * std::pow(1600.0, i / 49.0);
    c.measuredAmplitude[i] = 88;
    c.measuredAcousticPhaseFreq[i] = c.measuredAmplitudeFreq[i];
    c.measuredAcousticPhase[i] = std::remainder(-0.3 * i, 2 * kPi);
  }
  p->enclosures[0].type = 1;
  p->enclosures[0].Vb = 0.018;
  p->baffles[0] = testing::MakeBaffle(0.15, 0.13, 0);
  p->baffles[0].leftDistance = 0.08;  // off centre: left and right differ
  EstimateEnclosureLosses(p->chassis[0], p->enclosures[0]);
  DeriveChassisValues(p->chassis[0], p->enclosures[0], 1e-10);
  p->amplifiers[0].crossover = EmptyCrossover();
  testing::PlacePart(*p, 0, 90, PartAmplifier);
  testing::PlacePart(*p, 0, 0, PartWire);
  testing::PlacePart(*p, 0, 91, PartChassis, 1.0, 0);
  testing::PlacePart(*p, 0, 10, PartWire);
  return p;
}

std::unique_ptr<CalcResult> Compute(const Project& p) {
  CalcThread thread(nullptr, false, std::chrono::milliseconds(0));
  thread.StartFullCalc(p);
  thread.ComputeUntilDone();
  EXPECT_EQ(StatusReport(thread.States(), p.ampCount, p.chassisCount).errors, 0);
  return std::make_unique<CalcResult>(thread.Result());
}

// The model's directions of chassis 1 as FRD files at 30° steps, read back
// by the import.
PolarSet ModelAsMeasured(const CalcResult& r) {
  std::vector<PolarFile> files;
  for (const ModelPolarResponse& m : ModelPolarResponses(r, 0, 30))
    files.push_back(PolarFileFromText(PolarFileName("Tieftöner", m.plane, m.angle),
                                      FrdCurveText(m.freq, m.level, m.phase, "Test", "Modell")));
  EXPECT_EQ(CheckPolarFiles(files, 20, 20000), "");
  return MakePolarSet(files);
}

double Level(Complex z) { return 20 * std::log10(CAbs(z)); }
double PhaseDifference(Complex a, Complex b) { return std::abs(std::remainder(CArg(a) - CArg(b), 2 * kPi)) / kDeg; }

TEST(PolarDirections, TheModelsOwnDirectionsComeBackThroughFiles) {
  auto p = MeasuredWooferProject();
  const auto model = Compute(*p);
  p->chassis[0].polar = ModelAsMeasured(*model);
  const auto measured = Compute(*p);
  EXPECT_EQ(measured->polarMeasured[0], kAllPolarDirections);
  EXPECT_EQ(model->polarMeasured[0], 0u);

  // The files keep levels to 1e-4 dB and phases to 1e-3°; a ratio of two of
  // them stays within 1e-3 dB and 0.01°.
  double worstDb = 0, worstDeg = 0;
  for (int i = 0; i < model->freqCount; ++i) {
    for (int k = 0; k <= 21; ++k) {
      const Complex a = model->boxPressure[i][k], b = measured->boxPressure[i][k];
      worstDb = std::max(worstDb, std::abs(Level(a) - Level(b)));
      worstDeg = std::max(worstDeg, PhaseDifference(a, b));
    }
    // The baffle plane: the mean of the four 90° directions.
    Complex mean = kComplexZero;
    for (int k = 9; k <= 12; ++k) mean = CAdd(mean, CScale(model->boxPressure[i][k], 0.25));
    for (int k = 22; k < kDirections; ++k) {
      const Complex b = measured->boxPressure[i][k];
      EXPECT_NEAR(CAbs(CSub(b, mean)), 0.0, 2e-4 * CAbs(model->boxPressure[i][9]) + 1e-15) << i << " " << k;
    }
  }
  EXPECT_LT(worstDb, 1e-3);
  EXPECT_LT(worstDeg, 0.01);
}

TEST(PolarDirections, UsedOnlyForAResponseMeasuredInTheBoxAndFollowedByTheIncrementalCalculation) {
  auto p = MeasuredWooferProject();
  const auto model = Compute(*p);
  p->chassis[0].polar = ModelAsMeasured(*model);
  // Measured on a standard baffle: the set describes no box being simulated.
  auto elsewhere = std::make_unique<Project>(*p);
  elsewhere->chassis[0].responseSource = 2;
  EXPECT_EQ(PolarSetUnusedText(elsewhere->chassis[0]),
            "Die Polardaten werden nicht verwendet: sie gelten nur für einen Frequenzgang, der \"im Gehäuse\" "
            "gemessen wurde.");
  EXPECT_EQ(Compute(*elsewhere)->polarMeasured[0], 0u);

  // The calculation that follows an edit recomputes the baffle when the set
  // comes or goes, and ends where a full calculation of the project ends.
  CalcThread thread(nullptr, false, std::chrono::milliseconds(0));
  auto without = std::make_unique<Project>(*p);
  without->chassis[0].polar = PolarSet{};
  thread.StartFullCalc(*without);
  thread.ComputeUntilDone();
  thread.StartCalc(*p);
  thread.ComputeUntilDone();
  const auto full = Compute(*p);
  EXPECT_EQ(thread.Result().polarMeasured[0], kAllPolarDirections);
  for (int i = 0; i < full->freqCount; ++i)
    EXPECT_EQ(thread.Result().boxPressure[i][25].re, full->boxPressure[i][25].re);
  thread.StartCalc(*without);
  thread.ComputeUntilDone();
  EXPECT_EQ(thread.Result().polarMeasured[0], 0u);
  EXPECT_EQ(thread.Result().boxPressure[10][25].re, model->boxPressure[10][25].re);
}

}  // namespace
}  // namespace sonvex
