#pragma once
// Small painting helpers shared by the chart and the polar plot.
#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <string>
#include <string_view>

#include "charts/qt_text.h"
#include "model/project.h"

namespace sonvex {

// The message of a failed paint.
inline constexpr std::string_view kPaintChartError = "Fehler bei PaintChart";

// Called with "Fehler bei PaintChart" when painting fails; without a handler
// the message goes to the Qt warning log.
using PaintErrorHandler = std::function<void(std::string_view)>;

// Colour value (red in the lowest byte) to a Qt colour.
inline QColor ToQColor(ColorValue c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

// Charts ask for Arial; fontconfig substitutes a metric-compatible family
// where Arial itself is not installed.
inline QFont ChartFont(int pointSize, bool bold) {
  QFont f(QStringLiteral("Arial"));
  f.setStyleHint(QFont::SansSerif);
  f.setPointSize(pointSize);
  f.setBold(bold);
  return f;
}

inline int TextWidth(const QPainter& p, std::string_view text) {
  return QFontMetrics(p.font(), p.device()).horizontalAdvance(QText(text));
}

// Text whose character cell has its top-left corner at (x, y).
inline void TextOutTopLeft(QPainter& p, int x, int y, std::string_view text) {
  if (text.empty()) return;
  p.drawText(x, y + QFontMetrics(p.font(), p.device()).ascent(), QText(text));
}

inline void ReportPaintError(const PaintErrorHandler& handler) {
  if (handler) {
    handler(kPaintChartError);
  } else {
    qWarning("%.*s", static_cast<int>(kPaintChartError.size()), kPaintChartError.data());
  }
}

// Runs `content` with the painter's state saved and restored; an inactive
// painter or anything thrown while painting is reported as a failed paint.
template <typename F>
bool GuardedPaint(QPainter& painter, const PaintErrorHandler& onError, F&& content) {
  if (!painter.isActive()) {  // nothing can be drawn: a failure like any other
    ReportPaintError(onError);
    return false;
  }
  bool ok = true;
  painter.save();
  try {
    content();
  } catch (...) {
    ok = false;
  }
  painter.restore();
  if (!ok) ReportPaintError(onError);
  return ok;
}

}  // namespace sonvex
