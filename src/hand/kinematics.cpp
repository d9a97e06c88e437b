#include "hand/kinematics.h"

#include <climits>

#include "geom/vecmat.h"
#include "graspstat/constants.h"

namespace gs {

namespace {

// joint positions in the hand frame
constexpr double kJoint1[3] = {0.0, 0.0, -wHand / 2.0};
constexpr double kJoint2[3] = {0.0, 0.0, wHand / 2.0};
// base-frame offsets: Ry(+90 deg) for finger 1, Ry(-90 deg) for finger 2
constexpr double kR1[3][3] = {{0.0, 0.0, 1.0}, {0.0, 1.0, 0.0}, {-1.0, 0.0, 0.0}};
constexpr double kR2[3][3] = {{0.0, 0.0, -1.0}, {0.0, 1.0, 0.0}, {1.0, 0.0, 0.0}};

} // namespace

void HandRotation(GraspState *s, double al, double bet, double (*out)[3]) {
  Mat3 rx, ry;
  RotX3(al, rx);
  RotY3(bet, ry);
  MulMat3(rx, ry, out);
  MulMatVec3(out, rPalmA, s->rPalm);
}

int HandKinematics(GraspState *s, double al, double bet) {
  CopyVec3(zeroVec, s->rJ1[0]);
  CopyVec3(zeroVec, s->rJ2[0]);
  HandRotation(s, al, bet, s->EA);
  MakeHandPoseText(s);
  TransMat3(s->EA, s->EAt);
  MulMatVec3(s->EA, kJoint1, s->rBase1);
  CopyVec3(s->rBase1, s->rJ1[1]);
  MulMatVec3(s->EA, kJoint2, s->rBase2);
  CopyVec3(s->rBase2, s->rJ2[1]);
  MulMat3(s->EA, kR1, s->Es1);
  TransMat3(s->Es1, s->Es1t);
  MulMat3(s->EA, kR2, s->Es2);
  TransMat3(s->Es2, s->Es2t);
  return 1;
}

int FingerLinkKinematics(GraspState *s, int n, const double *row) {
  const double q = row[1];
  const bool second = (n == 2);
  double(*Es)[3] = second ? s->Es2 : s->Es1;
  double(*EL)[3] = second ? s->EL2 : s->EL1;
  double(*ELt)[3] = second ? s->EL2t : s->EL1t;
  const double *rBase = second ? s->rBase2 : s->rBase1;
  Vec3 *rJ = second ? s->rJ2 : s->rJ1;

  MulMatRotZ3(Es, q, EL);
  TransMat3(EL, ELt);
  CopyVec3(rBase, rJ[1]);
  const double link[3] = {lFin, 0.0, 0.0};
  Vec3 tip;
  MulMatVec3(EL, link, tip);
  AddVec3(rJ[1], tip, rJ[2]);
  return 1;
}

int CheckGraspExec(const GraspState *s) {
  int result = 1;
  const double d1 = DistVecN(0, 2, s->rwG, s->rBase1);
  const double d2 = DistVecN(0, 2, s->rwG, s->rBase2);
  const double reach = s->aSph + lFin;
  // each test is written so that a NaN operand makes it fail
  if (!(d1 <= reach)) result = 0;         // joint 1 within reach of the work
  if (!(d2 <= reach)) result = 0;         // joint 2 within reach
  if (!(d1 - s->aSph >= 0.0)) result = 0; // joint 1 not inside the work
  if (!(d2 - s->aSph >= 0.0)) result = 0; // joint 2 not inside the work
  Vec3 rel;
  SubVec3(s->rwG, s->rPalm, rel);
  if (!(DotVec3(rel, s->EAt[1]) >= 0.0)) result = 0; // not behind the palm face
  return result;
}

char DigitChar(int d) {
  return (d >= 0 && d <= 9) ? static_cast<char>('0' + d) : 'x';
}

int IntToText(double x, char *buf) {
  buf[0] = '+';
  if (x < 0) {
    buf[0] = '-';
    x = -x;
  }
  // truncate toward zero; values beyond int range (or NaN) saturate, which
  // still shows as 'x' in the thousands place
  const int a = (x < static_cast<double>(INT_MAX)) ? static_cast<int>(x) : INT_MAX;
  const int digits[4] = {a / 1000, (a / 100) % 10, (a / 10) % 10, a % 10};
  int count = 0;
  bool leading = true;
  for (int i = 0; i < 4; i++) {
    if (leading && digits[i] == 0 && i < 3) continue;
    leading = false;
    buf[1 + count] = DigitChar(digits[i]);
    count++;
  }
  if (buf[0] == '-') return 1 + count;
  for (int i = 0; i < count; i++) buf[i] = buf[i + 1];
  return count;
}

int MakeHandPoseText(GraspState *s) {
  char *t = s->handPoseText;
  int len = 0;
  for (const char *c = "(P,Q)=("; *c != '\0'; c++) t[len++] = *c;
  len += IntToText(s->alHand * kRadToDeg, t + len);
  t[len++] = ',';
  len += IntToText(s->betHand * kRadToDeg, t + len);
  for (const char *c = ")(deg)\n"; *c != '\0'; c++) t[len++] = *c;
  s->handPoseTextLen = len;
  return len;
}

} // namespace gs
