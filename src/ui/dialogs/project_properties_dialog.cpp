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

TFormPJEigenschaften::TFormPJEigenschaften(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Projekteigenschaften"));
  cbAmps_ = CountList(kMaxAmps, this);
  cbChassis_ = CountList(kMaxChassis, this);
  edFMin_ = new QLineEdit(this);
  edFMax_ = new QLineEdit(this);
  edSz_ = new QLineEdit(this);
  for (QLineEdit* e : {edFMin_, edFMax_, edSz_}) {
    WatchNumberField(e, TNumberFieldUse::Required);
    connect(e, &QLineEdit::textChanged, this, [this] { UpdateOk(); });
  }
  // Says why "Ok" is disabled.
  lblProblem_ = new QLabel(this);
  lblProblem_->setObjectName(QStringLiteral("lblProblem"));
  lblProblem_->setWordWrap(true);
  lblProblem_->setStyleSheet(QStringLiteral("QLabel { color: #d00000; }"));
  lblProblem_->hide();

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Anzahl Verstärker"), cbAmps_);
  form->addRow(QStringLiteral("Anzahl Chassis"), cbChassis_);
  form->addRow(QStringLiteral("Tiefste Frequenz"), edFMin_);
  form->addRow(QStringLiteral("Höchste Frequenz"), edFMax_);
  form->addRow(QStringLiteral("Anzahl Frequenzen"), edSz_);

  auto* presets = new QGroupBox(QStringLiteral("Standardeinstellungen"), this);
  auto* presetRow = new QHBoxLayout(presets);
  btnGrob_ = new QPushButton(QStringLiteral("grob"), presets);
  btnMittel_ = new QPushButton(QStringLiteral("mittel"), presets);
  btnFein_ = new QPushButton(QStringLiteral("fein"), presets);
  for (QPushButton* b : {btnGrob_, btnMittel_, btnFein_}) {
    b->setAutoDefault(false);
    presetRow->addWidget(b);
  }
  connect(btnGrob_, &QPushButton::clicked, this, [this] { SetPreset(kGridPresetCoarse); });
  connect(btnMittel_, &QPushButton::clicked, this, [this] { SetPreset(kGridPresetMedium); });
  connect(btnFein_, &QPushButton::clicked, this, [this] { SetPreset(kGridPresetFine); });

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  std::tie(btnOk_, btnAbbruch_) = AddOkCancel(this, buttons, QStringLiteral("Ok"), QStringLiteral("Abbruch"));
  btnAbbruch_->setAutoDefault(false);

  auto* main = new QVBoxLayout(this);
  main->addLayout(form);
  main->addWidget(presets);
  main->addWidget(lblProblem_);
  main->addLayout(buttons);
  UpdateOk();
}

void TFormPJEigenschaften::Fill(const TProjekt& p) {
  cbAmps_->setCurrentIndex(std::max(AmpsInUse(p), 1) - 1);
  cbChassis_->setCurrentIndex(std::max(ChassisInUse(p), 1) - 1);
  edFMin_->setText(NumberText(p.fMin));
  edFMax_->setText(NumberText(p.fMax));
  edSz_->setText(QString::number(p.sz));
}

void TFormPJEigenschaften::SetPreset(int points) {
  edFMin_->setText(NumberText(20));
  edFMax_->setText(NumberText(20000));
  edSz_->setText(QString::number(points));
}

TGridInput TFormPJEigenschaften::GridInput() const {
  TGridInput in;
  in.fMin = StrToDoubleLenient(edFMin_->text().toStdString());
  in.fMax = StrToDoubleLenient(edFMax_->text().toStdString());
  in.sz = StrToIntLenient(edSz_->text().toStdString());
  return in;
}

QString TFormPJEigenschaften::GridProblem() const {
  const auto hz = [](double f) { return QString::fromStdString(FormatNumber(f, 8)); };
  QStringList lines;
  const bool minRead = FieldHoldsUsableNumber(edFMin_);
  const bool maxRead = FieldHoldsUsableNumber(edFMax_);
  const double fMin = StrToDoubleLenient(edFMin_->text().toStdString());
  const double fMax = StrToDoubleLenient(edFMax_->text().toStdString());
  if (!minRead || !(kStoredFMinLowest <= fMin && fMin <= kStoredFMinHighest))
    lines << QStringLiteral("Die tiefste Frequenz muss zwischen %1 und %2 Hz liegen.")
                 .arg(hz(kStoredFMinLowest), hz(kStoredFMinHighest));
  if (!maxRead || !(kStoredFMaxLowest <= fMax && fMax < kStoredFMaxBelow))
    lines << QStringLiteral("Die höchste Frequenz muss mindestens %1 Hz und weniger als %2 Hz betragen.")
                 .arg(hz(kStoredFMaxLowest), hz(kStoredFMaxBelow));
  if (lines.isEmpty() && !StoredRangeKept(fMin, fMax))
    lines << QStringLiteral("Die höchste Frequenz muss über der tiefsten liegen.");
  // The point count is a whole number: "12,5" or "1e2" would be read as
  // another count than the one shown.
  const std::string sz = edSz_->text().toStdString();
  const bool whole = FieldHoldsUsableNumber(edSz_) && StrToDoubleLenient(sz) == StrToIntLenient(sz);
  if (!whole || !StoredPointCountKept(StrToIntLenient(sz)))
    lines << QStringLiteral("Die Anzahl der Frequenzen muss eine ganze Zahl von %1 bis %2 sein.")
                 .arg(kStoredGridPointsLeast)
                 .arg(kStoredGridPointsMost);
  return lines.join(QLatin1Char('\n'));
}

void TFormPJEigenschaften::UpdateOk() {
  const QString problem = GridProblem();
  btnOk_->setEnabled(problem.isEmpty());
  lblProblem_->setText(problem);
  lblProblem_->setVisible(!problem.isEmpty());
}

void TFormPJEigenschaften::accept() {
  if (!GridProblem().isEmpty()) return;
  QDialog::accept();
}

int TFormPJEigenschaften::AmpCount() const { return cbAmps_->currentIndex() + 1; }
int TFormPJEigenschaften::ChassisCount() const { return cbChassis_->currentIndex() + 1; }

void TFormPJEigenschaften::Apply(TProjekt& p) const {
  p.nAmps = static_cast<std::int16_t>(AmpCount());
  p.nChassis = static_cast<std::int16_t>(ChassisCount());
  // Reversed bounds are swapped and equal ones give 20..20000 Hz. A bound of
  // 0 or below (or one too large to be finite) cannot start a logarithmic
  // grid: then the whole range falls back to 20..20000 Hz as well, rather than
  // keeping the one usable bound with a made-up partner. No message: the
  // fields show the range in use the next time the dialog opens.
  ApplyGridSettings(p, GridSettingsFromInput(GridInput()));
}

}  // namespace sonvex
