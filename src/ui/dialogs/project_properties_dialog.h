#pragma once
// Project properties: the numbers of amplifiers and chassis and the
// frequency grid of the project.
#include <QDialog>

#include "model/freq_grid.h"
#include "model/project.h"

class QComboBox;
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

 private:
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
};

}  // namespace sonvex
