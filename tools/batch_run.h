// Headless runs of the tool for scripted study: the key interpreter fed from
// a string, or one whole grasp (contacts of both fingers, then the statics)
// for a given hand pose and work. Console text is collected, not printed.
#pragma once

#include <string>
#include <vector>

#include "model/model_state.h"

namespace gs {

// Hand angle in radians of an angle given in degrees, at the window's rate
// of one hand-pose key press (kHandStep) per kHandStepDegrees: N whole key
// presses' worth of degrees gives the very angle N presses from zero leave,
// summed press by press as the keys do. Returns the angle in radians.
double HandDegreesToRad(double degrees);

// One headless run: the model it leaves and what it observed on the way.
struct BatchRun {
  GraspState state;                  // the model as the run left it
  std::vector<std::string> messages; // console lines printed, empty lines dropped
  int exited;                        // 1 when ESC in view mode ended the run
};

// Starts up with *model as the exact check's model, then feeds keys to the
// key interpreter one by one, stopping at ESC in view mode. Returns 1 when
// ESC ended the run, else 0.
int RunKeys(BatchRun *run, const std::string &keys, const ExactModel *model = &kDefaultExactModel);

// Starts up with *model as the exact check's model, then runs the grasp
// steps of one pose (SolvePose): the hand pose (al, bet, rad), the work
// centre rwG and radius aSph, both contacts and the statics. Returns the
// number of contacts found.
int RunSolve(BatchRun *run, double al, double bet, const double *rwG, double aSph,
             const ExactModel *model = &kDefaultExactModel);

// The grasp of RunSolve computed in place, for sweeps: copies the started
// model *start into *s and runs SolvePose on it. Console text goes to the
// calling thread's sink. Returns the number of contacts found.
int SolveGrasp(GraspState *s, const GraspState *start, double al, double bet, const double *rwG,
               double aSph);

} // namespace gs
