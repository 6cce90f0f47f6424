#include "charts/chart_pages.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <string_view>
#include <system_error>

#include "calc/spinorama.h"
#include "model/file_io.h"
#include "model/number_text.h"
#include "numeric/complex.h"
#include "numeric/constants.h"

namespace sonvex {

namespace {

constexpr const char* kPageCaptions[ChartPageCount] = {
    "F-Gang/Imped.", "Phasengang",   "max. Pegel",     "F-Gang Richtungen", "Polarplots",   "Bündelung",
    "Chassis 1-4",   "Chassis 5..8", "F-Gang elektr.", "Spinorama",         "Sprungantwort"};

constexpr const char* kPageFiles[ChartPageCount] = {
    "01-fgang-imped.png",  "02-phasengang.png", "03-max-pegel.png",    "04-fgang-richtungen.png",
    "05-polarplots.png",   "06-buendelung.png", "07-chassis-1-4.png",  "08-chassis-5-8.png",
    "09-fgang-elektr.png", "10-spinorama.png",  "11-sprungantwort.png"};

constexpr std::string_view kUpdateError = "Unerwarteter Fehler: UpdateCharts mit ";

// Level in dB of a pressure on the program's scale (1 = 112 dB).
double LevelOf(Complex p) { return 20.0 * std::log10(CAbs(p) + 1e-50) + 112.0; }

int PointsOf(const CalcResult& r) { return std::clamp<int>(r.freqCount, 0, kFreqEntries); }
int ChassisOf(const CalcResult& r) { return ChassisInUse(r); }
int AmpsOf(const CalcResult& r) { return AmpsInUse(r); }

// "name (n)" of a chassis; the curve name cuts it to the legend width.
std::string ChassisLabel(const CalcResult& r, int c) {
  return r.chassisName[static_cast<std::size_t>(c)].Str() + " (" + std::to_string(c + 1) + ")";
}

// Common start of every chart: data flag, frequency range, and every current
// curve hidden until the chart's block makes it visible again (a project with
// fewer chassis must not keep the curves of the former ones).
void PrepareChart(Chart& chart, const Project& p, const CalcResult& r) {
  chart.hasData = r.valid;
  chart.xMin = p.axisFMin;
  chart.xMax = p.axisFMax;
  for (int i = 0; i < kChartCurves; ++i) chart.curves[static_cast<std::size_t>(i)].visible = false;
}

ChartCurve& CurveAt(Chart& chart, int index) { return chart.curves.at(static_cast<std::size_t>(index)); }

void SetCurve(Chart& chart, int index, std::string_view name, ColorValue color, bool visible, bool rightAxis = false) {
  ChartCurve& c = CurveAt(chart, index);
  c.name = name;
  c.color = color;
  c.visible = visible;
  c.rightAxis = rightAxis;
}

// Fills the points of a curve when the chart has data.
template <class F>
void FillCurve(Chart& chart, int index, const CalcResult& r, F&& value) {
  if (!chart.hasData) return;
  ChartCurve& c = CurveAt(chart, index);
  const int n = PointsOf(r);
  for (int i = 0; i < n; ++i) {
    c.X[static_cast<std::size_t>(i)] = r.freq[static_cast<std::size_t>(i)];
    c.Y[static_cast<std::size_t>(i)] = value(static_cast<std::size_t>(i));
  }
  c.count = n;
}

template <class F>
void Guarded(std::string_view kind, ChartUpdateOutcome& outcome, F&& fill) {
  try {
    fill();
  } catch (...) {
    outcome.messages.push_back(std::string(kUpdateError) + std::string(kind));
  }
}

void SetLevelAxes(Chart& chart, const Project& p, bool withImpedance) {
  chart.yKind = LevelAxis;
  chart.yMin = p.dBMin;
  chart.yMax = p.dBMax;
  chart.showY2 = withImpedance;
  chart.y2Kind = ImpedanceAxis;
  chart.y2Min = 0;
  chart.y2Max = p.impedanceMax;
}

// Fits the left axis to the drawn curves of the current slots inside the
// shown frequency range, always holding `always` and at least `minSpan`
// above the lowest value, widened to whole steps of 1, 2 or 5 times a power
// of ten (about five of them). Non-finite points are left out.
void FitValueAxis(Chart& chart, double always, double minSpan) {
  double lo = always, hi = always;
  for (int s = 0; s < kChartCurves; ++s) {
    const ChartCurve& c = chart.curves[static_cast<std::size_t>(s)];
    if (!c.visible || c.rightAxis) continue;
    const int n = std::clamp(c.count, 0, kChartPoints);
    for (int i = 0; i < n; ++i) {
      const auto si = static_cast<std::size_t>(i);
      const double v = c.Y[si];
      if (!std::isfinite(v) || !(c.X[si] >= chart.xMin && c.X[si] <= chart.xMax)) continue;
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
  }
  hi = std::max(hi, lo + minSpan);
  const double raw = (hi - lo) / 5.0;
  const double decade = std::pow(10.0, std::floor(std::log10(raw)));
  double step = 10.0 * decade;
  for (double m : {1.0, 2.0, 5.0}) {
    if (m * decade >= raw * (1 - 1e-12)) {
      step = m * decade;
      break;
    }
  }
  chart.yMin = std::floor(lo / step + 1e-9) * step;
  chart.yMax = std::ceil(hi / step - 1e-9) * step;
}

void FillTotal(ChartSet& set, const Project& p, const CalcResult& r, const ChartControls& controls,
               ChartUpdateOutcome& outcome) {
  Chart& chart = *set.total;
  const int chassisCount = ChassisOf(r);
  const int ampCount = AmpsOf(r);
  Guarded("bcFgangImp", outcome, [&] {
    PrepareChart(chart, p, r);
    SetLevelAxes(chart, p, true);
    SetCurve(chart, 0, "Amplitude gesamt", p.colorSetChassis[0], true);
    FillCurve(chart, 0, r, [&](std::size_t i) { return LevelOf(r.boxPressure[i][0]); });
    // A box whose chassis no amplifier drives computes without errors but
    // makes no sound: say why the chart stays empty.
    bool driven = false;
    for (int c = 0; c < chassisCount; ++c) {
      const int a = r.ampOfChassis.at(static_cast<std::size_t>(c));
      driven = driven || (a >= 0 && a < kMaxAmps);
    }
    chart.note = r.valid && !driven ? std::string(kNoChassisDrivenNote) : std::string();
    for (int a = 0; a < ampCount; ++a) {
      const int k = chassisCount + 1 + a;
      SetCurve(chart, k, "Impedanz Verstärker " + std::to_string(a + 1),
               p.colorSetAmps.at(static_cast<std::size_t>(a + 1)), controls.showImpedance, true);
      FillCurve(chart, k, r, [&](std::size_t i) { return CAbs(r.ampImpedance.at(static_cast<std::size_t>(a))[i]); });
    }
    // The energy response has no colour in the display options; the unused
    // total colour of the amplifiers is the dark red of amplifier 1's
    // impedance (and of a three-way's tweeter), so it gets a brown that no
    // default chassis, amplifier or direction colour uses.
    SetCurve(chart, 25, "Energiefrequenzgang", kEnergyResponseColor, controls.showEnergy);
    FillCurve(chart, 25, r, [&](std::size_t i) {
      return 20.0 * std::log10(CAbs(r.boxPressure[i][0]) / (1e-10 + r.directivityIndex[i]) + 1e-50) + 112.0;
    });
  });
  Guarded("bcFgangImp (2)", outcome, [&] {
    for (int c = 0; c < chassisCount; ++c) {
      const auto sc = static_cast<std::size_t>(c);
      SetCurve(chart, c + 1, ChassisLabel(r, c), p.colorSetChassis.at(sc + 1), controls.showChassis);
      FillCurve(chart, c + 1, r, [&](std::size_t i) {
        return LevelOf(CAdd(r.contributionFront[sc][i][0], r.contributionRear[sc][i][0]));
      });
    }
  });
}

void FillDirections(ChartSet& set, const Project& p, const CalcResult& r, ChartUpdateOutcome& outcome) {
  static constexpr const char* kKinds[4] = {"bcFgangRichto", "bcFgangRichtl", "bcFgangRichtu", "bcFgangRichtr"};
  static constexpr const char* kNames[7] = {"vorn", "30°", "60°", "90°", "120°", "150°", "hinten"};
  for (int side = 0; side < 4; ++side) {
    Guarded(kKinds[side], outcome, [&] {
      Chart& chart = *set.directions[static_cast<std::size_t>(side)];
      PrepareChart(chart, p, r);
      SetLevelAxes(chart, p, false);
      for (int s = 0; s < 7; ++s) {
        // curve s: 30° x s towards the side; 0 on axis, 6 the rear axis
        const int dir = s == 0 ? 0 : (s == 6 ? 21 : 4 * s - 3 + side);
        SetCurve(chart, s, kNames[s], p.colorSetDirections[static_cast<std::size_t>(s)], true);
        FillCurve(chart, s, r,
                  [&](std::size_t i) { return LevelOf(r.boxPressure[i].at(static_cast<std::size_t>(dir))); });
      }
    });
  }
}

void FillChassisCharts(ChartSet& set, const Project& p, const CalcResult& r, ChartUpdateOutcome& outcome) {
  const int chassisCount = ChassisOf(r);
  for (int c = 0; c < kChassisSlots; ++c) {
    Guarded("bcFgangChas[" + std::to_string(c) + "]", outcome, [&] {
      const auto sc = static_cast<std::size_t>(c);
      Chart& chart = *set.chassis[sc];
      PrepareChart(chart, p, r);
      if (c >= chassisCount) chart.hasData = false;
      SetLevelAxes(chart, p, true);
      chart.title = "Frequenzgang " + ChassisLabel(r, c);
      SetCurve(chart, 0, "Chassis mit Gehäuse in Halbraum", p.colorSetChassis[0], true);
      SetCurve(chart, 1, ".. mit Schallwandeinfluß", p.colorSetChassis[1], true);
      SetCurve(chart, 2, ".. mit aktivem Filter", p.colorSetChassis[2], true);
      SetCurve(chart, 3, ".. mit (passiver) Weiche", p.colorSetChassis[3], true);
      SetCurve(chart, 4, "Impedanz", p.colorSetChassis[4], true, true);
      if (!chart.hasData) return;
      const int u = r.ampOfChassis[sc];
      FillCurve(chart, 0, r, [&](std::size_t i) { return LevelOf(r.chassisFront[sc][i]); });
      FillCurve(chart, 1, r,
                [&](std::size_t i) { return LevelOf(CMul(r.directionsFront[sc][i][0], r.chassisFront[sc][i])); });
      if (u == -1) {
        FillCurve(chart, 2, r, [&](std::size_t i) { return CurveAt(chart, 1).Y[i]; });
      } else {
        // a driving amplifier outside 0..5 throws here and fails this chart only
        const ComplexCurve& filter = r.filterResponse.at(static_cast<std::size_t>(u));
        FillCurve(chart, 2, r, [&](std::size_t i) {
          return LevelOf(CMul3(r.chassisFront[sc][i], filter[i], r.directionsFront[sc][i][0]));
        });
      }
      FillCurve(chart, 3, r, [&](std::size_t i) { return LevelOf(r.contributionFront[sc][i][0]); });
      FillCurve(chart, 4, r, [&](std::size_t i) { return CAbs(r.chassisImpedance[sc][i]); });
    });
  }
}

void FillPhase(ChartSet& set, const Project& p, const CalcResult& r, ChartControls& controls,
               ChartUpdateOutcome& outcome) {
  Guarded("bcFgangPha", outcome, [&] {
    Chart& chart = *set.phase;
    PrepareChart(chart, p, r);
    chart.yKind = PhaseAxis;
    chart.yMin = -180;
    chart.yMax = 180;
    chart.showY2 = false;
    const int chassisCount = ChassisOf(r);
    for (int k = 0; k < kMaxChassis; ++k) {
      const auto sk = static_cast<std::size_t>(k);
      outcome.phaseCaptions[sk] = r.chassisName[sk].Str() + "(" + std::to_string(k + 1) + ")";
      outcome.phaseVisible[sk] = k < chassisCount;
      if (!outcome.phaseVisible[sk]) controls.phaseChassis[sk] = false;
    }
    // reference point behind the baffle, in metres (the edit holds cm)
    const double d = StrToDoubleLenient(controls.phaseReference) / -100.0;
    const int currentChassisCount = ChassisInUse(p);
    for (int c = 1; c <= currentChassisCount; ++c) {
      const auto sc = static_cast<std::size_t>(c - 1);
      const int enclosureType = r.enclosureTypes[sc];
      bool front = r.ampOfChassis[sc] >= 0;
      bool rear = controls.phaseRear && front && (enclosureType == 2 || enclosureType == 4);
      if (!controls.phaseChassis[sc]) front = rear = false;
      const int frontSlot = 2 * (c - 1);
      const std::string name = r.chassisName[sc].Str();
      const ColorValue color = p.colorSetChassis[static_cast<std::size_t>(c)];
      SetCurve(chart, frontSlot, name + "(" + std::to_string(c) + ")", color, front);
      SetCurve(chart, frontSlot + 1, name + " Reflex (" + std::to_string(c) + ")", color, rear);
      auto phaseOf = [&r, d](const DirectionTable& table) {
        return [&r, d, tbl = &table](std::size_t i) {
          const double lambda = kSpeedOfSound / r.freq[i];
          return CPhase(CRotate((*tbl)[i][0], d / lambda * 2.0 * kPiShort)) * 57.295827908797776;
        };
      };
      FillCurve(chart, frontSlot, r, phaseOf(r.contributionFront[sc]));
      FillCurve(chart, frontSlot + 1, r, phaseOf(r.contributionRear[sc]));
    }
  });
}

void FillMaxU(ChartSet& set, const Project& p, const CalcResult& r, ChartUpdateOutcome& outcome) {
  Guarded("bcFgangUmax", outcome, [&] {
    Chart& chart = *set.maxVoltage;
    PrepareChart(chart, p, r);
    chart.yKind = VoltsAxis;
    chart.yMin = 0.1;
    chart.yMax = 1000;
    chart.showY2 = true;
    chart.y2Kind = WattsAxis;
    chart.y2Min = 0.00125;
    chart.y2Max = 125000;
    SetCurve(chart, 0, "Gesamtbox", p.colorSetChassis[0], true);
    FillCurve(chart, 0, r, [&](std::size_t i) { return r.maxVoltage[i]; });
    for (int c = 0; c < ChassisOf(r); ++c) {
      const auto sc = static_cast<std::size_t>(c);
      SetCurve(chart, c + 1, ChassisLabel(r, c), p.colorSetChassis.at(sc + 1), true);
      FillCurve(chart, c + 1, r, [&](std::size_t i) { return r.maxVoltageChassis[sc][i]; });
    }
  });
}

void FillMaxLevel(ChartSet& set, const Project& p, const CalcResult& r, ChartUpdateOutcome& outcome) {
  Guarded("bcFgangMaxPeg", outcome, [&] {
    Chart& chart = *set.maxLevel;
    PrepareChart(chart, p, r);
    chart.yKind = LevelAxis;
    chart.yMin = 40;
    chart.yMax = 140;
    chart.showY2 = false;
    SetCurve(chart, 0, "Gesamtbox", p.colorSetChassis[0], true);
    FillCurve(chart, 0, r, [&](std::size_t i) {
      const double m = r.maxPower[9][i];
      return m > 0 ? 20.0 * std::log10(m) + 112.0 : -1000000.0;
    });
    for (int c = 0; c < ChassisOf(r); ++c) {
      const auto sc = static_cast<std::size_t>(c);
      SetCurve(chart, c + 1, ChassisLabel(r, c), p.colorSetChassis.at(sc + 1), true);
      FillCurve(chart, c + 1, r, [&](std::size_t i) {
        const double m = r.maxPower[sc][i];
        return m > 0 ? 20.0 * std::log10(m) + 112.0 : 0.0;
      });
    }
  });
}

void FillChassisVoltage(ChartSet& set, const Project& p, const CalcResult& r, ChartUpdateOutcome& outcome) {
  Guarded("bcUChassis", outcome, [&] {
    Chart& chart = *set.chassisVoltage;
    PrepareChart(chart, p, r);
    // a voltage level relative to the amplifier's 2.83 V (the subtitle says so)
    chart.yKind = VoltageLevelAxis;
    chart.yMin = -45;
    chart.yMax = 17;
    chart.showY2 = false;
    for (int c = 0; c < ChassisOf(r); ++c) {
      const auto sc = static_cast<std::size_t>(c);
      const int u = r.ampOfChassis[sc];
      SetCurve(chart, c, ChassisLabel(r, c), p.colorSetChassis.at(sc + 1), u != -1);
      if (u == -1) continue;
      const ComplexCurve& filter = r.filterResponse.at(static_cast<std::size_t>(u));
      FillCurve(chart, c, r, [&](std::size_t i) {
        return 20.0 * std::log10(CAbs(CMul(r.chassisVoltageGain[sc][i], filter[i])) + 1e-50);
      });
    }
  });
}

void FillDirectivity(ChartSet& set, const Project& p, const CalcResult& r, ChartUpdateOutcome& outcome) {
  Guarded("bcFgnagBmass", outcome, [&] {
    Chart& chart = *set.directivity;
    PrepareChart(chart, p, r);
    chart.yKind = DirectivityIndexAxis;
    chart.showY2 = false;
    SetCurve(chart, 0, "Bündelungsmaß", p.colorSetChassis[0], true);
    FillCurve(chart, 0, r, [&](std::size_t i) { return 20.0 * std::log10(1e-50 + r.directivityIndex[i]); });
    FitValueAxis(chart, 0.0, 3.0);
  });
}

// Where the spinorama's directions come from: the model, measured polar sets
// of every chassis in use, or of some.
constexpr const char* kSpinoramaModelled = "Schätzung aus 30 simulierten Richtungen der Box, keine Messung";

std::string SpinoramaSubtitle(const CalcResult& r) {
  bool all = true, any = false;
  for (int c = 0; c < ChassisOf(r); ++c) {
    const std::uint32_t measured = r.polarMeasured[static_cast<std::size_t>(c)];
    all = all && measured == kAllPolarDirections;
    any = any || measured != 0;
  }
  if (!any || !r.valid) return std::string(kSpinoramaModelled);
  return all ? "Schätzung aus 30 Richtungen der Box, aus Messungen"
             : "Schätzung aus 30 Richtungen der Box, teilweise gemessen";
}

// Fills a curve from one of the spinorama curves.
void FillSpinCurve(Chart& chart, int index, const Spinorama& spin, const std::vector<double>& values) {
  if (!chart.hasData) return;
  ChartCurve& c = CurveAt(chart, index);
  const int n = std::min({spin.n, static_cast<int>(values.size()), kChartPoints});
  for (int i = 0; i < n; ++i) {
    c.X[static_cast<std::size_t>(i)] = spin.freq[static_cast<std::size_t>(i)];
    c.Y[static_cast<std::size_t>(i)] = values[static_cast<std::size_t>(i)];
  }
  c.count = n;
}

// Fills a curve with the first `count` samples of a time response (sample i
// at (start + i) / rate s, drawn in ms), multiplied by `scale`. More samples
// than a curve holds are cut into kChartPoints / 2 runs, each giving its
// lowest and highest sample in time order, so that a short peak (a
// tweeter's) keeps its height on the long axes.
void FillTimeCurve(Chart& chart, int index, const std::vector<double>& values, int start, int rate, int count,
                   double scale) {
  ChartCurve& c = CurveAt(chart, index);
  c.count = 0;
  if (!chart.hasData || rate <= 0) return;
  const int n = std::clamp(count, 0, static_cast<int>(values.size()));
  int k = 0;
  auto put = [&](int i) {
    const auto si = static_cast<std::size_t>(i);
    c.X[static_cast<std::size_t>(k)] = 1000.0 * (start + i) / rate;
    c.Y[static_cast<std::size_t>(k)] = values[si] * scale;
    ++k;
  };
  if (n <= kChartPoints) {
    for (int i = 0; i < n; ++i) put(i);
  } else {
    constexpr int kRuns = kChartPoints / 2;
    for (int run = 0; run < kRuns; ++run) {
      const int from = static_cast<int>(static_cast<long long>(run) * n / kRuns);
      const int to = static_cast<int>(static_cast<long long>(run + 1) * n / kRuns);
      int lo = from;
      int hi = from;
      for (int i = from; i < to; ++i) {
        if (values[static_cast<std::size_t>(i)] < values[static_cast<std::size_t>(lo)]) lo = i;
        if (values[static_cast<std::size_t>(i)] > values[static_cast<std::size_t>(hi)]) hi = i;
      }
      put(std::min(lo, hi));
      if (hi != lo) put(std::max(lo, hi));
    }
  }
  c.count = k;
}

// The samples of a response from its first index `start` up to `endMs`
// (excluded), counted as ComputeTimeResponse counts them.
int SamplesUpTo(double endMs, int start, int rate) {
  return static_cast<int>(std::lround(endMs * rate / 1000.0)) - start;
}

// One chart of the step response page: `part` picks the step or impulse of
// each curve.
void FillTimeChart(Chart& chart, const Project& p, const CalcResult& r, const StepPageData& data,
                   const ChartControls& controls, std::vector<double> TimeCurve::*part) {
  PrepareChart(chart, p, r);
  const TimeResponse& t = data.response;
  chart.xLinear = true;
  chart.xMin = t.rate > 0 ? 1000.0 * t.start / t.rate : -1.0;
  chart.xMax = std::clamp(controls.stepEndMs, 1.0, kStepPageLongestMs);
  chart.yKind = RelativeAxis;
  chart.showY2 = false;
  const std::vector<double>& box = t.box.*part;
  const int count =
      t.rate > 0 ? std::clamp(SamplesUpTo(chart.xMax, t.start, t.rate), 0, static_cast<int>(box.size())) : 0;
  double peak = 0;
  for (int i = 0; i < count; ++i) peak = std::max(peak, std::abs(box[static_cast<std::size_t>(i)]));
  const double scale = peak > 0 && std::isfinite(peak) ? 1.0 / peak : 1.0;
  SetCurve(chart, 0, "Gesamtbox", p.colorSetChassis[0], true);
  FillTimeCurve(chart, 0, box, t.start, t.rate, count, scale);
  for (int c = 0; c < ChassisOf(r); ++c) {
    const auto sc = static_cast<std::size_t>(c);
    SetCurve(chart, c + 1, ChassisLabel(r, c), p.colorSetChassis.at(sc + 1), controls.stepShowChassis);
    if (sc < t.chassis.size()) {
      FillTimeCurve(chart, c + 1, t.chassis[sc].*part, t.start, t.rate, count, scale);
    } else {
      CurveAt(chart, c + 1).count = 0;
    }
  }
  // The reference project's box on the same scale, drawn dotted as every
  // reference curve.
  ChartCurve& reference = CurveAt(chart, kChartCurves);
  reference = ChartCurve{};
  if (data.hasReference && data.referenceRate > 0) {
    SetCurve(chart, kChartCurves, "Gesamtbox", p.colorSetChassis[0], true);
    FillTimeCurve(chart, kChartCurves, data.referenceBox.*part, data.referenceStart, data.referenceRate,
                  SamplesUpTo(chart.xMax, data.referenceStart, data.referenceRate), scale);
  }
  // every drawn curve and 0; the box's peak is +1 or -1
  FitValueAxis(chart, 0.0, 1.0);
}

void PaintChart(Chart& chart, QPainter& painter, const QRect& r) {
  chart.PaintChart(painter, r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
}
void PaintPolar(PolarPlot& polar, QPainter& painter, const QRect& r) {
  polar.PaintChart(painter, r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
}

QRect HalfOf(const QRect& a, int which) {
  const int w = a.width() / 2;
  return which == 0 ? QRect(a.left(), a.top(), w, a.height()) : QRect(a.left() + w, a.top(), a.width() - w, a.height());
}

QRect UpperOrLowerHalf(const QRect& a, int which) {
  const int h = a.height() / 2;
  return which == 0 ? QRect(a.left(), a.top(), a.width(), h) : QRect(a.left(), a.top() + h, a.width(), a.height() - h);
}

QRect QuarterOf(const QRect& a, int which) {
  const int w = a.width() / 2;
  const int h = a.height() / 2;
  const int x = (which % 2 == 0) ? a.left() : a.left() + w;
  const int y = (which < 2) ? a.top() : a.top() + h;
  return QRect(x, y, (which % 2 == 0) ? w : a.width() - w, (which < 2) ? h : a.height() - h);
}

}  // namespace

const char* ChartPageCaption(int page) { return page >= 0 && page < ChartPageCount ? kPageCaptions[page] : ""; }

const char* ChassisPageCaption(int chassisCount) {
  return ChassisPage5To8Visible(chassisCount) ? "Chassis 1..4" : "Chassis";
}

std::string ChartPageFileName(int page) {
  return page >= 0 && page < ChartPageCount ? kPageFiles[page] : std::string();
}

std::vector<Chart*> ChartSet::ReferenceCharts() const {
  std::vector<Chart*> charts{total.get(),      phase.get(),    chassisVoltage.get(),
                             maxVoltage.get(), maxLevel.get(), directivity.get()};
  for (int c = 0; c < kMaxChassis; ++c) charts.push_back(chassis[static_cast<std::size_t>(c)].get());
  charts.push_back(spin.get());
  charts.push_back(groupDelay.get());
  return charts;
}

std::unique_ptr<ChartSet> MakeChartSet() {
  auto set = std::make_unique<ChartSet>();
  auto make = [](const char* title, const char* subTitle) {
    auto chart = std::make_unique<Chart>();
    chart->title = title;
    chart->subTitle = subTitle;
    return chart;
  };
  set->total = make("Frequenzgang Gesamtbox", "(alle Verstärker und Chassis)");
  set->total->yKind = LevelAxis;
  set->total->showY2 = true;
  set->total->y2Kind = ImpedanceAxis;
  static constexpr const char* kDirSub[4] = {
      "Richtungen vorne und verschiedene Winkel nach oben", "Richtungen vorne und verschiedene Winkel nach links",
      "Richtungen vorne und verschiedene Winkel nach unten", "Richtungen vorne und verschiedene Winkel nach rechts"};
  for (int s = 0; s < 4; ++s) set->directions[static_cast<std::size_t>(s)] = make("Frequenzgang Gesamtbox", kDirSub[s]);
  set->phase = make("Phasengänge", "in Hauptstrahlrichtung der Box");
  set->phase->yKind = PhaseAxis;
  set->phase->yMin = -180;
  set->phase->yMax = 180;
  set->chassisVoltage = make("Effektivspannung an den Chassis", "0 dB = 2,83V");
  set->maxVoltage =
      make("Maximale eff. Eingangsspannung", "vor aktivem Filter für linearen Hub und max. elektr. Belastbarkeit");
  set->maxVoltage->yKind = VoltsAxis;
  set->maxVoltage->showY2 = true;
  set->maxVoltage->y2Kind = WattsAxis;
  set->maxLevel = make("Maximaler Pegel", "in Hauptstrahlrichtung für linearen Hub und max. elektr. Belastbarkeit");
  set->directivity = make("Bündelungsmaß", "0 dB = Kugelstrahler in Vollraum, 3 dB = Kugelstrahler in Halbraum");
  for (int c = 0; c < kChassisSlots; ++c) {
    auto chart = make("Frequenzgang", "Chassis selbst, .. mit Schallwand, .. aktivem Filter, .. Weiche");
    chart->showY2 = true;
    chart->y2Kind = ImpedanceAxis;
    set->chassis[static_cast<std::size_t>(c)] = std::move(chart);
  }
  set->spin = make("Spinorama", kSpinoramaModelled);
  set->spin->yKind = LevelAxis;
  set->spin->showY2 = true;
  set->spin->y2Kind = DirectivityIndexAxis;
  set->spin->y2SameScale = true;
  set->spin->y2LabelMin = 0;
  set->spin->y2LabelMax = kSpinoramaDiLabelMax;
  set->groupDelay = make("Gruppenlaufzeit", "auf Achse, Gesamtbox und Chassis mit Weiche, Schallwand und Gehäuse");
  set->groupDelay->yKind = MillisecondsAxis;
  set->groupDelay->yMin = 0;
  set->groupDelay->yMax = 10;
  static constexpr const char* kTimeSub =
      "auf Achse, Gesamtbox und Chassis, bezogen auf den Spitzenwert der Gesamtbox; Zeit in ms";
  set->stepResponse = make("Sprungantwort", kTimeSub);
  set->impulseResponse = make("Impulsantwort", kTimeSub);
  for (Chart* chart : {set->stepResponse.get(), set->impulseResponse.get()}) {
    chart->xLinear = true;
    chart->xMin = -1;
    chart->xMax = kStepPageDefaultEndMs;
    chart->yKind = RelativeAxis;
    chart->yMin = -1;
    chart->yMax = 1;
  }
  set->stepData = std::make_unique<StepPageData>();
  set->polarHorizontal = std::make_unique<PolarPlot>();
  set->polarHorizontal->title = "Horizontal";
  set->polarHorizontal->labelTop = "vorn";
  set->polarHorizontal->labelRight = "rechts";
  set->polarHorizontal->labelBottom = "hinten";
  set->polarHorizontal->labelLeft = "links";
  set->polarVertical = std::make_unique<PolarPlot>();
  set->polarVertical->title = "Vertikal";
  set->polarVertical->labelTop = "oben";
  set->polarVertical->labelRight = "vorn";
  set->polarVertical->labelBottom = "unten";
  set->polarVertical->labelLeft = "hinten";
  return set;
}

void UpdateChartSet(ChartSet& set, const Project& p, const CalcResult& r, ChartControls& controls,
                    ChartUpdateOutcome& outcome) {
  outcome = ChartUpdateOutcome{};
  FillTotal(set, p, r, controls, outcome);
  FillDirections(set, p, r, outcome);
  FillChassisCharts(set, p, r, outcome);
  FillPhase(set, p, r, controls, outcome);
  FillMaxU(set, p, r, outcome);
  FillMaxLevel(set, p, r, outcome);
  FillChassisVoltage(set, p, r, outcome);
  FillDirectivity(set, p, r, outcome);
  FillSpinoramaPage(set, p, r, controls, outcome);
  // The time responses follow when their page is painted or saved.
  set.stepData->current = false;
  set.stepResponse->hasData = false;
  set.impulseResponse->hasData = false;
  outcome.polarMax = std::max(0, PointsOf(r) - 1);
  outcome.polarStart = PolarStartPosition(r);
  for (PolarPlot* polar : {set.polarHorizontal.get(), set.polarVertical.get()}) {
    polar->hasData = r.valid;
    polar->rMin = p.dBMin;
    polar->rMax = p.dBMax;
  }
}

void FillSpinoramaPage(ChartSet& set, const Project& p, const CalcResult& r, const ChartControls& controls,
                       ChartUpdateOutcome& outcome) {
  Spinorama spin;
  Guarded("bcSpinorama", outcome, [&] {
    spin = ComputeSpinorama(r);
    Chart& chart = *set.spin;
    PrepareChart(chart, p, r);
    chart.subTitle = SpinoramaSubtitle(r);
    chart.yKind = LevelAxis;
    chart.yMin = p.dBMin;
    chart.yMax = p.dBMax;
    chart.showY2 = true;
    chart.y2Kind = DirectivityIndexAxis;
    // As in published spinoramas: the indices on the same dB per division
    // as the levels, 0 dB near the bottom, labelled up to 15 dB.
    chart.y2SameScale = true;
    chart.y2ZeroFraction = 0.1;
    chart.y2LabelMin = 0;
    chart.y2LabelMax = kSpinoramaDiLabelMax;
    const std::vector<double>* values[kSpinoramaCurveCount] = {&spin.onAxis, &spin.LW,   &spin.ER,  &spin.SP,
                                                               &spin.PIR,    &spin.SPDI, &spin.ERDI};
    for (int k = 0; k < kSpinoramaCurveCount; ++k) {
      const auto sk = static_cast<std::size_t>(k);
      SetCurve(chart, k, kSpinoramaCurves[sk].name, kSpinoramaCurves[sk].color, true, k >= 5);
      FillSpinCurve(chart, k, spin, *values[k]);
    }
  });
  Guarded("bcGruppenlaufzeit", outcome, [&] {
    Chart& chart = *set.groupDelay;
    PrepareChart(chart, p, r);
    chart.yKind = MillisecondsAxis;
    chart.showY2 = false;
    SetCurve(chart, 0, "Gesamtbox", p.colorSetChassis[0], true);
    FillSpinCurve(chart, 0, spin, spin.groupDelayBox);
    const double quiet = std::pow(10.0, -kGroupDelayChassisRangeDb / 20.0);
    for (int c = 0; c < ChassisOf(r); ++c) {
      const auto sc = static_cast<std::size_t>(c);
      SetCurve(chart, c + 1, ChassisLabel(r, c), p.colorSetChassis.at(sc + 1), controls.spinShowChassis);
      if (!chart.hasData || sc >= spin.groupDelayChassis.size()) continue;
      FillSpinCurve(chart, c + 1, spin, spin.groupDelayChassis[sc]);
      // Where the chassis is far below the box its delay means nothing for
      // the sound (and runs wild): leave those points out.
      ChartCurve& curve = CurveAt(chart, c + 1);
      for (int i = 0; i < std::min(curve.count, PointsOf(r)); ++i) {
        const auto si = static_cast<std::size_t>(i);
        const double chassis = CAbs(CAdd(r.contributionFront[sc][si][0], r.contributionRear[sc][si][0]));
        if (!(chassis >= quiet * CAbs(r.boxPressure[si][0]))) curve.Y[si] = std::numeric_limits<double>::quiet_NaN();
      }
    }
    // every drawn curve and 0, so that a negative delay shows below the zero line
    FitValueAxis(chart, 0.0, 1.0);
  });
}

void FillStepResponsePage(ChartSet& set, const Project& p, const CalcResult& r, const ChartControls& controls,
                          ChartUpdateOutcome& outcome) {
  StepPageData& data = *set.stepData;
  Guarded("bcSprungantwort", outcome, [&] {
    if (!data.current) {
      // Computed once per result, also when it fails (the charts stay empty).
      data.current = true;
      data.response = TimeResponse{};
      data.response = ComputeTimeResponse(r, kStepPageLongestMs);
    }
    FillTimeChart(*set.stepResponse, p, r, data, controls, &TimeCurve::step);
  });
  Guarded("bcImpulsantwort", outcome,
          [&] { FillTimeChart(*set.impulseResponse, p, r, data, controls, &TimeCurve::impulse); });
}

void StoreStepReference(ChartSet& set, const CalcResult& r) {
  StepPageData& data = *set.stepData;
  const TimeResponse t = data.current ? data.response : ComputeTimeResponse(r, kStepPageLongestMs);
  data.hasReference = r.valid && t.rate > 0;
  data.referenceStart = t.start;
  data.referenceRate = t.rate;
  data.referenceBox = t.box;
}

void ClearStepReference(ChartSet& set) {
  StepPageData& data = *set.stepData;
  data.hasReference = false;
  data.referenceBox = TimeCurve{};
}

int PolarStartPosition(const CalcResult& r) {
  int best = 0;
  double bestDistance = std::numeric_limits<double>::infinity();
  for (int i = 0; i < PointsOf(r); ++i) {
    const double f = r.freq[static_cast<std::size_t>(i)];
    const double distance = std::abs(std::log(f / 1000.0));
    if (f > 0 && distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return best;
}

void FillPolarPlots(ChartSet& set, const CalcResult& r, int position) {
  // front at the top, to the right, past the rear and back over the left
  static constexpr int kHorizontal[12] = {0, 4, 8, 12, 16, 20, 21, 18, 14, 10, 6, 2};
  // straight up at the top, over the front, down, the rear and back
  static constexpr int kVertical[12] = {9, 5, 1, 0, 3, 7, 11, 15, 19, 21, 17, 13};
  const int pos = std::clamp(position, 0, kFreqEntries - 1);
  const DirectionRow& row = r.boxPressure[static_cast<std::size_t>(pos)];
  for (int k = 0; k < 12; ++k) {
    const auto sk = static_cast<std::size_t>(k);
    set.polarHorizontal->angles[sk] = k;
    set.polarHorizontal->radii[sk] = LevelOf(row[static_cast<std::size_t>(kHorizontal[k])]);
    set.polarVertical->angles[sk] = k;
    set.polarVertical->radii[sk] = LevelOf(row[static_cast<std::size_t>(kVertical[k])]);
  }
  set.polarHorizontal->count = 12;
  set.polarVertical->count = 12;
}

std::string PolarFrequencyLabel(const CalcResult& r, int position) {
  const int pos = std::clamp(position, 0, kFreqEntries - 1);
  return "Frequenz: " + FormatNumber(r.freq[static_cast<std::size_t>(pos)], 5) + " Hz";
}

void PaintChartPage(ChartSet& set, int page, QPainter& painter, const QRect& area) {
  switch (page) {
    case PageResponseImpedance:
      PaintChart(*set.total, painter, area);
      break;
    case PagePhase:
      PaintChart(*set.phase, painter, area);
      break;
    case PageMaxLevel:
      PaintChart(*set.maxLevel, painter, HalfOf(area, 0));
      PaintChart(*set.maxVoltage, painter, HalfOf(area, 1));
      break;
    case PageDirections:
      PaintChart(*set.directions[SideLeft], painter, QuarterOf(area, 0));
      PaintChart(*set.directions[SideRight], painter, QuarterOf(area, 1));
      PaintChart(*set.directions[SideUp], painter, QuarterOf(area, 2));
      PaintChart(*set.directions[SideDown], painter, QuarterOf(area, 3));
      break;
    case PagePolar:
      PaintPolar(*set.polarHorizontal, painter, HalfOf(area, 0));
      PaintPolar(*set.polarVertical, painter, HalfOf(area, 1));
      break;
    case PageDirectivity:
      PaintChart(*set.directivity, painter, area);
      break;
    case PageChassis1To4:
    case PageChassis5To8: {
      const int first = page == PageChassis1To4 ? 0 : 4;
      for (int q = 0; q < 4; ++q)
        PaintChart(*set.chassis[static_cast<std::size_t>(first + q)], painter, QuarterOf(area, q));
      break;
    }
    case PageElectrical:
      PaintChart(*set.chassisVoltage, painter, area);
      break;
    case PageSpinorama:
      PaintChart(*set.spin, painter, UpperOrLowerHalf(area, 0));
      PaintChart(*set.groupDelay, painter, UpperOrLowerHalf(area, 1));
      break;
    case PageStepResponse:
      PaintChart(*set.stepResponse, painter, UpperOrLowerHalf(area, 0));
      PaintChart(*set.impulseResponse, painter, UpperOrLowerHalf(area, 1));
      break;
    default:
      break;
  }
}

bool SaveChartPicture(ChartSet& set, int page, QSize size, const std::filesystem::path& file, PictureFormat format,
                      const std::string& caption, std::string& error) {
  error.clear();
  const auto paint = [&](QPainter& painter) {
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    PaintChartPage(set, page, painter, QRect(QPoint(0, 0), size));
    if (!caption.empty()) {
      painter.setPen(Qt::black);
      painter.drawText(QPoint(8, painter.fontMetrics().ascent() + 4), QString::fromStdString(caption));
    }
  };
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  bool painted = false;
  if (format == PictureFormat::Svg) {
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(QString::fromUtf8(ChartPageCaption(page)));
    svg.setDescription(QStringLiteral("Sonvex"));
    QPainter painter;
    painted = painter.begin(&svg);
    if (painted) {
      paint(painter);
      painted = painter.end();
    }
  } else {
    QImage image(size, QImage::Format_RGB32);
    {
      QPainter painter(&image);
      paint(painter);
    }
    painted = image.save(&buffer, "PNG");
  }
  if (!painted) {
    error = "Diagramm kann nicht gezeichnet werden: " + Utf8FromPath(file);
    return false;
  }
  try {
    WriteFileAtomically(file, std::string(buffer.data().constData(), static_cast<std::size_t>(buffer.data().size())));
  } catch (const std::exception&) {
    error = "Datei kann nicht geschrieben werden: " + Utf8FromPath(file);
    return false;
  }
  return true;
}

bool RenderChartPages(const Project& p, const CalcResult& r, QSize size, const std::filesystem::path& dir,
                      std::string& error, PictureFormat format) {
  error.clear();
  if (size.width() < 1 || size.height() < 1 || size.width() > 20000 || size.height() > 20000) {
    error = "Ungültige Bildgröße.";
    return false;
  }
  // Text needs a GUI application; the command-line program has none.
  std::unique_ptr<QGuiApplication> ownApp;
  static int argc = 3;
  static char arg0[] = "sonvex";
  static char arg1[] = "-platform";
  static char arg2[] = "offscreen";
  static char* argv[] = {arg0, arg1, arg2, nullptr};
  if (QCoreApplication::instance() == nullptr) {
    ownApp = std::make_unique<QGuiApplication>(argc, argv);
  } else if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
    error = "Diagramme brauchen eine grafische Anwendung.";
    return false;
  }
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) {
    error = "Verzeichnis kann nicht angelegt werden: " + Utf8FromPath(dir);
    return false;
  }

  auto set = MakeChartSet();
  ChartControls controls;
  ChartUpdateOutcome outcome;
  UpdateChartSet(*set, p, r, controls, outcome);
  if (!outcome.messages.empty()) {
    error = outcome.messages.front();
    return false;
  }
  // The polar page shows the grid point nearest 1 kHz.
  const int polarPos = outcome.polarStart;
  FillPolarPlots(*set, r, polarPos);
  FillStepResponsePage(*set, p, r, controls, outcome);
  if (!outcome.messages.empty()) {
    error = outcome.messages.front();
    return false;
  }

  const std::string polarCaption = PolarFrequencyLabel(r, polarPos);
  for (int page = 0; page < ChartPageCount; ++page) {
    if (page == PageChassis5To8 && !ChassisPage5To8Visible(p.chassisCount)) continue;
    std::filesystem::path file = dir / ChartPageFileName(page);
    if (format == PictureFormat::Svg) file.replace_extension(".svg");
    // The picture has no scroll bar: it names the frequency of the polar plots.
    if (!SaveChartPicture(*set, page, size, file, format, page == PagePolar ? polarCaption : std::string(), error))
      return false;
  }
  return true;
}

}  // namespace sonvex
