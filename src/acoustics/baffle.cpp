// Baffle diffraction and directivity of one chassis.
//
// The chassis is a rigid piston (optionally with a ring share) in a finite
// baffle. The edges are modelled as two lines of secondary sources around the
// perimeter (the outer edge and the inner line where a chamfer starts), each
// excited by the piston's radiation at 90° and delayed by its path. The
// result is one complex factor per grid frequency and per fixed direction.
//
// Speed: per frequency the model asks for about 30 × 480 phase factors.
// Everything that does not depend on the frequency (element paths, window
// weights, piston sample positions and weights) is prepared once per call.
// The edge terms share per-element phase factors between the directions and
// skip every element of strength or window weight 0 (baffle_edges.h); the
// piston's cosines of one frequency are taken in two vectorised batches. Both
// use a branch-free sine and cosine that agrees with the library functions to
// within a unit or so in the last place; with the phases split as described
// there, the table matches a straightforward evaluation to rounding.
#include "acoustics/baffle.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

#include "acoustics/baffle_edges.h"
#include "acoustics/baffle_model.h"
#include "numeric/constants.h"

namespace sonvex {

namespace {

using namespace baffle;

const char* const kMsgDiameter = "Maß d auf Schallwand muss >= 0 sein. ";
const char* const kMsgChamfer = "Maße e, f, g, und i auf Schallwand müssen >= 0 sein. ";
const char* const kMsgSize = "Maße a, b, c und h auf Schallwand müssen > 0 sein. ";
const char* const kMsgPosition = "Chassisposition auf der Schallwand geometrisch nicht möglich. ";
const char* const kMsgFault = "Unbekannter Fehler.";

bool RowFinite(const DirectionRow& row) {
  return std::all_of(row.begin(), row.end(), [](const Complex& c) { return CIsFinite(c); });
}

void Permute(DirectionTable& table, const std::array<int, kDirections>& p) {
  for (DirectionRow& row : table) {
    const DirectionRow old = row;
    for (int k = 0; k < kDirections; ++k) row[k] = old[p[k]];
  }
}

constexpr std::array<int, kDirections> kYaw{12, 28, 8,  27, 16, 29, 4,  26, 20, 9, 0, 11, 21, 22, 2,
                                            25, 18, 23, 6,  24, 14, 10, 5,  1,  3, 7, 15, 19, 17, 13};
constexpr std::array<int, kDirections> kPitch{11, 7,  25, 15, 26, 3,  24, 19, 27, 0,  10, 21, 12, 1, 23,
                                              17, 28, 5,  22, 13, 29, 9,  2,  6,  14, 18, 20, 16, 8, 4};
constexpr std::array<int, kDirections> kMirror{21, 17, 18, 19, 20, 13, 14, 15, 16, 9,  10, 11, 12, 5,  6,
                                               7,  8,  1,  2,  3,  4,  0,  22, 23, 24, 25, 26, 27, 28, 29};

void FillAbsent(DirectionTable& table) {
  for (DirectionRow& row : table) row.fill(Complex{kAbsent, 0.0});
}

}  // namespace

void RotateYaw(DirectionTable& table) { Permute(table, kYaw); }
void RotatePitch(DirectionTable& table) { Permute(table, kPitch); }
void MirrorDirections(DirectionTable& table) { Permute(table, kMirror); }

std::string ComputeBaffle(const Baffle& baffle, const FreqArray& freq, int lastIndex, double sourceDepth,
                          DirectionTable& table) {
  (void)sourceDepth;  // the driver recomputes when it changes; the model does not use it
  // The whole table starts as "absent", also behind the grid's terminator, so
  // the result depends on the inputs only.
  FillAbsent(table);
  std::string text;

  // Checks and working dimensions.
  if (baffle.outletDiameter < 0) text += kMsgDiameter;
  double bottomDistance = baffle.bottomDistance, leftDistance = baffle.leftDistance, height = baffle.height,
         width = baffle.width;
  const double diameter = baffle.outletDiameter + 1e-10;
  if (baffle.chamferLeft < 0 || baffle.chamferRight < 0 || baffle.chamferTop < 0 || baffle.chamferBottom < 0)
    text += kMsgChamfer;
  const bool anyEdge = baffle.diffractLeft || baffle.diffractRight || baffle.diffractTop || baffle.diffractBottom;
  if (baffle.direction >= 0 && anyEdge) {
    if (baffle.bottomDistance <= 0 || baffle.width <= 0 || baffle.leftDistance <= 0 || baffle.height <= 0)
      text += kMsgSize;
    const double halfD = baffle.outletDiameter / 2;
    if (halfD + baffle.chamferBottom > baffle.bottomDistance || halfD + baffle.chamferLeft > baffle.leftDistance ||
        halfD + baffle.bottomDistance > baffle.height - baffle.chamferTop ||
        halfD + baffle.leftDistance > baffle.width - baffle.chamferRight)
      text += kMsgPosition;
  } else {
    // No diffracting edge (or a test enclosure): a small baffle around the diaphragm.
    bottomDistance = 2 * diameter + 1e-10 + baffle.chamferBottom;
    leftDistance = 2 * diameter + 1e-10 + baffle.chamferLeft;
    height = 2 * bottomDistance + baffle.chamferTop;
    width = 2 * leftDistance + baffle.chamferRight;
  }
  if (text.size() >= 3) return text;
  text = kMsgFault;

  // Edge elements: pass 1 along the outer edge, pass 2 along the inner
  // line where the chamfers start.
  std::array<EdgeElement, kElements> elements{};
  {
    const double s1 = 0.67 / kElements, s2 = 1.33 / kElements;
    const bool ok1 =
        SweepPass({height - bottomDistance, -baffle.chamferTop, baffle.diffractTop ? s1 : 0.0},
                  {leftDistance, -baffle.chamferLeft, baffle.diffractLeft ? s1 : 0.0},
                  {bottomDistance, -baffle.chamferBottom, baffle.diffractBottom ? s1 : 0.0},
                  {width - leftDistance, -baffle.chamferRight, baffle.diffractRight ? s1 : 0.0}, elements.data());
    const bool ok2 = SweepPass({height - bottomDistance - baffle.chamferTop, 0.0, baffle.diffractTop ? s2 : 0.0},
                               {leftDistance - baffle.chamferLeft, 0.0, baffle.diffractLeft ? s2 : 0.0},
                               {bottomDistance - baffle.chamferBottom, 0.0, baffle.diffractBottom ? s2 : 0.0},
                               {width - leftDistance - baffle.chamferRight, 0.0, baffle.diffractRight ? s2 : 0.0},
                               elements.data() + kPass);
    // A division by zero in the sweep (a line through the chassis centre) or
    // a non-finite element fails the item.
    if (!ok1 || !ok2) return text;
    for (const EdgeElement& e : elements)
      if (!std::isfinite(e.x) || !std::isfinite(e.y) || !std::isfinite(e.z) || !std::isfinite(e.r)) return text;
  }

  // Other negative codes than the two test-enclosure sides have no edge model
  // and no fitted table: they are computed like a wall-mounted chassis.
  const bool edgeModel = baffle.direction >= 0;
  const bool testSmall = baffle.direction == -2;
  const bool testLarge = baffle.direction == -3;

  std::unique_ptr<EdgeSums> edges;
  if (edgeModel) edges = std::make_unique<EdgeSums>(elements);

  Piston piston(baffle.diaphragmShape, diameter);
  std::array<double, 3> cosTheta{};
  for (int k = 1; k <= 3; ++k) cosTheta[k - 1] = std::cos(2 * k * kPiShort / 12);

  const int last = std::min(lastIndex, kFreqEntries - 1);
  for (int idx = 0; idx <= last && freq[idx] > 0; ++idx) {
    DirectionRow& row = table[idx];
    const double lambda = kSpeedOfSound / freq[idx];
    const double kp = 2.0 * kPiShort / lambda;  // phase constant with the short π
    const double kf = 2.0 * kPi / lambda;
    const double kh = kPi / lambda;

    // Piston directivity and direct sound.
    const std::array<double, 3> pTheta = piston.Evaluate(kf, kh);
    const double p90 = pTheta[2];
    const Complex direct0 = CRotate(kComplexOne, 0.12 * diameter * kp);

    if (testSmall || testLarge) {
      row[0] = testSmall ? TestEnclosure(kTestEnclosureSmall, direct0, p90, lambda)
                         : TestEnclosure(kTestEnclosureLarge, direct0, p90, lambda);
      if (!RowFinite(row)) {
        FillAbsent(table);
        return text;
      }
      continue;
    }

    row[0] = direct0;
    for (int g = 0; g < 3; ++g) {
      const Complex dir = CRotate({pTheta[g], 0.0}, cosTheta[g] * 0.12 * diameter * kp);
      for (int az = 0; az < 4; ++az) row[1 + 4 * g + az] = dir;
    }

    // Edge contributions, subtracted up to 90° and added beyond.
    if (edges) {
      const std::array<Complex, kEdgeDirections> sums = edges->Evaluate(kp);
      for (int d = 0; d < kEdgeDirections; ++d) {
        const Complex edge{p90 * sums[d].re, p90 * sums[d].im};
        row[d] = d >= 13 ? CAdd(row[d], edge) : CSub(row[d], edge);
      }
    }
    for (int k = 22; k < kDirections; ++k) row[k] = {0.5 * p90, 0.0};

    if (!RowFinite(row)) {
      FillAbsent(table);
      return text;
    }
  }

  // Output, turned for a chassis that does not face the listener.
  text = "OK";
  switch (baffle.direction) {
    case 1:
      RotateYaw(table);
      RotateYaw(table);
      break;
    case 2:
      RotateYaw(table);
      break;
    case 3:
      RotateYaw(table);
      RotateYaw(table);
      RotateYaw(table);
      break;
    case 4:
      RotatePitch(table);
      break;
    case 5:
      RotatePitch(table);
      RotatePitch(table);
      RotatePitch(table);
      break;
    default:
      break;
  }
  return text;
}

void MeasurementBaffle(Baffle& baffle, int which) {
  auto allEdges = [&baffle](bool on) {
    baffle.diffractLeft = baffle.diffractRight = baffle.diffractTop = baffle.diffractBottom = on;
  };
  switch (which) {
    case 1:  // infinite baffle
      allEdges(false);
      baffle.direction = 0;
      break;
    case 2:  // standard baffle
      baffle.direction = 0;
      allEdges(true);
      baffle.chamferLeft = baffle.chamferRight = baffle.chamferTop = baffle.chamferBottom = 0;
      baffle.bottomDistance = 0.766;
      baffle.width = 1.775;
      baffle.leftDistance = 0.654;
      baffle.height = 2.266;
      break;
    case 3:
      baffle.direction = -2;
      break;  // test enclosure, small side
    case 4:
      baffle.direction = -3;
      break;  // test enclosure, large side
    case 6:   // old small test enclosure
    case 7:   // old large test enclosure
      baffle.direction = 0;
      allEdges(true);
      baffle.chamferLeft = baffle.chamferRight = 0;
      baffle.chamferTop = which == 6 ? 0.166 : 0.166145;
      baffle.chamferBottom = 0.67165;
      baffle.bottomDistance = baffle.chamferBottom + 0.25 + 0.03;
      baffle.width = which == 6 ? 0.255 + baffle.chamferLeft + baffle.chamferRight : 0.52;
      baffle.leftDistance = which == 6 ? 0.1275 + baffle.chamferLeft : 0.26;
      baffle.height = 0.5 + baffle.chamferBottom + baffle.chamferTop;
      break;
    default:
      break;  // 5: the box to be simulated; unknown codes change nothing
  }
}

}  // namespace sonvex
