"""The graspstat Python module against the batch tool it shares its library
with: random poses against `solve --stdin`, maps against `map`'s CSV, the
exact check of given contacts against the pipeline's own, the GIL released
during a sweep, and the refusals in the batch tool's words."""
import copy
import csv
import json
import math
import os
import pickle
import pydoc
import signal
import subprocess
import sys
import threading
import time

import numpy as np
import pytest

import graspstat

BATCH = os.environ["GRASPSTAT_BATCH"]
rng = np.random.default_rng(20)


def batch(*args, stdin=None):
    return subprocess.run([BATCH, *args], input=stdin, capture_output=True, text=True)


def same(py, js, where):
    """A Result attribute equals its JSON value: null is None (NaN inside arrays)."""
    if isinstance(js, dict):
        assert list(vars(py)) == list(js), where
        for key, value in js.items():
            same(getattr(py, key), value, f"{where}.{key}")
    elif isinstance(py, np.ndarray):
        want = np.array(js, dtype=float)  # None -> nan
        assert py.dtype == np.float64 and py.shape == want.shape, where
        assert np.array_equal(py, want, equal_nan=True), (where, py, want)
    else:
        assert py == js and type(py) is type(js), (where, py, js)


def random_poses(n):
    """Hand angles over a full turn, works around the start-up place, some points (radius 0)."""
    poses = []
    for _ in range(n):
        al, bet = rng.uniform(-math.pi, math.pi, 2)
        x, y, z = rng.uniform(-40, 40), rng.uniform(30, 130), rng.uniform(-40, 40)
        r = 0.0 if rng.random() < 0.05 else rng.uniform(5, 80)
        poses.append((al, bet, x, y, z, r))
    return poses


@pytest.mark.parametrize("deg", [False, True])
def test_solve_equals_batch_on_random_poses(deg):
    poses = random_poses(400) + [(0, 0, 0, 80, 0, 50), (0, 1.5707963278, 0, 80, 0, 50)]
    if deg:
        poses = [(math.degrees(p[0]), math.degrees(p[1]), *p[2:]) for p in poses]
    lines = "".join(" ".join(repr(v) for v in p) + "\n" for p in poses)
    out = batch("solve", "--stdin", *(["--deg"] if deg else []), stdin=lines)
    assert out.returncode == 0, out.stderr
    cases = set()
    for pose, line in zip(poses, out.stdout.splitlines(), strict=True):
        r = graspstat.solve(pose[:2], pose[2:5], pose[5], deg=deg)
        same(r, json.loads(line), f"solve{pose}")
        cases.add((r.staticsCase, r.exact and r.exact.verdict))
    assert len(cases) >= 6  # no contact, several cases and verdicts met


@pytest.mark.parametrize("law", ["soft", "point", "elliptic"])
def test_model_reaches_the_exact_check_as_in_the_batch_tool(law, tmp_path):
    model = graspstat.Model(mu=0.3, rm=6.0, cap=12.0, fex=(0.3, 0, 1), mex=(0, 2, 0), contact=law)
    opts = ["--mu", "0.3", "--rm", "6", "--cap", "12", "--fex", "0.3,0,1", "--mex", "0,2,0",
            "--contact", law]
    poses = random_poses(60)
    lines = "".join(" ".join(repr(v) for v in p) + "\n" for p in poses)
    out = batch("solve", "--stdin", *opts, stdin=lines)
    assert out.returncode == 0, out.stderr
    for pose, line in zip(poses, out.stdout.splitlines(), strict=True):
        same(graspstat.solve(pose[:2], pose[2:5], pose[5], model=model), json.loads(line), law)
    assert batch("map", "--x", "mu:0.1:1:5", "--y", "z:-20:20:4", *opts[2:],
                 "--out", str(tmp_path / "m")).returncode == 0
    with open(tmp_path / "m.csv", newline="") as f:
        rows = list(csv.reader(f))
    cols = graspstat.sweep(("mu", 0.1, 1, 5), ("z", -20, 20, 4), model=model)
    for name, column in zip(rows[0], zip(*rows[1:])):
        if cols[name].dtype.kind != "U":
            want = np.array([float(v) if v else math.nan for v in column])
            assert np.array_equal(cols[name].ravel(), want, equal_nan=True), name


def test_keys_equal_batch():
    for seq in ["ssSs", r"HqqAssSsIpq\e", r"Wrrr\x41ss", ""]:
        out = batch("keys", seq)
        assert out.returncode == 0, out.stderr
        same(graspstat.keys(seq), json.loads(out.stdout), repr(seq))


def test_check_of_given_contacts_equals_the_pipelines():
    seen = set()
    for al, bet, x, y, z, r in random_poses(300):
        res = graspstat.solve((al, bet), (x, y, z), r)
        if res.cntContact < 2:
            continue
        posed = graspstat.check(res.RC, res.NF, res.rwG, r, hand=(al, bet))
        same(posed, json.loads(json.dumps(vars_deep(res.exact))), "check with hand")
        free = graspstat.check(res.RC.tolist(), res.NF.tolist(), list(res.rwG), r)
        seen.add(res.exact.verdict)
        if res.exact.verdict != "palm inside work":
            assert free.verdict == res.exact.verdict and free.jointTorque is None
            for key in ("margin", "FCZ", "T", "MCZ", "blocking", "reason"):
                assert np.array_equal(getattr(free, key), getattr(res.exact, key)), key
        else:
            assert free.verdict != "palm inside work"
    assert {"holds", "cannot hold", "palm inside work"} <= seen


def vars_deep(result):
    """A Result as the plain JSON value it stands for."""
    def plain(v):
        if isinstance(v, np.ndarray):
            return [plain(x) for x in v.tolist()] if v.ndim else plain(v.item())
        if isinstance(v, list):
            return [plain(x) for x in v]
        if isinstance(v, float) and math.isnan(v):
            return None
        if hasattr(v, "__dict__") and not isinstance(v, type):
            return {k: plain(x) for k, x in vars(v).items()}
        return v
    return plain(result)


@pytest.mark.parametrize("x, y, extra", [
    (("alHand", -180, 180, 23), ("betHand", -180, 180, 17), {"deg": True}),
    (("aSph", 0, 90, 13), ("z", -60, 60, 11), {"hand": (0.3, -0.2), "work": (5, 70, 0)}),
])
def test_sweep_equals_map_csv(tmp_path, x, y, extra):
    args = ["map", "--x", ":".join(map(str, x)), "--y", ":".join(map(str, y)),
            "--threads", "2", "--out", str(tmp_path / "m")]
    if extra.get("deg"):
        args.append("--deg")
    if "hand" in extra:
        args += ["--hand", ",".join(map(repr, extra["hand"])),
                 "--work", ",".join(map(repr, extra["work"]))]
    out = batch(*args)
    assert out.returncode == 0, out.stderr
    with open(tmp_path / "m.csv", newline="") as f:
        rows = list(csv.reader(f))
    cols = graspstat.sweep(x, y, threads=2, **extra)
    assert list(cols) == rows[0]
    for name, column in zip(rows[0], zip(*rows[1:])):
        got = cols[name]
        assert got.shape == (y[3], x[3])
        flat = got.ravel()
        if got.dtype.kind == "U":
            assert flat.tolist() == list(column), name
        else:
            want = np.array([float(v) if v else math.nan for v in column])
            assert np.array_equal(flat, want, equal_nan=True), name


def test_sweep_lets_other_python_threads_run():
    ticks = 0
    stop = threading.Event()

    def count():
        nonlocal ticks
        while not stop.is_set():
            ticks += 1

    t = threading.Thread(target=count)
    t.start()
    try:
        before = ticks
        cols = graspstat.sweep(("alHand", -3, 3, 120), ("betHand", -3, 3, 120), threads=1)
        during = ticks - before
    finally:
        stop.set()
        t.join()
    assert cols["cntContact"].shape == (120, 120)
    assert during > 10000  # the counter ran while the points were computed


NAN = float("nan")


@pytest.mark.parametrize("call, args", [
    (lambda: graspstat.solve((NAN, 0), (0, 80, 0), 50), ["solve", "--hand", "nan,0", "--work", "0,80,0", "--radius", "50"]),
    (lambda: graspstat.solve((0, 0), (0, 80, 0), -1), ["solve", "--hand", "0,0", "--work", "0,80,0", "--radius", "-1"]),
    (lambda: graspstat.keys("s\\q"), ["keys", "s\\q"]),
    (lambda: graspstat.sweep(("foo", 0, 1, 3)), ["map", "--x", "foo:0:1:3", "--y", "betHand:0:1:2", "--out", "/nonexistent/m"]),
    (lambda: graspstat.sweep(("alHand", 0, 0, 3)), ["map", "--x", "alHand:0:0:3", "--y", "betHand:0:1:2", "--out", "/nonexistent/m"]),
    (lambda: graspstat.sweep(("alHand", 0, 1, 1)), ["map", "--x", "alHand:0:1:1", "--y", "betHand:0:1:2", "--out", "/nonexistent/m"]),
    (lambda: graspstat.sweep(("alHand", 0, 1, 3), ("alHand", 0, 1, 2)), ["map", "--x", "alHand:0:1:3", "--y", "alHand:0:1:2", "--out", "/nonexistent/m"]),
    (lambda: graspstat.sweep(radius=-1), ["map", "--x", "alHand:0:1:3", "--y", "betHand:0:1:2", "--radius", "-1", "--out", "/nonexistent/m"]),
])
def test_refusals_in_the_batch_tools_words(call, args):
    out = batch(*args)
    assert out.returncode == 2 and out.stdout == ""
    words = out.stderr.strip().split(": ", 1)[1].replace("--", "")
    with pytest.raises(ValueError) as err:
        call()
    # the option's name becomes the keyword's; the rest is the same text
    assert str(err.value).split(": ")[1:] == words.split(": ")[1:] or str(err.value) == words


@pytest.mark.parametrize("call, error, text", [
    (lambda: graspstat.solve("ab", (0, 80, 0), 50), TypeError, "hand"),
    (lambda: graspstat.solve((0, 0, 0), (0, 80, 0), 50), ValueError, "hand: expected 2 numbers, got 3"),
    (lambda: graspstat.solve((0, 0), (0, 80, 0), "50"), TypeError, "radius"),
    (lambda: graspstat.check([[0, 0, 0]], [[0, 0, 1]] * 2, (0, 0, 0), 1), ValueError, "RC"),
    (lambda: graspstat.sweep(threads=0), ValueError, "threads"),
    (lambda: graspstat.sweep(("alHand", 0, 1, 2.5)), TypeError, "COUNT"),
    (lambda: graspstat.Model(mu=-0.1), ValueError, "mu"),
    (lambda: graspstat.Model(cap=0), ValueError, "cap"),
    (lambda: graspstat.Model(rm=math.inf), ValueError, "rm"),
    (lambda: graspstat.Model(fex=(0, 0, 0)), ValueError, "not both be zero"),
    (lambda: graspstat.Model(contact="hard"), ValueError, "soft, point or elliptic"),
    (lambda: graspstat.solve((0, 0), (0, 80, 0), 50, model="soft"), TypeError, "model"),
    # a bool is no number, an int beyond range a bad value
    (lambda: graspstat.solve((0, 0), (0, 80, 0), True), TypeError, "radius: expected a number, got bool"),
    (lambda: graspstat.solve((np.True_, 0), (0, 80, 0), 50), TypeError, "hand"),
    (lambda: graspstat.check([[0, 0, 0]] * 2, [[0, 0, False]] * 2, (0, 0, 0), 1), TypeError, "NF"),
    (lambda: graspstat.Model(mu=True), TypeError, "mu"),
    (lambda: graspstat.Model(fex=(0, 0, True)), TypeError, "fex"),
    (lambda: graspstat.sweep(("alHand", False, 1, 3)), TypeError, "FROM and TO"),
    (lambda: graspstat.sweep(("alHand", 0, 1, np.True_)), TypeError, "COUNT"),
    (lambda: graspstat.sweep(threads=True), TypeError, "threads"),
    (lambda: graspstat.sweep(threads=10**30), ValueError, "threads: expected 1 to 256"),
    (lambda: graspstat.sweep(threads=-10**400), ValueError, "threads: expected 1 to 256"),
    (lambda: graspstat.solve((0, 0), (0, 80, 0), 10**400), ValueError, "radius: the int is too large"),
    (lambda: graspstat.Model(cap=10**400), ValueError, "cap"),
    (lambda: graspstat.sweep(("alHand", 0, 10**400, 3)), ValueError, "x"),
    (lambda: graspstat.sweep(("alHand", 0, 1, 10**400)), ValueError, "COUNT"),
    (lambda: graspstat.Model(fex=(0, 0, 1), FEX=(0, 0, 1)), TypeError, "fex, FEX"),
])
def test_bad_arguments(call, error, text):
    with pytest.raises(error, match=text):
        call()
    assert graspstat.Model(fex=(0, 0, 0), mex=(0, 0, 1)).mex[2] == 1.0
    assert graspstat.solve((0, 0), (0, 80, 0), 50, model=graspstat.Model()).StaticsStability == 1


def test_help_names_the_types_and_every_swept_quantity_and_column():
    text = pydoc.render_doc(graspstat, renderer=pydoc.plaintext)
    assert "handle" not in text and "default model only" not in text
    assert "hand: tuple[float, float]" in graspstat.solve.__doc__
    assert "x: tuple[str, float, float, int]" in graspstat.sweep.__doc__
    assert "mu: float = 0.5" in graspstat.Model.__doc__
    doc = " ".join(graspstat.sweep.__doc__.split())
    assert "aSph (work radius), or mu, rm, cap" in doc
    kinds = {"cntContact": "int32", "staticsCase": "str", "StaticsStability": "float64", "exact": "str"}
    cols = graspstat.sweep(("cap", 5, 20, 2), ("mu", 0.1, 1, 2))
    for name, column in cols.items():
        assert name in ("cap", "mu") or name in doc  # all but the swept values by name
        kind = "str" if column.dtype.kind == "U" else column.dtype.name
        assert kind == kinds.get(name, "float64"), name
        assert name not in kinds or f"{name} ({kind}" in doc, name


def test_ctrl_c_stops_a_sweep():
    main = threading.main_thread().ident
    sent = []

    def interrupt():
        sent.append(time.monotonic())
        signal.pthread_kill(main, signal.SIGINT)

    timer = threading.Timer(0.3, interrupt)
    timer.start()
    try:
        with pytest.raises(KeyboardInterrupt):
            graspstat.sweep(("alHand", -3, 3, 2048), ("betHand", -3, 3, 2048), threads=2)
        stopped = time.monotonic()
    finally:
        timer.cancel()
    # the whole map takes tens of seconds; the interrupt ends it at once
    assert sent and stopped - sent[0] < 1.5
    assert graspstat.sweep(("alHand", 0, 1, 2), ("betHand", 0, 1, 2))["cntContact"].shape == (2, 2)


def test_results_and_models_pickle_and_copy():
    model = graspstat.Model(mu=0.3, rm=6.0, cap=12.0, fex=(0.3, 0, 1), mex=(0, 2, 0), contact="point")
    results = [graspstat.solve((0, 0), (0, 80, 0), 50, model=model), graspstat.keys("ssS"),
               graspstat.solve((0, 0), (0, 300, 0), 50)]
    for trip in (lambda v: pickle.loads(pickle.dumps(v)), copy.copy, copy.deepcopy):
        assert trip(model) == model and type(trip(model)) is graspstat.Model
        for r in results:
            back = trip(r)
            assert type(back) is graspstat.Result and back is not r
            assert vars_deep(back) == vars_deep(r)
    shallow = copy.copy(results[0])
    shallow.cntContact = -1
    assert results[0].cntContact == 2
    # the results' spelling of the model's vectors rebuilds the model
    assert graspstat.Model(**vars(results[0].exact.model)) == model
    assert graspstat.Model(FEX=(0.3, 0, 1), MEX=(0, 2, 0)) == graspstat.Model(fex=(0.3, 0, 1), mex=(0, 2, 0))
    version = batch("--version").stdout.split()[-1]
    assert graspstat.__version__ == version and version[0].isdigit()


def test_map_example_writes_where_told(tmp_path):
    pytest.importorskip("matplotlib")
    script = os.path.join(os.path.dirname(__file__), "..", "..", "docs", "map_example.py")
    env = dict(os.environ, PYTHONPATH=os.path.dirname(graspstat.__file__))
    for args, out in [([str(tmp_path / "given.png")], tmp_path / "given.png"), ([], tmp_path / "map_example.png")]:
        run = subprocess.run([sys.executable, script, *args], cwd=tmp_path, env=env, capture_output=True, text=True)
        assert run.returncode == 0, run.stderr
        assert out.read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"
