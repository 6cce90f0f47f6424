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

TFormExport::TFormExport(const TResult& result, TInteraction& ui, std::filesystem::path projectFolder, QWidget* parent)
    : QDialog(parent), result_(result), ui_(ui), folder_(std::move(projectFolder)) {
  setWindowTitle(QText(kExportCaption));
  auto* main = new QVBoxLayout(this);
  auto* note = new QLabel(QText("Die Kurven der letzten abgeschlossenen Berechnung werden als Textdatei mit "
                                "Tabulatoren geschrieben\n(Frequenz in Hz, Pegel in dB, Phase in Grad; "
                                "Dezimalkomma)."),
                          this);
  main->addWidget(note);
  auto make = [this, main](TExportKind kind) {
    auto* b = new QPushButton(QText(ExportButtonCaption(kind)), this);
    b->setAutoDefault(false);
    b->setMinimumHeight(32);
    connect(b, &QPushButton::clicked, this, [this, kind] { ExportClick(kind); });
    main->addWidget(b);
    return b;
  };
  btnBox_ = make(TExportKind::Box);
  btnChassis_ = make(TExportKind::Chassis);
  btnSignal_ = make(TExportKind::Signal);
  btnClose_ = new QPushButton(QText("Schließen"), this);
  btnClose_->setDefault(true);
  connect(btnClose_, &QPushButton::clicked, this, &QDialog::accept);
  closeRow_ = new QHBoxLayout;
  closeRow_->addStretch();
  closeRow_->addWidget(btnClose_);
  main->addLayout(closeRow_);
}

void TFormExport::showEvent(QShowEvent* e) {
  // On a screen narrower than the note, the note and the export buttons
  // scroll and "Schließen" stays below them.
  ScrollOnASmallScreen(this, ScreenRoom(this, parentWidget()), "ScrollExport", closeRow_);
  QDialog::showEvent(e);
}

QPushButton* TFormExport::Button(TExportKind kind) const {
  switch (kind) {
    case TExportKind::Box:
      return btnBox_;
    case TExportKind::Chassis:
      return btnChassis_;
    case TExportKind::Signal:
      return btnSignal_;
  }
  return nullptr;
}

std::optional<std::filesystem::path> TFormExport::ExportClick(TExportKind kind) {
  return ExportResult(result_, kind, ui_, folder_);
}

}  // namespace sonvex
