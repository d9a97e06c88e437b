#include "app/keyboard.h"

#include "app/constants.h"
#include "app/sequence.h"
#include "app/trace.h"
#include "contact/sphere_contact.h"
#include "hand/kinematics.h"
#include "statics/exact_check.h"
#include "statics/statics.h"

namespace gs {

namespace {

constexpr unsigned char kKeyEsc = 27;

void Redraw(const GraspState *s, RedrawFn redraw, void *ctx) {
  if (redraw != nullptr) redraw(s, ctx);
}

// Mode I: turns and shifts the view.
int ViewKey(GraspState *s, unsigned char key, int trace) {
  switch (key) {
  case kKeyEsc:
    return kKeyExit;
  case 'P':
    s->viewRot[0] += kViewRotStep;
    break;
  case 'p':
    s->viewRot[0] -= kViewRotStep;
    break;
  case 'Q':
    s->viewRot[1] += kViewRotStep;
    break;
  case 'q':
    s->viewRot[1] -= kViewRotStep;
    break;
  case 'R':
    s->viewRot[2] += kViewRotStep;
    break;
  case 'r':
    s->viewRot[2] -= kViewRotStep;
    break;
  case 'X':
    s->viewTrans[0] += kViewTransStep;
    break;
  case 'x':
    s->viewTrans[0] -= kViewTransStep;
    break;
  case 'Y':
    s->viewTrans[1] += kViewTransStep;
    break;
  case 'y':
    s->viewTrans[1] -= kViewTransStep;
    break;
  case 'Z':
    s->viewTrans[2] += kViewTransStep;
    break;
  case 'z':
    s->viewTrans[2] -= kViewTransStep;
    break;
  default:
    break;
  }
  if (trace > 0) {
    switch (key) {
    case 'P':
    case 'p':
    case 'Q':
    case 'q':
    case 'R':
    case 'r':
      ConsolePrintf("\n★画像視線変化(p,q,r) qqf[1][]=(%6.3f %6.3f)", s->qqf[1][1], s->qqf[2][1]);
      break;
    default:
      break;
    }
  }
  return kKeyHandled;
}

// Mode H: turns the hand; every key of this mode resets the sequence.
void HandKey(GraspState *s, unsigned char key, int trace) {
  if (trace > 0)
    ConsolePrintf("\nハンドのX,Y軸回りの回転:(alHand,betHand)=(%7.4f %7.4f)", s->alHand,
                  s->betHand);
  switch (key) {
  case 'P':
    s->alHand += kHandStep;
    break;
  case 'p':
    s->alHand -= kHandStep;
    break;
  case 'Q':
    s->betHand += kHandStep;
    break;
  case 'q':
    s->betHand -= kHandStep;
    break;
  case 'u':
    s->alHand = kHalfPi;
    break;
  case 'd':
    s->alHand = -kHalfPi;
    break;
  default:
    break;
  }
  if (trace > 0) ConsolePrintf("→(%7.4f %7.4f)", s->alHand, s->betHand);
  HandKinematics(s, s->alHand, s->betHand);
  InitGraspState(s);
}

// Mode W: resizes or moves the work; every key of this mode resets the
// sequence. The radius never goes below zero: a sphere of negative size has
// no meaning for the contact and statics calculations.
void WorkKey(GraspState *s, unsigned char key, int trace) {
  if (trace > 0) {
    ConsolePrintf("\n★key=%c ワークの位置変更", key);
    ConsolePrintf("\n★ワーク 半径=%6.3f 位置rwG[] =", s->aSph);
    PrintVec(0, 2, s->rwG);
  }
  switch (key) {
  case 'R':
    s->aSph += kWorkStep;
    break;
  case 'r':
    s->aSph -= kWorkStep;
    if (s->aSph < 0.0) s->aSph = 0.0;
    break;
  case 'X':
    s->rwG[0] += kWorkStep;
    break;
  case 'x':
    s->rwG[0] -= kWorkStep;
    break;
  case 'Y':
    s->rwG[1] += kWorkStep;
    break;
  case 'y':
    s->rwG[1] -= kWorkStep;
    break;
  case 'Z':
    s->rwG[2] += kWorkStep;
    break;
  case 'z':
    s->rwG[2] -= kWorkStep;
    break;
  default:
    break;
  }
  InitGraspState(s);
  if (trace > 0) {
    ConsolePrintf("\n→aSph=%6.3f rwG[]=", s->aSph);
    PrintVec(0, 2, s->rwG);
    ConsolePrintf(" sgnGraspExec=%d", s->sgnGraspExec);
    if (s->sgnGraspExec == 0) ConsolePrintf("→把握不能");
  }
}

// Mode A: one key 's' computes the contact of the next finger. Returns 1
// when a contact calculation ran.
int ContactKey(GraspState *s, unsigned char key, int trace) {
  if (trace > 0) {
    ConsolePrintf("\n★calGrasp:2指の接触計算始め nFin=%dは終了 : cntContact=%d　key=%c", s->nFin,
                  s->cntContact, key);
    ConsolePrintf("\n  sgnGraspExec=%d", s->sgnGraspExec);
    if (s->sgnGraspExec == 0) ConsolePrintf(" → 指はワークを把握できない．設定変更 or 終了");
  }
  if (key != 's') return 0;
  if (s->sgnGraspExec == 0) return 0;
  if (s->sgnGraspEnd == 1 || s->cntContact == 2) return 0;
  s->sgnGraspEnd = 0;
  if (s->nFin == 0) {
    s->nFin = 1;
    if (trace > 0)
      ConsolePrintf("\n★key():calGrasp : sgnCAL=%c key=%c nFin=%d sgnCALEnd=%c", s->sgnCAL, key,
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

void TraceStaticsResult(const GraspState *s, int sol) {
  ConsolePrintf("\n★VeskStatics()  解 sol=%d", sol);
  const char *const labels[6] = {
      "\n  RC[1]=", "  RC[2]=", "\n  nc[1]=", "  nc[2]=", "\n  tc[1]=", "  tc[2]="};
  const double *vecs[6] = {s->RC[1], s->RC[2], s->nc[1], s->nc[2], s->tc[1], s->tc[2]};
  for (int i = 0; i < 6; i++) {
    ConsolePrintf("%s", labels[i]);
    PrintVec(0, 2, vecs[i]);
  }
  ConsolePrintf("\n  FCZ[1]=%6.3f TCF[1]=%6.3f     ", s->FCZ[1], s->TCF[1]);
  ConsolePrintf("  FCZ[2]=%6.3f TCF[2]=%6.3f", s->FCZ[2], s->TCF[2]);
  ConsolePrintf("\n  MCZ[1]=%6.3f                   ", s->MCZ[1]);
  ConsolePrintf("  MCZ[2]=%6.3f", s->MCZ[2]);
  ConsolePrintf(sol == 0 ? " → 安定把握の解なし" : " → 安定把握の解あり");
  ConsolePrintf("\n  StaticsStability=%d sgnStaticsEnd=%d", s->StaticsStability, s->sgnStaticsEnd);
}

// Mode S: one key 's' per contact sequence runs the grasp statics.
void StaticsKey(GraspState *s, unsigned char key, int trace) {
  if (trace > 0) {
    ConsolePrintf("\n★calStatics:2指の把握力学計算始め sgnStaticsEnd=%d", s->sgnStaticsEnd);
    PauseKey();
  }
  if (s->sgnStaticsEnd == 1) return;
  s->sgnStaticsEnd = 0;
  if (key != 's') return;
  int sol = 0;
  s->exact = ExactCheck{};
  if (s->cntContact < 2) {
    // without two contacts there is no grasp to solve: record "no stable
    // grasp" instead of solving on stale or empty contact results
    s->staticsCase = kCaseNone;
    s->staticsSubCase = kSubNone;
    s->normCandidate = 0;
  } else {
    sol = VeskStatics(s);
    // the exact check of the same contacts, once per statics calculation
    ExactGraspCheck(s, &s->exact);
  }
  s->StaticsStability = (sol != 0) ? 1 : 0;
  s->sgnStaticsEnd = 1;
  if (trace > 0) TraceStaticsResult(s, sol);
}

} // namespace

int KeyboardInterpret(GraspState *s, unsigned char key, RedrawFn redraw, void *ctx) {
  const int trace = TraceLevel(kTraceKeyboard);
  if (trace > 0)
    ConsolePrintf("\n\n★★--------keyboard()始め key=%c sgnCAL=%c-------------------------★★", key,
                  s->sgnCAL);

  switch (key) {
  case 'I':
    s->sgnCAL = 'I';
    break;
  case 'H':
    s->sgnCAL = 'H';
    break;
  case 'W':
    s->sgnCAL = 'W';
    break;
  case 'A':
    s->sgnCAL = 'A';
    s->sgnCALEnd = 'N';
    break;
  case 'S':
    s->sgnCAL = 'S';
    break;
  default:
    // the key belongs to the current mode
    switch (s->sgnCAL) {
    case 'H':
      HandKey(s, key, trace);
      break;
    case 'W':
      WorkKey(s, key, trace);
      break;
    case 'A':
      ContactKey(s, key, trace);
      break;
    case 'S':
      StaticsKey(s, key, trace);
      break;
    default:
      if (ViewKey(s, key, trace) == kKeyExit) return kKeyExit;
      break;
    }
    break;
  }

  // one frame per key, drawn after everything the key changed
  Redraw(s, redraw, ctx);
  if (trace > 0) {
    ConsolePrintf("\n★sgnCAL=%c key=%c sgnGraspEnd=%d sgnStaticsEnd=%d usrdisplay()", s->sgnCAL,
                  key, s->sgnGraspEnd, s->sgnStaticsEnd);
    ConsolePrintf("\n★★---------------   keyboard() end    ------------------------★★\n");
  }
  return kKeyHandled;
}

} // namespace gs
