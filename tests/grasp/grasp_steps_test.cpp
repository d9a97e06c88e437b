// The grasp steps called directly leave the record and the console exactly as
// the key interpreter leaves them for the same pose and keys.
#include "grasp/grasp_solve.h"

#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "app/keyboard.h"
#include "geom/vecmat.h"
#include "grasp/start_up.h"
#include "hand/kinematics.h"
#include "support/console_capture.h"

namespace gs {
namespace {

// The grasp as the keys compute it: pose and work written into the record,
// kinematics and reset, then A, s, s, S, s.
void SolveByKeys(GraspState *s, double al, double bet, const double *rwG, double aSph) {
  s->alHand = al;
  s->betHand = bet;
  CopyVec3(rwG, s->rwG);
  s->aSph = aSph;
  HandKinematics(s, al, bet);
  InitGraspState(s);
  for (const unsigned char key : {'A', 's', 's', 'S', 's'})
    KeyboardInterpret(s, key, nullptr, nullptr);
}

TEST(GraspSteps, SolvePoseEqualsTheKeysFieldByField) {
  GraspState start;
  InitModelState(&start);
  StartUp(&start);
  std::mt19937 rng(17);
  std::uniform_real_distribution<double> angle(-1.6, 1.6), off(-60.0, 60.0), rad(0.0, 90.0);
  int solved = 0;
  for (int i = 0; i < 2000; i++) {
    const double al = angle(rng), bet = angle(rng);
    const double rwG[3] = {off(rng), 80.0 + off(rng), off(rng)};
    const double aSph = rad(rng);
    // byte copies, so that the padding of both records is the same too
    GraspState byKeys, bySteps;
    std::memcpy(&byKeys, &start, sizeof start);
    std::memcpy(&bySteps, &start, sizeof start);
    std::string keysText, stepsText;
    {
      testing::ConsoleCapture console;
      SolveByKeys(&byKeys, al, bet, rwG, aSph);
      keysText = console.text();
    }
    {
      testing::ConsoleCapture console;
      SolvePose(&bySteps, al, bet, rwG, aSph);
      stepsText = console.text();
    }
    ASSERT_EQ(std::memcmp(&byKeys, &bySteps, sizeof byKeys), 0) << "pose " << i;
    ASSERT_EQ(keysText, stepsText) << "pose " << i;
    solved += (bySteps.cntContact == 2);
  }
  EXPECT_GT(solved, 300); // enough poses reach both contacts and the statics
}

} // namespace
} // namespace gs
