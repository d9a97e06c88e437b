// Drawing of the study additions (numbers panel, finger labels, the exact
// check's forces) into the frame, their switches, and the frame saved as PNG.
// With every addition off nothing here issues a GL call.
#pragma once

#include "graspstat/state.h"
#include "view/study_view.h"

namespace gs {

// The additions currently switched on (all off at start).
StudyView *CurrentStudyView();

// Returns true when the frame shows the case solver's forces (F2 off).
bool CaseForcesShown();

// Draws the additions that are on and belong to the scene, after it: the
// exact check's forces (F2) and the finger labels beside the fingertips (F1,
// on their backings), with the view transform on the modelview stack.
void DrawStudyScene(const GraspState *s);

// Draws the text lines of the additions that are on (the F2 line, the
// numbers panel) over everything drawn before, each on a light backing, so
// that no finger label and no part of the scene lies over them.
void DrawStudyText(const GraspState *s);

// Saves the frame drawn into the back buffer (width x height pixels, not yet
// swapped) as a PNG file at path. Returns 0, or -1 with a static text of the reason in
// *why when it cannot be written.
int SaveFramePng(const char *path, int width, int height, const char **why);

} // namespace gs
