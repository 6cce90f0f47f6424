// Feeds arbitrary bytes to the project loader (the first byte chooses the
// plain or the scrambled form, so that the fuzzer reaches the keys easily)
// and derives the chassis values as opening a project file does.
//
// Only reading and deriving run per input, so that the target stays fast:
// the project record (half a megabyte) is made once and reset by a copy of
// a new project. Saving and reading back is the round-trip target's part.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "calc/file_load.h"
#include "model/my_ini_file.h"
#include "model/project.h"
#include "model/settings.h"
#include "support/scripted_interaction.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static const sonvex::Settings kSettings = sonvex::MakeSettings("/nonexistent/");
  static const auto kFreshProject = sonvex::MakeNewProject();
  static const auto kProject = std::make_unique<sonvex::Project>(*kFreshProject);
  *kProject = *kFreshProject;
  const bool scrambled = (data[0] & 1) != 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  sonvex::ScriptedInteraction ui;
  try {
    const auto ini = sonvex::MyIniFile::FromBytes(bytes, scrambled, &ui);
    if (sonvex::LoadProjectFrom(*kProject, ini, kSettings, ui) == sonvex::ProjectLoadResult::WrongVersion) return 0;
    sonvex::DeriveLoadedProject(*kProject);
  } catch (const sonvex::FileError&) {
    // too many keys, or a line too long: refused
  }
  return 0;
}
