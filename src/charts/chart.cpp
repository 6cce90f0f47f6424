#include "charts/chart.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygon>
#include <QRect>
#include <QString>
#include <QtGlobal>
#include <algorithm>
#include <cmath>
#include <exception>
#include <string>
#include <vector>

#include "charts/chart_paint_util.h"
#include "charts/qt_text.h"

namespace sonvex {

ColorValue LighterColor(ColorValue c) {
  const int r = c & 0xFF;
  const int g = (c >> 8) & 0xFF;
  const int b = (c >> 16) & 0xFF;
  return RGBColor(r / 2 + 128, g / 2 + 128, b / 2 + 128);
}

void DrawSonvexLogo(QPainter& p, const PixelRect& r) {
  // Our own mark, drawn in a 578 x 376 design space and scaled to fit: a
  // loudspeaker cone sending out three wave fronts, and the program's name.
  const double w = r.right - r.left;
  const double h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return;
  const QColor ink(36, 64, 112);
  const QColor accent(214, 120, 32);

  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.translate(r.left, r.top);
  p.scale(w / 578.0, h / 376.0);

  // plate
  p.setPen(QPen(QColor(150, 150, 150), 3));
  p.setBrush(QColor(236, 236, 236));
  p.drawRoundedRect(QRectF(6, 6, 566, 364), 36, 36);

  // magnet and cone
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(70, 70, 78));
  p.drawRoundedRect(QRectF(40, 150, 44, 76), 6, 6);
  QPolygonF cone;
  cone << QPointF(84, 160) << QPointF(174, 84) << QPointF(174, 292) << QPointF(84, 216);
  QLinearGradient coneFill(84, 0, 174, 0);
  coneFill.setColorAt(0, ink.darker(130));
  coneFill.setColorAt(1, ink.lighter(150));
  p.setBrush(coneFill);
  p.drawPolygon(cone);
  p.setBrush(accent);
  p.drawEllipse(QPointF(118, 188), 17, 26);  // dust cap

  // wave fronts
  p.setBrush(Qt::NoBrush);
  for (int i = 0; i < 3; ++i) {
    const double rad = 44 + 30 * i;
    QPen pen(i == 0 ? accent : ink, 9 - 2 * i);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.drawArc(QRectF(174 - rad, 188 - rad, 2 * rad, 2 * rad), -40 * 16, 80 * 16);
  }

  // name
  // name, sized to fill its box whatever family fontconfig substitutes
  const QString name = QStringLiteral("Sonvex");
  const QRectF nameBox(296, 120, 250, 120);
  QFont f(QStringLiteral("Arial"));
  f.setStyleHint(QFont::SansSerif);
  f.setBold(true);
  f.setPixelSize(100);
  const double natural = QFontMetricsF(f).horizontalAdvance(name);
  if (natural > 0) f.setPixelSize(std::clamp(static_cast<int>(100 * nameBox.width() / natural), 8, 110));
  p.setFont(f);
  p.setPen(ink);
  p.drawText(nameBox, Qt::AlignLeft | Qt::AlignVCenter, name);
  p.setPen(QPen(accent, 6, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(300, 256), QPointF(546, 256));
  p.restore();
}

bool Chart::PaintChart(QPainter& painter, int left, int top, int right, int bottom) {
  return GuardedPaint(painter, onPaintError, [&] { PaintContent(painter, {left, top, right, bottom}); });
}

void Chart::StoreReference() {
  for (int i = 0; i < kChartCurves; ++i)
    curves[static_cast<std::size_t>(kChartCurves + i)] = curves[static_cast<std::size_t>(i)];
}

void Chart::ClearReference() {
  for (int i = kChartCurves; i < kChartSlots; ++i) curves[static_cast<std::size_t>(i)] = ChartCurve{};
}

int Chart::MapX(double f) const {
  return xLinear ? MapLinearX(f, xMin, xMax, plot.left, plot.right)
                 : MapFrequency(f, xMin, xMax, plot.left, plot.right);
}
int Chart::MapY(double y) const { return MapValue(y, yMin, yMax, yKind, plot.top, plot.bottom); }
int Chart::MapY2(double y) const { return MapValue(y, y2Min, y2Max, y2Kind, plot.top, plot.bottom); }

void Chart::PaintContent(QPainter& p, const PixelRect& r) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  const QRect area(r.left, r.top, r.right - r.left, r.bottom - r.top);
  // charts sharing one surface never draw into each other
  p.setClipRect(area, p.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
  p.setRenderHint(QPainter::Antialiasing, false);

  if (!hasData) {
    p.fillRect(area, QColor(208, 208, 208));
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    // largest 578:376 rectangle within 6/7 of the width and of the height
    int logoWidth = 6 * w / 7;
    int logoHeight = logoWidth * 376 / 578;
    if (logoHeight > 6 * h / 7) {
      logoHeight = 6 * h / 7;
      logoWidth = logoHeight * 578 / 376;
    }
    const int logoLeft = r.left + (w - logoWidth) / 2;
    const int logoTop = r.top + (h - logoHeight) / 2;
    DrawSonvexLogo(p, {logoLeft, logoTop, logoLeft + logoWidth, logoTop + logoHeight});
    return;
  }

  const QColor text = ToQColor(textColor);
  const int size = ChartFontSize(r.right - r.left, printMode, [&](int s) {
    return QFontMetrics(ChartFont(s, false), p.device()).horizontalAdvance(QStringLiteral("mmmmmmmmmmm"));
  });
  fontSize = size;
  QFont font = ChartFont(size, false);
  p.setFont(font);
  {
    const QFontMetrics fm(font, p.device());
    charWidth = std::max(1, fm.horizontalAdvance(QStringLiteral("mmmmm")) / 5);
    lineHeight = std::max(1, fm.height());
  }
  // Subtitle and legend stay readable on a small screen, where the axis
  // texts of a quarter page go down to a few points; the title stays a
  // quarter larger than the subtitle. Print mode already takes the fonts of
  // twice the width for its finer resolution.
  legendFontSize = printMode ? size : LegibleFontSize(size);
  QFont legendFont = ChartFont(legendFontSize, false);
  legendFont.setBold(printMode && boldTitle);  // print mode keeps the bold style
  const QFont titleFont = ChartFont(legendFontSize + legendFontSize / 4, boldTitle);
  legendLineHeight = std::max(lineHeight, QFontMetrics(legendFont, p.device()).height());
  // A title taller than the 4/3 lines it has beside the axis font pushes the
  // subtitle down.
  const int titleExtra = std::max(0, QFontMetrics(titleFont, p.device()).height() - 4 * lineHeight / 3);
  const int subTitleTop = r.top + 5 * lineHeight / 3 + (legendFontSize > size ? titleExtra : 0);
  {
    ChartAxes axes;
    axes.xMin = xMin;
    axes.xMax = xMax;
    axes.xLinear = xLinear;
    axes.yMin = yMin;
    axes.yMax = yMax;
    axes.y2Min = y2Min;
    axes.y2Max = y2Max;
    axes.yKind = yKind;
    axes.y2Kind = y2Kind;
    axes.showY2 = showY2;
    axes.noLegend = noLegend;
    axes.y2SameScale = y2SameScale;
    axes.y2ZeroFraction = y2ZeroFraction;
    axes.y2LabelMin = y2LabelMin;
    axes.y2LabelMax = y2LabelMax;
    axes.legendLineHeight = legendLineHeight;
    axes.subTitleLineHeight = legendLineHeight + (subTitleTop - r.top - 5 * lineHeight / 3);
    // measured in the font the axis texts are painted with (bold in print
    // mode with a bold title)
    QFont axisFont = font;
    axisFont.setBold(printMode && boldTitle);
    const QFontMetrics fm(axisFont, p.device());
    layout =
        LayoutChart(r, charWidth, lineHeight, axes, [&](std::string_view s) { return fm.horizontalAdvance(QText(s)); });
  }
  plot = layout.plot;
  if (y2SameScale && showY2) {
    y2Min = layout.y2Min;
    y2Max = layout.y2Max;
  }

  p.fillRect(area, ToQColor(backColor));

  // title lines
  p.setFont(titleFont);
  p.setPen(text);
  TextOutTopLeft(p, plot.left, r.top + lineHeight / 3, title);
  p.setFont(legendFont);
  TextOutTopLeft(p, plot.left, subTitleTop, subTitle);
  font.setBold(printMode && boldTitle);  // print mode keeps the bold style
  p.setFont(font);

  const int axisPen = printMode ? 3 : 1;
  PaintValueAxis(p, layout.left, false, axisPen);
  if (showY2) PaintValueAxis(p, layout.right, true, axisPen);
  PaintFrequencyAxis(p, axisPen);

  // reference curves: dotted, half way to white, drawn below the current ones
  for (int s = kChartSlots - 1; s >= kChartCurves; --s) {
    const ChartCurve& c = curves[static_cast<std::size_t>(s)];
    if (!c.visible || c.count < 2) continue;
    p.setPen(QPen(ToQColor(LighterColor(c.color)), axisPen, Qt::DotLine));
    PaintCurve(p, c);
  }

  // current curves and legend, slot 25 first so that slot 0 ends on top;
  // the reference curves share one legend entry after the current ones
  const int curvePen = printMode ? 5 : axisPen;
  int visible = 0;
  for (int s = 0; s < kChartCurves; ++s) visible += curves[static_cast<std::size_t>(s)].visible ? 1 : 0;
  const ChartCurve* firstReference = nullptr;
  for (int s = kChartCurves; s < kChartSlots && firstReference == nullptr; ++s) {
    const ChartCurve& c = curves[static_cast<std::size_t>(s)];
    if (c.visible && c.count >= 2) firstReference = &c;
  }
  const int entries = visible + (firstReference != nullptr ? 1 : 0);
  auto legendEntry = [&](int k, std::string_view name, const QPen& sample) {
    if (noLegend) return;
    const LegendEntry e = LegendPlace(k, entries, r, plot.bottom, charWidth, lineHeight, legendLineHeight);
    p.setFont(legendFont);
    p.setPen(text);
    const QFontMetrics fm(legendFont, p.device());
    const QString shown = fm.elidedText(QText(name), Qt::ElideRight, e.textRoom);
    p.drawText(e.text.x, e.text.y + fm.ascent(), shown);
    p.setPen(sample);
    p.drawLine(e.lineFrom.x, e.lineFrom.y, e.lineTo.x, e.lineTo.y);
    p.setFont(font);
  };
  if (firstReference != nullptr)
    legendEntry(visible, kReferenceLegendName,
                QPen(ToQColor(LighterColor(firstReference->color)), axisPen, Qt::DotLine));
  int k = visible;
  for (int s = kChartCurves - 1; s >= 0; --s) {
    const ChartCurve& c = curves[static_cast<std::size_t>(s)];
    if (!c.visible) continue;
    --k;
    const QColor colour = ToQColor(c.color);
    legendEntry(k, c.name.View(), QPen(colour, curvePen, Qt::SolidLine));
    if (c.count < 2) continue;
    p.setPen(QPen(colour, curvePen, Qt::SolidLine));
    PaintCurve(p, c);
  }

  if (!note.empty()) {
    p.setFont(font);
    p.setPen(text);
    const QRect plotRect(plot.left, plot.top, plot.right - plot.left, plot.bottom - plot.top);
    const QRect room = plotRect.adjusted(2 * charWidth, lineHeight, -2 * charWidth, -lineHeight);
    const QString noteText = QText(note);
    // On a framed field of the background colour, so that no curve runs
    // through the text.
    const QRect box = p.boundingRect(room, Qt::AlignCenter | Qt::TextWordWrap, noteText)
                          .adjusted(-charWidth, -lineHeight / 3, charWidth, lineHeight / 3);
    p.fillRect(box, ToQColor(backColor));
    p.drawRect(box);
    p.drawText(room, Qt::AlignCenter | Qt::TextWordWrap, noteText);
  }
}

void Chart::PaintValueAxis(QPainter& p, const ValueAxisLayout& axis, bool right, int penWidth) {
  const int kind = right ? y2Kind : yKind;
  const double lo = right ? y2Min : yMin;
  const double hi = right ? y2Max : yMax;
  auto map = [&](double v) { return MapValue(v, lo, hi, kind, plot.top, plot.bottom); };

  if (!right) {
    p.setPen(QPen(QColor(192, 192, 192), penWidth));
    for (double v : axis.ticks.minor) {
      const int y = map(v);
      p.drawLine(plot.left, y, plot.right, y);
    }
    p.setPen(QPen(QColor(128, 128, 128), penWidth));
    for (double v : axis.ticks.major) {
      const int y = map(v);
      p.drawLine(plot.left, y, plot.right, y);
      if (printMode) p.drawLine(plot.left - 4, y + 1, plot.right, y + 1);
    }
  }

  p.setPen(QPen(ToQColor(textColor), penWidth));
  for (int y : axis.tickMarks) {
    if (right) {
      p.drawLine(plot.right + kTickLength, y, plot.right, y);
    } else {
      p.drawLine(plot.left - kTickLength, y, plot.left, y);
    }
  }
  for (const AxisLabel& l : axis.labels) TextOutTopLeft(p, l.box.left, l.box.top, l.text);
  TextOutTopLeft(p, axis.unitBox.left, axis.unitBox.top, axis.unit);
}

void Chart::PaintFrequencyAxis(QPainter& p, int penWidth) {
  const AxisTicks& ticks = layout.frequencyTicks;
  p.setPen(QPen(QColor(192, 192, 192), penWidth));
  for (double f : ticks.minor) {
    const int x = MapX(f);
    p.drawLine(x, plot.top, x, plot.bottom);
  }
  p.setPen(QPen(QColor(128, 128, 128), penWidth));
  for (double f : ticks.major) {
    const int x = MapX(f);
    p.drawLine(x, plot.top, x, plot.bottom);
  }
  p.setPen(QPen(ToQColor(textColor), penWidth));
  for (double f : ticks.major) {
    const int x = MapX(f);
    p.drawLine(x, plot.bottom, x, plot.bottom + kTickLength);
  }
  for (const AxisLabel& l : layout.frequencyLabels) TextOutTopLeft(p, l.box.left, l.box.top, l.text);
}

void Chart::PaintCurve(QPainter& p, const ChartCurve& c) const {
  // Non-finite x and NaN y values (a failed point) break the line rather than
  // drawing a spike to the plot edge; infinite levels are clamped like any
  // value outside the axis.
  const int n = std::clamp(c.count, 0, kChartPoints);
  // Smooth lines, centred on the pixels the mapping names.
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.translate(0.5, 0.5);
  QPolygon run;
  auto flush = [&] {
    if (run.size() >= 2) p.drawPolyline(run);
    run.clear();
  };
  for (int i = 0; i < n; ++i) {
    const double x = c.X[static_cast<std::size_t>(i)];
    const double y = c.Y[static_cast<std::size_t>(i)];
    if (std::isnan(x) || std::isinf(x) || std::isnan(y)) {
      flush();
      continue;
    }
    run << QPoint(MapX(x), c.rightAxis ? MapY2(y) : MapY(y));
  }
  flush();
  p.restore();
}

}  // namespace sonvex
