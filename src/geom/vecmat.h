// Small fixed-size vectors and 3x3 matrices with free routines. The columns
// of a rotation matrix are the axes of the rotated frame in the parent frame.
// Outputs come last; "distinct" means the output must not alias an input.
#pragma once

#include "graspstat/types.h"

namespace gs {

// pi with the decimals the tool has always used: turn wrapping and the
// half-turn Euler angle (rad)
constexpr double kPiWrap = 3.1415926535898;

// Returns true when all three components of v are finite.
bool Finite3(const double *v);

// dst = src.
void CopyVec3(const double *src, double *dst);
// dst[i] = src[i] for i = 0..n (n inclusive).
void CopyVecN(int n, const double *src, double *dst);
// dst = -src (in place allowed).
void NegVec3(const double *src, double *dst);
// out = a + b (in place allowed).
void AddVec3(const double *a, const double *b, double *out);
// out = a v (in place allowed).
void ScaleVec3(double a, const double *v, double *out);
// out = a - b (in place allowed).
void SubVec3(const double *a, const double *b, double *out);
// Returns the Euclidean length of v.
double NormVec3(const double *v);
// Returns sqrt(sum over i = lo..hi of (a[i] - b[i])^2).
double DistVecN(int lo, int hi, const double *a, const double *b);
// Returns sqrt(sum over i = lo..hi of (a[i] + b[i])^2).
double NormSumVecN(int lo, int hi, const double *a, const double *b);
// Returns a . b.
double DotVec3(const double *a, const double *b);
// out = a x b (distinct).
void CrossVec3(const double *a, const double *b, double *out);
// dst = src / |src|; a vector of length exactly 0 is copied unchanged.
void UnitVec3(const double *src, double *dst);
// dst = src.
void CopyMat3(const double (*src)[3], double (*dst)[3]);
// dst = src for a rows x cols row-major matrix.
void CopyMat(int rows, int cols, const double *src, double *dst);
// out = transpose(A) (distinct).
void TransMat3(const double (*A)[3], double (*out)[3]);
// out = A B (distinct).
void MulMat3(const double (*A)[3], const double (*B)[3], double (*out)[3]);
// out = A Rz(q) (distinct).
void MulMatRotZ3(const double (*A)[3], double q, double (*out)[3]);
// out = A v (distinct).
void MulMatVec3(const double (*A)[3], const double *v, double *out);
// out = transpose(A) v (distinct).
void MulMatTVec3(const double (*A)[3], const double *v, double *out);
// ang = Z-Y-Z Euler angles (phi, theta, psi) of the rotation with columns
// n, o, a; returns 1 always.
int EulerZYZ(const double *n, const double *o, const double *a, double *ang);

// Elementary rotations about X, Y and Z by an angle in radians.
void RotX3(double a, double (*out)[3]);
void RotY3(double b, double (*out)[3]);
void RotZ3(double q, double (*out)[3]);

} // namespace gs
