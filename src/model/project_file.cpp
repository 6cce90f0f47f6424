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

struct FilterKeys {
  std::string_view name;  // switch key; frequency key = name + "f", quality key = name + "q"
  bool Amplifier::*on;
  double Amplifier::*f;
  double Amplifier::*q;  // null for the first-order filters
};

const FilterKeys kFilters[6] = {
    {"HP6", &Amplifier::highPass6On, &Amplifier::highPass6F, nullptr},
    {"HP121", &Amplifier::highPass12aOn, &Amplifier::highPass12aF, &Amplifier::highPass12aQ},
    {"HP122", &Amplifier::highPass12bOn, &Amplifier::highPass12bF, &Amplifier::highPass12bQ},
    {"TP6", &Amplifier::lowPass6On, &Amplifier::lowPass6F, nullptr},
    {"TP121", &Amplifier::lowPass12aOn, &Amplifier::lowPass12aF, &Amplifier::lowPass12aQ},
    {"TP122", &Amplifier::lowPass12bOn, &Amplifier::lowPass12bF, &Amplifier::lowPass12bQ},
};

template <class Io, class R>
void ActiveFilterKeys(Io& io, R& v) {
  io.Float("Pegel", v.level, 1.0);
  for (const FilterKeys& k : kFilters) {
    io.Bool(k.name, v.*k.on, false);
    io.Float(std::string(k.name) + "f", v.*k.f, 100);
    if (k.q != nullptr) io.Float(std::string(k.name) + "q", v.*k.q, 0.7);
  }
}

// --- crossover ---------------------------------------------------------------

// The fields of a part slot, each stored under "_Part" + (slot + 1) + suffix.
enum PartField {
  FieldType,
  FieldOptimize,
  FieldPolarity,
  FieldChassisSlot,
  FieldValue,
  FieldNote,
  FieldResistance,
  FieldNode1,
  FieldNode2,
  FieldCount
};
constexpr std::array<std::string_view, FieldCount> kPartFieldSuffix{
    "_typ", "_bOpti", "_verpolt", "_chassisnr", "_value", "_bem", "_Rvalue", "_nod1", "_nod2"};

// A project reads and writes thousands of these keys: they are made once.
const std::string& PartKey(int slot, PartField field) {
  static const std::vector<std::array<std::string, FieldCount>> kKeys = [] {
    std::vector<std::array<std::string, FieldCount>> k(kPartSlots);
    for (int s = 0; s < kPartSlots; ++s)
      for (int f = 0; f < FieldCount; ++f)
        k[static_cast<std::size_t>(s)][static_cast<std::size_t>(f)] =
            "_Part" + std::to_string(s + 1) + std::string(kPartFieldSuffix[static_cast<std::size_t>(f)]);
    return k;
  }();
  return kKeys.at(static_cast<std::size_t>(slot))[field];
}

// The keys of part slot s. A file holds only the keys a part of its type
// uses; reading gives every other field its neutral value. Writing skips
// empty slots altogether (CrossoverKeys).
template <class Io, class R>
void PartKeys(Io& io, R& w, int s) {
  if constexpr (Io::kWrites) {
    io.Int(PartKey(s, FieldType), w.type, PartNone);
  } else {
    std::int32_t t = PartNone;
    io.Int(PartKey(s, FieldType), t, PartNone);
    // Codes outside the known part types have no meaning for the editor or
    // the network solver; such a slot reads as empty.
    if (t < PartNone || t > PartAmplifier) t = PartNone;
    w.type = static_cast<std::int16_t>(t);
  }
  const int t = w.type;
  // The mark is written only where it is set.
  if (!Io::kWrites || w.optimize) io.Bool(PartKey(s, FieldOptimize), w.optimize, false);
  if (t >= PartChassis)
    io.Int(PartKey(s, FieldPolarity), w.reversedPolarity, 0);
  else if constexpr (!Io::kWrites)
    w.reversedPolarity = 0;
  if (t == PartChassis)
    io.Int(PartKey(s, FieldChassisSlot), w.chassisSlot, 0);
  else if constexpr (!Io::kWrites)
    w.chassisSlot = 0;
  if (t >= PartResistor && t <= PartInductor) {
    io.Float(PartKey(s, FieldValue), w.value, 1.0);
    io.Text(PartKey(s, FieldNote), w.note, "");
  } else if constexpr (!Io::kWrites) {
    w.value = 1.0;
    w.note = "";  // (Clear() would pass a null pointer to memcpy)
  }
  if (t == PartInductor)
    io.Float(PartKey(s, FieldResistance), w.resistance, 0);
  else if constexpr (!Io::kWrites)
    w.resistance = 0;
  // The free wire slots carry their nodes; the grid slots' follow from their
  // position. Only a wire reads them back: other parts in those slots have
  // no use for them.
  if (s >= kGridSlots && (Io::kWrites || t == PartWire)) {
    io.Int(PartKey(s, FieldNode1), w.node1, w.node1);
    io.Int(PartKey(s, FieldNode2), w.node2, w.node2);
  }
}

template <class Io, class R>
void CrossoverKeys(Io& io, R& parts) {
  if constexpr (!Io::kWrites) {
    for (CrossoverPart& w : parts) w.node1 = w.node2 = 0;
    AssignGridNodes(parts);
  }
  for (int s = 0; s < kUsedPartSlots; ++s) {
    auto& w = parts[static_cast<std::size_t>(s)];
    if (Io::kWrites && w.type < PartWire) continue;
    PartKeys(io, w, s);
  }
}

// --- enclosure and baffle ------------------------------------------------------

template <class Io, class R>
void EnclosureKeys(Io& io, R& e) {
  io.Int("Typ", e.type, 0);
  io.Float("Vb", e.Vb, 0);
  io.Float("fb", e.fb, 0);
  io.Float("Vbf", e.VbFront, 0);
  io.Float("fbf", e.fbFront, 0);
  io.Bool("mbQExpl", e.explicitValues, false);
  // Explicit values are stored only when they are in force; the damping
  // levels are always stored but count only without explicit values.
  if (e.explicitValues) {
    io.Float("vV", e.volumeFactor, 1.0);
    io.Float("mb", e.airMassFactor, 1.0);
    io.Float("fmb", e.airMassCornerFreq, 1.0);
    io.Float("Ql", e.Ql, 0);
    io.Float("Qb", e.Qb, 0);
    io.Float("vVf", e.frontVolumeFactor, 1.0);
    io.Float("Qbf", e.QbFront, 0);
    io.Float("Qk", e.Qp, 0);
    io.Float("Qkf", e.QpFront, 0);
  }
  if (Io::kWrites || !e.explicitValues) {
    io.Int("Bedv", e.dampingVolume, 2);
    io.Int("Bedc", e.dampingNearChassis, 2);
    io.Int("Bedk", e.dampingPort, 0);
    io.Int("Bedvf", e.dampingFrontVolume, 0);
    io.Int("Bedkf", e.dampingFrontPort, 0);
  }
}

template <class Io, class R>
void BaffleKeys(Io& io, R& w, int version) {
  io.Bool("beugl", w.diffractLeft, true);
  io.Bool("beugr", w.diffractRight, true);
  io.Bool("beugo", w.diffractTop, true);
  io.Bool("beugu", w.diffractBottom, true);
  io.Bool("usegemgeh", w.useCabinet, version != 1000);
  io.Int("direction", w.direction, 0);
  io.Int("directionr", w.rearDirection, 0);
  io.Int("Membranform", w.diaphragmShape, 0);
  io.Float("a", w.bottomDistance, 0);
  io.Float("b", w.width, 0);
  io.Float("c", w.leftDistance, 0);
  io.Float("d", w.outletDiameter, 0);
  io.Float("e", w.chamferLeft, 0);
  io.Float("f", w.chamferRight, 0);
  io.Float("g", w.chamferTop, 0);
  io.Float("h", w.height, 0);
  io.Float("i", w.chamferBottom, 0);
  io.Float("hor", w.horizontal, 0);
  io.Float("vert", w.vertical, 0);
  io.Float("stra", w.forward, 0);
  io.Float("horr", w.rearHorizontal, 0);
  io.Float("vertr", w.rearVertical, 0);
  io.Float("strar", w.rearForward, 0);
}

template <class Io, class R>
void CabinetKeys(Io& io, R& g) {
  io.Float("h", g.height, 0);
  io.Float("b", g.width, 0);
  io.Float("t", g.depth, 0);
  io.Float("fasl", g.chamferLeft, 0);
  io.Float("fasr", g.chamferRight, 0);
  io.Float("faso", g.chamferTop, 0);
  io.Float("fasu", g.chamferBottom, 0);
}

// Runs a key list on section `sec` of the file in the given direction.
template <class R, class F>
void WriteKeys(MyIniFile& ini, const std::string& sec, const R& r, F keys) {
  KeyWriter io(ini, sec);
  keys(io, r);
}
template <class R, class F>
void ReadKeys(const MyIniFile& ini, const std::string& sec, R& r, F keys) {
  KeyReader io(ini, sec);
  keys(io, r);
}

}  // namespace

void WriteProjectTo(const Project& p, MyIniFile& ini) {
  ini.WriteInteger("Header", "Version", kProjectFileVersion);
  ini.WriteInteger("General", "nAmps", p.ampCount);
  ini.WriteInteger("General", "nChassis", p.chassisCount);
  WriteDisplayOptions(ini, "Option", DisplayOptionsOf(p), true);
  const int ampCount = AmpsInUse(p);
  const int chassisCount = ChassisInUse(p);
  const auto activeFilter = [](auto& io, auto& amp) { ActiveFilterKeys(io, amp); };
  const auto crossover = [](auto& io, auto& parts) { CrossoverKeys(io, parts); };
  const auto cabinet = [](auto& io, auto& g) { CabinetKeys(io, g); };
  const auto enclosure = [](auto& io, auto& e) { EnclosureKeys(io, e); };
  const auto baffle = [](auto& io, auto& w) { BaffleKeys(io, w, kProjectFileVersion); };
  for (int a = 0; a < ampCount; ++a)
    WriteKeys(ini, Numbered("AktFilter", a + 1), p.amplifiers[static_cast<std::size_t>(a)], activeFilter);
  for (int a = 0; a < ampCount; ++a)
    WriteKeys(ini, Numbered("Weiche", a + 1), p.amplifiers[static_cast<std::size_t>(a)].crossover, crossover);
  for (int c = 0; c < chassisCount; ++c)
    WriteChassisKeys(ini, Numbered("Chassis", c + 1), p.chassis[static_cast<std::size_t>(c)],
                     ChassisKeyForm::ProjectFile);
  WriteKeys(ini, "GemGeh", p.cabinet, cabinet);
  for (int c = 0; c < chassisCount; ++c)
    WriteKeys(ini, Numbered("Einbau", c + 1), p.enclosures[static_cast<std::size_t>(c)], enclosure);
  for (int c = 0; c < chassisCount; ++c)
    WriteKeys(ini, Numbered("Schallwand", c + 1), p.baffles[static_cast<std::size_t>(c)], baffle);
}

void SaveProject(const Project& p, const fs::path& file) {
  MyIniFile ini(file, true, true, false);
  WriteProjectTo(p, ini);
  ini.UpdateFile();
}

ProjectLoadResult ReadProjectFrom(Project& p, const MyIniFile& ini, const Settings& settings, Interaction& ui) {
  // A file cut short loads what it holds, with a warning: the keys of the
  // missing end take their defaults. (A file with a wrong header has shown
  // its own message.)
  if (ini.Truncated() && !ini.HeaderError()) ui.ShowMessage(IncompleteFileText("Projektdatei", ini.FileName()));
  const bool empty = ini.KeyCount() == 0;
  // A missing, empty or foreign file gives the default project of the current version.
  const int v = empty ? kProjectFileVersion : ini.ReadInteger("Header", "Version", 0);
  if (v < 1000 || v > kProjectFileVersion) {
    ui.ShowMessage(kWrongDataFormatText);
    return ProjectLoadResult::WrongVersion;
  }
  // Counts beyond the record's slots cannot be used; they are taken to the
  // nearest count the program offers (1..6 amplifiers, 1..8 chassis).
  p.ampCount = static_cast<std::int16_t>(std::clamp(ini.ReadInteger("General", "nAmps", 1), 1, kMaxAmps));
  p.chassisCount = static_cast<std::int16_t>(std::clamp(ini.ReadInteger("General", "nChassis", 1), 1, kMaxChassis));
  p.saved = true;

  ReadDisplayOptions(ini, "Option", DisplayOptionsOf(p));
  if (v <= 1007) p.smoothingAmplitude = p.smoothingImpedance = 7.0 * std::log10(p.fMax / p.fMin) / p.gridPoints;
  BuildFreqGrid(p);
  ApplyDisplayDefaults(p, settings);

  const auto activeFilter = [](auto& io, auto& amp) { ActiveFilterKeys(io, amp); };
  const auto crossover = [](auto& io, auto& parts) { CrossoverKeys(io, parts); };
  const auto cabinet = [](auto& io, auto& g) { CabinetKeys(io, g); };
  const auto enclosure = [](auto& io, auto& e) { EnclosureKeys(io, e); };
  const auto baffle = [v](auto& io, auto& wall) { BaffleKeys(io, wall, v); };
  for (int a = 0; a < kMaxAmps; ++a)
    ReadKeys(ini, Numbered("AktFilter", a + 1), p.amplifiers[static_cast<std::size_t>(a)], activeFilter);
  for (int a = 0; a < kMaxAmps; ++a)
    ReadKeys(ini, Numbered("Weiche", a + 1), p.amplifiers[static_cast<std::size_t>(a)].crossover, crossover);

  for (int c = 0; c < kMaxChassis; ++c)
    ReadChassisKeys(ini, Numbered("Chassis", c + 1), p.chassis[static_cast<std::size_t>(c)], v,
                    ChassisKeyForm::ProjectFile);

  ReadKeys(ini, "GemGeh", p.cabinet, cabinet);
  for (int c = 0; c < ChassisInUse(p); ++c)
    ReadKeys(ini, Numbered("Einbau", c + 1), p.enclosures[static_cast<std::size_t>(c)], enclosure);
  for (int c = 0; c < ChassisInUse(p); ++c)
    ReadKeys(ini, Numbered("Schallwand", c + 1), p.baffles[static_cast<std::size_t>(c)], baffle);

  if (ini.HeaderError()) return ProjectLoadResult::BadHeader;
  return empty ? ProjectLoadResult::Defaults : ProjectLoadResult::Loaded;
}

void ApplyDisplayDefaults(Project& p, const Settings& settings) {
  if (!settings.useDisplayDefaults) return;
  DisplayOptionsOf(p) = settings.displayDefaults;
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
