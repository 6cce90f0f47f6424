#include "acoustics/chassis_model.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "acoustics/enclosure.h"
#include "numeric/constants.h"

namespace sonvex {

namespace {

constexpr double kTwoPi = 6.283185307179586477;
constexpr int kLastGridIndex = kFreqEntries - 1;  // 600

bool AllFinite(TComplex a, TComplex b, TComplex c, double d) {
  return CIsFinite(a) && CIsFinite(b) && CIsFinite(c) && std::isfinite(d);
}

// Measured-only mode: a chassis without Thiele/Small parameters whose
// response and impedance come entirely from measured curves incl. phase.
bool MeasuredOnly(const TChassis& c, const TEinbau& e) {
  return c.useFgangA && c.useFgangAP && c.useFgangI && c.useFgangIP && !c.useFgangA4fs && c.FgangAF[0] > 0 &&
         c.FgangAPF[0] > 0 && c.FgangIF[0] > 0 && c.FgangIPF[0] > 0 && e.Typ == 0;
}

// First index k >= 1 with x <= xs[k] or with xs[k] <= 0 (end of the list);
// kFreqEntries when a full array has no point at or above x.
int FindSegment(const TFreqArray& xs, double x) {
  int k = 1;
  while (k < kFreqEntries && !(x <= xs[k] || xs[k] <= 0)) ++k;
  return k;
}

}  // namespace

std::string SimulateChassis(const TChassis& c, const TEinbau& e, const TFreqArray& freq, int lastIndex,
                            TComplexCurve& z, TComplexCurve& hub, TComplexCurve& rear, TComplexCurve& front) {
  std::string text;
  const int last = std::min(lastIndex, kLastGridIndex);

  // Without Vas a catalogue sensitivity gives it (the inverse of the SPL formula).
  TThieleSmall ts = ThieleSmallOf(c);
  if (ts.Vas <= 0 && c._SPL > 0 && ts.fs > 0 && ts.Qes > 0 && ts.Re > 0)
    ts.Vas = std::pow(10.0, (c._SPL - 112) / 10) * ts.Qes / (9.64e-7 * ts.fs * ts.fs * ts.fs * (8 / ts.Re));

  if (!(ts.fs > 0 && ts.Re > 0 && ts.Qes > 0 && ts.Qms > 0 && ts.Vas > 0 && ts.Amem > 0)) {
    if (MeasuredOnly(c, e)) {
      for (int i = 0; i <= last && freq[i] > 0; ++i) {
        const double f = freq[i];
        const double h = 21.537 / (kPiShort * kPiShort * (ts.Amem + 1e-50) * f * f) * 0.25;
        if (!std::isfinite(h)) return kChassisFaultText;
        front[i] = COne;
        rear[i] = TComplex{kAbsent, 0};
        z[i] = COne;
        hub[i] = TComplex{h, 0};
      }
      return "OK";
    }
    text += kChassisMissingTsText;
  }

  if (c.xlin <= 0) text += kChassisXlinText;
  if (c.Le <= 0 || c.Re2 <= 0 || c.Le2 <= 0 || c.Re3 <= 0 || c.Le3 <= 0) text += kChassisVoiceCoilText;
  if (e.Typ != 0 && (e.fmb <= 0 || e.Vb <= 0 || e.vV <= 0 || e.mb <= 0 || e.Ql <= 0)) text += kChassisBoxText;
  if (e.Typ != 0 && e.Typ != 1 && e.Typ != 3 && (e.Qb <= 0 || e.fb <= 0)) text += kChassisPortText;
  if ((e.Typ == 3 || e.Typ == 4) && e.Vbf <= 0) text += kChassisVbfText;
  if ((e.Typ == 3 || e.Typ == 4) && (e.Qbf <= 0 || e.fbf <= 0)) text += kChassisFrontPortText;
  // A type code outside 0..4 (possible in a damaged file) has no network and
  // would radiate nothing without complaint: reject it like other bad data.
  if (e.Typ < 0 || e.Typ > 4) text += kChassisTypText;
  if (IsFailureText(text)) return text;

  text = "Unbekannter Fehler.";
  TChassisDerived d = c.derived;
  const double re = c.Re;
  for (int i = 0; i <= last && freq[i] > 0; ++i) {
    const double f = freq[i];
    const double omega = kTwoPi * f;
    DeriveChassisValues(ts, e, f, d);

    // Voice coil: Re, Le and two semi-inductive sections.
    const TComplex zvc = CAdd3(TComplex{re, omega * c.Le}, CPar(TComplex{c.Re2, 0}, TComplex{0, omega * c.Le2}),
                               CPar(TComplex{c.Re3, 0}, TComplex{0, omega * c.Le3}));
    const TEnclosureNetwork net = EnclosureNetwork(e.Typ, d, omega);
    const TComplex zIn = CAdd(zvc, net.Zmot);

    // Diaphragm signal: tends to -1 in the mass-controlled range.
    const TComplex pd = CMul(CDiv(net.Zmot, zIn), TComplex{0, -omega * d.Cms * re});
    const TComplex f0 = CMul(pd, net.Tf);
    TComplex r0{kAbsent, 0};
    if (net.hasRear) {
      const TComplex pt = CMul(pd, net.Tr);
      r0 = TComplex{-pt.re, -pt.im};
    }
    const double h0 = CAbs(pd) / (4 * kPiFile * kPiFile * f * f);

    // Sensitivity of the chassis with the air load of this frequency.
    const double spls = 10 * std::log10((8 / re) * 9.64e-7 * d.fsbg * d.fsbg * d.fsbg * ts.Vas / d.Qesbg) + 112;
    const double g = std::pow(10.0, (spls - 112) / 20);
    const TComplex frontValue = CScale(f0, -g);
    const TComplex rearValue = CScale(r0, -g);
    const double hubValue = 21.537 * g * h0 / ts.Amem;
    if (!AllFinite(zIn, frontValue, rearValue, hubValue)) return kChassisFaultText;

    z[i] = zIn;
    front[i] = frontValue;
    rear[i] = rearValue;
    hub[i] = TComplex{hubValue, 0};
  }
  text = "OK";
  return text;
}

double InterpolateLevel(const TFreqArray& xs, const TFreqArray& ys, double width, double x) {
  // An empty list (first frequency not above 0) has nothing to interpolate.
  if (x < xs[0] || !(xs[0] > 0)) return ys[0];
  const int k = FindSegment(xs, x);
  double v;
  if (k < kFreqEntries && xs[k] > 0) {
    if (xs[k] != xs[k - 1])
      v = ys[k - 1] + (x - xs[k - 1]) / (xs[k] - xs[k - 1]) * (ys[k] - ys[k - 1]);
    else
      v = ys[k - 1];
  } else {
    v = ys[k - 1];
  }

  if (width > 0) {
    double sumW = 0;
    double sumWy = 0;
    for (int l = 0; l < kFreqEntries && xs[l] > 0; ++l) {
      const double u = std::fabs(xs[l] - x) / x;
      if (u < width) {
        const double a = (width - u) / width;
        const double a2 = a * a;
        const double w = a2 * a / ((a2 + 0.25) * (a2 + 0.4));
        sumW += w;
        sumWy += w * ys[l];
      }
    }
    if (sumW > 0) v = sumWy / sumW;
  }
  return v;
}

double InterpolatePhase(const TFreqArray& xs, const TFreqArray& ps, double x) {
  if (x < xs[0] || !(xs[0] > 0)) return ps[0];
  const int k = FindSegment(xs, x);
  if (k >= kFreqEntries || xs[k] <= 0) return ps[k - 1];
  if (xs[k] == xs[k - 1]) return ps[k - 1];
  double p0 = ps[k - 1];
  double p1 = ps[k];
  // Neighbours on both sides of the ±π wrap: interpolate the short way round.
  if (p0 * p1 < 0 && std::fabs(p0 - p1) > 3.1416) {
    if (p0 < 0)
      p0 += 6.2832;
    else
      p1 += 6.2832;
  }
  return p0 + (x - xs[k - 1]) / (xs[k] - xs[k - 1]) * (p1 - p0);
}

}  // namespace sonvex
