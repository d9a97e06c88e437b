// Everything in the scene that is not the hand: the scene axes, the work
// sphere with its wire globe, the contact markers while the grasp is being
// computed, and the load, contact forces and friction moments of the statics.
#pragma once

#include "graspstat/state.h"
#include "view/view_geometry.h"

namespace gs {

// Three black axes from the scene origin, 10 scene units long.
void DrawAxes();

// The globe (6 meridians, 5 parallels) of the sphere at ctr with
// orientation ew and radius r.
void DrawWorkGlobe(const double *ctr, const double (*ew)[3], double r);

// The opaque work sphere with its globe.
void DrawWork(const double *ctr, const double (*ew)[3], double r);

// The work sphere with its globe, blended and without depth writes.
void DrawWorkBlend(const double *ctr, const double (*ew)[3], double r);

// A yellow marker and work-normal arrow at the contact of every finger
// computed so far (1 .. nFin).
void DrawContacts(const GraspState *s);

// The load under the work and, after a solve with two contacts, the normal
// force, friction force and friction moment at each contact.
void DrawStaticsForces(const GraspState *s);

// The first n symbols of sym in one colour, in order.
void DrawForceSymbols(const ForceSymbol *sym, int n, const float *colour);

// Arrow of force F that starts at p and points along the unit vector d.
void DrawPushArrow(const double *p, const double *d, double F, const float *colour);

// Arrow of force F that points along the unit vector d at p.
void DrawPullArrow(const double *p, const double *d, double F, const float *colour);

// Symbol of the signed moment m about the normal n at the point p.
void DrawMoment(const double *p, const double *n, double m, const float *colour);

// Arc of radius R and angle arc about ctr in the plane given by ang, with its
// cone head (size b) at the end for sense 'P' or at the start for 'N'.
void DrawMomentArc(char sense, const double *ang, const double *ctr, double R, double arc, double b,
                   const float *colour);

} // namespace gs
