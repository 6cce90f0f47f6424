#include "ui/document/project_document.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <utility>

#include "calc/file_load.h"
#include "model/file_io.h"
#include "model/interaction.h"
#include "model/project_file.h"
#include "ui/document/calc_host.h"

namespace sonvex {

ProjectDocument::ProjectDocument(Settings& settings, Interaction& ui, QObject* parent)
    : QObject(parent),
      settings_(settings),
      ui_(ui),
      project_(MakeNewProject()),
      shown_(std::make_unique<CalcResult>()),
      reference_(std::make_unique<Project>()) {
  saveFolder_ = settings_.projectFolder;
  ApplyDisplayDefaults(*project_, settings_);
  project_->saved = true;
}

ProjectDocument::~ProjectDocument() { StopCalculation(); }

// ---------------------------------------------------------------- calculation

void ProjectDocument::StartCalculation(std::chrono::milliseconds pause) {
  UiCalcHost::Callbacks callbacks;
  callbacks.progress = [this](int /*done*/, int total, const std::string& text) {
    if (total > 0) emit calcProgress(QString::fromStdString(text));
  };
  callbacks.statusReport = [this](const CalcStates& s, const CalcResult& r) { CalcStatusReport(s, r); };
  callbacks.handBack = [this](const CalcResult& r, const GradeBlock& g) { CalcHandBack(r, g); };
  host_ = std::make_unique<UiCalcHost>(this, std::move(callbacks));
  calc_ = std::make_unique<CalcThread>(host_.get(), false, pause);
  calc_->Start();
  RequestCalc();
}

void ProjectDocument::StopCalculation() {
  // Release a calculation that waits for this thread, then end it.
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

void ProjectDocument::Request(Recalc recalc, const Project& before) {
  switch (recalc) {
    case Recalc::None:
      break;
    case Recalc::Incremental:
      RequestCalc();
      break;
    case Recalc::Full:
      RequestFullCalc();
      break;
    case Recalc::AfterEdit:
      // The incremental request compares only the chassis, enclosure,
      // baffle, crossover and filter records; anything else a step reads
      // needs the full one.
      if (NeedsFullCalc(before, *project_))
        RequestFullCalc();
      else
        RequestCalc();
      break;
  }
}

bool ProjectDocument::WaitUntilIdle() {
  while (true) {
    // Let the calculation's pending hand-over to this thread run first.
    QCoreApplication::processEvents();
    if (!calc_ || calc_->IsIdle()) return true;
    if (ui_.ChooseButton(kWaitIdleText, "&nochmal versuchen|abbrechen", 1) != 1) return false;
  }
}

bool ProjectDocument::WaitCalcIdle(std::chrono::milliseconds timeout) {
  QElapsedTimer clock;
  clock.start();
  while (calc_ && !calc_->IsIdle()) {
    if (clock.elapsed() > timeout.count()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  QCoreApplication::processEvents();
  return true;
}

void ProjectDocument::CalcStatusReport(const CalcStates& states, const CalcResult& result) {
  const CalcReport report = StatusReport(states, result.ampCount, result.chassisCount);
  lastErrorCount_ = report.errors;
  emit calcStatus(report);
}

void ProjectDocument::CalcHandBack(const CalcResult& result, const GradeBlock& grades) {
  *shown_ = result;
  shown_->valid = lastErrorCount_ == 0;
  grades_ = grades;
  emit resultChanged();
}

void ProjectDocument::ShowOptimizerResult(const CalcResult& result) {
  *shown_ = result;
  // The optimizer reports only crossovers that computed without errors.
  shown_->valid = true;
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
  project_->saved = true;
  emit fileNameChanged();
  emit projectChanged();
  return fromFile;
}

void ProjectDocument::New() {
  PushUndo("Neues Projekt");
  emit aboutToReplaceProject();
  NewProject(*project_);
  ApplyDisplayDefaults(*project_, settings_);
  fileName_.clear();
  titleName_ = "noname.ZPJ";
  // The flag is set before the signals: the title shows it.
  project_->saved = true;
  emit fileNameChanged();
  emit projectChanged();
  RequestFullCalc();
}

void ProjectDocument::Load(const std::filesystem::path& file) {
  PushUndo("Datei laden");
  emit aboutToReplaceProject();
  LoadFile(file);
  project_->saved = true;
  RequestFullCalc();
}

bool ProjectDocument::Save(const std::filesystem::path& file) {
  try {
    SaveProject(*project_, file);
  } catch (const FileError& e) {
    ui_.ShowMessage(e.what());
    return false;
  }
  project_->saved = true;
  fileName_ = file;
  saveFolder_ = file.parent_path();
  titleName_ = Utf8FromPath(file);
  emit fileNameChanged();
  return true;
}

void ProjectDocument::PushUndo(const std::string& description) {
  undo_.Push(*project_, description);
  emit undoChanged();
}

void ProjectDocument::DropUndo() {
  undo_.Drop();
  emit undoChanged();
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
  if (swapBack) hasReference_ = true;
  std::swap(project_, restored);
  project_->saved = false;
  Request(swapBack ? Recalc::Full : Recalc::AfterEdit, *restored);
  emit undoChanged();
  emit projectChanged();
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
  undo_.Push(*project_, "Projekt mit Referenzprojekt tauschen", reference_.get());
  emit undoChanged();
  // The charts keep the curves of the project that becomes the reference.
  emit referenceChanged(ReferenceEvent::AboutToSwap);
  emit aboutToReplaceProject();
  std::swap(project_, reference_);
  project_->saved = false;
  emit projectChanged();
  RequestFullCalc();
}

void ProjectDocument::RestoreReference() {
  if (!hasReference_) return;
  emit aboutToReplaceProject();
  PushUndo("Referenz wiederherstellen");
  *project_ = *reference_;
  project_->saved = false;
  emit projectChanged();
  RequestFullCalc();
}

void ProjectDocument::DeleteReference() {
  hasReference_ = false;
  emit referenceChanged(ReferenceEvent::Deleted);
}

// ---------------------------------------------------------------- edits

void ProjectDocument::CommitEdit(const Project& snapshot, std::unique_ptr<Project> edited,
                                 const std::optional<std::string>& caption, Recalc recalc, bool closesEditors,
                                 bool markUnsaved) {
  if (caption) undo_.Push(snapshot, *caption);
  if (closesEditors) emit aboutToReplaceProject();
  std::unique_ptr<Project> before = std::move(project_);
  project_ = std::move(edited);
  if (markUnsaved) project_->saved = false;
  Request(recalc, *before);
  if (caption) emit undoChanged();
  emit projectChanged();
}

ProjectEdit::ProjectEdit(ProjectDocument& doc, std::optional<std::string> undoCaption, Recalc recalc)
    : doc_(doc),
      caption_(std::move(undoCaption)),
      recalc_(recalc),
      snapshot_(std::make_unique<Project>(doc.CurrentProject())),
      edited_(std::make_unique<Project>(doc.CurrentProject())) {}

ProjectEdit::~ProjectEdit() = default;

void ProjectEdit::Commit() {
  if (committed_) return;
  committed_ = true;
  doc_.CommitEdit(*snapshot_, std::move(edited_), caption_, recalc_, closesEditors_, true);
}

void ProjectEdit::CommitKeepingSavedFlag() {
  if (committed_) return;
  committed_ = true;
  doc_.CommitEdit(*snapshot_, std::move(edited_), caption_, recalc_, closesEditors_, false);
}

}  // namespace sonvex
