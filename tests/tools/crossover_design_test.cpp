// Standard crossovers, the attenuator with its suggestions, the divider and
// the impedance correction networks, against values worked out by hand.
#include "tools/crossover_design.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "tools/design_lines.h"

namespace sonvex {
namespace {

using testing::ExpectLines;

TEST(StandardCrossovers, AllOrdersAt1kHzAnd8Ohm) {
  // ω = 2π·1000; RL/ω = 1.27324 mH, 1/(RL·ω) = 19.8944 µF
  const StandardCrossoverLines x = StandardCrossovers(1000, 8, 8);
  ExpectLines(x.lowPass[0], {{"Butterworth:", {}}, {"L = # mH", {1.27324}}});
  ExpectLines(x.highPass[0], {{"Butterworth:", {}}, {"C = # µF", {19.8944}}});
  ExpectLines(x.lowPass[1], {{"Butterworth (Q=#):", {0.707}},
                             {"L1 = # mH", {1.80063}},
                             {"C1 = # µF", {14.0674}},
                             {"Linkwitz (Q=#):", {0.5}},
                             {"L1 = # mH", {2.54648}},
                             {"C1 = # µF", {9.94718}}});
  ExpectLines(x.highPass[1], {{"Butterworth (Q=#):", {0.707}},
                              {"L2 = # mH", {1.80063}},
                              {"C2 = # µF", {14.0674}},
                              {"Linkwitz (Q=#):", {0.5}},
                              {"L2 = # mH", {2.54648}},
                              {"C2 = # µF", {9.94718}}});
  ExpectLines(x.lowPass[2],
              {{"Butterworth:", {}}, {"L1 = # mH", {1.90986}}, {"L2 = # mH", {0.63662}}, {"C1 = # µF", {26.5258}}});
  ExpectLines(x.highPass[2],
              {{"Butterworth:", {}}, {"L3 = # mH", {0.95493}}, {"C2 = # µF", {13.2629}}, {"C3 = # µF", {39.7887}}});
  ExpectLines(x.lowPass[3], {{"Butterworth:", {}},
                             {"L1 = # mH; L2 = # mH", {1.9488, 1.3784}},
                             {"C1 = # µF; C2 = # µF", {31.375, 7.6125}},
                             {"Linkwitz-Riley:", {}},
                             {"L1 = # mH; L2 = # mH", {2.40082, 1.20042}},
                             {"C1 = # µF; C2 = # µF", {31.6519, 7.03365}}});
  ExpectLines(x.highPass[3], {{"Butterworth:", {}},
                              {"L3 = # mH; L4 = # mH", {0.8072, 3.3272}},
                              {"C3 = # µF; C4 = # µF", {13.0, 18.375}},
                              {"Linkwitz-Riley:", {}},
                              {"L3 = # mH; L4 = # mH", {0.80028, 3.60130}},
                              {"C3 = # µF; C4 = # µF", {10.5507, 21.1011}}});
  EXPECT_EQ(x.lowPass[0][1], "L = 1,273 mH");
  EXPECT_EQ(x.highPass[0][1], "C = 19,89 µF");
}

TEST(StandardCrossovers, LowPassUsesTheWooferAndHighPassTheTweeterImpedance) {
  // RL = 4 Ohm halves the coils and doubles the capacitors of the low-pass only.
  const StandardCrossoverLines x = StandardCrossovers(1000, 4, 8);
  ExpectLines(x.lowPass[0], {{"Butterworth:", {}}, {"L = # mH", {0.63662}}});
  ExpectLines(x.highPass[0], {{"Butterworth:", {}}, {"C = # µF", {19.8944}}});
  ExpectLines({x.lowPass[2][3]}, {{"C1 = # µF", {53.0516}}});
}

TEST(StandardCrossovers, NothingWithoutFrequencyOrImpedance) {
  for (const auto& in :
       {std::array<double, 3>{0, 8, 8}, {1000, 0, 8}, {1000, 8, 0}, {-1000, 8, 8}, {-1000, -8, 8}, {1000, -8, -8}}) {
    const StandardCrossoverLines x = StandardCrossovers(in[0], in[1], in[2]);
    for (int order = 0; order < 4; ++order) {
      EXPECT_TRUE(x.lowPass[static_cast<std::size_t>(order)].empty());
      EXPECT_TRUE(x.highPass[static_cast<std::size_t>(order)].empty());
    }
  }
}

// ---------------------------------------------------------------- attenuator

std::string Suggestion(const std::string& r1, const std::string& r2, const std::string& a, const std::string& zin) {
  return "R1 = " + r1 + "R2 = " + r2 + "ergibt " + a + " dB Absenkung bei Anschlussimpedanz von " + zin + " Ohm.";
}

TEST(Attenuator, Minus3dBExactValues) {
  // d = 10^(-3/20) = 0.70795; R1 = 8·(1 - d) = 2.3364; R2 = 1/(1/(8·d) - 1/8) = 19.392
  const ResultLines lines = AttenuatorLines("-3 dB", 8, 8, true);
  ASSERT_GE(lines.size(), 6u);
  EXPECT_EQ(lines[0], "dBWunsch = -3 dB");
  EXPECT_EQ(lines[1], "Exakte Werte nach Vorgabe:");
  ExpectLines({lines[2], lines[3]}, {{"R1 = # Ohm", {2.33643}}, {"R2 = # Ohm", {19.3922}}});
  EXPECT_EQ(lines[4], "");
  EXPECT_EQ(lines[5], "Vorschläge bei Einsatz gängiger Widerstände:");
}

TEST(Attenuator, SuggestionsWhenTheInputImpedanceDoesNotMatter) {
  // Two pairs within 0.05 dB at step 0, two more at step 1 (0.1 dB), and at
  // step 4 (0.25 dB) the fifth and sixth: the step that reaches five adds all.
  const ResultLines lines = AttenuatorLines("-3 dB", 8, 8, true);
  const ResultLines suggestions(lines.begin() + 6, lines.end());
  ExpectLines(
      suggestions,
      {
          {"R1 = # Ohm; R2 = # Ohm ergibt # dB Absenkung bei Anschlussimpedanz von # Ohm.", {1.5, 6.8, -2.973, 5.176}},
          {"R1 = # Ohm; R2 = offen lassen ergibt # dB Absenkung bei Anschlussimpedanz von # Ohm.", {3.3, -3.0, 11.3}},
          {"R1 = # Ohm; R2 = # Ohm ergibt # dB Absenkung bei Anschlussimpedanz von # Ohm.", {1, 3.3, -3.095, 3.336}},
          {"R1 = # Ohm; R2 = # Ohm ergibt # dB Absenkung bei Anschlussimpedanz von # Ohm.", {2.2, 15, -3.056, 7.417}},
          {"R1 = # Ohm; R2 = # Ohm ergibt # dB Absenkung bei Anschlussimpedanz von # Ohm.", {2.2, 22, -2.766, 8.067}},
          {"R1 = # Ohm; R2 = # Ohm ergibt # dB Absenkung bei Anschlussimpedanz von # Ohm.", {3.3, 100, -3.2, 10.707}},
      });
  EXPECT_EQ(suggestions[0], Suggestion("1,5 Ohm; ", "6,8 Ohm ", "-2,97", "5,176"));
  EXPECT_EQ(suggestions[1], Suggestion("3,3 Ohm; ", "offen lassen ", "-3", "11,3"));
}

TEST(Attenuator, SuggestionsNearTheDesiredInputImpedance) {
  // With ZE = 8 Ohm nothing fits before step 4 (8·0.96 < Zin < 8·1.08, 0.25 dB);
  // steps 8 and 11 bring the rest, and a pair is never listed twice.
  const ResultLines lines = AttenuatorLines("-3 dB", 8, 8, false);
  const ResultLines suggestions(lines.begin() + 6, lines.end());
  const std::string form = "R1 = # Ohm; R2 = # Ohm ergibt # dB Absenkung bei Anschlussimpedanz von # Ohm.";
  ExpectLines(suggestions, {{form, {2.2, 22, -2.766, 8.067}},
                            {form, {2.2, 15, -3.056, 7.417}},
                            {form, {2.2, 33, -2.553, 8.639}},
                            {form, {2.2, 47, -2.423, 9.036}},
                            {form, {3.3, 33, -3.594, 9.739}}});
}

TEST(Attenuator, ExactValuesThatCannotBeBuilt) {
  // 1/(ZE·d) = 1/RL: R2 open.
  const double d = std::pow(10.0, -6.0 / 20.0);
  ResultLines lines = AttenuatorLines("-6 dB", 8, 8 * d, false);
  EXPECT_EQ(lines[3], "R2 = offen");
  // ZE = 16 Ohm on a 4 Ohm load at -3 dB: R1 = 16·(1 - 0.70795) = 4.6729,
  // R2 = 1/(1/11.327 - 1/4) = -6.1837, a resistor that does not exist.
  lines = AttenuatorLines("-3 dB", 16, 4, false);
  ExpectLines({lines[2], lines[3]}, {{"R1 = # Ohm", {4.67287}}, {"R2 = # Ohm", {-6.18366}}});
  EXPECT_EQ(lines[4], "Achtung: Anschlussimpedanz nicht realisierbar, daher R2<0!");
  // The warning is left out when the input impedance does not matter.
  lines = AttenuatorLines("-3 dB", 16, 4, true);
  EXPECT_EQ(lines[4], "");
}

TEST(Attenuator, AttenuationFromTheListTextAndMissingImpedances) {
  const auto& items = AttenuationItems();
  ASSERT_EQ(items.size(), 25u);
  EXPECT_EQ(items[kDefaultAttenuationItem], "-3 dB");
  EXPECT_EQ(AttenuatorLines(items[2], 0, 8, true), ResultLines{"dBWunsch = -1,5 dB"});  // "-1,5dB"
  EXPECT_EQ(AttenuatorLines(items[0], 8, 0, true), ResultLines{"dBWunsch = -0,5 dB"});
  EXPECT_EQ(AttenuatorLines("-12,25 dB", -1, 8, true), ResultLines{"dBWunsch = -12,25 dB"});
}

TEST(Divider, LevelAndInputImpedanceOfGivenResistors) {
  // P = 6.8 ∥ 8 = 3.6757; 20·log10(1 - 2.2/5.8757) = -4.0744 dB at 5.8757 Ohm
  EXPECT_EQ(DividerLines(2.2, 6.8, 8), (ResultLines{"Pegelabsenkung: -4,07 dB", "Anschlußimpedanz: 5,876 Ohm"}));
  EXPECT_TRUE(DividerLines(0, 6.8, 8).empty());
  EXPECT_TRUE(DividerLines(2.2, 0, 8).empty());
  EXPECT_TRUE(DividerLines(2.2, 6.8, -8).empty());
}

// ---------------------------------------------------------------- impedance correction

TEST(ImpedanceCorrection, NetworksForResonanceAndInductance) {
  // ω = 2π·66; R = 6.8·(1 + 0.4/2.8) = 7.7714; L = 0.4·6.8/ω = 6.5591 mH;
  // C = 1/(ω·0.4·6.8) = 886.56 µF; Le/Rdc² = 0.8 mH/46.24 = 17.301 µF; R2 = 6.8·0.4/2.8 = 0.97143
  const ImpedanceCorrectionLines z = ImpedanceCorrection(6.8, 66, 0.4, 2.8, 0.8e-3);
  ExpectLines(z.resonance, {{"R = # Ohm", {7.7714}}, {"L = # mH", {6.5591}}, {"C = # µF", {886.56}}});
  ExpectLines(z.inductance, {{"R = # Ohm", {6.8}}, {"C = # µF", {17.301}}});
  ExpectLines(z.both, {{"R1 = # Ohm", {6.8}},
                       {"R2 = # Ohm", {0.97143}},
                       {"L  = # mH", {6.5591}},
                       {"C1 = # µF", {17.301}},
                       {"C2 = # µF", {886.56}}});
}

TEST(ImpedanceCorrection, AMemoStaysEmptyWhenItsInputsAreMissing) {
  ImpedanceCorrectionLines z = ImpedanceCorrection(6.8, 66, 0.4, 2.8, 0);  // no inductance
  EXPECT_EQ(z.resonance.size(), 3u);
  EXPECT_TRUE(z.inductance.empty());
  EXPECT_TRUE(z.both.empty());
  z = ImpedanceCorrection(6.8, 0, 0.4, 2.8, 0.8e-3);  // no resonance
  EXPECT_TRUE(z.resonance.empty());
  EXPECT_EQ(z.inductance.size(), 2u);
  EXPECT_TRUE(z.both.empty());
  z = ImpedanceCorrection(0, 66, 0.4, 2.8, 0.8e-3);
  EXPECT_TRUE(z.resonance.empty() && z.inductance.empty() && z.both.empty());
}

TEST(DesignPages, InitialTextsGiveTheWorkedExamples) {
  EXPECT_EQ(CrossoverPageLines(CrossoverPage{}).lowPass[0][1], "L = 1,273 mH");
  const DividerPage divider;
  EXPECT_EQ(DividerPageLines(divider)[0], "Pegelabsenkung: -4,07 dB");
  EXPECT_EQ(AttenuatorPageLines(divider).size(), 12u);  // 6 lines, 6 suggestions
  ExpectLines(ZobelPageLines(ZobelPage{}).inductance, {{"R = # Ohm", {6.8}}, {"C = # µF", {17.301}}});
}

}  // namespace
}  // namespace sonvex
