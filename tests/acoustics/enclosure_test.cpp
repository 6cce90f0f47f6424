#include "acoustics/enclosure.h"

#include <gtest/gtest.h>

#include <cmath>

namespace sonvex {
namespace {

constexpr double kPi = 3.141592653589793;

TChassis Woofer() {
  TChassis c;
  c.fs = 40;
  c.Qes = 0.4;
  c.Qms = 4;
  c.Vas = 0.05;
  c.Re = 6;
  c.Amem = 0.02;
  return c;
}

TEinbau ExplicitBox(int typ) {
  TEinbau e;
  e.Typ = typ;
  e.Vb = 0.025;
  e.vV = 1;
  e.mb = 1;
  e.fmb = 300;
  e.Ql = 1e12;
  e.Qb = 20;
  e.fb = 35;
  e.Qk = 20;
  e.Vbf = 0.01;
  e.vVf = 1;
  e.Qbf = 15;
  e.fbf = 80;
  e.Qkf = 10;
  e.mbQExpl = true;
  return e;
}

TEST(DeriveChassisValues, IntegratedChassisKeepsItsOwnParameters) {
  TChassis c = Woofer();
  TEinbau e = ExplicitBox(0);
  e.mb = 0.8;  // ignored without an enclosure
  e.fmb = 200;
  DeriveChassisValues(c, e, 100);
  const TChassisDerived& d = c.derived;
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
  const double cmd = 7.21e-6 * c.Vas / (c.Amem * c.Amem);
  EXPECT_DOUBLE_EQ(d.Cmd, cmd);
  EXPECT_DOUBLE_EQ(d.Mmd, 1 / (4 * kPi * kPi * c.fs * c.fs * cmd));
  EXPECT_DOUBLE_EQ(d.Bl, std::sqrt(c.Re / (2 * kPi * c.fs * cmd * c.Qes)));
  EXPECT_NEAR(d.SPL, 10 * std::log10(8 / c.Re * 9.64e-7 * 64000 * c.Vas / c.Qes) + 112, 1e-12);
  EXPECT_EQ(d.Rmd, 0);
}

TEST(DeriveChassisValues, ClosedBoxOfVasRaisesResonanceAndQBySqrtTwo) {
  TChassis c = Woofer();
  TEinbau e = ExplicitBox(1);
  e.Vb = c.Vas;
  DeriveChassisValues(c, e, 1e-10);
  EXPECT_NEAR(c.derived.fc, std::sqrt(2.0) * c.fs, 1e-12);
  EXPECT_NEAR(c.derived.Qec, std::sqrt(2.0) * c.Qes, 1e-14);
  EXPECT_DOUBLE_EQ(c.derived.Lab, c.derived.Lms);            // box compliance equals the suspension's
  EXPECT_NEAR(c.derived.Qmc, std::sqrt(2.0) * c.Qms, 1e-9);  // Ql = 1e12 adds nothing
}

TEST(DeriveChassisValues, AirLoadFactorAtTheLowFrequencyLimit) {
  TChassis c = Woofer();
  TEinbau e = ExplicitBox(1);
  e.mb = 0.9;
  e.fmb = 300;
  DeriveChassisValues(c, e, 1e-10);
  EXPECT_NEAR(c.derived.fsbg / c.fs, 0.9, 1e-15);
  EXPECT_NEAR(c.derived.Qesbg * 0.9, c.Qes, 1e-15);
  // At fmb the air load has half its effect; far above it is gone.
  DeriveChassisValues(c, e, 300);
  EXPECT_NEAR(c.derived.fsbg / c.fs, 0.95, 1e-15);
  DeriveChassisValues(c, e, 3e7);
  EXPECT_NEAR(c.derived.fsbg / c.fs, 1, 1e-10);
  // fmb = 0 means no air load at any frequency above 0.
  e.fmb = 0;
  DeriveChassisValues(c, e, 50);
  EXPECT_EQ(c.derived.fsbg, c.fs);
}

TEST(DeriveChassisValues, MissingVolumeGivesMarkers) {
  TChassis c = Woofer();
  TEinbau e = ExplicitBox(1);
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
  e.Typ = 2;
  DeriveChassisValues(c, e, 100);
  EXPECT_EQ(c.derived.Lab, 1e99);
}

TEST(DeriveChassisValues, PortElementsFollowTheirQualityFactors) {
  TChassis c = Woofer();
  for (int typ : {2, 4}) {
    SCOPED_TRACE(typ);
    TEinbau e = ExplicitBox(typ);
    DeriveChassisValues(c, e, 100);
    const TChassisDerived& d = c.derived;
    const double wb = 2 * kPi * e.fb;
    EXPECT_NEAR(d.Lab * d.Cbr * wb * wb, 1, 1e-12);      // tuned to fb
    EXPECT_NEAR(wb * d.Rbr * d.Cbr, e.Qk, 1e-9 * e.Qk);  // port losses
    EXPECT_NEAR(wb * d.Lab / d.Rab, e.Qb, 1e-9 * e.Qb);  // box absorption
  }
  TEinbau e = ExplicitBox(3);
  DeriveChassisValues(c, e, 100);
  const TChassisDerived& d = c.derived;
  const double wf = 2 * kPi * e.fbf;
  EXPECT_DOUBLE_EQ(d.Vabf, e.Vbf * e.vVf);
  EXPECT_DOUBLE_EQ(d.Labf, e.Vbf / c.Vas * d.Lms);
  EXPECT_NEAR(d.Labf * d.Cbrf * wf * wf, 1, 1e-12);
  EXPECT_NEAR(wf * d.Rbrf * d.Cbrf, e.Qkf, 1e-9 * e.Qkf);
  EXPECT_NEAR(wf * d.Labf / d.Rabf, e.Qbf, 1e-9 * e.Qbf);
  EXPECT_EQ(d.Rbr, 1e99);  // no rear port
  EXPECT_EQ(d.Cbr, 1e-105);
}

TEST(DeriveChassisValues, UntunedPortMarkers) {
  struct Case {
    int typ;
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
  TChassis c = Woofer();
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << "typ " << k.typ << " Qk " << k.qk << " Qb " << k.qb);
    TEinbau e = ExplicitBox(k.typ);
    e.fb = 0;
    e.Qk = k.qk;
    e.Qb = k.qb;
    DeriveChassisValues(c, e, 100);
    EXPECT_EQ(c.derived.Cbr, k.cbr);
    EXPECT_EQ(c.derived.Rbr, k.rbr);
    EXPECT_EQ(c.derived.Rab, k.rab);
  }
}

TEST(DeriveChassisValues, FrontVolumeIsKeptOutsideBandPassTypes) {
  TChassis c = Woofer();
  c.derived.Vabf = 0.123;
  for (int typ : {0, 1, 2}) {
    DeriveChassisValues(c, ExplicitBox(typ), 100);
    EXPECT_EQ(c.derived.Vabf, 0.123) << typ;
  }
}

TEST(EstimateEnclosureLosses, DampingLevelTable) {
  struct Case {
    int typ;
    int bedv, bedc, bedk, bedvf, bedkf;
    double vV, Ql, Qb, Qk, vVf, Qbf, Qkf;
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
  TChassis c = Woofer();
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << "typ " << k.typ << " levels " << k.bedv << k.bedc << k.bedk << k.bedvf
                                    << k.bedkf);
    TEinbau e;
    e.Typ = k.typ;
    e.Vb = 0.03;
    e.Bedv = static_cast<std::int8_t>(k.bedv);
    e.Bedc = static_cast<std::int8_t>(k.bedc);
    e.Bedk = static_cast<std::int8_t>(k.bedk);
    e.Bedvf = static_cast<std::int8_t>(k.bedvf);
    e.Bedkf = static_cast<std::int8_t>(k.bedkf);
    EstimateEnclosureLosses(c, e);
    EXPECT_NEAR(e.vV, k.vV, 1e-12);
    EXPECT_NEAR(e.Ql, k.Ql, 1e-12);
    EXPECT_NEAR(e.Qb, k.Qb, 1e-12);
    EXPECT_NEAR(e.Qk, k.Qk, 1e-12);
    EXPECT_NEAR(e.vVf, k.vVf, 1e-12);
    EXPECT_NEAR(e.Qbf, k.Qbf, 1e-12);
    EXPECT_NEAR(e.Qkf, k.Qkf, 1e-12);
  }
}

TEST(EstimateEnclosureLosses, AirLoadFromMovingMassAndBoxSize) {
  TChassis c = Woofer();
  TEinbau e;
  e.Typ = 1;
  e.Vb = 0.03;
  e.Bedv = 2;
  e.Bedc = 1;
  EstimateEnclosureLosses(c, e);
  const double x = 0.3 * 2 + 0.7 * 1;
  const double m = 0.98 - 0.03 * x - 0.0075 * x * x;
  const double movingMass = 1 / (4 * kPi * kPi * c.fs * c.fs * 7.21e-6 * c.Vas / (c.Amem * c.Amem));
  EXPECT_NEAR(e.mb, std::pow(m, c.Amem / (4 * movingMass)), 1e-12);
  const double v = 4.0 / 9.0;
  EXPECT_NEAR(e.fmb, 85 / (v * std::sqrt(c.Amem / 4) + (1 - v) * 0.35 * std::pow(0.03, 0.33333)), 1e-9);

  // Without a diaphragm area the air load is the plain level estimate and fmb 344.
  c.Amem = 0;
  EstimateEnclosureLosses(c, e);
  EXPECT_NEAR(e.mb, m, 1e-15);
  EXPECT_EQ(e.fmb, 344);
}

TEST(EstimateEnclosureLosses, ExplicitValuesStay) {
  TEinbau e = ExplicitBox(2);
  const TEinbau before = e;
  EstimateEnclosureLosses(Woofer(), e);
  EXPECT_EQ(e, before);
}

TEST(MeasurementEnclosure, Conditions) {
  TEinbau vented = ExplicitBox(2);
  vented.mbQExpl = false;

  TEinbau e = vented;
  MeasurementEnclosure(e, 1);
  EXPECT_EQ(e.Typ, 1);
  EXPECT_EQ(e.Vb, 1e99);
  EXPECT_EQ(e.Ql, 99999);
  EXPECT_EQ(e.fmb, 1);
  EXPECT_TRUE(e.mbQExpl);

  e = vented;
  MeasurementEnclosure(e, 2);
  EXPECT_EQ(e.Vb, 0.2);
  EXPECT_EQ(e.vV, 1.1);
  EXPECT_EQ(e.mb, 0.99);
  EXPECT_EQ(e.fmb, 10);

  for (int which : {3, 4, 6, 7}) {
    e = vented;
    MeasurementEnclosure(e, which);
    EXPECT_EQ(e.Typ, 1) << which;
    EXPECT_EQ(e.Vb, 0.5) << which;
    EXPECT_EQ(e.vV, 1.25) << which;
    EXPECT_EQ(e.Ql, 8.5) << which;
    EXPECT_EQ(e.fmb, (which == 3 || which == 6) ? 400 : 600) << which;
    EXPECT_TRUE(e.mbQExpl);
    // An integrated chassis is measured as it is.
    TEinbau integrated = ExplicitBox(0);
    const TEinbau before = integrated;
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
  TChassis c = Woofer();
  for (int typ = 0; typ <= 4; ++typ) {
    TEinbau e = ExplicitBox(typ);
    DeriveChassisValues(c, e, 100);
    const TEnclosureNetwork n = EnclosureNetwork(typ, c.derived, 2 * kPi * 100);
    EXPECT_EQ(n.hasRear, typ == 2 || typ == 4) << typ;
    EXPECT_TRUE(CIsFinite(n.Zmot)) << typ;
    EXPECT_GT(CAbs(n.Zmot), 0) << typ;
  }
}

TEST(EnclosureNetwork, VentedBoxPortTransferAboveTuning) {
  // With negligible losses the port's share P/Zr of the box branch is the
  // undamped resonator 1/(1 - (f/fb)²): small and of opposite sign above fb.
  TChassis c = Woofer();
  TEinbau e = ExplicitBox(2);
  e.Qk = 1e9;
  e.Qb = 1e9;
  DeriveChassisValues(c, e, 1000);
  const double w = 2 * kPi * 1000;
  const TEnclosureNetwork n = EnclosureNetwork(2, c.derived, w);
  const double ratio = (1000.0 / e.fb) * (1000.0 / e.fb);
  EXPECT_NEAR(n.Tr.re, 1 / (1 - ratio), 1e-6);
  EXPECT_NEAR(n.Tr.im, 0, 1e-6);
}

}  // namespace
}  // namespace sonvex
