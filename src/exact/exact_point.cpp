#include "exact/exact_point.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "geom/vecmat.h"
#include <limits>

#include "exact/exact_family.h"
#include "graspstat/state.h"

namespace gs {

namespace {

constexpr double kParallel = 1e-12;     // |n1 +- n2| below this: opposite / equal normals
constexpr double kFineTol = 1e-12;      // relative width of the searches for u*
constexpr double kCoarseTol = 1e-8;     // the same for a relaxed limit
constexpr double kRelaxedCap = 1e6;     // cap factor of a relaxed force cap
constexpr int kMaxSteps = 200;          // bound on the steps of each search
constexpr double kRoundingWidths = 4.0; // a bracket this many roundings of its ends wide is closed

// The in-plane friction a_k along t_k = n_k x w follows from the normal
// forces; the friction across the plane (along w) must add up to gw. For a
// total normal force S one parameter x is left: the difference of the
// normal forces d = FCZ_1 - FCZ_2, or, where the normals are nearer
// opposite than equal (bySum), the sum of the in-plane frictions
// a_1 + a_2, since there the difference is all but fixed by the load and
// the frictions follow from it only through a cancellation.
struct PointFamily {
  Vec3 n[3], t[3], w;
  double c, sn, gn1, gn2, gw;
  double dp, dm; // |n1 + n2|, |n1 - n2|
  int bySum;
  // bySum: the in-plane balance along e1 = (n1 + n2) / dp and e2 = (n1 - n2)
  // / dm as m (d, a_2 - a_1) = r0 - rS S - rx x, from the dot products of
  // the normals and tangents as they are (a unit normal off by a rounding
  // would otherwise be magnified by 1 / dp)
  double m[2][2], r0[2], rS[2], rx[2];
  Vec3 e[3], g;
  double lo[3], hi[3]; // bounds of FCZ_k (a sign region of the limits)
};

void InPlane(const PointFamily *P, double f1, double f2, double *a1, double *a2) {
  *a1 = (P->c * f1 + f2 - P->gn2) / P->sn;
  *a2 = (P->gn1 - f1 - P->c * f2) / P->sn;
}

// The member with total S and parameter x: normal forces and in-plane
// frictions. The in-plane balance along (n1 + n2) / dp and (n1 - n2) / dm
// reads dp S + dm (a_2 - a_1) = 2 ge1 and dm d + dp (a_1 + a_2) = 2 ge2.
void Member(const PointFamily *P, double S, double x, double *f1, double *f2, double *a1,
            double *a2) {
  if (P->bySum == 0) {
    *f1 = 0.5 * (S + x);
    *f2 = 0.5 * (S - x);
    InPlane(P, *f1, *f2, a1, a2);
    return;
  }
  double r[2];
  for (int i = 0; i < 2; i++) r[i] = P->r0[i] - P->rS[i] * S - P->rx[i] * x;
  const double det = P->m[0][0] * P->m[1][1] - P->m[0][1] * P->m[1][0];
  const double d = (r[0] * P->m[1][1] - P->m[0][1] * r[1]) / det;
  const double gap = (P->m[0][0] * r[1] - P->m[1][0] * r[0]) / det; // a_2 - a_1
  *f1 = 0.5 * (S + d);
  *f2 = 0.5 * (S - d);
  *a1 = 0.5 * (x - gap);
  *a2 = 0.5 * (x + gap);
}

// Least friction coefficient with which normal forces f1, f2 and in-plane
// frictions a1, a2 balance.
double Need(const PointFamily *P, double f1, double f2, double a1, double a2) {
  const double F1 = std::fabs(f1), F2 = std::fabs(f2);
  const double A1 = a1 == 0.0 ? 0.0 : (F1 > 0.0 ? std::fabs(a1) / F1 : kInf);
  const double A2 = a2 == 0.0 ? 0.0 : (F2 > 0.0 ? std::fabs(a2) / F2 : kInf);
  const double A0 = std::max(A1, A2);
  const double G = std::fabs(P->gw);
  if (G == 0.0 || A0 == kInf) return A0;
  auto across = [&](double A) {
    return std::sqrt(std::max(0.0, A * A * F1 * F1 - a1 * a1)) +
           std::sqrt(std::max(0.0, A * A * F2 * F2 - a2 * a2));
  };
  if (across(A0) >= G) return A0;
  if (F1 + F2 == 0.0) return kInf;
  // the two discs together must carry G: across(A) = G, increasing in A
  double l = A0, r = std::max(2.0 * A0, 2.0 * G / (F1 + F2) + 1e-300);
  for (int i = 0; i < kMaxSteps && across(r) < G; i++) r *= 2.0;
  if (!(across(r) >= G)) return kInf; // no coefficient a double holds carries G
  for (int i = 0; i < kMaxSteps && r - l > kFineTol * r; i++) {
    const double m = 0.5 * (l + r);
    (across(m) < G ? l : r) = m;
  }
  return r;
}

// Range of FCZ_1 - FCZ_2 for the total normal force S within the bounds.
void DeltaRange(const PointFamily *P, double S, double *dl, double *dh) {
  *dl = std::max(2.0 * P->lo[1] - S, S - 2.0 * P->hi[2]);
  *dh = std::min(2.0 * P->hi[1] - S, S - 2.0 * P->lo[2]);
}

// Golden-section search of a quasi-convex f on [a, b] (ends included) to
// the width tol, or to the rounding of the ends where that is coarser;
// returns the least value and writes where into *at.
template <class F> double Golden(F f, double a, double b, double tol, double *at) {
  double best = f(a), x = a;
  const double fb = f(b);
  if (fb < best) {
    best = fb;
    x = b;
  }
  double x1 = b - kGolden * (b - a), x2 = a + kGolden * (b - a), f1 = f(x1), f2 = f(x2);
  // below the spacing of the doubles about the ends no probe is new
  auto open = [&]() {
    return b - a >
           std::max(tol, kRoundingWidths * DBL_EPSILON * std::max(std::fabs(a), std::fabs(b)));
  };
  for (int i = 0; i < kMaxSteps && open(); i++) {
    GoldenStep(f, &a, &b, &x1, &x2, &f1, &f2);
  }
  if (f1 < best) {
    best = f1;
    x = x1;
  }
  if (f2 < best) {
    best = f2;
    x = x2;
  }
  *at = x;
  return best;
}

// Least need over all members with the total S; writes their parameter
// where it is reached into *x.
double NeedAt(const PointFamily *P, double S, double rel, double *x) {
  double dl, dh;
  DeltaRange(P, S, &dl, &dh);
  if (dl > dh) return kInf;
  double lo = dl, hi = dh, tol = rel * std::max({1.0, std::fabs(dl), std::fabs(dh)});
  if (P->bySum != 0) { // the sum of the frictions falls as d grows
    lo = (2.0 * DotVec3(P->g, P->e[2]) - P->dm * dh) / P->dp;
    hi = (2.0 * DotVec3(P->g, P->e[2]) - P->dm * dl) / P->dp;
    tol = rel; // the frictions that matter are of the size of the (unit) load
  }
  auto need = [&](double v) {
    double f1, f2, a1, a2;
    Member(P, S, v, &f1, &f2, &a1, &a2);
    return Need(P, f1, f2, a1, a2);
  };
  return Golden(need, lo, hi, tol, x);
}

// Least need over the whole region of P; writes the total where it is reached.
double LeastNeed(const PointFamily *P, double rel, double *at) {
  const double slo = P->lo[1] + P->lo[2], shi = P->hi[1] + P->hi[2];
  const double tol = rel * std::max({1.0, std::fabs(slo), std::fabs(shi)});
  double unused;
  return Golden([&](double S) { return NeedAt(P, S, rel, &unused); }, slo, shi, tol, at);
}

void SetRegion(PointFamily *P, double cap, int s1, int s2) {
  const int s[3] = {0, s1, s2};
  for (int k = 1; k <= 2; k++) {
    P->lo[k] = s[k] > 0 ? 0.0 : -cap;
    P->hi[k] = s[k] > 0 ? cap : 0.0;
  }
}

// The family of the balances of load g on two contacts with normals n1, n2
// not along one line, the normal forces within [0, cap].
void BuildPointFamily(const double *n1, const double *n2, const double *g, double cap,
                      PointFamily *out) {
  PointFamily &P = *out;
  CopyVec3(n1, P.n[1]);
  CopyVec3(n2, P.n[2]);
  NormalPlaneFrame(n1, n2, P.e[1], P.e[2], P.w, P.t, &P.dp, &P.dm);
  Vec3 sum, cr;
  AddVec3(n1, n2, sum);
  CrossVec3(n1, sum, cr); // = n1 x n2, whose length w was scaled by
  P.sn = NormVec3(cr);
  P.c = DotVec3(n1, n2);
  P.gn1 = DotVec3(g, n1);
  P.gn2 = DotVec3(g, n2);
  P.gw = DotVec3(g, P.w);
  CopyVec3(g, P.g);
  P.bySum = P.dp < P.dm ? 1 : 0;
  for (int i = 0; i < 2; i++) {
    const double *e = P.e[1 + i];
    const double A1 = DotVec3(n1, e), A2 = DotVec3(n2, e);
    const double t1 = DotVec3(P.t[1], e), t2 = DotVec3(P.t[2], e);
    P.m[i][0] = 0.5 * (A1 - A2);
    P.m[i][1] = 0.5 * (t2 - t1);
    P.r0[i] = DotVec3(g, e);
    P.rS[i] = 0.5 * (A1 + A2);
    P.rx[i] = 0.5 * (t1 + t2);
  }
  SetRegion(&P, cap, 1, 1);
}

void General(const double *n1, const double *n2, const double *g, double cap, double mu,
             ExactAnswer *ans) {
  PointFamily P;
  BuildPointFamily(n1, n2, g, cap, &P);
  double S = 0.0;
  ans->u = LeastNeed(&P, kFineTol, &S) / mu;
  ans->blocking = 0;
  if (ans->u <= 1.0) {
    // the least total normal force whose best split needs at most mu
    double l = P.lo[1] + P.lo[2], r = S, d = 0.0;
    if (NeedAt(&P, l, kFineTol, &d) <= mu) r = l;
    for (int i = 0; i < kMaxSteps && r - l > kFineTol * std::max(1.0, r); i++) {
      const double m = 0.5 * (l + r);
      (NeedAt(&P, m, kFineTol, &d) <= mu ? r : l) = m;
    }
    NeedAt(&P, r, kFineTol, &d);
    double f1, f2, a1, a2;
    Member(&P, r, d, &f1, &f2, &a1, &a2);
    const double R1 = std::sqrt(std::max(0.0, mu * mu * f1 * f1 - a1 * a1));
    const double R2 = std::sqrt(std::max(0.0, mu * mu * f2 * f2 - a2 * a2));
    const double b1 = 0.5 * (std::max(-R1, P.gw - R2) + std::min(R1, P.gw + R2)), b2 = P.gw - b1;
    ans->least.f[1] = f1;
    ans->least.f[2] = f2;
    for (int i = 0; i < 3; i++) {
      ans->least.T[1][i] = a1 * P.t[1][i] + b1 * P.w[i];
      ans->least.T[2][i] = a2 * P.t[2][i] + b2 * P.w[i];
    }
    return;
  }
  // with no friction bound the tangent planes carry any load; the moments
  // play no part
  ans->blocking |= kLimitFriction;
  double at;
  SetRegion(&P, kRelaxedCap * cap, 1, 1);
  if (LeastNeed(&P, kCoarseTol, &at) <= mu) ans->blocking |= kLimitForceCap;
  for (const int s1 : {1, -1}) {
    for (const int s2 : {1, -1}) {
      if (s1 > 0 && s2 > 0) continue;
      SetRegion(&P, cap, s1, s2);
      if (LeastNeed(&P, kCoarseTol, &at) <= mu) {
        ans->blocking |= kLimitPushOnly;
        return;
      }
    }
  }
}

// Normals along one line (sign = -1 opposite, +1 equal): the friction
// forces share the load across the line in proportion to the normal forces.
void Collinear(const double *n, int sign, const double *g, double cap, double mu,
               ExactAnswer *ans) {
  const double gn = DotVec3(g, n);
  Vec3 gt;
  for (int i = 0; i < 3; i++) gt[i] = g[i] - gn * n[i];
  const double need = NormVec3(gt);
  // opposite: FCZ_1 - FCZ_2 = gn, the sum at most 2 cap - |gn|; equal: the sum is gn
  const double most = sign < 0 ? 2.0 * cap - std::fabs(gn) : gn;
  const double least = sign < 0 ? std::fabs(gn) : gn;
  const bool range = sign < 0 ? std::fabs(gn) <= cap : (gn >= 0.0 && gn <= 2.0 * cap);
  ans->u = !range ? kInf : (need == 0.0 ? 0.0 : (most > 0.0 ? need / (mu * most) : kInf));
  const double S = sign < 0 ? std::max(least, need / mu) : gn;
  ans->least.f[1] = sign < 0 ? 0.5 * (S + gn) : 0.5 * gn;
  ans->least.f[2] = sign < 0 ? 0.5 * (S - gn) : 0.5 * gn;
  for (int k = 1; k <= 2; k++) ScaleVec3(S > 0.0 ? ans->least.f[k] / S : 0.5, gt, ans->least.T[k]);
  ans->blocking = 0;
  if (ans->u <= 1.0) return;
  if (range) ans->blocking |= kLimitFriction;
  if (sign < 0 || (gn > 2.0 * cap && need <= mu * gn)) ans->blocking |= kLimitForceCap;
  if (sign > 0 && gn < 0.0 && -gn <= 2.0 * cap && need <= mu * -gn) ans->blocking |= kLimitPushOnly;
}

} // namespace

int PointWorkAnswer(const double *n1, const double *n2, const double *g, double cap, double mu,
                    ExactAnswer *ans) {
  if (NormSumVecN(0, 2, n1, n2) < kParallel)
    Collinear(n1, -1, g, cap, mu, ans);
  else if (DistVecN(0, 2, n1, n2) < kParallel)
    Collinear(n1, 1, g, cap, mu, ans);
  else
    General(n1, n2, g, cap, mu, ans);
  return 1;
}

double PointWorkScale(const double *n1, const double *n2, const double *g, double cap, double mu) {
  if (NormSumVecN(0, 2, n1, n2) < kParallel || DistVecN(0, 2, n1, n2) < kParallel) {
    ExactAnswer ans;
    PointWorkAnswer(n1, n2, g, cap, mu, &ans);
    return ans.u;
  }
  PointFamily P;
  BuildPointFamily(n1, n2, g, cap, &P);
  double S = 0.0;
  return LeastNeed(&P, kFineTol, &S) / mu;
}

} // namespace gs
