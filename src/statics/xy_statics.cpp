#include "statics/xy_statics.h"

#include <cmath>

#include "geom/inverse.h"
#include "geom/vecmat.h"
#include "graspstat/constants.h"
#include "graspstat/trace.h"
#include "statics/statics_constants.h"
#include "statics/statics_result.h"

namespace gs {

namespace {

// Prints the force and the two moment sums of the vertical balance against
// their targets (the second check of both vertical sub-cases).
void TraceVerticalCheck(const double *TCZ, const double *MCZ, const Vec3 *RTz, const Vec3 *nc,
                        const double *FEX) {
  ConsolePrintf("\n  ------確認2-------------------------------------");
  ConsolePrintf("\n  FZ=%7.4f FEX[z]=%7.4f", TCZ[1] + TCZ[2], FEX[2]);
  double M[2];
  for (int i = 0; i < 2; i++)
    M[i] = TCZ[1] * RTz[1][i] + MCZ[1] * nc[1][i] + TCZ[2] * RTz[2][i] + MCZ[2] * nc[2][i];
  ConsolePrintf("\n  MX=%7.4f MEX[x]=0", M[0]);
  ConsolePrintf("\n  MY=%7.4f MEX[x]=0", M[1]);
}

// Sub-case SP11-1: raises TCZ[1] until both moments are within mlim; returns
// 1 with TCZ and MCZ set, 0 when the share of contact 2 turns negative first.
int SolveVerticalByMoments(int trace, const Vec3 *nc, const Vec3 *RTz, const double *FEX,
                           double mlim, double *TCZ, double *MCZ) {
  int cnt = 0;
  for (;;) {
    TCZ[2] = FEX[2] - TCZ[1];
    const bool exhausted = !(TCZ[2] >= 0.0) || cnt > kMaxStaticsPasses;
    if (trace > 0) {
      ConsolePrintf("\n●SP11-1 全ベクトルXY面内 nc[2]≠nc[1]の場合 Z方向の釣り合い計算");
      ConsolePrintf("\n  TCZ[1]=%5.2f TCZ[2]=%5.2f FEX[z]=%5.2f cnt=%d", TCZ[1], TCZ[2], FEX[2],
                    cnt);
      if (exhausted) ConsolePrintf(" → 安定把握解なし．終了");
    }
    if (exhausted) return 0;
    const double Y2[2] = {-(RTz[1][0] * TCZ[1] + RTz[2][0] * TCZ[2]),
                          -(RTz[1][1] * TCZ[1] + RTz[2][1] * TCZ[2])};
    const double A2[2][2] = {{nc[1][0], nc[2][0]}, {nc[1][1], nc[2][1]}};
    double B[2][2];
    CopyMat(2, 2, &A2[0][0], &B[0][0]);
    const double det2 = inv(2, &B[0][0], 2);
    MCZ[1] = B[0][0] * Y2[0] + B[0][1] * Y2[1];
    MCZ[2] = B[1][0] * Y2[0] + B[1][1] * Y2[1];
    const bool within =
        !InverseFailed(det2) && std::fabs(MCZ[1]) <= mlim && std::fabs(MCZ[2]) <= mlim;
    if (trace > 0) {
      ConsolePrintf("\n  (SP11-1) Z方向の釣り合いの解  det2=%11.3e", det2);
      ConsolePrintf("\n  TCZ[1,2]=(%7.4f %7.4f)", TCZ[1], TCZ[2]);
      ConsolePrintf("\n  MCZ[1,2]=(%7.4f %7.4f)", MCZ[1], MCZ[2]);
      ConsolePrintf("\n  ------確認1-------------------------------------");
      ConsolePrintf("\n  Y2[]=");
      PrintVec(0, 1, Y2);
      const double AX[2] = {A2[0][0] * MCZ[1] + A2[0][1] * MCZ[2],
                            A2[1][0] * MCZ[1] + A2[1][1] * MCZ[2]};
      ConsolePrintf("\n  Y[] =");
      PrintVec(0, 1, AX);
      TraceVerticalCheck(TCZ, MCZ, RTz, nc, FEX);
      if (!within) ConsolePrintf("\n  MCZ[]過大→TCZ[1]変更");
      PauseKey();
    }
    if (within) return 1;
    cnt = cnt + 1;
    TCZ[1] = TCZ[1] + kTCZStep;
  }
}

// Sub-case SP11-2 (opposite normals): TCZ[1], TCZ[2] and the moment
// difference from one 3 x 3 solve; returns 0 when inv cannot invert.
int SolveVerticalOpposite(int trace, const Vec3 *nc, const Vec3 *RTz, const double *FEX,
                          double *TCZ, double *MCZ) {
  if (trace > 0) ConsolePrintf("\n●SP11-2 XY面内nc[2]=-nc[1]の場合 Z方向の釣り合い計算");
  const double A3[3][3] = {
      {1.0, 1.0, 0.0}, {RTz[1][0], RTz[2][0], nc[1][0]}, {RTz[1][1], RTz[2][1], nc[1][1]}};
  const double Y3[3] = {FEX[2], 0.0, 0.0};
  double B3[3][3];
  CopyMat(3, 3, &A3[0][0], &B3[0][0]);
  const double det3 = inv(3, &B3[0][0], 3);
  double X3[3];
  MulMatVec3(B3, Y3, X3);
  const double TCZ1 = X3[0], TCZ2 = X3[1], MCZ1 = 2.0 * X3[2], MCZ2 = MCZ1 - X3[2];
  if (trace > 0) {
    ConsolePrintf("\n  (1-2)の解  det3=%11.3e", det3);
    ConsolePrintf("\n  TCZ[1,2]=(%7.3f %7.4f)", TCZ1, TCZ2);
    ConsolePrintf("\n  MCZ[1,2]=(%7.4f %7.4f)", MCZ1, MCZ2);
    ConsolePrintf("\n  ------確認1-------------------------------------");
    TraceVec("\n  Y3[]=", 0, Y3);
    double AX[3];
    MulMatVec3(A3, X3, AX);
    ConsolePrintf("\n  FZ=%7.4f MX=%7.4f MY=%7.4f", AX[0], AX[1], AX[2]);
    const double tcz[3] = {0.0, TCZ1, TCZ2}, mcz[3] = {0.0, MCZ1, MCZ2};
    TraceVerticalCheck(tcz, mcz, RTz, nc, FEX);
    PauseKey();
  }
  if (InverseFailed(det3)) return 0; // values of the uninverted copy balance nothing
  TCZ[1] = TCZ1;
  TCZ[2] = TCZ2;
  MCZ[1] = MCZ1;
  MCZ[2] = MCZ2;
  return 1;
}

} // namespace

int VeskXYStatics(GraspState *s, const Vec3 *RC, const Vec3 *nc, const double *RW,
                  const double *FEX, double *FCZ, Vec3 *FC, Vec3 *tc, double *TCF, Vec3 *TC,
                  double *MCZ, Vec3 *MC) {
  const int trace = TraceLevel(kTraceXYStatics);
  s->staticsSubCase = kSubNone;
  if (trace > 0)
    ConsolePrintf("\n■VeskXYStatics()---------全ベクトル水平面内にあるケース---------------■");

  // preparation
  Vec3 RCW[3] = {}, RTz[3] = {}, R21, s21;
  for (int k = 1; k <= 2; k++) SubVec3(RC[k], RW, RCW[k]);
  SubVec3(RC[2], RC[1], R21);
  UnitVec3(R21, s21);
  for (int k = 1; k <= 2; k++) {
    const double horiz[3] = {-nc[k][1], nc[k][0], 0.0};
    UnitVec3(horiz, tc[k]);
    CrossVec3(RCW[k], eZ, RTz[k]);
  }
  double TCZ[3] = {0.0, 0.0, 0.0};
  TCZ[1] = FEX[2] * DotVec3(RCW[2], s21) / NormVec3(R21);
  MCZ[1] = 0.0;
  if (trace > 0) {
    for (int k = 1; k <= 2; k++) {
      Vec3 RN;
      CrossVec3(RCW[k], nc[k], RN);
      ConsolePrintf("\n  k=%d", k);
      TraceVec("\n  RC[%d]=", k, RC[k]);
      TraceVec("\n  nc[%d]=", k, nc[k]);
      TraceVec("\n  RCW[%d]=", k, RCW[k]);
      ConsolePrintf("  |RCW[%d]|=|RC[%d]-RW|=%7.4f", k, k, NormVec3(RCW[k]));
      TraceVec("\n  tc[%d]=", k, tc[k]);
      TraceVec("\n  RN[%d]=", k, RN);
      TraceVec("\n  RTz[%d]=", k, RTz[k]);
    }
    TraceVec("\n  R21[]=", 0, R21);
    ConsolePrintf("\n  |R21[]|=%7.4f", NormVec3(R21));
    ConsolePrintf("\n  (RCW[1],s21)=%7.4f (RCW[2],s21)=%7.4f |RCW[1]|=%7.4f |RCW[2]|=%7.4f",
                  DotVec3(RCW[1], s21), DotVec3(RCW[2], s21), NormVec3(RCW[1]), NormVec3(RCW[2]));
    ConsolePrintf("\n●SP1 全力・方向・接触点がXY面内にある (1),(2)に分けて計算");
    ConsolePrintf("\n  (1) Z方向の力釣り合い，\n  XY面内のモーメントの釣り合い式からTCF[1,2], "
                  "MCZ[1,2]を3式から求める");
    ConsolePrintf(
        "\n  (2) XY面の力釣り合い，\n  XY面j法線回りのモーメントの釣り合い式からFCZ[1,2], "
        "TCF[1,2]を3式から求める");
    PauseKey();
    ConsolePrintf("\n  TCZ[1]=%7.4f", TCZ[1]);
    PauseKey();
  }

  // vertical balance, by the relation of the two normals
  const double S = std::fabs(nc[1][0] + nc[2][0]) + std::fabs(nc[1][1] + nc[2][1]);
  const double D = DistVecN(0, 2, nc[1], nc[2]);
  const double mlim = kForceCap * kCaseMu * kCaseRm;
  if (S < EPS4) {
    s->staticsSubCase = kSubSP11_2;
    if (SolveVerticalOpposite(trace, nc, RTz, FEX, TCZ, MCZ) == 0) return 0;
  } else if (D < EPS4) {
    s->staticsSubCase = kSubSP113;
    if (trace > 0) ConsolePrintf("\n●SP113 nc[2]=nc[1]の場合：安定把握の解なし");
    return 0;
  } else {
    s->staticsSubCase = kSubSP11_1;
    if (SolveVerticalByMoments(trace, nc, RTz, FEX, mlim, TCZ, MCZ) == 0) return 0;
  }

  // SP12: grasp force along the contact line, raised until the combined
  // friction lies inside the cone at both contacts
  const double flim = kForceCap;
  double FCZ0 = std::fabs(MCZ[1]) / (kCaseMu * kCaseRm);
  if (std::fabs(MCZ[2]) > std::fabs(MCZ[1])) FCZ0 = std::fabs(MCZ[2]) / (kCaseMu * kCaseRm);
  Vec3 s12;
  SubVec3(RC[2], RC[1], s21);
  UnitVec3(s21, s21);
  NegVec3(s21, s12);
  const double mu1 = DotVec3(tc[1], s21) / DotVec3(nc[1], s21);
  const double mu2 = DotVec3(tc[2], s12) / DotVec3(nc[2], s12);
  // a NaN ratio counts as too large
  const bool planeOk = std::fabs(mu1) <= kCaseMu && std::fabs(mu2) <= kCaseMu;
  if (trace > 0) {
    ConsolePrintf("\n●SP12 XY面内の釣り合い計算 nc[2]=-nc[1] nc[2]≠-nc[1]に共通");
    ConsolePrintf("\n  初期値FCZ0=%7.4f MCZ[1]=%7.4f MCZ[2]=%7.4f", FCZ0, MCZ[1], MCZ[2]);
    TraceVec("\n  nc[1][]=", 0, nc[1]);
    TraceVec("  tc[1][]=", 0, tc[1]);
    TraceVec("  s21[]=", 0, s21);
    ConsolePrintf("  (nc[1],s21[])=%7.4f (tc[1],s21[])=%7.4f", DotVec3(nc[1], s21),
                  DotVec3(tc[1], s21));
    TraceVec("\n  nc[2][]=", 0, nc[2]);
    TraceVec("  tc[2][]=", 0, tc[2]);
    TraceVec("  s12[]=", 0, s12);
    ConsolePrintf("  (nc[2],s12[])=%7.4f (tc[2],s12[])=%7.4f", DotVec3(nc[2], s12),
                  DotVec3(tc[2], s12));
    ConsolePrintf("\n  μ1=%7.4f μ2=%7.4f μ=%5.2f", mu1, mu2, kCaseMu);
    ConsolePrintf(planeOk ? "\n → XY面内では摩擦力過大でない．Z方向摩擦力との合力で判断へ"
                          : "→μ1 or μ2>μ:安定把握不能");
    PauseKey();
  }
  const Vec3 *dir[3] = {nullptr, &s21, &s12};
  int cnt = 0;
  bool found = false;
  for (;;) {
    for (int k = 1; k <= 2; k++) {
      FCZ[k] = DotVec3(nc[k], *dir[k]) * FCZ0;
      TCF[k] = DotVec3(tc[k], *dir[k]) * FCZ0;
    }
    ReportFrictionPositive(TCF, tc);
    ComposeContactForces(nc, FCZ, FC, tc, TCF, TC, MCZ, MC);
    const double T1 = std::sqrt(TCZ[1] * TCZ[1] + TCF[1] * TCF[1]);
    const double T2 = std::sqrt(TCZ[2] * TCZ[2] + TCF[2] * TCF[2]);
    const bool inside = T1 <= kCaseMu * FCZ[1] && T2 <= kCaseMu * FCZ[2];
    if (trace > 0) {
      ConsolePrintf("\n●XY面内の解:cnt=%d FCZ0=%7.4f FCZ[1,2]=[%7.4f %7.4f]\n  TCF[1,2]=[%7.4f "
                    "%7.4f]",
                    cnt, FCZ0, FCZ[1], FCZ[2], TCF[1], TCF[2]);
      TraceContactVectors(nc, tc, FC, TC);
      if (!planeOk) ConsolePrintf("\n → XY面内で摩擦力過大．終了へ");
      ConsolePrintf(inside ? "\n → 合成摩擦力過大でない．解へ" : "\n → 合成摩擦力過大．再計算へ");
      PauseKey();
    }
    if (!planeOk) break;
    if (inside) {
      found = true;
      break;
    }
    FCZ0 = FCZ0 + kGripStep;
    if (!(FCZ0 <= flim) || cnt >= kMaxStaticsPasses) {
      if (trace > 0) ConsolePrintf("\n●FCZ0=%7.4f過大→過大値を解とし安定性=0とする", FCZ0);
      break;
    }
    cnt = cnt + 1;
  }

  // final composition: vertical and horizontal friction combined
  for (int k = 1; k <= 2; k++) {
    ScaleVec3(FCZ[k], nc[k], FC[k]);
    for (int i = 0; i < 3; i++) TC[k][i] = TCZ[k] * eZ[i] + TCF[k] * tc[k][i];
    UnitVec3(TC[k], tc[k]);
    TCF[k] = NormVec3(TC[k]);
    ScaleVec3(MCZ[k], nc[k], MC[k]);
  }
  const int stable =
      (found && FCZ0 <= flim && StaticsResultsFinite(FCZ, FC, tc, TCF, TC, MCZ, MC)) ? 1 : 0;
  if (trace > 0) {
    ConsolePrintf("\n●SP12:合成解 FCZ0=%7.4f FCZ[1,2]=(%7.4f %7.4f)\n  TCF[1,2]=(%7.4f %7.4f)",
                  FCZ0, FCZ[1], FCZ[2], TCF[1], TCF[2]);
    ConsolePrintf(" MCZ[1,2]=(%7.4f %7.4f) cnt=%d", MCZ[1], MCZ[2], cnt);
    TraceVec("\n  FC[1][]=", 0, FC[1]);
    TraceVec("  FC[2][]=", 0, FC[2]);
    TraceVec("\n  TC[1][]=", 0, TC[1]);
    TraceVec("  TC[2][]=", 0, TC[2]);
    TraceVec("\n  MC[1][]=", 0, MC[1]);
    TraceVec("  MC[2][]=", 0, MC[2]);
    if (!planeOk) ConsolePrintf("\n  摩擦力過大．安定把握不能");
    PauseKey();
  }
  return SetStaticsVerdict(s, stable);
}

} // namespace gs
