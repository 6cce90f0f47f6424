#pragma once
// The main window: the current project, the displayed result, the chart
// pages, the menu bar with the project commands, undo and the reference
// project, the status bar, and the calculation thread that follows every edit.
#include <QMainWindow>
#include <QString>
#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "calc/calc_thread.h"
#include "charts/chart_pages.h"
#include "model/captions.h"
#include "model/project.h"
#include "model/settings.h"
#include "model/undo_stack.h"
#include "ui/dialogs/dialog_runner.h"
#include "ui/document/project_document.h"
#include "ui/main/menu_state.h"

class QAction;
class QCheckBox;
class QDialog;
class QLabel;
class QLineEdit;
class QMenu;
class QScrollBar;
class QTabWidget;
class QTimer;
class QWidget;

namespace sonvex {

class TInteraction;
class TFormChassisEd;
class TFormChassisCopy;
class TFormRechnen;
class TFormParteditor;
class TFormWeicheneditor;
class TFormWOptimize2;
class TFormCalcUtils;
class TFormKurzanleitung;

struct TMainFormOptions {
  // The first command-line argument: a project to open instead of Default.ZPJ.
  std::optional<std::filesystem::path> startFile;
  // The pause of the calculation thread after each step (0 in tests).
  std::chrono::milliseconds calcPause{650};
  // The one-second check for newer chassis files (off in tests that do not need it).
  bool chassisCheckTimer = true;
  // The pause of the optimizer's calculation workers after each step.
  std::chrono::milliseconds optiPause{65};
};

class TMainForm : public QMainWindow {
  Q_OBJECT
 public:
  // `settings` and `ui` must outlive the window.
  TMainForm(TSettings& settings, TInteraction& ui, const TMainFormOptions& options = {}, QWidget* parent = nullptr);
  ~TMainForm() override;
  TMainForm(const TMainForm&) = delete;
  TMainForm& operator=(const TMainForm&) = delete;

  // ---- state: the document holds it
  TProjectDocument& Document() { return *doc_; }
  const TProjekt& Project() const { return doc_->Project(); }
  const TResult& ShownResult() const { return doc_->ShownResult(); }
  const TGrades& Grades() const { return doc_->Grades(); }
  const std::filesystem::path& FileName() const { return doc_->FileName(); }
  const std::string& TitleName() const { return doc_->TitleName(); }
  const TUndoStack& UndoStack() const { return doc_->UndoStack(); }
  bool HasReference() const { return doc_->HasReference(); }
  const TProjekt& Reference() const { return doc_->Reference(); }
  TChartSet& Charts() { return *charts_; }
  TCalcThread& CalcThread() { return doc_->CalcThread(); }

  // Which editors are open (each editor tells when it opens and closes).
  const TOpenEditors& OpenEditors() const { return open_; }

  // ---- commands of the menu bar
  void NewProjectClick();
  void LoadProjectClick();
  // Ctrl+S: into the project's own file, or as "Speichern unter ..." where it has none.
  void SaveClick();
  // "Speichern unter ...": asks for the file name.
  void SaveProjectClick();
  void ProjectPropertiesClick();
  void FoldersClick();
  // "&Weiche editieren..." of amplifier `amp` (0-based): the crossover editor.
  void WeicheEditClick(int amp);
  void UndoClick();
  void RememberReferenceClick();
  void SwapReferenceClick();
  void RestoreReferenceClick();
  void DeleteReferenceClick();
  // Chassis item n (1-based): the chassis editor on slot n - 1 (not modal).
  void ChassisItemClick(int n);
  // "gemeinsames Außengehäuse": the common cabinet dialog.
  void GemGehClick();
  // The chassis editor once it has been opened, else null.
  TFormChassisEd* ChassisEditor() const { return chassisEd_; }
  // "Weichenoptimierer ..." (Ctrl+O) and "Optimizer zeigen".
  void OptimizerClick();
  void ShowOptimizerClick();
  // "Anzeigeoptionen", "Ergebnis-Export ...", the five "Auslegung ..." items
  // (the calculator window on page 0..4), "Kurzanleitung" and "&Info ...".
  void DisplayOptionsClick();
  void ExportClick();
  void ShowCalcUtils(int page);
  void QuickGuideClick();
  void InfoClick();
  // "&Aktive Filter..." of amplifier `amp` (1-based).
  void AktFilterClick(int amp);
  void ChassiskopierenClick();
  // "Rechenpause ...": the pause after each calculation step, kept in the settings.
  void RechenpauseClick();
  void OptimiererpauseClick();
  // "Diagramm speichern ...": the shown chart page as PNG or SVG.
  void SaveChartClick();

  // Applies the menu state of the project and the open editors.
  void RefreshMenuState();
  void UpdateCharts();
  void UpdateTitle();
  // One tick of the newer-chassis check (the timer calls it every second).
  void CheckChassisTick();
  bool CheckChassisPending() const { return checkChassisPending_; }

  // For tests: processes events until the calculation thread is idle.
  bool WaitCalcIdle(std::chrono::milliseconds timeout = std::chrono::seconds(120)) {
    return doc_->WaitCalcIdle(timeout);
  }
  // How modal dialogs run; tests replace it to fill and confirm them.
  TDialogRunner execDialog;

  // ---- controls
  QAction* Action(const char* objectName) const;
  QMenu* Menu(const char* objectName) const;
  QTabWidget* Pages() const { return pages_; }
  QLabel* StatusPanel() const { return statusPanel_; }
  QString StatusText() const;
  QColor StatusColor() const;
  QColor StatusTextColor() const;
  TFormRechnen* ErrorList() const { return errorList_; }
  TFormWeicheneditor* WeicheEditor() const { return weicheEditor_; }
  // The part editor of the crossover editor (and of the optimizer).
  TFormParteditor* PartEditor() const { return partEditor_; }
  // The optimizer window; created when it is first opened.
  TFormWOptimize2* OptimizerWindow() const { return optimizer_; }
  TFormCalcUtils* CalcUtils() const { return calcUtils_; }
  TFormKurzanleitung* QuickGuide() const { return quickGuide_; }
  QCheckBox* ShowChassisBox() const { return cbShowChassis_; }
  QCheckBox* ShowImpedanceBox() const { return cbShowImpedance_; }
  QCheckBox* ShowEnergyBox() const { return cbShowEnergy_; }
  QLineEdit* PhaseReferenceEdit() const { return edPhaseRef_; }
  QCheckBox* PhaseChassisBox(int k) const { return cbPhaseChassis_.at(static_cast<std::size_t>(k)); }
  QCheckBox* PhaseRearBox() const { return cbPhaseRear_; }
  QCheckBox* SpinShowChassisBox() const { return cbSpinChassis_; }
  QScrollBar* PolarScrollBar() const { return sbPolar_; }
  QLabel* PolarLabel() const { return lbPolar_; }
  // The paint box of a page (TChartPage).
  QWidget* PaintBox(int page) const { return paintBoxes_.at(static_cast<std::size_t>(page)); }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildPages();
  void BuildMenus();
  void BuildStatusBar();
  void SetStatus(const QString& text, const QColor& background);
  void ConnectDocument();
  // How the editors run modal dialogs: through execDialog as it stands.
  TDialogRunner RunDialog();
  void ReferenceChanged(TReferenceEvent event);
  void SetReferenceItems(bool enabled);
  // An open editor holds values not yet taken over: the commands that replace
  // the project (undo, reference swap and restore) would drop them, so they
  // say so and do nothing (true then).
  bool RefusedForPendingEditorValues();
  // The name of an open editor holding values not yet taken over, or null.
  const char* EditorWithPendingValues() const;
  // Closing the program: each editor with values not yet taken over asks
  // whether to take them over; false when the user cancels.
  bool SettlePendingEditorValues();
  void UpdateUndoItem();
  void PolarScrolled();
  void RepaintCharts();
  void ShowErrorList();
  void CalcStatus(const TStatusReport& report);

  TSettings& settings_;
  TInteraction& ui_;
  // The document lives as long as the window; its calculation thread is
  // ended in the destructor before any widget goes away.
  std::unique_ptr<TProjectDocument> doc_;
  TOpenEditors open_;

  std::unique_ptr<TChartSet> charts_;
  TChartControls chartControls_;
  bool updating_ = false;

  bool checkChassisPending_ = false;
  bool checkDialogOpen_ = false;
  int checkIndex_ = 0;
  QTimer* checkTimer_ = nullptr;

  // controls
  QTabWidget* pages_ = nullptr;
  std::array<QWidget*, kChartPageCount> paintBoxes_{};
  QCheckBox* cbShowChassis_ = nullptr;
  QCheckBox* cbShowImpedance_ = nullptr;
  QCheckBox* cbShowEnergy_ = nullptr;
  QLineEdit* edPhaseRef_ = nullptr;
  std::array<QCheckBox*, kMaxChassis> cbPhaseChassis_{};
  QCheckBox* cbPhaseRear_ = nullptr;
  QCheckBox* cbSpinChassis_ = nullptr;
  QScrollBar* sbPolar_ = nullptr;
  QLabel* lbPolar_ = nullptr;
  QLabel* statusPanel_ = nullptr;
  TFormRechnen* errorList_ = nullptr;
  TFormParteditor* partEditor_ = nullptr;
  TFormWeicheneditor* weicheEditor_ = nullptr;
  TFormChassisEd* chassisEd_ = nullptr;
  TFormWOptimize2* optimizer_ = nullptr;
  std::chrono::milliseconds optiPause_;
  TFormCalcUtils* calcUtils_ = nullptr;
  TFormKurzanleitung* quickGuide_ = nullptr;
  // Created on first use and kept, so that its check boxes keep their state.
  TFormChassisCopy* chassisCopy_ = nullptr;
  std::chrono::milliseconds calcPause_{650};
};

}  // namespace sonvex
