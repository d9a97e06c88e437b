// Grasp statics of each case on the start work, and the worst case of the
// general search: all 419 friction-direction pairs tried and rejected.
#include <benchmark/benchmark.h>

#include <cmath>

#include "app/constants.h"
#include "app/model_state.h"
#include "app/sequence.h"
#include "app/trace.h"
#include "contact/sphere_contact.h"
#include "hand/kinematics.h"
#include "statics/norm_statics.h"
#include "statics/statics.h"

namespace {

using namespace gs;

void Discard(const char *, std::size_t, void *) {}

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
void BM_NormStaticsAllFail(benchmark::State &state) {
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
    benchmark::DoNotOptimize(
        VeskNormStatics(&s, RC, nc, zeroVec, FEX, FCZ, FC, tc, TCF, TC, MCZ, MC));
    benchmark::ClobberMemory();
  }
  state.counters["stable"] = s.StaticsStability;
}
BENCHMARK(BM_NormStaticsAllFail);

} // namespace
