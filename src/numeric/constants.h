#pragma once
// The model's named constants. The short values of π are part of the results
// (phase terms, file conversions): keep each where it is used, and never
// replace one by another.
#include <numbers>

namespace sonvex {

// π to the precision of the library.
inline constexpr double kPi = std::numbers::pi;
// The short π of the acoustic phase terms (baffle, chassis rear sound, tilt
// sums, chart phases, polar angles, the voice-coil fit's third section).
inline constexpr double kPiShort = 3.14159;
// The π the files' phase curves were always converted with between degrees
// and radians; also that of the excursion reference.
inline constexpr double kPiFile = 3.1415926;
// Speed of sound in air, m/s.
inline constexpr double kSpeedOfSound = 344.0;

// Marker values of quantities that cannot be computed or do not exist.
// "Practically nothing": an absent direction of a baffle table, the stand-in
// for a zero magnitude in the network solver, the smallest rounded part value.
inline constexpr double kAbsent = 1e-100;
// An open resistance, a missing inductance or compliance, an endless volume.
inline constexpr double kOpenMarker = 1e99;
// A practically vanishing resistance.
inline constexpr double kZeroMarker = 1e-99;
// The compliance of an absent chamber.
inline constexpr double kNoChamberCompliance = 1e-105;
// The inductance of an absent chamber.
inline constexpr double kNoChamberInductance = 1e102;

}  // namespace sonvex
