#pragma once
// What the small dialogs built at run time share: the measure of a text and
// the caption of the program.
#include <QString>
#include <functional>
#include <utility>

class QBoxLayout;
class QDialog;
class QPushButton;
class QWidget;

namespace sonvex {

// Text width in pixels of a caption or label; the dialogs use the font
// metrics of their own font unless a test supplies another measure.
using TextMeasure = std::function<int(const QString&)>;

// The dialog caption of the button-choice dialog: the running program's file
// name without folder and extension.
QString ProgramCaption();

// The width of texts in the font of `w`.
TextMeasure FontWidth(const QWidget* w);

// The closing buttons of a dialog, appended to `row`: `okText` is the
// default button and accepts, `cancelText` rejects. Returns both (ok first).
std::pair<QPushButton*, QPushButton*> AddOkCancel(QDialog* dialog, QBoxLayout* row, const QString& okText,
                                                  const QString& cancelText);

// Height of the push buttons of the small dialogs.
inline constexpr int kButtonHeight = 25;

}  // namespace sonvex
