#include "network/solver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <vector>

#include "model/freq_grid.h"

namespace sonvex {
namespace {

// Grid slots used below (node = column + 11 x row):
//   horizontal slot s = column + 10 x row joins node (11 row + column) to the node right of it,
//   vertical slot 90 + column + 11 x row joins it to the node below.
// The amplifier sits on slot 90 (node 0 over node 11); row 1 (nodes 11..) is the return rail.
constexpr int kAmpSlot = 90;

class SolverTest : public ::testing::Test {
 public:
  void SetUp() override {
    p->nAmps = 2;
    p->nChassis = 2;
    for (auto& z : r->ChassisZ) z.fill({8.0, 0.0});
    for (auto& a : r->AmpZ) a.fill({-7.0, -7.0});
    for (auto& u : r->ChassisU) u.fill({-7.0, -7.0});
  }
  TWPart& Slot(int s, int a = 0) { return p->Verstaerker[a].crossover[s]; }
  void Put(int slot, int typ, double value = 1.0, double rvalue = 0.0) {
    TWPart& w = Slot(slot);
    w._typ = static_cast<std::int16_t>(typ);
    w._value = value;
    w._Rvalue = rvalue;
  }
  void PutChassis(int slot, int nr, bool inverted = false) {
    Put(slot, ptChass);
    Slot(slot)._chassisnr = static_cast<std::int16_t>(nr);
    Slot(slot)._verpolt = inverted ? 1 : -1;
  }
  void PutAmp(int slot, bool inverted = false) {
    Put(slot, ptAmp);
    Slot(slot)._verpolt = inverted ? 1 : -1;
  }
  void FreeWire(int k, int n1, int n2) {
    TWPart& w = Slot(FreeWireSlot(k));
    w._typ = ptWire;
    w._nod1 = n1;
    w._nod2 = n2;
  }
  // Amplifier, resistor `seriesSlot0` (node 0 to 1), chassis 0 on slot 91 (node 1 over 12), return wire.
  void SeriesNetwork(double ohm) {
    PutAmp(kAmpSlot);
    Put(0, ohm == 0.0 ? ptWire : ptR, ohm);
    PutChassis(91, 0);
    Put(10, ptWire);
  }
  int Points() const {
    int n = 0;
    while (n < kFreqEntries && p->freq[n] > 0) ++n;
    return n;
  }
  void ExpectEverywhere(TComplex u, TComplex z, const char* what) {
    for (int i = 0; i < Points(); ++i) {
      EXPECT_NEAR(r->ChassisU[0][i].re, u.re, 1e-12) << what << " at " << i;
      EXPECT_NEAR(r->ChassisU[0][i].im, u.im, 1e-12) << what << " at " << i;
      EXPECT_NEAR(r->AmpZ[0][i].re, z.re, 1e-9) << what << " at " << i;
      EXPECT_NEAR(r->AmpZ[0][i].im, z.im, 1e-9) << what << " at " << i;
    }
  }
  std::unique_ptr<TProjekt> p = MakeNewProject();
  std::unique_ptr<TResult> r = std::make_unique<TResult>();
};

const std::string kFail1 = "Fehler: Weiche an Verstärker 1 kann nicht berechnet werden.";

TEST_F(SolverTest, ResistiveCasesAndPolarity) {
  struct Case {
    const char* name;
    double series;  // 0: a wire
    bool chassisInverted, ampInverted;
    TComplex u;
    double absZ;
  };
  const Case cases[] = {
      {"amplifier across 8 ohm", 0, false, false, {1, 0}, 8}, {"8 ohm in series", 8, false, false, {0.5, 0}, 16},
      {"chassis inverted", 8, true, false, {-0.5, 0}, 16},    {"amplifier inverted", 8, false, true, {-0.5, 0}, 16},
      {"both inverted", 8, true, true, {0.5, 0}, 16},
  };
  for (const Case& c : cases) {
    p->Verstaerker[0].crossover = EmptyCrossover();
    SeriesNetwork(c.series);
    Slot(91)._verpolt = c.chassisInverted ? 1 : -1;
    Slot(kAmpSlot)._verpolt = c.ampInverted ? 2 : 0;
    ASSERT_EQ(WeicheItem(*p, 0, *r), "OK") << c.name;
    for (int i = 0; i < Points(); ++i) {
      EXPECT_NEAR(r->ChassisU[0][i].re, c.u.re, 1e-12) << c.name;
      EXPECT_NEAR(r->ChassisU[0][i].im, c.u.im, 1e-12) << c.name;
      EXPECT_NEAR(CAbs(r->AmpZ[0][i]), c.absZ, 1e-9) << c.name;
    }
  }
  // The amplifier across the chassis, both normal: AmpZ is the negative of 8 ohm.
  p->Verstaerker[0].crossover = EmptyCrossover();
  SeriesNetwork(0);
  ASSERT_EQ(WeicheItem(*p, 0, *r), "OK");
  ExpectEverywhere({1, 0}, {-8, 0}, "across 8 ohm");
}

// Degenerate values give exactly the network they stand for.
TEST_F(SolverTest, DegenerateValuesMatchTheirEquivalents) {
  struct Case {
    const char* name;
    std::function<void(SolverTest&)> variant;
    std::function<void(SolverTest&)> equivalent;
  };
  const std::vector<Case> cases = {
      {"0 ohm resistor is a wire", [](SolverTest& t) { t.Put(10, ptR, 0.0); }, [](SolverTest&) {}},
      {"0 H coil without winding resistance is a wire", [](SolverTest& t) { t.Put(10, ptL, 0.0, 0.0); },
       [](SolverTest&) {}},
      {"0 H coil with winding resistance is a resistor", [](SolverTest& t) { t.Put(0, ptL, 0.0, 8.0); },
       [](SolverTest&) {}},
      {"0 F capacitor in series is an open slot",
       [](SolverTest& t) {
         t.Put(0, ptC, 0.0);
         t.Put(1, ptR, 8.0);  // a second path: 0 -> 1 through the capacitor would be open
       },
       [](SolverTest& t) {
         t.Put(0, ptNone);
         t.Put(1, ptR, 8.0);
       }},
      {"0 F capacitor across the chassis changes nothing",
       [](SolverTest& t) {
         t.Put(92, ptC, 0.0);  // node 2 over 13
         t.Put(1, ptWire);
         t.Put(11, ptWire);
       },
       [](SolverTest& t) {
         t.Put(1, ptWire);
         t.Put(11, ptWire);
       }},
  };
  auto ref = std::make_unique<TResult>(*r);
  for (const Case& c : cases) {
    p->Verstaerker[0].crossover = EmptyCrossover();
    SeriesNetwork(8);
    c.equivalent(*this);
    ASSERT_EQ(WeicheItem(*p, 0, *ref), "OK") << c.name;
    p->Verstaerker[0].crossover = EmptyCrossover();
    SeriesNetwork(8);
    c.variant(*this);
    ASSERT_EQ(WeicheItem(*p, 0, *r), "OK") << c.name;
    for (int i = 0; i < Points(); ++i) {
      EXPECT_EQ(r->ChassisU[0][i], ref->ChassisU[0][i]) << c.name << " at " << i;
      EXPECT_EQ(r->AmpZ[0][i], ref->AmpZ[0][i]) << c.name << " at " << i;
    }
  }
}

TEST_F(SolverTest, ZeroFaradShuntBehindSeriesCoil) {
  // Woofer behind a series coil; a 0 F capacitor across it must not short it.
  PutAmp(kAmpSlot);
  Put(0, ptL, 2e-3, 0.5);
  PutChassis(91, 0);
  Put(10, ptWire);
  Put(1, ptWire);
  Put(11, ptWire);
  Put(92, ptC, 0.0);
  ASSERT_EQ(WeicheItem(*p, 0, *r), "OK");
  for (int i = 0; i < Points(); ++i) {
    const double w = 2 * std::numbers::pi * p->freq[i];
    const TComplex expected = CDiv({8, 0}, {8.5, w * 2e-3});
    EXPECT_NEAR(r->ChassisU[0][i].re, expected.re, 1e-12);
    EXPECT_NEAR(r->ChassisU[0][i].im, expected.im, 1e-12);
  }
}

TEST_F(SolverTest, NoAmplifierGivesZeroVoltage) {
  Put(0, ptR, 8);
  PutChassis(91, 0);
  Put(10, ptWire);
  ASSERT_EQ(WeicheItem(*p, 0, *r), "OK");
  ExpectEverywhere({0, 0}, {1e100, 0}, "no amplifier");
}

TEST_F(SolverTest, TwoAmplifiersSideBySideActAsOne) {
  PutAmp(kAmpSlot);
  Put(0, ptWire);
  PutAmp(91);
  Put(10, ptWire);
  Put(1, ptWire);
  PutChassis(92, 0);
  Put(11, ptWire);
  ASSERT_EQ(WeicheItem(*p, 0, *r), "OK");
  for (int i = 0; i < Points(); ++i) {
    EXPECT_NEAR(r->ChassisU[0][i].re, 1.0, 1e-12);
    EXPECT_NEAR(r->ChassisU[0][i].im, 0.0, 1e-12);
    EXPECT_NEAR(CAbs(r->AmpZ[0][i]), 8.0, 1e-9);
  }
}

TEST_F(SolverTest, DanglingResistorCarriesNoCurrent) {
  SeriesNetwork(8);
  Put(1, ptR, 100);  // node 1 to node 2, which nothing else touches but the free wire
  FreeWire(1, 2, 99);
  ASSERT_EQ(WeicheItem(*p, 0, *r), "OK");
  ExpectEverywhere({0.5, 0}, {-16, 0}, "dangling resistor");
}

TEST_F(SolverTest, LoopWithoutAmplifierStaysSilent) {
  SeriesNetwork(8);
  // Chassis 1 with a resistor in a loop of their own, not connected to the amplifier.
  PutChassis(95, 1);  // node 5 over 16
  Put(96, ptR, 4);    // node 6 over 17
  Put(5, ptWire);
  Put(15, ptWire);
  ASSERT_EQ(WeicheItem(*p, 0, *r), "OK");
  for (int i = 0; i < Points(); ++i) {
    EXPECT_NEAR(CAbs(r->ChassisU[1][i]), 0.0, 1e-12) << i;
    EXPECT_NEAR(r->ChassisU[0][i].re, 0.5, 1e-12) << i;
  }
}

// Second-order two-way crossover into two 8 ohm loads, compared with the
// closed-form transfer functions of the two ladder sections.
TEST_F(SolverTest, TwoWaySecondOrderMatchesClosedForm) {
  const double l1 = 1.8e-3, rl1 = 0.35, c1 = 22e-6;   // woofer: series coil, shunt capacitor
  const double c2 = 6.8e-6, l2 = 0.33e-3, rl2 = 0.2;  // tweeter: series capacitor, shunt coil
  PutAmp(kAmpSlot);
  for (int s = 10; s <= 15; ++s) Put(s, ptWire);  // return rail, nodes 11..17
  Put(0, ptL, l1, rl1);                           // node 0 -> 1
  Put(91, ptC, c1);                               // node 1 over 12
  Put(1, ptWire);                                 // node 1 -> 2
  PutChassis(92, 0);                              // node 2 over 13
  FreeWire(3, 0, 4);                              // tweeter branch starts at node 4
  Put(4, ptC, c2);                                // node 4 -> 5
  Put(95, ptL, l2, rl2);                          // node 5 over 16
  Put(5, ptWire);                                 // node 5 -> 6
  PutChassis(96, 1);                              // node 6 over 17
  ASSERT_EQ(WeicheItem(*p, 0, *r), "OK");
  ASSERT_GT(Points(), 100);
  const TComplex rload{8, 0};
  for (int i = 0; i < Points(); ++i) {
    const double w = 2 * std::numbers::pi * p->freq[i];
    const TComplex zl1{rl1, w * l1}, zc1{0, -1 / (w * c1)}, zc2{0, -1 / (w * c2)}, zl2{rl2, w * l2};
    const TComplex pw = CPar(rload, zc1);
    const TComplex pt = CPar(rload, zl2);
    const TComplex uw = CDiv(pw, CAdd(pw, zl1));
    const TComplex ut = CDiv(pt, CAdd(pt, zc2));
    const TComplex zin = CPar(CAdd(zl1, pw), CAdd(zc2, pt));
    EXPECT_NEAR(r->ChassisU[0][i].re, uw.re, 1e-9) << i;
    EXPECT_NEAR(r->ChassisU[0][i].im, uw.im, 1e-9) << i;
    EXPECT_NEAR(r->ChassisU[1][i].re, ut.re, 1e-9) << i;
    EXPECT_NEAR(r->ChassisU[1][i].im, ut.im, 1e-9) << i;
    EXPECT_NEAR(r->AmpZ[0][i].re, -zin.re, 1e-9 * CAbs(zin)) << i;
    EXPECT_NEAR(r->AmpZ[0][i].im, -zin.im, 1e-9 * CAbs(zin)) << i;
  }
}

TEST_F(SolverTest, RenumberingFollowsListOrder) {
  TCrossover parts = EmptyCrossover();
  parts[0]._typ = ptR, parts[0]._nod1 = 5, parts[0]._nod2 = 3;
  parts[1]._typ = ptWire, parts[1]._nod1 = 7, parts[1]._nod2 = 9;  // merged away: 9 becomes 7
  parts[2]._typ = ptR, parts[2]._nod1 = 3, parts[2]._nod2 = 0;
  parts[3]._typ = ptC, parts[3]._nod1 = 9, parts[3]._nod2 = 3;
  parts[4]._typ = ptC, parts[4]._value = 0.0, parts[4]._nod1 = 40, parts[4]._nod2 = 41;  // left out
  const TSolverNetwork net = PrepareNetwork(parts);
  ASSERT_EQ(net.elements.size(), 3u);
  EXPECT_EQ(net.nodes, 4);
  // 0 is taken; 5 (first node of the first element) becomes 1, then 3 becomes 2, then 7 becomes 3.
  EXPECT_EQ(net.elements[0].p, 1);
  EXPECT_EQ(net.elements[0].q, 2);
  EXPECT_EQ(net.elements[1].p, 2);
  EXPECT_EQ(net.elements[1].q, 0);
  EXPECT_EQ(net.elements[2].p, 3);
  EXPECT_EQ(net.elements[2].q, 2);
}

TEST_F(SolverTest, VariableLimit) {
  p->sz = 10;
  BuildFreqGrid(*p);
  // Resistors on node pairs of their own: G = 133, H = 266 (399 variables), plus one more resistor.
  const auto build = [this](int lastNode) {
    p->Verstaerker[0].crossover = EmptyCrossover();
    for (int k = 0; k < 133; ++k) {
      Put(k, ptR, 10);
      Slot(k)._nod1 = 1000 + 2 * k;
      Slot(k)._nod2 = 1001 + 2 * k;
    }
    Put(133, ptR, 10);
    Slot(133)._nod1 = 1000;
    Slot(133)._nod2 = lastNode;
  };
  build(1002);  // between two existing nodes: 400 variables
  ASSERT_EQ(PrepareNetwork(p->Verstaerker[0].crossover).Variables(), 400);
  EXPECT_EQ(WeicheItem(*p, 0, *r), "OK");
  EXPECT_EQ(r->AmpZ[0][0], (TComplex{1e100, 0}));

  build(5000);  // to a new node: 401 variables
  ASSERT_EQ(PrepareNetwork(p->Verstaerker[0].crossover).Variables(), 401);
  r->AmpZ[0][0] = {-7, -7};
  EXPECT_EQ(WeicheItem(*p, 0, *r), kFail1);
  EXPECT_EQ(r->AmpZ[0][0], (TComplex{-7, -7}));
}

TEST_F(SolverTest, FailuresKeepEarlierPoints) {
  SeriesNetwork(8);
  r->ChassisZ[0][5] = {std::nan(""), 0};
  EXPECT_EQ(WeicheItem(*p, 0, *r), kFail1);
  EXPECT_NEAR(r->ChassisU[0][4].re, 0.5, 1e-12);
  EXPECT_EQ(r->ChassisU[0][5], (TComplex{-7, -7}));
  EXPECT_EQ(r->AmpZ[0][5], (TComplex{-7, -7}));

  // A chassis number outside the slots, and a message naming the amplifier.
  p->Verstaerker[1].crossover = p->Verstaerker[0].crossover;
  p->Verstaerker[1].crossover[91]._chassisnr = 9;
  EXPECT_EQ(WeicheItem(*p, 1, *r), "Fehler: Weiche an Verstärker 2 kann nicht berechnet werden.");

  // A free wire to a negative node number (damaged file) cannot be placed.
  p->Verstaerker[0].crossover = EmptyCrossover();
  SeriesNetwork(8);
  FreeWire(2, -4, 1);  // node 1 becomes -4 everywhere
  r->ChassisZ[0][5] = {8, 0};
  EXPECT_EQ(WeicheItem(*p, 0, *r), kFail1);
}

TEST_F(SolverTest, ChassisOutsideEveryCrossoverKeepsItsVoltage) {
  SeriesNetwork(8);
  ASSERT_EQ(WeicheItem(*p, 0, *r), "OK");
  EXPECT_EQ(r->ChassisU[1][0], (TComplex{-7, -7}));
}

}  // namespace
}  // namespace sonvex
