// The crossover schematic editor, the part editor and the parts library on a
// project document, with a scripted interaction.
#include "ui/editors/weiche_editor.h"
#include "document_fixture.h"
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
using B = TMouseButton;

// Points inside the hit rectangles of a few slots at the middle size level.
constexpr int kSlot0X = 50, kSlot0Y = 10;    // horizontal slot 0, nodes 0-1
constexpr int kSlot90X = 30, kSlot90Y = 45;  // vertical slot 90, nodes 0-11

// A document with the part editor and the crossover editor built on it as
// the main window builds them; their modal dialogs run through execDialog.
class WeicheEditor : public TDocumentFixture<> {
 protected:
  void TearDown() override {
    editor.reset();
    partEditor.reset();
    TDocumentFixture::TearDown();
  }
  TFormWeicheneditor& Start(std::unique_ptr<TProjekt> project = testing::MakeTwoWayProject(60)) {
    StartDocument(*project);
    partEditor = std::make_unique<TFormParteditor>(settings, ui);
    partEditor->execDialog = [this](QDialog& d) { return execDialog(d); };
    editor = std::make_unique<TFormWeicheneditor>(*doc, settings, ui, *partEditor,
                                                  [this](QDialog& d) { return execDialog(d); });
    return *editor;
  }
  // Opens the editor on amplifier `amp` (0-based) as the menu item does.
  TFormWeicheneditor& Open(int amp) {
    editor->OpenFor(amp);
    return *editor;
  }
  TFormParteditor& PartEditor() { return *partEditor; }
  void WriteParts(const char* name, const std::string& text) {
    std::ofstream(settings.partsFolder / name, std::ios::binary) << text;
  }

  // How the modal dialogs run: the tests fill and confirm them.
  std::function<int(QDialog&)> execDialog = [](QDialog&) { return int(QDialog::Rejected); };
  std::unique_ptr<TFormParteditor> partEditor;
  std::unique_ptr<TFormWeicheneditor> editor;
};

// The window's designed size, cut to the screen's room less a window frame.
QSize FittedSize(const QWidget& w, int width, int height) {
  const QSize room = w.screen()->availableGeometry().size() - kWindowFrameRoom;
  return {std::min(width, room.width()), std::min(height, room.height())};
}

TEST_F(WeicheEditor, OpensNonModalAtTheMiddleSizeAndClosesWithoutApplying) {
  Start();
  std::vector<bool> told;  // what the editor tells the windows that follow it
  QObject::connect(editor.get(), &TFormWeicheneditor::openChanged, [&](bool open) { told.push_back(open); });
  TFormWeicheneditor& ed = Open(1);
  EXPECT_EQ(ed.windowTitle(), QString::fromUtf8("Weicheneditor - Verstärker 2"));
  EXPECT_TRUE(ed.isVisible());
  EXPECT_FALSE(ed.isModal());
  EXPECT_EQ(ed.Amp(), 1);
  EXPECT_EQ(ed.Parts()[91]._typ, ptChass);
  EXPECT_EQ(told, std::vector<bool>{true});
  // The middle size: 1068 x 530 (on the smaller test screen the room it
  // has), the edit view.
  EXPECT_EQ(ed.size(), FittedSize(ed, 1068, 530));
  EXPECT_TRUE(ed.Action("actSize2")->isChecked());
  EXPECT_FALSE(ed.PrintView());

  ed.CancelClick();
  EXPECT_EQ(ed.Amp(), -1);
  EXPECT_FALSE(ed.isVisible());
  EXPECT_EQ(told, (std::vector<bool>{true, false}));
  EXPECT_EQ(doc->UndoStack().Count(), 0);  // nothing applied

  // The size level is a setting shared by every session.
  Open(0);
  ed.SetLevel(3);
  EXPECT_EQ(settings.WEsize, 3);
  EXPECT_EQ(ed.size(), FittedSize(ed, 1236, 596));
  ed.SetPrintView(true);
  ed.SetLevel(1);  // a size change returns to the edit view
  EXPECT_FALSE(ed.PrintView());
  EXPECT_EQ(ed.HitRects()[0], (TWeRect{23, 2, 84, 27}));
  // A new project closes the editor without applying.
  doc->New();
  EXPECT_EQ(ed.Amp(), -1);
  EXPECT_EQ(told, (std::vector<bool>{true, false, true, false}));
}

TEST_F(WeicheEditor, FitsTheScreenWithTheDrawingScrollingAndTheButtonsInView) {
  Start();
  for (const int level : {1, 2, 3}) {
    settings.WEsize = level;
    TFormWeicheneditor& ed = Open(0);
    ed.move(184, 508);
    ed.SetLevel(level);
    const QRect screen = ed.screen()->geometry();
    ASSERT_GT(WeicheWindowSize(ed.Geometry()).width, screen.width()) << "the test needs a screen narrower than the window";
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

TEST_F(WeicheEditor, EscapeMeansAbbruchAndOkHasAMnemonic) {
  Start();
  TFormWeicheneditor& ed = Open(0);
  ed.MarkClick(TMarkAll::AllComponents);
  ed.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&ed));
  QTest::keyClick(ed.PaintArea(), Qt::Key_Escape);
  EXPECT_EQ(ed.Amp(), -1);
  EXPECT_FALSE(ed.isVisible());
  EXPECT_EQ(doc->UndoStack().Count(), 0);
  EXPECT_EQ(ed.OkButton()->text(), QStringLiteral("&Ok"));
}

TEST_F(WeicheEditor, ResistorEditedInTheEditorChangesTheChartsAfterTheRecalculation) {
  Start();
  const TComplex before = doc->ShownResult().ChassisU[2][30];
  TFormWeicheneditor& ed = Open(1);
  // Ctrl + left deletes the wire from node 0 to 1, left makes it again.
  ed.ClickAt(kSlot0X, kSlot0Y, B::Left, false, true);
  EXPECT_EQ(ed.Parts()[0]._typ, ptNone);
  ed.ClickAt(kSlot0X, kSlot0Y, B::Left, false, false);
  EXPECT_EQ(ed.Parts()[0]._typ, ptWire);
  // Right opens the part editor, which makes it a 2.2 Ohm resistor.
  int opened = 0;
  execDialog = [&](QDialog& d) {
    auto* pe = dynamic_cast<TFormParteditor*>(&d);
    if (pe == nullptr) return int(QDialog::Rejected);
    ++opened;
    // It stands in front of the crossover editor, as its child window.
    EXPECT_EQ(pe->parentWidget(), editor.get());
    EXPECT_TRUE(pe->isWindow());
    EXPECT_EQ(pe->windowTitle(), QString::fromUtf8("Bauteil editieren"));
    EXPECT_TRUE(pe->TypeButton(ptWire)->isChecked());
    EXPECT_TRUE(pe->ValueEdit()->text().isEmpty());
    pe->TypeButton(ptR)->click();
    pe->ValueEdit()->setText(QStringLiteral("2,2"));
    return int(QDialog::Accepted);
  };
  ed.ClickAt(kSlot0X, kSlot0Y, B::Right, false, false);
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(PartEditor().parentWidget(), nullptr);  // given back afterwards
  EXPECT_EQ(ed.Parts()[0]._typ, ptR);
  EXPECT_DOUBLE_EQ(ed.Parts()[0]._value, 2.2);
  EXPECT_EQ(ed.Parts()[0]._nod1, 0);
  EXPECT_EQ(ed.Parts()[0]._nod2, 1);
  // Nothing reaches the project before OK.
  EXPECT_EQ(doc->Project().Verstaerker[1].crossover[0]._typ, ptWire);

  std::mutex m;
  std::vector<int> ran;
  doc->CalcThread().onItemRun = [&](int item) {
    std::lock_guard<std::mutex> lock(m);
    ran.push_back(item);
  };
  ed.OkClick();
  EXPECT_TRUE(ui.asked.empty());
  EXPECT_EQ(UndoCaption(), "Rückgängig \"Weiche 2 editieren\"");
  EXPECT_EQ(doc->Project().Verstaerker[1].crossover[0]._typ, ptR);
  EXPECT_DOUBLE_EQ(doc->Project().Verstaerker[1].crossover[0]._value, 2.2);
  EXPECT_FALSE(doc->Project().bSaved);
  EXPECT_EQ(ed.Amp(), -1);
  ASSERT_TRUE(doc->WaitCalcIdle());
  doc->CalcThread().onItemRun = nullptr;
  EXPECT_EQ(ran, (std::vector<int>{TCalcStruct::kCheck, TCalcStruct::kWeiche0 + 1, TCalcStruct::kGesamt}));
  // 2.2 Ohm in series with the chassis lowers its voltage.
  const TComplex after = doc->ShownResult().ChassisU[2][30];
  EXPECT_LT(std::hypot(after.re, after.im), std::hypot(before.re, before.im) * 0.9);

  // Undo brings the wire back.
  doc->Undo();
  EXPECT_EQ(doc->Project().Verstaerker[1].crossover[0]._typ, ptWire);
}

TEST_F(WeicheEditor, DeletedResistorKeepsItsValueForTheNextPart) {
  auto project = testing::MakeTwoWayProject(60);
  testing::PlacePart(*project, 1, 0, ptR, 2.2);
  project->Verstaerker[1].crossover[0]._bem = "MOX 2,2";
  Start(std::move(project));
  TFormWeicheneditor& ed = Open(1);
  ed.ClickAt(kSlot0X, kSlot0Y, B::Left, false, true);   // delete
  ed.ClickAt(kSlot0X, kSlot0Y, B::Left, false, false);  // wire
  QString shown;
  execDialog = [&](QDialog& d) {
    auto& pe = dynamic_cast<TFormParteditor&>(d);
    pe.TypeButton(ptR)->click();
    shown = pe.ValueEdit()->text();
    return int(QDialog::Accepted);
  };
  ed.ClickAt(kSlot0X, kSlot0Y, B::Right, false, false);
  EXPECT_EQ(shown, QStringLiteral("2,2"));
  EXPECT_EQ(ed.Parts()[0]._typ, ptR);
  EXPECT_DOUBLE_EQ(ed.Parts()[0]._value, 2.2);
  EXPECT_EQ(ed.Parts()[0]._bem, "MOX 2,2");
}

TEST_F(WeicheEditor, OkAsksAboutAMissingAmplifierAndChassis) {
  Start();
  TFormWeicheneditor& ed = Open(1);
  ed.ClickAt(kSlot90X, kSlot90Y, B::Left, false, true);  // delete the amplifier output
  ASSERT_EQ(ed.Parts()[90]._typ, ptNone);
  ui.buttons = {1};  // "jetzt ändern"
  ed.OkClick();
  ASSERT_EQ(ui.asked.size(), 1u);
  EXPECT_EQ(ui.asked[0].text, kNoAmpText);
  EXPECT_EQ(ui.asked[0].options, "jetzt ändern|soll so bleiben");
  EXPECT_EQ(ed.Amp(), 1);  // still open, nothing applied
  EXPECT_EQ(doc->UndoStack().Count(), 0);

  ed.Parts()[91]._typ = ptWire;  // no chassis either
  ui.buttons = {2, 1};           // the amplifier may stay missing, the chassis not
  ed.OkClick();
  ASSERT_EQ(ui.asked.size(), 3u);
  EXPECT_EQ(ui.asked[2].text, kNoChassisText);
  EXPECT_EQ(ed.Amp(), 1);

  ui.buttons = {2, 2};
  ed.OkClick();
  EXPECT_EQ(ed.Amp(), -1);
  EXPECT_EQ(doc->Project().Verstaerker[1].crossover[90]._typ, ptNone);
  EXPECT_EQ(UndoCaption(), "Rückgängig \"Weiche 2 editieren\"");
}

TEST_F(WeicheEditor, ApplyKeepsTheEditorOpenAndCancelKeepsWhatWasApplied) {
  Start();
  TFormWeicheneditor& ed = Open(0);
  ed.MarkClick(TMarkAll::AllComponents);
  ed.ApplyClick();
  EXPECT_EQ(ed.Amp(), 0);
  EXPECT_TRUE(doc->Project().Verstaerker[0].crossover[0]._bOpti);  // the capacitor
  EXPECT_TRUE(doc->Project().Verstaerker[0].crossover[1]._bOpti);  // the coil
  EXPECT_FALSE(doc->Project().Verstaerker[0].crossover[90]._bOpti);
  ed.MarkClick(TMarkAll::None);
  ed.CancelClick();
  EXPECT_TRUE(doc->Project().Verstaerker[0].crossover[0]._bOpti);
  EXPECT_EQ(doc->UndoStack().Count(), 1);
}

TEST_F(WeicheEditor, HasPendingChangesUntilApplied) {
  Start();
  TFormWeicheneditor& ed = Open(0);
  EXPECT_FALSE(ed.HasPendingChanges());
  ed.MarkClick(TMarkAll::AllComponents);
  EXPECT_TRUE(ed.HasPendingChanges());
  ed.ApplyClick();
  EXPECT_FALSE(ed.HasPendingChanges());
  ed.MarkClick(TMarkAll::None);
  EXPECT_TRUE(ed.HasPendingChanges());
  ed.CancelClick();
  EXPECT_FALSE(ed.HasPendingChanges());
}

// Counts the paint events a widget receives.
class TPaintCounter : public QObject {
 public:
  int paints = 0;

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++paints;
    return QObject::eventFilter(o, e);
  }
};

TEST_F(WeicheEditor, DrawingFollowsAChassisRenamedElsewhere) {
  Start();
  TFormWeicheneditor& ed = Open(0);
  QApplication::processEvents();
  TPaintCounter counter;
  ed.PaintArea()->installEventFilter(&counter);
  QApplication::processEvents();
  counter.paints = 0;
  {
    TProjectEdit edit(*doc, "Chassis 1 editieren", TRecalc::Incremental);
    edit.Project().Chassis[0].Name = "Umbenannt";
    edit.Commit();
  }
  QApplication::processEvents();
  EXPECT_GT(counter.paints, 0);
  ed.PaintArea()->removeEventFilter(&counter);
}

TEST_F(WeicheEditor, RealMouseEventsFollowTheActionMap) {
  Start();
  TFormWeicheneditor& ed = Open(0);
  auto press = [&](int x, int y, Qt::MouseButton button, Qt::KeyboardModifiers mods) {
    QWidget* area = ed.PaintArea();
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(x, y), area->mapToGlobal(QPointF(x, y)), button, button, mods);
    QApplication::sendEvent(area, &e);
  };
  // Shift + Ctrl + left acts as Shift + left: mark the capacitor.
  press(kSlot0X, kSlot0Y, Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier);
  EXPECT_TRUE(ed.Parts()[0]._bOpti);
  // Shift + right inverts the tweeter (slot 90).
  press(kSlot90X, kSlot90Y, Qt::RightButton, Qt::ShiftModifier);
  EXPECT_EQ(ed.Parts()[90]._verpolt, 2);
  // The middle button does nothing; outside every slot nothing happens.
  const TCrossover before = ed.Parts();
  press(kSlot0X, kSlot0Y, Qt::MiddleButton, Qt::NoModifier);
  press(5, 5, Qt::LeftButton, Qt::NoModifier);
  EXPECT_EQ(ed.Parts(), before);

  // A new map from the dialog: left click deletes.
  execDialog = [](QDialog& d) {
    auto& map = dynamic_cast<TFormTastbeleg&>(d);
    EXPECT_EQ(map.windowTitle(), QString::fromUtf8("Tastaturbelegung im Weicheneditor"));
    EXPECT_EQ(map.Group(0)->checkedId(), waWire);
    EXPECT_EQ(map.Group(2)->checkedId(), waOptimize);
    EXPECT_EQ(map.Group(5)->checkedId(), waInvert);
    map.Group(0)->button(waDelete)->setChecked(true);
    return int(QDialog::Accepted);
  };
  ed.MouseMapClick();
  EXPECT_EQ(settings.TBWEopti, 424532);
  press(kSlot0X, kSlot0Y, Qt::LeftButton, Qt::NoModifier);
  EXPECT_EQ(ed.Parts()[0]._typ, ptNone);
  // Cancelling the dialog keeps the map.
  execDialog = [](QDialog& d) {
    dynamic_cast<TFormTastbeleg&>(d).Group(0)->button(waNone)->setChecked(true);
    return int(QDialog::Rejected);
  };
  ed.MouseMapClick();
  EXPECT_EQ(settings.TBWEopti, 424532);
}

TEST_F(WeicheEditor, StatusLineShowsWhatEachMouseButtonDoes) {
  Start();
  TFormWeicheneditor& ed = Open(0);
  auto* line = ed.findChild<QLabel*>(QStringLiteral("MouseMapLine"));
  ASSERT_NE(line, nullptr);
  EXPECT_FALSE(line->isHidden());
  // (on a screen narrower than the window the line takes two)
  EXPECT_EQ(line->text().replace(QLatin1Char('\n'), QString::fromUtf8(" · ")), QString::fromUtf8("Maus: Links: Draht · Rechts: editieren · Shift+Links: markieren · "
                                            "Shift+Rechts: umpolen · Strg+Links: löschen · Strg+Rechts: umpolen"));
  // A new map shows at once.
  execDialog = [](QDialog& d) {
    dynamic_cast<TFormTastbeleg&>(d).Group(0)->button(waNone)->setChecked(true);
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
    for (const TWeRect& r : ed.HitRects()) {
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

TEST_F(WeicheEditor, FreeWireDialogShowsNodeNumbersAndRewritesTheFreeWires) {
  Start();
  TFormWeicheneditor& ed = Open(0);
  bool numbersShown = false;
  execDialog = [&](QDialog& d) {
    auto& fd = dynamic_cast<TFormFreiDraht&>(d);
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
  EXPECT_EQ(ed.Parts()[178]._typ, ptWire);
  EXPECT_EQ(ed.Parts()[178]._nod1, 2);
  EXPECT_EQ(ed.Parts()[178]._nod2, 35);
  EXPECT_EQ(ed.Parts()[179]._nod1, 0);
  EXPECT_EQ(ed.Parts()[179]._nod2, 99);
  EXPECT_EQ(ed.Parts()[180]._typ, ptNone);
  // Only the pixel (0, 0) reaches a free wire: the last one.
  ed.ClickAt(0, 0, B::Left, true, false);  // Shift + left marks
  EXPECT_TRUE(ed.Parts()[185]._bOpti);
}

TEST_F(WeicheEditor, PrintViewDrawsDotsOnlyAtJunctionsAndExports) {
  Start();
  TFormWeicheneditor& ed = Open(0);
  const TWeicheGeometry g = ed.Geometry();
  // Node 1 joins capacitor, coil and amplifier; node 0 only capacitor and
  // tweeter; nodes 3 and 50 nothing. The dot reaches 2 pixels above a node.
  auto dotAbove = [&](const QImage& img, TWeRect area, int node) {
    const TWePoint n = NodePosition(g, node);
    return img.pixelColor(n.x - area.left, n.y - 2 - area.top) == QColor(Qt::black);
  };
  // The print view shows the used part of the grid: nodes 0..13 and labels.
  const TWeRect area = ed.PrintArea();
  EXPECT_EQ(area, (TWeRect{0, 0, 15 + 2 * 86 + 120, 15 + 56 + 30}));
  const QImage print = ed.RenderPrintView();
  EXPECT_EQ(print.size(), QSize(area.right + 1, area.bottom + 1));
  EXPECT_TRUE(dotAbove(print, area, 1));
  EXPECT_FALSE(dotAbove(print, area, 0));
  EXPECT_FALSE(dotAbove(print, area, 3));

  const TWeSize full = WeicheDrawingSize(g);
  QImage edit(full.width, full.height, QImage::Format_RGB32);
  edit.fill(Qt::white);
  {
    QPainter p(&edit);
    ed.Paint(p);
  }
  EXPECT_TRUE(dotAbove(edit, {}, 0));
  EXPECT_TRUE(dotAbove(edit, {}, 50));

  ASSERT_TRUE(ed.SavePng(dir / "weiche.png"));
  EXPECT_EQ(QImage(QString::fromStdString((dir / "weiche.png").string())).size(), print.size());
  ui.files.push_back(dir / "weiche");
  ed.ExportSvgClick();
  std::ifstream svg(dir / "weiche.svg");
  const std::string text((std::istreambuf_iterator<char>(svg)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("<svg"), std::string::npos);
  EXPECT_NE(text.find("4,70 µF"), std::string::npos);
  EXPECT_EQ(ui.asked.back().text, "Druckansicht als SVG speichern");

  // Printed into a PDF file: one page with the drawing.
  QPrinter printer(QPrinter::ScreenResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString((dir / "weiche.pdf").string()));
  ASSERT_TRUE(ed.PrintTo(printer));
  EXPECT_GT(fs::file_size(dir / "weiche.pdf"), 1000u);

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
  const TWePoint n1 = NodePosition(g, 1);
  EXPECT_LT(page.pixelColor(n1.x * 3, 34 + n1.y * 3).lightness(), 128);
  EXPECT_GT(page.pixelColor(n1.x * 3, 34 + n1.y * 3 - 12).lightness(), 128);
}

// ---------------------------------------------------------------- part editor

TEST_F(WeicheEditor, PartEditorShowsTheFieldsOfItsTypeAndStoresSIValues) {
  Start(testing::MakeLargeProject(20));
  TFormParteditor& pe = PartEditor();
  struct Case {
    int typ;
    bool value, second, note, polarity, chassis, optimize;
  };
  const Case cases[] = {{0, false, false, false, false, false, false}, {1, false, false, false, false, false, false},
                        {2, true, false, true, false, false, true},    {3, true, false, true, false, false, true},
                        {4, true, true, true, false, false, true},     {5, false, false, false, true, true, false},
                        {6, false, false, false, true, false, false}};
  for (const Case& c : cases) {
    pe.SelectType(c.typ);
    EXPECT_EQ(!pe.ValueEdit()->isHidden(), c.value) << c.typ;
    EXPECT_EQ(!pe.SecondEdit()->isHidden(), c.second) << c.typ;
    EXPECT_EQ(!pe.NoteEdit()->isHidden(), c.note) << c.typ;
    EXPECT_EQ(!pe.InvertBox()->isHidden(), c.polarity) << c.typ;
    EXPECT_EQ(!pe.ChassisList()->isHidden(), c.chassis) << c.typ;
    EXPECT_EQ(!pe.OptimizeBox()->isHidden(), c.optimize) << c.typ;
  }

  // A coil: mH and Ohm on show, H and Ohm on OK.
  TWPart coil;
  coil._typ = ptL;
  coil._value = 1.2e-3;
  coil._Rvalue = 0.35;
  coil._bem = "Luft";
  coil._bOpti = true;
  pe.Fill(coil, doc->Project());
  EXPECT_EQ(pe.ValueEdit()->text(), QStringLiteral("1,2"));
  EXPECT_EQ(pe.SecondEdit()->text(), QStringLiteral("0,35"));
  EXPECT_EQ(pe.ValueUnit()->text(), QStringLiteral("mH"));
  EXPECT_TRUE(pe.OptimizeBox()->isChecked());
  pe.ValueEdit()->setText(QStringLiteral("1.5"));
  TWPart out = pe.Take();
  EXPECT_DOUBLE_EQ(out._value, 0.0015);
  EXPECT_DOUBLE_EQ(out._Rvalue, 0.35);
  EXPECT_EQ(out._bem, "Luft");
  EXPECT_TRUE(out._bOpti);

  // A capacitor in µF.
  TWPart cap;
  cap._typ = ptC;
  cap._value = 4.7e-6;
  pe.Fill(cap, doc->Project());
  EXPECT_EQ(pe.ValueEdit()->text(), QStringLiteral("4,7"));
  EXPECT_EQ(pe.ValueUnit()->text(), QString::fromUtf8("µF"));
  pe.ValueEdit()->setText(QStringLiteral("10"));
  EXPECT_DOUBLE_EQ(pe.Take()._value, 10e-6);

  // A chassis part of slot 8 shows the eighth line; polarity and the mark.
  TWPart chassis;
  chassis._typ = ptChass;
  chassis._chassisnr = 8;
  chassis._verpolt = 2;
  chassis._bOpti = true;
  pe.Fill(chassis, doc->Project());
  ASSERT_EQ(pe.ChassisList()->count(), 8);
  EXPECT_EQ(pe.ChassisList()->currentRow(), 7);
  EXPECT_EQ(pe.ChassisList()->item(1)->text(), QString::fromUtf8("2: Test-Tieftöner 17"));
  EXPECT_TRUE(pe.InvertBox()->isChecked());
  pe.ChassisList()->setCurrentRow(2);
  pe.InvertBox()->setChecked(false);
  out = pe.Take();
  EXPECT_EQ(out._chassisnr, 2);
  EXPECT_EQ(out._verpolt, -1);
  EXPECT_FALSE(out._bOpti);  // only resistors, capacitors and coils carry the mark

  // An empty slot made a resistor with an emptied value field: 0 Ohm.
  TWPart empty;
  pe.Fill(empty, doc->Project());
  pe.TypeButton(ptR)->click();
  pe.ValueEdit()->clear();
  out = pe.Take();
  EXPECT_EQ(out._typ, ptR);
  EXPECT_EQ(out._value, 0.0);
}

TEST_F(WeicheEditor, PartsLibraryListsTheFilesAndFillsThePart) {
  WriteParts("widerstaende.txt", "R;MOX 2,2;2.2;\r\nr;- Draht -;0;\r\nR;MOX 2,2;2.2;\r\n");
  WriteParts("spulen.txt", "L;Luft 1,5;1.5;0.4\nc;Trenner;0;\nC;MKP 4,7;4,7;\n");
  Start();
  TFormParteditor& pe = PartEditor();
  TFormWParts& lib = *pe.Library();

  TWPart part;
  pe.Fill(part, doc->Project());
  pe.TypeButton(ptR)->click();
  pe.ValueEdit()->clear();
  int runs = 0;
  execDialog = [&](QDialog& d) {
    EXPECT_EQ(&d, &lib);
    ++runs;
    EXPECT_EQ(lib.windowTitle(), QString::fromUtf8("Sonvex - Weichenbauteile"));
    EXPECT_EQ(lib.Pages()->currentIndex(), 0);
    QListWidget* list = lib.List(TLibraryPage::Resistors);
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
  TWPart out = pe.Take();
  EXPECT_EQ(out._typ, ptR);
  EXPECT_DOUBLE_EQ(out._value, 2.2);
  EXPECT_EQ(out._bem, "MOX 2,2");

  // Opened again on that part, the last matching entry is preselected.
  execDialog = [&](QDialog&) {
    EXPECT_EQ(lib.List(TLibraryPage::Resistors)->currentRow(), 2);
    EXPECT_EQ(lib.SelectedLabel()->text(), QString::fromUtf8("Ausgewählt: MOX 2,2:2.2 Ohm"));
    return int(QDialog::Rejected);
  };
  pe.LibraryClick();

  // A coil fills both values; "&Ok" stores Henry and Ohm.
  pe.SelectType(ptL);
  execDialog = [&](QDialog&) {
    EXPECT_EQ(lib.Pages()->currentIndex(), 1);
    lib.List(TLibraryPage::Coils)->setCurrentRow(0);
    return int(QDialog::Accepted);
  };
  pe.LibraryClick();
  EXPECT_EQ(pe.SelectedType(), ptL);
  EXPECT_EQ(pe.ValueEdit()->text(), QStringLiteral("1,5"));
  EXPECT_EQ(pe.SecondEdit()->text(), QStringLiteral("0,4"));
  out = pe.Take();
  EXPECT_DOUBLE_EQ(out._value, 0.0015);
  EXPECT_DOUBLE_EQ(out._Rvalue, 0.4);
  EXPECT_EQ(out._bem, "Luft 1,5");

  // The separator line of a lower-case "c" turns the part into a wire.
  pe.SelectType(ptC);
  execDialog = [&](QDialog&) {
    EXPECT_EQ(lib.Pages()->currentIndex(), 2);
    EXPECT_EQ(lib.List(TLibraryPage::Capacitors)->item(0)->text(), QString::fromUtf8(kPartsSeparatorLine.data()));
    lib.List(TLibraryPage::Capacitors)->setCurrentRow(0);
    return int(QDialog::Accepted);
  };
  pe.LibraryClick();
  EXPECT_EQ(pe.SelectedType(), ptWire);
  EXPECT_EQ(pe.Take()._typ, ptWire);

  // OK without a choice changes nothing.
  pe.SelectType(ptC);
  pe.ValueEdit()->setText(QStringLiteral("3,3"));
  execDialog = [](QDialog&) { return int(QDialog::Accepted); };
  pe.LibraryClick();
  EXPECT_EQ(pe.SelectedType(), ptC);
  EXPECT_EQ(pe.ValueEdit()->text(), QStringLiteral("3,3"));
}

TEST_F(WeicheEditor, PartsLibraryTakesOnlyAnEntryTheUserPicked) {
  // The shipped lists begin with a separator line: a row that became current
  // by itself must not turn the part into a wire.
  WriteParts("widerstaende.txt", "R;- Metalloxid -;0;\r\nR;MOX 2,2;2.2;\r\nR;MOX 3,3;3.3;\r\n");
  Start();
  TFormParteditor& pe = PartEditor();
  TFormWParts& lib = *pe.Library();
  QListWidget* list = lib.List(TLibraryPage::Resistors);
  TWPart part;
  part._typ = ptR;
  part._value = 4.7;  // not in the library: nothing is preselected
  part._bem = "Draht 4,7";

  // Tab into the list, then Enter; the same after a visit that ended with a
  // double click on an entry.
  for (const bool afterDoubleClick : {false, true}) {
    pe.Fill(part, doc->Project());
    if (afterDoubleClick) {
      execDialog = [&](QDialog&) {
        list->setCurrentRow(2);
        emit list->itemDoubleClicked(list->item(2));
        return lib.result();
      };
      pe.LibraryClick();
      ASSERT_EQ(pe.ValueEdit()->text(), QStringLiteral("3,3"));
      pe.Fill(part, doc->Project());
    }
    QString label;
    bool chosen = true;
    execDialog = [&](QDialog&) {
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
    const TWPart out = pe.Take();
    EXPECT_EQ(out._typ, ptR) << afterDoubleClick;
    EXPECT_DOUBLE_EQ(out._value, 4.7) << afterDoubleClick;
    EXPECT_EQ(out._bem, "Draht 4,7") << afterDoubleClick;
  }

  // The arrow keys choose as a click does.
  pe.Fill(part, doc->Project());
  execDialog = [&](QDialog&) {
    QFocusEvent tabIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(list, &tabIn);
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(list, &down);
    EXPECT_EQ(lib.SelectedLabel()->text(), QString::fromUtf8("Ausgewählt: MOX 2,2:2.2 Ohm"));
    return int(QDialog::Accepted);
  };
  pe.LibraryClick();
  EXPECT_DOUBLE_EQ(pe.Take()._value, 2.2);
}

TEST_F(WeicheEditor, PartsLibraryColumnsAreAsWideAsTheirLongestEntry) {
  WriteParts("spulen.txt", "L;Luftspule 1,4mm CU Backlack;0,56;0,23\nL;L 1;1;0,1\n");
  Start();
  TFormWParts& lib = *PartEditor().Library();
  lib.Prepare("", ptL, 0, 0);
  QListWidget* list = lib.List(TLibraryPage::Coils);
  const int longest = list->fontMetrics().horizontalAdvance(list->item(0)->text());
  EXPECT_GT(list->gridSize().width(), longest);
  EXPECT_LT(list->gridSize().width(), longest + 60);
}

TEST_F(WeicheEditor, PartsLibraryFitsTheScreenAndTabLeadsFromTheTypeToTheValue) {
  Start();
  TFormParteditor& pe = PartEditor();
  QSize librarySize;
  execDialog = [&](QDialog& d) {
    if (auto* lib = dynamic_cast<TFormWParts*>(&d)) librarySize = lib->size();
    return int(QDialog::Rejected);
  };
  TWPart resistor;
  resistor._typ = ptR;
  resistor._value = 2.2;
  pe.Fill(resistor, doc->Project());
  pe.LibraryClick();
  const QSize room = pe.screen()->availableGeometry().size() - kWindowFrameRoom;
  ASSERT_LT(room.width(), 840) << "the test needs a screen narrower than the list window";
  EXPECT_LE(librarySize.width(), room.width());
  EXPECT_LE(librarySize.height(), room.height());

  // Tab from the type buttons reaches the value field next.
  pe.show();
  pe.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&pe));
  pe.TypeButton(ptR)->setFocus();
  QTest::keyClick(pe.TypeButton(ptR), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), pe.ValueEdit());
  pe.hide();
}

TEST_F(WeicheEditor, ChoosingATypeForASlotThatNeverHeldAPartLeavesTheValueEmpty) {
  Start();
  TFormParteditor& pe = PartEditor();
  for (const int typ : {ptR, ptC, ptL}) {
    pe.Fill(TWPart{}, doc->Project());
    pe.TypeButton(typ)->click();
    EXPECT_EQ(pe.ValueEdit()->text(), QString()) << typ;
    const TWPart out = pe.Take();
    EXPECT_EQ(out._typ, typ);
    EXPECT_EQ(out._value, 0.0) << typ;
  }
}

// "&Ok" takes a resistor, capacitor or coil only with a value above 0 (a
// 0 µF capacitor in series would cut the way off, a 0 mH coil be a wire) and
// a coil only with a winding resistance of 0 or more; the editor says why.
TEST_F(WeicheEditor, PartEditorOkWaitsForAValueThePartCanHave) {
  Start();
  TFormParteditor& pe = PartEditor();
  const char* const kOhm = "Der Wert muss eine Zahl größer als 0 Ohm sein.";
  const char* const kMicro = "Der Wert muss eine Zahl größer als 0 µF sein.";
  const char* const kMilli = "Der Wert muss eine Zahl größer als 0 mH sein.";
  const char* const kWinding = "Der R-Wert der Spule muss eine Zahl ab 0 Ohm sein.";
  struct Case {
    int typ;
    const char *value, *second;
    const char* says;  // nullptr: "&Ok"
  };
  const Case cases[] = {
      {ptR, "8,2", "abc", nullptr},  // a resistor has no winding resistance
      {ptR, "abc", "0", kOhm},
      {ptR, "0", "0", kOhm},
      {ptC, "4,7", "0", nullptr},
      {ptC, "0", "0", kMicro},
      {ptC, "", "0", kMicro},
      {ptC, "1e999", "0", kMicro},
      {ptC, "-4,7", "0", kMicro},
      {ptL, "1,5", "0", nullptr},
      {ptL, "0", "0,3", kMilli},
      {ptL, "1,5", "", kWinding},
      {ptL, "1,5", "-0,1", kWinding},
      {ptL, "1,5", "1e999", kWinding},
      {ptWire, "abc", "abc", nullptr},
      {ptChass, "", "", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.typ) + " " + c.value + " / " + c.second);
    pe.Fill(TWPart{}, doc->Project());
    pe.SelectType(c.typ);
    pe.ValueEdit()->setText(QString::fromUtf8(c.value));
    pe.SecondEdit()->setText(QString::fromUtf8(c.second));
    EXPECT_EQ(pe.OkButton()->isEnabled(), c.says == nullptr);
    EXPECT_EQ(pe.ProblemLabel()->isVisibleTo(&pe), c.says != nullptr);
    if (c.says != nullptr) {
      EXPECT_EQ(pe.ProblemLabel()->text(), QString::fromUtf8(c.says));
    }
  }
  // An empty value field is framed like one that holds no number.
  pe.Fill(TWPart{}, doc->Project());
  pe.SelectType(ptC);
  EXPECT_EQ(pe.ValueEdit()->text(), QString());
  EXPECT_TRUE(pe.ValueEdit()->styleSheet().contains("border"));
  EXPECT_EQ(pe.ValueEdit()->toolTip(), QString::fromUtf8(kNoNumberTip));

  // Ok and Return do not close the editor on such a value: the part stays.
  TWPart cap;
  cap._typ = ptC;
  cap._value = 4.7e-6;
  execDialog = [](QDialog& d) {
    auto& editor = dynamic_cast<TFormParteditor&>(d);
    editor.ValueEdit()->setText(QStringLiteral("0"));
    editor.OkButton()->click();
    d.accept();
    return d.result();
  };
  TWPart part = cap;
  EXPECT_FALSE(pe.Edit(part, doc->Project()));
  EXPECT_EQ(part, cap);
}

TEST_F(WeicheEditor, OptimizerModeHidesOtherTypesAndPages) {
  Start();
  TFormParteditor& pe = PartEditor();
  pe.RestrictToType(ptC);
  for (int t = ptNone; t <= ptAmp; ++t)
    EXPECT_EQ(!pe.TypeButton(t)->isHidden(), t == ptNone || t == ptWire || t == ptC) << t;
  QTabWidget* pages = pe.Library()->Pages();
  EXPECT_FALSE(pages->isTabVisible(0));
  EXPECT_FALSE(pages->isTabVisible(1));
  EXPECT_TRUE(pages->isTabVisible(2));
  pe.ClearRestriction();
  for (int t = ptNone; t <= ptAmp; ++t) EXPECT_FALSE(pe.TypeButton(t)->isHidden()) << t;
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(pages->isTabVisible(i));
}

}  // namespace
}  // namespace sonvex
