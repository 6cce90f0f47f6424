#include "ui/document/project_document.h"

#include <QCoreApplication>
#include <array>
#include <utility>

#include "acoustics/enclosure.h"
#include "calc/file_load.h"
#include "model/file_io.h"
#include "model/interaction.h"
#include "model/project_file.h"
#include "ui/document/calc_host.h"

namespace sonvex {

namespace {

// The marks and notes of crossover parts are read by no calculation step.
bool SameAmplifierInputs(const Amplifier& a, const Amplifier& b) {
  if (a.crossover == b.crossover) return a == b;
  Amplifier x = a;
  Amplifier y = b;
  for (CrossoverPart& part : x.crossover) {
    part.optimize = false;
    part.note = decltype(part.note){};
  }
  for (CrossoverPart& part : y.crossover) {
    part.optimize = false;
    part.note = decltype(part.note){};
  }
  return x == y;
}

}  // namespace

ProjectChanges CompareProjects(const Project& before, const Project& after) {
  ProjectChanges c;
  if (before == after) return c;
  c.display = !(DisplayOptionsOf(before) == DisplayOptionsOf(after));
  c.counts = before.ampCount != after.ampCount || before.chassisCount != after.chassisCount;
  c.fullCalc = NeedsFullCalc(before, after);
  c.calcInputs = c.fullCalc || before.chassis != after.chassis || before.enclosures != after.enclosures ||
                 before.baffles != after.baffles;
  for (int a = 0; a < kMaxAmps && !c.calcInputs; ++a)
    c.calcInputs = !SameAmplifierInputs(before.amplifiers[static_cast<std::size_t>(a)],
                                        after.amplifiers[static_cast<std::size_t>(a)]);
  // Whatever else differs (names of chassis are in the records above; the
  // marks and notes of parts, the saved flag) neither draws nor computes.
  c.other = !c.display && !c.calcInputs && !c.counts;
  return c;
}

ProjectDocument::ProjectDocument(Settings& settings, Interaction& ui, QObject* parent)
    : QObject(parent),
      settings_(settings),
      ui_(ui),
      project_(MakeNewProject()),
      shown_(std::make_shared<CalcResult>()),
      reference_(std::make_unique<Project>()) {
  saveFolder_ = settings_.projectFolder;
  ApplyDisplayDefaults(*project_, settings_);
  project_->saved = true;
}

ProjectDocument::~ProjectDocument() { StopCalculation(); }

void ProjectDocument::SetEditorOpen(EditorWindow editor, bool open) {
  bool& flag = editor == EditorWindow::Chassis     ? openEditors_.chassis
               : editor == EditorWindow::Crossover ? openEditors_.crossover
                                                   : openEditors_.optimizer;
  if (flag == open) return;
  flag = open;
  emit openEditorsChanged();
}

// ---------------------------------------------------------------- calculation

void ProjectDocument::StartCalculation(std::chrono::milliseconds pause) {
  UiCalcHost::Callbacks callbacks;
  callbacks.progress = [this](int /*done*/, int total, const std::string& text) {
    if (total > 0) emit calcProgress(QString::fromStdString(text));
  };
  callbacks.finished = [this](const CalcReport& report, std::shared_ptr<CalcResult> result, const GradeBlock& grades) {
    CalcFinished(report, std::move(result), grades);
  };
  host_ = std::make_unique<UiCalcHost>(this, std::move(callbacks));
  calc_ = std::make_unique<CalcThread>(host_.get(), false, pause);
  calc_->Start();
  RequestCalc();
}

void ProjectDocument::StopCalculation() {
  // No result is handed over any more, then the thread ends.
  if (host_) host_->Shutdown();
  calc_.reset();
  host_.reset();
}

void ProjectDocument::SetCalcPause(std::chrono::milliseconds pause) {
  if (calc_) calc_->SetPause(pause);
}

void ProjectDocument::RequestCalc() {
  // No chart draws the displayed result while it is being replaced.
  shown_->valid = false;
  if (calc_) calc_->StartCalc(*project_);
}

void ProjectDocument::RequestFullCalc() {
  shown_->valid = false;
  if (calc_) calc_->StartFullCalc(*project_);
}

void ProjectDocument::Request(const ProjectChanges& changes) {
  // The incremental request compares only the chassis, enclosure, baffle,
  // crossover and filter records; anything else a step reads needs the full
  // one.
  if (changes.fullCalc)
    RequestFullCalc();
  else if (changes.calcInputs)
    RequestCalc();
}

bool ProjectDocument::CalcIdle() const { return !calc_ || (calc_->IsIdle() && host_->Undelivered() == 0); }

bool ProjectDocument::WaitUntilIdle() {
  while (true) {
    // A finished calculation's result may still be on its way to this thread.
    QCoreApplication::processEvents();
    if (CalcIdle()) return true;
    if (calc_->IsIdle()) continue;
    if (ui_.ChooseButton(kWaitIdleText, "&nochmal versuchen|abbrechen", 1) != 1) return false;
  }
}

bool ProjectDocument::WaitCalcIdle(std::chrono::milliseconds timeout) {
  // The thread posts its result before it goes idle: once it is idle, the
  // result waits in this thread's queue.
  while (calc_ && !CalcIdle()) {
    if (!calc_->WaitIdle(timeout)) return false;
    QCoreApplication::processEvents();
  }
  return true;
}

void ProjectDocument::CalcFinished(const CalcReport& report, std::shared_ptr<CalcResult> result,
                                   const GradeBlock& grades) {
  emit calcStatus(report);
  shown_ = std::move(result);
  grades_ = grades;
  emit resultChanged();
}

void ProjectDocument::ShowOptimizerResult(const CalcResult& result) {
  // The optimizer's workers go on computing: the shown result is a copy.
  auto shown = std::make_shared<CalcResult>(result);
  // The optimizer reports only crossovers that computed without errors.
  shown->valid = true;
  shown_ = std::move(shown);
  emit resultChanged();
}

// ---------------------------------------------------------------- project commands

bool ProjectDocument::LoadFile(const std::filesystem::path& file) {
  // Read into a copy: a file of a wrong version leaves the project as it was.
  auto loaded = std::make_unique<Project>(*project_);
  ProjectLoadResult outcome = ProjectLoadResult::Missing;
  try {
    outcome = LoadProjectFile(*loaded, file, settings_, ui_);
  } catch (const FileError& e) {
    ui_.ShowMessage(e.what());
    return false;
  }
  bool fromFile = false;
  switch (outcome) {
    case ProjectLoadResult::Missing:
      return false;
    case ProjectLoadResult::NotProjectFile:
      // The empty project takes the refused file's place; the title names no
      // file, so saving never suggests the refused file as the target.
      *project_ = *loaded;
      fileName_.clear();
      titleName_.clear();
      break;
    case ProjectLoadResult::WrongVersion:
      break;
    case ProjectLoadResult::Loaded:
    case ProjectLoadResult::Defaults:
    case ProjectLoadResult::BadHeader:
      *project_ = *loaded;
      fileName_ = file;
      saveFolder_ = file.parent_path();
      titleName_ = Utf8FromPath(file);
      fromFile = true;
      break;
  }
  undo_.MarkClean();
  FollowCleanIndex();
  emit fileNameChanged();
  emit projectChanged(ProjectChanges{true, true, true, true, true});
  return fromFile;
}

void ProjectDocument::New() {
  PushUndo("Neues Projekt", nullptr);
  emit aboutToReplaceProject();
  NewProject(*project_);
  ApplyDisplayDefaults(*project_, settings_);
  DeriveChassisValues(*project_);
  fileName_.clear();
  titleName_ = "noname.ZPJ";
  // The new project counts as saved: the undo step before it keeps the old one.
  undo_.MarkClean();
  FollowCleanIndex();
  emit fileNameChanged();
  emit projectChanged(ProjectChanges{true, true, true, true, true});
  RequestFullCalc();
}

void ProjectDocument::Load(const std::filesystem::path& file) {
  PushUndo("Datei laden", nullptr);
  emit aboutToReplaceProject();
  LoadFile(file);
  RequestFullCalc();
}

bool ProjectDocument::Save(const std::filesystem::path& file) {
  try {
    SaveProject(*project_, file);
  } catch (const FileError& e) {
    ui_.ShowMessage(e.what());
    return false;
  }
  undo_.MarkClean();
  FollowCleanIndex();
  fileName_ = file;
  saveFolder_ = file.parent_path();
  titleName_ = Utf8FromPath(file);
  emit fileNameChanged();
  return true;
}

void ProjectDocument::PushUndo(const std::string& description, const Project* reference) {
  undo_.Push(*project_, description, reference);
  FollowCleanIndex();
  emit undoChanged();
}

void ProjectDocument::FollowCleanIndex() {
  const bool saved = undo_.IsClean();
  if (project_->saved == saved) return;
  project_->saved = saved;
  emit savedChanged();
}

void ProjectDocument::PushUndo(const std::string& description) {
  const bool clean = undo_.IsClean();
  undo_.Push(*project_, description);
  if (clean) undo_.MarkClean();
  emit undoChanged();
}

ProjectChanges ProjectDocument::Replaced(const Project& before) {
  ProjectChanges changes = CompareProjects(before, *project_);
  // Whatever came back, the windows show it afresh.
  changes.other = true;
  return changes;
}

void ProjectDocument::Undo() {
  if (undo_.Empty()) return;
  // Undoing a swap with the reference swaps back: both sides come from the
  // step, and the curves shown now become the reference's again, so they
  // must be complete.
  const bool swapBack = undo_.TopHoldsReference();
  if (swapBack) {
    if (!WaitUntilIdle()) return;
    emit referenceChanged(ReferenceEvent::AboutToSwap);
  }
  emit aboutToReplaceProject();
  auto restored = std::make_unique<Project>();
  undo_.Pop(*restored, swapBack ? reference_.get() : nullptr);
  // The step kept the records; what follows from them is derived again.
  DeriveChassisValues(*restored);
  if (swapBack) {
    DeriveChassisValues(*reference_);
    hasReference_ = true;
  }
  restored->saved = project_->saved;
  std::swap(project_, restored);
  FollowCleanIndex();
  ProjectChanges changes = Replaced(*restored);
  // The curves shown now belong to the reference: all are computed anew.
  if (swapBack) changes.fullCalc = changes.calcInputs = true;
  Request(changes);
  emit undoChanged();
  emit projectChanged(changes);
}

// ---------------------------------------------------------------- reference project

bool ProjectDocument::RememberReference() {
  if (!WaitUntilIdle()) return false;
  *reference_ = *project_;
  hasReference_ = true;
  emit referenceChanged(ReferenceEvent::Remembered);
  return true;
}

void ProjectDocument::SwapReference() {
  if (!hasReference_) return;
  if (!WaitUntilIdle()) return;
  PushUndo("Projekt mit Referenzprojekt tauschen", reference_.get());
  // The charts keep the curves of the project that becomes the reference.
  emit referenceChanged(ReferenceEvent::AboutToSwap);
  emit aboutToReplaceProject();
  std::swap(project_, reference_);
  project_->saved = reference_->saved;
  FollowCleanIndex();
  ProjectChanges changes = Replaced(*reference_);
  changes.fullCalc = changes.calcInputs = true;
  emit projectChanged(changes);
  RequestFullCalc();
}

void ProjectDocument::RestoreReference() {
  if (!hasReference_) return;
  emit aboutToReplaceProject();
  PushUndo("Referenz wiederherstellen", nullptr);
  const auto before = std::make_unique<Project>(*project_);
  const bool saved = project_->saved;
  *project_ = *reference_;
  project_->saved = saved;
  ProjectChanges changes = Replaced(*before);
  changes.fullCalc = changes.calcInputs = true;
  emit projectChanged(changes);
  RequestFullCalc();
}

void ProjectDocument::DeleteReference() {
  hasReference_ = false;
  emit referenceChanged(ReferenceEvent::Deleted);
}

// ---------------------------------------------------------------- edits

bool ProjectDocument::CommitEdit(const Project& snapshot, std::unique_ptr<Project> edited,
                                 const std::optional<std::string>& caption, bool closesEditors, bool keepSavedFlag) {
  const bool restoresSaved = keepSavedFlag && edited->saved;
  edited->saved = project_->saved;
  // Values derived from a chassis follow from its records: they are not
  // compared (an editor refreshes them on "Ok").
  std::array<ChassisDerived, kChassisSlots> derived{};
  for (std::size_t c = 0; c < kChassisSlots; ++c) {
    derived[c] = edited->chassis[c].derived;
    edited->chassis[c].derived = project_->chassis[c].derived;
  }
  const ProjectChanges changes = CompareProjects(*project_, *edited);
  if (!changes.Any()) return false;
  for (std::size_t c = 0; c < kChassisSlots; ++c) edited->chassis[c].derived = derived[c];
  if (caption) undo_.Push(snapshot, *caption);
  if (closesEditors) emit aboutToReplaceProject();
  project_ = std::move(edited);
  if (restoresSaved)
    undo_.MarkClean();
  else if (!caption)
    undo_.LoseClean();  // changed without a step: undo no longer leads back to the saved state
  FollowCleanIndex();
  Request(changes);
  if (caption) emit undoChanged();
  emit projectChanged(changes);
  return true;
}

ProjectEdit::ProjectEdit(ProjectDocument& doc, std::optional<std::string> undoCaption)
    : doc_(doc),
      caption_(std::move(undoCaption)),
      snapshot_(std::make_unique<Project>(doc.CurrentProject())),
      edited_(std::make_unique<Project>(doc.CurrentProject())) {}

ProjectEdit::~ProjectEdit() = default;

bool ProjectEdit::Commit() {
  if (committed_) return false;
  committed_ = true;
  return doc_.CommitEdit(*snapshot_, std::move(edited_), caption_, closesEditors_, false);
}

bool ProjectEdit::CommitKeepingSavedFlag() {
  if (committed_) return false;
  committed_ = true;
  return doc_.CommitEdit(*snapshot_, std::move(edited_), caption_, closesEditors_, true);
}

}  // namespace sonvex
