#pragma once
// The logarithmic frequency grid of a project.
#include "model/project.h"

namespace sonvex {

// What the project properties dialog enters for the grid.
struct TGridInput {
  double fMin = 20;
  double fMax = 20000;
  long long sz = 126;  // as typed; clamped to 10..599
};
// The grid settings that follow from the dialog's entries.
struct TGridSettings {
  double fMin = 20;
  double fMax = 20000;
  int sz = 126;
  double glatt = 0.0;  // smoothing width for amplitude and impedance curves
};
// Swaps reversed bounds, replaces equal bounds by 20..20000 Hz, clamps the
// point count to 10..599 and derives the smoothing width 7·log10(fMax/fMin)/sz.
// Bounds that are not positive and finite cannot make a logarithmic grid: they
// also fall back to 20..20000 Hz.
TGridSettings GridSettingsFromInput(const TGridInput& in);
// Applies the settings to the project and builds its grid.
void ApplyGridSettings(TProjekt& p, const TGridSettings& g);

// The dialog's presets "grob", "mittel", "fein": 20..20000 Hz with 84, 126, 250 points.
inline constexpr int kGridPresetCoarse = 84;
inline constexpr int kGridPresetMedium = 126;
inline constexpr int kGridPresetFine = 250;

}  // namespace sonvex
