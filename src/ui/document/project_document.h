#pragma once
// The project document below the windows: it owns the current project, the
// undo snapshots, the reference project, the file name and saved flag, the
// calculation thread with its host, and the result the charts show. Windows
// read the project here, change it only through a ProjectEdit, and follow
// the document's signals; none of them reaches into another window.
//
// The road of one edit: a window opens a ProjectEdit with its undo caption,
// changes the edit's copy of the project and commits it. The document
// decides what the commit means: an edit that changed nothing is dropped (no
// undo step, the project stays saved, nothing is computed); otherwise it
// pushes the snapshot taken when the edit began, derives from the difference
// what to recalculate, and emits projectChanged with what changed. The
// thread computes in the background; its progress arrives as calcProgress,
// and each finished calculation once, as one snapshot of its result, with
// calcStatus and resultChanged, on which the main window redraws the charts.
//
// "Saved" is the undo stack's clean index: an edit followed by its undo is
// saved again.
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

// What differs between two projects, as the windows and the calculation
// need to know it.
struct ProjectChanges {
  bool display = false;     // colours, scales, ranges: the charts are drawn anew
  bool calcInputs = false;  // something the calculation reads
  bool fullCalc = false;    // the grid, counts, smoothing or common cabinet: everything is computed anew
  bool counts = false;      // the number of amplifiers or chassis: menus and pages follow
  bool other = false;       // what neither draws nor computes (marks and notes of parts)
  bool Any() const { return display || calcInputs || counts || other; }
};
// Compares the records whole; the marks and notes of crossover parts are no
// calculation inputs. (An edit's commit leaves out the values derived from
// a chassis.)
ProjectChanges CompareProjects(const Project& before, const Project& after);

// The windows that edit the project while they are open.
enum class EditorWindow { Chassis, Crossover, Optimizer };
struct OpenEditorFlags {
  bool chassis = false;    // the chassis editor
  bool crossover = false;  // the crossover editor
  bool optimizer = false;  // the optimizer window
  bool Any() const { return chassis || crossover || optimizer; }
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
  // The result of the last finished calculation (or the optimizer's best).
  // Its curves never change once handed over; only its valid flag follows
  // the requests.
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
  // Which editors are open; each editor tells when it opens and closes.
  const OpenEditorFlags& OpenEditors() const { return openEditors_; }
  void SetEditorOpen(EditorWindow editor, bool open);
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
  // Asks "Rechnung muss erst beendet sein." until the calculation is idle
  // and its result shown; false when the user cancels.
  bool WaitUntilIdle();
  // The calculation is idle and its last result has been shown.
  bool CalcIdle() const;
  // For tests: waits until the calculation thread is idle, then shows its
  // result (no clock: `timeout` only guards against a hang).
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
  void Undo();
  // Pushes an undo step of the project as it stands (tests that need
  // steps); the project stays as saved as it was.
  void PushUndo(const std::string& description);

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
  // The project changed (an edit's commit, a command), and what in it.
  void projectChanged(const sonvex::ProjectChanges& changes);
  void undoChanged();
  // Saved() changed: the title's marker follows.
  void savedChanged();
  void openEditorsChanged();
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
  bool CommitEdit(const Project& snapshot, std::unique_ptr<Project> edited, const std::optional<std::string>& caption,
                  bool closesEditors, bool keepSavedFlag);
  // Requests what the changes need and announces them.
  void Announce(const ProjectChanges& changes);
  void Request(const ProjectChanges& changes);
  // A whole project took the place of the present one.
  ProjectChanges Replaced(const Project& before);
  void PushUndo(const std::string& description, const Project* reference);
  // The saved flag follows the undo stack's clean index.
  void FollowCleanIndex();
  void CalcFinished(const CalcReport& report, std::shared_ptr<CalcResult> result, const GradeBlock& grades);

  Settings& settings_;
  Interaction& ui_;
  std::unique_ptr<Project> project_;
  // Shared with nobody else: the calculation handed it over and keeps none.
  std::shared_ptr<CalcResult> shown_;
  std::unique_ptr<Project> reference_;
  bool hasReference_ = false;
  UndoStack undo_;
  GradeBlock grades_{};
  OpenEditorFlags openEditors_;
  std::filesystem::path fileName_;  // the file dialogs' file name
  std::filesystem::path saveFolder_;
  std::string titleName_;

  // The host before the thread: a calculation waiting for this thread is
  // released before the thread is joined.
  std::unique_ptr<UiCalcHost> host_;
  std::unique_ptr<CalcThread> calc_;
};

// One edit of the project: built with the undo caption, it hands out a copy
// of the project to change; Commit() puts it in place. Dropped without
// Commit() it changes nothing.
class ProjectEdit {
 public:
  // No caption: the edit makes no undo step (the optimizer putting back the
  // project as it was before a run, marks made for a run).
  ProjectEdit(ProjectDocument& doc, std::optional<std::string> undoCaption);
  ~ProjectEdit();
  ProjectEdit(const ProjectEdit&) = delete;
  ProjectEdit& operator=(const ProjectEdit&) = delete;

  Project& EditedProject() { return *edited_; }
  // The project as it was when the edit began.
  const Project& Before() const { return *snapshot_; }
  // The edit replaces the project in a way open editors cannot follow
  // (new counts): they close before the commit puts it in place.
  void ClosesEditors() { closesEditors_ = true; }

  // Puts the edited project in place, once: when it differs from the one
  // before, with the caption's undo step, the saved flag cleared, the
  // recalculation the difference needs and projectChanged (and
  // undoChanged). An edit that changed nothing commits nothing: false.
  bool Commit();
  // The same, but the edited project brings its own saved flag (the
  // optimizer puts back the project exactly as it was before a run).
  bool CommitKeepingSavedFlag();
  bool Committed() const { return committed_; }

 private:
  ProjectDocument& doc_;
  std::optional<std::string> caption_;
  std::unique_ptr<Project> snapshot_;
  std::unique_ptr<Project> edited_;
  bool closesEditors_ = false;
  bool committed_ = false;
};

}  // namespace sonvex
