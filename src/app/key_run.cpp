#include <string>

#include "app/keyboard.h"
#include "graspstat/console.h"
#include "graspstat/keys.h"

namespace gs {

int RunKeys(BatchRun *run, const std::string &keys, const ExactModel *model) {
  StartRun(run, model);
  ConsoleCapture console;
  for (const char c : keys) {
    if (KeyboardInterpret(&run->state, static_cast<unsigned char>(c), nullptr, nullptr) ==
        kKeyExit) {
      run->exited = 1;
      break;
    }
  }
  run->messages = console.Lines();
  return run->exited;
}

} // namespace gs
