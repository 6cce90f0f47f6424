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

struct DerivedRow {
  const char* key;
  const char* prefix;
  double ChassisDerived::*field;
  double scale;
  const char* unit;
  int width;
  const char* placeholder;
};

// Every label gets a placeholder, Vabf included: a failed computation must
// never leave a number of an earlier chassis standing.
constexpr DerivedRow kDerivedRows[] = {
    {"Cms", "Cms = ", &ChassisDerived::Cms, 1e6, " µF", 7, "Cms = ?"},
    {"Lms", "Lms = ", &ChassisDerived::Lms, 1e3, " mH", 7, "Lms = ?"},
    {"Rms", "Rms = ", &ChassisDerived::Rms, 1, " Ohm", 7, "Rms = ?"},
    {"Lab", "Lab = ", &ChassisDerived::Lab, 1e3, " mH", 7, "Lab = ?"},
    {"Rab", "Rab = ", &ChassisDerived::Rab, 1, " Ohm", 7, "Rab = ?"},
    {"Cbr", "Cbr = ", &ChassisDerived::Cbr, 1e6, " µF", 7, "Cbr = ?"},
    {"Rbr", "Rbr = ", &ChassisDerived::Rbr, 1, " Ohm", 7, "Rbr = ?"},
    {"Labf", "Labf= ", &ChassisDerived::Labf, 1e3, " mH", 7, "Labf= ?"},
    {"Rabf", "Rabf= ", &ChassisDerived::Rabf, 1, " Ohm", 7, "Rabf= ?"},
    {"Cbrf", "Cbrf= ", &ChassisDerived::Cbrf, 1e6, " µF", 7, "Cbrf= ?"},
    {"Rbrf", "Rbrf= ", &ChassisDerived::Rbrf, 1, " Ohm", 7, "Rbrf= ?"},
    {"fsbg", "fsbg = ", &ChassisDerived::fsbg, 1, " Hz", 6, "fsbg = ?"},
    {"Qts", "Qts = ", &ChassisDerived::Qts, 1, "", 6, "Qts = ?"},
    {"Qtsbg", "Qtsbg = ", &ChassisDerived::Qtsbg, 1, "", 6, "Qtsbg = ?"},
    {"Vab", "Vab = ", &ChassisDerived::Vab, 1e3, " Liter", 7, "Vab = ?"},
    {"Vabf", "Vabf = ", &ChassisDerived::Vabf, 1e3, " Liter", 7, "Vabf = ?"},
    {"Qesbg", "Qesbg = ", &ChassisDerived::Qesbg, 1, "", 6, "Qesbg = ?"},
    {"Qmsbg", "Qmsbg = ", &ChassisDerived::Qmsbg, 1, "", 6, "Qmsbg = ?"},
    {"fc", "fc  = ", &ChassisDerived::fc, 1, " Hz", 6, "fc  = ?"},
    {"Qec", "Qec = ", &ChassisDerived::Qec, 1, "", 6, "Qec = ?"},
    {"Qmc", "Qmc = ", &ChassisDerived::Qmc, 1, "", 6, "Qmc = ?"},
    {"Qtc", "Qtc = ", &ChassisDerived::Qtc, 1, "", 6, "Qtc = ?"},
    {"Cmd", "Cmd = ", &ChassisDerived::Cmd, 1e3, " mm/N", 7, "Cmd = ?"},
    {"Mmd", "Mmd = ", &ChassisDerived::Mmd, 1e3, " Gramm", 7, "Mmd = ?"},
    {"Bl", "Bl  = ", &ChassisDerived::Bl, 1, " N/A", 7, "Bl  = ?"},
    {"SPL", "SPL = ", &ChassisDerived::SPL, 1, " dB/2,83V", 6, "SPL = ?"},
    {"Rmd", "Rmd = ", &ChassisDerived::Rmd, 1, " Ns/m", 7, "Rmd = ?"},
};

}  // namespace

std::vector<DerivedValueLabel> DerivedValueLabels(const ChassisDerived& d) {
  std::vector<DerivedValueLabel> out;
  out.reserve(std::size(kDerivedRows));
  for (const DerivedRow& r : kDerivedRows) {
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

double AcousticDiameter(double Sd) {
  if (!(Sd > 0)) return 0;
  return std::sqrt(Sd * 4 / 3.14159265358979323846) * 0.999;
}

// ---------------------------------------------------------------- measured curves

void ShiftLevels(Chassis& c, double dB) {
  for (int k = 0; k < kFreqEntries; ++k) {
    if (c.measuredAmplitudeFreq[k] < 0.001) break;
    c.measuredAmplitude[k] += dB;
  }
}

bool ImportFrequencyResponseWithLevel(Chassis& c, Interaction& ui, const std::filesystem::path& folder) {
  // The import writes the level curve's first frequency whenever it takes
  // the level column, so a marker there tells whether the question about the
  // file's level belongs to this import (a phase-only file leaves the levels
  // of the chassis alone).
  auto work = std::make_unique<Chassis>(c);
  constexpr double kUntouched = -1.0;
  work->measuredAmplitudeFreq[0] = kUntouched;
  if (!ImportFrequencyResponse(*work, ui, folder)) return false;
  if (work->measuredAmplitudeFreq[0] == kUntouched) {
    work->measuredAmplitudeFreq[0] = c.measuredAmplitudeFreq[0];
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

bool AskLevelShift(Chassis& c, Interaction& ui) {
  std::vector<std::string> values{"0"};
  if (!ui.EditValues("Pegeländerung", "Meßdaten im Pegel ändern [dB] %d", values) || values.empty()) return false;
  const double dB = StrToDoubleLenient(values[0]);
  if (!std::isfinite(dB)) return false;
  ShiftLevels(c, dB);
  return true;
}

// ---------------------------------------------------------------- voice-coil fit

std::string FitResultQuestion(const Chassis& fitted) {
  return "Es wurde errechnet:\r\nLe  = " + FormatNumber(fitted.Le * 1000, 6) + " mH" + "\r\n" +
         "Re2 = " + FormatNumber(fitted.Re2, 6) + " Ohm" + "\r\n" + "Le2 = " + FormatNumber(fitted.Le2 * 1000, 6) +
         " mH" + "\r\n" + "Re3 = " + FormatNumber(fitted.Re3, 6) + " Ohm" + "\r\n" +
         "Le3 = " + FormatNumber(fitted.Le3 * 1000, 6) + " mH" + "\r\n" + "Sollen die Werte übernommen werden?";
}

// ---------------------------------------------------------------- help texts

HelpText VolumeFactorHelp() {
  return {"Volumenzuwachsfaktor",
          "Faktor um den das geometrische Volumen der Box durch Dämmaterialeinfluß vergrößert wird.\r"
          "Richtwerte:\r"
          "1,00 für Box ohne Dämmaterial\r"
          "1,10 für lockere Füllung\r"
          "1,25 für stark gestopfte Füllung"};
}

HelpText AirLoadHelp(double Sd, double mmd, double vb) {
  std::string t =
      "Der Luftlastfaktor mb beschreibt, wie das Gehäuse die mitschwingende Luftmasse der Membran "
      "verändert. Die Resonanzfrequenz im Gehäuse wird fsbg = fs * mb (mb < 1 senkt sie). Der Faktor "
      "wirkt voll bei tiefen Frequenzen und verliert sich oberhalb von fmb.\r"
      "\r"
      "Empfehlung für mb:\r";
  if (Sd > 0 && mmd > 0) {
    // Ratio of a reference diaphragm of 0,05 g/cm² to the actual moving mass.
    const double x = Sd * 0.5 / mmd;
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

HelpText PortLossHelp() {
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

CabinetEntry CabinetEntryFromBaffle(const Cabinet& box, const Baffle& baffle) {
  CabinetEntry e;
  e.use = baffle.useCabinet;
  e.face = baffle.direction >= FaceFront && baffle.direction <= FaceBottom ? static_cast<int>(baffle.direction) : 0;
  e.rearSide = baffle.rearDirection == RearOppositeFace ? 1 : 0;
  e.bottomDistance = baffle.bottomDistance;
  e.leftDistance = baffle.leftDistance;
  if (!baffle.useCabinet) {
    // A baffle of its own holds the chassis's place on it (a, c) and the
    // outlet's place in the room; the outlet's place on the face follows from
    // its distance to the chassis, as the chassis's place is kept.
    PortFacePoint(baffle, e.rearBottomDistance, e.rearLeftDistance);
    return e;
  }
  const int rearFace = e.rearSide == RearOppositeFace ? OppositeFace(e.face) : e.face;
  RoomToFacePoint(box, rearFace, RoomPoint{baffle.rearHorizontal, baffle.rearVertical, baffle.rearForward},
                  e.rearBottomDistance, e.rearLeftDistance);
  return e;
}

void ApplyCabinet(Project& p, const Cabinet& box, const std::array<CabinetEntry, kMaxChassis>& entries) {
  p.cabinet = box;
  for (int k = 0; k < kMaxChassis; ++k) {
    const CabinetEntry& e = entries[static_cast<std::size_t>(k)];
    Baffle& baffle = p.baffles[static_cast<std::size_t>(k)];
    baffle.useCabinet = e.use;
    if (e.use)
      BaffleFromCabinet(baffle, box, e.face, e.rearSide, e.bottomDistance, e.leftDistance, e.rearBottomDistance,
                        e.rearLeftDistance);
  }
}

}  // namespace sonvex
