// Baffle diffraction and directivity of one chassis.
//
// The chassis is a rigid piston (optionally with a ring share) in a finite
// baffle. The edges are modelled as two lines of secondary sources around the
// perimeter (the outer edge and the inner line where a chamfer starts), each
// excited by the piston's radiation at 90° and delayed by its path. The
// result is one complex factor per grid frequency and per fixed direction.
//
// Speed: per frequency the work is dominated by about 30 × 480 phase factors.
// Everything that does not depend on the frequency (the element path lengths
// per direction, the window weights, the piston sample positions and weights)
// is computed once per call; elements with a window weight or strength of 0
// are left out; the phase factors of the edge terms use a branch-free sine and
// cosine that agrees with the library functions to within a few units in the
// last place. The phase arguments themselves are formed exactly as in the
// plain formula (frequency constant times a per-element path), so the table
// matches a straightforward evaluation to rounding.
#include "acoustics/baffle.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace sonvex {

namespace {

constexpr int kElements = 480;            // nominal element count N (two passes)
constexpr int kPass = kElements / 2;      // elements per pass
constexpr double kPiShort = 3.14159;      // the model's short π of the phase terms
constexpr double kPi = std::numbers::pi;  // full π of the piston integrals
constexpr double kAbsent = 1e-100;        // marker of an absent direction
constexpr int kPistonSteps = 100;         // M: half the number of integration steps
constexpr double kSpeedOfSound = 344.0;

const char* const kMsgD = "Maß d auf Schallwand muss >= 0 sein. ";
const char* const kMsgChamfer = "Maße e, f, g, und i auf Schallwand müssen >= 0 sein. ";
const char* const kMsgSize = "Maße a, b, c und h auf Schallwand müssen > 0 sein. ";
const char* const kMsgPosition = "Chassisposition auf der Schallwand geometrisch nicht möglich. ";
const char* const kMsgFault = "Unbekannter Fehler.";

struct TEdgeElement {
  double x = 0, y = 0, z = 0, r = 0, s = 0;
};

// One sweep around a rectangle whose sides lie at the given distances from the
// chassis centre (top, left, bottom, right). Returns false where a side lies
// at distance 0, which would divide by zero in the sweep conditions.
struct TSweepSide {
  double dist;      // distance of the side from the chassis centre
  double z;         // depth of the line (minus the chamfer width, or 0)
  double strength;  // element strength, 0 where the edge does not diffract
};

bool SweepPass(const TSweepSide& top, const TSweepSide& left, const TSweepSide& bottom, const TSweepSide& right,
               TEdgeElement* out) {
  if (top.dist == 0.0 || left.dist == 0.0 || bottom.dist == 0.0 || right.dist == 0.0) return false;
  const double delta = 12.5663708 / kElements;  // 1.5°
  int n = 0;
  double phi = 0.0;
  auto add = [&](double x, double y, const TSweepSide& side) {
    if (n < kPass) out[n] = TEdgeElement{x, y, side.z, std::sqrt(x * x + y * y), side.strength};
    ++n;
    phi += delta;
  };
  while (std::tan(phi) < left.dist / top.dist && phi < 1.57) add(std::tan(phi) * -top.dist, top.dist, top);
  while (std::tan(phi - 1.5707963) < bottom.dist / left.dist && phi < 3.14)
    add(-left.dist, -std::tan(phi - 1.5707963) * left.dist, left);
  while (std::tan(phi - 3.1415926) < right.dist / bottom.dist && phi < 4.71)
    add(std::tan(phi - 3.1415926) * bottom.dist, -bottom.dist, bottom);
  while (std::tan(phi - 4.7123889) < top.dist / right.dist && phi < 6.28)
    add(right.dist, std::tan(phi - 4.7123889) * right.dist, right);
  while (phi < 6.2831852) add(std::tan(phi) * -top.dist, top.dist, top);
  return n == kPass;
}

// Triangular window over one pass, repeated for the second pass and scaled to
// a sum of N over all elements; the peak lies at element 0 (φ = 0°, up).
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

// sin and cos of x for |x| below kFastTrigLimit, branch-free so that batches
// vectorise. Reduction by multiples of π/2 in two parts (the first exact for
// the multiples used), then the usual minimax polynomials on [−π/4, π/4].
// Absolute error a few 1e-16.
constexpr double kFastTrigLimit = 1.0e6;

inline void FastSinCos(double x, double& sOut, double& cOut) {
  constexpr double kTwoOverPi = 6.36619772367581382433e-01;
  constexpr double kPio2Hi = 1.57079632673412561417e+00;  // first 33 bits of π/2
  constexpr double kPio2Lo = 6.07710050650619224932e-11;  // π/2 − kPio2Hi
  constexpr double kRound = 6755399441055744.0;           // 1.5·2^52
  const double t = x * kTwoOverPi + kRound;
  const double fn = t - kRound;
  const std::uint64_t q = std::bit_cast<std::uint64_t>(t);  // low bits: the quadrant
  const double r = (x - fn * kPio2Hi) - fn * kPio2Lo;
  const double z = r * r;
  constexpr double S1 = -1.66666666666666324348e-01, S2 = 8.33333333332248946124e-03, S3 = -1.98412698298579493134e-04,
                   S4 = 2.75573137070700676789e-06, S5 = -2.50507602534068634195e-08, S6 = 1.58969099521155010221e-10;
  constexpr double C1 = 4.16666666666666019037e-02, C2 = -1.38888888888741095749e-03, C3 = 2.48015872894767294178e-05,
                   C4 = -2.75573143513906633035e-07, C5 = 2.08757232129817482790e-09, C6 = -1.13596475577881948265e-11;
  const double sp = r + r * z * (S1 + z * (S2 + z * (S3 + z * (S4 + z * (S5 + z * S6)))));
  const double hz = 0.5 * z;
  const double w = 1.0 - hz;
  const double cp = w + (((1.0 - w) - hz) + z * z * (C1 + z * (C2 + z * (C3 + z * (C4 + z * (C5 + z * C6))))));
  // Quadrant q: (sin, cos) = (s, c), (c, −s), (−s, −c), (−c, s); selected
  // with bit masks, since the quadrants follow no pattern a branch predictor
  // could learn.
  const std::uint64_t spBits = std::bit_cast<std::uint64_t>(sp);
  const std::uint64_t cpBits = std::bit_cast<std::uint64_t>(cp);
  const std::uint64_t swap = 0 - (q & 1u);
  const std::uint64_t sBits = (spBits & ~swap) | (cpBits & swap);
  const std::uint64_t cBits = (cpBits & ~swap) | (spBits & swap);
  sOut = std::bit_cast<double>(sBits ^ ((q & 2u) << 62));
  cOut = std::bit_cast<double>(cBits ^ (((q + 1u) & 2u) << 62));
}

// A list of edge terms sharing one frequency constant: term i contributes
// weight[i]·e^(−j·k·path[i]).
struct TTermList {
  std::vector<double> path;
  std::vector<double> weight;
  double maxAbsPath = 0.0;
  void Add(double p, double w) {
    path.push_back(p);
    weight.push_back(w);
    maxAbsPath = std::max(maxAbsPath, std::fabs(p));
  }
};

// On x86-64 the phase factor loop is also compiled for AVX2 (four values per
// instruction) and picked when the processor has it. The operations are the
// same plain IEEE multiplications and additions (no fused multiply-add), so
// the table does not depend on the processor. Not under ThreadSanitizer: the
// clone's resolver runs before the sanitizer's run time is ready.
#if defined(__x86_64__) && defined(__has_attribute) && !defined(__SANITIZE_THREAD__)
#if __has_attribute(target_clones)
#define SONVEX_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#endif
#endif
#ifndef SONVEX_VECTOR_CLONES
#define SONVEX_VECTOR_CLONES
#endif

// Weighted phase factors weight[i]·e^(−j·k·path[i]) of a whole list into
// the scratch buffers (real and imaginary parts).
SONVEX_VECTOR_CLONES void PhaseFactors(const TTermList& list, double k, std::vector<double>& reBuf,
                                       std::vector<double>& imBuf) {
  const std::size_t n = list.path.size();
  const double* path = list.path.data();
  const double* w = list.weight.data();
  double* re = reBuf.data();
  double* im = imBuf.data();
  if (std::fabs(k) * list.maxAbsPath < kFastTrigLimit) {
    for (std::size_t i = 0; i < n; ++i) {
      double sn, cs;
      FastSinCos(k * path[i], sn, cs);
      re[i] = w[i] * cs;
      im[i] = -(w[i] * sn);
    }
  } else {
    for (std::size_t i = 0; i < n; ++i) {
      const double arg = k * path[i];
      re[i] = w[i] * std::cos(arg);
      im[i] = -(w[i] * std::sin(arg));
    }
  }
}

// Sum of a range of the buffers, in four interleaved partial sums so the
// additions do not wait for each other.
TComplex RangeSum(std::size_t from, std::size_t to, const std::vector<double>& reBuf,
                  const std::vector<double>& imBuf) {
  double re[4] = {0, 0, 0, 0}, im[4] = {0, 0, 0, 0};
  std::size_t i = from;
  for (; i + 4 <= to; i += 4)
    for (int l = 0; l < 4; ++l) {
      re[l] += reBuf[i + l];
      im[l] += imBuf[i + l];
    }
  for (; i < to; ++i) {
    re[0] += reBuf[i];
    im[0] += imBuf[i];
  }
  return {(re[0] + re[1]) + (re[2] + re[3]), (im[0] + im[1]) + (im[2] + im[3])};
}

// The piston's directivity at 30°, 60° and 90°: a disc integral plus two ring
// integrals. Sample positions and weights are fixed per call; only the cosine
// arguments scale with the frequency.
class TPiston {
 public:
  TPiston(int membranform, double diameter) {
    double radiusFactor = 1.0;
    q_ = 1e-4;
    g2_ = 1.0;
    g3_ = 1.0;
    if (membranform == 0) {
      radiusFactor = 1.2;
    } else if (membranform != 1) {
      q_ = 0.2;
      g2_ = 0.8;
    }
    const double radius = diameter * 0.5 * radiusFactor + 1e-100;
    const int m = kPistonSteps;
    for (int k = 1; k <= 3; ++k) {
      const double kappa = std::sin(k * kPi / 6.0);
      for (int c = 1; c <= 2 * m - 1; ++c) {
        const double x = c * radius / m - radius;
        discArg_[k - 1][c - 1] = kappa * x;
      }
      RingArgs(kappa, radius, g2_, ringArg2_[k - 1]);
      RingArgs(kappa, radius, g3_, ringArg3_[k - 1]);
      FindMirrors(discArg_[k - 1], discMirror_[k - 1]);
      FindMirrors(ringArg2_[k - 1], ringMirror2_[k - 1]);
      FindMirrors(ringArg3_[k - 1], ringMirror3_[k - 1]);
    }
    for (int c = 1; c <= 2 * m - 1; ++c) {
      const double x = c * radius / m - radius;
      const double w = radius * ((c % 2 == 1) ? 8.0 / 3.0 : 4.0 / 3.0) / m / (radius * radius * kPi);
      discAmp_[c - 1] = std::sqrt(radius * radius - x * x) * w * (1.0 - q_);
    }
    RingAmps(radius, g2_, ringAmp2_);
    RingAmps(radius, g3_, ringAmp3_);
    sameRings_ = g2_ == g3_;
  }

  // P(30°), P(60°), P(90°) for one frequency (kf = 2π/λ, kh = π/λ).
  std::array<double, 3> Evaluate(double kf, double kh) const {
    std::array<double, 3> p{};
    for (int k = 0; k < 3; ++k) {
      const double disc = Integral(discAmp_, discArg_[k], discMirror_[k], kf);
      const double ring2 = Integral(ringAmp2_, ringArg2_[k], ringMirror2_[k], kh);
      const double ring3 = sameRings_ ? ring2 : Integral(ringAmp3_, ringArg3_[k], ringMirror3_[k], kh);
      p[k] = disc + ring2 + ring3;
    }
    return p;
  }

 private:
  using TRing = std::array<double, 2 * kPistonSteps>;
  using TDisc = std::array<double, 2 * kPistonSteps - 1>;

  // The samples lie symmetrically about the centre; where a sample's argument
  // is exactly the negative of its mirror's, the (even) cosine is taken over.
  template <std::size_t Size>
  static void FindMirrors(const std::array<double, Size>& arg, std::array<bool, Size>& mirrored) {
    for (std::size_t i = 0; i < Size; ++i) {
      const std::size_t m = Size - 1 - i;
      mirrored[i] = m < i && arg[i] == -arg[m];
    }
  }
  // Σ amp[i]·cos(arg[i]·scale), summed in sample order.
  template <std::size_t Size>
  static double Integral(const std::array<double, Size>& amp, const std::array<double, Size>& arg,
                         const std::array<bool, Size>& mirrored, double scale) {
    std::array<double, Size> cs;
    double sum = 0.0;
    for (std::size_t i = 0; i < Size; ++i) {
      cs[i] = mirrored[i] ? cs[Size - 1 - i] : std::cos(arg[i] * scale);
      sum += amp[i] * cs[i];
    }
    return sum;
  }

  static double RingY(double radius, int j, double g) {
    const double u = j * radius / kPistonSteps - radius;
    // Rounding can make the argument a hair negative at the rim: that is 0.
    return std::sqrt(std::max(0.0, radius * radius - u * u + 1e-50)) * g;
  }
  static void RingArgs(double kappa, double radius, double g, TRing& arg) {
    for (int j = 1; j <= 2 * kPistonSteps; ++j) {
      const double x0 = ((j - 1) * radius / kPistonSteps - radius) * g;
      const double x1 = (j * radius / kPistonSteps - radius) * g;
      arg[j - 1] = kappa * (x0 + x1);
    }
  }
  void RingAmps(double radius, double g, TRing& amp) const {
    for (int j = 1; j <= 2 * kPistonSteps; ++j) {
      const double x0 = ((j - 1) * radius / kPistonSteps - radius) * g;
      const double x1 = (j * radius / kPistonSteps - radius) * g;
      const double y0 = RingY(radius, j - 1, g);
      const double y1 = RingY(radius, j, g);
      const double len = std::sqrt((x1 - x0) * (x1 - x0) + (y1 - y0) * (y1 - y0));
      amp[j - 1] = len / (kPi * radius * g) * q_ * 0.5;
    }
  }

  double q_, g2_, g3_;
  bool sameRings_ = true;
  std::array<TDisc, 3> discArg_{};
  TDisc discAmp_{};
  std::array<TRing, 3> ringArg2_{}, ringArg3_{};
  TRing ringAmp2_{}, ringAmp3_{};
  std::array<std::array<bool, 2 * kPistonSteps - 1>, 3> discMirror_{};
  std::array<std::array<bool, 2 * kPistonSteps>, 3> ringMirror2_{}, ringMirror3_{};
};

// Fitted secondary sources of the test enclosure (path length R in m,
// relative spread P, weight W), small and large measuring side.
struct TTestSource {
  double r, p, w;
};
constexpr std::array<TTestSource, 42> kTestSmall{{
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
constexpr std::array<TTestSource, 37> kTestLarge{{
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

// Direction 0 on the test enclosure: the direct sound minus the fitted
// secondary sources.
template <std::size_t Rows>
TComplex TestEnclosure(const std::array<TTestSource, Rows>& table, TComplex direct0, double p90, double lambda) {
  TComplex sum = direct0;
  const double lambda5 = 5.0 * lambda * lambda;
  for (const TTestSource& row : table) {
    const double amp = row.w * 0.5 / 11.0 * (lambda5 / (row.r + lambda5)) * p90;
    for (int s = -5; s <= 5; ++s) {
      const double spread = 1.0 + s * std::pow(0.5, std::abs(s)) * row.p;
      const double arg = spread * row.r * 2.0 * kPiShort / lambda;
      sum = CSub(sum, CRotate({amp, 0.0}, arg));
    }
  }
  return sum;
}

// Directions 1..20: θ groups 30°, 60°, 90°, 120°, 150° with four azimuths each.
struct TDirGroup {
  double axial;   // Aθ, weight of the chamfer depth in the path
  double sinUse;  // sin θ as the model uses it
  int windowPct;  // window half width U in percent of N
  bool add;       // added to (θ ≥ 120°) or subtracted from the direct sound
};
constexpr std::array<TDirGroup, 5> kGroups{{
    {1.28, 0.5, 23, false},
    {0.91, 0.866, 20, false},
    {0.41, 0.999, 10, false},
    {0.0, 0.866, 13, true},
    {0.0, 0.5, 16, true},
}};
// Azimuth unit vectors up, left, down, right and the window shifts that put
// each window's peak at φ = 0°, 90°, 180°, 270°.
constexpr std::array<double, 4> kUx{0.0, -1.0, 0.0, 1.0};
constexpr std::array<double, 4> kUy{1.0, 0.0, -1.0, 0.0};
constexpr std::array<int, 4> kWindowShift{0, 3 * kElements / 8, 2 * kElements / 8, kElements / 8};

bool RowFinite(const TDirRow& row) {
  return std::all_of(row.begin(), row.end(), [](const TComplex& c) { return CIsFinite(c); });
}

void Permute(TDirTable& table, const std::array<int, kDirections>& p) {
  for (TDirRow& row : table) {
    const TDirRow old = row;
    for (int k = 0; k < kDirections; ++k) row[k] = old[p[k]];
  }
}

constexpr std::array<int, kDirections> kYaw{12, 28, 8,  27, 16, 29, 4,  26, 20, 9, 0, 11, 21, 22, 2,
                                            25, 18, 23, 6,  24, 14, 10, 5,  1,  3, 7, 15, 19, 17, 13};
constexpr std::array<int, kDirections> kPitch{11, 7,  25, 15, 26, 3,  24, 19, 27, 0,  10, 21, 12, 1, 23,
                                              17, 28, 5,  22, 13, 29, 9,  2,  6,  14, 18, 20, 16, 8, 4};
constexpr std::array<int, kDirections> kMirror{21, 17, 18, 19, 20, 13, 14, 15, 16, 9,  10, 11, 12, 5,  6,
                                               7,  8,  1,  2,  3,  4,  0,  22, 23, 24, 25, 26, 27, 28, 29};

void FillAbsent(TDirTable& table) {
  for (TDirRow& row : table) row.fill(TComplex{kAbsent, 0.0});
}

}  // namespace

void RotateYaw(TDirTable& table) { Permute(table, kYaw); }
void RotatePitch(TDirTable& table) { Permute(table, kPitch); }
void MirrorDirections(TDirTable& table) { Permute(table, kMirror); }

std::string ComputeBaffle(const TSchallwand& w, const TFreqArray& freq, int lastIndex, double seo, TDirTable& table) {
  (void)seo;  // the driver recomputes when it changes; the model does not use it
  // The whole table starts as "absent", also behind the grid's terminator, so
  // the result depends on the inputs only.
  FillAbsent(table);
  std::string text;

  // Checks and working dimensions.
  if (w.d < 0) text += kMsgD;
  double dimA = w.a, dimC = w.c, dimH = w.h, dimB = w.b;
  const double dimD = w.d + 1e-10;
  if (w.e < 0 || w.f < 0 || w.g < 0 || w.i < 0) text += kMsgChamfer;
  const bool anyEdge = w.beugl || w.beugr || w.beugo || w.beugu;
  if (w.direction >= 0 && anyEdge) {
    if (w.a <= 0 || w.b <= 0 || w.c <= 0 || w.h <= 0) text += kMsgSize;
    const double halfD = w.d / 2;
    if (halfD + w.i > w.a || halfD + w.e > w.c || halfD + w.a > w.h - w.g || halfD + w.c > w.b - w.f)
      text += kMsgPosition;
  } else {
    // No diffracting edge (or a test enclosure): a small baffle around the diaphragm.
    dimA = 2 * dimD + 1e-10 + w.i;
    dimC = 2 * dimD + 1e-10 + w.e;
    dimH = 2 * dimA + w.g;
    dimB = 2 * dimC + w.f;
  }
  if (text.size() >= 3) return text;
  text = kMsgFault;

  // Edge elements: pass 1 along the outer edge, pass 2 along the inner
  // line where the chamfers start.
  std::array<TEdgeElement, kElements> el{};
  {
    const double s1 = 0.67 / kElements, s2 = 1.33 / kElements;
    const bool ok1 = SweepPass({dimH - dimA, -w.g, w.beugo ? s1 : 0.0}, {dimC, -w.e, w.beugl ? s1 : 0.0},
                               {dimA, -w.i, w.beugu ? s1 : 0.0}, {dimB - dimC, -w.f, w.beugr ? s1 : 0.0}, el.data());
    const bool ok2 = SweepPass({dimH - dimA - w.g, 0.0, w.beugo ? s2 : 0.0}, {dimC - w.e, 0.0, w.beugl ? s2 : 0.0},
                               {dimA - w.i, 0.0, w.beugu ? s2 : 0.0}, {dimB - dimC - w.f, 0.0, w.beugr ? s2 : 0.0},
                               el.data() + kPass);
    // A division by zero in the sweep (a line through the chassis centre) or
    // a non-finite element fails the item.
    if (!ok1 || !ok2) return text;
    for (const TEdgeElement& e : el)
      if (!std::isfinite(e.x) || !std::isfinite(e.y) || !std::isfinite(e.z) || !std::isfinite(e.r)) return text;
  }

  // Other negative codes than the two test-enclosure sides have no edge model
  // and no fitted table: they are computed like a wall-mounted chassis.
  const bool edgeModel = w.direction >= 0;
  const bool testSmall = w.direction == -2;
  const bool testLarge = w.direction == -3;

  // Term lists of the edge model. Every edge term, the three of the rear
  // axis (direction 21) included, takes its phase with the short π.
  TTermList lists;                          // directions 0..20, concatenated
  std::array<std::size_t, 22> listStart{};  // start of direction d in `lists`
  TTermList rear;                           // direction 21
  if (edgeModel) {
    std::array<std::array<double, kPass>, 5> base{};
    for (int g = 0; g < 5; ++g) base[g] = BaseWindow(kGroups[g].windowPct * kElements / 100);
    for (int d = 0; d <= 20; ++d) {
      listStart[d] = lists.path.size();
      for (int j = 0; j < kElements; ++j) {
        const TEdgeElement& e = el[j];
        if (e.s == 0.0) continue;
        if (d == 0) {
          lists.Add(e.r - 1.41 * e.z, e.s * 0.5);  // on axis: no lateral path term
          continue;
        }
        const int g = (d - 1) / 4, az = (d - 1) % 4;
        const double win = base[g][(j % kPass + kWindowShift[az]) % kPass];
        if (win == 0.0) continue;
        const TDirGroup& grp = kGroups[g];
        lists.Add(e.r - grp.axial * e.z - grp.sinUse * (kUx[az] * e.x + kUy[az] * e.y), e.s * 0.5 * win);
      }
    }
    listStart[21] = lists.path.size();
    for (const TEdgeElement& e : el) {
      if (e.s == 0.0) continue;
      for (double m : {1.0, 1.1, 1.25}) rear.Add((e.r - e.z) * m, 0.33 * (e.s * 0.5));
    }
  }
  std::vector<double> reBuf(std::max(lists.path.size(), rear.path.size()));
  std::vector<double> imBuf(reBuf.size());

  const TPiston piston(w.Membranform, dimD);
  std::array<double, 3> cosTheta{};
  for (int k = 1; k <= 3; ++k) cosTheta[k - 1] = std::cos(2 * k * kPiShort / 12);

  const int last = std::min(lastIndex, kFreqEntries - 1);
  for (int idx = 0; idx <= last && freq[idx] > 0; ++idx) {
    TDirRow& row = table[idx];
    const double lambda = kSpeedOfSound / freq[idx];
    const double kp = 2.0 * kPiShort / lambda;  // phase constant with the short π
    const double kf = 2.0 * kPi / lambda;
    const double kh = kPi / lambda;

    // Piston directivity and direct sound.
    const std::array<double, 3> pTheta = piston.Evaluate(kf, kh);
    const double p90 = pTheta[2];
    const TComplex direct0 = CRotate(COne, 0.12 * dimD * kp);

    if (testSmall || testLarge) {
      row[0] =
          testSmall ? TestEnclosure(kTestSmall, direct0, p90, lambda) : TestEnclosure(kTestLarge, direct0, p90, lambda);
      if (!RowFinite(row)) {
        FillAbsent(table);
        return text;
      }
      continue;
    }

    row[0] = direct0;
    for (int g = 0; g < 3; ++g) {
      const TComplex dir = CRotate({pTheta[g], 0.0}, cosTheta[g] * 0.12 * dimD * kp);
      for (int az = 0; az < 4; ++az) row[1 + 4 * g + az] = dir;
    }

    // Edge contributions.
    if (edgeModel && !lists.path.empty()) {
      PhaseFactors(lists, kp, reBuf, imBuf);
      for (int d = 0; d <= 20; ++d) {
        const TComplex sum = RangeSum(listStart[d], d < 20 ? listStart[d + 1] : lists.path.size(), reBuf, imBuf);
        const TComplex edge{p90 * sum.re, p90 * sum.im};
        const bool add = d >= 13;
        row[d] = add ? CAdd(row[d], edge) : CSub(row[d], edge);
      }
      PhaseFactors(rear, kp, reBuf, imBuf);
      const TComplex sum = RangeSum(0, rear.path.size(), reBuf, imBuf);
      row[21] = CAdd(row[21], {p90 * sum.re, p90 * sum.im});
    }
    for (int k = 22; k < kDirections; ++k) row[k] = {0.5 * p90, 0.0};

    if (!RowFinite(row)) {
      FillAbsent(table);
      return text;
    }
  }

  // Output, turned for a chassis that does not face the listener.
  text = "OK";
  switch (w.direction) {
    case 1:
      RotateYaw(table);
      RotateYaw(table);
      break;
    case 2:
      RotateYaw(table);
      break;
    case 3:
      RotateYaw(table);
      RotateYaw(table);
      RotateYaw(table);
      break;
    case 4:
      RotatePitch(table);
      break;
    case 5:
      RotatePitch(table);
      RotatePitch(table);
      RotatePitch(table);
      break;
    default:
      break;
  }
  return text;
}

void MeasurementBaffle(TSchallwand& w, int which) {
  auto allEdges = [&w](bool on) { w.beugl = w.beugr = w.beugo = w.beugu = on; };
  switch (which) {
    case 1:  // infinite baffle
      allEdges(false);
      w.direction = 0;
      break;
    case 2:  // standard baffle
      w.direction = 0;
      allEdges(true);
      w.e = w.f = w.g = w.i = 0;
      w.a = 0.766;
      w.b = 1.775;
      w.c = 0.654;
      w.h = 2.266;
      break;
    case 3:
      w.direction = -2;
      break;  // test enclosure, small side
    case 4:
      w.direction = -3;
      break;  // test enclosure, large side
    case 6:   // old small test enclosure
    case 7:   // old large test enclosure
      w.direction = 0;
      allEdges(true);
      w.e = w.f = 0;
      w.g = which == 6 ? 0.166 : 0.166145;
      w.i = 0.67165;
      w.a = w.i + 0.25 + 0.03;
      w.b = which == 6 ? 0.255 + w.e + w.f : 0.52;
      w.c = which == 6 ? 0.1275 + w.e : 0.26;
      w.h = 0.5 + w.i + w.g;
      break;
    default:
      break;  // 5: the box to be simulated; unknown codes change nothing
  }
}

}  // namespace sonvex
