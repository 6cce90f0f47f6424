#pragma once
// Step and impulse responses of the box and of each chassis, computed from
// their complex responses on the project's grid. The definitions are exact,
// so that anyone can recompute every value from the JSON:
//
// 1. Sampling rate fs and length N (96 000 Hz and 65 536 for the chart and
//    the JSON; 44 100 or 48 000 Hz with 32 768, or 96 000 Hz with 65 536 for
//    WAV files); bins f_k = k·fs/N, k = 0 … N/2.
// 2. Level L_i = 20·log10(max(|H_i|, 1e-15)); phase unwrapped along the grid
//    as the group delay does.
// 3. Inside the grid: level and phase interpolated linearly in ln f.
// 4. Below the grid: L = L_1 − s·log10(f_1/f_k), s = max(40, slope of the
//    first grid interval in dB per decade); phase φ_1.
// 5. Above the grid: L = L_n, φ = φ_n − 2π·τ_n·(f_k − f_n) with τ_n the
//    group delay at the last grid point; tapered by ½·(1 + cos(π·(f_k −
//    f_n)/(f_top − f_n))) up to f_top = min(2·f_n, fs/2), 0 from there on
//    (no taper where f_n ≥ fs/2).
// 6. H_k = 10^(L/20)·e^(jφ); H_0 = 0; the bin N/2 keeps its real part only.
// 7. h[m] = inverse real DFT of H_k (1/N scaled, as numpy's irfft); an index
//    m ≥ N/2 is the time (m − N)/fs before 0.
// 8. Step s[m] = Σ h[j] from j = m0 = −round(fs/1000) (1 ms before 0) to m.
// 9. t[m] = m/fs; the chart and the JSON show −1 ms … +50 ms.
//
// A delay that turns the phase by more than π between neighbouring grid
// points cannot be followed by any definition on the grid: on a 599-point
// grid up to 20 kHz that is about 0.1 ms.
#include <vector>

#include "model/result.h"
#include "numeric/complex.h"

namespace sonvex {

struct TimeSampling {
  int rate = 96000;    // samples per second
  int length = 65536;  // N, a power of two
};
// 96 kHz with 65 536 samples for the chart and the JSON.
inline constexpr TimeSampling kChartSampling{96000, 65536};
// The sampling of a WAV file at `rate` (44 100, 48 000 or 96 000 Hz).
TimeSampling WavSampling(int rate);

// The first index of the window, −round(fs/1000): 1 ms before time 0.
int FirstIndex(int rate);

// The N-point impulse h[0 … N−1] (definitions 1 to 7) of a response on the
// grid `freq` (ascending, Hz, at least two points).
std::vector<double> ImpulseResponse(const std::vector<double>& freq, const std::vector<Complex>& response,
                                    TimeSampling sampling);

// One curve from index `start` on: impulse and step (definition 8).
struct TimeCurve {
  std::vector<double> impulse;
  std::vector<double> step;
};
// The window of an N-point impulse from FirstIndex(rate) for `count` samples
// (indices below 0 read from the end of h), with its step.
TimeCurve TimeWindow(const std::vector<double>& impulse, int rate, int count);

// The responses of the box (BoxP, on axis) and of each chassis in use (its
// front and rear contribution on axis) from −1 ms to `endMs`, at 96 kHz.
struct TimeResponse {
  int rate = 0;
  int start = 0;  // the index of the first value (−96 at 96 kHz)
  TimeCurve box;
  std::vector<TimeCurve> chassis;
};
// A result that is not valid gives empty curves.
TimeResponse ComputeTimeResponse(const CalcResult& r, double endMs = 50.0);

}  // namespace sonvex
