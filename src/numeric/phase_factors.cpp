#include "numeric/phase_factors.h"

#include "numeric/fast_trig.h"

namespace sonvex {

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

}  // namespace sonvex
