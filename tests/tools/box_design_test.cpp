// Closed and vented box alignment and port tuning, against values worked out
// by hand from the alignment formulas.
#include "tools/box_design.h"

#include <gtest/gtest.h>

#include "tools/design_lines.h"

namespace sonvex {
namespace {

using testing::ExpectLines;

const ResultLines kIncomplete{"Daten unvollständig.", "Mindestens Qts, Vas und fs müssen eingegeben werden und",
                              "größer als 0 sein."};

TEST(ClosedBox, VolumeAndMountedResonanceFromTheDesiredQtc) {
  // r = 0.7/0.4 = 1.75, Vb = 80/(1.75² - 1) = 38.788 l, fc = 35·√(80/38.788 + 1) = 61.25 Hz
  const ResultLines lines = ClosedBoxLines(0.4, 35, 80, 0.7);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "Berechnetes Volumen: 38,788 Liter");
  EXPECT_EQ(lines[1], "Resonanzfrequenz des eingebauten Chassis: 61,25 Hz");
}

TEST(ClosedBox, SeriesResistanceRaisesQts) {
  // Q = 0.4·(6 + 1)/6 = 0.46667; r = 1.5; Vb = 80/1.25 = 64 l; fc = 35·√2.25 = 52.5 Hz
  const EffectiveQtsResult q = EffectiveQts(0.4, true, 6, 1);
  EXPECT_NEAR(q.q, 0.4666667, 1e-6);
  EXPECT_FALSE(q.clearRv);
  ExpectLines(ClosedBoxLines(q.q, 35, 80, 0.7),
              {{"Berechnetes Volumen: # Liter", {64}}, {"Resonanzfrequenz des eingebauten Chassis: # Hz", {52.5}}});
  // Without Rdc the resistance cannot be taken into account.
  const EffectiveQtsResult noRdc = EffectiveQts(0.4, true, 0, 1);
  EXPECT_EQ(noRdc.q, 0.4);
  EXPECT_TRUE(noRdc.clearRv);
  EXPECT_EQ(EffectiveQts(0.4, false, 6, 1).q, 0.4);
}

TEST(ClosedBox, NoAlignmentWhenQtsIsNotBelowTheDesiredQtc) {
  for (double qtc : {0.4, 0.3})
    EXPECT_EQ(ClosedBoxLines(0.4, 35, 80, qtc), ResultLines{"Auslegung nicht möglich, da Qts oder Rv zu hoch."});
}

TEST(BoxDesign, MissingOrNonPositiveDataGiveTheThreeLines) {
  struct Case {
    double q, fs, vas;
  };
  for (const Case c : {Case{0, 35, 80}, Case{0.4, 0, 80}, Case{0.4, 35, 0}, Case{-0.4, 35, 80}}) {
    EXPECT_EQ(ClosedBoxLines(c.q, c.fs, c.vas, 0.7), kIncomplete);
    EXPECT_EQ(VentedBoxLines(c.q, c.fs, c.vas), kIncomplete);
    EXPECT_EQ(AltVolumeLines(c.q, c.fs, c.vas, 50), kIncomplete);
  }
}

TEST(VentedBox, HogeAlignment) {
  // Vb = 15.2·80·0.4^2.87 = 87.669 l; f3 = 0.26·35/0.4^1.41 = 33.124 Hz; fb = 0.42·35/0.4^0.9 = 33.532 Hz
  const ResultLines lines = VentedBoxLines(0.4, 35, 80);
  EXPECT_EQ(lines, (ResultLines{"Volumen: 87,669 Liter", "Grenzfrequenz: 33,12 Hz", "Abstimmfrequenz: 33,53 Hz"}));
}

TEST(VentedBox, AlternativeVolume) {
  // x = 80/50 = 1.6: f3 = 35·1.6^0.49 = 44.064, fb = 35·1.6^0.32 = 40.681,
  // ripple = 20·log10(1.6^0.3484·0.4·2.58) = 1.6959 dB
  ExpectLines(AltVolumeLines(0.4, 35, 80, 50),
              {{"Grenzfrequenz: # Hz", {44.064}}, {"Abstimmfrequenz: # Hz", {40.681}}, {"\"Ripple\": # dB", {1.6959}}});
  EXPECT_EQ(AltVolumeLines(0.4, 35, 80, 0), ResultLines{"Alternatives Volumen muss größer als 0 sein."});
}

TEST(BoxPage, ReadsItsInitialTextsAndComputesBothAlignments) {
  const BoxPage page;
  const BoxPageResult r = BoxPageLines(page);
  EXPECT_EQ(r.closed[0], "Berechnetes Volumen: 38,788 Liter");
  EXPECT_EQ(r.vented[0], "Volumen: 87,669 Liter");
  EXPECT_FALSE(r.clearRv);
  // The empty alternative volume counts as 0.
  EXPECT_EQ(AltVolumePageLines(page), ResultLines{"Alternatives Volumen muss größer als 0 sein."});
}

TEST(BoxPage, QtsFromQesAndQms) {
  EXPECT_EQ(QtsFromQesQmsText(0.5, 2), "0,4");  // 1/(1/0.5 + 1/2)
  EXPECT_EQ(QtsFromQesQmsText(0.45, 3.2), "0,395");
  EXPECT_EQ(QtsFromQesQmsText(0, 2), "");
  EXPECT_EQ(QtsFromQesQmsText(-0.5, 2), "");
}

// ---------------------------------------------------------------- port

PortInput DefaultPort() { return PortInputFromPage(PortPage{}); }

TEST(Port, InitialPageTunesTo47Hz) {
  // 50 l, rectangular 8 x 20 cm, 15 cm long, 10 cm from the back wall, on the
  // floor, against the left and right wall, 90 cm below the top.
  // Vn = 50 - 8·20·15·(1 - 2/π)/1000 = 49.128 l; t = 1.228·160/560 cm = 3.509 cm;
  // floor, left and right are closer than t: Ue = 56 - 20 - 8 - 8 = 20 cm,
  // t = 9.824 cm; fb0 = √(K·S/((1.7·S/U + l + t)·Va)) = 57.35 Hz;
  // J = (0.9² + 0.1²)/(0.9 + 0.1) = 0.82 m; fb = 1/(1/fb0 + 1.5·J/344) = 47.59 Hz
  ExpectLines(PortLines(DefaultPort()),
              {{"Nettovolumen incl. Kanal: # Liter", {50}},
               {"Errechnetes geometrisches Volumen: # Liter (abzügl. anteiligem Kanalvolumen)", {49.128}},
               {"Errechnetes akustisches Volumen: # Liter", {49.128}},
               {"fb = # Hz", {47.591}}});
}

TEST(Port, VolumeFromTheInnerMeasuresAndDamping) {
  // 20·98·23 cm = 45.08 l; Vn = 44.208 l; damping 2: Va = Vn·(1 + 0.075 + 0.025) = 48.629 l
  PortPage page;
  page.explicitVolume = false;
  page.damping = 2;
  ExpectLines(PortLines(PortInputFromPage(page)),
              {{"Nettovolumen incl. Kanal: # Liter", {45.08}},
               {"Errechnetes geometrisches Volumen: # Liter (abzügl. anteiligem Kanalvolumen)", {44.208}},
               {"Errechnetes akustisches Volumen: # Liter", {48.629}},
               {"fb = # Hz", {47.793}}});
}

TEST(Port, InnerEndCloseToTheBackWallLengthensTheEndCorrection) {
  // g = 5 cm < t = 9.824 cm: t becomes 9.824·(1 + 0.5·4.824/9.824) = 12.236 cm,
  // fb0 = 55.153 Hz, J = (0.81 + 0.0025)/0.95, and the tuning drops to 45.744 Hz.
  PortPage page;
  page.rearWallDistance = "5";
  const ResultLines lines = PortLines(PortInputFromPage(page));
  ASSERT_EQ(lines.size(), 4u);
  ExpectLines({lines.back()}, {{"fb = # Hz", {45.744}}});
}

TEST(Port, TwoRoundTubesNearTheBackWall) {
  // two tubes of 7 cm, g = 5 cm < D: fb0 mixes f1 and the back-wall limit f3;
  // Vn counts one tube only: 50 - 7²·π/4·15·(1 - 2/π)/1000 = 49.790 l; damping 4: Va = 1.25·Vn
  PortPage page;
  page.rectangular = false;
  page.tubes = 2;
  page.rearWallDistance = "5";
  page.leftWallDistance = "10";
  page.damping = 4;
  ExpectLines(PortLines(PortInputFromPage(page)),
              {{"Nettovolumen incl. Kanal: # Liter", {50}},
               {"Errechnetes geometrisches Volumen: # Liter (abzügl. anteiligem Kanalvolumen)", {49.790}},
               {"Errechnetes akustisches Volumen: # Liter", {62.238}},
               {"fb = # Hz", {35.789}}});
}

TEST(Port, NoOutputWithoutVolume) {
  PortPage page;
  page.boxVolume = "0";
  EXPECT_TRUE(PortLines(PortInputFromPage(page)).empty());
  page.explicitVolume = false;
  page.boxWidth = "";
  EXPECT_TRUE(PortLines(PortInputFromPage(page)).empty());
}

// The checks keep the three volume lines and add their own lines; every
// failing check adds its lines.
ResultLines Checks(const PortPage& page) {
  ResultLines lines = PortLines(PortInputFromPage(page));
  EXPECT_GE(lines.size(), 3u);
  lines.erase(lines.begin(), lines.begin() + 3);
  return lines;
}

const std::string kCannot = "Sonvex kann die Abstimmung nicht berechnen, da der";

TEST(PortChecks, RefusedGeometries) {
  {  // port larger than the box: 8·20·400 cm = 64 l > 50 l
    PortPage page;
    page.portLength = "400";
    EXPECT_EQ(Checks(page), (ResultLines{kCannot, "Kanal größer ist als das angegebene Volumen incl. Kanal."}));
  }
  {  // rectangular: g·U < S (0.2 cm · 56 cm < 160 cm²)
    PortPage page;
    page.rearWallDistance = "0,2";
    EXPECT_EQ(Checks(page), (ResultLines{kCannot, "Abstand des Kanals zur Rückwand zu klein ist."}));
  }
  {  // round: D/3 > g
    PortPage page;
    page.rectangular = false;
    page.rearWallDistance = "2";
    EXPECT_EQ(Checks(page), (ResultLines{kCannot, "Abstand des Rohrs zur Rückwand zu klein ist."}));
  }
  {  // a negative wall distance
    PortPage page;
    page.rightWallDistance = "-1";
    EXPECT_EQ(Checks(page), (ResultLines{kCannot, "Abstand des Kanals zu einer Wand (Maße i, j, k, f) nicht",
                                         "kleiner als 0 sein kann."}));
  }
  {  // all four wall distances 0
    PortPage page;
    page.topDistance = "0";
    EXPECT_EQ(Checks(page), (ResultLines{kCannot, "Abstand des Kanals zu mindestens einer Wand ",
                                         "(Maße i, j, k, f) größer als 0 sein muss."}));
  }
  {  // two failures at once: both sets of lines
    PortPage page;
    page.portLength = "400";
    page.topDistance = "0";
    EXPECT_EQ(Checks(page), (ResultLines{kCannot, "Kanal größer ist als das angegebene Volumen incl. Kanal.", kCannot,
                                         "Abstand des Kanals zu mindestens einer Wand ",
                                         "(Maße i, j, k, f) größer als 0 sein muss."}));
  }
}

TEST(PortChecks, PortsWithoutSensibleMeasuresGetNoTuning) {
  const ResultLines nonsense{"Sonvex kann die Abstimmung nicht berechnen, da die",
                             "Maße des Kanals geometrisch nicht sinnvoll erscheinen."};
  PortPage rect;
  rect.portHeight = "0";
  EXPECT_EQ(Checks(rect), nonsense);  // S = 0

  // A round port of diameter 0 would divide by zero; it is refused the same way.
  PortPage round;
  round.rectangular = false;
  round.portDiameter = "0";
  EXPECT_EQ(Checks(round), nonsense);

  PortPage negativeLength;
  negativeLength.portLength = "-30";
  EXPECT_EQ(Checks(negativeLength), nonsense);
}

}  // namespace
}  // namespace sonvex
