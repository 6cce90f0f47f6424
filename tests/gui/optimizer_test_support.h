#pragma once
// What the optimizer window's tests and the main window's optimizer tests
// share: a detuned test box and a wait for a run that keeps the window
// messages going.
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTimer>
#include <chrono>
#include <memory>

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

// Runs the window messages for `ms` milliseconds.
inline void PumpWindowMessages(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// Keeps the window messages going until the optimizer is idle.
inline bool WaitOptimizerRun(CrossoverOptimizerWindow& w, std::chrono::seconds timeout = std::chrono::seconds(300)) {
  QElapsedTimer clock;
  clock.start();
  while (!w.Optimizer().IsIdle()) {
    if (clock.elapsed() > std::chrono::duration_cast<std::chrono::milliseconds>(timeout).count()) return false;
    PumpWindowMessages(10);
  }
  PumpWindowMessages(0);
  return true;
}

// Waits for the window to report the end of the run it asked to stop (the
// report comes through the window's event queue, so it cannot have come
// before the wait begins).
inline bool WaitRunFinished(CrossoverOptimizerWindow& w) {
  QSignalSpy finished(&w, &CrossoverOptimizerWindow::runFinished);
  return finished.wait(300000);
}

}  // namespace sonvex
