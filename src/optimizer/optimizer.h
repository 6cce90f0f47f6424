#pragma once
// The crossover optimizer: a coordinate-wise pattern search over the values of
// the crossover parts marked for optimisation. Every candidate is graded by a
// complete (incremental) calculation of the whole loudspeaker on worker
// calculation threads; when the improvement stalls one part is fixed to a
// standard value and the search goes on with the others.
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "calc/calc_thread.h"
#include "calc/grading.h"
#include "model/project.h"
#include "model/result.h"
#include "optimizer/optimizer_steps.h"

namespace sonvex {

// What the optimizer tells its owner. Called on the optimizer thread; the
// desktop program runs them on its user-interface thread and waits.
class OptimizerHost {
 public:
  virtual ~OptimizerHost() = default;
  // Progress in per mille, 0..1000; -1 at the end of a run (bar hidden).
  virtual void Progress(int perMille) = 0;
  // The grades and results of the best crossover so far, after the initial
  // evaluation and after every pass.
  virtual void GradeReport(const GradeBlock& grades, const CalcResult& result) = 0;
  // A stalled part is fixed: returns the record to write into the best
  // crossover (the part unchanged keeps its continuous value).
  virtual CrossoverPart FixPart(const OptimizerVariable& variable, const CrossoverPart& part) = 0;
  // The run ended by itself. Its end message (OptimizerEndText of StartGrades and
  // BestGrades) says whether it was a success.
  virtual void Success() = 0;
  // The run could not go on (calculation time-out, failed start
  // calculation, nothing marked); not reported as success.
  virtual void Failure(const std::string& message) = 0;
  // The run is over, whichever way it ended (a stop request too), and the
  // thread is idle: called after it became idle, not while it terminates.
  virtual void Idle() {}
};

inline constexpr std::string_view kOptimizerSuccessText = "Die Optimierung wurde erfolgreich beendet.";

// How the total grade of the crossover a run ended with compares with the
// grade of the crossover it started from, at the three decimals the grade
// lists show (a part fixed to a standard value after the last improvement,
// E12 say, can leave the end worse than the start: 6,353 -> 6,363).
enum class OptimizerEndVerdict { Better, Same, Worse };
OptimizerEndVerdict JudgeOptimizerEnd(double startGrade, double endGrade);
// A total grade as the end message shows it: three decimals, decimal comma.
std::string TotalGradeText(double grade);
// The end message of a run that ended by itself, naming both total grades:
// the success text when the end is better, else what happened; a worse end
// proposes keeping the start values.
std::string OptimizerEndText(double startGrade, double endGrade);
inline constexpr std::string_view kOptimizerKeepStartText = "Es wird empfohlen, die Startwerte zu behalten.";
inline constexpr std::string_view kOptimizerTimeoutText =
    "Die Optimierung wurde abgebrochen: Die Berechnung hat zu lange gedauert.";
inline constexpr std::string_view kOptimizerStartFailedText =
    "Die Optimierung wurde abgebrochen: Die Berechnung der Ausgangsweiche ist fehlerhaft.";

// How a run ended.
enum class OptimizerOutcome {
  None,           // no run yet
  Finished,       // ended by itself (success report)
  Stopped,        // stop request
  TimedOut,       // a calculation did not end in time
  StartFailed,    // the start crossover does not compute without errors
  NothingMarked,  // no variable
  Terminated,     // the optimizer is being destroyed
};

// Longest waits for the workers. The initial evaluation may have to compute
// more than a crossover (1790 ticks of 80 ms); a trial computes the check,
// the crossovers concerned and the whole box.
struct OptimizerTimeouts {
  std::chrono::milliseconds initial{143200};
  std::chrono::milliseconds trial{30000};
};

class OptimizerThread {
 public:
  // `workerPause` follows every step of a worker: 65 ms in the desktop
  // program so that the user interface stays responsive, 0 headless.
  OptimizerThread(OptimizerHost* host, std::chrono::milliseconds workerPause, OptimizerTimeouts timeouts = {});
  ~OptimizerThread();
  OptimizerThread(const OptimizerThread&) = delete;
  OptimizerThread& operator=(const OptimizerThread&) = delete;

  // Starts a run on `project` whose current calculation results and item
  // states are `result` and `states` (the main calculation, idle), graded
  // with `params`. Clears the stop request. False (nothing happens) while a
  // run is going on.
  bool StartRun(const Project& project, const CalcResult& result, const CalcStates& states,
                const OptimizerParams& params);
  // Ends the running pass at the next trial; the run then ends without the
  // success report.
  void RequestStop();
  bool IsIdle() const;
  // Blocks until no run is going on (or `timeout` passes; then false).
  bool WaitIdle(std::chrono::milliseconds timeout = std::chrono::hours(24)) const;
  // Changes the pause of the workers after each step; a running pass
  // follows from its next step.
  void SetWorkerPause(std::chrono::milliseconds pause);
  // Progress of the running run in per mille, -1 when none runs.
  int Progress() const { return progress_.load(); }

  // Read these only while idle. The best crossover found (the start project
  // before the first run), its results, item states and grades; after a
  // time-out they first wait for its calculation to end.
  const Project& StartProject() const { return *start_; }
  // The grades of the start crossover, from the initial evaluation of the
  // last run (zero before one). This and the best grades may also be read
  // from the host's Success and Failure calls: the run is over by then.
  const GradeBlock& StartGrades() const { return startGrades_; }
  const Project& BestProject() const;
  const CalcResult& BestResult() const;
  const CalcStates& BestStates() const;
  const GradeBlock& BestGrades() const;
  // The variables still free at the end of the last run.
  const std::vector<OptimizerVariable>& Variables() const { return vars_; }
  OptimizerOutcome LastOutcome() const { return outcome_; }
  // Candidate calculations of the last run.
  long Trials() const { return trials_; }

  // Test hook: called on the optimizer thread with every trial before its
  // candidates are computed.
  struct Trial {
    int iteration;  // 1, 2, ...
    int k;          // trial index 0..variables + 1
    int repeat;     // repeat counter 1..6
    int variables;  // variables in use
    const Project& up;
    const Project& down;
    bool computeUp;  // false: the candidate equals the best crossover
    bool computeDown;
  };
  std::function<void(const Trial&)> onTrial;
  // Test hook: called on the optimizer thread right before each report to
  // the host (progress, grades, a part to fix; the end of a run reports its
  // progress first).
  std::function<void()> onReport;

 private:
  // Three workers: the best crossover and the two candidates of a step.
  // (Two further instances were never used by the search; they would only
  // hold two more result records.)
  static constexpr int kWorkers = 3;

  void Execute();
  OptimizerOutcome Run();
  // One pass over the trials; a timed-out or terminated wait ends it.
  enum class PassEnd { Done, Stopped, TimedOut, Terminated };
  PassEnd Pass(int iteration, double& b);
  bool WaitWorkers(std::chrono::milliseconds timeout, std::chrono::milliseconds tick,
                   const std::function<void()>& onTick);
  bool Better(int candidate, int than) const;
  void FixOnePart();
  void SetProgress(int perMille);
  void ReportGrades();
  bool Terminating() const { return terminate_.load(); }

  OptimizerHost* host_;
  const OptimizerTimeouts timeouts_;

  mutable std::mutex mutex_;
  std::condition_variable wake_;            // run requests and termination
  mutable std::condition_variable idleCv_;  // end of a run
  bool runRequested_ = false;               // guarded by mutex_
  bool idle_ = true;                        // guarded by mutex_
  std::atomic<bool> terminate_{false};
  std::atomic<bool> stopRequested_{false};
  std::atomic<int> progress_{-1};

  // Written by StartRun while idle, read by the run.
  std::unique_ptr<Project> start_;
  std::unique_ptr<CalcResult> startResult_;
  CalcStates startStates_;
  OptimizerParams params_;
  // Written by the run: the start crossover's grades, and the error lines
  // of a start calculation that failed (handed on with kOptimizerStartFailedText).
  GradeBlock startGrades_{};
  std::string startFailure_;

  // Owned by the optimizer thread during a run.
  std::array<std::unique_ptr<CalcThread>, kWorkers> workers_;
  // The project each worker was last given (its mailbox).
  std::array<std::unique_ptr<Project>, kWorkers> projects_;
  // The worker holding the best crossover. Instead of copying an accepted
  // candidate's project, results and grades into a fixed best worker, the
  // roles rotate: the accepted worker becomes the best one.
  int best_ = 0;
  std::vector<OptimizerVariable> vars_;
  std::vector<VariableReferences> refs_;
  OptimizerOutcome outcome_ = OptimizerOutcome::None;
  long trials_ = 0;

  std::thread thread_;  // last: started when everything else exists
};

}  // namespace sonvex
