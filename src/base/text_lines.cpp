#include "graspstat/text.h"

namespace gs {

namespace {

constexpr char kDelete = 127;
constexpr const char *kCut = "...";

// Appends byte c, escaped when it is a control character.
void AppendEscaped(char c, std::string *out) {
  switch (c) {
  case '\n':
    *out += "\\n";
    return;
  case '\r':
    *out += "\\r";
    return;
  case '\t':
    *out += "\\t";
    return;
  default:
    break;
  }
  const unsigned char u = static_cast<unsigned char>(c);
  if (u >= 32 && c != kDelete) {
    out->push_back(c);
    return;
  }
  const char *hex = "0123456789abcdef";
  *out += "\\x";
  out->push_back(hex[u >> 4]);
  out->push_back(hex[u & 15]);
}

// 1 when c continues a UTF-8 character (10xxxxxx).
int IsContinuation(char c) {
  return ((static_cast<unsigned char>(c) & 0xC0) == 0x80) ? 1 : 0;
}

} // namespace

void TrimLineEnd(std::string *line) {
  if (!line->empty() && line->back() == '\n') line->pop_back();
  while (!line->empty() && line->back() == '\r') line->pop_back();
}

std::string OneLineText(const std::string &text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) AppendEscaped(c, &out);
  return out;
}

std::string EchoText(const std::string &input) {
  const std::string whole = OneLineText(input);
  if (whole.size() <= kEchoMaxChars) return whole;
  const std::size_t room = kEchoMaxChars - std::char_traits<char>::length(kCut);
  std::string out;
  for (const char c : input) {
    std::string piece;
    AppendEscaped(c, &piece);
    // a character already begun is finished, whatever its length
    if (out.size() + piece.size() > room && IsContinuation(c) == 0) break;
    out += piece;
  }
  return out + kCut;
}

} // namespace gs
