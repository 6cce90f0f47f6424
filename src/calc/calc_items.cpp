// Dispatch of the calculation items in their processing order.
#include <exception>

#include "calc/active_filter.h"
#include "calc/baffle_item.h"
#include "calc/calc_thread.h"
#include "calc/chassis_item.h"
#include "calc/check.h"
#include "calc/whole_box.h"
#include "network/solver.h"

namespace sonvex {

void RunCalcItem(int item, const Project& p, CalcResult& r, CalcStates& states, SolverWork& work) {
  std::string& state = states.states.at(item);
  state.clear();
  // Items turn their own faults into their messages; anything that still
  // escapes (memory exhausted, say) ends the item, never the thread.
  try {
    if (item == CalcStates::kCheck) {
      state = CheckItem(p, r);
    } else if (item < CalcStates::kActiveFilter0) {
      state = BaffleItem(p, item - CalcStates::kBaffle0, r);
    } else if (item < CalcStates::kChassis0) {
      state = ActiveFilterItem(p, item - CalcStates::kActiveFilter0, r);
    } else if (item < CalcStates::kCrossover0) {
      state = ChassisItem(p, item - CalcStates::kChassis0, r);
    } else if (item < CalcStates::kWholeBox) {
      state = CrossoverItem(p, item - CalcStates::kCrossover0, r, work);
    } else {
      state = WholeBoxItem(p, r);
    }
  } catch (const std::exception&) {
    state = "Unbekannter Fehler.";
  }
}

}  // namespace sonvex
