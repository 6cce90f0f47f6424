#include "ui/dialogs/project_properties_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>
#include <algorithm>
#include <tuple>

#include "model/number_text.h"
#include "model/settings.h"
#include "ui/dialogs/dialog_text.h"
#include "ui/dialogs/field_number.h"

namespace sonvex {

namespace {

QComboBox* CountList(int max, QWidget* parent) {
  auto* cb = new QComboBox(parent);
  for (int i = 1; i <= max; ++i) cb->addItem(QString::number(i));
  return cb;
}

QString NumberText(double x) { return QString::fromStdString(FormatNumber(x, 8)); }

}  // namespace

ProjectPropertiesDialog::ProjectPropertiesDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Projekteigenschaften"));
  ampCountCombo_ = CountList(kMaxAmps, this);
  chassisCountCombo_ = CountList(kMaxChassis, this);
  fMinEdit_ = new QLineEdit(this);
  fMaxEdit_ = new QLineEdit(this);
  gridPointsEdit_ = new QLineEdit(this);
  for (QLineEdit* e : {fMinEdit_, fMaxEdit_, gridPointsEdit_}) {
    WatchNumberField(e, NumberFieldUse::Required);
    connect(e, &QLineEdit::textChanged, this, [this] { UpdateOk(); });
  }
  SetNumberRange(fMinEdit_, kGridFMinField.range, kGridFMinField.unit);
  SetNumberRange(fMaxEdit_, kGridFMaxField.range, kGridFMaxField.unit);
  SetNumberRange(gridPointsEdit_, kGridPointsField.range, kGridPointsField.unit);
  // Says why "Ok" is disabled.
  problemLabel_ = new QLabel(this);
  problemLabel_->setObjectName(QStringLiteral("problemLabel"));
  problemLabel_->setWordWrap(true);
  problemLabel_->setStyleSheet(QStringLiteral("QLabel { color: #d00000; }"));
  problemLabel_->hide();

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Anzahl Verstärker"), ampCountCombo_);
  form->addRow(QStringLiteral("Anzahl Chassis"), chassisCountCombo_);
  form->addRow(QStringLiteral("Tiefste Frequenz"), fMinEdit_);
  form->addRow(QStringLiteral("Höchste Frequenz"), fMaxEdit_);
  form->addRow(QStringLiteral("Anzahl Frequenzen"), gridPointsEdit_);

  auto* presets = new QGroupBox(QStringLiteral("Standardeinstellungen"), this);
  auto* presetRow = new QHBoxLayout(presets);
  coarseButton_ = new QPushButton(QStringLiteral("grob"), presets);
  mediumButton_ = new QPushButton(QStringLiteral("mittel"), presets);
  fineButton_ = new QPushButton(QStringLiteral("fein"), presets);
  for (QPushButton* b : {coarseButton_, mediumButton_, fineButton_}) {
    b->setAutoDefault(false);
    presetRow->addWidget(b);
  }
  connect(coarseButton_, &QPushButton::clicked, this, [this] { SetPreset(kGridPresetCoarse); });
  connect(mediumButton_, &QPushButton::clicked, this, [this] { SetPreset(kGridPresetMedium); });
  connect(fineButton_, &QPushButton::clicked, this, [this] { SetPreset(kGridPresetFine); });

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  std::tie(okButton_, cancelButton_) = AddOkCancel(this, buttons, QStringLiteral("Ok"), QStringLiteral("Abbruch"));
  cancelButton_->setAutoDefault(false);

  auto* main = new QVBoxLayout(this);
  main->addLayout(form);
  main->addWidget(presets);
  main->addWidget(problemLabel_);
  main->addLayout(buttons);
  UpdateOk();
}

void ProjectPropertiesDialog::Fill(const Project& p) {
  ampCountCombo_->setCurrentIndex(std::max(AmpsInUse(p), 1) - 1);
  chassisCountCombo_->setCurrentIndex(std::max(ChassisInUse(p), 1) - 1);
  fMinEdit_->setText(NumberText(p.fMin));
  fMaxEdit_->setText(NumberText(p.fMax));
  gridPointsEdit_->setText(QString::number(p.gridPoints));
}

void ProjectPropertiesDialog::SetPreset(int points) {
  fMinEdit_->setText(NumberText(20));
  fMaxEdit_->setText(NumberText(20000));
  gridPointsEdit_->setText(QString::number(points));
}

GridDialogInput ProjectPropertiesDialog::GridInput() const {
  GridDialogInput in;
  in.fMin = StrToDoubleLenient(fMinEdit_->text().toStdString());
  in.fMax = StrToDoubleLenient(fMaxEdit_->text().toStdString());
  in.gridPoints = StrToIntLenient(gridPointsEdit_->text().toStdString());
  return in;
}

QString ProjectPropertiesDialog::GridProblem() const {
  const auto hz = [](double f) { return QString::fromStdString(FormatNumber(f, 8)); };
  QStringList lines;
  const bool minRead = FieldHoldsUsableNumber(fMinEdit_);
  const bool maxRead = FieldHoldsUsableNumber(fMaxEdit_);
  const double fMin = StrToDoubleLenient(fMinEdit_->text().toStdString());
  const double fMax = StrToDoubleLenient(fMaxEdit_->text().toStdString());
  if (!minRead || !kGridFMinField.range.Contains(fMin))
    lines << QStringLiteral("Die tiefste Frequenz muss zwischen %1 und %2 Hz liegen.")
                 .arg(hz(kStoredFMinLowest), hz(kStoredFMinHighest));
  if (!maxRead || !kGridFMaxField.range.Contains(fMax))
    lines << QStringLiteral("Die höchste Frequenz muss mindestens %1 Hz und weniger als %2 Hz betragen.")
                 .arg(hz(kStoredFMaxLowest), hz(kStoredFMaxBelow));
  if (lines.isEmpty() && !StoredRangeKept(fMin, fMax))
    lines << QStringLiteral("Die höchste Frequenz muss über der tiefsten liegen.");
  // The point count is a whole number: "12,5" or "1e2" would be read as
  // another count than the one shown.
  const std::string sz = gridPointsEdit_->text().toStdString();
  const bool whole = FieldHoldsUsableNumber(gridPointsEdit_) && StrToDoubleLenient(sz) == StrToIntLenient(sz);
  if (!whole || !kGridPointsField.range.Contains(static_cast<double>(StrToIntLenient(sz))))
    lines << QStringLiteral("Die Anzahl der Frequenzen muss eine ganze Zahl von %1 bis %2 sein.")
                 .arg(kStoredGridPointsLeast)
                 .arg(kStoredGridPointsMost);
  return lines.join(QLatin1Char('\n'));
}

void ProjectPropertiesDialog::UpdateOk() {
  const QString problem = GridProblem();
  okButton_->setEnabled(problem.isEmpty());
  problemLabel_->setText(problem);
  problemLabel_->setVisible(!problem.isEmpty());
}

void ProjectPropertiesDialog::accept() {
  if (!GridProblem().isEmpty()) return;
  QDialog::accept();
}

int ProjectPropertiesDialog::AmpCount() const { return ampCountCombo_->currentIndex() + 1; }
int ProjectPropertiesDialog::ChassisCount() const { return chassisCountCombo_->currentIndex() + 1; }

void ProjectPropertiesDialog::Apply(Project& p) const {
  p.ampCount = static_cast<std::int16_t>(AmpCount());
  p.chassisCount = static_cast<std::int16_t>(ChassisCount());
  // Reversed bounds are swapped and equal ones give 20..20000 Hz. A bound of
  // 0 or below (or one too large to be finite) cannot start a logarithmic
  // grid: then the whole range falls back to 20..20000 Hz as well, rather than
  // keeping the one usable bound with a made-up partner. No message: the
  // fields show the range in use the next time the dialog opens.
  // The grid and the smoothing that goes with it are set anew only when the
  // range or the number of points changed: "Ok" on the range as it was
  // keeps the project's grid and smoothing widths.
  const GridSettings grid = GridSettingsFromInput(GridInput());
  if (grid.fMin != p.fMin || grid.fMax != p.fMax || grid.gridPoints != p.gridPoints) ApplyGridSettings(p, grid);
}

}  // namespace sonvex
