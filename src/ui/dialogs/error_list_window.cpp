#include "ui/dialogs/error_list_window.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

#include "ui/dialogs/window_place.h"

namespace sonvex {

ErrorListWindow::ErrorListWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setWindowTitle(QStringLiteral("Berechnen"));
  errorMemo_ = new QPlainTextEdit(this);
  errorMemo_->setReadOnly(true);
  errorMemo_->setLineWrapMode(QPlainTextEdit::NoWrap);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(errorMemo_);
  resize(560, 240);
}

void ErrorListWindow::showEvent(QShowEvent* e) {
  // The first showing puts the list beside the main window, within the
  // screen; later it stays where the user left it.
  if (!placed_) {
    placed_ = true;
    PlaceWindowBeside(this, parentWidget());
  }
  QWidget::showEvent(e);
}

void ErrorListWindow::keyPressEvent(QKeyEvent* e) {
  if (e->matches(QKeySequence::Cancel)) {
    close();
    return;
  }
  QWidget::keyPressEvent(e);
}

void ErrorListWindow::ShowReport(const CalcReport& report) {
  errorCount_ = report.errors;
  errorMemo_->clear();
  for (const std::string& line : report.lines) errorMemo_->appendPlainText(QString::fromStdString(line));
  // Appending leaves the cursor at the end of the last line, which scrolls a
  // long line to its end: show the beginning of every line instead.
  errorMemo_->moveCursor(QTextCursor::Start);
  errorMemo_->horizontalScrollBar()->setValue(0);
  errorMemo_->verticalScrollBar()->setValue(0);
}

QStringList ErrorListWindow::Lines() const {
  QStringList out;
  if (errorMemo_->document()->isEmpty()) return out;
  for (QTextBlock b = errorMemo_->document()->begin(); b.isValid(); b = b.next()) out << b.text();
  return out;
}

}  // namespace sonvex
