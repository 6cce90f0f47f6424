// The crossover optimizer end to end: a whole run on the sample two-way
// project with a detuned, marked crossover and no pause between worker
// steps. Reported as candidate calculations (trials) per second.
#include <benchmark/benchmark.h>

#include "calc/calc_thread.h"
#include "optimizer/optimizer.h"
#include "support/test_projects.h"

namespace {

class TQuietHost : public sonvex::TOptiHost {
 public:
  void Progress(int) override {}
  void GradeReport(const sonvex::TGrades&, const sonvex::TResult&) override {}
  sonvex::TWPart FixPart(const sonvex::TOptiValue&, const sonvex::TWPart& part) override { return part; }
  void Success() override {}
  void Failure(const std::string&) override { failed = true; }
  bool failed = false;
};

void BM_OptimizerRun(benchmark::State& state) {
  auto p = sonvex::testing::MakeTwoWayProject(static_cast<int>(state.range(0)));
  sonvex::TCrossover& x = p->Verstaerker[0].crossover;
  x[0]._value *= 2;  // tweeter capacitor doubled
  x[0]._bOpti = true;
  x[1]._value *= 0.5;  // woofer coil halved
  x[1]._bOpti = true;
  sonvex::TCalcThread start(nullptr, true, std::chrono::milliseconds(0));
  start.optiParams = sonvex::DefaultOptiParams();
  start.StartFullCalc(*p);
  start.ComputeUntilDone();

  TQuietHost host;
  sonvex::TOptiThread opti(&host, std::chrono::milliseconds(0));
  long trials = 0;
  for (auto _ : state) {
    opti.StartRun(*p, start.Result(), start.States(), start.optiParams);
    opti.WaitIdle();
    trials += opti.Trials();
  }
  if (host.failed || opti.LastOutcome() != sonvex::TOptiOutcome::Finished) state.SkipWithError("run failed");
  state.counters["trials_per_second"] = benchmark::Counter(static_cast<double>(trials), benchmark::Counter::kIsRate);
  state.counters["trials_per_run"] =
      benchmark::Counter(static_cast<double>(trials), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_OptimizerRun)->Arg(126)->Arg(250)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
