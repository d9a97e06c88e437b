"""The sanitizer build of the window program through the typical session
(s, s, S, s), then the window's own input as a long session uses it (F1,
drags, the wheel, a resize, Home, F12 twice), then I and ESC, ends with
status 0: no sanitizer report, the GL driver's and the X input library's own
memory at exit suppressed (scripts/lsan.supp)."""
import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts"))
import e2e_harness as h  # noqa: E402


def body(x, binary, work):
    h.expect("suppressions=" in os.environ.get("LSAN_OPTIONS", ""),
             "LSAN_OPTIONS names no suppressions file")
    with h.App(x, binary, work) as app:
        app.wait_banner(["Execution Mode : A", "Grasp Calcul", "Hit s to Execution"], timeout=90)
        app.key("s")
        app.wait_frame(lambda f: f.count((255, 255, 0)) > 100, timeout=90,
                       what="the first contact marker")
        app.key("s")
        app.wait_banner(["Execution Mode : A", "Grasp Calcul End"], timeout=90)
        app.key("Ss")
        app.wait_banner(["Execution Mode : S", "Stable Statics Obtained"], timeout=90)
        for i in range(5):
            app.xdo("mousemove", "--window", app.wid, "300", "300")
            app.xdo("mousedown", str(1 + 2 * (i % 2)))  # left: turn, right: move
            app.xdo("mousemove", "--window", app.wid, "330", "315")
            app.xdo("mouseup", str(1 + 2 * (i % 2)))
            app.xdo("click", "4")
            app.xdo("key", "F1")
        app.xdo("windowsize", app.wid, "640", "560")
        app.xdo("key", "Home", "F12", "F12")
        for _ in h.deadline_loop(90, "the two F12 console lines"):
            saved = re.findall(rb"frame saved as (\S+\.png)", app.console())
            if len(saved) == 2:
                break
        for name in saved:
            os.unlink(name.decode())
        app.key("I")
        app.wait_banner(["Execution Mode : I"], timeout=90)
        app.key("\x1b")
        rc = app.wait_exit(120)
        err = app.stderr_text()
        h.expect(rc == 0 and "Sanitizer" not in err.replace("Suppressions used", ""),
                 "sanitized run ended with status %s: %s" % (rc, err[-3000:]))


h.run_test(body)
