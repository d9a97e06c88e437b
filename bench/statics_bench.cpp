// Grasp statics of each case on the start work, and the worst case of the
// general search: all 419 friction-direction pairs tried and rejected.
#include <benchmark/benchmark.h>

#include <cmath>

#include "contact/sphere_contact.h"
#include "geom/inverse.h"
#include "geom/vecmat.h"
#include "grasp/start_up.h"
#include "graspstat/constants.h"
#include "graspstat/state.h"
#include "graspstat/trace.h"
#include "hand/kinematics.h"
#include "statics/norm_statics.h"
#include "statics/statics.h"

namespace {

using namespace gs;

void Discard(const char *, std::size_t, void *) {}

using SolverFn = int (*)(GraspState *, const Vec3 *, const Vec3 *, const double *, const double *,
                         double *, Vec3 *, Vec3 *, double *, Vec3 *, double *, Vec3 *);

// The start work of the given radius with the hand turned by bet about Y and
// both contacts computed.
GraspState Scene(double bet, double radius) {
  GraspState s;
  InitModelState(&s);
  StartUp(&s);
  s.aSph = radius;
  s.betHand = bet;
  HandKinematics(&s, s.alHand, s.betHand);
  for (int n = 1; n <= 2; n++) {
    double L = 0.0;
    VeskSphereContanct(&s, n, s.rwG, s.aSph, &s.qqf[n][1], &L, s.RC[n], s.NF[n], s.NW[n]);
    CopyVec3(s.NW[n], s.nc[n]);
  }
  return s;
}

void RunStatics(benchmark::State &state, GraspState s) {
  SetConsoleSink(&Discard, nullptr); // the general search reports its singular candidates
  for (auto _ : state) {
    benchmark::DoNotOptimize(VeskStatics(&s));
    benchmark::ClobberMemory();
  }
  SetConsoleSink(nullptr, nullptr);
  state.counters["case"] = s.staticsCase;
  state.counters["candidate"] = s.normCandidate;
}

// SP2: the start-up scene, accepted in the tenth pass.
void BM_StaticsVertical(benchmark::State &state) {
  RunStatics(state, Scene(0.0, kStartRadius));
}
BENCHMARK(BM_StaticsVertical);

// SP1: ten presses of Q, the hand upright.
void BM_StaticsHorizontal(benchmark::State &state) {
  double bet = 0.0;
  for (int i = 0; i < 10; i++) bet += kHandStep;
  RunStatics(state, Scene(bet, kStartRadius));
}
BENCHMARK(BM_StaticsHorizontal);

// SP3: a work of radius 40 touched at its poles, a vertical line.
void BM_StaticsCollinear(benchmark::State &state) {
  RunStatics(state, Scene(0.0, 40.0));
}
BENCHMARK(BM_StaticsCollinear);

// Norm: one press of Q, accepted at candidate 65.
void BM_StaticsGeneral(benchmark::State &state) {
  RunStatics(state, Scene(kHandStep, kStartRadius));
}
BENCHMARK(BM_StaticsGeneral);

// Norm, worst case: no candidate is accepted.
void AllFail(benchmark::State &state, SolverFn solve) {
  GraspState s;
  InitModelState(&s);
  const double u[3][3] = {{0, 0, 0}, {1.0, 0.0, 0.0}, {-0.6, 0.48, 0.64}};
  Vec3 RC[3] = {}, nc[3] = {}, FC[3], tc[3], TC[3], MC[3];
  double FCZ[3], TCF[3], MCZ[3];
  for (int k = 1; k <= 2; k++) {
    for (int i = 0; i < 3; i++) {
      RC[k][i] = 100.0 * u[k][i];
      nc[k][i] = -u[k][i];
    }
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(solve(&s, RC, nc, zeroVec, kCaseLoad, FCZ, FC, tc, TCF, TC, MCZ, MC));
    benchmark::ClobberMemory();
  }
  state.counters["stable"] = s.StaticsStability;
}

void BM_NormStaticsAllFail(benchmark::State &state) {
  AllFail(state, VeskNormStatics);
}
BENCHMARK(BM_NormStaticsAllFail);

// The same with every candidate inverted and multiplied out.
void BM_NormStaticsAllFailLiteral(benchmark::State &state) {
  AllFail(state, VeskNormStaticsLiteral);
}
BENCHMARK(BM_NormStaticsAllFailLiteral);

// Norm: one press of Q, accepted at candidate 65, the general search alone.
void General(benchmark::State &state, SolverFn solve) {
  GraspState s = Scene(kHandStep, kStartRadius);
  Vec3 RW, FC[3], tc[3], TC[3], MC[3];
  double FCZ[3], TCF[3], MCZ[3];
  CopyVec3(s.rwG, RW);
  SetConsoleSink(&Discard, nullptr);
  for (auto _ : state) {
    benchmark::DoNotOptimize(solve(&s, s.RC, s.NF, RW, kCaseLoad, FCZ, FC, tc, TCF, TC, MCZ, MC));
    benchmark::ClobberMemory();
  }
  SetConsoleSink(nullptr, nullptr);
  state.counters["candidate"] = s.normCandidate;
}

void BM_NormStaticsQ(benchmark::State &state) {
  General(state, VeskNormStatics);
}
BENCHMARK(BM_NormStaticsQ);

void BM_NormStaticsQLiteral(benchmark::State &state) {
  General(state, VeskNormStaticsLiteral);
}
BENCHMARK(BM_NormStaticsQLiteral);

// Reference of the worst case: 419 plain 6 x 6 inversions of the all-fail
// search's first balance matrix, one per candidate.
void BM_Inverse6Times419(benchmark::State &state) {
  const double u1[3] = {1.0, 0.0, 0.0}, u2[3] = {-0.6, 0.48, 0.64};
  const double t1[3] = {0.0, 0.0, 1.0}, t2[3] = {0.8, 0.6, 0.0};
  double src[36] = {};
  for (int i = 0; i < 3; i++) {
    const double rt1 =
        100.0 * (u1[(i + 1) % 3] * t1[(i + 2) % 3] - u1[(i + 2) % 3] * t1[(i + 1) % 3]);
    const double rt2 =
        100.0 * (u2[(i + 1) % 3] * t2[(i + 2) % 3] - u2[(i + 2) % 3] * t2[(i + 1) % 3]);
    const double row[2][6] = {{-u1[i], -u2[i], t1[i], t2[i], 0.0, 0.0},
                              {0.0, 0.0, rt1, rt2, -u1[i], -u2[i]}};
    for (int j = 0; j < 6; j++) {
      src[i * 6 + j] = row[0][j];
      src[(i + 3) * 6 + j] = row[1][j];
    }
  }
  double a[36];
  for (auto _ : state) {
    for (int c = 0; c < 419; c++) {
      for (int i = 0; i < 36; i++) a[i] = src[i];
      benchmark::DoNotOptimize(inv(6, a, 6));
      benchmark::ClobberMemory();
    }
  }
}
BENCHMARK(BM_Inverse6Times419);

} // namespace
