#pragma once
// How a window runs a modal dialog: the main window runs it in the toolkit's
// loop; tests fill and confirm it instead. Returns QDialog::Accepted or
// QDialog::Rejected.
#include <functional>

class QDialog;

namespace sonvex {

using TDialogRunner = std::function<int(QDialog&)>;

}  // namespace sonvex
