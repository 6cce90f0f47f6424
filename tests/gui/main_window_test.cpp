// The main window with a scripted interaction: start-up, project commands,
// undo, reference project, menu state, status bar and closing, and the
// wiring of the editors: the menu items that open them and how the window
// follows them.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "calc/check.h"
#include "calc/file_load.h"
#include "main_window_fixture.h"
#include "model/chassis_file.h"
#include "model/file_io.h"
#include "model/interaction.h"
#include "model/project_file.h"
#include "model/settings.h"
#include "named_controls.h"
#include "optimizer/optimizer.h"
#include "optimizer_test_support.h"
#include "support/scripted_interaction.h"
#include "support/test_projects.h"
#include "ui/dialogs/error_list_window.h"
#include "ui/dialogs/project_properties_dialog.h"
#include "ui/dialogs/window_place.h"
#include "ui/editors/cabinet_dialog.h"
#include "ui/editors/chassis_editor.h"
#include "ui/editors/crossover_editor.h"
#include "ui/editors/optimizer_window.h"
#include "ui/editors/part_editor.h"
#include "ui/main/main_window.h"
#include "ui/main/status_colours.h"

namespace sonvex {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class MainWindowTest : public MainWindowFixture<> {
 protected:
  void WriteTwoWayDefault() { SaveProject(*testing::MakeTwoWayProject(60), DefaultFile()); }
};

TEST_F(MainWindowTest, StartUpLoadsTheNamedProjectElseDefaultElseTheEmptyProject) {
  WriteTwoWayDefault();
  auto other = testing::MakeTwoWayProject(60);
  other->chassisCount = 3;
  SaveProject(*other, dir_ / "other.ZPJ");

  options_.startFile = dir_ / "fehlt.ZPJ";
  MainWindow& f = Start();
  EXPECT_EQ(f.CurrentProject().chassisCount, 4);
  EXPECT_EQ(f.CurrentProject().chassis[1].name, "Test-Tieftöner 17");
  EXPECT_EQ(f.TitleName(), Utf8FromPath(DefaultFile()));
  EXPECT_TRUE(f.windowTitle().startsWith(QString::fromUtf8("Sonvex V1.11b - KORVANT-Edition [")));
  EXPECT_TRUE(f.CurrentProject().saved);
  EXPECT_TRUE(f.ShownResult().valid);
  EXPECT_EQ(f.ShownResult().chassisCount, 4);
  EXPECT_FALSE(Action(f, "actUndo")->isEnabled());
  EXPECT_EQ(UndoCaption(), "Undo");
  EXPECT_TRUE(Action(f, "actRefRemember")->isEnabled());
  EXPECT_FALSE(Action(f, "actRefSwap")->isEnabled());
  EXPECT_FALSE(Action(f, "actRefDelete")->isEnabled());
  EXPECT_TRUE(ui_.asked.empty());

  options_.startFile = dir_ / "other.ZPJ";
  Start();
  EXPECT_EQ(form_->CurrentProject().chassisCount, 3);

  fs::remove(DefaultFile());
  options_.startFile.reset();
  Start();
  EXPECT_EQ(form_->CurrentProject().chassisCount, 1);
  EXPECT_EQ(form_->TitleName(), "");
  EXPECT_EQ(form_->windowTitle(), QString::fromUtf8("Sonvex V1.11b - KORVANT-Edition []"));
}

TEST_F(MainWindowTest, TheWindowStartsWithinTheScreen) {
  MainWindow& f = Start();
  const QScreen* screen = f.screen();
  ASSERT_NE(screen, nullptr);
  const QRect free = screen->availableGeometry();
  EXPECT_TRUE(free.contains(f.geometry())) << free.width() << "x" << free.height();
  // A screen with room for it gets the usual size and place.
  if (free.contains(QRect(66, 0, 1100, 760))) {
    EXPECT_EQ(f.geometry(), QRect(66, 0, 1100, 760));
  }
  // The control rows wrap, so that the window fits a 640 x 480 screen.
  EXPECT_LE(f.minimumSizeHint().width(), 640);
  EXPECT_LE(f.minimumSizeHint().height(), 480);
}

TEST_F(MainWindowTest, PlainTextProjectFileIsRefusedAndTheEmptyProjectTakesItsPlace) {
  WriteTwoWayDefault();
  const fs::path plain = dir_ / "klartext.ZPJ";
  std::ofstream(plain) << "# Sonvex project\n[Header]\nVersion=1008\n";
  options_.startFile = plain;
  Start();
  ASSERT_EQ(ui_.asked.size(), 1u);
  EXPECT_EQ(ui_.asked[0].kind, "message");
  EXPECT_EQ(ui_.asked[0].text, Utf8FromPath(plain) + "\r" + std::string(kNotAProjectFileText));
  auto empty = MakeNewProject();
  EXPECT_EQ(form_->CurrentProject().chassisCount, 1);
  EXPECT_EQ(form_->CurrentProject().chassis[0], empty->chassis[0]);
  EXPECT_EQ(form_->TitleName(), "");
}

TEST_F(MainWindowTest, SaveAppendsTheExtensionUnlessPresentAndRefusesShortNames) {
  Start();
  struct Case {
    const char* chosen;
    const char* stored;
  };
  for (const Case& c : {Case{"box", "box.ZPJ"}, Case{"box.zpj", "box.zpj"}, Case{"Bass.ZpJ", "Bass.ZpJ"}}) {
    form_->Document().Unguarded().saved = false;
    ui_.files.push_back(dir_ / c.chosen);
    form_->SaveProjectClick();
    EXPECT_TRUE(fs::exists(dir_ / c.stored)) << c.chosen;
    EXPECT_TRUE(form_->CurrentProject().saved) << c.chosen;
    EXPECT_EQ(form_->FileName(), dir_ / c.stored);
    EXPECT_EQ(form_->TitleName(), Utf8FromPath(dir_ / c.stored));
  }
  EXPECT_EQ(ui_.asked.back().kind, "save");
  EXPECT_EQ(ui_.asked.back().text, "Projekt speichern ...");
  EXPECT_EQ(ui_.asked.back().options, "Sonvex Projekte (*.ZPJ)|*.ZPJ|Alle Dateien (*.*)|*.*");
  EXPECT_FALSE(fs::exists(dir_ / "box.zpj.ZPJ"));

  // ".ZPJ" alone has 4 characters: not saved; a cancelled dialog neither
  form_->Document().Unguarded().saved = false;
  ui_.files.push_back(fs::path(""));
  ui_.files.push_back(std::nullopt);
  form_->SaveProjectClick();
  form_->SaveProjectClick();
  EXPECT_FALSE(form_->CurrentProject().saved);
  EXPECT_FALSE(fs::exists(".ZPJ"));
  EXPECT_EQ(form_->FileName(), dir_ / "Bass.ZpJ");
}

TEST_F(MainWindowTest, CtrlSSavesIntoTheOwnFileAndTheTitleMarksUnsavedChanges) {
  WriteTwoWayDefault();
  MainWindow& f = Start();
  const fs::path own = DefaultFile();
  ASSERT_EQ(f.FileName(), own);
  EXPECT_FALSE(f.windowTitle().endsWith(QStringLiteral(" *")));
  EXPECT_EQ(Action(f, "actSaveAs")->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+S")));
  EXPECT_EQ(Action(f, "actSaveAs")->text(), QStringLiteral("Speichern &unter ..."));
  {
    ProjectEdit edit(f.Document(), "Aktives Filter 1 editieren");
    edit.EditedProject().amplifiers[0].level = -1.0;
    edit.Commit();
  }
  EXPECT_TRUE(f.windowTitle().endsWith(QStringLiteral(" *")));
  // Ctrl+S writes the project's own file without asking.
  ui_.asked.clear();
  Action(f, "actSave")->trigger();
  EXPECT_TRUE(ui_.asked.empty());
  EXPECT_TRUE(f.CurrentProject().saved);
  EXPECT_FALSE(f.windowTitle().endsWith(QStringLiteral(" *")));
  auto reread = std::make_unique<Project>();
  LoadProjectFile(*reread, own, settings_, ui_);
  EXPECT_EQ(reread->amplifiers[0].level, -1.0);
  // "Speichern unter ..." asks for a name.
  ui_.files.push_back(dir_ / "kopie");
  Action(f, "actSaveAs")->trigger();
  ASSERT_EQ(ui_.asked.size(), 1u);
  EXPECT_EQ(ui_.asked[0].kind, "save");
  EXPECT_EQ(f.FileName(), dir_ / "kopie.ZPJ");
  // Undo marks the project as changed again; a new project has no file and asks.
  f.UndoClick();
  EXPECT_TRUE(f.windowTitle().endsWith(QStringLiteral(" *")));
  ui_.buttons = {1};  // discard the changes
  f.execDialog = [](QDialog&) { return int(QDialog::Rejected); };
  f.NewProjectClick();
  EXPECT_FALSE(f.windowTitle().endsWith(QStringLiteral(" *")));
  ui_.asked.clear();
  ui_.files.push_back(std::nullopt);
  Action(f, "actSave")->trigger();
  ASSERT_EQ(ui_.asked.size(), 1u);
  EXPECT_EQ(ui_.asked[0].kind, "save");
}

TEST_F(MainWindowTest, CtrlTabNeverReachesTheHiddenChassisPage) {
  MainWindow& f = StartOn(*testing::MakeTwoWayProject(60));  // two chassis: "Chassis 5..8" hidden
  ASSERT_FALSE(f.Pages()->isTabVisible(PageChassis5To8));
  f.Pages()->setCurrentIndex(PageChassis1To4);
  QKeyEvent ctrlTab(QEvent::KeyPress, Qt::Key_Tab, Qt::ControlModifier);
  QApplication::sendEvent(f.Pages(), &ctrlTab);
  EXPECT_NE(f.Pages()->currentIndex(), PageChassis1To4);
  EXPECT_NE(f.Pages()->currentIndex(), PageChassis5To8);
}

TEST_F(MainWindowTest, NewProjectPropertiesAndUndo) {
  WriteTwoWayDefault();
  Start();
  form_->execDialog = [](QDialog&) { return int(QDialog::Rejected); };
  form_->NewProjectClick();  // saved: no question
  EXPECT_TRUE(ui_.asked.empty());
  EXPECT_EQ(UndoCaption(), "Rückgängig \"Neues Projekt\"");
  EXPECT_TRUE(Action(*form_, "actUndo")->isEnabled());
  EXPECT_EQ(form_->CurrentProject().chassisCount, 1);
  EXPECT_EQ(form_->TitleName(), "noname.ZPJ");
  EXPECT_EQ(form_->FileName(), fs::path());
  EXPECT_EQ(form_->UndoHistory().Count(), 1);  // the cancelled properties pushed nothing
  ASSERT_TRUE(form_->WaitCalcIdle());
  EXPECT_EQ(form_->ShownResult().chassisCount, 1);

  // properties confirmed with five chassis
  form_->execDialog = [](QDialog& d) {
    static_cast<ProjectPropertiesDialog&>(d).ChassisCountCombo()->setCurrentIndex(4);
    return int(QDialog::Accepted);
  };
  form_->ProjectPropertiesClick();
  EXPECT_EQ(form_->CurrentProject().chassisCount, 5);
  EXPECT_FALSE(form_->CurrentProject().saved);
  EXPECT_EQ(UndoCaption(), "Rückgängig \"Projekteigenschaften ändern\"");
  EXPECT_TRUE(form_->Pages()->isTabVisible(PageChassis5To8));
  ASSERT_TRUE(form_->WaitCalcIdle());
  EXPECT_EQ(form_->ShownResult().chassisCount, 5);

  // unsaved: "Nein" keeps everything
  ui_.buttons = {2};
  form_->NewProjectClick();
  ASSERT_EQ(ui_.asked.size(), 1u);
  EXPECT_EQ(ui_.asked[0].text, "Wirklich alle Änderungen ohne zu sichern verwerfen?");
  EXPECT_EQ(ui_.asked[0].options, "Ja |Nein");
  EXPECT_EQ(form_->CurrentProject().chassisCount, 5);

  // undo twice: back to the loaded project, with a full recalculation
  form_->UndoClick();
  EXPECT_EQ(form_->CurrentProject().chassisCount, 1);
  EXPECT_EQ(UndoCaption(), "Rückgängig \"Neues Projekt\"");
  form_->UndoClick();
  EXPECT_EQ(form_->CurrentProject().chassisCount, 4);
  EXPECT_FALSE(form_->CurrentProject().saved);
  EXPECT_FALSE(Action(*form_, "actUndo")->isEnabled());
  ASSERT_TRUE(form_->WaitCalcIdle());
  EXPECT_EQ(form_->ShownResult().chassisCount, 4);
  EXPECT_TRUE(form_->ShownResult().valid);

  for (int i = 0; i < 22; ++i) form_->Document().PushUndo("Anzeigeoptionen");
  EXPECT_EQ(form_->UndoHistory().Count(), 21);
}

// The shipped sample project keeps smoothing widths of its own; confirming
// the project properties replaces them by those of its grid. Undoing that
// must bring back curves computed with the restored widths.
TEST_F(MainWindowTest, UndoOfUnchangedPropertiesGivesTheCurvesOfAFreshCalculation) {
  fs::copy_file(fs::path(SONVEX_DATA_DIR) / "Projekte" / "Default.ZPJ", DefaultFile());
  Start();
  form_->execDialog = [](QDialog&) { return int(QDialog::Accepted); };
  form_->ProjectPropertiesClick();
  ASSERT_TRUE(form_->WaitCalcIdle());
  form_->UndoClick();
  ASSERT_TRUE(form_->WaitCalcIdle());

  CalcThread fresh(nullptr, true, 0ms);
  fresh.StartFullCalc(form_->CurrentProject());
  fresh.ComputeUntilDone();
  const CalcResult& shown = form_->ShownResult();
  const CalcResult& want = fresh.Result();
  ASSERT_EQ(shown.freqCount, want.freqCount);
  int differing = 0;
  for (int c = 0; c < form_->CurrentProject().chassisCount; ++c)
    for (int i = 0; i < want.freqCount; ++i)
      if (!(shown.chassisFront[c][i] == want.chassisFront[c][i]) ||
          !(shown.chassisImpedance[c][i] == want.chassisImpedance[c][i]))
        ++differing;
  EXPECT_EQ(differing, 0);
  for (int i = 0; i < want.freqCount; ++i) EXPECT_EQ(shown.boxPressure[i][0], want.boxPressure[i][0]) << i;
}

TEST_F(MainWindowTest, SavedDisplayDefaultsApplyToEveryNewProject) {
  settings_.useDisplayDefaults = true;
  settings_.displayDefaults.fMin = 50;
  settings_.displayDefaults.fMax = 10000;
  settings_.displayDefaults.gridPoints = 60;
  settings_.displayDefaults.dBMax = 130;
  auto expectDefaults = [&](const char* when) {
    const Project& p = form_->CurrentProject();
    EXPECT_EQ(p.fMin, 50) << when;
    EXPECT_EQ(p.gridPoints, 60) << when;
    EXPECT_EQ(p.dBMax, 130) << when;
    EXPECT_DOUBLE_EQ(p.freq[0], 50) << when;
    EXPECT_DOUBLE_EQ(p.freq[59], 10000) << when;
    EXPECT_EQ(p.freq[60], 0) << when;
    ASSERT_TRUE(form_->WaitCalcIdle());
    EXPECT_EQ(form_->ShownResult().freqCount, 60) << when;
  };
  Start();  // no Default.ZPJ
  expectDefaults("start");
  form_->execDialog = [](QDialog&) { return int(QDialog::Rejected); };
  form_->Document().Unguarded().dBMax = 90;
  form_->NewProjectClick();
  expectDefaults("new project");
}

TEST_F(MainWindowTest, RequestsClearTheValidFlagOfTheShownResult) {
  WriteTwoWayDefault();
  Start();
  ASSERT_TRUE(form_->ShownResult().valid);
  form_->Document().RequestCalc();
  EXPECT_FALSE(form_->ShownResult().valid);
  ASSERT_TRUE(form_->WaitCalcIdle());
  ASSERT_TRUE(form_->ShownResult().valid);
  form_->Document().RequestFullCalc();
  EXPECT_FALSE(form_->ShownResult().valid);
  ASSERT_TRUE(form_->WaitCalcIdle());
  EXPECT_TRUE(form_->ShownResult().valid);
}

TEST_F(MainWindowTest, ReferenceRememberSwapTwiceRestoreAndDelete) {
  WriteTwoWayDefault();
  Start();
  const Chart& total = *form_->Charts().total;
  const auto curvesA = total.curves[0].Y;

  form_->RememberReferenceClick();
  EXPECT_TRUE(form_->HasReference());
  EXPECT_TRUE(Action(*form_, "actRefSwap")->isEnabled());
  EXPECT_TRUE(total.curves[kChartCurves].visible);
  EXPECT_EQ(total.curves[kChartCurves].Y, curvesA);

  // project B: amplifier 1 at half the voltage
  form_->Document().Unguarded().amplifiers[0].level = 0.5;
  form_->Document().RequestCalc();
  ASSERT_TRUE(form_->WaitCalcIdle());
  const auto curvesB = total.curves[0].Y;
  ASSERT_NE(curvesA, curvesB);

  form_->SwapReferenceClick();
  EXPECT_EQ(form_->CurrentProject().amplifiers[0].level, 1.0);
  EXPECT_EQ(form_->Reference().amplifiers[0].level, 0.5);
  EXPECT_EQ(UndoCaption(), "Rückgängig \"Projekt mit Referenzprojekt tauschen\"");
  ASSERT_TRUE(form_->WaitCalcIdle());
  EXPECT_EQ(total.curves[0].Y, curvesA);
  EXPECT_EQ(total.curves[kChartCurves].Y, curvesB);

  form_->SwapReferenceClick();
  ASSERT_TRUE(form_->WaitCalcIdle());
  EXPECT_EQ(form_->CurrentProject().amplifiers[0].level, 0.5);
  EXPECT_EQ(form_->Reference().amplifiers[0].level, 1.0);
  EXPECT_EQ(total.curves[0].Y, curvesB);
  EXPECT_EQ(total.curves[kChartCurves].Y, curvesA);  // the project current between the swaps
  EXPECT_EQ(form_->Charts().chassis[0]->curves[kChartCurves].count, 60);
  EXPECT_FALSE(form_->CurrentProject().saved);

  form_->RestoreReferenceClick();
  EXPECT_EQ(form_->CurrentProject().amplifiers[0].level, 1.0);
  EXPECT_TRUE(form_->HasReference());
  EXPECT_EQ(UndoCaption(), "Rückgängig \"Referenz wiederherstellen\"");
  ASSERT_TRUE(form_->WaitCalcIdle());
  EXPECT_EQ(total.curves[0].Y, curvesA);

  form_->DeleteReferenceClick();
  EXPECT_FALSE(form_->HasReference());
  for (const char* name : {"actRefSwap", "actRefRestore", "actRefDelete"})
    EXPECT_FALSE(Action(*form_, name)->isEnabled()) << name;
  EXPECT_FALSE(total.curves[kChartCurves].visible);
  EXPECT_FALSE(form_->Charts().phase->curves[kChartCurves].visible);
  EXPECT_TRUE(ui_.asked.empty());
}

using MainWindowBusyTest = MainWindowFixture<WaitCountingInteraction>;

TEST_F(MainWindowBusyTest, RememberingWhileCalculatingAsksUntilIdleOrCancel) {
  Start();
  // The calculation is held in its items until the question came.
  std::atomic<int> needed{1};
  form_->Calculation().onItemRun = ui_.HoldUntilAsked(needed);
  form_->Document().RequestFullCalc();
  ui_.buttons = {2};
  form_->RememberReferenceClick();
  EXPECT_FALSE(form_->HasReference());
  ASSERT_EQ(ui_.asked.size(), 1u);
  EXPECT_EQ(ui_.asked[0].text, "Rechnung muss erst beendet sein.");
  EXPECT_EQ(ui_.asked[0].options, "&nochmal versuchen|abbrechen");

  // "nochmal versuchen" (the script's default) until the calculation ended
  needed = 3;
  form_->Document().RequestFullCalc();
  form_->RememberReferenceClick();
  EXPECT_TRUE(form_->HasReference());
  EXPECT_GT(ui_.asked.size(), 1u);
  EXPECT_TRUE(form_->Calculation().IsIdle());
}

TEST_F(MainWindowTest, MenuStateFollowsTheProjectAndTheEditors) {
  Start();
  Project& p = form_->Document().Unguarded();
  p.chassisCount = 3;
  p.ampCount = 2;
  p.chassis[0].name = "Test-Tieftöner 17";
  p.enclosures[0].type = 1;
  p.enclosures[0].Vb = 0.022;
  p.chassis[1].name = "Mittel & Hoch";
  p.enclosures[1].type = 2;
  p.enclosures[1].Vb = 0.0404;
  p.enclosures[2].type = 0;
  form_->RefreshMenuState();
  EXPECT_EQ(Action(*form_, "actChassis1")->text().toStdString(), "Chassis &1: Test-Tieftöner 17 in 22l geschl.");
  EXPECT_EQ(Action(*form_, "actChassis2")->text().toStdString(), "Chassis &2: Mittel && Hoch in 40l Bassref.");
  EXPECT_EQ(Action(*form_, "actChassis3")->text().toStdString(), "Chassis &3: " + p.chassis[2].name.Str());
  for (int n = 1; n <= 9; ++n) {
    QAction* a = Action(*form_, ("actChassis" + std::to_string(n)).c_str());
    EXPECT_EQ(a->isVisible(), n <= 3) << n;
    EXPECT_EQ(a->isEnabled(), n <= 3) << n;
  }
  for (int k = 1; k <= 6; ++k) {
    QMenu* m = Menu(*form_, ("menuAmp" + std::to_string(k)).c_str());
    EXPECT_EQ(m->menuAction()->isVisible(), k <= 2) << k;
    EXPECT_EQ(Action(*form_, ("actCrossover" + std::to_string(k)).c_str())->isEnabled(), k <= 2) << k;
  }
  EXPECT_FALSE(form_->Pages()->isTabVisible(PageChassis5To8));
  EXPECT_EQ(form_->Pages()->tabText(PageChassis1To4), "Chassis");
  EXPECT_FALSE(Menu(*form_, "menuWindows")->menuAction()->isVisible());
  EXPECT_TRUE(Menu(*form_, "menuFile")->menuAction()->isEnabled());

  p.chassisCount = 5;
  form_->CrossoverEditClick(0);  // the crossover editor opens
  ASSERT_TRUE(form_->OpenEditors().crossover);
  form_->RefreshMenuState();
  EXPECT_TRUE(form_->Pages()->isTabVisible(PageChassis5To8));
  EXPECT_EQ(form_->Pages()->tabText(PageChassis1To4), "Chassis 1..4");
  EXPECT_TRUE(Menu(*form_, "menuWindows")->menuAction()->isVisible());
  EXPECT_TRUE(Action(*form_, "actShowCrossover")->isEnabled());
  EXPECT_FALSE(Action(*form_, "actShowChassis")->isEnabled());
  EXPECT_FALSE(Menu(*form_, "menuFile")->menuAction()->isEnabled());
  EXPECT_FALSE(Menu(*form_, "menuAmp1")->menuAction()->isEnabled());
  EXPECT_TRUE(Menu(*form_, "menuChassis")->menuAction()->isEnabled());

  form_->CrossoverEditor()->CancelClick();
  form_->OptimizerClick();  // the optimizer window opens
  ASSERT_TRUE(form_->OpenEditors().optimizer);
  form_->RefreshMenuState();
  EXPECT_FALSE(Menu(*form_, "menuEdit")->menuAction()->isEnabled());
  EXPECT_FALSE(Menu(*form_, "menuAmp1")->menuAction()->isVisible());
  EXPECT_FALSE(Menu(*form_, "menuChassis")->menuAction()->isEnabled());
}

TEST_F(MainWindowTest, MenuCaptionsAndShortcuts) {
  Start();
  struct Item {
    const char* name;
    const char* caption;
    const char* keys;
  };
  const Item items[] = {
      {"actNew", "&Neues Projekt", "Ctrl+N"},
      {"actLoad", "Projekt &laden ...", "Ctrl+L"},
      {"actSave", "Projekt &speichern ...", "Ctrl+S"},
      {"actExport", "Ergebnis-Export ...", "Ctrl+Alt+E"},
      {"actProperties", "Projekt&eigenschaften", "Ctrl+E"},
      {"actExit", "Programm &beenden", "Ctrl+X"},
      {"actUndo", "Undo", "Ctrl+Z"},
      {"actRefRemember", "Projekt als Referenz merken", "Ctrl+R"},
      {"actRefSwap", "Referenzprojekt mit aktuellem Projekt tauschen", "Ctrl+Alt+R"},
      {"actRefRestore", "Referenzprojekt wiederherstellen", "Ctrl+Alt+W"},
      {"actRefDelete", "Referenzprojekt löschen", "Ctrl+Alt+X"},
      {"actCabinet", "gemeinsames Außengehäuse", "Ctrl+G"},
      {"actChassisCopy", "Chassis kopieren", ""},
      {"actActiveFilter1", "&Aktive Filter...", "F5"},
      {"actCrossover3", "&Weiche editieren...", "F10"},
      {"actActiveFilter6", "&Aktive Filter...", "Shift+F9"},
      {"actDisplayOptions", "Anzeigeoptionen", "Ctrl+Alt+O"},
      {"actFolders", "Verzeichnisse", "Ctrl+Alt+V"},
      {"actBoxDesign", "Auslegung geschlossene / Bassreflex-Box", "Ctrl+A"},
      {"actOptimizer", "Weichenoptimierer ...", "Ctrl+O"},
      {"actShowCrossover", "Weicheneditor zeigen", "Ctrl+W"},
      {"actShowChassis", "Chassiseditor zeigen", "Ctrl+D"},
      {"actQuickGuide", "Kurzanleitung", "F1"},
      {"actInfo", "&Info ...", ""},
  };
  for (const Item& it : items) {
    QAction* a = Action(*form_, it.name);
    ASSERT_NE(a, nullptr) << it.name;
    EXPECT_EQ(a->text(), QString::fromUtf8(it.caption)) << it.name;
    EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromLatin1(it.keys))) << it.name;
  }
  EXPECT_EQ(Action(*form_, "actChassis9")->shortcut(), QKeySequence(QStringLiteral("Ctrl+F9")));
  EXPECT_EQ(Menu(*form_, "menuChassis")->title(), QString::fromUtf8("&Chassis && Einbau"));
  EXPECT_EQ(Menu(*form_, "menuAmp4")->title(), QString::fromUtf8("Verstärker &4"));
  EXPECT_EQ(form_->Pages()->count(), ChartPageCount);
  EXPECT_EQ(form_->Pages()->tabText(PageDirectivity), QString::fromUtf8("Bündelung"));
}

TEST_F(MainWindowTest, EveryShortcutOfTheMenusIsUnique) {
  Start();
  std::map<QString, QString> owner;
  for (QAction* a : form_->findChildren<QAction*>()) {
    if (a->shortcut().isEmpty()) continue;
    const QString keys = a->shortcut().toString();
    const auto [it, fresh] = owner.emplace(keys, a->objectName());
    EXPECT_TRUE(fresh) << keys.toStdString() << ": " << it->second.toStdString() << " and "
                       << a->objectName().toStdString();
  }
  EXPECT_EQ(owner.count(QStringLiteral("Ctrl+Z")), 1u);
}

TEST_F(MainWindowTest, StatusBarAfterCalculationsWithAndWithoutErrors) {
  WriteTwoWayDefault();
  Start();
  EXPECT_EQ(form_->StatusText().toStdString(), kStatusSuccess);
  EXPECT_EQ(form_->StatusColor(), form_->palette().color(QPalette::Button));
  EXPECT_EQ(form_->ErrorList()->Lines(), QStringList{QString::fromUtf8(kStatusSuccess)});
  EXPECT_TRUE(form_->Charts().total->hasData);

  form_->Document().Unguarded().amplifiers[0].level = 0;
  form_->Document().RequestCalc();
  ASSERT_TRUE(form_->WaitCalcIdle());
  EXPECT_EQ(form_->StatusText().toStdString(), kStatusFailure);
  EXPECT_EQ(form_->StatusColor(), QColor(255, 0, 0));
  EXPECT_GE(ContrastRatio(form_->StatusTextColor(), form_->StatusColor()), 4.5);
  EXPECT_FALSE(form_->ShownResult().valid);
  EXPECT_FALSE(form_->Charts().total->hasData);
  EXPECT_EQ(form_->ErrorList()->ErrorCount(), 1);

  form_->show();
  EXPECT_FALSE(form_->ErrorList()->isVisible());
  QMouseEvent click(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(form_->StatusPanel(), &click);
  EXPECT_TRUE(form_->ErrorList()->isVisible());

  form_->Document().Unguarded().amplifiers[0].level = 1;
  form_->Document().RequestCalc();
  ASSERT_TRUE(form_->WaitCalcIdle());
  EXPECT_EQ(form_->StatusText().toStdString(), kStatusSuccess);
  EXPECT_TRUE(form_->ShownResult().valid);
}

TEST_F(MainWindowTest, PageControlsRedrawTheCharts) {
  WriteTwoWayDefault();
  Start();
  EXPECT_TRUE(form_->Charts().total->curves[5].visible);
  form_->ShowImpedanceBox()->setChecked(false);
  EXPECT_FALSE(form_->Charts().total->curves[5].visible);
  // four chassis: boxes 5..8 hidden and unchecked
  EXPECT_EQ(form_->PhaseChassisBox(1)->text(), QString::fromUtf8("Test-Tieftöner 17(2)"));
  EXPECT_TRUE(form_->PhaseChassisBox(3)->isChecked());
  EXPECT_FALSE(form_->PhaseChassisBox(4)->isChecked());
  form_->PhaseChassisBox(0)->setChecked(false);
  EXPECT_FALSE(form_->Charts().phase->curves[0].visible);
  // The polar plots open at the grid point nearest 1 kHz (60 points from
  // 20 Hz to 20 kHz: 20 · 1000^(33/59) = 952.8 Hz).
  EXPECT_EQ(form_->PolarLabel()->text(), QString::fromUtf8("Frequenz: 952,8 Hz"));
  form_->PolarScrollBar()->setValue(59);
  EXPECT_EQ(form_->PolarScrollBar()->maximum(), 59);
  EXPECT_EQ(form_->PolarLabel()->text(), QString::fromUtf8("Frequenz: 20000 Hz"));
}

// The step response page after the spinorama page: computed when it is
// painted, following its own check box and "bis", with the reference's box,
// and saved like every page.
TEST_F(MainWindowTest, StepResponsePageIsComputedWhenShownAndFollowsItsControls) {
  WriteTwoWayDefault();
  Start();
  EXPECT_EQ(form_->Pages()->tabText(PageStepResponse), QString::fromUtf8("Sprungantwort"));
  EXPECT_EQ(PageStepResponse, PageSpinorama + 1);
  QComboBox* end = form_->StepEndBox();
  ASSERT_EQ(end->count(), 4);
  const char* ends[] = {"5 ms", "10 ms", "20 ms", "50 ms"};
  for (int k = 0; k < 4; ++k) EXPECT_EQ(end->itemText(k), QString::fromUtf8(ends[k]));
  EXPECT_EQ(end->currentText(), QString::fromUtf8("10 ms"));
  EXPECT_EQ(form_->StepShowChassisBox()->text(), QString::fromUtf8("Frequenzgang Einzelchassis zeigen"));

  const ChartSet& charts = form_->Charts();
  EXPECT_FALSE(charts.stepData->current);  // the calculation left it to the page
  form_->resize(900, 600);
  form_->Pages()->setCurrentIndex(PageStepResponse);
  auto paint = [&] { form_->PaintBox(PageStepResponse)->grab(); };
  paint();
  EXPECT_TRUE(charts.stepData->current);
  const Chart& step = *charts.stepResponse;
  ASSERT_TRUE(step.hasData);
  EXPECT_EQ(step.xMin, -1.0);
  EXPECT_EQ(step.xMax, 10.0);
  EXPECT_TRUE(step.curves[1].visible);

  end->setCurrentIndex(3);
  form_->StepShowChassisBox()->setChecked(false);
  form_->RememberReferenceClick();
  paint();
  for (const Chart* chart : std::initializer_list<const Chart*>{&step, charts.impulseResponse.get()}) {
    EXPECT_EQ(chart->xMax, 50.0);
    EXPECT_TRUE(chart->curves[0].visible);
    EXPECT_FALSE(chart->curves[1].visible);
    EXPECT_TRUE(chart->curves[kChartCurves].visible);  // the reference's box
  }
  EXPECT_TRUE(form_->SpinShowChassisBox()->isChecked());
  form_->DeleteReferenceClick();
  paint();
  EXPECT_FALSE(step.curves[kChartCurves].visible);

  ui_.files = {dir_ / "sprung.png"};
  form_->SaveChartClick();
  const std::string png = ReadWholeFile(dir_ / "sprung.png");
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  EXPECT_TRUE(ui_.asked.size() == 1 && ui_.asked[0].kind == "save");  // no message
}

TEST_F(MainWindowTest, CloseAsksToSaveWithThreeAnswers) {
  // "&Abbruch" keeps the window open; "&Ja" with a cancelled save as well
  Start();
  form_->show();
  form_->Document().Unguarded().saved = false;
  ui_.buttons = {3, 1};
  ui_.files = {std::nullopt};
  EXPECT_FALSE(form_->close());
  EXPECT_FALSE(form_->close());
  ASSERT_EQ(ui_.asked.size(), 3u);
  EXPECT_EQ(ui_.asked[0].text, "Programm beenden?\r\n\r\nSoll das aktuelle Projekt jetzt gespeichert werden?");
  EXPECT_EQ(ui_.asked[0].options, "&Ja |&Nein|&Abbruch");
  EXPECT_FALSE(fs::exists(settings_.settingsFile));

  // "&Ja" saves, then closes and saves the settings
  ui_.buttons = {1};
  ui_.files = {dir_ / "ende"};
  EXPECT_TRUE(form_->close());
  EXPECT_TRUE(fs::exists(dir_ / "ende.ZPJ"));
  EXPECT_TRUE(fs::exists(settings_.settingsFile));

  // "&Nein" closes without saving
  Start();
  form_->show();
  form_->Document().Unguarded().saved = false;
  ui_.asked.clear();
  ui_.buttons = {2};
  EXPECT_TRUE(form_->close());
  EXPECT_EQ(ui_.asked.size(), 1u);

  // nothing unsaved: no question
  Start();
  form_->show();
  ui_.asked.clear();
  EXPECT_TRUE(form_->close());
  EXPECT_TRUE(ui_.asked.empty());
}

TEST_F(MainWindowTest, NewerChassisFileIsOfferedOnceAfterStartUp) {
  WriteTwoWayDefault();
  Chassis newer = testing::Tweeter();
  newer.fs = 900;
  SaveChassisFile(settings_.chassisFolder / "kalotte.ZCH", newer);
  Start();
  ASSERT_TRUE(form_->CheckChassisPending());
  ui_.buttons = {1};
  form_->CheckChassisTick();
  ASSERT_EQ(ui_.asked.size(), 1u);
  EXPECT_EQ(ui_.asked[0].text,
            "Das Projekt enthält möglicherweise eine veraltete Version\r\ndes Chassis \"Test-Kalotte 25\".\r\n"
            "Soll die neuere Chassisdatei nachgeladen werden?");
  EXPECT_EQ(ui_.asked[0].options, "Ja|Nein");
  EXPECT_EQ(form_->CurrentProject().chassis[0].fs, 900);
  EXPECT_FALSE(form_->CurrentProject().saved);
  EXPECT_EQ(UndoCaption(), "Rückgängig \"Chassis 1 neu laden\"");
  for (int i = 0; i < 3; ++i) form_->CheckChassisTick();
  EXPECT_FALSE(form_->CheckChassisPending());
  EXPECT_EQ(ui_.asked.size(), 1u);
  ASSERT_TRUE(form_->WaitCalcIdle());
}

// Asks like the script, and takes away a file while the question is open.
struct FileTakingInteraction : ScriptedInteraction {
  fs::path takeAway;
  int ChooseButton(std::string_view message, std::string_view captions, int defaultIndex) override {
    if (!takeAway.empty()) fs::remove(takeAway);
    return ScriptedInteraction::ChooseButton(message, captions, defaultIndex);
  }
};

class MainWindowReload : public MainWindowFixture<FileTakingInteraction> {};

// "Ja" to the newer chassis file after it went away: nothing is committed,
// and the message says so.
TEST_F(MainWindowReload, AReloadThatFailsCommitsNothing) {
  SaveProject(*testing::MakeTwoWayProject(60), DefaultFile());
  Chassis newer = testing::Tweeter();
  newer.fs = 900;
  const fs::path file = settings_.chassisFolder / "kalotte.ZCH";
  SaveChassisFile(file, newer);
  Start();
  const auto before = std::make_unique<Project>(form_->CurrentProject());
  ui_.takeAway = file;
  ui_.buttons = {1};
  form_->CheckChassisTick();
  ASSERT_EQ(ui_.asked.size(), 2u);
  EXPECT_EQ(ui_.asked[1].kind, "message");
  EXPECT_EQ(ui_.asked[1].text, "Die Chassisdatei \"" + Utf8FromPath(file) +
                                   "\" ist nicht mehr vorhanden.\r\nChassis 1 bleibt unverändert.");
  EXPECT_TRUE(form_->CurrentProject() == *before);
  EXPECT_TRUE(form_->UndoHistory().Empty());
  EXPECT_TRUE(form_->Document().Saved());
}

// "Ok" without a change, in every editor: no undo step, the project stays
// saved and its title unmarked, and nothing is computed.
TEST_F(MainWindowTest, OkWithoutAChangeLeavesTheProjectSavedInEveryEditor) {
  WriteTwoWayDefault();
  Start();
  form_->show();
  form_->execDialog = [](QDialog&) { return int(QDialog::Accepted); };
  struct Case {
    const char* editor;
    std::function<void()> run;
  };
  const Case cases[] = {
      {"Aktive Filter", [&] { form_->ActiveFilterClick(1); }},
      {"Außengehäuse", [&] { form_->CabinetClick(); }},
      {"Anzeigeoptionen", [&] { form_->DisplayOptionsClick(); }},
      {"Projekteigenschaften", [&] { form_->ProjectPropertiesClick(); }},
      {"Chassis kopieren", [&] { form_->ChassisCopyClick(); }},
      {"Chassiseditor",
       [&] {
         form_->ChassisItemClick(2);
         form_->ChassisEditor()->OkClick();
       }},
      {"Weicheneditor",
       [&] {
         form_->CrossoverEditClick(0);
         form_->CrossoverEditor()->OkClick();
       }},
  };
  for (const Case& c : cases) {
    c.run();
    EXPECT_TRUE(form_->UndoHistory().Empty()) << c.editor;
    EXPECT_TRUE(form_->Document().Saved()) << c.editor;
    EXPECT_FALSE(form_->windowTitle().endsWith(" *")) << c.editor;
    EXPECT_TRUE(form_->Document().CalcIdle()) << c.editor;  // nothing requested
    EXPECT_FALSE(form_->OpenEditors().Any()) << c.editor;
  }
  EXPECT_TRUE(ui_.asked.empty());
}

// The title's marker follows the undo stack's clean index: an edit and its
// undo are saved again, and undoing past a save is unsaved.
TEST_F(MainWindowTest, TheTitleMarkerFollowsTheSavedState) {
  WriteTwoWayDefault();
  Start();
  const auto marked = [&] { return form_->windowTitle().endsWith(" *"); };
  const auto setLevel = [&](double level) {
    ProjectEdit edit(form_->Document(), "Aktives Filter 1 editieren");
    edit.EditedProject().amplifiers[0].level = level;
    edit.Commit();
  };
  EXPECT_FALSE(marked());
  setLevel(0.5);
  EXPECT_TRUE(marked());
  form_->UndoClick();
  EXPECT_FALSE(marked());
  EXPECT_TRUE(form_->CurrentProject().saved);

  setLevel(0.5);
  form_->SaveClick();
  EXPECT_FALSE(marked());
  setLevel(0.25);
  EXPECT_TRUE(marked());
  form_->UndoClick();
  EXPECT_FALSE(marked());
  form_->UndoClick();  // before the save
  EXPECT_TRUE(marked());
  setLevel(0.5);  // the saved values again, but not by undo
  EXPECT_TRUE(marked());
  ASSERT_TRUE(form_->WaitCalcIdle());
}

TEST(MainWindowTitle, LongNamesLoseLeadingFolders) {
  struct Case {
    const char* name;
    int limit;
    const char* shown;
  };
  const Case cases[] = {
      {"C:\\a\\b\\file.ZPJ", 100, "C:\\a\\b\\file.ZPJ"},
      {"C:\\Dokumente\\Projekte\\Boxen\\file.ZPJ", 20, "C:\\...\\Boxen\\file.ZPJ"},
      {"C:\\x\\sehrlangerdateiname.ZPJ", 5, "C:\\...\\sehrlangerdateiname.ZPJ"},
      {"C:\\abc.ZPJ", 3, "C:\\...\\abc.ZPJ"},  // the marker even when nothing was dropped
      {"dateiname.ZPJ", 2, "dateiname.ZPJ"},
      {"/home/u/p/f.ZPJ", 10, "/.../u/p/f.ZPJ"},
  };
  for (const Case& c : cases) EXPECT_EQ(ShortenFileName(c.name, c.limit), c.shown) << c.name;
  EXPECT_EQ(MainWindowTitle("box.ZPJ", 1000), "Sonvex V1.11b - KORVANT-Edition [box.ZPJ]");
  // 900 px: (900 - 180) div 9 = 80 characters
  const std::string longName = "C:\\" + std::string(70, 'a') + "\\" + std::string(20, 'b') + ".ZPJ";
  EXPECT_EQ(MainWindowTitle(longName, 900),
            "Sonvex V1.11b - KORVANT-Edition [C:\\...\\" + std::string(20, 'b') + ".ZPJ]");
}

TEST(StatusColours, TheTextReadsWellOnEveryBackgroundOfThePanel) {
  // Worked out by hand from the sRGB luminances: purple 0.0615, red 0.2126,
  // grey 128 0.2159, button face 239 0.8632.
  EXPECT_NEAR(ContrastRatio(kStatusPurple, QColor(255, 0, 0)), 2.35, 0.01);
  EXPECT_NEAR(ContrastRatio(QColor(0, 0, 0), QColor(255, 255, 255)), 21.0, 1e-9);
  struct Case {
    QColor background;
    QColor text;
  };
  for (const Case& c : {Case{QColor(255, 0, 0), QColor(0, 0, 0)}, Case{QColor(128, 128, 128), QColor(0, 0, 0)},
                        Case{QColor(239, 239, 239), kStatusPurple}, Case{QColor(20, 20, 60), QColor(255, 255, 255)}}) {
    EXPECT_EQ(StatusTextColour(c.background), c.text) << c.background.name().toStdString();
    EXPECT_GE(ContrastRatio(StatusTextColour(c.background), c.background), 4.5);
  }
}

// ---------------------------------------------------------------- chassis editor

// How the main window opens the chassis editor and the common cabinet,
// places the editor and follows it with its menus.
class ChassisEditorWiring : public MainWindowFixture<> {
 protected:
  MainWindow& Start() { return StartOn(*testing::MakeTwoWayProject(60)); }
  // Opens the editor on chassis item n through the menu.
  ChassisEditorWindow& OpenEditor(int n = 1) {
    Action(*form_, ("actChassis" + std::to_string(n)).c_str())->trigger();
    ChassisEditorWindow* ed = form_->ChassisEditor();
    EXPECT_NE(ed, nullptr);
    return *ed;
  }
};

TEST_F(ChassisEditorWiring, ChassisItemOpensTheEditorOnItsSlot) {
  MainWindow& f = Start();
  ChassisEditorWindow& ed = OpenEditor(2);
  EXPECT_TRUE(ed.isVisible());
  EXPECT_EQ(ed.windowTitle().toStdString(), "Chassis 2, Einbau und Schallwand editieren");
  EXPECT_EQ(ed.Slot(), 1);
  EXPECT_TRUE(f.OpenEditors().chassis);
  EXPECT_FALSE(Menu(f, "menuChassis")->menuAction()->isEnabled());
  EXPECT_TRUE(Menu(f, "menuWindows")->menuAction()->isVisible());
  EXPECT_TRUE(Action(f, "actShowChassis")->isEnabled());
  EXPECT_EQ(Action(f, "actChassis1")->shortcut(), QKeySequence("Ctrl+F1"));
  EXPECT_EQ(Action(f, "actCabinet")->shortcut(), QKeySequence("Ctrl+G"));

  Named<QPushButton>(ed, "cancelButton")->click();
  EXPECT_FALSE(ed.isVisible());
  EXPECT_FALSE(f.OpenEditors().chassis);
  EXPECT_TRUE(Menu(f, "menuChassis")->menuAction()->isEnabled());
  EXPECT_FALSE(Action(f, "actUndo")->isEnabled());

  // "Chassiseditor zeigen" brings the open editor back; a project command
  // that replaces the project closes it.
  OpenEditor(1);
  ed.hide();
  Action(f, "actShowChassis")->trigger();
  EXPECT_TRUE(ed.isVisible());
  f.RestoreReferenceClick();  // no reference: nothing happens
  EXPECT_TRUE(ed.isVisible());
  f.RememberReferenceClick();
  f.RestoreReferenceClick();
  EXPECT_FALSE(ed.isVisible());
  EXPECT_FALSE(f.OpenEditors().chassis);
}

TEST_F(ChassisEditorWiring, EditorValuesNotTakenOverAreAskedAboutOnClosing) {
  for (const int answer : {1, 2}) {  // "&Ja", "&Nein"
    MainWindow& f = Start();
    f.show();
    ChassisEditorWindow& ed = OpenEditor(2);
    // The fields show rounded numbers: an untouched editor holds no change.
    EXPECT_FALSE(ed.HasPendingChanges()) << answer;
    NamedEdit(ed, "nameEdit")->setText("Neuer Name");
    ASSERT_TRUE(ed.HasPendingChanges()) << answer;
    ui_.asked.clear();
    ui_.buttons = {answer, 2};
    EXPECT_TRUE(f.close()) << answer;
    ASSERT_GE(ui_.asked.size(), 1u) << answer;
    EXPECT_EQ(ui_.asked[0].text, "Änderungen im Chassiseditor übernehmen?") << answer;
    EXPECT_EQ(f.Document().CurrentProject().chassis[1].name.Str() == "Neuer Name", answer == 1) << answer;
    EXPECT_FALSE(ed.isVisible()) << answer;
  }
}

TEST_F(ChassisEditorWiring, OpensBesideTheMainWindow) {
  MainWindow& f = Start();
  f.show();
  f.setGeometry(10, 10, 300, 200);
  ChassisEditorWindow& ed = OpenEditor(1);
  const QRect free = ed.screen()->availableGeometry();
  // Where the placement rule puts a window of the editor's size, within the
  // screen, not over the main window's left edge as before.
  EXPECT_EQ(ed.frameGeometry().topLeft(), PlaceBeside(f.frameGeometry(), ed.frameGeometry().size(), free).topLeft());
  EXPECT_TRUE(free.contains(ed.frameGeometry().topLeft()));
  // Its designed width (or the width its pages need) where the screen has
  // room, else the screen's width, and the pages scroll.
  const int frame = ed.frameGeometry().width() - ed.width();
  EXPECT_EQ(ed.width(), std::min(std::max(1180, ed.minimumWidth()), free.width() - frame));
}

// On a screen smaller than the editor (the test screen is 800×600, the
// editor needs about 1240 pixels across) its pages scroll: the whole editor,
// "Ok" and "Abbruch" included, lies on the screen, and Tab still goes from
// field to field. A larger screen shows the pages as built.
TEST_F(ChassisEditorWiring, OnASmallScreenThePagesScrollAndOkStaysOnIt) {
  MainWindow& f = Start();
  f.show();
  ChassisEditorWindow& ed = OpenEditor(1);
  const QRect free = ed.screen()->availableGeometry();
  ASSERT_LT(free.width(), 1180) << "the test needs a screen smaller than the editor";
  QApplication::processEvents();
  EXPECT_TRUE(free.contains(ed.frameGeometry())) << ed.width() << "x" << ed.height();
  for (const char* name : {"okButton", "cancelButton"}) {
    auto* button = Named<QPushButton>(ed, name);
    EXPECT_TRUE(free.contains(QRect(button->mapToGlobal(QPoint(0, 0)), button->size()))) << name;
  }
  for (int page = 0; page < ed.Pages()->count(); ++page) {
    auto* area = qobject_cast<QScrollArea*>(ed.Pages()->widget(page));
    ASSERT_NE(area, nullptr) << page;
    EXPECT_EQ(area->focusPolicy(), Qt::NoFocus) << page;
  }
  // The handlers still find their controls, and the tabs keep their texts.
  EXPECT_EQ(ed.Pages()->tabText(0).toStdString(), "&Chassisdaten");
  EXPECT_EQ(NamedEdit(ed, "nameEdit")->text().toStdString(), f.CurrentProject().chassis[0].name.Str());
}

TEST_F(ChassisEditorWiring, ChassisItemShowsTheEnclosureEnteredInTheEditor) {
  MainWindow& f = Start();
  ChassisEditorWindow& ed = OpenEditor(3);
  ed.Pages()->setCurrentIndex(1);
  NamedEdit(ed, "vbEdit")->setText("9");
  Named<QPushButton>(ed, "okButton")->click();
  ASSERT_TRUE(f.WaitCalcIdle());
  EXPECT_EQ(Action(f, "actChassis3")->text().toStdString(), "Chassis &3: Test-Sub in 9l Bassref.");
}

TEST_F(ChassisEditorWiring, CommonCabinetItemRunsItsDialogAsOneUndoStep) {
  MainWindow& f = Start();
  f.execDialog = [](QDialog& d) {
    NamedEdit(dynamic_cast<CabinetDialog&>(d), "heightEdit")->setText("50");
    return static_cast<int>(QDialog::Rejected);
  };
  Action(f, "actCabinet")->trigger();
  EXPECT_FALSE(Action(f, "actUndo")->isEnabled());

  f.execDialog = [](QDialog& d) {
    NamedEdit(dynamic_cast<CabinetDialog&>(d), "widthEdit")->setText("25");
    return static_cast<int>(QDialog::Accepted);
  };
  Action(f, "actCabinet")->trigger();
  EXPECT_DOUBLE_EQ(f.CurrentProject().cabinet.width, 0.25);
  EXPECT_EQ(UndoCaption(), "Rückgängig \"Gemeinsames Außengehäuse editieren\"");
}

// ---------------------------------------------------------------- crossover editor

TEST_F(MainWindowTest, CrossoverEditorOpensNonModalAndTheMainWindowFollows) {
  MainWindow& f = StartOn(*testing::MakeTwoWayProject(60));
  EXPECT_FALSE(Menu(f, "menuWindows")->menuAction()->isVisible());
  EXPECT_EQ(Action(f, "actCrossover1")->shortcut(), QKeySequence(QStringLiteral("F6")));
  // The item of amplifier 2 opens the editor on the second amplifier.
  Action(f, "actCrossover2")->trigger();
  CrossoverEditorWindow& ed = *f.CrossoverEditor();
  EXPECT_TRUE(ed.isVisible());
  EXPECT_EQ(ed.Amp(), 1);
  EXPECT_TRUE(f.OpenEditors().crossover);
  EXPECT_TRUE(Menu(f, "menuWindows")->menuAction()->isVisible());
  EXPECT_TRUE(Action(f, "actShowCrossover")->isEnabled());
  EXPECT_EQ(Action(f, "actShowCrossover")->shortcut(), QKeySequence(QStringLiteral("Ctrl+W")));
  EXPECT_FALSE(Action(f, "actShowChassis")->isEnabled());
  EXPECT_FALSE(Menu(f, "menuFile")->menuAction()->isEnabled());
  EXPECT_FALSE(Menu(f, "menuAmp1")->menuAction()->isEnabled());
  // "Weicheneditor zeigen" brings the window back.
  ed.hide();
  Action(f, "actShowCrossover")->trigger();
  EXPECT_TRUE(ed.isVisible());

  ed.CancelClick();
  EXPECT_FALSE(f.OpenEditors().crossover);
  EXPECT_FALSE(Menu(f, "menuWindows")->menuAction()->isVisible());
  EXPECT_TRUE(Menu(f, "menuFile")->menuAction()->isEnabled());
  EXPECT_TRUE(Menu(f, "menuAmp1")->menuAction()->isEnabled());

  // "Neues Projekt" closes the editor without applying.
  f.CrossoverEditClick(0);
  EXPECT_TRUE(f.OpenEditors().crossover);
  f.execDialog = [](QDialog&) { return int(QDialog::Rejected); };
  f.NewProjectClick();
  EXPECT_EQ(ed.Amp(), -1);
  EXPECT_FALSE(f.OpenEditors().crossover);
}

TEST_F(MainWindowTest, CrossoverEditorValuesNotTakenOverAreAskedAboutAndKeptFromUndo) {
  MainWindow& f = StartOn(*testing::MakeTwoWayProject(60));
  f.CrossoverEditClick(0);
  CrossoverEditorWindow& ed = *f.CrossoverEditor();
  ed.MarkClick(MarkScope::AllComponents);
  ed.ApplyClick();  // one undo step
  ed.MarkClick(MarkScope::None);
  ASSERT_TRUE(ed.HasPendingChanges());

  // Ctrl+Z would close the editor and drop its values: it says so instead,
  // and the menu does not offer it.
  ui_.asked.clear();
  f.UndoClick();
  ASSERT_EQ(ui_.asked.size(), 1u);
  EXPECT_EQ(ui_.asked[0].kind, "message");
  EXPECT_EQ(ed.Amp(), 0);
  EXPECT_TRUE(ed.HasPendingChanges());
  EXPECT_EQ(f.Document().UndoHistory().Count(), 1);
  emit Menu(f, "menuEdit")->aboutToShow();
  EXPECT_FALSE(Action(f, "actUndo")->isEnabled());

  // Closing asks; "&Abbrechen" keeps the program and the editor's values.
  ui_.asked.clear();
  ui_.buttons = {3};
  EXPECT_FALSE(f.close());
  ASSERT_EQ(ui_.asked.size(), 1u);
  EXPECT_EQ(ui_.asked[0].text, "Änderungen im Weicheneditor übernehmen?");
  EXPECT_EQ(ui_.asked[0].options, "&Ja|&Nein|&Abbrechen");
  EXPECT_TRUE(ed.HasPendingChanges());

  // "&Ja" takes them over as an edit, then the project's own question comes.
  ui_.asked.clear();
  ui_.buttons = {1, 2};
  EXPECT_TRUE(f.close());
  ASSERT_EQ(ui_.asked.size(), 2u);
  EXPECT_EQ(ui_.asked[1].text, "Programm beenden?\r\n\r\nSoll das aktuelle Projekt jetzt gespeichert werden?");
  EXPECT_FALSE(f.Document().CurrentProject().amplifiers[0].crossover[0].optimize);
  EXPECT_EQ(f.Document().UndoHistory().Count(), 2);
  EXPECT_EQ(ed.Amp(), -1);
}

// ---------------------------------------------------------------- optimizer window

TEST_F(MainWindowTest, OptimizerMenuOpensTheWindowAndClosingTellsTheMainWindow) {
  MainWindow& f = StartOn(*DetunedTwoWay());
  Action(f, "actOptimizer")->trigger();
  ASSERT_NE(f.OptimizerWindow(), nullptr);
  CrossoverOptimizerWindow& w = *f.OptimizerWindow();
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(Action(f, "actOptimizer")->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
  EXPECT_TRUE(f.OpenEditors().optimizer);
  EXPECT_TRUE(Menu(f, "menuWindows")->menuAction()->isVisible());
  EXPECT_TRUE(Action(f, "actShowOptimizer")->isEnabled());
  EXPECT_FALSE(Menu(f, "menuEdit")->menuAction()->isEnabled());
  EXPECT_FALSE(Menu(f, "menuFile")->menuAction()->isEnabled());

  w.CloseButton()->click();
  EXPECT_FALSE(w.isVisible());
  EXPECT_FALSE(f.OpenEditors().optimizer);
  EXPECT_FALSE(Menu(f, "menuWindows")->menuAction()->isVisible());
  EXPECT_TRUE(Menu(f, "menuEdit")->menuAction()->isEnabled());
  EXPECT_TRUE(ui_.asked.empty());

  // Not while the crossover editor is open.
  f.CrossoverEditClick(0);
  ASSERT_TRUE(f.OpenEditors().crossover);
  Action(f, "actOptimizer")->trigger();
  EXPECT_FALSE(w.isVisible());
  ASSERT_EQ(ui_.asked.size(), 1u);
  EXPECT_EQ(ui_.asked[0].text, "Bitte erst Weichheneditor schließen.");
  f.CrossoverEditor()->CancelClick();
  Action(f, "actOptimizer")->trigger();
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(f.OptimizerWindow(), &w);  // the same window again
}

TEST_F(MainWindowTest, OptimizerFixesAPartByHandInThePartEditorRestrictedToItsType) {
  MainWindow& f = StartOn(*DetunedTwoWay());
  Action(f, "actOptimizer")->trigger();
  ASSERT_NE(f.OptimizerWindow(), nullptr);
  CrossoverOptimizerWindow& w = *f.OptimizerWindow();
  // "&Ok" in the part editor keeps the value the search found.
  int partEditorRuns = 0;
  std::vector<std::string> fixHeadlines;  // the part editor's headline at each fix
  bool restrictedWhenFixing = true;
  f.execDialog = [&](QDialog& d) {
    auto* editor = qobject_cast<PartEditorDialog*>(&d);
    if (editor == nullptr) return int(QDialog::Rejected);
    ++partEditorRuns;
    if (!editor->Headline()->isHidden()) fixHeadlines.push_back(editor->Headline()->text().toStdString());
    for (int t = PartResistor; t <= PartAmplifier; ++t)
      if (t != editor->SelectedType() && !editor->TypeButton(t)->isHidden()) restrictedWhenFixing = false;
    return int(QDialog::Accepted);
  };
  // A coil is always fixed by hand.
  OptimizerVariable v;
  v.slot = 1;
  const CrossoverPart coil = f.CurrentProject().amplifiers[0].crossover[1];
  ASSERT_EQ(coil.type, PartInductor);
  EXPECT_EQ(w.FixPart(v, coil).type, PartInductor);
  EXPECT_GE(partEditorRuns, 1);
  // The editor names the part it asks about.
  ASSERT_EQ(fixHeadlines.size(), static_cast<std::size_t>(partEditorRuns));
  EXPECT_TRUE(fixHeadlines[0].starts_with("Spule ")) << fixHeadlines[0];
  EXPECT_TRUE(fixHeadlines[0].ends_with(" festlegen:")) << fixHeadlines[0];
  EXPECT_TRUE(restrictedWhenFixing);
  // Afterwards the editor offers every type again.
  EXPECT_FALSE(f.PartEditor()->TypeButton(PartResistor)->isHidden());
  EXPECT_TRUE(f.PartEditor()->Headline()->isHidden());
}

TEST_F(MainWindowTest, ClosingTheProgramAsksTheOpenOptimizerFirst) {
  options_.optimizerPause = 0ms;
  StartOn(*DetunedTwoWay());
  Action(*form_, "actOptimizer")->trigger();
  ASSERT_NE(form_->OptimizerWindow(), nullptr);
  CrossoverOptimizerWindow& w = *form_->OptimizerWindow();
  // A part fixed by hand: "&Ok" in the part editor keeps the value the search found.
  form_->execDialog = [](QDialog& d) {
    return int(qobject_cast<PartEditorDialog*>(&d) != nullptr ? QDialog::Accepted : QDialog::Rejected);
  };
  w.CapacitorChoice()->setCurrentIndex(2);
  ui_.buttons = {2};
  w.StartButton()->click();
  ASSERT_TRUE(WaitOptimizerRun(w));
  // "&Abbruch" to the take-over question: the optimizer and the program stay.
  ui_.asked.clear();
  ui_.buttons = {3};
  EXPECT_FALSE(form_->close());
  EXPECT_TRUE(w.isVisible());
  ASSERT_EQ(ui_.asked.size(), 1u);
  EXPECT_EQ(ui_.asked[0].text, "Optimierungsergebnisse übernehmen?");
}

// Closing the program while a run goes on: "&Ja" to the abort question; the
// program closes once the run stopped and the take-over question is answered.
TEST_F(MainWindowTest, ClosingTheProgramDuringARunClosesOnceTheRunStopped) {
  options_.optimizerPause = 0ms;
  StartOn(*DetunedTwoWay());
  form_->show();
  Action(*form_, "actOptimizer")->trigger();
  CrossoverOptimizerWindow& w = *form_->OptimizerWindow();
  ui_.buttons = {2};
  w.StartButton()->click();
  // Its reports wait for this thread: the run cannot be over yet.
  ASSERT_FALSE(w.Optimizer().IsIdle());
  ui_.asked.clear();
  ui_.buttons = {1, 2};  // abort, then keep the start values
  EXPECT_FALSE(form_->close());
  EXPECT_TRUE(form_->isVisible());
  ASSERT_TRUE(WaitOptimizerRun(w));
  EXPECT_FALSE(w.isVisible());
  EXPECT_FALSE(form_->isVisible());
  ASSERT_EQ(ui_.asked.size(), 2u);
  EXPECT_EQ(ui_.asked[0].text, "Optimierung abbrechen?");
  EXPECT_EQ(ui_.asked[1].text, "Optimierungsergebnisse übernehmen?");
}

}  // namespace
}  // namespace sonvex
