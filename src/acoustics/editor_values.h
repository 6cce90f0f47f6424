#pragma once
// What the chassis editor and the common-cabinet dialog compute without a
// window: unit conversions between records (SI) and edit fields, the texts
// of the derived values, of the help buttons and of the voice-coil question,
// the chassis file name rule, level shifts of measured curves, and the
// per-chassis entries of the common cabinet.
#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "model/field_descriptions.h"
#include "model/interaction.h"
#include "model/project.h"

namespace sonvex {

// ---- units: a field shows record value × factor (kLitre, kCm, ... and
// kEditWidth live beside the field descriptions)
inline constexpr double kDegToRad = 0.017453292519943295769;

// The text of a record value in a field: value × factor, at most `width`
// characters with a decimal comma.
std::string FieldText(double recordValue, double factor = 1.0, int width = kEditWidth);
// The record value of a field text: read leniently (comma or point), ÷ factor;
// 0 for a number beyond the double range.
double FieldValue(std::string_view text, double factor = 1.0);
// Whether the lenient reader finds a digit in a field text (a leading "0"
// counts): false for "abc", "-", "$" or "e5", which read as 0 for want of a
// number, and for an empty text.
bool FieldHoldsNumber(std::string_view text);
// Whether the number of a field text lies beyond the double range ("1e999");
// such a field reads as 0 too.
bool FieldNumberTooLarge(std::string_view text);
// Phase grids show degrees; the record holds radians.
std::string PhaseText(double radians);
double PhaseValue(std::string_view degreesText);

// ---- "Errechnete Größen"
struct DerivedValueLabel {
  std::string key;          // the derived value's name ("Cms", ...)
  std::string placeholder;  // shown before the values are computed ("Cms = ?")
  std::string text;         // prefix + number + unit
};
// Shown instead of a derived value that is not finite or whose shown number
// reaches kDerivedValueLimit (in the label's unit): no real box has such a value.
inline constexpr const char* kNoDerivedValue = "–";
inline constexpr double kDerivedValueLimit = 1e9;
// One label per derived value, in the order of the group.
std::vector<DerivedValueLabel> DerivedValueLabels(const ChassisDerived& d);

// ---- chassis files
// The name a chassis is saved under: the last four characters replaced by
// ".ZCH" when the name ends with ".ZCH" in any letter case, else ".ZCH" appended.
std::filesystem::path ChassisSaveName(const std::filesystem::path& chosen);
// The baffle's outlet diameter taken from a loaded chassis: the diameter of
// a circle of area Sd, reduced by 0.1 %.
double AcousticDiameter(double Sd);

// ---- measured curves
// Adds `dB` to every point of the amplitude list up to the first frequency
// below 0.001 Hz.
void ShiftLevels(Chassis& c, double dB);
// The acoustic import as the editor runs it: the import itself, then, when a
// level curve came from the file, the question which file value stands for
// 90 dB/2,83V/m ("Pegelanpassung"); each imported level L becomes L + 90 − v.
// Returns true when a curve changed.
bool ImportFrequencyResponseWithLevel(Chassis& c, Interaction& ui, const std::filesystem::path& folder);
// "Pegeländerung": asks for a number of dB and shifts the amplitude list.
// Returns true when the user confirmed.
bool AskLevelShift(Chassis& c, Interaction& ui);

// ---- voice-coil fit
// The question after a successful fit of the chassis `fitted`.
std::string FitResultQuestion(const Chassis& fitted);

// ---- help texts of the enclosure page (lines separated by "\r")
struct HelpText {
  std::string title;
  std::string text;
};
HelpText VolumeFactorHelp();
// Air load factor: suggestions for mb from the diaphragm area and moving
// mass (Sd in m², Mmd in kg) and for fmb from the box volume (m³).
HelpText AirLoadHelp(double Sd, double mmd, double vbCubicMetres);
HelpText PortLossHelp();
// The help window shows one line per "\r" or "\n".
std::vector<std::string> HelpLines(std::string_view text);

// ---- common outer enclosure
// One chassis slot in the common-cabinet dialog (lengths in metres).
struct CabinetEntry {
  bool use = false;
  int face = 0;                                         // 0..5 "nach vorn" ... "nach unten"
  int rearSide = 0;                                     // 0 same face, 1 opposite face
  double bottomDistance = 0, leftDistance = 0;          // chassis position on its face
  double rearBottomDistance = 0, rearLeftDistance = 0;  // rear outlet position on the rear face
  bool operator==(const CabinetEntry&) const = default;
};
// The dialog's entry of a slot: the baffle's a and c, its faces, and the
// rear outlet position taken back from the room position of the outlet: on
// the box through the box, on a baffle of its own through its room distance
// from the chassis (PortFacePoint), as the chassis's a and c are kept.
// Faces outside their ranges are shown as the front face and the same side.
CabinetEntry CabinetEntryFromBaffle(const Cabinet& box, const Baffle& baffle);
// Sets the box values and each slot's useCabinet, and recomputes the baffle
// record of every participating slot.
void ApplyCabinet(Project& p, const Cabinet& box, const std::array<CabinetEntry, kMaxChassis>& entries);

}  // namespace sonvex
