#pragma once
// Small hand-made projects for the calculation tests.
#include <cmath>
#include <memory>

#include "acoustics/enclosure.h"
#include "model/project.h"

namespace sonvex::testing {

inline void PlacePart(Project& p, int amp, int slot, int typ, double value = 1.0, int chassis = 0) {
  CrossoverPart& part = p.amplifiers[amp].crossover[slot];
  part.type = static_cast<std::int16_t>(typ);
  part.value = value;
  part.chassisSlot = static_cast<std::int16_t>(chassis);
  part.reversedPolarity = (typ == PartChassis || typ == PartAmplifier) ? -1 : 0;
}

inline Chassis Woofer() {
  Chassis c = DefaultChassis();
  c.name = "Test-Tieftöner 17";
  c.fs = 38;
  c.Qes = 0.42;
  c.Qms = 3.1;
  c.Vas = 0.028;
  c.Re = 5.8;
  c.Le = 0.0006;
  c.Sd = 0.0133;
  c.xlin = 0.004;
  c.maxPower = 60;
  c.nominalImpedance = 8;
  return c;
}

inline Chassis Tweeter() {
  Chassis c = DefaultChassis();
  c.name = "Test-Kalotte 25";
  c.fs = 850;
  c.Qes = 0.9;
  c.Qms = 2.2;
  c.Vas = 0.00008;
  c.Re = 4.9;
  c.Le = 0.00005;
  c.Sd = 0.00075;
  c.xlin = 0.0003;
  c.maxPower = 40;
  c.nominalImpedance = 6;
  return c;
}

inline Baffle MakeBaffle(double a, double d, double vertical) {
  Baffle s;
  s.useCabinet = false;
  s.bottomDistance = a;
  s.width = 0.22;
  s.leftDistance = 0.11;
  s.height = 0.42;
  s.outletDiameter = d;
  s.vertical = vertical;
  s.rearVertical = vertical;
  return s;
}

// Two amplifiers, four chassis on a 20..20000 Hz grid of `points` points:
// amplifier 1 drives a second-order-ish two-way (tweeter behind a capacitor,
// woofer behind a coil), amplifier 2 drives chassis 3 directly; chassis 4 is
// in no crossover.
inline std::unique_ptr<Project> MakeTwoWayProject(int points = 60) {
  auto p = MakeNewProject();
  p->ampCount = 2;
  p->chassisCount = 4;
  p->gridPoints = points;
  // BuildFreqGrid is in calc; keep this header free of it by building here.
  for (int i = 0; i < points; ++i) p->freq[i] = 20.0 * std::pow(1000.0, i / (points - 1.0));
  p->freq[points] = 0;

  p->chassis[0] = Tweeter();
  p->chassis[1] = Woofer();
  p->chassis[2] = Woofer();
  p->chassis[2].name = "Test-Sub";
  p->chassis[3] = Woofer();
  p->chassis[3].name = "Reserve";
  p->enclosures[1].type = 1;
  p->enclosures[1].Vb = 0.018;
  p->enclosures[2].type = 2;
  p->enclosures[2].Vb = 0.04;
  p->enclosures[2].fb = 35;
  p->enclosures[3].type = 1;
  p->enclosures[3].Vb = 0.02;
  p->baffles[0] = MakeBaffle(0.33, 0.025, 0.1);
  p->baffles[1] = MakeBaffle(0.15, 0.13, -0.1);
  p->baffles[2] = MakeBaffle(0.15, 0.13, -0.3);
  p->baffles[3] = MakeBaffle(0.15, 0.13, -0.3);

  // What loading a project does: losses from the damping levels, derived values.
  for (int c = 0; c < kMaxChassis; ++c) {
    EstimateEnclosureLosses(p->chassis[c], p->enclosures[c]);
    DeriveChassisValues(p->chassis[c], p->enclosures[c], 1e-10);
  }

  // Amplifier 1: plus at node 1, ground row below (nodes 11..13).
  PlacePart(*p, 0, 91, PartAmplifier);         // nodes 1-12
  PlacePart(*p, 0, 0, PartCapacitor, 4.7e-6);  // nodes 0-1
  PlacePart(*p, 0, 90, PartChassis, 1.0, 0);   // tweeter, nodes 0-11
  PlacePart(*p, 0, 1, PartInductor, 1.2e-3);   // nodes 1-2
  p->amplifiers[0].crossover[1].resistance = 0.35;
  PlacePart(*p, 0, 92, PartChassis, 1.0, 1);  // woofer, nodes 2-13
  PlacePart(*p, 0, 10, PartWire);             // nodes 11-12
  PlacePart(*p, 0, 11, PartWire);             // nodes 12-13
  // Amplifier 2 drives chassis 3 directly.
  PlacePart(*p, 1, 90, PartAmplifier);        // nodes 0-11
  PlacePart(*p, 1, 0, PartWire);              // nodes 0-1
  PlacePart(*p, 1, 91, PartChassis, 1.0, 2);  // nodes 1-12
  PlacePart(*p, 1, 10, PartWire);             // nodes 11-12
  return p;
}

// Eight chassis on six amplifiers: amplifier a drives chassis a through a
// second-order high-pass; amplifiers 1 and 2 also drive chassis 7 and 8
// through a second-order low-pass.
inline std::unique_ptr<Project> MakeLargeProject(int points) {
  auto p = MakeTwoWayProject(points);
  p->ampCount = 6;
  p->chassisCount = 8;
  for (int c = 0; c < 8; ++c) {
    p->chassis[c] = c % 2 == 0 ? Tweeter() : Woofer();
    p->enclosures[c] = Enclosure{};
    p->enclosures[c].type = c % 2 == 0 ? 0 : (c % 4 == 1 ? 1 : 2);
    p->enclosures[c].Vb = 0.025;
    p->enclosures[c].fb = 40;
    p->baffles[c] = MakeBaffle(c % 2 == 0 ? 0.33 : 0.15, c % 2 == 0 ? 0.025 : 0.13, 0.05 * c - 0.2);
    EstimateEnclosureLosses(p->chassis[c], p->enclosures[c]);
    DeriveChassisValues(p->chassis[c], p->enclosures[c], 1e-10);
  }
  for (int a = 0; a < 6; ++a) {
    p->amplifiers[a].crossover = EmptyCrossover();
    PlacePart(*p, a, 90, PartAmplifier);         // nodes 0-11, plus at 0; row 1 is ground
    PlacePart(*p, a, 0, PartCapacitor, 6.8e-6);  // nodes 0-1
    PlacePart(*p, a, 91, PartInductor, 0.4e-3);  // nodes 1-12, shunt coil
    p->amplifiers[a].crossover[91].resistance = 0.2;
    PlacePart(*p, a, 1, PartResistor, 1.5);                        // nodes 1-2
    PlacePart(*p, a, 92, PartChassis, 1.0, a);                     // nodes 2-13
    for (int s = 10; s <= 16; ++s) PlacePart(*p, a, s, PartWire);  // ground row, nodes 11..18
    if (a < 2) {
      CrossoverPart& jumper = p->amplifiers[a].crossover[FreeWireSlot(1)];
      jumper.type = PartWire;  // free wire from node 0 to node 5
      jumper.node1 = 0;
      jumper.node2 = 5;
      PlacePart(*p, a, 5, PartInductor, 1.5e-3);  // nodes 5-6
      p->amplifiers[a].crossover[5].resistance = 0.4;
      PlacePart(*p, a, 96, PartCapacitor, 22e-6);     // nodes 6-17, shunt capacitor
      PlacePart(*p, a, 6, PartWire);                  // nodes 6-7
      PlacePart(*p, a, 97, PartChassis, 1.0, 6 + a);  // nodes 7-18
    }
  }
  return p;
}

}  // namespace sonvex::testing
