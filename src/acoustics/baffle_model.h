#pragma once
// The parts of the baffle model: the edge elements swept around the baffle,
// their windows, the piston's directivity, the fitted sources of the test
// enclosure and the direction groups. ComputeBaffle puts them together.
#include <array>
#include <cmath>
#include <cstddef>

#include "numeric/complex.h"
#include "numeric/constants.h"

namespace sonvex::baffle {

inline constexpr int kElements = 480;        // nominal element count N (two passes)
inline constexpr int kPass = kElements / 2;  // elements per pass
inline constexpr int kPistonSteps = 100;     // M: half the number of integration steps

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
               TEdgeElement* out);

// Triangular window over one pass, repeated for the second pass and scaled to
// a sum of N over all elements; the peak lies at element 0 (φ = 0°, up).
std::array<double, kPass> BaseWindow(int u);

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
extern const std::array<TTestSource, 42> kTestSmall;
extern const std::array<TTestSource, 37> kTestLarge;

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
inline constexpr std::array<TDirGroup, 5> kGroups{{
    {1.28, 0.5, 23, false},
    {0.91, 0.866, 20, false},
    {0.41, 0.999, 10, false},
    {0.0, 0.866, 13, true},
    {0.0, 0.5, 16, true},
}};
// Azimuth unit vectors up, left, down, right and the window shifts that put
// each window's peak at φ = 0°, 90°, 180°, 270°.
inline constexpr std::array<double, 4> kUx{0.0, -1.0, 0.0, 1.0};
inline constexpr std::array<double, 4> kUy{1.0, 0.0, -1.0, 0.0};
inline constexpr std::array<int, 4> kWindowShift{0, 3 * kElements / 8, 2 * kElements / 8, kElements / 8};

}  // namespace sonvex::baffle
