// The key help printed at start-up, byte for byte.
#include "app/key_help.h"

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "support/console_capture.h"

namespace gs {
namespace {

TEST(KeyHelp, IsExactAndEndsWithoutNewline) {
  std::ifstream f(GRASPSTAT_SOURCE_DIR "/tests/app/key_help.txt", std::ios::binary);
  std::stringstream want;
  want << f.rdbuf();
  testing::ConsoleCapture out;
  PrintKeyHelp();
  EXPECT_EQ(out.text(), want.str());
  ASSERT_FALSE(out.text().empty());
  EXPECT_NE(out.text().back(), '\n');
}

} // namespace
} // namespace gs
