#include "view/study_draw.h"

#include <GL/glut.h>
#include <cairo.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "geom/vecmat.h"
#include "view/display.h"
#include "view/scene_draw.h"
#include "view/view_constants.h"
#include "view/view_geometry.h"

namespace gs {

namespace {

StudyView g_study = {false, false};

constexpr float kPanelX = 5.0f;       // panel left margin (overlay pixels)
constexpr float kPanelTop = 296.0f;   // first panel line, below the longest banner
constexpr float kPanelStep = -15.0f;  // between panel lines
constexpr float kForcesLineY = 62.0f; // the F2 line, above the two labels
constexpr double kLabelOffset = 25.0; // finger label beyond the fingertip centre (length)

// Black text beside a scene point, on its backing over everything: the
// point's window position is read back from the GL and drawn at in the overlay.
void SceneLabel(const double *p, const char *text) {
  glRasterPos3d(ViewScale(p[0]), ViewScale(p[1]), ViewScale(p[2]));
  GLint valid = GL_FALSE;
  glGetIntegerv(GL_CURRENT_RASTER_POSITION_VALID, &valid);
  if (valid != GL_TRUE) return; // outside the view: no label
  GLfloat at[4];
  GLint viewport[4];
  glGetFloatv(GL_CURRENT_RASTER_POSITION, at);
  glGetIntegerv(GL_VIEWPORT, viewport);
  const float x = (at[0] - static_cast<float>(viewport[0])) * static_cast<float>(kOverlaySize) /
                  static_cast<float>(std::max(1, viewport[2]));
  const float y = (at[1] - static_cast<float>(viewport[1])) * static_cast<float>(kOverlaySize) /
                  static_cast<float>(std::max(1, viewport[3]));
  DrawBackedText(x, y, 1, 0.0f, GLUT_BITMAP_HELVETICA_18, &text);
}

// "1" and "2" just beyond each fingertip, along its link.
void DrawFingerLabels(const GraspState *s) {
  for (int k = 1; k <= 2; k++) {
    const Vec3 *ends = (k == 2) ? s->rJ2 : s->rJ1;
    Vec3 link, p;
    SubVec3(ends[2], ends[1], link);
    const double len = NormVec3(link);
    if (len <= 0.0) continue;
    for (int i = 0; i < 3; i++) p[i] = ends[2][i] + link[i] / len * kLabelOffset;
    SceneLabel(p, k == 1 ? "1" : "2");
  }
}

void DrawPanel(const GraspState *s) {
  char lines[kPanelLines][kPanelLineChars];
  const char *rows[kPanelLines];
  const int n = PanelLines(s, lines);
  for (int i = 0; i < n; i++) rows[i] = lines[i];
  DrawBackedText(kPanelX, kPanelTop, n, kPanelStep, GLUT_BITMAP_HELVETICA_12, rows);
}

void DrawExactForcesLine(const GraspState *s) {
  char line[kPanelLineChars];
  ExactForcesLine(s, line, kPanelLineChars);
  const char *text = line;
  DrawBackedText(kPanelX, kForcesLineY, 1, 0.0f, GLUT_BITMAP_HELVETICA_12, &text);
}

} // namespace

StudyView *CurrentStudyView() {
  return &g_study;
}

bool CaseForcesShown() {
  return !g_study.exactForces;
}

void DrawStudyScene(const GraspState *s) {
  if (g_study.exactForces && s->sgnStaticsEnd == 1) {
    ForceSymbol sym[kMaxForceSymbols];
    const int n = ExactSymbols(s, sym);
    DrawForceSymbols(sym, 1, kGreen); // the load, as always
    DrawForceSymbols(sym + 1, n - 1, kMagenta);
  }
  if (g_study.panel) DrawFingerLabels(s);
}

void DrawStudyText(const GraspState *s) {
  if (g_study.exactForces) DrawExactForcesLine(s);
  if (g_study.panel) DrawPanel(s);
}

int SaveFramePng(const char *path, int width, int height, const char **why) {
  const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, width);
  if (width <= 0 || height <= 0 || stride <= 0) {
    *why = "no frame to save";
    return -1;
  }
  // GL rows run bottom to top; cairo's top to bottom, 32 bits per pixel
  // (BGRx in memory on a little-endian machine)
  std::vector<unsigned char> rows(static_cast<size_t>(stride) * height);
  std::vector<unsigned char> image(rows.size());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glPixelStorei(GL_PACK_ROW_LENGTH, stride / 4);
  glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, rows.data());
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  for (int y = 0; y < height; y++) {
    std::memcpy(&image[static_cast<size_t>(y) * stride],
                &rows[static_cast<size_t>(height - 1 - y) * stride], stride);
  }
  cairo_surface_t *surface =
      cairo_image_surface_create_for_data(image.data(), CAIRO_FORMAT_RGB24, width, height, stride);
  cairo_status_t status = cairo_surface_status(surface);
  if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_write_to_png(surface, path);
  cairo_surface_destroy(surface);
  if (status != CAIRO_STATUS_SUCCESS) {
    *why = cairo_status_to_string(status);
    return -1;
  }
  return 0;
}

} // namespace gs
