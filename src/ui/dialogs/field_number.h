#pragma once
// Number fields of the editors. A field shows a record value (SI) scaled for
// display in the width-limited number format; reading it back gives the
// record value. A field whose text the user left as it was filled gives the
// exact value it was filled from, so that confirming an editor without
// changes never alters a record by the rounding of the shown text.
#include <QFontMetrics>
#include <QLineEdit>
#include <QString>
#include <QTableWidgetItem>
#include <QVariant>
#include <algorithm>
#include <string>

#include "acoustics/editor_values.h"
#include "charts/qt_text.h"
#include "model/field_descriptions.h"

namespace sonvex {

// The width a field needs to show a number of `chars` characters of the
// width-limited number format (digits, decimal comma, sign, exponent) in full:
// the widest of those characters `chars` times, plus the field's frame and
// margins as the field itself measures them for its size hint.
inline int NumberFieldWidth(const QLineEdit* e, int chars = kEditWidth) {
  const QFontMetrics fm(e->font());
  int widest = 0;
  for (const QChar c : QStringLiteral("0123456789,-+E")) widest = std::max(widest, fm.horizontalAdvance(c));
  // QLineEdit's size hint is 17 "x" wide plus its frame and margins.
  const int frame = e->sizeHint().width() - 17 * fm.horizontalAdvance(QLatin1Char('x'));
  return chars * widest + frame + 2;  // and the cursor behind the last digit
}

// Makes `e` at least as wide as such a number needs.
inline void FitNumberField(QLineEdit* e, int chars = kEditWidth) {
  const int width = NumberFieldWidth(e, chars);
  e->setMinimumWidth(width);
  e->setMaximumWidth(std::max(e->maximumWidth(), width));
}

// A field whose text holds no number is read as 0 (as every number field
// is); it shows that with a red frame and says so in its tooltip until it
// holds a number again. An empty field is left as it looks: it visibly holds
// nothing. The value read is not changed. A number beyond the double range
// ("1e999") is framed alike: an editor reads it as 0, a calculator answers
// "nicht sinnvoll".
//
// A field that knows the range of its number (SetNumberRange) frames a
// number outside it the same way and names the range in its tooltip
// ("Wert außerhalb des Bereichs über 0 Hz"); the value read is not changed
// either: what the editor does with it on "Ok" is its own decision.
//
// A dialog that refuses "Ok" until each of its number fields holds a number
// watches them as required fields: there an empty field is framed too, and
// the tooltip does not speak of reading 0, which such a dialog never does.
inline constexpr const char* kNotANumberTip = "keine Zahl – wird als 0 gelesen";
inline constexpr const char* kNoNumberTip = "keine Zahl";
inline constexpr const char* kTooLargeTip = "Zahl zu groß";

enum class NumberFieldUse { ReadAsZero, Required };

// The range a field was given with SetNumberRange (open when none).
inline FieldRange NumberRangeOf(const QLineEdit* e) {
  FieldRange r;
  if (!e->property("sxRangeTip").isValid()) return r;
  r.lowKind = static_cast<Bound>(e->property("sxRangeLowKind").toInt());
  r.low = e->property("sxRangeLow").toDouble();
  r.highKind = static_cast<Bound>(e->property("sxRangeHighKind").toInt());
  r.high = e->property("sxRangeHigh").toDouble();
  return r;
}

inline void ShowNumberState(QLineEdit* e) {
  const QString text = e->text();
  const std::string plain = text.toStdString();
  const bool required = e->property("sxRequired").toBool();
  QString tip;  // empty: the field holds a number (or nothing, where that is allowed)
  if (!text.trimmed().isEmpty() || required) {
    if (!FieldHoldsNumber(plain))
      tip = QString::fromUtf8(required ? kNoNumberTip : kNotANumberTip);
    else if (FieldNumberTooLarge(plain))
      tip = QString::fromUtf8(kTooLargeTip);
    else if (!NumberRangeOf(e).Contains(FieldValue(plain)))
      tip = e->property("sxRangeTip").toString();
  }
  const QString shown = e->property("sxNumberTip").toString();
  if (tip == shown) return;
  e->setProperty("sxNumberTip", tip);
  if (!tip.isEmpty()) {
    if (shown.isEmpty()) {
      e->setProperty("sxPlainToolTip", e->toolTip());
      e->setProperty("sxPlainStyle", e->styleSheet());
    }
    e->setStyleSheet("QLineEdit { border: 2px solid #d00000; }");
    e->setToolTip(tip);
  } else {
    e->setStyleSheet(e->property("sxPlainStyle").toString());
    e->setToolTip(e->property("sxPlainToolTip").toString());
  }
}

// Makes `e` show whether its text holds a number, now and after each change.
inline void WatchNumberField(QLineEdit* e, NumberFieldUse use = NumberFieldUse::ReadAsZero) {
  if (use == NumberFieldUse::Required && !e->property("sxRequired").toBool()) {
    e->setProperty("sxRequired", true);
    if (e->property("sxWatched").toBool()) ShowNumberState(e);
  }
  if (e->property("sxWatched").toBool()) return;
  e->setProperty("sxWatched", true);
  QObject::connect(e, &QLineEdit::textChanged, e, [e] { ShowNumberState(e); });
  ShowNumberState(e);
}

// Gives `e` the range its number should lie in, in the unit shown; a
// number outside it is framed from now on (once the field is watched).
inline void SetNumberRange(QLineEdit* e, const FieldRange& range, std::string_view unit = {}) {
  if (range.IsOpen()) {
    e->setProperty("sxRangeTip", QVariant());
  } else {
    e->setProperty("sxRangeLowKind", static_cast<int>(range.lowKind));
    e->setProperty("sxRangeLow", range.low);
    e->setProperty("sxRangeHighKind", static_cast<int>(range.highKind));
    e->setProperty("sxRangeHigh", range.high);
    e->setProperty("sxRangeTip", QText(OutOfRangeTip(range, unit)));
  }
  if (e->property("sxWatched").toBool()) ShowNumberState(e);
}

// Whether the text of `e` holds a number within the double range: what a
// required field must hold before its dialog takes it.
inline bool FieldHoldsUsableNumber(const QLineEdit* e) {
  const std::string plain = e->text().toStdString();
  return FieldHoldsNumber(plain) && !FieldNumberTooLarge(plain);
}

inline void SetFieldNumber(QLineEdit* e, double recordValue, double factor = 1.0, int width = kEditWidth) {
  WatchNumberField(e);
  const QString text = QText(FieldText(recordValue, factor, width));
  e->setText(text);
  e->setProperty("sxFilledText", text);
  e->setProperty("sxFilledValue", recordValue);
}

inline double FieldNumber(const QLineEdit* e, double factor = 1.0) {
  const QVariant filled = e->property("sxFilledText");
  if (filled.isValid() && filled.toString() == e->text()) return e->property("sxFilledValue").toDouble();
  return FieldValue(e->text().toStdString(), factor);
}

// Table cells keep the same pair in their data roles.
inline constexpr int kFilledTextRole = Qt::UserRole + 1;
inline constexpr int kFilledValueRole = Qt::UserRole + 2;

inline QTableWidgetItem* NumberCell(const std::string& text, double recordValue) {
  auto* item = new QTableWidgetItem(QText(text));
  item->setData(kFilledTextRole, QText(text));
  item->setData(kFilledValueRole, recordValue);
  return item;
}

// The record value of a cell; `read` converts an edited text. Empty or
// missing cells read as 0.
template <class Reader>
double CellNumber(const QTableWidgetItem* item, Reader read) {
  if (item == nullptr) return 0;
  const QString text = item->text();
  if (item->data(kFilledTextRole).toString() == text && item->data(kFilledValueRole).isValid())
    return item->data(kFilledValueRole).toDouble();
  return read(text.toStdString());
}

}  // namespace sonvex
