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

void RunCalcItem(int item, const TProjekt& p, TResult& r, TCalcStruct& states, TSolverWork& work) {
  std::string& state = states.states.at(item);
  state.clear();
  // Items turn their own faults into their messages; anything that still
  // escapes (memory exhausted, say) ends the item, never the thread.
  try {
    if (item == TCalcStruct::kCheck) {
      state = CheckItem(p, r);
    } else if (item < TCalcStruct::kAktFilt0) {
      state = BaffleItem(p, item - TCalcStruct::kBaffle0, r);
    } else if (item < TCalcStruct::kChassis0) {
      state = AktFiltItem(p, item - TCalcStruct::kAktFilt0, r);
    } else if (item < TCalcStruct::kWeiche0) {
      state = ChassisItem(p, item - TCalcStruct::kChassis0, r);
    } else if (item < TCalcStruct::kGesamt) {
      state = WeicheItem(p, item - TCalcStruct::kWeiche0, r, work);
    } else {
      state = GesamtItem(p, r);
    }
  } catch (const std::exception&) {
    state = "Unbekannter Fehler.";
  }
}

}  // namespace sonvex
