// Cost per pose of the streaming solve (read a line, solve, write its JSON
// line) against its reference in the same run: one in-process solve of the
// same pose (RunSolve: start-up, both contacts, the statics, the exact
// check), without reading or writing. An iteration of either walks the
// same random poses once, so the two times compare directly.
// Run with --benchmark_repetitions=9 --benchmark_enable_random_interleaving
// and compare the medians.
#include <benchmark/benchmark.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "graspstat/grasp.h"
#include "tools/solve_stream.h"

namespace {

using namespace gs;

constexpr int kPoses = 256;

struct Pose {
  double al, bet, rwG[3], aSph;
};

// Hand angles over a half turn each way, works about the start-up work.
const std::vector<Pose> &Poses() {
  static const std::vector<Pose> poses = [] {
    std::mt19937 rng(29);
    std::uniform_real_distribution<double> angle(-1.6, 1.6);
    std::uniform_real_distribution<double> offset(-30.0, 30.0);
    std::uniform_real_distribution<double> radius(30.0, 70.0);
    std::vector<Pose> p(kPoses);
    for (Pose &q : p) {
      q.al = angle(rng);
      q.bet = angle(rng);
      q.rwG[0] = offset(rng);
      q.rwG[1] = 80.0 + offset(rng);
      q.rwG[2] = offset(rng);
      q.aSph = radius(rng);
    }
    return p;
  }();
  return poses;
}

// The poses as the stream reads them, one "AL BET X Y Z R" line each.
const std::string &PoseLines() {
  static const std::string text = [] {
    std::ostringstream lines;
    lines.precision(17);
    for (const Pose &q : Poses())
      lines << q.al << ' ' << q.bet << ' ' << q.rwG[0] << ' ' << q.rwG[1] << ' ' << q.rwG[2] << ' '
            << q.aSph << '\n';
    return lines.str();
  }();
  return text;
}

// An output stream that keeps nothing.
class NullBuffer : public std::streambuf {
protected:
  std::streamsize xsputn(const char *, std::streamsize n) override { return n; }
  int overflow(int c) override { return c; }
};

void BM_InProcessSolve(benchmark::State &state) {
  BatchRun run{};
  for (auto _ : state)
    for (const Pose &q : Poses())
      benchmark::DoNotOptimize(RunSolve(&run, q.al, q.bet, q.rwG, q.aSph));
  state.SetItemsProcessed(state.iterations() * kPoses);
}
BENCHMARK(BM_InProcessSolve)->Unit(benchmark::kMicrosecond);

void BM_SolveStream(benchmark::State &state) {
  NullBuffer nothing;
  std::ostream out(&nothing);
  std::ostream err(&nothing);
  const StreamRequest req{0, "", "bench"};
  long malformed = 0;
  for (auto _ : state) {
    std::istringstream in(PoseLines());
    benchmark::DoNotOptimize(SolveStream(in, out, err, req, &malformed));
  }
  state.SetItemsProcessed(state.iterations() * kPoses);
}
BENCHMARK(BM_SolveStream)->Unit(benchmark::kMicrosecond);

} // namespace
