#pragma once
// The main window on a scratch program folder, answered by a scripted
// interaction: the common ground of the main-window tests.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "document_fixture.h"
#include "model/project_file.h"
#include "ui/main/main_form.h"

namespace sonvex {

template <class Ui = TScriptedInteraction>
class TMainFormFixture : public TScratchFixture<Ui> {
 protected:
  void SetUp() override {
    TScratchFixture<Ui>::SetUp();
    options.calcPause = std::chrono::milliseconds(0);
    options.chassisCheckTimer = false;
  }
  void TearDown() override {
    form.reset();
    TScratchFixture<Ui>::TearDown();
  }

  using TScratchFixture<Ui>::DefaultFile;
  using TScratchFixture<Ui>::settings;
  using TScratchFixture<Ui>::ui;
  // Opens the main window on what the project folder holds and waits for
  // its first calculation.
  TMainForm& Start() {
    form = std::make_unique<TMainForm>(settings, ui, options);
    EXPECT_TRUE(form->WaitCalcIdle());
    return *form;
  }
  // The same on `project`, saved as Default.ZPJ first.
  TMainForm& StartOn(const TProjekt& project) {
    SaveProject(project, DefaultFile());
    return Start();
  }
  std::string UndoCaption() const { return form->Action("actUndo")->text().toStdString(); }

  TMainFormOptions options;
  std::unique_ptr<TMainForm> form;
};

}  // namespace sonvex
