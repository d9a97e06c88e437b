#include "tools/solve_stream.h"

#include <istream>
#include <ostream>
#include <string>

#include <nlohmann/json.hpp>

#include "graspstat/grasp.h"
#include "graspstat/numbers.h"
#include "graspstat/text.h"
#include "tools/checked_output.h"
#include "tools/state_json.h"
#include "tools/trace_option.h"

namespace gs {

namespace {

constexpr int kPoseFields = 6; // AL BET X Y Z R

// 1 when the line holds nothing to solve: only blanks, or a comment.
int SkipLine(const std::string &line) {
  const std::size_t first = line.find_first_not_of(" \t");
  return (first == std::string::npos || line[first] == '#') ? 1 : 0;
}

// Reads one pose line into v (radians); returns 1, or 0 with *error.
int ReadPose(const std::string &line, int degrees, double *v, std::string *error) {
  if (ParseNumberFields(line, kPoseFields, v, error) == 0) {
    *error += " (want AL BET X Y Z R)";
    return 0;
  }
  if (v[5] < 0.0) {
    *error = "the work radius must not be negative";
    return 0;
  }
  if (degrees != 0) {
    v[0] = HandDegreesToRad(v[0]);
    v[1] = HandDegreesToRad(v[1]);
  }
  return 1;
}

// The answer to a malformed line, on one line.
std::string ErrorLine(long number, const std::string &error) {
  const nlohmann::ordered_json j = {{"line", number}, {"error", error}};
  return j.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

} // namespace

int StreamLines(std::istream &in, std::ostream &out, std::ostream &err, const char *program,
                const LineAnswer &answer, long *malformed) {
  std::string line;
  std::string error;
  std::string text;
  long number = 0;
  *malformed = 0;
  while (std::getline(in, line)) {
    number++;
    TrimLineEnd(&line);
    if (SkipLine(line) != 0) continue;
    text.clear();
    if (answer(line, &text, &error) == 0) {
      err << program << ": line " << number << ": " << OneLineText(error) << '\n';
      (*malformed)++;
      text = ErrorLine(number, error);
    }
    // the next read may wait for a co-process: let it see this answer first
    const int flush = (in.rdbuf()->in_avail() <= 0) ? 1 : 0;
    const int failed = WriteChecked(out, text, flush);
    if (failed != 0) return failed;
  }
  return WriteChecked(out, "", 1);
}

int SolveStream(std::istream &in, std::ostream &out, std::ostream &err, const StreamRequest &req,
                long *malformed) {
  BatchRun run{};
  auto solve = [&](const std::string &line, std::string *text, std::string *error) {
    double v[kPoseFields];
    if (ReadPose(line, req.degrees, v, error) == 0) return 0;
    NarrateOnStderr(req.trace,
                    [&](BatchRun *r) { RunSolve(r, v[0], v[1], &v[2], v[5], &req.model); });
    RunSolve(&run, v[0], v[1], &v[2], v[5], &req.model);
    AppendBatchRunJson(&run, 1, kJsonOneLine, text);
    return 1;
  };
  return StreamLines(in, out, err, req.program, solve, malformed);
}

} // namespace gs
