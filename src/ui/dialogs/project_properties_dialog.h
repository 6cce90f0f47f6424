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

class TFormPJEigenschaften : public QDialog {
  Q_OBJECT
 public:
  explicit TFormPJEigenschaften(QWidget* parent = nullptr);

  // Shows nAmps, nChassis, fMin and fMax (FormatNumber, width 8) and sz.
  void Fill(const TProjekt& p);
  // What the fields say, read leniently (StrToFloatLenient, StrToIntLenient).
  TGridInput GridInput() const;
  int AmpCount() const;      // 1..6
  int ChassisCount() const;  // 1..8
  // What keeps "Ok" disabled: one German line per grid field that holds no
  // number or a value a project file would not keep (see settings.h), with
  // the limits; empty when the fields hold a grid that saving keeps.
  QString GridProblem() const;
  // Writes the counts and the grid (bounds, point count, grid, smoothing
  // widths) into the project. The caller pushes the undo step and asks for
  // the full recalculation.
  void Apply(TProjekt& p) const;
  // The preset buttons: 20..20000 Hz with the given number of points.
  void SetPreset(int points);

  QComboBox* cbAmps() const { return cbAmps_; }
  QComboBox* cbChassis() const { return cbChassis_; }
  QLineEdit* edFMin() const { return edFMin_; }
  QLineEdit* edFMax() const { return edFMax_; }
  QLineEdit* edSz() const { return edSz_; }
  QPushButton* btnGrob() const { return btnGrob_; }
  QPushButton* btnMittel() const { return btnMittel_; }
  QPushButton* btnFein() const { return btnFein_; }
  QPushButton* btnOk() const { return btnOk_; }
  QPushButton* btnAbbruch() const { return btnAbbruch_; }
  QLabel* lblProblem() const { return lblProblem_; }

  // "Ok" (or Return) closes the dialog only while GridProblem() is empty.
  void accept() override;

 private:
  void UpdateOk();

  QComboBox* cbAmps_ = nullptr;
  QComboBox* cbChassis_ = nullptr;
  QLineEdit* edFMin_ = nullptr;
  QLineEdit* edFMax_ = nullptr;
  QLineEdit* edSz_ = nullptr;
  QPushButton* btnGrob_ = nullptr;
  QPushButton* btnMittel_ = nullptr;
  QPushButton* btnFein_ = nullptr;
  QPushButton* btnOk_ = nullptr;
  QPushButton* btnAbbruch_ = nullptr;
  QLabel* lblProblem_ = nullptr;
};

}  // namespace sonvex
