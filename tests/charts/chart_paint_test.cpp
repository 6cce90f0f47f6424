// Charts painted into images: curves land where the mapping says, reference
// curves are lighter and dotted, empty charts show the logo, and bad data
// never breaks painting. Set SONVEX_CHART_PNG_DIR to keep the pictures.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QtGlobal>
#include <cmath>
#include <iterator>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "charts/chart.h"
#include "charts/chart_paint_util.h"
#include "charts/polar.h"

namespace sonvex {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Fonts need a QGuiApplication; one lives for the whole test program.
void EnsureGuiApplication() {
  if (QGuiApplication::instance() != nullptr) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "charts_tests";
  static char* argv[] = {name, nullptr};
  static QGuiApplication* app = new QGuiApplication(argc, argv);
  (void)app;
}

QImage WhiteImage(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  img.setDotsPerMeterX(3780);  // 96 dpi, as on a desktop screen
  img.setDotsPerMeterY(3780);
  img.fill(Qt::white);
  return img;
}

void KeepPicture(const QImage& img, const char* name) {
  const QByteArray dir = qgetenv("SONVEX_CHART_PNG_DIR");
  if (dir.isEmpty()) return;
  img.save(QDir(QString::fromUtf8(dir)).filePath(QString::fromUtf8(name)));
}

bool Dark(QRgb c) { return qGray(c) < 120; }

bool Reddish(QRgb c) { return qRed(c) > 200 && qRed(c) - qGreen(c) > 40 && qRed(c) - qBlue(c) > 40; }

// Any pixel within `d` of (x, y) satisfying `pred`.
template <class Pred>
bool Near(const QImage& img, int x, int y, int d, Pred pred) {
  for (int yy = y - d; yy <= y + d; ++yy)
    for (int xx = x - d; xx <= x + d; ++xx)
      if (img.valid(xx, yy) && pred(img.pixel(xx, yy))) return true;
  return false;
}

template <class Pred>
int CountPixels(const QImage& img, Pred pred) {
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) n += pred(img.pixel(x, y)) ? 1 : 0;
  return n;
}

void FillCurve(ChartCurve& c, const char* name, ColorValue colour, int n, double (*level)(double f)) {
  c.visible = true;
  c.name = name;
  c.color = colour;
  c.count = n;
  for (int i = 0; i < n; ++i) {
    const double f = 20 * std::pow(1000.0, i / double(n - 1));
    c.X[static_cast<std::size_t>(i)] = f;
    c.Y[static_cast<std::size_t>(i)] = level(f);
  }
}

class ChartPaint : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureGuiApplication();
    chart_ = std::make_unique<Chart>();
    chart_->hasData = true;
    chart_->title = "Frequenzgang Gesamtbox";
    chart_->subTitle = "(alle Verstärker und Chassis)";
    chart_->xMin = 20;
    chart_->xMax = 20000;
    chart_->yMin = 40;
    chart_->yMax = 110;
    chart_->yKind = LevelAxis;
    chart_->y2Min = 0;
    chart_->y2Max = 70;
    chart_->y2Kind = ImpedanceAxis;
    chart_->showY2 = true;
    chart_->onPaintError = [this](std::string_view m) { errors_.emplace_back(m); };
  }

  QImage Paint(int w, int h) {
    QImage img = WhiteImage(w, h);
    QPainter p(&img);
    EXPECT_TRUE(chart_->PaintChart(p, 0, 0, w, h));
    p.end();
    return img;
  }

  std::unique_ptr<Chart> chart_;
  std::vector<std::string> errors_;
};

TEST_F(ChartPaint, CurvesLieWhereTheMappingPutsThem) {
  FillCurve(chart_->curves[0], "Amplitude gesamt", RGBColor(255, 0, 0), 200, [](double f) {
    return 60 + 10 * std::log10(f / 20);  // 60 .. 90 dB
  });
  FillCurve(chart_->curves[1], "Impedanz Verstärker 1", RGBColor(0, 0, 255), 100, [](double f) {
    return 8 + 20 * std::exp(-std::pow(std::log(f / 60), 2));  // impedance peak at 60 Hz
  });
  chart_->curves[1].rightAxis = true;
  const QImage img = Paint(900, 600);
  KeepPicture(img, "chart_total.png");
  ASSERT_TRUE(errors_.empty());

  // plot rectangle derived from the font: 6 characters at the sides
  EXPECT_EQ(chart_->plot.left, 6 * chart_->charWidth);
  EXPECT_EQ(chart_->plot.right, 900 - 6 * chart_->charWidth);
  EXPECT_EQ(chart_->plot.bottom, 600 - 5 * chart_->lineHeight);
  EXPECT_GT(chart_->charWidth, 3);

  for (double f : {30.0, 200.0, 1000.0, 5000.0}) {
    const int x = chart_->MapX(f);
    const int y = chart_->MapY(60 + 10 * std::log10(f / 20));
    EXPECT_TRUE(Near(img, x, y, 1, Reddish)) << f;
  }
  // the impedance curve follows the right axis: 28 Ohm at 60 Hz
  const int x60 = chart_->MapX(60);
  EXPECT_TRUE(Near(img, x60, chart_->MapY2(28), 2, [](QRgb c) { return qBlue(c) > 200 && qRed(c) < 150; }));
  EXPECT_FALSE(Near(img, x60, chart_->MapY(28), 2, [](QRgb c) { return qBlue(c) > 200 && qRed(c) < 150; }));

  // grid: a major frequency line (1000 Hz) is grey, a minor one (300 Hz) silver
  const int yMid = (chart_->plot.top + chart_->plot.bottom) / 2 + 3;
  EXPECT_EQ(img.pixel(chart_->MapX(1000), yMid), qRgb(128, 128, 128));
  EXPECT_EQ(img.pixel(chart_->MapX(300), yMid), qRgb(192, 192, 192));

  // legend: the sample line of the second legend entry in its colour
  const LegendEntry e = LegendPlace(1, 2, {0, 0, 900, 600}, chart_->plot.bottom, chart_->charWidth, chart_->lineHeight);
  EXPECT_TRUE(Near(img, (e.lineFrom.x + e.lineTo.x) / 2, e.lineFrom.y, 0,
                   [](QRgb c) { return qBlue(c) > 200 && qRed(c) < 100; }));
}

TEST_F(ChartPaint, ReferenceCurvesAreLighterAndDotted) {
  FillCurve(chart_->curves[0], "Amplitude gesamt", RGBColor(255, 0, 0), 50, [](double) { return 70.0; });
  chart_->StoreReference();
  EXPECT_TRUE(chart_->curves[26].visible);
  EXPECT_EQ(chart_->curves[26].Y[10], 70.0);
  FillCurve(chart_->curves[0], "Amplitude gesamt", RGBColor(255, 0, 0), 50, [](double) { return 90.0; });
  chart_->showY2 = false;
  const QImage img = Paint(900, 600);
  KeepPicture(img, "chart_reference.png");

  const int y = chart_->MapY(70);
  const QRgb lighter = qRgb(255, 128, 128);  // half way to white
  int dots = 0, gaps = 0;
  for (int x = chart_->plot.left + 20; x < chart_->plot.right - 20; ++x) {
    const QRgb c = img.pixel(x, y);
    if (c == lighter) ++dots;
    if (qRed(c) == qGreen(c)) ++gaps;  // white or a grid line
  }
  EXPECT_GT(dots, 50);
  EXPECT_GT(gaps, 50);
  // the current curve stays solid and full colour
  const int y90 = chart_->MapY(90);
  for (int x = chart_->plot.left + 20; x < chart_->plot.right - 20; x += 7)
    EXPECT_TRUE(Reddish(img.pixel(x, y90))) << x;

  chart_->ClearReference();
  EXPECT_FALSE(chart_->curves[26].visible);
  EXPECT_EQ(chart_->curves[26].count, 0);
  const QImage cleared = Paint(900, 600);
  EXPECT_EQ(CountPixels(cleared, [&](QRgb c) { return c == lighter; }), 0);
}

TEST_F(ChartPaint, EmptyChartShowsOnlyGreyAndTheLogo) {
  chart_->hasData = false;
  FillCurve(chart_->curves[0], "Amplitude gesamt", RGBColor(255, 0, 0), 50, [](double) { return 70.0; });
  const QImage img = Paint(700, 500);
  KeepPicture(img, "chart_empty.png");
  const QRgb grey = qRgb(208, 208, 208);
  for (QPoint pt : {QPoint(0, 0), QPoint(699, 0), QPoint(0, 499), QPoint(699, 499), QPoint(30, 250), QPoint(350, 20)})
    EXPECT_EQ(img.pixel(pt), grey);
  // the logo: centred, within 6/7 of the width
  EXPECT_NE(img.pixel(350, 250), grey);
  EXPECT_EQ(img.pixel(20, 250), grey);
  EXPECT_GT(CountPixels(img, [&](QRgb c) { return c != grey; }), 20000);
  EXPECT_EQ(CountPixels(img, [](QRgb c) { return c == qRgb(255, 0, 0); }), 0);
}

TEST_F(ChartPaint, BadDataAndOddAxesNeverBreakPainting) {
  // NaN and infinite values, a point count beyond the slots, a negative one
  ChartCurve& a = chart_->curves[0];
  FillCurve(a, "a", RGBColor(255, 0, 0), 601, [](double f) { return f < 1000 ? kNaN : 80.0; });
  a.Y[5] = kInf;
  a.Y[6] = -kInf;
  a.X[7] = kNaN;
  a.X[8] = kInf;
  a.count = 100000;
  chart_->curves[1].visible = true;
  chart_->curves[1].count = -5;
  chart_->curves[2].visible = true;
  chart_->curves[2].count = 1;
  chart_->curves[3] = a;
  chart_->curves[3].rightAxis = true;
  chart_->curves[3].name = std::string(40, 'W');

  struct Axes {
    double xMin, xMax, yMin, yMax;
    int yKind;
  };
  const Axes axes[] = {
      {20, 20000, 40, 110, LevelAxis},       {20000, 20, 110, 40, LevelAxis},  {0, 0, 0, 0, VoltsAxis},
      {kNaN, kInf, kNaN, kInf, PhaseAxis},   {-5, 20000, -1, 1000, WattsAxis}, {20, 20000, 1e-300, 1e300, SecondsAxis},
      {20, 20000, -1e300, 1e300, LevelAxis},
  };
  for (const Axes& ax : axes) {
    chart_->xMin = ax.xMin;
    chart_->xMax = ax.xMax;
    chart_->yMin = ax.yMin;
    chart_->yMax = ax.yMax;
    chart_->yKind = ax.yKind;
    chart_->y2Kind = ax.yKind;
    for (int w : {900, 40, 3, 0}) {
      QImage img = WhiteImage(900, 600);
      QPainter p(&img);
      EXPECT_TRUE(chart_->PaintChart(p, 0, 0, w, w * 2 / 3));
      p.end();
      // curves never leave the plot (the legend below it has red samples)
      if (w == 900) {
        for (int y = 0; y <= chart_->plot.bottom + 1; ++y)
          for (int x = 0; x < 900; ++x)
            if (Reddish(img.pixel(x, y))) {
              ASSERT_GE(x, chart_->plot.left - 1);
              ASSERT_LE(x, chart_->plot.right + 1);
              ASSERT_GE(y, chart_->plot.top - 1);
              ASSERT_LE(y, chart_->plot.bottom + 1);
            }
      }
    }
  }
  EXPECT_TRUE(errors_.empty());
}

TEST_F(ChartPaint, AFailedPaintIsReported) {
  QPainter inactive;  // not painting on any device
  EXPECT_FALSE(chart_->PaintChart(inactive, 0, 0, 100, 100));
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0], "Fehler bei PaintChart");

  PolarPlot polar;
  polar.onPaintError = chart_->onPaintError;
  EXPECT_FALSE(polar.PaintChart(inactive, 0, 0, 100, 100));
  EXPECT_EQ(errors_.size(), 2u);
}

TEST_F(ChartPaint, ChartsSharingASurfaceStayInTheirRectangles) {
  FillCurve(chart_->curves[0], "vorn", RGBColor(255, 0, 0), 50, [](double) { return 200.0; });
  QImage img = WhiteImage(800, 600);
  QPainter p(&img);
  ASSERT_TRUE(chart_->PaintChart(p, 400, 300, 800, 600));  // bottom right quarter
  chart_->hasData = false;
  ASSERT_TRUE(chart_->PaintChart(p, 0, 0, 400, 300));  // top left quarter, empty
  p.end();
  KeepPicture(img, "chart_quarters.png");
  EXPECT_EQ(img.pixel(200, 450), qRgb(255, 255, 255));  // bottom left untouched
  EXPECT_EQ(img.pixel(600, 150), qRgb(255, 255, 255));  // top right untouched
  EXPECT_EQ(img.pixel(5, 5), qRgb(208, 208, 208));
  EXPECT_EQ(img.pixel(399, 299), qRgb(208, 208, 208));
  EXPECT_EQ(img.pixel(400, 299), qRgb(255, 255, 255));
}

TEST_F(ChartPaint, PrintModeDrawsThickerLines) {
  FillCurve(chart_->curves[0], "a", RGBColor(255, 0, 0), 50, [](double) { return 75.0; });
  chart_->printMode = true;
  chart_->boldTitle = true;
  const QImage img = Paint(900, 600);
  KeepPicture(img, "chart_print.png");
  const int x = chart_->MapX(1000) + 13;
  const int y = chart_->MapY(75);
  int thick = 0;
  for (int dy = -4; dy <= 4; ++dy) thick += img.pixel(x, y + dy) == qRgb(255, 0, 0) ? 1 : 0;
  EXPECT_GE(thick, 4);
}

// ---------------------------------------------------------------- small sizes

bool Inside(const PixelRect& inner, const PixelRect& outer) {
  return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
         inner.bottom <= outer.bottom;
}

bool Intersect(const PixelRect& a, const PixelRect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

std::string BoxText(const PixelRect& r) {
  return "[" + std::to_string(r.left) + "," + std::to_string(r.top) + " .. " + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + ")";
}

// Every axis text and the legend of charts as painted, from 320 x 240 up to
// 1600 x 1000: unit texts and labels stay in the rectangle and off the plot
// edge, neighbouring labels and the legend never overlap the frequency
// labels or each other.
TEST_F(ChartPaint, AxisTextsAndLegendFitAtEverySize) {
  struct Setup {
    const char* name;
    int yKind, y2Kind;
    double yMin, yMax, y2Min, y2Max;
    int curves;
  };
  // the maximum voltage page's two logarithmic axes, the total response with
  // impedance, a chassis chart's five curves, the seven directions, the
  // spinorama with its directivity axis and the group delay below zero
  const Setup setups[] = {
      {"Umax", VoltsAxis, WattsAxis, 0.1, 1000, 0.00125, 125000, 3},
      {"Gesamt", LevelAxis, ImpedanceAxis, 40, 110, 0, 70, 4},
      {"Chassis", LevelAxis, ImpedanceAxis, 40, 110, 0, 70, 5},
      {"Richtung", LevelAxis, ImpedanceAxis, 40, 110, 0, 70, 7},
      {"Spinorama", LevelAxis, DirectivityIndexAxis, 40, 110, 0, 15, 7},
      {"Gruppenlaufzeit", MillisecondsAxis, ImpedanceAxis, -2, 8, 0, 70, 5},
  };
  const char* names[] = {"Chassis mit Gehäuse in Halbraum",
                         ".. mit Schallwandeinfluß",
                         ".. mit aktivem Filter",
                         ".. mit (passiver) Weiche",
                         "Impedanz Verstärker 1",
                         "SV-170 Tiefmittel (1)",
                         "hinten"};
  const int sizes[][2] = {{320, 240}, {318, 200},  {400, 300},  {480, 360},  {640, 480},
                          {800, 600}, {1000, 700}, {1200, 800}, {1400, 900}, {1600, 1000}};
  for (const Setup& s : setups) {
    chart_->yKind = s.yKind;
    chart_->y2Kind = s.y2Kind;
    chart_->yMin = s.yMin;
    chart_->yMax = s.yMax;
    chart_->y2Min = s.y2Min;
    chart_->y2Max = s.y2Max;
    chart_->showY2 = std::string(s.name) != "Richtung" && std::string(s.name) != "Gruppenlaufzeit";
    for (int i = 0; i < kChartCurves; ++i) chart_->curves[static_cast<std::size_t>(i)].visible = false;
    for (int i = 0; i < s.curves; ++i)
      FillCurve(chart_->curves[static_cast<std::size_t>(i)], names[i], RGBColor(0, 0, 255), 50,
                [](double f) { return 60 + 10 * std::log10(f / 20); });
    for (int n = 0; n < 2 * static_cast<int>(std::size(sizes)); ++n) {
      // every size on screen and in print mode (fonts as for twice the width)
      const int w = sizes[n / 2][0], h = sizes[n / 2][1];
      chart_->printMode = n % 2 == 1;
      SCOPED_TRACE(std::string(s.name) + " " + std::to_string(w) + "x" + std::to_string(h) +
                   (chart_->printMode ? " print" : ""));
      QImage img = WhiteImage(w + 40, h + 40);
      {
        QPainter p(&img);
        ASSERT_TRUE(chart_->PaintChart(p, 20, 20, 20 + w, 20 + h));  // away from the image's edge
      }
      if (w == 640 && !chart_->printMode) KeepPicture(img, (std::string("chart_small_") + s.name + ".png").c_str());
      const ChartLayout& L = chart_->layout;
      const PixelRect drawing{20, 20, 20 + w, 20 + h};
      ASSERT_EQ(L.drawing, drawing);
      ASSERT_EQ(L.plot, chart_->plot);
      ASSERT_GT(L.plot.right - L.plot.left, w / 3);
      ASSERT_GT(L.plot.bottom - L.plot.top, h / 2);

      // unit texts inside the rectangle, and really painted there
      for (const ValueAxisLayout* axis : {&L.left, &L.right}) {
        if (axis == &L.right && !chart_->showY2) continue;
        EXPECT_TRUE(Inside(axis->unitBox, drawing)) << axis->unit << " " << BoxText(axis->unitBox);
        int ink = 0;
        for (int y = axis->unitBox.top; y < axis->unitBox.bottom; ++y)
          for (int x = axis->unitBox.left; x < axis->unitBox.right; ++x) ink += Dark(img.pixel(x, y)) ? 1 : 0;
        EXPECT_GT(ink, 0) << axis->unit;
      }
      // value labels: inside, clear of tick marks and plot, apart from each other
      auto checkLabels = [&](const ValueAxisLayout& axis, bool right) {
        EXPECT_FALSE(axis.labels.empty());
        // a tick sequence sparse enough for its labels, not a ragged pick
        EXPECT_EQ(axis.labels.size(), axis.tickMarks.size());
        for (std::size_t i = 0; i < axis.labels.size(); ++i) {
          const PixelRect& b = axis.labels[i].box;
          EXPECT_TRUE(Inside(b, drawing)) << axis.labels[i].text << " " << BoxText(b);
          if (right) {
            EXPECT_GT(b.left, L.plot.right + kTickLength) << axis.labels[i].text;
          } else {
            EXPECT_LT(b.right, L.plot.left - kTickLength) << axis.labels[i].text;
          }
          EXPECT_FALSE(Intersect(b, axis.unitBox)) << axis.labels[i].text;
          // half a line of air to the label below
          if (i > 0) {
            EXPECT_LE(b.bottom + chart_->lineHeight / 2, axis.labels[i - 1].box.top) << axis.labels[i].text;
          }
        }
      };
      checkLabels(L.left, false);
      if (chart_->showY2) checkLabels(L.right, true);
      // frequency labels: inside and apart
      ASSERT_GE(L.frequencyLabels.size(), 3u);
      for (std::size_t i = 0; i < L.frequencyLabels.size(); ++i) {
        EXPECT_TRUE(Inside(L.frequencyLabels[i].box, drawing)) << L.frequencyLabels[i].text;
        if (i > 0) {
          EXPECT_FALSE(Intersect(L.frequencyLabels[i].box, L.frequencyLabels[i - 1].box));
        }
      }
      // legend: as placed by the painting, below the frequency labels, inside,
      // the names (shortened to their room) clear of each other
      // (on screen the legend is written in its own font of at least 8 points)
      if (!chart_->printMode) {
        EXPECT_GE(chart_->legendFontSize, kMinLegibleFontSize);
      }
      const QFontMetrics fm(ChartFont(chart_->legendFontSize, chart_->printMode && chart_->boldTitle), &img);
      std::vector<PixelRect> legend;
      for (int k = 0; k < s.curves; ++k) {
        const LegendEntry e = LegendPlace(k, s.curves, drawing, L.plot.bottom, chart_->charWidth, chart_->lineHeight,
                                          chart_->legendLineHeight);
        const QString text = fm.elidedText(QString::fromUtf8(names[s.curves - 1 - k]), Qt::ElideRight, e.textRoom);
        const PixelRect box{e.text.x, e.text.y, e.text.x + fm.horizontalAdvance(text),
                            e.text.y + chart_->legendLineHeight};
        const PixelRect sample{e.lineFrom.x, e.lineFrom.y - 1, e.lineTo.x, e.lineTo.y + 1};
        EXPECT_TRUE(Inside(box, drawing)) << k << " " << BoxText(box);
        for (const AxisLabel& f : L.frequencyLabels) {
          EXPECT_FALSE(Intersect(box, f.box)) << k << " " << f.text;
          EXPECT_FALSE(Intersect(sample, f.box)) << k << " " << f.text;
        }
        for (const PixelRect& other : legend) EXPECT_FALSE(Intersect(box, other)) << k;
        legend.push_back(box);
        legend.push_back(sample);
      }
    }
  }
  EXPECT_TRUE(errors_.empty());
}

// ---------------------------------------------------------------- polar plot

class PolarPaint : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureGuiApplication();
    polar_.hasData = true;
    polar_.rMin = 40;
    polar_.rMax = 110;
    polar_.title = "Horizontal";
    polar_.labelTop = "vorn";
    polar_.labelBottom = "hinten";
    polar_.labelLeft = "links";
    polar_.labelRight = "rechts";
    polar_.count = 12;
    for (int i = 0; i < 12; ++i) {
      polar_.angles[static_cast<std::size_t>(i)] = i;
      polar_.radii[static_cast<std::size_t>(i)] = 100;
    }
  }
  PolarPlot polar_;
};

TEST_F(PolarPaint, ClosedOutlineThroughTheMappedPoints) {
  polar_.radii[3] = 20;   // below the scale: at the centre
  polar_.radii[6] = 500;  // above: on the outer circle
  QImage img = WhiteImage(500, 450);
  QPainter p(&img);
  ASSERT_TRUE(polar_.PaintChart(p, 0, 0, 500, 450));
  p.end();
  KeepPicture(img, "polar.png");
  const PolarGeometry g{polar_.centerX, polar_.centerY, polar_.radius};
  EXPECT_GT(polar_.radius, 100);
  for (int i = 0; i < 12; ++i) {
    const PixelPoint pt = PolarPointAt(g, i, polar_.MapRadius(polar_.radii[static_cast<std::size_t>(i)]));
    EXPECT_TRUE(Near(img, pt.x, pt.y, 1, Dark)) << i;
  }
  EXPECT_EQ(polar_.MapRadius(20), 0);
  EXPECT_EQ(polar_.MapRadius(500), polar_.radius);
  // the closing edge from 330 to 0 degrees
  const PixelPoint a = PolarPointAt(g, 11, polar_.MapRadius(100));
  const PixelPoint b = PolarPointAt(g, 0, polar_.MapRadius(100));
  EXPECT_TRUE(Near(img, (a.x + b.x) / 2, (a.y + b.y) / 2, 1, Dark));
  // side texts outside the circle
  EXPECT_TRUE(Near(img, polar_.centerX, polar_.centerY - polar_.radius - 10, 8, Dark));   // "vorn"
  EXPECT_TRUE(Near(img, polar_.centerX - polar_.radius - 20, polar_.centerY, 10, Dark));  // "links"
}

TEST_F(PolarPaint, WithoutDataSilverAndBadDataHarmless) {
  polar_.hasData = false;
  QImage img = WhiteImage(300, 300);
  {
    QPainter p(&img);
    ASSERT_TRUE(polar_.PaintChart(p, 0, 0, 300, 300));
  }
  EXPECT_EQ(CountPixels(img, [](QRgb c) { return c != qRgb(192, 192, 192); }), 0);

  polar_.hasData = true;
  polar_.radii[2] = kNaN;
  polar_.angles[4] = kInf;
  polar_.count = 100000;
  for (auto [lo, hi] : {std::pair{40.0, 110.0}, {110.0, 40.0}, {kNaN, kNaN}, {0.0, 1e300}}) {
    polar_.rMin = lo;
    polar_.rMax = hi;
    for (int size : {300, 30, 2}) {
      QPainter p(&img);
      EXPECT_TRUE(polar_.PaintChart(p, 0, 0, size, size));
      EXPECT_GE(polar_.radius, 1);
    }
  }
}

}  // namespace
}  // namespace sonvex
