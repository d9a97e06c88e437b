#include "graspstat/grasp.h"

#include <cmath>

#include "exact/exact_check.h"
#include "geom/vecmat.h"
#include "grasp/grasp_solve.h"
#include "grasp/pose_step.h"
#include "grasp/start_up.h"
#include "graspstat/console.h"
#include "graspstat/constants.h"

namespace gs {

namespace {

// Most key presses replayed one by one; beyond, the angle is a product
// (a hundred full turns, far past any pose of interest).
constexpr double kMaxReplayedPresses = 4000.0;

} // namespace

int StartRun(BatchRun *run, const ExactModel *model) {
  InitModelState(&run->state);
  StartUp(&run->state);
  run->state.exactModel = *model;
  run->messages.clear();
  run->exited = 0;
  return 1;
}

double HandDegreesToRad(double degrees) {
  const double presses = degrees / kHandStepDegrees;
  if (presses != std::trunc(presses) || std::fabs(presses) > kMaxReplayedPresses)
    return presses * kHandStep;
  const double step = (presses < 0.0) ? -kHandStep : kHandStep;
  double angle = 0.0;
  for (double n = std::fabs(presses); n > 0.0; n -= 1.0) angle += step;
  return angle;
}

int RunSolve(BatchRun *run, double al, double bet, const double *rwG, double aSph,
             const ExactModel *model) {
  StartRun(run, model);
  ConsoleCapture console;
  const int contacts = SolvePose(&run->state, al, bet, rwG, aSph);
  run->messages = console.Lines();
  return contacts;
}

int SolveGrasp(GraspState *s, const GraspState *start, double al, double bet, const double *rwG,
               double aSph) {
  *s = *start;
  return SolvePose(s, al, bet, rwG, aSph);
}

int CheckGivenContacts(const Vec3 *RC, const Vec3 *NF, const double *rwG, double aSph,
                       const double *hand, const ExactModel *m, ExactCheck *out) {
  ConsoleCapture quiet; // the steps' console text is no part of the answer
  GraspState s;
  InitModelState(&s);
  StartUp(&s);
  if (hand != nullptr) SetPoseAndWork(&s, hand[0], hand[1], rwG, aSph);
  CopyVec3(rwG, s.rwG);
  s.aSph = aSph;
  for (int k = 1; k <= 2; k++) {
    CopyVec3(RC[k], s.RC[k]);
    CopyVec3(NF[k], s.NF[k]);
  }
  *out = ExactCheck{};
  s.exactModel = *m;
  return hand != nullptr ? ExactGraspCheckModel(&s, m, out) : ExactContactsCheck(&s, m, out);
}

} // namespace gs
