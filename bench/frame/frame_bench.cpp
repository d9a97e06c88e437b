// Frame benchmark of the window: how fast the start-up frame and the statics
// frame are drawn and swapped, each beside a reference frame of the same
// content with the drawing's own flushes left out (one finish per frame), and
// what a user waits for: each kind of key from the key to its swapped frame,
// beside one reference frame of the state the key leaves. Needs an X display
// (scripts/frame-bench.sh starts one of its own).
//
// The benchmark is linked with --wrap=glFlush: the reference frames drop the
// flushes the drawing issues; everything else is the same GL stream.
#include <GL/freeglut.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "app/keyboard.h"
#include "grasp/start_up.h"
#include "graspstat/state.h"
#include "graspstat/trace.h"
#include "view/display.h"
#include "view/view_constants.h"
#include "view/window_camera.h"

// false while a reference frame is drawn: the drawing's flushes are dropped
bool g_passFlush = true;

extern "C" void __real_glFlush(void);
extern "C" void __wrap_glFlush(void) {
  if (g_passFlush) __real_glFlush();
}

namespace {

gs::GraspState g_state;
bool g_shown = false;

void ShowFirstFrame() {
  gs::DrawFrame(&g_state);
  g_shown = true;
}

// The general-case search prints the inverse's failure lines; keep them out
// of the benchmark's table.
void DiscardConsole(const char * /*text*/, std::size_t /*len*/, void * /*ctx*/) {}

void Redraw(const gs::GraspState *s, void * /*ctx*/) {
  gs::DrawFrame(s);
}

void StartState(gs::GraspState *s) {
  gs::InitModelState(s);
  gs::StartUp(s);
}

void Keys(gs::GraspState *s, const char *keys) {
  for (const char *k = keys; *k != '\0'; k++)
    gs::KeyboardInterpret(s, static_cast<unsigned char>(*k), nullptr, nullptr);
}

void FrameLoop(benchmark::State &state, gs::GraspState *s) {
  for (auto _ : state) {
    gs::DrawFrame(s);
    glFinish();
  }
  state.counters["fps"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// The same frame with the drawing's flushes dropped: one finish at its end.
void ReferenceLoop(benchmark::State &state, gs::GraspState *s) {
  g_passFlush = false;
  FrameLoop(state, s);
  g_passFlush = true;
}

void StaticsState(gs::GraspState *s) {
  StartState(s);
  Keys(s, "ssSs");
}

void BM_StartupFrame(benchmark::State &state) {
  gs::GraspState s;
  StartState(&s);
  FrameLoop(state, &s);
}
BENCHMARK(BM_StartupFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StartupFrameReference(benchmark::State &state) {
  gs::GraspState s;
  StartState(&s);
  ReferenceLoop(state, &s);
}
BENCHMARK(BM_StartupFrameReference)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StaticsFrame(benchmark::State &state) {
  gs::GraspState s;
  StaticsState(&s);
  if (s.sgnStaticsEnd != 1) state.SkipWithError("statics not reached");
  FrameLoop(state, &s);
}
BENCHMARK(BM_StaticsFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StaticsFrameReference(benchmark::State &state) {
  gs::GraspState s;
  StaticsState(&s);
  ReferenceLoop(state, &s);
}
BENCHMARK(BM_StaticsFrameReference)->Unit(benchmark::kMillisecond)->UseRealTime();

// One kind of key: the keys that bring the start state to where the key is
// typed, and the key.
struct KeyKind {
  const char *name;
  const char *before;
  char key;
};

const KeyKind kKeyKinds[] = {
    {"mode key I", "", 'I'},
    {"view key (mode I, p)", "I", 'p'},
    {"hand key (mode H, Q)", "H", 'Q'},
    {"work key (mode W, x)", "W", 'x'},
    {"contact key (mode A, s)", "", 's'},
    {"contact key, nothing left (mode A, s)", "ss", 's'},
    {"other key (mode A, 0)", "", '0'},
    {"statics key (mode S, s)", "ssS", 's'},
    {"statics key, done (mode S, s)", "ssSs", 's'},
};

// From the key to its swapped and finished frame; the state is set up again
// (untimed) before every key.
void BM_KeyToFrame(benchmark::State &state) {
  const KeyKind &kind = kKeyKinds[state.range(0)];
  gs::GraspState ready;
  StartState(&ready);
  Keys(&ready, kind.before);
  gs::GraspState s;
  for (auto _ : state) {
    state.PauseTiming();
    s = ready;
    state.ResumeTiming();
    gs::KeyboardInterpret(&s, static_cast<unsigned char>(kind.key), &Redraw, &s);
    glFinish();
  }
  state.SetLabel(kind.name);
}
BENCHMARK(BM_KeyToFrame)->DenseRange(0, 8)->Unit(benchmark::kMillisecond)->UseRealTime();

// One reference frame of the state the key leaves, the same set-up around it.
void BM_KeyReferenceFrame(benchmark::State &state) {
  const KeyKind &kind = kKeyKinds[state.range(0)];
  gs::GraspState after;
  StartState(&after);
  Keys(&after, kind.before);
  const char key[2] = {kind.key, '\0'};
  Keys(&after, key);
  gs::GraspState s;
  g_passFlush = false;
  for (auto _ : state) {
    state.PauseTiming();
    s = after;
    state.ResumeTiming();
    gs::DrawFrame(&s);
    glFinish();
  }
  g_passFlush = true;
  state.SetLabel(kind.name);
}
BENCHMARK(BM_KeyReferenceFrame)->DenseRange(0, 8)->Unit(benchmark::kMillisecond)->UseRealTime();

// Hand poses (keys of mode H) tried for a grasp whose statics fall into the
// general case; the one whose statics take longest is used.
const char *const kGeneralPoses[] = {"QP", "Q",  "P",    "QQP", "QPP",
                                     "qP", "Qp", "QQPP", "qqp", "QQQP"};

// Sets s to two computed contacts of the slowest general configuration, in
// mode S; returns the pose keys used, or nullptr when none qualifies.
const char *GeneralCaseState(gs::GraspState *s) {
  const char *slowest = nullptr;
  double worst = -1.0;
  for (const char *pose : kGeneralPoses) {
    gs::GraspState ready;
    StartState(&ready);
    char keys[32];
    std::snprintf(keys, sizeof keys, "H%sAssS", pose);
    Keys(&ready, keys);
    if (ready.cntContact != 2) continue;
    gs::GraspState probe = ready;
    const auto t0 = std::chrono::steady_clock::now();
    Keys(&probe, "s");
    const double took =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (probe.staticsCase == gs::kCaseNorm && took > worst) {
      worst = took;
      slowest = pose;
      *s = ready;
    }
  }
  return slowest;
}

void BM_GeneralCaseKeyToFrame(benchmark::State &state) {
  gs::GraspState ready;
  const char *pose = GeneralCaseState(&ready);
  if (pose == nullptr) {
    state.SkipWithError("no general-case pose found");
    return;
  }
  gs::GraspState s;
  for (auto _ : state) {
    state.PauseTiming();
    s = ready;
    state.ResumeTiming();
    gs::KeyboardInterpret(&s, 's', &Redraw, nullptr);
    glFinish();
  }
  state.SetLabel(std::string("hand keys ") + pose);
}
BENCHMARK(BM_GeneralCaseKeyToFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv) {
  gs::SetConsoleSink(&DiscardConsole, nullptr);
  StartState(&g_state);
  glutInitWindowSize(gs::kWindowWidth, gs::kWindowHeight);
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  gs::CreateMainWindow();
  glutDisplayFunc(ShowFirstFrame);
  glutReshapeFunc(gs::usrreshape);
  glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
  while (!g_shown) glutMainLoopEvent(); // until the window is mapped and drawn once
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
