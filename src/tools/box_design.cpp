#include "tools/box_design.h"

#include <cmath>
#include <numbers>

#include "model/number_text.h"

namespace sonvex {

namespace {

std::string ResultNumber(double x, int w = 5, std::string_view unit = {}) { return ResultText(x, w, unit); }
double LenientNumber(const std::string& text) { return StrToDoubleLenient(text); }

void AddIncomplete(ResultLines& lines) {
  lines.emplace_back("Daten unvollständig.");
  lines.emplace_back("Mindestens Qts, Vas und fs müssen eingegeben werden und");
  lines.emplace_back("größer als 0 sein.");
}

// The check is made on the Q that the formulas use: a negative series
// resistance could otherwise turn a positive Qts into a negative Q and give
// a volume that means nothing.
bool Complete(double q, double fs, double vas) { return q > 0 && fs > 0 && vas > 0; }

constexpr double kSpeedOfSound = 344.0;
// 344² / (4π²): the Helmholtz constant of the port formula.
constexpr double kHelmholtzConstant = kSpeedOfSound * kSpeedOfSound / (4.0 * std::numbers::pi * std::numbers::pi);
// The share of the port volume that counts against the box volume.
constexpr double kPortShare = 0.36338022763241865692;

void AddMeasuresMakeNoSense(ResultLines& lines) {
  lines.emplace_back("Sonvex kann die Abstimmung nicht berechnen, da die");
  lines.emplace_back("Maße des Kanals geometrisch nicht sinnvoll erscheinen.");
}

}  // namespace

std::string ResultText(double x, int w, std::string_view unit) {
  std::string text = FormatNumber(x, w);
  if (!std::isfinite(x) || text == "+inf" || text == "-inf") return std::string(kNotMeaningfulText);
  return text + std::string(unit);
}

std::string QtsFromQesQmsText(double qes, double qms) {
  if (!(qes * qms > 0)) return {};
  const double qts = qes * qms / (qes + qms);
  // The field is an input of the page: no "nicht sinnvoll" there.
  if (!std::isfinite(qts)) return {};
  return FormatNumber(qts, 5);
}

EffectiveQtsResult EffectiveQts(double qts, bool useRv, double rdc, double rv) {
  EffectiveQtsResult r{qts, false};
  if (useRv) {
    if (rdc > 0)
      r.q = qts * (rdc + rv) / rdc;
    else
      r.clearRv = true;
  }
  return r;
}

ResultLines ClosedBoxLines(double q, double fs, double vas, double qtc) {
  ResultLines lines;
  if (!Complete(q, fs, vas)) {
    AddIncomplete(lines);
    return lines;
  }
  if (qtc > q) {
    const double r = qtc / q;
    const double vb = vas / (r * r - 1.0);
    const double fc = fs * std::sqrt(vas / vb + 1.0);
    lines.push_back("Berechnetes Volumen: " + ResultNumber(vb, 6, " Liter"));
    lines.push_back("Resonanzfrequenz des eingebauten Chassis: " + ResultNumber(fc, 5, " Hz"));
  } else {
    lines.emplace_back("Auslegung nicht möglich, da Qts oder Rv zu hoch.");
  }
  return lines;
}

ResultLines VentedBoxLines(double q, double fs, double vas) {
  ResultLines lines;
  if (!Complete(q, fs, vas)) {
    AddIncomplete(lines);
    return lines;
  }
  const double vb = 15.2 * vas * std::pow(q, 2.87);
  const double f3 = 0.26 * fs / std::pow(q, 1.41);
  const double fb = 0.42 * fs / std::pow(q, 0.9);
  lines.push_back("Volumen: " + ResultNumber(vb, 6, " Liter"));
  lines.push_back("Grenzfrequenz: " + ResultNumber(f3, 5, " Hz"));
  lines.push_back("Abstimmfrequenz: " + ResultNumber(fb, 5, " Hz"));
  return lines;
}

ResultLines AltVolumeLines(double q, double fs, double vas, double altV) {
  ResultLines lines;
  if (!Complete(q, fs, vas)) {
    AddIncomplete(lines);
    return lines;
  }
  if (!(altV > 0)) {
    lines.emplace_back("Alternatives Volumen muss größer als 0 sein.");
    return lines;
  }
  const double x = vas / altV;
  const double f3 = fs * std::pow(x, 0.49);
  const double fb = fs * std::pow(x, 0.32);
  const double ripple = 20.0 * std::log10(std::pow(x, 0.3484) * q * 2.58);
  lines.push_back("Grenzfrequenz: " + ResultNumber(f3, 5, " Hz"));
  lines.push_back("Abstimmfrequenz: " + ResultNumber(fb, 5, " Hz"));
  lines.push_back("\"Ripple\": " + ResultNumber(ripple, 5, " dB"));
  return lines;
}

BoxPageResult BoxPageLines(const BoxPage& page) {
  const EffectiveQtsResult eq =
      EffectiveQts(LenientNumber(page.qts), page.useRv, LenientNumber(page.rdc), LenientNumber(page.rv));
  BoxPageResult r;
  r.clearRv = eq.clearRv;
  const double fs = LenientNumber(page.fs);
  const double vas = LenientNumber(page.vas);
  r.closed = ClosedBoxLines(eq.q, fs, vas, LenientNumber(page.desiredQtc));
  r.vented = VentedBoxLines(eq.q, fs, vas);
  return r;
}

ResultLines AltVolumePageLines(const BoxPage& page) {
  const EffectiveQtsResult eq =
      EffectiveQts(LenientNumber(page.qts), page.useRv, LenientNumber(page.rdc), LenientNumber(page.rv));
  return AltVolumeLines(eq.q, LenientNumber(page.fs), LenientNumber(page.vas), LenientNumber(page.altVolume));
}

// ---------------------------------------------------------------- port

PortInput PortInputFromPage(const PortPage& page) {
  constexpr double kCm = 0.01;
  PortInput in;
  if (page.explicitVolume)
    in.volume = LenientNumber(page.boxVolume) / 1000.0;
  else
    in.volume =
        LenientNumber(page.boxWidth) * kCm * LenientNumber(page.boxHeight) * kCm * LenientNumber(page.boxDepth) * kCm;
  in.damping = page.damping;
  in.rectangular = page.rectangular;
  in.portHeight = LenientNumber(page.portHeight) * kCm;
  in.portWidth = LenientNumber(page.portWidth) * kCm;
  in.portDiameter = LenientNumber(page.portDiameter) * kCm;
  in.tubes = page.tubes;
  in.portLength = LenientNumber(page.portLength) * kCm;
  in.rearWallDistance = LenientNumber(page.rearWallDistance) * kCm;
  in.floorDistance = LenientNumber(page.floorDistance) * kCm;
  in.topDistance = LenientNumber(page.topDistance) * kCm;
  in.leftWallDistance = LenientNumber(page.leftWallDistance) * kCm;
  in.rightWallDistance = LenientNumber(page.rightWallDistance) * kCm;
  return in;
}

ResultLines PortLines(const PortInput& in) {
  ResultLines lines;
  const double v = in.volume;
  if (!(v > 0)) return lines;
  const double pi = std::numbers::pi;
  const double n = in.tubes;

  // cross-section and perimeter
  double s, u;
  if (in.rectangular) {
    s = in.portHeight * in.portWidth;
    u = 2.0 * (in.portHeight + in.portWidth);
  } else {
    s = n * in.portDiameter * in.portDiameter * pi / 4.0;
    u = n * in.portDiameter * pi;
  }

  // Net volume: for round ports the share of one tube is taken off, whatever
  // the tube count.
  const double vn = in.rectangular ? v - in.portHeight * in.portWidth * kPortShare * in.portLength
                                   : v - in.portDiameter * in.portDiameter * kPortShare / 4.0 * pi * in.portLength;
  const double p = in.damping;
  const double va = vn * (1.0 + 0.0375 * p + 0.00625 * p * p);
  if (ResultNumber(v * 1000.0, 6) == kNotMeaningfulText || ResultNumber(vn * 1000.0, 6) == kNotMeaningfulText ||
      ResultNumber(va * 1000.0, 6) == kNotMeaningfulText) {
    AddMeasuresMakeNoSense(lines);
    return lines;
  }
  lines.push_back("Nettovolumen incl. Kanal: " + ResultNumber(v * 1000.0, 6, " Liter"));
  lines.push_back("Errechnetes geometrisches Volumen: " +
                  ResultNumber(vn * 1000.0, 6, " Liter (abzügl. anteiligem Kanalvolumen)"));
  lines.push_back("Errechnetes akustisches Volumen: " + ResultNumber(va * 1000.0, 6, " Liter"));

  // checks
  const std::string cannot = "Sonvex kann die Abstimmung nicht berechnen, da der";
  bool failed = false;
  const double portVolume = in.rectangular ? in.portHeight * in.portWidth * in.portLength
                                           : in.portDiameter * in.portDiameter / 4.0 * pi * in.portLength;
  if (portVolume > v) {
    lines.push_back(cannot);
    lines.emplace_back("Kanal größer ist als das angegebene Volumen incl. Kanal.");
    failed = true;
  }
  if (!in.rectangular && in.portDiameter / 3.0 > in.rearWallDistance) {
    lines.push_back(cannot);
    lines.emplace_back("Abstand des Rohrs zur Rückwand zu klein ist.");
    failed = true;
  }
  if (in.rectangular && in.rearWallDistance * u < s) {
    lines.push_back(cannot);
    lines.emplace_back("Abstand des Kanals zur Rückwand zu klein ist.");
    failed = true;
  }
  // A round port of diameter 0 (or below) and a negative port length have no
  // tuning either: they get the same lines as a rectangular port whose
  // measures make no sense, rather than a result that is not a number.
  if (s * u <= 0 || in.portLength < 0 || !(in.rectangular || in.portDiameter > 0)) {
    AddMeasuresMakeNoSense(lines);
    failed = true;
  }
  if (in.leftWallDistance < 0 || in.rightWallDistance < 0 || in.topDistance < 0 || in.floorDistance < 0) {
    lines.push_back(cannot);
    lines.emplace_back("Abstand des Kanals zu einer Wand (Maße i, j, k, f) nicht");
    lines.emplace_back("kleiner als 0 sein kann.");
    failed = true;
  }
  if (!(in.leftWallDistance + in.rightWallDistance + in.topDistance + in.floorDistance > 0)) {
    lines.push_back(cannot);
    lines.emplace_back("Abstand des Kanals zu mindestens einer Wand ");
    lines.emplace_back("(Maße i, j, k, f) größer als 0 sein muss.");
    failed = true;
  }
  if (failed) return lines;

  // End correction, shortened where the port mouth is close to a wall.
  double t = 1.228 * s / u;
  double ue = u;
  struct Wall {
    double distance;
    double width;
  };
  const Wall walls[4] = {
      {in.floorDistance, in.rectangular ? in.portWidth : in.portDiameter / 2.0},       // floor
      {in.topDistance, in.rectangular ? in.portWidth : in.portDiameter / 2.0},         // top
      {in.leftWallDistance, in.rectangular ? in.portHeight : in.portDiameter / 2.0},   // left
      {in.rightWallDistance, in.rectangular ? in.portHeight : in.portDiameter / 2.0},  // right
  };
  for (const Wall& w : walls) {
    if (w.distance < t) {
      const double x = 1.0 - w.distance / t;
      ue -= x * x * w.width;
    }
  }
  t = 1.228 * s / ue;

  double fb0;
  if (in.rectangular) {
    // The inner end close to the opposite wall lengthens the end correction.
    if (in.rearWallDistance < t) t = t * (1.0 + 0.5 * (t - in.rearWallDistance) / t);
    fb0 = std::sqrt(kHelmholtzConstant * s / ((1.7 * s / u + in.portLength + t) * va));
  } else {
    const double f1 = std::sqrt(kHelmholtzConstant * s / ((1.7 * s / u + in.portLength + t) * va));
    const double f2 = std::sqrt(kHelmholtzConstant * u / (3.4 * va));
    const double f3 = 1.0 / std::sqrt(1.0 / (f1 * f1) + 1.0 / (f2 * f2));
    fb0 = in.rearWallDistance < in.portDiameter
              ? (in.rearWallDistance / in.portDiameter) * f1 + (1.0 - in.rearWallDistance / in.portDiameter) * f3
              : f1;
  }

  // mean wall distance
  double jm;
  if (in.rectangular) {
    const double sum =
        in.leftWallDistance + in.rightWallDistance + in.floorDistance + in.topDistance + in.rearWallDistance;
    jm = sum > 0 ? (in.leftWallDistance * in.leftWallDistance + in.rightWallDistance * in.rightWallDistance +
                    in.floorDistance * in.floorDistance + in.topDistance * in.topDistance +
                    in.rearWallDistance * in.rearWallDistance) /
                       sum
                 : in.portLength + in.rearWallDistance;
  } else {
    jm = (in.leftWallDistance * in.leftWallDistance + in.rightWallDistance * in.rightWallDistance +
          in.floorDistance * in.floorDistance + in.topDistance * in.topDistance) /
         (in.leftWallDistance + in.rightWallDistance + in.floorDistance + in.topDistance);
  }
  const double fb = 1.0 / (1.0 / fb0 + 1.5 * jm / kSpeedOfSound);
  // Measures far apart in size (a port mouth of 1e-300 cm, walls of 1e300
  // cm) leave no tuning: the end correction can lose all of the perimeter.
  if (ResultNumber(fb) == kNotMeaningfulText) {
    AddMeasuresMakeNoSense(lines);
    return lines;
  }
  lines.push_back("fb = " + ResultNumber(fb, 5, " Hz"));
  return lines;
}

}  // namespace sonvex
