#include "tools/checked_output.h"

#include <cerrno>
#include <cstring>
#include <ostream>

namespace gs {

int WriteChecked(std::ostream &out, const std::string &text, int flush) {
  if (!out) return EIO; // failed before: nothing more goes out
  errno = 0;
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (out && flush != 0) out.flush();
  if (out) return 0;
  return (errno != 0) ? errno : EIO;
}

std::string WriteFailureLine(const char *program, const char *what, int errnum) {
  return std::string(program) + ": cannot write " + what + ": " + std::strerror(errnum) + "\n";
}

} // namespace gs
