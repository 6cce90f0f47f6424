// The crossover schematic editor, the part editor and the parts library on a
// project document, with a scripted interaction.
#include "ui/editors/crossover_editor.h"
#include "document_fixture.h"
#include "named_controls.h"
#include "ui/editors/free_wire_dialog.h"
#include "ui/editors/mouse_map_dialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFocusEvent>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QtTest/QTest>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "model/interaction.h"
#include "model/project_file.h"
#include "model/result.h"
#include "model/settings.h"
#include "support/scripted_interaction.h"
#include "support/test_projects.h"
#include "ui/dialogs/field_number.h"
#include "ui/dialogs/window_place.h"
#include "ui/editors/part_editor.h"

namespace sonvex {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using B = MouseButton;

// Points inside the hit rectangles of a few slots at the middle size level.
constexpr int kSlot0X = 50, kSlot0Y = 10;    // horizontal slot 0, nodes 0-1
constexpr int kSlot90X = 30, kSlot90Y = 45;  // vertical slot 90, nodes 0-11

// A document with the part editor and the crossover editor built on it as
// the main window builds them; their modal dialogs run through execDialog.
class CrossoverEditor : public DocumentFixture<> {
 protected:
  void TearDown() override {
    editor_.reset();
    partEditor_.reset();
    DocumentFixture::TearDown();
  }
  CrossoverEditorWindow& Start(std::unique_ptr<Project> project = testing::MakeTwoWayProject(60)) {
    StartDocument(*project);
    partEditor_ = std::make_unique<PartEditorDialog>(settings_, ui_);
    partEditor_->execDialog = [this](QDialog& d) { return execDialog_(d); };
    editor_ = std::make_unique<CrossoverEditorWindow>(*doc_, settings_, ui_, *partEditor_,
                                                      [this](QDialog& d) { return execDialog_(d); });
    return *editor_;
  }
  // Opens the editor on amplifier `amp` (0-based) as the menu item does.
  CrossoverEditorWindow& Open(int amp) {
    editor_->OpenFor(amp);
    return *editor_;
  }
  PartEditorDialog& PartEditor() { return *partEditor_; }
  void WriteParts(const char* name, const std::string& text) {
    std::ofstream(settings_.partsFolder / name, std::ios::binary) << text;
  }

  // How the modal dialogs run: the tests fill and confirm them.
  std::function<int(QDialog&)> execDialog_ = [](QDialog&) { return int(QDialog::Rejected); };
  std::unique_ptr<PartEditorDialog> partEditor_;
  std::unique_ptr<CrossoverEditorWindow> editor_;
};

// The window's designed size, cut to the screen's room less a window frame.
QSize FittedSize(const QWidget& w, int width, int height) {
  const QSize room = w.screen()->availableGeometry().size() - kWindowFrameRoom;
  return {std::min(width, room.width()), std::min(height, room.height())};
}

TEST_F(CrossoverEditor, OpensNonModalAtTheMiddleSizeAndClosesWithoutApplying) {
  Start();
  std::vector<bool> told;  // what the editor tells the windows that follow it
  QObject::connect(editor_.get(), &CrossoverEditorWindow::openChanged, [&](bool open) { told.push_back(open); });
  CrossoverEditorWindow& ed = Open(1);
  EXPECT_EQ(ed.windowTitle(), QString::fromUtf8("Weicheneditor - Verstärker 2"));
  EXPECT_TRUE(ed.isVisible());
  EXPECT_FALSE(ed.isModal());
  EXPECT_EQ(ed.Amp(), 1);
  EXPECT_EQ(ed.Parts()[91].type, PartChassis);
  EXPECT_EQ(told, std::vector<bool>{true});
  // The middle size: 1068 x 530 (on the smaller test screen the room it
  // has), the edit view.
  EXPECT_EQ(ed.size(), FittedSize(ed, 1068, 530));
  EXPECT_TRUE(Action(ed, "actSize2")->isChecked());
  EXPECT_FALSE(ed.PrintView());

  ed.CancelClick();
  EXPECT_EQ(ed.Amp(), -1);
  EXPECT_FALSE(ed.isVisible());
  EXPECT_EQ(told, (std::vector<bool>{true, false}));
  EXPECT_EQ(doc_->UndoHistory().Count(), 0);  // nothing applied

  // The size level is a setting shared by every session.
  Open(0);
  ed.SetLevel(3);
  EXPECT_EQ(settings_.crossoverEditorSize, 3);
  EXPECT_EQ(ed.size(), FittedSize(ed, 1236, 596));
  ed.SetPrintView(true);
  ed.SetLevel(1);  // a size change returns to the edit view
  EXPECT_FALSE(ed.PrintView());
  EXPECT_EQ(ed.HitRects()[0], (DrawingRect{23, 2, 84, 27}));
  // A new project closes the editor without applying.
  doc_->New();
  EXPECT_EQ(ed.Amp(), -1);
  EXPECT_EQ(told, (std::vector<bool>{true, false, true, false}));
}

TEST_F(CrossoverEditor, FitsTheScreenWithTheDrawingScrollingAndTheButtonsInView) {
  Start();
  for (const int level : {1, 2, 3}) {
    settings_.crossoverEditorSize = level;
    CrossoverEditorWindow& ed = Open(0);
    ed.move(184, 508);
    ed.SetLevel(level);
    const QRect screen = ed.screen()->geometry();
    ASSERT_GT(CrossoverWindowSize(ed.Geometry()).width, screen.width())
        << "the test needs a screen narrower than the window";
    EXPECT_LE(ed.width(), screen.width()) << level;
    EXPECT_LE(ed.height(), screen.height()) << level;
    EXPECT_GE(ed.x(), screen.left()) << level;
    EXPECT_GE(ed.y(), screen.top()) << level;
    QApplication::processEvents();
    for (QPushButton* b : {ed.ApplyButton(), ed.OkButton(), ed.CancelButton()})
      EXPECT_TRUE(ed.rect().contains(QRect(b->mapTo(&ed, QPoint(0, 0)), b->size()))) << level;
    // The drawing keeps its designed size and scrolls.
    auto* area = ed.findChild<QScrollArea*>();
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(area->widget(), ed.PaintArea());
    EXPECT_GT(ed.PaintArea()->width(), area->viewport()->width()) << level;
    EXPECT_GE(ed.PaintArea()->width(), ed.HitRects()[177].right) << level;
    ed.CancelClick();
  }
}

TEST_F(CrossoverEditor, EscapeMeansCancelAndOkHasAMnemonic) {
  Start();
  CrossoverEditorWindow& ed = Open(0);
  ed.MarkClick(MarkScope::AllComponents);
  ed.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&ed));
  QTest::keyClick(ed.PaintArea(), Qt::Key_Escape);
  EXPECT_EQ(ed.Amp(), -1);
  EXPECT_FALSE(ed.isVisible());
  EXPECT_EQ(doc_->UndoHistory().Count(), 0);
  EXPECT_EQ(ed.OkButton()->text(), QStringLiteral("&Ok"));
}

TEST_F(CrossoverEditor, ResistorEditedInTheEditorChangesTheChartsAfterTheRecalculation) {
  Start();
  const Complex before = doc_->ShownResult().chassisVoltageGain[2][30];
  CrossoverEditorWindow& ed = Open(1);
  // Ctrl + left deletes the wire from node 0 to 1, left makes it again.
  ed.ClickAt(kSlot0X, kSlot0Y, B::Left, false, true);
  EXPECT_EQ(ed.Parts()[0].type, PartNone);
  ed.ClickAt(kSlot0X, kSlot0Y, B::Left, false, false);
  EXPECT_EQ(ed.Parts()[0].type, PartWire);
  // Right opens the part editor, which makes it a 2.2 Ohm resistor.
  int opened = 0;
  execDialog_ = [&](QDialog& d) {
    auto* pe = dynamic_cast<PartEditorDialog*>(&d);
    if (pe == nullptr) return int(QDialog::Rejected);
    ++opened;
    // It stands in front of the crossover editor, as its child window.
    EXPECT_EQ(pe->parentWidget(), editor_.get());
    EXPECT_TRUE(pe->isWindow());
    EXPECT_EQ(pe->windowTitle(), QString::fromUtf8("Bauteil editieren"));
    EXPECT_TRUE(pe->TypeButton(PartWire)->isChecked());
    EXPECT_TRUE(pe->ValueEdit()->text().isEmpty());
    pe->TypeButton(PartResistor)->click();
    pe->ValueEdit()->setText(QStringLiteral("2,2"));
    return int(QDialog::Accepted);
  };
  ed.ClickAt(kSlot0X, kSlot0Y, B::Right, false, false);
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(PartEditor().parentWidget(), nullptr);  // given back afterwards
  EXPECT_EQ(ed.Parts()[0].type, PartResistor);
  EXPECT_DOUBLE_EQ(ed.Parts()[0].value, 2.2);
  EXPECT_EQ(ed.Parts()[0].node1, 0);
  EXPECT_EQ(ed.Parts()[0].node2, 1);
  // Nothing reaches the project before OK.
  EXPECT_EQ(doc_->CurrentProject().amplifiers[1].crossover[0].type, PartWire);

  std::mutex m;
  std::vector<int> ran;
  doc_->Calculation().onItemRun = [&](int item) {
    std::lock_guard<std::mutex> lock(m);
    ran.push_back(item);
  };
  ed.OkClick();
  EXPECT_TRUE(ui_.asked.empty());
  EXPECT_EQ(UndoCaption(), "Rückgängig \"Weiche 2 editieren\"");
  EXPECT_EQ(doc_->CurrentProject().amplifiers[1].crossover[0].type, PartResistor);
  EXPECT_DOUBLE_EQ(doc_->CurrentProject().amplifiers[1].crossover[0].value, 2.2);
  EXPECT_FALSE(doc_->CurrentProject().saved);
  EXPECT_EQ(ed.Amp(), -1);
  ASSERT_TRUE(doc_->WaitCalcIdle());
  doc_->Calculation().onItemRun = nullptr;
  EXPECT_EQ(ran, (std::vector<int>{CalcStates::kCheck, CalcStates::kCrossover0 + 1, CalcStates::kWholeBox}));
  // 2.2 Ohm in series with the chassis lowers its voltage.
  const Complex after = doc_->ShownResult().chassisVoltageGain[2][30];
  EXPECT_LT(std::hypot(after.re, after.im), std::hypot(before.re, before.im) * 0.9);

  // Undo brings the wire back.
  doc_->Undo();
  EXPECT_EQ(doc_->CurrentProject().amplifiers[1].crossover[0].type, PartWire);
}

TEST_F(CrossoverEditor, DeletedResistorKeepsItsValueForTheNextPart) {
  auto project = testing::MakeTwoWayProject(60);
  testing::PlacePart(*project, 1, 0, PartResistor, 2.2);
  project->amplifiers[1].crossover[0].note = "MOX 2,2";
  Start(std::move(project));
  CrossoverEditorWindow& ed = Open(1);
  ed.ClickAt(kSlot0X, kSlot0Y, B::Left, false, true);   // delete
  ed.ClickAt(kSlot0X, kSlot0Y, B::Left, false, false);  // wire
  QString shown;
  execDialog_ = [&](QDialog& d) {
    auto& pe = dynamic_cast<PartEditorDialog&>(d);
    pe.TypeButton(PartResistor)->click();
    shown = pe.ValueEdit()->text();
    return int(QDialog::Accepted);
  };
  ed.ClickAt(kSlot0X, kSlot0Y, B::Right, false, false);
  EXPECT_EQ(shown, QStringLiteral("2,2"));
  EXPECT_EQ(ed.Parts()[0].type, PartResistor);
  EXPECT_DOUBLE_EQ(ed.Parts()[0].value, 2.2);
  EXPECT_EQ(ed.Parts()[0].note, "MOX 2,2");
}

TEST_F(CrossoverEditor, OkAsksAboutAMissingAmplifierAndChassis) {
  Start();
  CrossoverEditorWindow& ed = Open(1);
  ed.ClickAt(kSlot90X, kSlot90Y, B::Left, false, true);  // delete the amplifier output
  ASSERT_EQ(ed.Parts()[90].type, PartNone);
  ui_.buttons = {1};  // "jetzt ändern"
  ed.OkClick();
  ASSERT_EQ(ui_.asked.size(), 1u);
  EXPECT_EQ(ui_.asked[0].text, kNoAmpText);
  EXPECT_EQ(ui_.asked[0].options, "jetzt ändern|soll so bleiben");
  EXPECT_EQ(ed.Amp(), 1);  // still open, nothing applied
  EXPECT_EQ(doc_->UndoHistory().Count(), 0);

  ed.Parts()[91].type = PartWire;  // no chassis either
  ui_.buttons = {2, 1};            // the amplifier may stay missing, the chassis not
  ed.OkClick();
  ASSERT_EQ(ui_.asked.size(), 3u);
  EXPECT_EQ(ui_.asked[2].text, kNoChassisText);
  EXPECT_EQ(ed.Amp(), 1);

  ui_.buttons = {2, 2};
  ed.OkClick();
  EXPECT_EQ(ed.Amp(), -1);
  EXPECT_EQ(doc_->CurrentProject().amplifiers[1].crossover[90].type, PartNone);
  EXPECT_EQ(UndoCaption(), "Rückgängig \"Weiche 2 editieren\"");
}

TEST_F(CrossoverEditor, ApplyKeepsTheEditorOpenAndCancelKeepsWhatWasApplied) {
  Start();
  CrossoverEditorWindow& ed = Open(0);
  ed.MarkClick(MarkScope::AllComponents);
  ed.ApplyClick();
  EXPECT_EQ(ed.Amp(), 0);
  EXPECT_TRUE(doc_->CurrentProject().amplifiers[0].crossover[0].optimize);  // the capacitor
  EXPECT_TRUE(doc_->CurrentProject().amplifiers[0].crossover[1].optimize);  // the coil
  EXPECT_FALSE(doc_->CurrentProject().amplifiers[0].crossover[90].optimize);
  ed.MarkClick(MarkScope::None);
  ed.CancelClick();
  EXPECT_TRUE(doc_->CurrentProject().amplifiers[0].crossover[0].optimize);
  EXPECT_EQ(doc_->UndoHistory().Count(), 1);
}

TEST_F(CrossoverEditor, HasPendingChangesUntilApplied) {
  Start();
  CrossoverEditorWindow& ed = Open(0);
  EXPECT_FALSE(ed.HasPendingChanges());
  ed.MarkClick(MarkScope::AllComponents);
  EXPECT_TRUE(ed.HasPendingChanges());
  ed.ApplyClick();
  EXPECT_FALSE(ed.HasPendingChanges());
  ed.MarkClick(MarkScope::None);
  EXPECT_TRUE(ed.HasPendingChanges());
  ed.CancelClick();
  EXPECT_FALSE(ed.HasPendingChanges());
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
 public:
  int paints = 0;

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++paints;
    return QObject::eventFilter(o, e);
  }
};

TEST_F(CrossoverEditor, DrawingFollowsAChassisRenamedElsewhere) {
  Start();
  CrossoverEditorWindow& ed = Open(0);
  QApplication::processEvents();
  PaintCounter counter;
  ed.PaintArea()->installEventFilter(&counter);
  QApplication::processEvents();
  counter.paints = 0;
  {
    ProjectEdit edit(*doc_, "Chassis 1 editieren");
    edit.EditedProject().chassis[0].name = "Umbenannt";
    edit.Commit();
  }
  QApplication::processEvents();
  EXPECT_GT(counter.paints, 0);
  ed.PaintArea()->removeEventFilter(&counter);
}

TEST_F(CrossoverEditor, RealMouseEventsFollowTheActionMap) {
  Start();
  CrossoverEditorWindow& ed = Open(0);
  auto press = [&](int x, int y, Qt::MouseButton button, Qt::KeyboardModifiers mods) {
    QWidget* area = ed.PaintArea();
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(x, y), area->mapToGlobal(QPointF(x, y)), button, button, mods);
    QApplication::sendEvent(area, &e);
  };
  // Shift + Ctrl + left acts as Shift + left: mark the capacitor.
  press(kSlot0X, kSlot0Y, Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier);
  EXPECT_TRUE(ed.Parts()[0].optimize);
  // Shift + right inverts the tweeter (slot 90).
  press(kSlot90X, kSlot90Y, Qt::RightButton, Qt::ShiftModifier);
  EXPECT_EQ(ed.Parts()[90].reversedPolarity, 2);
  // The middle button does nothing; outside every slot nothing happens.
  const Crossover before = ed.Parts();
  press(kSlot0X, kSlot0Y, Qt::MiddleButton, Qt::NoModifier);
  press(5, 5, Qt::LeftButton, Qt::NoModifier);
  EXPECT_EQ(ed.Parts(), before);

  // A new map from the dialog: left click deletes.
  execDialog_ = [](QDialog& d) {
    auto& map = dynamic_cast<MouseMapSettingsDialog&>(d);
    EXPECT_EQ(map.windowTitle(), QString::fromUtf8("Tastaturbelegung im Weicheneditor"));
    EXPECT_EQ(map.Group(0)->checkedId(), MakeWire);
    EXPECT_EQ(map.Group(2)->checkedId(), MarkPart);
    EXPECT_EQ(map.Group(5)->checkedId(), InvertPart);
    map.Group(0)->button(DeletePart)->setChecked(true);
    return int(QDialog::Accepted);
  };
  ed.MouseMapClick();
  EXPECT_EQ(settings_.crossoverMouseMap, 424532);
  press(kSlot0X, kSlot0Y, Qt::LeftButton, Qt::NoModifier);
  EXPECT_EQ(ed.Parts()[0].type, PartNone);
  // Cancelling the dialog keeps the map.
  execDialog_ = [](QDialog& d) {
    dynamic_cast<MouseMapSettingsDialog&>(d).Group(0)->button(NoAction)->setChecked(true);
    return int(QDialog::Rejected);
  };
  ed.MouseMapClick();
  EXPECT_EQ(settings_.crossoverMouseMap, 424532);
}

TEST_F(CrossoverEditor, StatusLineShowsWhatEachMouseButtonDoes) {
  Start();
  CrossoverEditorWindow& ed = Open(0);
  auto* line = ed.findChild<QLabel*>(QStringLiteral("mouseMapLine"));
  ASSERT_NE(line, nullptr);
  EXPECT_FALSE(line->isHidden());
  // (on a screen narrower than the window the line takes two)
  EXPECT_EQ(line->text().replace(QLatin1Char('\n'), QString::fromUtf8(" · ")),
            QString::fromUtf8("Maus: Links: Draht · Rechts: editieren · Shift+Links: markieren · "
                              "Shift+Rechts: umpolen · Strg+Links: löschen · Strg+Rechts: umpolen"));
  // A new map shows at once.
  execDialog_ = [](QDialog& d) {
    dynamic_cast<MouseMapSettingsDialog&>(d).Group(0)->button(NoAction)->setChecked(true);
    return int(QDialog::Accepted);
  };
  ed.MouseMapClick();
  EXPECT_TRUE(line->text().startsWith(QString::fromUtf8("Maus: Links: nichts · Rechts: editieren")))
      << line->text().toStdString();
  // The whole grid stays in the drawing above the status line, and the
  // line fits the window, at every size.
  for (int level = 1; level <= 3; ++level) {
    ed.SetLevel(level);
    QApplication::processEvents();
    int bottom = 0;
    int right = 0;
    for (const DrawingRect& r : ed.HitRects()) {
      bottom = std::max(bottom, r.bottom);
      right = std::max(right, r.right);
    }
    EXPECT_LE(bottom, ed.PaintArea()->height()) << level;
    EXPECT_LE(right, ed.PaintArea()->width()) << level;
    // (on a screen narrower than the window it takes two lines)
    for (const QString& part : line->text().split(QLatin1Char('\n')))
      EXPECT_LE(line->fontMetrics().horizontalAdvance(part), ed.width() - 8) << level;
  }
}

TEST_F(CrossoverEditor, FreeWireDialogShowsNodeNumbersAndRewritesTheFreeWires) {
  Start();
  CrossoverEditorWindow& ed = Open(0);
  bool numbersShown = false;
  execDialog_ = [&](QDialog& d) {
    auto& fd = dynamic_cast<FreeWiresDialog&>(d);
    numbersShown = ed.FreeWireDialogOpen();
    EXPECT_EQ(fd.windowTitle(), QString::fromUtf8("Freie Drahtverbindungen"));
    EXPECT_EQ(fd.Box(3)->text(), QString::fromUtf8("3. freie Drahtverbindung"));
    EXPECT_TRUE(fd.From(1)->isHidden());
    fd.Box(1)->setChecked(true);
    EXPECT_FALSE(fd.From(1)->isHidden());
    fd.From(1)->setText(QStringLiteral("2"));
    fd.To(1)->setText(QStringLiteral("35"));
    fd.Box(2)->setChecked(true);
    fd.From(2)->setText(QString());  // a blank entry is node 0
    fd.To(2)->setText(QStringLiteral("99"));
    return int(QDialog::Accepted);
  };
  ed.FreeWiresClick();
  EXPECT_TRUE(numbersShown);
  EXPECT_FALSE(ed.FreeWireDialogOpen());
  EXPECT_EQ(ed.Parts()[178].type, PartWire);
  EXPECT_EQ(ed.Parts()[178].node1, 2);
  EXPECT_EQ(ed.Parts()[178].node2, 35);
  EXPECT_EQ(ed.Parts()[179].node1, 0);
  EXPECT_EQ(ed.Parts()[179].node2, 99);
  EXPECT_EQ(ed.Parts()[180].type, PartNone);
  // Only the pixel (0, 0) reaches a free wire: the last one.
  ed.ClickAt(0, 0, B::Left, true, false);  // Shift + left marks
  EXPECT_TRUE(ed.Parts()[185].optimize);
}

TEST_F(CrossoverEditor, PrintViewDrawsDotsOnlyAtJunctionsAndExports) {
  Start();
  CrossoverEditorWindow& ed = Open(0);
  const CrossoverGeometry g = ed.Geometry();
  // Node 1 joins capacitor, coil and amplifier; node 0 only capacitor and
  // tweeter; nodes 3 and 50 nothing. The dot reaches 2 pixels above a node.
  auto dotAbove = [&](const QImage& img, DrawingRect area, int node) {
    const DrawingPoint n = NodePosition(g, node);
    return img.pixelColor(n.x - area.left, n.y - 2 - area.top) == QColor(Qt::black);
  };
  // The print view shows the used part of the grid: nodes 0..13 and labels.
  const DrawingRect area = ed.PrintArea();
  EXPECT_EQ(area, (DrawingRect{0, 0, 15 + 2 * 86 + 120, 15 + 56 + 30}));
  const QImage print = ed.RenderPrintView();
  EXPECT_EQ(print.size(), QSize(area.right + 1, area.bottom + 1));
  EXPECT_TRUE(dotAbove(print, area, 1));
  EXPECT_FALSE(dotAbove(print, area, 0));
  EXPECT_FALSE(dotAbove(print, area, 3));

  const DrawingSize full = CrossoverDrawingSize(g);
  QImage edit(full.width, full.height, QImage::Format_RGB32);
  edit.fill(Qt::white);
  {
    QPainter p(&edit);
    ed.Paint(p);
  }
  EXPECT_TRUE(dotAbove(edit, {}, 0));
  EXPECT_TRUE(dotAbove(edit, {}, 50));

  ASSERT_TRUE(ed.SavePng(dir_ / "weiche.png"));
  EXPECT_EQ(QImage(QString::fromStdString((dir_ / "weiche.png").string())).size(), print.size());
  ui_.files.push_back(dir_ / "weiche");
  ed.ExportSvgClick();
  std::ifstream svg(dir_ / "weiche.svg");
  const std::string text((std::istreambuf_iterator<char>(svg)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("<svg"), std::string::npos);
  EXPECT_NE(text.find("4,70 µF"), std::string::npos);
  EXPECT_EQ(ui_.asked.back().text, "Druckansicht als SVG speichern");

  // Printed into a PDF file: one page with the drawing.
  QPrinter printer(QPrinter::ScreenResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString((dir_ / "weiche.pdf").string()));
  ASSERT_TRUE(ed.PrintTo(printer));
  EXPECT_GT(fs::file_size(dir_ / "weiche.pdf"), 1000u);

  // The page carries a heading above the drawing, which fills the width.
  QImage page(1123, 794, QImage::Format_RGB32);
  page.fill(Qt::white);
  {
    QPainter p(&page);
    ed.PaintPrintPage(p, page.rect());
  }
  if (std::getenv("SONVEX_KEEP_PAGE") != nullptr) page.save(QStringLiteral("/tmp/sonvex_print_page.png"));
  auto inkInRows = [&](int top, int bottom) {
    for (int y = top; y < bottom; ++y)
      for (int x = 0; x < page.width(); ++x)
        if (page.pixelColor(x, y).lightness() < 128) return true;
    return false;
  };
  // the used part is small: three times its size at most, below a heading
  // of twice the font size (794 / 45 = 17 pixels)
  EXPECT_TRUE(inkInRows(0, 34));
  const DrawingPoint n1 = NodePosition(g, 1);
  EXPECT_LT(page.pixelColor(n1.x * 3, 34 + n1.y * 3).lightness(), 128);
  EXPECT_GT(page.pixelColor(n1.x * 3, 34 + n1.y * 3 - 12).lightness(), 128);
}

// ---------------------------------------------------------------- part editor

TEST_F(CrossoverEditor, PartEditorShowsTheFieldsOfItsTypeAndStoresSIValues) {
  Start(testing::MakeLargeProject(20));
  PartEditorDialog& pe = PartEditor();
  struct Case {
    int partType;
    bool value, second, note, polarity, chassis, optimize;
  };
  const Case cases[] = {{0, false, false, false, false, false, false}, {1, false, false, false, false, false, false},
                        {2, true, false, true, false, false, true},    {3, true, false, true, false, false, true},
                        {4, true, true, true, false, false, true},     {5, false, false, false, true, true, false},
                        {6, false, false, false, true, false, false}};
  for (const Case& c : cases) {
    pe.SelectType(c.partType);
    EXPECT_EQ(!pe.ValueEdit()->isHidden(), c.value) << c.partType;
    EXPECT_EQ(!pe.WindingResistanceEdit()->isHidden(), c.second) << c.partType;
    EXPECT_EQ(!pe.NoteEdit()->isHidden(), c.note) << c.partType;
    EXPECT_EQ(!pe.InvertBox()->isHidden(), c.polarity) << c.partType;
    EXPECT_EQ(!pe.ChassisList()->isHidden(), c.chassis) << c.partType;
    EXPECT_EQ(!pe.OptimizeBox()->isHidden(), c.optimize) << c.partType;
  }

  // A coil: mH and Ohm on show, H and Ohm on OK.
  CrossoverPart coil;
  coil.type = PartInductor;
  coil.value = 1.2e-3;
  coil.resistance = 0.35;
  coil.note = "Luft";
  coil.optimize = true;
  pe.Fill(coil, doc_->CurrentProject());
  EXPECT_EQ(pe.ValueEdit()->text(), QStringLiteral("1,2"));
  EXPECT_EQ(pe.WindingResistanceEdit()->text(), QStringLiteral("0,35"));
  EXPECT_EQ(pe.ValueUnit()->text(), QStringLiteral("mH"));
  EXPECT_TRUE(pe.OptimizeBox()->isChecked());
  pe.ValueEdit()->setText(QStringLiteral("1.5"));
  CrossoverPart out = pe.Take();
  EXPECT_DOUBLE_EQ(out.value, 0.0015);
  EXPECT_DOUBLE_EQ(out.resistance, 0.35);
  EXPECT_EQ(out.note, "Luft");
  EXPECT_TRUE(out.optimize);

  // A capacitor in µF.
  CrossoverPart cap;
  cap.type = PartCapacitor;
  cap.value = 4.7e-6;
  pe.Fill(cap, doc_->CurrentProject());
  EXPECT_EQ(pe.ValueEdit()->text(), QStringLiteral("4,7"));
  EXPECT_EQ(pe.ValueUnit()->text(), QString::fromUtf8("µF"));
  pe.ValueEdit()->setText(QStringLiteral("10"));
  EXPECT_DOUBLE_EQ(pe.Take().value, 10e-6);

  // A chassis part of slot 8 shows the eighth line; polarity and the mark.
  CrossoverPart chassis;
  chassis.type = PartChassis;
  chassis.chassisSlot = 8;
  chassis.reversedPolarity = 2;
  chassis.optimize = true;
  pe.Fill(chassis, doc_->CurrentProject());
  ASSERT_EQ(pe.ChassisList()->count(), 8);
  EXPECT_EQ(pe.ChassisList()->currentRow(), 7);
  EXPECT_EQ(pe.ChassisList()->item(1)->text(), QString::fromUtf8("2: Test-Tieftöner 17"));
  EXPECT_TRUE(pe.InvertBox()->isChecked());
  pe.ChassisList()->setCurrentRow(2);
  pe.InvertBox()->setChecked(false);
  out = pe.Take();
  EXPECT_EQ(out.chassisSlot, 2);
  EXPECT_EQ(out.reversedPolarity, -1);
  EXPECT_FALSE(out.optimize);  // only resistors, capacitors and coils carry the mark

  // An empty slot made a resistor with an emptied value field: 0 Ohm.
  CrossoverPart empty;
  pe.Fill(empty, doc_->CurrentProject());
  pe.TypeButton(PartResistor)->click();
  pe.ValueEdit()->clear();
  out = pe.Take();
  EXPECT_EQ(out.type, PartResistor);
  EXPECT_EQ(out.value, 0.0);
}

TEST_F(CrossoverEditor, PartsLibraryListsTheFilesAndFillsThePart) {
  WriteParts("widerstaende.txt", "R;MOX 2,2;2.2;\r\nr;- Draht -;0;\r\nR;MOX 2,2;2.2;\r\n");
  WriteParts("spulen.txt", "L;Luft 1,5;1.5;0.4\nc;Trenner;0;\nC;MKP 4,7;4,7;\n");
  Start();
  PartEditorDialog& pe = PartEditor();
  PartsLibraryDialog& lib = *pe.Library();

  CrossoverPart part;
  pe.Fill(part, doc_->CurrentProject());
  pe.TypeButton(PartResistor)->click();
  pe.ValueEdit()->clear();
  int runs = 0;
  execDialog_ = [&](QDialog& d) {
    EXPECT_EQ(&d, &lib);
    ++runs;
    EXPECT_EQ(lib.windowTitle(), QString::fromUtf8("Sonvex - Weichenbauteile"));
    EXPECT_EQ(lib.Pages()->currentIndex(), 0);
    QListWidget* list = lib.List(LibraryPage::Resistors);
    EXPECT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(0)->text(), QString::fromUtf8("MOX 2,2:2.2 Ohm"));
    EXPECT_EQ(list->item(1)->text(), QString::fromUtf8(kPartsSeparatorLine.data()));
    // an empty field never preselects a separator line
    EXPECT_EQ(list->currentRow(), -1);
    EXPECT_EQ(lib.SelectedLabel()->text(), QString::fromUtf8("Ausgewählt:"));
    list->setCurrentRow(0);
    EXPECT_EQ(lib.SelectedLabel()->text(), QString::fromUtf8("Ausgewählt: MOX 2,2:2.2 Ohm"));
    return int(QDialog::Accepted);
  };
  pe.LibraryClick();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(pe.ValueEdit()->text(), QStringLiteral("2,2"));
  EXPECT_EQ(pe.NoteEdit()->text(), QStringLiteral("MOX 2,2"));
  CrossoverPart out = pe.Take();
  EXPECT_EQ(out.type, PartResistor);
  EXPECT_DOUBLE_EQ(out.value, 2.2);
  EXPECT_EQ(out.note, "MOX 2,2");

  // Opened again on that part, the last matching entry is preselected.
  execDialog_ = [&](QDialog&) {
    EXPECT_EQ(lib.List(LibraryPage::Resistors)->currentRow(), 2);
    EXPECT_EQ(lib.SelectedLabel()->text(), QString::fromUtf8("Ausgewählt: MOX 2,2:2.2 Ohm"));
    return int(QDialog::Rejected);
  };
  pe.LibraryClick();

  // A coil fills both values; "&Ok" stores Henry and Ohm.
  pe.SelectType(PartInductor);
  execDialog_ = [&](QDialog&) {
    EXPECT_EQ(lib.Pages()->currentIndex(), 1);
    lib.List(LibraryPage::Coils)->setCurrentRow(0);
    return int(QDialog::Accepted);
  };
  pe.LibraryClick();
  EXPECT_EQ(pe.SelectedType(), PartInductor);
  EXPECT_EQ(pe.ValueEdit()->text(), QStringLiteral("1,5"));
  EXPECT_EQ(pe.WindingResistanceEdit()->text(), QStringLiteral("0,4"));
  out = pe.Take();
  EXPECT_DOUBLE_EQ(out.value, 0.0015);
  EXPECT_DOUBLE_EQ(out.resistance, 0.4);
  EXPECT_EQ(out.note, "Luft 1,5");

  // The separator line of a lower-case "c" turns the part into a wire.
  pe.SelectType(PartCapacitor);
  execDialog_ = [&](QDialog&) {
    EXPECT_EQ(lib.Pages()->currentIndex(), 2);
    EXPECT_EQ(lib.List(LibraryPage::Capacitors)->item(0)->text(), QString::fromUtf8(kPartsSeparatorLine.data()));
    lib.List(LibraryPage::Capacitors)->setCurrentRow(0);
    return int(QDialog::Accepted);
  };
  pe.LibraryClick();
  EXPECT_EQ(pe.SelectedType(), PartWire);
  EXPECT_EQ(pe.Take().type, PartWire);

  // OK without a choice changes nothing.
  pe.SelectType(PartCapacitor);
  pe.ValueEdit()->setText(QStringLiteral("3,3"));
  execDialog_ = [](QDialog&) { return int(QDialog::Accepted); };
  pe.LibraryClick();
  EXPECT_EQ(pe.SelectedType(), PartCapacitor);
  EXPECT_EQ(pe.ValueEdit()->text(), QStringLiteral("3,3"));
}

TEST_F(CrossoverEditor, PartsLibraryTakesOnlyAnEntryTheUserPicked) {
  // The shipped lists begin with a separator line: a row that became current
  // by itself must not turn the part into a wire.
  WriteParts("widerstaende.txt", "R;- Metalloxid -;0;\r\nR;MOX 2,2;2.2;\r\nR;MOX 3,3;3.3;\r\n");
  Start();
  PartEditorDialog& pe = PartEditor();
  PartsLibraryDialog& lib = *pe.Library();
  QListWidget* list = lib.List(LibraryPage::Resistors);
  CrossoverPart part;
  part.type = PartResistor;
  part.value = 4.7;  // not in the library: nothing is preselected
  part.note = "Draht 4,7";

  // Tab into the list, then Enter; the same after a visit that ended with a
  // double click on an entry.
  for (const bool afterDoubleClick : {false, true}) {
    pe.Fill(part, doc_->CurrentProject());
    if (afterDoubleClick) {
      execDialog_ = [&](QDialog&) {
        list->setCurrentRow(2);
        emit list->itemDoubleClicked(list->item(2));
        return lib.result();
      };
      pe.LibraryClick();
      ASSERT_EQ(pe.ValueEdit()->text(), QStringLiteral("3,3"));
      pe.Fill(part, doc_->CurrentProject());
    }
    QString label;
    bool chosen = true;
    execDialog_ = [&](QDialog&) {
      QFocusEvent tabIn(QEvent::FocusIn, Qt::TabFocusReason);
      QApplication::sendEvent(list, &tabIn);
      EXPECT_EQ(list->currentRow(), 0);  // the list made its first row current
      label = lib.SelectedLabel()->text();
      chosen = lib.Choice().has_value();
      return int(QDialog::Accepted);  // Enter: the default button "&Ok"
    };
    pe.LibraryClick();
    EXPECT_EQ(label, QString::fromUtf8("Ausgewählt:")) << afterDoubleClick;
    EXPECT_FALSE(chosen) << afterDoubleClick;
    const CrossoverPart out = pe.Take();
    EXPECT_EQ(out.type, PartResistor) << afterDoubleClick;
    EXPECT_DOUBLE_EQ(out.value, 4.7) << afterDoubleClick;
    EXPECT_EQ(out.note, "Draht 4,7") << afterDoubleClick;
  }

  // The arrow keys choose as a click does.
  pe.Fill(part, doc_->CurrentProject());
  execDialog_ = [&](QDialog&) {
    QFocusEvent tabIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(list, &tabIn);
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(list, &down);
    EXPECT_EQ(lib.SelectedLabel()->text(), QString::fromUtf8("Ausgewählt: MOX 2,2:2.2 Ohm"));
    return int(QDialog::Accepted);
  };
  pe.LibraryClick();
  EXPECT_DOUBLE_EQ(pe.Take().value, 2.2);
}

TEST_F(CrossoverEditor, PartsLibraryColumnsAreAsWideAsTheirLongestEntry) {
  WriteParts("spulen.txt", "L;Luftspule 1,4mm CU Backlack;0,56;0,23\nL;L 1;1;0,1\n");
  Start();
  PartsLibraryDialog& lib = *PartEditor().Library();
  lib.Prepare("", PartInductor, 0, 0);
  QListWidget* list = lib.List(LibraryPage::Coils);
  const int longest = list->fontMetrics().horizontalAdvance(list->item(0)->text());
  EXPECT_GT(list->gridSize().width(), longest);
  EXPECT_LT(list->gridSize().width(), longest + 60);
}

TEST_F(CrossoverEditor, PartsLibraryFitsTheScreenAndTabLeadsFromTheTypeToTheValue) {
  Start();
  PartEditorDialog& pe = PartEditor();
  QSize librarySize;
  execDialog_ = [&](QDialog& d) {
    if (auto* lib = dynamic_cast<PartsLibraryDialog*>(&d)) librarySize = lib->size();
    return int(QDialog::Rejected);
  };
  CrossoverPart resistor;
  resistor.type = PartResistor;
  resistor.value = 2.2;
  pe.Fill(resistor, doc_->CurrentProject());
  pe.LibraryClick();
  const QSize room = pe.screen()->availableGeometry().size() - kWindowFrameRoom;
  ASSERT_LT(room.width(), 840) << "the test needs a screen narrower than the list window";
  EXPECT_LE(librarySize.width(), room.width());
  EXPECT_LE(librarySize.height(), room.height());

  // Tab from the type buttons reaches the value field next.
  pe.show();
  pe.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&pe));
  pe.TypeButton(PartResistor)->setFocus();
  QTest::keyClick(pe.TypeButton(PartResistor), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), pe.ValueEdit());
  pe.hide();
}

TEST_F(CrossoverEditor, ChoosingATypeForASlotThatNeverHeldAPartLeavesTheValueEmpty) {
  Start();
  PartEditorDialog& pe = PartEditor();
  for (const int partType : {PartResistor, PartCapacitor, PartInductor}) {
    pe.Fill(CrossoverPart{}, doc_->CurrentProject());
    pe.TypeButton(partType)->click();
    EXPECT_EQ(pe.ValueEdit()->text(), QString()) << partType;
    const CrossoverPart out = pe.Take();
    EXPECT_EQ(out.type, partType);
    EXPECT_EQ(out.value, 0.0) << partType;
  }
}

// "&Ok" takes a resistor, capacitor or coil only with a value above 0 (a
// 0 µF capacitor in series would cut the way off, a 0 mH coil be a wire) and
// a coil only with a winding resistance of 0 or more; the editor says why.
TEST_F(CrossoverEditor, PartEditorOkWaitsForAValueThePartCanHave) {
  Start();
  PartEditorDialog& pe = PartEditor();
  const char* const kOhm = "Der Wert muss eine Zahl größer als 0 Ohm sein.";
  const char* const kMicro = "Der Wert muss eine Zahl größer als 0 µF sein.";
  const char* const kMilli = "Der Wert muss eine Zahl größer als 0 mH sein.";
  const char* const kWinding = "Der R-Wert der Spule muss eine Zahl ab 0 Ohm sein.";
  struct Case {
    int partType;
    const char *value, *second;
    const char* says;  // nullptr: "&Ok"
  };
  const Case cases[] = {
      {PartResistor, "8,2", "abc", nullptr},  // a resistor has no winding resistance
      {PartResistor, "abc", "0", kOhm},        {PartResistor, "0", "0", kOhm},
      {PartCapacitor, "4,7", "0", nullptr},    {PartCapacitor, "0", "0", kMicro},
      {PartCapacitor, "", "0", kMicro},        {PartCapacitor, "1e999", "0", kMicro},
      {PartCapacitor, "-4,7", "0", kMicro},    {PartInductor, "1,5", "0", nullptr},
      {PartInductor, "0", "0,3", kMilli},      {PartInductor, "1,5", "", kWinding},
      {PartInductor, "1,5", "-0,1", kWinding}, {PartInductor, "1,5", "1e999", kWinding},
      {PartWire, "abc", "abc", nullptr},       {PartChassis, "", "", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.partType) + " " + c.value + " / " + c.second);
    pe.Fill(CrossoverPart{}, doc_->CurrentProject());
    pe.SelectType(c.partType);
    pe.ValueEdit()->setText(QString::fromUtf8(c.value));
    pe.WindingResistanceEdit()->setText(QString::fromUtf8(c.second));
    EXPECT_EQ(pe.OkButton()->isEnabled(), c.says == nullptr);
    EXPECT_EQ(pe.ProblemLabel()->isVisibleTo(&pe), c.says != nullptr);
    if (c.says != nullptr) {
      EXPECT_EQ(pe.ProblemLabel()->text(), QString::fromUtf8(c.says));
    }
  }
  // An empty value field is framed like one that holds no number.
  pe.Fill(CrossoverPart{}, doc_->CurrentProject());
  pe.SelectType(PartCapacitor);
  EXPECT_EQ(pe.ValueEdit()->text(), QString());
  EXPECT_TRUE(pe.ValueEdit()->styleSheet().contains("border"));
  EXPECT_EQ(pe.ValueEdit()->toolTip(), QString::fromUtf8(kNoNumberTip));

  // Ok and Return do not close the editor on such a value: the part stays.
  CrossoverPart cap;
  cap.type = PartCapacitor;
  cap.value = 4.7e-6;
  execDialog_ = [](QDialog& d) {
    auto& editor = dynamic_cast<PartEditorDialog&>(d);
    editor.ValueEdit()->setText(QStringLiteral("0"));
    editor.OkButton()->click();
    d.accept();
    return d.result();
  };
  CrossoverPart part = cap;
  EXPECT_FALSE(pe.Edit(part, doc_->CurrentProject()));
  EXPECT_EQ(part, cap);
}

TEST_F(CrossoverEditor, OptimizerModeHidesOtherTypesAndPages) {
  Start();
  PartEditorDialog& pe = PartEditor();
  pe.RestrictToType(PartCapacitor);
  for (int t = PartNone; t <= PartAmplifier; ++t)
    EXPECT_EQ(!pe.TypeButton(t)->isHidden(), t == PartNone || t == PartWire || t == PartCapacitor) << t;
  QTabWidget* pages = pe.Library()->Pages();
  EXPECT_FALSE(pages->isTabVisible(0));
  EXPECT_FALSE(pages->isTabVisible(1));
  EXPECT_TRUE(pages->isTabVisible(2));
  pe.ClearRestriction();
  for (int t = PartNone; t <= PartAmplifier; ++t) EXPECT_FALSE(pe.TypeButton(t)->isHidden()) << t;
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(pages->isTabVisible(i));
}

}  // namespace
}  // namespace sonvex
