#pragma once
// Kernels over arrays of phase factors e^(−j·k·path) that share one
// frequency constant k: the edge terms and piston samples of a baffle.
//
// Every array length passed to these kernels is a multiple of kBlock, and the
// arrays do not overlap. The kernels are written with the compiler's vector
// types (four doubles), so they run vectorised at every optimisation level;
// the sums keep kBlock partial sums that are added in a fixed order at the
// end, so a result depends neither on the processor nor on the compiler's
// choices.
#include <cstddef>

#include "numeric/complex.h"

namespace sonvex {

inline constexpr std::size_t kBlock = 8;

// Rounds a count up to whole blocks.
constexpr std::size_t BlockCeil(std::size_t n) { return (n + kBlock - 1) / kBlock * kBlock; }

// re[i] + j·im[i] = e^(−j·k·path[i]) for i < n. `maxAbsPath` bounds |path[i]|:
// it selects FastSinCos (while k·maxAbsPath < kFastTrigLimit) or the library
// functions.
void ExpNegJ(const double* path, std::size_t n, double k, double maxAbsPath, double* re, double* im);

// out[i] = cos(k·arg[i]) for i < n, with the same choice of method.
void CosScaled(const double* arg, std::size_t n, double k, double maxAbsArg, double* out);

// One weighted sum Σ w[i]·(re[i] + j·im[i]) over i < n.
struct WeightedRun {
  const double* w;
  const double* re;
  const double* im;
  std::size_t n;
};
// The sums of `count` runs into out[0..count).
void WeightedSums(const WeightedRun* runs, std::size_t count, Complex* out);

// The products of a with b and with the conjugate of b, element by element:
// plus = a·b, minus = a·conj(b), for i < n.
void MulBoth(const double* aRe, const double* aIm, const double* bRe, const double* bIm, std::size_t n, double* plusRe,
             double* plusIm, double* minusRe, double* minusIm);

// out = a·(1 + q² + q⁵), element by element, for i < n.
void MulOnePlusQ2Q5(const double* aRe, const double* aIm, const double* qRe, const double* qIm, std::size_t n,
                    double* outRe, double* outIm);

}  // namespace sonvex
