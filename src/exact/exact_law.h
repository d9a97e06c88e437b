// Balances of two contacts on a sphere (normals neither equal nor opposite)
// under any contact law and any required wrench. The normal forces pass
// through the centre, so the balance splits in two: the normal forces and
// the in-plane friction alpha_k along t_k = n_k x w are affine in the total
// normal force Sigma; the friction across the plane beta_k along w and the
// friction moments MCZ_k are affine in r = MCZ_1. Each limit asks
// |(alpha_k, beta_k, MCZ_k / rm) restricted to its components| <= A |FCZ_k|,
// so for a given Sigma the least A is the least over r of the largest of a
// few square roots of quadratics in r, found exactly among their vertices
// and crossings; over Sigma that least A is quasi-convex.
#pragma once

#include "geom/vecmat.h"
#include "graspstat/model.h"

namespace gs {

// The family of balances (per-contact arrays indexed 1, 2).
struct LawFamily {
  Vec3 n[3], t[3], w;
  double f0[3], f1[3];   // FCZ_k = f0 + f1 Sigma
  double al0[3], al1[3]; // alpha_k = al0 + al1 Sigma
  double be0[3], be1[3]; // beta_k = be0 + be1 r
  double m0[3], m1[3];   // MCZ_k = m0 + m1 r (m0[1] = 0, m1[1] = 1)
  double rm;             // friction-moment radius (length)
  int law;               // ContactLaw; point where rm is 0
  double farNeed;        // the least A as Sigma grows without bound (dp / dm)
  double scale;          // size of the required wrench (force units)
};

// Which limits take part and the signs of the normal forces searched
// (sign[k] = -1: contact k pulls, its limits bound by |FCZ_k|).
struct LawLimits {
  int friction; // 1: the friction force is bounded
  int moment;   // 1: the friction moment is bounded (point law: it is 0)
  double cap;   // |FCZ_k| <= cap (force units)
  int sign[3];
};

// Builds the family of the contacts with unit normals n1, n2 on a sphere of
// radius a (> 0) for the wrench and law of *m; returns 1.
int BuildLawFamily(const double *n1, const double *n2, double a, const ExactModel *m,
                   LawFamily *fam);

// Returns the least A with which a member of total normal force Sigma keeps
// the limits lim (+inf when none does) and writes its r into *r.
double LawNeedAt(const LawFamily *fam, const LawLimits *lim, double Sigma, double *r);

// Writes the range of Sigma where the normal forces keep the signs and the
// cap of lim; returns 1 when it is not empty.
int LawSigmaRange(const LawFamily *fam, const LawLimits *lim, double *lo, double *hi);

// Returns 1 when no member keeps the limits lim whatever A (point contacts
// with a moment across the plane of the normals left over), else 0.
int LawNeverHeld(const LawFamily *fam, const LawLimits *lim);

// Returns a lower bound on LawNeedAt over every Sigma >= x with the
// friction bounded: the in-plane friction of each disc over its normal
// force, a ratio of linear functions of Sigma that is monotone beyond where
// either changes sign, bounded by its value at x and its far limit; 0 where
// no such bound holds.
double LawNeedBoundBeyond(const LawFamily *fam, const LawLimits *lim, double x);

// Returns a lower bound on LawNeedAt over [lo, hi] with the friction
// bounded: the least in-plane friction of each disc over its normal force,
// a ratio of linear functions of Sigma reached at an end of the range or 0
// where the friction changes sign inside it; 0 without friction bounds.
double LawNeedBoundWithin(const LawFamily *fam, const LawLimits *lim, double lo, double hi);

// Returns the least LawNeedAt over [lo, hi] and writes where into *at;
// stops at the first need at or below stopBelow (-1: the full search).
double LawLeastNeed(const LawFamily *fam, const LawLimits *lim, double lo, double hi,
                    double stopBelow, double *at);

// Returns the least LawNeedAt over Sigma >= lo, the far end included
// (farNeed there), and writes where into *at (+inf for the far end).
double LawLeastNeedBeyond(const LawFamily *fam, const LawLimits *lim, double lo, double *at);

// Returns the least Sigma in [lo, at] whose need is at most A, given that the
// need at at is at most A (and quasi-convex).
double LawLeastSigma(const LawFamily *fam, const LawLimits *lim, double A, double lo, double at);

// Writes the member at Sigma, r: normal forces f, friction force vectors T
// and friction moments m (entries 1, 2). Returns 1.
int LawMember(const LawFamily *fam, double Sigma, double r, double *f, Vec3 *T, double *m);

} // namespace gs
