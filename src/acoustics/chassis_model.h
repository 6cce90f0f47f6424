#pragma once
// Equivalent-circuit model of one chassis in its enclosure over the frequency
// grid, and the interpolation of measured curves.
#include <span>
#include <string>

#include "model/project.h"
#include "model/result.h"

namespace sonvex {

// Messages of the chassis model.
inline constexpr const char* kChassisMissingTsText =
    "fs, Rdc, Qes, Qms, Vas, Sd müssen > 0 sein oder Frequenz-"
    " und Impedanzgang incl. Phase vollständig aus"
    " Messdaten entnommen werden. ";
inline constexpr const char* kChassisXlinText = "Linearer Hub muss > 0 sein. ";
inline constexpr const char* kChassisVoiceCoilText = "Le, Re2, Le2, Re3 und Le3 müssen > 0 sein. ";
inline constexpr const char* kChassisBoxText = "fmb, Vb, vV, mb und Ql müssen > 0 sein. ";
inline constexpr const char* kChassisPortText = "Qb und fb müssen > 0 sein. ";
inline constexpr const char* kChassisVbfText = "Vbf muß > 0 sein. ";
inline constexpr const char* kChassisFrontPortText = "Qbf und fbf müssen > 0 sein. ";
inline constexpr const char* kChassisTypeText = "Gehäusetyp muß 0 bis 4 sein. ";
inline constexpr const char* kChassisFaultText = "Chassis kann nicht berechnet werden.";

// Simulates chassis `c` in enclosure `enclosure` at every grid frequency freq[i] > 0
// with i <= lastIndex (at most 600). The records are not changed. Returns
// "OK", or the messages of the parameter checks (nothing written), or
// kChassisFaultText when a value could not be computed (entries of the lower
// grid indices written). Outputs: input impedance `z` (Ohm), excursion `excursion`
// (m at 2.83 V, real part), rear port and front sound pressure (magnitude 1 =
// 112 dB SPL at 1 m for 2.83 V). No allocation per frequency.
std::string SimulateChassis(const Chassis& c, const Enclosure& enclosure, const FreqArray& freq, int lastIndex,
                            ComplexCurve& z, ComplexCurve& excursion, ComplexCurve& rear, ComplexCurve& front);

// Value of a measured curve (frequencies xs, values ys, ended by the first
// frequency not above 0 or by the end of the shorter list; 0 for an empty one) at frequency x: linear between
// neighbours, the end values outside the measured range, then smoothed over the points within the relative distance
// `width` of x when width > 0.
double InterpolateLevel(std::span<const double> xs, std::span<const double> ys, double width, double x);

// Measured phase (radians) at frequency x, interpolated linearly; across the
// ±π wrap the interpolation takes the short way (the result may exceed π).
double InterpolatePhase(std::span<const double> xs, std::span<const double> ps, double x);

}  // namespace sonvex
