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

TChassis DefaultChassis() {
  TChassis c;
  c.fgang_which = 5;
  c.Re2 = 0.001;
  c.Re3 = 0.001;
  c.Le2 = 0.000001;
  c.Le3 = 0.000001;
  c.Filters = 119;
  c.pubdate = "01.01.2000";
  return c;
}

namespace {

// The cleared records of slot 8: every number 0, every boolean false.
TEinbau ClearedEinbau() {
  TEinbau e;
  e.vV = e.mb = e.fmb = e.vVf = 0.0;
  e.Bedv = e.Bedc = 0;
  return e;
}

TSchallwand ClearedSchallwand() {
  TSchallwand s;
  s.beugl = s.beugr = s.beugo = s.beugu = false;
  s.usegemgeh = false;
  return s;
}

}  // namespace

void BuildFreqGrid(TProjekt& p) {
  const int n = std::clamp(p.sz, 1, kMaxGridPoints + 1);
  LogGrid(p.fMin, p.fMax, std::span<double>(p.freq.data(), static_cast<std::size_t>(n)));
  p.freq[n] = 0.0;
}

void NewProject(TProjekt& p) {
  p.nAmps = 1;
  p.nChassis = 1;
  p.bSaved = false;
  p.freq.fill(0.0);
  Anzeige(p) = TDisplayOptions{};
  for (TVerstaerker& v : p.Verstaerker) v = TVerstaerker{};
  p.Chassis[0] = DefaultChassis();
  p.Einbau[0] = TEinbau{};
  p.Schallwand[0] = TSchallwand{};
  p.GemGeh = TGemGeh{};
  BuildFreqGrid(p);
  for (int c = 1; c < kMaxChassis; ++c) {
    p.Chassis[c] = p.Chassis[0];
    p.Einbau[c] = p.Einbau[0];
    p.Schallwand[c] = p.Schallwand[0];
  }
  p.Chassis[kChassisSlots - 1] = TChassis{};
  p.Einbau[kChassisSlots - 1] = ClearedEinbau();
  p.Schallwand[kChassisSlots - 1] = ClearedSchallwand();
}

std::unique_ptr<TProjekt> MakeNewProject() {
  auto p = std::make_unique<TProjekt>();
  NewProject(*p);
  return p;
}

void SwapChassis(TProjekt& p, int slotA, int slotB, bool withEinbau, bool withSchallwand) {
  if (slotA < 0 || slotB < 0 || slotA >= kChassisSlots || slotB >= kChassisSlots || slotA == slotB) return;
  std::swap(p.Chassis[slotA], p.Chassis[slotB]);
  if (withEinbau) std::swap(p.Einbau[slotA], p.Einbau[slotB]);
  if (withSchallwand) std::swap(p.Schallwand[slotA], p.Schallwand[slotB]);
}

void CopyChassis(TProjekt& p, int from, int to, bool withEinbau, bool withSchallwand) {
  if (from < 0 || to < 0 || from >= kChassisSlots || to >= kChassisSlots || from == to) return;
  p.Chassis[to] = p.Chassis[from];
  p.Schallwand[to].d = p.Schallwand[from].d;
  if (withEinbau) p.Einbau[to] = p.Einbau[from];
  if (withSchallwand) p.Schallwand[to] = p.Schallwand[from];
}

}  // namespace sonvex
