#include "calc/baffle_item.h"

#include "acoustics/baffle.h"
#include "acoustics/cabinet.h"

namespace sonvex {

std::string BaffleItem(const TProjekt& p, int c, TResult& r) {
  // What the state says when the baffle model itself breaks down without a
  // message of its own (a chosen text: the model normally reports in words).
  const auto fail = [c](const std::string& text) { return "Fehler: Chassis " + std::to_string(c + 1) + ": " + text; };
  if (c < 0 || c >= kChassisSlots) return fail("Schallwand kann nicht berechnet werden.");
  std::string state;
  try {
    state = ComputeBaffle(p.Schallwand[c], p.freq, kFreqEntries - 1, p.Chassis[c].seo, r.DirFront[c]);
  } catch (...) {
    state = "Schallwand kann nicht berechnet werden.";
  }
  // A port on the box must lie on its face as the chassis must; a baffle of
  // its own says nothing about where its port lies.
  const TSchallwand& w = p.Schallwand[c];
  if (w.usegemgeh && HasCabinetPort(p.Einbau[c].Typ) && !PortOnBaffle(w)) {
    const std::string port = "Position der Reflexöffnung auf der Schallwand geometrisch nicht möglich. ";
    state = IsFailureText(state) ? state + port : port;
  }
  // A new project's chassis follow the common cabinet, which has no size
  // yet: the message says where the greyed baffle values come from.
  const TGemGeh& box = p.GemGeh;
  if (w.usegemgeh && IsFailureText(state) && !(box.h > 0 && box.b > 0 && box.t > 0) && !(w.h > 0 && w.b > 0))
    state = kNoCabinetSizeText;
  if (IsFailureText(state)) state = fail(state);
  // The table is kept whatever the text says.
  r.DirRear[c] = r.DirFront[c];
  if (p.Schallwand[c].directionr == 1) MirrorDirections(r.DirRear[c]);
  return state;
}

}  // namespace sonvex
