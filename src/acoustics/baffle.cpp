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

const char* const kMsgD = "Maß d auf Schallwand muss >= 0 sein. ";
const char* const kMsgChamfer = "Maße e, f, g, und i auf Schallwand müssen >= 0 sein. ";
const char* const kMsgSize = "Maße a, b, c und h auf Schallwand müssen > 0 sein. ";
const char* const kMsgPosition = "Chassisposition auf der Schallwand geometrisch nicht möglich. ";
const char* const kMsgFault = "Unbekannter Fehler.";

bool RowFinite(const TDirRow& row) {
  return std::all_of(row.begin(), row.end(), [](const TComplex& c) { return CIsFinite(c); });
}

void Permute(TDirTable& table, const std::array<int, kDirections>& p) {
  for (TDirRow& row : table) {
    const TDirRow old = row;
    for (int k = 0; k < kDirections; ++k) row[k] = old[p[k]];
  }
}

constexpr std::array<int, kDirections> kYaw{12, 28, 8,  27, 16, 29, 4,  26, 20, 9, 0, 11, 21, 22, 2,
                                            25, 18, 23, 6,  24, 14, 10, 5,  1,  3, 7, 15, 19, 17, 13};
constexpr std::array<int, kDirections> kPitch{11, 7,  25, 15, 26, 3,  24, 19, 27, 0,  10, 21, 12, 1, 23,
                                              17, 28, 5,  22, 13, 29, 9,  2,  6,  14, 18, 20, 16, 8, 4};
constexpr std::array<int, kDirections> kMirror{21, 17, 18, 19, 20, 13, 14, 15, 16, 9,  10, 11, 12, 5,  6,
                                               7,  8,  1,  2,  3,  4,  0,  22, 23, 24, 25, 26, 27, 28, 29};

void FillAbsent(TDirTable& table) {
  for (TDirRow& row : table) row.fill(TComplex{kAbsent, 0.0});
}

}  // namespace

void RotateYaw(TDirTable& table) { Permute(table, kYaw); }
void RotatePitch(TDirTable& table) { Permute(table, kPitch); }
void MirrorDirections(TDirTable& table) { Permute(table, kMirror); }

std::string ComputeBaffle(const TSchallwand& w, const TFreqArray& freq, int lastIndex, double seo, TDirTable& table) {
  (void)seo;  // the driver recomputes when it changes; the model does not use it
  // The whole table starts as "absent", also behind the grid's terminator, so
  // the result depends on the inputs only.
  FillAbsent(table);
  std::string text;

  // Checks and working dimensions.
  if (w.d < 0) text += kMsgD;
  double dimA = w.a, dimC = w.c, dimH = w.h, dimB = w.b;
  const double dimD = w.d + 1e-10;
  if (w.e < 0 || w.f < 0 || w.g < 0 || w.i < 0) text += kMsgChamfer;
  const bool anyEdge = w.beugl || w.beugr || w.beugo || w.beugu;
  if (w.direction >= 0 && anyEdge) {
    if (w.a <= 0 || w.b <= 0 || w.c <= 0 || w.h <= 0) text += kMsgSize;
    const double halfD = w.d / 2;
    if (halfD + w.i > w.a || halfD + w.e > w.c || halfD + w.a > w.h - w.g || halfD + w.c > w.b - w.f)
      text += kMsgPosition;
  } else {
    // No diffracting edge (or a test enclosure): a small baffle around the diaphragm.
    dimA = 2 * dimD + 1e-10 + w.i;
    dimC = 2 * dimD + 1e-10 + w.e;
    dimH = 2 * dimA + w.g;
    dimB = 2 * dimC + w.f;
  }
  if (text.size() >= 3) return text;
  text = kMsgFault;

  // Edge elements: pass 1 along the outer edge, pass 2 along the inner
  // line where the chamfers start.
  std::array<TEdgeElement, kElements> el{};
  {
    const double s1 = 0.67 / kElements, s2 = 1.33 / kElements;
    const bool ok1 = SweepPass({dimH - dimA, -w.g, w.beugo ? s1 : 0.0}, {dimC, -w.e, w.beugl ? s1 : 0.0},
                               {dimA, -w.i, w.beugu ? s1 : 0.0}, {dimB - dimC, -w.f, w.beugr ? s1 : 0.0}, el.data());
    const bool ok2 = SweepPass({dimH - dimA - w.g, 0.0, w.beugo ? s2 : 0.0}, {dimC - w.e, 0.0, w.beugl ? s2 : 0.0},
                               {dimA - w.i, 0.0, w.beugu ? s2 : 0.0}, {dimB - dimC - w.f, 0.0, w.beugr ? s2 : 0.0},
                               el.data() + kPass);
    // A division by zero in the sweep (a line through the chassis centre) or
    // a non-finite element fails the item.
    if (!ok1 || !ok2) return text;
    for (const TEdgeElement& e : el)
      if (!std::isfinite(e.x) || !std::isfinite(e.y) || !std::isfinite(e.z) || !std::isfinite(e.r)) return text;
  }

  // Other negative codes than the two test-enclosure sides have no edge model
  // and no fitted table: they are computed like a wall-mounted chassis.
  const bool edgeModel = w.direction >= 0;
  const bool testSmall = w.direction == -2;
  const bool testLarge = w.direction == -3;

  std::unique_ptr<TEdgeSums> edges;
  if (edgeModel) edges = std::make_unique<TEdgeSums>(el);

  TPiston piston(w.Membranform, dimD);
  std::array<double, 3> cosTheta{};
  for (int k = 1; k <= 3; ++k) cosTheta[k - 1] = std::cos(2 * k * kPiShort / 12);

  const int last = std::min(lastIndex, kFreqEntries - 1);
  for (int idx = 0; idx <= last && freq[idx] > 0; ++idx) {
    TDirRow& row = table[idx];
    const double lambda = kSpeedOfSound / freq[idx];
    const double kp = 2.0 * kPiShort / lambda;  // phase constant with the short π
    const double kf = 2.0 * kPi / lambda;
    const double kh = kPi / lambda;

    // Piston directivity and direct sound.
    const std::array<double, 3> pTheta = piston.Evaluate(kf, kh);
    const double p90 = pTheta[2];
    const TComplex direct0 = CRotate(COne, 0.12 * dimD * kp);

    if (testSmall || testLarge) {
      row[0] =
          testSmall ? TestEnclosure(kTestSmall, direct0, p90, lambda) : TestEnclosure(kTestLarge, direct0, p90, lambda);
      if (!RowFinite(row)) {
        FillAbsent(table);
        return text;
      }
      continue;
    }

    row[0] = direct0;
    for (int g = 0; g < 3; ++g) {
      const TComplex dir = CRotate({pTheta[g], 0.0}, cosTheta[g] * 0.12 * dimD * kp);
      for (int az = 0; az < 4; ++az) row[1 + 4 * g + az] = dir;
    }

    // Edge contributions, subtracted up to 90° and added beyond.
    if (edges) {
      const std::array<TComplex, kEdgeDirections> sums = edges->Evaluate(kp);
      for (int d = 0; d < kEdgeDirections; ++d) {
        const TComplex edge{p90 * sums[d].re, p90 * sums[d].im};
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
  switch (w.direction) {
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

void MeasurementBaffle(TSchallwand& w, int which) {
  auto allEdges = [&w](bool on) { w.beugl = w.beugr = w.beugo = w.beugu = on; };
  switch (which) {
    case 1:  // infinite baffle
      allEdges(false);
      w.direction = 0;
      break;
    case 2:  // standard baffle
      w.direction = 0;
      allEdges(true);
      w.e = w.f = w.g = w.i = 0;
      w.a = 0.766;
      w.b = 1.775;
      w.c = 0.654;
      w.h = 2.266;
      break;
    case 3:
      w.direction = -2;
      break;  // test enclosure, small side
    case 4:
      w.direction = -3;
      break;  // test enclosure, large side
    case 6:   // old small test enclosure
    case 7:   // old large test enclosure
      w.direction = 0;
      allEdges(true);
      w.e = w.f = 0;
      w.g = which == 6 ? 0.166 : 0.166145;
      w.i = 0.67165;
      w.a = w.i + 0.25 + 0.03;
      w.b = which == 6 ? 0.255 + w.e + w.f : 0.52;
      w.c = which == 6 ? 0.1275 + w.e : 0.26;
      w.h = 0.5 + w.i + w.g;
      break;
    default:
      break;  // 5: the box to be simulated; unknown codes change nothing
  }
}

}  // namespace sonvex
