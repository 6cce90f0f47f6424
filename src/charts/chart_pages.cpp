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

constexpr const char* kPageCaptions[kChartPageCount] = {
    "F-Gang/Imped.", "Phasengang",  "max. Pegel",   "F-Gang Richtungen", "Polarplots",
    "Bündelung",     "Chassis 1-4", "Chassis 5..8", "F-Gang elektr.",    "Spinorama"};

constexpr const char* kPageFiles[kChartPageCount] = {
    "01-fgang-imped.png", "02-phasengang.png",  "03-max-pegel.png",   "04-fgang-richtungen.png", "05-polarplots.png",
    "06-buendelung.png",  "07-chassis-1-4.png", "08-chassis-5-8.png", "09-fgang-elektr.png",     "10-spinorama.png"};

constexpr std::string_view kUpdateError = "Unerwarteter Fehler: UpdateCharts mit ";

// Level in dB of a pressure on the program's scale (1 = 112 dB).
double LevelOf(TComplex p) { return 20.0 * std::log10(CAbs(p) + 1e-50) + 112.0; }

int PointsOf(const TResult& r) { return std::clamp<int>(r.nFreq, 0, kFreqEntries); }
int ChassisOf(const TResult& r) { return ChassisInUse(r); }
int AmpsOf(const TResult& r) { return AmpsInUse(r); }

// "name (n)" of a chassis; the curve name cuts it to the legend width.
std::string ChassisLabel(const TResult& r, int c) {
  return r.ChassisName[static_cast<std::size_t>(c)].Str() + " (" + std::to_string(c + 1) + ")";
}

// Common start of every chart: data flag, frequency range, and every current
// curve hidden until the chart's block makes it visible again (a project with
// fewer chassis must not keep the curves of the former ones).
void PrepareChart(TZChart& chart, const TProjekt& p, const TResult& r) {
  chart.HasData = r.bValid;
  chart.XMin = p.AfMin;
  chart.XMax = p.AfMax;
  for (int i = 0; i < kChartCurves; ++i) chart.Curves[static_cast<std::size_t>(i)].Visible = false;
}

TChartCurve& CurveAt(TZChart& chart, int index) { return chart.Curves.at(static_cast<std::size_t>(index)); }

void SetCurve(TZChart& chart, int index, std::string_view name, TColor color, bool visible, bool rightAxis = false) {
  TChartCurve& c = CurveAt(chart, index);
  c.Name = name;
  c.Color = color;
  c.Visible = visible;
  c.RightAxis = rightAxis;
}

// Fills the points of a curve when the chart has data.
template <class F>
void FillCurve(TZChart& chart, int index, const TResult& r, F&& value) {
  if (!chart.HasData) return;
  TChartCurve& c = CurveAt(chart, index);
  const int n = PointsOf(r);
  for (int i = 0; i < n; ++i) {
    c.X[static_cast<std::size_t>(i)] = r.freq[static_cast<std::size_t>(i)];
    c.Y[static_cast<std::size_t>(i)] = value(static_cast<std::size_t>(i));
  }
  c.Count = n;
}

template <class F>
void Guarded(std::string_view kind, TChartUpdateOutcome& outcome, F&& fill) {
  try {
    fill();
  } catch (...) {
    outcome.messages.push_back(std::string(kUpdateError) + std::string(kind));
  }
}

void SetLevelAxes(TZChart& chart, const TProjekt& p, bool withImpedance) {
  chart.YKind = akLevel;
  chart.YMin = p.dBMin;
  chart.YMax = p.dBMax;
  chart.ShowY2 = withImpedance;
  chart.Y2Kind = akImpedance;
  chart.Y2Min = 0;
  chart.Y2Max = p.ImpMax;
}

// Fits the left axis to the drawn curves of the current slots inside the
// shown frequency range, always holding `always` and at least `minSpan`
// above the lowest value, widened to whole steps of 1, 2 or 5 times a power
// of ten (about five of them). Non-finite points are left out.
void FitValueAxis(TZChart& chart, double always, double minSpan) {
  double lo = always, hi = always;
  for (int s = 0; s < kChartCurves; ++s) {
    const TChartCurve& c = chart.Curves[static_cast<std::size_t>(s)];
    if (!c.Visible || c.RightAxis) continue;
    const int n = std::clamp(c.Count, 0, kChartPoints);
    for (int i = 0; i < n; ++i) {
      const auto si = static_cast<std::size_t>(i);
      const double v = c.Y[si];
      if (!std::isfinite(v) || !(c.X[si] >= chart.XMin && c.X[si] <= chart.XMax)) continue;
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
  chart.YMin = std::floor(lo / step + 1e-9) * step;
  chart.YMax = std::ceil(hi / step - 1e-9) * step;
}

void FillTotal(TChartSet& set, const TProjekt& p, const TResult& r, const TChartControls& controls,
               TChartUpdateOutcome& outcome) {
  TZChart& chart = *set.total;
  const int nChassis = ChassisOf(r);
  const int nAmps = AmpsOf(r);
  Guarded("bcFgangImp", outcome, [&] {
    PrepareChart(chart, p, r);
    SetLevelAxes(chart, p, true);
    SetCurve(chart, 0, "Amplitude gesamt", p.ColorSetChassis[0], true);
    FillCurve(chart, 0, r, [&](std::size_t i) { return LevelOf(r.BoxP[i][0]); });
    // A box whose chassis no amplifier drives computes without errors but
    // makes no sound: say why the chart stays empty.
    bool driven = false;
    for (int c = 0; c < nChassis; ++c) {
      const int a = r.AmpOfChassis.at(static_cast<std::size_t>(c));
      driven = driven || (a >= 0 && a < kMaxAmps);
    }
    chart.Note = r.bValid && !driven ? std::string(kNoChassisDrivenNote) : std::string();
    for (int a = 0; a < nAmps; ++a) {
      const int k = nChassis + 1 + a;
      SetCurve(chart, k, "Impedanz Verstärker " + std::to_string(a + 1),
               p.ColorSetAmps.at(static_cast<std::size_t>(a + 1)), controls.showImpedance, true);
      FillCurve(chart, k, r, [&](std::size_t i) { return CAbs(r.AmpZ.at(static_cast<std::size_t>(a))[i]); });
    }
    // The energy response has no colour in the display options; the unused
    // total colour of the amplifiers is the dark red of amplifier 1's
    // impedance (and of a three-way's tweeter), so it gets a brown that no
    // default chassis, amplifier or direction colour uses.
    SetCurve(chart, 25, "Energiefrequenzgang", kEnergyResponseColor, controls.showEnergy);
    FillCurve(chart, 25, r, [&](std::size_t i) {
      return 20.0 * std::log10(CAbs(r.BoxP[i][0]) / (1e-10 + r.DirIdx[i]) + 1e-50) + 112.0;
    });
  });
  Guarded("bcFgangImp (2)", outcome, [&] {
    for (int c = 0; c < nChassis; ++c) {
      const auto sc = static_cast<std::size_t>(c);
      SetCurve(chart, c + 1, ChassisLabel(r, c), p.ColorSetChassis.at(sc + 1), controls.showChassis);
      FillCurve(chart, c + 1, r,
                [&](std::size_t i) { return LevelOf(CAdd(r.ContribFront[sc][i][0], r.ContribRear[sc][i][0])); });
    }
  });
}

void FillDirections(TChartSet& set, const TProjekt& p, const TResult& r, TChartUpdateOutcome& outcome) {
  static constexpr const char* kKinds[4] = {"bcFgangRichto", "bcFgangRichtl", "bcFgangRichtu", "bcFgangRichtr"};
  static constexpr const char* kNames[7] = {"vorn", "30°", "60°", "90°", "120°", "150°", "hinten"};
  for (int side = 0; side < 4; ++side) {
    Guarded(kKinds[side], outcome, [&] {
      TZChart& chart = *set.directions[static_cast<std::size_t>(side)];
      PrepareChart(chart, p, r);
      SetLevelAxes(chart, p, false);
      for (int s = 0; s < 7; ++s) {
        // curve s: 30° x s towards the side; 0 on axis, 6 the rear axis
        const int dir = s == 0 ? 0 : (s == 6 ? 21 : 4 * s - 3 + side);
        SetCurve(chart, s, kNames[s], p.ColorSetRichtungen[static_cast<std::size_t>(s)], true);
        FillCurve(chart, s, r, [&](std::size_t i) { return LevelOf(r.BoxP[i].at(static_cast<std::size_t>(dir))); });
      }
    });
  }
}

void FillChassisCharts(TChartSet& set, const TProjekt& p, const TResult& r, TChartUpdateOutcome& outcome) {
  const int nChassis = ChassisOf(r);
  for (int c = 0; c < kChassisSlots; ++c) {
    Guarded("bcFgangChas[" + std::to_string(c) + "]", outcome, [&] {
      const auto sc = static_cast<std::size_t>(c);
      TZChart& chart = *set.chassis[sc];
      PrepareChart(chart, p, r);
      if (c >= nChassis) chart.HasData = false;
      SetLevelAxes(chart, p, true);
      chart.Title = "Frequenzgang " + ChassisLabel(r, c);
      SetCurve(chart, 0, "Chassis mit Gehäuse in Halbraum", p.ColorSetChassis[0], true);
      SetCurve(chart, 1, ".. mit Schallwandeinfluß", p.ColorSetChassis[1], true);
      SetCurve(chart, 2, ".. mit aktivem Filter", p.ColorSetChassis[2], true);
      SetCurve(chart, 3, ".. mit (passiver) Weiche", p.ColorSetChassis[3], true);
      SetCurve(chart, 4, "Impedanz", p.ColorSetChassis[4], true, true);
      if (!chart.HasData) return;
      const int u = r.AmpOfChassis[sc];
      FillCurve(chart, 0, r, [&](std::size_t i) { return LevelOf(r.ChFront[sc][i]); });
      FillCurve(chart, 1, r, [&](std::size_t i) { return LevelOf(CMul(r.DirFront[sc][i][0], r.ChFront[sc][i])); });
      if (u == -1) {
        FillCurve(chart, 2, r, [&](std::size_t i) { return CurveAt(chart, 1).Y[i]; });
      } else {
        // a driving amplifier outside 0..5 throws here and fails this chart only
        const TComplexCurve& filter = r.FilterResp.at(static_cast<std::size_t>(u));
        FillCurve(chart, 2, r,
                  [&](std::size_t i) { return LevelOf(CMul3(r.ChFront[sc][i], filter[i], r.DirFront[sc][i][0])); });
      }
      FillCurve(chart, 3, r, [&](std::size_t i) { return LevelOf(r.ContribFront[sc][i][0]); });
      FillCurve(chart, 4, r, [&](std::size_t i) { return CAbs(r.ChassisZ[sc][i]); });
    });
  }
}

void FillPhase(TChartSet& set, const TProjekt& p, const TResult& r, TChartControls& controls,
               TChartUpdateOutcome& outcome) {
  Guarded("bcFgangPha", outcome, [&] {
    TZChart& chart = *set.phase;
    PrepareChart(chart, p, r);
    chart.YKind = akPhase;
    chart.YMin = -180;
    chart.YMax = 180;
    chart.ShowY2 = false;
    const int nChassis = ChassisOf(r);
    for (int k = 0; k < kMaxChassis; ++k) {
      const auto sk = static_cast<std::size_t>(k);
      outcome.phaseCaptions[sk] = r.ChassisName[sk].Str() + "(" + std::to_string(k + 1) + ")";
      outcome.phaseVisible[sk] = k < nChassis;
      if (!outcome.phaseVisible[sk]) controls.phaseChassis[sk] = false;
    }
    // reference point behind the baffle, in metres (the edit holds cm)
    const double d = StrToDoubleLenient(controls.phaseReference) / -100.0;
    const int nCurrent = ChassisInUse(p);
    for (int c = 1; c <= nCurrent; ++c) {
      const auto sc = static_cast<std::size_t>(c - 1);
      const int typ = r.EinbauTyp[sc];
      bool front = r.AmpOfChassis[sc] >= 0;
      bool rear = controls.phaseRear && front && (typ == 2 || typ == 4);
      if (!controls.phaseChassis[sc]) front = rear = false;
      const int kf = 2 * (c - 1);
      const std::string name = r.ChassisName[sc].Str();
      const TColor color = p.ColorSetChassis[static_cast<std::size_t>(c)];
      SetCurve(chart, kf, name + "(" + std::to_string(c) + ")", color, front);
      SetCurve(chart, kf + 1, name + " Reflex (" + std::to_string(c) + ")", color, rear);
      auto phaseOf = [&r, d](const TDirTable& table) {
        return [&r, d, tbl = &table](std::size_t i) {
          const double lambda = kSpeedOfSound / r.freq[i];
          return CPhase(CRotate((*tbl)[i][0], d / lambda * 2.0 * kPiShort)) * 57.295827908797776;
        };
      };
      FillCurve(chart, kf, r, phaseOf(r.ContribFront[sc]));
      FillCurve(chart, kf + 1, r, phaseOf(r.ContribRear[sc]));
    }
  });
}

void FillMaxU(TChartSet& set, const TProjekt& p, const TResult& r, TChartUpdateOutcome& outcome) {
  Guarded("bcFgangUmax", outcome, [&] {
    TZChart& chart = *set.maxU;
    PrepareChart(chart, p, r);
    chart.YKind = akVolts;
    chart.YMin = 0.1;
    chart.YMax = 1000;
    chart.ShowY2 = true;
    chart.Y2Kind = akWatts;
    chart.Y2Min = 0.00125;
    chart.Y2Max = 125000;
    SetCurve(chart, 0, "Gesamtbox", p.ColorSetChassis[0], true);
    FillCurve(chart, 0, r, [&](std::size_t i) { return r.MaxU[i]; });
    for (int c = 0; c < ChassisOf(r); ++c) {
      const auto sc = static_cast<std::size_t>(c);
      SetCurve(chart, c + 1, ChassisLabel(r, c), p.ColorSetChassis.at(sc + 1), true);
      FillCurve(chart, c + 1, r, [&](std::size_t i) { return r.MaxUChassis[sc][i]; });
    }
  });
}

void FillMaxLevel(TChartSet& set, const TProjekt& p, const TResult& r, TChartUpdateOutcome& outcome) {
  Guarded("bcFgangMaxPeg", outcome, [&] {
    TZChart& chart = *set.maxLevel;
    PrepareChart(chart, p, r);
    chart.YKind = akLevel;
    chart.YMin = 40;
    chart.YMax = 140;
    chart.ShowY2 = false;
    SetCurve(chart, 0, "Gesamtbox", p.ColorSetChassis[0], true);
    FillCurve(chart, 0, r, [&](std::size_t i) {
      const double m = r.MaxP[9][i];
      return m > 0 ? 20.0 * std::log10(m) + 112.0 : -1000000.0;
    });
    for (int c = 0; c < ChassisOf(r); ++c) {
      const auto sc = static_cast<std::size_t>(c);
      SetCurve(chart, c + 1, ChassisLabel(r, c), p.ColorSetChassis.at(sc + 1), true);
      FillCurve(chart, c + 1, r, [&](std::size_t i) {
        const double m = r.MaxP[sc][i];
        return m > 0 ? 20.0 * std::log10(m) + 112.0 : 0.0;
      });
    }
  });
}

void FillChassisVoltage(TChartSet& set, const TProjekt& p, const TResult& r, TChartUpdateOutcome& outcome) {
  Guarded("bcUChassis", outcome, [&] {
    TZChart& chart = *set.uChassis;
    PrepareChart(chart, p, r);
    // a voltage level relative to the amplifier's 2.83 V (the subtitle says so)
    chart.YKind = akVoltLevel;
    chart.YMin = -45;
    chart.YMax = 17;
    chart.ShowY2 = false;
    for (int c = 0; c < ChassisOf(r); ++c) {
      const auto sc = static_cast<std::size_t>(c);
      const int u = r.AmpOfChassis[sc];
      SetCurve(chart, c, ChassisLabel(r, c), p.ColorSetChassis.at(sc + 1), u != -1);
      if (u == -1) continue;
      const TComplexCurve& filter = r.FilterResp.at(static_cast<std::size_t>(u));
      FillCurve(chart, c, r,
                [&](std::size_t i) { return 20.0 * std::log10(CAbs(CMul(r.ChassisU[sc][i], filter[i])) + 1e-50); });
    }
  });
}

void FillDirectivity(TChartSet& set, const TProjekt& p, const TResult& r, TChartUpdateOutcome& outcome) {
  Guarded("bcFgnagBmass", outcome, [&] {
    TZChart& chart = *set.directivity;
    PrepareChart(chart, p, r);
    chart.YKind = akIndexDb;
    chart.ShowY2 = false;
    SetCurve(chart, 0, "Bündelungsmaß", p.ColorSetChassis[0], true);
    FillCurve(chart, 0, r, [&](std::size_t i) { return 20.0 * std::log10(1e-50 + r.DirIdx[i]); });
    FitValueAxis(chart, 0.0, 3.0);
  });
}

// Fills a curve from one of the spinorama curves.
void FillSpinCurve(TZChart& chart, int index, const TSpinorama& spin, const std::vector<double>& values) {
  if (!chart.HasData) return;
  TChartCurve& c = CurveAt(chart, index);
  const int n = std::min({spin.n, static_cast<int>(values.size()), kChartPoints});
  for (int i = 0; i < n; ++i) {
    c.X[static_cast<std::size_t>(i)] = spin.freq[static_cast<std::size_t>(i)];
    c.Y[static_cast<std::size_t>(i)] = values[static_cast<std::size_t>(i)];
  }
  c.Count = n;
}

void PaintChart(TZChart& chart, QPainter& painter, const QRect& r) {
  chart.PaintChart(painter, r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
}
void PaintPolar(TZPolar& polar, QPainter& painter, const QRect& r) {
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

const char* ChartPageCaption(int page) { return page >= 0 && page < kChartPageCount ? kPageCaptions[page] : ""; }

const char* ChassisPageCaption(int nChassis) { return ChassisPage58Visible(nChassis) ? "Chassis 1..4" : "Chassis"; }

std::string ChartPageFileName(int page) {
  return page >= 0 && page < kChartPageCount ? kPageFiles[page] : std::string();
}

std::vector<TZChart*> TChartSet::ReferenceCharts() const {
  std::vector<TZChart*> charts{total.get(), phase.get(), uChassis.get(), maxU.get(), maxLevel.get(), directivity.get()};
  for (int c = 0; c < kMaxChassis; ++c) charts.push_back(chassis[static_cast<std::size_t>(c)].get());
  charts.push_back(spin.get());
  charts.push_back(groupDelay.get());
  return charts;
}

std::unique_ptr<TChartSet> MakeChartSet() {
  auto set = std::make_unique<TChartSet>();
  auto make = [](const char* title, const char* subTitle) {
    auto chart = std::make_unique<TZChart>();
    chart->Title = title;
    chart->SubTitle = subTitle;
    return chart;
  };
  set->total = make("Frequenzgang Gesamtbox", "(alle Verstärker und Chassis)");
  set->total->YKind = akLevel;
  set->total->ShowY2 = true;
  set->total->Y2Kind = akImpedance;
  static constexpr const char* kDirSub[4] = {
      "Richtungen vorne und verschiedene Winkel nach oben", "Richtungen vorne und verschiedene Winkel nach links",
      "Richtungen vorne und verschiedene Winkel nach unten", "Richtungen vorne und verschiedene Winkel nach rechts"};
  for (int s = 0; s < 4; ++s) set->directions[static_cast<std::size_t>(s)] = make("Frequenzgang Gesamtbox", kDirSub[s]);
  set->phase = make("Phasengänge", "in Hauptstrahlrichtung der Box");
  set->phase->YKind = akPhase;
  set->phase->YMin = -180;
  set->phase->YMax = 180;
  set->uChassis = make("Effektivspannung an den Chassis", "0 dB = 2,83V");
  set->maxU =
      make("Maximale eff. Eingangsspannung", "vor aktivem Filter für linearen Hub und max. elektr. Belastbarkeit");
  set->maxU->YKind = akVolts;
  set->maxU->ShowY2 = true;
  set->maxU->Y2Kind = akWatts;
  set->maxLevel = make("Maximaler Pegel", "in Hauptstrahlrichtung für linearen Hub und max. elektr. Belastbarkeit");
  set->directivity = make("Bündelungsmaß", "0 dB = Kugelstrahler in Vollraum, 3 dB = Kugelstrahler in Halbraum");
  for (int c = 0; c < kChassisSlots; ++c) {
    auto chart = make("Frequenzgang", "Chassis selbst, .. mit Schallwand, .. aktivem Filter, .. Weiche");
    chart->ShowY2 = true;
    chart->Y2Kind = akImpedance;
    set->chassis[static_cast<std::size_t>(c)] = std::move(chart);
  }
  set->spin = make("Spinorama", "Schätzung aus 30 simulierten Richtungen der Box, keine Messung");
  set->spin->YKind = akLevel;
  set->spin->ShowY2 = true;
  set->spin->Y2Kind = akIndexDb;
  set->spin->Y2SameScale = true;
  set->spin->Y2LabelMin = 0;
  set->spin->Y2LabelMax = kSpinoramaDiLabelMax;
  set->groupDelay = make("Gruppenlaufzeit", "auf Achse, Gesamtbox und Chassis mit Weiche, Schallwand und Gehäuse");
  set->groupDelay->YKind = akMillisec;
  set->groupDelay->YMin = 0;
  set->groupDelay->YMax = 10;
  set->polarH = std::make_unique<TZPolar>();
  set->polarH->Title = "Horizontal";
  set->polarH->LabelTop = "vorn";
  set->polarH->LabelRight = "rechts";
  set->polarH->LabelBottom = "hinten";
  set->polarH->LabelLeft = "links";
  set->polarV = std::make_unique<TZPolar>();
  set->polarV->Title = "Vertikal";
  set->polarV->LabelTop = "oben";
  set->polarV->LabelRight = "vorn";
  set->polarV->LabelBottom = "unten";
  set->polarV->LabelLeft = "hinten";
  return set;
}

void UpdateChartSet(TChartSet& set, const TProjekt& p, const TResult& r, TChartControls& controls,
                    TChartUpdateOutcome& outcome) {
  outcome = TChartUpdateOutcome{};
  FillTotal(set, p, r, controls, outcome);
  FillDirections(set, p, r, outcome);
  FillChassisCharts(set, p, r, outcome);
  FillPhase(set, p, r, controls, outcome);
  FillMaxU(set, p, r, outcome);
  FillMaxLevel(set, p, r, outcome);
  FillChassisVoltage(set, p, r, outcome);
  FillDirectivity(set, p, r, outcome);
  FillSpinoramaPage(set, p, r, controls, outcome);
  outcome.polarMax = std::max(0, PointsOf(r) - 1);
  outcome.polarStart = PolarStartPosition(r);
  for (TZPolar* polar : {set.polarH.get(), set.polarV.get()}) {
    polar->HasData = r.bValid;
    polar->RMin = p.dBMin;
    polar->RMax = p.dBMax;
  }
}

void FillSpinoramaPage(TChartSet& set, const TProjekt& p, const TResult& r, const TChartControls& controls,
                       TChartUpdateOutcome& outcome) {
  TSpinorama spin;
  Guarded("bcSpinorama", outcome, [&] {
    spin = ComputeSpinorama(r);
    TZChart& chart = *set.spin;
    PrepareChart(chart, p, r);
    chart.YKind = akLevel;
    chart.YMin = p.dBMin;
    chart.YMax = p.dBMax;
    chart.ShowY2 = true;
    chart.Y2Kind = akIndexDb;
    // As in published spinoramas: the indices on the same dB per division
    // as the levels, 0 dB near the bottom, labelled up to 15 dB.
    chart.Y2SameScale = true;
    chart.Y2ZeroFraction = 0.1;
    chart.Y2LabelMin = 0;
    chart.Y2LabelMax = kSpinoramaDiLabelMax;
    const std::vector<double>* values[kSpinoramaCurveCount] = {&spin.OnAxis, &spin.LW,   &spin.ER,  &spin.SP,
                                                               &spin.PIR,    &spin.SPDI, &spin.ERDI};
    for (int k = 0; k < kSpinoramaCurveCount; ++k) {
      const auto sk = static_cast<std::size_t>(k);
      SetCurve(chart, k, kSpinoramaCurves[sk].name, kSpinoramaCurves[sk].color, true, k >= 5);
      FillSpinCurve(chart, k, spin, *values[k]);
    }
  });
  Guarded("bcGruppenlaufzeit", outcome, [&] {
    TZChart& chart = *set.groupDelay;
    PrepareChart(chart, p, r);
    chart.YKind = akMillisec;
    chart.ShowY2 = false;
    SetCurve(chart, 0, "Gesamtbox", p.ColorSetChassis[0], true);
    FillSpinCurve(chart, 0, spin, spin.GroupDelayBox);
    const double quiet = std::pow(10.0, -kGroupDelayChassisRangeDb / 20.0);
    for (int c = 0; c < ChassisOf(r); ++c) {
      const auto sc = static_cast<std::size_t>(c);
      SetCurve(chart, c + 1, ChassisLabel(r, c), p.ColorSetChassis.at(sc + 1), controls.spinShowChassis);
      if (!chart.HasData || sc >= spin.GroupDelayChassis.size()) continue;
      FillSpinCurve(chart, c + 1, spin, spin.GroupDelayChassis[sc]);
      // Where the chassis is far below the box its delay means nothing for
      // the sound (and runs wild): leave those points out.
      TChartCurve& curve = CurveAt(chart, c + 1);
      for (int i = 0; i < std::min(curve.Count, PointsOf(r)); ++i) {
        const auto si = static_cast<std::size_t>(i);
        const double chassis = CAbs(CAdd(r.ContribFront[sc][si][0], r.ContribRear[sc][si][0]));
        if (!(chassis >= quiet * CAbs(r.BoxP[si][0]))) curve.Y[si] = std::numeric_limits<double>::quiet_NaN();
      }
    }
    // every drawn curve and 0, so that a negative delay shows below the zero line
    FitValueAxis(chart, 0.0, 1.0);
  });
}

int PolarStartPosition(const TResult& r) {
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

void FillPolarPlots(TChartSet& set, const TResult& r, int position) {
  // front at the top, to the right, past the rear and back over the left
  static constexpr int kHorizontal[12] = {0, 4, 8, 12, 16, 20, 21, 18, 14, 10, 6, 2};
  // straight up at the top, over the front, down, the rear and back
  static constexpr int kVertical[12] = {9, 5, 1, 0, 3, 7, 11, 15, 19, 21, 17, 13};
  const int pos = std::clamp(position, 0, kFreqEntries - 1);
  const TDirRow& row = r.BoxP[static_cast<std::size_t>(pos)];
  for (int k = 0; k < 12; ++k) {
    const auto sk = static_cast<std::size_t>(k);
    set.polarH->Angles[sk] = k;
    set.polarH->Radii[sk] = LevelOf(row[static_cast<std::size_t>(kHorizontal[k])]);
    set.polarV->Angles[sk] = k;
    set.polarV->Radii[sk] = LevelOf(row[static_cast<std::size_t>(kVertical[k])]);
  }
  set.polarH->Count = 12;
  set.polarV->Count = 12;
}

std::string PolarFrequencyLabel(const TResult& r, int position) {
  const int pos = std::clamp(position, 0, kFreqEntries - 1);
  return "Frequenz: " + FormatNumber(r.freq[static_cast<std::size_t>(pos)], 5) + " Hz";
}

void PaintChartPage(TChartSet& set, int page, QPainter& painter, const QRect& area) {
  switch (page) {
    case kPageFgangImp:
      PaintChart(*set.total, painter, area);
      break;
    case kPagePhase:
      PaintChart(*set.phase, painter, area);
      break;
    case kPageMaxPegel:
      PaintChart(*set.maxLevel, painter, HalfOf(area, 0));
      PaintChart(*set.maxU, painter, HalfOf(area, 1));
      break;
    case kPageRichtungen:
      PaintChart(*set.directions[kSideLeft], painter, QuarterOf(area, 0));
      PaintChart(*set.directions[kSideRight], painter, QuarterOf(area, 1));
      PaintChart(*set.directions[kSideUp], painter, QuarterOf(area, 2));
      PaintChart(*set.directions[kSideDown], painter, QuarterOf(area, 3));
      break;
    case kPagePolar:
      PaintPolar(*set.polarH, painter, HalfOf(area, 0));
      PaintPolar(*set.polarV, painter, HalfOf(area, 1));
      break;
    case kPageBuendelung:
      PaintChart(*set.directivity, painter, area);
      break;
    case kPageChassis14:
    case kPageChassis58: {
      const int first = page == kPageChassis14 ? 0 : 4;
      for (int q = 0; q < 4; ++q)
        PaintChart(*set.chassis[static_cast<std::size_t>(first + q)], painter, QuarterOf(area, q));
      break;
    }
    case kPageElektr:
      PaintChart(*set.uChassis, painter, area);
      break;
    case kPageSpinorama:
      PaintChart(*set.spin, painter, UpperOrLowerHalf(area, 0));
      PaintChart(*set.groupDelay, painter, UpperOrLowerHalf(area, 1));
      break;
    default:
      break;
  }
}

bool SaveChartPicture(TChartSet& set, int page, QSize size, const std::filesystem::path& file, TPictureFormat format,
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
  if (format == TPictureFormat::Svg) {
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

bool RenderChartPages(const TProjekt& p, const TResult& r, QSize size, const std::filesystem::path& dir,
                      std::string& error, TPictureFormat format) {
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
  TChartControls controls;
  TChartUpdateOutcome outcome;
  UpdateChartSet(*set, p, r, controls, outcome);
  if (!outcome.messages.empty()) {
    error = outcome.messages.front();
    return false;
  }
  // The polar page shows the grid point nearest 1 kHz.
  const int polarPos = outcome.polarStart;
  FillPolarPlots(*set, r, polarPos);

  const std::string polarCaption = PolarFrequencyLabel(r, polarPos);
  for (int page = 0; page < kChartPageCount; ++page) {
    if (page == kPageChassis58 && !ChassisPage58Visible(p.nChassis)) continue;
    std::filesystem::path file = dir / ChartPageFileName(page);
    if (format == TPictureFormat::Svg) file.replace_extension(".svg");
    // The picture has no scroll bar: it names the frequency of the polar plots.
    if (!SaveChartPicture(*set, page, size, file, format, page == kPagePolar ? polarCaption : std::string(), error))
      return false;
  }
  return true;
}

}  // namespace sonvex
