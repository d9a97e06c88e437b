// One finger's contact calculation: the link path (start-up scene) and the
// fingertip path (work beyond the link end).
#include <benchmark/benchmark.h>

#include "contact/sphere_contact.h"
#include "grasp/start_up.h"
#include "graspstat/state.h"

namespace {

void RunContact(benchmark::State &state, double y, double z) {
  gs::GraspState s;
  gs::InitModelState(&s);
  gs::StartUp(&s);
  s.rwG[1] = y;
  s.rwG[2] = z;
  double qc = 0, L = 0;
  gs::Vec3 RC, NF, NW;
  for (auto _ : state) {
    benchmark::DoNotOptimize(gs::VeskSphereContanct(&s, 2, s.rwG, s.aSph, &qc, &L, RC, NF, NW));
    benchmark::ClobberMemory();
  }
}

void BM_ContactLink(benchmark::State &state) {
  RunContact(state, 80.0, 0.0);
}
BENCHMARK(BM_ContactLink);

void BM_ContactFingertip(benchmark::State &state) {
  RunContact(state, 60.0, 160.0);
}
BENCHMARK(BM_ContactFingertip);

} // namespace
