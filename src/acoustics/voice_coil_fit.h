#pragma once
// Fit of the voice-coil model (Le and two semi-inductive sections Re2 ∥ Le2,
// Re3 ∥ Le3) to a chassis's measured impedance magnitude.
#include <string>

#include "model/project.h"

namespace sonvex {

inline constexpr const char* kFitTooFewPointsText =
    "Werte für Re2, Le2, ... können nicht berechnet werden,da zu wenige Meßwerte im Impedanzgang.";

// Works on a working copy of a chassis: sorts its impedance lists
// (measuredImpedanceFreq/measuredImpedance) by ascending frequency and fits Le, Re2, Le2, Re3 and Le3
// to the measured magnitudes above 2·fs, holding Re and the derived Cms, Lms
// and Rms fixed. Returns true and writes the five values when fitted; returns
// false with the message in `memo` when fewer than six points lie at or above
// 1.2·fs (then only the lists have been sorted). `memo` is cleared first.
bool FitVoiceCoil(Chassis& c, std::string& memo);

}  // namespace sonvex
