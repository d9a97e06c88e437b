#include "tools/batch_run.h"

#include "app/keyboard.h"
#include "base/console_capture.h"
#include "grasp/grasp_solve.h"
#include "grasp/start_up.h"

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
