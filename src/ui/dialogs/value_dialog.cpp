#include "ui/dialogs/value_dialog.h"
#include "charts/qt_text.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <type_traits>

#include "ui/dialogs/field_number.h"

namespace sonvex {

namespace {

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

// The letters of the format text and the kind of variable each one reads and
// fills (the index of its pointer in EditVar).
struct EditLetter {
  char letter;
  std::size_t kind;
};
constexpr std::array<EditLetter, 7> kEditLetters{{
    {'s', kEditText},
    {'i', kEditInt32},
    {'f', kEditFloat},
    {'r', kEditDouble},
    {'d', kEditDouble},
    {'e', kEditExtended},
    {'t', kEditDate},
}};

}  // namespace

std::optional<std::size_t> EditKindOf(char letter) {
  for (const EditLetter& l : kEditLetters)
    if (l.letter == letter) return l.kind;
  return std::nullopt;
}

bool BindsEditVar(char letter, const EditVar& v) {
  const std::optional<std::size_t> kind = EditKindOf(letter);
  return std::visit([](auto* p) { return p != nullptr; }, v) && kind && v.index() == *kind;
}

std::vector<EditRow> ParseEditFormat(std::string_view format) {
  std::vector<EditRow> rows;
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
    // Any character after "%" ends a row; a letter the table of variable
    // kinds does not know makes a row that is neither filled nor stored. Rows beyond the
    // dialog's twenty are dropped with the text that follows them.
    if (rows.size() >= static_cast<std::size_t>(kMaxEditRows)) break;
    const char letter = static_cast<char>((next >= 'A' && next <= 'Z') ? next - 'A' + 'a' : next);
    rows.push_back({label, letter});
    label.clear();
  }
  return rows;
}

std::string EditText(const EditVar& v) {
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
        else if constexpr (std::is_same_v<T, Date>)
          // Dates always as day.month.year, whatever the system's setting.
          return FormatDate(*p);
        else
          return GeneralText(*p, 15);
      },
      v);
}

ValueDialogLayout EditLayout(int rows, int widestLabel) {
  ValueDialogLayout l;
  l.labelWidth = widestLabel + 8;
  l.editLeft = l.labelWidth + 32;
  l.buttonLeft = l.labelWidth + 200;
  l.width = l.labelWidth + 296;
  l.height = std::max(110, 28 * rows + 50);
  return l;
}

ValueDialog::ValueDialog(std::string_view caption, std::string_view format, std::span<const EditVar> vars,
                         QWidget* parent, const TextMeasure& textWidth)
    : QDialog(parent), rows_(ParseEditFormat(format)) {
  setWindowTitle(QText(caption));
  const TextMeasure width = textWidth ? textWidth : FontWidth(this);
  const int n = static_cast<int>(rows_.size());
  int widest = 0;
  for (const EditRow& r : rows_) widest = std::max(widest, width(QText(r.label)));
  layout_ = EditLayout(n, widest);
  setFixedSize(layout_.width, layout_.height);

  for (int i = 0; i < n; ++i) {
    const EditVar var = i < static_cast<int>(vars.size()) ? vars[i] : EditVar(static_cast<std::string*>(nullptr));
    vars_.push_back(var);
    bound_.push_back(BindsEditVar(rows_[i].letter, var));
    const int top = layout_.firstRowTop + layout_.rowPitch * i;
    auto* label = new QLabel(QText(rows_[i].label), this);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setGeometry(layout_.labelLeft, top, layout_.labelWidth, kEditHeight);
    auto* edit = new QLineEdit(this);
    edit->setMaxLength(kMaxEditChars);
    edit->setGeometry(layout_.editLeft, top, layout_.editWidth, kEditHeight);
    if (bound_.back()) edit->setText(QText(EditText(var)));
    const std::optional<std::size_t> kind = EditKindOf(rows_[i].letter);
    if (kind && *kind != kEditText && *kind != kEditDate) WatchNumberField(edit);  // a number field
    label->setBuddy(edit);
    labels_.push_back(label);
    edits_.push_back(edit);
  }

  ok_ = new QPushButton(QStringLiteral("Ok"), this);
  ok_->setGeometry(layout_.buttonLeft, layout_.firstRowTop, kEditButtonWidth, kButtonHeight);
  ok_->setDefault(true);
  cancel_ = new QPushButton(QStringLiteral("Abbruch"), this);
  cancel_->setGeometry(layout_.buttonLeft, layout_.firstRowTop + 32, kEditButtonWidth, kButtonHeight);
  connect(ok_, &QPushButton::clicked, this, &ValueDialog::Store);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  if (!edits_.empty()) edits_.front()->setFocus();
}

void ValueDialog::Store() {
  // Read every field first; a number too large for its variable is not
  // stored: the field gets the focus and the dialog stays open, so that no
  // infinite value reaches the caller.
  struct ParsedField {
    std::string s;
    std::int32_t i = 0;
    long double x = 0;
    Date t;
  };
  std::vector<ParsedField> parsed(edits_.size());
  for (std::size_t k = 0; k < edits_.size(); ++k) {
    if (!bound_[k]) continue;
    const std::string text = edits_[k]->text().toStdString();
    ParsedField& p = parsed[k];
    // A bound row's variable is of the kind its letter names.
    switch (vars_[k].index()) {
      case kEditText:
        p.s = text;
        break;
      case kEditInt32:
        p.i = ParseInt(text).value;
        break;
      case kEditDate:
        p.t = ParseDate(text);
        break;
      default: {
        p.x = ParseFloat(text).value;
        const long double limit = std::visit(
            [](auto* v) -> long double {
              using T = std::remove_pointer_t<decltype(v)>;
              if constexpr (std::is_floating_point_v<T>)
                return std::numeric_limits<T>::max();
              else
                return 0;
            },
            vars_[k]);
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
    const ParsedField& p = parsed[k];
    std::visit(
        [&p](auto* v) {
          using T = std::remove_pointer_t<decltype(v)>;
          if constexpr (std::is_same_v<T, std::string>)
            *v = p.s;
          else if constexpr (std::is_same_v<T, std::int32_t>)
            *v = p.i;
          else if constexpr (std::is_same_v<T, Date>)
            *v = p.t;
          else
            *v = static_cast<T>(p.x);
        },
        vars_[k]);
  }
  accept();
}

bool EditValuesTyped(QWidget* parent, std::string_view caption, std::string_view format,
                     std::span<const EditVar> vars) {
  ValueDialog dlg(caption, format, vars, parent);
  return dlg.exec() == QDialog::Accepted;
}

}  // namespace sonvex
