#include "calc/whole_box.h"
#include "calc/baffle_item.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <vector>

#include "acoustics/baffle.h"
#include "acoustics/cabinet.h"
#include "acoustics/enclosure.h"

namespace sonvex {
namespace {

class WholeBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    p->nAmps = 2;
    p->nChassis = 2;
    r->AmpOfChassis.fill(-1);
    for (auto& f : r->FilterResp) f.fill(COne);
    for (int c = 0; c < kChassisSlots; ++c) {
      p->Chassis[c].xlin = 2e-3;
      p->Chassis[c]._PMax = 100;
      p->Chassis[c]._ZNenn = 8;
      Fill(c, COne, CZero);
    }
  }
  // Chassis c radiating equally into all directions with the given front and rear pressure.
  void Fill(int c, TComplex front, TComplex rear) {
    r->ChFront[c].fill(front);
    r->ChRear[c].fill(rear);
    r->ChFrontSim[c].fill(front);
    r->ChRearSim[c].fill(rear);
    for (auto& row : r->DirFront[c]) row.fill(COne);
    for (auto& row : r->DirRear[c]) row.fill(COne);
    r->ChassisU[c].fill(COne);
    r->ChHub[c].fill(1e-3);
  }
  void Place(int c, double x, double y, double z) {
    TSchallwand& w = p->Schallwand[c];
    w.hor = w.horr = x;
    w.vert = w.vertr = y;
    w.stra = w.strar = z;
  }
  int Points() const {
    int n = 0;
    while (n < kFreqEntries && p->freq[n] > 0) ++n;
    return n;
  }
  std::vector<TComplex> BoxColumn(int k) const {
    std::vector<TComplex> v;
    for (int i = 0; i < Points(); ++i) v.push_back(r->BoxP[i][k]);
    return v;
  }
  std::unique_ptr<TProjekt> p = MakeNewProject();
  std::unique_ptr<TResult> r = std::make_unique<TResult>();
};

void ExpectNear(TComplex a, TComplex b, double tol, const std::string& what) {
  EXPECT_NEAR(a.re, b.re, tol) << what;
  EXPECT_NEAR(a.im, b.im, tol) << what;
}

TEST_F(WholeBoxTest, OneChassisAtTheOrigin) {
  r->AmpOfChassis[0] = 0;
  const TComplex front{0.3, -0.2}, rear{0.05, 0.1};
  Fill(0, front, rear);
  for (int i = 0; i < kFreqEntries; ++i) {
    for (int k = 0; k < kDirections; ++k) {
      r->DirFront[0][i][k] = {1.0 - 0.02 * k, 0.01 * k + 0.001 * i};
      r->DirRear[0][i][k] = {0.5, -0.01 * k};
    }
  }
  ASSERT_EQ(GesamtItem(*p, *r), "OK");
  ASSERT_GT(Points(), 100);
  for (int i = 0; i < Points(); ++i) {
    for (int k = 0; k < kDirections; ++k) {
      const TComplex f = CMul(front, r->DirFront[0][i][k]);
      const TComplex b = CMul(rear, r->DirRear[0][i][k]);
      ExpectNear(r->ContribFront[0][i][k], f, 1e-15, "front");
      ExpectNear(r->ContribRear[0][i][k], b, 1e-15, "rear");
      ExpectNear(r->BoxP[i][k], CAdd(f, b), 1e-15, "box " + std::to_string(k));
    }
    ExpectNear(r->BoxTiltDown[i], r->BoxP[i][0], 1e-15, "tilt down");
    ExpectNear(r->BoxTiltUp[i], r->BoxP[i][0], 1e-15, "tilt up");
  }
}

TEST_F(WholeBoxTest, TwoChassisAboveAndBelow) {
  r->AmpOfChassis[0] = 0;
  ASSERT_EQ(GesamtItem(*p, *r), "OK");
  const std::vector<TComplex> single = BoxColumn(0);

  r->AmpOfChassis[1] = 1;
  Place(0, 0, 0.1, 0);
  Place(1, 0, -0.1, 0);
  ASSERT_EQ(GesamtItem(*p, *r), "OK");
  for (int i = 0; i < Points(); ++i) {
    const double f = p->freq[i];
    ExpectNear(r->BoxP[i][0], CScale(single[i], 2.0), 1e-14, "on axis");
    ExpectNear(r->BoxTiltDown[i], r->BoxTiltUp[i], 1e-14, "tilt sums");
    // A listener 1° off axis hears the two at a path difference of 0.2 m x sin 1°.
    const double t = f * 2 * 3.14159 * 0.017455 / 345;
    ExpectNear(r->BoxTiltDown[i], CScale(single[i], 2 * std::cos(t * 0.1)), 1e-13, "tilt");
    ExpectNear(r->BoxP[i][1], r->BoxP[i][3], 1e-13, "30 degrees up and down");
  }
}

TEST_F(WholeBoxTest, ForwardChassisLeadsInPhase) {
  r->AmpOfChassis[0] = 0;
  Fill(0, {0.4, 0.3}, CZero);
  ASSERT_EQ(GesamtItem(*p, *r), "OK");
  const std::vector<TComplex> ref = BoxColumn(0);
  Place(0, 0, 0, 0.344);
  ASSERT_EQ(GesamtItem(*p, *r), "OK");
  for (int i = 0; i < Points(); ++i) {
    const double lead = 2 * std::numbers::pi * p->freq[i] / 1000;
    ExpectNear(r->BoxP[i][0], CMul(ref[i], CPolar(1.0, lead)), 1e-12, "f = " + std::to_string(p->freq[i]));
  }
}

// The directions in the baffle plane: turning the box about its axis turns the
// chassis position. A chassis at (x, y) heard at perimeter angle a is heard as a
// chassis at height -x sin a + y cos a is heard straight up (90° up, direction 9).
TEST_F(WholeBoxTest, BafflePlaneDirectionsFollowGeometry) {
  const double angles[] = {30, 60, 120, 150, 210, 240, 300, 330};
  const double x = 0.12, y = -0.07;
  r->AmpOfChassis[0] = 0;
  Place(0, x, y, 0.05);
  ASSERT_EQ(GesamtItem(*p, *r), "OK");
  std::vector<std::vector<TComplex>> plane;
  for (int k = 22; k < 30; ++k) plane.push_back(BoxColumn(k));
  for (int j = 0; j < 8; ++j) {
    const double a = angles[j] * std::numbers::pi / 180;
    Place(0, 0, -x * std::sin(a) + y * std::cos(a), 0.0);
    ASSERT_EQ(GesamtItem(*p, *r), "OK");
    for (int i = 0; i < Points(); ++i)
      ExpectNear(plane[j][i], r->BoxP[i][9], 1e-12, "direction " + std::to_string(22 + j));
  }
}

TEST_F(WholeBoxTest, UndrivenChassisContributesAndLimitsNothing) {
  r->AmpOfChassis[0] = 0;
  Fill(1, {50, 50}, {50, 0});
  p->Chassis[1]._PMax = 0;
  r->MaxUExc[1].fill(-3);
  for (auto& row : r->ContribFront[1]) row.fill({9, 9});
  ASSERT_EQ(GesamtItem(*p, *r), "OK");
  for (int i = 0; i < Points(); ++i) {
    ExpectNear(r->BoxP[i][0], COne, 1e-15, "box");
    EXPECT_EQ(r->ContribFront[1][i][0], CZero);
    EXPECT_EQ(r->ContribRear[1][i][29], CZero);
    EXPECT_EQ(r->MaxUChassis[1][i], 1e10);
    EXPECT_EQ(r->MaxUExc[1][i], -3);  // not written
    EXPECT_EQ(r->MaxU[i], r->MaxUChassis[0][i]);
  }
}

TEST_F(WholeBoxTest, NothingConnected) {
  ASSERT_EQ(GesamtItem(*p, *r), "OK");
  for (int i = 0; i < Points(); ++i) {
    for (int k = 0; k < kDirections; ++k) EXPECT_EQ(r->BoxP[i][k], CZero);
    EXPECT_EQ(r->MaxU[i], 1e10);
    EXPECT_EQ(r->MaxP[9][i], 0);
    EXPECT_EQ(r->DirIdx[i], 0);
  }
}

TEST_F(WholeBoxTest, ExcursionAndPowerLimits) {
  // One chassis on axis: |front| 1, excursion 1 mm at 2.83 V, xlin 2 mm.
  const double maxPExc = 1.0 * 2e-3 / 2 / 1e-3 / 2.828 * 3.7 * 0.8;
  struct Case {
    const char* name;
    std::function<void(TProjekt&, TResult&)> set;
    double maxP0, maxUExc, maxUChassis, maxU, maxPBox;
  };
  const std::vector<Case> cases = {
      {"excursion limits", [](TProjekt&, TResult&) {}, maxPExc, 2.96, 2.96, 2.96, 2.96 / 2.828},
      {"rated power limits", [](TProjekt& p, TResult&) { p.Chassis[0]._PMax = 0.5; }, 2.0 / 2.83, 2.96, 2.0, 2.0,
       2.0 / 2.828},
      {"rated power 0", [](TProjekt& p, TResult&) { p.Chassis[0]._PMax = 0; }, 0.0, 2.96, 1e-50, 1e-50, 1e-50 / 2.828},
      {"no excursion: MaxP kept", [](TProjekt&, TResult& r) { r.ChHub[0].fill(0.0); }, 5.0, 5.0 * 2.828, 5.0 * 2.828,
       5.0 * 2.828, 5.0},
      {"level 2 halves the voltages",
       [](TProjekt&, TResult& r) {
         r.FilterResp[0].fill({2, 0});
       },
       maxPExc, 1.48, 1.48, 1.48, 2 * 1.48 / 2.828},
      {"no voltage at the chassis: no limit", [](TProjekt&, TResult& r) { r.ChassisU[0].fill(CZero); }, maxPExc, 1e50,
       1e50, 1e10, 0.0},
  };
  for (const Case& c : cases) {
    SetUp();
    r->AmpOfChassis[0] = 0;
    p->nChassis = 1;
    r->MaxP[0].fill(5.0);
    for (int row = 1; row < 9; ++row) r->MaxP[row].fill(7.0);
    c.set(*p, *r);
    ASSERT_EQ(GesamtItem(*p, *r), "OK") << c.name;
    for (int i : {0, Points() - 1}) {
      EXPECT_NEAR(r->MaxP[0][i], c.maxP0, 1e-12) << c.name;
      EXPECT_NEAR(r->MaxUExc[0][i], c.maxUExc, 1e-12 * c.maxUExc) << c.name;
      EXPECT_NEAR(r->MaxUChassis[0][i], c.maxUChassis, 1e-12 * c.maxUChassis) << c.name;
      EXPECT_NEAR(r->MaxU[i], c.maxU, 1e-12 * c.maxU) << c.name;
      EXPECT_NEAR(r->MaxP[9][i], c.maxPBox, 1e-12) << c.name;
      for (int row = 1; row < 9; ++row) EXPECT_EQ(r->MaxP[row][i], 1e-50) << c.name << ": slots beyond nChassis";
    }
  }
}

TEST_F(WholeBoxTest, DirectivityRatio) {
  r->AmpOfChassis[0] = 0;
  ASSERT_EQ(GesamtItem(*p, *r), "OK");
  for (int i = 0; i < Points(); ++i) EXPECT_NEAR(r->DirIdx[i], 1.0, 1e-12);
  // On-axis only: the ratio is sqrt(30).
  for (auto& row : r->DirFront[0]) {
    row.fill(CZero);
    row[0] = COne;
  }
  ASSERT_EQ(GesamtItem(*p, *r), "OK");
  EXPECT_NEAR(r->DirIdx[0], std::sqrt(30.0), 1e-9);
}

TEST_F(WholeBoxTest, FaultsKeepEarlierIndices) {
  const std::string fail = "Fehler: Gesamtbox kann nicht berechnet werden.";
  r->AmpOfChassis[0] = 0;
  r->ChFront[0][5] = {std::nan(""), 0};
  r->BoxP[6][0] = {-7, -7};
  EXPECT_EQ(GesamtItem(*p, *r), fail);
  ExpectNear(r->BoxP[4][0], COne, 1e-15, "written before the fault");
  EXPECT_EQ(r->BoxP[6][0], (TComplex{-7, -7}));

  // Limits that cannot be computed from the data of a chassis name it.
  const std::string limitFail = "Fehler: Maximale Spannung von Chassis 1 kann nicht berechnet werden.";
  r->ChFront[0][5] = COne;
  p->Chassis[0]._PMax = -10;  // no square root of a negative power
  EXPECT_EQ(GesamtItem(*p, *r), limitFail);
  p->Chassis[0]._PMax = 10;
  p->Chassis[0].xlin = 1e300;  // the excursion limit overflows
  r->FilterResp[0].fill({1e-10, 0});
  EXPECT_EQ(GesamtItem(*p, *r), limitFail);
  r->FilterResp[0].fill(COne);
  p->Chassis[0].xlin = 2e-3;

  p->Chassis[0]._PMax = 10;
  r->AmpOfChassis[3] = 6;  // no such amplifier
  EXPECT_EQ(GesamtItem(*p, *r), fail);
}

}  // namespace
}  // namespace sonvex

namespace sonvex {
namespace {

// The driver side of the baffle step: the table goes to the front, and to the
// rear unchanged or mirrored.
TEST(BaffleItem, TablesAndMessages) {
  auto p = MakeNewProject();
  auto r = std::make_unique<TResult>();
  auto direct = std::make_unique<TDirTable>();
  auto mirrored = std::make_unique<TDirTable>();
  p->nChassis = 2;
  TSchallwand& w = p->Schallwand[1];
  w.d = 0.17, w.a = 0.2, w.c = 0.15, w.h = 0.9, w.b = 0.3;  // a 17 cm chassis on a 30 x 90 cm baffle
  w.directionr = 1;
  const std::string text = ComputeBaffle(p->Schallwand[1], p->freq, kFreqEntries - 1, p->Chassis[1].seo, *direct);
  ASSERT_EQ(text, "OK");
  *mirrored = *direct;
  MirrorDirections(*mirrored);
  ASSERT_NE(*mirrored, *direct);

  EXPECT_EQ(BaffleItem(*p, 1, *r), "OK");
  EXPECT_EQ(r->DirFront[1], *direct);
  EXPECT_EQ(r->DirRear[1], *mirrored);

  p->Schallwand[1].directionr = 0;
  EXPECT_EQ(BaffleItem(*p, 1, *r), "OK");
  EXPECT_EQ(r->DirRear[1], *direct);

  // A failing baffle names the chassis and still hands over its table.
  p->Schallwand[1].d = -0.1;
  const std::string bad = ComputeBaffle(p->Schallwand[1], p->freq, kFreqEntries - 1, p->Chassis[1].seo, *direct);
  ASSERT_GE(bad.size(), 3u);
  r->DirFront[1][0][0] = {-7, -7};
  EXPECT_EQ(BaffleItem(*p, 1, *r), "Fehler: Chassis 2: " + bad);
  EXPECT_EQ(r->DirFront[1], *direct);
  EXPECT_EQ(r->DirRear[1], *direct);
}

// A new project's chassis follow the common cabinet, which has no size yet:
// the message says so and how to give it one.
TEST(BaffleItem, ACommonCabinetWithoutSizeIsNamed) {
  auto p = MakeNewProject();
  auto r = std::make_unique<TResult>();
  ASSERT_TRUE(p->Schallwand[0].usegemgeh);
  EXPECT_EQ(BaffleItem(*p, 0, *r), std::string("Fehler: Chassis 1: ") + kNoCabinetSizeText);
  // A baffle of its own with the same values keeps the baffle's own message.
  p->Schallwand[0].usegemgeh = false;
  EXPECT_EQ(BaffleItem(*p, 0, *r).find("gemeinsame Außengehäuse"), std::string::npos);
}

// A port on the box that lies off its face fails the baffle step as a chassis
// off its face does; a closed box or a baffle of its own has no port to check.
TEST(BaffleItem, PortOffTheBoxIsAnError) {
  auto p = MakeNewProject();
  auto r = std::make_unique<TResult>();
  p->nChassis = 1;
  TGemGeh box;
  box.h = 1.0, box.b = 0.25, box.t = 0.30;
  p->GemGeh = box;
  TSchallwand& w = p->Schallwand[0];
  w.d = 0.13;
  w.usegemgeh = true;
  ASSERT_TRUE(BaffleFromCabinet(w, box, kFaceFront, kRearSameFace, 0.5, 0.125, -0.42, 0.125));
  const std::string port = "Position der Reflexöffnung auf der Schallwand geometrisch nicht möglich. ";
  p->Einbau[0].Typ = kTypVented;
  EXPECT_EQ(BaffleItem(*p, 0, *r), "Fehler: Chassis 1: " + port);
  p->Einbau[0].Typ = kTypBandpassBi;
  EXPECT_EQ(BaffleItem(*p, 0, *r), "Fehler: Chassis 1: " + port);
  p->Einbau[0].Typ = kTypClosed;
  EXPECT_EQ(BaffleItem(*p, 0, *r), "OK");
  p->Einbau[0].Typ = kTypVented;
  w.usegemgeh = false;
  EXPECT_EQ(BaffleItem(*p, 0, *r), "OK");
  w.usegemgeh = true;
  // Both off the face: both messages.
  ASSERT_TRUE(BaffleFromCabinet(w, box, kFaceFront, kRearSameFace, 1.5, 0.125, -0.42, 0.125));
  const std::string both = BaffleItem(*p, 0, *r);
  EXPECT_NE(both.find("Chassisposition auf der Schallwand geometrisch nicht möglich. "), std::string::npos) << both;
  EXPECT_NE(both.find(port), std::string::npos) << both;
  // On the face it is fine.
  ASSERT_TRUE(BaffleFromCabinet(w, box, kFaceFront, kRearSameFace, 0.5, 0.125, 0.08, 0.125));
  EXPECT_EQ(BaffleItem(*p, 0, *r), "OK");
}

}  // namespace
}  // namespace sonvex
