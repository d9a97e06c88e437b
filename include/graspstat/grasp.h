// The grasp of the hand as a caller drives it: the start-up of the model, one
// whole grasp (contacts of both fingers, the statics, the exact check) for a
// given hand pose and work, and the headless run that collects its console
// text instead of printing it.
#pragma once

#include <string>
#include <vector>

#include "graspstat/state.h"

namespace gs {

// Runs the start-up steps (view, pose, kinematics, work, reachability, mode A,
// reset) on a freshly initialised record; returns 1.
int StartUp(GraspState *s);

// Sets the hand pose (al, bet; rad) and the work (centre rwG, radius aSph)
// of a started record, then runs both contact steps in mode A and the statics
// step in mode S, leaving the record as the keys A, s, s, S, s leave it.
// Returns the number of contacts found (0, 1 or 2).
int SolvePose(GraspState *s, double al, double bet, const double *rwG, double aSph);

// The exact check of two contacts given from elsewhere on the work sphere
// (centre rwG, radius aSph): points RC[k] and unit finger normals NF[k] into
// the work, k = 1, 2, under the model *m; with a hand pose hand = (al, bet)
// (rad; nullptr: none) the palm test runs and the joint torques refer to it.
// Console text of the steps is dropped. Returns out->verdict.
int CheckGivenContacts(const Vec3 *RC, const Vec3 *NF, const double *rwG, double aSph,
                       const double *hand, const ExactModel *m, ExactCheck *out);

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

// Initialises run->state (InitModelState, StartUp), puts *model in as the
// exact check's model and clears the messages; returns 1.
int StartRun(BatchRun *run, const ExactModel *model);

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
