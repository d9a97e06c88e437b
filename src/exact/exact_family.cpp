#include "exact/exact_family.h"

#include <algorithm>
#include <cmath>

#include "geom/vecmat.h"
#include <limits>

namespace gs {

namespace {

constexpr double kSigmaRelTol = 1e-11; // relative width at which a Sigma search stops
constexpr int kMaxSearchSteps = 200;   // bound on the steps of each Sigma search

// Least A with lam sqrt(A^2 Fk^2 - p^2) + A b >= E (E > 0, b >= 0), for A at
// least A0 = |p| / Fk where the friction disc k is one point.
double PairNeed(double lam, double Fk, double p, double b, double E, double A0) {
  if (A0 * b >= E) return A0;
  const double K = E * E + lam * lam * p * p;
  const double alpha = lam * lam * Fk * Fk - b * b;
  const double disc = std::max(0.0, E * E * b * b + alpha * K);
  const double den = E * b + std::sqrt(disc);
  return den > 0.0 ? K / den : kInf;
}

constexpr int kProbeMemory = 64; // probes a search remembers for a later bracket
constexpr int kGoldenWarmup = 1; // golden steps before the crossing of the end needs is tried
constexpr double kEndProbeFactor =
    10.0; // step beside a range end that tells its slope, in tolerances

// One evaluated Sigma: the need of every limit pair and the largest.
struct Probe {
  double x, v;
  int top;
  double piece[kNeedPieces];
};

// The state of one search for the least need: the best probe so far.
struct NeedSearch {
  const ExactFamily *fam;
  const ExactLimits *lim;
  double stopBelow; // a need at or below this ends the search
  double best, bestX;
  int count; // probes kept in xs, vs
  double xs[kProbeMemory], vs[kProbeMemory];

  void Eval(double x, Probe *p) {
    p->x = x;
    p->v = NeedPieces(fam, lim, x, p->piece);
    if (count < kProbeMemory) {
      xs[count] = x;
      vs[count] = p->v;
      count++;
    }
    p->top = 0;
    for (int i = 1; i < kNeedPieces; i++)
      if (p->piece[i] > p->piece[p->top]) p->top = i;
    if (p->v < best) {
      best = p->v;
      bestX = x;
    }
  }
  bool Done() const { return best <= stopBelow; }
  double Result(double *at) const {
    *at = bestX;
    return best;
  }
  // The largest probe below bestX whose need exceeds level (lo when none).
  double Below(double level, double lo) const {
    double x = lo;
    for (int i = 0; i < count; i++)
      if (xs[i] < bestX && xs[i] > x && vs[i] > level) x = xs[i];
    return x;
  }

  // Regula falsi (Illinois) for the Sigma in [a, b] where the needs topping
  // a and b are equal; returns 1 when that point is a local least need.
  int Crossing(const Probe &a, const Probe &b, double tol, double delta) {
    const int i = a.top, j = b.top;
    const double da = a.piece[i] - a.piece[j], db = b.piece[i] - b.piece[j];
    if (!std::isfinite(da) || !std::isfinite(db)) return 0;
    Probe p;
    auto gap = [&](double x) {
      Eval(x, &p);
      const double d = p.piece[i] - p.piece[j];
      return std::isnan(d) ? kInf : d;
    };
    ZeroIn(gap, a.x, da, b.x, db, tol);
    const double x = bestX, v = best;
    if (!(x >= a.x && x <= b.x)) return 0;
    Probe l, r;
    Eval(x - delta, &l);
    Eval(x + delta, &r);
    return (l.v >= v && r.v >= v) ? 1 : 0;
  }
};

// The least need over [lo, hi] (see LeastFrictionNeed), where it is reached
// into *at.
double Search(NeedSearch *q, double lo, double hi, double *at) {
  // the two moment limits together need at least mb / (rm (F1 + F2)), the
  // two discs together G / (F1 + F2); F1 + F2 is linear in Sigma
  if (q->stopBelow >= 0.0) {
    const double sf =
        0.5 *
        std::max(q->lim->sign[1] * (lo + q->fam->Delta) + q->lim->sign[2] * (lo - q->fam->Delta),
                 q->lim->sign[1] * (hi + q->fam->Delta) + q->lim->sign[2] * (hi - q->fam->Delta));
    const double need = std::max(q->lim->moment != 0 ? q->fam->mb / q->fam->rm : 0.0,
                                 q->lim->friction != 0 ? q->fam->G : 0.0);
    const double bound = sf > 0.0 ? need / sf : (need > 0.0 ? kInf : 0.0);
    if (bound > q->stopBelow) return bound;
  }
  const double scale = std::max({1.0, std::fabs(lo), std::fabs(hi)});
  const double tol = q->lim->relTol * scale, delta = kEndProbeFactor * tol;
  Probe a, b, x1, x2, u, v;
  q->Eval(lo, &a);
  q->Eval(hi, &b);
  if (q->Done() || hi - lo <= tol) return q->Result(at);
  // a quasi-convex need rising away from an end has its least value there
  q->Eval(lo + delta, &u);
  q->Eval(hi - delta, &v);
  if (q->Done() || u.v > a.v || v.v > b.v) return q->Result(at);
  // golden-section search; once the ends are topped by different limit
  // pairs, the least value is usually where those two needs cross
  q->Eval(b.x - kGolden * (b.x - a.x), &x1);
  q->Eval(a.x + kGolden * (b.x - a.x), &x2);
  int tried = -1;
  // the width that ends the search is relative to where the least need
  // lies, not to the range
  auto wide = [&]() {
    return b.x - a.x > q->lim->relTol * std::max(1.0, std::min(std::fabs(a.x), std::fabs(b.x)));
  };
  for (int i = 0; i < kMaxSearchSteps && wide() && !q->Done(); i++) {
    if (x1.v <= x2.v) {
      b = x2;
      x2 = x1;
      q->Eval(b.x - kGolden * (b.x - a.x), &x1);
    } else {
      a = x1;
      x1 = x2;
      q->Eval(a.x + kGolden * (b.x - a.x), &x2);
    }
    const int pair = a.top * kNeedPieces + b.top;
    if (i >= kGoldenWarmup && a.top != b.top && pair != tried && !q->Done()) {
      tried = pair;
      if (q->Crossing(a, b, tol, delta) != 0) break;
    }
  }
  return q->Result(at);
}

} // namespace

void NormalPlaneFrame(const double *n1, const double *n2, double *e1, double *e2, double *w,
                      Vec3 *t, double *dp, double *dm) {
  Vec3 sum, dif, cr;
  AddVec3(n1, n2, sum);
  SubVec3(n1, n2, dif);
  *dp = NormVec3(sum);
  *dm = NormVec3(dif);
  ScaleVec3(1.0 / *dp, sum, e1);
  ScaleVec3(1.0 / *dm, dif, e2);
  CrossVec3(n1, sum, cr); // = n1 x n2, without cancellation
  ScaleVec3(1.0 / NormVec3(cr), cr, w);
  CrossVec3(n1, w, t[1]);
  CrossVec3(n2, w, t[2]);
}

int BuildExactFamily(const double *n1, const double *n2, double a, const double *g, double rm,
                     ExactFamily *fam) {
  CopyVec3(n1, fam->n[1]);
  CopyVec3(n2, fam->n[2]);
  Vec3 e1, e2;
  NormalPlaneFrame(n1, n2, e1, e2, fam->w, fam->t, &fam->dp, &fam->dm);
  fam->lam = 0.5 * fam->dm * fam->dm;
  fam->cabs = std::fabs(0.25 * (fam->dp * fam->dp - fam->dm * fam->dm));
  fam->sn = 0.5 * fam->dp * fam->dm;
  fam->gw = DotVec3(g, fam->w);
  fam->G = std::fabs(fam->gw);
  // in-plane balance in the basis (n1 + n2, n1 - n2): t1 - t2 = -dm e1
  fam->Delta = 2.0 * DotVec3(g, e2) / fam->dm;
  fam->rho1 = fam->dp / (2.0 * fam->dm);
  fam->rho0 = DotVec3(g, e1) / fam->dm;
  fam->a = a;
  fam->rm = rm;
  fam->sa = rm * fam->sn / a;
  fam->h = a * fam->gw * fam->dp / fam->dm;
  fam->mb = std::fabs(fam->h);
  return 1;
}

double NeedPieces(const ExactFamily *fam, const ExactLimits *lim, double Sigma, double *piece) {
  for (int i = 0; i < kNeedPieces; i++) piece[i] = 0.0;
  const double F1 = std::max(0.0, lim->sign[1] * 0.5 * (Sigma + fam->Delta));
  const double F2 = std::max(0.0, lim->sign[2] * 0.5 * (Sigma - fam->Delta));
  const double p = fam->rho1 * Sigma - fam->rho0;
  const double ap = std::fabs(p);
  const double G = fam->G;
  const double A0[3] = {0.0, ap == 0.0 ? 0.0 : (F1 > 0.0 ? ap / F1 : kInf),
                        ap == 0.0 ? 0.0 : (F2 > 0.0 ? ap / F2 : kInf)};
  if (lim->friction != 0) {
    // each disc must hold the squeeze friction |alpha_k| = |p|
    piece[0] = A0[1];
    piece[1] = A0[2];
    // the two discs together must hold the load across the plane: R1 + R2 >= G
    // at A = max(A0) the disc with the larger A0 is one point
    const double A = std::max(A0[1], A0[2]);
    const double Fo = A0[1] >= A0[2] ? F2 : F1;
    if (G > 0.0 && A < kInf && std::sqrt(std::max(0.0, A * A * Fo * Fo - p * p)) < G) {
      const double S2 = F1 * F1 + F2 * F2, D = F1 * F1 - F2 * F2, K = G * G + 4.0 * p * p;
      const double disc = std::max(0.0, S2 * S2 - D * D * K / (G * G));
      const double den = S2 + std::sqrt(disc);
      piece[2] = den > 0.0 ? std::sqrt(K / den) : kInf;
    }
  }
  if (lim->moment != 0) {
    // the two moment limits must meet: A rm Sigma >= mb
    if (fam->mb > 0.0) {
      const double SF = F1 + F2;
      piece[3] = SF > 0.0 ? fam->mb / (fam->rm * SF) : kInf;
    }
    // each disc must meet each moment limit
    if (lim->friction != 0 && G > 0.0) {
      const double F[3] = {0.0, F1, F2};
      for (int k = 1; k <= 2; k++) {
        for (int j = 1; j <= 2; j++) {
          const double E = (k == j) ? G : G * fam->cabs;
          if (E > 0.0)
            piece[2 + 2 * k + j - 1] = PairNeed(fam->lam, F[k], p, fam->sa * F[j], E, A0[k]);
        }
      }
    }
  }
  double A = 0.0;
  for (int i = 0; i < kNeedPieces; i++) A = std::max(A, piece[i]);
  return A;
}

double FrictionNeed(const ExactFamily *fam, const ExactLimits *lim, double Sigma) {
  double piece[kNeedPieces];
  return NeedPieces(fam, lim, Sigma, piece);
}

double NeedBoundBeyond(const ExactFamily *fam, double x) {
  // p = rho1 Sigma - rho0 keeps its sign beyond rho0 / rho1, and there
  // |p| / FCZ of the smaller normal force (Sigma - |Delta|) / 2 is a ratio of
  // two linear functions of Sigma with no pole: monotone
  const double fs = 0.5 * (x - std::fabs(fam->Delta));
  if (!(fs > 0.0) || fam->rho1 * x < fam->rho0) return 0.0;
  return std::min((fam->rho1 * x - fam->rho0) / fs, 2.0 * fam->rho1);
}

int SigmaRange(const ExactFamily *fam, const ExactLimits *lim, double *lo, double *hi) {
  const double D = fam->Delta, c2 = 2.0 * lim->cap;
  // FCZ_1 = (Sigma + D) / 2, FCZ_2 = (Sigma - D) / 2 within their sign region
  const double lo1 = lim->sign[1] > 0 ? -D : -c2 - D, hi1 = lim->sign[1] > 0 ? c2 - D : -D;
  const double lo2 = lim->sign[2] > 0 ? D : -c2 + D, hi2 = lim->sign[2] > 0 ? c2 + D : D;
  *lo = std::max({lo1, lo2, lim->sigmaMin});
  *hi = std::min(hi1, hi2);
  return *lo <= *hi ? 1 : 0;
}

double LeastFrictionNeed(const ExactFamily *fam, const ExactLimits *lim, double stopBelow,
                         double *at, double level, double *below) {
  double lo = 0.0, hi = 0.0;
  *at = 0.0;
  if (below != nullptr) *below = 0.0;
  if (SigmaRange(fam, lim, &lo, &hi) == 0) return kInf;
  NeedSearch q; // the probe memory is left uninitialised: count says what holds
  q.fam = fam;
  q.lim = lim;
  q.stopBelow = stopBelow;
  q.best = kInf;
  q.bestX = 0.0;
  q.count = 0;
  const double least = Search(&q, lo, hi, at);
  if (below != nullptr) *below = q.Below(level, lo);
  return least;
}

double LeastSigmaWithin(const ExactFamily *fam, const ExactLimits *lim, double A, double lo,
                        double at) {
  const double dl = FrictionNeed(fam, lim, lo) - A;
  if (dl <= 0.0) return lo;
  // to a width relative to the least Sigma itself, not to the range (which
  // a high cap makes wide); the floor is the least squeeze that can carry
  // a unit load with friction A
  auto excess = [&](double x) { return FrictionNeed(fam, lim, x) - A; };
  return ZeroIn(excess, lo, dl, at, excess(at), kSigmaRelTol / (1.0 + A), kSigmaRelTol);
}

int FamilyMember(const ExactFamily *fam, double Sigma, double A, double *f, Vec3 *T, double *m) {
  f[1] = 0.5 * (Sigma + fam->Delta);
  f[2] = 0.5 * (Sigma - fam->Delta);
  const double p = fam->rho1 * Sigma - fam->rho0;
  const double R1 = std::sqrt(std::max(0.0, A * A * f[1] * f[1] - p * p));
  const double R2 = std::sqrt(std::max(0.0, A * A * f[2] * f[2] - p * p));
  const double k = fam->a / fam->sn, c = 1.0 - fam->lam, gw = fam->gw;
  // the friction moment r = MCZ_1 within all four limits. Where the limits
  // leave a single r (the least force at the least friction), the disc ends
  // come from square roots near zero and carry rounding magnified many times
  // in r, while |T_k| hardly moves with r there; the moment limits are
  // linear in r. So r is kept within the moment limits exactly and within
  // the discs as far as rounding lets it.
  const double dlo = std::max(k * (gw - fam->lam * R1), k * (c * gw - fam->lam * R2));
  const double dhi = std::min(k * (gw + fam->lam * R1), k * (c * gw + fam->lam * R2));
  const double mlo = std::max(-A * fam->rm * f[1], fam->h - A * fam->rm * f[2]);
  const double mhi = std::min(A * fam->rm * f[1], fam->h + A * fam->rm * f[2]);
  const double lo = std::max(dlo, mlo), hi = std::min(dhi, mhi);
  double r = 0.5 * (mlo + mhi); // the moment limits meet at one r, up to rounding
  if (lo <= hi)
    r = 0.5 * (lo + hi);
  else if (mlo <= mhi)
    r = std::min(std::max(0.5 * (dlo + dhi), mlo), mhi);
  const double beta1 = (gw - r / k) / fam->lam;
  const double beta2 = (r / k - c * gw) / fam->lam;
  for (int i = 0; i < 3; i++) {
    T[1][i] = p * fam->t[1][i] + beta1 * fam->w[i];
    T[2][i] = -p * fam->t[2][i] + beta2 * fam->w[i];
  }
  m[1] = r;
  m[2] = r - fam->h;
  return 1;
}

} // namespace gs
