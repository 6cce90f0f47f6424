#include "model/project_file.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <string>
#include <system_error>

#include "acoustics/enclosure.h"
#include "calc/freq_grid.h"
#include "model/chassis_file.h"
#include "model/interaction.h"
#include "model/my_ini_file.h"
#include "model/settings.h"

namespace sonvex {

namespace fs = std::filesystem;

namespace {

template <typename T>
T ClampTo(long long v) {
  return static_cast<T>(std::clamp<long long>(v, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
}

std::string Numbered(std::string_view name, int n) { return std::string(name) + std::to_string(n); }

// --- amplifiers ------------------------------------------------------------

struct TFilterKeys {
  std::string_view name;  // switch key; frequency key = name + "f", quality key = name + "q"
  bool TVerstaerker::*on;
  double TVerstaerker::*f;
  double TVerstaerker::*q;  // null for the first-order filters
};

const TFilterKeys kFilters[6] = {
    {"HP6", &TVerstaerker::HP6, &TVerstaerker::HP6f, nullptr},
    {"HP121", &TVerstaerker::HP121, &TVerstaerker::HP121f, &TVerstaerker::HP121q},
    {"HP122", &TVerstaerker::HP122, &TVerstaerker::HP122f, &TVerstaerker::HP122q},
    {"TP6", &TVerstaerker::TP6, &TVerstaerker::TP6f, nullptr},
    {"TP121", &TVerstaerker::TP121, &TVerstaerker::TP121f, &TVerstaerker::TP121q},
    {"TP122", &TVerstaerker::TP122, &TVerstaerker::TP122f, &TVerstaerker::TP122q},
};

void WriteAktFilter(TMyIniFile& ini, const std::string& sec, const TVerstaerker& v) {
  ini.WriteFloat(sec, "Pegel", v.Pegel);
  for (const TFilterKeys& k : kFilters) {
    ini.WriteBool(sec, k.name, v.*k.on);
    ini.WriteFloat(sec, std::string(k.name) + "f", v.*k.f);
    if (k.q != nullptr) ini.WriteFloat(sec, std::string(k.name) + "q", v.*k.q);
  }
}

void ReadAktFilter(const TMyIniFile& ini, const std::string& sec, TVerstaerker& v) {
  v.Pegel = ini.ReadFloat(sec, "Pegel", 1.0);
  for (const TFilterKeys& k : kFilters) {
    v.*k.on = ini.ReadBool(sec, k.name, false);
    v.*k.f = ini.ReadFloat(sec, std::string(k.name) + "f", 100);
    if (k.q != nullptr) v.*k.q = ini.ReadFloat(sec, std::string(k.name) + "q", 0.7);
  }
}

// --- crossover ---------------------------------------------------------------

std::string PartKey(int slot, std::string_view suffix) {
  return "_Part" + std::to_string(slot + 1) + std::string(suffix);
}

void WriteWeiche(TMyIniFile& ini, const std::string& sec, const TCrossover& parts) {
  for (int s = 0; s < kUsedPartSlots; ++s) {
    const TWPart& w = parts[static_cast<std::size_t>(s)];
    const int t = w._typ;
    if (t < ptWire) continue;
    ini.WriteInteger(sec, PartKey(s, "_typ"), t);
    if (w._bOpti) ini.WriteBool(sec, PartKey(s, "_bOpti"), true);
    if (t >= ptChass) ini.WriteInteger(sec, PartKey(s, "_verpolt"), w._verpolt);
    if (t == ptChass) ini.WriteInteger(sec, PartKey(s, "_chassisnr"), w._chassisnr);
    if (t >= ptR && t <= ptL) {
      ini.WriteFloat(sec, PartKey(s, "_value"), w._value);
      ini.WriteString(sec, PartKey(s, "_bem"), w._bem);
    }
    if (t == ptL) ini.WriteFloat(sec, PartKey(s, "_Rvalue"), w._Rvalue);
    if (s >= kGridSlots) {
      ini.WriteInteger(sec, PartKey(s, "_nod1"), w._nod1);
      ini.WriteInteger(sec, PartKey(s, "_nod2"), w._nod2);
    }
  }
}

void ReadWeiche(const TMyIniFile& ini, const std::string& sec, TCrossover& parts) {
  for (TWPart& w : parts) w._nod1 = w._nod2 = 0;
  AssignGridNodes(parts);
  for (int s = 0; s < kUsedPartSlots; ++s) {
    TWPart& w = parts[static_cast<std::size_t>(s)];
    int t = ini.ReadInteger(sec, PartKey(s, "_typ"), ptNone);
    // Codes outside the known part types have no meaning for the editor or
    // the network solver; such a slot reads as empty.
    if (t < ptNone || t > ptAmp) t = ptNone;
    w._typ = static_cast<std::int16_t>(t);
    w._bOpti = ini.ReadBool(sec, PartKey(s, "_bOpti"), false);
    w._verpolt = t >= ptChass ? ClampTo<std::int16_t>(ini.ReadInteger(sec, PartKey(s, "_verpolt"), 0)) : 0;
    w._chassisnr = t == ptChass ? ClampTo<std::int16_t>(ini.ReadInteger(sec, PartKey(s, "_chassisnr"), 0)) : 0;
    if (t >= ptR && t <= ptL) {
      w._value = ini.ReadFloat(sec, PartKey(s, "_value"), 1.0);
      w._bem = ini.ReadString(sec, PartKey(s, "_bem"), "");
    } else {
      w._value = 1.0;
      w._bem = "";  // (Clear() would pass a null pointer to memcpy)
    }
    w._Rvalue = t == ptL ? ini.ReadFloat(sec, PartKey(s, "_Rvalue"), 0) : 0;
    if (t == ptWire && s >= kGridSlots) {
      w._nod1 = ini.ReadInteger(sec, PartKey(s, "_nod1"), w._nod1);
      w._nod2 = ini.ReadInteger(sec, PartKey(s, "_nod2"), w._nod2);
    }
  }
}

// --- enclosure and baffle ------------------------------------------------------

void WriteEinbau(TMyIniFile& ini, const std::string& sec, const TEinbau& e) {
  ini.WriteInteger(sec, "Typ", e.Typ);
  ini.WriteFloat(sec, "Vb", e.Vb);
  ini.WriteFloat(sec, "fb", e.fb);
  ini.WriteFloat(sec, "Vbf", e.Vbf);
  ini.WriteFloat(sec, "fbf", e.fbf);
  ini.WriteBool(sec, "mbQExpl", e.mbQExpl);
  if (e.mbQExpl) {
    ini.WriteFloat(sec, "vV", e.vV);
    ini.WriteFloat(sec, "mb", e.mb);
    ini.WriteFloat(sec, "fmb", e.fmb);
    ini.WriteFloat(sec, "Ql", e.Ql);
    ini.WriteFloat(sec, "Qb", e.Qb);
    ini.WriteFloat(sec, "vVf", e.vVf);
    ini.WriteFloat(sec, "Qbf", e.Qbf);
    ini.WriteFloat(sec, "Qk", e.Qk);
    ini.WriteFloat(sec, "Qkf", e.Qkf);
  }
  ini.WriteInteger(sec, "Bedv", e.Bedv);
  ini.WriteInteger(sec, "Bedc", e.Bedc);
  ini.WriteInteger(sec, "Bedk", e.Bedk);
  ini.WriteInteger(sec, "Bedvf", e.Bedvf);
  ini.WriteInteger(sec, "Bedkf", e.Bedkf);
}

void ReadEinbau(const TMyIniFile& ini, const std::string& sec, TEinbau& e) {
  e.Typ = ini.ReadInteger(sec, "Typ", 0);
  e.Vb = ini.ReadFloat(sec, "Vb", 0);
  e.fb = ini.ReadFloat(sec, "fb", 0);
  e.Vbf = ini.ReadFloat(sec, "Vbf", 0);
  e.fbf = ini.ReadFloat(sec, "fbf", 0);
  e.mbQExpl = ini.ReadBool(sec, "mbQExpl", false);
  if (e.mbQExpl) {
    e.vV = ini.ReadFloat(sec, "vV", 1.0);
    e.mb = ini.ReadFloat(sec, "mb", 1.0);
    e.fmb = ini.ReadFloat(sec, "fmb", 1.0);
    e.Ql = ini.ReadFloat(sec, "Ql", 0);
    e.Qb = ini.ReadFloat(sec, "Qb", 0);
    e.vVf = ini.ReadFloat(sec, "vVf", 1.0);
    e.Qbf = ini.ReadFloat(sec, "Qbf", 0);
    e.Qk = ini.ReadFloat(sec, "Qk", 0);
    e.Qkf = ini.ReadFloat(sec, "Qkf", 0);
  } else {
    e.Bedv = ClampTo<std::int8_t>(ini.ReadInteger(sec, "Bedv", 2));
    e.Bedc = ClampTo<std::int8_t>(ini.ReadInteger(sec, "Bedc", 2));
    e.Bedk = ClampTo<std::int8_t>(ini.ReadInteger(sec, "Bedk", 0));
    e.Bedvf = ClampTo<std::int8_t>(ini.ReadInteger(sec, "Bedvf", 0));
    e.Bedkf = ClampTo<std::int8_t>(ini.ReadInteger(sec, "Bedkf", 0));
  }
}

struct TFloatKey {
  std::string_view key;
  double TSchallwand::*field;
};

const TFloatKey kBaffleFloats[15] = {
    {"a", &TSchallwand::a},       {"b", &TSchallwand::b},         {"c", &TSchallwand::c},
    {"d", &TSchallwand::d},       {"e", &TSchallwand::e},         {"f", &TSchallwand::f},
    {"g", &TSchallwand::g},       {"h", &TSchallwand::h},         {"i", &TSchallwand::i},
    {"hor", &TSchallwand::hor},   {"vert", &TSchallwand::vert},   {"stra", &TSchallwand::stra},
    {"horr", &TSchallwand::horr}, {"vertr", &TSchallwand::vertr}, {"strar", &TSchallwand::strar},
};

void WriteSchallwand(TMyIniFile& ini, const std::string& sec, const TSchallwand& w) {
  ini.WriteBool(sec, "beugl", w.beugl);
  ini.WriteBool(sec, "beugr", w.beugr);
  ini.WriteBool(sec, "beugo", w.beugo);
  ini.WriteBool(sec, "beugu", w.beugu);
  ini.WriteBool(sec, "usegemgeh", w.usegemgeh);
  ini.WriteInteger(sec, "direction", w.direction);
  ini.WriteInteger(sec, "directionr", w.directionr);
  ini.WriteInteger(sec, "Membranform", w.Membranform);
  for (const TFloatKey& k : kBaffleFloats) ini.WriteFloat(sec, k.key, w.*k.field);
}

void ReadSchallwand(const TMyIniFile& ini, const std::string& sec, TSchallwand& w, int version) {
  w.beugl = ini.ReadBool(sec, "beugl", true);
  w.beugr = ini.ReadBool(sec, "beugr", true);
  w.beugo = ini.ReadBool(sec, "beugo", true);
  w.beugu = ini.ReadBool(sec, "beugu", true);
  w.usegemgeh = ini.ReadBool(sec, "usegemgeh", version != 1000);
  w.direction = ClampTo<std::int8_t>(ini.ReadInteger(sec, "direction", 0));
  w.directionr = ClampTo<std::int8_t>(ini.ReadInteger(sec, "directionr", 0));
  w.Membranform = ClampTo<std::int8_t>(ini.ReadInteger(sec, "Membranform", 0));
  for (const TFloatKey& k : kBaffleFloats) w.*k.field = ini.ReadFloat(sec, k.key, 0);
}

struct TGemGehKey {
  std::string_view key;
  double TGemGeh::*field;
};

const TGemGehKey kGemGeh[7] = {{"h", &TGemGeh::h},       {"b", &TGemGeh::b},       {"t", &TGemGeh::t},
                               {"fasl", &TGemGeh::fasl}, {"fasr", &TGemGeh::fasr}, {"faso", &TGemGeh::faso},
                               {"fasu", &TGemGeh::fasu}};

// The loops over amplifiers and chassis in use stay inside the record's slots.
int AmpsInUse(const TProjekt& p) { return std::clamp<int>(p.nAmps, 0, kMaxAmps); }
int ChassisInUse(const TProjekt& p) { return std::clamp<int>(p.nChassis, 0, kMaxChassis); }

}  // namespace

void WriteProjectTo(const TProjekt& p, TMyIniFile& ini) {
  ini.WriteInteger("Header", "Version", kProjectFileVersion);
  ini.WriteInteger("General", "nAmps", p.nAmps);
  ini.WriteInteger("General", "nChassis", p.nChassis);
  WriteDisplayOptions(ini, "Option", Anzeige(p), true);
  const int nAmps = AmpsInUse(p);
  const int nChassis = ChassisInUse(p);
  for (int a = 0; a < nAmps; ++a)
    WriteAktFilter(ini, Numbered("AktFilter", a + 1), p.Verstaerker[static_cast<std::size_t>(a)]);
  for (int a = 0; a < nAmps; ++a)
    WriteWeiche(ini, Numbered("Weiche", a + 1), p.Verstaerker[static_cast<std::size_t>(a)].crossover);
  for (int c = 0; c < nChassis; ++c)
    WriteChassisKeys(ini, Numbered("Chassis", c + 1), p.Chassis[static_cast<std::size_t>(c)],
                     TChassisKeyForm::ProjectFile);
  for (const TGemGehKey& k : kGemGeh) ini.WriteFloat("GemGeh", k.key, p.GemGeh.*k.field);
  for (int c = 0; c < nChassis; ++c) WriteEinbau(ini, Numbered("Einbau", c + 1), p.Einbau[static_cast<std::size_t>(c)]);
  for (int c = 0; c < nChassis; ++c)
    WriteSchallwand(ini, Numbered("Schallwand", c + 1), p.Schallwand[static_cast<std::size_t>(c)]);
}

void SaveProject(const TProjekt& p, const fs::path& file) {
  TMyIniFile ini(file, true, true, false);
  WriteProjectTo(p, ini);
  ini.UpdateFile();
}

TProjectLoad LoadProjectFrom(TProjekt& p, const TMyIniFile& ini, const TSettings& settings, TInteraction& ui) {
  const bool empty = ini.KeyCount() == 0;
  // A missing, empty or foreign file gives the default project of the current version.
  const int v = empty ? kProjectFileVersion : ini.ReadInteger("Header", "Version", 0);
  if (v < 1000 || v > kProjectFileVersion) {
    ui.ShowMessage(kWrongDataFormatText);
    return TProjectLoad::WrongVersion;
  }
  // Counts beyond the record's slots cannot be used; they are taken to the
  // nearest count the program offers (1..6 amplifiers, 1..8 chassis).
  p.nAmps = static_cast<std::int16_t>(std::clamp(ini.ReadInteger("General", "nAmps", 1), 1, kMaxAmps));
  p.nChassis = static_cast<std::int16_t>(std::clamp(ini.ReadInteger("General", "nChassis", 1), 1, kMaxChassis));
  p.bSaved = true;

  ReadDisplayOptions(ini, "Option", Anzeige(p));
  if (v <= 1007) p.glatt_a = p.glatt_i = 7.0 * std::log10(p.fMax / p.fMin) / p.sz;
  BuildFreqGrid(p);
  ApplyDisplayDefaults(p, settings);

  for (int a = 0; a < kMaxAmps; ++a)
    ReadAktFilter(ini, Numbered("AktFilter", a + 1), p.Verstaerker[static_cast<std::size_t>(a)]);
  for (int a = 0; a < kMaxAmps; ++a)
    ReadWeiche(ini, Numbered("Weiche", a + 1), p.Verstaerker[static_cast<std::size_t>(a)].crossover);

  for (int c = 0; c < kMaxChassis; ++c)
    ReadChassisKeys(ini, Numbered("Chassis", c + 1), p.Chassis[static_cast<std::size_t>(c)], v,
                    TChassisKeyForm::ProjectFile);
  if (v == 1000) {
    for (int c = 0; c < p.nChassis; ++c) DeriveVersion1000Chassis(p.Chassis[static_cast<std::size_t>(c)]);
  }

  for (const TGemGehKey& k : kGemGeh) p.GemGeh.*k.field = ini.ReadFloat("GemGeh", k.key, 0);
  for (int c = 0; c < p.nChassis; ++c)
    ReadEinbau(ini, Numbered("Einbau", c + 1), p.Einbau[static_cast<std::size_t>(c)]);
  for (int c = 0; c < p.nChassis; ++c)
    ReadSchallwand(ini, Numbered("Schallwand", c + 1), p.Schallwand[static_cast<std::size_t>(c)], v);

  if (ini.HeaderError()) return TProjectLoad::BadHeader;
  return empty ? TProjectLoad::Defaults : TProjectLoad::Loaded;
}

void ApplyDisplayDefaults(TProjekt& p, const TSettings& settings) {
  if (!settings.UseOption) return;
  Anzeige(p) = settings.displayDefaults;
  // The grid follows the display defaults at once, so that it always
  // matches fMin, fMax and sz of the project.
  BuildFreqGrid(p);
}

TProjectLoad LoadProject(TProjekt& p, const fs::path& file, const TSettings& settings, TInteraction& ui) {
  // Nothing is ever written back, so the file is opened for reading only and
  // write-protected projects load as well.
  const TMyIniFile ini(file, true, false, true, &ui);
  return LoadProjectFrom(p, ini, settings, ui);
}

TProjectLoad LoadProjectFile(TProjekt& p, const fs::path& file, const TSettings& settings, TInteraction& ui) {
  std::error_code ec;
  if (!fs::exists(file, ec)) return TProjectLoad::Missing;
  char first = 1;
  {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw TFileError("Datei kann nicht geöffnet werden: " + Utf8FromPath(file));
    in.get(first);
    if (!in) first = 1;  // an empty file has no first byte
  }
  if (first != 0) {
    ui.ShowMessage(Utf8FromPath(file) + "\r" + std::string(kNotAProjectFileText));
    NewProject(p);
    ApplyDisplayDefaults(p, settings);
    return TProjectLoad::NotProjectFile;
  }
  const TProjectLoad result = LoadProject(p, file, settings, ui);
  for (int c = 0; c < kMaxChassis; ++c) {
    TChassis& ch = p.Chassis[static_cast<std::size_t>(c)];
    TEinbau& e = p.Einbau[static_cast<std::size_t>(c)];
    EstimateEnclosureLosses(ch, e);
    DeriveChassisValues(ch, e, 1e-10);
  }
  return result;
}

std::optional<fs::path> ProjectSaveName(const fs::path& chosen) {
  std::string name = Utf8FromPath(chosen);
  std::string upper = name;
  for (char& ch : upper) ch = (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
  if (upper.size() < 4 || upper.compare(upper.size() - 4, 4, ".ZPJ") != 0) name += ".ZPJ";
  if (name.size() <= 4) return std::nullopt;
  return PathFromUtf8(name);
}

}  // namespace sonvex
