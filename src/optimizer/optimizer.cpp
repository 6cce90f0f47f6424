#include "optimizer/optimizer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

#include "calc/check.h"
#include "model/number_text.h"

namespace sonvex {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr double kGrowth = 1.8;  // step factor after an accepted candidate

}  // namespace

OptimizerEndVerdict JudgeOptimizerEnd(double startGrade, double endGrade) {
  const double start = std::round(startGrade * 1000);
  const double end = std::round(endGrade * 1000);
  if (end < start) return OptimizerEndVerdict::Better;
  if (end == start) return OptimizerEndVerdict::Same;
  return OptimizerEndVerdict::Worse;  // also a grade that is not a number
}

std::string TotalGradeText(double grade) {
  char num[64];
  const auto [end, ec] = std::to_chars(num, num + sizeof num, grade, std::chars_format::fixed, 3);
  std::string text = ec == std::errc() ? std::string(num, end) : FormatNumber(grade, 12);
  std::replace(text.begin(), text.end(), '.', ',');
  return text;
}

std::string OptimizerEndText(double startGrade, double endGrade) {
  const std::string grades =
      "Note gesamt vorher " + TotalGradeText(startGrade) + ", nachher " + TotalGradeText(endGrade);
  switch (JudgeOptimizerEnd(startGrade, endGrade)) {
    case OptimizerEndVerdict::Better:
      return std::string(kOptimizerSuccessText) + " " + grades + ".";
    case OptimizerEndVerdict::Same:
      return "Die Optimierung wurde beendet, ohne die Box zu verbessern: " + grades + ".";
    case OptimizerEndVerdict::Worse:
      break;
  }
  return "Die Optimierung wurde beendet, das Ergebnis ist aber schlechter als der Start: " + grades + ". " +
         std::string(kOptimizerKeepStartText);
}

OptimizerThread::OptimizerThread(OptimizerHost* host, std::chrono::milliseconds workerPause, OptimizerTimeouts timeouts)
    : host_(host), timeouts_(timeouts), start_(MakeNewProject()), startResult_(std::make_unique<CalcResult>()) {
  for (int i = 0; i < kWorkers; ++i) {
    workers_[static_cast<std::size_t>(i)] = std::make_unique<CalcThread>(nullptr, true, workerPause);
    workers_[static_cast<std::size_t>(i)]->Start();  // idle until the first request
    projects_[static_cast<std::size_t>(i)] = std::make_unique<Project>(*start_);
  }
  thread_ = std::thread([this] { Execute(); });
}

void OptimizerThread::SetWorkerPause(std::chrono::milliseconds pause) {
  for (auto& worker : workers_) worker->SetPause(pause);
}

OptimizerThread::~OptimizerThread() {
  {
    std::lock_guard lock(mutex_);
    terminate_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
  // The workers end in their own destructors, after the item they run.
}

bool OptimizerThread::StartRun(const Project& project, const CalcResult& result, const CalcStates& states,
                               const OptimizerParams& params) {
  {
    std::lock_guard lock(mutex_);
    if (!idle_ || terminate_) return false;
    *start_ = project;
    *startResult_ = result;
    startStates_ = states;
    params_ = params;
    stopRequested_ = false;
    runRequested_ = true;
    idle_ = false;
  }
  wake_.notify_all();
  return true;
}

void OptimizerThread::RequestStop() { stopRequested_ = true; }

bool OptimizerThread::IsIdle() const {
  std::lock_guard lock(mutex_);
  return idle_;
}

bool OptimizerThread::WaitIdle(std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return idleCv_.wait_for(lock, timeout, [this] { return idle_; });
}

const Project& OptimizerThread::BestProject() const { return *projects_[static_cast<std::size_t>(best_)]; }

const CalcResult& OptimizerThread::BestResult() const {
  const CalcThread& w = *workers_[static_cast<std::size_t>(best_)];
  w.WaitIdle();
  return w.Result();
}

const CalcStates& OptimizerThread::BestStates() const {
  const CalcThread& w = *workers_[static_cast<std::size_t>(best_)];
  w.WaitIdle();
  return w.States();
}

const GradeBlock& OptimizerThread::BestGrades() const {
  const CalcThread& w = *workers_[static_cast<std::size_t>(best_)];
  w.WaitIdle();
  return w.Grades();
}

void OptimizerThread::Execute() {
  std::unique_lock lock(mutex_);
  while (true) {
    wake_.wait(lock, [this] { return runRequested_ || terminate_; });
    if (terminate_) return;
    runRequested_ = false;
    lock.unlock();

    const OptimizerOutcome outcome = Run();
    outcome_ = outcome;
    SetProgress(-1);
    if (host_ != nullptr && !Terminating()) {
      switch (outcome) {
        case OptimizerOutcome::Finished:
          host_->Success();
          break;
        case OptimizerOutcome::TimedOut:
          // The search did not end by itself: no success report.
          host_->Failure(std::string(kOptimizerTimeoutText));
          break;
        case OptimizerOutcome::StartFailed:
          // With the error lines: the crossover is not always to blame.
          host_->Failure(std::string(kOptimizerStartFailedText) + startFailure_);
          break;
        case OptimizerOutcome::NothingMarked:
          host_->Failure("Es wurden keine Bauteile zur Optimierung markiert.");
          break;
        default:  // a stop request or termination: nothing to report
          break;
      }
    }

    lock.lock();
    idle_ = true;
    idleCv_.notify_all();
    if (host_ != nullptr && !Terminating()) {
      lock.unlock();
      host_->Idle();
      lock.lock();
    }
  }
}

void OptimizerThread::SetProgress(int perMille) {
  progress_ = perMille;
  if (host_ == nullptr || Terminating()) return;
  if (onReport) onReport();
  host_->Progress(perMille);
}

void OptimizerThread::ReportGrades() {
  if (host_ == nullptr || Terminating()) return;
  if (onReport) onReport();
  const CalcThread& w = *workers_[static_cast<std::size_t>(best_)];
  host_->GradeReport(w.Grades(), w.Result());
}

// Each worker announces its idle state through its own condition variable,
// so a worker that finished before we look is seen at once and no wake-up can
// be lost; there is no need to resume a worker a second time. The wait is cut
// into ticks only to notice termination and to move the progress bar.
bool OptimizerThread::WaitWorkers(std::chrono::milliseconds timeout, std::chrono::milliseconds tick,
                                  const std::function<void()>& onTick) {
  const auto deadline = Clock::now() + timeout;
  for (const auto& w : workers_) {
    while (true) {
      const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
      if (w->WaitIdle(std::clamp(left, milliseconds(0), tick))) break;
      if (Terminating() || Clock::now() >= deadline) return false;
      if (onTick) onTick();
    }
  }
  return true;
}

// A candidate replaces the best crossover only when its calculation ran
// without errors: a failed item keeps the results of an earlier candidate,
// and grading those would credit this candidate with another one's response.
bool OptimizerThread::Better(int candidate, int than) const {
  const CalcThread& w = *workers_[static_cast<std::size_t>(candidate)];
  const double g = w.Grades()[GradeTotal];
  if (!std::isfinite(g)) return false;
  const Project& p = w.WorkingProject();
  if (StatusReport(w.States(), p.ampCount, p.chassisCount).errors != 0) return false;
  return g < workers_[static_cast<std::size_t>(than)]->Grades()[GradeTotal];
}

OptimizerThread::PassEnd OptimizerThread::Pass(int iteration, double& b) {
  const int n = static_cast<int>(vars_.size());
  int k = 0;
  int a = 1;  // repeat counter
  while (k <= n + 1) {
    // Per mille of the pass; the two extrapolation trials would pass 1000.
    SetProgress(std::min(1000, static_cast<int>(std::lround((k + 1) * 1000.0 / n))));
    const int upWorker = (best_ + 1) % kWorkers;
    const int downWorker = (best_ + 2) % kWorkers;
    const Project& best = *projects_[static_cast<std::size_t>(best_)];
    Project& up = *projects_[static_cast<std::size_t>(upWorker)];
    Project& down = *projects_[static_cast<std::size_t>(downWorker)];
    up = best;
    down = best;
    bool runUp = false;
    bool runDown = false;
    if (k < n) {
      const OptimizerVariable& v = vars_[static_cast<std::size_t>(k)];
      const double x = OptimizerVariableValue(best, v);
      const StepCandidates t = StepTrials(x, v);
      SetOptimizerVariable(up, v, t.up);
      SetOptimizerVariable(down, v, t.down);
      // A candidate equal to the best crossover (a step of 0, or the
      // downward step at the lower bound) cannot be better: not computed.
      runUp = t.up != x;
      runDown = t.down != x;
    } else if (iteration >= 2) {
      // Extrapolation trials: trial n uses reference rows 0 and 1, trial
      // n + 1 rows 2 and 3. In the first iteration they would evaluate
      // unchanged copies of the best crossover, which can never be better,
      // so they are not computed.
      const int row = 2 * (k - n);
      for (std::size_t m = 0; m < vars_.size(); ++m) {
        const OptimizerVariable& v = vars_[m];
        const double x = OptimizerVariableValue(best, v);
        SetOptimizerVariable(up, v, ExtrapolationValue(x, refs_[m][static_cast<std::size_t>(row)], a, v.lowerBound));
        SetOptimizerVariable(down, v,
                             ExtrapolationValue(x, refs_[m][static_cast<std::size_t>(row + 1)], a, v.lowerBound));
      }
      runUp = true;
      runDown = true;
    }
    if (onTrial) onTrial(Trial{iteration, k, a, n, up, down, runUp, runDown});
    if (runUp) {
      workers_[static_cast<std::size_t>(upWorker)]->StartCalc(up);
      ++trials_;
    }
    if (runDown) {
      workers_[static_cast<std::size_t>(downWorker)]->StartCalc(down);
      ++trials_;
    }
    // The best worker is waited for as well: after a part was fixed it
    // recomputes the best crossover.
    if (!WaitWorkers(timeouts_.trial, milliseconds(10), {}))
      return Terminating() ? PassEnd::Terminated : PassEnd::TimedOut;

    const double bestGrade = workers_[static_cast<std::size_t>(best_)]->Grades()[GradeTotal];
    if (k == 0 && bestGrade > b) b = bestGrade;
    bool improved = false;
    double* step = k < n ? &vars_[static_cast<std::size_t>(k)].step : nullptr;
    if (runUp && Better(upWorker, best_)) {
      best_ = upWorker;
      improved = true;
      if (step != nullptr) *step *= kGrowth;
    }
    if (runDown && Better(downWorker, best_)) {
      best_ = downWorker;
      improved = true;
      if (step != nullptr) *step *= kGrowth;
    }
    if (step != nullptr) *step = AdjustStep(*step, vars_[static_cast<std::size_t>(k)], a);
    if (stopRequested_) return PassEnd::Stopped;
    // From the eighth iteration on a successful trial is repeated, each time
    // with a slightly larger push, up to six times.
    if (iteration >= 8 && improved && a < 6) {
      ++a;
    } else {
      ++k;
      a = 1;
    }
  }
  return PassEnd::Done;
}

void OptimizerThread::FixOnePart() {
  const int index = ChooseVariableToFix(vars_, *projects_[static_cast<std::size_t>(best_)]);
  if (index < 0) {
    vars_.clear();
    refs_.clear();
    return;
  }
  const OptimizerVariable& v = vars_[static_cast<std::size_t>(index)];
  Project& best = *projects_[static_cast<std::size_t>(best_)];
  CrossoverPart& part =
      best.amplifiers.at(static_cast<std::size_t>(v.amplifier)).crossover.at(static_cast<std::size_t>(v.slot));
  if (host_ != nullptr && !Terminating()) {
    if (onReport) onReport();
    part = host_->FixPart(v, part);
  }
  // The best worker recomputes its crossover with the fixed part; the next
  // trial waits for it together with the candidates.
  workers_[static_cast<std::size_t>(best_)]->StartCalc(best);
  RemoveFixedVariable(vars_, refs_, index);
}

OptimizerOutcome OptimizerThread::Run() {
  trials_ = 0;
  startGrades_ = {};
  startFailure_.clear();
  vars_ = CollectOptimizerVariables(*start_);
  // The reference rows stay at the start values for the whole run. The
  // extrapolation trials then push every value relative to the crossover the
  // user started from, the same start gives the same run, and a part fixed
  // to a standard value does not drag moving averages of the others along.
  refs_.assign(vars_.size(), VariableReferences{});
  for (std::size_t i = 0; i < vars_.size(); ++i) refs_[i].fill(vars_[i].startValue);
  if (vars_.empty()) return OptimizerOutcome::NothingMarked;

  // Initial evaluation: every worker takes the start project with the main
  // calculation's results and grades it with the run's parameters.
  int progress = 0;
  SetProgress(progress);
  const auto creep = [&] {
    progress = (progress * 99 + 1000) / 100;
    SetProgress(progress);
  };
  const auto initialEnd = Clock::now() + timeouts_.initial;
  const auto initialLeft = [&] {
    return std::max(milliseconds(0), std::chrono::duration_cast<milliseconds>(initialEnd - Clock::now()));
  };
  // A worker may still be busy with a calculation of a run that timed out.
  if (!WaitWorkers(initialLeft(), milliseconds(80), creep))
    return Terminating() ? OptimizerOutcome::Terminated : OptimizerOutcome::TimedOut;
  for (int i = 0; i < kWorkers; ++i) {
    CalcThread& w = *workers_[static_cast<std::size_t>(i)];
    w.Adopt(*start_, *startResult_, startStates_);
    w.optimizerParams = params_;
    *projects_[static_cast<std::size_t>(i)] = *start_;
    w.StartCalc(*start_);
  }
  best_ = 0;
  if (!WaitWorkers(initialLeft(), milliseconds(80), creep))
    return Terminating() ? OptimizerOutcome::Terminated : OptimizerOutcome::TimedOut;
  {
    const CalcThread& w = *workers_[0];
    startGrades_ = w.Grades();
    const CalcReport status = StatusReport(w.States(), start_->ampCount, start_->chassisCount);
    if (status.errors != 0 || !std::isfinite(w.Grades()[GradeTotal])) {
      if (status.errors != 0)
        for (const std::string& line : status.lines) startFailure_ += "\r" + line;
      return OptimizerOutcome::StartFailed;
    }
  }
  ReportGrades();

  double b = 100.0;  // smoothed grade of the stall test
  for (int iteration = 1;; ++iteration) {
    const PassEnd end = Pass(iteration, b);
    if (end == PassEnd::TimedOut) return OptimizerOutcome::TimedOut;
    if (end == PassEnd::Terminated) return OptimizerOutcome::Terminated;
    ReportGrades();
    bool finished =
        std::none_of(vars_.begin(), vars_.end(), [](const OptimizerVariable& v) { return v.step > v.lowerBound; });
    const bool stalled = UpdateStallMeasure(b, workers_[static_cast<std::size_t>(best_)]->Grades()[GradeTotal]);
    if (stopRequested_) finished = true;
    bool fixed = false;
    if (!finished && stalled) {
      FixOnePart();
      fixed = true;
    }
    if (vars_.empty()) {
      // The last part was fixed after the last report: report the crossover
      // as it now stands, so that the final grades belong to it.
      if (fixed) {
        if (!WaitWorkers(timeouts_.trial, milliseconds(10), {}))
          return Terminating() ? OptimizerOutcome::Terminated : OptimizerOutcome::TimedOut;
        ReportGrades();
      }
      finished = true;
    }
    if (finished) break;
  }
  return stopRequested_ ? OptimizerOutcome::Stopped : OptimizerOutcome::Finished;
}

}  // namespace sonvex
