#include "acoustics/enclosure.h"

#include <cmath>

#include "numeric/constants.h"

namespace sonvex {

namespace {

constexpr double kFourPiSq = 39.47841760435743;  // 4π²

// Volume increase factor from a weighted damping level.
double VolumeFactor(double x) { return 1 + 0.0375 * x + 0.00625 * x * x; }

}  // namespace

void DeriveChassisValues(const TThieleSmall& ts, const TEinbau& e, double f, TChassisDerived& d) {
  const double fs = ts.fs, Qes = ts.Qes, Qms = ts.Qms, Vas = ts.Vas, Re = ts.Re, Amem = ts.Amem;
  const int typ = e.Typ;

  // Air load of the enclosure lowers the resonance towards low frequencies;
  // the box volume stiffens the suspension by the factor a.
  d.Vab = Vas;
  double mbf = 1;
  double a = 1;
  if (typ != 0) {
    if (f > 0) mbf = 1 - (1 - e.mb) * (e.fmb * e.fmb) / (e.fmb * e.fmb + f * f);
    d.Vab = e.Vb * e.vV;
    a = d.Vab > 0 ? std::sqrt(Vas / d.Vab + 1) : kOpenMarker;
  }
  if (typ == 3 || typ == 4) d.Vabf = e.Vbf * e.vVf;

  d.Qesbg = Qes / mbf;
  d.Qmsbg = Qms / mbf;
  if (Qes > 0 && Qms > 0) {
    d.Qts = Qms * Qes / (Qms + Qes);
    d.Qtsbg = d.Qmsbg * d.Qesbg / (d.Qmsbg + d.Qesbg);
  } else {
    d.Qts = 0;
    d.Qtsbg = 0;
  }
  d.fsbg = fs * mbf;
  d.fc = d.fsbg * a;
  d.Qec = d.Qesbg * a;

  if (typ == 0)
    d.Qmc = Qms;
  else if (d.Qmsbg > 0 && e.Ql > 0)
    d.Qmc = 1 / (1 / e.Ql + 1 / (d.Qmsbg * a));
  else
    d.Qmc = 0;
  d.Qtc = d.Qmc * d.Qec > 0 ? d.Qmc * d.Qec / (d.Qmc + d.Qec) : 0;

  // Mechanical values.
  d.Cmd = Amem > 0 ? 7.21e-6 * Vas / (Amem * Amem) : 0;
  d.Mmd = (fs > 0 && d.Cmd > 0) ? 1 / (kFourPiSq * fs * fs * d.Cmd) : 0;
  d.Rmd = 0;
  d.Bl = (fs > 0 && d.Cmd > 0 && Qes > 0) ? std::sqrt(Re / 2 / kPi / fs / d.Cmd / Qes) : 0;
  d.SPL = (fs > 0 && Vas > 0 && Qes > 0 && Re > 0)
              ? 10 * std::log10((8 / Re) * 9.64e-7 * fs * fs * fs * Vas / Qes) + 112
              : 0;

  // The free chassis as seen from the voice coil.
  d.Rms = d.Qesbg > 0 ? Re * d.Qmsbg / d.Qesbg : kOpenMarker;
  d.Cms = (Re > 0 && d.fsbg > 0) ? d.Qesbg / (kPi * Re * 2 * d.fsbg) : kOpenMarker;
  d.Lms = (d.Qesbg > 0 && d.fsbg > 0) ? Re / (kPi * d.Qesbg * 2 * d.fsbg) : kOpenMarker;

  // Absent enclosure elements.
  d.Rbr = d.Rab = d.Rbrf = d.Rabf = kOpenMarker;
  d.Cbr = d.Cbrf = kNoChamberCompliance;
  d.Lab = d.Labf = kNoChamberInductance;

  if (typ >= 1 && typ <= 4) {
    d.Rms = d.Qec > 0 ? Re * d.Qmc / d.Qec : 0;
    if (Vas > 0)
      d.Lab = (d.Vab / Vas) * d.Lms;
    else
      d.Lab = typ == 1 ? 0 : kOpenMarker;
  }

  // Rear port.
  if (typ == 2 || typ == 4) {
    const double fb = e.fb;
    if (fb > 0 && d.Lab > 0) {
      d.Cbr = 1 / (kFourPiSq * fb * fb * d.Lab);
      d.Rbr = kPi * e.Qk * 2 * fb * d.Lab;
      d.Rab = e.Qb > 0 ? kPi * (1 / e.Qb) * 2 * fb * d.Lab : kOpenMarker;
    } else {
      d.Cbr = kOpenMarker;
      if (typ == 4) {
        // The band-pass with two ports keeps the loss formulas here.
        d.Rbr = kPi * e.Qk * 2 * fb * d.Lab;
        d.Rab = e.Qb > 0 ? kPi * (1 / e.Qb) * 2 * fb * d.Lab : kOpenMarker;
      } else {
        d.Rbr = kZeroMarker;
        d.Rab = e.Qk <= 0 ? kOpenMarker : kZeroMarker;
      }
    }
  }

  // Front chamber.
  if (typ == 3 || typ == 4) {
    const double fbf = e.fbf;
    d.Labf = Vas > 0 ? (d.Vabf / Vas) * d.Lms : kOpenMarker;
    d.Cbrf = (fbf > 0 && d.Labf > 0) ? 1 / (kFourPiSq * fbf * fbf * d.Labf) : kOpenMarker;
    d.Rbrf = kPi * e.Qkf * 2 * fbf * d.Labf;
    d.Rabf = e.Qbf > 0 ? kPi * (1 / e.Qbf) * 2 * fbf * d.Labf : kOpenMarker;
  }
}

void DeriveChassisValues(TChassis& c, const TEinbau& e, double f) {
  DeriveChassisValues(ThieleSmallOf(c), e, f, c.derived);
}

void EstimateEnclosureLosses(const TChassis& c, TEinbau& e) {
  if (e.mbQExpl) return;
  const int t = e.Typ;
  const int bedv = e.Bedv, bedc = e.Bedc, bedk = e.Bedk, bedvf = e.Bedvf, bedkf = e.Bedkf;
  const bool closedRear = t == 1 || t == 3;
  const bool rearPort = t == 2 || t == 4;
  const bool frontChamber = t == 3 || t == 4;

  if (t != 0) {
    const double x = closedRear ? 0.85 * bedv + 0.15 * bedc : 0.8 * bedv + 0.1 * bedc + 0.1 * bedk;
    e.vV = VolumeFactor(x);
  } else {
    e.vV = 1;
  }

  if (t != 0) {
    const double x = 0.3 * bedv + 0.7 * bedc;
    const double m = 0.98 - 0.03 * x - 0.0075 * x * x;
    if (c.Amem > 0 && c.fs > 0 && c.Vas > 0) {
      const double movingMass = 1 / (kFourPiSq * c.fs * c.fs * 7.21e-6 * c.Vas / (c.Amem * c.Amem));
      e.mb = std::pow(m, c.Amem / (4 * movingMass));
    } else {
      e.mb = m;
    }
  } else {
    e.mb = 1;
  }

  if (e.Vb > 0 && c.Amem > 0) {
    const double v = static_cast<double>(3 * bedc + 1) / static_cast<double>(2 * bedc + bedv + 5);
    e.fmb = 85 / (v * std::sqrt(c.Amem / 4) + (1 - v) * 0.35 * std::pow(e.Vb, 0.33333));
  } else {
    e.fmb = 344;
  }

  if (t != 0) {
    const double x = closedRear ? 0.35 * bedv + 0.65 * bedc : 0.3 * bedv + 0.65 * bedc + 0.05 * bedk;
    e.Ql = 240 / (12 + 4 * x + x * x);
  } else {
    e.Ql = 9999;
  }

  if (rearPort) {
    const double x = 0.8 * bedv + 0.2 * bedc;
    e.Qb = 80 / (4 + 4 * x + x * x);
  } else {
    e.Qb = 9999;
  }

  e.vVf = frontChamber ? VolumeFactor(0.85 * bedvf + 0.15 * bedkf) : 1;
  e.Qbf = frontChamber ? 80.0 / (4 + 4 * bedvf + bedvf * bedvf) : 9999;
  e.Qk = rearPort ? 20.0 / (1 + 4 * bedk + 4 * bedk * bedk) : 9999;
  e.Qkf = frontChamber ? 20.0 / (1 + 4 * bedkf + 4 * bedkf * bedkf) : 9999;
}

void MeasurementEnclosure(TEinbau& e, int which) {
  auto testBox = [&e](double fmb) {
    if (e.Typ == 0) return;  // a chassis with its own back is measured as it is
    e.Typ = 1;
    e.Vb = 0.5;
    e.vV = 1.25;
    e.mb = 1;
    e.fmb = fmb;
    e.Ql = 8.5;
    e.mbQExpl = true;
  };
  switch (which) {
    case 1:  // infinite baffle
      e.Typ = 1;
      e.Vb = kOpenMarker;
      e.vV = 1;
      e.mb = 1;
      e.fmb = 1;
      e.Ql = 99999;
      e.mbQExpl = true;
      break;
    case 2:  // standard baffle on a 200 litre box
      e.Typ = 1;
      e.Vb = 0.2;
      e.vV = 1.1;
      e.mb = 0.99;
      e.fmb = 10;
      e.Ql = 99999;
      e.mbQExpl = true;
      break;
    case 3:  // test enclosure, small side
    case 6:
      testBox(400);
      break;
    case 4:  // test enclosure, large side
    case 7:
      testBox(600);
      break;
    default:  // 5: measured in the enclosure to be simulated
      break;
  }
}

TEnclosureNetwork EnclosureNetwork(int typ, const TChassisDerived& d, double omega) {
  TEnclosureNetwork n;
  const TComplex rms{d.Rms, 0};
  const TComplex zc{0, -1 / (omega * d.Cms)};
  const TComplex zlms{0, omega * d.Lms};
  const TComplex zlab{0, omega * d.Lab};

  // Rear port chamber: (Rbr ∥ 1/(jωCbr)) + Rab + jωLab.
  auto rearChamber = [&](TComplex& p) {
    p = CPar(TComplex{d.Rbr, 0}, TComplex{0, -1 / (omega * d.Cbr)});
    return CAdd3(p, TComplex{d.Rab, 0}, zlab);
  };
  // Front chamber: (Rbrf ∥ 1/(jωCbrf)) + Rabf + jωLabf.
  auto frontChamber = [&](TComplex& pf) {
    pf = CPar(TComplex{d.Rbrf, 0}, TComplex{0, -1 / (omega * d.Cbrf)});
    return CAdd3(pf, TComplex{d.Rabf, 0}, TComplex{0, omega * d.Labf});
  };

  switch (typ) {
    case 0:
      n.Zmot = CPar3(rms, zc, zlms);
      n.Tf = COne;
      break;
    case 1:
      n.Zmot = CPar(CPar(rms, zc), CPar(zlms, zlab));
      n.Tf = COne;
      break;
    case 2: {
      TComplex p;
      const TComplex zr = rearChamber(p);
      n.Zmot = CPar(CPar(rms, zc), CPar(zlms, zr));
      n.Tf = COne;
      n.Tr = CDiv(p, zr);
      n.hasRear = true;
      break;
    }
    case 3: {
      TComplex pf;
      const TComplex zf = frontChamber(pf);
      n.Zmot = CPar(CPar(CPar(rms, zc), CPar(zlms, zf)), zlab);
      n.Tf = CDiv(pf, zf);
      break;
    }
    case 4: {
      TComplex p, pf;
      const TComplex zr = rearChamber(p);
      const TComplex zf = frontChamber(pf);
      n.Zmot = CPar3(CPar3(rms, zc, zlms), zr, zf);
      n.Tf = CDiv(pf, zf);
      n.Tr = CDiv(p, zr);
      n.hasRear = true;
      break;
    }
    default:
      break;
  }
  return n;
}

}  // namespace sonvex
