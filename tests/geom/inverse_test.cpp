#include "geom/inverse.h"

#include <cmath>

#include <gtest/gtest.h>

#include "support/console_capture.h"

namespace gs {
namespace {

using testing::ConsoleCapture;

TEST(Inverse, IdentityAndRowExchange) {
  ConsoleCapture out;
  double id[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  EXPECT_EQ(inv(3, id, 3), 1.0);
  for (int i = 0; i < 9; i++) EXPECT_EQ(id[i], (i % 4 == 0) ? 1.0 : 0.0);
  double swap[4] = {0, 1, 1, 0};
  EXPECT_EQ(inv(2, swap, 2), -1.0);
  EXPECT_EQ(swap[0], 0.0);
  EXPECT_EQ(swap[1], 1.0);
  EXPECT_EQ(swap[2], 1.0);
  EXPECT_EQ(swap[3], 0.0);
  EXPECT_EQ(out.text(), "");
}

TEST(Inverse, ZeroFirstColumnReportsAndLeavesMatrix) {
  ConsoleCapture out;
  double a[9] = {0, 1, 2, 0, 3, 4, 0, 5, 7};
  const double before[9] = {0, 1, 2, 0, 3, 4, 0, 5, 7};
  EXPECT_EQ(inv(3, a, 3), 0.0);
  EXPECT_EQ(out.text(), "\n0 row =   0.000e+00, no inverse");
  for (int i = 0; i < 9; i++) EXPECT_EQ(a[i], before[i]);
}

TEST(Inverse, TiesKeepEarlierRowAndSignFollowsPermutation) {
  // column 0 holds two equal largest entries: the earlier row (0) stays the
  // pivot, so the negligible pivot of column 1 is reported for input row 1
  ConsoleCapture out;
  double a[4] = {1, 2, 1, 2};
  EXPECT_EQ(inv(2, a, 2), 0.0);
  EXPECT_EQ(out.text(), "\n1 row =   0.000e+00, no inverse");
  double b[4] = {-1, 2, 1, 2}; // equal magnitudes of opposite sign: still row 0
  out.clear();
  EXPECT_EQ(inv(2, b, 2), 0.0 + (-1.0 * 2.0 - 2.0 * 1.0));
  EXPECT_EQ(out.text(), "");

  // determinant sign through a three-cycle of rows: det = +1 * product
  double cyc[9] = {0, 0, 2, 3, 0, 0, 0, 5, 0};
  EXPECT_DOUBLE_EQ(inv(3, cyc, 3), 30.0);
  EXPECT_DOUBLE_EQ(cyc[0 * 3 + 1], 1.0 / 3.0);
  EXPECT_DOUBLE_EQ(cyc[1 * 3 + 2], 1.0 / 5.0);
  EXPECT_DOUBLE_EQ(cyc[2 * 3 + 0], 1.0 / 2.0);
}

TEST(Inverse, SmallDeterminantLeavesMatrixSilently) {
  ConsoleCapture out;
  double a[9] = {1e-3, 0, 0, 0, 1e-3, 0, 0, 0, 0.1};
  const double det = inv(3, a, 3);
  EXPECT_NEAR(det, 1e-7, 1e-20);
  EXPECT_EQ(a[0], 1e-3);
  EXPECT_EQ(a[4], 1e-3);
  EXPECT_EQ(a[8], 0.1);
  EXPECT_EQ(out.text(), "");
}

TEST(Inverse, SixBySixTimesInverseIsIdentity) {
  double a[36], b[36];
  for (int i = 0; i < 6; i++)
    for (int j = 0; j < 6; j++)
      a[i * 6 + j] = std::sin(1.0 + i * 7 + j * 3) + ((i == (j + 2) % 6) ? 3.0 : 0.0);
  for (int i = 0; i < 36; i++) b[i] = a[i];
  const double det = inv(6, b, 6);
  ASSERT_GT(std::fabs(det), 1e-6);
  double c[36];
  for (int i = 0; i < 36; i++) c[i] = a[i];
  EXPECT_DOUBLE_EQ(InvAlloc(6, c, 6), det);
  for (int i = 0; i < 6; i++)
    for (int j = 0; j < 6; j++) {
      double sum = 0.0;
      for (int k = 0; k < 6; k++) sum += a[i * 6 + k] * b[k * 6 + j];
      EXPECT_NEAR(sum, i == j ? 1.0 : 0.0, 1e-12);
      EXPECT_EQ(b[i * 6 + j], c[i * 6 + j]); // both storage kinds agree exactly
    }
}

TEST(Inverse, NanPivotCountsAsNegligible) {
  ConsoleCapture out;
  double a[4] = {NAN, 1, 1, 0};
  EXPECT_EQ(inv(2, a, 2), 0.0);
  EXPECT_NE(out.text().find("no inverse"), std::string::npos);
}

TEST(Inverse, RowStrideLargerThanOrder) {
  double a[2 * 3] = {2, 0, 99, 0, 4, 99};
  EXPECT_DOUBLE_EQ(inv(2, a, 3), 8.0);
  EXPECT_DOUBLE_EQ(a[0], 0.5);
  EXPECT_DOUBLE_EQ(a[4], 0.25);
  EXPECT_EQ(a[2], 99.0); // padding untouched
}

} // namespace
} // namespace gs
