#include "tools/batch_run.h"

#include "app/console_capture.h"
#include "app/keyboard.h"
#include "app/sequence.h"
#include "app/trace.h"
#include "geom/vecmat.h"
#include "hand/kinematics.h"

namespace gs {

namespace {

void StartRun(BatchRun *run) {
  InitModelState(&run->state);
  StartUp(&run->state);
  run->messages.clear();
  run->exited = 0;
}

// Applies one key; returns kKeyExit when it ends the run.
int ApplyKey(BatchRun *run, unsigned char key) {
  return KeyboardInterpret(&run->state, key, nullptr, nullptr);
}

} // namespace

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
  s->alHand = al;
  s->betHand = bet;
  CopyVec3(rwG, s->rwG);
  s->aSph = aSph;
  HandKinematics(s, s->alHand, s->betHand);
  InitGraspState(s);
  for (const unsigned char key : {'A', 's', 's', 'S', 's'}) ApplyKey(run, key);
  run->messages = console.Lines();
  return s->cntContact;
}

} // namespace gs
