#pragma once
// The logarithmic frequency grid formula.
#include <span>

namespace sonvex {

// out[i] = fMin·(fMax/fMin)^(i/(n−1)) for i = 0..n−1 with n = out.size();
// a single point is fMin.
void LogGrid(double fMin, double fMax, std::span<double> out);

}  // namespace sonvex
