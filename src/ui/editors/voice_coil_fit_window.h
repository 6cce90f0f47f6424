#pragma once
// The window of the voice-coil fit ("Impedanzgang analysieren"): shows the
// messages of the last fit.
#include <QDialog>
#include <string_view>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace sonvex {

class VoiceCoilFitWindow : public QDialog {
  Q_OBJECT
 public:
  explicit VoiceCoilFitWindow(QWidget* parent = nullptr);
  // Clears the messages and hides the memo (the fit's first step).
  void Clear();
  // The messages of a fit; an empty text leaves "Es sind keine Fehler
  // aufgetreten." standing and the memo hidden.
  void ShowMessages(std::string_view memo);

  QLabel* StatusLabel() const { return statusLabel_; }
  QPlainTextEdit* MessagesMemo() const { return messagesMemo_; }
  QPlainTextEdit* ThieleSmallMemo() const { return thieleSmallMemo_; }
  QPushButton* OkButton() const { return okButton_; }

 private:
  QLabel* statusLabel_ = nullptr;
  QPlainTextEdit* messagesMemo_ = nullptr;
  QPlainTextEdit* thieleSmallMemo_ = nullptr;
  QPushButton* okButton_ = nullptr;
};

}  // namespace sonvex
