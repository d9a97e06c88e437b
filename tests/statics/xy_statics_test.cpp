#include "statics/xy_statics.h"

#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "geom/vecmat.h"
#include "statics/solver_problem.h"
#include "support/console_capture.h"

namespace gs::testing {
namespace {

// The start work with the hand turned upright: both links touch the work in
// the horizontal plane through its centre.
SolverProblem UprightScene() {
  SolverProblem p;
  const double RW[3] = {0.0, 80.0, 0.0};
  CopyVec3(RW, p.RW);
  p.SetContact(1, 50.0, -49.5735, -6.5165, 0.0);
  p.SetContact(2, 50.0, 49.5735, -6.5165, 0.0);
  return p;
}

// Contacts on a horizontal circle of radius 50, each at half-angle a from -Y.
SolverProblem ChordAtHalfAngle(double a) {
  SolverProblem p;
  p.SetContact(1, 50.0, -std::sin(a), -std::cos(a), 0.0);
  p.SetContact(2, 50.0, std::sin(a), -std::cos(a), 0.0);
  return p;
}

TEST(XYStatics, UprightSceneStable) {
  SolverProblem p = UprightScene();
  ExpectVec(p.nc[1], 0.9915, 0.1303, 0.0);
  ConsoleCapture out;
  EXPECT_EQ(Solve(VeskXYStatics, &p), 1);
  EXPECT_EQ(p.s.staticsSubCase, kSubSP11_1);
  EXPECT_EQ(p.s.StaticsStability, 1);
  EXPECT_EQ(p.s.sgnStaticsEnd, 2);
  ExpectPair(p.MCZ, 3.2863, -3.2863);
  ExpectPair(p.FCZ, 1.0482, 1.0482);
  ExpectPair(p.TCF, 0.5186, 0.5186);
  ExpectVec(p.tc[1], 0.0346, -0.2634, 0.9641);
  ExpectVec(p.tc[2], -0.0346, -0.2634, 0.9641);
  // the vertical share of each contact is TCZ = 0.5
  EXPECT_NEAR(p.TC[1][2], 0.5, 1e-12);
  EXPECT_NEAR(p.TC[2][2], 0.5, 1e-12);
  ExpectBalanced(p);
  EXPECT_EQ(out.text(), "");
}

TEST(XYStatics, TraceShowsRatiosAndGraspForce) {
  SolverProblem p = UprightScene();
  ConsoleCapture out;
  TraceOn on(kTraceXYStatics);
  ASSERT_EQ(Solve(VeskXYStatics, &p), 1);
  const std::string &t = out.text();
  EXPECT_TRUE(StartsWith(t,
                         "\n■VeskXYStatics()---------全ベクトル水平面内にあるケース---------------■"
                         "\n  k=1"));
  EXPECT_NE(t.find("\n  TCZ[1]= 0.5000\ngetch()"), std::string::npos);
  EXPECT_NE(t.find("\n  TCZ[1,2]=( 0.5000  0.5000)\n  MCZ[1,2]=( 3.2863 -3.2863)"),
            std::string::npos);
  EXPECT_NE(t.find("\n  初期値FCZ0= 0.6573"), std::string::npos);
  EXPECT_NE(t.find("\n  μ1=-0.1315 μ2= 0.1315 μ= 0.50"), std::string::npos);
  EXPECT_NE(t.find("\n●XY面内の解:cnt=2 FCZ0= 1.0573"), std::string::npos);
  EXPECT_NE(t.find("\n●SP12:合成解 FCZ0= 1.0573 FCZ[1,2]=( 1.0482  1.0482)"), std::string::npos);
  EXPECT_TRUE(EndsWith(t, "\ngetch()"));
}

TEST(XYStatics, OppositeNormalsSolveTheMomentDifference) {
  // normals opposite, contacts off the common line through the centre
  SolverProblem p;
  const double RC1[3] = {-50.0, 10.0, 0.0}, RC2[3] = {50.0, 0.0, 0.0};
  CopyVec3(RC1, p.RC[1]);
  CopyVec3(RC2, p.RC[2]);
  const double n1[3] = {1.0, 0.0, 0.0}, n2[3] = {-1.0, 0.0, 0.0};
  CopyVec3(n1, p.nc[1]);
  CopyVec3(n2, p.nc[2]);
  EXPECT_EQ(Solve(VeskXYStatics, &p), 1);
  EXPECT_EQ(p.s.staticsSubCase, kSubSP11_2);
  EXPECT_NEAR(p.MCZ[1], -10.0, 1e-12); // twice the difference
  EXPECT_NEAR(p.MCZ[2], -5.0, 1e-12);  // the difference MCZ[1] - MCZ[2]
  ExpectBalanced(p);
}

TEST(XYStatics, EarlyReturnsLeaveTheFlags) {
  // equal normals
  SolverProblem p = UprightScene();
  CopyVec3(p.nc[1], p.nc[2]);
  p.s.StaticsStability = 1;
  p.s.sgnStaticsEnd = 0;
  p.FCZ[1] = 9.0;
  EXPECT_EQ(Solve(VeskXYStatics, &p), 0);
  EXPECT_EQ(p.s.staticsSubCase, kSubSP113);
  EXPECT_EQ(p.s.StaticsStability, 1);
  EXPECT_EQ(p.s.sgnStaticsEnd, 0);
  EXPECT_EQ(p.FCZ[1], 9.0);
  EXPECT_EQ(p.MCZ[1], 0.0);

  // a work so large that the moments never fit: the share of contact 2
  // turns negative first
  SolverProblem q = ChordAtHalfAngle(1.2);
  for (int k = 1; k <= 2; k++)
    for (int i = 0; i < 3; i++) q.RC[k][i] *= 40.0;
  q.s.StaticsStability = 1;
  EXPECT_EQ(Solve(VeskXYStatics, &q), 0);
  EXPECT_EQ(q.s.staticsSubCase, kSubSP11_1);
  EXPECT_EQ(q.s.StaticsStability, 1);
  EXPECT_EQ(q.s.sgnStaticsEnd, 0);
}

TEST(XYStatics, InPlaneFrictionTooLargeStopsAfterOnePass) {
  SolverProblem p = ChordAtHalfAngle(0.25 * 3.14159265358979);
  EXPECT_EQ(Solve(VeskXYStatics, &p), 0);
  EXPECT_EQ(p.s.StaticsStability, 0);
  EXPECT_EQ(p.s.sgnStaticsEnd, 2);
}

TEST(XYStatics, GraspForceClimbsPastTheLimit) {
  // in-plane ratio 0.499: the combined friction needs a grasp force above 10
  SolverProblem p = ChordAtHalfAngle(std::atan2(1.0, 0.499));
  EXPECT_EQ(Solve(VeskXYStatics, &p), 0);
  EXPECT_EQ(p.s.StaticsStability, 0);
  EXPECT_EQ(p.s.sgnStaticsEnd, 2);
  EXPECT_GT(p.FCZ[1], 8.5); // the forces of the last pass below the limit
}

TEST(XYStatics, EveryLoopEndsForNanAndInfiniteInput) {
  ConsoleCapture out;
  SolverProblem p = UprightScene();
  p.RC[2][0] = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(Solve(VeskXYStatics, &p), 0);

  SolverProblem q = UprightScene();
  q.FEXv[2] = std::numeric_limits<double>::infinity();
  EXPECT_EQ(Solve(VeskXYStatics, &q), 0);

  SolverProblem r = UprightScene();
  r.FEXv[2] = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(Solve(VeskXYStatics, &r), 0);

  SolverProblem m = UprightScene(); // opposite normals with a NaN lever arm
  m.nc[2][0] = -m.nc[1][0];
  m.nc[2][1] = -m.nc[1][1];
  m.RC[1][1] = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(Solve(VeskXYStatics, &m), 0);
}

} // namespace
} // namespace gs::testing
