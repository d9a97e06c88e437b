// Contact of a finger's fingertip sphere with the work sphere, in the finger
// frame, where the fingertip centre moves on a circle of radius lFin.
#pragma once

namespace gs {

// Solves a cos q + b sin q + c = 0; writes the two roots, each wrapped into
// [-pi, pi], to q[0] and q[1]. Returns 2 (two roots, possibly equal), or 0
// when there is no real root (q = 0, 0). With a = b = c = 0 every angle is a
// root and the pair (0, 0) is returned.
int SolveCosSin(double a, double b, double c, double *q);

// Finds the joint angle qc at which the fingertip sphere touches the work of
// radius aw centred at RWG (finger frame), with the contact point RC and the
// normals NF (toward the work centre) and NW = -NF. Returns 1 on contact, 0
// when the fingertip cannot reach the work (qc = 6.2831853072, nothing else
// written).
int TipSphereContact(const double *RWG, double aw, double *qc, double *RC, double *NF, double *NW);

} // namespace gs
