#include "view/view_geometry.h"

#include <cmath>

#include "geom/vecmat.h"
#include "graspstat/constants.h"
#include "view/view_constants.h"

namespace gs {

double ViewScale(double x) {
  return x * kViewScaleNum / kViewScaleDen;
}

void DirAngles(const double *d, double *ang) {
  ang[0] = std::atan2(d[1], d[0]);
  ang[1] = std::atan2(std::sqrt(d[0] * d[0] + d[1] * d[1]), d[2]);
  ang[2] = 0.0;
}

void ArcAxes(const double *ang, double *ex, double *ey) {
  const double ca = std::cos(ang[0]), sa = std::sin(ang[0]);
  const double cb = std::cos(ang[1]), sb = std::sin(ang[1]);
  const double cg = std::cos(ang[2]), sg = std::sin(ang[2]);
  ex[0] = ca * cb * cg - sa * sg;
  ex[1] = sa * cb * cg + ca * sg;
  ex[2] = -sb * cg;
  ey[0] = -ca * cb * sg - sa * cg;
  ey[1] = -sa * cb * sg + ca * cg;
  ey[2] = sb * sg;
}

void CirclePoint(const double *ctr, double R, double t, const double *ex, const double *ey,
                 double *out) {
  const double c = std::cos(t), s = std::sin(t);
  for (int i = 0; i < 3; i++) out[i] = ctr[i] + R * (c * ex[i] + s * ey[i]);
}

namespace {

// out = p + k d
void Along(const double *p, double k, const double *d, double *out) {
  for (int i = 0; i < 3; i++) out[i] = p[i] + k * d[i];
}

} // namespace

void PlainArrowShape(const double *p, const double *d, double len, ArrowShape *out) {
  const double h = std::sqrt(len);
  CopyVec3(p, out->lineFrom);
  Along(p, len, d, out->lineTo);
  out->lineWidth = kArrowLineWidth;
  Along(out->lineTo, -h, d, out->headBase);
  CopyVec3(out->lineTo, out->headApex);
  out->headRadius = 0.5 * h;
}

void PushArrowShape(const double *p, const double *d, double F, ArrowShape *out) {
  const double L = kForceLengthFactor * std::sqrt(F);
  CopyVec3(p, out->lineFrom);
  Along(p, L - kPushHeadLength, d, out->lineTo);
  out->lineWidth = kPushLineWidth;
  Along(out->lineTo, -kPushHeadLength, d, out->headBase);
  CopyVec3(out->lineTo, out->headApex);
  out->headRadius = kPushHeadRadius;
}

void PullArrowShape(const double *p, const double *d, double F, ArrowShape *out) {
  const double L = kForceLengthFactor * std::sqrt(F);
  Vec3 a;
  Along(p, -kPullGap, d, a);
  Along(a, -L, d, out->lineFrom);
  CopyVec3(a, out->lineTo);
  out->lineWidth = kPullLineWidth;
  Along(p, -kPullHeadBack, d, out->headBase);
  Along(p, kPullHeadAhead, d, out->headApex);
  out->headRadius = kPullHeadRadius;
}

void MomentArcHead(MomentShape *m) {
  Vec3 ex, ey;
  ArcAxes(m->ang, ex, ey);
  const double b = m->width;
  if (m->sense == 'N') {
    // head at the start of the arc, pointing back against the turn
    CirclePoint(m->ctr, m->R, 0.0, ex, ey, m->headBase);
    Along(m->headBase, -2.0 * b, ey, m->headApex);
    return;
  }
  if (m->sense == 'P') {
    // head at the end of the arc, pointing on along the tangent there
    Vec3 g;
    for (int i = 0; i < 3; i++) g[i] = std::cos(m->arc) * ey[i] - std::sin(m->arc) * ex[i];
    CirclePoint(m->ctr, m->R, m->arc, ex, ey, m->headBase);
    Along(m->headBase, 2.0 * b, g, m->headApex);
  }
}

void MomentSymbolShape(const double *p, const double *n, double m, MomentShape *out) {
  Along(p, -kMomentOffset, n, out->ctr);
  out->sense = (m >= 0.0) ? 'P' : 'N';
  DirAngles(n, out->ang);
  out->R = kMomentRadiusFactor * std::sqrt(std::fabs(m));
  out->arc = kMomentArc;
  out->width = kMomentWidth;
  MomentArcHead(out);
}

int StaticsSymbols(const GraspState *s, ForceSymbol *out) {
  int count = 0;
  // the required force, drawn as a load pushing down from the bottom of the work
  ForceSymbol &load = out[count++];
  load.kind = kSymbolPush;
  load.p[0] = s->rwG[0];
  load.p[1] = s->rwG[1];
  load.p[2] = s->rwG[2] - s->aSph;
  NegVec3(eZ, load.d);
  load.value = std::fabs(kCaseLoad[2]);
  // a verdict reached without two contacts carries no contact forces
  if (s->cntContact < 2) return count;

  for (int k = 1; k <= 2; k++) {
    ForceSymbol &normal = out[count++];
    normal.kind = kSymbolPull;
    CopyVec3(s->RC[k], normal.p);
    CopyVec3(s->NF[k], normal.d);
    normal.value = std::fabs(s->FCZ[k]);

    ForceSymbol &friction = out[count++];
    friction.kind = kSymbolPush;
    CopyVec3(s->RC[k], friction.p);
    if (s->TCF[k] >= 0.0) {
      CopyVec3(s->tc[k], friction.d);
    } else {
      NegVec3(s->tc[k], friction.d);
    }
    friction.value = std::fabs(s->TCF[k]);

    const double m = std::fabs(s->MCZ[k]);
    if (m >= kMomentThreshold) {
      ForceSymbol &moment = out[count++];
      moment.kind = kSymbolMoment;
      CopyVec3(s->RC[k], moment.p);
      CopyVec3(s->NF[k], moment.d);
      moment.value = (s->MCZ[k] / m) * std::sqrt(m);
    }
  }
  return count;
}

} // namespace gs
