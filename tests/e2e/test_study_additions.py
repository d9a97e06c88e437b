"""The study additions of the window beside the specified keys, as a student
uses them after s, s, S, s: F1 and F2 switched on and off again leave the
specified frame call for call; the exact check's normal forces end at the
contacts; F12 saves a PNG equal to the window; a left drag turns the view as
the same number of mode-I keys does."""
import json
import os
import re
import subprocess
import sys

import numpy as np
from PIL import Image

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts"))
import e2e_harness as h  # noqa: E402

MAGENTA = (255, 0, 255)
DRAG = 10  # pixels, one view-key step each


def special(app, name, before):
    app.xdo("key", name)
    return app.wait_change(before, what="the frame after " + name)


def body(x, binary, work):
    batch = json.loads(subprocess.run([os.path.join(os.path.dirname(binary), "graspstat-batch"),
                                       "keys", "ssSs"], capture_output=True, text=True,
                                      check=True).stdout)
    trace = os.path.join(work, "study.trace")
    with h.App(x, binary, work, trace=trace) as app:
        app.wait_banner(["Execution Mode : A"])
        app.key("ssSs")
        plain = app.wait_banner(["Execution Mode : S", "Stable Statics Obtained"])
        panel = special(app, "F1", plain)
        h.expect(panel.count((0, 0, 0), (0, 120, 260, 420)) > 500, "no numbers panel")
        off = special(app, "F1", panel)
        h.expect(off.rgb == plain.rgb, "F1 twice does not give the plain frame back")

        exact = special(app, "F2", off)
        for k in (0, 1):
            at = h.project(batch["RC"][k])
            h.expect(h.colour_near(exact, at, MAGENTA, radius=6) > 0,
                     "no exact normal force ending at contact %d %r" % (k + 1, at))
        # only the load stays green; the case solver's arrows are gone
        h.expect(exact.count((0, 255, 0)) < off.count((0, 255, 0)) // 2,
                 "the case solver's forces still drawn with F2")

        app.xdo("key", "F12")
        for _ in h.deadline_loop(20, "the F12 console line"):
            m = re.search(rb"frame saved as (\S+\.png)", app.console())
            if m:
                break
        saved = np.asarray(Image.open(m.group(1).decode()).convert("RGB"))
        os.unlink(m.group(1).decode())
        shown = app.capture().pixels
        diff = np.argwhere(np.any(saved != shown, axis=-1)) if saved.shape == shown.shape else None
        h.expect(saved.shape == shown.shape and not len(diff), "the saved PNG (%r) differs from "
                 "the window (%r) at %r %r %r" % (saved.shape, shown.shape, saved[0, 0], shown[0, 0],
                                            None if diff is None else diff[:5].tolist()))
        special(app, "F2", exact)

        app.key("I")
        turned_back = app.wait_banner(["Execution Mode : I"])
        app.xdo("mousemove", "--window", app.wid, "300", "300")
        app.xdo("mousedown", "1")
        app.xdo("mousemove", "--window", app.wid, str(300 + DRAG), "300")
        app.xdo("mouseup", "1")
        app.wait_change(turned_back, what="the view to turn on the drag")
        app.key("r" * DRAG)  # the same number of key steps back
        app.wait_frame(lambda f: f.rgb == turned_back.rgb,
                       what="%d r keys to undo a %d-pixel drag" % (DRAG, DRAG))
        app.key("\x1b")
        h.expect(app.wait_exit(60) == 0, "ESC did not end the program with 0")

    calls = h.parse_calls(h.dump_trace(trace, last_call="glXDestroyContext"))
    # each frame from its clear to its swap (GLUT makes the context current
    # before every event it hands over)
    frames = [f[next((i for i, c in enumerate(f) if c[0] == "glClear"), 0):]
              for f in h.split_frames(calls)]
    small = [i for i, f in enumerate(frames) if ("glRasterPos2f", "5, 296") in f]
    h.expect(small, "no panel frame in the trace")
    i = small[0]
    h.expect(frames[i - 1] == frames[i + 1], "the frame after F1 twice differs call for call "
             "from the frame before")


h.run_test(body)
