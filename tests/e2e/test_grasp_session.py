"""The typical session: s, s computes both contacts (yellow markers), S, s
solves the statics (green forces over the opaque work); a key of mode W
clears it all again. Standard output is a pipe here: it carries exactly the
key help, and ESC in mode I ends the program with status 0."""
import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts"))
import e2e_harness as h  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
YELLOW = (255, 255, 0)
GREEN = (0, 255, 0)

# contacts of the start pose: both links touch the work (joint angles 1.4401)
WORK = (0.0, 80.0, 0.0)
CONTACT = {1: (0.0, 73.4835, -49.5735), 2: (0.0, 73.4835, 49.5735)}


def along_normal(k, dist):
    """The point dist out from contact k along the work's normal there."""
    c = CONTACT[k]
    n = [c[i] - WORK[i] for i in range(3)]
    ln = math.sqrt(sum(v * v for v in n))
    return h.project(tuple(c[i] + dist * n[i] / ln for i in range(3)))


def sphere_share(frame, predicate):
    cx, cy = h.project(WORK)
    return h.frame_share(frame, (cx + 4, cy + 6, cx + 24, cy + 26), predicate)


def body(x, binary, work):
    with h.App(x, binary, work, stdout="pipe") as app:
        before = app.wait_banner(["Execution Mode : A", "Grasp Calcul", "Hit s to Execution"])

        app.key("s")  # finger 1: marker on the lower contact only
        f = app.wait_frame(lambda f: h.colour_near(f, along_normal(1, 20), YELLOW, 6) > 20,
                           what="the marker of finger 1")
        f = app.wait_banner(["Execution Mode : A", "Grasp Calcul", "Hit s to Execution"],
                            absent=["Grasp Calcul End"])
        h.expect(h.colour_near(f, along_normal(2, 20), YELLOW, 6) == 0,
                 "finger 2 marked before its calculation")
        h.expect(f.rgb != before.rgb, "finger 1 did not move")

        app.key("s")  # finger 2
        f = app.wait_banner(["Execution Mode : A", "Grasp Calcul End"],
                            absent=["Hit s to Execution", "Grasp Impossible"])
        f.save_png(os.path.join(work, "contacts.png"))
        for k in (1, 2):
            h.expect(h.colour_near(f, along_normal(k, 20), YELLOW, 6) > 20,
                     "no yellow marker at contact %d" % k)
        h.expect(sphere_share(f, h.is_dark_red) > 0.5, "work not blended before the statics")
        h.expect(f.count(GREEN) == 0, "forces drawn before the statics")

        app.key("s")  # both fingers done: nothing more happens
        app.key("S")
        f = app.wait_banner(["Execution Mode : S", "Hit s to Execution"])
        h.expect(f.count(YELLOW) > 0, "markers gone before the statics")

        app.key("s")
        f = app.wait_banner(["Execution Mode : S", "Stable Statics Obtained",
                             "Exact check: holds (margin 72%, load x8.41)"],
                            absent=["Grasp Statics Unstable", "Hit s to Execution"])
        f.save_png(os.path.join(work, "statics.png"))
        # load under the work, normal forces out along the normals at both contacts
        h.expect(h.colour_near(f, h.project((0.0, 80.0, -70.0)), GREEN, 4) > 20,
                 "no load arrow under the work")
        for k in (1, 2):
            h.expect(h.colour_near(f, along_normal(k, 15), GREEN, 6) > 20,
                     "no normal force at contact %d" % k)
        h.expect(f.count(YELLOW) == 0, "contact markers still drawn in the statics view")
        h.expect(sphere_share(f, h.is_lit_sphere) > 0.5, "work not opaque in the statics view")

        # another mode keeps the statics view; a key of mode W clears it
        app.key("I")
        f = app.wait_banner(["Execution Mode : I"])
        h.expect(f.count(GREEN) > 100, "statics view lost on a mode change")
        app.key("Wx")
        f = app.wait_banner(["Execution Mode : W"], absent=["Finger Cannot Touch Work"])
        f = app.wait_frame(lambda f: f.count(GREEN) == 0, what="the forces to go")
        h.expect(f.count(YELLOW) == 0, "markers left after the reset")
        h.expect(sphere_share(f, h.is_dark_red) > 0.5, "work not blended after the reset")

        app.key("I")
        app.wait_banner(["Execution Mode : I"])
        app.key("\x1b")
        rc = app.wait_exit()
        h.expect(rc == 0, "ESC in mode I ended with status %s" % rc)
        console = app.proc.stdout.read()
        with open(os.path.join(HERE, "..", "app", "key_help.txt"), "rb") as fh:
            h.expect(console == fh.read(), "piped console differs from the key help: %r" % console)


h.run_test(body)
