#pragma once
// The host of the main window's calculation thread: progress, status report
// and hand-back run on the user-interface thread while the calculation thread
// waits for them; Shutdown() releases a waiting calculation thread at once,
// so the window can end the thread while a calculation runs.
#include <functional>
#include <string>

#include "calc/calc_thread.h"
#include "ui/document/ui_call.h"

class QObject;

namespace sonvex {

class UiCalcHost : public CalcHost {
 public:
  struct Callbacks {
    std::function<void(int stepsDone, int stepsTotal, const std::string& text)> progress;
    std::function<void(const CalcStates& states, const CalcResult& result)> statusReport;
    std::function<void(const CalcResult& result, const GradeBlock& grades)> handBack;
  };

  // `context` lives on the user-interface thread; callbacks run in its thread.
  UiCalcHost(QObject* context, Callbacks callbacks);
  ~UiCalcHost() override = default;
  UiCalcHost(const UiCalcHost&) = delete;
  UiCalcHost& operator=(const UiCalcHost&) = delete;

  // From the user-interface thread: no callback runs any more, and a
  // calculation thread waiting for one returns at once.
  void Shutdown() { call_.Shutdown(); }

  void Progress(int stepsDone, int stepsTotal, const std::string& text) override;
  void StatusReport(const CalcStates& states, const CalcResult& result) override;
  void HandBack(const CalcResult& result, const GradeBlock& grades) override;

 private:
  Callbacks callbacks_;
  UiCall call_;
};

}  // namespace sonvex
