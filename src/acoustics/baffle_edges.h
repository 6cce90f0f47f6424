#pragma once
// The edge terms of the baffle model, summed per direction for one frequency
// at a time.
//
// The path of an element towards a direction of angle θ and azimuth u is
// r − Aθ·z − sin θ·(u·(x, y)). Along one side of the baffle z and one
// coordinate are constant, so the phase factor of a term splits into
//   e^(−j·k·r)                 per element, shared by every direction,
//   e^(+j·k·sin θ·v)           per element and sin θ (v: the coordinate that
//                              varies along the side), shared by the two
//                              opposite azimuths (one takes its conjugate),
//   e^(−j·k·(−Aθ·z − ...))     one constant per run of a side,
// and the three paths of the rear axis, m·(r − z) with m = 1, 1.1, 1.25, share
// e^(−j·k·(r − z)) and powers of q = e^(−j·k·0.05·(r − z)). That is five
// sines and cosines per element instead of about thirty. The terms are summed
// over contiguous runs of elements of one side that carry weight; elements
// whose strength or window weight is 0 take no part.
//
// Splitting a phase rounds differently from forming the whole path first, by
// about a unit in the last place of the phase, so the difference grows with
// the phase. Where k times the longest path reaches kSplitLimit every term
// takes its phase from its whole path instead (slower, about as before): with
// 512 the split holds up to 20 kHz for paths up to about 1.4 m, i.e. baffles
// up to about 0.7 m from the chassis to the farthest corner, and keeps every
// direction within a few 1e-13 of the whole-path evaluation.
#include <array>
#include <cstddef>
#include <vector>

#include "acoustics/baffle_model.h"
#include "numeric/complex.h"
#include "numeric/phase_factors.h"

namespace sonvex::baffle {

inline constexpr int kEdgeDirections = 22;  // directions 0..21 carry edge terms
inline constexpr double kSplitLimit = 512.0;

class EdgeSums {
 public:
  explicit EdgeSums(const std::array<EdgeElement, kElements>& el);
  // Holds pointers into itself.
  EdgeSums(const EdgeSums&) = delete;
  EdgeSums& operator=(const EdgeSums&) = delete;

  // For every direction d = 0..21 and the phase constant k = 2π/λ (short π):
  // Σ over the elements of s/2 · W_d · e^(−j·k·path_d), W_d the direction's
  // window (1 on axis); on the rear axis 0.33 · s/2 times the sum of its three
  // phase factors.
  std::array<Complex, kEdgeDirections> Evaluate(double k);

 private:
  // Arrays of phase factors the runs draw on.
  enum Source : int {
    SourceElement = 0,  // e^(−j·k·r)
    SourcePlus = 1,     // e^(−j·k·r)·e^(−j·k·sin θ·v), three of them
    SourceMinus = 4,    // e^(−j·k·r)·e^(+j·k·sin θ·v), three of them
    SourceRear = 7,     // e^(−j·k·r)·(1 + q² + q⁵)
    SourceCount = 8,
  };
  struct Run {
    int dir;
    int src;
    std::size_t begin, len;  // element range, whole blocks
    std::size_t weight;      // offset of the run's weights (0 outside the run)
    int factor;              // index of the run's constant factor
    std::size_t path;        // offset of the run's whole paths (paths × len)
    int paths;               // 1, or 3 on the rear axis
  };
  using BlockMask = std::array<bool, kElements / 8>;

  void SplitSums(double k, std::array<Complex, kEdgeDirections>& sums);
  void WholePathSums(double k, std::array<Complex, kEdgeDirections>& sums);
  template <class F>
  static void ForRanges(const BlockMask& blocks, F&& f);

  std::vector<Run> runs_;
  std::vector<WeightedRun> splitRuns_;  // the runs' sums over their sources
  std::vector<Complex> runSums_;
  std::vector<double> weights_;
  std::vector<double> wholePath_;
  double maxWholePath_ = 0.0;

  // Per element: r, sin θ·v for the three values of sin θ, 0.05·(r − z).
  std::array<double, kElements> r_{}, qPath_{};
  std::array<std::array<double, kElements>, 3> lateral_{};
  double maxR_ = 0.0, maxQ_ = 0.0;
  std::array<double, 3> maxLateral_{};
  std::vector<double> factorPath_;
  double maxFactorPath_ = 0.0;

  // Which blocks of elements each array is needed in.
  BlockMask needE_{}, needQ_{};
  std::array<BlockMask, 3> needLateral_{};

  // Scratch of one frequency.
  std::array<std::array<double, kElements>, SourceCount> srcRe_{}, srcIm_{};
  std::array<double, kElements> latRe_{}, latIm_{}, qRe_{}, qIm_{};
  std::vector<double> factorRe_, factorIm_;
  std::vector<double> scratchRe_, scratchIm_, termRe_, termIm_;
};

}  // namespace sonvex::baffle
