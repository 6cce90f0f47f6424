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
inline bool IsValuePart(int typ) { return typ == ptR || typ == ptC || typ == ptL; }

// One optimisation variable: the value of a marked part, or the winding
// resistance of a marked coil.
struct TOptiValue {
  std::int32_t amplifier = 0;   // 0..5
  std::int32_t slot = 0;        // 0..185
  bool coilResistance = false;  // the variable is `_Rvalue` of a coil instead of `_value`
  double startValue = 0;        // value when the run began
  double step = 0;              // current step size
  double lowerBound = 0;        // smallest allowed value, also the smallest step
  double upperBound = 0;        // largest allowed step
  std::string label;            // "R = ", "C = ", "L = ", "R(L) = "
  std::string unit;             // " Ohm", " uF", " mH", " Ohm"
  double displayFactor = 1;     // 1, 1e6, 1000, 1

  bool operator==(const TOptiValue&) const = default;
};

// Parts are examined while fewer than this many variables are collected; a
// coil (two variables) collected last brings the count to kMaxOptiValues.
inline constexpr int kOptiCollectLimit = 49;
inline constexpr int kMaxOptiValues = 50;
// Reference rows of the extrapolation trials: rows 0, 1 for the trial after
// the last variable, rows 2, 3 for the one after that.
inline constexpr int kOptiReferenceRows = 4;
using TOptiReference = std::array<double, kOptiReferenceRows>;

// The variables of the marked resistors, capacitors and coils of the
// amplifiers in use, amplifier by amplifier and slot by slot.
std::vector<TOptiValue> CollectOptiValues(const TProjekt& p);

// The value a variable stands for in a project, and setting it.
double OptiValueOf(const TProjekt& p, const TOptiValue& v);
void SetOptiValue(TProjekt& p, const TOptiValue& v, double x);

// The two candidates of a variable step from value x: x + step (not limited
// upwards) and x - step, but not below the lower bound.
struct TStepTrials {
  double up = 0;
  double down = 0;
};
TStepTrials StepTrials(double x, const TOptiValue& v);

// The step after a trial with repeat counter `repeat` (1..6): shrunk by
// 0.6 + 0.1·repeat, then held between the lower bound and the smaller of
// 0.4·start value and the upper bound.
double AdjustStep(double step, const TOptiValue& v, int repeat);

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
int ChooseVariableToFix(const std::vector<TOptiValue>& vars, const TProjekt& p);

// Removes variable `index` (and for a coil its coil-resistance variable,
// together with their reference rows), keeping the order of the others, and
// widens every remaining step to at least 0.04·start value and 100·lower bound.
void RemoveFixedVariable(std::vector<TOptiValue>& vars, std::vector<TOptiReference>& refs, int index);

// How stalled parts of one kind are fixed.
enum class TFixChoice {
  Manual,  // chosen by hand (the part editor); headless: keep the continuous value
  E6,
  E12,
};
struct TFixRules {
  TFixChoice resistors = TFixChoice::Manual;
  TFixChoice capacitors = TFixChoice::Manual;
  TFixChoice coils = TFixChoice::Manual;  // the window always chooses coils by hand
};
// The part with its value rounded by the rule for its kind, or no value when
// the rule is Manual (or the part is of no kind with a rule).
std::optional<TWPart> FixPartByRule(const TWPart& part, const TFixRules& rules);

}  // namespace sonvex
