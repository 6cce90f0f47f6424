#pragma once
// The window of the voice-coil fit ("Impedanzgang analysieren"): shows the
// messages of the last fit.
#include <QDialog>
#include <string_view>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace sonvex {

class TFormReLe2 : public QDialog {
  Q_OBJECT
 public:
  explicit TFormReLe2(QWidget* parent = nullptr);
  // Clears the messages and hides the memo (the fit's first step).
  void Clear();
  // The messages of a fit; an empty text leaves "Es sind keine Fehler
  // aufgetreten." standing and the memo hidden.
  void ShowMessages(std::string_view memo);

  QLabel* Label1() const { return label1_; }
  QPlainTextEdit* MemoReLe() const { return memoReLe_; }
  QPlainTextEdit* MemoTS() const { return memoTS_; }
  QPushButton* Button1() const { return button1_; }

 private:
  QLabel* label1_ = nullptr;
  QPlainTextEdit* memoReLe_ = nullptr;
  QPlainTextEdit* memoTS_ = nullptr;
  QPushButton* button1_ = nullptr;
};

}  // namespace sonvex
