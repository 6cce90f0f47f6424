#include "model/project_file.h"
#include "calc/file_load.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <future>
#include <limits>
#include <memory>
#include <numbers>
#include <string>
#include <tuple>
#include <vector>

#include "acoustics/enclosure.h"
#include "files_test_util.h"
#include "model/chassis_file.h"
#include "model/freq_grid.h"
#include "model/interaction.h"
#include "model/my_ini_file.h"
#include "model/settings.h"
#include "support/scripted_interaction.h"

namespace sonvex {
namespace {

using testing_files::FolderEntries;
using testing_files::LoadFromPipe;
using testing_files::MakeFullChassis;
using testing_files::MatchPhases;
using testing_files::Q;
using testing_files::ReadBytes;
using testing_files::ScratchDir;
using testing_files::WriteBytes;
using testing_files::WriteScrambled;

const Settings& NoSettings() {
  static const Settings kSettings = MakeSettings("/nonexistent/");
  return kSettings;
}

// Every value of a project set, including every enclosure type and every
// crossover part kind; fields a project file does not carry keep the values a
// loaded project gets for them.
std::unique_ptr<Project> MakeFullProject() {
  auto p = MakeNewProject();
  p->ampCount = 6;
  p->chassisCount = 8;
  for (int i = 0; i < 7; ++i) p->colorSetAmps[i] = RGBColor(10 * i, 255 - i, 3 * i);
  for (int i = 0; i < 9; ++i) p->colorSetChassis[i] = RGBColor(i, 20 * i, 200);
  for (int i = 0; i < 10; ++i) p->colorSetDirections[i] = RGBColor(255, i, 7 * i);
  p->chartParams = {11, 80, 30, 85, 12, 9};
  p->fMin = 30;
  p->fMax = 18000;
  p->gridPoints = 200;
  p->smoothingAmplitude = Q(0.21);
  p->smoothingImpedance = Q(0.17);
  p->dBMin = 45;
  p->dBMax = 105.5;
  p->axisFMin = 25;
  p->axisFMax = 16000;
  p->impedanceMax = 50;
  BuildFreqGrid(*p);
  for (int a = 0; a < kMaxAmps; ++a) {
    Amplifier& v = p->amplifiers[a];
    v.level = Q(0.8 + 0.1 * a);
    v.highPass6On = a % 2 == 0, v.highPass12aOn = a % 3 == 0, v.highPass12bOn = true, v.lowPass6On = a == 1, v.lowPass12aOn = a > 2, v.lowPass12bOn = a == 5;
    v.highPass6F = 50 + a, v.highPass12aF = 60 + a, v.highPass12bF = 70 + a, v.lowPass6F = 2000 + a, v.lowPass12aF = 2500 + a, v.lowPass12bF = 3000 + a;
    v.highPass12aQ = Q(0.5 + 0.01 * a), v.highPass12bQ = 0.71, v.lowPass12aQ = 0.6, v.lowPass12bQ = Q(1.3 - 0.01 * a);
    Crossover& x = v.crossover;
    x[0].type = PartResistor, x[0].value = Q(4.7 + a), x[0].note = "MOX 4,7", x[0].optimize = true;
    x[1].type = PartCapacitor, x[1].value = Q(3.3e-6 * (a + 1)), x[1].note = "MKP";
    x[2].type = PartInductor, x[2].value = Q(0.00082), x[2].resistance = Q(0.35), x[2].note = "Luftspule 0,82mH",
    x[2].optimize = true;
    x[3].type = PartWire;
    x[90].type = PartChassis, x[90].chassisSlot = static_cast<std::int16_t>(a), x[90].reversedPolarity = 1;
    x[91].type = PartAmplifier, x[91].reversedPolarity = -1;
    x[178 + a].type = PartWire, x[178 + a].node1 = a, x[178 + a].node2 = 99;
  }
  for (int c = 0; c < kMaxChassis; ++c) {
    Chassis& ch = p->chassis[c];
    ch = MakeFullChassis(c);
    ch.categories = 0;          // not stored in project files
    ch.diaphragmShape = 0;  // neither: the baffle carries it
    ch.makerMark = c % 2 == 1;
    Enclosure& e = p->enclosures[c];
    e.type = c % 5;
    e.Vb = Q(0.02 + 0.005 * c), e.fb = Q(38.5 + c), e.VbFront = Q(0.01 * c), e.fbFront = Q(80.0 + c);
    e.explicitValues = c >= 5;
    if (e.explicitValues) {
      e.volumeFactor = 1.15, e.airMassFactor = 0.97, e.airMassCornerFreq = 310, e.Ql = 7, e.Qb = 40, e.frontVolumeFactor = 1.05, e.QbFront = 30, e.Qp = 0.2, e.QpFront = 0.1;
    } else {
      e.dampingVolume = static_cast<std::int8_t>(c % 5), e.dampingNearChassis = static_cast<std::int8_t>(4 - c % 5), e.dampingPort = 1, e.dampingFrontVolume = 3,
      e.dampingFrontPort = 4;
    }
    Baffle& w = p->baffles[c];
    w.diffractLeft = c % 2 == 0, w.diffractRight = c % 3 == 0, w.diffractTop = true, w.diffractBottom = false, w.useCabinet = c == 2;
    w.direction = static_cast<std::int8_t>(c % 4), w.rearDirection = static_cast<std::int8_t>(3 - c % 4);
    w.diaphragmShape = static_cast<std::int8_t>(c % 3);
    w.bottomDistance = Q(0.2 + 0.01 * c), w.width = 0.3, w.leftDistance = 0.05, w.outletDiameter = 0.01, w.chamferLeft = 0.02, w.chamferRight = 0.03, w.chamferTop = 0.004, w.height = 0.5,
    w.chamferBottom = 0.6;
    w.horizontal = -0.15, w.vertical = Q(0.1 * c), w.forward = -0.3, w.rearHorizontal = 0.12, w.rearVertical = -0.2, w.rearForward = -0.35;
  }
  p->cabinet = {1.05, 0.3, 0.4, 0.01, 0.02, 0.03, 0.04};
  return p;
}

std::string ProjectText(const std::string& body) { return "## MyIniFile 1.0\n" + body + "\n"; }

std::unique_ptr<Project> LoadText(const std::string& plain, ScriptedInteraction& ui, ProjectLoadResult* result = nullptr,
                                   const Settings& settings = NoSettings()) {
  ScratchDir dir;
  WriteScrambled(dir / "p.ZPJ", plain);
  auto p = MakeNewProject();
  const ProjectLoadResult r = LoadProject(*p, dir / "p.ZPJ", settings, ui);
  if (result != nullptr) *result = r;
  return p;
}

// Names of the sections or of the keys of one section, from the plain form.
std::vector<std::string> Lines(const std::string& plain, const std::string& section) {
  std::vector<std::string> out;
  bool inside = section.empty();
  std::size_t pos = plain.find("\r\n") + 2;  // after the header line
  while (pos < plain.size()) {
    const std::size_t end = plain.find("\r\n", pos);
    const std::string line = plain.substr(pos, end - pos);
    pos = end + 2;
    if (!line.empty() && line[0] == '#') {
      if (section.empty())
        out.push_back(line.substr(1));
      else
        inside = line.substr(1) == section;
    } else if (!section.empty() && inside) {
      out.push_back(line.substr(0, line.find("=\t")));
    }
  }
  return out;
}

TEST(ProjectFile, SaveAndLoadGiveTheSameProject) {
  ScratchDir dir;
  const auto original = MakeFullProject();
  SaveProject(*original, dir / "full.ZPJ");

  ScriptedInteraction ui;
  auto loaded = MakeNewProject();
  EXPECT_EQ(LoadProject(*loaded, dir / "full.ZPJ", NoSettings(), ui), ProjectLoadResult::Loaded);
  EXPECT_TRUE(ui.asked.empty());

  auto expected = std::make_unique<Project>(*original);
  expected->saved = true;
  for (int c = 0; c < kMaxChassis; ++c) MatchPhases(expected->chassis[c], loaded->chassis[c]);
  EXPECT_EQ(DisplayOptionsOf(*loaded), DisplayOptionsOf(*expected));
  EXPECT_EQ(loaded->freq, expected->freq);
  for (int a = 0; a < kMaxAmps; ++a) EXPECT_EQ(loaded->amplifiers[a], expected->amplifiers[a]) << a;
  for (int c = 0; c < kChassisSlots; ++c) {
    EXPECT_EQ(loaded->chassis[c], expected->chassis[c]) << c;
    EXPECT_EQ(loaded->enclosures[c], expected->enclosures[c]) << c;
    EXPECT_EQ(loaded->baffles[c], expected->baffles[c]) << c;
  }
  EXPECT_EQ(*loaded, *expected);
}

TEST(ProjectFile, SectionsOfTheAmplifiersAndChassisInUse) {
  ScratchDir dir;
  auto p = MakeFullProject();
  p->ampCount = 2;
  p->chassisCount = 3;
  SaveProject(*p, dir / "p.ZPJ");
  const std::string plain = MyIniFile(dir / "p.ZPJ", true, false, true).Serialize(false);
  EXPECT_THAT(Lines(plain, ""),
              ::testing::ElementsAre("Header", "General", "Option", "AktFilter1", "AktFilter2", "Weiche1", "Weiche2",
                                     "Chassis1", "Chassis2", "Chassis3", "GemGeh", "Einbau1", "Einbau2", "Einbau3",
                                     "Schallwand1", "Schallwand2", "Schallwand3"));
  EXPECT_THAT(Lines(plain, "Option"),
              ::testing::ElementsAre("ColorSetAmps", "ColorSetChassis", "ColorSetRichtungen", "Par1", "Par2", "Par3",
                                     "Par4", "Par5", "Par6", "fMin", "fMax", "sz", "glatt_a", "glatt_i", "dBMin",
                                     "dBMax", "AfMin", "AfMax", "ImpMax"));
  EXPECT_THAT(Lines(plain, "AktFilter1"),
              ::testing::ElementsAre("Pegel", "HP6", "HP6f", "HP121", "HP121f", "HP121q", "HP122", "HP122f", "HP122q",
                                     "TP6", "TP6f", "TP121", "TP121f", "TP121q", "TP122", "TP122f", "TP122q"));
  // Explicit enclosure values only with explicitValues; the damping levels always.
  EXPECT_THAT(Lines(plain, "Einbau1"), ::testing::ElementsAre("Typ", "Vb", "fb", "Vbf", "fbf", "mbQExpl", "Bedv",
                                                              "Bedc", "Bedk", "Bedvf", "Bedkf"));
  EXPECT_THAT(Lines(plain, "Schallwand1"),
              ::testing::ElementsAre("beugl", "beugr", "beugo", "beugu", "usegemgeh", "direction", "directionr",
                                     "Membranform", "a", "b", "c", "d", "e", "f", "g", "h", "i", "hor", "vert", "stra",
                                     "horr", "vertr", "strar"));
  EXPECT_THAT(Lines(plain, "GemGeh"), ::testing::ElementsAre("h", "b", "t", "fasl", "fasr", "faso", "fasu"));
  // Chassis keys: no typ, no Membranform; the mark "_hst" only where set.
  const auto chassis1 = Lines(plain, "Chassis1");
  const auto chassis2 = Lines(plain, "Chassis2");
  EXPECT_THAT(chassis1, ::testing::Not(::testing::Contains("typ")));
  EXPECT_THAT(chassis1, ::testing::Not(::testing::Contains("Membranform")));
  EXPECT_THAT(chassis1, ::testing::Not(::testing::Contains("_hst")));
  EXPECT_THAT(chassis2, ::testing::Contains("_hst"));
  EXPECT_EQ(MyIniFile::FromBytes(plain, false).ReadString("Chassis2", "_hst", "-"), "   ");
  EXPECT_EQ(chassis1.size() + 1, chassis2.size());
}

TEST(ProjectFile, CrossoverKeys) {
  ScratchDir dir;
  auto p = MakeNewProject();
  Crossover& x = p->amplifiers[0].crossover;
  x[0].type = PartCapacitor, x[0].value = 4.7e-6, x[0].note = "MKP";
  x[5].type = PartInductor, x[5].value = 0.001, x[5].resistance = 0.4, x[5].optimize = true;
  x[36].type = PartChassis, x[36].chassisSlot = 0, x[36].reversedPolarity = 2;
  x[37].type = PartAmplifier, x[37].reversedPolarity = -1;
  x[40].type = PartWire;
  x[180].type = PartWire, x[180].node1 = 12, x[180].node2 = 99;
  SaveProject(*p, dir / "x.ZPJ");
  const std::string plain = MyIniFile(dir / "x.ZPJ", true, false, true).Serialize(false);
  EXPECT_THAT(Lines(plain, "Weiche1"),
              ::testing::ElementsAre("_Part1_typ", "_Part1_value", "_Part1_bem", "_Part6_typ", "_Part6_bOpti",
                                     "_Part6_value", "_Part6_bem", "_Part6_Rvalue", "_Part37_typ", "_Part37_verpolt",
                                     "_Part37_chassisnr", "_Part38_typ", "_Part38_verpolt", "_Part41_typ",
                                     "_Part181_typ", "_Part181_nod1", "_Part181_nod2"));
  const MyIniFile ini = MyIniFile::FromBytes(plain, false);
  EXPECT_EQ(ini.ReadString("Weiche1", "_Part1_value", "-"), "4,7E-6");
  EXPECT_EQ(ini.ReadString("Weiche1", "_Part181_typ", "-"), "1");
  EXPECT_EQ(ini.ReadString("Weiche1", "_Part181_nod2", "-"), "99");
}

TEST(ProjectFile, CrossoverReadingGivesNeutralValues) {
  ScriptedInteraction ui;
  const auto p = LoadText(ProjectText("#Header\nVersion=1008\n#Weiche1\n"
                                      "_Part1_typ=3\n_Part1_verpolt=1\n_Part1_chassisnr=2\n_Part1_Rvalue=5\n"
                                      "_Part1_bem=ABCDEFGHIJKLMNOPQRSTUVWXYZ\n"
                                      "_Part2_typ=2\n"
                                      "_Part3_typ=5\n_Part3_value=33\n_Part3_bem=x\n_Part3_chassisnr=7\n"
                                      "_Part4_typ=9\n_Part4_value=5\n"
                                      "_Part6_typ=1\n_Part6_nod1=50\n_Part6_nod2=60\n"
                                      "_Part7_nod1=50\n"
                                      "_Part181_typ=0\n_Part181_nod1=5\n_Part181_nod2=6\n"
                                      "_Part182_typ=1\n_Part182_nod1=7\n_Part182_nod2=99\n"
                                      "_Part183_typ=4\n_Part183_nod1=7\n_Part183_nod2=8\n"
                                      "#Weiche2\n_Part1_typ=6\n_Part1_verpolt=1\n"
                                      "#Weiche7\n_Part1_typ=2\n"),
                          ui);
  const Crossover& x = p->amplifiers[0].crossover;
  const Crossover empty = EmptyCrossover();
  EXPECT_EQ(x[0].type, PartCapacitor);
  EXPECT_EQ(x[0].reversedPolarity, 0);  // not read below type 5
  EXPECT_EQ(x[0].chassisSlot, 0);
  EXPECT_EQ(x[0].resistance, 0);
  EXPECT_EQ(x[0].value, 1.0);
  EXPECT_EQ(x[0].note, "ABCDEFGHIJKLMNOP");  // cut to 16 characters
  EXPECT_EQ(x[1].value, 1.0);
  EXPECT_EQ(x[2].value, 1.0);
  EXPECT_TRUE(x[2].note.Empty());
  EXPECT_EQ(x[2].chassisSlot, 7);
  EXPECT_EQ(x[3], empty[3]);  // an unknown type code reads as an empty slot
  // Grid slots keep the nodes of their position; free wires read theirs only as wires.
  EXPECT_EQ(x[5].node1, empty[5].node1);
  EXPECT_EQ(x[5].node2, empty[5].node2);
  EXPECT_EQ(x[6], empty[6]);
  EXPECT_EQ(x[180].node1, 0);
  EXPECT_EQ(x[181].node1, 7);
  EXPECT_EQ(x[181].node2, 99);
  EXPECT_EQ(x[182].type, PartInductor);
  EXPECT_EQ(x[182].node1, 0);
  EXPECT_EQ(p->amplifiers[1].crossover[0].reversedPolarity, 1);
  for (int a = 2; a < kMaxAmps; ++a) EXPECT_EQ(p->amplifiers[a].crossover, empty) << a;
}

TEST(ProjectFile, DisplayOptionCorrectionsAndSmoothingOfOlderVersions) {
  struct Case {
    int version;
    const char* option;
    double fMin, fMax;
    int sz;
    double smoothingAmplitude, smoothingImpedance;
  };
  const double old = 7 * 3.0 / 126;  // 7·log10(20000/20)/126
  const Case cases[] = {
      {1007, "fMin=20\nfMax=20000\nsz=126\nglatt_a=0,5\nglatt_i=0,4", 20, 20000, 126, old, old},
      {1008, "fMin=20\nfMax=20000\nsz=126\nglatt_a=0,5\nglatt_i=0,4", 20, 20000, 126, 0.5, 0.4},
      {1008, "", 20, 20000, 126, 0.24, 0.18},
      {1008, "fMin=5\nfMax=10000", 20, 20000, 126, 0.24, 0.18},
      {1008, "fMin=1000,5\nfMax=10000", 20, 20000, 126, 0.24, 0.18},
      {1008, "fMin=10\nfMax=1000\nsz=10", 10, 1000, 10, 0.24, 0.18},
      {1008, "fMin=500\nfMax=500", 20, 20000, 126, 0.24, 0.18},
      {1008, "fMax=100000", 20, 20000, 126, 0.24, 0.18},
      {1008, "fMax=99999\nsz=250", 20, 99999, 250, 0.24, 0.18},
      {1008, "sz=300", 20, 20000, 84, 0.24, 0.18},
      {1008, "sz=9", 20, 20000, 84, 0.24, 0.18},
      {1000, "fMin=50\nfMax=5000\nsz=100", 50, 5000, 100, 7 * 2.0 / 100, 7 * 2.0 / 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.version) + " " + c.option);
    ScriptedInteraction ui;
    const auto p = LoadText(
        ProjectText("#Header\nVersion=" + std::to_string(c.version) + "\n#Option\n" + std::string(c.option)), ui);
    EXPECT_DOUBLE_EQ(p->fMin, c.fMin);
    EXPECT_DOUBLE_EQ(p->fMax, c.fMax);
    EXPECT_EQ(p->gridPoints, c.sz);
    EXPECT_NEAR(p->smoothingAmplitude, c.smoothingAmplitude, 1e-12);
    EXPECT_NEAR(p->smoothingImpedance, c.smoothingImpedance, 1e-12);
    // The grid follows the corrected values.
    EXPECT_DOUBLE_EQ(p->freq[0], c.fMin);
    EXPECT_NEAR(p->freq[c.sz - 1], c.fMax, 1e-9 * c.fMax);
    EXPECT_EQ(p->freq[c.sz], 0.0);
  }
}

TEST(ProjectFile, ChassisVersionConversions) {
  struct Case {
    int version;
    const char* keys;
    int which;
    double acoustic;  // first acoustic phase value
  };
  constexpr double kHalfPi = 1.5707963;
  const Case cases[] = {
      {1004, "fgang_which=7\nFgangAPF=100;0\nFgangAP=90;0", 4, -kHalfPi},
      {1005, "fgang_which=8\nFgangAPF=100;0\nFgangAP=90;0", 5, kHalfPi},
      {1006, "fgang_which=7\nFgangAPF=100;0\nFgangAP=90;0", 7, kHalfPi},
      {1003, "fgang_which=2\nFgangAPF=100;0\nFgangAP=1;0", 3, 1 + 3.1415926 - 6.283185306},
      {1003, "FgangAPF=100;0\nFgangAP=-1;0", 5, -1 + 3.1415926},
      {1008, "typ=65537\nMembranform=3", 5, 0},  // typ read unconverted; Membranform not read
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.version) + " " + c.keys);
    ScriptedInteraction ui;
    const auto p = LoadText(
        ProjectText("#Header\nVersion=" + std::to_string(c.version) + "\n#Chassis1\n" + std::string(c.keys)), ui);
    EXPECT_EQ(p->chassis[0].responseSource, c.which);
    EXPECT_NEAR(p->chassis[0].measuredAcousticPhase[0], c.acoustic, 1e-6);
    if (c.version == 1008) {
      EXPECT_EQ(p->chassis[0].categories, 65537u);
      EXPECT_EQ(p->chassis[0].diaphragmShape, 0);
    }
    // Project defaults of the voice-coil sections.
    EXPECT_EQ(p->chassis[0].Re2, 0.001);
    EXPECT_EQ(p->chassis[0].Re3, 0.001);
    EXPECT_EQ(p->chassis[0].Le2, 0.000001);
    EXPECT_EQ(p->chassis[0].Le3, 0.000001);
  }
}

TEST(ProjectFile, Version1000) {
  ScriptedInteraction ui;
  const std::string chassis = "fs=50\nRe=6\nQes=0,5\nQms=4\n";
  const auto p = LoadText(ProjectText("#Header\nVersion=1000\n#General\nnChassis=2\n#Chassis1\n" + chassis +
                                      "#Chassis2\n" + chassis + "#Chassis3\n" + chassis),
                          ui);
  EXPECT_DOUBLE_EQ(p->chassis[0].derived.Rms, 48);
  EXPECT_DOUBLE_EQ(p->chassis[1].derived.Rms, 48);
  EXPECT_EQ(p->chassis[2].derived.Rms, 0);  // not in use: no derivation
  EXPECT_FALSE(p->baffles[0].useCabinet);
  EXPECT_FALSE(p->baffles[1].useCabinet);
  EXPECT_TRUE(p->baffles[2].useCabinet);  // not read: as before
  EXPECT_TRUE(ui.asked.empty());
}

TEST(ProjectFile, RejectedVersionsLeaveTheProjectUnchanged) {
  ScratchDir dir;
  const auto before = MakeFullProject();
  for (const char* body : {"#Header\nVersion=999", "#Header\nVersion=1009", "#General\nnAmps=2"}) {
    SCOPED_TRACE(body);
    WriteScrambled(dir / "v.ZPJ", ProjectText(body));
    ScriptedInteraction ui;
    auto p = std::make_unique<Project>(*before);
    EXPECT_EQ(LoadProject(*p, dir / "v.ZPJ", NoSettings(), ui), ProjectLoadResult::WrongVersion);
    EXPECT_EQ(*p, *before);
    ASSERT_EQ(ui.asked.size(), 1u);
    EXPECT_EQ(ui.asked[0].text, "Datei hat falsches Datenformat.");
  }
}

TEST(ProjectFile, MissingEmptyOrForeignFileGivesTheDefaultProject) {
  ScratchDir dir;
  auto expected = MakeNewProject();
  expected->saved = true;
  WriteBytes(dir / "empty.ZPJ", "");
  WriteBytes(dir / "plain.ZPJ", "## MyIniFile 1.0\r\n#Header\r\nVersion=\t1008\r\n");
  struct Case {
    const char* name;
    ProjectLoadResult result;
    std::size_t messages;
  };
  for (const Case& c : {Case{"missing.ZPJ", ProjectLoadResult::Defaults, 0}, Case{"empty.ZPJ", ProjectLoadResult::Defaults, 0},
                        Case{"plain.ZPJ", ProjectLoadResult::BadHeader, 1}}) {
    SCOPED_TRACE(c.name);
    auto p = MakeFullProject();
    p->chassisCount = 1;  // the enclosures and baffles of slots 2..8 are not read: keep them as new
    for (int s = 1; s < kChassisSlots; ++s) {
      p->enclosures[s] = expected->enclosures[s];
      p->baffles[s] = expected->baffles[s];
    }
    p->chassis[8] = expected->chassis[8];
    p->freq = expected->freq;  // grid entries beyond the last point keep what they held
    // The enclosure of slot 1 keeps its explicit values (damping levels read).
    p->enclosures[0] = expected->enclosures[0];
    ScriptedInteraction ui;
    EXPECT_EQ(LoadProject(*p, dir / c.name, NoSettings(), ui), c.result);
    EXPECT_EQ(ui.asked.size(), c.messages);
    EXPECT_EQ(*p, *expected);
  }
}

TEST(ProjectFile, FieldsTheFileDoesNotCoverKeepTheirValues) {
  ScriptedInteraction ui;
  auto p = MakeFullProject();
  const auto before = std::make_unique<Project>(*p);
  ScratchDir dir;
  WriteScrambled(dir / "p.ZPJ", ProjectText("#Header\nVersion=1008\n#General\nnChassis=6\n"
                                            "#Einbau1\nmbQExpl=1\nBedv=4\n#Einbau2\nmbQExpl=0\nvV=3\n"
                                            "#Chassis9\nName=never read\n#Einbau7\nTyp=2"));
  LoadProject(*p, dir / "p.ZPJ", NoSettings(), ui);
  EXPECT_EQ(p->chassis[8], before->chassis[8]);
  EXPECT_EQ(p->enclosures[6], before->enclosures[6]);  // slot 7 lies above chassisCount
  EXPECT_EQ(p->baffles[7], before->baffles[7]);
  EXPECT_TRUE(p->enclosures[0].explicitValues);
  EXPECT_EQ(p->enclosures[0].dampingVolume, before->enclosures[0].dampingVolume);  // damping levels are not read with explicit values
  EXPECT_EQ(p->enclosures[0].volumeFactor, 1.0);
  EXPECT_EQ(p->enclosures[1].volumeFactor, before->enclosures[1].volumeFactor);  // explicit values are not read with damping levels
  EXPECT_EQ(p->enclosures[1].dampingVolume, 2);
}

TEST(ProjectFile, CountsBeyondTheSlotsAreClamped) {
  for (const auto& [text, amps, chassis] :
       {std::tuple{"nAmps=9\nnChassis=20", 6, 8}, std::tuple{"nAmps=0\nnChassis=-3", 1, 1},
        std::tuple{"nAmps=3\nnChassis=5", 3, 5}}) {
    ScriptedInteraction ui;
    const auto p = LoadText(ProjectText(std::string("#Header\nVersion=1008\n#General\n") + text), ui);
    EXPECT_EQ(p->ampCount, amps) << text;
    EXPECT_EQ(p->chassisCount, chassis) << text;
  }
}

TEST(ProjectFile, SavedDisplayDefaultsReplaceTheFilesOptions) {
  Settings s = MakeSettings("/nonexistent/");
  s.useDisplayDefaults = true;
  s.displayDefaults.fMin = 50;
  s.displayDefaults.fMax = 10000;
  s.displayDefaults.gridPoints = 200;
  s.displayDefaults.dBMin = 30;
  ScriptedInteraction ui;
  const auto p =
      LoadText(ProjectText("#Header\nVersion=1008\n#Option\nfMin=20\nfMax=20000\nsz=126\ndBMin=60"), ui, nullptr, s);
  EXPECT_EQ(DisplayOptionsOf(*p), s.displayDefaults);
  EXPECT_DOUBLE_EQ(p->freq[0], 50);
  EXPECT_NEAR(p->freq[199], 10000, 1e-6);
  EXPECT_EQ(p->freq[200], 0.0);
}

TEST(ProjectLoading, MissingPlainAndScrambledFiles) {
  ScratchDir dir;
  ScriptedInteraction ui;
  auto p = MakeFullProject();
  const auto before = std::make_unique<Project>(*p);
  EXPECT_EQ(LoadProjectFile(*p, dir / "none.ZPJ", NoSettings(), ui), ProjectLoadResult::Missing);
  EXPECT_EQ(*p, *before);
  EXPECT_TRUE(ui.asked.empty());

  // A plain-text project is refused and the new project takes its place.
  WriteBytes(dir / "plain.ZPJ", "## MyIniFile 1.0\r\n#Header\r\nVersion=\t1008\r\n");
  EXPECT_EQ(LoadProjectFile(*p, dir / "plain.ZPJ", NoSettings(), ui), ProjectLoadResult::NotProjectFile);
  EXPECT_EQ(*p, *MakeNewProject());
  ASSERT_EQ(ui.asked.size(), 1u);
  EXPECT_EQ(ui.asked[0].text,
            Utf8FromPath(dir / "plain.ZPJ") + "\rist keine gültige Projektdatei dieser Version von Sonvex.");
  WriteBytes(dir / "empty.ZPJ", "");
  EXPECT_EQ(LoadProjectFile(*p, dir / "empty.ZPJ", NoSettings(), ui), ProjectLoadResult::NotProjectFile);

  // A saved project: loaded, then the enclosure losses estimated and the
  // derived values computed for every chassis slot 0..7.
  SaveProject(*before, dir / "full.ZPJ");
  ui.asked.clear();
  EXPECT_EQ(LoadProjectFile(*p, dir / "full.ZPJ", NoSettings(), ui), ProjectLoadResult::Loaded);
  EXPECT_TRUE(ui.asked.empty());
  auto q = MakeNewProject();
  LoadProject(*q, dir / "full.ZPJ", NoSettings(), ui);
  for (int c = 0; c < kMaxChassis; ++c) {
    EstimateEnclosureLosses(q->chassis[c], q->enclosures[c]);
    DeriveChassisValues(q->chassis[c], q->enclosures[c], 1e-10);
    EXPECT_GT(p->chassis[c].derived.Cms, 0) << c;
  }
  EXPECT_EQ(*p, *q);
  EXPECT_NE(p->enclosures[1], before->enclosures[1]);  // estimated from its damping levels
  EXPECT_EQ(p->enclosures[6], before->enclosures[6]);  // explicit values stay
}

// A project file cut short loads what it holds, with a warning naming the
// file; the result stays Loaded (a warning, not an error).
TEST(ProjectLoading, AFileCutShortLoadsWithAWarning) {
  ScratchDir dir;
  const std::string shipped = ReadBytes(std::filesystem::path(SONVEX_DATA_DIR) / "Projekte" / "Default.ZPJ");
  const auto file = dir / "Default.ZPJ";
  WriteBytes(file, shipped);
  ScriptedInteraction ui;
  auto whole = MakeNewProject();
  EXPECT_EQ(LoadProjectFile(*whole, file, NoSettings(), ui), ProjectLoadResult::Loaded);
  EXPECT_TRUE(ui.asked.empty());

  for (std::size_t cut : {std::size_t{1}, std::size_t{11}, shipped.size() / 2}) {
    SCOPED_TRACE(cut);
    WriteBytes(file, std::string_view(shipped).substr(0, shipped.size() - cut));
    ScriptedInteraction cutUi;
    auto p = MakeNewProject();
    EXPECT_EQ(LoadProjectFile(*p, file, NoSettings(), cutUi), ProjectLoadResult::Loaded);
    ASSERT_EQ(cutUi.asked.size(), 1u);
    EXPECT_EQ(cutUi.asked[0].kind, "message");
    EXPECT_EQ(cutUi.asked[0].text, IncompleteFileText("Projektdatei", file));
    EXPECT_THAT(cutUi.asked[0].text, ::testing::StartsWith("Die Projektdatei ist unvollständig"));
    EXPECT_THAT(cutUi.asked[0].text, ::testing::HasSubstr(Utf8FromPath(file)));
  }

  // The plain form: a last line without its line end.
  const std::string plain = MyIniFile::FromBytes(shipped, true).Serialize(false);
  ASSERT_EQ(plain.substr(plain.size() - 2), "\r\n");
  ScriptedInteraction plainUi;
  auto p = MakeNewProject();
  EXPECT_EQ(LoadProjectFrom(*p, MyIniFile::FromBytes(plain, false), NoSettings(), plainUi), ProjectLoadResult::Loaded);
  EXPECT_TRUE(plainUi.asked.empty());
  EXPECT_EQ(LoadProjectFrom(*p, MyIniFile::FromBytes(plain.substr(0, plain.size() - 3), false, nullptr, "p.txt"),
                            NoSettings(), plainUi),
            ProjectLoadResult::Loaded);
  ASSERT_EQ(plainUi.asked.size(), 1u);
  EXPECT_EQ(plainUi.asked[0].text, IncompleteFileText("Projektdatei", "p.txt"));
}

// A named pipe given as a project is refused at once with a German message,
// instead of waiting for a writer.
TEST(ProjectLoading, ANamedPipeIsRefusedAtOnce) {
  ScratchDir dir;
  const auto pipe = dir / "p.ZPJ";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  ScriptedInteraction ui;
  auto p = MakeNewProject();
  EXPECT_EQ(LoadFromPipe<FileError>(pipe, [&] { LoadProjectFile(*p, pipe, NoSettings(), ui); }), "Datei kann nicht gelesen werden: " + Utf8FromPath(pipe) +
                               " (keine gewöhnliche Datei, sondern eine benannte Pipe (FIFO))");
  EXPECT_TRUE(ui.asked.empty());
}

// Values that overflow: a number beyond the double range loads as 0, the
// largest double and infinite values are saved as texts that load back to
// values saved the same. The first save equals the second.
TEST(ProjectFile, ValuesThatOverflowSurviveSaveLoadSave) {
  ScriptedInteraction ui;
  auto p = LoadText(ProjectText("#Header\nVersion=1008\n#General\nnChassis=2\n"
                                "#Chassis1\nLe=1E400\nRe=-1e999\nfs=1,7977E308\n"
                                "#Schallwand2\na=1E400\nb=1,7976E308"),
                    ui);
  EXPECT_EQ(p->chassis[0].Le, 0.0);
  EXPECT_EQ(p->chassis[0].Re, 0.0);
  EXPECT_EQ(p->chassis[0].fs, 0.0);  // 1,7977E308 lies beyond the double range
  EXPECT_EQ(p->baffles[1].bottomDistance, 0.0);
  EXPECT_EQ(p->baffles[1].width, 1.7976e308);

  p->chassis[1].Le = std::numeric_limits<double>::max();
  p->chassis[1].Re = -std::numeric_limits<double>::max();
  p->chassis[1].fs = std::numeric_limits<double>::infinity();
  p->baffles[0].bottomDistance = std::nan("");
  p->baffles[0].width = 999999.9996;
  auto save = [](const Project& project) {
    auto out = MyIniFile::InMemory(true);
    WriteProjectTo(project, out);
    return out.Serialize(true);
  };
  const std::string first = save(*p);
  const std::string plain = MyIniFile::FromBytes(first, true).Serialize(false);
  EXPECT_EQ(plain.find("inf"), std::string::npos);
  EXPECT_EQ(plain.find("nan"), std::string::npos);
  EXPECT_THAT(plain, ::testing::HasSubstr("Le=\t1,7976E308\r\n"));
  auto q = MakeNewProject();
  ASSERT_EQ(LoadProjectFrom(*q, MyIniFile::FromBytes(first, true), NoSettings(), ui), ProjectLoadResult::Loaded);
  EXPECT_EQ(q->chassis[1].Le, 1.7976e308);
  EXPECT_EQ(q->chassis[1].fs, 0.0);
  EXPECT_EQ(q->baffles[0].bottomDistance, 0.0);
  EXPECT_EQ(save(*q), first);
  EXPECT_TRUE(ui.asked.empty());
}

TEST(ProjectFile, FailingSaveKeepsThePreviousFile) {
  ScratchDir dir;
  const auto file = dir / "keep.ZPJ";
  auto p = MakeFullProject();
  SaveProject(*p, file);
  const std::string before = ReadBytes(file);
  p->chassis[7].outerDiameterText = std::string(26000, 'x');  // in the last chassis section: fails late
  p->chassis[0].name = "changed";
  EXPECT_THROW(SaveProject(*p, file), FileError);
  EXPECT_EQ(ReadBytes(file), before);
  EXPECT_THAT(FolderEntries(dir.Path()), ::testing::ElementsAre("keep.ZPJ"));
}

TEST(ProjectFile, SaveNames) {
  struct Case {
    const char* chosen;
    const char* saved;  // empty: not saved
  };
  for (const Case& c : {Case{"box", "box.ZPJ"}, Case{"box.zpj", "box.zpj"}, Case{"/d/box.ZPJ", "/d/box.ZPJ"},
                        Case{"", ""}, Case{".ZPJ", ""}, Case{"a.ZPJ", "a.ZPJ"}, Case{"x.txt", "x.txt.ZPJ"}}) {
    SCOPED_TRACE(c.chosen);
    const auto name = ProjectSaveName(c.chosen);
    if (std::string(c.saved).empty()) {
      EXPECT_FALSE(name.has_value());
    } else {
      ASSERT_TRUE(name.has_value());
      EXPECT_EQ(Utf8FromPath(*name), c.saved);
    }
  }
}

}  // namespace
}  // namespace sonvex
