#include "view/scene_draw.h"

#include <GL/glut.h>

#include <cmath>

#include "geom/vecmat.h"
#include "graspstat/constants.h"
#include "view/primitives.h"
#include "view/view_constants.h"
#include "view/view_geometry.h"

namespace gs {

void DrawAxes() {
  glDisable(GL_LIGHTING);
  glLineWidth(static_cast<GLfloat>(kAxisLineWidth));
  glColor4f(kAxisColour[0], kAxisColour[1], kAxisColour[2], kAxisColour[3]);
  glBegin(GL_LINES);
  glVertex3d(0.0, 0.0, 0.0);
  glVertex3d(kAxisLength, 0.0, 0.0);
  glVertex3d(0.0, 0.0, 0.0);
  glVertex3d(0.0, kAxisLength, 0.0);
  glVertex3d(0.0, 0.0, 0.0);
  glVertex3d(0.0, 0.0, kAxisLength);
  glEnd();
  glEnable(GL_LIGHTING);
}

namespace {

// Z-Y-Z angles of the rotation m (its columns are the rotated axes).
void EulerOf(const double (*m)[3], double *ang) {
  Mat3 mt;
  TransMat3(m, mt);
  EulerZYZ(mt[0], mt[1], mt[2], ang);
}

} // namespace

void DrawWorkGlobe(const double *ctr, const double (*ew)[3], double r) {
  // meridians: great circles whose normals ew (cos a, sin a, 0) turn about the pole axis
  static const double kQ[3][3] = {{0.0, 0.0, 1.0}, {1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}};
  Mat3 ewq;
  MulMat3(ew, kQ, ewq);
  for (int i = 0; i < kGlobeMeridians; i++) {
    const double a = i * kDrawPi / kGlobeMeridians;
    Mat3 ry, m;
    double ang[3];
    RotY3(a, ry);
    MulMat3(ewq, ry, m);
    EulerOf(m, ang);
    DrawCircle(ang, ctr, r, kBlack);
  }
  // parallels at -60, -30, 0, 30, 60 degrees of latitude
  double ang[3];
  EulerOf(ew, ang);
  for (int i = 1; i <= kGlobeParallels; i++) {
    const double b = i * kHalfPi / 3.0 - kHalfPi;
    const double up[3] = {0.0, 0.0, r * std::sin(b)};
    Vec3 off, c;
    MulMatVec3(ew, up, off);
    AddVec3(ctr, off, c);
    DrawCircle(ang, c, r * std::cos(b), kBlack);
  }
}

void DrawWork(const double *ctr, const double (*ew)[3], double r) {
  DrawWorkGlobe(ctr, ew, r);
  DrawSphere(ctr, r, kRedClear);
}

void DrawWorkBlend(const double *ctr, const double (*ew)[3], double r) {
  DrawWorkGlobe(ctr, ew, r);
  DrawSphereBlend(ctr, r, kRedClear);
}

void DrawContacts(const GraspState *s) {
  for (int k = 1; k <= s->nFin && k <= 2; k++) {
    DrawSphere(s->RC[k], kContactMarkerRadius, kYellow);
    DrawArrow(s->RC[k], s->NW[k], kContactArrowLength, kYellow);
  }
}

void DrawStaticsForces(const GraspState *s) {
  ForceSymbol sym[kMaxForceSymbols];
  const int n = StaticsSymbols(s, sym);
  DrawForceSymbols(sym, n, kGreen);
}

void DrawForceSymbols(const ForceSymbol *sym, int n, const float *colour) {
  for (int i = 0; i < n; i++) {
    const ForceSymbol &f = sym[i];
    if (f.kind == kSymbolPush) DrawPushArrow(f.p, f.d, f.value, colour);
    if (f.kind == kSymbolPull) DrawPullArrow(f.p, f.d, f.value, colour);
    if (f.kind == kSymbolMoment) DrawMoment(f.p, f.d, f.value, colour);
  }
}

void DrawPushArrow(const double *p, const double *d, double F, const float *colour) {
  ArrowShape a;
  PushArrowShape(p, d, F, &a);
  DrawArrowShape(a, colour);
}

void DrawPullArrow(const double *p, const double *d, double F, const float *colour) {
  ArrowShape a;
  PullArrowShape(p, d, F, &a);
  DrawArrowShape(a, colour);
}

void DrawMoment(const double *p, const double *n, double m, const float *colour) {
  MomentShape shape;
  MomentSymbolShape(p, n, m, &shape);
  DrawMomentArc(shape.sense, shape.ang, shape.ctr, shape.R, shape.arc, shape.width, colour);
}

void DrawMomentArc(char sense, const double *ang, const double *ctr, double R, double arc, double b,
                   const float *colour) {
  DrawArc(ang, ctr, R, arc, b, colour);
  MomentShape shape;
  shape.sense = sense;
  CopyVec3(ang, shape.ang);
  CopyVec3(ctr, shape.ctr);
  shape.R = R;
  shape.arc = arc;
  shape.width = b;
  MomentArcHead(&shape);
  if (sense == 'N' || sense == 'P') DrawCone(shape.headBase, shape.headApex, b, colour);
}

} // namespace gs
