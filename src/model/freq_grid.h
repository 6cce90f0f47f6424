#pragma once
// The logarithmic frequency grid of a project.
#include "model/project.h"

namespace sonvex {

// What the project properties dialog enters for the grid.
struct GridDialogInput {
  double fMin = 20;
  double fMax = 20000;
  long long gridPoints = 126;  // as typed; clamped to 10..599
};
// The grid settings that follow from the dialog's entries.
struct GridSettings {
  double fMin = 20;
  double fMax = 20000;
  int gridPoints = 126;
  double smoothing = 0.0;  // smoothing width for amplitude and impedance curves
};
// Swaps reversed bounds, replaces equal bounds by 20..20000 Hz, clamps the
// point count to 10..599 and derives the smoothing width 7·log10(fMax/fMin)/sz.
// Bounds that are not positive and finite cannot make a logarithmic grid: they
// also fall back to 20..20000 Hz.
GridSettings GridSettingsFromInput(const GridDialogInput& in);
// Applies the settings to the project and builds its grid.
void ApplyGridSettings(Project& p, const GridSettings& g);

// The dialog's presets "grob", "mittel", "fein": 20..20000 Hz with 84, 126, 250 points.
inline constexpr int kGridPresetCoarse = 84;
inline constexpr int kGridPresetMedium = 126;
inline constexpr int kGridPresetFine = 250;

}  // namespace sonvex
