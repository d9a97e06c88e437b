#include "tools/state_json.h"

#include <cmath>

#include "geom/vecmat.h"
#include "model/constants.h"
#include "statics/exact_check.h"
#include "statics/statics_result.h"

namespace gs {

namespace {

using Json = nlohmann::ordered_json;

// A double, or null when it is not finite.
Json Number(double v) {
  return std::isfinite(v) ? Json(v) : Json(nullptr);
}

Json Vector(const double *v) {
  return Json::array({Number(v[0]), Number(v[1]), Number(v[2])});
}

// [finger 1, finger 2] of a per-finger vector array.
Json PerFinger(const Vec3 *v) {
  return Json::array({Vector(v[1]), Vector(v[2])});
}

// [finger 1, finger 2] of a per-finger number array.
Json PerFinger(const double *v) {
  return Json::array({Number(v[1]), Number(v[2])});
}

Json CaseName(int c) {
  const char *name = StaticsCaseText(c);
  return (name != nullptr) ? Json(name) : Json(nullptr);
}

Json SubCaseName(int c) {
  const char *name = StaticsSubCaseText(c);
  return (name != nullptr) ? Json(name) : Json(nullptr);
}

// The exact holding check: null without a statics result for the current
// contacts; forces and torques only for "holds", blocking limits only for
// "cannot hold".
Json ExactJson(const ExactCheck &e) {
  if (e.verdict < kExactHolds || e.verdict > kExactPalmInside) return nullptr;
  const bool holds = e.verdict == kExactHolds;
  Json j;
  j["verdict"] = ExactVerdictText(e.verdict);
  j["margin"] = holds ? Number(e.margin) : Json(nullptr);
  j["FCZ"] = holds ? PerFinger(e.FCZ) : Json(nullptr);
  j["T"] = holds ? PerFinger(e.T) : Json(nullptr);
  j["MCZ"] = holds ? PerFinger(e.MCZ) : Json(nullptr);
  j["jointTorque"] = holds ? PerFinger(e.jointTorque) : Json(nullptr);
  if (e.verdict == kExactCannotHold) {
    Json blocking = Json::array();
    for (const int bit : kExactLimitOrder)
      if ((e.blocking & bit) != 0) blocking.push_back(ExactLimitText(bit));
    j["blocking"] = blocking;
  } else {
    j["blocking"] = nullptr;
  }
  j["reason"] = e.reason != nullptr ? Json(e.reason) : Json(nullptr);
  return j;
}

} // namespace

const char *ExactVerdictText(int verdict) {
  switch (verdict) {
  case kExactHolds:
    return "holds";
  case kExactCannotHold:
    return "cannot hold";
  case kExactUndecided:
    return "undecided";
  case kExactPalmInside:
    return "palm inside work";
  default:
    return "";
  }
}

const char *StaticsSubCaseText(int c) {
  switch (c) {
  case kSubSP11_1:
    return "SP11-1";
  case kSubSP11_2:
    return "SP11-2";
  case kSubSP113:
    return "SP113";
  case kSubSP31:
    return "SP31";
  case kSubSP32:
    return "SP32";
  case kSubSP33:
    return "SP33";
  default:
    return nullptr;
  }
}

const char *ExactLimitText(int bit) {
  switch (bit) {
  case kLimitFriction:
    return "friction";
  case kLimitMoment:
    return "moment";
  case kLimitForceCap:
    return "force cap";
  case kLimitPushOnly:
    return "push only";
  default:
    return nullptr;
  }
}

const char *StaticsCaseText(int c) {
  switch (c) {
  case kCaseSP1:
    return "SP1";
  case kCaseSP2:
    return "SP2";
  case kCaseSP3:
    return "SP3";
  case kCaseNorm:
    return "Norm";
  default:
    return nullptr;
  }
}

int BalanceResidual(const GraspState *s, double *force, double *moment) {
  if (s->sgnStaticsEnd != 1 || s->staticsCase == kCaseNone) return 0;
  StaticsBalanceResidual(s->RC, s->rwG, FEX, s->FC, s->TC, s->MC, force, moment);
  return 1;
}

Json BatchRunJson(const BatchRun *run, int withContacts) {
  const GraspState *s = &run->state;
  Json j;
  j["alHand"] = Number(s->alHand);
  j["betHand"] = Number(s->betHand);
  j["handPoseText"] = std::string(s->handPoseText, static_cast<std::size_t>(s->handPoseTextLen));
  j["aSph"] = Number(s->aSph);
  j["rwG"] = Vector(s->rwG);
  j["sgnCAL"] = std::string(1, s->sgnCAL);
  j["nFin"] = s->nFin;
  j["cntContact"] = s->cntContact;
  j["sgnGraspExec"] = s->sgnGraspExec;
  j["sgnGraspEnd"] = s->sgnGraspEnd;
  j["sgnStaticsEnd"] = s->sgnStaticsEnd;
  j["StaticsStability"] = s->StaticsStability;
  j["viewRot"] = Vector(s->viewRot);
  j["viewTrans"] = Vector(s->viewTrans);
  j["qqf"] = Json::array({Number(s->qqf[1][1]), Number(s->qqf[2][1])});
  if (withContacts != 0) {
    Json codes = Json::array();
    // the fingers computed since the last reset are 1 .. nFin
    for (int n = 1; n <= 2; n++)
      codes.push_back(n <= s->nFin ? Json(s->contactCode[n]) : Json(nullptr));
    j["contactResult"] = codes;
  }
  const struct {
    const char *name;
    const Vec3 *v;
  } vectors[] = {{"RC", s->RC}, {"NF", s->NF}, {"NW", s->NW}, {"nc", s->nc},
                 {"tc", s->tc}, {"FC", s->FC}, {"TC", s->TC}, {"MC", s->MC}};
  for (const auto &f : vectors) j[f.name] = PerFinger(f.v);
  j["FCZ"] = PerFinger(s->FCZ);
  j["TCF"] = PerFinger(s->TCF);
  j["MCZ"] = PerFinger(s->MCZ);
  j["staticsCase"] = CaseName(s->staticsCase);
  j["staticsSubCase"] = SubCaseName(s->staticsSubCase);
  j["normCandidate"] = (s->normCandidate > 0) ? Json(s->normCandidate) : Json(nullptr);
  double force = 0.0;
  double moment = 0.0;
  if (BalanceResidual(s, &force, &moment) != 0)
    j["residual"] = Json{{"force", Number(force)}, {"moment", Number(moment)}};
  else
    j["residual"] = nullptr;
  const bool solved = s->sgnStaticsEnd == 1 && s->staticsCase != kCaseNone;
  j["exact"] = solved ? ExactJson(s->exact) : Json(nullptr);
  j["limitsKept"] = solved ? Json(StaticsLimitsKept(s) != 0) : Json(nullptr);
  j["messages"] = run->messages;
  j["exited"] = run->exited != 0;
  return j;
}

} // namespace gs
