#include "geom/vecmat.h"

#include <cmath>

#include <gtest/gtest.h>

namespace gs {
namespace {

constexpr double kPi = 3.14159265358979323846;

TEST(VecMat, UnitVecKeepsZeroAndNormalises) {
  Vec3 zero = {0, 0, 0}, out = {9, 9, 9};
  UnitVec3(zero, out);
  EXPECT_EQ(out[0], 0.0);
  EXPECT_EQ(out[1], 0.0);
  EXPECT_EQ(out[2], 0.0);
  Vec3 v = {3, 0, 4};
  UnitVec3(v, v); // in place
  EXPECT_DOUBLE_EQ(v[0], 0.6);
  EXPECT_DOUBLE_EQ(v[1], 0.0);
  EXPECT_DOUBLE_EQ(v[2], 0.8);
}

TEST(VecMat, VectorRangesAreInclusive) {
  double src[4] = {1, 2, 3, 4}, dst[4] = {0, 0, 0, 0};
  CopyVecN(2, src, dst);
  EXPECT_EQ(dst[2], 3.0);
  EXPECT_EQ(dst[3], 0.0); // n = 2 copies exactly three elements
  EXPECT_EQ(DistVecN(0, 2, src, src), 0.0);
  EXPECT_DOUBLE_EQ(NormSumVecN(0, 1, src, src), std::sqrt(4.0 + 16.0));
  double b[3] = {4, 6, 3};
  EXPECT_DOUBLE_EQ(DistVecN(0, 2, src, b), 5.0);
}

TEST(VecMat, CrossAndProductsFollowConventions) {
  Vec3 out;
  const Vec3 x = {1, 0, 0}, y = {0, 1, 0};
  CrossVec3(x, y, out);
  EXPECT_EQ(out[2], 1.0);
  Mat3 A = {{1, 2, 3}, {4, 5, 6}, {7, 8, 10}}, T, P;
  TransMat3(A, T);
  EXPECT_EQ(T[0][2], 7.0);
  MulMat3(A, T, P);
  EXPECT_EQ(P[0][1], 1 * 4 + 2 * 5 + 3 * 6);
  const Vec3 v = {1, -1, 2};
  Vec3 av, atv;
  MulMatVec3(A, v, av);
  MulMatTVec3(A, v, atv);
  EXPECT_EQ(av[2], 7 - 8 + 20);
  EXPECT_EQ(atv[0], 1 - 4 + 14);
}

TEST(VecMat, MulMatRotZ) {
  Mat3 A = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, out;
  MulMatRotZ3(A, 0.0, out);
  for (int i = 0; i < 3; i++)
    for (int j = 0; j < 3; j++) EXPECT_EQ(out[i][j], A[i][j]);
  MulMatRotZ3(A, kPi / 2, out);
  for (int i = 0; i < 3; i++) {
    EXPECT_NEAR(out[i][0], A[i][1], 1e-12); // column 0 is column 1 of A
    EXPECT_NEAR(out[i][1], -A[i][0], 1e-12);
    EXPECT_EQ(out[i][2], A[i][2]);
  }
  // agrees with the explicit product A Rz(q)
  Mat3 rz, ref;
  RotZ3(0.7, rz);
  MulMat3(A, rz, ref);
  MulMatRotZ3(A, 0.7, out);
  for (int i = 0; i < 3; i++)
    for (int j = 0; j < 3; j++) EXPECT_NEAR(out[i][j], ref[i][j], 1e-12);
}

TEST(VecMat, EulerZYZ) {
  Vec3 ang;
  const Vec3 n = {1, 0, 0}, o = {0, 1, 0}, a = {0, 0, 1};
  EXPECT_EQ(EulerZYZ(n, o, a, ang), 1);
  EXPECT_EQ(ang[0], 0.0);
  EXPECT_EQ(ang[1], 0.0);
  EXPECT_EQ(ang[2], 0.0);
  // rotation by pi about X: degenerate branch
  const Vec3 o2 = {0, -1, 0}, a2 = {0, 0, -1};
  EulerZYZ(n, o2, a2, ang);
  EXPECT_EQ(ang[0], 0.0);
  EXPECT_EQ(ang[1], -3.1415926535898);
  EXPECT_DOUBLE_EQ(ang[2], kPi);
  // general branch reproduces R = Rz(phi) Ry(theta) Rz(psi)
  Mat3 r1, r2, r3, t, R;
  RotZ3(0.4, r1);
  RotY3(1.1, r2);
  RotZ3(-0.8, r3);
  MulMat3(r1, r2, t);
  MulMat3(t, r3, R);
  const Vec3 cn = {R[0][0], R[1][0], R[2][0]}, co = {R[0][1], R[1][1], R[2][1]},
             ca = {R[0][2], R[1][2], R[2][2]};
  EulerZYZ(cn, co, ca, ang);
  EXPECT_NEAR(ang[0], 0.4, 1e-12);
  EXPECT_NEAR(ang[1], 1.1, 1e-12);
  EXPECT_NEAR(ang[2], -0.8, 1e-12);
}

} // namespace
} // namespace gs
