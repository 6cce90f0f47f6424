#include "ui/main/main_form.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
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
#include "ui/dialogs/calc_utils_form.h"
#include "ui/dialogs/display_options_dialog.h"
#include "ui/dialogs/error_list_window.h"
#include "ui/dialogs/export_dialog.h"
#include "ui/dialogs/folder_dialog.h"
#include "ui/dialogs/help_windows.h"
#include "ui/dialogs/project_properties_dialog.h"
#include "ui/dialogs/window_place.h"
#include "ui/editors/active_filter_dialog.h"
#include "ui/editors/chassis_copy_dialog.h"
#include "ui/editors/chassis_editor.h"
#include "ui/editors/gem_geh_dialog.h"
#include "ui/editors/optimizer_window.h"
#include "ui/editors/part_editor.h"
#include "ui/editors/weiche_editor.h"
#include "ui/main/flow_layout.h"
#include "ui/main/menu_state.h"
#include "ui/main/status_colours.h"

namespace sonvex {

namespace {

constexpr const char* kDiscardQuestion = "Wirklich alle Änderungen ohne zu sichern verwerfen?";
constexpr const char* kProjectFilter = "Sonvex Projekte (*.ZPJ)|*.ZPJ";
constexpr const char* kProjectSaveFilter = "Sonvex Projekte (*.ZPJ)|*.ZPJ|Alle Dateien (*.*)|*.*";

// A paint box: draws through a callback into its whole client area.
class TPaintBox : public QWidget {
 public:
  explicit TPaintBox(std::function<void(QPainter&, const QRect&)> paint, QWidget* parent = nullptr)
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
class TStatusPanel : public QLabel {
 public:
  explicit TStatusPanel(std::function<void()> onClick, QWidget* parent = nullptr)
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

TMainForm::TMainForm(TSettings& settings, TInteraction& ui, const TMainFormOptions& options, QWidget* parent)
    : QMainWindow(parent),
      settings_(settings),
      ui_(ui),
      doc_(std::make_unique<TProjectDocument>(settings, ui)),
      charts_(MakeChartSet()),
      optiPause_(options.optiPause) {
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
  errorList_ = new TFormRechnen(this);
  errorList_->setWindowFlag(Qt::Window, true);
  partEditor_ = new TFormParteditor(settings_, ui_, this);
  partEditor_->execDialog = [this](QDialog& d) { return execDialog(d); };
  weicheEditor_ = new TFormWeicheneditor(*doc_, settings_, ui_, *partEditor_, RunDialog(), this);
  connect(weicheEditor_, &TFormWeicheneditor::openChanged, this, [this](bool open) {
    open_.weiche = open;
    RefreshMenuState();
  });
  calcUtils_ = new TFormCalcUtils(settings_, ui_, this);
  quickGuide_ = new TFormKurzanleitung(this);
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
  RefreshMenuState();

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

TMainForm::~TMainForm() {
  if (checkTimer_ != nullptr) checkTimer_->stop();
  // The optimizer ends first: its reports go to this window.
  delete optimizer_;
  optimizer_ = nullptr;
  // Release a calculation that waits for this thread, then end it, before
  // any widget goes away.
  doc_->StopCalculation();
}

// The window follows the document: editors close before the project is
// replaced, the menus follow the project, the charts the result.
void TMainForm::ConnectDocument() {
  TProjectDocument* d = doc_.get();
  // The title's asterisk follows the saved flag.
  connect(d, &TProjectDocument::projectChanged, this, [this] {
    RefreshMenuState();
    UpdateTitle();
  });
  connect(d, &TProjectDocument::undoChanged, this, [this] { UpdateUndoItem(); });
  connect(d, &TProjectDocument::fileNameChanged, this, [this] { UpdateTitle(); });
  connect(d, &TProjectDocument::resultChanged, this, [this] { UpdateCharts(); });
  connect(d, &TProjectDocument::calcProgress, this,
          [this](const QString& text) { SetStatus(text, QColor(128, 128, 128)); });
  connect(d, &TProjectDocument::calcStatus, this, [this](const TStatusReport& report) { CalcStatus(report); });
  connect(d, &TProjectDocument::referenceChanged, this, [this](TReferenceEvent e) { ReferenceChanged(e); });
}

TDialogRunner TMainForm::RunDialog() {
  return [this](QDialog& d) { return execDialog(d); };
}

void TMainForm::BuildPages() {
  pages_ = new QTabWidget(this);
  setCentralWidget(pages_);
  for (int page = 0; page < kChartPageCount; ++page) {
    auto* box = new TPaintBox([this, page](QPainter& painter, const QRect& r) {
      if (page == kPagePolar)
        FillPolarPlots(*charts_, doc_->ShownResult(), sbPolar_ != nullptr ? sbPolar_->value() : 0);
      PaintChartPage(*charts_, page, painter, r);
    });
    paintBoxes_[static_cast<std::size_t>(page)] = box;
    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(2, 2, 2, 2);
    auto onToggle = [this] {
      if (!updating_) UpdateCharts();
    };
    if (page == kPageFgangImp) {
      // The control rows wrap in a narrow window.
      auto* row = new TFlowLayout;
      cbShowChassis_ = new QCheckBox(QText("Frequenzgang Einzelchassis zeigen"));
      cbShowImpedance_ = new QCheckBox(QText("Impedanzgang zeigen"));
      cbShowEnergy_ = new QCheckBox(QText("Energiefrequenzgang zeigen"));
      for (QCheckBox* cb : {cbShowChassis_, cbShowImpedance_, cbShowEnergy_}) {
        cb->setChecked(true);
        connect(cb, &QCheckBox::toggled, this, onToggle);
        row->addWidget(cb);
      }
      layout->addLayout(row);
    } else if (page == kPagePhase) {
      auto* row = new TFlowLayout;
      row->addWidget(new QLabel(QText("Bezug auf")));
      edPhaseRef_ = new QLineEdit(QText("0"));
      edPhaseRef_->setMaximumWidth(60);
      row->addWidget(edPhaseRef_);
      row->addWidget(new QLabel(QText("cm")));
      row->addWidget(new QLabel(QText("hinter Schallwand")));
      auto* btn = new QPushButton(QText("Graphen aktualisieren"));
      connect(btn, &QPushButton::clicked, this, [this] { UpdateCharts(); });
      row->addWidget(btn);
      layout->addLayout(row);
      auto* boxes = new TFlowLayout;
      for (int k = 0; k < kMaxChassis; ++k) {
        auto* cb = new QCheckBox(QText("Chassis(" + std::to_string(k + 1) + ")"));
        cb->setChecked(true);
        connect(cb, &QCheckBox::toggled, this, onToggle);
        cbPhaseChassis_[static_cast<std::size_t>(k)] = cb;
        boxes->addWidget(cb);
      }
      layout->addLayout(boxes);
      cbPhaseRear_ = new QCheckBox(QText("auch rückwärtige Anteile (z. B. Bassreflexanteile) zeigen"));
      cbPhaseRear_->setChecked(false);
      connect(cbPhaseRear_, &QCheckBox::toggled, this, onToggle);
      layout->addWidget(cbPhaseRear_);
    } else if (page == kPageSpinorama) {
      // As on the first page: the group delay of each chassis too.
      auto* row = new TFlowLayout;
      cbSpinChassis_ = new QCheckBox(QText("Frequenzgang Einzelchassis zeigen"));
      cbSpinChassis_->setChecked(true);
      connect(cbSpinChassis_, &QCheckBox::toggled, this, onToggle);
      row->addWidget(cbSpinChassis_);
      layout->addLayout(row);
    } else if (page == kPagePolar) {
      auto* row = new QHBoxLayout;
      sbPolar_ = new QScrollBar(Qt::Horizontal);
      sbPolar_->setRange(0, 0);
      connect(sbPolar_, &QScrollBar::valueChanged, this, [this] { PolarScrolled(); });
      lbPolar_ = new QLabel(QText("Frequenz: 0 Hz"));
      lbPolar_->setMinimumWidth(140);
      row->addWidget(sbPolar_, 1);
      row->addWidget(lbPolar_);
      layout->addLayout(row);
    }
    layout->addWidget(box, 1);
    pages_->addTab(tab, QText(ChartPageCaption(page)));
  }
}

void TMainForm::BuildMenus() {
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

  QMenu* datei = addMenu("menuDatei", "&Datei");
  addItem(datei, "actNew", "&Neues Projekt", "Ctrl+N", [this] { NewProjectClick(); });
  addItem(datei, "actLoad", "Projekt &laden ...", "Ctrl+L", [this] { LoadProjectClick(); });
  addItem(datei, "actSave", "Projekt &speichern ...", "Ctrl+S", [this] { SaveClick(); });
  addItem(datei, "actSaveAs", "Speichern &unter ...", "Ctrl+Shift+S", [this] { SaveProjectClick(); });
  addItem(datei, "actExport", "Ergebnis-Export ...", "Ctrl+Alt+E", [this] { ExportClick(); });
  QAction* saveChart = addItem(datei, "actSaveChart", "Diagramm speichern ...", nullptr, [this] { SaveChartClick(); });
  // The chart pages offer it in their context menu as well.
  for (QWidget* box : paintBoxes_) {
    box->setContextMenuPolicy(Qt::ActionsContextMenu);
    box->addAction(saveChart);
  }
  datei->addSeparator();
  addItem(datei, "actProperties", "Projekt&eigenschaften", "Ctrl+E", [this] { ProjectPropertiesClick(); });
  datei->addSeparator();
  addItem(datei, "actExit", "Programm &beenden", "Ctrl+X", [this] { close(); });

  QMenu* edit = addMenu("menuBearbeiten", "&Bearbeiten");
  addItem(edit, "actUndo", "Undo", "Ctrl+Z", [this] { UndoClick(); });
  // While an editor holds values not yet taken over, undo is not offered.
  connect(edit, &QMenu::aboutToShow, this, [this] {
    UpdateUndoItem();
    if (EditorWithPendingValues() != nullptr) Action("actUndo")->setEnabled(false);
  });
  edit->addSeparator();
  addItem(edit, "actRefRemember", "Projekt als Referenz merken", "Ctrl+R", [this] { RememberReferenceClick(); });
  addItem(edit, "actRefSwap", "Referenzprojekt mit aktuellem Projekt tauschen", "Ctrl+Alt+R",
          [this] { SwapReferenceClick(); });
  addItem(edit, "actRefRestore", "Referenzprojekt wiederherstellen", "Ctrl+Alt+W", [this] { RestoreReferenceClick(); });
  addItem(edit, "actRefDelete", "Referenzprojekt löschen", "Ctrl+Alt+X", [this] { DeleteReferenceClick(); });

  // The editors of the chassis, the common enclosure, the crossovers and the
  // active filters are windows of their own; until they exist their items do
  // nothing.
  QMenu* chassis = addMenu("menuChassis", "&Chassis && Einbau");
  addItem(chassis, "actGemGeh", "gemeinsames Außengehäuse", "Ctrl+G", [this] { GemGehClick(); });
  chassis->addSeparator();
  for (int n = 1; n <= kChassisSlots; ++n) {
    const std::string name = "actChassis" + std::to_string(n);
    const std::string keys = "Ctrl+F" + std::to_string(n);
    addItem(chassis, name.c_str(), "Chassis &" + std::to_string(n), keys.c_str(), [this, n] { ChassisItemClick(n); });
  }
  chassis->addSeparator();
  addItem(chassis, "actChassisCopy", "Chassis kopieren", nullptr, [this] { ChassiskopierenClick(); });

  static constexpr std::array<const char*, kMaxAmps> kFilterKeys{"F5", "F7", "F9", "Shift+F5", "Shift+F7", "Shift+F9"};
  static constexpr std::array<const char*, kMaxAmps> kWeicheKeys{"F6",       "F8",       "F10",
                                                                 "Shift+F6", "Shift+F8", "Shift+F10"};
  for (int k = 1; k <= kMaxAmps; ++k) {
    const std::string menuName = "menuAmp" + std::to_string(k);
    QMenu* amp = addMenu(menuName.c_str(), ("Verstärker &" + std::to_string(k)).c_str());
    const std::string filterName = "actAktFilt" + std::to_string(k);
    const std::string weicheName = "actWeiche" + std::to_string(k);
    addItem(amp, filterName.c_str(), "&Aktive Filter...", kFilterKeys[static_cast<std::size_t>(k - 1)],
            [this, k] { AktFilterClick(k); });
    addItem(amp, weicheName.c_str(), "&Weiche editieren...", kWeicheKeys[static_cast<std::size_t>(k - 1)],
            [this, k] { WeicheEditClick(k - 1); });
  }

  QMenu* options = addMenu("menuOptionen", "&Optionen");
  addItem(options, "actDisplayOptions", "Anzeigeoptionen", "Ctrl+Alt+O", [this] { DisplayOptionsClick(); });
  addItem(options, "actFolders", "Verzeichnisse", "Ctrl+Alt+V", [this] { FoldersClick(); });
  addItem(options, "actCalcPause", "Rechenpause ...", nullptr, [this] { RechenpauseClick(); });
  addItem(options, "actOptiPause", "Optimiererpause ...", nullptr, [this] { OptimiererpauseClick(); });

  QMenu* extras = addMenu("menuExtras", "Extras");
  addItem(extras, "actBoxDesign", "Auslegung geschlossene / Bassreflex-Box", "Ctrl+A", [this] { ShowCalcUtils(0); });
  addItem(extras, "actPortDesign", "Auslegung Reflexkanal", nullptr, [this] { ShowCalcUtils(1); });
  addItem(extras, "actCrossoverDesign", "Auslegung Standardweichen", nullptr, [this] { ShowCalcUtils(2); });
  addItem(extras, "actAttenuatorDesign", "Auslegung Spannungsteiler", nullptr, [this] { ShowCalcUtils(3); });
  addItem(extras, "actZCorrectionDesign", "Auslegung Impedanzkorrekturglieder", nullptr, [this] { ShowCalcUtils(4); });
  extras->addSeparator()->setObjectName("sepOptimizer");
  addItem(extras, "actOptimizer", "Weichenoptimierer ...", "Ctrl+O", [this] { OptimizerClick(); });

  QMenu* windows = addMenu("menuFenster", "&Fenster");
  addItem(windows, "actShowWeiche", "Weicheneditor zeigen", "Ctrl+W", [this] {
    if (!open_.weiche) return;
    weicheEditor_->show();
    weicheEditor_->raise();
    weicheEditor_->activateWindow();
  });
  addItem(windows, "actShowChassis", "Chassiseditor zeigen", "Ctrl+D", [this] {
    if (chassisEd_ == nullptr || !open_.chassis) return;
    chassisEd_->show();
    chassisEd_->raise();
    chassisEd_->activateWindow();
  });
  addItem(windows, "actShowOptimizer", "Optimizer zeigen", nullptr, [this] { ShowOptimizerClick(); });

  QMenu* help = addMenu("menuHilfe", "&Hilfe");
  addItem(help, "actQuickGuide", "Kurzanleitung", "F1", [this] { QuickGuideClick(); });
  // Ctrl+F1 belongs to the first chassis item; two actions with one shortcut
  // would make the key do nothing at all, so the about item has none.
  addItem(help, "actInfo", "&Info ...", nullptr, [this] { InfoClick(); });
}

void TMainForm::BuildStatusBar() {
  statusPanel_ = new TStatusPanel([this] { ShowErrorList(); });
  statusBar()->addWidget(statusPanel_, 1);
  SetStatus(QString(), palette().color(QPalette::Button));
}

// ---------------------------------------------------------------- small helpers

QAction* TMainForm::Action(const char* objectName) const {
  return findChild<QAction*>(QString::fromLatin1(objectName));
}
QMenu* TMainForm::Menu(const char* objectName) const { return findChild<QMenu*>(QString::fromLatin1(objectName)); }

QString TMainForm::StatusText() const { return statusPanel_->text(); }
QColor TMainForm::StatusColor() const { return statusPanel_->palette().color(QPalette::Window); }
QColor TMainForm::StatusTextColor() const { return statusPanel_->palette().color(QPalette::WindowText); }

void TMainForm::SetStatus(const QString& text, const QColor& background) {
  QPalette pal = statusPanel_->palette();
  pal.setColor(QPalette::Window, background);
  pal.setColor(QPalette::WindowText, StatusTextColour(background));
  statusPanel_->setPalette(pal);
  statusPanel_->setText(text);
}

void TMainForm::ShowErrorList() {
  errorList_->show();
  errorList_->raise();
}

void TMainForm::SetReferenceItems(bool enabled) {
  for (const char* name : {"actRefSwap", "actRefRestore", "actRefDelete"}) Action(name)->setEnabled(enabled);
}

void TMainForm::UpdateUndoItem() {
  QAction* a = Action("actUndo");
  const TUndoStack& undo = doc_->UndoStack();
  if (undo.Empty()) {
    a->setEnabled(false);
    // at start the item keeps its designed caption
    if (a->text() != QText("Undo")) a->setText(QText(undo.Caption()));
  } else {
    a->setEnabled(true);
    a->setText(QText(undo.Caption()));
  }
}

void TMainForm::UpdateTitle() {
  // An asterisk marks unsaved changes.
  setWindowTitle(QText(MainWindowTitle(doc_->TitleName(), width()) + (doc_->Saved() ? "" : " *")));
}

void TMainForm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  UpdateTitle();
}

// ---------------------------------------------------------------- menu state

void TMainForm::RefreshMenuState() {
  const TMenuState m = MenuState(doc_->Project(), open_);
  Menu("menuBearbeiten")->menuAction()->setEnabled(m.editMenu);
  for (int k = 1; k <= kMaxAmps; ++k) {
    const auto a = static_cast<std::size_t>(k - 1);
    const std::string menuName = "menuAmp" + std::to_string(k);
    QMenu* amp = Menu(menuName.c_str());
    amp->menuAction()->setVisible(m.ampShown[a]);
    amp->menuAction()->setEnabled(m.ampMenu[a]);
    for (QAction* item : amp->actions()) item->setEnabled(m.ampItems[a]);
  }
  for (int n = 1; n <= kChassisSlots; ++n) {
    const auto slot = static_cast<std::size_t>(n - 1);
    const std::string name = "actChassis" + std::to_string(n);
    QAction* a = Action(name.c_str());
    a->setText(QText(m.chassisCaption[slot]));
    a->setVisible(m.chassisItem[slot]);
    a->setEnabled(m.chassisItem[slot]);
  }
  pages_->setTabVisible(kPageChassis58, m.chassisPage58);
  // Ctrl+Tab steps over disabled pages only: a hidden page is disabled too.
  pages_->setTabEnabled(kPageChassis58, m.chassisPage58);
  pages_->setTabText(kPageChassis14, QText(m.chassisPage14Caption));
  QMenu* windows = Menu("menuFenster");
  windows->menuAction()->setVisible(m.windowMenu);
  windows->menuAction()->setEnabled(m.windowMenu);
  Action("actShowWeiche")->setEnabled(m.showWeiche);
  Action("actShowChassis")->setEnabled(m.showChassis);
  Action("actShowOptimizer")->setEnabled(m.showOptimizer);
  Menu("menuDatei")->menuAction()->setEnabled(m.fileMenu);
  Menu("menuChassis")->menuAction()->setEnabled(m.chassisMenu);
}

// ---------------------------------------------------------------- charts

void TMainForm::UpdateCharts() {
  updating_ = true;
  chartControls_.showChassis = cbShowChassis_->isChecked();
  chartControls_.showImpedance = cbShowImpedance_->isChecked();
  chartControls_.showEnergy = cbShowEnergy_->isChecked();
  chartControls_.phaseReference = StdText(edPhaseRef_->text());
  for (int k = 0; k < kMaxChassis; ++k)
    chartControls_.phaseChassis[static_cast<std::size_t>(k)] =
        cbPhaseChassis_[static_cast<std::size_t>(k)]->isChecked();
  chartControls_.phaseRear = cbPhaseRear_->isChecked();
  chartControls_.spinShowChassis = cbSpinChassis_->isChecked();

  TChartUpdateOutcome outcome;
  UpdateChartSet(*charts_, doc_->Project(), doc_->ShownResult(), chartControls_, outcome);

  for (int k = 0; k < kMaxChassis; ++k) {
    const auto sk = static_cast<std::size_t>(k);
    QCheckBox* cb = cbPhaseChassis_[sk];
    cb->setText(QText(outcome.phaseCaptions[sk]));
    cb->setVisible(outcome.phaseVisible[sk]);
    cb->setChecked(chartControls_.phaseChassis[sk]);
  }
  // A new grid opens the polar plots at the point nearest 1 kHz; on the same
  // grid they stay where the user put them.
  const bool newGrid = sbPolar_->maximum() != outcome.polarMax;
  sbPolar_->setMaximum(outcome.polarMax);
  if (newGrid) sbPolar_->setValue(outcome.polarStart);
  lbPolar_->setText(QText(PolarFrequencyLabel(doc_->ShownResult(), sbPolar_->value())));
  for (const std::string& m : outcome.messages) ui_.ShowMessage(m);
  RepaintCharts();
  updating_ = false;
}

void TMainForm::RepaintCharts() {
  for (QWidget* box : paintBoxes_) box->update();
}

void TMainForm::PolarScrolled() {
  lbPolar_->setText(QText(PolarFrequencyLabel(doc_->ShownResult(), sbPolar_->value())));
  paintBoxes_[kPagePolar]->update();
}

// ---------------------------------------------------------------- calculation host

void TMainForm::CalcStatus(const TStatusReport& report) {
  errorList_->ShowReport(report);
  if (report.failed)
    SetStatus(QText(report.text), QColor(255, 0, 0));
  else
    SetStatus(QText(report.text), palette().color(QPalette::Button));
}

// ---------------------------------------------------------------- project commands

void TMainForm::NewProjectClick() {
  if (!doc_->Saved() && ui_.ChooseButton(kDiscardQuestion, "Ja |Nein", 2) != 1) return;
  doc_->New();
  QuickGuideClick();
  ProjectPropertiesClick();
}

void TMainForm::LoadProjectClick() {
  if (!doc_->Saved() && ui_.ChooseButton(kDiscardQuestion, "Ja |Nein", 2) != 1) return;
  const auto file = ui_.PickOpenFile("Projekt laden ...", kProjectFilter, settings_.projectFolder);
  std::error_code ec;
  if (!file || !std::filesystem::exists(*file, ec)) return;
  doc_->Load(*file);
  checkChassisPending_ = true;
  checkIndex_ = 0;
}

void TMainForm::SaveClick() {
  // A project with a file of its own is saved there; a new one asks for a name.
  if (doc_->FileName().empty())
    SaveProjectClick();
  else
    doc_->Save(doc_->FileName());
}

void TMainForm::SaveProjectClick() {
  const std::string defaultName = Utf8FromPath(doc_->FileName().filename());
  const auto chosen = ui_.PickSaveFile("Projekt speichern ...", kProjectSaveFilter, doc_->SaveFolder(), defaultName);
  if (!chosen) return;
  const auto name = ProjectSaveName(*chosen);
  if (!name) return;
  doc_->Save(*name);
}

void TMainForm::ProjectPropertiesClick() {
  TFormPJEigenschaften dialog(this);
  dialog.Fill(doc_->Project());
  if (execDialog(dialog) != QDialog::Accepted) return;
  // New counts: the editors close.
  TProjectEdit edit(*doc_, "Projekteigenschaften ändern", TRecalc::Full);
  edit.ClosesEditors();
  dialog.Apply(edit.Project());
  edit.Commit();
}

void TMainForm::WeicheEditClick(int amp) {
  if (amp < 0 || amp >= doc_->Project().nAmps) return;
  weicheEditor_->OpenFor(amp);
}

void TMainForm::FoldersClick() {
  TFormVerzeichnisse dialog(settings_, &ui_, this);
  execDialog(dialog);
}

void TMainForm::ChassisItemClick(int n) {
  if (n < 1 || n > doc_->Project().nChassis || open_.chassis || open_.optimizer) return;
  if (chassisEd_ == nullptr) {
    chassisEd_ = new TFormChassisEd(*doc_, settings_, ui_, this);
    connect(chassisEd_, &TFormChassisEd::openChanged, this, [this](bool open) {
      open_.chassis = open;
      RefreshMenuState();
    });
  }
  chassisEd_->Open(n - 1);
  chassisEd_->setWindowTitle(QText("Chassis " + std::to_string(n) + ", Einbau und Schallwand editieren"));
  chassisEd_->show();
  chassisEd_->raise();
  chassisEd_->activateWindow();
}

void TMainForm::GemGehClick() {
  if (open_.chassis || open_.optimizer) return;
  EditCommonCabinet(*doc_, execDialog, this);
}

void TMainForm::DisplayOptionsClick() {
  // Nothing the calculation reads: the charts are drawn anew at once.
  if (EditDisplayOptions(*doc_, execDialog, this)) UpdateCharts();
}

void TMainForm::ExportClick() {
  if (!doc_->WaitUntilIdle()) return;
  TFormExport dialog(doc_->ShownResult(), ui_, settings_.projectFolder, this);
  execDialog(dialog);
}

void TMainForm::ShowCalcUtils(int page) { calcUtils_->ShowPage(page); }

void TMainForm::QuickGuideClick() {
  quickGuide_->show();
  quickGuide_->raise();
}

void TMainForm::InfoClick() {
  TFormInfo dialog(this);
  execDialog(dialog);
}

void TMainForm::AktFilterClick(int amp) { EditActiveFilter(*doc_, amp, execDialog, this); }

void TMainForm::ChassiskopierenClick() {
  if (chassisCopy_ == nullptr) chassisCopy_ = new TFormChassisCopy(this);
  EditChassisCopy(*doc_, *chassisCopy_, execDialog);
}

void TMainForm::SaveChartClick() {
  const int page = pages_->currentIndex();
  if (page < 0 || page >= kChartPageCount || !pages_->isTabVisible(page)) return;
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
  const TPictureFormat format = ext == ".svg" ? TPictureFormat::Svg : TPictureFormat::Png;
  QWidget* box = paintBoxes_[static_cast<std::size_t>(page)];
  const QSize size = box->size().isValid() && !box->size().isEmpty() ? box->size() : QSize(1200, 800);
  const TResult& shown = doc_->ShownResult();
  if (page == kPagePolar) FillPolarPlots(*charts_, shown, sbPolar_->value());
  const std::string caption = page == kPagePolar ? PolarFrequencyLabel(shown, sbPolar_->value()) : std::string();
  std::string error;
  if (!SaveChartPicture(*charts_, page, size, *file, format, caption, error)) ui_.ShowMessage(error);
}

namespace {

// Asks for a pause in milliseconds; out-of-range entries are held to
// 0..2000 ms rather than refused. No value: cancelled.
std::optional<std::int32_t> AskPauseMs(TInteraction& ui, const char* caption, const char* prompt,
                                       std::chrono::milliseconds current) {
  std::vector<std::string> values{std::to_string(current.count())};
  if (!ui.EditValues(caption, prompt, values) || values.empty()) return std::nullopt;
  return ClampCalcPause(StrToIntLenient(values[0]));
}

}  // namespace

void TMainForm::RechenpauseClick() {
  const auto ms = AskPauseMs(ui_, "Rechenpause", "Pause nach jedem Rechenschritt [ms] %i", calcPause_);
  if (!ms) return;
  settings_.calcPauseMs = *ms;
  calcPause_ = std::chrono::milliseconds(*ms);
  doc_->SetCalcPause(calcPause_);
}

void TMainForm::OptimiererpauseClick() {
  const auto ms = AskPauseMs(ui_, "Optimiererpause", "Pause nach jedem Optimiererschritt [ms] %i", optiPause_);
  if (!ms) return;
  settings_.optiPauseMs = *ms;
  optiPause_ = std::chrono::milliseconds(*ms);
  if (optimizer_ != nullptr) optimizer_->SetWorkerPause(optiPause_);
}

// ---------------------------------------------------------------- undo and reference

void TMainForm::UndoClick() {
  if (RefusedForPendingEditorValues()) return;
  doc_->Undo();
}

void TMainForm::RememberReferenceClick() { doc_->RememberReference(); }

void TMainForm::SwapReferenceClick() {
  if (RefusedForPendingEditorValues()) return;
  doc_->SwapReference();
}

void TMainForm::RestoreReferenceClick() {
  if (RefusedForPendingEditorValues()) return;
  doc_->RestoreReference();
}

const char* TMainForm::EditorWithPendingValues() const {
  if (weicheEditor_ != nullptr && weicheEditor_->HasPendingChanges()) return "Weicheneditor";
  if (chassisEd_ != nullptr && chassisEd_->HasPendingChanges()) return "Chassiseditor";
  return nullptr;
}

bool TMainForm::RefusedForPendingEditorValues() {
  const char* editor = EditorWithPendingValues();
  if (editor == nullptr) return false;
  ui_.ShowMessage(std::string("Der ") + editor +
                  " enthält noch nicht übernommene Änderungen.\r\nBitte erst übernehmen (Ok) oder verwerfen (Abbruch).");
  return true;
}

bool TMainForm::SettlePendingEditorValues() {
  if (weicheEditor_ != nullptr && weicheEditor_->HasPendingChanges()) {
    const int answer = ui_.ChooseButton("Änderungen im Weicheneditor übernehmen?", "&Ja|&Nein|&Abbrechen", 3);
    if (answer != 1 && answer != 2) return false;
    if (answer == 1) weicheEditor_->ApplyClick();
    weicheEditor_->CloseEditor();
  }
  if (chassisEd_ != nullptr && chassisEd_->HasPendingChanges()) {
    const int answer = ui_.ChooseButton("Änderungen im Chassiseditor übernehmen?", "&Ja|&Nein|&Abbrechen", 3);
    if (answer != 1 && answer != 2) return false;
    if (answer == 1) {
      // "Ok" may keep the editor open to have a value corrected.
      chassisEd_->BtnOkClick();
      if (chassisEd_->isVisible()) return false;
    } else {
      chassisEd_->reject();
    }
  }
  return true;
}

void TMainForm::DeleteReferenceClick() { doc_->DeleteReference(); }

// The charts keep the curves of the reference project beside the current ones.
void TMainForm::ReferenceChanged(TReferenceEvent event) {
  switch (event) {
    case TReferenceEvent::Remembered:
      SetReferenceItems(true);
      for (TZChart* chart : charts_->ReferenceCharts()) chart->StoreReference();
      UpdateCharts();
      break;
    case TReferenceEvent::AboutToSwap:
      // Undoing a swap brings a reference back even after it was deleted.
      SetReferenceItems(true);
      for (TZChart* chart : charts_->ReferenceCharts()) chart->StoreReference();
      break;
    case TReferenceEvent::Deleted:
      SetReferenceItems(false);
      for (TZChart* chart : charts_->ReferenceCharts()) chart->ClearReference();
      UpdateCharts();
      break;
  }
}

// ---------------------------------------------------------------- optimizer

void TMainForm::OptimizerClick() {
  // An open editor comes to the front: the optimizer rewrites the project it edits.
  if (open_.weiche) {
    ui_.ShowMessage("Bitte erst Weichheneditor schließen.");
    Action("actShowWeiche")->trigger();
    return;
  }
  if (open_.chassis) {
    ui_.ShowMessage("Bitte erst Chasssiseditor schließen.");
    Action("actShowChassis")->trigger();
    return;
  }
  open_.optimizer = true;
  RefreshMenuState();
  // The window and its optimizer thread are made when first needed rather
  // than at start-up, so a session that never optimizes runs no idle workers.
  // Parts fixed by hand are picked in the part editor, restricted to the
  // part's own type and its page of the parts library.
  if (optimizer_ == nullptr) {
    optimizer_ = new TFormWOptimize2(*doc_, ui_, optiPause_, this);
    connect(optimizer_, &TFormWOptimize2::openChanged, this, [this](bool open) {
      open_.optimizer = open;
      RefreshMenuState();
    });
    optimizer_->fixPartDialog = [this](const TOptiValue& v, const TWPart& part) -> std::optional<TWPart> {
      TWPart edited = part;
      const TDialogOwner owner(*partEditor_, optimizer_);
      partEditor_->RestrictToType(part._typ);
      partEditor_->SetHeadline(OptiPartName(v, part) + " festlegen:");
      const bool ok = partEditor_->Edit(edited, doc_->Project());
      partEditor_->SetHeadline({});
      partEditor_->ClearRestriction();
      if (!ok) return std::nullopt;
      return edited;
    };
  }
  optimizer_->ShowWindow();
}

void TMainForm::ShowOptimizerClick() {
  if (optimizer_ != nullptr && open_.optimizer) optimizer_->ShowWindow();
}

// ---------------------------------------------------------------- newer chassis files

void TMainForm::CheckChassisTick() {
  if (!checkChassisPending_ || checkDialogOpen_) return;
  const int k = checkIndex_;
  const TProjekt& project = doc_->Project();
  if (k < ChassisInUse(project)) {
    const auto slot = static_cast<std::size_t>(k);
    const std::filesystem::path newer = FindNewerChassisFile(project.Chassis[slot], settings_.chassisFolder, &ui_);
    if (!newer.empty()) {
      const std::string question = "Das Projekt enthält möglicherweise eine veraltete Version\r\ndes Chassis \"" +
                                   project.Chassis[slot].Name.Str() +
                                   "\".\r\nSoll die neuere Chassisdatei nachgeladen werden?";
      checkDialogOpen_ = true;
      const int answer = ui_.ChooseButton(question, "Ja|Nein", 2);
      checkDialogOpen_ = false;
      if (answer == 1 && k < doc_->Project().nChassis) {
        TProjectEdit edit(*doc_, "Chassis " + std::to_string(k + 1) + " neu laden", TRecalc::Incremental);
        try {
          LoadChassisFile(edit.Project().Chassis[slot], newer, ui_);
        } catch (const TFileError& e) {
          ui_.ShowMessage(e.what());
        }
        edit.Commit();
      }
    }
  }
  checkIndex_ = k + 1;
  if (checkIndex_ >= doc_->Project().nChassis) {
    checkIndex_ = 0;
    checkChassisPending_ = false;
  }
}

// ---------------------------------------------------------------- closing

void TMainForm::closeEvent(QCloseEvent* event) {
  // An open optimizer is asked to close first; it may stay open (a run the
  // user does not abort, or "&Abbruch"), and then the program stays too.
  if (optimizer_ != nullptr && optimizer_->isVisible()) {
    optimizer_->close();
    if (optimizer_->isVisible()) {
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
  } catch (const TFileError& e) {
    ui_.ShowMessage(e.what());
  }
  errorList_->close();
  event->accept();
}

}  // namespace sonvex
