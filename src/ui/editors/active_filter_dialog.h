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

class TInteraction;
class TProjectDocument;

class TFormAktFilter : public QDialog {
  Q_OBJECT
 public:
  // The sections in the order of the window (and of the file).
  enum TSection { HP6, HP121, HP122, TP6, TP121, TP122, kSectionCount };

  // `ui` shows the level message and must outlive the dialog.
  explicit TFormAktFilter(TInteraction& ui, QWidget* parent = nullptr);

  // Takes a copy of the filter block of amplifier `amp` (1-based) and fills
  // the fields. A level that is not above 0 is announced and set to 0 dB.
  void Fill(const TVerstaerker& v, int amp);
  // Writes level, switches, frequencies and Q values into `v`; its
  // crossover stays as it is. The caller pushes the undo step.
  void Apply(TVerstaerker& v) const;

  QGroupBox* Group() const { return group_; }
  QLineEdit* EdPegel() const { return edPegel_; }
  QCheckBox* CbSection(TSection s) const { return cb_[s]; }
  QLineEdit* EdFreq(TSection s) const { return edF_[s]; }
  // Null for the two 6 dB sections, which have no quality.
  QLineEdit* EdQ(TSection s) const { return edQ_[s]; }
  QPushButton* BtnOk() const { return btnOk_; }
  QPushButton* BtnAbbruch() const { return btnAbbruch_; }

 private:
  void ShowSection(int s);

  TInteraction& ui_;
  TVerstaerker block_{};
  QGroupBox* group_ = nullptr;
  QLineEdit* edPegel_ = nullptr;
  std::array<QCheckBox*, kSectionCount> cb_{};
  std::array<QLineEdit*, kSectionCount> edF_{};
  std::array<QLineEdit*, kSectionCount> edQ_{};
  std::array<QLabel*, kSectionCount> lbUnit_{};
  QPushButton* btnOk_ = nullptr;
  QPushButton* btnAbbruch_ = nullptr;
};

// "&Aktive Filter..." of amplifier `amp` (1-based): the dialog on the
// amplifier's filter block; "Ok" commits it as one edit of the document.
// False when nothing changed (no such amplifier, "Abbruch").
bool EditActiveFilter(TProjectDocument& doc, int amp, const TDialogRunner& run, QWidget* parent = nullptr);

}  // namespace sonvex
