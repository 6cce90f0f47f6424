#include "support/scripted_interaction.h"

namespace sonvex {

int ScriptedInteraction::ChooseButton(std::string_view message, std::string_view captions, int defaultIndex) {
  asked.push_back({"choose", std::string(message), std::string(captions)});
  if (buttons.empty()) return defaultIndex;
  const int b = buttons.front();
  buttons.pop_front();
  return b;
}

void ScriptedInteraction::ShowMessage(std::string_view message) {
  asked.push_back({"message", std::string(message), {}});
}

std::optional<std::filesystem::path> ScriptedInteraction::PickOpenFile(std::string_view caption,
                                                                       std::string_view filter,
                                                                       const std::filesystem::path&) {
  asked.push_back({"open", std::string(caption), std::string(filter)});
  if (files.empty()) return std::nullopt;
  auto f = files.front();
  files.pop_front();
  return f;
}

std::vector<std::filesystem::path> ScriptedInteraction::PickOpenFiles(std::string_view caption, std::string_view filter,
                                                                      const std::filesystem::path&) {
  asked.push_back({"openFiles", std::string(caption), std::string(filter)});
  if (fileLists.empty()) return {};
  auto f = fileLists.front();
  fileLists.pop_front();
  return f;
}

std::optional<std::filesystem::path> ScriptedInteraction::PickSaveFile(std::string_view caption,
                                                                       std::string_view filter,
                                                                       const std::filesystem::path&, std::string_view) {
  asked.push_back({"save", std::string(caption), std::string(filter)});
  if (files.empty()) return std::nullopt;
  auto f = files.front();
  files.pop_front();
  return f;
}

bool ScriptedInteraction::EditValues(std::string_view caption, std::string_view format,
                                     std::vector<std::string>& values) {
  asked.push_back({"edit", std::string(caption), std::string(format), values});
  if (edits.empty()) return false;
  // Read in place: GCC 12 warns (falsely) about a copied optional vector
  // under ThreadSanitizer.
  const bool answered = edits.front().has_value();
  if (answered) values = *edits.front();
  edits.pop_front();
  return answered;
}

}  // namespace sonvex
