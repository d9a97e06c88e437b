"""The study additions of the window beside the specified keys, as a student
uses them after s, s, S, s: the numbers panel read back by OCR agrees with
the batch JSON of the same keys; F1 and F2 switched on and off again leave
the specified frame call for call; the exact check's normal forces end at the
contacts; F12 saves a PNG equal to the window; a left drag turns the view as
the same number of mode-I keys does."""
import json
import math
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
PANEL_TOP, PANEL_STEP = 296, 15  # baseline of the first panel line, line spacing (overlay pixels)
MIN_AGREED = 24  # panel numbers that must read back: all, nothing of the scene lies over them
# the OCR of the 12-point bitmap font reads 8 as 6 now and then: merged
SIX_EIGHT = str.maketrans("6", "8")
NUMBER = re.compile(r"-?\d+\.\d+")


def special(app, name, before):
    app.xdo("key", name)
    return app.wait_change(before, what="the frame after " + name)


def panel_numbers(b):
    """The numbers of each panel line after s, s, S, s, as the window prints
    them, from the batch state: per finger the joint angle and FCZ, TCF, MCZ;
    the case; the exact check's verdict, least forces, moments, joint
    torques, margin, capacity and both epsilons; the hand angles; the work centre and radius."""
    e, deg = b["exact"], math.degrees
    fix = lambda digits, *vs: ["%.*f" % (digits, v) for v in vs]  # noqa: E731
    lines = []
    for k in (0, 1):
        lines += [fix(2, deg(b["qqf"][k])), fix(4, b["FCZ"][k], b["TCF"][k], b["MCZ"][k])]
    return lines + [[], [], fix(4, *e["FCZ"], *(math.hypot(*t) for t in e["T"])),
                    fix(4, *e["MCZ"], *e["jointTorque"]), fix(4, e["margin"]),
                    fix(4, e["capacity"]),
                    fix(4, e["epsilon"]["inf"]["value"], e["epsilon"]["one"]["value"]),
                    fix(2, deg(b["alHand"]), deg(b["betHand"])),
                    fix(2, *b["rwG"], b["aSph"])]


def check_panel(app, panel, batch):
    """OCR of the panel against the batch numbers to the printed precision. A
    number read short of its end is left out (and counts as not read back);
    any other number read differently fails."""
    want = panel_numbers(batch)
    read = backed_lines(app, panel, PANEL_TOP, len(want), PANEL_STEP, "panel")
    h.expect(len(read) == len(want), "panel read as %d lines, not %d: %r" %
             (len(read), len(want), read))
    h.expect(h.line_matches("Case %s, stable" % batch["staticsCase"], read[4]) and
             h.line_matches("Exact check: " + batch["exact"]["verdict"], read[5]),
             "case or verdict line misread: %r" % read[4:6])
    agreed = 0
    for w_line, line in zip(want, read):
        for w, got in zip(w_line, NUMBER.findall(line)):
            w8, got8 = w.translate(SIX_EIGHT), got.translate(SIX_EIGHT)
            if len(got8) < len(w8) and w8.startswith(got8):
                continue
            h.expect(got8 == w8, "panel shows %s where the batch gives %s: %r" % (got, w, line))
            agreed += 1
    h.expect(agreed >= MIN_AGREED, "only %d panel numbers read back: %r" % (agreed, read))


def backed_lines(app, frame, top, n, step, what):
    """OCR, line by line, of the n backed text lines whose baselines run from
    overlay height top down by step, after checking that one light backing
    covers them with nothing of the scene showing through."""
    # the backing starts 3 pixels left of the text, at x = 2
    box = frame.backing_box(3, int(h.OVERLAY - top) + 1)
    bottom = top - step * (n - 1)
    h.expect(box is not None and box[1] < h.OVERLAY - top - 8 and box[3] > h.OVERLAY - bottom,
             "%s: no backing under the text (%r)" % (what, box))
    foreign = frame.foreign_on_backing(box)
    h.expect(foreign == 0, "%s: %d scene pixels over the text in %r" % (what, foreign, box))
    rows = [int(h.OVERLAY - (top - step * k)) for k in range(n)]
    return [" ".join(h.ocr(frame, (box[0], max(box[1], r - step + 3), box[2], min(box[3], r + 5)),
                           workdir=app.workdir)) for r in rows]


def reads_whole(want, read, what):
    """Each wanted line read, to its last word."""
    h.expect(len(read) == len(want) and all(
        h.line_matches(w, r) and h.normalise(r).endswith(h.normalise(w.split()[-1]))
        for w, r in zip(want, read)), "%s: read %r, not %r" % (what, read, want))


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
        check_panel(app, panel, batch)
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

        app.xdo("key", "F12", "F12")  # twice within one second: two files
        for _ in h.deadline_loop(20, "the two F12 console lines"):
            names = [n.decode() for n in re.findall(rb"frame saved as (\S+\.png)", app.console())]
            if len(names) == 2:
                break
        h.expect(names[0] != names[1], "both saves reported as %s" % names[0])
        shown = app.capture().pixels
        for name in names:
            saved = np.asarray(Image.open(name).convert("RGB"))
            os.unlink(name)
            diff = (np.argwhere(np.any(saved != shown, axis=-1)) if saved.shape == shown.shape
                    else None)
            h.expect(saved.shape == shown.shape and not len(diff), "the saved PNG %s (%r) differs "
                     "from the window (%r) at %r %r %r" % (name, saved.shape, shown.shape,
                                                         saved[0, 0], shown[0, 0],
                                                         None if diff is None else
                                                         diff[:5].tolist()))
        special(app, "F2", exact)

        # a drag puts the fingers over the text; the text stays on top, whole
        on = special(app, "F1", off)
        app.xdo("mousemove", "--window", app.wid, "300", "300")
        app.xdo("mousedown", "1")
        app.xdo("mousemove", "--window", app.wid, "360", "330")
        app.xdo("mouseup", "1")
        dragged = app.wait_change(on, what="the view to turn on a 60 x 30 drag")
        verdict = "Exact check: holds (margin 72%, load x8.41)"
        reads_whole([verdict], backed_lines(app, dragged, 360, 1, 20, "exact line after a drag"),
                    "exact line after a drag")
        check_panel(app, dragged, batch)
        app.xdo("key", "Home")
        app.wait_frame(lambda f: f.rgb == panel.rgb, what="Home to give the start view back")
        # the palm turned up lies across the panel's lines
        app.key("H")
        mode_h = app.wait_banner(["Execution Mode : H"])
        app.key("u")
        up = app.wait_change(mode_h, what="the palm turned up")
        reads_whole(["Finger 1: no contact, joint 0.00 deg", "Finger 2: no contact, joint 0.00 deg",
                     "Hand P 90.00 Q 0.00 deg", "Work (%.2f, %.2f, %.2f) r %.2f" %
                     (*batch["rwG"], batch["aSph"])],
                    backed_lines(app, up, PANEL_TOP, 4, PANEL_STEP, "panel after H u"),
                    "panel after H u")
        special(app, "F1", up)

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

    # the program's own text comes after the scene in every frame that shows it
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
    panel_at = {(5, PANEL_TOP - PANEL_STEP * k) for k in range(4)}
    for k in small:
        h.expect(panel_at <= set(h.text_over_scene(frames[k])), "frame %d: the panel is not drawn "
                 "over the scene" % k)


h.run_test(body)
