#pragma once
// Where a window opens on the screen: within the screen's free area, and
// beside the window it belongs to where there is room for it, so that an
// editor does not hide the charts that follow its edits.
#include <QRect>
#include <QSize>

class QLayout;
class QScrollArea;
class QWidget;

namespace sonvex {

// The room a window's frame (title bar, borders) takes on the screen, kept
// free where the frame is not known yet (before the window's first showing).
inline constexpr QSize kWindowFrameRoom(16, 48);

// The frame rectangle for a window of frame size `size` next to the frame
// `owner` on the free screen area `screen`: the window keeps its size unless
// the screen is smaller (then it gets the screen's size). It stands beside
// `owner` on the right, else on the left, below or above, whichever fits
// first without covering `owner`; where none does, it stands where it covers
// the least of `owner` (on a tie, in the same order of sides, then the
// screen's corners).
QRect PlaceBeside(const QRect& owner, const QSize& size, const QRect& screen);

// `wanted` moved and shrunk as little as needed to lie within `screen`.
QRect FitOnScreen(const QRect& wanted, const QRect& screen);

// Resizes the top-level `window` to `wanted` (its client size), at most as
// large as the free area of the screen `owner` (or else `window`) is on.
void ResizeWithinScreen(QWidget* window, const QSize& wanted, const QWidget* owner);

// Sizes and moves the top-level `window` by PlaceBeside on the free area of
// the screen `owner` is on. Before its first showing the window's frame is
// not known yet; the owner's frame stands in for it.
void PlaceWindowBeside(QWidget* window, const QWidget* owner);

// `page` in a frameless area named `name` that scrolls when the window is
// smaller than the page needs (a small screen); otherwise the page fills it
// as it would without. Tab goes from field to field, not to the area.
QScrollArea* ScrollingPage(QWidget* page, const char* name);

// The client size the top-level `window` may take on the free area of the
// screen `owner` (or else `window`) is on, less kWindowFrameRoom; an empty
// size when there is no screen.
QSize ScreenRoom(const QWidget* window, const QWidget* owner);

// Once a window manager has framed the shown `window`, moves it back onto
// the free area of its screen where its frame reaches past it (a frame
// larger than the one its placement could count on).
void KeepFrameOnScreen(QWidget* window);

// Where `room` (a client size, see ScreenRoom) is smaller than `window` needs
// at least, the window's content, all of its layout but `kept` (the row of
// buttons that closes it, which stays below), goes into a ScrollingPage
// named `name`, so that the window fits the screen and its buttons stay in
// reach. A larger room leaves the window as built, only made smaller where
// it is larger than `room`. The window takes at most `room` either way.
// Returns the area, or nullptr where there is none; a second call finds the
// area the first one made.
QScrollArea* ScrollOnASmallScreen(QWidget* window, const QSize& room, const char* name, QLayout* kept = nullptr);

}  // namespace sonvex
