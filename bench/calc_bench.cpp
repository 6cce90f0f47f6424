// Costs of the calculation items that run after every crossover or position
// edit: solving a three-way crossover over the finest grid, and summing a box
// of eight chassis into its 30 directions.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <numbers>

#include "calc/whole_box.h"
#include "model/freq_grid.h"
#include "model/result.h"
#include "network/solver.h"

namespace {

using namespace sonvex;

void Set(Crossover& x, int slot, int type, double v = 1.0, double rv = 0.0) {
  x[slot].type = static_cast<std::int16_t>(type);
  x[slot].value = v;
  x[slot].resistance = rv;
}
void Chassis(Crossover& x, int slot, int nr, bool inverted = false) {
  Set(x, slot, PartChassis);
  x[slot].chassisSlot = static_cast<std::int16_t>(nr);
  x[slot].reversedPolarity = inverted ? 1 : -1;
}
void FreeWire(Crossover& x, int k, int n1, int n2) {
  const int s = FreeWireSlot(k);
  Set(x, s, PartWire);
  x[s].node1 = n1;
  x[s].node2 = n2;
}

// Three-way crossover: third-order woofer section with a Zobel network,
// fourth-order midrange band-pass with an L-pad, third-order tweeter with an
// L-pad and inverted polarity. 23 parts plus the wiring.
Crossover ThreeWay() {
  Crossover x = EmptyCrossover();
  Set(x, 90, PartAmplifier);  // node 0 over node 11
  x[90].reversedPolarity = -1;
  FreeWire(x, 1, 0, 33);
  FreeWire(x, 2, 0, 66);
  FreeWire(x, 3, 11, 44);
  FreeWire(x, 4, 11, 77);
  // woofer, rows 0 and 1
  Set(x, 0, PartInductor, 3.3e-3, 0.4);
  Set(x, 91, PartCapacitor, 33e-6);
  Set(x, 1, PartInductor, 1.0e-3, 0.25);
  Chassis(x, 92, 0);
  Set(x, 2, PartResistor, 6.8);
  Set(x, 93, PartCapacitor, 22e-6);
  for (int s = 10; s <= 13; ++s) Set(x, s, PartWire);
  // midrange, rows 3 and 4
  Set(x, 30, PartCapacitor, 47e-6);
  Set(x, 124, PartInductor, 4.7e-3, 0.8);
  Set(x, 31, PartInductor, 0.68e-3, 0.2);
  Set(x, 125, PartCapacitor, 10e-6);
  Set(x, 32, PartResistor, 2.2);
  Set(x, 126, PartResistor, 15);
  Set(x, 33, PartWire);
  Chassis(x, 127, 1);
  for (int s = 40; s <= 43; ++s) Set(x, s, PartWire);
  // tweeter, rows 6 and 7
  Set(x, 60, PartCapacitor, 4.7e-6);
  Set(x, 157, PartInductor, 0.47e-3, 0.3);
  Set(x, 61, PartCapacitor, 10e-6);
  Set(x, 158, PartInductor, 0.22e-3, 0.15);
  Set(x, 62, PartResistor, 3.9);
  Set(x, 159, PartResistor, 8.2);
  Set(x, 63, PartWire);
  Chassis(x, 160, 2, true);
  for (int s = 70; s <= 73; ++s) Set(x, s, PartWire);
  return x;
}

// Electrical impedance of a moving-coil chassis near its resonance.
Complex DriverZ(double f, double re, double le, double fs, double qes, double qms) {
  const double w = 2 * std::numbers::pi * f;
  const Complex motional = CDiv({re * qms / qes, 0}, {1.0, qms * (f / fs - fs / f)});
  return CAdd({re, w * le}, motional);
}

std::unique_ptr<Project> FineGridProject() {
  auto p = MakeNewProject();
  p->gridPoints = 599;
  BuildFreqGrid(*p);
  return p;
}

void BM_SolveThreeWay599(benchmark::State& state) {
  auto p = FineGridProject();
  auto r = std::make_unique<CalcResult>();
  p->chassisCount = 3;
  p->amplifiers[0].crossover = ThreeWay();
  for (int i = 0; i < kFreqEntries && p->freq[i] > 0; ++i) {
    r->chassisImpedance[0][i] = DriverZ(p->freq[i], 6.2, 0.9e-3, 32, 0.4, 3);
    r->chassisImpedance[1][i] = DriverZ(p->freq[i], 5.8, 0.2e-3, 85, 0.6, 2.5);
    r->chassisImpedance[2][i] = DriverZ(p->freq[i], 4.9, 0.03e-3, 900, 1.1, 2);
  }
  SolverWork work;
  for (auto _ : state) {
    if (CrossoverItem(*p, 0, *r, work) != "OK") state.SkipWithError("crossover not solved");
    benchmark::DoNotOptimize(r->chassisVoltageGain[0].data());
  }
  state.counters["variables"] = PrepareNetwork(p->amplifiers[0].crossover).Variables();
}
BENCHMARK(BM_SolveThreeWay599)->Unit(benchmark::kMillisecond);

void BM_WholeBox8Chassis599(benchmark::State& state) {
  auto p = FineGridProject();
  auto r = std::make_unique<CalcResult>();
  p->chassisCount = 8;
  p->ampCount = 4;
  for (int c = 0; c < 8; ++c) {
    Baffle& w = p->baffles[c];
    w.horizontal = 0.05 * (c % 3) - 0.05;
    w.vertical = 0.4 - 0.1 * c;
    w.forward = 0.01 * c;
    w.rearHorizontal = -w.horizontal;
    w.rearVertical = w.vertical - 0.2;
    w.rearForward = -0.3;
    p->chassis[c].xlin = 3e-3;
    p->chassis[c].maxPower = 60;
    p->chassis[c].nominalImpedance = 8;
    r->ampOfChassis[c] = c % 4;
  }
  for (int i = 0; i < kFreqEntries && p->freq[i] > 0; ++i) {
    const double f = p->freq[i];
    for (int a = 0; a < 4; ++a) r->filterResponse[a][i] = CDiv(kComplexOne, {1.0, f / (300.0 * (a + 1))});
    for (int c = 0; c < 8; ++c) {
      r->chassisFront[c][i] = r->chassisFrontSim[c][i] = CPolar(0.5, 0.001 * f);
      r->chassisRear[c][i] = r->chassisRearSim[c][i] = CPolar(0.1, -0.002 * f);
      r->chassisVoltageGain[c][i] = CPolar(0.9, 0.1 * c);
      r->chassisExcursion[c][i] = 1e-3 / (1.0 + f / 100.0);
      for (int k = 0; k < kDirections; ++k) {
        r->directionsFront[c][i][k] = CPolar(1.0 / (1.0 + 0.02 * k * f / 1000.0), 0.01 * k);
        r->directionsRear[c][i][k] = CPolar(0.5, -0.01 * k);
      }
    }
  }
  for (auto _ : state) {
    if (WholeBoxItem(*p, *r) != "OK") state.SkipWithError("box not summed");
    benchmark::DoNotOptimize(r->boxPressure.data());
  }
}
BENCHMARK(BM_WholeBox8Chassis599)->Unit(benchmark::kMillisecond);

}  // namespace
