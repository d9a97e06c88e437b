#include "statics/statics_result.h"

#include <cmath>

#include "geom/inverse.h"
#include "geom/vecmat.h"
#include "graspstat/trace.h"

namespace gs {

double HorizontalLength(const double *v) {
  return std::sqrt(v[0] * v[0] + v[1] * v[1]);
}

void StaticsBalanceResidual(const Vec3 *RC, const double *RW, const double *FEX, const Vec3 *FC,
                            const Vec3 *TC, const Vec3 *MC, double *force, double *moment) {
  Vec3 F, M = {0.0, 0.0, 0.0};
  NegVec3(FEX, F);
  for (int k = 1; k <= 2; k++) {
    Vec3 rcw, f, m;
    SubVec3(RC[k], RW, rcw);
    AddVec3(FC[k], TC[k], f);
    CrossVec3(rcw, f, m);
    AddVec3(F, f, F);
    AddVec3(M, m, M);
    AddVec3(M, MC[k], M);
  }
  *force = NormVec3(F);
  *moment = NormVec3(M);
}

void ComposeContactForces(const Vec3 *n, const double *FCZ, Vec3 *FC, const Vec3 *tc,
                          const double *TCF, Vec3 *TC, const double *MCZ, Vec3 *MC) {
  for (int k = 1; k <= 2; k++) {
    ScaleVec3(FCZ[k], n[k], FC[k]);
    ScaleVec3(TCF[k], tc[k], TC[k]);
    ScaleVec3(MCZ[k], n[k], MC[k]);
  }
}

void ReportFrictionPositive(double *TCF, Vec3 *tc) {
  for (int k = 1; k <= 2; k++) {
    if (TCF[k] < 0.0) {
      TCF[k] = -TCF[k];
      NegVec3(tc[k], tc[k]);
    }
  }
}

int StaticsResultsFinite(const double *FCZ, const Vec3 *FC, const Vec3 *tc, const double *TCF,
                         const Vec3 *TC, const double *MCZ, const Vec3 *MC) {
  for (int k = 1; k <= 2; k++) {
    if (!std::isfinite(FCZ[k]) || !std::isfinite(TCF[k]) || !std::isfinite(MCZ[k])) return 0;
    for (int i = 0; i < 3; i++) {
      if (!std::isfinite(FC[k][i]) || !std::isfinite(tc[k][i]) || !std::isfinite(TC[k][i]) ||
          !std::isfinite(MC[k][i]))
        return 0;
    }
  }
  return 1;
}

int InverseFailed(double det) {
  return (std::fabs(det) > kInvDetFloor) ? 0 : 1;
}

void TraceVec(const char *label, int k, const double *v) {
  ConsolePrintf(label, k);
  PrintVec(0, 2, v);
}

void TraceContactVectors(const Vec3 *nc, const Vec3 *tc, const Vec3 *FC, const Vec3 *TC) {
  const Vec3 *vectors[4] = {nc, tc, FC, TC};
  const char *names[4] = {"nc", "tc", "FC", "TC"};
  for (int i = 0; i < 4; i++) {
    ConsolePrintf("\n  %s[1][]=", names[i]);
    PrintVec(0, 2, vectors[i][1]);
    ConsolePrintf("  %s[2][]=", names[i]);
    PrintVec(0, 2, vectors[i][2]);
  }
}

int SetStaticsVerdict(GraspState *s, int stable) {
  s->StaticsStability = stable;
  s->sgnStaticsEnd = 2;
  return stable;
}

} // namespace gs
