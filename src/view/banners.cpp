#include "view/banners.h"

#include <cmath>
#include <cstdio>

namespace gs {

const char kHelpLines[kHelpRows][kHelpRowChars] = {
    "'I' : (x,X) (y,Y) (z,Z),(p,P),(q,Q),(r,R):Change Coor. View\n",
    "'H' : (p,P), (q,Q):Change Hand Pose\n",
    "'W' : (r,R),(x,X) (y,Y) (z,Z):Change Work Radius, Position X,Y,Z Step-by\n",
    "'A' : Sol. of Grasp\n",
    "'S' : Sol. of Statics\n",
    "\n",
    "\n",
    "\n",
    " \n",
};

namespace {

constexpr float kBannerTop = 400.0f;  // overlay height of the first banner line
constexpr float kBannerStep = 20.0f;  // overlay distance between banner lines
constexpr int kExactBannerChars = 64; // room for "Exact check: holds (margin 100%, load x99.99)\n"
// a margin within this of a whole percent shows as that percent (dimensionless)
constexpr double kPercentRoundSlack = 1e-9;

void Add(BannerLine *out, int *count, float y, const char *text, bool onTop = false) {
  out[*count].y = y;
  out[*count].text = text;
  out[*count].onTop = onTop;
  (*count)++;
}

} // namespace

const char *ExactBannerText(const ExactCheck *e) {
  // the overlay is drawn from one thread, one frame at a time
  static char text[kExactBannerChars];
  switch (e->verdict) {
  case kExactHolds: {
    const int percent = static_cast<int>(std::floor(e->margin * 100.0 + kPercentRoundSlack));
    if (std::isfinite(e->capacity))
      std::snprintf(text, sizeof text, "Exact check: holds (margin %d%%, load x%.2f)\n", percent,
                    e->capacity);
    else
      std::snprintf(text, sizeof text, "Exact check: holds (margin %d%%)\n", percent);
    return text;
  }
  case kExactCannotHold:
    if (!std::isfinite(e->capacity)) return "Exact check: cannot hold\n";
    std::snprintf(text, sizeof text, "Exact check: cannot hold (load x%.2f)\n", e->capacity);
    return text;
  case kExactPalmInside:
    return "Exact check: palm inside work\n";
  default:
    return "Exact check: undecided\n";
  }
}

int ModeBanner(const GraspState *s, BannerLine *out) {
  int n = 0;
  const float y0 = kBannerTop, y1 = y0 - kBannerStep, y2 = y1 - kBannerStep, y3 = y2 - kBannerStep,
              y4 = y3 - kBannerStep;
  switch (s->sgnCAL) {
  case 'I':
    Add(out, &n, y0, "Execution Mode : I\n");
    Add(out, &n, y1, "Image Move/Rotation Step-by\n");
    Add(out, &n, y2, "Hit x,X,y,Y,z,Z;  p,P,q,Q,r,R\n");
    break;
  case 'H':
    Add(out, &n, y0, "Execution Mode : H\n");
    Add(out, &n, y1, s->handPoseText);
    Add(out, &n, y2, "Hit (p,P), (q,Q) to Rotate in X,Y-axis\n");
    Add(out, &n, y3, "Hit (u,d) to Rotate Hand toward (-Z,Z)\n");
    if (s->sgnGraspExec == 0) Add(out, &n, y4, "Finger Cannot Contact Work\n");
    break;
  case 'W':
    Add(out, &n, y0, "Execution Mode : W\n");
    Add(out, &n, y1, "Hit 'r','R' to Change Radius\n");
    Add(out, &n, y2, "Hit x,X,y,Y,z,Z to Move Sphere\n");
    if (s->sgnGraspExec == 0) Add(out, &n, y3, "Finger Cannot Touch Work\n");
    break;
  case 'A':
    if (s->sgnGraspEnd == 0) {
      Add(out, &n, y0, "Execution Mode : A\n");
      Add(out, &n, y1, "Grasp Calcul\n");
      Add(out, &n, y2,
          s->sgnGraspExec != 0 ? "Hit s to Execution\n" : "Finger Cannot Touch Work\n");
    } else if (s->sgnGraspEnd == 1) {
      Add(out, &n, y0, "Execution Mode : A\n");
      if (s->cntContact == 2) Add(out, &n, y1, "Grasp Calcul End\n");
      if (s->cntContact < 2) Add(out, &n, y1, "Grasp Impossible\n");
    }
    break;
  case 'S':
    Add(out, &n, y0, "Execution Mode : S\n");
    if (s->sgnStaticsEnd != 1) {
      Add(out, &n, y1, "Hit s to Execution\n");
    } else {
      Add(out, &n, y1,
          s->StaticsStability == 1 ? "Stable Statics Obtained\n" : "Grasp Statics Unstable\n");
      if (s->cntContact == 2) Add(out, &n, y2, ExactBannerText(&s->exact), true);
    }
    break;
  default:
    break;
  }
  return n;
}

int TextLength(const char *text, int limit) {
  int n = 0;
  while (n < limit && text[n] != '\n' && text[n] != '\0') n++;
  return n;
}

} // namespace gs
