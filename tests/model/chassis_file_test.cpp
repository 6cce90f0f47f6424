#include "model/chassis_file.h"
#include "calc/file_load.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <future>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "files_test_util.h"
#include "model/interaction.h"
#include "model/my_ini_file.h"
#include "support/scripted_interaction.h"

namespace sonvex {
namespace {

using testing_files::FolderEntries;
using testing_files::LoadFromPipe;
using testing_files::MakeFullChassis;
using testing_files::MatchPhases;
using testing_files::ReadBytes;
using testing_files::ScratchDir;
using testing_files::WriteBytes;
using testing_files::WriteScrambled;

std::string ChassisText(int version, const std::string& keys) {
  return "## MyIniFile 1.0\n#Header\nVersion=" + std::to_string(version) + "\n#Chassis\n" + keys + "\n";
}

// Loads a chassis file made of the given plain-text content (written scrambled).
std::unique_ptr<Chassis> LoadText(const std::string& plain, ScriptedInteraction& ui, bool* ok = nullptr) {
  ScratchDir dir;
  WriteScrambled(dir / "c.ZCH", plain);
  auto c = std::make_unique<Chassis>(DefaultChassis());
  const bool result = LoadChassisFile(*c, dir / "c.ZCH", ui);
  if (ok != nullptr) *ok = result;
  return c;
}

TEST(ChassisFile, SaveAndLoadGiveTheSameRecord) {
  ScratchDir dir;
  const auto original = std::make_unique<Chassis>(MakeFullChassis(3));
  SaveChassisFile(dir / "Tief 3.ZCH", *original);
  EXPECT_EQ(original->publicationDate, "14.03.2011");  // the caller's record is not changed

  ScriptedInteraction ui;
  auto loaded = std::make_unique<Chassis>(MakeFullChassis(6));  // every field is overwritten
  ASSERT_TRUE(LoadChassisFile(*loaded, dir / "Tief 3.ZCH", ui));
  EXPECT_TRUE(ui.asked.empty());

  auto expected = std::make_unique<Chassis>(*original);
  expected->publicationDate = TodayText();
  expected->originalFileName = "Tief 3.ZCH";
  MatchPhases(*expected, *loaded);
  EXPECT_EQ(*loaded, *expected);
  EXPECT_EQ(loaded->measuredAmplitudeFreq[599], original->measuredAmplitudeFreq[599]);
  EXPECT_EQ(loaded->measuredAmplitudeFreq[600], 0.0);
}

TEST(ChassisFile, KeysInTheirOrder) {
  ScratchDir dir;
  auto c = std::make_unique<Chassis>(DefaultChassis());
  c->makerMark = true;  // never written into a chassis file
  SaveChassisFile(dir / "k.ZCH", *c);
  const std::string plain = MyIniFile(dir / "k.ZCH", true, false, true).Serialize(false);
  std::vector<std::string> keys;
  std::size_t pos = 0;
  while ((pos = plain.find("\r\n", pos)) != std::string::npos) {
    pos += 2;
    const std::size_t eq = plain.find("=\t", pos);
    const std::size_t end = plain.find("\r\n", pos);
    if (eq != std::string::npos && eq < end) keys.push_back(plain.substr(pos, eq - pos));
  }
  EXPECT_THAT(keys, ::testing::ElementsAre(
                        "Version", "Name", "Kommentar", "typ", "hintengeschl", "fgang_which", "fs", "Qes", "Qms", "Vas",
                        "Re", "Le", "Re2", "Le2", "Re3", "Le3", "Amem", "xlin", "xmax", "seo", "useFgangA",
                        "useFgangAP", "useFgangA4fs", "useFgangI", "useFgangIP", "Membranform", "FgangAF", "FgangA",
                        "FgangAPF", "FgangAP", "FgangIF", "FgangI", "FgangIPF", "FgangIP", "_ZNenn", "_PNorm", "_PMax",
                        "_Hvc", "_Dvc", "_Hpp", "_Bl", "_SPL", "_Le", "_Mmd", "_fu", "_fo", "_magind", "_magflu",
                        "_bnr", "_Da", "_Etiefe", "_Ausschn", "_Gewicht", "Filters", "pubdate", "OrgFilename"));
  EXPECT_THAT(plain,
              ::testing::StartsWith("## MyIniFile 1.0 by QZ 2004 ##\r\n#Header\r\nVersion=\t1108\r\n#Chassis\r\n"));
}

TEST(ChassisFile, ADamagedPolarSetKeepsWhatItsArraysShare) {
  // Five responses announced, four there: one with a short level array, one
  // whose frequencies end early, one with no points, one without phase.
  ScriptedInteraction ui;
  const auto c = LoadText(ChassisText(1108,
                                      "PolarAnz=5\n"
                                      "Polar1Ebene=7\nPolar1Winkel=0\nPolar1F=100;200;300\nPolar1A=90;91\n"
                                      "Polar1P=1;2;3\n"
                                      "Polar2Ebene=1\nPolar2Winkel=-30\nPolar2F=100;0;300\nPolar2A=80;81;82\n"
                                      "Polar3Ebene=0\nPolar3Winkel=30\nPolar3F=\nPolar3A=\n"
                                      "Polar4Ebene=0\nPolar4Winkel=60\nPolar4Datei=x hor 60.frd\n"
                                      "Polar4F=100;200\nPolar4A=70;71\n"),
                          ui);
  const auto& rs = c->polar.Responses();
  ASSERT_EQ(rs.size(), 3u);
  EXPECT_EQ(rs[0].plane, PolarPlane::Horizontal);  // an unknown plane reads as horizontal
  EXPECT_EQ(rs[0].freq, (std::vector<double>{100, 200}));
  EXPECT_EQ(rs[0].phase, (std::vector<double>{1, 2}));
  EXPECT_EQ(rs[1].plane, PolarPlane::Vertical);
  EXPECT_EQ(rs[1].freq, (std::vector<double>{100}));
  EXPECT_FALSE(rs[1].HasPhase());
  EXPECT_EQ(rs[2].fileName, "x hor 60.frd");
  // Written again, the set reads back as it is.
  ScratchDir dir;
  SaveChassisFile(dir / "p.ZCH", *c);
  auto again = std::make_unique<Chassis>(DefaultChassis());
  ASSERT_TRUE(LoadChassisFile(*again, dir / "p.ZCH", ui));
  EXPECT_EQ(again->polar, c->polar);
}

TEST(ChassisFile, CurvesEndWithAZeroFrequency) {
  ScratchDir dir;
  auto c = std::make_unique<Chassis>(DefaultChassis());
  c->measuredAmplitudeFreq[0] = 100, c->measuredAmplitudeFreq[1] = 200, c->measuredAmplitudeFreq[2] = 300;
  c->measuredAmplitude[0] = 80, c->measuredAmplitude[1] = 81.5, c->measuredAmplitude[2] = 82, c->measuredAmplitude[3] = 99;  // 99 lies behind the end
  c->measuredAcousticPhaseFreq = c->measuredAmplitudeFreq;
  c->measuredAcousticPhase[1] = std::numbers::pi / 2;
  SaveChassisFile(dir / "c.ZCH", *c);
  const MyIniFile ini(dir / "c.ZCH", true, false, true);
  EXPECT_EQ(ini.ReadString("Chassis", "FgangAF", "-"), "100;\t200;\t300;\t0");
  EXPECT_EQ(ini.ReadString("Chassis", "FgangA", "-"), "80;\t81,5;\t82;\t99");
  EXPECT_EQ(ini.ReadString("Chassis", "FgangAP", "-"), "0;\t90;\t0;\t0");
  EXPECT_EQ(ini.ReadString("Chassis", "FgangIF", "-"), "0");
  EXPECT_EQ(ini.ReadString("Chassis", "FgangI", "-"), "0");

  ScriptedInteraction ui;
  auto loaded = std::make_unique<Chassis>(MakeFullChassis(1));
  ASSERT_TRUE(LoadChassisFile(*loaded, dir / "c.ZCH", ui));
  EXPECT_EQ(loaded->measuredAmplitudeFreq[2], 300);
  EXPECT_EQ(loaded->measuredAmplitudeFreq[3], 0);
  EXPECT_EQ(loaded->measuredAmplitudeFreq[4], 0);  // nothing of the previous curve is left
  EXPECT_EQ(loaded->measuredAmplitude[4], 0);
  EXPECT_EQ(loaded->measuredImpedanceFreq[0], 0);
  EXPECT_NEAR(loaded->measuredAcousticPhase[1], std::numbers::pi / 2, 1e-7);
}

TEST(ChassisFile, TextsAreCutToTheirFields) {
  ScriptedInteraction ui;
  const auto c = LoadText(ChassisText(1108, "Name=" + std::string(30, 'N') + "\n_bnr=" + std::string(20, 'b') +
                                                "\npubdate=01.02.2003 and more\n_hst=   \nFilters=x"),
                          ui);
  EXPECT_EQ(c->name, std::string(22, 'N'));
  EXPECT_EQ(c->orderNumber, std::string(15, 'b'));
  EXPECT_EQ(c->publicationDate, "01.02.2003 and m");
  EXPECT_TRUE(c->makerMark);
  EXPECT_EQ(c->filters, 0);
}

TEST(ChassisFile, DefaultsOfMissingKeys) {
  ScriptedInteraction ui;
  bool ok = false;
  const auto c = LoadText(ChassisText(1108, ""), ui, &ok);
  ASSERT_TRUE(ok);
  Chassis expected{};
  expected.responseSource = 5;
  expected.Re3 = 0.000001;
  expected.Le3 = 0.000001;
  expected.filters = 119;
  expected.publicationDate = "01.01.2000";
  EXPECT_EQ(*c, expected);
}

TEST(ChassisFile, VersionConversionOfTypAndMeasuringCondition) {
  struct Case {
    int version;
    const char* keys;
    std::uint32_t typ;
    int which;
  };
  const Case cases[] = {
      {1105, "typ=65537", 1048577, 5},   // bit 16 moves to bit 20
      {1106, "typ=196609", 1048577, 5},  // bits 17..31 are cleared
      {1107, "typ=65537", 65537, 5},     // kept from 1107 on
      {1108, "typ=-5", 0, 5},            // a negative set reads as none
      {1104, "fgang_which=7", 0, 4},     // 1104/1105: above 5 decreased by 3
      {1104, "fgang_which=5", 0, 5},
      {1105, "fgang_which=8", 0, 5},
      {1106, "fgang_which=7", 0, 7},
      {1002, "fgang_which=2", 0, 3},  // before 1104: above 1 increased by 1
      {1002, "fgang_which=1", 0, 1},
      {1002, "", 0, 5},  // default 4, increased
      {1103, "", 0, 5},
      {1000, "fgang_which=99999", 0, 32767},  // clamped to the 16-bit field
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.version) + " " + c.keys);
    ScriptedInteraction ui;
    bool ok = false;
    const auto ch = LoadText(ChassisText(c.version, c.keys), ui, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(ch->categories, c.typ);
    EXPECT_EQ(ch->responseSource, c.which);
  }
}

TEST(ChassisFile, VersionConversionOfPhases) {
  constexpr double kHalfPi = 1.5707963;
  struct Case {
    int version;
    const char* phase;  // the first value of both phase curves
    double acoustic;
    double electric;
    double acousticEnd;  // the terminating element is converted as well
  };
  const Case cases[] = {
      {1104, "90", -kHalfPi, kHalfPi, 3.1415926},  // degrees, then shifted by pi and wrapped
      {1105, "90", kHalfPi, kHalfPi, 0},
      {1108, "-45,5", -0.7941248, -0.7941248, 0},
      {1103, "1", 1 + 3.1415926 - 6.283185306, 1, 3.1415926},  // radians, shifted
      {1002, "-1", -1 + 3.1415926, -1, 3.1415926},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    ScriptedInteraction ui;
    const std::string p = c.phase;
    const auto ch = LoadText(
        ChassisText(c.version, "FgangAPF=100;0\nFgangAP=" + p + ";0\nFgangIPF=100;0\nFgangIP=" + p + ";0"), ui);
    EXPECT_NEAR(ch->measuredAcousticPhase[0], c.acoustic, 1e-6);
    EXPECT_NEAR(ch->measuredElectricalPhase[0], c.electric, 1e-6);
    EXPECT_NEAR(ch->measuredAcousticPhase[1], c.acousticEnd, 1e-6);
    EXPECT_EQ(ch->measuredAcousticPhase[2], 0);  // beyond the elements read: untouched
  }
}

TEST(ChassisFile, RejectedFilesLeaveTheRecordUnchanged) {
  ScratchDir dir;
  const auto before = std::make_unique<Chassis>(MakeFullChassis(2));
  for (const char* text :
       {"## MyIniFile 1.0\n#Chassis\nName=x", "## MyIniFile 1.0\n#Header\nVersion=999\n#Chassis\nName=x",
        "## MyIniFile 1.0\n#Header\nVersion=1003\n#Chassis\nName=x",
        "## MyIniFile 1.0\n#Header\nVersion=1102\n#Chassis\nName=x",
        "## MyIniFile 1.0\n#Header\nVersion=1109\n#Chassis\nName=x"}) {
    SCOPED_TRACE(text);
    ScriptedInteraction ui;
    WriteScrambled(dir / "r.ZCH", text);
    auto c = std::make_unique<Chassis>(*before);
    EXPECT_FALSE(LoadChassisFile(*c, dir / "r.ZCH", ui));
    EXPECT_EQ(*c, *before);
    ASSERT_EQ(ui.asked.size(), 1u);
    EXPECT_EQ(ui.asked[0].text, "Datei hat falsches Datenformat.");
  }
  // A plain-text file: the format message, then the data format message.
  WriteBytes(dir / "plain.ZCH", "## MyIniFile 1.0\r\n#Header\r\nVersion=\t1108\r\n");
  ScriptedInteraction ui;
  auto c = std::make_unique<Chassis>(*before);
  EXPECT_FALSE(LoadChassisFile(*c, dir / "plain.ZCH", ui));
  EXPECT_EQ(*c, *before);
  ASSERT_EQ(ui.asked.size(), 2u);
  EXPECT_EQ(ui.asked[0].text, "Falsches Dateiformat bei \r\n" + Utf8FromPath(dir / "plain.ZCH"));
  EXPECT_EQ(ui.asked[1].text, "Datei hat falsches Datenformat.");
}

TEST(ChassisFile, Version1000DerivesTheMechanicalValuesAndFitsTheVoiceCoil) {
  ScriptedInteraction ui;
  // Impedance points in descending order: the fit sorts them.
  const auto c =
      LoadText(ChassisText(1000, "fs=50\nRe=6\nQes=0,5\nQms=4\nFgangIF=2000;1000;500;0\nFgangI=9;8;7;0"), ui);
  EXPECT_DOUBLE_EQ(c->derived.Rms, 6 * 4 / 0.5);
  EXPECT_DOUBLE_EQ(c->derived.Cms, 0.5 / (2 * std::numbers::pi * 50 * 6));
  EXPECT_DOUBLE_EQ(c->derived.Lms, 6 / (2 * std::numbers::pi * 50 * 0.5));
  EXPECT_EQ(c->measuredImpedanceFreq[0], 500);
  EXPECT_EQ(c->measuredImpedanceFreq[2], 2000);
  EXPECT_EQ(c->measuredImpedance[0], 7);
  EXPECT_TRUE(ui.asked.empty());

  // Without a usable fs, Re or Qes the chassis keeps its values as read.
  for (const char* keys : {"fs=0\nRe=6\nQes=0,5", "fs=50\nRe=0\nQes=0,5", "fs=50\nRe=6\nQes=-1"}) {
    SCOPED_TRACE(keys);
    const auto z = LoadText(ChassisText(1000, std::string(keys) + "\nFgangIF=2000;1000;0\nFgangI=9;8;0"), ui);
    EXPECT_EQ(z->derived, ChassisDerived{});
    EXPECT_EQ(z->measuredImpedanceFreq[0], 2000);
  }
}

TEST(ChassisFile, NormalizedNames) {
  EXPECT_EQ(NormalizeChassisName("W 130 S-8 (neu)"), "W130S8NEU");
  EXPECT_EQ(NormalizeChassisName("w130s8neu"), "W130S8NEU");
  EXPECT_EQ(NormalizeChassisName("a_b\tc\x01ä"), "ABCä");  // only a..z change case
}

TEST(ChassisFile, NewerFileSearch) {
  ScratchDir dir;
  auto chassisFile = [&](const char* name, int version, const char* chassisName, const char* date) {
    WriteScrambled(dir / name, ChassisText(version, std::string("Name=") + chassisName + "\npubdate=" + date));
  };
  chassisFile("a.ZCH", 1108, "W 130 S-8 (neu)", "01.01.2012");  // same date
  chassisFile("b.ZCH", 1108, "W 131 S-8", "01.01.2019");        // other chassis
  chassisFile("c.zch", 1003, "W130S8NEU", "01.01.2019");        // version not accepted
  WriteBytes(dir / "d.ZCH", "not a chassis file");
  chassisFile("e.ZCH", 1108, "w130s8neu", "2.3.12");  // later: 2 March 2012
  chassisFile("f.zch", 1108, "w130s8neu", "01.01.2013");
  chassisFile("g.txt", 1108, "w130s8neu", "01.01.2014");
  std::filesystem::create_directory(dir / "h.ZCH");

  auto c = std::make_unique<Chassis>(DefaultChassis());
  c->name = "W130S8 neu";
  c->publicationDate = "01.01.2012";
  ScriptedInteraction ui;
  EXPECT_EQ(FindNewerChassisFile(*c, dir.Path(), &ui), dir.Path() / "e.ZCH");
  ASSERT_EQ(ui.asked.size(), 1u);  // the foreign file d.ZCH
  EXPECT_THAT(ui.asked[0].text, ::testing::HasSubstr("d.ZCH"));

  c->publicationDate = "03.03.2012";
  EXPECT_EQ(FindNewerChassisFile(*c, dir.Path(), nullptr), dir.Path() / "f.zch");  // any letter case
  c->publicationDate = "01.01.2013";
  EXPECT_EQ(FindNewerChassisFile(*c, dir.Path(), nullptr), std::filesystem::path());
  EXPECT_EQ(FindNewerChassisFile(*c, dir / "missing", nullptr), std::filesystem::path());
}

TEST(ChassisFile, FailingSaveKeepsThePreviousFile) {
  ScratchDir dir;
  const auto file = dir / "keep.ZCH";
  auto c = std::make_unique<Chassis>(MakeFullChassis(1));
  SaveChassisFile(file, *c);
  const std::string before = ReadBytes(file);
  // A data-sheet text too long for one line of the file: the error arises
  // after most of the new file has been written.
  c->outerDiameterText = std::string(30000, 'x');
  EXPECT_THROW(SaveChassisFile(file, *c), FileError);
  EXPECT_EQ(ReadBytes(file), before);
  EXPECT_THAT(FolderEntries(dir.Path()), ::testing::ElementsAre("keep.ZCH"));
  EXPECT_THROW(SaveChassisFile(dir / "missing/x.ZCH", *c), FileError);
}

TEST(ChassisFile, AFileCutShortLoadsWithAWarning) {
  ScratchDir dir;
  const std::string shipped = ReadBytes(std::filesystem::path(SONVEX_DATA_DIR) / "Chassis" / "SV-100.ZCH");
  const auto file = dir / "SV-100.ZCH";
  WriteBytes(file, shipped);
  ScriptedInteraction ui;
  auto whole = std::make_unique<Chassis>(DefaultChassis());
  ASSERT_TRUE(LoadChassisFile(*whole, file, ui));
  EXPECT_TRUE(ui.asked.empty());
  WriteBytes(file, std::string_view(shipped).substr(0, shipped.size() - 3));
  auto c = std::make_unique<Chassis>(DefaultChassis());
  EXPECT_TRUE(LoadChassisFile(*c, file, ui));
  ASSERT_EQ(ui.asked.size(), 1u);
  EXPECT_EQ(ui.asked[0].text, IncompleteFileText("Chassisdatei", file));
  EXPECT_THAT(ui.asked[0].text, ::testing::StartsWith("Die Chassisdatei ist unvollständig"));
  EXPECT_EQ(c->name, whole->name);
}

TEST(ChassisFile, ANamedPipeIsRefusedAtOnce) {
  ScratchDir dir;
  const auto pipe = dir / "x.ZCH";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  ScriptedInteraction ui;
  auto c = std::make_unique<Chassis>(DefaultChassis());
  EXPECT_EQ(LoadFromPipe<FileError>(pipe, [&] { LoadChassisFile(*c, pipe, ui); }), "Datei kann nicht gelesen werden: " + Utf8FromPath(pipe) +
                               " (keine gewöhnliche Datei, sondern eine benannte Pipe (FIFO))");
}

TEST(ChassisFile, UnreadableFileRaises) {
  ScratchDir dir;
  std::filesystem::create_directory(dir / "x.ZCH");
  ScriptedInteraction ui;
  auto c = std::make_unique<Chassis>(DefaultChassis());
  EXPECT_THROW(LoadChassisFile(*c, dir / "x.ZCH", ui), FileError);
  // A missing file has no version.
  EXPECT_FALSE(LoadChassisFile(*c, dir / "none.ZCH", ui));
  EXPECT_EQ(ui.asked.back().text, "Datei hat falsches Datenformat.");
}

}  // namespace
}  // namespace sonvex
