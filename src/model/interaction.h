#pragma once
// Questions, messages and file choices from code outside the windows go
// through this one interface. The desktop program shows real dialogs, the
// command-line program prints; the tests answer from a script
// (tests/support/scripted_interaction.h).
#include <cstddef>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sonvex {

class Interaction {
 public:
  virtual ~Interaction() = default;

  // Shows `message` with buttons whose captions are one text separated by "|"
  // (e.g. "Ok|Abbruch"); returns the 1-based number of the pressed button.
  virtual int ChooseButton(std::string_view message, std::string_view captions, int defaultIndex) = 0;
  // A simple message box with an OK button.
  virtual void ShowMessage(std::string_view message) = 0;
  // File choice; no value when the user cancels. `filter` in the form
  // "Projekte (*.ZPJ)|*.ZPJ".
  virtual std::optional<std::filesystem::path> PickOpenFile(std::string_view caption, std::string_view filter,
                                                            const std::filesystem::path& folder) = 0;
  // The same for several files at once; no file when the user cancels.
  virtual std::vector<std::filesystem::path> PickOpenFiles(std::string_view caption, std::string_view filter,
                                                           const std::filesystem::path& folder) = 0;
  virtual std::optional<std::filesystem::path> PickSaveFile(std::string_view caption, std::string_view filter,
                                                            const std::filesystem::path& folder,
                                                            std::string_view defaultName) = 0;
  // Labelled edit fields built from a format text ("%d" 64-bit float, "%i"
  // integer, "%s" text, ...). `values` holds one text per placeholder, shown
  // and edited as text; returns false (values unchanged) on cancel.
  virtual bool EditValues(std::string_view caption, std::string_view format, std::vector<std::string>& values) = 0;
};

// Splits a caption text "a|b|c" into its captions.
std::vector<std::string> SplitCaptions(std::string_view captions);

// Message boxes break lines with CR or CR LF; a terminal wants LF.
std::string TerminalText(std::string_view text);

// For the command line: messages (and the text of every question) go to a
// stream, every question takes its default answer, no file is picked and
// value dialogs are cancelled.
class ConsoleInteraction : public Interaction {
 public:
  explicit ConsoleInteraction(std::ostream& out) : out_(out) {}
  int ChooseButton(std::string_view message, std::string_view captions, int defaultIndex) override;
  void ShowMessage(std::string_view message) override;
  std::optional<std::filesystem::path> PickOpenFile(std::string_view, std::string_view,
                                                    const std::filesystem::path&) override {
    return std::nullopt;
  }
  std::vector<std::filesystem::path> PickOpenFiles(std::string_view, std::string_view,
                                                   const std::filesystem::path&) override {
    return {};
  }
  std::optional<std::filesystem::path> PickSaveFile(std::string_view, std::string_view, const std::filesystem::path&,
                                                    std::string_view) override {
    return std::nullopt;
  }
  bool EditValues(std::string_view, std::string_view, std::vector<std::string>&) override { return false; }

 private:
  std::ostream& out_;
};

}  // namespace sonvex
