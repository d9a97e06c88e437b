// The key interpreter: the only input path of the tool. Five mode keys
// (I, H, W, A, S) and the keys of each mode change the view, the hand pose
// or the work, or run the contact calculation finger by finger and the grasp
// statics. Every key ends with a redraw through the caller's hook.
#pragma once

#include "graspstat/state.h"

namespace gs {

// Draws the frame for the current state; ctx is the pointer given with it.
using RedrawFn = void (*)(const GraspState *s, void *ctx);

// Result of one key.
enum KeyResult : int {
  kKeyHandled = 0, // the key was applied and the frame redrawn
  kKeyExit = 1,    // ESC in mode I: the program ends now with status 0
};

// Applies one key to the model and redraws through redraw (nullptr: no
// drawing); returns kKeyExit for ESC in view mode, else kKeyHandled.
int KeyboardInterpret(GraspState *s, unsigned char key, RedrawFn redraw, void *ctx);

} // namespace gs
