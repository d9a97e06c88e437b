#include "statics/norm_fast.h"

#include <algorithm>
#include <cmath>

#include "geom/inverse.h"
#include "geom/vecmat.h"
#include "graspstat/constants.h"
#include "statics/norm_statics.h"
#include "statics/statics_constants.h"
#include "statics/statics_result.h"

namespace gs {

namespace {

constexpr int kN6 = 6;                       // unknowns and equations of the general balance
constexpr int kAngles1 = kNormTurnSteps + 1; // values th[1] takes: one below thm[1], then a turn
constexpr int kAngles2 = kNormTurnSteps;     // values th[2] takes in every turn of th[1]
constexpr double kTameLimit = 1e6; // larger inputs (length or force units) take the literal route
// The closed form decides a candidate only when the balance system is well
// conditioned: kMaxCondition bounds 36 amax |A6^-1|, kMaxInverse the inverse
// itself (every pivot of inv is then at least 1 / kMaxInverse, far above its
// floor of 1e-16).
constexpr double kMaxCondition = 1e11;
constexpr double kMaxInverse = 1e12;
// Margin of a closed-form rejection, per unit of condition bound and of the
// largest unknown: some 400 times the rounding of either solution.
constexpr double kMarginPerCondition = 1e-12;

// What one friction direction of contact k brings to the balance. With
// w = n1 x n2, q2 = n2 x w and q3 = n1 x w the moment rows turn into one
// equation w.(R a) = 0 on a = (FCZ1, FCZ2, TCF1, TCF2) and two that give the
// friction moments, so a follows from a 4 x 4 system solved by Cramer's rule
// with triple products [x, y, z] = x.(y x z).
struct TangentTerms {
  Vec3 t;         // the tangent, exactly as the literal search computes it
  Vec3 RT;        // RCW x t
  double c;       // w.RT: its coefficient in the reduced moment equation
  double wt;      // [n1, n2, t]
  Vec3 nxt[3];    // n1 x t and n2 x t (index 1, 2); for contact 2: t x F at index 0
  double Fnt[3];  // F.(n1 x t), F.(n2 x t) (index 1, 2)
  double qRT[2];  // q2.RT, q3.RT
  double sqT[3];  // t[i]^2
  double sqRT[3]; // RT[i]^2
  double amax;    // largest magnitude among t and RT
};

// Everything of one search that no candidate changes.
struct SearchConstants {
  Vec3 RCW[3], RN[3];
  Vec3 w;
  double ww;                      // |w|^2
  double c1, c2;                  // w.RN1, w.RN2
  double n1n2F;                   // [n1, n2, F]
  double qRN[2][3];               // q2.RN[k], q3.RN[k]
  double sqForce[3], sqMoment[3]; // constant parts of the squared row norms of A6
  double amax;
};

double MaxAbs3(const double *v) {
  return std::max(std::fabs(v[0]), std::max(std::fabs(v[1]), std::fabs(v[2])));
}

void Terms(const double *t, const double *RCW, const SearchConstants &k, const Vec3 *nc,
           const double *F, const Vec3 &q2, const Vec3 &q3, TangentTerms *out) {
  CopyVec3(t, out->t);
  CrossVec3(RCW, t, out->RT);
  out->c = DotVec3(k.w, out->RT);
  out->wt = DotVec3(k.w, t);
  CrossVec3(t, F, out->nxt[0]);
  for (int n = 1; n <= 2; n++) {
    CrossVec3(nc[n], t, out->nxt[n]);
    out->Fnt[n] = DotVec3(F, out->nxt[n]);
  }
  out->Fnt[0] = 0.0;
  out->qRT[0] = DotVec3(q2, out->RT);
  out->qRT[1] = DotVec3(q3, out->RT);
  for (int i = 0; i < 3; i++) {
    out->sqT[i] = t[i] * t[i];
    out->sqRT[i] = out->RT[i] * out->RT[i];
  }
  out->amax = std::max(MaxAbs3(t), MaxAbs3(out->RT));
}

// Closed-form verdict on candidate (t1, t2): 1 when the candidate certainly
// fails the limits and certainly is regular for inv (so it prints nothing),
// 0 when only the full solve can tell.
int CertainlyFails(const SearchConstants &k, const TangentTerms &u, const TangentTerms &v) {
  const double M1 = DotVec3(u.nxt[2], v.t); // [n2, t1, t2]
  const double M2 = DotVec3(u.nxt[1], v.t); // [n1, t1, t2]
  const double P = DotVec3(u.t, v.nxt[0]);  // [F, t1, t2]
  const double D = -k.c1 * M1 + k.c2 * M2 - u.c * v.wt + v.c * u.wt;

  // conditioning: Hadamard's bound on the cofactors gives
  // |A6^-1| <= 6 prod(rho) / (min(rho) |D|) with rho the row norms of A6
  double prod = 1.0, minSq = HUGE_VAL;
  for (int i = 0; i < 3; i++) {
    const double f = k.sqForce[i] + u.sqT[i] + v.sqT[i];
    const double m = k.sqMoment[i] + u.sqRT[i] + v.sqRT[i];
    prod *= f * m;
    minSq = std::min(minSq, std::min(f, m));
  }
  const double invBound = 6.0 * std::sqrt(prod / minSq) / std::fabs(D);
  const double amax = std::max(k.amax, std::max(u.amax, v.amax));
  const double cond = 36.0 * amax * invBound;
  if (!(invBound <= kMaxInverse && cond <= kMaxCondition)) return 0;

  // [F, n2, t] = F.(n2 x t); [n1, F, t] = -F.(n1 x t); [n2, F, t2] = -F.(n2 x t2)
  const double a1 = (k.c2 * P - u.c * v.Fnt[2] + v.c * u.Fnt[2]) / D;
  const double a2 = (-k.c1 * P + u.c * v.Fnt[1] - v.c * u.Fnt[1]) / D;
  const double a3 = (k.c1 * v.Fnt[2] - k.c2 * v.Fnt[1] + v.c * k.n1n2F) / D;
  const double a4 = (-k.c1 * u.Fnt[2] + k.c2 * u.Fnt[1] - u.c * k.n1n2F) / D;
  const double m1 = -(a1 * k.qRN[0][1] + a2 * k.qRN[0][2] + a3 * u.qRT[0] + a4 * v.qRT[0]) / k.ww;
  const double m2 = (a1 * k.qRN[1][1] + a2 * k.qRN[1][2] + a3 * u.qRT[1] + a4 * v.qRT[1]) / k.ww;

  const double X = std::max(
      std::max(std::max(std::fabs(a1), std::fabs(a2)), std::max(std::fabs(a3), std::fabs(a4))),
      std::max(std::fabs(m1), std::fabs(m2)));
  const double d = kMarginPerCondition * cond * X;
  if (!(d <= X)) return 0; // NaN or no margin left
  const double FCZ[3] = {0.0, a1, a2}, TCF[3] = {0.0, a3, a4}, MCZ[3] = {0.0, m1, m2};
  const double fmax = kForceCap;
  for (int n = 1; n <= 2; n++) {
    if (FCZ[n] < -d) return 1;
    if (std::fabs(TCF[n]) - kCaseMu * FCZ[n] > d * (1.0 + kCaseMu)) return 1;
    if (std::fabs(MCZ[n]) - kCaseMu * kCaseRm * FCZ[n] > d * (1.0 + kCaseMu * kCaseRm)) return 1;
    if (FCZ[n] - fmax > d) return 1;
  }
  return 0;
}

} // namespace

int NormFastApplies(const Vec3 *RC, const Vec3 *nc, const double *RW, const double *FEX) {
  const auto tame = [](const double *v) {
    for (int i = 0; i < 3; i++)
      if (!(std::fabs(v[i]) <= kTameLimit)) return false;
    return true;
  };
  if (!tame(RW) || !tame(FEX) || FEX[0] != 0.0 || FEX[1] != 0.0) return 0;
  for (int k = 1; k <= 2; k++) {
    if (!tame(RC[k]) || !tame(nc[k])) return 0;
    Vec3 ext, eyt;
    TangentBasis(nc[k], ext, eyt);
    if (!tame(ext) || !tame(eyt)) return 0;
  }
  return 1;
}

int NormStaticsFast(GraspState *s, const Vec3 *RC, const Vec3 *nc, const double *RW,
                    const double *FEX, double *FCZ, Vec3 *FC, Vec3 *tc, double *TCF, Vec3 *TC,
                    double *MCZ, Vec3 *MC) {
  s->staticsSubCase = kSubNone;
  s->normCandidate = 0;

  // the angles exactly as the literal search accumulates them
  const int nn = kNormTurnSteps;
  const double dth = kFullTurn / nn;
  Vec3 ext[3] = {}, eyt[3] = {};
  double thm[3] = {0.0, 0.0, 0.0};
  for (int k = 1; k <= 2; k++) thm[k] = TangentBasis(nc[k], ext[k], eyt[k]);
  double th1[kAngles1], th2[kAngles2];
  th1[0] = thm[1] - dth;
  for (int i = 1; i < kAngles1; i++) th1[i] = th1[i - 1] + dth;
  th2[0] = thm[2] - dth;
  for (int i = 1; i < kAngles2; i++) th2[i] = th2[i - 1] + dth;

  SearchConstants k;
  for (int n = 1; n <= 2; n++) {
    SubVec3(RC[n], RW, k.RCW[n]);
    CrossVec3(k.RCW[n], nc[n], k.RN[n]);
  }
  CrossVec3(nc[1], nc[2], k.w);
  k.ww = DotVec3(k.w, k.w);
  k.c1 = DotVec3(k.w, k.RN[1]);
  k.c2 = DotVec3(k.w, k.RN[2]);
  k.n1n2F = DotVec3(FEX, k.w);
  Vec3 q2, q3;
  CrossVec3(nc[2], k.w, q2);
  CrossVec3(nc[1], k.w, q3);
  for (int n = 1; n <= 2; n++) {
    k.qRN[0][n] = DotVec3(q2, k.RN[n]);
    k.qRN[1][n] = DotVec3(q3, k.RN[n]);
  }
  k.qRN[0][0] = k.qRN[1][0] = 0.0;
  for (int i = 0; i < 3; i++) {
    const double nsq = nc[1][i] * nc[1][i] + nc[2][i] * nc[2][i];
    k.sqForce[i] = nsq;
    k.sqMoment[i] = nsq + k.RN[1][i] * k.RN[1][i] + k.RN[2][i] * k.RN[2][i];
  }
  k.amax = std::max(std::max(MaxAbs3(nc[1]), MaxAbs3(nc[2])),
                    std::max(MaxAbs3(k.RN[1]), MaxAbs3(k.RN[2])));

  TangentTerms T1[kAngles1], T2[kAngles2];
  for (int i = 0; i < kAngles1; i++) {
    Vec3 t;
    TangentAt(ext[1], eyt[1], th1[i], t);
    Terms(t, k.RCW[1], k, nc, FEX, q2, q3, &T1[i]);
  }
  for (int i = 0; i < kAngles2; i++) {
    Vec3 t;
    TangentAt(ext[2], eyt[2], th2[i], t);
    Terms(t, k.RCW[2], k, nc, FEX, q2, q3, &T2[i]);
  }

  const double Y6[kN6] = {FEX[0], FEX[1], FEX[2], 0.0, 0.0, 0.0};
  int candidate = 0, stable = 0;
  for (int n1 = 0; n1 <= nn && !stable; n1++) {
    for (int n2 = (n1 == 0) ? 1 : 0; n2 < nn; n2++) {
      candidate++;
      const TangentTerms &u = T1[n1], &v = T2[n2];
      const bool last = (n1 == nn && n2 == nn - 1);
      if (!last && CertainlyFails(k, u, v)) continue;

      // the full solve: inv's factorisation and column 2 of its inverse,
      // which is all that B6 Y6 takes from it
      CopyVec3(u.t, tc[1]);
      CopyVec3(v.t, tc[2]);
      double A6[kN6 * kN6];
      BuildNormBalance(nc, k.RN, u.t, v.t, u.RT, v.RT, A6);
      double sf[kN6 * kN6];
      int r[kN6], q[kN6], p[kN6];
      const double det6 = InvFactor(kN6, A6, kN6, sf, r, q, p);
      double X6[kN6];
      if (!InverseFailed(det6)) {
        // the inverse is finite here and Y6 = (0, 0, F, 0, 0, 0): the sum
        // over its row is 0.0 + B6[i][2] F plus signed zeros
        double col[kN6];
        InvSolveColumn(kN6, sf, r, 2, col, 1);
        for (int i = 0; i < kN6; i++) X6[i] = 0.0 + col[i] * FEX[2];
      } else {
        // inv leaves its matrix uninverted: the product is taken with A6
        for (int i = 0; i < kN6; i++) {
          X6[i] = 0.0;
          for (int j = 0; j < kN6; j++) X6[i] += A6[i * kN6 + j] * Y6[j];
        }
      }
      NormLimits lim;
      if (AcceptNormCandidate(X6, det6, nc, FCZ, FC, tc, TCF, TC, MCZ, MC, &lim)) {
        stable = 1;
        break;
      }
    }
  }
  if (stable) {
    ReportFrictionPositive(TCF, tc);
    s->normCandidate = candidate;
  }
  return SetStaticsVerdict(s, stable);
}

} // namespace gs
