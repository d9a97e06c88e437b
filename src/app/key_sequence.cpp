#include "graspstat/keys.h"

#include "graspstat/text.h"

namespace gs {

namespace {

constexpr char kEscKey = 27;

// Returns the value 0..15 of hex digit c, or -1.
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

int Fail(std::string *error, std::size_t pos, const std::string &what) {
  *error = "bad escape at position " + std::to_string(pos + 1) + ": " + what;
  return 0;
}

} // namespace

int ParseKeySequence(const std::string &text, std::string *keys, std::string *error) {
  keys->clear();
  for (std::size_t i = 0; i < text.size(); i++) {
    if (text[i] != '\\') {
      keys->push_back(text[i]);
      continue;
    }
    const std::size_t at = i;
    if (i + 1 >= text.size()) return Fail(error, at, "'\\' ends the sequence");
    const char kind = text[++i];
    if (kind == 'e') {
      keys->push_back(kEscKey);
    } else if (kind == '\\') {
      keys->push_back('\\');
    } else if (kind == 'x') {
      const int hi = (i + 1 < text.size()) ? HexValue(text[i + 1]) : -1;
      const int lo = (i + 2 < text.size()) ? HexValue(text[i + 2]) : -1;
      if (hi < 0 || lo < 0) return Fail(error, at, "'\\x' needs two hex digits");
      keys->push_back(static_cast<char>(hi * 16 + lo));
      i += 2;
    } else {
      return Fail(error, at,
                  "unknown escape '\\" + EchoText(std::string(1, kind)) +
                      "' (use \\e, \\\\ or \\xHH)");
    }
  }
  return 1;
}

} // namespace gs
