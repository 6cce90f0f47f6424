#include "ui/dialogs/dialog_text.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPushButton>
#include <QWidget>

namespace sonvex {

QString ProgramCaption() {
  const QString file = QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
  const QString name = QFileInfo(file).completeBaseName();
  return name.isEmpty() ? QStringLiteral("Sonvex") : name;
}

TextMeasure FontWidth(const QWidget* w) {
  const QFontMetrics fm(w->font());
  return [fm](const QString& s) { return fm.horizontalAdvance(s); };
}

std::pair<QPushButton*, QPushButton*> AddOkCancel(QDialog* dialog, QBoxLayout* row, const QString& okText,
                                                  const QString& cancelText) {
  auto* ok = new QPushButton(okText, dialog);
  auto* cancel = new QPushButton(cancelText, dialog);
  ok->setDefault(true);
  QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  row->addWidget(ok);
  row->addWidget(cancel);
  return {ok, cancel};
}

}  // namespace sonvex
