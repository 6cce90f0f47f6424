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

struct TResult;

class TFormExport : public QDialog {
  Q_OBJECT
 public:
  // `result` and `ui` must outlive the dialog; the save dialog starts in
  // `projectFolder`.
  TFormExport(const TResult& result, TInteraction& ui, std::filesystem::path projectFolder, QWidget* parent = nullptr);

  // One button: chassis choice where needed, file name, writing.
  std::optional<std::filesystem::path> ExportClick(TExportKind kind);

  QPushButton* Button(TExportKind kind) const;
  QPushButton* btnClose() const { return btnClose_; }

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  const TResult& result_;
  TInteraction& ui_;
  std::filesystem::path folder_;
  QPushButton* btnBox_ = nullptr;
  QPushButton* btnChassis_ = nullptr;
  QPushButton* btnSignal_ = nullptr;
  QPushButton* btnClose_ = nullptr;
  QHBoxLayout* closeRow_ = nullptr;
};

}  // namespace sonvex
