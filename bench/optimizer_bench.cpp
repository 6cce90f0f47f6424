// The crossover optimizer end to end: a whole run on the sample two-way
// project with a detuned, marked crossover and no pause between worker
// steps. Reported as candidate calculations (trials) per second.
#include <benchmark/benchmark.h>

#include "calc/calc_thread.h"
#include "optimizer/optimizer.h"
#include "support/test_projects.h"

namespace {

class QuietHost : public sonvex::OptimizerHost {
 public:
  void Progress(int) override {}
  void GradeReport(const sonvex::GradeBlock&, const sonvex::CalcResult&) override {}
  sonvex::CrossoverPart FixPart(const sonvex::OptimizerVariable&, const sonvex::CrossoverPart& part) override {
    return part;
  }
  void Success() override {}
  void Failure(const std::string&) override { failed = true; }
  bool failed = false;
};

void BM_OptimizerRun(benchmark::State& state) {
  auto p = sonvex::testing::MakeTwoWayProject(static_cast<int>(state.range(0)));
  sonvex::Crossover& x = p->amplifiers[0].crossover;
  x[0].value *= 2;  // tweeter capacitor doubled
  x[0].optimize = true;
  x[1].value *= 0.5;  // woofer coil halved
  x[1].optimize = true;
  sonvex::CalcThread start(nullptr, true, std::chrono::milliseconds(0));
  start.optimizerParams = sonvex::DefaultOptimizerParams();
  start.StartFullCalc(*p);
  start.ComputeUntilDone();

  QuietHost host;
  sonvex::OptimizerThread opti(&host, std::chrono::milliseconds(0));
  long trials = 0;
  for (auto _ : state) {
    opti.StartRun(*p, start.Result(), start.States(), start.optimizerParams);
    opti.WaitIdle();
    trials += opti.Trials();
  }
  if (host.failed || opti.LastOutcome() != sonvex::OptimizerOutcome::Finished) state.SkipWithError("run failed");
  state.counters["trials_per_second"] = benchmark::Counter(static_cast<double>(trials), benchmark::Counter::kIsRate);
  state.counters["trials_per_run"] =
      benchmark::Counter(static_cast<double>(trials), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_OptimizerRun)->Arg(126)->Arg(250)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
