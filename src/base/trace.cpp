#include "graspstat/trace.h"

#include <termios.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <string>

namespace gs {

namespace {

int traceLevels[kTraceCount] = {};
// each thread has its own console capture and pause keys, so calculations
// run side by side never write into one another's text
thread_local ConsoleSink consoleSink = nullptr;
thread_local void *consoleCtx = nullptr;
thread_local KeySource keySource = nullptr;
thread_local void *keyCtx = nullptr;

int NextKey() {
  if (keySource != nullptr) return keySource(keyCtx);
  return ReadConsoleKey();
}

} // namespace

int TraceLevel(TraceId id) {
  return (id >= 0 && id < kTraceCount) ? traceLevels[id] : 0;
}

void SetTraceLevel(TraceId id, int level) {
  if (id >= 0 && id < kTraceCount) traceLevels[id] = level;
}

void ResetTraceLevels() {
  for (int &level : traceLevels) level = 0;
}

void SetConsoleSink(ConsoleSink sink, void *ctx) {
  consoleSink = sink;
  consoleCtx = ctx;
}

void SetKeySource(KeySource source, void *ctx) {
  keySource = source;
  keyCtx = ctx;
}

void ConsolePrintf(const char *fmt, ...) {
  char small[512];
  va_list args;
  va_start(args, fmt);
  va_list copy;
  va_copy(copy, args);
  const int len = std::vsnprintf(small, sizeof small, fmt, args);
  va_end(args);
  if (len < 0) {
    va_end(copy);
    return;
  }
  std::string big;
  const char *text = small;
  if (static_cast<std::size_t>(len) >= sizeof small) {
    big.resize(static_cast<std::size_t>(len) + 1);
    std::vsnprintf(&big[0], big.size(), fmt, copy);
    text = big.c_str();
  }
  va_end(copy);
  if (consoleSink != nullptr) {
    consoleSink(text, static_cast<std::size_t>(len), consoleCtx);
  } else {
    std::fwrite(text, 1, static_cast<std::size_t>(len), stdout);
    std::fflush(stdout);
  }
}

int ReadConsoleKey() {
  unsigned char ch = 0;
  if (isatty(STDIN_FILENO) == 0) {
    // not a terminal: one byte, or end of input
    return (read(STDIN_FILENO, &ch, 1) == 1) ? ch : -1;
  }
  termios saved{};
  if (tcgetattr(STDIN_FILENO, &saved) != 0) {
    return (read(STDIN_FILENO, &ch, 1) == 1) ? ch : -1;
  }
  termios raw = saved;
  raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  tcsetattr(STDIN_FILENO, TCSANOW, &raw);
  const ssize_t got = read(STDIN_FILENO, &ch, 1);
  tcsetattr(STDIN_FILENO, TCSANOW, &saved); // put the terminal back as it was
  return (got == 1) ? ch : -1;
}

char PauseKey() {
  ConsolePrintf("\ngetch()");
  const int key = NextKey();
  return (key < 0) ? '\0' : static_cast<char>(key);
}

char PauseKeyShow(char mark) {
  ConsolePrintf("\nInput getch()=%c", mark);
  const int key = NextKey();
  return (key < 0) ? '\0' : static_cast<char>(key);
}

int PauseUntilKey(char mark) {
  for (;;) {
    ConsolePrintf("\nInput getch()=%c", mark);
    const int key = NextKey();
    if (key < 0) return 0; // end of input: never wait forever
    if (static_cast<char>(key) == mark) return 1;
  }
}

void PrintVec(int lo, int hi, const double *a) {
  ConsolePrintf("(");
  for (int i = lo; i <= hi; i++) ConsolePrintf(" %7.4f", a[i]);
  ConsolePrintf(")");
}

void PrintMat3(int indent, const double (*M)[3]) {
  PrintVec(0, 2, M[0]);
  ConsolePrintf("\n");
  if (indent < 0) return;
  if (indent == 0) {
    PrintVec(0, 2, M[1]);
    ConsolePrintf("\n");
    PrintVec(0, 2, M[2]);
  } else if (indent == 1) {
    ConsolePrintf(" ");
    PrintVec(0, 2, M[1]);
    ConsolePrintf("\n ");
    PrintVec(0, 2, M[2]);
  } else {
    ConsolePrintf("%*s", indent, "");
    PrintVec(0, 2, M[1]);
    ConsolePrintf("\n%*s", indent, "");
    PrintVec(0, 2, M[2]);
  }
}

void PrintMat(int indent, int rows, int cols, const double *M) {
  constexpr int kMax = 10;
  if (rows > kMax) rows = kMax;
  if (cols > kMax) cols = kMax;
  if (rows <= 0 || cols <= 0) {
    ConsolePrintf("()");
    return;
  }
  double work[kMax][kMax] = {};
  for (int i = 0; i < rows; i++)
    for (int j = 0; j < cols; j++) work[i][j] = M[i * cols + j];
  PrintVec(0, cols - 1, work[0]);
  for (int i = 1; i < rows; i++) {
    ConsolePrintf("\n");
    if (indent >= 1) ConsolePrintf("%*s", indent, "");
    PrintVec(0, cols - 1, work[i]);
  }
}

} // namespace gs
