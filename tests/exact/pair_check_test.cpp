// The exact check of two contacts given anywhere: on contacts placed on a
// sphere it answers as the sphere check; on general contacts its verdict
// lies within the GLPK bracket of inscribed and circumscribed polyhedra and
// its solutions balance within the limits, degenerate placements included;
// it does not depend on the frame or the units; the robust measures repeat
// with their seed and reduce to the plain answers without perturbation.
#include "exact/pair_check.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

#include <gtest/gtest.h>

#include "exact/epsilon.h"
#include "exact/exact_check.h"
#include "exact/pair_robust.h"
#include "geom/vecmat.h"
#include "graspstat/state.h"

#include "exact/polyhedral_lp.h"

namespace gs {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int kPairConfigs = 60; // the sanitizer build runs a smaller sample
#else
constexpr int kPairConfigs = 600;
#endif
constexpr double kAgreeTol = 1e-9; // relative agreement with the sphere check
constexpr double kLpMargin = 1e-4; // load factors this near 1 left to the exact check

// Relative distance of two measures, both NaN or both equal counting as 0.
double Gap(double x, double y) {
  if ((std::isnan(x) && std::isnan(y)) || x == y) return 0.0;
  return std::fabs(x - y) / std::max({1.0, std::fabs(x), std::fabs(y)});
}

void RandomUnit(std::mt19937_64 *rng, double *v) {
  std::normal_distribution<double> N;
  for (int i = 0; i < 3; i++) v[i] = N(*rng);
  UnitVec3(v, v);
}

ExactModel RandomModel(std::mt19937_64 *rng, int i, int law) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  ExactModel m = kDefaultExactModel;
  m.mu = 0.05 + 1.2 * unit(*rng);
  m.rm = (i % 10 == 0) ? 0.0 : 0.4 * unit(*rng);
  m.cap = 1.0 + 30.0 * unit(*rng);
  for (int j = 0; j < 3; j++) {
    m.FEX[j] = 2.0 * unit(*rng) - 1.0;
    m.MEX[j] = (i % 2 == 0) ? 0.0 : 0.5 * (2.0 * unit(*rng) - 1.0);
  }
  m.law = law;
  return m;
}

// The contacts as the sphere check reads them (no hand: its fields 0).
GraspState AsGiven(const ContactPair &g, double a) {
  GraspState s;
  InitModelState(&s);
  s.aSph = a;
  CopyVec3(g.c, s.rwG);
  for (int k = 1; k <= 2; k++) {
    CopyVec3(g.p[k], s.RC[k]);
    CopyVec3(g.n[k], s.NF[k]);
  }
  return s;
}

TEST(PairCheck, AgreesWithTheSphereCheckOnASphere) {
  std::mt19937_64 rng(41);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  double worst[4] = {0.0, 0.0, 0.0, 0.0}; // margin, capacity, muNeeded, forces
  int compared = 0, held = 0;
  for (int i = 0; i < kPairConfigs; i++) {
    ContactPair g{};
    const double a = 0.5 + 2.0 * unit(rng);
    for (int j = 0; j < 3; j++) g.c[j] = 4.0 * unit(rng) - 2.0;
    for (int k = 1; k <= 2; k++) {
      RandomUnit(&rng, g.n[k]);
      for (int j = 0; j < 3; j++) g.p[k][j] = g.c[j] - a * g.n[k][j];
    }
    const GraspState s = AsGiven(g, a);
    for (int law = kContactSoft; law <= kContactElliptic; law++) {
      const ExactModel m = RandomModel(&rng, i, law);
      ExactCheck e, r;
      PairExactCheck(&g, &m, &e);
      ExactContactsCheck(&s, &m, &r);
      if (e.verdict == kExactUndecided || r.verdict == kExactUndecided) continue;
      compared++;
      ASSERT_EQ(e.verdict, r.verdict) << i << " law " << law;
      EXPECT_LE(Gap(e.muNeeded, r.muNeeded), kAgreeTol) << i << " law " << law;
      worst[2] = std::max(worst[2], Gap(e.muNeeded, r.muNeeded));
      if (e.forceClosure >= 0 && r.forceClosure >= 0) {
        EXPECT_EQ(e.forceClosure, r.forceClosure) << i << " law " << law;
      }
      if (!std::isnan(r.capacity)) {
        EXPECT_LE(Gap(e.capacity, r.capacity), kAgreeTol) << i << " law " << law;
        worst[1] = std::max(worst[1], Gap(e.capacity, r.capacity));
      }
      if (e.verdict != kExactHolds) {
        EXPECT_EQ(e.blocking, r.blocking) << i << " law " << law;
        continue;
      }
      held++;
      EXPECT_LE(Gap(e.margin, r.margin), kAgreeTol) << i << " law " << law;
      worst[0] = std::max(worst[0], Gap(e.margin, r.margin));
      const double scale = std::max({1.0, e.FCZ[1], e.FCZ[2]});
      for (int k = 1; k <= 2; k++) {
        double d = std::fabs(e.FCZ[k] - r.FCZ[k]) + std::fabs(e.MCZ[k] - r.MCZ[k]) / a;
        for (int j = 0; j < 3; j++) d += std::fabs(e.T[k][j] - r.T[k][j]);
        worst[3] = std::max(worst[3], d / scale);
        EXPECT_LE(d / scale, kAgreeTol) << i << " law " << law << " contact " << k;
      }
    }
  }
  EXPECT_GT(held, compared / 10);
  std::printf("sphere contacts: %d answers compared, %d hold; largest gaps margin %.2g, capacity "
              "%.2g, mu needed %.2g, forces %.2g\n",
              compared, held, worst[0], worst[1], worst[2], worst[3]);
}

// A random grasp given anywhere; every few a degenerate one: coincident
// points, normals along or across the line through the contacts, equal or
// opposite normals.
ContactPair RandomContacts(std::mt19937_64 *rng, int i) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  ContactPair g{};
  for (int j = 0; j < 3; j++) g.c[j] = unit(*rng) - 0.5;
  for (int k = 1; k <= 2; k++) {
    RandomUnit(rng, g.n[k]);
    for (int j = 0; j < 3; j++) g.p[k][j] = 2.0 * unit(*rng) - 1.0;
  }
  // the second normal mostly facing the first contact
  Vec3 d;
  SubVec3(g.p[1], g.p[2], d);
  UnitVec3(d, d);
  for (int j = 0; j < 3; j++) g.n[2][j] += 1.5 * d[j];
  for (int j = 0; j < 3; j++) g.n[1][j] -= 1.5 * d[j];
  UnitVec3(g.n[1], g.n[1]);
  UnitVec3(g.n[2], g.n[2]);
  switch (i % 12) {
  case 1: // one point, with and without a required moment
  case 6:
    CopyVec3(g.p[1], g.p[2]);
    break;
  case 3: // normals along the line through the contacts
    NegVec3(d, g.n[1]);
    CopyVec3(d, g.n[2]);
    break;
  case 5: // both normals across that line, with and without a required moment
  case 10: {
    Vec3 a, b;
    CrossVec3(d, g.n[1], a);
    UnitVec3(a, a);
    CrossVec3(a, d, b);
    CopyVec3(b, g.n[1]);
    NegVec3(a, g.n[2]);
    break;
  }
  case 7: // equal normals
    CopyVec3(g.n[1], g.n[2]);
    break;
  case 9: // opposite normals
    NegVec3(g.n[1], g.n[2]);
    break;
  default:
    break;
  }
  return g;
}

// Over random contacts anywhere, each law: a load the inscribed polyhedra
// hold is held, one the circumscribed cannot hold is not; every reported
// solution balances within the limits; the capacity and the friction
// needed agree with the verdict.
TEST(PairCheck, GlpkBracketOnContactsAnywhere) {
  const std::vector<std::array<double, 3>> disc = FacetDirections(false, 16);
  const std::vector<std::array<double, 3>> sphere = FacetDirections(true, 48);
  const double discIn = std::cos(M_PI / 16), ballIn = std::cos(CoveringAngle(sphere));
  std::mt19937_64 rng(43);
  int count[4] = {0, 0, 0, 0}, shown = 0;
  for (int i = 0; i < kPairConfigs; i++) {
    const ContactPair g = RandomContacts(&rng, i);
    const GraspState s = AsGiven(g, 0.0);
    for (int law = kContactSoft; law <= kContactElliptic; law++) {
      ExactModel m = RandomModel(&rng, i, law);
      if (i % 12 == 10) {
        // no twist about the contact line, which normals across it cannot resist
        Vec3 d, r, pf;
        SubVec3(g.p[2], g.p[1], d);
        UnitVec3(d, d);
        SubVec3(g.p[1], g.c, r);
        CrossVec3(r, m.FEX, pf);
        const double twist = DotVec3(m.MEX, d) - DotVec3(pf, d);
        for (int j = 0; j < 3; j++) m.MEX[j] -= twist * d[j];
      }
      ExactCheck e;
      const int v = PairExactCheck(&g, &m, &e);
      ASSERT_TRUE(v == kExactHolds || v == kExactCannotHold || v == kExactUndecided) << i;
      count[v]++;
      if (v == kExactHolds) {
        EXPECT_EQ(ExactBalanceKept(g.p, g.n, g.c, e.FCZ, e.T, e.MCZ, &m), 1) << i << " law " << law;
        EXPECT_GE(e.margin, 0.0);
      }
      if (v == kExactUndecided) continue;
      EXPECT_EQ(e.muNeeded <= m.mu, v == kExactHolds) << i << " law " << law;
      if (!std::isnan(e.capacity)) {
        EXPECT_EQ(e.capacity >= 1.0, v == kExactHolds) << i << " law " << law;
      }
      const bool ball = law == kContactElliptic && m.rm > 0.0;
      PolyhedralLp lp(s, m, ball ? sphere : disc);
      const double load[6] = {m.FEX[0], m.FEX[1], m.FEX[2], m.MEX[0], m.MEX[1], m.MEX[2]};
      const double inner = lp.Capacity(m.mu, ball ? ballIn : discIn, m.cap, load);
      const double outer = lp.Capacity(m.mu, 1.0, m.cap, load);
      if (inner >= 1.0 + kLpMargin) {
        shown++;
        EXPECT_EQ(v, kExactHolds) << i << " law " << law << " inner " << inner;
      }
      if (outer <= 1.0 - kLpMargin) {
        shown++;
        EXPECT_EQ(v, kExactCannotHold) << i << " law " << law << " outer " << outer;
      }
    }
  }
  EXPECT_GT(shown, kPairConfigs);
  std::printf("contacts anywhere: holds %d, cannot hold %d, undecided %d; %d told by the LPs\n",
              count[kExactHolds], count[kExactCannotHold], count[kExactUndecided], shown);
}

// Contacts at one point without a required moment answer as a point work
// there (the friction moments then vanish).
TEST(PairCheck, OnePointAsAPointWork) {
  std::mt19937_64 rng(59);
  int held = 0;
  // three free force components: slow, so few grasps, most loads pushed
  // into the two normals
  for (int i = 0; i < std::max(10, kPairConfigs / 30); i++) {
    ContactPair g{};
    RandomUnit(&rng, g.c);
    RandomUnit(&rng, g.n[1]);
    RandomUnit(&rng, g.n[2]);
    CopyVec3(g.c, g.p[1]);
    CopyVec3(g.c, g.p[2]);
    ExactModel m = RandomModel(&rng, 2 * i, i % 3);
    for (int j = 0; j < 3; j++) m.FEX[j] = 0.3 * m.FEX[j] + 0.6 * (g.n[1][j] + g.n[2][j]);
    ExactCheck e, r;
    PairExactCheck(&g, &m, &e);
    const GraspState s = AsGiven(g, 0.0);
    ExactContactsCheck(&s, &m, &r);
    if (e.verdict == kExactUndecided || r.verdict == kExactUndecided) continue;
    ASSERT_EQ(e.verdict, r.verdict) << i;
    EXPECT_LE(Gap(e.muNeeded, r.muNeeded), 1e-7) << i;
    EXPECT_LE(Gap(e.capacity, r.capacity), 1e-7) << i;
    held += e.verdict == kExactHolds;
  }
  EXPECT_GT(held, 0);
}

// Turned, moved and given in other units, a grasp keeps its verdict and
// measures, and its forces change with the units.
TEST(PairCheck, FrameAndUnitsDoNotMatter) {
  std::mt19937_64 rng(47);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int i = 0; i < kPairConfigs / 10; i++) {
    const ContactPair g = RandomContacts(&rng, i);
    const ExactModel m = RandomModel(&rng, i, i % 3);
    Mat3 R, Rx, Rz;
    RotX3(6.0 * unit(rng), Rx);
    RotZ3(6.0 * unit(rng), Rz);
    MulMat3(Rz, Rx, R);
    const double Lf = std::pow(10.0, 6.0 * unit(rng) - 3.0),
                 Ff = std::pow(10.0, 6.0 * unit(rng) - 3.0);
    const Vec3 shift = {100.0 * unit(rng), -50.0, 7.0};
    ContactPair h{};
    ExactModel mh = m;
    auto place = [&](const double *p, double *out) {
      MulMatVec3(R, p, out);
      for (int j = 0; j < 3; j++) out[j] = Lf * (out[j] + shift[j]);
    };
    place(g.c, h.c);
    for (int k = 1; k <= 2; k++) {
      place(g.p[k], h.p[k]);
      MulMatVec3(R, g.n[k], h.n[k]);
    }
    MulMatVec3(R, m.FEX, mh.FEX);
    MulMatVec3(R, m.MEX, mh.MEX);
    for (int j = 0; j < 3; j++) {
      mh.FEX[j] *= Ff;
      mh.MEX[j] *= Ff * Lf;
    }
    mh.cap *= Ff;
    mh.rm *= Lf;
    ExactCheck e, f;
    PairExactCheck(&g, &m, &e);
    PairExactCheck(&h, &mh, &f);
    if (e.verdict == kExactUndecided || f.verdict == kExactUndecided) continue;
    ASSERT_EQ(e.verdict, f.verdict) << i;
    EXPECT_LE(Gap(e.muNeeded, f.muNeeded), 1e-7) << i;
    EXPECT_LE(Gap(e.capacity, f.capacity), 1e-7) << i;
    EXPECT_EQ(e.blocking, f.blocking) << i;
    if (e.verdict == kExactHolds) {
      EXPECT_LE(Gap(e.margin, f.margin), 1e-7) << i;
      for (int k = 1; k <= 2; k++) {
        EXPECT_NEAR(f.FCZ[k] / Ff, e.FCZ[k], 1e-6 * std::max({1.0, e.FCZ[1], e.FCZ[2]})) << i;
      }
    }
  }
}

bool Same(double x, double y) {
  return (std::isnan(x) && std::isnan(y)) || x == y;
}

// Without perturbation every sample is the grasp itself; equal seeds give
// equal measures.
TEST(PairRobust, ReducesToThePlainAnswerAndRepeats) {
  std::mt19937_64 rng(53);
  for (int i = 0; i < 6; i++) {
    const ContactPair g = RandomContacts(&rng, 2 * i);
    const ExactModel m = RandomModel(&rng, i, i % 3);
    const double radius = i % 2 == 0 ? 0.0 : 1.0;
    RobustOptions o = {5, 0.0, 0.0, 0.0, 99u + i};
    RobustMeasures r;
    ASSERT_EQ(PairRobust(&g, &m, radius, 0.0, kEpsilonProofBoxes, kEpsilonFormBoth, &o, &r), 5);
    ExactCheck e;
    PairExactCheck(&g, &m, &e);
    GraspEpsilon eps;
    PairEpsilon(&g, &m, 0.0, &eps);
    EXPECT_EQ(r.pHolds, e.verdict == kExactHolds ? 1.0 : 0.0) << i;
    EXPECT_EQ(r.pForceClosure, e.forceClosure == 1 ? 1.0 : 0.0) << i;
    EXPECT_TRUE(Same(r.capacityP05, e.capacity)) << i;
    EXPECT_TRUE(Same(r.epsilonInfMean, eps.inf.value)) << i;
    EXPECT_TRUE(Same(r.epsilonInfP05, eps.inf.value)) << i;
    o.sigmaPoint = 0.02;
    o.sigmaNormal = 0.05;
    o.sigmaMu = 0.1;
    RobustMeasures r1, r2;
    PairRobust(&g, &m, radius, 0.0, kEpsilonProofBoxes, kEpsilonFormBoth, &o, &r1);
    PairRobust(&g, &m, radius, 0.0, kEpsilonProofBoxes, kEpsilonFormBoth, &o, &r2);
    EXPECT_EQ(std::memcmp(&r1, &r2, sizeof r1), 0) << i;
    EXPECT_GE(r1.pHolds, 0.0);
    EXPECT_LE(r1.pHolds, 1.0);
  }
  RobustOptions none = {0, 0.0, 0.0, 0.0, 1u};
  RobustMeasures r;
  const ContactPair g = RandomContacts(&rng, 0);
  EXPECT_EQ(PairRobust(&g, &kDefaultExactModel, 0.0, 0.0, kEpsilonProofBoxes, kEpsilonFormBoth,
                       &none, &r),
            0);
  EXPECT_TRUE(std::isnan(r.pHolds) && std::isnan(r.capacityP05));
}

} // namespace
} // namespace gs
