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

struct TSectionFields {
  const char* caption;
  bool TVerstaerker::*on;
  double TVerstaerker::*f;
  double TVerstaerker::*q;  // null for the 6 dB sections
};

const std::array<TSectionFields, TFormAktFilter::kSectionCount> kSections{{
    {"Hochpaß 6 dB", &TVerstaerker::HP6, &TVerstaerker::HP6f, nullptr},
    {"Hochpaß 12 dB", &TVerstaerker::HP121, &TVerstaerker::HP121f, &TVerstaerker::HP121q},
    {"Hochpaß 12 dB", &TVerstaerker::HP122, &TVerstaerker::HP122f, &TVerstaerker::HP122q},
    {"Tiefpaß 6 dB", &TVerstaerker::TP6, &TVerstaerker::TP6f, nullptr},
    {"Tiefpaß 12 dB", &TVerstaerker::TP121, &TVerstaerker::TP121f, &TVerstaerker::TP121q},
    {"Tiefpaß 12 dB", &TVerstaerker::TP122, &TVerstaerker::TP122f, &TVerstaerker::TP122q},
}};

std::string LevelText(double pegel) { return FormatNumber(20.0 * std::log10(pegel), 5); }
std::string ValueText(double x) { return FormatNumber(x, 6); }

// A field shows its value with at most 5 or 6 characters. A field the user
// left as it was filled keeps the exact value it was filled from, so that
// opening the dialog and pressing "Ok" never rounds a stored value.
double FieldValue(const QLineEdit* e, double filledFrom, const std::string& filledText) {
  const std::string text = e->text().toStdString();
  return text == filledText ? filledFrom : FieldDoubleLenient(text);
}

}  // namespace

TFormAktFilter::TFormAktFilter(TInteraction& ui, QWidget* parent) : QDialog(parent), ui_(ui) {
  setWindowTitle(QStringLiteral("Aktives Filter editieren"));
  group_ = new QGroupBox(QStringLiteral(" Verstärker 1 "), this);
  auto* grid = new QGridLayout(group_);
  grid->setColumnMinimumWidth(1, 70);

  edPegel_ = new QLineEdit(group_);
  WatchNumberField(edPegel_);
  edPegel_->setMaximumWidth(70);
  grid->addWidget(new QLabel(QStringLiteral("Pegel"), group_), 0, 0);
  grid->addWidget(edPegel_, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("dB (0 dB = 2,83Veff)"), group_), 0, 2, 1, 2);

  for (int s = 0; s < kSectionCount; ++s) {
    const TSectionFields& fields = kSections[static_cast<std::size_t>(s)];
    const int row = s + 1;
    cb_[s] = new QCheckBox(QString::fromUtf8(fields.caption), group_);
    edF_[s] = new QLineEdit(group_);
    WatchNumberField(edF_[s]);
    edF_[s]->setMaximumWidth(70);
    lbUnit_[s] = new QLabel(fields.q != nullptr ? QStringLiteral("Hz       Q =") : QStringLiteral("Hz"), group_);
    grid->addWidget(cb_[s], row, 0);
    grid->addWidget(edF_[s], row, 1);
    grid->addWidget(lbUnit_[s], row, 2);
    if (fields.q != nullptr) {
      edQ_[s] = new QLineEdit(group_);
      WatchNumberField(edQ_[s]);
      edQ_[s]->setMaximumWidth(70);
      grid->addWidget(edQ_[s], row, 3);
    }
    // The fields of a section follow its box at once.
    connect(cb_[s], &QCheckBox::toggled, this, [this, s] { ShowSection(s); });
  }
  grid->setColumnStretch(4, 1);
  // Rows keep their height while their fields are hidden, so the window
  // does not jump when a box is ticked.
  for (int row = 0; row <= kSectionCount; ++row) grid->setRowMinimumHeight(row, edPegel_->sizeHint().height());

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  std::tie(btnOk_, btnAbbruch_) = AddOkCancel(this, buttons, QStringLiteral("Ok"), QStringLiteral("Abbruch"));
  btnAbbruch_->setAutoDefault(false);

  auto* main = new QVBoxLayout(this);
  main->addWidget(group_);
  main->addLayout(buttons);
}

void TFormAktFilter::Fill(const TVerstaerker& v, int amp) {
  block_ = v;
  group_->setTitle(QText(" Verstärker " + std::to_string(amp) + " "));
  // "Not greater than 0" also takes a level that is not a number.
  if (!(block_.Pegel > 0.0)) {
    ui_.ShowMessage("Pegel von Amp wird auf 0dB gesetzt.");
    block_.Pegel = 1.0;
  }
  edPegel_->setText(QText(LevelText(block_.Pegel)));
  for (int s = 0; s < kSectionCount; ++s) {
    const TSectionFields& fields = kSections[static_cast<std::size_t>(s)];
    edF_[s]->setText(QText(ValueText(block_.*fields.f)));
    if (fields.q != nullptr) edQ_[s]->setText(QText(ValueText(block_.*fields.q)));
    cb_[s]->setChecked(block_.*fields.on);
    ShowSection(s);
  }
}

void TFormAktFilter::ShowSection(int s) {
  const bool on = cb_[s]->isChecked();
  edF_[s]->setVisible(on);
  lbUnit_[s]->setVisible(on);
  if (edQ_[s] != nullptr) edQ_[s]->setVisible(on);
}

void TFormAktFilter::Apply(TVerstaerker& v) const {
  const std::string levelText = LevelText(block_.Pegel);
  v.Pegel = edPegel_->text().toStdString() == levelText
                ? block_.Pegel
                : std::pow(10.0, StrToDoubleLenient(edPegel_->text().toStdString()) / 20.0);
  // A level in dB too large for a factor (1e300 dB) is no level: 0, which the
  // calculation reports as a faulty level and a project file keeps (an
  // infinite factor would be written as "+inf" and read back as 0).
  if (!std::isfinite(v.Pegel)) v.Pegel = 0;
  // Frequencies and Q values of unticked sections are taken as well: they
  // come back unchanged when the section is switched on again.
  for (int s = 0; s < kSectionCount; ++s) {
    const TSectionFields& fields = kSections[static_cast<std::size_t>(s)];
    v.*fields.on = cb_[s]->isChecked();
    v.*fields.f = FieldValue(edF_[s], block_.*fields.f, ValueText(block_.*fields.f));
    if (fields.q != nullptr) v.*fields.q = FieldValue(edQ_[s], block_.*fields.q, ValueText(block_.*fields.q));
  }
}

bool EditActiveFilter(TProjectDocument& doc, int amp, const TDialogRunner& run, QWidget* parent) {
  if (amp < 1 || amp > doc.Project().nAmps) return false;
  const auto slot = static_cast<std::size_t>(amp - 1);
  TFormAktFilter dialog(doc.Interaction(), parent);
  dialog.Fill(doc.Project().Verstaerker[slot], amp);
  if (run(dialog) != QDialog::Accepted) return false;
  TProjectEdit edit(doc, "Aktives Filter " + std::to_string(amp) + " editieren", TRecalc::Incremental);
  dialog.Apply(edit.Project().Verstaerker[slot]);
  edit.Commit();
  return true;
}

}  // namespace sonvex
