#include "model/settings.h"

#include <algorithm>
#include <array>
#include <string>

#include "model/key_io.h"
#include "model/my_ini_file.h"

namespace sonvex {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kFolders = "Verzeichnisse";
constexpr std::string_view kOptionen = "Optionen";
constexpr std::string_view kOption = "Option";

struct TFolderKey {
  std::string_view key;  // also the name of the default subfolder
  fs::path TSettings::*folder;
};

const std::array<TFolderKey, 6> kFolderKeys = {{
    {"Chassis", &TSettings::chassisFolder},
    {"Projekte", &TSettings::projectFolder},
    {"Weichenbauteile", &TSettings::partsFolder},
    {"Reports", &TSettings::reportsFolder},
    {"Publikationen", &TSettings::publicationsFolder},
    {"Bausätze", &TSettings::kitsFolder},
}};

bool IsSeparator(char c) { return c == '/' || c == static_cast<char>(fs::path::preferred_separator); }

}  // namespace

fs::path WithTrailingSeparator(const fs::path& folder) {
  std::string text = Utf8FromPath(folder);
  if (text.empty() || !IsSeparator(text.back())) text.push_back(static_cast<char>(fs::path::preferred_separator));
  return PathFromUtf8(text);
}

TSettings MakeSettings(const fs::path& programFolder, const fs::path& programFile) {
  TSettings s;
  s.programFile = programFile;
  s.programFolder = programFolder;
  SetDefaultFolders(s);
  return s;
}

void SetDefaultFolders(TSettings& s) {
  s.settingsFile = (s.settingsFolder.empty() ? s.programFolder : s.settingsFolder) / PathFromUtf8(kSettingsFileName);
  for (const TFolderKey& f : kFolderKeys) s.*(f.folder) = WithTrailingSeparator(s.programFolder / PathFromUtf8(f.key));
}

namespace {

// The display option keys in their fixed order (`R` const for writing). The
// display defaults of the settings file carry no smoothing widths.
template <class Io, class R>
void DisplayOptionKeys(Io& io, R& o, bool withSmoothing) {
  const TDisplayOptions defaults;
  io.IntArray("ColorSetAmps", o.ColorSetAmps, defaults.ColorSetAmps, 7);
  io.IntArray("ColorSetChassis", o.ColorSetChassis, defaults.ColorSetChassis, 9);
  io.IntArray("ColorSetRichtungen", o.ColorSetRichtungen, defaults.ColorSetRichtungen, 10);
  for (int i = 0; i < 6; ++i)
    io.Int("Par" + std::to_string(i + 1), o.Par[static_cast<std::size_t>(i)],
           defaults.Par[static_cast<std::size_t>(i)]);
  io.Float("fMin", o.fMin, 20);
  io.Float("fMax", o.fMax, 20000);
  io.Int("sz", o.sz, 126);
  if (withSmoothing) {
    io.Float("glatt_a", o.glatt_a, 0.24);
    io.Float("glatt_i", o.glatt_i, 0.18);
  }
  io.Float("dBMin", o.dBMin, 40);
  io.Float("dBMax", o.dBMax, 110);
  io.Float("AfMin", o.AfMin, 20);
  io.Float("AfMax", o.AfMax, 20000);
  io.Float("ImpMax", o.ImpMax, 70);
}

}  // namespace

bool StoredRangeKept(double fMin, double fMax) {
  return kStoredFMinLowest <= fMin && fMin <= kStoredFMinHighest && fMin < fMax && kStoredFMaxLowest <= fMax &&
         fMax < kStoredFMaxBelow;
}

bool StoredPointCountKept(long long sz) { return kStoredGridPointsLeast <= sz && sz <= kStoredGridPointsMost; }

void ReadDisplayOptions(const TMyIniFile& ini, std::string_view sec, TDisplayOptions& o) {
  TKeyReader io(ini, sec);
  DisplayOptionKeys(io, o, true);
  // An unusable frequency range or point count gives the defaults.
  if (!StoredRangeKept(o.fMin, o.fMax)) {
    o.fMin = 20;
    o.fMax = 20000;
  }
  if (!StoredPointCountKept(o.sz)) o.sz = 84;
}

void WriteDisplayOptions(TMyIniFile& ini, std::string_view sec, const TDisplayOptions& o, bool withSmoothing) {
  TKeyWriter io(ini, sec);
  DisplayOptionKeys(io, o, withSmoothing);
}

std::int32_t ClampCalcPause(long long ms) {
  return static_cast<std::int32_t>(std::clamp<long long>(ms, 0, kMaxCalcPauseMs));
}

void LoadSettingsFrom(TSettings& s, const TMyIniFile& ini) {
  s.useStoredFolders = ini.ReadBool(kFolders, "Verzeichnisvorgaben", false);
  if (s.useStoredFolders) {
    for (const TFolderKey& f : kFolderKeys) {
      const fs::path stored = PathFromUtf8(ini.ReadString(kFolders, f.key, Utf8FromPath(s.*(f.folder))));
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
  const long long tbwe = ini.ReadInteger(kOptionen, "TBWE", kDefaultTBWE);
  const auto tbweDefault = static_cast<std::int32_t>((tbwe / 1000) * 1000 + 500 + (tbwe % 100));
  s.TBWEopti = ini.ReadInteger(kOptionen, "TBWEopti", tbweDefault);
  s.WEsize = ini.ReadInteger(kOptionen, "WEsize", 2);
  s.calcPauseMs = ClampCalcPause(ini.ReadInteger(kOptionen, "Rechenpause", kDefaultCalcPauseMs));
  s.optiPauseMs = ClampCalcPause(ini.ReadInteger(kOptionen, "Optimiererpause", kDefaultOptiPauseMs));
  s.UseOption = ini.ReadBool(kOption, "UseOption", false);
  if (s.UseOption) ReadDisplayOptions(ini, kOption, s.displayDefaults);
}

void LoadSettings(TSettings& s, TInteraction* ui) {
  SetDefaultFolders(s);
  try {
    const TMyIniFile ini(s.settingsFile, false, false, true, ui);
    LoadSettingsFrom(s, ini);
  } catch (const TFileError&) {
    // An unreadable settings file gives the defaults, as an empty one does.
    LoadSettingsFrom(s, TMyIniFile::FromBytes({}, false));
  }
}

void SaveSettings(TSettings& s, TInteraction* ui) {
  // An emptied folder field would become the root folder "/"; it falls back
  // to its default folder below the program folder instead.
  for (const TFolderKey& f : kFolderKeys) {
    fs::path& folder = s.*(f.folder);
    folder =
        folder.empty() ? WithTrailingSeparator(s.programFolder / PathFromUtf8(f.key)) : WithTrailingSeparator(folder);
  }
  TMyIniFile ini(s.settingsFile, false, true, true, ui);
  ini.WriteBool(kFolders, "Verzeichnisvorgaben", s.useStoredFolders);
  for (const TFolderKey& f : kFolderKeys) {
    if (s.useStoredFolders)
      ini.WriteString(kFolders, f.key, Utf8FromPath(s.*(f.folder)));
    else
      ini.DeleteKey(kFolders, f.key);
  }
  ini.WriteInteger(kOptionen, "TBWEopti", s.TBWEopti);
  ini.WriteInteger(kOptionen, "WEsize", s.WEsize);
  s.calcPauseMs = ClampCalcPause(s.calcPauseMs);
  ini.WriteInteger(kOptionen, "Rechenpause", s.calcPauseMs);
  s.optiPauseMs = ClampCalcPause(s.optiPauseMs);
  ini.WriteInteger(kOptionen, "Optimiererpause", s.optiPauseMs);
  ini.UpdateFile();
}

void SaveDisplayDefaults(TSettings& s, bool use, const TDisplayOptions& o, TInteraction* ui) {
  // The program follows the choice even when the file cannot be written.
  s.UseOption = use;
  if (use) s.displayDefaults = o;
  TMyIniFile ini(s.settingsFile, false, true, true, ui);
  ini.WriteBool(kOption, "UseOption", use);
  if (use) WriteDisplayOptions(ini, kOption, o, false);
  ini.UpdateFile();
}

}  // namespace sonvex
