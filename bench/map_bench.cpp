// Cost of a study map point: one whole grasp (both contacts, the statics,
// the exact check) over a 512 x 512 grid of the hand angles, a full turn
// each, against the reference of 419 plain 6 x 6 inversions (as many as the
// general statics search may try, BM_Inverse6Times419 of the statics
// benchmarks) measured in the same run.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "bench/hand_turn_map.h"
#include "grasp/start_up.h"
#include "graspstat/grasp.h"
#include "graspstat/map.h"
#include "graspstat/trace.h"

namespace {

// Writes table text to the FILE ctx; returns 1, or 0 when it fell short.
int WriteToSink(const char *text, std::size_t n, void *ctx) {
  return std::fwrite(text, 1, n, static_cast<std::FILE *>(ctx)) == n ? 1 : 0;
}

using namespace gs;

constexpr long kSide = 512;
constexpr long kStride = 7919; // prime: walks every grid point before repeating

void Discard(const char *, std::size_t, void *) {}

// One point per iteration on one thread, visiting the whole grid in a
// scattered order so that every region weighs as in the map.
void BM_MapPointOneThread(benchmark::State &state) {
  SetConsoleSink(&Discard, nullptr);
  const MapRequest req = HandTurnMap(kSide);
  GraspState start;
  InitModelState(&start);
  StartUp(&start);
  GraspState s;
  long p = 0;
  for (auto _ : state) {
    double al = 0.0, bet = 0.0, aSph = 0.0;
    Vec3 rwG;
    MapPointPose(&req, p, &al, &bet, rwG, &aSph);
    benchmark::DoNotOptimize(SolveGrasp(&s, &start, al, bet, rwG, aSph));
    p = (p + kStride) % (kSide * kSide);
  }
  state.SetItemsProcessed(state.iterations());
  SetConsoleSink(nullptr, nullptr);
}
BENCHMARK(BM_MapPointOneThread);

// The whole 512 x 512 map on two threads with its table written to
// /dev/null; time per iteration = wall time of the map.
void BM_Map512TwoThreads(benchmark::State &state) {
  const MapRequest req = HandTurnMap(kSide);
  std::vector<unsigned char> outcome(static_cast<std::size_t>(kSide * kSide));
  std::vector<float> shown(outcome.size());
  std::FILE *sink = std::fopen("/dev/null", "wb");
  for (auto _ : state)
    benchmark::DoNotOptimize(
        RunMapSweep(&req, 2, &WriteToSink, sink, outcome.data(), shown.data(), nullptr, nullptr));
  if (sink != nullptr) std::fclose(sink);
  state.SetItemsProcessed(state.iterations() * kSide * kSide);
}
BENCHMARK(BM_Map512TwoThreads)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace
