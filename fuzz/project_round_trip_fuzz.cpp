// Loads arbitrary bytes as a project (the first byte chooses the plain or
// the scrambled form, as for the project target, whose seeds it shares),
// then saves the loaded project and checks that loading the saved text and
// saving again gives the same text: every value a load can produce survives
// save, load, save unchanged (the first save is compared with the second, and
// the second with the third). Three saves and loads per input make it slower
// than the project target, which only reads.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "calc/file_load.h"
#include "model/my_ini_file.h"
#include "model/project.h"
#include "model/project_file.h"
#include "model/settings.h"
#include "support/scripted_interaction.h"

namespace {

std::string Saved(const sonvex::Project& p) {
  auto out = sonvex::MyIniFile::InMemory(true);
  sonvex::WriteProjectTo(p, out);
  return out.Serialize(true);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static const sonvex::Settings kSettings = sonvex::MakeSettings("/nonexistent/");
  const bool scrambled = (data[0] & 1) != 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  sonvex::ScriptedInteraction ui;
  static auto p = sonvex::MakeNewProject();
  sonvex::NewProject(*p);
  try {
    const auto ini = sonvex::MyIniFile::FromBytes(bytes, scrambled, &ui);
    if (sonvex::LoadProjectFrom(*p, ini, kSettings, ui) == sonvex::ProjectLoadResult::WrongVersion) return 0;
    const std::string first = Saved(*p);
    static auto q = sonvex::MakeNewProject();
    sonvex::NewProject(*q);
    sonvex::LoadProjectFrom(*q, sonvex::MyIniFile::FromBytes(first, true), kSettings, ui);
    const std::string second = Saved(*q);
    if (second != first) __builtin_trap();
    sonvex::NewProject(*p);
    sonvex::LoadProjectFrom(*p, sonvex::MyIniFile::FromBytes(second, true), kSettings, ui);
    if (Saved(*p) != second) __builtin_trap();
  } catch (const sonvex::FileError&) {
    // too many keys, or a text too long for a line of the file: refused
  }
  return 0;
}
