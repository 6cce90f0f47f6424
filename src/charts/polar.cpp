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

bool TZPolar::PaintChart(QPainter& painter, int left, int top, int right, int bottom) {
  return GuardedPaint(painter, OnPaintError, [&] { PaintContent(painter, {left, top, right, bottom}); });
}

int TZPolar::MapRadius(double level) const { return PolarRadiusOf(level, RMin, RMax, Radius); }

void TZPolar::PaintContent(QPainter& p, const TPixelRect& r) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  const QRect area(r.left, r.top, r.right - r.left, r.bottom - r.top);
  p.setClipRect(area, p.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
  p.setRenderHint(QPainter::Antialiasing, false);

  if (!HasData) {
    p.fillRect(area, QColor(192, 192, 192));
    return;
  }

  const int size = PolarFontSize(r.right - r.left, [&](int s) {
    return QFontMetrics(ChartFont(s, false), p.device()).horizontalAdvance(QStringLiteral("mmmmmmmmmm"));
  });
  const QFont font = ChartFont(size, false);
  int cw = 1;
  int ch = 1;
  {
    const QFontMetrics fm(font, p.device());
    cw = std::max(1, fm.horizontalAdvance(QStringLiteral("mmmmm")) / 5);
    ch = std::max(1, fm.height());
  }
  const TPolarGeometry g = PolarGeometryFor(r, cw, ch);
  CenterX = g.centerX;
  CenterY = g.centerY;
  Radius = g.radius;

  p.fillRect(area, Qt::white);
  p.setPen(Qt::black);
  p.setFont(ChartFont(size + 2, false));
  TextOutTopLeft(p, CenterX - TextWidth(p, Title) / 2, r.top + ch / 3, Title);
  p.setFont(font);

  p.setPen(QColor(128, 128, 128));
  p.drawLine(CenterX - Radius, CenterY, CenterX + Radius, CenterY);
  p.drawLine(CenterX, CenterY - Radius, CenterX, CenterY + Radius);

  // rings: minor ones in silver, major ones in grey with their level below
  // the centre
  const TAxisTicks rings = LinearTicks(RMin, RMax, PolarRingSteps(RMin, RMax, Radius, ch));
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.translate(0.5, 0.5);  // smooth lines centred on the mapped pixels
  p.setBrush(Qt::NoBrush);
  p.setPen(QColor(192, 192, 192));
  for (double level : rings.minor) {
    const int rr = MapRadius(level);
    p.drawEllipse(QPoint(CenterX, CenterY), rr, rr);
  }
  p.setPen(QColor(128, 128, 128));
  for (double level : rings.major) {
    const int rr = MapRadius(level);
    p.drawEllipse(QPoint(CenterX, CenterY), rr, rr);
  }
  p.restore();
  p.setPen(Qt::black);
  for (double level : rings.major) {
    TextOutTopLeft(p, CenterX + 2, CenterY + MapRadius(level) - ch / 2, FormatNumber(level, 6));
  }

  // closed outline through the points
  const int n = std::clamp(Count, 0, kPolarPoints);
  const std::vector<TPixelPoint> outline = PolarOutline(g, Angles.data(), Radii.data(), n, RMin, RMax);
  if (outline.size() >= 2) {
    QPolygon poly;
    for (const TPixelPoint& pt : outline) poly << QPoint(pt.x, pt.y);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.translate(0.5, 0.5);
    p.setPen(QPen(Qt::black, 1));
    p.drawPolyline(poly);
    p.restore();
  }

  // side texts
  TextOutTopLeft(p, CenterX - TextWidth(p, LabelTop) / 2, CenterY - Radius - 3 - ch, LabelTop);
  TextOutTopLeft(p, CenterX - TextWidth(p, LabelBottom) / 2, CenterY + Radius + ch / 2, LabelBottom);
  TextOutTopLeft(p, CenterX - Radius - 3 - TextWidth(p, LabelLeft), CenterY - ch / 2, LabelLeft);
  TextOutTopLeft(p, CenterX + Radius, CenterY - ch / 2, LabelRight);
}

}  // namespace sonvex
