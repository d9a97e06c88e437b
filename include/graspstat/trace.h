// Console output of the tool and the narration switches of its calculations.
// Every console text goes through ConsolePrintf, so a caller (a test, the
// batch tool) can capture it instead of letting it reach standard output.
// Each calculation routine reads its own narration level on entry; all levels
// start at 0 (silent) and are changed only by SetTraceLevel.
#pragma once

#include <cstddef>

namespace gs {

// Routines that can narrate their calculation on the console.
enum TraceId : int {
  kTraceKeyboard = 0,
  kTraceLinkContact,
  kTraceTipContact,
  kTraceSphereContact,
  kTraceStatics,
  kTraceNormStatics,
  kTraceXYStatics,
  kTraceYZStatics,
  kTraceLineStatics,
  kTraceCount
};

// Receives console text; ctx is the pointer given to SetConsoleSink.
using ConsoleSink = void (*)(const char *text, std::size_t len, void *ctx);
// Supplies one key for a pause; returns the key, or -1 at end of input.
using KeySource = int (*)(void *ctx);

// Returns the narration level of routine id (0 = silent).
int TraceLevel(TraceId id);
// Sets the narration level of routine id alone.
void SetTraceLevel(TraceId id, int level);
// Sets every narration level back to 0.
void ResetTraceLevels();

// Sends the calling thread's console text to sink (nullptr: standard output,
// flushed per call). Every thread starts with standard output.
void SetConsoleSink(ConsoleSink sink, void *ctx);
// Takes the calling thread's pause keys from source (nullptr: the console's
// standard input). Every thread starts with the console.
void SetKeySource(KeySource source, void *ctx);

// Formats like printf and writes the text to the console sink.
void ConsolePrintf(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

// Prints "\ngetch()" and waits for one key; returns it, or 0 at end of input.
char PauseKey();
// Prints "\nInput getch()=<mark>" and waits for one key; returns it, or 0 at
// end of input.
char PauseKeyShow(char mark);
// Waits with PauseKeyShow(mark) until the key mark is typed; returns 1, or 0
// when the input ended first.
int PauseUntilKey(char mark);

// Prints "(" then " %7.4f" for a[lo..hi], then ")".
void PrintVec(int lo, int hi, const double *a);
// Prints the three rows of M, rows 1 and 2 indented as the label asks.
void PrintMat3(int indent, const double (*M)[3]);
// Prints a rows x cols row-major matrix (at most 10 x 10), one row per line.
void PrintMat(int indent, int rows, int cols, const double *M);

// Reads one key from fd 0 without echo or line wait when it is a terminal,
// else one byte; returns -1 at end of input.
int ReadConsoleKey();

} // namespace gs
