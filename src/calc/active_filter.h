#pragma once
// Level and active filter sections of an amplifier in front of its passive
// crossover.
#include <string>

#include "model/project.h"
#include "model/result.h"
#include "numeric/complex.h"

namespace sonvex {

// Response of the amplifier's level and enabled filter sections at f Hz, in
// the order of the high-pass 6, 12a, 12b and low-pass 6, 12a, 12b sections. No validation.
Complex ActiveFilterResponse(const Amplifier& amp, double f);

// The validation of an amplifier's settings: "" when they are usable, else the
// message of the last failing test (level first, then the six sections).
std::string ValidateActiveFilters(const Amplifier& amp, int a);

// Item ActiveFilter[a]: validates the settings of amplifier a and writes its
// response into r.filterResponse[a] over the project's grid. Returns "OK" or the
// message; on a validation failure the previous response stays.
std::string ActiveFilterItem(const Project& p, int a, CalcResult& r);

}  // namespace sonvex
