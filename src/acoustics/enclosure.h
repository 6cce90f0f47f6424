#pragma once
// Enclosure types of a chassis: the element values of the equivalent circuit
// seen from the voice coil, the estimate of air load, volume increase and
// losses from the damping levels, the enclosures of the measuring conditions
// and the motional network of each enclosure type.
#include "model/project.h"
#include "numeric/complex.h"

namespace sonvex {

// Enclosure type codes (TEinbau::Typ).
inline constexpr int kTypIntegrated = 0;  // own closed back, contained in the chassis parameters
inline constexpr int kTypClosed = 1;      // closed box
inline constexpr int kTypVented = 2;      // vented box
inline constexpr int kTypBandpass = 3;    // closed rear chamber, vented front chamber
inline constexpr int kTypBandpassBi = 4;  // vented rear and vented front chamber

// The chassis values the derived values are computed from.
struct TThieleSmall {
  double fs = 0, Qes = 0, Qms = 0, Vas = 0, Re = 0, Amem = 0;
};
inline TThieleSmall ThieleSmallOf(const TChassis& c) { return {c.fs, c.Qes, c.Qms, c.Vas, c.Re, c.Amem}; }

// Computes every derived value of a chassis in enclosure `e` at frequency f
// (Hz) into `d`. `Vabf` is written only for the band-pass types and keeps its
// value otherwise. Undefined elements get the marker values 1e99 (open
// resistance, missing inductance), 1e-99/1e-105 (practically zero) and 1e102
// (the inductance of an absent chamber). Works without allocation.
void DeriveChassisValues(const TThieleSmall& ts, const TEinbau& e, double f, TChassisDerived& d);
// The same on a chassis record: writes its derived-value area. Editors and the
// project loader pass f = 1e-10 for the values of the low-frequency limit.
void DeriveChassisValues(TChassis& c, const TEinbau& e, double f);

// When `mbQExpl` is false, overwrites vV, mb, fmb, Ql, Qb, vVf, Qbf, Qk and
// Qkf of the enclosure with the estimate from its damping levels and the
// chassis's Amem, fs and Vas. Changes nothing when `mbQExpl` is true.
void EstimateEnclosureLosses(const TChassis& c, TEinbau& e);

// Replaces the enclosure by the one a measured response was taken in
// (`which` = the chassis's fgang_which, 1..7; other values change nothing).
void MeasurementEnclosure(TEinbau& e, int which);

// Motional impedance of chassis and enclosure, and the transfer factors of the
// front output (diaphragm or front port) and of the rear port.
struct TEnclosureNetwork {
  TComplex Zmot{};
  TComplex Tf{};
  TComplex Tr{};  // meaningful only when hasRear
  bool hasRear = false;
};
// The network of enclosure type `typ` at angular frequency `omega` with the
// derived values `d` of that frequency. Unknown types give CZero throughout.
TEnclosureNetwork EnclosureNetwork(int typ, const TChassisDerived& d, double omega);

}  // namespace sonvex
