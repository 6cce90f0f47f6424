#pragma once
// The error list of the last calculation ("Berechnen"), shown when the user
// clicks the status bar; Escape closes it.
#include <QStringList>
#include <QWidget>

#include "calc/check.h"

class QPlainTextEdit;

namespace sonvex {

class ErrorListWindow : public QWidget {
  Q_OBJECT
 public:
  explicit ErrorListWindow(QWidget* parent = nullptr);

  // Clears the list and shows the report's lines; the counter takes its
  // error count.
  void ShowReport(const CalcReport& report);

  int ErrorCount() const { return errorCount_; }
  QStringList Lines() const;
  QPlainTextEdit* ErrorMemo() const { return errorMemo_; }

 protected:
  void showEvent(QShowEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  QPlainTextEdit* errorMemo_ = nullptr;
  int errorCount_ = 0;
  bool placed_ = false;
};

}  // namespace sonvex
