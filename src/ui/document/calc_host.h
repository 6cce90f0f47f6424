#pragma once
// The host of the main window's calculation thread. Progress and each
// finished calculation are posted to the user-interface thread; the
// calculation never waits for that thread. A finished calculation is handed
// over once, as a snapshot of its result that the calculation thread made
// and keeps no part of. Shutdown() drops everything still on its way, so
// the window can end the thread while a calculation runs.
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "calc/calc_thread.h"
#include "calc/check.h"

class QObject;

namespace sonvex {

class UiCalcHost : public CalcHost {
 public:
  struct Callbacks {
    std::function<void(int stepsDone, int stepsTotal, const std::string& text)> progress;
    std::function<void(const CalcReport& report, std::shared_ptr<CalcResult> result, const GradeBlock& grades)>
        finished;
  };

  // `context` lives on the user-interface thread; callbacks run in its thread.
  UiCalcHost(QObject* context, Callbacks callbacks);
  ~UiCalcHost() override;
  UiCalcHost(const UiCalcHost&) = delete;
  UiCalcHost& operator=(const UiCalcHost&) = delete;

  // From the user-interface thread: no callback runs any more.
  void Shutdown();
  // Finished calculations posted but not yet handed over.
  int Undelivered() const;

  void Progress(int stepsDone, int stepsTotal, const std::string& text) override;
  void Finished(const CalcStates& states, const CalcResult& result, const GradeBlock& grades) override;

 private:
  // What a posted call still needs after the host is gone.
  struct Shared {
    Callbacks callbacks;
    std::atomic<bool> closed{false};
    std::atomic<int> undelivered{0};
  };
  QObject* context_;
  std::shared_ptr<Shared> shared_;
};

}  // namespace sonvex
