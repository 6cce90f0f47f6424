#include "calc/calc_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <functional>
#include <mutex>
#include <random>
#include <set>
#include <thread>
#include <vector>

#include "calc/check.h"
#include "support/test_projects.h"

namespace sonvex {
namespace {

using testing::MakeTwoWayProject;
using TItems = std::multiset<int>;

constexpr int kCheck = TCalcStruct::kCheck;
constexpr int kGesamt = TCalcStruct::kGesamt;
constexpr int Baffle(int c) { return TCalcStruct::kBaffle0 + c; }
constexpr int AktFilt(int a) { return TCalcStruct::kAktFilt0 + a; }
constexpr int Chassis(int c) { return TCalcStruct::kChassis0 + c; }
constexpr int Weiche(int a) { return TCalcStruct::kWeiche0 + a; }

// Records what the driver tells its owner.
class TRecordingHost : public TCalcHost {
 public:
  std::vector<std::string> progress;
  int reports = 0;
  int handBacks = 0;
  TStatusReport lastReport;
  void Progress(int, int, const std::string& text) override { progress.push_back(text); }
  void StatusReport(const TCalcStruct& states, const TResult& r) override {
    ++reports;
    lastReport = sonvex::StatusReport(states, r.nAmps, r.nChassis);
  }
  void HandBack(const TResult&, const TGrades&) override { ++handBacks; }
};

// A synchronous driver that records which items ran.
class Driver {
 public:
  explicit Driver(TCalcHost* host = nullptr) : thread(host, false, std::chrono::milliseconds(0)) {
    thread.onItemRun = [this](int item) { ran.insert(item); };
  }
  TItems Full(const TProjekt& p) {
    ran.clear();
    thread.StartFullCalc(p);
    thread.ComputeUntilDone();
    return ran;
  }
  TItems Incremental(const TProjekt& p) {
    ran.clear();
    thread.StartCalc(p);
    thread.ComputeUntilDone();
    return ran;
  }
  TCalcThread thread;
  TItems ran;
};

TItems AllItems(int nAmps, int nChassis) {
  TItems all{kCheck, kGesamt};
  for (int c = 0; c < nChassis; ++c) all.insert({Baffle(c), Chassis(c)});
  for (int a = 0; a < nAmps; ++a) all.insert({AktFilt(a), Weiche(a)});
  return all;
}

TEST(CalcDriver, FullCalculationRunsEveryItemInOrderAndSucceeds) {
  auto p = MakeTwoWayProject();
  TRecordingHost host;
  TCalcThread thread(&host, false, std::chrono::milliseconds(0));
  std::vector<int> order;
  thread.onItemRun = [&](int item) { order.push_back(item); };
  thread.StartFullCalc(*p);
  thread.ComputeUntilDone();

  const std::vector<int> expected{kCheck,     Baffle(0),  Baffle(1),  Baffle(2),  Baffle(3), AktFilt(0), AktFilt(1),
                                  Chassis(0), Chassis(1), Chassis(2), Chassis(3), Weiche(0), Weiche(1),  kGesamt};
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
  const TResult& r = thread.Result();
  EXPECT_EQ(r.nFreq, p->sz);
  EXPECT_EQ(r.freq[p->sz], 0);
  EXPECT_EQ(r.freq[0], p->freq[0]);
  EXPECT_EQ(r.nAmps, 2);
  EXPECT_EQ(r.nChassis, 4);
  EXPECT_EQ(r.ChassisName[1], "Test-Tieftöner 17");
  EXPECT_EQ(r.EinbauTyp[2], 2);
  EXPECT_EQ(r.AmpOfChassis[2], 1);
  EXPECT_GT(thread.Grades()[gTotal], 0);
}

TEST(CalcDriver, EightChassisOnSixAmplifiersComputeWithoutErrors) {
  const auto p = testing::MakeLargeProject(40);
  TRecordingHost host;
  Driver d(&host);
  EXPECT_EQ(d.Full(*p), AllItems(6, 8));
  EXPECT_EQ(host.lastReport.errors, 0) << (host.lastReport.lines.empty() ? "" : host.lastReport.lines[0]);
  for (int c = 0; c < 8; ++c) {
    EXPECT_EQ(d.thread.Result().AmpOfChassis[c], c < 6 ? c : c - 6) << c;
    EXPECT_GT(CAbs(d.thread.Result().ChassisU[c][20]), 0.01) << c;
  }
}

TEST(CalcDriver, ChangeDetectionMarksWhatAnEditTouches) {
  struct Case {
    const char* what;
    std::function<void(TProjekt&)> edit;
    TItems expected;
  };
  const Case cases[] = {
      {"nothing", [](TProjekt&) {}, {}},
      {"crossover value",
       [](TProjekt& p) { p.Verstaerker[0].crossover[0]._value = 3.3e-6; },
       {kCheck, Weiche(0), kGesamt}},
      {"optimisation mark",
       [](TProjekt& p) { p.Verstaerker[1].crossover[0]._bOpti = true; },
       {kCheck, Weiche(1), kGesamt}},
      {"chassis parameter", [](TProjekt& p) { p.Chassis[1].Qes = 0.5; }, {Chassis(1), Weiche(0), kGesamt}},
      {"chassis name", [](TProjekt& p) { p.Chassis[2].Name = "Neu"; }, {Chassis(2), Weiche(1), kGesamt}},
      {"enclosure", [](TProjekt& p) { p.Einbau[0].Bedc = 4; }, {Chassis(0), Weiche(0), kGesamt}},
      {"baffle move", [](TProjekt& p) { p.Schallwand[1].vert = -0.12; }, {Baffle(1), kGesamt}},
      {"seo", [](TProjekt& p) { p.Chassis[0].seo = 0.01; }, {Baffle(0), Chassis(0), Weiche(0), kGesamt}},
      {"outlet diameter", [](TProjekt& p) { p.Schallwand[1].d = 0.12; }, {Baffle(1), Chassis(1), Weiche(0), kGesamt}},
      {"unused chassis", [](TProjekt& p) { p.Chassis[3].fs = 41; }, {Chassis(3), kGesamt}},
      {"filter", [](TProjekt& p) { p.Verstaerker[1].HP6 = true; }, {AktFilt(1), kGesamt}},
      {"level", [](TProjekt& p) { p.Verstaerker[0].Pegel = 0.5; }, {AktFilt(0), kGesamt}},
      {"grid", [](TProjekt& p) { p.sz = 30; }, {}},
      {"display options", [](TProjekt& p) { p.dBMax = 120; }, {}},
      {"common enclosure", [](TProjekt& p) { p.GemGeh.h = 1; }, {}},
      {"slot beyond the chassis count", [](TProjekt& p) { p.Chassis[5].fs = 20; }, {}},
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
    std::function<void(TProjekt&)> edit;
    bool full;
  };
  const Case cases[] = {
      {"frequency grid", [](TProjekt& p) { p.freq[10] *= 1.01; }, true},
      {"number of amplifiers", [](TProjekt& p) { p.nAmps = 1; }, true},
      {"number of chassis", [](TProjekt& p) { p.nChassis = 3; }, true},
      {"smoothing of the response", [](TProjekt& p) { p.glatt_a = 0.1; }, true},
      {"smoothing of the impedance", [](TProjekt& p) { p.glatt_i = 0.1; }, true},
      {"common enclosure", [](TProjekt& p) { p.GemGeh.h = 1; }, true},
      {"nothing", [](TProjekt&) {}, false},
      {"crossover value", [](TProjekt& p) { p.Verstaerker[0].crossover[0]._value = 3.3e-6; }, false},
      {"chassis parameter", [](TProjekt& p) { p.Chassis[1].Qes = 0.5; }, false},
      {"enclosure", [](TProjekt& p) { p.Einbau[0].Bedc = 4; }, false},
      {"baffle", [](TProjekt& p) { p.Schallwand[1].vert = -0.12; }, false},
      {"filter", [](TProjekt& p) { p.Verstaerker[1].HP6 = true; }, false},
      {"chart scale", [](TProjekt& p) { p.dBMax = 120; }, false},
      {"saved flag", [](TProjekt& p) { p.bSaved = !p.bSaved; }, false},
  };
  for (const Case& c : cases) {
    const auto old = MakeTwoWayProject();
    auto nw = MakeTwoWayProject();
    c.edit(*nw);
    EXPECT_EQ(NeedsFullCalc(*old, *nw), c.full) << c.what;
    EXPECT_EQ(NeedsFullCalc(*nw, *old), c.full) << c.what;
    if (c.full) continue;
    Driver inc;
    inc.Full(*old);
    inc.Incremental(*nw);
    Driver full;
    full.Full(*nw);
    EXPECT_TRUE(inc.thread.Result() == full.thread.Result()) << c.what;
  }
}

TEST(CalcDriver, MeasuredChassisBaffleMoveAlsoRecomputesTheChassis) {
  auto p = MakeTwoWayProject();
  p->Chassis[1].fgang_which = 5;
  p->Chassis[1].useFgangA = true;
  Driver d;
  d.Full(*p);
  p->Schallwand[1].c = 0.1;
  EXPECT_EQ(d.Incremental(*p), (TItems{Baffle(1), Chassis(1), kGesamt}));
}

TEST(CalcDriver, GridChangeNeedsAFullRequest) {
  auto p = MakeTwoWayProject(60);
  Driver d;
  d.Full(*p);
  auto q = MakeTwoWayProject(90);
  EXPECT_EQ(d.Incremental(*q), TItems{});
  EXPECT_EQ(d.thread.Result().nFreq, 90);  // the grid copy follows, the curves do not
  EXPECT_EQ(d.Full(*q), AllItems(2, 4));
  EXPECT_EQ(d.thread.Result().nFreq, 90);
}

TEST(CalcDriver, LoweringAndRaisingTheChassisCount) {
  auto p = MakeTwoWayProject();
  Driver d;
  d.Full(*p);

  // Incremental: chassis 3 and 4 keep their states and results when they come back.
  p->nChassis = 2;
  EXPECT_EQ(d.Incremental(*p), TItems{});
  p->Chassis[2].fs = 30;  // beyond the count: not compared
  EXPECT_EQ(d.Incremental(*p), TItems{});
  p->nChassis = 4;
  EXPECT_EQ(d.Incremental(*p), TItems{});
  EXPECT_EQ(d.thread.States().Chassis(2), "OK");

  // Full: everything, chassis 3 and 4 included.
  p->nChassis = 2;
  EXPECT_EQ(d.Full(*p), AllItems(2, 2));
  p->nChassis = 4;
  EXPECT_EQ(d.Full(*p), AllItems(2, 4));
}

TEST(CalcDriver, FailedItemKeepsItsMessageUntilItsInputsChange) {
  auto p = MakeTwoWayProject();
  p->Schallwand[0].a = 0.005;  // tweeter does not fit on the baffle
  TRecordingHost host;
  Driver d(&host);
  d.Full(*p);
  const std::string msg = d.thread.States().Baffle(0);
  EXPECT_NE(msg, "OK");
  EXPECT_NE(msg.find("Chassis 1"), std::string::npos) << msg;
  EXPECT_GE(host.lastReport.errors, 1);
  // An unrelated edit leaves the message standing without recomputing it.
  p->Verstaerker[1].Pegel = 0.7;
  EXPECT_EQ(d.Incremental(*p), (TItems{AktFilt(1), kGesamt}));
  EXPECT_EQ(d.thread.States().Baffle(0), msg);
  EXPECT_GE(host.lastReport.errors, 1);
  // Repairing it clears the error.
  p->Schallwand[0].a = 0.33;
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
    std::function<void(TProjekt&)> edit;
    const char* error;  // the one error line, or null for a success
  };
  const Case cases[] = {
      {"xlin 1e300", [](TProjekt& p) { p.Chassis[1].xlin = 1e300; },
       "Fehler: Maximale Spannung von Chassis 2 kann nicht berechnet werden."},
      {"Sd 1e300", [](TProjekt& p) { p.Chassis[1].Amem = 1e300; },
       "Fehler: Maximale Spannung von Chassis 2 kann nicht berechnet werden."},
      {"negative rated power", [](TProjekt& p) { p.Chassis[0]._PMax = -10; },
       "Fehler: Maximale Spannung von Chassis 1 kann nicht berechnet werden."},
      {"level 1e-300", [](TProjekt& p) { p.Verstaerker[0].Pegel = 1e-300; }, nullptr},
      // Not driven: its pressure at the excursion limit is large but finite.
      {"xlin 1e300 in no crossover", [](TProjekt& p) { p.Chassis[3].xlin = 1e300; }, nullptr},
      {"xlin 1e-300", [](TProjekt& p) { p.Chassis[0].xlin = 1e-300; },
       "Fehler: Chassis 1: xlin = 1E-300 m liegt unter dem kleinsten plausiblen Wert 1E-5 m. "},
      {"Sd 1e-30", [](TProjekt& p) { p.Chassis[0].Amem = 1e-30; },
       "Fehler: Chassis 1: Sd (Amem) = 1E-30 m² liegt unter dem kleinsten plausiblen Wert 1E-5 m². "},
      {"xlin 1e-300 in no crossover", [](TProjekt& p) { p.Chassis[3].xlin = 1e-300; },
       "Fehler: Chassis 4: xlin = 1E-300 m liegt unter dem kleinsten plausiblen Wert 1E-5 m. "},
      // Not above 0 either: the simulation's own message follows.
      {"Sd not a number", [](TProjekt& p) { p.Chassis[0].Amem = std::nan(""); },
       "Fehler: Chassis 1: Sd (Amem) = nan m² liegt unter dem kleinsten plausiblen Wert 1E-5 m². fs, Rdc, Qes, Qms, "
       "Vas, Sd müssen > 0 sein oder Frequenz- und Impedanzgang incl. Phase vollständig aus Messdaten entnommen "
       "werden. "},
      {"Sd and xlin at their smallest plausible values",
       [](TProjekt& p) {
         for (int c = 0; c < 4; ++c) p.Chassis[c].Amem = p.Chassis[c].xlin = 1e-5;
       },
       nullptr},
  };
  for (const Case& c : cases) {
    auto p = MakeTwoWayProject();
    c.edit(*p);
    TRecordingHost host;
    Driver d(&host);
    d.Full(*p);
    const TStatusReport& report = host.lastReport;
    if (c.error != nullptr) {
      EXPECT_EQ(report.lines, std::vector<std::string>{c.error}) << c.name;
      continue;
    }
    EXPECT_EQ(report.errors, 0) << c.name << ": " << report.text;
    for (double g : d.thread.Grades()) EXPECT_TRUE(std::isfinite(g) && std::abs(g) <= kMaxPlausibleGrade) << c.name;
    const TResult& r = d.thread.Result();
    for (int i = 0; i < r.nFreq; ++i) {
      EXPECT_TRUE(std::isfinite(r.MaxU[i]) && std::isfinite(r.MaxP[kChassisSlots][i])) << c.name << " at " << i;
      for (int ch = 0; ch < p->nChassis; ++ch)
        EXPECT_TRUE(std::isfinite(r.MaxUExc[ch][i]) && std::isfinite(r.MaxUChassis[ch][i]) &&
                    std::isfinite(r.MaxP[ch][i]))
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
  TRecordingHost host;
  Driver d(&host);
  d.thread.optiParams.Zmin = 1e60;  // an impedance grade near 1E59
  d.Full(*p);
  ASSERT_EQ(host.lastReport.lines.size(), 1u);
  EXPECT_EQ(host.lastReport.lines[0].rfind("Fehler: Note gesamt = ", 0), 0u) << host.lastReport.lines[0];
  EXPECT_NE(host.lastReport.lines[0].find(" ist nicht plausibel (über 1E30); "), std::string::npos)
      << host.lastReport.lines[0];
  EXPECT_TRUE(IsGradeFailureText(d.thread.States().Gesamt()));

  d.thread.optiParams.Zmin = 1e200;  // the impedance grade overflows
  EXPECT_EQ(d.Incremental(*p), TItems{});
  EXPECT_EQ(host.lastReport.lines,
            std::vector<std::string>{"Fehler: Note gesamt = nan ist nicht endlich; ein Wert der Chassis, Weichen oder "
                                     "Pegel liegt außerhalb jedes sinnvollen Maßes."});

  // With the grading parameters back, nothing to recompute and no error.
  d.thread.optiParams = DefaultOptiParams();
  EXPECT_EQ(d.Incremental(*p), TItems{});
  EXPECT_EQ(host.lastReport.errors, 0);
  EXPECT_EQ(d.thread.States().Gesamt(), "OK");

  // Another item's error is reported alone, whatever the grades.
  d.thread.optiParams.Zmin = 1e200;
  p->Chassis[1].xlin = 0;
  d.Incremental(*p);
  EXPECT_EQ(host.lastReport.errors, 1);
  EXPECT_EQ(d.thread.States().Gesamt(), "OK");
}

TEST(CalcDriver, NothingDirtyStillReportsAndHandsBack) {
  auto p = MakeTwoWayProject();
  TRecordingHost host;
  Driver d(&host);
  d.Full(*p);
  host.progress.clear();
  EXPECT_EQ(d.Incremental(*p), TItems{});
  EXPECT_EQ(d.thread.StepsTotal(), 0);
  EXPECT_TRUE(host.progress.empty());
  EXPECT_EQ(host.reports, 2);
  EXPECT_EQ(host.handBacks, 2);
}

TEST(CalcDriver, SilentInstanceNeverCallsItsHost) {
  auto p = MakeTwoWayProject();
  TRecordingHost host;
  TCalcThread worker(&host, true, std::chrono::milliseconds(0));
  worker.StartFullCalc(*p);
  worker.ComputeUntilDone();
  EXPECT_TRUE(host.progress.empty());
  EXPECT_EQ(host.reports + host.handBacks, 0);
  EXPECT_EQ(worker.States().Gesamt(), "OK");
}

TEST(CalcDriver, IncrementalResultEqualsAFullCalculation) {
  auto p = MakeTwoWayProject();
  Driver inc;
  inc.Full(*p);
  p->Chassis[1].Qes = 0.55;
  p->Verstaerker[0].crossover[1]._value = 1.8e-3;
  p->Schallwand[0].vert = 0.12;
  p->Verstaerker[1].TP121 = true;
  p->Verstaerker[1].TP121f = 80;
  inc.Incremental(*p);
  Driver full;
  full.Full(*p);
  EXPECT_TRUE(inc.thread.Result() == full.thread.Result());
  EXPECT_EQ(inc.thread.Grades(), full.thread.Grades());
}

TEST(CalcDriverThread, BackgroundThreadComputesAndBecomesIdle) {
  auto p = MakeTwoWayProject();
  TRecordingHost host;
  TCalcThread thread(&host, false, std::chrono::milliseconds(1));
  thread.StartCalc(*p);  // the first request of a main-window thread computes everything
  EXPECT_FALSE(thread.IsIdle());
  thread.Start();
  ASSERT_TRUE(thread.WaitIdle(std::chrono::seconds(60)));
  EXPECT_EQ(thread.States().Gesamt(), "OK");
  EXPECT_EQ(thread.StepsDone(), 14);
  EXPECT_EQ(host.handBacks, 1);

  p->Verstaerker[0].crossover[0]._value = 6.8e-6;
  thread.StartCalc(*p);
  EXPECT_FALSE(thread.IsIdle());
  ASSERT_TRUE(thread.WaitIdle(std::chrono::seconds(60)));
  EXPECT_EQ(thread.StepsDone(), 3);
  EXPECT_EQ(host.handBacks, 2);
}

TEST(CalcDriverThread, CreatedIdleUntilTheFirstRequest) {
  TRecordingHost host;
  TCalcThread thread(&host, false, std::chrono::milliseconds(0));
  std::mutex ranMutex;
  TItems ran;
  thread.onItemRun = [&](int item) {
    std::lock_guard lock(ranMutex);
    ran.insert(item);
  };
  thread.Start();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_TRUE(thread.IsIdle());
  {
    std::lock_guard lock(ranMutex);
    EXPECT_EQ(ran, TItems{});
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
  TRecordingHost host;
  Driver d(&host);
  d.thread.ComputeUntilDone();
  EXPECT_EQ(d.ran, TItems{});
  EXPECT_TRUE(d.thread.IsIdle());
  EXPECT_EQ(host.handBacks, 0);
}

TEST(CalcDriverThread, BurstsOfRequestsNeverLoseTheLastOne) {
  auto p = MakeTwoWayProject(30);
  TCalcThread thread(nullptr, false, std::chrono::milliseconds(0));
  std::atomic<int> itemsRun{0};
  thread.onItemRun = [&](int) { ++itemsRun; };
  thread.Start();

  std::mt19937 rng(12345);
  std::uniform_int_distribution<int> pick(0, 5);
  std::uniform_real_distribution<double> factor(0.8, 1.25);
  std::thread owner([&] {
    for (int request = 0; request < 10000; ++request) {
      switch (pick(rng)) {
        case 0:
          p->Verstaerker[0].crossover[0]._value = 4.7e-6 * factor(rng);
          break;
        case 1:
          p->Chassis[1].Qes = 0.42 * factor(rng);
          break;
        case 2:
          p->Schallwand[0].vert = 0.1 * factor(rng);
          break;
        case 3:
          p->Verstaerker[1].Pegel = factor(rng);
          break;
        case 4:
          p->Einbau[2].fb = 35 * factor(rng);
          break;
        default:
          p->Chassis[3].fs = 38 * factor(rng);
          break;
      }
      if (request % 500 == 0)
        thread.StartFullCalc(*p);
      else
        thread.StartCalc(*p);
      if (request % 100 == 99) std::this_thread::sleep_for(std::chrono::milliseconds(2));  // end of a burst
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
  auto thread = std::make_unique<TCalcThread>(nullptr, false, std::chrono::hours(1));
  std::atomic<bool> firstItemRan{false};
  thread->onItemRun = [&](int) { firstItemRan = true; };
  thread->StartFullCalc(*p);
  thread->Start();
  // The thread is in the pause after its first item (no clock involved).
  while (!firstItemRan) std::this_thread::yield();
  thread.reset();
  SUCCEED();
}

}  // namespace
}  // namespace sonvex
