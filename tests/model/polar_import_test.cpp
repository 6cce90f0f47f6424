// Polar sets: plane and angle from file names, the files' content, the
// checks a set of files must pass, and which directions a set covers.
#include "model/polar_import.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "files_test_util.h"
#include "model/my_ini_file.h"
#include "model/number_text.h"

namespace sonvex {
namespace {

using testing::HasSubstr;
using testing_files::ScratchDir;
using testing_files::WriteBytes;

constexpr auto H = PolarPlane::Horizontal;
constexpr auto V = PolarPlane::Vertical;

TEST(PolarFileName, PlaneAndSignedAngle) {
  struct Case {
    const char* name;
    std::optional<PolarAngle> want;
  };
  const std::vector<Case> cases = {
      {"woofer hor -30.frd", PolarAngle{H, -30}},
      {"30_H.txt", PolarAngle{H, 30}},
      {"tmm _V 60.frd", PolarAngle{V, 60}},
      {"H+15.frd", PolarAngle{H, 15}},
      {"V-150.txt", PolarAngle{V, -150}},
      {"Tieftöner hor 7,5.frd", PolarAngle{H, 7.5}},
      {"mid ver 7.5", PolarAngle{V, 7.5}},            // no extension: ".5" belongs to the angle
      {"SB17 hor 30.frd", PolarAngle{H, 30}},         // the number of the type is no angle
      {"driver vertical 90.frd", PolarAngle{V, 90}},  // "ver" inside "driver" is no marker
      {"mid_V_-45.frd", PolarAngle{V, -45}},
      {"-60_h.frd", PolarAngle{H, -60}},
      {"x-60_h.frd", PolarAngle{H, 60}},  // a "-" after a letter separates
      {"/mess/box 2/tt hor 180.frd", PolarAngle{H, 180}},
      {"woofer 30.frd", std::nullopt},  // no plane
      {"horn 30.frd", std::nullopt},    // "horn" is a word, not the marker
      {"hor.frd", std::nullopt},        // no angle
      {"driver.frd", std::nullopt},
  };
  for (const Case& c : cases) {
    const auto got = PolarAngleFromFileName(c.name);
    ASSERT_EQ(got.has_value(), c.want.has_value()) << c.name;
    if (!got) continue;
    EXPECT_EQ(got->plane, c.want->plane) << c.name;
    EXPECT_EQ(got->angle, c.want->angle) << c.name;
  }
}

TEST(PolarFile, ReadsLevelAndPhaseAsTheMeasurementImportDoes) {
  const PolarFile three = PolarFileFromText("t hor 30.frd", "* Kommentar\n100 90,5 -12.25\n200 91.25 -30\n");
  EXPECT_TRUE(three.error.empty());
  EXPECT_TRUE(three.named);
  EXPECT_EQ(three.response.plane, H);
  EXPECT_EQ(three.response.angle, 30);
  EXPECT_EQ(three.response.fileName, "t hor 30.frd");
  EXPECT_EQ(three.response.freq, (std::vector<double>{100, 200}));
  EXPECT_EQ(three.response.level, (std::vector<double>{90.5, 91.25}));
  EXPECT_EQ(three.response.phase, (std::vector<double>{-12.25, -30}));

  const PolarFile two = PolarFileFromText("t ver 30.frd", "100 90\n200 91\n");
  EXPECT_FALSE(two.response.HasPhase());

  // Many points are merged below 600; every value is one a file keeps.
  std::string text;
  for (int i = 0; i < 2000; ++i)
    text += FormatNumber(20.0 * std::pow(1000.0, i / 1999.0), 12) + " " + std::to_string(80 + i % 7) + ".123456789 " +
            std::to_string(i % 300 - 150) + ".987654321\n";
  const PolarFile many = PolarFileFromText("t hor 0.frd", text);
  ASSERT_TRUE(many.error.empty());
  EXPECT_LT(many.response.freq.size(), 600u);
  EXPECT_EQ(many.response.freq.size(), many.response.phase.size());
  for (double v : many.response.level) EXPECT_EQ(v, DoubleOrZero(StrToFloatLenient(MyIniFile::FloatText(v))));

  EXPECT_THAT(PolarFileFromText("t hor 0.frd", "kein Inhalt\n").error, HasSubstr("keine passenden Daten"));
}

// Files as the import reads them: the name gives plane and angle.
PolarFile File(const std::string& name, double fLow = 20, double fHigh = 20000) {
  return PolarFileFromText(name, FormatNumber(fLow, 10) + " 90 10\n" + FormatNumber(fHigh, 10) + " 80 -10\n");
}

TEST(PolarFiles, EveryFaultHasItsGermanMessage) {
  ScratchDir dir;
  struct Case {
    const char* what;
    std::vector<PolarFile> files;
    const char* message;  // part of the message; empty: the files make a set
  };
  const std::vector<Case> cases = {
      {"a good set", {File("a hor 0.frd"), File("a hor 30.frd"), File("a _V 30.frd")}, ""},
      {"0° of one plane serves the other", {File("a hor 0.frd"), File("a ver -60.frd")}, ""},
      {"unreadable", {File("a hor 0.frd"), ReadPolarFile(dir / "fehlt hor 30.frd")}, "kann nicht gelesen werden"},
      {"no angle in the name", {File("a hor 0.frd"), File("a.frd")}, "lassen sich Ebene und Winkel nicht lesen"},
      {"duplicate angle", {File("a hor 0.frd"), File("a hor 30.frd"), File("30_H.txt")}, "denselben Winkel (30°)"},
      {"180 and -180 are one angle",
       {File("a hor 0.frd"), File("a hor 180.frd"), File("a hor -180.frd")},
       "denselben Winkel"},
      {"no 0°", {File("a hor 30.frd"), File("a hor 60.frd")}, "keine Datei hat den Winkel 0°"},
      {"a single file", {File("a hor 0.frd")}, "mindestens zwei Dateien"},
      {"no overlap with the grid",
       {File("a hor 0.frd"), File("a hor 30.frd", 21000, 40000)},
       "außerhalb des Frequenzbereichs des Projekts"},
      {"angle beyond 180", {File("a hor 0.frd"), File("a hor 190.frd")}, "nicht zwischen -180° und 180°"},
  };
  for (const Case& c : cases) {
    const std::string got = CheckPolarFiles(c.files, 20, 20000);
    if (*c.message == 0)
      EXPECT_EQ(got, "") << c.what;
    else
      EXPECT_THAT(got, HasSubstr(c.message)) << c.what;
  }
}

TEST(PolarFiles, AFileOnDiskIsReadLikeItsText) {
  ScratchDir dir;
  WriteBytes(dir / "Mittelton hor -30.frd", "1000\t85.5\t12\r\n2000\t84\t-20\r\n");
  const PolarFile f = ReadPolarFile(dir / "Mittelton hor -30.frd");
  EXPECT_TRUE(f.error.empty());
  EXPECT_EQ(f.response.angle, -30);
  EXPECT_EQ(f.response.fileName, "Mittelton hor -30.frd");
  EXPECT_EQ(f.response.level, (std::vector<double>{85.5, 84}));
  EXPECT_THAT(ReadPolarFile(dir.Path()).error, HasSubstr("kann nicht gelesen werden"));
}

PolarSet SetOf(const std::vector<std::pair<PolarPlane, double>>& angles) {
  std::vector<PolarResponse> rs;
  for (const auto& [plane, angle] : angles) {
    PolarResponse r;
    r.plane = plane;
    r.angle = angle;
    r.freq = {100, 1000};
    r.level = {90, 90};
    rs.push_back(r);
  }
  return PolarSet(rs);
}

std::uint32_t Bits(std::initializer_list<int> directions) {
  std::uint32_t m = 0;
  for (int k : directions) m |= 1u << k;
  return m;
}

TEST(PolarCoverage, FollowsTheMeasuredAnglesOfEachPlane) {
  struct Case {
    const char* what;
    PolarSet set;
    std::uint32_t want;
  };
  // Directions: up 1, 5, 9, 13, 17; left 2, 6, ...; down 3, 7, ...; right 4, 8, ...
  const std::vector<Case> cases = {
      {"right side to 180, mirrored to the left",
       SetOf({{H, 0}, {H, 30}, {H, 60}, {H, 90}, {H, 120}, {H, 150}, {H, 180}}),
       Bits({0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 21})},
      {"both planes to 90 at 45° steps", SetOf({{H, 0}, {H, 45}, {H, 90}, {V, 45}, {V, 90}}),
       Bits({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 22, 23, 24, 25, 26, 27, 28, 29})},
      {"both sides measured: no mirror", SetOf({{H, 0}, {H, 30}, {H, 60}, {H, 90}, {H, -30}, {H, -60}}),
       Bits({0, 2, 4, 6, 8, 12})},
      // Mirrored and with 180° on both sides: every angle of the plane lies
      // between two measured ones.
      {"the rear axis from the vertical plane", SetOf({{V, 0}, {V, -90}, {V, -180}}),
       Bits({0, 1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 21})},
      {"no 0°", SetOf({{H, 30}, {H, 60}}), 0},
      {"empty", PolarSet{}, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(PolarCoverage(c.set), c.want) << c.what;
  EXPECT_EQ(DirectionListText(Bits({0, 2, 4, 6, 8, 9, 10, 11, 12, 21})), "0, 2, 4, 6, 8–12, 21");
  EXPECT_EQ(DirectionListText(kAllPolarDirections), "0–29");
  EXPECT_EQ(DirectionListText(0), "keine");
}

TEST(PolarSet, ComparesByContentAndSharesItsData) {
  const PolarSet a = SetOf({{H, 0}, {H, 30}});
  const PolarSet b = SetOf({{H, 0}, {H, 30}});
  const PolarSet c = SetOf({{H, 0}, {H, 60}});
  const PolarSet copy = a;
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
  EXPECT_EQ(&copy.Responses(), &a.Responses());
  EXPECT_EQ(PolarSet{}, PolarSet(std::vector<PolarResponse>{}));
  EXPECT_NE(PolarSet{}, a);
  EXPECT_EQ(PolarSetSummary(c), "2 Dateien, horizontal 0° bis 60°, vertikal keine, ohne Phase (nur Beträge)");
}

}  // namespace
}  // namespace sonvex
