#include "model/settings.h"

#include <algorithm>
#include <array>
#include <string>

#include "model/key_io.h"
#include "model/my_ini_file.h"

namespace sonvex {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kFoldersSection = "Verzeichnisse";
constexpr std::string_view kOptionsSection = "Optionen";
constexpr std::string_view kDisplayDefaultsSection = "Option";

struct FolderKey {
  std::string_view key;  // also the name of the default subfolder
  fs::path Settings::*folder;
};

const std::array<FolderKey, 6> kFolderKeys = {{
    {"Chassis", &Settings::chassisFolder},
    {"Projekte", &Settings::projectFolder},
    {"Weichenbauteile", &Settings::partsFolder},
    {"Reports", &Settings::reportsFolder},
    {"Publikationen", &Settings::publicationsFolder},
    {"Bausätze", &Settings::kitsFolder},
}};

bool IsSeparator(char c) { return c == '/' || c == static_cast<char>(fs::path::preferred_separator); }

}  // namespace

fs::path WithTrailingSeparator(const fs::path& folder) {
  std::string text = Utf8FromPath(folder);
  if (text.empty() || !IsSeparator(text.back())) text.push_back(static_cast<char>(fs::path::preferred_separator));
  return PathFromUtf8(text);
}

Settings MakeSettings(const fs::path& programFolder, const fs::path& programFile) {
  Settings s;
  s.programFile = programFile;
  s.programFolder = programFolder;
  SetDefaultFolders(s);
  return s;
}

void SetDefaultFolders(Settings& s) {
  s.settingsFile = (s.settingsFolder.empty() ? s.programFolder : s.settingsFolder) / PathFromUtf8(kSettingsFileName);
  for (const FolderKey& f : kFolderKeys) s.*(f.folder) = WithTrailingSeparator(s.programFolder / PathFromUtf8(f.key));
}

namespace {

// The display option keys in their fixed order (`R` const for writing). The
// display defaults of the settings file carry no smoothing widths.
template <class Io, class R>
void DisplayOptionKeys(Io& io, R& o, bool withSmoothing) {
  const DisplayOptions defaults;
  io.IntArray("ColorSetAmps", o.colorSetAmps, defaults.colorSetAmps, 7);
  io.IntArray("ColorSetChassis", o.colorSetChassis, defaults.colorSetChassis, 9);
  io.IntArray("ColorSetRichtungen", o.colorSetDirections, defaults.colorSetDirections, 10);
  for (int i = 0; i < 6; ++i)
    io.Int("Par" + std::to_string(i + 1), o.chartParams[static_cast<std::size_t>(i)],
           defaults.chartParams[static_cast<std::size_t>(i)]);
  io.Float("fMin", o.fMin, 20);
  io.Float("fMax", o.fMax, 20000);
  io.Int("sz", o.gridPoints, 126);
  if (withSmoothing) {
    io.Float("glatt_a", o.smoothingAmplitude, 0.24);
    io.Float("glatt_i", o.smoothingImpedance, 0.18);
  }
  io.Float("dBMin", o.dBMin, 40);
  io.Float("dBMax", o.dBMax, 110);
  io.Float("AfMin", o.axisFMin, 20);
  io.Float("AfMax", o.axisFMax, 20000);
  io.Float("ImpMax", o.impedanceMax, 70);
}

}  // namespace

bool StoredRangeKept(double fMin, double fMax) {
  return kStoredFMinLowest <= fMin && fMin <= kStoredFMinHighest && fMin < fMax && kStoredFMaxLowest <= fMax &&
         fMax < kStoredFMaxBelow;
}

bool StoredPointCountKept(long long sz) { return kStoredGridPointsLeast <= sz && sz <= kStoredGridPointsMost; }

void ReadDisplayOptions(const MyIniFile& ini, std::string_view sec, DisplayOptions& o) {
  KeyReader io(ini, sec);
  DisplayOptionKeys(io, o, true);
  // An unusable frequency range or point count gives the defaults.
  if (!StoredRangeKept(o.fMin, o.fMax)) {
    o.fMin = 20;
    o.fMax = 20000;
  }
  if (!StoredPointCountKept(o.gridPoints)) o.gridPoints = 84;
}

void WriteDisplayOptions(MyIniFile& ini, std::string_view sec, const DisplayOptions& o, bool withSmoothing) {
  KeyWriter io(ini, sec);
  DisplayOptionKeys(io, o, withSmoothing);
}

std::int32_t ClampCalcPause(long long ms) {
  return static_cast<std::int32_t>(std::clamp<long long>(ms, 0, kMaxCalcPauseMs));
}

void LoadSettingsFrom(Settings& s, const MyIniFile& ini) {
  s.useStoredFolders = ini.ReadBool(kFoldersSection, "Verzeichnisvorgaben", false);
  if (s.useStoredFolders) {
    for (const FolderKey& f : kFolderKeys) {
      const fs::path stored = PathFromUtf8(ini.ReadString(kFoldersSection, f.key, Utf8FromPath(s.*(f.folder))));
      // An empty folder setting is the default folder below the program
      // folder (as saving makes it); a relative one lies below the program
      // folder too, wherever the program was started from.
      if (stored.empty())
        s.*(f.folder) = WithTrailingSeparator(s.programFolder / PathFromUtf8(f.key));
      else if (stored.is_relative())
        s.*(f.folder) = WithTrailingSeparator(s.programFolder / stored);
      else
        s.*(f.folder) = stored;
    }
  }
  // The older form of the mouse action map gives the default of the newer one.
  const long long oldMouseMap = ini.ReadInteger(kOptionsSection, "TBWE", kDefaultOldMouseMap);
  const auto mouseMapDefault = static_cast<std::int32_t>((oldMouseMap / 1000) * 1000 + 500 + (oldMouseMap % 100));
  s.crossoverMouseMap = ini.ReadInteger(kOptionsSection, "TBWEopti", mouseMapDefault);
  s.crossoverEditorSize = ini.ReadInteger(kOptionsSection, "WEsize", 2);
  s.calcPauseMs = ClampCalcPause(ini.ReadInteger(kOptionsSection, "Rechenpause", kDefaultCalcPauseMs));
  s.optimizerPauseMs = ClampCalcPause(ini.ReadInteger(kOptionsSection, "Optimiererpause", kDefaultOptimizerPauseMs));
  s.useDisplayDefaults = ini.ReadBool(kDisplayDefaultsSection, "UseOption", false);
  if (s.useDisplayDefaults) ReadDisplayOptions(ini, kDisplayDefaultsSection, s.displayDefaults);
}

void LoadSettings(Settings& s, Interaction* ui) {
  SetDefaultFolders(s);
  try {
    const MyIniFile ini(s.settingsFile, false, false, true, ui);
    LoadSettingsFrom(s, ini);
  } catch (const FileError&) {
    // An unreadable settings file gives the defaults, as an empty one does.
    LoadSettingsFrom(s, MyIniFile::FromBytes({}, false));
  }
}

void SaveSettings(Settings& s, Interaction* ui) {
  // An emptied folder field would become the root folder "/"; it falls back
  // to its default folder below the program folder instead.
  for (const FolderKey& f : kFolderKeys) {
    fs::path& folder = s.*(f.folder);
    folder =
        folder.empty() ? WithTrailingSeparator(s.programFolder / PathFromUtf8(f.key)) : WithTrailingSeparator(folder);
  }
  MyIniFile ini(s.settingsFile, false, true, true, ui);
  ini.WriteBool(kFoldersSection, "Verzeichnisvorgaben", s.useStoredFolders);
  for (const FolderKey& f : kFolderKeys) {
    if (s.useStoredFolders)
      ini.WriteString(kFoldersSection, f.key, Utf8FromPath(s.*(f.folder)));
    else
      ini.DeleteKey(kFoldersSection, f.key);
  }
  ini.WriteInteger(kOptionsSection, "TBWEopti", s.crossoverMouseMap);
  ini.WriteInteger(kOptionsSection, "WEsize", s.crossoverEditorSize);
  s.calcPauseMs = ClampCalcPause(s.calcPauseMs);
  ini.WriteInteger(kOptionsSection, "Rechenpause", s.calcPauseMs);
  s.optimizerPauseMs = ClampCalcPause(s.optimizerPauseMs);
  ini.WriteInteger(kOptionsSection, "Optimiererpause", s.optimizerPauseMs);
  ini.UpdateFile();
}

void SaveDisplayDefaults(Settings& s, bool use, const DisplayOptions& o, Interaction* ui) {
  // The program follows the choice even when the file cannot be written.
  s.useDisplayDefaults = use;
  if (use) s.displayDefaults = o;
  MyIniFile ini(s.settingsFile, false, true, true, ui);
  ini.WriteBool(kDisplayDefaultsSection, "UseOption", use);
  if (use) WriteDisplayOptions(ini, kDisplayDefaultsSection, o, false);
  ini.UpdateFile();
}

}  // namespace sonvex
