#pragma once
// Small hand-made projects for the calculation tests.
#include <cmath>
#include <memory>

#include "acoustics/enclosure.h"
#include "model/project.h"

namespace sonvex::testing {

inline void PlacePart(TProjekt& p, int amp, int slot, int typ, double value = 1.0, int chassis = 0) {
  TWPart& part = p.Verstaerker[amp].crossover[slot];
  part._typ = static_cast<std::int16_t>(typ);
  part._value = value;
  part._chassisnr = static_cast<std::int16_t>(chassis);
  part._verpolt = (typ == ptChass || typ == ptAmp) ? -1 : 0;
}

inline TChassis Woofer() {
  TChassis c = DefaultChassis();
  c.Name = "Test-Tieftöner 17";
  c.fs = 38;
  c.Qes = 0.42;
  c.Qms = 3.1;
  c.Vas = 0.028;
  c.Re = 5.8;
  c.Le = 0.0006;
  c.Amem = 0.0133;
  c.xlin = 0.004;
  c._PMax = 60;
  c._ZNenn = 8;
  return c;
}

inline TChassis Tweeter() {
  TChassis c = DefaultChassis();
  c.Name = "Test-Kalotte 25";
  c.fs = 850;
  c.Qes = 0.9;
  c.Qms = 2.2;
  c.Vas = 0.00008;
  c.Re = 4.9;
  c.Le = 0.00005;
  c.Amem = 0.00075;
  c.xlin = 0.0003;
  c._PMax = 40;
  c._ZNenn = 6;
  return c;
}

inline TSchallwand Baffle(double a, double d, double vert) {
  TSchallwand s;
  s.usegemgeh = false;
  s.a = a;
  s.b = 0.22;
  s.c = 0.11;
  s.h = 0.42;
  s.d = d;
  s.vert = vert;
  s.vertr = vert;
  return s;
}

// Two amplifiers, four chassis on a 20..20000 Hz grid of `points` points:
// amplifier 1 drives a second-order-ish two-way (tweeter behind a capacitor,
// woofer behind a coil), amplifier 2 drives chassis 3 directly; chassis 4 is
// in no crossover.
inline std::unique_ptr<TProjekt> MakeTwoWayProject(int points = 60) {
  auto p = MakeNewProject();
  p->nAmps = 2;
  p->nChassis = 4;
  p->sz = points;
  // BuildFreqGrid is in calc; keep this header free of it by building here.
  for (int i = 0; i < points; ++i) p->freq[i] = 20.0 * std::pow(1000.0, i / (points - 1.0));
  p->freq[points] = 0;

  p->Chassis[0] = Tweeter();
  p->Chassis[1] = Woofer();
  p->Chassis[2] = Woofer();
  p->Chassis[2].Name = "Test-Sub";
  p->Chassis[3] = Woofer();
  p->Chassis[3].Name = "Reserve";
  p->Einbau[1].Typ = 1;
  p->Einbau[1].Vb = 0.018;
  p->Einbau[2].Typ = 2;
  p->Einbau[2].Vb = 0.04;
  p->Einbau[2].fb = 35;
  p->Einbau[3].Typ = 1;
  p->Einbau[3].Vb = 0.02;
  p->Schallwand[0] = Baffle(0.33, 0.025, 0.1);
  p->Schallwand[1] = Baffle(0.15, 0.13, -0.1);
  p->Schallwand[2] = Baffle(0.15, 0.13, -0.3);
  p->Schallwand[3] = Baffle(0.15, 0.13, -0.3);

  // What loading a project does: losses from the damping levels, derived values.
  for (int c = 0; c < kMaxChassis; ++c) {
    EstimateEnclosureLosses(p->Chassis[c], p->Einbau[c]);
    DeriveChassisValues(p->Chassis[c], p->Einbau[c], 1e-10);
  }

  // Amplifier 1: plus at node 1, ground row below (nodes 11..13).
  PlacePart(*p, 0, 91, ptAmp);            // nodes 1-12
  PlacePart(*p, 0, 0, ptC, 4.7e-6);       // nodes 0-1
  PlacePart(*p, 0, 90, ptChass, 1.0, 0);  // tweeter, nodes 0-11
  PlacePart(*p, 0, 1, ptL, 1.2e-3);       // nodes 1-2
  p->Verstaerker[0].crossover[1]._Rvalue = 0.35;
  PlacePart(*p, 0, 92, ptChass, 1.0, 1);  // woofer, nodes 2-13
  PlacePart(*p, 0, 10, ptWire);           // nodes 11-12
  PlacePart(*p, 0, 11, ptWire);           // nodes 12-13
  // Amplifier 2 drives chassis 3 directly.
  PlacePart(*p, 1, 90, ptAmp);            // nodes 0-11
  PlacePart(*p, 1, 0, ptWire);            // nodes 0-1
  PlacePart(*p, 1, 91, ptChass, 1.0, 2);  // nodes 1-12
  PlacePart(*p, 1, 10, ptWire);           // nodes 11-12
  return p;
}

// Eight chassis on six amplifiers: amplifier a drives chassis a through a
// second-order high-pass; amplifiers 1 and 2 also drive chassis 7 and 8
// through a second-order low-pass.
inline std::unique_ptr<TProjekt> MakeLargeProject(int points) {
  auto p = MakeTwoWayProject(points);
  p->nAmps = 6;
  p->nChassis = 8;
  for (int c = 0; c < 8; ++c) {
    p->Chassis[c] = c % 2 == 0 ? Tweeter() : Woofer();
    p->Einbau[c] = TEinbau{};
    p->Einbau[c].Typ = c % 2 == 0 ? 0 : (c % 4 == 1 ? 1 : 2);
    p->Einbau[c].Vb = 0.025;
    p->Einbau[c].fb = 40;
    p->Schallwand[c] = Baffle(c % 2 == 0 ? 0.33 : 0.15, c % 2 == 0 ? 0.025 : 0.13, 0.05 * c - 0.2);
    EstimateEnclosureLosses(p->Chassis[c], p->Einbau[c]);
    DeriveChassisValues(p->Chassis[c], p->Einbau[c], 1e-10);
  }
  for (int a = 0; a < 6; ++a) {
    p->Verstaerker[a].crossover = EmptyCrossover();
    PlacePart(*p, a, 90, ptAmp);        // nodes 0-11, plus at 0; row 1 is ground
    PlacePart(*p, a, 0, ptC, 6.8e-6);   // nodes 0-1
    PlacePart(*p, a, 91, ptL, 0.4e-3);  // nodes 1-12, shunt coil
    p->Verstaerker[a].crossover[91]._Rvalue = 0.2;
    PlacePart(*p, a, 1, ptR, 1.5);                               // nodes 1-2
    PlacePart(*p, a, 92, ptChass, 1.0, a);                       // nodes 2-13
    for (int s = 10; s <= 16; ++s) PlacePart(*p, a, s, ptWire);  // ground row, nodes 11..18
    if (a < 2) {
      TWPart& jumper = p->Verstaerker[a].crossover[FreeWireSlot(1)];
      jumper._typ = ptWire;  // free wire from node 0 to node 5
      jumper._nod1 = 0;
      jumper._nod2 = 5;
      PlacePart(*p, a, 5, ptL, 1.5e-3);  // nodes 5-6
      p->Verstaerker[a].crossover[5]._Rvalue = 0.4;
      PlacePart(*p, a, 96, ptC, 22e-6);           // nodes 6-17, shunt capacitor
      PlacePart(*p, a, 6, ptWire);                // nodes 6-7
      PlacePart(*p, a, 97, ptChass, 1.0, 6 + a);  // nodes 7-18
    }
  }
  return p;
}

}  // namespace sonvex::testing
