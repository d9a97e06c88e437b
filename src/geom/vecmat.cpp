#include "geom/vecmat.h"

#include <cmath>

namespace gs {

bool Finite3(const double *v) {
  return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

void CopyVec3(const double *src, double *dst) {
  for (int i = 0; i < 3; i++) dst[i] = src[i];
}

void CopyVecN(int n, const double *src, double *dst) {
  for (int i = 0; i <= n; i++) dst[i] = src[i];
}

void NegVec3(const double *src, double *dst) {
  for (int i = 0; i < 3; i++) dst[i] = -src[i];
}

void AddVec3(const double *a, const double *b, double *out) {
  for (int i = 0; i < 3; i++) out[i] = a[i] + b[i];
}

void ScaleVec3(double a, const double *v, double *out) {
  for (int i = 0; i < 3; i++) out[i] = a * v[i];
}

void SubVec3(const double *a, const double *b, double *out) {
  for (int i = 0; i < 3; i++) out[i] = a[i] - b[i];
}

double NormVec3(const double *v) {
  return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

double DistVecN(int lo, int hi, const double *a, const double *b) {
  double sum = 0.0;
  for (int i = lo; i <= hi; i++) sum += (a[i] - b[i]) * (a[i] - b[i]);
  return std::sqrt(sum);
}

double NormSumVecN(int lo, int hi, const double *a, const double *b) {
  double sum = 0.0;
  for (int i = lo; i <= hi; i++) sum += (a[i] + b[i]) * (a[i] + b[i]);
  return std::sqrt(sum);
}

double DotVec3(const double *a, const double *b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

void CrossVec3(const double *a, const double *b, double *out) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

void UnitVec3(const double *src, double *dst) {
  const double len = NormVec3(src);
  if (len == 0.0) {
    CopyVec3(src, dst);
    return;
  }
  for (int i = 0; i < 3; i++) dst[i] = src[i] / len;
}

void CopyMat3(const double (*src)[3], double (*dst)[3]) {
  for (int i = 0; i < 3; i++)
    for (int j = 0; j < 3; j++) dst[i][j] = src[i][j];
}

void CopyMat(int rows, int cols, const double *src, double *dst) {
  for (int i = 0; i < rows; i++)
    for (int j = 0; j < cols; j++) dst[i * cols + j] = src[i * cols + j];
}

void TransMat3(const double (*A)[3], double (*out)[3]) {
  for (int i = 0; i < 3; i++)
    for (int j = 0; j < 3; j++) out[i][j] = A[j][i];
}

void MulMat3(const double (*A)[3], const double (*B)[3], double (*out)[3]) {
  for (int i = 0; i < 3; i++)
    for (int j = 0; j < 3; j++) {
      double sum = 0.0;
      for (int k = 0; k < 3; k++) sum += A[i][k] * B[k][j];
      out[i][j] = sum;
    }
}

void MulMatRotZ3(const double (*A)[3], double q, double (*out)[3]) {
  const double c = std::cos(q), s = std::sin(q);
  for (int i = 0; i < 3; i++) {
    out[i][0] = c * A[i][0] + s * A[i][1];
    out[i][1] = -s * A[i][0] + c * A[i][1];
    out[i][2] = A[i][2];
  }
}

void MulMatVec3(const double (*A)[3], const double *v, double *out) {
  for (int i = 0; i < 3; i++) out[i] = A[i][0] * v[0] + A[i][1] * v[1] + A[i][2] * v[2];
}

void MulMatTVec3(const double (*A)[3], const double *v, double *out) {
  for (int i = 0; i < 3; i++) out[i] = A[0][i] * v[0] + A[1][i] * v[1] + A[2][i] * v[2];
}

int EulerZYZ(const double *n, const double *o, const double *a, double *ang) {
  const double h = std::sqrt(a[0] * a[0] + a[1] * a[1]);
  if (h > 1e-6) {
    ang[0] = std::atan2(a[1], a[0]);
    ang[1] = std::atan2(h, a[2]);
    ang[2] = std::atan2(o[2], -n[2]);
  } else {
    // z axis parallel to the reference Z: only the sum of the two turns counts
    ang[0] = 0.0;
    ang[1] = (a[2] >= 0.0) ? 0.0 : -kPiWrap;
    ang[2] = std::atan2(n[1], o[1]);
  }
  return 1;
}

void RotX3(double a, double (*out)[3]) {
  const double c = std::cos(a), s = std::sin(a);
  const double m[3][3] = {{1.0, 0.0, 0.0}, {0.0, c, -s}, {0.0, s, c}};
  CopyMat3(m, out);
}

void RotY3(double b, double (*out)[3]) {
  const double c = std::cos(b), s = std::sin(b);
  const double m[3][3] = {{c, 0.0, s}, {0.0, 1.0, 0.0}, {-s, 0.0, c}};
  CopyMat3(m, out);
}

void RotZ3(double q, double (*out)[3]) {
  const double c = std::cos(q), s = std::sin(q);
  const double m[3][3] = {{c, -s, 0.0}, {s, c, 0.0}, {0.0, 0.0, 1.0}};
  CopyMat3(m, out);
}

} // namespace gs
