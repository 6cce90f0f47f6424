#include "calc/check.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

namespace sonvex {
namespace {

// A chassis part for chassis slot `chassisSlot` in crossover slot `slot` of amplifier `a`.
void PutChassis(Project& p, int a, int slot, int chassisSlot) {
  CrossoverPart& w = p.amplifiers[a].crossover[slot];
  w.type = PartChassis;
  w.chassisSlot = static_cast<std::int16_t>(chassisSlot);
}

struct CheckCase {
  const char* name;
  int ampCount;
  int chassisCount;
  std::function<void(Project&)> build;
  std::string state;
  std::array<int, 9> ampOfChassis;
};

TEST(CheckItem, MessagesAndAmplifiers) {
  const std::vector<CheckCase> cases = {
      {"each chassis in its own crossover",
       2,
       2,
       [](Project& p) {
         PutChassis(p, 0, 91, 0);
         PutChassis(p, 1, 91, 1);
       },
       "OK",
       {0, 1, -1, -1, -1, -1, -1, -1, -1}},
      {"double use in two crossovers",
       2,
       2,
       [](Project& p) {
         PutChassis(p, 0, 91, 0);
         PutChassis(p, 1, 91, 0);
       },
       "Fehler: Chassis 1 doppelt verwendet in Weiche 1 und 2.",
       {0, -1, -1, -1, -1, -1, -1, -1, -1}},
      {"double use in one crossover",
       1,
       2,
       [](Project& p) {
         PutChassis(p, 0, 91, 0);
         PutChassis(p, 0, 93, 0);
       },
       "Fehler: Chassis 1 doppelt verwendet in Weiche 1 und 1.",
       {0, -1, -1, -1, -1, -1, -1, -1, -1}},
      {"only the last duplicate is named",
       3,
       2,
       [](Project& p) {
         PutChassis(p, 0, 91, 1);
         PutChassis(p, 1, 91, 1);
         PutChassis(p, 2, 91, 1);
       },
       "Fehler: Chassis 2 doppelt verwendet in Weiche 1 und 3.",
       {-1, 0, -1, -1, -1, -1, -1, -1, -1}},
      {"chassis beyond nChassis",
       1,
       2,
       [](Project& p) { PutChassis(p, 0, 91, 3); },
       "Fehler: Chassis 4 nicht verwendbar, wenn nur 2 Chassis angewählt.",
       {-1, -1, -1, 0, -1, -1, -1, -1, -1}},
      {"two errors joined without a trailing break",
       2,
       2,
       [](Project& p) {
         PutChassis(p, 0, 91, 0);
         PutChassis(p, 1, 91, 0);
         PutChassis(p, 1, 93, 2);
       },
       "Fehler: Chassis 1 doppelt verwendet in Weiche 1 und 2.\r\n"
       "Fehler: Chassis 3 nicht verwendbar, wenn nur 2 Chassis angewählt.",
       {0, -1, 1, -1, -1, -1, -1, -1, -1}},
      {"chassis number 12",
       1,
       2,
       [](Project& p) { PutChassis(p, 0, 91, 12); },
       "Fehler in Chassiskontrolle",
       {-1, -1, -1, -1, -1, -1, -1, -1, -1}},
      {"no chassis line chosen (-1)",
       1,
       2,
       [](Project& p) { PutChassis(p, 0, 91, -1); },
       "Fehler in Chassiskontrolle",
       {-1, -1, -1, -1, -1, -1, -1, -1, -1}},
      {"a bad number stops the whole scan",
       2,
       2,
       [](Project& p) {
         PutChassis(p, 0, 91, 12);
         PutChassis(p, 0, 93, 0);  // later slot of the same crossover
         PutChassis(p, 1, 91, 1);  // later crossover
       },
       "Fehler in Chassiskontrolle",
       {-1, -1, -1, -1, -1, -1, -1, -1, -1}},
      {"a bad number after a duplicate adds no line of its own",
       2,
       2,
       [](Project& p) {
         PutChassis(p, 0, 91, 0);
         PutChassis(p, 0, 93, 0);
         PutChassis(p, 1, 91, 9);
       },
       "Fehler: Chassis 1 doppelt verwendet in Weiche 1 und 1.",
       {0, -1, -1, -1, -1, -1, -1, -1, -1}},
      {"crossovers at or above nAmps are not looked at",
       1,
       2,
       [](Project& p) {
         PutChassis(p, 0, 91, 0);
         PutChassis(p, 1, 91, 0);
         PutChassis(p, 1, 93, 12);
       },
       "OK",
       {0, -1, -1, -1, -1, -1, -1, -1, -1}},
      {"slots 186.. are not part of the crossover",
       1,
       2,
       [](Project& p) { PutChassis(p, 0, 190, 0); },
       "OK",
       {-1, -1, -1, -1, -1, -1, -1, -1, -1}},
  };
  auto p = MakeNewProject();
  auto r = std::make_unique<CalcResult>();
  for (const CheckCase& c : cases) {
    NewProject(*p);
    p->ampCount = static_cast<std::int16_t>(c.ampCount);
    p->chassisCount = static_cast<std::int16_t>(c.chassisCount);
    c.build(*p);
    r->ampOfChassis.fill(7);  // stale values from an earlier run
    EXPECT_EQ(CheckItem(*p, *r), c.state) << c.name;
    for (int n = 0; n < 9; ++n) EXPECT_EQ(r->ampOfChassis[n], c.ampOfChassis[n]) << c.name << " chassis " << n;
  }
}

CalcStates AllOk() {
  CalcStates s;
  s.states.fill("OK");
  return s;
}

// Sd and xlin of a chassis not below their smallest plausible values (the
// bound included); a value below, or not a number, is named with its unit.
TEST(CheckChassisValues, NamesEveryValueBelowItsSmallestPlausibleValue) {
  Chassis c = DefaultChassis();
  c.Sd = 0.0133;
  c.xlin = 0.004;
  EXPECT_EQ(CheckChassisValues(c), "OK");
  c.Sd = kMinSd;
  c.xlin = kMinXlin;
  EXPECT_EQ(CheckChassisValues(c), "OK");
  c.Sd = 1e-300;
  c.xlin = 0.004;
  EXPECT_EQ(CheckChassisValues(c), "Sd (Amem) = 1E-300 m² liegt unter dem kleinsten plausiblen Wert 1E-5 m². ");
  c.Sd = 0;
  c.xlin = std::nan("");
  EXPECT_EQ(CheckChassisValues(c),
            "Sd (Amem) = 0 m² liegt unter dem kleinsten plausiblen Wert 1E-5 m². "
            "xlin = nan m liegt unter dem kleinsten plausiblen Wert 1E-5 m. ");
  // Values not above 0 left to a message that asks for that already.
  c.xlin = -1;
  EXPECT_EQ(CheckChassisValues(c, true), "OK");
  c.xlin = 0.9e-5;
  EXPECT_EQ(CheckChassisValues(c, true), "xlin = 9E-6 m liegt unter dem kleinsten plausiblen Wert 1E-5 m. ");
}

TEST(StatusReport, SuccessShowsOneLine) {
  const CalcReport rep = StatusReport(AllOk(), 2, 3);
  EXPECT_EQ(rep.errors, 0);
  EXPECT_FALSE(rep.failed);
  EXPECT_EQ(rep.text, "Berechnung war erfolgreich.");
  EXPECT_EQ(rep.lines, std::vector<std::string>{"Berechnung war erfolgreich."});
}

TEST(StatusReport, ErrorsInVisitingOrderAndOnlyItemsInUse) {
  CalcStates s = AllOk();
  s.WholeBox() = "Fehler: Gesamtbox kann nicht berechnet werden.";
  s.Chassis(1) = "Fehler: Chassis 2: kaputt";
  s.Crossover(0) = "Fehler: Weiche an Verstärker 1 kann nicht berechnet werden.";
  s.Check() = "Zeile eins\r\nZeile zwei";
  s.ActiveFilter(1) = "Fehler: Aktives Filter an Verstärker 2: Pegelangabe fehlerhaft.";
  s.Crossover(2) = "beyond nAmps";  // not in use: neither counted nor shown
  s.Baffle(2) = "beyond nChassis";  // the same
  const CalcReport rep = StatusReport(s, 2, 2);
  EXPECT_EQ(rep.errors, 5);
  EXPECT_TRUE(rep.failed);
  EXPECT_EQ(rep.text, "Berechnung fehlerhaft. Klick hier für Fehlerliste");
  const std::vector<std::string> expected = {
      "Zeile eins",
      "Zeile zwei",
      "Fehler: Weiche an Verstärker 1 kann nicht berechnet werden.",
      "Fehler: Aktives Filter an Verstärker 2: Pegelangabe fehlerhaft.",
      "Fehler: Chassis 2: kaputt",
      "Fehler: Gesamtbox kann nicht berechnet werden.",
  };
  EXPECT_EQ(rep.lines, expected);
}

TEST(StatusReport, CheckMessagesRoundTripIntoLines) {
  auto p = MakeNewProject();
  auto r = std::make_unique<CalcResult>();
  p->ampCount = 2;
  p->chassisCount = 2;
  PutChassis(*p, 0, 91, 0);
  PutChassis(*p, 1, 91, 0);
  PutChassis(*p, 1, 93, 2);
  CalcStates s = AllOk();
  s.Check() = CheckItem(*p, *r);
  const CalcReport rep = StatusReport(s, 2, 2);
  EXPECT_EQ(rep.errors, 1);
  ASSERT_EQ(rep.lines.size(), 2u);
  EXPECT_EQ(rep.lines[1], "Fehler: Chassis 3 nicht verwendbar, wenn nur 2 Chassis angewählt.");
}

}  // namespace
}  // namespace sonvex
