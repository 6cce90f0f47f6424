#include "calc/calc_thread.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "acoustics/polar_directions.h"
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
// ampCount with a chassis part for c in slots 0..185; -1 when there is none.
int AmpOfChassisInProject(const Project& p, int c) {
  for (int a = 0; a < std::min<int>(p.ampCount, kMaxAmps); ++a)
    for (int s = 0; s < kUsedPartSlots; ++s) {
      const CrossoverPart& part = p.amplifiers[a].crossover[s];
      if (part.type == PartChassis && part.chassisSlot == c) return a;
    }
  return -1;
}

bool SameFilters(const Amplifier& a, const Amplifier& b) {
  return a.level == b.level && a.highPass6F == b.highPass6F && a.highPass12aF == b.highPass12aF &&
         a.highPass12aQ == b.highPass12aQ && a.highPass12bF == b.highPass12bF && a.highPass12bQ == b.highPass12bQ &&
         a.lowPass6F == b.lowPass6F && a.lowPass12aF == b.lowPass12aF && a.lowPass12aQ == b.lowPass12aQ &&
         a.lowPass12bF == b.lowPass12bF && a.lowPass12bQ == b.lowPass12bQ && a.highPass6On == b.highPass6On &&
         a.highPass12aOn == b.highPass12aOn && a.highPass12bOn == b.highPass12bOn && a.lowPass6On == b.lowPass6On &&
         a.lowPass12aOn == b.lowPass12aOn && a.lowPass12bOn == b.lowPass12bOn;
}

// Whether item `item` lies within the project's chassis and amplifier counts.
bool ItemInUse(int item, const Project& p) {
  if (item == CalcStates::kCheck || item == CalcStates::kWholeBox) return true;
  if (item >= CalcStates::kBaffle0 && item < CalcStates::kActiveFilter0)
    return item - CalcStates::kBaffle0 < p.chassisCount;
  if (item >= CalcStates::kActiveFilter0 && item < CalcStates::kChassis0)
    return item - CalcStates::kActiveFilter0 < p.ampCount;
  if (item >= CalcStates::kChassis0 && item < CalcStates::kCrossover0)
    return item - CalcStates::kChassis0 < p.chassisCount;
  return item - CalcStates::kCrossover0 < p.ampCount;
}

}  // namespace

CalcThread::CalcThread(CalcHost* host, bool silent, std::chrono::milliseconds pause)
    : host_(host),
      silent_(silent),
      pause_(pause),
      mailbox_(std::make_unique<Project>()),
      working_(std::make_unique<Project>()),
      result_(std::make_unique<CalcResult>()) {
  // Not silent: the first request computes everything.
  if (!silent_) resetAll_ = true;
}

CalcThread::~CalcThread() {
  {
    std::lock_guard lock(mutex_);
    terminate_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void CalcThread::Start() {
  if (thread_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    idle_ = !(requested_ && (checkChanges_ || resetAll_));
  }
  thread_ = std::thread([this] { Execute(); });
}

void CalcThread::StartCalc(const Project& p) {
  {
    std::lock_guard lock(mutex_);
    *mailbox_ = p;
    checkChanges_ = true;
    requested_ = true;
    idle_ = false;
  }
  wake_.notify_all();
}

void CalcThread::StartFullCalc(const Project& p) {
  {
    std::lock_guard lock(mutex_);
    *mailbox_ = p;
    resetAll_ = true;
    requested_ = true;
    idle_ = false;
  }
  wake_.notify_all();
}

bool CalcThread::IsIdle() const {
  std::lock_guard lock(mutex_);
  return idle_;
}

bool CalcThread::WaitIdle(std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return idleCv_.wait_for(lock, timeout, [this] { return idle_; });
}

void CalcThread::Adopt(const Project& working, const CalcResult& result, const CalcStates& states) {
  // Holding the lock keeps an idle thread inside its wait while we copy.
  std::lock_guard lock(mutex_);
  *working_ = working;
  *mailbox_ = working;
  *result_ = result;
  states_ = states;
}

void CalcThread::ComputeUntilDone() {
  {
    // Nothing was asked for yet: there is nothing to compute.
    std::lock_guard lock(mutex_);
    if (!requested_) {
      idle_ = true;
      idleCv_.notify_all();
      return;
    }
  }
  while (Pass() == PassOutcome::StepRan) {
  }
  std::lock_guard lock(mutex_);
  if (!checkChanges_ && !resetAll_) idle_ = true;
  idleCv_.notify_all();
}

void CalcThread::SetPause(std::chrono::milliseconds pause) {
  std::lock_guard lock(mutex_);
  pause_ = pause;
}

void CalcThread::Execute() {
  LowerThreadPriority();
  {
    // Created idle: no pass runs on the empty project before the first request.
    std::unique_lock lock(mutex_);
    if (onWaitForRequest && !requested_) onWaitForRequest();
    wake_.wait(lock, [this] { return requested_ || terminate_; });
  }
  while (true) {
    {
      std::lock_guard lock(mutex_);
      if (terminate_) return;
    }
    if (Pass() == PassOutcome::StepRan) {
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
      if (onWaitForRequest) onWaitForRequest();
      wake_.wait(lock, [this] { return checkChanges_ || resetAll_ || terminate_; });
    }
  }
}

CalcThread::PassOutcome CalcThread::Pass() {
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
      for (int item = 0; item < CalcStates::kCount; ++item)
        if (ItemInUse(item, *working_) && states_.states[item] == "F") ++stepsTotal_;
      stepsDone_ = 0;
    }
  }
  if (!silent_ && host_ != nullptr && stepsTotal_ > 0)
    host_->Progress(stepsDone_, stepsTotal_, ProgressText(stepsDone_, stepsTotal_));

  int next = -1;
  if (stepsDone_ < stepsTotal_) {
    for (int item = 0; item < CalcStates::kCount && next < 0; ++item)
      if (ItemInUse(item, *working_) && states_.states[item] == "F") next = item;
  }
  if (next < 0) {
    Finish();
    return PassOutcome::Finished;
  }
  RunCalcItem(next, *working_, *result_, states_, solverWork_);
  if (states_.states[next] == "F") states_.states[next] = "Unbekannter Fehler.";  // an item always ends
  ++stepsDone_;
  if (onItemRun) onItemRun(next);
  return PassOutcome::StepRan;
}

bool NeedsFullCalc(const Project& old, const Project& updated) {
  return old.freq != updated.freq || old.ampCount != updated.ampCount || old.chassisCount != updated.chassisCount ||
         old.smoothingAmplitude != updated.smoothingAmplitude || old.smoothingImpedance != updated.smoothingImpedance ||
         !(old.cabinet == updated.cabinet);
}

// Marks the items whose inputs differ between the mailbox (new) and the
// working project (old). Records are compared whole.
void CalcThread::DetectChanges() {
  const Project& updated = *mailbox_;
  const Project& old = *working_;
  const int chassisCount = ChassisInUse(updated);
  const int ampCount = AmpsInUse(updated);
  for (int c = 0; c < chassisCount; ++c) {
    const Chassis& ch = updated.chassis[c];
    // The enclosure type decides whether the baffle item checks a port.
    // The measured polar set enters the baffle item's direction table, and
    // so do the switches that put it in use. (A set shared with the old
    // project compares at once.)
    const bool polarChanged = !(ch.polar == old.chassis[c].polar) ||
                              (!ch.polar.Empty() && MeasuredInTheBox(ch) != MeasuredInTheBox(old.chassis[c]));
    if (!(updated.baffles[c] == old.baffles[c]) || ch.sourceDepth != old.chassis[c].sourceDepth ||
        updated.enclosures[c].type != old.enclosures[c].type || polarChanged) {
      states_.Baffle(c) = "F";
      states_.WholeBox() = "F";
      if (MeasuredInTheBox(ch)) states_.Chassis(c) = "F";
    }
    if (!(updated.enclosures[c] == old.enclosures[c]) || !(ch == old.chassis[c]) ||
        updated.baffles[c].outletDiameter != old.baffles[c].outletDiameter) {
      states_.Chassis(c) = "F";
      const int k = AmpOfChassisInProject(updated, c);
      if (k >= 0) states_.Crossover(k) = "F";
      states_.WholeBox() = "F";
    }
  }
  for (int a = 0; a < ampCount; ++a) {
    if (!(updated.amplifiers[a].crossover == old.amplifiers[a].crossover)) {
      states_.Crossover(a) = "F";
      states_.Check() = "F";
      states_.WholeBox() = "F";
    }
    if (!SameFilters(updated.amplifiers[a], old.amplifiers[a])) {
      states_.ActiveFilter(a) = "F";
      states_.WholeBox() = "F";
    }
  }
}

void CalcThread::Finish() {
  CalcResult& r = *result_;
  const Project& p = *working_;
  r.valid = false;
  int n = 0;
  while (n < kFreqEntries) {
    r.freq[n] = p.freq[n];
    if (!(p.freq[n] > 0)) break;
    ++n;
  }
  r.freqCount = n;
  r.ampCount = p.ampCount;
  r.chassisCount = p.chassisCount;
  for (int c = 0; c < kChassisSlots; ++c) {
    r.chassisName[c] = p.chassis[c].name.View();
    r.enclosureTypes[c] = p.enclosures[c].type;
  }
  grades_ = ComputeGrades(p, r, optimizerParams);
  // A calculation whose items all succeeded but whose grades are not finite
  // or absurd (grading.h) fails in its last item, the whole box: the error
  // list names the grade, the command line ends with status 1 and the
  // optimizer takes no such crossover. Judged afresh after every
  // calculation, since the grading parameters may have changed.
  std::string& wholeBoxState = states_.WholeBox();
  if (IsGradeFailureText(wholeBoxState)) wholeBoxState = "OK";
  if (wholeBoxState == "OK" && StatusReport(states_, p.ampCount, p.chassisCount).errors == 0)
    wholeBoxState = CheckGrades(grades_);
  if (!silent_ && host_ != nullptr) host_->Finished(states_, r, grades_);
}

}  // namespace sonvex
