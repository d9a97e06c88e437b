#include "hand/kinematics.h"

#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "grasp/start_up.h"
#include "graspstat/constants.h"

namespace gs {
namespace {

void ExpectVec(const double *v, double x, double y, double z, double tol = 1e-9) {
  EXPECT_NEAR(v[0], x, tol);
  EXPECT_NEAR(v[1], y, tol);
  EXPECT_NEAR(v[2], z, tol);
}

std::string PoseText(const GraspState &s) {
  return std::string(s.handPoseText, static_cast<std::size_t>(s.handPoseTextLen));
}

class Kinematics : public ::testing::Test {
protected:
  void SetUp() override {
    InitModelState(&s);
    StartUp(&s);
  }
  void SetPose(double al, double bet) {
    s.alHand = al;
    s.betHand = bet;
    HandKinematics(&s, al, bet);
  }
  GraspState s;
};

TEST_F(Kinematics, StartPose) {
  for (int i = 0; i < 3; i++)
    for (int j = 0; j < 3; j++) EXPECT_EQ(s.EA[i][j], i == j ? 1.0 : 0.0);
  ExpectVec(s.rBase1, 0, 0, -50);
  ExpectVec(s.rBase2, 0, 0, 50);
  ExpectVec(s.rPalm, 0, 10, 0);
  ExpectVec(s.Es1[0], 0, 0, 1);
  ExpectVec(s.Es1[1], 0, 1, 0);
  ExpectVec(s.Es1[2], -1, 0, 0);
  ExpectVec(s.rJ1[1], 0, 0, -50);
  EXPECT_EQ(PoseText(s), "(P,Q)=(0,0)(deg)\n");
  EXPECT_EQ(CheckGraspExec(&s), 1);
}

TEST_F(Kinematics, LinkEnds) {
  const double q1[2] = {0.0, 1.5707963267948966};
  const double q2[2] = {0.0, 0.0};
  FingerLinkKinematics(&s, 1, q1);
  FingerLinkKinematics(&s, 2, q2);
  ExpectVec(s.rJ1[2], 0, 100, -50);
  ExpectVec(s.rJ2[2], 0, 0, 150);
  // any finger number but 2 means finger 1
  const double q3[2] = {0.0, 0.0};
  FingerLinkKinematics(&s, 7, q3);
  ExpectVec(s.rJ1[2], 0, 0, -150);
  // the link frame's z row is the joint axis: +hand X for finger 1
  ExpectVec(s.EL1t[2], 1, 0, 0);
  ExpectVec(s.EL2t[2], -1, 0, 0);
}

TEST_F(Kinematics, KeyUPoseCannotGrasp) {
  SetPose(kHalfPi, 0.0);
  ExpectVec(s.EAt[1], 0, 0, 1, 1e-6); // palm normal points up
  ExpectVec(s.rPalm, 0, 0, 10, 1e-6);
  ExpectVec(s.rBase1, 0, 50, 0, 1e-6);
  ExpectVec(s.rBase2, 0, -50, 0, 1e-6);
  EXPECT_EQ(CheckGraspExec(&s), 0);
}

TEST_F(Kinematics, ReachabilityConditions) {
  EXPECT_EQ(CheckGraspExec(&s), 1);
  s.rwG[1] = 200.0; // farther than aSph + lFin from both joints
  EXPECT_EQ(CheckGraspExec(&s), 0);
  s.rwG[1] = 20.0;
  s.aSph = 60.0; // joints inside the work
  EXPECT_EQ(CheckGraspExec(&s), 0);
  s.aSph = 50.0;
  s.rwG[1] = -60.0; // behind the palm face
  EXPECT_EQ(CheckGraspExec(&s), 0);
  s.rwG[1] = 80.0;
  s.aSph = NAN; // a NaN radius never admits a grasp
  EXPECT_EQ(CheckGraspExec(&s), 0);
}

TEST_F(Kinematics, PoseBannerText) {
  SetPose(kHandStep, 0.0);
  EXPECT_EQ(PoseText(s), "(P,Q)=(9,0)(deg)\n");
  SetPose(-2 * kHandStep, 0.0);
  EXPECT_EQ(PoseText(s), "(P,Q)=(-18,0)(deg)\n");
  SetPose(-0.3 / kRadToDeg, 10 * kHandStep);
  EXPECT_EQ(PoseText(s), "(P,Q)=(-0,90)(deg)\n");
  // every multiple of the key step shows as an exact multiple of 9 degrees
  for (int k = -40; k <= 40; k++) {
    SetPose(0.0, 0.0);
    double al = 0.0;
    for (int i = 0; i < (k < 0 ? -k : k); i++) al += (k < 0 ? -kHandStep : kHandStep);
    SetPose(al, 0.0);
    const std::string want = "(P,Q)=(" + std::string(k < 0 ? "-" : "") +
                             std::to_string(9 * (k < 0 ? -k : k)) + ",0)(deg)\n";
    EXPECT_EQ(PoseText(s), want) << k;
  }
}

TEST(IntToText, DigitsAndThousands) {
  char buf[8];
  EXPECT_EQ(IntToText(0.0, buf), 1);
  EXPECT_EQ(std::string(buf, 1), "0");
  EXPECT_EQ(IntToText(1005.7, buf), 4);
  EXPECT_EQ(std::string(buf, 4), "1005");
  EXPECT_EQ(IntToText(-307.2, buf), 4);
  EXPECT_EQ(std::string(buf, 4), "-307");
  EXPECT_EQ(IntToText(12345.0, buf), 4); // thousands value 12 shows as x
  EXPECT_EQ(std::string(buf, 4), "x345");
  EXPECT_EQ(IntToText(-10000.0, buf), 5);
  EXPECT_EQ(std::string(buf, 5), "-x000");
  EXPECT_EQ(IntToText(1e300, buf), 4); // saturates instead of overflowing
  EXPECT_EQ(buf[0], 'x');
  EXPECT_EQ(DigitChar(7), '7');
  EXPECT_EQ(DigitChar(10), 'x');
  EXPECT_EQ(DigitChar(-1), 'x');
}

} // namespace
} // namespace gs
