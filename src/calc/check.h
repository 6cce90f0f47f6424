#pragma once
// The chassis consistency check of all crossovers, and the status report that
// turns the item states of a finished calculation into the error list.
#include <string>
#include <vector>

#include "model/project.h"
#include "model/result.h"

namespace sonvex {

// Item Check: finds for every chassis slot the amplifier whose crossover
// drives it (written into r.ampOfChassis, -1 for none) and reports chassis
// used twice or beyond the project's chassis count. Returns "OK" or the
// messages, one line each, joined by CR LF. Never fails itself.
std::string CheckItem(const Project& p, CalcResult& r);

// The smallest plausible values of the chassis data that set the excursion
// limit. Their own checks (SimulateChassis) only ask for values above 0, and a
// measured-only chassis not even that; a membrane area or linear excursion
// that is tiny (1E-300, 1E-30) or 0 then makes the excursion, the limits and
// the grades overflow or become absurd (a total grade of 8.8E50) while the
// calculation reports success. The bounds lie below any real chassis and far
// above where the arithmetic breaks down:
//   Sd (Amem): 1E-5 m² (0.1 cm², a membrane 3.6 mm across; the smallest
//              micro speakers have about 0.3 cm²);
//   xlin:      1E-5 m (0.01 mm; dome tweeters have about 0.1 mm).
// Values far too large need no bound of their own: where they make a limit
// overflow, the whole box names the chassis ("Maximale Spannung von Chassis
// N kann nicht berechnet werden."), and a chassis no crossover drives stays
// computable.
inline constexpr double kMinSd = 1e-5;
inline constexpr double kMinXlin = 1e-5;

// "OK", or one sentence per value of `c` below its smallest plausible value
// (a value that is not a number included), naming the value, e.g.
// "Sd (Amem) = 1E-300 m² liegt unter dem kleinsten plausiblen Wert 1E-5 m². ".
// `onlyAboveZero` leaves out values not above 0, for a caller whose own
// message already asks for them to be above 0.
std::string CheckChassisValues(const Chassis& c, bool onlyAboveZero = false);

inline constexpr const char* kStatusSuccess = "Berechnung war erfolgreich.";
inline constexpr const char* kStatusFailure = "Berechnung fehlerhaft. Klick hier für Fehlerliste";

// What the error list window and the status bar show after a calculation.
struct CalcReport {
  std::vector<std::string> lines;  // the error list, one entry per line
  int errors = 0;                  // number of item states that are not "OK"
  std::string text;                // status bar text
  bool failed = false;             // status bar red (else the normal colour)
};

// Visits Check; ActiveFilter[a] and Crossover[a] of each amplifier below ampCount;
// Baffle[c] and Chassis[c] of each chassis below chassisCount; WholeBox. Every
// state that is not "OK" is one error; a state with line breaks gives several
// lines. Without errors the list holds the success text.
CalcReport StatusReport(const CalcStates& states, int ampCount, int chassisCount);

}  // namespace sonvex
