#pragma once
// The JSON form of a calculation result that `sonvex-cli calc --json` writes.
#include <nlohmann/json.hpp>
#include <string>

#include "calc/calc_thread.h"
#include "calc/check.h"
#include "calc/grading.h"
#include "model/result.h"

namespace sonvex {

// The name of a calculation item in the timing list ("Prüfung", "Schallwand 1", ...).
std::string ItemName(int item);

// Every curve of the result (per chassis and amplifier in use), the item
// states, the status report and the grade block; direction tables only with
// `withTables`. A value that is not finite is written as null and counted in
// `nonFinite`.
nlohmann::json ResultJson(const CalcResult& r, const CalcStates& states, const CalcReport& report,
                          const GradeBlock& grades, bool withTables, int& nonFinite);

}  // namespace sonvex
