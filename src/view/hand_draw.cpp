#include "view/hand_draw.h"

#include <cmath>

#include "geom/vecmat.h"
#include "graspstat/constants.h"
#include "view/primitives.h"
#include "view/view_constants.h"
#include "view/view_geometry.h"

namespace gs {

void DrawPalm(const GraspState *s, const float *colour) {
  double ang[3];
  EulerZYZ(s->EAt[0], s->EAt[1], s->EAt[2], ang);
  const double half[3] = {-wHand / 2.0, -tHand / 2.0, -dHand / 2.0};
  Vec3 corner;
  MulMatVec3(s->EA, half, corner);
  DrawSphere(s->rPalm, kPalmMarkerRadius, kYellow);
  DrawBox(ang, corner, wHand, tHand, dHand, colour);
}

namespace {

// Draws finger n in its link frame; blended selects the statics variant.
void DrawFingerVariant(const GraspState *s, int n, const float *colour, bool blended) {
  if (n != 1 && n != 2) return;
  const Vec3 *rJ = (n == 2) ? s->rJ2 : s->rJ1;
  const double(*EL)[3] = (n == 2) ? s->EL2 : s->EL1;
  const double(*ELt)[3] = (n == 2) ? s->EL2t : s->EL1t;
  if (blended) {
    DrawLinkBlend(rJ[1], rJ[2], aF, kDarkBlue);
  } else {
    DrawLink(rJ[1], rJ[2], aF, kBlue);
  }
  DrawLinkOutline(rJ[1], rJ[2], ELt[0], ELt[1], aF);
  DrawJoint(rJ[1], EL, wJnt, aJnt, (n == 1) ? kBlue : colour);
  DrawArrow(rJ[1], ELt[2], kJointArrowLength, kBlack);
}

} // namespace

void DrawFinger(const GraspState *s, int n, const float *colour) {
  DrawFingerVariant(s, n, colour, false);
}

void DrawFingerStatics(const GraspState *s, int n, const float *colour) {
  DrawFingerVariant(s, n, colour, true);
}

void DrawHand(const GraspState *s, const float *palmColour) {
  DrawPalm(s, palmColour);
  DrawFinger(s, 1, kDarkBlue);
  DrawFinger(s, 2, kDarkBlue);
}

void DrawHandStatics(const GraspState *s, const float *palmColour) {
  DrawPalm(s, palmColour);
  DrawFingerStatics(s, 1, kDarkBlue);
  DrawFingerStatics(s, 2, kDarkBlue);
}

void DrawLink(const double *p1, const double *p2, double r, const float *colour) {
  DrawCylinder(p1, p2, r, colour);
  DrawSphere(p2, r, colour);
}

void DrawLinkBlend(const double *p1, const double *p2, double r, const float *colour) {
  DrawCylinderBlend(p1, p2, r, colour);
  DrawSphereBlend(p2, r, colour);
}

void DrawLinkOutline(const double *p1, const double *p2, const double *u, const double *v,
                     double r) {
  Vec3 d, e;
  double ang[3];
  SubVec3(p2, p1, d);
  UnitVec3(d, e);
  DirAngles(e, ang);
  DrawCircle(ang, p1, r, kBlack);
  DrawCircle(ang, p2, r, kBlack);
  for (int i = 0; i < kOutlineLines; i++) {
    const double t = i * kFullTurn / static_cast<double>(kOutlineLines);
    Vec3 q1, q2;
    for (int j = 0; j < 3; j++) {
      const double off = r * (std::cos(t) * u[j] + std::sin(t) * v[j]);
      q1[j] = p1[j] + off;
      q2[j] = p2[j] + off;
    }
    DrawLine(q1, q2, kOutlineWidth, kBlack);
    DrawLine(p1, q1, kOutlineWidth, kBlack);
    DrawLine(p2, q2, kOutlineWidth, kBlack);
  }
}

void DrawJoint(const double *p, const double (*el)[3], double w, double r, const float *colour) {
  Vec3 a1, a2;
  for (int i = 0; i < 3; i++) {
    a1[i] = p[i] - (w / 2.0) * el[i][2];
    a2[i] = p[i] + (w / 2.0) * el[i][2];
  }
  DrawCylinder(a1, a2, r, colour);
}

} // namespace gs
