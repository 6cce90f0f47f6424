#pragma once
// The quick guide (how to design a box with the program) and the about
// window (version and licences).
#include <QDialog>
#include <QWidget>

class QTextBrowser;

namespace sonvex {

// The quick guide's text (HTML).
QString QuickGuideText();
// The about window's text (HTML): program, version, licences.
QString AboutText();

// "Kurzanleitung": a window of its own that stays open beside the main
// window; Escape closes it.
class QuickGuideWindow : public QWidget {
  Q_OBJECT
 public:
  explicit QuickGuideWindow(QWidget* parent = nullptr);
  QTextBrowser* Browser() const { return browser_; }

 protected:
  void showEvent(QShowEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  QTextBrowser* browser_ = nullptr;
  bool placed_ = false;
};

// "Info": program name, version, licence of the program and of the libraries.
class AboutDialog : public QDialog {
  Q_OBJECT
 public:
  explicit AboutDialog(QWidget* parent = nullptr);
  QTextBrowser* Browser() const { return browser_; }

 private:
  QTextBrowser* browser_ = nullptr;
};

}  // namespace sonvex
