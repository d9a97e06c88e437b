#include "statics/line_statics.h"

#include <cmath>

#include "geom/inverse.h"
#include "geom/vecmat.h"
#include "graspstat/constants.h"
#include "graspstat/trace.h"
#include "statics/statics_constants.h"
#include "statics/statics_result.h"

namespace gs {

namespace {

// Prints both contacts' vectors of one kind.
void TracePair(const char *label1, const char *label2, const Vec3 *v) {
  TraceVec(label1, 0, v[1]);
  TraceVec(label2, 0, v[2]);
}

// Prints the forces of both contacts (the closing lines of SP32 and SP33).
void TraceForces(const double *FCZ, const Vec3 *FC, const double *TCF, const Vec3 *TC) {
  ConsolePrintf("\n  FCZ[1]=%7.4f TCF[1]=%7.4f FCZ[2]=%7.4f TCF[2]=%7.4f", FCZ[1], TCF[1], FCZ[2],
                TCF[2]);
  TracePair("\n  FC[1]=", "  FC[2]=", FC);
  TracePair("\n  TC[1]=", "  TC[2]=", TC);
}

// Upward tangent of n in the vertical plane through n (SP32).
void InclinedTangent(const double *n, double *t) {
  const double a = std::fabs(n[2]);
  const double h = n[0] * n[0] + n[1] * n[1];
  const double v[3] = {-a * n[2] * n[0] / h, -a * n[2] * n[1] / h, a};
  UnitVec3(v, t);
}

// Sub-case SP32: writes tc, TCF and FCZ of an inclined line and, for the
// trace, A2 X2 into check; returns 0 when the plane system cannot be
// inverted.
int SolveInclinedLine(int trace, const Vec3 *nc, const Vec3 *RCW, double R1, double R2,
                      const double *FEX, double *FCZ, Vec3 *tc, double *TCF, double *check) {
  if (trace > 0)
    ConsolePrintf("\n●SP32:-----------垂直面YZ内で全ベクトルが一直線上にある場合-------");
  for (int k = 1; k <= 2; k++) {
    InclinedTangent(nc[k], tc[k]);
    if (trace > 0) {
      TraceVec("\n  nc[%d][]=", k, nc[k]);
      TraceVec("  tc[%d][]=", k, tc[k]);
      ConsolePrintf("\n  (nc[k],tc[k])=%6.3f |nc[k]|=%6.3f |tc[k]|=%6.3f", DotVec3(nc[k], tc[k]),
                    NormVec3(nc[k]), NormVec3(tc[k]));
    }
  }
  CopyVec3(tc[1], tc[2]);

  // plane frame: u across the plane, v and w = eZ in it
  Vec3 u, v, nd1, td1;
  CrossVec3(nc[1], tc[1], u);
  CrossVec3(eZ, u, v);
  const double ndRaw[3] = {0.0, DotVec3(nc[1], v), DotVec3(nc[1], eZ)};
  UnitVec3(ndRaw, nd1);
  td1[0] = 0.0;
  if (nd1[1] > 0.0) {
    td1[1] = -nd1[2];
    td1[2] = nd1[1];
  } else {
    td1[1] = nd1[2];
    td1[2] = -nd1[1];
  }
  const double A2[2][2] = {{nd1[1], td1[1]}, {nd1[2], td1[2]}};
  const double Y2[2] = {0.0, FEX[2]};
  double B[2][2];
  CopyMat(2, 2, &A2[0][0], &B[0][0]);
  const double det2 = inv(2, &B[0][0], 2);
  const double X2[2] = {B[0][0] * Y2[0] + B[0][1] * Y2[1], B[1][0] * Y2[0] + B[1][1] * Y2[1]};
  check[0] = A2[0][0] * X2[0] + A2[0][1] * X2[1];
  check[1] = A2[1][0] * X2[0] + A2[1][1] * X2[1];
  if (trace > 0) {
    Vec3 RT[3] = {};
    for (int k = 1; k <= 2; k++) CrossVec3(RCW[k], tc[k], RT[k]);
    TracePair("\n  nc[1][]=", "  nc[2][]=", nc);
    TracePair("\n  tc[1][]=", "  tc[2][]=", tc);
    TracePair("\n  RT[1][]=", "  RT[2][]=", RT);
    TraceVec("\n  eX[]=", 0, u);
    TraceVec("\n  eY[]=", 0, v);
    TraceVec("\n  eZ[]=", 0, eZ);
    Vec3 nd2;
    NegVec3(nd1, nd2);
    TraceVec("\n  nd[1][]=", 0, nd1);
    TraceVec("  nd[2][]=", 0, nd2);
    TraceVec("\n  td[1][]=", 0, td1);
    TraceVec("  td[2][]=", 0, td1);
    ConsolePrintf("\n  A2[][]=");
    PrintMat(9, 2, 2, &A2[0][0]);
    ConsolePrintf("\n●X2[]=inv(A2[][])*Y2[]の解 det2=%6.3f", det2);
    if (std::fabs(det2) < EPS4) ConsolePrintf(" → 解なし");
    ConsolePrintf("\n1  X2[]=(FCZ0,TCF[0])=");
    PrintVec(0, 1, X2);
  }
  const double FCZ0 = X2[0], TCF0 = X2[1];

  // friction split so that the friction moments cancel
  const double ratio = R1 / R2;
  if (std::isfinite(ratio)) {
    TCF[1] = TCF0 / (ratio + 1.0);
    TCF[2] = ratio * TCF[1];
  } else {
    double w[2];
    LeverShares(R1, R2, w);
    TCF[1] = w[0] * TCF0;
    TCF[2] = w[1] * TCF0;
  }
  // the lower contact carries the reserve, the other the rest
  if (nc[1][2] >= 0.0) {
    FCZ[2] = kFrictionReserve * TCF[2] / kCaseMu;
    FCZ[1] = FCZ0 + FCZ[2];
  } else {
    FCZ[1] = kFrictionReserve * TCF[1] / kCaseMu;
    FCZ[2] = FCZ[1] - FCZ0;
  }
  if (trace > 0) {
    ConsolePrintf("\n●SP32:YZ面内で2つの接触点・法線が一直線をなす場合の解");
    ConsolePrintf("\n  R1=%7.4f R2=%7.4f μ=%4.2f", R1, R2, kCaseMu);
  }
  return InverseFailed(det2) ? 0 : 1;
}

} // namespace

void LeverShares(double R1, double R2, double *w) {
  const double sum = R1 + R2;
  if (sum > 0.0) {
    w[0] = R2 / sum;
    w[1] = R1 / sum;
  } else {
    // both contacts at the centre: no lever, equal shares
    w[0] = 0.5;
    w[1] = 0.5;
  }
}

int VeskLineStatics(GraspState *s, const Vec3 *RC, const Vec3 *nc, const double *RW,
                    const double *FEX, double *FCZ, Vec3 *FC, Vec3 *tc, double *TCF, Vec3 *TC,
                    double *MCZ, Vec3 *MC) {
  const int trace = TraceLevel(kTraceLineStatics);
  Vec3 RCW[3] = {};
  for (int k = 1; k <= 2; k++) SubVec3(RC[k], RW, RCW[k]);
  const double R1 = NormVec3(RCW[1]), R2 = NormVec3(RCW[2]);
  const double FEXz = FEX[2];

  // the line analysis needs the fingers to press against each other; other
  // normals (a work of radius 0, two fingers at one point) hold nothing here
  const bool opposite = NormSumVecN(0, 2, nc[1], nc[2]) < EPS4;
  const bool flat = std::fabs(nc[1][2]) < EPS4 && std::fabs(nc[2][2]) < EPS4;
  const bool upright = std::fabs(nc[1][0]) < EPS4 && std::fabs(nc[1][1]) < EPS4 &&
                       std::fabs(nc[2][0]) < EPS4 && std::fabs(nc[2][1]) < EPS4;
  const bool nearFlat = std::fabs(nc[1][2]) <= EPS4 || std::fabs(nc[2][2]) <= EPS4;

  if (!flat && upright) {
    // SP33: a vertical line; the lower finger pushes twice the load, the
    // upper one the load itself
    s->staticsSubCase = kSubSP33;
    if (trace > 0)
      ConsolePrintf("\n●SP33:------垂直面YZ内で全ベクトルがZ方向一直線上にある場合 "
                    "nc[0][z]=±1-----");
    if (nc[1][2] > 0.0) {
      FCZ[1] = kFrictionReserve * FEXz;
      FCZ[2] = FEXz;
    }
    if (nc[2][2] > 0.0) {
      FCZ[2] = kFrictionReserve * FEXz;
      FCZ[1] = FEXz;
    }
    for (int k = 1; k <= 2; k++) {
      TCF[k] = 0.0;
      ScaleVec3(FCZ[k], nc[k], FC[k]);
      CopyVec3(zeroVec, TC[k]);
      CopyVec3(eX, tc[k]);
      CopyVec3(zeroVec, MC[k]);
    }
    if (trace > 0) {
      ConsolePrintf("\n●SP33:YZ面内で2つの接触点・法線がZ方向一直線をなす場合の解");
      TraceForces(FCZ, FC, TCF, TC);
      ConsolePrintf("\n●SP33:YZ面内 全ベクトル一直線  解あり．終了");
      PauseKeyShow('e');
    }
    return SetStaticsVerdict(
        s, (opposite && StaticsResultsFinite(FCZ, FC, tc, TCF, TC, MCZ, MC) != 0) ? 1 : 0);
  }

  int solved = 1;
  double check[2] = {0.0, 0.0};
  if (flat || nearFlat) {
    // SP31: a horizontal line; friction straight up, shared by the lever
    // rule, both normal forces the smaller of twice the two needs
    s->staticsSubCase = kSubSP31;
    if (trace > 0)
      ConsolePrintf("\n●SP31:-------XY水平面内で全ベクトルが一直線上にある場合----------");
    double w[2];
    LeverShares(R1, R2, w);
    CopyVec3(eZ, tc[1]);
    CopyVec3(eZ, tc[2]);
    TCF[1] = w[0] * FEXz;
    FCZ[1] = kFrictionReserve * TCF[1] / kCaseMu;
    TCF[2] = w[1] * FEXz;
    FCZ[2] = kFrictionReserve * TCF[2] / kCaseMu;
    if (FCZ[1] < FCZ[2]) {
      FCZ[2] = FCZ[1];
    } else {
      FCZ[1] = FCZ[2];
    }
    MCZ[1] = 0.0;
    MCZ[2] = 0.0;
  } else {
    s->staticsSubCase = kSubSP32;
    solved = SolveInclinedLine(trace, nc, RCW, R1, R2, FEX, FCZ, tc, TCF, check);
  }

  // common end of SP31 and SP32
  for (int k = 1; k <= 2; k++) ScaleVec3(FCZ[k], nc[k], FC[k]);
  ReportFrictionPositive(TCF, tc);
  for (int k = 1; k <= 2; k++) {
    ScaleVec3(TCF[k], tc[k], TC[k]);
    CopyVec3(zeroVec, MC[k]);
  }
  const int stable = (opposite && solved != 0 && std::isfinite(R1) && std::isfinite(R2) &&
                      StaticsResultsFinite(FCZ, FC, tc, TCF, TC, MCZ, MC) != 0)
                         ? 1
                         : 0;
  if (trace > 0 && s->staticsSubCase == kSubSP31) {
    ConsolePrintf("\n  力・摩擦力の解");
    ConsolePrintf("\n  FCZ[1,2]=[%7.4f %7.3f] TCF[1,2]=[%7.4f %7.4f] MCZ[1,2]=[%7.4f %7.4f]",
                  FCZ[1], FCZ[2], TCF[1], TCF[2], MCZ[1], MCZ[2]);
    TraceContactVectors(nc, tc, FC, TC);
    ConsolePrintf("\n●SP31:XY面内全ベクトル一直線  解あり．終了");
    PauseKeyShow('e');
    PauseKey();
  } else if (trace > 0) {
    TraceForces(FCZ, FC, TCF, TC);
    ConsolePrintf("\n  -----------------------確認1--------------------------------------");
    ConsolePrintf("\n  Y[]=B[][]*X2[]=(%7.4f %7.4f) Y2[]=(%7.4f %7.4f)", check[0], check[1], 0.0,
                  FEXz);
    ConsolePrintf("\n  -----------------------確認2--------------------------------------");
    Vec3 F = {0.0, 0.0, 0.0}, M = {0.0, 0.0, 0.0};
    for (int k = 1; k <= 2; k++) {
      Vec3 RT;
      CrossVec3(RCW[k], tc[k], RT);
      for (int i = 0; i < 3; i++) {
        F[i] += FC[k][i] + TC[k][i];
        M[i] += TCF[k] * RT[i];
      }
    }
    ConsolePrintf("\n  F[x,y,z]=(%7.4f %7.4f %7.4f) FEX[]=(0,0,%5.2f)", F[0], F[1], F[2], FEXz);
    ConsolePrintf("\n  M[x,y,z]=(%6.3f %6.3f %6.3f) MEX[]=(0,0,0)", M[0], M[1], M[2]);
    ConsolePrintf("\n●SP32:YZ面内 全ベクトル一直線  解あり．終了");
    PauseKeyShow('e');
  }
  return SetStaticsVerdict(s, stable);
}

} // namespace gs
