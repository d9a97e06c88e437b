#include "exact/exact_law.h"

#include <algorithm>
#include <cmath>

#include "geom/vecmat.h"
#include <limits>

#include "exact/exact_family.h"

namespace gs {

namespace {

constexpr double kGoldenShort = 0.3819660112501051; // (3 - sqrt 5) / 2
constexpr double kLawSigmaTol = 1e-13;              // relative width at which a Sigma search stops
constexpr int kLawSearchSteps = 200;                // bound on the steps of each Sigma search
constexpr double kLawRiseTol = 1e-13;               // relative rise of the need that is no rounding
constexpr double kLawLeastTol = 1e-13; // relative width at which a search for the least need stops
constexpr double kLawFlatWidth = 1e-6; // relative bracket width below which a level bracket
                                       // ends a search for the least need
constexpr double kLawFlatRise = 1e-14; // relative rise of the bracket ends that counts as level
constexpr double kLawLevelTol = 1e-12; // relative gap under the largest squared need within
                                       // which a piece still sets the need
constexpr double kLawLevelValue = 1e-15; // relative gap of two needs that rounding can make
constexpr int kMaxPieces = 4;            // limits of two contacts with squared needs

// Solves the 4 x 4 system a x = b (partial pivoting) for two right-hand
// sides b[.][0], b[.][1]; a and b are overwritten.
void Solve4(double a[4][4], double b[4][2], double x[4][2]) {
  for (int c = 0; c < 4; c++) {
    int p = c;
    for (int i = c + 1; i < 4; i++)
      if (std::fabs(a[i][c]) > std::fabs(a[p][c])) p = i;
    std::swap(a[c], a[p]);
    std::swap(b[c], b[p]);
    for (int i = c + 1; i < 4; i++) {
      const double q = a[i][c] / a[c][c];
      for (int j = c; j < 4; j++) a[i][j] -= q * a[c][j];
      for (int j = 0; j < 2; j++) b[i][j] -= q * b[c][j];
    }
  }
  for (int c = 3; c >= 0; c--) {
    for (int j = 0; j < 2; j++) {
      double v = b[c][j];
      for (int i = c + 1; i < 4; i++) v -= a[c][i] * x[i][j];
      x[c][j] = v / a[c][c];
    }
  }
}

// A squared need q2 r^2 + q1 r + q0 (already divided by FCZ_k^2).
// Its change with Sigma at a fixed r is ds - At(r) fs (the friction along
// t_k over the normal force, and the normal force itself, change with Sigma).
struct Piece {
  double q2, q1, q0;
  double ds, fs;
  double At(double r) const { return (q2 * r + q1) * r + q0; }
  double Slope(double r) const { return 2.0 * q2 * r + q1; }
};

// Adds to *pc the square of |c0 + c1 r| / F.
void AddSquare(Piece *pc, double c0, double c1, double F2) {
  pc->q2 += c1 * c1 / F2;
  pc->q1 += 2.0 * c0 * c1 / F2;
  pc->q0 += c0 * c0 / F2;
}

// The least over r (or at r = 0 when fixed) of the largest piece; writes
// the r into *at.
double MiniMax(const Piece *pc, int count, int fixed, double *at) {
  auto top = [&](double r) {
    double v = 0.0;
    for (int i = 0; i < count; i++) v = std::max(v, pc[i].At(r));
    return v;
  };
  *at = 0.0;
  double best = top(0.0);
  if (fixed != 0) return best;
  auto consider = [&](double r) {
    if (!std::isfinite(r)) return;
    const double v = top(r);
    if (v < best) {
      best = v;
      *at = r;
    }
  };
  for (int i = 0; i < count; i++) {
    if (pc[i].q2 > 0.0) consider(-pc[i].q1 / (2.0 * pc[i].q2));
    for (int j = i + 1; j < count; j++) {
      const double a = pc[i].q2 - pc[j].q2, b = pc[i].q1 - pc[j].q1, c = pc[i].q0 - pc[j].q0;
      if (a == 0.0) {
        if (b != 0.0) consider(-c / b);
        continue;
      }
      const double disc = b * b - 4.0 * a * c;
      if (disc < 0.0) continue;
      // the roots without cancellation
      const double q = -0.5 * (b + std::copysign(std::sqrt(disc), b));
      consider(q / a);
      if (q != 0.0) consider(c / q);
    }
  }
  return best;
}

double SigmaAt(double lo, double t) {
  return lo + t / (1.0 - t);
}

} // namespace

int BuildLawFamily(const double *n1, const double *n2, double a, const ExactModel *m,
                   LawFamily *fam) {
  CopyVec3(n1, fam->n[1]);
  CopyVec3(n2, fam->n[2]);
  Vec3 e1, e2;
  double dp, dm;
  NormalPlaneFrame(n1, n2, e1, e2, fam->w, fam->t, &dp, &dm);
  const double *F = m->FEX, *M = m->MEX;
  const double *t1 = fam->t[1], *t2 = fam->t[2];
  // normal forces and in-plane friction: in-plane force balance, moment
  // about w, and FCZ_1 + FCZ_2 = Sigma
  double A[4][4] = {{DotVec3(n1, e1), DotVec3(n2, e1), DotVec3(t1, e1), DotVec3(t2, e1)},
                    {DotVec3(n1, e2), DotVec3(n2, e2), DotVec3(t1, e2), DotVec3(t2, e2)},
                    {0.0, 0.0, a, a},
                    {1.0, 1.0, 0.0, 0.0}};
  double b[4][2] = {
      {DotVec3(F, e1), 0.0}, {DotVec3(F, e2), 0.0}, {DotVec3(M, fam->w), 0.0}, {0.0, 1.0}};
  double x[4][2];
  Solve4(A, b, x);
  for (int k = 1; k <= 2; k++) {
    fam->f0[k] = x[k - 1][0];
    fam->f1[k] = x[k - 1][1];
    fam->al0[k] = x[k + 1][0];
    fam->al1[k] = x[k + 1][1];
  }
  // friction across the plane and friction moments: force along w,
  // in-plane moment balance, and MCZ_1 = r
  double B[4][4] = {{1.0, 1.0, 0.0, 0.0},
                    {-a * DotVec3(t1, e1), -a * DotVec3(t2, e1), DotVec3(n1, e1), DotVec3(n2, e1)},
                    {-a * DotVec3(t1, e2), -a * DotVec3(t2, e2), DotVec3(n1, e2), DotVec3(n2, e2)},
                    {0.0, 0.0, 1.0, 0.0}};
  double c[4][2] = {
      {DotVec3(F, fam->w), 0.0}, {DotVec3(M, e1), 0.0}, {DotVec3(M, e2), 0.0}, {0.0, 1.0}};
  Solve4(B, c, x);
  for (int k = 1; k <= 2; k++) {
    fam->be0[k] = x[k - 1][0];
    fam->be1[k] = x[k - 1][1];
    fam->m0[k] = x[k + 1][0];
    fam->m1[k] = x[k + 1][1];
  }
  fam->rm = m->rm;
  fam->law = m->rm > 0.0 ? m->law : kContactPoint;
  fam->farNeed = dp / dm;
  fam->scale = std::max(NormVec3(F), NormVec3(M) / a);
  return 1;
}

int LawNeverHeld(const LawFamily *fam, const LawLimits *lim) {
  // a point law leaves MCZ_1 = r = 0, and MCZ_2 must vanish with it
  return fam->law == kContactPoint && lim->moment != 0 && fam->m0[2] != 0.0 ? 1 : 0;
}

double LawNeedBoundBeyond(const LawFamily *fam, const LawLimits *lim, double x) {
  if (lim->friction == 0) return 0.0;
  double bound = 0.0;
  for (int k = 1; k <= 2; k++) {
    // |alpha_k| / |FCZ_k| over Sigma >= x, where neither changes sign
    const double F = lim->sign[k] * (fam->f0[k] + fam->f1[k] * x);
    const double df = lim->sign[k] * fam->f1[k];
    const double al = fam->al0[k] + fam->al1[k] * x;
    if (!(F > 0.0) || df < 0.0 || al * fam->al1[k] < 0.0) continue;
    const double far = df > 0.0 ? std::fabs(fam->al1[k]) / df : kInf;
    bound = std::max(bound, std::min(std::fabs(al) / F, far));
  }
  return bound;
}

double LawNeedBoundWithin(const LawFamily *fam, const LawLimits *lim, double lo, double hi) {
  if (lim->friction == 0) return 0.0;
  double bound = 0.0;
  for (int k = 1; k <= 2; k++) {
    // |FCZ_k| keeps its sign over the range: no pole inside
    const double al = fam->al0[k] + fam->al1[k] * lo, ah = fam->al0[k] + fam->al1[k] * hi;
    if (!(al * ah > 0.0)) continue;
    const double Fl = std::fabs(fam->f0[k] + fam->f1[k] * lo);
    const double Fh = std::fabs(fam->f0[k] + fam->f1[k] * hi);
    bound = std::max(bound, std::min(std::fabs(al) / Fl, std::fabs(ah) / Fh));
  }
  return bound;
}

namespace {

// Writes the squared needs of the limits lim at Sigma into pc (with
// *fixed 1 where r must stay 0); returns how many, -1 where a contact
// without normal force would have to carry something (no A suffices).
int NeedPieces(const LawFamily *fam, const LawLimits *lim, double Sigma, Piece *pc, int *fixed) {
  int count = 0;
  const bool point = fam->law == kContactPoint;
  *fixed = (point && lim->moment != 0) ? 1 : 0;
  for (int k = 1; k <= 2; k++) {
    const double F = lim->sign[k] * (fam->f0[k] + fam->f1[k] * Sigma);
    const double al = fam->al0[k] + fam->al1[k] * Sigma;
    const double mr0 = point ? 0.0 : fam->m0[k] / fam->rm, mr1 = point ? 0.0 : fam->m1[k] / fam->rm;
    const bool disc = lim->friction != 0, twist = lim->moment != 0 && !point;
    if (!(F > 0.0)) {
      // no normal force: only a contact that carries nothing keeps its limits
      const bool idle = (!disc || (al == 0.0 && fam->be1[k] == 0.0 && fam->be0[k] == 0.0)) &&
                        (!twist || (mr0 == 0.0 && mr1 == 0.0));
      if (!idle) return -1;
      continue;
    }
    const double F2 = F * F, ds = 2.0 * al * fam->al1[k] / F2,
                 fs = 2.0 * lim->sign[k] * fam->f1[k] / F;
    if (fam->law == kContactElliptic && disc && twist) {
      Piece p = {0.0, 0.0, al * al / F2, ds, fs};
      AddSquare(&p, fam->be0[k], fam->be1[k], F2);
      AddSquare(&p, mr0, mr1, F2);
      pc[count++] = p;
      continue;
    }
    if (disc) {
      Piece p = {0.0, 0.0, al * al / F2, ds, fs};
      AddSquare(&p, fam->be0[k], fam->be1[k], F2);
      pc[count++] = p;
    }
    if (twist) {
      Piece p = {0.0, 0.0, 0.0, 0.0, fs};
      AddSquare(&p, mr0, mr1, F2);
      pc[count++] = p;
    }
  }
  return count;
}

// The rate at which the squared need changes as Sigma moves from Sigma
// in the direction dir (+1 or -1), r following at its best: the least over
// the rate dr of r of the largest change of the pieces that set the need
// (those level with the largest within kLawLevelTol); -inf where it is not
// told (a contact without normal force, the need at the rounding of 0).
double NeedRate(const LawFamily *fam, const LawLimits *lim, double Sigma, double dir) {
  Piece pc[kMaxPieces];
  int fixed = 0;
  const int count = NeedPieces(fam, lim, Sigma, pc, &fixed);
  if (count <= 0) return -kInf;
  double r = 0.0;
  const double best = MiniMax(pc, count, fixed, &r);
  if (!(best > 0.0)) return -kInf;
  // each active piece changes by c + g dr; the least of the largest is
  // reached where a rising and a falling change cross, or at a level one
  double c[kMaxPieces], g[kMaxPieces];
  int n = 0;
  for (int i = 0; i < count; i++) {
    if (!(pc[i].At(r) >= best * (1.0 - kLawLevelTol))) continue;
    c[n] = dir * (pc[i].ds - pc[i].At(r) * pc[i].fs);
    g[n] = fixed != 0 ? 0.0 : pc[i].Slope(r);
    n++;
  }
  double rate = -kInf;
  bool up = false, down = false;
  for (int i = 0; i < n; i++) {
    up = up || g[i] >= 0.0;
    down = down || g[i] <= 0.0;
    if (g[i] == 0.0) rate = std::max(rate, c[i]);
    for (int j = 0; j < n; j++)
      if (g[i] > 0.0 && g[j] < 0.0)
        rate = std::max(rate, (c[i] * -g[j] + c[j] * g[i]) / (g[i] - g[j]));
  }
  return up && down ? rate : -kInf;
}

} // namespace

double LawNeedAt(const LawFamily *fam, const LawLimits *lim, double Sigma, double *r) {
  if (LawNeverHeld(fam, lim) != 0) return kInf;
  Piece pc[kMaxPieces];
  int fixed = 0;
  const int count = NeedPieces(fam, lim, Sigma, pc, &fixed);
  if (count < 0) return kInf;
  const double best = MiniMax(pc, count, fixed, r);
  return std::sqrt(std::max(0.0, best));
}

int LawSigmaRange(const LawFamily *fam, const LawLimits *lim, double *lo, double *hi) {
  *lo = -kInf;
  *hi = kInf;
  for (int k = 1; k <= 2; k++) {
    // sign[k] FCZ_k within [0, cap], FCZ_k = f0 + f1 Sigma (f1 = 1/2)
    const double a = lim->sign[k] > 0 ? 0.0 : -lim->cap, b = lim->sign[k] > 0 ? lim->cap : 0.0;
    const double s1 = (a - fam->f0[k]) / fam->f1[k], s2 = (b - fam->f0[k]) / fam->f1[k];
    *lo = std::max(*lo, std::min(s1, s2));
    *hi = std::min(*hi, std::max(s1, s2));
  }
  return *lo <= *hi ? 1 : 0;
}

namespace {

// Golden-section search of a quasi-convex need over [a, b] given its values
// va, vb at the ends, to the width tol; keeps the least value probed and
// writes where (through place) into *at.
template <class F, class P>
double Golden(F need, P place, double a, double va, double b, double vb, double tol,
              double stopBelow, double *at) {
  double best = va, x = place(a);
  if (vb < best) {
    best = vb;
    x = place(b);
  }
  *at = x;
  if (best <= stopBelow) return best;
  double x1 = b - kGolden * (b - a), x2 = a + kGolden * (b - a);
  double v1 = need(x1), v2 = need(x2);
  for (int i = 0; i < kLawSearchSteps && b - a > tol && best > stopBelow; i++) {
    GoldenStep(need, &a, &b, &x1, &x2, &v1, &v2);
    if (v1 < best) {
      best = v1;
      x = place(x1);
    }
    if (v2 < best) {
      best = v2;
      x = place(x2);
    }
  }
  *at = x;
  return best;
}

// Brent's minimiser of a quasi-convex need over [a, b] given its values va,
// vb at the ends, to the width tol: parabolic steps through the three best
// points where the need is smooth (its least value over Sigma lies where
// the needs of the two contacts cross, or at the vertex of one, where it is
// smooth), golden-section steps where a parabola does not shrink the
// bracket fast enough or a value is not finite; rate(Sigma, dir) (the
// change of the need from Sigma in the direction dir, -inf when not told)
// settles which way is down where two values are level to the rounding.
// Keeps the least value probed and writes where (through place) into *at.
template <class F, class P, class R>
double LeastOf(F need, P place, R rate, double a, double va, double b, double vb, double tol,
               double stopBelow, double *at) {
  double best = va, bestAt = a;
  if (vb < best) {
    best = vb;
    bestAt = b;
  }
  *at = place(bestAt);
  if (best <= stopBelow) return best;
  const double flatWidth = kLawFlatWidth * std::max({1.0, std::fabs(a), std::fabs(b)});
  const double x0 = a + kGoldenShort * (b - a), f0 = need(x0);
  BrentPoints t = {x0, x0, x0, f0, f0, f0};
  double &x = t.x, &fx = t.fx;
  double fa = va, fb = vb;
  double d = 0.0, e = 0.0;
  if (fx < best) {
    best = fx;
    bestAt = x;
  }
  for (int i = 0; i < kLawSearchSteps && best > stopBelow; i++) {
    const double xm = 0.5 * (a + b), tol1 = kLawLeastTol * std::fabs(x) + tol / 3.0,
                 tol2 = 2.0 * tol1;
    if (std::fabs(x - xm) <= tol2 - 0.5 * (b - a)) break;
    // a smooth least value: the bracket ends level with it to the rounding
    if (b - a <= flatWidth && std::max(fa, fb) <= fx * (1.0 + kLawFlatRise)) break;
    double p = 0.0, q = 0.0, r = 0.0;
    if (std::fabs(e) > tol1) {
      BrentParabola(&t, &p, &q);
      r = e;
      e = d;
    }
    if (std::fabs(p) < std::fabs(0.5 * q * r) && p > q * (a - x) && p < q * (b - x)) {
      d = p / q; // the parabola's vertex, kept off the bracket ends
      const double u = x + d;
      if (u - a < tol2 || b - u < tol2) d = x < xm ? tol1 : -tol1;
    } else {
      e = x < xm ? b - x : a - x;
      d = kGoldenShort * e;
    }
    const double u = x + (std::fabs(d) >= tol1 ? d : (d > 0.0 ? tol1 : -tol1));
    const double fu = need(u);
    if (fu < best) {
      best = fu;
      bestAt = u;
    }
    // the bracket end above or below x moves to p
    auto moveEnd = [&](bool upper, double p, double fp) {
      (upper ? b : a) = p;
      (upper ? fb : fa) = fp;
    };
    // values level to the rounding tell nothing of the way down: the rate
    // of the need at x toward u does (r following at its best)
    bool better = fu <= fx;
    if (std::fabs(fu - fx) <= kLawLevelValue * fx) {
      const double toward = rate(place(x), u > x ? 1.0 : -1.0);
      if (toward > -kInf) better = toward < 0.0;
    }
    if (better) {
      moveEnd(u < x, x, fx);
      BrentTakeLeast(&t, u, fu);
    } else {
      moveEnd(u > x, u, fu);
      BrentKeepProbe(&t, u, fu);
    }
  }
  *at = place(bestAt);
  return best;
}

} // namespace

double LawLeastNeed(const LawFamily *fam, const LawLimits *lim, double lo, double hi,
                    double stopBelow, double *at) {
  *at = lo;
  if (LawNeverHeld(fam, lim) != 0) return kInf;
  double r = 0.0;
  auto need = [&](double s) { return LawNeedAt(fam, lim, s, &r); };
  const double vl = need(lo), vh = need(hi), width = hi - lo;
  if (vl > stopBelow && vh > stopBelow) {
    // a quasi-convex need rising away from an end has its least value there
    // (a rise clear of the rounding)
    if (vl <= vh && NeedRate(fam, lim, lo, 1.0) * width > kLawRiseTol * vl * vl) return vl;
    if (NeedRate(fam, lim, hi, -1.0) * width > kLawRiseTol * vh * vh) {
      *at = hi;
      return vh;
    }
  }
  auto rate = [&](double s, double dir) { return NeedRate(fam, lim, s, dir); };
  const double least = kLawLeastTol * fam->scale; // LeastOf adds the width relative to Sigma
  return LeastOf(
      need, [](double s) { return s; }, rate, lo, vl, hi, vh, least, stopBelow, at);
}

double LawLeastNeedBeyond(const LawFamily *fam, const LawLimits *lim, double lo, double *at) {
  // Sigma = lo + t / (1 - t) keeps the need quasi-convex in t on [0, 1];
  // t = 1 is the far end. A golden-section search: the capacity of the
  // default model comes through here and keeps its every bit
  double r = 0.0;
  auto need = [&](double t) { return LawNeedAt(fam, lim, SigmaAt(lo, t), &r); };
  const bool farHeld = fam->law != kContactPoint || lim->moment == 0 || fam->m0[2] == 0.0;
  return Golden(
      need, [&](double t) { return t < 1.0 ? SigmaAt(lo, t) : kInf; }, 0.0, need(0.0), 1.0,
      farHeld ? fam->farNeed : kInf, kLawSigmaTol, -1.0, at);
}

double LawLeastSigma(const LawFamily *fam, const LawLimits *lim, double A, double lo, double at) {
  double r = 0.0;
  const double dl = LawNeedAt(fam, lim, lo, &r) - A;
  if (dl <= 0.0) return lo;
  // to a width relative to the least Sigma itself (see LeastSigmaWithin)
  auto excess = [&](double x) { return LawNeedAt(fam, lim, x, &r) - A; };
  return ZeroIn(excess, lo, dl, at, excess(at), kLawSigmaTol * fam->scale / (1.0 + A),
                kLawSigmaTol);
}

int LawMember(const LawFamily *fam, double Sigma, double r, double *f, Vec3 *T, double *m) {
  for (int k = 1; k <= 2; k++) {
    f[k] = fam->f0[k] + fam->f1[k] * Sigma;
    const double al = fam->al0[k] + fam->al1[k] * Sigma, be = fam->be0[k] + fam->be1[k] * r;
    for (int i = 0; i < 3; i++) T[k][i] = al * fam->t[k][i] + be * fam->w[i];
    m[k] = fam->m0[k] + fam->m1[k] * r;
  }
  return 1;
}

} // namespace gs
