#include "tools/quality_stream.h"

#include <string>

#include "graspstat/numbers.h"
#include "graspstat/quality.h"
#include "graspstat/report.h"
#include "tools/solve_stream.h"
#include "tools/state_json.h"

namespace gs {

namespace {

constexpr int kPairFields = 12;      // P1 N1 P2 N2
constexpr int kPairFieldsWithC = 15; // ... and the reference point C

// Reads one grasp line into *g; returns 1, or 0 with *error.
int ReadPair(const std::string &line, ContactPair *g, std::string *error) {
  double v[kPairFieldsWithC];
  const bool withC = ParseNumberFields(line, kPairFieldsWithC, v, error) != 0;
  if (!withC && ParseNumberFields(line, kPairFields, v, error) == 0) {
    *error += " (want P1 N1 P2 N2 [C]: 12 or 15 numbers)";
    return 0;
  }
  for (int i = 0; i < 3; i++) {
    g->p[1][i] = v[i];
    g->n[1][i] = v[3 + i];
    g->p[2][i] = v[6 + i];
    g->n[2][i] = v[9 + i];
    g->c[i] = withC ? v[12 + i] : 0.0;
  }
  if (!withC) MidpointReference(g);
  const char *bad = ContactPairError(g);
  if (bad == nullptr) return 1;
  *error = bad;
  return 0;
}

} // namespace

int QualityStream(std::istream &in, std::ostream &out, std::ostream &err, const QualityRequest &req,
                  long *malformed) {
  GraspQuality q;
  auto answer = [&](const std::string &line, std::string *text, std::string *error) {
    ContactPair g;
    if (ReadPair(line, &g, error) == 0) return 0;
    PairQuality(&g, &req.model, req.torqueScale, req.proofBoxes, req.forms, 0.0, &req.robust, &q);
    const ReportSource src =
        ExactReportSource(&q.check, &req.model, 0, req.robust.samples > 0 ? &q.robust : nullptr);
    AppendReportJson(kExactReport, &src, text);
    return 1;
  };
  return StreamLines(in, out, err, req.program, answer, malformed);
}

} // namespace gs
