#include "app/sequence.h"

#include "app/constants.h"
#include "app/trace.h"
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

void PrintKeyHelp() {
  ConsolePrintf("\n//--------------- キーによる操作(1) 設定 ------------------------------//");
  ConsolePrintf("\n  'H' : 2指ハンドの姿勢変更");
  ConsolePrintf("\n        (p,P)でX軸回り回転，(q,Q)でY軸回り回転");
  ConsolePrintf("\n  'W' : ワーク(球体)の位置変更");
  ConsolePrintf("\n        (X,x),(Y,y),(Z,z)キーで±X,±Y,±Z方向へ移動させる．");
  ConsolePrintf("\n//--------------- キーによる操作(2) 計算 ------------------------------//");
  ConsolePrintf("\n  'A'：把握の計算と結果の描画");
  ConsolePrintf("\n       's'キーで第1,2指の接触計算を順に行う");
  ConsolePrintf("\n  'S' : 力学計算と結果の描画");
  ConsolePrintf("\n       's'キーで第1,2指の接触計算を順に行う");
  ConsolePrintf("\n//--------------- キーによる操作(3) 画面の移動 ------------------------//");
  ConsolePrintf("\n  'I' : 描画画面の移動・回転");
  ConsolePrintf("\n       (X,x),(Y,y),(Z,z)：±[X,Y,Z]方向に座標系移動");
  ConsolePrintf("\n       (P,p),(Q,q),(R,r)：[X,Y,Z]各軸回り座標系±回転");
  ConsolePrintf("\n  '0'：初期状態にリセット");
  ConsolePrintf("\n  ESCキー：終了");
}

} // namespace gs
