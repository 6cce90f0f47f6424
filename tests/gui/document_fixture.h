#pragma once
// A scratch program folder answered by a scripted interaction, and a project
// document on it without any window: the ground of the editor tests.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "model/project_file.h"
#include "model/settings.h"
#include "support/scripted_interaction.h"
#include "support/test_projects.h"
#include "ui/document/project_document.h"

namespace sonvex {

// Answers like the script and counts the questions that wait for the
// calculation, so that a test can hold a calculation with a hook until the
// question has come, instead of with a pause it sits out.
struct WaitCountingInteraction : ScriptedInteraction {
  int ChooseButton(std::string_view message, std::string_view captions, int defaultIndex) override {
    if (message == kWaitIdleText) {
      {
        std::lock_guard lock(waitsMutex_);
        ++waits_;
      }
      asked_.notify_all();
    }
    return ScriptedInteraction::ChooseButton(message, captions, defaultIndex);
  }
  // A hook for CalcThread::onItemRun: holds the calculation until `needed`
  // such questions were asked. The time limit only keeps a fault from
  // hanging the suite.
  std::function<void(int)> HoldUntilAsked(const std::atomic<int>& needed) {
    return [this, &needed](int) {
      std::unique_lock lock(waitsMutex_);
      asked_.wait_for(lock, std::chrono::minutes(5), [&] { return waits_ >= needed; });
    };
  }

 private:
  std::mutex waitsMutex_;
  std::condition_variable asked_;
  int waits_ = 0;  // guarded by waitsMutex_
};

// A scratch program folder with its settings and a scripted interaction.
template <class Ui = ScriptedInteraction>
class ScratchFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    // The process id keeps parallel runs of the suite (other checkouts) apart.
    dir_ = std::filesystem::temp_directory_path() / (std::string("sonvex_gui_") + info->test_suite_name() + "_" +
                                                     info->name() + "_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    settings_ = MakeSettings(dir_, dir_ / "sonvex");
    for (const auto* folder : {&settings_.projectFolder, &settings_.chassisFolder, &settings_.partsFolder})
      std::filesystem::create_directories(*folder);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::filesystem::path DefaultFile() const { return settings_.projectFolder / "Default.ZPJ"; }

  std::filesystem::path dir_;
  Settings settings_;
  Ui ui_;
};

// A project document without any window: editor tests hold one and the
// editor they try, and edit through it as the program does.
template <class Ui = ScriptedInteraction>
class DocumentFixture : public ScratchFixture<Ui> {
 protected:
  void TearDown() override {
    doc_.reset();
    ScratchFixture<Ui>::TearDown();
  }
  // The document on `project` as read from its file, after its first calculation.
  ProjectDocument& StartDocument(const Project& project) {
    SaveProject(project, this->DefaultFile());
    doc_ = std::make_unique<ProjectDocument>(this->settings_, this->ui_);
    doc_->LoadFile(this->DefaultFile());
    doc_->StartCalculation(std::chrono::milliseconds(0));
    EXPECT_TRUE(doc_->WaitCalcIdle());
    return *doc_;
  }
  // The caption the undo item of the menu shows.
  std::string UndoCaption() const { return doc_->UndoHistory().Caption(); }

  std::unique_ptr<ProjectDocument> doc_;
};

}  // namespace sonvex
