// The one-dimensional searches of the exact check against a brute-force scan
// of the need over a fine grid of Sigma, on random contact pairs, loads and
// laws: the least need found is no worse than the grid's, the least Sigma
// within a need has no grid point below it that also keeps it, and the lower
// bounds that let searches be skipped lie below every need they bound.
#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "exact/exact_family.h"
#include "exact/exact_law.h"
#include "geom/vecmat.h"
#include "graspstat/model.h"

namespace gs {
namespace {

constexpr int kFamilies = 400;
constexpr int kGrid = 2000;
constexpr double kRel = 1e-9; // the precision the searches promise (relative)

void RandomUnit(std::mt19937_64 *rng, double *v) {
  std::normal_distribution<double> g;
  do {
    for (int i = 0; i < 3; i++) v[i] = g(*rng);
  } while (NormVec3(v) < 1e-3);
  UnitVec3(v, v);
}

// The grid over [lo, hi] and the needs there.
template <class Need> std::vector<double> Scan(Need need, double lo, double hi) {
  std::vector<double> v(kGrid + 1);
  for (int j = 0; j <= kGrid; j++) v[j] = need(lo + (hi - lo) * j / kGrid);
  return v;
}

// The least need found against the grid, and the least Sigma keeping a
// need between the least and the need at the low end.
template <class Need, class Least, class Within>
void CheckSearches(Need need, Least least, Within within, double lo, double hi, double *gridMin) {
  const std::vector<double> v = Scan(need, lo, hi);
  const double best = *std::min_element(v.begin(), v.end());
  *gridMin = best;
  double at = 0.0;
  const double found = least(&at);
  if (!std::isfinite(best)) return;
  EXPECT_LE(found, best * (1.0 + kRel) + 1e-300);
  EXPECT_NEAR(need(at), found, kRel * found + 1e-300);
  if (!(v[0] > found * (1.0 + 1e-6))) return;
  const double A = found + 0.5 * (std::min(v[0], 4.0 * found + 1.0) - found);
  const double Sigma = within(A, at);
  EXPECT_LE(need(Sigma), A * (1.0 + kRel));
  for (int j = 0; j <= kGrid; j++) {
    const double x = lo + (hi - lo) * j / kGrid;
    if (x < Sigma - kRel * std::max({1.0, std::fabs(lo), std::fabs(hi)})) {
      EXPECT_GT(v[j], A * (1.0 - kRel)) << x << " below " << Sigma;
    }
  }
}

TEST(ExactSearch, LawFamilySearchesAgainstAGridScan) {
  std::mt19937_64 rng(41);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  int searched = 0;
  for (int i = 0; i < kFamilies; i++) {
    double n1[3], n2[3];
    RandomUnit(&rng, n1);
    RandomUnit(&rng, n2);
    ExactModel m = kDefaultExactModel;
    m.rm = (i % 7 == 0) ? 0.0 : 20.0 * unit(rng);
    m.cap = 1.0 + 30.0 * unit(rng);
    for (int k = 0; k < 3; k++) {
      m.FEX[k] = 2.0 * unit(rng) - 1.0;
      m.MEX[k] = (i % 2 == 0) ? 0.0 : 20.0 * (2.0 * unit(rng) - 1.0);
    }
    m.law = i % 3;
    LawFamily fam;
    BuildLawFamily(n1, n2, 5.0 + 100.0 * unit(rng), &m, &fam);
    LawLimits lim = {1, 1, m.cap, {0, 1, 1}};
    if (i % 5 == 4) lim.moment = 0;
    if (i % 11 == 10) lim.sign[1] = -1;
    double lo = 0.0, hi = 0.0, r = 0.0;
    if (LawSigmaRange(&fam, &lim, &lo, &hi) == 0 || LawNeverHeld(&fam, &lim) != 0) continue;
    searched++;
    auto need = [&](double x) { return LawNeedAt(&fam, &lim, x, &r); };
    double gridMin = 0.0;
    CheckSearches(
        need, [&](double *at) { return LawLeastNeed(&fam, &lim, lo, hi, -1.0, at); },
        [&](double A, double at) { return LawLeastSigma(&fam, &lim, A, lo, at); }, lo, hi,
        &gridMin);
    EXPECT_LE(LawNeedBoundWithin(&fam, &lim, lo, hi), gridMin * (1.0 + 1e-12)) << i;
    // beyond hi, out to far Sigma on a geometric grid
    const double bound = LawNeedBoundBeyond(&fam, &lim, hi);
    for (double d = 1e-3; d < 1e12; d *= 1.5)
      EXPECT_LE(bound, need(hi + d) * (1.0 + 1e-12)) << i << " " << d;
  }
  EXPECT_GT(searched, kFamilies / 2);
}

// A soft grasp with a required moment whose need falls too slowly beside its
// least value for two needs a search step apart to differ: the least need
// still agrees with a plain golden-section search.
TEST(ExactSearch, LawFamilyLeastNeedPastLevelValues) {
  const double n1[3] = {0.80600207217399178, -0.49237034874297625, -0.3285302106807706};
  const double n2[3] = {-0.95444107620244356, -0.22421065911180357, 0.19690559260257778};
  const ExactModel m = {0.49835523247904756,
                        8.1476788943330618,
                        15.284732270442248,
                        {0.28111756636026364, -0.53991691327070424, 0.53635568809103251},
                        {-16.02756685309388, 5.6104977978124682, 11.320844962274279},
                        kContactSoft};
  LawFamily fam;
  BuildLawFamily(n1, n2, 37.351073732557985, &m, &fam);
  const LawLimits lim = {1, 1, m.cap, {0, 1, 1}};
  double lo = 0.0, hi = 0.0, r = 0.0, at = 0.0;
  ASSERT_EQ(LawSigmaRange(&fam, &lim, &lo, &hi), 1);
  double a = lo, b = hi, best = INFINITY;
  const double g = 0.5 * (std::sqrt(5.0) - 1.0);
  while (b - a > 1e-13 * hi) {
    const double x1 = b - g * (b - a), x2 = a + g * (b - a);
    const double v1 = LawNeedAt(&fam, &lim, x1, &r), v2 = LawNeedAt(&fam, &lim, x2, &r);
    best = std::min({best, v1, v2});
    (v1 <= v2 ? b : a) = v1 <= v2 ? x2 : x1;
  }
  EXPECT_NEAR(LawLeastNeed(&fam, &lim, lo, hi, -1.0, &at), best, kRel * best);
}

TEST(ExactSearch, SoftFamilySearchesAgainstAGridScan) {
  std::mt19937_64 rng(42);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int i = 0; i < kFamilies; i++) {
    double n1[3], n2[3], g[3];
    RandomUnit(&rng, n1);
    RandomUnit(&rng, n2);
    for (int k = 0; k < 3; k++) g[k] = 2.0 * unit(rng) - 1.0;
    ExactFamily fam;
    BuildExactFamily(n1, n2, 5.0 + 100.0 * unit(rng), g, 0.5 + 20.0 * unit(rng), &fam);
    const ExactLimits lim = {1, 1, 1.0 + 30.0 * unit(rng), {0, 1, 1}, -INFINITY, 1e-12};
    double lo = 0.0, hi = 0.0;
    if (SigmaRange(&fam, &lim, &lo, &hi) == 0) continue;
    auto need = [&](double x) { return FrictionNeed(&fam, &lim, x); };
    double gridMin = 0.0;
    CheckSearches(
        need, [&](double *at) { return LeastFrictionNeed(&fam, &lim, -1.0, at, 0.0, nullptr); },
        [&](double A, double at) { return LeastSigmaWithin(&fam, &lim, A, lo, at); }, lo, hi,
        &gridMin);
    const double bound = NeedBoundBeyond(&fam, hi);
    for (double d = 1e-3; d < 1e12; d *= 1.5)
      EXPECT_LE(bound, need(hi + d) * (1.0 + 1e-12)) << i << " " << d;
  }
}

} // namespace
} // namespace gs
