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

std::string ChassisItem(const Project& p, int b, CalcResult& r) {
  if (b < 0 || b >= kChassisSlots) return StepText(b, kChassisFaultText);
  const Chassis& chassis = p.chassis[b];
  const Enclosure& enclosure = p.enclosures[b];
  const FreqArray& freq = p.freq;

  struct Work {
    ComplexCurve z, excursion, rear, front;
  };
  auto w = std::make_unique<Work>();

  std::string simulationText =
      SimulateChassis(chassis, enclosure, freq, kLastGridIndex, w->z, w->excursion, w->rear, w->front);
  // Values below their smallest plausible value (check.h) end the step like the
  // simulation's own checks, nothing stored; the message names them first.
  // Where those checks object they follow it (a tiny Sd, say, leaves the box
  // without a mass) and already ask for values above 0; a simulation that
  // overflowed on such a value gives way to the message that names it.
  const bool simulationObjects = IsFailureText(simulationText) && simulationText != kChassisFaultText;
  if (const std::string range = CheckChassisValues(chassis, simulationObjects); IsFailureText(range))
    return StepText(b, simulationObjects ? range + simulationText : range);
  std::string baffleText;
  // When the simulation itself fails nothing is stored and the measured data
  // are not applied: the line reports the simulation's messages alone.
  if (!IsFailureText(simulationText)) {
    for (int i = 0; i <= kLastGridIndex && freq[i] > 0; ++i) {
      r.chassisFront[b][i] = w->front[i];
      r.chassisFrontSim[b][i] = w->front[i];
      r.chassisRear[b][i] = w->rear[i];
      r.chassisRearSim[b][i] = w->rear[i];
      r.chassisExcursion[b][i] = w->excursion[i].re;
      r.chassisImpedance[b][i] = w->z[i];
    }

    // The simulation under the condition the response was measured in.
    if (chassis.useMeasuredAmplitude) {
      Enclosure measuringEnclosure = enclosure;
      if (measuringEnclosure.type >= 1) MeasurementEnclosure(measuringEnclosure, chassis.responseSource);
      simulationText.clear();
      EstimateEnclosureLosses(chassis, measuringEnclosure);
      simulationText +=
          SimulateChassis(chassis, measuringEnclosure, freq, kLastGridIndex, w->z, w->excursion, w->rear, w->front);
    }

    std::unique_ptr<DirectionTable> table;
    if (chassis.useMeasuredAmplitude && !IsFailureText(simulationText)) {
      Baffle wall = p.baffles[b];
      MeasurementBaffle(wall, chassis.responseSource);
      table = std::make_unique<DirectionTable>();
      baffleText = ComputeBaffle(wall, freq, kLastGridIndex, chassis.sourceDepth, *table);
    }

    const double fc = chassis.derived.fc;
    bool fault = false;
    if (chassis.useMeasuredAmplitude && simulationText.size() + baffleText.size() < 5) {
      for (int j = 0; j <= kLastGridIndex && freq[j] > 0; ++j) {
        const double f = freq[j];
        const double level =
            InterpolateLevel(chassis.measuredAmplitudeFreq, chassis.measuredAmplitude, p.smoothingAmplitude, f);
        const double m = std::pow(10.0, (level - 112) / 20);
        const double phi = InterpolatePhase(chassis.measuredAcousticPhaseFreq, chassis.measuredAcousticPhase, f);
        Complex measured{m * std::cos(phi), m * std::sin(phi)};
        // The measured phase refers to the acoustic origin sourceDepth behind the baffle.
        const double theta = chassis.sourceDepth / (kSpeedOfSound / f) * 2 * kPiShort;
        measured = CRotate(measured, theta);
        const Complex dir = (*table)[j][0];
        const Complex sim = CAdd(CMul(dir, w->front[j]), CMul(dir, w->rear[j]));
        Complex k = chassis.useMeasuredAcousticPhase ? CDiv(measured, sim) : Complex{CAbs(measured) / CAbs(sim), 0};
        // Below three times the box resonance the simulation stays in force.
        if (chassis.useMeasuredAmplitudeAtFs && 3 * fc > f) k = kComplexOne;
        const Complex newFront = CMul(r.chassisFront[b][j], k);
        const Complex newRear = CMul(r.chassisRear[b][j], k);
        if (!CIsFinite(newFront) || !CIsFinite(newRear)) {
          fault = true;
          break;
        }
        r.chassisFront[b][j] = newFront;
        r.chassisRear[b][j] = newRear;
      }
    }

    if (!fault && chassis.useMeasuredImpedance && simulationText.size() + baffleText.size() < 5) {
      for (int j = 0; j <= kLastGridIndex && freq[j] > 0; ++j) {
        const double f = freq[j];
        const double m =
            InterpolateLevel(chassis.measuredImpedanceFreq, chassis.measuredImpedance, p.smoothingImpedance, f);
        const double phi = InterpolatePhase(chassis.measuredElectricalPhaseFreq, chassis.measuredElectricalPhase, f);
        // In a box the measured impedance is used only above three times the
        // box resonance.
        if (3 * fc >= f && enclosure.type != 0) continue;
        Complex zNew;
        if (chassis.useMeasuredElectricalPhase)
          zNew = Complex{m * std::cos(phi), m * std::sin(phi)};
        else
          zNew = CScale(r.chassisImpedance[b][j], m / CAbs(r.chassisImpedance[b][j]));
        if (!CIsFinite(zNew)) {
          fault = true;
          break;
        }
        r.chassisImpedance[b][j] = zNew;
      }
    }
    // A value that cannot be computed ends the step; the curves keep what
    // was written for the lower grid indices.
    if (fault) return StepText(b, kChassisFaultText);
  }

  if (baffleText == "OK") baffleText.clear();
  // A failing measuring baffle is reported alone, never after an "OK".
  const std::string text =
      (!baffleText.empty() && !IsFailureText(simulationText)) ? baffleText : simulationText + baffleText;
  return StepText(b, text);
}

}  // namespace sonvex
