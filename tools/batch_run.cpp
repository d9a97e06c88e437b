#include "tools/batch_run.h"

#include <cmath>

#include "app/console_capture.h"
#include "app/constants.h"
#include "app/keyboard.h"
#include "app/sequence.h"
#include "app/trace.h"
#include "geom/vecmat.h"
#include "hand/kinematics.h"

namespace gs {

namespace {

// Most key presses replayed one by one; beyond, the angle is a product
// (a hundred full turns, far past any pose of interest).
constexpr double kMaxReplayedPresses = 4000.0;

constexpr unsigned char kKeyStep = 's'; // action key of the contact and statics modes
// the keys of one whole grasp: both contacts, then the statics
constexpr unsigned char kSolveKeys[] = {'A', kKeyStep, kKeyStep, 'S', kKeyStep};

void StartRun(BatchRun *run) {
  InitModelState(&run->state);
  StartUp(&run->state);
  run->messages.clear();
  run->exited = 0;
}

// Sets the hand pose and the work of a started model, then runs the
// kinematics and the reset as a key of mode H or W would.
void SetPoseAndWork(GraspState *s, double al, double bet, const double *rwG, double aSph) {
  s->alHand = al;
  s->betHand = bet;
  CopyVec3(rwG, s->rwG);
  s->aSph = aSph;
  HandKinematics(s, s->alHand, s->betHand);
  InitGraspState(s);
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

int RunKeys(BatchRun *run, const std::string &keys) {
  StartRun(run);
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

int RunSolve(BatchRun *run, double al, double bet, const double *rwG, double aSph) {
  StartRun(run);
  ConsoleCapture console;
  GraspState *s = &run->state;
  SetPoseAndWork(s, al, bet, rwG, aSph);
  for (const unsigned char key : kSolveKeys) ApplyKey(run, key);
  run->messages = console.Lines();
  return s->cntContact;
}

int SolveGrasp(GraspState *s, const GraspState *start, double al, double bet, const double *rwG,
               double aSph) {
  *s = *start;
  SetPoseAndWork(s, al, bet, rwG, aSph);
  for (const unsigned char key : kSolveKeys) KeyboardInterpret(s, key, nullptr, nullptr);
  return s->cntContact;
}

} // namespace gs
