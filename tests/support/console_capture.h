// Test helpers: capture console text and feed pause keys.
#pragma once

#include <string>

#include "graspstat/console.h"
#include "graspstat/trace.h"

namespace gs::testing {

// Captures every console text while it lives (shared with the batch tool).
using gs::ConsoleCapture;

// Feeds the given keys to the trace pauses, then reports end of input.
class ScriptedKeys {
public:
  explicit ScriptedKeys(std::string keys) : keys_(std::move(keys)) { SetKeySource(&Next, this); }
  ~ScriptedKeys() { SetKeySource(nullptr, nullptr); }
  ScriptedKeys(const ScriptedKeys &) = delete;
  ScriptedKeys &operator=(const ScriptedKeys &) = delete;

private:
  static int Next(void *ctx) {
    auto *self = static_cast<ScriptedKeys *>(ctx);
    if (self->pos_ >= self->keys_.size()) return -1;
    return static_cast<unsigned char>(self->keys_[self->pos_++]);
  }
  std::string keys_;
  std::size_t pos_ = 0;
};

// Switches one routine's narration on for the lifetime of the object.
class TraceOn {
public:
  explicit TraceOn(TraceId id) : id_(id) { SetTraceLevel(id_, 1); }
  ~TraceOn() { SetTraceLevel(id_, 0); }
  TraceOn(const TraceOn &) = delete;
  TraceOn &operator=(const TraceOn &) = delete;

private:
  TraceId id_;
};

} // namespace gs::testing
