#include "tools/crossover_design.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "model/number_text.h"

namespace sonvex {

namespace {

std::string ResultNumber(double x, int w = 5, std::string_view unit = {}) { return ResultText(x, w, unit); }
double LenientNumber(const std::string& text) { return StrToDoubleLenient(text); }

std::string MilliHenry(double henry) { return ResultNumber(henry * 1000.0, 5, " mH"); }
std::string MicroFarad(double farad) { return ResultNumber(farad * 1e6, 5, " µF"); }

double Parallel(double x, double y) { return 1.0 / (1.0 / x + 1.0 / y); }

}  // namespace

// ---------------------------------------------------------------- crossovers

StandardCrossoverLines StandardCrossovers(double fT, double rl, double rh) {
  StandardCrossoverLines x;
  // Each of the three must be positive: two negative inputs would make the
  // product positive and give negative coils and capacitors.
  if (!(fT > 0 && rl > 0 && rh > 0)) return x;
  const double w = 2.0 * std::numbers::pi * fT;
  const double sq2 = std::numbers::sqrt2;
  auto& lowPass = x.lowPass;
  auto& highPass = x.highPass;

  lowPass[0] = {"Butterworth:", "L = " + MilliHenry(rl / w)};
  highPass[0] = {"Butterworth:", "C = " + MicroFarad(1.0 / (rh * w))};

  const double l1 = sq2 * rl / w, c1 = 1.0 / (sq2 * rl * w);
  lowPass[1] = {"Butterworth (Q=0,707):", "L1 = " + MilliHenry(l1),       "C1 = " + MicroFarad(c1),
                "Linkwitz (Q=0,5):",      "L1 = " + MilliHenry(sq2 * l1), "C1 = " + MicroFarad(c1 / sq2)};
  const double l2 = sq2 * rh / w, c2 = 1.0 / (sq2 * rh * w);
  highPass[1] = {"Butterworth (Q=0,707):", "L2 = " + MilliHenry(l2),       "C2 = " + MicroFarad(c2),
                 "Linkwitz (Q=0,5):",      "L2 = " + MilliHenry(sq2 * l2), "C2 = " + MicroFarad(c2 / sq2)};

  lowPass[2] = {"Butterworth:", "L1 = " + MilliHenry(1.5 * rl / w), "L2 = " + MilliHenry(0.5 * rl / w),
                "C1 = " + MicroFarad((4.0 / 3.0) / (rl * w))};
  highPass[2] = {"Butterworth:", "L3 = " + MilliHenry(0.75 * rh / w), "C2 = " + MicroFarad((2.0 / 3.0) / (rh * w)),
                 "C3 = " + MicroFarad(2.0 / (rh * w))};

  // Fourth order: the two coils on one line, the two capacitors on the next.
  auto coils = [&](const char* a, double la, const char* b, double lb) {
    return std::string(a) + MilliHenry(la) + "; " + b + MilliHenry(lb);
  };
  auto caps = [&](const char* a, double ca, const char* b, double cb) {
    return std::string(a) + MicroFarad(ca) + "; " + b + MicroFarad(cb);
  };
  lowPass[3] = {"Butterworth:",
                coils("L1 = ", 1.5305839408289472 * rl / w, "L2 = ", 1.0825928284270427 * rl / w),
                caps("C1 = ", 1.5770795121020762 / (rl * w), "C2 = ", 0.3826459852072368 / (rl * w)),
                "Linkwitz-Riley:",
                coils("L1 = ", 1.8856 * rl / w, "L2 = ", 0.94281 * rl / w),
                caps("C1 = ", 1.591 / (rl * w), "C2 = ", 0.35355 / (rl * w))};
  highPass[3] = {"Butterworth:",
                 coils("L3 = ", 0.6339733974944203 * rh / w, "L4 = ", 2.61317676925599 * rh / w),
                 caps("C3 = ", 0.653451271946677 / (rh * w), "C4 = ", 0.9236282401553992 / (rh * w)),
                 "Linkwitz-Riley:",
                 coils("L3 = ", 0.6285355122564424 * rh / w, "L4 = ", 2.8284542497525105 * rh / w),
                 caps("C3 = ", 0.5303351718285957 / (rh * w), "C4 = ", 1.0606590935607387 / (rh * w))};
  return x;
}

// ---------------------------------------------------------------- attenuator

const std::vector<std::string>& AttenuationItems() {
  static const std::vector<std::string> kItems{
      "-0,5 dB", "-1 dB",   "-1,5dB", "-2 dB",   "-2,5 dB", "-3 dB",   "-3,5 dB", "-4 dB",   "-4,5 dB",
      "-5 dB",   "-5,5 dB", "-6 dB",  "-6,5 dB", "-7 dB",   "-7,5 dB", "-8 dB",   "-8,5 dB", "-9 dB",
      "-9,5 dB", "-10 dB",  "-11 dB", "-12 dB",  "-13 dB",  "-14 dB",  "-15 dB"};
  return kItems;
}

const std::array<double, 15>& AttenuatorResistors() {
  static const std::array<double, 15> kValues{0, 1, 1.5, 2.2, 3.3, 4.7, 6.8, 10, 15, 22, 33, 47, 68, 100, 1e10};
  return kValues;
}

ResultLines AttenuatorLines(std::string_view attenuationText, double ze, double rl, bool impedanceDoesNotMatter) {
  ResultLines lines;
  const double dB = NarrowToDouble(StrToFloatLenient(attenuationText));
  lines.push_back("dBWunsch = " + ResultNumber(dB, 6, " dB"));
  const double d = std::pow(10.0, dB / 20.0);
  if (!(ze > 0 && rl > 0)) return lines;

  // exact values (always for the given input impedance)
  const double r2 = 1.0 / (1.0 / (ze * d) - 1.0 / rl + 1e-20);
  const double r1 = ze * (1.0 - d);
  lines.emplace_back("Exakte Werte nach Vorgabe:");
  lines.push_back("R1 = " + ResultNumber(r1, 6, " Ohm"));
  if (std::fabs(r2) >= 1e10)
    lines.emplace_back("R2 = offen");
  else
    lines.push_back("R2 = " + ResultNumber(r2, 6, " Ohm"));
  if (r2 < 0 && !impedanceDoesNotMatter)
    lines.emplace_back("Achtung: Anschlussimpedanz nicht realisierbar, daher R2<0!");

  lines.emplace_back("");
  lines.emplace_back("Vorschläge bei Einsatz gängiger Widerstände:");

  // Widen the tolerances step by step until five suggestions are found; the
  // step that finds the fifth still adds all of its pairs.
  const auto& values = AttenuatorResistors();
  int suggestions = 0;
  for (int j = 0; j < 100 && suggestions < 5; ++j) {
    for (const double sr1 : values) {
      for (std::size_t k = 1; k < values.size(); ++k) {
        const double sr2 = values[k];
        const double p = Parallel(sr2, rl);
        const double zin = p + sr1;
        const double a = 20.0 * std::log10(p / zin);
        const bool impedanceFits =
            impedanceDoesNotMatter || (ze * (1.0 - 0.01 * j) < zin && zin < ze * (1.0 + 0.02 * j));
        if (!impedanceFits || !(std::fabs(a - dB) < 0.05 * j + 0.05)) continue;
        std::string line = "R1 = ";
        line += sr1 >= 10000 ? std::string("offen lassen; ") : ResultNumber(sr1) + " Ohm; ";
        line += "R2 = ";
        line += sr2 >= 10000 ? std::string("offen lassen ") : ResultNumber(sr2) + " Ohm ";
        line += "ergibt " + ResultNumber(a) + " dB Absenkung bei Anschlussimpedanz von " + ResultNumber(zin) + " Ohm.";
        if (std::find(lines.begin(), lines.end(), line) != lines.end()) continue;
        lines.push_back(std::move(line));
        ++suggestions;
      }
    }
  }
  return lines;
}

ResultLines DividerLines(double r1, double r2, double rl) {
  ResultLines lines;
  if (!(r1 > 0 && r2 > 0 && rl > 0)) return lines;
  const double p = Parallel(r2, rl);
  lines.push_back("Pegelabsenkung: " + ResultNumber(20.0 * std::log10(1.0 - r1 / (r1 + p)), 5, " dB"));
  lines.push_back("Anschlußimpedanz: " + ResultNumber(p + r1, 5, " Ohm"));
  return lines;
}

// ---------------------------------------------------------------- impedance correction

ImpedanceCorrectionLines ImpedanceCorrection(double rdc, double fc, double qes, double qms, double le) {
  ImpedanceCorrectionLines z;
  const double w = 2.0 * std::numbers::pi * fc;
  auto ohm = [](double r) { return ResultNumber(r, 5, " Ohm"); };
  const bool resonance = fc > 0 && rdc > 0 && qms > 0 && qes > 0;
  const bool inductance = le > 0 && rdc > 0;
  if (resonance)
    z.resonance = {"R = " + ohm(rdc * (1.0 + qes / qms)), "L = " + MilliHenry(qes * rdc / w),
                   "C = " + MicroFarad(1.0 / (w * qes * rdc))};
  if (inductance) z.inductance = {"R = " + ohm(rdc), "C = " + MicroFarad(le / (rdc * rdc))};
  if (resonance && inductance)
    z.both = {"R1 = " + ohm(rdc), "R2 = " + ohm(rdc * qes / qms), "L  = " + MilliHenry(qes * rdc / w),
              "C1 = " + MicroFarad(le / (rdc * rdc)), "C2 = " + MicroFarad(1.0 / (w * qes * rdc))};
  return z;
}

// ---------------------------------------------------------------- pages

StandardCrossoverLines CrossoverPageLines(const CrossoverPage& page) {
  return StandardCrossovers(LenientNumber(page.crossoverFreq), LenientNumber(page.wooferImpedance),
                            LenientNumber(page.tweeterImpedance));
}

ResultLines AttenuatorPageLines(const DividerPage& page) {
  return AttenuatorLines(page.desiredAttenuation, LenientNumber(page.inputImpedance), LenientNumber(page.loadImpedance),
                         page.impedanceDoesNotMatter);
}

ResultLines DividerPageLines(const DividerPage& page) {
  return DividerLines(LenientNumber(page.r1), LenientNumber(page.r2), LenientNumber(page.rl));
}

ImpedanceCorrectionLines ZobelPageLines(const ZobelPage& page) {
  return ImpedanceCorrection(LenientNumber(page.rdc), LenientNumber(page.fc), LenientNumber(page.qes),
                             LenientNumber(page.qms), LenientNumber(page.le) / 1000.0);
}

}  // namespace sonvex
