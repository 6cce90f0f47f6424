#pragma once
// The dialog that assigns an action of the crossover editor to each mouse
// button with Shift and Ctrl.
#include <QDialog>
#include <array>
#include <cstdint>

#include "ui/editors/crossover_layout.h"

class QButtonGroup;

namespace sonvex {

// ---------------------------------------------------------------------------
// Mouse action map dialog

class MouseMapSettingsDialog : public QDialog {
  Q_OBJECT
 public:
  explicit MouseMapSettingsDialog(QWidget* parent = nullptr);
  void Fill(std::int32_t map);
  std::int32_t Map() const;
  // Position 0..5: left, right, Shift+left, Shift+right, Ctrl+left, Ctrl+right.
  QButtonGroup* Group(int position) const { return groups_[static_cast<std::size_t>(position)]; }

 private:
  std::array<QButtonGroup*, kMouseMapDigits> groups_{};
};

}  // namespace sonvex
