// graspstat: statics of a two-finger hand grasping a sphere.
// Start-up fills the model, prints the key help and hands over to the window,
// whose keys go to the key interpreter.
#include <cstdio>

#include "app/key_help.h"
#include "app/keyboard.h"
#include "grasp/start_up.h"
#include "graspstat/state.h"
#include "view/display.h"
#include "view/window_camera.h"

namespace {

// The interpreter's redraw: the frame of the model as the key left it.
void RedrawFrame(const gs::GraspState *s, void * /*ctx*/) {
  gs::DrawFrame(s);
}

// The window's key handler: one key through the interpreter; 1 ends the program.
int InterpretKey(gs::GraspState *s, unsigned char key) {
  return (gs::KeyboardInterpret(s, key, &RedrawFrame, nullptr) == gs::kKeyExit) ? 1 : 0;
}

} // namespace

int main(int argc, char **argv) {
  static gs::GraspState state;
  gs::InitModelState(&state);
  gs::StartUp(&state);
  gs::PrintKeyHelp();
  // the help ends without a line break; make sure it is out before the window
  std::fflush(stdout);
  gs::OpenViewerWindow(&state, &InterpretKey, &argc, argv);
}
