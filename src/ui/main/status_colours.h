#pragma once
// Colours of the status bar: the text stays in its usual purple where that
// reads well on the background the calculation gives the panel (grey while
// it runs, red after errors) and turns black or white, whichever reads
// better, where it would not.
#include <QColor>
#include <algorithm>
#include <cmath>

namespace sonvex {

// Relative luminance of an sRGB colour (0 black .. 1 white).
inline double RelativeLuminance(const QColor& c) {
  const auto lin = [](int v) {
    const double s = v / 255.0;
    return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * lin(c.red()) + 0.7152 * lin(c.green()) + 0.0722 * lin(c.blue());
}

// Contrast ratio of two colours, 1 (none) .. 21 (black on white).
inline double ContrastRatio(const QColor& a, const QColor& b) {
  const double la = RelativeLuminance(a);
  const double lb = RelativeLuminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

inline const QColor kStatusPurple(128, 0, 128);
// Normal text wants a contrast of at least 4.5 : 1.
inline constexpr double kReadableContrast = 4.5;

inline QColor StatusTextColour(const QColor& background) {
  if (ContrastRatio(kStatusPurple, background) >= kReadableContrast) return kStatusPurple;
  const QColor black(0, 0, 0);
  const QColor white(255, 255, 255);
  return ContrastRatio(black, background) >= ContrastRatio(white, background) ? black : white;
}

}  // namespace sonvex
