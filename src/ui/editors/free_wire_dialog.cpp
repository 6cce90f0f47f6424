#include "ui/editors/free_wire_dialog.h"

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

// ---------------------------------------------------------------- free wire dialog

FreeWiresDialog::FreeWiresDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QText("Freie Drahtverbindungen"));
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(QText("von Knoten")), 0, 1);
  grid->addWidget(new QLabel(QText("nach Knoten")), 0, 2);
  const QRegularExpression twoDigits(QStringLiteral("[0-9]{0,2}"));
  for (int k = 1; k <= kFreeWires; ++k) {
    const auto i = static_cast<std::size_t>(k - 1);
    boxes_[i] = new QCheckBox(QText(std::to_string(k) + ". freie Drahtverbindung"));
    from_[i] = new QLineEdit;
    to_[i] = new QLineEdit;
    for (QLineEdit* e : {from_[i], to_[i]}) {
      e->setMaxLength(2);
      e->setValidator(new QRegularExpressionValidator(twoDigits, e));
      e->setFixedWidth(40);
      // a hidden entry keeps its place, so the headings stay over their columns
      QSizePolicy keep = e->sizePolicy();
      keep.setRetainSizeWhenHidden(true);
      e->setSizePolicy(keep);
    }
    grid->addWidget(boxes_[i], k, 0);
    grid->addWidget(from_[i], k, 1);
    grid->addWidget(to_[i], k, 2);
    connect(boxes_[i], &QCheckBox::toggled, this, [this, i](bool on) {
      from_[i]->setVisible(on);
      to_[i]->setVisible(on);
    });
  }
  layout->addLayout(grid);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  AddOkCancel(this, buttons, QText("Ok"), QText("Abbruch"));
  layout->addLayout(buttons);
}

void FreeWiresDialog::Fill(const std::array<FreeWireRow, kFreeWires>& rows) {
  for (std::size_t i = 0; i < rows.size(); ++i) {
    boxes_[i]->setChecked(rows[i].used);
    from_[i]->setText(QText(std::to_string(rows[i].from)));
    to_[i]->setText(QText(std::to_string(rows[i].to)));
    from_[i]->setVisible(rows[i].used);
    to_[i]->setVisible(rows[i].used);
  }
}

std::array<FreeWireRow, kFreeWires> FreeWiresDialog::Rows() const {
  std::array<FreeWireRow, kFreeWires> rows{};
  for (std::size_t i = 0; i < rows.size(); ++i)
    rows[i] = {boxes_[i]->isChecked(), StrToIntLenient(StdText(from_[i]->text())),
               StrToIntLenient(StdText(to_[i]->text()))};
  return rows;
}

}  // namespace sonvex
