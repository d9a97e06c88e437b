// The geometry behind the drawing, kept free of any GL call so that it can be
// checked on its own: model-to-scene scaling, the angles that turn a shape's
// local +Z axis onto a direction, points on arcs, the shapes of the force and
// moment symbols, and the list of symbols the statics view shows.
#pragma once

#include "geom/vecmat.h"
#include "graspstat/state.h"

namespace gs {

// Returns the model length or coordinate x in scene units (x * 300 / 15000).
double ViewScale(double x);

// Writes the azimuth ang[0] = atan2(dy, dx) and polar angle
// ang[1] = atan2(sqrt(dx^2 + dy^2), dz) (rad) that turn +Z onto d; ang[2] = 0.
void DirAngles(const double *d, double *ang);

// ex, ey = the first two columns of Rz(ang[0]) Ry(ang[1]) Rz(ang[2]): the
// plane of an arc.
void ArcAxes(const double *ang, double *ex, double *ey);

// out = ctr + R (cos t ex + sin t ey), a point on the circle of ex, ey.
void CirclePoint(const double *ctr, double R, double t, const double *ex, const double *ey,
                 double *out);

// One arrow as the primitives draw it: a shaft line and a cone head.
struct ArrowShape {
  Vec3 lineFrom, lineTo; // shaft (model units)
  double lineWidth;      // DrawLine width argument (pixels / 100)
  Vec3 headBase, headApex;
  double headRadius; // cone base radius (model units)
};

// The plain arrow from p along the unit vector d, length len, head sqrt(len).
void PlainArrowShape(const double *p, const double *d, double len, ArrowShape *out);

// Arrow of force F that starts at p and points along d: length 50 sqrt(F) - 10.
void PushArrowShape(const double *p, const double *d, double F, ArrowShape *out);

// Arrow of force F that points along d at p, its head around p.
void PullArrowShape(const double *p, const double *d, double F, ArrowShape *out);

// A friction-moment symbol: a 270-degree arc about the normal with a cone head.
struct MomentShape {
  char sense;    // 'P' head at the end, counter-clockwise; 'N' head at the start
  double ang[3]; // Z-Y-Z angles of the arc plane (rad)
  Vec3 ctr;      // arc centre (model units)
  double R;      // arc radius (model units)
  double arc;    // arc angle (rad)
  double width;  // arc line width (pixels), also the head radius (model units)
  Vec3 headBase, headApex;
};

// Fills the arc head of a moment symbol whose sense, ang, ctr, R, arc and
// width are already set.
void MomentArcHead(MomentShape *m);

// The symbol of the signed moment m at contact p with finger normal n: arc
// centre 15 behind p, radius 10 sqrt(|m|).
void MomentSymbolShape(const double *p, const double *n, double m, MomentShape *out);

// Kinds of the statics symbols.
enum ForceSymbolKind : int {
  kSymbolPush = 0,   // push arrow: p, d, value = force
  kSymbolPull = 1,   // pull arrow: p, d, value = force
  kSymbolMoment = 2, // moment: p, d = normal, value = signed sqrt-scaled moment
};

// One symbol of the statics view.
struct ForceSymbol {
  int kind; // ForceSymbolKind
  Vec3 p;
  Vec3 d;
  double value;
};

constexpr int kMaxForceSymbols = 7; // load, then 3 per contact

// Lists the statics symbols in drawing order: the load under the work, then
// per contact the normal force, the friction force and (when |MCZ| >= 0.1) the
// friction moment; with fewer than two contacts only the load. Returns the
// number of symbols written to out (at most kMaxForceSymbols).
int StaticsSymbols(const GraspState *s, ForceSymbol *out);

} // namespace gs
