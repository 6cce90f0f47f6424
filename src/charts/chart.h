#pragma once
// One frequency-response diagram: logarithmic frequency axis (or a linear
// time axis in ms, xLinear), a left and an
// optional right value axis, grid, up to 26 curves plus 26 reference curves,
// title lines and legend. A plain object, painted into any QPainter (a widget,
// a QImage for export) inside a given rectangle; the font size follows the
// rectangle, so the same chart draws at any size.
//
// Chart holds 52 curve slots of 601 points each (about half a megabyte):
// keep it on the heap.
#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "charts/chart_layout.h"
#include "charts/chart_paint_util.h"
#include "model/project.h"
#include "model/short_string.h"

class QPainter;
class QRectF;

namespace sonvex {

inline constexpr int kChartPoints = 601;
inline constexpr int kChartCurves = 26;               // current curves: slots 0..25
inline constexpr int kChartSlots = 2 * kChartCurves;  // reference curves: slots 26..51
// The one legend entry of all reference curves (dotted, as they are drawn).
inline constexpr std::string_view kReferenceLegendName = "Referenzprojekt";

struct ChartCurve {
  bool visible = false;
  bool rightAxis = false;  // the curve uses the right axis
  ShortString<32> name;    // legend name
  int32_t count = 0;       // points used, 0..601
  ColorValue color = 0;
  std::array<double, kChartPoints> X{};  // frequencies (times in ms on a linear axis), ascending
  std::array<double, kChartPoints> Y{};
};

// Half way to white: each channel (c div 2) + 128. Reference curves use it.
ColorValue LighterColor(ColorValue c);

// Draws the program's mark (a loudspeaker cone and the word "Sonvex") into
// the rectangle, as large as fits with the aspect 578:376.
void DrawSonvexLogo(QPainter& painter, const PixelRect& r);

class Chart {
 public:
  Chart() = default;

  // Paints everything inside the rectangle (right and bottom exclusive).
  // Returns false when painting failed; the failure was reported.
  bool PaintChart(QPainter& painter, int left, int top, int right, int bottom);

  // Copies the current curves (slots 0..25) into the reference slots 26..51.
  void StoreReference();
  // Makes the reference slots invisible and empty.
  void ClearReference();

  // Coordinate mapping on the plot rectangle of the last PaintChart.
  int MapX(double f) const;
  int MapY(double y) const;
  int MapY2(double y) const;

  // Computed by PaintChart.
  PixelRect plot;
  int charWidth = 0;
  int lineHeight = 0;
  int fontSize = 0;          // point size of the axis texts
  int legendFontSize = 0;    // point size of the subtitle and the legend (at least 8)
  int legendLineHeight = 0;  // line height of the legend
  ChartLayout layout;        // the frame, ticks and axis texts as painted last

  ColorValue backColor = RGBColor(255, 255, 255);
  ColorValue textColor = RGBColor(0, 0, 0);
  bool boldTitle = false;
  bool printMode = false;
  bool noLegend = false;
  bool hasData = false;
  // The axis ranges start at the usual loudspeaker scales; the owner sets
  // them from the display options before painting.
  double xMin = 20;
  double xMax = 20000;
  // A linear x axis from xMin to xMax (a time axis in ms) instead of the
  // logarithmic frequency axis.
  bool xLinear = false;
  double yMin = 40;
  double yMax = 110;
  double y2Min = 0;
  double y2Max = 70;
  int32_t yKind = LevelAxis;
  int32_t y2Kind = ImpedanceAxis;
  bool showY2 = false;
  // The right axis keeps the left axis's dB per division, with its 0 about
  // y2ZeroFraction of the height above the bottom; PaintChart then sets
  // Y2Min and y2Max (see ChartAxes::y2SameScale).
  bool y2SameScale = false;
  double y2ZeroFraction = 0.1;
  // The right axis is labelled only inside this range.
  double y2LabelMin = -1e300;
  double y2LabelMax = 1e300;
  std::string title;
  std::string subTitle;
  // A short hint drawn in the middle of the plot (e.g. why it stays empty);
  // nothing when empty.
  std::string note;
  std::array<ChartCurve, kChartSlots> curves{};

  PaintErrorHandler onPaintError;

 private:
  void PaintContent(QPainter& painter, const PixelRect& r);
  void PaintValueAxis(QPainter& painter, const ValueAxisLayout& axis, bool right, int penWidth);
  void PaintFrequencyAxis(QPainter& painter, int penWidth);
  void PaintCurve(QPainter& painter, const ChartCurve& c) const;
};

}  // namespace sonvex
