#include "ui/dialogs/field_binder.h"

namespace sonvex {

void BindNumberField(QLineEdit* e, const FieldDescription& d) {
  FitNumberField(e, d.width);
  WatchNumberField(e);
  SetNumberRange(e, d.range, d.unit);
}

bool FieldNumberUsable(const QLineEdit* e) {
  const std::string plain = e->text().toStdString();
  const FieldRange range = NumberRangeOf(e);
  if (plain.empty()) return range.IsOpen() && !e->property("sxRequired").toBool();
  return FieldHoldsUsableNumber(e) && range.Contains(FieldValue(plain));
}

}  // namespace sonvex
