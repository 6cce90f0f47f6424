#include "model/polar_set.h"

#include <algorithm>
#include <cmath>

#include "model/number_text.h"

namespace sonvex {

namespace {

const std::vector<PolarResponse>& NoResponses() {
  static const std::vector<PolarResponse> kNone;
  return kNone;
}

PolarPlane OtherPlane(PolarPlane p) {
  return p == PolarPlane::Horizontal ? PolarPlane::Vertical : PolarPlane::Horizontal;
}

}  // namespace

PolarSet::PolarSet(std::vector<PolarResponse> responses) {
  if (!responses.empty()) data_ = std::make_shared<const std::vector<PolarResponse>>(std::move(responses));
}

const std::vector<PolarResponse>& PolarSet::Responses() const { return data_ ? *data_ : NoResponses(); }

bool PolarSet::HasPhase() const {
  const auto& rs = Responses();
  return !rs.empty() && std::all_of(rs.begin(), rs.end(), [](const PolarResponse& r) { return r.HasPhase(); });
}

bool PolarSet::operator==(const PolarSet& other) const {
  if (data_ == other.data_) return true;
  if (Empty() || other.Empty()) return Empty() && other.Empty();
  return *data_ == *other.data_;
}

std::optional<PolarAngle> DirectionAngle(int direction) {
  if (direction < 1 || direction > 20) return std::nullopt;
  const double theta = 30.0 * ((direction - 1) / 4 + 1);
  switch ((direction - 1) % 4) {
    case 0:
      return PolarAngle{PolarPlane::Vertical, theta};  // up
    case 1:
      return PolarAngle{PolarPlane::Horizontal, -theta};  // left
    case 2:
      return PolarAngle{PolarPlane::Vertical, -theta};  // down
    default:
      return PolarAngle{PolarPlane::Horizontal, theta};  // right
  }
}

std::vector<PlaneAngle> PlaneAngles(const PolarSet& set, PolarPlane plane) {
  std::vector<PlaneAngle> out{{0.0, -1}};
  const auto taken = [&out](double a) {
    return std::any_of(out.begin(), out.end(), [a](const PlaneAngle& e) { return SamePolarAngle(e.angle, a); });
  };
  bool right = false, left = false;
  const auto& rs = set.Responses();
  for (int i = 0; i < static_cast<int>(rs.size()); ++i) {
    const PolarResponse& r = rs[static_cast<std::size_t>(i)];
    const double a = r.angle;
    if (r.plane != plane || !(std::fabs(a) <= 180) || r.freq.empty() || taken(a)) continue;
    if (std::fabs(a) == 180) {
      out.push_back({180.0, i});
      out.push_back({-180.0, i});
      continue;
    }
    out.push_back({a, i});
    (a > 0 ? right : left) = true;
  }
  // A plane measured on one side only is taken as symmetric.
  if (right != left) {
    const std::size_t n = out.size();
    for (std::size_t k = 0; k < n; ++k)
      if (out[k].angle != 0 && std::fabs(out[k].angle) < 180) out.push_back({-out[k].angle, out[k].response});
  }
  std::stable_sort(out.begin(), out.end(), [](const PlaneAngle& x, const PlaneAngle& y) { return x.angle < y.angle; });
  return out;
}

std::optional<PolarBracket> FindPolarBracket(const std::vector<PlaneAngle>& angles, double angle) {
  const auto it =
      std::lower_bound(angles.begin(), angles.end(), angle, [](const PlaneAngle& e, double a) { return e.angle < a; });
  if (it == angles.end()) return std::nullopt;
  const int b = static_cast<int>(it - angles.begin());
  if (it->angle == angle) return PolarBracket{b, b, 0.0};
  if (b == 0) return std::nullopt;
  const double a0 = angles[static_cast<std::size_t>(b - 1)].angle;
  return PolarBracket{b - 1, b, (angle - a0) / (it->angle - a0)};
}

int PolarReference(const PolarSet& set, PolarPlane plane) {
  const auto& rs = set.Responses();
  for (PolarPlane p : {plane, OtherPlane(plane)})
    for (std::size_t i = 0; i < rs.size(); ++i)
      if (rs[i].plane == p && rs[i].angle == 0 && !rs[i].freq.empty()) return static_cast<int>(i);
  return -1;
}

std::uint32_t PolarCoverage(const PolarSet& set) {
  if (PolarReference(set, PolarPlane::Horizontal) < 0) return 0;
  const std::array<std::vector<PlaneAngle>, 2> planes{PlaneAngles(set, PolarPlane::Horizontal),
                                                      PlaneAngles(set, PolarPlane::Vertical)};
  const auto covers = [&planes](PolarPlane p, double a) {
    return FindPolarBracket(planes[static_cast<std::size_t>(p)], a).has_value();
  };
  std::uint32_t mask = 1u;
  for (int k = 1; k <= 20; ++k) {
    const PolarAngle d = *DirectionAngle(k);
    if (covers(d.plane, d.angle)) mask |= 1u << k;
  }
  if (covers(PolarPlane::Horizontal, 180) || covers(PolarPlane::Vertical, 180)) mask |= 1u << 21;
  const std::uint32_t ninety = 0xFu << 9;  // directions 9..12
  if ((mask & ninety) == ninety) mask |= 0xFFu << 22;
  return mask;
}

std::string DirectionListText(std::uint32_t coverage) {
  std::string text;
  int k = 0;
  while (k < kPolarDirections) {
    if ((coverage & (1u << k)) == 0) {
      ++k;
      continue;
    }
    int last = k;
    while (last + 1 < kPolarDirections && (coverage & (1u << (last + 1))) != 0) ++last;
    if (!text.empty()) text += ", ";
    text += std::to_string(k);
    if (last > k) text += "–" + std::to_string(last);
    k = last + 1;
  }
  return text.empty() ? "keine" : text;
}

std::string PolarSetSummary(const PolarSet& set) {
  if (set.Empty()) return "keine Polardaten";
  const auto& rs = set.Responses();
  std::string text = std::to_string(rs.size()) + (rs.size() == 1 ? " Datei" : " Dateien");
  for (PolarPlane plane : {PolarPlane::Horizontal, PolarPlane::Vertical}) {
    double lo = 0, hi = 0;
    int n = 0;
    for (const PolarResponse& r : rs) {
      if (r.plane != plane) continue;
      lo = n == 0 ? r.angle : std::min(lo, r.angle);
      hi = n == 0 ? r.angle : std::max(hi, r.angle);
      ++n;
    }
    text += ", " + std::string(PlaneName(plane)) + " ";
    if (n == 0)
      text += "keine";
    else if (lo == hi)
      text += PolarAngleText(lo);
    else
      text += PolarAngleText(lo) + " bis " + PolarAngleText(hi);
  }
  text += set.HasPhase() ? ", mit Phase" : ", ohne Phase (nur Beträge)";
  return text;
}

bool SamePolarAngle(double a, double b) { return a == b || (std::fabs(a) == 180 && std::fabs(b) == 180); }

std::string PolarAngleText(double angle) { return FormatNumber(angle, 8) + "°"; }

std::string_view PlaneName(PolarPlane plane) { return plane == PolarPlane::Horizontal ? "horizontal" : "vertikal"; }

}  // namespace sonvex
