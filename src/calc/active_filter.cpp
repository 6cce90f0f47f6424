#include "calc/active_filter.h"

namespace sonvex {

namespace {

std::string AmpText(int a) { return std::to_string(a + 1); }

// (jx)^2 / (1 + jx/Q + (jx)^2) with x = f/fc.
Complex HighPass12(double f, double fc, double q) {
  const double x = f / fc;
  return CDiv({-x * x, 0.0}, {1.0 - x * x, x / q});
}

// 1 / (1 + jx/Q + (jx)^2) with x = f/fc.
Complex LowPass12(double f, double fc, double q) {
  const double x = f / fc;
  return CDiv(kComplexOne, {1.0 - x * x, x / q});
}

}  // namespace

Complex ActiveFilterResponse(const Amplifier& amp, double f) {
  Complex h{amp.level, 0.0};
  if (amp.highPass6On) h = CMul(h, CDiv(kComplexOne, {1.0, -amp.highPass6F / f}));
  if (amp.highPass12aOn) h = CMul(h, HighPass12(f, amp.highPass12aF, amp.highPass12aQ));
  if (amp.highPass12bOn) h = CMul(h, HighPass12(f, amp.highPass12bF, amp.highPass12bQ));
  if (amp.lowPass6On) h = CMul(h, CDiv(kComplexOne, {1.0, f / amp.lowPass6F}));
  if (amp.lowPass12aOn) h = CMul(h, LowPass12(f, amp.lowPass12aF, amp.lowPass12aQ));
  if (amp.lowPass12bOn) h = CMul(h, LowPass12(f, amp.lowPass12bF, amp.lowPass12bQ));
  return h;
}

std::string ValidateActiveFilters(const Amplifier& amp, int a) {
  std::string msg;
  // "not greater than 0" also catches values that are not numbers.
  const auto bad = [](double x) { return !(x > 0.0); };
  const std::string cornerMsg =
      "Fehler: Aktives Filter an Verstärker " + AmpText(a) + ": Eckfrequenzen und Güten dürfen nicht <= 0 sein.";
  if (bad(amp.level)) msg = "Fehler: Aktives Filter an Verstärker " + AmpText(a) + ": Pegelangabe fehlerhaft.";
  // Each failing test replaces the text: the last one stands.
  if (amp.highPass6On && bad(amp.highPass6F)) msg = cornerMsg;
  if (amp.highPass12aOn && (bad(amp.highPass12aF) || bad(amp.highPass12aQ))) msg = cornerMsg;
  if (amp.highPass12bOn && (bad(amp.highPass12bF) || bad(amp.highPass12bQ))) msg = cornerMsg;
  if (amp.lowPass6On && bad(amp.lowPass6F)) msg = cornerMsg;
  if (amp.lowPass12aOn && (bad(amp.lowPass12aF) || bad(amp.lowPass12aQ))) msg = cornerMsg;
  if (amp.lowPass12bOn && (bad(amp.lowPass12bF) || bad(amp.lowPass12bQ))) msg = cornerMsg;
  return msg;
}

std::string ActiveFilterItem(const Project& p, int a, CalcResult& r) {
  const std::string failMsg =
      "Fehler: Frequenzgang aktives Filter an Verstärker " + AmpText(a) + " kann nicht berechnet werden.";
  if (a < 0 || a >= kMaxAmps) return failMsg;
  const Amplifier& amp = p.amplifiers[a];
  std::string msg = ValidateActiveFilters(amp, a);
  if (!msg.empty()) return msg;
  for (int i = 0; i < kFreqEntries && p.freq[i] > 0; ++i) {
    const Complex h = ActiveFilterResponse(amp, p.freq[i]);
    if (!CIsFinite(h)) return failMsg;  // the entries written so far stay
    r.filterResponse[a][i] = h;
  }
  return "OK";
}

}  // namespace sonvex
