// The project document without any window: edits and their undo steps,
// empty edits, the saved state, the signals around a replaced project, the
// recalculation an edit or undo needs, and the reference commands.
#include "ui/document/project_document.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "acoustics/enclosure.h"
#include "document_fixture.h"
#include "model/project_file.h"
#include "support/scripted_interaction.h"
#include "support/test_projects.h"

namespace sonvex {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

class ProjectDocumentTest : public DocumentFixture<> {
 protected:
  void SetUp() override {
    DocumentFixture::SetUp();
    StartDocument(*testing::MakeTwoWayProject(40));
    doc_->Calculation().onItemRun = [this](int item) {
      std::lock_guard lock(mutex_);
      ran_.insert(item);
    };
  }
  // The items the calculation ran since the last call.
  std::set<int> Ran() {
    EXPECT_TRUE(doc_->WaitCalcIdle());
    std::lock_guard lock(mutex_);
    std::set<int> r;
    r.swap(ran_);
    return r;
  }

  std::mutex mutex_;
  std::set<int> ran_;
};

TEST_F(ProjectDocumentTest, EachCommitIsOneUndoStepWithItsCaption) {
  int projectSignals = 0;
  int undoSignals = 0;
  QObject::connect(doc_.get(), &ProjectDocument::projectChanged, [&] { ++projectSignals; });
  QObject::connect(doc_.get(), &ProjectDocument::undoChanged, [&] { ++undoSignals; });
  const double before = doc_->CurrentProject().amplifiers[0].level;
  ASSERT_TRUE(doc_->Saved());
  {
    ProjectEdit edit(*doc_, "Aktives Filter 1 editieren");
    edit.EditedProject().amplifiers[0].level = 0.5;
    EXPECT_EQ(doc_->CurrentProject().amplifiers[0].level, before);  // nothing before the commit
    edit.Commit();
  }
  EXPECT_EQ(doc_->CurrentProject().amplifiers[0].level, 0.5);
  EXPECT_FALSE(doc_->Saved());
  EXPECT_EQ(doc_->UndoHistory().Count(), 1);
  EXPECT_EQ(doc_->UndoHistory().TopDescription(), "Aktives Filter 1 editieren");
  EXPECT_EQ(projectSignals, 1);
  EXPECT_EQ(undoSignals, 1);
  // The recalculation: the filter of amplifier 1 and what follows from it.
  const std::set<int> ran = Ran();
  EXPECT_TRUE(ran.count(CalcStates::kActiveFilter0) == 1);
  EXPECT_TRUE(ran.count(CalcStates::kBaffle0) == 0);

  // Undo brings the snapshot taken when the edit began, and with it the
  // saved state.
  doc_->Undo();
  EXPECT_EQ(doc_->CurrentProject().amplifiers[0].level, before);
  EXPECT_EQ(doc_->UndoHistory().Count(), 0);
  EXPECT_TRUE(doc_->Saved());

  // An edit without a caption makes no undo step (the optimizer putting the
  // project back as it was before a run).
  ProjectEdit quiet(*doc_, std::nullopt);
  quiet.EditedProject().amplifiers[0].level = 0.25;
  quiet.Commit();
  EXPECT_EQ(doc_->UndoHistory().Count(), 0);
  EXPECT_EQ(doc_->CurrentProject().amplifiers[0].level, 0.25);
  // No undo leads back to the saved project any more.
  EXPECT_FALSE(doc_->Saved());
}

TEST_F(ProjectDocumentTest, AnEditThatChangesNothingCommitsNothing) {
  int emitted = 0;
  QObject::connect(doc_.get(), &ProjectDocument::projectChanged, [&] { ++emitted; });
  QObject::connect(doc_.get(), &ProjectDocument::undoChanged, [&] { ++emitted; });
  QObject::connect(doc_.get(), &ProjectDocument::savedChanged, [&] { ++emitted; });
  ASSERT_TRUE(doc_->Saved());
  Ran();
  {
    // Values derived from a chassis follow from its records: changing them
    // alone is no change.
    ProjectEdit edit(*doc_, "Chassis 1 editieren");
    edit.EditedProject().chassis[0].derived.fc = 1234;
    EXPECT_FALSE(edit.Commit());
  }
  {
    ProjectEdit edit(*doc_, "Aktives Filter 1 editieren");
    edit.EditedProject().amplifiers[0].level = 0.5;
    edit.EditedProject().amplifiers[0].level = doc_->CurrentProject().amplifiers[0].level;
    EXPECT_FALSE(edit.Commit());
  }
  EXPECT_TRUE(doc_->Saved());
  EXPECT_EQ(doc_->UndoHistory().Count(), 0);
  EXPECT_EQ(emitted, 0);
  EXPECT_TRUE(Ran().empty());
  EXPECT_EQ(doc_->CurrentProject().chassis[0].derived.fc, ([&] {
              auto p = std::make_unique<Project>(doc_->CurrentProject());
              DeriveChassisValues(*p);
              return p->chassis[0].derived.fc;
            }()));
}

// What an edit computes and announces follows from what it changed.
TEST_F(ProjectDocumentTest, WhatAnEditComputesFollowsFromWhatChanged) {
  struct Case {
    const char* what;
    void (*change)(Project&);
    bool computes;  // any calculation step runs
    bool display;   // the charts are drawn anew at once
    bool counts;
  };
  const Case cases[] = {
      {"colour", [](Project& p) { p.colorSetChassis[1] = RGBColor(1, 2, 3); }, false, true, false},
      {"scale", [](Project& p) { p.dBMax = p.dBMax + 5; }, false, true, false},
      {"mark", [](Project& p) { p.amplifiers[0].crossover[0].optimize = !p.amplifiers[0].crossover[0].optimize; },
       false, false, false},
      {"note", [](Project& p) { p.amplifiers[0].crossover[0].note = "MKP"; }, false, false, false},
      {"level", [](Project& p) { p.amplifiers[0].level = 0.7; }, true, false, false},
      {"chassis count", [](Project& p) { p.chassisCount = 1; }, true, false, true},
  };
  for (const Case& c : cases) {
    std::vector<ProjectChanges> announced;
    const auto connection = QObject::connect(doc_.get(), &ProjectDocument::projectChanged,
                                             [&](const ProjectChanges& changes) { announced.push_back(changes); });
    {
      ProjectEdit edit(*doc_, "Test");
      c.change(edit.EditedProject());
      EXPECT_TRUE(edit.Commit()) << c.what;
    }
    QObject::disconnect(connection);
    EXPECT_EQ(!Ran().empty(), c.computes) << c.what;
    ASSERT_EQ(announced.size(), 1u) << c.what;
    EXPECT_EQ(announced[0].display, c.display) << c.what;
    EXPECT_EQ(announced[0].counts, c.counts) << c.what;
    EXPECT_EQ(announced[0].calcInputs, c.computes) << c.what;
    doc_->Undo();
    Ran();
  }
  EXPECT_TRUE(doc_->Saved());
}

TEST_F(ProjectDocumentTest, EachFinishedCalculationIsHandedOverOnce) {
  int results = 0;
  QObject::connect(doc_.get(), &ProjectDocument::resultChanged, [&] { ++results; });
  const CalcResult* before = &doc_->ShownResult();
  {
    ProjectEdit edit(*doc_, "Aktives Filter 1 editieren");
    edit.EditedProject().amplifiers[0].level = 0.5;
    edit.Commit();
  }
  EXPECT_FALSE(doc_->ShownResult().valid);  // being replaced
  ASSERT_TRUE(doc_->WaitCalcIdle());
  EXPECT_EQ(results, 1);
  EXPECT_TRUE(doc_->ShownResult().valid);
  // A result of its own, not the earlier one overwritten.
  EXPECT_NE(&doc_->ShownResult(), before);
  EXPECT_TRUE(doc_->CalcIdle());
}

TEST_F(ProjectDocumentTest, AnEditDroppedWithoutCommitChangesNothing) {
  doc_->PushUndo("Anzeigeoptionen");
  const auto before = std::make_unique<Project>(doc_->CurrentProject());
  int emitted = 0;
  QObject::connect(doc_.get(), &ProjectDocument::projectChanged, [&] { ++emitted; });
  QObject::connect(doc_.get(), &ProjectDocument::undoChanged, [&] { ++emitted; });
  {
    ProjectEdit edit(*doc_, "Chassis kopieren");
    edit.EditedProject().chassisCount = 1;
    edit.EditedProject().chassis[0].name = "anders";
  }
  EXPECT_TRUE(doc_->CurrentProject() == *before);
  EXPECT_EQ(doc_->UndoHistory().Count(), 1);
  EXPECT_EQ(doc_->UndoHistory().TopDescription(), "Anzeigeoptionen");
  EXPECT_EQ(emitted, 0);
  EXPECT_TRUE(Ran().empty());
}

TEST_F(ProjectDocumentTest, EditorsHearOfAReplacedProjectBeforeItIsReplaced) {
  // What the project's first chassis was called when the signal came.
  std::vector<std::string> seen;
  QObject::connect(doc_.get(), &ProjectDocument::aboutToReplaceProject,
                   [&] { seen.push_back(doc_->CurrentProject().chassis[0].name.Str()); });
  const std::string original = doc_->CurrentProject().chassis[0].name.Str();
  const auto rename = [&](const char* name) {
    ProjectEdit edit(*doc_, "Chassis 1 editieren");
    edit.EditedProject().chassis[0].name = name;
    edit.Commit();
  };

  rename("eins");
  ASSERT_TRUE(seen.empty());  // an ordinary edit closes nothing
  doc_->Undo();
  ASSERT_EQ(seen, std::vector<std::string>{"eins"});
  EXPECT_EQ(doc_->CurrentProject().chassis[0].name.Str(), original);

  ASSERT_TRUE(doc_->RememberReference());
  rename("zwei");
  seen.clear();
  doc_->SwapReference();
  doc_->RestoreReference();
  doc_->New();
  doc_->Load(DefaultFile());
  EXPECT_EQ(seen, (std::vector<std::string>{"zwei", original, "zwei", ""}));
  // An edit of the counts closes the editors too.
  ProjectEdit props(*doc_, "Projekteigenschaften ändern");
  props.ClosesEditors();
  props.EditedProject().chassisCount = 1;
  seen.clear();
  props.Commit();
  EXPECT_EQ(seen.size(), 1u);
}

TEST_F(ProjectDocumentTest, UndoRequestsTheFullCalculationOnlyWhereTheComparedRecordsDoNotSeeTheChange) {
  struct Case {
    const char* what;
    void (*change)(Project&);
    bool full;
  };
  const Case cases[] = {
      {"crossover part", [](Project& p) { p.amplifiers[0].crossover[0].value *= 2; }, false},
      {"level", [](Project& p) { p.amplifiers[1].level = 0.7; }, false},
      {"smoothing", [](Project& p) { p.smoothingAmplitude = p.smoothingAmplitude + 1; }, true},
      {"common cabinet", [](Project& p) { p.cabinet.width = p.cabinet.width + 0.1; }, true},
  };
  const std::set<int> all = [&] {
    doc_->RequestFullCalc();
    return Ran();
  }();
  for (const Case& c : cases) {
    {
      ProjectEdit edit(*doc_, "Test");
      c.change(edit.EditedProject());
      edit.Commit();
    }
    EXPECT_EQ(Ran() == all, c.full) << c.what << " (edit)";
    doc_->Undo();
    EXPECT_EQ(Ran() == all, c.full) << c.what << " (undo)";
  }
}

TEST_F(ProjectDocumentTest, ReferenceCommands) {
  std::vector<ReferenceEvent> events;
  QObject::connect(doc_.get(), &ProjectDocument::referenceChanged, [&](ReferenceEvent e) { events.push_back(e); });
  EXPECT_FALSE(doc_->HasReference());
  doc_->SwapReference();  // nothing to swap with
  EXPECT_EQ(doc_->UndoHistory().Count(), 0);

  ASSERT_TRUE(doc_->RememberReference());
  EXPECT_TRUE(doc_->HasReference());
  EXPECT_TRUE(doc_->Reference() == doc_->CurrentProject());
  {
    ProjectEdit edit(*doc_, "Aktives Filter 2 editieren");
    edit.EditedProject().amplifiers[1].level = 0.3;
    edit.Commit();
  }
  const double remembered = doc_->Reference().amplifiers[1].level;
  ASSERT_TRUE(doc_->WaitCalcIdle());
  doc_->SwapReference();
  EXPECT_EQ(doc_->UndoHistory().TopDescription(), "Projekt mit Referenzprojekt tauschen");
  EXPECT_EQ(doc_->CurrentProject().amplifiers[1].level, remembered);
  EXPECT_EQ(doc_->Reference().amplifiers[1].level, 0.3);
  EXPECT_FALSE(doc_->Saved());

  doc_->RestoreReference();
  EXPECT_EQ(doc_->UndoHistory().TopDescription(), "Referenz wiederherstellen");
  EXPECT_EQ(doc_->CurrentProject().amplifiers[1].level, 0.3);

  doc_->DeleteReference();
  EXPECT_FALSE(doc_->HasReference());
  EXPECT_EQ(events, (std::vector<ReferenceEvent>{ReferenceEvent::Remembered, ReferenceEvent::AboutToSwap,
                                                 ReferenceEvent::Deleted}));
}

TEST_F(ProjectDocumentTest, UndoingASwapBringsBackBothSides) {
  std::vector<ReferenceEvent> events;
  QObject::connect(doc_.get(), &ProjectDocument::referenceChanged, [&](ReferenceEvent e) { events.push_back(e); });
  auto setLevel = [&](double level) {
    ProjectEdit edit(*doc_, "Aktives Filter 1 editieren");
    edit.EditedProject().amplifiers[0].level = level;
    edit.Commit();
  };
  setLevel(-1.0);
  ASSERT_TRUE(doc_->RememberReference());  // the reference has -1 dB
  setLevel(-2.0);                          // the project -2 dB
  ASSERT_TRUE(doc_->WaitCalcIdle());
  const auto project = std::make_unique<Project>(doc_->CurrentProject());
  const auto reference = std::make_unique<Project>(doc_->Reference());
  doc_->SwapReference();
  ASSERT_EQ(doc_->CurrentProject().amplifiers[0].level, -1.0);
  ASSERT_EQ(doc_->Reference().amplifiers[0].level, -2.0);

  // An edit after the swap, then undo twice: the edit, then the swap.
  setLevel(-3.0);
  doc_->Undo();
  EXPECT_EQ(doc_->CurrentProject().amplifiers[0].level, -1.0);
  EXPECT_EQ(doc_->Reference().amplifiers[0].level, -2.0);
  events.clear();
  doc_->Undo();
  EXPECT_TRUE(doc_->CurrentProject() == *project);
  EXPECT_TRUE(doc_->Reference() == *reference);
  EXPECT_TRUE(doc_->HasReference());
  // The charts hand the curves shown now to the reference, as on a swap.
  EXPECT_EQ(events, std::vector<ReferenceEvent>{ReferenceEvent::AboutToSwap});
  EXPECT_EQ(doc_->UndoHistory().TopDescription(), "Aktives Filter 1 editieren");

  // A reference deleted after the swap comes back with the undo.
  ASSERT_TRUE(doc_->WaitCalcIdle());
  doc_->SwapReference();
  doc_->DeleteReference();
  ASSERT_TRUE(doc_->WaitCalcIdle());
  doc_->Undo();
  EXPECT_TRUE(doc_->HasReference());
  EXPECT_TRUE(doc_->CurrentProject() == *project);
  EXPECT_TRUE(doc_->Reference() == *reference);
}

TEST_F(ProjectDocumentTest, ABusyCalculationIsWaitedForOrTheWaitCancelled) {
  // The calculation is held by a hook until the test lets it go.
  std::mutex holdMutex;
  std::condition_variable released;
  bool hold = true;
  doc_->Calculation().onItemRun = [&](int) {
    std::unique_lock lock(holdMutex);
    released.wait(lock, [&] { return !hold; });
  };
  doc_->RequestFullCalc();
  ui_.buttons = {2};  // "abbrechen"
  EXPECT_FALSE(doc_->RememberReference());
  EXPECT_FALSE(doc_->HasReference());
  ASSERT_EQ(ui_.asked.size(), 1u);
  EXPECT_EQ(ui_.asked[0].text, "Rechnung muss erst beendet sein.");
  {
    std::lock_guard lock(holdMutex);
    hold = false;
  }
  released.notify_all();
  EXPECT_TRUE(doc_->RememberReference());
}

}  // namespace
}  // namespace sonvex
