// Costs of the building blocks every file and calculation uses: number text
// for each field written or read, the frequency grid, a whole project copy.
#include <benchmark/benchmark.h>

#include <memory>

#include "model/freq_grid.h"
#include "model/number_text.h"
#include "model/project.h"

namespace {

void BM_FormatNumber10(benchmark::State& state) {
  double x = 0.000123456789;
  for (auto _ : state) {
    benchmark::DoNotOptimize(sonvex::FormatNumber(x, 10));
    x *= 1.7;
    if (x > 1e20) x = 0.000123456789;
  }
}
BENCHMARK(BM_FormatNumber10);

void BM_ParseFloat(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(sonvex::ParseFloat("1,234567E-4"));
}
BENCHMARK(BM_ParseFloat);

void BM_BuildFreqGrid599(benchmark::State& state) {
  auto p = sonvex::MakeNewProject();
  p->gridPoints = 599;
  for (auto _ : state) {
    sonvex::BuildFreqGrid(*p);
    benchmark::DoNotOptimize(p->freq.data());
  }
}
BENCHMARK(BM_BuildFreqGrid599);

void BM_CopyProject(benchmark::State& state) {
  const auto p = sonvex::MakeNewProject();
  auto q = std::make_unique<sonvex::Project>();
  for (auto _ : state) {
    *q = *p;
    benchmark::DoNotOptimize(q.get());
  }
}
BENCHMARK(BM_CopyProject);

}  // namespace
