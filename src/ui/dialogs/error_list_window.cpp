#include "ui/dialogs/error_list_window.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

#include "ui/dialogs/window_place.h"

namespace sonvex {

TFormRechnen::TFormRechnen(QWidget* parent) : QWidget(parent, Qt::Window) {
  setWindowTitle(QStringLiteral("Berechnen"));
  errMemo_ = new QPlainTextEdit(this);
  errMemo_->setReadOnly(true);
  errMemo_->setLineWrapMode(QPlainTextEdit::NoWrap);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(errMemo_);
  resize(560, 240);
}

void TFormRechnen::showEvent(QShowEvent* e) {
  // The first showing puts the list beside the main window, within the
  // screen; later it stays where the user left it.
  if (!placed_) {
    placed_ = true;
    PlaceWindowBeside(this, parentWidget());
  }
  QWidget::showEvent(e);
}

void TFormRechnen::keyPressEvent(QKeyEvent* e) {
  if (e->matches(QKeySequence::Cancel)) {
    close();
    return;
  }
  QWidget::keyPressEvent(e);
}

void TFormRechnen::ShowReport(const TStatusReport& report) {
  errorCount_ = report.errors;
  errMemo_->clear();
  for (const std::string& line : report.lines) errMemo_->appendPlainText(QString::fromStdString(line));
  // Appending leaves the cursor at the end of the last line, which scrolls a
  // long line to its end: show the beginning of every line instead.
  errMemo_->moveCursor(QTextCursor::Start);
  errMemo_->horizontalScrollBar()->setValue(0);
  errMemo_->verticalScrollBar()->setValue(0);
}

QStringList TFormRechnen::Lines() const {
  QStringList out;
  if (errMemo_->document()->isEmpty()) return out;
  for (QTextBlock b = errMemo_->document()->begin(); b.isValid(); b = b.next()) out << b.text();
  return out;
}

}  // namespace sonvex
