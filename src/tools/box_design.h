#pragma once
// Box and port design: closed and vented box alignment from Thiele/Small
// parameters and the tuning frequency of a port of given geometry inside a
// box. Pure functions; every result is a list of text lines as the
// calculator window shows them.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sonvex {

using ResultLines = std::vector<std::string>;

// A result as a line shows it: the number written with FormatNumber of width
// `w`, then its unit. Extreme inputs can make a formula overflow or divide
// zero by zero; such a result, and one too large to be written in its width,
// reads "nicht sinnvoll" (without the unit) instead of "nan" or "inf".
std::string ResultText(double x, int w, std::string_view unit = {});
inline constexpr std::string_view kNotMeaningfulText = "nicht sinnvoll";

// ---- closed and vented box

// Total Q from the electrical and mechanical Q: Qes·Qms/(Qes + Qms) written
// with width 5, or an empty text when the product is not positive (or the
// quotient is not a finite number).
std::string QtsFromQesQmsText(double qes, double qms);

struct EffectiveQtsResult {
  double q = 0;
  // A series resistance was asked for but Rdc is not positive: the
  // resistance is not applied and its check box is cleared.
  bool clearRv = false;
};
// Qts, raised by a series resistance Rv in front of the voice coil
// (Q·(Rdc + Rv)/Rdc) when `useRv` is set.
EffectiveQtsResult EffectiveQts(double qts, bool useRv, double rdc, double rv);

// fs in Hz, Vas in litres, q the effective Qts, qtc the desired Qtc.
ResultLines ClosedBoxLines(double q, double fs, double vas, double qtc);
// Vented alignment after Hoge: volume, -3 dB frequency and tuning.
ResultLines VentedBoxLines(double q, double fs, double vas);
// The vented box in another volume `altV` (litres).
ResultLines AltVolumeLines(double q, double fs, double vas, double altV);

// The inputs of the box page as its controls hold them.
struct BoxPage {
  std::string fs = "35";
  std::string qts = "0,4";
  std::string qes = "0,5";
  std::string qms = "2";
  std::string vas = "80";  // litres
  std::string rdc = "6";
  std::string rv = "1,0";
  std::string desiredQtc = "0,7";
  std::string altVolume;     // litres
  bool qesQmsKnown = false;  // "Qes und Qms sind bekannt"
  bool useRv = false;        // "Vorwiderstand berücksichtigen"
};

struct BoxPageResult {
  ResultLines closed;  // ListBox2
  ResultLines vented;  // ListBox1
  bool clearRv = false;
};
// Recomputes the closed and the vented box (the alternative-volume list is
// cleared by the window). With "Qes und Qms sind bekannt" the caller has
// already put QtsFromQesQmsText into `qts`.
BoxPageResult BoxPageLines(const BoxPage& page);
// The alternative-volume list for the page's EditAltVab.
ResultLines AltVolumePageLines(const BoxPage& page);

// ---- port

struct PortPage {
  bool explicitVolume = true;    // "RBVexpl"; otherwise b·h·t
  std::string boxVolume = "50";  // litres, including the port
  std::string boxWidth = "20", boxHeight = "98", boxDepth = "23";
  int damping = 0;  // track bar 0..4
  bool rectangular = true;
  std::string portHeight = "8", portWidth = "20";  // rectangular port: height and width
  std::string portDiameter = "7";                  // circular port: diameter
  int tubes = 1;                                   // 1..4 circular tubes
  std::string portLength = "15";                   // port length
  std::string rearWallDistance = "10";             // inner port end to the opposite wall
  std::string floorDistance = "0", topDistance = "90", leftWallDistance = "0",
              rightWallDistance = "0";  // to floor, top, left, right wall
};

// Every length in metres, volumes in m³.
struct PortInput {
  double volume = 0;  // box volume including the port
  int damping = 0;
  bool rectangular = true;
  double portHeight = 0, portWidth = 0;  // rectangular port height and width
  double portDiameter = 0;               // circular port diameter
  int tubes = 1;
  double portLength = 0, rearWallDistance = 0, floorDistance = 0, topDistance = 0, leftWallDistance = 0,
         rightWallDistance = 0;
};

PortInput PortInputFromPage(const PortPage& page);
// Volumes, checks and the tuning frequency "fb = ... Hz"; no lines when the
// volume is not positive. Volumes or a tuning that are not finite numbers
// give the lines of measures that make no sense.
ResultLines PortLines(const PortInput& in);

}  // namespace sonvex
