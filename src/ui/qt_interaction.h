#pragma once
// The desktop side of the question interface: the button-choice dialog, the
// value dialog, message boxes and the file dialogs. Both small dialogs are
// built at run time; their geometry is computed here so that it can be
// checked without showing them.
#include <QDialog>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "model/interaction.h"
#include "model/number_text.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace sonvex {

// Text width in pixels of a caption or label; the dialogs use the font
// metrics of their own font unless a test supplies another measure.
using TTextWidth = std::function<int(const QString&)>;

// The dialog caption of the button-choice dialog: the running program's file
// name without folder and extension.
QString ProgramCaption();

// ---------------------------------------------------------------------------
// Button-choice dialog

inline constexpr int kMaxChoiceButtons = 12;
// Width the bare button-choice dialog is designed with; it grows when the
// buttons need more.
inline constexpr int kChoiceDesignWidth = 420;

// Where the parts of the button-choice dialog stand (client pixels).
struct TChoiceLayout {
  int pitch = 0;         // distance of neighbouring buttons
  bool stacked = false;  // one below the other (else side by side)
  int width = 0;         // dialog width
  int height = 0;        // dialog height
  int memoLeft = 0, memoTop = 0, memoWidth = 0, memoHeight = 0;
  std::vector<QRect> buttons;
};

// Layout for `count` buttons whose widest caption is `widestCaption` pixels
// wide and a message of `messageLines` lines.
TChoiceLayout ChoiceLayout(int count, int widestCaption, int messageLines);

class TUniAuswahlDlg : public QDialog {
  Q_OBJECT
 public:
  // `defaultIndex` is 1-based. At most 12 captions are used.
  TUniAuswahlDlg(std::string_view message, std::string_view captions, int defaultIndex, QWidget* parent = nullptr,
                 const TTextWidth& textWidth = {});

  const TChoiceLayout& Layout() const { return layout_; }
  const std::vector<QPushButton*>& Buttons() const { return buttons_; }
  QLabel* Memo() const { return memo_; }
  // The 1-based number of the default button, 0 when there is none.
  int DefaultIndex() const { return defaultIndex_; }
  // The number of the pressed button once the dialog closed (0 before).
  int Pressed() const { return pressed_; }

 public slots:
  // The dialog has no cancel: Escape and the window manager's close are ignored.
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  TChoiceLayout layout_;
  std::vector<QPushButton*> buttons_;
  QLabel* memo_ = nullptr;
  int defaultIndex_ = 0;
  int pressed_ = 0;
};

// ---------------------------------------------------------------------------
// Value dialog

inline constexpr int kMaxEditRows = 20;
inline constexpr int kMaxEditChars = 64;

// One row of the value dialog read from the format text.
struct TEditRow {
  std::string label;  // "%%" already turned into "%"
  char letter = 0;    // the placeholder letter, lower case
};
// Reads the format text: ordinary characters collect into the label, "%%"
// adds "%", "%" and a letter end a row. Text after the last placeholder is
// dropped; so is a lone "%" at the very end. At most kMaxEditRows rows.
std::vector<TEditRow> ParseEditFormat(std::string_view format);

// A variable the value dialog fills a field from and stores the edited value
// into. The row's letter decides how the text is read: s text, i 32-bit
// integer, f 32-bit float, r/d 64-bit float, e extended float, t date.
using TEditVar = std::variant<std::string*, std::int32_t*, float*, double*, long double*, TDate*>;

// The field text of a value: floats with up to 15 significant digits (7 for
// 32-bit floats) and a decimal comma, dates as "dd.mm.yyyy".
std::string EditText(const TEditVar& v);

// Where the parts of the value dialog stand (client pixels).
struct TEditLayout {
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
TEditLayout EditLayout(int rows, int widestLabel);

class TUniEditDlg : public QDialog {
  Q_OBJECT
 public:
  // `vars` is read once here (to fill the fields) and written on OK.
  TUniEditDlg(std::string_view caption, std::string_view format, std::span<const TEditVar> vars,
              QWidget* parent = nullptr, const TTextWidth& textWidth = {});

  const TEditLayout& Layout() const { return layout_; }
  const std::vector<TEditRow>& Rows() const { return rows_; }
  const std::vector<QLabel*>& Labels() const { return labels_; }
  const std::vector<QLineEdit*>& Edits() const { return edits_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

 private:
  // OK: every field is read by its letter and stored into its variable.
  void Store();

  TEditLayout layout_;
  std::vector<TEditRow> rows_;
  std::vector<TEditVar> vars_;
  std::vector<bool> bound_;  // row has a variable of the kind its letter names
  std::vector<QLabel*> labels_;
  std::vector<QLineEdit*> edits_;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

// Shows the value dialog modally; true (variables updated) on OK.
bool EditValuesTyped(QWidget* parent, std::string_view caption, std::string_view format,
                     std::span<const TEditVar> vars);

// ---------------------------------------------------------------------------
// File dialogs

// "Name (*.ext)|*.ext|Alle Dateien (*.*)|*.*" -> the filter list of the file
// dialogs ("Name (*.ext *.EXT);;Alle Dateien (*.*)"): the pattern part decides,
// and every pattern is offered in upper and lower case as well, since the file
// system tells them apart.
QString ConvertFileFilter(std::string_view filter);

// ---------------------------------------------------------------------------

class TQtInteraction : public TInteraction {
 public:
  explicit TQtInteraction(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }

  int ChooseButton(std::string_view message, std::string_view captions, int defaultIndex) override;
  void ShowMessage(std::string_view message) override;
  std::optional<std::filesystem::path> PickOpenFile(std::string_view caption, std::string_view filter,
                                                    const std::filesystem::path& folder) override;
  std::optional<std::filesystem::path> PickSaveFile(std::string_view caption, std::string_view filter,
                                                    const std::filesystem::path& folder,
                                                    std::string_view defaultName) override;
  // Every value is shown and edited as text; on OK each field is read by its
  // letter and handed back in a canonical text (numbers with a decimal comma),
  // so the caller may read it with ParseFloat / ParseInt / ParseDate.
  bool EditValues(std::string_view caption, std::string_view format, std::vector<std::string>& values) override;

 private:
  QWidget* parent_ = nullptr;
};

}  // namespace sonvex
