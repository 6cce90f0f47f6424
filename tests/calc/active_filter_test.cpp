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
    p->nAmps = 3;
    p->freq.fill(0.0);
    p->freq[0] = 100.0;
    p->freq[1] = 1000.0;
    p->freq[2] = 0.0;  // end of the grid
  }
  TVerstaerker& amp() { return p->Verstaerker[2]; }
  std::unique_ptr<TProjekt> p = MakeNewProject();
  std::unique_ptr<TResult> r = std::make_unique<TResult>();
};

TEST_F(ActiveFilterTest, ResponsesAt100Hz) {
  const double s = std::sqrt(0.5);
  struct Case {
    const char* name;
    std::function<void(TVerstaerker&)> set;
    TComplex at100;
  };
  const std::vector<Case> cases = {
      {"all off", [](TVerstaerker&) {}, {1, 0}},
      {"level 2", [](TVerstaerker& v) { v.Pegel = 2.0; }, {2, 0}},
      {"HP6 100 Hz", [](TVerstaerker& v) { v.HP6 = true, v.HP6f = 100; }, {0.5, 0.5}},
      {"HP121 100 Hz Q 0.707", [s](TVerstaerker& v) { v.HP121 = true, v.HP121f = 100, v.HP121q = s; }, {0, s}},
      {"HP122 100 Hz Q 0.707", [s](TVerstaerker& v) { v.HP122 = true, v.HP122f = 100, v.HP122q = s; }, {0, s}},
      {"TP6 100 Hz", [](TVerstaerker& v) { v.TP6 = true, v.TP6f = 100; }, {0.5, -0.5}},
      {"TP121 100 Hz Q 0.707", [s](TVerstaerker& v) { v.TP121 = true, v.TP121f = 100, v.TP121q = s; }, {0, -s}},
      {"TP122 100 Hz Q 0.707", [s](TVerstaerker& v) { v.TP122 = true, v.TP122f = 100, v.TP122q = s; }, {0, -s}},
      {"HP6 and TP6 at level 2",
       [](TVerstaerker& v) { v.Pegel = 2, v.HP6 = true, v.HP6f = 100, v.TP6 = true, v.TP6f = 100; },
       {1, 0}},  // 2 x 1/(1-j) x 1/(1+j)
  };
  for (const Case& c : cases) {
    amp() = TVerstaerker{};
    c.set(amp());
    r->FilterResp[2][2] = {42, 42};
    ASSERT_EQ(AktFiltItem(*p, 2, *r), "OK") << c.name;
    EXPECT_NEAR(r->FilterResp[2][0].re, c.at100.re, 1e-12) << c.name;
    EXPECT_NEAR(r->FilterResp[2][0].im, c.at100.im, 1e-12) << c.name;
    EXPECT_EQ(r->FilterResp[2][2], (TComplex{42, 42})) << c.name << ": beyond the grid";
  }
}

TEST_F(ActiveFilterTest, SecondOrderSlopesOneDecadeAway) {
  amp().HP121 = true, amp().HP121f = 1000, amp().HP121q = std::sqrt(0.5);
  ASSERT_EQ(AktFiltItem(*p, 2, *r), "OK");
  EXPECT_NEAR(CAbs(r->FilterResp[2][0]), 1.0 / std::sqrt(1.0 + 1e4), 1e-12);  // Butterworth: 1/sqrt(1+(fc/f)^4)
  EXPECT_NEAR(CAbs(r->FilterResp[2][1]), std::sqrt(0.5), 1e-12);
  EXPECT_NEAR(CArg(r->FilterResp[2][1]), std::numbers::pi / 2, 1e-12);
}

TEST_F(ActiveFilterTest, ValidationLastFailingTestWins) {
  const std::string level = "Fehler: Aktives Filter an Verstärker 3: Pegelangabe fehlerhaft.";
  const std::string corner = "Fehler: Aktives Filter an Verstärker 3: Eckfrequenzen und Güten dürfen nicht <= 0 sein.";
  struct Case {
    const char* name;
    std::function<void(TVerstaerker&)> set;
    std::string state;
  };
  const std::vector<Case> cases = {
      {"level 0", [](TVerstaerker& v) { v.Pegel = 0; }, level},
      {"level negative", [](TVerstaerker& v) { v.Pegel = -1; }, level},
      {"level not a number", [](TVerstaerker& v) { v.Pegel = std::nan(""); }, level},
      {"level 0 and HP6 at 0 Hz", [](TVerstaerker& v) { v.Pegel = 0, v.HP6 = true, v.HP6f = 0; }, corner},
      {"TP121 quality 0", [](TVerstaerker& v) { v.TP121 = true, v.TP121q = 0; }, corner},
      {"TP122 negative frequency", [](TVerstaerker& v) { v.TP122 = true, v.TP122f = -5; }, corner},
      {"HP122 quality 0 with level 0", [](TVerstaerker& v) { v.Pegel = 0, v.HP122 = true, v.HP122q = 0; }, corner},
      {"disabled sections are not tested", [](TVerstaerker& v) { v.HP6f = 0, v.TP121q = 0, v.HP122f = -1; }, "OK"},
  };
  for (const Case& c : cases) {
    amp() = TVerstaerker{};
    c.set(amp());
    r->FilterResp[2][0] = {7, 7};
    EXPECT_EQ(AktFiltItem(*p, 2, *r), c.state) << c.name;
    if (c.state != "OK") {
      EXPECT_EQ(r->FilterResp[2][0], (TComplex{7, 7})) << c.name << ": previous values stay";
    }
  }
}

TEST_F(ActiveFilterTest, FaultKeepsEarlierPoints) {
  // A corner frequency so small that f/fc overflows at the second grid point.
  amp().TP6 = true;
  amp().TP6f = 1e-306;
  p->freq[0] = 10.0;
  p->freq[1] = 10000.0;
  r->FilterResp[2][0] = {7, 7};
  r->FilterResp[2][1] = {7, 7};
  EXPECT_EQ(AktFiltItem(*p, 2, *r), "Fehler: Frequenzgang aktives Filter an Verstärker 3 kann nicht berechnet werden.");
  EXPECT_NEAR(CAbs(r->FilterResp[2][0]), 0.0, 1e-300);
  EXPECT_EQ(r->FilterResp[2][1], (TComplex{7, 7}));
}

}  // namespace
}  // namespace sonvex
