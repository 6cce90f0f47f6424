#include "app/result_json.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "calc/spinorama.h"
#include "calc/time_response.h"

namespace sonvex {

std::string ItemName(int item) {
  if (item == CalcStates::kCheck) return "Prüfung";
  if (item == CalcStates::kWholeBox) return "Gesamtbox";
  if (item < CalcStates::kActiveFilter0) return "Schallwand " + std::to_string(item - CalcStates::kBaffle0 + 1);
  if (item < CalcStates::kChassis0) return "Aktivfilter " + std::to_string(item - CalcStates::kActiveFilter0 + 1);
  if (item < CalcStates::kCrossover0) return "Chassis " + std::to_string(item - CalcStates::kChassis0 + 1);
  return "Weiche " + std::to_string(item - CalcStates::kCrossover0 + 1);
}

namespace {

// JSON numbers: finite values only; anything else is written as null and counted.
struct JsonWriter {
  int nonFinite = 0;
  nlohmann::json Number(double x) {
    if (std::isfinite(x)) return x;
    ++nonFinite;
    return nullptr;
  }
  nlohmann::json ComplexPair(const Complex& z) { return nlohmann::json::array({Number(z.re), Number(z.im)}); }
  nlohmann::json Curve(const ComplexCurve& c, int n) {
    auto a = nlohmann::json::array();
    for (int i = 0; i < n; ++i) a.push_back(ComplexPair(c[i]));
    return a;
  }
  nlohmann::json Curve(const std::vector<double>& c) {
    auto a = nlohmann::json::array();
    for (double x : c) a.push_back(Number(x));
    return a;
  }
  nlohmann::json Curve(const RealCurve& c, int n) {
    auto a = nlohmann::json::array();
    for (int i = 0; i < n; ++i) a.push_back(Number(c[i]));
    return a;
  }
  nlohmann::json Table(const DirectionTable& t, int n) {
    auto a = nlohmann::json::array();
    for (int i = 0; i < n; ++i) {
      auto row = nlohmann::json::array();
      for (const Complex& z : t[i]) row.push_back(ComplexPair(z));
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

nlohmann::json ResultJson(const CalcResult& r, const CalcStates& states, const CalcReport& report,
                          const GradeBlock& grades, bool withTables, int& nonFinite) {
  JsonWriter w;
  const int n = std::clamp<int>(r.freqCount, 0, kFreqEntries - 1);
  const int chassisCount = ChassisInUse(r);
  const int ampCount = AmpsInUse(r);
  nlohmann::json j;
  j["nFreq"] = n;
  j["freq"] = w.Curve(r.freq, n);
  j["nAmps"] = ampCount;
  j["nChassis"] = chassisCount;
  j["bValid"] = r.valid;
  j["ChassisName"] = nlohmann::json::array();
  for (const auto& name : r.chassisName) j["ChassisName"].push_back(name.Str());
  j["AmpOfChassis"] = r.ampOfChassis;
  j["EinbauTyp"] = r.enclosureTypes;
  // Per chassis in use the directions that come from its measured polar set.
  j["PolarMeasured"] = nlohmann::json::array();
  for (int c = 0; c < chassisCount; ++c) {
    auto directions = nlohmann::json::array();
    for (int k = 0; k < kDirections; ++k)
      if ((r.polarMeasured[static_cast<std::size_t>(c)] & (1u << k)) != 0) directions.push_back(k);
    j["PolarMeasured"].push_back(std::move(directions));
  }
  auto complexCurves = [&](const std::array<ComplexCurve, kChassisSlots>& rows) {
    return w.PerSlot(rows, chassisCount, [&](const ComplexCurve& c) { return w.Curve(c, n); });
  };
  auto realCurves = [&](const auto& rows, int count) {
    return w.PerSlot(rows, count, [&](const RealCurve& c) { return w.Curve(c, n); });
  };
  auto tables = [&](const std::array<DirectionTable, kChassisSlots>& rows) {
    return w.PerSlot(rows, chassisCount, [&](const DirectionTable& t) { return w.Table(t, n); });
  };
  j["ChassisZ"] = complexCurves(r.chassisImpedance);
  j["ChFront"] = complexCurves(r.chassisFront);
  j["ChRear"] = complexCurves(r.chassisRear);
  j["ChFrontSim"] = complexCurves(r.chassisFrontSim);
  j["ChRearSim"] = complexCurves(r.chassisRearSim);
  j["ChassisU"] = complexCurves(r.chassisVoltageGain);
  j["ChHub"] = realCurves(r.chassisExcursion, chassisCount);
  j["MaxUChassis"] = realCurves(r.maxVoltageChassis, chassisCount);
  j["MaxUExc"] = realCurves(r.maxVoltageExcursion, chassisCount);
  j["MaxP"] = realCurves(r.maxPower, kChassisSlots + 1);
  j["FilterResp"] = w.PerSlot(r.filterResponse, ampCount, [&](const ComplexCurve& c) { return w.Curve(c, n); });
  j["AmpZ"] = w.PerSlot(r.ampImpedance, ampCount, [&](const ComplexCurve& c) { return w.Curve(c, n); });
  j["BoxP"] = w.Table(r.boxPressure, n);
  j["ContribFront"] = tables(r.contributionFront);
  j["ContribRear"] = tables(r.contributionRear);
  j["BoxTiltDown"] = w.Curve(r.boxTiltDown, n);
  j["BoxTiltUp"] = w.Curve(r.boxTiltUp, n);
  j["MaxU"] = w.Curve(r.maxVoltage, n);
  j["DirIdx"] = w.Curve(r.directivityIndex, n);
  if (withTables) {
    j["DirFront"] = tables(r.directionsFront);
    j["DirRear"] = tables(r.directionsRear);
  }
  // The spinorama curves in dB and the group delays in ms; empty arrays
  // for a result without a valid calculation.
  const Spinorama spin = ComputeSpinorama(r);
  j["Spin"] = {{"LW", w.Curve(spin.LW)},   {"ER", w.Curve(spin.ER)},     {"SP", w.Curve(spin.SP)},
               {"PIR", w.Curve(spin.PIR)}, {"SPDI", w.Curve(spin.SPDI)}, {"ERDI", w.Curve(spin.ERDI)},
               {"FB", w.Curve(spin.FB)},   {"CB", w.Curve(spin.CB)},     {"FW", w.Curve(spin.FW)},
               {"SW", w.Curve(spin.SW)},   {"RW", w.Curve(spin.RW)}};
  auto chassisDelays = nlohmann::json::array();
  for (const SpinCurve& c : spin.groupDelayChassis) chassisDelays.push_back(w.Curve(c));
  j["GroupDelay"] = {{"box", w.Curve(spin.groupDelayBox)}, {"chassis", std::move(chassisDelays)}};
  // The impulse and step responses at 96 kHz from -1 ms (index `start`) to
  // +50 ms, not scaled; empty for a result without a valid calculation.
  const TimeResponse time = ComputeTimeResponse(r);
  const auto timeCurve = [&](const TimeCurve& c) {
    return nlohmann::json{{"impulse", w.Curve(c.impulse)}, {"step", w.Curve(c.step)}};
  };
  auto chassisTimes = nlohmann::json::array();
  for (const TimeCurve& c : time.chassis) chassisTimes.push_back(timeCurve(c));
  j["TimeResponse"] = {
      {"fs", time.rate}, {"start", time.start}, {"box", timeCurve(time.box)}, {"chassis", std::move(chassisTimes)}};
  nlohmann::json s;
  s["Check"] = states.Check();
  s["Gesamt"] = states.WholeBox();
  for (int c = 0; c < kChassisSlots; ++c) {
    s["Baffle"].push_back(states.Baffle(c));
    s["Chassis"].push_back(states.Chassis(c));
  }
  for (int a = 0; a < kMaxAmps; ++a) {
    s["AktFilt"].push_back(states.ActiveFilter(a));
    s["Weiche"].push_back(states.Crossover(a));
  }
  j["states"] = std::move(s);
  j["status"] = {{"lines", report.lines}, {"errors", report.errors}, {"text", report.text}};
  auto g = nlohmann::json::array();
  for (double v : grades) g.push_back(w.Number(v));
  j["grades"] = std::move(g);
  nonFinite = w.nonFinite;
  return j;
}

}  // namespace sonvex
