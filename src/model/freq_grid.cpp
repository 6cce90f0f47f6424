#include "model/freq_grid.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace sonvex {

GridSettings GridSettingsFromInput(const GridDialogInput& in) {
  GridSettings g;
  g.fMin = in.fMin;
  g.fMax = in.fMax;
  if (g.fMax < g.fMin) std::swap(g.fMin, g.fMax);
  // A grid needs two distinct positive finite bounds; the dialog accepts any
  // parsed number, so anything else falls back to the full audio range.
  const bool usable = std::isfinite(g.fMin) && std::isfinite(g.fMax) && g.fMin > 0.0;
  if (g.fMin == g.fMax || !usable) {
    g.fMin = 20;
    g.fMax = 20000;
  }
  g.gridPoints = static_cast<int>(std::clamp<long long>(in.gridPoints, kMinGridPoints, kMaxGridPoints));
  g.smoothing = 7.0 * std::log10(g.fMax / g.fMin) / g.gridPoints;
  return g;
}

void ApplyGridSettings(Project& p, const GridSettings& g) {
  p.fMin = g.fMin;
  p.fMax = g.fMax;
  p.gridPoints = g.gridPoints;
  BuildFreqGrid(p);
  p.smoothingAmplitude = g.smoothing;
  p.smoothingImpedance = g.smoothing;
}

}  // namespace sonvex
