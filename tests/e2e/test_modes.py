"""Modes H, W and A as a person drives them: the pose banner, turning the hand
away from the work, moving and growing the work out of reach, and a grasp in
which no finger finds the work. ESC in mode H is an ordinary key there."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts"))
import e2e_harness as h  # noqa: E402

YELLOW = (255, 255, 0)
H_HELP = ["Hit (p,P), (q,Q) to Rotate in X,Y-axis", "Hit (u,d) to Rotate Hand toward (-Z,Z)"]


def pose_banner(pose, full=False):
    """The banner of mode H; in turned poses the hand and the axes run across
    the two constant lines, so those are read in the start pose only."""
    return ["Execution Mode : H", pose] + (H_HELP if full else [])


def body(x, binary, work):
    with h.App(x, binary, work) as app:
        app.key("H")
        app.wait_banner(pose_banner("(P,Q)=(0,0)(deg)", full=True),
                        absent=["Finger Cannot Contact Work"])
        app.key("P")
        app.wait_banner(pose_banner("(P,Q)=(9,0)(deg)"), absent=["Finger Cannot Contact Work"])
        app.key("p")
        app.wait_banner(pose_banner("(P,Q)=(0,0)(deg)"))
        # palm normal turned up: the work beside the hand cannot be reached
        app.key("u")
        f = app.wait_banner(pose_banner("(P,Q)=(90,0)(deg)") + ["Finger Cannot Contact Work"])
        f.save_png(os.path.join(work, "hand-up.png"))
        # ESC is an ordinary key in mode H: the program goes on
        app.key("\x1b")
        app.key("Q")
        app.wait_banner(pose_banner("(P,Q)=(90,9)(deg)") + ["Finger Cannot Contact Work"])
        h.expect(app.alive(), "ESC in mode H ended the program")
        app.key("d")
        app.wait_banner(pose_banner("(P,Q)=(-90,9)(deg)") + ["Finger Cannot Contact Work"])
        app.key("q" + "P" * 10)  # back to the start pose, step by step
        app.wait_banner(pose_banner("(P,Q)=(0,0)(deg)"), absent=["Finger Cannot Contact Work"])

        # mode W: a radius above the joints' distance (94.3) swallows them
        w_lines = ["Execution Mode : W", "Hit 'r','R' to Change Radius",
                   "Hit x,X,y,Y,z,Z to Move Sphere"]
        app.key("W")
        app.wait_banner(w_lines, absent=["Finger Cannot Touch Work"])
        app.key("R" * 45)
        f = app.wait_banner(w_lines + ["Finger Cannot Touch Work"])
        f.save_png(os.path.join(work, "work-too-big.png"))
        # mode A says the same one line higher, and s computes nothing
        app.key("A")
        app.wait_banner(["Execution Mode : A", "Grasp Calcul", "Finger Cannot Touch Work"],
                        absent=["Hit s to Execution"])
        app.key("s")
        app.key("I")
        f = app.wait_banner(["Execution Mode : I", "Image Move/Rotation Step-by",
                             "Hit x,X,y,Y,z,Z;  p,P,q,Q,r,R"])
        h.expect(f.count(YELLOW) == 0, "a contact was drawn for a work out of reach")

        # back to radius 50, then the work 65 to the side: within reach of the
        # joints, yet beyond the plane in which the fingers turn
        app.key("W" + "r" * 45)
        app.wait_banner(w_lines, absent=["Finger Cannot Touch Work"])
        app.key("X" * 65)
        app.wait_banner(w_lines, absent=["Finger Cannot Touch Work"])
        app.key("As")
        app.wait_banner(["Execution Mode : A", "Grasp Calcul", "Hit s to Execution"])
        app.key("s")
        f = app.wait_banner(["Execution Mode : A", "Grasp Impossible"],
                            absent=["Grasp Calcul End"])
        f.save_png(os.path.join(work, "grasp-impossible.png"))
        h.expect(app.alive(), "program ended")


h.run_test(body)
