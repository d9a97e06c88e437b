// The two-finger hand in the scene: the palm box with its reference marker,
// and per finger the link with its fingertip sphere, a wire outline, the
// joint drum and the joint-axis arrow. The statics variant draws the links
// blended and without depth writes so that the forces show over them.
#pragma once

#include "graspstat/state.h"

namespace gs {

// Palm, then finger 1 and finger 2 as the kinematics of the model placed
// them; palmColour is RGBA.
void DrawHand(const GraspState *s, const float *palmColour);

// DrawHand with blended finger links.
void DrawHandStatics(const GraspState *s, const float *palmColour);

// The palm box turned by the hand frame s->EA, with the yellow marker at its
// reference point s->rPalm.
void DrawPalm(const GraspState *s, const float *colour);

// Finger n (1 or 2; others draw nothing) in its link frame: link, outline,
// drum (finger 2 in colour) and joint arrow.
void DrawFinger(const GraspState *s, int n, const float *colour);

// DrawFinger with the link blended in dark blue.
void DrawFingerStatics(const GraspState *s, int n, const float *colour);

// Link cylinder of radius r from p1 to p2 and the fingertip sphere at p2.
void DrawLink(const double *p1, const double *p2, double r, const float *colour);

// DrawLink blended and without depth writes.
void DrawLinkBlend(const double *p1, const double *p2, double r, const float *colour);

// Black wire outline of the link p1-p2 of radius r: end circles, and twelve
// spokes and side lines in the plane of u (along the link) and v.
void DrawLinkOutline(const double *p1, const double *p2, const double *u, const double *v,
                     double r);

// Drum of length w and radius r centred at p along the third column of el.
void DrawJoint(const double *p, const double (*el)[3], double w, double r, const float *colour);

} // namespace gs
