"""The window as a desktop treats it: resized to a non-square shape it keeps
running and drawing, with the scene and the text stretched to the new size;
ESC in mode I then ends the program with status 0."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts"))
import e2e_harness as h  # noqa: E402

WIDTH, HEIGHT = 700, 800


def body(x, binary, work):
    with h.App(x, binary, work) as app:
        app.wait_banner(["Execution Mode : A", "Grasp Calcul", "Hit s to Execution"])
        out = app.xdo("windowsize", app.wid, str(WIDTH), str(HEIGHT))
        h.expect(out.returncode == 0, "xdotool windowsize failed: " + out.stderr)
        f = app.wait_frame(lambda f: (f.width, f.height) == (WIDTH, HEIGHT) and
                           f.pixel(WIDTH - 3, HEIGHT // 2) == (255, 255, 255),
                           what="the resized frame")
        # the overlay stays 600 x 600 and is stretched: the banner moves with it
        f = app.wait_banner(["Execution Mode : A", "Grasp Calcul", "Hit s to Execution"])
        f.save_png(os.path.join(work, "resized.png"))
        # the perspective keeps its aspect 1 and follows the viewport
        cx, cy = h.project((0.0, 80.0, 0.0), size=(WIDTH, HEIGHT))
        share = h.frame_share(f, (cx + 4, cy + 6, cx + 24, cy + 30), h.is_dark_red)
        h.expect(share > 0.5, "work sphere not where the stretched view puts it (%.2f)" % share)

        app.key("I")
        app.wait_banner(["Execution Mode : I", "Image Move/Rotation Step-by"])
        # mode I keys turn and shift the scene
        before = app.capture()
        app.key("R")
        app.wait_change(before, what="the view to turn")
        h.expect(app.alive(), "program ended after the resize")
        app.key("\x1b")
        rc = app.wait_exit()
        h.expect(rc == 0, "ESC in mode I ended with status %s" % rc)


h.run_test(body)
