#include "calc/check.h"

#include <algorithm>
#include <array>

#include "model/number_text.h"

namespace sonvex {

namespace {

// A value as the message shows it: decimal comma, "1E-300" rather than the
// "1,E-300" of the project file.
std::string ValueText(double v) {
  std::string text = FormatNumber(v, 12);
  if (const auto at = text.find(",E"); at != std::string::npos) text.erase(at, 1);
  return text;
}

}  // namespace

std::string CheckChassisValues(const Chassis& c, bool onlyAboveZero) {
  std::string text;
  const auto check = [&](const char* name, double value, double lo, const char* unit) {
    if (value >= lo) return;  // written so that NaN fails
    if (onlyAboveZero && value <= 0) return;
    text += std::string(name) + " = " + ValueText(value) + " " + unit + " liegt unter dem kleinsten plausiblen Wert " +
            ValueText(lo) + " " + unit + ". ";
  };
  check("Sd (Amem)", c.Sd, kMinSd, "m²");
  check("xlin", c.xlin, kMinXlin, "m");
  return text.empty() ? "OK" : text;
}

std::string CheckItem(const Project& p, CalcResult& r) {
  std::array<int, kChassisSlots> firstUser{};
  std::array<int, kChassisSlots> secondUser{};
  for (int n = 0; n < kChassisSlots; ++n) {
    r.ampOfChassis[n] = -1;
    firstUser[n] = -1;
    secondUser[n] = -1;
  }
  bool error = false;
  const int chassisCount = p.chassisCount;
  // An amplifier count beyond the slots can only come from a damaged record;
  // the check looks at the existing crossovers only.
  const int ampCount = AmpsInUse(p);

  bool stop = false;
  for (int a = 0; a < ampCount && !stop; ++a) {
    const Crossover& parts = p.amplifiers[a].crossover;
    for (int s = 0; s < kUsedPartSlots; ++s) {
      if (parts[s].type != PartChassis) continue;
      const int n = parts[s].chassisSlot;
      if (n < 0 || n >= kChassisSlots) {
        error = true;
        stop = true;
        break;
      }
      if (firstUser[n] == -1) {
        firstUser[n] = a;
        r.ampOfChassis[n] = a;
      } else {
        secondUser[n] = a;  // also a chassis placed twice in the same crossover
        error = true;
      }
      if (n > chassisCount - 1) error = true;
    }
  }
  if (!error) return "OK";

  std::string msg;
  for (int n = 0; n < kChassisSlots; ++n) {
    if (secondUser[n] == -1) continue;
    msg += "Fehler: Chassis " + std::to_string(n + 1) + " doppelt verwendet in Weiche " +
           std::to_string(firstUser[n] + 1) + " und " + std::to_string(secondUser[n] + 1) + ".\r\n";
  }
  if (chassisCount <= 8) {
    for (int n = std::max(chassisCount, 0); n <= 8; ++n) {
      if (firstUser[n] == -1) continue;
      msg += "Fehler: Chassis " + std::to_string(n + 1) + " nicht verwendbar, wenn nur " +
             std::to_string(chassisCount) + " Chassis angewählt.\r\n";
    }
  }
  if (msg.size() < 10) msg += "Fehler in Chassiskontrolle\r\n";
  msg.resize(msg.size() - 2);  // no line break after the last message
  return msg;
}

namespace {

// Splits a state text into the lines a memo shows: CR LF, a lone CR and a
// lone LF each end a line.
void AppendLines(const std::string& text, std::vector<std::string>& lines) {
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char ch = text[i];
    if (ch == '\r' || ch == '\n') {
      lines.push_back(line);
      line.clear();
      if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line += ch;
    }
  }
  lines.push_back(line);
}

}  // namespace

CalcReport StatusReport(const CalcStates& states, int ampCount, int chassisCount) {
  CalcReport rep;
  const auto visit = [&rep](const std::string& s) {
    // Every state other than "OK" is reported; after a finished calculation
    // no visited item is still "F", and one that were would not be a success.
    if (s == "OK") return;
    ++rep.errors;
    AppendLines(s, rep.lines);
  };
  ampCount = AmpsInUse(ampCount);
  chassisCount = ChassisInUse(chassisCount);
  visit(states.Check());
  for (int a = 0; a < ampCount; ++a) {
    visit(states.ActiveFilter(a));
    visit(states.Crossover(a));
  }
  for (int c = 0; c < chassisCount; ++c) {
    visit(states.Baffle(c));
    visit(states.Chassis(c));
  }
  visit(states.WholeBox());
  if (rep.errors == 0) {
    rep.text = kStatusSuccess;
    rep.lines.push_back(rep.text);
  } else {
    rep.text = kStatusFailure;
    rep.failed = true;
  }
  return rep;
}

}  // namespace sonvex
