#include "acoustics/chassis_model.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <span>

#include "acoustics/enclosure.h"
#include "numeric/constants.h"

namespace sonvex {

namespace {

constexpr double kTwoPi = 6.283185307179586477;
constexpr int kLastGridIndex = kFreqEntries - 1;  // 600

bool AllFinite(Complex a, Complex b, Complex c, double d) {
  return CIsFinite(a) && CIsFinite(b) && CIsFinite(c) && std::isfinite(d);
}

// Measured-only mode: a chassis without Thiele/Small parameters whose
// response and impedance come entirely from measured curves incl. phase.
bool MeasuredOnly(const Chassis& c, const Enclosure& enclosure) {
  return c.useMeasuredAmplitude && c.useMeasuredAcousticPhase && c.useMeasuredImpedance &&
         c.useMeasuredElectricalPhase && !c.useMeasuredAmplitudeAtFs && c.measuredAmplitudeFreq[0] > 0 &&
         c.measuredAcousticPhaseFreq[0] > 0 && c.measuredImpedanceFreq[0] > 0 && c.measuredElectricalPhaseFreq[0] > 0 &&
         enclosure.type == 0;
}

// First index k >= 1 with x <= xs[k] or with xs[k] <= 0 (end of the list);
// xs.size() when the list has no point at or above x.
std::size_t FindSegment(std::span<const double> xs, double x) {
  std::size_t k = 1;
  while (k < xs.size() && !(x <= xs[k] || xs[k] <= 0)) ++k;
  return k;
}

}  // namespace

std::string SimulateChassis(const Chassis& c, const Enclosure& enclosure, const FreqArray& freq, int lastIndex,
                            ComplexCurve& z, ComplexCurve& excursion, ComplexCurve& rear, ComplexCurve& front) {
  std::string text;
  const int last = std::min(lastIndex, kLastGridIndex);

  // Without Vas a catalogue sensitivity gives it (the inverse of the SPL formula).
  ThieleSmall ts = ThieleSmallOf(c);
  if (ts.Vas <= 0 && c.dataSheetSPL > 0 && ts.fs > 0 && ts.Qes > 0 && ts.Re > 0)
    ts.Vas = std::pow(10.0, (c.dataSheetSPL - 112) / 10) * ts.Qes / (9.64e-7 * ts.fs * ts.fs * ts.fs * (8 / ts.Re));

  if (!(ts.fs > 0 && ts.Re > 0 && ts.Qes > 0 && ts.Qms > 0 && ts.Vas > 0 && ts.Sd > 0)) {
    if (MeasuredOnly(c, enclosure)) {
      for (int i = 0; i <= last && freq[i] > 0; ++i) {
        const double f = freq[i];
        const double h = 21.537 / (kPiShort * kPiShort * (ts.Sd + 1e-50) * f * f) * 0.25;
        if (!std::isfinite(h)) return kChassisFaultText;
        front[i] = kComplexOne;
        rear[i] = Complex{kAbsent, 0};
        z[i] = kComplexOne;
        excursion[i] = Complex{h, 0};
      }
      return "OK";
    }
    text += kChassisMissingTsText;
  }

  if (c.xlin <= 0) text += kChassisXlinText;
  if (c.Le <= 0 || c.Re2 <= 0 || c.Le2 <= 0 || c.Re3 <= 0 || c.Le3 <= 0) text += kChassisVoiceCoilText;
  if (enclosure.type != 0 && (enclosure.airMassCornerFreq <= 0 || enclosure.Vb <= 0 || enclosure.volumeFactor <= 0 ||
                              enclosure.airMassFactor <= 0 || enclosure.Ql <= 0))
    text += kChassisBoxText;
  if (enclosure.type != 0 && enclosure.type != 1 && enclosure.type != 3 && (enclosure.Qb <= 0 || enclosure.fb <= 0))
    text += kChassisPortText;
  if ((enclosure.type == 3 || enclosure.type == 4) && enclosure.VbFront <= 0) text += kChassisVbfText;
  if ((enclosure.type == 3 || enclosure.type == 4) && (enclosure.QbFront <= 0 || enclosure.fbFront <= 0))
    text += kChassisFrontPortText;
  // A type code outside 0..4 (possible in a damaged file) has no network and
  // would radiate nothing without complaint: reject it like other bad data.
  if (enclosure.type < 0 || enclosure.type > 4) text += kChassisTypeText;
  if (IsFailureText(text)) return text;

  text = "Unbekannter Fehler.";
  ChassisDerived d = c.derived;
  const double re = c.Re;
  for (int i = 0; i <= last && freq[i] > 0; ++i) {
    const double f = freq[i];
    const double omega = kTwoPi * f;
    DeriveChassisValues(ts, enclosure, f, d);

    // Voice coil: Re, Le and two semi-inductive sections.
    const Complex zvc = CAdd3(Complex{re, omega * c.Le}, CPar(Complex{c.Re2, 0}, Complex{0, omega * c.Le2}),
                              CPar(Complex{c.Re3, 0}, Complex{0, omega * c.Le3}));
    const EnclosureNetworkResult net = EnclosureNetwork(enclosure.type, d, omega);
    const Complex zIn = CAdd(zvc, net.Zmot);

    // Diaphragm signal: tends to -1 in the mass-controlled range.
    const Complex pd = CMul(CDiv(net.Zmot, zIn), Complex{0, -omega * d.Cms * re});
    const Complex f0 = CMul(pd, net.Tf);
    Complex r0{kAbsent, 0};
    if (net.hasRear) {
      const Complex pt = CMul(pd, net.Tr);
      r0 = Complex{-pt.re, -pt.im};
    }
    const double h0 = CAbs(pd) / (4 * kPiFile * kPiFile * f * f);

    // Sensitivity of the chassis with the air load of this frequency.
    const double loadedSPL = 10 * std::log10((8 / re) * 9.64e-7 * d.fsbg * d.fsbg * d.fsbg * ts.Vas / d.Qesbg) + 112;
    const double g = std::pow(10.0, (loadedSPL - 112) / 20);
    const Complex frontValue = CScale(f0, -g);
    const Complex rearValue = CScale(r0, -g);
    const double excursionValue = 21.537 * g * h0 / ts.Sd;
    if (!AllFinite(zIn, frontValue, rearValue, excursionValue)) return kChassisFaultText;

    z[i] = zIn;
    front[i] = frontValue;
    rear[i] = rearValue;
    excursion[i] = Complex{excursionValue, 0};
  }
  text = "OK";
  return text;
}

double InterpolateLevel(std::span<const double> xs, std::span<const double> ys, double width, double x) {
  const std::size_t n = std::min(xs.size(), ys.size());
  if (n == 0) return 0;
  // An empty list (first frequency not above 0) has nothing to interpolate.
  if (x < xs[0] || !(xs[0] > 0)) return ys[0];
  const std::size_t k = FindSegment(xs.first(n), x);
  double v;
  if (k < n && xs[k] > 0) {
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
    for (std::size_t l = 0; l < n && xs[l] > 0; ++l) {
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

double InterpolatePhase(std::span<const double> xs, std::span<const double> ps, double x) {
  const std::size_t n = std::min(xs.size(), ps.size());
  if (n == 0) return 0;
  if (x < xs[0] || !(xs[0] > 0)) return ps[0];
  const std::size_t k = FindSegment(xs.first(n), x);
  if (k >= n || xs[k] <= 0) return ps[k - 1];
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
