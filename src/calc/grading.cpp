#include "calc/grading.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>
#include <string>
#include <system_error>

#include "model/number_text.h"

namespace sonvex {

namespace {

constexpr double kPi = std::numbers::pi;

double DeviationCost(double x) { return 3.0 * std::pow(std::abs(x), 1.5); }
double WeightU(double f) { return (f / (f + 100)) * (f / (f + 100)); }
double WeightG(double f) { return f * f * f / (f * f * f + 8e6) * 6.4e7 / (f * f + 6.4e7); }
double WeightV(double f) { return std::sqrt(f / (f + 100)) * 20000 / (20000 + f); }
double WeightUA(double f) { return f * f / (f * f + 16000) * 4.096e12 / (f * f * f + 4.096e12); }
double WeightUE(double f) { return f / (f + 200) * f * f / (f * f + 16000) * 5.12e11 / (f * f * f + 5.12e11); }
double WeightUS(double f) { return f * f / (f * f + 22500) * 7.29e11 / (f * f * f + 7.29e11); }
double WeightUB(double f) { return f * f / (f * f + 900) * 40000 / (f * f + 40000); }

// Mean of value(i) over the grid points with lo <= f <= hi; 0 becomes 1e-20.
template <typename F>
double BandMean(const CalcResult& r, int n, double lo, double hi, F value) {
  double sum = 0;
  double count = 0;
  for (int i = 0; i < n; ++i) {
    const double f = r.freq[i];
    if (f < lo || f > hi) continue;
    sum += value(i);
    count += 1;
  }
  const double m = sum / (count + 1e-20);
  return m == 0.0 ? 1e-20 : m;
}

}  // namespace

OptimizerParams OptimizerParamsFromSliders(const OptimizerSliders& s) {
  OptimizerParams p;
  p.Zmin = 8.0 * std::pow(0.5, s.zmin / 4.0);
  p.e = 1.0 - s.efficiency / 6.0;
  p.bass = std::pow(10.0, 0.1 * (3 - s.bass));
  p.treble = std::pow(10.0, 0.1 * (3 - s.treble));
  return p;
}

double TargetCurve(double f, double bass, double treble) {
  const double hp = (f * f + 1) / (f * f - 12 * f + 1088 / (bass + 0.001));
  const double shelf = (100 * bass + f) / (f + 100);
  const double high = (treble + 0.01) * (f + 15000) / (f + 15000 * treble);
  return hp * shelf * high;
}

GradeBlock ComputeGrades(const Project& p, const CalcResult& r, const OptimizerParams& params) {
  GradeBlock g{};
  const int n = std::clamp<int>(r.freqCount, 0, kFreqEntries - 1);
  const int ampCount = AmpsInUse(p);
  const int chassisCount = ChassisInUse(p);
  const double N = n;
  if (n == 0) return g;  // no grid, nothing to grade

  std::array<double, kFreqEntries> T{}, P0{}, P2{}, P4{}, D{};
  for (int i = 0; i < n; ++i) {
    T[i] = TargetCurve(r.freq[i], params.bass, params.treble);
    P0[i] = CAbs(r.boxPressure[i][0]);
    P2[i] = CAbs(r.boxPressure[i][2]);
    P4[i] = CAbs(r.boxPressure[i][4]);
    D[i] = r.directivityIndex[i];
  }
  auto onAxisContribution = [&](int c, int i) { return CAbs(r.contributionFront[c][i][0]); };

  // 1. Impedance grade: fourth-power mean of Zmin / Z per amplifier, the worst amplifier.
  double I = 0;
  for (int a = 0; a < ampCount; ++a) {
    double sum = 0;
    for (int i = 0; i < n; ++i) sum += std::pow(params.Zmin / (CAbs(r.ampImpedance[a][i]) + 0.001), 4);
    I = std::max(I, std::pow(sum / (N + 1e-20), 0.25));
  }

  // 2. Effective impedance: a soft minimum of all impedance magnitudes.
  double zs = 1e-10;
  for (int a = 0; a < ampCount; ++a)
    for (int i = 0; i < n; ++i) zs += std::pow(CAbs(r.ampImpedance[a][i]) + 1e-10, -16);
  const double zeff = std::pow(zs / (N + 1e-20) / std::max(ampCount, 1), -1.0 / 16);

  // 3. Mixed response relative to the target, 4. mean level.
  double sumGA = 0, sumG = 0;
  for (int i = 0; i < n; ++i) {
    const double f = r.freq[i];
    const double u = WeightU(f);
    double num = P0[i] * u + P2[i] * 0.33 * u + P4[i] * 0.33 * u;
    double den = u + 0.33 * u + 0.33 * u;
    if (D[i] > 0) {
      num += 2 * u * P0[i] / D[i];
      den += 2 * u;
    }
    const double A = den > 0 ? num / den / T[i] : 0.0;
    sumGA += WeightG(f) * A / T[i];
    sumG += WeightG(f);
  }
  double L = sumG > 0 ? sumGA / sumG : 0.0;

  // 5. Maximum-voltage measure and overload terms.
  double d = 0, umin = 999999, ex = 0, rs = 0;
  std::array<bool, kChassisSlots> small{};
  for (int c = 0; c < chassisCount; ++c)
    for (int o = 0; o < chassisCount; ++o)
      if (o != c && p.chassis[o].Sd > 1.1 * p.chassis[c].Sd) small[c] = true;
  for (int i = 0; i < n; ++i) {
    const double f = r.freq[i];
    const double U = r.maxVoltage[i];
    if (U > 0) {
      if (f > 40) umin = std::min(umin, U);
      d += (WeightV(f) / U) * (WeightV(f) / U);
    } else {
      d += 1e20;
    }
    if (f <= 40) continue;
    for (int c = 0; c < chassisCount; ++c) {
      if (!small[c]) continue;
      const double uc = r.maxVoltageExcursion[c][i];
      if (3 * umin > uc && uc > 0) ex = std::max(ex, (1.0 / 3 - umin / uc) * (1.0 / 3 - umin / uc) / (umin * umin));
      if (std::abs(1 - f / (p.chassis[c].derived.fc + 1e-10)) < 0.25) {
        const double s = onAxisContribution(c, i) / (P0[i] + 1e-20);
        if (s > 0.31) rs = std::max(rs, (s - 0.31) * (s - 0.31));
      }
    }
  }
  const double X1 = 200 * ex, X2 = 10 * rs, X = X1 + X2;
  if (d == 0) d = 1e-20;
  const double M = std::sqrt(N / d);
  if (L == 0) L = 1e-20;

  // 6. Efficiency grade. The 1 inside the logarithm keeps its argument above
  // 1, so the power is never taken of a negative number.
  const double W = 3 * std::pow(std::log10(0.12 / zeff / (L * L) / std::sqrt(M / std::sqrt(zeff) + 1e-10) + 1), 1.25);

  // 7. On-axis grade.
  const double lA = BandMean(r, n, 200, 6000, [&](int i) { return P0[i] / T[i]; });
  double s1 = 0, s2 = 0;
  for (int i = 0; i < n; ++i) {
    const double w = WeightUA(r.freq[i]);
    s1 += w * DeviationCost(1 - P0[i] / T[i] / lA);
    s2 += w;
  }
  const double GA = 10 * s1 / s2;

  // 8. Power response grade.
  const double lE = BandMean(r, n, 400, 6000, [&](int i) { return D[i] > 0 ? P0[i] / D[i] / T[i] : 1e20; });
  s1 = s2 = 0;
  for (int i = 0; i < n; ++i) {
    const double w = WeightUE(r.freq[i]);
    s1 += D[i] > 0 ? w * DeviationCost(1 - P0[i] / T[i] / D[i] / lE) : 1e20;
    s2 += w;
  }
  const double GE = 10 * s1 / s2;

  // 9. 30° grades.
  auto sideGrade = [&](const std::array<double, kFreqEntries>& P) {
    const double l = BandMean(r, n, 200, 6000, [&](int i) { return P[i] / T[i]; });
    double a = 0, b = 0;
    for (int i = 0; i < n; ++i) {
      const double w = WeightUS(r.freq[i]);
      a += w * DeviationCost(1 - P[i] / T[i] / l);
      b += w;
    }
    return 10 * a / b;
  };
  const double GL = sideGrade(P2);
  const double GR = sideGrade(P4);

  // 10. Bass grade. A point without directivity adds 1e20 to S1 and nothing
  // to S2 (y would divide by zero there).
  const double lQ = BandMean(r, n, 200, 6000, [&](int i) {
    if (D[i] <= 0) return 1e20;
    return (0.25 * P0[i] / D[i] + 0.45 * P0[i] + 0.15 * P2[i] + 0.15 * P4[i]) / T[i];
  });
  double S1 = 0, S2 = 0, sumUB = 0;
  for (int i = 0; i < n; ++i) {
    const double w = WeightUB(r.freq[i]);
    sumUB += w;
    if (D[i] <= 0) {
      S1 += 1e20;
      continue;
    }
    const double y = 1 - P0[i] / T[i] / D[i] / lQ;
    S1 += w * y;
    S2 += w * y * y;
  }
  const double GB = 5 * (std::abs(S1) + S2) / sumUB;

  // 11. Frequency response grade.
  const double F = 0.7 * (params.wA * GA + params.wE * GE + params.wL * GL + params.wR * GR) /
                       (params.wA + params.wE + params.wL + params.wR + 1e-20) +
                   0.35 * GB;

  // 12. Phase grade: phase agreement of the chassis where they overlap, and
  // the tilt of the on-axis sum.
  double sumPh = 0, K = 0;
  for (int i = 0; i < n; ++i) {
    const double f = r.freq[i];
    if (f < 100 || f > 20000) continue;
    K += 1;
    int best = -1;
    double pmax = 0;
    for (int c = 0; c < chassisCount; ++c)
      if (onAxisContribution(c, i) > pmax) {
        pmax = onAxisContribution(c, i);
        best = c;
      }
    if (best < 0) continue;
    const double argBest = CArg(r.contributionFront[best][i][0]);
    for (int c = 0; c < chassisCount; ++c) {
      double delta = std::abs(CArg(r.contributionFront[c][i][0]) - argBest);
      if (delta > kPi) delta = 2 * kPi - delta;
      const double d2 = delta - 0.667 * std::min(delta, 0.16);
      sumPh += onAxisContribution(c, i) * (d2 / kPi) / pmax;
    }
  }
  const double P1 = 30 * sumPh / (K + 1e-20);
  double sumTilt = 0;
  for (int i = 0; i < n; ++i) {
    const double xd = CAbs(r.boxTiltDown[i]);
    const double xu = CAbs(r.boxTiltUp[i]);
    double y = std::abs(xd - xu) / lQ;
    if (xu < xd) y -= 0.5 * std::min(y, 0.015);
    sumTilt += y - 0.5 * std::min(y, 0.03);
  }
  const double tilt = 100 * sumTilt / (N + 1e-20);
  const double P = tilt * tilt + 0.025 * P1;

  // 13. Minimum directivity grade.
  double sumB = 0;
  K = 0;
  for (int i = 0; i < n; ++i) {
    const double f = r.freq[i];
    if (f < 150) continue;
    K += 1;
    const double dreq = (params.wB / 33 + 0.3) * f / (f + 200) + 1;
    if (dreq - D[i] > 0) sumB += dreq - D[i];
    if (f < 250) continue;
    for (int c = 0; c < chassisCount; ++c) {
      if (p.baffles[c].direction == 0) continue;
      const double s = onAxisContribution(c, i) / (P0[i] + 1e-20) - (0.2 * f + 250) / (f + 250);
      if (s > 0) sumB += s * s;
    }
  }
  const double B = 200 * sumB / (K + 1e-20);

  // 14. Total grade.
  double G =
      ((9 - 5 * params.e) * (10 * F + P + 1.5 * params.wB * B + 4 * I) + (5 * params.e + 1) * 13 * W + 13 * X) / 107;
  if (I > 1) G += 0.25 * (I * I - 1) / (I + 4);

  g[GradeImpedance] = I;
  g[GradeEfficiency] = W;
  g[GradeOverload] = X;
  g[GradeExcursion] = X1;
  g[GradeResonance] = X2;
  g[GradeResponse] = F;
  g[GradePhase] = P;
  g[GradeDirectivity] = B;
  g[GradeTotal] = G;
  g[GradeOnAxis] = GA;
  g[GradePower] = GE;
  g[GradeLeft] = GL;
  g[GradeRight] = GR;
  g[GradeBass] = GB;
  g[GradeLevel] = L;
  g[GradeMaxVoltage] = M;
  return g;
}

namespace {

// A grade as a message shows it: "8,8E50", "1E30" (not the "1,E30" of the
// project files), "+inf", "nan".
std::string GradeValueText(double v) {
  std::string text = FormatNumber(v, 12);
  if (const auto at = text.find(",E"); at != std::string::npos) text.erase(at, 1);
  return text;
}

}  // namespace

std::string CheckGrades(const GradeBlock& g) {
  static constexpr struct {
    GradeIndex index;
    const char* name;
  } kNamed[] = {
      {GradeTotal, "gesamt"},
      {GradeImpedance, "Impedanz"},
      {GradeEfficiency, "Wirkungsgrad"},
      {GradeResponse, "Frequenzgang"},
      {GradePhase, "Phase"},
      {GradeDirectivity, "Richtwirkung"},
      {GradeOverload, "Überlastung"},
      {GradeOnAxis, "Frequenzgang auf Achse"},
      {GradePower, "Leistungsfrequenzgang"},
      {GradeLeft, "30° links"},
      {GradeRight, "30° rechts"},
      {GradeBass, "Bass"},
      {GradeLevel, "Pegel"},
      {GradeMaxVoltage, "maximale Spannung"},
  };
  for (const auto& [index, name] : kNamed) {
    const double v = g[static_cast<std::size_t>(index)];
    if (std::isfinite(v) && std::abs(v) <= kMaxPlausibleGrade) continue;
    return std::string(kGradeFailurePrefix) + name + " = " + GradeValueText(v) +
           (std::isfinite(v) ? " ist nicht plausibel (über " + GradeValueText(kMaxPlausibleGrade) + ")"
                             : std::string(" ist nicht endlich")) +
           "; ein Wert der Chassis, Weichen oder Pegel liegt außerhalb jedes sinnvollen Maßes.";
  }
  return "OK";
}

std::array<std::string, 5> GradeReportLines(const GradeBlock& g) {
  // "%8.3f" with a decimal point whatever the C library's locale says: the
  // desktop program takes its locale from the environment, and a formatting
  // call would then write "4,546" under a German one. to_chars never looks
  // at the locale.
  auto line = [](const char* label, double v) {
    char num[400];
    const auto [end, ec] = std::to_chars(num, num + sizeof num, v, std::chars_format::fixed, 3);
    std::string text = ec == std::errc() ? std::string(num, end) : std::string("nan");
    if (text.size() < 8) text.insert(0, 8 - text.size(), ' ');
    return std::string(label) + " = " + text;
  };
  return {line("Note Impedanz    ", g[GradeImpedance]), line("Note Wirkungsgrad", g[GradeEfficiency]),
          line("Note Frequenzgang", g[GradeResponse]), line("Note Phase       ", g[GradePhase]),
          line("Note gesamt      ", g[GradeTotal])};
}

}  // namespace sonvex
