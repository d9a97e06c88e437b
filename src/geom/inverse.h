// In-place inverse of a small dense square matrix by LU factorisation with
// partial pivoting kept in a row-index vector (rows are never moved).
#pragma once

namespace gs {

constexpr int kInvMaxOrder = 6;          // largest order solved in fixed storage
constexpr double kInvPivotFloor = 1e-16; // a pivot below this in magnitude is negligible
constexpr double kInvDetFloor = 1e-6;    // the inverse is written only when |det| exceeds this

// Inverts the n x n matrix a (row stride lda) in place; returns its
// determinant. a is overwritten only when |det| > 1e-6; on a negligible pivot
// it prints "\n<row> row = <pivot>, no inverse", returns 0.0 and leaves a as
// it was. Orders up to 6 use fixed storage; larger ones allocate and end the
// process with status 1 after "memory overflow\n" when that fails.
double inv(int n, double *a, int lda);

// The factorisation step of inv: copies a (row stride lda) into s (n*n),
// factorises it with the row-index vector r and returns the determinant, or
// prints the no-inverse line and returns 0.0 on a negligible pivot; q and p
// (n each) are scratch. s and r then hold the factors for InvSolveColumn.
double InvFactor(int n, const double *a, int lda, double *s, int *r, int *q, int *p);

// Column j of the inverse from the factors of InvFactor, written to
// x[k * stride] for k = 0..n-1 with exactly the operations inv uses.
void InvSolveColumn(int n, const double *s, const int *r, int j, double *x, int stride);

// The same inverse with work storage allocated and released on every call;
// kept to measure what the fixed storage saves.
double InvAlloc(int n, double *a, int lda);

} // namespace gs
