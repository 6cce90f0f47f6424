#include "ui/dialogs/export_dialog.h"
#include "charts/qt_text.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

#include "calc/wav_export.h"
#include "model/interaction.h"
#include "model/result.h"
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
  // The impulse responses to listen to the design with.
  wavButton_ = new QPushButton(QText("Impulsantworten als WAV-Dateien (Box und jedes Chassis) ..."), this);
  wavButton_->setAutoDefault(false);
  wavButton_->setMinimumHeight(32);
  connect(wavButton_, &QPushButton::clicked, this, [this] { WavClick(); });
  main->addWidget(wavButton_);
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

std::optional<std::filesystem::path> ExportDialog::WavClick() {
  if (!result_.valid) {
    ui_.ShowMessage("Keine gültige Berechnung: keine WAV-Dateien geschrieben.");
    return std::nullopt;
  }
  const int choice = ui_.ChooseButton("Abtastrate der WAV-Dateien?", "44100 Hz|48000 Hz|96000 Hz|Abbruch", 2);
  if (choice < 1 || choice > 3) return std::nullopt;
  const int rate = kWavRates[choice - 1];
  const auto file = ui_.PickSaveFile("Impulsantworten speichern ...", "WAV-Datei (*.wav)|*.wav", folder_, "box.wav");
  if (!file) return std::nullopt;
  const std::filesystem::path folder = file->parent_path();
  std::string error;
  if (!ExportImpulseWavs(result_, folder, rate, error)) {
    ui_.ShowMessage(error);
    return std::nullopt;
  }
  return folder;
}

}  // namespace sonvex
