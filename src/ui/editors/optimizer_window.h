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

class TInteraction;
class TProjectDocument;

inline constexpr std::string_view kOptiWindowCaption = "Sonvex - Weichenoptimierer";
inline constexpr std::string_view kOptiStartCaption = "Optimierung starten ";
inline constexpr std::string_view kOptiAbortCaption = "Optimierung abbrechen";
inline constexpr std::string_view kOptiRunningText = "Optimierung läuft bereits.";
inline constexpr std::string_view kOptiReferenceQuestion =
    "Soll Projekt vorher als Referenzprojekt gespeichert werden?";
inline constexpr std::string_view kOptiAbortQuestion = "Optimierung abbrechen?";
inline constexpr std::string_view kOptiTakeOverQuestion = "Optimierungsergebnisse übernehmen?";

// The five lines of a result list, in the order the window shows them:
// impedance, frequency response, efficiency, phase, total. Written with a
// decimal point in every locale.
std::array<std::string, 5> OptiResultLines(const TGrades& g);

// One entry of the grade history: total, frequency response, efficiency,
// impedance, phase.
using TGradeHistoryEntry = std::array<double, 5>;
inline constexpr int kOptiHistoryLength = 250;
TGradeHistoryEntry HistoryEntry(const TGrades& g);
// Appends an entry; a full history drops its oldest entry first.
void AppendHistory(std::vector<TGradeHistoryEntry>& history, const TGrades& g);
// Vertical pixel of a grade in the history plot (118 pixels high): grade 0 at
// 115, 15 pixels per grade step, upwards for larger grades.
int HistoryY(double grade);

// Asks the user for the record of a part the search has stalled on, given its
// variable and the part as it stands in the best crossover. No value: the
// user cancelled, the part keeps its value.
using TFixPartDialog = std::function<std::optional<TWPart>(const TOptiValue&, const TWPart&)>;

// The part a stalled variable belongs to, as the user finds it in the
// schematic: kind, the value label the drawing shows, the note and the two
// nodes, e.g. "Kondensator 4,70 µF „MKP 4,7“ zwischen Knoten 12 und 23,
// Verstärker 1 (Startwert 6,80 µF)".
std::string OptiPartName(const TOptiValue& v, const TWPart& part);

// The value dialog that serves for fixing a part by hand: value (for a coil
// also its winding resistance) in practical units and the note.
std::optional<TWPart> AskPartValues(TInteraction& ui, const TOptiValue& v, const TWPart& part);

class TFormWOptimize2 : public QWidget {
  Q_OBJECT
 public:
  // `doc` and `ui` must outlive the window. `workerPause` follows every step
  // of the optimizer's calculation workers (65 ms in the program, so that the
  // main window stays responsive; shorter in tests).
  TFormWOptimize2(TProjectDocument& doc, TInteraction& ui, std::chrono::milliseconds workerPause,
                  QWidget* parent = nullptr);
  ~TFormWOptimize2() override;
  TFormWOptimize2(const TFormWOptimize2&) = delete;
  TFormWOptimize2& operator=(const TFormWOptimize2&) = delete;

  // "Weichenoptimierer ...": a hidden window is reset (buttons, no old run to
  // ask about) and shown; an open one comes to the front.
  void ShowWindow();
  // The pause of the calculation workers after each step, also during a run.
  void SetWorkerPause(std::chrono::milliseconds pause);

  // ---- commands
  void StartClick();
  void AbortClick();
  void FinishOkClick();
  // The one-second timer.
  void TimerTick();

  // ---- what the optimizer reports (on the user-interface thread)
  void ShowProgress(int perMille);
  void GradeReport(const TGrades& grades, const TResult& result);
  TWPart FixPart(const TOptiValue& v, const TWPart& part);
  void Success();
  void Failure(const std::string& message);

  // How a part is fixed by hand (coils always; resistors and capacitors when
  // their list says "manuell"). By default the value dialog of AskPartValues.
  TFixPartDialog fixPartDialog;

  // ---- state
  TOptiThread& Optimizer() { return *opti_; }
  bool RunStarted() const { return runStarted_; }
  bool ReportPending() const { return reportPending_; }
  const std::vector<TGradeHistoryEntry>& History() const { return history_; }
  int ProgressValue() const { return progress_; }
  // The grading parameters of the slider positions, and the rules for fixing.
  TOptiParams Params() const;
  TFixRules FixRules() const;

  // ---- controls
  QSlider* BassSlider() const { return sbBass_; }
  QSlider* TrebleSlider() const { return sbTreble_; }
  QSlider* ImpedanceSlider() const { return sbZmin_; }
  QSlider* EfficiencySlider() const { return sbEfficiency_; }
  QComboBox* CapacitorChoice() const { return cbCapacitors_; }
  QComboBox* ResistorChoice() const { return cbResistors_; }
  QListWidget* ListBefore() const { return lbBefore_; }
  QListWidget* ListAfter() const { return lbAfter_; }
  QPushButton* StartButton() const { return btnStart_; }
  QPushButton* AbortButton() const { return btnAbort_; }
  QPushButton* CloseButton() const { return btnClose_; }
  QFrame* FinishPanel() const { return finishPanel_; }
  QPushButton* FinishOkButton() const { return btnFinishOk_; }
  QWidget* HistoryPlot() const { return historyPlot_; }
  QWidget* ProgressStrip() const { return progressStrip_; }

 signals:
  // The window closed (the main window's menus follow).
  void openChanged(bool open);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // Where the screen is smaller than the window, its controls scroll.
  void ScrollOnASmallScreen();
  class THost;

  void BuildInputs();
  void BuildOutputs();
  // Sets the stop request and waits, keeping the window alive, until the
  // optimizer is idle; then the buttons of an idle window.
  void AbortStep();
  // Waits `ms` milliseconds while the window messages are processed.
  static void WaitProcessing(int ms);

  TProjectDocument& doc_;
  TInteraction& ui_;

  bool runStarted_ = false;
  bool reportPending_ = false;
  bool inTimer_ = false;
  bool asking_ = false;  // the question whether to abort the run is open
  int progress_ = -1;
  std::vector<TGradeHistoryEntry> history_;

  QSlider* sbBass_ = nullptr;
  QSlider* sbTreble_ = nullptr;
  QSlider* sbZmin_ = nullptr;
  QSlider* sbEfficiency_ = nullptr;
  QComboBox* cbCapacitors_ = nullptr;
  QComboBox* cbResistors_ = nullptr;
  QListWidget* lbBefore_ = nullptr;
  QListWidget* lbAfter_ = nullptr;
  QPushButton* btnStart_ = nullptr;
  QPushButton* btnAbort_ = nullptr;
  QPushButton* btnClose_ = nullptr;
  QFrame* finishPanel_ = nullptr;
  QPushButton* btnFinishOk_ = nullptr;
  QWidget* historyPlot_ = nullptr;
  QWidget* progressStrip_ = nullptr;
  QTimer* timer_ = nullptr;

  // The host before the optimizer: the optimizer thread ends first, and a
  // report it waits for is released before that.
  std::unique_ptr<THost> host_;
  std::unique_ptr<TOptiThread> opti_;
};

}  // namespace sonvex
