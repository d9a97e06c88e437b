#include "contact/sphere_contact.h"

#include "contact/link_contact.h"
#include "contact/tip_contact.h"
#include "geom/vecmat.h"
#include "graspstat/constants.h"
#include "graspstat/trace.h"

namespace gs {

namespace {

// Moves a finger-frame result back into the fixed frame.
void ToFixedFrame(const double (*Es)[3], const double *rJ, const double *RCm, const double *NFm,
                  const double *NWm, double *RC, double *NF, double *NW) {
  MulMatVec3(Es, RCm, RC);
  AddVec3(RC, rJ, RC);
  MulMatVec3(Es, NFm, NF);
  MulMatVec3(Es, NWm, NW);
}

void TraceResult(int second, const double (*Es)[3], const double *rJ, const double *RCm,
                 const double *NFm, const double *NWm, const double *RC, const double *NF,
                 const double *NW) {
  ConsolePrintf("\n  rJ[1]=");
  PrintVec(0, 2, rJ);
  if (!second) {
    ConsolePrintf("\n  Es1[1]=");
    PrintMat3(9, Es);
  }
  // each result in the finger frame, then in the fixed frame
  const char *const labels[3] = {"\n  RC[]=", "\n  NF[]=", "\n  NW[]="};
  const double *local[3] = {RCm, NFm, NWm};
  const double *fixed[3] = {RC, NF, NW};
  for (int i = 0; i < 3; i++) {
    ConsolePrintf("%s", labels[i]);
    PrintVec(0, 2, local[i]);
    ConsolePrintf("→");
    PrintVec(0, 2, fixed[i]);
  }
  PauseUntilKey('c');
}

} // namespace

int VeskSphereContanct(GraspState *s, int nFin, const double *RwG, double aw, double *qc, double *L,
                       double *RC, double *NF, double *NW) {
  const int trace = TraceLevel(kTraceSphereContact);
  const int second = (nFin == 2);
  const double(*Es)[3] = second ? s->Es2 : s->Es1;
  const double *rJ = second ? s->rJ2[1] : s->rJ1[1];

  if (trace > 0) {
    ConsolePrintf("\n△-------VeskSphereContanct()始め nFin=%d-----------------------△", nFin);
    ConsolePrintf(second ? "\n△----第2指:指リンクの接触計算(指座標Σm上)始め----"
                         : "\n△----第1指:指リンクの接触計算(指座標Σm上)始め----");
    ConsolePrintf("\n  rJ[1]=");
    PrintVec(0, 2, rJ);
  }

  // work centre in the finger frame
  Vec3 rel;
  SubVec3(RwG, rJ, rel);
  MulMatTVec3(Es, rel, s->RWG);
  if (trace > 0) {
    ConsolePrintf("\n  RwG[] =");
    PrintVec(0, 2, RwG);
    ConsolePrintf("\n→RWG[] =");
    PrintVec(0, 2, s->RWG);
    ConsolePrintf("  aw=%5.2f", aw);
  }

  // the normals start at zero so that a failed link calculation reports
  // defined (zero) normals rather than whatever the stack held
  double q = 0.0, Lm = 0.0;
  Vec3 RCm = {0, 0, 0}, NFm = {0, 0, 0}, NWm = {0, 0, 0};
  int sol = VeskLinkSphereContact(s, s->RWG, aw, &q, &Lm, RCm, NFm, NWm);
  if (trace > 0) {
    ConsolePrintf(second ? "\n△第2指 LinkSphereContact()の解  sol=%d"
                         : "\n△第1指 LinkSphereContact()の解  sol=%d",
                  sol);
    if (sol != kLinkOnLink) ConsolePrintf("\n　リンク上の接触点なし→指先接触計算へ");
  }
  *qc = q;
  *L = Lm;
  ToFixedFrame(Es, rJ, RCm, NFm, NWm, RC, NF, NW);
  if (sol == kLinkNone) return 0;

  if (Lm <= lFin) {
    if (trace > 0) {
      ConsolePrintf(second ? "\n△---------第2指リンク接触解()(ΣA) sol=%d---------------△"
                           : "\n△--------第1指:指リンクの接触計算(ΣA) sol=%d------------△",
                    sol);
      ConsolePrintf(second ? "\n  q2=%7.4f L2=%7.4f lFin=%5.2f"
                           : "\n  q1=%7.4f L1=%7.4f lFin=%5.2f",
                    q, Lm, lFin);
      TraceResult(second, Es, rJ, RCm, NFm, NWm, RC, NF, NW);
    }
    return sol;
  }

  // the link would touch beyond its end: try the fingertip sphere
  if (trace > 0 && !second) ConsolePrintf("\n△----第1指:指先球の接触計算(指座標Σm上)始め----");
  sol = TipSphereContact(s->RWG, aw, &q, RCm, NFm, NWm);
  if (trace > 0) {
    ConsolePrintf(second ? "\n△第2指 TipSphereContact()の解  sol=%d"
                         : "\n△第1指 TipSphereContact()の解  sol=%d",
                  sol);
    if (sol != 1) ConsolePrintf("\n　指先の接触点なし→解なし");
  }
  if (sol != 1) return 0; // the extended-link result stays in the outputs

  *qc = q;
  *L = lFin;
  ToFixedFrame(Es, rJ, RCm, NFm, NWm, RC, NF, NW);
  if (trace > 0) {
    ConsolePrintf(second ? "\n△-----------第2指先球接触解()(ΣA) sol=%d----------------△"
                         : "\n△---------第1指指先球の接触計算(ΣA) sol=%d------------△",
                  sol);
    ConsolePrintf(second ? "\n  q2=%7.4f *LL1=%7.4f lFin=%5.2f"
                         : "\n  q1=%7.4f L1=%7.4f lFin=%5.2f",
                  q, lFin, lFin);
    TraceResult(second, Es, rJ, RCm, NFm, NWm, RC, NF, NW);
  }
  return 1;
}

} // namespace gs
