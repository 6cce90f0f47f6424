#pragma once
// What the optimizer window's tests and the main window's optimizer tests
// share: a detuned test box, a wait that keeps the window messages going
// until an event comes, and the wait for the end of a run.
#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <chrono>
#include <memory>
#include <mutex>

#include "model/project.h"
#include "support/test_projects.h"
#include "ui/editors/optimizer_window.h"

namespace sonvex {

// The two-way test box on a coarse grid (a whole run stays short) with its
// tweeter capacitor doubled and its woofer coil halved, both marked for
// optimisation.
inline std::unique_ptr<Project> DetunedTwoWay() {
  auto p = testing::MakeTwoWayProject(32);
  Crossover& x = p->amplifiers[0].crossover;
  x[0].value *= 2;
  x[0].optimize = true;
  x[1].value *= 0.5;
  x[1].optimize = true;
  return p;
}

// Keeps the window messages going on the user-interface thread until an
// event is announced with Announce(), from any thread (also before Run
// began). The optimizer's reports run on the user-interface thread while it
// waits for them, so a test that waits for the optimizer must keep them going.
class MessagesUntil {
 public:
  // From any thread: the awaited event came; Run returns.
  void Announce() {
    std::lock_guard lock(mutex_);
    announced_ = true;
    if (loop_ != nullptr) QMetaObject::invokeMethod(loop_, &QEventLoop::quit, Qt::QueuedConnection);
  }
  // Runs the window messages until the event was announced: true. The limit
  // only keeps a fault from hanging the suite (false then).
  bool Run(std::chrono::milliseconds limit = std::chrono::minutes(5)) {
    QEventLoop loop;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    {
      std::lock_guard lock(mutex_);
      if (announced_) return true;
      loop_ = &loop;
    }
    guard.start(limit);
    loop.exec();
    std::lock_guard lock(mutex_);
    loop_ = nullptr;
    return announced_;
  }

 private:
  std::mutex mutex_;
  bool announced_ = false;      // guarded by mutex_
  QEventLoop* loop_ = nullptr;  // guarded by mutex_: the loop of a Run under way
};

// Keeps the window messages going until the window reports the end of its
// run (the run's reports, its end among them, come through this thread's
// event queue; a window showing the idle buttons has no run going).
inline bool WaitOptimizerRun(CrossoverOptimizerWindow& w, std::chrono::seconds timeout = std::chrono::seconds(300)) {
  if (w.AbortButton()->isHidden()) return true;
  QSignalSpy finished(&w, &CrossoverOptimizerWindow::runFinished);
  return finished.wait(static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(timeout).count()));
}

}  // namespace sonvex
