#include "grasp/start_up.h"

#include "geom/vecmat.h"
#include "graspstat/constants.h"
#include "hand/kinematics.h"

namespace gs {

int InitGraspState(GraspState *s) {
  s->nFin = 0;
  s->sgnCALEnd = 'N';
  s->cntContact = 0;
  s->sgnGraspEnd = 0;
  s->sgnStaticsEnd = 0;
  for (int k = 1; k <= 2; k++) {
    s->FCZ[k] = 0.0;
    s->TCF[k] = 0.0;
    s->MCZ[k] = 0.0;
  }
  s->qqf[1][1] = 0.0;
  s->qqf[2][1] = 0.0;
  // the links follow the joint angles at once, so a run without a window has them too
  FingerLinkKinematics(s, 1, s->qqf[1]);
  FingerLinkKinematics(s, 2, s->qqf[2]);
  s->exact = ExactCheck{};
  s->sgnGraspExec = CheckGraspExec(s);
  return s->sgnGraspExec;
}

int StartUp(GraspState *s) {
  CopyVec3(kStartViewRot, s->viewRot);
  s->viewTrans[1] = kStartViewTrans[1];
  s->viewTrans[2] = kStartViewTrans[2];
  s->alHand = 0.0;
  s->betHand = 0.0;
  s->qqf[2][1] = 0.0;
  s->qqf[1][1] = 0.0;
  HandKinematics(s, s->alHand, s->betHand);
  s->aSph = kStartRadius;
  CopyVec3(kStartWorkCentre, s->rwG);
  CopyMat3(E3, s->EW);
  s->sgnGraspExec = CheckGraspExec(s);
  s->sgnCAL = 'A';
  InitGraspState(s);
  return 1;
}

} // namespace gs
