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
class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QMenu;
class QScrollBar;
class QTabWidget;
class QTimer;
class QWidget;

namespace sonvex {

class Interaction;
class ChassisEditorWindow;
class ChassisCopyDialog;
class ErrorListWindow;
class PartEditorDialog;
class CrossoverEditorWindow;
class CrossoverOptimizerWindow;
class CalculatorsWindow;
class QuickGuideWindow;

struct MainWindowOptions {
  // The first command-line argument: a project to open instead of Default.ZPJ.
  std::optional<std::filesystem::path> startFile;
  // The pause of the calculation thread after each step (0 in tests).
  std::chrono::milliseconds calcPause{650};
  // The one-second check for newer chassis files (off in tests that do not need it).
  bool chassisCheckTimer = true;
  // The pause of the optimizer's calculation workers after each step.
  std::chrono::milliseconds optimizerPause{65};
};

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  // `settings` and `ui` must outlive the window.
  MainWindow(Settings& settings, Interaction& ui, const MainWindowOptions& options = {}, QWidget* parent = nullptr);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // ---- state: the document holds it
  ProjectDocument& Document() { return *doc_; }
  const Project& CurrentProject() const { return doc_->CurrentProject(); }
  const CalcResult& ShownResult() const { return doc_->ShownResult(); }
  const GradeBlock& Grades() const { return doc_->Grades(); }
  const std::filesystem::path& FileName() const { return doc_->FileName(); }
  const std::string& TitleName() const { return doc_->TitleName(); }
  const UndoStack& UndoHistory() const { return doc_->UndoHistory(); }
  bool HasReference() const { return doc_->HasReference(); }
  const Project& Reference() const { return doc_->Reference(); }
  ChartSet& Charts() { return *charts_; }
  CalcThread& Calculation() { return doc_->Calculation(); }

  // Which editors are open (each editor tells the document).
  const OpenEditorFlags& OpenEditors() const { return doc_->OpenEditors(); }

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
  void CrossoverEditClick(int amp);
  void UndoClick();
  void RememberReferenceClick();
  void SwapReferenceClick();
  void RestoreReferenceClick();
  void DeleteReferenceClick();
  // Chassis item n (1-based): the chassis editor on slot n - 1 (not modal).
  void ChassisItemClick(int n);
  // "gemeinsames Außengehäuse": the common cabinet dialog.
  void CabinetClick();
  // The chassis editor once it has been opened, else null.
  ChassisEditorWindow* ChassisEditor() const { return chassisEditor_; }
  // "Weichenoptimierer ..." (Ctrl+O) and "Optimizer zeigen".
  void OptimizerClick();
  void ShowOptimizerClick();
  // "Anzeigeoptionen", "Ergebnis-Export ...", the five "Auslegung ..." items
  // (the calculator window on page 0..4), "Kurzanleitung" and "&Info ...".
  void DisplayOptionsClick();
  void ExportClick();
  void ShowCalculators(int page);
  void QuickGuideClick();
  void InfoClick();
  // "&Aktive Filter..." of amplifier `amp` (1-based).
  void ActiveFilterClick(int amp);
  void ChassisCopyClick();
  // "Rechenpause ...": the pause after each calculation step, kept in the settings.
  void CalcPauseClick();
  void OptimizerPauseClick();
  // "Diagramm speichern ...": the shown chart page as PNG or SVG.
  void SaveChartClick();

  // Applies the menu state of the project and the open editors (the
  // document's signals call it).
  void RefreshMenuState();
  // Draws the charts of the shown result (the document's signals and the
  // chart pages' own controls call it).
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
  DialogRunner execDialog;

  // ---- controls (menus and items carry their names as object names)
  QTabWidget* Pages() const { return pages_; }
  QLabel* StatusPanel() const { return statusPanel_; }
  QString StatusText() const;
  QColor StatusColor() const;
  QColor StatusTextColor() const;
  ErrorListWindow* ErrorList() const { return errorList_; }
  CrossoverEditorWindow* CrossoverEditor() const { return crossoverEditor_; }
  // The part editor of the crossover editor (and of the optimizer).
  PartEditorDialog* PartEditor() const { return partEditor_; }
  // The optimizer window; created when it is first opened.
  CrossoverOptimizerWindow* OptimizerWindow() const { return optimizer_; }
  CalculatorsWindow* Calculators() const { return calculators_; }
  QuickGuideWindow* QuickGuide() const { return quickGuide_; }
  QCheckBox* ShowChassisBox() const { return showChassisCheck_; }
  QCheckBox* ShowImpedanceBox() const { return showImpedanceCheck_; }
  QCheckBox* ShowEnergyBox() const { return showEnergyCheck_; }
  QLineEdit* PhaseReferenceEdit() const { return phaseReferenceEdit_; }
  QCheckBox* PhaseChassisBox(int k) const { return phaseChassisChecks_.at(static_cast<std::size_t>(k)); }
  QCheckBox* PhaseRearBox() const { return phaseRearCheck_; }
  QCheckBox* SpinShowChassisBox() const { return spinShowChassisCheck_; }
  QCheckBox* StepShowChassisBox() const { return stepShowChassisCheck_; }
  // The step response page's "bis": 5, 10, 20 or 50 ms.
  QComboBox* StepEndBox() const { return stepEndCombo_; }
  QScrollBar* PolarScrollBar() const { return polarScrollBar_; }
  QLabel* PolarLabel() const { return polarLabel_; }
  // The paint box of a page (ChartPage).
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
  DialogRunner RunDialog();
  void ReferenceChanged(ReferenceEvent event);
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
  // "Ja" to a newer chassis file: chassis slot k loaded from it as one edit.
  void ReloadChassis(int k, const std::filesystem::path& file);
  void PolarScrolled();
  // The step response page's controls: its charts are filled anew when painted.
  void StepControlsChanged();
  // Fills the step response page for painting or saving; failures are shown
  // after the paint event.
  void FillStepPage();
  void RepaintCharts();
  void ShowErrorList();
  void CalcStatus(const CalcReport& report);

  Settings& settings_;
  Interaction& ui_;
  // The document lives as long as the window; its calculation thread is
  // ended in the destructor before any widget goes away.
  std::unique_ptr<ProjectDocument> doc_;
  // The program closes once the optimizer window has closed.
  bool closeAfterOptimizer_ = false;

  std::unique_ptr<ChartSet> charts_;
  ChartControls chartControls_;
  bool updating_ = false;

  bool checkChassisPending_ = false;
  bool checkDialogOpen_ = false;
  int checkIndex_ = 0;
  QTimer* checkTimer_ = nullptr;

  // controls
  QMenu* fileMenu_ = nullptr;
  QMenu* editMenu_ = nullptr;
  QMenu* chassisMenu_ = nullptr;
  QMenu* windowMenu_ = nullptr;
  std::array<QMenu*, kMaxAmps> ampMenus_{};
  QAction* undoAction_ = nullptr;
  std::array<QAction*, 3> referenceItems_{};  // swap, restore, delete
  std::array<QAction*, kChassisSlots> chassisItems_{};
  QAction* showCrossoverAction_ = nullptr;
  QAction* showChassisAction_ = nullptr;
  QAction* showOptimizerAction_ = nullptr;
  QTabWidget* pages_ = nullptr;
  std::array<QWidget*, ChartPageCount> paintBoxes_{};
  QCheckBox* showChassisCheck_ = nullptr;
  QCheckBox* showImpedanceCheck_ = nullptr;
  QCheckBox* showEnergyCheck_ = nullptr;
  QLineEdit* phaseReferenceEdit_ = nullptr;
  std::array<QCheckBox*, kMaxChassis> phaseChassisChecks_{};
  QCheckBox* phaseRearCheck_ = nullptr;
  QCheckBox* spinShowChassisCheck_ = nullptr;
  QCheckBox* stepShowChassisCheck_ = nullptr;
  QComboBox* stepEndCombo_ = nullptr;
  QScrollBar* polarScrollBar_ = nullptr;
  QLabel* polarLabel_ = nullptr;
  QLabel* statusPanel_ = nullptr;
  ErrorListWindow* errorList_ = nullptr;
  PartEditorDialog* partEditor_ = nullptr;
  CrossoverEditorWindow* crossoverEditor_ = nullptr;
  ChassisEditorWindow* chassisEditor_ = nullptr;
  CrossoverOptimizerWindow* optimizer_ = nullptr;
  std::chrono::milliseconds optimizerPause_;
  CalculatorsWindow* calculators_ = nullptr;
  QuickGuideWindow* quickGuide_ = nullptr;
  // Created on first use and kept, so that its check boxes keep their state.
  ChassisCopyDialog* chassisCopy_ = nullptr;
  std::chrono::milliseconds calcPause_{650};
};

}  // namespace sonvex
