#include "ui/editors/mouse_map_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <array>
#include <tuple>

#include "charts/qt_text.h"
#include "model/number_text.h"
#include "ui/dialogs/dialog_text.h"

namespace sonvex {

namespace {

constexpr std::array<const char*, kMouseMapDigits> kMouseGroupCaptions{
    "Aktion auf Linksklick",          "Aktion auf Rechtsklick",       "Aktion auf Shift + Linksklick",
    "Aktion auf Shift + Rechtsklick", "Aktion auf Strg + Linksklick", "Aktion auf Strg + Rechtsklick"};

}  // namespace

// ---------------------------------------------------------------- mouse map dialog

MouseMapSettingsDialog::MouseMapSettingsDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QText("Tastaturbelegung im Weicheneditor"));
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  for (int pos = 0; pos < kMouseMapDigits; ++pos) {
    auto* box = new QGroupBox(QText(kMouseGroupCaptions[static_cast<std::size_t>(pos)]));
    auto* col = new QVBoxLayout(box);
    auto* group = new QButtonGroup(this);
    for (int a = 0; a < kMouseActionCount; ++a) {
      auto* b = new QRadioButton(QText(MouseActionCaption(a)));
      group->addButton(b, a);
      col->addWidget(b);
    }
    groups_[static_cast<std::size_t>(pos)] = group;
    // left clicks in the first column, right clicks in the second
    grid->addWidget(box, pos / 2, pos % 2);
  }
  layout->addLayout(grid);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  AddOkCancel(this, buttons, QText("&Ok"), QText("&Abbruch"));
  layout->addLayout(buttons);
}

void MouseMapSettingsDialog::Fill(std::int32_t map) {
  for (int pos = 0; pos < kMouseMapDigits; ++pos) {
    const int digit = std::min(MouseMapDigit(map, pos), kMouseActionCount - 1);
    groups_[static_cast<std::size_t>(pos)]->button(digit)->setChecked(true);
  }
}

std::int32_t MouseMapSettingsDialog::Map() const {
  std::array<int, kMouseMapDigits> digits{};
  for (std::size_t i = 0; i < digits.size(); ++i) digits[i] = std::max(groups_[i]->checkedId(), 0);
  return ComposeMouseMap(digits);
}

}  // namespace sonvex
