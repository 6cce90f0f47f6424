#pragma once
// The calculation driver: a background thread that takes a copy of the
// project, finds what changed since its last calculation, recomputes the
// affected items one per pass with a pause after each, and hands back the
// result. The same class serves the optimizer as a silent worker, and offers
// a synchronous entry for the command-line program and tests.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "calc/grading.h"
#include "model/project.h"
#include "model/result.h"
#include "network/solver.h"

namespace sonvex {

// What the owner of a non-silent calculation thread is told. The desktop
// program runs these on its user-interface thread while the calculation
// thread waits; the command-line program and tests call them directly.
class CalcHost {
 public:
  virtual ~CalcHost() = default;
  // While items run: "Berechnung läuft: " + percentage. Only when at least one item is dirty.
  virtual void Progress(int stepsDone, int stepsTotal, const std::string& text) = 0;
  // A calculation is finished: its item states (the status report and error
  // list), its result and grade block. `result` is the thread's own working
  // result, valid during the call only: a host that keeps it takes a copy.
  // Called before the thread goes idle.
  virtual void Finished(const CalcStates& states, const CalcResult& result, const GradeBlock& grades) = 0;
};

// "Berechnung läuft: " + FormatNumber(done·100/total, 4) + "%".
std::string ProgressText(int stepsDone, int stepsTotal);

// Runs one calculation item (index in the order of CalcStates) on the
// working project and stores its results and state. Never throws.
void RunCalcItem(int item, const Project& p, CalcResult& r, CalcStates& states, SolverWork& work);

// Whether going from project `old` to project `updated` needs the full request:
// true when they differ in a field that a chassis, baffle or whole-box step
// reads but the change detection of the incremental request does not compare
// (the frequency grid, the numbers of chassis and amplifiers, the smoothing
// widths of measured curves, the common outer enclosure).
bool NeedsFullCalc(const Project& old, const Project& updated);

class CalcThread {
 public:
  // `host` may be null; a silent instance never calls it. `pause` follows each
  // step: 650 ms for the main window, 65 ms for optimizer workers, 0 for the
  // command-line program and tests.
  CalcThread(CalcHost* host, bool silent, std::chrono::milliseconds pause);
  ~CalcThread();
  CalcThread(const CalcThread&) = delete;
  CalcThread& operator=(const CalcThread&) = delete;

  // Starts the background thread. It stays idle until the first request.
  // Without it, ComputeUntilDone runs the same passes on the caller's thread.
  void Start();

  // Requests: copy the project into the mailbox and wake the thread.
  void StartCalc(const Project& p);
  void StartFullCalc(const Project& p);
  // True while the thread has finished its last calculation and waits.
  bool IsIdle() const;
  // Changes the pause after each step; the next pause uses it.
  void SetPause(std::chrono::milliseconds pause);
  // Blocks until the thread is idle (or `timeout` passes; then false).
  bool WaitIdle(std::chrono::milliseconds timeout = std::chrono::hours(24)) const;

  // Takes over a working project, its result and item states from another
  // calculation (the optimizer seeds its workers this way), so that the next
  // request recomputes only what differs from them. Only while idle.
  void Adopt(const Project& working, const CalcResult& result, const CalcStates& states);

  // Synchronous entry: runs passes without pauses until the pending requests
  // are done. Only while no background thread runs.
  void ComputeUntilDone();

  // Read these only while the thread is idle (or from the host callbacks).
  const CalcResult& Result() const { return *result_; }
  CalcResult& Result() { return *result_; }
  const CalcStates& States() const { return states_; }
  CalcStates& States() { return states_; }
  const Project& WorkingProject() const { return *working_; }
  const GradeBlock& Grades() const { return grades_; }
  int StepsTotal() const { return stepsTotal_; }
  int StepsDone() const { return stepsDone_; }

  // Optimizer parameters used by the grade block; set them while idle.
  OptimizerParams optimizerParams = DefaultOptimizerParams();

  // Test hook: called on the calculation thread after each item ran.
  std::function<void(int item)> onItemRun;
  // Test hook: called on the calculation thread each time it begins to wait
  // for a request (once before the first one, then whenever it became idle),
  // with the thread's lock held: it must not call the thread.
  std::function<void()> onWaitForRequest;

 private:
  enum class PassOutcome { StepRan, Finished };
  void Execute();
  PassOutcome Pass();
  void DetectChanges();  // mailbox lock held
  void Finish();

  CalcHost* host_;
  const bool silent_;
  std::chrono::milliseconds pause_;  // guarded by mutex_

  mutable std::mutex mutex_;
  mutable std::condition_variable wake_;    // requests and termination
  mutable std::condition_variable idleCv_;  // becoming idle
  std::unique_ptr<Project> mailbox_;        // guarded by mutex_
  bool checkChanges_ = false;               // guarded by mutex_
  bool resetAll_ = false;                   // guarded by mutex_
  bool terminate_ = false;                  // guarded by mutex_
  bool idle_ = true;                        // guarded by mutex_
  bool requested_ = false;                  // guarded by mutex_: a request has come since construction

  std::unique_ptr<Project> working_;
  std::unique_ptr<CalcResult> result_;
  CalcStates states_;
  GradeBlock grades_{};
  SolverWork solverWork_;  // the crossover solver's equation matrix, reused
  int stepsTotal_ = 0;
  int stepsDone_ = 0;
  std::thread thread_;
};

}  // namespace sonvex
