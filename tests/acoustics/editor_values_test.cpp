// Conversions and texts of the chassis editor and the common cabinet that
// need no window: units, derived-value labels, the chassis file name rule,
// level shifts and imports, help texts, and the cabinet entries.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cmath>
#include <limits>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "acoustics/cabinet.h"
#include "acoustics/editor_values.h"
#include "acoustics/enclosure.h"
#include "model/interaction.h"
#include "model/measurement_import.h"
#include "model/number_text.h"
#include "support/scripted_interaction.h"

namespace sonvex {
namespace {

namespace fs = std::filesystem;

TEST(EditorUnits, FieldsShowDisplayUnitsAndReadBackSi) {
  struct Case {
    double record;
    double factor;
    const char* text;
  };
  const Case cases[] = {
      {0.028, kLitre, "28"},       // Vas, Vb [Liter]
      {0.0133, kSquareCm, "133"},  // Sd [cm²]
      {0.004, kMilli, "4"},        // xlin [mm]
      {0.0006, kMilli, "0,6"},     // Le [mH]
      {0.215, kCm, "21,5"},        // baffle [cm]
      {38, 1, "38"},               // fs
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FieldText(c.record, c.factor), c.text);
    EXPECT_NEAR(FieldValue(c.text, c.factor), c.record, 1e-15) << c.text;
  }
  // a point is read as well as a comma
  EXPECT_NEAR(FieldValue("21.5", kCm), 0.215, 1e-15);
  // phases: degrees in the grid, radians in the record
  EXPECT_NEAR(PhaseValue("-45"), -0.78539816339744830962, 1e-15);
  EXPECT_EQ(PhaseText(-0.78539816339744830962), "-45");
  EXPECT_EQ(PhaseText(3.14159265358979323846 / 2), "90");
}

double LabelNumber(const std::string& text, const std::string& prefix) {
  EXPECT_EQ(text.rfind(prefix, 0), 0u) << text;
  return static_cast<double>(StrToFloatLenient(std::string_view(text).substr(prefix.size())));
}

// A field reads as 0 both for "0" and for a text without a number; only the
// second is pointed out to the user.
TEST(EditorUnits, FieldHoldsNumberTellsANumberFromNone) {
  for (const char* text : {"0", "2,83V", " 12", "-0,5", "+7", ".25", ",5", "$ff", "$.8", "&101", "-&1", "0x10", "00"})
    EXPECT_TRUE(FieldHoldsNumber(text)) << text;
  for (const char* text : {"", "   ", "abc", "-", "+", "$", "$FF", "&", "&2", ",", "-,", "e5", "x1", "- 1"}) {
    EXPECT_FALSE(FieldHoldsNumber(text)) << text;
    EXPECT_EQ(FieldValue(text), 0.0) << text;  // what the mark says
  }
  // A number beyond the double range reads as 0 too, and is marked: a record
  // must not take an infinite value, which its file would give back as 0.
  for (const char* text : {"1e999", "-1,5e400", "1e309"}) {
    EXPECT_TRUE(FieldNumberTooLarge(text)) << text;
    EXPECT_EQ(FieldValue(text, kCm), 0.0) << text;
    EXPECT_EQ(PhaseValue(text), 0.0) << text;
  }
  for (const char* text : {"1e300", "-1,7e308", "abc", "0"}) EXPECT_FALSE(FieldNumberTooLarge(text)) << text;
  EXPECT_DOUBLE_EQ(FieldValue("1e300", kCm), 1e298);
}

TEST(DerivedValueLabels, KnownChassisInAClosedBox) {
  // fs 38 Hz, Qes 0,42, Qms 3,1, Vas 28 l, Re 5,8 Ohm, Sd 133 cm² in 28 l
  // closed (vV 1, mb 1, Ql 10): the box doubles the stiffness, fc = fs·√2.
  Chassis c = DefaultChassis();
  c.fs = 38;
  c.Qes = 0.42;
  c.Qms = 3.1;
  c.Vas = 0.028;
  c.Re = 5.8;
  c.Sd = 0.0133;
  Enclosure e;
  e.type = 1;
  e.Vb = 0.028;
  e.volumeFactor = 1;
  e.airMassFactor = 1;
  e.Ql = 10;
  DeriveChassisValues(c, e, 1e-10);
  const auto labels = DerivedValueLabels(c.derived);
  ASSERT_EQ(labels.size(), 27u);
  auto find = [&](const std::string& key) -> const DerivedValueLabel& {
    for (const DerivedValueLabel& l : labels)
      if (l.key == key) return l;
    ADD_FAILURE() << key;
    return labels.front();
  };
  const double twoPiFs = 2 * 3.14159265358979323846 * 38;
  const double cmd = 7.21e-6 * 0.028 / (0.0133 * 0.0133);
  // Cms = Qes / (2π fs Re) = 303,3 µF; Lms = Re / (2π fs Qes) = 57,84 mH
  EXPECT_NEAR(LabelNumber(find("Cms").text, "Cms = "), 0.42 / (twoPiFs * 5.8) * 1e6, 0.01);
  EXPECT_NEAR(LabelNumber(find("Lms").text, "Lms = "), 5.8 / (twoPiFs * 0.42) * 1e3, 0.01);
  EXPECT_NEAR(LabelNumber(find("fc").text, "fc  = "), 38 * std::sqrt(2.0), 0.01);
  EXPECT_NEAR(LabelNumber(find("Qec").text, "Qec = "), 0.42 * std::sqrt(2.0), 0.001);
  EXPECT_NEAR(LabelNumber(find("Qts").text, "Qts = "), 0.42 * 3.1 / 3.52, 0.001);
  EXPECT_NEAR(LabelNumber(find("Vab").text, "Vab = "), 28, 1e-9);
  EXPECT_NEAR(LabelNumber(find("Cmd").text, "Cmd = "), cmd * 1e3, 1e-4);
  EXPECT_NEAR(LabelNumber(find("Mmd").text, "Mmd = "), 1 / (twoPiFs * twoPiFs * cmd) * 1e3, 0.01);
  // Lab = Vab/Vas · Lms with Vab = Vas
  EXPECT_NEAR(LabelNumber(find("Lab").text, "Lab = "), 5.8 / (twoPiFs * 0.42) * 1e3, 0.01);
  // units and widths
  EXPECT_EQ(find("Cms").text.substr(find("Cms").text.size() - 4), " µF");
  EXPECT_EQ(find("Mmd").text.substr(find("Mmd").text.size() - 6), " Gramm");
  EXPECT_EQ(find("SPL").text.substr(find("SPL").text.size() - 9), " dB/2,83V");
  EXPECT_EQ(find("Qts").text, "Qts = " + FormatNumber(c.derived.Qts, 6));
  EXPECT_EQ(find("fsbg").text, "fsbg = 38 Hz");
  // placeholders keep the prefix and show "?"
  for (const DerivedValueLabel& l : labels) EXPECT_EQ(l.placeholder.back(), '?') << l.key;
  EXPECT_EQ(find("fc").placeholder, "fc  = ?");
  EXPECT_EQ(find("Labf").placeholder, "Labf= ?");
}

TEST(DerivedValueLabels, ValuesNoBoxCanHaveShowADash) {
  // the values an enclosure page showed as "1,E105 mH" and "fc = 3,E100 Hz"
  ChassisDerived d;
  d.Lab = 1e102;  // H, shown in mH
  d.fc = 3e100;
  d.Qtc = std::numeric_limits<double>::infinity();
  d.Vab = std::numeric_limits<double>::quiet_NaN();
  d.Cms = 303e-6;  // 303 µF stays a number
  d.Cbr = -2e-6;   // a negative value is shown as it is
  const auto labels = DerivedValueLabels(d);
  auto text = [&](const std::string& key) {
    for (const DerivedValueLabel& l : labels)
      if (l.key == key) return l.text;
    ADD_FAILURE() << key;
    return std::string();
  };
  EXPECT_EQ(text("Lab"), "Lab = –");
  EXPECT_EQ(text("fc"), "fc  = –");
  EXPECT_EQ(text("Qtc"), "Qtc = –");
  EXPECT_EQ(text("Vab"), "Vab = –");
  EXPECT_EQ(text("Cms"), "Cms = " + FormatNumber(303, 7) + " µF");
  EXPECT_EQ(text("Cbr"), "Cbr = " + FormatNumber(-2, 7) + " µF");
}

TEST(ChassisSaveName, EndsInUpperCaseZch) {
  const std::pair<const char*, const char*> cases[] = {
      {"/tmp/box.zch", "/tmp/box.ZCH"},     {"/tmp/box", "/tmp/box.ZCH"},
      {"/tmp/box.ZCH", "/tmp/box.ZCH"},     {"/tmp/box.Zch", "/tmp/box.ZCH"},
      {"/tmp/box.txt", "/tmp/box.txt.ZCH"}, {"/tmp/Hochtöner.zch", "/tmp/Hochtöner.ZCH"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(ChassisSaveName(fs::path(in)).string(), out);
}

TEST(AcousticDiameter, CircleOfTheDiaphragmAreaLessATenthOfAPercent) {
  // 133 cm² is a circle of 13,01 cm
  EXPECT_NEAR(AcousticDiameter(0.0133), std::sqrt(0.0133 * 4 / 3.14159265358979323846) * 0.999, 1e-15);
  EXPECT_NEAR(AcousticDiameter(0.0133), 0.1300, 1e-4);
  EXPECT_EQ(AcousticDiameter(0), 0);
  EXPECT_EQ(AcousticDiameter(-1), 0);
}

TEST(LevelShift, ShiftsEveryPointUpToTheListEnd) {
  Chassis c = DefaultChassis();
  c.measuredAmplitudeFreq[0] = 100;
  c.measuredAmplitude[0] = 85;
  c.measuredAmplitudeFreq[1] = 200;
  c.measuredAmplitude[1] = 86;
  c.measuredAmplitude[2] = 50;  // behind the end of the list
  ShiftLevels(c, -2.5);
  EXPECT_EQ(c.measuredAmplitude[0], 82.5);
  EXPECT_EQ(c.measuredAmplitude[1], 83.5);
  EXPECT_EQ(c.measuredAmplitude[2], 50);

  ScriptedInteraction ui;
  ui.edits.push_back(std::vector<std::string>{"1,5"});
  EXPECT_TRUE(AskLevelShift(c, ui));
  EXPECT_EQ(c.measuredAmplitude[0], 84);
  ASSERT_EQ(ui.asked.size(), 1u);
  EXPECT_EQ(ui.asked[0].text, "Pegeländerung");
  EXPECT_EQ(ui.asked[0].options, "Meßdaten im Pegel ändern [dB] %d");
  ui.edits.push_back(std::nullopt);  // cancelled
  EXPECT_FALSE(AskLevelShift(c, ui));
  EXPECT_EQ(c.measuredAmplitude[0], 84);
}

class LevelImport : public ::testing::Test {
 protected:
  void SetUp() override {
    // The process id keeps parallel runs of the suite (other worktrees) apart.
    dir_ = fs::temp_directory_path() /
          (std::string("sonvex_level_import_") + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
           std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
    return dir_ / name;
  }
  fs::path dir_;
  ScriptedInteraction ui_;
  std::unique_ptr<Chassis> c_ = std::make_unique<Chassis>(DefaultChassis());
};

TEST_F(LevelImport, AnsweringEightySevenRaisesEveryLevelByThreeDecibels) {
  const fs::path file = Write("tmt.frd", "100\t85,2\t-45\n200\t86\t-50\n400\t84,5\t-60\n");
  ui_.buttons = {1};
  ui_.files.push_back(file);
  ui_.edits.push_back(std::vector<std::string>{"87"});
  ASSERT_TRUE(ImportFrequencyResponseWithLevel(*c_, ui_, dir_));
  EXPECT_NEAR(c_->measuredAmplitude[0], 88.2, 1e-12);
  EXPECT_NEAR(c_->measuredAmplitude[1], 89, 1e-12);
  EXPECT_NEAR(c_->measuredAmplitude[2], 87.5, 1e-12);
  EXPECT_EQ(c_->measuredAmplitudeFreq[3], 0);
  EXPECT_NEAR(c_->measuredAcousticPhase[0], -45 * 3.1415926 / 180, 1e-12);
  ASSERT_FALSE(ui_.asked.empty());
  EXPECT_EQ(ui_.asked.back().kind, "edit");
  EXPECT_EQ(ui_.asked.back().text, "Pegelanpassung");
  EXPECT_EQ(ui_.asked.back().options, "Welcher Wert in der Datei entspricht 90dB/2,83V/m? %d");
}

TEST_F(LevelImport, CancelledQuestionKeepsTheFileLevelsAndAPhaseFileAsksNothing) {
  ui_.buttons = {1};
  ui_.files.push_back(Write("tmt.frd", "100\t85,2\t-45\n"));
  ui_.edits.push_back(std::nullopt);
  ASSERT_TRUE(ImportFrequencyResponseWithLevel(*c_, ui_, dir_));
  EXPECT_NEAR(c_->measuredAmplitude[0], 85.2, 1e-12);

  // A single column of phases: the levels stay, nobody is asked about them.
  ui_.asked.clear();
  ui_.buttons = {1, 1};  // introduction, "Daten sind Phasengang"
  ui_.files.push_back(Write("phase.txt", "100 -150\n200 170\n"));
  ASSERT_TRUE(ImportFrequencyResponseWithLevel(*c_, ui_, dir_));
  EXPECT_NEAR(c_->measuredAmplitude[0], 85.2, 1e-12);
  EXPECT_EQ(c_->measuredAmplitudeFreq[1], 0);
  EXPECT_NEAR(c_->measuredAcousticPhase[1], 170 * 3.1415926 / 180, 1e-12);
  for (const auto& q : ui_.asked) EXPECT_NE(q.kind, "edit");

  // Cancelling the introduction changes nothing.
  const auto before = std::make_unique<Chassis>(*c_);
  ui_.buttons = {2};
  EXPECT_FALSE(ImportFrequencyResponseWithLevel(*c_, ui_, dir_));
  EXPECT_TRUE(*c_ == *before);
}

TEST_F(LevelImport, RealWorldFilesWithCommentsAndManyPoints) {
  // 1200 points 10 Hz .. 40 kHz, "*" comment lines, blank separated, CR LF;
  // level 80 dB + 2 dB per octave, phase -30°.
  ui_.buttons = {1};
  ui_.files.push_back(fs::path(SONVEX_TEST_DATA) / "import" / "tweeter_1200.frd");
  ui_.edits.push_back(std::vector<std::string>{"90"});
  ASSERT_TRUE(ImportFrequencyResponseWithLevel(*c_, ui_, dir_));
  bool reduced = false;
  for (const auto& q : ui_.asked)
    if (q.kind == "message" && q.text == "Die Datei enthält 1200 Datensätze. Es werden max. 600ausgesucht.")
      reduced = true;
  EXPECT_TRUE(reduced);
  int n = 0;
  while (n < kFreqEntries && c_->measuredAmplitudeFreq[n] > 0) ++n;
  // Neighbours are merged in pairs until fewer than 600 remain: 1200 points
  // take two walks and end near 300.
  EXPECT_LT(n, 600);
  EXPECT_GT(n, 250);
  EXPECT_EQ(c_->measuredAmplitudeFreq[0], 10);
  EXPECT_EQ(c_->measuredAmplitude[0], 80);
  EXPECT_GT(c_->measuredAmplitudeFreq[n - 1], 39000);
  for (int k = 0; k < n; ++k) {
    EXPECT_NEAR(c_->measuredAmplitude[k], 80 + 2 * std::log2(c_->measuredAmplitudeFreq[k] / 10), 0.01) << k;
    EXPECT_NEAR(c_->measuredAcousticPhase[k], -30 * 3.1415926 / 180, 1e-9) << k;
    if (k > 0) {
      EXPECT_GT(c_->measuredAmplitudeFreq[k], c_->measuredAmplitudeFreq[k - 1]);
    }
  }

  // 1100 impedance points, TAB separated, no line break after the last line.
  ui_.asked.clear();
  ui_.buttons = {1};
  ui_.files.push_back(fs::path(SONVEX_TEST_DATA) / "import" / "woofer_1100.zma");
  ASSERT_TRUE(ImportImpedanceResponse(*c_, ui_, dir_));
  n = 0;
  while (n < kFreqEntries && c_->measuredImpedanceFreq[n] > 0) ++n;
  EXPECT_LT(n, 600);
  EXPECT_EQ(c_->measuredImpedanceFreq[0], 5);
  EXPECT_NEAR(c_->measuredImpedance[0], 6.0072, 1e-12);
  EXPECT_GT(c_->measuredImpedanceFreq[n - 1], 29000);
  for (int k = 0; k < n; ++k) EXPECT_NEAR(c_->measuredImpedance[k], 6 + 0.002 * std::pow(c_->measuredImpedanceFreq[k], 0.8), 0.05) << k;
}

TEST(FitQuestion, ListsTheFiveValuesInDisplayUnits) {
  Chassis c = DefaultChassis();
  c.Le = 0.00045;
  c.Re2 = 3.2;
  c.Le2 = 0.0012;
  c.Re3 = 12.5;
  c.Le3 = 0.0031;
  EXPECT_EQ(FitResultQuestion(c),
            "Es wurde errechnet:\r\nLe  = 0,45 mH\r\nRe2 = 3,2 Ohm\r\nLe2 = 1,2 mH\r\nRe3 = 12,5 Ohm\r\n"
            "Le3 = 3,1 mH\r\nSollen die Werte übernommen werden?");
}

TEST(HelpTexts, AirLoadSuggestionsFollowTheChassisAndTheVolume) {
  // 133 cm², 15 g: x = 0,0133·0,5/0,015 = 0,4433
  const double x = 0.0133 * 0.5 / 0.015;
  const HelpText h = AirLoadHelp(0.0133, 0.015, 0.03);
  EXPECT_EQ(h.title, "Luftlastfaktor");
  EXPECT_NE(h.text.find("mb = " + FormatNumber(std::pow(0.94, x), 5) + " bei wenig Dämmmaterial\rmb = " +
                        FormatNumber(std::pow(0.9, x), 5) + " bei viel Dämmmaterial in der Box"),
            std::string::npos);
  // 344 / (1,6 · 0,03^0,33333) = 691 Hz
  EXPECT_NE(h.text.find("Schätzwert für eingegebenes Volumen: " +
                        FormatNumber(344 / (1.6 * std::pow(0.03, 0.33333)), 6) + " Hz."),
            std::string::npos);
  EXPECT_NE(h.text.find("mbf = (f^2 + mb(fmb^2)) / (f^2 + fmb^2)"), std::string::npos);

  const HelpText none = AirLoadHelp(0, 0.015, 0);
  EXPECT_NE(none.text.find("< Daten sind nicht errechenbar wg. fehlender TS-Parameter. >"), std::string::npos);
  EXPECT_NE(none.text.find("< Daten wegen fehlender Volumenangabe nicht berechenbar>"), std::string::npos);

  EXPECT_EQ(VolumeFactorHelp().title, "Volumenzuwachsfaktor");
  EXPECT_EQ(PortLossHelp().title, "Verlustentstehung bei BR");
  EXPECT_NE(PortLossHelp().text.find("999"), std::string::npos);
  const auto lines = HelpLines(VolumeFactorHelp().text);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[1], "Richtwerte:");
  EXPECT_EQ(HelpLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
}

TEST(CabinetEntries, EveryFaceAndRearSideComesBackFromTheBaffleRecord) {
  Cabinet box;
  box.height = 0.9;
  box.width = 0.3;
  box.depth = 0.4;
  box.chamferLeft = 0.02;
  for (int face = 0; face < 6; ++face)
    for (int rear = 0; rear < 2; ++rear) {
      auto p = MakeNewProject();
      std::array<CabinetEntry, kMaxChassis> entries{};
      entries[0] = {true, face, rear, 0.21, 0.11, 0.07, 0.05};
      entries[1] = {false, 0, 0, 0, 0, 0, 0};
      const Baffle untouched = p->baffles[1];
      ApplyCabinet(*p, box, entries);
      EXPECT_EQ(p->cabinet, box);
      EXPECT_FALSE(p->baffles[1].useCabinet);
      EXPECT_EQ(p->baffles[1].width, untouched.width);
      const CabinetEntry back = CabinetEntryFromBaffle(box, p->baffles[0]);
      EXPECT_TRUE(back.use);
      EXPECT_EQ(back.face, face);
      EXPECT_EQ(back.rearSide, rear);
      EXPECT_EQ(back.bottomDistance, 0.21);
      EXPECT_EQ(back.leftDistance, 0.11);
      EXPECT_NEAR(back.rearBottomDistance, 0.07, 1e-15) << face << rear;
      EXPECT_NEAR(back.rearLeftDistance, 0.05, 1e-15) << face << rear;
    }
}

// A vented chassis on a baffle of its own, its port 42 cm below the chassis,
// taken onto a box 100 cm high, 25 cm wide and 30 cm deep: the port keeps its
// distance to the chassis, whose place on the baffle is kept, so the port
// fields show a place on the face and not the room coordinate.
TEST(CabinetEntries, PortOfABaffleOfItsOwnKeepsItsDistanceToTheChassis) {
  auto p = MakeNewProject();
  Baffle own = p->baffles[0];
  own.useCabinet = false;
  own.direction = 0;
  own.rearDirection = 0;
  own.width = 0.25, own.height = 0.60, own.bottomDistance = 0.50, own.leftDistance = 0.125, own.outletDiameter = 0.13;
  own.horizontal = 0.0, own.vertical = 0.10, own.forward = 0.0;        // the chassis in the room
  own.rearHorizontal = 0.05, own.rearVertical = -0.32, own.rearForward = -0.01;  // its port 42 cm lower, 5 cm to the right
  p->baffles[0] = own;
  Cabinet box;
  box.height = 1.0, box.width = 0.25, box.depth = 0.30;

  const CabinetEntry e = CabinetEntryFromBaffle(p->cabinet, own);
  EXPECT_FALSE(e.use);
  EXPECT_EQ(e.bottomDistance, 0.50);
  EXPECT_EQ(e.leftDistance, 0.125);
  EXPECT_NEAR(e.rearBottomDistance, 0.50 - 0.42, 1e-15);
  EXPECT_NEAR(e.rearLeftDistance, 0.125 + 0.05, 1e-15);

  std::array<CabinetEntry, kMaxChassis> entries{};
  entries[0] = e;
  entries[0].use = true;
  ApplyCabinet(*p, box, entries);
  const Baffle& w = p->baffles[0];
  EXPECT_NEAR(w.rearVertical - w.vertical, -0.42, 1e-12);
  EXPECT_NEAR(w.rearHorizontal - w.horizontal, 0.05, 1e-12);
  EXPECT_NEAR(w.rearVertical, 0.08 - 0.50, 1e-12);
  EXPECT_TRUE(PortOnBaffle(w));

  // On a lower chassis the same port would lie below the box: the entry says
  // so with a negative a, and the record fails the check.
  own.bottomDistance = 0.30;
  entries[0] = CabinetEntryFromBaffle(p->cabinet, own);
  entries[0].use = true;
  EXPECT_NEAR(entries[0].rearBottomDistance, -0.12, 1e-15);
  ApplyCabinet(*p, box, entries);
  EXPECT_FALSE(PortOnBaffle(p->baffles[0]));
}

}  // namespace
}  // namespace sonvex
