#pragma once
// How a window runs a modal dialog: the main window runs it in the toolkit's
// loop; tests fill and confirm it instead. Returns QDialog::Accepted or
// QDialog::Rejected.
#include <QDialog>
#include <QPointer>
#include <functional>

namespace sonvex {

using DialogRunner = std::function<int(QDialog&)>;

// A dialog shared by several windows (the part editor) belongs, while it is
// open, to the window that opened it, so that it stands in front of that
// window and never brings another one forward; afterwards it goes back to
// its own parent.
class DialogOwner {
 public:
  DialogOwner(QDialog& dialog, QWidget* owner) : dialog_(&dialog), parent_(dialog.parentWidget()) {
    if (owner != nullptr && owner != parent_) dialog.setParent(owner, dialog.windowFlags());
  }
  ~DialogOwner() {
    if (dialog_ != nullptr && dialog_->parentWidget() != parent_) dialog_->setParent(parent_, dialog_->windowFlags());
  }
  DialogOwner(const DialogOwner&) = delete;
  DialogOwner& operator=(const DialogOwner&) = delete;

 private:
  QPointer<QDialog> dialog_;
  QPointer<QWidget> parent_;
};

}  // namespace sonvex
