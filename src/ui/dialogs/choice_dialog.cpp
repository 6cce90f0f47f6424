#include "ui/dialogs/choice_dialog.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <string>

#include "charts/qt_text.h"
#include "model/interaction.h"

namespace sonvex {

namespace {

constexpr int kChoiceLineHeight = 16;

}  // namespace

ChoiceDialogLayout ChoiceLayout(int count, int widestCaption, int messageLines, int widestLine, int messageHeight) {
  ChoiceDialogLayout l;
  count = std::clamp(count, 1, kMaxChoiceButtons);
  messageLines = std::max(messageLines, 1);
  l.pitch = std::max(widestCaption, 80) + 16;
  l.stacked = count * l.pitch >= 601;
  const int needed = (l.stacked ? l.pitch : count * l.pitch) + 8;
  // A message line a little wider than the memo would wrap its last word
  // alone; the dialog rather grows to hold the line, up to a width that still
  // reads as a question box (longer lines wrap).
  const int forMessage = std::min(widestLine, kChoiceMaxMessageWidth - 24) + 24;
  l.width = std::max({kChoiceDesignWidth, needed, forMessage});
  l.memoLeft = 12;
  l.memoTop = 8;
  l.memoWidth = l.width - 24;
  l.memoHeight = std::max(kChoiceLineHeight * messageLines, messageHeight);
  const int top = l.memoTop + l.memoHeight + 24;
  l.height = l.memoHeight + 96 + (l.stacked ? 32 * count : 0);
  for (int i = 0; i < count; ++i) {
    if (l.stacked)
      l.buttons.emplace_back(8, top + 32 * i, l.pitch - 8, kButtonHeight);
    else
      l.buttons.emplace_back(8 + l.pitch * i, top, l.pitch - 8, kButtonHeight);
  }
  return l;
}

ChoiceDialog::ChoiceDialog(std::string_view message, std::string_view captions, int defaultIndex, QWidget* parent,
                           const TextMeasure& textWidth)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setWindowTitle(ProgramCaption());
  const TextMeasure width = textWidth ? textWidth : FontWidth(this);

  // The dialog has room for twelve buttons; further captions are dropped (no
  // answer could name them).
  std::vector<std::string> texts = SplitCaptions(captions);
  if (texts.size() > static_cast<std::size_t>(kMaxChoiceButtons)) texts.resize(kMaxChoiceButtons);
  const int count = static_cast<int>(texts.size());
  int widest = 0;
  for (const std::string& t : texts) widest = std::max(widest, width(QText(t)));

  // The message stands in a borderless, read-only text field in the
  // dialog's own font; the dialog is made as high as that field needs to
  // draw every line of the message, so it never clips or scrolls.
  QString msg = QText(message);
  msg.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  msg.replace(QChar('\r'), QChar('\n'));
  memo_ = new QLabel(msg, this);
  memo_->setTextFormat(Qt::PlainText);
  memo_->setWordWrap(true);
  memo_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  memo_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  memo_->setFocusPolicy(Qt::NoFocus);
  const QFontMetrics memoMetrics(memo_->font());

  // Message lines as the memo shows them: its own line breaks, and long lines
  // wrapped at the memo's width.
  const QStringList messageLines = msg.split(QChar('\n'));
  const auto lineWidth = [&](const QString& line) {
    // One pixel of slack: the label breaks a line that fills it exactly.
    return (textWidth ? textWidth(line) : memoMetrics.horizontalAdvance(line)) + 1;
  };
  int widestLine = 0;
  for (const QString& line : messageLines) widestLine = std::max(widestLine, lineWidth(line));
  const int memoWidth = ChoiceLayout(count, widest, 1, widestLine).memoWidth;
  int lines = 0;
  int height = 0;
  if (textWidth) {
    // A supplied measure gives whole lines of 16 pixels.
    for (const QString& line : messageLines)
      lines += std::max(1, (lineWidth(line) + memoWidth - 1) / std::max(memoWidth, 1));
  } else {
    lines = 1;
    height = memo_->heightForWidth(memoWidth);
  }
  layout_ = ChoiceLayout(count, widest, lines, widestLine, height);
  setFixedSize(layout_.width, layout_.height);
  memo_->setGeometry(layout_.memoLeft, layout_.memoTop, layout_.memoWidth, layout_.memoHeight);

  for (int i = 0; i < count; ++i) {
    auto* b = new QPushButton(QText(texts[i]), this);
    b->setGeometry(layout_.buttons[i]);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, [this, i] {
      pressed_ = i + 1;
      done(i + 1);
    });
    buttons_.push_back(b);
  }

  // A default index outside the buttons makes no button the default; the
  // focus then starts on the first button.
  defaultIndex_ = defaultIndex >= 1 && defaultIndex <= count ? defaultIndex : 0;
  const int first = defaultIndex_ > 0 ? defaultIndex_ - 1 : 0;
  if (defaultIndex_ > 0) buttons_[first]->setDefault(true);
  // Tab order: the buttons in their order, which is the only thing in the
  // dialog that takes the focus; starting on the default button, the tab key
  // goes on from it and wraps around after the last.
  buttons_[first]->setFocus();
}

void ChoiceDialog::reject() {}

void ChoiceDialog::closeEvent(QCloseEvent* e) {
  if (pressed_ == 0) e->ignore();
}

}  // namespace sonvex
