#include "ui/editors/crossover_editor.h"

#include <QAction>
#include <QActionGroup>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QStatusBar>
#include <QSvgGenerator>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "charts/qt_text.h"
#include "model/file_io.h"
#include "model/interaction.h"
#include "model/number_text.h"
#include "model/settings.h"
#include "ui/dialogs/dialog_text.h"
#include "ui/dialogs/window_place.h"
#include "ui/document/project_document.h"
#include "ui/editors/free_wire_dialog.h"
#include "ui/editors/mouse_map_dialog.h"
#include "ui/editors/part_editor.h"

namespace sonvex {

namespace {

QScreen* ScreenOf(const QWidget* w) {
  QScreen* s = w->screen();
  return s != nullptr ? s : QGuiApplication::primaryScreen();
}

// The drawing font: Arial at the level's point size, fixed in pixels so that
// the drawing looks alike on every screen (96 pixels per inch).
QFont DrawingFont(const CrossoverGeometry& g) {
  QFont f(QStringLiteral("Arial"));
  f.setPixelSize(static_cast<int>(std::lround(g.fontSize * 96.0 / 72.0)));
  return f;
}

// One part symbol in the slot's own coordinates: u runs along the edge from
// its first node (0) to the next node (len), v across it. offset is the symbol
// offset, symbolLength the symbol length.
void DrawSymbol(QPainter& p, const CrossoverPart& part, int offset, int symbolLength, int len, bool vertical) {
  auto line = [&p](int u1, int v1, int u2, int v2) { p.drawLine(u1, v1, u2, v2); };
  // The polarity marks of chassis and amplifier: a dash beside each terminal
  // on the side away from the labels, the one at the plus terminal crossed.
  // The dash stays level on the screen whichever way the edge runs.
  auto polarity = [&](int u1, int u2) {
    constexpr int kDashOffset = 11;
    auto dash = [&](int u) {
      vertical ? line(u, kDashOffset - 2, u, kDashOffset + 2) : line(u - 2, kDashOffset, u + 2, kDashOffset);
    };
    auto stroke = [&](int u) {
      vertical ? line(u - 2, kDashOffset, u + 2, kDashOffset) : line(u, kDashOffset - 2, u, kDashOffset + 2);
    };
    dash(u1);
    dash(u2);
    stroke(part.reversedPolarity > 0 ? u2 : u1);
  };
  switch (part.type) {
    case PartWire:
      line(0, 0, len, 0);
      break;
    case PartResistor:
      line(0, 0, offset, 0);
      p.drawRect(offset, -5, symbolLength, 10);
      line(offset + symbolLength, 0, len, 0);
      break;
    case PartCapacitor:
      line(0, 0, offset + 8, 0);
      line(offset + 12, 0, len, 0);
      line(offset + 8, -symbolLength / 2, offset + 8, symbolLength - symbolLength / 2);
      line(offset + 12, -symbolLength / 2, offset + 12, symbolLength - symbolLength / 2);
      break;
    case PartInductor:
      line(0, 0, len, 0);
      // a solid bar: 11 parallel lines across the edge
      p.fillRect(QRect(offset, -5, symbolLength + 1, 11), Qt::black);
      break;
    case PartChassis: {
      // magnet box and cone of a loudspeaker
      line(0, 0, offset + 2, 0);
      p.drawRect(offset + 2, -4, 7, 8);
      const QPoint cone[] = {{offset + 9, -4}, {offset + 15, -10}, {offset + 15, 10}, {offset + 9, 4}};
      p.drawPolygon(cone, 4);
      line(offset + 15, 0, len, 0);
      polarity(offset, offset + symbolLength);
      break;
    }
    case PartAmplifier:
      line(0, 0, offset, 0);
      p.drawEllipse(offset, -3, 6, 6);
      p.drawEllipse(offset + symbolLength - 6, -3, 6, 6);
      line(offset + symbolLength, 0, len, 0);
      polarity(offset + 3, offset + symbolLength - 3);
      break;
    default:
      break;
  }
}

void DrawText(QPainter& p, DrawingPoint at, const std::string& text) {
  if (text.empty()) return;
  p.drawText(QRect(at.x, at.y, 400, 40), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, QText(text));
}

std::filesystem::path WithExtension(std::filesystem::path file, const char* ext) {
  std::string name = Utf8FromPath(file.filename());
  std::string upper = name;
  std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
  std::string extUpper = ext;
  std::transform(extUpper.begin(), extUpper.end(), extUpper.begin(), [](unsigned char c) { return std::toupper(c); });
  if (!upper.ends_with(extUpper)) file += ext;
  return file;
}

}  // namespace

// ---------------------------------------------------------------- drawing

void PaintCrossover(QPainter& painter, const CrossoverGeometry& g, const Crossover& parts, const SlotRects& rects,
                    const CrossoverPaintOptions& options, const std::function<std::string(int)>& chassisName) {
  painter.save();
  const QFont font = DrawingFont(g);
  painter.setFont(font);
  // One drawing pixel wide, so that lines grow with the drawing on paper.
  const QPen black(Qt::black, 1, Qt::SolidLine);
  painter.setPen(black);
  painter.setBrush(Qt::black);

  // 1. node dots: every node in the edit view, junctions only in the print view
  const auto ends = TerminalEnds(parts);
  for (int node = 0; node < kGridNodes; ++node) {
    if (options.printView && !IsJunction(ends, node)) continue;
    const DrawingPoint n = NodePosition(g, node);
    painter.drawEllipse(QRect(n.x - 2, n.y - 2, 5, 5));
  }

  // 2. the grid slots, horizontal ones first
  painter.setBrush(Qt::white);
  QPen dotted(QColor(192, 192, 192), 1, Qt::DotLine);
  for (int slot = 0; slot < kGridSlots; ++slot) {
    const CrossoverPart& part = parts[static_cast<std::size_t>(slot)];
    const SlotLayout sg = SlotGeometry(slot);
    const bool horizontal = sg.orientation == SlotOrientation::Horizontal;
    const DrawingPoint at = NodePosition(g, NodeAt(sg.column, sg.row));
    if (part.type <= PartNone || part.type > PartAmplifier) {
      if (options.printView) continue;
      const DrawingRect& r = rects[static_cast<std::size_t>(slot)];
      painter.setPen(dotted);
      painter.setBrush(Qt::NoBrush);
      painter.drawRect(QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom)));
      painter.setBrush(Qt::white);
      painter.setPen(black);
      continue;
    }
    painter.setPen(black);
    painter.save();
    painter.translate(at.x, at.y);
    if (!horizontal) painter.rotate(90);
    const int offset = horizontal ? g.offsetH : g.offsetV;
    const int len = horizontal ? g.columnPitch : g.rowPitch;
    DrawSymbol(painter, part, offset, g.symbolLength, len, !horizontal);
    painter.restore();

    if (part.type >= PartResistor) {
      const int nr = part.chassisSlot;
      const std::string name = part.type == PartChassis ? chassisName(nr) : std::string();
      const PartLabelLines label = PartLabel(part, options.labelMode, options.printView, name);
      const auto [p1, p2] = LabelPositions(g, sg.orientation, at);
      painter.setPen(part.optimize ? Qt::red : Qt::black);
      DrawText(painter, p1, label.line1);
      DrawText(painter, p2, label.line2);
      painter.setPen(black);
    }
  }

  // 3. free wires
  painter.setBrush(Qt::NoBrush);
  for (int k = 1; k <= kFreeWires; ++k) {
    const CrossoverPart& part = parts[static_cast<std::size_t>(FreeWireSlot(k))];
    if (part.type != PartWire) continue;
    const auto pts = FreeWirePolyline(AnyNodePosition(g, part.node1), AnyNodePosition(g, part.node2));
    QPoint poly[4];
    for (std::size_t i = 0; i < 4; ++i) poly[i] = QPoint(pts[i].x, pts[i].y);
    painter.drawPolyline(poly, 4);
  }

  // 4. node numbers while the free wires are edited
  if (options.nodeNumbers) {
    painter.setPen(Qt::blue);
    for (int node = 0; node < kGridNodes; ++node) {
      const DrawingPoint n = NodePosition(g, node);
      DrawText(painter, {n.x + 17, n.y + 17}, std::to_string(node));
    }
  }
  painter.restore();
}

// ---------------------------------------------------------------- paint box

class CrossoverPaintBox : public QWidget {
 public:
  explicit CrossoverPaintBox(CrossoverEditorWindow& editor) : QWidget(&editor), editor_(editor) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    editor_.Paint(painter);
  }
  void mousePressEvent(QMouseEvent* e) override {
    MouseButton button = MouseButton::Middle;
    if (e->button() == Qt::LeftButton) button = MouseButton::Left;
    if (e->button() == Qt::RightButton) button = MouseButton::Right;
    const auto mods = e->modifiers();
    const QPoint at = e->position().toPoint();
    editor_.ClickAt(at.x(), at.y(), button, mods.testFlag(Qt::ShiftModifier), mods.testFlag(Qt::ControlModifier));
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    const QPoint at = e->position().toPoint();
    setCursor(HitTest(editor_.HitRects(), at.x(), at.y()) >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
  }

 private:
  CrossoverEditorWindow& editor_;
};

// ---------------------------------------------------------------- the editor

CrossoverEditorWindow::CrossoverEditorWindow(ProjectDocument& doc, Settings& settings, Interaction& ui,
                                             PartEditorDialog& partEditor, DialogRunner runDialog, QWidget* parent)
    : QMainWindow(parent),
      doc_(doc),
      runDialog_(std::move(runDialog)),
      settings_(settings),
      ui_(ui),
      partEditor_(partEditor) {
  // A new project, a load, undo or a reference swap close the editor
  // without applying.
  connect(&doc_, &ProjectDocument::aboutToReplaceProject, this, [this] {
    if (IsOpen()) CloseEditor();
  });
  // The drawing names the chassis as the project calls them now (the
  // chassis editor may have renamed one).
  connect(&doc_, &ProjectDocument::projectChanged, this, [this] {
    if (IsOpen()) box_->update();
  });
  setWindowFlag(Qt::Window, true);
  setWindowTitle(QText("Weicheneditor"));
  auto* central = new QWidget(this);
  auto* layout = new QHBoxLayout(central);
  layout->setContentsMargins(0, 0, 4, 4);
  // The drawing scrolls where the screen is smaller than the window, so
  // that the buttons beside it always stay in view.
  auto* scroll = new QScrollArea;
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  scroll->setFocusPolicy(Qt::NoFocus);
  box_ = new CrossoverPaintBox(*this);
  scroll->setWidget(box_);
  layout->addWidget(scroll, 1);
  auto* buttons = new QVBoxLayout;
  apply_ = new QPushButton(QText("&Übernehmen"));
  ok_ = new QPushButton(QText("&Ok"));
  cancel_ = new QPushButton(QText("&Abbruch"));
  for (QPushButton* b : {apply_, ok_, cancel_}) {
    b->setFixedWidth(96);
    buttons->addWidget(b);
  }
  buttons->addStretch();
  layout->addLayout(buttons);
  connect(apply_, &QPushButton::clicked, this, [this] { ApplyClick(); });
  connect(ok_, &QPushButton::clicked, this, [this] { OkClick(); });
  connect(cancel_, &QPushButton::clicked, this, [this] { CancelClick(); });
  // Escape means "&Abbruch", as in every dialog.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, [this] { CancelClick(); });
  setCentralWidget(central);

  freeWires_ = new FreeWiresDialog(this);
  mouseMap_ = new MouseMapSettingsDialog(this);
  // The status line says what each mouse button does, so that a click never
  // surprises.
  mouseLine_ = new QLabel;
  mouseLine_->setObjectName(QStringLiteral("mouseMapLine"));
  statusBar()->addWidget(mouseLine_, 1);
  statusBar()->setSizeGripEnabled(false);
  BuildMenus();
  geometry_ = GeometryOfLevel(settings_.crossoverEditorSize);
  rects_ = HitRectangles(geometry_);
  move(184, 508);
}

QWidget* CrossoverEditorWindow::PaintArea() const { return box_; }

void CrossoverEditorWindow::BuildMenus() {
  QMenuBar* bar = menuBar();
  auto item = [this](QMenu* m, const char* name, std::string_view caption, std::function<void()> handler) {
    QAction* a = m->addAction(QText(caption));
    a->setObjectName(QString::fromLatin1(name));
    connect(a, &QAction::triggered, this, [h = std::move(handler)] { h(); });
    return a;
  };

  QMenu* size = bar->addMenu(QText("Fenstergröße"));
  auto* sizes = new QActionGroup(this);
  for (int level = kCrossoverMinLevel; level <= kCrossoverMaxLevel; ++level) {
    const std::string name = "actSize" + std::to_string(level);
    QAction* a = item(size, name.c_str(), CrossoverSizeCaption(level), [this, level] { SetLevel(level); });
    sizeItems_[static_cast<std::size_t>(level - kCrossoverMinLevel)] = a;
    a->setCheckable(true);
    sizes->addAction(a);
  }

  QMenu* coils = bar->addMenu(QText("Anzeige für Spulen"));
  auto* modes = new QActionGroup(this);
  QAction* coilResistanceAction = coilResistanceItem_ =
      item(coils, "actLabelCoilResistance", "R-Wert", [this] { SetLabelMode(LabelMode::CoilResistance); });
  QAction* designationAction = designationItem_ =
      item(coils, "actLabelDesignation", "Bezeichnung", [this] { SetLabelMode(LabelMode::Designation); });
  for (QAction* a : {coilResistanceAction, designationAction}) {
    a->setCheckable(true);
    modes->addAction(a);
  }
  coilResistanceAction->setChecked(true);

  QMenu* view = bar->addMenu(QText("Ansicht"));
  auto* views = new QActionGroup(this);
  QAction* edit = editViewItem_ = item(view, "actViewEdit", "Editieransicht", [this] { SetPrintView(false); });
  QAction* print = printViewItem_ = item(view, "actViewPrint", "Druckansicht", [this] { SetPrintView(true); });
  for (QAction* a : {edit, print}) {
    a->setCheckable(true);
    views->addAction(a);
  }
  edit->setChecked(true);
  // The print view on paper or in a file: always the clean drawing.
  view->addSeparator();
  item(view, "actPrint", "Druckansicht drucken ...", [this] { PrintClick(); })->setShortcut(QKeySequence::Print);
  item(view, "actExportPng", "Druckansicht als PNG speichern ...", [this] { ExportPngClick(); });
  item(view, "actExportSvg", "Druckansicht als SVG speichern ...", [this] { ExportSvgClick(); });

  QMenu* free = bar->addMenu(QText("Freie Verbindungen"));
  item(free, "actFreeWires", "editieren ...", [this] { FreeWiresClick(); });
  QMenu* mouse = bar->addMenu(QText("Mausbelegung"));
  item(mouse, "actMouseMap", "ändern ...", [this] { MouseMapClick(); });
  QMenu* mark = bar->addMenu(QText("Bauteiloptimierung"));
  item(mark, "actMarkAll", "alle Bauteile zum Optimieren markieren", [this] { MarkClick(MarkScope::AllComponents); });
  item(mark, "actMarkResistors", "nur Widerstände zum Optimieren markieren",
       [this] { MarkClick(MarkScope::ResistorsOnly); });
  item(mark, "actMarkNone", "alle Markierungen entfernen", [this] { MarkClick(MarkScope::None); });
}

void CrossoverEditorWindow::Layout() {
  // 1. the level's menu entry and geometry
  geometry_ = GeometryOfLevel(settings_.crossoverEditorSize);
  settings_.crossoverEditorSize = geometry_.level;
  sizeItems_[static_cast<std::size_t>(geometry_.level - kCrossoverMinLevel)]->setChecked(true);
  // 2.-3. window size, kept on the screen
  const DrawingSize designed = CrossoverWindowSize(geometry_);
  // Where the screen is smaller than the window at this level, the window
  // takes the screen's room less its frame and the drawing keeps the size it
  // has in the designed window, scrolling; a larger screen shows the window
  // as designed.
  const QRect screen = ScreenOf(this)->geometry();
  const QSize room = ScreenOf(this)->availableGeometry().size() - kWindowFrameRoom;
  DrawingSize size = designed;
  ShowMouseLine(std::min(designed.width, room.width()));
  if (designed.width > room.width() || designed.height > room.height()) {
    // The drawing then takes the whole node grid with its parts.
    const SlotRects rects = HitRectangles(geometry_);
    int right = 0;
    int bottom = 0;
    for (const DrawingRect& r : rects) {
      right = std::max(right, r.right);
      bottom = std::max(bottom, r.bottom);
    }
    box_->setMinimumSize(right + 8, bottom + 8);
    size = {std::min(designed.width, room.width()), std::min(designed.height, room.height())};
  } else {
    box_->setMinimumSize(0, 0);
  }
  resize(size.width, size.height);
  const DrawingPoint at =
      KeepCrossoverEditorOnScreen({x() - screen.left(), y() - screen.top()}, size, {screen.width(), screen.height()});
  if (size.height < designed.height) {
    // A window as high as the room starts at its top: the frame's title bar
    // and the status line both stay on the screen.
    move(at.x + screen.left(), ScreenOf(this)->availableGeometry().top());
  } else {
    move(at.x + screen.left(), at.y + screen.top());
  }
  // 4.-5. hit rectangles; back to the edit view
  rects_ = HitRectangles(geometry_);
  options_.printView = false;
  editViewItem_->setChecked(true);
  box_->update();
}

void CrossoverEditorWindow::OpenFor(int amp) {
  if (amp < 0 || amp >= kMaxAmps) return;
  const auto& source = doc_.CurrentProject().amplifiers[static_cast<std::size_t>(amp)].crossover;
  std::copy(source.begin(), source.begin() + kUsedPartSlots, parts_.begin());
  amp_ = amp;
  setWindowTitle(QText("Weicheneditor - Verstärker " + std::to_string(amp + 1)));
  Layout();
  show();
  raise();
  activateWindow();
  doc_.SetEditorOpen(EditorWindow::Crossover, true);
  emit openChanged(true);
}

void CrossoverEditorWindow::ApplyClick() {
  if (amp_ < 0) return;
  ProjectEdit edit(doc_, "Weiche " + std::to_string(amp_ + 1) + " editieren");
  auto& target = edit.EditedProject().amplifiers[static_cast<std::size_t>(amp_)].crossover;
  std::copy(parts_.begin(), parts_.begin() + kUsedPartSlots, target.begin());
  edit.Commit();
}

void CrossoverEditorWindow::OkClick() {
  const PlausibilityTexts found = CheckPlausibility(parts_);
  if (found.noAmp && ui_.ChooseButton(kNoAmpText, kPlausibilityButtons, 1) == 1) return;
  if (found.noChassis && ui_.ChooseButton(kNoChassisText, kPlausibilityButtons, 1) == 1) return;
  ApplyClick();
  CloseEditor();
}

void CrossoverEditorWindow::CancelClick() { CloseEditor(); }

void CrossoverEditorWindow::CloseEditor() {
  hide();
  Finish();
}

bool CrossoverEditorWindow::HasPendingChanges() const {
  if (amp_ < 0) return false;
  const auto& source = doc_.CurrentProject().amplifiers[static_cast<std::size_t>(amp_)].crossover;
  return !std::equal(parts_.begin(), parts_.begin() + kUsedPartSlots, source.begin());
}

void CrossoverEditorWindow::Finish() {
  amp_ = -1;
  options_.nodeNumbers = false;
  doc_.SetEditorOpen(EditorWindow::Crossover, false);
  emit openChanged(false);
}

void CrossoverEditorWindow::closeEvent(QCloseEvent* event) {
  // The window's close box: as "&Abbruch".
  Finish();
  event->accept();
}

std::string CrossoverEditorWindow::ChassisName(int n) const {
  if (n < 0 || n >= kChassisSlots) return {};
  return doc_.CurrentProject().chassis[static_cast<std::size_t>(n)].name.Str();
}

void CrossoverEditorWindow::Paint(QPainter& painter) const {
  PaintCrossover(painter, geometry_, parts_, rects_, options_, [this](int n) { return ChassisName(n); });
}

void CrossoverEditorWindow::ClickAt(int x, int y, MouseButton button, bool shift, bool ctrl) {
  const int action = DecodeMouseAction(settings_.crossoverMouseMap, button, shift, ctrl);
  const int slot = HitTest(rects_, x, y);
  if (slot < 0 || action == NoAction) return;
  if (action == EditPart) {
    // The part editor opens at the click, moved back into the work area:
    // bottom edge first, then left, top and right.
    QRect area = ScreenOf(this)->availableGeometry();
    const QSize size = partEditor_.size();
    int left = this->x() + x;
    int top = this->y() + y - 20;
    if (top + size.height() > area.bottom() + 1) top = area.bottom() + 1 - size.height();
    if (left < area.left()) left = area.left();
    if (top < area.top()) top = area.top();
    if (left + size.width() > area.right() + 1) left = area.right() + 1 - size.width();
    partEditor_.move(left, top);
    CrossoverPart copy = parts_[static_cast<std::size_t>(slot)];
    const DialogOwner owner(partEditor_, this);
    if (partEditor_.Edit(copy, doc_.CurrentProject())) parts_[static_cast<std::size_t>(slot)] = copy;
  } else {
    ApplyMouseAction(parts_, slot, action);
  }
  box_->update();
}

void CrossoverEditorWindow::FreeWiresClick() {
  freeWires_->Fill(FreeWireRows(parts_));
  // The dialog stands beside the drawing, so that the node numbers stay in view.
  freeWires_->adjustSize();
  const QRect area = ScreenOf(this)->availableGeometry();
  const int left = std::min(frameGeometry().right() + 1, area.right() + 1 - freeWires_->width());
  freeWires_->move(std::max(left, area.left()), std::max(y(), area.top()));
  options_.nodeNumbers = true;
  box_->update();
  const int result = runDialog_(*freeWires_);
  options_.nodeNumbers = false;
  if (result == QDialog::Accepted) SetFreeWires(parts_, freeWires_->Rows());
  box_->update();
}

void CrossoverEditorWindow::MouseMapClick() {
  mouseMap_->Fill(settings_.crossoverMouseMap);
  if (runDialog_(*mouseMap_) == QDialog::Accepted) settings_.crossoverMouseMap = mouseMap_->Map();
  ShowMouseLine(width());
}

void CrossoverEditorWindow::ShowMouseLine(int windowWidth) {
  QString text = QText(MouseMapSummary(settings_.crossoverMouseMap));
  // In a window narrower than the line (a small screen) it takes two lines,
  // three mouse buttons each.
  if (mouseLine_->fontMetrics().horizontalAdvance(text) > windowWidth - 8) {
    const QString gap = QString::fromUtf8(" · ");
    qsizetype at = -1;
    for (int k = 0; k < 3; ++k) at = text.indexOf(gap, at + 1);
    if (at >= 0) text.replace(at, gap.size(), QStringLiteral("\n"));
  }
  mouseLine_->setText(text);
}

void CrossoverEditorWindow::MarkClick(MarkScope which) {
  MarkForOptimization(parts_, which);
  box_->update();
}

void CrossoverEditorWindow::SetLevel(int level) {
  settings_.crossoverEditorSize = std::clamp(level, kCrossoverMinLevel, kCrossoverMaxLevel);
  Layout();
}

void CrossoverEditorWindow::SetPrintView(bool on) {
  options_.printView = on;
  (on ? printViewItem_ : editViewItem_)->setChecked(true);
  box_->update();
}

void CrossoverEditorWindow::SetLabelMode(LabelMode mode) {
  options_.labelMode = mode;
  (mode == LabelMode::CoilResistance ? coilResistanceItem_ : designationItem_)->setChecked(true);
  box_->update();
}

// ---------------------------------------------------------------- print view output

DrawingRect CrossoverEditorWindow::PrintArea() const { return UsedDrawingArea(geometry_, parts_); }

void CrossoverEditorWindow::PaintPrintView(QPainter& painter) const {
  const DrawingRect area = PrintArea();
  painter.save();
  painter.translate(-area.left, -area.top);
  CrossoverPaintOptions o = options_;
  o.printView = true;
  o.nodeNumbers = false;
  PaintCrossover(painter, geometry_, parts_, rects_, o, [this](int n) { return ChassisName(n); });
  painter.restore();
}

QImage CrossoverEditorWindow::RenderPrintView() const {
  const DrawingRect area = PrintArea();
  QImage image(area.right - area.left + 1, area.bottom - area.top + 1, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  PaintPrintView(painter);
  return image;
}

bool CrossoverEditorWindow::SavePng(const std::filesystem::path& file) const {
  return RenderPrintView().save(QString::fromStdString(Utf8FromPath(file)), "PNG");
}

bool CrossoverEditorWindow::SaveSvg(const std::filesystem::path& file) const {
  const DrawingRect area = PrintArea();
  const QSize size(area.right - area.left + 1, area.bottom - area.top + 1);
  QSvgGenerator svg;
  svg.setFileName(QString::fromStdString(Utf8FromPath(file)));
  svg.setSize(size);
  svg.setViewBox(QRect(QPoint(0, 0), size));
  svg.setTitle(windowTitle());
  QPainter painter;
  if (!painter.begin(&svg)) return false;
  painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
  PaintPrintView(painter);
  return painter.end();
}

void CrossoverEditorWindow::PaintPrintPage(QPainter& painter, const QRect& page) const {
  painter.save();
  // A heading names the amplifier and the project file; below it the used
  // part of the drawing as large as the page allows, keeping its proportions
  // and at most three times its size on the screen.
  QFont font = DrawingFont(geometry_);
  font.setPixelSize(std::max(10, page.height() / 45));
  painter.setFont(font);
  const int heading = 2 * font.pixelSize();
  const std::string file = doc_.TitleName().empty() ? std::string() : " - " + doc_.TitleName();
  const QString title = painter.fontMetrics().elidedText(windowTitle() + QText(file), Qt::ElideMiddle, page.width());
  painter.drawText(QRect(page.left(), page.top(), page.width(), heading), Qt::AlignLeft | Qt::AlignTop, title);

  const DrawingRect area = PrintArea();
  const double width = area.right - area.left + 1;
  const double height = area.bottom - area.top + 1;
  const QPaintDevice* device = painter.device();
  const double screenScale = device != nullptr ? device->logicalDpiX() / 96.0 : 1.0;
  const double scale = std::min({page.width() / width, (page.height() - heading) / height, 3.0 * screenScale});
  painter.translate(page.left(), page.top() + heading);
  painter.scale(scale, scale);
  PaintPrintView(painter);
  painter.restore();
}

bool CrossoverEditorWindow::PrintTo(QPrinter& printer) const {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  PaintPrintPage(painter, painter.viewport());
  return painter.end();
}

void CrossoverEditorWindow::PrintClick() {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageOrientation(QPageLayout::Landscape);
  printer.setDocName(windowTitle());
  QPrintDialog dialog(&printer, this);
  if (runDialog_(dialog) != QDialog::Accepted) return;
  if (!PrintTo(printer)) ui_.ShowMessage("Der Drucker kann nicht angesprochen werden.");
}

void CrossoverEditorWindow::ExportPngClick() {
  const std::string name = "Weiche" + std::to_string(std::max(amp_, 0) + 1) + ".png";
  const auto file =
      ui_.PickSaveFile("Druckansicht als PNG speichern", "PNG-Bilder (*.png)|*.png", settings_.projectFolder, name);
  if (!file) return;
  const auto target = WithExtension(*file, ".png");
  if (!SavePng(target)) ui_.ShowMessage("Die Datei \"" + Utf8FromPath(target) + "\" kann nicht geschrieben werden.");
}

void CrossoverEditorWindow::ExportSvgClick() {
  const std::string name = "Weiche" + std::to_string(std::max(amp_, 0) + 1) + ".svg";
  const auto file =
      ui_.PickSaveFile("Druckansicht als SVG speichern", "SVG-Grafiken (*.svg)|*.svg", settings_.projectFolder, name);
  if (!file) return;
  const auto target = WithExtension(*file, ".svg");
  if (!SaveSvg(target)) ui_.ShowMessage("Die Datei \"" + Utf8FromPath(target) + "\" kann nicht geschrieben werden.");
}

}  // namespace sonvex
