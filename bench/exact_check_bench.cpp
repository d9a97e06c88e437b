// The exact holding check over a fixed set of reachable grasps (contacts from
// the contact driver for random hand poses and works), beside two references
// measured in the same run: one statics calculation of the start-up scene
// (vertical case) and one 6 x 6 inverse. Run with
//   graspstat_bench --benchmark_filter='Exact|Reference'
//     --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
// and compare the medians; --benchmark_filter=Pair sets the check of contacts
// given anywhere beside the sphere check of the same contacts.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "contact/sphere_contact.h"
#include "exact/exact_check.h"
#include "exact/pair_check.h"
#include "geom/inverse.h"
#include "geom/vecmat.h"
#include "grasp/start_up.h"
#include "graspstat/constants.h"
#include "graspstat/state.h"
#include "hand/kinematics.h"
#include "statics/statics.h"

namespace {

using namespace gs;

constexpr int kGrasps = 2000;

// Both contacts of s; returns how many were found.
int Contacts(GraspState *s) {
  int found = 0;
  for (int n = 1; n <= 2; n++) {
    double L = 0.0;
    found += VeskSphereContanct(s, n, s->rwG, s->aSph, &s->qqf[n][1], &L, s->RC[n], s->NF[n],
                                s->NW[n]) > 0;
    CopyVec3(s->NW[n], s->nc[n]);
  }
  return found;
}

// kGrasps random hand poses and works with two contacts, the work centre
// drawn in the hand frame near the plane the fingers move in.
const std::vector<GraspState> &Grasps() {
  static std::vector<GraspState> grasps;
  if (!grasps.empty()) return grasps;
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  GraspState s;
  InitModelState(&s);
  StartUp(&s);
  while (static_cast<int>(grasps.size()) < kGrasps) {
    s.alHand = (2.0 * unit(rng) - 1.0) * M_PI;
    s.betHand = (2.0 * unit(rng) - 1.0) * M_PI / 2.0;
    s.aSph = 5.0 + 115.0 * unit(rng);
    const double local[3] = {(2.0 * unit(rng) - 1.0) * (s.aSph + aF), (s.aSph + lFin) * unit(rng),
                             (2.0 * unit(rng) - 1.0) * (s.aSph + lFin)};
    HandKinematics(&s, s.alHand, s.betHand);
    MulMatVec3(s.EA, local, s.rwG);
    if (CheckGraspExec(&s) == 0 || Contacts(&s) != 2) continue;
    grasps.push_back(s);
  }
  return grasps;
}

// The grasps of the set whose palm stays clear of the work: the ones that
// get the full force analysis.
const std::vector<GraspState> &PalmClearGrasps() {
  static std::vector<GraspState> clear;
  if (!clear.empty()) return clear;
  ExactCheck e;
  for (const GraspState &s : Grasps())
    if (ExactGraspCheck(&s, &e) != kExactPalmInside) clear.push_back(s);
  return clear;
}

// The exact check over a set of grasps; the time per grasp is
// 1 / items_per_second.
void RunExactCheck(benchmark::State &state, const std::vector<GraspState> &grasps) {
  ExactCheck e;
  for (auto _ : state) {
    for (const GraspState &s : grasps) {
      benchmark::DoNotOptimize(ExactGraspCheck(&s, &e));
      benchmark::ClobberMemory();
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(grasps.size()));
}

void BM_ExactCheck(benchmark::State &state) {
  RunExactCheck(state, Grasps());
}
BENCHMARK(BM_ExactCheck)->Unit(benchmark::kMillisecond);

void BM_ExactCheckPalmClear(benchmark::State &state) {
  RunExactCheck(state, PalmClearGrasps());
}
BENCHMARK(BM_ExactCheckPalmClear)->Unit(benchmark::kMillisecond);

// The check with all three measures under each contact law (default
// values otherwise), over the grasps whose palm stays clear of the work.
void BM_ExactCheckModel(benchmark::State &state) {
  ExactModel m = kDefaultExactModel;
  m.law = static_cast<int>(state.range(0));
  ExactCheck e;
  const std::vector<GraspState> &grasps = PalmClearGrasps();
  for (auto _ : state) {
    for (const GraspState &s : grasps) {
      benchmark::DoNotOptimize(ExactGraspCheckModel(&s, &m, &e));
      benchmark::ClobberMemory();
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(grasps.size()));
}
BENCHMARK(BM_ExactCheckModel)
    ->Arg(kContactSoft)
    ->Arg(kContactPoint)
    ->Arg(kContactElliptic)
    ->Unit(benchmark::kMillisecond);

constexpr int kPairGrasps = 200; // grasps of the palm-clear set in the pair comparison

// The contacts of the first kPairGrasps palm-clear grasps as given contacts.
const std::vector<ContactPair> &PairGrasps() {
  static std::vector<ContactPair> pairs;
  if (!pairs.empty()) return pairs;
  for (const GraspState &s : PalmClearGrasps()) {
    if (static_cast<int>(pairs.size()) == kPairGrasps) break;
    ContactPair g{};
    CopyVec3(s.rwG, g.c);
    for (int k = 1; k <= 2; k++) {
      CopyVec3(s.RC[k], g.p[k]);
      CopyVec3(s.NF[k], g.n[k]);
    }
    pairs.push_back(g);
  }
  return pairs;
}

// The same contacts with the normals turned by 0.1 rad about the contact
// line, each the other way: their lines no longer meet, so the contacts lie
// on no sphere and the normal forces move with every parameter.
const std::vector<ContactPair> &OffSphereGrasps() {
  static std::vector<ContactPair> pairs;
  if (!pairs.empty()) return pairs;
  for (ContactPair g : PairGrasps()) {
    Vec3 d, turned;
    SubVec3(g.p[2], g.p[1], d);
    UnitVec3(d, d);
    for (int k = 1; k <= 2; k++) {
      // Rodrigues about d by 0.1 rad
      CrossVec3(d, g.n[k], turned);
      const double angle = k == 1 ? 0.1 : -0.1;
      const double c = std::cos(angle), s = std::sin(angle), along = DotVec3(d, g.n[k]) * (1.0 - c);
      for (int i = 0; i < 3; i++) g.n[k][i] = g.n[k][i] * c + turned[i] * s + d[i] * along;
    }
    pairs.push_back(g);
  }
  return pairs;
}

// Degenerate placements of the same contacts, kPairDegenerate of them: 0 the
// second contact moved onto the first (normals apart: the force of the
// second contact is free in all three directions), 1 both normals turned
// across the contact line (both friction moments free).
constexpr int kPairDegenerate = 20;
const std::vector<ContactPair> &DegenerateGrasps(int kind) {
  static std::vector<ContactPair> pairs[2];
  std::vector<ContactPair> &out = pairs[kind];
  if (!out.empty()) return out;
  for (ContactPair g : PairGrasps()) {
    if (static_cast<int>(out.size()) == kPairDegenerate) break;
    Vec3 d, a;
    SubVec3(g.p[2], g.p[1], d);
    UnitVec3(d, d);
    if (kind == 0) {
      CopyVec3(g.p[1], g.p[2]);
    } else {
      for (int k = 1; k <= 2; k++) {
        const double along = DotVec3(g.n[k], d);
        for (int i = 0; i < 3; i++) a[i] = g.n[k][i] - along * d[i];
        if (NormVec3(a) == 0.0) continue;
        UnitVec3(a, g.n[k]);
      }
    }
    out.push_back(g);
  }
  return out;
}

// The check of two contacts given anywhere against the sphere check of the
// same given contacts, per contact law (default values otherwise).
void RunPairCheck(benchmark::State &state, const std::vector<ContactPair> &pairs) {
  ExactModel m = kDefaultExactModel;
  m.law = static_cast<int>(state.range(0));
  ExactCheck e;
  for (auto _ : state) {
    for (const ContactPair &g : pairs) {
      benchmark::DoNotOptimize(PairExactCheck(&g, &m, &e));
      benchmark::ClobberMemory();
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(pairs.size()));
}

void BM_PairCheck(benchmark::State &state) {
  RunPairCheck(state, PairGrasps());
}
BENCHMARK(BM_PairCheck)
    ->Arg(kContactSoft)
    ->Arg(kContactPoint)
    ->Arg(kContactElliptic)
    ->Unit(benchmark::kMillisecond);

void BM_PairCheckOffSphere(benchmark::State &state) {
  RunPairCheck(state, OffSphereGrasps());
}
BENCHMARK(BM_PairCheckOffSphere)
    ->Arg(kContactSoft)
    ->Arg(kContactPoint)
    ->Arg(kContactElliptic)
    ->Unit(benchmark::kMillisecond);

// The degenerate placements under the soft law, range(0) the kind; the
// load leaves no moment they cannot resist.
void BM_PairCheckDegenerate(benchmark::State &state) {
  ExactCheck e;
  const std::vector<ContactPair> &pairs = DegenerateGrasps(static_cast<int>(state.range(0)));
  std::vector<ExactModel> models;
  for (const ContactPair &g : pairs) {
    // a required moment that takes away the twist about the contact line,
    // which normals across it cannot resist; at one point none about it
    ExactModel m = kDefaultExactModel;
    Vec3 d, r, pf;
    SubVec3(g.p[2], g.p[1], d);
    SubVec3(g.p[1], g.c, r);
    if (state.range(0) == 0) CrossVec3(r, m.FEX, m.MEX);
    if (state.range(0) == 1 && NormVec3(d) > 0.0) {
      UnitVec3(d, d);
      CrossVec3(r, m.FEX, pf);
      const double twist = DotVec3(m.MEX, d) - DotVec3(pf, d);
      for (int j = 0; j < 3; j++) m.MEX[j] -= twist * d[j];
    }
    models.push_back(m);
  }
  for (auto _ : state) {
    for (size_t i = 0; i < pairs.size(); i++) {
      benchmark::DoNotOptimize(PairExactCheck(&pairs[i], &models[i], &e));
      benchmark::ClobberMemory();
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(pairs.size()));
}
BENCHMARK(BM_PairCheckDegenerate)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_PairSphereCheck(benchmark::State &state) {
  ExactModel m = kDefaultExactModel;
  m.law = static_cast<int>(state.range(0));
  ExactCheck e;
  const std::vector<ContactPair> &pairs = PairGrasps();
  std::vector<GraspState> given;
  for (const GraspState &s : PalmClearGrasps()) {
    if (given.size() == pairs.size()) break;
    given.push_back(s);
  }
  for (auto _ : state) {
    for (const GraspState &s : given) {
      benchmark::DoNotOptimize(ExactContactsCheck(&s, &m, &e));
      benchmark::ClobberMemory();
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(given.size()));
}
BENCHMARK(BM_PairSphereCheck)
    ->Arg(kContactSoft)
    ->Arg(kContactPoint)
    ->Arg(kContactElliptic)
    ->Unit(benchmark::kMillisecond);

// Reference: one statics calculation of the start-up scene (vertical case).
void BM_ReferenceStaticsVertical(benchmark::State &state) {
  GraspState s;
  InitModelState(&s);
  StartUp(&s);
  Contacts(&s);
  for (auto _ : state) {
    benchmark::DoNotOptimize(VeskStatics(&s));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ReferenceStaticsVertical);

// Reference: one 6 x 6 inverse of a well-conditioned matrix.
void BM_ReferenceInverse6(benchmark::State &state) {
  double a0[36];
  for (int i = 0; i < 36; i++) a0[i] = (i % 7 == 0) ? 4.0 : 0.1 * (i % 5);
  double a[36];
  for (auto _ : state) {
    for (int i = 0; i < 36; i++) a[i] = a0[i];
    benchmark::DoNotOptimize(inv(6, a, 6));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ReferenceInverse6);

} // namespace
