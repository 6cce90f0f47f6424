// The polar set of a chassis in the chassis editor: the import of several
// measurement files through the import dialog, the text about the set, its
// removal, and the way into the project (undo, chassis files).
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "document_fixture.h"
#include "main_window_fixture.h"
#include "model/chassis_file.h"
#include "model/measurement_import.h"
#include "model/polar_import.h"
#include "model/polar_set.h"
#include "named_controls.h"
#include "support/scripted_interaction.h"
#include "support/test_projects.h"
#include "ui/document/project_document.h"
#include "ui/editors/chassis_editor.h"
#include "ui/editors/polar_import_dialog.h"

namespace sonvex {
namespace {

namespace fs = std::filesystem;

// A measurement file of five points, 100 Hz .. 10 kHz, with or without phase.
std::string Frd(double level, bool phase = true) {
  std::string text = "* Messung\n";
  for (const double f : {100.0, 500.0, 1000.0, 5000.0, 10000.0}) {
    text += std::to_string(static_cast<int>(f)) + "\t" + std::to_string(level - f / 2000.0);
    if (phase) text += "\t" + std::to_string(-f / 100.0);
    text += "\n";
  }
  return text;
}

// A set of three responses: horizontal 0° and 30°, vertical 30°.
PolarSet ThreeFileSet() {
  return MakePolarSet({PolarFileFromText("tw hor 0.frd", Frd(90)), PolarFileFromText("tw hor 30.frd", Frd(87)),
                       PolarFileFromText("tw _V 30.frd", Frd(88))});
}

std::string CellText(const QTableWidget* t, int row, int column) {
  const QTableWidgetItem* item = t->item(row, column);
  return item != nullptr ? item->text().toStdString() : std::string("<none>");
}

// Angles as the cells of the table may hold them.
TEST(PolarImportDialog, AngleCellsTakeCommaOrPointAndASign) {
  struct Case {
    const char* text;
    std::optional<double> angle;
  };
  const std::vector<Case> cases{{"-30", -30},
                                {"7,5", 7.5},
                                {"7.5", 7.5},
                                {"+15°", 15},
                                {" 0 ", 0},
                                {"180", 180},
                                {"-7,5 °", -7.5},
                                {",5", 0.5},
                                {"", std::nullopt},
                                {"abc", std::nullopt},
                                {"1e2", std::nullopt},
                                {"30x", std::nullopt},
                                {"-", std::nullopt},
                                {"1,2,3", std::nullopt},
                                {"°", std::nullopt}};
  for (const Case& c : cases) EXPECT_EQ(PolarAngleFromText(c.text), c.angle) << c.text;
}

class PolarImport : public DocumentFixture<> {
 protected:
  void TearDown() override {
    editor_.reset();
    DocumentFixture::TearDown();
  }
  ProjectDocument& Start() { return StartDocument(*testing::MakeTwoWayProject(60)); }
  ChassisEditorWindow& OpenEditor(int n = 1) {
    if (!editor_) editor_ = std::make_unique<ChassisEditorWindow>(*doc_, settings_, ui_);
    editor_->Open(n - 1);
    editor_->show();
    return *editor_;
  }
  fs::path Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
    return dir_ / name;
  }
  // Chooses these files and runs `answer` on the import dialog that opens.
  void Import(ChassisEditorWindow& ed, const std::vector<fs::path>& files,
              const std::function<void(PolarImportDialog&)>& answer) {
    ui_.fileLists.push_back(files);
    bool opened = false;
    ed.execDialog = [&](QDialog& d) {
      opened = true;
      auto* dialog = dynamic_cast<PolarImportDialog*>(&d);
      EXPECT_NE(dialog, nullptr);
      if (dialog != nullptr) answer(*dialog);
      return d.result();
    };
    Named<QPushButton>(ed, "importPolarButton")->click();
    EXPECT_TRUE(opened);
  }
  int MessageCount() const {
    int n = 0;
    for (const auto& q : ui_.asked) n += q.kind == "message" ? 1 : 0;
    return n;
  }
  std::string LastMessage() const {
    for (auto q = ui_.asked.rbegin(); q != ui_.asked.rend(); ++q)
      if (q->kind == "message") return q->text;
    return {};
  }
  std::string StateText(const ChassisEditorWindow& ed) const {
    return Named<QLabel>(ed, "polarStateLabel")->text().toStdString();
  }

  std::unique_ptr<ChassisEditorWindow> editor_;
};

TEST_F(PolarImport, FilesWithAnAngleEnteredByHandBecomeTheSetOfTheChassis) {
  Start();
  ChassisEditorWindow& ed = OpenEditor(1);
  EXPECT_EQ(StateText(ed), "keine Polardaten");
  EXPECT_FALSE(Named<QPushButton>(ed, "removePolarButton")->isEnabled());
  const std::vector<fs::path> files{Write("tw hor 0.frd", Frd(90)), Write("tw hor 30.frd", Frd(87)),
                                    Write("tw _V 30.frd", Frd(88, false)), Write("tw unten.frd", Frd(86))};
  Import(ed, files, [](PolarImportDialog& d) {
    QTableWidget* t = d.Table();
    ASSERT_EQ(t->rowCount(), 4);
    // What each file's name and content gave.
    const std::vector<std::vector<std::string>> rows{{"tw hor 0.frd", "horizontal", "0", "5", "ja"},
                                                     {"tw hor 30.frd", "horizontal", "30", "5", "ja"},
                                                     {"tw _V 30.frd", "vertikal", "30", "5", "nein"},
                                                     {"tw unten.frd", "horizontal", "", "5", "ja"}};
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < PolarImportDialog::kColumns; ++c)
        EXPECT_EQ(CellText(t, r, c), rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]) << r << "," << c;
    EXPECT_TRUE(d.Status()->text().contains("In 1 Zeile fehlt der Winkel")) << d.Status()->text().toStdString();
    // The file without an angle: plane and angle entered.
    t->item(3, PolarImportDialog::kPlaneColumn)->setText("vertikal");
    t->item(3, PolarImportDialog::kAngleColumn)->setText("-30");
    EXPECT_FALSE(d.Status()->text().contains("fehlt"));
    d.OkButton()->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
  });
  // The file choice: several files of the measurement import's kinds, from
  // the chassis folder.
  ASSERT_FALSE(ui_.asked.empty());
  EXPECT_EQ(ui_.asked.front().kind, "openFiles");
  EXPECT_EQ(ui_.asked.front().options, std::string(ImportFileFilter(MeasurementKind::FrequencyResponse)));
  EXPECT_EQ(MessageCount(), 0);

  const auto& rs = ed.ChassisCopy().polar.Responses();
  ASSERT_EQ(rs.size(), 4u);
  const std::vector<std::pair<PolarPlane, double>> planes{{PolarPlane::Horizontal, 0},
                                                          {PolarPlane::Horizontal, 30},
                                                          {PolarPlane::Vertical, 30},
                                                          {PolarPlane::Vertical, -30}};
  for (std::size_t k = 0; k < rs.size(); ++k) {
    EXPECT_EQ(rs[k].plane, planes[k].first) << k;
    EXPECT_EQ(rs[k].angle, planes[k].second) << k;
  }
  EXPECT_EQ(rs[3].fileName, "tw unten.frd");
  // On axis and 30° up, left, down and right come from the measurement.
  EXPECT_NE(StateText(ed).find(PolarSetSummary(ed.ChassisCopy().polar)), std::string::npos);
  EXPECT_NE(StateText(ed).find("aus Messung: Richtungen 0–4"), std::string::npos) << StateText(ed);
  EXPECT_NE(StateText(ed).find("ohne Phase"), std::string::npos) << StateText(ed);
  EXPECT_TRUE(Named<QPushButton>(ed, "removePolarButton")->isEnabled());
  EXPECT_TRUE(ed.HasPendingChanges());

  // "Ok" takes the set into the project with one undo step.
  const PolarSet taken = ed.ChassisCopy().polar;
  Named<QPushButton>(ed, "okButton")->click();
  EXPECT_EQ(doc_->CurrentProject().chassis[0].polar, taken);
  EXPECT_TRUE(doc_->CurrentProject().chassis[1].polar.Empty());
  doc_->Undo();
  EXPECT_TRUE(doc_->CurrentProject().chassis[0].polar.Empty());
}

// Files that do not make a set: the message of the first fault, the dialog
// stays open and, cancelled then, nothing changes.
TEST_F(PolarImport, FilesThatMakeNoSetShowWhyAndChangeNothing) {
  Start();
  ChassisEditorWindow& ed = OpenEditor(2);
  Write("a hor 0.frd", Frd(90));
  Write("a hor 30.frd", Frd(87));
  Write("a H+30.frd", Frd(86));
  Write("a hor 60.frd", Frd(84));
  Write("a ohne.frd", Frd(84));
  Write("leer hor 45.frd", "* nichts\n");
  struct Case {
    std::vector<std::string> names;
    std::function<void(QTableWidget*)> edit;  // what the user enters first
    std::string message;                      // the start of the message
  };
  const std::vector<Case> cases{
      {{"a hor 0.frd", "a hor 30.frd", "a H+30.frd"}, nullptr, "Die Dateien \"a hor 30.frd\" und \"a H+30.frd\""},
      {{"a hor 30.frd", "a hor 60.frd"}, nullptr, "Es fehlt die Messung auf Achse"},
      {{"a hor 0.frd", "a ohne.frd"}, nullptr, "Für die Datei \"a ohne.frd\" fehlt der Winkel."},
      {{"a hor 0.frd", "a ohne.frd"},
       [](QTableWidget* t) { t->item(1, PolarImportDialog::kAngleColumn)->setText("dreißig"); },
       "Der Winkel \"dreißig\" der Datei \"a ohne.frd\" ist keine Zahl."},
      {{"a hor 0.frd", "a ohne.frd"},
       [](QTableWidget* t) { t->item(1, PolarImportDialog::kAngleColumn)->setText("200"); },
       "Der Winkel der Datei \"a ohne.frd\" (200°) liegt nicht zwischen -180° und 180°."},
      {{"a hor 0.frd", "leer hor 45.frd"}, nullptr, "Die Datei \"leer hor 45.frd\" enthält keine passenden Daten."},
  };
  for (const Case& c : cases) {
    std::vector<fs::path> files;
    for (const std::string& n : c.names) files.push_back(dir_ / n);
    ui_.asked.clear();
    Import(ed, files, [&](PolarImportDialog& d) {
      if (c.edit) c.edit(d.Table());
      d.OkButton()->click();
      EXPECT_NE(d.result(), QDialog::Accepted) << c.message;
      d.CancelButton()->click();
    });
    EXPECT_EQ(MessageCount(), 1) << c.message;
    EXPECT_EQ(LastMessage().rfind(c.message, 0), 0u) << LastMessage();
    EXPECT_TRUE(ed.ChassisCopy().polar.Empty()) << c.message;
  }
  // A cancelled file choice opens no dialog.
  bool opened = false;
  ed.execDialog = [&opened](QDialog&) {
    opened = true;
    return int(QDialog::Rejected);
  };
  Named<QPushButton>(ed, "importPolarButton")->click();
  EXPECT_FALSE(opened);
  EXPECT_FALSE(ed.HasPendingChanges());

  // A file that cannot be read says so in its row and below the table; left
  // out, the others make the set.
  ui_.asked.clear();
  Import(ed, {dir_ / "a hor 0.frd", dir_ / "leer hor 45.frd", dir_ / "a hor 30.frd"}, [](PolarImportDialog& d) {
    QTableWidget* t = d.Table();
    QTableWidgetItem* name = t->item(1, PolarImportDialog::kFileColumn);
    EXPECT_EQ(name->toolTip().toStdString(), "Die Datei \"leer hor 45.frd\" enthält keine passenden Daten.");
    EXPECT_EQ(name->foreground().color(), QColor(Qt::red));
    EXPECT_TRUE(d.Status()->text().contains("enthält keine passenden Daten"));
    t->setCurrentCell(1, PolarImportDialog::kAngleColumn);
    d.DropButton()->click();
    ASSERT_EQ(t->rowCount(), 2);
    EXPECT_EQ(CellText(t, 1, PolarImportDialog::kFileColumn), "a hor 30.frd");
    EXPECT_FALSE(d.Status()->text().contains("nicht verwendbar"));
    d.OkButton()->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
  });
  EXPECT_EQ(MessageCount(), 0);
  ASSERT_EQ(ed.ChassisCopy().polar.Responses().size(), 2u);
  EXPECT_EQ(ed.ChassisCopy().polar.Responses()[1].fileName, "a hor 30.frd");
}

// The note that the set is not used follows the measuring condition and the
// switch of the measured response as the editor shows them, before "Ok".
TEST_F(PolarImport, UnusedNoteFollowsTheMeasuringConditionAndTheResponseSwitch) {
  auto project = testing::MakeTwoWayProject(60);
  project->chassis[0].polar = ThreeFileSet();
  project->chassis[0].responseSource = 1;
  project->chassis[0].useMeasuredAmplitude = false;
  StartDocument(*project);
  ChassisEditorWindow& ed = OpenEditor(1);
  const std::string inBox =
      "Die Polardaten werden nicht verwendet: sie gelten nur für einen Frequenzgang, der \"im Gehäuse\" gemessen "
      "wurde.";
  const std::string switchedOff =
      "Die Polardaten werden nicht verwendet: der gemessene Frequenzgang ist nicht eingeschaltet.";
  EXPECT_NE(StateText(ed).find(inBox), std::string::npos) << StateText(ed);
  auto* condition = Named<QComboBox>(ed, "measuringConditionCombo");
  condition->setCurrentIndex(4);  // "5. zu simulierende Box"
  EXPECT_EQ(StateText(ed).find(inBox), std::string::npos);
  EXPECT_NE(StateText(ed).find(switchedOff), std::string::npos) << StateText(ed);
  NamedCheck(ed, "useResponseCheck")->click();
  EXPECT_EQ(StateText(ed).find("nicht verwendet"), std::string::npos) << StateText(ed);
  condition->setCurrentIndex(1);
  EXPECT_NE(StateText(ed).find(inBox), std::string::npos) << StateText(ed);
  // Nothing of this went into the project.
  EXPECT_EQ(doc_->CurrentProject().chassis[0].responseSource, 1);
}

// The set goes into a chassis file and comes back with it; loading a file
// without a set leaves the chassis without one.
TEST_F(PolarImport, ChassisFilesCarryTheSet) {
  auto project = testing::MakeTwoWayProject(60);
  project->chassis[0].polar = ThreeFileSet();
  StartDocument(*project);
  ChassisEditorWindow& ed = OpenEditor(1);
  // An unchanged editor keeps the set as it is.
  EXPECT_FALSE(ed.HasPendingChanges());
  ed.Apply();
  EXPECT_EQ(ed.ChassisCopy().polar, ThreeFileSet());
  ui_.files.push_back(dir_ / "mit");
  Named<QPushButton>(ed, "saveChassisButton")->click();
  Named<QPushButton>(ed, "removePolarButton")->click();
  EXPECT_EQ(StateText(ed), "keine Polardaten");
  ui_.files.push_back(dir_ / "mit.ZCH");
  Named<QPushButton>(ed, "loadChassisButton")->click();
  EXPECT_EQ(ed.ChassisCopy().polar, ThreeFileSet());
  EXPECT_NE(StateText(ed).find("3 Dateien"), std::string::npos) << StateText(ed);
  // A file without a set replaces the set by none.
  ui_.files.push_back(dir_ / "ohne");
  Named<QPushButton>(ed, "removePolarButton")->click();
  Named<QPushButton>(ed, "saveChassisButton")->click();
  ed.Open(0);
  EXPECT_EQ(ed.ChassisCopy().polar, ThreeFileSet());
  ui_.files.push_back(dir_ / "ohne.ZCH");
  Named<QPushButton>(ed, "loadChassisButton")->click();
  EXPECT_TRUE(ed.ChassisCopy().polar.Empty());
  EXPECT_EQ(StateText(ed), "keine Polardaten");
}

// The dialog is used by keyboard alone: the table first, Tab to "OK" and
// "Abbrechen", Escape closes it. With many files it stays on the screen and
// its table scrolls.
TEST(PolarImportDialog, FitsTheScreenAndWorksByKeyboard) {
  ScriptedInteraction ui;
  QWidget owner;
  const QRect free = owner.screen()->availableGeometry();
  owner.setGeometry(free.adjusted(20, 20, -20, -20));
  owner.show();
  std::vector<PolarFile> files;
  for (int a = -180; a < 180; a += 10)
    files.push_back(PolarFileFromText("hor " + std::to_string(a) + ".frd", Frd(90 - std::abs(a) / 10.0)));
  files.push_back(PolarFileFromText("ohne Winkel.frd", Frd(80)));
  PolarImportDialog d(files, 20, 20000, ui, &owner);
  d.show();
  d.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
  EXPECT_TRUE(free.contains(d.frameGeometry())) << d.frameGeometry().height() << " on " << free.height();
  EXPECT_TRUE(d.Table()->verticalScrollBar()->isVisible());

  // The row to fill is the current one; typing enters the angle.
  QTableWidget* t = d.Table();
  EXPECT_EQ(QApplication::focusWidget(), t);
  const int last = t->rowCount() - 1;
  EXPECT_EQ(t->currentRow(), last);
  EXPECT_EQ(t->currentColumn(), PolarImportDialog::kAngleColumn);
  QTest::keyClick(t, '7');  // opens the cell's editor, which takes the key
  ASSERT_NE(QApplication::focusWidget(), t);
  QTest::keyClicks(QApplication::focusWidget(), ",5");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_EQ(CellText(t, last, PolarImportDialog::kAngleColumn), "7,5");
  EXPECT_TRUE(d.isVisible());  // Return in the table presses no button
  // The plane by its list: Return opens it, Down picks "vertikal".
  QTest::keyClick(t, Qt::Key_Left);
  EXPECT_EQ(t->currentColumn(), PolarImportDialog::kPlaneColumn);
  QTest::keyClick(t, Qt::Key_Return);
  auto* planes = Named<QComboBox>(d, "polarPlaneEditor");
  ASSERT_NE(planes, nullptr);
  QTest::keyClick(planes, Qt::Key_Down);
  QTest::keyClick(planes, Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_EQ(CellText(t, last, PolarImportDialog::kPlaneColumn), "vertikal");

  QTest::keyClick(t, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), d.OkButton());
  QTest::keyClick(d.OkButton(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), d.CancelButton());
  QTest::keyClick(d.CancelButton(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), d.DropButton());
  // Delete in the table leaves the current file out.
  t->setFocus();
  t->setCurrentCell(0, PolarImportDialog::kFileColumn);
  QTest::keyClick(t, Qt::Key_Delete);
  EXPECT_EQ(t->rowCount(), last);
  EXPECT_EQ(CellText(t, 0, PolarImportDialog::kFileColumn), "hor -170.frd");
  QTest::keyClick(d.CancelButton(), Qt::Key_Escape);
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(d.result(), QDialog::Rejected);
  EXPECT_TRUE(d.Set().Empty());
  const std::vector<PolarFile> read = d.Files();
  EXPECT_EQ(read.back().response.plane, PolarPlane::Vertical);
  EXPECT_EQ(read.back().response.angle, 7.5);
  EXPECT_TRUE(read.back().named);
}

// "Polardaten entfernen" goes into the project with "Ok"; undo in the main
// window brings the set back.
class PolarWiring : public MainWindowFixture<> {};

TEST_F(PolarWiring, RemovedSetComesBackWithUndo) {
  auto project = testing::MakeTwoWayProject(60);
  project->chassis[1].polar = ThreeFileSet();
  MainWindow& f = StartOn(*project);
  Action(f, "actChassis2")->trigger();
  ChassisEditorWindow* ed = f.ChassisEditor();
  ASSERT_NE(ed, nullptr);
  EXPECT_NE(Named<QLabel>(*ed, "polarStateLabel")->text().toStdString().find("3 Dateien"), std::string::npos);
  Named<QPushButton>(*ed, "removePolarButton")->click();
  EXPECT_FALSE(Named<QPushButton>(*ed, "removePolarButton")->isEnabled());
  Named<QPushButton>(*ed, "okButton")->click();
  EXPECT_TRUE(f.Document().CurrentProject().chassis[1].polar.Empty());
  ASSERT_TRUE(Action(f, "actUndo")->isEnabled());
  Action(f, "actUndo")->trigger();
  EXPECT_EQ(f.Document().CurrentProject().chassis[1].polar, ThreeFileSet());
}

}  // namespace
}  // namespace sonvex
