#include "model/settings.h"

#include <algorithm>
#include <array>
#include <string>

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

void ReadDisplayOptions(const TMyIniFile& ini, std::string_view sec, TDisplayOptions& o) {
  const TDisplayOptions defaults;
  o.ColorSetAmps = defaults.ColorSetAmps;
  o.ColorSetChassis = defaults.ColorSetChassis;
  o.ColorSetRichtungen = defaults.ColorSetRichtungen;
  ini.ReadIntegerArray(sec, "ColorSetAmps", o.ColorSetAmps, 0, 7);
  ini.ReadIntegerArray(sec, "ColorSetChassis", o.ColorSetChassis, 0, 9);
  ini.ReadIntegerArray(sec, "ColorSetRichtungen", o.ColorSetRichtungen, 0, 10);
  for (int i = 0; i < 6; ++i)
    o.Par[static_cast<std::size_t>(i)] =
        ini.ReadInteger(sec, "Par" + std::to_string(i + 1), defaults.Par[static_cast<std::size_t>(i)]);
  o.fMin = ini.ReadFloat(sec, "fMin", 20);
  o.fMax = ini.ReadFloat(sec, "fMax", 20000);
  o.sz = ini.ReadInteger(sec, "sz", 126);
  if (!(10 <= o.fMin && o.fMin <= 1000 && o.fMin < o.fMax && 1000 <= o.fMax && o.fMax < 100000)) {
    o.fMin = 20;
    o.fMax = 20000;
  }
  if (o.sz > 250 || o.sz < 10) o.sz = 84;
  o.glatt_a = ini.ReadFloat(sec, "glatt_a", 0.24);
  o.glatt_i = ini.ReadFloat(sec, "glatt_i", 0.18);
  o.dBMin = ini.ReadFloat(sec, "dBMin", 40);
  o.dBMax = ini.ReadFloat(sec, "dBMax", 110);
  o.AfMin = ini.ReadFloat(sec, "AfMin", 20);
  o.AfMax = ini.ReadFloat(sec, "AfMax", 20000);
  o.ImpMax = ini.ReadFloat(sec, "ImpMax", 70);
}

void WriteDisplayOptions(TMyIniFile& ini, std::string_view sec, const TDisplayOptions& o, bool withSmoothing) {
  ini.WriteIntegerArray(sec, "ColorSetAmps", o.ColorSetAmps, 0, 7);
  ini.WriteIntegerArray(sec, "ColorSetChassis", o.ColorSetChassis, 0, 9);
  ini.WriteIntegerArray(sec, "ColorSetRichtungen", o.ColorSetRichtungen, 0, 10);
  for (int i = 0; i < 6; ++i) ini.WriteInteger(sec, "Par" + std::to_string(i + 1), o.Par[static_cast<std::size_t>(i)]);
  ini.WriteFloat(sec, "fMin", o.fMin);
  ini.WriteFloat(sec, "fMax", o.fMax);
  ini.WriteInteger(sec, "sz", o.sz);
  if (withSmoothing) {
    ini.WriteFloat(sec, "glatt_a", o.glatt_a);
    ini.WriteFloat(sec, "glatt_i", o.glatt_i);
  }
  ini.WriteFloat(sec, "dBMin", o.dBMin);
  ini.WriteFloat(sec, "dBMax", o.dBMax);
  ini.WriteFloat(sec, "AfMin", o.AfMin);
  ini.WriteFloat(sec, "AfMax", o.AfMax);
  ini.WriteFloat(sec, "ImpMax", o.ImpMax);
}

std::int32_t ClampCalcPause(long long ms) {
  return static_cast<std::int32_t>(std::clamp<long long>(ms, 0, kMaxCalcPauseMs));
}

void LoadSettingsFrom(TSettings& s, const TMyIniFile& ini) {
  s.useStoredFolders = ini.ReadBool(kFolders, "Verzeichnisvorgaben", false);
  if (s.useStoredFolders) {
    for (const TFolderKey& f : kFolderKeys)
      s.*(f.folder) = PathFromUtf8(ini.ReadString(kFolders, f.key, Utf8FromPath(s.*(f.folder))));
  }
  // The older form of the mouse action map gives the default of the newer one.
  const long long tbwe = ini.ReadInteger(kOptionen, "TBWE", kDefaultTBWE);
  const auto tbweDefault = static_cast<std::int32_t>((tbwe / 1000) * 1000 + 500 + (tbwe % 100));
  s.TBWEopti = ini.ReadInteger(kOptionen, "TBWEopti", tbweDefault);
  s.WEsize = ini.ReadInteger(kOptionen, "WEsize", 2);
  s.calcPauseMs = ClampCalcPause(ini.ReadInteger(kOptionen, "Rechenpause", kDefaultCalcPauseMs));
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
  ini.UpdateFile();
}

}  // namespace sonvex
