#include "statics/yz_statics.h"

#include <cmath>

#include "geom/inverse.h"
#include "geom/vecmat.h"
#include "graspstat/constants.h"
#include "graspstat/trace.h"
#include "statics/statics_constants.h"
#include "statics/statics_result.h"

namespace gs {

namespace {

constexpr int kN3 = 3; // unknowns of the planar balance: TCF[1], FCZ[2], TCF[2]

// v in the components of the plane frame (ex, ey, eZ).
void FrameComponents(const double *v, const double *ex, const double *ey, double *out) {
  out[0] = DotVec3(v, ex);
  out[1] = DotVec3(v, ey);
  out[2] = DotVec3(v, eZ);
}

// Prints a 3 x 3 matrix one row per line.
void PrintRows3(const double (*M)[kN3]) {
  for (int i = 0; i < kN3; i++) ConsolePrintf("\n  (%7.4f %7.4f %7.4f)", M[i][0], M[i][1], M[i][2]);
}

// Narrates one pass: its system, the checks in the plane and in space, and
// the friction verdict.
void TracePass(const GraspState *s, const Vec3 *RC, const Vec3 *nc, const double *FEX,
               const double *FCZ, const Vec3 *FC, const Vec3 *tc, const double *TCF, const Vec3 *TC,
               const double *MCZ, const Vec3 *RN, const Vec3 *RT, const double *ex,
               const double *ey, const double (*A3)[kN3], const double (*B3)[kN3], const double *Y3,
               const double *X3) {
  ConsolePrintf("\n●Y3[]=  (%7.4f %7.4f %7.4f)", Y3[0], Y3[1], Y3[2]);
  ConsolePrintf("\n  X3[]=B3[][]*Y3[]=  (%7.4f %7.4f %7.4f)", X3[0], X3[1], X3[2]);
  double chk[kN3];
  MulMatVec3(A3, X3, chk);
  ConsolePrintf("\n-------- 確認1 --------- Y[]=A3[][]*X3[]=(%7.4f %7.4f %7.4f)", chk[0], chk[1],
                chk[2]);
  MulMatVec3(B3, Y3, chk);
  ConsolePrintf("\n-------- 確認2 --------- X[]=B3[][]*Y3[]=(%7.4f %7.4f %7.4f)", chk[0], chk[1],
                chk[2]);
  ConsolePrintf("\n-------- 確認3 --------- 静止座標系でF[x,y,z],M[x,y,z]の釣り合い式");
  Vec3 F = {0.0, 0.0, 0.0}, M = {0.0, 0.0, 0.0};
  for (int k = 1; k <= 2; k++) {
    for (int i = 0; i < 3; i++) {
      F[i] += FC[k][i] + TC[k][i];
      M[i] += FCZ[k] * RN[k][i] + TCF[k] * RT[k][i];
    }
  }
  ConsolePrintf("\n  F[x,y,z]=[%7.4f %7.4f %7.4f], FEX[x,y,z]=[0,0,%5.2f]", F[0], F[1], F[2],
                FEX[2]);
  ConsolePrintf("\n  M[x,y,z]=[%7.4f %7.4f %7.4f], MEX[x,y,z]=[0,0,0]", M[0], M[1], M[2]);
  TraceVec("\n  eX[]=", 0, ex);
  TraceVec("  eY[]=", 0, ey);
  ConsolePrintf(" eZ=(0,0,1)");
  TraceVec("\n  rwG[1][]=", 0, s->rwG);
  TraceVec("\n  RC[1][]=", 0, RC[1]);
  TraceVec("  RC[2][]=", 0, RC[2]);
  TraceContactVectors(nc, tc, FC, TC);
  ConsolePrintf("\n  FCZ[1]=%7.4f TCF[1]=%7.4f FCZ[2]=%7.4f TCF[2]=%7.4f", FCZ[1], TCF[1], FCZ[2],
                TCF[2]);
  ConsolePrintf("\n●FCZ[1]=%7.4f TCF[1]=%7.4f μFCZ[1]=%7.4f MCZ[1]=%7.4f", FCZ[1], TCF[1],
                kCaseMu * FCZ[1], MCZ[1]);
  ConsolePrintf("\n  FCZ[2]=%7.4f TCF[2]=%7.4f μFCZ[2]=%7.4f MCZ[2]=%7.4f", FCZ[2], TCF[2],
                kCaseMu * FCZ[2], MCZ[2]);
  const bool within1 = std::fabs(TCF[1]) <= kCaseMu * FCZ[1];
  const bool within2 = std::fabs(TCF[2]) <= kCaseMu * FCZ[2];
  if (!within1) ConsolePrintf("\n  摩擦力TCF[1]は限界を超えている→やり直し");
  if (!within2) ConsolePrintf("\n  摩擦力TCF[2]は限界を超えている→やり直し");
  if (within1 && within2) ConsolePrintf("\n  摩擦力は限界内→解");
  PauseKey();
}

} // namespace

int ContactPlaneNormal(const Vec3 *nc, const Vec3 *RCW, double *p) {
  Vec3 u1, u2, byArms, byNormals;
  UnitVec3(RCW[1], u1);
  UnitVec3(RCW[2], u2);
  CrossVec3(u1, u2, byArms);
  CrossVec3(nc[1], nc[2], byNormals);
  const double la = NormVec3(byArms), ln = NormVec3(byNormals);
  int used = 0;
  if (la >= ln && la > EPS4) {
    ScaleVec3(1.0 / la, byArms, p);
    used = 1;
  } else if (ln > EPS4) {
    ScaleVec3(1.0 / ln, byNormals, p);
    used = 2;
  } else {
    // everything on one line: the vertical plane through it
    const double *line[4] = {nc[1], nc[2], u1, u2};
    CopyVec3(eX, p);
    for (int i = 0; i < 4 && used == 0; i++) {
      if (HorizontalLength(line[i]) >= EPS4) {
        CrossVec3(line[i], eZ, p);
        UnitVec3(p, p);
        used = 3;
      }
    }
  }
  Vec3 ref;
  CrossVec3(nc[1], eZ, ref);
  if (DotVec3(p, ref) < 0.0) NegVec3(p, p);
  return used;
}

void PlaneTangent(const double *p, const double *n, const double *ey, double *t) {
  CrossVec3(p, n, t);
  UnitVec3(t, t);
  const double up = (HorizontalLength(n) < EPS4) ? DotVec3(t, ey) : t[2];
  if (up < 0.0) NegVec3(t, t);
}

int VeskYZStatics(GraspState *s, const Vec3 *RC, const Vec3 *nc, const double *RW,
                  const double *FEX, double *FCZ, Vec3 *FC, Vec3 *tc, double *TCF, Vec3 *TC,
                  double *MCZ, Vec3 *MC) {
  const int trace = TraceLevel(kTraceYZStatics);
  s->staticsSubCase = kSubNone;
  if (trace > 0) {
    ConsolePrintf(
        "\n●VeskYZStatics()------ 全力・方向・接触点ベクトルが垂直平面内にある ---------●");
    PauseKey();
  }

  // preparation: plane frame, upward friction directions, lever arms
  Vec3 RCW[3] = {}, RN[3] = {}, RT[3] = {}, nd[3] = {}, td[3] = {}, RNd[3] = {}, RTd[3] = {};
  for (int k = 1; k <= 2; k++) SubVec3(RC[k], RW, RCW[k]);
  // the plane of the contacts; its horizontal normal ex and horizontal ey
  // span the frame of the planar balance
  Vec3 p, ex, ey;
  ContactPlaneNormal(nc, RCW, p);
  const double ph[3] = {p[0], p[1], 0.0};
  if (HorizontalLength(ph) >= EPS4) {
    UnitVec3(ph, ex);
  } else {
    CopyVec3(eX, ex); // a horizontal plane: no vertical balance exists
  }
  CrossVec3(eZ, ex, ey);
  for (int k = 1; k <= 2; k++) {
    PlaneTangent(p, nc[k], ey, tc[k]);
    if (trace > 0) {
      TraceVec("\n  nc[%d][]=", k, nc[k]);
      TraceVec("  tc[%d][]=", k, tc[k]);
      ConsolePrintf("\n  (nc[k],tc[k])=%6.3f |nc[k]|=%6.3f |tc[k]|=%6.3f", DotVec3(nc[k], tc[k]),
                    NormVec3(nc[k]), NormVec3(tc[k]));
    }
  }
  for (int k = 1; k <= 2; k++) {
    CrossVec3(RCW[k], nc[k], RN[k]);
    CrossVec3(RCW[k], tc[k], RT[k]);
    FrameComponents(nc[k], ex, ey, nd[k]);
    FrameComponents(tc[k], ex, ey, td[k]);
    FrameComponents(RN[k], ex, ey, RNd[k]);
    FrameComponents(RT[k], ex, ey, RTd[k]);
    nd[k][0] = 0.0; // only the in-plane parts of the directions enter
    td[k][0] = 0.0;
  }
  const double FEXd[3] = {0.0, 0.0, FEX[2]};
  if (trace > 0) {
    TraceVec("\n  eX[]=", 0, ex);
    TraceVec(" eY[]=", 0, ey);
    ConsolePrintf(" eZ[]=(0,0,1)");
    Vec3 RCWd[3] = {};
    for (int k = 1; k <= 2; k++) {
      FrameComponents(RCW[k], ex, ey, RCWd[k]);
      TraceVec("\n  nc[%d][]=", k, nc[k]);
      TraceVec("\n  nd[%d][]=", k, nd[k]);
      TraceVec("\n  tc[%d][]=", k, tc[k]);
      TraceVec("\n  td[%d][]=", k, td[k]);
      TraceVec("\n  RCW[%d][]=", k, RCW[k]);
      TraceVec("\n  RCWd[%d][]=", k, RCWd[k]);
      TraceVec("\n  RN[%d][]=", k, RN[k]);
      TraceVec("\n  RNd[%d][]=", k, RNd[k]);
      TraceVec("\n  RT[%d][]=", k, RT[k]);
      TraceVec("\n  RTd[%d][]=", k, RTd[k]);
    }
    for (int k = 1; k <= 2; k++) {
      Vec3 again;
      CrossVec3(RCWd[k], nd[k], again);
      TraceVec("\n  RNd[%d][]=", k, again);
      CrossVec3(RCWd[k], td[k], again);
      TraceVec("\n  RTd[%d][]=", k, again);
    }
    TraceVec("\n  FEXd[]  =", 0, FEXd);
    PauseKey();
  }

  // forces along ey and eZ and the moment about ex, unknowns TCF[1], FCZ[2],
  // TCF[2]; the inverse serves every pass
  const double A3[kN3][kN3] = {{td[1][1], nd[2][1], td[2][1]},
                               {td[1][2], nd[2][2], td[2][2]},
                               {RTd[1][0], RNd[2][0], RTd[2][0]}};
  double B3[kN3][kN3];
  CopyMat(kN3, kN3, &A3[0][0], &B3[0][0]);
  const double det3 = inv(kN3, &B3[0][0], kN3);
  const bool singular = InverseFailed(det3) != 0;
  if (trace > 0) {
    ConsolePrintf("\n●A3[][]=");
    PrintRows3(A3);
    ConsolePrintf("\n  B3[][]=inv(A3[][]) det3=%7.4f", det3);
    PrintRows3(B3);
    ConsolePrintf("\n  A[][]*B[][]=C[][]=I[][]の確認");
    double C3[kN3][kN3];
    for (int i = 0; i < kN3; i++)
      for (int j = 0; j < kN3; j++)
        C3[i][j] = A3[i][0] * B3[0][j] + A3[i][1] * B3[1][j] + A3[i][2] * B3[2][j];
    ConsolePrintf("\n  C3[][]=");
    PrintMat(9, kN3, kN3, &C3[0][0]);
    PauseKey();
  }

  // search over the normal force of contact 1
  const double fmax = kForceCap;
  int cnt = 0;
  FCZ[1] = FEX[2] / kNormalForceStartDiv;
  for (;;) {
    cnt = cnt + 1;
    FCZ[1] = FCZ[1] + kNormalForceStep;
    // NaN or a runaway count ends the search like an excessive force
    const bool excessive = !(FCZ[1] <= fmax) || cnt > kMaxStaticsPasses;
    if (trace > 0) {
      ConsolePrintf("\n●YZ面内 nc[1]≠-nc[2] : FCZ[1]=%6.3f cnt=%d 計算始め", FCZ[1], cnt);
      if (excessive) {
        ConsolePrintf("\n  法線力FCZ[1]過大→解なし");
        PauseUntilKey('e');
      } else {
        PauseKey();
      }
    }
    const double Y3[kN3] = {-nd[1][1] * FCZ[1], FEX[2] - nd[1][2] * FCZ[1], -RNd[1][0] * FCZ[1]};
    double X3[kN3];
    MulMatVec3(B3, Y3, X3);
    TCF[1] = X3[0];
    FCZ[2] = X3[1];
    TCF[2] = X3[2];
    MCZ[1] = 0.0;
    MCZ[2] = 0.0;
    ComposeContactForces(nc, FCZ, FC, tc, TCF, TC, MCZ, MC);
    s->sgnStaticsEnd = 2;
    if (trace > 0)
      TracePass(s, RC, nc, FEX, FCZ, FC, tc, TCF, TC, MCZ, RN, RT, ex, ey, A3, B3, Y3, X3);
    if (excessive) return SetStaticsVerdict(s, 0);
    const bool accepted = !singular && FCZ[2] >= 0.0 && std::fabs(TCF[1]) <= kCaseMu * FCZ[1] &&
                          std::fabs(TCF[2]) <= kCaseMu * FCZ[2] &&
                          StaticsResultsFinite(FCZ, FC, tc, TCF, TC, MCZ, MC) != 0;
    if (!accepted) continue;
    ReportFrictionPositive(TCF, tc);
    if (trace > 0) {
      ConsolePrintf("\n●SP2:YZ面内 nc[1]≠-nc[2]  解あり．終了");
      PauseUntilKey('e');
    }
    return SetStaticsVerdict(s, 1);
  }
}

} // namespace gs
