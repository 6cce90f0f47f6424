#include "acoustics/chassis_model.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "acoustics/baffle.h"
#include "acoustics/enclosure.h"
#include "calc/chassis_item.h"

namespace sonvex {
namespace {

using std::complex;
constexpr double kTwoPi = 6.283185307179586477;
constexpr TComplex kSentinel{7, -7};

TChassis Woofer() {
  TChassis c;
  c.fs = 40;
  c.Qes = 0.4;
  c.Qms = 4;
  c.Vas = 0.05;
  c.Re = 6;
  c.Le = 5e-4;
  c.Re2 = 3;
  c.Le2 = 4e-4;
  c.Re3 = 8;
  c.Le3 = 2e-3;
  c.Amem = 0.02;
  c.xlin = 0.004;
  c.fgang_which = 5;
  return c;
}

// A voice coil that adds practically nothing to Re.
void IdealCoil(TChassis& c) {
  c.Le = 1e-15;
  c.Re2 = 1e-12;
  c.Le2 = 1e-15;
  c.Re3 = 1e-12;
  c.Le3 = 1e-15;
}

TEinbau Box(int typ) {
  TEinbau e;
  e.Typ = typ;
  e.Vb = 0.03;
  e.vV = 1.1;
  e.mb = 0.95;
  e.fmb = 250;
  e.Ql = 15;
  e.Qb = 20;
  e.fb = 38;
  e.Qk = 18;
  e.Vbf = 0.012;
  e.vVf = 1.05;
  e.Qbf = 12;
  e.fbf = 90;
  e.Qkf = 9;
  e.mbQExpl = true;
  return e;
}

void SetGrid(TFreqArray& freq, std::initializer_list<double> points) {
  freq.fill(0);
  int i = 0;
  for (double f : points) freq[i++] = f;
}

void LogGrid(TFreqArray& freq, double fMin, double fMax, int n) {
  freq.fill(0);
  for (int i = 0; i < n; ++i) freq[i] = fMin * std::pow(fMax / fMin, static_cast<double>(i) / (n - 1));
}

void SetCurve(TFreqArray& xs, TFreqArray& ys, std::initializer_list<std::pair<double, double>> points) {
  xs.fill(0);
  ys.fill(0);
  int i = 0;
  for (const auto& [x, y] : points) {
    xs[i] = x;
    ys[i] = y;
    ++i;
  }
}

complex<double> Cx(TComplex a) { return {a.re, a.im}; }

struct Outputs {
  TComplexCurve z, hub, rear, front;
  void Fill(TComplex v) {
    z.fill(v);
    hub.fill(v);
    rear.fill(v);
    front.fill(v);
  }
};

std::string Simulate(const TChassis& c, const TEinbau& e, const TFreqArray& freq, Outputs& o) {
  return SimulateChassis(c, e, freq, 600, o.z, o.hub, o.rear, o.front);
}

void FillSlot(TResult& r, int b, TComplex v) {
  r.ChFront[b].fill(v);
  r.ChFrontSim[b].fill(v);
  r.ChRear[b].fill(v);
  r.ChRearSim[b].fill(v);
  r.ChassisZ[b].fill(v);
  r.ChHub[b].fill(v.re);
}

// ---------------------------------------------------------------- simulation

TEST(SimulateChassis, ClosedBoxFrontIsSecondOrderHighPass) {
  TChassis c = Woofer();
  IdealCoil(c);
  TEinbau e = Box(1);
  e.mb = 1;
  e.vV = 1;
  e.Ql = 1e30;
  auto o = std::make_unique<Outputs>();
  TFreqArray freq;
  LogGrid(freq, 10, 20000, 300);
  ASSERT_EQ(Simulate(c, e, freq, *o), "OK");

  const double a = std::sqrt(c.Vas / e.Vb + 1);
  const double wc = kTwoPi * c.fs * a;
  const double qec = c.Qes * a;
  const double qmc = 1 / (1 / e.Ql + 1 / (c.Qms * a));
  const double qtc = qmc * qec / (qmc + qec);
  const double gain = std::sqrt(8 / c.Re * 9.64e-7 * c.fs * c.fs * c.fs * c.Vas / c.Qes);
  for (int i = 0; i < 300; ++i) {
    const complex<double> s{0, kTwoPi * freq[i]};
    const complex<double> expected = gain * s * s / (s * s + s * wc / qtc + wc * wc);
    EXPECT_LT(std::abs(Cx(o->front[i]) - expected), 1e-9 * std::abs(expected)) << freq[i];
    EXPECT_LT(CAbs(o->rear[i]), 1e-99) << freq[i];
  }
  // In the mass-controlled range the front output is the sensitivity, positive and real.
  EXPECT_NEAR(20 * std::log10(o->front[299].re) + 112, 10 * std::log10(gain * gain) + 112, 1e-3);
}

TEST(SimulateChassis, ImpedanceEqualsEquivalentNetwork) {
  // Admittances of all branches in parallel, the voice coil in series.
  TChassis c = Woofer();
  TFreqArray freq;
  LogGrid(freq, 10, 20000, 120);
  for (int typ = 0; typ <= 4; ++typ) {
    SCOPED_TRACE(typ);
    const TEinbau e = Box(typ);
    auto o = std::make_unique<Outputs>();
    ASSERT_EQ(Simulate(c, e, freq, *o), "OK");
    for (int i = 0; i < 120; ++i) {
      const double f = freq[i];
      const double w = kTwoPi * f;
      const complex<double> j{0, 1};
      TChassisDerived d;
      DeriveChassisValues(ThieleSmallOf(c), e, f, d);
      complex<double> y = 1 / d.Rms + j * w * d.Cms + 1.0 / (j * w * d.Lms);
      if (typ == 1 || typ == 3) y += 1.0 / (j * w * d.Lab);
      if (typ == 2 || typ == 4) {
        const complex<double> port = 1.0 / (1 / d.Rbr + j * w * d.Cbr);
        y += 1.0 / (port + d.Rab + j * w * d.Lab);
      }
      if (typ == 3 || typ == 4) {
        const complex<double> port = 1.0 / (1 / d.Rbrf + j * w * d.Cbrf);
        y += 1.0 / (port + d.Rabf + j * w * d.Labf);
      }
      const complex<double> coil =
          c.Re + j * w * c.Le + 1.0 / (1 / c.Re2 + 1.0 / (j * w * c.Le2)) + 1.0 / (1 / c.Re3 + 1.0 / (j * w * c.Le3));
      const complex<double> expected = coil + 1.0 / y;
      EXPECT_LT(std::abs(Cx(o->z[i]) - expected), 1e-9 * std::abs(expected)) << f;
      EXPECT_EQ(o->hub[i].im, 0);
      EXPECT_GT(o->hub[i].re, 0);
    }
  }
}

TEST(SimulateChassis, VasFromCatalogueSensitivity) {
  TChassis c = Woofer();
  IdealCoil(c);
  c.Vas = 0;
  c._SPL = 90;
  auto o = std::make_unique<Outputs>();
  TFreqArray freq;
  SetGrid(freq, {20000});
  ASSERT_EQ(Simulate(c, Box(0), freq, *o), "OK");
  EXPECT_NEAR(20 * std::log10(CAbs(o->front[0])) + 112, 90, 1e-4);
}

TEST(SimulateChassis, ParameterChecksInOrder) {
  struct Case {
    const char* name;
    void (*edit)(TChassis&, TEinbau&);
    std::string expected;
  };
  const std::string ts = kChassisMissingTsText;
  const Case cases[] = {
      {"valid vented box", [](TChassis&, TEinbau& e) { e.Typ = 2; }, "OK"},
      {"no linear excursion", [](TChassis& c, TEinbau&) { c.xlin = 0; }, kChassisXlinText},
      {"voice coil", [](TChassis& c, TEinbau&) { c.Le3 = -1; }, kChassisVoiceCoilText},
      {"closed box without air-load corner", [](TChassis&, TEinbau& e) { e.fmb = 0; }, kChassisBoxText},
      {"integrated ignores box values",
       [](TChassis&, TEinbau& e) {
         e.Typ = 0;
         e.Vb = 0;
         e.Qb = 0;
         e.Vbf = 0;
       },
       "OK"},
      {"band-pass needs no rear port",
       [](TChassis&, TEinbau& e) {
         e.Typ = 3;
         e.Qb = 0;
         e.fb = 0;
       },
       "OK"},
      {"vented box needs no front chamber",
       [](TChassis&, TEinbau& e) {
         e.Typ = 2;
         e.Vbf = 0;
         e.fbf = 0;
       },
       "OK"},
      {"everything missing, in order",
       [](TChassis& c, TEinbau& e) {
         c.Qms = 0;
         c.xlin = 0;
         c.Le = 0;
         e.Typ = 4;
         e.Ql = 0;
         e.fb = 0;
         e.Vbf = 0;
         e.Qbf = 0;
       },
       ts + kChassisXlinText + kChassisVoiceCoilText + kChassisBoxText + kChassisPortText + kChassisVbfText +
           kChassisFrontPortText},
      {"unknown enclosure type", [](TChassis&, TEinbau& e) { e.Typ = 5; }, kChassisTypText},
  };
  TFreqArray freq;
  LogGrid(freq, 20, 20000, 50);
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TChassis c = Woofer();
    TEinbau e = Box(1);
    k.edit(c, e);
    auto o = std::make_unique<Outputs>();
    o->Fill(kSentinel);
    EXPECT_EQ(Simulate(c, e, freq, *o), k.expected);
    if (k.expected != "OK") {
      // Rejected data write nothing.
      EXPECT_EQ(o->front[0], kSentinel);
      EXPECT_EQ(o->z[49], kSentinel);
    }
  }
}

TChassis MeasuredOnlyChassis() {
  TChassis c = Woofer();
  c.fs = c.Qes = c.Qms = c.Vas = 0;
  c.useFgangA = c.useFgangAP = c.useFgangI = c.useFgangIP = true;
  SetCurve(c.FgangAF, c.FgangA, {{20, 80}, {1000, 86}, {20000, 83}});
  SetCurve(c.FgangAPF, c.FgangAP, {{20, 2.5}, {1000, -0.4}, {20000, -2.9}});
  SetCurve(c.FgangIF, c.FgangI, {{20, 6.5}, {1000, 7.2}, {20000, 30}});
  SetCurve(c.FgangIPF, c.FgangIP, {{20, 0.1}, {1000, 0.2}, {20000, 1.1}});
  return c;
}

TEST(SimulateChassis, MeasuredOnlyModeForIntegratedChassis) {
  TChassis c = MeasuredOnlyChassis();
  TFreqArray freq;
  LogGrid(freq, 20, 20000, 40);
  auto o = std::make_unique<Outputs>();
  ASSERT_EQ(Simulate(c, Box(0), freq, *o), "OK");
  for (int i = 0; i < 40; ++i) {
    EXPECT_EQ(o->front[i], COne);
    EXPECT_EQ(o->z[i], COne);
    EXPECT_EQ(o->rear[i], (TComplex{1e-100, 0}));
    const double f = freq[i];
    EXPECT_DOUBLE_EQ(o->hub[i].re, 21.537 / (3.14159 * 3.14159 * (c.Amem + 1e-50) * f * f) * 0.25);
  }

  // In a box, or with any switch missing, the parameters are required.
  TEinbau closed = Box(1);
  closed.Vb = 0;
  EXPECT_EQ(Simulate(c, closed, freq, *o), std::string(kChassisMissingTsText) + kChassisBoxText);
  EXPECT_EQ(Simulate(c, Box(1), freq, *o), kChassisMissingTsText);
  TChassis lowOnly = c;
  lowOnly.useFgangA4fs = true;
  EXPECT_EQ(Simulate(lowOnly, Box(0), freq, *o), kChassisMissingTsText);
  TChassis noPhase = c;
  noPhase.FgangIPF[0] = 0;
  EXPECT_EQ(Simulate(noPhase, Box(0), freq, *o), kChassisMissingTsText);
}

TEST(SimulateChassis, ArithmeticFaultKeepsLowerFrequencies) {
  // An absurd inductance overflows the coil reactance at high frequencies.
  TChassis c = Woofer();
  c.Le = 1e305;
  TFreqArray freq;
  SetGrid(freq, {20, 100, 1e4, 2e4});
  auto o = std::make_unique<Outputs>();
  o->Fill(kSentinel);
  EXPECT_EQ(Simulate(c, Box(1), freq, *o), kChassisFaultText);
  EXPECT_NE(o->z[0], kSentinel);
  EXPECT_TRUE(CIsFinite(o->z[0]));
  EXPECT_EQ(o->z[2], kSentinel);
  EXPECT_EQ(o->front[3], kSentinel);
}

TEST(SimulateChassis, WritesOnlyGridEntries) {
  TFreqArray freq;
  SetGrid(freq, {100, 200});
  freq[3] = 300;  // after the terminator: not part of the grid
  auto o = std::make_unique<Outputs>();
  o->Fill(kSentinel);
  ASSERT_EQ(Simulate(Woofer(), Box(2), freq, *o), "OK");
  EXPECT_NE(o->front[1], kSentinel);
  EXPECT_EQ(o->front[2], kSentinel);
  EXPECT_EQ(o->front[3], kSentinel);
  // Vented box: the port radiates.
  EXPECT_GT(CAbs(o->rear[0]), 1e-3);
}

// ---------------------------------------------------------- per-chassis item

class ChassisItemTest : public testing::Test {
 protected:
  void SetUp() override {
    p = MakeNewProject();
    r = std::make_unique<TResult>();
    for (int b = 0; b < kChassisSlots; ++b) FillSlot(*r, b, kSentinel);
    p->Chassis[0] = Woofer();
    p->Einbau[0] = Box(1);
    p->Schallwand[0].d = 0.17;
    DeriveChassisValues(p->Chassis[0], p->Einbau[0], 1e-10);
  }
  // Direction factor on axis of the baffle the response was measured on.
  std::unique_ptr<TDirTable> MeasuringBaffle(int b) {
    TSchallwand w = p->Schallwand[b];
    MeasurementBaffle(w, p->Chassis[b].fgang_which);
    auto t = std::make_unique<TDirTable>();
    EXPECT_EQ(ComputeBaffle(w, p->freq, 600, p->Chassis[b].seo, *t), "OK");
    return t;
  }
  int GridSize() const {
    int n = 0;
    while (n < kFreqEntries && p->freq[n] > 0) ++n;
    return n;
  }

  std::unique_ptr<TProjekt> p;
  std::unique_ptr<TResult> r;
};

TEST_F(ChassisItemTest, StoresTheSimulation) {
  p->Chassis[2] = Woofer();
  p->Einbau[2] = Box(2);
  ASSERT_EQ(ChassisItem(*p, 2, *r), "OK");
  auto o = std::make_unique<Outputs>();
  ASSERT_EQ(Simulate(p->Chassis[2], p->Einbau[2], p->freq, *o), "OK");
  const int n = GridSize();
  for (int i = 0; i < n; ++i) {
    EXPECT_EQ(r->ChFront[2][i], o->front[i]);
    EXPECT_EQ(r->ChFrontSim[2][i], o->front[i]);
    EXPECT_EQ(r->ChRear[2][i], o->rear[i]);
    EXPECT_EQ(r->ChRearSim[2][i], o->rear[i]);
    EXPECT_EQ(r->ChassisZ[2][i], o->z[i]);
    EXPECT_EQ(r->ChHub[2][i], o->hub[i].re);
  }
  EXPECT_EQ(r->ChFront[2][n], kSentinel);  // beyond the grid
  EXPECT_EQ(r->ChFront[1][0], kSentinel);  // other slots
  EXPECT_EQ(r->ChFront[3][0], kSentinel);
}

TEST_F(ChassisItemTest, FailingSimulationReportsOnceAndKeepsCurves) {
  TChassis& c = p->Chassis[0];
  c.xlin = 0;
  c.useFgangA = c.useFgangI = true;
  c.fgang_which = 1;
  SetCurve(c.FgangAF, c.FgangA, {{20, 85}, {20000, 85}});
  SetCurve(c.FgangIF, c.FgangI, {{20, 8}, {20000, 8}});
  EXPECT_EQ(ChassisItem(*p, 0, *r), std::string("Fehler: Chassis 1: ") + kChassisXlinText);
  // the message as the user reads it (one excursion: "muss")
  EXPECT_EQ(std::string(kChassisXlinText), "Linearer Hub muss > 0 sein. ");
  EXPECT_EQ(r->ChFront[0][0], kSentinel);
  EXPECT_EQ(r->ChassisZ[0][5], kSentinel);
  EXPECT_EQ(r->ChHub[0][5], kSentinel.re);

  p->Einbau[7] = Box(7);
  p->Chassis[7] = Woofer();
  EXPECT_EQ(ChassisItem(*p, 7, *r), std::string("Fehler: Chassis 8: ") + kChassisTypText);
}

TEST_F(ChassisItemTest, MeasuredResponseIsReferredToTheMeasuringCondition) {
  // A vented box whose response was measured on the standard baffle in a
  // 200 litre box: the correction is the measured pressure over the
  // simulation under that condition, seen through the measuring baffle, and
  // applies to diaphragm and port alike.
  TChassis& c = p->Chassis[0];
  p->Einbau[0] = Box(2);
  c.useFgangA = c.useFgangAP = true;
  c.fgang_which = 2;
  c.seo = 0.03;
  SetCurve(c.FgangAF, c.FgangA, {{10, 84}, {30000, 84}});
  SetCurve(c.FgangAPF, c.FgangAP, {{10, 0.3}, {30000, 0.3}});
  ASSERT_EQ(ChassisItem(*p, 0, *r), "OK");

  TEinbau measuring = p->Einbau[0];
  MeasurementEnclosure(measuring, 2);
  EstimateEnclosureLosses(c, measuring);
  auto o = std::make_unique<Outputs>();
  ASSERT_EQ(Simulate(c, measuring, p->freq, *o), "OK");
  auto baffle = MeasuringBaffle(0);

  const double m = std::pow(10.0, (84.0 - 112) / 20);
  for (int j = 0; j < GridSize(); ++j) {
    const double f = p->freq[j];
    const double theta = c.seo / (344 / f) * 2 * 3.14159;
    const complex<double> measured = std::polar(m, 0.3 - theta);
    const complex<double> seen = Cx((*baffle)[j][0]) * (Cx(o->front[j]) + Cx(o->rear[j]));
    const complex<double> k = Cx(r->ChFront[0][j]) / Cx(r->ChFrontSim[0][j]);
    EXPECT_LT(std::abs(k * seen - measured), 1e-9 * m) << f;
    const complex<double> kRear = Cx(r->ChRear[0][j]) / Cx(r->ChRearSim[0][j]);
    EXPECT_LT(std::abs(kRear - k), 1e-9 * std::abs(k)) << f;
  }
}

TEST_F(ChassisItemTest, MeasuredOnlyChassisTakesTheMeasurement) {
  // Front pressure 1 before correction: the result is the measured response
  // divided by the measuring baffle's on-axis factor.
  p->Chassis[0] = MeasuredOnlyChassis();
  p->Einbau[0] = Box(0);
  p->Chassis[0].fgang_which = 1;  // infinite baffle
  const TChassis& c = p->Chassis[0];
  ASSERT_EQ(ChassisItem(*p, 0, *r), "OK");
  auto baffle = MeasuringBaffle(0);
  for (int j = 0; j < GridSize(); ++j) {
    const double f = p->freq[j];
    const double level = InterpolateLevel(c.FgangAF, c.FgangA, p->glatt_a, f);
    const complex<double> measured =
        std::polar(std::pow(10.0, (level - 112) / 20), InterpolatePhase(c.FgangAPF, c.FgangAP, f));
    const complex<double> front = Cx(r->ChFront[0][j]) * Cx((*baffle)[j][0]);
    EXPECT_LT(std::abs(front - measured), 1e-9 * std::abs(measured)) << f;
    const complex<double> z =
        std::polar(InterpolateLevel(c.FgangIF, c.FgangI, p->glatt_i, f), InterpolatePhase(c.FgangIPF, c.FgangIP, f));
    EXPECT_LT(std::abs(Cx(r->ChassisZ[0][j]) - z), 1e-12 * std::abs(z)) << f;
    EXPECT_EQ(r->ChFrontSim[0][j], COne);
  }
}

TEST_F(ChassisItemTest, MagnitudeOnlyCorrectionKeepsSimulatedPhase) {
  TChassis& c = p->Chassis[0];
  c.useFgangA = true;
  c.fgang_which = 1;
  SetCurve(c.FgangAF, c.FgangA, {{10, 80}, {30000, 80}});
  SetCurve(c.FgangAPF, c.FgangAP, {{10, 1.0}, {30000, 1.0}});  // ignored without useFgangAP
  ASSERT_EQ(ChassisItem(*p, 0, *r), "OK");
  TEinbau measuring = p->Einbau[0];
  MeasurementEnclosure(measuring, 1);
  auto o = std::make_unique<Outputs>();
  ASSERT_EQ(Simulate(c, measuring, p->freq, *o), "OK");
  auto baffle = MeasuringBaffle(0);
  const double m = std::pow(10.0, (80.0 - 112) / 20);
  for (int j = 0; j < GridSize(); ++j) {
    const complex<double> sim = Cx(r->ChFrontSim[0][j]);
    const complex<double> k = Cx(r->ChFront[0][j]) / sim;
    EXPECT_NEAR(k.imag(), 0, 1e-12 * std::abs(k));
    const double seen = std::abs(Cx((*baffle)[j][0]) * (Cx(o->front[j]) + Cx(o->rear[j])));
    EXPECT_NEAR(k.real() * seen, m, 1e-9 * m) << p->freq[j];
  }
}

TEST_F(ChassisItemTest, LowFrequencySwitchKeepsSimulationStrictlyBelowThreeFc) {
  TChassis& c = p->Chassis[0];
  c.useFgangA = c.useFgangA4fs = true;
  c.fgang_which = 1;
  c.derived.fc = 50;
  SetCurve(c.FgangAF, c.FgangA, {{10, 70}, {30000, 70}});
  SetGrid(p->freq, {100, 149.9, 150, 150.1, 1000});
  ASSERT_EQ(ChassisItem(*p, 0, *r), "OK");
  EXPECT_EQ(r->ChFront[0][0], r->ChFrontSim[0][0]);
  EXPECT_EQ(r->ChFront[0][1], r->ChFrontSim[0][1]);
  for (int j : {2, 3, 4}) {
    EXPECT_NE(r->ChFront[0][j], r->ChFrontSim[0][j]) << j;
    EXPECT_LT(CAbs(r->ChFront[0][j]), 0.5 * CAbs(r->ChFrontSim[0][j])) << j;  // 70 dB measured
  }
}

TEST_F(ChassisItemTest, MeasuredImpedanceAboveThreeFcOnly) {
  TChassis& c = p->Chassis[0];
  c.useFgangI = c.useFgangIP = true;
  c.derived.fc = 50;
  SetCurve(c.FgangIF, c.FgangI, {{10, 20}, {30000, 20}});
  SetCurve(c.FgangIPF, c.FgangIP, {{10, 0.5}, {30000, 0.5}});
  SetGrid(p->freq, {100, 150, 150.1, 1000});
  ASSERT_EQ(ChassisItem(*p, 0, *r), "OK");
  auto o = std::make_unique<Outputs>();
  ASSERT_EQ(Simulate(c, p->Einbau[0], p->freq, *o), "OK");
  EXPECT_EQ(r->ChassisZ[0][0], o->z[0]);
  EXPECT_EQ(r->ChassisZ[0][1], o->z[1]);
  for (int j : {2, 3}) {
    EXPECT_NEAR(r->ChassisZ[0][j].re, 20 * std::cos(0.5), 1e-12) << j;
    EXPECT_NEAR(r->ChassisZ[0][j].im, 20 * std::sin(0.5), 1e-12) << j;
  }
  // The integrated chassis takes the measurement everywhere; without the
  // phase switch only the magnitude is rescaled.
  p->Einbau[0] = Box(0);
  c.useFgangIP = false;
  ASSERT_EQ(ChassisItem(*p, 0, *r), "OK");
  ASSERT_EQ(Simulate(c, p->Einbau[0], p->freq, *o), "OK");
  for (int j = 0; j < 4; ++j) {
    EXPECT_NEAR(CAbs(r->ChassisZ[0][j]), 20, 1e-12) << j;
    EXPECT_NEAR(CArg(r->ChassisZ[0][j]), CArg(o->z[j]), 1e-12) << j;
  }
}

TEST_F(ChassisItemTest, MeasuringBaffleErrorSuppressesCorrection) {
  TChassis& c = p->Chassis[0];
  c.useFgangA = c.useFgangI = true;
  c.fgang_which = 5;  // the project's own baffle, which is invalid
  p->Schallwand[0].d = -0.1;
  SetCurve(c.FgangAF, c.FgangA, {{10, 70}, {30000, 70}});
  SetCurve(c.FgangIF, c.FgangI, {{10, 20}, {30000, 20}});
  const std::string text = ChassisItem(*p, 0, *r);
  EXPECT_THAT(text, testing::StartsWith("Fehler: Chassis 1: "));
  EXPECT_THAT(text, testing::HasSubstr("Maß d auf Schallwand muss >= 0 sein. "));
  EXPECT_THAT(text, testing::Not(testing::HasSubstr("OK")));
  auto o = std::make_unique<Outputs>();
  ASSERT_EQ(Simulate(c, p->Einbau[0], p->freq, *o), "OK");
  for (int j = 0; j < GridSize(); ++j) {
    EXPECT_EQ(r->ChFront[0][j], r->ChFrontSim[0][j]);
    EXPECT_EQ(r->ChassisZ[0][j], o->z[j]);
  }
}

// ------------------------------------------------------------- interpolation

TEST(InterpolateLevel, LinearWithFlatEnds) {
  TFreqArray xs, ys;
  SetCurve(xs, ys, {{100, 10}, {200, 20}, {200, 30}, {400, 40}});
  struct Case {
    double x, expected;
  };
  const Case cases[] = {
      {50, 10},    // below the range: first value
      {100, 10},   // at a point
      {150, 15},   // between
      {200, 20},   // at the first of two equal frequencies
      {300, 35},   // between the second of the equal pair and the next
      {400, 40},   // at the last point
      {1000, 40},  // beyond the range: last value
  };
  for (const Case& k : cases) EXPECT_DOUBLE_EQ(InterpolateLevel(xs, ys, 0, k.x), k.expected) << k.x;
}

TEST(InterpolateLevel, SmoothingWindow) {
  TFreqArray xs, ys;
  SetCurve(xs, ys, {{100, 0}, {110, 10}});
  // Weights 1/(1.25·1.4) for the point at x and 0.125/(0.5·0.65) at 10 %.
  EXPECT_NEAR(InterpolateLevel(xs, ys, 0.2, 100), 4.022988505747126, 1e-12);
  // Points outside the width do not count; the plain value stays.
  EXPECT_DOUBLE_EQ(InterpolateLevel(xs, ys, 0.05, 105), 5);
  // Symmetric neighbours of a straight line average to the line.
  SetCurve(xs, ys, {{90, 1}, {100, 2}, {110, 3}});
  EXPECT_NEAR(InterpolateLevel(xs, ys, 0.24, 100), 2, 1e-12);
  // Below the first point no smoothing at all.
  EXPECT_EQ(InterpolateLevel(xs, ys, 0.5, 80), 1);
  // An empty list gives its first value.
  xs.fill(0);
  EXPECT_EQ(InterpolateLevel(xs, ys, 0.24, 100), 1);
}

TEST(InterpolatePhase, WrapsAcrossPlusMinusPi) {
  constexpr double kDeg = 3.141592653589793 / 180;
  TFreqArray xs, ps;
  SetCurve(xs, ps, {{100, -170 * kDeg}, {200, 170 * kDeg}, {300, -10 * kDeg}, {400, 10 * kDeg}});
  // -170° .. +170°: the midpoint is ±180°, not 0°.
  const double mid = InterpolatePhase(xs, ps, 150);
  EXPECT_NEAR(std::cos(mid), -1, 1e-8);
  EXPECT_NEAR(mid, (-170 * kDeg + 6.2832 + 170 * kDeg) / 2, 1e-12);
  // 170° .. -10° (difference 180°, below the wrap test): plain interpolation.
  EXPECT_NEAR(InterpolatePhase(xs, ps, 250), 80 * kDeg, 1e-12);
  // -10° .. +10°: through 0°.
  EXPECT_NEAR(InterpolatePhase(xs, ps, 350), 0, 1e-12);
  EXPECT_EQ(InterpolatePhase(xs, ps, 50), ps[0]);
  EXPECT_EQ(InterpolatePhase(xs, ps, 500), ps[3]);
  EXPECT_DOUBLE_EQ(InterpolatePhase(xs, ps, 200), ps[1]);
}

}  // namespace
}  // namespace sonvex
