#include "optimizer/optimizer.h"
#include "optimizer/optimizer_preconditions.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>
#include <random>
#include <sstream>

#include "app/optimize_command.h"
#include "calc/check.h"
#include "calc/file_load.h"
#include "model/interaction.h"
#include "model/project_file.h"
#include "model/settings.h"
#include "support/scripted_interaction.h"
#include "support/test_projects.h"

namespace sonvex {
namespace {

using namespace std::chrono_literals;
using testing::MakeTwoWayProject;
using testing::PlacePart;

constexpr int kPoints = 32;  // a coarse grid keeps a whole run short

// Full calculation of a project with the given grading parameters.
std::unique_ptr<CalcThread> Compute(const Project& p, const OptimizerParams& params = DefaultOptimizerParams()) {
  auto t = std::make_unique<CalcThread>(nullptr, true, 0ms);
  t->optimizerParams = params;
  t->StartFullCalc(p);
  t->ComputeUntilDone();
  return t;
}

int Errors(const CalcThread& t, const Project& p) {
  return StatusReport(t.States(), p.ampCount, p.chassisCount).errors;
}

// The sample two-way crossover detuned: the tweeter capacitor doubled, the
// woofer coil halved, both marked, and a marked 0.001 Ohm resistor in the
// ground return (in place of a wire).
std::unique_ptr<Project> DetunedTwoWay() {
  auto p = MakeTwoWayProject(kPoints);
  Crossover& x = p->amplifiers[0].crossover;
  x[0].value *= 2;  // C 4.7 µF -> 9.4 µF
  x[0].optimize = true;
  x[1].value *= 0.5;  // L 1.2 mH -> 0.6 mH
  x[1].optimize = true;
  PlacePart(*p, 0, 10, PartResistor, 0.001);  // nodes 11-12
  x[10].optimize = true;
  return p;
}

// Records the reports; the optimizer thread writes, the test reads after the run.
class RecordingHost : public OptimizerHost {
 public:
  std::mutex mutex;
  std::vector<int> progress;
  std::vector<double> totals;
  std::vector<std::pair<OptimizerVariable, CrossoverPart>> fixed;
  int successes = 0;
  std::vector<std::string> failures;
  PartFixRules rules;  // Manual: keep the continuous value

  void Progress(int perMille) override {
    std::lock_guard lock(mutex);
    progress.push_back(perMille);
  }
  void GradeReport(const GradeBlock& g, const CalcResult&) override {
    std::lock_guard lock(mutex);
    totals.push_back(g[GradeTotal]);
  }
  CrossoverPart FixPart(const OptimizerVariable& v, const CrossoverPart& part) override {
    std::lock_guard lock(mutex);
    fixed.emplace_back(v, part);
    return FixPartByRule(part, rules).value_or(part);
  }
  void Success() override {
    std::lock_guard lock(mutex);
    ++successes;
  }
  void Failure(const std::string& message) override {
    std::lock_guard lock(mutex);
    failures.push_back(message);
  }
};

// ---------------------------------------------------------------------------
// Variables

TEST(OptiVariables, MarkedValuePartsGiveTheirVariablesWithLimits) {
  auto p = MakeTwoWayProject(kPoints);
  PlacePart(*p, 1, 20, PartResistor, 6.8);
  for (CrossoverPart* part :
       {&p->amplifiers[0].crossover[0], &p->amplifiers[0].crossover[1], &p->amplifiers[1].crossover[20]})
    part->optimize = true;
  const auto vars = CollectOptimizerVariables(*p);
  ASSERT_EQ(vars.size(), 4u);
  struct Expected {
    int amp, slot;
    bool coilR;
    double start, step, lower, upper;
    const char* label;
    const char* unit;
    double factor;
  };
  const Expected expected[] = {
      {0, 0, false, 4.7e-6, 4.7e-6 / 16, 1e-9, 0.001, "C = ", " uF", 1e6},
      {0, 1, false, 1.2e-3, 1.2e-3 / 16, 1e-6, 1.0, "L = ", " mH", 1000},
      {0, 1, true, 0.35, 0.35 / 7, 0.0001, 1000, "R(L) = ", " Ohm", 1},
      {1, 20, false, 6.8, 6.8 / 16, 0.001, 1000, "R = ", " Ohm", 1},
  };
  for (std::size_t i = 0; i < vars.size(); ++i) {
    const OptimizerVariable& v = vars[i];
    const Expected& e = expected[i];
    EXPECT_EQ(v.amplifier, e.amp) << i;
    EXPECT_EQ(v.slot, e.slot) << i;
    EXPECT_EQ(v.coilResistance, e.coilR) << i;
    EXPECT_DOUBLE_EQ(v.startValue, e.start) << i;
    EXPECT_DOUBLE_EQ(v.step, e.step) << i;
    EXPECT_EQ(v.lowerBound, e.lower) << i;
    EXPECT_EQ(v.upperBound, e.upper) << i;
    EXPECT_EQ(v.label, e.label) << i;
    EXPECT_EQ(v.unit, e.unit) << i;
    EXPECT_EQ(v.displayFactor, e.factor) << i;
    EXPECT_EQ(OptimizerVariableValue(*p, v), e.start) << i;
  }
  EXPECT_EQ(CountMarkedParts(*p), 3);
}

TEST(OptiVariables, WiresChassisAmplifiersAndUnusedAmplifiersGiveNothing) {
  auto p = MakeTwoWayProject(kPoints);
  for (int a = 0; a < kMaxAmps; ++a)
    for (CrossoverPart& part : p->amplifiers[a].crossover)
      if (part.type == PartWire || part.type == PartChassis || part.type == PartAmplifier) part.optimize = true;
  PlacePart(*p, 2, 0, PartResistor, 10);  // amplifier 3 is not in use (ampCount = 2)
  p->amplifiers[2].crossover[0].optimize = true;
  EXPECT_TRUE(CollectOptimizerVariables(*p).empty());
  EXPECT_EQ(CountMarkedParts(*p), 0);
}

TEST(OptiVariables, ThirtyCoilsGiveFiftyVariables) {
  auto p = MakeTwoWayProject(kPoints);
  p->ampCount = 1;
  for (int s = 0; s < 30; ++s) {
    PlacePart(*p, 0, 100 + s, PartInductor, 1e-3 * (s + 1));
    p->amplifiers[0].crossover[100 + s].resistance = 0.1;
    p->amplifiers[0].crossover[100 + s].optimize = true;
  }
  const auto vars = CollectOptimizerVariables(*p);
  ASSERT_EQ(vars.size(), 50u);
  // The 25th coil brings the count from 48 to 50; no further part is looked at.
  EXPECT_EQ(vars[48].slot, 124);
  EXPECT_FALSE(vars[48].coilResistance);
  EXPECT_EQ(vars[49].slot, 124);
  EXPECT_TRUE(vars[49].coilResistance);
}

TEST(OptiVariables, ResistorAtItsLowerBoundIsOnlyTriedUpward) {
  auto p = MakeTwoWayProject(kPoints);
  PlacePart(*p, 0, 10, PartResistor, 0.001);
  p->amplifiers[0].crossover[10].optimize = true;
  const OptimizerVariable v = CollectOptimizerVariables(*p).at(0);
  const StepCandidates t = StepTrials(0.001, v);
  EXPECT_GT(t.up, 0.001);
  EXPECT_EQ(t.down, 0.001);
  // Away from the bound both directions are tried, and the step is clamped.
  OptimizerVariable w = v;
  w.step = 0.5;
  EXPECT_EQ(StepTrials(2.0, w).down, 1.5);
  EXPECT_EQ(StepTrials(0.3, w).down, 0.001);
}

// ---------------------------------------------------------------------------
// Rules of the search

TEST(OptiRules, StepShrinksGrowsAndStaysWithinItsClamps) {
  OptimizerVariable v;
  v.startValue = 10;
  v.lowerBound = 0.001;
  v.upperBound = 1000;
  EXPECT_DOUBLE_EQ(AdjustStep(1, v, 1), 0.7);
  EXPECT_DOUBLE_EQ(AdjustStep(1, v, 6), 1.2);
  EXPECT_DOUBLE_EQ(AdjustStep(1e-5, v, 1), 0.001);  // not below the lower bound
  EXPECT_DOUBLE_EQ(AdjustStep(100, v, 1), 4.0);     // not above 0.4 x start value
  v.startValue = 10000;
  EXPECT_DOUBLE_EQ(AdjustStep(5000, v, 1), 1000);  // not above the upper bound
  // Accepted candidate: 1.8 before the shrink.
  EXPECT_DOUBLE_EQ(AdjustStep(1.8 * 1.0, v, 1), 1.26);

  EXPECT_DOUBLE_EQ(ExtrapolationValue(2.0, 1.0, 1, 0.0), 2.0 * 1.0004 + 0.0004);
  EXPECT_DOUBLE_EQ(ExtrapolationValue(2.0, 1.0, 5, 0.0), 2.0 * 1.002 + 0.002);
  EXPECT_EQ(ExtrapolationValue(1e-7, 1e-7, 1, 1e-6), 1e-6);
}

TEST(OptiRules, StallTestFollowsTheSmoothedGrade) {
  double b = 100.0;
  std::vector<int> stalls;
  for (int pass = 1; pass <= 20; ++pass)
    if (UpdateStallMeasure(b, 5.0)) stalls.push_back(pass);
  // B is held at grade + 1, then halves its distance each pass: below 0.0003
  // after the 13th; the lift of 0.0025 lasts four more passes.
  EXPECT_EQ(stalls, (std::vector<int>{13, 17}));
  // A grade that keeps falling fast does not stall.
  b = 100.0;
  bool stalled = false;
  for (int pass = 0; pass < 30; ++pass) stalled |= UpdateStallMeasure(b, 5.0 - 0.01 * pass);
  EXPECT_FALSE(stalled);
}

TEST(OptiRules, FixingTakesTheLargestCoilFirstAndWidensTheOthers) {
  auto p = MakeTwoWayProject(kPoints);
  p->ampCount = 1;
  PlacePart(*p, 0, 20, PartResistor, 22.0);
  PlacePart(*p, 0, 21, PartInductor, 2e-3);
  PlacePart(*p, 0, 22, PartCapacitor, 1e-5);
  for (int s : {0, 1, 20, 21, 22}) p->amplifiers[0].crossover[s].optimize = true;
  auto vars = CollectOptimizerVariables(*p);  // C0, L1, R(L)1, R20, L21, R(L)21, C22
  ASSERT_EQ(vars.size(), 7u);
  std::vector<VariableReferences> refs;
  for (std::size_t i = 0; i < vars.size(); ++i) refs.push_back({double(i), 0, 0, 0});
  for (OptimizerVariable& v : vars) v.step = v.lowerBound;

  std::vector<int> order;
  while (!vars.empty()) {
    const int i = ChooseVariableToFix(vars, *p);
    ASSERT_GE(i, 0);
    order.push_back(vars[static_cast<std::size_t>(i)].slot);
    RemoveFixedVariable(vars, refs, i);
    ASSERT_EQ(vars.size(), refs.size());
    for (std::size_t k = 0; k < vars.size(); ++k) {
      EXPECT_GE(vars[k].step, 0.04 * vars[k].startValue);
      EXPECT_GE(vars[k].step, 100 * vars[k].lowerBound);
      if (vars[k].coilResistance) {  // still after its coil
        EXPECT_EQ(vars[k - 1].slot, vars[k].slot);
      }
    }
    if (order.size() == 1) {
      // The 2 mH coil went with its winding resistance; the others keep
      // their order and their own reference rows.
      ASSERT_EQ(vars.size(), 5u);
      EXPECT_EQ(vars[3].slot, 20);
      EXPECT_EQ(refs[3][0], 3.0);
      EXPECT_EQ(refs[4][0], 6.0);
    }
  }
  // Coils by size, then capacitors by size, then the resistor.
  EXPECT_EQ(order, (std::vector<int>{21, 1, 22, 0, 20}));
}

TEST(OptiRules, FixPartRoundsByTheRuleOfItsKind) {
  CrossoverPart r;
  r.type = PartResistor;
  r.value = 2.4;
  r.node1 = 3;
  r.node2 = 4;
  r.optimize = true;
  CrossoverPart c = r;
  c.type = PartCapacitor;
  c.value = 4.5e-6;
  CrossoverPart l = r;
  l.type = PartInductor;
  l.value = 1.3e-3;
  l.resistance = 0.37;

  PartFixRules rules;
  EXPECT_FALSE(FixPartByRule(r, rules));  // manual
  EXPECT_FALSE(FixPartByRule(c, rules));
  EXPECT_FALSE(FixPartByRule(l, rules));
  rules = {FixChoice::E12, FixChoice::E6, FixChoice::E12};
  EXPECT_DOUBLE_EQ(FixPartByRule(r, rules)->value, 2.2);
  EXPECT_DOUBLE_EQ(FixPartByRule(c, rules)->value, 4.7e-6);
  const CrossoverPart lf = *FixPartByRule(l, rules);
  EXPECT_DOUBLE_EQ(lf.value, 1.2e-3);
  EXPECT_EQ(lf.resistance, 0.37);  // the winding resistance keeps its value
  EXPECT_EQ(lf.node1, 3);
  EXPECT_TRUE(lf.optimize);
  r.value = 1.3;
  EXPECT_DOUBLE_EQ(FixPartByRule(r, rules)->value, 1.2);
  rules.resistors = FixChoice::E6;
  EXPECT_DOUBLE_EQ(FixPartByRule(r, rules)->value, 1.5);
}

// ---------------------------------------------------------------------------
// Preconditions of a start

TEST(OptiPreconditions, AsksUntilSomethingIsMarkedOrTheUserMarksByHand) {
  auto p = MakeTwoWayProject(kPoints);  // no resistor anywhere
  ScriptedInteraction ui;
  ui.buttons = {1, 2};  // "alle Widerstände markieren" marks nothing here, so it asks again
  EXPECT_TRUE(EnsureMarkedParts(*p, ui));
  ASSERT_EQ(ui.asked.size(), 2u);
  EXPECT_EQ(ui.asked[0].text, kNoMarkedPartsText);
  EXPECT_EQ(ui.asked[0].options, kNoMarkedPartsButtons);
  EXPECT_EQ(CountMarkedParts(*p), 2);                     // the capacitor and the coil of amplifier 1
  EXPECT_FALSE(p->amplifiers[0].crossover[90].optimize);  // the chassis stays unmarked

  auto q = MakeTwoWayProject(kPoints);
  PlacePart(*q, 1, 20, PartResistor, 4.7);
  ScriptedInteraction marksAll;
  marksAll.buttons = {1};
  EXPECT_TRUE(EnsureMarkedParts(*q, marksAll));
  EXPECT_EQ(CountMarkedParts(*q), 1);
  EXPECT_TRUE(q->amplifiers[1].crossover[20].optimize);

  auto r = MakeTwoWayProject(kPoints);
  ScriptedInteraction byHand;
  byHand.buttons = {3};
  EXPECT_FALSE(EnsureMarkedParts(*r, byHand));
  EXPECT_EQ(CountMarkedParts(*r), 0);

  // Already marked: no question.
  ScriptedInteraction none;
  EXPECT_TRUE(EnsureMarkedParts(*p, none));
  EXPECT_TRUE(none.asked.empty());
}

TEST(OptiPreconditions, ChassisDataMustBeGiven) {
  auto p = MakeTwoWayProject(kPoints);
  EXPECT_FALSE(CheckChassisData(*p));
  p->chassis[5].xlin = 0;  // beyond chassisCount: not in use
  EXPECT_FALSE(CheckChassisData(*p));
  p->chassis[3].maxPower = 0;
  p->chassis[2].xlin = 0;
  EXPECT_EQ(CheckChassisData(*p), "Chassis 3:\rSd, xlin und Pmax müssen > 0 sein.");
  p->chassis[0].Sd = std::nan("");
  EXPECT_EQ(CheckChassisData(*p), "Chassis 1:\rSd, xlin und Pmax müssen > 0 sein.");
}

// ---------------------------------------------------------------------------
// Runs

TEST(OptiRun, DetunedCrossoverImprovesAndTheRunEndsByItself) {
  const auto p = DetunedTwoWay();
  const OptimizerParams params = DefaultOptimizerParams();
  const auto start = Compute(*p, params);
  ASSERT_EQ(Errors(*start, *p), 0);

  RecordingHost host;
  OptimizerThread optimizer(&host, 0ms);
  struct Seen {
    int iteration, k, repeat, variables;
    bool computeUp, computeDown;
  };
  std::vector<Seen> trials;
  bool resistorBelowBound = false;
  bool resistorTrialSeen = false;
  optimizer.onTrial = [&](const OptimizerThread::Trial& t) {
    trials.push_back({t.iteration, t.k, t.repeat, t.variables, t.computeUp, t.computeDown});
    const double rUp = t.up.amplifiers[0].crossover[10].value;
    const double rDown = t.down.amplifiers[0].crossover[10].value;
    if (rUp < 0.001 || rDown < 0.001) resistorBelowBound = true;
    if (t.iteration == 1 && t.k == 3) {
      // The resistor's first trial (variables C, L, R(L), R): only upward;
      // the downward candidate is the current crossover and is not computed.
      resistorTrialSeen = true;
      EXPECT_GT(rUp, 0.001);
      EXPECT_EQ(rDown, 0.001);
      EXPECT_TRUE(t.computeUp);
      EXPECT_FALSE(t.computeDown);
    }
  };
  ASSERT_TRUE(optimizer.StartRun(*p, start->Result(), start->States(), params));
  ASSERT_TRUE(optimizer.WaitIdle(600s));

  EXPECT_EQ(optimizer.LastOutcome(), OptimizerOutcome::Finished);
  EXPECT_EQ(host.successes, 1);
  EXPECT_TRUE(host.failures.empty());
  ASSERT_GE(host.totals.size(), 2u);
  EXPECT_DOUBLE_EQ(host.totals.front(), start->Grades()[GradeTotal]);
  EXPECT_LT(host.totals.back(), host.totals.front());
  for (std::size_t i = 1; i < host.totals.size(); ++i) EXPECT_LE(host.totals[i], host.totals[i - 1]) << i;
  EXPECT_EQ(host.progress.front(), 0);
  EXPECT_EQ(host.progress.back(), -1);
  for (int v : host.progress) EXPECT_LE(v, 1000);
  EXPECT_EQ(optimizer.Progress(), -1);

  // Fixed parts: coil before capacitor before resistor, never a winding
  // resistance by itself.
  EXPECT_FALSE(host.fixed.empty());
  int lastType = PartInductor + 1;
  for (const auto& [v, part] : host.fixed) {
    EXPECT_FALSE(v.coilResistance);
    EXPECT_LE(part.type, lastType);
    lastType = part.type;
  }
  EXPECT_FALSE(resistorBelowBound);
  EXPECT_TRUE(resistorTrialSeen);

  // Trial indices run 0..n+1; repeats only from the eighth iteration, at most six.
  for (const auto& t : trials) {
    EXPECT_GE(t.k, 0);
    EXPECT_LE(t.k, t.variables + 1);
    EXPECT_GE(t.repeat, 1);
    EXPECT_LE(t.repeat, 6);
    if (t.iteration < 8) {
      EXPECT_EQ(t.repeat, 1);
    }
    if (t.iteration == 1 && t.k >= t.variables) {
      EXPECT_FALSE(t.computeUp || t.computeDown);
    }
  }

  // The best crossover, computed afresh, is free of errors and has the grade
  // the optimizer reported for it.
  const Project& best = optimizer.BestProject();
  const auto check = Compute(best, params);
  EXPECT_EQ(Errors(*check, best), 0);
  EXPECT_NEAR(check->Grades()[GradeTotal], optimizer.BestGrades()[GradeTotal], 1e-9);
  EXPECT_NEAR(host.totals.back(), optimizer.BestGrades()[GradeTotal], 1e-9);
  EXPECT_EQ(Errors(*check, best), 0);
  // Only marked values moved, and they stay within their bounds.
  Project moved = best;
  for (int s : {0, 1, 10}) moved.amplifiers[0].crossover[s] = p->amplifiers[0].crossover[s];
  EXPECT_TRUE(moved == *p);
  EXPECT_GE(best.amplifiers[0].crossover[0].value, 1e-9);
  EXPECT_GE(best.amplifiers[0].crossover[1].value, 1e-6);
  EXPECT_GE(best.amplifiers[0].crossover[10].value, 0.001);
  EXPECT_TRUE(optimizer.StartProject() == *p);
}

TEST(OptiRun, StalledPartsAreRoundedToTheSeries) {
  auto p = DetunedTwoWay();
  p->amplifiers[0].crossover[10].optimize = false;
  const auto start = Compute(*p);
  RecordingHost host;
  host.rules = {FixChoice::E12, FixChoice::E12, FixChoice::E12};
  OptimizerThread optimizer(&host, 0ms);
  ASSERT_TRUE(optimizer.StartRun(*p, start->Result(), start->States(), DefaultOptimizerParams()));
  ASSERT_TRUE(optimizer.WaitIdle(600s));
  ASSERT_EQ(optimizer.LastOutcome(), OptimizerOutcome::Finished);
  // The best crossover holds the rounded values of the fixed parts.
  const Project& best = optimizer.BestProject();
  for (const auto& [v, part] : host.fixed) {
    const double x = best.amplifiers[0].crossover[static_cast<std::size_t>(v.slot)].value;
    EXPECT_DOUBLE_EQ(x, RoundToESeries(part.value, ESeries::E12)) << v.slot;
  }
  // Here the search stalls twice: both parts are fixed.
  ASSERT_TRUE(optimizer.Variables().empty());
  ASSERT_EQ(host.fixed.size(), 2u);
  // The last report belongs to the crossover with the last part fixed.
  EXPECT_NEAR(host.totals.back(), optimizer.BestGrades()[GradeTotal], 1e-12);
  const auto check = Compute(best);
  EXPECT_EQ(Errors(*check, best), 0);
  EXPECT_NEAR(check->Grades()[GradeTotal], host.totals.back(), 1e-9);
}

TEST(OptiRun, StopRequestEndsTheRunWithoutSuccess) {
  const auto p = DetunedTwoWay();
  const auto start = Compute(*p);
  RecordingHost host;
  OptimizerThread optimizer(&host, 0ms);
  int seen = 0;
  optimizer.onTrial = [&](const OptimizerThread::Trial&) {
    if (++seen == 3) optimizer.RequestStop();  // as the abort button would, between trials
  };
  ASSERT_TRUE(optimizer.StartRun(*p, start->Result(), start->States(), DefaultOptimizerParams()));
  ASSERT_TRUE(optimizer.WaitIdle(120s));
  EXPECT_EQ(optimizer.LastOutcome(), OptimizerOutcome::Stopped);
  EXPECT_EQ(seen, 3);
  EXPECT_EQ(host.successes, 0);
  EXPECT_TRUE(host.failures.empty());
  EXPECT_EQ(host.totals.size(), 2u);  // before, and after the shortened pass
  EXPECT_EQ(host.progress.back(), -1);
  EXPECT_LE(optimizer.BestGrades()[GradeTotal], host.totals.front());

  // A new run may follow, and destroying the optimizer while it runs ends it
  // quietly.
  std::promise<void> running;
  bool signalled = false;
  auto later = std::make_unique<RecordingHost>();
  {
    OptimizerThread second(later.get(), 5ms);
    second.onTrial = [&](const OptimizerThread::Trial&) {
      if (!signalled) running.set_value();
      signalled = true;
    };
    ASSERT_TRUE(second.StartRun(*p, start->Result(), start->States(), DefaultOptimizerParams()));
    EXPECT_FALSE(second.StartRun(*p, start->Result(), start->States(), DefaultOptimizerParams()));
    running.get_future().wait();
  }
  EXPECT_EQ(later->successes, 0);
  EXPECT_TRUE(later->failures.empty());
}

TEST(OptiRun, CalculationTimeOutEndsTheRunAsAFailure) {
  const auto p = DetunedTwoWay();
  const auto start = Compute(*p);
  RecordingHost host;
  // Every worker step is followed by 300 ms, a trial may take 50 ms.
  OptimizerThread optimizer(&host, 300ms, OptimizerTimeouts{10000ms, 50ms});
  ASSERT_TRUE(optimizer.StartRun(*p, start->Result(), start->States(), DefaultOptimizerParams()));
  ASSERT_TRUE(optimizer.WaitIdle(60s));
  EXPECT_EQ(optimizer.LastOutcome(), OptimizerOutcome::TimedOut);
  EXPECT_EQ(host.successes, 0);
  ASSERT_EQ(host.failures.size(), 1u);
  EXPECT_EQ(host.failures[0], kOptimizerTimeoutText);
  EXPECT_EQ(host.totals.size(), 1u);  // only the initial evaluation
  EXPECT_EQ(host.progress.back(), -1);
  // The best crossover is still the start crossover with its grades.
  EXPECT_TRUE(optimizer.BestProject() == *p);
  EXPECT_DOUBLE_EQ(optimizer.BestGrades()[GradeTotal], start->Grades()[GradeTotal]);
}

TEST(OptiRun, StartWithoutMarksOrWithFailedCalculationIsNoSuccess) {
  RecordingHost host;
  OptimizerThread optimizer(&host, 0ms);
  auto p = MakeTwoWayProject(kPoints);
  auto start = Compute(*p);
  ASSERT_TRUE(optimizer.StartRun(*p, start->Result(), start->States(), DefaultOptimizerParams()));
  ASSERT_TRUE(optimizer.WaitIdle(60s));
  EXPECT_EQ(optimizer.LastOutcome(), OptimizerOutcome::NothingMarked);

  // Chassis 1 used twice: the consistency check fails.
  auto broken = DetunedTwoWay();
  PlacePart(*broken, 1, 91, PartChassis, 1.0, 0);
  start = Compute(*broken);
  ASSERT_GT(Errors(*start, *broken), 0);
  ASSERT_TRUE(optimizer.StartRun(*broken, start->Result(), start->States(), DefaultOptimizerParams()));
  ASSERT_TRUE(optimizer.WaitIdle(60s));
  EXPECT_EQ(optimizer.LastOutcome(), OptimizerOutcome::StartFailed);
  EXPECT_EQ(host.successes, 0);
  EXPECT_EQ(host.failures.size(), 2u);
  EXPECT_TRUE(host.totals.empty());
}

// ---------------------------------------------------------------------------
// Command line

class OptimizeCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device rd;
    dir_ = std::filesystem::temp_directory_path() / ("sonvex_opti_" + std::to_string(rd()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  std::filesystem::path Save(const Project& p, const char* name) {
    const auto file = dir_ / name;
    SaveProject(p, file);
    return file;
  }
  int Run(const OptimizeOptions& o) {
    out_.str({});
    err_.str({});
    return RunOptimizeCommand(o, out_, err_);
  }
  std::filesystem::path dir_;
  std::ostringstream out_, err_;
};

TEST_F(OptimizeCommand, WritesTheOptimisedProject) {
  auto p = DetunedTwoWay();
  p->amplifiers[0].crossover[10].optimize = false;
  OptimizeOptions o;
  o.project = Save(*p, "detuned.ZPJ");
  o.out = dir_ / "result.ZPJ";
  o.capacitors = "e6";
  o.coils = "e12";
  o.bass = 2;
  ASSERT_EQ(Run(o), 0) << err_.str();
  const std::string text = out_.str();
  EXPECT_NE(text.find("Ergebnisse vor Optimierung\nNote Impedanz     = "), std::string::npos) << text;
  EXPECT_NE(text.find("Note gesamt       = "), std::string::npos);
  EXPECT_NE(text.find("Fortschritt: "), std::string::npos);
  EXPECT_NE(text.find("Die Optimierung wurde erfolgreich beendet."), std::string::npos);
  EXPECT_TRUE(err_.str().empty()) << err_.str();

  auto result = MakeNewProject();
  ScriptedInteraction ui;
  ASSERT_EQ(LoadProjectFile(*result, o.out, MakeSettings(dir_), ui), ProjectLoadResult::Loaded);
  const auto check = Compute(*result);
  EXPECT_EQ(Errors(*check, *result), 0);
  // Whatever was fixed went to its series: the capacitor to E6, the coil to E12.
  const CrossoverPart& c = result->amplifiers[0].crossover[0];
  const CrossoverPart& l = result->amplifiers[0].crossover[1];
  if (text.find("Bauteil festgelegt: Verstärker 1, C = ") != std::string::npos) {
    EXPECT_NEAR(c.value, RoundToESeries(c.value, ESeries::E6), 1e-12 * c.value);
  }
  if (text.find("Bauteil festgelegt: Verstärker 1, L = ") != std::string::npos) {
    EXPECT_NEAR(l.value, RoundToESeries(l.value, ESeries::E12), 1e-12 * l.value);
  }
}

// A coil's winding resistance is an optimisation variable down to 0.1 mOhm;
// the saved coils must carry one a real coil has: the listed coil's, or the
// one it had at the start.
TEST_F(OptimizeCommand, FixedCoilsKeepAWindingResistanceThatExists) {
  const auto p = DetunedTwoWay();
  const auto file = Save(*p, "detuned.ZPJ");
  {
    std::ofstream(dir_ / "spulen.txt") << "L;Testspulen;0;0;\nL;Test 0,47;0,47;0,345;\nL;Test 0,68;0,68;0,456;\n"
                                          "L;Test 1,0;1;0,567;\nL;Test 1,5;1,5;0,678;\nC;Kein Spule;0,68;0;\n";
  }
  struct Listed {
    double henry, ohm;
    const char* name;
  };
  const Listed listed[] = {{0.47e-3, 0.345, "Test 0,47"},
                           {0.68e-3, 0.456, "Test 0,68"},
                           {1e-3, 0.567, "Test 1,0"},
                           {1.5e-3, 0.678, "Test 1,5"}};
  for (const char* coils : {"list", "e12", "keep"}) {
    OptimizeOptions o;
    o.project = file;
    o.out = dir_ / (std::string("out_") + coils + ".ZPJ");
    o.coils = coils;
    o.coilList = dir_ / "spulen.txt";
    ASSERT_EQ(Run(o), 0) << coils << "\n" << err_.str();
    const bool fromList = std::string(coils) == "list";
    const char* report = fromList ? " aus der Spulenliste: Test " : "Wicklungswiderstand wie zu Beginn: ";
    EXPECT_NE(out_.str().find(report), std::string::npos) << out_.str();

    auto result = MakeNewProject();
    ScriptedInteraction ui;
    ASSERT_EQ(LoadProjectFile(*result, o.out, MakeSettings(dir_), ui), ProjectLoadResult::Loaded);
    int coilsSeen = 0;
    for (int a = 0; a < result->ampCount; ++a)
      for (int slot = 0; slot < kUsedPartSlots; ++slot) {
        const CrossoverPart& part = result->amplifiers[a].crossover[slot];
        if (part.type != PartInductor) continue;
        ++coilsSeen;
        const CrossoverPart& start = p->amplifiers[a].crossover[slot];
        const bool asAtStart = std::abs(part.resistance - start.resistance) <= 1e-12 * start.resistance;
        bool asListed = false;
        for (const Listed& l : listed)
          asListed |= std::abs(part.value - l.henry) <= 1e-12 * l.henry && std::abs(part.resistance - l.ohm) <= 1e-12 &&
                      part.note == l.name;
        const bool expected = fromList && start.optimize ? asListed : asAtStart;
        EXPECT_TRUE(expected) << coils << " slot " << slot << ": " << part.value << " H, " << part.resistance << " Ohm";
      }
    EXPECT_GT(coilsSeen, 0);
  }
}

TEST_F(OptimizeCommand, RefusesBadInputAndUnmarkedProjects) {
  auto unmarked = MakeTwoWayProject(kPoints);
  auto marked = DetunedTwoWay();
  auto noXlin = DetunedTwoWay();
  noXlin->chassis[1].xlin = 0;
  const auto unmarkedFile = Save(*unmarked, "unmarked.ZPJ");
  const auto markedFile = Save(*marked, "marked.ZPJ");
  const auto noXlinFile = Save(*noXlin, "noxlin.ZPJ");
  { std::ofstream(dir_ / "text.ZPJ") << "kein Projekt\n"; }
  { std::ofstream(dir_ / "empty.ZPJ") << std::string(1, '\0'); }
  struct Case {
    const char* what;
    OptimizeOptions options;
    int code;
    const char* message;
  };
  const auto with = [&](std::filesystem::path project, auto change) {
    OptimizeOptions o;
    o.project = std::move(project);
    o.out = dir_ / "out.ZPJ";
    change(o);
    return o;
  };
  const auto same = [](OptimizeOptions&) {};
  const Case cases[] = {
      {"nothing marked", with(unmarkedFile, same), 1, "Es wurden keine Bauteile zur Optimierung markiert."},
      {"missing file", with(dir_ / "none.ZPJ", same), 2, "Projektdatei nicht gefunden"},
      {"not a project", with(dir_ / "text.ZPJ", same), 2, "ist keine gültige Projektdatei"},
      // a reason in the project, like nothing marked
      {"chassis data", with(noXlinFile, same), 1, "Chassis 2:\nSd, xlin und Pmax müssen > 0 sein."},
      {"resistor rule", with(markedFile, [](OptimizeOptions& o) { o.resistors = "e24"; }), 2, "--resistors"},
      {"coils in E6", with(markedFile, [](OptimizeOptions& o) { o.coils = "e6"; }), 2, "--coils"},
      {"bass range", with(markedFile, [](OptimizeOptions& o) { o.bass = 7; }), 2, "--bass"},
      {"zmin range", with(markedFile, [](OptimizeOptions& o) { o.zmin = -1; }), 2, "--zmin"},
      {"negative pause", with(markedFile, [](OptimizeOptions& o) { o.pauseMs = -5; }), 2, "--pause"},
      {"no output", with(markedFile, [](OptimizeOptions& o) { o.out.clear(); }), 2, "--out"},
      {"missing coil list", with(markedFile, [&](OptimizeOptions& o) { o.coilList = dir_ / "fehlt.txt"; }), 2,
       "fehlt.txt"},
      {"coil list without coils", with(markedFile, [&](OptimizeOptions& o) { o.coilList = dir_ / "text.ZPJ"; }), 2,
       "Die Spulenliste enthält keine Spule"},
      {"empty project", with(dir_ / "empty.ZPJ", same), 2, "empty.ZPJ"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Run(c.options), c.code) << c.what << "\n" << err_.str();
    EXPECT_NE(err_.str().find(c.message), std::string::npos) << c.what << "\n" << err_.str();
    EXPECT_FALSE(std::filesystem::exists(dir_ / "out.ZPJ")) << c.what;
  }
}

}  // namespace
}  // namespace sonvex
