#include "calc/calc_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <mutex>
#include <random>
#include <set>
#include <thread>
#include <vector>

#include "calc/check.h"
#include "support/test_projects.h"
#include "support/thread_events.h"

namespace sonvex {
namespace {

using testing::EventCount;
using testing::MakeTwoWayProject;
using Items = std::multiset<int>;

constexpr int kCheck = CalcStates::kCheck;
constexpr int kWholeBox = CalcStates::kWholeBox;
constexpr int BaffleIndex(int c) { return CalcStates::kBaffle0 + c; }
constexpr int ActiveFilterIndex(int a) { return CalcStates::kActiveFilter0 + a; }
constexpr int ChassisIndex(int c) { return CalcStates::kChassis0 + c; }
constexpr int CrossoverIndex(int a) { return CalcStates::kCrossover0 + a; }

// Records what the driver tells its owner.
class RecordingHost : public CalcHost {
 public:
  std::vector<std::string> progress;
  int reports = 0;
  int handBacks = 0;
  CalcReport lastReport;
  void Progress(int, int, const std::string& text) override { progress.push_back(text); }
  void Finished(const CalcStates& states, const CalcResult& r, const GradeBlock&) override {
    ++reports;
    lastReport = sonvex::StatusReport(states, r.ampCount, r.chassisCount);
    ++handBacks;
  }
};

// A synchronous driver that records which items ran.
class Driver {
 public:
  explicit Driver(CalcHost* host = nullptr) : thread(host, false, std::chrono::milliseconds(0)) {
    thread.onItemRun = [this](int item) { ran.insert(item); };
  }
  Items Full(const Project& p) {
    ran.clear();
    thread.StartFullCalc(p);
    thread.ComputeUntilDone();
    return ran;
  }
  Items Incremental(const Project& p) {
    ran.clear();
    thread.StartCalc(p);
    thread.ComputeUntilDone();
    return ran;
  }
  CalcThread thread;
  Items ran;
};

Items AllItems(int ampCount, int chassisCount) {
  Items all{kCheck, kWholeBox};
  for (int c = 0; c < chassisCount; ++c) all.insert({BaffleIndex(c), ChassisIndex(c)});
  for (int a = 0; a < ampCount; ++a) all.insert({ActiveFilterIndex(a), CrossoverIndex(a)});
  return all;
}

TEST(CalcDriver, FullCalculationRunsEveryItemInOrderAndSucceeds) {
  auto p = MakeTwoWayProject();
  RecordingHost host;
  CalcThread thread(&host, false, std::chrono::milliseconds(0));
  std::vector<int> order;
  thread.onItemRun = [&](int item) { order.push_back(item); };
  thread.StartFullCalc(*p);
  thread.ComputeUntilDone();

  const std::vector<int> expected{kCheck,
                                  BaffleIndex(0),
                                  BaffleIndex(1),
                                  BaffleIndex(2),
                                  BaffleIndex(3),
                                  ActiveFilterIndex(0),
                                  ActiveFilterIndex(1),
                                  ChassisIndex(0),
                                  ChassisIndex(1),
                                  ChassisIndex(2),
                                  ChassisIndex(3),
                                  CrossoverIndex(0),
                                  CrossoverIndex(1),
                                  kWholeBox};
  EXPECT_EQ(order, expected);
  EXPECT_EQ(thread.StepsTotal(), 14);
  EXPECT_EQ(thread.StepsDone(), 14);
  for (int item : expected) EXPECT_EQ(thread.States().states[item], "OK") << item;
  EXPECT_EQ(host.lastReport.errors, 0) << (host.lastReport.lines.empty() ? "" : host.lastReport.lines[0]);
  EXPECT_EQ(host.reports, 1);
  EXPECT_EQ(host.handBacks, 1);

  // Progress: one text per pass, from 0 % to 100 %.
  ASSERT_EQ(host.progress.size(), 15u);
  EXPECT_EQ(host.progress.front(), "Berechnung läuft: 0%");
  EXPECT_EQ(host.progress[7], "Berechnung läuft: 50%");
  EXPECT_EQ(host.progress.back(), "Berechnung läuft: 100%");

  // Finishing copies the grid, the counts, names and enclosure types.
  const CalcResult& r = thread.Result();
  EXPECT_EQ(r.freqCount, p->gridPoints);
  EXPECT_EQ(r.freq[p->gridPoints], 0);
  EXPECT_EQ(r.freq[0], p->freq[0]);
  EXPECT_EQ(r.ampCount, 2);
  EXPECT_EQ(r.chassisCount, 4);
  EXPECT_EQ(r.chassisName[1], "Test-Tieftöner 17");
  EXPECT_EQ(r.enclosureTypes[2], 2);
  EXPECT_EQ(r.ampOfChassis[2], 1);
  EXPECT_GT(thread.Grades()[GradeTotal], 0);
}

TEST(CalcDriver, EightChassisOnSixAmplifiersComputeWithoutErrors) {
  const auto p = testing::MakeLargeProject(40);
  RecordingHost host;
  Driver d(&host);
  EXPECT_EQ(d.Full(*p), AllItems(6, 8));
  EXPECT_EQ(host.lastReport.errors, 0) << (host.lastReport.lines.empty() ? "" : host.lastReport.lines[0]);
  for (int c = 0; c < 8; ++c) {
    EXPECT_EQ(d.thread.Result().ampOfChassis[c], c < 6 ? c : c - 6) << c;
    EXPECT_GT(CAbs(d.thread.Result().chassisVoltageGain[c][20]), 0.01) << c;
  }
}

TEST(CalcDriver, ChangeDetectionMarksWhatAnEditTouches) {
  struct Case {
    const char* what;
    std::function<void(Project&)> edit;
    Items expected;
  };
  const Case cases[] = {
      {"nothing", [](Project&) {}, {}},
      {"crossover value",
       [](Project& p) { p.amplifiers[0].crossover[0].value = 3.3e-6; },
       {kCheck, CrossoverIndex(0), kWholeBox}},
      {"optimisation mark",
       [](Project& p) { p.amplifiers[1].crossover[0].optimize = true; },
       {kCheck, CrossoverIndex(1), kWholeBox}},
      {"chassis parameter",
       [](Project& p) { p.chassis[1].Qes = 0.5; },
       {ChassisIndex(1), CrossoverIndex(0), kWholeBox}},
      {"chassis name", [](Project& p) { p.chassis[2].name = "Neu"; }, {ChassisIndex(2), CrossoverIndex(1), kWholeBox}},
      {"enclosure",
       [](Project& p) { p.enclosures[0].dampingNearChassis = 4; },
       {ChassisIndex(0), CrossoverIndex(0), kWholeBox}},
      {"baffle move", [](Project& p) { p.baffles[1].vertical = -0.12; }, {BaffleIndex(1), kWholeBox}},
      {"seo",
       [](Project& p) { p.chassis[0].sourceDepth = 0.01; },
       {BaffleIndex(0), ChassisIndex(0), CrossoverIndex(0), kWholeBox}},
      {"outlet diameter",
       [](Project& p) { p.baffles[1].outletDiameter = 0.12; },
       {BaffleIndex(1), ChassisIndex(1), CrossoverIndex(0), kWholeBox}},
      {"unused chassis", [](Project& p) { p.chassis[3].fs = 41; }, {ChassisIndex(3), kWholeBox}},
      {"filter", [](Project& p) { p.amplifiers[1].highPass6On = true; }, {ActiveFilterIndex(1), kWholeBox}},
      {"level", [](Project& p) { p.amplifiers[0].level = 0.5; }, {ActiveFilterIndex(0), kWholeBox}},
      {"grid", [](Project& p) { p.gridPoints = 30; }, {}},
      {"display options", [](Project& p) { p.dBMax = 120; }, {}},
      {"common enclosure", [](Project& p) { p.cabinet.height = 1; }, {}},
      {"slot beyond the chassis count", [](Project& p) { p.chassis[5].fs = 20; }, {}},
  };
  for (const Case& c : cases) {
    auto p = MakeTwoWayProject();
    Driver d;
    d.Full(*p);
    c.edit(*p);
    EXPECT_EQ(d.Incremental(*p), c.expected) << c.what;
    EXPECT_EQ(d.thread.WorkingProject(), *p) << c.what;
  }
}

// The incremental request compares only the chassis, enclosure, baffle,
// crossover and filter records; a change of any other field a step reads needs
// the full request. Where the incremental request suffices, it gives the same
// result as a full calculation.
TEST(CalcDriver, NeedsFullCalcListsEveryFieldTheComparisonLeavesOut) {
  struct Case {
    const char* what;
    std::function<void(Project&)> edit;
    bool full;
  };
  const Case cases[] = {
      {"frequency grid", [](Project& p) { p.freq[10] *= 1.01; }, true},
      {"number of amplifiers", [](Project& p) { p.ampCount = 1; }, true},
      {"number of chassis", [](Project& p) { p.chassisCount = 3; }, true},
      {"smoothing of the response", [](Project& p) { p.smoothingAmplitude = 0.1; }, true},
      {"smoothing of the impedance", [](Project& p) { p.smoothingImpedance = 0.1; }, true},
      {"common enclosure", [](Project& p) { p.cabinet.height = 1; }, true},
      {"nothing", [](Project&) {}, false},
      {"crossover value", [](Project& p) { p.amplifiers[0].crossover[0].value = 3.3e-6; }, false},
      {"chassis parameter", [](Project& p) { p.chassis[1].Qes = 0.5; }, false},
      {"enclosure", [](Project& p) { p.enclosures[0].dampingNearChassis = 4; }, false},
      {"baffle", [](Project& p) { p.baffles[1].vertical = -0.12; }, false},
      {"filter", [](Project& p) { p.amplifiers[1].highPass6On = true; }, false},
      {"chart scale", [](Project& p) { p.dBMax = 120; }, false},
      {"saved flag", [](Project& p) { p.saved = !p.saved; }, false},
  };
  for (const Case& c : cases) {
    const auto old = MakeTwoWayProject();
    auto updated = MakeTwoWayProject();
    c.edit(*updated);
    EXPECT_EQ(NeedsFullCalc(*old, *updated), c.full) << c.what;
    EXPECT_EQ(NeedsFullCalc(*updated, *old), c.full) << c.what;
    if (c.full) continue;
    Driver inc;
    inc.Full(*old);
    inc.Incremental(*updated);
    Driver full;
    full.Full(*updated);
    EXPECT_TRUE(inc.thread.Result() == full.thread.Result()) << c.what;
  }
}

TEST(CalcDriver, MeasuredChassisBaffleMoveAlsoRecomputesTheChassis) {
  auto p = MakeTwoWayProject();
  p->chassis[1].responseSource = 5;
  p->chassis[1].useMeasuredAmplitude = true;
  Driver d;
  d.Full(*p);
  p->baffles[1].leftDistance = 0.1;
  EXPECT_EQ(d.Incremental(*p), (Items{BaffleIndex(1), ChassisIndex(1), kWholeBox}));
}

TEST(CalcDriver, GridChangeNeedsAFullRequest) {
  auto p = MakeTwoWayProject(60);
  Driver d;
  d.Full(*p);
  auto q = MakeTwoWayProject(90);
  EXPECT_EQ(d.Incremental(*q), Items{});
  EXPECT_EQ(d.thread.Result().freqCount, 90);  // the grid copy follows, the curves do not
  EXPECT_EQ(d.Full(*q), AllItems(2, 4));
  EXPECT_EQ(d.thread.Result().freqCount, 90);
}

TEST(CalcDriver, LoweringAndRaisingTheChassisCount) {
  auto p = MakeTwoWayProject();
  Driver d;
  d.Full(*p);

  // Incremental: chassis 3 and 4 keep their states and results when they come back.
  p->chassisCount = 2;
  EXPECT_EQ(d.Incremental(*p), Items{});
  p->chassis[2].fs = 30;  // beyond the count: not compared
  EXPECT_EQ(d.Incremental(*p), Items{});
  p->chassisCount = 4;
  EXPECT_EQ(d.Incremental(*p), Items{});
  EXPECT_EQ(d.thread.States().Chassis(2), "OK");

  // Full: everything, chassis 3 and 4 included.
  p->chassisCount = 2;
  EXPECT_EQ(d.Full(*p), AllItems(2, 2));
  p->chassisCount = 4;
  EXPECT_EQ(d.Full(*p), AllItems(2, 4));
}

TEST(CalcDriver, FailedItemKeepsItsMessageUntilItsInputsChange) {
  auto p = MakeTwoWayProject();
  p->baffles[0].bottomDistance = 0.005;  // tweeter does not fit on the baffle
  RecordingHost host;
  Driver d(&host);
  d.Full(*p);
  const std::string msg = d.thread.States().Baffle(0);
  EXPECT_NE(msg, "OK");
  EXPECT_NE(msg.find("Chassis 1"), std::string::npos) << msg;
  EXPECT_GE(host.lastReport.errors, 1);
  // An unrelated edit leaves the message standing without recomputing it.
  p->amplifiers[1].level = 0.7;
  EXPECT_EQ(d.Incremental(*p), (Items{ActiveFilterIndex(1), kWholeBox}));
  EXPECT_EQ(d.thread.States().Baffle(0), msg);
  EXPECT_GE(host.lastReport.errors, 1);
  // Repairing it clears the error.
  p->baffles[0].bottomDistance = 0.33;
  d.Incremental(*p);
  EXPECT_EQ(d.thread.States().Baffle(0), "OK");
  EXPECT_EQ(host.lastReport.errors, 0);
}

// Inputs far out of scale that every check lets pass: a step whose values
// overflow reports it under the name of the chassis they belong to, and a
// calculation that succeeds leaves only finite limits and grades. Sd and
// xlin below their smallest plausible values end the chassis step with a
// message that names the chassis and the value.
TEST(CalcDriver, OverflowingInputsNameTheChassisOrStayFinite) {
  struct Case {
    const char* name;
    std::function<void(Project&)> edit;
    const char* error;  // the one error line, or null for a success
  };
  const Case cases[] = {
      {"xlin 1e300", [](Project& p) { p.chassis[1].xlin = 1e300; },
       "Fehler: Maximale Spannung von Chassis 2 kann nicht berechnet werden."},
      {"Sd 1e300", [](Project& p) { p.chassis[1].Sd = 1e300; },
       "Fehler: Maximale Spannung von Chassis 2 kann nicht berechnet werden."},
      {"negative rated power", [](Project& p) { p.chassis[0].maxPower = -10; },
       "Fehler: Maximale Spannung von Chassis 1 kann nicht berechnet werden."},
      {"level 1e-300", [](Project& p) { p.amplifiers[0].level = 1e-300; }, nullptr},
      // Not driven: its pressure at the excursion limit is large but finite.
      {"xlin 1e300 in no crossover", [](Project& p) { p.chassis[3].xlin = 1e300; }, nullptr},
      {"xlin 1e-300", [](Project& p) { p.chassis[0].xlin = 1e-300; },
       "Fehler: Chassis 1: xlin = 1E-300 m liegt unter dem kleinsten plausiblen Wert 1E-5 m. "},
      {"Sd 1e-30", [](Project& p) { p.chassis[0].Sd = 1e-30; },
       "Fehler: Chassis 1: Sd (Amem) = 1E-30 m² liegt unter dem kleinsten plausiblen Wert 1E-5 m². "},
      {"xlin 1e-300 in no crossover", [](Project& p) { p.chassis[3].xlin = 1e-300; },
       "Fehler: Chassis 4: xlin = 1E-300 m liegt unter dem kleinsten plausiblen Wert 1E-5 m. "},
      // Not above 0 either: the simulation's own message follows.
      {"Sd not a number", [](Project& p) { p.chassis[0].Sd = std::nan(""); },
       "Fehler: Chassis 1: Sd (Amem) = nan m² liegt unter dem kleinsten plausiblen Wert 1E-5 m². fs, Rdc, Qes, Qms, "
       "Vas, Sd müssen > 0 sein oder Frequenz- und Impedanzgang incl. Phase vollständig aus Messdaten entnommen "
       "werden. "},
      {"Sd and xlin at their smallest plausible values",
       [](Project& p) {
         for (int c = 0; c < 4; ++c) p.chassis[c].Sd = p.chassis[c].xlin = 1e-5;
       },
       nullptr},
  };
  for (const Case& c : cases) {
    auto p = MakeTwoWayProject();
    c.edit(*p);
    RecordingHost host;
    Driver d(&host);
    d.Full(*p);
    const CalcReport& report = host.lastReport;
    if (c.error != nullptr) {
      EXPECT_EQ(report.lines, std::vector<std::string>{c.error}) << c.name;
      continue;
    }
    EXPECT_EQ(report.errors, 0) << c.name << ": " << report.text;
    for (double g : d.thread.Grades()) EXPECT_TRUE(std::isfinite(g) && std::abs(g) <= kMaxPlausibleGrade) << c.name;
    const CalcResult& r = d.thread.Result();
    for (int i = 0; i < r.freqCount; ++i) {
      EXPECT_TRUE(std::isfinite(r.maxVoltage[i]) && std::isfinite(r.maxPower[kChassisSlots][i]))
          << c.name << " at " << i;
      for (int ch = 0; ch < p->chassisCount; ++ch)
        EXPECT_TRUE(std::isfinite(r.maxVoltageExcursion[ch][i]) && std::isfinite(r.maxVoltageChassis[ch][i]) &&
                    std::isfinite(r.maxPower[ch][i]))
            << c.name << " at " << i;
    }
  }
}

// Grades that are not finite, or absurd, fail the whole box even where every
// item succeeded (only a smallest amplifier impedance far out of scale gets
// there once the chassis values are plausible); they are judged afresh after
// every calculation.
TEST(CalcDriver, GradesNotFiniteOrAbsurdFailTheWholeBoxUntilTheyAreNot) {
  auto p = MakeTwoWayProject();
  RecordingHost host;
  Driver d(&host);
  d.thread.optimizerParams.Zmin = 1e60;  // an impedance grade near 1E59
  d.Full(*p);
  ASSERT_EQ(host.lastReport.lines.size(), 1u);
  EXPECT_EQ(host.lastReport.lines[0].rfind("Fehler: Note gesamt = ", 0), 0u) << host.lastReport.lines[0];
  EXPECT_NE(host.lastReport.lines[0].find(" ist nicht plausibel (über 1E30); "), std::string::npos)
      << host.lastReport.lines[0];
  EXPECT_TRUE(IsGradeFailureText(d.thread.States().WholeBox()));

  d.thread.optimizerParams.Zmin = 1e200;  // the impedance grade overflows
  EXPECT_EQ(d.Incremental(*p), Items{});
  EXPECT_EQ(host.lastReport.lines,
            std::vector<std::string>{"Fehler: Note gesamt = nan ist nicht endlich; ein Wert der Chassis, Weichen oder "
                                     "Pegel liegt außerhalb jedes sinnvollen Maßes."});

  // With the grading parameters back, nothing to recompute and no error.
  d.thread.optimizerParams = DefaultOptimizerParams();
  EXPECT_EQ(d.Incremental(*p), Items{});
  EXPECT_EQ(host.lastReport.errors, 0);
  EXPECT_EQ(d.thread.States().WholeBox(), "OK");

  // Another item's error is reported alone, whatever the grades.
  d.thread.optimizerParams.Zmin = 1e200;
  p->chassis[1].xlin = 0;
  d.Incremental(*p);
  EXPECT_EQ(host.lastReport.errors, 1);
  EXPECT_EQ(d.thread.States().WholeBox(), "OK");
}

TEST(CalcDriver, NothingDirtyStillReportsAndHandsBack) {
  auto p = MakeTwoWayProject();
  RecordingHost host;
  Driver d(&host);
  d.Full(*p);
  host.progress.clear();
  EXPECT_EQ(d.Incremental(*p), Items{});
  EXPECT_EQ(d.thread.StepsTotal(), 0);
  EXPECT_TRUE(host.progress.empty());
  EXPECT_EQ(host.reports, 2);
  EXPECT_EQ(host.handBacks, 2);
}

TEST(CalcDriver, SilentInstanceNeverCallsItsHost) {
  auto p = MakeTwoWayProject();
  RecordingHost host;
  CalcThread worker(&host, true, std::chrono::milliseconds(0));
  worker.StartFullCalc(*p);
  worker.ComputeUntilDone();
  EXPECT_TRUE(host.progress.empty());
  EXPECT_EQ(host.reports + host.handBacks, 0);
  EXPECT_EQ(worker.States().WholeBox(), "OK");
}

TEST(CalcDriver, IncrementalResultEqualsAFullCalculation) {
  auto p = MakeTwoWayProject();
  Driver inc;
  inc.Full(*p);
  p->chassis[1].Qes = 0.55;
  p->amplifiers[0].crossover[1].value = 1.8e-3;
  p->baffles[0].vertical = 0.12;
  p->amplifiers[1].lowPass12aOn = true;
  p->amplifiers[1].lowPass12aF = 80;
  inc.Incremental(*p);
  Driver full;
  full.Full(*p);
  EXPECT_TRUE(inc.thread.Result() == full.thread.Result());
  EXPECT_EQ(inc.thread.Grades(), full.thread.Grades());
}

TEST(CalcDriverThread, BackgroundThreadComputesAndBecomesIdle) {
  auto p = MakeTwoWayProject();
  RecordingHost host;
  CalcThread thread(&host, false, std::chrono::milliseconds(1));
  thread.StartCalc(*p);  // the first request of a main-window thread computes everything
  EXPECT_FALSE(thread.IsIdle());
  thread.Start();
  ASSERT_TRUE(thread.WaitIdle(std::chrono::seconds(60)));
  EXPECT_EQ(thread.States().WholeBox(), "OK");
  EXPECT_EQ(thread.StepsDone(), 14);
  EXPECT_EQ(host.handBacks, 1);

  p->amplifiers[0].crossover[0].value = 6.8e-6;
  thread.StartCalc(*p);
  EXPECT_FALSE(thread.IsIdle());
  ASSERT_TRUE(thread.WaitIdle(std::chrono::seconds(60)));
  EXPECT_EQ(thread.StepsDone(), 3);
  EXPECT_EQ(host.handBacks, 2);
}

TEST(CalcDriverThread, CreatedIdleUntilTheFirstRequest) {
  RecordingHost host;
  CalcThread thread(&host, false, std::chrono::milliseconds(0));
  std::mutex ranMutex;
  Items ran;
  thread.onItemRun = [&](int item) {
    std::lock_guard lock(ranMutex);
    ran.insert(item);
  };
  EventCount waits;
  thread.onWaitForRequest = [&] { waits.Notify(); };
  thread.Start();
  // The thread waits for its first request: a pass on the empty project
  // would have run before it came to wait.
  ASSERT_TRUE(waits.WaitFor(1));
  EXPECT_TRUE(thread.IsIdle());
  {
    std::lock_guard lock(ranMutex);
    EXPECT_EQ(ran, Items{});
  }
  EXPECT_EQ(host.reports + host.handBacks, 0);

  // The first request computes everything of the project it brings.
  auto p = MakeTwoWayProject();
  thread.StartCalc(*p);
  ASSERT_TRUE(thread.WaitIdle(std::chrono::seconds(60)));
  std::lock_guard lock(ranMutex);
  EXPECT_EQ(ran, AllItems(2, 4));
  EXPECT_EQ(host.handBacks, 1);
  EXPECT_EQ(thread.WorkingProject(), *p);
}

TEST(CalcDriver, NothingRunsWithoutARequest) {
  RecordingHost host;
  Driver d(&host);
  d.thread.ComputeUntilDone();
  EXPECT_EQ(d.ran, Items{});
  EXPECT_TRUE(d.thread.IsIdle());
  EXPECT_EQ(host.handBacks, 0);
}

TEST(CalcDriverThread, BurstsOfRequestsNeverLoseTheLastOne) {
  auto p = MakeTwoWayProject(30);
  CalcThread thread(nullptr, false, std::chrono::milliseconds(0));
  std::atomic<int> itemsRun{0};
  // An item computed, or the thread gone to wait for the next request.
  EventCount steps;
  thread.onItemRun = [&](int) {
    ++itemsRun;
    steps.Notify();
  };
  thread.onWaitForRequest = [&] { steps.Notify(); };
  thread.Start();

  std::mt19937 rng(12345);
  std::uniform_int_distribution<int> pick(0, 5);
  std::uniform_real_distribution<double> factor(0.8, 1.25);
  std::thread owner([&] {
    for (int request = 0; request < 10000; ++request) {
      switch (pick(rng)) {
        case 0:
          p->amplifiers[0].crossover[0].value = 4.7e-6 * factor(rng);
          break;
        case 1:
          p->chassis[1].Qes = 0.42 * factor(rng);
          break;
        case 2:
          p->baffles[0].vertical = 0.1 * factor(rng);
          break;
        case 3:
          p->amplifiers[1].level = factor(rng);
          break;
        case 4:
          p->enclosures[2].fb = 35 * factor(rng);
          break;
        default:
          p->chassis[3].fs = 38 * factor(rng);
          break;
      }
      // The steps counted before the request that ends a burst.
      const int stepsBefore = steps.Count();
      if (request % 500 == 0)
        thread.StartFullCalc(*p);
      else
        thread.StartCalc(*p);
      // The end of a burst: the owner waits until the thread has taken a
      // step since its last request (an item, or the end of the calculation),
      // so that the next burst lands on a calculation under way.
      if (request % 100 == 99) {
        EXPECT_TRUE(steps.WaitFor(stepsBefore + 1));
      }
    }
  });
  owner.join();
  ASSERT_TRUE(thread.WaitIdle(std::chrono::seconds(120)));
  EXPECT_GT(itemsRun.load(), 0);

  // The final result belongs to the last mailbox and equals a fresh calculation of it.
  EXPECT_EQ(thread.WorkingProject(), *p);
  Driver fresh;
  fresh.Full(*p);
  EXPECT_TRUE(thread.Result() == fresh.thread.Result());
}

TEST(CalcDriverThread, DestroyingABusyThreadEndsIt) {
  // An hour's pause after each item: a destructor that waited out the pause
  // would hold the test until the suite's time limit fails it.
  auto p = MakeTwoWayProject();
  auto thread = std::make_unique<CalcThread>(nullptr, false, std::chrono::hours(1));
  std::atomic<int> itemsRun{0};
  EventCount items;
  thread->onItemRun = [&](int) {
    ++itemsRun;
    items.Notify();
  };
  thread->StartFullCalc(*p);
  thread->Start();
  // The thread is in the pause after its first item, with the rest of the
  // full calculation still to do.
  ASSERT_TRUE(items.WaitFor(1));
  EXPECT_FALSE(thread->IsIdle());
  thread.reset();
  // The destructor returned (the test would otherwise stall until the suite's
  // limit) and ended the thread inside its pause: no further item ran.
  EXPECT_EQ(itemsRun.load(), 1);
}

}  // namespace
}  // namespace sonvex
