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

TProjectDocument::TProjectDocument(TSettings& settings, TInteraction& ui, QObject* parent)
    : QObject(parent),
      settings_(settings),
      ui_(ui),
      project_(MakeNewProject()),
      shown_(std::make_unique<TResult>()),
      reference_(std::make_unique<TProjekt>()) {
  saveFolder_ = settings_.projectFolder;
  ApplyDisplayDefaults(*project_, settings_);
  project_->bSaved = true;
}

TProjectDocument::~TProjectDocument() { StopCalculation(); }

// ---------------------------------------------------------------- calculation

void TProjectDocument::StartCalculation(std::chrono::milliseconds pause) {
  TUiCalcHost::TCallbacks callbacks;
  callbacks.progress = [this](int /*done*/, int total, const std::string& text) {
    if (total > 0) emit calcProgress(QString::fromStdString(text));
  };
  callbacks.statusReport = [this](const TCalcStruct& s, const TResult& r) { CalcStatusReport(s, r); };
  callbacks.handBack = [this](const TResult& r, const TGrades& g) { CalcHandBack(r, g); };
  host_ = std::make_unique<TUiCalcHost>(this, std::move(callbacks));
  calc_ = std::make_unique<TCalcThread>(host_.get(), false, pause);
  calc_->Start();
  RequestCalc();
}

void TProjectDocument::StopCalculation() {
  // Release a calculation that waits for this thread, then end it.
  if (host_) host_->Shutdown();
  calc_.reset();
  host_.reset();
}

void TProjectDocument::SetCalcPause(std::chrono::milliseconds pause) {
  if (calc_) calc_->SetPause(pause);
}

void TProjectDocument::RequestCalc() {
  // No chart draws the displayed result while it is being replaced.
  shown_->bValid = false;
  if (calc_) calc_->StartCalc(*project_);
}

void TProjectDocument::RequestFullCalc() {
  shown_->bValid = false;
  if (calc_) calc_->StartFullCalc(*project_);
}

void TProjectDocument::Request(TRecalc recalc, const TProjekt& before) {
  switch (recalc) {
    case TRecalc::None:
      break;
    case TRecalc::Incremental:
      RequestCalc();
      break;
    case TRecalc::Full:
      RequestFullCalc();
      break;
    case TRecalc::AfterEdit:
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

bool TProjectDocument::WaitUntilIdle() {
  while (true) {
    // Let the calculation's pending hand-over to this thread run first.
    QCoreApplication::processEvents();
    if (!calc_ || calc_->IsIdle()) return true;
    if (ui_.ChooseButton(kWaitIdleText, "&nochmal versuchen|abbrechen", 1) != 1) return false;
  }
}

bool TProjectDocument::WaitCalcIdle(std::chrono::milliseconds timeout) {
  QElapsedTimer clock;
  clock.start();
  while (calc_ && !calc_->IsIdle()) {
    if (clock.elapsed() > timeout.count()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  QCoreApplication::processEvents();
  return true;
}

void TProjectDocument::CalcStatusReport(const TCalcStruct& states, const TResult& result) {
  const TStatusReport report = StatusReport(states, result.nAmps, result.nChassis);
  lastErrorCount_ = report.errors;
  emit calcStatus(report);
}

void TProjectDocument::CalcHandBack(const TResult& result, const TGrades& grades) {
  *shown_ = result;
  shown_->bValid = lastErrorCount_ == 0;
  grades_ = grades;
  emit resultChanged();
}

void TProjectDocument::ShowOptimizerResult(const TResult& result) {
  *shown_ = result;
  // The optimizer reports only crossovers that computed without errors.
  shown_->bValid = true;
  emit resultChanged();
}

// ---------------------------------------------------------------- project commands

bool TProjectDocument::LoadFile(const std::filesystem::path& file) {
  // Read into a copy: a file of a wrong version leaves the project as it was.
  auto loaded = std::make_unique<TProjekt>(*project_);
  TProjectLoad outcome = TProjectLoad::Missing;
  try {
    outcome = LoadProjectFile(*loaded, file, settings_, ui_);
  } catch (const TFileError& e) {
    ui_.ShowMessage(e.what());
    return false;
  }
  bool fromFile = false;
  switch (outcome) {
    case TProjectLoad::Missing:
      return false;
    case TProjectLoad::NotProjectFile:
      // The empty project takes the refused file's place; the title names no
      // file, so saving never suggests the refused file as the target.
      *project_ = *loaded;
      fileName_.clear();
      titleName_.clear();
      break;
    case TProjectLoad::WrongVersion:
      break;
    case TProjectLoad::Loaded:
    case TProjectLoad::Defaults:
    case TProjectLoad::BadHeader:
      *project_ = *loaded;
      fileName_ = file;
      saveFolder_ = file.parent_path();
      titleName_ = Utf8FromPath(file);
      fromFile = true;
      break;
  }
  project_->bSaved = true;
  emit fileNameChanged();
  emit projectChanged();
  return fromFile;
}

void TProjectDocument::New() {
  PushUndo("Neues Projekt");
  emit aboutToReplaceProject();
  NewProject(*project_);
  ApplyDisplayDefaults(*project_, settings_);
  fileName_.clear();
  titleName_ = "noname.ZPJ";
  // The flag is set before the signals: the title shows it.
  project_->bSaved = true;
  emit fileNameChanged();
  emit projectChanged();
  RequestFullCalc();
}

void TProjectDocument::Load(const std::filesystem::path& file) {
  PushUndo("Datei laden");
  emit aboutToReplaceProject();
  LoadFile(file);
  project_->bSaved = true;
  RequestFullCalc();
}

bool TProjectDocument::Save(const std::filesystem::path& file) {
  try {
    SaveProject(*project_, file);
  } catch (const TFileError& e) {
    ui_.ShowMessage(e.what());
    return false;
  }
  project_->bSaved = true;
  fileName_ = file;
  saveFolder_ = file.parent_path();
  titleName_ = Utf8FromPath(file);
  emit fileNameChanged();
  return true;
}

void TProjectDocument::PushUndo(const std::string& description) {
  undo_.Push(*project_, description);
  emit undoChanged();
}

void TProjectDocument::DropUndo() {
  undo_.Drop();
  emit undoChanged();
}

void TProjectDocument::Undo() {
  if (undo_.Empty()) return;
  // Undoing a swap with the reference swaps back: both sides come from the
  // step, and the curves shown now become the reference's again, so they
  // must be complete.
  const bool swapBack = undo_.TopHoldsReference();
  if (swapBack) {
    if (!WaitUntilIdle()) return;
    emit referenceChanged(TReferenceEvent::AboutToSwap);
  }
  emit aboutToReplaceProject();
  auto restored = std::make_unique<TProjekt>();
  undo_.Pop(*restored, swapBack ? reference_.get() : nullptr);
  if (swapBack) hasReference_ = true;
  std::swap(project_, restored);
  project_->bSaved = false;
  Request(swapBack ? TRecalc::Full : TRecalc::AfterEdit, *restored);
  emit undoChanged();
  emit projectChanged();
}

// ---------------------------------------------------------------- reference project

bool TProjectDocument::RememberReference() {
  if (!WaitUntilIdle()) return false;
  *reference_ = *project_;
  hasReference_ = true;
  emit referenceChanged(TReferenceEvent::Remembered);
  return true;
}

void TProjectDocument::SwapReference() {
  if (!hasReference_) return;
  if (!WaitUntilIdle()) return;
  undo_.Push(*project_, "Projekt mit Referenzprojekt tauschen", reference_.get());
  emit undoChanged();
  // The charts keep the curves of the project that becomes the reference.
  emit referenceChanged(TReferenceEvent::AboutToSwap);
  emit aboutToReplaceProject();
  std::swap(project_, reference_);
  project_->bSaved = false;
  emit projectChanged();
  RequestFullCalc();
}

void TProjectDocument::RestoreReference() {
  if (!hasReference_) return;
  emit aboutToReplaceProject();
  PushUndo("Referenz wiederherstellen");
  *project_ = *reference_;
  project_->bSaved = false;
  emit projectChanged();
  RequestFullCalc();
}

void TProjectDocument::DeleteReference() {
  hasReference_ = false;
  emit referenceChanged(TReferenceEvent::Deleted);
}

// ---------------------------------------------------------------- edits

void TProjectDocument::CommitEdit(const TProjekt& snapshot, std::unique_ptr<TProjekt> edited,
                                  const std::optional<std::string>& caption, TRecalc recalc, bool closesEditors,
                                  bool markUnsaved) {
  if (caption) undo_.Push(snapshot, *caption);
  if (closesEditors) emit aboutToReplaceProject();
  std::unique_ptr<TProjekt> before = std::move(project_);
  project_ = std::move(edited);
  if (markUnsaved) project_->bSaved = false;
  Request(recalc, *before);
  if (caption) emit undoChanged();
  emit projectChanged();
}

TProjectEdit::TProjectEdit(TProjectDocument& doc, std::optional<std::string> undoCaption, TRecalc recalc)
    : doc_(doc),
      caption_(std::move(undoCaption)),
      recalc_(recalc),
      snapshot_(std::make_unique<TProjekt>(doc.Project())),
      edited_(std::make_unique<TProjekt>(doc.Project())) {}

TProjectEdit::~TProjectEdit() = default;

void TProjectEdit::Commit() {
  if (committed_) return;
  committed_ = true;
  doc_.CommitEdit(*snapshot_, std::move(edited_), caption_, recalc_, closesEditors_, true);
}

void TProjectEdit::CommitKeepingSavedFlag() {
  if (committed_) return;
  committed_ = true;
  doc_.CommitEdit(*snapshot_, std::move(edited_), caption_, recalc_, closesEditors_, false);
}

}  // namespace sonvex
