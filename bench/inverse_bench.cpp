// The 6 x 6 inverse of the general statics search: fixed work storage
// against storage allocated and released on every call.
#include <benchmark/benchmark.h>

#include <cmath>

#include "geom/inverse.h"

namespace {

void Fill(double *a) {
  for (int i = 0; i < 6; i++)
    for (int j = 0; j < 6; j++)
      a[i * 6 + j] = std::sin(1.0 + i * 7 + j * 3) + ((i == (j + 2) % 6) ? 3.0 : 0.0);
}

void BM_Inverse6Fixed(benchmark::State &state) {
  double src[36], a[36];
  Fill(src);
  for (auto _ : state) {
    for (int i = 0; i < 36; i++) a[i] = src[i];
    benchmark::DoNotOptimize(gs::inv(6, a, 6));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Inverse6Fixed);

void BM_Inverse6Alloc(benchmark::State &state) {
  double src[36], a[36];
  Fill(src);
  for (auto _ : state) {
    for (int i = 0; i < 36; i++) a[i] = src[i];
    benchmark::DoNotOptimize(gs::InvAlloc(6, a, 6));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Inverse6Alloc);

} // namespace
