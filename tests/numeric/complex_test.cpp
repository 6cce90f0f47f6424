#include "numeric/complex.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace sonvex {
namespace {

constexpr double kPi = std::numbers::pi;

void ExpectNear(Complex a, Complex b, double tol = 1e-15) {
  EXPECT_NEAR(a.re, b.re, tol);
  EXPECT_NEAR(a.im, b.im, tol);
}

TEST(Complex, Arithmetic) {
  const Complex a{1, 2}, b{3, -4}, c{-0.5, 0.25};
  EXPECT_EQ(CAdd(a, b), (Complex{4, -2}));
  EXPECT_EQ(CAdd3(a, b, c), (Complex{3.5, -1.75}));
  EXPECT_EQ(CSub(a, b), (Complex{-2, 6}));
  EXPECT_EQ(CMul(a, b), (Complex{11, 2}));
  EXPECT_EQ(CMul3(a, b, c), CMul(CMul(a, b), c));
  EXPECT_EQ(CScale(a, -2), (Complex{-2, -4}));
  ExpectNear(CDiv(CMul(a, b), b), a);
  EXPECT_EQ(CAbs(b), 5);
  ExpectNear(CPolar(2, kPi / 2), {0, 2});
  EXPECT_EQ(kComplexZero, (Complex{0, 0}));
  EXPECT_EQ(kComplexOne, (Complex{1, 0}));
}

TEST(Complex, DivisionByZeroIsNotFinite) {
  EXPECT_FALSE(CIsFinite(CDiv(kComplexOne, kComplexZero)));
  EXPECT_TRUE(CIsFinite(CDiv(kComplexOne, {1e-150, 0})));
}

TEST(Complex, ParallelConnections) {
  // Two 8 Ohm resistors give 4 Ohm; three give 8/3.
  ExpectNear(CPar({8, 0}, {8, 0}), {4, 0});
  ExpectNear(CPar3({8, 0}, {8, 0}, {8, 0}), {8.0 / 3.0, 0});
  // A short circuit in parallel with anything is a short circuit.
  EXPECT_EQ(CPar({0, 0}, {8, 0}), kComplexZero);
  EXPECT_EQ(CPar({8, 0}, {0, 0}), kComplexZero);
  EXPECT_EQ(CPar3({8, 0}, kComplexZero, {1, 1}), kComplexZero);
  EXPECT_EQ(CPar3(kComplexZero, kComplexZero, kComplexZero), kComplexZero);
  // An inductor and a capacitor at resonance: the parallel circuit is open.
  EXPECT_FALSE(CIsFinite(CPar({0, 1}, {0, -1})));
}

TEST(Complex, PhaseAndArgument) {
  struct Case {
    Complex z;
    double phase;
    double arg;
  };
  const Case cases[] = {
      {{0, 5}, 0, kPi / 2},       {{0, -5}, 0, -kPi / 2}, {{0, 0}, 0, 0},
      {{1, 1}, kPi / 4, kPi / 4}, {{-1, 0}, kPi, kPi},    {{-1, -1e-300}, -kPi, -kPi},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(CPhase(c.z), c.phase) << c.z.re << "," << c.z.im;
    EXPECT_DOUBLE_EQ(CArg(c.z), c.arg) << c.z.re << "," << c.z.im;
  }
}

TEST(Complex, RotateMultipliesByExpMinusJPhi) {
  ExpectNear(CRotate({1, 0}, kPi / 2), {0, -1});
  ExpectNear(CRotate({0, 1}, kPi / 2), {1, 0});
  const Complex z{0.3, -0.7};
  ExpectNear(CRotate(z, 0.9), CMul(z, CPolar(1, -0.9)));
}

}  // namespace
}  // namespace sonvex
