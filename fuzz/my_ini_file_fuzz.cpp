// Feeds arbitrary bytes to the MyIniFile reader in both forms, reads values
// of every kind, and checks that writing the content and reading it back is
// stable: the plain text of what was read must read back to the same text,
// and the scrambled form (when every line fits) to the same content.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/my_ini_file.h"

namespace {

void Exercise(const sonvex::MyIniFile& ini) {
  static constexpr std::string_view kSections[] = {"S", "Chassis", "Header", ""};
  static constexpr std::string_view kKeys[] = {"k", "a", "Version", "FgangAF", ""};
  for (std::string_view s : kSections) {
    for (std::string_view k : kKeys) {
      (void)ini.ReadString(s, k, "-");
      (void)ini.ReadInteger(s, k, 0);
      (void)ini.ReadBool(s, k, false);
      (void)ini.ReadFloat(s, k, 0);
      std::array<std::int32_t, 8> ints{};
      std::array<double, 8> floats{};
      if (ini.ReadIntegerArray(s, k, ints, 3, 10) > 5) __builtin_trap();
      if (ini.ReadFloatArray(s, k, floats, 0, 8) > 8) __builtin_trap();
    }
  }
}

void CheckStable(const sonvex::MyIniFile& ini) {
  const std::string plain = ini.Serialize(false);
  const auto again = sonvex::MyIniFile::FromBytes(plain, false);
  if (again.HeaderError() || again.KeyCount() != ini.KeyCount()) __builtin_trap();
  if (again.Serialize(false) != plain) __builtin_trap();
  try {
    const std::string scrambled = ini.Serialize(true);
    const auto back = sonvex::MyIniFile::FromBytes(scrambled, true);
    if (back.Serialize(true) != scrambled) __builtin_trap();
  } catch (const sonvex::FileError&) {
    // a line too long for the scrambled form: refused, as it must be
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (bool scrambled : {false, true}) {
    try {
      const auto ini = sonvex::MyIniFile::FromBytes(bytes, scrambled);
      Exercise(ini);
      if (!ini.HeaderError()) CheckStable(ini);
    } catch (const sonvex::FileError&) {
      // too many keys: refused
    }
  }
  return 0;
}
