#include "model/project.h"

#include <algorithm>
#include <span>
#include <utility>

#include "numeric/log_grid.h"

namespace sonvex {

const std::array<std::string_view, kChassisCategoryCount> kChassisCategoryNames = {
    "unbekannt",       "Breitbänder",         "Tieftöner",
    "Tiefmitteltöner", "Konusmitteltöner",    "Kalottenmitteltöner",
    "Hornmitteltöner", "Bändchenhochtöner",   "Kalottenhochtöner",
    "Hornhochtöner",   "Konushochtöner",      "Piezos",
    "Koaxialsysteme",  "Magnet. abgeschirmt", "Deckenlautsprecher",
    "Musikerchassis",  "Wasserfeste Chassis", "Druckkammerhörner",
    "Musikerchassis",  "Körperschallwandler", "Archiv",
    // bits 21..31 have no name
};

Chassis DefaultChassis() {
  Chassis c;
  c.responseSource = 5;
  c.Re2 = 0.001;
  c.Re3 = 0.001;
  c.Le2 = 0.000001;
  c.Le3 = 0.000001;
  c.filters = 119;
  c.publicationDate = "01.01.2000";
  return c;
}

namespace {

// The cleared records of slot 8: every number 0, every boolean false.
Enclosure ClearedEnclosure() {
  Enclosure e;
  e.volumeFactor = e.airMassFactor = e.airMassCornerFreq = e.frontVolumeFactor = 0.0;
  e.dampingVolume = e.dampingNearChassis = 0;
  return e;
}

Baffle ClearedBaffle() {
  Baffle s;
  s.diffractLeft = s.diffractRight = s.diffractTop = s.diffractBottom = false;
  s.useCabinet = false;
  return s;
}

}  // namespace

void BuildFreqGrid(Project& p) {
  const int n = std::clamp(p.gridPoints, 1, kMaxGridPoints + 1);
  LogGrid(p.fMin, p.fMax, std::span<double>(p.freq.data(), static_cast<std::size_t>(n)));
  p.freq[n] = 0.0;
}

void NewProject(Project& p) {
  p.ampCount = 1;
  p.chassisCount = 1;
  p.saved = false;
  p.freq.fill(0.0);
  DisplayOptionsOf(p) = DisplayOptions{};
  for (Amplifier& v : p.amplifiers) v = Amplifier{};
  p.chassis[0] = DefaultChassis();
  p.enclosures[0] = Enclosure{};
  p.baffles[0] = Baffle{};
  p.cabinet = Cabinet{};
  BuildFreqGrid(p);
  for (int c = 1; c < kMaxChassis; ++c) {
    p.chassis[c] = p.chassis[0];
    p.enclosures[c] = p.enclosures[0];
    p.baffles[c] = p.baffles[0];
  }
  p.chassis[kChassisSlots - 1] = Chassis{};
  p.enclosures[kChassisSlots - 1] = ClearedEnclosure();
  p.baffles[kChassisSlots - 1] = ClearedBaffle();
}

std::unique_ptr<Project> MakeNewProject() {
  auto p = std::make_unique<Project>();
  NewProject(*p);
  return p;
}

void SwapChassis(Project& p, int slotA, int slotB, bool withEnclosure, bool withBaffle) {
  if (slotA < 0 || slotB < 0 || slotA >= kChassisSlots || slotB >= kChassisSlots || slotA == slotB) return;
  std::swap(p.chassis[slotA], p.chassis[slotB]);
  if (withEnclosure) std::swap(p.enclosures[slotA], p.enclosures[slotB]);
  if (withBaffle) std::swap(p.baffles[slotA], p.baffles[slotB]);
}

void CopyChassis(Project& p, int from, int to, bool withEnclosure, bool withBaffle) {
  if (from < 0 || to < 0 || from >= kChassisSlots || to >= kChassisSlots || from == to) return;
  p.chassis[to] = p.chassis[from];
  p.baffles[to].outletDiameter = p.baffles[from].outletDiameter;
  if (withEnclosure) p.enclosures[to] = p.enclosures[from];
  if (withBaffle) p.baffles[to] = p.baffles[from];
}

}  // namespace sonvex
