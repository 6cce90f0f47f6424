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

class TUiCalcHost : public TCalcHost {
 public:
  struct TCallbacks {
    std::function<void(int stepsDone, int stepsTotal, const std::string& text)> progress;
    std::function<void(const TCalcStruct& states, const TResult& result)> statusReport;
    std::function<void(const TResult& result, const TGrades& grades)> handBack;
  };

  // `context` lives on the user-interface thread; callbacks run in its thread.
  TUiCalcHost(QObject* context, TCallbacks callbacks);
  ~TUiCalcHost() override = default;
  TUiCalcHost(const TUiCalcHost&) = delete;
  TUiCalcHost& operator=(const TUiCalcHost&) = delete;

  // From the user-interface thread: no callback runs any more, and a
  // calculation thread waiting for one returns at once.
  void Shutdown() { call_.Shutdown(); }

  void Progress(int stepsDone, int stepsTotal, const std::string& text) override;
  void StatusReport(const TCalcStruct& states, const TResult& result) override;
  void HandBack(const TResult& result, const TGrades& grades) override;

 private:
  TCallbacks callbacks_;
  TUiCall call_;
};

}  // namespace sonvex
