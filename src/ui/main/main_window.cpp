#include "ui/main/main_window.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <system_error>
#include <utility>
#include <vector>

#include "calc/file_load.h"
#include "charts/qt_text.h"
#include "model/captions.h"
#include "model/chassis_file.h"
#include "model/file_io.h"
#include "model/interaction.h"
#include "model/number_text.h"
#include "model/project_file.h"
#include "ui/dialogs/calculators_window.h"
#include "ui/dialogs/display_options_dialog.h"
#include "ui/dialogs/error_list_window.h"
#include "ui/dialogs/export_dialog.h"
#include "ui/dialogs/folder_dialog.h"
#include "ui/dialogs/help_windows.h"
#include "ui/dialogs/project_properties_dialog.h"
#include "ui/dialogs/window_place.h"
#include "ui/editors/active_filter_dialog.h"
#include "ui/editors/cabinet_dialog.h"
#include "ui/editors/chassis_copy_dialog.h"
#include "ui/editors/chassis_editor.h"
#include "ui/editors/crossover_editor.h"
#include "ui/editors/optimizer_window.h"
#include "ui/editors/part_editor.h"
#include "ui/main/flow_layout.h"
#include "ui/main/menu_state.h"
#include "ui/main/status_colours.h"

namespace sonvex {

namespace {

constexpr const char* kDiscardQuestion = "Wirklich alle Änderungen ohne zu sichern verwerfen?";
constexpr const char* kProjectFilter = "Sonvex Projekte (*.ZPJ)|*.ZPJ";
constexpr const char* kProjectSaveFilter = "Sonvex Projekte (*.ZPJ)|*.ZPJ|Alle Dateien (*.*)|*.*";

// A paint box: draws through a callback into its whole client area.
class ChartPaintBox : public QWidget {
 public:
  explicit ChartPaintBox(std::function<void(QPainter&, const QRect&)> paint, QWidget* parent = nullptr)
      : QWidget(parent), paint_(std::move(paint)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 150);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    paint_(painter, rect());
  }

 private:
  std::function<void(QPainter&, const QRect&)> paint_;
};

// The single panel of the status bar: its text in purple on a colour that
// follows the calculation; a click opens the error list.
class ClickableStatusPanel : public QLabel {
 public:
  explicit ClickableStatusPanel(std::function<void()> onClick, QWidget* parent = nullptr)
      : QLabel(parent), onClick_(std::move(onClick)) {
    setAutoFillBackground(true);
    setCursor(Qt::PointingHandCursor);
  }

 protected:
  void mousePressEvent(QMouseEvent* e) override {
    if (e->button() == Qt::LeftButton && onClick_) onClick_();
    QLabel::mousePressEvent(e);
  }

 private:
  std::function<void()> onClick_;
};

}  // namespace

// ---------------------------------------------------------------- creation

MainWindow::MainWindow(Settings& settings, Interaction& ui, const MainWindowOptions& options, QWidget* parent)
    : QMainWindow(parent),
      settings_(settings),
      ui_(ui),
      doc_(std::make_unique<ProjectDocument>(settings, ui)),
      charts_(MakeChartSet()),
      optimizerPause_(options.optimizerPause) {
  execDialog = [](QDialog& d) { return d.exec(); };
  // 1.-2. title without a file name, editor flags clear, placed at 66, 0
  // On a screen smaller than the usual window, the window starts at the
  // screen's free area instead of reaching past its edges.
  QRect place(66, 0, 1100, 760);
  if (const QScreen* sc = screen(); sc != nullptr && !sc->availableGeometry().contains(place)) {
    const QRect free = sc->availableGeometry();
    // The frame's room counts too, so that the status bar stays on the screen.
    place = QRect(free.topLeft(), place.size().boundedTo(free.size() - kWindowFrameRoom));
  }
  move(place.topLeft());
  resize(place.size());
  // 3. pages, charts and the rest of the window
  BuildPages();
  BuildMenus();
  BuildStatusBar();
  errorList_ = new ErrorListWindow(this);
  errorList_->setWindowFlag(Qt::Window, true);
  partEditor_ = new PartEditorDialog(settings_, ui_, this);
  partEditor_->execDialog = [this](QDialog& d) { return execDialog(d); };
  crossoverEditor_ = new CrossoverEditorWindow(*doc_, settings_, ui_, *partEditor_, RunDialog(), this);
  calculators_ = new CalculatorsWindow(settings_, ui_, this);
  quickGuide_ = new QuickGuideWindow(this);
  UpdateTitle();
  UpdateUndoItem();
  ConnectDocument();

  // 5. a new project (the document's), then the project of the command line
  // or Default.ZPJ
  std::error_code ec;
  if (options.startFile && !options.startFile->empty() && std::filesystem::exists(*options.startFile, ec))
    doc_->LoadFile(*options.startFile);
  else
    doc_->LoadFile(settings_.projectFolder / "Default.ZPJ");

  // 6. newer chassis files are offered once the window runs
  checkChassisPending_ = true;
  checkIndex_ = 0;

  // 7. the calculation thread and the first request (it computes everything)
  calcPause_ = options.calcPause;
  doc_->StartCalculation(options.calcPause);

  // 8. no reference yet
  SetReferenceItems(false);

  checkTimer_ = new QTimer(this);
  checkTimer_->setInterval(1000);
  connect(checkTimer_, &QTimer::timeout, this, [this] { CheckChassisTick(); });
  if (options.chassisCheckTimer) checkTimer_->start();
}

MainWindow::~MainWindow() {
  if (checkTimer_ != nullptr) checkTimer_->stop();
  // The optimizer ends first: its reports go to this window.
  delete optimizer_;
  optimizer_ = nullptr;
  // Release a calculation that waits for this thread, then end it, before
  // any widget goes away.
  doc_->StopCalculation();
}

// The window follows the document: editors close before the project is
// replaced, the menus follow the project and the open editors, the charts
// the result and the display options, the title the file name and the saved
// state.
void MainWindow::ConnectDocument() {
  ProjectDocument* d = doc_.get();
  connect(d, &ProjectDocument::projectChanged, this, [this](const ProjectChanges& changes) {
    RefreshMenuState();
    // Colours and scales alone need no calculation: the charts are drawn
    // anew at once; otherwise with the result of the calculation that follows.
    if (changes.display && !changes.calcInputs) UpdateCharts();
  });
  connect(d, &ProjectDocument::openEditorsChanged, this, [this] { RefreshMenuState(); });
  connect(d, &ProjectDocument::undoChanged, this, [this] { UpdateUndoItem(); });
  connect(d, &ProjectDocument::fileNameChanged, this, [this] { UpdateTitle(); });
  connect(d, &ProjectDocument::savedChanged, this, [this] { UpdateTitle(); });
  connect(d, &ProjectDocument::resultChanged, this, [this] { UpdateCharts(); });
  connect(d, &ProjectDocument::calcProgress, this,
          [this](const QString& text) { SetStatus(text, QColor(128, 128, 128)); });
  connect(d, &ProjectDocument::calcStatus, this, [this](const CalcReport& report) { CalcStatus(report); });
  connect(d, &ProjectDocument::referenceChanged, this, [this](ReferenceEvent e) { ReferenceChanged(e); });
}

DialogRunner MainWindow::RunDialog() {
  return [this](QDialog& d) { return execDialog(d); };
}

void MainWindow::BuildPages() {
  pages_ = new QTabWidget(this);
  setCentralWidget(pages_);
  for (int page = 0; page < ChartPageCount; ++page) {
    auto* box = new ChartPaintBox([this, page](QPainter& painter, const QRect& r) {
      if (page == PagePolar)
        FillPolarPlots(*charts_, doc_->ShownResult(), polarScrollBar_ != nullptr ? polarScrollBar_->value() : 0);
      // The time responses are computed only for this page, when it is shown.
      if (page == PageStepResponse) FillStepPage();
      PaintChartPage(*charts_, page, painter, r);
    });
    paintBoxes_[static_cast<std::size_t>(page)] = box;
    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(2, 2, 2, 2);
    auto onToggle = [this] {
      if (!updating_) UpdateCharts();
    };
    if (page == PageResponseImpedance) {
      // The control rows wrap in a narrow window.
      auto* row = new FlowLayout;
      showChassisCheck_ = new QCheckBox(QText("Frequenzgang Einzelchassis zeigen"));
      showImpedanceCheck_ = new QCheckBox(QText("Impedanzgang zeigen"));
      showEnergyCheck_ = new QCheckBox(QText("Energiefrequenzgang zeigen"));
      for (QCheckBox* cb : {showChassisCheck_, showImpedanceCheck_, showEnergyCheck_}) {
        cb->setChecked(true);
        connect(cb, &QCheckBox::toggled, this, onToggle);
        row->addWidget(cb);
      }
      layout->addLayout(row);
    } else if (page == PagePhase) {
      auto* row = new FlowLayout;
      row->addWidget(new QLabel(QText("Bezug auf")));
      phaseReferenceEdit_ = new QLineEdit(QText("0"));
      phaseReferenceEdit_->setMaximumWidth(60);
      row->addWidget(phaseReferenceEdit_);
      row->addWidget(new QLabel(QText("cm")));
      row->addWidget(new QLabel(QText("hinter Schallwand")));
      auto* refreshButton = new QPushButton(QText("Graphen aktualisieren"));
      connect(refreshButton, &QPushButton::clicked, this, [this] { UpdateCharts(); });
      row->addWidget(refreshButton);
      layout->addLayout(row);
      auto* boxes = new FlowLayout;
      for (int k = 0; k < kMaxChassis; ++k) {
        auto* cb = new QCheckBox(QText("Chassis(" + std::to_string(k + 1) + ")"));
        cb->setChecked(true);
        connect(cb, &QCheckBox::toggled, this, onToggle);
        phaseChassisChecks_[static_cast<std::size_t>(k)] = cb;
        boxes->addWidget(cb);
      }
      layout->addLayout(boxes);
      phaseRearCheck_ = new QCheckBox(QText("auch rückwärtige Anteile (z. B. Bassreflexanteile) zeigen"));
      phaseRearCheck_->setChecked(false);
      connect(phaseRearCheck_, &QCheckBox::toggled, this, onToggle);
      layout->addWidget(phaseRearCheck_);
    } else if (page == PageSpinorama) {
      // As on the first page: the group delay of each chassis too.
      auto* row = new FlowLayout;
      spinShowChassisCheck_ = new QCheckBox(QText("Frequenzgang Einzelchassis zeigen"));
      spinShowChassisCheck_->setChecked(true);
      connect(spinShowChassisCheck_, &QCheckBox::toggled, this, onToggle);
      row->addWidget(spinShowChassisCheck_);
      layout->addLayout(row);
    } else if (page == PageStepResponse) {
      auto* row = new FlowLayout;
      stepShowChassisCheck_ = new QCheckBox(QText("Frequenzgang Einzelchassis zeigen"));
      stepShowChassisCheck_->setChecked(true);
      connect(stepShowChassisCheck_, &QCheckBox::toggled, this, [this] { StepControlsChanged(); });
      row->addWidget(stepShowChassisCheck_);
      auto* endLabel = new QLabel(QText("bis"));
      row->addWidget(endLabel);
      stepEndCombo_ = new QComboBox;
      // one entry per kStepPageEndsMs
      for (const char* end : {"5 ms", "10 ms", "20 ms", "50 ms"}) stepEndCombo_->addItem(QText(end));
      stepEndCombo_->setCurrentIndex(static_cast<int>(
          std::find(kStepPageEndsMs.begin(), kStepPageEndsMs.end(), kStepPageDefaultEndMs) - kStepPageEndsMs.begin()));
      connect(stepEndCombo_, &QComboBox::currentIndexChanged, this, [this] { StepControlsChanged(); });
      row->addWidget(stepEndCombo_);
      // centred beside the taller combo box
      endLabel->setMinimumHeight(stepEndCombo_->sizeHint().height());
      layout->addLayout(row);
    } else if (page == PagePolar) {
      auto* row = new QHBoxLayout;
      polarScrollBar_ = new QScrollBar(Qt::Horizontal);
      polarScrollBar_->setRange(0, 0);
      connect(polarScrollBar_, &QScrollBar::valueChanged, this, [this] { PolarScrolled(); });
      polarLabel_ = new QLabel(QText("Frequenz: 0 Hz"));
      polarLabel_->setMinimumWidth(140);
      row->addWidget(polarScrollBar_, 1);
      row->addWidget(polarLabel_);
      layout->addLayout(row);
    }
    layout->addWidget(box, 1);
    pages_->addTab(tab, QText(ChartPageCaption(page)));
  }
}

void MainWindow::BuildMenus() {
  QMenuBar* bar = menuBar();
  auto addMenu = [&](const char* name, const char* caption) {
    QMenu* m = bar->addMenu(QText(caption));
    m->setObjectName(name);
    m->menuAction()->setObjectName(QString(name) + "Action");
    return m;
  };
  auto addItem = [&](QMenu* m, const char* name, const std::string& caption, const char* keys,
                     std::function<void()> handler) {
    QAction* a = m->addAction(QText(caption));
    a->setObjectName(name);
    if (keys != nullptr && *keys != 0) a->setShortcut(QKeySequence(QString::fromLatin1(keys)));
    if (handler) connect(a, &QAction::triggered, this, [h = std::move(handler)] { h(); });
    return a;
  };

  QMenu* fileMenu = fileMenu_ = addMenu("menuFile", "&Datei");
  addItem(fileMenu, "actNew", "&Neues Projekt", "Ctrl+N", [this] { NewProjectClick(); });
  addItem(fileMenu, "actLoad", "Projekt &laden ...", "Ctrl+L", [this] { LoadProjectClick(); });
  addItem(fileMenu, "actSave", "Projekt &speichern ...", "Ctrl+S", [this] { SaveClick(); });
  addItem(fileMenu, "actSaveAs", "Speichern &unter ...", "Ctrl+Shift+S", [this] { SaveProjectClick(); });
  addItem(fileMenu, "actExport", "Ergebnis-Export ...", "Ctrl+Alt+E", [this] { ExportClick(); });
  QAction* saveChart =
      addItem(fileMenu, "actSaveChart", "Diagramm speichern ...", nullptr, [this] { SaveChartClick(); });
  // The chart pages offer it in their context menu as well.
  for (QWidget* box : paintBoxes_) {
    box->setContextMenuPolicy(Qt::ActionsContextMenu);
    box->addAction(saveChart);
  }
  fileMenu->addSeparator();
  addItem(fileMenu, "actProperties", "Projekt&eigenschaften", "Ctrl+E", [this] { ProjectPropertiesClick(); });
  fileMenu->addSeparator();
  addItem(fileMenu, "actExit", "Programm &beenden", "Ctrl+X", [this] { close(); });

  QMenu* edit = editMenu_ = addMenu("menuEdit", "&Bearbeiten");
  undoAction_ = addItem(edit, "actUndo", "Undo", "Ctrl+Z", [this] { UndoClick(); });
  // While an editor holds values not yet taken over, undo is not offered.
  connect(edit, &QMenu::aboutToShow, this, [this] {
    UpdateUndoItem();
    if (EditorWithPendingValues() != nullptr) undoAction_->setEnabled(false);
  });
  edit->addSeparator();
  addItem(edit, "actRefRemember", "Projekt als Referenz merken", "Ctrl+R", [this] { RememberReferenceClick(); });
  referenceItems_ = {
      addItem(edit, "actRefSwap", "Referenzprojekt mit aktuellem Projekt tauschen", "Ctrl+Alt+R",
              [this] { SwapReferenceClick(); }),
      addItem(edit, "actRefRestore", "Referenzprojekt wiederherstellen", "Ctrl+Alt+W",
              [this] { RestoreReferenceClick(); }),
      addItem(edit, "actRefDelete", "Referenzprojekt löschen", "Ctrl+Alt+X", [this] { DeleteReferenceClick(); })};

  // The editors of the chassis, the common enclosure, the crossovers and the
  // active filters are windows of their own; until they exist their items do
  // nothing.
  QMenu* chassis = chassisMenu_ = addMenu("menuChassis", "&Chassis && Einbau");
  addItem(chassis, "actCabinet", "gemeinsames Außengehäuse", "Ctrl+G", [this] { CabinetClick(); });
  chassis->addSeparator();
  for (int n = 1; n <= kChassisSlots; ++n) {
    const std::string name = "actChassis" + std::to_string(n);
    const std::string keys = "Ctrl+F" + std::to_string(n);
    chassisItems_[static_cast<std::size_t>(n - 1)] = addItem(chassis, name.c_str(), "Chassis &" + std::to_string(n),
                                                             keys.c_str(), [this, n] { ChassisItemClick(n); });
  }
  chassis->addSeparator();
  addItem(chassis, "actChassisCopy", "Chassis kopieren", nullptr, [this] { ChassisCopyClick(); });

  static constexpr std::array<const char*, kMaxAmps> kFilterKeys{"F5", "F7", "F9", "Shift+F5", "Shift+F7", "Shift+F9"};
  static constexpr std::array<const char*, kMaxAmps> kCrossoverKeys{"F6",       "F8",       "F10",
                                                                    "Shift+F6", "Shift+F8", "Shift+F10"};
  for (int k = 1; k <= kMaxAmps; ++k) {
    const std::string menuName = "menuAmp" + std::to_string(k);
    QMenu* amp = ampMenus_[static_cast<std::size_t>(k - 1)] =
        addMenu(menuName.c_str(), ("Verstärker &" + std::to_string(k)).c_str());
    const std::string filterName = "actActiveFilter" + std::to_string(k);
    const std::string crossoverName = "actCrossover" + std::to_string(k);
    addItem(amp, filterName.c_str(), "&Aktive Filter...", kFilterKeys[static_cast<std::size_t>(k - 1)],
            [this, k] { ActiveFilterClick(k); });
    addItem(amp, crossoverName.c_str(), "&Weiche editieren...", kCrossoverKeys[static_cast<std::size_t>(k - 1)],
            [this, k] { CrossoverEditClick(k - 1); });
  }

  QMenu* options = addMenu("menuOptions", "&Optionen");
  addItem(options, "actDisplayOptions", "Anzeigeoptionen", "Ctrl+Alt+O", [this] { DisplayOptionsClick(); });
  addItem(options, "actFolders", "Verzeichnisse", "Ctrl+Alt+V", [this] { FoldersClick(); });
  addItem(options, "actCalcPause", "Rechenpause ...", nullptr, [this] { CalcPauseClick(); });
  addItem(options, "actOptimizerPause", "Optimiererpause ...", nullptr, [this] { OptimizerPauseClick(); });

  QMenu* extras = addMenu("menuExtras", "Extras");
  addItem(extras, "actBoxDesign", "Auslegung geschlossene / Bassreflex-Box", "Ctrl+A", [this] { ShowCalculators(0); });
  addItem(extras, "actPortDesign", "Auslegung Reflexkanal", nullptr, [this] { ShowCalculators(1); });
  addItem(extras, "actCrossoverDesign", "Auslegung Standardweichen", nullptr, [this] { ShowCalculators(2); });
  addItem(extras, "actAttenuatorDesign", "Auslegung Spannungsteiler", nullptr, [this] { ShowCalculators(3); });
  addItem(extras, "actZCorrectionDesign", "Auslegung Impedanzkorrekturglieder", nullptr,
          [this] { ShowCalculators(4); });
  extras->addSeparator()->setObjectName("sepOptimizer");
  addItem(extras, "actOptimizer", "Weichenoptimierer ...", "Ctrl+O", [this] { OptimizerClick(); });

  QMenu* windows = windowMenu_ = addMenu("menuWindows", "&Fenster");
  showCrossoverAction_ = addItem(windows, "actShowCrossover", "Weicheneditor zeigen", "Ctrl+W", [this] {
    if (!doc_->OpenEditors().crossover) return;
    crossoverEditor_->show();
    crossoverEditor_->raise();
    crossoverEditor_->activateWindow();
  });
  showChassisAction_ = addItem(windows, "actShowChassis", "Chassiseditor zeigen", "Ctrl+D", [this] {
    if (chassisEditor_ == nullptr || !doc_->OpenEditors().chassis) return;
    chassisEditor_->show();
    chassisEditor_->raise();
    chassisEditor_->activateWindow();
  });
  showOptimizerAction_ =
      addItem(windows, "actShowOptimizer", "Optimizer zeigen", nullptr, [this] { ShowOptimizerClick(); });

  QMenu* help = addMenu("menuHelp", "&Hilfe");
  addItem(help, "actQuickGuide", "Kurzanleitung", "F1", [this] { QuickGuideClick(); });
  // Ctrl+F1 belongs to the first chassis item; two actions with one shortcut
  // would make the key do nothing at all, so the about item has none.
  addItem(help, "actInfo", "&Info ...", nullptr, [this] { InfoClick(); });
}

void MainWindow::BuildStatusBar() {
  statusPanel_ = new ClickableStatusPanel([this] { ShowErrorList(); });
  statusBar()->addWidget(statusPanel_, 1);
  SetStatus(QString(), palette().color(QPalette::Button));
}

// ---------------------------------------------------------------- small helpers

QString MainWindow::StatusText() const { return statusPanel_->text(); }
QColor MainWindow::StatusColor() const { return statusPanel_->palette().color(QPalette::Window); }
QColor MainWindow::StatusTextColor() const { return statusPanel_->palette().color(QPalette::WindowText); }

void MainWindow::SetStatus(const QString& text, const QColor& background) {
  QPalette pal = statusPanel_->palette();
  pal.setColor(QPalette::Window, background);
  pal.setColor(QPalette::WindowText, StatusTextColour(background));
  statusPanel_->setPalette(pal);
  statusPanel_->setText(text);
}

void MainWindow::ShowErrorList() {
  errorList_->show();
  errorList_->raise();
}

void MainWindow::SetReferenceItems(bool enabled) {
  for (QAction* item : referenceItems_) item->setEnabled(enabled);
}

void MainWindow::UpdateUndoItem() {
  QAction* a = undoAction_;
  const UndoStack& undo = doc_->UndoHistory();
  if (undo.Empty()) {
    a->setEnabled(false);
    // at start the item keeps its designed caption
    if (a->text() != QText("Undo")) a->setText(QText(undo.Caption()));
  } else {
    a->setEnabled(true);
    a->setText(QText(undo.Caption()));
  }
}

void MainWindow::UpdateTitle() {
  // An asterisk marks unsaved changes.
  setWindowTitle(QText(MainWindowTitle(doc_->TitleName(), width()) + (doc_->Saved() ? "" : " *")));
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  UpdateTitle();
}

// ---------------------------------------------------------------- menu state

void MainWindow::RefreshMenuState() {
  const MenuItemStates m = MenuState(doc_->CurrentProject(), doc_->OpenEditors());
  editMenu_->menuAction()->setEnabled(m.editMenu);
  for (int k = 1; k <= kMaxAmps; ++k) {
    const auto a = static_cast<std::size_t>(k - 1);
    QMenu* amp = ampMenus_[a];
    amp->menuAction()->setVisible(m.ampShown[a]);
    amp->menuAction()->setEnabled(m.ampMenu[a]);
    for (QAction* item : amp->actions()) item->setEnabled(m.ampItems[a]);
  }
  for (int n = 1; n <= kChassisSlots; ++n) {
    const auto slot = static_cast<std::size_t>(n - 1);
    QAction* a = chassisItems_[slot];
    a->setText(QText(m.chassisCaption[slot]));
    a->setVisible(m.chassisItem[slot]);
    a->setEnabled(m.chassisItem[slot]);
  }
  pages_->setTabVisible(PageChassis5To8, m.chassisPage58);
  // Ctrl+Tab steps over disabled pages only: a hidden page is disabled too.
  pages_->setTabEnabled(PageChassis5To8, m.chassisPage58);
  pages_->setTabText(PageChassis1To4, QText(m.chassisPage14Caption));
  windowMenu_->menuAction()->setVisible(m.windowMenu);
  windowMenu_->menuAction()->setEnabled(m.windowMenu);
  showCrossoverAction_->setEnabled(m.showCrossover);
  showChassisAction_->setEnabled(m.showChassis);
  showOptimizerAction_->setEnabled(m.showOptimizer);
  fileMenu_->menuAction()->setEnabled(m.fileMenu);
  chassisMenu_->menuAction()->setEnabled(m.chassisMenu);
}

// ---------------------------------------------------------------- charts

void MainWindow::UpdateCharts() {
  updating_ = true;
  chartControls_.showChassis = showChassisCheck_->isChecked();
  chartControls_.showImpedance = showImpedanceCheck_->isChecked();
  chartControls_.showEnergy = showEnergyCheck_->isChecked();
  chartControls_.phaseReference = StdText(phaseReferenceEdit_->text());
  for (int k = 0; k < kMaxChassis; ++k)
    chartControls_.phaseChassis[static_cast<std::size_t>(k)] =
        phaseChassisChecks_[static_cast<std::size_t>(k)]->isChecked();
  chartControls_.phaseRear = phaseRearCheck_->isChecked();
  chartControls_.spinShowChassis = spinShowChassisCheck_->isChecked();
  StepControlsChanged();

  ChartUpdateOutcome outcome;
  UpdateChartSet(*charts_, doc_->CurrentProject(), doc_->ShownResult(), chartControls_, outcome);

  for (int k = 0; k < kMaxChassis; ++k) {
    const auto sk = static_cast<std::size_t>(k);
    QCheckBox* cb = phaseChassisChecks_[sk];
    cb->setText(QText(outcome.phaseCaptions[sk]));
    cb->setVisible(outcome.phaseVisible[sk]);
    cb->setChecked(chartControls_.phaseChassis[sk]);
  }
  // A new grid opens the polar plots at the point nearest 1 kHz; on the same
  // grid they stay where the user put them.
  const bool newGrid = polarScrollBar_->maximum() != outcome.polarMax;
  polarScrollBar_->setMaximum(outcome.polarMax);
  if (newGrid) polarScrollBar_->setValue(outcome.polarStart);
  polarLabel_->setText(QText(PolarFrequencyLabel(doc_->ShownResult(), polarScrollBar_->value())));
  for (const std::string& m : outcome.messages) ui_.ShowMessage(m);
  RepaintCharts();
  updating_ = false;
}

void MainWindow::RepaintCharts() {
  for (QWidget* box : paintBoxes_) box->update();
}

void MainWindow::StepControlsChanged() {
  chartControls_.stepShowChassis = stepShowChassisCheck_->isChecked();
  const int end = stepEndCombo_->currentIndex();
  chartControls_.stepEndMs = end >= 0 && end < static_cast<int>(kStepPageEndsMs.size())
                                 ? kStepPageEndsMs.at(static_cast<std::size_t>(end))
                                 : kStepPageDefaultEndMs;
  paintBoxes_[PageStepResponse]->update();
}

void MainWindow::FillStepPage() {
  ChartUpdateOutcome outcome;
  FillStepResponsePage(*charts_, doc_->CurrentProject(), doc_->ShownResult(), chartControls_, outcome);
  // No message box inside a paint event.
  for (const std::string& m : outcome.messages) QTimer::singleShot(0, this, [this, m] { ui_.ShowMessage(m); });
}

void MainWindow::PolarScrolled() {
  polarLabel_->setText(QText(PolarFrequencyLabel(doc_->ShownResult(), polarScrollBar_->value())));
  paintBoxes_[PagePolar]->update();
}

// ---------------------------------------------------------------- calculation host

void MainWindow::CalcStatus(const CalcReport& report) {
  errorList_->ShowReport(report);
  if (report.failed)
    SetStatus(QText(report.text), QColor(255, 0, 0));
  else
    SetStatus(QText(report.text), palette().color(QPalette::Button));
}

// ---------------------------------------------------------------- project commands

void MainWindow::NewProjectClick() {
  if (!doc_->Saved() && ui_.ChooseButton(kDiscardQuestion, "Ja |Nein", 2) != 1) return;
  doc_->New();
  QuickGuideClick();
  ProjectPropertiesClick();
}

void MainWindow::LoadProjectClick() {
  if (!doc_->Saved() && ui_.ChooseButton(kDiscardQuestion, "Ja |Nein", 2) != 1) return;
  const auto file = ui_.PickOpenFile("Projekt laden ...", kProjectFilter, settings_.projectFolder);
  std::error_code ec;
  if (!file || !std::filesystem::exists(*file, ec)) return;
  doc_->Load(*file);
  checkChassisPending_ = true;
  checkIndex_ = 0;
}

void MainWindow::SaveClick() {
  // A project with a file of its own is saved there; a new one asks for a name.
  if (doc_->FileName().empty())
    SaveProjectClick();
  else
    doc_->Save(doc_->FileName());
}

void MainWindow::SaveProjectClick() {
  const std::string defaultName = Utf8FromPath(doc_->FileName().filename());
  const auto chosen = ui_.PickSaveFile("Projekt speichern ...", kProjectSaveFilter, doc_->SaveFolder(), defaultName);
  if (!chosen) return;
  const auto name = ProjectSaveName(*chosen);
  if (!name) return;
  doc_->Save(*name);
}

void MainWindow::ProjectPropertiesClick() {
  ProjectPropertiesDialog dialog(this);
  dialog.Fill(doc_->CurrentProject());
  if (execDialog(dialog) != QDialog::Accepted) return;
  // New counts: the editors close.
  ProjectEdit edit(*doc_, "Projekteigenschaften ändern");
  edit.ClosesEditors();
  dialog.Apply(edit.EditedProject());
  edit.Commit();
}

void MainWindow::CrossoverEditClick(int amp) {
  if (amp < 0 || amp >= doc_->CurrentProject().ampCount) return;
  crossoverEditor_->OpenFor(amp);
}

void MainWindow::FoldersClick() {
  FoldersDialog dialog(settings_, &ui_, this);
  execDialog(dialog);
}

void MainWindow::ChassisItemClick(int n) {
  const OpenEditorFlags& open = doc_->OpenEditors();
  if (n < 1 || n > doc_->CurrentProject().chassisCount || open.chassis || open.optimizer) return;
  if (chassisEditor_ == nullptr) {
    chassisEditor_ = new ChassisEditorWindow(*doc_, settings_, ui_, this);
    chassisEditor_->execDialog = RunDialog();  // its polar import window, as every dialog of the program
  }
  chassisEditor_->Open(n - 1);
  chassisEditor_->setWindowTitle(QText("Chassis " + std::to_string(n) + ", Einbau und Schallwand editieren"));
  chassisEditor_->show();
  chassisEditor_->raise();
  chassisEditor_->activateWindow();
}

void MainWindow::CabinetClick() {
  if (doc_->OpenEditors().chassis || doc_->OpenEditors().optimizer) return;
  EditCommonCabinet(*doc_, execDialog, this);
}

void MainWindow::DisplayOptionsClick() { EditDisplayOptions(*doc_, execDialog, this); }

void MainWindow::ExportClick() {
  if (!doc_->WaitUntilIdle()) return;
  ExportDialog dialog(doc_->ShownResult(), ui_, settings_.projectFolder, this);
  execDialog(dialog);
}

void MainWindow::ShowCalculators(int page) { calculators_->ShowPage(page); }

void MainWindow::QuickGuideClick() {
  quickGuide_->show();
  quickGuide_->raise();
}

void MainWindow::InfoClick() {
  AboutDialog dialog(this);
  execDialog(dialog);
}

void MainWindow::ActiveFilterClick(int amp) { EditActiveFilter(*doc_, amp, execDialog, this); }

void MainWindow::ChassisCopyClick() {
  if (chassisCopy_ == nullptr) chassisCopy_ = new ChassisCopyDialog(this);
  EditChassisCopy(*doc_, *chassisCopy_, execDialog);
}

void MainWindow::SaveChartClick() {
  const int page = pages_->currentIndex();
  if (page < 0 || page >= ChartPageCount || !pages_->isTabVisible(page)) return;
  // Default name: project and page, e.g. "Default-01-fgang-imped.png".
  std::string stem = Utf8FromPath(doc_->FileName().stem());
  if (stem.empty()) stem = "noname";
  const std::string defaultName = stem + "-" + ChartPageFileName(page);
  auto file = ui_.PickSaveFile("Diagramm speichern ...", "PNG-Bild (*.png)|*.png|SVG-Grafik (*.svg)|*.svg",
                               doc_->SaveFolder(), defaultName);
  if (!file) return;
  std::string ext = Utf8FromPath(file->extension());
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (ext != ".png" && ext != ".svg") {
    *file += ".png";
    ext = ".png";
  }
  const PictureFormat format = ext == ".svg" ? PictureFormat::Svg : PictureFormat::Png;
  QWidget* box = paintBoxes_[static_cast<std::size_t>(page)];
  const QSize size = box->size().isValid() && !box->size().isEmpty() ? box->size() : QSize(1200, 800);
  const CalcResult& shown = doc_->ShownResult();
  if (page == PagePolar) FillPolarPlots(*charts_, shown, polarScrollBar_->value());
  if (page == PageStepResponse) FillStepPage();
  const std::string caption = page == PagePolar ? PolarFrequencyLabel(shown, polarScrollBar_->value()) : std::string();
  std::string error;
  if (!SaveChartPicture(*charts_, page, size, *file, format, caption, error)) ui_.ShowMessage(error);
}

namespace {

// Asks for a pause in milliseconds; out-of-range entries are held to
// 0..2000 ms rather than refused. No value: cancelled.
std::optional<std::int32_t> AskPauseMs(Interaction& ui, const char* caption, const char* prompt,
                                       std::chrono::milliseconds current) {
  std::vector<std::string> values{std::to_string(current.count())};
  if (!ui.EditValues(caption, prompt, values) || values.empty()) return std::nullopt;
  return ClampCalcPause(StrToIntLenient(values[0]));
}

}  // namespace

void MainWindow::CalcPauseClick() {
  const auto ms = AskPauseMs(ui_, "Rechenpause", "Pause nach jedem Rechenschritt [ms] %i", calcPause_);
  if (!ms) return;
  settings_.calcPauseMs = *ms;
  calcPause_ = std::chrono::milliseconds(*ms);
  doc_->SetCalcPause(calcPause_);
}

void MainWindow::OptimizerPauseClick() {
  const auto ms = AskPauseMs(ui_, "Optimiererpause", "Pause nach jedem Optimiererschritt [ms] %i", optimizerPause_);
  if (!ms) return;
  settings_.optimizerPauseMs = *ms;
  optimizerPause_ = std::chrono::milliseconds(*ms);
  if (optimizer_ != nullptr) optimizer_->SetWorkerPause(optimizerPause_);
}

// ---------------------------------------------------------------- undo and reference

void MainWindow::UndoClick() {
  if (RefusedForPendingEditorValues()) return;
  doc_->Undo();
}

void MainWindow::RememberReferenceClick() { doc_->RememberReference(); }

void MainWindow::SwapReferenceClick() {
  if (RefusedForPendingEditorValues()) return;
  doc_->SwapReference();
}

void MainWindow::RestoreReferenceClick() {
  if (RefusedForPendingEditorValues()) return;
  doc_->RestoreReference();
}

const char* MainWindow::EditorWithPendingValues() const {
  if (crossoverEditor_ != nullptr && crossoverEditor_->HasPendingChanges()) return "Weicheneditor";
  if (chassisEditor_ != nullptr && chassisEditor_->HasPendingChanges()) return "Chassiseditor";
  return nullptr;
}

bool MainWindow::RefusedForPendingEditorValues() {
  const char* editor = EditorWithPendingValues();
  if (editor == nullptr) return false;
  ui_.ShowMessage(
      std::string("Der ") + editor +
      " enthält noch nicht übernommene Änderungen.\r\nBitte erst übernehmen (Ok) oder verwerfen (Abbruch).");
  return true;
}

bool MainWindow::SettlePendingEditorValues() {
  if (crossoverEditor_ != nullptr && crossoverEditor_->HasPendingChanges()) {
    const int answer = ui_.ChooseButton("Änderungen im Weicheneditor übernehmen?", "&Ja|&Nein|&Abbrechen", 3);
    if (answer != 1 && answer != 2) return false;
    if (answer == 1) crossoverEditor_->ApplyClick();
    crossoverEditor_->CloseEditor();
  }
  if (chassisEditor_ != nullptr && chassisEditor_->HasPendingChanges()) {
    const int answer = ui_.ChooseButton("Änderungen im Chassiseditor übernehmen?", "&Ja|&Nein|&Abbrechen", 3);
    if (answer != 1 && answer != 2) return false;
    if (answer == 1) {
      // "Ok" may keep the editor open to have a value corrected.
      chassisEditor_->OkClick();
      if (chassisEditor_->isVisible()) return false;
    } else {
      chassisEditor_->reject();
    }
  }
  return true;
}

void MainWindow::DeleteReferenceClick() { doc_->DeleteReference(); }

// The charts keep the curves of the reference project beside the current ones.
void MainWindow::ReferenceChanged(ReferenceEvent event) {
  switch (event) {
    case ReferenceEvent::Remembered:
      SetReferenceItems(true);
      for (Chart* chart : charts_->ReferenceCharts()) chart->StoreReference();
      StoreStepReference(*charts_, doc_->ShownResult());
      UpdateCharts();
      break;
    case ReferenceEvent::AboutToSwap:
      // Undoing a swap brings a reference back even after it was deleted.
      SetReferenceItems(true);
      for (Chart* chart : charts_->ReferenceCharts()) chart->StoreReference();
      StoreStepReference(*charts_, doc_->ShownResult());
      break;
    case ReferenceEvent::Deleted:
      SetReferenceItems(false);
      for (Chart* chart : charts_->ReferenceCharts()) chart->ClearReference();
      ClearStepReference(*charts_);
      UpdateCharts();
      break;
  }
}

// ---------------------------------------------------------------- optimizer

void MainWindow::OptimizerClick() {
  // An open editor comes to the front: the optimizer rewrites the project it edits.
  if (doc_->OpenEditors().crossover) {
    ui_.ShowMessage("Bitte erst Weichheneditor schließen.");
    showCrossoverAction_->trigger();
    return;
  }
  if (doc_->OpenEditors().chassis) {
    ui_.ShowMessage("Bitte erst Chasssiseditor schließen.");
    showChassisAction_->trigger();
    return;
  }
  // The window and its optimizer thread are made when first needed rather
  // than at start-up, so a session that never optimizes runs no idle workers.
  // Parts fixed by hand are picked in the part editor, restricted to the
  // part's own type and its page of the parts library.
  if (optimizer_ == nullptr) {
    optimizer_ = new CrossoverOptimizerWindow(*doc_, ui_, optimizerPause_, this);
    // Closing the program waited for a run to stop: it goes on once the
    // window closed.
    connect(optimizer_, &CrossoverOptimizerWindow::openChanged, this, [this](bool open) {
      if (!open && closeAfterOptimizer_) {
        closeAfterOptimizer_ = false;
        close();
      }
    });
    optimizer_->fixPartDialog = [this](const OptimizerVariable& v,
                                       const CrossoverPart& part) -> std::optional<CrossoverPart> {
      CrossoverPart edited = part;
      const DialogOwner owner(*partEditor_, optimizer_);
      partEditor_->RestrictToType(part.type);
      partEditor_->SetHeadline(OptimizedPartName(v, part) + " festlegen:");
      const bool ok = partEditor_->Edit(edited, doc_->CurrentProject());
      partEditor_->SetHeadline({});
      partEditor_->ClearRestriction();
      if (!ok) return std::nullopt;
      return edited;
    };
  }
  optimizer_->ShowWindow();
}

void MainWindow::ShowOptimizerClick() {
  if (optimizer_ != nullptr && doc_->OpenEditors().optimizer) optimizer_->ShowWindow();
}

// ---------------------------------------------------------------- newer chassis files

void MainWindow::CheckChassisTick() {
  if (!checkChassisPending_ || checkDialogOpen_) return;
  const int k = checkIndex_;
  const Project& project = doc_->CurrentProject();
  if (k < ChassisInUse(project)) {
    const auto slot = static_cast<std::size_t>(k);
    const std::filesystem::path newer = FindNewerChassisFile(project.chassis[slot], settings_.chassisFolder, &ui_);
    if (!newer.empty()) {
      const std::string question = "Das Projekt enthält möglicherweise eine veraltete Version\r\ndes Chassis \"" +
                                   project.chassis[slot].name.Str() +
                                   "\".\r\nSoll die neuere Chassisdatei nachgeladen werden?";
      checkDialogOpen_ = true;
      const int answer = ui_.ChooseButton(question, "Ja|Nein", 2);
      checkDialogOpen_ = false;
      if (answer == 1 && k < doc_->CurrentProject().chassisCount) ReloadChassis(k, newer);
    }
  }
  checkIndex_ = k + 1;
  if (checkIndex_ >= doc_->CurrentProject().chassisCount) {
    checkIndex_ = 0;
    checkChassisPending_ = false;
  }
}

void MainWindow::ReloadChassis(int k, const std::filesystem::path& file) {
  // A reload that fails (the file went away meanwhile, or cannot be read)
  // commits nothing: no undo step, the project stays as saved as it was.
  const std::string unchanged = "Chassis " + std::to_string(k + 1) + " bleibt unverändert.";
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) {
    ui_.ShowMessage("Die Chassisdatei \"" + Utf8FromPath(file) + "\" ist nicht mehr vorhanden.\r\n" + unchanged);
    return;
  }
  ProjectEdit edit(*doc_, "Chassis " + std::to_string(k + 1) + " neu laden");
  bool loaded = false;
  try {
    loaded = LoadChassisFile(edit.EditedProject().chassis[static_cast<std::size_t>(k)], file, ui_);
  } catch (const FileError& e) {
    ui_.ShowMessage(std::string(e.what()) + "\r\n" + unchanged);
    return;
  }
  // The file's own message (a wrong data format) has been shown.
  if (loaded) edit.Commit();
}

// ---------------------------------------------------------------- closing

void MainWindow::closeEvent(QCloseEvent* event) {
  // An open optimizer is asked to close first; it may stay open (a run the
  // user does not abort, or "&Abbruch"), and then the program stays too.
  // (Its flag, not its visibility: a window closing tells the document
  // before it is hidden.)
  if (optimizer_ != nullptr && doc_->OpenEditors().optimizer) {
    optimizer_->close();
    if (doc_->OpenEditors().optimizer) {
      // A run asked to stop closes its window once it stopped; the program
      // closes after it.
      closeAfterOptimizer_ = optimizer_->ClosingAfterRun();
      event->ignore();
      return;
    }
  }
  if (!SettlePendingEditorValues()) {
    event->ignore();
    return;
  }
  if (!doc_->Saved()) {
    const int answer = ui_.ChooseButton("Programm beenden?\r\n\r\nSoll das aktuelle Projekt jetzt gespeichert werden?",
                                        "&Ja |&Nein|&Abbruch", 3);
    if (answer == 1) {
      SaveClick();
      if (!doc_->Saved()) {
        event->ignore();
        return;
      }
    } else if (answer != 2) {
      event->ignore();
      return;
    }
  }
  try {
    SaveSettings(settings_, &ui_);
  } catch (const FileError& e) {
    ui_.ShowMessage(e.what());
  }
  errorList_->close();
  event->accept();
}

}  // namespace sonvex
