#include "acoustics/polar_directions.h"

#include <cmath>

#include "acoustics/chassis_model.h"
#include "numeric/constants.h"

namespace sonvex {

static_assert(kPolarDirections == kDirections, "the polar set describes the direction table");

namespace {

constexpr double kDegree = kPi / 180;

std::size_t Index(PolarPlane p) { return static_cast<std::size_t>(p); }

}  // namespace

double WrapPhase(double radians) {
  const double x = std::remainder(radians, 2 * kPi);
  return x <= -kPi ? x + 2 * kPi : x;
}

bool MeasuredInTheBox(const Chassis& c) { return c.responseSource == 5 && c.useMeasuredAmplitude; }

bool PolarSetInUse(const Chassis& c) { return !c.polar.Empty() && MeasuredInTheBox(c) && PolarCoverage(c.polar) != 0; }

std::string PolarSetUnusedText(const Chassis& c) {
  if (c.polar.Empty() || PolarSetInUse(c)) return {};
  if (PolarCoverage(c.polar) == 0) return "Die Polardaten werden nicht verwendet: es fehlt die Messung unter 0°.";
  if (c.responseSource != 5)
    return "Die Polardaten werden nicht verwendet: sie gelten nur für einen Frequenzgang, der \"im Gehäuse\" "
           "gemessen wurde.";
  return "Die Polardaten werden nicht verwendet: der gemessene Frequenzgang ist nicht eingeschaltet.";
}

PolarRatios::PolarRatios(const PolarSet& set, const FreqArray& freq, int lastIndex) {
  const int last = std::min(lastIndex, kFreqEntries - 1);
  while (count_ <= last && freq[static_cast<std::size_t>(count_)] > 0) ++count_;
  for (PolarPlane p : {PolarPlane::Horizontal, PolarPlane::Vertical}) {
    angles_[Index(p)] = PlaneAngles(set, p);
    reference_[Index(p)] = PolarReference(set, p);
  }
  // Measured curves are interpolated linearly between their points, without
  // the project's smoothing: the ratio of two smoothed responses would not be
  // the smoothed ratio, and the on-axis response carries the smoothing already.
  withPhase_ = set.HasPhase();
  const auto& rs = set.Responses();
  level_.resize(rs.size());
  phase_.resize(rs.size());
  std::vector<double> radians;
  for (std::size_t r = 0; r < rs.size(); ++r) {
    level_[r].resize(static_cast<std::size_t>(count_));
    phase_[r].resize(static_cast<std::size_t>(count_));
    radians.resize(rs[r].phase.size());
    for (std::size_t k = 0; k < radians.size(); ++k) radians[k] = rs[r].phase[k] * kDegree;
    for (int i = 0; i < count_; ++i) {
      const double f = freq[static_cast<std::size_t>(i)];
      level_[r][static_cast<std::size_t>(i)] = InterpolateLevel(rs[r].freq, rs[r].level, 0, f);
      if (withPhase_) phase_[r][static_cast<std::size_t>(i)] = InterpolatePhase(rs[r].freq, radians, f);
    }
  }
}

bool PolarRatios::Covers(PolarPlane plane, double angle) const {
  return reference_[Index(plane)] >= 0 && FindPolarBracket(angles_[Index(plane)], angle).has_value();
}

PolarRatio PolarRatios::Entry(PolarPlane plane, int entry, int i) const {
  const int r = angles_[Index(plane)][static_cast<std::size_t>(entry)].response;
  const int ref = reference_[Index(plane)];
  if (r < 0 || r == ref) return {};
  const auto ri = static_cast<std::size_t>(r);
  const auto fi = static_cast<std::size_t>(i);
  const auto refi = static_cast<std::size_t>(ref);
  return {level_[ri][fi] - level_[refi][fi], phase_[ri][fi] - phase_[refi][fi]};
}

PolarRatio PolarRatios::LevelAndPhase(PolarPlane plane, double angle, int i) const {
  const auto bracket = FindPolarBracket(angles_[Index(plane)], angle);
  if (!bracket || reference_[Index(plane)] < 0) return {};
  const PolarRatio a = Entry(plane, bracket->a, i);
  if (bracket->a == bracket->b) return a;
  const PolarRatio b = Entry(plane, bracket->b, i);
  const double u = bracket->u;
  return {a.dB + u * (b.dB - a.dB), a.phase + u * WrapPhase(b.phase - a.phase)};
}

Complex PolarRatios::At(PolarPlane plane, double angle, int i) const {
  const PolarRatio r = LevelAndPhase(plane, angle, i);
  return CPolar(std::pow(10.0, r.dB / 20), r.phase);
}

std::uint32_t ApplyPolarSet(const PolarSet& set, const FreqArray& freq, int lastIndex, DirectionTable& table) {
  const std::uint32_t mask = PolarCoverage(set);
  if (mask == 0) return 0;
  const PolarRatios ratios(set, freq, lastIndex);
  // The rear axis from the horizontal plane where it reaches 180°.
  const PolarPlane rearPlane =
      ratios.Covers(PolarPlane::Horizontal, 180) ? PolarPlane::Horizontal : PolarPlane::Vertical;
  for (int i = 0; i < ratios.Count(); ++i) {
    DirectionRow& row = table[static_cast<std::size_t>(i)];
    const Complex d0 = row[0];
    for (int k = 1; k <= 20; ++k) {
      if ((mask & (1u << k)) == 0) continue;
      const PolarAngle d = *DirectionAngle(k);
      row[static_cast<std::size_t>(k)] = CMul(d0, ratios.At(d.plane, d.angle, i));
    }
    if ((mask & (1u << 21)) != 0) row[21] = CMul(d0, ratios.At(rearPlane, 180, i));
    if ((mask & (1u << 22)) != 0) {
      // The baffle plane: the mean of the four 90° ratios.
      Complex sum = kComplexZero;
      for (int k = 9; k <= 12; ++k) {
        const PolarAngle d = *DirectionAngle(k);
        sum = CAdd(sum, ratios.At(d.plane, d.angle, i));
      }
      const Complex side = CMul(d0, CScale(sum, 0.25));
      for (int k = 22; k < kDirections; ++k) row[static_cast<std::size_t>(k)] = side;
    }
  }
  return mask;
}

}  // namespace sonvex
