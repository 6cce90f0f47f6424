#pragma once
// Layout and tick rules of the frequency-response charts and polar plots.
//
// Everything here is plain arithmetic on pixel rectangles, character sizes and
// axis ranges, so the rules can be checked without painting. The painting code
// (chart.cpp, polar.cpp) measures its font and calls these functions.
#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sonvex {

// Axis kinds of the value axes; the unit text is written at the top of the axis.
enum AxisKind : int {
  LevelAxis = 0,             // "SPL [dB]", linear
  ImpedanceAxis = 1,         // "Z [Ohm]", linear
  PhaseAxis = 2,             // "°", linear with 90 degree major steps
  VoltsAxis = 3,             // "V eff", logarithmic
  SecondsAxis = 4,           // "sec.", logarithmic
  WattsAxis = 5,             // "W/8Ohm", logarithmic
  DirectivityIndexAxis = 6,  // "DI [dB]", linear: directivity indices
  MillisecondsAxis = 7,      // "t [ms]", linear: group delay
  VoltageLevelAxis = 8,      // "U [dB]", linear: a voltage level (the chart names its 0 dB)
  RelativeAxis = 9,          // "normiert", linear: values divided by a peak (the chart names it)
};

// Unit text of an axis kind (UTF-8); empty for an unknown kind.
const char* AxisUnitText(int kind);
bool IsLogAxis(int kind);

// Tick-value table: 401 rows of 5 sequences (densities). Sequence d starts at
// 1e-20 and holds the values 1 | 1,3 | 1,2,5 | 1,1.6,2.5,4,6 |
// 1,1.25,1.6,2,2.5,3.2,4,5,6.3,8 of every decade up to 1e20. Every entry is the
// double nearest to its decimal value, so 20 is exactly 20 and "first entry
// greater than 20" is 50 in the 1,2,5 sequence. Rows past the end of a
// sequence hold +infinity.
constexpr int kNiceRows = 401;
constexpr int kNiceDensities = 5;
using NiceValueTable = std::array<std::array<double, kNiceDensities>, kNiceRows>;  // [row][density]

const NiceValueTable& NiceTable();
int NiceValuesPerDecade(int density);  // 1, 2, 3, 5, 10
int NiceRowsUsed(int density);         // 41, 81, 121, 201, 401
// Row of the first entry of `density` greater than `value`; -1 if none.
int NiceFirstRowAbove(int density, double value);

struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const PixelRect&) const = default;
};

struct PixelPoint {
  int x = 0;
  int y = 0;
  bool operator==(const PixelPoint&) const = default;
};

// ---------------------------------------------------------------- font size

// The font sizes tried for a chart, largest first.
inline constexpr std::array<int, 15> kChartFontSizes{36, 32, 28, 24, 20, 18, 14, 12, 10, 9, 8, 7, 6, 5, 4};

// Chooses the chart font size for a drawing rectangle `width` pixels wide
// (doubled in print mode). `widthOfElevenM(size)` gives the pixel width of
// "mmmmmmmmmmm" at a font size. The search steps down from 36 and stops at the
// first size whose eleven m fit into width / divisor of that step.
int ChartFontSize(int width, bool printMode, const std::function<int(int)>& widthOfElevenM);

// Chooses the polar plot font size (12, 10 or 8). `widthOfTenM(size)` gives
// the pixel width of "mmmmmmmmmm" at a font size.
int PolarFontSize(int width, const std::function<int(int)>& widthOfTenM);

// Legends and subtitles are never written smaller than this, however small
// the chart: below 8 points they are unreadable on a 640 x 480 screen.
inline constexpr int kMinLegibleFontSize = 8;
// Point size of a chart's subtitle and legend for the chart font size.
inline int LegibleFontSize(int chartSize) { return chartSize < kMinLegibleFontSize ? kMinLegibleFontSize : chartSize; }

// ---------------------------------------------------------------- chart frame

// Fixed pixel offsets of the axis texts: tick marks are 4 pixels long, the
// frequency labels start 6 pixels below the plot, the unit texts keep 5
// pixels from the axis and the right labels 6.
inline constexpr int kTickLength = 4;
inline constexpr int kFrequencyLabelOffset = 6;
inline constexpr int kUnitOffset = 5;
inline constexpr int kRightLabelOffset = 6;
// Air between a left value label that had to move left and its tick mark.
inline constexpr int kLabelGap = 2;

// How far the legend moves down so that its first row starts below the
// frequency labels. The legend's first row lies 7/4 lines below the plot;
// from a line height of 8 pixels up that clears the labels (6 pixels + one
// line) and the shift is 0. With the tiny fonts of a small chart the fixed 6
// pixels would push the labels into the legend, so the legend moves down.
int LegendShift(int lineHeight);

// Plot rectangle inside the drawing rectangle for character width charWidth and
// height lineHeight: 6 characters at the sides, 3 lines above, 5 lines below for the
// frequency labels and the legend (2 without legend). Tiny fonts get the
// extra pixels the frequency labels need (LegendShift) below the plot.
// `legendLineHeight` and `subTitleLineHeight` are the line heights of the legend and the
// subtitle when they are written larger than the axis texts (0: lineHeight); the
// legend's three rows and the subtitle line then take their own height.
PixelRect ChartPlotRect(const PixelRect& drawing, int charWidth, int lineHeight, bool noLegend,
                        int legendLineHeight = 0, int subTitleLineHeight = 0);

// ---------------------------------------------------------------- ticks

struct AxisTicks {
  std::vector<double> major;
  std::vector<double> minor;
};

struct LinearSteps {
  double major = 0;
  double minor = 0;
  bool valid = false;
};

// Steps of a linear axis or ring scale: the major step is the first entry of
// the 1,2,5 sequence greater than `threshold`, the minor step the entry two
// rows lower.
LinearSteps LinearStepsAbove(double threshold);

// Steps of a linear value axis (kinds 0..2) over `plotHeight` pixels with
// character height lineHeight. A phase axis always takes 90 degree major steps, with
// 30 or 10 degree minor steps.
LinearSteps LinearAxisSteps(double minValue, double maxValue, int plotHeight, int lineHeight, bool phase);

// Ticks at the multiples of steps.minor above minValue up to maxValue; a
// multiple whose number divides by round(major / minor) is also a major tick.
// `minor` holds every multiple (majors included).
AxisTicks LinearTicks(double minValue, double maxValue, const LinearSteps& steps);

// Density (0..4) of a logarithmic value axis of `plotHeight` pixels.
int LogAxisDensity(double minValue, double maxValue, int plotHeight, int charWidth);
// Density (0..2) of the frequency axis of `plotWidth` pixels.
int FrequencyAxisDensity(double xMin, double xMax, int plotWidth, int charWidth);

// Ticks of a logarithmic value axis (kinds 3..5): majors strictly inside the
// range, minors at 1..9 times each decade from the decade of the first major.
AxisTicks LogAxisTicks(double minValue, double maxValue, int density);

// Ticks of the frequency axis: majors above xMin up to xMax, minors up to and
// including xMax with the half-decade steps 150, 1500, ... added.
AxisTicks FrequencyTicks(double xMin, double xMax, int density);

// Smallest distance in pixels between the centres of two neighbouring value
// labels of line height lineHeight: one line and half a line of air.
int LabelSpacing(int lineHeight);

// Smallest step between neighbouring entries of a tick sequence, in decades
// (log10(1.25) for density 4, log10(2) for density 2, 1 for density 0).
double NiceMinStepDecades(int density);

// Densest sequence (0..4) whose neighbouring majors lie at least
// LabelSpacing(lineHeight) + 1 pixels apart on a logarithmic axis of `plotHeight`
// pixels; 0 when even one label per decade is too dense. The density rule
// of the logarithmic axes counts character widths, which at small font sizes
// lets labels of the height lineHeight crowd; this caps it.
int LogAxisReadableDensity(double minValue, double maxValue, int plotHeight, int lineHeight);

// Ticks of a value axis of any kind on a plot spanning top..bottom. A
// logarithmic axis takes the smaller of its density rule and the readable
// density.
AxisTicks ValueAxisTicks(int kind, double minValue, double maxValue, int top, int bottom, int charWidth,
                         int lineHeight);

// Ticks of a linear x axis (a time axis) of `plotWidth` pixels: multiples of
// the minor step from xMin (included) up to xMax, the major step the first
// 1,2,5 entry above the room of about six characters.
AxisTicks LinearXTicks(double xMin, double xMax, int plotWidth, int charWidth);

// ---------------------------------------------------------------- mapping

// Frequency to x pixel: at or below xMin the left edge, at or above xMax the
// right edge, logarithmic in between. NaN and a degenerate axis give the left
// edge, so no value ever leaves the plot.
int MapFrequency(double f, double xMin, double xMax, int left, int right);
// The same on a linear x axis.
int MapLinearX(double x, double xMin, double xMax, int left, int right);

// Value to y pixel on an axis of the given kind: at or below minValue the
// bottom edge, at or above maxValue the top edge; logarithmic for kinds 3..5,
// linear otherwise. NaN and a degenerate axis give the bottom edge.
int MapValue(double y, double minValue, double maxValue, int kind, int top, int bottom);

// ---------------------------------------------------------------- whole chart

// Pixel width of a UTF-8 text in the chart font.
using ChartTextWidth = std::function<int(std::string_view)>;

// One text of an axis: the value it names, its text and its box (top-left
// corner where it is drawn, one line high).
struct AxisLabel {
  double value = 0;
  int pos = 0;  // y of the tick (value axes) or x (frequency axis)
  std::string text;
  PixelRect box;
};

struct ValueAxisLayout {
  AxisTicks ticks;                // grid lines (left axis only)
  std::vector<int> tickMarks;     // y of every tick mark
  std::vector<AxisLabel> labels;  // the labelled majors
  std::string unit;
  PixelRect unitBox;
};

// The axes a chart shows.
struct ChartAxes {
  double xMin = 20;
  double xMax = 20000;
  double yMin = 40;
  double yMax = 110;
  double y2Min = 0;
  double y2Max = 70;
  int yKind = LevelAxis;
  int y2Kind = ImpedanceAxis;
  bool showY2 = false;
  bool noLegend = false;
  // A linear x axis (time in ms) in place of the logarithmic frequency axis.
  bool xLinear = false;
  // The right axis keeps the left axis's dB per pixel: its range is as wide
  // as the left one, with its 0 about `y2ZeroFraction` of the height above
  // the bottom, moved so that its ticks fall on the left axis's grid lines
  // (y2Min and y2Max are then ignored).
  bool y2SameScale = false;
  double y2ZeroFraction = 0.1;
  // Right-axis ticks and labels only for values in this range.
  double y2LabelMin = -1e300;
  double y2LabelMax = 1e300;
  int legendLineHeight = 0;    // line height of the legend (0: lineHeight)
  int subTitleLineHeight = 0;  // line height of the subtitle (0: lineHeight)
};

// Range of a right axis that keeps the left axis's scale (y2SameScale): as
// wide as yMin..yMax, 0 near `zeroFraction` of the height, shifted by a
// whole number of `gridStep` against the left axis so that both share the
// grid lines. Returns {y2Min, y2Max}.
std::pair<double, double> SameScaleRange(double yMin, double yMax, double zeroFraction, double gridStep);

// Everything of a chart's frame that PaintChart draws: plot rectangle, ticks
// and every axis text with its box.
struct ChartLayout {
  PixelRect drawing;
  PixelRect plot;
  int charWidth = 1;
  int lineHeight = 1;
  double y2Min = 0;  // the right axis's range as laid out
  double y2Max = 1;
  ValueAxisLayout left;
  ValueAxisLayout right;     // empty unless the right axis is shown
  AxisTicks frequencyTicks;  // the x axis's ticks and labels (linear ones on a time axis)
  std::vector<AxisLabel> frequencyLabels;
};

// Lays out a chart in the drawing rectangle for character width charWidth and line
// height lineHeight. Starts from ChartPlotRect and keeps it whenever the texts fit:
// - a value label is written at left - 3 charWidth (right + 6 on the right axis),
//   moved left when it would otherwise come closer than kLabelGap to the
//   tick mark;
// - the margins grow when a unit text or a label would leave the drawing
//   rectangle (at most to a third of the width each);
// - labels that would overlap their neighbour are left out, the top one
//   keeps clear of the unit text (below top + 1.5 lineHeight), and a frequency label
//   stays inside the rectangle.
ChartLayout LayoutChart(const PixelRect& drawing, int charWidth, int lineHeight, const ChartAxes& axes,
                        const ChartTextWidth& textWidth);

// ---------------------------------------------------------------- legend

struct LegendEntry {
  int columns = 0;
  int row = 0;
  int column = 0;
  PixelPoint text;      // top-left corner of the legend name
  int textRoom = 0;     // width the name may take before the next column
  PixelPoint lineFrom;  // sample line in the curve colour
  PixelPoint lineTo;
};

// Legend columns for n visible curves: (n + 2) div 3.
int LegendColumns(int visibleCount);

// Place of legend entry k (0 = lowest visible slot) of n visible curves,
// below a plot whose bottom edge is plotBottom, in the drawing rectangle.
// Rows lie (4 row + 7) lineHeight / 4 below the plot, moved down by LegendShift(lineHeight);
// with a legend line height `legendLineHeight` (0: lineHeight) the first row stays there and
// the rows lie legendLineHeight apart. A name wider than textRoom is shortened when
// painted, so that it never runs into the sample line of the next column.
LegendEntry LegendPlace(int k, int visibleCount, const PixelRect& drawing, int plotBottom, int charWidth,
                        int lineHeight, int legendLineHeight = 0);

// ---------------------------------------------------------------- polar plot

struct PolarGeometry {
  int centerX = 0;
  int centerY = 0;
  int radius = 1;
};

PolarGeometry PolarGeometryFor(const PixelRect& drawing, int charWidth, int lineHeight);

// Level to radius in pixels: 0 at or below rMin, the full radius at or above
// rMax, linear in between; NaN gives the centre.
int PolarRadiusOf(double level, double rMin, double rMax, int radius);

// Point of angle `angle30` (units of 30 degrees, 0 straight up, clockwise)
// at `rho` pixels from the centre.
PixelPoint PolarPointAt(const PolarGeometry& g, double angle30, int rho);

// Closed outline through n points: the last point first, then points 0..n-1.
std::vector<PixelPoint> PolarOutline(const PolarGeometry& g, const double* angles, const double* levels, int count,
                                     double rMin, double rMax);

// Ring steps of a polar plot: the major step is the first 1,2,5 entry above
// 2.2 x (rMax - rMin) / radius x lineHeight.
LinearSteps PolarRingSteps(double rMin, double rMax, int radius, int lineHeight);

}  // namespace sonvex
