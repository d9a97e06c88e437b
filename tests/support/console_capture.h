// Test helpers: capture console text and feed pause keys.
#pragma once

#include <string>

#include "app/trace.h"

namespace gs::testing {

// Captures every console text while it lives; restores standard output after.
class ConsoleCapture {
public:
  ConsoleCapture() { SetConsoleSink(&Append, &text_); }
  ~ConsoleCapture() { SetConsoleSink(nullptr, nullptr); }
  ConsoleCapture(const ConsoleCapture &) = delete;
  ConsoleCapture &operator=(const ConsoleCapture &) = delete;
  const std::string &text() const { return text_; }
  void clear() { text_.clear(); }

private:
  static void Append(const char *t, std::size_t n, void *ctx) {
    static_cast<std::string *>(ctx)->append(t, n);
  }
  std::string text_;
};

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
