// Hand orientation, finger base frames and joints, link frames and
// fingertip positions, the reachability check and the hand-pose banner text.
#pragma once

#include "graspstat/state.h"

namespace gs {

// Computes the hand frame EA (and EAt), the palm point, both finger joints
// and base frames, and the pose banner for the angles al, bet (rad);
// returns 1.
int HandKinematics(GraspState *s, double al, double bet);

// out = Rx(al) Ry(bet); also sets s->rPalm = out rPalmA.
void HandRotation(GraspState *s, double al, double bet, double (*out)[3]);

// Recomputes the link frame and link end of finger n (2 = finger 2, any other
// value finger 1) for the joint angle row[1]; returns 1.
int FingerLinkKinematics(GraspState *s, int n, const double *row);

// Returns 1 when both joints are within reach of the work and outside it and
// the work centre is not behind the palm face, else 0.
int CheckGraspExec(const GraspState *s);

// Writes "(P,Q)=(a,b)(deg)\n" with the hand angles in whole degrees into
// s->handPoseText; returns its length, line feed included.
int MakeHandPoseText(GraspState *s);

// Writes the integer part of x as decimal text (a leading '-' when negative,
// at most four digit places, 'x' for a thousands value of 10 or more);
// returns the number of characters written.
int IntToText(double x, char *buf);

// Returns '0' + d for d in 0..9, else 'x'.
char DigitChar(int d);

} // namespace gs
