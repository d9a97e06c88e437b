#include "statics/line_statics.h"

#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "geom/vecmat.h"
#include "statics/solver_problem.h"
#include "support/console_capture.h"

namespace gs::testing {
namespace {

const double kS = 1.0 / std::sqrt(2.0);

// Contact 1 at RW - r1 n with the normal n, contact 2 at RW + r2 n with -n.
SolverProblem Line(double r1, double r2, double nx, double ny, double nz) {
  SolverProblem p;
  const double RW[3] = {0.0, 80.0, 0.0};
  CopyVec3(RW, p.RW);
  p.SetContact(1, r1, -nx, -ny, -nz);
  p.SetContact(2, r2, nx, ny, nz);
  return p;
}

TEST(LineStatics, HorizontalLineSharesTheLoadUpward) {
  SolverProblem p = Line(50.0, 50.0, -1.0, 0.0, 0.0);
  ExpectVec(p.nc[1], -1.0, 0.0, 0.0, 0.0);
  ConsoleCapture out;
  EXPECT_EQ(Solve(VeskLineStatics, &p), 1);
  EXPECT_EQ(p.s.staticsSubCase, kSubSP31);
  EXPECT_EQ(p.s.StaticsStability, 1);
  EXPECT_EQ(p.s.sgnStaticsEnd, 2);
  ExpectPair(p.TCF, 0.5, 0.5, 1e-12);
  ExpectPair(p.FCZ, 2.0, 2.0, 1e-12);
  ExpectVec(p.tc[1], 0.0, 0.0, 1.0, 0.0);
  ExpectVec(p.FC[1], -2.0, 0.0, 0.0, 1e-12);
  ExpectVec(p.FC[2], 2.0, 0.0, 0.0, 1e-12);
  ExpectVec(p.TC[2], 0.0, 0.0, 0.5, 1e-12);
  ExpectBalanced(p);
  EXPECT_EQ(out.text(), "");

  SolverProblem q = Line(40.0, 60.0, -1.0, 0.0, 0.0); // the nearer contact carries more
  EXPECT_EQ(Solve(VeskLineStatics, &q), 1);
  ExpectPair(q.TCF, 0.6, 0.4, 1e-12);
  EXPECT_NEAR(q.FCZ[1], 1.6, 1e-12); // the smaller of 2.4 and 1.6
  EXPECT_NEAR(q.FCZ[2], 1.6, 1e-12);
  ExpectBalanced(q);
}

TEST(LineStatics, VerticalLineCarriesTheLoadByNormalForces) {
  SolverProblem p = Line(50.0, 50.0, 0.0, 0.0, 1.0); // finger 1 below, pushing up
  EXPECT_EQ(Solve(VeskLineStatics, &p), 1);
  EXPECT_EQ(p.s.staticsSubCase, kSubSP33);
  EXPECT_EQ(p.FCZ[1], 2.0);
  EXPECT_EQ(p.FCZ[2], 1.0);
  for (int k = 1; k <= 2; k++) {
    EXPECT_EQ(p.TCF[k], 0.0);
    ExpectVec(p.tc[k], 1.0, 0.0, 0.0, 0.0);
  }
  ExpectBalanced(p);

  SolverProblem q = Line(50.0, 50.0, 0.0, 0.0, -1.0); // finger 2 below
  EXPECT_EQ(Solve(VeskLineStatics, &q), 1);
  EXPECT_EQ(q.FCZ[1], 1.0);
  EXPECT_EQ(q.FCZ[2], 2.0);
  ExpectBalanced(q);
}

TEST(LineStatics, InclinedLineUsesTheUpwardTangent) {
  SolverProblem p = Line(50.0, 50.0, 0.0, kS, kS);
  ExpectVec(p.nc[1], 0.0, kS, kS, 1e-15);
  ConsoleCapture out;
  TraceOn on(kTraceLineStatics);
  EXPECT_EQ(Solve(VeskLineStatics, &p), 1);
  EXPECT_EQ(p.s.staticsSubCase, kSubSP32);
  ExpectVec(p.tc[1], 0.0, -kS, kS, 1e-12);
  ExpectVec(p.tc[2], 0.0, -kS, kS, 1e-12);
  ExpectPair(p.TCF, 0.35355, 0.35355);
  EXPECT_NEAR(p.FCZ[2], 1.41421, kTol);
  EXPECT_NEAR(p.FCZ[1], 2.12132, kTol);
  EXPECT_EQ(p.MCZ[1], 0.0); // not written
  ExpectBalanced(p);
  const std::string &t = out.text();
  EXPECT_TRUE(
      StartsWith(t, "\n●SP32:-----------垂直面YZ内で全ベクトルが一直線上にある場合-------"));
  EXPECT_NE(t.find("\n●X2[]=inv(A2[][])*Y2[]の解 det2= 1.000\n1  X2[]=(FCZ0,TCF[0])=(  0.7071  "
                   "0.7071)"),
            std::string::npos);
  EXPECT_NE(t.find("\n  R1=50.0000 R2=50.0000 μ=0.50"), std::string::npos);
  const std::string end = "\n●SP32:YZ面内 全ベクトル一直線  解あり．終了\nInput getch()=e";
  EXPECT_TRUE(EndsWith(t, end));
}

TEST(LineStatics, SubCaseTestsAtTheTolerance) {
  SolverProblem p = Line(50.0, 50.0, -1.0, 0.0, 0.0);
  p.nc[1][2] = EPS4; // exactly EPS4 fails the first test, passes the third
  p.nc[2][2] = -EPS4;
  EXPECT_EQ(Solve(VeskLineStatics, &p), 1);
  EXPECT_EQ(p.s.staticsSubCase, kSubSP31);
  p.nc[1][2] = 2.0 * EPS4;
  p.nc[2][2] = -2.0 * EPS4;
  EXPECT_EQ(Solve(VeskLineStatics, &p), 1);
  EXPECT_EQ(p.s.staticsSubCase, kSubSP32);
}

TEST(LineStatics, ZeroRadiusSharesTheLoadEqually) {
  for (const double *u : {eX, eY}) {
    SolverProblem p = Line(0.0, 0.0, u[0], u[1], u[2]); // both contacts at the centre
    EXPECT_EQ(Solve(VeskLineStatics, &p), 1);
    EXPECT_EQ(p.TCF[1], 0.5);
    EXPECT_EQ(p.TCF[2], 0.5);
    ExpectBalanced(p);
  }
  SolverProblem q = Line(0.0, 0.0, 0.0, kS, kS);
  EXPECT_EQ(Solve(VeskLineStatics, &q), 1);
  EXPECT_EQ(q.s.staticsSubCase, kSubSP32);
  ExpectPair(q.TCF, 0.35355, 0.35355);
  ExpectBalanced(q);

  double w[2];
  LeverShares(0.0, 0.0, w);
  EXPECT_EQ(w[0], 0.5);
  LeverShares(30.0, 10.0, w);
  EXPECT_EQ(w[0], 0.25);
  EXPECT_EQ(w[1], 0.75);
}

TEST(LineStatics, FingersNotPressingAgainstEachOtherHoldNothing) {
  // two fingers at one point with one normal, horizontal and vertical
  for (const double *n : {eX, eZ}) {
    SolverProblem p = Line(50.0, 50.0, n[0], n[1], n[2]);
    CopyVec3(p.RC[1], p.RC[2]);
    CopyVec3(p.nc[1], p.nc[2]);
    EXPECT_EQ(Solve(VeskLineStatics, &p), 0);
    EXPECT_EQ(p.s.StaticsStability, 0);
    EXPECT_EQ(p.s.sgnStaticsEnd, 2);
  }
  // a work of radius 0 touched with normals that are not opposite
  SolverProblem q = Line(0.0, 0.0, 0.0, kS, kS);
  const double n2[3] = {0.6, 0.0, -0.8};
  CopyVec3(n2, q.nc[2]);
  EXPECT_EQ(Solve(VeskLineStatics, &q), 0);
}

TEST(LineStatics, NonFiniteResultIsNeverStable) {
  ConsoleCapture out;
  SolverProblem p = Line(50.0, 50.0, 0.0, kS, kS);
  p.nc[1][1] = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(Solve(VeskLineStatics, &p), 0);
  EXPECT_EQ(p.s.StaticsStability, 0);
  EXPECT_EQ(p.s.sgnStaticsEnd, 2);

  SolverProblem q = Line(50.0, 50.0, -1.0, 0.0, 0.0);
  q.RC[2][0] = std::numeric_limits<double>::infinity();
  EXPECT_EQ(Solve(VeskLineStatics, &q), 0);

  SolverProblem r = Line(50.0, 50.0, 0.0, 0.0, 1.0);
  r.FEXv[2] = std::numeric_limits<double>::infinity();
  EXPECT_EQ(Solve(VeskLineStatics, &r), 0);
}

TEST(LineStatics, TraceEndsOfHorizontalAndVerticalLines) {
  ConsoleCapture out;
  TraceOn on(kTraceLineStatics);
  SolverProblem p = Line(50.0, 50.0, -1.0, 0.0, 0.0);
  Solve(VeskLineStatics, &p);
  EXPECT_TRUE(StartsWith(
      out.text(), "\n●SP31:-------XY水平面内で全ベクトルが一直線上にある場合----------"
                  "\n  力・摩擦力の解\n  FCZ[1,2]=[ 2.0000   2.000] TCF[1,2]=[ 0.5000  0.5000]"));
  const std::string end31 =
      "\n●SP31:XY面内全ベクトル一直線  解あり．終了\nInput getch()=e\ngetch()";
  EXPECT_TRUE(EndsWith(out.text(), end31));
  out.clear();
  SolverProblem q = Line(50.0, 50.0, 0.0, 0.0, 1.0);
  Solve(VeskLineStatics, &q);
  EXPECT_TRUE(StartsWith(
      out.text(), "\n●SP33:------垂直面YZ内で全ベクトルがZ方向一直線上にある場合 "
                  "nc[0][z]=±1-----\n●SP33:YZ面内で2つの接触点・法線がZ方向一直線をなす場合の解"));
  const std::string end33 = "\n●SP33:YZ面内 全ベクトル一直線  解あり．終了\nInput getch()=e";
  EXPECT_TRUE(EndsWith(out.text(), end33));
}

} // namespace
} // namespace gs::testing
