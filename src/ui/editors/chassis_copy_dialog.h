#pragma once
// Copying one chassis slot of the project onto another, or exchanging two
// slots, optionally with their enclosure and baffle data. The actions work on
// a copy of the project that goes back into the project only with "Ok".
#include <QDialog>
#include <memory>

#include "model/project.h"
#include "ui/dialogs/dialog_runner.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace sonvex {

class ProjectDocument;

class ChassisCopyDialog : public QDialog {
  Q_OBJECT
 public:
  explicit ChassisCopyDialog(QWidget* parent = nullptr);
  ~ChassisCopyDialog() override;

  // Takes a copy of the project, lists its chassis and selects chassis 1,
  // "kopieren nach" and chassis 2. The two check boxes keep their state from
  // the last opening.
  void Fill(const Project& current);
  // "Aktion ausführen": copies or exchanges the selected slots in the copy.
  void RunActionClick();
  // The copy with every action applied so far.
  const Project& Working() const { return *working_; }
  // "Ok": the working copy becomes the project.
  void Apply(Project& p) const { p = *working_; }

  QComboBox* SourceCombo() const { return sourceCombo_; }
  QComboBox* ActionCombo() const { return actionCombo_; }
  QComboBox* TargetCombo() const { return targetCombo_; }
  QCheckBox* WithEnclosureCheck() const { return withEnclosureCheck_; }
  QCheckBox* WithBaffleCheck() const { return withBaffleCheck_; }
  QPushButton* RunActionButton() const { return runActionButton_; }
  QPushButton* OkButton() const { return okButton_; }
  QPushButton* CancelButton() const { return cancelButton_; }

 private:
  void FillLists();

  std::unique_ptr<Project> working_;
  QComboBox* sourceCombo_ = nullptr;
  QComboBox* actionCombo_ = nullptr;
  QComboBox* targetCombo_ = nullptr;
  QCheckBox* withEnclosureCheck_ = nullptr;
  QCheckBox* withBaffleCheck_ = nullptr;
  QPushButton* runActionButton_ = nullptr;
  QPushButton* okButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
};

// "Chassis kopieren / tauschen": `dialog` (kept between openings, so that
// its check boxes keep their state) on the document's project; "Ok" commits
// every action as one edit. False on "Abbruch".
bool EditChassisCopy(ProjectDocument& doc, ChassisCopyDialog& dialog, const DialogRunner& run);

}  // namespace sonvex
