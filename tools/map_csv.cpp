#include "tools/map_csv.h"

#include <charconv>
#include <cmath>

#include "tools/state_json.h"

namespace gs {

namespace {

constexpr const char *kColumns =
    "cntContact,staticsCase,StaticsStability,exact,margin,FCZ1,FCZ2,TCF1,TCF2,MCZ1,MCZ2,"
    "leastForce\n";

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

} // namespace

void AppendMapCsvHeader(const MapRequest *req, std::string *text) {
  *text += MapParamName(req->x.param);
  *text += ',';
  *text += MapParamName(req->y.param);
  *text += ',';
  *text += kColumns;
}

void MapRowOf(const MapRequest *req, long index, const GraspState *s, MapRow *row) {
  const bool ran = s->staticsCase != kCaseNone;
  const bool holds = s->exact.verdict == kExactHolds;
  const double none = NAN;
  row->x = MapAxisValue(&req->x, index % req->x.count);
  row->y = MapAxisValue(&req->y, index / req->x.count);
  row->cntContact = s->cntContact;
  row->staticsCase = s->staticsCase;
  row->stability = ran ? s->StaticsStability : -1;
  row->exact = s->exact.verdict;
  row->margin = holds ? s->exact.margin : none;
  for (int k = 0; k < 2; k++) {
    row->FCZ[k] = ran ? s->FCZ[k + 1] : none;
    row->TCF[k] = ran ? s->TCF[k + 1] : none;
    row->MCZ[k] = ran ? s->MCZ[k + 1] : none;
  }
  row->leastForce = holds ? s->exact.FCZ[1] + s->exact.FCZ[2] : none;
}

void AppendMapCsvRow(const MapRequest *req, long index, const GraspState *s, std::string *text) {
  MapRow row;
  MapRowOf(req, index, s, &row);
  Number(row.x, text);
  text->push_back(',');
  Number(row.y, text);
  text->push_back(',');
  Count(row.cntContact, text);
  text->push_back(',');
  const char *name = StaticsCaseText(row.staticsCase);
  if (name != nullptr) *text += name;
  text->push_back(',');
  if (row.stability >= 0) Count(row.stability, text);
  text->push_back(',');
  *text += ExactVerdictText(row.exact);
  text->push_back(',');
  Number(row.margin, text);
  for (const double *v : {row.FCZ, row.TCF, row.MCZ}) {
    for (int k = 0; k < 2; k++) {
      text->push_back(',');
      Number(v[k], text);
    }
  }
  text->push_back(',');
  Number(row.leastForce, text);
  text->push_back('\n');
}

} // namespace gs
