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

TChassis BenchChassis() {
  TChassis c;
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
  c.Amem = 0.022;
  c.xlin = 0.005;
  return c;
}

TEinbau BenchEnclosure(int typ) {
  TEinbau e;
  e.Typ = typ;
  e.Vb = 0.04;
  e.vV = 1.1;
  e.mb = 0.95;
  e.fmb = 250;
  e.Ql = 15;
  e.Qb = 20;
  e.fb = 36;
  e.Qk = 18;
  e.Vbf = 0.015;
  e.vVf = 1.05;
  e.Qbf = 12;
  e.fbf = 85;
  e.Qkf = 9;
  e.mbQExpl = true;
  return e;
}

void BM_SimulateChassis(benchmark::State& state) {
  const int typ = static_cast<int>(state.range(0));
  const TChassis chassis = BenchChassis();
  const TEinbau enclosure = BenchEnclosure(typ);
  TFreqArray freq{};
  constexpr int kPoints = kMaxGridPoints;  // 599
  for (int i = 0; i < kPoints; ++i) freq[i] = 20 * std::pow(1000.0, static_cast<double>(i) / (kPoints - 1));
  struct TOut {
    TComplexCurve z, hub, rear, front;
  };
  auto out = std::make_unique<TOut>();
  for (auto _ : state) {
    std::string text =
        SimulateChassis(chassis, enclosure, freq, kFreqEntries - 1, out->z, out->hub, out->rear, out->front);
    benchmark::DoNotOptimize(text);
    benchmark::DoNotOptimize(out->front.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_SimulateChassis)->DenseRange(0, 4)->ArgName("Typ");

}  // namespace
