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

class TZPolar {
 public:
  TZPolar() = default;

  // Paints into the rectangle (right and bottom exclusive). Returns false
  // when painting failed; the failure was reported.
  bool PaintChart(QPainter& painter, int left, int top, int right, int bottom);

  // Level to pixels from the centre, on the geometry of the last PaintChart.
  int MapRadius(double level) const;

  // Computed by PaintChart.
  int CenterX = 0;
  int CenterY = 0;
  int Radius = 1;

  bool HasData = false;
  double RMin = 40;   // level at the centre
  double RMax = 110;  // level at the outer circle
  std::string Title;
  std::string LabelRight;
  std::string LabelLeft;
  std::string LabelTop;
  std::string LabelBottom;
  // Angle of each point in units of 30 degrees (0 straight up, clockwise) and
  // its level.
  std::array<double, kPolarPoints> Angles{};
  std::array<double, kPolarPoints> Radii{};
  int32_t Count = 0;

  TPaintErrorHandler OnPaintError;

 private:
  void PaintContent(QPainter& painter, const TPixelRect& r);
};

}  // namespace sonvex
