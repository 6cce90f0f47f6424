#include "acoustics/baffle_model.h"

#include <algorithm>

#include "numeric/phase_factors.h"

namespace sonvex::baffle {

bool SweepPass(const SweepSide& top, const SweepSide& left, const SweepSide& bottom, const SweepSide& right,
               EdgeElement* out) {
  if (top.dist == 0.0 || left.dist == 0.0 || bottom.dist == 0.0 || right.dist == 0.0) return false;
  const double delta = 12.5663708 / kElements;  // 1.5°
  int n = 0;
  double phi = 0.0;
  auto add = [&](double x, double y, const SweepSide& side, Side id) {
    if (n < kPass) out[n] = EdgeElement{x, y, side.z, std::sqrt(x * x + y * y), side.strength, id};
    ++n;
    phi += delta;
  };
  while (std::tan(phi) < left.dist / top.dist && phi < 1.57) add(std::tan(phi) * -top.dist, top.dist, top, SideTop);
  while (std::tan(phi - 1.5707963) < bottom.dist / left.dist && phi < 3.14)
    add(-left.dist, -std::tan(phi - 1.5707963) * left.dist, left, SideLeft);
  while (std::tan(phi - 3.1415926) < right.dist / bottom.dist && phi < 4.71)
    add(std::tan(phi - 3.1415926) * bottom.dist, -bottom.dist, bottom, SideBottom);
  while (std::tan(phi - 4.7123889) < top.dist / right.dist && phi < 6.28)
    add(right.dist, std::tan(phi - 4.7123889) * right.dist, right, SideRight);
  while (phi < 6.2831852) add(std::tan(phi) * -top.dist, top.dist, top, SideTop);
  return n == kPass;
}

std::array<double, kPass> BaseWindow(int u) {
  std::array<double, kPass> v{};
  for (int i = 0; i < u && i <= kElements / 4; ++i) {
    v[i] = 1.0 - static_cast<double>(i) / u;
    if (i >= 1) v[kPass - i] = v[i];
  }
  double sum = 0.0;
  for (int pass = 0; pass < 2; ++pass)
    for (double x : v) sum += x;
  for (double& x : v) x = x * kElements / sum;
  return v;
}

Piston::Piston(int diaphragmShape, double diameter) {
  double radiusFactor = 1.0;
  ringShare_ = 1e-4;
  ring2Scale_ = 1.0;
  ring3Scale_ = 1.0;
  if (diaphragmShape == 0) {
    radiusFactor = 1.2;
  } else if (diaphragmShape != 1) {
    ringShare_ = 0.2;
    ring2Scale_ = 0.8;
  }
  sameRings_ = ring2Scale_ == ring3Scale_;
  const double radius = diameter * 0.5 * radiusFactor + 1e-100;
  const int m = kPistonSteps;
  for (int k = 1; k <= 3; ++k) {
    const double kappa = std::sin(k * kPi / 6.0);
    std::array<double, kDiscSamples> discArg{};
    for (int c = 1; c <= 2 * m - 1; ++c) {
      const double x = c * radius / m - radius;
      discArg[c - 1] = kappa * x;
    }
    disc_.Add(discArg.data(), kDiscSamples, discIndex_[k - 1]);
    std::array<double, kRingSamples> ringArg{};
    RingArgs(kappa, radius, ring2Scale_, ringArg.data());
    ring_.Add(ringArg.data(), kRingSamples, ring2Index_[k - 1]);
    if (!sameRings_) {
      RingArgs(kappa, radius, ring3Scale_, ringArg.data());
      ring_.Add(ringArg.data(), kRingSamples, ring3Index_[k - 1]);
    }
  }
  disc_.Finish();
  ring_.Finish();
  for (int c = 1; c <= 2 * m - 1; ++c) {
    const double x = c * radius / m - radius;
    const double w = radius * ((c % 2 == 1) ? 8.0 / 3.0 : 4.0 / 3.0) / m / (radius * radius * kPi);
    discAmp_[c - 1] = std::sqrt(radius * radius - x * x) * w * (1.0 - ringShare_);
  }
  RingAmps(radius, ring2Scale_, ringAmp2_.data());
  RingAmps(radius, ring3Scale_, ringAmp3_.data());
}

void Piston::CosineBatch::Add(const double* sampleArg, std::size_t n, std::vector<int>& index) {
  index.assign(n, 0);
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t mirror = n - 1 - i;
    if (mirror < i && sampleArg[i] == -sampleArg[mirror]) {
      index[i] = index[mirror];
      continue;
    }
    index[i] = static_cast<int>(arg.size());
    arg.push_back(sampleArg[i]);
    maxAbsArg = std::max(maxAbsArg, std::fabs(sampleArg[i]));
  }
}

void Piston::CosineBatch::Finish() {
  arg.resize(BlockCeil(arg.size()), 0.0);
  cosine.assign(arg.size(), 0.0);
}

std::array<double, 3> Piston::Evaluate(double kf, double kh) {
  CosScaled(disc_.arg.data(), disc_.arg.size(), kf, disc_.maxAbsArg, disc_.cosine.data());
  CosScaled(ring_.arg.data(), ring_.arg.size(), kh, ring_.maxAbsArg, ring_.cosine.data());
  std::array<double, 3> p{};
  for (int k = 0; k < 3; ++k) {
    const double disc = Integral(discAmp_.data(), discIndex_[k].data(), kDiscSamples, disc_.cosine);
    const double ring2 = Integral(ringAmp2_.data(), ring2Index_[k].data(), kRingSamples, ring_.cosine);
    const double ring3 =
        sameRings_ ? ring2 : Integral(ringAmp3_.data(), ring3Index_[k].data(), kRingSamples, ring_.cosine);
    p[k] = disc + ring2 + ring3;
  }
  return p;
}

double Piston::Integral(const double* amp, const int* index, std::size_t n, const std::vector<double>& cosine) {
  double sum = 0.0;
  for (std::size_t i = 0; i < n; ++i) sum += amp[i] * cosine[index[i]];
  return sum;
}

double Piston::RingY(double radius, int j, double g) {
  const double u = j * radius / kPistonSteps - radius;
  // Rounding can make the argument a hair negative at the rim: that is 0.
  return std::sqrt(std::max(0.0, radius * radius - u * u + 1e-50)) * g;
}

void Piston::RingArgs(double kappa, double radius, double g, double* arg) {
  for (int j = 1; j <= 2 * kPistonSteps; ++j) {
    const double x0 = ((j - 1) * radius / kPistonSteps - radius) * g;
    const double x1 = (j * radius / kPistonSteps - radius) * g;
    arg[j - 1] = kappa * (x0 + x1);
  }
}

void Piston::RingAmps(double radius, double g, double* amp) const {
  for (int j = 1; j <= 2 * kPistonSteps; ++j) {
    const double x0 = ((j - 1) * radius / kPistonSteps - radius) * g;
    const double x1 = (j * radius / kPistonSteps - radius) * g;
    const double y0 = RingY(radius, j - 1, g);
    const double y1 = RingY(radius, j, g);
    const double len = std::sqrt((x1 - x0) * (x1 - x0) + (y1 - y0) * (y1 - y0));
    amp[j - 1] = len / (kPi * radius * g) * ringShare_ * 0.5;
  }
}

const std::array<TestEnclosureSource, 42> kTestEnclosureSmall{{
    {29.60887, -0.05458, 0.01754}, {25.38434, -0.02769, 0.02944}, {23.40482, -0.09713, 0.03939},
    {19.48316, -0.11664, 0.05056}, {16.64354, -0.12146, 0.01877}, {15.80255, 0.10284, 0.02219},
    {12.50994, -0.03083, 0.01911}, {10.81749, 0.02939, 0.04704},  {9.44601, 0.10896, 0.04323},
    {8.27410, 0.08717, 0.01243},   {8.07798, -0.09632, 0.03370},  {6.52159, 0.09932, 0.02196},
    {5.78519, 0.06560, 0.00872},   {4.99463, 0.02285, 0.01189},   {4.32597, -0.00416, 0.05261},
    {3.99755, 0.10065, 0.01828},   {3.10975, -0.12999, 0.03988},  {3.03640, 0.09596, 0.02955},
    {2.65784, 0.06883, 0.05191},   {2.38168, 0.02680, 0.05301},   {1.94376, -0.06642, 0.02188},
    {1.65703, 0.00177, 0.05103},   {1.43649, -0.10627, 0.04613},  {1.28796, 0.03304, 0.03195},
    {1.29455, -0.00642, 0.00006},  {1.09891, 0.15976, 0.00008},   {0.92168, -0.04985, 0.00004},
    {0.73852, 0.21265, 0.00518},   {0.69733, -0.03351, 0.00728},  {0.56801, 0.20604, 0.01956},
    {0.46430, -0.20496, 0.06068},  {0.43268, -0.12233, 0.05960},  {0.37325, -0.17853, 0.00079},
    {0.35644, 0.12920, 0.03129},   {0.32646, 0.21845, 0.00351},   {0.28081, 0.12262, 0.00008},
    {0.21254, 0.09031, 0.04022},   {0.16633, -0.52180, 0.03026},  {0.18019, 0.36527, 0.00809},
    {0.15373, 0.32805, 0.00192},   {0.14928, 0.24989, 0.03026},   {0.00001, 0.04343, 0.00001},
}};
const std::array<TestEnclosureSource, 37> kTestEnclosureLarge{{
    {29.95476, 0.05928, 0.02600},  {26.21618, -0.06084, 0.01829}, {22.70353, 0.07476, 0.03758},
    {20.21757, -0.04446, 0.03778}, {17.09761, -0.05114, 0.03818}, {14.42794, -0.02363, 0.03684},
    {13.50498, 0.04220, 0.04208},  {11.52409, 0.08858, 0.04532},  {10.35975, -0.02442, 0.01638},
    {9.01456, -0.00876, 0.04142},  {7.49613, -0.05035, 0.05118},  {6.86205, 0.09265, 0.03578},
    {5.54472, 0.09845, 0.01779},   {5.33625, -0.04814, 0.02702},  {4.69958, -0.01506, 0.01578},
    {3.80322, 0.13970, 0.01842},   {3.20627, -0.27472, 0.03912},  {3.01921, 0.13438, 0.03749},
    {2.53498, 0.12285, 0.04817},   {2.10442, 0.02992, 0.01746},   {1.91345, -0.14255, 0.01763},
    {1.45266, 0.03482, 0.01898},   {1.53370, -0.00890, 0.04838},  {1.19835, 0.05580, 0.04857},
    {1.10872, -0.13066, 0.01482},  {0.92422, 0.16733, 0.03543},   {0.92194, -0.08199, 0.00250},
    {0.64695, -0.13734, 0.01907},  {0.55073, -0.21045, 0.01844},  {0.59525, 0.21127, 0.04459},
    {0.49772, 0.21123, 0.03142},   {0.41611, 0.05727, 0.00114},   {0.40674, 0.12633, 0.00011},
    {0.28435, 0.89075, 0.00509},   {0.27081, 0.17355, 0.00000},   {0.26692, -0.57259, 0.03317},
    {0.00001, 0.07490, 0.02500},
}};

}  // namespace sonvex::baffle
