#include "statics/norm_fast.h"

#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "geom/vecmat.h"
#include "statics/norm_statics.h"
#include "statics/solver_problem.h"
#include "support/console_capture.h"

namespace gs::testing {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int kConfigurations = 5000; // the instrumented build runs a sample
#else
constexpr int kConfigurations = 100000;
#endif

// One random unit vector; with grid set, components from {-1, 0, 1} so that
// axis-aligned, vertical and mirrored contacts (singular candidates) appear.
void RandomDirection(std::mt19937_64 &rng, bool grid, double *u) {
  std::uniform_real_distribution<double> any(-1.0, 1.0);
  std::uniform_int_distribution<int> step(-1, 1);
  double len = 0.0;
  while (len < 1e-3) {
    for (int i = 0; i < 3; i++) u[i] = grid ? step(rng) : any(rng);
    len = NormVec3(u);
  }
  for (int i = 0; i < 3; i++) u[i] /= len;
}

// A random two-contact problem: mostly contacts on a sphere (normals radial),
// some mirrored or opposite pairs, some on the coarse grid, some with normals
// unrelated to the contact points, now and then a larger required force.
SolverProblem RandomProblem(std::mt19937_64 &rng) {
  std::uniform_real_distribution<double> unit(0.0, 1.0), centre(-100.0, 100.0);
  SolverProblem p;
  const double kind = unit(rng);
  for (int i = 0; i < 3; i++) p.RW[i] = (kind < 0.5) ? centre(rng) : 0.0;
  const double r = 1.0 + 149.0 * unit(rng);
  double u1[3], u2[3];
  RandomDirection(rng, kind > 0.8, u1);
  RandomDirection(rng, kind > 0.8, u2);
  if (kind > 0.65 && kind <= 0.8) { // mirrored about a coordinate plane, or opposite
    const int axis = static_cast<int>(unit(rng) * 4.0);
    for (int i = 0; i < 3; i++) u2[i] = (axis == 3 || i == axis) ? -u1[i] : u1[i];
  }
  p.SetContact(1, r, u1[0], u1[1], u1[2]);
  p.SetContact(2, r, u2[0], u2[1], u2[2]);
  if (kind > 0.95) { // normals that do not pass through the centre
    RandomDirection(rng, false, p.nc[1]);
    RandomDirection(rng, false, p.nc[2]);
  }
  if (unit(rng) < 0.05) p.FEXv[2] = 0.5 + 3.0 * unit(rng);
  return p;
}

bool SameBits(const void *a, const void *b, std::size_t n) {
  return std::memcmp(a, b, n) == 0;
}

// The production search and the literal one give the same verdict, the same
// accepted candidate, the same forces bit for bit and the same console lines
// in the same order, on many random configurations.
TEST(NormFast, MatchesLiteralSearchBitForBit) {
  std::mt19937_64 rng(20261208);
  int accepted = 0, messages = 0, mismatches = 0;
  for (int c = 0; c < kConfigurations && mismatches < 5; c++) {
    const SolverProblem start = RandomProblem(rng);
    SolverProblem fast = start, literal = start;
    ConsoleCapture out;
    const int rf = Solve(VeskNormStatics, &fast);
    const std::string fastText = out.text();
    out.clear();
    const int rl = Solve(VeskNormStaticsLiteral, &literal);
    const bool same = rf == rl && fastText == out.text() &&
                      fast.s.normCandidate == literal.s.normCandidate &&
                      fast.s.StaticsStability == literal.s.StaticsStability &&
                      fast.s.sgnStaticsEnd == literal.s.sgnStaticsEnd &&
                      fast.s.staticsSubCase == literal.s.staticsSubCase &&
                      SameBits(fast.FCZ, literal.FCZ, sizeof fast.FCZ) &&
                      SameBits(fast.TCF, literal.TCF, sizeof fast.TCF) &&
                      SameBits(fast.MCZ, literal.MCZ, sizeof fast.MCZ) &&
                      SameBits(fast.tc, literal.tc, sizeof fast.tc) &&
                      SameBits(fast.FC, literal.FC, sizeof fast.FC) &&
                      SameBits(fast.TC, literal.TC, sizeof fast.TC) &&
                      SameBits(fast.MC, literal.MC, sizeof fast.MC);
    if (!same) {
      mismatches++;
      ADD_FAILURE() << "configuration " << c << ": candidate " << fast.s.normCandidate << " vs "
                    << literal.s.normCandidate << ", FCZ[1] " << fast.FCZ[1] << " vs "
                    << literal.FCZ[1] << ", console " << fastText.size() << " vs "
                    << out.text().size() << " bytes";
    }
    accepted += rl;
    messages += fastText.empty() ? 0 : 1;
  }
  // the sample reaches both verdicts and the inverse's messages
  EXPECT_GT(accepted, kConfigurations / 10);
  EXPECT_LT(accepted, kConfigurations * 9 / 10);
  EXPECT_GT(messages, kConfigurations / 100);
}

// Inputs the quick search does not vouch for go the literal way.
TEST(NormFast, AppliesOnlyToTameInputs) {
  SolverProblem p;
  p.SetContact(1, 100.0, 1.0, 0.0, -0.2);
  p.SetContact(2, 100.0, -1.0, 0.1, -0.2);
  EXPECT_EQ(NormFastApplies(p.RC, p.nc, p.RW, p.FEXv), 1);
  p.FEXv[0] = 0.1;
  EXPECT_EQ(NormFastApplies(p.RC, p.nc, p.RW, p.FEXv), 0);
  p.FEXv[0] = 0.0;
  p.RC[2][1] = std::nan("");
  EXPECT_EQ(NormFastApplies(p.RC, p.nc, p.RW, p.FEXv), 0);
  p.RC[2][1] = 2e6;
  EXPECT_EQ(NormFastApplies(p.RC, p.nc, p.RW, p.FEXv), 0);
}

} // namespace
} // namespace gs::testing
