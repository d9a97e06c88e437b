#include "grasp/grasp_solve.h"

#include "grasp/contact_step.h"
#include "grasp/pose_step.h"
#include "grasp/statics_step.h"

namespace gs {

int SolveCurrentPose(GraspState *s) {
  s->sgnCAL = 'A';
  s->sgnCALEnd = 'N';
  ContactStep(s);
  ContactStep(s);
  s->sgnCAL = 'S';
  if (s->sgnStaticsEnd != 1) StaticsStep(s);
  return s->cntContact;
}

int SolvePose(GraspState *s, double al, double bet, const double *rwG, double aSph) {
  SetPoseAndWork(s, al, bet, rwG, aSph);
  return SolveCurrentPose(s);
}

} // namespace gs
