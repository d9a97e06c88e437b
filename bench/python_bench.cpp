// Cost of the Python module against the same calculations in process, in
// the same run: one solve through graspstat.solve against RunSolve (the
// batch tool's solve without its JSON text) on the same poses, and a map
// point through graspstat.sweep against RunMapSweep writing the table (the
// map's own cost per point). The interpreter is embedded; the module is
// imported from the build tree.
#include <benchmark/benchmark.h>
#include <pybind11/embed.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "bench/hand_turn_map.h"
#include "graspstat/grasp.h"
#include "graspstat/map.h"

namespace py = pybind11;

namespace {

// Writes table text to the FILE ctx; returns 1, or 0 when it fell short.
int WriteToSink(const char *text, std::size_t n, void *ctx) {
  return std::fwrite(text, 1, n, static_cast<std::FILE *>(ctx)) == n ? 1 : 0;
}

using namespace gs;

constexpr int kPoses = 64;
constexpr long kSide = 128;

struct Pose {
  double al, bet;
  Vec3 work;
  double radius;
};

// Poses around the start-up grasp: hand turned up to a quarter turn, work
// moved a little and resized; most reach both contacts.
std::vector<Pose> Poses() {
  std::vector<Pose> poses;
  for (int i = 0; i < kPoses; i++) {
    const double t = static_cast<double>(i) / kPoses;
    poses.push_back(Pose{1.5 * std::sin(7.0 * t),
                         1.5 * std::cos(5.0 * t),
                         {10.0 * std::sin(3.0 * t), 80.0 + 10.0 * std::cos(2.0 * t), 0.0},
                         30.0 + 20.0 * t});
  }
  return poses;
}

py::module_ &Module() {
  static py::module_ m = [] {
    py::module_::import("sys").attr("path").attr("insert")(0, GRASPSTAT_PYTHON_DIR);
    return py::module_::import("graspstat");
  }();
  return m;
}

// Reference: the calculation of one solve as the batch tool runs it.
void BM_SolveInProcess(benchmark::State &state) {
  const std::vector<Pose> poses = Poses();
  BatchRun run{};
  int i = 0;
  for (auto _ : state) {
    const Pose &p = poses[static_cast<std::size_t>(i++ % kPoses)];
    benchmark::DoNotOptimize(RunSolve(&run, p.al, p.bet, p.work, p.radius));
  }
}
BENCHMARK(BM_SolveInProcess);

// The same solves through graspstat.solve, result object included.
void BM_SolvePython(benchmark::State &state) {
  const std::vector<Pose> poses = Poses();
  py::object solve = Module().attr("solve");
  std::vector<py::tuple> args;
  for (const Pose &p : poses)
    args.push_back(py::make_tuple(py::make_tuple(p.al, p.bet),
                                  py::make_tuple(p.work[0], p.work[1], p.work[2]), p.radius));
  int i = 0;
  for (auto _ : state) {
    py::object r = solve(*args[static_cast<std::size_t>(i++ % kPoses)]);
    benchmark::DoNotOptimize(r.ptr());
  }
}
BENCHMARK(BM_SolvePython);

// Reference: the map's in-process cost, 128 x 128 hand-turn points with the
// table written to /dev/null; items = points.
void BM_MapInProcess(benchmark::State &state) {
  const MapRequest req = HandTurnMap(kSide);
  const int threads = static_cast<int>(state.range(0));
  std::vector<unsigned char> outcome(static_cast<std::size_t>(kSide * kSide));
  std::vector<float> margin(outcome.size());
  std::FILE *sink = std::fopen("/dev/null", "wb");
  for (auto _ : state)
    benchmark::DoNotOptimize(RunMapSweep(&req, threads, &WriteToSink, sink, outcome.data(),
                                         margin.data(), nullptr, nullptr));
  if (sink != nullptr) std::fclose(sink);
  state.SetItemsProcessed(state.iterations() * kSide * kSide);
}
BENCHMARK(BM_MapInProcess)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same map through graspstat.sweep, numpy columns included.
void BM_MapPython(benchmark::State &state) {
  py::object sweep = Module().attr("sweep");
  py::tuple x = py::make_tuple("alHand", -180.0, 180.0, kSide);
  py::tuple y = py::make_tuple("betHand", -180.0, 180.0, kSide);
  py::dict kw;
  kw["deg"] = true;
  kw["threads"] = state.range(0);
  for (auto _ : state) {
    py::object cols = sweep(x, y, **kw);
    benchmark::DoNotOptimize(cols.ptr());
  }
  state.SetItemsProcessed(state.iterations() * kSide * kSide);
}
BENCHMARK(BM_MapPython)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv) {
  py::scoped_interpreter python;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
