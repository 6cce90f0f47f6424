#include "model/result_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/file_io.h"
#include "model/measurement_import.h"
#include "model/number_text.h"
#include "model/result.h"
#include "support/scripted_interaction.h"

namespace sonvex {
namespace {

std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t end = text.find("\r\n", pos);
    if (end == std::string::npos) {
      lines.push_back(text.substr(pos) + "<no line end>");
      break;
    }
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 2;
  }
  return lines;
}

std::string FrdLikeLine(double f, const char* magnitude, const char* phase) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.4f", f);
  return std::string(buf) + " " + magnitude + " " + phase;
}

std::string ReadFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A result with a grid of 126 points and three chassis; chassis 2 (slot 1)
// is driven by amplifier 2, chassis 3 by none.
std::unique_ptr<CalcResult> MakeResult() {
  auto r = std::make_unique<CalcResult>();
  r->freqCount = 126;
  r->ampCount = 2;
  r->chassisCount = 3;
  for (int i = 0; i < 126; ++i) r->freq[i] = 20 * std::pow(1000.0, i / 125.0);
  r->ampOfChassis = {0, 1, -1, -1, -1, -1, -1, -1, -1};
  for (int i = 0; i < 126; ++i) {
    r->boxPressure[i][0] = {0.5, 0.5};
    r->boxPressure[i][1] = {9, 9};  // off axis: never exported
    r->contributionFront[1][i][0] = {0.25, 0};
    r->contributionRear[1][i][0] = {0, -0.25};
    r->chassisVoltageGain[1][i] = {-2, 0};
    r->filterResponse[1][i] = {0.5, 0};
  }
  r->boxPressure[0][0] = {1, 0};  // magnitude 1: 112 dB
  r->boxPressure[1][0] = {0, 0};  // nothing: the floor of -888 dB
  return r;
}

TEST(ResultExport, BoxFileLayout) {
  const auto r = MakeResult();
  const auto lines = SplitCrLf(ExportText(*r, ExportKind::Box, 0));
  ASSERT_EQ(lines.size(), 128u);
  EXPECT_EQ(lines[0], "# Gesamtfrequenzgang der Box auf Achse");
  EXPECT_EQ(lines[1], "# Frequenz[Hz]\tAmpl.[dB]\tPhase[°]");
  EXPECT_EQ(lines[2], "20\t112\t0");
  EXPECT_EQ(lines[3], FormatNumber(r->freq[1], 6) + "\t-888\t0");
  // |0.5 + 0.5j| = 0.7071: 108.99 dB; 45 degrees of arc.
  EXPECT_EQ(lines[4], FormatNumber(r->freq[2], 6) + "\t108,99\t45");
  EXPECT_EQ(lines[127], "20000\t108,99\t45");
}

TEST(ResultExport, ChassisAndSignalValues) {
  const auto r = MakeResult();
  auto lines = SplitCrLf(ExportText(*r, ExportKind::Chassis, 1));
  ASSERT_EQ(lines.size(), 128u);
  EXPECT_EQ(lines[0], "# Frequenzgang Chassis 2 auf Achse incl. Frequenzweichen- und Schallwandeinfluß");
  // 0.25 - 0.25j: 112 + 20·log10(0.35355) = 102.97 dB at -45 degrees.
  EXPECT_EQ(lines[2], "20\t102,97\t-45");

  lines = SplitCrLf(ExportText(*r, ExportKind::Signal, 1));
  ASSERT_EQ(lines.size(), 128u);
  EXPECT_EQ(lines[0], "# Frequenzgang elektrisches Signal an Chassis 2 (0dB = 2,83V)");
  // -2 × 0.5 = -1: 0 dB (no pressure offset), 180 degrees.
  EXPECT_EQ(lines[2], "20\t0\t180");
}

TEST(ResultExport, FrdAndZmaFilesInThePlainMeasurementForm) {
  auto r = MakeResult();
  r->chassisName[1] = "Tiefton";
  // ampImpedance holds the negative of the impedance: 8 ohm resistive at the first
  // point, then 6 ohm capacitive.
  for (int i = 0; i < 126; ++i) r->ampImpedance[1][i] = {0, 6};
  r->ampImpedance[1][0] = {-8, 0};

  auto lines = SplitCrLf(FrdText(*r, 1, "Box.ZPJ"));
  ASSERT_EQ(lines.size(), 129u);
  EXPECT_EQ(lines[0], "* Sonvex-Projekt: Box.ZPJ");
  EXPECT_EQ(lines[1].rfind("* Frequenzgang Chassis 2 (Tiefton)", 0), 0u);
  EXPECT_EQ(lines[2].rfind("* ", 0), 0u);
  // 0.25 - 0.25j: 112 + 20·log10(0.353553) = 102.9691 dB at -45 degrees.
  EXPECT_EQ(lines[3], "20.0000 102.9691 -45.000");

  lines = SplitCrLf(FrdText(*r, -1, "Box.ZPJ"));
  EXPECT_EQ(lines[1], "* Gesamtfrequenzgang der Box auf Achse");
  EXPECT_EQ(lines[3], "20.0000 112.0000 0.000");
  EXPECT_EQ(lines[128], "20000.0000 108.9897 45.000");  // |0.5 + 0.5j| = 0.707107

  lines = SplitCrLf(ZmaText(*r, 1, "Box.ZPJ"));
  ASSERT_EQ(lines.size(), 129u);
  EXPECT_EQ(lines[1], "* Impedanz an Verstärker 2");
  EXPECT_EQ(lines[3], "20.0000 8.0000 0.000");
  EXPECT_EQ(lines[4].substr(lines[4].find(' ')), " 6.0000 -90.000");

  // Read back through the measurement import: the same curve.
  const MeasurementPoints pts = ParseMeasurementText(ZmaText(*r, 1, "Box.ZPJ"));
  ASSERT_EQ(pts.Size(), 126u);
  for (std::size_t i = 0; i < pts.Size(); ++i) {
    EXPECT_NEAR(pts.F[i], r->freq[i], 5e-5);
    EXPECT_NEAR(pts.A[i], i == 0 ? 8 : 6, 1e-9);
    EXPECT_NEAR(pts.P[i], i == 0 ? 0 : -90, 1e-9);
  }
}

TEST(ResultExport, EveryLineHoldsAllColumnsAndUnwritablePointsAreLeftOut) {
  // Amplifier 2 sees: an open circuit (the solver's 1e100 marker), a huge,
  // a tiny, a NaN and an infinite impedance, then 8 Ohm.
  auto r = MakeResult();
  const double nan = std::nan("");
  const double inf = HUGE_VAL;
  const Complex z[] = {{-1e100, 0}, {-1e300, -1e300}, {-1e-300, 0}, {nan, 0}, {-inf, 0}, {0, inf}, {-8, 0}};
  for (int i = 0; i < 126; ++i) r->ampImpedance[1][i] = z[std::min(i, 6)];
  for (int i = 0; i < 126; ++i) {
    r->boxPressure[i][0] = i < 6 ? Complex{z[i].re * -1, z[i].im} : Complex{1, 0};
    r->contributionFront[1][i][0] = r->boxPressure[i][0];
  }

  // Fields that hold something; an empty field between two separators is
  // what a missing magnitude looks like.
  const auto columns = [](const std::string& line, char sep) {
    int n = 0;
    std::size_t start = 0;
    while (start <= line.size()) {
      std::size_t end = line.find(sep, start);
      if (end == std::string::npos) end = line.size();
      if (end == start) return -1;
      ++n;
      start = end + 1;
    }
    return n;
  };
  const auto check = [&](const std::string& text, char sep, std::size_t header, std::size_t points) {
    const auto lines = SplitCrLf(text);
    ASSERT_EQ(lines.size(), header + points) << text.substr(0, 400);
    for (std::size_t k = header; k < lines.size(); ++k) {
      EXPECT_EQ(columns(lines[k], sep), 3) << lines[k];
      EXPECT_EQ(lines[k].find("nan"), std::string::npos) << lines[k];
      EXPECT_EQ(lines[k].find("inf"), std::string::npos) << lines[k];
    }
  };
  // ZMA: the open circuit, huge, NaN and the infinite ones are left out; the
  // tiny one is 0 Ohm; the 120 points of 8 Ohm stay.
  check(ZmaText(*r, 1, "Box.ZPJ"), ' ', 3, 1 + 120);
  EXPECT_EQ(SplitCrLf(ZmaText(*r, 1, "Box.ZPJ"))[3], FrdLikeLine(r->freq[2], "0.0000", "0.000"));
  // FRD and .exp: levels in dB hold the marker and tiny pressures; NaN,
  // infinite and overflowing pressures (|1e300 + 1e300j|) are left out.
  check(FrdText(*r, -1, "Box.ZPJ"), ' ', 3, 126 - 4);
  check(ExportText(*r, ExportKind::Box, 0), '\t', 2, 126 - 4);
  check(ExportText(*r, ExportKind::Chassis, 1), '\t', 2, 126 - 4);
}

TEST(ResultExport, ChassisChoice) {
  auto r = MakeResult();
  struct Case {
    ExportKind kind;
    int chassisCount;
    std::vector<int> answers;
    std::optional<int> chosen;
    std::vector<std::string> asked;  // texts of the questions and messages
  };
  const std::string notConnected = "Das Chassis ist in keiner Frequenzweiche angeschlossen. Ausgabe nicht sinnvoll.";
  const Case cases[] = {
      {ExportKind::Box, 3, {}, 0, {}},
      {ExportKind::Chassis, 3, {2}, 1, {"Frequenzgang für welches Chassis?"}},
      {ExportKind::Chassis, 3, {4}, std::nullopt, {"Frequenzgang für welches Chassis?"}},
      {ExportKind::Chassis, 3, {}, std::nullopt, {"Frequenzgang für welches Chassis?"}},  // default: Abbruch
      {ExportKind::Chassis, 1, {}, 0, {}},
      {ExportKind::Signal, 3, {2}, 1, {"Signal für welches Chassis?"}},
      {ExportKind::Signal, 3, {3}, std::nullopt, {"Signal für welches Chassis?", notConnected}},
      {ExportKind::Signal, 1, {}, 0, {}},
  };
  for (const Case& c : cases) {
    r->chassisCount = c.chassisCount;
    ScriptedInteraction ui;
    ui.buttons.assign(c.answers.begin(), c.answers.end());
    EXPECT_EQ(ChooseExportChassis(*r, c.kind, ui), c.chosen);
    ASSERT_EQ(ui.asked.size(), c.asked.size());
    for (std::size_t k = 0; k < c.asked.size(); ++k) EXPECT_EQ(ui.asked[k].text, c.asked[k]);
    if (!c.asked.empty()) {
      EXPECT_EQ(ui.asked[0].options, "1|2|3|Abbruch");
    }
  }
  // One chassis that no amplifier drives: no question, only the message.
  r->chassisCount = 1;
  r->ampOfChassis[0] = -1;
  ScriptedInteraction ui;
  EXPECT_EQ(ChooseExportChassis(*r, ExportKind::Signal, ui), std::nullopt);
  ASSERT_EQ(ui.asked.size(), 1u);
  EXPECT_EQ(ui.asked[0].text, notConnected);
}

class ExportFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("sonvex_export_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::size_t FilesInDir() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir_), {}));
  }
  std::filesystem::path dir_;
};

TEST_F(ExportFiles, ButtonFlowWritesTheFile) {
  const auto r = MakeResult();
  ScriptedInteraction ui;
  ui.buttons.push_back(2);
  ui.files.push_back(dir_ / "mittelton");
  const auto written = ExportResult(*r, ExportKind::Chassis, ui, dir_);
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(*written, dir_ / "mittelton.exp");  // the default extension is added
  EXPECT_EQ(ReadFile(*written), ExportText(*r, ExportKind::Chassis, 1));
  ASSERT_EQ(ui.asked.size(), 2u);
  EXPECT_EQ(ui.asked[1].kind, "save");
  EXPECT_EQ(ui.asked[1].options, "Exportdateien (*.exp)|*.exp|Alle Dateien (*.*)|*.*");
  EXPECT_EQ(FilesInDir(), 1u);
}

TEST_F(ExportFiles, NothingIsWrittenWhenTheExportEndsEarly) {
  const auto r = MakeResult();
  for (const int answer : {4, 3}) {  // "Abbruch"; a chassis without amplifier
    ScriptedInteraction ui;
    ui.buttons.push_back(answer);
    ui.files.push_back(dir_ / "x.exp");
    EXPECT_FALSE(ExportResult(*r, ExportKind::Signal, ui, dir_).has_value());
    for (const auto& q : ui.asked) EXPECT_NE(q.kind, "save");
  }
  ScriptedInteraction ui;  // save dialog cancelled
  EXPECT_FALSE(ExportResult(*r, ExportKind::Box, ui, dir_).has_value());
  EXPECT_EQ(FilesInDir(), 0u);
}

TEST_F(ExportFiles, FailedWriteLeavesTheOldFileIntact) {
  const std::filesystem::path target = dir_ / "box.exp";
  const std::string old = "# alte Datei\r\n1\t2\t3\r\n";
  std::ofstream(target, std::ios::binary) << old;

  // The writer fails half way through.
  EXPECT_THROW(WriteFileAtomically(target,
                                   [](std::ostream& out) {
                                     out << "# neue Datei\r\n";
                                     throw std::runtime_error("Datenträger voll");
                                   }),
               std::runtime_error);
  EXPECT_EQ(ReadFile(target), old);
  EXPECT_EQ(FilesInDir(), 1u);  // no temporary file left behind

  // The stream itself fails (its state turns bad).
  EXPECT_THROW(WriteFileAtomically(target, [](std::ostream& out) { out.setstate(std::ios::badbit); }), FileError);
  EXPECT_EQ(ReadFile(target), old);
  EXPECT_EQ(FilesInDir(), 1u);

  // The export through the user interface reports the failure.
  const auto r = MakeResult();
  ScriptedInteraction ui;
  ui.files.push_back(dir_ / "fehlt" / "box.exp");  // a folder that does not exist
  EXPECT_FALSE(ExportResult(*r, ExportKind::Box, ui, dir_).has_value());
  ASSERT_EQ(ui.asked.back().kind, "message");
  EXPECT_NE(ui.asked.back().text.find("kann nicht geschrieben werden"), std::string::npos);

  // A successful write replaces the old file.
  WriteFileAtomically(target, "neu");
  EXPECT_EQ(ReadFile(target), "neu");
  EXPECT_EQ(FilesInDir(), 1u);
}

}  // namespace
}  // namespace sonvex
