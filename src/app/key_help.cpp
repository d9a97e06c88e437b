#include "app/key_help.h"

#include "graspstat/trace.h"

namespace gs {

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
