// Loses memory of its own on purpose: run under the GL leak suppressions of
// the sanitizer build, the leak check at exit must still report it.
#include <cstdio>
#include <cstdlib>

namespace {

constexpr std::size_t kLostBytes = 4096; // the block that is lost (bytes)

// Allocates a block, writes to it and returns it.
char *FillBlock() {
  char *block = static_cast<char *>(std::malloc(kLostBytes));
  if (block != nullptr) block[0] = 1;
  return block;
}

} // namespace

int main() {
  char *volatile lost = FillBlock();
  std::printf("%d\n", lost != nullptr ? lost[0] : 0);
  lost = nullptr;
  return 0;
}
