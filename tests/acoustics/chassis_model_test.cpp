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
constexpr Complex kSentinel{7, -7};

Chassis Woofer() {
  Chassis c;
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
  c.Sd = 0.02;
  c.xlin = 0.004;
  c.responseSource = 5;
  return c;
}

// A voice coil that adds practically nothing to Re.
void IdealCoil(Chassis& c) {
  c.Le = 1e-15;
  c.Re2 = 1e-12;
  c.Le2 = 1e-15;
  c.Re3 = 1e-12;
  c.Le3 = 1e-15;
}

Enclosure Box(int type) {
  Enclosure e;
  e.type = type;
  e.Vb = 0.03;
  e.volumeFactor = 1.1;
  e.airMassFactor = 0.95;
  e.airMassCornerFreq = 250;
  e.Ql = 15;
  e.Qb = 20;
  e.fb = 38;
  e.Qp = 18;
  e.VbFront = 0.012;
  e.frontVolumeFactor = 1.05;
  e.QbFront = 12;
  e.fbFront = 90;
  e.QpFront = 9;
  e.explicitValues = true;
  return e;
}

void SetGrid(FreqArray& freq, std::initializer_list<double> points) {
  freq.fill(0);
  int i = 0;
  for (double f : points) freq[i++] = f;
}

void LogGrid(FreqArray& freq, double fMin, double fMax, int n) {
  freq.fill(0);
  for (int i = 0; i < n; ++i) freq[i] = fMin * std::pow(fMax / fMin, static_cast<double>(i) / (n - 1));
}

void SetCurve(FreqArray& xs, FreqArray& ys, std::initializer_list<std::pair<double, double>> points) {
  xs.fill(0);
  ys.fill(0);
  int i = 0;
  for (const auto& [x, y] : points) {
    xs[i] = x;
    ys[i] = y;
    ++i;
  }
}

complex<double> Cx(Complex a) { return {a.re, a.im}; }

struct Outputs {
  ComplexCurve z, excursion, rear, front;
  void Fill(Complex v) {
    z.fill(v);
    excursion.fill(v);
    rear.fill(v);
    front.fill(v);
  }
};

std::string Simulate(const Chassis& c, const Enclosure& e, const FreqArray& freq, Outputs& o) {
  return SimulateChassis(c, e, freq, 600, o.z, o.excursion, o.rear, o.front);
}

void FillSlot(CalcResult& r, int b, Complex v) {
  r.chassisFront[b].fill(v);
  r.chassisFrontSim[b].fill(v);
  r.chassisRear[b].fill(v);
  r.chassisRearSim[b].fill(v);
  r.chassisImpedance[b].fill(v);
  r.chassisExcursion[b].fill(v.re);
}

// ---------------------------------------------------------------- simulation

TEST(SimulateChassis, ClosedBoxFrontIsSecondOrderHighPass) {
  Chassis c = Woofer();
  IdealCoil(c);
  Enclosure e = Box(1);
  e.airMassFactor = 1;
  e.volumeFactor = 1;
  e.Ql = 1e30;
  auto o = std::make_unique<Outputs>();
  FreqArray freq;
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
  Chassis c = Woofer();
  FreqArray freq;
  LogGrid(freq, 10, 20000, 120);
  for (int type = 0; type <= 4; ++type) {
    SCOPED_TRACE(type);
    const Enclosure e = Box(type);
    auto o = std::make_unique<Outputs>();
    ASSERT_EQ(Simulate(c, e, freq, *o), "OK");
    for (int i = 0; i < 120; ++i) {
      const double f = freq[i];
      const double w = kTwoPi * f;
      const complex<double> j{0, 1};
      ChassisDerived d;
      DeriveChassisValues(ThieleSmallOf(c), e, f, d);
      complex<double> y = 1 / d.Rms + j * w * d.Cms + 1.0 / (j * w * d.Lms);
      if (type == 1 || type == 3) y += 1.0 / (j * w * d.Lab);
      if (type == 2 || type == 4) {
        const complex<double> port = 1.0 / (1 / d.Rbr + j * w * d.Cbr);
        y += 1.0 / (port + d.Rab + j * w * d.Lab);
      }
      if (type == 3 || type == 4) {
        const complex<double> port = 1.0 / (1 / d.Rbrf + j * w * d.Cbrf);
        y += 1.0 / (port + d.Rabf + j * w * d.Labf);
      }
      const complex<double> coil =
          c.Re + j * w * c.Le + 1.0 / (1 / c.Re2 + 1.0 / (j * w * c.Le2)) + 1.0 / (1 / c.Re3 + 1.0 / (j * w * c.Le3));
      const complex<double> expected = coil + 1.0 / y;
      EXPECT_LT(std::abs(Cx(o->z[i]) - expected), 1e-9 * std::abs(expected)) << f;
      EXPECT_EQ(o->excursion[i].im, 0);
      EXPECT_GT(o->excursion[i].re, 0);
    }
  }
}

TEST(SimulateChassis, VasFromCatalogueSensitivity) {
  Chassis c = Woofer();
  IdealCoil(c);
  c.Vas = 0;
  c.dataSheetSPL = 90;
  auto o = std::make_unique<Outputs>();
  FreqArray freq;
  SetGrid(freq, {20000});
  ASSERT_EQ(Simulate(c, Box(0), freq, *o), "OK");
  EXPECT_NEAR(20 * std::log10(CAbs(o->front[0])) + 112, 90, 1e-4);
}

TEST(SimulateChassis, ParameterChecksInOrder) {
  struct Case {
    const char* name;
    void (*edit)(Chassis&, Enclosure&);
    std::string expected;
  };
  const std::string ts = kChassisMissingTsText;
  const Case cases[] = {
      {"valid vented box", [](Chassis&, Enclosure& e) { e.type = 2; }, "OK"},
      {"no linear excursion", [](Chassis& c, Enclosure&) { c.xlin = 0; }, kChassisXlinText},
      {"voice coil", [](Chassis& c, Enclosure&) { c.Le3 = -1; }, kChassisVoiceCoilText},
      {"closed box without air-load corner", [](Chassis&, Enclosure& e) { e.airMassCornerFreq = 0; }, kChassisBoxText},
      {"integrated ignores box values",
       [](Chassis&, Enclosure& e) {
         e.type = 0;
         e.Vb = 0;
         e.Qb = 0;
         e.VbFront = 0;
       },
       "OK"},
      {"band-pass needs no rear port",
       [](Chassis&, Enclosure& e) {
         e.type = 3;
         e.Qb = 0;
         e.fb = 0;
       },
       "OK"},
      {"vented box needs no front chamber",
       [](Chassis&, Enclosure& e) {
         e.type = 2;
         e.VbFront = 0;
         e.fbFront = 0;
       },
       "OK"},
      {"everything missing, in order",
       [](Chassis& c, Enclosure& e) {
         c.Qms = 0;
         c.xlin = 0;
         c.Le = 0;
         e.type = 4;
         e.Ql = 0;
         e.fb = 0;
         e.VbFront = 0;
         e.QbFront = 0;
       },
       ts + kChassisXlinText + kChassisVoiceCoilText + kChassisBoxText + kChassisPortText + kChassisVbfText +
           kChassisFrontPortText},
      {"unknown enclosure type", [](Chassis&, Enclosure& e) { e.type = 5; }, kChassisTypeText},
  };
  FreqArray freq;
  LogGrid(freq, 20, 20000, 50);
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Chassis c = Woofer();
    Enclosure e = Box(1);
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

Chassis MeasuredOnlyChassis() {
  Chassis c = Woofer();
  c.fs = c.Qes = c.Qms = c.Vas = 0;
  c.useMeasuredAmplitude = c.useMeasuredAcousticPhase = c.useMeasuredImpedance = c.useMeasuredElectricalPhase = true;
  SetCurve(c.measuredAmplitudeFreq, c.measuredAmplitude, {{20, 80}, {1000, 86}, {20000, 83}});
  SetCurve(c.measuredAcousticPhaseFreq, c.measuredAcousticPhase, {{20, 2.5}, {1000, -0.4}, {20000, -2.9}});
  SetCurve(c.measuredImpedanceFreq, c.measuredImpedance, {{20, 6.5}, {1000, 7.2}, {20000, 30}});
  SetCurve(c.measuredElectricalPhaseFreq, c.measuredElectricalPhase, {{20, 0.1}, {1000, 0.2}, {20000, 1.1}});
  return c;
}

TEST(SimulateChassis, MeasuredOnlyModeForIntegratedChassis) {
  Chassis c = MeasuredOnlyChassis();
  FreqArray freq;
  LogGrid(freq, 20, 20000, 40);
  auto o = std::make_unique<Outputs>();
  ASSERT_EQ(Simulate(c, Box(0), freq, *o), "OK");
  for (int i = 0; i < 40; ++i) {
    EXPECT_EQ(o->front[i], kComplexOne);
    EXPECT_EQ(o->z[i], kComplexOne);
    EXPECT_EQ(o->rear[i], (Complex{1e-100, 0}));
    const double f = freq[i];
    EXPECT_DOUBLE_EQ(o->excursion[i].re, 21.537 / (3.14159 * 3.14159 * (c.Sd + 1e-50) * f * f) * 0.25);
  }

  // In a box, or with any switch missing, the parameters are required.
  Enclosure closed = Box(1);
  closed.Vb = 0;
  EXPECT_EQ(Simulate(c, closed, freq, *o), std::string(kChassisMissingTsText) + kChassisBoxText);
  EXPECT_EQ(Simulate(c, Box(1), freq, *o), kChassisMissingTsText);
  Chassis lowOnly = c;
  lowOnly.useMeasuredAmplitudeAtFs = true;
  EXPECT_EQ(Simulate(lowOnly, Box(0), freq, *o), kChassisMissingTsText);
  Chassis noPhase = c;
  noPhase.measuredElectricalPhaseFreq[0] = 0;
  EXPECT_EQ(Simulate(noPhase, Box(0), freq, *o), kChassisMissingTsText);
}

TEST(SimulateChassis, ArithmeticFaultKeepsLowerFrequencies) {
  // An absurd inductance overflows the coil reactance at high frequencies.
  Chassis c = Woofer();
  c.Le = 1e305;
  FreqArray freq;
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
  FreqArray freq;
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
    p_ = MakeNewProject();
    r_ = std::make_unique<CalcResult>();
    for (int b = 0; b < kChassisSlots; ++b) FillSlot(*r_, b, kSentinel);
    p_->chassis[0] = Woofer();
    p_->enclosures[0] = Box(1);
    p_->baffles[0].outletDiameter = 0.17;
    DeriveChassisValues(p_->chassis[0], p_->enclosures[0], 1e-10);
  }
  // Direction factor on axis of the baffle the response was measured on.
  std::unique_ptr<DirectionTable> MeasuringBaffle(int b) {
    Baffle w = p_->baffles[b];
    MeasurementBaffle(w, p_->chassis[b].responseSource);
    auto t = std::make_unique<DirectionTable>();
    EXPECT_EQ(ComputeBaffle(w, p_->freq, 600, p_->chassis[b].sourceDepth, *t), "OK");
    return t;
  }
  int GridSize() const {
    int n = 0;
    while (n < kFreqEntries && p_->freq[n] > 0) ++n;
    return n;
  }

  std::unique_ptr<Project> p_;
  std::unique_ptr<CalcResult> r_;
};

TEST_F(ChassisItemTest, StoresTheSimulation) {
  p_->chassis[2] = Woofer();
  p_->enclosures[2] = Box(2);
  ASSERT_EQ(ChassisItem(*p_, 2, *r_), "OK");
  auto o = std::make_unique<Outputs>();
  ASSERT_EQ(Simulate(p_->chassis[2], p_->enclosures[2], p_->freq, *o), "OK");
  const int n = GridSize();
  for (int i = 0; i < n; ++i) {
    EXPECT_EQ(r_->chassisFront[2][i], o->front[i]);
    EXPECT_EQ(r_->chassisFrontSim[2][i], o->front[i]);
    EXPECT_EQ(r_->chassisRear[2][i], o->rear[i]);
    EXPECT_EQ(r_->chassisRearSim[2][i], o->rear[i]);
    EXPECT_EQ(r_->chassisImpedance[2][i], o->z[i]);
    EXPECT_EQ(r_->chassisExcursion[2][i], o->excursion[i].re);
  }
  EXPECT_EQ(r_->chassisFront[2][n], kSentinel);  // beyond the grid
  EXPECT_EQ(r_->chassisFront[1][0], kSentinel);  // other slots
  EXPECT_EQ(r_->chassisFront[3][0], kSentinel);
}

TEST_F(ChassisItemTest, FailingSimulationReportsOnceAndKeepsCurves) {
  Chassis& c = p_->chassis[0];
  c.xlin = 0;
  c.useMeasuredAmplitude = c.useMeasuredImpedance = true;
  c.responseSource = 1;
  SetCurve(c.measuredAmplitudeFreq, c.measuredAmplitude, {{20, 85}, {20000, 85}});
  SetCurve(c.measuredImpedanceFreq, c.measuredImpedance, {{20, 8}, {20000, 8}});
  EXPECT_EQ(ChassisItem(*p_, 0, *r_), std::string("Fehler: Chassis 1: ") + kChassisXlinText);
  // the message as the user reads it (one excursion: "muss")
  EXPECT_EQ(std::string(kChassisXlinText), "Linearer Hub muss > 0 sein. ");
  EXPECT_EQ(r_->chassisFront[0][0], kSentinel);
  EXPECT_EQ(r_->chassisImpedance[0][5], kSentinel);
  EXPECT_EQ(r_->chassisExcursion[0][5], kSentinel.re);

  p_->enclosures[7] = Box(7);
  p_->chassis[7] = Woofer();
  EXPECT_EQ(ChassisItem(*p_, 7, *r_), std::string("Fehler: Chassis 8: ") + kChassisTypeText);
}

TEST_F(ChassisItemTest, MeasuredResponseIsReferredToTheMeasuringCondition) {
  // A vented box whose response was measured on the standard baffle in a
  // 200 litre box: the correction is the measured pressure over the
  // simulation under that condition, seen through the measuring baffle, and
  // applies to diaphragm and port alike.
  Chassis& c = p_->chassis[0];
  p_->enclosures[0] = Box(2);
  c.useMeasuredAmplitude = c.useMeasuredAcousticPhase = true;
  c.responseSource = 2;
  c.sourceDepth = 0.03;
  SetCurve(c.measuredAmplitudeFreq, c.measuredAmplitude, {{10, 84}, {30000, 84}});
  SetCurve(c.measuredAcousticPhaseFreq, c.measuredAcousticPhase, {{10, 0.3}, {30000, 0.3}});
  ASSERT_EQ(ChassisItem(*p_, 0, *r_), "OK");

  Enclosure measuring = p_->enclosures[0];
  MeasurementEnclosure(measuring, 2);
  EstimateEnclosureLosses(c, measuring);
  auto o = std::make_unique<Outputs>();
  ASSERT_EQ(Simulate(c, measuring, p_->freq, *o), "OK");
  auto baffle = MeasuringBaffle(0);

  const double m = std::pow(10.0, (84.0 - 112) / 20);
  for (int j = 0; j < GridSize(); ++j) {
    const double f = p_->freq[j];
    const double theta = c.sourceDepth / (344 / f) * 2 * 3.14159;
    const complex<double> measured = std::polar(m, 0.3 - theta);
    const complex<double> seen = Cx((*baffle)[j][0]) * (Cx(o->front[j]) + Cx(o->rear[j]));
    const complex<double> k = Cx(r_->chassisFront[0][j]) / Cx(r_->chassisFrontSim[0][j]);
    EXPECT_LT(std::abs(k * seen - measured), 1e-9 * m) << f;
    const complex<double> kRear = Cx(r_->chassisRear[0][j]) / Cx(r_->chassisRearSim[0][j]);
    EXPECT_LT(std::abs(kRear - k), 1e-9 * std::abs(k)) << f;
  }
}

TEST_F(ChassisItemTest, MeasuredOnlyChassisTakesTheMeasurement) {
  // Front pressure 1 before correction: the result is the measured response
  // divided by the measuring baffle's on-axis factor.
  p_->chassis[0] = MeasuredOnlyChassis();
  p_->enclosures[0] = Box(0);
  p_->chassis[0].responseSource = 1;  // infinite baffle
  const Chassis& c = p_->chassis[0];
  ASSERT_EQ(ChassisItem(*p_, 0, *r_), "OK");
  auto baffle = MeasuringBaffle(0);
  for (int j = 0; j < GridSize(); ++j) {
    const double f = p_->freq[j];
    const double level = InterpolateLevel(c.measuredAmplitudeFreq, c.measuredAmplitude, p_->smoothingAmplitude, f);
    const complex<double> measured = std::polar(
        std::pow(10.0, (level - 112) / 20), InterpolatePhase(c.measuredAcousticPhaseFreq, c.measuredAcousticPhase, f));
    const complex<double> front = Cx(r_->chassisFront[0][j]) * Cx((*baffle)[j][0]);
    EXPECT_LT(std::abs(front - measured), 1e-9 * std::abs(measured)) << f;
    const complex<double> z =
        std::polar(InterpolateLevel(c.measuredImpedanceFreq, c.measuredImpedance, p_->smoothingImpedance, f),
                   InterpolatePhase(c.measuredElectricalPhaseFreq, c.measuredElectricalPhase, f));
    EXPECT_LT(std::abs(Cx(r_->chassisImpedance[0][j]) - z), 1e-12 * std::abs(z)) << f;
    EXPECT_EQ(r_->chassisFrontSim[0][j], kComplexOne);
  }
}

TEST_F(ChassisItemTest, MagnitudeOnlyCorrectionKeepsSimulatedPhase) {
  Chassis& c = p_->chassis[0];
  c.useMeasuredAmplitude = true;
  c.responseSource = 1;
  SetCurve(c.measuredAmplitudeFreq, c.measuredAmplitude, {{10, 80}, {30000, 80}});
  SetCurve(c.measuredAcousticPhaseFreq, c.measuredAcousticPhase,
           {{10, 1.0}, {30000, 1.0}});  // ignored without useMeasuredAcousticPhase
  ASSERT_EQ(ChassisItem(*p_, 0, *r_), "OK");
  Enclosure measuring = p_->enclosures[0];
  MeasurementEnclosure(measuring, 1);
  auto o = std::make_unique<Outputs>();
  ASSERT_EQ(Simulate(c, measuring, p_->freq, *o), "OK");
  auto baffle = MeasuringBaffle(0);
  const double m = std::pow(10.0, (80.0 - 112) / 20);
  for (int j = 0; j < GridSize(); ++j) {
    const complex<double> sim = Cx(r_->chassisFrontSim[0][j]);
    const complex<double> k = Cx(r_->chassisFront[0][j]) / sim;
    EXPECT_NEAR(k.imag(), 0, 1e-12 * std::abs(k));
    const double seen = std::abs(Cx((*baffle)[j][0]) * (Cx(o->front[j]) + Cx(o->rear[j])));
    EXPECT_NEAR(k.real() * seen, m, 1e-9 * m) << p_->freq[j];
  }
}

TEST_F(ChassisItemTest, LowFrequencySwitchKeepsSimulationStrictlyBelowThreeFc) {
  Chassis& c = p_->chassis[0];
  c.useMeasuredAmplitude = c.useMeasuredAmplitudeAtFs = true;
  c.responseSource = 1;
  c.derived.fc = 50;
  SetCurve(c.measuredAmplitudeFreq, c.measuredAmplitude, {{10, 70}, {30000, 70}});
  SetGrid(p_->freq, {100, 149.9, 150, 150.1, 1000});
  ASSERT_EQ(ChassisItem(*p_, 0, *r_), "OK");
  EXPECT_EQ(r_->chassisFront[0][0], r_->chassisFrontSim[0][0]);
  EXPECT_EQ(r_->chassisFront[0][1], r_->chassisFrontSim[0][1]);
  for (int j : {2, 3, 4}) {
    EXPECT_NE(r_->chassisFront[0][j], r_->chassisFrontSim[0][j]) << j;
    EXPECT_LT(CAbs(r_->chassisFront[0][j]), 0.5 * CAbs(r_->chassisFrontSim[0][j])) << j;  // 70 dB measured
  }
}

TEST_F(ChassisItemTest, MeasuredImpedanceAboveThreeFcOnly) {
  Chassis& c = p_->chassis[0];
  c.useMeasuredImpedance = c.useMeasuredElectricalPhase = true;
  c.derived.fc = 50;
  SetCurve(c.measuredImpedanceFreq, c.measuredImpedance, {{10, 20}, {30000, 20}});
  SetCurve(c.measuredElectricalPhaseFreq, c.measuredElectricalPhase, {{10, 0.5}, {30000, 0.5}});
  SetGrid(p_->freq, {100, 150, 150.1, 1000});
  ASSERT_EQ(ChassisItem(*p_, 0, *r_), "OK");
  auto o = std::make_unique<Outputs>();
  ASSERT_EQ(Simulate(c, p_->enclosures[0], p_->freq, *o), "OK");
  EXPECT_EQ(r_->chassisImpedance[0][0], o->z[0]);
  EXPECT_EQ(r_->chassisImpedance[0][1], o->z[1]);
  for (int j : {2, 3}) {
    EXPECT_NEAR(r_->chassisImpedance[0][j].re, 20 * std::cos(0.5), 1e-12) << j;
    EXPECT_NEAR(r_->chassisImpedance[0][j].im, 20 * std::sin(0.5), 1e-12) << j;
  }
  // The integrated chassis takes the measurement everywhere; without the
  // phase switch only the magnitude is rescaled.
  p_->enclosures[0] = Box(0);
  c.useMeasuredElectricalPhase = false;
  ASSERT_EQ(ChassisItem(*p_, 0, *r_), "OK");
  ASSERT_EQ(Simulate(c, p_->enclosures[0], p_->freq, *o), "OK");
  for (int j = 0; j < 4; ++j) {
    EXPECT_NEAR(CAbs(r_->chassisImpedance[0][j]), 20, 1e-12) << j;
    EXPECT_NEAR(CArg(r_->chassisImpedance[0][j]), CArg(o->z[j]), 1e-12) << j;
  }
}

TEST_F(ChassisItemTest, MeasuringBaffleErrorSuppressesCorrection) {
  Chassis& c = p_->chassis[0];
  c.useMeasuredAmplitude = c.useMeasuredImpedance = true;
  c.responseSource = 5;  // the project's own baffle, which is invalid
  p_->baffles[0].outletDiameter = -0.1;
  SetCurve(c.measuredAmplitudeFreq, c.measuredAmplitude, {{10, 70}, {30000, 70}});
  SetCurve(c.measuredImpedanceFreq, c.measuredImpedance, {{10, 20}, {30000, 20}});
  const std::string text = ChassisItem(*p_, 0, *r_);
  EXPECT_THAT(text, testing::StartsWith("Fehler: Chassis 1: "));
  EXPECT_THAT(text, testing::HasSubstr("Maß d auf Schallwand muss >= 0 sein. "));
  EXPECT_THAT(text, testing::Not(testing::HasSubstr("OK")));
  auto o = std::make_unique<Outputs>();
  ASSERT_EQ(Simulate(c, p_->enclosures[0], p_->freq, *o), "OK");
  for (int j = 0; j < GridSize(); ++j) {
    EXPECT_EQ(r_->chassisFront[0][j], r_->chassisFrontSim[0][j]);
    EXPECT_EQ(r_->chassisImpedance[0][j], o->z[j]);
  }
}

// ------------------------------------------------------------- interpolation

TEST(InterpolateLevel, LinearWithFlatEnds) {
  FreqArray xs, ys;
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
  FreqArray xs, ys;
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
  FreqArray xs, ps;
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
