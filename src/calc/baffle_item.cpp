#include "calc/baffle_item.h"

#include "acoustics/baffle.h"
#include "acoustics/cabinet.h"
#include "acoustics/polar_directions.h"

namespace sonvex {

std::string BaffleItem(const Project& p, int c, CalcResult& r) {
  // What the state says when the baffle model itself breaks down without a
  // message of its own (a chosen text: the model normally reports in words).
  const auto fail = [c](const std::string& text) { return "Fehler: Chassis " + std::to_string(c + 1) + ": " + text; };
  if (c < 0 || c >= kChassisSlots) return fail("Schallwand kann nicht berechnet werden.");
  std::string state;
  try {
    state = ComputeBaffle(p.baffles[c], p.freq, kFreqEntries - 1, p.chassis[c].sourceDepth, r.directionsFront[c]);
  } catch (...) {
    state = "Schallwand kann nicht berechnet werden.";
  }
  // A port on the cabinet must lie on its face as the chassis must; a baffle of
  // its own says nothing about where its port lies.
  const Baffle& baffle = p.baffles[c];
  if (baffle.useCabinet && HasCabinetPort(p.enclosures[c].type) && !PortOnBaffle(baffle)) {
    const std::string port = "Position der Reflexöffnung auf der Schallwand geometrisch nicht möglich. ";
    state = IsFailureText(state) ? state + port : port;
  }
  // A new project's chassis follow the common cabinet, which has no size
  // yet: the message says where the greyed baffle values come from.
  const Cabinet& cabinet = p.cabinet;
  if (baffle.useCabinet && IsFailureText(state) && !(cabinet.height > 0 && cabinet.width > 0 && cabinet.depth > 0) &&
      !(baffle.height > 0 && baffle.width > 0))
    state = kNoCabinetSizeText;
  if (IsFailureText(state)) state = fail(state);
  // The table is kept whatever the text says.
  r.directionsRear[c] = r.directionsFront[c];
  if (p.baffles[c].rearDirection == 1) MirrorDirections(r.directionsRear[c]);
  // Measured off-axis responses replace the front sound's directions; the
  // rear sound of a port keeps the model. The set was measured from the
  // listening axis of the box, so it applies to the table as turned.
  r.polarMeasured[c] = 0;
  if (!IsFailureText(state) && PolarSetInUse(p.chassis[c]))
    r.polarMeasured[c] = ApplyPolarSet(p.chassis[c].polar, p.freq, kFreqEntries - 1, r.directionsFront[c]);
  return state;
}

}  // namespace sonvex
