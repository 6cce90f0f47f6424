#include "ui/editors/active_filter_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>
#include <string>
#include <tuple>

#include "charts/qt_text.h"
#include "model/interaction.h"
#include "model/number_text.h"
#include "ui/dialogs/dialog_text.h"
#include "ui/dialogs/field_number.h"
#include "ui/document/project_document.h"

namespace sonvex {

namespace {

struct SectionFields {
  const char* caption;
  bool Amplifier::*on;
  double Amplifier::*f;
  double Amplifier::*q;  // null for the 6 dB sections
};

const std::array<SectionFields, ActiveFilterDialog::SectionCount> kSections{{
    {"Hochpaß 6 dB", &Amplifier::highPass6On, &Amplifier::highPass6F, nullptr},
    {"Hochpaß 12 dB", &Amplifier::highPass12aOn, &Amplifier::highPass12aF, &Amplifier::highPass12aQ},
    {"Hochpaß 12 dB", &Amplifier::highPass12bOn, &Amplifier::highPass12bF, &Amplifier::highPass12bQ},
    {"Tiefpaß 6 dB", &Amplifier::lowPass6On, &Amplifier::lowPass6F, nullptr},
    {"Tiefpaß 12 dB", &Amplifier::lowPass12aOn, &Amplifier::lowPass12aF, &Amplifier::lowPass12aQ},
    {"Tiefpaß 12 dB", &Amplifier::lowPass12bOn, &Amplifier::lowPass12bF, &Amplifier::lowPass12bQ},
}};

std::string LevelText(double level) { return FormatNumber(20.0 * std::log10(level), 5); }
std::string ValueText(double x) { return FormatNumber(x, 6); }

// A field shows its value with at most 5 or 6 characters. A field the user
// left as it was filled keeps the exact value it was filled from, so that
// opening the dialog and pressing "Ok" never rounds a stored value.
double FieldValue(const QLineEdit* e, double filledFrom, const std::string& filledText) {
  const std::string text = e->text().toStdString();
  return text == filledText ? filledFrom : FieldDoubleLenient(text);
}

}  // namespace

ActiveFilterDialog::ActiveFilterDialog(Interaction& ui, QWidget* parent) : QDialog(parent), ui_(ui) {
  setWindowTitle(QStringLiteral("Aktives Filter editieren"));
  group_ = new QGroupBox(QStringLiteral(" Verstärker 1 "), this);
  auto* grid = new QGridLayout(group_);
  grid->setColumnMinimumWidth(1, 70);

  levelEdit_ = new QLineEdit(group_);
  WatchNumberField(levelEdit_);
  levelEdit_->setMaximumWidth(70);
  grid->addWidget(new QLabel(QStringLiteral("Pegel"), group_), 0, 0);
  grid->addWidget(levelEdit_, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("dB (0 dB = 2,83Veff)"), group_), 0, 2, 1, 2);

  for (int s = 0; s < SectionCount; ++s) {
    const SectionFields& fields = kSections[static_cast<std::size_t>(s)];
    const int row = s + 1;
    sectionChecks_[s] = new QCheckBox(QString::fromUtf8(fields.caption), group_);
    freqEdits_[s] = new QLineEdit(group_);
    WatchNumberField(freqEdits_[s]);
    SetNumberRange(freqEdits_[s], kFilterFreqField.range, kFilterFreqField.unit);
    freqEdits_[s]->setMaximumWidth(70);
    unitLabels_[s] = new QLabel(fields.q != nullptr ? QStringLiteral("Hz       Q =") : QStringLiteral("Hz"), group_);
    grid->addWidget(sectionChecks_[s], row, 0);
    grid->addWidget(freqEdits_[s], row, 1);
    grid->addWidget(unitLabels_[s], row, 2);
    if (fields.q != nullptr) {
      qEdits_[s] = new QLineEdit(group_);
      WatchNumberField(qEdits_[s]);
      SetNumberRange(qEdits_[s], kFilterQField.range, kFilterQField.unit);
      qEdits_[s]->setMaximumWidth(70);
      grid->addWidget(qEdits_[s], row, 3);
    }
    // The fields of a section follow its box at once.
    connect(sectionChecks_[s], &QCheckBox::toggled, this, [this, s] { ShowSection(s); });
  }
  grid->setColumnStretch(4, 1);
  // Rows keep their height while their fields are hidden, so the window
  // does not jump when a box is ticked.
  for (int row = 0; row <= SectionCount; ++row) grid->setRowMinimumHeight(row, levelEdit_->sizeHint().height());

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  std::tie(okButton_, cancelButton_) = AddOkCancel(this, buttons, QStringLiteral("Ok"), QStringLiteral("Abbruch"));
  cancelButton_->setAutoDefault(false);

  auto* main = new QVBoxLayout(this);
  main->addWidget(group_);
  main->addLayout(buttons);
}

void ActiveFilterDialog::Fill(const Amplifier& v, int amp) {
  block_ = v;
  group_->setTitle(QText(" Verstärker " + std::to_string(amp) + " "));
  // "Not greater than 0" also takes a level that is not a number.
  if (!(block_.level > 0.0)) {
    ui_.ShowMessage("Pegel von Amp wird auf 0dB gesetzt.");
    block_.level = 1.0;
  }
  levelEdit_->setText(QText(LevelText(block_.level)));
  for (int s = 0; s < SectionCount; ++s) {
    const SectionFields& fields = kSections[static_cast<std::size_t>(s)];
    freqEdits_[s]->setText(QText(ValueText(block_.*fields.f)));
    if (fields.q != nullptr) qEdits_[s]->setText(QText(ValueText(block_.*fields.q)));
    sectionChecks_[s]->setChecked(block_.*fields.on);
    ShowSection(s);
  }
}

void ActiveFilterDialog::ShowSection(int s) {
  const bool on = sectionChecks_[s]->isChecked();
  freqEdits_[s]->setVisible(on);
  unitLabels_[s]->setVisible(on);
  if (qEdits_[s] != nullptr) qEdits_[s]->setVisible(on);
}

void ActiveFilterDialog::Apply(Amplifier& v) const {
  const std::string levelText = LevelText(block_.level);
  v.level = levelEdit_->text().toStdString() == levelText
                ? block_.level
                : std::pow(10.0, StrToDoubleLenient(levelEdit_->text().toStdString()) / 20.0);
  // A level in dB too large for a factor (1e300 dB) is no level: 0, which the
  // calculation reports as a faulty level and a project file keeps (an
  // infinite factor would be written as "+inf" and read back as 0).
  if (!std::isfinite(v.level)) v.level = 0;
  // Frequencies and Q values of unticked sections are taken as well: they
  // come back unchanged when the section is switched on again.
  for (int s = 0; s < SectionCount; ++s) {
    const SectionFields& fields = kSections[static_cast<std::size_t>(s)];
    v.*fields.on = sectionChecks_[s]->isChecked();
    v.*fields.f = FieldValue(freqEdits_[s], block_.*fields.f, ValueText(block_.*fields.f));
    if (fields.q != nullptr) v.*fields.q = FieldValue(qEdits_[s], block_.*fields.q, ValueText(block_.*fields.q));
  }
}

bool EditActiveFilter(ProjectDocument& doc, int amp, const DialogRunner& run, QWidget* parent) {
  if (amp < 1 || amp > doc.CurrentProject().ampCount) return false;
  const auto slot = static_cast<std::size_t>(amp - 1);
  ActiveFilterDialog dialog(doc.UserInteraction(), parent);
  dialog.Fill(doc.CurrentProject().amplifiers[slot], amp);
  if (run(dialog) != QDialog::Accepted) return false;
  ProjectEdit edit(doc, "Aktives Filter " + std::to_string(amp) + " editieren");
  dialog.Apply(edit.EditedProject().amplifiers[slot]);
  edit.Commit();
  return true;
}

}  // namespace sonvex
