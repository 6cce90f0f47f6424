#include "ui/dialogs/window_place.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>
#include <array>

namespace sonvex {

namespace {

long long Covered(const QRect& a, const QRect& b) {
  const QRect common = a.intersected(b);
  return common.isEmpty() ? 0 : static_cast<long long>(common.width()) * common.height();
}

// `pos` clamped so that a span of `length` starting there lies in [lo, lo + room).
int Clamp(int pos, int length, int lo, int room) { return std::max(lo, std::min(pos, lo + room - length)); }

QMargins FrameMargins(const QWidget* w) {
  const QRect outer = w->frameGeometry();
  const QRect inner = w->geometry();
  return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
          outer.bottom() - inner.bottom()};
}

}  // namespace

QRect PlaceBeside(const QRect& owner, const QSize& size, const QRect& screen) {
  const QSize s = size.boundedTo(screen.size());
  const int x = Clamp(owner.left(), s.width(), screen.left(), screen.width());
  const int y = Clamp(owner.top(), s.height(), screen.top(), screen.height());
  // Right, left, below, above: the window touches the owner's side.
  const std::array<QRect, 4> beside{
      QRect(QPoint(owner.right() + 1, y), s), QRect(QPoint(owner.left() - s.width(), y), s),
      QRect(QPoint(x, owner.bottom() + 1), s), QRect(QPoint(x, owner.top() - s.height()), s)};
  for (const QRect& r : beside)
    if (screen.contains(r)) return r;

  // No room: the same sides pushed to the screen's edge, then the corners.
  const int right = screen.left() + screen.width() - s.width();
  const int bottom = screen.top() + screen.height() - s.height();
  const std::array<QRect, 8> candidates{QRect(QPoint(right, y), s),
                                        QRect(QPoint(screen.left(), y), s),
                                        QRect(QPoint(x, bottom), s),
                                        QRect(QPoint(x, screen.top()), s),
                                        QRect(QPoint(right, bottom), s),
                                        QRect(QPoint(screen.left(), bottom), s),
                                        QRect(QPoint(right, screen.top()), s),
                                        QRect(screen.topLeft(), s)};
  QRect best = candidates.front();
  for (const QRect& r : candidates)
    if (Covered(r, owner) < Covered(best, owner)) best = r;
  return best;
}

QRect FitOnScreen(const QRect& wanted, const QRect& screen) {
  const QSize s = wanted.size().boundedTo(screen.size());
  return {QPoint(Clamp(wanted.left(), s.width(), screen.left(), screen.width()),
                 Clamp(wanted.top(), s.height(), screen.top(), screen.height())),
          s};
}

void ResizeWithinScreen(QWidget* window, const QSize& wanted, const QWidget* owner) {
  const QScreen* screen = owner != nullptr ? owner->screen() : window->screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  const QMargins frame = FrameMargins(window->isVisible() || owner == nullptr ? window : owner);
  window->resize(screen != nullptr ? wanted.boundedTo(screen->availableGeometry().size().shrunkBy(frame)) : wanted);
}

void PlaceWindowBeside(QWidget* window, const QWidget* owner) {
  const QScreen* screen = owner != nullptr ? owner->screen() : window->screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  // The frame around the client area (title bar, borders).
  const QWidget* framed = window->isVisible() || owner == nullptr ? window : owner;
  const QMargins frame = FrameMargins(framed);
  // A window whose layout has not run yet may still grow to its minimum size.
  const QSize frameSize = window->size().expandedTo(window->minimumSizeHint()).grownBy(frame);
  const QRect free = screen->availableGeometry();
  const QRect place = owner != nullptr && owner->isVisible() ? PlaceBeside(owner->frameGeometry(), frameSize, free)
                                                             : FitOnScreen(QRect(window->pos(), frameSize), free);
  window->resize(place.size().shrunkBy(frame));
  window->move(place.topLeft());
}

void KeepFrameOnScreen(QWidget* window) {
  const QScreen* screen = window->screen();
  if (screen == nullptr || !window->isVisible()) return;
  const QRect frame = window->frameGeometry();
  const QRect fitted = FitOnScreen(frame, screen->availableGeometry());
  if (fitted.topLeft() != frame.topLeft()) window->move(fitted.topLeft());
}

QScrollArea* ScrollingPage(QWidget* page, const char* name) {
  auto* area = new QScrollArea;
  area->setObjectName(name);
  area->setWidget(page);
  area->setWidgetResizable(true);
  area->setFrameShape(QFrame::NoFrame);
  area->setFocusPolicy(Qt::NoFocus);
  return area;
}

QSize ScreenRoom(const QWidget* window, const QWidget* owner) {
  const QScreen* screen = owner != nullptr ? owner->screen() : window->screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return {};
  return screen->availableGeometry().size() - kWindowFrameRoom;
}

QScrollArea* ScrollOnASmallScreen(QWidget* window, const QSize& room, const char* name, QLayout* kept) {
  QLayout* content = window->layout();
  // Made already: the window's layout holds the scrolling area alone.
  if (content != nullptr && content->count() > 0)
    if (auto* made = qobject_cast<QScrollArea*>(content->itemAt(0)->widget());
        made != nullptr && made->objectName() == QLatin1String(name))
      return made;
  if (content == nullptr || room.isEmpty()) return nullptr;
  const QSize need = window->minimumSizeHint();
  // The size the window has, or would take on showing, as built.
  QSize wanted = (window->testAttribute(Qt::WA_Resized) ? window->size() : window->sizeHint()).expandedTo(need);
  if (need.width() <= room.width() && need.height() <= room.height()) {
    // Its content shrinks to the room by itself.
    if (wanted.width() > room.width() || wanted.height() > room.height()) window->resize(wanted.boundedTo(room));
    return nullptr;
  }
  const QMargins margins = content->contentsMargins();
  if (kept != nullptr) {
    content->removeItem(kept);
    kept->setParent(nullptr);
    // The row below takes the bottom margin; the page ends at its content.
    content->setContentsMargins(margins.left(), margins.top(), margins.right(), 0);
  }
  auto* page = new QWidget;
  page->setLayout(content);  // takes the layout off the window, with the widgets in it
  auto* area = ScrollingPage(page, name);
  auto* layout = new QVBoxLayout(window);
  layout->setContentsMargins(0, 0, 0, kept != nullptr ? margins.bottom() : 0);
  layout->addWidget(area);
  if (kept != nullptr) {
    kept->setContentsMargins(margins.left(), 0, margins.right(), 0);
    layout->addLayout(kept);
  }
  layout->activate();
  // A scroll bar along one side takes room from the other.
  const int bar = area->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, area);
  if (wanted.width() > room.width()) wanted.rheight() += bar;
  if (wanted.height() > room.height()) wanted.rwidth() += bar;
  window->resize(wanted.boundedTo(room));
  return area;
}

}  // namespace sonvex
