#pragma once
// The chassis consistency check of all crossovers, and the status report that
// turns the item states of a finished calculation into the error list.
#include <string>
#include <vector>

#include "model/project.h"
#include "model/result.h"

namespace sonvex {

// Item Check: finds for every chassis slot the amplifier whose crossover
// drives it (written into r.AmpOfChassis, -1 for none) and reports chassis
// used twice or beyond the project's chassis count. Returns "OK" or the
// messages, one line each, joined by CR LF. Never fails itself.
std::string CheckItem(const TProjekt& p, TResult& r);

inline constexpr const char* kStatusSuccess = "Berechnung war erfolgreich.";
inline constexpr const char* kStatusFailure = "Berechnung fehlerhaft. Klick hier für Fehlerliste";

// What the error list window and the status bar show after a calculation.
struct TStatusReport {
  std::vector<std::string> lines;  // the error list, one entry per line
  int errors = 0;                  // number of item states that are not "OK"
  std::string text;                // status bar text
  bool failed = false;             // status bar red (else the normal colour)
};

// Visits Check; AktFilt[a] and Weiche[a] of each amplifier below nAmps;
// Baffle[c] and Chassis[c] of each chassis below nChassis; Gesamt. Every
// state that is not "OK" is one error; a state with line breaks gives several
// lines. Without errors the list holds the success text.
TStatusReport StatusReport(const TCalcStruct& states, int nAmps, int nChassis);

}  // namespace sonvex
