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

void Set(TCrossover& x, int slot, int typ, double v = 1.0, double rv = 0.0) {
  x[slot]._typ = static_cast<std::int16_t>(typ);
  x[slot]._value = v;
  x[slot]._Rvalue = rv;
}
void Chassis(TCrossover& x, int slot, int nr, bool inverted = false) {
  Set(x, slot, ptChass);
  x[slot]._chassisnr = static_cast<std::int16_t>(nr);
  x[slot]._verpolt = inverted ? 1 : -1;
}
void FreeWire(TCrossover& x, int k, int n1, int n2) {
  const int s = FreeWireSlot(k);
  Set(x, s, ptWire);
  x[s]._nod1 = n1;
  x[s]._nod2 = n2;
}

// Three-way crossover: third-order woofer section with a Zobel network,
// fourth-order midrange band-pass with an L-pad, third-order tweeter with an
// L-pad and inverted polarity. 23 parts plus the wiring.
TCrossover ThreeWay() {
  TCrossover x = EmptyCrossover();
  Set(x, 90, ptAmp);  // node 0 over node 11
  x[90]._verpolt = -1;
  FreeWire(x, 1, 0, 33);
  FreeWire(x, 2, 0, 66);
  FreeWire(x, 3, 11, 44);
  FreeWire(x, 4, 11, 77);
  // woofer, rows 0 and 1
  Set(x, 0, ptL, 3.3e-3, 0.4);
  Set(x, 91, ptC, 33e-6);
  Set(x, 1, ptL, 1.0e-3, 0.25);
  Chassis(x, 92, 0);
  Set(x, 2, ptR, 6.8);
  Set(x, 93, ptC, 22e-6);
  for (int s = 10; s <= 13; ++s) Set(x, s, ptWire);
  // midrange, rows 3 and 4
  Set(x, 30, ptC, 47e-6);
  Set(x, 124, ptL, 4.7e-3, 0.8);
  Set(x, 31, ptL, 0.68e-3, 0.2);
  Set(x, 125, ptC, 10e-6);
  Set(x, 32, ptR, 2.2);
  Set(x, 126, ptR, 15);
  Set(x, 33, ptWire);
  Chassis(x, 127, 1);
  for (int s = 40; s <= 43; ++s) Set(x, s, ptWire);
  // tweeter, rows 6 and 7
  Set(x, 60, ptC, 4.7e-6);
  Set(x, 157, ptL, 0.47e-3, 0.3);
  Set(x, 61, ptC, 10e-6);
  Set(x, 158, ptL, 0.22e-3, 0.15);
  Set(x, 62, ptR, 3.9);
  Set(x, 159, ptR, 8.2);
  Set(x, 63, ptWire);
  Chassis(x, 160, 2, true);
  for (int s = 70; s <= 73; ++s) Set(x, s, ptWire);
  return x;
}

// Electrical impedance of a moving-coil chassis near its resonance.
TComplex DriverZ(double f, double re, double le, double fs, double qes, double qms) {
  const double w = 2 * std::numbers::pi * f;
  const TComplex motional = CDiv({re * qms / qes, 0}, {1.0, qms * (f / fs - fs / f)});
  return CAdd({re, w * le}, motional);
}

std::unique_ptr<TProjekt> FineGridProject() {
  auto p = MakeNewProject();
  p->sz = 599;
  BuildFreqGrid(*p);
  return p;
}

void BM_SolveThreeWay599(benchmark::State& state) {
  auto p = FineGridProject();
  auto r = std::make_unique<TResult>();
  p->nChassis = 3;
  p->Verstaerker[0].crossover = ThreeWay();
  for (int i = 0; i < kFreqEntries && p->freq[i] > 0; ++i) {
    r->ChassisZ[0][i] = DriverZ(p->freq[i], 6.2, 0.9e-3, 32, 0.4, 3);
    r->ChassisZ[1][i] = DriverZ(p->freq[i], 5.8, 0.2e-3, 85, 0.6, 2.5);
    r->ChassisZ[2][i] = DriverZ(p->freq[i], 4.9, 0.03e-3, 900, 1.1, 2);
  }
  TSolverWork work;
  for (auto _ : state) {
    if (WeicheItem(*p, 0, *r, work) != "OK") state.SkipWithError("crossover not solved");
    benchmark::DoNotOptimize(r->ChassisU[0].data());
  }
  state.counters["variables"] = PrepareNetwork(p->Verstaerker[0].crossover).Variables();
}
BENCHMARK(BM_SolveThreeWay599)->Unit(benchmark::kMillisecond);

void BM_WholeBox8Chassis599(benchmark::State& state) {
  auto p = FineGridProject();
  auto r = std::make_unique<TResult>();
  p->nChassis = 8;
  p->nAmps = 4;
  for (int c = 0; c < 8; ++c) {
    TSchallwand& w = p->Schallwand[c];
    w.hor = 0.05 * (c % 3) - 0.05;
    w.vert = 0.4 - 0.1 * c;
    w.stra = 0.01 * c;
    w.horr = -w.hor;
    w.vertr = w.vert - 0.2;
    w.strar = -0.3;
    p->Chassis[c].xlin = 3e-3;
    p->Chassis[c]._PMax = 60;
    p->Chassis[c]._ZNenn = 8;
    r->AmpOfChassis[c] = c % 4;
  }
  for (int i = 0; i < kFreqEntries && p->freq[i] > 0; ++i) {
    const double f = p->freq[i];
    for (int a = 0; a < 4; ++a) r->FilterResp[a][i] = CDiv(COne, {1.0, f / (300.0 * (a + 1))});
    for (int c = 0; c < 8; ++c) {
      r->ChFront[c][i] = r->ChFrontSim[c][i] = CPolar(0.5, 0.001 * f);
      r->ChRear[c][i] = r->ChRearSim[c][i] = CPolar(0.1, -0.002 * f);
      r->ChassisU[c][i] = CPolar(0.9, 0.1 * c);
      r->ChHub[c][i] = 1e-3 / (1.0 + f / 100.0);
      for (int k = 0; k < kDirections; ++k) {
        r->DirFront[c][i][k] = CPolar(1.0 / (1.0 + 0.02 * k * f / 1000.0), 0.01 * k);
        r->DirRear[c][i][k] = CPolar(0.5, -0.01 * k);
      }
    }
  }
  for (auto _ : state) {
    if (GesamtItem(*p, *r) != "OK") state.SkipWithError("box not summed");
    benchmark::DoNotOptimize(r->BoxP.data());
  }
}
BENCHMARK(BM_WholeBox8Chassis599)->Unit(benchmark::kMillisecond);

}  // namespace
