"""The window ended by the window system ends the program with status 0, with
no window manager running: destroyed outright (xdotool windowclose), also
right after a calculation, and asked to close (the WM_DELETE_WINDOW message a
desktop sends when its close button is pressed)."""
import ctypes
import ctypes.util
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts"))
import e2e_harness as h  # noqa: E402

START = ["Execution Mode : A", "Grasp Calcul", "Hit s to Execution"]


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("l", ctypes.c_long * 5)]


class _Event(ctypes.Union):
    _fields_ = [("xclient", _ClientMessage), ("pad", ctypes.c_long * 24)]


def ask_to_close(display, wid):
    """Sends WM_PROTOCOLS / WM_DELETE_WINDOW to the window through libX11."""
    x = ctypes.CDLL(ctypes.util.find_library("X11"))
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XInternAtom.restype = ctypes.c_ulong
    x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                             ctypes.POINTER(_Event)]
    x.XFlush.argtypes = [ctypes.c_void_p]
    x.XCloseDisplay.argtypes = [ctypes.c_void_p]
    dpy = x.XOpenDisplay(display.encode())
    h.expect(dpy, "cannot open display %s" % display)
    ev = _Event()
    ev.xclient.type = 33  # ClientMessage
    ev.xclient.window = wid
    ev.xclient.message_type = x.XInternAtom(dpy, b"WM_PROTOCOLS", 0)
    ev.xclient.format = 32
    ev.xclient.l[0] = x.XInternAtom(dpy, b"WM_DELETE_WINDOW", 0)
    x.XSendEvent(dpy, wid, 0, 0, ctypes.byref(ev))
    x.XFlush(dpy)
    x.XCloseDisplay(dpy)


def body(x, binary, work):
    with h.App(x, binary, os.path.join(work, "destroyed")) as app:
        app.wait_banner(START)
        app.key("s")
        app.wait_frame(lambda f: f.count((255, 255, 0)) > 100, what="the first contact marker")
        out = app.xdo("windowclose", app.wid)
        h.expect(out.returncode == 0, "xdotool windowclose failed: " + out.stderr)
        rc = app.wait_exit(20)
        h.expect(rc == 0, "the destroyed window ended the program with status %s" % rc)

    with h.App(x, binary, os.path.join(work, "closed")) as app:
        app.wait_banner(START)
        ask_to_close(x.display, int(app.wid))
        rc = app.wait_exit(20)
        h.expect(rc == 0, "the closed window ended the program with status %s" % rc)


h.run_test(body)
