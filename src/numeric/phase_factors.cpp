#include "numeric/phase_factors.h"

#include <cmath>

#include "numeric/fast_trig.h"

namespace sonvex {

// On x86-64 the kernels are also compiled for AVX2 (four values per
// instruction) and picked when the processor has it. The operations are the
// same plain IEEE multiplications and additions (AVX2 alone brings no fused
// multiply-add), so the results do not depend on the processor. Not under
// ThreadSanitizer: the clone's resolver runs before the sanitizer's run time
// is ready.
#if defined(__x86_64__) && defined(__has_attribute) && !defined(__SANITIZE_THREAD__)
#if __has_attribute(target_clones)
#define SONVEX_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#endif
#endif
#ifndef SONVEX_VECTOR_CLONES
#define SONVEX_VECTOR_CLONES
#endif

static_assert(kBlock % 4 == 0);

SONVEX_VECTOR_CLONES void ExpNegJ(const double* path, std::size_t n, double k, double maxAbsPath, double* re,
                                  double* im) {
  if (std::fabs(k) * maxAbsPath < kFastTrigLimit) {
    for (std::size_t i = 0; i < n; i += 4) {
      Vec4 x, sn, cs;
      Load4(x, path + i);
      x *= k;
      FastSinCos4(x, sn, cs);
      Store4(re + i, cs);
      Store4(im + i, -sn);
    }
  } else {
    for (std::size_t i = 0; i < n; ++i) {
      const double arg = k * path[i];
      re[i] = std::cos(arg);
      im[i] = -std::sin(arg);
    }
  }
}

SONVEX_VECTOR_CLONES void CosScaled(const double* arg, std::size_t n, double k, double maxAbsArg, double* out) {
  if (std::fabs(k) * maxAbsArg < kFastTrigLimit) {
    for (std::size_t i = 0; i < n; i += 4) {
      Vec4 x, sn, cs;
      Load4(x, arg + i);
      x *= k;
      FastSinCos4(x, sn, cs);
      Store4(out + i, cs);
    }
  } else {
    for (std::size_t i = 0; i < n; ++i) out[i] = std::cos(arg[i] * k);
  }
}

SONVEX_VECTOR_CLONES void WeightedSums(const WeightedRun* runs, std::size_t count, Complex* out) {
  for (std::size_t r = 0; r < count; ++r) {
    const WeightedRun& run = runs[r];
    Vec4 sr0{}, sr1{}, si0{}, si1{};
    for (std::size_t i = 0; i < run.n; i += kBlock) {
      Vec4 w0, w1, r0, r1, i0, i1;
      Load4(w0, run.w + i);
      Load4(w1, run.w + i + 4);
      Load4(r0, run.re + i);
      Load4(r1, run.re + i + 4);
      Load4(i0, run.im + i);
      Load4(i1, run.im + i + 4);
      sr0 += w0 * r0;
      sr1 += w1 * r1;
      si0 += w0 * i0;
      si1 += w1 * i1;
    }
    // The eight partial sums, pairwise in a fixed order.
    const Vec4 sr = sr0 + sr1, si = si0 + si1;
    out[r] = {(sr[0] + sr[2]) + (sr[1] + sr[3]), (si[0] + si[2]) + (si[1] + si[3])};
  }
}

SONVEX_VECTOR_CLONES void MulBoth(const double* aRe, const double* aIm, const double* bRe, const double* bIm,
                                  std::size_t n, double* plusRe, double* plusIm, double* minusRe, double* minusIm) {
  for (std::size_t i = 0; i < n; i += 4) {
    Vec4 ar, ai, br, bi;
    Load4(ar, aRe + i);
    Load4(ai, aIm + i);
    Load4(br, bRe + i);
    Load4(bi, bIm + i);
    const Vec4 rr = ar * br, ii = ai * bi, ri = ar * bi, ir = ai * br;
    Store4(plusRe + i, rr - ii);
    Store4(plusIm + i, ir + ri);
    Store4(minusRe + i, rr + ii);
    Store4(minusIm + i, ir - ri);
  }
}

SONVEX_VECTOR_CLONES void MulOnePlusQ2Q5(const double* aRe, const double* aIm, const double* qRe, const double* qIm,
                                         std::size_t n, double* outRe, double* outIm) {
  for (std::size_t i = 0; i < n; i += 4) {
    Vec4 q1r, q1i, ar, ai;
    Load4(q1r, qRe + i);
    Load4(q1i, qIm + i);
    Load4(ar, aRe + i);
    Load4(ai, aIm + i);
    const Vec4 q2r = q1r * q1r - q1i * q1i, q2i = 2.0 * q1r * q1i;
    const Vec4 q4r = q2r * q2r - q2i * q2i, q4i = 2.0 * q2r * q2i;
    const Vec4 q5r = q4r * q1r - q4i * q1i, q5i = q4r * q1i + q4i * q1r;
    const Vec4 sr = 1.0 + q2r + q5r, si = q2i + q5i;
    Store4(outRe + i, ar * sr - ai * si);
    Store4(outIm + i, ar * si + ai * sr);
  }
}

}  // namespace sonvex
