#include "contact/tip_contact.h"

#include <cmath>

#include "geom/vecmat.h"
#include "graspstat/constants.h"
#include "graspstat/trace.h"

namespace gs {

int SolveCosSin(double a, double b, double c, double *q) {
  q[0] = q[1] = 0.0;
  const double r = std::sqrt(a * a + b * b);
  if (!(std::fabs(c) <= r)) return 0; // no real root (NaN included)
  if (r == 0.0) return 2;             // a = b = c = 0: every angle; report 0
  const double ratio = -c / r;
  if (!std::isfinite(ratio)) return 0; // infinite coefficients
  const double phi = std::atan2(b, a);
  const double psi = std::acos(ratio);
  q[0] = phi + psi;
  q[1] = phi - psi;
  for (int i = 0; i < 2; i++) {
    if (q[i] > kPiWrap) q[i] -= kTwoPiWrap;
    if (q[i] < -kPiWrap) q[i] += kTwoPiWrap;
  }
  return 2;
}

int TipSphereContact(const double *RWG, double aw, double *qc, double *RC, double *NF, double *NW) {
  const int trace = TraceLevel(kTraceTipContact);
  // |rcf(q) - RWG| = aw + aF with rcf(q) = lFin (cos q, sin q, 0)
  const double A = -2.0 * lFin * RWG[0];
  const double B = -2.0 * lFin * RWG[1];
  const double C = DotVec3(RWG, RWG) + lFin * lFin - (aw + aF) * (aw + aF);
  double qk[2];
  const int solq = SolveCosSin(A, B, C, qk);
  if (trace > 0) {
    ConsolePrintf("\n□--------TipSphereContanct()-----------解 solq=%d-------", solq);
    if (solq > 0) ConsolePrintf("\n  qk[]=(%6.4f %7.4f)", qk[0], qk[1]);
  }
  if (solq == 0) {
    if (trace > 0) ConsolePrintf("\n →指先は球に届かない.解なし");
    *qc = kFullTurn; // no-reach marker
    return 0;
  }

  // the smaller root, unless it turns the finger back beyond -pi/2
  const double qa = (qk[0] <= qk[1]) ? qk[0] : qk[1];
  const double qb = (qk[0] <= qk[1]) ? qk[1] : qk[0];
  const double q = (qa < -kHalfPi) ? qb : qa;

  const Vec3 rcf = {lFin * std::cos(q), lFin * std::sin(q), 0.0};
  Vec3 nw, nf, rc;
  SubVec3(rcf, RWG, nw);
  UnitVec3(nw, nw);
  NegVec3(nw, nf);
  for (int i = 0; i < 3; i++) rc[i] = rcf[i] - aF * nw[i];
  *qc = q;
  CopyVec3(nw, NW);
  CopyVec3(nf, NF);
  CopyVec3(rc, RC);

  if (trace > 0) {
    ConsolePrintf("\n□--------TipSphereCont()解 sol=1-----------------------------□");
    ConsolePrintf("\n  qk[]=[%6.3f %6.3f]→qc=%7.4f", qk[0], qk[1], q);
    ConsolePrintf("\n  RWG[]=");
    PrintVec(0, 2, RWG);
    ConsolePrintf("  aw=%6.3f lFin=%5.2f", aw, lFin);
    ConsolePrintf("\n  rcf[]=");
    PrintVec(0, 2, rcf);
    ConsolePrintf("  NW[]=");
    PrintVec(0, 2, nw);
    ConsolePrintf("\n  RC[]=");
    PrintVec(0, 2, rc);
    ConsolePrintf(" |RC-RWG|=%6.3f", DistVecN(0, 2, rc, RWG));
    ConsolePrintf(" |RC-rcf|=%6.3f", DistVecN(0, 2, rc, rcf));
    ConsolePrintf("\n (A,B,C)=(%7.4f %7.4f %7.4f) qc=%7.4f", A, B, C, q);
    PauseUntilKey('c');
  }
  return 1;
}

} // namespace gs
