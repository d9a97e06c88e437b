// graspstat: statics of a two-finger hand grasping a sphere.
// Start-up fills the model, prints the key help and hands over to the window.
#include <cstdio>

#include "app/model_state.h"
#include "view/window_camera.h"

int main(int argc, char **argv) {
  static gs::GraspState state;
  gs::InitModelState(&state);
  gs::StartUp(&state);
  gs::PrintKeyHelp();
  // the help ends without a line break; make sure it is out before the window
  std::fflush(stdout);
  gs::OpenViewerWindow(&state, &argc, argv);
}
