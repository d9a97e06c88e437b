#include "exact/exact_check.h"

#include <algorithm>
#include <cmath>

#include "exact/epsilon.h"
#include "exact/exact_family.h"
#include "exact/exact_law.h"
#include "exact/exact_parallel.h"
#include "exact/exact_point.h"
#include "geom/vecmat.h"
#include "graspstat/constants.h"

namespace gs {

namespace {

constexpr double kExactSigmaTol = 1e-12; // relative width of the search for u*
// |n1 +- n2| below this: the soft law's closed forms lose digits as the
// normals near one line, so the law family (whose balance is solved with
// pivoting) answers instead
constexpr double kSoftFamilySpread = 1e-3;
constexpr double kRelaxedSigmaTol = 1e-8; // the same for a relaxed limit (blocking only)

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
void OppositeNormals(const double *n, const double *g, double cap, double mu, ExactAnswer *ans) {
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

constexpr double kCapacityRiseTol = 1e-12; // need at the cap above the least by this: rising
                                           // there (relative)
constexpr int kCapacityDoublings = 64;     // bound on the steps out beyond the cap

// The least Sigma beyond the cap range [lo, hi] whose need is at most mu,
// for the capacity of a grasp that cannot hold: under the load lambda (FEX,
// MEX) the need at Sigma is the need of the unit load at Sigma / lambda and
// the normal forces scale with lambda, so the factor is cap over the larger
// normal force at that Sigma. least is the verdict's least need over [lo, hi]
// (above mu); need(x) the need at x, bound(x) a lower bound on it over
// Sigma >= x, root(lo, x) the least Sigma in [lo, x] whose need is at most
// mu. Returns 1 and writes *Sigma; 0 when no Sigma needs mu or less (the need
// rises at hi, quasi-convex, so on beyond; or it stays above mu); -1 when
// neither is plain and the full search must tell.
template <class Need, class Bound, class Root>
int SigmaBeyondCap(Need need, Bound bound, Root root, double lo, double hi, double least, double mu,
                   double *Sigma) {
  if (!(lo <= hi)) return -1;
  double last = need(hi);
  if (last > least * (1.0 + kCapacityRiseTol)) return 0;
  const double clear = mu * (1.0 - 2.0 * kExactDecisionTol);
  const double above = mu * (1.0 + 2.0 * kExactDecisionTol);
  // while the needs probed fall, a Sigma needing mu or less lies beyond the
  // probe before the last (quasi-convexity), where bound holds
  double outside = hi, previous = hi, d = std::max({1.0, hi - lo, std::fabs(hi)});
  for (int i = 0; i < kCapacityDoublings; i++, d *= 2.0) {
    const double x = hi + d, v = need(x);
    if (v <= clear) {
      *Sigma = root(outside, x);
      return 1;
    }
    if (!(v < last)) return -1; // past the least need: the full search
    if (bound(previous) > above) return 0;
    if (v > mu) outside = x;
    previous = x;
    last = v;
  }
  return -1;
}

// The capacity of a soft grasp under a force alone that cannot hold, from
// the verdict's family (see SigmaBeyondCap); NaN when the full search must
// tell.
double ScaledCapacity(const ExactFamily *fam, const ExactLimits *all, double mu, double lo,
                      double hi, double least) {
  double Sigma = 0.0;
  const int found =
      SigmaBeyondCap([&](double x) { return FrictionNeed(fam, all, x); },
                     [&](double x) { return NeedBoundBeyond(fam, x); },
                     [&](double l, double x) { return LeastSigmaWithin(fam, all, mu, l, x); }, lo,
                     hi, least, mu, &Sigma);
  if (found <= 0) return found == 0 ? 0.0 : NAN;
  return all->cap / (0.5 * (Sigma + std::fabs(fam->Delta)));
}

void GeneralNormals(const double *n1, const double *n2, double a, const ExactModel *md,
                    ExactAnswer *ans, double *capacity) {
  const double cap = md->cap, mu = md->mu, rm = md->rm;
  ExactFamily fam;
  BuildExactFamily(n1, n2, a, md->FEX, rm, &fam);
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
  const int capped = SigmaRange(&fam, &all, &lo, &hi);
  if (capped != 0 && fam.mb <= mu * rm * hi)
    ans->blocking |= kLimitFriction; // the moment limits alone: met at the largest Sigma
  if (capped != 0) *capacity = ScaledCapacity(&fam, &all, mu, lo, hi, ans->u * mu);
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
bool Recheck(const GraspState *s, const ExactForces *x, const ExactModel *md) {
  return ExactBalanceKept(s->RC, s->NF, s->rwG, x->f, x->T, x->m, md) != 0;
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

constexpr const char *kNearLimit = kExactNearLimit;

// A point work without friction: the normal forces alone must make up the
// load, FCZ_1 n1 + FCZ_2 n2 = FEX, a plain linear problem (along one line
// the least forces); the friction it would need comes from the point-work
// answer with mu = 1.
int FrictionlessPoint(const GraspState *s, const Vec3 *n, const ExactModel *md, ExactCheck *out) {
  const double *g = md->FEX, cap = md->cap;
  const double c = DotVec3(n[1], n[2]), b1 = DotVec3(g, n[1]), b2 = DotVec3(g, n[2]);
  const bool opposite = NormSumVecN(0, 2, n[1], n[2]) < kExactParallelTol;
  const bool collinear = opposite || DistVecN(0, 2, n[1], n[2]) < kExactParallelTol;
  ExactForces x{};
  if (opposite) { // FCZ_1 - FCZ_2 = FEX.n1
    x.f[1] = std::max(0.0, b1);
    x.f[2] = std::max(0.0, -b1);
  } else if (collinear) { // FCZ_1 + FCZ_2 = FEX.n1
    x.f[1] = x.f[2] = 0.5 * b1;
  } else {
    x.f[1] = (b1 - c * b2) / (1.0 - c * c);
    x.f[2] = (b2 - c * b1) / (1.0 - c * c);
  }
  Vec3 res;
  for (int i = 0; i < 3; i++) res[i] = g[i] - x.f[1] * n[1][i] - x.f[2] * n[2][i];
  ExactAnswer friction;
  PointWorkAnswer(n[1], n[2], g, cap, 1.0, &friction);
  const double lo = std::min(x.f[1], x.f[2]), hi = std::max(x.f[1], x.f[2]);
  const double scale = std::max(cap, NormVec3(g));
  const bool spanned = NormVec3(res) <= kExactResidualTol;
  if (spanned && ((!opposite && std::fabs(lo) <= kExactDecisionTol * scale) ||
                  std::fabs(hi - cap) <= kExactDecisionTol * cap))
    return Undecided(out, kNearLimit);
  if (spanned && lo >= 0.0 && hi <= cap) {
    if (!Recheck(s, &x, md)) return Undecided(out, "the solution failed its re-check");
    out->verdict = kExactHolds;
    out->margin = 1.0;
    out->muNeeded = 0.0;
    out->capacity = cap / hi;
    for (int k = 1; k <= 2; k++) {
      out->FCZ[k] = x.f[k];
      CopyVec3(zeroVec, out->T[k]);
      out->MCZ[k] = 0.0;
    }
    return out->verdict;
  }
  if (!(friction.u > kExactDecisionTol)) return Undecided(out, kNearLimit);
  out->verdict = kExactCannotHold;
  out->muNeeded = friction.u;
  out->capacity = spanned && lo >= 0.0 ? cap / hi : 0.0;
  // with no friction bound the tangent planes carry the whole load
  out->blocking = kLimitFriction;
  const double pulled = collinear ? 0.5 * std::fabs(b1) : std::max(std::fabs(lo), hi);
  if (spanned && lo < 0.0 && pulled <= cap) out->blocking |= kLimitPushOnly;
  if (spanned && lo >= 0.0 && hi <= kRelaxedCapFactor * cap) out->blocking |= kLimitForceCap;
  return out->verdict;
}

// The largest load factor of a grasp that cannot hold, general normals,
// from its law family: the least Sigma beyond the cap whose need is at most
// mu, the cap removed (see SigmaBeyondCap); the verdict's least need least
// over the cap range tells the plain cases (NaN: none told), the full search
// over all Sigma beyond the others; NaN where the answer turns on less than
// the decision tolerance.
double LawCapacity(const LawFamily *fam, const ExactModel *md, double least) {
  LawLimits lim = {1, 1, md->cap, {0, 1, 1}};
  double lo = 0.0, hi = 0.0;
  const int capped = LawSigmaRange(fam, &lim, &lo, &hi);
  lim.cap = INFINITY;
  const double mu = md->mu;
  auto larger = [&](double Sigma) {
    return md->cap / std::max(fam->f0[1] + fam->f1[1] * Sigma, fam->f0[2] + fam->f1[2] * Sigma);
  };
  if (LawNeverHeld(fam, &lim)) return 0.0;
  double Sigma = 0.0, r = 0.0;
  const int found =
      capped == 0 || std::isnan(least)
          ? -1
          : SigmaBeyondCap([&](double x) { return LawNeedAt(fam, &lim, x, &r); },
                           [&](double x) { return LawNeedBoundBeyond(fam, &lim, x); },
                           [&](double l, double x) { return LawLeastSigma(fam, &lim, mu, l, x); },
                           lo, hi, least, mu, &Sigma);
  if (found >= 0) return found == 0 ? 0.0 : larger(Sigma);
  double loFree = 0.0, hiFree = 0.0;
  LawSigmaRange(fam, &lim, &loFree, &hiFree);
  const double start = capped != 0 ? hi : loFree;
  double at = 0.0;
  const double A = LawLeastNeedBeyond(fam, &lim, start, &at);
  if (std::fabs(A - mu) <= kExactDecisionTol * mu) return NAN;
  if (!(A < mu)) return 0.0;
  if (!std::isfinite(at)) { // only far out: a finite Sigma that holds
    at = std::max(1.0, std::fabs(start));
    while (LawNeedAt(fam, &lim, start + at, &r) > mu && std::isfinite(at)) at *= 2.0;
    at += start;
  }
  return larger(LawLeastSigma(fam, &lim, mu, start, at));
}

// Under any law or wrench, general normals: the least friction scale, the
// least-force balance, the blocking limits and the capacity of a grasp that
// cannot hold (into *capacity) from the law family.
void GeneralLaw(const LawFamily *fam, const ExactModel *md, ExactAnswer *ans, double *need,
                double *capacity) {
  const double mu = md->mu;
  const LawLimits all = {1, 1, md->cap, {0, 1, 1}};
  ans->blocking = 0;
  double lo = 0.0, hi = 0.0, at = 0.0, r = 0.0;
  const int capped = LawSigmaRange(fam, &all, &lo, &hi);
  const double A = capped != 0 ? LawLeastNeed(fam, &all, lo, hi, -1.0, &at) : INFINITY;
  *need = A;
  ans->u = mu > 0.0 ? A / mu : (A > 0.0 ? INFINITY : 1.0);
  if (ans->u <= 1.0) {
    const double Sigma = LawLeastSigma(fam, &all, mu, lo, at);
    LawNeedAt(fam, &all, Sigma, &r);
    ExactForces *x = &ans->least;
    LawMember(fam, Sigma, r, x->f, x->T, x->m);
    return;
  }
  *capacity = LawCapacity(fam, md, A);
  // relaxed one at a time; a search ends at the first member that holds, or
  // does not start where a lower bound of the need over the range exceeds mu
  auto holdsWith = [&](LawLimits lim) {
    double l = 0.0, h = 0.0, x = 0.0;
    if (LawSigmaRange(fam, &lim, &l, &h) == 0) return false;
    if (LawNeedBoundWithin(fam, &lim, l, h) > mu * (1.0 + kCapacityRiseTol)) return false;
    // without friction bounds the need falls as the pushing forces grow
    if (lim.friction == 0 && lim.sign[1] > 0 && lim.sign[2] > 0)
      return LawNeedAt(fam, &lim, h, &x) <= mu;
    return LawLeastNeed(fam, &lim, l, h, mu, &x) <= mu;
  };
  LawLimits lim = all;
  lim.friction = 0;
  if (holdsWith(lim)) ans->blocking |= kLimitFriction;
  lim = all;
  lim.moment = 0;
  if (holdsWith(lim)) ans->blocking |= kLimitMoment;
  // a higher cap holds exactly when some load factor below 1 holds: plain
  // from the capacity unless it lies near 1 / kRelaxedCapFactor
  lim = all;
  lim.cap = kRelaxedCapFactor * md->cap;
  const double c = *capacity;
  const bool plain = c >= 2.0 / kRelaxedCapFactor || c < 0.5 / kRelaxedCapFactor;
  if (plain ? c >= 2.0 / kRelaxedCapFactor : holdsWith(lim)) ans->blocking |= kLimitForceCap;
  for (const int s1 : {1, -1}) {
    for (const int s2 : {1, -1}) {
      lim = all;
      lim.sign[1] = s1;
      lim.sign[2] = s2;
      if ((s1 < 0 || s2 < 0) && holdsWith(lim)) ans->blocking |= kLimitPushOnly;
    }
  }
}

// Whether any wrench can be held with the cap removed: with friction and a
// friction moment, a squeeze along the line through the contacts can be
// made as large as needed, so every wrench is held exactly when that line
// lies strictly inside both friction cones (the angle to each normal has
// tangent |n1 + n2| / |n1 - n2|); point contacts, no friction or a point
// work cannot resist a twist about that line. -1 within the tolerance.
int ForceClosure(const double *n1, const double *n2, double a, const ExactModel *md) {
  if (a < kExactMinRadius || md->mu == 0.0 || md->rm == 0.0 || md->law == kContactPoint) return 0;
  const double dp = NormSumVecN(0, 2, n1, n2), dm = DistVecN(0, 2, n1, n2);
  if (dm < kExactParallelTol) return 0;
  const double tanAngle = dp / dm;
  if (std::fabs(tanAngle - md->mu) <= kExactDecisionTol * md->mu) return -1;
  return tanAngle < md->mu ? 1 : 0;
}

bool IsZero3(const double *v) {
  return v[0] == 0.0 && v[1] == 0.0 && v[2] == 0.0;
}

// The answer of a point work or of equal or opposite normals for the cap c.
void PointAnswer(const double *n1, const double *n2, const double *g, double cap, double mu,
                 ExactAnswer *ans) {
  ExactAnswer point;
  PointWorkAnswer(n1, n2, g, cap, mu, &point);
  ans->u = point.u;
  ans->blocking = point.blocking;
  for (int k = 1; k <= 2; k++) {
    ans->least.f[k] = point.least.f[k];
    CopyVec3(point.least.T[k], ans->least.T[k]);
    ans->least.m[k] = 0.0;
  }
}

void OppositeAnswer(const double *n1, const double *, const double *g, double cap, double mu,
                    ExactAnswer *ans) {
  OppositeNormals(n1, g, cap, mu, ans);
}

void EqualAnswer(const double *n1, const double *, const double *g, double cap, double,
                 ExactAnswer *ans) {
  EqualNormals(n1, g, cap, ans);
}

// The least friction scale alone of those answers for the cap c. Their load
// factor is found by halving over the cap, since a load lambda g with cap c
// holds exactly when g holds with cap c / lambda; the search asks nothing
// else (a point work's answer spends most of its time on the balance and
// the blocking limits).
using CapScale = double (*)(const double *n1, const double *n2, const double *g, double cap,
                            double mu);

double OppositeScale(const double *n1, const double *n2, const double *g, double cap, double mu) {
  ExactAnswer ans{};
  OppositeAnswer(n1, n2, g, cap, mu, &ans);
  return ans.u;
}

double EqualScale(const double *n1, const double *n2, const double *g, double cap, double mu) {
  ExactAnswer ans{};
  EqualAnswer(n1, n2, g, cap, mu, &ans);
  return ans.u;
}

double CapacityByCap(CapScale scale, const double *n1, const double *n2, const ExactModel *md) {
  return LoadFactorByCap([&](double c) { return scale(n1, n2, md->FEX, c, md->mu) <= 1.0; },
                         md->cap, kExactDecisionTol, 1.0); // a unit wrench needs a cap of about 1
}

} // namespace

int ExactBalanceKept(const Vec3 *p, const Vec3 *n, const double *c, const double *fcz,
                     const Vec3 *tf, const double *mcz, const ExactModel *md) {
  const double cap = md->cap, mu = md->mu, rm = md->rm;
  auto within = [](double v, double limit) {
    return v <= limit + kExactLimitSlack * std::max(1.0, std::fabs(limit));
  };
  Vec3 F, M;
  NegVec3(md->FEX, F);
  NegVec3(md->MEX, M);
  for (int k = 1; k <= 2; k++) {
    const double f = fcz[k];
    if (!within(-f, 0.0) || !within(f, cap)) return 0;
    const double tn = NormVec3(tf[k]), mn = std::fabs(mcz[k]);
    if (md->law == kContactElliptic && rm > 0.0) {
      if (!within(std::hypot(tn, mn / rm), mu * f)) return 0;
    } else if (!within(tn, mu * f) || !within(mn, mu * rm * f))
      return 0;
    if (std::fabs(DotVec3(tf[k], n[k])) > kExactResidualTol) return 0;
    Vec3 fk, rk, mk;
    for (int i = 0; i < 3; i++) fk[i] = f * n[k][i] + tf[k][i];
    SubVec3(p[k], c, rk);
    CrossVec3(rk, fk, mk);
    for (int i = 0; i < 3; i++) {
      F[i] += fk[i];
      M[i] += mk[i] + mcz[k] * n[k][i];
    }
  }
  return NormVec3(F) <= kExactResidualTol && NormVec3(M) <= kExactResidualTol ? 1 : 0;
}

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
  const double cap = kForceCap;
  for (int k = 1; k <= 2; k++) {
    const double f = s->FCZ[k];
    if (!std::isfinite(f) || !std::isfinite(s->TCF[k]) || !std::isfinite(s->MCZ[k])) return 0;
    if (!(f >= 0.0 && f <= cap)) return 0;
    if (!(std::fabs(s->TCF[k]) <= kCaseMu * f) || !(std::fabs(s->MCZ[k]) <= kCaseMu * kCaseRm * f))
      return 0;
  }
  return 1;
}

namespace {

// The exact check of the contacts of s (on the unit sphere about the origin,
// or at the origin for a point work, normals NF of unit length) under the
// model *md in the units of the problem.
int CheckScaled(const GraspState *s, const ExactModel *md, ExactCheck *out) {
  const double a = s->aSph;
  Vec3 n[3];
  for (int k = 1; k <= 2; k++) CopyVec3(s->NF[k], n[k]);
  const double cap = md->cap, mu = md->mu;
  // the soft law under a force alone has its closed forms; friction 0 and
  // the other laws or a required moment go through the law family
  const bool noMoment = IsZero3(md->MEX);
  const bool classic = md->law == kContactSoft && noMoment && md->rm > 0.0 && mu > 0.0;
  const bool opposite = NormSumVecN(0, 2, n[1], n[2]) < kExactParallelTol;
  const bool equal = DistVecN(0, 2, n[1], n[2]) < kExactParallelTol;
  CapScale byCap = nullptr; // the family's scale over the cap, where the capacity is found so
  ExactAnswer ans{};
  double need = NAN, scaledCapacity = NAN;
  out->forceClosure = ForceClosure(n[1], n[2], a, md);
  if (a < kExactMinRadius) {
    // no lever arm: no friction moments, whatever the law
    if (!noMoment) {
      ans.u = INFINITY; // a point work takes no moment
      need = INFINITY;
    } else if (!(mu > 0.0))
      return FrictionlessPoint(s, n, md, out);
    else {
      PointAnswer(n[1], n[2], md->FEX, cap, mu, &ans);
      byCap = PointWorkScale;
    }
  } else if (opposite || equal) {
    if (classic) {
      (opposite ? OppositeAnswer : EqualAnswer)(n[1], n[2], md->FEX, cap, mu, &ans);
      byCap = opposite ? OppositeScale : EqualScale;
    } else {
      ExactAnswer par;
      ParallelNormalsAnswer(n[1], opposite ? 1 : 0, a, md, &par);
      if (std::isnan(par.u) || (par.u > 1.0 && std::isnan(par.capacity)))
        return Undecided(out, kNearLimit);
      ans.u = par.u;
      ans.blocking = par.blocking;
      need = par.need;
      scaledCapacity = par.capacity;
      for (int k = 1; k <= 2; k++) {
        ans.least.f[k] = par.least.f[k];
        CopyVec3(par.least.T[k], ans.least.T[k]);
        ans.least.m[k] = par.least.m[k];
      }
    }
  } else if (classic && std::min(NormSumVecN(0, 2, n[1], n[2]), DistVecN(0, 2, n[1], n[2])) >=
                            kSoftFamilySpread)
    GeneralNormals(n[1], n[2], a, md, &ans, &scaledCapacity);
  else {
    LawFamily fam;
    BuildLawFamily(n[1], n[2], a, md, &fam);
    // point contacts resist no twist about the line through them: the
    // moment of the load about that line (the line a little beside the
    // centre) is left over. Below the balance residual a reported solution
    // may keep, it is dropped, as for normals exactly along one line
    const double gap = std::fabs(fam.m0[2]);
    if (fam.law == kContactPoint && gap <= 0.5 * kExactResidualTol * fam.scale * a) fam.m0[2] = 0.0;
    GeneralLaw(&fam, md, &ans, &need, &scaledCapacity);
  }
  if (std::isnan(need)) need = ans.u * mu;

  // within the band only the verdict is in doubt: the measures are reported
  const bool nearLimit = std::fabs(ans.u - 1.0) <= kExactDecisionTol;
  out->muNeeded = need;
  if (ans.u > 1.0) {
    if (byCap != nullptr)
      out->capacity = CapacityByCap(byCap, n[1], n[2], md);
    else if (a < kExactMinRadius)
      out->capacity = 0.0;
    else if (!std::isnan(scaledCapacity) || !classic)
      out->capacity = scaledCapacity;
    else {
      LawFamily fam;
      BuildLawFamily(n[1], n[2], a, md, &fam);
      out->capacity = LawCapacity(&fam, md, NAN);
    }
    if (nearLimit) return Undecided(out, kNearLimit);
    out->verdict = kExactCannotHold;
    out->blocking = ans.blocking;
    return out->verdict;
  }
  // the least total normal force also has the least larger normal force,
  // except on a point work, whose two normal forces are free
  out->capacity = byCap == PointWorkScale ? CapacityByCap(byCap, n[1], n[2], md)
                                          : cap / std::max(ans.least.f[1], ans.least.f[2]);
  if (nearLimit) return Undecided(out, kNearLimit);
  if (!Recheck(s, &ans.least, md)) {
    out->muNeeded = NAN;
    out->capacity = NAN;
    return Undecided(out, "the solution failed its re-check");
  }
  out->verdict = kExactHolds;
  out->margin = 1.0 - ans.u;
  for (int k = 1; k <= 2; k++) {
    out->FCZ[k] = ans.least.f[k];
    CopyVec3(ans.least.T[k], out->T[k]);
    out->MCZ[k] = ans.least.m[k];
  }
  return out->verdict;
}

// The contacts of s checked against the work sphere: each point within
// kContactPointTol of the radius from the surface and each normal within
// kContactNormalTol of the surface normal there (a point work: the points
// at its centre); writes the unit normals into n. Returns nullptr when they
// pass, else the reason.
const char *ContactsOnSurface(const GraspState *s, Vec3 *n) {
  const double a = s->aSph;
  for (int k = 1; k <= 2; k++) {
    const double len = NormVec3(s->NF[k]);
    if (!(std::fabs(len - 1.0) <= kExactUnitTol)) return "contact normal not a unit vector";
    ScaleVec3(1.0 / len, s->NF[k], n[k]);
    Vec3 d;
    SubVec3(s->RC[k], s->rwG, d);
    const double dist = std::hypot(d[0], d[1], d[2]);
    if (a < kExactMinRadius) {
      if (dist > kExactSurfaceTol) return "contact point off the point work";
      continue;
    }
    if (!(std::fabs(dist - a) <= kContactPointTol * a))
      return "contact point farther than 1e-3 of the radius from the work surface";
    // the angle between the normal into the work and the way to the centre
    Vec3 cr;
    ScaleVec3(1.0 / dist, d, d);
    CrossVec3(n[k], d, cr);
    if (!(std::atan2(NormVec3(cr), -DotVec3(n[k], d)) <= kContactNormalTol))
      return "contact normal more than 1e-3 rad from the surface normal";
  }
  return nullptr;
}

// Boxes of the epsilon's lower-bound proof for the hand's own contacts: only
// the first covering of the sphere, so that a whole solve stays quick (its
// value is the full search's; quality answers prove the bound further).
constexpr int kHandEpsilonProofBoxes = 0;

// The epsilon of the contacts where the normals n meet the work sphere of
// s (torque scale: its radius), 0 where the check found no force closure.
void SphereEpsilon(const GraspState *s, const Vec3 *n, const ExactModel *md, ExactCheck *out) {
  ContactPair g;
  for (int k = 1; k <= 2; k++) {
    CopyVec3(n[k], g.n[k]);
    for (int i = 0; i < 3; i++) g.p[k][i] = s->rwG[i] - s->aSph * n[k][i];
  }
  CopyVec3(s->rwG, g.c);
  PairEpsilonBudget(&g, md, s->aSph, kHandEpsilonProofBoxes, &out->epsilon);
  if (out->forceClosure == 0)
    for (EpsilonForm *f : {&out->epsilon.inf, &out->epsilon.one}) f->value = f->lower = 0.0;
}

// Writes into *m the model *md in the units of the problem: lengths in L,
// forces in W = |(FEX, MEX / L)|; cap, moment radius and friction clamped at
// kExactScaledMost, *capScaled the cap before the clamp. Returns W, or 0
// when the wrench is not representable in those units.
double ScaledModel(const ExactModel *md, double L, ExactModel *m, double *capScaled) {
  const double *F = md->FEX, *M = md->MEX;
  const double W = std::hypot(std::hypot(F[0], F[1], F[2]), std::hypot(M[0], M[1], M[2]) / L);
  if (!(W > 0.0 && std::isfinite(W))) return 0.0;
  *m = *md;
  for (int i = 0; i < 3; i++) {
    m->FEX[i] = md->FEX[i] / W;
    m->MEX[i] = md->MEX[i] / W / L;
  }
  // a cap, a moment radius or a friction coefficient beyond kExactScaledMost
  // (in these units) moves no need by more than rounding: the needs are
  // ratios of linear functions of the squeeze, level beyond it; a moment
  // radius below its inverse bounds no moment beyond the balance residual
  *capScaled = md->cap / W;
  m->cap = std::min(*capScaled, kExactScaledMost);
  m->rm = std::min(md->rm / L, kExactScaledMost);
  if (m->rm < 1.0 / kExactScaledMost) m->rm = 0.0;
  m->mu = std::min(md->mu, kExactScaledMost);
  return W;
}

// The exact check under the model *md, with the palm test when palmTest is
// 1. The contacts are taken on the sphere (each point where its normal
// meets the surface) and everything is computed in the units of the
// problem: lengths in work radii, forces in the size of the required
// wrench, so that an answer does not depend on the units it is given in.
int CheckContacts(const GraspState *s, const ExactModel *md, int palmTest, ExactCheck *out) {
  *out = ExactCheck{};
  out->capacity = NAN;
  out->muNeeded = NAN;
  out->forceClosure = -1;
  const char *bad = ExactModelError(md);
  if (bad != nullptr) return Undecided(out, bad);
  if (!InputFinite(s)) return Undecided(out, "non-finite contact, work or hand data");
  const double a = s->aSph;
  if (!(a >= 0.0)) return Undecided(out, "work radius negative");
  Vec3 n[3];
  const char *off = ContactsOnSurface(s, n);
  if (off != nullptr) return Undecided(out, off);
  if (palmTest != 0 && PalmPenetration(s) > kExactPalmDepth) {
    out->verdict = kExactPalmInside;
    return out->verdict;
  }
  const bool point = a < kExactMinRadius;
  const double L = point ? 1.0 : a;
  ExactModel m;
  double capScaled = 0.0;
  const double W = ScaledModel(md, L, &m, &capScaled);
  if (W == 0.0) return Undecided(out, "required wrench not representable in the units of the work");
  GraspState u = *s;
  u.aSph = point ? 0.0 : 1.0;
  for (int i = 0; i < 3; i++) u.rwG[i] = 0.0;
  for (int k = 1; k <= 2; k++) {
    CopyVec3(n[k], u.NF[k]);
    ScaleVec3(-u.aSph, n[k], u.RC[k]);
  }
  CheckScaled(&u, &m, out);
  SphereEpsilon(s, n, md, out);
  // capacity is the cap over the least cap that holds the load
  out->capacity *= capScaled / m.cap;
  if (out->verdict != kExactHolds) return out->verdict;
  ExactForces x;
  for (int k = 1; k <= 2; k++) {
    x.f[k] = out->FCZ[k] *= W;
    ScaleVec3(W, out->T[k], out->T[k]);
    CopyVec3(out->T[k], x.T[k]);
    x.m[k] = out->MCZ[k] *= W * L;
  }
  JointTorques(s, &x, out->jointTorque);
  return out->verdict;
}

} // namespace

int ExactGraspCheck(const GraspState *s, ExactCheck *out) {
  return CheckContacts(s, &kDefaultExactModel, 1, out);
}

int ExactGraspCheckModel(const GraspState *s, const ExactModel *md, ExactCheck *out) {
  return CheckContacts(s, md, 1, out);
}

int ExactContactsCheck(const GraspState *s, const ExactModel *md, ExactCheck *out) {
  return CheckContacts(s, md, 0, out);
}

const char *ExactLimitName(int i, int *bit) {
  static const struct {
    int bit;
    const char *name;
  } kinds[kExactLimitKinds] = {{kLimitFriction, "friction"},
                               {kLimitMoment, "moment"},
                               {kLimitForceCap, "force cap"},
                               {kLimitPushOnly, "push only"}};
  *bit = kinds[i].bit;
  return kinds[i].name;
}

} // namespace gs
