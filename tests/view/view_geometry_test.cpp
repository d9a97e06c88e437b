#include "view/view_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "geom/vecmat.h"
#include "graspstat/constants.h"
#include "view/view_constants.h"

namespace gs {
namespace {

constexpr double kTol = 5e-5;

void ExpectVecNear(const double *want, const double *got, double tol = 1e-9) {
  for (int i = 0; i < 3; i++) EXPECT_NEAR(want[i], got[i], tol) << "component " << i;
}

TEST(ViewScaleTest, FiftyModelUnitsMakeOneSceneUnit) {
  EXPECT_DOUBLE_EQ(1.0, ViewScale(50.0));
  EXPECT_DOUBLE_EQ(-2.0, ViewScale(-100.0));
  EXPECT_DOUBLE_EQ(0.2, ViewScale(10.0));
}

TEST(DirAnglesTest, AxesAndGeneralDirections) {
  double ang[3] = {9, 9, 9};
  const double up[3] = {0, 0, 1}, down[3] = {0, 0, -1}, y[3] = {0, 2, 0};
  DirAngles(up, ang);
  EXPECT_EQ(0.0, ang[0]);
  EXPECT_EQ(0.0, ang[1]);
  EXPECT_EQ(0.0, ang[2]);
  DirAngles(down, ang);
  EXPECT_EQ(0.0, ang[0]); // atan2(0, 0)
  EXPECT_NEAR(M_PI, ang[1], 1e-12);
  DirAngles(y, ang); // need not be a unit vector
  EXPECT_NEAR(M_PI / 2, ang[0], 1e-12);
  EXPECT_NEAR(M_PI / 2, ang[1], 1e-12);
  const double zero[3] = {0, 0, 0};
  DirAngles(zero, ang); // a zero-length segment faces +Z
  EXPECT_EQ(0.0, ang[0]);
  EXPECT_EQ(0.0, ang[1]);
}

// The rotation Rz(phi) Ry(theta) carries +Z onto the direction given.
TEST(DirAnglesTest, RotationCarriesZOntoDirection) {
  const double d[3] = {1.0, -2.0, 0.5};
  double ang[3];
  DirAngles(d, ang);
  Mat3 rz, ry, r;
  RotZ3(ang[0], rz);
  RotY3(ang[1], ry);
  MulMat3(rz, ry, r);
  const double len = NormVec3(d);
  for (int i = 0; i < 3; i++) EXPECT_NEAR(d[i] / len, r[i][2], 1e-12);
}

TEST(ArcAxesTest, FirstTwoColumnsOfZyzRotation) {
  const double ang[3] = {0.3, -1.1, 2.0};
  Vec3 ex, ey;
  ArcAxes(ang, ex, ey);
  Mat3 a, b, c, ab, r;
  RotZ3(ang[0], a);
  RotY3(ang[1], b);
  RotZ3(ang[2], c);
  MulMat3(a, b, ab);
  MulMat3(ab, c, r);
  for (int i = 0; i < 3; i++) {
    EXPECT_NEAR(r[i][0], ex[i], 1e-12);
    EXPECT_NEAR(r[i][1], ey[i], 1e-12);
  }
  // with the direction angles of a normal, the arc plane is perpendicular to it
  const double n[3] = {0.2, 0.7, -0.3};
  double na[3];
  DirAngles(n, na);
  ArcAxes(na, ex, ey);
  EXPECT_NEAR(0.0, DotVec3(ex, n), 1e-12);
  EXPECT_NEAR(0.0, DotVec3(ey, n), 1e-12);
}

TEST(ArrowShapeTest, PlainArrowHeadIsSquareRootOfLength) {
  const double p[3] = {1, 2, 3}, d[3] = {0, 1, 0};
  ArrowShape a;
  PlainArrowShape(p, d, 40.0, &a); // the contact-marker arrow
  const double tip[3] = {1, 42, 3};
  ExpectVecNear(p, a.lineFrom);
  ExpectVecNear(tip, a.lineTo);
  ExpectVecNear(tip, a.headApex);
  EXPECT_NEAR(42.0 - std::sqrt(40.0), a.headBase[1], 1e-12);
  EXPECT_NEAR(6.3246, 42.0 - a.headBase[1], kTol);
  EXPECT_NEAR(0.5 * std::sqrt(40.0), a.headRadius, 1e-12);
  EXPECT_EQ(10.0, kLineWidthFactor * a.lineWidth); // the shaft is 10 pixels wide
  PlainArrowShape(p, d, 15.0, &a);                 // the joint-axis arrow
  EXPECT_NEAR(3.873, a.headApex[1] - a.headBase[1], 5e-4);
}

TEST(ArrowShapeTest, PushArrowOfTheUnitLoad) {
  // the load under the start work: 40 long, pointing down from (0, 80, -50)
  const double p[3] = {0, 80, -50}, d[3] = {0, 0, -1};
  ArrowShape a;
  PushArrowShape(p, d, 1.0, &a);
  const double end[3] = {0, 80, -90}, base[3] = {0, 80, -80};
  ExpectVecNear(p, a.lineFrom);
  ExpectVecNear(end, a.lineTo);
  ExpectVecNear(end, a.headApex);
  ExpectVecNear(base, a.headBase);
  EXPECT_EQ(5.0, a.headRadius);
  EXPECT_EQ(10.0, kLineWidthFactor * a.lineWidth); // the shaft is 10 pixels wide
}

TEST(ArrowShapeTest, PushArrowOfZeroForceLiesBehindItsStart) {
  const double p[3] = {0, 0, 0}, d[3] = {1, 0, 0};
  ArrowShape a;
  PushArrowShape(p, d, 0.0, &a);
  EXPECT_NEAR(-10.0, a.lineTo[0], 1e-12);
  EXPECT_NEAR(-20.0, a.headBase[0], 1e-12);
  EXPECT_NEAR(-10.0, a.headApex[0], 1e-12);
  PushArrowShape(p, d, 0.0399, &a);
  EXPECT_LT(a.lineTo[0], 0.0);
  PushArrowShape(p, d, 0.04, &a); // 50 sqrt(0.04) = 10: shaft of length 0
  EXPECT_NEAR(0.0, a.lineTo[0], 1e-12);
}

TEST(ArrowShapeTest, PullArrowEndsAtItsPoint) {
  const double p[3] = {0, 0, 0}, d[3] = {0, 0, 1};
  ArrowShape a;
  PullArrowShape(p, d, 4.0, &a); // L = 100
  EXPECT_NEAR(-105.0, a.lineFrom[2], 1e-12);
  EXPECT_NEAR(-5.0, a.lineTo[2], 1e-12);
  EXPECT_NEAR(-8.0, a.headBase[2], 1e-12);
  EXPECT_NEAR(2.0, a.headApex[2], 1e-12);
  EXPECT_EQ(6.0, a.headRadius);
  EXPECT_EQ(10.0, kLineWidthFactor * a.lineWidth); // the shaft is 10 pixels wide
  PullArrowShape(p, d, 0.0, &a);                   // zero force: the head alone shows
  EXPECT_NEAR(-5.0, a.lineFrom[2], 1e-12);
  EXPECT_NEAR(-5.0, a.lineTo[2], 1e-12);
  EXPECT_NEAR(2.0, a.headApex[2], 1e-12);
}

TEST(MomentShapeTest, PositiveMomentHasItsHeadAtTheArcEnd) {
  const double p[3] = {0, 0, 0}, n[3] = {0, 0, 1};
  MomentShape m;
  MomentSymbolShape(p, n, 4.0, &m);
  EXPECT_EQ('P', m.sense);
  EXPECT_NEAR(-15.0, m.ctr[2], 1e-12);
  EXPECT_NEAR(20.0, m.R, 1e-12); // 10 sqrt(4)
  EXPECT_NEAR(4.7123889804, m.arc, 1e-12);
  EXPECT_EQ(5.0, m.width);
  // normal +Z: ex = +X, ey = +Y; the end of 270 degrees lies at -Y
  const double base[3] = {0, -20, -15};
  ExpectVecNear(base, m.headBase, 1e-8);
  // the tangent there points along +X (counter-clockwise about +Z), 10 long
  const double apex[3] = {10, -20, -15};
  ExpectVecNear(apex, m.headApex, 1e-8);
}

TEST(MomentShapeTest, NegativeMomentHasItsHeadAtTheArcStart) {
  const double p[3] = {0, 0, 0}, n[3] = {0, 0, 1};
  MomentShape m;
  MomentSymbolShape(p, n, -1.0, &m);
  EXPECT_EQ('N', m.sense);
  EXPECT_NEAR(10.0, m.R, 1e-12);
  const double base[3] = {10, 0, -15}, apex[3] = {10, -10, -15};
  ExpectVecNear(base, m.headBase, 1e-12);
  ExpectVecNear(apex, m.headApex, 1e-12);
}

GraspState SolvedState() {
  GraspState s;
  std::memset(&s, 0, sizeof s);
  s.aSph = 50.0;
  s.rwG[1] = 80.0;
  s.cntContact = 2;
  s.sgnStaticsEnd = 1;
  for (int k = 1; k <= 2; k++) {
    s.RC[k][0] = 10.0 * k;
    s.NF[k][1] = 1.0;
    s.tc[k][2] = 1.0;
    s.FCZ[k] = 0.5 * k;
    s.TCF[k] = 0.25;
  }
  return s;
}

TEST(StaticsSymbolsTest, LoadThenNormalAndFrictionPerContact) {
  GraspState s = SolvedState();
  s.TCF[2] = -0.25;
  s.FCZ[1] = -0.5; // drawn with its magnitude
  ForceSymbol sym[kMaxForceSymbols];
  ASSERT_EQ(5, StaticsSymbols(&s, sym));
  EXPECT_EQ(kSymbolPush, sym[0].kind);
  const double low[3] = {0, 80, -50}, down[3] = {0, 0, -1};
  ExpectVecNear(low, sym[0].p);
  ExpectVecNear(down, sym[0].d);
  EXPECT_EQ(1.0, sym[0].value);
  EXPECT_EQ(kSymbolPull, sym[1].kind);
  ExpectVecNear(s.RC[1], sym[1].p);
  ExpectVecNear(s.NF[1], sym[1].d);
  EXPECT_EQ(0.5, sym[1].value);
  EXPECT_EQ(kSymbolPush, sym[2].kind);
  ExpectVecNear(s.tc[1], sym[2].d);
  EXPECT_EQ(0.25, sym[2].value);
  EXPECT_EQ(kSymbolPull, sym[3].kind);
  EXPECT_EQ(1.0, sym[3].value);
  EXPECT_EQ(kSymbolPush, sym[4].kind);
  const double back[3] = {0, 0, -1}; // negative friction turns the arrow
  ExpectVecNear(back, sym[4].d);
  EXPECT_EQ(0.25, sym[4].value);
}

TEST(StaticsSymbolsTest, MomentsFromTheThresholdOn) {
  GraspState s = SolvedState();
  s.MCZ[1] = 0.0999;
  s.MCZ[2] = -0.1;
  ForceSymbol sym[kMaxForceSymbols];
  ASSERT_EQ(6, StaticsSymbols(&s, sym));
  EXPECT_EQ(kSymbolMoment, sym[5].kind);
  ExpectVecNear(s.RC[2], sym[5].p);
  ExpectVecNear(s.NF[2], sym[5].d);
  EXPECT_NEAR(-std::sqrt(0.1), sym[5].value, 1e-12);
  // radius 10 |MCZ|^(1/4)
  MomentShape m;
  MomentSymbolShape(sym[5].p, sym[5].d, sym[5].value, &m);
  EXPECT_NEAR(5.6234, m.R, kTol);
  EXPECT_EQ('N', m.sense);
  s.MCZ[1] = 2.0;
  ASSERT_EQ(7, StaticsSymbols(&s, sym));
  EXPECT_EQ(kSymbolMoment, sym[3].kind);
}

TEST(StaticsSymbolsTest, WithoutTwoContactsOnlyTheLoad) {
  GraspState s = SolvedState();
  s.cntContact = 1;
  s.rwG[2] = 7.0;
  s.aSph = 20.0;
  ForceSymbol sym[kMaxForceSymbols];
  ASSERT_EQ(1, StaticsSymbols(&s, sym));
  EXPECT_EQ(kSymbolPush, sym[0].kind);
  EXPECT_EQ(-13.0, sym[0].p[2]);
  s.cntContact = 0;
  EXPECT_EQ(1, StaticsSymbols(&s, sym));
}

} // namespace
} // namespace gs
