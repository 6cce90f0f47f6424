// The calculator window, the display options, the export dialog, the quick
// guide and the about window, driven offscreen through the main window with
// a scripted interaction.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTabWidget>
#include <QTextBrowser>
#include <QtTest/QTest>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "calc/file_load.h"
#include "charts/chart.h"
#include "document_fixture.h"
#include "main_form_fixture.h"
#include "model/chassis_file.h"
#include "model/file_io.h"
#include "model/interaction.h"
#include "model/my_ini_file.h"
#include "model/number_text.h"
#include "model/project_file.h"
#include "model/settings.h"
#include "support/scripted_interaction.h"
#include "support/test_projects.h"
#include "tools/box_design.h"
#include "tools/crossover_design.h"
#include "ui/dialogs/calc_utils_form.h"
#include "ui/dialogs/circuit_picture.h"
#include "ui/dialogs/dialog_runner.h"
#include "ui/dialogs/display_options_dialog.h"
#include "ui/dialogs/export_dialog.h"
#include "ui/dialogs/field_number.h"
#include "ui/dialogs/help_windows.h"
#include "ui/dialogs/window_place.h"
#include "ui/main/main_form.h"

namespace sonvex {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Records the folder each save dialog starts in.
class TRecordingInteraction : public TScriptedInteraction {
 public:
  std::vector<fs::path> saveFolders;
  std::optional<fs::path> PickSaveFile(std::string_view caption, std::string_view filter, const fs::path& folder,
                                       std::string_view defaultName) override {
    saveFolders.push_back(folder);
    return TScriptedInteraction::PickSaveFile(caption, filter, folder, defaultName);
  }
};

QStringList ToQ(const TResultLines& lines) {
  QStringList q;
  for (const std::string& l : lines) q << QString::fromStdString(l);
  return q;
}

std::string ReadText(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class DesignWindows : public TMainFormFixture<TRecordingInteraction> {
 protected:
  void SetUp() override {
    TMainFormFixture::SetUp();
    SaveProject(*testing::MakeTwoWayProject(60), DefaultFile());
  }
};

// ---------------------------------------------------------------- calculator window

TEST_F(DesignWindows, MenuItemsOpenTheCalculatorOnTheirPage) {
  Start();
  TFormCalcUtils* w = form->CalcUtils();
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(w->isVisible());
  const char* items[] = {"actBoxDesign", "actPortDesign", "actCrossoverDesign", "actAttenuatorDesign",
                         "actZCorrectionDesign"};
  for (int page = 0; page < TFormCalcUtils::kPageCount; ++page) {
    form->Action(items[page])->trigger();
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(w->isModal());
    EXPECT_EQ(w->CurrentPage(), page);
  }
  EXPECT_EQ(w->windowTitle(), QString::fromUtf8("SONVEX - Hilfsberechnungen"));
  EXPECT_EQ(form->Action("actBoxDesign")->shortcut(), QKeySequence("Ctrl+A"));
  // The window keeps its inputs between openings.
  w->Edit("EditTF")->setText("2000");
  w->close();
  form->Action("actCrossoverDesign")->trigger();
  EXPECT_EQ(w->Edit("EditTF")->text(), "2000");
}

TEST_F(DesignWindows, CreationComputesThePagesWithTheirInitialTexts) {
  TFormCalcUtils w(settings, ui);
  EXPECT_EQ(w.Edit("EditR1")->text(), "2,2");
  EXPECT_EQ(w.Combo("CB_dBWunsch")->currentText(), "-3 dB");
  EXPECT_EQ(w.Combo("CB_nRohre")->currentIndex(), 0);
  EXPECT_FALSE(w.Edit("EditZE")->isEnabled());
  EXPECT_TRUE(w.CheckBox("CB_ZEegal")->isChecked());
  // The window shows exactly what the calculators (and sonvex-cli design) give.
  EXPECT_EQ(w.Lines("MemoTP2"), ToQ(StandardCrossovers(1000, 8, 8).lowPass[1]));
  EXPECT_EQ(w.Lines("Memo2"), ToQ(AttenuatorLines("-3 dB", 8, 8, true)));
  EXPECT_EQ(w.Lines("Memo3"),
            QStringList({"Pegelabsenkung: -4,07 dB", QString::fromUtf8("Anschlußimpedanz: 5,876 Ohm")}));
  EXPECT_EQ(w.Lines("ListBox5").last(), "fb = 47,59 Hz");
  EXPECT_EQ(w.Lines("Memo6").size(), 5);
  w.ShowPage(TFormCalcUtils::TS_CBBR);
  EXPECT_EQ(w.Lines("ListBox2"),
            QStringList({"Berechnetes Volumen: 38,788 Liter", "Resonanzfrequenz des eingebauten Chassis: 61,25 Hz"}));
  EXPECT_EQ(w.Lines("ListBox1").first(), "Volumen: 87,669 Liter");
  EXPECT_TRUE(w.Lines("ListBox3").isEmpty());
}

TEST_F(DesignWindows, BoxPageFollowsEveryInput) {
  TFormCalcUtils w(settings, ui);
  w.ShowPage(TFormCalcUtils::TS_CBBR);
  // The alternative volume has a list of its own, cleared by any other change.
  w.Edit("EditAltVab")->setText("50");
  EXPECT_EQ(w.Lines("ListBox3").size(), 3);
  w.Edit("EditQtcWunsch")->setText("0,4");
  EXPECT_EQ(w.Lines("ListBox2"), QStringList({QString::fromUtf8("Auslegung nicht möglich, da Qts oder Rv zu hoch.")}));
  EXPECT_TRUE(w.Lines("ListBox3").isEmpty());
  w.Edit("EditQtcWunsch")->setText("0,7");

  // Qes and Qms known: Qts follows them and is no input any more.
  EXPECT_FALSE(w.Edit("EditQes")->isEnabled());
  w.CheckBox("CheckBoxQesmsda")->setChecked(true);
  EXPECT_FALSE(w.Edit("EditQts")->isEnabled());
  EXPECT_TRUE(w.Edit("EditQes")->isEnabled());
  w.Edit("EditQms")->setText("3,2");
  EXPECT_EQ(w.Edit("EditQts")->text(), "0,432");  // 0.5·3.2/3.7
  w.Edit("EditQms")->setText("2");
  EXPECT_EQ(w.Edit("EditQts")->text(), "0,4");

  // The series resistance: Rdc 6, Rv 1 gives 64 l; without Rdc the box is cleared.
  w.CheckBox("CheckBoxRv")->setChecked(true);
  EXPECT_EQ(w.Lines("ListBox2").first(), "Berechnetes Volumen: 64 Liter");
  w.Edit("EditRdc")->setText("");
  EXPECT_FALSE(w.CheckBox("CheckBoxRv")->isChecked());
  EXPECT_EQ(w.Lines("ListBox2").first(), "Berechnetes Volumen: 38,788 Liter");

  w.Edit("Editfs")->setText("0");
  EXPECT_EQ(w.Lines("ListBox1").first(), QString::fromUtf8("Daten unvollständig."));
}

TEST_F(DesignWindows, SeriesResistanceClearedForWantOfRdcLeavesRdcOpenToCorrect) {
  TFormCalcUtils w(settings, ui);
  w.ShowPage(TFormCalcUtils::TS_CBBR);
  QCheckBox* rv = w.CheckBox("CheckBoxRv");
  // Rdc and Rv are inputs whether the box is ticked or not.
  for (bool ticked : {false, true}) {
    rv->setChecked(ticked);
    EXPECT_TRUE(w.Edit("EditRdc")->isEnabled()) << ticked;
    EXPECT_TRUE(w.Edit("EditRv")->isEnabled()) << ticked;
  }
  // Clearing Rdc clears the box and nothing else.
  w.Edit("EditRdc")->setText("0");
  EXPECT_FALSE(rv->isChecked());
  EXPECT_TRUE(w.Edit("EditRdc")->isEnabled());
  // Ticking again without Rdc clears it again, as the calculator's rule says.
  rv->click();
  EXPECT_FALSE(rv->isChecked());
  EXPECT_EQ(w.Lines("ListBox2").first(), "Berechnetes Volumen: 38,788 Liter");
  // The user corrects Rdc and ticks: the series resistance counts.
  w.Edit("EditRdc")->setText("6");
  rv->click();
  EXPECT_TRUE(rv->isChecked());
  EXPECT_EQ(w.Lines("ListBox2").first(), "Berechnetes Volumen: 64 Liter");
}

// Every control of `page` that the user works with lies inside the part of
// the page the scroll bars can reach, at least as large as its layout asks.
void ExpectReachable(QScrollArea* page, const QSize& window) {
  QWidget* content = page->widget();
  ASSERT_NE(content, nullptr);
  EXPECT_GE(content->width(), content->minimumSizeHint().width());
  EXPECT_GE(content->height(), content->minimumSizeHint().height());
  // The scroll bars reach the whole page.
  EXPECT_GE(page->horizontalScrollBar()->maximum(), content->width() - page->viewport()->width());
  EXPECT_GE(page->verticalScrollBar()->maximum(), content->height() - page->viewport()->height());
  for (QWidget* c : content->findChildren<QWidget*>()) {
    if (!c->isVisibleTo(content) || qobject_cast<QLabel*>(c) != nullptr) continue;
    if (qobject_cast<QLineEdit*>(c) == nullptr && qobject_cast<QAbstractButton*>(c) == nullptr &&
        qobject_cast<QComboBox*>(c) == nullptr && qobject_cast<QAbstractScrollArea*>(c) == nullptr &&
        qobject_cast<QSlider*>(c) == nullptr)
      continue;
    if (qobject_cast<QComboBox*>(c->parentWidget()) != nullptr) continue;  // the line edit of a combo box
    const QRect r(c->mapTo(content, QPoint(0, 0)), c->size());
    EXPECT_TRUE(content->rect().contains(r))
        << c->objectName().toStdString() << " in " << window.width() << "x" << window.height();
    EXPECT_GE(c->width(), c->minimumSizeHint().width()) << c->objectName().toStdString();
  }
}

TEST_F(DesignWindows, CalculatorFitsTheScreenAndScrollsWhereItMust) {
  Start();
  TFormCalcUtils* w = form->CalcUtils();
  form->Action("actBoxDesign")->trigger();
  const QRect free = w->screen()->availableGeometry();
  EXPECT_TRUE(free.contains(w->frameGeometry())) << w->width() << "x" << w->height();
  // Small screens: every page with every field, and every tab, can be reached.
  EXPECT_LE(w->minimumSizeHint().width(), 640);
  EXPECT_LE(w->minimumSizeHint().height(), 480);
  for (const QSize size : {QSize(640, 480), QSize(1024, 600)}) {
    w->resize(size);
    for (int page = 0; page < TFormCalcUtils::kPageCount; ++page) {
      w->Pages()->setCurrentIndex(page);
      QApplication::processEvents();
      auto* area = qobject_cast<QScrollArea*>(w->Pages()->currentWidget());
      ASSERT_NE(area, nullptr) << page;
      ExpectReachable(area, size);
    }
  }
  // The tab key goes from field to field; the scrolling pages are no stops.
  for (int page = 0; page < TFormCalcUtils::kPageCount; ++page)
    EXPECT_EQ(w->Pages()->widget(page)->focusPolicy(), Qt::NoFocus) << page;

  // The crossover memos show every line without scrolling of their own, the
  // Linkwitz-Riley lines of order 4 too.
  w->resize(1024, 600);
  w->Pages()->setCurrentIndex(TFormCalcUtils::TS_Weichen);
  QApplication::processEvents();
  for (const char* name : {"MemoTP2", "MemoHP2", "MemoTP4", "MemoHP4"}) {
    auto* memo = w->findChild<QPlainTextEdit*>(name);
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(w->Lines(name).size(), 6) << name;
    EXPECT_EQ(memo->verticalScrollBar()->maximum(), 0) << name;
  }
}

// Escape closes the calculator from a field and from a choice; it keeps its
// inputs for the next opening.
TEST_F(DesignWindows, EscapeClosesTheCalculator) {
  Start();
  TFormCalcUtils* w = form->CalcUtils();
  form->Action("actCrossoverDesign")->trigger();
  ASSERT_TRUE(w->isVisible());
  w->Edit("EditTF")->setText("2000");
  QTest::keyClick(w->Edit("EditTF"), Qt::Key_Escape);
  EXPECT_FALSE(w->isVisible());
  form->Action("actAttenuatorDesign")->trigger();
  ASSERT_TRUE(w->isVisible());
  QTest::keyClick(w->Combo("CB_dBWunsch"), Qt::Key_Escape);
  EXPECT_FALSE(w->isVisible());
  form->Action("actCrossoverDesign")->trigger();
  EXPECT_EQ(w->Edit("EditTF")->text(), "2000");
}

TEST_F(DesignWindows, ChassisDataComeFromAChassisFile) {
  TChassis c = testing::Woofer();
  c.Name = "Prüf-Tieftöner";
  const fs::path file = settings.chassisFolder / "pruef.ZCH";
  SaveChassisFile(file, c);
  TFormCalcUtils w(settings, ui);
  ui.files.push_back(file);
  w.LoadButton()->click();
  ASSERT_EQ(ui.asked.size(), 2u);
  EXPECT_EQ(ui.asked[0].kind, "open");
  EXPECT_EQ(ui.asked[1].text, "Daten von Prüf-Tieftöner wurden geladen.");
  EXPECT_TRUE(w.CheckBox("CheckBoxQesmsda")->isChecked());
  EXPECT_EQ(w.Edit("Editfs")->text().toStdString(), FormatNumber(c.fs, 6));
  EXPECT_EQ(w.Edit("EditVas")->text().toStdString(), FormatNumber(c.Vas * 1000, 6));
  EXPECT_EQ(w.Edit("EditRdc")->text().toStdString(), FormatNumber(c.Re, 6));
  EXPECT_EQ(w.Edit("EditQts")->text().toStdString(),
            QtsFromQesQmsText(StrToDoubleLenient(FormatNumber(c.Qes, 6)), StrToDoubleLenient(FormatNumber(c.Qms, 6))));
  // A cancelled choice changes nothing.
  ui.asked.clear();
  w.Edit("Editfs")->setText("35");
  w.LoadButton()->click();
  EXPECT_EQ(w.Edit("Editfs")->text(), "35");
  EXPECT_EQ(ui.asked.size(), 1u);
}

TEST_F(DesignWindows, PortAndDividerPagesRecomputeOnEveryControl) {
  TFormCalcUtils w(settings, ui);
  w.ShowPage(TFormCalcUtils::TS_Port);
  EXPECT_FALSE(w.Edit("Editb")->isEnabled());
  w.Radio("RB_Vbht")->setChecked(true);
  EXPECT_EQ(w.Lines("ListBox5").first(), "Nettovolumen incl. Kanal: 45,08 Liter");
  EXPECT_TRUE(w.Edit("Editb")->isEnabled());
  EXPECT_FALSE(w.Edit("EditVb0")->isEnabled());
  w.TrackBarc()->setValue(2);
  EXPECT_EQ(w.Lines("ListBox5").last(), "fb = 47,79 Hz");
  w.Radio("RB_Rund")->setChecked(true);
  EXPECT_TRUE(w.Combo("CB_nRohre")->isEnabled());
  EXPECT_FALSE(w.Edit("Editc")->isEnabled());
  w.Combo("CB_nRohre")->setCurrentIndex(1);
  TPortPage page;
  page.explicitVolume = false;
  page.damping = 2;
  page.rectangular = false;
  page.tubes = 2;
  EXPECT_EQ(w.Lines("ListBox5"), ToQ(PortLines(PortInputFromPage(page))));

  // Unticking "Anschlussimpedanz egal" recomputes with ZE and enables its field.
  w.ShowPage(TFormCalcUtils::TS_Teiler);
  w.CheckBox("CB_ZEegal")->click();
  EXPECT_TRUE(w.Edit("EditZE")->isEnabled());
  const QStringList memo = w.Lines("Memo2");
  ASSERT_GE(memo.size(), 7);
  EXPECT_EQ(memo[6], "R1 = 2,2 Ohm; R2 = 22 Ohm ergibt -2,77 dB Absenkung bei Anschlussimpedanz von 8,067 Ohm.");
  w.Combo("CB_dBWunsch")->setCurrentIndex(0);
  EXPECT_EQ(w.Lines("Memo2").first(), "dBWunsch = -0,5 dB");
  w.Combo("CB_dBWunsch")->setEditText("-20 dB");
  EXPECT_EQ(w.Lines("Memo2").first(), "dBWunsch = -20 dB");
  w.Edit("EditR2")->setText("0");
  EXPECT_TRUE(w.Lines("Memo3").isEmpty());
  w.Edit("EditTF")->setText("0");
  EXPECT_TRUE(w.Lines("MemoHP4").isEmpty());
  w.Edit("EditRLC_Le")->setText("0");
  EXPECT_TRUE(w.Lines("Memo4").isEmpty());
  EXPECT_EQ(w.Lines("Memo5").size(), 3);
}

// The longest run of light pixels on row `y` of `image` from the right of
// the input terminals (drawn around x = 8) to the last dark pixel (the
// loudspeaker).
int LongestGapOnRow(const QImage& image, int y) {
  int first = -1, last = -1;
  for (int x = 12; x < image.width(); ++x)
    if (qGray(image.pixel(x, y)) < 160) {
      if (first < 0) first = x;
      last = x;
    }
  int longest = 0, run = 0;
  for (int x = first; x <= last && first >= 0; ++x) {
    run = qGray(image.pixel(x, y)) < 160 ? 0 : run + 1;
    longest = std::max(longest, run);
  }
  return first < 0 ? image.width() : longest;
}

TEST(CircuitPictures, BothRailsRunThroughFromTheTerminalsToTheLoudspeaker) {
  struct Case {
    TCircuitPicture::TKind kind;
    int topGap;  // the longest gap a series part leaves in the upper rail
  };
  // Series coils are drawn solid; a series capacitor leaves the room between
  // its plates; the series resistor of the attenuator is an open box.
  for (const Case c :
       {Case{TCircuitPicture::LowPass1, 0}, Case{TCircuitPicture::LowPass2, 0}, Case{TCircuitPicture::LowPass3, 0},
        Case{TCircuitPicture::LowPass4, 0}, Case{TCircuitPicture::HighPass1, 6}, Case{TCircuitPicture::HighPass2, 6},
        Case{TCircuitPicture::HighPass3, 6}, Case{TCircuitPicture::HighPass4, 6}, Case{TCircuitPicture::LPad, 22}}) {
    SCOPED_TRACE(static_cast<int>(c.kind));
    TCircuitPicture picture(c.kind);
    picture.resize(picture.sizeHint());
    const QImage image = picture.grab().toImage();
    // Shunt parts never break a rail; the lower rail holds no part at all.
    EXPECT_EQ(LongestGapOnRow(image, TCircuitPicture::kRailBottom), 0);
    EXPECT_LE(LongestGapOnRow(image, TCircuitPicture::kRailTop), c.topGap);
  }
}

// A field without a number reads as 0 as before, and says so: a red frame
// and a tooltip, until it holds a number again. The calculator's fields and
// the editors' (filled through SetFieldNumber) share the one helper.
TEST_F(DesignWindows, FieldsWithoutANumberAreFramedAndReadAsZero) {
  const QString tip = QString::fromUtf8(kNotANumberTip);
  auto framed = [](const QLineEdit* e) { return e->styleSheet().contains("border"); };

  TFormCalcUtils w(settings, ui);
  w.show();
  QLineEdit* tf = w.Edit("EditTF");
  EXPECT_FALSE(framed(tf));
  tf->setFocus();
  tf->selectAll();
  QTest::keyClicks(tf, "abc");
  EXPECT_TRUE(framed(tf));
  EXPECT_EQ(tf->toolTip(), tip);
  EXPECT_TRUE(w.Lines("MemoTP1").isEmpty());  // read as 0: no crossover
  QTest::keyClick(tf, Qt::Key_Backspace);
  QTest::keyClick(tf, Qt::Key_Backspace);
  QTest::keyClick(tf, Qt::Key_Backspace);
  EXPECT_FALSE(framed(tf)) << "an empty field visibly holds nothing";
  QTest::keyClicks(tf, "2,5k");  // a number with a unit after it reads as the number
  EXPECT_FALSE(framed(tf));
  EXPECT_EQ(tf->toolTip(), "");
  EXPECT_EQ(w.Lines("MemoTP1"), ToQ(StandardCrossovers(2.5, 8, 8).lowPass[0]));
  for (const char* text : {"-", "$", "e3", ","}) {
    tf->setText(text);
    EXPECT_TRUE(framed(tf)) << text;
  }
  // A number beyond the double range reads as 0 as well, and says why.
  tf->setText("1e999");
  EXPECT_TRUE(framed(tf));
  EXPECT_EQ(tf->toolTip(), QString::fromUtf8(kTooLargeTip));
  tf->setText("abc");
  EXPECT_EQ(tf->toolTip(), tip);
  tf->setText("0");
  EXPECT_FALSE(framed(tf)) << "0 is a number";

  // An editor field keeps its own tooltip for when it holds a number again.
  QLineEdit field;
  field.setToolTip("Resonanzfrequenz");
  SetFieldNumber(&field, 0.042, 1000.0);
  EXPECT_EQ(field.text(), "42");
  field.setText("vier");
  EXPECT_TRUE(framed(&field));
  EXPECT_EQ(field.toolTip(), tip);
  EXPECT_EQ(FieldNumber(&field, 1000.0), 0.0);
  field.setText("4");
  EXPECT_FALSE(framed(&field));
  EXPECT_EQ(field.toolTip(), "Resonanzfrequenz");
  EXPECT_DOUBLE_EQ(FieldNumber(&field, 1000.0), 0.004);
}

// ---------------------------------------------------------------- display options

TEST_F(DesignWindows, DisplayOptionsReplaceAndSwapTheScalingAndRedrawWithoutRecalculation) {
  Start();
  const TProjekt before = form->Project();
  form->execDialog = [](QDialog& d) {
    auto& o = dynamic_cast<TFormAnzOption&>(d);
    EXPECT_EQ(o.windowTitle(), QString::fromUtf8("Anzeigeoptionen bearbeiten"));
    EXPECT_EQ(o.edAfMin()->text(), "20");
    EXPECT_EQ(o.edAfMax()->text(), "20000");
    o.edAfMin()->setText("20000");
    o.edAfMax()->setText("20");
    o.edDBMin()->setText("");  // empty: 50 dB, not the standard 40
    o.edDBMax()->setText("120");
    o.edImpMax()->setText("-5");  // not positive: 50 Ohm
    return int(QDialog::Accepted);
  };
  form->Action("actDisplayOptions")->trigger();
  const TProjekt& p = form->Project();
  EXPECT_EQ(p.AfMin, 20);
  EXPECT_EQ(p.AfMax, 20000);
  EXPECT_EQ(p.dBMin, 50);
  EXPECT_EQ(p.dBMax, 120);
  EXPECT_EQ(p.ImpMax, 50);
  EXPECT_FALSE(p.bSaved);
  EXPECT_EQ(form->Action("actUndo")->text().toStdString(), "Rückgängig \"Anzeigeoptionen\"");
  EXPECT_TRUE(form->CalcThread().IsIdle());  // no recalculation asked for
  EXPECT_EQ(form->Charts().total->YMin, 50);
  EXPECT_EQ(form->Charts().total->Y2Max, 50);
  EXPECT_FALSE(settings.UseOption);
  form->UndoClick();
  EXPECT_EQ(form->Project().dBMin, before.dBMin);
  EXPECT_EQ(form->Project().ImpMax, before.ImpMax);
}

// The display options on a project document, as their menu command runs them.
class DisplayOptions : public TDocumentFixture<> {
 protected:
  void SetUp() override {
    TDocumentFixture::SetUp();
    StartDocument(*testing::MakeTwoWayProject(60));
  }
  TDialogRunner run;
};

TEST_F(DisplayOptions, DisplayOptionsCancelChangesNothing) {
  const TProjekt before = doc->Project();
  run = [](QDialog& d) {
    auto& o = dynamic_cast<TFormAnzOption&>(d);
    o.edDBMin()->setText("10");
    o.cbUseOption()->setChecked(true);
    return int(QDialog::Rejected);
  };
  EditDisplayOptions(*doc, run);
  EXPECT_TRUE(doc->Project() == before);
  EXPECT_TRUE(doc->UndoStack().Empty());
  EXPECT_FALSE(settings.UseOption);
  EXPECT_FALSE(fs::exists(settings.settingsFile));
}

TEST_F(DisplayOptions, UseOptionMakesLaterProjectsTakeTheColoursAndScales) {
  run = [](QDialog& d) {
    auto& o = dynamic_cast<TFormAnzOption&>(d);
    EXPECT_FALSE(o.cbUseOption()->isChecked());
    o.chooseColor = [](const QColor& initial) {
      EXPECT_EQ(initial, QColor(0, 0, 255));  // chassis 1
      return std::optional<QColor>(QColor(10, 20, 30));
    };
    o.PanelClicked(TFormAnzOption::Chassis, 1);
    EXPECT_EQ(o.Panel(TFormAnzOption::Chassis, 1)->palette().color(QPalette::WindowText), QColor(10, 20, 30));
    o.edDBMax()->setText("100");
    o.cbUseOption()->setChecked(true);
    return int(QDialog::Accepted);
  };
  EditDisplayOptions(*doc, run);
  EXPECT_TRUE(settings.UseOption);
  EXPECT_EQ(settings.displayDefaults.ColorSetChassis[1], RGBColor(10, 20, 30));
  {
    const TMyIniFile ini(settings.settingsFile, false, false, true, nullptr);
    EXPECT_TRUE(ini.ReadBool("Option", "UseOption", false));
    EXPECT_EQ(ini.ReadFloat("Option", "dBMax", 0), 100);
  }

  // A project saved with other options takes the defaults when loaded, also
  // in a later program run that reads them from the settings file.
  auto other = testing::MakeTwoWayProject(60);
  other->dBMax = 130;
  other->ColorSetChassis[1] = RGBColor(1, 2, 3);
  const fs::path otherFile = dir / "other.ZPJ";
  SaveProject(*other, otherFile);
  doc->LoadFile(otherFile);
  EXPECT_EQ(doc->Project().dBMax, 100);
  EXPECT_EQ(doc->Project().ColorSetChassis[1], RGBColor(10, 20, 30));
  TSettings later = MakeSettings(dir, dir / "sonvex");
  LoadSettings(later, nullptr);
  auto loaded = MakeNewProject();
  LoadProjectFile(*loaded, otherFile, later, ui);
  EXPECT_EQ(loaded->dBMax, 100);
  EXPECT_EQ(loaded->ColorSetChassis[1], RGBColor(10, 20, 30));

  // Unticked again: cleared in the program and in the file.
  run = [](QDialog& d) {
    auto& o = dynamic_cast<TFormAnzOption&>(d);
    EXPECT_TRUE(o.cbUseOption()->isChecked());
    o.cbUseOption()->setChecked(false);
    return int(QDialog::Accepted);
  };
  EditDisplayOptions(*doc, run);
  EXPECT_FALSE(settings.UseOption);
  const TMyIniFile ini(settings.settingsFile, false, false, true, nullptr);
  EXPECT_FALSE(ini.ReadBool("Option", "UseOption", true));
  doc->LoadFile(otherFile);
  EXPECT_EQ(doc->Project().dBMax, 130);
}

TEST_F(DesignWindows, RestoreDefaultsKeepsTheNinthChassisAndLastDirectionColours) {
  TFormAnzOption o;
  TDisplayOptions block;
  block.ColorSetAmps.fill(RGBColor(1, 1, 1));
  block.ColorSetChassis.fill(RGBColor(2, 2, 2));
  block.ColorSetRichtungen.fill(RGBColor(3, 3, 3));
  block.AfMin = 50;
  block.ImpMax = 20;
  block.sz = 200;
  o.Fill(block, false);
  EXPECT_EQ(o.edImpMax()->text(), "20");
  o.btnDefaults()->click();
  const TDisplayOptions r = o.Result();
  const TDisplayOptions standard;
  EXPECT_EQ(r.ColorSetAmps, standard.ColorSetAmps);
  EXPECT_EQ(r.ColorSetChassis[0], RGBColor(0, 0, 0));
  EXPECT_EQ(r.ColorSetChassis[8], RGBColor(80, 160, 80));
  EXPECT_EQ(r.ColorSetChassis[9], RGBColor(2, 2, 2));
  EXPECT_EQ(r.ColorSetRichtungen[6], RGBColor(160, 160, 208));
  EXPECT_EQ(r.ColorSetRichtungen[7], RGBColor(3, 3, 3));
  EXPECT_EQ(r.ColorSetRichtungen[9], RGBColor(3, 3, 3));
  EXPECT_EQ(r.AfMin, 20);
  EXPECT_EQ(r.dBMin, 40);
  EXPECT_EQ(r.dBMax, 110);
  EXPECT_EQ(r.ImpMax, 70);
  EXPECT_EQ(r.sz, 200);  // carried along
  EXPECT_EQ(o.edDBMax()->text(), "110");
  // A number too large to be finite cannot scale an axis either.
  o.edAfMax()->setText("1e999");
  EXPECT_EQ(o.Result().AfMax, 20000);
}

// ---------------------------------------------------------------- export

TEST_F(DesignWindows, ExportDialogAsksForTheChassisAndWritesIntoTheChosenFile) {
  Start();
  std::vector<TExportKind> clicks;
  form->execDialog = [&clicks](QDialog& d) {
    auto& e = dynamic_cast<TFormExport&>(d);
    EXPECT_EQ(e.windowTitle(), "Sonvex - Export");
    for (TExportKind k : clicks) e.Button(k)->click();
    return int(QDialog::Accepted);
  };

  // the box: no question, the save dialog in the project folder
  clicks = {TExportKind::Box};
  ui.files.push_back(dir / "box");
  form->Action("actExport")->trigger();
  ASSERT_EQ(ui.saveFolders.size(), 1u);
  EXPECT_EQ(ui.saveFolders[0], settings.projectFolder);
  const std::string text = ReadText(dir / "box.exp");
  EXPECT_EQ(text.rfind("# Gesamtfrequenzgang der Box auf Achse\r\n", 0), 0u);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 62);  // title, columns, 60 points

  // four chassis: the choice "1|2|3|4|Abbruch"; Abbruch writes nothing
  ui.asked.clear();
  clicks = {TExportKind::Chassis};
  ui.buttons = {5};
  form->ExportClick();
  ASSERT_EQ(ui.asked.size(), 1u);
  EXPECT_EQ(ui.asked[0].text, "Frequenzgang für welches Chassis?");
  EXPECT_EQ(ui.asked[0].options, "1|2|3|4|Abbruch");
  EXPECT_EQ(ui.saveFolders.size(), 1u);

  // chassis 4 is in no crossover: the signal export refuses it
  ui.asked.clear();
  clicks = {TExportKind::Signal};
  ui.buttons = {4};
  form->ExportClick();
  ASSERT_EQ(ui.asked.size(), 2u);
  EXPECT_EQ(ui.asked[0].text, "Signal für welches Chassis?");
  EXPECT_EQ(ui.asked[1].kind, "message");
  EXPECT_EQ(ui.asked[1].text, "Das Chassis ist in keiner Frequenzweiche angeschlossen. Ausgabe nicht sinnvoll.");
  EXPECT_EQ(ui.saveFolders.size(), 1u);

  // chassis 2 with its crossover
  ui.asked.clear();
  clicks = {TExportKind::Chassis};
  ui.buttons = {2};
  ui.files.push_back(dir / "tmt.exp");
  form->ExportClick();
  EXPECT_EQ(ReadText(dir / "tmt.exp").rfind("# Frequenzgang Chassis 2 auf Achse", 0), 0u);
}

// The export window is built 643 pixels wide: on the default test screen it
// is shown as built; on a 640×480 screen the note and the export buttons
// scroll, "Schließen" stays below them, and every button still works.
TEST_F(DesignWindows, ExportWindowFitsTheScreenAndScrollsOnlyWhereItMust) {
  Start();
  const QRect free = form->screen()->availableGeometry();
  ui.files.push_back(dir / "box");
  form->execDialog = [&free](QDialog& d) {
    auto& e = dynamic_cast<TFormExport&>(d);
    const QSize built = e.sizeHint();
    e.show();
    QApplication::processEvents();
    EXPECT_TRUE(free.contains(e.frameGeometry())) << e.width() << "x" << e.height();
    auto* area = e.findChild<QScrollArea*>("ScrollExport");
    const QSize room = ScreenRoom(&e, e.parentWidget());
    EXPECT_EQ(area != nullptr, built.width() > room.width() || built.height() > room.height());
    if (area == nullptr) {
      EXPECT_EQ(e.size(), built);
    } else {
      EXPECT_LE(e.minimumSizeHint().width(), room.width());
      EXPECT_LE(e.minimumSizeHint().height(), room.height());
      ExpectReachable(area, e.size());
      for (TExportKind k : {TExportKind::Box, TExportKind::Chassis, TExportKind::Signal})
        EXPECT_TRUE(area->widget()->isAncestorOf(e.Button(k)));
      EXPECT_FALSE(area->isAncestorOf(e.btnClose()));
      EXPECT_TRUE(e.rect().contains(e.btnClose()->geometry()));
    }
    EXPECT_TRUE(e.btnClose()->isDefault());
    e.Button(TExportKind::Box)->click();
    e.btnClose()->click();
    EXPECT_FALSE(e.isVisible());
    return e.result();
  };
  form->ExportClick();
  EXPECT_EQ(ReadText(dir / "box.exp").rfind("# Gesamtfrequenzgang der Box auf Achse\r\n", 0), 0u);
}

// ---------------------------------------------------------------- quick guide and about

// The guide is built 620×640: it opens within the screen, on a screen lower
// than it (640×480) shortened, its text scrolling. Escape closes it.
TEST_F(DesignWindows, QuickGuideFitsTheScreenAndEscapeClosesIt) {
  Start();
  const QRect free = form->screen()->availableGeometry();
  form->show();
  TFormKurzanleitung* guide = form->QuickGuide();
  form->Action("actQuickGuide")->trigger();
  QApplication::processEvents();
  EXPECT_TRUE(free.contains(guide->frameGeometry()))
      << guide->frameGeometry().y() << "+" << guide->frameGeometry().height() << " on " << free.height();
  EXPECT_EQ(guide->width(), 620);
  EXPECT_EQ(guide->height(), std::min(640, free.height() - (guide->frameGeometry().height() - guide->height())));
  QTest::keyClick(guide->Browser(), Qt::Key_Escape);
  EXPECT_FALSE(guide->isVisible());
  form->Action("actQuickGuide")->trigger();
  EXPECT_TRUE(guide->isVisible());
  QTest::keyClick(guide, Qt::Key_Escape);
  EXPECT_FALSE(guide->isVisible());
}

TEST_F(DesignWindows, QuickGuideOnF1AndForANewProjectAboutWithVersionAndLicences) {
  Start();
  EXPECT_FALSE(form->QuickGuide()->isVisible());
  EXPECT_EQ(form->Action("actQuickGuide")->shortcut(), QKeySequence("F1"));
  form->Action("actQuickGuide")->trigger();
  EXPECT_TRUE(form->QuickGuide()->isVisible());
  EXPECT_TRUE(form->QuickGuide()->Browser()->toPlainText().contains("Kurzanleitung"));
  form->QuickGuide()->close();

  form->execDialog = [](QDialog&) { return int(QDialog::Rejected); };
  form->NewProjectClick();
  EXPECT_TRUE(form->QuickGuide()->isVisible());

  QString about;
  form->execDialog = [&about](QDialog& d) {
    about = dynamic_cast<TFormInfo&>(d).Browser()->toPlainText();
    return int(QDialog::Accepted);
  };
  form->Action("actInfo")->trigger();
  EXPECT_TRUE(about.contains("V1.11b"));
  EXPECT_TRUE(about.contains("Lizenz"));
  EXPECT_TRUE(about.contains("Qt"));
}

}  // namespace
}  // namespace sonvex
