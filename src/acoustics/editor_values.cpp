#include "acoustics/editor_values.h"

#include <cctype>
#include <cmath>
#include <memory>

#include "acoustics/cabinet.h"
#include "model/file_io.h"
#include "model/measurement_import.h"
#include "model/number_text.h"

namespace sonvex {

std::string FieldText(double recordValue, double factor, int width) {
  return FormatNumber(recordValue * factor, width);
}

double FieldValue(std::string_view text, double factor) { return FieldDoubleLenient(text) / factor; }

// Follows the lenient reader: blanks and zeros, a sign, then "$" with
// lower-case hexadecimal digits, "&" with binary digits, or decimal digits,
// each either before or right after a "." or ",".
bool FieldHoldsNumber(std::string_view text) {
  std::size_t i = 0;
  auto at = [&](std::size_t k) { return k < text.size() ? text[k] : '\0'; };
  for (; i < text.size() && (text[i] == ' ' || text[i] == '0'); ++i)
    if (text[i] == '0') return true;
  if (at(i) == '-' || at(i) == '+') ++i;
  char base = 'd';
  if (at(i) == '$' || at(i) == '&') base = at(i++);
  auto digitAt = [&](std::size_t k) {
    const char c = at(k);
    if (base == '$') return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
    if (base == '&') return c == '0' || c == '1';
    return c >= '0' && c <= '9';
  };
  return digitAt(i) || ((at(i) == '.' || at(i) == ',') && digitAt(i + 1));
}

bool FieldNumberTooLarge(std::string_view text) { return !std::isfinite(StrToDoubleLenient(text)); }

std::string PhaseText(double radians) { return FormatNumber(radians / kDegToRad, kEditWidth); }

double PhaseValue(std::string_view degreesText) { return FieldDoubleLenient(degreesText) * kDegToRad; }

// ---------------------------------------------------------------- derived values

namespace {

struct TDerivedRow {
  const char* key;
  const char* prefix;
  double TChassisDerived::*field;
  double scale;
  const char* unit;
  int width;
  const char* placeholder;
};

// Every label gets a placeholder, Vabf included: a failed computation must
// never leave a number of an earlier chassis standing.
constexpr TDerivedRow kDerivedRows[] = {
    {"Cms", "Cms = ", &TChassisDerived::Cms, 1e6, " µF", 7, "Cms = ?"},
    {"Lms", "Lms = ", &TChassisDerived::Lms, 1e3, " mH", 7, "Lms = ?"},
    {"Rms", "Rms = ", &TChassisDerived::Rms, 1, " Ohm", 7, "Rms = ?"},
    {"Lab", "Lab = ", &TChassisDerived::Lab, 1e3, " mH", 7, "Lab = ?"},
    {"Rab", "Rab = ", &TChassisDerived::Rab, 1, " Ohm", 7, "Rab = ?"},
    {"Cbr", "Cbr = ", &TChassisDerived::Cbr, 1e6, " µF", 7, "Cbr = ?"},
    {"Rbr", "Rbr = ", &TChassisDerived::Rbr, 1, " Ohm", 7, "Rbr = ?"},
    {"Labf", "Labf= ", &TChassisDerived::Labf, 1e3, " mH", 7, "Labf= ?"},
    {"Rabf", "Rabf= ", &TChassisDerived::Rabf, 1, " Ohm", 7, "Rabf= ?"},
    {"Cbrf", "Cbrf= ", &TChassisDerived::Cbrf, 1e6, " µF", 7, "Cbrf= ?"},
    {"Rbrf", "Rbrf= ", &TChassisDerived::Rbrf, 1, " Ohm", 7, "Rbrf= ?"},
    {"fsbg", "fsbg = ", &TChassisDerived::fsbg, 1, " Hz", 6, "fsbg = ?"},
    {"Qts", "Qts = ", &TChassisDerived::Qts, 1, "", 6, "Qts = ?"},
    {"Qtsbg", "Qtsbg = ", &TChassisDerived::Qtsbg, 1, "", 6, "Qtsbg = ?"},
    {"Vab", "Vab = ", &TChassisDerived::Vab, 1e3, " Liter", 7, "Vab = ?"},
    {"Vabf", "Vabf = ", &TChassisDerived::Vabf, 1e3, " Liter", 7, "Vabf = ?"},
    {"Qesbg", "Qesbg = ", &TChassisDerived::Qesbg, 1, "", 6, "Qesbg = ?"},
    {"Qmsbg", "Qmsbg = ", &TChassisDerived::Qmsbg, 1, "", 6, "Qmsbg = ?"},
    {"fc", "fc  = ", &TChassisDerived::fc, 1, " Hz", 6, "fc  = ?"},
    {"Qec", "Qec = ", &TChassisDerived::Qec, 1, "", 6, "Qec = ?"},
    {"Qmc", "Qmc = ", &TChassisDerived::Qmc, 1, "", 6, "Qmc = ?"},
    {"Qtc", "Qtc = ", &TChassisDerived::Qtc, 1, "", 6, "Qtc = ?"},
    {"Cmd", "Cmd = ", &TChassisDerived::Cmd, 1e3, " mm/N", 7, "Cmd = ?"},
    {"Mmd", "Mmd = ", &TChassisDerived::Mmd, 1e3, " Gramm", 7, "Mmd = ?"},
    {"Bl", "Bl  = ", &TChassisDerived::Bl, 1, " N/A", 7, "Bl  = ?"},
    {"SPL", "SPL = ", &TChassisDerived::SPL, 1, " dB/2,83V", 6, "SPL = ?"},
    {"Rmd", "Rmd = ", &TChassisDerived::Rmd, 1, " Ns/m", 7, "Rmd = ?"},
};

}  // namespace

std::vector<TDerivedLabel> DerivedValueLabels(const TChassisDerived& d) {
  std::vector<TDerivedLabel> out;
  out.reserve(std::size(kDerivedRows));
  for (const TDerivedRow& r : kDerivedRows) {
    const double v = d.*r.field * r.scale;
    // A value a box cannot have (a division by an empty box, a port without
    // air) says nothing and would show as "1,E105 mH": a dash instead.
    if (!std::isfinite(v) || std::fabs(v) >= kDerivedValueLimit) {
      out.push_back({r.key, r.placeholder, std::string(r.prefix) + kNoDerivedValue});
      continue;
    }
    out.push_back({r.key, r.placeholder, std::string(r.prefix) + FormatNumber(v, r.width) + r.unit});
  }
  return out;
}

// ---------------------------------------------------------------- chassis files

std::filesystem::path ChassisSaveName(const std::filesystem::path& chosen) {
  std::string name = Utf8FromPath(chosen);
  std::string tail = name.size() >= 4 ? name.substr(name.size() - 4) : std::string();
  for (char& ch : tail) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  if (tail == ".ZCH")
    name.replace(name.size() - 4, 4, ".ZCH");
  else
    name += ".ZCH";
  return PathFromUtf8(name);
}

double AcousticDiameter(double amem) {
  if (!(amem > 0)) return 0;
  return std::sqrt(amem * 4 / 3.14159265358979323846) * 0.999;
}

// ---------------------------------------------------------------- measured curves

void ShiftLevels(TChassis& c, double dB) {
  for (int k = 0; k < kFreqEntries; ++k) {
    if (c.FgangAF[k] < 0.001) break;
    c.FgangA[k] += dB;
  }
}

bool ImportFrequencyResponseWithLevel(TChassis& c, TInteraction& ui, const std::filesystem::path& folder) {
  // The import writes the level curve's first frequency whenever it takes
  // the level column, so a marker there tells whether the question about the
  // file's level belongs to this import (a phase-only file leaves the levels
  // of the chassis alone).
  auto work = std::make_unique<TChassis>(c);
  constexpr double kUntouched = -1.0;
  work->FgangAF[0] = kUntouched;
  if (!ImportFrequencyResponse(*work, ui, folder)) return false;
  if (work->FgangAF[0] == kUntouched) {
    work->FgangAF[0] = c.FgangAF[0];
  } else {
    std::vector<std::string> values{"90"};
    double answer = 90;
    if (ui.EditValues("Pegelanpassung", "Welcher Wert in der Datei entspricht 90dB/2,83V/m? %d", values) &&
        !values.empty()) {
      answer = StrToDoubleLenient(values[0]);
      if (!std::isfinite(answer)) answer = 90;
    }
    ShiftLevels(*work, 90 - answer);
  }
  c = *work;
  return true;
}

bool AskLevelShift(TChassis& c, TInteraction& ui) {
  std::vector<std::string> values{"0"};
  if (!ui.EditValues("Pegeländerung", "Meßdaten im Pegel ändern [dB] %d", values) || values.empty()) return false;
  const double dB = StrToDoubleLenient(values[0]);
  if (!std::isfinite(dB)) return false;
  ShiftLevels(c, dB);
  return true;
}

// ---------------------------------------------------------------- voice-coil fit

std::string FitResultQuestion(const TChassis& f) {
  return "Es wurde errechnet:\r\nLe  = " + FormatNumber(f.Le * 1000, 6) + " mH" + "\r\n" +
         "Re2 = " + FormatNumber(f.Re2, 6) + " Ohm" + "\r\n" + "Le2 = " + FormatNumber(f.Le2 * 1000, 6) + " mH" +
         "\r\n" + "Re3 = " + FormatNumber(f.Re3, 6) + " Ohm" + "\r\n" + "Le3 = " + FormatNumber(f.Le3 * 1000, 6) +
         " mH" + "\r\n" + "Sollen die Werte übernommen werden?";
}

// ---------------------------------------------------------------- help texts

THelpText VolumeFactorHelp() {
  return {"Volumenzuwachsfaktor",
          "Faktor um den das geometrische Volumen der Box durch Dämmaterialeinfluß vergrößert wird.\r"
          "Richtwerte:\r"
          "1,00 für Box ohne Dämmaterial\r"
          "1,10 für lockere Füllung\r"
          "1,25 für stark gestopfte Füllung"};
}

THelpText AirLoadHelp(double amem, double mmd, double vb) {
  std::string t =
      "Der Luftlastfaktor mb beschreibt, wie das Gehäuse die mitschwingende Luftmasse der Membran "
      "verändert. Die Resonanzfrequenz im Gehäuse wird fsbg = fs * mb (mb < 1 senkt sie). Der Faktor "
      "wirkt voll bei tiefen Frequenzen und verliert sich oberhalb von fmb.\r"
      "\r"
      "Empfehlung für mb:\r";
  if (amem > 0 && mmd > 0) {
    // Ratio of a reference diaphragm of 0,05 g/cm² to the actual moving mass.
    const double x = amem * 0.5 / mmd;
    t += "mb = " + FormatNumber(std::pow(0.94, x), 5) + " bei wenig Dämmmaterial" + "\r" +
         "mb = " + FormatNumber(std::pow(0.9, x), 5) + " bei viel Dämmmaterial in der Box";
  } else {
    t += "< Daten sind nicht errechenbar wg. fehlender TS-Parameter. >";
  }
  t += "\r\rEmpfehlung für fmb:\r";
  t += "fmb = 0,5 * Frequenz der tiefsten stehenden Welle im Gehäuse\r";
  if (vb > 0)
    t += "Schätzwert für eingegebenes Volumen: " + FormatNumber(344 / (1.6 * std::pow(vb, 0.33333)), 6) + " Hz.";
  else
    t += "< Daten wegen fehlender Volumenangabe nicht berechenbar>";
  t += "\r\r"
       "Die Luftlast bei der Frequenz f ergibt sich zu\r"
       "mbf = (f^2 + mb(fmb^2)) / (f^2 + fmb^2)\r"
       "\r"
       "Eine präzisere Berechnung von mb und fmb wäre unter Betrachtung der\r"
       "Gehäusegeometrie und der Chassisposition möglich.\r"
       "\r"
       "Die Schätzwerte beruhen auf Vergleichen von Simulation und Messung an geschlossenen Boxen "
       "mit Konuschassis von 10 bis 30 cm Durchmesser.";
  return {"Luftlastfaktor", t};
}

THelpText PortLossHelp() {
  return {"Verlustentstehung bei BR",
          "Die klassische Bassreflexberechnung fasst alle Verluste des Gehäuses als Gehäuseverluste "
          "(Qb bzw. Ql) zusammen und betrachtet den Reflexkanal als verlustfrei.\r"
          "\r"
          "Wird für Qk und Qkf der Wert 999 eingegeben, folgt die Rechnung dieser Konvention: "
          "der Kanal hat praktisch keine Reibungsverluste.\r"
          "\r"
          "Mit einer realen Kanalgüte (typisch 10 bis 50) ordnet das Programm einen Teil der Verluste "
          "der Reibung im Reflexkanal zu. Das verändert vor allem den Pegel des Kanals um die "
          "Abstimmfrequenz."};
}

std::vector<std::string> HelpLines(std::string_view text) {
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t k = 0; k < text.size(); ++k) {
    const char ch = text[k];
    if (ch == '\r' || ch == '\n') {
      lines.push_back(line);
      line.clear();
      // CR LF is one line end.
      if (ch == '\r' && k + 1 < text.size() && text[k + 1] == '\n') ++k;
    } else {
      line += ch;
    }
  }
  lines.push_back(line);
  return lines;
}

// ---------------------------------------------------------------- common cabinet

TCabinetEntry CabinetEntryFromBaffle(const TGemGeh& box, const TSchallwand& w) {
  TCabinetEntry e;
  e.use = w.usegemgeh;
  e.face = w.direction >= kFaceFront && w.direction <= kFaceBottom ? static_cast<int>(w.direction) : 0;
  e.rearSide = w.directionr == kRearOpposite ? 1 : 0;
  e.a = w.a;
  e.c = w.c;
  if (!w.usegemgeh) {
    // A baffle of its own holds the chassis's place on it (a, c) and the
    // outlet's place in the room; the outlet's place on the face follows from
    // its distance to the chassis, as the chassis's place is kept.
    PortFacePoint(w, e.ar, e.cr);
    return e;
  }
  const int rearFace = e.rearSide == kRearOpposite ? OppositeFace(e.face) : e.face;
  RoomToFacePoint(box, rearFace, TRoomPoint{w.horr, w.vertr, w.strar}, e.ar, e.cr);
  return e;
}

void ApplyCabinet(TProjekt& p, const TGemGeh& box, const std::array<TCabinetEntry, kMaxChassis>& entries) {
  p.GemGeh = box;
  for (int k = 0; k < kMaxChassis; ++k) {
    const TCabinetEntry& e = entries[static_cast<std::size_t>(k)];
    TSchallwand& w = p.Schallwand[static_cast<std::size_t>(k)];
    w.usegemgeh = e.use;
    if (e.use) BaffleFromCabinet(w, box, e.face, e.rearSide, e.a, e.c, e.ar, e.cr);
  }
}

}  // namespace sonvex
