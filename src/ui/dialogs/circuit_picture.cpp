#include "ui/dialogs/circuit_picture.h"

#include <QPainter>
#include <QPainterPath>
#include <vector>

namespace sonvex {

namespace {

enum class ElementKind { R, L, C };

struct Element {
  ElementKind part;
  bool shunt;  // across the rails; otherwise in the upper rail
  const char* label;
};

constexpr int kTop = CircuitPicture::kRailTop;
constexpr int kSeriesLength = 44;
constexpr int kShuntStep = 30;

// One element between a and b (horizontal or vertical), its label beside it.
void DrawPart(QPainter& p, ElementKind part, QPointF a, QPointF b, const QString& label) {
  const bool horizontal = a.y() == b.y();
  const QPointF mid = (a + b) / 2;
  const QPointF dir = horizontal ? QPointF(1, 0) : QPointF(0, 1);
  const QPointF side = horizontal ? QPointF(0, 1) : QPointF(1, 0);
  const double half = part == ElementKind::C ? 3 : 11;
  p.drawLine(a, mid - dir * half);
  p.drawLine(mid + dir * half, b);
  switch (part) {
    case ElementKind::R:
      p.setBrush(Qt::white);
      p.drawRect(QRectF(mid - dir * half - side * 4, mid + dir * half + side * 4));
      break;
    case ElementKind::L:
      // a filled body, as coils are drawn in European schematics
      p.setBrush(Qt::black);
      p.drawRect(QRectF(mid - dir * half - side * 3.5, mid + dir * half + side * 3.5));
      break;
    case ElementKind::C:
      p.drawLine(mid - dir * half - side * 8, mid - dir * half + side * 8);
      p.drawLine(mid + dir * half - side * 8, mid + dir * half + side * 8);
      break;
  }
  p.setBrush(Qt::NoBrush);
  const QPointF at = horizontal ? mid + QPointF(-10, -8) : mid + QPointF(10, 4);
  p.drawText(at, label);
}

// The loudspeaker between the rails at x.
void DrawSpeaker(QPainter& p, double x, double top, double bottom) {
  const double mid = (top + bottom) / 2;
  p.drawLine(QPointF(x, top), QPointF(x, mid - 8));
  p.drawLine(QPointF(x, mid + 8), QPointF(x, bottom));
  p.drawLine(QPointF(x, mid - 8), QPointF(x + 6, mid - 8));
  p.drawLine(QPointF(x, mid + 8), QPointF(x + 6, mid + 8));
  p.drawRect(QRectF(x + 6, mid - 8, 6, 16));
  QPainterPath cone;
  cone.moveTo(x + 12, mid - 8);
  cone.lineTo(x + 20, mid - 15);
  cone.lineTo(x + 20, mid + 15);
  cone.lineTo(x + 12, mid + 8);
  p.drawPath(cone);
}

void DrawTerminals(QPainter& p, double x, double top, double bottom) {
  p.drawEllipse(QPointF(x, top), 3, 3);
  p.drawEllipse(QPointF(x, bottom), 3, 3);
}

// A ladder of series and shunt elements from the input terminals to the
// loudspeaker; returns where the loudspeaker stands.
double DrawLadder(QPainter& p, const std::vector<Element>& elements, double bottom) {
  double x = 8;
  DrawTerminals(p, x, kTop, bottom);
  x += 3;
  for (const Element& e : elements) {
    if (e.shunt) {
      // Both rails run on through the junctions of the shunt part.
      p.drawLine(QPointF(x, kTop), QPointF(x + kShuntStep, kTop));
      p.drawLine(QPointF(x, bottom), QPointF(x + kShuntStep, bottom));
      x += kShuntStep / 2.0;
      DrawPart(p, e.part, QPointF(x, kTop), QPointF(x, bottom), QString::fromUtf8(e.label));
      p.drawEllipse(QPointF(x, kTop), 1.5, 1.5);
      p.drawEllipse(QPointF(x, bottom), 1.5, 1.5);
      x += kShuntStep / 2.0;
    } else {
      DrawPart(p, e.part, QPointF(x, kTop), QPointF(x + kSeriesLength, kTop), QString::fromUtf8(e.label));
      p.drawLine(QPointF(x, bottom), QPointF(x + kSeriesLength, bottom));
      x += kSeriesLength;
    }
  }
  p.drawLine(QPointF(x, kTop), QPointF(x + 12, kTop));
  p.drawLine(QPointF(x, bottom), QPointF(x + 12, bottom));
  DrawSpeaker(p, x + 12, kTop, bottom);
  return x + 12;
}

// Series chains across the loudspeaker, one per branch, each element drawn
// from top to bottom.
void DrawBranches(QPainter& p, const std::vector<std::vector<Element>>& branches, double bottom) {
  double x = 8;
  DrawTerminals(p, x, kTop, bottom);
  x += 3;
  for (const auto& chain : branches) {
    p.drawLine(QPointF(x, kTop), QPointF(x + 40, kTop));
    p.drawLine(QPointF(x, bottom), QPointF(x + 40, bottom));
    x += 40;
    const double step = (bottom - kTop) / static_cast<double>(chain.size());
    for (std::size_t n = 0; n < chain.size(); ++n)
      DrawPart(p, chain[n].part, QPointF(x, kTop + step * static_cast<double>(n)),
               QPointF(x, kTop + step * static_cast<double>(n + 1)), QString::fromUtf8(chain[n].label));
    p.drawEllipse(QPointF(x, kTop), 1.5, 1.5);
    p.drawEllipse(QPointF(x, bottom), 1.5, 1.5);
  }
  p.drawLine(QPointF(x, kTop), QPointF(x + 40, kTop));
  p.drawLine(QPointF(x, bottom), QPointF(x + 40, bottom));
  DrawSpeaker(p, x + 40, kTop, bottom);
}

// Front view (wall distances f, k, i, j and the port c x e) and top view
// (port length l and the distance g of its inner end to the back wall).
void DrawPort(QPainter& p) {
  const QRectF front(14, 14, 90, 110);
  p.drawRect(front);
  const QRectF port(front.left() + 22, front.bottom() - 30, 46, 14);
  p.setBrush(QColor(220, 220, 220));
  p.drawRect(port);
  p.setBrush(Qt::NoBrush);
  p.drawText(QPointF(front.left(), 10), QStringLiteral("vorne"));
  p.drawText(port.center() + QPointF(-3, 4), QStringLiteral("e"));
  p.drawText(QPointF(port.right() + 2, port.center().y() + 4), QStringLiteral("c"));
  p.drawText(QPointF(port.center().x() - 3, front.bottom() - 4), QStringLiteral("f"));
  p.drawText(QPointF(port.center().x() - 3, front.top() + 30), QStringLiteral("k"));
  p.drawText(QPointF(front.left() + 4, port.center().y() + 4), QStringLiteral("i"));
  p.drawText(QPointF(front.right() - 12, port.center().y() + 4), QStringLiteral("j"));

  const QRectF top(130, 14, 100, 60);
  p.drawRect(top);
  p.drawText(QPointF(top.left(), 10), QStringLiteral("von oben"));
  const QRectF tube(top.left() + 30, top.bottom() - 36, 14, 36);
  p.setBrush(QColor(220, 220, 220));
  p.drawRect(tube);
  p.setBrush(Qt::NoBrush);
  p.drawText(QPointF(tube.right() + 3, tube.center().y() + 8), QStringLiteral("l"));
  p.drawLine(QPointF(tube.center().x(), tube.top()), QPointF(tube.center().x(), top.top()));
  p.drawText(QPointF(tube.center().x() + 3, top.top() + 12), QStringLiteral("g"));
  p.drawText(QPointF(top.left(), top.bottom() + 14), QStringLiteral("Schallwand unten"));
}

}  // namespace

CircuitPicture::CircuitPicture(PictureKind kind, QWidget* parent) : QWidget(parent), kind_(kind) {
  setMinimumSize(sizeHint());
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize CircuitPicture::sizeHint() const {
  switch (kind_) {
    case Port:
      return {240, 130};
    case ResonanceTrap:
    case Zobel:
    case BothCorrections:
      return {kind_ == BothCorrections ? 190 : 150, 114};
    default:
      return {210, 74};
  }
}

void CircuitPicture::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(Qt::black, 1.2));
  QFont font = p.font();
  font.setPointSizeF(8);
  p.setFont(font);
  const double ladderBottom = kRailBottom;
  const double branchBottom = 104;
  switch (kind_) {
    case LowPass1:
      DrawLadder(p, {{ElementKind::L, false, "L"}}, ladderBottom);
      break;
    case LowPass2:
      DrawLadder(p, {{ElementKind::L, false, "L1"}, {ElementKind::C, true, "C1"}}, ladderBottom);
      break;
    case LowPass3:
      DrawLadder(p, {{ElementKind::L, false, "L1"}, {ElementKind::C, true, "C1"}, {ElementKind::L, false, "L2"}},
                 ladderBottom);
      break;
    case LowPass4:
      DrawLadder(p,
                 {{ElementKind::L, false, "L1"},
                  {ElementKind::C, true, "C1"},
                  {ElementKind::L, false, "L2"},
                  {ElementKind::C, true, "C2"}},
                 ladderBottom);
      break;
    case HighPass1:
      DrawLadder(p, {{ElementKind::C, false, "C"}}, ladderBottom);
      break;
    case HighPass2:
      DrawLadder(p, {{ElementKind::C, false, "C2"}, {ElementKind::L, true, "L2"}}, ladderBottom);
      break;
    case HighPass3:
      DrawLadder(p, {{ElementKind::C, false, "C2"}, {ElementKind::L, true, "L3"}, {ElementKind::C, false, "C3"}},
                 ladderBottom);
      break;
    case HighPass4:
      DrawLadder(p,
                 {{ElementKind::C, false, "C3"},
                  {ElementKind::L, true, "L3"},
                  {ElementKind::C, false, "C4"},
                  {ElementKind::L, true, "L4"}},
                 ladderBottom);
      break;
    case LPad:
      p.drawText(
          QPointF(DrawLadder(p, {{ElementKind::R, false, "R1"}, {ElementKind::R, true, "R2"}}, ladderBottom) + 24,
                  (kTop + ladderBottom) / 2 + 4),
          QStringLiteral("RL"));
      break;
    case ResonanceTrap:
      DrawBranches(p, {{{ElementKind::R, false, "R"}, {ElementKind::L, false, "L"}, {ElementKind::C, false, "C"}}},
                   branchBottom);
      break;
    case Zobel:
      DrawBranches(p, {{{ElementKind::R, false, "R"}, {ElementKind::C, false, "C"}}}, branchBottom);
      break;
    case BothCorrections:
      DrawBranches(p,
                   {{{ElementKind::R, false, "R1"}, {ElementKind::C, false, "C1"}},
                    {{ElementKind::R, false, "R2"}, {ElementKind::L, false, "L"}, {ElementKind::C, false, "C2"}}},
                   branchBottom);
      break;
    case Port:
      DrawPort(p);
      break;
  }
}

}  // namespace sonvex
