// Chassis simulation over a full grid of 599 points, per enclosure type.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>

#include "acoustics/chassis_model.h"
#include "model/project.h"
#include "model/result.h"

namespace {

using namespace sonvex;

Chassis BenchChassis() {
  Chassis c;
  c.fs = 38;
  c.Qes = 0.42;
  c.Qms = 3.8;
  c.Vas = 0.055;
  c.Re = 5.6;
  c.Le = 4e-4;
  c.Re2 = 6;
  c.Le2 = 6e-4;
  c.Re3 = 3;
  c.Le3 = 2e-3;
  c.Sd = 0.022;
  c.xlin = 0.005;
  return c;
}

Enclosure BenchEnclosure(int type) {
  Enclosure e;
  e.type = type;
  e.Vb = 0.04;
  e.volumeFactor = 1.1;
  e.airMassFactor = 0.95;
  e.airMassCornerFreq = 250;
  e.Ql = 15;
  e.Qb = 20;
  e.fb = 36;
  e.Qp = 18;
  e.VbFront = 0.015;
  e.frontVolumeFactor = 1.05;
  e.QbFront = 12;
  e.fbFront = 85;
  e.QpFront = 9;
  e.explicitValues = true;
  return e;
}

void BM_SimulateChassis(benchmark::State& state) {
  const int type = static_cast<int>(state.range(0));
  const Chassis chassis = BenchChassis();
  const Enclosure enclosure = BenchEnclosure(type);
  FreqArray freq{};
  constexpr int kPoints = kMaxGridPoints;  // 599
  for (int i = 0; i < kPoints; ++i) freq[i] = 20 * std::pow(1000.0, static_cast<double>(i) / (kPoints - 1));
  struct Outputs {
    ComplexCurve z, excursion, rear, front;
  };
  auto out = std::make_unique<Outputs>();
  for (auto _ : state) {
    std::string text =
        SimulateChassis(chassis, enclosure, freq, kFreqEntries - 1, out->z, out->excursion, out->rear, out->front);
    benchmark::DoNotOptimize(text);
    benchmark::DoNotOptimize(out->front.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_SimulateChassis)->DenseRange(0, 4)->ArgName("Typ");

}  // namespace
