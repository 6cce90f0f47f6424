#include "calc/active_filter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <vector>

namespace sonvex {
namespace {

class ActiveFilterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    p_->ampCount = 3;
    p_->freq.fill(0.0);
    p_->freq[0] = 100.0;
    p_->freq[1] = 1000.0;
    p_->freq[2] = 0.0;  // end of the grid
  }
  Amplifier& Amp() { return p_->amplifiers[2]; }
  std::unique_ptr<Project> p_ = MakeNewProject();
  std::unique_ptr<CalcResult> r_ = std::make_unique<CalcResult>();
};

TEST_F(ActiveFilterTest, ResponsesAt100Hz) {
  const double s = std::sqrt(0.5);
  struct Case {
    const char* name;
    std::function<void(Amplifier&)> set;
    Complex at100;
  };
  const std::vector<Case> cases = {
      {"all off", [](Amplifier&) {}, {1, 0}},
      {"level 2", [](Amplifier& v) { v.level = 2.0; }, {2, 0}},
      {"HP6 100 Hz", [](Amplifier& v) { v.highPass6On = true, v.highPass6F = 100; }, {0.5, 0.5}},
      {"HP121 100 Hz Q 0.707",
       [s](Amplifier& v) { v.highPass12aOn = true, v.highPass12aF = 100, v.highPass12aQ = s; },
       {0, s}},
      {"HP122 100 Hz Q 0.707",
       [s](Amplifier& v) { v.highPass12bOn = true, v.highPass12bF = 100, v.highPass12bQ = s; },
       {0, s}},
      {"TP6 100 Hz", [](Amplifier& v) { v.lowPass6On = true, v.lowPass6F = 100; }, {0.5, -0.5}},
      {"TP121 100 Hz Q 0.707",
       [s](Amplifier& v) { v.lowPass12aOn = true, v.lowPass12aF = 100, v.lowPass12aQ = s; },
       {0, -s}},
      {"TP122 100 Hz Q 0.707",
       [s](Amplifier& v) { v.lowPass12bOn = true, v.lowPass12bF = 100, v.lowPass12bQ = s; },
       {0, -s}},
      {"HP6 and TP6 at level 2",
       [](Amplifier& v) {
         v.level = 2, v.highPass6On = true, v.highPass6F = 100, v.lowPass6On = true, v.lowPass6F = 100;
       },
       {1, 0}},  // 2 x 1/(1-j) x 1/(1+j)
  };
  for (const Case& c : cases) {
    Amp() = Amplifier{};
    c.set(Amp());
    r_->filterResponse[2][2] = {42, 42};
    ASSERT_EQ(ActiveFilterItem(*p_, 2, *r_), "OK") << c.name;
    EXPECT_NEAR(r_->filterResponse[2][0].re, c.at100.re, 1e-12) << c.name;
    EXPECT_NEAR(r_->filterResponse[2][0].im, c.at100.im, 1e-12) << c.name;
    EXPECT_EQ(r_->filterResponse[2][2], (Complex{42, 42})) << c.name << ": beyond the grid";
  }
}

TEST_F(ActiveFilterTest, SecondOrderSlopesOneDecadeAway) {
  Amp().highPass12aOn = true, Amp().highPass12aF = 1000, Amp().highPass12aQ = std::sqrt(0.5);
  ASSERT_EQ(ActiveFilterItem(*p_, 2, *r_), "OK");
  EXPECT_NEAR(CAbs(r_->filterResponse[2][0]), 1.0 / std::sqrt(1.0 + 1e4), 1e-12);  // Butterworth: 1/sqrt(1+(fc/f)^4)
  EXPECT_NEAR(CAbs(r_->filterResponse[2][1]), std::sqrt(0.5), 1e-12);
  EXPECT_NEAR(CArg(r_->filterResponse[2][1]), std::numbers::pi / 2, 1e-12);
}

TEST_F(ActiveFilterTest, ValidationLastFailingTestWins) {
  const std::string level = "Fehler: Aktives Filter an Verstärker 3: Pegelangabe fehlerhaft.";
  const std::string corner = "Fehler: Aktives Filter an Verstärker 3: Eckfrequenzen und Güten dürfen nicht <= 0 sein.";
  struct Case {
    const char* name;
    std::function<void(Amplifier&)> set;
    std::string state;
  };
  const std::vector<Case> cases = {
      {"level 0", [](Amplifier& v) { v.level = 0; }, level},
      {"level negative", [](Amplifier& v) { v.level = -1; }, level},
      {"level not a number", [](Amplifier& v) { v.level = std::nan(""); }, level},
      {"level 0 and HP6 at 0 Hz", [](Amplifier& v) { v.level = 0, v.highPass6On = true, v.highPass6F = 0; }, corner},
      {"TP121 quality 0", [](Amplifier& v) { v.lowPass12aOn = true, v.lowPass12aQ = 0; }, corner},
      {"TP122 negative frequency", [](Amplifier& v) { v.lowPass12bOn = true, v.lowPass12bF = -5; }, corner},
      {"HP122 quality 0 with level 0", [](Amplifier& v) { v.level = 0, v.highPass12bOn = true, v.highPass12bQ = 0; },
       corner},
      {"disabled sections are not tested",
       [](Amplifier& v) { v.highPass6F = 0, v.lowPass12aQ = 0, v.highPass12bF = -1; }, "OK"},
  };
  for (const Case& c : cases) {
    Amp() = Amplifier{};
    c.set(Amp());
    r_->filterResponse[2][0] = {7, 7};
    EXPECT_EQ(ActiveFilterItem(*p_, 2, *r_), c.state) << c.name;
    if (c.state != "OK") {
      EXPECT_EQ(r_->filterResponse[2][0], (Complex{7, 7})) << c.name << ": previous values stay";
    }
  }
}

TEST_F(ActiveFilterTest, FaultKeepsEarlierPoints) {
  // A corner frequency so small that f/fc overflows at the second grid point.
  Amp().lowPass6On = true;
  Amp().lowPass6F = 1e-306;
  p_->freq[0] = 10.0;
  p_->freq[1] = 10000.0;
  r_->filterResponse[2][0] = {7, 7};
  r_->filterResponse[2][1] = {7, 7};
  EXPECT_EQ(ActiveFilterItem(*p_, 2, *r_),
            "Fehler: Frequenzgang aktives Filter an Verstärker 3 kann nicht berechnet werden.");
  EXPECT_NEAR(CAbs(r_->filterResponse[2][0]), 0.0, 1e-300);
  EXPECT_EQ(r_->filterResponse[2][1], (Complex{7, 7}));
}

}  // namespace
}  // namespace sonvex
