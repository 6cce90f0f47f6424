#pragma once
// The main window on a scratch program folder, answered by a scripted
// interaction: the common ground of the main-window tests.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "document_fixture.h"
#include "named_controls.h"
#include "model/project_file.h"
#include "ui/main/main_window.h"

namespace sonvex {

template <class Ui = ScriptedInteraction>
class MainWindowFixture : public ScratchFixture<Ui> {
 protected:
  void SetUp() override {
    ScratchFixture<Ui>::SetUp();
    options_.calcPause = std::chrono::milliseconds(0);
    options_.chassisCheckTimer = false;
  }
  void TearDown() override {
    form_.reset();
    ScratchFixture<Ui>::TearDown();
  }

  using ScratchFixture<Ui>::DefaultFile;
  using ScratchFixture<Ui>::settings_;
  using ScratchFixture<Ui>::ui_;
  // Opens the main window on what the project folder holds and waits for
  // its first calculation.
  MainWindow& Start() {
    form_ = std::make_unique<MainWindow>(settings_, ui_, options_);
    EXPECT_TRUE(form_->WaitCalcIdle());
    return *form_;
  }
  // The same on `project`, saved as Default.ZPJ first.
  MainWindow& StartOn(const Project& project) {
    SaveProject(project, DefaultFile());
    return Start();
  }
  std::string UndoCaption() const { return Action(*form_, "actUndo")->text().toStdString(); }

  MainWindowOptions options_;
  std::unique_ptr<MainWindow> form_;
};

}  // namespace sonvex
