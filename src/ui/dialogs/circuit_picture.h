#pragma once
// Small fixed circuit pictures of the calculator window, with the element
// labels of its result lines: ladder crossovers, the L-pad, the impedance
// correction networks and a sketch of the port measures.
#include <QWidget>

namespace sonvex {

class CircuitPicture : public QWidget {
 public:
  enum PictureKind {
    LowPass1,
    LowPass2,
    LowPass3,
    LowPass4,
    HighPass1,
    HighPass2,
    HighPass3,
    HighPass4,
    LPad,
    ResonanceTrap,
    Zobel,
    BothCorrections,
    Port
  };
  // Where the upper and lower rail of the crossover and attenuator ladders run.
  static constexpr int kRailTop = 20;
  static constexpr int kRailBottom = 64;

  explicit CircuitPicture(PictureKind kind, QWidget* parent = nullptr);
  PictureKind Kind() const { return kind_; }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  PictureKind kind_;
};

}  // namespace sonvex
