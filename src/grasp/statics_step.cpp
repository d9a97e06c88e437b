#include "grasp/statics_step.h"

#include "exact/exact_check.h"
#include "graspstat/trace.h"
#include "statics/statics.h"

namespace gs {

namespace {

void TraceStaticsResult(const GraspState *s, int sol) {
  ConsolePrintf("\n★VeskStatics()  解 sol=%d", sol);
  const char *const labels[6] = {
      "\n  RC[1]=", "  RC[2]=", "\n  nc[1]=", "  nc[2]=", "\n  tc[1]=", "  tc[2]="};
  const double *vecs[6] = {s->RC[1], s->RC[2], s->nc[1], s->nc[2], s->tc[1], s->tc[2]};
  for (int i = 0; i < 6; i++) {
    ConsolePrintf("%s", labels[i]);
    PrintVec(0, 2, vecs[i]);
  }
  ConsolePrintf("\n  FCZ[1]=%6.3f TCF[1]=%6.3f     ", s->FCZ[1], s->TCF[1]);
  ConsolePrintf("  FCZ[2]=%6.3f TCF[2]=%6.3f", s->FCZ[2], s->TCF[2]);
  ConsolePrintf("\n  MCZ[1]=%6.3f                   ", s->MCZ[1]);
  ConsolePrintf("  MCZ[2]=%6.3f", s->MCZ[2]);
  ConsolePrintf(sol == 0 ? " → 安定把握の解なし" : " → 安定把握の解あり");
  ConsolePrintf("\n  StaticsStability=%d sgnStaticsEnd=%d", s->StaticsStability, s->sgnStaticsEnd);
}

} // namespace

int StaticsStep(GraspState *s) {
  int sol = 0;
  s->exact = ExactCheck{};
  if (s->cntContact < 2) {
    // without two contacts there is no grasp to solve: record "no stable
    // grasp" instead of solving on stale or empty contact results
    s->staticsCase = kCaseNone;
    s->staticsSubCase = kSubNone;
    s->normCandidate = 0;
  } else {
    sol = VeskStatics(s);
    // the exact check of the same contacts, once per statics calculation
    ExactGraspCheckModel(s, &s->exactModel, &s->exact);
  }
  s->StaticsStability = (sol != 0) ? 1 : 0;
  s->sgnStaticsEnd = 1;
  if (TraceLevel(kTraceKeyboard) > 0) TraceStaticsResult(s, sol);
  return s->StaticsStability;
}

} // namespace gs
