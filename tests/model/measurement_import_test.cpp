#include "model/measurement_import.h"
#include "support/scripted_interaction.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numbers>
#include <random>
#include <string>

namespace sonvex {
namespace {

constexpr double kDegToRad = 3.1415926 / 180;

std::unique_ptr<Chassis> NewChassis() { return std::make_unique<Chassis>(DefaultChassis()); }

// Number of points of a stored curve (entries before the terminating 0).
int CurvePoints(const FreqArray& f) {
  int n = 0;
  while (n < kFreqEntries && f[n] > 0) ++n;
  return n;
}

// The reduction walk exactly as described for the program, shifting the
// arrays after every merge; the reference for the one-pass implementation.
void ReferenceReduce(MeasurementPoints& p) {
  double t = 0.0025;
  while (p.Size() >= 600) {
    for (long i = static_cast<long>(p.Size()) - 2; i >= 1;) {
      if (p.F[i] / p.F[i + 1] <= 1 - t) {
        i -= 1;
        continue;
      }
      p.F[i] = (p.F[i] + p.F[i + 1]) / 2;
      p.A[i] = (p.A[i] + p.A[i + 1]) / 2;
      const double a = p.P[i], b = p.P[i + 1];
      double m = (a + b) / 2;
      if (((a < 0 && b > 0) || (a > 0 && b < 0)) && std::fabs(a - b) > 180) {
        m += 180;
        if (m > 180) m -= 360;
      }
      p.P[i] = m;
      p.F.erase(p.F.begin() + i + 1);
      p.A.erase(p.A.begin() + i + 1);
      p.P.erase(p.P.begin() + i + 1);
      i -= 2;
    }
    t += 0.00025;
  }
}

TEST(ParseNextValue, ReadsOneColumnAndSkipsToTheNext) {
  struct Case {
    const char* text;
    double value;
    const char* rest;
  };
  const Case cases[] = {
      {"100\t85,2\t-45", 100, "85,2\t-45"},
      {"85,2\t-45", 85.2, "-45"},
      {"1000 Hz; 90 dB", 1000, " 90 dB"},
      {" 90 dB", 90, ""},
      {"1,5e3;  -3.25", 1500, "  -3.25"},
      {"20 Hz  +12", 20, "+12"},
      {"12 .5", 12, "5"},  // a separator without a leading digit is dropped
      {"abc", 0, ""},
      {"", 0, ""},
      {";;7", 0, ";7"},
  };
  for (const Case& c : cases) {
    std::string_view t = c.text;
    EXPECT_DOUBLE_EQ(ParseNextValue(t), c.value) << c.text;
    EXPECT_EQ(t, c.rest) << c.text;
  }
}

TEST(MeasurementText, ThreeTabColumnsGiveLevelAndPhasePoints) {
  ScriptedInteraction ui;
  auto ch = NewChassis();
  auto pts = ParseMeasurementText("100\t85,2\t-45\r\n");
  ASSERT_EQ(pts.Size(), 1u);
  ASSERT_TRUE(ImportMeasurementPoints(MeasurementKind::FrequencyResponse, pts, *ch, ui));
  EXPECT_TRUE(ui.asked.empty());
  EXPECT_EQ(ch->measuredAmplitudeFreq[0], 100);
  EXPECT_DOUBLE_EQ(ch->measuredAmplitude[0], 85.2);
  EXPECT_EQ(ch->measuredAmplitudeFreq[1], 0);
  EXPECT_EQ(ch->measuredAcousticPhaseFreq[0], 100);
  EXPECT_NEAR(ch->measuredAcousticPhase[0], -std::numbers::pi / 4, 1e-7);
  EXPECT_EQ(ch->measuredAcousticPhaseFreq[1], 0);
  // The impedance curves are not touched by the acoustic import.
  EXPECT_EQ(ch->measuredImpedanceFreq, DefaultChassis().measuredImpedanceFreq);
}

TEST(MeasurementText, LineFilterAndLineEnds) {
  // Header and comment lines, short lines, a non-positive first number, a
  // number beyond double range, lone CR and a last line without a line end.
  const std::string text =
      "* Frequenz  dB  Grad\n"
      "Freq;Level\n"
      "1 2\n"
      "-5 80 10\n"
      "0,0 80 10\n"
      "1e999 80 10\n"
      "50 1e400 10\n"
      " 20,0 Hz\t80,5 dB\t10 deg\r"
      "+40\t81\t-20\r\n"
      ".5e2;82;-30\n"
      "\n"
      "80 83 -40";
  const auto pts = ParseMeasurementText(text);
  ASSERT_EQ(pts.Size(), 4u);
  const double f[] = {20, 40, 50, 80}, a[] = {80.5, 81, 82, 83}, p[] = {10, -20, -30, -40};
  for (int i = 0; i < 4; ++i) {
    EXPECT_DOUBLE_EQ(pts.F[i], f[i]) << i;
    EXPECT_DOUBLE_EQ(pts.A[i], a[i]) << i;
    EXPECT_DOUBLE_EQ(pts.P[i], p[i]) << i;
  }
}

TEST(MeasurementText, TakesAtMost66000Points) {
  std::string text;
  for (int i = 1; i <= 66010; ++i) text += std::to_string(i) + " 80 5\n";
  const auto pts = ParseMeasurementText(text);
  ASSERT_EQ(pts.Size(), kImportMaxPoints);
  EXPECT_EQ(pts.F.back(), 66000);

  ScriptedInteraction ui;
  auto ch = NewChassis();
  ASSERT_TRUE(ImportMeasurementPoints(MeasurementKind::Impedance, pts, *ch, ui));
  ASSERT_EQ(ui.asked.size(), 1u);
  EXPECT_EQ(ui.asked[0].text, "Die Datei enthält 66000 Datensätze. Es werden max. 600ausgesucht.");
  EXPECT_LT(CurvePoints(ch->measuredImpedanceFreq), 600);
  EXPECT_EQ(CurvePoints(ch->measuredImpedanceFreq), CurvePoints(ch->measuredElectricalPhaseFreq));
}

TEST(MeasurementImport, SingleColumnQuestion) {
  struct Case {
    MeasurementKind kind;
    const char* text;
    int answer;  // 0: script exhausted, the default button
    const char* message;
    const char* captions;
    bool storedAsPhase;
  };
  const Case cases[] = {
      {MeasurementKind::FrequencyResponse, "1000 Hz; 90 dB", 0,
       "Es wurde nur eine Datenspalte gefunden.\r\nVermutlich handelt es sich um den Amplitudengang.",
       "Daten sind Amplitudengang|Daten sind Phasengang", false},
      {MeasurementKind::FrequencyResponse, "100 10\n200 150\n300 20\n", 0,
       "Es wurde nur eine Datenspalte gefunden.\r\nVermutlich handelt es sich um den Phasengang.",
       "Daten sind Phasengang|Daten sind Amplitudengang", true},
      {MeasurementKind::FrequencyResponse, "100 10\n200 150\n300 20\n", 2,
       "Es wurde nur eine Datenspalte gefunden.\r\nVermutlich handelt es sich um den Phasengang.",
       "Daten sind Phasengang|Daten sind Amplitudengang", false},
      {MeasurementKind::Impedance, "100 6,5\n200 -12\n", 1,
       "Es wurde nur eine Datenspalte gefunden.\r\nVermutlich handelt es sich um den Phasengang.",
       "Daten sind elektrischer Phasengang|Daten sind Impedanzgang", true},
      {MeasurementKind::Impedance, "100 6,5\n200 8\n", 2,
       "Es wurde nur eine Datenspalte gefunden.\r\nVermutlich handelt es sich um den Impedanzgang.",
       "Daten sind Impedanzgang|Daten sind elektrischer Phasengang", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ScriptedInteraction ui;
    if (c.answer != 0) ui.buttons.push_back(c.answer);
    auto ch = NewChassis();
    const auto before = *ch;
    auto pts = ParseMeasurementText(c.text);
    ASSERT_TRUE(ImportMeasurementPoints(c.kind, pts, *ch, ui));
    ASSERT_EQ(ui.asked.size(), 1u);
    EXPECT_EQ(ui.asked[0].kind, "choose");
    EXPECT_EQ(ui.asked[0].text, c.message);
    EXPECT_EQ(ui.asked[0].options, c.captions);

    const bool imp = c.kind == MeasurementKind::Impedance;
    const FreqArray& levelF = imp ? ch->measuredImpedanceFreq : ch->measuredAmplitudeFreq;
    const FreqArray& level = imp ? ch->measuredImpedance : ch->measuredAmplitude;
    const FreqArray& phaseF = imp ? ch->measuredElectricalPhaseFreq : ch->measuredAcousticPhaseFreq;
    const FreqArray& phase = imp ? ch->measuredElectricalPhase : ch->measuredAcousticPhase;
    const FreqArray& oldLevelF = imp ? before.measuredImpedanceFreq : before.measuredAmplitudeFreq;
    const FreqArray& oldPhaseF = imp ? before.measuredElectricalPhaseFreq : before.measuredAcousticPhaseFreq;
    if (c.storedAsPhase) {
      EXPECT_EQ(levelF, oldLevelF);
      ASSERT_EQ(CurvePoints(phaseF), static_cast<int>(pts.Size()));
      for (std::size_t i = 0; i < pts.Size(); ++i) EXPECT_DOUBLE_EQ(phase[i], pts.A[i] * kDegToRad);
    } else {
      EXPECT_EQ(phaseF, oldPhaseF);
      ASSERT_EQ(CurvePoints(levelF), static_cast<int>(pts.Size()));
      for (std::size_t i = 0; i < pts.Size(); ++i) EXPECT_DOUBLE_EQ(level[i], pts.A[i]);
    }
  }
}

TEST(MeasurementImport, NoUsableLineChangesNothing) {
  ScriptedInteraction ui;
  auto ch = NewChassis();
  ch->measuredAmplitudeFreq[0] = 50;
  ch->measuredAmplitude[0] = 77;
  const auto before = *ch;
  EXPECT_FALSE(ImportMeasurementPoints(MeasurementKind::FrequencyResponse,
                                       ParseMeasurementText("Frequenz Pegel\nabc\n0,0 90\n"), *ch, ui));
  EXPECT_EQ(*ch, before);
  ASSERT_EQ(ui.asked.size(), 1u);
  EXPECT_EQ(ui.asked[0].kind, "message");
  EXPECT_EQ(ui.asked[0].text, "Die Datei enthält keine passenden Daten.");
}

TEST(MeasurementImport, NewCurveReplacesAnOlderLongerOne) {
  ScriptedInteraction ui;
  auto ch = NewChassis();
  for (int i = 0; i < 300; ++i) {
    ch->measuredImpedanceFreq[i] = 10 + i;
    ch->measuredImpedance[i] = 6;
  }
  ASSERT_TRUE(
      ImportMeasurementPoints(MeasurementKind::Impedance, ParseMeasurementText("100 7 10\n200 8 20\n"), *ch, ui));
  EXPECT_EQ(CurvePoints(ch->measuredImpedanceFreq), 2);
  for (int i = 2; i < kFreqEntries; ++i) {
    EXPECT_EQ(ch->measuredImpedanceFreq[i], 0) << i;
    EXPECT_EQ(ch->measuredImpedance[i], 0) << i;
  }
}

TEST(MeasurementReduction, ThousandLogPointsBelow600FirstPointKept) {
  std::string text;
  for (int i = 0; i < 1000; ++i) {
    const double f = 20 * std::pow(1000.0, i / 999.0);
    text += std::to_string(f) + "\t" + std::to_string(80 + 5 * std::sin(i * 0.01)) + "\t" +
            std::to_string(-170 + (i % 341)) + "\n";
  }
  const auto pts = ParseMeasurementText(text);
  ASSERT_EQ(pts.Size(), 1000u);
  ScriptedInteraction ui;
  auto ch = NewChassis();
  ASSERT_TRUE(ImportMeasurementPoints(MeasurementKind::FrequencyResponse, pts, *ch, ui));
  ASSERT_EQ(ui.asked.size(), 1u);
  EXPECT_EQ(ui.asked[0].text, "Die Datei enthält 1000 Datensätze. Es werden max. 600ausgesucht.");
  const int n = CurvePoints(ch->measuredAmplitudeFreq);
  EXPECT_LT(n, 600);
  EXPECT_GT(n, 400);
  EXPECT_EQ(ch->measuredAmplitudeFreq[0], pts.F[0]);
  EXPECT_EQ(ch->measuredAmplitude[0], pts.A[0]);
  EXPECT_EQ(ch->measuredAcousticPhase[0], pts.P[0] * kDegToRad);
  for (int i = 1; i < n; ++i) EXPECT_GT(ch->measuredAmplitudeFreq[i], ch->measuredAmplitudeFreq[i - 1]) << i;
  EXPECT_EQ(CurvePoints(ch->measuredAcousticPhaseFreq), n);
}

TEST(MeasurementReduction, MatchesThePointByPointWalk) {
  // Log-spaced, jittered, unsorted and duplicated frequencies: the one-pass
  // walk must merge exactly the same pairs as the walk that shifts arrays.
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(0, 1);
  for (const std::size_t n : {600u, 601u, 1000u, 5000u}) {
    for (int variant = 0; variant < 3; ++variant) {
      MeasurementPoints p;
      for (std::size_t i = 0; i < n; ++i) {
        double f = 20 * std::pow(1000.0, static_cast<double>(i) / static_cast<double>(n)) * (1 + 0.01 * u(rng));
        if (variant == 1 && u(rng) < 0.05) f = 20 + 19980 * u(rng);  // out of order
        if (variant == 2 && i > 0 && u(rng) < 0.2) f = p.F.back();   // repeated
        p.F.push_back(f);
        p.A.push_back(60 + 40 * u(rng));
        p.P.push_back(-180 + 360 * u(rng));
      }
      MeasurementPoints ref = p;
      ReferenceReduce(ref);
      ReduceMeasurementPoints(p);
      ASSERT_LT(p.Size(), 600u);
      ASSERT_EQ(p.Size(), ref.Size()) << n << " " << variant;
      for (std::size_t i = 0; i < p.Size(); ++i) {
        ASSERT_EQ(p.F[i], ref.F[i]) << i;
        ASSERT_EQ(p.A[i], ref.A[i]) << i;
        ASSERT_EQ(p.P[i], ref.P[i]) << i;
      }
    }
  }
}

TEST(MeasurementReduction, PhasesAreMergedAcross180Degrees) {
  struct Case {
    double low, high, merged;
  };
  const Case cases[] = {{170, -170, 180}, {-170, 170, 180},   {10, -10, 0},      {80, -80, 0},
                        {100, -100, 180}, {179, -90, -135.5}, {-179, 90, 135.5}, {30, 60, 45}};
  for (const Case& c : cases) {
    // 600 points far apart except the top pair, which is merged.
    MeasurementPoints p;
    for (int i = 0; i < 599; ++i) {
      p.F.push_back(10 * std::pow(1.01, i));
      p.A.push_back(80);
      p.P.push_back(i == 598 ? c.low : 0);
    }
    p.F.push_back(p.F.back() * 1.0001);
    p.A.push_back(90);
    p.P.push_back(c.high);
    ReduceMeasurementPoints(p);
    ASSERT_EQ(p.Size(), 599u);
    EXPECT_DOUBLE_EQ(p.P.back(), c.merged) << c.low << " " << c.high;
    EXPECT_DOUBLE_EQ(p.A.back(), 85);
  }
}

class MeasurementFileImport : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("sonvex_import_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
};

TEST_F(MeasurementFileImport, WholeDialogSequenceOnAFixture) {
  const std::filesystem::path file = std::filesystem::path(SONVEX_TEST_DATA) / "import" / "woofer.zma";
  ScriptedInteraction ui;
  ui.files.push_back(file);
  auto ch = NewChassis();
  ASSERT_TRUE(ImportImpedanceResponse(*ch, ui, dir_));
  ASSERT_EQ(ui.asked.size(), 2u);
  EXPECT_EQ(ui.asked[0].kind, "choose");
  EXPECT_EQ(ui.asked[0].text.substr(0, 43), "ASCII-Datei mit Impedanzgang importieren.\r\n");
  EXPECT_EQ(ui.asked[0].options, "Ok|Abbruch");
  EXPECT_EQ(ui.asked[1].kind, "open");
  EXPECT_EQ(ui.asked[1].options, "*.asc; *.txt; *.zma; *.imp; *.oct|*.asc; *.txt; *.zma; *.imp; *.oct|*.*|*.*");
  // The fixture has five data lines, the last one without a line end.
  ASSERT_EQ(CurvePoints(ch->measuredImpedanceFreq), 5);
  EXPECT_EQ(ch->measuredImpedanceFreq[0], 10);
  EXPECT_DOUBLE_EQ(ch->measuredImpedance[0], 7.12);
  EXPECT_DOUBLE_EQ(ch->measuredElectricalPhase[0], 12.5 * kDegToRad);
  EXPECT_EQ(ch->measuredElectricalPhaseFreq[4], 20000);
  EXPECT_DOUBLE_EQ(ch->measuredImpedance[4], 31.4);
  EXPECT_DOUBLE_EQ(ch->measuredElectricalPhase[4], 61 * kDegToRad);
  EXPECT_EQ(ch->measuredAmplitudeFreq, DefaultChassis().measuredAmplitudeFreq);
}

TEST_F(MeasurementFileImport, CancelAtIntroductionOrFileChoiceChangesNothing) {
  const std::filesystem::path file = dir_ / "a.frd";
  std::ofstream(file) << "100 90 10\n";
  for (int step = 0; step < 2; ++step) {
    ScriptedInteraction ui;
    if (step == 0) {
      ui.buttons.push_back(2);
      ui.files.push_back(file);
    }  // step 1: the file choice is cancelled
    auto ch = NewChassis();
    EXPECT_FALSE(ImportFrequencyResponse(*ch, ui, dir_));
    EXPECT_EQ(*ch, DefaultChassis());
    EXPECT_EQ(ui.asked.size(), step == 0 ? 1u : 2u);
  }
}

TEST_F(MeasurementFileImport, UnreadableFileIsReported) {
  ScriptedInteraction ui;
  ui.files.push_back(dir_ / "missing.frd");
  auto ch = NewChassis();
  EXPECT_FALSE(ImportFrequencyResponse(*ch, ui, dir_));
  EXPECT_EQ(*ch, DefaultChassis());
  ASSERT_EQ(ui.asked.size(), 3u);
  EXPECT_EQ(ui.asked[2].kind, "message");
  EXPECT_EQ(ui.asked[2].text, "Die Datei \"missing.frd\" kann nicht gelesen werden.");
}

TEST_F(MeasurementFileImport, NamedPipeIsRefusedAtOnce) {
  ASSERT_EQ(mkfifo((dir_ / "pipe.frd").c_str(), 0600), 0);
  ScriptedInteraction ui;
  ui.files.push_back(dir_ / "pipe.frd");
  auto ch = NewChassis();
  EXPECT_FALSE(ImportFrequencyResponse(*ch, ui, dir_));
  EXPECT_EQ(*ch, DefaultChassis());
  ASSERT_EQ(ui.asked.size(), 3u);
  EXPECT_EQ(ui.asked[2].text,
            "Die Datei \"pipe.frd\" kann nicht gelesen werden: keine gewöhnliche Datei, sondern eine benannte Pipe "
            "(FIFO).");
}

TEST_F(MeasurementFileImport, HostileBytesNeitherCrashNorHang) {
  // A 100 000-character line, NUL bytes, non-UTF-8 bytes and a number with
  // thousands of digits: read safely, the usable lines still count.
  std::string text(100000, '5');
  text += "\n";
  text += std::string("1") + std::string(5000, '0') + " 3 4\n";
  text += std::string("\xff\xfe 12 \x00\x80 ", 9) + "\n";
  text += " 200\t70 \xe4\xf6\xfc\t-5\n";
  const std::filesystem::path file = dir_ / "hostile.txt";
  std::ofstream(file, std::ios::binary) << text;
  ScriptedInteraction ui;
  ui.files.push_back(file);
  auto ch = NewChassis();
  ASSERT_TRUE(ImportFrequencyResponse(*ch, ui, dir_));
  ASSERT_EQ(CurvePoints(ch->measuredAmplitudeFreq), 1);
  EXPECT_EQ(ch->measuredAmplitudeFreq[0], 200);
  EXPECT_EQ(ch->measuredAmplitude[0], 70);
  EXPECT_DOUBLE_EQ(ch->measuredAcousticPhase[0], -5 * kDegToRad);
}

}  // namespace
}  // namespace sonvex
