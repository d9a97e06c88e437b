#include "view/primitives.h"

#include <GL/glut.h>

#include <cmath>

#include "geom/vecmat.h"
#include "view/view_constants.h"
#include "view/view_geometry.h"

namespace gs {

namespace {

void Material(const float *colour) {
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, colour);
}

void TranslateScaled(const double *p) {
  glTranslated(ViewScale(p[0]), ViewScale(p[1]), ViewScale(p[2]));
}

// Turns the local +Z axis onto the direction of azimuth ang[0], polar ang[1].
void RotateDir(const double *ang) {
  glRotated(ang[0] / radPerDeg, 0.0, 0.0, 1.0);
  glRotated(ang[1] / radPerDeg, 0.0, 1.0, 0.0);
}

// Shapes drawn after this blend over the frame and leave the depth buffer alone.
void BeginBlend() {
  glEnable(GL_BLEND);
  glDepthMask(GL_FALSE);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void EndBlend() {
  glDepthMask(GL_TRUE);
  glDisable(GL_BLEND);
}

// The nDiv vertices of a circle of scene radius rs in the local XY plane.
void CircleVertices(double rs) {
  for (int i = 0; i < nDiv; i++) {
    const double t = i * 2.0 * kDrawPi / nDiv;
    glVertex3d(rs * std::cos(t), rs * std::sin(t), 0.0);
  }
}

// Sets the material and pushes a local frame at the scaled p1 whose +Z axis
// runs toward p2; writes the direction angles of p2 - p1, the scene radius rs
// of r and the scene length ls of the segment.
void BeginAxialShape(const double *p1, const double *p2, double r, const float *colour, double *ang,
                     double *rs, double *ls) {
  Vec3 d;
  SubVec3(p2, p1, d);
  DirAngles(d, ang);
  *rs = ViewScale(r);
  *ls = ViewScale(NormVec3(d));
  Material(colour);
  glPushMatrix();
  TranslateScaled(p1);
  RotateDir(ang);
}

} // namespace

void DrawLine(const double *p1, const double *p2, double w, const float *colour) {
  glDisable(GL_LIGHTING);
  glColor4d(colour[0], colour[1], colour[2], colour[3]);
  glLineWidth(static_cast<GLfloat>(kLineWidthFactor * w));
  glBegin(GL_LINES);
  glVertex3d(ViewScale(p1[0]), ViewScale(p1[1]), ViewScale(p1[2]));
  glVertex3d(ViewScale(p2[0]), ViewScale(p2[1]), ViewScale(p2[2]));
  glEnd();
  glEnable(GL_LIGHTING);
}

void DrawSphere(const double *ctr, double r, const float *colour) {
  Material(colour);
  glPushMatrix();
  TranslateScaled(ctr);
  glutSolidSphere(ViewScale(r), 20, 20);
  glPopMatrix();
}

void DrawSphereBlend(const double *ctr, double r, const float *colour) {
  BeginBlend();
  DrawSphere(ctr, r, colour);
  EndBlend();
}

void DrawDisc(const double *ang, const double *ctr, double r, const float *colour) {
  Material(colour);
  glPushMatrix();
  TranslateScaled(ctr);
  RotateDir(ang);
  glNormal3f(0.0f, 0.0f, 1.0f);
  glBegin(GL_POLYGON);
  CircleVertices(ViewScale(r));
  glEnd();
  glPopMatrix();
}

void DrawCircle(const double *ang, const double *ctr, double r, const float *colour) {
  glDisable(GL_LIGHTING);
  glColor4f(colour[0], colour[1], colour[2], colour[3]);
  glLineWidth(static_cast<GLfloat>(kCircleLineWidth));
  glPushMatrix();
  TranslateScaled(ctr);
  RotateDir(ang);
  glNormal3f(0.0f, 0.0f, 1.0f);
  glBegin(GL_LINE_LOOP);
  CircleVertices(ViewScale(r));
  glEnd();
  glPopMatrix();
  glEnable(GL_LIGHTING);
}

void DrawArc(const double *ang, const double *ctr, double R, double arc, double w,
             const float *colour) {
  Vec3 ex, ey, q;
  ArcAxes(ang, ex, ey);
  glDisable(GL_LIGHTING);
  glColor4f(colour[0], colour[1], colour[2], colour[3]);
  glLineWidth(static_cast<GLfloat>(w));
  glBegin(GL_LINE_STRIP);
  for (int i = 0; i <= nDiv; i++) {
    CirclePoint(ctr, R, i * arc / nDiv, ex, ey, q);
    glVertex3d(ViewScale(q[0]), ViewScale(q[1]), ViewScale(q[2]));
  }
  glEnd();
  glEnable(GL_LIGHTING);
}

void DrawCylinder(const double *p1, const double *p2, double r, const float *colour) {
  double ang[3], rs, ls;
  BeginAxialShape(p1, p2, r, colour, ang, &rs, &ls);
  glBegin(GL_QUAD_STRIP);
  for (int i = 0; i <= nDiv; i++) {
    const double t = i * 2.0 * kDrawPi / nDiv;
    const double c = std::cos(t), s = std::sin(t);
    glNormal3f(static_cast<GLfloat>(c), static_cast<GLfloat>(s), 0.0f);
    glVertex3d(rs * c, rs * s, 0.0);
    glVertex3d(rs * c, rs * s, ls);
  }
  glEnd();
  glPopMatrix();
  DrawDisc(ang, p1, r, colour);
  DrawDisc(ang, p2, r, colour);
}

void DrawCylinderBlend(const double *p1, const double *p2, double r, const float *colour) {
  BeginBlend();
  DrawCylinder(p1, p2, r, colour);
  EndBlend();
}

void DrawCone(const double *base, const double *apex, double r, const float *colour) {
  double ang[3], rs, ls;
  BeginAxialShape(base, apex, r, colour, ang, &rs, &ls);
  glBegin(GL_TRIANGLES);
  double px = rs, py = 0.0; // previous rim point; the first triangle is degenerate
  for (int i = 0; i <= nDiv; i++) {
    const double t = i * 2.0 * kDrawPi / nDiv;
    const double x = rs * std::cos(t), y = rs * std::sin(t);
    glVertex3d(px, py, 0.0);
    glVertex3d(x, y, 0.0);
    glVertex3d(0.0, 0.0, ls);
    px = x;
    py = y;
  }
  glEnd();
  glPopMatrix();
  DrawDisc(ang, base, r, colour);
}

void DrawBox(const double *ang, const double *corner, double sx, double sy, double sz,
             const float *colour) {
  const double x = ViewScale(sx), y = ViewScale(sy), z = ViewScale(sz);
  const double B[8][3] = {{0, 0, 0}, {x, 0, 0}, {x, y, 0}, {0, y, 0},
                          {0, 0, z}, {x, 0, z}, {x, y, z}, {0, y, z}};
  static const int kFaces[6][4] = {{0, 1, 2, 3}, {1, 5, 6, 2}, {5, 4, 7, 6},
                                   {4, 0, 3, 7}, {4, 5, 1, 0}, {3, 2, 6, 7}};
  glDisable(GL_LIGHTING);
  Material(colour);
  glColor4f(colour[0], colour[1], colour[2], colour[3]);
  glPushMatrix();
  TranslateScaled(corner);
  glRotated(ang[0] / radPerDeg, 0.0, 0.0, 1.0);
  glRotated(ang[1] / radPerDeg, 0.0, 1.0, 0.0);
  glRotated(ang[2] / radPerDeg, 0.0, 0.0, 1.0);
  glBegin(GL_QUADS);
  for (const auto &face : kFaces)
    for (int corner_index : face) glVertex3dv(B[corner_index]);
  glEnd();
  glPopMatrix();
  glEnable(GL_LIGHTING);
}

void DrawArrow(const double *p, const double *d, double len, const float *colour) {
  ArrowShape a;
  PlainArrowShape(p, d, len, &a);
  DrawArrowShape(a, colour);
}

void DrawArrowShape(const ArrowShape &a, const float *colour) {
  DrawLine(a.lineFrom, a.lineTo, a.lineWidth, colour);
  DrawCone(a.headBase, a.headApex, a.headRadius, colour);
}

} // namespace gs
