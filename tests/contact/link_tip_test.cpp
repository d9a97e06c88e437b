// Link and fingertip contact in the finger frame (lFin 100, aF 10, work 100).
#include <cmath>

#include <gtest/gtest.h>

#include "contact/link_contact.h"
#include "contact/tip_contact.h"
#include "geom/vecmat.h"
#include "graspstat/constants.h"

namespace gs {
namespace {

constexpr double kTol = 5e-5;

struct LinkResult {
  int sol;
  double qc, L;
  Vec3 RC, NF, NW;
};

LinkResult Link(double x, double y, double z, double aw = 100.0) {
  GraspState s;
  InitModelState(&s);
  LinkResult r{};
  r.L = -1.0; // sentinels show what a no-solution return leaves alone
  for (int i = 0; i < 3; i++) r.NF[i] = r.NW[i] = 7.0;
  r.qc = 9.0;
  const Vec3 RWG = {x, y, z};
  r.sol = VeskLinkSphereContact(&s, RWG, aw, &r.qc, &r.L, r.RC, r.NF, r.NW);
  return r;
}

TEST(LinkContact, ContactOnTheLink) {
  const LinkResult r = Link(0, 130, 50);
  EXPECT_EQ(r.sol, kLinkOnLink);
  EXPECT_NEAR(r.L, 85.4400, kTol);
  EXPECT_NEAR(r.qc, 0.7171, kTol);
  EXPECT_NEAR(r.RC[0], 58.5411, kTol);
  EXPECT_NEAR(r.RC[1], 62.8671, kTol);
  EXPECT_NEAR(r.RC[2], 4.5455, kTol);
  EXPECT_NEAR(r.NF[0], -0.5854, kTol);
  EXPECT_NEAR(r.NF[1], 0.6713, kTol);
  EXPECT_NEAR(r.NF[2], 0.4545, kTol);
  for (int i = 0; i < 3; i++) EXPECT_EQ(r.NW[i], -r.NF[i]);
  // the contact point lies on the work surface, aF from the link axis
  const Vec3 RWG = {0, 130, 50};
  EXPECT_NEAR(DistVecN(0, 2, r.RC, RWG), 100.0, 1e-9);
}

TEST(LinkContact, BeyondTheLinkEnd) {
  LinkResult r = Link(200, 0, 0);
  EXPECT_EQ(r.sol, kLinkBeyond);
  EXPECT_NEAR(r.L, 167.0329, kTol);
  EXPECT_NEAR(r.qc, 0.5824, kTol);
  EXPECT_NEAR(r.RC[0], 145.0000, kTol);
  EXPECT_NEAR(r.RC[1], 83.5165, kTol);
  EXPECT_NEAR(r.RC[2], 0.0, kTol);
  r = Link(150, 60, 0);
  EXPECT_EQ(r.sol, kLinkBeyond);
  EXPECT_NEAR(r.L, 118.3216, kTol);
  EXPECT_NEAR(r.qc, 1.1295, kTol);
}

TEST(LinkContact, ClassBoundariesIncludeTheirUpperBound) {
  LinkResult r = Link(110, 100, 0);
  EXPECT_EQ(r.sol, kLinkOnLink);
  EXPECT_NEAR(r.L, 100.0, 1e-9);
  EXPECT_NEAR(r.qc, 1.5708, kTol);
  EXPECT_EQ(Link(110, 110, 0).sol, kLinkNearTip);
  r = Link(110, 200, 0);
  EXPECT_EQ(r.sol, kLinkBeyond);
  EXPECT_NEAR(r.qc, 0.5651, kTol);
  EXPECT_EQ(Link(110, 210, 0).sol, kLinkFarNear);
  EXPECT_EQ(Link(110, 400, 0).sol, kLinkFarBeyond);
}

TEST(LinkContact, NoSolutionClearsAngleAndPointOnly) {
  for (const LinkResult &r : {Link(50, 50, 0), Link(300, 0, 120), Link(0, 0, 150)}) {
    EXPECT_EQ(r.sol, kLinkNone);
    EXPECT_EQ(r.qc, 0.0);
    for (int i = 0; i < 3; i++) {
      EXPECT_EQ(r.RC[i], 0.0);
      EXPECT_EQ(r.NF[i], 7.0);
      EXPECT_EQ(r.NW[i], 7.0);
    }
    EXPECT_EQ(r.L, -1.0);
  }
  // centre on the joint axis exactly aw + aF from the joint: L = 0 and no
  // in-plane direction; reported as no solution
  EXPECT_EQ(Link(0, 0, 110).sol, kLinkNone);
}

TEST(LinkContact, BothCandidatesNotPositive) {
  const LinkResult r = Link(-200, -10, 0);
  EXPECT_EQ(r.qc, 0.0);
  EXPECT_NEAR(r.L, std::sqrt(200.0 * 200 + 100 - 110.0 * 110), 1e-9);
  EXPECT_EQ(r.sol, kLinkBeyond);
}

TEST(SolveCosSin, RootsWrapAndDegenerate) {
  double q[2];
  // roots pi/2 +- 3pi/4: 5pi/4 is reported as -3pi/4
  const double c = -std::cos(3 * M_PI / 4);
  ASSERT_EQ(SolveCosSin(0.0, 1.0, c, q), 2);
  EXPECT_NEAR(q[0], -3 * M_PI / 4, 1e-12);
  EXPECT_NEAR(q[1], -M_PI / 4, 1e-12);
  for (double r : q) EXPECT_NEAR(std::sin(r) + c, 0.0, 1e-12);
  EXPECT_EQ(SolveCosSin(1.0, 0.0, 2.0, q), 0);
  EXPECT_EQ(q[0], 0.0);
  EXPECT_EQ(SolveCosSin(0.0, 0.0, 1.0, q), 0); // centre on the axis, off the circle
  EXPECT_EQ(SolveCosSin(0.0, 0.0, 0.0, q), 2); // every angle: reported as 0
  EXPECT_EQ(q[0], 0.0);
  EXPECT_EQ(q[1], 0.0);
  EXPECT_EQ(SolveCosSin(NAN, 1.0, 0.0, q), 0);
  EXPECT_EQ(SolveCosSin(INFINITY, 1.0, INFINITY, q), 0);
  // |c| = r: both roots describe one angle, still two roots
  EXPECT_EQ(SolveCosSin(-1.0, 0.0, -1.0, q), 2);
  EXPECT_NEAR(std::fabs(q[0]), M_PI, 1e-9); // cos q = -1
  EXPECT_NEAR(std::fabs(q[1]), M_PI, 1e-9);
}

struct TipResult {
  int sol;
  double qc;
  Vec3 RC, NF, NW;
};

TipResult Tip(double x, double y, double z) {
  TipResult r{};
  for (int i = 0; i < 3; i++) r.RC[i] = r.NF[i] = r.NW[i] = 7.0;
  const Vec3 RWG = {x, y, z};
  r.sol = TipSphereContact(RWG, 100.0, &r.qc, r.RC, r.NF, r.NW);
  return r;
}

TEST(TipContact, RootChoice) {
  TipResult r = Tip(200, 0, 0);
  EXPECT_EQ(r.sol, 1);
  EXPECT_NEAR(r.qc, -0.3255, kTol);
  EXPECT_NEAR(r.RC[0], 104.3182, kTol);
  EXPECT_NEAR(r.RC[1], -29.0687, kTol);
  EXPECT_NEAR(r.RC[2], 0.0, kTol);
  EXPECT_NEAR(r.NF[0], 0.9568, kTol);
  EXPECT_NEAR(r.NF[1], 0.2907, kTol);
  EXPECT_NEAR(Tip(150, 60, 0).qc, -0.3531, kTol);
  EXPECT_NEAR(Tip(100, 150, 0).qc, 0.4151, kTol);
  // the smaller root lies below -1.5707963278: the larger one is taken
  EXPECT_NEAR(Tip(-150, -100, 0).qc, -1.9859, kTol);
}

TEST(TipContact, UnreachableWritesOnlyTheMarker) {
  const TipResult r = Tip(250, 0, 0);
  EXPECT_EQ(r.sol, 0);
  EXPECT_EQ(r.qc, 6.2831853072);
  for (int i = 0; i < 3; i++) {
    EXPECT_EQ(r.RC[i], 7.0);
    EXPECT_EQ(r.NF[i], 7.0);
    EXPECT_EQ(r.NW[i], 7.0);
  }
}

} // namespace
} // namespace gs
