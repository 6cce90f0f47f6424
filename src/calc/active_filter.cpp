#include "calc/active_filter.h"

namespace sonvex {

namespace {

std::string AmpText(int a) { return std::to_string(a + 1); }

// (jx)^2 / (1 + jx/Q + (jx)^2) with x = f/fc.
TComplex HighPass12(double f, double fc, double q) {
  const double x = f / fc;
  return CDiv({-x * x, 0.0}, {1.0 - x * x, x / q});
}

// 1 / (1 + jx/Q + (jx)^2) with x = f/fc.
TComplex LowPass12(double f, double fc, double q) {
  const double x = f / fc;
  return CDiv(COne, {1.0 - x * x, x / q});
}

}  // namespace

TComplex ActiveFilterResponse(const TVerstaerker& v, double f) {
  TComplex h{v.Pegel, 0.0};
  if (v.HP6) h = CMul(h, CDiv(COne, {1.0, -v.HP6f / f}));
  if (v.HP121) h = CMul(h, HighPass12(f, v.HP121f, v.HP121q));
  if (v.HP122) h = CMul(h, HighPass12(f, v.HP122f, v.HP122q));
  if (v.TP6) h = CMul(h, CDiv(COne, {1.0, f / v.TP6f}));
  if (v.TP121) h = CMul(h, LowPass12(f, v.TP121f, v.TP121q));
  if (v.TP122) h = CMul(h, LowPass12(f, v.TP122f, v.TP122q));
  return h;
}

std::string ValidateActiveFilters(const TVerstaerker& v, int a) {
  std::string msg;
  // "not greater than 0" also catches values that are not numbers.
  const auto bad = [](double x) { return !(x > 0.0); };
  const std::string cornerMsg =
      "Fehler: Aktives Filter an Verstärker " + AmpText(a) + ": Eckfrequenzen und Güten dürfen nicht <= 0 sein.";
  if (bad(v.Pegel)) msg = "Fehler: Aktives Filter an Verstärker " + AmpText(a) + ": Pegelangabe fehlerhaft.";
  // Each failing test replaces the text: the last one stands.
  if (v.HP6 && bad(v.HP6f)) msg = cornerMsg;
  if (v.HP121 && (bad(v.HP121f) || bad(v.HP121q))) msg = cornerMsg;
  if (v.HP122 && (bad(v.HP122f) || bad(v.HP122q))) msg = cornerMsg;
  if (v.TP6 && bad(v.TP6f)) msg = cornerMsg;
  if (v.TP121 && (bad(v.TP121f) || bad(v.TP121q))) msg = cornerMsg;
  if (v.TP122 && (bad(v.TP122f) || bad(v.TP122q))) msg = cornerMsg;
  return msg;
}

std::string AktFiltItem(const TProjekt& p, int a, TResult& r) {
  const std::string failMsg =
      "Fehler: Frequenzgang aktives Filter an Verstärker " + AmpText(a) + " kann nicht berechnet werden.";
  if (a < 0 || a >= kMaxAmps) return failMsg;
  const TVerstaerker& v = p.Verstaerker[a];
  std::string msg = ValidateActiveFilters(v, a);
  if (!msg.empty()) return msg;
  for (int i = 0; i < kFreqEntries && p.freq[i] > 0; ++i) {
    const TComplex h = ActiveFilterResponse(v, p.freq[i]);
    if (!CIsFinite(h)) return failMsg;  // the entries written so far stay
    r.FilterResp[a][i] = h;
  }
  return "OK";
}

}  // namespace sonvex
