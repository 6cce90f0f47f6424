#include "charts/chart_layout.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

#include "model/number_text.h"
#include "numeric/constants.h"

namespace sonvex {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// Upper bound of tick and ring counts: an axis that would need more than this
// (a range of many orders of magnitude on a linear axis) gets no ticks
// instead of a loop that never ends.
constexpr long long kMaxTicks = 10000;

// Mantissas of each density in hundredths, one decade.
constexpr std::array<int, 1> kMant0{100};
constexpr std::array<int, 2> kMant1{100, 300};
constexpr std::array<int, 3> kMant2{100, 200, 500};
constexpr std::array<int, 5> kMant3{100, 160, 250, 400, 600};
constexpr std::array<int, 10> kMant4{100, 125, 160, 200, 250, 320, 400, 500, 630, 800};

int MantissaHundredths(int density, int index) {
  switch (density) {
    case 0:
      return kMant0[static_cast<std::size_t>(index)];
    case 1:
      return kMant1[static_cast<std::size_t>(index)];
    case 2:
      return kMant2[static_cast<std::size_t>(index)];
    case 3:
      return kMant3[static_cast<std::size_t>(index)];
    default:
      return kMant4[static_cast<std::size_t>(index)];
  }
}

// 10^n for 0 <= n <= 22: every one of these is exactly representable.
double ExactPow10(int n) {
  double p = 1.0;
  for (int i = 0; i < n; ++i) p *= 10.0;
  return p;
}

NiceValueTable BuildNiceTable() {
  NiceValueTable t{};
  for (int d = 0; d < kNiceDensities; ++d) {
    const int perDecade = NiceValuesPerDecade(d);
    const int used = NiceRowsUsed(d);
    for (int r = 0; r < kNiceRows; ++r) {
      double v = kInf;
      if (r < used) {
        // value = mantissa/100 x 10^(decade - 20), formed with one correctly
        // rounded multiplication or division of exact operands, so that every
        // entry is the double nearest to its decimal value.
        const double m = MantissaHundredths(d, r % perDecade);
        const int n = r / perDecade - 20 - 2;
        v = n >= 0 ? m * ExactPow10(n) : m / ExactPow10(-n);
      }
      t[static_cast<std::size_t>(r)][static_cast<std::size_t>(d)] = v;
    }
  }
  return t;
}

double Nice(int row, int density) {
  return NiceTable()[static_cast<std::size_t>(row)][static_cast<std::size_t>(density)];
}

int ClampDensity(double d, int maxDensity) {
  if (std::isnan(d)) return 0;
  return static_cast<int>(std::clamp(std::floor(d), 0.0, static_cast<double>(maxDensity)));
}

}  // namespace

const char* AxisUnitText(int kind) {
  switch (kind) {
    case LevelAxis:
      return "SPL [dB]";
    case ImpedanceAxis:
      return "Z [Ohm]";
    case PhaseAxis:
      return "°";
    case VoltsAxis:
      return "V eff";
    case SecondsAxis:
      return "sec.";
    case WattsAxis:
      return "W/8Ohm";
    case DirectivityIndexAxis:
      return "DI [dB]";
    case MillisecondsAxis:
      return "t [ms]";
    case VoltageLevelAxis:
      return "U [dB]";
    case RelativeAxis:
      return "normiert";
    default:
      return "";
  }
}

bool IsLogAxis(int kind) { return kind >= VoltsAxis && kind <= WattsAxis; }

const NiceValueTable& NiceTable() {
  static const NiceValueTable kTable = BuildNiceTable();
  return kTable;
}

int NiceValuesPerDecade(int density) {
  static constexpr std::array<int, kNiceDensities> kPerDecade{1, 2, 3, 5, 10};
  return kPerDecade[static_cast<std::size_t>(std::clamp(density, 0, kNiceDensities - 1))];
}

int NiceRowsUsed(int density) { return 40 * NiceValuesPerDecade(density) + 1; }

int NiceFirstRowAbove(int density, double value) {
  density = std::clamp(density, 0, kNiceDensities - 1);
  const int used = NiceRowsUsed(density);
  for (int r = 0; r < used; ++r) {
    if (Nice(r, density) > value) return r;
  }
  return -1;
}

// ---------------------------------------------------------------- font size

int ChartFontSize(int width, bool printMode, const std::function<int(int)>& widthOfElevenM) {
  const long long w = printMode ? 2LL * width : width;
  // Divisor of the step from kChartFontSizes[i] to the next size.
  static constexpr std::array<int, kChartFontSizes.size() - 1> kDivisor{12, 12, 12, 12, 12, 12, 11,
                                                                        10, 9,  8,  7,  6,  5,  5};
  for (std::size_t i = 0; i < kDivisor.size(); ++i) {
    const int size = kChartFontSizes[i];
    // "at most W / divisor", compared without rounding
    if (static_cast<long long>(widthOfElevenM(size)) * kDivisor[i] <= w) return size;
  }
  return kChartFontSizes.back();
}

int PolarFontSize(int width, const std::function<int(int)>& widthOfTenM) {
  int size = 12;
  if (static_cast<long long>(widthOfTenM(size)) * 10 > width) size = 10;
  if (size == 10 && static_cast<long long>(widthOfTenM(size)) * 7 > width) size = 8;
  return size;
}

// ---------------------------------------------------------------- chart frame

int LegendShift(int lineHeight) { return std::max(0, kFrequencyLabelOffset + lineHeight - 7 * lineHeight / 4); }

PixelRect ChartPlotRect(const PixelRect& drawing, int charWidth, int lineHeight, bool noLegend, int legendLineHeight,
                        int subTitleLineHeight) {
  const int legendRowHeight = std::max(lineHeight, legendLineHeight);
  const int subTitleRowHeight = std::max(lineHeight, subTitleLineHeight);
  PixelRect p;
  p.left = drawing.left + 6 * charWidth;
  p.right = drawing.right - 6 * charWidth;
  // title and subtitle lines with a third of a line of air
  p.top = drawing.top + 3 * lineHeight + (subTitleRowHeight - lineHeight);
  // Below the plot: the frequency labels (6 pixels down, one line high) and
  // the legend's three rows, which end 7/4 lines plus three legend lines plus
  // a quarter line (plus the shift) below.
  p.bottom = drawing.bottom - (noLegend ? std::max(2 * lineHeight, kFrequencyLabelOffset + lineHeight)
                                        : 2 * lineHeight + 3 * legendRowHeight + LegendShift(lineHeight));
  return p;
}

// ---------------------------------------------------------------- ticks

LinearSteps LinearStepsAbove(double threshold) {
  LinearSteps s;
  const int row = NiceFirstRowAbove(2, threshold);
  if (row < 0) return s;
  s.major = Nice(row, 2);
  s.minor = Nice(row >= 2 ? row - 2 : 0, 2);
  s.valid = true;
  return s;
}

LinearSteps LinearAxisSteps(double minValue, double maxValue, int plotHeight, int lineHeight, bool phase) {
  LinearSteps s;
  if (!std::isfinite(minValue) || !std::isfinite(maxValue) || !(maxValue > minValue) || plotHeight <= 0) return s;
  s = LinearStepsAbove(1.8 * (maxValue - minValue) / plotHeight * lineHeight);
  if (phase) {
    // Phase axes keep 90 degree major steps whatever the height.
    s.minor = (!s.valid || s.minor >= 12) ? 30 : 10;
    s.major = 90;
    s.valid = true;
  }
  return s;
}

AxisTicks LinearTicks(double minValue, double maxValue, const LinearSteps& steps) {
  AxisTicks t;
  if (!steps.valid || !(steps.minor > 0) || !std::isfinite(steps.minor) || !std::isfinite(steps.major)) return t;
  if (!std::isfinite(minValue) || !std::isfinite(maxValue) || !(maxValue > minValue)) return t;
  const double lo = minValue / steps.minor;
  const double hi = maxValue / steps.minor;
  if (std::fabs(lo) > 1e12 || std::fabs(hi) > 1e12) return t;
  // A small tolerance keeps a range end that is a multiple in decimal (0.3 for
  // a step of 0.1) a multiple in binary too.
  constexpr double kEps = 1e-9;
  const long long first = static_cast<long long>(std::floor(lo + kEps)) + 1;  // above the minimum
  const long long last = static_cast<long long>(std::floor(hi + kEps));       // up to the maximum
  if (last < first || last - first + 1 > kMaxTicks) return t;
  const long long ratio = std::max<long long>(1, std::llround(steps.major / steps.minor));
  for (long long i = first; i <= last; ++i) {
    const double v = static_cast<double>(i) * steps.minor;
    t.minor.push_back(v);
    if (i % ratio == 0) t.major.push_back(v);
  }
  return t;
}

int LogAxisDensity(double minValue, double maxValue, int plotHeight, int charWidth) {
  if (!(minValue > 0) || !(maxValue > minValue) || !std::isfinite(maxValue) || plotHeight <= 0 || charWidth <= 0)
    return 0;
  return ClampDensity(std::log2(2.0 * plotHeight / charWidth) + 0.3 - std::log2(std::log2(maxValue / minValue)), 4);
}

int FrequencyAxisDensity(double xMin, double xMax, int plotWidth, int charWidth) {
  if (plotWidth <= 0 || charWidth <= 0) return 0;
  return ClampDensity(
      std::log2(2.0 * plotWidth / charWidth) - 0.9 - std::log2(std::log2((xMax + 1e-20) / (xMin + 1e-20))), 2);
}

namespace {

// Minor ticks of a logarithmic scale: from the decade D of the first major
// tick in steps of D, the step growing tenfold at each decade. With
// `halfDecades` the value half a new step above each decade start is taken
// too (150 after 100). Values from minValue up to `limit` are taken, the
// limit itself only when `inclusive`.
std::vector<double> LogMinorTicks(double firstMajor, double minValue, double limit, bool inclusive, bool halfDecades) {
  std::vector<double> out;
  if (!(firstMajor > 0) || !std::isfinite(firstMajor)) return out;
  const double d = std::pow(10.0, std::floor(std::log10(firstMajor)));
  double step = d;
  double value = d;
  auto inRange = [&](double v) { return inclusive ? v <= limit : v < limit; };
  for (long long n = 0; n < kMaxTicks && inRange(value); ++n) {
    if (value >= minValue) out.push_back(value);
    if (0.1001 * value > step) {
      step *= 10;
      if (halfDecades) {
        const double half = value + step / 2;
        if (half >= minValue && inRange(half)) out.push_back(half);
      }
    }
    value += step;
  }
  return out;
}

}  // namespace

AxisTicks LogAxisTicks(double minValue, double maxValue, int density) {
  AxisTicks t;
  if (!(minValue > 0) || !(maxValue > minValue) || !std::isfinite(maxValue)) return t;
  density = std::clamp(density, 0, 4);
  const int row = NiceFirstRowAbove(density, minValue);
  if (row < 0) return t;
  for (int r = row; r < NiceRowsUsed(density) && Nice(r, density) < maxValue; ++r) t.major.push_back(Nice(r, density));
  t.minor = LogMinorTicks(Nice(row, density), minValue, maxValue, false, false);
  return t;
}

AxisTicks FrequencyTicks(double xMin, double xMax, int density) {
  AxisTicks t;
  if (std::isnan(xMin) || !(xMax > xMin) || !std::isfinite(xMax)) return t;
  density = std::clamp(density, 0, 2);
  // The tolerance keeps XMax itself when it is a table value.
  const double limit = xMax * 1.0000000000001;
  const int row = NiceFirstRowAbove(density, xMin);
  if (row < 0) return t;
  for (int r = row; r < NiceRowsUsed(density) && Nice(r, density) <= limit; ++r) t.major.push_back(Nice(r, density));
  t.minor = LogMinorTicks(Nice(row, density), xMin, limit, true, true);
  return t;
}

int LabelSpacing(int lineHeight) { return lineHeight + std::max(1, lineHeight / 2); }

double NiceMinStepDecades(int density) {
  density = std::clamp(density, 0, kNiceDensities - 1);
  const int perDecade = NiceValuesPerDecade(density);
  // one decade from 1 upwards; every decade repeats it
  const int first = 20 * perDecade;
  double smallest = kInf;
  for (int r = first; r < first + perDecade; ++r)
    smallest = std::min(smallest, std::log10(Nice(r + 1, density) / Nice(r, density)));
  return smallest;
}

int LogAxisReadableDensity(double minValue, double maxValue, int plotHeight, int lineHeight) {
  if (!(minValue > 0) || !(maxValue > minValue) || !std::isfinite(maxValue) || plotHeight <= 0) return 0;
  const double pixelsPerDecade = plotHeight / std::log10(maxValue / minValue);
  // one pixel more than the spacing: tick positions are rounded to pixels
  const int needed = LabelSpacing(std::max(1, lineHeight)) + 1;
  for (int d = kNiceDensities - 1; d > 0; --d) {
    if (NiceMinStepDecades(d) * pixelsPerDecade >= needed) return d;
  }
  return 0;
}

AxisTicks ValueAxisTicks(int kind, double minValue, double maxValue, int top, int bottom, int charWidth,
                         int lineHeight) {
  if (IsLogAxis(kind)) {
    const int density = std::min(LogAxisDensity(minValue, maxValue, bottom - top, charWidth),
                                 LogAxisReadableDensity(minValue, maxValue, bottom - top, lineHeight));
    return LogAxisTicks(minValue, maxValue, density);
  }
  return LinearTicks(minValue, maxValue,
                     LinearAxisSteps(minValue, maxValue, bottom - top, lineHeight, kind == PhaseAxis));
}

AxisTicks LinearXTicks(double xMin, double xMax, int plotWidth, int charWidth) {
  if (!std::isfinite(xMin) || !std::isfinite(xMax) || !(xMax > xMin) || plotWidth <= 0 || charWidth <= 0) return {};
  const double span = xMax - xMin;
  // LinearTicks starts above its minimum: a little below xMin keeps xMin itself.
  return LinearTicks(xMin - 1e-9 * span, xMax, LinearStepsAbove(6.0 * span * charWidth / plotWidth));
}

// ---------------------------------------------------------------- mapping

int MapFrequency(double f, double xMin, double xMax, int left, int right) {
  if (std::isnan(f) || f <= xMin) return left;
  if (f >= xMax) return right;
  const double frac = std::log10(f / xMin) / std::log10(xMax / xMin);
  if (!std::isfinite(frac)) return left;
  return left + static_cast<int>(std::lround(static_cast<double>(right - left) * std::clamp(frac, 0.0, 1.0)));
}

int MapLinearX(double x, double xMin, double xMax, int left, int right) {
  if (std::isnan(x) || x <= xMin) return left;
  if (x >= xMax) return right;
  const double frac = (x - xMin) / (xMax - xMin);
  if (!std::isfinite(frac)) return left;
  return left + static_cast<int>(std::lround(static_cast<double>(right - left) * std::clamp(frac, 0.0, 1.0)));
}

int MapValue(double y, double minValue, double maxValue, int kind, int top, int bottom) {
  if (std::isnan(y) || y <= minValue) return bottom;
  if (y >= maxValue) return top;
  const double frac = IsLogAxis(kind) ? std::log10(y / minValue) / std::log10(maxValue / minValue)
                                      : (y - minValue) / (maxValue - minValue);
  if (!std::isfinite(frac)) return bottom;
  return bottom - static_cast<int>(std::lround(static_cast<double>(bottom - top) * std::clamp(frac, 0.0, 1.0)));
}

// ---------------------------------------------------------------- whole chart

namespace {

struct AxisInput {
  int kind = LevelAxis;
  double minValue = 0;
  double maxValue = 1;
  double labelMin = -1e300;  // ticks and labels only inside labelMin..labelMax
  double labelMax = 1e300;
};

// Ticks, tick marks and label texts of a value axis; the boxes follow when
// the margins are known.
ValueAxisLayout ValueAxisTexts(const AxisInput& a, const PixelRect& plot, int charWidth, int lineHeight) {
  ValueAxisLayout out;
  out.ticks = ValueAxisTicks(a.kind, a.minValue, a.maxValue, plot.top, plot.bottom, charWidth, lineHeight);
  out.unit = AxisUnitText(a.kind);
  constexpr double kEps = 1e-9;
  auto outside = [&](double v) { return v < a.labelMin - kEps || v > a.labelMax + kEps; };
  std::erase_if(out.ticks.major, outside);
  std::erase_if(out.ticks.minor, outside);
  for (double v : out.ticks.major) {
    const int y = MapValue(v, a.minValue, a.maxValue, a.kind, plot.top, plot.bottom);
    if (2 * y <= 2 * plot.top + 3 * lineHeight) continue;  // keep clear of the unit text
    out.tickMarks.push_back(y);
    out.labels.push_back({v, y, FormatNumber(v, 6), {}});
  }
  return out;
}

int Widest(const std::vector<int>& widths, int unitWidth) {
  int w = unitWidth;
  for (int x : widths) w = std::max(w, x);
  return w;
}

// Labels come bottom (largest y) first; a label whose centre lies closer
// than LabelSpacing to the last one kept is left out.
void ThinValueLabels(std::vector<AxisLabel>& labels, int lineHeight) {
  std::vector<AxisLabel> kept;
  for (AxisLabel& l : labels) {
    if (!kept.empty() && kept.back().pos - l.pos < LabelSpacing(lineHeight)) continue;
    kept.push_back(std::move(l));
  }
  labels = std::move(kept);
}

}  // namespace

ChartLayout LayoutChart(const PixelRect& drawing, int charWidth, int lineHeight, const ChartAxes& axes,
                        const ChartTextWidth& textWidth) {
  ChartLayout out;
  out.drawing = drawing;
  out.charWidth = charWidth = std::max(1, charWidth);
  out.lineHeight = lineHeight = std::max(1, lineHeight);
  out.plot =
      ChartPlotRect(drawing, charWidth, lineHeight, axes.noLegend, axes.legendLineHeight, axes.subTitleLineHeight);
  PixelRect& plot = out.plot;

  // The value axes depend on the plot's height only, so their texts are known
  // before the margins are settled.
  out.left = ValueAxisTexts({axes.yKind, axes.yMin, axes.yMax}, plot, charWidth, lineHeight);
  out.y2Min = axes.y2Min;
  out.y2Max = axes.y2Max;
  if (axes.showY2 && axes.y2SameScale && !IsLogAxis(axes.yKind) && !IsLogAxis(axes.y2Kind)) {
    const LinearSteps steps =
        LinearAxisSteps(axes.yMin, axes.yMax, plot.bottom - plot.top, lineHeight, axes.yKind == PhaseAxis);
    std::tie(out.y2Min, out.y2Max) =
        SameScaleRange(axes.yMin, axes.yMax, axes.y2ZeroFraction, steps.valid ? steps.minor : 0.0);
  }
  if (axes.showY2)
    out.right = ValueAxisTexts({axes.y2Kind, out.y2Min, out.y2Max, axes.y2LabelMin, axes.y2LabelMax}, plot, charWidth,
                               lineHeight);
  auto widthsOf = [&](const ValueAxisLayout& a) {
    std::vector<int> w;
    w.reserve(a.labels.size());
    for (const AxisLabel& l : a.labels) w.push_back(std::max(0, textWidth(l.text)));
    return w;
  };
  const std::vector<int> leftWidths = widthsOf(out.left);
  const std::vector<int> rightWidths = widthsOf(out.right);
  const int leftUnitWidth = std::max(0, textWidth(out.left.unit));
  const int rightUnitWidth = axes.showY2 ? std::max(0, textWidth(out.right.unit)) : 0;

  // Margins: 6 characters, more where a unit text or a value label would
  // leave the drawing rectangle (a small font's 5 and 6 pixel offsets weigh
  // more than its characters), but never more than a third of the width.
  const int width = drawing.right - drawing.left;
  const int sixChars = 6 * charWidth;
  const int maxMargin = std::max(sixChars, width / 3);
  const int leftNeed = std::max(kUnitOffset, kTickLength + kLabelGap) + Widest(leftWidths, leftUnitWidth);
  plot.left = drawing.left + std::clamp(leftNeed, sixChars, maxMargin);
  if (axes.showY2) {
    int rightNeed = kUnitOffset + rightUnitWidth;
    for (int w : rightWidths) rightNeed = std::max(rightNeed, kRightLabelOffset + w);
    plot.right = drawing.right - std::clamp(rightNeed, sixChars, maxMargin);
  }

  // Left labels start 3 characters left of the plot, or further left when a
  // wide label would reach the tick mark.
  for (std::size_t i = 0; i < out.left.labels.size(); ++i) {
    AxisLabel& l = out.left.labels[i];
    const int w = leftWidths[i];
    const int x = std::min(plot.left - 3 * charWidth, plot.left - kTickLength - kLabelGap - w);
    l.box = {x, l.pos - lineHeight / 2, x + w, l.pos - lineHeight / 2 + lineHeight};
  }
  out.left.unitBox = {plot.left - leftUnitWidth - kUnitOffset, plot.top - 2, plot.left - kUnitOffset,
                      plot.top - 2 + lineHeight};
  ThinValueLabels(out.left.labels, lineHeight);
  if (axes.showY2) {
    for (std::size_t i = 0; i < out.right.labels.size(); ++i) {
      AxisLabel& l = out.right.labels[i];
      const int x = plot.right + kRightLabelOffset;
      l.box = {x, l.pos - lineHeight / 2, x + rightWidths[i], l.pos - lineHeight / 2 + lineHeight};
    }
    out.right.unitBox = {plot.right + kUnitOffset, plot.top - 2, plot.right + kUnitOffset + rightUnitWidth,
                         plot.top - 2 + lineHeight};
    ThinValueLabels(out.right.labels, lineHeight);
  }

  // Frequency axis: labels centred under their ticks, kept inside the
  // rectangle, a label too close to the one before it left out.
  out.frequencyTicks =
      axes.xLinear ? LinearXTicks(axes.xMin, axes.xMax, plot.right - plot.left, charWidth)
                   : FrequencyTicks(axes.xMin, axes.xMax,
                                    FrequencyAxisDensity(axes.xMin, axes.xMax, plot.right - plot.left, charWidth));
  const int gap = std::max(2, charWidth / 2);
  for (double f : out.frequencyTicks.major) {
    const int pos = axes.xLinear ? MapLinearX(f, axes.xMin, axes.xMax, plot.left, plot.right)
                                 : MapFrequency(f, axes.xMin, axes.xMax, plot.left, plot.right);
    AxisLabel l{f, pos, FormatNumber(f, 5), {}};
    const int w = std::max(0, textWidth(l.text));
    int x = l.pos - w / 2;
    x = std::max(drawing.left, std::min(x, drawing.right - w));
    l.box = {x, plot.bottom + kFrequencyLabelOffset, x + w, plot.bottom + kFrequencyLabelOffset + lineHeight};
    if (!out.frequencyLabels.empty() && l.box.left - out.frequencyLabels.back().box.right < gap) continue;
    out.frequencyLabels.push_back(std::move(l));
  }
  return out;
}

std::pair<double, double> SameScaleRange(double yMin, double yMax, double zeroFraction, double gridStep) {
  if (!std::isfinite(yMin) || !std::isfinite(yMax) || !(yMax > yMin)) return {yMin, yMax};
  const double span = yMax - yMin;
  // The left value drawn at the height of the right axis's 0; on a grid line
  // when a grid step is known.
  double offset = yMin + zeroFraction * span;
  if (gridStep > 0 && std::isfinite(gridStep) && std::fabs(offset / gridStep) < 1e12)
    offset = gridStep * std::round(offset / gridStep);
  return {yMin - offset, yMax - offset};
}

// ---------------------------------------------------------------- legend

int LegendColumns(int visibleCount) { return visibleCount > 0 ? (visibleCount + 2) / 3 : 0; }

LegendEntry LegendPlace(int k, int visibleCount, const PixelRect& drawing, int plotBottom, int charWidth,
                        int lineHeight, int legendLineHeight) {
  const int legendRowHeight = std::max(lineHeight, legendLineHeight);
  LegendEntry e;
  e.columns = std::max(1, LegendColumns(visibleCount));
  e.row = k / e.columns;
  e.column = k % e.columns;
  const int columnWidth = (drawing.right - drawing.left - 10) / e.columns;
  const int x0 = drawing.left + charWidth + columnWidth * e.column;
  const int shift = LegendShift(lineHeight);
  e.text = {x0 + 5 * charWidth / 2, plotBottom + e.row * legendRowHeight + 7 * lineHeight / 4 + shift};
  // up to one character before the next column's sample line (or the edge)
  e.textRoom = std::max(0, x0 + columnWidth - charWidth - e.text.x);
  const int lineY = plotBottom + e.row * legendRowHeight + (7 * lineHeight + 2 * legendRowHeight) / 4 + shift;
  e.lineFrom = {x0, lineY};
  e.lineTo = {x0 + 2 * charWidth, lineY};
  return e;
}

// ---------------------------------------------------------------- polar plot

PolarGeometry PolarGeometryFor(const PixelRect& drawing, int charWidth, int lineHeight) {
  const int w = drawing.right - drawing.left;
  const int h = drawing.bottom - drawing.top;
  PolarGeometry g;
  g.radius = std::max(1, std::min(w / 2 - 9 * charWidth / 2, (h - 5 * lineHeight) / 2));
  g.centerX = drawing.left + w / 2;
  g.centerY = drawing.top + lineHeight + (h - lineHeight) / 2;
  return g;
}

int PolarRadiusOf(double level, double rMin, double rMax, int radius) {
  if (std::isnan(level) || level <= rMin) return 0;
  if (level >= rMax) return radius;
  const double frac = (level - rMin) / (rMax - rMin);
  if (!std::isfinite(frac)) return 0;
  return static_cast<int>(std::lround(std::clamp(frac, 0.0, 1.0) * radius));
}

PixelPoint PolarPointAt(const PolarGeometry& g, double angle30, int rho) {
  // A direction without a valid angle is drawn at the centre.
  if (!std::isfinite(angle30)) return {g.centerX, g.centerY};
  const double a = kPiShort * angle30 / 6;
  return {g.centerX + static_cast<int>(std::lround(rho * std::sin(a))),
          g.centerY - static_cast<int>(std::lround(rho * std::cos(a)))};
}

std::vector<PixelPoint> PolarOutline(const PolarGeometry& g, const double* angles, const double* levels, int count,
                                     double rMin, double rMax) {
  std::vector<PixelPoint> pts;
  if (count <= 0) return pts;
  auto at = [&](int i) { return PolarPointAt(g, angles[i], PolarRadiusOf(levels[i], rMin, rMax, g.radius)); };
  pts.reserve(static_cast<std::size_t>(count) + 1);
  pts.push_back(at(count - 1));
  for (int i = 0; i < count; ++i) pts.push_back(at(i));
  return pts;
}

LinearSteps PolarRingSteps(double rMin, double rMax, int radius, int lineHeight) {
  if (!std::isfinite(rMin) || !std::isfinite(rMax) || !(rMax > rMin) || radius <= 0) return {};
  return LinearStepsAbove(2.2 * (rMax - rMin) / radius * lineHeight);
}

}  // namespace sonvex
