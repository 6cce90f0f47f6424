#pragma once
// Runs a function of a worker thread (a calculation or the optimizer) on the
// user-interface thread and lets the worker wait until it ran.
//
// The call is posted to the user-interface thread and the worker waits on a
// condition of its own rather than in a blocking queued call. Shutdown()
// releases a waiting worker at once and skips every later call, so the window
// can end the worker in the middle of its work (a blocking queued call would
// deadlock against the window joining the thread).
#include <functional>
#include <memory>

class QObject;

namespace sonvex {

class UiCall {
 public:
  // `context` lives on the user-interface thread; the calls run in its thread.
  explicit UiCall(QObject* context);
  ~UiCall();
  UiCall(const UiCall&) = delete;
  UiCall& operator=(const UiCall&) = delete;

  // From the user-interface thread: no call runs any more, and a worker
  // waiting for one returns at once.
  void Shutdown();
  // Runs `fn` on the user-interface thread and returns when it ran or was
  // skipped; on the user-interface thread itself it simply runs it.
  void Run(const std::function<void()>& fn);

 private:
  struct Shared;
  QObject* context_;
  std::shared_ptr<Shared> shared_;
};

}  // namespace sonvex
