#pragma once
// Straightforward evaluation of the baffle model, term by term, as a yardstick
// for the production version (tests and the benchmark).
#include <string>

#include "model/project.h"
#include "model/result.h"

namespace sonvex::testing {

std::string ReferenceBaffle(const Baffle& baffle, const FreqArray& freq, int lastIndex, DirectionTable& table);

}  // namespace sonvex::testing
