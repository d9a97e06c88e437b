#include "tools/trace_option.h"

#include <cctype>
#include <iostream>
#include <memory>

#include "graspstat/text.h"

namespace gs {

namespace {

// The routine that owns each narration level, in TraceId order.
const char *const kTraceNames[kTraceCount] = {
    "keyboard",           "VeskLinkSphereContact", "TipSphereContact",
    "VeskSphereContanct", "VeskStatics",           "VeskNormStatics",
    "VeskXYStatics",      "VeskYZStatics",         "VeskLineStatics",
};

bool SameName(const std::string &a, const char *b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; i++) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return i == a.size() && b[i] == '\0';
}

// A pause that never waits: the key source reports the end of its input.
int AnswerAtOnce(void * /*ctx*/) {
  return -1;
}

} // namespace

std::string TraceNameList() {
  std::string list;
  for (const char *name : kTraceNames) list += std::string(name) + "\n";
  return list + "all\n";
}

int ParseTraceNames(const std::string &text, int *levels, std::string *error) {
  for (int id = 0; id < kTraceCount; id++) levels[id] = 0;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    const std::string name = text.substr(start, end - start);
    bool known = SameName(name, "help");
    if (SameName(name, "all")) {
      for (int id = 0; id < kTraceCount; id++) levels[id] = 1;
      known = true;
    }
    for (int id = 0; id < kTraceCount; id++) {
      if (SameName(name, kTraceNames[id])) {
        levels[id] = 1;
        known = true;
      }
    }
    if (!known) {
      *error = "unknown routine '" + EchoText(name) + "' (--trace help lists them)";
      return 0;
    }
    if (end == text.size()) return 1;
    start = end + 1;
  }
}

int NarrateOnStderr(const std::string &names, const std::function<void(BatchRun *)> &run) {
  int levels[kTraceCount];
  std::string error;
  if (names.empty() || ParseTraceNames(names, levels, &error) == 0) return 0;
  int any = 0;
  for (int id = 0; id < kTraceCount; id++) any |= levels[id];
  if (any == 0) return 0;
  for (int id = 0; id < kTraceCount; id++) SetTraceLevel(static_cast<TraceId>(id), levels[id]);
  SetKeySource(&AnswerAtOnce, nullptr);
  auto narrated = std::make_unique<BatchRun>();
  run(narrated.get());
  SetKeySource(nullptr, nullptr);
  ResetTraceLevels();
  for (const std::string &line : narrated->messages) std::cerr << line << '\n';
  std::cerr.flush();
  return 1;
}

} // namespace gs
