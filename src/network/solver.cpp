#include "network/solver.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>

#include "numeric/constants.h"

namespace sonvex {

namespace {

std::string WeicheFailText(int a) {
  return "Fehler: Weiche an Verstärker " + std::to_string(a + 1) + " kann nicht berechnet" + " werden.";
}

}  // namespace

TSolverNetwork PrepareNetwork(const TCrossover& parts) {
  TSolverNetwork net;
  std::vector<TSolverElement>& el = net.elements;
  el.reserve(kUsedPartSlots);

  // Gather, normalising degenerate values.
  for (int slot = 0; slot < kUsedPartSlots; ++slot) {
    const TWPart& w = parts[slot];
    int typ = w._typ;
    // Codes outside the known types connect nothing, like an empty slot.
    if (typ <= ptNone || typ > ptAmp) continue;
    if (typ == ptR && w._value == 0.0) typ = ptWire;
    if (typ == ptL && w._value == 0.0 && w._Rvalue == 0.0) typ = ptWire;
    // A capacitor of 0 F is an open slot. Kept in the list without a branch
    // equation its current would be left undetermined by the node equations
    // alone, and a 0 F shunt could then short whatever it is connected across.
    if (typ == ptC && w._value == 0.0) continue;
    TSolverElement e;
    e.typ = typ;
    e.s = w._verpolt > 0 ? 1.0 : -1.0;
    e.chassisnr = w._chassisnr;
    e.value = w._value;
    e.rvalue = w._Rvalue;
    e.nod1 = w._nod1;
    e.nod2 = w._nod2;
    e.p = w._nod1;
    e.q = w._nod2;
    el.push_back(e);
  }

  // Merge wires: the second node of a wire becomes its first node everywhere.
  for (std::size_t k = 0; k < el.size();) {
    if (el[k].typ != ptWire) {
      ++k;
      continue;
    }
    const int p = el[k].p;
    const int q = el[k].q;
    for (TSolverElement& e : el) {
      if (e.p == q) e.p = p;
      if (e.q == q) e.q = p;
    }
    el.erase(el.begin() + static_cast<std::ptrdiff_t>(k));  // look at the same position again
  }

  // Renumber densely: fill the lowest unused number with the first node, in
  // list order, that lies above it.
  std::set<int> used;
  for (const TSolverElement& e : el) {
    used.insert(e.p);
    used.insert(e.q);
  }
  int h = 0;
  for (;;) {
    while (used.count(h) != 0) ++h;
    int node = -1;
    for (const TSolverElement& e : el) {
      if (e.p > h) {
        node = e.p;
        break;
      }
      if (e.q > h) {
        node = e.q;
        break;
      }
    }
    if (node < 0) break;
    for (TSolverElement& e : el) {
      if (e.p == node) e.p = h;
      if (e.q == node) e.q = h;
    }
    used.erase(node);
    used.insert(h);
  }
  net.nodes = h;
  return net;
}

void TSolverWork::Resize(int n) {
  n_ = n;
  a_.assign(static_cast<std::size_t>(n) * (n + 1), CZero);
}

void TSolverWork::Clear() { std::fill(a_.begin(), a_.end(), CZero); }

void TSolverWork::Solve(std::vector<TComplex>& x) {
  const int n = n_;
  const int w = n + 1;
  TComplex* a = a_.data();
  const auto row = [a, w](int r) { return a + static_cast<std::size_t>(r) * w; };

  // Forward elimination with partial pivoting.
  for (int c = 0; c < n; ++c) {
    int piv = c;
    double best = CAbs(row(c)[c]);
    for (int r = c + 1; r < n; ++r) {
      const double m = CAbs(row(r)[c]);
      if (m > best) {
        best = m;
        piv = r;
      }
    }
    if (piv != c) std::swap_ranges(row(c), row(c) + w, row(piv));
    TComplex* pr = row(c);
    // Only the nonzero entries of the pivot row change the rows below.
    cols_.clear();
    for (int j = c + 1; j <= n; ++j) {
      if (pr[j].re != 0.0 || pr[j].im != 0.0) cols_.push_back(j);
    }
    for (int r = c + 1; r < n; ++r) {
      TComplex* rr = row(r);
      if (!(CAbs(rr[c]) > 0.0)) continue;
      const TComplex factor = CDiv(rr[c], pr[c]);
      rr[c] = CZero;
      for (int j : cols_) rr[j] = CSub(rr[j], CMul(factor, pr[j]));
    }
  }

  // One node equation is always redundant: the last row is empty after the
  // elimination. This makes the highest-numbered node the reference node.
  if (n > 0) row(n - 1)[n - 1] = COne;

  // Back substitution, carrying the right-hand side only.
  for (int c = n - 1; c >= 1; --c) {
    const TComplex d = row(c)[c];
    if (!(CAbs(d) > 0.0)) continue;
    const TComplex b = row(c)[n];
    for (int r = c - 1; r >= 0; --r) {
      TComplex* rr = row(r);
      if (rr[c].re == 0.0 && rr[c].im == 0.0) continue;  // subtracts nothing
      rr[n] = CSub(rr[n], CMul(CDiv(rr[c], d), b));
    }
  }

  x.resize(static_cast<std::size_t>(n));
  for (int c = 0; c < n; ++c) {
    TComplex d = row(c)[c];
    if (CAbs(d) == 0.0) d.re = kAbsent;
    x[c] = CDiv(row(c)[n], d);
  }
}

std::string WeicheItem(const TProjekt& p, int a, TResult& r, TSolverWork& work) {
  if (a < 0 || a >= kMaxAmps) return WeicheFailText(a);
  const TSolverNetwork net = PrepareNetwork(p.Verstaerker[a].crossover);
  const std::vector<TSolverElement>& el = net.elements;
  const int g = static_cast<int>(el.size());
  const int h = net.nodes;
  const int n = g + h;
  if (n > kMaxSolverVariables) return WeicheFailText(a);
  for (const TSolverElement& e : el) {
    // Nodes that renumbering could not place (negative numbers) and chassis
    // numbers outside the slots are indices out of range.
    if (e.p < 0 || e.p >= h || e.q < 0 || e.q >= h) return WeicheFailText(a);
    if (e.typ == ptChass && (e.chassisnr < 0 || e.chassisnr >= kChassisSlots)) return WeicheFailText(a);
  }

  work.Resize(n);
  std::vector<TComplex> x;
  for (int i = 0; i < kFreqEntries && p.freq[i] > 0; ++i) {
    const double omega = 2.0 * std::numbers::pi * p.freq[i];
    work.Clear();
    for (int k = 0; k < g; ++k) {
      const TSolverElement& e = el[k];
      TComplex z = CZero;
      switch (e.typ) {
        case ptR:
          z = {e.value, 0.0};
          break;
        case ptC:
          z = {0.0, -1.0 / (omega * e.value)};
          break;
        case ptL:
          z = {e.rvalue, omega * e.value};
          break;
        case ptChass:
          z = r.ChassisZ[e.chassisnr][i];
          break;
        case ptAmp:
          work.At(k, n) = {-1.0, 0.0};
          break;
        default:
          break;
      }
      if (!CIsFinite(z)) return WeicheFailText(a);
      work.At(k, k) = z;
      work.At(k, g + e.p).re += e.s;
      work.At(k, g + e.q).re -= e.s;
      work.At(g + e.p, k).re += e.s;
      work.At(g + e.q, k).re -= e.s;
    }
    work.Solve(x);
    for (const TComplex& v : x) {
      if (!CIsFinite(v)) return WeicheFailText(a);
    }

    // Check every value of this grid point before any of it is written.
    TComplex ampZ{1e100, 0.0};
    for (int k = 0; k < g; ++k) {
      const TSolverElement& e = el[k];
      if (e.typ == ptChass) {
        if (!CIsFinite(CMul(x[k], r.ChassisZ[e.chassisnr][i]))) return WeicheFailText(a);
      } else if (e.typ == ptAmp) {
        TComplex cur = x[k];
        if (CAbs(cur) == 0.0) cur.re = kAbsent;
        ampZ = CDiv(COne, CAdd(CDiv(COne, ampZ), cur));
      }
    }
    if (!CIsFinite(ampZ)) return WeicheFailText(a);
    for (int k = 0; k < g; ++k) {
      const TSolverElement& e = el[k];
      if (e.typ == ptChass) r.ChassisU[e.chassisnr][i] = CMul(x[k], r.ChassisZ[e.chassisnr][i]);
    }
    r.AmpZ[a][i] = ampZ;
  }
  return "OK";
}

std::string WeicheItem(const TProjekt& p, int a, TResult& r) {
  TSolverWork work;
  return WeicheItem(p, a, r, work);
}

}  // namespace sonvex
