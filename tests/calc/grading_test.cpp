#include "calc/grading.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "support/test_projects.h"

namespace sonvex {
namespace {

// A synthetic result on a 20..20000 Hz grid: the box follows `level`·T(f)
// in every direction (so the directivity ratio is 1), amplifiers see 8 Ohm.
std::unique_ptr<CalcResult> FlatResult(const Project& p, int n, const OptimizerParams& params, double wiggle = 0.0) {
  auto r = std::make_unique<CalcResult>();
  r->freqCount = n;
  for (int i = 0; i < n; ++i) {
    const double f = 20.0 * std::pow(1000.0, i / (n - 1.0));
    r->freq[i] = f;
    const double level = 0.5 * TargetCurve(f, params.bass, params.treble) * (1 + wiggle * std::sin(i * 0.7));
    for (int k = 0; k < kDirections; ++k) r->boxPressure[i][k] = {level, 0};
    r->contributionFront[0][i][0] = {level, 0};
    r->boxTiltDown[i] = r->boxTiltUp[i] = {level, 0};
    r->directivityIndex[i] = 1.0;
    r->maxVoltage[i] = 20;
    for (int a = 0; a < p.ampCount; ++a) r->ampImpedance[a][i] = {-8, 0};
  }
  return r;
}

TEST(Grading, ParametersFromTheSliderPositions) {
  const OptimizerParams d = DefaultOptimizerParams();
  EXPECT_DOUBLE_EQ(d.Zmin, 8 * std::pow(0.5, 5.0 / 4));
  EXPECT_DOUBLE_EQ(d.e, 0.5);
  EXPECT_DOUBLE_EQ(d.bass, 1);
  EXPECT_DOUBLE_EQ(d.treble, 1);
  EXPECT_EQ(d.wA + d.wE + d.wL + d.wR + d.wB, 20);
  EXPECT_DOUBLE_EQ(OptimizerParamsFromSliders({0, 0, 0, 6}).Zmin, 8);
  EXPECT_DOUBLE_EQ(OptimizerParamsFromSliders({4, 0, 0, 6}).Zmin, 4);
  EXPECT_DOUBLE_EQ(OptimizerParamsFromSliders({8, 6, 0, 6}).Zmin, 2);
  EXPECT_DOUBLE_EQ(OptimizerParamsFromSliders({8, 6, 0, 6}).e, 0);
  EXPECT_DOUBLE_EQ(OptimizerParamsFromSliders({8, 6, 0, 6}).bass, std::pow(10.0, 0.3));
  EXPECT_DOUBLE_EQ(OptimizerParamsFromSliders({8, 6, 0, 6}).treble, std::pow(10.0, -0.3));
}

TEST(Grading, TotalFollowsTheDefaultSettingsFormula) {
  auto p = MakeNewProject();
  const OptimizerParams params = DefaultOptimizerParams();
  const auto r = FlatResult(*p, 126, params, 0.2);
  const GradeBlock g = ComputeGrades(*p, *r, params);
  const double I = g[GradeImpedance];
  double expected = (6.5 * (10 * g[GradeResponse] + g[GradePhase] + 4.5 * g[GradeDirectivity] + 4 * I) +
                     45.5 * g[GradeEfficiency] + 13 * g[GradeOverload]) /
                    107;
  if (I > 1) expected += 0.25 * (I * I - 1) / (I + 4);
  EXPECT_NEAR(g[GradeTotal], expected, 1e-12);
  for (int unused : {1, 2, 8, 9}) EXPECT_EQ(g[unused], 0);
  EXPECT_EQ(g[GradeOverload], 0);  // one chassis: no chassis is small
  EXPECT_EQ(g[GradeOverload], g[GradeExcursion] + g[GradeResonance]);
  for (double v : g) EXPECT_TRUE(std::isfinite(v));
}

// Four grid points, one amplifier of 6 Ohm, one chassis facing forward; the
// box is k·(0.4, 0.3, 0.2) on axis and 30° left and right, directivity 2,
// maximum voltage 10 V, tilt sums k·0.4 below and k·0.35 above the axis.
std::unique_ptr<CalcResult> FourPointResult(double k) {
  auto r = std::make_unique<CalcResult>();
  const double f[4] = {50, 300, 1000, 5000};
  r->freqCount = 4;
  for (int i = 0; i < 4; ++i) {
    r->freq[i] = f[i];
    r->ampImpedance[0][i] = {6, 0};
    r->boxPressure[i][0] = {0.4 * k, 0};
    r->boxPressure[i][2] = {0.3 * k, 0};
    r->boxPressure[i][4] = {0.2 * k, 0};
    r->contributionFront[0][i][0] = {0.4 * k, 0};
    r->directivityIndex[i] = 2;
    r->maxVoltage[i] = 10;
    r->boxTiltDown[i] = {0.4 * k, 0};
    r->boxTiltUp[i] = {0.35 * k, 0};
  }
  return r;
}

// Expected values worked out by hand from the grading formulas (python3,
// double precision). The efficiency grade has the 1 inside the logarithm:
// W = 3·(log10(0.12 / Zeff / L² / sqrt(M / sqrt(Zeff) + 1e-10) + 1))^1.25.
TEST(Grading, EfficiencyAndTotalGradeOfAFourPointBox) {
  auto p = MakeNewProject();
  const OptimizerParams params = DefaultOptimizerParams();
  struct Case {
    double k, L, M, W, G;
  };
  const Case cases[] = {
      {1, 0.25216803549199973, 12.619634200161164, 0.1040139812449487, 13.42316563588536},
      // Ten times as loud: the logarithm without its 1 would be below -1 and
      // the grade was clamped to 0 before; it is small but positive.
      {10, 2.5216803549199964, 12.619634200161164, 0.0003627718329285564, 13.379089654312931},
  };
  for (const Case& c : cases) {
    const auto r = FourPointResult(c.k);
    const GradeBlock g = ComputeGrades(*p, *r, params);
    EXPECT_NEAR(g[GradeImpedance], 0.5605041928036757, 1e-13) << c.k;
    EXPECT_NEAR(g[GradeLevel], c.L, 1e-12 * c.L) << c.k;
    EXPECT_NEAR(g[GradeMaxVoltage], c.M, 1e-12 * c.M) << c.k;
    EXPECT_NEAR(g[GradeEfficiency], c.W, 1e-10 * c.W) << c.k;
    EXPECT_GT(g[GradeEfficiency], 0) << c.k;
    EXPECT_NEAR(g[GradeResponse], 0.6643632593743438, 1e-11) << c.k;
    EXPECT_NEAR(g[GradePhase], 211.35221015705545, 1e-9) << c.k;
    EXPECT_EQ(g[GradeDirectivity], 0) << c.k;
    EXPECT_EQ(g[GradeOverload], 0) << c.k;
    EXPECT_NEAR(g[GradeTotal], c.G, 1e-11 * c.G) << c.k;
  }
}

TEST(Grading, ImpedanceGrade) {
  auto p = MakeNewProject();
  const OptimizerParams params = DefaultOptimizerParams();
  // Never below Zmin: a grade below 1.
  auto r = FlatResult(*p, 100, params);
  GradeBlock g = ComputeGrades(*p, *r, params);
  EXPECT_LT(g[GradeImpedance], 1);
  const double totalHigh = g[GradeTotal];

  // Half of Zmin at a quarter of the points, far above elsewhere: about 4^(1/4).
  for (int i = 0; i < 100; ++i) r->ampImpedance[0][i] = {i % 4 == 0 ? params.Zmin / 2 : 1e6, 0};
  g = ComputeGrades(*p, *r, params);
  EXPECT_NEAR(g[GradeImpedance], std::sqrt(2.0), 2e-3);
  const double I = g[GradeImpedance];
  const double bonus = 0.25 * (I * I - 1) / (I + 4);
  EXPECT_NEAR(bonus, 0.046, 5e-4);
  const double withoutBonus =
      (6.5 * (10 * g[GradeResponse] + g[GradePhase] + 4.5 * g[GradeDirectivity] + 4 * I) + 45.5 * g[GradeEfficiency]) /
      107;
  EXPECT_NEAR(g[GradeTotal] - withoutBonus, bonus, 1e-12);
  EXPECT_GT(g[GradeTotal], totalHigh);
}

TEST(Grading, FlatterResponseGetsALowerFrequencyResponseGrade) {
  auto p = MakeNewProject();
  const OptimizerParams params = DefaultOptimizerParams();
  double previous = -1;
  for (double wiggle : {0.0, 0.1, 0.3, 0.6}) {
    const auto r = FlatResult(*p, 126, params, wiggle);
    const GradeBlock g = ComputeGrades(*p, *r, params);
    EXPECT_GT(g[GradeResponse], previous) << wiggle;
    previous = g[GradeResponse];
  }
}

TEST(Grading, PointsWithoutDirectivityAreExpensiveButFinite) {
  auto p = MakeNewProject();
  const OptimizerParams params = DefaultOptimizerParams();
  auto r = FlatResult(*p, 50, params);
  r->directivityIndex[10] = 0;
  const GradeBlock g = ComputeGrades(*p, *r, params);
  for (double v : g) EXPECT_TRUE(std::isfinite(v));
  EXPECT_GT(g[GradeBass], 1e10);
}

TEST(Grading, SmallChassisOverloadAndPhaseTerms) {
  auto p = testing::MakeTwoWayProject();
  p->chassisCount = 2;
  p->chassis[0].derived.fc = 1000;
  const OptimizerParams params = DefaultOptimizerParams();
  auto r = FlatResult(*p, 126, params);
  // The tweeter (chassis 1, the small one) reaches its excursion limit just above the
  // whole box's limit and carries most of the sound near its resonance.
  for (int i = 0; i < 126; ++i) {
    r->maxVoltageExcursion[0][i] = 25;
    r->contributionFront[0][i][0] = r->boxPressure[i][0];
    r->contributionFront[1][i][0] = CScale(CPolar(1, 1.0), CAbs(r->boxPressure[i][0]));
  }
  const GradeBlock g = ComputeGrades(*p, *r, params);
  EXPECT_GT(g[GradeExcursion], 0);
  EXPECT_GT(g[GradeResonance], 0);
  EXPECT_GT(g[GradePhase], 0);
}

// A grade block is handed on while every grade is finite and not absurd;
// else the first such grade is named with its value.
TEST(Grading, CheckGradesNamesAGradeNotFiniteOrAbsurd) {
  GradeBlock g{};
  g[GradeTotal] = 33509;
  g[GradeBass] = 1e24;  // the grading's own penalties stay below the bound
  EXPECT_EQ(CheckGrades(g), "OK");
  g[GradeTotal] = 8.8e50;
  EXPECT_EQ(CheckGrades(g),
            "Fehler: Note gesamt = 8,8E50 ist nicht plausibel (über 1E30); ein Wert der Chassis, Weichen oder Pegel "
            "liegt außerhalb jedes sinnvollen Maßes.");
  EXPECT_TRUE(IsGradeFailureText(CheckGrades(g)));
  g[GradeTotal] = 6.353;
  g[GradeEfficiency] = INFINITY;
  EXPECT_EQ(CheckGrades(g).rfind("Fehler: Note Wirkungsgrad = +inf ist nicht endlich; ", 0), 0u) << CheckGrades(g);
  g[GradeEfficiency] = 1;
  g[GradeMaxVoltage] = NAN;
  EXPECT_EQ(CheckGrades(g).rfind("Fehler: Note maximale Spannung = nan ist nicht endlich; ", 0), 0u) << CheckGrades(g);
  EXPECT_FALSE(IsGradeFailureText("Fehler: Chassis 1: xlin"));
}

TEST(Grading, ReportLines) {
  GradeBlock g{};
  g[GradeImpedance] = 1.23456;
  g[GradeTotal] = -12.5;
  const auto lines = GradeReportLines(g);
  EXPECT_EQ(lines[0], "Note Impedanz     =    1.235");
  EXPECT_EQ(lines[1], "Note Wirkungsgrad =    0.000");
  EXPECT_EQ(lines[4], "Note gesamt       =  -12.500");
}

}  // namespace
}  // namespace sonvex
