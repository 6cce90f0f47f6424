#pragma once
// The crossover optimizer window: the listener's wishes, the checks before a
// run, the progress of the search, the grades before and after with their
// history, and finally taking over or discarding the optimized crossover.
#include <QWidget>
#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "calc/grading.h"
#include "optimizer/optimizer.h"

class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QPushButton;
class QSlider;
class QTimer;

namespace sonvex {

class Interaction;
class ProjectDocument;

inline constexpr std::string_view kOptimizerWindowCaption = "Sonvex - Weichenoptimierer";
inline constexpr std::string_view kOptimizerStartCaption = "Optimierung starten ";
inline constexpr std::string_view kOptimizerAbortCaption = "Optimierung abbrechen";
inline constexpr std::string_view kOptimizerRunningText = "Optimierung läuft bereits.";
inline constexpr std::string_view kOptimizerReferenceQuestion =
    "Soll Projekt vorher als Referenzprojekt gespeichert werden?";
inline constexpr std::string_view kOptimizerAbortQuestion = "Optimierung abbrechen?";
inline constexpr std::string_view kOptimizerTakeOverQuestion = "Optimierungsergebnisse übernehmen?";

// The five lines of a result list, in the order the window shows them:
// impedance, frequency response, efficiency, phase, total. Written with a
// decimal point in every locale.
std::array<std::string, 5> OptimizerResultLines(const GradeBlock& g);

// One entry of the grade history: total, frequency response, efficiency,
// impedance, phase.
using GradeHistoryEntry = std::array<double, 5>;
inline constexpr int kGradeHistoryLength = 250;
GradeHistoryEntry HistoryEntry(const GradeBlock& g);
// Appends an entry; a full history drops its oldest entry first.
void AppendHistory(std::vector<GradeHistoryEntry>& history, const GradeBlock& g);
// Vertical pixel of a grade in the history plot (118 pixels high): grade 0 at
// 115, 15 pixels per grade step, upwards for larger grades.
int HistoryY(double grade);

// Asks the user for the record of a part the search has stalled on, given its
// variable and the part as it stands in the best crossover. No value: the
// user cancelled, the part keeps its value.
using FixPartDialog = std::function<std::optional<CrossoverPart>(const OptimizerVariable&, const CrossoverPart&)>;

// The part a stalled variable belongs to, as the user finds it in the
// schematic: kind, the value label the drawing shows, the note and the two
// nodes, e.g. "Kondensator 4,70 µF „MKP 4,7“ zwischen Knoten 12 und 23,
// Verstärker 1 (Startwert 6,80 µF)".
std::string OptimizedPartName(const OptimizerVariable& v, const CrossoverPart& part);

// The value dialog that serves for fixing a part by hand: value (for a coil
// also its winding resistance) in practical units and the note.
std::optional<CrossoverPart> AskPartValues(Interaction& ui, const OptimizerVariable& v, const CrossoverPart& part);

class CrossoverOptimizerWindow : public QWidget {
  Q_OBJECT
 public:
  // `doc` and `ui` must outlive the window. `workerPause` follows every step
  // of the optimizer's calculation workers (65 ms in the program, so that the
  // main window stays responsive; shorter in tests).
  CrossoverOptimizerWindow(ProjectDocument& doc, Interaction& ui, std::chrono::milliseconds workerPause,
                           QWidget* parent = nullptr);
  ~CrossoverOptimizerWindow() override;
  CrossoverOptimizerWindow(const CrossoverOptimizerWindow&) = delete;
  CrossoverOptimizerWindow& operator=(const CrossoverOptimizerWindow&) = delete;

  // "Weichenoptimierer ...": a hidden window is reset (buttons, no old run to
  // ask about) and shown; an open one comes to the front.
  void ShowWindow();
  // The pause of the calculation workers after each step, also during a run.
  void SetWorkerPause(std::chrono::milliseconds pause);

  // ---- commands
  void StartClick();
  void AbortClick();
  void FinishOkClick();
  // The one-second timer: the history is drawn anew.
  void TimerTick();

  // ---- what the optimizer reports (on the user-interface thread)
  void ShowProgress(int perMille);
  void GradeReport(const GradeBlock& grades, const CalcResult& result);
  CrossoverPart FixPart(const OptimizerVariable& v, const CrossoverPart& part);
  void Success();
  void Failure(const std::string& message);
  // The run is over and the optimizer idle: the buttons of an idle window,
  // and a close that waited for the run goes on.
  void RunFinished();

  // How a part is fixed by hand (coils always; resistors and capacitors when
  // their list says "manuell"). By default the value dialog of AskPartValues.
  FixPartDialog fixPartDialog;
  // Test hook: called on the optimizer thread when a report waits at the
  // gate of an open question about the run.
  std::function<void()> onReportHeld;

  // ---- state
  OptimizerThread& Optimizer() { return *optimizer_; }
  bool RunStarted() const { return runStarted_; }
  bool ReportPending() const { return reportPending_; }
  // The window closes as soon as the run it asked to stop has stopped.
  bool ClosingAfterRun() const { return closeAfterRun_; }
  const std::vector<GradeHistoryEntry>& History() const { return history_; }
  int ProgressValue() const { return progress_; }
  // The grading parameters of the slider positions, and the rules for fixing.
  OptimizerParams Params() const;
  PartFixRules FixRules() const;

  // ---- controls
  QSlider* BassSlider() const { return bassSlider_; }
  QSlider* TrebleSlider() const { return trebleSlider_; }
  QSlider* ImpedanceSlider() const { return minImpedanceSlider_; }
  QSlider* EfficiencySlider() const { return efficiencySlider_; }
  QComboBox* CapacitorChoice() const { return capacitorCombo_; }
  QComboBox* ResistorChoice() const { return resistorCombo_; }
  QListWidget* ListBefore() const { return beforeList_; }
  QListWidget* ListAfter() const { return afterList_; }
  QPushButton* StartButton() const { return startButton_; }
  QPushButton* AbortButton() const { return abortButton_; }
  QPushButton* CloseButton() const { return closeButton_; }
  QFrame* FinishPanel() const { return finishPanel_; }
  QPushButton* FinishOkButton() const { return finishOkButton_; }
  QWidget* HistoryPlot() const { return historyPlot_; }
  QWidget* ProgressStrip() const { return progressStrip_; }

 signals:
  // The window closed.
  void openChanged(bool open);
  // A run started, made progress (per mille; -1 at its end) and is over,
  // whichever way it ended.
  void runStarted();
  void runProgress(int perMille);
  void runFinished();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // Where the screen is smaller than the window, its controls scroll.
  void ScrollOnASmallScreen();
  class Host;

  void BuildInputs();
  void BuildOutputs();
  // Asks a run to stop; an idle optimizer shows the idle buttons at once,
  // a running one when it reports the end of its run.
  void RequestAbort();
  void ShowIdleButtons();

  ProjectDocument& doc_;
  Interaction& ui_;

  bool runStarted_ = false;
  bool reportPending_ = false;
  bool closeAfterRun_ = false;
  bool asking_ = false;  // the question whether to abort the run is open
  int progress_ = -1;
  std::vector<GradeHistoryEntry> history_;

  QSlider* bassSlider_ = nullptr;
  QSlider* trebleSlider_ = nullptr;
  QSlider* minImpedanceSlider_ = nullptr;
  QSlider* efficiencySlider_ = nullptr;
  QComboBox* capacitorCombo_ = nullptr;
  QComboBox* resistorCombo_ = nullptr;
  QListWidget* beforeList_ = nullptr;
  QListWidget* afterList_ = nullptr;
  QPushButton* startButton_ = nullptr;
  QPushButton* abortButton_ = nullptr;
  QPushButton* closeButton_ = nullptr;
  QFrame* finishPanel_ = nullptr;
  QPushButton* finishOkButton_ = nullptr;
  QLabel* finishText_ = nullptr;
  QWidget* historyPlot_ = nullptr;
  QWidget* progressStrip_ = nullptr;
  QTimer* timer_ = nullptr;

  // The host before the optimizer: the optimizer thread ends first, and a
  // report it waits for is released before that.
  std::unique_ptr<Host> host_;
  std::unique_ptr<OptimizerThread> optimizer_;
};

}  // namespace sonvex
