#include "statics/exact_check.h"

#include <algorithm>
#include <cmath>

#include "model/constants.h"
#include "statics/exact_family.h"
#include "statics/exact_point.h"

namespace gs {

namespace {

constexpr double kExactSigmaTol = 1e-12;  // relative width of the search for u*
constexpr double kRelaxedSigmaTol = 1e-8; // the same for a relaxed limit (blocking only)

// One balance: normal forces, friction force vectors, friction moments.
struct ExactForces {
  double f[3];
  Vec3 T[3];
  double m[3];
};

// Outcome of the force analysis of one contact geometry.
struct ExactAnswer {
  double u;          // least friction scale u*, +inf when none holds
  ExactForces least; // least-total-normal-force balance (when u <= 1)
  int blocking;      // ExactLimit bits (when u > 1)
};

bool Finite3(const double *v) {
  return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

bool InputFinite(const GraspState *s) {
  if (!std::isfinite(s->aSph) || !Finite3(s->rwG)) return false;
  for (int k = 1; k <= 2; k++) {
    if (!Finite3(s->RC[k]) || !Finite3(s->NF[k])) return false;
  }
  for (int i = 0; i < 3; i++) {
    if (!Finite3(s->EA[i]) || !Finite3(s->Es1[i]) || !Finite3(s->Es2[i])) return false;
  }
  return Finite3(s->rBase1) && Finite3(s->rBase2);
}

// Opposite normals n2 = -n1: T1 = T2 = half the tangential load, MCZ_1 =
// MCZ_2 free (0 here), FCZ_1 - FCZ_2 = FEX.n1, FCZ_2 free.
void OppositeNormals(const double *n, const double *g, double cap, ExactAnswer *ans) {
  const double gn = DotVec3(g, n);
  Vec3 gt;
  for (int i = 0; i < 3; i++) gt[i] = g[i] - gn * n[i];
  const double need = 0.5 * NormVec3(gt);  // friction each contact must carry
  const double room = cap - std::fabs(gn); // the larger of the two smaller normal forces
  ans->u =
      room < 0.0 ? INFINITY : (need == 0.0 ? 0.0 : (room > 0.0 ? need / (mu * room) : INFINITY));
  const double f2 = std::max(0.0, -gn) + need / mu;
  ExactForces *x = &ans->least;
  x->f[1] = f2 + gn;
  x->f[2] = f2;
  for (int k = 1; k <= 2; k++) {
    ScaleVec3(0.5, gt, x->T[k]);
    x->m[k] = 0.0;
  }
  ans->blocking = 0;
  if (ans->u > 1.0) {
    if (room >= 0.0) ans->blocking |= kLimitFriction;
    const double roomRelaxed = kRelaxedCapFactor * cap - std::fabs(gn);
    if (roomRelaxed > 0.0 && need <= mu * roomRelaxed) ans->blocking |= kLimitForceCap;
  }
}

// Equal normals: the moment balance leaves T1 + T2 = 0, so only a load along
// the normal, split evenly, can be held.
void EqualNormals(const double *n, const double *g, double cap, ExactAnswer *ans) {
  const double gn = DotVec3(g, n);
  Vec3 gt;
  for (int i = 0; i < 3; i++) gt[i] = g[i] - gn * n[i];
  const bool along = NormVec3(gt) <= kExactResidualTol;
  ans->u = (along && gn >= 0.0 && gn <= 2.0 * cap) ? 0.0 : INFINITY;
  ExactForces *x = &ans->least;
  for (int k = 1; k <= 2; k++) {
    x->f[k] = 0.5 * gn;
    CopyVec3(zeroVec, x->T[k]);
    x->m[k] = 0.0;
  }
  ans->blocking = 0;
  if (along && gn < 0.0 && -gn <= 2.0 * cap) ans->blocking |= kLimitPushOnly;
  if (along && gn > 2.0 * cap) ans->blocking |= kLimitForceCap;
}

// Least friction scale of the family under lim: with pull = 0 over the
// region where both fingers push, with pull = 1 over the regions where at
// least one finger pulls.
double LeastNeed(const ExactFamily *fam, ExactLimits lim, int pull, double stopBelow) {
  double best = INFINITY;
  for (int s1 = 1; s1 >= -1; s1 -= 2) {
    for (int s2 = 1; s2 >= -1; s2 -= 2) {
      if ((s1 < 0 || s2 < 0) != (pull != 0)) continue;
      lim.sign[1] = s1;
      lim.sign[2] = s2;
      double x = 0.0;
      best = std::min(best, LeastFrictionNeed(fam, &lim, stopBelow, &x, 0.0, nullptr));
      if (best <= stopBelow) return best;
    }
  }
  return best;
}

void GeneralNormals(const double *n1, const double *n2, double a, const double *g, double cap,
                    ExactAnswer *ans) {
  ExactFamily fam;
  BuildExactFamily(n1, n2, a, g, &fam);
  const ExactLimits all = {1, 1, cap, {0, 1, 1}, -INFINITY, kExactSigmaTol};
  double at = 0.0, below = 0.0;
  ans->u = LeastFrictionNeed(&fam, &all, -1.0, &at, mu, &below) / mu;
  ans->blocking = 0;
  if (ans->u <= 1.0) {
    const double Sigma = LeastSigmaWithin(&fam, &all, mu, below, at);
    ExactForces *x = &ans->least;
    FamilyMember(&fam, Sigma, mu, x->f, x->T, x->m);
    return;
  }
  // relaxed one at a time; a search ends at the first member that holds
  double lo = 0.0, hi = 0.0;
  if (SigmaRange(&fam, &all, &lo, &hi) != 0 && fam.mb <= mu * rm * hi)
    ans->blocking |= kLimitFriction; // the moment limits alone: met at the largest Sigma
  ExactLimits coarse = all;
  coarse.relTol = kRelaxedSigmaTol;
  ExactLimits lim = coarse;
  lim.moment = 0;
  if (LeastNeed(&fam, lim, 0, mu) <= mu) ans->blocking |= kLimitMoment;
  // the need is quasi-convex in Sigma: a higher cap helps only when the least
  // need lies at the largest Sigma the cap allows
  const double scale = std::max({1.0, std::fabs(lo), std::fabs(hi)});
  lim = coarse;
  lim.cap = kRelaxedCapFactor * cap;
  lim.sigmaMin = hi;
  if (at >= hi - kExactDecisionTol * scale && LeastNeed(&fam, lim, 0, mu) <= mu)
    ans->blocking |= kLimitForceCap;
  if (LeastNeed(&fam, coarse, 1, mu) <= mu) ans->blocking |= kLimitPushOnly;
}

// Whether forces x keep every limit (up to rounding) and balance FEX about
// the true contact points with a residual of at most kExactResidualTol.
bool Recheck(const GraspState *s, const ExactForces *x, double cap) {
  auto within = [](double v, double limit) {
    return v <= limit + kExactLimitSlack * std::max(1.0, std::fabs(limit));
  };
  Vec3 F, M;
  NegVec3(FEX, F);
  CopyVec3(zeroVec, M);
  for (int k = 1; k <= 2; k++) {
    const double f = x->f[k];
    if (!within(-f, 0.0) || !within(f, cap)) return false;
    if (!within(NormVec3(x->T[k]), mu * f) || !within(std::fabs(x->m[k]), mu * rm * f))
      return false;
    if (std::fabs(DotVec3(x->T[k], s->NF[k])) > kExactResidualTol) return false;
    Vec3 fk, rk, mk;
    for (int i = 0; i < 3; i++) fk[i] = f * s->NF[k][i] + x->T[k][i];
    SubVec3(s->RC[k], s->rwG, rk);
    CrossVec3(rk, fk, mk);
    for (int i = 0; i < 3; i++) {
      F[i] += fk[i];
      M[i] += mk[i] + x->m[k] * s->NF[k][i];
    }
  }
  return NormVec3(F) <= kExactResidualTol && NormVec3(M) <= kExactResidualTol;
}

// z_k . ((RC[k] - joint_k) x F_k + MCZ_k NF[k]) for both fingers.
void JointTorques(const GraspState *s, const ExactForces *x, double *tau) {
  const double(*Es[3])[3] = {nullptr, s->Es1, s->Es2};
  const double *joint[3] = {nullptr, s->rBase1, s->rBase2};
  for (int k = 1; k <= 2; k++) {
    Vec3 fk, rk, mk;
    for (int i = 0; i < 3; i++) fk[i] = x->f[k] * s->NF[k][i] + x->T[k][i];
    SubVec3(s->RC[k], joint[k], rk);
    CrossVec3(rk, fk, mk);
    tau[k] = 0.0;
    for (int i = 0; i < 3; i++) tau[k] += Es[k][i][2] * (mk[i] + x->m[k] * s->NF[k][i]);
  }
}

int Undecided(ExactCheck *out, const char *reason) {
  out->verdict = kExactUndecided;
  out->reason = reason;
  return out->verdict;
}

} // namespace

double PalmPenetration(const GraspState *s) {
  Vec3 c;
  MulMatTVec3(s->EA, s->rwG, c); // work centre in the hand frame, palm centred at its origin
  const double half[3] = {0.5 * wHand, 0.5 * tHand, 0.5 * dHand};
  double outside = 0.0, inside = INFINITY;
  for (int i = 0; i < 3; i++) {
    const double d = std::fabs(c[i]) - half[i];
    if (d > 0.0) outside += d * d;
    inside = std::min(inside, -d);
  }
  return outside > 0.0 ? s->aSph - std::sqrt(outside) : s->aSph + inside;
}

int StaticsLimitsKept(const GraspState *s) {
  const double cap = kForceCapFactor * FEX[2];
  for (int k = 1; k <= 2; k++) {
    const double f = s->FCZ[k];
    if (!std::isfinite(f) || !std::isfinite(s->TCF[k]) || !std::isfinite(s->MCZ[k])) return 0;
    if (!(f >= 0.0 && f <= cap)) return 0;
    if (!(std::fabs(s->TCF[k]) <= mu * f) || !(std::fabs(s->MCZ[k]) <= mu * rm * f)) return 0;
  }
  return 1;
}

namespace {

// The exact check, with the palm test when palmTest is 1.
int CheckContacts(const GraspState *s, int palmTest, ExactCheck *out) {
  *out = ExactCheck{};
  if (!InputFinite(s)) return Undecided(out, "non-finite contact, work or hand data");
  const double a = s->aSph;
  if (!(a >= 0.0)) return Undecided(out, "work radius negative");
  Vec3 n[3];
  for (int k = 1; k <= 2; k++) {
    const double len = NormVec3(s->NF[k]);
    if (!(std::fabs(len - 1.0) <= kExactUnitTol))
      return Undecided(out, "contact normal not a unit vector");
    ScaleVec3(1.0 / len, s->NF[k], n[k]);
    Vec3 off;
    for (int i = 0; i < 3; i++) off[i] = s->RC[k][i] - s->rwG[i] + a * n[k][i];
    if (NormVec3(off) > kExactSurfaceTol * std::max(1.0, a))
      return Undecided(out, "contact off the work surface");
  }
  if (palmTest != 0 && PalmPenetration(s) > kExactPalmDepth) {
    out->verdict = kExactPalmInside;
    return out->verdict;
  }
  const double cap = kForceCapFactor * FEX[2];
  ExactAnswer ans{};
  if (a < kExactMinRadius) {
    ExactPointAnswer point;
    PointWorkAnswer(n[1], n[2], FEX, cap, &point);
    ans.u = point.u;
    ans.blocking = point.blocking;
    for (int k = 1; k <= 2; k++) {
      ans.least.f[k] = point.f[k];
      CopyVec3(point.T[k], ans.least.T[k]);
      ans.least.m[k] = 0.0;
    }
  } else if (NormSumVecN(0, 2, n[1], n[2]) < kExactParallelTol)
    OppositeNormals(n[1], FEX, cap, &ans);
  else if (DistVecN(0, 2, n[1], n[2]) < kExactParallelTol)
    EqualNormals(n[1], FEX, cap, &ans);
  else
    GeneralNormals(n[1], n[2], a, FEX, cap, &ans);

  if (std::fabs(ans.u - 1.0) <= kExactDecisionTol)
    return Undecided(out, "the answer turns on less than 1e-9 of a limit");
  if (ans.u > 1.0) {
    out->verdict = kExactCannotHold;
    out->blocking = ans.blocking;
    return out->verdict;
  }
  if (!Recheck(s, &ans.least, cap)) return Undecided(out, "the solution failed its re-check");
  out->verdict = kExactHolds;
  out->margin = 1.0 - ans.u;
  for (int k = 1; k <= 2; k++) {
    out->FCZ[k] = ans.least.f[k];
    CopyVec3(ans.least.T[k], out->T[k]);
    out->MCZ[k] = ans.least.m[k];
  }
  JointTorques(s, &ans.least, out->jointTorque);
  return out->verdict;
}

} // namespace

int ExactGraspCheck(const GraspState *s, ExactCheck *out) {
  return CheckContacts(s, 1, out);
}

int ExactContactsCheck(const GraspState *s, ExactCheck *out) {
  return CheckContacts(s, 0, out);
}

} // namespace gs
