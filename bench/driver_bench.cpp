// The calculation driver end to end: a full calculation of an eight-chassis,
// six-amplifier project, and the incremental recalculation after one
// crossover value changed (Check, one crossover, whole box); and the
// spinorama and group-delay curves derived from the full calculation's result,
// which should cost no more than a hundredth of the calculation itself.
#include <benchmark/benchmark.h>

#include <memory>

#include "calc/calc_thread.h"
#include "calc/spinorama.h"
#include "calc/time_response.h"
#include "support/test_projects.h"

namespace {

void BM_FullCalculation(benchmark::State& state) {
  const auto p = sonvex::testing::MakeLargeProject(static_cast<int>(state.range(0)));
  sonvex::CalcThread thread(nullptr, true, std::chrono::milliseconds(0));
  for (auto _ : state) {
    thread.StartFullCalc(*p);
    thread.ComputeUntilDone();
  }
  if (thread.States().WholeBox() != "OK") state.SkipWithError("calculation failed");
}
BENCHMARK(BM_FullCalculation)->Arg(250)->Arg(599)->Unit(benchmark::kMillisecond);

void BM_IncrementalCrossoverChange(benchmark::State& state) {
  auto p = sonvex::testing::MakeLargeProject(static_cast<int>(state.range(0)));
  sonvex::CalcThread thread(nullptr, true, std::chrono::milliseconds(0));
  thread.StartFullCalc(*p);
  thread.ComputeUntilDone();
  double& c = p->amplifiers[2].crossover[0].value;
  const double base = c;
  int n = 0;
  for (auto _ : state) {
    c = base * (1.0 + 0.01 * (++n % 7));
    thread.StartCalc(*p);
    thread.ComputeUntilDone();
  }
  if (thread.StepsDone() != 3) state.SkipWithError("expected three items");
}
BENCHMARK(BM_IncrementalCrossoverChange)->Arg(250)->Unit(benchmark::kMillisecond);

// The valid result of the large project on `points` grid points, for the
// curves computed from a result.
std::unique_ptr<sonvex::CalcResult> LargeResult(benchmark::State& state, int points) {
  const auto p = sonvex::testing::MakeLargeProject(points);
  sonvex::CalcThread thread(nullptr, true, std::chrono::milliseconds(0));
  thread.StartFullCalc(*p);
  thread.ComputeUntilDone();
  if (thread.States().WholeBox() != "OK") state.SkipWithError("calculation failed");
  auto r = std::make_unique<sonvex::CalcResult>(thread.Result());
  r->valid = true;
  return r;
}

void BM_SpinoramaCurves(benchmark::State& state) {
  const auto r = LargeResult(state, static_cast<int>(state.range(0)));
  for (auto _ : state) {
    sonvex::Spinorama s = sonvex::ComputeSpinorama(*r);
    benchmark::DoNotOptimize(s);
  }
}
BENCHMARK(BM_SpinoramaCurves)->Arg(250)->Arg(599)->Unit(benchmark::kMillisecond);

// Step and impulse responses of the box and of every chassis (goal: 15 ms at
// 599 points with 8 chassis).
void BM_TimeResponse(benchmark::State& state) {
  const auto r = LargeResult(state, static_cast<int>(state.range(0)));
  for (auto _ : state) {
    sonvex::TimeResponse t = sonvex::ComputeTimeResponse(*r);
    benchmark::DoNotOptimize(t);
  }
  state.counters["chassis"] = static_cast<double>(sonvex::ChassisInUse(*r));
}
BENCHMARK(BM_TimeResponse)->Arg(599)->Unit(benchmark::kMillisecond);

}  // namespace
