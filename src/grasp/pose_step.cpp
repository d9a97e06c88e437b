#include "grasp/pose_step.h"

#include "geom/vecmat.h"
#include "grasp/start_up.h"
#include "hand/kinematics.h"

namespace gs {

int SetHandPose(GraspState *s, double al, double bet) {
  s->alHand = al;
  s->betHand = bet;
  HandKinematics(s, s->alHand, s->betHand);
  return InitGraspState(s);
}

int SetWork(GraspState *s, const double *rwG, double aSph) {
  CopyVec3(rwG, s->rwG);
  s->aSph = aSph;
  return InitGraspState(s);
}

int SetPoseAndWork(GraspState *s, double al, double bet, const double *rwG, double aSph) {
  CopyVec3(rwG, s->rwG);
  s->aSph = aSph;
  return SetHandPose(s, al, bet);
}

} // namespace gs
