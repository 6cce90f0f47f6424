#pragma once
// Measured off-axis responses in the direction table of a chassis: where its
// polar set covers a direction, the modelled factor D_k becomes D_0 · R(θ_k),
// R being the measured response at θ_k relative to 0° (model/polar_set.h).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/project.h"
#include "model/result.h"

namespace sonvex {

// The chassis's response was measured in the box being simulated
// (condition 5) and that measured response is in use.
bool MeasuredInTheBox(const Chassis& c);
// The set describes the box being simulated only then; it needs a 0° file.
bool PolarSetInUse(const Chassis& c);

// Why a chassis's set is not used, in German; empty when it is used or when
// there is no set.
std::string PolarSetUnusedText(const Chassis& c);

// The ratio R(θ) of every measured response of a plane and every grid
// index: level in dB and phase in radians relative to the plane's reference,
// interpolated onto the grid by the rules for measured curves.
struct PolarRatio {
  double dB = 0, phase = 0;
};

// R at angle `angle` of `plane` and grid index i (see polar_set.h for the
// definitions); only for angles the set covers.
class PolarRatios {
 public:
  PolarRatios(const PolarSet& set, const FreqArray& freq, int lastIndex);

  bool Covers(PolarPlane plane, double angle) const;
  // The interpolated ratio at the angle as a complex factor.
  Complex At(PolarPlane plane, double angle, int i) const;
  // Level and phase (not yet a complex factor) at the angle.
  PolarRatio LevelAndPhase(PolarPlane plane, double angle, int i) const;
  int Count() const { return count_; }

 private:
  PolarRatio Entry(PolarPlane plane, int entry, int i) const;

  int count_ = 0;  // grid indices 0..count_−1
  std::array<std::vector<PlaneAngle>, 2> angles_;
  std::array<int, 2> reference_{-1, -1};
  // Per response: level (dB) and phase (radians) on the grid.
  std::vector<std::vector<double>> level_, phase_;
  bool withPhase_ = false;
};

// A phase difference in radians wrapped into (−π, π]: the short way round.
double WrapPhase(double radians);

// Replaces the directions of `table` that `set` covers (grid entries up to
// `lastIndex`, ended by a frequency not above 0) and returns the coverage
// mask (bit k: direction k from measurement; polar_set.h). Direction 0 stays.
std::uint32_t ApplyPolarSet(const PolarSet& set, const FreqArray& freq, int lastIndex, DirectionTable& table);

}  // namespace sonvex
