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
#include "main_window_fixture.h"
#include "model/chassis_file.h"
#include "model/file_io.h"
#include "model/interaction.h"
#include "model/my_ini_file.h"
#include "model/number_text.h"
#include "model/project_file.h"
#include "model/settings.h"
#include "named_controls.h"
#include "support/scripted_interaction.h"
#include "support/test_projects.h"
#include "tools/box_design.h"
#include "tools/crossover_design.h"
#include "ui/dialogs/calculators_window.h"
#include "ui/dialogs/circuit_picture.h"
#include "ui/dialogs/dialog_runner.h"
#include "ui/dialogs/display_options_dialog.h"
#include "ui/dialogs/export_dialog.h"
#include "ui/dialogs/field_number.h"
#include "ui/dialogs/help_windows.h"
#include "ui/dialogs/window_place.h"
#include "ui/main/main_window.h"

namespace sonvex {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Records the folder each save dialog starts in.
class RecordingInteraction : public ScriptedInteraction {
 public:
  std::vector<fs::path> saveFolders;
  std::optional<fs::path> PickSaveFile(std::string_view caption, std::string_view filter, const fs::path& folder,
                                       std::string_view defaultName) override {
    saveFolders.push_back(folder);
    return ScriptedInteraction::PickSaveFile(caption, filter, folder, defaultName);
  }
};

QStringList ToQ(const ResultLines& lines) {
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

class DesignWindows : public MainWindowFixture<RecordingInteraction> {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    SaveProject(*testing::MakeTwoWayProject(60), DefaultFile());
  }
};

// ---------------------------------------------------------------- calculator window

TEST_F(DesignWindows, MenuItemsOpenTheCalculatorOnTheirPage) {
  Start();
  CalculatorsWindow* w = form_->Calculators();
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(w->isVisible());
  const char* items[] = {"actBoxDesign", "actPortDesign", "actCrossoverDesign", "actAttenuatorDesign",
                         "actZCorrectionDesign"};
  for (int page = 0; page < CalculatorsWindow::kPageCount; ++page) {
    Action(*form_, items[page])->trigger();
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(w->isModal());
    EXPECT_EQ(w->CurrentPage(), page);
  }
  EXPECT_EQ(w->windowTitle(), QString::fromUtf8("SONVEX - Hilfsberechnungen"));
  EXPECT_EQ(Action(*form_, "actBoxDesign")->shortcut(), QKeySequence("Ctrl+A"));
  // The window keeps its inputs between openings.
  NamedEdit(*w, "crossoverFreqEdit")->setText("2000");
  w->close();
  Action(*form_, "actCrossoverDesign")->trigger();
  EXPECT_EQ(NamedEdit(*w, "crossoverFreqEdit")->text(), "2000");
}

TEST_F(DesignWindows, CreationComputesThePagesWithTheirInitialTexts) {
  CalculatorsWindow w(settings_, ui_);
  EXPECT_EQ(NamedEdit(w, "r1Edit")->text(), "2,2");
  EXPECT_EQ(Named<QComboBox>(w, "desiredAttenuationCombo")->currentText(), "-3 dB");
  EXPECT_EQ(Named<QComboBox>(w, "tubeCountCombo")->currentIndex(), 0);
  EXPECT_FALSE(NamedEdit(w, "inputImpedanceEdit")->isEnabled());
  EXPECT_TRUE(NamedCheck(w, "impedanceDoesNotMatterCheck")->isChecked());
  // The window shows exactly what the calculators (and sonvex-cli design) give.
  EXPECT_EQ(NamedLines(w, "lowPassMemo2"), ToQ(StandardCrossovers(1000, 8, 8).lowPass[1]));
  EXPECT_EQ(NamedLines(w, "attenuatorMemo"), ToQ(AttenuatorLines("-3 dB", 8, 8, true)));
  EXPECT_EQ(NamedLines(w, "dividerMemo"),
            QStringList({"Pegelabsenkung: -4,07 dB", QString::fromUtf8("Anschlußimpedanz: 5,876 Ohm")}));
  EXPECT_EQ(NamedLines(w, "portList").last(), "fb = 47,59 Hz");
  EXPECT_EQ(NamedLines(w, "bothCorrectionsMemo").size(), 5);
  w.ShowPage(CalculatorsWindow::PageBox);
  EXPECT_EQ(NamedLines(w, "closedBoxList"),
            QStringList({"Berechnetes Volumen: 38,788 Liter", "Resonanzfrequenz des eingebauten Chassis: 61,25 Hz"}));
  EXPECT_EQ(NamedLines(w, "ventedBoxList").first(), "Volumen: 87,669 Liter");
  EXPECT_TRUE(NamedLines(w, "altVolumeList").isEmpty());
}

TEST_F(DesignWindows, BoxPageFollowsEveryInput) {
  CalculatorsWindow w(settings_, ui_);
  w.ShowPage(CalculatorsWindow::PageBox);
  // The alternative volume has a list of its own, cleared by any other change.
  NamedEdit(w, "altVolumeEdit")->setText("50");
  EXPECT_EQ(NamedLines(w, "altVolumeList").size(), 3);
  NamedEdit(w, "desiredQtcEdit")->setText("0,4");
  EXPECT_EQ(NamedLines(w, "closedBoxList"),
            QStringList({QString::fromUtf8("Auslegung nicht möglich, da Qts oder Rv zu hoch.")}));
  EXPECT_TRUE(NamedLines(w, "altVolumeList").isEmpty());
  NamedEdit(w, "desiredQtcEdit")->setText("0,7");

  // Qes and Qms known: Qts follows them and is no input any more.
  EXPECT_FALSE(NamedEdit(w, "qesEdit")->isEnabled());
  NamedCheck(w, "qesQmsKnownCheck")->setChecked(true);
  EXPECT_FALSE(NamedEdit(w, "qtsEdit")->isEnabled());
  EXPECT_TRUE(NamedEdit(w, "qesEdit")->isEnabled());
  NamedEdit(w, "qmsEdit")->setText("3,2");
  EXPECT_EQ(NamedEdit(w, "qtsEdit")->text(), "0,432");  // 0.5·3.2/3.7
  NamedEdit(w, "qmsEdit")->setText("2");
  EXPECT_EQ(NamedEdit(w, "qtsEdit")->text(), "0,4");

  // The series resistance: Rdc 6, Rv 1 gives 64 l; without Rdc the box is cleared.
  NamedCheck(w, "useRvCheck")->setChecked(true);
  EXPECT_EQ(NamedLines(w, "closedBoxList").first(), "Berechnetes Volumen: 64 Liter");
  NamedEdit(w, "rdcEdit")->setText("");
  EXPECT_FALSE(NamedCheck(w, "useRvCheck")->isChecked());
  EXPECT_EQ(NamedLines(w, "closedBoxList").first(), "Berechnetes Volumen: 38,788 Liter");

  NamedEdit(w, "fsEdit")->setText("0");
  EXPECT_EQ(NamedLines(w, "ventedBoxList").first(), QString::fromUtf8("Daten unvollständig."));
}

TEST_F(DesignWindows, SeriesResistanceClearedForWantOfRdcLeavesRdcOpenToCorrect) {
  CalculatorsWindow w(settings_, ui_);
  w.ShowPage(CalculatorsWindow::PageBox);
  QCheckBox* rv = NamedCheck(w, "useRvCheck");
  // Rdc and Rv are inputs whether the box is ticked or not.
  for (bool ticked : {false, true}) {
    rv->setChecked(ticked);
    EXPECT_TRUE(NamedEdit(w, "rdcEdit")->isEnabled()) << ticked;
    EXPECT_TRUE(NamedEdit(w, "rvEdit")->isEnabled()) << ticked;
  }
  // Clearing Rdc clears the box and nothing else.
  NamedEdit(w, "rdcEdit")->setText("0");
  EXPECT_FALSE(rv->isChecked());
  EXPECT_TRUE(NamedEdit(w, "rdcEdit")->isEnabled());
  // Ticking again without Rdc clears it again, as the calculator's rule says.
  rv->click();
  EXPECT_FALSE(rv->isChecked());
  EXPECT_EQ(NamedLines(w, "closedBoxList").first(), "Berechnetes Volumen: 38,788 Liter");
  // The user corrects Rdc and ticks: the series resistance counts.
  NamedEdit(w, "rdcEdit")->setText("6");
  rv->click();
  EXPECT_TRUE(rv->isChecked());
  EXPECT_EQ(NamedLines(w, "closedBoxList").first(), "Berechnetes Volumen: 64 Liter");
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
  CalculatorsWindow* w = form_->Calculators();
  Action(*form_, "actBoxDesign")->trigger();
  const QRect free = w->screen()->availableGeometry();
  EXPECT_TRUE(free.contains(w->frameGeometry())) << w->width() << "x" << w->height();
  // Small screens: every page with every field, and every tab, can be reached.
  EXPECT_LE(w->minimumSizeHint().width(), 640);
  EXPECT_LE(w->minimumSizeHint().height(), 480);
  for (const QSize size : {QSize(640, 480), QSize(1024, 600)}) {
    w->resize(size);
    for (int page = 0; page < CalculatorsWindow::kPageCount; ++page) {
      w->Pages()->setCurrentIndex(page);
      QApplication::processEvents();
      auto* area = qobject_cast<QScrollArea*>(w->Pages()->currentWidget());
      ASSERT_NE(area, nullptr) << page;
      ExpectReachable(area, size);
    }
  }
  // The tab key goes from field to field; the scrolling pages are no stops.
  for (int page = 0; page < CalculatorsWindow::kPageCount; ++page)
    EXPECT_EQ(w->Pages()->widget(page)->focusPolicy(), Qt::NoFocus) << page;

  // The crossover memos show every line without scrolling of their own, the
  // Linkwitz-Riley lines of order 4 too.
  w->resize(1024, 600);
  w->Pages()->setCurrentIndex(CalculatorsWindow::PageCrossovers);
  QApplication::processEvents();
  for (const char* name : {"lowPassMemo2", "highPassMemo2", "lowPassMemo4", "highPassMemo4"}) {
    auto* memo = w->findChild<QPlainTextEdit*>(name);
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(NamedLines(*w, name).size(), 6) << name;
    EXPECT_EQ(memo->verticalScrollBar()->maximum(), 0) << name;
  }
}

// Escape closes the calculator from a field and from a choice; it keeps its
// inputs for the next opening.
TEST_F(DesignWindows, EscapeClosesTheCalculator) {
  Start();
  CalculatorsWindow* w = form_->Calculators();
  Action(*form_, "actCrossoverDesign")->trigger();
  ASSERT_TRUE(w->isVisible());
  NamedEdit(*w, "crossoverFreqEdit")->setText("2000");
  QTest::keyClick(NamedEdit(*w, "crossoverFreqEdit"), Qt::Key_Escape);
  EXPECT_FALSE(w->isVisible());
  Action(*form_, "actAttenuatorDesign")->trigger();
  ASSERT_TRUE(w->isVisible());
  QTest::keyClick(Named<QComboBox>(*w, "desiredAttenuationCombo"), Qt::Key_Escape);
  EXPECT_FALSE(w->isVisible());
  Action(*form_, "actCrossoverDesign")->trigger();
  EXPECT_EQ(NamedEdit(*w, "crossoverFreqEdit")->text(), "2000");
}

TEST_F(DesignWindows, ChassisDataComeFromAChassisFile) {
  Chassis c = testing::Woofer();
  c.name = "Prüf-Tieftöner";
  const fs::path file = settings_.chassisFolder / "pruef.ZCH";
  SaveChassisFile(file, c);
  CalculatorsWindow w(settings_, ui_);
  ui_.files.push_back(file);
  w.LoadButton()->click();
  ASSERT_EQ(ui_.asked.size(), 2u);
  EXPECT_EQ(ui_.asked[0].kind, "open");
  EXPECT_EQ(ui_.asked[1].text, "Daten von Prüf-Tieftöner wurden geladen.");
  EXPECT_TRUE(NamedCheck(w, "qesQmsKnownCheck")->isChecked());
  EXPECT_EQ(NamedEdit(w, "fsEdit")->text().toStdString(), FormatNumber(c.fs, 6));
  EXPECT_EQ(NamedEdit(w, "vasEdit")->text().toStdString(), FormatNumber(c.Vas * 1000, 6));
  EXPECT_EQ(NamedEdit(w, "rdcEdit")->text().toStdString(), FormatNumber(c.Re, 6));
  EXPECT_EQ(NamedEdit(w, "qtsEdit")->text().toStdString(),
            QtsFromQesQmsText(StrToDoubleLenient(FormatNumber(c.Qes, 6)), StrToDoubleLenient(FormatNumber(c.Qms, 6))));
  // A cancelled choice changes nothing.
  ui_.asked.clear();
  NamedEdit(w, "fsEdit")->setText("35");
  w.LoadButton()->click();
  EXPECT_EQ(NamedEdit(w, "fsEdit")->text(), "35");
  EXPECT_EQ(ui_.asked.size(), 1u);
}

TEST_F(DesignWindows, PortAndDividerPagesRecomputeOnEveryControl) {
  CalculatorsWindow w(settings_, ui_);
  w.ShowPage(CalculatorsWindow::PagePort);
  EXPECT_FALSE(NamedEdit(w, "boxWidthEdit")->isEnabled());
  Named<QRadioButton>(w, "dimensionsVolumeRadio")->setChecked(true);
  EXPECT_EQ(NamedLines(w, "portList").first(), "Nettovolumen incl. Kanal: 45,08 Liter");
  EXPECT_TRUE(NamedEdit(w, "boxWidthEdit")->isEnabled());
  EXPECT_FALSE(NamedEdit(w, "boxVolumeEdit")->isEnabled());
  w.DampingSlider()->setValue(2);
  EXPECT_EQ(NamedLines(w, "portList").last(), "fb = 47,79 Hz");
  Named<QRadioButton>(w, "roundRadio")->setChecked(true);
  EXPECT_TRUE(Named<QComboBox>(w, "tubeCountCombo")->isEnabled());
  EXPECT_FALSE(NamedEdit(w, "portHeightEdit")->isEnabled());
  Named<QComboBox>(w, "tubeCountCombo")->setCurrentIndex(1);
  PortPage page;
  page.explicitVolume = false;
  page.damping = 2;
  page.rectangular = false;
  page.tubes = 2;
  EXPECT_EQ(NamedLines(w, "portList"), ToQ(PortLines(PortInputFromPage(page))));

  // Unticking "Anschlussimpedanz egal" recomputes with ZE and enables its field.
  w.ShowPage(CalculatorsWindow::PageDivider);
  NamedCheck(w, "impedanceDoesNotMatterCheck")->click();
  EXPECT_TRUE(NamedEdit(w, "inputImpedanceEdit")->isEnabled());
  const QStringList memo = NamedLines(w, "attenuatorMemo");
  ASSERT_GE(memo.size(), 7);
  EXPECT_EQ(memo[6], "R1 = 2,2 Ohm; R2 = 22 Ohm ergibt -2,77 dB Absenkung bei Anschlussimpedanz von 8,067 Ohm.");
  Named<QComboBox>(w, "desiredAttenuationCombo")->setCurrentIndex(0);
  EXPECT_EQ(NamedLines(w, "attenuatorMemo").first(), "dBWunsch = -0,5 dB");
  Named<QComboBox>(w, "desiredAttenuationCombo")->setEditText("-20 dB");
  EXPECT_EQ(NamedLines(w, "attenuatorMemo").first(), "dBWunsch = -20 dB");
  NamedEdit(w, "r2Edit")->setText("0");
  EXPECT_TRUE(NamedLines(w, "dividerMemo").isEmpty());
  NamedEdit(w, "crossoverFreqEdit")->setText("0");
  EXPECT_TRUE(NamedLines(w, "highPassMemo4").isEmpty());
  NamedEdit(w, "correctionLeEdit")->setText("0");
  EXPECT_TRUE(NamedLines(w, "inductanceCorrectionMemo").isEmpty());
  EXPECT_EQ(NamedLines(w, "resonanceCorrectionMemo").size(), 3);
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
    CircuitPicture::PictureKind kind;
    int topGap;  // the longest gap a series part leaves in the upper rail
  };
  // Series coils are drawn solid; a series capacitor leaves the room between
  // its plates; the series resistor of the attenuator is an open box.
  for (const Case c :
       {Case{CircuitPicture::LowPass1, 0}, Case{CircuitPicture::LowPass2, 0}, Case{CircuitPicture::LowPass3, 0},
        Case{CircuitPicture::LowPass4, 0}, Case{CircuitPicture::HighPass1, 6}, Case{CircuitPicture::HighPass2, 6},
        Case{CircuitPicture::HighPass3, 6}, Case{CircuitPicture::HighPass4, 6}, Case{CircuitPicture::LPad, 22}}) {
    SCOPED_TRACE(static_cast<int>(c.kind));
    CircuitPicture picture(c.kind);
    picture.resize(picture.sizeHint());
    const QImage image = picture.grab().toImage();
    // Shunt parts never break a rail; the lower rail holds no part at all.
    EXPECT_EQ(LongestGapOnRow(image, CircuitPicture::kRailBottom), 0);
    EXPECT_LE(LongestGapOnRow(image, CircuitPicture::kRailTop), c.topGap);
  }
}

// A field without a number reads as 0 as before, and says so: a red frame
// and a tooltip, until it holds a number again. The calculator's fields and
// the editors' (filled through SetFieldNumber) share the one helper.
TEST_F(DesignWindows, FieldsWithoutANumberAreFramedAndReadAsZero) {
  const QString tip = QString::fromUtf8(kNotANumberTip);
  auto framed = [](const QLineEdit* e) { return e->styleSheet().contains("border"); };

  CalculatorsWindow w(settings_, ui_);
  w.show();
  QLineEdit* crossoverFreqEdit = NamedEdit(w, "crossoverFreqEdit");
  EXPECT_FALSE(framed(crossoverFreqEdit));
  crossoverFreqEdit->setFocus();
  crossoverFreqEdit->selectAll();
  QTest::keyClicks(crossoverFreqEdit, "abc");
  EXPECT_TRUE(framed(crossoverFreqEdit));
  EXPECT_EQ(crossoverFreqEdit->toolTip(), tip);
  EXPECT_TRUE(NamedLines(w, "lowPassMemo1").isEmpty());  // read as 0: no crossover
  QTest::keyClick(crossoverFreqEdit, Qt::Key_Backspace);
  QTest::keyClick(crossoverFreqEdit, Qt::Key_Backspace);
  QTest::keyClick(crossoverFreqEdit, Qt::Key_Backspace);
  EXPECT_FALSE(framed(crossoverFreqEdit)) << "an empty field visibly holds nothing";
  QTest::keyClicks(crossoverFreqEdit, "2,5k");  // a number with a unit after it reads as the number
  EXPECT_FALSE(framed(crossoverFreqEdit));
  EXPECT_EQ(crossoverFreqEdit->toolTip(), "");
  EXPECT_EQ(NamedLines(w, "lowPassMemo1"), ToQ(StandardCrossovers(2.5, 8, 8).lowPass[0]));
  for (const char* text : {"-", "$", "e3", ","}) {
    crossoverFreqEdit->setText(text);
    EXPECT_TRUE(framed(crossoverFreqEdit)) << text;
  }
  // A number beyond the double range reads as 0 as well, and says why.
  crossoverFreqEdit->setText("1e999");
  EXPECT_TRUE(framed(crossoverFreqEdit));
  EXPECT_EQ(crossoverFreqEdit->toolTip(), QString::fromUtf8(kTooLargeTip));
  crossoverFreqEdit->setText("abc");
  EXPECT_EQ(crossoverFreqEdit->toolTip(), tip);
  crossoverFreqEdit->setText("0");
  EXPECT_FALSE(framed(crossoverFreqEdit)) << "0 is a number";

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
  const Project before = form_->CurrentProject();
  form_->execDialog = [](QDialog& d) {
    auto& o = dynamic_cast<DisplayOptionsDialog&>(d);
    EXPECT_EQ(o.windowTitle(), QString::fromUtf8("Anzeigeoptionen bearbeiten"));
    EXPECT_EQ(o.AxisFMinEdit()->text(), "20");
    EXPECT_EQ(o.AxisFMaxEdit()->text(), "20000");
    o.AxisFMinEdit()->setText("20000");
    o.AxisFMaxEdit()->setText("20");
    o.DBMinEdit()->setText("");  // empty: 50 dB, not the standard 40
    o.DBMaxEdit()->setText("120");
    o.ImpedanceMaxEdit()->setText("-5");  // not positive: 50 Ohm
    return int(QDialog::Accepted);
  };
  Action(*form_, "actDisplayOptions")->trigger();
  const Project& p = form_->CurrentProject();
  EXPECT_EQ(p.axisFMin, 20);
  EXPECT_EQ(p.axisFMax, 20000);
  EXPECT_EQ(p.dBMin, 50);
  EXPECT_EQ(p.dBMax, 120);
  EXPECT_EQ(p.impedanceMax, 50);
  EXPECT_FALSE(p.saved);
  EXPECT_EQ(Action(*form_, "actUndo")->text().toStdString(), "Rückgängig \"Anzeigeoptionen\"");
  EXPECT_TRUE(form_->Calculation().IsIdle());  // no recalculation asked for
  EXPECT_EQ(form_->Charts().total->yMin, 50);
  EXPECT_EQ(form_->Charts().total->y2Max, 50);
  EXPECT_FALSE(settings_.useDisplayDefaults);
  form_->UndoClick();
  EXPECT_EQ(form_->CurrentProject().dBMin, before.dBMin);
  EXPECT_EQ(form_->CurrentProject().impedanceMax, before.impedanceMax);
}

// The display options on a project document, as their menu command runs them.
class DisplayOptionsDialogTest : public DocumentFixture<> {
 protected:
  void SetUp() override {
    DocumentFixture::SetUp();
    StartDocument(*testing::MakeTwoWayProject(60));
  }
  DialogRunner run_;
};

TEST_F(DisplayOptionsDialogTest, DisplayOptionsCancelChangesNothing) {
  const Project before = doc_->CurrentProject();
  run_ = [](QDialog& d) {
    auto& o = dynamic_cast<DisplayOptionsDialog&>(d);
    o.DBMinEdit()->setText("10");
    o.UseDisplayDefaultsCheck()->setChecked(true);
    return int(QDialog::Rejected);
  };
  EditDisplayOptions(*doc_, run_);
  EXPECT_TRUE(doc_->CurrentProject() == before);
  EXPECT_TRUE(doc_->UndoHistory().Empty());
  EXPECT_FALSE(settings_.useDisplayDefaults);
  EXPECT_FALSE(fs::exists(settings_.settingsFile));
}

TEST_F(DisplayOptionsDialogTest, UseOptionMakesLaterProjectsTakeTheColoursAndScales) {
  run_ = [](QDialog& d) {
    auto& o = dynamic_cast<DisplayOptionsDialog&>(d);
    EXPECT_FALSE(o.UseDisplayDefaultsCheck()->isChecked());
    o.chooseColor = [](const QColor& initial) {
      EXPECT_EQ(initial, QColor(0, 0, 255));  // chassis 1
      return std::optional<QColor>(QColor(10, 20, 30));
    };
    o.PanelClicked(DisplayOptionsDialog::ChassisColors, 1);
    EXPECT_EQ(o.Panel(DisplayOptionsDialog::ChassisColors, 1)->palette().color(QPalette::WindowText),
              QColor(10, 20, 30));
    o.DBMaxEdit()->setText("100");
    o.UseDisplayDefaultsCheck()->setChecked(true);
    return int(QDialog::Accepted);
  };
  EditDisplayOptions(*doc_, run_);
  EXPECT_TRUE(settings_.useDisplayDefaults);
  EXPECT_EQ(settings_.displayDefaults.colorSetChassis[1], RGBColor(10, 20, 30));
  {
    const MyIniFile ini(settings_.settingsFile, false, false, true, nullptr);
    EXPECT_TRUE(ini.ReadBool("Option", "UseOption", false));
    EXPECT_EQ(ini.ReadFloat("Option", "dBMax", 0), 100);
  }

  // A project saved with other options takes the defaults when loaded, also
  // in a later program run that reads them from the settings file.
  auto other = testing::MakeTwoWayProject(60);
  other->dBMax = 130;
  other->colorSetChassis[1] = RGBColor(1, 2, 3);
  const fs::path otherFile = dir_ / "other.ZPJ";
  SaveProject(*other, otherFile);
  doc_->LoadFile(otherFile);
  EXPECT_EQ(doc_->CurrentProject().dBMax, 100);
  EXPECT_EQ(doc_->CurrentProject().colorSetChassis[1], RGBColor(10, 20, 30));
  Settings later = MakeSettings(dir_, dir_ / "sonvex");
  LoadSettings(later, nullptr);
  auto loaded = MakeNewProject();
  LoadProjectFile(*loaded, otherFile, later, ui_);
  EXPECT_EQ(loaded->dBMax, 100);
  EXPECT_EQ(loaded->colorSetChassis[1], RGBColor(10, 20, 30));

  // Unticked again: cleared in the program and in the file.
  run_ = [](QDialog& d) {
    auto& o = dynamic_cast<DisplayOptionsDialog&>(d);
    EXPECT_TRUE(o.UseDisplayDefaultsCheck()->isChecked());
    o.UseDisplayDefaultsCheck()->setChecked(false);
    return int(QDialog::Accepted);
  };
  EditDisplayOptions(*doc_, run_);
  EXPECT_FALSE(settings_.useDisplayDefaults);
  const MyIniFile ini(settings_.settingsFile, false, false, true, nullptr);
  EXPECT_FALSE(ini.ReadBool("Option", "UseOption", true));
  doc_->LoadFile(otherFile);
  EXPECT_EQ(doc_->CurrentProject().dBMax, 130);
}

TEST_F(DesignWindows, RestoreDefaultsKeepsTheNinthChassisAndLastDirectionColours) {
  DisplayOptionsDialog o;
  DisplayOptions block;
  block.colorSetAmps.fill(RGBColor(1, 1, 1));
  block.colorSetChassis.fill(RGBColor(2, 2, 2));
  block.colorSetDirections.fill(RGBColor(3, 3, 3));
  block.axisFMin = 50;
  block.impedanceMax = 20;
  block.gridPoints = 200;
  o.Fill(block, false);
  EXPECT_EQ(o.ImpedanceMaxEdit()->text(), "20");
  o.DefaultsButton()->click();
  const DisplayOptions r = o.Result();
  const DisplayOptions standard;
  EXPECT_EQ(r.colorSetAmps, standard.colorSetAmps);
  EXPECT_EQ(r.colorSetChassis[0], RGBColor(0, 0, 0));
  EXPECT_EQ(r.colorSetChassis[8], RGBColor(80, 160, 80));
  EXPECT_EQ(r.colorSetChassis[9], RGBColor(2, 2, 2));
  EXPECT_EQ(r.colorSetDirections[6], RGBColor(160, 160, 208));
  EXPECT_EQ(r.colorSetDirections[7], RGBColor(3, 3, 3));
  EXPECT_EQ(r.colorSetDirections[9], RGBColor(3, 3, 3));
  EXPECT_EQ(r.axisFMin, 20);
  EXPECT_EQ(r.dBMin, 40);
  EXPECT_EQ(r.dBMax, 110);
  EXPECT_EQ(r.impedanceMax, 70);
  EXPECT_EQ(r.gridPoints, 200);  // carried along
  EXPECT_EQ(o.DBMaxEdit()->text(), "110");
  // A number too large to be finite cannot scale an axis either.
  o.AxisFMaxEdit()->setText("1e999");
  EXPECT_EQ(o.Result().axisFMax, 20000);
}

// ---------------------------------------------------------------- export

TEST_F(DesignWindows, ExportDialogAsksForTheChassisAndWritesIntoTheChosenFile) {
  Start();
  std::vector<ExportKind> clicks;
  form_->execDialog = [&clicks](QDialog& d) {
    auto& e = dynamic_cast<ExportDialog&>(d);
    EXPECT_EQ(e.windowTitle(), "Sonvex - Export");
    for (ExportKind k : clicks) e.Button(k)->click();
    return int(QDialog::Accepted);
  };

  // the box: no question, the save dialog in the project folder
  clicks = {ExportKind::Box};
  ui_.files.push_back(dir_ / "box");
  Action(*form_, "actExport")->trigger();
  ASSERT_EQ(ui_.saveFolders.size(), 1u);
  EXPECT_EQ(ui_.saveFolders[0], settings_.projectFolder);
  const std::string text = ReadText(dir_ / "box.exp");
  EXPECT_EQ(text.rfind("# Gesamtfrequenzgang der Box auf Achse\r\n", 0), 0u);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 62);  // title, columns, 60 points

  // four chassis: the choice "1|2|3|4|Abbruch"; Abbruch writes nothing
  ui_.asked.clear();
  clicks = {ExportKind::Chassis};
  ui_.buttons = {5};
  form_->ExportClick();
  ASSERT_EQ(ui_.asked.size(), 1u);
  EXPECT_EQ(ui_.asked[0].text, "Frequenzgang für welches Chassis?");
  EXPECT_EQ(ui_.asked[0].options, "1|2|3|4|Abbruch");
  EXPECT_EQ(ui_.saveFolders.size(), 1u);

  // chassis 4 is in no crossover: the signal export refuses it
  ui_.asked.clear();
  clicks = {ExportKind::Signal};
  ui_.buttons = {4};
  form_->ExportClick();
  ASSERT_EQ(ui_.asked.size(), 2u);
  EXPECT_EQ(ui_.asked[0].text, "Signal für welches Chassis?");
  EXPECT_EQ(ui_.asked[1].kind, "message");
  EXPECT_EQ(ui_.asked[1].text, "Das Chassis ist in keiner Frequenzweiche angeschlossen. Ausgabe nicht sinnvoll.");
  EXPECT_EQ(ui_.saveFolders.size(), 1u);

  // chassis 2 with its crossover
  ui_.asked.clear();
  clicks = {ExportKind::Chassis};
  ui_.buttons = {2};
  ui_.files.push_back(dir_ / "tmt.exp");
  form_->ExportClick();
  EXPECT_EQ(ReadText(dir_ / "tmt.exp").rfind("# Frequenzgang Chassis 2 auf Achse", 0), 0u);
}

// The impulse responses as WAV files: the rate is asked, box.wav goes where
// the user says and the chassis files beside it; "Abbruch" writes nothing.
TEST_F(DesignWindows, ExportDialogWritesTheImpulsesAsWavFiles) {
  Start();
  std::optional<fs::path> written;
  form_->execDialog = [&written](QDialog& d) {
    written = dynamic_cast<ExportDialog&>(d).WavClick();
    return int(QDialog::Accepted);
  };
  ui_.buttons = {4};
  form_->ExportClick();
  EXPECT_FALSE(written);
  ASSERT_EQ(ui_.asked.size(), 1u);
  EXPECT_EQ(ui_.asked[0].text, "Abtastrate der WAV-Dateien?");
  EXPECT_EQ(ui_.asked[0].options, "44100 Hz|48000 Hz|96000 Hz|Abbruch");

  ui_.buttons = {2};
  ui_.files.push_back(dir_ / "hoeren" / "box.wav");
  fs::create_directories(dir_ / "hoeren");
  form_->ExportClick();
  ASSERT_TRUE(written);
  EXPECT_EQ(*written, dir_ / "hoeren");
  EXPECT_TRUE(fs::exists(dir_ / "hoeren" / "box.wav"));
  for (int c = 1; c <= form_->CurrentProject().chassisCount; ++c)
    EXPECT_TRUE(fs::exists(dir_ / "hoeren" / ("chassis-" + std::to_string(c) + ".wav"))) << c;
  // 48 000 Hz: 32 768 samples of 4 bytes after the 44-byte header at most.
  EXPECT_GE(fs::file_size(dir_ / "hoeren" / "box.wav"), 32768u * 4u);
}

// The export window is built 643 pixels wide: on the default test screen it
// is shown as built; on a 640×480 screen the note and the export buttons
// scroll, "Schließen" stays below them, and every button still works.
TEST_F(DesignWindows, ExportWindowFitsTheScreenAndScrollsOnlyWhereItMust) {
  Start();
  const QRect free = form_->screen()->availableGeometry();
  ui_.files.push_back(dir_ / "box");
  form_->execDialog = [&free](QDialog& d) {
    auto& e = dynamic_cast<ExportDialog&>(d);
    const QSize built = e.sizeHint();
    e.show();
    QApplication::processEvents();
    EXPECT_TRUE(free.contains(e.frameGeometry())) << e.width() << "x" << e.height();
    auto* area = e.findChild<QScrollArea*>("exportScrollArea");
    const QSize room = ScreenRoom(&e, e.parentWidget());
    EXPECT_EQ(area != nullptr, built.width() > room.width() || built.height() > room.height());
    if (area == nullptr) {
      EXPECT_EQ(e.size(), built);
    } else {
      EXPECT_LE(e.minimumSizeHint().width(), room.width());
      EXPECT_LE(e.minimumSizeHint().height(), room.height());
      ExpectReachable(area, e.size());
      for (ExportKind k : {ExportKind::Box, ExportKind::Chassis, ExportKind::Signal})
        EXPECT_TRUE(area->widget()->isAncestorOf(e.Button(k)));
      EXPECT_FALSE(area->isAncestorOf(e.CloseButton()));
      EXPECT_TRUE(e.rect().contains(e.CloseButton()->geometry()));
    }
    EXPECT_TRUE(e.CloseButton()->isDefault());
    e.Button(ExportKind::Box)->click();
    e.CloseButton()->click();
    EXPECT_FALSE(e.isVisible());
    return e.result();
  };
  form_->ExportClick();
  EXPECT_EQ(ReadText(dir_ / "box.exp").rfind("# Gesamtfrequenzgang der Box auf Achse\r\n", 0), 0u);
}

// ---------------------------------------------------------------- quick guide and about

// The guide is built 620×640: it opens within the screen, on a screen lower
// than it (640×480) shortened, its text scrolling. Escape closes it.
TEST_F(DesignWindows, QuickGuideFitsTheScreenAndEscapeClosesIt) {
  Start();
  const QRect free = form_->screen()->availableGeometry();
  form_->show();
  QuickGuideWindow* guide = form_->QuickGuide();
  Action(*form_, "actQuickGuide")->trigger();
  QApplication::processEvents();
  EXPECT_TRUE(free.contains(guide->frameGeometry()))
      << guide->frameGeometry().y() << "+" << guide->frameGeometry().height() << " on " << free.height();
  EXPECT_EQ(guide->width(), 620);
  EXPECT_EQ(guide->height(), std::min(640, free.height() - (guide->frameGeometry().height() - guide->height())));
  QTest::keyClick(guide->Browser(), Qt::Key_Escape);
  EXPECT_FALSE(guide->isVisible());
  Action(*form_, "actQuickGuide")->trigger();
  EXPECT_TRUE(guide->isVisible());
  QTest::keyClick(guide, Qt::Key_Escape);
  EXPECT_FALSE(guide->isVisible());
}

TEST_F(DesignWindows, QuickGuideOnF1AndForANewProjectAboutWithVersionAndLicences) {
  Start();
  EXPECT_FALSE(form_->QuickGuide()->isVisible());
  EXPECT_EQ(Action(*form_, "actQuickGuide")->shortcut(), QKeySequence("F1"));
  Action(*form_, "actQuickGuide")->trigger();
  EXPECT_TRUE(form_->QuickGuide()->isVisible());
  EXPECT_TRUE(form_->QuickGuide()->Browser()->toPlainText().contains("Kurzanleitung"));
  form_->QuickGuide()->close();

  form_->execDialog = [](QDialog&) { return int(QDialog::Rejected); };
  form_->NewProjectClick();
  EXPECT_TRUE(form_->QuickGuide()->isVisible());

  QString about;
  form_->execDialog = [&about](QDialog& d) {
    about = dynamic_cast<AboutDialog&>(d).Browser()->toPlainText();
    return int(QDialog::Accepted);
  };
  Action(*form_, "actInfo")->trigger();
  EXPECT_TRUE(about.contains("V1.11b"));
  EXPECT_TRUE(about.contains("Lizenz"));
  EXPECT_TRUE(about.contains("Qt"));
}

}  // namespace
}  // namespace sonvex
