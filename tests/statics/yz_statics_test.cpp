#include "statics/yz_statics.h"

#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "geom/vecmat.h"
#include "statics/solver_problem.h"
#include "statics/statics_result.h"
#include "support/console_capture.h"

namespace gs::testing {
namespace {

// The start-up scene: both links touch the work of radius 50 at (0, 80, 0).
SolverProblem StartUpScene() {
  SolverProblem p;
  const double RW[3] = {0.0, 80.0, 0.0};
  CopyVec3(RW, p.RW);
  p.SetContact(1, 50.0, 0.0, -6.5165, -49.5735);
  p.SetContact(2, 50.0, 0.0, -6.5165, 49.5735);
  return p;
}

TEST(YZStatics, StartUpSceneStableAtTenthPass) {
  SolverProblem p = StartUpScene();
  ExpectVec(p.nc[1], 0.0, 0.1303, 0.9915);
  ConsoleCapture out;
  EXPECT_EQ(Solve(VeskYZStatics, &p), 1);
  EXPECT_EQ(p.s.StaticsStability, 1);
  EXPECT_EQ(p.s.sgnStaticsEnd, 2);
  ExpectPair(p.FCZ, 1.2, 0.1914);
  ExpectPair(p.TCF, 0.0915, 0.0915);
  ExpectVec(p.tc[1], 0.0, -0.9915, 0.1303);
  ExpectVec(p.tc[2], 0.0, -0.9915, -0.1303); // reversed by the sign rule
  for (int k = 1; k <= 2; k++) {
    EXPECT_EQ(p.MCZ[k], 0.0);
    ExpectVec(p.MC[k], 0.0, 0.0, 0.0, 0.0);
  }
  ExpectBalanced(p);
  EXPECT_EQ(out.text(), "");
}

TEST(YZStatics, TraceShowsFrameInverseAndPasses) {
  SolverProblem p = StartUpScene();
  ConsoleCapture out;
  TraceOn on(kTraceYZStatics);
  ASSERT_EQ(Solve(VeskYZStatics, &p), 1);
  const std::string &t = out.text();
  EXPECT_TRUE(StartsWith(t, "\n●VeskYZStatics()------ 全力・方向・接触点ベクトルが垂直平面内にある "
                            "---------●\ngetch()"));
  EXPECT_NE(t.find("  1.0000  0.0000) eZ[]=(0,0,1)"), std::string::npos); // eY = (0, 1, 0)
  EXPECT_NE(t.find("\n  B3[][]=inv(A3[][]) det3=-98.30"), std::string::npos);
  EXPECT_NE(t.find("\n●YZ面内 nc[1]≠-nc[2] : FCZ[1]= 0.300 cnt=1 計算始め\ngetch()"),
            std::string::npos);
  EXPECT_NE(t.find("\n●YZ面内 nc[1]≠-nc[2] : FCZ[1]= 1.200 cnt=10 計算始め"), std::string::npos);
  EXPECT_NE(t.find("\n  摩擦力TCF[2]は限界を超えている→やり直し"), std::string::npos);
  const std::string end = "\n  摩擦力は限界内→解\ngetch()\n●SP2:YZ面内 nc[1]≠-nc[2]  解あり．終了"
                          "\nInput getch()=e";
  EXPECT_TRUE(EndsWith(t, end));
}

TEST(YZStatics, NoBalanceBelowTheLimit) {
  // both fingers press from above: the second normal force is never >= 0
  SolverProblem p;
  p.SetContact(1, 50.0, 0.0, -0.3, 1.0);
  p.SetContact(2, 50.0, 0.0, 0.3, 1.0);
  p.MCZ[1] = 7.0;
  EXPECT_EQ(Solve(VeskYZStatics, &p), 0);
  EXPECT_EQ(p.s.StaticsStability, 0);
  EXPECT_EQ(p.s.sgnStaticsEnd, 2);
  EXPECT_GT(p.FCZ[1], 10.0); // the 99th pass: 0.2 plus 99 steps of 0.1
  EXPECT_LT(p.FCZ[1], 10.15);
  EXPECT_EQ(p.MCZ[1], 0.0);
}

// A finger touching the very bottom of the work: its normal has no
// horizontal part, so the plane comes from the other contact and the
// friction direction of the vertical normal is the plane's horizontal.
TEST(YZStatics, VerticalNormalTakesThePlaneDirection) {
  for (double azimuth : {0.0, 0.5, 2.0}) {
    SolverProblem p;
    const double c = std::cos(azimuth), sn = std::sin(azimuth);
    p.SetContact(1, 50.0, 0.0, 0.0, -1.0);
    p.SetContact(2, 50.0, 0.3 * c, 0.3 * sn, 0.8); // upper side, plane at the azimuth
    ConsoleCapture out;
    const int stable = Solve(VeskYZStatics, &p);
    EXPECT_EQ(stable, 1) << azimuth;
    ExpectPair(p.FCZ, 1.1, 0.1, 1e-12);
    EXPECT_NEAR(p.TCF[1], 0.0181, kTol);
    EXPECT_TRUE(std::isfinite(p.FCZ[1]) && std::isfinite(p.TCF[1]) && std::isfinite(p.FCZ[2]));
    EXPECT_NEAR(std::fabs(p.tc[1][0] * c + p.tc[1][1] * sn), 1.0, 1e-12); // horizontal, in plane
    EXPECT_EQ(p.tc[1][2], 0.0);
    ExpectBalanced(p);
    EXPECT_EQ(out.text(), "");
  }
}

TEST(YZStatics, AllVectorsVerticalUseAnyVerticalPlane) {
  // contacts at the bottom and the top: the bottom finger carries the load
  SolverProblem p;
  p.SetContact(1, 50.0, 0.0, 0.0, -1.0);
  p.SetContact(2, 50.0, 0.0, 0.0, 1.0);
  EXPECT_EQ(Solve(VeskYZStatics, &p), 1);
  EXPECT_NEAR(p.FCZ[1] - p.FCZ[2], 1.0, 1e-12);
  ExpectPair(p.TCF, 0.0, 0.0, 1e-12);
  ExpectBalanced(p);
}

TEST(YZStatics, PlaneNormalAndTangents) {
  // the start-up pair turned about Y by d: the plane keeps its tilt, oriented
  // along nc[1] x eZ
  for (double d : {0.0, 0.01}) {
    Vec3 nc[3] = {{0, 0, 0},
                  {0.8 * std::sin(d), 0.6, 0.8 * std::cos(d)},
                  {-0.8 * std::sin(d), 0.6, -0.8 * std::cos(d)}};
    Vec3 RCW[3] = {};
    for (int k = 1; k <= 2; k++) ScaleVec3(-50.0, nc[k], RCW[k]);
    Vec3 p;
    const int used = ContactPlaneNormal(nc, RCW, p); // arms and normals agree here
    EXPECT_TRUE(used == 1 || used == 2);
    ExpectVec(p, std::cos(d), 0.0, -std::sin(d), 1e-15);
  }
  Vec3 p;
  // collinear lever arms: the normals decide
  Vec3 line[3] = {{0, 0, 0}, {0.0, 0.0, -50.0}, {0.0, 0.0, 50.0}};
  const Vec3 normals[3] = {{0, 0, 0}, {0.0, 0.6, 0.8}, {0.0, -0.6, 0.8}};
  EXPECT_EQ(ContactPlaneNormal(normals, line, p), 2);
  ExpectVec(p, 1.0, 0.0, 0.0, 1e-15); // oriented along nc[1] x eZ
  // everything on one vertical line: any vertical plane
  const Vec3 vertical[3] = {{0, 0, 0}, {0.0, 0.0, 1.0}, {0.0, 0.0, -1.0}};
  EXPECT_EQ(ContactPlaneNormal(vertical, line, p), 0);
  ExpectVec(p, 1.0, 0.0, 0.0, 0.0);
  // one inclined line
  const Vec3 inclined[3] = {{0, 0, 0}, {0.0, 0.6, 0.8}, {0.0, -0.6, -0.8}};
  EXPECT_EQ(ContactPlaneNormal(inclined, line, p), 3);
  ExpectVec(p, 1.0, 0.0, 0.0, 1e-15);

  const double ex[3] = {1.0, 0.0, 0.0}, ey[3] = {0.0, 1.0, 0.0};
  Vec3 t;
  PlaneTangent(ex, normals[1], ey, t);
  ExpectVec(t, 0.0, -0.8, 0.6, 1e-15);
  const double down[3] = {0.0, 5e-5, -1.0}; // within EPS4 of vertical: along ey
  PlaneTangent(ex, down, ey, t);
  EXPECT_GT(t[1], 0.999);
  PlaneTangent(ex, eZ, ey, t);
  ExpectVec(t, 0.0, 1.0, 0.0, 0.0);
}

TEST(YZStatics, EveryLoopEndsForNanAndInfiniteInput) {
  SolverProblem p = StartUpScene();
  p.RC[1][2] = std::numeric_limits<double>::quiet_NaN();
  ConsoleCapture out;
  EXPECT_EQ(Solve(VeskYZStatics, &p), 0);
  EXPECT_EQ(p.s.StaticsStability, 0);

  SolverProblem q = StartUpScene();
  q.FEXv[2] = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(Solve(VeskYZStatics, &q), 0);

  SolverProblem r = StartUpScene();
  r.FEXv[2] = std::numeric_limits<double>::infinity();
  EXPECT_EQ(Solve(VeskYZStatics, &r), 0);
  EXPECT_EQ(r.s.sgnStaticsEnd, 2);
}

} // namespace
} // namespace gs::testing
