#include "acoustics/enclosure.h"

#include <gtest/gtest.h>

#include <cmath>

namespace sonvex {
namespace {

constexpr double kPi = 3.141592653589793;

Chassis Woofer() {
  Chassis c;
  c.fs = 40;
  c.Qes = 0.4;
  c.Qms = 4;
  c.Vas = 0.05;
  c.Re = 6;
  c.Sd = 0.02;
  return c;
}

Enclosure ExplicitBox(int type) {
  Enclosure e;
  e.type = type;
  e.Vb = 0.025;
  e.volumeFactor = 1;
  e.airMassFactor = 1;
  e.airMassCornerFreq = 300;
  e.Ql = 1e12;
  e.Qb = 20;
  e.fb = 35;
  e.Qp = 20;
  e.VbFront = 0.01;
  e.frontVolumeFactor = 1;
  e.QbFront = 15;
  e.fbFront = 80;
  e.QpFront = 10;
  e.explicitValues = true;
  return e;
}

TEST(DeriveChassisValues, IntegratedChassisKeepsItsOwnParameters) {
  Chassis c = Woofer();
  Enclosure e = ExplicitBox(0);
  e.airMassFactor = 0.8;  // ignored without an enclosure
  e.airMassCornerFreq = 200;
  DeriveChassisValues(c, e, 100);
  const ChassisDerived& d = c.derived;
  EXPECT_EQ(d.Vab, c.Vas);
  EXPECT_EQ(d.fsbg, c.fs);
  EXPECT_EQ(d.fc, c.fs);
  EXPECT_EQ(d.Qec, c.Qes);
  EXPECT_EQ(d.Qmc, c.Qms);
  EXPECT_NEAR(d.Qts, 4 * 0.4 / 4.4, 1e-15);
  EXPECT_DOUBLE_EQ(d.Rms, c.Re * c.Qms / c.Qes);
  EXPECT_DOUBLE_EQ(d.Cms, c.Qes / (2 * kPi * c.fs * c.Re));
  EXPECT_DOUBLE_EQ(d.Lms, c.Re / (2 * kPi * c.fs * c.Qes));
  // No enclosure elements.
  EXPECT_EQ(d.Lab, 1e102);
  EXPECT_EQ(d.Labf, 1e102);
  EXPECT_EQ(d.Cbr, 1e-105);
  EXPECT_EQ(d.Cbrf, 1e-105);
  EXPECT_EQ(d.Rbr, 1e99);
  EXPECT_EQ(d.Rab, 1e99);
  EXPECT_EQ(d.Rbrf, 1e99);
  EXPECT_EQ(d.Rabf, 1e99);
  // Mechanical values and sensitivity.
  const double cmd = 7.21e-6 * c.Vas / (c.Sd * c.Sd);
  EXPECT_DOUBLE_EQ(d.Cmd, cmd);
  EXPECT_DOUBLE_EQ(d.Mmd, 1 / (4 * kPi * kPi * c.fs * c.fs * cmd));
  EXPECT_DOUBLE_EQ(d.Bl, std::sqrt(c.Re / (2 * kPi * c.fs * cmd * c.Qes)));
  EXPECT_NEAR(d.SPL, 10 * std::log10(8 / c.Re * 9.64e-7 * 64000 * c.Vas / c.Qes) + 112, 1e-12);
  EXPECT_EQ(d.Rmd, 0);
}

TEST(DeriveChassisValues, ClosedBoxOfVasRaisesResonanceAndQBySqrtTwo) {
  Chassis c = Woofer();
  Enclosure e = ExplicitBox(1);
  e.Vb = c.Vas;
  DeriveChassisValues(c, e, 1e-10);
  EXPECT_NEAR(c.derived.fc, std::sqrt(2.0) * c.fs, 1e-12);
  EXPECT_NEAR(c.derived.Qec, std::sqrt(2.0) * c.Qes, 1e-14);
  EXPECT_DOUBLE_EQ(c.derived.Lab, c.derived.Lms);            // box compliance equals the suspension's
  EXPECT_NEAR(c.derived.Qmc, std::sqrt(2.0) * c.Qms, 1e-9);  // Ql = 1e12 adds nothing
}

TEST(DeriveChassisValues, AirLoadFactorAtTheLowFrequencyLimit) {
  Chassis c = Woofer();
  Enclosure e = ExplicitBox(1);
  e.airMassFactor = 0.9;
  e.airMassCornerFreq = 300;
  DeriveChassisValues(c, e, 1e-10);
  EXPECT_NEAR(c.derived.fsbg / c.fs, 0.9, 1e-15);
  EXPECT_NEAR(c.derived.Qesbg * 0.9, c.Qes, 1e-15);
  // At fmb the air load has half its effect; far above it is gone.
  DeriveChassisValues(c, e, 300);
  EXPECT_NEAR(c.derived.fsbg / c.fs, 0.95, 1e-15);
  DeriveChassisValues(c, e, 3e7);
  EXPECT_NEAR(c.derived.fsbg / c.fs, 1, 1e-10);
  // fmb = 0 means no air load at any frequency above 0.
  e.airMassCornerFreq = 0;
  DeriveChassisValues(c, e, 50);
  EXPECT_EQ(c.derived.fsbg, c.fs);
}

TEST(DeriveChassisValues, MissingVolumeGivesMarkers) {
  Chassis c = Woofer();
  Enclosure e = ExplicitBox(1);
  e.Vb = 0;
  DeriveChassisValues(c, e, 100);
  EXPECT_EQ(c.derived.fc, c.fs * 1e99);
  EXPECT_EQ(c.derived.Qec, c.Qes * 1e99);
  // Without Vas the box inductance is 0 for a closed box, 1e99 for the others.
  c = Woofer();
  c.Vas = 0;
  e = ExplicitBox(1);
  DeriveChassisValues(c, e, 100);
  EXPECT_EQ(c.derived.Lab, 0);
  e.type = 2;
  DeriveChassisValues(c, e, 100);
  EXPECT_EQ(c.derived.Lab, 1e99);
}

TEST(DeriveChassisValues, PortElementsFollowTheirQualityFactors) {
  Chassis c = Woofer();
  for (int type : {2, 4}) {
    SCOPED_TRACE(type);
    Enclosure e = ExplicitBox(type);
    DeriveChassisValues(c, e, 100);
    const ChassisDerived& d = c.derived;
    const double wb = 2 * kPi * e.fb;
    EXPECT_NEAR(d.Lab * d.Cbr * wb * wb, 1, 1e-12);      // tuned to fb
    EXPECT_NEAR(wb * d.Rbr * d.Cbr, e.Qp, 1e-9 * e.Qp);  // port losses
    EXPECT_NEAR(wb * d.Lab / d.Rab, e.Qb, 1e-9 * e.Qb);  // box absorption
  }
  Enclosure e = ExplicitBox(3);
  DeriveChassisValues(c, e, 100);
  const ChassisDerived& d = c.derived;
  const double wf = 2 * kPi * e.fbFront;
  EXPECT_DOUBLE_EQ(d.Vabf, e.VbFront * e.frontVolumeFactor);
  EXPECT_DOUBLE_EQ(d.Labf, e.VbFront / c.Vas * d.Lms);
  EXPECT_NEAR(d.Labf * d.Cbrf * wf * wf, 1, 1e-12);
  EXPECT_NEAR(wf * d.Rbrf * d.Cbrf, e.QpFront, 1e-9 * e.QpFront);
  EXPECT_NEAR(wf * d.Labf / d.Rabf, e.QbFront, 1e-9 * e.QbFront);
  EXPECT_EQ(d.Rbr, 1e99);  // no rear port
  EXPECT_EQ(d.Cbr, 1e-105);
}

TEST(DeriveChassisValues, UntunedPortMarkers) {
  struct Case {
    int type;
    double qk, qb;
    double cbr, rbr, rab;
  };
  // With fb = 0: the vented box shorts the port; the two-port band-pass keeps
  // its loss formulas (which give 0 here).
  const Case cases[] = {
      {2, 20, 20, 1e99, 1e-99, 1e-99},
      {2, 0, 20, 1e99, 1e-99, 1e99},
      {4, 20, 20, 1e99, 0, 0},
      {4, 20, 0, 1e99, 0, 1e99},
  };
  Chassis c = Woofer();
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << "typ " << k.type << " Qk " << k.qk << " Qb " << k.qb);
    Enclosure e = ExplicitBox(k.type);
    e.fb = 0;
    e.Qp = k.qk;
    e.Qb = k.qb;
    DeriveChassisValues(c, e, 100);
    EXPECT_EQ(c.derived.Cbr, k.cbr);
    EXPECT_EQ(c.derived.Rbr, k.rbr);
    EXPECT_EQ(c.derived.Rab, k.rab);
  }
}

TEST(DeriveChassisValues, FrontVolumeIsKeptOutsideBandPassTypes) {
  Chassis c = Woofer();
  c.derived.Vabf = 0.123;
  for (int type : {0, 1, 2}) {
    DeriveChassisValues(c, ExplicitBox(type), 100);
    EXPECT_EQ(c.derived.Vabf, 0.123) << type;
  }
}

TEST(EstimateEnclosureLosses, DampingLevelTable) {
  struct Case {
    int type;
    int dampingVolume, dampingNearChassis, dampingPort, dampingFrontVolume, dampingFrontPort;
    double vV, Ql, Qb, Qk, vVf, QbFront, Qkf;
  };
  const Case cases[] = {
      // vented box stuffed everywhere: the front chamber values keep their defaults
      {2, 4, 4, 4, 4, 4, 1.25, 240.0 / 44, 80.0 / 36, 20.0 / 81, 1, 9999, 9999},
      // no wool at all
      {1, 0, 0, 0, 0, 0, 1, 20, 9999, 9999, 1, 9999, 9999},
      {2, 0, 0, 0, 0, 0, 1, 20, 20, 20, 1, 9999, 9999},
      // loosely filled rear volume of a closed box: x = 1.7
      {1, 2, 0, 0, 0, 0, 1 + 0.0375 * 1.7 + 0.00625 * 1.7 * 1.7, 240 / (12 + 4 * 0.7 + 0.49), 9999, 9999, 1, 9999,
       9999},
      // band-pass with two ports, front chamber levels
      {4, 0, 0, 0, 2, 1, 1, 20, 20, 20, 1 + 0.0375 * 1.85 + 0.00625 * 1.85 * 1.85, 80.0 / 16, 20.0 / 9},
      // integrated chassis
      {0, 4, 4, 4, 4, 4, 1, 9999, 9999, 9999, 1, 9999, 9999},
  };
  Chassis c = Woofer();
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << "typ " << k.type << " levels " << k.dampingVolume << k.dampingNearChassis
                                    << k.dampingPort << k.dampingFrontVolume << k.dampingFrontPort);
    Enclosure e;
    e.type = k.type;
    e.Vb = 0.03;
    e.dampingVolume = static_cast<std::int8_t>(k.dampingVolume);
    e.dampingNearChassis = static_cast<std::int8_t>(k.dampingNearChassis);
    e.dampingPort = static_cast<std::int8_t>(k.dampingPort);
    e.dampingFrontVolume = static_cast<std::int8_t>(k.dampingFrontVolume);
    e.dampingFrontPort = static_cast<std::int8_t>(k.dampingFrontPort);
    EstimateEnclosureLosses(c, e);
    EXPECT_NEAR(e.volumeFactor, k.vV, 1e-12);
    EXPECT_NEAR(e.Ql, k.Ql, 1e-12);
    EXPECT_NEAR(e.Qb, k.Qb, 1e-12);
    EXPECT_NEAR(e.Qp, k.Qk, 1e-12);
    EXPECT_NEAR(e.frontVolumeFactor, k.vVf, 1e-12);
    EXPECT_NEAR(e.QbFront, k.QbFront, 1e-12);
    EXPECT_NEAR(e.QpFront, k.Qkf, 1e-12);
  }
}

TEST(EstimateEnclosureLosses, AirLoadFromMovingMassAndBoxSize) {
  Chassis c = Woofer();
  Enclosure e;
  e.type = 1;
  e.Vb = 0.03;
  e.dampingVolume = 2;
  e.dampingNearChassis = 1;
  EstimateEnclosureLosses(c, e);
  const double x = 0.3 * 2 + 0.7 * 1;
  const double m = 0.98 - 0.03 * x - 0.0075 * x * x;
  const double movingMass = 1 / (4 * kPi * kPi * c.fs * c.fs * 7.21e-6 * c.Vas / (c.Sd * c.Sd));
  EXPECT_NEAR(e.airMassFactor, std::pow(m, c.Sd / (4 * movingMass)), 1e-12);
  const double v = 4.0 / 9.0;
  EXPECT_NEAR(e.airMassCornerFreq, 85 / (v * std::sqrt(c.Sd / 4) + (1 - v) * 0.35 * std::pow(0.03, 0.33333)), 1e-9);

  // Without a diaphragm area the air load is the plain level estimate and fmb 344.
  c.Sd = 0;
  EstimateEnclosureLosses(c, e);
  EXPECT_NEAR(e.airMassFactor, m, 1e-15);
  EXPECT_EQ(e.airMassCornerFreq, 344);
}

TEST(EstimateEnclosureLosses, ExplicitValuesStay) {
  Enclosure e = ExplicitBox(2);
  const Enclosure before = e;
  EstimateEnclosureLosses(Woofer(), e);
  EXPECT_EQ(e, before);
}

TEST(MeasurementEnclosure, Conditions) {
  Enclosure vented = ExplicitBox(2);
  vented.explicitValues = false;

  Enclosure e = vented;
  MeasurementEnclosure(e, 1);
  EXPECT_EQ(e.type, 1);
  EXPECT_EQ(e.Vb, 1e99);
  EXPECT_EQ(e.Ql, 99999);
  EXPECT_EQ(e.airMassCornerFreq, 1);
  EXPECT_TRUE(e.explicitValues);

  e = vented;
  MeasurementEnclosure(e, 2);
  EXPECT_EQ(e.Vb, 0.2);
  EXPECT_EQ(e.volumeFactor, 1.1);
  EXPECT_EQ(e.airMassFactor, 0.99);
  EXPECT_EQ(e.airMassCornerFreq, 10);

  for (int which : {3, 4, 6, 7}) {
    e = vented;
    MeasurementEnclosure(e, which);
    EXPECT_EQ(e.type, 1) << which;
    EXPECT_EQ(e.Vb, 0.5) << which;
    EXPECT_EQ(e.volumeFactor, 1.25) << which;
    EXPECT_EQ(e.Ql, 8.5) << which;
    EXPECT_EQ(e.airMassCornerFreq, (which == 3 || which == 6) ? 400 : 600) << which;
    EXPECT_TRUE(e.explicitValues);
    // An integrated chassis is measured as it is.
    Enclosure integrated = ExplicitBox(0);
    const Enclosure before = integrated;
    MeasurementEnclosure(integrated, which);
    EXPECT_EQ(integrated, before) << which;
  }

  for (int which : {0, 5, 8, -1}) {
    e = vented;
    MeasurementEnclosure(e, which);
    EXPECT_EQ(e, vented) << which;
  }
}

TEST(EnclosureNetwork, OnlyPortedTypesHaveARearOutput) {
  Chassis c = Woofer();
  for (int type = 0; type <= 4; ++type) {
    Enclosure e = ExplicitBox(type);
    DeriveChassisValues(c, e, 100);
    const EnclosureNetworkResult n = EnclosureNetwork(type, c.derived, 2 * kPi * 100);
    EXPECT_EQ(n.hasRear, type == 2 || type == 4) << type;
    EXPECT_TRUE(CIsFinite(n.Zmot)) << type;
    EXPECT_GT(CAbs(n.Zmot), 0) << type;
  }
}

TEST(EnclosureNetwork, VentedBoxPortTransferAboveTuning) {
  // With negligible losses the port's share P/Zr of the box branch is the
  // undamped resonator 1/(1 - (f/fb)²): small and of opposite sign above fb.
  Chassis c = Woofer();
  Enclosure e = ExplicitBox(2);
  e.Qp = 1e9;
  e.Qb = 1e9;
  DeriveChassisValues(c, e, 1000);
  const double w = 2 * kPi * 1000;
  const EnclosureNetworkResult n = EnclosureNetwork(2, c.derived, w);
  const double ratio = (1000.0 / e.fb) * (1000.0 / e.fb);
  EXPECT_NEAR(n.Tr.re, 1 / (1 - ratio), 1e-6);
  EXPECT_NEAR(n.Tr.im, 0, 1e-6);
}

}  // namespace
}  // namespace sonvex
