#include "graspstat/trace.h"

#include <unistd.h>

#include <cstdio>

#include <gtest/gtest.h>

#include "support/console_capture.h"

namespace gs {
namespace {

using testing::ConsoleCapture;
using testing::ScriptedKeys;

TEST(Trace, PrintVec) {
  ConsoleCapture out;
  const double v[3] = {1, -2.5, 0.25};
  PrintVec(0, 2, v);
  EXPECT_EQ(out.text(), "(  1.0000 -2.5000  0.2500)");
  out.clear();
  PrintVec(2, 1, v);
  EXPECT_EQ(out.text(), "()");
}

TEST(Trace, PrintMat3Indents) {
  const double M[3][3] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
  const std::string r0 = "(  1.0000  2.0000  3.0000)", r1 = "(  4.0000  5.0000  6.0000)",
                    r2 = "(  7.0000  8.0000  9.0000)";
  ConsoleCapture out;
  PrintMat3(0, M);
  EXPECT_EQ(out.text(), r0 + "\n" + r1 + "\n" + r2);
  out.clear();
  PrintMat3(1, M);
  EXPECT_EQ(out.text(), r0 + "\n " + r1 + "\n " + r2);
  out.clear();
  PrintMat3(9, M);
  EXPECT_EQ(out.text(), r0 + "\n         " + r1 + "\n         " + r2);
  out.clear();
  PrintMat3(-1, M);
  EXPECT_EQ(out.text(), r0 + "\n");
}

TEST(Trace, PrintMat) {
  const double M[6] = {1, 2, 3, 4, 5, 6};
  ConsoleCapture out;
  PrintMat(0, 1, 3, M);
  EXPECT_EQ(out.text(), "(  1.0000  2.0000  3.0000)");
  out.clear();
  PrintMat(2, 3, 2, M);
  EXPECT_EQ(out.text(), "(  1.0000  2.0000)\n  (  3.0000  4.0000)\n  (  5.0000  6.0000)");
}

TEST(Trace, PausesPrintAndReadOneKey) {
  ConsoleCapture out;
  ScriptedKeys keys("xyc");
  EXPECT_EQ(PauseKey(), 'x');
  EXPECT_EQ(out.text(), "\ngetch()");
  out.clear();
  EXPECT_EQ(PauseKeyShow('e'), 'y');
  EXPECT_EQ(out.text(), "\nInput getch()=e");
  out.clear();
  EXPECT_EQ(PauseUntilKey('c'), 1);
  EXPECT_EQ(PauseKey(), '\0'); // end of input returns at once
  EXPECT_EQ(PauseUntilKey('c'), 0);
}

TEST(Trace, LevelsDefaultOffAndSwitchAlone) {
  for (int id = 0; id < kTraceCount; id++) EXPECT_EQ(TraceLevel(static_cast<TraceId>(id)), 0);
  {
    testing::TraceOn on(kTraceYZStatics);
    EXPECT_EQ(TraceLevel(kTraceYZStatics), 1);
    EXPECT_EQ(TraceLevel(kTraceXYStatics), 0);
  }
  EXPECT_EQ(TraceLevel(kTraceYZStatics), 0);
}

TEST(Trace, ConsoleKeyFromPipeAndEndOfInput) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const int saved = dup(STDIN_FILENO);
  ASSERT_EQ(write(fds[1], "k", 1), 1);
  close(fds[1]);
  dup2(fds[0], STDIN_FILENO);
  close(fds[0]);
  const int first = ReadConsoleKey();
  const int second = ReadConsoleKey();
  dup2(saved, STDIN_FILENO);
  close(saved);
  EXPECT_EQ(first, 'k');
  EXPECT_EQ(second, -1);
}

} // namespace
} // namespace gs
