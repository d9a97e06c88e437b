#include "view/study_view.h"

#include <cmath>
#include <cstdio>

#include "exact/exact_check.h"
#include "geom/vecmat.h"
#include "graspstat/constants.h"
#include "view/view_constants.h"

namespace gs {

namespace {

constexpr double kDegPerRad = 57.29577951308232; // degrees per radian
constexpr int kBlockingChars = 48;               // the four limit names, comma-separated
constexpr double kTipSlack = 1e-9;               // along-link slack of a fingertip contact (length)
constexpr int kStampChars = 32;                  // "YYYYMMDD-HHMMSS" with room to spare

const char *CaseText(int c) {
  static const char *const names[] = {"none", "SP1", "SP2", "SP3", "Norm"};
  return (c >= kCaseNone && c <= kCaseNorm) ? names[c] : "?";
}

const char *VerdictText(int v) {
  static const char *const names[] = {"none", "holds", "cannot hold", "undecided",
                                      "palm inside work"};
  return (v >= kExactNone && v <= kExactPalmInside) ? names[v] : "?";
}

// Writes the names of the blocking limit bits, comma-separated.
void BlockingText(int bits, char *out, int cap) {
  int used = std::snprintf(out, cap, "%s", bits == 0 ? "none" : "");
  for (int i = 0; i < kExactLimitKinds; i++) {
    int bit = 0;
    const char *name = ExactLimitName(i, &bit);
    if ((bits & bit) == 0 || used >= cap) continue;
    used += std::snprintf(out + used, cap - used, "%s%s", used > 0 ? ", " : "", name);
  }
}

// The ends of finger k's link: joint and fingertip centre.
void LinkEnds(const GraspState *s, int k, const double **joint, const double **tip) {
  const Vec3 *ends = (k == 2) ? s->rJ2 : s->rJ1;
  *joint = ends[1];
  *tip = ends[2];
}

} // namespace

int FingertipContact(const GraspState *s, int k) {
  const double *joint = nullptr;
  const double *tip = nullptr;
  LinkEnds(s, k, &joint, &tip);
  Vec3 link, toContact;
  SubVec3(tip, joint, link);
  SubVec3(s->RC[k], joint, toContact);
  const double len = NormVec3(link);
  if (len <= 0.0) return 0;
  return DotVec3(toContact, link) / len >= len - kTipSlack ? 1 : 0;
}

int PanelLines(const GraspState *s, char (*lines)[kPanelLineChars]) {
  int n = 0;
  const int cap = kPanelLineChars;
  const bool statics = s->sgnStaticsEnd == 1;
  for (int k = 1; k <= 2; k++) {
    const bool touches = k <= s->nFin && s->contactCode[k] == 1;
    std::snprintf(lines[n++], cap, "Finger %d: %s, joint %.2f deg", k,
                  !touches ? "no contact" : (FingertipContact(s, k) ? "fingertip" : "link"),
                  s->qqf[k][1] * kDegPerRad);
    if (statics) {
      std::snprintf(lines[n++], cap, "  FCZ %.4f  TCF %.4f  MCZ %.4f", s->FCZ[k], s->TCF[k],
                    s->MCZ[k]);
    }
  }
  if (statics) {
    std::snprintf(lines[n++], cap, "Case %s, %s", CaseText(s->staticsCase),
                  s->StaticsStability == 1 ? "stable" : "unstable");
  }
  const ExactCheck &e = s->exact;
  if (statics && e.verdict != kExactNone) {
    std::snprintf(lines[n++], cap, "Exact check: %s", VerdictText(e.verdict));
    if (e.verdict == kExactHolds) {
      std::snprintf(lines[n++], cap, "  FCZ %.4f %.4f  |T| %.4f %.4f", e.FCZ[1], e.FCZ[2],
                    NormVec3(e.T[1]), NormVec3(e.T[2]));
      std::snprintf(lines[n++], cap, "  MCZ %.4f %.4f  torque %.4f %.4f", e.MCZ[1], e.MCZ[2],
                    e.jointTorque[1], e.jointTorque[2]);
      std::snprintf(lines[n++], cap, "  margin %.4f", e.margin);
    }
    // the largest multiple of the load that can be held (n/a where the
    // answer turns on less than the decision tolerance)
    if (std::isfinite(e.capacity))
      std::snprintf(lines[n++], cap, "  capacity x%.4f", e.capacity);
    else
      std::snprintf(lines[n++], cap, "  capacity n/a");
    // the Ferrari-Canny epsilon, each force up to the cap and sharing it
    if (e.epsilon.torqueScale > 0.0)
      std::snprintf(lines[n++], cap, "  epsilon %.4f (inf) %.4f (one)", e.epsilon.inf.value,
                    e.epsilon.one.value);
    if (e.verdict == kExactCannotHold) {
      char blocking[kBlockingChars];
      BlockingText(e.blocking, blocking, kBlockingChars);
      std::snprintf(lines[n++], cap, "  blocking: %s", blocking);
    }
    if (e.reason != nullptr) std::snprintf(lines[n++], cap, "  why: %s", e.reason);
  }
  std::snprintf(lines[n++], cap, "Hand P %.2f Q %.2f deg", s->alHand * kDegPerRad,
                s->betHand * kDegPerRad);
  std::snprintf(lines[n++], cap, "Work (%.2f, %.2f, %.2f) r %.2f", s->rwG[0], s->rwG[1], s->rwG[2],
                s->aSph);
  return n;
}

int ExactSymbols(const GraspState *s, ForceSymbol *out) {
  // the load as the case solver's view draws it
  int count = StaticsSymbols(s, out) > 0 ? 1 : 0;
  const ExactCheck &e = s->exact;
  if (s->sgnStaticsEnd != 1 || e.verdict != kExactHolds) return count;
  for (int k = 1; k <= 2; k++) {
    ForceSymbol &normal = out[count++];
    normal.kind = kSymbolPull;
    CopyVec3(s->RC[k], normal.p);
    CopyVec3(s->NF[k], normal.d);
    normal.value = std::fabs(e.FCZ[k]);

    const double t = NormVec3(e.T[k]);
    ForceSymbol &friction = out[count++];
    friction.kind = kSymbolPush;
    CopyVec3(s->RC[k], friction.p);
    if (t > 0.0) {
      ScaleVec3(1.0 / t, e.T[k], friction.d);
    } else {
      CopyVec3(s->NW[k], friction.d);
    }
    friction.value = t;

    const double m = std::fabs(e.MCZ[k]);
    if (m >= kMomentThreshold) {
      ForceSymbol &moment = out[count++];
      moment.kind = kSymbolMoment;
      CopyVec3(s->RC[k], moment.p);
      CopyVec3(s->NF[k], moment.d);
      moment.value = (e.MCZ[k] / m) * std::sqrt(m);
    }
  }
  return count;
}

void ExactForcesLine(const GraspState *s, char *line, int cap) {
  const ExactCheck &e = s->exact;
  if (s->sgnStaticsEnd != 1 || e.verdict == kExactNone) {
    std::snprintf(line, cap, "Forces: exact check (no statics yet)");
  } else if (e.verdict == kExactHolds) {
    std::snprintf(line, cap, "Forces: exact check, least total normal force");
  } else {
    std::snprintf(line, cap, "Forces: none, the exact check says %s", VerdictText(e.verdict));
  }
}

void MoveAlongView(GraspState *s, double steps) {
  // scene point p shows at M (p + t), M = Rx Ry Rz of the view angles: a shift
  // d along the world direction u toward the eye is t += M^T u d
  Mat3 rx, ry, rz, rxy, m;
  RotX3(s->viewRot[0] * radPerDeg, rx);
  RotY3(s->viewRot[1] * radPerDeg, ry);
  RotZ3(s->viewRot[2] * radPerDeg, rz);
  MulMat3(rx, ry, rxy);
  MulMat3(rxy, rz, m);
  const Vec3 eye = {rEye * std::cos(thEye), rEye * std::sin(thEye), zEye};
  Vec3 toEye, local;
  UnitVec3(eye, toEye);
  MulMatTVec3(m, toEye, local);
  for (int i = 0; i < 3; i++) s->viewTrans[i] += local[i] * steps * kViewTransStep;
}

void DragView(GraspState *s, int button, int dx, int dy) {
  if (button == kDragTurn) {
    s->viewRot[2] += dx * kViewRotStep;
    s->viewRot[0] += dy * kViewRotStep;
  } else if (button == kDragMove) {
    MoveAlongView(s, -dy);
  }
}

void RestoreStartView(GraspState *s) {
  CopyVec3(kStartViewRot, s->viewRot);
  CopyVec3(kStartViewTrans, s->viewTrans);
}

int ScreenshotName(std::time_t t, int seq, char *name, int cap) {
  std::tm local{};
  if (localtime_r(&t, &local) == nullptr) return -1;
  char stamp[kStampChars];
  if (std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local) == 0) return -1;
  const int n = seq <= 1 ? std::snprintf(name, cap, "graspstat-%s.png", stamp)
                         : std::snprintf(name, cap, "graspstat-%s-%d.png", stamp, seq);
  return (n > 0 && n < cap) ? 0 : -1;
}

} // namespace gs
