"""Start-up as a person sees it: the console shows exactly the key help, the
window shows the help block, the labels, the banner of mode A and the hand
drawn over the work sphere."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts"))
import e2e_harness as h  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
KEY_HELP = os.path.join(HERE, "..", "app", "key_help.txt")

BLUE = (0, 0, 255)
WHITE = (255, 255, 255)


def body(x, binary, work):
    with h.App(x, binary, work) as app:
        # the console: the key help, byte for byte, before any key (and the
        # window is already up, so it was flushed before the window opened)
        with open(KEY_HELP, "rb") as f:
            want = f.read()
        h.expect(app.console() == want, "console differs from the key help: %r" % app.console())

        frame = app.wait_banner(["Execution Mode : A", "Grasp Calcul", "Hit s to Execution"],
                                absent=["Finger Cannot Touch Work"])
        frame.save_png(os.path.join(work, "startup.png"))
        help_lines = app.read_lines(frame, 580, 500, right=600)
        h.expect(h.lines_match([
            "'I' : (x,X) (y,Y) (z,Z),(p,P),(q,Q),(r,R):Change Coor. View",
            "'H' : (p,P), (q,Q):Change Hand Pose",
            "'W' : (r,R),(x,X) (y,Y) (z,Z):Change Work Radius, Position X,Y,Z Step-by",
            "'A' : Sol. of Grasp",
            "'S' : Sol. of Statics"], help_lines), "help block reads %r" % help_lines)
        labels = app.read_lines(frame, 40, 20, right=200)
        h.expect(h.lines_match(["Sphere", "P-Jnt,2-Finger"], labels), "labels read %r" % labels)

        # white background, unlit blue palm box on its +X face, red sphere
        h.expect(frame.pixel(590, 590) == WHITE, "background is not white")
        palm = h.project((50.0, 0.0, 25.0))
        h.expect(h.colour_near(frame, palm, BLUE, 2) >= 20, "no blue palm at %s" % (palm,))
        # the blended sphere: no depth writes, so its unlit far side, drawn after
        # its near side, shows through as a dark red over most of the disc
        cx, cy = h.project((0.0, 80.0, 0.0))
        dark_red = h.frame_share(frame, (cx + 4, cy + 6, cx + 24, cy + 26), h.is_dark_red)
        h.expect(dark_red > 0.5, "work sphere is not drawn blended (%.2f dark red)" % dark_red)
        # straight fingers: the black outline circles of the link ends lie
        # above and below the palm (the lit links themselves look white)
        for end in ((0.0, 0.0, 150.0), (0.0, 0.0, -150.0)):
            p = h.project(end)
            h.expect(h.colour_near(frame, p, (0, 0, 0), 12) >= 8, "no link end at %s" % (p,))
        h.expect(app.alive(), "program ended")


h.run_test(body)
