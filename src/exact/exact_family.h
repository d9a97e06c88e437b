// Balanced contact forces of two contacts on a sphere whose normals are
// neither equal nor opposite. The normal forces pass through the centre, so
// the six balance equations leave two free parameters: the total normal
// force Sigma = FCZ_1 + FCZ_2 (the in-plane squeeze, which also fixes the
// friction components alpha_1 = -alpha_2 along t_k = n_k x w) and the
// friction moment r = MCZ_1 (the out-of-plane twist, which fixes the
// friction components beta_k along w = n1 x n2 / |n1 x n2| and MCZ_2).
// For a given Sigma the friction and moment limits are intervals of r; they
// meet exactly when every pair of them meets, which gives the least friction
// coefficient a member with that Sigma needs in closed form.
#pragma once

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "geom/line_search.h"
#include "geom/vecmat.h"

namespace gs {

// The family of balances of one contact pair (per-contact arrays indexed 1, 2).
struct ExactFamily {
  Vec3 n[3];    // unit normals into the work
  Vec3 w;       // n1 x n2 / |n1 x n2|
  Vec3 t[3];    // in-plane tangents n_k x w
  double dp;    // |n1 + n2|
  double dm;    // |n1 - n2|
  double lam;   // 1 - n1.n2
  double cabs;  // |n1.n2|
  double sn;    // |n1 x n2|
  double gw;    // FEX.w, the load across the plane of the normals
  double G;     // |gw|
  double Delta; // FCZ_1 - FCZ_2, fixed by the in-plane balance
  double rho1;  // alpha_1 = rho1 Sigma - rho0
  double rho0;
  double a;  // work radius (length)
  double rm; // friction-moment radius (length, > 0)
  double sa; // rm sn / a (dimensionless)
  double mb; // the two moment limits meet only if A rm Sigma >= mb (A the coefficient)
  double h;  // MCZ_2 = MCZ_1 - h (moment units)
};

// Which limits take part, and the normal-force signs of the region searched:
// sign[k] = +1 pushes (0 <= FCZ_k <= cap), -1 pulls (-cap <= FCZ_k <= 0, the
// limits then bound by |FCZ_k|).
struct ExactLimits {
  int friction; // 1: |T_k| <= A |FCZ_k|
  int moment;   // 1: |MCZ_k| <= A rm |FCZ_k|
  double cap;   // |FCZ_k| <= cap (force units)
  int sign[3];
  double sigmaMin; // Sigma searched from here up (-inf: the whole range)
  double relTol;   // a search for the least need stops at this relative width
};

// Builds the family of contacts with unit normals n1, n2 (|n1 +- n2| not
// zero) on a sphere of radius a under the load g, friction-moment radius rm;
// returns 1.
// Writes the frame of the plane of two unit normals that are neither equal
// nor opposite: e1 along n1 + n2, e2 along n1 - n2, w = n1 x n2 / |n1 x n2|
// (computed as n1 x (n1 + n2), without the cancellation of nearly opposite
// normals), the in-plane tangents t[k] = n_k x w, and dp = |n1 + n2|,
// dm = |n1 - n2|.
void NormalPlaneFrame(const double *n1, const double *n2, double *e1, double *e2, double *w,
                      Vec3 *t, double *dp, double *dm);

int BuildExactFamily(const double *n1, const double *n2, double a, const double *g, double rm,
                     ExactFamily *fam);

constexpr int kNeedPieces = 8; // limit pairs whose needs make up FrictionNeed

// Writes the least friction coefficient each pair of limits needs at Sigma
// into piece[0..7] (the two discs alone, the discs together, the two moment
// limits together, each disc with each moment limit; 0 where a pair does not
// take part) and returns the largest, FrictionNeed.
double NeedPieces(const ExactFamily *fam, const ExactLimits *lim, double Sigma, double *piece);

// Returns the least friction coefficient A (the moment limits scale with it)
// for which a member with total normal force Sigma keeps the limits lim
// (the force bounds are not tested here); +inf when no A does.
double FrictionNeed(const ExactFamily *fam, const ExactLimits *lim, double Sigma);

// Returns a lower bound on FrictionNeed with the friction limits and both
// fingers pushing over every Sigma >= x: the need of the disc of the smaller
// normal force, monotone in Sigma beyond where the squeeze friction changes
// sign, bounded by its value at x and its limit dp / dm; 0 where x lies
// below that point.
double NeedBoundBeyond(const ExactFamily *fam, double x);

// Writes the range of Sigma allowed by the force bounds of lim; returns 1
// when it is not empty, else 0.
int SigmaRange(const ExactFamily *fam, const ExactLimits *lim, double *lo, double *hi);

// Returns the least FrictionNeed over the Sigma range of lim (+inf when it
// is empty) and writes where it is reached into *at; stops early at the
// first need found at or below stopBelow. With stopBelow >= 0 a least need
// above stopBelow may come back as a lower bound above stopBelow only. When
// below is not null, writes there the largest Sigma under *at the search
// found with a need above level (the low end of the range when none).
double LeastFrictionNeed(const ExactFamily *fam, const ExactLimits *lim, double stopBelow,
                         double *at, double level, double *below);

// Returns the least Sigma in [lo, at] whose FrictionNeed is at most A, given
// that FrictionNeed(at) <= A and that the need does not rise toward at.
double LeastSigmaWithin(const ExactFamily *fam, const ExactLimits *lim, double A, double lo,
                        double at);

// Writes the member with total normal force Sigma whose friction moment lies
// mid-way in the range the limits with coefficient A leave: normal forces f,
// friction force vectors T and friction moments m (entries 1, 2). Returns 1.
int FamilyMember(const ExactFamily *fam, double Sigma, double A, double *f, Vec3 *T, double *m);

} // namespace gs
