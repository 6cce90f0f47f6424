#pragma once
// Import of measured curves from ASCII files written by measurement systems:
// the acoustic frequency response (level in dB and acoustic phase) and the
// impedance response (magnitude in Ohm and electrical phase).
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "model/interaction.h"
#include "model/project.h"

namespace sonvex {

// The two import operations differ only in their texts, file filter and
// target arrays.
enum class MeasurementKind { FrequencyResponse, Impedance };

// At most this many points are taken from one file.
inline constexpr std::size_t kImportMaxPoints = 66000;
// Imported curves are reduced until fewer points than this remain.
inline constexpr std::size_t kImportReducedPoints = 600;
// Characters of one line that are looked at; the rest of a longer line is
// ignored (a measurement line has three numbers, a few dozen characters).
inline constexpr std::size_t kImportMaxLineLength = 4096;

// Working arrays of an import: frequency F in Hz, first value A (dB or Ohm)
// and second value P (phase in degrees), one entry per point.
struct MeasurementPoints {
  std::vector<double> F, A, P;
  std::size_t Size() const { return F.size(); }
};

// Texts of the import dialogs.
std::string_view ImportIntroText(MeasurementKind kind);
std::string_view ImportFileFilter(MeasurementKind kind);

// Reads the next number from the start of `text` with ParseFloat and removes
// it together with what follows up to the next column: units, blanks and any
// other characters up to TAB, ";", "+", "-" or a digit, then one TAB or ";".
double ParseNextValue(std::string_view& text);

// True when the line takes part in the import: at least 4 characters, the
// first one of " +-0123456789.,".
bool IsMeasurementLine(std::string_view line);

// Reads the lines of a file's content (line ends CR, LF or CR LF; the last
// line needs none) into working arrays, at most kImportMaxPoints points. A
// line whose first number is not positive takes no point; nor does a line
// with a number beyond the range of a double.
MeasurementPoints ParseMeasurementText(std::string_view content);

// Merges neighbouring points, from the high-frequency end down, until fewer
// than kImportReducedPoints remain. Phases (degrees) are merged across ±180°.
void ReduceMeasurementPoints(MeasurementPoints& pts);

// Steps after reading the file: the column decision (asking the user when
// only one value column was found), the "no data" message, the reduction with
// its message, and storing into the chassis's curve arrays. Returns true when
// a curve of the chassis was changed.
bool ImportMeasurementPoints(MeasurementKind kind, MeasurementPoints pts, Chassis& chassis, Interaction& ui);

// The whole import as the chassis editor runs it: introduction text, file
// choice (starting in `folder`), reading, and the steps above. Returns true
// when a curve of the chassis was changed.
bool ImportFrequencyResponse(Chassis& chassis, Interaction& ui, const std::filesystem::path& folder);
bool ImportImpedanceResponse(Chassis& chassis, Interaction& ui, const std::filesystem::path& folder);

}  // namespace sonvex
