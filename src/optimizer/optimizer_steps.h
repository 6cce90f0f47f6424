#pragma once
// The step rules of the crossover optimizer: its variables, their trial
// values and step sizes, the stall test and the fixing of stalled parts.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/crossover_model.h"
#include "model/project.h"
#include "network/e_series.h"

namespace sonvex {

// Parts with a value the optimizer can vary: resistors, capacitors, coils.
inline bool IsValuePart(int type) { return type == PartResistor || type == PartCapacitor || type == PartInductor; }

// One optimisation variable: the value of a marked part, or the winding
// resistance of a marked coil.
struct OptimizerVariable {
  std::int32_t amplifier = 0;   // 0..5
  std::int32_t slot = 0;        // 0..185
  bool coilResistance = false;  // the variable is `resistance` of a coil instead of `value`
  double startValue = 0;        // value when the run began
  double step = 0;              // current step size
  double lowerBound = 0;        // smallest allowed value, also the smallest step
  double upperBound = 0;        // largest allowed step
  std::string label;            // "R = ", "C = ", "L = ", "R(L) = "
  std::string unit;             // " Ohm", " uF", " mH", " Ohm"
  double displayFactor = 1;     // 1, 1e6, 1000, 1

  bool operator==(const OptimizerVariable&) const = default;
};

// Parts are examined while fewer than this many variables are collected; a
// coil (two variables) collected last brings the count to kMaxOptimizerVariables.
inline constexpr int kVariableCollectLimit = 49;
inline constexpr int kMaxOptimizerVariables = 50;
// Reference rows of the extrapolation trials: rows 0, 1 for the trial after
// the last variable, rows 2, 3 for the one after that.
inline constexpr int kReferenceRows = 4;
using VariableReferences = std::array<double, kReferenceRows>;

// The variables of the marked resistors, capacitors and coils of the
// amplifiers in use, amplifier by amplifier and slot by slot.
std::vector<OptimizerVariable> CollectOptimizerVariables(const Project& p);

// The value a variable stands for in a project, and setting it.
double OptimizerVariableValue(const Project& p, const OptimizerVariable& v);
void SetOptimizerVariable(Project& p, const OptimizerVariable& v, double x);

// The two candidates of a variable step from value x: x + step (not limited
// upwards) and x - step, but not below the lower bound.
struct StepCandidates {
  double up = 0;
  double down = 0;
};
StepCandidates StepTrials(double x, const OptimizerVariable& v);

// The step after a trial with repeat counter `repeat` (1..6): shrunk by
// 0.6 + 0.1·repeat, then held between the lower bound and the smaller of
// 0.4·start value and the upper bound.
double AdjustStep(double step, const OptimizerVariable& v, int repeat);

// Value of variable m in an extrapolation trial: max((1 + c)·x + c·reference,
// lower bound) with c = 0.0004·repeat.
double ExtrapolationValue(double x, double reference, int repeat, double lowerBound);

// The smoothed grade B of the stall test, updated after a pass with the total
// grade of the best crossover. Returns true when the search has stalled (B is
// then raised by 0.0025).
bool UpdateStallMeasure(double& b, double total);

// The variable whose part is fixed after a stall: the highest part type
// (coil, capacitor, resistor), among equal types the largest start value; a
// coil-resistance variable is never chosen by itself. -1 when none qualifies.
int ChooseVariableToFix(const std::vector<OptimizerVariable>& vars, const Project& p);

// Removes variable `index` (and for a coil its coil-resistance variable,
// together with their reference rows), keeping the order of the others, and
// widens every remaining step to at least 0.04·start value and 100·lower bound.
void RemoveFixedVariable(std::vector<OptimizerVariable>& vars, std::vector<VariableReferences>& refs, int index);

// How stalled parts of one kind are fixed.
enum class FixChoice {
  Manual,  // chosen by hand (the part editor); headless: keep the continuous value
  E6,
  E12,
};
struct PartFixRules {
  FixChoice resistors = FixChoice::Manual;
  FixChoice capacitors = FixChoice::Manual;
  FixChoice coils = FixChoice::Manual;  // the window always chooses coils by hand
};
// The part with its value rounded by the rule for its kind, or no value when
// the rule is Manual (or the part is of no kind with a rule).
std::optional<CrossoverPart> FixPartByRule(const CrossoverPart& part, const PartFixRules& rules);

}  // namespace sonvex
