#include "calc/calc_thread.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "calc/check.h"
#include "model/number_text.h"

namespace sonvex {

std::string ProgressText(int stepsDone, int stepsTotal) {
  const double percent = stepsTotal > 0 ? stepsDone * 100.0 / stepsTotal : 100.0;
  return "Berechnung läuft: " + FormatNumber(percent, 4) + "%";
}

namespace {

// The thread runs one priority step below normal so that the user interface
// stays responsive. On Linux a thread's nice value is per thread.
void LowerThreadPriority() {
  const auto tid = static_cast<id_t>(gettid());
  errno = 0;
  const int nice = getpriority(PRIO_PROCESS, tid);
  if (errno == 0) setpriority(PRIO_PROCESS, tid, std::min(nice + 1, 19));
}

// The amplifier whose crossover holds chassis c: the lowest amplifier below
// nAmps with a chassis part for c in slots 0..185; -1 when there is none.
int AmpOfChassisInProject(const TProjekt& p, int c) {
  for (int a = 0; a < std::min<int>(p.nAmps, kMaxAmps); ++a)
    for (int s = 0; s < kUsedPartSlots; ++s) {
      const TWPart& part = p.Verstaerker[a].crossover[s];
      if (part._typ == ptChass && part._chassisnr == c) return a;
    }
  return -1;
}

bool SameFilters(const TVerstaerker& a, const TVerstaerker& b) {
  return a.Pegel == b.Pegel && a.HP6f == b.HP6f && a.HP121f == b.HP121f && a.HP121q == b.HP121q &&
         a.HP122f == b.HP122f && a.HP122q == b.HP122q && a.TP6f == b.TP6f && a.TP121f == b.TP121f &&
         a.TP121q == b.TP121q && a.TP122f == b.TP122f && a.TP122q == b.TP122q && a.HP6 == b.HP6 && a.HP121 == b.HP121 &&
         a.HP122 == b.HP122 && a.TP6 == b.TP6 && a.TP121 == b.TP121 && a.TP122 == b.TP122;
}

// Whether item `item` lies within the project's chassis and amplifier counts.
bool ItemInUse(int item, const TProjekt& p) {
  if (item == TCalcStruct::kCheck || item == TCalcStruct::kGesamt) return true;
  if (item >= TCalcStruct::kBaffle0 && item < TCalcStruct::kAktFilt0) return item - TCalcStruct::kBaffle0 < p.nChassis;
  if (item >= TCalcStruct::kAktFilt0 && item < TCalcStruct::kChassis0) return item - TCalcStruct::kAktFilt0 < p.nAmps;
  if (item >= TCalcStruct::kChassis0 && item < TCalcStruct::kWeiche0) return item - TCalcStruct::kChassis0 < p.nChassis;
  return item - TCalcStruct::kWeiche0 < p.nAmps;
}

}  // namespace

TCalcThread::TCalcThread(TCalcHost* host, bool silent, std::chrono::milliseconds pause)
    : host_(host),
      silent_(silent),
      pause_(pause),
      mailbox_(std::make_unique<TProjekt>()),
      working_(std::make_unique<TProjekt>()),
      result_(std::make_unique<TResult>()) {
  // Not silent: the first request computes everything.
  if (!silent_) resetAll_ = true;
}

TCalcThread::~TCalcThread() {
  {
    std::lock_guard lock(mutex_);
    terminate_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void TCalcThread::Start() {
  if (thread_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    idle_ = !(requested_ && (checkChanges_ || resetAll_));
  }
  thread_ = std::thread([this] { Execute(); });
}

void TCalcThread::StartCalc(const TProjekt& p) {
  {
    std::lock_guard lock(mutex_);
    *mailbox_ = p;
    checkChanges_ = true;
    requested_ = true;
    idle_ = false;
  }
  wake_.notify_all();
}

void TCalcThread::StartFullCalc(const TProjekt& p) {
  {
    std::lock_guard lock(mutex_);
    *mailbox_ = p;
    resetAll_ = true;
    requested_ = true;
    idle_ = false;
  }
  wake_.notify_all();
}

bool TCalcThread::IsIdle() const {
  std::lock_guard lock(mutex_);
  return idle_;
}

bool TCalcThread::WaitIdle(std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return idleCv_.wait_for(lock, timeout, [this] { return idle_; });
}

void TCalcThread::Adopt(const TProjekt& working, const TResult& result, const TCalcStruct& states) {
  // Holding the lock keeps an idle thread inside its wait while we copy.
  std::lock_guard lock(mutex_);
  *working_ = working;
  *mailbox_ = working;
  *result_ = result;
  states_ = states;
}

void TCalcThread::ComputeUntilDone() {
  {
    // Nothing was asked for yet: there is nothing to compute.
    std::lock_guard lock(mutex_);
    if (!requested_) {
      idle_ = true;
      idleCv_.notify_all();
      return;
    }
  }
  while (Pass() == TPassOutcome::StepRan) {
  }
  std::lock_guard lock(mutex_);
  if (!checkChanges_ && !resetAll_) idle_ = true;
  idleCv_.notify_all();
}

void TCalcThread::SetPause(std::chrono::milliseconds pause) {
  std::lock_guard lock(mutex_);
  pause_ = pause;
}

void TCalcThread::Execute() {
  LowerThreadPriority();
  {
    // Created idle: no pass runs on the empty project before the first request.
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [this] { return requested_ || terminate_; });
  }
  while (true) {
    {
      std::lock_guard lock(mutex_);
      if (terminate_) return;
    }
    if (Pass() == TPassOutcome::StepRan) {
      // The pause after a step; only termination cuts it short (a request
      // that arrives meanwhile is picked up by the next pass).
      std::unique_lock lock(mutex_);
      if (pause_.count() > 0) wake_.wait_for(lock, pause_, [this] { return terminate_; });
      continue;
    }
    // Finished: become idle unless a request arrived while finishing.
    std::unique_lock lock(mutex_);
    if (!checkChanges_ && !resetAll_) {
      idle_ = true;
      idleCv_.notify_all();
      wake_.wait(lock, [this] { return checkChanges_ || resetAll_ || terminate_; });
    }
  }
}

TCalcThread::TPassOutcome TCalcThread::Pass() {
  {
    std::lock_guard lock(mutex_);
    if (resetAll_) {
      for (std::string& s : states_.states) s = "F";
      resetAll_ = false;
      checkChanges_ = true;
      ClearResult(*result_);
    }
    if (checkChanges_) {
      DetectChanges();
      *working_ = *mailbox_;
      checkChanges_ = false;
      stepsTotal_ = 0;
      for (int item = 0; item < TCalcStruct::kCount; ++item)
        if (ItemInUse(item, *working_) && states_.states[item] == "F") ++stepsTotal_;
      stepsDone_ = 0;
    }
  }
  if (!silent_ && host_ != nullptr && stepsTotal_ > 0)
    host_->Progress(stepsDone_, stepsTotal_, ProgressText(stepsDone_, stepsTotal_));

  int next = -1;
  if (stepsDone_ < stepsTotal_) {
    for (int item = 0; item < TCalcStruct::kCount && next < 0; ++item)
      if (ItemInUse(item, *working_) && states_.states[item] == "F") next = item;
  }
  if (next < 0) {
    Finish();
    return TPassOutcome::Finished;
  }
  RunCalcItem(next, *working_, *result_, states_, solverWork_);
  if (states_.states[next] == "F") states_.states[next] = "Unbekannter Fehler.";  // an item always ends
  ++stepsDone_;
  if (onItemRun) onItemRun(next);
  return TPassOutcome::StepRan;
}

bool NeedsFullCalc(const TProjekt& old, const TProjekt& nw) {
  return old.freq != nw.freq || old.nAmps != nw.nAmps || old.nChassis != nw.nChassis || old.glatt_a != nw.glatt_a ||
         old.glatt_i != nw.glatt_i || !(old.GemGeh == nw.GemGeh);
}

// Marks the items whose inputs differ between the mailbox (new) and the
// working project (old). Records are compared whole.
void TCalcThread::DetectChanges() {
  const TProjekt& nw = *mailbox_;
  const TProjekt& old = *working_;
  const int nChassis = ChassisInUse(nw);
  const int nAmps = AmpsInUse(nw);
  for (int c = 0; c < nChassis; ++c) {
    const TChassis& ch = nw.Chassis[c];
    // The enclosure type decides whether the baffle item checks a port.
    if (!(nw.Schallwand[c] == old.Schallwand[c]) || ch.seo != old.Chassis[c].seo ||
        nw.Einbau[c].Typ != old.Einbau[c].Typ) {
      states_.Baffle(c) = "F";
      states_.Gesamt() = "F";
      if (ch.fgang_which == 5 && ch.useFgangA) states_.Chassis(c) = "F";
    }
    if (!(nw.Einbau[c] == old.Einbau[c]) || !(ch == old.Chassis[c]) || nw.Schallwand[c].d != old.Schallwand[c].d) {
      states_.Chassis(c) = "F";
      const int k = AmpOfChassisInProject(nw, c);
      if (k >= 0) states_.Weiche(k) = "F";
      states_.Gesamt() = "F";
    }
  }
  for (int a = 0; a < nAmps; ++a) {
    if (!(nw.Verstaerker[a].crossover == old.Verstaerker[a].crossover)) {
      states_.Weiche(a) = "F";
      states_.Check() = "F";
      states_.Gesamt() = "F";
    }
    if (!SameFilters(nw.Verstaerker[a], old.Verstaerker[a])) {
      states_.AktFilt(a) = "F";
      states_.Gesamt() = "F";
    }
  }
}

void TCalcThread::Finish() {
  TResult& r = *result_;
  const TProjekt& p = *working_;
  r.bValid = false;
  int n = 0;
  while (n < kFreqEntries) {
    r.freq[n] = p.freq[n];
    if (!(p.freq[n] > 0)) break;
    ++n;
  }
  r.nFreq = n;
  r.nAmps = p.nAmps;
  r.nChassis = p.nChassis;
  for (int c = 0; c < kChassisSlots; ++c) {
    r.ChassisName[c] = p.Chassis[c].Name.View();
    r.EinbauTyp[c] = p.Einbau[c].Typ;
  }
  grades_ = ComputeGrades(p, r, optiParams);
  // A calculation whose items all succeeded but whose grades are not finite
  // or absurd (grading.h) fails in its last item, the whole box: the error
  // list names the grade, the command line ends with status 1 and the
  // optimizer takes no such crossover. Judged afresh after every
  // calculation, since the grading parameters may have changed.
  std::string& gesamt = states_.Gesamt();
  if (IsGradeFailureText(gesamt)) gesamt = "OK";
  if (gesamt == "OK" && StatusReport(states_, p.nAmps, p.nChassis).errors == 0) gesamt = CheckGrades(grades_);
  if (!silent_ && host_ != nullptr) {
    host_->StatusReport(states_, r);
    host_->HandBack(r, grades_);
  }
}

}  // namespace sonvex
