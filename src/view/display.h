// One frame of the window: camera and light, the key-help block, the two
// labels and the banner of the current key mode as a text overlay, then the
// axes, the work, the hand and the contact or statics results, and last the
// program's own lines (the exact check, the study additions) over the scene.
#pragma once

#include "graspstat/state.h"
#include "view/banners.h"

namespace gs {

// Draws text up to its first '\n' in black at overlay position (x, y) of the
// 600 x 600 overlay square, with the GLUT bitmap font given.
void DrawText(float x, float y, void *font, const char *text);

// Draws n rows of a 100-character table, row i at (x, y0 + i dy).
void DrawTextBlock(float x, float y0, int n, float dy, void *font,
                   const char (*rows)[kHelpRowChars]);

// Draws n lines of text in black, line i at overlay position (x, y0 + i dy),
// each up to its first '\n' or NUL, over one light rectangle that covers
// them all, over whatever was drawn before.
void DrawBackedText(float x, float y0, int n, float dy, void *font, const char *const *lines);

// Draws the complete frame for the model into the back buffer, unswapped.
void DrawFrameContent(const GraspState *s);

// Draws the complete frame for the model and swaps it to the window.
void DrawFrame(const GraspState *s);

} // namespace gs
