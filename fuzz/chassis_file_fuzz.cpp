// Feeds arbitrary bytes to the chassis loader (the first byte chooses the
// plain or the scrambled form), then writes the loaded chassis and checks that
// reading the written keys back and writing again is stable.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "calc/file_load.h"
#include "model/chassis_file.h"
#include "model/interaction.h"
#include "model/my_ini_file.h"
#include "model/project.h"
#include "support/scripted_interaction.h"

namespace {

std::string Saved(const sonvex::Chassis& c) {
  auto out = sonvex::MyIniFile::InMemory(true);
  out.WriteInteger("Header", "Version", sonvex::kChassisFileVersion);
  sonvex::WriteChassisKeys(out, "Chassis", c, sonvex::ChassisKeyForm::ChassisFile);
  return out.Serialize(true);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool scrambled = (data[0] & 1) != 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  sonvex::ScriptedInteraction ui;
  static auto c = std::make_unique<sonvex::Chassis>();
  static auto d = std::make_unique<sonvex::Chassis>();
  *c = sonvex::DefaultChassis();
  try {
    const auto ini = sonvex::MyIniFile::FromBytes(bytes, scrambled, &ui);
    if (!sonvex::LoadChassisFrom(*c, ini, ui)) return 0;
    (void)sonvex::NormalizeChassisName(c->name);
    const std::string first = Saved(*c);
    *d = sonvex::DefaultChassis();
    if (!sonvex::LoadChassisFrom(*d, sonvex::MyIniFile::FromBytes(first, true), ui)) __builtin_trap();
    const std::string second = Saved(*d);
    *c = sonvex::DefaultChassis();
    if (!sonvex::LoadChassisFrom(*c, sonvex::MyIniFile::FromBytes(second, true), ui)) __builtin_trap();
    if (Saved(*c) != second) __builtin_trap();
  } catch (const sonvex::FileError&) {
    // too many keys, or a text too long for a line of the file: refused
  }
  return 0;
}
