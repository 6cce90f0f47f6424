#pragma once
// The passive crossover network of one amplifier, solved at every grid
// frequency with one current variable per part and one voltage per node.
#include <string>
#include <vector>

#include "model/project.h"
#include "model/result.h"
#include "numeric/complex.h"

namespace sonvex {

// Largest system the solver takes on (currents plus node voltages).
inline constexpr int kMaxSolverVariables = 400;

// One part of the network after the degenerate values are normalised.
struct TSolverElement {
  int typ = ptNone;
  double s = -1.0;  // +1 inverted polarity, -1 normal
  int chassisnr = 0;
  double value = 0.0;
  double rvalue = 0.0;
  int nod1 = 0, nod2 = 0;  // stored nodes
  int p = 0, q = 0;        // working nodes: after wire merging, renumbered 0 .. H-1
};

// The prepared network: elements without wires, dense node numbers.
struct TSolverNetwork {
  std::vector<TSolverElement> elements;  // G = elements.size()
  int nodes = 0;                         // H
  int Variables() const { return static_cast<int>(elements.size()) + nodes; }
};

// Gathers the part slots 0..185, merges wires and renumbers the nodes densely.
TSolverNetwork PrepareNetwork(const TCrossover& parts);

// The equation matrix, reused from one grid point to the next. It is sized to
// the system (N rows, N+1 columns; column N is the right-hand side).
class TSolverWork {
 public:
  void Resize(int n);
  int Size() const { return n_; }
  TComplex& At(int r, int c) { return a_[static_cast<std::size_t>(r) * (n_ + 1) + c]; }
  const TComplex& At(int r, int c) const { return a_[static_cast<std::size_t>(r) * (n_ + 1) + c]; }
  void Clear();
  // Gaussian elimination with partial pivoting and the reference-node
  // assignment; writes the N solutions into x.
  void Solve(std::vector<TComplex>& x);

 private:
  int n_ = 0;
  std::vector<TComplex> a_;
  std::vector<int> cols_;  // nonzero columns of the current pivot row
};

// Item Weiche[a]: solves the crossover of amplifier a with r.ChassisZ and
// writes r.ChassisU of its chassis and r.AmpZ[a] (the negative of the
// impedance the amplifier sees). Returns "OK" or the item's message; values
// written for lower grid points stay when it fails.
std::string WeicheItem(const TProjekt& p, int a, TResult& r, TSolverWork& work);
std::string WeicheItem(const TProjekt& p, int a, TResult& r);

}  // namespace sonvex
