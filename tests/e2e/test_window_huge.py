"""A window resized far beyond any screen (32767 x 32767, the largest X
window) is sized back to what the GL driver can draw, keeps running and
drawing, and still follows later resizes and keys."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts"))
import e2e_harness as h  # noqa: E402

HUGE = 32767
START = ["Execution Mode : A", "Grasp Calcul", "Hit s to Execution"]


def body(x, binary, work):
    with h.App(x, binary, work) as app:
        app.wait_banner(START)
        out = app.xdo("windowsize", app.wid, str(HUGE), str(HUGE))
        h.expect(out.returncode == 0, "xdotool windowsize failed: " + out.stderr)
        size = [None]

        def capped():
            size[0] = app.window_size()
            return size[0][0] not in (HUGE, h.PROGRAM["kWindowWidth"])

        for _ in h.deadline_loop(30, "the window to be sized back"):
            if not app.alive():
                raise h.HarnessError("program ended with %s after the resize: %s" %
                                     (app.proc.returncode, app.stderr_text()))
            if capped():
                break
        side = size[0][0]
        h.expect(size[0] == (side, side) and side <= h.PROGRAM["kMaxWindowSide"],
                 "window sized back to %r" % (size[0],))

        # only the top left of the window shows on the screen: the first help
        # row, its bitmap text unscaled at the stretched overlay height, and
        # none at the height of the 600 x 600 frame
        base = int((h.OVERLAY - 580) * side / h.OVERLAY)

        def stretched(f):
            return (f.count((0, 0, 0), (0, base - 16, 500, base + 5), tol=60) > 50 and
                    f.count((0, 0, 0), (0, 0, 400, 40), tol=60) == 0)

        f = app.wait_frame(stretched, timeout=90, what="the frame at %d x %d" % (side, side),
                           capture=app.capture_screen)
        f.save_png(os.path.join(work, "huge-top-left.png"))

        # back to a desktop size: the usual frame, and the keys still work
        app.xdo("windowsize", app.wid, "700", "800")
        app.wait_frame(lambda f: (f.width, f.height) == (700, 800), timeout=60,
                       what="the frame at 700 x 800")
        app.wait_banner(START, timeout=60)
        app.key("I")
        app.wait_banner(["Execution Mode : I"], timeout=60)
        app.key("\x1b")
        rc = app.wait_exit(60)
        h.expect(rc == 0, "ESC in mode I ended with status %s" % rc)


h.run_test(body)
