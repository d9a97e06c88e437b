// The statics driver: case classification, the scenes of the start work, and
// the balance of every stable grasp over many computed contact pairs.
#include "statics/statics.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "contact/sphere_contact.h"
#include "geom/vecmat.h"
#include "grasp/start_up.h"
#include "graspstat/constants.h"
#include "hand/kinematics.h"
#include "statics/solver_problem.h"
#include "support/console_capture.h"

namespace gs::testing {
namespace {

// Sets the hand pose and computes both contacts as the contact key does;
// returns how many fingers touch the work.
int ComputeContacts(GraspState *s, double al, double bet) {
  s->alHand = al;
  s->betHand = bet;
  HandKinematics(s, al, bet);
  int touching = 0;
  for (int n = 1; n <= 2; n++) {
    double L = 0.0;
    touching +=
        VeskSphereContanct(s, n, s->rwG, s->aSph, &s->qqf[n][1], &L, s->RC[n], s->NF[n], s->NW[n]);
    CopyVec3(s->NW[n], s->nc[n]);
  }
  return touching;
}

class Statics : public ::testing::Test {
protected:
  void SetUp() override {
    InitModelState(&s);
    StartUp(&s);
  }
  // The start work with the hand turned by the given number of Q presses.
  int PressQ(int presses) {
    double bet = 0.0;
    for (int i = 0; i < presses; i++) bet += kHandStep;
    return ComputeContacts(&s, 0.0, bet);
  }
  GraspState s;
};

TEST(StaticsClassification, CasesOfTheTypicalConfigurations) {
  const double RW[3] = {10.0, 20.0, 30.0};
  // contacts at RW + a, RW + b with radial outward normals
  auto classify = [&](const double *a, const double *b) {
    Vec3 RC[3] = {}, nc[3] = {};
    AddVec3(RW, a, RC[1]);
    AddVec3(RW, b, RC[2]);
    UnitVec3(a, nc[1]);
    UnitVec3(b, nc[2]);
    return ClassifyStatics(RC, nc, RW);
  };
  const double px[3] = {100, 0, 0}, mx[3] = {-100, 0, 0}, py[3] = {0, 100, 0}, pz[3] = {0, 0, 100},
               oblique[3] = {0, 60, 80};
  EXPECT_EQ(classify(px, mx), kCaseSP3); // collinear comes before horizontal
  EXPECT_EQ(classify(px, px), kCaseSP3);
  EXPECT_EQ(classify(px, py), kCaseSP1);
  EXPECT_EQ(classify(py, pz), kCaseSP2);
  EXPECT_EQ(classify(px, oblique), kCaseNorm);
  const double azimuth[3] = {60, 80, 0}, up[3] = {30, 40, 120}; // vertical plane at an azimuth
  EXPECT_EQ(classify(azimuth, up), kCaseSP2);
  // a z component of exactly EPS4 is not horizontal; just below it is
  Vec3 RC[3] = {{0, 0, 0}, {100, 0, EPS4}, {0, 100, 0}}, nc[3] = {};
  CopyVec3(eX, nc[1]);
  CopyVec3(eY, nc[2]);
  EXPECT_EQ(ClassifyStatics(RC, nc, zeroVec), kCaseNorm);
  RC[1][2] = 0.99 * EPS4;
  EXPECT_EQ(ClassifyStatics(RC, nc, zeroVec), kCaseSP1);
}

TEST_F(Statics, StartUpSceneIsVerticalAndStable) {
  ASSERT_EQ(PressQ(0), 2);
  ConsoleCapture out;
  EXPECT_EQ(VeskStatics(&s), 1);
  EXPECT_EQ(s.staticsCase, kCaseSP2);
  EXPECT_EQ(s.staticsSubCase, kSubNone);
  EXPECT_EQ(s.normCandidate, 0);
  EXPECT_EQ(s.StaticsStability, 1);
  EXPECT_EQ(s.sgnStaticsEnd, 2);
  ExpectPair(s.FCZ, 1.2, 0.1914);
  ExpectPair(s.TCF, 0.0915, 0.0915);
  ExpectVec(s.tc[1], 0.0, -0.9915, 0.1303);
  ExpectVec(s.tc[2], 0.0, -0.9915, -0.1303);
  for (int k = 1; k <= 2; k++)
    for (int i = 0; i < 3; i++) EXPECT_EQ(s.nc[k][i], s.NW[k][i]);
  const auto r = BalanceResidual(s.RC, s.rwG, kCaseLoad, s.FCZ, s.FC, s.TC, s.MC);
  EXPECT_LT(r.force, 1e-3);
  EXPECT_LT(r.moment, 1e-3);
  EXPECT_EQ(out.text(), "");
}

TEST_F(Statics, OnePressOfQIsGeneralAtCandidate65) {
  ASSERT_EQ(PressQ(1), 2);
  ExpectVec(s.RC[1], -7.7550, 73.4835, -48.9632);
  ExpectVec(s.NF[2], -0.1551, 0.1303, -0.9793);
  ConsoleCapture out;
  EXPECT_EQ(VeskStatics(&s), 1);
  EXPECT_EQ(s.staticsCase, kCaseNorm);
  EXPECT_EQ(s.staticsSubCase, kSubNone);
  EXPECT_EQ(s.normCandidate, 65);
  ExpectPair(s.FCZ, 2.3221, 1.3259);
  ExpectPair(s.TCF, 0.2477, 0.2576);
  ExpectPair(s.MCZ, 6.5952, 5.5670);
  // the symmetric candidates on the way are singular; zero pivots report
  EXPECT_NE(out.text().find(" row = "), std::string::npos);
  EXPECT_NE(out.text().find(", no inverse"), std::string::npos);
  const auto r = BalanceResidual(s.RC, s.rwG, kCaseLoad, s.FCZ, s.FC, s.TC, s.MC);
  EXPECT_LT(r.force, 1e-9);
  EXPECT_LT(r.moment, 1e-9);
}

TEST_F(Statics, TenPressesOfQAreHorizontal) {
  ASSERT_EQ(PressQ(10), 2);
  ConsoleCapture out;
  EXPECT_EQ(VeskStatics(&s), 1);
  EXPECT_EQ(s.staticsCase, kCaseSP1);
  EXPECT_EQ(s.staticsSubCase, kSubSP11_1);
  EXPECT_NEAR(s.TC[1][2], 0.5, kTol); // TCZ
  EXPECT_NEAR(s.TC[2][2], 0.5, kTol);
  ExpectPair(s.MCZ, 3.2863, -3.2863);
  ExpectPair(s.FCZ, 1.0482, 1.0482);
  EXPECT_NEAR(s.TCF[1], 0.5186, kTol);
  ExpectVec(s.tc[1], 0.0346, -0.2634, 0.9641);
  ExpectVec(s.tc[2], -0.0346, -0.2634, 0.9641);
  EXPECT_EQ(out.text(), "");
}

TEST_F(Statics, RecordIsResetOnEveryCall) {
  ConsoleCapture out;
  ASSERT_EQ(PressQ(1), 2);
  VeskStatics(&s);
  ASSERT_EQ(s.normCandidate, 65);
  ASSERT_EQ(PressQ(10), 2);
  VeskStatics(&s);
  EXPECT_EQ(s.normCandidate, 0);
  EXPECT_EQ(s.staticsSubCase, kSubSP11_1);
  ASSERT_EQ(PressQ(0), 2);
  VeskStatics(&s);
  EXPECT_EQ(s.staticsCase, kCaseSP2);
  EXPECT_EQ(s.staticsSubCase, kSubNone);
}

TEST_F(Statics, NanContactsNeverGiveAStableGrasp) {
  ASSERT_EQ(PressQ(0), 2);
  s.RC[2][1] = std::numeric_limits<double>::quiet_NaN(); // every case test fails: collinear
  ConsoleCapture out;
  EXPECT_EQ(VeskStatics(&s), 0);
  EXPECT_EQ(s.staticsCase, kCaseSP3);
  EXPECT_EQ(s.StaticsStability, 0);
}

TEST_F(Statics, TraceNamesTheCaseAndTheSolver) {
  ASSERT_EQ(PressQ(0), 2);
  ConsoleCapture out;
  TraceOn on(kTraceStatics);
  VeskStatics(&s);
  const std::string &t = out.text();
  EXPECT_TRUE(StartsWith(t,
                         "\n■----------VeskStatics()始め----------------------------------------■"
                         "\n  RW[]=(  0.0000 80.0000  0.0000)\n  k=1\n  RC[1]="));
  EXPECT_NE(t.find("\n  nc[z]/sqrt(nc[x,y])="), std::string::npos);
  EXPECT_NE(t.find("  sgnP1=1\n  P2[]="), std::string::npos);
  EXPECT_NE(t.find("\n → SP2:全ベクトルYZ面内\ngetch()\n■SP2:------------------YZStatics() "
                   "---------------------------------■\n  RW[]="),
            std::string::npos);
  EXPECT_TRUE(EndsWith(t, "\ngetch()")); // the solver itself stays silent
}

// Contact pairs from random hand poses and work spheres: every stable grasp
// balances FEX and keeps its friction within the limits. Families aim at the
// special cases: a hand turned only about X with the work on its mid plane
// (vertical plane), the upright hand (horizontal plane), each exact and
// tilted by less than the classification admits, a work of radius 40 whose
// link contacts lie at opposite poles (collinear, any orientation), and a
// work of radius 0.
TEST(StaticsProperty, StableGraspsBalance) {
  enum Family {
    kGeneral,
    kVertical,
    kVerticalTilted,
    kFlat,
    kFlatTilted,
    kCollinear,
    kPointWork,
    kFamilies
  };
  std::mt19937 rng(20240607);
  std::uniform_real_distribution<double> turn(-3.14159, 3.14159), unit(-1.0, 1.0);
  const double quarter = std::acos(0.0);
  struct Seen {
    int pairs = 0, stable = 0;
    double force = 0.0, moment = 0.0, friction = 0.0;
  } seen[5][2]; // case, tilted family
  constexpr int kPerFamily = 1500;
  ConsoleCapture out;
  for (int family = 0; family < kFamilies; family++) {
    const bool tilted = family == kVerticalTilted || family == kFlatTilted;
    for (int i = 0; i < kPerFamily; i++) {
      GraspState s;
      InitModelState(&s);
      StartUp(&s);
      double al = turn(rng), bet = turn(rng);
      double hand[3] = {30.0 * unit(rng), 90.0 + 60.0 * unit(rng), 40.0 * unit(rng)};
      s.aSph = 60.0 + 55.0 * unit(rng);
      if (family == kVertical || family == kVerticalTilted) {
        bet = tilted ? 2e-5 * unit(rng) : 0.0;
        hand[0] = 0.0;
      } else if (family == kFlat || family == kFlatTilted) {
        al = tilted ? 2e-6 * unit(rng) : 0.0;
        bet = (unit(rng) < 0.0) ? -quarter : quarter;
        if (tilted) bet = (bet < 0.0) ? -kHalfPi : kHalfPi; // the key's pose
        hand[0] = tilted ? 1e-5 * unit(rng) : 0.0;
      } else if (family == kCollinear) {
        s.aSph = 40.0;
        hand[0] = 0.0;
        hand[2] = 0.0;
      } else if (family == kPointWork) {
        s.aSph = 0.0;
      }
      HandKinematics(&s, al, bet);
      MulMatVec3(s.EA, hand, s.rwG);
      if (ComputeContacts(&s, al, bet) != 2) continue;
      out.clear();
      const int stable = VeskStatics(&s);
      Seen &c = seen[s.staticsCase][tilted ? 1 : 0];
      c.pairs++;
      if (stable == 0) continue;
      c.stable++;
      for (int k = 1; k <= 2; k++) {
        ASSERT_TRUE(std::isfinite(s.FCZ[k]) && std::isfinite(s.TCF[k]) && std::isfinite(s.MCZ[k]));
        if (s.staticsCase == kCaseNorm) {
          EXPECT_LE(std::fabs(s.MCZ[k]), kCaseMu * kCaseRm * s.FCZ[k] + 1e-12);
        }
      }
      const auto r = BalanceResidual(s.RC, s.rwG, kCaseLoad, s.FCZ, s.FC, s.TC, s.MC);
      c.force = std::max(c.force, r.force);
      c.moment = std::max(c.moment, r.moment);
      c.friction = std::max(c.friction, r.friction);
    }
  }
  const char *names[5] = {"none", "SP1", "SP2", "SP3", "Norm"};
  for (int cs = 1; cs <= 4; cs++) {
    for (int tilted = 0; tilted <= 1; tilted++) {
      const Seen &c = seen[cs][tilted];
      if (c.pairs == 0) continue;
      std::printf(
          "%-4s %-7s pairs %5d stable %5d  max |F - FEX| %.2e  max |M| %.2e  friction %.1e\n",
          names[cs], tilted ? "tilted" : "", c.pairs, c.stable, c.force, c.moment, c.friction);
      // in-plane solvers ignore what the tolerances let out of their plane
      const double tol = (tilted && (cs == kCaseSP1 || cs == kCaseSP2)) ? 1e-3 : 1e-9;
      EXPECT_LE(c.force, tol) << names[cs];
      EXPECT_LE(c.moment, tol) << names[cs];
      EXPECT_LE(c.friction, 1e-12) << names[cs];
    }
  }
  for (int cs = 1; cs <= 4; cs++) EXPECT_GT(seen[cs][0].stable, 0) << names[cs];
}

} // namespace
} // namespace gs::testing
