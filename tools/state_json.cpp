#include "tools/state_json.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "graspstat/report.h"

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

// Writes the value of one reported quantity as its table says.
void Value(JsonText *j, const ReportField &f, const ReportValue &v);

// Writes the object of table t read from src, its fields in table order.
void Object(JsonText *j, const ReportTable &t, const ReportSource *src) {
  j->Begin('{');
  for (int i = 0; i < t.count; i++) {
    const ReportField &f = t.fields[i];
    ReportValue v;
    f.read(src, &v);
    if (v.present < 0) continue;
    j->Key(f.name);
    v.present != 0 ? Value(j, f, v) : j->Null();
  }
  j->End('}');
}

void Value(JsonText *j, const ReportField &f, const ReportValue &v) {
  switch (f.kind) {
  case kReportNumber:
    return j->Number(v.number);
  case kReportInt:
    return j->Int(v.integer);
  case kReportBool:
    return j->Bool(v.integer != 0);
  case kReportText:
    return j->Text(v.text, v.length);
  case kReportVector:
    return Vector(j, v.vector);
  case kReportObject:
    return Object(j, *f.object, &v.sub);
  case kReportWrench:
    j->Begin('[');
    for (int i = 0; i < 6; i++) j->Number(v.vector[i]);
    return j->End(']');
  default:
    break;
  }
  j->Begin('[');
  for (int k = 0; k < 2 && f.kind == kReportPair; k++) j->Number(v.pair[k]);
  for (int k = 0; k < 2 && f.kind == kReportPairInt; k++)
    v.pairPresent[k] != 0 ? j->Int(static_cast<int>(v.pair[k])) : j->Null();
  for (int k = 0; k < 2 && f.kind == kReportPairVector; k++) Vector(j, v.pairVector[k]);
  for (int k = 0; k < v.nameCount && f.kind == kReportNames; k++) j->Text(v.names[k]);
  if (f.kind == kReportLines && v.lines != nullptr)
    for (const std::string &m : *v.lines) j->Text(m.data(), m.size());
  j->End(']');
}

} // namespace

void AppendBatchRunJson(const BatchRun *run, int withContacts, int layout, std::string *text) {
  JsonText j(text, layout);
  const ReportSource src = RunReportSource(&run->state, &run->messages, run->exited, withContacts);
  Object(&j, kRunReport, &src);
  text->push_back('\n');
}

void AppendReportJson(const ReportTable &t, const ReportSource *src, std::string *text) {
  JsonText j(text, kJsonOneLine);
  Object(&j, t, src);
  text->push_back('\n');
}

Json BatchRunJson(const BatchRun *run, int withContacts) {
  std::string text;
  AppendBatchRunJson(run, withContacts, kJsonOneLine, &text);
  return Json::parse(text);
}

} // namespace gs
