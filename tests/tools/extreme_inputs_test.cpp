// Extreme but readable inputs on every calculator page: a result that
// overflows or is not a number reads "nicht sinnvoll", never "nan" or "inf".
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <string>
#include <vector>

#include "tools/box_design.h"
#include "tools/crossover_design.h"

namespace sonvex {
namespace {

// Every list a page shows, one after the other.
using TPageLines = std::vector<TResultLines>;

// What a number that is not finite is written as ("Resonanz" holds "nan"
// too, so the word must not follow a letter).
bool ShowsNanOrInf(const std::string& line) {
  if (line.find("+inf") != std::string::npos || line.find("-inf") != std::string::npos) return true;
  for (std::size_t at = line.find("nan"); at != std::string::npos; at = line.find("nan", at + 1))
    if (at == 0 || !std::isalpha(static_cast<unsigned char>(line[at - 1]))) return true;
  return false;
}

bool Contains(const TPageLines& lists, const std::string& line) {
  return std::any_of(lists.begin(), lists.end(),
                     [&](const TResultLines& l) { return std::find(l.begin(), l.end(), line) != l.end(); });
}

template <typename TPage>
using TField = std::string TPage::*;

// Each text field of a page set, one at a time, to each extreme text; no
// line of the page may show a value that is not a number.
template <typename TPage>
void SweepFields(const std::vector<TField<TPage>>& fields, const std::function<TPageLines(const TPage&)>& lines,
                 const std::function<void(TPage&)>& prepare = {}) {
  for (const char* text : {"1e300", "-1e300", "1e-300", "-1e-300", "1e-310", "1e999", "0", "abc"}) {
    for (std::size_t f = 0; f < fields.size(); ++f) {
      TPage page;
      if (prepare) prepare(page);
      page.*fields[f] = text;
      for (const TResultLines& list : lines(page))
        for (const std::string& line : list)
          EXPECT_FALSE(ShowsNanOrInf(line)) << "field " << f << " = " << text << ": " << line;
    }
  }
}

TEST(ExtremeInputs, ResultsThatAreNotFiniteReadNichtSinnvoll) {
  const TResultLines portMakesNoSense{"Sonvex kann die Abstimmung nicht berechnen, da die",
                                      "Maße des Kanals geometrisch nicht sinnvoll erscheinen."};
  // A port mouth of 1e-300 cm: the wall corrections take the whole perimeter.
  TPortPage thinPort;
  thinPort.e = "1e-300";
  const TResultLines thin = PortLines(PortInputFromPage(thinPort));
  ASSERT_EQ(thin.size(), 5u);  // the three volumes, then no tuning
  EXPECT_EQ(thin[2], "Errechnetes akustisches Volumen: 50 Liter");
  EXPECT_EQ(TResultLines(thin.begin() + 3, thin.end()), portMakesNoSense);
  // A box of 1e300 cm each way has no volume that can be written.
  TPortPage hugeBox;
  hugeBox.explicitVolume = false;
  hugeBox.b = hugeBox.h = hugeBox.t = "1e300";
  EXPECT_EQ(PortLines(PortInputFromPage(hugeBox)), portMakesNoSense);

  TDividerPage divider;
  divider.r1 = "1e300";  // 1 − R1/(R1 + P) is 0: no level in dB
  EXPECT_EQ(DividerPageLines(divider), (TResultLines{"Pegelabsenkung: nicht sinnvoll", "Anschlußimpedanz: 1E300 Ohm"}));

  TZobelPage zobel;
  zobel.rdc = "1e-300";  // Le/Rdc² overflows
  EXPECT_EQ(ZobelPageLines(zobel).inductance, (TResultLines{"R = +0,0 Ohm", "C = nicht sinnvoll"}));

  TBoxPage box;
  box.qts = "1e-300";  // Qts^-1.41 overflows
  const TBoxPageResult r = BoxPageLines(box);
  EXPECT_TRUE(Contains({r.closed}, "Resonanzfrequenz des eingebauten Chassis: nicht sinnvoll")) << r.closed[1];
  EXPECT_TRUE(Contains({r.vented}, "Grenzfrequenz: nicht sinnvoll"));

  TCrossoverPage crossover;
  crossover.tf = "1e-300";
  crossover.itt = "1e300";  // RL/ω overflows
  EXPECT_EQ(CrossoverPageLines(crossover).lowPass[0], (TResultLines{"Butterworth:", "L = nicht sinnvoll"}));
  EXPECT_EQ(CrossoverPageLines(crossover).lowPass[3][1], "L1 = nicht sinnvoll; L2 = nicht sinnvoll");

  // Qes and Qms whose product overflows leave the derived Qts empty.
  EXPECT_EQ(QtsFromQesQmsText(1e300, 1e300), "");
}

TEST(ExtremeInputs, NoFieldOfAnyPageMakesAResultReadNanOrInf) {
  SweepFields<TBoxPage>(
      {&TBoxPage::fs, &TBoxPage::qts, &TBoxPage::vas, &TBoxPage::rdc, &TBoxPage::rv, &TBoxPage::qtcWunsch,
       &TBoxPage::altVab},
      [](const TBoxPage& p) {
        const TBoxPageResult r = BoxPageLines(p);
        return TPageLines{r.closed, r.vented, AltVolumePageLines(p)};
      },
      [](TBoxPage& p) {
        p.useRv = true;
        p.altVab = "40";
      });
  const std::vector<TField<TPortPage>> portFields{
      &TPortPage::vb0, &TPortPage::b, &TPortPage::h, &TPortPage::t, &TPortPage::c, &TPortPage::e, &TPortPage::d,
      &TPortPage::l,   &TPortPage::g, &TPortPage::f, &TPortPage::k, &TPortPage::i, &TPortPage::j};
  const auto port = [](const TPortPage& p) { return TPageLines{PortLines(PortInputFromPage(p))}; };
  SweepFields<TPortPage>(portFields, port);
  SweepFields<TPortPage>(portFields, port, [](TPortPage& p) {
    p.explicitVolume = false;
    p.rectangular = false;
    p.tubes = 4;
  });
  SweepFields<TCrossoverPage>({&TCrossoverPage::tf, &TCrossoverPage::itt, &TCrossoverPage::iht},
                              [](const TCrossoverPage& p) {
                                const TStandardCrossovers x = CrossoverPageLines(p);
                                TPageLines all(x.lowPass.begin(), x.lowPass.end());
                                all.insert(all.end(), x.highPass.begin(), x.highPass.end());
                                return all;
                              });
  for (const bool zeEgal : {true, false})
    SweepFields<TDividerPage>(
        {&TDividerPage::dbWunsch, &TDividerPage::ze, &TDividerPage::za, &TDividerPage::r1, &TDividerPage::r2,
         &TDividerPage::rl},
        [](const TDividerPage& p) {
          return TPageLines{AttenuatorPageLines(p), DividerPageLines(p)};
        },
        [zeEgal](TDividerPage& p) { p.zeEgal = zeEgal; });
  SweepFields<TZobelPage>({&TZobelPage::rdc, &TZobelPage::fc, &TZobelPage::qes, &TZobelPage::qms, &TZobelPage::le},
                          [](const TZobelPage& p) {
                            const TImpedanceCorrection z = ZobelPageLines(p);
                            return TPageLines{z.resonance, z.inductance, z.both};
                          });
}

}  // namespace
}  // namespace sonvex
