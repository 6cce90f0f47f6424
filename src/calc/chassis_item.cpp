// The calculation item of one chassis: its simulation in the enclosure,
// corrected by the measured responses.
#include "calc/chassis_item.h"

#include <cmath>
#include <memory>

#include "acoustics/baffle.h"
#include "acoustics/chassis_model.h"
#include "acoustics/enclosure.h"
#include "calc/check.h"
#include "numeric/constants.h"

namespace sonvex {

namespace {

constexpr int kLastGridIndex = kFreqEntries - 1;  // 600

std::string StepText(int b, const std::string& text) {
  if (!IsFailureText(text)) return text;
  return "Fehler: Chassis " + std::to_string(b + 1) + ": " + text;
}

}  // namespace

std::string ChassisItem(const TProjekt& p, int b, TResult& r) {
  if (b < 0 || b >= kChassisSlots) return StepText(b, kChassisFaultText);
  const TChassis& chassis = p.Chassis[b];
  const TEinbau& einbau = p.Einbau[b];
  const TFreqArray& freq = p.freq;

  struct TWork {
    TComplexCurve z, hub, rear, front;
  };
  auto w = std::make_unique<TWork>();

  std::string t1 = SimulateChassis(chassis, einbau, freq, kLastGridIndex, w->z, w->hub, w->rear, w->front);
  // Values below their smallest plausible value (check.h) end the step like the
  // simulation's own checks, nothing stored; the message names them first.
  // Where those checks object they follow it (a tiny Sd, say, leaves the box
  // without a mass) and already ask for values above 0; a simulation that
  // overflowed on such a value gives way to the message that names it.
  const bool simulationObjects = IsFailureText(t1) && t1 != kChassisFaultText;
  if (const std::string range = CheckChassisValues(chassis, simulationObjects); IsFailureText(range))
    return StepText(b, simulationObjects ? range + t1 : range);
  std::string tb;
  // When the simulation itself fails nothing is stored and the measured data
  // are not applied: the line reports the simulation's messages alone.
  if (!IsFailureText(t1)) {
    for (int i = 0; i <= kLastGridIndex && freq[i] > 0; ++i) {
      r.ChFront[b][i] = w->front[i];
      r.ChFrontSim[b][i] = w->front[i];
      r.ChRear[b][i] = w->rear[i];
      r.ChRearSim[b][i] = w->rear[i];
      r.ChHub[b][i] = w->hub[i].re;
      r.ChassisZ[b][i] = w->z[i];
    }

    // The simulation under the condition the response was measured in.
    if (chassis.useFgangA) {
      TEinbau e = einbau;
      if (e.Typ >= 1) MeasurementEnclosure(e, chassis.fgang_which);
      t1.clear();
      EstimateEnclosureLosses(chassis, e);
      t1 += SimulateChassis(chassis, e, freq, kLastGridIndex, w->z, w->hub, w->rear, w->front);
    }

    std::unique_ptr<TDirTable> table;
    if (chassis.useFgangA && !IsFailureText(t1)) {
      TSchallwand wall = p.Schallwand[b];
      MeasurementBaffle(wall, chassis.fgang_which);
      table = std::make_unique<TDirTable>();
      tb = ComputeBaffle(wall, freq, kLastGridIndex, chassis.seo, *table);
    }

    const double fc = chassis.derived.fc;
    bool fault = false;
    if (chassis.useFgangA && t1.size() + tb.size() < 5) {
      for (int j = 0; j <= kLastGridIndex && freq[j] > 0; ++j) {
        const double f = freq[j];
        const double level = InterpolateLevel(chassis.FgangAF, chassis.FgangA, p.glatt_a, f);
        const double m = std::pow(10.0, (level - 112) / 20);
        const double phi = InterpolatePhase(chassis.FgangAPF, chassis.FgangAP, f);
        TComplex measured{m * std::cos(phi), m * std::sin(phi)};
        // The measured phase refers to the acoustic origin seo behind the baffle.
        const double theta = chassis.seo / (kSpeedOfSound / f) * 2 * kPiShort;
        measured = CRotate(measured, theta);
        const TComplex dir = (*table)[j][0];
        const TComplex sim = CAdd(CMul(dir, w->front[j]), CMul(dir, w->rear[j]));
        TComplex k = chassis.useFgangAP ? CDiv(measured, sim) : TComplex{CAbs(measured) / CAbs(sim), 0};
        // Below three times the box resonance the simulation stays in force.
        if (chassis.useFgangA4fs && 3 * fc > f) k = COne;
        const TComplex newFront = CMul(r.ChFront[b][j], k);
        const TComplex newRear = CMul(r.ChRear[b][j], k);
        if (!CIsFinite(newFront) || !CIsFinite(newRear)) {
          fault = true;
          break;
        }
        r.ChFront[b][j] = newFront;
        r.ChRear[b][j] = newRear;
      }
    }

    if (!fault && chassis.useFgangI && t1.size() + tb.size() < 5) {
      for (int j = 0; j <= kLastGridIndex && freq[j] > 0; ++j) {
        const double f = freq[j];
        const double m = InterpolateLevel(chassis.FgangIF, chassis.FgangI, p.glatt_i, f);
        const double phi = InterpolatePhase(chassis.FgangIPF, chassis.FgangIP, f);
        // In a box the measured impedance is used only above three times the
        // box resonance.
        if (3 * fc >= f && einbau.Typ != 0) continue;
        TComplex zNew;
        if (chassis.useFgangIP)
          zNew = TComplex{m * std::cos(phi), m * std::sin(phi)};
        else
          zNew = CScale(r.ChassisZ[b][j], m / CAbs(r.ChassisZ[b][j]));
        if (!CIsFinite(zNew)) {
          fault = true;
          break;
        }
        r.ChassisZ[b][j] = zNew;
      }
    }
    // A value that cannot be computed ends the step; the curves keep what
    // was written for the lower grid indices.
    if (fault) return StepText(b, kChassisFaultText);
  }

  if (tb == "OK") tb.clear();
  // A failing measuring baffle is reported alone, never after an "OK".
  const std::string text = (!tb.empty() && !IsFailureText(t1)) ? tb : t1 + tb;
  return StepText(b, text);
}

}  // namespace sonvex
