"""Statics asked for before any contact: the verdict is "Grasp Statics
Unstable" and, with no contact carrying a force, only the load under the
work is drawn. A second s changes nothing."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts"))
import e2e_harness as h  # noqa: E402

GREEN = (0, 255, 0)


def body(x, binary, work):
    with h.App(x, binary, work) as app:
        app.key("S")
        app.wait_banner(["Execution Mode : S", "Hit s to Execution"])
        app.key("s")
        f = app.wait_banner(["Execution Mode : S", "Grasp Statics Unstable"],
                            absent=["Stable Statics Obtained", "Hit s to Execution"])
        f.save_png(os.path.join(work, "unstable.png"))
        load = h.project((0.0, 80.0, -70.0))
        h.expect(h.colour_near(f, load, GREEN, 4) > 20, "no load arrow under the work")
        # the load's wide stroke stays below the work's equator; nothing green
        # anywhere above it (no contact forces or moments)
        equator = h.project((0.0, 80.0, 0.0))[1]
        h.expect(f.count(GREEN, (0, 0, f.width, equator)) == 0, "contact forces drawn")
        h.expect(h.frame_share(f, (load[0] + 4, equator + 6, load[0] + 24,
                                   equator + 26), h.is_lit_sphere) > 0.5,
                 "work not opaque after the statics")
        app.key("s")
        app.key("I")
        g = app.wait_banner(["Execution Mode : I"])
        h.expect(g.count(GREEN) == f.count(GREEN), "the second s changed the statics view")


h.run_test(body)
