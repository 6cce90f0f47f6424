#include "ui/calc_host.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <condition_variable>
#include <mutex>
#include <utility>

namespace sonvex {

struct TUiCalcHost::TShared {
  std::mutex mutex;
  std::condition_variable done;
  bool closed = false;
  unsigned long long posted = 0;    // calls posted to the user-interface thread
  unsigned long long finished = 0;  // calls that ran (or were skipped after Shutdown)
};

TUiCalcHost::TUiCalcHost(QObject* context, TCallbacks callbacks)
    : context_(context), callbacks_(std::move(callbacks)), shared_(std::make_shared<TShared>()) {}

TUiCalcHost::~TUiCalcHost() { Shutdown(); }

void TUiCalcHost::Shutdown() {
  {
    std::lock_guard lock(shared_->mutex);
    shared_->closed = true;
  }
  shared_->done.notify_all();
}

void TUiCalcHost::RunOnUi(const std::function<void()>& fn) {
  // Called on the user-interface thread itself (a synchronous calculation):
  // nothing to wait for.
  if (QThread::currentThread() == context_->thread()) {
    {
      std::lock_guard lock(shared_->mutex);
      if (shared_->closed) return;
    }
    fn();
    return;
  }
  std::shared_ptr<TShared> shared = shared_;
  unsigned long long ticket = 0;
  {
    std::lock_guard lock(shared->mutex);
    if (shared->closed) return;
    ticket = ++shared->posted;
  }
  // `fn` refers to data of the waiting calculation thread; it stays valid
  // because that thread waits until the call ran or the host was shut down,
  // and after Shutdown the call is skipped.
  QMetaObject::invokeMethod(
      context_,
      [shared, fn]() {
        bool run = false;
        {
          std::lock_guard lock(shared->mutex);
          run = !shared->closed;
        }
        if (run) fn();
        {
          std::lock_guard lock(shared->mutex);
          ++shared->finished;
        }
        shared->done.notify_all();
      },
      Qt::QueuedConnection);
  std::unique_lock lock(shared->mutex);
  shared->done.wait(lock, [&] { return shared->closed || shared->finished >= ticket; });
}

void TUiCalcHost::Progress(int stepsDone, int stepsTotal, const std::string& text) {
  if (!callbacks_.progress) return;
  RunOnUi([&] { callbacks_.progress(stepsDone, stepsTotal, text); });
}

void TUiCalcHost::StatusReport(const TCalcStruct& states, const TResult& result) {
  if (!callbacks_.statusReport) return;
  RunOnUi([&] { callbacks_.statusReport(states, result); });
}

void TUiCalcHost::HandBack(const TResult& result, const TGrades& grades) {
  if (!callbacks_.handBack) return;
  RunOnUi([&] { callbacks_.handBack(result, grades); });
}

}  // namespace sonvex
