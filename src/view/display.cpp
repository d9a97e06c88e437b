#include "view/display.h"

#include <GL/freeglut.h>

#include <algorithm>

#include "view/hand_draw.h"
#include "view/scene_draw.h"
#include "view/study_draw.h"
#include "view/view_constants.h"
#include "view/window_camera.h"

namespace gs {

namespace {

constexpr float kTextX = 5.0f;       // left margin of every overlay line
constexpr float kHelpTop = 580.0f;   // overlay height of the first help row
constexpr float kHelpStep = -20.0f;  // overlay step between help rows
constexpr float kLabelLowY = 20.0f;  // "P-Jnt,2-Finger"
constexpr float kLabelHighY = 40.0f; // "Sphere"
constexpr int kMaxTextChars = 100;   // longest text a line can hold

// Sets up the overlay: the 600 x 600 square on the modelview stack, black,
// no depth test, no lighting.
void BeginOverlay() {
  glPushMatrix();
  glLoadIdentity();
  gluOrtho2D(0.0, kOverlaySize, 0.0, kOverlaySize);
  glPushAttrib(GL_CURRENT_BIT | GL_DEPTH_BUFFER_BIT);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glColor3f(0.0f, 0.0f, 0.0f);
}

void EndOverlay() {
  glEnable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);
  glPopAttrib();
  glPopMatrix();
}

void BitmapChars(void *font, const char *text) {
  const int n = TextLength(text, kMaxTextChars);
  for (int i = 0; i < n; i++) glutBitmapCharacter(font, static_cast<unsigned char>(text[i]));
}

// Width of text up to its first '\n' in the bitmap font (window pixels).
int BitmapWidth(void *font, const char *text) {
  const int n = TextLength(text, kMaxTextChars);
  int w = 0;
  for (int i = 0; i < n; i++) w += glutBitmapWidth(font, static_cast<unsigned char>(text[i]));
  return w;
}

} // namespace

void DrawText(float x, float y, void *font, const char *text) {
  BeginOverlay();
  glRasterPos2f(x, y);
  BitmapChars(font, text);
  EndOverlay();
}

void DrawTextBlock(float x, float y0, int n, float dy, void *font,
                   const char (*rows)[kHelpRowChars]) {
  BeginOverlay();
  for (int i = 0; i < n; i++) {
    glRasterPos2f(x, y0 + static_cast<float>(i) * dy);
    BitmapChars(font, rows[i]);
  }
  EndOverlay();
}

void DrawBackedText(float x, float y0, int n, float dy, void *font, const char *const *lines) {
  if (n <= 0) return;
  // bitmaps keep their size in window pixels while the overlay square
  // stretches with the window: the backing is measured in pixels
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  const float perPixelX = static_cast<float>(kOverlaySize) / std::max(1, viewport[2]);
  const float perPixelY = static_cast<float>(kOverlaySize) / std::max(1, viewport[3]);
  int width = 0;
  for (int i = 0; i < n; i++) width = std::max(width, BitmapWidth(font, lines[i]));
  const bool small = font == GLUT_BITMAP_HELVETICA_12;
  const float ascent = small ? kBackingAscent12 : kBackingAscent18;
  const float descent = small ? kBackingDescent12 : kBackingDescent18;
  const float yLast = y0 + static_cast<float>(n - 1) * dy;
  BeginOverlay();
  glColor3f(kBacking[0], kBacking[1], kBacking[2]);
  glRectf(x - kBackingPad * perPixelX, std::min(y0, yLast) - descent * perPixelY,
          x + (static_cast<float>(width) + kBackingPad) * perPixelX,
          std::max(y0, yLast) + ascent * perPixelY);
  glColor3f(0.0f, 0.0f, 0.0f);
  for (int i = 0; i < n; i++) {
    glRasterPos2f(x, y0 + static_cast<float>(i) * dy);
    BitmapChars(font, lines[i]);
  }
  EndOverlay();
}

void DrawFrameContent(const GraspState *s) {
  void *const font = GLUT_BITMAP_HELVETICA_18;
  SetCameraAndLights();
  DrawTextBlock(kTextX, kHelpTop, kHelpRows, kHelpStep, font, kHelpLines);
  DrawText(kTextX, kLabelLowY, font, "P-Jnt,2-Finger\n");
  DrawText(kTextX, kLabelHighY, font, "Sphere\n");
  BannerLine banner[kMaxBannerLines];
  const int lines = ModeBanner(s, banner);
  for (int i = 0; i < lines; i++) {
    if (!banner[i].onTop) DrawText(kTextX, banner[i].y, font, banner[i].text);
  }

  SetViewTransform(s->viewRot[0], s->viewRot[1], s->viewRot[2], s->viewTrans[0], s->viewTrans[1],
                   s->viewTrans[2]);
  DrawAxes();
  // before the statics the work writes no depth, so the hand always shows over it
  if (s->sgnStaticsEnd == 1) {
    DrawWork(s->rwG, s->EW, s->aSph);
    DrawHandStatics(s, kBlue);
  } else {
    DrawWorkBlend(s->rwG, s->EW, s->aSph);
    DrawHand(s, kBlue);
  }
  if (s->cntContact > 0 && s->sgnStaticsEnd == 0) DrawContacts(s);
  if (s->sgnStaticsEnd == 1 && CaseForcesShown()) DrawStaticsForces(s);
  DrawStudyScene(s); // none unless switched on

  // this program's own text goes over the scene, where nothing can hide it
  for (int i = 0; i < lines; i++) {
    if (banner[i].onTop) DrawBackedText(kTextX, banner[i].y, 1, 0.0f, font, &banner[i].text);
  }
  DrawStudyText(s); // none unless switched on
}

void DrawFrame(const GraspState *s) {
  DrawFrameContent(s);
  SwapFrame();
}

} // namespace gs
