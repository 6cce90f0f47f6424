#include "acoustics/enclosure.h"

#include <cmath>

#include "numeric/constants.h"

namespace sonvex {

namespace {

constexpr double kFourPiSq = 39.47841760435743;  // 4π²

// Volume increase factor from a weighted damping level.
double VolumeFactor(double x) { return 1 + 0.0375 * x + 0.00625 * x * x; }

}  // namespace

void DeriveChassisValues(const ThieleSmall& ts, const Enclosure& enclosure, double f, ChassisDerived& d) {
  const double fs = ts.fs, Qes = ts.Qes, Qms = ts.Qms, Vas = ts.Vas, Re = ts.Re, Sd = ts.Sd;
  const int type = enclosure.type;

  // Air load of the enclosure lowers the resonance towards low frequencies;
  // the box volume stiffens the suspension by the factor a.
  d.Vab = Vas;
  double airLoadFactor = 1;
  double a = 1;
  if (type != 0) {
    if (f > 0)
      airLoadFactor = 1 - (1 - enclosure.airMassFactor) * (enclosure.airMassCornerFreq * enclosure.airMassCornerFreq) /
                              (enclosure.airMassCornerFreq * enclosure.airMassCornerFreq + f * f);
    d.Vab = enclosure.Vb * enclosure.volumeFactor;
    a = d.Vab > 0 ? std::sqrt(Vas / d.Vab + 1) : kOpenMarker;
  }
  if (type == 3 || type == 4) d.Vabf = enclosure.VbFront * enclosure.frontVolumeFactor;

  d.Qesbg = Qes / airLoadFactor;
  d.Qmsbg = Qms / airLoadFactor;
  if (Qes > 0 && Qms > 0) {
    d.Qts = Qms * Qes / (Qms + Qes);
    d.Qtsbg = d.Qmsbg * d.Qesbg / (d.Qmsbg + d.Qesbg);
  } else {
    d.Qts = 0;
    d.Qtsbg = 0;
  }
  d.fsbg = fs * airLoadFactor;
  d.fc = d.fsbg * a;
  d.Qec = d.Qesbg * a;

  if (type == 0)
    d.Qmc = Qms;
  else if (d.Qmsbg > 0 && enclosure.Ql > 0)
    d.Qmc = 1 / (1 / enclosure.Ql + 1 / (d.Qmsbg * a));
  else
    d.Qmc = 0;
  d.Qtc = d.Qmc * d.Qec > 0 ? d.Qmc * d.Qec / (d.Qmc + d.Qec) : 0;

  // Mechanical values.
  d.Cmd = Sd > 0 ? 7.21e-6 * Vas / (Sd * Sd) : 0;
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

  if (type >= 1 && type <= 4) {
    d.Rms = d.Qec > 0 ? Re * d.Qmc / d.Qec : 0;
    if (Vas > 0)
      d.Lab = (d.Vab / Vas) * d.Lms;
    else
      d.Lab = type == 1 ? 0 : kOpenMarker;
  }

  // Rear port.
  if (type == 2 || type == 4) {
    const double fb = enclosure.fb;
    if (fb > 0 && d.Lab > 0) {
      d.Cbr = 1 / (kFourPiSq * fb * fb * d.Lab);
      d.Rbr = kPi * enclosure.Qp * 2 * fb * d.Lab;
      d.Rab = enclosure.Qb > 0 ? kPi * (1 / enclosure.Qb) * 2 * fb * d.Lab : kOpenMarker;
    } else {
      d.Cbr = kOpenMarker;
      if (type == 4) {
        // The band-pass with two ports keeps the loss formulas here.
        d.Rbr = kPi * enclosure.Qp * 2 * fb * d.Lab;
        d.Rab = enclosure.Qb > 0 ? kPi * (1 / enclosure.Qb) * 2 * fb * d.Lab : kOpenMarker;
      } else {
        d.Rbr = kZeroMarker;
        d.Rab = enclosure.Qp <= 0 ? kOpenMarker : kZeroMarker;
      }
    }
  }

  // Front chamber.
  if (type == 3 || type == 4) {
    const double fbFront = enclosure.fbFront;
    d.Labf = Vas > 0 ? (d.Vabf / Vas) * d.Lms : kOpenMarker;
    d.Cbrf = (fbFront > 0 && d.Labf > 0) ? 1 / (kFourPiSq * fbFront * fbFront * d.Labf) : kOpenMarker;
    d.Rbrf = kPi * enclosure.QpFront * 2 * fbFront * d.Labf;
    d.Rabf = enclosure.QbFront > 0 ? kPi * (1 / enclosure.QbFront) * 2 * fbFront * d.Labf : kOpenMarker;
  }
}

void DeriveChassisValues(Chassis& c, const Enclosure& enclosure, double f) {
  DeriveChassisValues(ThieleSmallOf(c), enclosure, f, c.derived);
}

void DeriveChassisValues(Project& p) {
  for (int c = 0; c < kMaxChassis; ++c) {
    const auto slot = static_cast<std::size_t>(c);
    DeriveChassisValues(p.chassis[slot], p.enclosures[slot], 1e-10);
  }
}

void EstimateEnclosureLosses(const Chassis& c, Enclosure& enclosure) {
  if (enclosure.explicitValues) return;
  const int type = enclosure.type;
  const int dampingVolume = enclosure.dampingVolume, dampingNearChassis = enclosure.dampingNearChassis,
            dampingPort = enclosure.dampingPort, dampingFrontVolume = enclosure.dampingFrontVolume,
            dampingFrontPort = enclosure.dampingFrontPort;
  const bool closedRear = type == 1 || type == 3;
  const bool rearPort = type == 2 || type == 4;
  const bool frontChamber = type == 3 || type == 4;

  if (type != 0) {
    const double x = closedRear ? 0.85 * dampingVolume + 0.15 * dampingNearChassis
                                : 0.8 * dampingVolume + 0.1 * dampingNearChassis + 0.1 * dampingPort;
    enclosure.volumeFactor = VolumeFactor(x);
  } else {
    enclosure.volumeFactor = 1;
  }

  if (type != 0) {
    const double x = 0.3 * dampingVolume + 0.7 * dampingNearChassis;
    const double m = 0.98 - 0.03 * x - 0.0075 * x * x;
    if (c.Sd > 0 && c.fs > 0 && c.Vas > 0) {
      const double movingMass = 1 / (kFourPiSq * c.fs * c.fs * 7.21e-6 * c.Vas / (c.Sd * c.Sd));
      enclosure.airMassFactor = std::pow(m, c.Sd / (4 * movingMass));
    } else {
      enclosure.airMassFactor = m;
    }
  } else {
    enclosure.airMassFactor = 1;
  }

  if (enclosure.Vb > 0 && c.Sd > 0) {
    const double v = static_cast<double>(3 * dampingNearChassis + 1) /
                     static_cast<double>(2 * dampingNearChassis + dampingVolume + 5);
    enclosure.airMassCornerFreq = 85 / (v * std::sqrt(c.Sd / 4) + (1 - v) * 0.35 * std::pow(enclosure.Vb, 0.33333));
  } else {
    enclosure.airMassCornerFreq = 344;
  }

  if (type != 0) {
    const double x = closedRear ? 0.35 * dampingVolume + 0.65 * dampingNearChassis
                                : 0.3 * dampingVolume + 0.65 * dampingNearChassis + 0.05 * dampingPort;
    enclosure.Ql = 240 / (12 + 4 * x + x * x);
  } else {
    enclosure.Ql = 9999;
  }

  if (rearPort) {
    const double x = 0.8 * dampingVolume + 0.2 * dampingNearChassis;
    enclosure.Qb = 80 / (4 + 4 * x + x * x);
  } else {
    enclosure.Qb = 9999;
  }

  enclosure.frontVolumeFactor = frontChamber ? VolumeFactor(0.85 * dampingFrontVolume + 0.15 * dampingFrontPort) : 1;
  enclosure.QbFront =
      frontChamber ? 80.0 / (4 + 4 * dampingFrontVolume + dampingFrontVolume * dampingFrontVolume) : 9999;
  enclosure.Qp = rearPort ? 20.0 / (1 + 4 * dampingPort + 4 * dampingPort * dampingPort) : 9999;
  enclosure.QpFront = frontChamber ? 20.0 / (1 + 4 * dampingFrontPort + 4 * dampingFrontPort * dampingFrontPort) : 9999;
}

void MeasurementEnclosure(Enclosure& enclosure, int which) {
  auto testBox = [&enclosure](double fmb) {
    if (enclosure.type == 0) return;  // a chassis with its own back is measured as it is
    enclosure.type = 1;
    enclosure.Vb = 0.5;
    enclosure.volumeFactor = 1.25;
    enclosure.airMassFactor = 1;
    enclosure.airMassCornerFreq = fmb;
    enclosure.Ql = 8.5;
    enclosure.explicitValues = true;
  };
  switch (which) {
    case 1:  // infinite baffle
      enclosure.type = 1;
      enclosure.Vb = kOpenMarker;
      enclosure.volumeFactor = 1;
      enclosure.airMassFactor = 1;
      enclosure.airMassCornerFreq = 1;
      enclosure.Ql = 99999;
      enclosure.explicitValues = true;
      break;
    case 2:  // standard baffle on a 200 litre box
      enclosure.type = 1;
      enclosure.Vb = 0.2;
      enclosure.volumeFactor = 1.1;
      enclosure.airMassFactor = 0.99;
      enclosure.airMassCornerFreq = 10;
      enclosure.Ql = 99999;
      enclosure.explicitValues = true;
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

EnclosureNetworkResult EnclosureNetwork(int type, const ChassisDerived& d, double omega) {
  EnclosureNetworkResult n;
  const Complex rms{d.Rms, 0};
  const Complex zc{0, -1 / (omega * d.Cms)};
  const Complex zlms{0, omega * d.Lms};
  const Complex zlab{0, omega * d.Lab};

  // Rear port chamber: (Rbr ∥ 1/(jωCbr)) + Rab + jωLab.
  auto rearChamber = [&](Complex& p) {
    p = CPar(Complex{d.Rbr, 0}, Complex{0, -1 / (omega * d.Cbr)});
    return CAdd3(p, Complex{d.Rab, 0}, zlab);
  };
  // Front chamber: (Rbrf ∥ 1/(jωCbrf)) + Rabf + jωLabf.
  auto frontChamber = [&](Complex& pf) {
    pf = CPar(Complex{d.Rbrf, 0}, Complex{0, -1 / (omega * d.Cbrf)});
    return CAdd3(pf, Complex{d.Rabf, 0}, Complex{0, omega * d.Labf});
  };

  switch (type) {
    case 0:
      n.Zmot = CPar3(rms, zc, zlms);
      n.Tf = kComplexOne;
      break;
    case 1:
      n.Zmot = CPar(CPar(rms, zc), CPar(zlms, zlab));
      n.Tf = kComplexOne;
      break;
    case 2: {
      Complex p;
      const Complex zr = rearChamber(p);
      n.Zmot = CPar(CPar(rms, zc), CPar(zlms, zr));
      n.Tf = kComplexOne;
      n.Tr = CDiv(p, zr);
      n.hasRear = true;
      break;
    }
    case 3: {
      Complex pf;
      const Complex zf = frontChamber(pf);
      n.Zmot = CPar(CPar(CPar(rms, zc), CPar(zlms, zf)), zlab);
      n.Tf = CDiv(pf, zf);
      break;
    }
    case 4: {
      Complex p, pf;
      const Complex zr = rearChamber(p);
      const Complex zf = frontChamber(pf);
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
