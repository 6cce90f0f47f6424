#include "ui/document/ui_call.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <condition_variable>
#include <mutex>

namespace sonvex {

struct UiCall::Shared {
  std::mutex mutex;
  std::condition_variable done;
  bool closed = false;
  unsigned long long posted = 0;    // calls posted to the user-interface thread
  unsigned long long finished = 0;  // calls that ran (or were skipped after Shutdown)
};

UiCall::UiCall(QObject* context) : context_(context), shared_(std::make_shared<Shared>()) {}

UiCall::~UiCall() { Shutdown(); }

void UiCall::Shutdown() {
  {
    std::lock_guard lock(shared_->mutex);
    shared_->closed = true;
  }
  shared_->done.notify_all();
}

void UiCall::Run(const std::function<void()>& fn) {
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
  std::shared_ptr<Shared> shared = shared_;
  unsigned long long ticket = 0;
  {
    std::lock_guard lock(shared->mutex);
    if (shared->closed) return;
    ticket = ++shared->posted;
  }
  // `fn` refers to data of the waiting worker; it stays valid because the
  // worker waits until the call ran or Shutdown released it, and after
  // Shutdown the call is skipped.
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

}  // namespace sonvex
