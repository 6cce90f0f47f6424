#include "acoustics/voice_coil_fit.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <utility>

#include "numeric/complex.h"
#include "numeric/constants.h"

namespace sonvex {

namespace {

constexpr double kTwoPi = 6.283185307179586477;
constexpr int kPasses = 10;
constexpr int kMaxSweeps = 1501;

enum { ParamLe, ParamRe2, ParamLe2, ParamRe3, ParamLe3, ParamCount };
using CoilParams = std::array<double, ParamCount>;

// The measured points above 2·fs with the parts of the model that the fit
// does not change: Re and the motional impedance of the free chassis.
struct FitPoints {
  std::array<double, kFreqEntries> omega{};
  std::array<double, kFreqEntries> measured{};
  std::array<Complex, kFreqEntries> fixed{};
  std::array<bool, kFreqEntries> twice{};  // near the impedance minimum: counted twice
  int count = 0;
};

double FitError(const FitPoints& pts, const CoilParams& p) {
  double e = 0;
  for (int i = 0; i < pts.count; ++i) {
    const double w = pts.omega[i];
    const Complex coil = CAdd3(Complex{0, w * p[ParamLe]}, CPar(Complex{p[ParamRe2], 0}, Complex{0, w * p[ParamLe2]}),
                               CPar(Complex{p[ParamRe3], 0}, Complex{0, w * p[ParamLe3]}));
    const double diff = pts.measured[i] - CAbs(CAdd(pts.fixed[i], coil));
    e += diff * diff;
    if (pts.twice[i]) e += diff * diff;
  }
  return e;
}

}  // namespace

bool FitVoiceCoil(Chassis& c, std::string& memo) {
  memo.clear();
  FreqArray& freqs = c.measuredImpedanceFreq;
  FreqArray& magnitudes = c.measuredImpedance;

  int n = 0;
  while (n < kFreqEntries && freqs[n] > 0) ++n;
  // Exchange sort of neighbouring pairs: the lists may come in any order.
  for (int pass = 0; pass + 1 < n; ++pass) {
    bool swapped = false;
    for (int k = 0; k + 1 < n - pass; ++k) {
      if (freqs[k] > freqs[k + 1]) {
        std::swap(freqs[k], freqs[k + 1]);
        std::swap(magnitudes[k], magnitudes[k + 1]);
        swapped = true;
      }
    }
    if (!swapped) break;
  }

  const double fs = c.fs;
  int start = 0;
  while (start < n && !(freqs[start] >= 1.2 * fs)) ++start;
  if (start + 5 >= n) {
    memo = kFitTooFewPointsText;
    return false;
  }

  // The impedance minimum above the resonance.
  int minIndex = start;
  double zMin = 1e10;
  for (int k = start; k < n; ++k) {
    if (magnitudes[k] < zMin) {
      zMin = magnitudes[k];
      minIndex = k;
    }
  }

  int countAbove2fs = 0;
  for (int k = 0; k < n; ++k)
    if (freqs[k] > 2 * fs) ++countAbove2fs;

  auto pts = std::make_unique<FitPoints>();
  const double rms = c.derived.Rms, cms = c.derived.Cms, lms = c.derived.Lms;
  for (int k = 0; k < n; ++k) {
    if (!(freqs[k] > 2 * fs)) continue;
    const double w = kTwoPi * freqs[k];
    const Complex motional = CPar3(Complex{rms, 0}, Complex{0, -1 / (w * cms)}, Complex{0, w * lms});
    const int i = pts->count++;
    pts->omega[i] = w;
    pts->measured[i] = magnitudes[k];
    pts->fixed[i] = CAdd(Complex{c.Re, 0}, motional);
    pts->twice[i] = 10 * std::abs(k - minIndex) < countAbove2fs;
  }

  // Start values and steps.
  CoilParams p{};
  CoilParams steps{};
  p[ParamLe] = 0.0005;
  p[ParamLe2] = 0.0005;
  steps[ParamLe] = 5e-6;
  steps[ParamLe2] = 5e-6;
  p[ParamRe2] = c.Re;
  steps[ParamRe2] = c.Re / 100;
  const double re3Start = (magnitudes[minIndex] - c.Re) * 1.2 + 1e-6;
  p[ParamRe3] = re3Start > 0 ? re3Start : 1e-6;
  steps[ParamRe3] = std::fabs(p[ParamRe3] / 100);
  p[ParamLe3] = p[ParamRe3] * 0.5 / kPiShort / freqs[minIndex] + 1e-6;
  steps[ParamLe3] = std::fabs(p[ParamLe3] / 100);
  c.Re3 = re3Start > 0 ? re3Start : 0.01;
  c.Le3 = c.Re3 * 0.5 / kPiShort / freqs[minIndex] + 1e-6;

  // Coordinate search: each step that improves grows by 3 %; every pass
  // ends with all steps halved.
  double e0 = FitError(*pts, p);
  for (int pass = 0; pass < kPasses; ++pass) {
    for (int sweep = 0; sweep < kMaxSweeps; ++sweep) {
      bool improved = false;
      for (int k = 0; k < ParamCount; ++k) {
        const double old = p[k];
        p[k] = old + steps[k];
        double e = FitError(*pts, p);
        if (e < e0) {
          e0 = e;
          steps[k] *= 1.03;
          improved = true;
        } else {
          p[k] = old;
        }
        // Down-steps only while the value exceeds its step: never negative.
        if (p[k] > steps[k]) {
          const double up = p[k];
          p[k] = up - steps[k];
          e = FitError(*pts, p);
          if (e < e0) {
            e0 = e;
            steps[k] *= 1.03;
            improved = true;
          } else {
            p[k] = up;
          }
        }
      }
      if (!improved) break;
    }
    for (double& step : steps) step /= 2;
  }

  c.Le = p[ParamLe];
  c.Re2 = p[ParamRe2];
  c.Le2 = p[ParamLe2];
  c.Re3 = p[ParamRe3];
  c.Le3 = p[ParamLe3];
  return true;
}

}  // namespace sonvex
