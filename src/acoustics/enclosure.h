#pragma once
// Enclosure types of a chassis: the element values of the equivalent circuit
// seen from the voice coil, the estimate of air load, volume increase and
// losses from the damping levels, the enclosures of the measuring conditions
// and the motional network of each enclosure type.
#include "model/project.h"
#include "numeric/complex.h"

namespace sonvex {

// Enclosure type codes (Enclosure::Typ).
inline constexpr int kTypeIntegrated = 0;  // own closed back, contained in the chassis parameters
inline constexpr int kTypeClosed = 1;      // closed box
inline constexpr int kTypeVented = 2;      // vented box
inline constexpr int kTypeBandpass = 3;    // closed rear chamber, vented front chamber
inline constexpr int kTypeBandpassBi = 4;  // vented rear and vented front chamber

// The chassis values the derived values are computed from.
struct ThieleSmall {
  double fs = 0, Qes = 0, Qms = 0, Vas = 0, Re = 0, Sd = 0;
};
inline ThieleSmall ThieleSmallOf(const Chassis& c) { return {c.fs, c.Qes, c.Qms, c.Vas, c.Re, c.Sd}; }

// Computes every derived value of a chassis in enclosure `enclosure` at frequency f
// (Hz) into `d`. `Vabf` is written only for the band-pass types and keeps its
// value otherwise. Undefined elements get the marker values 1e99 (open
// resistance, missing inductance), 1e-99/1e-105 (practically zero) and 1e102
// (the inductance of an absent chamber). Works without allocation.
void DeriveChassisValues(const ThieleSmall& ts, const Enclosure& enclosure, double f, ChassisDerived& d);
// The same on a chassis record: writes its derived-value area. Editors and the
// project loader pass f = 1e-10 for the values of the low-frequency limit.
void DeriveChassisValues(Chassis& c, const Enclosure& enclosure, double f);
// The derived values of every chassis slot in use from its enclosure, as a
// loaded project has them: they follow from the records and are never
// compared, stored in files or kept in undo steps.
void DeriveChassisValues(Project& p);

// When `explicitValues` is false, overwrites vV, mb, fmb, Ql, Qb, vVf, QbFront, Qk and
// Qkf of the enclosure with the estimate from its damping levels and the
// chassis's Sd, fs and Vas. Changes nothing when `explicitValues` is true.
void EstimateEnclosureLosses(const Chassis& c, Enclosure& enclosure);

// Replaces the enclosure by the one a measured response was taken in
// (`which` = the chassis's responseSource, 1..7; other values change nothing).
void MeasurementEnclosure(Enclosure& enclosure, int which);

// Motional impedance of chassis and enclosure, and the transfer factors of the
// front output (diaphragm or front port) and of the rear port.
struct EnclosureNetworkResult {
  Complex Zmot{};
  Complex Tf{};
  Complex Tr{};  // meaningful only when hasRear
  bool hasRear = false;
};
// The network of enclosure type `type` at angular frequency `omega` with the
// derived values `d` of that frequency. Unknown types give kComplexZero throughout.
EnclosureNetworkResult EnclosureNetwork(int type, const ChassisDerived& d, double omega);

}  // namespace sonvex
