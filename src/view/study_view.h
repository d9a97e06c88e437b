// The study additions of the window, switched on by the user beside the key
// interpreter: the numbers panel (F1), the exact check's forces in place of
// the case solver's (F2), mouse turning and moving of the view, and the frame
// saved as PNG (F12). This part holds their state and computes their texts,
// symbols and view changes without any GL call; study_draw draws them.
#pragma once

#include <ctime>

#include "graspstat/state.h"
#include "view/view_geometry.h"

namespace gs {

// What the user has switched on. Everything off is the plain frame.
struct StudyView {
  bool panel;       // F1: numbers panel and finger labels
  bool exactForces; // F2: the exact check's forces instead of the case solver's
};

constexpr int kPanelLines = 16;     // most lines of the numbers panel
constexpr int kPanelLineChars = 72; // characters per panel line, NUL included

// Writes the numbers panel, one NUL-terminated line each: per finger the
// contact kind, joint angle and, after the statics, FCZ, TCF, MCZ; the case
// and verdict; the exact check's least-force solution, margin, capacity and
// blocking limits; the hand angles, the work centre and radius. Returns the
// number of lines.
int PanelLines(const GraspState *s, char (*lines)[kPanelLineChars]);

// Returns 1 when finger k (1 or 2) touches the work with its fingertip
// sphere, 0 when with its link.
int FingertipContact(const GraspState *s, int k);

// Lists the symbols of the exact check's least-force solution as
// StaticsSymbols does for the case solver's: the load, then per contact the
// normal force, the friction force and the friction moment. Only the load
// when the check has no holding answer. Returns the number written.
int ExactSymbols(const GraspState *s, ForceSymbol *out);

// Writes the line that says which forces the scene shows with F2 on (the
// exact check's, or why none are drawn), NUL-terminated.
void ExactForcesLine(const GraspState *s, char *line, int cap);

// Mouse buttons of a view drag.
enum DragButton : int {
  kDragTurn = 0, // left: turn the view
  kDragMove = 1, // right: move the view along the viewing direction
};

// Applies a mouse drag of (dx, dy) window pixels to the view: a turn drag
// turns by one view-key step (degrees) per pixel, dx about Z and dy about X;
// a move drag moves the scene toward the eye by one shift step per pixel of
// dy upward. Writes s->viewRot, s->viewTrans only.
void DragView(GraspState *s, int button, int dx, int dy);

// Moves the scene along the viewing direction by steps shift steps (toward
// the eye when positive), in the turned frame the view shift works in.
void MoveAlongView(GraspState *s, double steps);

// Puts the view back where start-up left it: the start rotation and shift.
void RestoreStartView(GraspState *s);

// Writes the name of save number seq within the second of local time t:
// "graspstat-YYYYMMDD-HHMMSS.png" for seq 1, "graspstat-YYYYMMDD-HHMMSS-N.png"
// for seq N > 1; returns 0, or -1 when the name does not fit in cap characters.
int ScreenshotName(std::time_t t, int seq, char *name, int cap);

} // namespace gs
