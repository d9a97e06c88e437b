// Collects console text instead of letting it reach standard output, for the
// batch tool and the tests: the console sink is this object's while it lives.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "graspstat/trace.h"

namespace gs {

// Captures every console text while it lives; restores standard output after.
class ConsoleCapture {
public:
  ConsoleCapture() { SetConsoleSink(&Append, &text_); }
  ~ConsoleCapture() { SetConsoleSink(nullptr, nullptr); }
  ConsoleCapture(const ConsoleCapture &) = delete;
  ConsoleCapture &operator=(const ConsoleCapture &) = delete;
  const std::string &text() const { return text_; }
  void clear() { text_.clear(); }

  // Splits the captured text into lines, dropping empty ones.
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text_.size()) {
      std::size_t end = text_.find('\n', start);
      if (end == std::string::npos) end = text_.size();
      if (end > start) lines.push_back(text_.substr(start, end - start));
      start = end + 1;
    }
    return lines;
  }

private:
  static void Append(const char *t, std::size_t n, void *ctx) {
    static_cast<std::string *>(ctx)->append(t, n);
  }
  std::string text_;
};

} // namespace gs
