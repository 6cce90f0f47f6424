#pragma once
// Rounding a part value to the standard E6 or E12 series.
#include <array>

namespace sonvex {

enum class ESeries { E6, E12 };

// The E24 values of one decade, extended to 15 so that a value just below the
// next decade can round up to 10 times the decade.
inline constexpr std::array<double, 29> kE24Extended{1.0, 1.1, 1.2, 1.3, 1.5, 1.6, 1.8, 2.0, 2.2, 2.4,
                                                     2.7, 3.0, 3.3, 3.6, 3.9, 4.3, 4.7, 5.1, 5.6, 6.2,
                                                     6.8, 7.5, 8.2, 9.1, 10,  11,  12,  13,  15};

// The series value nearest to x (linear distance; of two equally near values
// the lower). Values below 1e-100 give 1e-100.
double RoundToESeries(double x, ESeries series);

}  // namespace sonvex
