#include "ui/editors/chassis_copy_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <string>

#include "ui/document/project_document.h"

namespace sonvex {

namespace {

constexpr int kActionCopy = 0;
constexpr int kActionSwap = 1;

QString EntryText(const Project& p, int slot) {
  return QString::fromStdString(std::to_string(slot + 1) + ": " + p.chassis[static_cast<std::size_t>(slot)].name.Str());
}

}  // namespace

ChassisCopyDialog::ChassisCopyDialog(QWidget* parent) : QDialog(parent), working_(MakeNewProject()) {
  setWindowTitle(QStringLiteral("Chassis kopieren / tauschen"));
  sourceCombo_ = new QComboBox(this);
  actionCombo_ = new QComboBox(this);
  actionCombo_->addItem(QStringLiteral("kopieren nach"));
  actionCombo_->addItem(QStringLiteral("tauschen mit"));
  targetCombo_ = new QComboBox(this);
  for (QComboBox* cb : {sourceCombo_, targetCombo_}) cb->setMinimumWidth(220);
  withEnclosureCheck_ = new QCheckBox(QStringLiteral("incl. Gehäusedaten"), this);
  withBaffleCheck_ = new QCheckBox(QStringLiteral("incl. Schallwanddaten"), this);
  withEnclosureCheck_->setChecked(true);
  withBaffleCheck_->setChecked(true);
  runActionButton_ = new QPushButton(QStringLiteral("Aktion ausführen"), this);
  runActionButton_->setAutoDefault(false);
  connect(runActionButton_, &QPushButton::clicked, this, [this] { RunActionClick(); });
  okButton_ = new QPushButton(QStringLiteral("Ok"), this);
  okButton_->setDefault(true);
  cancelButton_ = new QPushButton(QStringLiteral("Abbruch"), this);
  cancelButton_->setAutoDefault(false);
  connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);

  auto* row = new QHBoxLayout;
  row->addWidget(sourceCombo_, 1);
  row->addWidget(actionCombo_);
  row->addWidget(targetCombo_, 1);
  auto* options = new QHBoxLayout;
  options->addWidget(withEnclosureCheck_);
  options->addWidget(withBaffleCheck_);
  options->addStretch();
  options->addWidget(runActionButton_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(okButton_);
  buttons->addWidget(cancelButton_);
  auto* main = new QVBoxLayout(this);
  main->addLayout(row);
  main->addLayout(options);
  main->addSpacing(8);
  main->addLayout(buttons);
}

ChassisCopyDialog::~ChassisCopyDialog() = default;

void ChassisCopyDialog::Fill(const Project& current) {
  *working_ = current;
  sourceCombo_->clear();
  targetCombo_->clear();
  const int n = std::clamp<int>(working_->chassisCount, 0, kMaxChassis);
  for (int slot = 0; slot < n; ++slot) {
    sourceCombo_->addItem(EntryText(*working_, slot));
    targetCombo_->addItem(EntryText(*working_, slot));
  }
  // A project with one chassis has no entry 2: the second list stays
  // without a selection, and "Aktion ausführen" does nothing.
  sourceCombo_->setCurrentIndex(n >= 1 ? 0 : -1);
  targetCombo_->setCurrentIndex(n >= 2 ? 1 : -1);
  actionCombo_->setCurrentIndex(kActionCopy);
}

void ChassisCopyDialog::FillLists() {
  for (QComboBox* cb : {sourceCombo_, targetCombo_})
    for (int i = 0; i < cb->count(); ++i) cb->setItemText(i, EntryText(*working_, i));
}

void ChassisCopyDialog::RunActionClick() {
  const int source = sourceCombo_->currentIndex();
  const int target = targetCombo_->currentIndex();
  if (source < 0 || target < 0) return;
  const bool withEnclosure = withEnclosureCheck_->isChecked();
  const bool withBaffle = withBaffleCheck_->isChecked();
  if (actionCombo_->currentIndex() == kActionCopy)
    CopyChassis(*working_, source, target, withEnclosure, withBaffle);
  else if (actionCombo_->currentIndex() == kActionSwap)
    SwapChassis(*working_, source, target, withEnclosure, withBaffle);
  FillLists();
}

bool EditChassisCopy(ProjectDocument& doc, ChassisCopyDialog& dialog, const DialogRunner& run) {
  dialog.Fill(doc.CurrentProject());
  if (run(dialog) != QDialog::Accepted) return false;
  ProjectEdit edit(doc, "Chassis kopieren");
  dialog.Apply(edit.EditedProject());
  edit.Commit();
  return true;
}

}  // namespace sonvex
