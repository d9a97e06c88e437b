#include "tools/solve_stream.h"

#include <istream>
#include <ostream>
#include <string>

#include "tools/batch_run.h"
#include "tools/number_list.h"
#include "tools/state_json.h"

namespace gs {

namespace {

constexpr int kPoseFields = 6; // AL BET X Y Z R

// 1 when the line holds nothing to solve: only blanks, or a comment.
int SkipLine(const std::string &line) {
  const std::size_t first = line.find_first_not_of(" \t");
  return (first == std::string::npos || line[first] == '#') ? 1 : 0;
}

} // namespace

int SolveStream(std::istream &in, std::ostream &out, std::ostream &err, int degrees,
                const char *program) {
  BatchRun run{};
  std::string text;
  std::string line;
  std::string error;
  long number = 0;
  int bad = 0;
  while (std::getline(in, line)) {
    number++;
    if (!line.empty() && line.back() == '\r') line.pop_back(); // CRLF input
    if (SkipLine(line) != 0) continue;
    double v[kPoseFields];
    if (ParseNumberFields(line, kPoseFields, v, &error) == 0) {
      err << program << ": line " << number << ": " << error << " (want AL BET X Y Z R)\n";
      bad++;
      continue;
    }
    if (v[5] < 0.0) {
      err << program << ": line " << number << ": the work radius must not be negative\n";
      bad++;
      continue;
    }
    if (degrees != 0) {
      v[0] = HandDegreesToRad(v[0]);
      v[1] = HandDegreesToRad(v[1]);
    }
    RunSolve(&run, v[0], v[1], &v[2], v[5]);
    text.clear();
    AppendBatchRunJson(&run, 1, kJsonOneLine, &text);
    out << text << std::flush;
  }
  return bad;
}

} // namespace gs
