#include "graspstat/map_table.h"

#include <charconv>
#include <cmath>

#include "exact/exact_check.h"
#include "graspstat/report.h"

namespace gs {

namespace {

// Appends v in its shortest round-trip form; nothing when it is not finite.
void Number(double v, std::string *text) {
  if (!std::isfinite(v)) return;
  char buf[32];
  const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, v);
  text->append(buf, r.ptr);
}

void Count(int v, std::string *text) {
  char buf[16];
  const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, v);
  text->append(buf, r.ptr);
}

// Appends a flag held as a double: 1 or 0, nothing when it is NaN.
void Flag(double v, std::string *text) {
  if (std::isfinite(v)) Count(static_cast<int>(v), text);
}

// What a point's solve left, as the columns read it.
struct Point {
  const GraspState *s;
  int ran;   // statics ran: the contacts carry a result
  int holds; // the exact check holds
};

// Fields of the exact check's strength measures: only where statics ran and
// the check looked at forces (not with the palm inside the work).
int Measured(const Point &p) {
  const int v = p.s->exact.verdict;
  return p.ran != 0 && (v == kExactHolds || v == kExactCannotHold || v == kExactUndecided);
}

using Field = void (*)(const MapRow &r, std::string *text);

// One column after the two swept quantities: its header name and how its
// field is written from the row's values (NaN and -1 leave it empty).
struct Column {
  const char *name;
  Field field;
};

// Every column in order. A new column is one more line here and one more
// value in MapRow.
constexpr Column kColumns[] = {
    {"cntContact", [](const MapRow &r, std::string *t) { Count(r.cntContact, t); }},
    {"staticsCase",
     [](const MapRow &r, std::string *t) {
       const char *name = StaticsCaseText(r.staticsCase);
       if (name != nullptr) *t += name;
     }},
    {"StaticsStability",
     [](const MapRow &r, std::string *t) {
       if (r.stability >= 0) Count(r.stability, t);
     }},
    {"exact", [](const MapRow &r, std::string *t) { *t += ExactVerdictText(r.exact); }},
    {"margin", [](const MapRow &r, std::string *t) { Number(r.margin, t); }},
    {"FCZ1", [](const MapRow &r, std::string *t) { Number(r.FCZ[0], t); }},
    {"FCZ2", [](const MapRow &r, std::string *t) { Number(r.FCZ[1], t); }},
    {"TCF1", [](const MapRow &r, std::string *t) { Number(r.TCF[0], t); }},
    {"TCF2", [](const MapRow &r, std::string *t) { Number(r.TCF[1], t); }},
    {"MCZ1", [](const MapRow &r, std::string *t) { Number(r.MCZ[0], t); }},
    {"MCZ2", [](const MapRow &r, std::string *t) { Number(r.MCZ[1], t); }},
    {"leastForce", [](const MapRow &r, std::string *t) { Number(r.leastForce, t); }},
    {"capacity", [](const MapRow &r, std::string *t) { Number(r.capacity, t); }},
    // empty where no friction coefficient suffices or undecided
    {"muNeeded", [](const MapRow &r, std::string *t) { Number(r.muNeeded, t); }},
    {"forceClosure", [](const MapRow &r, std::string *t) { Flag(r.forceClosure, t); }},
    // an unstable point's forces are the last the solver tried, often beyond a limit
    {"limitsKept", [](const MapRow &r, std::string *t) { Flag(r.limitsKept, t); }},
    {"epsilonInf", [](const MapRow &r, std::string *t) { Number(r.epsilonInf, t); }},
    {"epsilonOne", [](const MapRow &r, std::string *t) { Number(r.epsilonOne, t); }},
};

} // namespace

void MapRowOf(const MapRequest *req, long index, const GraspState *s, MapRow *row) {
  const Point p{s, s->staticsCase != kCaseNone ? 1 : 0, s->exact.verdict == kExactHolds ? 1 : 0};
  const double none = NAN;
  const int measured = Measured(p);
  row->x = MapAxisValue(&req->x, index % req->x.count);
  row->y = MapAxisValue(&req->y, index / req->x.count);
  row->cntContact = s->cntContact;
  row->staticsCase = s->staticsCase;
  row->stability = p.ran != 0 ? s->StaticsStability : -1;
  row->exact = s->exact.verdict;
  row->margin = p.holds != 0 ? s->exact.margin : none;
  for (int k = 0; k < 2; k++) {
    row->FCZ[k] = p.ran != 0 ? s->FCZ[k + 1] : none;
    row->TCF[k] = p.ran != 0 ? s->TCF[k + 1] : none;
    row->MCZ[k] = p.ran != 0 ? s->MCZ[k + 1] : none;
  }
  row->leastForce = p.holds != 0 ? s->exact.FCZ[1] + s->exact.FCZ[2] : none;
  const int fc = s->exact.forceClosure;
  row->capacity = measured != 0 && std::isfinite(s->exact.capacity) ? s->exact.capacity : none;
  row->muNeeded = measured != 0 && std::isfinite(s->exact.muNeeded) ? s->exact.muNeeded : none;
  row->forceClosure = measured != 0 && (fc == 0 || fc == 1) ? fc : none;
  row->limitsKept = p.ran != 0 ? StaticsLimitsKept(s) : none;
  row->epsilonInf = measured != 0 ? s->exact.epsilon.inf.value : none;
  row->epsilonOne = measured != 0 ? s->exact.epsilon.one.value : none;
}

void AppendMapCsvHeader(const MapRequest *req, std::string *text) {
  *text += MapParamName(req->x.param);
  *text += ',';
  *text += MapParamName(req->y.param);
  for (const Column &c : kColumns) {
    *text += ',';
    *text += c.name;
  }
  *text += '\n';
}

void AppendMapCsvRow(const MapRequest *req, long index, const GraspState *s, std::string *text) {
  MapRow row;
  MapRowOf(req, index, s, &row);
  Number(row.x, text);
  text->push_back(',');
  Number(row.y, text);
  for (const Column &c : kColumns) {
    text->push_back(',');
    c.field(row, text);
  }
  text->push_back('\n');
}

} // namespace gs
