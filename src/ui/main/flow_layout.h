#pragma once
// A row of controls that wraps onto further rows when the window is too
// narrow for it, so that a small window keeps every control reachable.
#include <QLayout>
#include <QList>

namespace sonvex {

class FlowLayout : public QLayout {
 public:
  explicit FlowLayout(QWidget* parent = nullptr);
  ~FlowLayout() override;
  FlowLayout(const FlowLayout&) = delete;
  FlowLayout& operator=(const FlowLayout&) = delete;

  void addItem(QLayoutItem* item) override;
  int count() const override;
  QLayoutItem* itemAt(int index) const override;
  QLayoutItem* takeAt(int index) override;
  Qt::Orientations expandingDirections() const override;
  bool hasHeightForWidth() const override;
  int heightForWidth(int width) const override;
  QSize minimumSize() const override;
  QSize sizeHint() const override;
  void setGeometry(const QRect& rect) override;

 private:
  // Places the items left to right in `rect`, wrapping where the next one
  // does not fit; only measures unless `apply`. Returns the height used.
  int Arrange(const QRect& rect, bool apply) const;

  QList<QLayoutItem*> items_;
};

}  // namespace sonvex
