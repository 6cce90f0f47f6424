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
struct SolverElement {
  int type = PartNone;
  double polarity = -1.0;  // +1 inverted polarity, -1 normal
  int chassisSlot = 0;
  double value = 0.0;
  double resistance = 0.0;
  int node1 = 0, node2 = 0;          // stored nodes
  int workNode1 = 0, workNode2 = 0;  // working nodes: after wire merging, renumbered 0 .. H-1
};

// The prepared network: elements without wires, dense node numbers.
struct SolverNetwork {
  std::vector<SolverElement> elements;  // G = elements.size()
  int nodes = 0;                        // H
  int Variables() const { return static_cast<int>(elements.size()) + nodes; }
};

// Gathers the part slots 0..185, merges wires and renumbers the nodes densely.
SolverNetwork PrepareNetwork(const Crossover& parts);

// The equation matrix, reused from one grid point to the next. It is sized to
// the system (N rows, N+1 columns; column N is the right-hand side).
class SolverWork {
 public:
  void Resize(int n);
  int Size() const { return size_; }
  Complex& At(int r, int c) { return matrix_[static_cast<std::size_t>(r) * (size_ + 1) + c]; }
  const Complex& At(int r, int c) const { return matrix_[static_cast<std::size_t>(r) * (size_ + 1) + c]; }
  void Clear();
  // Gaussian elimination with partial pivoting and the reference-node
  // assignment; writes the N solutions into x.
  void Solve(std::vector<Complex>& x);

 private:
  int size_ = 0;
  std::vector<Complex> matrix_;
  std::vector<int> cols_;  // nonzero columns of the current pivot row
};

// Item Crossover[a]: solves the crossover of amplifier a with r.chassisImpedance and
// writes r.ChassisU of its chassis and r.ampImpedance[a] (the negative of the
// impedance the amplifier sees). Returns "OK" or the item's message; values
// written for lower grid points stay when it fails.
std::string CrossoverItem(const Project& p, int a, CalcResult& r, SolverWork& work);
std::string CrossoverItem(const Project& p, int a, CalcResult& r);

}  // namespace sonvex
