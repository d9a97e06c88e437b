// The epsilon of two contacts on exact friction sets.
//
// Contact k pushing with unit normal force contributes, for a unit wrench
// direction u = (uf, um), the support phi_k(u) = max u . w over its friction
// set: with g = uf + um x a_k (a_k = (p_k - c) / torqueScale), s = n_k . g,
// tau = |g - s n_k| and q = rm |um . n_k| / torqueScale,
//   point    s + mu tau
//   soft     s + mu tau + mu q
//   elliptic s + mu hypot(tau, q).
// The grasp's support is cap (phi_1+ + phi_2+) (each force up to cap) or
// cap max(0, phi_1, phi_2) (forces sharing cap), and the epsilon is its least
// value over the unit 5-sphere.
//
// Each phi_k reads u through four linear functionals (s, the two tangential
// components of g, the moment share), precomputed as rows per contact.
//
// The least value is searched from a structured set of directions and a
// deterministic spread: the best distinct starts descend on the coarsest
// smoothing of the kinks, the best few of them down to the finest, and the
// least found is polished once more from a fine smoothing. It is then proven
// by branch and bound over the 12 faces of the cube [-1, 1]^6 projected onto
// the sphere: a box whose directions lie within the angle d of its centre u0
// has, for any wrench w of the set, h(u) >= |w| cos(angle(u0, w) + d) there.
// The support points of each contact at u0 and their combinations give a
// first bound, first order in the box's size where it crosses a kink (the
// disc's apex, the moment's sign, a contact's activity, the share of the cap
// for one): there the support point at u0 jumps. Where that bound does not
// prune the box, the kinks the box may cross are freed and their shares
// chosen by least squares to cancel the wrench's part normal to u0 (the
// balanced wrench, clipped into the set), at the box centre and at the
// box's point nearest the least direction known, whose bounds are second
// order; the segments from them to the balanced wrench at the least
// direction known, where it is the wrench eps u the largest ball touches,
// are searched as well.
#include "exact/epsilon.h"
#include "exact/pair_check.h"
#include "geom/vecmat.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <queue>
#include <vector>

namespace gs {
namespace {

constexpr double kUnitNormalTol = 1e-6; // accepted deviation of |n_k| from 1 (dimensionless)
constexpr double kProofRel = 1e-7;      // proof target: value - lower below this share of value
constexpr double kSmoothStart = 1e-2;   // first smoothing of the kinks (per unit cap)
constexpr double kSmoothEnd = 1e-13;    // last smoothing of the kinks (per unit cap)
constexpr double kSmoothStep = 1e-3;    // ratio of one smoothing to the last
constexpr double kSmoothPolish = 1e-7;  // first smoothing of the polish of the least found
constexpr int kQuasiSteps = 30;         // bound on the quasi-Newton steps per smoothing
constexpr int kQuasiHalvings = 50;      // bound on the halvings of one line search
constexpr double kQuasiFirst = 0.1;     // first inverse Hessian: a multiple of the identity
constexpr double kLocalFlat = 1e-13;    // decrease this small (relative): a smoothing converged
constexpr int kSpread = 96;             // directions of the deterministic spread
constexpr int kCircle = 24;             // directions on each contact's blind circle
constexpr int kRefined = 6;             // best distinct starts refined locally
constexpr int kFinished = 3;            // of those, the best carried to the finest smoothing
constexpr double kDistinctCos = 0.95;   // starts nearer than this cosine count as one
constexpr double kRoundRel = 1e-12;     // rounding margin of a bound (share of the set's size)

// The contacts in the scaled wrench space. Contact k reads a direction u
// through four linear functionals, the rows of row[k]: the normal share s
// (n_k, a_k x n_k), the friction shares along two unit tangents t
// (t, a_k x t) and the friction moment share b (0, rmS n_k); the same rows
// are the wrenches of unit normal force, unit friction force and unit
// friction moment, so the support wrench is a combination of them.
struct EpsGeom {
  double row[2][4][6];
  double n[2][3]; // unit normals
  double a[2][3]; // (p_k - c) / torqueScale
  double mu;      // friction coefficient
  double rmS;     // rm / torqueScale
  int law;        // ContactLaw
};

inline double Norm6(const double *v) {
  double s = 0.0;
  for (int i = 0; i < 6; i++) s += v[i] * v[i];
  return std::sqrt(s);
}

inline double Dot6(const double *a, const double *b) {
  double s = 0.0;
  for (int i = 0; i < 6; i++) s += a[i] * b[i];
  return s;
}

// The rows of contact k from its unit normal n and lever a (scaled).
void ContactRows(const double *n, const double *a, double rmS, double row[4][6]) {
  double t[2][3];
  const double ref[3] = {std::fabs(n[0]) < 0.9 ? 1.0 : 0.0, std::fabs(n[0]) < 0.9 ? 0.0 : 1.0, 0.0};
  CrossVec3(n, ref, t[0]);
  UnitVec3(t[0], t[0]);
  CrossVec3(n, t[0], t[1]);
  const double *dir[3] = {n, t[0], t[1]};
  for (int r = 0; r < 3; r++) {
    for (int i = 0; i < 3; i++) row[r][i] = dir[r][i];
    CrossVec3(a, dir[r], row[r] + 3);
  }
  for (int i = 0; i < 3; i++) {
    row[3][i] = 0.0;
    row[3][3 + i] = rmS * n[i];
  }
}

// Support of contact k (unit normal force) at direction u, with the norms
// of the friction force and moment smoothed by sm (sqrt(x^2 + sm^2) for |x|;
// 0: exact); the support wrench, which is the gradient, into w when not null.
inline double Phi(const EpsGeom &e, int k, const double *u, double *w, double sm = 0.0) {
  const double(*R)[6] = e.row[k];
  const double s = Dot6(R[0], u), y1 = Dot6(R[1], u), y2 = Dot6(R[2], u), b = Dot6(R[3], u);
  const double tau2 = y1 * y1 + y2 * y2, sm2 = sm * sm;
  double tf = 0.0, mf = 0.0, phi = s; // friction force per unit share, friction moment
  if (e.law == kContactPoint || e.law == kContactSoft) {
    const double tau = std::sqrt(tau2 + sm2);
    phi += e.mu * tau;
    tf = tau > 0.0 ? e.mu / tau : 0.0;
    if (e.law == kContactSoft) {
      const double ab = sm > 0.0 ? std::sqrt(b * b + sm2) : std::fabs(b);
      phi += e.mu * ab;
      mf = ab > 0.0 ? e.mu * b / ab : 0.0;
    }
  } else {
    const double H = std::sqrt(tau2 + b * b + sm2);
    phi += e.mu * H;
    if (H > 0.0) {
      tf = e.mu / H;
      mf = e.mu * b / H;
    }
  }
  if (w) {
    const double f1 = tf * y1, f2 = tf * y2;
    for (int i = 0; i < 6; i++) w[i] = R[0][i] + f1 * R[1][i] + f2 * R[2][i] + mf * R[3][i];
  }
  return phi;
}

// max(0, x) smoothed by sm, and its derivative into *d.
double SmoothPos(double x, double sm, double *d) {
  const double r = std::sqrt(x * x + sm * sm);
  *d = 0.5 * (1.0 + x / r);
  return 0.5 * (x + r);
}

// The support (per unit cap) with every kink smoothed by sm, at the
// direction of x (any length), and its gradient in x into grad.
double SmoothSupport(const EpsGeom &e, bool one, double sm, const double *x, double *grad) {
  const double l = Norm6(x);
  double u[6], w1[6], w2[6], d1, d2, f;
  for (int i = 0; i < 6; i++) u[i] = x[i] / l;
  const double p1 = Phi(e, 0, u, w1, sm), p2 = Phi(e, 1, u, w2, sm);
  if (one) {
    const double dd = p1 - p2, r = std::sqrt(dd * dd + sm * sm);
    const double mx = 0.5 * (p1 + p2 + r), c1 = 0.5 * (1.0 + dd / r);
    double dm;
    f = SmoothPos(mx, sm, &dm);
    d1 = dm * c1;
    d2 = dm * (1.0 - c1);
  } else {
    f = SmoothPos(p1, sm, &d1) + SmoothPos(p2, sm, &d2);
  }
  double gw[6];
  for (int i = 0; i < 6; i++) gw[i] = d1 * w1[i] + d2 * w2[i];
  const double gu = Dot6(gw, u);
  for (int i = 0; i < 6; i++) grad[i] = (gw[i] - gu * u[i]) / l; // through x / |x|
  return f;
}

// Support of the grasp (per unit cap) in form one (one = 1) or inf at u; the
// support wrench into w when not null.
double Support(const EpsGeom &e, bool one, const double *u, double *w) {
  double w1[6], w2[6];
  const double p1 = Phi(e, 0, u, w ? w1 : nullptr), p2 = Phi(e, 1, u, w ? w2 : nullptr);
  if (one) {
    const double h = std::max(0.0, std::max(p1, p2));
    if (w)
      for (int i = 0; i < 6; i++) w[i] = h <= 0.0 ? 0.0 : (p1 >= p2 ? w1[i] : w2[i]);
    return h;
  }
  if (w)
    for (int i = 0; i < 6; i++) w[i] = (p1 > 0.0 ? w1[i] : 0.0) + (p2 > 0.0 ? w2[i] : 0.0);
  return std::max(0.0, p1) + std::max(0.0, p2);
}

void Unit6(double *v) {
  const double l = Norm6(v);
  for (int i = 0; i < 6; i++) v[i] /= l;
}

// Over the directions u within the angle d of the unit direction u0, u . w
// >= (u0 . w) cos d - |w - (u0 . w) u0| sin d (cd = cos d, sd = sin d) for
// d below a quarter turn: exact where the angle of w from u0 plus d stays
// below a half turn, negative (and unused) beyond.
// The best of c0 + x c1 - sd |P + x Q| over x in [0, 1] (concave in x): the
// ends and the stationary points, from the quadratic its derivative gives.
double BestOnSegment(double c0, double c1, double sd, const double *P, const double *Q) {
  const double pp = Dot6(P, P), pq = Dot6(P, Q), qq = Dot6(Q, Q);
  auto f = [&](double x) {
    return c0 + x * c1 - sd * std::sqrt(std::max(0.0, pp + x * (2.0 * pq + x * qq)));
  };
  double best = std::max(f(0.0), f(1.0));
  // c1 |P + x Q| = sd (pq + x qq), squared
  const double s2 = sd * sd, A = c1 * c1 * qq - s2 * qq * qq,
               B = 2.0 * (c1 * c1 * pq - s2 * pq * qq), C = c1 * c1 * pp - s2 * pq * pq;
  double roots[2];
  int nr = 0;
  if (std::fabs(A) > 1e-300) {
    const double D = B * B - 4.0 * A * C;
    if (D >= 0.0) {
      roots[nr++] = (-B + std::sqrt(D)) / (2.0 * A);
      roots[nr++] = (-B - std::sqrt(D)) / (2.0 * A);
    }
  } else if (std::fabs(B) > 1e-300) {
    roots[nr++] = -C / B;
  }
  for (int i = 0; i < nr; i++)
    if (roots[i] > 0.0 && roots[i] < 1.0) best = std::max(best, f(roots[i]));
  return best;
}

// Lower bound of the support (per unit cap) over the directions within the
// angle d of the unit direction u0: the support points w_k of the two
// contacts at u0, bounded each alone (their positive parts add for inf) and
// together (w_1 + x w_2 and x w_1 + w_2 for inf, the segment between them
// for one), and the segment from the support point of the set at u0 to ref,
// the support point at the least direction known (null: none), which bounds
// the boxes about the weakest direction to second order even where the
// support point at u0 jumps across a kink; *h0 gets the support at u0.
double RegionBound(const EpsGeom &e, bool one, const double *u0, double d, const double *ref,
                   double *h0) {
  double p[2], w[2][6];
  for (int k = 0; k < 2; k++) p[k] = Phi(e, k, u0, w[k]);
  *h0 = one ? std::max(0.0, std::max(p[0], p[1])) : std::max(0.0, p[0]) + std::max(0.0, p[1]);
  if (d >= 0.5 * kPiWrap) return 0.0;
  const double cd = std::cos(d), sd = std::sin(d);
  double a[2], t[2][6], t12[6], b[2];
  for (int k = 0; k < 2; k++) {
    const double ak = Dot6(u0, w[k]);
    a[k] = ak * cd;
    for (int i = 0; i < 6; i++) t[k][i] = w[k][i] - ak * u0[i];
    b[k] = a[k] - Norm6(t[k]) * sd;
  }
  for (int i = 0; i < 6; i++) t12[i] = t[0][i] - t[1][i];
  double best, ws[6];
  if (one) {
    best = std::max(std::max(b[0], b[1]), BestOnSegment(a[1], a[0] - a[1], sd, t[1], t12));
    for (int i = 0; i < 6; i++) ws[i] = w[p[0] >= p[1] ? 0 : 1][i];
  } else {
    best = std::max(0.0, b[0]) + std::max(0.0, b[1]);
    best = std::max(best, BestOnSegment(a[0], a[1], sd, t[0], t[1])); // w_1 + x w_2
    best = std::max(best, BestOnSegment(a[1], a[0], sd, t[1], t[0])); // x w_1 + w_2
    for (int i = 0; i < 6; i++) ws[i] = (p[0] > 0.0 ? w[0][i] : 0.0) + (p[1] > 0.0 ? w[1][i] : 0.0);
  }
  if (ref) {
    // ws + x (ref - ws)
    double P[6], Q[6];
    const double as = Dot6(u0, ws), ar = Dot6(u0, ref);
    for (int i = 0; i < 6; i++) {
      P[i] = ws[i] - as * u0[i];
      Q[i] = ref[i] - ar * u0[i] - P[i];
    }
    best = std::max(best, BestOnSegment(cd * as, cd * (ar - as), sd, P, Q));
  }
  return std::max(0.0, best);
}

// Halton radical inverse of i in base b.
double Halton(int i, int b) {
  double f = 1.0, r = 0.0;
  for (; i > 0; i /= b) {
    f /= b;
    r += f * (i % b);
  }
  return r;
}

// Structured start directions: the axes, the twists about the contact line,
// the pure pushes along each normal, and a deterministic spread.
std::vector<std::array<double, 6>> Starts(const EpsGeom &e) {
  std::vector<std::array<double, 6>> s;
  for (int i = 0; i < 6; i++)
    for (double sg : {1.0, -1.0}) {
      std::array<double, 6> u{};
      u[i] = sg;
      s.push_back(u);
    }
  double d[3];
  SubVec3(e.a[1], e.a[0], d);
  if (NormVec3(d) > 0.0) {
    UnitVec3(d, d);
    for (double sg : {1.0, -1.0}) {
      std::array<double, 6> u{};
      CrossVec3(e.a[0], d, u.data()); // force a_1 x d cancels the twist's moment at contact 1
      for (int i = 0; i < 3; i++) u[3 + i] = d[i];
      for (double &x : u) x *= sg;
      s.push_back(u);
    }
  }
  for (int k = 0; k < 2; k++)
    for (double sg : {1.0, -1.0}) {
      std::array<double, 6> u{}, v{};
      for (int i = 0; i < 3; i++) u[i] = v[i] = sg * e.n[k][i];
      CrossVec3(e.a[k], v.data(), v.data() + 3);
      s.push_back(u);
      s.push_back(v);
    }
  // the directions no wrench of contact k reaches (g_k = 0, um normal to
  // n_k): the circle (a_k x m, m) for m normal to n_k, where only the other
  // contact resists
  for (int k = 0; k < 2; k++) {
    double t1[3], t2[3];
    const double *n = e.n[k];
    const double ref[3] = {std::fabs(n[0]) < 0.9 ? 1.0 : 0.0, std::fabs(n[0]) < 0.9 ? 0.0 : 1.0,
                           0.0};
    CrossVec3(n, ref, t1);
    UnitVec3(t1, t1);
    CrossVec3(n, t1, t2);
    for (int j = 0; j < kCircle; j++) {
      const double th = 2.0 * kPiWrap * j / kCircle;
      std::array<double, 6> u{};
      for (int i = 0; i < 3; i++) u[3 + i] = std::cos(th) * t1[i] + std::sin(th) * t2[i];
      CrossVec3(e.a[k], u.data() + 3, u.data());
      s.push_back(u);
    }
  }
  static const int kBase[6] = {2, 3, 5, 7, 11, 13};
  for (int j = 1; j <= kSpread; j++) {
    std::array<double, 6> u{};
    for (int i = 0; i < 6; i++) u[i] = 2.0 * Halton(j, kBase[i]) - 1.0;
    s.push_back(u);
  }
  for (auto &u : s) Unit6(u.data());
  return s;
}

// Quasi-Newton descent (BFGS with a backtracking line search) of the
// support smoothed by kSmoothStart, then each kSmoothStep times less down to
// kSmoothEnd, from the unit direction u, each smoothing starting where the
// last one ended; the direction of least exact support met replaces u. Ends
// early once that support is at most stopAt. Returns that support.
double SmoothDescent(const EpsGeom &e, bool one, double *u, double smFirst = kSmoothStart,
                     double smLast = kSmoothEnd, double stopAt = -kInf) {
  double best = Support(e, one, u, nullptr), x[6];
  std::copy(u, u + 6, x);
  for (double sm = smFirst; sm >= smLast; sm *= kSmoothStep) {
    Unit6(x);
    double H[6][6], g[6], f = SmoothSupport(e, one, sm, x, g);
    for (int i = 0; i < 6; i++)
      for (int j = 0; j < 6; j++) H[i][j] = i == j ? kQuasiFirst : 0.0;
    for (int it = 0; it < kQuasiSteps; it++) {
      double p[6], pg = 0.0;
      for (int i = 0; i < 6; i++) {
        p[i] = 0.0;
        for (int j = 0; j < 6; j++) p[i] -= H[i][j] * g[j];
        pg += p[i] * g[i];
      }
      if (!(pg < 0.0)) break;
      double t = 1.0, xn[6], gn[6], fn = kInf;
      int ls = 0;
      for (; ls < kQuasiHalvings; ls++, t *= 0.5) {
        for (int i = 0; i < 6; i++) xn[i] = x[i] + t * p[i];
        fn = SmoothSupport(e, one, sm, xn, gn);
        if (fn <= f + 1e-4 * t * pg) break;
      }
      if (ls == kQuasiHalvings) break;
      double sv[6], yv[6], sy = 0.0;
      for (int i = 0; i < 6; i++) {
        sv[i] = xn[i] - x[i];
        yv[i] = gn[i] - g[i];
        sy += sv[i] * yv[i];
      }
      if (sy > 0.0) {
        // H <- (I - r s y') H (I - r y s') + r s s'
        double Hy[6], yHy = 0.0;
        for (int i = 0; i < 6; i++) {
          Hy[i] = 0.0;
          for (int j = 0; j < 6; j++) Hy[i] += H[i][j] * yv[j];
          yHy += yv[i] * Hy[i];
        }
        const double r = 1.0 / sy;
        for (int i = 0; i < 6; i++)
          for (int j = 0; j < 6; j++)
            H[i][j] += r * ((1.0 + r * yHy) * sv[i] * sv[j] - Hy[i] * sv[j] - sv[i] * Hy[j]);
      }
      std::copy(xn, xn + 6, x);
      std::copy(gn, gn + 6, g);
      const double df = f - fn;
      f = fn;
      double ux[6];
      std::copy(x, x + 6, ux);
      Unit6(ux);
      const double h = Support(e, one, ux, nullptr);
      if (h < best) {
        best = h;
        std::copy(ux, ux + 6, u);
        if (best <= stopAt) return best;
      }
      if (df <= kLocalFlat * std::fabs(f)) break;
    }
  }
  return best;
}

// The wrench of the set at the direction u that best balances the kinks
// near u: each kink within kKinkNear (share of the set's size) of u frees
// its share (a contact's normal force near no support, its friction force
// near the disc's apex, its friction moment near the change of sign, the
// cap's share between contacts of near equal support for one), and those
// shares are chosen, by least squares, to cancel the wrench's part normal
// to u, then clipped into the set. At the weakest direction this is the
// wrench eps u the ball touches, whose bound is second order in the angle.
constexpr double kKinkNear = 1e-6; // a kink this near counts as met (share of the set's size)
constexpr double kBoxKinks = 1.0;  // share of its reach within which a box frees a kink

void BalancedWrench(const EpsGeom &e, bool one, double floor, double sinD, const double *u,
                    double *w) {
  double y[2][3], p[2], lip[2][3]; // shares; bounds of their change per unit sin(angle)
  for (int k = 0; k < 2; k++) {
    p[k] = Phi(e, k, u, nullptr);
    double n[4];
    for (int j = 0; j < 4; j++) n[j] = Norm6(e.row[k][j]);
    for (int j = 0; j < 3; j++) y[k][j] = Dot6(e.row[k][j + 1], u);
    lip[k][0] = std::hypot(n[1], n[2]);           // friction force
    lip[k][1] = n[3];                             // friction moment
    lip[k][2] = n[0] + e.mu * (lip[k][0] + n[3]); // support
    if (e.law == kContactElliptic) lip[k][0] = std::hypot(lip[k][0], n[3]);
  }
  auto near = [&](double x, double l) { return std::fabs(x) <= std::max(floor, sinD * l); };
  // per contact: F free, friction force free, moment free; fixed parts
  double F[2], fixedX[2][4];
  bool freeF[2], freeY[2], freeZ[2];
  for (int k = 0; k < 2; k++) {
    const double t = std::sqrt(y[k][0] * y[k][0] + y[k][1] * y[k][1]);
    const double H = std::sqrt(t * t + y[k][2] * y[k][2]);
    const bool ell = e.law == kContactElliptic, soft = e.law == kContactSoft;
    freeY[k] = near(ell ? H : t, lip[k][0]);
    freeZ[k] = ell ? freeY[k] : soft && near(y[k][2], lip[k][1]);
    fixedX[k][0] = 1.0;
    fixedX[k][1] = freeY[k] ? 0.0 : (ell ? y[k][0] / H : y[k][0] / t);
    fixedX[k][2] = freeY[k] ? 0.0 : (ell ? y[k][1] / H : y[k][1] / t);
    fixedX[k][3] = freeZ[k] || !(ell || soft) ? 0.0
                   : ell                      ? y[k][2] / H
                                              : (y[k][2] > 0.0 ? 1.0 : -1.0);
    if (one) {
      const bool tie = near(p[0] - p[1], lip[0][2] + lip[1][2]);
      F[k] = p[k] > p[1 - k] || tie ? 1.0 : 0.0;
      freeF[k] = false; // the cap is all used: only its share moves
    } else {
      F[k] = p[k] > 0.0 ? 1.0 : 0.0;
      freeF[k] = near(p[k], lip[k][2]);
    }
  }
  const bool share = one && F[0] > 0.0 && F[1] > 0.0;
  if (share) F[0] = F[1] = 0.5;
  // the columns: per contact its unit-force wrench (F), mu R_j (free shares)
  double col[11][6], w0[6] = {0, 0, 0, 0, 0, 0}, unitW[2][6];
  int kind[11][2], nc = 0;
  for (int k = 0; k < 2; k++) {
    const double(*R)[6] = e.row[k];
    for (int i = 0; i < 6; i++)
      unitW[k][i] = R[0][i] + e.mu * (fixedX[k][1] * R[1][i] + fixedX[k][2] * R[2][i] +
                                      fixedX[k][3] * R[3][i]);
    for (int i = 0; i < 6; i++) w0[i] += F[k] * unitW[k][i];
    if (freeF[k]) {
      std::copy(unitW[k], unitW[k] + 6, col[nc]);
      kind[nc][0] = k;
      kind[nc++][1] = 0;
    }
    for (int j = 1; j <= 3; j++) {
      if (!(j < 3 ? freeY[k] : freeZ[k])) continue;
      for (int i = 0; i < 6; i++) col[nc][i] = e.mu * R[j][i];
      kind[nc][0] = k;
      kind[nc++][1] = j;
    }
  }
  if (share) {
    for (int i = 0; i < 6; i++) col[nc][i] = unitW[0][i] - unitW[1][i];
    kind[nc][0] = 0;
    kind[nc++][1] = 4;
  }
  // least squares of the normal part: (D' D) c = -D' w0, D and w0 normal to u
  double c[11] = {0};
  if (nc > 0) {
    double Dn[11][6], wn[6], A[11][12];
    const double a0 = Dot6(u, w0);
    for (int i = 0; i < 6; i++) wn[i] = w0[i] - a0 * u[i];
    for (int r = 0; r < nc; r++) {
      const double ar = Dot6(u, col[r]);
      for (int i = 0; i < 6; i++) Dn[r][i] = col[r][i] - ar * u[i];
    }
    double tr = 0.0;
    for (int r = 0; r < nc; r++) {
      for (int q = 0; q < nc; q++) A[r][q] = Dot6(Dn[r], Dn[q]);
      A[r][nc] = -Dot6(Dn[r], wn);
      tr += A[r][r];
    }
    for (int r = 0; r < nc; r++) A[r][r] += 1e-12 * tr + 1e-300;
    for (int r = 0; r < nc; r++) {
      int pv = r;
      for (int q = r + 1; q < nc; q++)
        if (std::fabs(A[q][r]) > std::fabs(A[pv][r])) pv = q;
      for (int q = 0; q <= nc; q++) std::swap(A[r][q], A[pv][q]);
      for (int q = r + 1; q < nc; q++) {
        const double f = A[q][r] / A[r][r];
        for (int z = r; z <= nc; z++) A[q][z] -= f * A[r][z];
      }
    }
    for (int r = nc - 1; r >= 0; r--) {
      double v = A[r][nc];
      for (int q = r + 1; q < nc; q++) v -= A[r][q] * c[q];
      c[r] = v / A[r][r];
    }
  }
  // the parameters, clipped into the set
  double x[2][4];
  for (int k = 0; k < 2; k++) {
    x[k][0] = F[k];
    x[k][1] = x[k][2] = x[k][3] = 0.0;
  }
  for (int r = 0; r < nc; r++) {
    const double v = std::isfinite(c[r]) ? c[r] : 0.0;
    if (kind[r][1] == 4) {
      x[0][0] += v;
      x[1][0] -= v;
    } else {
      x[kind[r][0]][kind[r][1]] += v;
    }
  }
  double Fsum = 0.0;
  for (int k = 0; k < 2; k++) {
    x[k][0] = std::min(1.0, std::max(0.0, x[k][0]));
    Fsum += x[k][0];
  }
  if (one && Fsum > 1.0)
    for (int k = 0; k < 2; k++) x[k][0] /= Fsum;
  for (int i = 0; i < 6; i++) w[i] = 0.0;
  for (int k = 0; k < 2; k++) {
    const double(*R)[6] = e.row[k], Fk = x[k][0];
    double X[4] = {Fk, x[k][1], x[k][2], x[k][3]};
    // the free shares within the friction set of normal force Fk (slightly
    // inside, against rounding)
    const double lim = Fk * (1.0 - 1e-14);
    if (e.law == kContactElliptic && freeY[k]) {
      const double r = std::sqrt(X[1] * X[1] + X[2] * X[2] + X[3] * X[3]);
      if (r > lim)
        for (int j = 1; j <= 3; j++) X[j] *= lim / r;
    } else {
      const double r = std::sqrt(X[1] * X[1] + X[2] * X[2]);
      if (freeY[k] && r > lim) X[1] *= lim / r, X[2] *= lim / r;
      if (freeZ[k]) X[3] = std::max(-lim, std::min(lim, X[3]));
    }
    for (int j = 1; j <= 3; j++)
      if (!(j < 3 ? freeY[k] : freeZ[k])) X[j] = Fk * fixedX[k][j];
    for (int i = 0; i < 6; i++)
      w[i] += X[0] * R[0][i] + e.mu * (X[1] * R[1][i] + X[2] * R[2][i] + X[3] * R[3][i]);
  }
}

// A box of directions on a face of the cube [-1, 1]^6: coordinate axis is
// fixed at sg, the others range over [lo, hi].
struct Box {
  double bound; // lower bound of the support over the box (per unit cap)
  double lo[6], hi[6];
};

struct BoxOrder {
  bool operator()(const Box &x, const Box &y) const { return x.bound > y.bound; }
};

// Bound of the support over the box b, with the reference point ref of
// RegionBound (fine: with the balanced wrenches too, where needed); updates
// the best value, direction and ref with the support at the box centre.
void BoundBox(const EpsGeom &e, bool one, double size, Box *b, double *best, double *bestU,
              double *ref, bool fine) {
  double u0[6], hd2 = 0.0;
  for (int i = 0; i < 6; i++) {
    u0[i] = 0.5 * (b->lo[i] + b->hi[i]);
    const double r = 0.5 * (b->hi[i] - b->lo[i]);
    hd2 += r * r;
  }
  const double l = Norm6(u0), hd = std::sqrt(hd2);
  for (int i = 0; i < 6; i++) u0[i] /= l;
  // the box lies inside the ball of radius hd about its centre, seen from the
  // origin within the angle asin(hd / l)
  const double d = hd < l ? std::asin(hd / l) * (1.0 + 1e-12) : kPiWrap;
  double h0;
  b->bound = RegionBound(e, one, u0, d, ref, &h0) - kRoundRel * size;
  const double target = std::min(*best, h0) * (1.0 - kProofRel);
  if (fine && b->bound < target && d < 0.5 * kPiWrap) {
    // the kinks the box may cross balanced at its centre and at its point
    // nearest the least direction known, each alone and toward ref
    double uc[6], wb[6], P[6], Q[6];
    const double cd = std::cos(d), sd = std::sin(d), cw = Dot6(u0, bestU);
    for (int i = 0; i < 6; i++) uc[i] = bestU[i] - cw * u0[i];
    const double sw = Norm6(uc);
    for (int i = 0; i < 6; i++)
      uc[i] = std::acos(std::min(1.0, cw)) <= d ? bestU[i] : cd * u0[i] + sd * uc[i] / sw;
    for (const double *at : {(const double *)u0, (const double *)uc}) {
      BalancedWrench(e, one, kKinkNear * size, kBoxKinks * sd, at, wb);
      const double ab = Dot6(u0, wb), ar = Dot6(u0, ref);
      for (int i = 0; i < 6; i++) {
        P[i] = wb[i] - ab * u0[i];
        Q[i] = ref[i] - ar * u0[i] - P[i];
      }
      b->bound =
          std::max(b->bound, BestOnSegment(cd * ab, cd * (ar - ab), sd, P, Q) - kRoundRel * size);
      if (!(sw > 0.0) || b->bound >= target) break;
    }
  }
  if (h0 < *best) {
    *best = h0;
    std::copy(u0, u0 + 6, bestU);
    BalancedWrench(e, one, kKinkNear * size, 0.0, bestU, ref);
  }
}

// Branch and bound over the sphere for one form: proves a lower bound of the
// least support, lowering *value and moving weakest where a box centre does
// better. A box whose bound already meets the proof target is set aside
// rather than queued (only the least of their bounds is kept), so the queue
// holds the boxes still open. Returns the proven bound (per unit cap).
double Prove(const EpsGeom &e, bool one, double size, int boxes, double *value, double *weakest) {
  std::priority_queue<Box, std::vector<Box>, BoxOrder> q;
  double ref[6], closed = kInf; // the least bound of the boxes set aside
  auto keep = [&](const Box &b) {
    if (b.bound >= *value * (1.0 - kProofRel))
      closed = std::min(closed, b.bound);
    else
      q.push(b);
  };
  BalancedWrench(e, one, kKinkNear * size, 0.0, weakest, ref);
  for (int ax = 0; ax < 6; ax++)
    for (double sg : {1.0, -1.0})
      for (int half = 0; half < 32; half++) {
        Box b;
        for (int i = 0, j = 0; i < 6; i++) {
          if (i == ax) {
            b.lo[i] = b.hi[i] = sg;
            continue;
          }
          const bool up = (half >> j++) & 1;
          b.lo[i] = up ? 0.0 : -1.0;
          b.hi[i] = up ? 1.0 : 0.0;
        }
        BoundBox(e, one, size, &b, value, weakest, ref, boxes > 0);
        keep(b);
      }
  for (int n = 0; n < boxes && !q.empty(); n++) {
    const Box b = q.top();
    if (b.bound >= *value * (1.0 - kProofRel)) break;
    q.pop();
    int k = 0;
    for (int i = 1; i < 6; i++)
      if (b.hi[i] - b.lo[i] > b.hi[k] - b.lo[k]) k = i;
    const double mid = 0.5 * (b.lo[k] + b.hi[k]);
    Box c1 = b, c2 = b;
    c1.hi[k] = mid;
    c2.lo[k] = mid;
    BoundBox(e, one, size, &c1, value, weakest, ref, true);
    BoundBox(e, one, size, &c2, value, weakest, ref, true);
    keep(c1);
    keep(c2);
  }
  const double open = q.empty() ? kInf : q.top().bound;
  return std::min(*value, std::max(0.0, std::min(open, closed)));
}

// The starts ordered by their support in form one or inf, with their indices.
std::vector<std::pair<double, int>> StartOrder(const EpsGeom &e, bool one,
                                               const std::vector<std::array<double, 6>> &starts) {
  std::vector<std::pair<double, int>> order;
  for (int i = 0; i < (int)starts.size(); i++)
    order.push_back({Support(e, one, starts[i].data(), nullptr), i});
  std::sort(order.begin(), order.end());
  return order;
}

// A direction that a grasp without force closure cannot resist at all (no
// wrench of its set has a positive part along it, to rounding), into u:
// the best start, else descents of the shared-cap support from the best
// distinct starts, stopped once one reaches it; the least found otherwise.
void Unresisted(const EpsGeom &e, double size, const std::vector<std::array<double, 6>> &starts,
                double *u) {
  const double reach = kRoundRel * size;
  const std::vector<std::pair<double, int>> order = StartOrder(e, true, starts);
  std::copy(starts[order[0].second].begin(), starts[order[0].second].end(), u);
  double least = order[0].first;
  std::vector<const double *> tried;
  for (const auto &o : order) {
    if (least <= reach || (int)tried.size() >= kRefined) break;
    const double *s = starts[o.second].data();
    bool near = false;
    for (const double *t : tried) near = near || Dot6(s, t) > kDistinctCos;
    if (near) continue;
    tried.push_back(s);
    double v[6];
    std::copy(s, s + 6, v);
    const double h = SmoothDescent(e, true, v, kSmoothStart, kSmoothEnd, reach);
    if (h < least) {
      least = h;
      std::copy(v, v + 6, u);
    }
  }
}

void Fill(EpsilonForm *f, double value, double lower, const double *u) {
  f->value = value;
  f->lower = lower;
  std::copy(u, u + 6, f->weakest);
}

} // namespace

int PairEpsilon(const ContactPair *g, const ExactModel *m, double torqueScale, GraspEpsilon *out) {
  return PairEpsilonBudget(g, m, torqueScale, kEpsilonProofBoxes, out);
}

int PairEpsilonBudget(const ContactPair *g, const ExactModel *m, double torqueScale, int proofBoxes,
                      GraspEpsilon *out) {
  return PairEpsilonForms(g, m, torqueScale, proofBoxes, kEpsilonFormBoth, out);
}

int PairEpsilonForms(const ContactPair *g, const ExactModel *m, double torqueScale, int proofBoxes,
                     int forms, GraspEpsilon *out) {
  const double nan = std::nan("");
  forms &= kEpsilonFormBoth;
  out->torqueScale = torqueScale;
  for (EpsilonForm *f : {&out->inf, &out->one}) {
    f->value = f->lower = nan;
    for (double &w : f->weakest) w = nan;
  }
  bool ok = Finite3(g->c) && std::isfinite(torqueScale) && std::isfinite(m->mu) &&
            std::isfinite(m->rm) && std::isfinite(m->cap) && m->mu >= 0.0 && m->rm >= 0.0 &&
            m->cap > 0.0 &&
            (m->law == kContactSoft || m->law == kContactPoint || m->law == kContactElliptic);
  for (int k = 1; k <= 2 && ok; k++)
    ok = Finite3(g->p[k]) && Finite3(g->n[k]) &&
         std::fabs(NormVec3(g->n[k]) - 1.0) <= kUnitNormalTol;
  if (!ok) return 0;

  double rho = torqueScale;
  if (!(rho > 0.0)) {
    double r[3];
    rho = 0.0;
    for (int k = 1; k <= 2; k++) {
      SubVec3(g->p[k], g->c, r);
      rho = std::max(rho, NormVec3(r));
    }
    if (rho == 0.0) rho = 1.0;
  }
  out->torqueScale = rho;
  if (forms == 0) return 1;

  EpsGeom e;
  e.mu = m->mu;
  e.rmS = m->rm / rho;
  e.law = m->law;
  for (int k = 0; k < 2; k++) {
    UnitVec3(g->n[k + 1], e.n[k]);
    SubVec3(g->p[k + 1], g->c, e.a[k]);
    ScaleVec3(1.0 / rho, e.a[k], e.a[k]);
  }
  const double cap = m->cap;

  // No friction moment at either contact: the twist about the contact line
  // (or about any axis through a shared point) meets no resistance.
  if (e.law == kContactPoint || e.rmS == 0.0 || e.mu == 0.0) {
    double u[6], d[3];
    SubVec3(e.a[1], e.a[0], d);
    if (NormVec3(d) == 0.0) {
      d[0] = 0.0;
      d[1] = 0.0;
      d[2] = 1.0;
    }
    UnitVec3(d, d);
    CrossVec3(e.a[0], d, u);
    for (int i = 0; i < 3; i++) u[3 + i] = d[i];
    Unit6(u);
    if (forms & kEpsilonFormInf) Fill(&out->inf, 0.0, 0.0, u);
    if (forms & kEpsilonFormOne) Fill(&out->one, 0.0, 0.0, u);
    return 1;
  }

  for (int k = 0; k < 2; k++) ContactRows(e.n[k], e.a[k], e.rmS, e.row[k]);
  // size of the wrench set per unit cap: bounds the rounding of the supports
  double size = 0.0;
  for (int k = 0; k < 2; k++)
    size += (1.0 + e.mu + e.mu * e.rmS) * (1.0 + NormVec3(e.a[k]) + e.rmS);

  const std::vector<std::array<double, 6>> starts = Starts(e);
  // Without force closure (decided in closed form from the contact line and
  // the friction cones) both epsilons are exactly 0; the weakest direction
  // is one the grasp cannot resist.
  if (PairForceClosure(g, m) == 0) {
    double u[6];
    Unresisted(e, size, starts, u);
    if (forms & kEpsilonFormInf) Fill(&out->inf, 0.0, 0.0, u);
    if (forms & kEpsilonFormOne) Fill(&out->one, 0.0, 0.0, u);
    return 1;
  }
  for (int form = 0; form < 2; form++) {
    const bool one = form == 1;
    if (!(forms & (one ? kEpsilonFormOne : kEpsilonFormInf))) continue;
    const std::vector<std::pair<double, int>> order = StartOrder(e, one, starts);
    // the best distinct starts descended on the coarsest smoothing, the
    // best kFinished of those carried down to the finest
    std::vector<std::pair<double, std::array<double, 6>>> coarse;
    for (const auto &o : order) {
      if ((int)coarse.size() >= kRefined) break;
      const double *s = starts[o.second].data();
      bool near = false;
      for (const auto &c : coarse) near = near || Dot6(s, c.second.data()) > kDistinctCos;
      if (near) continue;
      std::array<double, 6> u;
      std::copy(s, s + 6, u.data());
      const double h = SmoothDescent(e, one, u.data(), kSmoothStart, kSmoothStart);
      coarse.push_back({h, u});
    }
    std::sort(coarse.begin(), coarse.end());
    double best = kInf, bestU[6] = {0, 0, 0, 0, 0, 0};
    for (int i = 0; i < (int)coarse.size() && i < kFinished; i++) {
      double *u = coarse[i].second.data();
      const double h = SmoothDescent(e, one, u, kSmoothStart * kSmoothStep);
      if (h < best) {
        best = h;
        std::copy(u, u + 6, bestU);
      }
    }
    // the least found polished from a finer smoothing
    best = std::min(best, SmoothDescent(e, one, bestU, kSmoothPolish));
    // a support at the rounding level of the set: not force closure
    if (best <= kRoundRel * size) best = 0.0;
    double lower = 0.0;
    if (best > 0.0) {
      const double searched = best;
      lower = Prove(e, one, size, proofBoxes, &best, bestU);
      if (best > 0.0 && best < searched) {
        // a better direction found by the proof is refined once more
        const double h = SmoothDescent(e, one, bestU);
        best = std::min(best, h);
      }
      lower = std::min(lower, best);
    }
    EpsilonForm *f = one ? &out->one : &out->inf;
    Fill(f, cap * best, cap * lower, bestU);
  }
  return 1;
}

} // namespace gs
