// The epsilon of two contacts on exact friction sets, both forms per law, on
// a fixed set of random grasps (contacts near opposite sides of a unit
// sphere), beside the route of grasp toolkits measured in the same run: the
// L1 epsilon (form one, unit normal forces) of the 8-edge linearised cones,
// the least facet offset of the convex hull of the primitive wrenches by
// qhull. Primitive wrenches per contact: point, the 8 edges n + mu t_j;
// soft, each edge with the friction moment +-mu rm about n (16, the exact
// disc-times-interval set with the disc made an octagon); elliptic, the 8
// edges and the two pure friction moments +-mu rm (10). Run with
//   graspstat_bench --benchmark_filter='Epsilon'
//     --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
// and compare the medians. EpsilonLinearisedError counts the grasps whose
// 8-edge value differs from the exact one by more than 5 % and prints one.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

extern "C" {
#include <libqhull_r/qhull_ra.h>
}

#include "exact/epsilon.h"
#include "geom/vecmat.h"
#include "graspstat/model.h"
#include "graspstat/quality.h"

namespace {

using namespace gs;

constexpr int kGrasps = 32;
constexpr int kEdges = 8;
constexpr double kMu = 0.5, kRm = 0.3; // friction (dimensionless), moment radius (length)
constexpr double kDiffer = 0.05;       // share counted as a different value

std::vector<ContactPair> Grasps(int count, unsigned seed) {
  std::mt19937_64 rng(seed);
  std::normal_distribution<double> g;
  std::vector<ContactPair> out;
  for (int j = 0; j < count; j++) {
    ContactPair c{};
    for (int i = 0; i < 3; i++) c.p[1][i] = g(rng);
    UnitVec3(c.p[1], c.p[1]);
    for (int i = 0; i < 3; i++) c.p[2][i] = -c.p[1][i] + 0.5 * g(rng);
    UnitVec3(c.p[2], c.p[2]);
    for (int k = 1; k <= 2; k++) {
      for (int i = 0; i < 3; i++) c.n[k][i] = -c.p[k][i] + 0.2 * g(rng);
      UnitVec3(c.n[k], c.n[k]);
    }
    out.push_back(c);
  }
  return out;
}

ExactModel Model(int law) {
  ExactModel m = kDefaultExactModel;
  m.mu = kMu;
  m.rm = kRm;
  m.cap = 1.0;
  m.law = law;
  return m;
}

// The primitive wrenches of the linearised cones (scaled by rho), appended to w.
void Primitives(const ContactPair &g, const ExactModel &m, double rho, std::vector<double> *w) {
  for (int k = 1; k <= 2; k++) {
    const double *n = g.n[k];
    double r[3], t1[3], t2[3];
    SubVec3(g.p[k], g.c, r);
    const double ref[3] = {std::fabs(n[0]) < 0.9 ? 1.0 : 0.0, std::fabs(n[0]) < 0.9 ? 0.0 : 1.0,
                           0.0};
    CrossVec3(n, ref, t1);
    UnitVec3(t1, t1);
    CrossVec3(n, t1, t2);
    auto push = [&](const double *f, double mz) {
      double mo[3];
      CrossVec3(r, f, mo);
      for (int i = 0; i < 3; i++) w->push_back(f[i]);
      for (int i = 0; i < 3; i++) w->push_back((mo[i] + mz * n[i]) / rho);
    };
    const double tors = m.mu * m.rm;
    for (int j = 0; j < kEdges; j++) {
      const double a = 2.0 * M_PI * j / kEdges;
      double f[3];
      for (int i = 0; i < 3; i++) f[i] = n[i] + m.mu * (std::cos(a) * t1[i] + std::sin(a) * t2[i]);
      if (m.law == kContactSoft) {
        push(f, tors);
        push(f, -tors);
      } else {
        push(f, 0.0);
      }
    }
    if (m.law == kContactElliptic) {
      push(n, tors);
      push(n, -tors);
    }
  }
}

// The L1 epsilon of the primitive wrenches: the least distance from the
// origin to a facet of their hull (0 when the origin is not inside).
double HullEpsilon(std::vector<double> *w) {
  qhT qh_qh;
  qhT *qh = &qh_qh;
  QHULL_LIB_CHECK
  qh_zero(qh, stderr);
  char options[] = "qhull Qt";
  double eps = 0.0;
  if (!qh_new_qhull(qh, 6, (int)(w->size() / 6), w->data(), False, options, nullptr, stderr)) {
    eps = kInf;
    facetT *facet;
    FORALLfacets {
      eps = std::min(eps, -facet->offset);
    }
    eps = std::max(0.0, eps);
  }
  qh_freeqhull(qh, !qh_ALL);
  int curlong, totlong;
  qh_memfreeshort(qh, &curlong, &totlong);
  return eps;
}

double Linearised(const ContactPair &g, const ExactModel &m, double rho) {
  std::vector<double> w;
  Primitives(g, m, rho, &w);
  return HullEpsilon(&w);
}

// The counters: the grasps whose proven bound is within 1e-6 of the value in
// both forms, and the largest (value - lower) / value over the grasps.
void EpsilonExact(benchmark::State &state) {
  const std::vector<ContactPair> grasps = Grasps(kGrasps, 5);
  const ExactModel m = Model((int)state.range(0));
  size_t j = 0;
  for (auto _ : state) {
    GraspEpsilon e;
    PairEpsilon(&grasps[j++ % grasps.size()], &m, 0.0, &e);
    benchmark::DoNotOptimize(e);
  }
  int tight = 0;
  double worst = 0.0;
  for (const ContactPair &g : grasps) {
    GraspEpsilon e;
    PairEpsilon(&g, &m, 0.0, &e);
    bool ok = true;
    for (const EpsilonForm *f : {&e.inf, &e.one}) {
      const double gap = f->value > 0.0 ? (f->value - f->lower) / f->value : 0.0;
      worst = std::max(worst, gap);
      ok = ok && gap <= 1e-6;
    }
    tight += ok;
  }
  state.counters["tight"] = tight;
  state.counters["gapMax"] = worst;
}
BENCHMARK(EpsilonExact)->Arg(kContactPoint)->Arg(kContactSoft)->Arg(kContactElliptic);

// The value and weakest alone: the proof stopped after its first covering.
void EpsilonExactValueOnly(benchmark::State &state) {
  const std::vector<ContactPair> grasps = Grasps(kGrasps, 5);
  const ExactModel m = Model((int)state.range(0));
  size_t j = 0;
  for (auto _ : state) {
    GraspEpsilon e;
    PairEpsilonBudget(&grasps[j++ % grasps.size()], &m, 0.0, 0, &e);
    benchmark::DoNotOptimize(e);
  }
}
BENCHMARK(EpsilonExactValueOnly)->Arg(kContactPoint)->Arg(kContactSoft)->Arg(kContactElliptic);

void EpsilonLinearisedQhull(benchmark::State &state) {
  const std::vector<ContactPair> grasps = Grasps(kGrasps, 5);
  const ExactModel m = Model((int)state.range(0));
  size_t j = 0;
  for (auto _ : state) {
    const ContactPair &g = grasps[j++ % grasps.size()];
    benchmark::DoNotOptimize(Linearised(g, m, std::max(NormVec3(g.p[1]), NormVec3(g.p[2]))));
  }
}
BENCHMARK(EpsilonLinearisedQhull)->Arg(kContactPoint)->Arg(kContactSoft)->Arg(kContactElliptic);

// Grasps whose 8-edge value differs from the exact form one by more than 5 %.
void EpsilonLinearisedError(benchmark::State &state) {
  const std::vector<ContactPair> grasps = Grasps((int)state.range(1), 9);
  const ExactModel m = Model((int)state.range(0));
  int differ = 0, force = 0;
  for (auto _ : state) {
    differ = force = 0;
    bool shown = false;
    for (const ContactPair &g : grasps) {
      GraspEpsilon e;
      PairEpsilon(&g, &m, 0.0, &e);
      const double q1 = Linearised(g, m, e.torqueScale);
      force += e.one.value > 0.0;
      if (std::fabs(q1 - e.one.value) <= kDiffer * e.one.value) continue;
      differ++;
      if (shown) continue;
      shown = true;
      std::printf("law %s: p1 %.4f %.4f %.4f n1 %.4f %.4f %.4f p2 %.4f %.4f %.4f n2 %.4f %.4f "
                  "%.4f: exact %.6g (lower %.6g), 8-edge %.6g\n",
                  ContactLawName(m.law), g.p[1][0], g.p[1][1], g.p[1][2], g.n[1][0], g.n[1][1],
                  g.n[1][2], g.p[2][0], g.p[2][1], g.p[2][2], g.n[2][0], g.n[2][1], g.n[2][2],
                  e.one.value, e.one.lower, q1);
    }
  }
  state.counters["differ"] = differ;
  state.counters["forceClosure"] = force;
  state.counters["grasps"] = (double)grasps.size();
}
BENCHMARK(EpsilonLinearisedError)
    ->Args({kContactSoft, 200})
    ->Args({kContactElliptic, 200})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// The whole quality of many grasps (check, epsilon), on 1 and 2 threads,
// per grasp: the figure a million grasps scale from; range(2) the boxes
// proving each epsilon's bound (0: the search's value, first covering),
// range(3) the epsilon forms (0: the exact check alone).
void QualityMany(benchmark::State &state) {
  const std::vector<ContactPair> grasps = Grasps(kGrasps, 7);
  const ExactModel m = Model((int)state.range(0));
  std::vector<GraspQuality> out(grasps.size());
  for (auto _ : state)
    PairQualityMany(static_cast<long>(grasps.size()), grasps.data(), &m, 0.0,
                    static_cast<int>(state.range(2)), static_cast<int>(state.range(3)), nullptr,
                    (int)state.range(1), nullptr, nullptr, out.data());
  state.SetItemsProcessed(state.iterations() * static_cast<long>(grasps.size()));
}
BENCHMARK(QualityMany)
    ->Args({kContactPoint, 2, kEpsilonProofBoxes, kEpsilonFormBoth})
    ->Args({kContactSoft, 1, kEpsilonProofBoxes, kEpsilonFormBoth})
    ->Args({kContactSoft, 2, kEpsilonProofBoxes, kEpsilonFormBoth})
    ->Args({kContactElliptic, 2, kEpsilonProofBoxes, kEpsilonFormBoth})
    ->Args({kContactSoft, 2, 0, kEpsilonFormBoth})
    ->Args({kContactElliptic, 2, 0, kEpsilonFormBoth})
    ->Args({kContactSoft, 2, 0, 0})
    ->Args({kContactElliptic, 2, 0, 0})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// Robust measures of 8 samples against 8 plain qualities of the same
// grasps: each iteration answers the same kRobustGrasps grasps.
constexpr int kRobustGrasps = 8;
void QualityRobust(benchmark::State &state) {
  const std::vector<ContactPair> grasps = Grasps(kRobustGrasps, 9);
  const ExactModel m = Model(kContactSoft);
  RobustOptions o{};
  o.samples = static_cast<int>(state.range(0));
  o.sigmaPoint = 0.01;
  o.sigmaNormal = 0.02;
  o.sigmaMu = 0.05;
  for (auto _ : state) {
    for (const ContactPair &g : grasps) {
      GraspQuality q;
      if (o.samples > 0) {
        PairQuality(&g, &m, 0.0, kEpsilonProofBoxes, kEpsilonFormBoth, 0.0, &o, &q);
      } else {
        for (int k = 0; k < 8; k++)
          PairQuality(&g, &m, 0.0, kEpsilonProofBoxes, kEpsilonFormBoth, 0.0, nullptr, &q);
      }
      benchmark::DoNotOptimize(q);
    }
  }
}
BENCHMARK(QualityRobust)->Arg(0)->Arg(8)->Unit(benchmark::kMillisecond);

} // namespace
