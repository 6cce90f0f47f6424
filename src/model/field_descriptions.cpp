#include "model/field_descriptions.h"

#include <array>
#include <cmath>

#include "model/number_text.h"
#include "model/settings.h"

namespace sonvex {

bool FieldRange::Contains(double shown) const {
  if (IsOpen()) return true;
  if (std::isnan(shown)) return false;
  if (lowKind == Bound::Inclusive && !(shown >= low)) return false;
  if (lowKind == Bound::Exclusive && !(shown > low)) return false;
  if (highKind == Bound::Inclusive && !(shown <= high)) return false;
  if (highKind == Bound::Exclusive && !(shown < high)) return false;
  return true;
}

std::string RangeText(const FieldRange& range, std::string_view unit) {
  if (range.IsOpen()) return {};
  const auto number = [](double x) { return FormatNumber(x, 10); };
  std::string text;
  if (range.lowKind == Bound::Inclusive && range.highKind == Bound::Inclusive) {
    text = number(range.low) + " … " + number(range.high);
  } else {
    if (range.lowKind != Bound::Open) text = (range.lowKind == Bound::Inclusive ? "ab " : "über ") + number(range.low);
    if (range.highKind != Bound::Open) {
      // "bis 5", "unter 5"; after a lower bound "ab 0 bis unter 5".
      if (!text.empty()) text += range.highKind == Bound::Inclusive ? " " : " bis ";
      text += (range.highKind == Bound::Inclusive ? "bis " : "unter ") + number(range.high);
    }
  }
  if (!unit.empty()) {
    text += ' ';
    text += unit;
  }
  return text;
}

std::string OutOfRangeTip(const FieldRange& range, std::string_view unit) {
  return "Wert außerhalb des Bereichs " + RangeText(range, unit);
}

namespace {

// A length or position shown in cm; any sign (positions lie on either side
// of the common origin).
constexpr FieldDescription Position(const char* id, const char* fileKey, const char* caption) {
  return {id, fileKey, caption, "cm", kCm, kAnyNumber, kEditWidth};
}
// A size shown in cm that cannot be negative.
constexpr FieldDescription Size(const char* id, const char* fileKey, const char* caption) {
  return {id, fileKey, caption, "cm", kCm, kZeroOrMore, kEditWidth};
}

// A chassis without resonance, Q, volume or area has no Thiele-Small model:
// fs, Qes, Qms, Vas and Sd lie above 0. Resistances, inductances, lengths,
// masses and powers cannot be negative. The acoustic origin lies in front of
// or behind the baffle.
constexpr std::array<RecordNumberField<Chassis>, 29> kChassisNumbers{{
    {&Chassis::fs, {"fs", "fs", "fs [Hz]", "Hz", 1.0, kAboveZero}},
    {&Chassis::Qes, {"qes", "Qes", "Qes", "", 1.0, kAboveZero}},
    {&Chassis::Qms, {"qms", "Qms", "Qms", "", 1.0, kAboveZero}},
    {&Chassis::Vas, {"vas", "Vas", "Vas [Liter]", "Liter", kLitre, kAboveZero}},
    {&Chassis::Sd, {"sd", "Amem", "Sd [cm²]", "cm²", kSquareCm, kAboveZero}},
    {&Chassis::sourceDepth, {"sourceDepth", "seo", "SEO [mm]", "mm", kMilli, kAnyNumber}},
    {&Chassis::xlin, {"xlin", "xlin", "xlin [mm]", "mm", kMilli, kZeroOrMore}},
    {&Chassis::Le, {"le", "Le", "Le [mH]", "mH", kMilli, kZeroOrMore}},
    {&Chassis::Re, {"rdc", "Re", "Rdc [Ohm]", "Ohm", 1.0, kZeroOrMore}},
    {&Chassis::Le2, {"le2", "Le2", "Le2 [mH]", "mH", kMilli, kZeroOrMore}},
    {&Chassis::Re2, {"re2", "Re2", "Re2 [Ohm]", "Ohm", 1.0, kZeroOrMore}},
    {&Chassis::Le3, {"le3", "Le3", "Le3 [mH]", "mH", kMilli, kZeroOrMore}},
    {&Chassis::Re3, {"re3", "Re3", "Re3 [Ohm]", "Ohm", 1.0, kZeroOrMore}},
    {&Chassis::maxPower, {"maxPower", "_PMax", "P max [W]", "W", 1.0, kZeroOrMore}},
    {&Chassis::nominalImpedance, {"nominalImpedance", "_ZNenn", "Nennimp. [Ohm]", "Ohm", 1.0, kZeroOrMore}},
    {&Chassis::ratedPower, {"ratedPower", "_PNorm", "Nennbelastbarkeit [W]", "W", 1.0, kZeroOrMore}},
    {&Chassis::voiceCoilHeight, {"voiceCoilHeight", "_Hvc", "Schwingspulenhöhe [mm]", "mm", kMilli, kZeroOrMore}},
    {&Chassis::voiceCoilDiameter,
     {"voiceCoilDiameter", "_Dvc", "Schwingspulendurchmesser [mm]", "mm", kMilli, kZeroOrMore}},
    {&Chassis::polePlateHeight, {"polePlateHeight", "_Hpp", "Polplattenhöhe [mm]", "mm", kMilli, kZeroOrMore}},
    {&Chassis::dataSheetBl, {"dataSheetBl", "_Bl", "Bl (Datenblatt) [N/A]", "N/A", 1.0, kZeroOrMore}},
    {&Chassis::dataSheetSPL, {"sensitivity", "_SPL", "Kennschalldruck [dB]", "dB", 1.0, kAnyNumber}},
    {&Chassis::dataSheetLe, {"dataSheetLe", "_Le", "Le (Datenblatt) [mH]", "mH", kMilli, kZeroOrMore}},
    {&Chassis::dataSheetMmd, {"dataSheetMmd", "_Mmd", "Mmd (Datenblatt) [g]", "g", kMilli, kZeroOrMore}},
    {&Chassis::magneticInduction, {"gapFluxDensity", "_magind", "Induktion im Luftspalt [T]", "T", 1.0, kZeroOrMore}},
    {&Chassis::magneticFlux, {"magneticFlux", "_magflu", "Magnetfluss", "", 1.0, kAnyNumber}},
    {&Chassis::mountingDepth, {"mountingDepth", "_Etiefe", "Einbautiefe [mm]", "mm", kMilli, kZeroOrMore}},
    {&Chassis::cutoutDiameter, {"cutout", "_Ausschn", "Einbauausschnitt [mm]", "mm", kMilli, kZeroOrMore}},
    {&Chassis::weight, {"weight", "_Gewicht", "Gewicht [g]", "g", kMilli, kZeroOrMore}},
    {&Chassis::xmax, {"xmax", "xmax", "xmax [mm]", "mm", kMilli, kZeroOrMore}},
}};

// Volumes and tuning frequencies of chambers a type does not have are 0.
// The volume factors and the corner frequency of the air load lie above 0;
// the air-load factor and the Qs of the losses cannot be negative. The editor
// estimates them from the damping levels unless they are entered.
constexpr std::array<RecordNumberField<Enclosure>, 13> kEnclosureNumbers{{
    {&Enclosure::Vb, {"vb", "Vb", "Vb [Liter]", "Liter", kLitre, kZeroOrMore}},
    {&Enclosure::fb, {"fb", "fb", "fb [Hz]", "Hz", 1.0, kZeroOrMore}},
    {&Enclosure::VbFront, {"vbf", "Vbf", "Vbf [Liter]", "Liter", kLitre, kZeroOrMore}},
    {&Enclosure::fbFront, {"fbf", "fbf", "fbf [Hz]", "Hz", 1.0, kZeroOrMore}},
    {&Enclosure::volumeFactor, {"volumeFactor", "vV", "vV", "", 1.0, kAboveZero}},
    {&Enclosure::airMassFactor, {"mb", "mb", "mb", "", 1.0, kZeroOrMore}},
    {&Enclosure::airMassCornerFreq, {"fmb", "fmb", "fmb [Hz]", "Hz", 1.0, kAboveZero}},
    {&Enclosure::Ql, {"ql", "Ql", "Ql", "", 1.0, kZeroOrMore}},
    {&Enclosure::Qb, {"qb", "Qb", "Qb", "", 1.0, kZeroOrMore}},
    {&Enclosure::frontVolumeFactor, {"frontVolumeFactor", "vVf", "vVf", "", 1.0, kAboveZero}},
    {&Enclosure::QbFront, {"qbf", "Qbf", "Qbf", "", 1.0, kZeroOrMore}},
    {&Enclosure::Qp, {"qk", "Qk", "Qk", "", 1.0, kZeroOrMore}},
    {&Enclosure::QpFront, {"qkf", "Qkf", "Qkf", "", 1.0, kZeroOrMore}},
}};

constexpr std::array<RecordNumberField<Baffle>, 15> kBaffleNumbers{{
    {&Baffle::bottomDistance, Size("fromBottom", "a", "a: Chassismitte bis Unterkante")},
    {&Baffle::width, Size("width", "b", "b: Breite der Schallwand")},
    {&Baffle::leftDistance, Size("fromLeft", "c", "c: Chassismitte bis linke Kante")},
    {&Baffle::outletDiameter, Size("outletDiameter", "d", "d: Durchmesser Schallaustritt")},
    {&Baffle::chamferLeft, Size("chamferLeft", "e", "e: Fase links")},
    {&Baffle::chamferRight, Size("chamferRight", "f", "f: Fase rechts")},
    {&Baffle::chamferTop, Size("chamferTop", "g", "g: Fase oben")},
    {&Baffle::height, Size("height", "h", "h: Höhe der Schallwand")},
    {&Baffle::chamferBottom, Size("chamferBottom", "i", "i: Fase unten")},
    {&Baffle::horizontal, Position("horizontal", "hor", "horizontal (nach rechts) [cm]")},
    {&Baffle::vertical, Position("vertical", "vert", "vertikal (nach oben) [cm]")},
    {&Baffle::forward, Position("towardsListener", "stra", "zum Hörer [cm]")},
    {&Baffle::rearHorizontal, Position("rearHorizontal", "horr", "horizontal (nach rechts) [cm]")},
    {&Baffle::rearVertical, Position("rearVertical", "vertr", "vertikal (nach oben) [cm]")},
    {&Baffle::rearForward, Position("rearTowardsListener", "strar", "zum Hörer [cm]")},
}};

constexpr std::array<RecordNumberField<Cabinet>, 7> kCabinetNumbers{{
    {&Cabinet::height, Size("height", "h", "Höhe")},
    {&Cabinet::width, Size("width", "b", "Breite")},
    {&Cabinet::depth, Size("depth", "t", "Tiefe")},
    {&Cabinet::chamferLeft, Size("chamferLeft", "fasl", "Fase vorn links")},
    {&Cabinet::chamferRight, Size("chamferRight", "fasr", "Fase vorn rechts")},
    {&Cabinet::chamferTop, Size("chamferTop", "faso", "Fase vorn oben")},
    {&Cabinet::chamferBottom, Size("chamferBottom", "fasu", "Fase vorn unten")},
}};

// A logarithmic frequency axis starts above 0 Hz; so does an impedance scale.
constexpr std::array<RecordNumberField<DisplayOptions>, 5> kAxisScaling{{
    {&DisplayOptions::axisFMin, {"axisFMin", "", "Frequenzachse von", "Hz", 1.0, kAboveZero, 6}},
    {&DisplayOptions::axisFMax, {"axisFMax", "", "bis", "Hz", 1.0, kAboveZero, 6}},
    {&DisplayOptions::dBMin, {"dBMin", "", "Schalldruckpegel von", "dB", 1.0, kAnyNumber, 6}},
    {&DisplayOptions::dBMax, {"dBMax", "", "bis", "dB", 1.0, kAnyNumber, 6}},
    {&DisplayOptions::impedanceMax, {"impedanceMax", "", "Impedanz anzeigen bis", "Ohm", 1.0, kAboveZero, 6}},
}};

constexpr std::array<RecordCheckField<Chassis>, 6> kChassisChecks{{
    {"useResponse", &Chassis::useMeasuredAmplitude},
    {"useResponsePhase", &Chassis::useMeasuredAcousticPhase},
    {"useResponseForFs", &Chassis::useMeasuredAmplitudeAtFs},
    {"useImpedance", &Chassis::useMeasuredImpedance},
    {"useImpedancePhase", &Chassis::useMeasuredElectricalPhase},
    {"rearClosed", &Chassis::rearClosed},
}};
constexpr std::array<RecordCheckField<Enclosure>, 1> kEnclosureChecks{{
    {"explicitValues", &Enclosure::explicitValues},
}};
constexpr std::array<RecordCheckField<Baffle>, 5> kBaffleChecks{{
    {"diffractionLeft", &Baffle::diffractLeft},
    {"diffractionRight", &Baffle::diffractRight},
    {"diffractionTop", &Baffle::diffractTop},
    {"diffractionBottom", &Baffle::diffractBottom},
    {"commonCabinet", &Baffle::useCabinet},
}};

}  // namespace

std::span<const RecordNumberField<Chassis>> ChassisNumberFields() { return kChassisNumbers; }
std::span<const RecordNumberField<Enclosure>> EnclosureNumberFields() { return kEnclosureNumbers; }
std::span<const RecordNumberField<Baffle>> BaffleNumberFields() { return kBaffleNumbers; }
std::span<const RecordNumberField<Cabinet>> CabinetNumberFields() { return kCabinetNumbers; }
std::span<const RecordNumberField<DisplayOptions>> AxisScalingFields() { return kAxisScaling; }
std::span<const RecordCheckField<Chassis>> ChassisCheckFields() { return kChassisChecks; }
std::span<const RecordCheckField<Enclosure>> EnclosureCheckFields() { return kEnclosureChecks; }
std::span<const RecordCheckField<Baffle>> BaffleCheckFields() { return kBaffleChecks; }

const FieldDescription kCabinetPositionField{"position", "", "", "cm", kCm, kAnyNumber, kEditWidth};
const FieldDescription kGridFMinField{
    "fMin", "fMin", "Tiefste Frequenz",
    "Hz",   1.0,    {Bound::Inclusive, kStoredFMinLowest, Bound::Inclusive, kStoredFMinHighest},
    8};
const FieldDescription kGridFMaxField{
    "fMax", "fMax", "Höchste Frequenz",
    "Hz",   1.0,    {Bound::Inclusive, kStoredFMaxLowest, Bound::Exclusive, kStoredFMaxBelow},
    8};
const FieldDescription kGridPointsField{
    "gridPoints",
    "sz",
    "Anzahl Frequenzen",
    "",
    1.0,
    {Bound::Inclusive, kStoredGridPointsLeast, Bound::Inclusive, kStoredGridPointsMost},
    8};
// A part of 0 is no part: a 0 µF capacitor in series cuts the way off, a
// 0 mH coil or 0 Ohm resistor is a wire.
const FieldDescription kPartValueField{"value", "", "Wert", "", 1.0, kAboveZero, 8};
const FieldDescription kWindingResistanceField{"windingResistance", "", "R-Wert", "Ohm", 1.0, kZeroOrMore, 8};
// A filter section without a corner frequency or with a Q of 0 filters
// nothing sensible.
const FieldDescription kFilterFreqField{"freq", "", "", "Hz", 1.0, kAboveZero, 6};
const FieldDescription kFilterQField{"q", "", "Q =", "", 1.0, kAboveZero, 6};

}  // namespace sonvex
