// Feeds arbitrary bytes to the settings reader (plain form) and the folder
// normalisation of the settings writer.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "model/my_ini_file.h"
#include "model/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    const auto ini = sonvex::MyIniFile::FromBytes(bytes, false);
    sonvex::Settings s = sonvex::MakeSettings("/nonexistent/");
    sonvex::LoadSettingsFrom(s, ini);
    for (const auto* folder :
         {&s.chassisFolder, &s.projectFolder, &s.partsFolder, &s.reportsFolder, &s.publicationsFolder, &s.kitsFolder}) {
      const std::string text = sonvex::Utf8FromPath(sonvex::WithTrailingSeparator(*folder));
      if (text.empty() || (text.back() != '/' && text.back() != '\\')) __builtin_trap();
    }
    if (s.useDisplayDefaults &&
        (s.displayDefaults.gridPoints < 10 || s.displayDefaults.gridPoints > 250 || !(s.displayDefaults.fMin >= 10)))
      __builtin_trap();
  } catch (const sonvex::FileError&) {
    // too many keys: refused
  }
  return 0;
}
