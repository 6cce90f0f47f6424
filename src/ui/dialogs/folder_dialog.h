#pragma once
// The folder dialog: whether the stored folders are used, and the chassis,
// project and crossover parts folders.
#include <QDialog>
#include <QString>
#include <array>
#include <filesystem>
#include <functional>
#include <optional>

#include "model/settings.h"

class QCheckBox;
class QHBoxLayout;
class QLineEdit;
class QPushButton;

namespace sonvex {

class Interaction;

// The explanation shown in the dialog, five lines.
extern const char* const kFolderExplanation;

// Asks for a folder: (title, start folder) -> the chosen folder, or nothing
// when the user cancels. The dialog uses the system's folder browser unless
// another chooser is given (tests).
using FolderChooser =
    std::function<std::optional<std::filesystem::path>(const QString& title, const std::filesystem::path& start)>;

class FoldersDialog : public QDialog {
  Q_OBJECT
 public:
  // The dialog edits `settings` in place when it closes; `ui` reports a
  // settings file that cannot be read or written.
  FoldersDialog(Settings& settings, Interaction* ui, QWidget* parent = nullptr);

  void SetFolderChooser(FolderChooser chooser) { chooser_ = std::move(chooser); }

  // Shows the settings in the fields (done on construction and on showing).
  void Fill();

  QCheckBox* UseStoredFoldersCheck() const { return useStoredFoldersCheck_; }
  // Rows: 0 chassis, 1 projects, 2 crossover parts.
  QLineEdit* Edit(int row) const { return edits_.at(row); }
  QPushButton* SearchButton(int row) const { return searchButtons_.at(row); }
  QPushButton* CloseButton() const { return closeButton_; }

  // Closing takes the flag and the three folders into the settings, then
  // saves and reloads them (so a clear check box brings back the folders
  // below the program folder at once).
  void done(int r) override;

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  void UpdateEnabled();
  void Search(int row);

  Settings& settings_;
  Interaction* ui_;
  FolderChooser chooser_;
  QCheckBox* useStoredFoldersCheck_ = nullptr;
  std::array<QLineEdit*, 3> edits_{};
  std::array<QPushButton*, 3> searchButtons_{};
  QPushButton* closeButton_ = nullptr;
  QHBoxLayout* closeRow_ = nullptr;
};

}  // namespace sonvex
