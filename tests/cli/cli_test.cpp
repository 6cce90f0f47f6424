// sonvex-cli end to end: the shipped sample data, the file commands and the
// exit codes, run as a user runs them.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "model/measurement_import.h"
#include "model/number_text.h"
#include "support/run_program.h"

namespace {

namespace fs = std::filesystem;

using sonvex::testing::ProgramRun;

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A name of its own per run: several checkouts may run these tests at
    // the same time, and a folder named after the test alone was shared.
    dir_ = fs::temp_directory_path() /
           ("sonvex_cli_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
            std::to_string(std::random_device{}()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs sonvex-cli with the arguments; settings come from the empty test folder.
  ProgramRun Cli(const std::vector<std::string>& args) {
    return sonvex::testing::RunProgram(SONVEX_CLI, args, dir_ / "stderr.txt");
  }
  ProgramRun Calc(const fs::path& project, std::vector<std::string> more = {}) {
    std::vector<std::string> args{"calc", project.string(), "--data", dir_.string()};
    args.insert(args.end(), more.begin(), more.end());
    return Cli(args);
  }

  fs::path dir_;
};

std::vector<fs::path> SampleFiles(const char* folder, const char* ext) {
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(fs::path(SONVEX_DATA_DIR) / folder))
    if (e.path().extension() == ext) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  return files;
}

// The WAV files at 96 kHz hold the impulses of the JSON, all scaled by the
// one factor that makes the box's largest sample 0.5; a rate not offered is
// refused.
TEST_F(CliTest, WavFilesHoldTheImpulsesOfTheJsonOnOneScale) {
  const fs::path project = fs::path(SONVEX_DATA_DIR) / "Projekte" / "Dreiweg-Standbox.ZPJ";
  const ProgramRun r = Calc(
      project, {"--json", (dir_ / "t.json").string(), "--export-wav", (dir_ / "wav").string(), "--wav-rate", "96000"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  const nlohmann::json t = nlohmann::json::parse(ReadFile(dir_ / "t.json"))["TimeResponse"];
  const std::vector<double> box = t["box"]["impulse"].get<std::vector<double>>();
  double peak = 0.0;
  for (const double x : box) peak = std::max(peak, std::abs(x));
  ASSERT_GT(peak, 0.0);
  const auto read = [](const fs::path& file) {
    SF_INFO info{};
    SNDFILE* sf = sf_open(file.c_str(), SFM_READ, &info);
    EXPECT_NE(sf, nullptr) << file;
    std::vector<float> samples;
    if (sf == nullptr) return samples;
    EXPECT_EQ(info.samplerate, 96000);
    EXPECT_EQ(info.channels, 1);
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    samples.resize(static_cast<std::size_t>(info.frames));
    EXPECT_EQ(sf_read_float(sf, samples.data(), info.frames), info.frames);
    sf_close(sf);
    return samples;
  };
  const std::size_t chassis = t["chassis"].size();
  ASSERT_EQ(chassis, 3u);
  for (std::size_t c = 0; c <= chassis; ++c) {
    const fs::path file = dir_ / "wav" / (c == 0 ? std::string("box.wav") : "chassis-" + std::to_string(c) + ".wav");
    SCOPED_TRACE(file.string());
    const std::vector<float> wav = read(file);
    ASSERT_EQ(wav.size(), 65536u);
    const std::vector<double> json = c == 0 ? box : t["chassis"][c - 1]["impulse"].get<std::vector<double>>();
    for (std::size_t i = 0; i < json.size(); ++i) ASSERT_NEAR(wav[i], json[i] * 0.5 / peak, 1e-6) << i;
    if (c == 0) {
      float largest = 0;
      for (const float x : wav) largest = std::max(largest, std::abs(x));
      EXPECT_FLOAT_EQ(largest, 0.5f);
    }
  }
  const ProgramRun refused = Calc(project, {"--export-wav", (dir_ / "w2").string(), "--wav-rate", "22050"});
  EXPECT_NE(refused.status, 0);
  EXPECT_FALSE(fs::exists(dir_ / "w2" / "box.wav"));
}

TEST_F(CliTest, EverySampleProjectComputesWithoutErrors) {
  const auto projects = SampleFiles("Projekte", ".ZPJ");
  ASSERT_GE(projects.size(), 3u);
  for (const fs::path& p : projects) {
    const ProgramRun r = Calc(p);
    EXPECT_EQ(r.status, 0) << p << "\n" << r.out << r.err;
    EXPECT_EQ(r.out, "Berechnung war erfolgreich.\n") << p;
  }
}

TEST_F(CliTest, ShippedFilesMatchTheirPlainTextSources) {
  // Every data file has its editable plain-text form under samples/, and
  // packing that text gives the shipped file byte for byte.
  for (const char* folder : {"Projekte", "Chassis"}) {
    for (const fs::path& file : SampleFiles(folder, folder[0] == 'P' ? ".ZPJ" : ".ZCH")) {
      const fs::path plain = fs::path(SONVEX_SAMPLES_DIR) / folder / (file.filename().string() + ".txt");
      const ProgramRun dump = Cli({"dump", file.string()});
      ASSERT_EQ(dump.status, 0) << file << dump.err;
      EXPECT_EQ(dump.out, ReadFile(plain)) << file;
      const fs::path packed = dir_ / file.filename();
      ASSERT_EQ(Cli({"pack", plain.string(), packed.string()}).status, 0) << plain;
      EXPECT_TRUE(ReadFile(packed) == ReadFile(file)) << file;
    }
  }
}

TEST_F(CliTest, DumpThenPackReproducesTheProject) {
  const fs::path project = fs::path(SONVEX_DATA_DIR) / "Projekte" / "Default.ZPJ";
  const ProgramRun dump = Cli({"dump", project.string()});
  ASSERT_EQ(dump.status, 0) << dump.err;
  WriteFile(dir_ / "plain.txt", dump.out);
  ASSERT_EQ(Cli({"pack", (dir_ / "plain.txt").string(), (dir_ / "x.ZPJ").string()}).status, 0);
  EXPECT_TRUE(ReadFile(dir_ / "x.ZPJ") == ReadFile(project));
}

// A project cut short computes with a warning on stderr (exit status as for
// the whole file); a named pipe is refused at once with status 2.
TEST_F(CliTest, ProjectCutShortWarnsAndNamedPipeIsRefused) {
  const std::string shipped = ReadFile(fs::path(SONVEX_DATA_DIR) / "Projekte" / "Default.ZPJ");
  const fs::path cut = dir_ / "cut.ZPJ";
  WriteFile(cut, shipped.substr(0, shipped.size() - 11));
  const ProgramRun r = Calc(cut);
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.out, "Berechnung war erfolgreich.\n");
  EXPECT_NE(r.err.find("Die Projektdatei ist unvollständig"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(cut.string()), std::string::npos) << r.err;
  const ProgramRun dump = Cli({"dump", cut.string()});
  EXPECT_EQ(dump.status, 0);
  EXPECT_NE(dump.err.find("Die Datei ist unvollständig"), std::string::npos) << dump.err;

  const fs::path pipe = dir_ / "pipe.ZPJ";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const ProgramRun p = Calc(pipe);
  EXPECT_EQ(p.status, 2) << p.out << p.err;
  EXPECT_NE(p.err.find("benannte Pipe"), std::string::npos) << p.err;
}

// A section name with a line break (a chassis file found by the fuzzer):
// the dump keeps one line per section, so packing it and dumping again gives
// the same text, with the line break read as a blank.
TEST_F(CliTest, DumpThenPackKeepsSectionNamesWithLineBreaks) {
  const fs::path file = fs::path(SONVEX_TEST_DATA) / "fuzz" / "line_break_in_section_name.ZCH";
  const ProgramRun dump = Cli({"dump", file.string()});
  ASSERT_EQ(dump.status, 0) << dump.err;
  EXPECT_NE(dump.out.find("#HeaderIu"), std::string::npos);
  WriteFile(dir_ / "plain.txt", dump.out);
  ASSERT_EQ(Cli({"pack", (dir_ / "plain.txt").string(), (dir_ / "x.ZCH").string()}).status, 0);
  const ProgramRun again = Cli({"dump", (dir_ / "x.ZCH").string()});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.out, dump.out);
}

TEST_F(CliTest, HandWrittenPlainProjectIsAccepted) {
  // A small project typed in a text editor (LF line ends, a comment line):
  // a full-range chassis in a closed box, driven directly.
  const std::string plain =
      "## MyIniFile 1.0 by QZ 2004 ##\n"
      "/ typed by hand\n"
      "#Header\nVersion=\t1008\n"
      "#General\nnAmps=\t1\nnChassis=\t1\n"
      "#Option\nfMin=\t20\nfMax=\t20000\nsz=\t60\n"
      "#AktFilter1\nPegel=\t1\n"
      "#Weiche1\n"
      "_Part91_typ=\t6\n_Part91_verpolt=\t-1\n"                         // amplifier, nodes 0-11
      "_Part1_typ=\t1\n"                                                // wire, nodes 0-1
      "_Part92_typ=\t5\n_Part92_verpolt=\t-1\n_Part92_chassisnr=\t0\n"  // chassis, nodes 1-12
      "_Part11_typ=\t1\n"                                               // wire, nodes 11-12
      "#Chassis1\nName=\tHandmade 10\nfs=\t75\nQes=\t0,5\nQms=\t4\nVas=\t0,006\nRe=\t7,2\nLe=\t0,0002\n"
      "Amem=\t0,0053\nxlin=\t0,002\n_PMax=\t20\n_ZNenn=\t8\n"
      "#Einbau1\nTyp=\t1\nVb=\t0,006\n"
      "#Schallwand1\nusegemgeh=\t0\na=\t0,12\nb=\t0,16\nc=\t0,08\nd=\t0,08\nh=\t0,25\n";
  WriteFile(dir_ / "hand.txt", plain);
  const ProgramRun pack = Cli({"pack", (dir_ / "hand.txt").string(), (dir_ / "hand.ZPJ").string()});
  ASSERT_EQ(pack.status, 0) << pack.err;
  const ProgramRun calc = Calc(dir_ / "hand.ZPJ");
  EXPECT_EQ(calc.status, 0) << calc.out << calc.err;
  EXPECT_EQ(calc.out, "Berechnung war erfolgreich.\n");
}

TEST_F(CliTest, UpgradeBringsOldFilesForward) {
  // A version 1004 project: responseSource 7 of that version means 4 today.
  std::string project = Cli({"dump", (fs::path(SONVEX_DATA_DIR) / "Projekte" / "Default.ZPJ").string()}).out;
  ASSERT_NE(project.find("Version=\t1008"), std::string::npos);
  project.replace(project.find("Version=\t1008"), 13, "Version=\t1004");
  const auto chassis1 = project.find("#Chassis1");
  ASSERT_NE(chassis1, std::string::npos);
  const auto which = project.find("fgang_which=\t", chassis1);
  ASSERT_NE(which, std::string::npos);
  project.replace(which, project.find('\r', which) - which, "fgang_which=\t7");
  WriteFile(dir_ / "old.txt", project);
  ASSERT_EQ(Cli({"pack", (dir_ / "old.txt").string(), (dir_ / "old.ZPJ").string()}).status, 0);
  const ProgramRun up =
      Cli({"upgrade", (dir_ / "old.ZPJ").string(), (dir_ / "new.ZPJ").string(), "--data", dir_.string()});
  ASSERT_EQ(up.status, 0) << up.err;
  const std::string upgraded = Cli({"dump", (dir_ / "new.ZPJ").string()}).out;
  EXPECT_NE(upgraded.find("Version=\t1008"), std::string::npos);
  EXPECT_NE(upgraded.find("fgang_which=\t4", upgraded.find("#Chassis1")), std::string::npos);

  // A version 1103 chassis: responseSource 2 becomes 3, category bit 16 moves to bit 20.
  const auto chassisFiles = SampleFiles("Chassis", ".ZCH");
  ASSERT_FALSE(chassisFiles.empty());
  std::string chassis = Cli({"dump", chassisFiles.front().string()}).out;
  chassis.replace(chassis.find("Version=\t1108"), 13, "Version=\t1103");
  auto replaceKey = [&](const std::string& key, const std::string& value) {
    const auto at = chassis.find(key + "=\t");
    if (at == std::string::npos) {
      chassis.insert(chassis.find("\r\n", chassis.find("#Chassis")) + 2, key + "=\t" + value + "\r\n");
    } else {
      chassis.replace(at, chassis.find('\r', at) - at, key + "=\t" + value);
    }
  };
  replaceKey("fgang_which", "2");
  replaceKey("typ", "65537");
  WriteFile(dir_ / "old_chassis.txt", chassis);
  ASSERT_EQ(Cli({"pack", (dir_ / "old_chassis.txt").string(), (dir_ / "old.ZCH").string()}).status, 0);
  const ProgramRun upc = Cli({"upgrade", (dir_ / "old.ZCH").string(), (dir_ / "new.ZCH").string()});
  ASSERT_EQ(upc.status, 0) << upc.err;
  const std::string newChassis = Cli({"dump", (dir_ / "new.ZCH").string()}).out;
  EXPECT_NE(newChassis.find("Version=\t1108"), std::string::npos);
  EXPECT_NE(newChassis.find("fgang_which=\t3"), std::string::npos);
  EXPECT_NE(newChassis.find("typ=\t1048577"), std::string::npos);
}

// The display defaults of Sonvex.ini are for projects the user opens;
// bringing a file forward keeps its own display options and grid.
TEST_F(CliTest, UpgradeKeepsTheDisplayOptionsOfTheProject) {
  WriteFile(dir_ / "Sonvex.ini",
            "## MyIniFile 1.0 by QZ 2004 ##\r\n#Option\r\nUseOption=\t1\r\nColorSetAmps=\t1;\t2\r\nfMin=\t50\r\n"
            "fMax=\t10000\r\nsz=\t60\r\ndBMax=\t130\r\n");
  const fs::path in = fs::path(SONVEX_DATA_DIR) / "Projekte" / "Default.ZPJ";
  const ProgramRun up = Cli({"upgrade", in.string(), (dir_ / "new.ZPJ").string(), "--data", dir_.string()});
  ASSERT_EQ(up.status, 0) << up.err;
  auto optionSection = [](const std::string& text) {
    const auto start = text.find("#Option\r\n");
    return start == std::string::npos ? std::string() : text.substr(start, text.find("\r\n#", start + 1) - start);
  };
  const std::string before = optionSection(Cli({"dump", in.string()}).out);
  const std::string after = optionSection(Cli({"dump", (dir_ / "new.ZPJ").string()}).out);
  ASSERT_NE(before, "");
  EXPECT_EQ(after, before);
}

TEST_F(CliTest, BadInputGivesStatusTwoAndAMessage) {
  std::mt19937 rng(7);
  std::string noise(3000, '\0');
  for (char& c : noise) c = static_cast<char>(rng());
  noise[0] = '\0';  // looks like a scrambled file at first
  WriteFile(dir_ / "noise.ZPJ", noise);
  WriteFile(dir_ / "empty.ZPJ", "");
  WriteFile(dir_ / "plain.ZPJ", "## MyIniFile 1.0 by QZ 2004 ##\r\n#General\r\nnAmps=\t1\r\n");
  struct Case {
    std::vector<std::string> args;
    const char* expectInErr;
  };
  const Case cases[] = {
      {{"calc", (dir_ / "missing.ZPJ").string()}, "nicht gefunden"},
      {{"calc", (dir_ / "empty.ZPJ").string()}, "ist keine gültige Projektdatei"},
      {{"calc", (dir_ / "plain.ZPJ").string()}, "ist keine gültige Projektdatei"},
      {{"calc", (dir_ / "noise.ZPJ").string()}, ""},
      {{"calc", dir_.string()}, "Verzeichnis"},
      {{"dump", (dir_ / "plain.ZPJ").string()}, ""},
      {{"upgrade", (dir_ / "noise.ZPJ").string(), (dir_ / "x.ZPJ").string()}, ""},
      {{"calc"}, ""},
      {{"frobnicate"}, ""},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    if (args[0] == "calc" && args.size() > 1) args.insert(args.end(), {"--data", dir_.string()});
    const ProgramRun r = Cli(args);
    EXPECT_EQ(r.status, 2) << args[0] << " " << (args.size() > 1 ? args[1] : "") << "\n" << r.out << r.err;
    EXPECT_NE(r.err.find(c.expectInErr), std::string::npos) << args[0] << ": " << r.err;
    EXPECT_FALSE(r.err.empty());
  }
  EXPECT_FALSE(fs::exists(dir_ / "x.ZPJ"));
}

TEST_F(CliTest, HelpAndVersion) {
  const ProgramRun help = Cli({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* word : {"calc", "dump", "pack", "upgrade", "optimize"})
    EXPECT_NE(help.out.find(word), std::string::npos) << word;
  const ProgramRun version = Cli({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_NE(version.out.find("sonvex-cli"), std::string::npos);
}

// Splits a CR LF export file into lines and checks the line ends.
std::vector<std::string> ExportLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const auto end = text.find("\r\n", start);
    EXPECT_NE(end, std::string::npos) << "line without CR LF";
    if (end == std::string::npos) break;
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

TEST_F(CliTest, JsonAndBoxExportAgree) {
  const fs::path project = fs::path(SONVEX_DATA_DIR) / "Projekte" / "Default.ZPJ";
  const ProgramRun r = Calc(project, {"--json", (dir_ / "r.json").string(), "--export-box", (dir_ / "box.exp").string(),
                                      "--export-chassis", "1", (dir_ / "ch.exp").string(), "--timing"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("Gesamt: "), std::string::npos);

  const nlohmann::json j = nlohmann::json::parse(ReadFile(dir_ / "r.json"));
  const int n = j["nFreq"];
  ASSERT_GE(n, 10);
  EXPECT_EQ(j["freq"].size(), static_cast<std::size_t>(n));
  EXPECT_TRUE(j["bValid"]);
  ASSERT_EQ(j["BoxP"].size(), static_cast<std::size_t>(n));
  EXPECT_EQ(j["BoxP"][0].size(), 30u);
  const int nc = j["nChassis"];
  for (const char* key : {"ChassisZ", "ChFront", "ChRear", "ChFrontSim", "ChRearSim", "ChassisU", "ChHub",
                          "MaxUChassis", "MaxUExc", "ContribFront", "ContribRear"}) {
    ASSERT_EQ(j[key].size(), static_cast<std::size_t>(nc)) << key;
    EXPECT_EQ(j[key][0].size(), static_cast<std::size_t>(n)) << key;
  }
  EXPECT_EQ(j["MaxP"].size(), 10u);
  EXPECT_EQ(j["FilterResp"].size(), static_cast<std::size_t>(j["nAmps"].get<int>()));
  EXPECT_FALSE(j.contains("DirFront"));
  EXPECT_EQ(j["states"]["Gesamt"], "OK");
  EXPECT_EQ(j["states"]["Baffle"].size(), 9u);
  EXPECT_EQ(j["status"]["errors"], 0);
  EXPECT_EQ(j["grades"].size(), 20u);

  // The box export: title, column line, one line per grid point, CR LF; its
  // level and phase are the JSON's on-axis box pressure to the printed precision.
  const auto lines = ExportLines(ReadFile(dir_ / "box.exp"));
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(n) + 2);
  EXPECT_EQ(lines[0].rfind("# ", 0), 0u);
  EXPECT_EQ(lines[1].rfind("# ", 0), 0u);
  for (int i = 0; i < n; ++i) {
    std::vector<double> cols;
    std::stringstream row(lines[i + 2]);
    std::string cell;
    while (std::getline(row, cell, '\t')) cols.push_back(static_cast<double>(sonvex::StrToFloatLenient(cell)));
    ASSERT_EQ(cols.size(), 3u) << lines[i + 2];
    const double f = j["freq"][i];
    const double re = j["BoxP"][i][0][0], im = j["BoxP"][i][0][1];
    const double level = 20 * std::log10(std::hypot(re, im) + 1e-50) + 112;
    const double phase = re == 0 ? 0 : std::atan2(im, re) * 180 / 3.1415926;
    // Six characters: at least three significant digits.
    EXPECT_NEAR(cols[0], f, std::abs(f) * 2e-3 + 0.5) << i;
    EXPECT_NEAR(cols[1], level, 0.06) << i;
    EXPECT_NEAR(cols[2], phase, 0.6) << i;
  }
  EXPECT_EQ(ExportLines(ReadFile(dir_ / "ch.exp")).size(), static_cast<std::size_t>(n) + 2);

  // The direction tables only on request.
  const ProgramRun t = Calc(project, {"--json", (dir_ / "t.json").string(), "--with-tables"});
  ASSERT_EQ(t.status, 0);
  const nlohmann::json jt = nlohmann::json::parse(ReadFile(dir_ / "t.json"));
  EXPECT_EQ(jt["DirFront"].size(), static_cast<std::size_t>(nc));
  EXPECT_EQ(jt["DirRear"][0][0].size(), 30u);
}

TEST_F(CliTest, FrdZmaAndSvgExportsOfTheDefaultProject) {
  const fs::path project = fs::path(SONVEX_DATA_DIR) / "Projekte" / "Default.ZPJ";
  const ProgramRun r =
      Calc(project, {"--json", (dir_ / "r.json").string(), "--export-frd", "1", (dir_ / "ch1.frd").string(),
                     "--export-zma", "1", (dir_ / "amp1.zma").string(), "--svg", (dir_ / "svg").string()});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  const nlohmann::json j = nlohmann::json::parse(ReadFile(dir_ / "r.json"));
  const int n = j["nFreq"];

  // The FRD file read back through the measurement import is chassis 1's
  // on-axis response (front and rear contributions) to the file's precision.
  const std::string frd = ReadFile(dir_ / "ch1.frd");
  EXPECT_EQ(frd.rfind("* Sonvex-Projekt: Default.ZPJ\r\n", 0), 0u);
  const sonvex::MeasurementPoints pts = sonvex::ParseMeasurementText(frd);
  ASSERT_EQ(pts.Size(), static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const auto si = static_cast<std::size_t>(i);
    const double re = j["ContribFront"][0][i][0][0].get<double>() + j["ContribRear"][0][i][0][0].get<double>();
    const double im = j["ContribFront"][0][i][0][1].get<double>() + j["ContribRear"][0][i][0][1].get<double>();
    EXPECT_NEAR(pts.F[si], j["freq"][i].get<double>(), 1e-4) << i;
    EXPECT_NEAR(pts.A[si], 20 * std::log10(std::hypot(re, im) + 1e-50) + 112, 1e-4) << i;
    EXPECT_NEAR(pts.P[si], std::atan2(im, re) * 180 / M_PI, 1.1e-3) << i;
  }

  // The amplifier of the vented two-way sees the two impedance peaks of the
  // port tuning below 200 Hz.
  const sonvex::MeasurementPoints z = sonvex::ParseMeasurementText(ReadFile(dir_ / "amp1.zma"));
  ASSERT_EQ(z.Size(), static_cast<std::size_t>(n));
  int peaks = 0;
  for (std::size_t i = 1; i + 1 < z.Size() && z.F[i] < 200; ++i)
    if (z.A[i] > z.A[i - 1] && z.A[i] > z.A[i + 1] && z.A[i] > 10) ++peaks;
  EXPECT_EQ(peaks, 2);

  for (const char* page : {"01-fgang-imped.svg", "05-polarplots.svg"}) {
    const std::string svg = ReadFile(dir_ / "svg" / page);
    EXPECT_NE(svg.find("<svg"), std::string::npos) << page;
    EXPECT_NE(svg.find("</svg>"), std::string::npos) << page;
  }

  // Numbers outside the project are refused with status 2.
  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"--export-frd", "9", (dir_ / "x.frd").string()},
        std::vector<std::string>{"--export-zma", "0", (dir_ / "x.zma").string()}}) {
    const ProgramRun b = Calc(project, bad);
    EXPECT_EQ(b.status, 2) << bad[0];
    EXPECT_NE(b.err.find(bad[0]), std::string::npos) << b.err;
    EXPECT_FALSE(fs::exists(bad[2]));
  }
}

// The spinorama curves and group delays, recomputed here from the JSON's own
// boxPressure and on-axis contributions by the definitions: powers of the 30
// directions, the standard's angles taken from the nearest direction, and
// the solid angle of each 30 degree band for the sound power.
struct SpinCheck {
  std::map<std::string, std::vector<double>> db;  // LW, ER, SP, PIR, SPDI, ERDI, FB, CB, FW, SW, RW, OnAxis
  std::vector<double> delayBox;                   // ms
  std::vector<std::vector<double>> delayChassis;  // ms
};

double Db(double power) { return 10 * std::log10(power + 1e-100) + 112; }

// -dphi/domega in ms, the phase unwrapped step by step.
std::vector<double> DelayMs(const std::vector<double>& f, const std::vector<std::complex<double>>& h) {
  const std::size_t n = f.size();
  std::vector<double> phi(n), tau(n, 0.0);
  for (std::size_t i = 0; i < n; ++i) {
    phi[i] = std::arg(h[i]);
    if (i == 0) continue;
    while (phi[i] - phi[i - 1] > M_PI) phi[i] -= 2 * M_PI;
    while (phi[i] - phi[i - 1] < -M_PI) phi[i] += 2 * M_PI;
  }
  for (std::size_t i = 0; i < n && n > 1; ++i) {
    const std::size_t a = i == 0 ? 0 : i - 1, b = i + 1 == n ? i : i + 1;
    tau[i] = -(phi[b] - phi[a]) / (2 * M_PI * (f[b] - f[a])) * 1000;
  }
  return tau;
}

SpinCheck SpinFromJson(const nlohmann::json& j) {
  const int n = j["nFreq"];
  // ring weights: (cos(theta - 15) - cos(theta + 15)) / 2 over the ring's directions
  auto band = [](double lo, double hi) { return (std::cos(lo * M_PI / 180) - std::cos(hi * M_PI / 180)) / 2; };
  double w[30];
  w[0] = w[21] = band(0, 15);
  for (int k = 1; k <= 4; ++k) {
    w[k] = band(15, 45) / 4;
    w[4 + k] = band(45, 75) / 4;
    w[8 + k] = band(75, 105) / 12;
    w[12 + k] = band(105, 135) / 4;
    w[16 + k] = band(135, 165) / 4;
  }
  for (int k = 22; k < 30; ++k) w[k] = band(75, 105) / 12;
  SpinCheck s;
  std::vector<double> f;
  std::vector<std::complex<double>> axis;
  for (int i = 0; i < n; ++i) {
    double P[30];
    for (int k = 0; k < 30; ++k) {
      const double re = j["BoxP"][i][k][0], im = j["BoxP"][i][k][1];
      P[k] = re * re + im * im;
    }
    // U30 L30 D30 R30 = 1..4, U60 L60 D60 R60 = 5..8, U90 L90 D90 R90 = 9..12, rear 21
    const double lw = (5 * P[0] + 2 * P[2] + 2 * P[4]) / 9;
    const double fb = P[3], cb = (P[1] + 2 * P[5]) / 3, fw = (3 * P[0] + 2 * P[2] + 2 * P[4]) / 7;
    const double sw = (P[2] + 3 * P[6] + P[10] + P[4] + 3 * P[8] + P[12]) / 10;
    const double rw = (P[21] + P[10] + P[12]) / 3;
    const double er = (fb + cb + fw + sw + rw) / 5;
    double sp = 0;
    for (int k = 0; k < 30; ++k) sp += w[k] * P[k];
    const double pir = 0.12 * lw + 0.44 * er + 0.44 * sp;
    for (const auto& [name, v] : {std::pair<const char*, double>{"LW", lw},
                                  {"ER", er},
                                  {"SP", sp},
                                  {"PIR", pir},
                                  {"FB", fb},
                                  {"CB", cb},
                                  {"FW", fw},
                                  {"SW", sw},
                                  {"RW", rw},
                                  {"OnAxis", P[0]}})
      s.db[name].push_back(Db(v));
    s.db["SPDI"].push_back(Db(lw) - Db(sp));
    s.db["ERDI"].push_back(Db(lw) - Db(er));
    f.push_back(j["freq"][i]);
    axis.emplace_back(j["BoxP"][i][0][0], j["BoxP"][i][0][1]);
  }
  s.delayBox = DelayMs(f, axis);
  for (std::size_t c = 0; c < j["ContribFront"].size(); ++c) {
    std::vector<std::complex<double>> h;
    for (int i = 0; i < n; ++i)
      h.emplace_back(j["ContribFront"][c][i][0][0].get<double>() + j["ContribRear"][c][i][0][0].get<double>(),
                     j["ContribFront"][c][i][0][1].get<double>() + j["ContribRear"][c][i][0][1].get<double>());
    s.delayChassis.push_back(DelayMs(f, h));
  }
  return s;
}

// Every sample project, its plain-text source packed again, and variants
// with the chassis moved about the baffle: the JSON's curves follow the
// definitions, and the FRD files read back through the measurement import
// give the same levels to the file's four decimals, phase 0.
TEST_F(CliTest, SpinoramaFollowsItsDefinitionsOnEverySample) {
  std::vector<fs::path> projects = SampleFiles("Projekte", ".ZPJ");
  std::mt19937 random(25);
  std::vector<fs::path> sources;
  for (const auto& e : fs::directory_iterator(fs::path(SONVEX_SAMPLES_DIR) / "Projekte")) sources.push_back(e.path());
  std::sort(sources.begin(), sources.end());
  for (const fs::path& plain : sources) {
    const fs::path packed = dir_ / plain.stem();
    ASSERT_EQ(Cli({"pack", plain.string(), packed.string()}).status, 0) << plain;
    projects.push_back(packed);
    // a variant: every outlet moved sideways and in depth by up to 20 cm,
    // each chassis on a baffle of its own (moved off its face of a common
    // cabinet, a port would rightly stop the calculation)
    std::string text = ReadFile(plain);
    for (auto at = text.find("\nusegemgeh=\t1"); at != std::string::npos; at = text.find("\nusegemgeh=\t1", at + 1))
      text[at + std::strlen("\nusegemgeh=\t")] = '0';
    for (const char* key : {"\nhor=\t", "\nstra=\t", "\nhorr=\t", "\nstrar=\t"}) {
      for (auto at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
        const auto start = at + std::strlen(key);
        const double v = std::uniform_real_distribution<double>(-0.2, 0.2)(random);
        text.replace(start, text.find_first_of("\r\n", start) - start, sonvex::FormatNumber(v, 6));
      }
    }
    WriteFile(dir_ / "moved.txt", text);
    const fs::path moved = dir_ / ("moved-" + plain.stem().string());
    ASSERT_EQ(Cli({"pack", (dir_ / "moved.txt").string(), moved.string()}).status, 0) << plain;
    projects.push_back(moved);
  }
  ASSERT_GE(projects.size(), 9u);
  for (const fs::path& project : projects) {
    SCOPED_TRACE(project.string());
    const fs::path spinDir = dir_ / ("spin-" + project.stem().string());
    const ProgramRun r = Calc(project, {"--json", (dir_ / "s.json").string(), "--export-spin", spinDir.string()});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    const nlohmann::json j = nlohmann::json::parse(ReadFile(dir_ / "s.json"));
    const int n = j["nFreq"];
    const SpinCheck want = SpinFromJson(j);
    for (const auto& [name, curve] : want.db) {
      if (name == "OnAxis") continue;
      const nlohmann::json& got = j["Spin"][name];
      ASSERT_EQ(got.size(), static_cast<std::size_t>(n)) << name;
      for (int i = 0; i < n; ++i) ASSERT_NEAR(got[i].get<double>(), curve[i], 1e-9) << name << " " << i;
    }
    ASSERT_EQ(j["GroupDelay"]["box"].size(), static_cast<std::size_t>(n));
    ASSERT_EQ(j["GroupDelay"]["chassis"].size(), want.delayChassis.size());
    const auto near = [](double a, double b) { return std::abs(a - b) <= 1e-9 * (1 + std::abs(b)); };
    for (int i = 0; i < n; ++i) {
      ASSERT_PRED2(near, j["GroupDelay"]["box"][i].get<double>(), want.delayBox[i]) << i;
      for (std::size_t c = 0; c < want.delayChassis.size(); ++c)
        ASSERT_PRED2(near, j["GroupDelay"]["chassis"][c][i].get<double>(), want.delayChassis[c][i]) << c << " " << i;
    }

    for (const auto& [file, name] : {std::pair{"on-axis.frd", "OnAxis"},
                                     {"listening-window.frd", "LW"},
                                     {"early-reflections.frd", "ER"},
                                     {"sound-power.frd", "SP"},
                                     {"in-room.frd", "PIR"}}) {
      const std::string text = ReadFile(spinDir / file);
      EXPECT_EQ(text.rfind("* Sonvex-Projekt: " + project.filename().string() + "\r\n", 0), 0u) << file;
      const sonvex::MeasurementPoints pts = sonvex::ParseMeasurementText(text);
      ASSERT_EQ(pts.Size(), static_cast<std::size_t>(n)) << file;
      for (int i = 0; i < n; ++i) {
        const auto si = static_cast<std::size_t>(i);
        ASSERT_NEAR(pts.F[si], j["freq"][i].get<double>(), 5.1e-5) << file << " " << i;
        ASSERT_NEAR(pts.A[si], want.db.at(name)[si], 5.1e-5) << file << " " << i;
        ASSERT_EQ(pts.P[si], 0.0) << file << " " << i;
      }
    }
  }
}

TEST_F(CliTest, CalculationErrorsGiveStatusOne) {
  // Default project with the first chassis's linear excursion removed.
  std::string project = Cli({"dump", (fs::path(SONVEX_DATA_DIR) / "Projekte" / "Default.ZPJ").string()}).out;
  const auto at = project.find("xlin=\t", project.find("#Chassis1"));
  ASSERT_NE(at, std::string::npos);
  project.replace(at, project.find('\r', at) - at, "xlin=\t0");
  WriteFile(dir_ / "bad.txt", project);
  ASSERT_EQ(Cli({"pack", (dir_ / "bad.txt").string(), (dir_ / "bad.ZPJ").string()}).status, 0);
  const ProgramRun r =
      Calc(dir_ / "bad.ZPJ", {"--json", (dir_ / "bad.json").string(), "--export-spin", (dir_ / "spin").string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("Fehler: Chassis 1: Linearer Hub"), std::string::npos) << r.out;
  // no valid calculation: empty spinorama curves and no FRD files
  const nlohmann::json j = nlohmann::json::parse(ReadFile(dir_ / "bad.json"));
  EXPECT_TRUE(j["Spin"]["LW"].empty());
  EXPECT_TRUE(j["GroupDelay"]["box"].empty());
  EXPECT_FALSE(fs::exists(dir_ / "spin"));
  EXPECT_NE(r.err.find("--export-spin"), std::string::npos) << r.err;
}

TEST_F(CliTest, OptimizeNeedsMarkedPartsAndImprovesTheGrade) {
  const fs::path project = fs::path(SONVEX_DATA_DIR) / "Projekte" / "Default.ZPJ";
  const ProgramRun none = Cli({"optimize", project.string(), "--out", (dir_ / "x.ZPJ").string()});
  EXPECT_EQ(none.status, 1) << none.out << none.err;
  EXPECT_FALSE(none.err.empty());
  EXPECT_FALSE(fs::exists(dir_ / "x.ZPJ"));

  // Mark the first capacitor of the crossover and detune it.
  std::string text = Cli({"dump", project.string()}).out;
  const auto cap = text.find("_typ=\t3\r\n");
  ASSERT_NE(cap, std::string::npos);
  const auto keyStart = text.rfind("\n", cap) + 1;
  const std::string part = text.substr(keyStart, cap - keyStart);  // "_PartNN"
  text.insert(cap + 9, part + "_bOpti=\t1\r\n");
  const auto value = text.find(part + "_value=\t");
  ASSERT_NE(value, std::string::npos);
  text.replace(value, text.find('\r', value) - value, part + "_value=\t2,2E-5");
  WriteFile(dir_ / "marked.txt", text);
  ASSERT_EQ(Cli({"pack", (dir_ / "marked.txt").string(), (dir_ / "marked.ZPJ").string()}).status, 0);

  const ProgramRun run =
      Cli({"optimize", (dir_ / "marked.ZPJ").string(), "--out", (dir_ / "best.ZPJ").string(), "--capacitors", "e12"});
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  // The five grade lines before and after; the total grade went down.
  const auto before = run.out.find("Note gesamt       =");
  const auto after = run.out.rfind("Note gesamt       =");
  ASSERT_NE(before, std::string::npos);
  ASSERT_NE(before, after);
  const double g0 = std::stod(run.out.substr(before + 20, 9));
  const double g1 = std::stod(run.out.substr(after + 20, 9));
  EXPECT_LT(g1, g0);
  const ProgramRun calc = Calc(dir_ / "best.ZPJ");
  EXPECT_EQ(calc.status, 0) << calc.out;
}

// optimize reads Sonvex.ini and the data folders of --data as calc does: the
// coils come from the air-core list of that parts folder.
TEST_F(CliTest, OptimizeUsesTheDataFolderAndItsCoilList) {
  fs::create_directories(dir_ / "Weichenbauteile");
  WriteFile(dir_ / "Weichenbauteile" / "Spulen_Luft.txt",
            "L;Eigene Spulen;0;0;\r\nL;Eigene 0,33;0,33;0,21;\r\nL;Eigene 0,68;0,68;0,32;\r\nL;Eigene 1,5;1,5;0,55;\r\n"
            "L;Eigene 3,3;3,3;0,87;\r\n");
  std::string text = Cli({"dump", (fs::path(SONVEX_DATA_DIR) / "Projekte" / "Default.ZPJ").string()}).out;
  const auto coil = text.find("_typ=\t4\r\n");
  ASSERT_NE(coil, std::string::npos);
  const auto keyStart = text.rfind("\n", coil) + 1;
  text.insert(coil + 9, text.substr(keyStart, coil - keyStart) + "_bOpti=\t1\r\n");
  WriteFile(dir_ / "marked.txt", text);
  ASSERT_EQ(Cli({"pack", (dir_ / "marked.txt").string(), (dir_ / "marked.ZPJ").string()}).status, 0);

  const ProgramRun run =
      Cli({"optimize", (dir_ / "marked.ZPJ").string(), "--out", (dir_ / "best.ZPJ").string(), "--data", dir_.string()});
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_NE(run.out.find(" aus der Spulenliste: Eigene "), std::string::npos) << run.out;

  // An unusable project: status 2 and the reason on stderr.
  WriteFile(dir_ / "empty.ZPJ", std::string(1, '\0'));
  const ProgramRun empty =
      Cli({"optimize", (dir_ / "empty.ZPJ").string(), "--out", (dir_ / "x.ZPJ").string(), "--data", dir_.string()});
  EXPECT_EQ(empty.status, 2);
  EXPECT_NE(empty.err.find("empty.ZPJ"), std::string::npos) << empty.err;
  EXPECT_FALSE(fs::exists(dir_ / "x.ZPJ"));
}

// Neither program may need a display, or QT_QPA_PLATFORM, for what it does
// without a window; run as from a shell without either.
const std::vector<std::string> kNoDisplay{"-u", "QT_QPA_PLATFORM", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY"};

TEST_F(CliTest, PicturesInBothFormatsNeedNoDisplay) {
  const fs::path project = fs::path(SONVEX_DATA_DIR) / "Projekte" / "Default.ZPJ";
  const ProgramRun r =
      sonvex::testing::RunProgram(SONVEX_CLI,
                                  {"calc", project.string(), "--data", dir_.string(), "--png", (dir_ / "png").string(),
                                   "--svg", (dir_ / "svg").string(), "--size", "400x300"},
                                  dir_ / "stderr.txt", kNoDisplay);
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("Berechnung war erfolgreich."), std::string::npos) << r.out;
  for (const char* page : {"01-fgang-imped", "05-polarplots"}) {
    EXPECT_GT(fs::file_size(dir_ / "png" / (std::string(page) + ".png")), 1000u) << page;
    const std::string svg = ReadFile(dir_ / "svg" / (std::string(page) + ".svg"));
    EXPECT_NE(svg.find("</svg>"), std::string::npos) << page;
  }
}

TEST_F(CliTest, DesktopProgramAnswersHelpAndVersionAndNeedsADisplay) {
  auto gui = [&](const std::vector<std::string>& args, const std::vector<std::string>& env = kNoDisplay) {
    return sonvex::testing::RunProgram(SONVEX_GUI, args, dir_ / "stderr.txt", env);
  };
  const ProgramRun help = gui({"--help"});
  EXPECT_EQ(help.status, 0) << help.err;
  for (const char* word : {"Aufruf: sonvex", "--data", "--pause", "--opti-pause", "--version", "sonvex-cli calc"})
    EXPECT_NE(help.out.find(word), std::string::npos) << word << "\n" << help.out;
  EXPECT_EQ(help.err, "");
  EXPECT_EQ(gui({"-h"}).out, help.out);
  // Also after other options, and with a display named that is not there.
  EXPECT_EQ(gui({"--data", dir_.string(), "--help"}, {"DISPLAY=:999"}).out, help.out);

  const ProgramRun version = gui({"--version"});
  EXPECT_EQ(version.status, 0) << version.err;
  EXPECT_EQ(version.out.rfind("sonvex 1.", 0), 0u) << version.out;
  EXPECT_EQ(version.out.find("sonvex-cli"), std::string::npos) << version.out;
  EXPECT_EQ(version.err, "");

  // Without a display: a German message and status 2, no abort.
  const fs::path project = fs::path(SONVEX_DATA_DIR) / "Projekte" / "Default.ZPJ";
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, {project.string()}, {"--data", dir_.string(), project.string()}}) {
    const ProgramRun r = gui(args);
    EXPECT_EQ(r.status, 2) << r.out << r.err;
    EXPECT_NE(r.err.find("Keine grafische Oberfläche gefunden"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("sonvex-cli calc"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Projektdatei nicht gefunden"), std::string::npos) << r.err;
  }
  // A Qt platform that needs none does not stop it: an unknown option is
  // refused there, before a window opens, rather than taken for a project.
  const ProgramRun unknown =
      gui({"--frobnicate"}, {"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM=offscreen"});
  EXPECT_EQ(unknown.status, 2) << unknown.out << unknown.err;
  EXPECT_NE(unknown.err.find("Unbekannte Option: --frobnicate"), std::string::npos) << unknown.err;
  EXPECT_EQ(unknown.err.find("Projektdatei nicht gefunden"), std::string::npos) << unknown.err;
}

// A chassis value far too small (tiny, or 0 where the simulation lets it
// pass) ends calc and optimize alike with status 1 and a German message
// that names the chassis and the value; nothing is written by optimize.
TEST_F(CliTest, ChassisValuesFarTooSmallEndCalcAndOptimizeNamingThem) {
  const std::string text = ReadFile(fs::path(SONVEX_SAMPLES_DIR) / "Projekte" / "Default.ZPJ.txt");
  // The default project with its first capacitor marked and `key` of
  // chassis `nr` (the woofer 1 in a closed box, the tweeter 2 measured only)
  // set to `value`.
  auto variant = [&](const std::string& name, int nr, const std::string& key, const std::string& value) {
    std::string t = text;
    const auto typ = t.find("_typ=\t3\r\n", t.find("#Weiche1"));
    const auto keyStart = t.rfind('\n', typ) + 1;
    const std::string part = t.substr(keyStart, typ - keyStart);
    t.insert(t.find('\n', typ) + 1, part + "_bOpti=\t1\r\n");
    const auto at = t.find("\n" + key + "=\t", t.find("#Chassis" + std::to_string(nr) + "\r\n")) + 1;
    t.replace(at, t.find('\r', at) - at, key + "=\t" + value);
    WriteFile(dir_ / (name + ".txt"), t);
    EXPECT_EQ(Cli({"pack", (dir_ / (name + ".txt")).string(), (dir_ / name).string()}).status, 0) << name;
    return dir_ / name;
  };
  struct Case {
    const char* name;
    int chassis;
    const char* key;
    const char* value;
    const char* named;  // the value as the message names it
  };
  const Case cases[] = {
      {"amem300.ZPJ", 2, "Amem", "1E-300", "Sd (Amem) = 1E-300 m²"},
      {"xlin300.ZPJ", 2, "xlin", "1E-300", "xlin = 1E-300 m"},
      {"amem30.ZPJ", 2, "Amem", "1E-30", "Sd (Amem) = 1E-30 m²"},
      {"woofer-amem300.ZPJ", 1, "Amem", "1E-300", "Sd (Amem) = 1E-300 m²"},
      {"woofer-xlin300.ZPJ", 1, "xlin", "1E-300", "xlin = 1E-300 m"},
  };
  for (const Case& c : cases) {
    const fs::path project = variant(c.name, c.chassis, c.key, c.value);
    const std::string chassis = "Chassis " + std::to_string(c.chassis);
    const ProgramRun calc = Calc(project, {"--json", (dir_ / "r.json").string()});
    EXPECT_EQ(calc.status, 1) << c.name << "\n" << calc.out << calc.err;
    EXPECT_NE(calc.out.find("Fehler: " + chassis + ": " + c.named + " liegt unter dem kleinsten plausiblen Wert"),
              std::string::npos)
        << c.name << "\n"
        << calc.out;
    EXPECT_EQ(calc.out.find("erfolgreich"), std::string::npos) << c.name << "\n" << calc.out;
    const nlohmann::json j = nlohmann::json::parse(ReadFile(dir_ / "r.json"));
    EXPECT_FALSE(j["bValid"].get<bool>()) << c.name;

    const ProgramRun opt =
        Cli({"optimize", project.string(), "--out", (dir_ / "out.ZPJ").string(), "--data", dir_.string()});
    EXPECT_EQ(opt.status, 1) << c.name << "\n" << opt.out << opt.err;
    EXPECT_NE(opt.err.find(chassis + ":\n" + c.named), std::string::npos) << c.name << "\n" << opt.err;
    EXPECT_EQ((opt.out + opt.err).find("Ausgangsweiche"), std::string::npos) << c.name;
    EXPECT_EQ(opt.out.find("erfolgreich"), std::string::npos) << c.name << "\n" << opt.out;
    EXPECT_FALSE(fs::exists(dir_ / "out.ZPJ")) << c.name;
  }
  // An Sd of 0 passes the simulation of a chassis measured only, whose
  // excursion then had no scale (a total grade of 7E91): calc names it too.
  const ProgramRun zero = Calc(variant("amem0.ZPJ", 2, "Amem", "0"));
  EXPECT_EQ(zero.status, 1) << zero.out << zero.err;
  EXPECT_NE(zero.out.find("Fehler: Chassis 2: Sd (Amem) = 0 m² liegt unter dem kleinsten"), std::string::npos)
      << zero.out;
}

// The optimizer's end message names the total grade before and after; an
// end worse than the start (here the only coil of the list, far too large,
// fixed at the end) says so, and the start values are written.
TEST_F(CliTest, OptimizeEndingWorseThanItsStartKeepsTheStartValues) {
  const std::string text = ReadFile(fs::path(SONVEX_SAMPLES_DIR) / "Projekte" / "Default.ZPJ.txt");
  std::string t = text;
  const auto coil = t.find("_typ=\t4\r\n");
  ASSERT_NE(coil, std::string::npos);
  const auto keyStart = t.rfind("\n", coil) + 1;
  t.insert(coil + 9, t.substr(keyStart, coil - keyStart) + "_bOpti=\t1\r\n");
  WriteFile(dir_ / "marked.txt", t);
  ASSERT_EQ(Cli({"pack", (dir_ / "marked.txt").string(), (dir_ / "marked.ZPJ").string()}).status, 0);
  WriteFile(dir_ / "spulen.txt", "L;Eine Spule;0;0;\r\nL;Riesenspule 47;47;3,3;\r\n");

  const ProgramRun worse = Cli({"optimize", (dir_ / "marked.ZPJ").string(), "--out", (dir_ / "out.ZPJ").string(),
                                "--data", dir_.string(), "--coil-list", (dir_ / "spulen.txt").string()});
  ASSERT_EQ(worse.status, 0) << worse.out << worse.err;
  EXPECT_NE(worse.out.find("aus der Spulenliste: Riesenspule 47"), std::string::npos) << worse.out;
  const auto end = worse.out.find(
      "Die Optimierung wurde beendet, das Ergebnis ist aber schlechter als der Start: "
      "Note gesamt vorher ");
  ASSERT_NE(end, std::string::npos) << worse.out;
  EXPECT_NE(worse.out.find("Es wird empfohlen, die Startwerte zu behalten.", end), std::string::npos) << worse.out;
  EXPECT_NE(worse.out.find("Gespeichert werden die Startwerte.", end), std::string::npos) << worse.out;
  EXPECT_EQ(worse.out.find("erfolgreich beendet"), std::string::npos) << worse.out;
  // The grades named are those of the first and the last report.
  const auto first = worse.out.find("Note gesamt       =");
  const auto last = worse.out.rfind("Note gesamt       =");
  ASSERT_NE(first, last);
  auto comma = [](std::string s) {
    s.erase(0, s.find_first_not_of(' '));
    std::replace(s.begin(), s.end(), '.', ',');
    return s;
  };
  const std::string before = comma(worse.out.substr(first + 20, 8));
  const std::string after = comma(worse.out.substr(last + 20, 8));
  EXPECT_NE(worse.out.find("vorher " + before + ", nachher " + after + "."), std::string::npos)
      << before << " " << after << "\n"
      << worse.out;
  // The project written holds the start values.
  EXPECT_EQ(Cli({"dump", (dir_ / "out.ZPJ").string()}).out, Cli({"dump", (dir_ / "marked.ZPJ").string()}).out);

  // A better end names both grades after the success text.
  const ProgramRun better = Cli({"optimize", (dir_ / "marked.ZPJ").string(), "--out", (dir_ / "better.ZPJ").string(),
                                 "--data", dir_.string(), "--coils", "keep"});
  ASSERT_EQ(better.status, 0) << better.out << better.err;
  EXPECT_NE(better.out.find("Die Optimierung wurde erfolgreich beendet. Note gesamt vorher "), std::string::npos)
      << better.out;
  EXPECT_EQ(better.out.find("schlechter"), std::string::npos) << better.out;
}

}  // namespace

// One table for every command: 0 success; 1 a project that was read but
// cannot be computed or optimised (the reason printed); 2 unreadable input,
// an output that cannot be written, or wrong usage, with a message on stderr.
// The model's own directions written as files, imported again as a polar
// set into a project slot and a chassis file; every bad input is refused
// with its message and leaves the file as it was.
TEST_F(CliTest, PolarImportStoresASetAndCalcReportsItsDirections) {
  const fs::path sample = fs::path(SONVEX_DATA_DIR) / "Projekte" / "Default.ZPJ";
  const fs::path frd = dir_ / "frd";
  const ProgramRun exported =
      Cli({"polar-export", sample.string(), "--slot", "1", frd.string(), "--step", "30", "--data", dir_.string()});
  ASSERT_EQ(exported.status, 0) << exported.err;
  std::vector<std::string> files;
  for (const auto& e : fs::directory_iterator(frd)) files.push_back(e.path().string());
  std::sort(files.begin(), files.end());
  ASSERT_EQ(files.size(), 22u);  // horizontal 0, ±30 … ±150, 180; vertical ±30 … ±150
  const auto named = [&files](const std::string& end) {
    return *std::find_if(files.begin(), files.end(), [&end](const std::string& f) { return f.ends_with(end); });
  };
  const std::string hor0 = named(" hor 0.frd"), hor30 = named(" hor 30.frd");

  const fs::path project = dir_ / "p.ZPJ";
  fs::copy_file(sample, project);
  std::vector<std::string> args{"polar-import", "--project", project.string(), "--slot", "1"};
  args.insert(args.end(), files.begin(), files.end());
  const ProgramRun stored = Cli(args);
  ASSERT_EQ(stored.status, 0) << stored.err;
  EXPECT_NE(stored.out.find("Richtungen aus Messung: 0–29"), std::string::npos) << stored.out;
  // The sample's response was measured on an infinite baffle: kept, not used.
  EXPECT_NE(stored.out.find("sie gelten nur für einen Frequenzgang"), std::string::npos) << stored.out;
  ASSERT_EQ(Calc(project, {"--json", (dir_ / "p.json").string()}).status, 0);
  EXPECT_EQ(nlohmann::json::parse(ReadFile(dir_ / "p.json"))["PolarMeasured"], nlohmann::json::parse("[[], []]"));

  // In use in the three-way sample: its midrange's directions all come from measurement.
  ASSERT_EQ(
      Calc(fs::path(SONVEX_DATA_DIR) / "Projekte" / "Dreiweg-Standbox.ZPJ", {"--json", (dir_ / "d.json").string()})
          .status,
      0);
  const auto measured = nlohmann::json::parse(ReadFile(dir_ / "d.json"))["PolarMeasured"];
  ASSERT_EQ(measured.size(), 3u);
  EXPECT_TRUE(measured[0].empty());
  EXPECT_EQ(measured[1].size(), 30u);

  const fs::path chassis = dir_ / "SV-100.ZCH";
  fs::copy_file(fs::path(SONVEX_DATA_DIR) / "Chassis" / "SV-100.ZCH", chassis);
  args = {"polar-import", chassis.string()};
  args.insert(args.end(), files.begin(), files.end());
  ASSERT_EQ(Cli(args).status, 0);
  EXPECT_NE(Cli({"dump", chassis.string()}).out.find("PolarAnz=\t22\r\n"), std::string::npos);

  WriteFile(dir_ / "ohne Winkel.frd", ReadFile(hor0));
  WriteFile(dir_ / "30_H.frd", ReadFile(hor0));
  WriteFile(dir_ / "hoch hor 60.frd", "30000 80 0\n40000 79 0\n");
  const std::string before = ReadFile(project);
  struct Case {
    std::vector<std::string> files;
    const char* message;
  };
  const Case cases[] = {
      {{hor0, (dir_ / "fehlt hor 30.frd").string()}, "kann nicht gelesen werden"},
      {{hor0, (dir_ / "ohne Winkel.frd").string()}, "lassen sich Ebene und Winkel nicht lesen"},
      {{hor0, hor30, (dir_ / "30_H.frd").string()}, "denselben Winkel"},
      {{hor30, named(" ver 60.frd")}, "keine Datei hat den Winkel 0°"},
      {{hor0}, "mindestens zwei Dateien"},
      {{hor0, (dir_ / "hoch hor 60.frd").string()}, "außerhalb des Frequenzbereichs"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> a{"polar-import", "--project", project.string(), "--slot", "1"};
    a.insert(a.end(), c.files.begin(), c.files.end());
    const ProgramRun r = Cli(a);
    EXPECT_EQ(r.status, 2) << c.message;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(ReadFile(project), before) << c.message;
  }
  const ProgramRun badSlot = Cli({"polar-import", "--project", project.string(), "--slot", "3", hor0, hor30});
  EXPECT_EQ(badSlot.status, 2);
  EXPECT_NE(badSlot.err.find("Chassis 3 gibt es im Projekt nicht (Chassis 1 bis 2)"), std::string::npos) << badSlot.err;
  EXPECT_EQ(Cli({"polar-import", "--project", project.string(), hor0, hor30}).status, 2);  // no slot
}

TEST_F(CliTest, EveryCommandExitsWithZeroOneOrTwo) {
  const fs::path plain = fs::path(SONVEX_SAMPLES_DIR) / "Projekte" / "Default.ZPJ.txt";
  const std::string text = ReadFile(plain);
  // The default project with its first crossover part marked for the
  // optimizer and `key` of the first chassis set to `value`.
  auto variant = [&](const std::string& name, const std::string& key, const std::string& value) {
    std::string t = text;
    const auto typ = t.find("_typ=\t3\r\n", t.find("#Weiche1"));  // a capacitor
    const auto keyStart = t.rfind('\n', typ) + 1;
    const std::string part = t.substr(keyStart, typ - keyStart);
    t.insert(t.find('\n', typ) + 1, part + "_bOpti=\t1\r\n");
    if (!key.empty()) {
      const auto at = t.find("\n" + key + "=\t", t.find("#Chassis1")) + 1;
      t.replace(at, t.find('\r', at) - at, key + "=\t" + value);
    }
    WriteFile(dir_ / (name + ".txt"), t);
    EXPECT_EQ(Cli({"pack", (dir_ / (name + ".txt")).string(), (dir_ / name).string()}).status, 0) << name;
    return (dir_ / name).string();
  };
  const std::string project = (fs::path(SONVEX_DATA_DIR) / "Projekte" / "Default.ZPJ").string();
  const std::string noPower = variant("nopower.ZPJ", "_PMax", "0");  // computes; the optimizer needs Pmax
  const std::string noXlin = variant("noxlin.ZPJ", "xlin", "0");     // a calculation error
  const std::string noQes = variant("noqes.ZPJ", "Qes", "0");        // the same, with full chassis data
  const std::string missing = (dir_ / "missing.ZPJ").string();
  const std::string out = (dir_ / "out.ZPJ").string();  // never written by optimize here
  const std::string written = (dir_ / "written.ZPJ").string();
  const std::string unwritable = (dir_ / "no" / "such" / "folder" / "x.ZPJ").string();

  struct Case {
    std::vector<std::string> args;
    int status;
    const char* inOutput;  // expected in stdout + stderr
  };
  const Case cases[] = {
      {{"calc", project}, 0, "Berechnung war erfolgreich."},
      {{"calc", noPower}, 0, "Berechnung war erfolgreich."},
      {{"calc", noXlin}, 1, "Linearer Hub"},
      {{"calc", missing}, 2, "nicht gefunden"},
      {{"calc", project, "--json", unwritable}, 2, ""},
      {{"dump", project}, 0, "#Chassis1"},
      {{"dump", missing}, 2, "nicht gefunden"},
      {{"pack", plain.string(), written}, 0, ""},
      {{"pack", missing, written}, 2, "nicht gefunden"},
      {{"upgrade", project, written}, 0, "Projekt gespeichert"},
      {{"upgrade", missing, written}, 2, "nicht gefunden"},
      {{"optimize", project, "--out", out}, 1, "keine Bauteile"},
      {{"optimize", noPower, "--out", out}, 1, "Sd, xlin und Pmax"},
      {{"optimize", noXlin, "--out", out}, 1, "Sd, xlin und Pmax"},
      {{"optimize", noQes, "--out", out}, 1, "Berechnung fehlerhaft."},
      {{"optimize", missing, "--out", out}, 2, "nicht gefunden"},
      {{"optimize", noPower}, 2, "--out"},
      {{"optimize", noPower, "--out", out, "--bass", "7"}, 2, "--bass"},
      {{"design", "zobel"}, 0, "R = 7,771 Ohm"},
      {{"design", "keller"}, 2, ""},
      {{"design", "box", "--tf", "1000"}, 2, "gehört zur Seite crossover"},
      {{}, 2, ""},
      {{"frobnicate"}, 2, ""},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    if (!args.empty() && (args[0] == "calc" || args[0] == "upgrade" || args[0] == "optimize"))
      args.insert(args.end(), {"--data", dir_.string()});
    std::string call;
    for (const std::string& a : args) call += " " + a;
    const ProgramRun r = Cli(args);
    EXPECT_EQ(r.status, c.status) << call << "\n" << r.out << r.err;
    EXPECT_NE((r.out + r.err).find(c.inOutput), std::string::npos) << call << "\n" << r.out << r.err;
    EXPECT_TRUE(c.status != 2 || !r.err.empty()) << call;
    EXPECT_TRUE(c.args.empty() || c.args[0] != "optimize" || !fs::exists(out)) << call;
  }
}
