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
#include "model/short_string.h"

namespace sonvex {

inline constexpr int kMaxAmps = 6;           // amplifiers 0..5 (1..6 in texts)
inline constexpr int kMaxChassis = 8;        // chassis 0..7 in use at most (1..8 in texts)
inline constexpr int kChassisSlots = 9;      // slot 8 exists but is never used
inline constexpr int kFreqEntries = 601;     // every per-frequency array
inline constexpr int kMaxCurvePoints = 600;  // measured curve: at most 600 points and a terminating 0
inline constexpr int kMinGridPoints = 10;
inline constexpr int kMaxGridPoints = 599;

using TFreqArray = std::array<double, kFreqEntries>;
// A colour: red in the lowest byte, green in the second, blue in the third.
using TColor = std::int32_t;
constexpr TColor RGBColor(int r, int g, int b) { return static_cast<TColor>(b * 65536 + g * 256 + r); }

// Colours, frequency range, grid size, smoothing widths and chart scales kept
// with a project. Handled as a unit: saved display defaults replace it whole.
struct TDisplayOptions {
  // total, amplifiers 1..6
  std::array<TColor, 7> ColorSetAmps{RGBColor(128, 0, 0),   RGBColor(128, 0, 0),     RGBColor(255, 0, 255),
                                     RGBColor(255, 128, 0), RGBColor(128, 128, 255), RGBColor(0, 255, 0),
                                     RGBColor(176, 176, 0)};
  // total, chassis 1..9 (the first 9 are stored in files)
  std::array<TColor, 10> ColorSetChassis{
      RGBColor(0, 0, 0),     RGBColor(0, 0, 255),   RGBColor(0, 223, 0),   RGBColor(255, 0, 0),   RGBColor(0, 192, 192),
      RGBColor(192, 192, 0), RGBColor(192, 0, 192), RGBColor(80, 80, 160), RGBColor(80, 160, 80), RGBColor(0, 0, 0)};
  // off-axis curves, per direction
  std::array<TColor, 10> ColorSetRichtungen{RGBColor(0, 0, 0),       RGBColor(192, 0, 0),     RGBColor(32, 160, 0),
                                            RGBColor(32, 32, 192),   RGBColor(192, 160, 160), RGBColor(160, 208, 160),
                                            RGBColor(160, 160, 208), RGBColor(0, 0, 0),       RGBColor(0, 0, 0),
                                            RGBColor(0, 0, 0)};
  double fMin = 20;
  double fMax = 20000;
  std::int32_t sz = 126;
  double glatt_a = 0.24;
  double glatt_i = 0.18;
  std::array<std::int32_t, 6> Par{10, 90, 25, 90, 10, 10};  // Par1..Par6
  double AfMin = 20;
  double AfMax = 20000;
  double dBMin = 40;
  double dBMax = 110;
  double ImpMax = 70;

  bool operator==(const TDisplayOptions&) const = default;
};

// One amplifier: level, six active filters and its passive crossover.
struct TVerstaerker {
  double Pegel = 1.0;  // linear voltage factor, 1.0 = 2.83 V
  double HP6f = 100;
  double HP121f = 100, HP121q = 0.7;
  double HP122f = 100, HP122q = 0.7;
  double TP6f = 100;
  double TP121f = 100, TP121q = 0.7;
  double TP122f = 100, TP122q = 0.7;
  bool HP6 = false, HP121 = false, HP122 = false, TP6 = false, TP121 = false, TP122 = false;
  TCrossover crossover = EmptyCrossover();

  bool operator==(const TVerstaerker&) const = default;
};

// Values derived from a chassis in its enclosure at one frequency; never
// stored in files.
struct TChassisDerived {
  double Cms = 0, Lms = 0, Rms = 0, Cbr = 0, Lab = 0, Rbr = 0, Cbrf = 0, Labf = 0, Rbrf = 0, Rab = 0, Rabf = 0, SPL = 0,
         Vab = 0, Vabf = 0, Qts = 0, Qesbg = 0, Qmsbg = 0, Qtsbg = 0, fsbg = 0, fc = 0, Qec = 0, Qmc = 0, Qtc = 0,
         Bl = 0, Mmd = 0, Cmd = 0, Rmd = 0;
  bool operator==(const TChassisDerived&) const = default;
};

// Chassis categories: bit i of `typ` set means category i.
inline constexpr int kChassisCategoryCount = 32;
extern const std::array<std::string_view, kChassisCategoryCount> kChassisCategoryNames;
inline constexpr std::uint32_t kChassisTypMask = 0x7FFFFFFFu;  // bit 31 is never set

// One chassis with its data-sheet values and measured curves.
struct TChassis {
  TShortString<22> Name;
  TShortString<102> Kommentar;
  std::int16_t fgang_which = 0;
  bool hintengeschl = false;
  double fs = 0, Qes = 0, Qms = 0, Vas = 0, Re = 0, Le = 0;
  double Le2 = 0, Re2 = 0, Le3 = 0, Re3 = 0;
  double Amem = 0;
  double xlin = 0;
  double _PMax = 0;
  double _ZNenn = 0;
  double seo = 0;
  bool useFgangA = false, useFgangAP = false, useFgangA4fs = false, useFgangI = false, useFgangIP = false;
  TFreqArray FgangAF{}, FgangA{};    // measured amplitude: Hz, dB
  TFreqArray FgangAPF{}, FgangAP{};  // measured acoustic phase: Hz, radians
  TFreqArray FgangIF{}, FgangI{};    // measured impedance: Hz, Ohm
  TFreqArray FgangIPF{}, FgangIP{};  // measured electrical phase: Hz, radians
  double _PNorm = 0;
  double xmax = 0;
  double _Hvc = 0, _Dvc = 0, _Hpp = 0;
  double _Bl = 0;
  double _SPL = 0;
  double _Le = 0;
  double _Mmd = 0;
  std::string _fu, _fo;
  std::string _Da;
  double _magind = 0, _magflu = 0;
  TShortString<15> _bnr;
  double _Etiefe = 0, _Ausschn = 0, _Gewicht = 0;
  std::int8_t Membranform = 0;
  std::uint32_t typ = 0;
  TChassisDerived derived;  // the derived-value area
  bool hstMark = false;
  std::int32_t Filters = 0;
  TShortString<16> pubdate;
  TShortString<255> OrgFilename;

  bool operator==(const TChassis&) const = default;
};
// The defaults a new project and a loaded file give a chassis slot.
TChassis DefaultChassis();

// Enclosure of one chassis slot (volumes in m³, frequencies in Hz).
struct TEinbau {
  std::int32_t Typ = 0;  // 0 integrated, 1 closed, 2 vented, 3 band-pass, 4 band-pass with two ports
  double Vb = 0;
  double vV = 1.0;
  double mb = 1.0;
  double Ql = 0;
  double Qb = 0;
  double fb = 0;
  double fmb = 1.0;
  double Vbf = 0, vVf = 1.0, Qbf = 0, fbf = 0;
  double Qk = 0, Qkf = 0;
  bool mbQExpl = false;
  std::int8_t Bedv = 2, Bedc = 2, Bedk = 0, Bedvf = 0, Bedkf = 0;  // damping levels 0..4

  bool operator==(const TEinbau&) const = default;
};

// Baffle position and geometry of one chassis slot (lengths in m).
struct TSchallwand {
  bool beugl = true, beugr = true, beugo = true, beugu = true;  // diffracting edges
  bool usegemgeh = true;                                        // follows the common outer enclosure
  std::int8_t direction = 0;
  std::int8_t directionr = 0;
  std::int8_t Membranform = 0;
  double a = 0, b = 0, c = 0, d = 0, e = 0, f = 0, g = 0, h = 0, i = 0;
  double hor = 0, vert = 0, stra = 0;
  double horr = 0, vertr = 0, strar = 0;

  bool operator==(const TSchallwand&) const = default;
};

// Common outer enclosure shared by chassis that use it.
struct TGemGeh {
  double h = 0, b = 0, t = 0;                     // height, width, depth
  double fasl = 0, fasr = 0, faso = 0, fasu = 0;  // chamfers left, right, top, bottom

  bool operator==(const TGemGeh&) const = default;
};

// The project. About half a megabyte: hold it on the heap (MakeNewProject)
// and copy it deliberately. The display option block is its base, so its
// fields read as project fields (p.fMin, p.sz) and it can be replaced as a
// unit through Anzeige(p).
struct TProjekt : TDisplayOptions {
  std::int16_t nAmps = 1;
  std::int16_t nChassis = 1;
  bool bSaved = false;
  TFreqArray freq{};
  std::array<TVerstaerker, kMaxAmps> Verstaerker{};     // amplifier slots 0..5
  std::array<TChassis, kChassisSlots> Chassis{};        // chassis slots 0..8
  std::array<TEinbau, kChassisSlots> Einbau{};          // enclosure of the chassis in the same slot
  std::array<TSchallwand, kChassisSlots> Schallwand{};  // baffle of the chassis in the same slot
  TGemGeh GemGeh{};

  bool operator==(const TProjekt&) const = default;
};

inline TDisplayOptions& Anzeige(TProjekt& p) { return p; }

// The amplifiers and chassis in use: a count held inside the slots that can
// be in use (0..6 amplifiers, 0..8 chassis), so that a damaged count never
// leads a loop past them. Every loop over the slots in use runs to these.
inline int AmpsInUse(int nAmps) { return std::clamp(nAmps, 0, kMaxAmps); }
inline int ChassisInUse(int nChassis) { return std::clamp(nChassis, 0, kMaxChassis); }
inline int AmpsInUse(const TProjekt& p) { return AmpsInUse(int{p.nAmps}); }
inline int ChassisInUse(const TProjekt& p) { return ChassisInUse(int{p.nChassis}); }
inline const TDisplayOptions& Anzeige(const TProjekt& p) { return p; }

// Fills `p` with a new project: one amplifier, one chassis, all defaults,
// slots 1..7 copied from slot 0, slot 8 cleared, the frequency grid built.
void NewProject(TProjekt& p);
// The project's logarithmic frequency grid:
// freq[i] = fMin·(fMax/fMin)^(i/(sz−1)) for i = 0..sz−1, then freq[sz] = 0.
// Entries above sz keep what they held. Callers pass 10 <= sz <= 599.
void BuildFreqGrid(TProjekt& p);
std::unique_ptr<TProjekt> MakeNewProject();

// Exchanges the chassis records of two slots, and optionally their enclosure
// and baffle records. Crossovers are not touched. Slots outside 0..8 are ignored.
void SwapChassis(TProjekt& p, int slotA, int slotB, bool withEinbau = true, bool withSchallwand = true);
// Copies the chassis record of slot `from` onto slot `to`, together with the
// outlet diameter `d` of its baffle record (always: it belongs to the
// chassis), and optionally the whole enclosure and baffle records.
// Crossovers are not touched. Slots outside 0..8 are ignored.
void CopyChassis(TProjekt& p, int from, int to, bool withEinbau, bool withSchallwand);

}  // namespace sonvex
