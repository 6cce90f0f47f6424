#include "ui/main/flow_layout.h"

#include <QWidget>
#include <algorithm>

namespace sonvex {

FlowLayout::FlowLayout(QWidget* parent) : QLayout(parent) {
  setContentsMargins(0, 0, 0, 0);
  setSpacing(6);
}

FlowLayout::~FlowLayout() {
  while (QLayoutItem* item = takeAt(0)) delete item;
}

void FlowLayout::addItem(QLayoutItem* item) { items_.append(item); }

int FlowLayout::count() const { return static_cast<int>(items_.size()); }

QLayoutItem* FlowLayout::itemAt(int index) const {
  return index >= 0 && index < items_.size() ? items_.at(index) : nullptr;
}

QLayoutItem* FlowLayout::takeAt(int index) {
  return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

Qt::Orientations FlowLayout::expandingDirections() const { return {}; }

bool FlowLayout::hasHeightForWidth() const { return true; }

int FlowLayout::heightForWidth(int width) const { return Arrange(QRect(0, 0, width, 0), false); }

QSize FlowLayout::minimumSize() const {
  // As narrow as the widest single control: everything else wraps.
  QSize size;
  for (const QLayoutItem* item : items_) size = size.expandedTo(item->minimumSize());
  const QMargins m = contentsMargins();
  return size + QSize(m.left() + m.right(), m.top() + m.bottom());
}

QSize FlowLayout::sizeHint() const {
  // All controls in one row.
  int width = 0;
  int height = 0;
  for (const QLayoutItem* item : items_) {
    if (item->isEmpty()) continue;
    width += item->sizeHint().width() + (width > 0 ? spacing() : 0);
    height = std::max(height, item->sizeHint().height());
  }
  const QMargins m = contentsMargins();
  return {width + m.left() + m.right(), height + m.top() + m.bottom()};
}

void FlowLayout::setGeometry(const QRect& rect) {
  QLayout::setGeometry(rect);
  Arrange(rect, true);
}

int FlowLayout::Arrange(const QRect& rect, bool apply) const {
  const QRect area = rect.marginsRemoved(contentsMargins());
  const int gap = std::max(spacing(), 0);
  int x = area.x();
  int y = area.y();
  int rowHeight = 0;
  for (QLayoutItem* item : items_) {
    if (item->isEmpty()) continue;
    const QSize hint = item->sizeHint();
    if (x > area.x() && x + hint.width() > area.right() + 1) {
      x = area.x();
      y += rowHeight + gap;
      rowHeight = 0;
    }
    if (apply) item->setGeometry(QRect(QPoint(x, y), hint));
    x += hint.width() + gap;
    rowHeight = std::max(rowHeight, hint.height());
  }
  const QMargins m = contentsMargins();
  return y + rowHeight - rect.y() + m.bottom();
}

}  // namespace sonvex
