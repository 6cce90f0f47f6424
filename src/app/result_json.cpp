#include "app/result_json.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "calc/spinorama.h"

namespace sonvex {

std::string ItemName(int item) {
  if (item == TCalcStruct::kCheck) return "Prüfung";
  if (item == TCalcStruct::kGesamt) return "Gesamtbox";
  if (item < TCalcStruct::kAktFilt0) return "Schallwand " + std::to_string(item - TCalcStruct::kBaffle0 + 1);
  if (item < TCalcStruct::kChassis0) return "Aktivfilter " + std::to_string(item - TCalcStruct::kAktFilt0 + 1);
  if (item < TCalcStruct::kWeiche0) return "Chassis " + std::to_string(item - TCalcStruct::kChassis0 + 1);
  return "Weiche " + std::to_string(item - TCalcStruct::kWeiche0 + 1);
}

namespace {

// JSON numbers: finite values only; anything else is written as null and counted.
struct TJsonWriter {
  int nonFinite = 0;
  nlohmann::json Num(double x) {
    if (std::isfinite(x)) return x;
    ++nonFinite;
    return nullptr;
  }
  nlohmann::json Cx(const TComplex& z) { return nlohmann::json::array({Num(z.re), Num(z.im)}); }
  nlohmann::json Curve(const TComplexCurve& c, int n) {
    auto a = nlohmann::json::array();
    for (int i = 0; i < n; ++i) a.push_back(Cx(c[i]));
    return a;
  }
  nlohmann::json Curve(const std::vector<double>& c) {
    auto a = nlohmann::json::array();
    for (double x : c) a.push_back(Num(x));
    return a;
  }
  nlohmann::json Curve(const TRealCurve& c, int n) {
    auto a = nlohmann::json::array();
    for (int i = 0; i < n; ++i) a.push_back(Num(c[i]));
    return a;
  }
  nlohmann::json Table(const TDirTable& t, int n) {
    auto a = nlohmann::json::array();
    for (int i = 0; i < n; ++i) {
      auto row = nlohmann::json::array();
      for (const TComplex& z : t[i]) row.push_back(Cx(z));
      a.push_back(std::move(row));
    }
    return a;
  }
  template <typename Rows, typename F>
  nlohmann::json PerSlot(const Rows& rows, int count, F each) {
    auto a = nlohmann::json::array();
    for (int s = 0; s < count; ++s) a.push_back(each(rows[s]));
    return a;
  }
};

}  // namespace

nlohmann::json ResultJson(const TResult& r, const TCalcStruct& states, const TStatusReport& report,
                          const TGrades& grades, bool withTables, int& nonFinite) {
  TJsonWriter w;
  const int n = std::clamp<int>(r.nFreq, 0, kFreqEntries - 1);
  const int nc = ChassisInUse(r);
  const int na = AmpsInUse(r);
  nlohmann::json j;
  j["nFreq"] = n;
  j["freq"] = w.Curve(r.freq, n);
  j["nAmps"] = na;
  j["nChassis"] = nc;
  j["bValid"] = r.bValid;
  j["ChassisName"] = nlohmann::json::array();
  for (const auto& name : r.ChassisName) j["ChassisName"].push_back(name.Str());
  j["AmpOfChassis"] = r.AmpOfChassis;
  j["EinbauTyp"] = r.EinbauTyp;
  auto complexCurves = [&](const std::array<TComplexCurve, kChassisSlots>& rows) {
    return w.PerSlot(rows, nc, [&](const TComplexCurve& c) { return w.Curve(c, n); });
  };
  auto realCurves = [&](const auto& rows, int count) {
    return w.PerSlot(rows, count, [&](const TRealCurve& c) { return w.Curve(c, n); });
  };
  auto tables = [&](const std::array<TDirTable, kChassisSlots>& rows) {
    return w.PerSlot(rows, nc, [&](const TDirTable& t) { return w.Table(t, n); });
  };
  j["ChassisZ"] = complexCurves(r.ChassisZ);
  j["ChFront"] = complexCurves(r.ChFront);
  j["ChRear"] = complexCurves(r.ChRear);
  j["ChFrontSim"] = complexCurves(r.ChFrontSim);
  j["ChRearSim"] = complexCurves(r.ChRearSim);
  j["ChassisU"] = complexCurves(r.ChassisU);
  j["ChHub"] = realCurves(r.ChHub, nc);
  j["MaxUChassis"] = realCurves(r.MaxUChassis, nc);
  j["MaxUExc"] = realCurves(r.MaxUExc, nc);
  j["MaxP"] = realCurves(r.MaxP, kChassisSlots + 1);
  j["FilterResp"] = w.PerSlot(r.FilterResp, na, [&](const TComplexCurve& c) { return w.Curve(c, n); });
  j["AmpZ"] = w.PerSlot(r.AmpZ, na, [&](const TComplexCurve& c) { return w.Curve(c, n); });
  j["BoxP"] = w.Table(r.BoxP, n);
  j["ContribFront"] = tables(r.ContribFront);
  j["ContribRear"] = tables(r.ContribRear);
  j["BoxTiltDown"] = w.Curve(r.BoxTiltDown, n);
  j["BoxTiltUp"] = w.Curve(r.BoxTiltUp, n);
  j["MaxU"] = w.Curve(r.MaxU, n);
  j["DirIdx"] = w.Curve(r.DirIdx, n);
  if (withTables) {
    j["DirFront"] = tables(r.DirFront);
    j["DirRear"] = tables(r.DirRear);
  }
  // The spinorama curves in dB and the group delays in ms; empty arrays
  // for a result without a valid calculation.
  const TSpinorama spin = ComputeSpinorama(r);
  j["Spin"] = {{"LW", w.Curve(spin.LW)},   {"ER", w.Curve(spin.ER)},     {"SP", w.Curve(spin.SP)},
               {"PIR", w.Curve(spin.PIR)}, {"SPDI", w.Curve(spin.SPDI)}, {"ERDI", w.Curve(spin.ERDI)},
               {"FB", w.Curve(spin.FB)},   {"CB", w.Curve(spin.CB)},     {"FW", w.Curve(spin.FW)},
               {"SW", w.Curve(spin.SW)},   {"RW", w.Curve(spin.RW)}};
  auto chassisDelays = nlohmann::json::array();
  for (const TSpinCurve& c : spin.GroupDelayChassis) chassisDelays.push_back(w.Curve(c));
  j["GroupDelay"] = {{"box", w.Curve(spin.GroupDelayBox)}, {"chassis", std::move(chassisDelays)}};
  nlohmann::json s;
  s["Check"] = states.Check();
  s["Gesamt"] = states.Gesamt();
  for (int c = 0; c < kChassisSlots; ++c) {
    s["Baffle"].push_back(states.Baffle(c));
    s["Chassis"].push_back(states.Chassis(c));
  }
  for (int a = 0; a < kMaxAmps; ++a) {
    s["AktFilt"].push_back(states.AktFilt(a));
    s["Weiche"].push_back(states.Weiche(a));
  }
  j["states"] = std::move(s);
  j["status"] = {{"lines", report.lines}, {"errors", report.errors}, {"text", report.text}};
  auto g = nlohmann::json::array();
  for (double v : grades) g.push_back(w.Num(v));
  j["grades"] = std::move(g);
  nonFinite = w.nonFinite;
  return j;
}

}  // namespace sonvex
