#include "grasp/contact_step.h"

#include "contact/sphere_contact.h"
#include "geom/vecmat.h"
#include "graspstat/trace.h"
#include "hand/kinematics.h"

namespace gs {

int ContactStep(GraspState *s) {
  const int trace = TraceLevel(kTraceKeyboard);
  if (s->sgnGraspExec == 0) return 0;
  if (s->sgnGraspEnd == 1 || s->cntContact == 2) return 0;
  s->sgnGraspEnd = 0;
  if (s->nFin == 0) {
    s->nFin = 1;
    if (trace > 0)
      ConsolePrintf("\n★key():calGrasp : sgnCAL=%c key=%c nFin=%d sgnCALEnd=%c", s->sgnCAL, 's',
                    s->nFin, s->sgnCALEnd);
  } else if (s->nFin == 1) {
    s->nFin = 2;
  } else {
    s->sgnGraspEnd = 1;
    return 0;
  }
  const int n = s->nFin;
  if (trace > 0) {
    ConsolePrintf("\n★key():---------接触計算 nFin=%d sgnGraspEnd=%d cntContact=%d---------", n,
                  s->sgnGraspEnd, s->cntContact);
    ConsolePrintf("\n  (nFin=%d)指の接触計算前qqf[1][1]=%7.4f", n, s->qqf[1][1]);
    ConsolePrintf("  qqf[2][1]=%7.4f", s->qqf[2][1]);
    PauseKey();
  }
  double along = 0.0; // position along the link; not needed here
  const int sol = VeskSphereContanct(s, n, s->rwG, s->aSph, &s->qqf[n][1], &along, s->RC[n],
                                     s->NF[n], s->NW[n]);
  CopyVec3(s->NW[n], s->nc[n]);
  s->contactCode[n] = sol;
  FingerLinkKinematics(s, n, s->qqf[n]); // the link follows its new joint angle
  if (sol > 0) s->cntContact += 1;
  if (n >= 2) s->sgnGraspEnd = 1;
  if (trace > 0) {
    ConsolePrintf("\n★key():nFin=%dの接触計算後 解sol=%d 接触点数cntContact=%d sgnGraspEnd=%d", n,
                  sol, s->cntContact, s->sgnGraspEnd);
    if (sol > 0) {
      ConsolePrintf("\n  RC[%d][]=", n);
      PrintVec(0, 2, s->RC[n]);
    }
    if (s->sgnGraspEnd == 0)
      ConsolePrintf("\n\n★----------nFin=%d→次の指関節へ---------------------------★", n);
    else
      ConsolePrintf("\n\n★----------nFin=%d→接触計算終了---------------------------★", n);
  }
  return 1;
}

} // namespace gs
