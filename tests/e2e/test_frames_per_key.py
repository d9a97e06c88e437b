"""One frame per key, from an apitrace recording of the real program: every
kind of key (mode keys, view, hand, work, contact and statics keys, keys that
change nothing) ends with exactly one swapped frame; no frame flushes more
than once; no line is drawn wider than 10 pixels.

Each group of keys starts with a view key P in mode I, which turns the view
by one degree about X: the first rotation of a frame tells which group it
belongs to, and a group's frames are counted against its keys."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts"))
import e2e_harness as h  # noqa: E402

START_ROT_X = 4.0  # view rotation about X at start-up (degrees)
# (keys of the group, the first being P in mode I), the last I returns to mode I
GROUPS = [
    "PHQ\x1bI",   # view key; hand mode, hand key, ESC as a hand key (a reset)
    "PWx0I",      # work mode, work key, a key of no meaning there
    "PAss0sI",    # contact mode, both fingers, a key that does nothing, s with nothing left
    "PSssI",      # statics mode, the statics, s once they are done
    "P",          # the last frame before ESC ends the program
]


def body(x, binary, work):
    trace = os.path.join(work, "keys.trace")
    with h.App(x, binary, work, trace=trace) as app:
        app.wait_banner(["Execution Mode : A", "Grasp Calcul", "Hit s to Execution"])
        app.key("I")
        app.wait_banner(["Execution Mode : I"])
        for keys in GROUPS:
            app.key(keys)
        app.key("\x1b")
        rc = app.wait_exit(60)
        h.expect(rc == 0, "ESC in mode I ended with status %s" % rc)

    calls = h.parse_calls(h.dump_trace(trace, last_call="glXDestroyContext"))
    frames = [f for f in h.split_frames(calls) if f[-1][0] == "glXSwapBuffers"]
    tags = {}
    for n, f in enumerate(frames):
        flushes = sum(1 for c in f if c[0] in ("glFlush", "glFinish"))
        h.expect(flushes <= 1, "frame %d flushes %d times" % (n, flushes))
        widths = [h.numbers(a)[0] for name, a in f if name == "glLineWidth"]
        h.expect(widths and max(widths) <= 10.0, "frame %d line widths %r" % (n, sorted(set(widths))))
        rot = next(h.numbers(a) for name, a in f if name == "glRotated")
        tag = int(round(rot[0] - START_ROT_X))
        tags[tag] = tags.get(tag, 0) + 1
    got = [tags.get(k + 1, 0) for k in range(len(GROUPS))]
    want = [len(keys) for keys in GROUPS]
    h.expect(got == want, "frames per group of keys %r, keys per group %r" % (got, want))
    h.expect(sorted(tags) == list(range(len(GROUPS) + 1)), "frames of other views %r" % tags)


h.run_test(body)
