#include "ui/dialogs/export_dialog.h"
#include "charts/qt_text.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

#include "ui/dialogs/window_place.h"

namespace sonvex {

namespace {}  // namespace

ExportDialog::ExportDialog(const CalcResult& result, Interaction& ui, std::filesystem::path projectFolder,
                           QWidget* parent)
    : QDialog(parent), result_(result), ui_(ui), folder_(std::move(projectFolder)) {
  setWindowTitle(QText(kExportCaption));
  auto* main = new QVBoxLayout(this);
  auto* note = new QLabel(QText("Die Kurven der letzten abgeschlossenen Berechnung werden als Textdatei mit "
                                "Tabulatoren geschrieben\n(Frequenz in Hz, Pegel in dB, Phase in Grad; "
                                "Dezimalkomma)."),
                          this);
  main->addWidget(note);
  auto make = [this, main](ExportKind kind) {
    auto* b = new QPushButton(QText(ExportButtonCaption(kind)), this);
    b->setAutoDefault(false);
    b->setMinimumHeight(32);
    connect(b, &QPushButton::clicked, this, [this, kind] { ExportClick(kind); });
    main->addWidget(b);
    return b;
  };
  boxButton_ = make(ExportKind::Box);
  chassisButton_ = make(ExportKind::Chassis);
  signalButton_ = make(ExportKind::Signal);
  closeButton_ = new QPushButton(QText("Schließen"), this);
  closeButton_->setDefault(true);
  connect(closeButton_, &QPushButton::clicked, this, &QDialog::accept);
  closeRow_ = new QHBoxLayout;
  closeRow_->addStretch();
  closeRow_->addWidget(closeButton_);
  main->addLayout(closeRow_);
}

void ExportDialog::showEvent(QShowEvent* e) {
  // On a screen narrower than the note, the note and the export buttons
  // scroll and "Schließen" stays below them.
  ScrollOnASmallScreen(this, ScreenRoom(this, parentWidget()), "exportScrollArea", closeRow_);
  QDialog::showEvent(e);
}

QPushButton* ExportDialog::Button(ExportKind kind) const {
  switch (kind) {
    case ExportKind::Box:
      return boxButton_;
    case ExportKind::Chassis:
      return chassisButton_;
    case ExportKind::Signal:
      return signalButton_;
  }
  return nullptr;
}

std::optional<std::filesystem::path> ExportDialog::ExportClick(ExportKind kind) {
  return ExportResult(result_, kind, ui_, folder_);
}

}  // namespace sonvex
