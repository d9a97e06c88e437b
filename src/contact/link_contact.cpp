#include "contact/link_contact.h"

#include <cmath>

#include "geom/vecmat.h"

#include "graspstat/constants.h"
#include "graspstat/trace.h"

namespace gs {

int VeskLinkSphereContact(const GraspState *s, const double *RWG, double aw, double *qc, double *L,
                          double *RC, double *NF, double *NW) {
  const int trace = TraceLevel(kTraceLinkContact);
  // cleared first, so every no-solution return leaves these two defined
  *qc = 0.0;
  CopyVec3(zeroVec, RC);

  if (trace > 0) {
    ConsolePrintf("\n▲--------------VeskLinkSphereContact()始め nFin=%d----------------▲", s->nFin);
    ConsolePrintf("\n  rJ1[1]=");
    PrintVec(0, 2, s->rJ1[1]);
    ConsolePrintf("  aF=%5.2f lFin=%5.2f aw=%5.2f", aF, lFin, aw);
    ConsolePrintf("\n  rJ2[1]=");
    PrintVec(0, 2, s->rJ2[1]);
    ConsolePrintf("\n  rwG[]=");
    PrintVec(0, 2, s->rwG);
    ConsolePrintf("\n  RWG[]=");
    PrintVec(0, 2, RWG);
  }

  // squared axis distance to the point whose distance from the work centre is
  // aw + aF; negative when the inflated work reaches the joint (palm)
  const double LS = DotVec3(RWG, RWG) - (aw + aF) * (aw + aF);
  if (!(LS >= 0.0)) { // NaN counts as no solution too
    if (trace > 0) ConsolePrintf("\n▲ LS=%11.4e<0→球は掌に食い込んでいる", LS);
    return kLinkNone;
  }
  const double Lc = std::sqrt(LS);

  // the axis at angle q touches the inflated work when RWG.mm(q) = L
  const double al = std::atan2(RWG[1], RWG[0]);
  const double rho = std::sqrt(RWG[0] * RWG[0] + RWG[1] * RWG[1]);
  const double D = Lc / rho;
  if (trace > 0)
    ConsolePrintf("\n▲ L=%7.4f A=RWx=%7.4f B=RWy=%7.4f C=%7.4f D=%7.4f", Lc, RWG[0], RWG[1], Lc, D);
  // D > 1: the centre is too far out of the link plane. A centre on the joint
  // axis (rho = 0) gives D infinite, or 0/0 when L = 0 too: no defined angle.
  if (!(D <= 1.0) || rho == 0.0) {
    if (trace > 0) ConsolePrintf("\n D<0→解なし");
    return kLinkNone;
  }

  const double psi = std::acos(D);
  const double q1 = al + psi;
  const double q2 = al - psi;
  if (trace > 0) {
    ConsolePrintf("\n▲ al=%7.4f bet=%7.4f q1=%7.4f q2=%7.4f", al, psi, q1, q2);
    PauseKey();
  }

  // the first positive turn toward the work; 0 when neither is positive
  double q = 0.0;
  if (q1 > 0 && q2 < 0) {
    q = q1;
  } else if (q1 < 0 && q2 > 0) {
    q = q2;
  } else if (q1 > 0 && q2 > 0) {
    q = (q1 > q2) ? q2 : q1;
  }

  const Vec3 mm = {std::cos(q), std::sin(q), 0.0};
  Vec3 Ac, nw, nf, rc;
  for (int i = 0; i < 3; i++) Ac[i] = Lc * mm[i];
  SubVec3(Ac, RWG, nw);
  UnitVec3(nw, nw);
  NegVec3(nw, nf);
  for (int i = 0; i < 3; i++) rc[i] = Ac[i] + aF * nf[i];

  // overflowing inputs (huge coordinates or radius) end here rather than in
  // a contact made of infinities
  if (!std::isfinite(q) || !std::isfinite(Lc) || !Finite3(rc) || !Finite3(nw)) return kLinkNone;

  int sol = kLinkFarBeyond;
  if (Lc <= lFin) {
    sol = kLinkOnLink;
  } else if (Lc <= lFin + aF) {
    sol = kLinkNearTip;
  } else if (Lc <= 2.0 * lFin) {
    sol = kLinkBeyond;
  } else if (Lc <= 2.0 * lFin + aF) {
    sol = kLinkFarNear;
  }

  *qc = q;
  *L = Lc;
  CopyVec3(nw, NW);
  CopyVec3(nf, NF);
  CopyVec3(rc, RC);

  if (trace > 0) {
    ConsolePrintf("\n▲--------VeskLinkSphereContact()解(Σm) nFin=%d sol=%d-------------▲", s->nFin,
                  sol);
    ConsolePrintf("\n  q1=%7.4f q2=%7.4f→qc=%7.4f L=%7.4f(lf=%5.2f)", q1, q2, q, Lc, lFin);
    ConsolePrintf("\n  RWG[]=");
    PrintVec(0, 2, RWG);
    ConsolePrintf("  |RW[]|=%7.4f", NormVec3(RWG));
    ConsolePrintf("\n  mm[]=");
    PrintVec(0, 2, mm);
    ConsolePrintf("  NW[]=");
    PrintVec(0, 2, nw);
    ConsolePrintf("  (mm,NW)=%11.3e", DotVec3(mm, nw));
    ConsolePrintf("\n  Ac[]=");
    PrintVec(0, 2, Ac);
    ConsolePrintf(" |RC-Ac|=%7.4f aF=%5.2f", DistVecN(0, 2, rc, Ac), aF);
    ConsolePrintf("\n  確認----Ac[]+L*mm[],  RC[]=Ac[]+aF*NF[]-------");
    ConsolePrintf("\n  RC[]=");
    PrintVec(0, 2, rc);
    ConsolePrintf(" |RC-RWG|=%7.4f aS=%5.2f", DistVecN(0, 2, rc, RWG), s->aSph);
    ConsolePrintf("\n  RWG[]=");
    PrintVec(0, 2, RWG);
    ConsolePrintf(" |Ac-RWG|=%7.4f aF+aS=%5.2f", DistVecN(0, 2, Ac, RWG), aF + s->aSph);
    if (sol != kLinkOnLink) ConsolePrintf("\n  接触点はリンクの外");
    ConsolePrintf("\n▲--------------VeskLinkSphereContact() end----------------------▲");
    PauseKey();
  }
  return sol;
}

} // namespace gs
