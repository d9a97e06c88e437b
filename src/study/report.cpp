#include "graspstat/report.h"

#include <cmath>

#include "exact/exact_check.h"
#include "graspstat/constants.h"
#include "statics/statics_result.h"

namespace gs {

namespace {

using Src = ReportSource;
using Val = ReportValue;

// Whether the current contacts carry a statics result.
bool Solved(const GraspState *s) {
  return s->sgnStaticsEnd == 1 && s->staticsCase != kCaseNone;
}

bool Holds(const Src *r) {
  return r->exact->verdict == kExactHolds;
}

void Number(Val *v, double x) {
  v->present = 1;
  v->number = x;
}

void Int(Val *v, int x) {
  v->present = 1;
  v->integer = x;
}

void Text(Val *v, const char *t, std::size_t n) {
  v->present = t != nullptr ? 1 : 0;
  v->text = t;
  v->length = n;
}

void Text(Val *v, const char *t) {
  Text(v, t, t != nullptr ? std::char_traits<char>::length(t) : 0);
}

void Vector(Val *v, const double *x) {
  v->present = 1;
  v->vector = x;
}

void Pair(Val *v, const double *x) {
  v->present = 1;
  v->pair[0] = x[1];
  v->pair[1] = x[2];
}

void PairVector(Val *v, const Vec3 *x) {
  v->present = 1;
  v->pairVector[0] = x[1];
  v->pairVector[1] = x[2];
}

// ---- the model the exact check used ----

const ReportField kModelFields[] = {
    {"mu", kReportNumber, [](const Src *r, Val *v) { Number(v, r->model->mu); }, nullptr},
    {"rm", kReportNumber, [](const Src *r, Val *v) { Number(v, r->model->rm); }, nullptr},
    {"cap", kReportNumber, [](const Src *r, Val *v) { Number(v, r->model->cap); }, nullptr},
    {"FEX", kReportVector, [](const Src *r, Val *v) { Vector(v, r->model->FEX); }, nullptr},
    {"MEX", kReportVector, [](const Src *r, Val *v) { Vector(v, r->model->MEX); }, nullptr},
    {"contact", kReportText, [](const Src *r, Val *v) { Text(v, ContactLawName(r->model->law)); },
     nullptr},
};
const ReportTable kModelReport = {kModelFields, sizeof kModelFields / sizeof kModelFields[0]};

// ---- the Ferrari-Canny epsilon: null where it was not computed ----

const ReportField kFormFields[] = {
    {"value", kReportNumber, [](const Src *r, Val *v) { Number(v, r->form->value); }, nullptr},
    {"lower", kReportNumber, [](const Src *r, Val *v) { Number(v, r->form->lower); }, nullptr},
    {"weakest", kReportWrench, [](const Src *r, Val *v) { Vector(v, r->form->weakest); }, nullptr},
};
const ReportTable kFormReport = {kFormFields, sizeof kFormFields / sizeof kFormFields[0]};

const ReportField kEpsilonFields[] = {
    {"torqueScale", kReportNumber,
     [](const Src *r, Val *v) { Number(v, r->exact->epsilon.torqueScale); }, nullptr},
    {"inf", kReportObject,
     [](const Src *r, Val *v) {
       v->present = 1;
       v->sub = *r;
       v->sub.form = &r->exact->epsilon.inf;
     },
     &kFormReport},
    {"one", kReportObject,
     [](const Src *r, Val *v) {
       v->present = 1;
       v->sub = *r;
       v->sub.form = &r->exact->epsilon.one;
     },
     &kFormReport},
};
const ReportTable kEpsilonReport = {kEpsilonFields,
                                    sizeof kEpsilonFields / sizeof kEpsilonFields[0]};

// ---- the robust measures, where samples were asked ----

#define GS_ROBUST(name)                                                                            \
  {                                                                                                \
#name, kReportNumber, [](const Src *r, Val *v) { Number(v, r->robust->name); }, nullptr        \
  }
const ReportField kRobustFields[] = {
    GS_ROBUST(pHolds),         GS_ROBUST(pForceClosure), GS_ROBUST(capacityP05),
    GS_ROBUST(epsilonInfMean), GS_ROBUST(epsilonInfP05),
};
#undef GS_ROBUST
const ReportTable kRobustReport = {kRobustFields, sizeof kRobustFields / sizeof kRobustFields[0]};

// ---- the exact holding check: forces and torques only where it holds,
// blocking limits only where it cannot, the strength measures null where
// undecided (muNeeded also where no friction coefficient suffices) ----

const ReportField kExactFields[] = {
    {"verdict", kReportText,
     [](const Src *r, Val *v) { Text(v, ExactVerdictText(r->exact->verdict)); }, nullptr},
    {"margin", kReportNumber,
     [](const Src *r, Val *v) {
       Number(v, r->exact->margin);
       v->present = Holds(r) ? 1 : 0;
     },
     nullptr},
    {"FCZ", kReportPair,
     [](const Src *r, Val *v) {
       Pair(v, r->exact->FCZ);
       v->present = Holds(r) ? 1 : 0;
     },
     nullptr},
    {"T", kReportPairVector,
     [](const Src *r, Val *v) {
       PairVector(v, r->exact->T);
       v->present = Holds(r) ? 1 : 0;
     },
     nullptr},
    {"MCZ", kReportPair,
     [](const Src *r, Val *v) {
       Pair(v, r->exact->MCZ);
       v->present = Holds(r) ? 1 : 0;
     },
     nullptr},
    {"jointTorque", kReportPair,
     [](const Src *r, Val *v) {
       Pair(v, r->exact->jointTorque);
       v->present = (Holds(r) && r->torques != 0) ? 1 : 0;
     },
     nullptr},
    {"blocking", kReportNames,
     [](const Src *r, Val *v) {
       v->present = r->exact->verdict == kExactCannotHold ? 1 : 0;
       v->nameCount = 0;
       for (int i = 0; i < kExactLimitKinds; i++) {
         int bit = 0;
         const char *name = ExactLimitName(i, &bit);
         if ((r->exact->blocking & bit) != 0) v->names[v->nameCount++] = name;
       }
     },
     nullptr},
    {"reason", kReportText, [](const Src *r, Val *v) { Text(v, r->exact->reason); }, nullptr},
    {"capacity", kReportNumber, [](const Src *r, Val *v) { Number(v, r->exact->capacity); },
     nullptr},
    {"muNeeded", kReportNumber, [](const Src *r, Val *v) { Number(v, r->exact->muNeeded); },
     nullptr},
    {"forceClosure", kReportBool,
     [](const Src *r, Val *v) {
       const int fc = r->exact->forceClosure;
       Int(v, fc == 1 ? 1 : 0);
       v->present = (fc == 0 || fc == 1) ? 1 : 0;
     },
     nullptr},
    {"epsilon", kReportObject,
     [](const Src *r, Val *v) {
       v->present = r->exact->epsilon.torqueScale > 0.0 ? 1 : 0;
       v->sub = *r;
     },
     &kEpsilonReport},
    {"robust", kReportObject,
     [](const Src *r, Val *v) {
       v->present = r->robust != nullptr ? 1 : -1;
       v->sub = *r;
     },
     &kRobustReport},
    {"model", kReportObject,
     [](const Src *r, Val *v) {
       v->present = 1;
       v->sub = *r;
     },
     &kModelReport},
};

// ---- the balance residual of the case solvers' forces ----

const ReportField kResidualFields[] = {
    {"force", kReportNumber, [](const Src *r, Val *v) { Number(v, r->residual[0]); }, nullptr},
    {"moment", kReportNumber, [](const Src *r, Val *v) { Number(v, r->residual[1]); }, nullptr},
};
const ReportTable kResidualReport = {kResidualFields,
                                     sizeof kResidualFields / sizeof kResidualFields[0]};

// ---- a run ----

#define GS_RUN_NUMBER(name)                                                                        \
  {                                                                                                \
#name, kReportNumber, [](const Src *r, Val *v) { Number(v, r->state->name); }, nullptr         \
  }
#define GS_RUN_INT(name)                                                                           \
  {                                                                                                \
#name, kReportInt, [](const Src *r, Val *v) { Int(v, r->state->name); }, nullptr               \
  }
#define GS_RUN_VECTOR(name)                                                                        \
  {                                                                                                \
#name, kReportVector, [](const Src *r, Val *v) { Vector(v, r->state->name); }, nullptr         \
  }
#define GS_RUN_PAIR(name)                                                                          \
  {                                                                                                \
#name, kReportPair, [](const Src *r, Val *v) { Pair(v, r->state->name); }, nullptr             \
  }
#define GS_RUN_PAIR_VECTOR(name)                                                                   \
  {                                                                                                \
#name, kReportPairVector, [](const Src *r, Val *v) { PairVector(v, r->state->name); }, nullptr \
  }

const ReportField kRunFields[] = {
    GS_RUN_NUMBER(alHand),
    GS_RUN_NUMBER(betHand),
    {"handPoseText", kReportText,
     [](const Src *r, Val *v) {
       Text(v, r->state->handPoseText, static_cast<std::size_t>(r->state->handPoseTextLen));
     },
     nullptr},
    GS_RUN_NUMBER(aSph),
    GS_RUN_VECTOR(rwG),
    {"sgnCAL", kReportText, [](const Src *r, Val *v) { Text(v, &r->state->sgnCAL, 1); }, nullptr},
    GS_RUN_INT(nFin),
    GS_RUN_INT(cntContact),
    GS_RUN_INT(sgnGraspExec),
    GS_RUN_INT(sgnGraspEnd),
    GS_RUN_INT(sgnStaticsEnd),
    GS_RUN_INT(StaticsStability),
    GS_RUN_VECTOR(viewRot),
    GS_RUN_VECTOR(viewTrans),
    {"qqf", kReportPair,
     [](const Src *r, Val *v) {
       const double q[3] = {0.0, r->state->qqf[1][1], r->state->qqf[2][1]};
       Pair(v, q);
     },
     nullptr},
    // the fingers computed since the last reset are 1 .. nFin
    {"contactResult", kReportPairInt,
     [](const Src *r, Val *v) {
       v->present = r->withContacts != 0 ? 1 : -1;
       for (int n = 1; n <= 2; n++) {
         v->pairPresent[n - 1] = n <= r->state->nFin ? 1 : 0;
         v->pair[n - 1] = n <= r->state->nFin ? r->state->contactCode[n] : NAN;
       }
     },
     nullptr},
    GS_RUN_PAIR_VECTOR(RC),
    GS_RUN_PAIR_VECTOR(NF),
    GS_RUN_PAIR_VECTOR(NW),
    GS_RUN_PAIR_VECTOR(nc),
    GS_RUN_PAIR_VECTOR(tc),
    GS_RUN_PAIR_VECTOR(FC),
    GS_RUN_PAIR_VECTOR(TC),
    GS_RUN_PAIR_VECTOR(MC),
    GS_RUN_PAIR(FCZ),
    GS_RUN_PAIR(TCF),
    GS_RUN_PAIR(MCZ),
    {"staticsCase", kReportText,
     [](const Src *r, Val *v) { Text(v, StaticsCaseText(r->state->staticsCase)); }, nullptr},
    {"staticsSubCase", kReportText,
     [](const Src *r, Val *v) { Text(v, StaticsSubCaseText(r->state->staticsSubCase)); }, nullptr},
    {"normCandidate", kReportInt,
     [](const Src *r, Val *v) {
       Int(v, r->state->normCandidate);
       v->present = r->state->normCandidate > 0 ? 1 : 0;
     },
     nullptr},
    {"residual", kReportObject,
     [](const Src *r, Val *v) {
       v->sub = *r;
       v->present = BalanceResidual(r->state, &v->sub.residual[0], &v->sub.residual[1]);
     },
     &kResidualReport},
    {"exact", kReportObject,
     [](const Src *r, Val *v) {
       const ExactCheck *e = &r->state->exact;
       v->present =
           (Solved(r->state) && e->verdict >= kExactHolds && e->verdict <= kExactPalmInside) ? 1
                                                                                             : 0;
       v->sub = ExactReportSource(e, &r->state->exactModel, 1);
     },
     &kExactReport},
    {"limitsKept", kReportBool,
     [](const Src *r, Val *v) {
       Int(v, StaticsLimitsKept(r->state) != 0 ? 1 : 0);
       v->present = Solved(r->state) ? 1 : 0;
     },
     nullptr},
    {"messages", kReportLines,
     [](const Src *r, Val *v) {
       v->present = 1;
       v->lines = r->messages;
     },
     nullptr},
    {"exited", kReportBool, [](const Src *r, Val *v) { Int(v, r->exited != 0 ? 1 : 0); }, nullptr},
};

#undef GS_RUN_NUMBER
#undef GS_RUN_INT
#undef GS_RUN_VECTOR
#undef GS_RUN_PAIR
#undef GS_RUN_PAIR_VECTOR

} // namespace

const ReportTable kExactReport = {kExactFields, sizeof kExactFields / sizeof kExactFields[0]};
const ReportTable kRunReport = {kRunFields, sizeof kRunFields / sizeof kRunFields[0]};

ReportSource RunReportSource(const GraspState *s, const std::vector<std::string> *messages,
                             int exited, int withContacts) {
  ReportSource r{};
  r.state = s;
  r.messages = messages;
  r.exited = exited;
  r.withContacts = withContacts;
  return r;
}

ReportSource ExactReportSource(const ExactCheck *e, const ExactModel *m, int torques,
                               const RobustMeasures *robust) {
  ReportSource r{};
  r.robust = robust;
  r.exact = e;
  r.model = m;
  r.torques = torques;
  return r;
}

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
  if (!Solved(s)) return 0;
  StaticsBalanceResidual(s->RC, s->rwG, kCaseLoad, s->FC, s->TC, s->MC, force, moment);
  return 1;
}

} // namespace gs
