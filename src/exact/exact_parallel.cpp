#include "exact/exact_parallel.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "geom/vecmat.h"
#include <limits>

#include "exact/exact_check.h"
#include "graspstat/state.h"

namespace gs {

namespace {

constexpr int kSteps = 200;           // bound on the steps of each search
constexpr double kSqueezeTol = 1e-14; // relative width of the least-squeeze search
constexpr double kRelaxedTol = 1e-10; // the same over a sign region (blocking only)

// The load on the line as the contacts see it: contact k must carry a
// friction force of size t[k] and the two friction moments together a
// twist tw about the line.
struct LineLoad {
  double gn;   // load along n1 (force units)
  double t[3]; // |T_k| (force units)
  double tw;   // |MEX.n1| (moment units)
  double rm;   // friction-moment radius (length)
  bool point;  // no friction moment (point law, or rm = 0)
  bool ellipse;
};

// Which limits take part, the cap, and the signs of the normal forces
// (-1: the contact pulls, its limits bound by |FCZ_k|).
struct LineLimits {
  int friction, moment;
  double cap;
  int sign[3];
};

// Least friction coefficient with which contacts of normal-force sizes
// F1, F2 (>= 0) carry the load under lim; +inf when none does.
double Need(const LineLoad *L, const LineLimits *lim, double F1, double F2) {
  const double F[3] = {0.0, F1, F2};
  double A0 = 0.0;
  for (int k = 1; k <= 2 && lim->friction != 0; k++)
    if (L->t[k] > 0.0) A0 = std::max(A0, F[k] > 0.0 ? L->t[k] / F[k] : kInf);
  if (lim->moment == 0 || L->tw == 0.0) return A0;
  if (L->point || !(F1 + F2 > 0.0)) return kInf;
  // the two moment limits together: |MCZ_1| + |MCZ_2| >= tw
  const double Am = L->tw / (L->rm * (F1 + F2));
  const double A = std::max(A0, Am);
  if (!L->ellipse || lim->friction == 0 || A == kInf) return A;
  // elliptic: the moment room of each contact is rm sqrt(A^2 F_k^2 - t_k^2),
  // rising with A; at A0 + Am each room is at least rm Am F_k
  const double need = L->tw / L->rm;
  auto room = [&](double x) {
    return std::sqrt(std::max(0.0, x * x * F1 * F1 - L->t[1] * L->t[1])) +
           std::sqrt(std::max(0.0, x * x * F2 * F2 - L->t[2] * L->t[2]));
  };
  if (room(A) >= need) return A;
  double lo = A, hi = A0 + Am;
  for (int i = 0; i < kSteps && hi - lo > 4.0 * DBL_EPSILON * hi; i++) {
    const double mid = 0.5 * (lo + hi);
    (room(mid) >= need ? hi : lo) = mid;
  }
  return hi;
}

// Opposite normals: FCZ_2 = x, FCZ_1 = x + gn; the range of x that keeps
// the signs and the cap of lim. Returns 1 when it is not empty.
int SqueezeRange(const LineLoad *L, const LineLimits *lim, double *lo, double *hi) {
  const double c[3] = {0.0, L->gn, 0.0};
  *lo = -kInf;
  *hi = kInf;
  for (int k = 1; k <= 2; k++) {
    // sign[k] (x + c_k) within [0, cap]
    *lo = std::max(*lo, lim->sign[k] > 0 ? -c[k] : -lim->cap - c[k]);
    *hi = std::min(*hi, lim->sign[k] > 0 ? lim->cap - c[k] : -c[k]);
  }
  return *lo <= *hi ? 1 : 0;
}

double NeedAtSqueeze(const LineLoad *L, const LineLimits *lim, double x) {
  return Need(L, lim, std::max(0.0, lim->sign[1] * (x + L->gn)), std::max(0.0, lim->sign[2] * x));
}

// Least need over the squeeze range of lim: the need is quasi-convex in x
// (for a fixed coefficient the limits are convex in the forces), and falls
// as both pushing forces grow.
double LeastNeed(const LineLoad *L, const LineLimits *lim) {
  double a = 0.0, b = 0.0;
  if (SqueezeRange(L, lim, &a, &b) == 0) return kInf;
  if (lim->sign[1] > 0 && lim->sign[2] > 0) return NeedAtSqueeze(L, lim, b);
  auto need = [&](double x) { return NeedAtSqueeze(L, lim, x); };
  double best = std::min(need(a), need(b));
  const double tol = kRelaxedTol * std::max({1.0, std::fabs(a), std::fabs(b)});
  // halving on the slope of the need, probed tol apart
  for (int i = 0; i < kSteps && b - a > 4.0 * tol; i++) {
    const double mid = 0.5 * (a + b), here = need(mid), right = need(mid + tol);
    best = std::min({best, here, right});
    if (here <= right)
      b = mid + tol;
    else
      a = mid;
  }
  return best;
}

// The friction moments of contacts with normal forces F1, F2 (>= 0) and
// coefficient A: MCZ_1 mid-way in the range both limits leave, with
// MCZ_1 + sgn MCZ_2 = Mn.
void SplitTwist(const LineLoad *L, double A, double F1, double F2, double Mn, double sgn,
                double *m) {
  m[1] = m[2] = 0.0;
  if (L->point) return;
  double R[3];
  const double F[3] = {0.0, F1, F2};
  for (int k = 1; k <= 2; k++)
    R[k] = L->rm * (L->ellipse ? std::sqrt(std::max(0.0, A * A * F[k] * F[k] - L->t[k] * L->t[k]))
                               : A * F[k]);
  // |m1| <= R1, |Mn - m1| <= R2
  const double lo = std::max(-R[1], Mn - R[2]), hi = std::min(R[1], Mn + R[2]);
  m[1] = 0.5 * (lo + hi);
  m[2] = sgn * (Mn - m[1]);
}

double ScaleOf(double mu, double need) {
  if (mu > 0.0) return need / mu;
  // without friction only a load needing none holds; a need within the
  // decision tolerance of none is left undecided
  return need == 0.0 ? 0.0 : (need <= kExactDecisionTol ? NAN : kInf);
}

// Writes the load along n1 and the law of md into *L (not the friction
// forces); returns MEX.n1.
double LoadOnLine(const double *n, const ExactModel *md, LineLoad *L) {
  L->gn = DotVec3(md->FEX, n);
  const double Mn = DotVec3(md->MEX, n);
  L->tw = std::fabs(Mn);
  L->rm = md->rm;
  L->point = md->law == kContactPoint || md->rm == 0.0;
  L->ellipse = md->law == kContactElliptic;
  return Mn;
}

void Opposite(const double *n, double a, const ExactModel *md, ExactAnswer *ans) {
  const double mu = md->mu, cap = md->cap;
  LineLoad L;
  const double Mn = LoadOnLine(n, md, &L);
  // T1 + T2 = FEX_t; -a n x (T1 - T2) = MEX_t, so T1 - T2 = n x MEX_t / a
  Vec3 gt, mt, d, T[3];
  for (int i = 0; i < 3; i++) {
    gt[i] = md->FEX[i] - L.gn * n[i];
    mt[i] = md->MEX[i] - Mn * n[i];
  }
  CrossVec3(n, mt, d);
  for (int i = 0; i < 3; i++) {
    T[1][i] = 0.5 * (gt[i] + d[i] / a);
    T[2][i] = 0.5 * (gt[i] - d[i] / a);
  }
  for (int k = 1; k <= 2; k++) L.t[k] = NormVec3(T[k]);
  const LineLimits all = {1, 1, cap, {0, 1, 1}};
  double lo = 0.0, hi = 0.0;
  const bool range = SqueezeRange(&L, &all, &lo, &hi) != 0;
  ans->need = range ? NeedAtSqueeze(&L, &all, hi) : kInf;
  ans->u = ScaleOf(mu, ans->need);
  ans->blocking = 0;
  ans->capacity = LoadFactorByCap(
      [&](double c) {
        LineLimits lim = all;
        lim.cap = c;
        double l = 0.0, h = 0.0;
        return SqueezeRange(&L, &lim, &l, &h) != 0 && NeedAtSqueeze(&L, &lim, h) <= mu;
      },
      cap, kExactDecisionTol, cap);
  if (ans->u <= 1.0) {
    // the least squeeze whose need is at most mu (the need falls with it)
    if (NeedAtSqueeze(&L, &all, lo) <= mu) hi = lo;
    for (int i = 0; i < kSteps && hi - lo > kSqueezeTol * std::max(1.0, std::fabs(hi)); i++) {
      const double mid = 0.5 * (lo + hi);
      (NeedAtSqueeze(&L, &all, mid) <= mu ? hi : lo) = mid;
    }
    ans->least.f[1] = std::max(0.0, hi + L.gn);
    ans->least.f[2] = std::max(0.0, hi);
    for (int k = 1; k <= 2; k++) CopyVec3(T[k], ans->least.T[k]);
    // MCZ_1 n - MCZ_2 n about n: MCZ_1 - MCZ_2 = Mn
    SplitTwist(&L, mu, ans->least.f[1], ans->least.f[2], Mn, -1.0, ans->least.m);
    return;
  }
  // relaxed one at a time
  LineLimits lim = all;
  lim.friction = 0;
  if (LeastNeed(&L, &lim) <= mu) ans->blocking |= kLimitFriction;
  lim = all;
  lim.moment = 0;
  if (LeastNeed(&L, &lim) <= mu) ans->blocking |= kLimitMoment;
  lim = all;
  lim.cap = kRelaxedCapFactor * cap;
  if (LeastNeed(&L, &lim) <= mu) ans->blocking |= kLimitForceCap;
  for (const int s1 : {1, -1}) {
    for (const int s2 : {1, -1}) {
      lim = all;
      lim.sign[1] = s1;
      lim.sign[2] = s2;
      if ((s1 < 0 || s2 < 0) && LeastNeed(&L, &lim) <= mu) ans->blocking |= kLimitPushOnly;
    }
  }
}

void Equal(const double *n, double a, const ExactModel *md, ExactAnswer *ans) {
  const double mu = md->mu, cap = md->cap;
  LineLoad L;
  const double Mn = LoadOnLine(n, md, &L);
  // one contact point: the moment across n must be the one of FEX_t there
  Vec3 gt, nt, miss;
  for (int i = 0; i < 3; i++) gt[i] = md->FEX[i] - L.gn * n[i];
  CrossVec3(n, gt, nt);
  for (int i = 0; i < 3; i++) miss[i] = md->MEX[i] - Mn * n[i] + a * nt[i];
  L.t[1] = NormVec3(gt);
  L.t[2] = 0.0;
  ans->blocking = 0;
  ans->capacity = 0.0;
  if (NormVec3(miss) > kExactResidualTol) {
    ans->need = kInf;
    ans->u = kInf;
    return;
  }
  // the two limit sets at one point add up to one set of the summed force
  const LineLimits all = {1, 1, cap, {0, 1, 1}};
  const bool range = L.gn >= 0.0 && L.gn <= 2.0 * cap;
  ans->need = range ? Need(&L, &all, L.gn, 0.0) : kInf;
  ans->u = ScaleOf(mu, ans->need);
  if (L.gn > 0.0 && Need(&L, &all, L.gn, 0.0) <= mu) ans->capacity = 2.0 * cap / L.gn;
  if (std::fabs(ans->capacity - 1.0) <= kExactDecisionTol) ans->capacity = NAN;
  if (ans->u <= 1.0) {
    for (int k = 1; k <= 2; k++) {
      ans->least.f[k] = 0.5 * L.gn;
      ScaleVec3(0.5, gt, ans->least.T[k]);
      ans->least.m[k] = L.point ? 0.0 : 0.5 * Mn;
    }
    return;
  }
  LineLimits lim = all;
  lim.friction = 0;
  if (range && Need(&L, &lim, L.gn, 0.0) <= mu) ans->blocking |= kLimitFriction;
  lim = all;
  lim.moment = 0;
  if (range && Need(&L, &lim, L.gn, 0.0) <= mu) ans->blocking |= kLimitMoment;
  if (L.gn >= 0.0 && L.gn <= 2.0 * kRelaxedCapFactor * cap && Need(&L, &all, L.gn, 0.0) <= mu)
    ans->blocking |= kLimitForceCap;
  // pulling, the largest |FCZ_1| + |FCZ_2| with FCZ_1 + FCZ_2 = gn
  const double g = std::fabs(L.gn);
  const double pulled = g <= cap ? 2.0 * cap - g : (g <= 2.0 * cap ? g : -1.0);
  if (pulled >= 0.0 && Need(&L, &all, pulled, 0.0) <= mu) ans->blocking |= kLimitPushOnly;
}

} // namespace

int ParallelNormalsAnswer(const double *n1, int opposite, double a, const ExactModel *md,
                          ExactAnswer *ans) {
  if (opposite != 0)
    Opposite(n1, a, md, ans);
  else
    Equal(n1, a, md, ans);
  return 1;
}

} // namespace gs
