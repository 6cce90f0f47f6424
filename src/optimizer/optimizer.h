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
#include "optimizer/opti_steps.h"

namespace sonvex {

// What the optimizer tells its owner. Called on the optimizer thread; the
// desktop program runs them on its user-interface thread and waits.
class TOptiHost {
 public:
  virtual ~TOptiHost() = default;
  // Progress in per mille, 0..1000; -1 at the end of a run (bar hidden).
  virtual void Progress(int perMille) = 0;
  // The grades and results of the best crossover so far, after the initial
  // evaluation and after every pass.
  virtual void GradeReport(const TGrades& grades, const TResult& result) = 0;
  // A stalled part is fixed: returns the record to write into the best
  // crossover (the part unchanged keeps its continuous value).
  virtual TWPart FixPart(const TOptiValue& variable, const TWPart& part) = 0;
  // The run ended by itself. Its end message (OptiEndText of StartGrades and
  // BestGrades) says whether it was a success.
  virtual void Success() = 0;
  // The run could not go on (calculation time-out, failed start
  // calculation, nothing marked); not reported as success.
  virtual void Failure(const std::string& message) = 0;
};

inline constexpr std::string_view kOptiSuccessText = "Die Optimierung wurde erfolgreich beendet.";

// How the total grade of the crossover a run ended with compares with the
// grade of the crossover it started from, at the three decimals the grade
// lists show (a part fixed to a standard value after the last improvement,
// E12 say, can leave the end worse than the start: 6,353 -> 6,363).
enum class TOptiEndVerdict { Better, Same, Worse };
TOptiEndVerdict OptiEndVerdict(double startGrade, double endGrade);
// A total grade as the end message shows it: three decimals, decimal comma.
std::string OptiGradeText(double grade);
// The end message of a run that ended by itself, naming both total grades:
// the success text when the end is better, else what happened; a worse end
// proposes keeping the start values.
std::string OptiEndText(double startGrade, double endGrade);
inline constexpr std::string_view kOptiKeepStartText = "Es wird empfohlen, die Startwerte zu behalten.";
inline constexpr std::string_view kOptiTimeoutText =
    "Die Optimierung wurde abgebrochen: Die Berechnung hat zu lange gedauert.";
inline constexpr std::string_view kOptiStartFailedText =
    "Die Optimierung wurde abgebrochen: Die Berechnung der Ausgangsweiche ist fehlerhaft.";

// How a run ended.
enum class TOptiOutcome {
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
struct TOptiTimeouts {
  std::chrono::milliseconds initial{143200};
  std::chrono::milliseconds trial{30000};
};

class TOptiThread {
 public:
  // `workerPause` follows every step of a worker: 65 ms in the desktop
  // program so that the user interface stays responsive, 0 headless.
  TOptiThread(TOptiHost* host, std::chrono::milliseconds workerPause, TOptiTimeouts timeouts = {});
  ~TOptiThread();
  TOptiThread(const TOptiThread&) = delete;
  TOptiThread& operator=(const TOptiThread&) = delete;

  // Starts a run on `project` whose current calculation results and item
  // states are `result` and `states` (the main calculation, idle), graded
  // with `params`. Clears the stop request. False (nothing happens) while a
  // run is going on.
  bool StartRun(const TProjekt& project, const TResult& result, const TCalcStruct& states, const TOptiParams& params);
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
  const TProjekt& StartProject() const { return *start_; }
  // The grades of the start crossover, from the initial evaluation of the
  // last run (zero before one). This and the best grades may also be read
  // from the host's Success and Failure calls: the run is over by then.
  const TGrades& StartGrades() const { return startGrades_; }
  const TProjekt& BestProject() const;
  const TResult& BestResult() const;
  const TCalcStruct& BestStates() const;
  const TGrades& BestGrades() const;
  // The variables still free at the end of the last run.
  const std::vector<TOptiValue>& Variables() const { return vars_; }
  TOptiOutcome LastOutcome() const { return outcome_; }
  // Candidate calculations of the last run.
  long Trials() const { return trials_; }

  // Test hook: called on the optimizer thread with every trial before its
  // candidates are computed.
  struct TTrial {
    int iteration;  // 1, 2, ...
    int k;          // trial index 0..variables + 1
    int repeat;     // repeat counter 1..6
    int variables;  // variables in use
    const TProjekt& up;
    const TProjekt& down;
    bool computeUp;  // false: the candidate equals the best crossover
    bool computeDown;
  };
  std::function<void(const TTrial&)> onTrial;

 private:
  // Three workers: the best crossover and the two candidates of a step.
  // (Two further instances were never used by the search; they would only
  // hold two more result records.)
  static constexpr int kWorkers = 3;

  void Execute();
  TOptiOutcome Run();
  // One pass over the trials; a timed-out or terminated wait ends it.
  enum class TPassEnd { Done, Stopped, TimedOut, Terminated };
  TPassEnd Pass(int iteration, double& b);
  bool WaitWorkers(std::chrono::milliseconds timeout, std::chrono::milliseconds tick,
                   const std::function<void()>& onTick);
  bool Better(int candidate, int than) const;
  void FixOnePart();
  void SetProgress(int perMille);
  void ReportGrades();
  bool Terminating() const { return terminate_.load(); }

  TOptiHost* host_;
  const TOptiTimeouts timeouts_;

  mutable std::mutex mutex_;
  std::condition_variable wake_;            // run requests and termination
  mutable std::condition_variable idleCv_;  // end of a run
  bool runRequested_ = false;               // guarded by mutex_
  bool idle_ = true;                        // guarded by mutex_
  std::atomic<bool> terminate_{false};
  std::atomic<bool> stopRequested_{false};
  std::atomic<int> progress_{-1};

  // Written by StartRun while idle, read by the run.
  std::unique_ptr<TProjekt> start_;
  std::unique_ptr<TResult> startResult_;
  TCalcStruct startStates_;
  TOptiParams params_;
  // Written by the run: the start crossover's grades, and the error lines
  // of a start calculation that failed (handed on with kOptiStartFailedText).
  TGrades startGrades_{};
  std::string startFailure_;

  // Owned by the optimizer thread during a run.
  std::array<std::unique_ptr<TCalcThread>, kWorkers> workers_;
  // The project each worker was last given (its mailbox).
  std::array<std::unique_ptr<TProjekt>, kWorkers> projects_;
  // The worker holding the best crossover. Instead of copying an accepted
  // candidate's project, results and grades into a fixed best worker, the
  // roles rotate: the accepted worker becomes the best one.
  int best_ = 0;
  std::vector<TOptiValue> vars_;
  std::vector<TOptiReference> refs_;
  TOptiOutcome outcome_ = TOptiOutcome::None;
  long trials_ = 0;

  std::thread thread_;  // last: started when everything else exists
};

}  // namespace sonvex
