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
#include "main_form_fixture.h"
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
#include "ui/main/main_form.h"

namespace sonvex {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using TSection = TFormAktFilter::TSection;

// Runs `fill` on the next modal dialog of type D and closes it with "Ok"
// (accept true) or "Abbruch".
template <class D>
TDialogRunner Answering(std::function<void(D&)> fill, bool accept) {
  return [fill, accept](QDialog& d) {
    auto* dialog = dynamic_cast<D*>(&d);
    EXPECT_NE(dialog, nullptr);
    if (dialog != nullptr) fill(*dialog);
    return int(accept ? QDialog::Accepted : QDialog::Rejected);
  };
}

class FilterAndCopy : public TDocumentFixture<> {
 protected:
  void SetUp() override {
    TDocumentFixture::SetUp();
    StartDocument(*testing::MakeTwoWayProject(60));
    doc->CalcThread().onItemRun = [this](int item) {
      std::lock_guard<std::mutex> lock(ranMutex);
      ran.insert(item);
    };
  }
  void TearDown() override {
    copyDialog.reset();
    TDocumentFixture::TearDown();
  }
  template <class D>
  void Answer(std::function<void(D&)> fill, bool accept) {
    run = Answering<D>(fill, accept);
  }
  // The copy dialog lives as long as the main window's: its check boxes keep
  // their state from one opening to the next.
  TFormChassisCopy& CopyDialog() {
    if (!copyDialog) copyDialog = std::make_unique<TFormChassisCopy>();
    return *copyDialog;
  }
  std::set<int> RanAfterCalc() {
    EXPECT_TRUE(doc->WaitCalcIdle());
    std::lock_guard<std::mutex> lock(ranMutex);
    return ran;
  }

  TDialogRunner run;
  std::unique_ptr<TFormChassisCopy> copyDialog;
  std::mutex ranMutex;
  std::set<int> ran;
};

// --- active filter editor ---------------------------------------------------

TEST_F(FilterAndCopy, LevelZeroIsAnnouncedShownAsZeroDbAndStoredAsOne) {
  doc->Unguarded().Verstaerker[1].Pegel = 0;
  doc->Unguarded().bSaved = true;
  doc->RequestCalc();  // the level of 0 fails the filter of amplifier 2
  EXPECT_EQ(RanAfterCalc(), (std::set<int>{TCalcStruct::kAktFilt0 + 1, TCalcStruct::kGesamt}));
  ran.clear();
  Answer<TFormAktFilter>(
      [this](TFormAktFilter& d) {
        EXPECT_EQ(d.windowTitle().toStdString(), "Aktives Filter editieren");
        EXPECT_EQ(d.Group()->title().toStdString(), " Verstärker 2 ");
        EXPECT_EQ(d.EdPegel()->text().toStdString(), "0");
        ASSERT_EQ(ui.asked.size(), 1u);
        EXPECT_EQ(ui.asked[0].kind, "message");
        EXPECT_EQ(ui.asked[0].text, "Pegel von Amp wird auf 0dB gesetzt.");
      },
      true);
  EditActiveFilter(*doc, 2, run);
  EXPECT_EQ(doc->Project().Verstaerker[1].Pegel, 1.0);
  EXPECT_EQ(UndoCaption(), "Rückgängig \"Aktives Filter 2 editieren\"");
  EXPECT_FALSE(doc->Project().bSaved);
  // Only the filter of amplifier 2 and what follows from it are computed.
  EXPECT_EQ(RanAfterCalc(), (std::set<int>{TCalcStruct::kAktFilt0 + 1, TCalcStruct::kGesamt}));
  EXPECT_EQ(doc->ShownResult().FilterResp[1][0].re, 1.0);
  // Undo brings the level of 0 back.
  doc->Undo();
  EXPECT_EQ(doc->Project().Verstaerker[1].Pegel, 0.0);
}

TEST_F(FilterAndCopy, LevelInDecibelsBecomesALinearFactor) {
  // 10^(-6/20) = 0.50119, 10^(+3,5/20) = 1.4962; a level left as shown keeps
  // its exact factor.
  struct Case {
    const char* field;
    double pegel;
  };
  for (const Case& c : {Case{"-6", 0.501187}, Case{"3,5", 1.496236}, Case{"0", 1.0}}) {
    Answer<TFormAktFilter>([&](TFormAktFilter& d) { d.EdPegel()->setText(QString::fromUtf8(c.field)); }, true);
    EditActiveFilter(*doc, 1, run);
    EXPECT_NEAR(doc->Project().Verstaerker[0].Pegel, c.pegel, 1e-6) << c.field;
  }
  doc->Unguarded().Verstaerker[0].Pegel = 0.7071;  // shown as -3,01 dB
  Answer<TFormAktFilter>([](TFormAktFilter& d) { EXPECT_EQ(d.EdPegel()->text().toStdString(), "-3,01"); }, true);
  EditActiveFilter(*doc, 1, run);
  EXPECT_EQ(doc->Project().Verstaerker[0].Pegel, 0.7071);
  EXPECT_TRUE(ui.asked.empty());
}

TEST_F(FilterAndCopy, SectionFieldsFollowTheirBoxesAndKeepTheirValues) {
  TVerstaerker& v = doc->Unguarded().Verstaerker[0];
  v.HP121 = true;
  v.HP121f = 80;
  v.HP121q = 0.5;
  v.TP6 = false;
  v.TP6f = 3000;
  const TVerstaerker before = v;
  Answer<TFormAktFilter>(
      [](TFormAktFilter& d) {
        // shown only while ticked; the 6 dB sections have no Q field
        EXPECT_FALSE(d.EdFreq(TSection::HP121)->isHidden());
        EXPECT_FALSE(d.EdQ(TSection::HP121)->isHidden());
        EXPECT_EQ(d.EdFreq(TSection::HP121)->text().toStdString(), "80");
        EXPECT_EQ(d.EdQ(TSection::HP121)->text().toStdString(), "0,5");
        EXPECT_TRUE(d.EdFreq(TSection::TP6)->isHidden());
        EXPECT_EQ(d.EdQ(TSection::TP6), nullptr);
        EXPECT_EQ(d.CbSection(TSection::TP122)->text().toStdString(), "Tiefpaß 12 dB");
        // unticking hides at once and keeps the values; ticking shows them again
        d.CbSection(TSection::HP121)->setChecked(false);
        EXPECT_TRUE(d.EdFreq(TSection::HP121)->isHidden());
        EXPECT_TRUE(d.EdQ(TSection::HP121)->isHidden());
        d.CbSection(TSection::HP121)->setChecked(true);
        EXPECT_FALSE(d.EdQ(TSection::HP121)->isHidden());
        EXPECT_EQ(d.EdQ(TSection::HP121)->text().toStdString(), "0,5");
        d.CbSection(TSection::HP121)->setChecked(false);
        d.CbSection(TSection::TP6)->setChecked(true);
        EXPECT_FALSE(d.EdFreq(TSection::TP6)->isHidden());
        d.EdFreq(TSection::TP6)->setText("2500,5");
        d.EdQ(TSection::TP121)->setText("0.71");  // an unticked section is read too
      },
      true);
  EditActiveFilter(*doc, 1, run);
  const TVerstaerker& after = doc->Project().Verstaerker[0];
  EXPECT_FALSE(after.HP121);
  EXPECT_EQ(after.HP121f, 80);
  EXPECT_EQ(after.HP121q, 0.5);
  EXPECT_TRUE(after.TP6);
  EXPECT_EQ(after.TP6f, 2500.5);
  EXPECT_FALSE(after.TP121);
  EXPECT_EQ(after.TP121q, 0.71);
  EXPECT_EQ(after.crossover, before.crossover);

  // "Abbruch" changes nothing and pushes no undo step.
  const int undoSteps = doc->UndoStack().Count();
  Answer<TFormAktFilter>([](TFormAktFilter& d) { d.CbSection(TSection::HP6)->setChecked(true); }, false);
  EditActiveFilter(*doc, 1, run);
  EXPECT_FALSE(doc->Project().Verstaerker[0].HP6);
  EXPECT_EQ(doc->UndoStack().Count(), undoSteps);
}

// --- chassis copy and swap ----------------------------------------------------

QStringList Entries(const QComboBox* cb) {
  QStringList texts;
  for (int i = 0; i < cb->count(); ++i) texts << cb->itemText(i);
  return texts;
}

void Act(TFormChassisCopy& d, int source, int action, int target) {
  d.CbChas1()->setCurrentIndex(source);
  d.ComboBox1()->setCurrentIndex(action);
  d.CbChas2()->setCurrentIndex(target);
  d.Button1()->click();
}

constexpr int kCopy = 0;
constexpr int kSwap = 1;

TEST_F(FilterAndCopy, CopyWithoutTheBoxesCarriesTheChassisAndItsOutletDiameter) {
  const auto before = std::make_unique<TProjekt>(doc->Project());
  Answer<TFormChassisCopy>(
      [](TFormChassisCopy& d) {
        EXPECT_EQ(d.windowTitle().toStdString(), "Chassis kopieren / tauschen");
        EXPECT_TRUE(d.CheckBox1()->isChecked());  // both checked at program start
        EXPECT_TRUE(d.CheckBox2()->isChecked());
        EXPECT_EQ(Entries(d.CbChas1()).join("|").toStdString(),
                  "1: Test-Kalotte 25|2: Test-Tieftöner 17|3: Test-Sub|4: Reserve");
        EXPECT_EQ(d.CbChas1()->currentIndex(), 0);
        EXPECT_EQ(d.ComboBox1()->currentText().toStdString(), "kopieren nach");
        EXPECT_EQ(d.CbChas2()->currentIndex(), 1);
        d.CheckBox1()->setChecked(false);
        d.CheckBox2()->setChecked(false);
        d.Button1()->click();
        EXPECT_EQ(d.CbChas2()->itemText(1).toStdString(), "2: Test-Kalotte 25");
        EXPECT_EQ(d.CbChas2()->currentIndex(), 1);
      },
      true);
  EditChassisCopy(*doc, CopyDialog(), run);
  const TProjekt& p = doc->Project();
  EXPECT_EQ(p.Chassis[1], before->Chassis[0]);
  EXPECT_EQ(p.Einbau[1], before->Einbau[1]);
  TSchallwand expected = before->Schallwand[1];
  expected.d = before->Schallwand[0].d;
  EXPECT_EQ(p.Schallwand[1], expected);
  EXPECT_NE(before->Schallwand[1].d, before->Schallwand[0].d);  // the fixture shows the difference
  EXPECT_EQ(p.Chassis[0], before->Chassis[0]);
  EXPECT_FALSE(p.bSaved);
  EXPECT_EQ(UndoCaption(), "Rückgängig \"Chassis kopieren\"");
  // chassis 2 (with its baffle, since d changed), the crossover of amplifier
  // 1 that drives it, and the whole box
  EXPECT_EQ(RanAfterCalc(), (std::set<int>{TCalcStruct::kBaffle0 + 1, TCalcStruct::kChassis0 + 1,
                                           TCalcStruct::kWeiche0 + 0, TCalcStruct::kGesamt}));

  // The boxes keep their state for the next opening.
  Answer<TFormChassisCopy>(
      [](TFormChassisCopy& d) {
        EXPECT_FALSE(d.CheckBox1()->isChecked());
        EXPECT_FALSE(d.CheckBox2()->isChecked());
      },
      false);
  EditChassisCopy(*doc, CopyDialog(), run);
}

TEST_F(FilterAndCopy, CopyWithTheBoxesAndSwapWithAndWithout) {
  const auto before = std::make_unique<TProjekt>(doc->Project());
  struct Case {
    int action;
    bool withEinbau, withSchallwand;
  };
  for (const Case& c : {Case{kCopy, true, true}, Case{kCopy, true, false}, Case{kSwap, false, false},
                        Case{kSwap, true, false}, Case{kSwap, true, true}}) {
    doc->Unguarded() = *before;
    Answer<TFormChassisCopy>(
        [&](TFormChassisCopy& d) {
          d.CheckBox1()->setChecked(c.withEinbau);
          d.CheckBox2()->setChecked(c.withSchallwand);
          Act(d, 0, c.action, 2);  // chassis 1 and 3
        },
        true);
    EditChassisCopy(*doc, CopyDialog(), run);
    const TProjekt& p = doc->Project();
    const std::string what = std::to_string(c.action) + std::to_string(c.withEinbau) + std::to_string(c.withSchallwand);
    EXPECT_EQ(p.Chassis[2], before->Chassis[0]) << what;
    EXPECT_EQ(p.Einbau[2], before->Einbau[c.withEinbau ? 0 : 2]) << what;
    double d2 = before->Schallwand[2].d;
    if (c.action == kCopy || c.withSchallwand) d2 = before->Schallwand[0].d;
    EXPECT_EQ(p.Schallwand[2].d, d2) << what;
    EXPECT_EQ(p.Schallwand[2].vert, before->Schallwand[c.withSchallwand ? 0 : 2].vert) << what;
    if (c.action == kSwap) {
      EXPECT_EQ(p.Chassis[0], before->Chassis[2]) << what;
      EXPECT_EQ(p.Einbau[0], before->Einbau[c.withEinbau ? 2 : 0]) << what;
      EXPECT_EQ(p.Schallwand[0], before->Schallwand[c.withSchallwand ? 2 : 0]) << what;  // d stays with its slot
    } else {
      EXPECT_EQ(p.Chassis[0], before->Chassis[0]) << what;
      EXPECT_EQ(p.Schallwand[0], before->Schallwand[0]) << what;
    }
    // crossovers keep their chassis numbers
    for (int a = 0; a < kMaxAmps; ++a) EXPECT_EQ(p.Verstaerker[a], before->Verstaerker[a]) << what;
  }
}

TEST_F(FilterAndCopy, TheSameChassisOnBothSidesChangesNothing) {
  const auto before = std::make_unique<TProjekt>(doc->Project());
  Answer<TFormChassisCopy>(
      [](TFormChassisCopy& d) {
        Act(d, 2, kCopy, 2);
        Act(d, 2, kSwap, 2);
        d.CheckBox1()->setChecked(false);
        d.CheckBox2()->setChecked(false);
        Act(d, 0, kCopy, 0);
        Act(d, 0, kSwap, 0);
      },
      true);
  EditChassisCopy(*doc, CopyDialog(), run);
  TProjekt p = doc->Project();
  p.bSaved = before->bSaved;
  EXPECT_EQ(p, *before);
}

TEST_F(FilterAndCopy, TwoActionsAreAppliedTogetherAndCancelDiscardsBoth) {
  const auto before = std::make_unique<TProjekt>(doc->Project());
  doc->PushUndo("Anzeigeoptionen");  // an earlier step stays on top after the cancel
  const auto copyAndSwap = [](TFormChassisCopy& d) {
    Act(d, 0, kCopy, 1);
    EXPECT_EQ(Entries(d.CbChas1()).join("|").toStdString(),
              "1: Test-Kalotte 25|2: Test-Kalotte 25|3: Test-Sub|4: Reserve");
    Act(d, 1, kSwap, 2);
    EXPECT_EQ(Entries(d.CbChas2()).join("|").toStdString(),
              "1: Test-Kalotte 25|2: Test-Sub|3: Test-Kalotte 25|4: Reserve");
    EXPECT_EQ(d.CbChas1()->currentIndex(), 1);
    EXPECT_EQ(d.CbChas2()->currentIndex(), 2);
  };
  Answer<TFormChassisCopy>(copyAndSwap, false);
  EditChassisCopy(*doc, CopyDialog(), run);
  EXPECT_EQ(doc->Project(), *before);
  EXPECT_EQ(doc->UndoStack().Count(), 1);
  EXPECT_EQ(UndoCaption(), "Rückgängig \"Anzeigeoptionen\"");

  // With "Ok" both take effect, and one undo step restores the project.
  Answer<TFormChassisCopy>(copyAndSwap, true);
  EditChassisCopy(*doc, CopyDialog(), run);
  EXPECT_EQ(doc->Project().Chassis[1], before->Chassis[2]);
  EXPECT_EQ(doc->Project().Chassis[2], before->Chassis[0]);
  EXPECT_EQ(doc->UndoStack().Count(), 2);
  doc->Undo();
  TProjekt p = doc->Project();
  p.bSaved = before->bSaved;
  EXPECT_EQ(p, *before);
}

TEST_F(FilterAndCopy, ASingleChassisLeavesTheSecondListWithoutSelection) {
  doc->Unguarded().nChassis = 1;
  const auto before = std::make_unique<TProjekt>(doc->Project());
  Answer<TFormChassisCopy>(
      [](TFormChassisCopy& d) {
        EXPECT_EQ(d.CbChas2()->count(), 1);
        EXPECT_EQ(d.CbChas2()->currentIndex(), -1);
        d.ComboBox1()->setCurrentIndex(kSwap);
        d.Button1()->click();
        d.ComboBox1()->setCurrentIndex(kCopy);
        d.Button1()->click();
      },
      true);
  EditChassisCopy(*doc, CopyDialog(), run);
  TProjekt p = doc->Project();
  p.bSaved = before->bSaved;
  EXPECT_EQ(p, *before);
}

// --- the main window's commands -------------------------------------------------

class MainWindowCommands : public TMainFormFixture<> {
 protected:
  void SetUp() override {
    TMainFormFixture::SetUp();
    StartOn(*testing::MakeTwoWayProject(60));
  }
};

// The menu items run the commands on their amplifier, through the window's
// dialog runner, and the undo item names the edit.
TEST_F(MainWindowCommands, ActiveFilterAndChassisCopyItemsRunTheirDialogs) {
  form->execDialog = Answering<TFormAktFilter>(
      [](TFormAktFilter& d) { EXPECT_EQ(d.Group()->title().toStdString(), " Verstärker 2 "); }, true);
  form->Action("actAktFilt2")->trigger();
  EXPECT_EQ(UndoCaption(), "Rückgängig \"Aktives Filter 2 editieren\"");
  form->execDialog = Answering<TFormChassisCopy>([](TFormChassisCopy& d) { d.Button1()->click(); }, true);
  form->Action("actChassisCopy")->trigger();
  EXPECT_EQ(UndoCaption(), "Rückgängig \"Chassis kopieren\"");
  EXPECT_EQ(form->Project().Chassis[1], form->Project().Chassis[0]);
}

// --- chart pictures ---------------------------------------------------------------

TEST_F(MainWindowCommands, TheShownChartPageIsSavedAsSvgOrPng) {
  form->resize(900, 600);
  form->Pages()->setCurrentIndex(kPagePolar);
  ui.files = {dir / "polar.svg", dir / "gesamt"};
  form->Action("actSaveChart")->trigger();
  ASSERT_EQ(ui.asked.size(), 1u);
  EXPECT_EQ(ui.asked[0].kind, "save");
  EXPECT_EQ(ui.asked[0].text, "Diagramm speichern ...");
  EXPECT_EQ(ui.asked[0].options, "PNG-Bild (*.png)|*.png|SVG-Grafik (*.svg)|*.svg");
  const std::string svg = ReadWholeFile(dir / "polar.svg");
  EXPECT_NE(svg.find("<svg"), std::string::npos);
  EXPECT_NE(svg.find("Frequenz: "), std::string::npos);  // the polar page names its frequency

  // A name without a picture extension becomes a PNG; the page's context menu offers the same item.
  form->Pages()->setCurrentIndex(kPageFgangImp);
  EXPECT_TRUE(form->PaintBox(kPageFgangImp)->actions().contains(form->Action("actSaveChart")));
  form->SaveChartClick();
  const std::string png = ReadWholeFile(dir / "gesamt.png");
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  EXPECT_EQ(ui.asked.size(), 2u);  // written without a message
}

TEST_F(MainWindowCommands, SpinoramaPageFollowsItsCheckBoxAndIsSavedLikeEveryPage) {
  EXPECT_EQ(form->Pages()->tabText(kPageSpinorama), QString::fromUtf8("Spinorama"));
  const TZChart& delay = *form->Charts().groupDelay;
  ASSERT_TRUE(form->Charts().spin->HasData);
  EXPECT_TRUE(delay.Curves[0].Visible);  // the box
  EXPECT_TRUE(delay.Curves[1].Visible);  // chassis 1
  form->SpinShowChassisBox()->setChecked(false);
  EXPECT_TRUE(delay.Curves[0].Visible);
  EXPECT_FALSE(delay.Curves[1].Visible);
  // The other pages keep their own check box.
  EXPECT_TRUE(form->ShowChassisBox()->isChecked());

  form->resize(900, 600);
  form->Pages()->setCurrentIndex(kPageSpinorama);
  ui.files = {dir / "spin.png"};
  form->SaveChartClick();
  const std::string png = ReadWholeFile(dir / "spin.png");
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
}

// --- calculation pause ----------------------------------------------------------

TEST_F(MainWindowCommands, CalculationPauseIsAskedHeldWithinItsRangeAndKept) {
  ui.edits = {std::vector<std::string>{"120"}, std::vector<std::string>{"5000"}, std::nullopt};
  form->Action("actCalcPause")->trigger();
  ASSERT_EQ(ui.asked.size(), 1u);
  EXPECT_EQ(ui.asked[0].kind, "edit");
  EXPECT_EQ(ui.asked[0].text, "Rechenpause");
  EXPECT_EQ(ui.asked[0].options, "Pause nach jedem Rechenschritt [ms] %i");
  EXPECT_EQ(settings.calcPauseMs, 120);
  form->RechenpauseClick();
  EXPECT_EQ(settings.calcPauseMs, 2000);
  form->RechenpauseClick();  // cancelled
  EXPECT_EQ(settings.calcPauseMs, 2000);
  form->RechenpauseClick();  // script exhausted: cancelled as well
  EXPECT_EQ(settings.calcPauseMs, 2000);
  // The running calculation follows the new pause.
  ui.edits = {std::vector<std::string>{"0"}};
  form->RechenpauseClick();
  EXPECT_EQ(settings.calcPauseMs, 0);
  form->Document().Unguarded().Verstaerker[0].Pegel = 0.5;
  form->Document().RequestCalc();
  EXPECT_TRUE(form->WaitCalcIdle(std::chrono::seconds(20)));
}

TEST_F(MainWindowCommands, OptimizerPauseIsAskedAndReachesAnOpenOptimizer) {
  ui.edits = {std::vector<std::string>{"300"}, std::vector<std::string>{"-4"}};
  form->Action("actOptiPause")->trigger();
  ASSERT_EQ(ui.asked.size(), 1u);
  EXPECT_EQ(ui.asked[0].text, "Optimiererpause");
  EXPECT_EQ(ui.asked[0].options, "Pause nach jedem Optimiererschritt [ms] %i");
  EXPECT_EQ(ui.asked[0].values, std::vector<std::string>{"65"});  // the default
  EXPECT_EQ(settings.optiPauseMs, 300);
  EXPECT_EQ(settings.calcPauseMs, kDefaultCalcPauseMs);  // the calculation keeps its own
  form->Action("actOptimizer")->trigger();
  ASSERT_NE(form->OptimizerWindow(), nullptr);
  form->OptimiererpauseClick();
  EXPECT_EQ(ui.asked[1].values, std::vector<std::string>{"300"});
  EXPECT_EQ(settings.optiPauseMs, 0);
}

}  // namespace
}  // namespace sonvex
