// Step and impulse responses against closed forms: a pure delay, a
// second-order high-pass, a chassis of inverted polarity, and the window's
// first index at each sampling rate.
#include "calc/time_response.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <memory>
#include <numbers>
#include <vector>

namespace sonvex {
namespace {

constexpr double kPi = std::numbers::pi;

// A 599-point logarithmic grid from 10 Hz to 20 kHz.
std::vector<double> Grid() {
  std::vector<double> f(599);
  for (std::size_t i = 0; i < f.size(); ++i) f[i] = 10.0 * std::pow(2000.0, static_cast<double>(i) / 598.0);
  return f;
}

Complex ToComplex(std::complex<double> z) { return {z.real(), z.imag()}; }

// The second-order high-pass s²/(s² + s·w0/Q + w0²) at 200 Hz, Q = 0.707.
constexpr double kCorner = 200.0;
constexpr double kQ = 0.707;
Complex HighPass(double f) {
  const double w0 = 2 * kPi * kCorner;
  const std::complex<double> s(0.0, 2 * kPi * f);
  return ToComplex(s * s / (s * s + s * w0 / kQ + w0 * w0));
}
// Its step response: e^(−a·t)·(cos(wd·t) − a/wd·sin(wd·t)), a = w0/(2Q).
double HighPassStep(double t) {
  const double w0 = 2 * kPi * kCorner;
  const double a = w0 / (2 * kQ);
  const double wd = w0 * std::sqrt(1 - 1 / (4 * kQ * kQ));
  return std::exp(-a * t) * (std::cos(wd * t) - a / wd * std::sin(wd * t));
}

TEST(TimeResponse, APureDelayPutsThePeakAtTheDelayAndTheStepAtOne) {
  const std::vector<double> f = Grid();
  const double tau = 0.1e-3;
  std::vector<Complex> h(f.size());
  for (std::size_t i = 0; i < f.size(); ++i) h[i] = ToComplex(std::polar(1.0, -2 * kPi * f[i] * tau));
  const TimeCurve t = TimeWindow(ImpulseResponse(f, h, kChartSampling), 96000, 4896);
  ASSERT_EQ(t.impulse.size(), 4896u);
  const auto peak = std::max_element(t.impulse.begin(), t.impulse.end(),
                                     [](double a, double b) { return std::abs(a) < std::abs(b); });
  const double peakTime = (static_cast<double>(peak - t.impulse.begin()) + FirstIndex(96000)) / 96000.0;
  EXPECT_NEAR(peakTime, tau, 1.0 / 96000.0);
  const auto at = [&](double time) {
    return static_cast<std::size_t>(std::lround(time * 96000.0) - FirstIndex(96000));
  };
  EXPECT_NEAR(t.step[at(tau + 0.1e-3)], 1.0, 0.02);
  // Before time 0 the delayed response is silent.
  EXPECT_LT(std::abs(t.step[at(-0.5e-3)]), 0.02);
}

TEST(TimeResponse, ASecondOrderHighPassFollowsItsAnalyticStep) {
  const std::vector<double> f = Grid();
  std::vector<Complex> h(f.size());
  for (std::size_t i = 0; i < f.size(); ++i) h[i] = HighPass(f[i]);
  const TimeCurve t = TimeWindow(ImpulseResponse(f, h, kChartSampling), 96000, 4896);
  double peak = 0.0;
  for (std::size_t i = 0; i < t.step.size(); ++i) {
    const double time = (static_cast<double>(i) + FirstIndex(96000)) / 96000.0;
    if (time >= 0) peak = std::max(peak, std::abs(HighPassStep(time)));
  }
  // The step sums whole samples: it follows the analytic step half a sample
  // later, (m + ½)/fs, closely, and at m/fs within the slope times half a
  // sample. From 0.2 ms on the band limit of the grid has died away.
  double worst = 0.0;
  double worstHalfSample = 0.0;
  for (std::size_t i = 0; i < t.step.size(); ++i) {
    const double time = (static_cast<double>(i) + FirstIndex(96000)) / 96000.0;
    if (time < 0.2e-3) continue;
    worst = std::max(worst, std::abs(t.step[i] - HighPassStep(time)));
    if (time >= 0.25e-3)
      worstHalfSample = std::max(worstHalfSample, std::abs(t.step[i] - HighPassStep(time + 0.5 / 96000.0)));
  }
  EXPECT_LT(worst, 0.01 * peak);
  EXPECT_LT(worstHalfSample, 0.001 * peak);
}

TEST(TimeResponse, AChassisOfInvertedPolarityGivesTheNegatedStep) {
  auto r = std::make_unique<CalcResult>();
  r->valid = true;
  r->freqCount = 599;
  r->chassisCount = 2;
  const std::vector<double> f = Grid();
  for (std::size_t i = 0; i < f.size(); ++i) {
    r->freq[i] = f[i];
    const Complex hp = HighPass(f[i]);
    r->contributionFront[0][i][0] = hp;
    r->contributionFront[1][i][0] = {-hp.re, -hp.im};
    r->boxPressure[i][0] = hp;
  }
  const TimeResponse t = ComputeTimeResponse(*r);
  EXPECT_EQ(t.rate, 96000);
  EXPECT_EQ(t.start, -96);
  ASSERT_EQ(t.chassis.size(), 2u);
  ASSERT_EQ(t.box.step.size(), 4896u);  // −1 ms … +50 ms
  double largest = 0.0;
  for (std::size_t i = 0; i < t.box.step.size(); ++i) {
    largest = std::max(largest, std::abs(t.chassis[0].step[i]));
    EXPECT_NEAR(t.box.step[i], t.chassis[0].step[i], 1e-12) << i;
  }
  for (std::size_t i = 0; i < t.box.step.size(); ++i)
    EXPECT_NEAR(t.chassis[1].step[i], -t.chassis[0].step[i], 1e-9 * largest) << i;
}

TEST(TimeResponse, TheWindowStartsOneMillisecondBeforeZero) {
  EXPECT_EQ(FirstIndex(96000), -96);
  EXPECT_EQ(FirstIndex(48000), -48);
  EXPECT_EQ(FirstIndex(44100), -44);
  EXPECT_EQ(WavSampling(44100).length, 32768);
  EXPECT_EQ(WavSampling(48000).length, 32768);
  EXPECT_EQ(WavSampling(96000).length, 65536);
  // Indices below 0 read from the end of the impulse; the step sums from the first.
  std::vector<double> impulse(8, 0.0);
  impulse[7] = 1.0;                                  // m = −1
  impulse[0] = 2.0;                                  // m = 0
  const TimeCurve t = TimeWindow(impulse, 1000, 4);  // from m = −1
  EXPECT_EQ(t.impulse, (std::vector<double>{1.0, 2.0, 0.0, 0.0}));
  EXPECT_EQ(t.step, (std::vector<double>{1.0, 3.0, 3.0, 3.0}));
  // A result that is not valid gives no curves.
  EXPECT_TRUE(ComputeTimeResponse(*std::make_unique<CalcResult>()).box.step.empty());
}

}  // namespace
}  // namespace sonvex
