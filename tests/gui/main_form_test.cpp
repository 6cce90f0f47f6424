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
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "calc/check.h"
#include "calc/file_load.h"
#include "main_form_fixture.h"
#include "model/chassis_file.h"
#include "model/file_io.h"
#include "model/interaction.h"
#include "model/project_file.h"
#include "model/settings.h"
#include "optimizer/optimizer.h"
#include "optimizer_test_support.h"
#include "support/scripted_interaction.h"
#include "support/test_projects.h"
#include "ui/dialogs/error_list_window.h"
#include "ui/dialogs/project_properties_dialog.h"
#include "ui/dialogs/window_place.h"
#include "ui/editors/chassis_editor.h"
#include "ui/editors/gem_geh_dialog.h"
#include "ui/editors/optimizer_window.h"
#include "ui/editors/part_editor.h"
#include "ui/editors/weiche_editor.h"
#include "ui/main/main_form.h"
#include "ui/main/status_colours.h"

namespace sonvex {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class MainForm : public TMainFormFixture<> {
 protected:
  void WriteTwoWayDefault() { SaveProject(*testing::MakeTwoWayProject(60), DefaultFile()); }
};

TEST_F(MainForm, StartUpLoadsTheNamedProjectElseDefaultElseTheEmptyProject) {
  WriteTwoWayDefault();
  auto other = testing::MakeTwoWayProject(60);
  other->nChassis = 3;
  SaveProject(*other, dir / "other.ZPJ");

  options.startFile = dir / "fehlt.ZPJ";
  TMainForm& f = Start();
  EXPECT_EQ(f.Project().nChassis, 4);
  EXPECT_EQ(f.Project().Chassis[1].Name, "Test-Tieftöner 17");
  EXPECT_EQ(f.TitleName(), Utf8FromPath(DefaultFile()));
  EXPECT_TRUE(f.windowTitle().startsWith(QString::fromUtf8("Sonvex V1.11b - KORVANT-Edition [")));
  EXPECT_TRUE(f.Project().bSaved);
  EXPECT_TRUE(f.ShownResult().bValid);
  EXPECT_EQ(f.ShownResult().nChassis, 4);
  EXPECT_FALSE(f.Action("actUndo")->isEnabled());
  EXPECT_EQ(UndoCaption(), "Undo");
  EXPECT_TRUE(f.Action("actRefRemember")->isEnabled());
  EXPECT_FALSE(f.Action("actRefSwap")->isEnabled());
  EXPECT_FALSE(f.Action("actRefDelete")->isEnabled());
  EXPECT_TRUE(ui.asked.empty());

  options.startFile = dir / "other.ZPJ";
  Start();
  EXPECT_EQ(form->Project().nChassis, 3);

  fs::remove(DefaultFile());
  options.startFile.reset();
  Start();
  EXPECT_EQ(form->Project().nChassis, 1);
  EXPECT_EQ(form->TitleName(), "");
  EXPECT_EQ(form->windowTitle(), QString::fromUtf8("Sonvex V1.11b - KORVANT-Edition []"));
}

TEST_F(MainForm, TheWindowStartsWithinTheScreen) {
  TMainForm& f = Start();
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

TEST_F(MainForm, PlainTextProjectFileIsRefusedAndTheEmptyProjectTakesItsPlace) {
  WriteTwoWayDefault();
  const fs::path plain = dir / "klartext.ZPJ";
  std::ofstream(plain) << "# Sonvex project\n[Header]\nVersion=1008\n";
  options.startFile = plain;
  Start();
  ASSERT_EQ(ui.asked.size(), 1u);
  EXPECT_EQ(ui.asked[0].kind, "message");
  EXPECT_EQ(ui.asked[0].text, Utf8FromPath(plain) + "\r" + std::string(kNotAProjectFileText));
  auto empty = MakeNewProject();
  EXPECT_EQ(form->Project().nChassis, 1);
  EXPECT_EQ(form->Project().Chassis[0], empty->Chassis[0]);
  EXPECT_EQ(form->TitleName(), "");
}

TEST_F(MainForm, SaveAppendsTheExtensionUnlessPresentAndRefusesShortNames) {
  Start();
  struct Case {
    const char* chosen;
    const char* stored;
  };
  for (const Case& c : {Case{"box", "box.ZPJ"}, Case{"box.zpj", "box.zpj"}, Case{"Bass.ZpJ", "Bass.ZpJ"}}) {
    form->Document().Unguarded().bSaved = false;
    ui.files.push_back(dir / c.chosen);
    form->SaveProjectClick();
    EXPECT_TRUE(fs::exists(dir / c.stored)) << c.chosen;
    EXPECT_TRUE(form->Project().bSaved) << c.chosen;
    EXPECT_EQ(form->FileName(), dir / c.stored);
    EXPECT_EQ(form->TitleName(), Utf8FromPath(dir / c.stored));
  }
  EXPECT_EQ(ui.asked.back().kind, "save");
  EXPECT_EQ(ui.asked.back().text, "Projekt speichern ...");
  EXPECT_EQ(ui.asked.back().options, "Sonvex Projekte (*.ZPJ)|*.ZPJ|Alle Dateien (*.*)|*.*");
  EXPECT_FALSE(fs::exists(dir / "box.zpj.ZPJ"));

  // ".ZPJ" alone has 4 characters: not saved; a cancelled dialog neither
  form->Document().Unguarded().bSaved = false;
  ui.files.push_back(fs::path(""));
  ui.files.push_back(std::nullopt);
  form->SaveProjectClick();
  form->SaveProjectClick();
  EXPECT_FALSE(form->Project().bSaved);
  EXPECT_FALSE(fs::exists(".ZPJ"));
  EXPECT_EQ(form->FileName(), dir / "Bass.ZpJ");
}

TEST_F(MainForm, CtrlSSavesIntoTheOwnFileAndTheTitleMarksUnsavedChanges) {
  WriteTwoWayDefault();
  TMainForm& f = Start();
  const fs::path own = DefaultFile();
  ASSERT_EQ(f.FileName(), own);
  EXPECT_FALSE(f.windowTitle().endsWith(QStringLiteral(" *")));
  EXPECT_EQ(f.Action("actSaveAs")->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+S")));
  EXPECT_EQ(f.Action("actSaveAs")->text(), QStringLiteral("Speichern &unter ..."));
  {
    TProjectEdit edit(f.Document(), "Aktives Filter 1 editieren", TRecalc::Incremental);
    edit.Project().Verstaerker[0].Pegel = -1.0;
    edit.Commit();
  }
  EXPECT_TRUE(f.windowTitle().endsWith(QStringLiteral(" *")));
  // Ctrl+S writes the project's own file without asking.
  ui.asked.clear();
  f.Action("actSave")->trigger();
  EXPECT_TRUE(ui.asked.empty());
  EXPECT_TRUE(f.Project().bSaved);
  EXPECT_FALSE(f.windowTitle().endsWith(QStringLiteral(" *")));
  auto reread = std::make_unique<TProjekt>();
  LoadProjectFile(*reread, own, settings, ui);
  EXPECT_EQ(reread->Verstaerker[0].Pegel, -1.0);
  // "Speichern unter ..." asks for a name.
  ui.files.push_back(dir / "kopie");
  f.Action("actSaveAs")->trigger();
  ASSERT_EQ(ui.asked.size(), 1u);
  EXPECT_EQ(ui.asked[0].kind, "save");
  EXPECT_EQ(f.FileName(), dir / "kopie.ZPJ");
  // Undo marks the project as changed again; a new project has no file and asks.
  f.UndoClick();
  EXPECT_TRUE(f.windowTitle().endsWith(QStringLiteral(" *")));
  ui.buttons = {1};  // discard the changes
  f.execDialog = [](QDialog&) { return int(QDialog::Rejected); };
  f.NewProjectClick();
  EXPECT_FALSE(f.windowTitle().endsWith(QStringLiteral(" *")));
  ui.asked.clear();
  ui.files.push_back(std::nullopt);
  f.Action("actSave")->trigger();
  ASSERT_EQ(ui.asked.size(), 1u);
  EXPECT_EQ(ui.asked[0].kind, "save");
}

TEST_F(MainForm, CtrlTabNeverReachesTheHiddenChassisPage) {
  TMainForm& f = StartOn(*testing::MakeTwoWayProject(60));  // two chassis: "Chassis 5..8" hidden
  ASSERT_FALSE(f.Pages()->isTabVisible(kPageChassis58));
  f.Pages()->setCurrentIndex(kPageChassis14);
  QKeyEvent ctrlTab(QEvent::KeyPress, Qt::Key_Tab, Qt::ControlModifier);
  QApplication::sendEvent(f.Pages(), &ctrlTab);
  EXPECT_NE(f.Pages()->currentIndex(), kPageChassis14);
  EXPECT_NE(f.Pages()->currentIndex(), kPageChassis58);
}

TEST_F(MainForm, NewProjectPropertiesAndUndo) {
  WriteTwoWayDefault();
  Start();
  form->execDialog = [](QDialog&) { return int(QDialog::Rejected); };
  form->NewProjectClick();  // saved: no question
  EXPECT_TRUE(ui.asked.empty());
  EXPECT_EQ(UndoCaption(), "Rückgängig \"Neues Projekt\"");
  EXPECT_TRUE(form->Action("actUndo")->isEnabled());
  EXPECT_EQ(form->Project().nChassis, 1);
  EXPECT_EQ(form->TitleName(), "noname.ZPJ");
  EXPECT_EQ(form->FileName(), fs::path());
  EXPECT_EQ(form->UndoStack().Count(), 1);  // the cancelled properties pushed nothing
  ASSERT_TRUE(form->WaitCalcIdle());
  EXPECT_EQ(form->ShownResult().nChassis, 1);

  // properties confirmed with five chassis
  form->execDialog = [](QDialog& d) {
    static_cast<TFormPJEigenschaften&>(d).cbChassis()->setCurrentIndex(4);
    return int(QDialog::Accepted);
  };
  form->ProjectPropertiesClick();
  EXPECT_EQ(form->Project().nChassis, 5);
  EXPECT_FALSE(form->Project().bSaved);
  EXPECT_EQ(UndoCaption(), "Rückgängig \"Projekteigenschaften ändern\"");
  EXPECT_TRUE(form->Pages()->isTabVisible(kPageChassis58));
  ASSERT_TRUE(form->WaitCalcIdle());
  EXPECT_EQ(form->ShownResult().nChassis, 5);

  // unsaved: "Nein" keeps everything
  ui.buttons = {2};
  form->NewProjectClick();
  ASSERT_EQ(ui.asked.size(), 1u);
  EXPECT_EQ(ui.asked[0].text, "Wirklich alle Änderungen ohne zu sichern verwerfen?");
  EXPECT_EQ(ui.asked[0].options, "Ja |Nein");
  EXPECT_EQ(form->Project().nChassis, 5);

  // undo twice: back to the loaded project, with a full recalculation
  form->UndoClick();
  EXPECT_EQ(form->Project().nChassis, 1);
  EXPECT_EQ(UndoCaption(), "Rückgängig \"Neues Projekt\"");
  form->UndoClick();
  EXPECT_EQ(form->Project().nChassis, 4);
  EXPECT_FALSE(form->Project().bSaved);
  EXPECT_FALSE(form->Action("actUndo")->isEnabled());
  ASSERT_TRUE(form->WaitCalcIdle());
  EXPECT_EQ(form->ShownResult().nChassis, 4);
  EXPECT_TRUE(form->ShownResult().bValid);

  for (int i = 0; i < 22; ++i) form->Document().PushUndo("Anzeigeoptionen");
  EXPECT_EQ(form->UndoStack().Count(), 21);
}

// The shipped sample project keeps smoothing widths of its own; confirming
// the project properties replaces them by those of its grid. Undoing that
// must bring back curves computed with the restored widths.
TEST_F(MainForm, UndoOfUnchangedPropertiesGivesTheCurvesOfAFreshCalculation) {
  fs::copy_file(fs::path(SONVEX_DATA_DIR) / "Projekte" / "Default.ZPJ", DefaultFile());
  Start();
  form->execDialog = [](QDialog&) { return int(QDialog::Accepted); };
  form->ProjectPropertiesClick();
  ASSERT_TRUE(form->WaitCalcIdle());
  form->UndoClick();
  ASSERT_TRUE(form->WaitCalcIdle());

  TCalcThread fresh(nullptr, true, 0ms);
  fresh.StartFullCalc(form->Project());
  fresh.ComputeUntilDone();
  const TResult& shown = form->ShownResult();
  const TResult& want = fresh.Result();
  ASSERT_EQ(shown.nFreq, want.nFreq);
  int differing = 0;
  for (int c = 0; c < form->Project().nChassis; ++c)
    for (int i = 0; i < want.nFreq; ++i)
      if (!(shown.ChFront[c][i] == want.ChFront[c][i]) || !(shown.ChassisZ[c][i] == want.ChassisZ[c][i])) ++differing;
  EXPECT_EQ(differing, 0);
  for (int i = 0; i < want.nFreq; ++i) EXPECT_EQ(shown.BoxP[i][0], want.BoxP[i][0]) << i;
}

TEST_F(MainForm, SavedDisplayDefaultsApplyToEveryNewProject) {
  settings.UseOption = true;
  settings.displayDefaults.fMin = 50;
  settings.displayDefaults.fMax = 10000;
  settings.displayDefaults.sz = 60;
  settings.displayDefaults.dBMax = 130;
  auto expectDefaults = [&](const char* when) {
    const TProjekt& p = form->Project();
    EXPECT_EQ(p.fMin, 50) << when;
    EXPECT_EQ(p.sz, 60) << when;
    EXPECT_EQ(p.dBMax, 130) << when;
    EXPECT_DOUBLE_EQ(p.freq[0], 50) << when;
    EXPECT_DOUBLE_EQ(p.freq[59], 10000) << when;
    EXPECT_EQ(p.freq[60], 0) << when;
    ASSERT_TRUE(form->WaitCalcIdle());
    EXPECT_EQ(form->ShownResult().nFreq, 60) << when;
  };
  Start();  // no Default.ZPJ
  expectDefaults("start");
  form->execDialog = [](QDialog&) { return int(QDialog::Rejected); };
  form->Document().Unguarded().dBMax = 90;
  form->NewProjectClick();
  expectDefaults("new project");
}

TEST_F(MainForm, RequestsClearTheValidFlagOfTheShownResult) {
  WriteTwoWayDefault();
  Start();
  ASSERT_TRUE(form->ShownResult().bValid);
  form->Document().RequestCalc();
  EXPECT_FALSE(form->ShownResult().bValid);
  ASSERT_TRUE(form->WaitCalcIdle());
  ASSERT_TRUE(form->ShownResult().bValid);
  form->Document().RequestFullCalc();
  EXPECT_FALSE(form->ShownResult().bValid);
  ASSERT_TRUE(form->WaitCalcIdle());
  EXPECT_TRUE(form->ShownResult().bValid);
}

TEST_F(MainForm, ReferenceRememberSwapTwiceRestoreAndDelete) {
  WriteTwoWayDefault();
  Start();
  const TZChart& total = *form->Charts().total;
  const auto curvesA = total.Curves[0].Y;

  form->RememberReferenceClick();
  EXPECT_TRUE(form->HasReference());
  EXPECT_TRUE(form->Action("actRefSwap")->isEnabled());
  EXPECT_TRUE(total.Curves[kChartCurves].Visible);
  EXPECT_EQ(total.Curves[kChartCurves].Y, curvesA);

  // project B: amplifier 1 at half the voltage
  form->Document().Unguarded().Verstaerker[0].Pegel = 0.5;
  form->Document().RequestCalc();
  ASSERT_TRUE(form->WaitCalcIdle());
  const auto curvesB = total.Curves[0].Y;
  ASSERT_NE(curvesA, curvesB);

  form->SwapReferenceClick();
  EXPECT_EQ(form->Project().Verstaerker[0].Pegel, 1.0);
  EXPECT_EQ(form->Reference().Verstaerker[0].Pegel, 0.5);
  EXPECT_EQ(UndoCaption(), "Rückgängig \"Projekt mit Referenzprojekt tauschen\"");
  ASSERT_TRUE(form->WaitCalcIdle());
  EXPECT_EQ(total.Curves[0].Y, curvesA);
  EXPECT_EQ(total.Curves[kChartCurves].Y, curvesB);

  form->SwapReferenceClick();
  ASSERT_TRUE(form->WaitCalcIdle());
  EXPECT_EQ(form->Project().Verstaerker[0].Pegel, 0.5);
  EXPECT_EQ(form->Reference().Verstaerker[0].Pegel, 1.0);
  EXPECT_EQ(total.Curves[0].Y, curvesB);
  EXPECT_EQ(total.Curves[kChartCurves].Y, curvesA);  // the project current between the swaps
  EXPECT_EQ(form->Charts().chassis[0]->Curves[kChartCurves].Count, 60);
  EXPECT_FALSE(form->Project().bSaved);

  form->RestoreReferenceClick();
  EXPECT_EQ(form->Project().Verstaerker[0].Pegel, 1.0);
  EXPECT_TRUE(form->HasReference());
  EXPECT_EQ(UndoCaption(), "Rückgängig \"Referenz wiederherstellen\"");
  ASSERT_TRUE(form->WaitCalcIdle());
  EXPECT_EQ(total.Curves[0].Y, curvesA);

  form->DeleteReferenceClick();
  EXPECT_FALSE(form->HasReference());
  for (const char* name : {"actRefSwap", "actRefRestore", "actRefDelete"})
    EXPECT_FALSE(form->Action(name)->isEnabled()) << name;
  EXPECT_FALSE(total.Curves[kChartCurves].Visible);
  EXPECT_FALSE(form->Charts().phase->Curves[kChartCurves].Visible);
  EXPECT_TRUE(ui.asked.empty());
}

using MainFormBusy = TMainFormFixture<TCountingWaits>;

TEST_F(MainFormBusy, RememberingWhileCalculatingAsksUntilIdleOrCancel) {
  Start();
  // The calculation is held in its items until the question came.
  std::atomic<int> needed{1};
  form->CalcThread().onItemRun = ui.HoldUntilAsked(needed);
  form->Document().RequestFullCalc();
  ui.buttons = {2};
  form->RememberReferenceClick();
  EXPECT_FALSE(form->HasReference());
  ASSERT_EQ(ui.asked.size(), 1u);
  EXPECT_EQ(ui.asked[0].text, "Rechnung muss erst beendet sein.");
  EXPECT_EQ(ui.asked[0].options, "&nochmal versuchen|abbrechen");

  // "nochmal versuchen" (the script's default) until the calculation ended
  needed = 3;
  form->Document().RequestFullCalc();
  form->RememberReferenceClick();
  EXPECT_TRUE(form->HasReference());
  EXPECT_GT(ui.asked.size(), 1u);
  EXPECT_TRUE(form->CalcThread().IsIdle());
}

TEST_F(MainForm, MenuStateFollowsTheProjectAndTheEditors) {
  Start();
  TProjekt& p = form->Document().Unguarded();
  p.nChassis = 3;
  p.nAmps = 2;
  p.Chassis[0].Name = "Test-Tieftöner 17";
  p.Einbau[0].Typ = 1;
  p.Einbau[0].Vb = 0.022;
  p.Chassis[1].Name = "Mittel & Hoch";
  p.Einbau[1].Typ = 2;
  p.Einbau[1].Vb = 0.0404;
  p.Einbau[2].Typ = 0;
  form->RefreshMenuState();
  EXPECT_EQ(form->Action("actChassis1")->text().toStdString(), "Chassis &1: Test-Tieftöner 17 in 22l geschl.");
  EXPECT_EQ(form->Action("actChassis2")->text().toStdString(), "Chassis &2: Mittel && Hoch in 40l Bassref.");
  EXPECT_EQ(form->Action("actChassis3")->text().toStdString(), "Chassis &3: " + p.Chassis[2].Name.Str());
  for (int n = 1; n <= 9; ++n) {
    QAction* a = form->Action(("actChassis" + std::to_string(n)).c_str());
    EXPECT_EQ(a->isVisible(), n <= 3) << n;
    EXPECT_EQ(a->isEnabled(), n <= 3) << n;
  }
  for (int k = 1; k <= 6; ++k) {
    QMenu* m = form->Menu(("menuAmp" + std::to_string(k)).c_str());
    EXPECT_EQ(m->menuAction()->isVisible(), k <= 2) << k;
    EXPECT_EQ(form->Action(("actWeiche" + std::to_string(k)).c_str())->isEnabled(), k <= 2) << k;
  }
  EXPECT_FALSE(form->Pages()->isTabVisible(kPageChassis58));
  EXPECT_EQ(form->Pages()->tabText(kPageChassis14), "Chassis");
  EXPECT_FALSE(form->Menu("menuFenster")->menuAction()->isVisible());
  EXPECT_TRUE(form->Menu("menuDatei")->menuAction()->isEnabled());

  p.nChassis = 5;
  form->WeicheEditClick(0);  // the crossover editor opens
  ASSERT_TRUE(form->OpenEditors().weiche);
  form->RefreshMenuState();
  EXPECT_TRUE(form->Pages()->isTabVisible(kPageChassis58));
  EXPECT_EQ(form->Pages()->tabText(kPageChassis14), "Chassis 1..4");
  EXPECT_TRUE(form->Menu("menuFenster")->menuAction()->isVisible());
  EXPECT_TRUE(form->Action("actShowWeiche")->isEnabled());
  EXPECT_FALSE(form->Action("actShowChassis")->isEnabled());
  EXPECT_FALSE(form->Menu("menuDatei")->menuAction()->isEnabled());
  EXPECT_FALSE(form->Menu("menuAmp1")->menuAction()->isEnabled());
  EXPECT_TRUE(form->Menu("menuChassis")->menuAction()->isEnabled());

  form->WeicheEditor()->CancelClick();
  form->OptimizerClick();  // the optimizer window opens
  ASSERT_TRUE(form->OpenEditors().optimizer);
  form->RefreshMenuState();
  EXPECT_FALSE(form->Menu("menuBearbeiten")->menuAction()->isEnabled());
  EXPECT_FALSE(form->Menu("menuAmp1")->menuAction()->isVisible());
  EXPECT_FALSE(form->Menu("menuChassis")->menuAction()->isEnabled());
}

TEST_F(MainForm, MenuCaptionsAndShortcuts) {
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
      {"actGemGeh", "gemeinsames Außengehäuse", "Ctrl+G"},
      {"actChassisCopy", "Chassis kopieren", ""},
      {"actAktFilt1", "&Aktive Filter...", "F5"},
      {"actWeiche3", "&Weiche editieren...", "F10"},
      {"actAktFilt6", "&Aktive Filter...", "Shift+F9"},
      {"actDisplayOptions", "Anzeigeoptionen", "Ctrl+Alt+O"},
      {"actFolders", "Verzeichnisse", "Ctrl+Alt+V"},
      {"actBoxDesign", "Auslegung geschlossene / Bassreflex-Box", "Ctrl+A"},
      {"actOptimizer", "Weichenoptimierer ...", "Ctrl+O"},
      {"actShowWeiche", "Weicheneditor zeigen", "Ctrl+W"},
      {"actShowChassis", "Chassiseditor zeigen", "Ctrl+D"},
      {"actQuickGuide", "Kurzanleitung", "F1"},
      {"actInfo", "&Info ...", ""},
  };
  for (const Item& it : items) {
    QAction* a = form->Action(it.name);
    ASSERT_NE(a, nullptr) << it.name;
    EXPECT_EQ(a->text(), QString::fromUtf8(it.caption)) << it.name;
    EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromLatin1(it.keys))) << it.name;
  }
  EXPECT_EQ(form->Action("actChassis9")->shortcut(), QKeySequence(QStringLiteral("Ctrl+F9")));
  EXPECT_EQ(form->Menu("menuChassis")->title(), QString::fromUtf8("&Chassis && Einbau"));
  EXPECT_EQ(form->Menu("menuAmp4")->title(), QString::fromUtf8("Verstärker &4"));
  EXPECT_EQ(form->Pages()->count(), kChartPageCount);
  EXPECT_EQ(form->Pages()->tabText(kPageBuendelung), QString::fromUtf8("Bündelung"));
}

TEST_F(MainForm, EveryShortcutOfTheMenusIsUnique) {
  Start();
  std::map<QString, QString> owner;
  for (QAction* a : form->findChildren<QAction*>()) {
    if (a->shortcut().isEmpty()) continue;
    const QString keys = a->shortcut().toString();
    const auto [it, fresh] = owner.emplace(keys, a->objectName());
    EXPECT_TRUE(fresh) << keys.toStdString() << ": " << it->second.toStdString() << " and "
                       << a->objectName().toStdString();
  }
  EXPECT_EQ(owner.count(QStringLiteral("Ctrl+Z")), 1u);
}

TEST_F(MainForm, StatusBarAfterCalculationsWithAndWithoutErrors) {
  WriteTwoWayDefault();
  Start();
  EXPECT_EQ(form->StatusText().toStdString(), kStatusSuccess);
  EXPECT_EQ(form->StatusColor(), form->palette().color(QPalette::Button));
  EXPECT_EQ(form->ErrorList()->Lines(), QStringList{QString::fromUtf8(kStatusSuccess)});
  EXPECT_TRUE(form->Charts().total->HasData);

  form->Document().Unguarded().Verstaerker[0].Pegel = 0;
  form->Document().RequestCalc();
  ASSERT_TRUE(form->WaitCalcIdle());
  EXPECT_EQ(form->StatusText().toStdString(), kStatusFailure);
  EXPECT_EQ(form->StatusColor(), QColor(255, 0, 0));
  EXPECT_GE(ContrastRatio(form->StatusTextColor(), form->StatusColor()), 4.5);
  EXPECT_FALSE(form->ShownResult().bValid);
  EXPECT_FALSE(form->Charts().total->HasData);
  EXPECT_EQ(form->ErrorList()->ErrorCount(), 1);

  form->show();
  EXPECT_FALSE(form->ErrorList()->isVisible());
  QMouseEvent click(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(form->StatusPanel(), &click);
  EXPECT_TRUE(form->ErrorList()->isVisible());

  form->Document().Unguarded().Verstaerker[0].Pegel = 1;
  form->Document().RequestCalc();
  ASSERT_TRUE(form->WaitCalcIdle());
  EXPECT_EQ(form->StatusText().toStdString(), kStatusSuccess);
  EXPECT_TRUE(form->ShownResult().bValid);
}

TEST_F(MainForm, PageControlsRedrawTheCharts) {
  WriteTwoWayDefault();
  Start();
  EXPECT_TRUE(form->Charts().total->Curves[5].Visible);
  form->ShowImpedanceBox()->setChecked(false);
  EXPECT_FALSE(form->Charts().total->Curves[5].Visible);
  // four chassis: boxes 5..8 hidden and unchecked
  EXPECT_EQ(form->PhaseChassisBox(1)->text(), QString::fromUtf8("Test-Tieftöner 17(2)"));
  EXPECT_TRUE(form->PhaseChassisBox(3)->isChecked());
  EXPECT_FALSE(form->PhaseChassisBox(4)->isChecked());
  form->PhaseChassisBox(0)->setChecked(false);
  EXPECT_FALSE(form->Charts().phase->Curves[0].Visible);
  // The polar plots open at the grid point nearest 1 kHz (60 points from
  // 20 Hz to 20 kHz: 20 · 1000^(33/59) = 952.8 Hz).
  EXPECT_EQ(form->PolarLabel()->text(), QString::fromUtf8("Frequenz: 952,8 Hz"));
  form->PolarScrollBar()->setValue(59);
  EXPECT_EQ(form->PolarScrollBar()->maximum(), 59);
  EXPECT_EQ(form->PolarLabel()->text(), QString::fromUtf8("Frequenz: 20000 Hz"));
}

TEST_F(MainForm, CloseAsksToSaveWithThreeAnswers) {
  // "&Abbruch" keeps the window open; "&Ja" with a cancelled save as well
  Start();
  form->show();
  form->Document().Unguarded().bSaved = false;
  ui.buttons = {3, 1};
  ui.files = {std::nullopt};
  EXPECT_FALSE(form->close());
  EXPECT_FALSE(form->close());
  ASSERT_EQ(ui.asked.size(), 3u);
  EXPECT_EQ(ui.asked[0].text, "Programm beenden?\r\n\r\nSoll das aktuelle Projekt jetzt gespeichert werden?");
  EXPECT_EQ(ui.asked[0].options, "&Ja |&Nein|&Abbruch");
  EXPECT_FALSE(fs::exists(settings.settingsFile));

  // "&Ja" saves, then closes and saves the settings
  ui.buttons = {1};
  ui.files = {dir / "ende"};
  EXPECT_TRUE(form->close());
  EXPECT_TRUE(fs::exists(dir / "ende.ZPJ"));
  EXPECT_TRUE(fs::exists(settings.settingsFile));

  // "&Nein" closes without saving
  Start();
  form->show();
  form->Document().Unguarded().bSaved = false;
  ui.asked.clear();
  ui.buttons = {2};
  EXPECT_TRUE(form->close());
  EXPECT_EQ(ui.asked.size(), 1u);

  // nothing unsaved: no question
  Start();
  form->show();
  ui.asked.clear();
  EXPECT_TRUE(form->close());
  EXPECT_TRUE(ui.asked.empty());
}

TEST_F(MainForm, NewerChassisFileIsOfferedOnceAfterStartUp) {
  WriteTwoWayDefault();
  TChassis newer = testing::Tweeter();
  newer.fs = 900;
  SaveChassisFile(settings.chassisFolder / "kalotte.ZCH", newer);
  Start();
  ASSERT_TRUE(form->CheckChassisPending());
  ui.buttons = {1};
  form->CheckChassisTick();
  ASSERT_EQ(ui.asked.size(), 1u);
  EXPECT_EQ(ui.asked[0].text,
            "Das Projekt enthält möglicherweise eine veraltete Version\r\ndes Chassis \"Test-Kalotte 25\".\r\n"
            "Soll die neuere Chassisdatei nachgeladen werden?");
  EXPECT_EQ(ui.asked[0].options, "Ja|Nein");
  EXPECT_EQ(form->Project().Chassis[0].fs, 900);
  EXPECT_FALSE(form->Project().bSaved);
  EXPECT_EQ(UndoCaption(), "Rückgängig \"Chassis 1 neu laden\"");
  for (int i = 0; i < 3; ++i) form->CheckChassisTick();
  EXPECT_FALSE(form->CheckChassisPending());
  EXPECT_EQ(ui.asked.size(), 1u);
  ASSERT_TRUE(form->WaitCalcIdle());
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
class ChassisEditorWiring : public TMainFormFixture<> {
 protected:
  TMainForm& Start() { return StartOn(*testing::MakeTwoWayProject(60)); }
  // Opens the editor on chassis item n through the menu.
  TFormChassisEd& OpenEditor(int n = 1) {
    form->Action(("actChassis" + std::to_string(n)).c_str())->trigger();
    TFormChassisEd* ed = form->ChassisEditor();
    EXPECT_NE(ed, nullptr);
    return *ed;
  }
};

TEST_F(ChassisEditorWiring, ChassisItemOpensTheEditorOnItsSlot) {
  TMainForm& f = Start();
  TFormChassisEd& ed = OpenEditor(2);
  EXPECT_TRUE(ed.isVisible());
  EXPECT_EQ(ed.windowTitle().toStdString(), "Chassis 2, Einbau und Schallwand editieren");
  EXPECT_EQ(ed.Slot(), 1);
  EXPECT_TRUE(f.OpenEditors().chassis);
  EXPECT_FALSE(f.Menu("menuChassis")->menuAction()->isEnabled());
  EXPECT_TRUE(f.Menu("menuFenster")->menuAction()->isVisible());
  EXPECT_TRUE(f.Action("actShowChassis")->isEnabled());
  EXPECT_EQ(f.Action("actChassis1")->shortcut(), QKeySequence("Ctrl+F1"));
  EXPECT_EQ(f.Action("actGemGeh")->shortcut(), QKeySequence("Ctrl+G"));

  ed.Control<QPushButton>("BtnAbbruch")->click();
  EXPECT_FALSE(ed.isVisible());
  EXPECT_FALSE(f.OpenEditors().chassis);
  EXPECT_TRUE(f.Menu("menuChassis")->menuAction()->isEnabled());
  EXPECT_FALSE(f.Action("actUndo")->isEnabled());

  // "Chassiseditor zeigen" brings the open editor back; a project command
  // that replaces the project closes it.
  OpenEditor(1);
  ed.hide();
  f.Action("actShowChassis")->trigger();
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
    TMainForm& f = Start();
    f.show();
    TFormChassisEd& ed = OpenEditor(2);
    // The fields show rounded numbers: an untouched editor holds no change.
    EXPECT_FALSE(ed.HasPendingChanges()) << answer;
    ed.Edit("EditName")->setText("Neuer Name");
    ASSERT_TRUE(ed.HasPendingChanges()) << answer;
    ui.asked.clear();
    ui.buttons = {answer, 2};
    EXPECT_TRUE(f.close()) << answer;
    ASSERT_GE(ui.asked.size(), 1u) << answer;
    EXPECT_EQ(ui.asked[0].text, "Änderungen im Chassiseditor übernehmen?") << answer;
    EXPECT_EQ(f.Document().Project().Chassis[1].Name.Str() == "Neuer Name", answer == 1) << answer;
    EXPECT_FALSE(ed.isVisible()) << answer;
  }
}

TEST_F(ChassisEditorWiring, OpensBesideTheMainWindow) {
  TMainForm& f = Start();
  f.show();
  f.setGeometry(10, 10, 300, 200);
  TFormChassisEd& ed = OpenEditor(1);
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
  TMainForm& f = Start();
  f.show();
  TFormChassisEd& ed = OpenEditor(1);
  const QRect free = ed.screen()->availableGeometry();
  ASSERT_LT(free.width(), 1180) << "the test needs a screen smaller than the editor";
  QApplication::processEvents();
  EXPECT_TRUE(free.contains(ed.frameGeometry())) << ed.width() << "x" << ed.height();
  for (const char* name : {"BtnOk", "BtnAbbruch"}) {
    auto* button = ed.Control<QPushButton>(name);
    EXPECT_TRUE(free.contains(QRect(button->mapToGlobal(QPoint(0, 0)), button->size()))) << name;
  }
  for (int page = 0; page < ed.Pages()->count(); ++page) {
    auto* area = qobject_cast<QScrollArea*>(ed.Pages()->widget(page));
    ASSERT_NE(area, nullptr) << page;
    EXPECT_EQ(area->focusPolicy(), Qt::NoFocus) << page;
  }
  // The handlers still find their controls, and the tabs keep their texts.
  EXPECT_EQ(ed.Pages()->tabText(0).toStdString(), "&Chassisdaten");
  EXPECT_EQ(ed.Edit("EditName")->text().toStdString(), f.Project().Chassis[0].Name.Str());
}

TEST_F(ChassisEditorWiring, ChassisItemShowsTheEnclosureEnteredInTheEditor) {
  TMainForm& f = Start();
  TFormChassisEd& ed = OpenEditor(3);
  ed.Pages()->setCurrentIndex(1);
  ed.Edit("EditVb")->setText("9");
  ed.Control<QPushButton>("BtnOk")->click();
  ASSERT_TRUE(f.WaitCalcIdle());
  EXPECT_EQ(f.Action("actChassis3")->text().toStdString(), "Chassis &3: Test-Sub in 9l Bassref.");
}

TEST_F(ChassisEditorWiring, CommonCabinetItemRunsItsDialogAsOneUndoStep) {
  TMainForm& f = Start();
  f.execDialog = [](QDialog& d) {
    dynamic_cast<TFormGemGeh&>(d).Edit("Edith")->setText("50");
    return static_cast<int>(QDialog::Rejected);
  };
  f.Action("actGemGeh")->trigger();
  EXPECT_FALSE(f.Action("actUndo")->isEnabled());

  f.execDialog = [](QDialog& d) {
    dynamic_cast<TFormGemGeh&>(d).Edit("Editb")->setText("25");
    return static_cast<int>(QDialog::Accepted);
  };
  f.Action("actGemGeh")->trigger();
  EXPECT_DOUBLE_EQ(f.Project().GemGeh.b, 0.25);
  EXPECT_EQ(UndoCaption(), "Rückgängig \"Gemeinsames Außengehäuse editieren\"");
}

// ---------------------------------------------------------------- crossover editor

TEST_F(MainForm, WeicheEditorOpensNonModalAndTheMainWindowFollows) {
  TMainForm& f = StartOn(*testing::MakeTwoWayProject(60));
  EXPECT_FALSE(f.Menu("menuFenster")->menuAction()->isVisible());
  EXPECT_EQ(f.Action("actWeiche1")->shortcut(), QKeySequence(QStringLiteral("F6")));
  // The item of amplifier 2 opens the editor on the second amplifier.
  f.Action("actWeiche2")->trigger();
  TFormWeicheneditor& ed = *f.WeicheEditor();
  EXPECT_TRUE(ed.isVisible());
  EXPECT_EQ(ed.Amp(), 1);
  EXPECT_TRUE(f.OpenEditors().weiche);
  EXPECT_TRUE(f.Menu("menuFenster")->menuAction()->isVisible());
  EXPECT_TRUE(f.Action("actShowWeiche")->isEnabled());
  EXPECT_EQ(f.Action("actShowWeiche")->shortcut(), QKeySequence(QStringLiteral("Ctrl+W")));
  EXPECT_FALSE(f.Action("actShowChassis")->isEnabled());
  EXPECT_FALSE(f.Menu("menuDatei")->menuAction()->isEnabled());
  EXPECT_FALSE(f.Menu("menuAmp1")->menuAction()->isEnabled());
  // "Weicheneditor zeigen" brings the window back.
  ed.hide();
  f.Action("actShowWeiche")->trigger();
  EXPECT_TRUE(ed.isVisible());

  ed.CancelClick();
  EXPECT_FALSE(f.OpenEditors().weiche);
  EXPECT_FALSE(f.Menu("menuFenster")->menuAction()->isVisible());
  EXPECT_TRUE(f.Menu("menuDatei")->menuAction()->isEnabled());
  EXPECT_TRUE(f.Menu("menuAmp1")->menuAction()->isEnabled());

  // "Neues Projekt" closes the editor without applying.
  f.WeicheEditClick(0);
  EXPECT_TRUE(f.OpenEditors().weiche);
  f.execDialog = [](QDialog&) { return int(QDialog::Rejected); };
  f.NewProjectClick();
  EXPECT_EQ(ed.Amp(), -1);
  EXPECT_FALSE(f.OpenEditors().weiche);
}

TEST_F(MainForm, CrossoverEditorValuesNotTakenOverAreAskedAboutAndKeptFromUndo) {
  TMainForm& f = StartOn(*testing::MakeTwoWayProject(60));
  f.WeicheEditClick(0);
  TFormWeicheneditor& ed = *f.WeicheEditor();
  ed.MarkClick(TMarkAll::AllComponents);
  ed.ApplyClick();  // one undo step
  ed.MarkClick(TMarkAll::None);
  ASSERT_TRUE(ed.HasPendingChanges());

  // Ctrl+Z would close the editor and drop its values: it says so instead,
  // and the menu does not offer it.
  ui.asked.clear();
  f.UndoClick();
  ASSERT_EQ(ui.asked.size(), 1u);
  EXPECT_EQ(ui.asked[0].kind, "message");
  EXPECT_EQ(ed.Amp(), 0);
  EXPECT_TRUE(ed.HasPendingChanges());
  EXPECT_EQ(f.Document().UndoStack().Count(), 1);
  emit f.Menu("menuBearbeiten")->aboutToShow();
  EXPECT_FALSE(f.Action("actUndo")->isEnabled());

  // Closing asks; "&Abbrechen" keeps the program and the editor's values.
  ui.asked.clear();
  ui.buttons = {3};
  EXPECT_FALSE(f.close());
  ASSERT_EQ(ui.asked.size(), 1u);
  EXPECT_EQ(ui.asked[0].text, "Änderungen im Weicheneditor übernehmen?");
  EXPECT_EQ(ui.asked[0].options, "&Ja|&Nein|&Abbrechen");
  EXPECT_TRUE(ed.HasPendingChanges());

  // "&Ja" takes them over as an edit, then the project's own question comes.
  ui.asked.clear();
  ui.buttons = {1, 2};
  EXPECT_TRUE(f.close());
  ASSERT_EQ(ui.asked.size(), 2u);
  EXPECT_EQ(ui.asked[1].text, "Programm beenden?\r\n\r\nSoll das aktuelle Projekt jetzt gespeichert werden?");
  EXPECT_FALSE(f.Document().Project().Verstaerker[0].crossover[0]._bOpti);
  EXPECT_EQ(f.Document().UndoStack().Count(), 2);
  EXPECT_EQ(ed.Amp(), -1);
}

// ---------------------------------------------------------------- optimizer window

TEST_F(MainForm, OptimizerMenuOpensTheWindowAndClosingTellsTheMainWindow) {
  TMainForm& f = StartOn(*DetunedTwoWay());
  f.Action("actOptimizer")->trigger();
  ASSERT_NE(f.OptimizerWindow(), nullptr);
  TFormWOptimize2& w = *f.OptimizerWindow();
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(f.Action("actOptimizer")->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
  EXPECT_TRUE(f.OpenEditors().optimizer);
  EXPECT_TRUE(f.Menu("menuFenster")->menuAction()->isVisible());
  EXPECT_TRUE(f.Action("actShowOptimizer")->isEnabled());
  EXPECT_FALSE(f.Menu("menuBearbeiten")->menuAction()->isEnabled());
  EXPECT_FALSE(f.Menu("menuDatei")->menuAction()->isEnabled());

  w.CloseButton()->click();
  EXPECT_FALSE(w.isVisible());
  EXPECT_FALSE(f.OpenEditors().optimizer);
  EXPECT_FALSE(f.Menu("menuFenster")->menuAction()->isVisible());
  EXPECT_TRUE(f.Menu("menuBearbeiten")->menuAction()->isEnabled());
  EXPECT_TRUE(ui.asked.empty());

  // Not while the crossover editor is open.
  f.WeicheEditClick(0);
  ASSERT_TRUE(f.OpenEditors().weiche);
  f.Action("actOptimizer")->trigger();
  EXPECT_FALSE(w.isVisible());
  ASSERT_EQ(ui.asked.size(), 1u);
  EXPECT_EQ(ui.asked[0].text, "Bitte erst Weichheneditor schließen.");
  f.WeicheEditor()->CancelClick();
  f.Action("actOptimizer")->trigger();
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(f.OptimizerWindow(), &w);  // the same window again
}

TEST_F(MainForm, OptimizerFixesAPartByHandInThePartEditorRestrictedToItsType) {
  TMainForm& f = StartOn(*DetunedTwoWay());
  f.Action("actOptimizer")->trigger();
  ASSERT_NE(f.OptimizerWindow(), nullptr);
  TFormWOptimize2& w = *f.OptimizerWindow();
  // "&Ok" in the part editor keeps the value the search found.
  int partEditorRuns = 0;
  std::vector<std::string> fixHeadlines;  // the part editor's headline at each fix
  bool restrictedWhenFixing = true;
  f.execDialog = [&](QDialog& d) {
    auto* editor = qobject_cast<TFormParteditor*>(&d);
    if (editor == nullptr) return int(QDialog::Rejected);
    ++partEditorRuns;
    if (!editor->Headline()->isHidden()) fixHeadlines.push_back(editor->Headline()->text().toStdString());
    for (int t = ptR; t <= ptAmp; ++t)
      if (t != editor->SelectedType() && !editor->TypeButton(t)->isHidden()) restrictedWhenFixing = false;
    return int(QDialog::Accepted);
  };
  // A coil is always fixed by hand.
  TOptiValue v;
  v.slot = 1;
  const TWPart coil = f.Project().Verstaerker[0].crossover[1];
  ASSERT_EQ(coil._typ, ptL);
  EXPECT_EQ(w.FixPart(v, coil)._typ, ptL);
  EXPECT_GE(partEditorRuns, 1);
  // The editor names the part it asks about.
  ASSERT_EQ(fixHeadlines.size(), static_cast<std::size_t>(partEditorRuns));
  EXPECT_TRUE(fixHeadlines[0].starts_with("Spule ")) << fixHeadlines[0];
  EXPECT_TRUE(fixHeadlines[0].ends_with(" festlegen:")) << fixHeadlines[0];
  EXPECT_TRUE(restrictedWhenFixing);
  // Afterwards the editor offers every type again.
  EXPECT_FALSE(f.PartEditor()->TypeButton(ptR)->isHidden());
  EXPECT_TRUE(f.PartEditor()->Headline()->isHidden());
}

TEST_F(MainForm, ClosingTheProgramAsksTheOpenOptimizerFirst) {
  options.optiPause = 0ms;
  StartOn(*DetunedTwoWay());
  form->Action("actOptimizer")->trigger();
  ASSERT_NE(form->OptimizerWindow(), nullptr);
  TFormWOptimize2& w = *form->OptimizerWindow();
  // A part fixed by hand: "&Ok" in the part editor keeps the value the search found.
  form->execDialog = [](QDialog& d) {
    return int(qobject_cast<TFormParteditor*>(&d) != nullptr ? QDialog::Accepted : QDialog::Rejected);
  };
  w.CapacitorChoice()->setCurrentIndex(2);
  ui.buttons = {2};
  w.StartButton()->click();
  ASSERT_TRUE(WaitOptimizerRun(w));
  // "&Abbruch" to the take-over question: the optimizer and the program stay.
  ui.asked.clear();
  ui.buttons = {3};
  EXPECT_FALSE(form->close());
  EXPECT_TRUE(w.isVisible());
  ASSERT_EQ(ui.asked.size(), 1u);
  EXPECT_EQ(ui.asked[0].text, "Optimierungsergebnisse übernehmen?");
}

}  // namespace
}  // namespace sonvex
