#pragma once
// Sums of weighted phase factors weight·e^(−j·k·path) over long lists of
// terms that share one frequency constant k (the edge terms of a baffle).
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "numeric/complex.h"

namespace sonvex {

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

// Weighted phase factors weight[i]·e^(−j·k·path[i]) of a whole list into
// the scratch buffers (real and imaginary parts), which hold at least as many
// values as the list. Uses FastSinCos while every argument stays below
// kFastTrigLimit, the library functions otherwise.
void PhaseFactors(const TTermList& list, double k, std::vector<double>& reBuf, std::vector<double>& imBuf);

// Sum of a range of the buffers, in four interleaved partial sums so the
// additions do not wait for each other.
inline TComplex RangeSum(std::size_t from, std::size_t to, const std::vector<double>& reBuf,
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

}  // namespace sonvex
