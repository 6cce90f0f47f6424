// Listening window, early reflections, sound power, in-room response,
// directivity indices and group delay, checked against cases worked out by
// hand: a box radiating equally everywhere, a source heard only in one
// direction, a pure delay, and a phase that wraps at every point.
#include "calc/spinorama.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

namespace sonvex {
namespace {

constexpr double kPi = std::numbers::pi;

// A valid result on a 20..20000 Hz grid of `points` points, silent everywhere.
std::unique_ptr<CalcResult> MakeResult(int points) {
  auto r = std::make_unique<CalcResult>();
  r->valid = true;
  r->freqCount = points;
  r->chassisCount = 2;
  for (int i = 0; i < points; ++i) r->freq[i] = 20.0 * std::pow(1000.0, i / (points - 1.0));
  return r;
}

// The power behind a level of the chart scale.
double Power(double db) { return std::pow(10.0, (db - 112.0) / 10.0) - 1e-100; }

TEST(SoundPowerWeights, AddUpToOneAndFollowTheRings) {
  const auto& w = SoundPowerWeights();
  double sum = 0;
  for (double x : w) sum += x;
  EXPECT_NEAR(sum, 1.0, 1e-15);
  const double cap = (1 - std::cos(15 * kPi / 180)) / 2;
  EXPECT_NEAR(w[0], cap, 1e-17);
  EXPECT_NEAR(w[21], cap, 1e-17);
  // 30 degree ring: (cos 15 - cos 45) / 2 over four directions
  EXPECT_NEAR(w[3], (std::cos(15 * kPi / 180) - std::cos(45 * kPi / 180)) / 8, 1e-17);
  // 90 degree ring: (cos 75 - cos 105) / 2 over twelve directions, the baffle plane included
  const double ring90 = (std::cos(75 * kPi / 180) - std::cos(105 * kPi / 180)) / 24;
  EXPECT_NEAR(w[10], ring90, 1e-17);
  EXPECT_NEAR(w[27], ring90, 1e-17);
  EXPECT_EQ(w[5], w[13]);  // 60 and 120 degrees are mirror bands
}

TEST(Spinorama, EqualRadiationEverywhereGivesOneCurveAndNoDirectivity) {
  auto r = MakeResult(40);
  for (int i = 0; i < 40; ++i) r->boxPressure[i].fill(Complex{0.5 + 0.01 * i, -0.3});
  const Spinorama s = ComputeSpinorama(*r);
  ASSERT_EQ(s.n, 40);
  for (int i = 0; i < 40; ++i) {
    const double onAxis = 20 * std::log10(CAbs(r->boxPressure[i][0])) + 112;
    ASSERT_NEAR(s.onAxis[i], onAxis, 1e-12);
    for (const SpinCurve* c : {&s.LW, &s.ER, &s.SP, &s.PIR, &s.FB, &s.CB, &s.FW, &s.SW, &s.RW})
      ASSERT_NEAR((*c)[i], onAxis, 1e-12) << i;
    ASSERT_NEAR(s.SPDI[i], 0.0, 1e-12);
    ASSERT_NEAR(s.ERDI[i], 0.0, 1e-12);
  }
}

TEST(Spinorama, SourceHeardOnlyOnAxis) {
  auto r = MakeResult(10);
  for (int i = 0; i < 10; ++i) r->boxPressure[i][0] = kComplexOne;  // every other direction stays 0
  const Spinorama s = ComputeSpinorama(*r);
  const double cap = (1 - std::cos(15 * kPi / 180)) / 2;
  EXPECT_NEAR(Power(s.LW[4]), 5.0 / 9, 1e-14);
  EXPECT_NEAR(Power(s.SP[4]), cap, 1e-15);
  EXPECT_NEAR(s.SPDI[4], 10 * std::log10(5.0 / 9 / cap), 1e-12);
  EXPECT_NEAR(s.SPDI[4], 15.133, 0.001);  // 0.5556 / 0.017037 = 32.61
  // only the front wall sees the axis: ER = (3/7) / 5
  EXPECT_NEAR(Power(s.ER[4]), 3.0 / 35, 1e-15);
  EXPECT_NEAR(s.ERDI[4], 10 * std::log10(5.0 / 9 / (3.0 / 35)), 1e-12);
  EXPECT_NEAR(Power(s.PIR[4]), 0.12 * 5 / 9 + 0.44 * 3 / 35 + 0.44 * cap, 1e-14);
  EXPECT_NEAR(s.onAxis[4], 112.0, 1e-12);
  EXPECT_NEAR(s.FB[4], -888.0, 1e-9);  // nothing towards the floor: 10 log10(1e-100) + 112
}

// Each named curve takes its directions with its weights: power 1 in one
// direction only, the linear value of every curve worked out by hand.
TEST(Spinorama, EachCurveTakesItsDirections) {
  struct Case {
    int k;
    double lw, fb, cb, fw, sw, rw;
  };
  const Case cases[] = {
      {2, 2.0 / 9, 0, 0, 2.0 / 7, 1.0 / 10, 0},  // 30 degrees left
      {4, 2.0 / 9, 0, 0, 2.0 / 7, 1.0 / 10, 0},  // 30 degrees right
      {1, 0, 0, 1.0 / 3, 0, 0, 0},               // 30 degrees up
      {5, 0, 0, 2.0 / 3, 0, 0, 0},               // 60 degrees up
      {3, 0, 1, 0, 0, 0, 0},                     // 30 degrees down
      {7, 0, 0, 0, 0, 0, 0},                     // 60 degrees down: no curve looks there
      {6, 0, 0, 0, 0, 3.0 / 10, 0},              // 60 degrees left
      {8, 0, 0, 0, 0, 3.0 / 10, 0},              // 60 degrees right
      {10, 0, 0, 0, 0, 1.0 / 10, 1.0 / 3},       // 90 degrees left
      {12, 0, 0, 0, 0, 1.0 / 10, 1.0 / 3},       // 90 degrees right
      {21, 0, 0, 0, 0, 0, 1.0 / 3},              // rear axis
      {25, 0, 0, 0, 0, 0, 0},                    // baffle plane: sound power only
  };
  for (const Case& c : cases) {
    auto r = MakeResult(3);
    for (int i = 0; i < 3; ++i) r->boxPressure[i][c.k] = Complex{0.6, 0.8};  // magnitude 1
    const Spinorama s = ComputeSpinorama(*r);
    SCOPED_TRACE(c.k);
    EXPECT_NEAR(Power(s.LW[1]), c.lw, 1e-15);
    EXPECT_NEAR(Power(s.FB[1]), c.fb, 1e-15);
    EXPECT_NEAR(Power(s.CB[1]), c.cb, 1e-15);
    EXPECT_NEAR(Power(s.FW[1]), c.fw, 1e-15);
    EXPECT_NEAR(Power(s.SW[1]), c.sw, 1e-15);
    EXPECT_NEAR(Power(s.RW[1]), c.rw, 1e-15);
    EXPECT_NEAR(Power(s.ER[1]), (c.fb + c.cb + c.fw + c.sw + c.rw) / 5, 1e-15);
    EXPECT_NEAR(Power(s.SP[1]), SoundPowerWeights()[c.k], 1e-16);
  }
}

TEST(GroupDelay, PureDelayGivesItsTimeAtEveryPointIncludingTheEnds) {
  // 1 ms on 599 points up to 20 kHz: the phase wraps twenty times, while
  // neighbouring points stay less than pi apart
  auto r = MakeResult(599);
  const double t = 1e-3;
  for (int i = 0; i < 599; ++i) {
    const Complex delay = CPolar(1.0, -2 * kPi * r->freq[i] * t);
    r->boxPressure[i].fill(delay);
    r->contributionFront[0][i][0] = CScale(delay, 0.5);  // chassis 1: front and rear add up to the delay
    r->contributionRear[0][i][0] = CScale(delay, 0.5);
    r->contributionFront[1][i][0] = CPolar(2.0, -2 * kPi * r->freq[i] * 0.25e-3);  // chassis 2: 0.25 ms
  }
  const Spinorama s = ComputeSpinorama(*r);
  ASSERT_EQ(s.groupDelayBox.size(), 599u);
  ASSERT_EQ(s.groupDelayChassis.size(), 2u);
  for (int i = 0; i < 599; ++i) {
    ASSERT_NEAR(s.groupDelayBox[i], 1.0, 1e-9) << i;
    ASSERT_NEAR(s.groupDelayChassis[0][i], 1.0, 1e-9) << i;
    ASSERT_NEAR(s.groupDelayChassis[1][i], 0.25, 1e-9) << i;
  }
}

TEST(GroupDelay, UnwrapsAPhaseThatWrapsAtEveryStep) {
  // linear grid 100, 110, ... Hz; the phase moves 3 rad per step (less than
  // pi), so the raw angle jumps by 2 pi at almost every point
  for (const double step : {-3.0, 3.0, -0.5}) {
    std::vector<double> f;
    std::vector<Complex> h;
    for (int i = 0; i < 25; ++i) {
      f.push_back(100.0 + 10.0 * i);
      h.push_back(CPolar(0.3, 1.0 + step * i));
    }
    const std::vector<double> tau = GroupDelay(f, h);
    ASSERT_EQ(tau.size(), 25u);
    for (double x : tau) ASSERT_NEAR(x, -step / (2 * kPi * 10.0), 1e-12) << step;
  }
  // one point has no slope; no point gives no curve
  EXPECT_EQ(GroupDelay({100.0}, {kComplexOne}), std::vector<double>{0.0});
  EXPECT_TRUE(GroupDelay({}, {}).empty());
}

TEST(Spinorama, ResultWithoutCalculationGivesEmptyCurves) {
  auto r = MakeResult(20);
  r->boxPressure[3].fill(kComplexOne);
  r->valid = false;
  const Spinorama s = ComputeSpinorama(*r);
  EXPECT_EQ(s.n, 0);
  EXPECT_TRUE(s.LW.empty());
  EXPECT_TRUE(s.SPDI.empty());
  EXPECT_TRUE(s.groupDelayBox.empty());
  EXPECT_TRUE(s.groupDelayChassis.empty());
}

}  // namespace
}  // namespace sonvex
