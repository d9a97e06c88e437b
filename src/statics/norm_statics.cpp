#include "statics/norm_statics.h"

#include <cmath>

#include "geom/inverse.h"
#include "geom/vecmat.h"
#include "graspstat/constants.h"
#include "graspstat/trace.h"
#include "statics/norm_fast.h"
#include "statics/statics_constants.h"
#include "statics/statics_result.h"

namespace gs {

double TangentBasis(const double *n, double *ext, double *eyt) {
  if (DistVecN(0, 2, n, eZ) < EPS4 || NormSumVecN(0, 2, n, eZ) < EPS4) {
    CopyVec3(eX, ext);
  } else {
    CrossVec3(n, eZ, ext);
    UnitVec3(ext, ext);
  }
  CrossVec3(n, ext, eyt);
  return std::atan2(eyt[2], ext[2]);
}

void TangentAt(const double *ext, const double *eyt, double th, double *t) {
  const double c = std::cos(th), sn = std::sin(th);
  for (int i = 0; i < 3; i++) t[i] = ext[i] * c + eyt[i] * sn;
}

NormLimits NormCandidateLimits(const double *FCZ, const double *TCF, const double *MCZ) {
  const double fmax = kForceCap;
  NormLimits lim;
  lim.pushing = FCZ[1] >= 0.0 && FCZ[2] >= 0.0;
  lim.frictionOk = std::fabs(TCF[1]) <= kCaseMu * FCZ[1] && std::fabs(TCF[2]) <= kCaseMu * FCZ[2];
  lim.momentOk = std::fabs(MCZ[1]) <= kCaseMu * kCaseRm * FCZ[1] &&
                 std::fabs(MCZ[2]) <= kCaseMu * kCaseRm * FCZ[2];
  lim.notExcessive = FCZ[1] <= fmax && FCZ[2] <= fmax;
  return lim;
}

void StoreNormSolution(const double *X6, const Vec3 *nc, double *FCZ, Vec3 *FC, const Vec3 *tc,
                       double *TCF, Vec3 *TC, double *MCZ, Vec3 *MC) {
  FCZ[1] = X6[0];
  FCZ[2] = X6[1];
  TCF[1] = X6[2];
  TCF[2] = X6[3];
  MCZ[1] = X6[4];
  MCZ[2] = X6[5];
  ComposeContactForces(nc, FCZ, FC, tc, TCF, TC, MCZ, MC);
}

int NormCandidateAccepted(const NormLimits &lim, double det6, const double *FCZ, const Vec3 *FC,
                          const Vec3 *tc, const double *TCF, const Vec3 *TC, const double *MCZ,
                          const Vec3 *MC) {
  return (!InverseFailed(det6) && lim.pushing && lim.frictionOk && lim.momentOk &&
          lim.notExcessive && StaticsResultsFinite(FCZ, FC, tc, TCF, TC, MCZ, MC))
             ? 1
             : 0;
}

void BuildNormBalance(const Vec3 *nc, const Vec3 *RN, const double *t1, const double *t2,
                      const double *RT1, const double *RT2, double *A6) {
  constexpr int n = 6;
  for (int i = 0; i < 3; i++) {
    const double force[n] = {nc[1][i], nc[2][i], t1[i], t2[i], 0.0, 0.0};
    const double moment[n] = {RN[1][i], RN[2][i], RT1[i], RT2[i], nc[1][i], nc[2][i]};
    for (int j = 0; j < n; j++) {
      A6[i * n + j] = force[j];
      A6[(i + 3) * n + j] = moment[j];
    }
  }
}

int AcceptNormCandidate(const double *X6, double det6, const Vec3 *nc, double *FCZ, Vec3 *FC,
                        const Vec3 *tc, double *TCF, Vec3 *TC, double *MCZ, Vec3 *MC,
                        NormLimits *lim) {
  StoreNormSolution(X6, nc, FCZ, FC, tc, TCF, TC, MCZ, MC);
  *lim = NormCandidateLimits(FCZ, TCF, MCZ);
  return NormCandidateAccepted(*lim, det6, FCZ, FC, tc, TCF, TC, MCZ, MC);
}

namespace {

constexpr int kN6 = 6; // unknowns and equations of the general balance

// Prints a 6 x 6 matrix one row per line.
void PrintRows6(const double (*M)[kN6]) {
  for (int i = 0; i < kN6; i++) {
    ConsolePrintf("\n  (%7.4f %7.4f %7.4f %7.4f %7.4f %7.4f)", M[i][0], M[i][1], M[i][2], M[i][3],
                  M[i][4], M[i][5]);
  }
}

// Narrates the balance of one candidate: equations, matrices and checks.
void TraceCandidateSolution(const Vec3 *RC, const Vec3 *nc, const double *RW, const double *FEX,
                            const Vec3 *tc, const Vec3 *RN, const Vec3 *RT, const double (*A6)[kN6],
                            const double (*B6)[kN6], double det6, const double *X6,
                            const double *Y6, int n1, int n2) {
  ConsolePrintf("\n//------ Σ{ FCZ[k]*nc[k] + TCF[k]*tc[k] } = FEX[] -------------//");
  for (int i = 0; i < 3; i++) {
    ConsolePrintf("\n  ");
    PrintVec(0, kN6 - 1, A6[i]);
    ConsolePrintf(" = %7.4f", Y6[i]);
  }
  ConsolePrintf("\n//------ Σ{ FCZ[k]*RN[k] + TCF[k]*RN[k] + MCZ[k]*nc[k] } = 0 --//");
  for (int i = 3; i < kN6; i++) {
    ConsolePrintf("\n  ");
    PrintVec(0, kN6 - 1, A6[i]);
    ConsolePrintf(" = %7.4f", Y6[i]);
  }
  ConsolePrintf("\n A6[6][6]=");
  PrintRows6(A6);
  PauseKey();
  ConsolePrintf("\n inv(A6[][])=B6[][] : det6=%7.4f", det6);
  ConsolePrintf("\n B6[6][6]=");
  PrintRows6(B6);
  PauseKey();
  ConsolePrintf("\n●Nc=2 tc[1],tc[2]を設定してFCZ[1,2], TCF[1,2] MCZ[1,2]の解 n1=%d n2=%d", n1, n2);
  TraceVec("\n  FEX[]=", 0, FEX);
  TraceVec("  RW[]=", 0, RW);
  for (int k = 1; k <= 2; k++) {
    TraceVec("\n  RC[%d][]=", k, RC[k]);
    TraceVec("  nc[%d][]=", k, nc[k]);
    TraceVec("  tc[%d][]=", k, tc[k]);
  }
  ConsolePrintf("\n  FCZ[1,2]=(%7.4f %7.4f) TCF[1,2]=(%7.4f %7.4f) MCZ[1,2]=(%7.4f %7.4f)", X6[0],
                X6[1], X6[2], X6[3], X6[4], X6[5]);
  ConsolePrintf(
      "\n//------------------確認1 A6[6][6]*X6[6]=Y[6]--------------------------------//");
  double AX[kN6];
  for (int i = 0; i < kN6; i++) {
    AX[i] = 0.0;
    for (int j = 0; j < kN6; j++) AX[i] += A6[i][j] * X6[j];
  }
  ConsolePrintf("\n  A6*X6=");
  PrintVec(0, kN6 - 1, AX);
  ConsolePrintf("\n  Y6[] =");
  PrintVec(0, kN6 - 1, Y6);
  ConsolePrintf("\n//------------------確認2----------------------------------------//");
  Vec3 F = {0.0, 0.0, 0.0}, M = {0.0, 0.0, 0.0};
  for (int k = 1; k <= 2; k++) {
    for (int i = 0; i < 3; i++) {
      F[i] += X6[k - 1] * nc[k][i] + X6[k + 1] * tc[k][i];
      M[i] += X6[k - 1] * RN[k][i] + X6[k + 1] * RT[k][i] + X6[k + 3] * nc[k][i];
    }
  }
  TraceVec("\n 力の釣り合い式 F[]=", 0, F);
  TraceVec(" FEX[]=", 0, FEX);
  TraceVec("\n Moの釣り合い式 M[]=", 0, M);
  ConsolePrintf(" MEX[]=(0,0,0)");
}

} // namespace

int VeskNormStaticsLiteral(GraspState *s, const Vec3 *RC, const Vec3 *nc, const double *RW,
                           const double *FEX, double *FCZ, Vec3 *FC, Vec3 *tc, double *TCF,
                           Vec3 *TC, double *MCZ, Vec3 *MC) {
  const int trace = TraceLevel(kTraceNormStatics);
  s->staticsSubCase = kSubNone;
  s->normCandidate = 0;
  if (trace > 0)
    ConsolePrintf(
        "\n●VeskNormStatics()-------- 通常計算 tc[0,1]を変えて安定把握解を得る-----------●");

  // 1. tangent basis of each contact and the angle of its most upward tangent
  Vec3 ext[3] = {}, eyt[3] = {};
  double thm[3] = {0.0, 0.0, 0.0};
  for (int k = 1; k <= 2; k++) {
    thm[k] = TangentBasis(nc[k], ext[k], eyt[k]);
    if (trace > 0) {
      Vec3 up;
      TangentAt(ext[k], eyt[k], thm[k], up);
      TraceVec("\n  nc[%d][]=", k, nc[k]);
      TraceVec("  ext[%d][]=", k, ext[k]);
      ConsolePrintf("\n  (nc,ext)=%7.4f θm=%7.4f", DotVec3(nc[k], ext[k]), thm[k]);
      TraceVec("  tc[z]=max:tc[%d][]=", k, up);
    }
  }
  if (trace > 0) PauseKey();

  // 2. both angles start one step below their most upward tangent and are
  // advanced by repeated addition, th[2] fastest
  const int nn = kNormTurnSteps;
  const double dth = kFullTurn / nn;
  int n1 = 0, n2 = 0, candidate = 0, stable = 0;
  double th[3] = {0.0, thm[1] - dth, thm[2] - dth};
  Vec3 RCW[3] = {}, RN[3] = {}, RT[3] = {};
  double A6[kN6][kN6], B6[kN6][kN6], X6[kN6];
  const double Y6[kN6] = {FEX[0], FEX[1], FEX[2], 0.0, 0.0, 0.0};
  for (;;) {
    // 3. next candidate
    n2 = n2 + 1;
    if (n2 < nn) {
      th[2] = th[2] + dth;
    } else {
      if (n1 >= nn) break;
      n1 = n1 + 1;
      th[1] = th[1] + dth;
      n2 = 0;
      th[2] = thm[2] - dth;
    }
    candidate++;
    for (int k = 1; k <= 2; k++) TangentAt(ext[k], eyt[k], th[k], tc[k]);
    if (trace > 0) {
      ConsolePrintf("\n●th[1],th[2]変えてNorm計算 n1=%d th[1]=%7.4f n2=%d th[2]=%7.4f", n1, th[1],
                    n2, th[2]);
      ConsolePrintf("\n  tc[]=ext[]*cosθ+eyt[]*sinθ th[1]=%7.4f th[2]=%7.4f", th[1], th[2]);
      for (int k = 1; k <= 2; k++) {
        TraceVec("\n  nc[%d][]=", k, nc[k]);
        TraceVec("  tc[%d][]=", k, tc[k]);
        ConsolePrintf("\n  (nc,tc)=%6.3f", DotVec3(nc[k], tc[k]));
      }
      PauseKey();
    }

    // 4. lever arms of the candidate
    for (int k = 1; k <= 2; k++) {
      SubVec3(RC[k], RW, RCW[k]);
      CrossVec3(RCW[k], nc[k], RN[k]);
      CrossVec3(RCW[k], tc[k], RT[k]);
      if (trace > 0) {
        TraceVec("\n  RC[%d][]=", k, RC[k]);
        TraceVec("  RCW[%d][]=", k, RCW[k]);
        TraceVec("\n  RN[%d][]=", k, RN[k]);
        TraceVec("  RT[%d][]=", k, RT[k]);
      }
    }

    // 5. forces balance FEX, moments about the work centre balance zero
    BuildNormBalance(nc, RN, tc[1], tc[2], RT[1], RT[2], &A6[0][0]);

    // 6. solve; a matrix inv leaves uninverted fails the candidate
    CopyMat(kN6, kN6, &A6[0][0], &B6[0][0]);
    const double det6 = inv(kN6, &B6[0][0], kN6);
    for (int i = 0; i < kN6; i++) {
      X6[i] = 0.0;
      for (int j = 0; j < kN6; j++) X6[i] += B6[i][j] * Y6[j];
    }
    if (trace > 0)
      TraceCandidateSolution(RC, nc, RW, FEX, tc, RN, RT, A6, B6, det6, X6, Y6, n1, n2);

    // 7. acceptance: equality passes every limit
    NormLimits lim;
    const int accepted = AcceptNormCandidate(X6, det6, nc, FCZ, FC, tc, TCF, TC, MCZ, MC, &lim);
    const bool pushing = lim.pushing, frictionOk = lim.frictionOk, momentOk = lim.momentOk;
    const bool notExcessive = lim.notExcessive;
    if (trace > 0) {
      ConsolePrintf("\n  TCF[1]=%7.4f μFCZ[1]=%7.3f   ", TCF[1], kCaseMu * FCZ[1]);
      ConsolePrintf("  TCF[2]=%7.4f μFCZ[2]=%7.3f", TCF[2], kCaseMu * FCZ[2]);
      ConsolePrintf("\n  MCZ[1]=%7.4f μ*rm*FCZ[1]=%7.3f", MCZ[1], kCaseMu * kCaseRm * FCZ[1]);
      ConsolePrintf("  MCZ[2]=%7.4f μ*rm*FCZ[2]=%7.3f", MCZ[2], kCaseMu * kCaseRm * FCZ[2]);
      ConsolePrintf("\n  n1=%d n2=%d", n1, n2);
      if (!pushing) ConsolePrintf("\n  法線力が負→やり直し");
      if (!notExcessive) ConsolePrintf("\n  法線力が過大→やり直し");
      ConsolePrintf(frictionOk ? "\n  摩擦条件を満たしている" : "\n  摩擦限界超えている→やり直し");
      ConsolePrintf(momentOk ? "\n  摩擦モーメント条件を満たしている"
                             : "\n  摩擦モーメント限界超えている→やり直し");
      PauseUntilKey('n');
    }
    if (accepted) {
      stable = 1;
      break;
    }
  }

  if (stable) {
    // 8. friction forces are reported as sizes along their direction
    ReportFrictionPositive(TCF, tc);
    s->normCandidate = candidate;
  } else if (trace > 0) {
    // 9. exhausted: the arrays keep the last candidate
    ConsolePrintf("\n●n1=%d>=nn=%d n2=%d>=nn=%d→th[1],th[2]とも1回転して解なし．終了", n1, nn, n2,
                  nn);
    PauseUntilKey('e');
  }
  SetStaticsVerdict(s, stable);
  if (trace > 0) {
    ConsolePrintf("\n●Norm:通常計算  解あり．終了 StaticsStability=%d", s->StaticsStability);
    PauseUntilKey('e');
  }
  return stable;
}

int VeskNormStatics(GraspState *s, const Vec3 *RC, const Vec3 *nc, const double *RW,
                    const double *FEX, double *FCZ, Vec3 *FC, Vec3 *tc, double *TCF, Vec3 *TC,
                    double *MCZ, Vec3 *MC) {
  // the narration and inputs the quick search cannot vouch for take the
  // candidate-by-candidate route
  if (TraceLevel(kTraceNormStatics) > 0 || !NormFastApplies(RC, nc, RW, FEX))
    return VeskNormStaticsLiteral(s, RC, nc, RW, FEX, FCZ, FC, tc, TCF, TC, MCZ, MC);
  return NormStaticsFast(s, RC, nc, RW, FEX, FCZ, FC, tc, TCF, TC, MCZ, MC);
}

} // namespace gs
