#pragma once
// The files of a polar set as read, one row each, before they become the
// chassis's set: the user checks the plane and angle each file's name gave
// and enters those a name did not give. "OK" checks the files against the
// rules of a set and closes only when they make one.
#include <QDialog>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "model/polar_import.h"
#include "model/polar_set.h"

class QKeyEvent;
class QLabel;
class QPushButton;
class QTableWidget;

namespace sonvex {

class Interaction;

// The files read for the table, in the order chosen.
std::vector<PolarFile> ReadPolarFiles(const std::vector<std::filesystem::path>& paths);

// The angle a table cell holds: a signed number with a decimal comma or
// point, a trailing "°" allowed ("-30", "7,5", "7.5", "+15°"); nothing for
// an empty cell or any other text.
std::optional<double> PolarAngleFromText(std::string_view text);

class PolarImportDialog : public QDialog {
  Q_OBJECT
 public:
  // The columns of the table.
  static constexpr int kFileColumn = 0, kPlaneColumn = 1, kAngleColumn = 2, kPointsColumn = 3, kPhaseColumn = 4;
  static constexpr int kColumns = 5;

  // `files` as read; the set must reach into the project's frequency range
  // fMin..fMax. `ui` shows why files do not make a set.
  PolarImportDialog(std::vector<PolarFile> files, double fMin, double fMax, Interaction& ui, QWidget* parent = nullptr);
  ~PolarImportDialog() override;

  // The files with plane and angle as the table shows them: a row with a
  // valid angle counts as named.
  std::vector<PolarFile> Files() const;
  // "OK": checks the files; when they make a set it is taken and the dialog
  // closes, otherwise the message is shown and the dialog stays open.
  void OkClick();
  // "Datei weglassen" (or Delete in the table): the file of the current row
  // is left out, e.g. one that cannot be read.
  void DropClick();
  // The set "OK" took (empty before).
  const PolarSet& Set() const { return set_; }

  QTableWidget* Table() const { return table_; }
  QLabel* Status() const { return status_; }
  QPushButton* OkButton() const { return okButton_; }
  QPushButton* CancelButton() const { return cancelButton_; }
  QPushButton* DropButton() const { return dropButton_; }

 protected:
  // Return in the table edits the current cell (or ends the edit) instead of
  // pressing "OK".
  void keyPressEvent(QKeyEvent* event) override;
  // Delete in the table (not while a cell is edited) leaves the file out.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FillTable();
  // The line below the table: files that cannot be read, angles missing.
  void UpdateStatus();
  // An edit still open in the table goes into its cell.
  void CommitOpenEdit();

  std::vector<PolarFile> files_;
  double fMin_ = 0, fMax_ = 0;
  Interaction& ui_;
  PolarSet set_;
  QTableWidget* table_ = nullptr;
  QLabel* status_ = nullptr;
  QPushButton* okButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QPushButton* dropButton_ = nullptr;
};

}  // namespace sonvex
