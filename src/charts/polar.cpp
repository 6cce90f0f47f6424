#include "charts/polar.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <QPolygon>
#include <QRect>
#include <algorithm>
#include <exception>
#include <string>
#include <vector>

#include "charts/chart_paint_util.h"
#include "model/number_text.h"

namespace sonvex {

bool PolarPlot::PaintChart(QPainter& painter, int left, int top, int right, int bottom) {
  return GuardedPaint(painter, onPaintError, [&] { PaintContent(painter, {left, top, right, bottom}); });
}

int PolarPlot::MapRadius(double level) const { return PolarRadiusOf(level, rMin, rMax, radius); }

void PolarPlot::PaintContent(QPainter& p, const PixelRect& r) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  const QRect area(r.left, r.top, r.right - r.left, r.bottom - r.top);
  p.setClipRect(area, p.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
  p.setRenderHint(QPainter::Antialiasing, false);

  if (!hasData) {
    p.fillRect(area, QColor(192, 192, 192));
    return;
  }

  const int size = PolarFontSize(r.right - r.left, [&](int s) {
    return QFontMetrics(ChartFont(s, false), p.device()).horizontalAdvance(QStringLiteral("mmmmmmmmmm"));
  });
  const QFont font = ChartFont(size, false);
  int charWidth = 1;
  int lineHeight = 1;
  {
    const QFontMetrics fm(font, p.device());
    charWidth = std::max(1, fm.horizontalAdvance(QStringLiteral("mmmmm")) / 5);
    lineHeight = std::max(1, fm.height());
  }
  const PolarGeometry g = PolarGeometryFor(r, charWidth, lineHeight);
  centerX = g.centerX;
  centerY = g.centerY;
  radius = g.radius;

  p.fillRect(area, Qt::white);
  p.setPen(Qt::black);
  p.setFont(ChartFont(size + 2, false));
  TextOutTopLeft(p, centerX - TextWidth(p, title) / 2, r.top + lineHeight / 3, title);
  p.setFont(font);

  p.setPen(QColor(128, 128, 128));
  p.drawLine(centerX - radius, centerY, centerX + radius, centerY);
  p.drawLine(centerX, centerY - radius, centerX, centerY + radius);

  // rings: minor ones in silver, major ones in grey with their level below
  // the centre
  const AxisTicks rings = LinearTicks(rMin, rMax, PolarRingSteps(rMin, rMax, radius, lineHeight));
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.translate(0.5, 0.5);  // smooth lines centred on the mapped pixels
  p.setBrush(Qt::NoBrush);
  p.setPen(QColor(192, 192, 192));
  for (double level : rings.minor) {
    const int rr = MapRadius(level);
    p.drawEllipse(QPoint(centerX, centerY), rr, rr);
  }
  p.setPen(QColor(128, 128, 128));
  for (double level : rings.major) {
    const int rr = MapRadius(level);
    p.drawEllipse(QPoint(centerX, centerY), rr, rr);
  }
  p.restore();
  p.setPen(Qt::black);
  for (double level : rings.major) {
    TextOutTopLeft(p, centerX + 2, centerY + MapRadius(level) - lineHeight / 2, FormatNumber(level, 6));
  }

  // closed outline through the points
  const int n = std::clamp(count, 0, kPolarPoints);
  const std::vector<PixelPoint> outline = PolarOutline(g, angles.data(), radii.data(), n, rMin, rMax);
  if (outline.size() >= 2) {
    QPolygon poly;
    for (const PixelPoint& pt : outline) poly << QPoint(pt.x, pt.y);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.translate(0.5, 0.5);
    p.setPen(QPen(Qt::black, 1));
    p.drawPolyline(poly);
    p.restore();
  }

  // side texts
  TextOutTopLeft(p, centerX - TextWidth(p, labelTop) / 2, centerY - radius - 3 - lineHeight, labelTop);
  TextOutTopLeft(p, centerX - TextWidth(p, labelBottom) / 2, centerY + radius + lineHeight / 2, labelBottom);
  TextOutTopLeft(p, centerX - radius - 3 - TextWidth(p, labelLeft), centerY - lineHeight / 2, labelLeft);
  TextOutTopLeft(p, centerX + radius, centerY - lineHeight / 2, labelRight);
}

}  // namespace sonvex
