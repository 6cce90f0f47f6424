#pragma once
// The spinorama chart's curves, their names and their fixed colours: shared
// by the chart page and the display options, which name them.
#include <array>

#include "model/project.h"

namespace sonvex {

// The seven curves of the spinorama chart, in slot order, with their own
// colours: each at least 3:1 against the white background and clearly
// coloured, so that none is taken for a grid line. The display options name
// them.
inline constexpr int kSpinoramaCurveCount = 7;
struct SpinoramaCurveStyle {
  const char* name;
  ColorValue color;
};
inline constexpr std::array<SpinoramaCurveStyle, kSpinoramaCurveCount> kSpinoramaCurves{{
    {"auf Achse", RGBColor(0, 0, 0)},
    {"Hörfenster (LW)", RGBColor(0, 90, 220)},
    {"Frühe Reflexionen (ER)", RGBColor(200, 70, 0)},
    {"Schallleistung (SP)", RGBColor(0, 130, 40)},
    {"im Raum geschätzt (PIR)", RGBColor(140, 30, 170)},
    {"Bündelungsmaß SP (SPDI)", RGBColor(0, 150, 140)},
    {"Bündelungsmaß ER (ERDI)", RGBColor(190, 0, 90)},
}};
// The directivity indices' axis is labelled from 0 up to this value.
inline constexpr double kSpinoramaDiLabelMax = 15;
// A chassis's group delay is not drawn where the chassis lies more than this
// many dB below the whole box on axis: it then adds nothing to the sound.
inline constexpr double kGroupDelayChassisRangeDb = 40;

}  // namespace sonvex
