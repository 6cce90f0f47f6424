#include "ui/qt_interaction.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "model/file_io.h"

namespace sonvex {

namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

TTextWidth FontWidth(const QWidget* w) {
  const QFontMetrics fm(w->font());
  return [fm](const QString& s) { return fm.horizontalAdvance(s); };
}

constexpr int kChoiceLineHeight = 16;
constexpr int kButtonHeight = 25;
constexpr int kEditHeight = 21;
constexpr int kEditButtonWidth = 75;

template <class T>
std::string GeneralText(T x, int digits) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::general, digits);
  std::string s(buf, r.ptr);
  std::replace(s.begin(), s.end(), '.', ',');
  return s;
}

bool Binds(char letter, const TEditVar& v) {
  return std::visit([](auto* p) { return p != nullptr; }, v) && [&] {
    switch (letter) {
      case 's':
        return std::holds_alternative<std::string*>(v);
      case 'i':
        return std::holds_alternative<std::int32_t*>(v);
      case 'f':
        return std::holds_alternative<float*>(v);
      case 'r':
      case 'd':
        return std::holds_alternative<double*>(v);
      case 'e':
        return std::holds_alternative<long double*>(v);
      case 't':
        return std::holds_alternative<TDate*>(v);
      default:
        return false;
    }
  }();
}

}  // namespace

QString ProgramCaption() {
  const QString file = QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
  const QString name = QFileInfo(file).completeBaseName();
  return name.isEmpty() ? QStringLiteral("Sonvex") : name;
}

// ---------------------------------------------------------------------------
// Button-choice dialog

TChoiceLayout ChoiceLayout(int count, int widestCaption, int messageLines) {
  TChoiceLayout l;
  count = std::clamp(count, 1, kMaxChoiceButtons);
  messageLines = std::max(messageLines, 1);
  l.pitch = std::max(widestCaption, 80) + 16;
  l.stacked = count * l.pitch >= 601;
  const int needed = (l.stacked ? l.pitch : count * l.pitch) + 8;
  l.width = std::max(kChoiceDesignWidth, needed);
  l.memoLeft = 12;
  l.memoTop = 8;
  l.memoWidth = l.width - 24;
  l.memoHeight = kChoiceLineHeight * messageLines;
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

TUniAuswahlDlg::TUniAuswahlDlg(std::string_view message, std::string_view captions, int defaultIndex, QWidget* parent,
                               const TTextWidth& textWidth)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setWindowTitle(ProgramCaption());
  const TTextWidth width = textWidth ? textWidth : FontWidth(this);

  // The dialog has room for twelve buttons; further captions are dropped (no
  // answer could name them).
  std::vector<std::string> texts = SplitCaptions(captions);
  if (texts.size() > static_cast<std::size_t>(kMaxChoiceButtons)) texts.resize(kMaxChoiceButtons);
  const int count = static_cast<int>(texts.size());
  int widest = 0;
  for (const std::string& t : texts) widest = std::max(widest, width(Q(t)));

  // The memo gives every message line 16 pixels: its font is made small
  // enough for that, so that no scroll bar appears for a message that fits.
  QFont memoFont = font();
  if (memoFont.pixelSize() <= 0) memoFont.setPixelSize(QFontMetrics(memoFont).height());
  while (QFontMetrics(memoFont).lineSpacing() > kChoiceLineHeight && memoFont.pixelSize() > 6)
    memoFont.setPixelSize(memoFont.pixelSize() - 1);
  const QFontMetrics memoMetrics(memoFont);

  // Message lines as the memo shows them: its own line breaks, and long lines
  // wrapped at the memo's width.
  QString msg = Q(message);
  msg.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  msg.replace(QChar('\r'), QChar('\n'));
  const int memoWidth = ChoiceLayout(count, widest, 1).memoWidth;
  int lines = 0;
  for (const QString& line : msg.split(QChar('\n'))) {
    if (textWidth) {
      lines += std::max(1, (textWidth(line) + memoWidth - 1) / std::max(memoWidth, 1));
    } else {
      // n wrapped lines are (n - 1) line spacings plus one font height high;
      // the font height can exceed the spacing, so dividing the whole height
      // by the spacing would count every line twice.
      const QRect r = memoMetrics.boundingRect(QRect(0, 0, memoWidth, 1 << 20), Qt::TextWordWrap, line);
      const int spacing = std::max(1, memoMetrics.lineSpacing());
      lines += 1 + std::max(0, (r.height() - memoMetrics.height() + spacing / 2) / spacing);
    }
  }
  layout_ = ChoiceLayout(count, widest, lines);
  setFixedSize(layout_.width, layout_.height);

  // The message stands in a borderless, read-only text field; its height
  // holds every line, so it never needs to scroll.
  memo_ = new QLabel(msg, this);
  memo_->setFont(memoFont);
  memo_->setTextFormat(Qt::PlainText);
  memo_->setWordWrap(true);
  memo_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  memo_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  memo_->setFocusPolicy(Qt::NoFocus);
  memo_->setGeometry(layout_.memoLeft, layout_.memoTop, layout_.memoWidth, layout_.memoHeight);

  for (int i = 0; i < count; ++i) {
    auto* b = new QPushButton(Q(texts[i]), this);
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

void TUniAuswahlDlg::reject() {}

void TUniAuswahlDlg::closeEvent(QCloseEvent* e) {
  if (pressed_ == 0) e->ignore();
}

// ---------------------------------------------------------------------------
// Value dialog

std::vector<TEditRow> ParseEditFormat(std::string_view format) {
  std::vector<TEditRow> rows;
  std::string label;
  for (std::size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (c != '%') {
      label.push_back(c);
      continue;
    }
    if (i + 1 >= format.size()) break;  // a lone "%" at the end: no row
    const char next = format[++i];
    if (next == '%') {
      label.push_back('%');
      continue;
    }
    // Any character after "%" ends a row; letters other than s, i, f, r, d,
    // e, t make a row that is neither filled nor stored. Rows beyond the
    // dialog's twenty are dropped with the text that follows them.
    if (rows.size() >= static_cast<std::size_t>(kMaxEditRows)) break;
    const char letter = static_cast<char>((next >= 'A' && next <= 'Z') ? next - 'A' + 'a' : next);
    rows.push_back({label, letter});
    label.clear();
  }
  return rows;
}

std::string EditText(const TEditVar& v) {
  return std::visit(
      [](auto* p) -> std::string {
        using T = std::remove_pointer_t<decltype(p)>;
        if (p == nullptr) return {};
        if constexpr (std::is_same_v<T, std::string>)
          return *p;
        else if constexpr (std::is_same_v<T, std::int32_t>)
          return std::to_string(*p);
        else if constexpr (std::is_same_v<T, float>)
          return GeneralText(*p, 7);
        else if constexpr (std::is_same_v<T, TDate>)
          // Dates always as day.month.year, whatever the system's setting.
          return FormatDate(*p);
        else
          return GeneralText(*p, 15);
      },
      v);
}

TEditLayout EditLayout(int rows, int widestLabel) {
  TEditLayout l;
  l.labelWidth = widestLabel + 8;
  l.editLeft = l.labelWidth + 32;
  l.buttonLeft = l.labelWidth + 200;
  l.width = l.labelWidth + 296;
  l.height = std::max(110, 28 * rows + 50);
  return l;
}

TUniEditDlg::TUniEditDlg(std::string_view caption, std::string_view format, std::span<const TEditVar> vars,
                         QWidget* parent, const TTextWidth& textWidth)
    : QDialog(parent), rows_(ParseEditFormat(format)) {
  setWindowTitle(Q(caption));
  const TTextWidth width = textWidth ? textWidth : FontWidth(this);
  const int n = static_cast<int>(rows_.size());
  int widest = 0;
  for (const TEditRow& r : rows_) widest = std::max(widest, width(Q(r.label)));
  layout_ = EditLayout(n, widest);
  setFixedSize(layout_.width, layout_.height);

  for (int i = 0; i < n; ++i) {
    const TEditVar var = i < static_cast<int>(vars.size()) ? vars[i] : TEditVar(static_cast<std::string*>(nullptr));
    vars_.push_back(var);
    bound_.push_back(Binds(rows_[i].letter, var));
    const int top = layout_.firstRowTop + layout_.rowPitch * i;
    auto* label = new QLabel(Q(rows_[i].label), this);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setGeometry(layout_.labelLeft, top, layout_.labelWidth, kEditHeight);
    auto* edit = new QLineEdit(this);
    edit->setMaxLength(kMaxEditChars);
    edit->setGeometry(layout_.editLeft, top, layout_.editWidth, kEditHeight);
    if (bound_.back()) edit->setText(Q(EditText(var)));
    label->setBuddy(edit);
    labels_.push_back(label);
    edits_.push_back(edit);
  }

  ok_ = new QPushButton(QStringLiteral("Ok"), this);
  ok_->setGeometry(layout_.buttonLeft, layout_.firstRowTop, kEditButtonWidth, kButtonHeight);
  ok_->setDefault(true);
  cancel_ = new QPushButton(QStringLiteral("Abbruch"), this);
  cancel_->setGeometry(layout_.buttonLeft, layout_.firstRowTop + 32, kEditButtonWidth, kButtonHeight);
  connect(ok_, &QPushButton::clicked, this, &TUniEditDlg::Store);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  if (!edits_.empty()) edits_.front()->setFocus();
}

void TUniEditDlg::Store() {
  // Read every field first; a number too large for its variable is not
  // stored: the field gets the focus and the dialog stays open, so that no
  // infinite value reaches the caller.
  struct TParsed {
    std::string s;
    std::int32_t i = 0;
    long double x = 0;
    TDate t;
  };
  std::vector<TParsed> parsed(edits_.size());
  for (std::size_t k = 0; k < edits_.size(); ++k) {
    if (!bound_[k]) continue;
    const std::string text = edits_[k]->text().toStdString();
    TParsed& p = parsed[k];
    switch (rows_[k].letter) {
      case 's':
        p.s = text;
        break;
      case 'i':
        p.i = ParseInt(text).value;
        break;
      case 't':
        p.t = ParseDate(text);
        break;
      default: {
        p.x = ParseFloat(text).value;
        const long double limit = rows_[k].letter == 'f'   ? std::numeric_limits<float>::max()
                                  : rows_[k].letter == 'e' ? std::numeric_limits<long double>::max()
                                                           : std::numeric_limits<double>::max();
        if (!(std::fabs(p.x) <= limit)) {
          QApplication::beep();
          edits_[k]->setFocus();
          edits_[k]->selectAll();
          return;
        }
      }
    }
  }
  for (std::size_t k = 0; k < edits_.size(); ++k) {
    if (!bound_[k]) continue;
    const TParsed& p = parsed[k];
    std::visit(
        [&p](auto* v) {
          using T = std::remove_pointer_t<decltype(v)>;
          if constexpr (std::is_same_v<T, std::string>)
            *v = p.s;
          else if constexpr (std::is_same_v<T, std::int32_t>)
            *v = p.i;
          else if constexpr (std::is_same_v<T, TDate>)
            *v = p.t;
          else
            *v = static_cast<T>(p.x);
        },
        vars_[k]);
  }
  accept();
}

bool EditValuesTyped(QWidget* parent, std::string_view caption, std::string_view format,
                     std::span<const TEditVar> vars) {
  TUniEditDlg dlg(caption, format, vars, parent);
  return dlg.exec() == QDialog::Accepted;
}

// ---------------------------------------------------------------------------
// File dialogs

QString ConvertFileFilter(std::string_view filter) {
  if (filter.empty()) return {};
  const std::vector<std::string> parts = SplitCaptions(filter);
  QStringList out;
  for (std::size_t k = 0; k < parts.size(); k += 2) {
    QString name = Q(parts[k]).trimmed();
    const QString patternText = k + 1 < parts.size() ? Q(parts[k + 1]) : QStringLiteral("*");
    // The patterns go in parentheses at the end of the name, where the file
    // dialog looks for them; a pattern list already in the name goes.
    if (name.endsWith(QChar(')'))) {
      const qsizetype open = name.lastIndexOf(QChar('('));
      if (open >= 0) name = name.left(open).trimmed();
    }
    QStringList patterns;
    for (const QString& p : patternText.split(QChar(';'), Qt::SkipEmptyParts)) {
      for (const QString& v : {p.trimmed(), p.trimmed().toUpper(), p.trimmed().toLower()})
        if (!v.isEmpty() && !patterns.contains(v)) patterns << v;
    }
    if (patterns.isEmpty()) patterns << QStringLiteral("*");
    const QString list = patterns.join(QChar(' '));
    out << (name.isEmpty() ? list : name) + QStringLiteral(" (") + list + QChar(')');
  }
  return out.join(QStringLiteral(";;"));
}

// ---------------------------------------------------------------------------

int TQtInteraction::ChooseButton(std::string_view message, std::string_view captions, int defaultIndex) {
  TUniAuswahlDlg dlg(message, captions, defaultIndex, parent_);
  dlg.exec();
  if (dlg.Pressed() > 0) return dlg.Pressed();
  // Only reachable when the dialog was torn down from outside: answer as the
  // default button would (the first button without a valid default).
  return dlg.DefaultIndex() > 0 ? dlg.DefaultIndex() : 1;
}

void TQtInteraction::ShowMessage(std::string_view message) {
  QMessageBox box(QMessageBox::NoIcon, ProgramCaption(), Q(message), QMessageBox::Ok, parent_);
  box.exec();
}

std::optional<std::filesystem::path> TQtInteraction::PickOpenFile(std::string_view caption, std::string_view filter,
                                                                  const std::filesystem::path& folder) {
  const QString name =
      QFileDialog::getOpenFileName(parent_, Q(caption), Q(Utf8FromPath(folder)), ConvertFileFilter(filter));
  if (name.isEmpty()) return std::nullopt;
  return PathFromUtf8(name.toStdString());
}

std::optional<std::filesystem::path> TQtInteraction::PickSaveFile(std::string_view caption, std::string_view filter,
                                                                  const std::filesystem::path& folder,
                                                                  std::string_view defaultName) {
  std::filesystem::path start = folder;
  if (!defaultName.empty()) start /= PathFromUtf8(defaultName);
  const QString name =
      QFileDialog::getSaveFileName(parent_, Q(caption), Q(Utf8FromPath(start)), ConvertFileFilter(filter));
  if (name.isEmpty()) return std::nullopt;
  return PathFromUtf8(name.toStdString());
}

bool TQtInteraction::EditValues(std::string_view caption, std::string_view format, std::vector<std::string>& values) {
  // Each text becomes a variable of the kind its row's letter names, so the
  // dialog shows and reads it exactly as a typed variable.
  const std::vector<TEditRow> rows = ParseEditFormat(format);
  struct TSlot {
    std::string s;
    std::int32_t i = 0;
    float f = 0;
    double d = 0;
    long double e = 0;
    TDate t;
  };
  std::vector<TSlot> store(rows.size());
  std::vector<TEditVar> vars;
  for (std::size_t k = 0; k < rows.size(); ++k) {
    TSlot& s = store[k];
    if (k >= values.size()) {
      vars.emplace_back(static_cast<std::string*>(nullptr));
      continue;
    }
    const std::string& text = values[k];
    switch (rows[k].letter) {
      case 's':
        s.s = text;
        vars.emplace_back(&s.s);
        break;
      case 'i':
        s.i = ParseInt(text).value;
        vars.emplace_back(&s.i);
        break;
      case 'f':
        s.f = static_cast<float>(ParseFloat(text).value);
        vars.emplace_back(&s.f);
        break;
      case 'r':
      case 'd':
        s.d = NarrowToDouble(ParseFloat(text).value);
        vars.emplace_back(&s.d);
        break;
      case 'e':
        s.e = ParseFloat(text).value;
        vars.emplace_back(&s.e);
        break;
      case 't':
        s.t = ParseDate(text);
        vars.emplace_back(&s.t);
        break;
      default:
        vars.emplace_back(static_cast<std::string*>(nullptr));
        break;
    }
  }
  if (!EditValuesTyped(parent_, caption, format, vars)) return false;
  for (std::size_t k = 0; k < rows.size() && k < values.size(); ++k)
    if (Binds(rows[k].letter, vars[k])) values[k] = EditText(vars[k]);
  return true;
}

}  // namespace sonvex
