#include "optimizer/opti_steps.h"

#include <algorithm>
#include <cmath>

namespace sonvex {

namespace {

constexpr double kStallLimit = 0.0003;  // B - total grade below this: stalled
constexpr double kStallLift = 0.0025;   // B is raised by this after a stall

TOptiValue MakeValue(int amp, int slot, bool coilResistance, double value, double step, double lower, double upper,
                     const char* label, const char* unit, double factor) {
  TOptiValue v;
  v.amplifier = amp;
  v.slot = slot;
  v.coilResistance = coilResistance;
  v.startValue = value;
  v.step = step;
  v.lowerBound = lower;
  v.upperBound = upper;
  v.label = label;
  v.unit = unit;
  v.displayFactor = factor;
  return v;
}

}  // namespace

std::vector<TOptiValue> CollectOptiValues(const TProjekt& p) {
  std::vector<TOptiValue> vars;
  for (int a = 0; a < AmpsInUse(p); ++a) {
    for (int s = 0; s < kUsedPartSlots && static_cast<int>(vars.size()) < kOptiCollectLimit; ++s) {
      const TWPart& part = p.Verstaerker[a].crossover[s];
      if (!part._bOpti) continue;
      const double x = part._value;
      switch (part._typ) {
        case ptR:
          vars.push_back(MakeValue(a, s, false, x, x / 16, 0.001, 1000, "R = ", " Ohm", 1));
          break;
        case ptC:
          vars.push_back(MakeValue(a, s, false, x, x / 16, 1e-9, 0.001, "C = ", " uF", 1e6));
          break;
        case ptL:
          vars.push_back(MakeValue(a, s, false, x, x / 16, 1e-6, 1.0, "L = ", " mH", 1000));
          // The winding resistance has no natural upper limit; the step
          // clamp needs one, and the resistor bound of 1000 Ohm serves.
          vars.push_back(MakeValue(a, s, true, part._Rvalue, part._Rvalue / 7, 0.0001, 1000, "R(L) = ", " Ohm", 1));
          break;
        default:  // wires, chassis and amplifier outputs have no value to vary
          break;
      }
    }
  }
  return vars;
}

double OptiValueOf(const TProjekt& p, const TOptiValue& v) {
  const TWPart& part =
      p.Verstaerker.at(static_cast<std::size_t>(v.amplifier)).crossover.at(static_cast<std::size_t>(v.slot));
  return v.coilResistance ? part._Rvalue : part._value;
}

void SetOptiValue(TProjekt& p, const TOptiValue& v, double x) {
  TWPart& part = p.Verstaerker.at(static_cast<std::size_t>(v.amplifier)).crossover.at(static_cast<std::size_t>(v.slot));
  (v.coilResistance ? part._Rvalue : part._value) = x;
}

TStepTrials StepTrials(double x, const TOptiValue& v) { return {x + v.step, std::max(x - v.step, v.lowerBound)}; }

double AdjustStep(double step, const TOptiValue& v, int repeat) {
  double s = step * (0.6 + 0.1 * repeat);
  s = std::max(s, v.lowerBound);
  s = std::min(s, 0.4 * v.startValue);
  return std::min(s, v.upperBound);
}

double ExtrapolationValue(double x, double reference, int repeat, double lowerBound) {
  const double c = 0.0004 * repeat;
  return std::max((1 + c) * x + c * reference, lowerBound);
}

bool UpdateStallMeasure(double& b, double total) {
  b = 0.5 * total + 0.5 * b;
  if (total + 1 < b) b = total + 1;
  if (b - total < kStallLimit) {
    b += kStallLift;
    return true;
  }
  return false;
}

int ChooseVariableToFix(const std::vector<TOptiValue>& vars, const TProjekt& p) {
  int chosen = -1;
  int chosenType = 0;
  for (int i = 0; i < static_cast<int>(vars.size()); ++i) {
    const TOptiValue& v = vars[static_cast<std::size_t>(i)];
    if (v.coilResistance) continue;
    const int typ =
        p.Verstaerker.at(static_cast<std::size_t>(v.amplifier)).crossover.at(static_cast<std::size_t>(v.slot))._typ;
    if (chosen < 0 || typ > chosenType ||
        (typ == chosenType && v.startValue > vars[static_cast<std::size_t>(chosen)].startValue)) {
      chosen = i;
      chosenType = typ;
    }
  }
  return chosen;
}

void RemoveFixedVariable(std::vector<TOptiValue>& vars, std::vector<TOptiReference>& refs, int index) {
  if (index < 0 || index >= static_cast<int>(vars.size())) return;
  const TOptiValue fixed = vars[static_cast<std::size_t>(index)];
  // The chosen variable is a part value; a coil also takes its winding
  // resistance along (the same slot's coil-resistance variable).
  std::vector<TOptiValue> keptVars;
  std::vector<TOptiReference> keptRefs;
  for (std::size_t i = 0; i < vars.size(); ++i) {
    const TOptiValue& v = vars[i];
    const bool samePart = v.amplifier == fixed.amplifier && v.slot == fixed.slot;
    if (static_cast<int>(i) == index || (samePart && v.coilResistance)) continue;
    keptVars.push_back(v);
    if (i < refs.size()) keptRefs.push_back(refs[i]);
  }
  for (TOptiValue& v : keptVars) {
    v.step = std::max(v.step, 0.04 * v.startValue);
    v.step = std::max(v.step, 100 * v.lowerBound);
  }
  vars = std::move(keptVars);
  refs = std::move(keptRefs);
}

std::optional<TWPart> FixPartByRule(const TWPart& part, const TFixRules& rules) {
  TFixChoice choice = TFixChoice::Manual;
  if (part._typ == ptR) choice = rules.resistors;
  if (part._typ == ptC) choice = rules.capacitors;
  if (part._typ == ptL) choice = rules.coils;
  if (choice == TFixChoice::Manual) return std::nullopt;
  TWPart fixed = part;
  fixed._value = RoundToESeries(part._value, choice == TFixChoice::E6 ? TESeries::E6 : TESeries::E12);
  return fixed;
}

}  // namespace sonvex
