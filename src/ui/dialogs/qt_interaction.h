#pragma once
// The desktop side of the question interface: it asks through the
// button-choice dialog (choice_dialog.h), the value dialog (value_dialog.h),
// message boxes and the file dialogs.
#include <QString>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/interaction.h"
#include "ui/dialogs/choice_dialog.h"
#include "ui/dialogs/dialog_text.h"
#include "ui/dialogs/value_dialog.h"

class QWidget;

namespace sonvex {

// ---------------------------------------------------------------------------
// File dialogs

// "Name (*.ext)|*.ext|Alle Dateien (*.*)|*.*" -> the filter list of the file
// dialogs ("Name (*.ext *.EXT);;Alle Dateien (*.*)"): the pattern part decides,
// and every pattern is offered in upper and lower case as well, since the file
// system tells them apart.
QString ConvertFileFilter(std::string_view filter);

// ---------------------------------------------------------------------------

class QtInteraction : public Interaction {
 public:
  explicit QtInteraction(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }
  // The window a question belongs to: the one that asked, which is the
  // active window (an editor, the optimizer), so that the question never
  // brings the main window in front of it; else the parent given.
  QWidget* Owner() const;

  int ChooseButton(std::string_view message, std::string_view captions, int defaultIndex) override;
  void ShowMessage(std::string_view message) override;
  std::optional<std::filesystem::path> PickOpenFile(std::string_view caption, std::string_view filter,
                                                    const std::filesystem::path& folder) override;
  std::vector<std::filesystem::path> PickOpenFiles(std::string_view caption, std::string_view filter,
                                                   const std::filesystem::path& folder) override;
  std::optional<std::filesystem::path> PickSaveFile(std::string_view caption, std::string_view filter,
                                                    const std::filesystem::path& folder,
                                                    std::string_view defaultName) override;
  // Every value is shown and edited as text; on OK each field is read by its
  // letter and handed back in a canonical text (numbers with a decimal comma),
  // so the caller may read it with ParseFloat / ParseInt / ParseDate.
  bool EditValues(std::string_view caption, std::string_view format, std::vector<std::string>& values) override;

 private:
  QWidget* parent_ = nullptr;
};

}  // namespace sonvex
