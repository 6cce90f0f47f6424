#pragma once
// A fast sine and cosine for the phase factors of long term lists.
#include <bit>
#include <cstdint>
#include <cstring>

namespace sonvex {

// sin and cos of x for |x| below kFastTrigLimit, branch-free so that batches
// vectorise. Reduction by multiples of π/2 in two parts (the first exact for
// the multiples used), then the usual minimax polynomials on [−π/4, π/4].
// Absolute error a few 1e-16.
inline constexpr double kFastTrigLimit = 1.0e6;

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

// Four lanes of doubles and of 64-bit integers (the compiler's vector types:
// one AVX2 register, or two SSE2 registers). Every lane is computed exactly as
// the scalar code computes it, so results do not depend on the instructions.
// Vectors are passed by reference only: passed by value, their calling
// convention would depend on the instruction set.
using Vec4 = double __attribute__((vector_size(32)));
using Vec4U = std::uint64_t __attribute__((vector_size(32)));

[[gnu::always_inline]] inline void Load4(Vec4& v, const double* p) { std::memcpy(&v, p, sizeof v); }
[[gnu::always_inline]] inline void Store4(double* p, const Vec4& v) { std::memcpy(p, &v, sizeof v); }

// FastSinCos of four values at once.
[[gnu::always_inline]] inline void FastSinCos4(const Vec4& x, Vec4& sOut, Vec4& cOut) {
  constexpr double kTwoOverPi = 6.36619772367581382433e-01;
  constexpr double kPio2Hi = 1.57079632673412561417e+00;
  constexpr double kPio2Lo = 6.07710050650619224932e-11;
  constexpr double kRound = 6755399441055744.0;
  const Vec4 t = x * kTwoOverPi + kRound;
  const Vec4 fn = t - kRound;
  const Vec4U q = reinterpret_cast<Vec4U>(t);
  const Vec4 r = (x - fn * kPio2Hi) - fn * kPio2Lo;
  const Vec4 z = r * r;
  constexpr double S1 = -1.66666666666666324348e-01, S2 = 8.33333333332248946124e-03, S3 = -1.98412698298579493134e-04,
                   S4 = 2.75573137070700676789e-06, S5 = -2.50507602534068634195e-08, S6 = 1.58969099521155010221e-10;
  constexpr double C1 = 4.16666666666666019037e-02, C2 = -1.38888888888741095749e-03, C3 = 2.48015872894767294178e-05,
                   C4 = -2.75573143513906633035e-07, C5 = 2.08757232129817482790e-09, C6 = -1.13596475577881948265e-11;
  const Vec4 sp = r + r * z * (S1 + z * (S2 + z * (S3 + z * (S4 + z * (S5 + z * S6)))));
  const Vec4 hz = 0.5 * z;
  const Vec4 w = 1.0 - hz;
  const Vec4 cp = w + (((1.0 - w) - hz) + z * z * (C1 + z * (C2 + z * (C3 + z * (C4 + z * (C5 + z * C6))))));
  const Vec4U spBits = reinterpret_cast<Vec4U>(sp);
  const Vec4U cpBits = reinterpret_cast<Vec4U>(cp);
  const Vec4U swap = 0 - (q & 1u);
  const Vec4U sBits = (spBits & ~swap) | (cpBits & swap);
  const Vec4U cBits = (cpBits & ~swap) | (spBits & swap);
  sOut = reinterpret_cast<Vec4>(sBits ^ ((q & 2u) << 62));
  cOut = reinterpret_cast<Vec4>(cBits ^ (((q + 1u) & 2u) << 62));
}

}  // namespace sonvex
