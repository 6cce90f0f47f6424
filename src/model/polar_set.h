#pragma once
// Measured off-axis responses of one chassis in its box (a polar set): per
// plane (horizontal, vertical) the responses measured at angles −180..180°.
// Where a set covers a direction it replaces the modelled direction factor of
// the chassis's front sound by the measured one relative to 0°. This file
// holds the record, the rules that say which directions a set covers, and
// the reading of the measurement files a set is made from.
#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sonvex {

enum class PolarPlane : std::int8_t { Horizontal = 0, Vertical = 1 };

// One measured response. Angles in degrees: positive is right in the
// horizontal plane and up in the vertical plane; 0 is the set's on-axis
// measurement.
struct PolarResponse {
  PolarPlane plane = PolarPlane::Horizontal;
  double angle = 0;
  std::vector<double> freq, level, phase;  // Hz, dB, degrees; `phase` empty where the file had none
  std::string fileName;                    // the measurement file, without its folder

  bool HasPhase() const { return !phase.empty(); }
  bool operator==(const PolarResponse&) const = default;
};

// At most this many responses in a set: 1° steps around both planes.
inline constexpr int kMaxPolarResponses = 720;

// The set of a chassis. Once made it does not change: copies of a project
// (undo steps, the calculation's copy) share it, and an edit puts a new set
// in its place. Compared by content.
class PolarSet {
 public:
  PolarSet() = default;
  explicit PolarSet(std::vector<PolarResponse> responses);

  const std::vector<PolarResponse>& Responses() const;
  bool Empty() const { return !data_ || data_->empty(); }
  // Every response has a phase: the ratios are complex; otherwise they are
  // magnitudes only.
  bool HasPhase() const;

  bool operator==(const PolarSet& other) const;

 private:
  std::shared_ptr<const std::vector<PolarResponse>> data_;
};

// The directions of a chassis's direction table: 0 on axis; 1..20 at 30°,
// 60°, 90°, 120°, 150° towards up, left, down, right (direction 4·(s−1)+1+a
// for step s and side a); 21 the rear axis; 22..29 in the baffle plane.
inline constexpr int kPolarDirections = 30;
inline constexpr std::uint32_t kAllPolarDirections = (1u << kPolarDirections) - 1u;

struct PolarAngle {
  PolarPlane plane = PolarPlane::Horizontal;
  double angle = 0;
};
// Plane and signed angle of directions 1..20 (up = vertical +θ, left =
// horizontal −θ, down = vertical −θ, right = horizontal +θ); nothing for the
// other directions.
std::optional<PolarAngle> DirectionAngle(int direction);

// One angle of a plane as the interpolation between measured angles sees it.
// `response` is the index of the measured response, −1 for the set's on-axis
// point (ratio 1).
struct PlaneAngle {
  double angle = 0;
  int response = -1;
};
// The angles of one plane in ascending order: 0 (the set's on-axis
// measurement, shared by both planes), every measured angle of the plane, the
// mirror images where the plane was measured on one side of 0° only, and 180°
// and −180° both where either was measured (they are the same angle). A
// second response at the same plane and angle is left out (the first counts).
std::vector<PlaneAngle> PlaneAngles(const PolarSet& set, PolarPlane plane);

// The two neighbouring entries a ≤ θ ≤ b of PlaneAngles and the fraction
// u = (θ − θa)/(θb − θa) (0 where θ is a measured angle); nothing where θ lies
// beyond the plane's largest angle on that side.
struct PolarBracket {
  int a = 0, b = 0;
  double u = 0;
};
std::optional<PolarBracket> FindPolarBracket(const std::vector<PlaneAngle>& angles, double angle);

// The response each response of `plane` is divided by: the plane's 0° file,
// otherwise the other plane's; −1 when the set has no 0° file at all.
int PolarReference(const PolarSet& set, PolarPlane plane);

// Bit k is set when direction k of the table comes from the set: 0 whenever
// the set has a 0° file, 1..20 where the plane covers the angle, 21 from the
// horizontal plane's ±180°, else the vertical one's, 22..29 where all four 90°
// directions are covered. 0 for an empty set or one without a 0° file.
std::uint32_t PolarCoverage(const PolarSet& set);

// The directions of a coverage mask as text, e.g. "0–21, 22–29" or "0, 1–4"
// (runs of consecutive directions joined by "–"); "keine" for none.
std::string DirectionListText(std::uint32_t coverage);

// A short German description of a set for the chassis editor: the number of
// files, the angles per plane, whether it has phase.
std::string PolarSetSummary(const PolarSet& set);

// 180° and −180° are the same angle.
bool SamePolarAngle(double a, double b);
// An angle in texts: "30°", "-7,5°".
std::string PolarAngleText(double angle);
// Plane in texts: "horizontal", "vertikal".
std::string_view PlaneName(PolarPlane plane);

}  // namespace sonvex
