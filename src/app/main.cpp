// graspstat: statics of a two-finger hand grasping a sphere.
// Start-up fills the model, prints the key help and hands over to the window.
#include <cstdlib>

#include "app/model_state.h"

int main(int argc, char **argv) {
  (void)argc;
  (void)argv;
  static gs::GraspState state;
  gs::InitModelState(&state);
  gs::StartUp(&state);
  gs::PrintKeyHelp();
  return EXIT_SUCCESS;
}
