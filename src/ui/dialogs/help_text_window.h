#pragma once
// The help window of the editors' information buttons: a title and a short
// text, one line per line break, in a narrow window beside the editor.
#include <QDialog>
#include <string_view>

class QPlainTextEdit;

namespace sonvex {

class HelpTextWindow : public QDialog {
  Q_OBJECT
 public:
  explicit HelpTextWindow(QWidget* parent = nullptr);
  // Shows `text` (lines separated by CR, LF or CR LF) under `title`, to the
  // right of `beside` when given.
  void ShowHelp(std::string_view title, std::string_view text, const QWidget* beside = nullptr);
  QString Text() const;

 private:
  QPlainTextEdit* memo_ = nullptr;
};

}  // namespace sonvex
