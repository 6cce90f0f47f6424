#include "calc/spinorama.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sonvex {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// The directions by name: 1..4, 5..8, 9..12 at 30, 60, 90 degrees towards
// up, left, down, right; 21 the rear axis.
constexpr int kU30 = 1, kL30 = 2, kD30 = 3, kR30 = 4;
constexpr int kU60 = 5, kL60 = 6, kR60 = 8;
constexpr int kL90 = 10, kR90 = 12;
constexpr int kRear = 21;

std::array<double, kDirections> MakeWeights() {
  const auto cosDeg = [](double deg) { return std::cos(deg * std::numbers::pi / 180.0); };
  // cos 165 = -cos 15, cos 135 = -cos 45, cos 105 = -cos 75: written so, the
  // bands of the two hemispheres are mirror images and the sum is 1 to the
  // last bits.
  const double c15 = cosDeg(15), c45 = cosDeg(45), c75 = cosDeg(75);
  const double cap = (1.0 - c15) / 2.0;     // 0 and 180 degrees, one direction each
  const double ring30 = (c15 - c45) / 2.0;  // 30 and 150 degrees, four directions
  const double ring60 = (c45 - c75) / 2.0;  // 60 and 120 degrees, four directions
  const double ring90 = c75;                // (cos 75 - cos 105) / 2, twelve directions
  std::array<double, kDirections> w{};
  w[0] = cap;
  w[kRear] = cap;
  for (int k = 1; k <= 4; ++k) {
    w[k] = ring30 / 4.0;       // 30 degrees
    w[k + 16] = ring30 / 4.0;  // 150 degrees
    w[k + 4] = ring60 / 4.0;   // 60 degrees
    w[k + 12] = ring60 / 4.0;  // 120 degrees
    w[k + 8] = ring90 / 12.0;  // 90 degrees, up/left/down/right
  }
  for (int k = 22; k < kDirections; ++k) w[k] = ring90 / 12.0;  // 90 degrees in the baffle plane
  return w;
}

}  // namespace

const std::array<double, kDirections>& SoundPowerWeights() {
  static const std::array<double, kDirections> kWeights = MakeWeights();
  return kWeights;
}

double PowerDb(double power) { return 10.0 * std::log10(power + 1e-100) + 112.0; }

std::vector<double> UnwrappedPhase(const std::vector<Complex>& response) {
  const std::size_t n = response.size();
  std::vector<double> phi(n);
  if (n == 0) return phi;
  // The full four-quadrant angle (a purely imaginary value is +-90 degrees).
  phi[0] = std::atan2(response[0].im, response[0].re);
  double previous = phi[0];
  for (std::size_t i = 1; i < n; ++i) {
    const double wrapped = std::atan2(response[i].im, response[i].re);
    // remainder() brings the step into [-pi, pi]: the unwrapped phase keeps
    // neighbouring points closer than pi.
    phi[i] = phi[i - 1] + std::remainder(wrapped - previous, kTwoPi);
    previous = wrapped;
  }
  return phi;
}

std::vector<double> GroupDelay(const std::vector<double>& freq, const std::vector<Complex>& response) {
  const std::size_t n = std::min(freq.size(), response.size());
  std::vector<double> tau(n, 0.0);
  if (n < 2) return tau;
  const std::vector<double> phi = UnwrappedPhase(std::vector<Complex>(response.begin(), response.begin() + n));
  const auto slope = [&](std::size_t a, std::size_t b) { return -(phi[b] - phi[a]) / (kTwoPi * (freq[b] - freq[a])); };
  tau[0] = slope(0, 1);
  for (std::size_t i = 1; i + 1 < n; ++i) tau[i] = slope(i - 1, i + 1);
  tau[n - 1] = slope(n - 2, n - 1);
  return tau;
}

std::vector<double> GridOf(const CalcResult& r) {
  const int n = std::clamp<int>(r.freqCount, 0, kFreqEntries - 1);
  return {r.freq.begin(), r.freq.begin() + n};
}

std::vector<Complex> BoxOnAxis(const CalcResult& r) {
  const auto n = static_cast<std::size_t>(std::clamp<int>(r.freqCount, 0, kFreqEntries - 1));
  std::vector<Complex> h(n);
  for (std::size_t i = 0; i < n; ++i) h[i] = r.boxPressure[i][0];
  return h;
}

std::vector<Complex> ChassisOnAxis(const CalcResult& r, int c) {
  const auto n = static_cast<std::size_t>(std::clamp<int>(r.freqCount, 0, kFreqEntries - 1));
  std::vector<Complex> h(n);
  for (std::size_t i = 0; i < n; ++i) h[i] = CAdd(r.contributionFront[c][i][0], r.contributionRear[c][i][0]);
  return h;
}

Spinorama ComputeSpinorama(const CalcResult& r) {
  Spinorama s;
  if (!r.valid) return s;
  const int n = std::clamp<int>(r.freqCount, 0, kFreqEntries - 1);
  s.n = n;
  const auto un = static_cast<std::size_t>(n);
  s.freq.assign(r.freq.begin(), r.freq.begin() + n);
  for (SpinCurve* c : {&s.onAxis, &s.LW, &s.ER, &s.SP, &s.PIR, &s.SPDI, &s.ERDI, &s.FB, &s.CB, &s.FW, &s.SW, &s.RW})
    c->resize(un);
  const auto& w = SoundPowerWeights();
  std::vector<Complex> onAxis(un);
  for (std::size_t i = 0; i < un; ++i) {
    const DirectionRow& row = r.boxPressure[i];
    std::array<double, kDirections> P;
    for (int k = 0; k < kDirections; ++k) P[k] = row[k].re * row[k].re + row[k].im * row[k].im;
    const double lw = (5.0 * P[0] + 2.0 * P[kL30] + 2.0 * P[kR30]) / 9.0;
    const double fb = P[kD30];
    const double cb = (P[kU30] + 2.0 * P[kU60]) / 3.0;
    const double fw = (3.0 * P[0] + 2.0 * P[kL30] + 2.0 * P[kR30]) / 7.0;
    const double sw = (P[kL30] + 3.0 * P[kL60] + P[kL90] + P[kR30] + 3.0 * P[kR60] + P[kR90]) / 10.0;
    const double rw = (P[kRear] + P[kL90] + P[kR90]) / 3.0;
    const double er = (fb + cb + fw + sw + rw) / 5.0;
    double sp = 0.0;
    for (int k = 0; k < kDirections; ++k) sp += w[k] * P[k];
    const double pir = 0.12 * lw + 0.44 * er + 0.44 * sp;
    s.onAxis[i] = PowerDb(P[0]);
    s.LW[i] = PowerDb(lw);
    s.ER[i] = PowerDb(er);
    s.SP[i] = PowerDb(sp);
    s.PIR[i] = PowerDb(pir);
    s.SPDI[i] = s.LW[i] - s.SP[i];
    s.ERDI[i] = s.LW[i] - s.ER[i];
    s.FB[i] = PowerDb(fb);
    s.CB[i] = PowerDb(cb);
    s.FW[i] = PowerDb(fw);
    s.SW[i] = PowerDb(sw);
    s.RW[i] = PowerDb(rw);
    onAxis[i] = row[0];
  }
  const auto toMs = [](std::vector<double> t) {
    for (double& x : t) x *= 1000.0;
    return t;
  };
  s.groupDelayBox = toMs(GroupDelay(s.freq, onAxis));
  const int nc = ChassisInUse(r);
  for (int c = 0; c < nc; ++c) s.groupDelayChassis.push_back(toMs(GroupDelay(s.freq, ChassisOnAxis(r, c))));
  return s;
}

}  // namespace sonvex
