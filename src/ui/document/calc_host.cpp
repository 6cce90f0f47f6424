#include "ui/document/calc_host.h"

#include <QMetaObject>
#include <QObject>
#include <utility>

namespace sonvex {

UiCalcHost::UiCalcHost(QObject* context, Callbacks callbacks) : context_(context), shared_(std::make_shared<Shared>()) {
  shared_->callbacks = std::move(callbacks);
}

UiCalcHost::~UiCalcHost() { Shutdown(); }

void UiCalcHost::Shutdown() { shared_->closed = true; }

int UiCalcHost::Undelivered() const { return shared_->undelivered; }

void UiCalcHost::Progress(int stepsDone, int stepsTotal, const std::string& text) {
  if (!shared_->callbacks.progress || shared_->closed) return;
  QMetaObject::invokeMethod(
      context_,
      [shared = shared_, stepsDone, stepsTotal, text] {
        if (!shared->closed) shared->callbacks.progress(stepsDone, stepsTotal, text);
      },
      Qt::QueuedConnection);
}

void UiCalcHost::Finished(const CalcStates& states, const CalcResult& result, const GradeBlock& grades) {
  if (!shared_->callbacks.finished || shared_->closed) return;
  const CalcReport report = StatusReport(states, result.ampCount, result.chassisCount);
  // The one copy of the result: the thread goes on with its own.
  auto snapshot = std::make_shared<CalcResult>(result);
  snapshot->valid = report.errors == 0;
  ++shared_->undelivered;
  QMetaObject::invokeMethod(
      context_,
      [shared = shared_, report, snapshot = std::move(snapshot), grades]() mutable {
        --shared->undelivered;
        if (!shared->closed) shared->callbacks.finished(report, std::move(snapshot), grades);
      },
      Qt::QueuedConnection);
}

}  // namespace sonvex
