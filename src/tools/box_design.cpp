#include "tools/box_design.h"

#include <cmath>
#include <numbers>

#include "model/number_text.h"

namespace sonvex {

namespace {

std::string N(double x, int w = 5, std::string_view unit = {}) { return ResultText(x, w, unit); }
double P(const std::string& text) { return StrToDoubleLenient(text); }

void AddIncomplete(TResultLines& lines) {
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
constexpr double kPortK = kSpeedOfSound * kSpeedOfSound / (4.0 * std::numbers::pi * std::numbers::pi);
// The share of the port volume that counts against the box volume.
constexpr double kPortShare = 0.36338022763241865692;

void AddMeasuresMakeNoSense(TResultLines& lines) {
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

TEffectiveQts EffectiveQts(double qts, bool useRv, double rdc, double rv) {
  TEffectiveQts r{qts, false};
  if (useRv) {
    if (rdc > 0)
      r.q = qts * (rdc + rv) / rdc;
    else
      r.clearRv = true;
  }
  return r;
}

TResultLines ClosedBoxLines(double q, double fs, double vas, double qtc) {
  TResultLines lines;
  if (!Complete(q, fs, vas)) {
    AddIncomplete(lines);
    return lines;
  }
  if (qtc > q) {
    const double r = qtc / q;
    const double vb = vas / (r * r - 1.0);
    const double fc = fs * std::sqrt(vas / vb + 1.0);
    lines.push_back("Berechnetes Volumen: " + N(vb, 6, " Liter"));
    lines.push_back("Resonanzfrequenz des eingebauten Chassis: " + N(fc, 5, " Hz"));
  } else {
    lines.emplace_back("Auslegung nicht möglich, da Qts oder Rv zu hoch.");
  }
  return lines;
}

TResultLines VentedBoxLines(double q, double fs, double vas) {
  TResultLines lines;
  if (!Complete(q, fs, vas)) {
    AddIncomplete(lines);
    return lines;
  }
  const double vb = 15.2 * vas * std::pow(q, 2.87);
  const double f3 = 0.26 * fs / std::pow(q, 1.41);
  const double fb = 0.42 * fs / std::pow(q, 0.9);
  lines.push_back("Volumen: " + N(vb, 6, " Liter"));
  lines.push_back("Grenzfrequenz: " + N(f3, 5, " Hz"));
  lines.push_back("Abstimmfrequenz: " + N(fb, 5, " Hz"));
  return lines;
}

TResultLines AltVolumeLines(double q, double fs, double vas, double altV) {
  TResultLines lines;
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
  lines.push_back("Grenzfrequenz: " + N(f3, 5, " Hz"));
  lines.push_back("Abstimmfrequenz: " + N(fb, 5, " Hz"));
  lines.push_back("\"Ripple\": " + N(ripple, 5, " dB"));
  return lines;
}

TBoxPageResult BoxPageLines(const TBoxPage& page) {
  const TEffectiveQts eq = EffectiveQts(P(page.qts), page.useRv, P(page.rdc), P(page.rv));
  TBoxPageResult r;
  r.clearRv = eq.clearRv;
  const double fs = P(page.fs);
  const double vas = P(page.vas);
  r.closed = ClosedBoxLines(eq.q, fs, vas, P(page.qtcWunsch));
  r.vented = VentedBoxLines(eq.q, fs, vas);
  return r;
}

TResultLines AltVolumePageLines(const TBoxPage& page) {
  const TEffectiveQts eq = EffectiveQts(P(page.qts), page.useRv, P(page.rdc), P(page.rv));
  return AltVolumeLines(eq.q, P(page.fs), P(page.vas), P(page.altVab));
}

// ---------------------------------------------------------------- port

TPortInput PortInputFromPage(const TPortPage& page) {
  constexpr double cm = 0.01;
  TPortInput in;
  if (page.explicitVolume)
    in.volume = P(page.vb0) / 1000.0;
  else
    in.volume = P(page.b) * cm * P(page.h) * cm * P(page.t) * cm;
  in.damping = page.damping;
  in.rectangular = page.rectangular;
  in.c = P(page.c) * cm;
  in.e = P(page.e) * cm;
  in.d = P(page.d) * cm;
  in.tubes = page.tubes;
  in.l = P(page.l) * cm;
  in.g = P(page.g) * cm;
  in.f = P(page.f) * cm;
  in.k = P(page.k) * cm;
  in.i = P(page.i) * cm;
  in.j = P(page.j) * cm;
  return in;
}

TResultLines PortLines(const TPortInput& in) {
  TResultLines lines;
  const double v = in.volume;
  if (!(v > 0)) return lines;
  const double pi = std::numbers::pi;
  const double n = in.tubes;

  // cross-section and perimeter
  double s, u;
  if (in.rectangular) {
    s = in.c * in.e;
    u = 2.0 * (in.c + in.e);
  } else {
    s = n * in.d * in.d * pi / 4.0;
    u = n * in.d * pi;
  }

  // Net volume: for round ports the share of one tube is taken off, whatever
  // the tube count.
  const double vn =
      in.rectangular ? v - in.c * in.e * kPortShare * in.l : v - in.d * in.d * kPortShare / 4.0 * pi * in.l;
  const double p = in.damping;
  const double va = vn * (1.0 + 0.0375 * p + 0.00625 * p * p);
  if (N(v * 1000.0, 6) == kNotMeaningfulText || N(vn * 1000.0, 6) == kNotMeaningfulText ||
      N(va * 1000.0, 6) == kNotMeaningfulText) {
    AddMeasuresMakeNoSense(lines);
    return lines;
  }
  lines.push_back("Nettovolumen incl. Kanal: " + N(v * 1000.0, 6, " Liter"));
  lines.push_back("Errechnetes geometrisches Volumen: " +
                  N(vn * 1000.0, 6, " Liter (abzügl. anteiligem Kanalvolumen)"));
  lines.push_back("Errechnetes akustisches Volumen: " + N(va * 1000.0, 6, " Liter"));

  // checks
  const std::string cannot = "Sonvex kann die Abstimmung nicht berechnen, da der";
  bool failed = false;
  const double portVolume = in.rectangular ? in.c * in.e * in.l : in.d * in.d / 4.0 * pi * in.l;
  if (portVolume > v) {
    lines.push_back(cannot);
    lines.emplace_back("Kanal größer ist als das angegebene Volumen incl. Kanal.");
    failed = true;
  }
  if (!in.rectangular && in.d / 3.0 > in.g) {
    lines.push_back(cannot);
    lines.emplace_back("Abstand des Rohrs zur Rückwand zu klein ist.");
    failed = true;
  }
  if (in.rectangular && in.g * u < s) {
    lines.push_back(cannot);
    lines.emplace_back("Abstand des Kanals zur Rückwand zu klein ist.");
    failed = true;
  }
  // A round port of diameter 0 (or below) and a negative port length have no
  // tuning either: they get the same lines as a rectangular port whose
  // measures make no sense, rather than a result that is not a number.
  if (s * u <= 0 || in.l < 0 || !(in.rectangular || in.d > 0)) {
    AddMeasuresMakeNoSense(lines);
    failed = true;
  }
  if (in.i < 0 || in.j < 0 || in.k < 0 || in.f < 0) {
    lines.push_back(cannot);
    lines.emplace_back("Abstand des Kanals zu einer Wand (Maße i, j, k, f) nicht");
    lines.emplace_back("kleiner als 0 sein kann.");
    failed = true;
  }
  if (!(in.i + in.j + in.k + in.f > 0)) {
    lines.push_back(cannot);
    lines.emplace_back("Abstand des Kanals zu mindestens einer Wand ");
    lines.emplace_back("(Maße i, j, k, f) größer als 0 sein muss.");
    failed = true;
  }
  if (failed) return lines;

  // End correction, shortened where the port mouth is close to a wall.
  double t = 1.228 * s / u;
  double ue = u;
  struct TWall {
    double distance;
    double width;
  };
  const TWall walls[4] = {
      {in.f, in.rectangular ? in.e : in.d / 2.0},  // floor
      {in.k, in.rectangular ? in.e : in.d / 2.0},  // top
      {in.i, in.rectangular ? in.c : in.d / 2.0},  // left
      {in.j, in.rectangular ? in.c : in.d / 2.0},  // right
  };
  for (const TWall& w : walls) {
    if (w.distance < t) {
      const double x = 1.0 - w.distance / t;
      ue -= x * x * w.width;
    }
  }
  t = 1.228 * s / ue;

  double fb0;
  if (in.rectangular) {
    // The inner end close to the opposite wall lengthens the end correction.
    if (in.g < t) t = t * (1.0 + 0.5 * (t - in.g) / t);
    fb0 = std::sqrt(kPortK * s / ((1.7 * s / u + in.l + t) * va));
  } else {
    const double f1 = std::sqrt(kPortK * s / ((1.7 * s / u + in.l + t) * va));
    const double f2 = std::sqrt(kPortK * u / (3.4 * va));
    const double f3 = 1.0 / std::sqrt(1.0 / (f1 * f1) + 1.0 / (f2 * f2));
    fb0 = in.g < in.d ? (in.g / in.d) * f1 + (1.0 - in.g / in.d) * f3 : f1;
  }

  // mean wall distance
  double jm;
  if (in.rectangular) {
    const double sum = in.i + in.j + in.f + in.k + in.g;
    jm = sum > 0 ? (in.i * in.i + in.j * in.j + in.f * in.f + in.k * in.k + in.g * in.g) / sum : in.l + in.g;
  } else {
    jm = (in.i * in.i + in.j * in.j + in.f * in.f + in.k * in.k) / (in.i + in.j + in.f + in.k);
  }
  const double fb = 1.0 / (1.0 / fb0 + 1.5 * jm / kSpeedOfSound);
  // Measures far apart in size (a port mouth of 1e-300 cm, walls of 1e300
  // cm) leave no tuning: the end correction can lose all of the perimeter.
  if (N(fb) == kNotMeaningfulText) {
    AddMeasuresMakeNoSense(lines);
    return lines;
  }
  lines.push_back("fb = " + N(fb, 5, " Hz"));
  return lines;
}

}  // namespace sonvex
