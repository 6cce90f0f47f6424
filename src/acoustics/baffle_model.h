#pragma once
// The parts of the baffle model: the edge elements swept around the baffle,
// their windows, the piston's directivity, the fitted sources of the test
// enclosure and the direction groups. ComputeBaffle puts them together.
#include <array>
#include <cmath>
#include <cstddef>
#include <vector>

#include "numeric/complex.h"
#include "numeric/constants.h"

namespace sonvex::baffle {

inline constexpr int kElements = 480;        // nominal element count N (two passes)
inline constexpr int kPass = kElements / 2;  // elements per pass
inline constexpr int kPistonSteps = 100;     // M: half the number of integration steps

// Sides of the baffle, in the order of the sweep.
enum TSide : int { kTop = 0, kLeft = 1, kBottom = 2, kRight = 3 };

struct TEdgeElement {
  double x = 0, y = 0, z = 0, r = 0, s = 0;
  int side = kTop;  // the side the element lies on
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
// arguments scale with the frequency. The cosines of one frequency are taken
// in two batches (disc and rings); the sums then run in sample order.
class TPiston {
 public:
  TPiston(int membranform, double diameter);

  // P(30°), P(60°), P(90°) for one frequency (kf = 2π/λ, kh = π/λ).
  std::array<double, 3> Evaluate(double kf, double kh);

 private:
  static constexpr std::size_t kDiscSamples = 2 * kPistonSteps - 1;
  static constexpr std::size_t kRingSamples = 2 * kPistonSteps;

  // One batch of cosine arguments: the distinct arguments (padded to whole
  // blocks), and for every sample of every integral the index of its cosine.
  // The samples lie symmetrically about the centre; where a sample's argument
  // is exactly the negative of its mirror's, the (even) cosine is shared.
  struct TBatch {
    std::vector<double> arg;
    double maxAbsArg = 0.0;
    std::vector<double> cosine;
    void Add(const double* sampleArg, std::size_t n, std::vector<int>& index);
    void Finish();
  };

  static double RingY(double radius, int j, double g);
  static void RingArgs(double kappa, double radius, double g, double* arg);
  void RingAmps(double radius, double g, double* amp) const;
  // Σ amp[i]·cosine[index[i]], in sample order.
  static double Integral(const double* amp, const int* index, std::size_t n, const std::vector<double>& cosine);

  double q_, g2_, g3_;
  bool sameRings_ = true;
  std::array<double, kDiscSamples> discAmp_{};
  std::array<double, kRingSamples> ringAmp2_{}, ringAmp3_{};
  TBatch disc_, ring_;
  std::array<std::vector<int>, 3> discIndex_, ring2Index_, ring3Index_;
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
