#pragma once
// Level and active filter sections of an amplifier in front of its passive
// crossover.
#include <string>

#include "model/project.h"
#include "model/result.h"
#include "numeric/complex.h"

namespace sonvex {

// Response of the amplifier's level and enabled filter sections at f Hz, in
// the order HP6, HP121, HP122, TP6, TP121, TP122. No validation.
TComplex ActiveFilterResponse(const TVerstaerker& v, double f);

// The validation of an amplifier's settings: "" when they are usable, else the
// message of the last failing test (level first, then the six sections).
std::string ValidateActiveFilters(const TVerstaerker& v, int a);

// Item AktFilt[a]: validates the settings of amplifier a and writes its
// response into r.FilterResp[a] over the project's grid. Returns "OK" or the
// message; on a validation failure the previous response stays.
std::string AktFiltItem(const TProjekt& p, int a, TResult& r);

}  // namespace sonvex
