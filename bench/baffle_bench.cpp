// Cost of one baffle direction table on the finest grid: the production
// evaluation next to the term-by-term reference it must agree with.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "acoustics/baffle.h"
#include "acoustics/baffle_reference.h"
#include "acoustics/polar_directions.h"

namespace {

// 599 points from 20 Hz to 20 kHz, all four edges diffracting, chamfers set.
struct Case {
  sonvex::Baffle w;
  sonvex::FreqArray freq{};
  Case() {
    w.diffractLeft = w.diffractRight = w.diffractTop = w.diffractBottom = true;
    w.direction = 0;
    w.diaphragmShape = 1;
    w.bottomDistance = 0.25;
    w.width = 0.32;
    w.leftDistance = 0.15;
    w.outletDiameter = 0.17;
    w.chamferLeft = 0.015;
    w.chamferRight = 0.02;
    w.chamferTop = 0.01;
    w.chamferBottom = 0.005;
    w.height = 0.9;
    for (int k = 0; k < 599; ++k) freq[k] = 20.0 * std::pow(1000.0, k / 598.0);
    freq[599] = 0;
  }
};

void BM_BaffleReference599(benchmark::State& state) {
  const Case c;
  auto table = std::make_unique<sonvex::DirectionTable>();
  for (auto _ : state) {
    benchmark::DoNotOptimize(sonvex::testing::ReferenceBaffle(c.w, c.freq, 600, *table));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_BaffleReference599)->Unit(benchmark::kMillisecond);

void BM_BaffleProduction599(benchmark::State& state) {
  const Case c;
  auto table = std::make_unique<sonvex::DirectionTable>();
  for (auto _ : state) {
    benchmark::DoNotOptimize(sonvex::ComputeBaffle(c.w, c.freq, 600, 0.0, *table));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_BaffleProduction599)->Unit(benchmark::kMillisecond);

// A measured polar set of 70 files (10° steps, both planes) with 599 points
// each put into the table: what a set adds to the baffle item.
void BM_PolarSet599(benchmark::State& state) {
  const Case c;
  std::vector<sonvex::PolarResponse> rs;
  for (sonvex::PolarPlane plane : {sonvex::PolarPlane::Horizontal, sonvex::PolarPlane::Vertical}) {
    for (int a = -170; a <= 180; a += 10) {
      if (plane == sonvex::PolarPlane::Vertical && (a == 0 || a == 180)) continue;
      sonvex::PolarResponse r;
      r.plane = plane;
      r.angle = a;
      for (int k = 0; k < 599; ++k) {
        r.freq.push_back(20.0 * std::pow(1000.0, (k + 0.5) / 598.0));
        r.level.push_back(85.0 - std::abs(a) / 20.0 * (1 + k / 300.0));
        r.phase.push_back(std::remainder(-3.0 * k - a, 360.0));
      }
      rs.push_back(std::move(r));
    }
  }
  const sonvex::PolarSet set(std::move(rs));
  auto table = std::make_unique<sonvex::DirectionTable>();
  sonvex::ComputeBaffle(c.w, c.freq, 600, 0.0, *table);
  for (auto _ : state) {
    benchmark::DoNotOptimize(sonvex::ApplyPolarSet(set, c.freq, 600, *table));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_PolarSet599)->Unit(benchmark::kMillisecond);

}  // namespace
