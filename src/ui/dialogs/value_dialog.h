#pragma once
// The value dialog: labelled edit fields built at run time from a format
// text; its geometry is computed here so that it can be checked without
// showing it.
#include <QDialog>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "model/number_text.h"
#include "ui/dialogs/dialog_text.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace sonvex {

inline constexpr int kMaxEditRows = 20;
inline constexpr int kMaxEditChars = 64;

// One row of the value dialog read from the format text.
struct EditRow {
  std::string label;  // "%%" already turned into "%"
  char letter = 0;    // the placeholder letter, lower case
};
// Reads the format text: ordinary characters collect into the label, "%%"
// adds "%", "%" and a letter end a row. Text after the last placeholder is
// dropped; so is a lone "%" at the very end. At most kMaxEditRows rows.
std::vector<EditRow> ParseEditFormat(std::string_view format);

// A variable the value dialog fills a field from and stores the edited value
// into. The row's letter decides how the text is read: s text, i 32-bit
// integer, f 32-bit float, r/d 64-bit float, e extended float, t date.
using EditVar = std::variant<std::string*, std::int32_t*, float*, double*, long double*, Date*>;

// The kinds of variable, as indices of EditVar.
inline constexpr std::size_t kEditText = 0, kEditInt32 = 1, kEditFloat = 2, kEditDouble = 3, kEditExtended = 4,
                             kEditDate = 5;
// The kind of variable a row's letter names; no value for other letters.
std::optional<std::size_t> EditKindOf(char letter);
// True when `v` is a variable (not null) of the kind `letter` names.
bool BindsEditVar(char letter, const EditVar& v);

// The field text of a value: floats with up to 15 significant digits (7 for
// 32-bit floats) and a decimal comma, dates as "dd.mm.yyyy".
std::string EditText(const EditVar& v);

// Where the parts of the value dialog stand (client pixels).
struct ValueDialogLayout {
  int labelLeft = 16;
  int labelWidth = 0;  // widest label + 8
  int editLeft = 0;    // labelWidth + 32
  int editWidth = 150;
  int buttonLeft = 0;  // labelWidth + 200
  int width = 0;       // labelWidth + 296
  int height = 0;      // 28 per row + 50, at least 110
  int rowPitch = 28;
  int firstRowTop = 12;
};
ValueDialogLayout EditLayout(int rows, int widestLabel);

class ValueDialog : public QDialog {
  Q_OBJECT
 public:
  // `vars` is read once here (to fill the fields) and written on OK.
  ValueDialog(std::string_view caption, std::string_view format, std::span<const EditVar> vars,
              QWidget* parent = nullptr, const TextMeasure& textWidth = {});

  const ValueDialogLayout& Layout() const { return layout_; }
  const std::vector<EditRow>& Rows() const { return rows_; }
  const std::vector<QLabel*>& Labels() const { return labels_; }
  const std::vector<QLineEdit*>& Edits() const { return edits_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

 private:
  // OK: every field is read by its letter and stored into its variable.
  void Store();

  ValueDialogLayout layout_;
  std::vector<EditRow> rows_;
  std::vector<EditVar> vars_;
  std::vector<bool> bound_;  // row has a variable of the kind its letter names
  std::vector<QLabel*> labels_;
  std::vector<QLineEdit*> edits_;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

// Shows the value dialog modally; true (variables updated) on OK.
bool EditValuesTyped(QWidget* parent, std::string_view caption, std::string_view format, std::span<const EditVar> vars);

}  // namespace sonvex
