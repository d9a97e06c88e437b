#include "statics/statics.h"

#include <cmath>

#include "geom/vecmat.h"
#include "graspstat/constants.h"
#include "graspstat/trace.h"
#include "statics/line_statics.h"
#include "statics/norm_statics.h"
#include "statics/statics_result.h"
#include "statics/xy_statics.h"
#include "statics/yz_statics.h"

namespace gs {

namespace {

// Contact geometry about the work centre that the case tests read.
struct StaticsGeometry {
  Vec3 RCW[3];             // contact points from the work centre
  Vec3 P1, P2, P3;         // RCW[1] x RCW[2], RCW[1] x nc[1], RCW[2] x nc[2]
  int sgnP1, sgnP2, sgnP3; // 1 when that product is longer than EPS4 (then made unit)
};

// Makes v a unit vector when it is longer than EPS4; returns 1 then, else 0
// (v left as it is).
int UnitIfLong(double *v) {
  const double len = NormVec3(v);
  if (!(len > EPS4)) return 0;
  for (int i = 0; i < 3; i++) v[i] /= len;
  return 1;
}

void DeriveGeometry(const Vec3 *RC, const Vec3 *nc, const double *RW, StaticsGeometry *g) {
  CopyVec3(zeroVec, g->RCW[0]);
  for (int k = 1; k <= 2; k++) SubVec3(RC[k], RW, g->RCW[k]);
  CrossVec3(g->RCW[1], g->RCW[2], g->P1);
  g->sgnP1 = UnitIfLong(g->P1);
  CrossVec3(g->RCW[1], nc[1], g->P2);
  g->sgnP2 = UnitIfLong(g->P2);
  CrossVec3(g->RCW[2], nc[2], g->P3);
  g->sgnP3 = UnitIfLong(g->P3);
}

int CaseOf(const StaticsGeometry &g, const Vec3 *nc) {
  if (g.sgnP1 == 0 && g.sgnP2 == 0 && g.sgnP3 == 0) return kCaseSP3;
  if (std::fabs(g.RCW[1][2]) < EPS4 && std::fabs(g.RCW[2][2]) < EPS4 &&
      std::fabs(nc[1][2]) < EPS4 && std::fabs(nc[2][2]) < EPS4)
    return kCaseSP1;
  if (std::fabs(g.P1[2]) < EPS5 && std::fabs(g.P2[2]) < EPS5 && std::fabs(g.P3[2]) < EPS5)
    return kCaseSP2;
  return kCaseNorm;
}

void TraceGeometry(const GraspState *s, const double *RW, const StaticsGeometry &g) {
  ConsolePrintf("\n■----------VeskStatics()始め----------------------------------------■");
  TraceVec("\n  RW[]=", 0, RW);
  for (int k = 1; k <= 2; k++) {
    ConsolePrintf("\n  k=%d", k);
    TraceVec("\n  RC[%d]=", k, s->RC[k]);
    TraceVec("\n  nc[%d]=", k, s->nc[k]);
    TraceVec("\n  RCW[%d]=", k, g.RCW[k]);
    if (std::fabs(std::fabs(s->nc[k][2]) - 1.0) > EPS4) {
      ConsolePrintf("\n  nc[z]/sqrt(nc[x,y])=%7.4f", s->nc[k][2] / HorizontalLength(s->nc[k]));
      ConsolePrintf("  RCW[z]/sqrt(RCW[x,y])=%7.4f", g.RCW[k][2] / HorizontalLength(g.RCW[k]));
    }
  }
  PauseKey();
  TraceVec("\n  P1[]=", 0, g.P1);
  ConsolePrintf("  sgnP1=%d", g.sgnP1);
  TraceVec("\n  P2[]=", 0, g.P2);
  ConsolePrintf("  sgnP2=%d", g.sgnP2);
  TraceVec("\n  P3[]=", 0, g.P3);
  ConsolePrintf("  sgnP3=%d", g.sgnP3);
}

// Case line and banner of the solver about to run.
void TraceCase(const GraspState *s, const double *RW, int statCase) {
  static const char *const found[] = {
      "", "\n  RCW[1,2][z]=0, nc[1,2][z]=0 → SP1:全ベクトルXY面内へ", "\n → SP2:全ベクトルYZ面内",
      "\n → SP3:全ベクトル一直線へ", "\n → Norm:通常計算へ"};
  static const char *const banner[] = {
      "", "\n■SP1:------------------XYStatics() ------------------------------■",
      "\n■SP2:------------------YZStatics() ---------------------------------■",
      "\n■SP3:全ベクトルが一直線------------VeskLineStatics() --------------------■",
      "\n■Norm:------------------FinVeskGraspStatics() ---------------------------■"};
  ConsolePrintf("%s", found[statCase]);
  PauseKey();
  ConsolePrintf("%s", banner[statCase]);
  TraceVec("\n  RW[]=", 0, RW);
  for (int k = 1; k <= 2; k++) {
    TraceVec("\n  RC[%d]=", k, s->RC[k]);
    TraceVec("  nc[%d]=", k, s->nc[k]);
  }
  PauseKey();
}

} // namespace

int ClassifyStatics(const Vec3 *RC, const Vec3 *nc, const double *RW) {
  StaticsGeometry g;
  DeriveGeometry(RC, nc, RW, &g);
  return CaseOf(g, nc);
}

int VeskStatics(GraspState *s) {
  const int trace = TraceLevel(kTraceStatics);
  s->staticsCase = kCaseNone;
  s->staticsSubCase = kSubNone;
  s->normCandidate = 0;

  Vec3 RW;
  CopyVec3(s->rwG, RW);
  for (int k = 1; k <= 2; k++) CopyVec3(s->NW[k], s->nc[k]);
  if (trace > 0) {
    StaticsGeometry g;
    DeriveGeometry(s->RC, s->nc, RW, &g);
    TraceGeometry(s, RW, g);
  }
  const int statCase = ClassifyStatics(s->RC, s->nc, RW);
  s->staticsCase = statCase;
  if (trace > 0) TraceCase(s, RW, statCase);

  // the solvers work with the finger normals, which point into the work
  switch (statCase) {
  case kCaseSP3:
    return VeskLineStatics(s, s->RC, s->NF, RW, kCaseLoad, s->FCZ, s->FC, s->tc, s->TCF, s->TC,
                           s->MCZ, s->MC);
  case kCaseSP1:
    return VeskXYStatics(s, s->RC, s->NF, RW, kCaseLoad, s->FCZ, s->FC, s->tc, s->TCF, s->TC,
                         s->MCZ, s->MC);
  case kCaseSP2:
    return VeskYZStatics(s, s->RC, s->NF, RW, kCaseLoad, s->FCZ, s->FC, s->tc, s->TCF, s->TC,
                         s->MCZ, s->MC);
  default:
    return VeskNormStatics(s, s->RC, s->NF, RW, kCaseLoad, s->FCZ, s->FC, s->tc, s->TCF, s->TC,
                           s->MCZ, s->MC);
  }
}

} // namespace gs
