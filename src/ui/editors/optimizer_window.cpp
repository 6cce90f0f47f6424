#include "ui/editors/optimizer_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFont>
#include <QFontDatabase>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPalette>
#include <QPolygon>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QSlider>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <utility>

#include "charts/qt_text.h"
#include "model/interaction.h"
#include "model/number_text.h"
#include "optimizer/optimizer_preconditions.h"
#include "ui/dialogs/window_place.h"
#include "ui/document/project_document.h"
#include "ui/document/ui_call.h"
#include "ui/editors/crossover_layout.h"

namespace sonvex {

namespace {

// Geometry of the window (pixels).
constexpr int kWindowWidth = 820;
constexpr int kWindowHeight = 440;
constexpr int kOutputTop = 200;
constexpr int kOutputHeight = 200;
constexpr int kListWidth = 240;
constexpr int kListHeight = 118;
constexpr int kPlotWidth = 272;
constexpr int kPlotHeight = 118;
constexpr int kStripHeight = 10;

// A widget that paints through a callback.
class PaintArea : public QWidget {
 public:
  PaintArea(std::function<void(QPainter&, const QRect&)> paint, QWidget* parent)
      : QWidget(parent), paint_(std::move(paint)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    paint_(painter, rect());
  }

 private:
  std::function<void(QPainter&, const QRect&)> paint_;
};

QLabel* Label(const char* text, QWidget* parent, const QRect& r) {
  auto* l = new QLabel(QText(text), parent);
  l->setGeometry(r);
  return l;
}

}  // namespace

// ---------------------------------------------------------------- free functions

std::array<std::string, 5> OptimizerResultLines(const GradeBlock& g) {
  // GradeReportLines gives impedance, efficiency, frequency response, phase,
  // total; the window lists the frequency response second.
  const auto lines = GradeReportLines(g);
  return {lines[0], lines[2], lines[1], lines[3], lines[4]};
}

GradeHistoryEntry HistoryEntry(const GradeBlock& g) {
  return {g[GradeTotal], g[GradeResponse], g[GradeEfficiency], g[GradeImpedance], g[GradePhase]};
}

void AppendHistory(std::vector<GradeHistoryEntry>& history, const GradeBlock& g) {
  if (static_cast<int>(history.size()) >= kGradeHistoryLength)
    history.erase(history.begin(), history.end() - (kGradeHistoryLength - 1));
  history.push_back(HistoryEntry(g));
}

int HistoryY(double grade) {
  const double y = 115.0 - 15.0 * grade;
  // Far outside the plot (or not a number): pinned just beyond its edges.
  if (!(y > -1000.0)) return -1000;
  if (!(y < 1000.0)) return 1000;
  return static_cast<int>(std::lround(y));
}

std::string OptimizedPartName(const OptimizerVariable& v, const CrossoverPart& part) {
  std::string kind;
  std::string value;
  std::string start;
  switch (part.type) {
    case PartResistor:
      kind = "Widerstand ";
      value = ResistanceText(part.value);
      start = ResistanceText(v.startValue);
      break;
    case PartCapacitor:
      kind = "Kondensator ";
      value = CapacitanceText(part.value);
      start = CapacitanceText(v.startValue);
      break;
    case PartInductor:
      kind = "Spule ";
      value = InductanceText(part.value);
      start = v.coilResistance ? ResistanceText(v.startValue) : InductanceText(v.startValue);
      if (v.coilResistance) value += ", " + ResistanceText(part.resistance);
      break;
    default:
      kind = "Bauteil";
      break;
  }
  std::string name = kind + value;
  if (!part.note.View().empty()) name += " „" + part.note.Str() + "“";
  name += " zwischen Knoten " + std::to_string(part.node1) + " und " + std::to_string(part.node2);
  name += ", Verstärker " + std::to_string(v.amplifier + 1);
  if (!start.empty()) name += " (Startwert " + start + ")";
  return name;
}

std::optional<CrossoverPart> AskPartValues(Interaction& ui, const OptimizerVariable& v, const CrossoverPart& part) {
  std::string kind;
  std::string format;
  std::vector<std::string> values;
  switch (part.type) {
    case PartResistor:
      kind = "Widerstand";
      format = "Wert [Ohm] %dBem. %s";
      values = {FormatNumber(part.value, 10), part.note.Str()};
      break;
    case PartCapacitor:
      kind = "Kondensator";
      format = "Wert [µF] %dBem. %s";
      values = {FormatNumber(part.value * 1e6, 10), part.note.Str()};
      break;
    case PartInductor:
      kind = "Spule";
      format = "Wert [mH] %dWiderstand [Ohm] %dBem. %s";
      values = {FormatNumber(part.value * 1000, 10), FormatNumber(part.resistance, 10), part.note.Str()};
      break;
    default:
      return std::nullopt;
  }
  const std::string caption = kind + " festlegen (Verstärker " + std::to_string(v.amplifier + 1) + ")";
  if (!ui.EditValues(caption, format, values) || values.size() < 2) return std::nullopt;
  CrossoverPart fixed = part;
  // The fields are read as the part editor reads them; a value that is not
  // finite (a number beyond any range) leaves the part's value as it was.
  auto read = [](const std::string& text, double factor, double& into) {
    const double x = StrToDoubleLenient(text) / factor;
    if (std::isfinite(x)) into = x;
  };
  if (part.type == PartInductor) {
    if (values.size() < 3) return std::nullopt;
    read(values[0], 1000, fixed.value);
    read(values[1], 1, fixed.resistance);
    fixed.note = values[2];
  } else {
    read(values[0], part.type == PartCapacitor ? 1e6 : 1, fixed.value);
    fixed.note = values[1];
  }
  return fixed;
}

// ---------------------------------------------------------------- the host

// The optimizer's reports run on the user-interface thread while the
// optimizer thread waits for them. Shutdown() releases a waiting optimizer
// thread at once (its report is then skipped), so that the window can end the
// thread in the middle of a run.
class CrossoverOptimizerWindow::Host : public OptimizerHost {
 public:
  explicit Host(CrossoverOptimizerWindow& window) : window_(window), call_(&window) {}
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  void Shutdown() {
    {
      std::lock_guard lock(gateMutex_);
      held_ = false;
      skipping_ = true;
    }
    gate_.notify_all();
    call_.Shutdown();
  }

  // While the window asks a question about the run, the optimizer thread
  // waits before its next report, so that the run neither goes on behind the
  // question nor opens a dialog over it. Released with `skip`, the reports
  // that were waiting are dropped (the run is being aborted).
  void Hold() {
    std::lock_guard lock(gateMutex_);
    held_ = true;
  }
  void Release(bool skip) {
    {
      std::lock_guard lock(gateMutex_);
      held_ = false;
      skipping_ = skip;
    }
    gate_.notify_all();
  }

  void Progress(int perMille) override {
    RunOnUi([&] { window_.ShowProgress(perMille); });
  }
  void GradeReport(const GradeBlock& grades, const CalcResult& result) override {
    RunOnUi([&] { window_.GradeReport(grades, result); });
  }
  CrossoverPart FixPart(const OptimizerVariable& v, const CrossoverPart& part) override {
    CrossoverPart fixed = part;
    RunOnUi([&] { fixed = window_.FixPart(v, part); });
    return fixed;
  }
  void Success() override {
    RunOnUi([&] { window_.Success(); });
  }
  void Failure(const std::string& message) override {
    RunOnUi([&] { window_.Failure(message); });
  }
  // Past the gate: the end of a run is never held back or skipped.
  void Idle() override {
    call_.Run([&] { window_.RunFinished(); });
  }

 private:
  void RunOnUi(const std::function<void()>& fn) {
    if (QThread::currentThread() != window_.thread()) {
      std::unique_lock lock(gateMutex_);
      if (held_ && window_.onReportHeld) window_.onReportHeld();
      gate_.wait(lock, [this] { return !held_; });
      if (skipping_) return;
    }
    call_.Run(fn);
  }

  CrossoverOptimizerWindow& window_;
  UiCall call_;
  std::mutex gateMutex_;
  std::condition_variable gate_;
  bool held_ = false;
  bool skipping_ = false;
};

// ---------------------------------------------------------------- creation

CrossoverOptimizerWindow::CrossoverOptimizerWindow(ProjectDocument& doc, Interaction& ui,
                                                   std::chrono::milliseconds workerPause, QWidget* parent)
    : QWidget(parent), doc_(doc), ui_(ui) {
  setWindowFlag(Qt::Window, true);
  setObjectName(QStringLiteral("optimizerWindow"));
  setWindowTitle(QText(kOptimizerWindowCaption));
  setFixedSize(kWindowWidth, kWindowHeight);
  history_.reserve(kGradeHistoryLength + 1);

  BuildInputs();
  BuildOutputs();

  startButton_ = new QPushButton(QText(kOptimizerStartCaption), this);
  startButton_->setGeometry(8, 406, 180, 26);
  connect(startButton_, &QPushButton::clicked, this, [this] { StartClick(); });
  abortButton_ = new QPushButton(QText(kOptimizerAbortCaption), this);
  abortButton_->setGeometry(8, 406, 180, 26);
  abortButton_->hide();
  connect(abortButton_, &QPushButton::clicked, this, [this] { AbortClick(); });
  closeButton_ = new QPushButton(QText("Schließen"), this);
  closeButton_->setGeometry(kWindowWidth - 108, 406, 100, 26);
  connect(closeButton_, &QPushButton::clicked, this, [this] { close(); });
  // Escape closes the window as "Schließen" does, but never a running
  // search: that takes "Abbruch".
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, [this] {
    if (optimizer_->IsIdle()) close();
  });

  fixPartDialog = [this](const OptimizerVariable& v, const CrossoverPart& part) { return AskPartValues(ui_, v, part); };

  host_ = std::make_unique<Host>(*this);
  optimizer_ = std::make_unique<OptimizerThread>(host_.get(), workerPause);

  timer_ = new QTimer(this);
  timer_->setInterval(1000);
  connect(timer_, &QTimer::timeout, this, [this] { TimerTick(); });
  timer_->start();
  ScrollOnASmallScreen();
}

void CrossoverOptimizerWindow::ScrollOnASmallScreen() {
  const QScreen* screen = parentWidget() != nullptr ? parentWidget()->screen() : this->screen();
  if (screen == nullptr) return;
  // Room for the window's frame (title bar, borders) as well.
  const QSize room = screen->availableGeometry().size() - kWindowFrameRoom;
  if (room.width() >= kWindowWidth && room.height() >= kWindowHeight) return;
  // The window's controls, placed at fixed points, go onto a page of the
  // window's designed size in an area that scrolls, so that the window fits
  // the screen and "Schließen" stays in reach; a larger screen shows them as
  // built.
  auto* content = new QWidget;
  content->setObjectName(QStringLiteral("optimizerPage"));
  content->setFixedSize(kWindowWidth, kWindowHeight);
  // A copy of the list: the loop moves the children away.
  const QObjectList objects = children();
  for (QObject* object : objects) {
    auto* child = qobject_cast<QWidget*>(object);
    if (child == nullptr) continue;
    const bool hidden = child->testAttribute(Qt::WA_WState_ExplicitShowHide) && child->isHidden();
    const QRect at = child->geometry();
    child->setParent(content);
    child->setGeometry(at);
    child->setVisible(!hidden);
  }
  auto* area = ScrollingPage(content, "optimizerScrollArea");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(area);
  setMinimumSize(0, 0);
  setMaximumSize(kWindowWidth, kWindowHeight);
  resize(room.boundedTo(QSize(kWindowWidth, kWindowHeight)));
}

CrossoverOptimizerWindow::~CrossoverOptimizerWindow() {
  if (timer_ != nullptr) timer_->stop();
  // Release a report the optimizer waits for, then end the optimizer (it
  // stops at its next wait for the workers) before any control goes away.
  host_->Shutdown();
  optimizer_.reset();
}

void CrossoverOptimizerWindow::BuildInputs() {
  auto* group = new QGroupBox(QText("Eingaben"), this);
  group->setGeometry(8, 4, kWindowWidth - 16, 188);

  struct SliderDef {
    const char* caption;
    int maximum;
    int position;
    const char* top;
    const char* middle;
    const char* bottom;
    QSlider** slider;
  };
  const SliderDef sliders[] = {
      {"Hörgeschmack Bass", 6, 3, "kräftig", "", "schlank", &bassSlider_},
      {"Hörgeschmack Höhen", 6, 3, "strahlend", "", "englisch", &trebleSlider_},
      {"Verstärker min. Impedanz", 8, 5, "mögl. > 8 Ohm", "mögl. > 4 Ohm", "mögl. > 2 Ohm", &minImpedanceSlider_},
      {"Wirkungsgrad", 6, 3, "wichtig", "", "unwichtig", &efficiencySlider_},
  };
  const char* names[] = {"bassSlider", "trebleSlider", "minImpedanceSlider", "efficiencySlider"};
  for (int i = 0; i < 4; ++i) {
    const SliderDef& s = sliders[i];
    const int x = 10 + i * 132;
    auto* caption = Label(s.caption, group, QRect(x, 16, 126, 34));
    caption->setWordWrap(true);
    caption->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    auto* slider = new QSlider(Qt::Vertical, group);
    slider->setObjectName(QString::fromLatin1(names[i]));
    slider->setRange(0, s.maximum);
    slider->setValue(s.position);
    slider->setPageStep(1);
    slider->setTickPosition(QSlider::TicksRight);
    slider->setTickInterval(1);
    // The top position is 0 (the first text), the keys move the way it shows.
    slider->setInvertedAppearance(true);
    slider->setInvertedControls(true);
    slider->setGeometry(x, 54, 30, 126);
    *s.slider = slider;
    Label(s.top, group, QRect(x + 32, 54, 98, 18));
    if (*s.middle != 0) Label(s.middle, group, QRect(x + 32, 108, 98, 18));
    Label(s.bottom, group, QRect(x + 32, 162, 98, 18));
  }

  auto* fixFrame = new QFrame(group);
  fixFrame->setFrameShape(QFrame::StyledPanel);
  fixFrame->setGeometry(544, 20, kWindowWidth - 16 - 552, 160);
  auto* fixCaption =
      Label("Automatische Festlegung von Kondensatoren und Widerständen", fixFrame, QRect(8, 4, 232, 38));
  fixCaption->setWordWrap(true);
  capacitorCombo_ = new QComboBox(fixFrame);
  capacitorCombo_->setObjectName(QStringLiteral("capacitorCombo"));
  for (const char* item : {"Kondensatoren manuell wählen", "Kondensatoren aus E6-Reihe", "Kondensatoren aus E12-Reihe"})
    capacitorCombo_->addItem(QText(item));
  capacitorCombo_->setGeometry(8, 46, 232, 26);
  resistorCombo_ = new QComboBox(fixFrame);
  resistorCombo_->setObjectName(QStringLiteral("resistorCombo"));
  for (const char* item : {"Widerstände manuell wählen", "Widerstände aus E6-Reihe", "Widerstände aus E12-Reihe"})
    resistorCombo_->addItem(QText(item));
  resistorCombo_->setGeometry(8, 80, 232, 26);
  auto* coils = Label("Spulen werden immer manuell gewählt.", fixFrame, QRect(8, 112, 232, 40));
  coils->setWordWrap(true);
}

void CrossoverOptimizerWindow::BuildOutputs() {
  auto* group = new QGroupBox(QText(" Ausgaben "), this);
  group->setGeometry(8, kOutputTop, kWindowWidth - 16, kOutputHeight);

  // The grade lines are columns of fixed width: a fixed-pitch font keeps the
  // "=" and the decimal points one below the other.
  QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  mono.setPointSize(9);
  Label("Ergebnisse vor Optimierung", group, QRect(8, 18, kListWidth, 16));
  beforeList_ = new QListWidget(group);
  beforeList_->setObjectName(QStringLiteral("beforeList"));
  beforeList_->setGeometry(8, 36, kListWidth, kListHeight);
  Label("Ergebnisse nach Optimierung", group, QRect(16 + kListWidth, 18, kListWidth, 16));
  afterList_ = new QListWidget(group);
  afterList_->setObjectName(QStringLiteral("afterList"));
  afterList_->setGeometry(16 + kListWidth, 36, kListWidth, kListHeight);
  for (QListWidget* list : {beforeList_, afterList_}) {
    list->setFont(mono);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setFocusPolicy(Qt::NoFocus);
  }

  historyPlot_ = new PaintArea(
      [this](QPainter& painter, const QRect& r) {
        painter.fillRect(r, Qt::white);
        struct Series {
          QColor colour;
          const char* caption;
          QPoint at;
        };
        const Series series[] = {
            {QColor(0, 0, 0), "Note gesamt", QPoint(10, 1)},     {QColor(0, 0, 255), "Frequenzgang", QPoint(100, 1)},
            {QColor(128, 0, 0), "Wirkungsgrad", QPoint(190, 1)}, {QColor(0, 128, 0), "Impedanz", QPoint(100, 16)},
            {QColor(255, 0, 0), "Phase", QPoint(190, 16)},
        };
        QFont small = painter.font();
        small.setPixelSize(11);
        painter.setFont(small);
        for (std::size_t s = 0; s < 5; ++s) {
          painter.setPen(series[s].colour);
          QPolygon line;
          for (std::size_t i = 0; i < history_.size(); ++i)
            line << QPoint(static_cast<int>(i), HistoryY(history_[i][s]));
          if (line.size() > 1) painter.drawPolyline(line);
          if (line.size() == 1) painter.drawPoint(line[0]);
          painter.drawText(QRect(series[s].at, QSize(90, 14)), Qt::AlignLeft | Qt::AlignTop, QText(series[s].caption));
        }
      },
      group);
  historyPlot_->setObjectName(QStringLiteral("historyPlot"));
  historyPlot_->setGeometry(24 + 2 * kListWidth, 36, kPlotWidth, kPlotHeight);

  progressStrip_ = new PaintArea(
      [this](QPainter& painter, const QRect& r) {
        const QPalette& pal = palette();
        if (progress_ < 0) {
          painter.fillRect(r, pal.color(QPalette::Button));
          return;
        }
        const int split = static_cast<int>(static_cast<long long>(r.width()) * std::min(progress_, 1000) / 1000);
        painter.fillRect(QRect(r.left(), r.top(), split, r.height()), pal.color(QPalette::ToolTipText));
        painter.fillRect(QRect(r.left() + split, r.top(), r.width() - split, r.height()),
                         pal.color(QPalette::ToolTipBase));
      },
      group);
  progressStrip_->setObjectName(QStringLiteral("progressStrip"));
  progressStrip_->setGeometry(8, 44 + kListHeight, kWindowWidth - 32, kStripHeight);

  // The finish panel covers the history plot and leaves both lists in view.
  finishPanel_ = new QFrame(group);
  finishPanel_->setObjectName(QStringLiteral("finishPanel"));
  finishPanel_->setFrameShape(QFrame::Panel);
  finishPanel_->setFrameShadow(QFrame::Raised);
  finishPanel_->setLineWidth(2);
  finishPanel_->setAutoFillBackground(true);
  finishPanel_->setGeometry(24 + 2 * kListWidth, 36, kPlotWidth, kPlotHeight);
  auto* heading = Label("Sonvex Weichenoptimierer", finishPanel_, QRect(0, 6, kPlotWidth, 18));
  QFont bold = heading->font();
  bold.setBold(true);
  heading->setFont(bold);
  heading->setAlignment(Qt::AlignHCenter);
  // The end message (Success) names both total grades; its height follows it.
  auto* text = finishText_ = new QLabel(QText(kOptimizerSuccessText), finishPanel_);
  text->setObjectName(QStringLiteral("finishTextLabel"));
  text->setGeometry(6, 26, kPlotWidth - 12, 56);
  text->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  text->setWordWrap(true);
  finishOkButton_ = new QPushButton(QText("Ok"), finishPanel_);
  finishOkButton_->setGeometry((kPlotWidth - 80) / 2, 88, 80, 24);
  connect(finishOkButton_, &QPushButton::clicked, this, [this] { FinishOkClick(); });
  finishPanel_->hide();
}

// ---------------------------------------------------------------- parameters

OptimizerParams CrossoverOptimizerWindow::Params() const {
  OptimizerSliders s;
  s.bass = bassSlider_->value();
  s.treble = trebleSlider_->value();
  s.zmin = minImpedanceSlider_->value();
  s.efficiency = efficiencySlider_->value();
  // The fixed weights (on axis 10, power response 3, 30° left and right 2,
  // minimum directivity 3) and no output transformer are the defaults.
  return OptimizerParamsFromSliders(s);
}

PartFixRules CrossoverOptimizerWindow::FixRules() const {
  auto choice = [](const QComboBox* box) {
    switch (box->currentIndex()) {
      case 1:
        return FixChoice::E6;
      case 2:
        return FixChoice::E12;
      default:
        return FixChoice::Manual;
    }
  };
  PartFixRules rules;
  rules.capacitors = choice(capacitorCombo_);
  rules.resistors = choice(resistorCombo_);
  rules.coils = FixChoice::Manual;  // coils are always chosen by hand
  return rules;
}

// ---------------------------------------------------------------- commands

void CrossoverOptimizerWindow::SetWorkerPause(std::chrono::milliseconds pause) { optimizer_->SetWorkerPause(pause); }

void CrossoverOptimizerWindow::ShowWindow() {
  // An open window only comes to the front: resetting it would abort a
  // running search and forget the run the closing questions are about.
  if (isVisible()) {
    raise();
    activateWindow();
    return;
  }
  // A window shown afresh never asks about the results of an earlier run.
  RequestAbort();
  runStarted_ = false;
  closeAfterRun_ = false;
  finishPanel_->hide();
  doc_.SetEditorOpen(EditorWindow::Optimizer, true);
  show();
  activateWindow();
}

void CrossoverOptimizerWindow::StartClick() {
  // 1. The start needs the finished results of the main calculation.
  if (!doc_.WaitUntilIdle()) return;
  // 2.
  if (!optimizer_->IsIdle()) {
    ui_.ShowMessage(kOptimizerRunningText);
    return;
  }
  // 3.
  if (ui_.ChooseButton(kOptimizerReferenceQuestion, "&Ja|&Nein", 1) == 1) doc_.RememberReference();
  // 4. Marks made here are marks in the project itself, saved with it, so
  // the project then counts as changed (no undo step; marks do not enter
  // the calculation).
  bool marked = false;
  {
    ProjectEdit edit(doc_, std::nullopt);
    const int marksBefore = CountMarkedParts(edit.EditedProject());
    marked = EnsureMarkedParts(edit.EditedProject(), ui_);
    if (CountMarkedParts(edit.EditedProject()) != marksBefore) edit.Commit();
  }
  if (!marked) return;
  const Project& p = doc_.CurrentProject();
  // 5.
  if (const auto message = CheckChassisData(p)) {
    ui_.ShowMessage(*message);
    return;
  }
  // 6. The calculation thread is idle: its results and item states belong
  // to the project as it stands (marks do not enter the calculation).
  beforeList_->clear();
  afterList_->clear();
  finishPanel_->hide();
  if (!optimizer_->StartRun(p, doc_.Calculation().Result(), doc_.Calculation().States(), Params())) {
    ui_.ShowMessage(kOptimizerRunningText);
    return;
  }
  startButton_->hide();
  startButton_->setEnabled(false);
  abortButton_->show();
  closeButton_->hide();
  history_.clear();
  historyPlot_->update();
  runStarted_ = true;
  emit runStarted();
}

void CrossoverOptimizerWindow::RequestAbort() {
  optimizer_->RequestStop();
  // A run comes to a stop in its own time and then reports RunFinished.
  if (optimizer_->IsIdle()) ShowIdleButtons();
}

void CrossoverOptimizerWindow::ShowIdleButtons() {
  abortButton_->hide();
  closeButton_->show();
  startButton_->show();
  startButton_->setEnabled(true);
}

void CrossoverOptimizerWindow::RunFinished() {
  // A report of a run that ended after the next one began: that one goes on.
  if (!optimizer_->IsIdle()) return;
  // Reports held back for the question whether to abort flow again.
  host_->Release(false);
  ShowIdleButtons();
  emit runFinished();
  if (closeAfterRun_) {
    closeAfterRun_ = false;
    close();
  }
}

void CrossoverOptimizerWindow::AbortClick() { RequestAbort(); }

void CrossoverOptimizerWindow::FinishOkClick() {
  finishPanel_->hide();
  close();
}

void CrossoverOptimizerWindow::TimerTick() {
  // The history is drawn at most once a second, however fast reports come.
  if (reportPending_) {
    historyPlot_->update();
    reportPending_ = false;
  }
}

// ---------------------------------------------------------------- reports

void CrossoverOptimizerWindow::ShowProgress(int perMille) {
  progress_ = perMille;
  progressStrip_->update();
  emit runProgress(perMille);
}

void CrossoverOptimizerWindow::GradeReport(const GradeBlock& grades, const CalcResult& result) {
  const auto lines = OptimizerResultLines(grades);
  afterList_->clear();
  for (const std::string& line : lines) afterList_->addItem(QText(line));
  // The first report of a run: the grades of the start crossover.
  if (beforeList_->count() == 0)
    for (const std::string& line : lines) beforeList_->addItem(QText(line));
  // The main window shows the best crossover found so far.
  doc_.ShowOptimizerResult(result);
  AppendHistory(history_, grades);
  reportPending_ = true;
}

CrossoverPart CrossoverOptimizerWindow::FixPart(const OptimizerVariable& v, const CrossoverPart& part) {
  if (const auto rounded = FixPartByRule(part, FixRules())) return *rounded;
  // A report posted just before the window began to ask about the run: no
  // dialog over the question; the part keeps the value the search found.
  if (asking_) return part;
  QApplication::beep();
  std::optional<CrossoverPart> chosen;
  if (fixPartDialog) chosen = fixPartDialog(v, part);
  return chosen ? *chosen : part;
}

namespace {

// The end of the last run is worse than its start (the run is over).
bool EndWorseThanStart(const OptimizerThread& optimizer) {
  return optimizer.LastOutcome() == OptimizerOutcome::Finished &&
         JudgeOptimizerEnd(optimizer.StartGrades()[GradeTotal], optimizer.BestGrades()[GradeTotal]) ==
             OptimizerEndVerdict::Worse;
}

}  // namespace

void CrossoverOptimizerWindow::Success() {
  // Both total grades; a result worse than the start says so and proposes
  // keeping the start values (the closing question then defaults to them).
  if (QLabel* text = finishText_; text != nullptr) {
    text->setText(QText(OptimizerEndText(optimizer_->StartGrades()[GradeTotal], optimizer_->BestGrades()[GradeTotal])));
    // A longer message lengthens the panel downwards, over the idle
    // progress strip; the lists stay in view.
    text->resize(text->width(), std::max(56, text->heightForWidth(text->width())));
    finishOkButton_->move(finishOkButton_->x(), text->geometry().bottom() + 6);
    finishPanel_->resize(finishPanel_->width(), std::max(kPlotHeight, finishOkButton_->geometry().bottom() + 8));
  }
  finishPanel_->show();
  finishPanel_->raise();
  for (int i = 0; i < 3; ++i) QApplication::beep();
}

void CrossoverOptimizerWindow::Failure(const std::string& message) { ui_.ShowMessage(message); }

// ---------------------------------------------------------------- closing

void CrossoverOptimizerWindow::closeEvent(QCloseEvent* event) {
  if (runStarted_) {
    if (!optimizer_->IsIdle()) {
      // The run waits while the question is open; its answer ends or
      // continues it. An aborted run closes the window once it stopped,
      // with the question below.
      host_->Hold();
      asking_ = true;
      const bool abort = ui_.ChooseButton(kOptimizerAbortQuestion, "&Ja|&Nein", 2) == 1;
      asking_ = false;
      host_->Release(abort);
      if (abort) {
        closeAfterRun_ = true;
        RequestAbort();
      }
    }
    if (!optimizer_->IsIdle()) {
      event->ignore();
      return;
    }
    const int answer =
        ui_.ChooseButton(kOptimizerTakeOverQuestion, "&Ja|&Nein|&Abbruch", EndWorseThanStart(*optimizer_) ? 2 : 3);
    if (answer != 1 && answer != 2) {
      event->ignore();
      return;
    }
    // Taking over is an edit of its own: its undo step brings back the
    // crossover as it was before the run. Discarding puts back the project
    // as it was and makes no step.
    ProjectEdit edit(doc_, answer == 1 ? std::optional<std::string>("Optimierung übernehmen") : std::nullopt);
    if (answer == 1) {
      edit.EditedProject() = optimizer_->BestProject();
      edit.Commit();
    } else {
      // The project exactly as it was when the run started, marks and saved
      // flag included.
      edit.EditedProject() = optimizer_->StartProject();
      edit.CommitKeepingSavedFlag();
    }
    runStarted_ = false;
  }
  finishPanel_->hide();
  event->accept();
  doc_.SetEditorOpen(EditorWindow::Optimizer, false);
  emit openChanged(false);
}

}  // namespace sonvex
