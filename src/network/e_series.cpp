#include "network/e_series.h"

#include <cmath>
#include <cstddef>

#include "numeric/constants.h"

namespace sonvex {

double RoundToESeries(double x, ESeries series) {
  if (x < kAbsent) return kAbsent;
  // Every fourth E24 value is an E6 value, every second an E12 value.
  const std::size_t step = series == ESeries::E6 ? 4 : 2;
  const double decade = std::pow(10.0, std::floor(std::log10(x)));
  std::size_t index = 0;
  while (index + step < kE24Extended.size() &&
         std::fabs(x - decade * kE24Extended[index + step]) < std::fabs(x - decade * kE24Extended[index]))
    index += step;
  return decade * kE24Extended[index];
}

}  // namespace sonvex
