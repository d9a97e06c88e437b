#include "app/keyboard.h"

#include "geom/vecmat.h"
#include "grasp/contact_step.h"
#include "grasp/pose_step.h"
#include "grasp/statics_step.h"
#include "graspstat/constants.h"
#include "graspstat/trace.h"

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
  double al = s->alHand;
  double bet = s->betHand;
  switch (key) {
  case 'P':
    al += kHandStep;
    break;
  case 'p':
    al -= kHandStep;
    break;
  case 'Q':
    bet += kHandStep;
    break;
  case 'q':
    bet -= kHandStep;
    break;
  case 'u':
    al = kHalfPi;
    break;
  case 'd':
    al = -kHalfPi;
    break;
  default:
    break;
  }
  if (trace > 0) ConsolePrintf("→(%7.4f %7.4f)", al, bet);
  SetHandPose(s, al, bet);
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
  Vec3 rwG;
  CopyVec3(s->rwG, rwG);
  double aSph = s->aSph;
  switch (key) {
  case 'R':
    aSph += kWorkStep;
    break;
  case 'r':
    aSph -= kWorkStep;
    if (aSph < 0.0) aSph = 0.0;
    break;
  case 'X':
    rwG[0] += kWorkStep;
    break;
  case 'x':
    rwG[0] -= kWorkStep;
    break;
  case 'Y':
    rwG[1] += kWorkStep;
    break;
  case 'y':
    rwG[1] -= kWorkStep;
    break;
  case 'Z':
    rwG[2] += kWorkStep;
    break;
  case 'z':
    rwG[2] -= kWorkStep;
    break;
  default:
    break;
  }
  SetWork(s, rwG, aSph);
  if (trace > 0) {
    ConsolePrintf("\n→aSph=%6.3f rwG[]=", s->aSph);
    PrintVec(0, 2, s->rwG);
    ConsolePrintf(" sgnGraspExec=%d", s->sgnGraspExec);
    if (s->sgnGraspExec == 0) ConsolePrintf("→把握不能");
  }
}

// Mode A: one key 's' computes the contact of the next finger.
void ContactKey(GraspState *s, unsigned char key, int trace) {
  if (trace > 0) {
    ConsolePrintf("\n★calGrasp:2指の接触計算始め nFin=%dは終了 : cntContact=%d　key=%c", s->nFin,
                  s->cntContact, key);
    ConsolePrintf("\n  sgnGraspExec=%d", s->sgnGraspExec);
    if (s->sgnGraspExec == 0) ConsolePrintf(" → 指はワークを把握できない．設定変更 or 終了");
  }
  if (key == 's') ContactStep(s);
}

// Mode S: one key 's' per contact sequence runs the grasp statics.
void StaticsKey(GraspState *s, unsigned char key, int trace) {
  if (trace > 0) {
    ConsolePrintf("\n★calStatics:2指の把握力学計算始め sgnStaticsEnd=%d", s->sgnStaticsEnd);
    PauseKey();
  }
  if (s->sgnStaticsEnd == 1) return;
  s->sgnStaticsEnd = 0;
  if (key == 's') StaticsStep(s);
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
