// One-dimensional searches shared by the exact check's families: a
// golden-section narrowing step, the steps of Brent's minimiser and Brent's
// root finder, all bounded in their steps.
#pragma once

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace gs {

constexpr int kRootSearchSteps = 200;          // bound on the steps of a root search
constexpr double kGolden = 0.6180339887498949; // golden-section ratio (sqrt 5 - 1) / 2

// One golden-section narrowing of [*a, *b] with inner points *x1 < *x2 and
// their values *v1, *v2: keeps the side of the smaller value (the left one
// on a tie) and evaluates f at the one new inner point.
template <class F>
void GoldenStep(F f, double *a, double *b, double *x1, double *x2, double *v1, double *v2) {
  if (*v1 <= *v2) {
    *b = *x2;
    *x2 = *x1;
    *v2 = *v1;
    *x1 = *b - kGolden * (*b - *a);
    *v1 = f(*x1);
  } else {
    *a = *x1;
    *x1 = *x2;
    *v1 = *v2;
    *x2 = *a + kGolden * (*b - *a);
    *v2 = f(*x2);
  }
}

// The three best places of Brent's minimiser: x the least value so far, w
// the second least, v the one before w, with their values.
struct BrentPoints {
  double x, w, v;
  double fx, fw, fv;
};

// The vertex of the parabola through the three places of *t as x + p / q
// with q >= 0 (q = 0: the places are in one line); writes p and q.
inline void BrentParabola(const BrentPoints *t, double *p, double *q) {
  const double r = (t->x - t->w) * (t->fx - t->fv);
  double s = (t->x - t->v) * (t->fx - t->fw);
  double n = (t->x - t->v) * s - (t->x - t->w) * r;
  s = 2.0 * (s - r);
  if (s > 0.0)
    n = -n;
  else
    s = -s;
  *p = n;
  *q = s;
}

// Takes the probe (u, fu) as the new least place of *t.
inline void BrentTakeLeast(BrentPoints *t, double u, double fu) {
  t->v = t->w;
  t->fv = t->fw;
  t->w = t->x;
  t->fw = t->fx;
  t->x = u;
  t->fx = fu;
}

// Keeps the probe (u, fu), not below the least, as the second or third
// place of *t where it beats them.
inline void BrentKeepProbe(BrentPoints *t, double u, double fu) {
  if (fu <= t->fw || t->w == t->x) {
    t->v = t->w;
    t->fv = t->fw;
    t->w = u;
    t->fw = fu;
  } else if (fu <= t->fv || t->v == t->x || t->v == t->w) {
    t->v = u;
    t->fv = fu;
  }
}

// Brent's root finder for f on the bracket [a, b], f(a) > 0 >= f(b) or the
// reverse, to the width tol + rel |root|; returns the end of the final
// bracket where f <= 0. Halves the bracket where an end value is not finite.
template <class F>
double ZeroIn(F f, double a, double fa, double b, double fb, double tol, double rel = 0.0) {
  double c = a, fc = fa, d = b - a, e = d;
  for (int it = 0; it < kRootSearchSteps; it++) {
    if ((fb > 0.0) == (fc > 0.0)) {
      c = a;
      fc = fa;
      d = e = b - a;
    }
    if (std::fabs(fc) < std::fabs(fb)) {
      a = b;
      b = c;
      c = a;
      fa = fb;
      fb = fc;
      fc = fa;
    }
    const double tol1 = (2.0 * DBL_EPSILON + 0.5 * rel) * std::fabs(b) + 0.5 * tol,
                 xm = 0.5 * (c - b);
    if (std::fabs(xm) <= tol1 || fb == 0.0) break;
    if (std::fabs(e) >= tol1 && std::fabs(fa) > std::fabs(fb) && std::isfinite(fa) &&
        std::isfinite(fc)) {
      // inverse quadratic or secant step, kept when it stays well inside
      const double s = fb / fa;
      double p, q;
      if (a == c) {
        p = 2.0 * xm * s;
        q = 1.0 - s;
      } else {
        const double qa = fa / fc, r = fb / fc;
        p = s * (2.0 * xm * qa * (qa - r) - (b - a) * (r - 1.0));
        q = (qa - 1.0) * (r - 1.0) * (s - 1.0);
      }
      if (p > 0.0)
        q = -q;
      else
        p = -p;
      if (2.0 * p < std::min(3.0 * xm * q - std::fabs(tol1 * q), std::fabs(e * q))) {
        e = d;
        d = p / q;
      } else {
        d = xm;
        e = d;
      }
    } else {
      d = xm;
      e = d;
    }
    a = b;
    fa = fb;
    b += std::fabs(d) > tol1 ? d : (xm > 0.0 ? tol1 : -tol1);
    fb = f(b);
  }
  return fb <= 0.0 ? b : c;
}

} // namespace gs
