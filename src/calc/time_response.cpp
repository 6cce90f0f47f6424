#include "calc/time_response.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>
#include <iterator>
#include <thread>
#include <unsupported/Eigen/FFT>
#include <utility>

#include "calc/spinorama.h"
#include "numeric/constants.h"

namespace sonvex {

TimeSampling WavSampling(int rate) {
  if (rate == 96000) return {96000, 65536};
  return {rate, 32768};
}

int FirstIndex(int rate) { return -static_cast<int>(std::lround(rate / 1000.0)); }

namespace {

// Where each bin f_k lies against a grid (definitions 3 to 5): the same for
// every response on the grid, so it is worked out once.
struct BinPlan {
  std::size_t half = 0;
  std::vector<int> segment;   // j with f_j ≤ f_k ≤ f_j+1; −1 below the grid, −2 above
  std::vector<double> where;  // u inside the grid, log10(f_1/f_k) below, f_k − f_n above
  std::vector<double> taper;  // w above the grid, 1 elsewhere
};

BinPlan PlanBins(const std::vector<double>& f, TimeSampling sampling) {
  BinPlan plan;
  const double rate = sampling.rate;
  plan.half = static_cast<std::size_t>(sampling.length / 2);
  plan.segment.assign(plan.half + 1, 0);
  plan.where.assign(plan.half + 1, 0.0);
  plan.taper.assign(plan.half + 1, 1.0);
  const std::size_t n = f.size();
  const double fn = f[n - 1];
  const double nyquist = rate / 2.0;
  const double fTop = std::min(2.0 * fn, nyquist);
  std::size_t j = 0;
  for (std::size_t k = 1; k <= plan.half; ++k) {
    const double fk = static_cast<double>(k) * rate / sampling.length;
    if (fk < f[0]) {
      plan.segment[k] = -1;
      plan.where[k] = std::log10(f[0] / fk);
    } else if (fk <= fn) {
      while (j + 2 < n && f[j + 1] < fk) ++j;
      const double span = std::log(f[j + 1]) - std::log(f[j]);
      plan.segment[k] = static_cast<int>(j);
      plan.where[k] = span > 0.0 ? (std::log(fk) - std::log(f[j])) / span : 0.0;
    } else {
      plan.segment[k] = -2;
      plan.where[k] = fk - fn;
      if (fn < nyquist) plan.taper[k] = fk < fTop ? 0.5 * (1.0 + std::cos(kPi * (fk - fn) / (fTop - fn))) : 0.0;
    }
  }
  return plan;
}

std::vector<double> Impulse(const std::vector<double>& f, const std::vector<Complex>& h, const BinPlan& plan,
                            int length) {
  const std::size_t half = plan.half;
  std::vector<std::complex<double>> spectrum(half + 1, {0.0, 0.0});
  const std::size_t n = f.size();
  // 2. level and unwrapped phase on the grid
  std::vector<double> level(n);
  for (std::size_t i = 0; i < n; ++i) level[i] = 20.0 * std::log10(std::max(CAbs(h[i]), 1e-15));
  const std::vector<double> phi = UnwrappedPhase(h);
  // 4. below the grid: at least 40 dB per decade
  const double slope = std::max(40.0, (level[1] - level[0]) / std::log10(f[1] / f[0]));
  // 5. above the grid: the delay of the last grid point
  const double tauTop = GroupDelay(f, h)[n - 1];
  constexpr double kDbToLn = 2.302585092994045684 / 20.0;  // 10^(L/20) = e^(L·ln 10/20)
  for (std::size_t k = 1; k <= half; ++k) {
    const int j = plan.segment[k];
    const double x = plan.where[k];
    double l = 0.0;
    double p = 0.0;
    if (j == -1) {
      l = level[0] - slope * x;
      p = phi[0];
    } else if (j == -2) {
      l = level[n - 1];
      p = phi[n - 1] - 2.0 * kPi * tauTop * x;
    } else {
      // 3. linear in ln f between the grid points around f_k
      const auto a = static_cast<std::size_t>(j);
      l = level[a] + x * (level[a + 1] - level[a]);
      p = phi[a] + x * (phi[a + 1] - phi[a]);
    }
    // 6.
    spectrum[k] = std::polar(std::exp(l * kDbToLn) * plan.taper[k], p);
  }
  spectrum[half] = {spectrum[half].real(), 0.0};
  // 7. the inverse real transform, scaled by 1/N
  Eigen::FFT<double> fft;
  fft.SetFlag(Eigen::FFT<double>::HalfSpectrum);
  std::vector<double> impulse;
  fft.inv(impulse, spectrum, length);
  return impulse;
}

}  // namespace

std::vector<double> ImpulseResponse(const std::vector<double>& freq, const std::vector<Complex>& response,
                                    TimeSampling sampling) {
  const std::size_t n = std::min(freq.size(), response.size());
  if (n < 2) return std::vector<double>(static_cast<std::size_t>(sampling.length), 0.0);
  const std::vector<double> f(freq.begin(), freq.begin() + static_cast<std::ptrdiff_t>(n));
  const std::vector<Complex> h(response.begin(), response.begin() + static_cast<std::ptrdiff_t>(n));
  return Impulse(f, h, PlanBins(f, sampling), sampling.length);
}

TimeCurve TimeWindow(const std::vector<double>& impulse, int rate, int count) {
  TimeCurve curve;
  const auto length = static_cast<int>(impulse.size());
  if (length == 0 || count <= 0) return curve;
  curve.impulse.resize(static_cast<std::size_t>(count));
  curve.step.resize(static_cast<std::size_t>(count));
  const int first = FirstIndex(rate);
  double sum = 0.0;
  for (int i = 0; i < count; ++i) {
    // Negative times lie at the end of the impulse.
    const int m = ((first + i) % length + length) % length;
    const double value = impulse[static_cast<std::size_t>(m)];
    sum += value;
    curve.impulse[static_cast<std::size_t>(i)] = value;
    curve.step[static_cast<std::size_t>(i)] = sum;
  }
  return curve;
}

TimeResponse ComputeTimeResponse(const CalcResult& r, double endMs) {
  TimeResponse t;
  t.rate = kChartSampling.rate;
  t.start = FirstIndex(t.rate);
  if (!r.valid) return t;
  const std::vector<double> freq = GridOf(r);
  if (freq.size() < 2) return t;
  const int count = static_cast<int>(std::lround(endMs * t.rate / 1000.0)) - t.start;
  const BinPlan plan = PlanBins(freq, kChartSampling);
  const int length = kChartSampling.length;
  // The box (index 0) and each chassis: independent transforms, shared
  // between this thread and a second one.
  const int chassis = ChassisInUse(r);
  std::vector<TimeCurve> curves(static_cast<std::size_t>(chassis + 1));
  const auto compute = [&](int first) {
    for (int i = first; i <= chassis; i += 2) {
      const std::vector<Complex> h = i == 0 ? BoxOnAxis(r) : ChassisOnAxis(r, i - 1);
      curves[static_cast<std::size_t>(i)] = TimeWindow(Impulse(freq, h, plan, length), t.rate, count);
    }
  };
  std::thread second(compute, 1);
  compute(0);
  second.join();
  t.box = std::move(curves[0]);
  t.chassis.assign(std::make_move_iterator(curves.begin() + 1), std::make_move_iterator(curves.end()));
  return t;
}

}  // namespace sonvex
