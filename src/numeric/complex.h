#pragma once
// Complex values of every acoustic and electrical quantity, with the small set
// of operations the calculation uses. The zero rules of CPar, CPar3 and
// CPhase are part of the results: keep them.
#include <cmath>

namespace sonvex {

struct Complex {
  double re = 0.0;
  double im = 0.0;
  bool operator==(const Complex&) const = default;
};

inline constexpr Complex kComplexZero{0.0, 0.0};
inline constexpr Complex kComplexOne{1.0, 0.0};

inline Complex CAdd(Complex a, Complex b) { return {a.re + b.re, a.im + b.im}; }
inline Complex CAdd3(Complex a, Complex b, Complex c) { return {a.re + b.re + c.re, a.im + b.im + c.im}; }
inline Complex CSub(Complex a, Complex b) { return {a.re - b.re, a.im - b.im}; }
inline Complex CMul(Complex a, Complex b) { return {a.re * b.re - a.im * b.im, a.im * b.re + a.re * b.im}; }
inline Complex CMul3(Complex a, Complex b, Complex c) { return CMul(CMul(a, b), c); }
inline Complex CScale(Complex a, double x) { return {x * a.re, x * a.im}; }
// No scaling against overflow; a division by kComplexZero gives non-finite parts,
// which the calculation steps detect and report.
inline Complex CDiv(Complex a, Complex b) {
  const double d = b.re * b.re + b.im * b.im;
  return {(b.re * a.re + b.im * a.im) / d, (b.re * a.im - a.re * b.im) / d};
}
inline double CAbs(Complex a) { return std::sqrt(a.re * a.re + a.im * a.im); }
// Parallel connection a·b/(a+b); a branch of magnitude 0 short-circuits it.
inline Complex CPar(Complex a, Complex b) {
  const Complex p = CMul(a, b);
  if (CAbs(p) == 0.0) return p;
  return CDiv(p, CAdd(a, b));
}
// Three branches in parallel; any branch of magnitude 0 gives kComplexZero.
inline Complex CPar3(Complex a, Complex b, Complex c) {
  if (CAbs(a) == 0.0 || CAbs(b) == 0.0 || CAbs(c) == 0.0) return kComplexZero;
  return CDiv(kComplexOne, CAdd3(CDiv(kComplexOne, a), CDiv(kComplexOne, b), CDiv(kComplexOne, c)));
}
// a·exp(-j·phi).
inline Complex CRotate(Complex a, double phi) {
  const double c = std::cos(phi);
  const double s = std::sin(phi);
  return {a.re * c + a.im * s, a.im * c - a.re * s};
}
inline Complex CPolar(double mag, double phi) { return {mag * std::cos(phi), mag * std::sin(phi)}; }
inline double CArg(Complex a) { return std::atan2(a.im, a.re); }
// Phase as results, exports and charts show it: 0 when the real part is exactly 0.
inline double CPhase(Complex a) { return a.re == 0.0 ? 0.0 : std::atan2(a.im, a.re); }

inline bool CIsFinite(Complex a) { return std::isfinite(a.re) && std::isfinite(a.im); }

}  // namespace sonvex
