#pragma once
// Standard two-way crossovers, the L-pad attenuator and impedance
// correction networks. Pure functions; every result is a list of text lines
// as the calculator window's memo fields show them.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "tools/box_design.h"

namespace sonvex {

// ---- standard crossovers

struct StandardCrossoverLines {
  std::array<ResultLines, 4> lowPass;   // orders 1..4 (MemoTP1..4)
  std::array<ResultLines, 4> highPass;  // orders 1..4 (MemoHP1..4)
};
// fT in Hz, woofer impedance rl and tweeter impedance rh in Ohm. All lists
// are empty unless all three are greater than 0.
StandardCrossoverLines StandardCrossovers(double fT, double rl, double rh);

// ---- attenuator

// The items of the desired-attenuation list ("-3 dB" is the sixth).
const std::vector<std::string>& AttenuationItems();
inline constexpr int kDefaultAttenuationItem = 5;

// The standard resistor values the suggestions are made of (0 a short,
// 1e10 an open position).
const std::array<double, 15>& AttenuatorResistors();

// L-pad from a desired attenuation: the "dBWunsch" line, the exact values
// for input impedance ze and load rl and up to five (or a few more)
// suggestions of standard resistors. `attenuationText` is the text of the
// list (its leading number is the attenuation in dB).
ResultLines AttenuatorLines(std::string_view attenuationText, double ze, double rl, bool impedanceDoesNotMatter);

// Level and input impedance of given resistors r1 (series), r2 (parallel to
// the load rl); empty unless all three are positive.
ResultLines DividerLines(double r1, double r2, double rl);

// ---- impedance correction

struct ImpedanceCorrectionLines {
  ResultLines resonance;   // Memo5: R, L, C in series, across the resonance
  ResultLines inductance;  // Memo4: R, C in series, against the voice-coil inductance
  ResultLines both;        // Memo6: both networks
};
// rdc in Ohm, fc in Hz, le in henry.
ImpedanceCorrectionLines ImpedanceCorrection(double rdc, double fc, double qes, double qms, double le);

// ---- the pages as their controls hold them

struct CrossoverPage {
  std::string crossoverFreq = "1000", wooferImpedance = "8", tweeterImpedance = "8";
};
StandardCrossoverLines CrossoverPageLines(const CrossoverPage& page);

struct DividerPage {
  std::string desiredAttenuation = "-3 dB";  // the text of CB_dBWunsch
  std::string inputImpedance = "8", loadImpedance = "8";
  bool impedanceDoesNotMatter = true;  // "Anschlussimpedanz egal"
  std::string r1 = "2,2", r2 = "6,8", rl = "8";
};
ResultLines AttenuatorPageLines(const DividerPage& page);  // Memo2
ResultLines DividerPageLines(const DividerPage& page);     // Memo3

struct ZobelPage {
  std::string rdc = "6,8", fc = "66", qes = "0,4", qms = "2,8", le = "0,8";  // Le in mH
};
ImpedanceCorrectionLines ZobelPageLines(const ZobelPage& page);

}  // namespace sonvex
