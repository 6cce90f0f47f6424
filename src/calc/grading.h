#pragma once
// The grade block: school marks (1 very good, larger worse) that condense the
// results of the whole loudspeaker for the crossover optimizer.
#include <array>
#include <string>
#include <string_view>

#include "model/project.h"
#include "model/result.h"

namespace sonvex {

// Optimizer parameters held by each calculation thread.
struct OptimizerParams {
  bool transformer = false;  // grading for an amplifier with output transformer (never switched on)
  double Zmin = 0;           // smallest impedance the amplifier may see, Ohm
  double e = 0;              // importance of efficiency, 0..1
  double bass = 1;           // bass taste factor
  double treble = 1;         // treble taste factor
  double wA = 10;            // weight of the on-axis response
  double wE = 3;             // weight of the power response
  double wL = 2;             // weight of the response 30° to the left
  double wR = 2;             // weight of the response 30° to the right
  double wB = 3;             // weight of the minimum directivity

  bool operator==(const OptimizerParams&) const = default;
};

// Slider positions of the optimizer window and their defaults.
struct OptimizerSliders {
  int zmin = 5;        // "Verstärker min. Impedanz", 0..8 (0: 8 Ohm, 4: 4 Ohm, 8: 2 Ohm)
  int efficiency = 3;  // "Wirkungsgrad", 0..6
  int bass = 3;        // "Hörgeschmack Bass", 0..6
  int treble = 3;      // "Hörgeschmack Höhen", 0..6
};
OptimizerParams OptimizerParamsFromSliders(const OptimizerSliders& s);
// The parameters of the default slider positions.
inline OptimizerParams DefaultOptimizerParams() { return OptimizerParamsFromSliders({}); }

// Grade block, twenty values; entries 1, 2, 8, 9 stay 0.
using GradeBlock = std::array<double, 20>;
enum GradeIndex {
  GradeImpedance = 0,     // I
  GradeEfficiency = 3,    // W
  GradeOverload = 4,      // X = X1 + X2
  GradeExcursion = 5,     // X1
  GradeResonance = 6,     // X2
  GradeResponse = 7,      // F
  GradePhase = 10,        // P
  GradeDirectivity = 11,  // B
  GradeTotal = 12,        // G
  GradeOnAxis = 13,       // GA
  GradePower = 14,        // GE
  GradeLeft = 15,         // GL
  GradeRight = 16,        // GR
  GradeBass = 17,         // GB
  GradeLevel = 18,        // L
  GradeMaxVoltage = 19,   // M
};

// The listener's target curve T(f).
double TargetCurve(double f, double bass, double treble);

// Computes the grade block from a finished result (grid, amplifier
// impedances, box pressure, directivity, limits, tilt sums, contributions) and
// the working project (membrane areas, resonance in the box, baffle
// directions of the chassis in use).
GradeBlock ComputeGrades(const Project& p, const CalcResult& r, const OptimizerParams& params);

// A grade block the calculation may hand on: every grade finite and none
// above kMaxPlausibleGrade. Real boxes stay far below it (the subwoofer sample
// reaches 2E5), and so do the penalties the grading adds itself (1E20 per
// grid point without directivity or without a voltage limit, at most about
// 1E25 in all); chassis values not below their smallest plausible values
// (check.h) stay below it as well. Beyond it a grade only tells of a value out of scale (a
// membrane area of 1E-30 m² gave a total grade of 8.8E50).
inline constexpr double kMaxPlausibleGrade = 1e30;
// Grade failures begin with this text.
inline constexpr std::string_view kGradeFailurePrefix = "Fehler: Note ";
// "OK", or the error line naming the first grade that is not finite or
// above kMaxPlausibleGrade and its value, e.g. "Fehler: Note gesamt = +inf
// ist nicht endlich; ...".
std::string CheckGrades(const GradeBlock& g);
inline bool IsGradeFailureText(std::string_view s) { return s.starts_with(kGradeFailurePrefix); }

// The five lines of a grade report, e.g. "Note Impedanz     =    1.234".
std::array<std::string, 5> GradeReportLines(const GradeBlock& g);

}  // namespace sonvex
