#include "numeric/log_grid.h"

#include <cmath>

namespace sonvex {

void LogGrid(double fMin, double fMax, std::span<double> out) {
  const int n = static_cast<int>(out.size());
  const double ratio = fMax / fMin;
  for (int i = 0; i < n; ++i) {
    const double t = n > 1 ? static_cast<double>(i) / (n - 1) : 0.0;
    out[static_cast<std::size_t>(i)] = fMin * std::pow(ratio, t);
  }
}

}  // namespace sonvex
