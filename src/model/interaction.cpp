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

int ConsoleInteraction::ChooseButton(std::string_view message, std::string_view, int defaultIndex) {
  out_ << TerminalText(message) << "\n";
  return defaultIndex;
}

void ConsoleInteraction::ShowMessage(std::string_view message) { out_ << TerminalText(message) << "\n"; }

}  // namespace sonvex
