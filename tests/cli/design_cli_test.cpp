// `sonvex-cli design`: the calculator pages on the command line, run as a
// user runs them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/run_program.h"

namespace {

namespace fs = std::filesystem;

using sonvex::testing::ProgramRun;

ProgramRun Design(std::vector<std::string> args) {
  args.insert(args.begin(), "design");
  // one file per test process: CTest may run the tests side by side
  return sonvex::testing::RunProgram(
      SONVEX_CLI, args, fs::temp_directory_path() / ("sonvex_design_cli_" + std::to_string(getpid()) + ".txt"));
}

TEST(DesignCommand, BoxPagePrintsClosedAndVentedAlignment) {
  const ProgramRun r = Design({"box", "--fs", "35", "--qts", "0,4", "--vas", "80", "--qtcwunsch", "0,7"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "Berechnetes Volumen: 38,788 Liter\n"
            "Resonanzfrequenz des eingebauten Chassis: 61,25 Hz\n"
            "\n"
            "Volumen: 87,669 Liter\n"
            "Grenzfrequenz: 33,12 Hz\n"
            "Abstimmfrequenz: 33,53 Hz\n"
            "\n");
}

TEST(DesignCommand, OptionsTakePointOrCommaAndFlags) {
  // Qts from Qes = 0.5 and Qms = 2 (0.4), raised by Rv = 1 on Rdc = 6 to 0.4667:
  // Vb = 80/(1.5² - 1) = 64 l; the alternative volume of 50 l is listed third.
  const ProgramRun r = Design({"box", "--qts", "0.9", "--checkboxqesmsda", "1", "--checkboxrv", "1", "--altvab", "50"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "Berechnetes Volumen: 64 Liter");
  EXPECT_NE(r.out.find("\n\nGrenzfrequenz: "), std::string::npos);
}

TEST(DesignCommand, EveryPageWithItsInitialTexts) {
  ProgramRun r = Design({"port"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("fb = 47,59 Hz\n"), std::string::npos) << r.out;
  r = Design({"port", "--rb_rund", "1", "--d", "7", "--g", "2"});
  EXPECT_NE(r.out.find("Abstand des Rohrs zur Rückwand zu klein ist.\n"), std::string::npos) << r.out;
  r = Design({"crossover", "--tf", "1000"});
  EXPECT_EQ(r.out.substr(0, 26), "Butterworth:\nL = 1,273 mH\n");
  r = Design({"divider", "--cb_dbwunsch", "5"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("R1 = 2,3364 Ohm\n"), std::string::npos);
  EXPECT_NE(r.out.find("\n\nPegelabsenkung: -4,07 dB\nAnschlußimpedanz: 5,876 Ohm\n"), std::string::npos);
  r = Design({"zobel"});
  EXPECT_EQ(r.out.substr(0, r.out.find("\n\n")), "R = 7,771 Ohm\nL = 6,559 mH\nC = 886,6 µF");
}

// Extreme inputs are accepted; a result that would be "nan" or "inf" says
// that it makes no sense, and the command still succeeds.
TEST(DesignCommand, ResultsThatAreNotFiniteReadNichtSinnvoll) {
  struct Case {
    std::vector<std::string> args;
    const char* expected;
  };
  const Case cases[] = {
      {{"port", "--e", "1e-300"},
       "Sonvex kann die Abstimmung nicht berechnen, da die\nMaße des Kanals geometrisch nicht sinnvoll erscheinen.\n"},
      {{"divider", "--r1", "1e300"}, "\n\nPegelabsenkung: nicht sinnvoll\nAnschlußimpedanz: 1E300 Ohm\n"},
      {{"zobel", "--rlc_rdc", "1e-300"}, "\n\nR = +0,0 Ohm\nC = nicht sinnvoll\n\n"},
      {{"crossover", "--tf", "1e-300", "--itt", "1e300"}, "Butterworth:\nL = nicht sinnvoll\n"},
      {{"box", "--qts", "1e-300"}, "Grenzfrequenz: nicht sinnvoll\n"},
  };
  for (const Case& c : cases) {
    const ProgramRun r = Design(c.args);
    EXPECT_EQ(r.status, 0) << c.args[0] << r.err;
    EXPECT_NE(r.out.find(c.expected), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find(" nan"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("inf "), std::string::npos) << r.out;
  }
}

TEST(DesignCommand, BadUsageExitsWith2) {
  for (const std::vector<std::string>& args : {std::vector<std::string>{"keller"},
                                               {"box", "--tf", "1000"},
                                               {"port", "--trackbarc", "5"},
                                               {"divider", "--cb_zeegal", "ja"},
                                               {"port", "--rbvexpl", "1", "--rb_vbht", "1"}}) {
    const ProgramRun r = Design(args);
    EXPECT_EQ(r.status, 2) << args[0];
    EXPECT_FALSE(r.err.empty());
    EXPECT_TRUE(r.out.empty());
  }
  const ProgramRun help = Design({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--qtcwunsch"), std::string::npos);
  EXPECT_NE(help.out.find("--rlc_le"), std::string::npos);
}

}  // namespace
