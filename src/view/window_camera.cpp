#include "view/window_camera.h"

#include <GL/glut.h>

#include <cmath>
#include <cstdlib>

#include "view/display.h"
#include "view/view_constants.h"

namespace gs {

namespace {

const char kWindowTitle[] =
    "F:Robot Choice, O:Obstacle Set, A:Cal.of Goal Pose, B:Path Generation, C:Path Motion";

// The model the window shows and the handler of its keys; GLUT callbacks
// carry no context of their own.
GraspState *g_model = nullptr;
KeyHandler g_onKey = nullptr;

// Eye position in scene units, recomputed at the start of every frame.
double eyePos[3] = {0.0, 0.0, zEye};

} // namespace

void OpenViewerWindow(GraspState *s, KeyHandler onKey, int *argc, char **argv) {
  g_model = s;
  g_onKey = onKey;
  glutInitWindowSize(kWindowWidth, kWindowHeight);
  glutInit(argc, argv);
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  CreateMainWindow();
  glutDisplayFunc(usrdisplay);
  glutReshapeFunc(usrreshape);
  glutKeyboardFunc(keyboard);
  glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
  glutMainLoop();
  std::exit(EXIT_SUCCESS); // only reached when GLUT hands back after the window closed
}

int CreateMainWindow() {
  return glutCreateWindow(kWindowTitle);
}

void usrdisplay() {
  DrawFrame(g_model);
}

void usrreshape(int w, int h) {
  glViewport(0, 0, w, h);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
}

void keyboard(unsigned char key, int x, int y) {
  (void)x;
  (void)y;
  if (g_onKey != nullptr && g_onKey(g_model, key) != 0) std::exit(EXIT_SUCCESS);
}

void SetCameraAndLights() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  gluPerspective(kFovYDeg, kAspect, kNearPlane, kFarPlane);
  eyePos[0] = rEye * std::cos(thEye);
  eyePos[1] = rEye * std::sin(thEye);
  gluLookAt(eyePos[0], eyePos[1], eyePos[2], 0.0, 0.0, 0.0, 0.0, 0.0, 1.0);
  glEnable(GL_LIGHTING);
  glLightfv(GL_LIGHT0, GL_POSITION, lightPos);
  glLightfv(GL_LIGHT0, GL_AMBIENT, lightAmb);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, lightDif);
  glLightfv(GL_LIGHT0, GL_SPECULAR, lightSpec);
  glEnable(GL_LIGHT0);
  glEnable(GL_DEPTH_TEST);
}

void SetViewTransform(double rx, double ry, double rz, double tx, double ty, double tz) {
  glRotated(rx, 1.0, 0.0, 0.0);
  glRotated(ry, 0.0, 1.0, 0.0);
  glRotated(rz, 0.0, 0.0, 1.0);
  glTranslated(tx, ty, tz);
}

void SwapFrame() {
  glFlush();
  glutSwapBuffers();
}

} // namespace gs
