#include "tools/batch_run.h"

#include <cmath>

#include "app/keyboard.h"
#include "base/console_capture.h"
#include "grasp/grasp_solve.h"
#include "grasp/start_up.h"
#include "model/constants.h"

namespace gs {

namespace {

// Most key presses replayed one by one; beyond, the angle is a product
// (a hundred full turns, far past any pose of interest).
constexpr double kMaxReplayedPresses = 4000.0;

void StartRun(BatchRun *run, const ExactModel *model) {
  InitModelState(&run->state);
  StartUp(&run->state);
  run->state.exactModel = *model;
  run->messages.clear();
  run->exited = 0;
}

// Applies one key; returns kKeyExit when it ends the run.
int ApplyKey(BatchRun *run, unsigned char key) {
  return KeyboardInterpret(&run->state, key, nullptr, nullptr);
}

} // namespace

double HandDegreesToRad(double degrees) {
  const double presses = degrees / kHandStepDegrees;
  if (presses != std::trunc(presses) || std::fabs(presses) > kMaxReplayedPresses)
    return presses * kHandStep;
  const double step = (presses < 0.0) ? -kHandStep : kHandStep;
  double angle = 0.0;
  for (double n = std::fabs(presses); n > 0.0; n -= 1.0) angle += step;
  return angle;
}

int RunKeys(BatchRun *run, const std::string &keys, const ExactModel *model) {
  StartRun(run, model);
  ConsoleCapture console;
  for (const char c : keys) {
    if (ApplyKey(run, static_cast<unsigned char>(c)) == kKeyExit) {
      run->exited = 1;
      break;
    }
  }
  run->messages = console.Lines();
  return run->exited;
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

} // namespace gs
