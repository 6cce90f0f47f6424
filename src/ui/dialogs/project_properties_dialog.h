#pragma once
// Project properties: the numbers of amplifiers and chassis and the
// frequency grid of the project.
#include <QDialog>

#include "model/freq_grid.h"
#include "model/project.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace sonvex {

class ProjectPropertiesDialog : public QDialog {
  Q_OBJECT
 public:
  explicit ProjectPropertiesDialog(QWidget* parent = nullptr);

  // Shows ampCount, chassisCount, fMin and fMax (FormatNumber, width 8) and sz.
  void Fill(const Project& p);
  // What the fields say, read leniently (StrToFloatLenient, StrToIntLenient).
  GridDialogInput GridInput() const;
  int AmpCount() const;      // 1..6
  int ChassisCount() const;  // 1..8
  // What keeps "Ok" disabled: one German line per grid field that holds no
  // number or a value a project file would not keep (see settings.h), with
  // the limits; empty when the fields hold a grid that saving keeps.
  QString GridProblem() const;
  // Writes the counts and the grid (bounds, point count, grid, smoothing
  // widths) into the project. The caller pushes the undo step and asks for
  // the full recalculation.
  void Apply(Project& p) const;
  // The preset buttons: 20..20000 Hz with the given number of points.
  void SetPreset(int points);

  QComboBox* AmpCountCombo() const { return ampCountCombo_; }
  QComboBox* ChassisCountCombo() const { return chassisCountCombo_; }
  QLineEdit* FMinEdit() const { return fMinEdit_; }
  QLineEdit* FMaxEdit() const { return fMaxEdit_; }
  QLineEdit* GridPointsEdit() const { return gridPointsEdit_; }
  QPushButton* CoarseButton() const { return coarseButton_; }
  QPushButton* MediumButton() const { return mediumButton_; }
  QPushButton* FineButton() const { return fineButton_; }
  QPushButton* OkButton() const { return okButton_; }
  QPushButton* CancelButton() const { return cancelButton_; }
  QLabel* ProblemLabel() const { return problemLabel_; }

  // "Ok" (or Return) closes the dialog only while GridProblem() is empty.
  void accept() override;

 private:
  void UpdateOk();

  QComboBox* ampCountCombo_ = nullptr;
  QComboBox* chassisCountCombo_ = nullptr;
  QLineEdit* fMinEdit_ = nullptr;
  QLineEdit* fMaxEdit_ = nullptr;
  QLineEdit* gridPointsEdit_ = nullptr;
  QPushButton* coarseButton_ = nullptr;
  QPushButton* mediumButton_ = nullptr;
  QPushButton* fineButton_ = nullptr;
  QPushButton* okButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QLabel* problemLabel_ = nullptr;
};

}  // namespace sonvex
