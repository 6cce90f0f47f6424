#pragma once
// The project document below the windows: it owns the current project, the
// undo snapshots, the reference project, the file name and saved flag, the
// calculation thread with its host, and the result the charts show. Windows
// read the project here, change it only through a ProjectEdit, and follow
// the document's signals; none of them reaches into another window.
//
// The road of one edit: a window opens a ProjectEdit with its undo caption
// and the recalculation it needs, changes the edit's copy of the project and
// commits it. The commit pushes the snapshot taken when the edit began,
// clears the saved flag, hands the project to the calculation thread and
// emits projectChanged. The thread computes in the background; its progress
// and status report arrive as calcProgress and calcStatus, its result as
// resultChanged, on which the main window redraws the charts.
#include <QObject>
#include <QString>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "calc/calc_thread.h"
#include "calc/check.h"
#include "model/project.h"
#include "model/result.h"
#include "model/settings.h"
#include "model/undo_stack.h"

namespace sonvex {

class Interaction;
class UiCalcHost;
class ProjectEdit;

inline constexpr std::string_view kWaitIdleText = "Rechnung muss erst beendet sein.";

// The recalculation an edit asks for.
enum class Recalc {
  None,         // nothing the calculation reads changed (display options, marks)
  Incremental,  // the thread compares the records and computes what changed
  Full,         // everything (new counts, grid, properties, reference swap)
  AfterEdit,    // decided after the edit: full when the compared records do not cover the change
};

// What happened to the reference project.
enum class ReferenceEvent { Remembered, AboutToSwap, Deleted };

class ProjectDocument : public QObject {
  Q_OBJECT
 public:
  // `settings` and `ui` must outlive the document.
  ProjectDocument(Settings& settings, Interaction& ui, QObject* parent = nullptr);
  ~ProjectDocument() override;
  ProjectDocument(const ProjectDocument&) = delete;
  ProjectDocument& operator=(const ProjectDocument&) = delete;

  // ---- state (read-only)
  const Project& CurrentProject() const { return *project_; }
  const CalcResult& ShownResult() const { return *shown_; }
  const GradeBlock& Grades() const { return grades_; }
  const UndoStack& UndoHistory() const { return undo_; }
  bool HasReference() const { return hasReference_; }
  const Project& Reference() const { return *reference_; }
  const std::filesystem::path& FileName() const { return fileName_; }
  const std::filesystem::path& SaveFolder() const { return saveFolder_; }
  // The name in the window title ("noname.ZPJ" for a new project).
  const std::string& TitleName() const { return titleName_; }
  bool Saved() const { return project_->saved; }
  Settings& ProgramSettings() { return settings_; }
  Interaction& UserInteraction() { return ui_; }
  CalcThread& Calculation() { return *calc_; }
  const CalcThread& Calculation() const { return *calc_; }

  // For tests that set up a state directly: no undo step, no request, no signal.
  Project& Unguarded() { return *project_; }

  // ---- the calculation
  // Starts the thread with `pause` after each step and requests the first
  // calculation, which computes everything.
  void StartCalculation(std::chrono::milliseconds pause);
  void SetCalcPause(std::chrono::milliseconds pause);
  void RequestCalc();
  void RequestFullCalc();
  // Asks "Rechnung muss erst beendet sein." until the calculation is idle;
  // false when the user cancels.
  bool WaitUntilIdle();
  // For tests: processes events until the calculation thread is idle.
  bool WaitCalcIdle(std::chrono::milliseconds timeout = std::chrono::seconds(120));
  // The optimizer shows the results of the best crossover found so far.
  void ShowOptimizerResult(const CalcResult& result);
  // Ends the calculation thread (a waiting hand-back is released first).
  void StopCalculation();

  // ---- project commands
  // Opens a project file as at start-up (no undo step); true when the
  // project came from it. A file of a wrong version leaves the project.
  bool LoadFile(const std::filesystem::path& file);
  // "Neues Projekt" and "Datei laden": undo step, editors closed, the new
  // project unchanged-so-far, full calculation.
  void New();
  void Load(const std::filesystem::path& file);
  // Writes the project; false (message shown) when it cannot be written.
  bool Save(const std::filesystem::path& file);
  // Pushes an undo snapshot of the project as it stands, or drops the top one.
  void PushUndo(const std::string& description);
  void DropUndo();
  void Undo();

  // ---- reference project
  // false when the user cancelled the wait for the calculation.
  bool RememberReference();
  void SwapReference();
  void RestoreReference();
  void DeleteReference();

 signals:
  // Before New, Load, Undo, a reference swap or restore (and edits that
  // change the counts) replace the project: open editors close.
  void aboutToReplaceProject();
  // The project changed (an edit's commit, a command).
  void projectChanged();
  void undoChanged();
  // The shown result (and grades) changed: the charts follow.
  void resultChanged();
  // Progress of a calculation (stepsTotal > 0) and its status report.
  void calcProgress(const QString& text);
  void calcStatus(const sonvex::CalcReport& report);
  void referenceChanged(sonvex::ReferenceEvent event);
  // The file name, and so the window title, changed.
  void fileNameChanged();

 private:
  friend class ProjectEdit;
  // An edit's commit: see ProjectEdit::Commit.
  void CommitEdit(const Project& snapshot, std::unique_ptr<Project> edited, const std::optional<std::string>& caption,
                  Recalc recalc, bool closesEditors, bool markUnsaved);
  void Request(Recalc recalc, const Project& before);
  void CalcStatusReport(const CalcStates& states, const CalcResult& result);
  void CalcHandBack(const CalcResult& result, const GradeBlock& grades);

  Settings& settings_;
  Interaction& ui_;
  std::unique_ptr<Project> project_;
  std::unique_ptr<CalcResult> shown_;
  std::unique_ptr<Project> reference_;
  bool hasReference_ = false;
  UndoStack undo_;
  GradeBlock grades_{};
  int lastErrorCount_ = 0;
  std::filesystem::path fileName_;  // the file dialogs' file name
  std::filesystem::path saveFolder_;
  std::string titleName_;

  // The host before the thread: a calculation waiting for this thread is
  // released before the thread is joined.
  std::unique_ptr<UiCalcHost> host_;
  std::unique_ptr<CalcThread> calc_;
};

// One edit of the project: built with the undo caption and the
// recalculation it needs, it hands out a copy of the project to change;
// Commit() puts it in place. Dropped without Commit() it changes nothing.
class ProjectEdit {
 public:
  // No caption: the edit makes no undo step (the optimizer putting back the
  // project as it was before a run, marks made for a run).
  ProjectEdit(ProjectDocument& doc, std::optional<std::string> undoCaption, Recalc recalc);
  ~ProjectEdit();
  ProjectEdit(const ProjectEdit&) = delete;
  ProjectEdit& operator=(const ProjectEdit&) = delete;

  Project& EditedProject() { return *edited_; }
  // The project as it was when the edit began.
  const Project& Before() const { return *snapshot_; }
  // The edit replaces the project in a way open editors cannot follow
  // (new counts): they close before the commit puts it in place.
  void ClosesEditors() { closesEditors_ = true; }

  // Pushes the snapshot taken at the start with the caption, puts the
  // edited project in place, clears the saved flag, requests the
  // recalculation and emits projectChanged (and undoChanged), once.
  void Commit();
  // The same without clearing the saved flag: the edited project brings its
  // own (the optimizer puts back the project as it was before a run).
  void CommitKeepingSavedFlag();
  bool Committed() const { return committed_; }

 private:
  ProjectDocument& doc_;
  std::optional<std::string> caption_;
  Recalc recalc_;
  std::unique_ptr<Project> snapshot_;
  std::unique_ptr<Project> edited_;
  bool closesEditors_ = false;
  bool committed_ = false;
};

}  // namespace sonvex
