#include "model/project_file.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>
#include <vector>

#include "model/chassis_file.h"
#include "model/freq_grid.h"
#include "model/interaction.h"
#include "model/key_io.h"
#include "model/my_ini_file.h"
#include "model/settings.h"

namespace sonvex {

namespace fs = std::filesystem;

namespace {

std::string Numbered(std::string_view name, int n) { return std::string(name) + std::to_string(n); }

// Each record's keys are listed once (see model/key_io.h): `R` is the record
// type, const for writing.

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

template <class Io, class R>
void AktFilterKeys(Io& io, R& v) {
  io.Float("Pegel", v.Pegel, 1.0);
  for (const TFilterKeys& k : kFilters) {
    io.Bool(k.name, v.*k.on, false);
    io.Float(std::string(k.name) + "f", v.*k.f, 100);
    if (k.q != nullptr) io.Float(std::string(k.name) + "q", v.*k.q, 0.7);
  }
}

// --- crossover ---------------------------------------------------------------

// The fields of a part slot, each stored under "_Part" + (slot + 1) + suffix.
enum TPartField { pfTyp, pfBOpti, pfVerpolt, pfChassisnr, pfValue, pfBem, pfRvalue, pfNod1, pfNod2, pfCount };
constexpr std::array<std::string_view, pfCount> kPartFieldSuffix{"_typ", "_bOpti",  "_verpolt", "_chassisnr", "_value",
                                                                 "_bem", "_Rvalue", "_nod1",    "_nod2"};

// A project reads and writes thousands of these keys: they are made once.
const std::string& PartKey(int slot, TPartField field) {
  static const std::vector<std::array<std::string, pfCount>> keys = [] {
    std::vector<std::array<std::string, pfCount>> k(kPartSlots);
    for (int s = 0; s < kPartSlots; ++s)
      for (int f = 0; f < pfCount; ++f)
        k[static_cast<std::size_t>(s)][static_cast<std::size_t>(f)] =
            "_Part" + std::to_string(s + 1) + std::string(kPartFieldSuffix[static_cast<std::size_t>(f)]);
    return k;
  }();
  return keys.at(static_cast<std::size_t>(slot))[field];
}

// The keys of part slot s. A file holds only the keys a part of its type
// uses; reading gives every other field its neutral value. Writing skips
// empty slots altogether (WeicheKeys).
template <class Io, class R>
void PartKeys(Io& io, R& w, int s) {
  if constexpr (Io::kWrites) {
    io.Int(PartKey(s, pfTyp), w._typ, ptNone);
  } else {
    std::int32_t t = ptNone;
    io.Int(PartKey(s, pfTyp), t, ptNone);
    // Codes outside the known part types have no meaning for the editor or
    // the network solver; such a slot reads as empty.
    if (t < ptNone || t > ptAmp) t = ptNone;
    w._typ = static_cast<std::int16_t>(t);
  }
  const int t = w._typ;
  // The mark is written only where it is set.
  if (!Io::kWrites || w._bOpti) io.Bool(PartKey(s, pfBOpti), w._bOpti, false);
  if (t >= ptChass)
    io.Int(PartKey(s, pfVerpolt), w._verpolt, 0);
  else if constexpr (!Io::kWrites)
    w._verpolt = 0;
  if (t == ptChass)
    io.Int(PartKey(s, pfChassisnr), w._chassisnr, 0);
  else if constexpr (!Io::kWrites)
    w._chassisnr = 0;
  if (t >= ptR && t <= ptL) {
    io.Float(PartKey(s, pfValue), w._value, 1.0);
    io.Text(PartKey(s, pfBem), w._bem, "");
  } else if constexpr (!Io::kWrites) {
    w._value = 1.0;
    w._bem = "";  // (Clear() would pass a null pointer to memcpy)
  }
  if (t == ptL)
    io.Float(PartKey(s, pfRvalue), w._Rvalue, 0);
  else if constexpr (!Io::kWrites)
    w._Rvalue = 0;
  // The free wire slots carry their nodes; the grid slots' follow from their
  // position. Only a wire reads them back: other parts in those slots have
  // no use for them.
  if (s >= kGridSlots && (Io::kWrites || t == ptWire)) {
    io.Int(PartKey(s, pfNod1), w._nod1, w._nod1);
    io.Int(PartKey(s, pfNod2), w._nod2, w._nod2);
  }
}

template <class Io, class R>
void WeicheKeys(Io& io, R& parts) {
  if constexpr (!Io::kWrites) {
    for (TWPart& w : parts) w._nod1 = w._nod2 = 0;
    AssignGridNodes(parts);
  }
  for (int s = 0; s < kUsedPartSlots; ++s) {
    auto& w = parts[static_cast<std::size_t>(s)];
    if (Io::kWrites && w._typ < ptWire) continue;
    PartKeys(io, w, s);
  }
}

// --- enclosure and baffle ------------------------------------------------------

template <class Io, class R>
void EinbauKeys(Io& io, R& e) {
  io.Int("Typ", e.Typ, 0);
  io.Float("Vb", e.Vb, 0);
  io.Float("fb", e.fb, 0);
  io.Float("Vbf", e.Vbf, 0);
  io.Float("fbf", e.fbf, 0);
  io.Bool("mbQExpl", e.mbQExpl, false);
  // Explicit values are stored only when they are in force; the damping
  // levels are always stored but count only without explicit values.
  if (e.mbQExpl) {
    io.Float("vV", e.vV, 1.0);
    io.Float("mb", e.mb, 1.0);
    io.Float("fmb", e.fmb, 1.0);
    io.Float("Ql", e.Ql, 0);
    io.Float("Qb", e.Qb, 0);
    io.Float("vVf", e.vVf, 1.0);
    io.Float("Qbf", e.Qbf, 0);
    io.Float("Qk", e.Qk, 0);
    io.Float("Qkf", e.Qkf, 0);
  }
  if (Io::kWrites || !e.mbQExpl) {
    io.Int("Bedv", e.Bedv, 2);
    io.Int("Bedc", e.Bedc, 2);
    io.Int("Bedk", e.Bedk, 0);
    io.Int("Bedvf", e.Bedvf, 0);
    io.Int("Bedkf", e.Bedkf, 0);
  }
}

template <class Io, class R>
void SchallwandKeys(Io& io, R& w, int version) {
  io.Bool("beugl", w.beugl, true);
  io.Bool("beugr", w.beugr, true);
  io.Bool("beugo", w.beugo, true);
  io.Bool("beugu", w.beugu, true);
  io.Bool("usegemgeh", w.usegemgeh, version != 1000);
  io.Int("direction", w.direction, 0);
  io.Int("directionr", w.directionr, 0);
  io.Int("Membranform", w.Membranform, 0);
  io.Float("a", w.a, 0);
  io.Float("b", w.b, 0);
  io.Float("c", w.c, 0);
  io.Float("d", w.d, 0);
  io.Float("e", w.e, 0);
  io.Float("f", w.f, 0);
  io.Float("g", w.g, 0);
  io.Float("h", w.h, 0);
  io.Float("i", w.i, 0);
  io.Float("hor", w.hor, 0);
  io.Float("vert", w.vert, 0);
  io.Float("stra", w.stra, 0);
  io.Float("horr", w.horr, 0);
  io.Float("vertr", w.vertr, 0);
  io.Float("strar", w.strar, 0);
}

template <class Io, class R>
void GemGehKeys(Io& io, R& g) {
  io.Float("h", g.h, 0);
  io.Float("b", g.b, 0);
  io.Float("t", g.t, 0);
  io.Float("fasl", g.fasl, 0);
  io.Float("fasr", g.fasr, 0);
  io.Float("faso", g.faso, 0);
  io.Float("fasu", g.fasu, 0);
}

// Runs a key list on section `sec` of the file in the given direction.
template <class R, class F>
void WriteKeys(TMyIniFile& ini, const std::string& sec, const R& r, F keys) {
  TKeyWriter io(ini, sec);
  keys(io, r);
}
template <class R, class F>
void ReadKeys(const TMyIniFile& ini, const std::string& sec, R& r, F keys) {
  TKeyReader io(ini, sec);
  keys(io, r);
}

}  // namespace

void WriteProjectTo(const TProjekt& p, TMyIniFile& ini) {
  ini.WriteInteger("Header", "Version", kProjectFileVersion);
  ini.WriteInteger("General", "nAmps", p.nAmps);
  ini.WriteInteger("General", "nChassis", p.nChassis);
  WriteDisplayOptions(ini, "Option", Anzeige(p), true);
  const int nAmps = AmpsInUse(p);
  const int nChassis = ChassisInUse(p);
  const auto aktFilter = [](auto& io, auto& amp) { AktFilterKeys(io, amp); };
  const auto weiche = [](auto& io, auto& parts) { WeicheKeys(io, parts); };
  const auto gemGeh = [](auto& io, auto& g) { GemGehKeys(io, g); };
  const auto einbau = [](auto& io, auto& e) { EinbauKeys(io, e); };
  const auto schallwand = [](auto& io, auto& w) { SchallwandKeys(io, w, kProjectFileVersion); };
  for (int a = 0; a < nAmps; ++a)
    WriteKeys(ini, Numbered("AktFilter", a + 1), p.Verstaerker[static_cast<std::size_t>(a)], aktFilter);
  for (int a = 0; a < nAmps; ++a)
    WriteKeys(ini, Numbered("Weiche", a + 1), p.Verstaerker[static_cast<std::size_t>(a)].crossover, weiche);
  for (int c = 0; c < nChassis; ++c)
    WriteChassisKeys(ini, Numbered("Chassis", c + 1), p.Chassis[static_cast<std::size_t>(c)],
                     TChassisKeyForm::ProjectFile);
  WriteKeys(ini, "GemGeh", p.GemGeh, gemGeh);
  for (int c = 0; c < nChassis; ++c)
    WriteKeys(ini, Numbered("Einbau", c + 1), p.Einbau[static_cast<std::size_t>(c)], einbau);
  for (int c = 0; c < nChassis; ++c)
    WriteKeys(ini, Numbered("Schallwand", c + 1), p.Schallwand[static_cast<std::size_t>(c)], schallwand);
}

void SaveProject(const TProjekt& p, const fs::path& file) {
  TMyIniFile ini(file, true, true, false);
  WriteProjectTo(p, ini);
  ini.UpdateFile();
}

TProjectLoad ReadProjectFrom(TProjekt& p, const TMyIniFile& ini, const TSettings& settings, TInteraction& ui) {
  // A file cut short loads what it holds, with a warning: the keys of the
  // missing end take their defaults. (A file with a wrong header has shown
  // its own message.)
  if (ini.Truncated() && !ini.HeaderError()) ui.ShowMessage(IncompleteFileText("Projektdatei", ini.FileName()));
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

  const auto aktFilter = [](auto& io, auto& amp) { AktFilterKeys(io, amp); };
  const auto weiche = [](auto& io, auto& parts) { WeicheKeys(io, parts); };
  const auto gemGeh = [](auto& io, auto& g) { GemGehKeys(io, g); };
  const auto einbau = [](auto& io, auto& e) { EinbauKeys(io, e); };
  const auto schallwand = [v](auto& io, auto& wall) { SchallwandKeys(io, wall, v); };
  for (int a = 0; a < kMaxAmps; ++a)
    ReadKeys(ini, Numbered("AktFilter", a + 1), p.Verstaerker[static_cast<std::size_t>(a)], aktFilter);
  for (int a = 0; a < kMaxAmps; ++a)
    ReadKeys(ini, Numbered("Weiche", a + 1), p.Verstaerker[static_cast<std::size_t>(a)].crossover, weiche);

  for (int c = 0; c < kMaxChassis; ++c)
    ReadChassisKeys(ini, Numbered("Chassis", c + 1), p.Chassis[static_cast<std::size_t>(c)], v,
                    TChassisKeyForm::ProjectFile);

  ReadKeys(ini, "GemGeh", p.GemGeh, gemGeh);
  for (int c = 0; c < ChassisInUse(p); ++c)
    ReadKeys(ini, Numbered("Einbau", c + 1), p.Einbau[static_cast<std::size_t>(c)], einbau);
  for (int c = 0; c < ChassisInUse(p); ++c)
    ReadKeys(ini, Numbered("Schallwand", c + 1), p.Schallwand[static_cast<std::size_t>(c)], schallwand);

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

std::optional<fs::path> ProjectSaveName(const fs::path& chosen) {
  std::string name = Utf8FromPath(chosen);
  std::string upper = name;
  for (char& ch : upper) ch = (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
  if (upper.size() < 4 || upper.compare(upper.size() - 4, 4, ".ZPJ") != 0) name += ".ZPJ";
  if (name.size() <= 4) return std::nullopt;
  return PathFromUtf8(name);
}

}  // namespace sonvex
