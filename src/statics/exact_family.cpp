#include "statics/exact_family.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "app/constants.h"

namespace gs {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kGolden = 0.6180339887498949; // (sqrt 5 - 1) / 2
constexpr double kSigmaRelTol = 1e-13;         // relative width at which a Sigma search stops
constexpr int kMaxSearchSteps = 200;           // bound on the steps of each Sigma search

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

} // namespace

int BuildExactFamily(const double *n1, const double *n2, double a, const double *g,
                     ExactFamily *fam) {
  CopyVec3(n1, fam->n[1]);
  CopyVec3(n2, fam->n[2]);
  Vec3 sum, dif, e1, e2, cr;
  AddVec3(n1, n2, sum);
  SubVec3(n1, n2, dif);
  fam->dp = NormVec3(sum);
  fam->dm = NormVec3(dif);
  ScaleVec3(1.0 / fam->dp, sum, e1);
  ScaleVec3(1.0 / fam->dm, dif, e2);
  // n1 x (n1 + n2) = n1 x n2, without the cancellation of nearly opposite normals
  CrossVec3(n1, sum, cr);
  ScaleVec3(1.0 / NormVec3(cr), cr, fam->w);
  CrossVec3(n1, fam->w, fam->t[1]);
  CrossVec3(n2, fam->w, fam->t[2]);
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
  fam->sa = rm * fam->sn / a;
  fam->h = a * fam->gw * fam->dp / fam->dm;
  fam->mb = std::fabs(fam->h);
  return 1;
}

double FrictionNeed(const ExactFamily *fam, const ExactLimits *lim, double Sigma) {
  const double F1 = std::max(0.0, lim->sign[1] * 0.5 * (Sigma + fam->Delta));
  const double F2 = std::max(0.0, lim->sign[2] * 0.5 * (Sigma - fam->Delta));
  const double p = fam->rho1 * Sigma - fam->rho0;
  const double ap = std::fabs(p);
  const double G = fam->G;
  double A = 0.0;
  double A0[3] = {0.0, 0.0, 0.0}; // where each friction disc is one point
  if (lim->friction != 0) {
    // each disc must hold the squeeze friction |alpha_k| = |p|
    A0[1] = ap == 0.0 ? 0.0 : (F1 > 0.0 ? ap / F1 : kInf);
    A0[2] = ap == 0.0 ? 0.0 : (F2 > 0.0 ? ap / F2 : kInf);
    A = std::max(A0[1], A0[2]);
    if (A == kInf) return kInf;
    // the two discs together must hold the load across the plane: R1 + R2 >= G
    const double x0 = A * A;
    const double L0 = std::sqrt(std::max(0.0, x0 * F1 * F1 - p * p)) +
                      std::sqrt(std::max(0.0, x0 * F2 * F2 - p * p));
    if (G > 0.0 && L0 < G) {
      const double S2 = F1 * F1 + F2 * F2, D = F1 * F1 - F2 * F2, K = G * G + 4.0 * p * p;
      const double disc = std::max(0.0, S2 * S2 - D * D * K / (G * G));
      const double den = S2 + std::sqrt(disc);
      A = std::max(A, den > 0.0 ? std::sqrt(K / den) : kInf);
    }
  }
  if (lim->moment != 0) {
    // the two moment limits must meet: A rm Sigma >= mb
    if (fam->mb > 0.0) {
      const double SF = F1 + F2;
      A = std::max(A, SF > 0.0 ? fam->mb / (rm * SF) : kInf);
    }
    // each disc must meet each moment limit
    if (lim->friction != 0 && G > 0.0) {
      const double F[3] = {0.0, F1, F2};
      for (int k = 1; k <= 2; k++) {
        for (int j = 1; j <= 2; j++) {
          const double E = (k == j) ? G : G * fam->cabs;
          if (E <= 0.0) continue;
          A = std::max(A, PairNeed(fam->lam, F[k], p, fam->sa * F[j], E, A0[k]));
        }
      }
    }
  }
  return A;
}

int SigmaRange(const ExactFamily *fam, const ExactLimits *lim, double *lo, double *hi) {
  const double D = fam->Delta, c2 = 2.0 * lim->cap;
  // FCZ_1 = (Sigma + D) / 2, FCZ_2 = (Sigma - D) / 2 within their sign region
  const double lo1 = lim->sign[1] > 0 ? -D : -c2 - D, hi1 = lim->sign[1] > 0 ? c2 - D : -D;
  const double lo2 = lim->sign[2] > 0 ? D : -c2 + D, hi2 = lim->sign[2] > 0 ? c2 + D : D;
  *lo = std::max(lo1, lo2);
  *hi = std::min(hi1, hi2);
  return *lo <= *hi ? 1 : 0;
}

double LeastFrictionNeed(const ExactFamily *fam, const ExactLimits *lim, double *at) {
  double lo = 0.0, hi = 0.0;
  if (SigmaRange(fam, lim, &lo, &hi) == 0) {
    *at = 0.0;
    return kInf;
  }
  // the need is quasi-convex in Sigma: golden-section search
  const double tol = kSigmaRelTol * std::max({1.0, std::fabs(lo), std::fabs(hi)});
  double a = lo, b = hi;
  double x1 = b - kGolden * (b - a), x2 = a + kGolden * (b - a);
  double f1 = FrictionNeed(fam, lim, x1), f2 = FrictionNeed(fam, lim, x2);
  for (int i = 0; i < kMaxSearchSteps && b - a > tol; i++) {
    if (f1 <= f2) {
      b = x2;
      x2 = x1;
      f2 = f1;
      x1 = b - kGolden * (b - a);
      f1 = FrictionNeed(fam, lim, x1);
    } else {
      a = x1;
      x1 = x2;
      f1 = f2;
      x2 = a + kGolden * (b - a);
      f2 = FrictionNeed(fam, lim, x2);
    }
  }
  double best = f1 <= f2 ? f1 : f2;
  *at = f1 <= f2 ? x1 : x2;
  for (const double x : {lo, hi}) {
    const double v = FrictionNeed(fam, lim, x);
    if (v < best) {
      best = v;
      *at = x;
    }
  }
  return best;
}

double LeastSigmaWithin(const ExactFamily *fam, const ExactLimits *lim, double A, double lo,
                        double at) {
  if (FrictionNeed(fam, lim, lo) <= A) return lo;
  double l = lo, r = at;
  const double tol = kSigmaRelTol * std::max({1.0, std::fabs(lo), std::fabs(at)});
  for (int i = 0; i < kMaxSearchSteps && r - l > tol; i++) {
    const double m = 0.5 * (l + r);
    if (FrictionNeed(fam, lim, m) <= A)
      r = m;
    else
      l = m;
  }
  return r;
}

int FamilyMember(const ExactFamily *fam, double Sigma, double A, double *f, Vec3 *T, double *m) {
  f[1] = 0.5 * (Sigma + fam->Delta);
  f[2] = 0.5 * (Sigma - fam->Delta);
  const double p = fam->rho1 * Sigma - fam->rho0;
  const double R1 = std::sqrt(std::max(0.0, A * A * f[1] * f[1] - p * p));
  const double R2 = std::sqrt(std::max(0.0, A * A * f[2] * f[2] - p * p));
  const double k = fam->a / fam->sn, c = 1.0 - fam->lam, gw = fam->gw;
  // the friction moment r = MCZ_1 within all four limits
  const double lo = std::max({k * (gw - fam->lam * R1), k * (c * gw - fam->lam * R2),
                              -A * rm * f[1], fam->h - A * rm * f[2]});
  const double hi = std::min({k * (gw + fam->lam * R1), k * (c * gw + fam->lam * R2), A * rm * f[1],
                              fam->h + A * rm * f[2]});
  const double r = 0.5 * (lo + hi);
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
