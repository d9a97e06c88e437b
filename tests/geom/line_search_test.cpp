// The one-dimensional searches against a brute-force scan: Brent's root
// finder on random monotone functions over bracket scales from 1e-9 to 1e9,
// and golden-section steps on random unimodal functions.
#include "geom/line_search.h"

#include <cmath>
#include <random>

#include <gtest/gtest.h>

namespace gs {
namespace {

TEST(LineSearch, RootFinderAgainstAScan) {
  std::mt19937_64 rng(24);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int i = 0; i < 300; i++) {
    const double scale = std::pow(10.0, -9.0 + 18.0 * unit(rng));
    const double root = scale * (0.05 + 0.9 * unit(rng)), p = 0.3 + 3.0 * unit(rng);
    // falling through zero at root, kinked or curved by p
    auto f = [&](double x) {
      const double d = (root - x) / scale;
      return std::copysign(std::pow(std::fabs(d), p), d) + (i % 3 == 0 ? 0.5 * d : 0.0);
    };
    const double rel = 1e-12;
    const double x = ZeroIn(f, 0.0, f(0.0), scale, f(scale), 0.0, rel);
    EXPECT_LE(f(x), 0.0) << i;
    // a scan of 1e5 cells finds the cell of the sign change; the answer lies
    // in it, and no farther from the root than the tolerance asks
    const int cells = 100000;
    int cell = 0;
    while (cell < cells && f(scale * (cell + 1) / cells) > 0.0) cell++;
    EXPECT_GE(x, scale * cell / cells * (1.0 - 1e-15)) << i;
    EXPECT_LE(x, scale * (cell + 1) / cells * (1.0 + 1e-15)) << i;
    EXPECT_LE(std::fabs(x - root), 4.0 * rel * root + 8.0 * DBL_EPSILON * root) << i;
  }
}

TEST(LineSearch, GoldenStepsAgainstAScan) {
  std::mt19937_64 rng(25);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int i = 0; i < 300; i++) {
    const double c = unit(rng), p = 0.5 + 2.0 * unit(rng), s = 0.2 + 5.0 * unit(rng);
    // unimodal, steeper on one side
    auto f = [&](double x) { return x < c ? std::pow(c - x, p) : s * std::pow(x - c, p); };
    double a = 0.0, b = 1.0, x1 = b - kGolden * (b - a), x2 = a + kGolden * (b - a);
    double v1 = f(x1), v2 = f(x2);
    for (int k = 0; k < 80 && b - a > 1e-12; k++) GoldenStep(f, &a, &b, &x1, &x2, &v1, &v2);
    double best = 0.0;
    for (int k = 0; k <= 100000; k++)
      if (f(k / 1e5) < f(best)) best = k / 1e5;
    EXPECT_LE(std::fabs(0.5 * (a + b) - best), 1e-5) << i;
    EXPECT_LE(a, c + 1e-12) << i;
    EXPECT_GE(b, c - 1e-12) << i;
  }
}

} // namespace
} // namespace gs
