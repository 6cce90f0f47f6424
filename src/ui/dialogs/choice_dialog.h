#pragma once
// The button-choice dialog: a message and up to twelve buttons, built at run
// time; its geometry is computed here so that it can be checked without
// showing it.
#include <QDialog>
#include <QRect>
#include <string_view>
#include <vector>

#include "ui/dialogs/dialog_text.h"

class QLabel;
class QPushButton;
class QWidget;

namespace sonvex {

inline constexpr int kMaxChoiceButtons = 12;
// Width the bare button-choice dialog is designed with; it grows when the
// buttons need more.
inline constexpr int kChoiceDesignWidth = 420;

// Where the parts of the button-choice dialog stand (client pixels).
struct ChoiceDialogLayout {
  int pitch = 0;         // distance of neighbouring buttons
  bool stacked = false;  // one below the other (else side by side)
  int width = 0;         // dialog width
  int height = 0;        // dialog height
  int memoLeft = 0, memoTop = 0, memoWidth = 0, memoHeight = 0;
  std::vector<QRect> buttons;
};

// The dialog widens for a message line up to this width (client pixels);
// longer lines wrap.
inline constexpr int kChoiceMaxMessageWidth = 700;

// Layout for `count` buttons whose widest caption is `widestCaption` pixels
// wide and a message of `messageLines` lines whose widest line (unwrapped)
// is `widestLine` pixels wide. The message gets 16 pixels a line, or
// `messageHeight` pixels where its font needs more.
ChoiceDialogLayout ChoiceLayout(int count, int widestCaption, int messageLines, int widestLine = 0,
                                int messageHeight = 0);

class ChoiceDialog : public QDialog {
  Q_OBJECT
 public:
  // `defaultIndex` is 1-based. At most 12 captions are used.
  ChoiceDialog(std::string_view message, std::string_view captions, int defaultIndex, QWidget* parent = nullptr,
               const TextMeasure& textWidth = {});

  const ChoiceDialogLayout& Layout() const { return layout_; }
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
  ChoiceDialogLayout layout_;
  std::vector<QPushButton*> buttons_;
  QLabel* memo_ = nullptr;
  int defaultIndex_ = 0;
  int pressed_ = 0;
};

}  // namespace sonvex
