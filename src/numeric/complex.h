#pragma once
// Complex values of every acoustic and electrical quantity, with the small set
// of operations the calculation uses. The zero rules of CPar, CPar3 and
// CPhase are part of the results: keep them.
#include <cmath>

namespace sonvex {

struct TComplex {
  double re = 0.0;
  double im = 0.0;
  bool operator==(const TComplex&) const = default;
};

inline constexpr TComplex CZero{0.0, 0.0};
inline constexpr TComplex COne{1.0, 0.0};

inline TComplex CAdd(TComplex a, TComplex b) { return {a.re + b.re, a.im + b.im}; }
inline TComplex CAdd3(TComplex a, TComplex b, TComplex c) { return {a.re + b.re + c.re, a.im + b.im + c.im}; }
inline TComplex CSub(TComplex a, TComplex b) { return {a.re - b.re, a.im - b.im}; }
inline TComplex CMul(TComplex a, TComplex b) { return {a.re * b.re - a.im * b.im, a.im * b.re + a.re * b.im}; }
inline TComplex CMul3(TComplex a, TComplex b, TComplex c) { return CMul(CMul(a, b), c); }
inline TComplex CScale(TComplex a, double x) { return {x * a.re, x * a.im}; }
// No scaling against overflow; a division by CZero gives non-finite parts,
// which the calculation steps detect and report.
inline TComplex CDiv(TComplex a, TComplex b) {
  const double d = b.re * b.re + b.im * b.im;
  return {(b.re * a.re + b.im * a.im) / d, (b.re * a.im - a.re * b.im) / d};
}
inline double CAbs(TComplex a) { return std::sqrt(a.re * a.re + a.im * a.im); }
// Parallel connection a·b/(a+b); a branch of magnitude 0 short-circuits it.
inline TComplex CPar(TComplex a, TComplex b) {
  const TComplex p = CMul(a, b);
  if (CAbs(p) == 0.0) return p;
  return CDiv(p, CAdd(a, b));
}
// Three branches in parallel; any branch of magnitude 0 gives CZero.
inline TComplex CPar3(TComplex a, TComplex b, TComplex c) {
  if (CAbs(a) == 0.0 || CAbs(b) == 0.0 || CAbs(c) == 0.0) return CZero;
  return CDiv(COne, CAdd3(CDiv(COne, a), CDiv(COne, b), CDiv(COne, c)));
}
// a·exp(-j·phi).
inline TComplex CRotate(TComplex a, double phi) {
  const double c = std::cos(phi);
  const double s = std::sin(phi);
  return {a.re * c + a.im * s, a.im * c - a.re * s};
}
inline TComplex CPolar(double mag, double phi) { return {mag * std::cos(phi), mag * std::sin(phi)}; }
inline double CArg(TComplex a) { return std::atan2(a.im, a.re); }
// Phase as results, exports and charts show it: 0 when the real part is exactly 0.
inline double CPhase(TComplex a) { return a.re == 0.0 ? 0.0 : std::atan2(a.im, a.re); }

inline bool CIsFinite(TComplex a) { return std::isfinite(a.re) && std::isfinite(a.im); }

}  // namespace sonvex
