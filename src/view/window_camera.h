// The GLUT window of the tool and the viewing set-up of every frame: the
// window with its three callbacks, the reshape, the fixed camera and light,
// the view rotation and translation of key mode I, and the buffer swap.
#pragma once

#include "graspstat/state.h"

namespace gs {

// Applies one key to the model and draws the frames it asks for; returns 1
// when the program is to end now, else 0.
using KeyHandler = int (*)(GraspState *s, unsigned char key);

// Opens the 600 x 600 window for the model s, registers the display,
// reshape, keyboard, special-key and mouse callbacks (keys go to onKey) and runs the event loop;
// never returns. The process ends with status 0 when the window system closes
// or destroys the window.
[[noreturn]] void OpenViewerWindow(GraspState *s, KeyHandler onKey, int *argc, char **argv);

// Creates the main window with its title; returns the GLUT window id.
int CreateMainWindow();

// GLUT display callback: draws the frame of the model.
void usrdisplay();

// Largest window side (pixels) the window is given: the current GL context's
// viewport limit, at most kMaxWindowSide, never below the initial window size.
int DrawableSideLimit();

// GLUT reshape callback: the viewport follows the window (w x h pixels), the
// projection stays the identity. A side beyond DrawableSideLimit() is cut to
// it, and the window is sized back to the cut size.
void usrreshape(int w, int h);

// GLUT keyboard callback: hands the key to the window's key handler and ends
// the process with status 0 when the handler asks for it.
void keyboard(unsigned char key, int x, int y);

// GLUT special-key callback: F1 switches the numbers panel, F2 the exact
// check's forces, F12 saves the frame as PNG in the working directory (a
// file of its own each time), Home puts the view back to the start-up view.
void special(int key, int x, int y);

// GLUT mouse callback: a left or right press starts a drag (turn, move), the
// wheel moves the view along the viewing direction.
void mouse(int button, int state, int x, int y);

// GLUT motion callback: applies the drag in progress to the view.
void motion(int x, int y);

// Clears the frame and sets perspective, camera and light on the modelview
// stack.
void SetCameraAndLights();

// Turns the scene by rx, ry, rz degrees about X, Y, Z and shifts it by
// (tx, ty, tz) scene units, multiplied onto the modelview matrix.
void SetViewTransform(double rx, double ry, double rz, double tx, double ty, double tz);

// Swaps the frame to the window (GLUT flushes the GL first: one flush per
// frame).
void SwapFrame();

} // namespace gs
