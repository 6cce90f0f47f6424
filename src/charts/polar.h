#pragma once
// Polar diagram: the level of the whole loudspeaker over the angle at one
// frequency, on a circular dB scale with the side texts around the circle.
#include <array>
#include <string>

#include "charts/chart.h"
#include "charts/chart_layout.h"

class QPainter;

namespace sonvex {

inline constexpr int kPolarPoints = 361;

class PolarPlot {
 public:
  PolarPlot() = default;

  // Paints into the rectangle (right and bottom exclusive). Returns false
  // when painting failed; the failure was reported.
  bool PaintChart(QPainter& painter, int left, int top, int right, int bottom);

  // Level to pixels from the centre, on the geometry of the last PaintChart.
  int MapRadius(double level) const;

  // Computed by PaintChart.
  int centerX = 0;
  int centerY = 0;
  int radius = 1;

  bool hasData = false;
  double rMin = 40;   // level at the centre
  double rMax = 110;  // level at the outer circle
  std::string title;
  std::string labelRight;
  std::string labelLeft;
  std::string labelTop;
  std::string labelBottom;
  // Angle of each point in units of 30 degrees (0 straight up, clockwise) and
  // its level.
  std::array<double, kPolarPoints> angles{};
  std::array<double, kPolarPoints> radii{};
  int32_t count = 0;

  PaintErrorHandler onPaintError;

 private:
  void PaintContent(QPainter& painter, const PixelRect& r);
};

}  // namespace sonvex
