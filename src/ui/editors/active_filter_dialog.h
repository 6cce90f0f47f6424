#pragma once
// The active filter stage of one amplifier: its input level in dB and six
// filter sections (6 dB and two 12 dB high-passes, 6 dB and two 12 dB
// low-passes) in front of the passive crossover.
#include <QDialog>
#include <array>

#include "model/project.h"
#include "ui/dialogs/dialog_runner.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace sonvex {

class Interaction;
class ProjectDocument;

class ActiveFilterDialog : public QDialog {
  Q_OBJECT
 public:
  // The sections in the order of the window (and of the file).
  enum Section { HighPass6, HighPass12A, HighPass12B, LowPass6, LowPass12A, LowPass12B, SectionCount };

  // `ui` shows the level message and must outlive the dialog.
  explicit ActiveFilterDialog(Interaction& ui, QWidget* parent = nullptr);

  // Takes a copy of the filter block of amplifier `amp` (1-based) and fills
  // the fields. A level that is not above 0 is announced and set to 0 dB.
  void Fill(const Amplifier& v, int amp);
  // Writes level, switches, frequencies and Q values into `v`; its
  // crossover stays as it is. The caller pushes the undo step.
  void Apply(Amplifier& v) const;

  QGroupBox* Group() const { return group_; }
  QLineEdit* LevelEdit() const { return levelEdit_; }
  QCheckBox* SectionCheck(Section s) const { return sectionChecks_[s]; }
  QLineEdit* FreqEdit(Section s) const { return freqEdits_[s]; }
  // Null for the two 6 dB sections, which have no quality.
  QLineEdit* QEdit(Section s) const { return qEdits_[s]; }
  QPushButton* OkButton() const { return okButton_; }
  QPushButton* CancelButton() const { return cancelButton_; }

 private:
  void ShowSection(int s);

  Interaction& ui_;
  Amplifier block_{};
  QGroupBox* group_ = nullptr;
  QLineEdit* levelEdit_ = nullptr;
  std::array<QCheckBox*, SectionCount> sectionChecks_{};
  std::array<QLineEdit*, SectionCount> freqEdits_{};
  std::array<QLineEdit*, SectionCount> qEdits_{};
  std::array<QLabel*, SectionCount> unitLabels_{};
  QPushButton* okButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
};

// "&Aktive Filter..." of amplifier `amp` (1-based): the dialog on the
// amplifier's filter block; "Ok" commits it as one edit of the document.
// False when nothing changed (no such amplifier, "Abbruch").
bool EditActiveFilter(ProjectDocument& doc, int amp, const DialogRunner& run, QWidget* parent = nullptr);

}  // namespace sonvex
