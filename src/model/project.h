#pragma once
// The project record and its sub-records: one self-contained value that holds
// everything a calculation needs. Records are copied and compared whole.
#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "model/crossover_model.h"
#include "model/polar_set.h"
#include "model/short_string.h"

namespace sonvex {

inline constexpr int kMaxAmps = 6;           // amplifiers 0..5 (1..6 in texts)
inline constexpr int kMaxChassis = 8;        // chassis 0..7 in use at most (1..8 in texts)
inline constexpr int kChassisSlots = 9;      // slot 8 exists but is never used
inline constexpr int kFreqEntries = 601;     // every per-frequency array
inline constexpr int kMaxCurvePoints = 600;  // measured curve: at most 600 points and a terminating 0
inline constexpr int kMinGridPoints = 10;
inline constexpr int kMaxGridPoints = 599;

using FreqArray = std::array<double, kFreqEntries>;
// A colour: red in the lowest byte, green in the second, blue in the third.
using ColorValue = std::int32_t;
constexpr ColorValue RGBColor(int r, int g, int b) { return static_cast<ColorValue>(b * 65536 + g * 256 + r); }

// Colours, frequency range, grid size, smoothing widths and chart scales kept
// with a project. Handled as a unit: saved display defaults replace it whole.
struct DisplayOptions {
  // total, amplifiers 1..6
  std::array<ColorValue, 7> colorSetAmps{RGBColor(128, 0, 0),   RGBColor(128, 0, 0),     RGBColor(255, 0, 255),
                                         RGBColor(255, 128, 0), RGBColor(128, 128, 255), RGBColor(0, 255, 0),
                                         RGBColor(176, 176, 0)};
  // total, chassis 1..9 (the first 9 are stored in files)
  std::array<ColorValue, 10> colorSetChassis{
      RGBColor(0, 0, 0),     RGBColor(0, 0, 255),   RGBColor(0, 223, 0),   RGBColor(255, 0, 0),   RGBColor(0, 192, 192),
      RGBColor(192, 192, 0), RGBColor(192, 0, 192), RGBColor(80, 80, 160), RGBColor(80, 160, 80), RGBColor(0, 0, 0)};
  // off-axis curves, per direction
  std::array<ColorValue, 10> colorSetDirections{
      RGBColor(0, 0, 0),       RGBColor(192, 0, 0),     RGBColor(32, 160, 0),    RGBColor(32, 32, 192),
      RGBColor(192, 160, 160), RGBColor(160, 208, 160), RGBColor(160, 160, 208), RGBColor(0, 0, 0),
      RGBColor(0, 0, 0),       RGBColor(0, 0, 0)};
  double fMin = 20;
  double fMax = 20000;
  std::int32_t gridPoints = 126;
  double smoothingAmplitude = 0.24;
  double smoothingImpedance = 0.18;
  std::array<std::int32_t, 6> chartParams{10, 90, 25, 90, 10, 10};  // Par1..Par6
  double axisFMin = 20;
  double axisFMax = 20000;
  double dBMin = 40;
  double dBMax = 110;
  double impedanceMax = 70;

  bool operator==(const DisplayOptions&) const = default;
};

// One amplifier: level, six active filters and its passive crossover.
struct Amplifier {
  double level = 1.0;  // linear voltage factor, 1.0 = 2.83 V
  double highPass6F = 100;
  double highPass12aF = 100, highPass12aQ = 0.7;
  double highPass12bF = 100, highPass12bQ = 0.7;
  double lowPass6F = 100;
  double lowPass12aF = 100, lowPass12aQ = 0.7;
  double lowPass12bF = 100, lowPass12bQ = 0.7;
  bool highPass6On = false, highPass12aOn = false, highPass12bOn = false, lowPass6On = false, lowPass12aOn = false,
       lowPass12bOn = false;
  Crossover crossover = EmptyCrossover();

  bool operator==(const Amplifier&) const = default;
};

// Values derived from a chassis in its enclosure at one frequency; never
// stored in files.
struct ChassisDerived {
  double Cms = 0, Lms = 0, Rms = 0, Cbr = 0, Lab = 0, Rbr = 0, Cbrf = 0, Labf = 0, Rbrf = 0, Rab = 0, Rabf = 0, SPL = 0,
         Vab = 0, Vabf = 0, Qts = 0, Qesbg = 0, Qmsbg = 0, Qtsbg = 0, fsbg = 0, fc = 0, Qec = 0, Qmc = 0, Qtc = 0,
         Bl = 0, Mmd = 0, Cmd = 0, Rmd = 0;
  bool operator==(const ChassisDerived&) const = default;
};

// Chassis categories: bit i of `typ` set means category i.
inline constexpr int kChassisCategoryCount = 32;
extern const std::array<std::string_view, kChassisCategoryCount> kChassisCategoryNames;
inline constexpr std::uint32_t kChassisCategoryMask = 0x7FFFFFFFu;  // bit 31 is never set

// One chassis with its data-sheet values and measured curves.
struct Chassis {
  ShortString<22> name;
  ShortString<102> comment;
  std::int16_t responseSource = 0;
  bool rearClosed = false;
  double fs = 0, Qes = 0, Qms = 0, Vas = 0, Re = 0, Le = 0;
  double Le2 = 0, Re2 = 0, Le3 = 0, Re3 = 0;
  double Sd = 0;
  double xlin = 0;
  double maxPower = 0;
  double nominalImpedance = 0;
  double sourceDepth = 0;
  bool useMeasuredAmplitude = false, useMeasuredAcousticPhase = false, useMeasuredAmplitudeAtFs = false,
       useMeasuredImpedance = false, useMeasuredElectricalPhase = false;
  FreqArray measuredAmplitudeFreq{}, measuredAmplitude{};              // measured amplitude: Hz, dB
  FreqArray measuredAcousticPhaseFreq{}, measuredAcousticPhase{};      // measured acoustic phase: Hz, radians
  FreqArray measuredImpedanceFreq{}, measuredImpedance{};              // measured impedance: Hz, Ohm
  FreqArray measuredElectricalPhaseFreq{}, measuredElectricalPhase{};  // measured electrical phase: Hz, radians
  double ratedPower = 0;
  double xmax = 0;
  double voiceCoilHeight = 0, voiceCoilDiameter = 0, polePlateHeight = 0;
  double dataSheetBl = 0;
  double dataSheetSPL = 0;
  double dataSheetLe = 0;
  double dataSheetMmd = 0;
  std::string lowerFreqText, upperFreqText;
  std::string outerDiameterText;
  double magneticInduction = 0, magneticFlux = 0;
  ShortString<15> orderNumber;
  double mountingDepth = 0, cutoutDiameter = 0, weight = 0;
  std::int8_t diaphragmShape = 0;
  std::uint32_t categories = 0;
  ChassisDerived derived;  // the derived-value area
  bool makerMark = false;
  std::int32_t filters = 0;
  ShortString<16> publicationDate;
  ShortString<255> originalFileName;
  PolarSet polar;  // measured off-axis responses in the box, shared between copies

  bool operator==(const Chassis&) const = default;
};
// The defaults a new project and a loaded file give a chassis slot.
Chassis DefaultChassis();

// Enclosure of one chassis slot (volumes in m³, frequencies in Hz).
struct Enclosure {
  std::int32_t type = 0;  // 0 integrated, 1 closed, 2 vented, 3 band-pass, 4 band-pass with two ports
  double Vb = 0;
  double volumeFactor = 1.0;
  double airMassFactor = 1.0;
  double Ql = 0;
  double Qb = 0;
  double fb = 0;
  double airMassCornerFreq = 1.0;
  double VbFront = 0, frontVolumeFactor = 1.0, QbFront = 0, fbFront = 0;
  double Qp = 0, QpFront = 0;
  bool explicitValues = false;
  std::int8_t dampingVolume = 2, dampingNearChassis = 2, dampingPort = 0, dampingFrontVolume = 0,
              dampingFrontPort = 0;  // damping levels 0..4

  bool operator==(const Enclosure&) const = default;
};

// Baffle position and geometry of one chassis slot (lengths in m).
struct Baffle {
  bool diffractLeft = true, diffractRight = true, diffractTop = true, diffractBottom = true;  // diffracting edges
  bool useCabinet = true;  // follows the common outer enclosure
  std::int8_t direction = 0;
  std::int8_t rearDirection = 0;
  std::int8_t diaphragmShape = 0;
  double bottomDistance = 0, width = 0, leftDistance = 0, outletDiameter = 0, chamferLeft = 0, chamferRight = 0,
         chamferTop = 0, height = 0, chamferBottom = 0;
  double horizontal = 0, vertical = 0, forward = 0;
  double rearHorizontal = 0, rearVertical = 0, rearForward = 0;

  bool operator==(const Baffle&) const = default;
};

// Common outer enclosure shared by chassis that use it.
struct Cabinet {
  double height = 0, width = 0, depth = 0;                                      // height, width, depth
  double chamferLeft = 0, chamferRight = 0, chamferTop = 0, chamferBottom = 0;  // chamfers left, right, top, bottom

  bool operator==(const Cabinet&) const = default;
};

// The project. About half a megabyte: hold it on the heap (MakeNewProject)
// and copy it deliberately. The display option block is its base, so its
// fields read as project fields (p.fMin, p.gridPoints) and it can be replaced as a
// unit through DisplayOptionsOf(p).
struct Project : DisplayOptions {
  std::int16_t ampCount = 1;
  std::int16_t chassisCount = 1;
  bool saved = false;
  FreqArray freq{};
  std::array<Amplifier, kMaxAmps> amplifiers{};       // amplifier slots 0..5
  std::array<Chassis, kChassisSlots> chassis{};       // chassis slots 0..8
  std::array<Enclosure, kChassisSlots> enclosures{};  // enclosure of the chassis in the same slot
  std::array<Baffle, kChassisSlots> baffles{};        // baffle of the chassis in the same slot
  Cabinet cabinet{};

  bool operator==(const Project&) const = default;
};

inline DisplayOptions& DisplayOptionsOf(Project& p) { return p; }

// The amplifiers and chassis in use: a count held inside the slots that can
// be in use (0..6 amplifiers, 0..8 chassis), so that a damaged count never
// leads a loop past them. Every loop over the slots in use runs to these.
inline int AmpsInUse(int ampCount) { return std::clamp(ampCount, 0, kMaxAmps); }
inline int ChassisInUse(int chassisCount) { return std::clamp(chassisCount, 0, kMaxChassis); }
inline int AmpsInUse(const Project& p) { return AmpsInUse(int{p.ampCount}); }
inline int ChassisInUse(const Project& p) { return ChassisInUse(int{p.chassisCount}); }
inline const DisplayOptions& DisplayOptionsOf(const Project& p) { return p; }

// Fills `p` with a new project: one amplifier, one chassis, all defaults,
// slots 1..7 copied from slot 0, slot 8 cleared, the frequency grid built.
void NewProject(Project& p);
// The project's logarithmic frequency grid:
// freq[i] = fMin·(fMax/fMin)^(i/(sz−1)) for i = 0..sz−1, then freq[sz] = 0.
// Entries above sz keep what they held. Callers pass 10 <= sz <= 599.
void BuildFreqGrid(Project& p);
std::unique_ptr<Project> MakeNewProject();

// Exchanges the chassis records of two slots, and optionally their enclosure
// and baffle records. Crossovers are not touched. Slots outside 0..8 are ignored.
void SwapChassis(Project& p, int slotA, int slotB, bool withEnclosure = true, bool withBaffle = true);
// Copies the chassis record of slot `from` onto slot `to`, together with the
// outlet diameter `d` of its baffle record (always: it belongs to the
// chassis), and optionally the whole enclosure and baffle records.
// Crossovers are not touched. Slots outside 0..8 are ignored.
void CopyChassis(Project& p, int from, int to, bool withEnclosure, bool withBaffle);

}  // namespace sonvex
