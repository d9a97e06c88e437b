#include "tools/state_json.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "exact/exact_check.h"
#include "geom/vecmat.h"
#include "model/constants.h"
#include "statics/statics_result.h"

namespace gs {

namespace {

using Json = nlohmann::ordered_json;

constexpr int kMaxDepth = 8;        // deepest nesting of the run's object
constexpr int kNumberChars = 64;    // room for any double nlohmann writes
constexpr char kPrintableLow = 32;  // first byte written as itself in a string
constexpr char kPrintableEnd = 127; // DEL and beyond take the careful path

// Appends JSON text as nlohmann's dump(-1) writes it, or, in the layout of
// one key per line, with the top-level keys each on a line of its own.
class JsonText {
public:
  JsonText(std::string *text, int layout) : text_(text), keyPerLine_(layout == kJsonKeyPerLine) {}

  void Begin(char bracket) {
    Element();
    text_->push_back(bracket);
    depth_++;
    first_[depth_] = true;
  }

  void End(char bracket) {
    if (depth_ == 1 && keyPerLine_) text_->push_back('\n');
    depth_--;
    text_->push_back(bracket);
  }

  void Key(const char *name) {
    Element();
    if (depth_ == 1 && keyPerLine_) text_->append("  ");
    String(name, std::strlen(name));
    text_->append((depth_ == 1 && keyPerLine_) ? ": " : ":");
    afterKey_ = true;
  }

  // A double, or null when it is not finite.
  void Number(double v) {
    if (!std::isfinite(v)) return Null();
    Element();
    char buf[kNumberChars];
    const char *end = nlohmann::detail::to_chars(buf, buf + sizeof buf, v);
    text_->append(buf, static_cast<std::size_t>(end - buf));
  }

  void Int(int v) {
    Element();
    char buf[kNumberChars];
    const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, v);
    text_->append(buf, static_cast<std::size_t>(r.ptr - buf));
  }

  void Bool(bool v) {
    Element();
    text_->append(v ? "true" : "false");
  }

  void Null() {
    Element();
    text_->append("null");
  }

  void Text(const char *t) { (t != nullptr) ? Text(t, std::strlen(t)) : Null(); }

  void Text(const char *t, std::size_t n) {
    Element();
    String(t, n);
  }

private:
  // The separator before a value or key: none after a key or first inside
  // brackets, else a comma (and a line feed between top-level keys).
  void Element() {
    if (afterKey_) {
      afterKey_ = false;
      return;
    }
    if (depth_ == 0) return;
    if (!first_[depth_]) text_->push_back(',');
    if (depth_ == 1 && keyPerLine_) text_->push_back('\n');
    first_[depth_] = false;
  }

  // A quoted string: plain printable ASCII as it is, anything else (escapes,
  // control characters, UTF-8, invalid bytes) through nlohmann's own dump.
  void String(const char *t, std::size_t n) {
    bool plain = true;
    for (std::size_t i = 0; i < n && plain; i++)
      plain = t[i] >= kPrintableLow && t[i] < kPrintableEnd && t[i] != '"' && t[i] != '\\';
    if (!plain) {
      text_->append(Json(std::string(t, n)).dump(-1, ' ', false, Json::error_handler_t::replace));
      return;
    }
    text_->push_back('"');
    text_->append(t, n);
    text_->push_back('"');
  }

  std::string *text_;
  bool keyPerLine_;
  int depth_ = 0;
  bool first_[kMaxDepth] = {};
  bool afterKey_ = false;
};

void Vector(JsonText *j, const double *v) {
  j->Begin('[');
  for (int i = 0; i < 3; i++) j->Number(v[i]);
  j->End(']');
}

// [finger 1, finger 2] of a per-finger vector array.
void PerFinger(JsonText *j, const Vec3 *v) {
  j->Begin('[');
  Vector(j, v[1]);
  Vector(j, v[2]);
  j->End(']');
}

// [finger 1, finger 2] of a per-finger number array.
void PerFinger(JsonText *j, const double *v) {
  j->Begin('[');
  j->Number(v[1]);
  j->Number(v[2]);
  j->End(']');
}

// The model the exact check used: friction, moment radius, cap, required
// force and moment, contact law.
void ModelJson(JsonText *j, const ExactModel &m) {
  j->Begin('{');
  j->Key("mu");
  j->Number(m.mu);
  j->Key("rm");
  j->Number(m.rm);
  j->Key("cap");
  j->Number(m.cap);
  j->Key("FEX");
  Vector(j, m.FEX);
  j->Key("MEX");
  Vector(j, m.MEX);
  j->Key("contact");
  j->Text(ContactLawName(m.law));
  j->End('}');
}

// The exact holding check: null without a statics result for the current
// contacts; forces and torques only for "holds", blocking limits only for
// "cannot hold"; the strength measures null where undecided (and muNeeded
// where no friction coefficient suffices), then the model it used.
void ExactJson(JsonText *j, const ExactCheck &e, const ExactModel &m) {
  if (e.verdict < kExactHolds || e.verdict > kExactPalmInside) return j->Null();
  const bool holds = e.verdict == kExactHolds;
  j->Begin('{');
  j->Key("verdict");
  j->Text(ExactVerdictText(e.verdict));
  j->Key("margin");
  holds ? j->Number(e.margin) : j->Null();
  j->Key("FCZ");
  holds ? PerFinger(j, e.FCZ) : j->Null();
  j->Key("T");
  holds ? PerFinger(j, e.T) : j->Null();
  j->Key("MCZ");
  holds ? PerFinger(j, e.MCZ) : j->Null();
  j->Key("jointTorque");
  holds ? PerFinger(j, e.jointTorque) : j->Null();
  j->Key("blocking");
  if (e.verdict == kExactCannotHold) {
    j->Begin('[');
    for (int i = 0; i < kExactLimitKinds; i++) {
      int bit = 0;
      const char *name = ExactLimitName(i, &bit);
      if ((e.blocking & bit) != 0) j->Text(name);
    }
    j->End(']');
  } else {
    j->Null();
  }
  j->Key("reason");
  j->Text(e.reason);
  j->Key("capacity");
  j->Number(e.capacity);
  j->Key("muNeeded");
  j->Number(e.muNeeded);
  j->Key("forceClosure");
  (e.forceClosure == 0 || e.forceClosure == 1) ? j->Bool(e.forceClosure == 1) : j->Null();
  j->Key("model");
  ModelJson(j, m);
  j->End('}');
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

void AppendBatchRunJson(const BatchRun *run, int withContacts, int layout, std::string *text) {
  const GraspState *s = &run->state;
  JsonText j(text, layout);
  j.Begin('{');
  j.Key("alHand");
  j.Number(s->alHand);
  j.Key("betHand");
  j.Number(s->betHand);
  j.Key("handPoseText");
  j.Text(s->handPoseText, static_cast<std::size_t>(s->handPoseTextLen));
  j.Key("aSph");
  j.Number(s->aSph);
  j.Key("rwG");
  Vector(&j, s->rwG);
  j.Key("sgnCAL");
  j.Text(&s->sgnCAL, 1);
  const struct {
    const char *name;
    int value;
  } counters[] = {{"nFin", s->nFin},
                  {"cntContact", s->cntContact},
                  {"sgnGraspExec", s->sgnGraspExec},
                  {"sgnGraspEnd", s->sgnGraspEnd},
                  {"sgnStaticsEnd", s->sgnStaticsEnd},
                  {"StaticsStability", s->StaticsStability}};
  for (const auto &c : counters) {
    j.Key(c.name);
    j.Int(c.value);
  }
  j.Key("viewRot");
  Vector(&j, s->viewRot);
  j.Key("viewTrans");
  Vector(&j, s->viewTrans);
  j.Key("qqf");
  j.Begin('[');
  j.Number(s->qqf[1][1]);
  j.Number(s->qqf[2][1]);
  j.End(']');
  if (withContacts != 0) {
    j.Key("contactResult");
    j.Begin('[');
    // the fingers computed since the last reset are 1 .. nFin
    for (int n = 1; n <= 2; n++) n <= s->nFin ? j.Int(s->contactCode[n]) : j.Null();
    j.End(']');
  }
  const struct {
    const char *name;
    const Vec3 *v;
  } vectors[] = {{"RC", s->RC}, {"NF", s->NF}, {"NW", s->NW}, {"nc", s->nc},
                 {"tc", s->tc}, {"FC", s->FC}, {"TC", s->TC}, {"MC", s->MC}};
  for (const auto &f : vectors) {
    j.Key(f.name);
    PerFinger(&j, f.v);
  }
  j.Key("FCZ");
  PerFinger(&j, s->FCZ);
  j.Key("TCF");
  PerFinger(&j, s->TCF);
  j.Key("MCZ");
  PerFinger(&j, s->MCZ);
  j.Key("staticsCase");
  j.Text(StaticsCaseText(s->staticsCase));
  j.Key("staticsSubCase");
  j.Text(StaticsSubCaseText(s->staticsSubCase));
  j.Key("normCandidate");
  (s->normCandidate > 0) ? j.Int(s->normCandidate) : j.Null();
  double force = 0.0;
  double moment = 0.0;
  j.Key("residual");
  if (BalanceResidual(s, &force, &moment) != 0) {
    j.Begin('{');
    j.Key("force");
    j.Number(force);
    j.Key("moment");
    j.Number(moment);
    j.End('}');
  } else {
    j.Null();
  }
  const bool solved = s->sgnStaticsEnd == 1 && s->staticsCase != kCaseNone;
  j.Key("exact");
  solved ? ExactJson(&j, s->exact, s->exactModel) : j.Null();
  j.Key("limitsKept");
  solved ? j.Bool(StaticsLimitsKept(s) != 0) : j.Null();
  j.Key("messages");
  j.Begin('[');
  for (const std::string &m : run->messages) j.Text(m.data(), m.size());
  j.End(']');
  j.Key("exited");
  j.Bool(run->exited != 0);
  j.End('}');
  text->push_back('\n');
}

Json BatchRunJson(const BatchRun *run, int withContacts) {
  std::string text;
  AppendBatchRunJson(run, withContacts, kJsonOneLine, &text);
  return Json::parse(text);
}

} // namespace gs
