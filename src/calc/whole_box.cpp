#include "calc/whole_box.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <string>

#include "numeric/constants.h"

namespace sonvex {

namespace {

constexpr const char* kGesamtFail = "Fehler: Gesamtbox kann nicht berechnet werden.";

// The limits of one chassis (its excursion and power limit) come from its own
// data: an xlin, Sd or rated power far out of scale makes them overflow, and
// the message then names that chassis rather than the whole box.
std::string ChassisLimitFail(int c) {
  return "Fehler: Maximale Spannung von Chassis " + std::to_string(c + 1) + " kann nicht berechnet werden.";
}

// The baffle-plane directions 22..29 lie on the perimeter at these angles,
// counted from up towards the left.
constexpr std::array<double, 8> kPlaneAngleDeg{30, 60, 120, 150, 210, 240, 300, 330};

}  // namespace

double PositionPath(int k, double x, double y, double z) {
  if (k >= 22) {
    // Directions in the baffle plane: the depth does not enter; the path
    // difference is the position projected onto the direction, which points
    // (-sin a, cos a) for the perimeter angle a from up towards the left.
    const double ang =
        kPlaneAngleDeg[static_cast<std::size_t>(k - 22) % kPlaneAngleDeg.size()] / 180.0 * std::numbers::pi;
    return -x * std::sin(ang) + y * std::cos(ang);
  }
  // Directions 0..21: 30° steps towards up, left, down, right; 21 is the rear.
  const int q = (k + 3) / 4;
  const int side = (k + 3) % 4;
  const double theta = q * 30.0 / 180.0 * std::numbers::pi;
  const double zc = z * std::cos(theta);
  const double st = std::sin(theta);
  switch (side) {
    case 0:
      return zc + y * st;
    case 1:
      return zc - x * st;
    case 2:
      return zc - y * st;
    default:
      return zc + x * st;
  }
}

double PositionPhase(int k, double f, double x, double y, double z) {
  return PositionPath(k, x, y, z) * (-2.0 * kPi * f / kSpeedOfSound);
}

std::string GesamtItem(const TProjekt& p, TResult& r) {
  const int nChassis = ChassisInUse(p);
  // Path terms of every chassis position and direction; the phase at a
  // frequency is the path term times -2 pi f / 344.
  std::array<std::array<double, kDirections>, kChassisSlots> pathFront{};
  std::array<std::array<double, kDirections>, kChassisSlots> pathRear{};
  for (int c = 0; c < kChassisSlots; ++c) {
    const int u = r.AmpOfChassis[c];
    if (u >= kMaxAmps) return kGesamtFail;  // index out of range
    const TSchallwand& sw = p.Schallwand[c];
    for (int k = 0; k < kDirections; ++k) {
      pathFront[c][k] = PositionPath(k, sw.hor, sw.vert, sw.stra);
      pathRear[c][k] = PositionPath(k, sw.horr, sw.vertr, sw.strar);
    }
  }

  for (int i = 0; i < kFreqEntries && p.freq[i] > 0; ++i) {
    const double f = p.freq[i];

    // A. Pressure at the excursion limit, per chassis.
    for (int c = 0; c < nChassis; ++c) {
      const double hub = r.ChHub[c][i];
      if (hub == 0.0) continue;
      const TComplex s =
          CAdd(CMul(r.DirFront[c][i][0], r.ChFrontSim[c][i]), CMul(r.DirRear[c][i][0], r.ChRearSim[c][i]));
      r.MaxP[c][i] = CAbs(s) * p.Chassis[c].xlin / 2.0 / hub / 2.828 * 3.7 * 0.8;
    }
    for (int c = nChassis; c < kChassisSlots; ++c) r.MaxP[c][i] = 1e-50;

    // B, C. Contributions and their sums.
    TDirRow& box = r.BoxP[i];
    box.fill(CZero);
    TComplex tiltDown = CZero;
    TComplex tiltUp = CZero;
    const double t = f * 2.0 * kPiShort * 0.017455 / 345.0;
    const double w = -2.0 * kPi * f / kSpeedOfSound;
    for (int c = 0; c < kChassisSlots; ++c) {
      const int u = r.AmpOfChassis[c];
      TDirRow& front = r.ContribFront[c][i];
      TDirRow& rear = r.ContribRear[c][i];
      if (u < 0) {
        front.fill(CZero);
        rear.fill(CZero);
        continue;  // adds nothing to the sums
      }
      const TSchallwand& sw = p.Schallwand[c];
      const TComplex fr = CMul(r.ChFront[c][i], r.FilterResp[u][i]);
      const TComplex rr = CMul(r.ChRear[c][i], r.FilterResp[u][i]);
      const TComplex cu = r.ChassisU[c][i];
      for (int k = 0; k < kDirections; ++k) {
        front[k] = CRotate(CMul(fr, CMul(r.DirFront[c][i][k], cu)), pathFront[c][k] * w);
        rear[k] = CRotate(CMul(rr, CMul(r.DirRear[c][i][k], cu)), pathRear[c][k] * w);
        box[k] = CAdd(CAdd(box[k], front[k]), rear[k]);
      }
      tiltDown = CAdd(tiltDown, CAdd(CRotate(front[0], t * sw.vert), CRotate(rear[0], t * sw.vertr)));
      tiltUp = CAdd(tiltUp, CAdd(CRotate(front[0], -t * sw.vert), CRotate(rear[0], -t * sw.vertr)));
    }
    r.BoxTiltDown[i] = tiltDown;
    r.BoxTiltUp[i] = tiltUp;

    // D. Voltage limits: excursion first, then rated power.
    double maxU = 1e10;
    for (int c = 0; c < kChassisSlots; ++c) {
      r.MaxUChassis[c][i] = 1e10;
      const int u = r.AmpOfChassis[c];
      if (u < 0) continue;
      const TChassis& ch = p.Chassis[c];
      const double e = CAbs(CAdd(r.ContribFront[c][i][0], r.ContribRear[c][i][0]));
      double limit = e != 0.0 ? r.MaxP[c][i] / e * 2.828 : 1e50;
      r.MaxUExc[c][i] = limit;
      const double us = CAbs(CMul(r.ChassisU[c][i], r.FilterResp[u][i])) + 1e-50;
      const double ur = std::sqrt(ch._PMax * ch._ZNenn);
      const double powerLimit = std::sqrt(ch._PMax * ch._ZNenn + 1e-50) / us;
      // A negative power or impedance is an invalid operation, not a limit.
      if (!std::isfinite(ur) || !std::isfinite(powerLimit)) return ChassisLimitFail(c);
      if (powerLimit < limit) {
        limit = ur / us + 1e-50;
        r.MaxP[c][i] = ur * e / 2.83 / us;
      }
      r.MaxUChassis[c][i] = limit;
      if (limit < maxU) maxU = limit;
    }
    r.MaxU[i] = maxU;

    // E, F. Box level at the limit and directivity ratio.
    r.MaxP[9][i] = CAbs(box[0]) * maxU / 2.828;
    double m = 0.0;
    for (int k = 0; k < kDirections; ++k) {
      const double a = CAbs(box[k]);
      m += a * a;
    }
    m = m / 30.0 + 1e-20;
    const double a0 = CAbs(box[0]);
    r.DirIdx[i] = std::sqrt(a0 * a0 / m);

    // A fault anywhere at this grid index shows in the sums and limits. With
    // finite sums, a limit that is not finite is that chassis's own.
    bool finite = std::isfinite(r.DirIdx[i]) && CIsFinite(tiltDown) && CIsFinite(tiltUp) &&
                  std::isfinite(r.MaxP[kChassisSlots][i]);
    for (int k = 0; k < kDirections; ++k) finite = finite && CIsFinite(box[k]);
    if (!finite) return kGesamtFail;
    for (int c = 0; c < kChassisSlots; ++c) {
      if (!std::isfinite(r.MaxP[c][i]) || !std::isfinite(r.MaxUChassis[c][i]) || !std::isfinite(r.MaxUExc[c][i]))
        return ChassisLimitFail(c);
    }
  }
  return "OK";
}

}  // namespace sonvex
