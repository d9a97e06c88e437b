#include "exact/pair_check.h"

#include <algorithm>
#include <cmath>

#include "exact/exact_check.h"
#include "exact/exact_family.h"
#include "geom/line_search.h"
#include "geom/vecmat.h"

namespace gs {

namespace {

// The family of balances of two contacts at distinct points. With
// d = p2 - p1 and the moments taken about p1, the balance reads
// f1 + f2 = FEX and d x f2 + M1 n1 + M2 n2 = Q (Q = MEX - p1 x FEX, the
// points relative to c). Along d it fixes M1 (n1.d) + M2 (n2.d) = Q.d,
// which leaves one friction moment r free (two where both normals lie
// across d, none for point contacts); across d it fixes the part of f2
// across d; the squeeze lambda of f2 along d is free. Every force and
// moment is affine in x = (lambda, r) (x = (r1, r2, lambda) where both
// moments are free), so each limit is a cone condition affine in x and the
// least friction coefficient a member needs is quasi-convex in x: nested
// searches along one parameter at a time find it, with the force bounds
// (linear in x) cut exactly at the innermost one, solved in closed form
// where the normal forces do not move with it.
constexpr int kParams = 3;                  // the squeeze and up to two friction moments
constexpr double kPairRelTol = 1e-14;       // width, relative to the parameter (at least 1), at
                                            // which a search along one parameter stops
constexpr double kPairBoxFactor = 1e8;      // parameters searched within this many caps (and moment
                                            // radii) of the origin: needs up to this are told
constexpr double kPairBracketGrowth = 16.0; // growth of a bracket moved out over the box
constexpr double kPairHuge = 1e100;         // need standing for "no member" (dimensionless)
constexpr double kPairAcrossTol = 1e-12;    // |n_k . d| (d unit) below this: normal across the line
constexpr double kPairCoincident = 1e-9;    // contacts closer than this (length scales): one point
constexpr double kPairLevelTol = 1e-15;     // relative gap of two needs that is rounding
constexpr double kPairTieTol = 1e-15;       // relative gap of two objective values that is rounding
constexpr double kPairFlatWidth = 1e-6;     // relative bracket width below which a level
                                            // bracket ends a search for the least value
constexpr double kPairFlatRise = 1e-14; // relative rise of the bracket ends that counts as level
constexpr double kPairNoise = 1e-12;    // relative gap of two least needs or forces found by
                                        // inner searches that tells nothing of the way down
constexpr int kCapacityPowers = 40;     // caps up to 2^40 times the model's searched for one
                                        // that holds; a smaller capacity is 0

// An affine function c[0] + c[1] x0 + c[2] x1 + c[3] x2 of the parameters.
struct Lin {
  double c[kParams + 1];
  double At(const double *x) const { return c[0] + c[1] * x[0] + c[2] * x[1] + c[3] * x[2]; }
};

// Which limits take part and the signs of the normal forces (-1: the
// contact pulls, its limits bound by |F_k|).
struct PairLimits {
  int friction; // 1: the friction force is bounded
  int moment;   // 1: the friction moment is bounded (point law: it is 0)
  double cap;   // |F_k| <= cap (force units)
  int sign[3];
};

struct PairFamily {
  Lin F[3];     // normal forces
  Lin T[3][3];  // friction force vectors
  Lin M[3];     // friction moments
  int params;   // 1 + the free friction moments
  int never;    // 1: a twist about the contact line is left over, held by no member
  int onePoint; // 1: both contacts at one point, the force of the second free
  int law;      // ContactLaw; point where rm is 0
  double rm;    // friction-moment radius (length)
  double box[kParams];
};

void Combine(Lin *out, double a, const Lin &x) {
  for (int j = 0; j <= kParams; j++) out->c[j] += a * x.c[j];
}

// Contacts at one point with normals not along one line: the friction
// moments make up the moment Q about that point (M1 n1 + M2 n2 = Q, none
// where their bound is 0), and the force f2 of the second contact is free
// (x its components), f1 = FEX - f2.
void OnePointFamily(const ContactPair *g, const ExactModel *m, bool fixed, const double *Q,
                    PairFamily *fam) {
  Vec3 cr;
  CrossVec3(g->n[1], g->n[2], cr);
  const double c = DotVec3(g->n[1], g->n[2]), q1 = DotVec3(Q, g->n[1]), q2 = DotVec3(Q, g->n[2]);
  const double sn2 = DotVec3(cr, cr); // 1 - c^2 without its cancellation
  const double M1 = fixed ? 0.0 : (q1 - c * q2) / sn2;
  const double M2 = fixed ? 0.0 : (q2 - c * q1) / sn2;
  Vec3 res;
  for (int i = 0; i < 3; i++) res[i] = Q[i] - M1 * g->n[1][i] - M2 * g->n[2][i];
  if (NormVec3(res) > 0.5 * kExactResidualTol) fam->never = 1;
  fam->M[1].c[0] = M1;
  fam->M[2].c[0] = M2;
  fam->params = kParams;
  fam->onePoint = 1;
  // f2 = x0 e1 + x1 e2 + x2 w over the frame of the normals' plane: the
  // normal forces do not move with x2
  Vec3 basis[3], t[3];
  double dp = 0.0, dm = 0.0;
  NormalPlaneFrame(g->n[1], g->n[2], basis[0], basis[1], basis[2], t, &dp, &dm);
  for (int i = 0; i < 3; i++) {
    Lin f1 = {}, f2 = {};
    for (int j = 0; j < kParams; j++) f2.c[1 + j] = basis[j][i];
    f1.c[0] = m->FEX[i];
    Combine(&f1, -1.0, f2);
    for (int k = 1; k <= 2; k++) {
      Combine(&fam->F[k], g->n[k][i], k == 1 ? f1 : f2);
      Combine(&fam->T[k][i], 1.0, k == 1 ? f1 : f2);
    }
  }
  for (int k = 1; k <= 2; k++)
    for (int j = 0; j < 3; j++) Combine(&fam->T[k][j], -g->n[k][j], fam->F[k]);
}

// Builds the family of the contacts *g (points relative to the reference
// point, distinct) for the wrench and law of *m under the limits lim.
void BuildPairFamily(const ContactPair *g, const ExactModel *m, const PairLimits *lim,
                     PairFamily *fam) {
  *fam = PairFamily{};
  Vec3 d, e, pf, Q;
  SubVec3(g->p[2], g->p[1], d);
  const double len = NormVec3(d);
  ScaleVec3(len > 0.0 ? 1.0 / len : 0.0, d, e);
  fam->rm = m->rm;
  fam->law = m->rm > 0.0 ? m->law : kContactPoint;
  const bool fixed = fam->law == kContactPoint && lim->moment != 0;
  CrossVec3(g->p[1], m->FEX, pf);
  SubVec3(m->MEX, pf, Q);
  if (len < kPairCoincident) {
    OnePointFamily(g, m, fixed, Q, fam);
  } else {
    const double q = DotVec3(Q, e), a1 = DotVec3(g->n[1], e), a2 = DotVec3(g->n[2], e);
    int free = 0;
    if (!fixed && std::max(std::fabs(a1), std::fabs(a2)) > kPairAcrossTol) {
      // the moment of the normal with the larger part along d follows
      free = 1;
      const int k = std::fabs(a2) >= std::fabs(a1) ? 2 : 1, j = 3 - k;
      const double ak = k == 2 ? a2 : a1, aj = k == 2 ? a1 : a2;
      fam->M[j].c[2] = 1.0;
      fam->M[k].c[0] = q / ak;
      fam->M[k].c[2] = -aj / ak;
    } else {
      // no friction moment acts about d: the load must have no twist there
      // beyond the balance residual a reported solution may keep
      if (std::fabs(q) > 0.5 * kExactResidualTol) fam->never = 1;
      if (!fixed) {
        // both moments free; the squeeze, which moves neither normal force
        // now, is searched innermost
        free = 2;
        fam->M[1].c[1] = 1.0;
        fam->M[2].c[2] = 1.0;
      }
    }
    fam->params = 1 + free;
    // v = Q - M1 n1 - M2 n2 without its part along d; f2 = lambda e + v x e / |d|
    Lin v[3] = {}, f2[3] = {};
    for (int i = 0; i < 3; i++) {
      v[i].c[0] = Q[i];
      for (int k = 1; k <= 2; k++) Combine(&v[i], -g->n[k][i], fam->M[k]);
    }
    for (int j = 0; j <= kParams; j++) {
      Vec3 vj = {v[0].c[j], v[1].c[j], v[2].c[j]}, w;
      const double along = DotVec3(vj, e);
      for (int i = 0; i < 3; i++) vj[i] -= along * e[i];
      CrossVec3(vj, e, w);
      for (int i = 0; i < 3; i++) f2[i].c[j] = w[i] / len;
    }
    for (int i = 0; i < 3; i++) f2[i].c[free == 2 ? 3 : 1] += e[i];
    Lin f[3][3] = {};
    for (int i = 0; i < 3; i++) {
      f[2][i] = f2[i];
      f[1][i].c[0] = m->FEX[i];
      Combine(&f[1][i], -1.0, f2[i]);
    }
    for (int k = 1; k <= 2; k++) {
      for (int i = 0; i < 3; i++) Combine(&fam->F[k], g->n[k][i], f[k][i]);
      for (int i = 0; i < 3; i++) {
        fam->T[k][i] = f[k][i];
        Combine(&fam->T[k][i], -g->n[k][i], fam->F[k]);
      }
    }
  }
  // forces within kPairBoxFactor caps, moments within as many caps times rm
  const double force = kPairBoxFactor * (1.0 + lim->cap);
  const double moment = force * (len < kPairCoincident ? 1.0 : 1.0 + m->rm);
  for (int j = 0; j < kParams; j++) fam->box[j] = moment;
  fam->box[fam->params == kParams && len >= kPairCoincident ? kParams - 1 : 0] = force;
}

// The least friction coefficient with which the member at x keeps the
// limits lim (the force bounds not tested); +inf where a contact without
// normal force would have to carry something.
double NeedAt(const PairFamily *fam, const PairLimits *lim, const double *x) {
  const bool point = fam->law == kContactPoint;
  const bool disc = lim->friction != 0, twist = lim->moment != 0 && !point;
  const bool joint = fam->law == kContactElliptic && disc && twist;
  double A2 = 0.0; // the largest squared need
  for (int k = 1; k <= 2; k++) {
    const double F = lim->sign[k] * fam->F[k].At(x);
    double t2 = 0.0;
    for (int i = 0; i < 3 && disc; i++) {
      const double t = fam->T[k][i].At(x);
      t2 += t * t;
    }
    const double mr = twist ? fam->M[k].At(x) / fam->rm : 0.0, m2 = mr * mr;
    if (!(F > 0.0)) {
      if (t2 != 0.0 || m2 != 0.0) return kInf;
      continue;
    }
    const double F2 = F * F;
    A2 = std::max(A2, joint ? (t2 + m2) / F2 : std::max(t2, m2) / F2);
  }
  return std::sqrt(A2);
}

// The range of parameter l (the others as in x) where both normal forces
// keep the signs and cap of lim, within the box; returns by how much that
// range is empty (0 where it is not).
double ParamRange(const PairFamily *fam, const PairLimits *lim, int l, const double *x, double *lo,
                  double *hi) {
  *lo = -fam->box[l];
  *hi = fam->box[l];
  double y[kParams] = {x[0], x[1], x[2]}, gap = 0.0;
  y[l] = 0.0;
  for (int k = 1; k <= 2; k++) {
    const double s = lim->sign[k], base = s * fam->F[k].At(y), coef = s * fam->F[k].c[1 + l];
    // 0 <= base + coef t <= cap
    if (coef == 0.0) {
      gap = std::max({gap, -base, base - lim->cap});
      continue;
    }
    const double t1 = -base / coef, t2 = (lim->cap - base) / coef;
    *lo = std::max(*lo, std::min(t1, t2));
    *hi = std::min(*hi, std::max(t1, t2));
  }
  return std::max(gap, *lo - *hi);
}

// Golden-section search of a quasi-convex f over [a, b], ends included,
// to a width relative to the parameter; stops at the first value at or
// below stop. Returns the least value probed and writes where into *at.
template <class F> double GoldenLeast(F f, double a, double b, double stop, double *at) {
  double best = f(a), x = a;
  auto keep = [&](double t, double v) {
    if (v < best) {
      best = v;
      x = t;
    }
  };
  if (b > a && best > stop) {
    keep(b, f(b));
    double x1 = b - kGolden * (b - a), x2 = a + kGolden * (b - a), v1 = f(x1), v2 = f(x2);
    keep(x1, v1);
    keep(x2, v2);
    for (int i = 0; i < kRootSearchSteps && best > stop &&
                    b - a > kPairRelTol * std::max({1.0, std::fabs(a), std::fabs(b)});
         i++) {
      GoldenStep(f, &a, &b, &x1, &x2, &v1, &v2);
      keep(x1, v1);
      keep(x2, v2);
    }
  }
  *at = x;
  return best;
}

// Brent's minimiser of a quasi-convex f over [a, b], ends included:
// parabolic steps through the three best places where f is smooth, golden
// steps where a parabola does not shrink the bracket fast enough; stops at
// a width relative to the parameter, at a level bracket of width below
// kPairFlatWidth (a smooth least value known to the rounding) or at the
// first value at or below stop. Returns the least value probed and writes
// where into *at.
template <class F> double BrentLeast(F f, double a, double b, double stop, double *at) {
  double best = f(a), bestAt = a;
  auto keep = [&](double t, double v) {
    if (v < best) {
      best = v;
      bestAt = t;
    }
  };
  *at = a;
  if (!(b > a) || best <= stop) return best;
  double fa = best, fb = f(b);
  keep(b, fb);
  const double flat = kPairFlatWidth * std::max({1.0, std::fabs(a), std::fabs(b)});
  const double x0 = a + (1.0 - kGolden) * (b - a), f0 = f(x0);
  BrentPoints t = {x0, x0, x0, f0, f0, f0};
  double &x = t.x, &fx = t.fx;
  double d = 0.0, e = 0.0;
  keep(x, fx);
  bool golden = false; // the next step a golden one
  for (int i = 0; i < kRootSearchSteps && best > stop; i++) {
    const double xm = 0.5 * (a + b), tol1 = kPairRelTol * std::max(1.0, std::fabs(x)),
                 tol2 = 2.0 * tol1;
    if (std::fabs(x - xm) <= tol2 - 0.5 * (b - a)) break;
    if (b - a <= flat && std::max(fa, fb) <= fx * (1.0 + kPairFlatRise)) break;
    double p = 0.0, q = 0.0, r = 0.0;
    if (!golden && std::fabs(e) > tol1) {
      BrentParabola(&t, &p, &q);
      r = e;
      e = d;
    }
    const bool parabolic =
        !golden && std::fabs(p) < std::fabs(0.5 * q * r) && p > q * (a - x) && p < q * (b - x);
    golden = false;
    if (parabolic) {
      d = p / q; // the parabola's vertex, kept off the bracket ends
      if (x + d - a < tol2 || b - x - d < tol2) d = x < xm ? tol1 : -tol1;
    } else {
      e = x < xm ? b - x : a - x;
      d = (1.0 - kGolden) * e;
    }
    const double u = x + (std::fabs(d) >= tol1 ? d : (d > 0.0 ? tol1 : -tol1)), fu = f(u);
    keep(u, fu);
    if (parabolic && std::fabs(fu - fx) <= kPairNoise * std::fabs(fx)) {
      // level with x to the accuracy of f: no telling which way is down;
      // a golden step into the larger part of the bracket tells
      golden = true;
      continue;
    }
    if (fu < fx) {
      (u < x ? b : a) = x;
      (u < x ? fb : fa) = fx;
      BrentTakeLeast(&t, u, fu);
    } else {
      (u < x ? a : b) = u;
      (u < x ? fa : fb) = fu;
      BrentKeepProbe(&t, u, fu);
    }
  }
  *at = bestAt;
  return best;
}

// The least of a quasi-convex f along an outer parameter of the family
// *fam: by golden sections where both contacts lie at one point (the
// members keeping the force bounds there can make a sliver that fools the
// parabolas), else by Brent's minimiser.
template <class F>
double OuterLeast(const PairFamily *fam, F f, double a, double b, double stop, double *at) {
  return fam->onePoint != 0 ? GoldenLeast(f, a, b, stop, at) : BrentLeast(f, a, b, stop, at);
}

// Narrows the box [*lo, *hi] (about 0) of a quasi-convex f to a bracket of
// its least value: each end moved out from start by kPairBracketGrowth while
// its value does not exceed the one at 0.
template <class F> void Bracket(F f, double start, double *lo, double *hi) {
  const double f0 = f(0.0);
  double a = -start, b = start;
  while (a > *lo && f(a) <= f0) a = std::max(*lo, kPairBracketGrowth * a);
  while (b < *hi && f(b) <= f0) b = std::min(*hi, kPairBracketGrowth * b);
  *lo = a;
  *hi = b;
}

// The squared need of one limit of a contact along parameter l at x: the
// squared friction (and twist over rm) q2 t^2 + q1 t + q0 over the squared
// normal force (f0 + f1 t)^2.
constexpr int kMaxLinePieces = 4; // a disc and a twist per contact
constexpr int kMaxLineTerms = 4;  // three friction components and a twist

struct LinePiece {
  double q2, q1, q0, f0, f1;
  double b[kMaxLineTerms], c[kMaxLineTerms]; // the terms b + c t whose squares sum to q
  int terms;
  // the place of its least value: the quadratic over the square is
  // stationary where a linear function vanishes (NaN where none)
  double Vertex() const {
    const double den = 2.0 * q2 * f0 - q1 * f1;
    return den != 0.0 ? (2.0 * f1 * q0 - q1 * f0) / den : NAN;
  }
  // the rate of change of the squared need at t (F(t) > 0)
  double Slope(double t) const {
    const double F = f0 + f1 * t, q = (q2 * t + q1) * t + q0;
    return ((2.0 * q2 * t + q1) * F - 2.0 * q * f1) / (F * F * F);
  }
  // narrows [*L, *R] about t0 to where this squared need is at most A2
  // (a sublevel set of a quasi-convex need: an interval); the ends are the
  // nearest roots of q(t) - A2 F(t)^2 on either side of t0
  void Sublevel(double A2, double t0, double *L, double *R) const {
    const double a = q2 - A2 * f1 * f1, b = q1 - 2.0 * A2 * f0 * f1, c = q0 - A2 * f0 * f0;
    double r[2];
    int n = 0;
    if (a == 0.0) {
      if (b != 0.0) r[n++] = -c / b;
    } else {
      const double disc = b * b - 4.0 * a * c;
      if (disc >= 0.0) {
        const double q = -0.5 * (b + std::copysign(std::sqrt(disc), b)); // no cancellation
        r[n++] = q / a;
        if (q != 0.0) r[n++] = c / q;
      }
    }
    for (int i = 0; i < n; i++) {
      if (r[i] > t0) *R = std::min(*R, r[i]);
      if (r[i] < t0) *L = std::max(*L, r[i]);
    }
  }
  // the squared need at t; +inf where the normal force is gone and the
  // contact must carry something
  double At(double t) const {
    const double F = f0 + f1 * t;
    double q = 0.0; // the sum of the squares, free of the cancellation of q2, q1, q0
    for (int i = 0; i < terms; i++) q += (b[i] + c[i] * t) * (b[i] + c[i] * t);
    return F > 0.0 ? q / (F * F) : (q > 0.0 ? kInf : 0.0);
  }
};

// The least of the largest of the squared needs pc[0..count) over [lo, hi],
// where each is quasi-convex (the normal forces keep their signs there):
// intervals on a line meet where every two of them meet, so the least is
// reached where the least of some two is, at the least of one of them or
// where they cross between their least places, the one rising and the
// other falling there. Calls consider(t) with each of those places.
template <class C>
void CrossingPlaces(const LinePiece *pc, int count, double lo, double hi, C consider) {
  double v[kMaxLinePieces], low[kMaxLinePieces], floor = 0.0;
  for (int i = 0; i < count; i++) {
    // the least place: the vertex inside, else the lower end
    const double t = pc[i].Vertex();
    v[i] = pc[i].At(hi) < pc[i].At(lo) ? hi : lo;
    if (t > lo && t < hi && pc[i].At(t) <= pc[i].At(v[i])) v[i] = t;
    low[i] = pc[i].At(v[i]);
    floor = std::max(floor, low[i]); // the least largest is no lower
    consider(v[i]);
  }
  for (int i = 0; i < count; i++) {
    for (int j = 0; j < count; j++) {
      if (!(v[i] < v[j])) continue;
      // between them piece i rises and piece j falls: their gap rises;
      // two whose larger is at most the floor at either end do not set it
      const LinePiece &P = pc[i], &Q = pc[j];
      const double ga = low[i] - Q.At(v[i]), gb = P.At(v[j]) - low[j];
      if (!(ga < 0.0 && gb > 0.0)) continue;
      if (std::min(Q.At(v[i]), P.At(v[j])) <= floor) continue;
      // Newton steps on the gap, kept inside the bracket by bisection
      double l = v[i], h = v[j], t = l - ga * (h - l) / (gb - ga);
      if (!(t > l && t < h)) t = 0.5 * (l + h);
      for (int it = 0; it < kRootSearchSteps; it++) {
        const double g = P.At(t) - Q.At(t), tol = kPairRelTol * std::max(1.0, std::fabs(t));
        if (g == 0.0 || h - l <= tol) break;
        (g < 0.0 ? l : h) = t;
        const double n = t - g / (P.Slope(t) - Q.Slope(t));
        const bool inside = n > l && n < h;
        const double step = (inside ? n : 0.5 * (l + h)) - t;
        t += step;
        if (inside && std::fabs(step) <= tol) break; // Newton has settled
      }
      floor = std::max(floor, P.At(t));
      consider(t);
    }
  }
}

// The pieces of the limits lim along parameter l at x into pc; returns how
// many (the elliptic law has one per contact, the others a disc and a twist).
int LinePieces(const PairFamily *fam, const PairLimits *lim, int l, const double *x,
               LinePiece *pc) {
  const bool point = fam->law == kContactPoint;
  const bool disc = lim->friction != 0, twist = lim->moment != 0 && !point;
  const bool joint = fam->law == kContactElliptic && disc && twist;
  double y[kParams] = {x[0], x[1], x[2]};
  y[l] = 0.0;
  int count = 0;
  for (int k = 1; k <= 2; k++) {
    for (int piece = 0; piece < 2; piece++) {
      const bool withDisc = joint ? piece == 0 : (piece == 0 && disc);
      const bool withTwist = joint ? piece == 0 : (piece == 1 && twist);
      if (!withDisc && !withTwist) continue;
      LinePiece p = {};
      p.f0 = lim->sign[k] * fam->F[k].At(y);
      p.f1 = lim->sign[k] * fam->F[k].c[1 + l];
      auto add = [&](const Lin &v, double scale) {
        const double b = scale * v.At(y), c = scale * v.c[1 + l];
        p.b[p.terms] = b;
        p.c[p.terms++] = c;
        p.q2 += c * c;
        p.q1 += 2.0 * b * c;
        p.q0 += b * b;
      };
      for (int i = 0; i < 3 && withDisc; i++) add(fam->T[k][i], 1.0);
      if (withTwist) add(fam->M[k], 1.0 / fam->rm);
      pc[count++] = p;
    }
  }
  return count;
}

// The members of the first parameter needing at most mu, shared by the
// searches for the least objectives of one family.
struct NeedRange {
  int known;    // 0 nothing, 1 least and star, 2 also L and R
  double least; // the least need over every parameter
  double star;  // the first parameter of a member needing least
  double L, R;  // the first parameters whose members can need at most mu
};

struct PairSearch {
  const PairFamily *fam;
  const PairLimits *lim;
  double stop;     // a need at or below this ends the search (-1: the full search)
  NeedRange *memo; // the range of the first parameter, once found (nullptr: none kept)
};

// The least need over parameters l and beyond, the earlier ones as in x;
// writes where into x. Above kPairHuge by how much the force bounds are
// missed where no member keeps them.
double LeastNeedFrom(const PairSearch *s, int l, double *x) {
  const PairFamily *fam = s->fam;
  const bool last = l == fam->params - 1;
  double lo = -fam->box[l], hi = fam->box[l], at = 0.0;
  if (last) {
    const double gap = ParamRange(fam, s->lim, l, x, &lo, &hi);
    if (gap > 0.0) {
      x[l] = lo;
      return kPairHuge * (1.0 + gap);
    }
  }
  auto f = [&](double t) {
    x[l] = t;
    return last ? std::min(NeedAt(fam, s->lim, x), kPairHuge) : LeastNeedFrom(s, l + 1, x);
  };
  LinePiece pc[kMaxLinePieces];
  const int count = last ? LinePieces(fam, s->lim, l, x, pc) : 0;
  bool steady = last;
  for (int i = 0; i < count; i++)
    steady = steady && std::fabs(pc[i].f1) <= kPairLevelTol * std::max(1.0, std::fabs(pc[i].f0));
  if (!last) {
    if (lo == -fam->box[l] && hi == fam->box[l]) Bracket(f, fam->box[l] / kPairBoxFactor, &lo, &hi);
    const double best = OuterLeast(fam, f, lo, hi, s->stop, &at);
    f(at); // the deeper parameters of the best place
    return best;
  }
  // each need is the square root of a quadratic over a normal force affine
  // in the parameter, quasi-convex where that force is positive: the
  // largest is least at an end, at the vertex of one or where two cross;
  // the places are told apart by the squared needs, the least one's need
  // then taken afresh from the member
  auto top = [&](double t) {
    double v = 0.0;
    for (int i = 0; i < count; i++) v = std::max(v, pc[i].At(t));
    return v;
  };
  double least = kInf;
  auto consider = [&](double t, double tie) {
    if (!(t >= lo && t <= hi)) return;
    const double v = top(t);
    if (v <= least * tie) {
      least = v;
      at = t;
    }
  };
  consider(lo, 1.0);
  consider(hi, 1.0);
  if (!steady) CrossingPlaces(pc, count, lo, hi, [&](double t) { consider(t, 1.0); });
  for (int i = 0; i < count && steady; i++) {
    consider(pc[i].Vertex(), 1.0 + kPairLevelTol); // level to the rounding: the vertex
    for (int j = i + 1; j < count; j++) {
      const double wi = 1.0 / (pc[i].f0 * pc[i].f0), wj = 1.0 / (pc[j].f0 * pc[j].f0);
      const double qa = pc[i].q2 * wi - pc[j].q2 * wj, qb = pc[i].q1 * wi - pc[j].q1 * wj,
                   qc = pc[i].q0 * wi - pc[j].q0 * wj;
      if (qa == 0.0) {
        if (qb != 0.0) consider(-qc / qb, 1.0);
        continue;
      }
      const double disc = qb * qb - 4.0 * qa * qc;
      if (disc < 0.0) continue;
      const double q = -0.5 * (qb + std::copysign(std::sqrt(disc), qb)); // no cancellation
      consider(q / qa, 1.0);
      if (q != 0.0) consider(qc / q, 1.0);
    }
  }
  return f(at);
}

// The objective of a member: 0 the total normal force, 1 the larger one.
double Objective(const PairFamily *fam, int obj, const double *x) {
  const double f1 = fam->F[1].At(x), f2 = fam->F[2].At(x);
  return obj == 0 ? f1 + f2 : std::max(f1, f2);
}

// The least objective over the members with parameters l and beyond (the
// earlier ones as in x) whose need is at most mu; writes the member into x.
// kPairHuge where none is.
double LeastObjectiveFrom(const PairSearch *s, double mu, int obj, int l, double *x) {
  const PairFamily *fam = s->fam;
  const bool last = l == fam->params - 1;
  const PairSearch full = {fam, s->lim, -1.0, nullptr};
  NeedRange *memo = l == 0 ? s->memo : nullptr;
  const bool known = memo != nullptr && memo->known >= 1;
  const double least = known ? memo->least : LeastNeedFrom(&full, l, x);
  if (!(least <= mu)) return kPairHuge;
  const double star = known ? memo->star : x[l];
  if (known) x[l] = star;
  double lo = -fam->box[l], hi = fam->box[l], L = lo, R = hi;
  if (last) ParamRange(fam, s->lim, l, x, &lo, &hi);
  auto excess = [&](double t) {
    x[l] = t;
    return (last ? NeedAt(fam, s->lim, x) : LeastNeedFrom(&full, l + 1, x)) - mu;
  };
  if (known && memo->known >= 2) {
    L = memo->L;
    R = memo->R;
  } else {
    // the range of parameter l whose need is at most mu, about star: along
    // the last one the bounds of the quadratic needs, kept where they hold
    const double es = least - mu;
    bool leftDone = false, rightDone = false;
    if (last) {
      x[l] = star;
      LinePiece pc[kMaxLinePieces];
      const int count = LinePieces(fam, s->lim, l, x, pc);
      L = lo;
      R = hi;
      for (int i = 0; i < count; i++) pc[i].Sublevel(mu * mu, star, &L, &R);
      leftDone = L == lo || excess(L) <= 0.0;
      rightDone = R == hi || excess(R) <= 0.0;
    }
    if (!leftDone) {
      const double el = excess(lo);
      L = el <= 0.0 ? lo : ZeroIn(excess, lo, el, star, es, kPairRelTol, kPairRelTol);
    }
    if (!rightDone) {
      const double eh = excess(hi);
      R = eh <= 0.0 ? hi : ZeroIn(excess, hi, eh, star, es, kPairRelTol, kPairRelTol);
    }
    if (memo != nullptr) *memo = {2, least, star, L, R};
  }
  if (!last) {
    double at = star;
    auto g = [&](double t) {
      x[l] = t;
      return LeastObjectiveFrom(s, mu, obj, l + 1, x);
    };
    const double best = OuterLeast(fam, g, L, R, -kInf, &at);
    g(at);
    return best;
  }
  // an affine total, or the larger of two affine forces: least at an end of
  // the range or where the forces cross; level ends keep the least need
  double cand[3] = {L, R, NAN};
  const double c1 = fam->F[1].c[1 + l], c2 = fam->F[2].c[1 + l];
  if (obj == 1 && c1 != c2) {
    x[l] = 0.0;
    cand[2] = (fam->F[2].At(x) - fam->F[1].At(x)) / (c1 - c2);
  }
  double best = kInf, at = star, top = -kInf;
  for (const double t : cand) {
    if (!(t >= L && t <= R)) continue;
    x[l] = t;
    const double v = Objective(fam, obj, x);
    top = std::max(top, v);
    if (v < best) {
      best = v;
      at = t;
    }
  }
  if (top - best <= kPairTieTol * std::max(1.0, std::fabs(best))) at = star;
  x[l] = at;
  return Objective(fam, obj, x);
}

// The least need under lim, stopping at stop; kInf where no member keeps
// the force bounds or the twist is left over. Writes the member into x.
double LeastNeed(const ContactPair *g, const ExactModel *m, const PairLimits *lim, double stop,
                 double *x) {
  PairFamily fam;
  BuildPairFamily(g, m, lim, &fam);
  if (fam.never != 0) return kInf;
  const PairSearch s = {&fam, lim, stop, nullptr};
  x[0] = x[1] = x[2] = 0.0;
  const double A = LeastNeedFrom(&s, 0, x);
  return A >= kPairHuge ? kInf : A;
}

bool HoldsWith(const ContactPair *g, const ExactModel *m, const PairLimits *lim) {
  double x[kParams];
  return LeastNeed(g, m, lim, m->mu, x) <= m->mu;
}

// The least objective of a member needing at most mu under lim; *memo
// (nullptr: none) keeps the range of the first parameter for the next.
double LeastObjective(const ContactPair *g, const ExactModel *m, const PairLimits *lim, int obj,
                      double *x, NeedRange *memo = nullptr) {
  PairFamily fam;
  BuildPairFamily(g, m, lim, &fam);
  const PairSearch s = {&fam, lim, -1.0, memo};
  x[0] = x[1] = x[2] = 0.0;
  return LeastObjectiveFrom(&s, m->mu, obj, 0, x);
}

// The largest load factor of a grasp that cannot hold: a load lambda
// (FEX, MEX) with cap c holds exactly when the load holds with cap
// c / lambda, so the factor is the cap over the least larger normal force
// among the members needing at most mu with a cap that holds (a power of
// two times the model's, found by halving the powers). 0 when none up to
// 2^kCapacityPowers holds.
double CapacityBeyond(const ContactPair *g, const ExactModel *m, const PairLimits *all) {
  PairLimits lim = *all;
  lim.cap = std::ldexp(all->cap, kCapacityPowers);
  if (!HoldsWith(g, m, &lim)) return 0.0;
  int lo = 0, hi = kCapacityPowers;
  while (hi - lo > 1) {
    const int mid = (lo + hi) / 2;
    lim.cap = std::ldexp(all->cap, mid);
    (HoldsWith(g, m, &lim) ? hi : lo) = mid;
  }
  lim.cap = std::ldexp(all->cap, hi);
  double x[kParams];
  return all->cap / LeastObjective(g, m, &lim, 1, x);
}

} // namespace

namespace {

constexpr double kClosureReach = 1e12;  // internal wrenches searched within this many normal
                                        // forces at contact 1 (dimensionless)
constexpr double kClosureRowTol = 1e-9; // row this short off the others (unit terms): dependent
constexpr double kClosureNullTol = 0.1; // unit vector this short off a span: next one taken

// The least margin, in normal force at contact 1, by which the internal
// wrench x = (f, M1 / L, M2 / L) (contact 1 pushes f, contact 2 pushes -f,
// L = |p2 - p1|) keeps inside both contacts' friction sets: mu s - |T| and
// mu s - |M| / rm (soft) or mu s - hypot(|T|, |M| / rm) (elliptic), s the
// normal force and T the friction force of each; rmL = rm / L.
double InternalMargin(const double *x, const double *n1, const double *n2, double rmL,
                      const ExactModel *m) {
  double g = kInf;
  for (int k = 0; k < 2; k++) {
    const double *n = k == 0 ? n1 : n2, sg = k == 0 ? 1.0 : -1.0;
    const double f[3] = {sg * x[0], sg * x[1], sg * x[2]};
    const double s = DotVec3(f, n);
    double t[3];
    for (int i = 0; i < 3; i++) t[i] = f[i] - s * n[i];
    const double tau = NormVec3(t), q = std::fabs(x[3 + k]) / rmL;
    g = std::min(g, m->law == kContactElliptic ? m->mu * s - std::hypot(tau, q)
                                               : m->mu * s - std::max(tau, q));
  }
  return g;
}

// v less its parts along the n orthonormal rows b (twice, against
// rounding); returns |v| after.
double OffSpan5(double *v, const double (*b)[5], int n) {
  for (int pass = 0; pass < 2; pass++)
    for (int q = 0; q < n; q++) {
      double dot = 0.0;
      for (int j = 0; j < 5; j++) dot += b[q][j] * v[j];
      for (int j = 0; j < 5; j++) v[j] -= dot * b[q][j];
    }
  double l = 0.0;
  for (int j = 0; j < 5; j++) l += v[j] * v[j];
  return std::sqrt(l);
}

// OffSpan5, then v made unit: returns 1, or 0 (v left short) where its
// length off the rows is at most tol.
int UnitOffSpan5(double *v, const double (*b)[5], int n, double tol) {
  const double l = OffSpan5(v, b, n);
  if (!(l > tol)) return 0;
  for (int j = 0; j < 5; j++) v[j] /= l;
  return 1;
}

// The largest value of the concave function margin(t) for |t| within
// kClosureReach, or the first value met above enough: the least of its
// negative, bracketed from [-1, 1] outward and narrowed by golden section.
template <class G> double LineMax(G margin, double enough) {
  auto neg = [&](double t) { return -margin(t); };
  double lo = -kClosureReach, hi = kClosureReach, at;
  Bracket(neg, 1.0, &lo, &hi);
  return -GoldenLeast(neg, lo, hi, -enough, &at);
}

} // namespace

// Every wrench is held once the cap is removed exactly when an internal
// wrench lies strictly inside both friction sets: a pair of opposite
// forces f, -f, whose couple (p2 - p1) x f the two friction moments about
// the normals balance, can then be scaled up past any load. These wrenches
// form a plane (a space of three where both normals lie across the line);
// their margin is concave, so it is maximised along lines of the slice
// where contact 1's normal force is 1. Where the normals and the line are
// coplanar the couple vanishes and this is the line through the contacts
// strictly inside both friction cones. Point contacts or no friction
// cannot resist a twist about that line.
int PairForceClosure(const ContactPair *g, const ExactModel *m) {
  if (m->mu == 0.0 || m->rm == 0.0 || m->law == kContactPoint) return 0;
  Vec3 d;
  SubVec3(g->p[2], g->p[1], d);
  const double L = NormVec3(d);
  if (!(L > 0.0)) return 0;
  ScaleVec3(1.0 / L, d, d);
  const double *n1 = g->n[1], *n2 = g->n[2];
  // rows of d x f - (M1 / L) n1 - (M2 / L) n2 = 0, orthonormalised
  double rows[3][5], basis[5][5];
  int nr = 0;
  for (int i = 0; i < 3; i++) {
    double e[3] = {0, 0, 0}, *r = rows[nr];
    for (int j = 0; j < 3; j++) {
      e[j] = 1.0;
      Vec3 c;
      CrossVec3(d, e, c);
      r[j] = c[i];
      e[j] = 0.0;
    }
    r[3] = -n1[i];
    r[4] = -n2[i];
    nr += UnitOffSpan5(r, rows, nr, kClosureRowTol);
  }
  // the internal wrenches: the unit vectors' parts off the rows
  int nb = 0;
  for (int c = 0; c < 5 && nb < 5 - nr; c++) {
    double *v = basis[nb];
    for (int j = 0; j < 5; j++) v[j] = j == c ? 1.0 : 0.0;
    OffSpan5(v, rows, nr);
    nb += UnitOffSpan5(v, basis, nb, kClosureNullTol);
  }
  // the slice where contact 1's normal force f . n1 is 1
  double ell[5], l2 = 0.0;
  for (int q = 0; q < nb; q++) {
    ell[q] = DotVec3(basis[q], n1);
    l2 += ell[q] * ell[q];
  }
  if (!(std::sqrt(l2) > kClosureRowTol)) return 0;
  double x0[5] = {0, 0, 0, 0, 0}, dir[2][5];
  for (int q = 0; q < nb; q++)
    for (int j = 0; j < 5; j++) x0[j] += ell[q] / l2 * basis[q][j];
  // directions within the slice: the basis less its part along ell
  int nd = 0;
  for (int q = 0; q < nb && nd < nb - 1; q++) {
    double *v = dir[nd];
    for (int j = 0; j < 5; j++) v[j] = basis[q][j] - ell[q] * x0[j];
    nd += UnitOffSpan5(v, dir, nd, kClosureNullTol);
  }
  const double rmL = m->rm / L, enough = kExactDecisionTol * m->mu; // past the band: closed
  auto at = [&](double t1, double t2) {
    double x[5];
    for (int j = 0; j < 5; j++)
      x[j] = x0[j] + (nd > 0 ? t1 * dir[0][j] : 0.0) + (nd > 1 ? t2 * dir[1][j] : 0.0);
    return InternalMargin(x, n1, n2, rmL, m);
  };
  double best;
  if (nd == 0) {
    best = at(0.0, 0.0);
  } else if (nd == 1) {
    best = LineMax([&](double t) { return at(t, 0.0); }, enough);
  } else {
    best = LineMax(
        [&](double t1) { return LineMax([&](double t2) { return at(t1, t2); }, enough); }, enough);
  }
  if (std::fabs(best) <= kExactDecisionTol * m->mu) return -1;
  return best > 0.0 ? 1 : 0;
}

namespace {

int Undecided(ExactCheck *out, const char *reason) {
  out->verdict = kExactUndecided;
  out->reason = reason;
  return out->verdict;
}

// The check of distinct contacts *g (points relative to the reference
// point, in length scales) under the model *m in the units of the problem.
int CheckScaled(const ContactPair *g, const ExactModel *m, ExactCheck *out) {
  const double mu = m->mu;
  const PairLimits all = {1, 1, m->cap, {0, 1, 1}};
  double x[kParams];
  const double need = LeastNeed(g, m, &all, -1.0, x);
  const double u = mu > 0.0 ? need / mu : (need > 0.0 ? kInf : 1.0);
  out->forceClosure = PairForceClosure(g, m);
  out->muNeeded = need;
  const bool nearLimit = std::fabs(u - 1.0) <= kExactDecisionTol;
  if (u > 1.0) {
    out->capacity = CapacityBeyond(g, m, &all);
    if (nearLimit) return Undecided(out, kExactNearLimit);
    // relaxed one at a time
    PairLimits lim = all;
    lim.friction = 0;
    if (HoldsWith(g, m, &lim)) out->blocking |= kLimitFriction;
    lim = all;
    lim.moment = 0;
    if (HoldsWith(g, m, &lim)) out->blocking |= kLimitMoment;
    // a higher cap holds exactly when some load factor below 1 holds: plain
    // from the capacity unless it lies near 1 / kRelaxedCapFactor
    lim = all;
    lim.cap = kRelaxedCapFactor * m->cap;
    const double c = out->capacity;
    const bool plain = c >= 2.0 / kRelaxedCapFactor || c < 0.5 / kRelaxedCapFactor;
    if (plain ? c >= 2.0 / kRelaxedCapFactor : HoldsWith(g, m, &lim))
      out->blocking |= kLimitForceCap;
    for (const int s1 : {1, -1}) {
      for (const int s2 : {1, -1}) {
        lim = all;
        lim.sign[1] = s1;
        lim.sign[2] = s2;
        if ((s1 < 0 || s2 < 0) && (out->blocking & kLimitPushOnly) == 0 && HoldsWith(g, m, &lim))
          out->blocking |= kLimitPushOnly;
      }
    }
    out->verdict = kExactCannotHold;
    return out->verdict;
  }
  PairFamily fam;
  BuildPairFamily(g, m, &all, &fam);
  // the least need found above starts both searches for the least forces
  NeedRange memo = {1, need, x[0], 0.0, 0.0};
  const double least = LeastObjective(g, m, &all, 0, x, &memo);
  double y[kParams];
  const double larger = LeastObjective(g, m, &all, 1, y, &memo);
  out->capacity = m->cap / larger;
  if (nearLimit) return Undecided(out, kExactNearLimit);
  double f[3], mz[3];
  Vec3 T[3];
  for (int k = 1; k <= 2; k++) {
    f[k] = fam.F[k].At(x);
    for (int i = 0; i < 3; i++) T[k][i] = fam.T[k][i].At(x);
    mz[k] = fam.M[k].At(x); // 0 for point contacts
  }
  const Vec3 origin = {0.0, 0.0, 0.0};
  if (!(least < kPairHuge) || ExactBalanceKept(g->p, g->n, origin, f, T, mz, m) == 0) {
    out->muNeeded = NAN;
    out->capacity = NAN;
    return Undecided(out, "the solution failed its re-check");
  }
  out->verdict = kExactHolds;
  out->margin = 1.0 - u;
  for (int k = 1; k <= 2; k++) {
    out->FCZ[k] = f[k];
    CopyVec3(T[k], out->T[k]);
    out->MCZ[k] = mz[k];
  }
  return out->verdict;
}

// Contacts at one point p with normals along one line: as two contacts on
// a sphere touching there (equal normals, a sphere of radius L whose centre
// lies along the normal), else (opposite) as a point work at p, which takes
// no moment; the moments taken about that centre.
int OnePoint(const ContactPair *g, const Vec3 *n, const ExactModel *md, double L, double W,
             ExactCheck *out) {
  GraspState s;
  InitModelState(&s);
  Vec3 p;
  AddVec3(g->p[1], g->p[2], p);
  ScaleVec3(0.5, p, p);
  const bool equal = DistVecN(0, 2, n[1], n[2]) < kExactParallelTol;
  s.aSph = equal ? L : 0.0;
  for (int i = 0; i < 3; i++) s.rwG[i] = p[i] + s.aSph * n[1][i];
  ExactModel m = *md;
  Vec3 arm, shift;
  SubVec3(g->c, s.rwG, arm);
  CrossVec3(arm, md->FEX, shift);
  AddVec3(md->MEX, shift, m.MEX);
  // the shift of the moments rounds: below the balance residual, no moment
  if (!equal && NormVec3(m.MEX) <= kExactResidualTol * W * L) CopyVec3(zeroVec, m.MEX);
  for (int k = 1; k <= 2; k++) {
    CopyVec3(p, s.RC[k]);
    CopyVec3(n[k], s.NF[k]);
  }
  ExactContactsCheck(&s, &m, out);
  for (int k = 0; k < 3; k++) out->jointTorque[k] = 0.0;
  return out->verdict;
}

} // namespace

int PairExactCheck(const ContactPair *g, const ExactModel *md, ExactCheck *out) {
  *out = ExactCheck{};
  out->capacity = NAN;
  out->muNeeded = NAN;
  out->forceClosure = -1;
  const char *bad = ExactModelError(md);
  if (bad != nullptr) return Undecided(out, bad);
  if (!Finite3(g->p[1]) || !Finite3(g->p[2]) || !Finite3(g->n[1]) || !Finite3(g->n[2]) ||
      !Finite3(g->c))
    return Undecided(out, "non-finite contact data");
  Vec3 n[3];
  for (int k = 1; k <= 2; k++) {
    const double len = NormVec3(g->n[k]);
    if (!(std::fabs(len - 1.0) <= kExactUnitTol))
      return Undecided(out, "contact normal not a unit vector");
    ScaleVec3(1.0 / len, g->n[k], n[k]);
  }
  // the units of the problem: lengths in the larger distance of a contact
  // from the reference point (the contact distance where both lie there),
  // forces in the size of the required wrench
  Vec3 r[3], d;
  for (int k = 1; k <= 2; k++) SubVec3(g->p[k], g->c, r[k]);
  SubVec3(g->p[2], g->p[1], d);
  double L = std::max(NormVec3(r[1]), NormVec3(r[2]));
  if (!(L > 0.0)) L = NormVec3(d);
  if (!(L > 0.0)) L = 1.0;
  const double *F = md->FEX, *M = md->MEX;
  const double W = std::hypot(std::hypot(F[0], F[1], F[2]), std::hypot(M[0], M[1], M[2]) / L);
  if (!(W > 0.0 && std::isfinite(W)))
    return Undecided(out, "required wrench not representable in the units of the grasp");
  ExactModel m = *md;
  for (int i = 0; i < 3; i++) {
    m.FEX[i] = F[i] / W;
    m.MEX[i] = M[i] / W / L;
  }
  // beyond kExactScaledMost a cap, moment radius or friction moves no need
  // by more than rounding; a moment radius below its inverse bounds no
  // moment beyond the balance residual
  const double capScaled = md->cap / W;
  m.cap = std::min(capScaled, kExactScaledMost);
  m.rm = std::min(md->rm / L, kExactScaledMost);
  if (m.rm < 1.0 / kExactScaledMost) m.rm = 0.0;
  m.mu = std::min(md->mu, kExactScaledMost);
  ContactPair u;
  for (int k = 1; k <= 2; k++) {
    ScaleVec3(1.0 / L, r[k], u.p[k]);
    CopyVec3(n[k], u.n[k]);
  }
  Vec3 du;
  SubVec3(u.p[2], u.p[1], du);
  if (NormVec3(du) < kPairCoincident &&
      std::min(DistVecN(0, 2, n[1], n[2]), NormSumVecN(0, 2, n[1], n[2])) < kExactParallelTol)
    return OnePoint(g, n, md, L, W, out);
  CopyVec3(zeroVec, u.c);
  CopyVec3(zeroVec, u.p[0]);
  CopyVec3(zeroVec, u.n[0]);
  CheckScaled(&u, &m, out);
  out->capacity *= capScaled / m.cap;
  if (out->verdict != kExactHolds) return out->verdict;
  for (int k = 1; k <= 2; k++) {
    out->FCZ[k] *= W;
    ScaleVec3(W, out->T[k], out->T[k]);
    out->MCZ[k] *= W * L;
  }
  return out->verdict;
}

} // namespace gs
