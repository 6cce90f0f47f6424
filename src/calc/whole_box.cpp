#include "calc/whole_box.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <string>

#include "numeric/constants.h"

namespace sonvex {

namespace {

constexpr const char* kWholeBoxFailText = "Fehler: Gesamtbox kann nicht berechnet werden.";

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

std::string WholeBoxItem(const Project& p, CalcResult& r) {
  const int chassisCount = ChassisInUse(p);
  // Path terms of every chassis position and direction; the phase at a
  // frequency is the path term times -2 pi f / 344.
  std::array<std::array<double, kDirections>, kChassisSlots> pathFront{};
  std::array<std::array<double, kDirections>, kChassisSlots> pathRear{};
  for (int c = 0; c < kChassisSlots; ++c) {
    const int amp = r.ampOfChassis[c];
    if (amp >= kMaxAmps) return kWholeBoxFailText;  // index out of range
    const Baffle& baffle = p.baffles[c];
    for (int k = 0; k < kDirections; ++k) {
      pathFront[c][k] = PositionPath(k, baffle.horizontal, baffle.vertical, baffle.forward);
      pathRear[c][k] = PositionPath(k, baffle.rearHorizontal, baffle.rearVertical, baffle.rearForward);
    }
  }

  for (int i = 0; i < kFreqEntries && p.freq[i] > 0; ++i) {
    const double f = p.freq[i];

    // A. Pressure at the excursion limit, per chassis.
    for (int c = 0; c < chassisCount; ++c) {
      const double excursion = r.chassisExcursion[c][i];
      if (excursion == 0.0) continue;
      const Complex s = CAdd(CMul(r.directionsFront[c][i][0], r.chassisFrontSim[c][i]),
                             CMul(r.directionsRear[c][i][0], r.chassisRearSim[c][i]));
      r.maxPower[c][i] = CAbs(s) * p.chassis[c].xlin / 2.0 / excursion / 2.828 * 3.7 * 0.8;
    }
    for (int c = chassisCount; c < kChassisSlots; ++c) r.maxPower[c][i] = 1e-50;

    // B, C. Contributions and their sums.
    DirectionRow& box = r.boxPressure[i];
    box.fill(kComplexZero);
    Complex tiltDown = kComplexZero;
    Complex tiltUp = kComplexZero;
    const double t = f * 2.0 * kPiShort * 0.017455 / 345.0;
    const double w = -2.0 * kPi * f / kSpeedOfSound;
    for (int c = 0; c < kChassisSlots; ++c) {
      const int amp = r.ampOfChassis[c];
      DirectionRow& front = r.contributionFront[c][i];
      DirectionRow& rear = r.contributionRear[c][i];
      if (amp < 0) {
        front.fill(kComplexZero);
        rear.fill(kComplexZero);
        continue;  // adds nothing to the sums
      }
      const Baffle& baffle = p.baffles[c];
      const Complex filteredFront = CMul(r.chassisFront[c][i], r.filterResponse[amp][i]);
      const Complex filteredRear = CMul(r.chassisRear[c][i], r.filterResponse[amp][i]);
      const Complex chassisVoltage = r.chassisVoltageGain[c][i];
      for (int k = 0; k < kDirections; ++k) {
        front[k] = CRotate(CMul(filteredFront, CMul(r.directionsFront[c][i][k], chassisVoltage)), pathFront[c][k] * w);
        rear[k] = CRotate(CMul(filteredRear, CMul(r.directionsRear[c][i][k], chassisVoltage)), pathRear[c][k] * w);
        box[k] = CAdd(CAdd(box[k], front[k]), rear[k]);
      }
      tiltDown =
          CAdd(tiltDown, CAdd(CRotate(front[0], t * baffle.vertical), CRotate(rear[0], t * baffle.rearVertical)));
      tiltUp = CAdd(tiltUp, CAdd(CRotate(front[0], -t * baffle.vertical), CRotate(rear[0], -t * baffle.rearVertical)));
    }
    r.boxTiltDown[i] = tiltDown;
    r.boxTiltUp[i] = tiltUp;

    // D. Voltage limits: excursion first, then rated power.
    double maxVoltage = 1e10;
    for (int c = 0; c < kChassisSlots; ++c) {
      r.maxVoltageChassis[c][i] = 1e10;
      const int amp = r.ampOfChassis[c];
      if (amp < 0) continue;
      const Chassis& ch = p.chassis[c];
      const double e = CAbs(CAdd(r.contributionFront[c][i][0], r.contributionRear[c][i][0]));
      double limit = e != 0.0 ? r.maxPower[c][i] / e * 2.828 : 1e50;
      r.maxVoltageExcursion[c][i] = limit;
      const double voltageGain = CAbs(CMul(r.chassisVoltageGain[c][i], r.filterResponse[amp][i])) + 1e-50;
      const double ratedVoltage = std::sqrt(ch.maxPower * ch.nominalImpedance);
      const double powerLimit = std::sqrt(ch.maxPower * ch.nominalImpedance + 1e-50) / voltageGain;
      // A negative power or impedance is an invalid operation, not a limit.
      if (!std::isfinite(ratedVoltage) || !std::isfinite(powerLimit)) return ChassisLimitFail(c);
      if (powerLimit < limit) {
        limit = ratedVoltage / voltageGain + 1e-50;
        r.maxPower[c][i] = ratedVoltage * e / 2.83 / voltageGain;
      }
      r.maxVoltageChassis[c][i] = limit;
      if (limit < maxVoltage) maxVoltage = limit;
    }
    r.maxVoltage[i] = maxVoltage;

    // E, F. Box level at the limit and directivity ratio.
    r.maxPower[9][i] = CAbs(box[0]) * maxVoltage / 2.828;
    double m = 0.0;
    for (int k = 0; k < kDirections; ++k) {
      const double a = CAbs(box[k]);
      m += a * a;
    }
    m = m / 30.0 + 1e-20;
    const double a0 = CAbs(box[0]);
    r.directivityIndex[i] = std::sqrt(a0 * a0 / m);

    // A fault anywhere at this grid index shows in the sums and limits. With
    // finite sums, a limit that is not finite is that chassis's own.
    bool finite = std::isfinite(r.directivityIndex[i]) && CIsFinite(tiltDown) && CIsFinite(tiltUp) &&
                  std::isfinite(r.maxPower[kChassisSlots][i]);
    for (int k = 0; k < kDirections; ++k) finite = finite && CIsFinite(box[k]);
    if (!finite) return kWholeBoxFailText;
    for (int c = 0; c < kChassisSlots; ++c) {
      if (!std::isfinite(r.maxPower[c][i]) || !std::isfinite(r.maxVoltageChassis[c][i]) ||
          !std::isfinite(r.maxVoltageExcursion[c][i]))
        return ChassisLimitFail(c);
    }
  }
  return "OK";
}

}  // namespace sonvex
