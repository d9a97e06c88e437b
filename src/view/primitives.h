// The drawing primitives every 3D shape of the scene is made of: line,
// sphere, disc, circle, arc, cylinder, cone, box and arrow. Geometry comes in
// model units and is scaled to scene units here; colours are RGBA float[4].
// Lit shapes set only the ambient material of both faces; unlit ones switch
// lighting off around their drawing.
#pragma once

#include "geom/vecmat.h"
#include "view/view_geometry.h"

namespace gs {

// Unlit segment p1-p2 of line width 100 w pixels.
void DrawLine(const double *p1, const double *p2, double w, const float *colour);

// Lit solid sphere of radius r (20 slices, 20 stacks) centred at ctr.
void DrawSphere(const double *ctr, double r, const float *colour);

// DrawSphere blended over the frame and without depth writes.
void DrawSphereBlend(const double *ctr, double r, const float *colour);

// Lit filled disc of radius r at ctr, facing the direction (ang[0], ang[1]).
void DrawDisc(const double *ang, const double *ctr, double r, const float *colour);

// Unlit circle outline (line width 2) placed as DrawDisc places its disc.
void DrawCircle(const double *ang, const double *ctr, double r, const float *colour);

// Unlit arc of radius R about ctr from angle 0 to arc in the plane of the
// first two columns of Rz(ang[0]) Ry(ang[1]) Rz(ang[2]), line width w.
void DrawArc(const double *ang, const double *ctr, double R, double arc, double w,
             const float *colour);

// Lit closed cylinder of radius r from p1 to p2 (side strip and two end discs).
void DrawCylinder(const double *p1, const double *p2, double r, const float *colour);

// DrawCylinder blended and without depth writes, end discs included.
void DrawCylinderBlend(const double *p1, const double *p2, double r, const float *colour);

// Lit cone of base radius r from the base centre to the apex, with its base
// disc; the sides use whatever normal the GL holds.
void DrawCone(const double *base, const double *apex, double r, const float *colour);

// Unlit box with edges sx, sy, sz along the axes of the Z-Y-Z angles ang,
// one corner at corner.
void DrawBox(const double *ang, const double *corner, double sx, double sy, double sz,
             const float *colour);

// Arrow from p along the unit vector d, total length len, head sqrt(len) long.
void DrawArrow(const double *p, const double *d, double len, const float *colour);

// The shaft line, then the cone head, of the arrow a.
void DrawArrowShape(const ArrowShape &a, const float *colour);

} // namespace gs
