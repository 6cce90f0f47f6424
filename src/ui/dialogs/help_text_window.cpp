#include "ui/dialogs/help_text_window.h"

#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QVBoxLayout>

#include "acoustics/editor_values.h"
#include "ui/dialogs/field_number.h"

namespace sonvex {

inline constexpr int kHelpWidth = 220;

HelpTextWindow::HelpTextWindow(QWidget* parent) : QDialog(parent) {
  setObjectName("helpTextWindow");
  setWindowFlag(Qt::Tool, true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  memo_ = new QPlainTextEdit(this);
  memo_->setObjectName("helpMemo");
  memo_->setReadOnly(true);
  memo_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  layout->addWidget(memo_);
  resize(kHelpWidth, 360);
}

void HelpTextWindow::ShowHelp(std::string_view title, std::string_view text, const QWidget* beside) {
  setWindowTitle(QText(title));
  QStringList lines;
  for (const std::string& line : HelpLines(text)) lines << QText(line);
  memo_->setPlainText(lines.join(QChar('\n')));
  resize(kHelpWidth, beside != nullptr ? std::max(300, beside->height()) : 360);
  if (beside != nullptr) {
    const QRect frame = beside->frameGeometry();
    QPoint pos(frame.right() + 1, frame.top());
    // Beside the editor, or on its left when the screen ends on the right.
    if (const QScreen* screen = beside->screen()) {
      const QRect avail = screen->availableGeometry();
      if (pos.x() + kHelpWidth > avail.right()) pos.setX(std::max(avail.left(), frame.left() - kHelpWidth - 1));
    }
    move(pos);
  }
  show();
  raise();
}

QString HelpTextWindow::Text() const { return memo_->toPlainText(); }

}  // namespace sonvex
