#pragma once
// Export of computed responses as tab-separated text for other programs: the
// on-axis response of the whole box, the on-axis response of one chassis with
// its crossover, baffle and enclosure, and the electrical signal at one
// chassis.
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "model/interaction.h"

namespace sonvex {

struct CalcResult;

enum class ExportKind { Box, Chassis, Signal };

// Caption of the export window and of its three buttons.
inline constexpr std::string_view kExportCaption = "Sonvex - Export";
inline constexpr std::string_view kExportFilter = "Exportdateien (*.exp)|*.exp|Alle Dateien (*.*)|*.*";
std::string_view ExportButtonCaption(ExportKind kind);

// Title line of an export (without line end). `chassis` is the 0-based slot.
std::string ExportTitle(ExportKind kind, int chassis);

// The complete file text: title line, column line and one line per grid
// point while the result's freq is greater than 0, each line ended by CR LF.
// `chassis` is ignored for the box export.
std::string ExportText(const CalcResult& r, ExportKind kind, int chassis);

// Curves in the plain form that measurement and crossover design programs
// read: comment lines beginning with "*" (naming `projectName` and the
// curve), then "frequency magnitude phase" per grid point, separated by
// blanks, with a decimal point, phase in degrees, lines ended by CR LF.
// FRD: the on-axis sound pressure in dB SPL at 2.83 V and 1 m of chassis slot
// `chassis` (0-based) with crossover, baffle and enclosure, or of the whole
// box when `chassis` is negative. ZMA: the impedance in Ohm that amplifier
// `amp` (0-based) sees.
std::string FrdText(const CalcResult& r, int chassis, std::string_view projectName);
std::string ZmaText(const CalcResult& r, int amp, std::string_view projectName);
// A level curve without phase in the FRD form (phase column 0): the same
// comment lines, naming `curveTitle`, and one line per point of `freq` while
// the frequency is greater than 0. Levels in dB SPL at 2.83 V and 1 m.
std::string FrdLevelText(const std::vector<double>& freq, const std::vector<double>& levelDb,
                         std::string_view projectName, std::string_view curveTitle);
// The same with a phase column (degrees), for curves that have one.
std::string FrdCurveText(const std::vector<double>& freq, const std::vector<double>& levelDb,
                         const std::vector<double>& phaseDegrees, std::string_view projectName,
                         std::string_view curveTitle);

// The chassis an export is made for: with two or more chassis in the result
// the user is asked ("Abbruch" gives no value); with one chassis it is slot 0.
// The signal export of a chassis that no amplifier drives shows
// "Das Chassis ist in keiner Frequenzweiche angeschlossen. Ausgabe nicht
// sinnvoll." and gives no value.
std::optional<int> ChooseExportChassis(const CalcResult& r, ExportKind kind, Interaction& ui);

// One export button: chassis choice, file name (starting in `folder`; a name
// without extension gets ".exp"), writing. A write failure is shown to the
// user. Returns the written file, or no value when nothing was written.
std::optional<std::filesystem::path> ExportResult(const CalcResult& r, ExportKind kind, Interaction& ui,
                                                  const std::filesystem::path& folder);

}  // namespace sonvex
