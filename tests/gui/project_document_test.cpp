// The project document without any window: edits and their undo steps,
// the signals around a replaced project, the recalculation an undo asks for,
// and the reference commands.
#include "ui/document/project_document.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "document_fixture.h"
#include "model/project_file.h"
#include "support/scripted_interaction.h"
#include "support/test_projects.h"

namespace sonvex {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

class ProjectDocument : public TDocumentFixture<> {
 protected:
  void SetUp() override {
    TDocumentFixture::SetUp();
    StartDocument(*testing::MakeTwoWayProject(40));
    doc->CalcThread().onItemRun = [this](int item) {
      std::lock_guard lock(mutex);
      ran.insert(item);
    };
  }
  // The items the calculation ran since the last call.
  std::set<int> Ran() {
    EXPECT_TRUE(doc->WaitCalcIdle());
    std::lock_guard lock(mutex);
    std::set<int> r;
    r.swap(ran);
    return r;
  }

  std::mutex mutex;
  std::set<int> ran;
};

TEST_F(ProjectDocument, EachCommitIsOneUndoStepWithItsCaption) {
  int projectSignals = 0;
  int undoSignals = 0;
  QObject::connect(doc.get(), &TProjectDocument::projectChanged, [&] { ++projectSignals; });
  QObject::connect(doc.get(), &TProjectDocument::undoChanged, [&] { ++undoSignals; });
  const double before = doc->Project().Verstaerker[0].Pegel;
  ASSERT_TRUE(doc->Saved());
  {
    TProjectEdit edit(*doc, "Aktives Filter 1 editieren", TRecalc::Incremental);
    edit.Project().Verstaerker[0].Pegel = 0.5;
    EXPECT_EQ(doc->Project().Verstaerker[0].Pegel, before);  // nothing before the commit
    edit.Commit();
  }
  EXPECT_EQ(doc->Project().Verstaerker[0].Pegel, 0.5);
  EXPECT_FALSE(doc->Saved());
  EXPECT_EQ(doc->UndoStack().Count(), 1);
  EXPECT_EQ(doc->UndoStack().TopDescription(), "Aktives Filter 1 editieren");
  EXPECT_EQ(projectSignals, 1);
  EXPECT_EQ(undoSignals, 1);
  // The recalculation: the filter of amplifier 1 and what follows from it.
  const std::set<int> ran = Ran();
  EXPECT_TRUE(ran.count(TCalcStruct::kAktFilt0) == 1);
  EXPECT_TRUE(ran.count(TCalcStruct::kBaffle0) == 0);

  // Undo brings the snapshot taken when the edit began.
  doc->Undo();
  EXPECT_EQ(doc->Project().Verstaerker[0].Pegel, before);
  EXPECT_EQ(doc->UndoStack().Count(), 0);

  // An edit without a caption makes no undo step (the optimizer putting the
  // project back as it was before a run).
  TProjectEdit quiet(*doc, std::nullopt, TRecalc::None);
  quiet.Project().Verstaerker[0].Pegel = 0.25;
  quiet.Commit();
  EXPECT_EQ(doc->UndoStack().Count(), 0);
  EXPECT_EQ(doc->Project().Verstaerker[0].Pegel, 0.25);
}

TEST_F(ProjectDocument, AnEditDroppedWithoutCommitChangesNothing) {
  doc->PushUndo("Anzeigeoptionen");
  const auto before = std::make_unique<TProjekt>(doc->Project());
  int emitted = 0;
  QObject::connect(doc.get(), &TProjectDocument::projectChanged, [&] { ++emitted; });
  QObject::connect(doc.get(), &TProjectDocument::undoChanged, [&] { ++emitted; });
  {
    TProjectEdit edit(*doc, "Chassis kopieren", TRecalc::Full);
    edit.Project().nChassis = 1;
    edit.Project().Chassis[0].Name = "anders";
  }
  EXPECT_TRUE(doc->Project() == *before);
  EXPECT_EQ(doc->UndoStack().Count(), 1);
  EXPECT_EQ(doc->UndoStack().TopDescription(), "Anzeigeoptionen");
  EXPECT_EQ(emitted, 0);
  EXPECT_TRUE(Ran().empty());
}

TEST_F(ProjectDocument, EditorsHearOfAReplacedProjectBeforeItIsReplaced) {
  // What the project's first chassis was called when the signal came.
  std::vector<std::string> seen;
  QObject::connect(doc.get(), &TProjectDocument::aboutToReplaceProject,
                   [&] { seen.push_back(doc->Project().Chassis[0].Name.Str()); });
  const std::string original = doc->Project().Chassis[0].Name.Str();
  const auto rename = [&](const char* name) {
    TProjectEdit edit(*doc, "Chassis 1 editieren", TRecalc::Incremental);
    edit.Project().Chassis[0].Name = name;
    edit.Commit();
  };

  rename("eins");
  ASSERT_TRUE(seen.empty());  // an ordinary edit closes nothing
  doc->Undo();
  ASSERT_EQ(seen, std::vector<std::string>{"eins"});
  EXPECT_EQ(doc->Project().Chassis[0].Name.Str(), original);

  ASSERT_TRUE(doc->RememberReference());
  rename("zwei");
  seen.clear();
  doc->SwapReference();
  doc->RestoreReference();
  doc->New();
  doc->Load(DefaultFile());
  EXPECT_EQ(seen, (std::vector<std::string>{"zwei", original, "zwei", ""}));
  // An edit of the counts closes the editors too.
  TProjectEdit props(*doc, "Projekteigenschaften ändern", TRecalc::Full);
  props.ClosesEditors();
  props.Project().nChassis = 1;
  seen.clear();
  props.Commit();
  EXPECT_EQ(seen.size(), 1u);
}

TEST_F(ProjectDocument, UndoRequestsTheFullCalculationOnlyWhereTheComparedRecordsDoNotSeeTheChange) {
  struct Case {
    const char* what;
    void (*change)(TProjekt&);
    bool full;
  };
  const Case cases[] = {
      {"crossover part", [](TProjekt& p) { p.Verstaerker[0].crossover[0]._value *= 2; }, false},
      {"level", [](TProjekt& p) { p.Verstaerker[1].Pegel = 0.7; }, false},
      {"smoothing", [](TProjekt& p) { p.glatt_a = p.glatt_a + 1; }, true},
      {"common cabinet", [](TProjekt& p) { p.GemGeh.b = p.GemGeh.b + 0.1; }, true},
  };
  const std::set<int> all = [&] {
    doc->RequestFullCalc();
    return Ran();
  }();
  for (const Case& c : cases) {
    {
      TProjectEdit edit(*doc, "Test", TRecalc::AfterEdit);
      c.change(edit.Project());
      edit.Commit();
    }
    EXPECT_EQ(Ran() == all, c.full) << c.what << " (edit)";
    doc->Undo();
    EXPECT_EQ(Ran() == all, c.full) << c.what << " (undo)";
  }
}

TEST_F(ProjectDocument, ReferenceCommands) {
  std::vector<TReferenceEvent> events;
  QObject::connect(doc.get(), &TProjectDocument::referenceChanged, [&](TReferenceEvent e) { events.push_back(e); });
  EXPECT_FALSE(doc->HasReference());
  doc->SwapReference();  // nothing to swap with
  EXPECT_EQ(doc->UndoStack().Count(), 0);

  ASSERT_TRUE(doc->RememberReference());
  EXPECT_TRUE(doc->HasReference());
  EXPECT_TRUE(doc->Reference() == doc->Project());
  {
    TProjectEdit edit(*doc, "Aktives Filter 2 editieren", TRecalc::Incremental);
    edit.Project().Verstaerker[1].Pegel = 0.3;
    edit.Commit();
  }
  const double remembered = doc->Reference().Verstaerker[1].Pegel;
  ASSERT_TRUE(doc->WaitCalcIdle());
  doc->SwapReference();
  EXPECT_EQ(doc->UndoStack().TopDescription(), "Projekt mit Referenzprojekt tauschen");
  EXPECT_EQ(doc->Project().Verstaerker[1].Pegel, remembered);
  EXPECT_EQ(doc->Reference().Verstaerker[1].Pegel, 0.3);
  EXPECT_FALSE(doc->Saved());

  doc->RestoreReference();
  EXPECT_EQ(doc->UndoStack().TopDescription(), "Referenz wiederherstellen");
  EXPECT_EQ(doc->Project().Verstaerker[1].Pegel, 0.3);

  doc->DeleteReference();
  EXPECT_FALSE(doc->HasReference());
  EXPECT_EQ(events, (std::vector<TReferenceEvent>{TReferenceEvent::Remembered, TReferenceEvent::AboutToSwap,
                                                  TReferenceEvent::Deleted}));
}

TEST_F(ProjectDocument, UndoingASwapBringsBackBothSides) {
  std::vector<TReferenceEvent> events;
  QObject::connect(doc.get(), &TProjectDocument::referenceChanged, [&](TReferenceEvent e) { events.push_back(e); });
  auto setLevel = [&](double level) {
    TProjectEdit edit(*doc, "Aktives Filter 1 editieren", TRecalc::Incremental);
    edit.Project().Verstaerker[0].Pegel = level;
    edit.Commit();
  };
  setLevel(-1.0);
  ASSERT_TRUE(doc->RememberReference());  // the reference has -1 dB
  setLevel(-2.0);                          // the project -2 dB
  ASSERT_TRUE(doc->WaitCalcIdle());
  const auto project = std::make_unique<TProjekt>(doc->Project());
  const auto reference = std::make_unique<TProjekt>(doc->Reference());
  doc->SwapReference();
  ASSERT_EQ(doc->Project().Verstaerker[0].Pegel, -1.0);
  ASSERT_EQ(doc->Reference().Verstaerker[0].Pegel, -2.0);

  // An edit after the swap, then undo twice: the edit, then the swap.
  setLevel(-3.0);
  doc->Undo();
  EXPECT_EQ(doc->Project().Verstaerker[0].Pegel, -1.0);
  EXPECT_EQ(doc->Reference().Verstaerker[0].Pegel, -2.0);
  events.clear();
  doc->Undo();
  EXPECT_TRUE(doc->Project() == *project);
  EXPECT_TRUE(doc->Reference() == *reference);
  EXPECT_TRUE(doc->HasReference());
  // The charts hand the curves shown now to the reference, as on a swap.
  EXPECT_EQ(events, std::vector<TReferenceEvent>{TReferenceEvent::AboutToSwap});
  EXPECT_EQ(doc->UndoStack().TopDescription(), "Aktives Filter 1 editieren");

  // A reference deleted after the swap comes back with the undo.
  ASSERT_TRUE(doc->WaitCalcIdle());
  doc->SwapReference();
  doc->DeleteReference();
  ASSERT_TRUE(doc->WaitCalcIdle());
  doc->Undo();
  EXPECT_TRUE(doc->HasReference());
  EXPECT_TRUE(doc->Project() == *project);
  EXPECT_TRUE(doc->Reference() == *reference);
}

TEST_F(ProjectDocument, ABusyCalculationIsWaitedForOrTheWaitCancelled) {
  // The calculation is held by a hook, not by a pause the test sits out.
  std::atomic<bool> hold{true};
  doc->CalcThread().onItemRun = [&](int) {
    while (hold) std::this_thread::sleep_for(1ms);
  };
  doc->RequestFullCalc();
  ui.buttons = {2};  // "abbrechen"
  EXPECT_FALSE(doc->RememberReference());
  EXPECT_FALSE(doc->HasReference());
  ASSERT_EQ(ui.asked.size(), 1u);
  EXPECT_EQ(ui.asked[0].text, "Rechnung muss erst beendet sein.");
  hold = false;
  EXPECT_TRUE(doc->RememberReference());
}

}  // namespace
}  // namespace sonvex
