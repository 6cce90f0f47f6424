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
using PageLines = std::vector<ResultLines>;

// What a number that is not finite is written as ("Resonanz" holds "nan"
// too, so the word must not follow a letter).
bool ShowsNanOrInf(const std::string& line) {
  if (line.find("+inf") != std::string::npos || line.find("-inf") != std::string::npos) return true;
  for (std::size_t at = line.find("nan"); at != std::string::npos; at = line.find("nan", at + 1))
    if (at == 0 || !std::isalpha(static_cast<unsigned char>(line[at - 1]))) return true;
  return false;
}

bool Contains(const PageLines& lists, const std::string& line) {
  return std::any_of(lists.begin(), lists.end(),
                     [&](const ResultLines& l) { return std::find(l.begin(), l.end(), line) != l.end(); });
}

template <typename Page>
using TextField = std::string Page::*;

// Each text field of a page set, one at a time, to each extreme text; no
// line of the page may show a value that is not a number.
template <typename Page>
void SweepFields(const std::vector<TextField<Page>>& fields, const std::function<PageLines(const Page&)>& lines,
                 const std::function<void(Page&)>& prepare = {}) {
  for (const char* text : {"1e300", "-1e300", "1e-300", "-1e-300", "1e-310", "1e999", "0", "abc"}) {
    for (std::size_t f = 0; f < fields.size(); ++f) {
      Page page;
      if (prepare) prepare(page);
      page.*fields[f] = text;
      for (const ResultLines& list : lines(page))
        for (const std::string& line : list)
          EXPECT_FALSE(ShowsNanOrInf(line)) << "field " << f << " = " << text << ": " << line;
    }
  }
}

TEST(ExtremeInputs, ResultsThatAreNotFiniteReadNichtSinnvoll) {
  const ResultLines portMakesNoSense{"Sonvex kann die Abstimmung nicht berechnen, da die",
                                     "Maße des Kanals geometrisch nicht sinnvoll erscheinen."};
  // A port mouth of 1e-300 cm: the wall corrections take the whole perimeter.
  PortPage thinPort;
  thinPort.portWidth = "1e-300";
  const ResultLines thin = PortLines(PortInputFromPage(thinPort));
  ASSERT_EQ(thin.size(), 5u);  // the three volumes, then no tuning
  EXPECT_EQ(thin[2], "Errechnetes akustisches Volumen: 50 Liter");
  EXPECT_EQ(ResultLines(thin.begin() + 3, thin.end()), portMakesNoSense);
  // A box of 1e300 cm each way has no volume that can be written.
  PortPage hugeBox;
  hugeBox.explicitVolume = false;
  hugeBox.boxWidth = hugeBox.boxHeight = hugeBox.boxDepth = "1e300";
  EXPECT_EQ(PortLines(PortInputFromPage(hugeBox)), portMakesNoSense);

  DividerPage divider;
  divider.r1 = "1e300";  // 1 − R1/(R1 + P) is 0: no level in dB
  EXPECT_EQ(DividerPageLines(divider), (ResultLines{"Pegelabsenkung: nicht sinnvoll", "Anschlußimpedanz: 1E300 Ohm"}));

  ZobelPage zobel;
  zobel.rdc = "1e-300";  // Le/Rdc² overflows
  EXPECT_EQ(ZobelPageLines(zobel).inductance, (ResultLines{"R = +0,0 Ohm", "C = nicht sinnvoll"}));

  BoxPage box;
  box.qts = "1e-300";  // Qts^-1.41 overflows
  const BoxPageResult r = BoxPageLines(box);
  EXPECT_TRUE(Contains({r.closed}, "Resonanzfrequenz des eingebauten Chassis: nicht sinnvoll")) << r.closed[1];
  EXPECT_TRUE(Contains({r.vented}, "Grenzfrequenz: nicht sinnvoll"));

  CrossoverPage crossover;
  crossover.crossoverFreq = "1e-300";
  crossover.wooferImpedance = "1e300";  // RL/ω overflows
  EXPECT_EQ(CrossoverPageLines(crossover).lowPass[0], (ResultLines{"Butterworth:", "L = nicht sinnvoll"}));
  EXPECT_EQ(CrossoverPageLines(crossover).lowPass[3][1], "L1 = nicht sinnvoll; L2 = nicht sinnvoll");

  // Qes and Qms whose product overflows leave the derived Qts empty.
  EXPECT_EQ(QtsFromQesQmsText(1e300, 1e300), "");
}

TEST(ExtremeInputs, NoFieldOfAnyPageMakesAResultReadNanOrInf) {
  SweepFields<BoxPage>(
      {&BoxPage::fs, &BoxPage::qts, &BoxPage::vas, &BoxPage::rdc, &BoxPage::rv, &BoxPage::desiredQtc,
       &BoxPage::altVolume},
      [](const BoxPage& p) {
        const BoxPageResult r = BoxPageLines(p);
        return PageLines{r.closed, r.vented, AltVolumePageLines(p)};
      },
      [](BoxPage& p) {
        p.useRv = true;
        p.altVolume = "40";
      });
  const std::vector<TextField<PortPage>> portFields{
      &PortPage::boxVolume,        &PortPage::boxWidth,      &PortPage::boxHeight,    &PortPage::boxDepth,
      &PortPage::portHeight,       &PortPage::portWidth,     &PortPage::portDiameter, &PortPage::portLength,
      &PortPage::rearWallDistance, &PortPage::floorDistance, &PortPage::topDistance,  &PortPage::leftWallDistance,
      &PortPage::rightWallDistance};
  const auto port = [](const PortPage& p) { return PageLines{PortLines(PortInputFromPage(p))}; };
  SweepFields<PortPage>(portFields, port);
  SweepFields<PortPage>(portFields, port, [](PortPage& p) {
    p.explicitVolume = false;
    p.rectangular = false;
    p.tubes = 4;
  });
  SweepFields<CrossoverPage>(
      {&CrossoverPage::crossoverFreq, &CrossoverPage::wooferImpedance, &CrossoverPage::tweeterImpedance},
      [](const CrossoverPage& p) {
        const StandardCrossoverLines x = CrossoverPageLines(p);
        PageLines all(x.lowPass.begin(), x.lowPass.end());
        all.insert(all.end(), x.highPass.begin(), x.highPass.end());
        return all;
      });
  for (const bool anyImpedance : {true, false})
    SweepFields<DividerPage>(
        {&DividerPage::desiredAttenuation, &DividerPage::inputImpedance, &DividerPage::loadImpedance, &DividerPage::r1,
         &DividerPage::r2, &DividerPage::rl},
        [](const DividerPage& p) {
          return PageLines{AttenuatorPageLines(p), DividerPageLines(p)};
        },
        [anyImpedance](DividerPage& p) { p.impedanceDoesNotMatter = anyImpedance; });
  SweepFields<ZobelPage>({&ZobelPage::rdc, &ZobelPage::fc, &ZobelPage::qes, &ZobelPage::qms, &ZobelPage::le},
                         [](const ZobelPage& p) {
                           const ImpedanceCorrectionLines z = ZobelPageLines(p);
                           return PageLines{z.resonance, z.inductance, z.both};
                         });
}

}  // namespace
}  // namespace sonvex
