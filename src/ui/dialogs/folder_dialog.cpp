#include "ui/dialogs/folder_dialog.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/file_io.h"
#include "model/interaction.h"
#include "ui/dialogs/window_place.h"

namespace sonvex {

namespace fs = std::filesystem;

const char* const kFolderExplanation =
    "Für Installationen, bei denen sich Programm und Daten auf einem beweglichen Speichermedium (z. B. USB-Stick) "
    "befinden, dem an \n"
    "unterschiedlichen Rechnern unterschiedliche Laufwerksbuchstaben zugeordnet werden, wird empfohlen, die Vorgaben "
    "nicht zu \n"
    "verwenden (Häkchen nicht gesetzt).\n"
    "In diesem Fall werden immer die Verzeichnisse \"Chassis\", \"Projekte\", \"Weichenbauteile\" etc. unmittelbar "
    "unterhalb des \n"
    "Programmverzeichnisses als Vorgabe verwendet.";

namespace {

struct FolderRow {
  const char* label;
  const char* browseTitle;
  fs::path Settings::*folder;
};

const std::array<FolderRow, 3> kRows = {{
    {"Verzeichnis für Chassisdateien", "Verzeichnis für Chassisdateien auswählen", &Settings::chassisFolder},
    {"Verzeichnis für Projektdateien", "Verzeichnis für Projektdateien auswählen", &Settings::projectFolder},
    {"Verzeichnis für Weichenbauteildateien", "Verzeichnis für Weichenbauteildateien auswählen",
     &Settings::partsFolder},
}};

QString PathText(const fs::path& p) { return QString::fromStdString(Utf8FromPath(p)); }

std::optional<fs::path> BrowseFolder(QWidget* parent, const QString& title, const fs::path& start) {
  const QString dir = QFileDialog::getExistingDirectory(parent, title, PathText(start));
  if (dir.isEmpty()) return std::nullopt;
  return PathFromUtf8(dir.toStdString());
}

}  // namespace

FoldersDialog::FoldersDialog(Settings& settings, Interaction* ui, QWidget* parent)
    : QDialog(parent), settings_(settings), ui_(ui) {
  setWindowTitle(QStringLiteral("Verzeichnisse festlegen"));
  chooser_ = [this](const QString& title, const fs::path& start) { return BrowseFolder(this, title, start); };

  useStoredFoldersCheck_ = new QCheckBox(QStringLiteral("Verzeichnisvorgaben verwenden"), this);
  connect(useStoredFoldersCheck_, &QCheckBox::toggled, this, &FoldersDialog::UpdateEnabled);

  auto* grid = new QGridLayout;
  for (int r = 0; r < 3; ++r) {
    grid->addWidget(new QLabel(QString::fromUtf8(kRows[r].label), this), 2 * r, 0, 1, 2);
    edits_[r] = new QLineEdit(this);
    edits_[r]->setMinimumWidth(420);
    searchButtons_[r] = new QPushButton(QStringLiteral("suchen ..."), this);
    searchButtons_[r]->setAutoDefault(false);
    connect(searchButtons_[r], &QPushButton::clicked, this, [this, r] { Search(r); });
    grid->addWidget(edits_[r], 2 * r + 1, 0);
    grid->addWidget(searchButtons_[r], 2 * r + 1, 1);
  }

  auto* explanation = new QLabel(QString::fromUtf8(kFolderExplanation), this);
  explanation->setWordWrap(false);

  closeButton_ = new QPushButton(QStringLiteral("schließen"), this);
  closeButton_->setDefault(true);
  connect(closeButton_, &QPushButton::clicked, this, &QDialog::accept);
  closeRow_ = new QHBoxLayout;
  closeRow_->addStretch();
  closeRow_->addWidget(closeButton_);

  auto* main = new QVBoxLayout(this);
  main->addWidget(useStoredFoldersCheck_);
  main->addLayout(grid);
  main->addWidget(explanation);
  main->addLayout(closeRow_);
  Fill();
}

void FoldersDialog::Fill() {
  for (int r = 0; r < 3; ++r) edits_[r]->setText(PathText(settings_.*(kRows[r].folder)));
  useStoredFoldersCheck_->setChecked(settings_.useStoredFolders);
  UpdateEnabled();
}

void FoldersDialog::showEvent(QShowEvent* e) {
  Fill();
  // On a screen narrower than the explanation's lines, the rows and the
  // explanation scroll and "schließen" stays below them.
  ScrollOnASmallScreen(this, ScreenRoom(this, parentWidget()), "foldersScrollArea", closeRow_);
  QDialog::showEvent(e);
}

void FoldersDialog::UpdateEnabled() {
  // Without stored folders the rows show what is in use but cannot be edited.
  const bool on = useStoredFoldersCheck_->isChecked();
  for (int r = 0; r < 3; ++r) {
    edits_[r]->setEnabled(on);
    searchButtons_[r]->setEnabled(on);
  }
}

void FoldersDialog::Search(int row) {
  const auto chosen =
      chooser_(QString::fromUtf8(kRows[row].browseTitle), PathFromUtf8(edits_[row]->text().toStdString()));
  if (!chosen) return;
  settings_.*(kRows[row].folder) = *chosen;
  edits_[row]->setText(PathText(*chosen));
}

void FoldersDialog::done(int r) {
  settings_.useStoredFolders = useStoredFoldersCheck_->isChecked();
  for (int k = 0; k < 3; ++k) settings_.*(kRows[k].folder) = PathFromUtf8(edits_[k]->text().toStdString());
  try {
    SaveSettings(settings_, ui_);
    LoadSettings(settings_, ui_);
  } catch (const FileError& e) {
    // The file keeps its previous content; this run goes on with what the
    // user chose (without stored folders: the folders below the program).
    if (ui_ != nullptr) ui_->ShowMessage(e.what());
    if (!settings_.useStoredFolders) SetDefaultFolders(settings_);
  }
  QDialog::done(r);
}

}  // namespace sonvex
