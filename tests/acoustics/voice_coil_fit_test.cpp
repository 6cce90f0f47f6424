#include "acoustics/voice_coil_fit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "acoustics/chassis_model.h"
#include "acoustics/enclosure.h"
#include "model/result.h"

namespace sonvex {
namespace {

constexpr double kTwoPi = 6.283185307179586477;

// A chassis with known voice-coil values, its free-chassis elements derived
// as the file loader derives them. The coordinate search starts Re3 from the
// rise of the impedance minimum above Re and stays in the valley it starts
// in: these values are of the kind it finds.
Chassis KnownChassis() {
  Chassis c;
  c.fs = 45;
  c.Qes = 0.45;
  c.Qms = 3.5;
  c.Vas = 0.04;
  c.Re = 5.8;
  c.Le = 4e-4;
  c.Re2 = 6;
  c.Le2 = 6e-4;
  c.Re3 = 3;
  c.Le3 = 2e-3;
  c.Sd = 0.013;
  c.xlin = 0.004;
  c.derived.Rms = c.Re * c.Qms / c.Qes;
  c.derived.Cms = c.Qes / (c.Re * kTwoPi * c.fs);
  c.derived.Lms = c.Re / (c.Qes * kTwoPi * c.fs);
  return c;
}

// Impedance magnitudes of the chassis model itself (integrated enclosure,
// no air load) at `n` log-spaced frequencies.
void SyntheticImpedance(Chassis& c, int n, double fMin, double fMax) {
  FreqArray freq{};
  for (int i = 0; i < n; ++i) freq[i] = fMin * std::pow(fMax / fMin, static_cast<double>(i) / (n - 1));
  Enclosure e;
  e.type = 0;
  auto z = std::make_unique<ComplexCurve>();
  auto other = std::make_unique<ComplexCurve>();
  ASSERT_EQ(SimulateChassis(c, e, freq, 600, *z, *other, *other, *other), "OK");
  c.measuredImpedanceFreq.fill(0);
  c.measuredImpedance.fill(0);
  for (int i = 0; i < n; ++i) {
    c.measuredImpedanceFreq[i] = freq[i];
    c.measuredImpedance[i] = CAbs((*z)[i]);
  }
}

void ForgetVoiceCoil(Chassis& c) { c.Le = c.Re2 = c.Le2 = c.Re3 = c.Le3 = 0.001; }

TEST(FitVoiceCoil, RecoversTheModelsOwnValues) {
  const Chassis truth = KnownChassis();
  Chassis c = truth;
  SyntheticImpedance(c, 200, 10, 20000);
  ForgetVoiceCoil(c);
  std::string memo = "old";
  ASSERT_TRUE(FitVoiceCoil(c, memo));
  EXPECT_EQ(memo, "");
  EXPECT_NEAR(c.Le, truth.Le, 0.03 * truth.Le);
  EXPECT_NEAR(c.Re2, truth.Re2, 0.03 * truth.Re2);
  EXPECT_NEAR(c.Le2, truth.Le2, 0.03 * truth.Le2);
  EXPECT_NEAR(c.Re3, truth.Re3, 0.03 * truth.Re3);
  EXPECT_NEAR(c.Le3, truth.Le3, 0.03 * truth.Le3);
}

TEST(FitVoiceCoil, OrderOfTheListDoesNotMatter) {
  Chassis ascending = KnownChassis();
  SyntheticImpedance(ascending, 120, 15, 18000);
  ForgetVoiceCoil(ascending);
  Chassis descending = ascending;
  for (int i = 0; i < 120; ++i) {
    descending.measuredImpedanceFreq[i] = ascending.measuredImpedanceFreq[119 - i];
    descending.measuredImpedance[i] = ascending.measuredImpedance[119 - i];
  }
  std::string memo;
  ASSERT_TRUE(FitVoiceCoil(ascending, memo));
  ASSERT_TRUE(FitVoiceCoil(descending, memo));
  EXPECT_EQ(descending.measuredImpedanceFreq, ascending.measuredImpedanceFreq);  // the lists come back sorted
  EXPECT_EQ(descending.measuredImpedance, ascending.measuredImpedance);
  EXPECT_EQ(descending.Le, ascending.Le);
  EXPECT_EQ(descending.Re2, ascending.Re2);
  EXPECT_EQ(descending.Le2, ascending.Le2);
  EXPECT_EQ(descending.Re3, ascending.Re3);
  EXPECT_EQ(descending.Le3, ascending.Le3);
}

TEST(FitVoiceCoil, NeedsSixPointsFromOnePointTwoFs) {
  // fs = 45: 1.2·fs = 54. Points below that do not count.
  Chassis c = KnownChassis();
  const double below[] = {20, 30, 45, 53.9};
  const double above[] = {54, 100, 300, 1000, 3000, 10000};
  for (int count : {5, 6}) {
    SCOPED_TRACE(count);
    Chassis k = c;
    k.measuredImpedanceFreq.fill(0);
    k.measuredImpedance.fill(0);
    int n = 0;
    for (double f : below) {
      k.measuredImpedanceFreq[n] = f;
      k.measuredImpedance[n++] = 20;
    }
    for (int i = 0; i < count; ++i) {
      k.measuredImpedanceFreq[n] = above[i];
      k.measuredImpedance[n++] = 6 + i;
    }
    const Chassis before = k;
    std::string memo;
    const bool fitted = FitVoiceCoil(k, memo);
    EXPECT_EQ(fitted, count == 6);
    if (count == 5) {
      EXPECT_EQ(memo, kFitTooFewPointsText);
      EXPECT_EQ(k, before);
    } else {
      EXPECT_EQ(memo, "");
      for (double v : {k.Le, k.Re2, k.Le2, k.Re3, k.Le3}) EXPECT_GT(v, 0);
    }
  }
}

TEST(FitVoiceCoil, MinimumBelowReStillGivesPositiveValues) {
  // A measured minimum below Re: the Re3 start is 1e-6 and down-steps never
  // make a value negative.
  Chassis c = KnownChassis();
  c.measuredImpedanceFreq.fill(0);
  c.measuredImpedance.fill(0);
  const double f[] = {60, 100, 200, 400, 800, 1600, 3200, 6400};
  const double z[] = {5.0, 5.2, 5.5, 6.0, 7.0, 9.0, 12.0, 16.0};
  for (int i = 0; i < 8; ++i) {
    c.measuredImpedanceFreq[i] = f[i];
    c.measuredImpedance[i] = z[i];
  }
  std::string memo;
  ASSERT_TRUE(FitVoiceCoil(c, memo));
  for (double v : {c.Le, c.Re2, c.Le2, c.Re3, c.Le3}) {
    EXPECT_GT(v, 0);
    EXPECT_TRUE(std::isfinite(v));
  }
}

}  // namespace
}  // namespace sonvex
