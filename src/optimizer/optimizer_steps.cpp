#include "optimizer/optimizer_steps.h"

#include <algorithm>
#include <cmath>

namespace sonvex {

namespace {

constexpr double kStallLimit = 0.0003;  // B - total grade below this: stalled
constexpr double kStallLift = 0.0025;   // B is raised by this after a stall

OptimizerVariable MakeValue(int amp, int slot, bool coilResistance, double value, double step, double lower,
                            double upper, const char* label, const char* unit, double factor) {
  OptimizerVariable v;
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

std::vector<OptimizerVariable> CollectOptimizerVariables(const Project& p) {
  std::vector<OptimizerVariable> vars;
  for (int a = 0; a < AmpsInUse(p); ++a) {
    for (int s = 0; s < kUsedPartSlots && static_cast<int>(vars.size()) < kVariableCollectLimit; ++s) {
      const CrossoverPart& part = p.amplifiers[a].crossover[s];
      if (!part.optimize) continue;
      const double x = part.value;
      switch (part.type) {
        case PartResistor:
          vars.push_back(MakeValue(a, s, false, x, x / 16, 0.001, 1000, "R = ", " Ohm", 1));
          break;
        case PartCapacitor:
          vars.push_back(MakeValue(a, s, false, x, x / 16, 1e-9, 0.001, "C = ", " uF", 1e6));
          break;
        case PartInductor:
          vars.push_back(MakeValue(a, s, false, x, x / 16, 1e-6, 1.0, "L = ", " mH", 1000));
          // The winding resistance has no natural upper limit; the step
          // clamp needs one, and the resistor bound of 1000 Ohm serves.
          vars.push_back(
              MakeValue(a, s, true, part.resistance, part.resistance / 7, 0.0001, 1000, "R(L) = ", " Ohm", 1));
          break;
        default:  // wires, chassis and amplifier outputs have no value to vary
          break;
      }
    }
  }
  return vars;
}

double OptimizerVariableValue(const Project& p, const OptimizerVariable& v) {
  const CrossoverPart& part =
      p.amplifiers.at(static_cast<std::size_t>(v.amplifier)).crossover.at(static_cast<std::size_t>(v.slot));
  return v.coilResistance ? part.resistance : part.value;
}

void SetOptimizerVariable(Project& p, const OptimizerVariable& v, double x) {
  CrossoverPart& part =
      p.amplifiers.at(static_cast<std::size_t>(v.amplifier)).crossover.at(static_cast<std::size_t>(v.slot));
  (v.coilResistance ? part.resistance : part.value) = x;
}

StepCandidates StepTrials(double x, const OptimizerVariable& v) {
  return {x + v.step, std::max(x - v.step, v.lowerBound)};
}

double AdjustStep(double step, const OptimizerVariable& v, int repeat) {
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

int ChooseVariableToFix(const std::vector<OptimizerVariable>& vars, const Project& p) {
  int chosen = -1;
  int chosenType = 0;
  for (int i = 0; i < static_cast<int>(vars.size()); ++i) {
    const OptimizerVariable& v = vars[static_cast<std::size_t>(i)];
    if (v.coilResistance) continue;
    const int type =
        p.amplifiers.at(static_cast<std::size_t>(v.amplifier)).crossover.at(static_cast<std::size_t>(v.slot)).type;
    if (chosen < 0 || type > chosenType ||
        (type == chosenType && v.startValue > vars[static_cast<std::size_t>(chosen)].startValue)) {
      chosen = i;
      chosenType = type;
    }
  }
  return chosen;
}

void RemoveFixedVariable(std::vector<OptimizerVariable>& vars, std::vector<VariableReferences>& refs, int index) {
  if (index < 0 || index >= static_cast<int>(vars.size())) return;
  const OptimizerVariable fixed = vars[static_cast<std::size_t>(index)];
  // The chosen variable is a part value; a coil also takes its winding
  // resistance along (the same slot's coil-resistance variable).
  std::vector<OptimizerVariable> keptVars;
  std::vector<VariableReferences> keptRefs;
  for (std::size_t i = 0; i < vars.size(); ++i) {
    const OptimizerVariable& v = vars[i];
    const bool samePart = v.amplifier == fixed.amplifier && v.slot == fixed.slot;
    if (static_cast<int>(i) == index || (samePart && v.coilResistance)) continue;
    keptVars.push_back(v);
    if (i < refs.size()) keptRefs.push_back(refs[i]);
  }
  for (OptimizerVariable& v : keptVars) {
    v.step = std::max(v.step, 0.04 * v.startValue);
    v.step = std::max(v.step, 100 * v.lowerBound);
  }
  vars = std::move(keptVars);
  refs = std::move(keptRefs);
}

std::optional<CrossoverPart> FixPartByRule(const CrossoverPart& part, const PartFixRules& rules) {
  FixChoice choice = FixChoice::Manual;
  if (part.type == PartResistor) choice = rules.resistors;
  if (part.type == PartCapacitor) choice = rules.capacitors;
  if (part.type == PartInductor) choice = rules.coils;
  if (choice == FixChoice::Manual) return std::nullopt;
  CrossoverPart fixed = part;
  fixed.value = RoundToESeries(part.value, choice == FixChoice::E6 ? ESeries::E6 : ESeries::E12);
  return fixed;
}

}  // namespace sonvex
