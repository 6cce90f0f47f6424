#pragma once
// "Sonvex - Export": writes responses of the last finished calculation as
// tab-separated text files, one button per kind of export.
#include <QDialog>
#include <filesystem>
#include <optional>

#include "model/result_export.h"

class QHBoxLayout;
class QPushButton;

namespace sonvex {

struct CalcResult;

class ExportDialog : public QDialog {
  Q_OBJECT
 public:
  // `result` and `ui` must outlive the dialog; the save dialog starts in
  // `projectFolder`.
  ExportDialog(const CalcResult& result, Interaction& ui, std::filesystem::path projectFolder,
               QWidget* parent = nullptr);

  // One button: chassis choice where needed, file name, writing.
  std::optional<std::filesystem::path> ExportClick(ExportKind kind);

  // "Impulsantworten als WAV-Dateien ...": the rate, then the place of
  // box.wav (the chassis files go beside it); the folder written, if any.
  std::optional<std::filesystem::path> WavClick();

  QPushButton* Button(ExportKind kind) const;
  QPushButton* WavButton() const { return wavButton_; }
  QPushButton* CloseButton() const { return closeButton_; }

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  const CalcResult& result_;
  Interaction& ui_;
  std::filesystem::path folder_;
  QPushButton* boxButton_ = nullptr;
  QPushButton* chassisButton_ = nullptr;
  QPushButton* signalButton_ = nullptr;
  QPushButton* wavButton_ = nullptr;
  QPushButton* closeButton_ = nullptr;
  QHBoxLayout* closeRow_ = nullptr;
};

}  // namespace sonvex
