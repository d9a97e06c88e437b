#include "graspstat/numbers.h"

#include <charconv>
#include <cmath>

#include "graspstat/text.h"

namespace gs {

namespace {

constexpr int kNumberChars = 32; // room for one shortest double

// Reads one finite number filling all of [first, last); returns 1 or 0.
int ReadNumber(const char *first, const char *last, double *value) {
  if (first != last && *first == '+') first++;
  if (first == last) return 0;
  const std::from_chars_result r = std::from_chars(first, last, *value);
  if (r.ec != std::errc() || r.ptr != last) return 0;
  return std::isfinite(*value) ? 1 : 0;
}

int IsBlank(char c) {
  return (c == ' ' || c == '\t') ? 1 : 0;
}

} // namespace

int ParseNumberList(const std::string &text, int count, double *out, std::string *error) {
  std::size_t start = 0;
  for (int i = 0; i < count; i++) {
    const std::size_t comma = text.find(',', start);
    // every item but the last ends at a comma; the last one ends the text
    if ((i < count - 1) != (comma != std::string::npos)) {
      *error = "expected " + std::to_string(count) + " comma-separated numbers, got '" +
               EchoText(text) + "'";
      return 0;
    }
    const std::size_t end = (comma == std::string::npos) ? text.size() : comma;
    const std::string item = text.substr(start, end - start);
    if (ReadNumber(item.data(), item.data() + item.size(), &out[i]) == 0) {
      *error = "'" + EchoText(item) + "' is not a finite number";
      return 0;
    }
    start = end + 1;
  }
  return 1;
}

int ParseNumberFields(const std::string &text, int count, double *out, std::string *error) {
  const std::size_t size = text.size();
  std::size_t i = 0;
  int got = 0;
  while (i < size && IsBlank(text[i]) != 0) i++;
  if (i == size) {
    *error = "expected " + std::to_string(count) + " numbers, got none";
    return 0;
  }
  for (;;) {
    const std::size_t start = i;
    while (i < size && IsBlank(text[i]) == 0 && text[i] != ',') i++;
    if (i == start) {
      *error = "empty field";
      return 0;
    }
    if (got == count) {
      *error = "expected " + std::to_string(count) + " numbers, got more";
      return 0;
    }
    const std::string item = text.substr(start, i - start);
    if (ReadNumber(item.data(), item.data() + item.size(), &out[got]) == 0) {
      *error = "'" + EchoText(item) + "' is not a finite number";
      return 0;
    }
    got++;
    while (i < size && IsBlank(text[i]) != 0) i++;
    if (i < size && text[i] == ',') {
      i++;
      while (i < size && IsBlank(text[i]) != 0) i++;
      continue; // a field must follow the comma
    }
    if (i == size) break;
  }
  if (got < count) {
    *error = "expected " + std::to_string(count) + " numbers, got " + std::to_string(got);
    return 0;
  }
  return 1;
}

std::string NumberListText(const double *v, int count) {
  std::string text;
  for (int i = 0; i < count; i++) {
    char buf[kNumberChars];
    const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, v[i]);
    text += (i > 0 ? "," : "") + std::string(buf, r.ptr);
  }
  return text;
}

} // namespace gs
