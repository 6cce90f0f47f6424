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

enum { kLe, kRe2, kLe2, kRe3, kLe3, kParamCount };
using TParams = std::array<double, kParamCount>;

// The measured points above 2·fs with the parts of the model that the fit
// does not change: Re and the motional impedance of the free chassis.
struct TFitPoints {
  std::array<double, kFreqEntries> omega{};
  std::array<double, kFreqEntries> measured{};
  std::array<TComplex, kFreqEntries> fixed{};
  std::array<bool, kFreqEntries> twice{};  // near the impedance minimum: counted twice
  int count = 0;
};

double FitError(const TFitPoints& pts, const TParams& p) {
  double e = 0;
  for (int i = 0; i < pts.count; ++i) {
    const double w = pts.omega[i];
    const TComplex coil = CAdd3(TComplex{0, w * p[kLe]}, CPar(TComplex{p[kRe2], 0}, TComplex{0, w * p[kLe2]}),
                                CPar(TComplex{p[kRe3], 0}, TComplex{0, w * p[kLe3]}));
    const double diff = pts.measured[i] - CAbs(CAdd(pts.fixed[i], coil));
    e += diff * diff;
    if (pts.twice[i]) e += diff * diff;
  }
  return e;
}

}  // namespace

bool FitVoiceCoil(TChassis& c, std::string& memo) {
  memo.clear();
  TFreqArray& fl = c.FgangIF;
  TFreqArray& zl = c.FgangI;

  int n = 0;
  while (n < kFreqEntries && fl[n] > 0) ++n;
  // Exchange sort of neighbouring pairs: the lists may come in any order.
  for (int pass = 0; pass + 1 < n; ++pass) {
    bool swapped = false;
    for (int k = 0; k + 1 < n - pass; ++k) {
      if (fl[k] > fl[k + 1]) {
        std::swap(fl[k], fl[k + 1]);
        std::swap(zl[k], zl[k + 1]);
        swapped = true;
      }
    }
    if (!swapped) break;
  }

  const double fs = c.fs;
  int start = 0;
  while (start < n && !(fl[start] >= 1.2 * fs)) ++start;
  if (start + 5 >= n) {
    memo = kFitTooFewPointsText;
    return false;
  }

  // The impedance minimum above the resonance.
  int b = start;
  double zMin = 1e10;
  for (int k = start; k < n; ++k) {
    if (zl[k] < zMin) {
      zMin = zl[k];
      b = k;
    }
  }

  int m = 0;
  for (int k = 0; k < n; ++k)
    if (fl[k] > 2 * fs) ++m;

  auto pts = std::make_unique<TFitPoints>();
  const double rms = c.derived.Rms, cms = c.derived.Cms, lms = c.derived.Lms;
  for (int k = 0; k < n; ++k) {
    if (!(fl[k] > 2 * fs)) continue;
    const double w = kTwoPi * fl[k];
    const TComplex motional = CPar3(TComplex{rms, 0}, TComplex{0, -1 / (w * cms)}, TComplex{0, w * lms});
    const int i = pts->count++;
    pts->omega[i] = w;
    pts->measured[i] = zl[k];
    pts->fixed[i] = CAdd(TComplex{c.Re, 0}, motional);
    pts->twice[i] = 10 * std::abs(k - b) < m;
  }

  // Start values and steps.
  TParams p{};
  TParams s{};
  p[kLe] = 0.0005;
  p[kLe2] = 0.0005;
  s[kLe] = 5e-6;
  s[kLe2] = 5e-6;
  p[kRe2] = c.Re;
  s[kRe2] = c.Re / 100;
  const double re3Start = (zl[b] - c.Re) * 1.2 + 1e-6;
  p[kRe3] = re3Start > 0 ? re3Start : 1e-6;
  s[kRe3] = std::fabs(p[kRe3] / 100);
  p[kLe3] = p[kRe3] * 0.5 / kPiShort / fl[b] + 1e-6;
  s[kLe3] = std::fabs(p[kLe3] / 100);
  c.Re3 = re3Start > 0 ? re3Start : 0.01;
  c.Le3 = c.Re3 * 0.5 / kPiShort / fl[b] + 1e-6;

  // Coordinate search: each step that improves grows by 3 %; every pass
  // ends with all steps halved.
  double e0 = FitError(*pts, p);
  for (int pass = 0; pass < kPasses; ++pass) {
    for (int sweep = 0; sweep < kMaxSweeps; ++sweep) {
      bool improved = false;
      for (int k = 0; k < kParamCount; ++k) {
        const double old = p[k];
        p[k] = old + s[k];
        double e = FitError(*pts, p);
        if (e < e0) {
          e0 = e;
          s[k] *= 1.03;
          improved = true;
        } else {
          p[k] = old;
        }
        // Down-steps only while the value exceeds its step: never negative.
        if (p[k] > s[k]) {
          const double up = p[k];
          p[k] = up - s[k];
          e = FitError(*pts, p);
          if (e < e0) {
            e0 = e;
            s[k] *= 1.03;
            improved = true;
          } else {
            p[k] = up;
          }
        }
      }
      if (!improved) break;
    }
    for (double& step : s) step /= 2;
  }

  c.Le = p[kLe];
  c.Re2 = p[kRe2];
  c.Le2 = p[kLe2];
  c.Re3 = p[kRe3];
  c.Le3 = p[kLe3];
  return true;
}

}  // namespace sonvex
