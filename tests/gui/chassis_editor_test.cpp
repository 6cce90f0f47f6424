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
#include "acoustics/voice_coil_fit.h"
#include "calc/check.h"
#include "calc/file_load.h"
#include "document_fixture.h"
#include "model/chassis_file.h"
#include "model/interaction.h"
#include "model/number_text.h"
#include "model/project_file.h"
#include "model/settings.h"
#include "numeric/complex.h"
#include "support/scripted_interaction.h"
#include "support/test_projects.h"
#include "ui/dialogs/help_text_window.h"
#include "ui/dialogs/window_place.h"
#include "ui/document/project_document.h"
#include "ui/editors/chassis_editor.h"
#include "ui/editors/gem_geh_dialog.h"
#include "ui/editors/rele2_window.h"

namespace sonvex {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class ChassisEditor : public TDocumentFixture<> {
 protected:
  void TearDown() override {
    // The editor before the document it edits.
    editor.reset();
    TDocumentFixture::TearDown();
  }
  TProjectDocument& Start(std::unique_ptr<TProjekt> p = testing::MakeTwoWayProject(60)) { return StartDocument(*p); }
  // Opens the editor on chassis item n as the menu command does: made once
  // on the document, then opened on the item's slot and shown.
  TFormChassisEd& OpenEditor(int n = 1) {
    if (!editor) editor = std::make_unique<TFormChassisEd>(*doc, settings, ui);
    editor->Open(n - 1);
    editor->show();
    return *editor;
  }
  bool Asked(const std::string& kind, const std::string& text) const {
    for (const auto& q : ui.asked)
      if (q.kind == kind && q.text == text) return true;
    return false;
  }
  fs::path Write(const std::string& name, const std::string& text) {
    std::ofstream(dir / name, std::ios::binary) << text;
    return dir / name;
  }

  std::unique_ptr<TFormChassisEd> editor;
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
  editor = std::make_unique<TFormChassisEd>(*doc, settings, ui);
  QObject::connect(editor.get(), &TFormChassisEd::openChanged, [&](bool o) { open.push_back(o); });
  TFormChassisEd& ed = OpenEditor(2);
  EXPECT_TRUE(ed.isVisible());
  EXPECT_FALSE(ed.isModal());
  EXPECT_EQ(ed.Slot(), 1);
  EXPECT_EQ(ed.Edit("EditName")->text().toStdString(), doc->Project().Chassis[1].Name.Str());
  EXPECT_EQ(open, std::vector<bool>{true});
  EXPECT_EQ(ed.Pages()->count(), 4);
  EXPECT_EQ(ed.Pages()->tabText(0).toStdString(), "&Chassisdaten");
  EXPECT_EQ(ed.Pages()->tabText(3).toStdString(), "weitere Daten");
  // The last two measuring conditions come only from files.
  EXPECT_EQ(ed.Control<QComboBox>("ComboBox1")->count(), 5);

  ed.Control<QPushButton>("BtnAbbruch")->click();
  EXPECT_FALSE(ed.isVisible());
  EXPECT_EQ(open, (std::vector<bool>{true, false}));
  EXPECT_TRUE(doc->UndoStack().Empty());

  // A project command that replaces the project closes it.
  OpenEditor(1);
  doc->RestoreReference();  // no reference: nothing happens
  EXPECT_TRUE(ed.isVisible());
  ASSERT_TRUE(doc->RememberReference());
  doc->RestoreReference();
  EXPECT_FALSE(ed.isVisible());
  EXPECT_EQ(open, (std::vector<bool>{true, false, true, false}));
}

TEST_F(ChassisEditor, EveryNumberFieldShowsTheLongestNumberWhole) {
  Start();
  TFormChassisEd& ed = OpenEditor(1);
  // The fit writes seven characters into the voice-coil fields.
  TChassis fitted = ed.ChassisCopy();
  fitted.Re2 = 16.4246;
  EXPECT_EQ(FormatNumber(fitted.Re2, kEditWidth), "16,4246");
  // However small the user makes the editor, its layout keeps the fields wide.
  ed.resize(ed.minimumSizeHint());
  const std::set<std::string> texts{"EditName", "EditKommentar", "Ed_bnr", "Ed_fu", "Ed_fo", "Ed_Da"};
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
  const auto before = std::make_unique<TProjekt>(doc->Project());
  TFormChassisEd& ed = OpenEditor(1);
  ed.Control<QPushButton>("BtnOk")->click();
  EXPECT_FALSE(ed.isVisible());
  EXPECT_EQ(UndoCaption(), "Rückgängig \"Chassis 1 editieren\"");
  // The derived values are refreshed; everything the user sees is unchanged.
  const auto p = std::make_unique<TProjekt>(doc->Project());
  p->Chassis[0].derived = before->Chassis[0].derived;
  EXPECT_TRUE(p->Chassis[0] == before->Chassis[0]);
  EXPECT_TRUE(p->Einbau[0] == before->Einbau[0]);
  EXPECT_TRUE(p->Schallwand[0] == before->Schallwand[0]);
}

TEST_F(ChassisEditor, ChangingVbChangesTheBassResponse) {
  Start();
  ASSERT_EQ(doc->Project().Einbau[2].Typ, 2);  // the vented sub in 40 l
  const int low = 3;                           // a grid index in the bass range
  ASSERT_LT(doc->ShownResult().freq[low], 60);
  const double before = CAbs(doc->ShownResult().BoxP[low][0]);
  TFormChassisEd& ed = OpenEditor(3);
  ed.Pages()->setCurrentIndex(1);
  ed.Edit("EditVb")->setText("9");
  ed.Control<QPushButton>("BtnOk")->click();
  EXPECT_DOUBLE_EQ(doc->Project().Einbau[2].Vb, 0.009);
  EXPECT_FALSE(doc->Project().bSaved);
  ASSERT_TRUE(doc->WaitCalcIdle());
  const double after = CAbs(doc->ShownResult().BoxP[low][0]);
  EXPECT_GT(std::abs(20 * std::log10(after / before)), 0.5);
  EXPECT_TRUE(doc->ShownResult().bValid);

  // Undo brings the old volume back.
  doc->Undo();
  EXPECT_DOUBLE_EQ(doc->Project().Einbau[2].Vb, 0.04);
}

TEST_F(ChassisEditor, NewProjectWithOneChassisEnteredInTheEditorComputes) {
  Start();
  doc->New();
  ASSERT_TRUE(doc->WaitCalcIdle());
  TFormChassisEd& ed = OpenEditor(1);
  const std::pair<const char*, const char*> values[] = {
      {"EditName", "Eigenbau 20"}, {"Editfs", "32"},    {"EditQes", "0,38"}, {"EditQms", "4,2"},
      {"EditVas", "60"},           {"EditAmem", "220"}, {"EditRe", "5,6"},   {"EditLe", "0,8"},
      {"EditXlin", "5"},           {"Ed_Pmax", "100"},  {"EditZNenn", "8"},  {"Editd", "16"},
  };
  for (const auto& [name, text] : values) ed.Edit(name)->setText(QString::fromUtf8(text));
  // A new chassis sits on the (still empty) common cabinet; a baffle of its
  // own takes the tick away first.
  ASSERT_TRUE(ed.Check("CBGemgeh")->isChecked());
  ed.Check("CBGemgeh")->click();
  for (const auto& [name, text] : {std::pair{"Edita", "20"}, {"Editb", "25"}, {"Editc", "12,5"}, {"Edith", "40"}})
    ed.Edit(name)->setText(QString::fromUtf8(text));
  ed.Control<QRadioButton>("RbCL")->click();
  ed.Edit("EditVb")->setText("40");
  // The status report of the calculation, as the error list and the status
  // bar show it.
  std::optional<TStatusReport> report;
  QObject::connect(doc.get(), &TProjectDocument::calcStatus, [&](const TStatusReport& r) { report = r; });
  ed.Control<QPushButton>("BtnOk")->click();
  const TProjekt& p = doc->Project();
  EXPECT_EQ(p.Chassis[0].Name, "Eigenbau 20");
  EXPECT_DOUBLE_EQ(p.Chassis[0].Amem, 0.022);
  EXPECT_EQ(p.Einbau[0].Typ, 1);
  // The crossover of a new project has no part; the chassis alone is shown.
  ASSERT_TRUE(doc->WaitCalcIdle());
  ASSERT_TRUE(report.has_value());
  EXPECT_EQ(report->errors, 0) << ::testing::PrintToString(report->lines);
  EXPECT_EQ(report->text, "Berechnung war erfolgreich.");
  EXPECT_TRUE(doc->ShownResult().bValid);
}

TEST_F(ChassisEditor, DerivedValuesOfAKnownChassis) {
  Start();
  TFormChassisEd& ed = OpenEditor(2);
  // Test-Tieftöner 17 (fs 38 Hz, Qes 0,42, Qms 3,1, Sd 133 cm²) in 18 l closed;
  // the numbers themselves are checked against hand values in chassis_tests.
  const TChassisDerived& d = ed.ChassisCopy().derived;
  const std::string cms = ed.DerivedLabel("Cms")->text().toStdString();
  EXPECT_EQ(cms, "Cms = " + FormatNumber(d.Cms * 1e6, 7) + " µF");
  EXPECT_EQ(ed.DerivedLabel("Qts")->text().toStdString(), "Qts = " + FormatNumber(0.42 * 3.1 / 3.52, 6));
  EXPECT_EQ(ed.DerivedLabel("Vab")->text().toStdString(), "Vab = " + FormatNumber(d.Vab * 1e3, 7) + " Liter");
  // "aktualisieren" takes the edits: Vas 56 l doubles the compliance Cmd.
  ed.Edit("EditVas")->setText("56");
  ed.Control<QPushButton>("Btnaktualisieren")->click();
  const double cmd = 7.21e-6 * 0.056 / (0.0133 * 0.0133);
  EXPECT_EQ(ed.DerivedLabel("Cmd")->text().toStdString(), "Cmd = " + FormatNumber(cmd * 1e3, 7) + " mm/N");
  // After the refresh every label shows a number, none its placeholder.
  for (const TDerivedLabel& l : DerivedValueLabels(TChassisDerived{}))
    EXPECT_NE(ed.DerivedLabel(l.key.c_str())->text().toStdString().back(), '?') << l.key;
}

TEST_F(ChassisEditor, UseBoxesFollowEachOther) {
  Start();
  TFormChassisEd& ed = OpenEditor(1);
  QCheckBox* fa = ed.Check("CbUseFA");
  QCheckBox* fap = ed.Check("CBUseFAP");
  QCheckBox* fa4 = ed.Check("CBUseFA4fs");
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

  QCheckBox* fi = ed.Check("CBUseFI");
  QCheckBox* fip = ed.Check("CBUseFIP");
  fi->click();
  EXPECT_TRUE(fip->isEnabled());
  fip->click();
  fi->click();
  EXPECT_FALSE(fip->isChecked());
  EXPECT_FALSE(fip->isEnabled());
}

TEST_F(ChassisEditor, ClosedBackOpensAsIntegratedAndStoresTypeZero) {
  auto p = testing::MakeTwoWayProject(60);
  p->Chassis[0].hintengeschl = true;
  p->Einbau[0].Typ = 1;
  Start(std::move(p));
  TFormChassisEd& ed = OpenEditor(1);
  EXPECT_TRUE(ed.Control<QRadioButton>("RbInt")->isChecked());
  EXPECT_EQ(ed.Control<QRadioButton>("RbInt")->text().toStdString(), "Gehäuse integriert (HT)");
  for (const char* name : {"RbCL", "RbBR", "RBBP", "RbBV"})
    EXPECT_FALSE(ed.Control<QRadioButton>(name)->isEnabled()) << name;
  ed.Control<QPushButton>("BtnOk")->click();
  EXPECT_EQ(doc->Project().Einbau[0].Typ, 0);

  // Clearing the box enables the types again.
  TFormChassisEd& again = OpenEditor(1);
  again.Check("cbHintengeschl")->click();
  EXPECT_TRUE(again.Control<QRadioButton>("RbBR")->isEnabled());
  again.Control<QRadioButton>("RbBR")->click();
  again.Control<QPushButton>("BtnOk")->click();
  EXPECT_EQ(doc->Project().Einbau[0].Typ, 2);
  EXPECT_FALSE(doc->Project().Chassis[0].hintengeschl);
}

TEST_F(ChassisEditor, TypeChoiceShowsItsInputsAndEstimatesTheLosses) {
  Start();
  TFormChassisEd& ed = OpenEditor(1);
  auto shown = [&ed](const char* name) {
    return !ed.Edit(name)->isHidden() && !ed.Edit(name)->parentWidget()->isHidden();
  };
  ed.Control<QRadioButton>("RbCL")->click();
  EXPECT_TRUE(shown("EditVb"));
  EXPECT_FALSE(shown("Editfb"));
  EXPECT_FALSE(shown("EditVbf"));
  EXPECT_TRUE(ed.Control<QGroupBox>("GroupBoxRear")->isHidden());
  ed.Control<QRadioButton>("RbBV")->click();
  EXPECT_TRUE(shown("Editfb"));
  EXPECT_TRUE(shown("Editfbf"));
  EXPECT_FALSE(ed.Control<QGroupBox>("GroupBoxRear")->isHidden());
  EXPECT_FALSE(ed.Control<QSlider>("TrackBarkf")->parentWidget()->isHidden());
  EXPECT_FALSE(shown("EditQkf"));
  // Stronger damping gives the estimate a larger volume factor.
  ed.Control<QRadioButton>("RbCL")->click();
  ed.Control<QSlider>("TrackBarv")->setValue(0);
  const double vv0 = ed.EinbauCopy().vV;
  ed.Control<QSlider>("TrackBarv")->setValue(4);
  EXPECT_GT(ed.EinbauCopy().vV, vv0);
  EXPECT_EQ(ed.Edit("EditVv")->text().toStdString(), FormatNumber(ed.EinbauCopy().vV, 7));
  // Explicit values: the edits replace the track bars, and a track bar no
  // longer changes them.
  ed.Check("CBmbQexplizit")->click();
  EXPECT_TRUE(shown("EditVv"));
  EXPECT_TRUE(ed.Control<QSlider>("TrackBarv")->parentWidget()->isHidden());
  ed.Edit("EditVv")->setText("1,3");
  ed.Control<QPushButton>("Btnaktualisieren")->click();
  EXPECT_DOUBLE_EQ(ed.EinbauCopy().vV, 1.3);
  EXPECT_EQ(ed.DerivedLabel("Vab")->text().toStdString(),
            "Vab = " + FormatNumber(ed.EinbauCopy().Vb * 1.3 * 1e3, 7) + " Liter");
}

TEST_F(ChassisEditor, ImportAnsweringEightySevenRaisesEveryLevelByThreeDecibels) {
  Start();
  TFormChassisEd& ed = OpenEditor(1);
  ui.buttons = {1};
  ui.files.push_back(Write("tmt.txt", "* Messung\n100\t85,2\t-45\n200\t86\t-50\n"));
  ui.edits.push_back(std::vector<std::string>{"87"});
  ed.Control<QPushButton>("BtnImportFGang")->click();
  QTableWidget* fa = ed.Grid(0);
  EXPECT_EQ(fa->item(0, 0)->text().toStdString(), "100");
  EXPECT_EQ(fa->item(0, 1)->text().toStdString(), "88,2");
  EXPECT_EQ(fa->item(1, 1)->text().toStdString(), "89");
  EXPECT_EQ(fa->item(2, 0), nullptr);
  EXPECT_EQ(ed.Grid(1)->item(0, 1)->text().toStdString(), "-45");
  EXPECT_NEAR(ed.ChassisCopy().FgangA[0], 88.2, 1e-12);
  // the imported curves are switched on
  EXPECT_TRUE(ed.Check("CbUseFA")->isChecked());
  EXPECT_TRUE(ed.Check("CBUseFAP")->isChecked());
  EXPECT_TRUE(Asked("edit", "Pegelanpassung"));

  // "Pegel ändern": -1,5 dB on every point
  ui.edits.push_back(std::vector<std::string>{"-1,5"});
  ed.Control<QPushButton>("BtnPegel")->click();
  EXPECT_EQ(fa->item(0, 1)->text().toStdString(), "86,7");
  ed.Control<QPushButton>("BtnOk")->click();
  EXPECT_NEAR(doc->Project().Chassis[0].FgangA[1], 87.5, 1e-12);
  EXPECT_TRUE(doc->Project().Chassis[0].useFgangA);
}

TEST_F(ChassisEditor, ImpedanceImportOfAFileWithoutDataChangesNothing) {
  Start();
  TFormChassisEd& ed = OpenEditor(1);
  const auto before = std::make_unique<TChassis>(ed.ChassisCopy());
  ui.buttons = {1};
  ui.files.push_back(Write("leer.zma", "* nur Kommentar\nFreq Z Phase\n"));
  ed.Control<QPushButton>("BtnImportIGang")->click();
  EXPECT_TRUE(Asked("message", "Die Datei enthält keine passenden Daten."));
  EXPECT_EQ(ed.ChassisCopy().FgangIF, before->FgangIF);
  EXPECT_FALSE(ed.Check("CBUseFI")->isChecked());
  // the introduction was shown with the impedance text and filter
  ASSERT_GE(ui.asked.size(), 2u);
  EXPECT_EQ(ui.asked[0].text.rfind("ASCII-Datei mit Impedanzgang importieren.", 0), 0u);
  EXPECT_EQ(ui.asked[1].options, "*.asc; *.txt; *.zma; *.imp; *.oct|*.asc; *.txt; *.zma; *.imp; *.oct|*.*|*.*");
}

TEST_F(ChassisEditor, SavingAndLoadingChassisFiles) {
  Start();
  TFormChassisEd& ed = OpenEditor(1);
  ed.Edit("EditName")->setText("Neu 17");
  ui.files.push_back(dir / "box.zch");
  ed.Control<QPushButton>("BtnSpeichern")->click();
  EXPECT_TRUE(fs::exists(dir / "box.ZCH"));
  EXPECT_FALSE(fs::exists(dir / "box.zch"));
  ui.files.push_back(dir / "ohne");
  ed.Control<QPushButton>("BtnSpeichern")->click();
  EXPECT_TRUE(fs::exists(dir / "ohne.ZCH"));
  auto saved = std::make_unique<TChassis>();
  ASSERT_TRUE(LoadChassisFile(*saved, dir / "box.ZCH", ui));
  EXPECT_EQ(saved->Name, "Neu 17");

  // Loading a chassis with Sd 133 cm² takes its diameter onto the baffle.
  auto cone = std::make_unique<TChassis>(testing::Woofer());
  cone->Name = "Konus 133";
  cone->Membranform = 1;
  SaveChassisFile(dir / "konus.ZCH", *cone);
  ui.asked.clear();
  ui.files.push_back(dir / "konus.ZCH");
  ed.Control<QPushButton>("Btnladen")->click();
  EXPECT_EQ(ed.Edit("EditName")->text().toStdString(), "Konus 133");
  EXPECT_TRUE(Asked("message",
                    "Chassis wurde geladen.\rAkustischer Durchmesser auf Schallwand und\rMembranform wurde aus "
                    "Chassisdatei übernommen."));
  EXPECT_EQ(ed.Control<QComboBox>("CB_Membranform")->currentIndex(), 1);
  ed.Control<QPushButton>("BtnOk")->click();
  EXPECT_NEAR(doc->Project().Schallwand[0].d, std::sqrt(0.0133 * 4 / 3.14159265358979323846) * 0.999, 1e-12);
  EXPECT_NEAR(doc->Project().Schallwand[0].d, 0.1300, 1e-4);
  EXPECT_EQ(doc->Project().Schallwand[0].Membranform, 1);
  EXPECT_EQ(doc->Project().Chassis[0].Name, "Konus 133");
}

TEST_F(ChassisEditor, FsNotPositiveAsksBeforeAnythingIsWritten) {
  Start();
  TFormChassisEd& ed = OpenEditor(2);
  ed.Edit("Editfs")->setText("0");
  ui.buttons = {1};  // "jetzt ändern"
  ed.Control<QPushButton>("BtnOk")->click();
  EXPECT_TRUE(Asked("choose", "Fehler: fs<=0"));
  EXPECT_TRUE(ed.isVisible());
  EXPECT_TRUE(doc->UndoStack().Empty());
  EXPECT_EQ(doc->Project().Chassis[1].fs, 38);
  ui.buttons = {2};  // "bleibt so"
  ed.Control<QPushButton>("BtnOk")->click();
  EXPECT_FALSE(ed.isVisible());
  EXPECT_EQ(doc->Project().Chassis[1].fs, 0);
}

TEST_F(ChassisEditor, CommonCabinetCanOnlyBeSwitchedOnInItsDialog) {
  auto p = testing::MakeTwoWayProject(60);
  p->Schallwand[1].usegemgeh = true;
  Start(std::move(p));
  TFormChassisEd& ed = OpenEditor(1);
  QCheckBox* gem = ed.Check("CBGemgeh");
  ASSERT_FALSE(gem->isChecked());
  gem->click();
  EXPECT_FALSE(gem->isChecked());
  EXPECT_TRUE(Asked("message",
                    "Aktivieren der Option \"gemeinsames Außengehäuse\"\rnur unter Menüpunkt \"gemeinsames "
                    "Außengehäuse\" möglich."));
  EXPECT_TRUE(ed.Edit("Edita")->isEnabled());
  ed.Control<QPushButton>("BtnAbbruch")->click();

  TFormChassisEd& second = OpenEditor(2);
  EXPECT_TRUE(second.Check("CBGemgeh")->isChecked());
  for (const char* name : {"Edita", "Editb", "Editc", "Edite", "Edith", "Edithor", "EditStrar"})
    EXPECT_FALSE(second.Edit(name)->isEnabled()) << name;
  EXPECT_FALSE(second.Check("cbBeugL")->isEnabled());
  EXPECT_FALSE(second.Control<QComboBox>("ComboBox2")->isEnabled());
  EXPECT_TRUE(second.Edit("Editd")->isEnabled());
  EXPECT_TRUE(second.Control<QComboBox>("CB_Membranform")->isEnabled());
  // switching it off is allowed
  second.Check("CBGemgeh")->click();
  EXPECT_TRUE(second.Edit("Edita")->isEnabled());
  second.Control<QPushButton>("BtnOk")->click();
  EXPECT_FALSE(doc->Project().Schallwand[1].usegemgeh);
}

TEST_F(ChassisEditor, MeasuringConditionNoteAndHelpButtons) {
  Start();
  TFormChassisEd& ed = OpenEditor(1);
  QComboBox* cond = ed.Control<QComboBox>("ComboBox1");
  cond->setCurrentIndex(0);
  emit cond->activated(0);
  EXPECT_TRUE(Asked("message",
                    "Wenn KORVANT-Chassisdaten geladen wurden,\rist es nicht sinnvoll, den Ort der Messung\r"
                    "nachträglich zu manipulieren.\rIn diesem Fall wird empfohlen, die Chassisdatei\rneu zu laden"));
  ed.Control<QPushButton>("BtnOk")->click();
  EXPECT_EQ(doc->Project().Chassis[0].fgang_which, 1);

  TFormChassisEd& again = OpenEditor(1);
  again.Control<QRadioButton>("RbCL")->click();
  again.Check("CBmbQexplizit")->click();
  again.Control<QToolButton>("SpeedButtonmb")->click();
  TFormHilfetext* help = again.HelpWindow();
  EXPECT_TRUE(help->isVisible());
  EXPECT_EQ(help->windowTitle().toStdString(), "Luftlastfaktor");
  EXPECT_EQ(help->width(), 220);
  EXPECT_TRUE(help->Text().contains(QString::fromUtf8("bei wenig Dämmmaterial")));
  again.Control<QToolButton>("SpeedButtonvV")->click();
  EXPECT_EQ(help->windowTitle().toStdString(), "Volumenzuwachsfaktor");
  EXPECT_TRUE(help->Text().contains(QString::fromUtf8("1,10 für lockere Füllung\n1,25")));
}

TEST_F(ChassisEditor, VoiceCoilFitAsksAndTakesTheValues) {
  Start();
  TFormChassisEd& ed = OpenEditor(1);
  // Too few points above 1,2·fs: the analysis window says why.
  ed.Edit("EditLe")->setText("0,6");
  ed.Control<QPushButton>("BtnLeReLe2rechnen")->click();
  TFormReLe2* w = ed.ReLe2();
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->windowTitle().toStdString(), "Impedanzgang analysieren");
  EXPECT_FALSE(w->MemoReLe()->isHidden());
  EXPECT_EQ(w->MemoReLe()->toPlainText().toStdString(), kFitTooFewPointsText);
  w->Button1()->click();

  // A measured impedance of Re + jωLe with Le = 1 mH above the resonance.
  QTableWidget* fi = ed.Grid(2);
  for (int k = 0; k < 40; ++k) {
    const double f = 100 * std::pow(1.12, k);
    const double z = std::hypot(5.8, 2 * 3.14159265358979 * f * 0.001);
    fi->setItem(k, 0, new QTableWidgetItem(QString::fromStdString(FormatNumber(f, 7))));
    fi->setItem(k, 1, new QTableWidgetItem(QString::fromStdString(FormatNumber(z, 7))));
  }
  ui.buttons = {1};
  ed.Control<QPushButton>("BtnLeReLe2rechnen")->click();
  ASSERT_FALSE(ui.asked.empty());
  EXPECT_EQ(ui.asked.back().kind, "choose");
  EXPECT_EQ(ui.asked.back().text.rfind("Es wurde errechnet:\r\nLe  = ", 0), 0u);
  EXPECT_EQ(ui.asked.back().options, " &Ja |&Nein");
  EXPECT_NE(ed.Edit("EditLe")->text().toStdString(), "0,6");
  EXPECT_EQ(ed.Edit("EditLe")->text().toStdString(), FormatNumber(ed.ChassisCopy().Le * 1000, 7));
}

// ---------------------------------------------------------------- common cabinet

class GemGeh : public ChassisEditor {
 protected:
  // "gemeinsames Außengehäuse" as its menu command runs it: the dialog filled
  // from the document and run by `run`; "Ok" commits the box and the derived
  // baffles as one edit, whose recalculation is decided after the edit (every
  // chassis step reads the cabinet, the compared records do not).
  // The menu command: the dialog on the document, "Ok" as one edit.
  void RunCommonCabinet() { EditCommonCabinet(*doc, run); }
  // Runs the dialog with `fill` filling it, then OK.
  void RunDialog(const std::function<void(TFormGemGeh&)>& fill) {
    run = [fill](QDialog& d) {
      auto& dlg = dynamic_cast<TFormGemGeh&>(d);
      EXPECT_EQ(dlg.windowTitle().toStdString(), "gem. Außengehäuse");
      fill(dlg);
      return static_cast<int>(QDialog::Accepted);
    };
    RunCommonCabinet();
  }

  // How the test closes the modal dialog, as the main window's dialog runner.
  TDialogRunner run;
};

TEST_F(GemGeh, ChassisOnTheLeftFaceAndAPortOnTheOppositeSide) {
  Start();
  ASSERT_EQ(doc->Project().Einbau[1].Typ, 1);  // the woofer in a closed box
  ASSERT_EQ(doc->Project().Einbau[2].Typ, 2);  // the vented sub
  bool rearShownVented = false, rearShownClosed = true;
  RunDialog([&](TFormGemGeh& d) {
    EXPECT_TRUE(d.Control<QGroupBox>("GroupBox4")->isVisibleTo(&d));
    EXPECT_FALSE(d.Control<QGroupBox>("GroupBox5")->isVisibleTo(&d));
    EXPECT_EQ(d.Control<QGroupBox>("GroupBox2")->title().toStdString(), "Test-Tieftöner 17(2)");
    d.Edit("Edith")->setText("90");
    d.Edit("Editb")->setText("30");
    d.Edit("Editt")->setText("40");
    d.Edit("Editfasl")->setText("2");
    // the vented sub on the front, its port on the back at c = 5 cm
    d.Control<QCheckBox>("CheckBox3")->click();
    rearShownVented = d.Control<QWidget>("PanelRear3")->isVisibleTo(&d);
    d.Control<QComboBox>("CBStra3")->setCurrentIndex(0);
    d.Edit("Edita3")->setText("25");
    d.Edit("Editc3")->setText("15");
    d.Control<QComboBox>("CBStraR3")->setCurrentIndex(1);
    d.Edit("Editar3")->setText("10");
    d.Edit("Editcr3")->setText("5");
    // the closed woofer on the left face at c = 10 cm; its hidden port edits
    // still give the outlet position
    d.Control<QCheckBox>("CheckBox2")->click();
    EXPECT_TRUE(d.Control<QWidget>("PanelPos2")->isVisibleTo(&d));
    rearShownClosed = d.Control<QWidget>("PanelRear2")->isVisibleTo(&d);
    d.Control<QComboBox>("CBStra2")->setCurrentIndex(2);
    d.Edit("Edita2")->setText("70");
    d.Edit("Editc2")->setText("10");
    d.Edit("Editar2")->setText("3");
    d.Edit("Editcr2")->setText("4");
  });
  EXPECT_TRUE(rearShownVented);
  EXPECT_FALSE(rearShownClosed);
  EXPECT_EQ(UndoCaption(), "Rückgängig \"Gemeinsames Außengehäuse editieren\"");
  const TProjekt& q = doc->Project();
  EXPECT_DOUBLE_EQ(q.GemGeh.h, 0.9);
  EXPECT_DOUBLE_EQ(q.GemGeh.fasl, 0.02);
  const TSchallwand& sub = q.Schallwand[2];
  EXPECT_TRUE(sub.usegemgeh);
  EXPECT_NEAR(sub.hor, 0.15 - 0.15, 1e-12);
  EXPECT_NEAR(sub.vert, 0.25 - 0.45, 1e-12);
  EXPECT_NEAR(sub.horr, 0.15 - 0.05, 1e-12);  // W/2 - Cr on the back
  EXPECT_NEAR(sub.strar, -0.40, 1e-12);
  EXPECT_EQ(sub.directionr, 1);
  const TSchallwand& woofer = q.Schallwand[1];
  EXPECT_EQ(woofer.direction, 2);
  EXPECT_NEAR(woofer.hor, -0.15, 1e-12);
  EXPECT_NEAR(woofer.stra, -0.30, 1e-12);
  EXPECT_NEAR(woofer.b, 0.40, 1e-12);
  EXPECT_NEAR(woofer.f, 0.02, 1e-12);  // its right-hand chamfer is the box's left front chamfer
  EXPECT_NEAR(woofer.strar, 0.04 - 0.40, 1e-12);
  EXPECT_NEAR(woofer.vertr, 0.03 - 0.45, 1e-12);
  EXPECT_EQ(woofer.d, 0.13);  // the outlet diameter stays as entered
  EXPECT_FALSE(q.Schallwand[0].usegemgeh);
  ASSERT_TRUE(doc->WaitCalcIdle());
  EXPECT_TRUE(doc->ShownResult().bValid);

  // Filled from this project and confirmed unchanged, nothing changes.
  const auto before = std::make_unique<TProjekt>(doc->Project());
  RunDialog([](TFormGemGeh& d) {
    EXPECT_EQ(d.Edit("Editcr3")->text().toStdString(), "5");
    EXPECT_EQ(d.Edit("Editar2")->text().toStdString(), "3");
    EXPECT_EQ(d.Control<QComboBox>("CBStra2")->currentIndex(), 2);
  });
  EXPECT_TRUE(doc->Project().Schallwand == before->Schallwand);
  EXPECT_TRUE(doc->Project().GemGeh == before->GemGeh);
}

TEST_F(GemGeh, PortRowOfAVentedChassisIsShownWhole) {
  Start();
  ASSERT_EQ(doc->Project().Einbau[2].Typ, 2);  // the vented sub
  run = [](QDialog& dialog) -> int {
    auto& d = dynamic_cast<TFormGemGeh&>(dialog);
    d.Control<QCheckBox>("CheckBox3")->click();
    d.Control<QComboBox>("CBStraR3")->setCurrentIndex(1);
    // The tab key goes through the box, the chassis groups in their order and
    // the buttons; the scrolling area is no stop.
    std::vector<std::string> order;
    QWidget* first = d.Edit("Edith");
    QWidget* w = first;
    do {
      if ((w->focusPolicy() & Qt::TabFocus) != 0 && w->isVisibleTo(&d) && w->isEnabled())
        order.push_back(w->objectName().toStdString());
      w = w->nextInFocusChain();
    } while (w != first);
    const std::vector<std::string> expected{"Edith",    "Editb",     "Editt",     "Editfasl",  "Editfasr",
                                            "Editfaso", "Editfasu",  "CheckBox1", "CheckBox2", "CheckBox3",
                                            "CBStra3",  "Edita3",    "Editc3",    "CBStraR3",  "Editar3",
                                            "Editcr3",  "CheckBox4", "BtnOk",     "BtnAbbruch"};
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
      auto* rear = d.Control<QComboBox>("CBStraR3");
      EXPECT_TRUE(rear->isVisibleTo(&d));
      EXPECT_EQ(rear->currentText().toStdString(), "gegenüber von Chassis");
      EXPECT_GE(rear->width(), rear->sizeHint().width());
      EXPECT_GE(d.Control<QComboBox>("CBStra3")->width(), d.Control<QComboBox>("CBStra3")->sizeHint().width());
      // The port's a and c stand under the chassis's a and c.
      QWidget* group = d.Control<QGroupBox>("GroupBox3");
      for (const auto& [port, chassis] : {std::pair{"Editar3", "Edita3"}, std::pair{"Editcr3", "Editc3"}}) {
        EXPECT_EQ(d.Edit(port)->mapTo(group, QPoint(0, 0)).x(), d.Edit(chassis)->mapTo(group, QPoint(0, 0)).x());
        EXPECT_EQ(d.Edit(port)->width(), d.Edit(chassis)->width());
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

TEST_F(GemGeh, TickingAChassisGrowsTheDialogWithinTheScreen) {
  Start();
  run = [](QDialog& dialog) -> int {
    auto& d = dynamic_cast<TFormGemGeh&>(dialog);
    d.show();
    QApplication::processEvents();
    auto* check = d.Control<QCheckBox>("CheckBox3");
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

TEST_F(GemGeh, ShippedProjectConfirmedUnchangedStaysAsItIs) {
  // The document on the shipped file as it is, not saved anew first.
  doc = std::make_unique<TProjectDocument>(settings, ui);
  ASSERT_TRUE(doc->LoadFile(fs::path(SONVEX_TEST_DATA) / ".." / ".." / "data" / "Projekte" / "Dreiweg-Standbox.ZPJ"));
  doc->StartCalculation(0ms);
  ASSERT_TRUE(doc->WaitCalcIdle());
  ASSERT_TRUE(doc->Project().Schallwand[0].usegemgeh);
  const auto before = std::make_unique<TProjekt>(doc->Project());
  RunDialog([](TFormGemGeh& d) { EXPECT_TRUE(d.Control<QCheckBox>("CheckBox1")->isChecked()); });
  EXPECT_TRUE(doc->Project().Schallwand == before->Schallwand);
  EXPECT_TRUE(doc->Project().GemGeh == before->GemGeh);
}

TEST_F(GemGeh, CancelChangesNothingAndUncheckedSlotsKeepTheirBaffle) {
  Start();
  const auto before = std::make_unique<TProjekt>(doc->Project());
  run = [](QDialog& d) {
    dynamic_cast<TFormGemGeh&>(d).Edit("Edith")->setText("50");
    return static_cast<int>(QDialog::Rejected);
  };
  RunCommonCabinet();
  EXPECT_TRUE(doc->Project() == *before);
  EXPECT_TRUE(doc->UndoStack().Empty());

  // Chassis 1..4 of this project have baffles of their own.
  RunDialog([](TFormGemGeh& d) { d.Edit("Editb")->setText("25"); });
  EXPECT_DOUBLE_EQ(doc->Project().GemGeh.b, 0.25);
  for (int k = 0; k < 4; ++k) EXPECT_TRUE(doc->Project().Schallwand[k] == before->Schallwand[k]) << k;
}

}  // namespace
}  // namespace sonvex
