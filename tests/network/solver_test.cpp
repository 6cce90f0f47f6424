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
    p->ampCount = 2;
    p->chassisCount = 2;
    for (auto& z : r->chassisImpedance) z.fill({8.0, 0.0});
    for (auto& a : r->ampImpedance) a.fill({-7.0, -7.0});
    for (auto& u : r->chassisVoltageGain) u.fill({-7.0, -7.0});
  }
  CrossoverPart& Slot(int s, int a = 0) { return p->amplifiers[a].crossover[s]; }
  void Put(int slot, int type, double value = 1.0, double resistance = 0.0) {
    CrossoverPart& w = Slot(slot);
    w.type = static_cast<std::int16_t>(type);
    w.value = value;
    w.resistance = resistance;
  }
  void PutChassis(int slot, int nr, bool inverted = false) {
    Put(slot, PartChassis);
    Slot(slot).chassisSlot = static_cast<std::int16_t>(nr);
    Slot(slot).reversedPolarity = inverted ? 1 : -1;
  }
  void PutAmp(int slot, bool inverted = false) {
    Put(slot, PartAmplifier);
    Slot(slot).reversedPolarity = inverted ? 1 : -1;
  }
  void FreeWire(int k, int n1, int n2) {
    CrossoverPart& w = Slot(FreeWireSlot(k));
    w.type = PartWire;
    w.node1 = n1;
    w.node2 = n2;
  }
  // Amplifier, resistor `seriesSlot0` (node 0 to 1), chassis 0 on slot 91 (node 1 over 12), return wire.
  void SeriesNetwork(double ohm) {
    PutAmp(kAmpSlot);
    Put(0, ohm == 0.0 ? PartWire : PartResistor, ohm);
    PutChassis(91, 0);
    Put(10, PartWire);
  }
  int Points() const {
    int n = 0;
    while (n < kFreqEntries && p->freq[n] > 0) ++n;
    return n;
  }
  void ExpectEverywhere(Complex u, Complex z, const char* what) {
    for (int i = 0; i < Points(); ++i) {
      EXPECT_NEAR(r->chassisVoltageGain[0][i].re, u.re, 1e-12) << what << " at " << i;
      EXPECT_NEAR(r->chassisVoltageGain[0][i].im, u.im, 1e-12) << what << " at " << i;
      EXPECT_NEAR(r->ampImpedance[0][i].re, z.re, 1e-9) << what << " at " << i;
      EXPECT_NEAR(r->ampImpedance[0][i].im, z.im, 1e-9) << what << " at " << i;
    }
  }
  std::unique_ptr<Project> p = MakeNewProject();
  std::unique_ptr<CalcResult> r = std::make_unique<CalcResult>();
};

const std::string kFail1 = "Fehler: Weiche an Verstärker 1 kann nicht berechnet werden.";

TEST_F(SolverTest, ResistiveCasesAndPolarity) {
  struct Case {
    const char* name;
    double series;  // 0: a wire
    bool chassisInverted, ampInverted;
    Complex u;
    double absZ;
  };
  const Case cases[] = {
      {"amplifier across 8 ohm", 0, false, false, {1, 0}, 8}, {"8 ohm in series", 8, false, false, {0.5, 0}, 16},
      {"chassis inverted", 8, true, false, {-0.5, 0}, 16},    {"amplifier inverted", 8, false, true, {-0.5, 0}, 16},
      {"both inverted", 8, true, true, {0.5, 0}, 16},
  };
  for (const Case& c : cases) {
    p->amplifiers[0].crossover = EmptyCrossover();
    SeriesNetwork(c.series);
    Slot(91).reversedPolarity = c.chassisInverted ? 1 : -1;
    Slot(kAmpSlot).reversedPolarity = c.ampInverted ? 2 : 0;
    ASSERT_EQ(CrossoverItem(*p, 0, *r), "OK") << c.name;
    for (int i = 0; i < Points(); ++i) {
      EXPECT_NEAR(r->chassisVoltageGain[0][i].re, c.u.re, 1e-12) << c.name;
      EXPECT_NEAR(r->chassisVoltageGain[0][i].im, c.u.im, 1e-12) << c.name;
      EXPECT_NEAR(CAbs(r->ampImpedance[0][i]), c.absZ, 1e-9) << c.name;
    }
  }
  // The amplifier across the chassis, both normal: ampImpedance is the negative of 8 ohm.
  p->amplifiers[0].crossover = EmptyCrossover();
  SeriesNetwork(0);
  ASSERT_EQ(CrossoverItem(*p, 0, *r), "OK");
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
      {"0 ohm resistor is a wire", [](SolverTest& t) { t.Put(10, PartResistor, 0.0); }, [](SolverTest&) {}},
      {"0 H coil without winding resistance is a wire", [](SolverTest& t) { t.Put(10, PartInductor, 0.0, 0.0); },
       [](SolverTest&) {}},
      {"0 H coil with winding resistance is a resistor", [](SolverTest& t) { t.Put(0, PartInductor, 0.0, 8.0); },
       [](SolverTest&) {}},
      {"0 F capacitor in series is an open slot",
       [](SolverTest& t) {
         t.Put(0, PartCapacitor, 0.0);
         t.Put(1, PartResistor, 8.0);  // a second path: 0 -> 1 through the capacitor would be open
       },
       [](SolverTest& t) {
         t.Put(0, PartNone);
         t.Put(1, PartResistor, 8.0);
       }},
      {"0 F capacitor across the chassis changes nothing",
       [](SolverTest& t) {
         t.Put(92, PartCapacitor, 0.0);  // node 2 over 13
         t.Put(1, PartWire);
         t.Put(11, PartWire);
       },
       [](SolverTest& t) {
         t.Put(1, PartWire);
         t.Put(11, PartWire);
       }},
  };
  auto ref = std::make_unique<CalcResult>(*r);
  for (const Case& c : cases) {
    p->amplifiers[0].crossover = EmptyCrossover();
    SeriesNetwork(8);
    c.equivalent(*this);
    ASSERT_EQ(CrossoverItem(*p, 0, *ref), "OK") << c.name;
    p->amplifiers[0].crossover = EmptyCrossover();
    SeriesNetwork(8);
    c.variant(*this);
    ASSERT_EQ(CrossoverItem(*p, 0, *r), "OK") << c.name;
    for (int i = 0; i < Points(); ++i) {
      EXPECT_EQ(r->chassisVoltageGain[0][i], ref->chassisVoltageGain[0][i]) << c.name << " at " << i;
      EXPECT_EQ(r->ampImpedance[0][i], ref->ampImpedance[0][i]) << c.name << " at " << i;
    }
  }
}

TEST_F(SolverTest, ZeroFaradShuntBehindSeriesCoil) {
  // Woofer behind a series coil; a 0 F capacitor across it must not short it.
  PutAmp(kAmpSlot);
  Put(0, PartInductor, 2e-3, 0.5);
  PutChassis(91, 0);
  Put(10, PartWire);
  Put(1, PartWire);
  Put(11, PartWire);
  Put(92, PartCapacitor, 0.0);
  ASSERT_EQ(CrossoverItem(*p, 0, *r), "OK");
  for (int i = 0; i < Points(); ++i) {
    const double w = 2 * std::numbers::pi * p->freq[i];
    const Complex expected = CDiv({8, 0}, {8.5, w * 2e-3});
    EXPECT_NEAR(r->chassisVoltageGain[0][i].re, expected.re, 1e-12);
    EXPECT_NEAR(r->chassisVoltageGain[0][i].im, expected.im, 1e-12);
  }
}

TEST_F(SolverTest, NoAmplifierGivesZeroVoltage) {
  Put(0, PartResistor, 8);
  PutChassis(91, 0);
  Put(10, PartWire);
  ASSERT_EQ(CrossoverItem(*p, 0, *r), "OK");
  ExpectEverywhere({0, 0}, {1e100, 0}, "no amplifier");
}

TEST_F(SolverTest, TwoAmplifiersSideBySideActAsOne) {
  PutAmp(kAmpSlot);
  Put(0, PartWire);
  PutAmp(91);
  Put(10, PartWire);
  Put(1, PartWire);
  PutChassis(92, 0);
  Put(11, PartWire);
  ASSERT_EQ(CrossoverItem(*p, 0, *r), "OK");
  for (int i = 0; i < Points(); ++i) {
    EXPECT_NEAR(r->chassisVoltageGain[0][i].re, 1.0, 1e-12);
    EXPECT_NEAR(r->chassisVoltageGain[0][i].im, 0.0, 1e-12);
    EXPECT_NEAR(CAbs(r->ampImpedance[0][i]), 8.0, 1e-9);
  }
}

TEST_F(SolverTest, DanglingResistorCarriesNoCurrent) {
  SeriesNetwork(8);
  Put(1, PartResistor, 100);  // node 1 to node 2, which nothing else touches but the free wire
  FreeWire(1, 2, 99);
  ASSERT_EQ(CrossoverItem(*p, 0, *r), "OK");
  ExpectEverywhere({0.5, 0}, {-16, 0}, "dangling resistor");
}

TEST_F(SolverTest, LoopWithoutAmplifierStaysSilent) {
  SeriesNetwork(8);
  // Chassis 1 with a resistor in a loop of their own, not connected to the amplifier.
  PutChassis(95, 1);         // node 5 over 16
  Put(96, PartResistor, 4);  // node 6 over 17
  Put(5, PartWire);
  Put(15, PartWire);
  ASSERT_EQ(CrossoverItem(*p, 0, *r), "OK");
  for (int i = 0; i < Points(); ++i) {
    EXPECT_NEAR(CAbs(r->chassisVoltageGain[1][i]), 0.0, 1e-12) << i;
    EXPECT_NEAR(r->chassisVoltageGain[0][i].re, 0.5, 1e-12) << i;
  }
}

// Second-order two-way crossover into two 8 ohm loads, compared with the
// closed-form transfer functions of the two ladder sections.
TEST_F(SolverTest, TwoWaySecondOrderMatchesClosedForm) {
  const double l1 = 1.8e-3, rl1 = 0.35, c1 = 22e-6;   // woofer: series coil, shunt capacitor
  const double c2 = 6.8e-6, l2 = 0.33e-3, rl2 = 0.2;  // tweeter: series capacitor, shunt coil
  PutAmp(kAmpSlot);
  for (int s = 10; s <= 15; ++s) Put(s, PartWire);  // return rail, nodes 11..17
  Put(0, PartInductor, l1, rl1);                    // node 0 -> 1
  Put(91, PartCapacitor, c1);                       // node 1 over 12
  Put(1, PartWire);                                 // node 1 -> 2
  PutChassis(92, 0);                                // node 2 over 13
  FreeWire(3, 0, 4);                                // tweeter branch starts at node 4
  Put(4, PartCapacitor, c2);                        // node 4 -> 5
  Put(95, PartInductor, l2, rl2);                   // node 5 over 16
  Put(5, PartWire);                                 // node 5 -> 6
  PutChassis(96, 1);                                // node 6 over 17
  ASSERT_EQ(CrossoverItem(*p, 0, *r), "OK");
  ASSERT_GT(Points(), 100);
  const Complex rload{8, 0};
  for (int i = 0; i < Points(); ++i) {
    const double w = 2 * std::numbers::pi * p->freq[i];
    const Complex zl1{rl1, w * l1}, zc1{0, -1 / (w * c1)}, zc2{0, -1 / (w * c2)}, zl2{rl2, w * l2};
    const Complex pw = CPar(rload, zc1);
    const Complex pt = CPar(rload, zl2);
    const Complex uw = CDiv(pw, CAdd(pw, zl1));
    const Complex ut = CDiv(pt, CAdd(pt, zc2));
    const Complex zin = CPar(CAdd(zl1, pw), CAdd(zc2, pt));
    EXPECT_NEAR(r->chassisVoltageGain[0][i].re, uw.re, 1e-9) << i;
    EXPECT_NEAR(r->chassisVoltageGain[0][i].im, uw.im, 1e-9) << i;
    EXPECT_NEAR(r->chassisVoltageGain[1][i].re, ut.re, 1e-9) << i;
    EXPECT_NEAR(r->chassisVoltageGain[1][i].im, ut.im, 1e-9) << i;
    EXPECT_NEAR(r->ampImpedance[0][i].re, -zin.re, 1e-9 * CAbs(zin)) << i;
    EXPECT_NEAR(r->ampImpedance[0][i].im, -zin.im, 1e-9 * CAbs(zin)) << i;
  }
}

TEST_F(SolverTest, RenumberingFollowsListOrder) {
  Crossover parts = EmptyCrossover();
  parts[0].type = PartResistor, parts[0].node1 = 5, parts[0].node2 = 3;
  parts[1].type = PartWire, parts[1].node1 = 7, parts[1].node2 = 9;  // merged away: 9 becomes 7
  parts[2].type = PartResistor, parts[2].node1 = 3, parts[2].node2 = 0;
  parts[3].type = PartCapacitor, parts[3].node1 = 9, parts[3].node2 = 3;
  parts[4].type = PartCapacitor, parts[4].value = 0.0, parts[4].node1 = 40, parts[4].node2 = 41;  // left out
  const SolverNetwork net = PrepareNetwork(parts);
  ASSERT_EQ(net.elements.size(), 3u);
  EXPECT_EQ(net.nodes, 4);
  // 0 is taken; 5 (first node of the first element) becomes 1, then 3 becomes 2, then 7 becomes 3.
  EXPECT_EQ(net.elements[0].workNode1, 1);
  EXPECT_EQ(net.elements[0].workNode2, 2);
  EXPECT_EQ(net.elements[1].workNode1, 2);
  EXPECT_EQ(net.elements[1].workNode2, 0);
  EXPECT_EQ(net.elements[2].workNode1, 3);
  EXPECT_EQ(net.elements[2].workNode2, 2);
}

TEST_F(SolverTest, VariableLimit) {
  p->gridPoints = 10;
  BuildFreqGrid(*p);
  // Resistors on node pairs of their own: G = 133, H = 266 (399 variables), plus one more resistor.
  const auto build = [this](int lastNode) {
    p->amplifiers[0].crossover = EmptyCrossover();
    for (int k = 0; k < 133; ++k) {
      Put(k, PartResistor, 10);
      Slot(k).node1 = 1000 + 2 * k;
      Slot(k).node2 = 1001 + 2 * k;
    }
    Put(133, PartResistor, 10);
    Slot(133).node1 = 1000;
    Slot(133).node2 = lastNode;
  };
  build(1002);  // between two existing nodes: 400 variables
  ASSERT_EQ(PrepareNetwork(p->amplifiers[0].crossover).Variables(), 400);
  EXPECT_EQ(CrossoverItem(*p, 0, *r), "OK");
  EXPECT_EQ(r->ampImpedance[0][0], (Complex{1e100, 0}));

  build(5000);  // to a new node: 401 variables
  ASSERT_EQ(PrepareNetwork(p->amplifiers[0].crossover).Variables(), 401);
  r->ampImpedance[0][0] = {-7, -7};
  EXPECT_EQ(CrossoverItem(*p, 0, *r), kFail1);
  EXPECT_EQ(r->ampImpedance[0][0], (Complex{-7, -7}));
}

TEST_F(SolverTest, FailuresKeepEarlierPoints) {
  SeriesNetwork(8);
  r->chassisImpedance[0][5] = {std::nan(""), 0};
  EXPECT_EQ(CrossoverItem(*p, 0, *r), kFail1);
  EXPECT_NEAR(r->chassisVoltageGain[0][4].re, 0.5, 1e-12);
  EXPECT_EQ(r->chassisVoltageGain[0][5], (Complex{-7, -7}));
  EXPECT_EQ(r->ampImpedance[0][5], (Complex{-7, -7}));

  // A chassis number outside the slots, and a message naming the amplifier.
  p->amplifiers[1].crossover = p->amplifiers[0].crossover;
  p->amplifiers[1].crossover[91].chassisSlot = 9;
  EXPECT_EQ(CrossoverItem(*p, 1, *r), "Fehler: Weiche an Verstärker 2 kann nicht berechnet werden.");

  // A free wire to a negative node number (damaged file) cannot be placed.
  p->amplifiers[0].crossover = EmptyCrossover();
  SeriesNetwork(8);
  FreeWire(2, -4, 1);  // node 1 becomes -4 everywhere
  r->chassisImpedance[0][5] = {8, 0};
  EXPECT_EQ(CrossoverItem(*p, 0, *r), kFail1);
}

TEST_F(SolverTest, ChassisOutsideEveryCrossoverKeepsItsVoltage) {
  SeriesNetwork(8);
  ASSERT_EQ(CrossoverItem(*p, 0, *r), "OK");
  EXPECT_EQ(r->chassisVoltageGain[1][0], (Complex{-7, -7}));
}

}  // namespace
}  // namespace sonvex
