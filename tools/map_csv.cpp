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

void AppendMapCsvRow(const MapRequest *req, long index, const GraspState *s, std::string *text) {
  const int ran = (s->staticsCase != kCaseNone) ? 1 : 0;
  const int holds = (s->exact.verdict == kExactHolds) ? 1 : 0;
  const double none = NAN;
  Number(MapAxisValue(&req->x, index % req->x.count), text);
  text->push_back(',');
  Number(MapAxisValue(&req->y, index / req->x.count), text);
  text->push_back(',');
  Count(s->cntContact, text);
  text->push_back(',');
  const char *name = StaticsCaseText(s->staticsCase);
  if (name != nullptr) *text += name;
  text->push_back(',');
  if (ran != 0) Count(s->StaticsStability, text);
  text->push_back(',');
  *text += ExactVerdictText(s->exact.verdict);
  text->push_back(',');
  Number(holds != 0 ? s->exact.margin : none, text);
  for (const double *v : {s->FCZ, s->TCF, s->MCZ}) {
    for (int k = 1; k <= 2; k++) {
      text->push_back(',');
      Number(ran != 0 ? v[k] : none, text);
    }
  }
  text->push_back(',');
  Number(holds != 0 ? s->exact.FCZ[1] + s->exact.FCZ[2] : none, text);
  text->push_back('\n');
}

} // namespace gs
