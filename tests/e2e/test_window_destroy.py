"""The window destroyed by the window system (xdotool windowclose, no window
manager running) ends the program with status 0, also right after a
calculation."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts"))
import e2e_harness as h  # noqa: E402


def body(x, binary, work):
    with h.App(x, binary, work) as app:
        app.wait_banner(["Execution Mode : A", "Grasp Calcul", "Hit s to Execution"])
        app.key("s")
        app.wait_frame(lambda f: f.count((255, 255, 0)) > 100, what="the first contact marker")
        out = app.xdo("windowclose", app.wid)
        h.expect(out.returncode == 0, "xdotool windowclose failed: " + out.stderr)
        rc = app.wait_exit(20)
        h.expect(rc == 0, "the destroyed window ended the program with status %s" % rc)


h.run_test(body)
