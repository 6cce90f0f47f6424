#include "model/interaction.h"

#include <ostream>

namespace sonvex {

std::vector<std::string> SplitCaptions(std::string_view captions) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (true) {
    const std::size_t bar = captions.find('|', start);
    out.emplace_back(captions.substr(start, bar == std::string_view::npos ? std::string_view::npos : bar - start));
    if (bar == std::string_view::npos) break;
    start = bar + 1;
  }
  return out;
}

int TScriptedInteraction::ChooseButton(std::string_view message, std::string_view captions, int defaultIndex) {
  asked.push_back({"choose", std::string(message), std::string(captions)});
  if (buttons.empty()) return defaultIndex;
  const int b = buttons.front();
  buttons.pop_front();
  return b;
}

void TScriptedInteraction::ShowMessage(std::string_view message) {
  asked.push_back({"message", std::string(message), {}});
}

std::optional<std::filesystem::path> TScriptedInteraction::PickOpenFile(std::string_view caption,
                                                                        std::string_view filter,
                                                                        const std::filesystem::path&) {
  asked.push_back({"open", std::string(caption), std::string(filter)});
  if (files.empty()) return std::nullopt;
  auto f = files.front();
  files.pop_front();
  return f;
}

std::optional<std::filesystem::path> TScriptedInteraction::PickSaveFile(std::string_view caption,
                                                                        std::string_view filter,
                                                                        const std::filesystem::path&,
                                                                        std::string_view) {
  asked.push_back({"save", std::string(caption), std::string(filter)});
  if (files.empty()) return std::nullopt;
  auto f = files.front();
  files.pop_front();
  return f;
}

bool TScriptedInteraction::EditValues(std::string_view caption, std::string_view format,
                                      std::vector<std::string>& values) {
  asked.push_back({"edit", std::string(caption), std::string(format)});
  if (edits.empty()) return false;
  auto e = edits.front();
  edits.pop_front();
  if (!e) return false;
  values = *e;
  return true;
}

std::string TerminalText(std::string_view text) {
  std::string s;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      s += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      s += text[i];
    }
  }
  return s;
}

int TConsoleInteraction::ChooseButton(std::string_view message, std::string_view, int defaultIndex) {
  out_ << TerminalText(message) << "\n";
  return defaultIndex;
}

void TConsoleInteraction::ShowMessage(std::string_view message) { out_ << TerminalText(message) << "\n"; }

}  // namespace sonvex
