#include "model/freq_grid.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace sonvex {

TGridSettings GridSettingsFromInput(const TGridInput& in) {
  TGridSettings g;
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
  g.sz = static_cast<int>(std::clamp<long long>(in.sz, kMinGridPoints, kMaxGridPoints));
  g.glatt = 7.0 * std::log10(g.fMax / g.fMin) / g.sz;
  return g;
}

void ApplyGridSettings(TProjekt& p, const TGridSettings& g) {
  p.fMin = g.fMin;
  p.fMax = g.fMax;
  p.sz = g.sz;
  BuildFreqGrid(p);
  p.glatt_a = g.glatt;
  p.glatt_i = g.glatt;
}

}  // namespace sonvex
