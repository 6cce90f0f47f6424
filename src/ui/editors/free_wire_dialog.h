#pragma once
// The dialog of the crossover editor's eight free wires: each joins any two
// nodes of the grid.
#include <QDialog>
#include <array>

#include "ui/editors/crossover_layout.h"

class QCheckBox;
class QLineEdit;

namespace sonvex {

// ---------------------------------------------------------------------------
// Free wire dialog

class FreeWiresDialog : public QDialog {
  Q_OBJECT
 public:
  explicit FreeWiresDialog(QWidget* parent = nullptr);
  void Fill(const std::array<FreeWireRow, kFreeWires>& rows);
  // The rows as "Ok" takes them: a blank entry gives node 0.
  std::array<FreeWireRow, kFreeWires> Rows() const;

  QCheckBox* Box(int k) const { return boxes_[static_cast<std::size_t>(k - 1)]; }  // k = 1..8
  QLineEdit* From(int k) const { return from_[static_cast<std::size_t>(k - 1)]; }
  QLineEdit* To(int k) const { return to_[static_cast<std::size_t>(k - 1)]; }

 private:
  std::array<QCheckBox*, kFreeWires> boxes_{};
  std::array<QLineEdit*, kFreeWires> from_{};
  std::array<QLineEdit*, kFreeWires> to_{};
};

}  // namespace sonvex
