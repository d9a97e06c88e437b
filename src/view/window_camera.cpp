#include "view/window_camera.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>

#ifdef __SANITIZE_ADDRESS__
#include <dlfcn.h>
#include <link.h>
#endif

#include <algorithm>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "view/display.h"
#include "view/study_draw.h"
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

// Largest window side the GL driver can draw to (pixels), asked once the
// window's context exists. A software driver allocates its buffers at the
// window's size and fails on a window far beyond its viewport limit.
int g_maxSide = kWindowWidth;

// Set while WindowExists asks the X server about the window: a request on a
// window that is gone fails, and the failure is the answer.
bool g_windowGone = false;

int NoteMissingWindow(Display * /*dpy*/, XErrorEvent * /*err*/) {
  g_windowGone = true;
  return 0;
}

// Returns true while the X server still has window win.
bool WindowExists(Display *dpy, Window win) {
  XSync(dpy, False);
  g_windowGone = false;
  const auto previous = XSetErrorHandler(&NoteMissingWindow);
  XWindowAttributes attributes;
  const Status ok = XGetWindowAttributes(dpy, win, &attributes);
  XSync(dpy, False);
  XSetErrorHandler(previous);
  return ok != 0 && !g_windowGone;
}

#ifdef __SANITIZE_ADDRESS__
// Marks one loaded library never to be unloaded (dlopen of a loaded library
// only adds the flag). Returns 0 to go on to the next library.
int PinLibrary(dl_phdr_info *info, size_t /*size*/, void * /*data*/) {
  if (info->dlpi_name != nullptr && info->dlpi_name[0] != '\0') {
    dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
  }
  return 0;
}
#endif

// Sanitizer builds only: keeps the GL driver, which the GL library loads when
// the context is made and unloads when the display closes at exit, mapped
// until the leak check at exit. Unloaded, its globals are no longer scanned,
// so everything they hold counts as leaked, and its stack frames lose their
// library names, so the suppressions of the driver's leaks cannot match them.
void KeepLibrariesForLeakCheck() {
#ifdef __SANITIZE_ADDRESS__
  dl_iterate_phdr(&PinLibrary, nullptr);
#endif
}

// The event loop of the window. GLUT ends the process itself when the window
// system asks the window to close (GLUT_ACTION_EXIT), but a window destroyed
// outright (no window manager, xdotool windowclose) only sends DestroyNotify,
// which GLUT ignores: after every batch of events the loop checks that the
// window still exists and ends the process with status 0 when it does not.
// It sleeps on the X connection between batches; there is no idle work.
[[noreturn]] void RunEventLoop() {
  Display *dpy = glXGetCurrentDisplay();
  const Window win = glXGetCurrentDrawable();
  pollfd fd = {ConnectionNumber(dpy), POLLIN, 0};
  for (;;) {
    glutMainLoopEvent();
    if (!WindowExists(dpy, win)) {
      // GLUT's clean-up at exit still destroys the window it thinks it has
      XSetErrorHandler(&NoteMissingWindow);
      std::exit(EXIT_SUCCESS);
    }
    if (XPending(dpy) == 0) poll(&fd, 1, -1);
  }
}

} // namespace

void OpenViewerWindow(GraspState *s, KeyHandler onKey, int *argc, char **argv) {
  g_model = s;
  g_onKey = onKey;
  glutInitWindowSize(kWindowWidth, kWindowHeight);
  glutInit(argc, argv);
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  CreateMainWindow();
  KeepLibrariesForLeakCheck();
  g_maxSide = DrawableSideLimit();
  glutDisplayFunc(usrdisplay);
  glutReshapeFunc(usrreshape);
  glutKeyboardFunc(keyboard);
  glutSpecialFunc(special);
  glutMouseFunc(mouse);
  glutMotionFunc(motion);
  glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
  glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_EXIT);
  RunEventLoop();
}

int CreateMainWindow() {
  return glutCreateWindow(kWindowTitle);
}

void usrdisplay() {
  DrawFrame(g_model);
}

int DrawableSideLimit() {
  GLint dims[2] = {0, 0};
  glGetIntegerv(GL_MAX_VIEWPORT_DIMS, dims);
  const int limit = std::min({dims[0], dims[1], kMaxWindowSide});
  return std::max(limit, kWindowWidth);
}

void usrreshape(int w, int h) {
  // A window made larger than the driver can draw is sized back before its
  // next frame; until then the viewport stays within the limit.
  const int cw = std::min(w, g_maxSide);
  const int ch = std::min(h, g_maxSide);
  if (cw != w || ch != h) glutReshapeWindow(cw, ch);
  glViewport(0, 0, cw, ch);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
}

void keyboard(unsigned char key, int x, int y) {
  (void)x;
  (void)y;
  if (g_onKey != nullptr && g_onKey(g_model, key) != 0) std::exit(EXIT_SUCCESS);
}

namespace {

// The button of the drag in progress (a DragButton, -1 for none) and the
// pointer position it was last seen at (window pixels).
int g_dragButton = -1;
int g_dragX = 0;
int g_dragY = 0;

constexpr int kWheelUp = 3;           // GLUT button number of a wheel turn away from the user
constexpr int kWheelDown = 4;         // and toward the user
constexpr double kWheelSteps = 5.0;   // view shift steps per wheel notch
constexpr int kPathChars = 4096;      // longest working-directory path printed
constexpr mode_t kNewFileMode = 0644; // a saved frame: read-write for its owner, readable by all

constexpr int kMaxSavesPerSecond = 10000; // saves one second's names can tell apart

// Claims a file name of its own for a save at time t: the first of the
// second's names with no file yet, created empty at once so that no other
// save takes it. Returns 0, or -1 with the reason in *why.
int ClaimScreenshotName(std::time_t t, char *name, int cap, const char **why) {
  for (int seq = 1; seq <= kMaxSavesPerSecond; seq++) {
    if (ScreenshotName(t, seq, name, cap) != 0) break;
    const int fd = open(name, O_WRONLY | O_CREAT | O_EXCL, kNewFileMode);
    if (fd >= 0) {
      close(fd);
      return 0;
    }
    if (errno != EEXIST) {
      *why = std::strerror(errno);
      return -1;
    }
  }
  *why = "no file name";
  return -1;
}

// Saves the frame on screen in the working directory and says where, on a
// line of its own (the key help before it ends without a line break). Every
// save gets a file of its own, also several within one second.
void SaveScreenshot() {
  static bool firstLine = true;
  if (firstLine) std::printf("\n");
  firstLine = false;
  char name[64];
  char dir[kPathChars];
  const char *why = nullptr;
  if (getcwd(dir, sizeof dir) == nullptr) {
    std::printf("graspstat: frame not saved: no working directory\n");
  } else if (ClaimScreenshotName(std::time(nullptr), name, sizeof name, &why) != 0) {
    std::printf("graspstat: frame not saved in %s: %s\n", dir, why);
  } else {
    // the frame on screen once more, read before it is swapped
    DrawFrameContent(g_model);
    const int saved =
        SaveFramePng(name, glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT), &why);
    SwapFrame();
    if (saved == 0) {
      std::printf("graspstat: frame saved as %s/%s\n", dir, name);
    } else {
      unlink(name); // the claimed name, left empty
      std::printf("graspstat: frame not saved as %s/%s: %s\n", dir, name, why);
    }
  }
  std::fflush(stdout);
}

} // namespace

void special(int key, int x, int y) {
  (void)x;
  (void)y;
  StudyView *v = CurrentStudyView();
  if (key == GLUT_KEY_F1) v->panel = !v->panel;
  if (key == GLUT_KEY_F2) v->exactForces = !v->exactForces;
  if (key == GLUT_KEY_F12) SaveScreenshot();
  if (key == GLUT_KEY_HOME) RestoreStartView(g_model);
  if (key == GLUT_KEY_F1 || key == GLUT_KEY_F2 || key == GLUT_KEY_HOME) glutPostRedisplay();
}

void mouse(int button, int state, int x, int y) {
  if (state != GLUT_DOWN) {
    g_dragButton = -1;
    return;
  }
  if (button == kWheelUp || button == kWheelDown) {
    MoveAlongView(g_model, button == kWheelUp ? kWheelSteps : -kWheelSteps);
    glutPostRedisplay();
    return;
  }
  g_dragButton = (button == GLUT_LEFT_BUTTON)    ? kDragTurn
                 : (button == GLUT_RIGHT_BUTTON) ? kDragMove
                                                 : -1;
  g_dragX = x;
  g_dragY = y;
}

void motion(int x, int y) {
  if (g_dragButton < 0 || (x == g_dragX && y == g_dragY)) return;
  DragView(g_model, g_dragButton, x - g_dragX, y - g_dragY);
  g_dragX = x;
  g_dragY = y;
  glutPostRedisplay();
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
  glutSwapBuffers(); // flushes the frame, then swaps: the frame's one flush
}

} // namespace gs
