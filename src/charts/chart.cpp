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

TColor LighterColor(TColor c) {
  const int r = c & 0xFF;
  const int g = (c >> 8) & 0xFF;
  const int b = (c >> 16) & 0xFF;
  return RGBColor(r / 2 + 128, g / 2 + 128, b / 2 + 128);
}

void DrawSonvexLogo(QPainter& p, const TPixelRect& r) {
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

bool TZChart::PaintChart(QPainter& painter, int left, int top, int right, int bottom) {
  return GuardedPaint(painter, OnPaintError, [&] { PaintContent(painter, {left, top, right, bottom}); });
}

void TZChart::StoreReference() {
  for (int i = 0; i < kChartCurves; ++i)
    Curves[static_cast<std::size_t>(kChartCurves + i)] = Curves[static_cast<std::size_t>(i)];
}

void TZChart::ClearReference() {
  for (int i = kChartCurves; i < kChartSlots; ++i) Curves[static_cast<std::size_t>(i)] = TChartCurve{};
}

int TZChart::MapX(double f) const { return MapFrequency(f, XMin, XMax, Plot.left, Plot.right); }
int TZChart::MapY(double y) const { return MapValue(y, YMin, YMax, YKind, Plot.top, Plot.bottom); }
int TZChart::MapY2(double y) const { return MapValue(y, Y2Min, Y2Max, Y2Kind, Plot.top, Plot.bottom); }

void TZChart::PaintContent(QPainter& p, const TPixelRect& r) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  const QRect area(r.left, r.top, r.right - r.left, r.bottom - r.top);
  // charts sharing one surface never draw into each other
  p.setClipRect(area, p.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
  p.setRenderHint(QPainter::Antialiasing, false);

  if (!HasData) {
    p.fillRect(area, QColor(208, 208, 208));
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    // largest 578:376 rectangle within 6/7 of the width and of the height
    int lw = 6 * w / 7;
    int lh = lw * 376 / 578;
    if (lh > 6 * h / 7) {
      lh = 6 * h / 7;
      lw = lh * 578 / 376;
    }
    const int lx = r.left + (w - lw) / 2;
    const int ly = r.top + (h - lh) / 2;
    DrawSonvexLogo(p, {lx, ly, lx + lw, ly + lh});
    return;
  }

  const QColor text = ToQColor(TextColor);
  const int size = ChartFontSize(r.right - r.left, PrintMode, [&](int s) {
    return QFontMetrics(ChartFont(s, false), p.device()).horizontalAdvance(QStringLiteral("mmmmmmmmmmm"));
  });
  FontSize = size;
  QFont font = ChartFont(size, false);
  p.setFont(font);
  {
    const QFontMetrics fm(font, p.device());
    cw = std::max(1, fm.horizontalAdvance(QStringLiteral("mmmmm")) / 5);
    ch = std::max(1, fm.height());
  }
  // Subtitle and legend stay readable on a small screen, where the axis
  // texts of a quarter page go down to a few points; the title stays a
  // quarter larger than the subtitle. Print mode already takes the fonts of
  // twice the width for its finer resolution.
  LegendFontSize = PrintMode ? size : LegibleFontSize(size);
  QFont legendFont = ChartFont(LegendFontSize, false);
  legendFont.setBold(PrintMode && BoldTitle);  // print mode keeps the bold style
  const QFont titleFont = ChartFont(LegendFontSize + LegendFontSize / 4, BoldTitle);
  lch = std::max(ch, QFontMetrics(legendFont, p.device()).height());
  // A title taller than the 4/3 lines it has beside the axis font pushes the
  // subtitle down.
  const int titleExtra = std::max(0, QFontMetrics(titleFont, p.device()).height() - 4 * ch / 3);
  const int subTitleTop = r.top + 5 * ch / 3 + (LegendFontSize > size ? titleExtra : 0);
  {
    TChartAxes axes;
    axes.xMin = XMin;
    axes.xMax = XMax;
    axes.yMin = YMin;
    axes.yMax = YMax;
    axes.y2Min = Y2Min;
    axes.y2Max = Y2Max;
    axes.yKind = YKind;
    axes.y2Kind = Y2Kind;
    axes.showY2 = ShowY2;
    axes.noLegend = NoLegend;
    axes.y2SameScale = Y2SameScale;
    axes.y2ZeroFraction = Y2ZeroFraction;
    axes.y2LabelMin = Y2LabelMin;
    axes.y2LabelMax = Y2LabelMax;
    axes.legendCh = lch;
    axes.subTitleCh = lch + (subTitleTop - r.top - 5 * ch / 3);
    // measured in the font the axis texts are painted with (bold in print
    // mode with a bold title)
    QFont axisFont = font;
    axisFont.setBold(PrintMode && BoldTitle);
    const QFontMetrics fm(axisFont, p.device());
    Layout = LayoutChart(r, cw, ch, axes, [&](std::string_view s) { return fm.horizontalAdvance(QText(s)); });
  }
  Plot = Layout.plot;
  if (Y2SameScale && ShowY2) {
    Y2Min = Layout.y2Min;
    Y2Max = Layout.y2Max;
  }

  p.fillRect(area, ToQColor(BackColor));

  // title lines
  p.setFont(titleFont);
  p.setPen(text);
  TextOutTopLeft(p, Plot.left, r.top + ch / 3, Title);
  p.setFont(legendFont);
  TextOutTopLeft(p, Plot.left, subTitleTop, SubTitle);
  font.setBold(PrintMode && BoldTitle);  // print mode keeps the bold style
  p.setFont(font);

  const int axisPen = PrintMode ? 3 : 1;
  PaintValueAxis(p, Layout.left, false, axisPen);
  if (ShowY2) PaintValueAxis(p, Layout.right, true, axisPen);
  PaintFrequencyAxis(p, axisPen);

  // reference curves: dotted, half way to white, drawn below the current ones
  for (int s = kChartSlots - 1; s >= kChartCurves; --s) {
    const TChartCurve& c = Curves[static_cast<std::size_t>(s)];
    if (!c.Visible || c.Count < 2) continue;
    p.setPen(QPen(ToQColor(LighterColor(c.Color)), axisPen, Qt::DotLine));
    PaintCurve(p, c);
  }

  // current curves and legend, slot 25 first so that slot 0 ends on top;
  // the reference curves share one legend entry after the current ones
  const int curvePen = PrintMode ? 5 : axisPen;
  int visible = 0;
  for (int s = 0; s < kChartCurves; ++s) visible += Curves[static_cast<std::size_t>(s)].Visible ? 1 : 0;
  const TChartCurve* firstReference = nullptr;
  for (int s = kChartCurves; s < kChartSlots && firstReference == nullptr; ++s) {
    const TChartCurve& c = Curves[static_cast<std::size_t>(s)];
    if (c.Visible && c.Count >= 2) firstReference = &c;
  }
  const int entries = visible + (firstReference != nullptr ? 1 : 0);
  auto legendEntry = [&](int k, std::string_view name, const QPen& sample) {
    if (NoLegend) return;
    const TLegendEntry e = LegendPlace(k, entries, r, Plot.bottom, cw, ch, lch);
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
                QPen(ToQColor(LighterColor(firstReference->Color)), axisPen, Qt::DotLine));
  int k = visible;
  for (int s = kChartCurves - 1; s >= 0; --s) {
    const TChartCurve& c = Curves[static_cast<std::size_t>(s)];
    if (!c.Visible) continue;
    --k;
    const QColor colour = ToQColor(c.Color);
    legendEntry(k, c.Name.View(), QPen(colour, curvePen, Qt::SolidLine));
    if (c.Count < 2) continue;
    p.setPen(QPen(colour, curvePen, Qt::SolidLine));
    PaintCurve(p, c);
  }

  if (!Note.empty()) {
    p.setFont(font);
    p.setPen(text);
    const QRect plot(Plot.left, Plot.top, Plot.right - Plot.left, Plot.bottom - Plot.top);
    const QRect room = plot.adjusted(2 * cw, ch, -2 * cw, -ch);
    const QString note = QText(Note);
    // On a framed field of the background colour, so that no curve runs
    // through the text.
    const QRect box = p.boundingRect(room, Qt::AlignCenter | Qt::TextWordWrap, note).adjusted(-cw, -ch / 3, cw, ch / 3);
    p.fillRect(box, ToQColor(BackColor));
    p.drawRect(box);
    p.drawText(room, Qt::AlignCenter | Qt::TextWordWrap, note);
  }
}

void TZChart::PaintValueAxis(QPainter& p, const TValueAxisLayout& axis, bool right, int penWidth) {
  const int kind = right ? Y2Kind : YKind;
  const double lo = right ? Y2Min : YMin;
  const double hi = right ? Y2Max : YMax;
  auto map = [&](double v) { return MapValue(v, lo, hi, kind, Plot.top, Plot.bottom); };

  if (!right) {
    p.setPen(QPen(QColor(192, 192, 192), penWidth));
    for (double v : axis.ticks.minor) {
      const int y = map(v);
      p.drawLine(Plot.left, y, Plot.right, y);
    }
    p.setPen(QPen(QColor(128, 128, 128), penWidth));
    for (double v : axis.ticks.major) {
      const int y = map(v);
      p.drawLine(Plot.left, y, Plot.right, y);
      if (PrintMode) p.drawLine(Plot.left - 4, y + 1, Plot.right, y + 1);
    }
  }

  p.setPen(QPen(ToQColor(TextColor), penWidth));
  for (int y : axis.tickMarks) {
    if (right) {
      p.drawLine(Plot.right + kTickLength, y, Plot.right, y);
    } else {
      p.drawLine(Plot.left - kTickLength, y, Plot.left, y);
    }
  }
  for (const TAxisLabel& l : axis.labels) TextOutTopLeft(p, l.box.left, l.box.top, l.text);
  TextOutTopLeft(p, axis.unitBox.left, axis.unitBox.top, axis.unit);
}

void TZChart::PaintFrequencyAxis(QPainter& p, int penWidth) {
  const TAxisTicks& ticks = Layout.frequencyTicks;
  p.setPen(QPen(QColor(192, 192, 192), penWidth));
  for (double f : ticks.minor) {
    const int x = MapX(f);
    p.drawLine(x, Plot.top, x, Plot.bottom);
  }
  p.setPen(QPen(QColor(128, 128, 128), penWidth));
  for (double f : ticks.major) {
    const int x = MapX(f);
    p.drawLine(x, Plot.top, x, Plot.bottom);
  }
  p.setPen(QPen(ToQColor(TextColor), penWidth));
  for (double f : ticks.major) {
    const int x = MapX(f);
    p.drawLine(x, Plot.bottom, x, Plot.bottom + kTickLength);
  }
  for (const TAxisLabel& l : Layout.frequencyLabels) TextOutTopLeft(p, l.box.left, l.box.top, l.text);
}

void TZChart::PaintCurve(QPainter& p, const TChartCurve& c) const {
  // Non-finite x and NaN y values (a failed point) break the line rather than
  // drawing a spike to the plot edge; infinite levels are clamped like any
  // value outside the axis.
  const int n = std::clamp(c.Count, 0, kChartPoints);
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
    run << QPoint(MapX(x), c.RightAxis ? MapY2(y) : MapY(y));
  }
  flush();
  p.restore();
}

}  // namespace sonvex
