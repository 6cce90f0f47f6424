#include "network/solver.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>

#include "numeric/constants.h"

namespace sonvex {

namespace {

std::string CrossoverFailText(int a) {
  return "Fehler: Weiche an Verstärker " + std::to_string(a + 1) + " kann nicht berechnet" + " werden.";
}

}  // namespace

SolverNetwork PrepareNetwork(const Crossover& parts) {
  SolverNetwork net;
  std::vector<SolverElement>& el = net.elements;
  el.reserve(kUsedPartSlots);

  // Gather, normalising degenerate values.
  for (int slot = 0; slot < kUsedPartSlots; ++slot) {
    const CrossoverPart& w = parts[slot];
    int type = w.type;
    // Codes outside the known types connect nothing, like an empty slot.
    if (type <= PartNone || type > PartAmplifier) continue;
    if (type == PartResistor && w.value == 0.0) type = PartWire;
    if (type == PartInductor && w.value == 0.0 && w.resistance == 0.0) type = PartWire;
    // A capacitor of 0 F is an open slot. Kept in the list without a branch
    // equation its current would be left undetermined by the node equations
    // alone, and a 0 F shunt could then short whatever it is connected across.
    if (type == PartCapacitor && w.value == 0.0) continue;
    SolverElement e;
    e.type = type;
    e.polarity = w.reversedPolarity > 0 ? 1.0 : -1.0;
    e.chassisSlot = w.chassisSlot;
    e.value = w.value;
    e.resistance = w.resistance;
    e.node1 = w.node1;
    e.node2 = w.node2;
    e.workNode1 = w.node1;
    e.workNode2 = w.node2;
    el.push_back(e);
  }

  // Merge wires: the second node of a wire becomes its first node everywhere.
  for (std::size_t k = 0; k < el.size();) {
    if (el[k].type != PartWire) {
      ++k;
      continue;
    }
    const int p = el[k].workNode1;
    const int q = el[k].workNode2;
    for (SolverElement& e : el) {
      if (e.workNode1 == q) e.workNode1 = p;
      if (e.workNode2 == q) e.workNode2 = p;
    }
    el.erase(el.begin() + static_cast<std::ptrdiff_t>(k));  // look at the same position again
  }

  // Renumber densely: fill the lowest unused number with the first node, in
  // list order, that lies above it.
  std::set<int> used;
  for (const SolverElement& e : el) {
    used.insert(e.workNode1);
    used.insert(e.workNode2);
  }
  int h = 0;
  for (;;) {
    while (used.count(h) != 0) ++h;
    int node = -1;
    for (const SolverElement& e : el) {
      if (e.workNode1 > h) {
        node = e.workNode1;
        break;
      }
      if (e.workNode2 > h) {
        node = e.workNode2;
        break;
      }
    }
    if (node < 0) break;
    for (SolverElement& e : el) {
      if (e.workNode1 == node) e.workNode1 = h;
      if (e.workNode2 == node) e.workNode2 = h;
    }
    used.erase(node);
    used.insert(h);
  }
  net.nodes = h;
  return net;
}

void SolverWork::Resize(int n) {
  size_ = n;
  matrix_.assign(static_cast<std::size_t>(n) * (n + 1), kComplexZero);
}

void SolverWork::Clear() { std::fill(matrix_.begin(), matrix_.end(), kComplexZero); }

void SolverWork::Solve(std::vector<Complex>& x) {
  const int n = size_;
  const int w = n + 1;
  Complex* a = matrix_.data();
  const auto row = [a, w](int r) { return a + static_cast<std::size_t>(r) * w; };

  // Forward elimination with partial pivoting.
  for (int c = 0; c < n; ++c) {
    int pivotRow = c;
    double best = CAbs(row(c)[c]);
    for (int r = c + 1; r < n; ++r) {
      const double m = CAbs(row(r)[c]);
      if (m > best) {
        best = m;
        pivotRow = r;
      }
    }
    if (pivotRow != c) std::swap_ranges(row(c), row(c) + w, row(pivotRow));
    Complex* pivot = row(c);
    // Only the nonzero entries of the pivot row change the rows below.
    cols_.clear();
    for (int j = c + 1; j <= n; ++j) {
      if (pivot[j].re != 0.0 || pivot[j].im != 0.0) cols_.push_back(j);
    }
    for (int r = c + 1; r < n; ++r) {
      Complex* rr = row(r);
      if (!(CAbs(rr[c]) > 0.0)) continue;
      const Complex factor = CDiv(rr[c], pivot[c]);
      rr[c] = kComplexZero;
      for (int j : cols_) rr[j] = CSub(rr[j], CMul(factor, pivot[j]));
    }
  }

  // One node equation is always redundant: the last row is empty after the
  // elimination. This makes the highest-numbered node the reference node.
  if (n > 0) row(n - 1)[n - 1] = kComplexOne;

  // Back substitution, carrying the right-hand side only.
  for (int c = n - 1; c >= 1; --c) {
    const Complex d = row(c)[c];
    if (!(CAbs(d) > 0.0)) continue;
    const Complex b = row(c)[n];
    for (int r = c - 1; r >= 0; --r) {
      Complex* rr = row(r);
      if (rr[c].re == 0.0 && rr[c].im == 0.0) continue;  // subtracts nothing
      rr[n] = CSub(rr[n], CMul(CDiv(rr[c], d), b));
    }
  }

  x.resize(static_cast<std::size_t>(n));
  for (int c = 0; c < n; ++c) {
    Complex d = row(c)[c];
    if (CAbs(d) == 0.0) d.re = kAbsent;
    x[c] = CDiv(row(c)[n], d);
  }
}

std::string CrossoverItem(const Project& p, int a, CalcResult& r, SolverWork& work) {
  if (a < 0 || a >= kMaxAmps) return CrossoverFailText(a);
  const SolverNetwork net = PrepareNetwork(p.amplifiers[a].crossover);
  const std::vector<SolverElement>& el = net.elements;
  const int g = static_cast<int>(el.size());
  const int h = net.nodes;
  const int n = g + h;
  if (n > kMaxSolverVariables) return CrossoverFailText(a);
  for (const SolverElement& e : el) {
    // Nodes that renumbering could not place (negative numbers) and chassis
    // numbers outside the slots are indices out of range.
    if (e.workNode1 < 0 || e.workNode1 >= h || e.workNode2 < 0 || e.workNode2 >= h) return CrossoverFailText(a);
    if (e.type == PartChassis && (e.chassisSlot < 0 || e.chassisSlot >= kChassisSlots)) return CrossoverFailText(a);
  }

  work.Resize(n);
  std::vector<Complex> x;
  for (int i = 0; i < kFreqEntries && p.freq[i] > 0; ++i) {
    const double omega = 2.0 * std::numbers::pi * p.freq[i];
    work.Clear();
    for (int k = 0; k < g; ++k) {
      const SolverElement& e = el[k];
      Complex z = kComplexZero;
      switch (e.type) {
        case PartResistor:
          z = {e.value, 0.0};
          break;
        case PartCapacitor:
          z = {0.0, -1.0 / (omega * e.value)};
          break;
        case PartInductor:
          z = {e.resistance, omega * e.value};
          break;
        case PartChassis:
          z = r.chassisImpedance[e.chassisSlot][i];
          break;
        case PartAmplifier:
          work.At(k, n) = {-1.0, 0.0};
          break;
        default:
          break;
      }
      if (!CIsFinite(z)) return CrossoverFailText(a);
      work.At(k, k) = z;
      work.At(k, g + e.workNode1).re += e.polarity;
      work.At(k, g + e.workNode2).re -= e.polarity;
      work.At(g + e.workNode1, k).re += e.polarity;
      work.At(g + e.workNode2, k).re -= e.polarity;
    }
    work.Solve(x);
    for (const Complex& v : x) {
      if (!CIsFinite(v)) return CrossoverFailText(a);
    }

    // Check every value of this grid point before any of it is written.
    Complex ampImpedance{1e100, 0.0};
    for (int k = 0; k < g; ++k) {
      const SolverElement& e = el[k];
      if (e.type == PartChassis) {
        if (!CIsFinite(CMul(x[k], r.chassisImpedance[e.chassisSlot][i]))) return CrossoverFailText(a);
      } else if (e.type == PartAmplifier) {
        Complex cur = x[k];
        if (CAbs(cur) == 0.0) cur.re = kAbsent;
        ampImpedance = CDiv(kComplexOne, CAdd(CDiv(kComplexOne, ampImpedance), cur));
      }
    }
    if (!CIsFinite(ampImpedance)) return CrossoverFailText(a);
    for (int k = 0; k < g; ++k) {
      const SolverElement& e = el[k];
      if (e.type == PartChassis)
        r.chassisVoltageGain[e.chassisSlot][i] = CMul(x[k], r.chassisImpedance[e.chassisSlot][i]);
    }
    r.ampImpedance[a][i] = ampImpedance;
  }
  return "OK";
}

std::string CrossoverItem(const Project& p, int a, CalcResult& r) {
  SolverWork work;
  return CrossoverItem(p, a, r, work);
}

}  // namespace sonvex
