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

QString EntryText(const TProjekt& p, int slot) {
  return QString::fromStdString(std::to_string(slot + 1) + ": " + p.Chassis[static_cast<std::size_t>(slot)].Name.Str());
}

}  // namespace

TFormChassisCopy::TFormChassisCopy(QWidget* parent) : QDialog(parent), working_(MakeNewProject()) {
  setWindowTitle(QStringLiteral("Chassis kopieren / tauschen"));
  cbChas1_ = new QComboBox(this);
  comboBox1_ = new QComboBox(this);
  comboBox1_->addItem(QStringLiteral("kopieren nach"));
  comboBox1_->addItem(QStringLiteral("tauschen mit"));
  cbChas2_ = new QComboBox(this);
  for (QComboBox* cb : {cbChas1_, cbChas2_}) cb->setMinimumWidth(220);
  checkBox1_ = new QCheckBox(QStringLiteral("incl. Gehäusedaten"), this);
  checkBox2_ = new QCheckBox(QStringLiteral("incl. Schallwanddaten"), this);
  checkBox1_->setChecked(true);
  checkBox2_->setChecked(true);
  button1_ = new QPushButton(QStringLiteral("Aktion ausführen"), this);
  button1_->setAutoDefault(false);
  connect(button1_, &QPushButton::clicked, this, [this] { Button1Click(); });
  button2_ = new QPushButton(QStringLiteral("Ok"), this);
  button2_->setDefault(true);
  button3_ = new QPushButton(QStringLiteral("Abbruch"), this);
  button3_->setAutoDefault(false);
  connect(button2_, &QPushButton::clicked, this, &QDialog::accept);
  connect(button3_, &QPushButton::clicked, this, &QDialog::reject);

  auto* row = new QHBoxLayout;
  row->addWidget(cbChas1_, 1);
  row->addWidget(comboBox1_);
  row->addWidget(cbChas2_, 1);
  auto* options = new QHBoxLayout;
  options->addWidget(checkBox1_);
  options->addWidget(checkBox2_);
  options->addStretch();
  options->addWidget(button1_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(button2_);
  buttons->addWidget(button3_);
  auto* main = new QVBoxLayout(this);
  main->addLayout(row);
  main->addLayout(options);
  main->addSpacing(8);
  main->addLayout(buttons);
}

TFormChassisCopy::~TFormChassisCopy() = default;

void TFormChassisCopy::Fill(const TProjekt& current) {
  *working_ = current;
  cbChas1_->clear();
  cbChas2_->clear();
  const int n = std::clamp<int>(working_->nChassis, 0, kMaxChassis);
  for (int slot = 0; slot < n; ++slot) {
    cbChas1_->addItem(EntryText(*working_, slot));
    cbChas2_->addItem(EntryText(*working_, slot));
  }
  // A project with one chassis has no entry 2: the second list stays
  // without a selection, and "Aktion ausführen" does nothing.
  cbChas1_->setCurrentIndex(n >= 1 ? 0 : -1);
  cbChas2_->setCurrentIndex(n >= 2 ? 1 : -1);
  comboBox1_->setCurrentIndex(kActionCopy);
}

void TFormChassisCopy::FillLists() {
  for (QComboBox* cb : {cbChas1_, cbChas2_})
    for (int i = 0; i < cb->count(); ++i) cb->setItemText(i, EntryText(*working_, i));
}

void TFormChassisCopy::Button1Click() {
  const int source = cbChas1_->currentIndex();
  const int target = cbChas2_->currentIndex();
  if (source < 0 || target < 0) return;
  const bool withEinbau = checkBox1_->isChecked();
  const bool withSchallwand = checkBox2_->isChecked();
  if (comboBox1_->currentIndex() == kActionCopy)
    CopyChassis(*working_, source, target, withEinbau, withSchallwand);
  else if (comboBox1_->currentIndex() == kActionSwap)
    SwapChassis(*working_, source, target, withEinbau, withSchallwand);
  FillLists();
}

bool EditChassisCopy(TProjectDocument& doc, TFormChassisCopy& dialog, const TDialogRunner& run) {
  dialog.Fill(doc.Project());
  if (run(dialog) != QDialog::Accepted) return false;
  TProjectEdit edit(doc, "Chassis kopieren", TRecalc::Incremental);
  dialog.Apply(edit.Project());
  edit.Commit();
  return true;
}

}  // namespace sonvex
