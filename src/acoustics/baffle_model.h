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
enum Side : int { SideTop = 0, SideLeft = 1, SideBottom = 2, SideRight = 3 };

struct EdgeElement {
  double x = 0, y = 0, z = 0, r = 0, strength = 0;
  int side = SideTop;  // the side the element lies on
};

// One sweep around a rectangle whose sides lie at the given distances from the
// chassis centre (top, left, bottom, right). Returns false where a side lies
// at distance 0, which would divide by zero in the sweep conditions.
struct SweepSide {
  double dist;      // distance of the side from the chassis centre
  double z;         // depth of the line (minus the chamfer width, or 0)
  double strength;  // element strength, 0 where the edge does not diffract
};

bool SweepPass(const SweepSide& top, const SweepSide& left, const SweepSide& bottom, const SweepSide& right,
               EdgeElement* out);

// Triangular window over one pass, repeated for the second pass and scaled to
// a sum of N over all elements; the peak lies at element 0 (φ = 0°, up).
std::array<double, kPass> BaseWindow(int u);

// The piston's directivity at 30°, 60° and 90°: a disc integral plus two ring
// integrals. Sample positions and weights are fixed per call; only the cosine
// arguments scale with the frequency. The cosines of one frequency are taken
// in two batches (disc and rings); the sums then run in sample order.
class Piston {
 public:
  Piston(int diaphragmShape, double diameter);

  // P(30°), P(60°), P(90°) for one frequency (kf = 2π/λ, kh = π/λ).
  std::array<double, 3> Evaluate(double kf, double kh);

 private:
  static constexpr std::size_t kDiscSamples = 2 * kPistonSteps - 1;
  static constexpr std::size_t kRingSamples = 2 * kPistonSteps;

  // One batch of cosine arguments: the distinct arguments (padded to whole
  // blocks), and for every sample of every integral the index of its cosine.
  // The samples lie symmetrically about the centre; where a sample's argument
  // is exactly the negative of its mirror's, the (even) cosine is shared.
  struct CosineBatch {
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

  double ringShare_, ring2Scale_, ring3Scale_;
  bool sameRings_ = true;
  std::array<double, kDiscSamples> discAmp_{};
  std::array<double, kRingSamples> ringAmp2_{}, ringAmp3_{};
  CosineBatch disc_, ring_;
  std::array<std::vector<int>, 3> discIndex_, ring2Index_, ring3Index_;
};

// Fitted secondary sources of the test enclosure (path length R in m,
// relative spread P, weight W), small and large measuring side.
struct TestEnclosureSource {
  double pathLength, spread, weight;
};
extern const std::array<TestEnclosureSource, 42> kTestEnclosureSmall;
extern const std::array<TestEnclosureSource, 37> kTestEnclosureLarge;

// Direction 0 on the test enclosure: the direct sound minus the fitted
// secondary sources.
template <std::size_t Rows>
Complex TestEnclosure(const std::array<TestEnclosureSource, Rows>& table, Complex direct0, double p90, double lambda) {
  Complex sum = direct0;
  const double lambda5 = 5.0 * lambda * lambda;
  for (const TestEnclosureSource& row : table) {
    const double amp = row.weight * 0.5 / 11.0 * (lambda5 / (row.pathLength + lambda5)) * p90;
    for (int s = -5; s <= 5; ++s) {
      const double spread = 1.0 + s * std::pow(0.5, std::abs(s)) * row.spread;
      const double arg = spread * row.pathLength * 2.0 * kPiShort / lambda;
      sum = CSub(sum, CRotate({amp, 0.0}, arg));
    }
  }
  return sum;
}

// Directions 1..20: θ groups 30°, 60°, 90°, 120°, 150° with four azimuths each.
struct DirectionGroup {
  double axial;   // Aθ, weight of the chamfer depth in the path
  double sinUse;  // sin θ as the model uses it
  int windowPct;  // window half width U in percent of N
  bool add;       // added to (θ ≥ 120°) or subtracted from the direct sound
};
inline constexpr std::array<DirectionGroup, 5> kGroups{{
    {1.28, 0.5, 23, false},
    {0.91, 0.866, 20, false},
    {0.41, 0.999, 10, false},
    {0.0, 0.866, 13, true},
    {0.0, 0.5, 16, true},
}};
// Azimuth unit vectors up, left, down, right and the window shifts that put
// each window's peak at φ = 0°, 90°, 180°, 270°.
inline constexpr std::array<double, 4> kAzimuthX{0.0, -1.0, 0.0, 1.0};
inline constexpr std::array<double, 4> kAzimuthY{1.0, 0.0, -1.0, 0.0};
inline constexpr std::array<int, 4> kWindowShift{0, 3 * kElements / 8, 2 * kElements / 8, kElements / 8};

}  // namespace sonvex::baffle
