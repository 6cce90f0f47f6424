#pragma once
// The scripted test double of the question interface.
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/interaction.h"

namespace sonvex {

// Answers from a script and records every question. An exhausted script answers with the default button,
// cancels file choices and value dialogs.
class ScriptedInteraction : public Interaction {
 public:
  struct Question {
    std::string kind;     // "choose", "message", "open", "openFiles", "save", "edit"
    std::string text;     // message, caption
    std::string options;  // captions, filter or format
    std::vector<std::string> values{};  // the values a value dialog was opened with
  };

  std::deque<int> buttons;                                    // answers to ChooseButton
  std::deque<std::optional<std::filesystem::path>> files;     // answers to PickOpenFile / PickSaveFile
  std::deque<std::vector<std::filesystem::path>> fileLists;   // answers to PickOpenFiles (empty: cancel)
  std::deque<std::optional<std::vector<std::string>>> edits;  // answers to EditValues (nullopt: cancel)
  std::vector<Question> asked;

  int ChooseButton(std::string_view message, std::string_view captions, int defaultIndex) override;
  void ShowMessage(std::string_view message) override;
  std::optional<std::filesystem::path> PickOpenFile(std::string_view caption, std::string_view filter,
                                                    const std::filesystem::path& folder) override;
  std::vector<std::filesystem::path> PickOpenFiles(std::string_view caption, std::string_view filter,
                                                   const std::filesystem::path& folder) override;
  std::optional<std::filesystem::path> PickSaveFile(std::string_view caption, std::string_view filter,
                                                    const std::filesystem::path& folder,
                                                    std::string_view defaultName) override;
  bool EditValues(std::string_view caption, std::string_view format, std::vector<std::string>& values) override;
};

}  // namespace sonvex
