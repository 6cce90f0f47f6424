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
    p_->ampCount = 2;
    p_->chassisCount = 2;
    r_->ampOfChassis.fill(-1);
    for (auto& f : r_->filterResponse) f.fill(kComplexOne);
    for (int c = 0; c < kChassisSlots; ++c) {
      p_->chassis[c].xlin = 2e-3;
      p_->chassis[c].maxPower = 100;
      p_->chassis[c].nominalImpedance = 8;
      Fill(c, kComplexOne, kComplexZero);
    }
  }
  // Chassis c radiating equally into all directions with the given front and rear pressure.
  void Fill(int c, Complex front, Complex rear) {
    r_->chassisFront[c].fill(front);
    r_->chassisRear[c].fill(rear);
    r_->chassisFrontSim[c].fill(front);
    r_->chassisRearSim[c].fill(rear);
    for (auto& row : r_->directionsFront[c]) row.fill(kComplexOne);
    for (auto& row : r_->directionsRear[c]) row.fill(kComplexOne);
    r_->chassisVoltageGain[c].fill(kComplexOne);
    r_->chassisExcursion[c].fill(1e-3);
  }
  void Place(int c, double x, double y, double z) {
    Baffle& w = p_->baffles[c];
    w.horizontal = w.rearHorizontal = x;
    w.vertical = w.rearVertical = y;
    w.forward = w.rearForward = z;
  }
  int Points() const {
    int n = 0;
    while (n < kFreqEntries && p_->freq[n] > 0) ++n;
    return n;
  }
  std::vector<Complex> BoxColumn(int k) const {
    std::vector<Complex> v;
    for (int i = 0; i < Points(); ++i) v.push_back(r_->boxPressure[i][k]);
    return v;
  }
  std::unique_ptr<Project> p_ = MakeNewProject();
  std::unique_ptr<CalcResult> r_ = std::make_unique<CalcResult>();
};

void ExpectNear(Complex a, Complex b, double tol, const std::string& what) {
  EXPECT_NEAR(a.re, b.re, tol) << what;
  EXPECT_NEAR(a.im, b.im, tol) << what;
}

TEST_F(WholeBoxTest, OneChassisAtTheOrigin) {
  r_->ampOfChassis[0] = 0;
  const Complex front{0.3, -0.2}, rear{0.05, 0.1};
  Fill(0, front, rear);
  for (int i = 0; i < kFreqEntries; ++i) {
    for (int k = 0; k < kDirections; ++k) {
      r_->directionsFront[0][i][k] = {1.0 - 0.02 * k, 0.01 * k + 0.001 * i};
      r_->directionsRear[0][i][k] = {0.5, -0.01 * k};
    }
  }
  ASSERT_EQ(WholeBoxItem(*p_, *r_), "OK");
  ASSERT_GT(Points(), 100);
  for (int i = 0; i < Points(); ++i) {
    for (int k = 0; k < kDirections; ++k) {
      const Complex f = CMul(front, r_->directionsFront[0][i][k]);
      const Complex b = CMul(rear, r_->directionsRear[0][i][k]);
      ExpectNear(r_->contributionFront[0][i][k], f, 1e-15, "front");
      ExpectNear(r_->contributionRear[0][i][k], b, 1e-15, "rear");
      ExpectNear(r_->boxPressure[i][k], CAdd(f, b), 1e-15, "box " + std::to_string(k));
    }
    ExpectNear(r_->boxTiltDown[i], r_->boxPressure[i][0], 1e-15, "tilt down");
    ExpectNear(r_->boxTiltUp[i], r_->boxPressure[i][0], 1e-15, "tilt up");
  }
}

TEST_F(WholeBoxTest, TwoChassisAboveAndBelow) {
  r_->ampOfChassis[0] = 0;
  ASSERT_EQ(WholeBoxItem(*p_, *r_), "OK");
  const std::vector<Complex> single = BoxColumn(0);

  r_->ampOfChassis[1] = 1;
  Place(0, 0, 0.1, 0);
  Place(1, 0, -0.1, 0);
  ASSERT_EQ(WholeBoxItem(*p_, *r_), "OK");
  for (int i = 0; i < Points(); ++i) {
    const double f = p_->freq[i];
    ExpectNear(r_->boxPressure[i][0], CScale(single[i], 2.0), 1e-14, "on axis");
    ExpectNear(r_->boxTiltDown[i], r_->boxTiltUp[i], 1e-14, "tilt sums");
    // A listener 1° off axis hears the two at a path difference of 0.2 m x sin 1°.
    const double t = f * 2 * 3.14159 * 0.017455 / 345;
    ExpectNear(r_->boxTiltDown[i], CScale(single[i], 2 * std::cos(t * 0.1)), 1e-13, "tilt");
    ExpectNear(r_->boxPressure[i][1], r_->boxPressure[i][3], 1e-13, "30 degrees up and down");
  }
}

TEST_F(WholeBoxTest, ForwardChassisLeadsInPhase) {
  r_->ampOfChassis[0] = 0;
  Fill(0, {0.4, 0.3}, kComplexZero);
  ASSERT_EQ(WholeBoxItem(*p_, *r_), "OK");
  const std::vector<Complex> ref = BoxColumn(0);
  Place(0, 0, 0, 0.344);
  ASSERT_EQ(WholeBoxItem(*p_, *r_), "OK");
  for (int i = 0; i < Points(); ++i) {
    const double lead = 2 * std::numbers::pi * p_->freq[i] / 1000;
    ExpectNear(r_->boxPressure[i][0], CMul(ref[i], CPolar(1.0, lead)), 1e-12, "f = " + std::to_string(p_->freq[i]));
  }
}

// The directions in the baffle plane: turning the box about its axis turns the
// chassis position. A chassis at (x, y) heard at perimeter angle a is heard as a
// chassis at height -x sin a + y cos a is heard straight up (90° up, direction 9).
TEST_F(WholeBoxTest, BafflePlaneDirectionsFollowGeometry) {
  const double angles[] = {30, 60, 120, 150, 210, 240, 300, 330};
  const double x = 0.12, y = -0.07;
  r_->ampOfChassis[0] = 0;
  Place(0, x, y, 0.05);
  ASSERT_EQ(WholeBoxItem(*p_, *r_), "OK");
  std::vector<std::vector<Complex>> plane;
  for (int k = 22; k < 30; ++k) plane.push_back(BoxColumn(k));
  for (int j = 0; j < 8; ++j) {
    const double a = angles[j] * std::numbers::pi / 180;
    Place(0, 0, -x * std::sin(a) + y * std::cos(a), 0.0);
    ASSERT_EQ(WholeBoxItem(*p_, *r_), "OK");
    for (int i = 0; i < Points(); ++i)
      ExpectNear(plane[j][i], r_->boxPressure[i][9], 1e-12, "direction " + std::to_string(22 + j));
  }
}

TEST_F(WholeBoxTest, UndrivenChassisContributesAndLimitsNothing) {
  r_->ampOfChassis[0] = 0;
  Fill(1, {50, 50}, {50, 0});
  p_->chassis[1].maxPower = 0;
  r_->maxVoltageExcursion[1].fill(-3);
  for (auto& row : r_->contributionFront[1]) row.fill({9, 9});
  ASSERT_EQ(WholeBoxItem(*p_, *r_), "OK");
  for (int i = 0; i < Points(); ++i) {
    ExpectNear(r_->boxPressure[i][0], kComplexOne, 1e-15, "box");
    EXPECT_EQ(r_->contributionFront[1][i][0], kComplexZero);
    EXPECT_EQ(r_->contributionRear[1][i][29], kComplexZero);
    EXPECT_EQ(r_->maxVoltageChassis[1][i], 1e10);
    EXPECT_EQ(r_->maxVoltageExcursion[1][i], -3);  // not written
    EXPECT_EQ(r_->maxVoltage[i], r_->maxVoltageChassis[0][i]);
  }
}

TEST_F(WholeBoxTest, NothingConnected) {
  ASSERT_EQ(WholeBoxItem(*p_, *r_), "OK");
  for (int i = 0; i < Points(); ++i) {
    for (int k = 0; k < kDirections; ++k) EXPECT_EQ(r_->boxPressure[i][k], kComplexZero);
    EXPECT_EQ(r_->maxVoltage[i], 1e10);
    EXPECT_EQ(r_->maxPower[9][i], 0);
    EXPECT_EQ(r_->directivityIndex[i], 0);
  }
}

TEST_F(WholeBoxTest, ExcursionAndPowerLimits) {
  // One chassis on axis: |front| 1, excursion 1 mm at 2.83 V, xlin 2 mm.
  const double maxPExc = 1.0 * 2e-3 / 2 / 1e-3 / 2.828 * 3.7 * 0.8;
  struct Case {
    const char* name;
    std::function<void(Project&, CalcResult&)> set;
    double maxPower0, maxVoltageExcursion, maxVoltageChassis, maxVoltage, maxPowerBox;
  };
  const std::vector<Case> cases = {
      {"excursion limits", [](Project&, CalcResult&) {}, maxPExc, 2.96, 2.96, 2.96, 2.96 / 2.828},
      {"rated power limits", [](Project& p, CalcResult&) { p.chassis[0].maxPower = 0.5; }, 2.0 / 2.83, 2.96, 2.0, 2.0,
       2.0 / 2.828},
      {"rated power 0", [](Project& p, CalcResult&) { p.chassis[0].maxPower = 0; }, 0.0, 2.96, 1e-50, 1e-50,
       1e-50 / 2.828},
      {"no excursion: MaxP kept", [](Project&, CalcResult& r) { r.chassisExcursion[0].fill(0.0); }, 5.0, 5.0 * 2.828,
       5.0 * 2.828, 5.0 * 2.828, 5.0},
      {"level 2 halves the voltages",
       [](Project&, CalcResult& r) {
         r.filterResponse[0].fill({2, 0});
       },
       maxPExc, 1.48, 1.48, 1.48, 2 * 1.48 / 2.828},
      {"no voltage at the chassis: no limit",
       [](Project&, CalcResult& r) { r.chassisVoltageGain[0].fill(kComplexZero); }, maxPExc, 1e50, 1e50, 1e10, 0.0},
  };
  for (const Case& c : cases) {
    SetUp();
    r_->ampOfChassis[0] = 0;
    p_->chassisCount = 1;
    r_->maxPower[0].fill(5.0);
    for (int row = 1; row < 9; ++row) r_->maxPower[row].fill(7.0);
    c.set(*p_, *r_);
    ASSERT_EQ(WholeBoxItem(*p_, *r_), "OK") << c.name;
    for (int i : {0, Points() - 1}) {
      EXPECT_NEAR(r_->maxPower[0][i], c.maxPower0, 1e-12) << c.name;
      EXPECT_NEAR(r_->maxVoltageExcursion[0][i], c.maxVoltageExcursion, 1e-12 * c.maxVoltageExcursion) << c.name;
      EXPECT_NEAR(r_->maxVoltageChassis[0][i], c.maxVoltageChassis, 1e-12 * c.maxVoltageChassis) << c.name;
      EXPECT_NEAR(r_->maxVoltage[i], c.maxVoltage, 1e-12 * c.maxVoltage) << c.name;
      EXPECT_NEAR(r_->maxPower[9][i], c.maxPowerBox, 1e-12) << c.name;
      for (int row = 1; row < 9; ++row) EXPECT_EQ(r_->maxPower[row][i], 1e-50) << c.name << ": slots beyond nChassis";
    }
  }
}

TEST_F(WholeBoxTest, DirectivityRatio) {
  r_->ampOfChassis[0] = 0;
  ASSERT_EQ(WholeBoxItem(*p_, *r_), "OK");
  for (int i = 0; i < Points(); ++i) EXPECT_NEAR(r_->directivityIndex[i], 1.0, 1e-12);
  // On-axis only: the ratio is sqrt(30).
  for (auto& row : r_->directionsFront[0]) {
    row.fill(kComplexZero);
    row[0] = kComplexOne;
  }
  ASSERT_EQ(WholeBoxItem(*p_, *r_), "OK");
  EXPECT_NEAR(r_->directivityIndex[0], std::sqrt(30.0), 1e-9);
}

TEST_F(WholeBoxTest, FaultsKeepEarlierIndices) {
  const std::string fail = "Fehler: Gesamtbox kann nicht berechnet werden.";
  r_->ampOfChassis[0] = 0;
  r_->chassisFront[0][5] = {std::nan(""), 0};
  r_->boxPressure[6][0] = {-7, -7};
  EXPECT_EQ(WholeBoxItem(*p_, *r_), fail);
  ExpectNear(r_->boxPressure[4][0], kComplexOne, 1e-15, "written before the fault");
  EXPECT_EQ(r_->boxPressure[6][0], (Complex{-7, -7}));

  // Limits that cannot be computed from the data of a chassis name it.
  const std::string limitFail = "Fehler: Maximale Spannung von Chassis 1 kann nicht berechnet werden.";
  r_->chassisFront[0][5] = kComplexOne;
  p_->chassis[0].maxPower = -10;  // no square root of a negative power
  EXPECT_EQ(WholeBoxItem(*p_, *r_), limitFail);
  p_->chassis[0].maxPower = 10;
  p_->chassis[0].xlin = 1e300;  // the excursion limit overflows
  r_->filterResponse[0].fill({1e-10, 0});
  EXPECT_EQ(WholeBoxItem(*p_, *r_), limitFail);
  r_->filterResponse[0].fill(kComplexOne);
  p_->chassis[0].xlin = 2e-3;

  p_->chassis[0].maxPower = 10;
  r_->ampOfChassis[3] = 6;  // no such amplifier
  EXPECT_EQ(WholeBoxItem(*p_, *r_), fail);
}

}  // namespace
}  // namespace sonvex

namespace sonvex {
namespace {

// The driver side of the baffle step: the table goes to the front, and to the
// rear unchanged or mirrored.
TEST(BaffleItem, TablesAndMessages) {
  auto p = MakeNewProject();
  auto r = std::make_unique<CalcResult>();
  auto direct = std::make_unique<DirectionTable>();
  auto mirrored = std::make_unique<DirectionTable>();
  p->chassisCount = 2;
  Baffle& w = p->baffles[1];
  w.outletDiameter = 0.17, w.bottomDistance = 0.2, w.leftDistance = 0.15, w.height = 0.9,
  w.width = 0.3;  // a 17 cm chassis on a 30 x 90 cm baffle
  w.rearDirection = 1;
  const std::string text = ComputeBaffle(p->baffles[1], p->freq, kFreqEntries - 1, p->chassis[1].sourceDepth, *direct);
  ASSERT_EQ(text, "OK");
  *mirrored = *direct;
  MirrorDirections(*mirrored);
  ASSERT_NE(*mirrored, *direct);

  EXPECT_EQ(BaffleItem(*p, 1, *r), "OK");
  EXPECT_EQ(r->directionsFront[1], *direct);
  EXPECT_EQ(r->directionsRear[1], *mirrored);

  p->baffles[1].rearDirection = 0;
  EXPECT_EQ(BaffleItem(*p, 1, *r), "OK");
  EXPECT_EQ(r->directionsRear[1], *direct);

  // A failing baffle names the chassis and still hands over its table.
  p->baffles[1].outletDiameter = -0.1;
  const std::string bad = ComputeBaffle(p->baffles[1], p->freq, kFreqEntries - 1, p->chassis[1].sourceDepth, *direct);
  ASSERT_GE(bad.size(), 3u);
  r->directionsFront[1][0][0] = {-7, -7};
  EXPECT_EQ(BaffleItem(*p, 1, *r), "Fehler: Chassis 2: " + bad);
  EXPECT_EQ(r->directionsFront[1], *direct);
  EXPECT_EQ(r->directionsRear[1], *direct);
}

// A new project's chassis follow the common cabinet, which has no size yet:
// the message says so and how to give it one.
TEST(BaffleItem, ACommonCabinetWithoutSizeIsNamed) {
  auto p = MakeNewProject();
  auto r = std::make_unique<CalcResult>();
  ASSERT_TRUE(p->baffles[0].useCabinet);
  EXPECT_EQ(BaffleItem(*p, 0, *r), std::string("Fehler: Chassis 1: ") + kNoCabinetSizeText);
  // A baffle of its own with the same values keeps the baffle's own message.
  p->baffles[0].useCabinet = false;
  EXPECT_EQ(BaffleItem(*p, 0, *r).find("gemeinsame Außengehäuse"), std::string::npos);
}

// A port on the box that lies off its face fails the baffle step as a chassis
// off its face does; a closed box or a baffle of its own has no port to check.
TEST(BaffleItem, PortOffTheBoxIsAnError) {
  auto p = MakeNewProject();
  auto r = std::make_unique<CalcResult>();
  p->chassisCount = 1;
  Cabinet box;
  box.height = 1.0, box.width = 0.25, box.depth = 0.30;
  p->cabinet = box;
  Baffle& w = p->baffles[0];
  w.outletDiameter = 0.13;
  w.useCabinet = true;
  ASSERT_TRUE(BaffleFromCabinet(w, box, FaceFront, RearSameFace, 0.5, 0.125, -0.42, 0.125));
  const std::string port = "Position der Reflexöffnung auf der Schallwand geometrisch nicht möglich. ";
  p->enclosures[0].type = kTypeVented;
  EXPECT_EQ(BaffleItem(*p, 0, *r), "Fehler: Chassis 1: " + port);
  p->enclosures[0].type = kTypeBandpassBi;
  EXPECT_EQ(BaffleItem(*p, 0, *r), "Fehler: Chassis 1: " + port);
  p->enclosures[0].type = kTypeClosed;
  EXPECT_EQ(BaffleItem(*p, 0, *r), "OK");
  p->enclosures[0].type = kTypeVented;
  w.useCabinet = false;
  EXPECT_EQ(BaffleItem(*p, 0, *r), "OK");
  w.useCabinet = true;
  // Both off the face: both messages.
  ASSERT_TRUE(BaffleFromCabinet(w, box, FaceFront, RearSameFace, 1.5, 0.125, -0.42, 0.125));
  const std::string both = BaffleItem(*p, 0, *r);
  EXPECT_NE(both.find("Chassisposition auf der Schallwand geometrisch nicht möglich. "), std::string::npos) << both;
  EXPECT_NE(both.find(port), std::string::npos) << both;
  // On the face it is fine.
  ASSERT_TRUE(BaffleFromCabinet(w, box, FaceFront, RearSameFace, 0.5, 0.125, 0.08, 0.125));
  EXPECT_EQ(BaffleItem(*p, 0, *r), "OK");
}

}  // namespace
}  // namespace sonvex
