#pragma once
// What the small dialogs built at run time share: the measure of a text and
// the caption of the program.
#include <QString>
#include <functional>

class QWidget;

namespace sonvex {

// Text width in pixels of a caption or label; the dialogs use the font
// metrics of their own font unless a test supplies another measure.
using TTextWidth = std::function<int(const QString&)>;

// The dialog caption of the button-choice dialog: the running program's file
// name without folder and extension.
QString ProgramCaption();

// The width of texts in the font of `w`.
TTextWidth FontWidth(const QWidget* w);

// Height of the push buttons of the small dialogs.
inline constexpr int kButtonHeight = 25;

}  // namespace sonvex
