"""The GL calls of real frames, recorded with apitrace while a person drives
the program: camera, light, text overlay, view transform, axes, the blended
and the opaque work, the blended links of the statics view, line widths and
the vertex counts of every circle, disc, strip, cone, box and arc."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts"))
import e2e_harness as h  # noqa: E402

HELP = ["'I' : (x,X) (y,Y) (z,Z),(p,P),(q,Q),(r,R):Change Coor. View",
        "'H' : (p,P), (q,Q):Change Hand Pose",
        "'W' : (r,R),(x,X) (y,Y) (z,Z):Change Work Radius, Position X,Y,Z Step-by",
        "'A' : Sol. of Grasp", "'S' : Sol. of Statics", "", "", "", " "]
LABELS = ["P-Jnt,2-Finger", "Sphere"]
START_BANNER = ["Execution Mode : A", "Grasp Calcul", "Hit s to Execution"]

VERTICES = {"GL_LINE_LOOP": {100}, "GL_POLYGON": {100}, "GL_QUAD_STRIP": {202},
            "GL_TRIANGLES": {303}, "GL_LINE_STRIP": {101}, "GL_QUADS": {24},
            "GL_LINES": {2, 6}}


def close(a, b, tol=1e-6):
    return len(a) == len(b) and all(abs(x - y) <= tol * max(1.0, abs(y)) for x, y in zip(a, b))


def call_is(call, name, args=None, values=None):
    if call[0] != name:
        return False
    if args is not None and call[1] != args:
        return False
    return values is None or close(h.numbers(call[1]), values)


def blocks(frame):
    """(primitive, vertex count, index of glBegin) of every glBegin/glEnd."""
    out, cur = [], None
    for i, (name, args) in enumerate(frame):
        if name == "glBegin":
            cur = [args, 0, i]
        elif name.startswith("glVertex") and cur is not None:
            cur[1] += 1
        elif name == "glEnd":
            out.append(tuple(cur))
            cur = None
    return out


def widths(frame):
    return [h.numbers(a)[0] for n, a in frame if n == "glLineWidth"]


def blend_sections(frame):
    """(material args, first index, last index) of every blended stretch,
    checking the order of the switches around it."""
    out = []
    for i, (name, args) in enumerate(frame):
        if name == "glEnable" and args == "GL_BLEND":
            h.expect(frame[i + 1] == ("glDepthMask", "GL_FALSE") and
                     frame[i + 2] == ("glBlendFunc", "GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA") and
                     frame[i + 3][0] == "glMaterialfv",
                     "blending starts as %r" % (frame[i:i + 4],))
            j = next(k for k in range(i, len(frame)) if frame[k] == ("glDepthMask", "GL_TRUE"))
            h.expect(frame[j + 1] == ("glDisable", "GL_BLEND"), "blending ends as %r" %
                     (frame[j:j + 2],))
            h.expect(all(c[0] not in ("glEnable", "glDisable") or "BLEND" not in c[1]
                         for c in frame[i + 1:j]), "nested blending")
            out.append((frame[i + 3][1], i, j))
    return out


def check_frame_start(frame, what):
    i = next(k for k, c in enumerate(frame) if c[0] == "glClear")
    seq = frame[i:i + 12]
    expect_seq = [
        ("glClear", None, None), ("glLoadIdentity", "", None),
        ("glMultMatrixd", None, [3.732050807568878, 0, 0, 0, 0, 3.732050807568878, 0, 0,
                                 0, 0, -101.0 / 99.0, -1, 0, 0, -200.0 / 99.0, 0]),
        ("glMultMatrixf", None, None),
        ("glTranslated", None, [-13.720932089777, -2.781370631131, -8.0]),
        ("glEnable", "GL_LIGHTING", None),
        ("glLightfv", None, [4, 0, 4, 0.5]), ("glLightfv", None, [0.5, 0.5, 0.5, 1]),
        ("glLightfv", None, [1, 1, 1, 1]), ("glLightfv", None, [0.7, 0.7, 0.7, 1]),
        ("glEnable", "GL_LIGHT0", None), ("glEnable", "GL_DEPTH_TEST", None)]
    for got, (name, args, values) in zip(seq, expect_seq):
        h.expect(call_is(got, name, args, values), "%s: frame starts with %r, not %s(%s)" %
                 (what, got, name, args if values is None else values))
    h.expect("GL_COLOR_BUFFER_BIT" in seq[0][1] and "GL_DEPTH_BUFFER_BIT" in seq[0][1],
             "%s: clear is %r" % (what, seq[0]))
    lights = [c[1] for c in seq if c[0] == "glLightfv"]
    for light, pname in zip(lights, ("GL_POSITION", "GL_AMBIENT", "GL_DIFFUSE", "GL_SPECULAR")):
        h.expect(light.startswith("GL_LIGHT0, " + pname), "%s: light call %r" % (what, light))
    h.expect(not any(c == ("glMatrixMode", "GL_PROJECTION") for c in frame),
             "%s: the projection matrix is touched in a frame" % what)
    h.expect(frame[-2] == ("glFlush", "") and frame[-1][0] == "glXSwapBuffers",
             "%s: frame ends with %r" % (what, frame[-2:]))


def check_overlay(frame, banner, what):
    """Text positions, the overlay projection and one bitmap per character."""
    pos = [tuple(h.numbers(a)) for n, a in frame if n == "glRasterPos2f"]
    want = [(5, 580 - 20 * i) for i in range(9)] + [(5, 20), (5, 40)] + \
        [(5, 400 - 20 * i) for i in range(len(banner))]
    h.expect(pos == want, "%s: text positions %r" % (what, pos))
    ortho = [h.numbers(a) for n, a in frame if n == "glOrtho"]
    h.expect(len(ortho) == 3 + len(banner) and all(o == [0, 600, 0, 600, -1, 1] for o in ortho),
             "%s: overlay projections %r" % (what, ortho))
    chars = sum(len(t) for t in HELP + LABELS + banner)
    bitmaps = sum(1 for n, a in frame if n == "glBitmap")
    h.expect(bitmaps == chars, "%s: %d characters drawn, %d expected" % (what, bitmaps, chars))
    # the view transform follows the text, then the axes
    i = max(k for k, c in enumerate(frame) if c[0] == "glPopMatrix" and
            k < next(j for j, d in enumerate(frame) if d[0] == "glRotated"))
    view = frame[i + 1:i + 5]
    h.expect([c[0] for c in view] == ["glRotated"] * 3 + ["glTranslated"] and
             [h.numbers(c[1]) for c in view] == [[4, 1, 0, 0], [-18, 0, 1, 0], [5, 0, 0, 1],
                                                 [0, 0, -0.5]],
             "%s: view transform %r" % (what, view))
    axes = frame[i + 5:i + 9]
    h.expect(axes == [("glDisable", "GL_LIGHTING"), ("glLineWidth", "2"),
                      ("glColor4f", "0, 0, 0, 0"), ("glBegin", "GL_LINES")],
             "%s: axes start %r" % (what, axes))
    verts = [h.numbers(a) for n, a in frame[i + 9:i + 15]]
    h.expect(verts == [[0, 0, 0], [10, 0, 0], [0, 0, 0], [0, 10, 0], [0, 0, 0], [0, 0, 10]],
             "%s: axes %r" % (what, verts))


def check_vertices(frame, what):
    for prim, n, _ in blocks(frame):
        h.expect(n in VERTICES.get(prim, set()), "%s: %s with %d vertices" % (what, prim, n))
    for prim, n, i in blocks(frame):
        if prim == "GL_LINE_LOOP":  # circles: unlit, 2 pixels wide
            h.expect(frame[i - 8:i - 5] == [("glDisable", "GL_LIGHTING"),
                                            ("glColor4f", "0, 0, 0, 1"), ("glLineWidth", "2")],
                     "%s: circle set up as %r" % (what, frame[i - 8:i - 5]))


def count(frame, name, args):
    return sum(1 for c in frame if c == (name, args))


def body(x, binary, work):
    trace = os.path.join(work, "session.trace")
    with h.App(x, binary, work, trace=trace) as app:
        app.wait_banner(START_BANNER)
        app.key("s")
        app.wait_frame(lambda f: f.count((255, 255, 0)) > 100, what="the first marker")
        app.key("s")
        app.wait_banner(["Execution Mode : A", "Grasp Calcul End"])
        app.key("Ss")
        app.wait_banner(["Execution Mode : S", "Stable Statics Obtained"])
        # a general grasp: hand turned by 9 degrees about Y and X
        app.key("HQPAss")
        app.wait_banner(["Execution Mode : A", "Grasp Calcul End"])
        app.key("Ss")
        app.wait_banner(["Execution Mode : S", "Stable Statics Obtained"])
        app.key("I")
        app.wait_banner(["Execution Mode : I"])
        app.key("\x1b")
        rc = app.wait_exit(60)
        h.expect(rc == 0, "ESC in mode I ended with status %s" % rc)

    # the window system's clean-up at exit destroys the context last
    calls = h.parse_calls(h.dump_trace(trace, last_call="glXDestroyContext"))
    # each frame from its clear to its swap (the first chunk also holds the set-up)
    frames = [f[next(i for i, c in enumerate(f) if c[0] == "glClear"):]
              for f in h.split_frames(calls) if any(c[0] == "glClear" for c in f)]
    h.expect(len(frames) >= 6, "only %d frames recorded" % len(frames))

    # window set-up: white clear colour, then the reshape to 600 x 600
    first_clear = next(i for i, c in enumerate(calls) if c[0] == "glClear")
    setup = calls[:first_clear]
    h.expect(("glClearColor", "1, 1, 1, 1") in setup, "clear colour is not white")
    k = next(i for i, c in enumerate(setup) if c == ("glViewport", "0, 0, 600, 600"))
    h.expect(setup[k + 1:k + 4] == [("glMatrixMode", "GL_PROJECTION"), ("glLoadIdentity", ""),
                                    ("glMatrixMode", "GL_MODELVIEW")],
             "reshape is %r" % (setup[k:k + 4],))

    for n, f in enumerate(frames):
        check_frame_start(f, "frame %d" % n)
        check_vertices(f, "frame %d" % n)

    start = frames[0]
    check_overlay(start, START_BANNER, "start-up frame")
    # with every addition off nothing is drawn over the scene
    h.expect(not h.text_over_scene(start) and not any(c[0] == "glRectf" for c in start),
             "start-up frame: text or a backing over the scene")
    # the blended work: the only blending, before the palm box
    sections = blend_sections(start)
    h.expect(len(sections) == 1 and sections[0][0] == "GL_FRONT_AND_BACK, GL_AMBIENT, "
             "{1, 0, 0, 0}", "start-up blending %r" % sections)
    box = next(i for p, n, i in blocks(start) if p == "GL_QUADS")
    h.expect(box > sections[0][2], "palm drawn before the work")
    prims = [p for p, n, i in blocks(start)]
    h.expect(prims.count("GL_LINE_LOOP") == 15, "start-up circles: %d, not 11 of the globe "
             "and 4 of the link outlines" % prims.count("GL_LINE_LOOP"))
    w = widths(start)
    h.expect(set(w) == {1.0, 2.0, 10.0}, "start-up line widths %r" % sorted(set(w)))
    h.expect(w.count(1.0) == 72, "%d outline lines, not 72" % w.count(1.0))

    markers = [f for f in frames if count(f, "glColor4d", "1, 1, 0, 1") == 2]
    h.expect(markers, "no frame with both contact markers")
    h.expect(not blend_sections(markers[-1])[1:], "links blended before the statics")

    statics = [f for f in frames if count(f, "glColor4d", "0, 1, 0, 1") > 0]
    h.expect(len(statics) >= 2, "statics frames missing")
    vertical, general = statics[0], statics[-1]
    check_overlay(vertical, ["Execution Mode : S", "Stable Statics Obtained",
                             "Exact check: holds (margin 72%, load x8.41)"], "statics frame")
    h.expect(h.text_over_scene(vertical) == [(5, 360)], "statics frame: the exact check's line "
             "is not drawn over the scene")
    for what, f in (("vertical statics", vertical), ("general statics", general)):
        # the exact check's line (mode S) alone goes over the scene, on its backing
        h.expect(set(h.text_over_scene(f)) <= {(5, 360)}, "%s: text over the scene at %r" %
                 (what, h.text_over_scene(f)))
        sections = blend_sections(f)
        h.expect([s[0] for s in sections] == ["GL_FRONT_AND_BACK, GL_AMBIENT, {0, 0, 0.5, 0}"] * 4,
                 "%s: blending %r" % (what, sections))
        for s in sections[0::2]:  # the link cylinders, end discs included
            inner = [(p, n) for p, n, i in blocks(f) if s[1] < i < s[2]]
            h.expect(inner == [("GL_QUAD_STRIP", 202), ("GL_POLYGON", 100),
                               ("GL_POLYGON", 100)], "%s: blended link %r" % (what, inner))
        opaque = [i for i, c in enumerate(f)
                  if c == ("glMaterialfv", "GL_FRONT_AND_BACK, GL_AMBIENT, {1, 0, 0, 0}")]
        h.expect(len(opaque) == 1 and opaque[0] < sections[0][1],
                 "%s: the work is not drawn opaque before the links" % what)
        h.expect(count(f, "glColor4d", "1, 1, 0, 1") == 0, "%s: contact markers" % what)
    # load, and per contact a normal and a friction arrow; no moments here
    h.expect(count(vertical, "glColor4d", "0, 1, 0, 1") == 5, "vertical statics: green lines")
    h.expect(set(widths(vertical)) == {1.0, 2.0, 10.0},
             "vertical statics widths %r" % sorted(set(widths(vertical))))
    h.expect(not [p for p, n, i in blocks(vertical) if p == "GL_LINE_STRIP"], "moment arcs drawn")
    # the general grasp has a friction moment at both contacts: two 270-degree arcs
    arcs = [i for p, n, i in blocks(general) if p == "GL_LINE_STRIP"]
    h.expect(len(arcs) == 2, "general statics: %d moment arcs" % len(arcs))
    for i in arcs:
        h.expect(general[i - 3:i] == [("glDisable", "GL_LIGHTING"), ("glColor4f", "0, 1, 0, 1"),
                                      ("glLineWidth", "5")], "arc set up as %r" %
                 (general[i - 3:i],))
    h.expect(set(widths(general)) == {1.0, 2.0, 5.0, 10.0},
             "general statics widths %r" % sorted(set(widths(general))))


h.run_test(body)
