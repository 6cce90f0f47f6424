// The active filter editor and the chassis copy and swap dialog on a project
// document, as their menu commands run them; the modal dialogs are filled and
// closed by the test's dialog runner. Then the main window's own commands of
// this kind: chart pictures and the two pauses.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "document_fixture.h"
#include "main_window_fixture.h"
#include "model/file_io.h"
#include "model/interaction.h"
#include "model/project_file.h"
#include "model/result.h"
#include "model/settings.h"
#include "support/scripted_interaction.h"
#include "support/test_projects.h"
#include "ui/dialogs/dialog_runner.h"
#include "ui/editors/active_filter_dialog.h"
#include "ui/editors/chassis_copy_dialog.h"
#include "ui/main/main_window.h"

namespace sonvex {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Section = ActiveFilterDialog::Section;

// Runs `fill` on the next modal dialog of type D and closes it with "Ok"
// (accept true) or "Abbruch".
template <class D>
DialogRunner Answering(std::function<void(D&)> fill, bool accept) {
  return [fill, accept](QDialog& d) {
    auto* dialog = dynamic_cast<D*>(&d);
    EXPECT_NE(dialog, nullptr);
    if (dialog != nullptr) fill(*dialog);
    return int(accept ? QDialog::Accepted : QDialog::Rejected);
  };
}

class FilterAndCopy : public DocumentFixture<> {
 protected:
  void SetUp() override {
    DocumentFixture::SetUp();
    StartDocument(*testing::MakeTwoWayProject(60));
    doc_->Calculation().onItemRun = [this](int item) {
      std::lock_guard<std::mutex> lock(ranMutex_);
      ran_.insert(item);
    };
  }
  void TearDown() override {
    copyDialog_.reset();
    DocumentFixture::TearDown();
  }
  template <class D>
  void Answer(std::function<void(D&)> fill, bool accept) {
    run_ = Answering<D>(fill, accept);
  }
  // The copy dialog lives as long as the main window's: its check boxes keep
  // their state from one opening to the next.
  ChassisCopyDialog& CopyDialog() {
    if (!copyDialog_) copyDialog_ = std::make_unique<ChassisCopyDialog>();
    return *copyDialog_;
  }
  std::set<int> RanAfterCalc() {
    EXPECT_TRUE(doc_->WaitCalcIdle());
    std::lock_guard<std::mutex> lock(ranMutex_);
    return ran_;
  }

  DialogRunner run_;
  std::unique_ptr<ChassisCopyDialog> copyDialog_;
  std::mutex ranMutex_;
  std::set<int> ran_;
};

// --- active filter editor ---------------------------------------------------

TEST_F(FilterAndCopy, LevelZeroIsAnnouncedShownAsZeroDbAndStoredAsOne) {
  doc_->Unguarded().amplifiers[1].level = 0;
  doc_->Unguarded().saved = true;
  doc_->RequestCalc();  // the level of 0 fails the filter of amplifier 2
  EXPECT_EQ(RanAfterCalc(), (std::set<int>{CalcStates::kActiveFilter0 + 1, CalcStates::kWholeBox}));
  ran_.clear();
  Answer<ActiveFilterDialog>(
      [this](ActiveFilterDialog& d) {
        EXPECT_EQ(d.windowTitle().toStdString(), "Aktives Filter editieren");
        EXPECT_EQ(d.Group()->title().toStdString(), " Verstärker 2 ");
        EXPECT_EQ(d.LevelEdit()->text().toStdString(), "0");
        ASSERT_EQ(ui_.asked.size(), 1u);
        EXPECT_EQ(ui_.asked[0].kind, "message");
        EXPECT_EQ(ui_.asked[0].text, "Pegel von Amp wird auf 0dB gesetzt.");
      },
      true);
  EditActiveFilter(*doc_, 2, run_);
  EXPECT_EQ(doc_->CurrentProject().amplifiers[1].level, 1.0);
  EXPECT_EQ(UndoCaption(), "Rückgängig \"Aktives Filter 2 editieren\"");
  EXPECT_FALSE(doc_->CurrentProject().saved);
  // Only the filter of amplifier 2 and what follows from it are computed.
  EXPECT_EQ(RanAfterCalc(), (std::set<int>{CalcStates::kActiveFilter0 + 1, CalcStates::kWholeBox}));
  EXPECT_EQ(doc_->ShownResult().filterResponse[1][0].re, 1.0);
  // Undo brings the level of 0 back.
  doc_->Undo();
  EXPECT_EQ(doc_->CurrentProject().amplifiers[1].level, 0.0);
}

TEST_F(FilterAndCopy, LevelInDecibelsBecomesALinearFactor) {
  // 10^(-6/20) = 0.50119, 10^(+3,5/20) = 1.4962; a level left as shown keeps
  // its exact factor.
  struct Case {
    const char* field;
    double level;
  };
  for (const Case& c : {Case{"-6", 0.501187}, Case{"3,5", 1.496236}, Case{"0", 1.0}}) {
    Answer<ActiveFilterDialog>([&](ActiveFilterDialog& d) { d.LevelEdit()->setText(QString::fromUtf8(c.field)); },
                               true);
    EditActiveFilter(*doc_, 1, run_);
    EXPECT_NEAR(doc_->CurrentProject().amplifiers[0].level, c.level, 1e-6) << c.field;
  }
  doc_->Unguarded().amplifiers[0].level = 0.7071;  // shown as -3,01 dB
  Answer<ActiveFilterDialog>([](ActiveFilterDialog& d) { EXPECT_EQ(d.LevelEdit()->text().toStdString(), "-3,01"); },
                             true);
  EditActiveFilter(*doc_, 1, run_);
  EXPECT_EQ(doc_->CurrentProject().amplifiers[0].level, 0.7071);
  EXPECT_TRUE(ui_.asked.empty());
}

TEST_F(FilterAndCopy, SectionFieldsFollowTheirBoxesAndKeepTheirValues) {
  Amplifier& v = doc_->Unguarded().amplifiers[0];
  v.highPass12aOn = true;
  v.highPass12aF = 80;
  v.highPass12aQ = 0.5;
  v.lowPass6On = false;
  v.lowPass6F = 3000;
  const Amplifier before = v;
  Answer<ActiveFilterDialog>(
      [](ActiveFilterDialog& d) {
        // shown only while ticked; the 6 dB sections have no Q field
        EXPECT_FALSE(d.FreqEdit(Section::HighPass12A)->isHidden());
        EXPECT_FALSE(d.QEdit(Section::HighPass12A)->isHidden());
        EXPECT_EQ(d.FreqEdit(Section::HighPass12A)->text().toStdString(), "80");
        EXPECT_EQ(d.QEdit(Section::HighPass12A)->text().toStdString(), "0,5");
        EXPECT_TRUE(d.FreqEdit(Section::LowPass6)->isHidden());
        EXPECT_EQ(d.QEdit(Section::LowPass6), nullptr);
        EXPECT_EQ(d.SectionCheck(Section::LowPass12B)->text().toStdString(), "Tiefpaß 12 dB");
        // unticking hides at once and keeps the values; ticking shows them again
        d.SectionCheck(Section::HighPass12A)->setChecked(false);
        EXPECT_TRUE(d.FreqEdit(Section::HighPass12A)->isHidden());
        EXPECT_TRUE(d.QEdit(Section::HighPass12A)->isHidden());
        d.SectionCheck(Section::HighPass12A)->setChecked(true);
        EXPECT_FALSE(d.QEdit(Section::HighPass12A)->isHidden());
        EXPECT_EQ(d.QEdit(Section::HighPass12A)->text().toStdString(), "0,5");
        d.SectionCheck(Section::HighPass12A)->setChecked(false);
        d.SectionCheck(Section::LowPass6)->setChecked(true);
        EXPECT_FALSE(d.FreqEdit(Section::LowPass6)->isHidden());
        d.FreqEdit(Section::LowPass6)->setText("2500,5");
        d.QEdit(Section::LowPass12A)->setText("0.71");  // an unticked section is read too
      },
      true);
  EditActiveFilter(*doc_, 1, run_);
  const Amplifier& after = doc_->CurrentProject().amplifiers[0];
  EXPECT_FALSE(after.highPass12aOn);
  EXPECT_EQ(after.highPass12aF, 80);
  EXPECT_EQ(after.highPass12aQ, 0.5);
  EXPECT_TRUE(after.lowPass6On);
  EXPECT_EQ(after.lowPass6F, 2500.5);
  EXPECT_FALSE(after.lowPass12aOn);
  EXPECT_EQ(after.lowPass12aQ, 0.71);
  EXPECT_EQ(after.crossover, before.crossover);

  // "Abbruch" changes nothing and pushes no undo step.
  const int undoSteps = doc_->UndoHistory().Count();
  Answer<ActiveFilterDialog>([](ActiveFilterDialog& d) { d.SectionCheck(Section::HighPass6)->setChecked(true); },
                             false);
  EditActiveFilter(*doc_, 1, run_);
  EXPECT_FALSE(doc_->CurrentProject().amplifiers[0].highPass6On);
  EXPECT_EQ(doc_->UndoHistory().Count(), undoSteps);
}

// --- chassis copy and swap ----------------------------------------------------

QStringList Entries(const QComboBox* cb) {
  QStringList texts;
  for (int i = 0; i < cb->count(); ++i) texts << cb->itemText(i);
  return texts;
}

void Act(ChassisCopyDialog& d, int source, int action, int target) {
  d.SourceCombo()->setCurrentIndex(source);
  d.ActionCombo()->setCurrentIndex(action);
  d.TargetCombo()->setCurrentIndex(target);
  d.RunActionButton()->click();
}

constexpr int kCopy = 0;
constexpr int kSwap = 1;

TEST_F(FilterAndCopy, CopyWithoutTheBoxesCarriesTheChassisAndItsOutletDiameter) {
  const auto before = std::make_unique<Project>(doc_->CurrentProject());
  Answer<ChassisCopyDialog>(
      [](ChassisCopyDialog& d) {
        EXPECT_EQ(d.windowTitle().toStdString(), "Chassis kopieren / tauschen");
        EXPECT_TRUE(d.WithEnclosureCheck()->isChecked());  // both checked at program start
        EXPECT_TRUE(d.WithBaffleCheck()->isChecked());
        EXPECT_EQ(Entries(d.SourceCombo()).join("|").toStdString(),
                  "1: Test-Kalotte 25|2: Test-Tieftöner 17|3: Test-Sub|4: Reserve");
        EXPECT_EQ(d.SourceCombo()->currentIndex(), 0);
        EXPECT_EQ(d.ActionCombo()->currentText().toStdString(), "kopieren nach");
        EXPECT_EQ(d.TargetCombo()->currentIndex(), 1);
        d.WithEnclosureCheck()->setChecked(false);
        d.WithBaffleCheck()->setChecked(false);
        d.RunActionButton()->click();
        EXPECT_EQ(d.TargetCombo()->itemText(1).toStdString(), "2: Test-Kalotte 25");
        EXPECT_EQ(d.TargetCombo()->currentIndex(), 1);
      },
      true);
  EditChassisCopy(*doc_, CopyDialog(), run_);
  const Project& p = doc_->CurrentProject();
  EXPECT_EQ(p.chassis[1], before->chassis[0]);
  EXPECT_EQ(p.enclosures[1], before->enclosures[1]);
  Baffle expected = before->baffles[1];
  expected.outletDiameter = before->baffles[0].outletDiameter;
  EXPECT_EQ(p.baffles[1], expected);
  EXPECT_NE(before->baffles[1].outletDiameter, before->baffles[0].outletDiameter);  // the fixture shows the difference
  EXPECT_EQ(p.chassis[0], before->chassis[0]);
  EXPECT_FALSE(p.saved);
  EXPECT_EQ(UndoCaption(), "Rückgängig \"Chassis kopieren\"");
  // chassis 2 (with its baffle, since d changed), the crossover of amplifier
  // 1 that drives it, and the whole box
  EXPECT_EQ(RanAfterCalc(), (std::set<int>{CalcStates::kBaffle0 + 1, CalcStates::kChassis0 + 1,
                                           CalcStates::kCrossover0 + 0, CalcStates::kWholeBox}));

  // The boxes keep their state for the next opening.
  Answer<ChassisCopyDialog>(
      [](ChassisCopyDialog& d) {
        EXPECT_FALSE(d.WithEnclosureCheck()->isChecked());
        EXPECT_FALSE(d.WithBaffleCheck()->isChecked());
      },
      false);
  EditChassisCopy(*doc_, CopyDialog(), run_);
}

TEST_F(FilterAndCopy, CopyWithTheBoxesAndSwapWithAndWithout) {
  const auto before = std::make_unique<Project>(doc_->CurrentProject());
  struct Case {
    int action;
    bool withEnclosure, withBaffle;
  };
  for (const Case& c : {Case{kCopy, true, true}, Case{kCopy, true, false}, Case{kSwap, false, false},
                        Case{kSwap, true, false}, Case{kSwap, true, true}}) {
    doc_->Unguarded() = *before;
    Answer<ChassisCopyDialog>(
        [&](ChassisCopyDialog& d) {
          d.WithEnclosureCheck()->setChecked(c.withEnclosure);
          d.WithBaffleCheck()->setChecked(c.withBaffle);
          Act(d, 0, c.action, 2);  // chassis 1 and 3
        },
        true);
    EditChassisCopy(*doc_, CopyDialog(), run_);
    const Project& p = doc_->CurrentProject();
    const std::string what = std::to_string(c.action) + std::to_string(c.withEnclosure) + std::to_string(c.withBaffle);
    EXPECT_EQ(p.chassis[2], before->chassis[0]) << what;
    EXPECT_EQ(p.enclosures[2], before->enclosures[c.withEnclosure ? 0 : 2]) << what;
    double d2 = before->baffles[2].outletDiameter;
    if (c.action == kCopy || c.withBaffle) d2 = before->baffles[0].outletDiameter;
    EXPECT_EQ(p.baffles[2].outletDiameter, d2) << what;
    EXPECT_EQ(p.baffles[2].vertical, before->baffles[c.withBaffle ? 0 : 2].vertical) << what;
    if (c.action == kSwap) {
      EXPECT_EQ(p.chassis[0], before->chassis[2]) << what;
      EXPECT_EQ(p.enclosures[0], before->enclosures[c.withEnclosure ? 2 : 0]) << what;
      EXPECT_EQ(p.baffles[0], before->baffles[c.withBaffle ? 2 : 0]) << what;  // d stays with its slot
    } else {
      EXPECT_EQ(p.chassis[0], before->chassis[0]) << what;
      EXPECT_EQ(p.baffles[0], before->baffles[0]) << what;
    }
    // crossovers keep their chassis numbers
    for (int a = 0; a < kMaxAmps; ++a) EXPECT_EQ(p.amplifiers[a], before->amplifiers[a]) << what;
  }
}

TEST_F(FilterAndCopy, TheSameChassisOnBothSidesChangesNothing) {
  const auto before = std::make_unique<Project>(doc_->CurrentProject());
  Answer<ChassisCopyDialog>(
      [](ChassisCopyDialog& d) {
        Act(d, 2, kCopy, 2);
        Act(d, 2, kSwap, 2);
        d.WithEnclosureCheck()->setChecked(false);
        d.WithBaffleCheck()->setChecked(false);
        Act(d, 0, kCopy, 0);
        Act(d, 0, kSwap, 0);
      },
      true);
  EditChassisCopy(*doc_, CopyDialog(), run_);
  Project p = doc_->CurrentProject();
  p.saved = before->saved;
  EXPECT_EQ(p, *before);
}

TEST_F(FilterAndCopy, TwoActionsAreAppliedTogetherAndCancelDiscardsBoth) {
  const auto before = std::make_unique<Project>(doc_->CurrentProject());
  doc_->PushUndo("Anzeigeoptionen");  // an earlier step stays on top after the cancel
  const auto copyAndSwap = [](ChassisCopyDialog& d) {
    Act(d, 0, kCopy, 1);
    EXPECT_EQ(Entries(d.SourceCombo()).join("|").toStdString(),
              "1: Test-Kalotte 25|2: Test-Kalotte 25|3: Test-Sub|4: Reserve");
    Act(d, 1, kSwap, 2);
    EXPECT_EQ(Entries(d.TargetCombo()).join("|").toStdString(),
              "1: Test-Kalotte 25|2: Test-Sub|3: Test-Kalotte 25|4: Reserve");
    EXPECT_EQ(d.SourceCombo()->currentIndex(), 1);
    EXPECT_EQ(d.TargetCombo()->currentIndex(), 2);
  };
  Answer<ChassisCopyDialog>(copyAndSwap, false);
  EditChassisCopy(*doc_, CopyDialog(), run_);
  EXPECT_EQ(doc_->CurrentProject(), *before);
  EXPECT_EQ(doc_->UndoHistory().Count(), 1);
  EXPECT_EQ(UndoCaption(), "Rückgängig \"Anzeigeoptionen\"");

  // With "Ok" both take effect, and one undo step restores the project.
  Answer<ChassisCopyDialog>(copyAndSwap, true);
  EditChassisCopy(*doc_, CopyDialog(), run_);
  EXPECT_EQ(doc_->CurrentProject().chassis[1], before->chassis[2]);
  EXPECT_EQ(doc_->CurrentProject().chassis[2], before->chassis[0]);
  EXPECT_EQ(doc_->UndoHistory().Count(), 2);
  doc_->Undo();
  Project p = doc_->CurrentProject();
  p.saved = before->saved;
  EXPECT_EQ(p, *before);
}

TEST_F(FilterAndCopy, ASingleChassisLeavesTheSecondListWithoutSelection) {
  doc_->Unguarded().chassisCount = 1;
  const auto before = std::make_unique<Project>(doc_->CurrentProject());
  Answer<ChassisCopyDialog>(
      [](ChassisCopyDialog& d) {
        EXPECT_EQ(d.TargetCombo()->count(), 1);
        EXPECT_EQ(d.TargetCombo()->currentIndex(), -1);
        d.ActionCombo()->setCurrentIndex(kSwap);
        d.RunActionButton()->click();
        d.ActionCombo()->setCurrentIndex(kCopy);
        d.RunActionButton()->click();
      },
      true);
  EditChassisCopy(*doc_, CopyDialog(), run_);
  Project p = doc_->CurrentProject();
  p.saved = before->saved;
  EXPECT_EQ(p, *before);
}

// --- the main window's commands -------------------------------------------------

class MainWindowCommands : public MainWindowFixture<> {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    StartOn(*testing::MakeTwoWayProject(60));
  }
};

// The menu items run the commands on their amplifier, through the window's
// dialog runner, and the undo item names the edit.
TEST_F(MainWindowCommands, ActiveFilterAndChassisCopyItemsRunTheirDialogs) {
  // A level changed: an "Ok" without a change would make no step.
  form_->execDialog = Answering<ActiveFilterDialog>(
      [](ActiveFilterDialog& d) {
        EXPECT_EQ(d.Group()->title().toStdString(), " Verstärker 2 ");
        d.LevelEdit()->setText("-3");
      },
      true);
  Action(*form_, "actActiveFilter2")->trigger();
  EXPECT_EQ(UndoCaption(), "Rückgängig \"Aktives Filter 2 editieren\"");
  form_->execDialog = Answering<ChassisCopyDialog>([](ChassisCopyDialog& d) { d.RunActionButton()->click(); }, true);
  Action(*form_, "actChassisCopy")->trigger();
  EXPECT_EQ(UndoCaption(), "Rückgängig \"Chassis kopieren\"");
  EXPECT_EQ(form_->CurrentProject().chassis[1], form_->CurrentProject().chassis[0]);
}

// --- chart pictures ---------------------------------------------------------------

TEST_F(MainWindowCommands, TheShownChartPageIsSavedAsSvgOrPng) {
  form_->resize(900, 600);
  form_->Pages()->setCurrentIndex(PagePolar);
  ui_.files = {dir_ / "polar.svg", dir_ / "gesamt"};
  Action(*form_, "actSaveChart")->trigger();
  ASSERT_EQ(ui_.asked.size(), 1u);
  EXPECT_EQ(ui_.asked[0].kind, "save");
  EXPECT_EQ(ui_.asked[0].text, "Diagramm speichern ...");
  EXPECT_EQ(ui_.asked[0].options, "PNG-Bild (*.png)|*.png|SVG-Grafik (*.svg)|*.svg");
  const std::string svg = ReadWholeFile(dir_ / "polar.svg");
  EXPECT_NE(svg.find("<svg"), std::string::npos);
  EXPECT_NE(svg.find("Frequenz: "), std::string::npos);  // the polar page names its frequency

  // A name without a picture extension becomes a PNG; the page's context menu offers the same item.
  form_->Pages()->setCurrentIndex(PageResponseImpedance);
  EXPECT_TRUE(form_->PaintBox(PageResponseImpedance)->actions().contains(Action(*form_, "actSaveChart")));
  form_->SaveChartClick();
  const std::string png = ReadWholeFile(dir_ / "gesamt.png");
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  EXPECT_EQ(ui_.asked.size(), 2u);  // written without a message
}

TEST_F(MainWindowCommands, SpinoramaPageFollowsItsCheckBoxAndIsSavedLikeEveryPage) {
  EXPECT_EQ(form_->Pages()->tabText(PageSpinorama), QString::fromUtf8("Spinorama"));
  const Chart& delay = *form_->Charts().groupDelay;
  ASSERT_TRUE(form_->Charts().spin->hasData);
  EXPECT_TRUE(delay.curves[0].visible);  // the box
  EXPECT_TRUE(delay.curves[1].visible);  // chassis 1
  form_->SpinShowChassisBox()->setChecked(false);
  EXPECT_TRUE(delay.curves[0].visible);
  EXPECT_FALSE(delay.curves[1].visible);
  // The other pages keep their own check box.
  EXPECT_TRUE(form_->ShowChassisBox()->isChecked());

  form_->resize(900, 600);
  form_->Pages()->setCurrentIndex(PageSpinorama);
  ui_.files = {dir_ / "spin.png"};
  form_->SaveChartClick();
  const std::string png = ReadWholeFile(dir_ / "spin.png");
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
}

// --- calculation pause ----------------------------------------------------------

TEST_F(MainWindowCommands, CalculationPauseIsAskedHeldWithinItsRangeAndKept) {
  ui_.edits = {std::vector<std::string>{"120"}, std::vector<std::string>{"5000"}, std::nullopt};
  Action(*form_, "actCalcPause")->trigger();
  ASSERT_EQ(ui_.asked.size(), 1u);
  EXPECT_EQ(ui_.asked[0].kind, "edit");
  EXPECT_EQ(ui_.asked[0].text, "Rechenpause");
  EXPECT_EQ(ui_.asked[0].options, "Pause nach jedem Rechenschritt [ms] %i");
  EXPECT_EQ(settings_.calcPauseMs, 120);
  form_->CalcPauseClick();
  EXPECT_EQ(settings_.calcPauseMs, 2000);
  form_->CalcPauseClick();  // cancelled
  EXPECT_EQ(settings_.calcPauseMs, 2000);
  form_->CalcPauseClick();  // script exhausted: cancelled as well
  EXPECT_EQ(settings_.calcPauseMs, 2000);
  // The running calculation follows the new pause.
  ui_.edits = {std::vector<std::string>{"0"}};
  form_->CalcPauseClick();
  EXPECT_EQ(settings_.calcPauseMs, 0);
  form_->Document().Unguarded().amplifiers[0].level = 0.5;
  form_->Document().RequestCalc();
  EXPECT_TRUE(form_->WaitCalcIdle(std::chrono::seconds(20)));
}

TEST_F(MainWindowCommands, OptimizerPauseIsAskedAndReachesAnOpenOptimizer) {
  ui_.edits = {std::vector<std::string>{"300"}, std::vector<std::string>{"-4"}};
  Action(*form_, "actOptimizerPause")->trigger();
  ASSERT_EQ(ui_.asked.size(), 1u);
  EXPECT_EQ(ui_.asked[0].text, "Optimiererpause");
  EXPECT_EQ(ui_.asked[0].options, "Pause nach jedem Optimiererschritt [ms] %i");
  EXPECT_EQ(ui_.asked[0].values, std::vector<std::string>{"65"});  // the default
  EXPECT_EQ(settings_.optimizerPauseMs, 300);
  EXPECT_EQ(settings_.calcPauseMs, kDefaultCalcPauseMs);  // the calculation keeps its own
  Action(*form_, "actOptimizer")->trigger();
  ASSERT_NE(form_->OptimizerWindow(), nullptr);
  form_->OptimizerPauseClick();
  EXPECT_EQ(ui_.asked[1].values, std::vector<std::string>{"300"});
  EXPECT_EQ(settings_.optimizerPauseMs, 0);
}

}  // namespace
}  // namespace sonvex
