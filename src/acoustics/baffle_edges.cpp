#include "acoustics/baffle_edges.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "numeric/phase_factors.h"

namespace sonvex::baffle {

namespace {

// The three values of sin θ and the one each direction group uses.
constexpr std::array<double, 3> kSinValues{0.5, 0.866, 0.999};
constexpr std::array<int, 5> kGroupSin{0, 1, 2, 1, 0};

std::size_t BlockFloor(std::size_t n) { return n / kBlock * kBlock; }

bool TopOrBottom(int side) { return side == SideTop || side == SideBottom; }

}  // namespace

EdgeSums::EdgeSums(const std::array<EdgeElement, kElements>& el) {
  static_assert(kElements % kBlock == 0 && kPass % kBlock == 0);
  std::array<std::array<double, kPass>, 5> base{};
  for (int g = 0; g < 5; ++g) base[g] = BaseWindow(kGroups[g].windowPct * kElements / 100);

  for (int j = 0; j < kElements; ++j) {
    const EdgeElement& e = el[j];
    r_[j] = e.r;
    qPath_[j] = 0.05 * (e.r - e.z);
    const double v = TopOrBottom(e.side) ? e.x : e.y;
    for (int s = 0; s < 3; ++s) lateral_[s][j] = kSinValues[s] * v;
  }

  // Weight, source, constant path and whole paths of direction d at element j.
  struct Term {
    double weight;
    int src;
    double factorPath;
    std::array<double, 3> whole;
    int paths;
  };
  auto term = [&](int d, int j) {
    const EdgeElement& e = el[j];
    Term t{e.strength * 0.5, SourceElement, 0.0, {}, 1};
    if (d == 0) {
      t.factorPath = -(1.41 * e.z);
      t.whole[0] = e.r - 1.41 * e.z;
    } else if (d <= 20) {
      const int g = (d - 1) / 4, az = (d - 1) % 4;
      const DirectionGroup& grp = kGroups[g];
      t.weight = e.strength * 0.5 * base[g][(j % kPass + kWindowShift[az]) % kPass];
      t.whole[0] = e.r - grp.axial * e.z - grp.sinUse * (kAzimuthX[az] * e.x + kAzimuthY[az] * e.y);
      // The azimuth along the side's constant coordinate goes into the
      // constant factor; along the varying coordinate v it takes e^(∓j·k·sin θ·v).
      const bool alongX = kAzimuthX[az] != 0.0;
      const double u = alongX ? kAzimuthX[az] : kAzimuthY[az];
      if (alongX != TopOrBottom(e.side)) {
        t.factorPath = -(grp.axial * e.z) - grp.sinUse * (u * (alongX ? e.x : e.y));
      } else {
        t.factorPath = -(grp.axial * e.z);
        t.src = (u > 0 ? SourceMinus : SourcePlus) + kGroupSin[g];
      }
    } else {
      t.weight = 0.33 * (e.strength * 0.5);
      t.src = SourceRear;
      t.factorPath = -e.z;
      for (int m = 0; m < 3; ++m) t.whole[m] = (e.r - e.z) * std::array<double, 3>{1.0, 1.1, 1.25}[m];
      t.paths = 3;
    }
    return t;
  };

  std::map<double, int> factorIndex;
  std::array<BlockMask, SourceCount> need{};
  for (int d = 0; d < kEdgeDirections; ++d) {
    // Runs: maximal ranges of one side and pass whose weights are not 0.
    int j = 0;
    while (j < kElements) {
      if (term(d, j).weight == 0.0) {
        ++j;
        continue;
      }
      const int first = j;
      const int pass = j / kPass;
      while (j < kElements && j / kPass == pass && el[j].side == el[first].side && term(d, j).weight != 0.0) ++j;
      const Term t0 = term(d, first);
      Run run{};
      run.dir = d;
      run.src = t0.src;
      run.begin = BlockFloor(first);
      run.len = BlockCeil(j) - run.begin;
      run.weight = weights_.size();
      run.path = wholePath_.size();
      run.paths = t0.paths;
      const auto [it, inserted] = factorIndex.try_emplace(t0.factorPath, static_cast<int>(factorPath_.size()));
      if (inserted) factorPath_.push_back(t0.factorPath);
      run.factor = it->second;
      maxFactorPath_ = std::max(maxFactorPath_, std::fabs(t0.factorPath));
      for (std::size_t i = run.begin; i < run.begin + run.len; ++i) {
        const bool inside = static_cast<int>(i) >= first && static_cast<int>(i) < j;
        weights_.push_back(inside ? term(d, static_cast<int>(i)).weight : 0.0);
      }
      for (int m = 0; m < run.paths; ++m)
        for (std::size_t i = run.begin; i < run.begin + run.len; ++i) {
          const double p = term(d, static_cast<int>(i)).whole[m];
          wholePath_.push_back(p);
          maxWholePath_ = std::max(maxWholePath_, std::fabs(p));
        }
      for (std::size_t b = run.begin / kBlock; b < (run.begin + run.len) / kBlock; ++b) need[run.src][b] = true;
      runs_.push_back(run);
    }
  }
  factorPath_.resize(BlockCeil(factorPath_.size()), 0.0);
  factorRe_.resize(factorPath_.size());
  factorIm_.resize(factorPath_.size());

  for (std::size_t b = 0; b < needE_.size(); ++b) {
    for (int s = 0; s < SourceCount; ++s) needE_[b] = needE_[b] || need[s][b];
    for (int s = 0; s < 3; ++s) needLateral_[s][b] = need[SourcePlus + s][b] || need[SourceMinus + s][b];
    needQ_[b] = need[SourceRear][b];
  }
  for (const Run& run : runs_)
    splitRuns_.push_back({weights_.data() + run.weight, srcRe_[run.src].data() + run.begin,
                          srcIm_[run.src].data() + run.begin, run.len});
  runSums_.resize(runs_.size());
  for (int j = 0; j < kElements; ++j) {
    maxR_ = std::max(maxR_, std::fabs(r_[j]));
    maxQ_ = std::max(maxQ_, std::fabs(qPath_[j]));
    for (int s = 0; s < 3; ++s) maxLateral_[s] = std::max(maxLateral_[s], std::fabs(lateral_[s][j]));
  }
}

template <class F>
void EdgeSums::ForRanges(const BlockMask& blocks, F&& f) {
  std::size_t b = 0;
  while (b < blocks.size()) {
    if (!blocks[b]) {
      ++b;
      continue;
    }
    const std::size_t first = b;
    while (b < blocks.size() && blocks[b]) ++b;
    f(first * kBlock, (b - first) * kBlock);
  }
}

std::array<Complex, kEdgeDirections> EdgeSums::Evaluate(double k) {
  std::array<Complex, kEdgeDirections> sums{};
  if (std::fabs(k) * maxWholePath_ < kSplitLimit)
    SplitSums(k, sums);
  else
    WholePathSums(k, sums);
  return sums;
}

void EdgeSums::SplitSums(double k, std::array<Complex, kEdgeDirections>& sums) {
  auto& eRe = srcRe_[SourceElement];
  auto& eIm = srcIm_[SourceElement];
  ForRanges(needE_, [&](std::size_t at, std::size_t n) {
    ExpNegJ(r_.data() + at, n, k, maxR_, eRe.data() + at, eIm.data() + at);
  });
  for (int s = 0; s < 3; ++s)
    ForRanges(needLateral_[s], [&](std::size_t at, std::size_t n) {
      ExpNegJ(lateral_[s].data() + at, n, k, maxLateral_[s], latRe_.data() + at, latIm_.data() + at);
      MulBoth(eRe.data() + at, eIm.data() + at, latRe_.data() + at, latIm_.data() + at, n,
              srcRe_[SourcePlus + s].data() + at, srcIm_[SourcePlus + s].data() + at,
              srcRe_[SourceMinus + s].data() + at, srcIm_[SourceMinus + s].data() + at);
    });
  ForRanges(needQ_, [&](std::size_t at, std::size_t n) {
    ExpNegJ(qPath_.data() + at, n, k, maxQ_, qRe_.data() + at, qIm_.data() + at);
    MulOnePlusQ2Q5(eRe.data() + at, eIm.data() + at, qRe_.data() + at, qIm_.data() + at, n,
                   srcRe_[SourceRear].data() + at, srcIm_[SourceRear].data() + at);
  });
  ExpNegJ(factorPath_.data(), factorPath_.size(), k, maxFactorPath_, factorRe_.data(), factorIm_.data());

  WeightedSums(splitRuns_.data(), splitRuns_.size(), runSums_.data());
  for (std::size_t i = 0; i < runs_.size(); ++i) {
    const Run& run = runs_[i];
    sums[run.dir] = CAdd(sums[run.dir], CMul({factorRe_[run.factor], factorIm_[run.factor]}, runSums_[i]));
  }
}

void EdgeSums::WholePathSums(double k, std::array<Complex, kEdgeDirections>& sums) {
  for (const Run& run : runs_) {
    if (scratchRe_.size() < run.len) {
      scratchRe_.resize(run.len);
      scratchIm_.resize(run.len);
      termRe_.resize(run.len);
      termIm_.resize(run.len);
    }
    for (int m = 0; m < run.paths; ++m) {
      ExpNegJ(wholePath_.data() + run.path + m * run.len, run.len, k, maxWholePath_, termRe_.data(), termIm_.data());
      for (std::size_t i = 0; i < run.len; ++i) {
        scratchRe_[i] = m == 0 ? termRe_[i] : scratchRe_[i] + termRe_[i];
        scratchIm_[i] = m == 0 ? termIm_[i] : scratchIm_[i] + termIm_[i];
      }
    }
    const WeightedRun whole{weights_.data() + run.weight, scratchRe_.data(), scratchIm_.data(), run.len};
    Complex sum;
    WeightedSums(&whole, 1, &sum);
    sums[run.dir] = CAdd(sums[run.dir], sum);
  }
}

}  // namespace sonvex::baffle
