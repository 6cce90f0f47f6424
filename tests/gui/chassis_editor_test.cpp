// The chassis and enclosure editor, the voice-coil fit window and the common
// cabinet dialog on a project document, opened as their menu commands open
// them, with a scripted interaction. How the main window opens, places and
// follows the editor is tried in main_form_test.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "acoustics/cabinet.h"
#include "acoustics/editor_values.h"
#include "acoustics/enclosure.h"
#include "acoustics/voice_coil_fit.h"
#include "calc/check.h"
#include "calc/file_load.h"
#include "document_fixture.h"
#include "model/chassis_file.h"
#include "model/interaction.h"
#include "model/number_text.h"
#include "model/project_file.h"
#include "model/settings.h"
#include "named_controls.h"
#include "numeric/complex.h"
#include "support/scripted_interaction.h"
#include "support/test_projects.h"
#include "ui/dialogs/help_text_window.h"
#include "ui/dialogs/window_place.h"
#include "ui/document/project_document.h"
#include "ui/editors/cabinet_dialog.h"
#include "ui/editors/chassis_editor.h"
#include "ui/editors/voice_coil_fit_window.h"

namespace sonvex {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class ChassisEditor : public DocumentFixture<> {
 protected:
  void TearDown() override {
    // The editor before the document it edits.
    editor_.reset();
    DocumentFixture::TearDown();
  }
  ProjectDocument& Start(std::unique_ptr<Project> p = testing::MakeTwoWayProject(60)) { return StartDocument(*p); }
  // Opens the editor on chassis item n as the menu command does: made once
  // on the document, then opened on the item's slot and shown.
  ChassisEditorWindow& OpenEditor(int n = 1) {
    if (!editor_) editor_ = std::make_unique<ChassisEditorWindow>(*doc_, settings_, ui_);
    editor_->Open(n - 1);
    editor_->show();
    return *editor_;
  }
  bool Asked(const std::string& kind, const std::string& text) const {
    for (const auto& q : ui_.asked)
      if (q.kind == kind && q.text == text) return true;
    return false;
  }
  fs::path Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
    return dir_ / name;
  }

  std::unique_ptr<ChassisEditorWindow> editor_;
};

// Whether `e` shows its whole text. The editor leaves the cursor behind the
// last character, where a field too narrow scrolls the text off at the left
// ("16,4246" shows as ".6,4246"); moving the cursor to the start would then
// scroll it back by less than the text's width.
bool ShowsWholeText(QLineEdit* e) {
  const auto cursorX = [e](int pos) {
    e->setCursorPosition(pos);
    (void)e->grab();  // the field scrolls its text when it paints
    return e->inputMethodQuery(Qt::ImCursorRectangle).toRect().x();
  };
  const int atEnd = cursorX(static_cast<int>(e->text().size()));
  const int atStart = cursorX(0);
  return atEnd - atStart >= QFontMetrics(e->font()).horizontalAdvance(e->text()) - 1;
}

// The longest texts the width-limited number format writes into a field.
const std::vector<QString> kSevenCharacterNumbers{"16,4246", "-1,5E-7", "8888888", "-0,0001"};

TEST_F(ChassisEditor, ChassisItemOpensTheEditorOnItsSlot) {
  Start();
  // What the editor tells the main window, whose menus follow it.
  std::vector<bool> open;
  editor_ = std::make_unique<ChassisEditorWindow>(*doc_, settings_, ui_);
  QObject::connect(editor_.get(), &ChassisEditorWindow::openChanged, [&](bool o) { open.push_back(o); });
  ChassisEditorWindow& ed = OpenEditor(2);
  EXPECT_TRUE(ed.isVisible());
  EXPECT_FALSE(ed.isModal());
  EXPECT_EQ(ed.Slot(), 1);
  EXPECT_EQ(NamedEdit(ed, "nameEdit")->text().toStdString(), doc_->CurrentProject().chassis[1].name.Str());
  EXPECT_EQ(open, std::vector<bool>{true});
  EXPECT_EQ(ed.Pages()->count(), 4);
  EXPECT_EQ(ed.Pages()->tabText(0).toStdString(), "&Chassisdaten");
  EXPECT_EQ(ed.Pages()->tabText(3).toStdString(), "weitere Daten");
  // The last two measuring conditions come only from files.
  EXPECT_EQ(Named<QComboBox>(ed, "measuringConditionCombo")->count(), 5);

  Named<QPushButton>(ed, "cancelButton")->click();
  EXPECT_FALSE(ed.isVisible());
  EXPECT_EQ(open, (std::vector<bool>{true, false}));
  EXPECT_TRUE(doc_->UndoHistory().Empty());

  // A project command that replaces the project closes it.
  OpenEditor(1);
  doc_->RestoreReference();  // no reference: nothing happens
  EXPECT_TRUE(ed.isVisible());
  ASSERT_TRUE(doc_->RememberReference());
  doc_->RestoreReference();
  EXPECT_FALSE(ed.isVisible());
  EXPECT_EQ(open, (std::vector<bool>{true, false, true, false}));
}

TEST_F(ChassisEditor, EveryNumberFieldShowsTheLongestNumberWhole) {
  Start();
  ChassisEditorWindow& ed = OpenEditor(1);
  // The fit writes seven characters into the voice-coil fields.
  Chassis fitted = ed.ChassisCopy();
  fitted.Re2 = 16.4246;
  EXPECT_EQ(FormatNumber(fitted.Re2, kEditWidth), "16,4246");
  // However small the user makes the editor, its layout keeps the fields wide.
  ed.resize(ed.minimumSizeHint());
  const std::set<std::string> texts{"nameEdit",      "commentEdit",   "orderNumberEdit",
                                    "lowerFreqEdit", "upperFreqEdit", "outerDimensionsEdit"};
  int checked = 0;
  for (int page = 0; page < ed.Pages()->count(); ++page) {
    ed.Pages()->setCurrentIndex(page);
    QApplication::processEvents();
    for (QLineEdit* e : ed.Pages()->currentWidget()->findChildren<QLineEdit*>()) {
      if (texts.count(e->objectName().toStdString()) != 0 || qobject_cast<QComboBox*>(e->parentWidget())) continue;
      ++checked;
      for (const QString& number : kSevenCharacterNumbers) {
        e->setText(number);
        EXPECT_TRUE(ShowsWholeText(e)) << e->objectName().toStdString() << " " << number.toStdString() << " in "
                                       << e->width() << " px";
      }
    }
  }
  EXPECT_GT(checked, 50);
}

TEST(WindowPlace, BesideTheOwnerWhereThereIsRoomElseWhereItHidesTheLeast) {
  const QRect screen(0, 0, 1400, 900);
  struct Case {
    QRect owner;
    QSize size;
    QRect place;
  };
  for (const Case& c : {
           // room on the right
           Case{QRect(0, 0, 600, 500), QSize(700, 600), QRect(600, 0, 700, 600)},
           // on the left when the right is too narrow; at the owner's height
           Case{QRect(700, 100, 600, 500), QSize(650, 600), QRect(50, 100, 650, 600)},
           // below when neither side has room, kept within the screen
           Case{QRect(300, 0, 800, 400), QSize(1000, 500), QRect(300, 400, 1000, 500)},
           // above
           Case{QRect(0, 500, 800, 400), QSize(900, 480), QRect(0, 20, 900, 480)},
           // no room anywhere (the main window of 1100 x 760 at 66, 0 and the
           // editor of 1180 x 680): the lower right corner hides the least
           Case{QRect(66, 0, 1100, 760), QSize(1180, 680), QRect(220, 220, 1180, 680)},
           // a window larger than the screen gets the screen
           Case{QRect(0, 0, 300, 300), QSize(2000, 1000), QRect(0, 0, 1400, 900)},
       }) {
    SCOPED_TRACE(c.place.x());
    EXPECT_EQ(PlaceBeside(c.owner, c.size, screen), c.place);
  }
  // A screen that does not start at 0, 0.
  EXPECT_EQ(PlaceBeside(QRect(1400, 30, 400, 300), QSize(500, 400), QRect(1400, 30, 1024, 570)),
            QRect(1800, 30, 500, 400));
  EXPECT_EQ(FitOnScreen(QRect(900, 700, 1120, 720), QRect(0, 0, 1024, 600)), QRect(0, 0, 1024, 600));
  EXPECT_EQ(FitOnScreen(QRect(900, 300, 400, 200), screen), QRect(900, 300, 400, 200));
  EXPECT_EQ(FitOnScreen(QRect(1200, 800, 400, 200), screen), QRect(1000, 700, 400, 200));
}

TEST(WindowPlace, AShownWindowReachingPastTheScreenMovesBackOntoIt) {
  QWidget w;
  const QRect free = w.screen()->availableGeometry();
  w.resize(300, 200);
  w.move(free.right() - 100, free.bottom() - 50);
  w.show();
  QApplication::processEvents();
  KeepFrameOnScreen(&w);
  EXPECT_TRUE(free.contains(w.frameGeometry())) << w.frameGeometry().x() << "," << w.frameGeometry().y();
  EXPECT_EQ(w.size(), QSize(300, 200));
}

TEST_F(ChassisEditor, UnchangedOkKeepsTheRecordsExactly) {
  Start();
  const auto before = std::make_unique<Project>(doc_->CurrentProject());
  ChassisEditorWindow& ed = OpenEditor(1);
  Named<QPushButton>(ed, "okButton")->click();
  EXPECT_FALSE(ed.isVisible());
  // Nothing changed: no undo step, the project stays saved.
  EXPECT_TRUE(doc_->UndoHistory().Empty());
  EXPECT_TRUE(doc_->Saved());
  const auto p = std::make_unique<Project>(doc_->CurrentProject());
  EXPECT_TRUE(p->chassis[0] == before->chassis[0]);
  EXPECT_TRUE(p->enclosures[0] == before->enclosures[0]);
  EXPECT_TRUE(p->baffles[0] == before->baffles[0]);
}

TEST_F(ChassisEditor, ChangingVbChangesTheBassResponse) {
  Start();
  ASSERT_EQ(doc_->CurrentProject().enclosures[2].type, 2);  // the vented sub in 40 l
  const int low = 3;                                        // a grid index in the bass range
  ASSERT_LT(doc_->ShownResult().freq[low], 60);
  const double before = CAbs(doc_->ShownResult().boxPressure[low][0]);
  ChassisEditorWindow& ed = OpenEditor(3);
  ed.Pages()->setCurrentIndex(1);
  NamedEdit(ed, "vbEdit")->setText("9");
  Named<QPushButton>(ed, "okButton")->click();
  EXPECT_DOUBLE_EQ(doc_->CurrentProject().enclosures[2].Vb, 0.009);
  EXPECT_FALSE(doc_->CurrentProject().saved);
  ASSERT_TRUE(doc_->WaitCalcIdle());
  const double after = CAbs(doc_->ShownResult().boxPressure[low][0]);
  EXPECT_GT(std::abs(20 * std::log10(after / before)), 0.5);
  EXPECT_TRUE(doc_->ShownResult().valid);

  // Undo brings the old volume back.
  doc_->Undo();
  EXPECT_DOUBLE_EQ(doc_->CurrentProject().enclosures[2].Vb, 0.04);
}

TEST_F(ChassisEditor, NewProjectWithOneChassisEnteredInTheEditorComputes) {
  Start();
  doc_->New();
  ASSERT_TRUE(doc_->WaitCalcIdle());
  ChassisEditorWindow& ed = OpenEditor(1);
  const std::pair<const char*, const char*> values[] = {
      {"nameEdit", "Eigenbau 20"},
      {"fsEdit", "32"},
      {"qesEdit", "0,38"},
      {"qmsEdit", "4,2"},
      {"vasEdit", "60"},
      {"sdEdit", "220"},
      {"rdcEdit", "5,6"},
      {"leEdit", "0,8"},
      {"xlinEdit", "5"},
      {"maxPowerEdit", "100"},
      {"nominalImpedanceEdit", "8"},
      {"outletDiameterEdit", "16"},
  };
  for (const auto& [name, text] : values) NamedEdit(ed, name)->setText(QString::fromUtf8(text));
  // A new chassis sits on the (still empty) common cabinet; a baffle of its
  // own takes the tick away first.
  ASSERT_TRUE(NamedCheck(ed, "commonCabinetCheck")->isChecked());
  NamedCheck(ed, "commonCabinetCheck")->click();
  for (const auto& [name, text] :
       {std::pair{"fromBottomEdit", "20"}, {"widthEdit", "25"}, {"fromLeftEdit", "12,5"}, {"heightEdit", "40"}})
    NamedEdit(ed, name)->setText(QString::fromUtf8(text));
  Named<QRadioButton>(ed, "closedRadio")->click();
  NamedEdit(ed, "vbEdit")->setText("40");
  // The status report of the calculation, as the error list and the status
  // bar show it.
  std::optional<CalcReport> report;
  QObject::connect(doc_.get(), &ProjectDocument::calcStatus, [&](const CalcReport& r) { report = r; });
  Named<QPushButton>(ed, "okButton")->click();
  const Project& p = doc_->CurrentProject();
  EXPECT_EQ(p.chassis[0].name, "Eigenbau 20");
  EXPECT_DOUBLE_EQ(p.chassis[0].Sd, 0.022);
  EXPECT_EQ(p.enclosures[0].type, 1);
  // The crossover of a new project has no part; the chassis alone is shown.
  ASSERT_TRUE(doc_->WaitCalcIdle());
  ASSERT_TRUE(report.has_value());
  EXPECT_EQ(report->errors, 0) << ::testing::PrintToString(report->lines);
  EXPECT_EQ(report->text, "Berechnung war erfolgreich.");
  EXPECT_TRUE(doc_->ShownResult().valid);
}

TEST_F(ChassisEditor, DerivedValuesOfAKnownChassis) {
  Start();
  ChassisEditorWindow& ed = OpenEditor(2);
  // Test-Tieftöner 17 (fs 38 Hz, Qes 0,42, Qms 3,1, Sd 133 cm²) in 18 l closed;
  // the numbers themselves are checked against hand values in chassis_tests.
  const ChassisDerived& d = ed.ChassisCopy().derived;
  const std::string cms = DerivedLabel(ed, "Cms")->text().toStdString();
  EXPECT_EQ(cms, "Cms = " + FormatNumber(d.Cms * 1e6, 7) + " µF");
  EXPECT_EQ(DerivedLabel(ed, "Qts")->text().toStdString(), "Qts = " + FormatNumber(0.42 * 3.1 / 3.52, 6));
  EXPECT_EQ(DerivedLabel(ed, "Vab")->text().toStdString(), "Vab = " + FormatNumber(d.Vab * 1e3, 7) + " Liter");
  // "aktualisieren" takes the edits: Vas 56 l doubles the compliance Cmd.
  NamedEdit(ed, "vasEdit")->setText("56");
  Named<QPushButton>(ed, "refreshButton")->click();
  const double cmd = 7.21e-6 * 0.056 / (0.0133 * 0.0133);
  EXPECT_EQ(DerivedLabel(ed, "Cmd")->text().toStdString(), "Cmd = " + FormatNumber(cmd * 1e3, 7) + " mm/N");
  // After the refresh every label shows a number, none its placeholder.
  for (const DerivedValueLabel& l : DerivedValueLabels(ChassisDerived{}))
    EXPECT_NE(DerivedLabel(ed, l.key.c_str())->text().toStdString().back(), '?') << l.key;
}

TEST_F(ChassisEditor, UseBoxesFollowEachOther) {
  Start();
  ChassisEditorWindow& ed = OpenEditor(1);
  QCheckBox* fa = NamedCheck(ed, "useResponseCheck");
  QCheckBox* fap = NamedCheck(ed, "useResponsePhaseCheck");
  QCheckBox* fa4 = NamedCheck(ed, "useResponseForFsCheck");
  ASSERT_FALSE(fa->isChecked());
  EXPECT_FALSE(fap->isEnabled());
  fa->click();
  EXPECT_TRUE(fa4->isChecked());
  EXPECT_TRUE(fa4->isEnabled());
  EXPECT_TRUE(fap->isEnabled());
  fap->click();
  EXPECT_TRUE(fap->isChecked());
  fa->click();
  EXPECT_FALSE(fap->isChecked());
  EXPECT_FALSE(fa4->isChecked());
  EXPECT_FALSE(fap->isEnabled());
  EXPECT_FALSE(fa4->isEnabled());

  QCheckBox* fi = NamedCheck(ed, "useImpedanceCheck");
  QCheckBox* fip = NamedCheck(ed, "useImpedancePhaseCheck");
  fi->click();
  EXPECT_TRUE(fip->isEnabled());
  fip->click();
  fi->click();
  EXPECT_FALSE(fip->isChecked());
  EXPECT_FALSE(fip->isEnabled());
}

TEST_F(ChassisEditor, ClosedBackOpensAsIntegratedAndStoresTypeZero) {
  auto p = testing::MakeTwoWayProject(60);
  p->chassis[0].rearClosed = true;
  p->enclosures[0].type = 1;
  Start(std::move(p));
  ChassisEditorWindow& ed = OpenEditor(1);
  EXPECT_TRUE(Named<QRadioButton>(ed, "integratedRadio")->isChecked());
  EXPECT_EQ(Named<QRadioButton>(ed, "integratedRadio")->text().toStdString(), "Gehäuse integriert (HT)");
  for (const char* name : {"closedRadio", "bassReflexRadio", "bandPassRadio", "bandPassVentedRadio"})
    EXPECT_FALSE(Named<QRadioButton>(ed, name)->isEnabled()) << name;
  Named<QPushButton>(ed, "okButton")->click();
  EXPECT_EQ(doc_->CurrentProject().enclosures[0].type, 0);

  // Clearing the box enables the types again.
  ChassisEditorWindow& again = OpenEditor(1);
  NamedCheck(again, "rearClosedCheck")->click();
  EXPECT_TRUE(Named<QRadioButton>(again, "bassReflexRadio")->isEnabled());
  Named<QRadioButton>(again, "bassReflexRadio")->click();
  Named<QPushButton>(again, "okButton")->click();
  EXPECT_EQ(doc_->CurrentProject().enclosures[0].type, 2);
  EXPECT_FALSE(doc_->CurrentProject().chassis[0].rearClosed);
}

TEST_F(ChassisEditor, TypeChoiceShowsItsInputsAndEstimatesTheLosses) {
  Start();
  ChassisEditorWindow& ed = OpenEditor(1);
  auto shown = [&ed](const char* name) {
    return !NamedEdit(ed, name)->isHidden() && !NamedEdit(ed, name)->parentWidget()->isHidden();
  };
  Named<QRadioButton>(ed, "closedRadio")->click();
  EXPECT_TRUE(shown("vbEdit"));
  EXPECT_FALSE(shown("fbEdit"));
  EXPECT_FALSE(shown("vbfEdit"));
  EXPECT_TRUE(Named<QGroupBox>(ed, "rearGroup")->isHidden());
  Named<QRadioButton>(ed, "bandPassVentedRadio")->click();
  EXPECT_TRUE(shown("fbEdit"));
  EXPECT_TRUE(shown("fbfEdit"));
  EXPECT_FALSE(Named<QGroupBox>(ed, "rearGroup")->isHidden());
  EXPECT_FALSE(Named<QSlider>(ed, "frontPortDampingSlider")->parentWidget()->isHidden());
  EXPECT_FALSE(shown("qkfEdit"));
  // Stronger damping gives the estimate a larger volume factor.
  Named<QRadioButton>(ed, "closedRadio")->click();
  Named<QSlider>(ed, "volumeDampingSlider")->setValue(0);
  const double vv0 = ed.EnclosureCopy().volumeFactor;
  Named<QSlider>(ed, "volumeDampingSlider")->setValue(4);
  EXPECT_GT(ed.EnclosureCopy().volumeFactor, vv0);
  EXPECT_EQ(NamedEdit(ed, "volumeFactorEdit")->text().toStdString(), FormatNumber(ed.EnclosureCopy().volumeFactor, 7));
  // Explicit values: the edits replace the track bars, and a track bar no
  // longer changes them.
  NamedCheck(ed, "explicitValuesCheck")->click();
  EXPECT_TRUE(shown("volumeFactorEdit"));
  EXPECT_TRUE(Named<QSlider>(ed, "volumeDampingSlider")->parentWidget()->isHidden());
  NamedEdit(ed, "volumeFactorEdit")->setText("1,3");
  Named<QPushButton>(ed, "refreshButton")->click();
  EXPECT_DOUBLE_EQ(ed.EnclosureCopy().volumeFactor, 1.3);
  EXPECT_EQ(DerivedLabel(ed, "Vab")->text().toStdString(),
            "Vab = " + FormatNumber(ed.EnclosureCopy().Vb * 1.3 * 1e3, 7) + " Liter");
}

TEST_F(ChassisEditor, ImportAnsweringEightySevenRaisesEveryLevelByThreeDecibels) {
  Start();
  ChassisEditorWindow& ed = OpenEditor(1);
  ui_.buttons = {1};
  ui_.files.push_back(Write("tmt.txt", "* Messung\n100\t85,2\t-45\n200\t86\t-50\n"));
  ui_.edits.push_back(std::vector<std::string>{"87"});
  Named<QPushButton>(ed, "importResponseButton")->click();
  QTableWidget* fa = ed.Grid(0);
  EXPECT_EQ(fa->item(0, 0)->text().toStdString(), "100");
  EXPECT_EQ(fa->item(0, 1)->text().toStdString(), "88,2");
  EXPECT_EQ(fa->item(1, 1)->text().toStdString(), "89");
  EXPECT_EQ(fa->item(2, 0), nullptr);
  EXPECT_EQ(ed.Grid(1)->item(0, 1)->text().toStdString(), "-45");
  EXPECT_NEAR(ed.ChassisCopy().measuredAmplitude[0], 88.2, 1e-12);
  // the imported curves are switched on
  EXPECT_TRUE(NamedCheck(ed, "useResponseCheck")->isChecked());
  EXPECT_TRUE(NamedCheck(ed, "useResponsePhaseCheck")->isChecked());
  EXPECT_TRUE(Asked("edit", "Pegelanpassung"));

  // "Pegel ändern": -1,5 dB on every point
  ui_.edits.push_back(std::vector<std::string>{"-1,5"});
  Named<QPushButton>(ed, "changeLevelButton")->click();
  EXPECT_EQ(fa->item(0, 1)->text().toStdString(), "86,7");
  Named<QPushButton>(ed, "okButton")->click();
  EXPECT_NEAR(doc_->CurrentProject().chassis[0].measuredAmplitude[1], 87.5, 1e-12);
  EXPECT_TRUE(doc_->CurrentProject().chassis[0].useMeasuredAmplitude);
}

TEST_F(ChassisEditor, ImpedanceImportOfAFileWithoutDataChangesNothing) {
  Start();
  ChassisEditorWindow& ed = OpenEditor(1);
  const auto before = std::make_unique<Chassis>(ed.ChassisCopy());
  ui_.buttons = {1};
  ui_.files.push_back(Write("leer.zma", "* nur Kommentar\nFreq Z Phase\n"));
  Named<QPushButton>(ed, "importImpedanceButton")->click();
  EXPECT_TRUE(Asked("message", "Die Datei enthält keine passenden Daten."));
  EXPECT_EQ(ed.ChassisCopy().measuredImpedanceFreq, before->measuredImpedanceFreq);
  EXPECT_FALSE(NamedCheck(ed, "useImpedanceCheck")->isChecked());
  // the introduction was shown with the impedance text and filter
  ASSERT_GE(ui_.asked.size(), 2u);
  EXPECT_EQ(ui_.asked[0].text.rfind("ASCII-Datei mit Impedanzgang importieren.", 0), 0u);
  EXPECT_EQ(ui_.asked[1].options, "*.asc; *.txt; *.zma; *.imp; *.oct|*.asc; *.txt; *.zma; *.imp; *.oct|*.*|*.*");
}

TEST_F(ChassisEditor, SavingAndLoadingChassisFiles) {
  Start();
  ChassisEditorWindow& ed = OpenEditor(1);
  NamedEdit(ed, "nameEdit")->setText("Neu 17");
  ui_.files.push_back(dir_ / "box.zch");
  Named<QPushButton>(ed, "saveChassisButton")->click();
  EXPECT_TRUE(fs::exists(dir_ / "box.ZCH"));
  EXPECT_FALSE(fs::exists(dir_ / "box.zch"));
  ui_.files.push_back(dir_ / "ohne");
  Named<QPushButton>(ed, "saveChassisButton")->click();
  EXPECT_TRUE(fs::exists(dir_ / "ohne.ZCH"));
  auto saved = std::make_unique<Chassis>();
  ASSERT_TRUE(LoadChassisFile(*saved, dir_ / "box.ZCH", ui_));
  EXPECT_EQ(saved->name, "Neu 17");

  // Loading a chassis with Sd 133 cm² takes its diameter onto the baffle.
  auto cone = std::make_unique<Chassis>(testing::Woofer());
  cone->name = "Konus 133";
  cone->diaphragmShape = 1;
  SaveChassisFile(dir_ / "konus.ZCH", *cone);
  ui_.asked.clear();
  ui_.files.push_back(dir_ / "konus.ZCH");
  Named<QPushButton>(ed, "loadChassisButton")->click();
  EXPECT_EQ(NamedEdit(ed, "nameEdit")->text().toStdString(), "Konus 133");
  EXPECT_TRUE(Asked("message",
                    "Chassis wurde geladen.\rAkustischer Durchmesser auf Schallwand und\rMembranform wurde aus "
                    "Chassisdatei übernommen."));
  EXPECT_EQ(Named<QComboBox>(ed, "diaphragmShapeCombo")->currentIndex(), 1);
  Named<QPushButton>(ed, "okButton")->click();
  EXPECT_NEAR(doc_->CurrentProject().baffles[0].outletDiameter, std::sqrt(0.0133 * 4 / 3.14159265358979323846) * 0.999,
              1e-12);
  EXPECT_NEAR(doc_->CurrentProject().baffles[0].outletDiameter, 0.1300, 1e-4);
  EXPECT_EQ(doc_->CurrentProject().baffles[0].diaphragmShape, 1);
  EXPECT_EQ(doc_->CurrentProject().chassis[0].name, "Konus 133");
}

TEST_F(ChassisEditor, FsNotPositiveAsksBeforeAnythingIsWritten) {
  Start();
  ChassisEditorWindow& ed = OpenEditor(2);
  NamedEdit(ed, "fsEdit")->setText("0");
  ui_.buttons = {1};  // "jetzt ändern"
  Named<QPushButton>(ed, "okButton")->click();
  EXPECT_TRUE(Asked("choose", "Fehler: fs<=0"));
  EXPECT_TRUE(ed.isVisible());
  EXPECT_TRUE(doc_->UndoHistory().Empty());
  EXPECT_EQ(doc_->CurrentProject().chassis[1].fs, 38);
  ui_.buttons = {2};  // "bleibt so"
  Named<QPushButton>(ed, "okButton")->click();
  EXPECT_FALSE(ed.isVisible());
  EXPECT_EQ(doc_->CurrentProject().chassis[1].fs, 0);
}

TEST_F(ChassisEditor, CommonCabinetCanOnlyBeSwitchedOnInItsDialog) {
  auto p = testing::MakeTwoWayProject(60);
  p->baffles[1].useCabinet = true;
  Start(std::move(p));
  ChassisEditorWindow& ed = OpenEditor(1);
  QCheckBox* commonCabinet = NamedCheck(ed, "commonCabinetCheck");
  ASSERT_FALSE(commonCabinet->isChecked());
  commonCabinet->click();
  EXPECT_FALSE(commonCabinet->isChecked());
  EXPECT_TRUE(Asked("message",
                    "Aktivieren der Option \"gemeinsames Außengehäuse\"\rnur unter Menüpunkt \"gemeinsames "
                    "Außengehäuse\" möglich."));
  EXPECT_TRUE(NamedEdit(ed, "fromBottomEdit")->isEnabled());
  Named<QPushButton>(ed, "cancelButton")->click();

  ChassisEditorWindow& second = OpenEditor(2);
  EXPECT_TRUE(NamedCheck(second, "commonCabinetCheck")->isChecked());
  for (const char* name : {"fromBottomEdit", "widthEdit", "fromLeftEdit", "chamferLeftEdit", "heightEdit",
                           "horizontalEdit", "rearTowardsListenerEdit"})
    EXPECT_FALSE(NamedEdit(second, name)->isEnabled()) << name;
  EXPECT_FALSE(NamedCheck(second, "diffractionLeftCheck")->isEnabled());
  EXPECT_FALSE(Named<QComboBox>(second, "directionCombo")->isEnabled());
  EXPECT_TRUE(NamedEdit(second, "outletDiameterEdit")->isEnabled());
  EXPECT_TRUE(Named<QComboBox>(second, "diaphragmShapeCombo")->isEnabled());
  // switching it off is allowed
  NamedCheck(second, "commonCabinetCheck")->click();
  EXPECT_TRUE(NamedEdit(second, "fromBottomEdit")->isEnabled());
  Named<QPushButton>(second, "okButton")->click();
  EXPECT_FALSE(doc_->CurrentProject().baffles[1].useCabinet);
}

TEST_F(ChassisEditor, MeasuringConditionNoteAndHelpButtons) {
  Start();
  ChassisEditorWindow& ed = OpenEditor(1);
  QComboBox* cond = Named<QComboBox>(ed, "measuringConditionCombo");
  cond->setCurrentIndex(0);
  emit cond->activated(0);
  EXPECT_TRUE(Asked("message",
                    "Wenn KORVANT-Chassisdaten geladen wurden,\rist es nicht sinnvoll, den Ort der Messung\r"
                    "nachträglich zu manipulieren.\rIn diesem Fall wird empfohlen, die Chassisdatei\rneu zu laden"));
  Named<QPushButton>(ed, "okButton")->click();
  EXPECT_EQ(doc_->CurrentProject().chassis[0].responseSource, 1);

  ChassisEditorWindow& again = OpenEditor(1);
  Named<QRadioButton>(again, "closedRadio")->click();
  NamedCheck(again, "explicitValuesCheck")->click();
  Named<QToolButton>(again, "airLoadHelpButton")->click();
  HelpTextWindow* help = again.HelpWindow();
  EXPECT_TRUE(help->isVisible());
  EXPECT_EQ(help->windowTitle().toStdString(), "Luftlastfaktor");
  EXPECT_EQ(help->width(), 220);
  EXPECT_TRUE(help->Text().contains(QString::fromUtf8("bei wenig Dämmmaterial")));
  Named<QToolButton>(again, "volumeFactorHelpButton")->click();
  EXPECT_EQ(help->windowTitle().toStdString(), "Volumenzuwachsfaktor");
  EXPECT_TRUE(help->Text().contains(QString::fromUtf8("1,10 für lockere Füllung\n1,25")));
}

TEST_F(ChassisEditor, VoiceCoilFitAsksAndTakesTheValues) {
  Start();
  ChassisEditorWindow& ed = OpenEditor(1);
  // Too few points above 1,2·fs: the analysis window says why.
  NamedEdit(ed, "leEdit")->setText("0,6");
  Named<QPushButton>(ed, "voiceCoilFitButton")->click();
  VoiceCoilFitWindow* w = ed.VoiceCoilFit();
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->windowTitle().toStdString(), "Impedanzgang analysieren");
  EXPECT_FALSE(w->MessagesMemo()->isHidden());
  EXPECT_EQ(w->MessagesMemo()->toPlainText().toStdString(), kFitTooFewPointsText);
  w->OkButton()->click();

  // A measured impedance of Re + jωLe with Le = 1 mH above the resonance.
  QTableWidget* fi = ed.Grid(2);
  for (int k = 0; k < 40; ++k) {
    const double f = 100 * std::pow(1.12, k);
    const double z = std::hypot(5.8, 2 * 3.14159265358979 * f * 0.001);
    fi->setItem(k, 0, new QTableWidgetItem(QString::fromStdString(FormatNumber(f, 7))));
    fi->setItem(k, 1, new QTableWidgetItem(QString::fromStdString(FormatNumber(z, 7))));
  }
  ui_.buttons = {1};
  Named<QPushButton>(ed, "voiceCoilFitButton")->click();
  ASSERT_FALSE(ui_.asked.empty());
  EXPECT_EQ(ui_.asked.back().kind, "choose");
  EXPECT_EQ(ui_.asked.back().text.rfind("Es wurde errechnet:\r\nLe  = ", 0), 0u);
  EXPECT_EQ(ui_.asked.back().options, " &Ja |&Nein");
  EXPECT_NE(NamedEdit(ed, "leEdit")->text().toStdString(), "0,6");
  EXPECT_EQ(NamedEdit(ed, "leEdit")->text().toStdString(), FormatNumber(ed.ChassisCopy().Le * 1000, 7));
}

// ---------------------------------------------------------------- common cabinet

class CommonCabinetDialog : public ChassisEditor {
 protected:
  // "gemeinsames Außengehäuse" as its menu command runs it: the dialog filled
  // from the document and run by `run`; "Ok" commits the box and the derived
  // baffles as one edit, whose recalculation is decided after the edit (every
  // chassis step reads the cabinet, the compared records do not).
  // The menu command: the dialog on the document, "Ok" as one edit.
  void RunCommonCabinet() { EditCommonCabinet(*doc_, run_); }
  // Runs the dialog with `fill` filling it, then OK.
  void RunDialog(const std::function<void(CabinetDialog&)>& fill) {
    run_ = [fill](QDialog& d) {
      auto& dlg = dynamic_cast<CabinetDialog&>(d);
      EXPECT_EQ(dlg.windowTitle().toStdString(), "gem. Außengehäuse");
      fill(dlg);
      return static_cast<int>(QDialog::Accepted);
    };
    RunCommonCabinet();
  }

  // How the test closes the modal dialog, as the main window's dialog runner.
  DialogRunner run_;
};

TEST_F(CommonCabinetDialog, ChassisOnTheLeftFaceAndAPortOnTheOppositeSide) {
  Start();
  ASSERT_EQ(doc_->CurrentProject().enclosures[1].type, 1);  // the woofer in a closed box
  ASSERT_EQ(doc_->CurrentProject().enclosures[2].type, 2);  // the vented sub
  bool rearShownVented = false, rearShownClosed = true;
  RunDialog([&](CabinetDialog& d) {
    EXPECT_TRUE(Named<QGroupBox>(d, "slotGroup4")->isVisibleTo(&d));
    EXPECT_FALSE(Named<QGroupBox>(d, "slotGroup5")->isVisibleTo(&d));
    EXPECT_EQ(Named<QGroupBox>(d, "slotGroup2")->title().toStdString(), "Test-Tieftöner 17(2)");
    NamedEdit(d, "heightEdit")->setText("90");
    NamedEdit(d, "widthEdit")->setText("30");
    NamedEdit(d, "depthEdit")->setText("40");
    NamedEdit(d, "chamferLeftEdit")->setText("2");
    // the vented sub on the front, its port on the back at c = 5 cm
    Named<QCheckBox>(d, "commonCabinetCheck3")->click();
    rearShownVented = Named<QWidget>(d, "rearPanel3")->isVisibleTo(&d);
    Named<QComboBox>(d, "faceCombo3")->setCurrentIndex(0);
    NamedEdit(d, "fromBottomEdit3")->setText("25");
    NamedEdit(d, "fromLeftEdit3")->setText("15");
    Named<QComboBox>(d, "rearSideCombo3")->setCurrentIndex(1);
    NamedEdit(d, "outletFromBottomEdit3")->setText("10");
    NamedEdit(d, "outletFromLeftEdit3")->setText("5");
    // the closed woofer on the left face at c = 10 cm; its hidden port edits
    // still give the outlet position
    Named<QCheckBox>(d, "commonCabinetCheck2")->click();
    EXPECT_TRUE(Named<QWidget>(d, "positionPanel2")->isVisibleTo(&d));
    rearShownClosed = Named<QWidget>(d, "rearPanel2")->isVisibleTo(&d);
    Named<QComboBox>(d, "faceCombo2")->setCurrentIndex(2);
    NamedEdit(d, "fromBottomEdit2")->setText("70");
    NamedEdit(d, "fromLeftEdit2")->setText("10");
    NamedEdit(d, "outletFromBottomEdit2")->setText("3");
    NamedEdit(d, "outletFromLeftEdit2")->setText("4");
  });
  EXPECT_TRUE(rearShownVented);
  EXPECT_FALSE(rearShownClosed);
  EXPECT_EQ(UndoCaption(), "Rückgängig \"Gemeinsames Außengehäuse editieren\"");
  const Project& q = doc_->CurrentProject();
  EXPECT_DOUBLE_EQ(q.cabinet.height, 0.9);
  EXPECT_DOUBLE_EQ(q.cabinet.chamferLeft, 0.02);
  const Baffle& sub = q.baffles[2];
  EXPECT_TRUE(sub.useCabinet);
  EXPECT_NEAR(sub.horizontal, 0.15 - 0.15, 1e-12);
  EXPECT_NEAR(sub.vertical, 0.25 - 0.45, 1e-12);
  EXPECT_NEAR(sub.rearHorizontal, 0.15 - 0.05, 1e-12);  // W/2 - Cr on the back
  EXPECT_NEAR(sub.rearForward, -0.40, 1e-12);
  EXPECT_EQ(sub.rearDirection, 1);
  const Baffle& woofer = q.baffles[1];
  EXPECT_EQ(woofer.direction, 2);
  EXPECT_NEAR(woofer.horizontal, -0.15, 1e-12);
  EXPECT_NEAR(woofer.forward, -0.30, 1e-12);
  EXPECT_NEAR(woofer.width, 0.40, 1e-12);
  EXPECT_NEAR(woofer.chamferRight, 0.02, 1e-12);  // its right-hand chamfer is the box's left front chamfer
  EXPECT_NEAR(woofer.rearForward, 0.04 - 0.40, 1e-12);
  EXPECT_NEAR(woofer.rearVertical, 0.03 - 0.45, 1e-12);
  EXPECT_EQ(woofer.outletDiameter, 0.13);  // the outlet diameter stays as entered
  EXPECT_FALSE(q.baffles[0].useCabinet);
  ASSERT_TRUE(doc_->WaitCalcIdle());
  EXPECT_TRUE(doc_->ShownResult().valid);

  // Filled from this project and confirmed unchanged, nothing changes.
  const auto before = std::make_unique<Project>(doc_->CurrentProject());
  RunDialog([](CabinetDialog& d) {
    EXPECT_EQ(NamedEdit(d, "outletFromLeftEdit3")->text().toStdString(), "5");
    EXPECT_EQ(NamedEdit(d, "outletFromBottomEdit2")->text().toStdString(), "3");
    EXPECT_EQ(Named<QComboBox>(d, "faceCombo2")->currentIndex(), 2);
  });
  EXPECT_TRUE(doc_->CurrentProject().baffles == before->baffles);
  EXPECT_TRUE(doc_->CurrentProject().cabinet == before->cabinet);
}

TEST_F(CommonCabinetDialog, PortRowOfAVentedChassisIsShownWhole) {
  Start();
  ASSERT_EQ(doc_->CurrentProject().enclosures[2].type, 2);  // the vented sub
  run_ = [](QDialog& dialog) -> int {
    auto& d = dynamic_cast<CabinetDialog&>(dialog);
    Named<QCheckBox>(d, "commonCabinetCheck3")->click();
    Named<QComboBox>(d, "rearSideCombo3")->setCurrentIndex(1);
    // The tab key goes through the box, the chassis groups in their order and
    // the buttons; the scrolling area is no stop.
    std::vector<std::string> order;
    QWidget* first = NamedEdit(d, "heightEdit");
    QWidget* w = first;
    do {
      if ((w->focusPolicy() & Qt::TabFocus) != 0 && w->isVisibleTo(&d) && w->isEnabled())
        order.push_back(w->objectName().toStdString());
      w = w->nextInFocusChain();
    } while (w != first);
    const std::vector<std::string> expected{"heightEdit",          "widthEdit",           "depthEdit",
                                            "chamferLeftEdit",     "chamferRightEdit",    "chamferTopEdit",
                                            "chamferBottomEdit",   "commonCabinetCheck1", "commonCabinetCheck2",
                                            "commonCabinetCheck3", "faceCombo3",          "fromBottomEdit3",
                                            "fromLeftEdit3",       "rearSideCombo3",      "outletFromBottomEdit3",
                                            "outletFromLeftEdit3", "commonCabinetCheck4", "okButton",
                                            "cancelButton"};
    EXPECT_EQ(order, expected);
    // The dialog fits the screen; the chassis groups scroll where it is too small for them.
    const QRect free = d.screen()->availableGeometry();
    EXPECT_LE(d.width(), free.width());
    EXPECT_LE(d.height(), free.height());
    // As the dialog opens on the screen, and as small as the user can make it.
    for (const bool smallest : {false, true}) {
      SCOPED_TRACE(smallest);
      d.show();
      if (smallest) d.resize(d.minimumSizeHint());
      QApplication::processEvents();
      auto* rear = Named<QComboBox>(d, "rearSideCombo3");
      EXPECT_TRUE(rear->isVisibleTo(&d));
      EXPECT_EQ(rear->currentText().toStdString(), "gegenüber von Chassis");
      EXPECT_GE(rear->width(), rear->sizeHint().width());
      EXPECT_GE(Named<QComboBox>(d, "faceCombo3")->width(), Named<QComboBox>(d, "faceCombo3")->sizeHint().width());
      // The port's a and c stand under the chassis's a and c.
      QWidget* group = Named<QGroupBox>(d, "slotGroup3");
      for (const auto& [port, chassis] :
           {std::pair{"outletFromBottomEdit3", "fromBottomEdit3"}, std::pair{"outletFromLeftEdit3", "fromLeftEdit3"}}) {
        EXPECT_EQ(NamedEdit(d, port)->mapTo(group, QPoint(0, 0)).x(),
                  NamedEdit(d, chassis)->mapTo(group, QPoint(0, 0)).x());
        EXPECT_EQ(NamedEdit(d, port)->width(), NamedEdit(d, chassis)->width());
      }
      for (QLineEdit* e : d.findChildren<QLineEdit*>()) {
        if (!e->isVisibleTo(&d) || qobject_cast<QComboBox*>(e->parentWidget())) continue;
        for (const QString& number : kSevenCharacterNumbers) {
          e->setText(number);
          EXPECT_TRUE(ShowsWholeText(e)) << e->objectName().toStdString() << " " << number.toStdString();
        }
      }
    }
    return static_cast<int>(QDialog::Rejected);
  };
  RunCommonCabinet();
}

TEST_F(CommonCabinetDialog, TickingAChassisGrowsTheDialogWithinTheScreen) {
  Start();
  run_ = [](QDialog& dialog) -> int {
    auto& d = dynamic_cast<CabinetDialog&>(dialog);
    d.show();
    QApplication::processEvents();
    auto* check = Named<QCheckBox>(d, "commonCabinetCheck3");
    EXPECT_FALSE(check->isChecked());
    const int before = d.height();
    check->click();
    QApplication::processEvents();
    EXPECT_GT(d.height(), before);
    EXPECT_LE(d.height(), d.screen()->availableGeometry().height());
    return static_cast<int>(QDialog::Rejected);
  };
  RunCommonCabinet();
}

TEST_F(CommonCabinetDialog, ShippedProjectConfirmedUnchangedStaysAsItIs) {
  // The document on the shipped file as it is, not saved anew first.
  doc_ = std::make_unique<ProjectDocument>(settings_, ui_);
  ASSERT_TRUE(doc_->LoadFile(fs::path(SONVEX_TEST_DATA) / ".." / ".." / "data" / "Projekte" / "Dreiweg-Standbox.ZPJ"));
  doc_->StartCalculation(0ms);
  ASSERT_TRUE(doc_->WaitCalcIdle());
  ASSERT_TRUE(doc_->CurrentProject().baffles[0].useCabinet);
  const auto before = std::make_unique<Project>(doc_->CurrentProject());
  RunDialog([](CabinetDialog& d) { EXPECT_TRUE(Named<QCheckBox>(d, "commonCabinetCheck1")->isChecked()); });
  EXPECT_TRUE(doc_->CurrentProject().baffles == before->baffles);
  EXPECT_TRUE(doc_->CurrentProject().cabinet == before->cabinet);
}

TEST_F(CommonCabinetDialog, CancelChangesNothingAndUncheckedSlotsKeepTheirBaffle) {
  Start();
  const auto before = std::make_unique<Project>(doc_->CurrentProject());
  run_ = [](QDialog& d) {
    NamedEdit(dynamic_cast<CabinetDialog&>(d), "heightEdit")->setText("50");
    return static_cast<int>(QDialog::Rejected);
  };
  RunCommonCabinet();
  EXPECT_TRUE(doc_->CurrentProject() == *before);
  EXPECT_TRUE(doc_->UndoHistory().Empty());

  // Chassis 1..4 of this project have baffles of their own.
  RunDialog([](CabinetDialog& d) { NamedEdit(d, "widthEdit")->setText("25"); });
  EXPECT_DOUBLE_EQ(doc_->CurrentProject().cabinet.width, 0.25);
  for (int k = 0; k < 4; ++k) EXPECT_TRUE(doc_->CurrentProject().baffles[k] == before->baffles[k]) << k;
}

}  // namespace
}  // namespace sonvex

namespace sonvex {
namespace {

// A number outside its field's range is framed with the range in the
// tooltip; "Ok" still decides on it as before (fs asks, the rest is taken).
TEST_F(ChassisEditor, NumbersOutsideTheirRangeAreFramed) {
  Start();
  ChassisEditorWindow& ed = OpenEditor(2);
  struct Case {
    const char* field;
    const char* text;
    const char* tip;  // "" when the number lies in the range
  };
  const Case cases[] = {
      {"fsEdit", "0", "Wert außerhalb des Bereichs über 0 Hz"},   {"fsEdit", "38", ""},
      {"vbEdit", "-5", "Wert außerhalb des Bereichs ab 0 Liter"}, {"vbEdit", "0", ""},
      {"widthEdit", "-1", "Wert außerhalb des Bereichs ab 0 cm"}, {"horizontalEdit", "-12", ""},
  };
  for (const Case& c : cases) {
    QLineEdit* e = NamedEdit(ed, c.field);
    e->setText(QString::fromUtf8(c.text));
    EXPECT_EQ(e->styleSheet().contains("border"), *c.tip != '\0') << c.field << " " << c.text;
    if (*c.tip != '\0') {
      EXPECT_EQ(e->toolTip().toStdString(), c.tip) << c.field;
    }
  }
}

// A type change shows the rows of the type and re-estimates the losses from
// the fields the estimate reads; every other field is taken only by "Ok".
// The derived values follow the fields as they are shown.
TEST_F(ChassisEditor, TypeChangeReadsOnlyWhatTheEstimateNeeds) {
  Start();
  ChassisEditorWindow& ed = OpenEditor(2);  // Test-Tieftöner 17 in 18 l closed
  ASSERT_FALSE(NamedCheck(ed, "explicitValuesCheck")->isChecked());
  const std::string name = ed.ChassisCopy().name.Str();
  const double qms = ed.ChassisCopy().Qms;
  NamedEdit(ed, "nameEdit")->setText("Umbenannt");
  NamedEdit(ed, "qesEdit")->setText("0,9");
  NamedEdit(ed, "vbEdit")->setText("12");
  Named<QRadioButton>(ed, "bassReflexRadio")->click();

  EXPECT_EQ(ed.ChassisCopy().name.Str(), name);
  EXPECT_EQ(ed.EnclosureCopy().type, 2);
  EXPECT_DOUBLE_EQ(ed.EnclosureCopy().Vb, 0.012);
  EXPECT_FALSE(NamedEdit(ed, "fbEdit")->parentWidget()->isHidden());
  auto chassis = std::make_unique<Chassis>(ed.ChassisCopy());
  Enclosure estimate = ed.EnclosureCopy();
  EstimateEnclosureLosses(*chassis, estimate);
  EXPECT_EQ(NamedEdit(ed, "volumeFactorEdit")->text().toStdString(), FieldText(estimate.volumeFactor));
  EXPECT_EQ(NamedEdit(ed, "fmbEdit")->text().toStdString(), FieldText(estimate.airMassCornerFreq));
  EXPECT_EQ(NamedEdit(ed, "qbEdit")->text().toStdString(), FieldText(estimate.Qb));
  EXPECT_EQ(DerivedLabel(ed, "Qts")->text().toStdString(), "Qts = " + FormatNumber(0.9 * qms / (0.9 + qms), 6));

  Named<QPushButton>(ed, "okButton")->click();
  const Project& p = doc_->CurrentProject();
  EXPECT_EQ(p.chassis[1].name.Str(), "Umbenannt");
  EXPECT_DOUBLE_EQ(p.chassis[1].Qes, 0.9);
  EXPECT_EQ(p.enclosures[1].type, 2);
  EXPECT_DOUBLE_EQ(p.enclosures[1].Vb, 0.012);
}

}  // namespace
}  // namespace sonvex
