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
using testing_files::TScratchDir;
using testing_files::WriteBytes;
using testing_files::WriteScrambled;

const TSettings& NoSettings() {
  static const TSettings s = MakeSettings("/nonexistent/");
  return s;
}

// Every value of a project set, including every enclosure type and every
// crossover part kind; fields a project file does not carry keep the values a
// loaded project gets for them.
std::unique_ptr<TProjekt> MakeFullProject() {
  auto p = MakeNewProject();
  p->nAmps = 6;
  p->nChassis = 8;
  for (int i = 0; i < 7; ++i) p->ColorSetAmps[i] = RGBColor(10 * i, 255 - i, 3 * i);
  for (int i = 0; i < 9; ++i) p->ColorSetChassis[i] = RGBColor(i, 20 * i, 200);
  for (int i = 0; i < 10; ++i) p->ColorSetRichtungen[i] = RGBColor(255, i, 7 * i);
  p->Par = {11, 80, 30, 85, 12, 9};
  p->fMin = 30;
  p->fMax = 18000;
  p->sz = 200;
  p->glatt_a = Q(0.21);
  p->glatt_i = Q(0.17);
  p->dBMin = 45;
  p->dBMax = 105.5;
  p->AfMin = 25;
  p->AfMax = 16000;
  p->ImpMax = 50;
  BuildFreqGrid(*p);
  for (int a = 0; a < kMaxAmps; ++a) {
    TVerstaerker& v = p->Verstaerker[a];
    v.Pegel = Q(0.8 + 0.1 * a);
    v.HP6 = a % 2 == 0, v.HP121 = a % 3 == 0, v.HP122 = true, v.TP6 = a == 1, v.TP121 = a > 2, v.TP122 = a == 5;
    v.HP6f = 50 + a, v.HP121f = 60 + a, v.HP122f = 70 + a, v.TP6f = 2000 + a, v.TP121f = 2500 + a, v.TP122f = 3000 + a;
    v.HP121q = Q(0.5 + 0.01 * a), v.HP122q = 0.71, v.TP121q = 0.6, v.TP122q = Q(1.3 - 0.01 * a);
    TCrossover& x = v.crossover;
    x[0]._typ = ptR, x[0]._value = Q(4.7 + a), x[0]._bem = "MOX 4,7", x[0]._bOpti = true;
    x[1]._typ = ptC, x[1]._value = Q(3.3e-6 * (a + 1)), x[1]._bem = "MKP";
    x[2]._typ = ptL, x[2]._value = Q(0.00082), x[2]._Rvalue = Q(0.35), x[2]._bem = "Luftspule 0,82mH",
    x[2]._bOpti = true;
    x[3]._typ = ptWire;
    x[90]._typ = ptChass, x[90]._chassisnr = static_cast<std::int16_t>(a), x[90]._verpolt = 1;
    x[91]._typ = ptAmp, x[91]._verpolt = -1;
    x[178 + a]._typ = ptWire, x[178 + a]._nod1 = a, x[178 + a]._nod2 = 99;
  }
  for (int c = 0; c < kMaxChassis; ++c) {
    TChassis& ch = p->Chassis[c];
    ch = MakeFullChassis(c);
    ch.typ = 0;          // not stored in project files
    ch.Membranform = 0;  // neither: the baffle carries it
    ch.hstMark = c % 2 == 1;
    TEinbau& e = p->Einbau[c];
    e.Typ = c % 5;
    e.Vb = Q(0.02 + 0.005 * c), e.fb = Q(38.5 + c), e.Vbf = Q(0.01 * c), e.fbf = Q(80.0 + c);
    e.mbQExpl = c >= 5;
    if (e.mbQExpl) {
      e.vV = 1.15, e.mb = 0.97, e.fmb = 310, e.Ql = 7, e.Qb = 40, e.vVf = 1.05, e.Qbf = 30, e.Qk = 0.2, e.Qkf = 0.1;
    } else {
      e.Bedv = static_cast<std::int8_t>(c % 5), e.Bedc = static_cast<std::int8_t>(4 - c % 5), e.Bedk = 1, e.Bedvf = 3,
      e.Bedkf = 4;
    }
    TSchallwand& w = p->Schallwand[c];
    w.beugl = c % 2 == 0, w.beugr = c % 3 == 0, w.beugo = true, w.beugu = false, w.usegemgeh = c == 2;
    w.direction = static_cast<std::int8_t>(c % 4), w.directionr = static_cast<std::int8_t>(3 - c % 4);
    w.Membranform = static_cast<std::int8_t>(c % 3);
    w.a = Q(0.2 + 0.01 * c), w.b = 0.3, w.c = 0.05, w.d = 0.01, w.e = 0.02, w.f = 0.03, w.g = 0.004, w.h = 0.5,
    w.i = 0.6;
    w.hor = -0.15, w.vert = Q(0.1 * c), w.stra = -0.3, w.horr = 0.12, w.vertr = -0.2, w.strar = -0.35;
  }
  p->GemGeh = {1.05, 0.3, 0.4, 0.01, 0.02, 0.03, 0.04};
  return p;
}

std::string ProjectText(const std::string& body) { return "## MyIniFile 1.0\n" + body + "\n"; }

std::unique_ptr<TProjekt> LoadText(const std::string& plain, TScriptedInteraction& ui, TProjectLoad* result = nullptr,
                                   const TSettings& settings = NoSettings()) {
  TScratchDir dir;
  WriteScrambled(dir / "p.ZPJ", plain);
  auto p = MakeNewProject();
  const TProjectLoad r = LoadProject(*p, dir / "p.ZPJ", settings, ui);
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
  TScratchDir dir;
  const auto original = MakeFullProject();
  SaveProject(*original, dir / "full.ZPJ");

  TScriptedInteraction ui;
  auto loaded = MakeNewProject();
  EXPECT_EQ(LoadProject(*loaded, dir / "full.ZPJ", NoSettings(), ui), TProjectLoad::Loaded);
  EXPECT_TRUE(ui.asked.empty());

  auto expected = std::make_unique<TProjekt>(*original);
  expected->bSaved = true;
  for (int c = 0; c < kMaxChassis; ++c) MatchPhases(expected->Chassis[c], loaded->Chassis[c]);
  EXPECT_EQ(Anzeige(*loaded), Anzeige(*expected));
  EXPECT_EQ(loaded->freq, expected->freq);
  for (int a = 0; a < kMaxAmps; ++a) EXPECT_EQ(loaded->Verstaerker[a], expected->Verstaerker[a]) << a;
  for (int c = 0; c < kChassisSlots; ++c) {
    EXPECT_EQ(loaded->Chassis[c], expected->Chassis[c]) << c;
    EXPECT_EQ(loaded->Einbau[c], expected->Einbau[c]) << c;
    EXPECT_EQ(loaded->Schallwand[c], expected->Schallwand[c]) << c;
  }
  EXPECT_EQ(*loaded, *expected);
}

TEST(ProjectFile, SectionsOfTheAmplifiersAndChassisInUse) {
  TScratchDir dir;
  auto p = MakeFullProject();
  p->nAmps = 2;
  p->nChassis = 3;
  SaveProject(*p, dir / "p.ZPJ");
  const std::string plain = TMyIniFile(dir / "p.ZPJ", true, false, true).Serialize(false);
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
  // Explicit enclosure values only with mbQExpl; the damping levels always.
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
  EXPECT_EQ(TMyIniFile::FromBytes(plain, false).ReadString("Chassis2", "_hst", "-"), "   ");
  EXPECT_EQ(chassis1.size() + 1, chassis2.size());
}

TEST(ProjectFile, CrossoverKeys) {
  TScratchDir dir;
  auto p = MakeNewProject();
  TCrossover& x = p->Verstaerker[0].crossover;
  x[0]._typ = ptC, x[0]._value = 4.7e-6, x[0]._bem = "MKP";
  x[5]._typ = ptL, x[5]._value = 0.001, x[5]._Rvalue = 0.4, x[5]._bOpti = true;
  x[36]._typ = ptChass, x[36]._chassisnr = 0, x[36]._verpolt = 2;
  x[37]._typ = ptAmp, x[37]._verpolt = -1;
  x[40]._typ = ptWire;
  x[180]._typ = ptWire, x[180]._nod1 = 12, x[180]._nod2 = 99;
  SaveProject(*p, dir / "x.ZPJ");
  const std::string plain = TMyIniFile(dir / "x.ZPJ", true, false, true).Serialize(false);
  EXPECT_THAT(Lines(plain, "Weiche1"),
              ::testing::ElementsAre("_Part1_typ", "_Part1_value", "_Part1_bem", "_Part6_typ", "_Part6_bOpti",
                                     "_Part6_value", "_Part6_bem", "_Part6_Rvalue", "_Part37_typ", "_Part37_verpolt",
                                     "_Part37_chassisnr", "_Part38_typ", "_Part38_verpolt", "_Part41_typ",
                                     "_Part181_typ", "_Part181_nod1", "_Part181_nod2"));
  const TMyIniFile ini = TMyIniFile::FromBytes(plain, false);
  EXPECT_EQ(ini.ReadString("Weiche1", "_Part1_value", "-"), "4,7E-6");
  EXPECT_EQ(ini.ReadString("Weiche1", "_Part181_typ", "-"), "1");
  EXPECT_EQ(ini.ReadString("Weiche1", "_Part181_nod2", "-"), "99");
}

TEST(ProjectFile, CrossoverReadingGivesNeutralValues) {
  TScriptedInteraction ui;
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
  const TCrossover& x = p->Verstaerker[0].crossover;
  const TCrossover empty = EmptyCrossover();
  EXPECT_EQ(x[0]._typ, ptC);
  EXPECT_EQ(x[0]._verpolt, 0);  // not read below type 5
  EXPECT_EQ(x[0]._chassisnr, 0);
  EXPECT_EQ(x[0]._Rvalue, 0);
  EXPECT_EQ(x[0]._value, 1.0);
  EXPECT_EQ(x[0]._bem, "ABCDEFGHIJKLMNOP");  // cut to 16 characters
  EXPECT_EQ(x[1]._value, 1.0);
  EXPECT_EQ(x[2]._value, 1.0);
  EXPECT_TRUE(x[2]._bem.Empty());
  EXPECT_EQ(x[2]._chassisnr, 7);
  EXPECT_EQ(x[3], empty[3]);  // an unknown type code reads as an empty slot
  // Grid slots keep the nodes of their position; free wires read theirs only as wires.
  EXPECT_EQ(x[5]._nod1, empty[5]._nod1);
  EXPECT_EQ(x[5]._nod2, empty[5]._nod2);
  EXPECT_EQ(x[6], empty[6]);
  EXPECT_EQ(x[180]._nod1, 0);
  EXPECT_EQ(x[181]._nod1, 7);
  EXPECT_EQ(x[181]._nod2, 99);
  EXPECT_EQ(x[182]._typ, ptL);
  EXPECT_EQ(x[182]._nod1, 0);
  EXPECT_EQ(p->Verstaerker[1].crossover[0]._verpolt, 1);
  for (int a = 2; a < kMaxAmps; ++a) EXPECT_EQ(p->Verstaerker[a].crossover, empty) << a;
}

TEST(ProjectFile, DisplayOptionCorrectionsAndSmoothingOfOlderVersions) {
  struct Case {
    int version;
    const char* option;
    double fMin, fMax;
    int sz;
    double glatt_a, glatt_i;
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
    TScriptedInteraction ui;
    const auto p = LoadText(
        ProjectText("#Header\nVersion=" + std::to_string(c.version) + "\n#Option\n" + std::string(c.option)), ui);
    EXPECT_DOUBLE_EQ(p->fMin, c.fMin);
    EXPECT_DOUBLE_EQ(p->fMax, c.fMax);
    EXPECT_EQ(p->sz, c.sz);
    EXPECT_NEAR(p->glatt_a, c.glatt_a, 1e-12);
    EXPECT_NEAR(p->glatt_i, c.glatt_i, 1e-12);
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
    TScriptedInteraction ui;
    const auto p = LoadText(
        ProjectText("#Header\nVersion=" + std::to_string(c.version) + "\n#Chassis1\n" + std::string(c.keys)), ui);
    EXPECT_EQ(p->Chassis[0].fgang_which, c.which);
    EXPECT_NEAR(p->Chassis[0].FgangAP[0], c.acoustic, 1e-6);
    if (c.version == 1008) {
      EXPECT_EQ(p->Chassis[0].typ, 65537u);
      EXPECT_EQ(p->Chassis[0].Membranform, 0);
    }
    // Project defaults of the voice-coil sections.
    EXPECT_EQ(p->Chassis[0].Re2, 0.001);
    EXPECT_EQ(p->Chassis[0].Re3, 0.001);
    EXPECT_EQ(p->Chassis[0].Le2, 0.000001);
    EXPECT_EQ(p->Chassis[0].Le3, 0.000001);
  }
}

TEST(ProjectFile, Version1000) {
  TScriptedInteraction ui;
  const std::string chassis = "fs=50\nRe=6\nQes=0,5\nQms=4\n";
  const auto p = LoadText(ProjectText("#Header\nVersion=1000\n#General\nnChassis=2\n#Chassis1\n" + chassis +
                                      "#Chassis2\n" + chassis + "#Chassis3\n" + chassis),
                          ui);
  EXPECT_DOUBLE_EQ(p->Chassis[0].derived.Rms, 48);
  EXPECT_DOUBLE_EQ(p->Chassis[1].derived.Rms, 48);
  EXPECT_EQ(p->Chassis[2].derived.Rms, 0);  // not in use: no derivation
  EXPECT_FALSE(p->Schallwand[0].usegemgeh);
  EXPECT_FALSE(p->Schallwand[1].usegemgeh);
  EXPECT_TRUE(p->Schallwand[2].usegemgeh);  // not read: as before
  EXPECT_TRUE(ui.asked.empty());
}

TEST(ProjectFile, RejectedVersionsLeaveTheProjectUnchanged) {
  TScratchDir dir;
  const auto before = MakeFullProject();
  for (const char* body : {"#Header\nVersion=999", "#Header\nVersion=1009", "#General\nnAmps=2"}) {
    SCOPED_TRACE(body);
    WriteScrambled(dir / "v.ZPJ", ProjectText(body));
    TScriptedInteraction ui;
    auto p = std::make_unique<TProjekt>(*before);
    EXPECT_EQ(LoadProject(*p, dir / "v.ZPJ", NoSettings(), ui), TProjectLoad::WrongVersion);
    EXPECT_EQ(*p, *before);
    ASSERT_EQ(ui.asked.size(), 1u);
    EXPECT_EQ(ui.asked[0].text, "Datei hat falsches Datenformat.");
  }
}

TEST(ProjectFile, MissingEmptyOrForeignFileGivesTheDefaultProject) {
  TScratchDir dir;
  auto expected = MakeNewProject();
  expected->bSaved = true;
  WriteBytes(dir / "empty.ZPJ", "");
  WriteBytes(dir / "plain.ZPJ", "## MyIniFile 1.0\r\n#Header\r\nVersion=\t1008\r\n");
  struct Case {
    const char* name;
    TProjectLoad result;
    std::size_t messages;
  };
  for (const Case& c : {Case{"missing.ZPJ", TProjectLoad::Defaults, 0}, Case{"empty.ZPJ", TProjectLoad::Defaults, 0},
                        Case{"plain.ZPJ", TProjectLoad::BadHeader, 1}}) {
    SCOPED_TRACE(c.name);
    auto p = MakeFullProject();
    p->nChassis = 1;  // the enclosures and baffles of slots 2..8 are not read: keep them as new
    for (int s = 1; s < kChassisSlots; ++s) {
      p->Einbau[s] = expected->Einbau[s];
      p->Schallwand[s] = expected->Schallwand[s];
    }
    p->Chassis[8] = expected->Chassis[8];
    p->freq = expected->freq;  // grid entries beyond the last point keep what they held
    // The enclosure of slot 1 keeps its explicit values (damping levels read).
    p->Einbau[0] = expected->Einbau[0];
    TScriptedInteraction ui;
    EXPECT_EQ(LoadProject(*p, dir / c.name, NoSettings(), ui), c.result);
    EXPECT_EQ(ui.asked.size(), c.messages);
    EXPECT_EQ(*p, *expected);
  }
}

TEST(ProjectFile, FieldsTheFileDoesNotCoverKeepTheirValues) {
  TScriptedInteraction ui;
  auto p = MakeFullProject();
  const auto before = std::make_unique<TProjekt>(*p);
  TScratchDir dir;
  WriteScrambled(dir / "p.ZPJ", ProjectText("#Header\nVersion=1008\n#General\nnChassis=6\n"
                                            "#Einbau1\nmbQExpl=1\nBedv=4\n#Einbau2\nmbQExpl=0\nvV=3\n"
                                            "#Chassis9\nName=never read\n#Einbau7\nTyp=2"));
  LoadProject(*p, dir / "p.ZPJ", NoSettings(), ui);
  EXPECT_EQ(p->Chassis[8], before->Chassis[8]);
  EXPECT_EQ(p->Einbau[6], before->Einbau[6]);  // slot 7 lies above nChassis
  EXPECT_EQ(p->Schallwand[7], before->Schallwand[7]);
  EXPECT_TRUE(p->Einbau[0].mbQExpl);
  EXPECT_EQ(p->Einbau[0].Bedv, before->Einbau[0].Bedv);  // damping levels are not read with explicit values
  EXPECT_EQ(p->Einbau[0].vV, 1.0);
  EXPECT_EQ(p->Einbau[1].vV, before->Einbau[1].vV);  // explicit values are not read with damping levels
  EXPECT_EQ(p->Einbau[1].Bedv, 2);
}

TEST(ProjectFile, CountsBeyondTheSlotsAreClamped) {
  for (const auto& [text, amps, chassis] :
       {std::tuple{"nAmps=9\nnChassis=20", 6, 8}, std::tuple{"nAmps=0\nnChassis=-3", 1, 1},
        std::tuple{"nAmps=3\nnChassis=5", 3, 5}}) {
    TScriptedInteraction ui;
    const auto p = LoadText(ProjectText(std::string("#Header\nVersion=1008\n#General\n") + text), ui);
    EXPECT_EQ(p->nAmps, amps) << text;
    EXPECT_EQ(p->nChassis, chassis) << text;
  }
}

TEST(ProjectFile, SavedDisplayDefaultsReplaceTheFilesOptions) {
  TSettings s = MakeSettings("/nonexistent/");
  s.UseOption = true;
  s.displayDefaults.fMin = 50;
  s.displayDefaults.fMax = 10000;
  s.displayDefaults.sz = 200;
  s.displayDefaults.dBMin = 30;
  TScriptedInteraction ui;
  const auto p =
      LoadText(ProjectText("#Header\nVersion=1008\n#Option\nfMin=20\nfMax=20000\nsz=126\ndBMin=60"), ui, nullptr, s);
  EXPECT_EQ(Anzeige(*p), s.displayDefaults);
  EXPECT_DOUBLE_EQ(p->freq[0], 50);
  EXPECT_NEAR(p->freq[199], 10000, 1e-6);
  EXPECT_EQ(p->freq[200], 0.0);
}

TEST(ProjectLoading, MissingPlainAndScrambledFiles) {
  TScratchDir dir;
  TScriptedInteraction ui;
  auto p = MakeFullProject();
  const auto before = std::make_unique<TProjekt>(*p);
  EXPECT_EQ(LoadProjectFile(*p, dir / "none.ZPJ", NoSettings(), ui), TProjectLoad::Missing);
  EXPECT_EQ(*p, *before);
  EXPECT_TRUE(ui.asked.empty());

  // A plain-text project is refused and the new project takes its place.
  WriteBytes(dir / "plain.ZPJ", "## MyIniFile 1.0\r\n#Header\r\nVersion=\t1008\r\n");
  EXPECT_EQ(LoadProjectFile(*p, dir / "plain.ZPJ", NoSettings(), ui), TProjectLoad::NotProjectFile);
  EXPECT_EQ(*p, *MakeNewProject());
  ASSERT_EQ(ui.asked.size(), 1u);
  EXPECT_EQ(ui.asked[0].text,
            Utf8FromPath(dir / "plain.ZPJ") + "\rist keine gültige Projektdatei dieser Version von Sonvex.");
  WriteBytes(dir / "empty.ZPJ", "");
  EXPECT_EQ(LoadProjectFile(*p, dir / "empty.ZPJ", NoSettings(), ui), TProjectLoad::NotProjectFile);

  // A saved project: loaded, then the enclosure losses estimated and the
  // derived values computed for every chassis slot 0..7.
  SaveProject(*before, dir / "full.ZPJ");
  ui.asked.clear();
  EXPECT_EQ(LoadProjectFile(*p, dir / "full.ZPJ", NoSettings(), ui), TProjectLoad::Loaded);
  EXPECT_TRUE(ui.asked.empty());
  auto q = MakeNewProject();
  LoadProject(*q, dir / "full.ZPJ", NoSettings(), ui);
  for (int c = 0; c < kMaxChassis; ++c) {
    EstimateEnclosureLosses(q->Chassis[c], q->Einbau[c]);
    DeriveChassisValues(q->Chassis[c], q->Einbau[c], 1e-10);
    EXPECT_GT(p->Chassis[c].derived.Cms, 0) << c;
  }
  EXPECT_EQ(*p, *q);
  EXPECT_NE(p->Einbau[1], before->Einbau[1]);  // estimated from its damping levels
  EXPECT_EQ(p->Einbau[6], before->Einbau[6]);  // explicit values stay
}

// A project file cut short loads what it holds, with a warning naming the
// file; the result stays Loaded (a warning, not an error).
TEST(ProjectLoading, AFileCutShortLoadsWithAWarning) {
  TScratchDir dir;
  const std::string shipped = ReadBytes(std::filesystem::path(SONVEX_DATA_DIR) / "Projekte" / "Default.ZPJ");
  const auto file = dir / "Default.ZPJ";
  WriteBytes(file, shipped);
  TScriptedInteraction ui;
  auto whole = MakeNewProject();
  EXPECT_EQ(LoadProjectFile(*whole, file, NoSettings(), ui), TProjectLoad::Loaded);
  EXPECT_TRUE(ui.asked.empty());

  for (std::size_t cut : {std::size_t{1}, std::size_t{11}, shipped.size() / 2}) {
    SCOPED_TRACE(cut);
    WriteBytes(file, std::string_view(shipped).substr(0, shipped.size() - cut));
    TScriptedInteraction cutUi;
    auto p = MakeNewProject();
    EXPECT_EQ(LoadProjectFile(*p, file, NoSettings(), cutUi), TProjectLoad::Loaded);
    ASSERT_EQ(cutUi.asked.size(), 1u);
    EXPECT_EQ(cutUi.asked[0].kind, "message");
    EXPECT_EQ(cutUi.asked[0].text, IncompleteFileText("Projektdatei", file));
    EXPECT_THAT(cutUi.asked[0].text, ::testing::StartsWith("Die Projektdatei ist unvollständig"));
    EXPECT_THAT(cutUi.asked[0].text, ::testing::HasSubstr(Utf8FromPath(file)));
  }

  // The plain form: a last line without its line end.
  const std::string plain = TMyIniFile::FromBytes(shipped, true).Serialize(false);
  ASSERT_EQ(plain.substr(plain.size() - 2), "\r\n");
  TScriptedInteraction plainUi;
  auto p = MakeNewProject();
  EXPECT_EQ(LoadProjectFrom(*p, TMyIniFile::FromBytes(plain, false), NoSettings(), plainUi), TProjectLoad::Loaded);
  EXPECT_TRUE(plainUi.asked.empty());
  EXPECT_EQ(LoadProjectFrom(*p, TMyIniFile::FromBytes(plain.substr(0, plain.size() - 3), false, nullptr, "p.txt"),
                            NoSettings(), plainUi),
            TProjectLoad::Loaded);
  ASSERT_EQ(plainUi.asked.size(), 1u);
  EXPECT_EQ(plainUi.asked[0].text, IncompleteFileText("Projektdatei", "p.txt"));
}

// A named pipe given as a project is refused at once with a German message,
// instead of waiting for a writer.
TEST(ProjectLoading, ANamedPipeIsRefusedAtOnce) {
  TScratchDir dir;
  const auto pipe = dir / "p.ZPJ";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  TScriptedInteraction ui;
  auto p = MakeNewProject();
  EXPECT_EQ(LoadFromPipe<TFileError>(pipe, [&] { LoadProjectFile(*p, pipe, NoSettings(), ui); }), "Datei kann nicht gelesen werden: " + Utf8FromPath(pipe) +
                               " (keine gewöhnliche Datei, sondern eine benannte Pipe (FIFO))");
  EXPECT_TRUE(ui.asked.empty());
}

// Values that overflow: a number beyond the double range loads as 0, the
// largest double and infinite values are saved as texts that load back to
// values saved the same. The first save equals the second.
TEST(ProjectFile, ValuesThatOverflowSurviveSaveLoadSave) {
  TScriptedInteraction ui;
  auto p = LoadText(ProjectText("#Header\nVersion=1008\n#General\nnChassis=2\n"
                                "#Chassis1\nLe=1E400\nRe=-1e999\nfs=1,7977E308\n"
                                "#Schallwand2\na=1E400\nb=1,7976E308"),
                    ui);
  EXPECT_EQ(p->Chassis[0].Le, 0.0);
  EXPECT_EQ(p->Chassis[0].Re, 0.0);
  EXPECT_EQ(p->Chassis[0].fs, 0.0);  // 1,7977E308 lies beyond the double range
  EXPECT_EQ(p->Schallwand[1].a, 0.0);
  EXPECT_EQ(p->Schallwand[1].b, 1.7976e308);

  p->Chassis[1].Le = std::numeric_limits<double>::max();
  p->Chassis[1].Re = -std::numeric_limits<double>::max();
  p->Chassis[1].fs = std::numeric_limits<double>::infinity();
  p->Schallwand[0].a = std::nan("");
  p->Schallwand[0].b = 999999.9996;
  auto save = [](const TProjekt& project) {
    auto out = TMyIniFile::InMemory(true);
    WriteProjectTo(project, out);
    return out.Serialize(true);
  };
  const std::string first = save(*p);
  const std::string plain = TMyIniFile::FromBytes(first, true).Serialize(false);
  EXPECT_EQ(plain.find("inf"), std::string::npos);
  EXPECT_EQ(plain.find("nan"), std::string::npos);
  EXPECT_THAT(plain, ::testing::HasSubstr("Le=\t1,7976E308\r\n"));
  auto q = MakeNewProject();
  ASSERT_EQ(LoadProjectFrom(*q, TMyIniFile::FromBytes(first, true), NoSettings(), ui), TProjectLoad::Loaded);
  EXPECT_EQ(q->Chassis[1].Le, 1.7976e308);
  EXPECT_EQ(q->Chassis[1].fs, 0.0);
  EXPECT_EQ(q->Schallwand[0].a, 0.0);
  EXPECT_EQ(save(*q), first);
  EXPECT_TRUE(ui.asked.empty());
}

TEST(ProjectFile, FailingSaveKeepsThePreviousFile) {
  TScratchDir dir;
  const auto file = dir / "keep.ZPJ";
  auto p = MakeFullProject();
  SaveProject(*p, file);
  const std::string before = ReadBytes(file);
  p->Chassis[7]._Da = std::string(26000, 'x');  // in the last chassis section: fails late
  p->Chassis[0].Name = "changed";
  EXPECT_THROW(SaveProject(*p, file), TFileError);
  EXPECT_EQ(ReadBytes(file), before);
  EXPECT_THAT(FolderEntries(dir.path()), ::testing::ElementsAre("keep.ZPJ"));
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
