#include "ui/dialog_text.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFontMetrics>
#include <QWidget>

namespace sonvex {

QString ProgramCaption() {
  const QString file = QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
  const QString name = QFileInfo(file).completeBaseName();
  return name.isEmpty() ? QStringLiteral("Sonvex") : name;
}

TTextWidth FontWidth(const QWidget* w) {
  const QFontMetrics fm(w->font());
  return [fm](const QString& s) { return fm.horizontalAdvance(s); };
}

}  // namespace sonvex
