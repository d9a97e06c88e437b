// The two-finger contact driver in the fixed frame.
#include "contact/sphere_contact.h"
#include "contact/tip_contact.h"

#include <cmath>
#include <random>

#include <gtest/gtest.h>

#include "geom/vecmat.h"
#include "grasp/start_up.h"
#include "graspstat/constants.h"
#include "hand/kinematics.h"
#include "support/console_capture.h"

namespace gs {
namespace {

constexpr double kTol = 5e-5;

class SphereContact : public ::testing::Test {
protected:
  void SetUp() override {
    InitModelState(&s);
    StartUp(&s);
  }
  int Touch(int n, double *L = nullptr) {
    double scratch = 0.0;
    const int f = (n == 2) ? 2 : 1;
    return VeskSphereContanct(&s, n, s.rwG, s.aSph, &s.qqf[f][1], L ? L : &scratch, s.RC[f],
                              s.NF[f], s.NW[f]);
  }
  GraspState s;
};

TEST_F(SphereContact, StartUpSceneBothLinksTouch) {
  double L1 = 0, L2 = 0;
  ASSERT_EQ(Touch(1, &L1), 1);
  ASSERT_EQ(Touch(2, &L2), 1);
  EXPECT_NEAR(s.RWG[0], -50.0, 1e-9); // finger 2 ran last
  EXPECT_NEAR(s.RWG[1], 80.0, 1e-9);
  for (int f = 1; f <= 2; f++) {
    const double sign = (f == 1) ? -1.0 : 1.0;
    EXPECT_NEAR(s.qqf[f][1], 1.4401, kTol);
    EXPECT_NEAR(s.RC[f][0], 0.0, kTol);
    EXPECT_NEAR(s.RC[f][1], 73.4835, kTol);
    EXPECT_NEAR(s.RC[f][2], sign * 49.5735, kTol);
    EXPECT_NEAR(s.NF[f][0], 0.0, kTol);
    EXPECT_NEAR(s.NF[f][1], 0.1303, kTol);
    EXPECT_NEAR(s.NF[f][2], -sign * 0.9915, kTol);
    EXPECT_NEAR(DistVecN(0, 2, s.RC[f], s.rwG), 50.0, 1e-9);
  }
  EXPECT_NEAR(L1, 72.8011, kTol);
  EXPECT_NEAR(L2, 72.8011, kTol);
}

TEST_F(SphereContact, AnyOtherFingerNumberIsFingerOne) {
  ASSERT_EQ(Touch(1), 1);
  const double rc = s.RC[1][2];
  for (int n : {0, 3, -1}) {
    double qc = 0, L = 0;
    Vec3 RC, NF, NW;
    EXPECT_EQ(VeskSphereContanct(&s, n, s.rwG, s.aSph, &qc, &L, RC, NF, NW), 1);
    EXPECT_EQ(RC[2], rc);
  }
}

TEST_F(SphereContact, FingertipContactReportsLinkLength) {
  // work far out along finger 2's straight direction: the link line reaches
  // beyond the link end, the fingertip still touches
  s.rwG[0] = 0;
  s.rwG[1] = 60;
  s.rwG[2] = 160;
  double L = 0;
  ASSERT_EQ(Touch(2, &L), 1);
  EXPECT_EQ(L, lFin);
  FingerLinkKinematics(&s, 2, s.qqf[2]);
  // the contact lies on both spheres
  EXPECT_NEAR(DistVecN(0, 2, s.RC[2], s.rJ2[2]), aF, 1e-9);
  EXPECT_NEAR(DistVecN(0, 2, s.RC[2], s.rwG), s.aSph, 1e-9);
}

TEST_F(SphereContact, FingertipOutOfReachKeepsExtendedLinkResult) {
  s.rwG[0] = 0;
  s.rwG[1] = 30;
  s.rwG[2] = 230; // link line touches at L > lFin, fingertip cannot reach
  double L = 0;
  EXPECT_EQ(Touch(2, &L), 0);
  EXPECT_GT(L, lFin);
  EXPECT_NE(s.qqf[2][1], kFullTurn); // the extended-link angle, not the marker
  EXPECT_TRUE(std::isfinite(s.qqf[2][1]));
}

TEST_F(SphereContact, NoLinkSolutionGivesZeroNormals) {
  s.rwG[0] = 0;
  s.rwG[1] = 10;
  s.rwG[2] = -50; // the work swallows finger 1's joint
  for (int i = 0; i < 3; i++) s.NF[1][i] = s.NW[1][i] = 5.0;
  double L = 3.0;
  EXPECT_EQ(Touch(1, &L), 0);
  EXPECT_EQ(s.qqf[1][1], 0.0);
  EXPECT_EQ(L, 0.0);
  for (int i = 0; i < 3; i++) {
    EXPECT_EQ(s.RC[1][i], s.rJ1[1][i]);
    EXPECT_EQ(s.NF[1][i], 0.0);
    EXPECT_EQ(s.NW[1][i], 0.0);
  }
}

// Rotating hand and work centre together is a rigid motion of the whole
// scene: angles and distances stay, points and normals turn with it.
TEST_F(SphereContact, RotatingTheSceneRotatesTheContact) {
  std::mt19937 rng(12345);
  std::uniform_real_distribution<double> ang(-3.2, 3.2), pos(-200.0, 200.0), rad(1.0, 120.0);
  int touched = 0;
  for (int trial = 0; trial < 3000; trial++) {
    GraspState a, b;
    InitModelState(&a);
    StartUp(&a);
    a.alHand = ang(rng);
    a.betHand = ang(rng);
    HandKinematics(&a, a.alHand, a.betHand);
    a.aSph = rad(rng);
    // a work centre on the palm side within reach of the fingers, in hand coordinates
    const Vec3 local = {pos(rng) * 0.3, std::fabs(pos(rng)) * 0.8, pos(rng) * 0.8};
    MulMatVec3(a.EA, local, a.rwG);
    b = a;
    // the same scene turned by a further rotation R about the origin
    Mat3 rx, ry, R;
    RotX3(ang(rng), rx);
    RotY3(ang(rng), ry);
    MulMat3(rx, ry, R);
    // a general rotation is no hand pose (Rx Ry), so turn the finger frames,
    // joints and work centre directly
    MulMat3(R, a.Es1, b.Es1);
    MulMat3(R, a.Es2, b.Es2);
    MulMatVec3(R, a.rJ1[1], b.rJ1[1]);
    MulMatVec3(R, a.rJ2[1], b.rJ2[1]);
    MulMatVec3(R, a.rwG, b.rwG);
    for (int f = 1; f <= 2; f++) {
      double qa = 0, qb = 0, La = 0, Lb = 0;
      Vec3 RCa, NFa, NWa, RCb, NFb, NWb;
      const int sa = VeskSphereContanct(&a, f, a.rwG, a.aSph, &qa, &La, RCa, NFa, NWa);
      const int sb = VeskSphereContanct(&b, f, b.rwG, b.aSph, &qb, &Lb, RCb, NFb, NWb);
      ASSERT_EQ(sa, sb);
      EXPECT_NEAR(qa, qb, 1e-9);
      EXPECT_NEAR(La, Lb, 1e-9);
      Vec3 rRC, rNF, rNW;
      MulMatVec3(R, RCa, rRC);
      MulMatVec3(R, NFa, rNF);
      MulMatVec3(R, NWa, rNW);
      for (int i = 0; i < 3; i++) {
        EXPECT_NEAR(rRC[i], RCb[i], 1e-8);
        EXPECT_NEAR(rNF[i], NFb[i], 1e-9);
        EXPECT_NEAR(rNW[i], NWb[i], 1e-9);
      }
      touched += sa;
    }
  }
  EXPECT_GT(touched, 1000); // the sample really exercises contacts
}

// Whatever the input, a reported contact is made of finite numbers.
TEST_F(SphereContact, NeverReportsNonFiniteContact) {
  std::mt19937 rng(777);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  const double specials[] = {0.0,       -0.0, 1e-300, 1e300,  -1e300, INFINITY,
                             -INFINITY, NAN,  110.0,  -110.0, 50.0,   100.0};
  auto pick = [&](double scale) {
    const int k = static_cast<int>((u(rng) + 1.0) * 10.0);
    return (k < 12) ? specials[k] : u(rng) * scale;
  };
  int checked = 0;
  for (int trial = 0; trial < 20000; trial++) {
    s.alHand = pick(4.0);
    s.betHand = pick(4.0);
    HandKinematics(&s, s.alHand, s.betHand);
    s.aSph = (trial % 3 == 0) ? -std::fabs(pick(100.0)) : pick(150.0);
    for (int i = 0; i < 3; i++) s.rwG[i] = pick(250.0);
    for (int f = 1; f <= 2; f++) {
      double qc = 0, L = 0;
      Vec3 RC, NF, NW;
      if (VeskSphereContanct(&s, f, s.rwG, s.aSph, &qc, &L, RC, NF, NW) > 0) {
        checked++;
        ASSERT_TRUE(std::isfinite(qc) && std::isfinite(L));
        for (int i = 0; i < 3; i++)
          ASSERT_TRUE(std::isfinite(RC[i]) && std::isfinite(NF[i]) && std::isfinite(NW[i]));
      }
    }
  }
  EXPECT_GT(checked, 100);
}

TEST_F(SphereContact, NarrationIsSilentByDefaultAndPrintsWhenSwitchedOn) {
  testing::ConsoleCapture out;
  Touch(1);
  EXPECT_EQ(out.text(), "");
  {
    testing::TraceOn driver(kTraceSphereContact), link(kTraceLinkContact);
    testing::ScriptedKeys keys("xxxxcxc");
    Touch(1);
  }
  EXPECT_NE(out.text().find("\n△-------VeskSphereContanct()始め nFin=1"), std::string::npos);
  EXPECT_NE(out.text().find("\n▲ L=72.8011"), std::string::npos);
  EXPECT_NE(out.text().find("\n△第1指 LinkSphereContact()の解  sol=1"), std::string::npos);
  EXPECT_NE(out.text().find("\n  q1= 1.4401 L1=72.8011 lFin=100.00"), std::string::npos);
  out.clear();
  {
    testing::TraceOn tip(kTraceTipContact);
    testing::ScriptedKeys keys("c");
    const Vec3 far = {250, 0, 0};
    double qc;
    Vec3 RC, NF, NW;
    TipSphereContact(far, 100.0, &qc, RC, NF, NW);
  }
  EXPECT_EQ(out.text(), "\n□--------TipSphereContanct()-----------解 solq=0-------"
                        "\n →指先は球に届かない.解なし");
}

} // namespace
} // namespace gs
