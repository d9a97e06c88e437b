#include "graspstat/state.h"

#include <gtest/gtest.h>

#include "grasp/start_up.h"

namespace gs {
namespace {

TEST(ModelState, LoadTimeValues) {
  GraspState s;
  InitModelState(&s);
  EXPECT_EQ(s.aSph, 100.0);
  EXPECT_EQ(s.sgnCALEnd, 'N');
  EXPECT_EQ(s.sgnCAL, '\0');
  EXPECT_EQ(s.nFin, 0);
}

TEST(ModelState, StateRightAfterStartUp) {
  GraspState s;
  InitModelState(&s);
  StartUp(&s);
  EXPECT_EQ(s.sgnCAL, 'A');
  EXPECT_EQ(s.sgnCALEnd, 'N');
  EXPECT_EQ(s.nFin, 0);
  EXPECT_EQ(s.cntContact, 0);
  EXPECT_EQ(s.sgnGraspEnd, 0);
  EXPECT_EQ(s.sgnStaticsEnd, 0);
  EXPECT_EQ(s.StaticsStability, 0);
  EXPECT_EQ(s.sgnGraspExec, 1);
  EXPECT_EQ(s.alHand, 0.0);
  EXPECT_EQ(s.betHand, 0.0);
  EXPECT_EQ(s.aSph, 50.0);
  EXPECT_EQ(s.rwG[0], 0.0);
  EXPECT_EQ(s.rwG[1], 80.0);
  EXPECT_EQ(s.rwG[2], 0.0);
  EXPECT_EQ(s.qqf[1][1], 0.0);
  EXPECT_EQ(s.qqf[2][1], 0.0);
  EXPECT_EQ(s.viewRot[0], 4.0);
  EXPECT_EQ(s.viewRot[1], -18.0);
  EXPECT_EQ(s.viewRot[2], 5.0);
  EXPECT_EQ(s.viewTrans[0], 0.0);
  EXPECT_EQ(s.viewTrans[1], 0.0);
  EXPECT_EQ(s.viewTrans[2], -0.5);
  for (int i = 0; i < 3; i++)
    for (int j = 0; j < 3; j++) EXPECT_EQ(s.EW[i][j], i == j ? 1.0 : 0.0);
}

TEST(ModelState, ResetClearsSequenceButKeepsResults) {
  GraspState s;
  InitModelState(&s);
  StartUp(&s);
  s.nFin = 2;
  s.cntContact = 2;
  s.sgnGraspEnd = 1;
  s.sgnStaticsEnd = 1;
  s.StaticsStability = 1;
  s.sgnCALEnd = 'Y';
  s.qqf[1][1] = 1.2;
  s.qqf[2][1] = 1.3;
  s.FCZ[1] = s.TCF[2] = s.MCZ[1] = 5.0;
  s.RC[1][1] = 73.0;
  s.tc[2][2] = 1.0;
  s.aSph = 200.0; // out of reach after the change... joints inside the work
  EXPECT_EQ(InitGraspState(&s), 0);
  EXPECT_EQ(s.sgnGraspExec, 0);
  EXPECT_EQ(s.nFin, 0);
  EXPECT_EQ(s.cntContact, 0);
  EXPECT_EQ(s.sgnGraspEnd, 0);
  EXPECT_EQ(s.sgnStaticsEnd, 0);
  EXPECT_EQ(s.sgnCALEnd, 'N');
  EXPECT_EQ(s.qqf[1][1], 0.0);
  EXPECT_EQ(s.qqf[2][1], 0.0);
  EXPECT_EQ(s.FCZ[1], 0.0);
  EXPECT_EQ(s.TCF[2], 0.0);
  EXPECT_EQ(s.MCZ[1], 0.0);
  EXPECT_EQ(s.RC[1][1], 73.0);      // contact results stay
  EXPECT_EQ(s.tc[2][2], 1.0);       // friction directions stay
  EXPECT_EQ(s.StaticsStability, 1); // the last verdict stays
}

} // namespace
} // namespace gs
