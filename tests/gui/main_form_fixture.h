#pragma once
// The main window on a scratch program folder, answered by a scripted
// interaction: the common ground of the window tests.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "model/project_file.h"
#include "model/settings.h"
#include "support/scripted_interaction.h"
#include "support/test_projects.h"
#include "ui/main/main_form.h"

namespace sonvex {

// Answers like the script and counts the questions that wait for the
// calculation, so that a test can hold a calculation with a hook until the
// question has come, instead of with a pause it sits out.
struct TCountingWaits : TScriptedInteraction {
  std::atomic<int> waits{0};
  int ChooseButton(std::string_view message, std::string_view captions, int defaultIndex) override {
    if (message == kWaitIdleText) ++waits;
    return TScriptedInteraction::ChooseButton(message, captions, defaultIndex);
  }
  // A hook for TCalcThread::onItemRun: holds the calculation until `needed`
  // such questions were asked.
  std::function<void(int)> HoldUntilAsked(const std::atomic<int>& needed) {
    return [this, &needed](int) {
      while (waits < needed) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
  }
};

template <class Ui = TScriptedInteraction>
class TMainFormFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    // The process id keeps parallel runs of the suite (other checkouts) apart.
    dir = std::filesystem::temp_directory_path() / (std::string("sonvex_gui_") + info->test_suite_name() + "_" +
                                                    info->name() + "_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    settings = MakeSettings(dir, dir / "sonvex");
    for (const auto* folder : {&settings.projectFolder, &settings.chassisFolder, &settings.partsFolder})
      std::filesystem::create_directories(*folder);
    options.calcPause = std::chrono::milliseconds(0);
    options.chassisCheckTimer = false;
  }
  void TearDown() override {
    form.reset();
    std::filesystem::remove_all(dir);
  }

  std::filesystem::path DefaultFile() const { return settings.projectFolder / "Default.ZPJ"; }
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

  std::filesystem::path dir;
  TSettings settings;
  Ui ui;
  TMainFormOptions options;
  std::unique_ptr<TMainForm> form;
};

}  // namespace sonvex
