#include "geom/inverse.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "graspstat/trace.h"

namespace gs {

namespace {

// Factorises, computes the determinant and, when it is large enough, writes
// the inverse into a. s (n*n), r, q, p (n each) are zero-filled work areas.
double InvCore(int n, double *a, int lda, double *s, int *r, int *q, int *p) {
  const double det = InvFactor(n, a, lda, s, r, q, p);
  if (std::fabs(det) > kInvDetFloor) {
    for (int j = 0; j < n; j++) InvSolveColumn(n, s, r, j, a + j, lda);
  }
  return det;
}

} // namespace

double InvFactor(int n, const double *a, int lda, double *s, int *r, int *q, int *p) {
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) s[i * n + j] = a[i * lda + j];
  for (int k = 0; k < n; k++) r[k] = k;

  // LU factorisation; s is always indexed by input row r[.]
  for (int i = 0; i < n; i++) {
    int best = i;
    double bestVal = std::fabs(s[r[i] * n + i]);
    for (int j = i + 1; j < n; j++) {
      const double v = std::fabs(s[r[j] * n + i]);
      if (v > bestVal) { // ties keep the earlier position
        best = j;
        bestVal = v;
      }
    }
    const int tmp = r[i];
    r[i] = r[best];
    r[best] = tmp;
    const int m = r[i];
    const double pivot = s[m * n + i];
    // a NaN pivot counts as negligible too: nothing sound can follow from it
    if (!(std::fabs(pivot) >= kInvPivotFloor)) {
      ConsolePrintf("\n%d row = %11.3e, no inverse", m, pivot);
      return 0.0;
    }
    for (int k = i + 1; k < n; k++) {
      const int u = r[k];
      const double factor = s[u * n + i] / pivot;
      s[u * n + i] = factor;
      for (int l = i + 1; l < n; l++) s[u * n + l] -= factor * s[m * n + l];
    }
  }

  // sign of the row permutation, one transposition at a time
  for (int k = 0; k < n; k++) p[k] = r[k];
  for (int k = 0; k < n; k++) q[p[k]] = k;
  double sign = 1.0;
  for (int i = 0; i < n - 1; i++) {
    const int v = p[i];
    if (v != i) {
      p[q[i]] = v;
      q[v] = q[i];
      sign = -sign;
    }
  }

  double det = sign;
  for (int i = 0; i < n; i++) det *= s[r[i] * n + i];
  return det;
}

void InvSolveColumn(int n, const double *s, const int *r, int j, double *x, int stride) {
  // forward substitution with the unit lower factor
  for (int k = 0; k < n; k++) {
    const int f = r[k];
    double t = (f == j) ? 1.0 : 0.0;
    for (int l = 0; l < k; l++) t -= s[f * n + l] * x[l * stride];
    x[k * stride] = t;
  }
  // back substitution with the upper factor
  for (int k = n - 1; k >= 0; k--) {
    const int f = r[k];
    double t = x[k * stride];
    for (int l = k + 1; l < n; l++) t -= s[f * n + l] * x[l * stride];
    x[k * stride] = t / s[f * n + k];
  }
}

double InvAlloc(int n, double *a, int lda) {
  if (n <= 0) return 0.0;
  const std::size_t un = static_cast<std::size_t>(n);
  double *s = static_cast<double *>(std::calloc(un * un, sizeof(double)));
  int *r = static_cast<int *>(std::calloc(un, sizeof(int)));
  int *q = static_cast<int *>(std::calloc(un, sizeof(int)));
  int *p = static_cast<int *>(std::calloc(un, sizeof(int)));
  if (s == nullptr || r == nullptr || q == nullptr || p == nullptr) {
    ConsolePrintf("memory overflow\n");
    std::exit(1);
  }
  const double det = InvCore(n, a, lda, s, r, q, p);
  std::free(r);
  std::free(s);
  std::free(q);
  std::free(p);
  return det;
}

double inv(int n, double *a, int lda) {
  if (n <= 0) return 0.0;
  if (n > kInvMaxOrder) return InvAlloc(n, a, lda);
  double s[kInvMaxOrder * kInvMaxOrder] = {};
  int r[kInvMaxOrder] = {};
  int q[kInvMaxOrder] = {};
  int p[kInvMaxOrder] = {};
  return InvCore(n, a, lda, s, r, q, p);
}

} // namespace gs
