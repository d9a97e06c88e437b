"""graspstat.quality over arrays of two-contact grasps: equal to one grasp at
a time for any thread count, to the batch tool's quality stream, and to the
hand's own exact check on the contacts of its solves; invariant under a rigid
motion; robust measures that repeat and reduce to the plain answers."""
import json
import os
import subprocess

import numpy as np
import pytest

import graspstat

BATCH = os.environ["GRASPSTAT_BATCH"]
KEYS = ("margin", "capacity", "muNeeded", "forceClosure", "epsilonInf", "epsilonOne", "torqueScale")


def grasps(n, seed):
    """n sampled near-antipodal grasps of a unit sphere about a random centre."""
    rng = np.random.default_rng(seed)
    d = rng.normal(size=(n, 2, 3))
    d[:, 1] = -d[:, 0] + 0.4 * rng.normal(size=(n, 3))
    d /= np.linalg.norm(d, axis=2)[:, :, None]
    centre = rng.uniform(-5, 5, size=(n, 3))
    return centre[:, None, :] + d, -d, centre


def equal(a, b):
    a, b = np.asarray(a), np.asarray(b)
    return np.array_equal(a, b, equal_nan=a.dtype.kind == "f")


def close(a, b, rel=1e-9):
    a, b = np.asarray(a, float), np.asarray(b, float)
    return np.allclose(a, b, rtol=rel, atol=rel, equal_nan=True)


def test_arrays_equal_single_grasps_and_the_stream_for_any_thread_count():
    p, n, c = grasps(24, 1)
    model = graspstat.Model(mu=0.4, rm=0.2, contact="elliptic")
    one = graspstat.quality(p, n, c, model=model, threads=1)
    two = graspstat.quality(p, n, c, model=model, threads=2)
    for key in one:
        assert equal(one[key], two[key]), key
    lines = "".join(" ".join(repr(float(x)) for x in (*p[i].ravel()[:3], *n[i, 0], *p[i, 1], *n[i, 1], *c[i])) + "\n"
                    for i in range(len(p)))
    out = subprocess.run([BATCH, "quality", "--stdin", "--mu", "0.4", "--rm", "0.2", "--contact", "elliptic"],
                         input=lines, capture_output=True, text=True, check=True).stdout.splitlines()
    for i in range(len(p)):
        single = graspstat.quality(p[i], n[i], c[i], model=model)
        j = json.loads(out[i])
        assert single["verdict"] == one["verdict"][i] == j["verdict"]
        for key in KEYS:
            assert equal(single[key], one[key][i]), key
        assert close(j["epsilon"]["inf"]["value"], one["epsilonInf"][i])
        assert close(j["epsilon"]["one"]["weakest"], one["weakestOne"][i])


def test_the_hand_solve_and_quality_of_its_contacts_agree():
    seen = 0
    for al, bet, radius in [(0, 0, 50), (9, 9, 40), (-18, 9, 45), (0, 27, 55)]:
        r = graspstat.solve((al, bet), (0, 80, 0), radius, deg=True)
        if r.exact is None or r.exact.verdict == "palm inside work":
            continue
        q = graspstat.quality(r.RC, r.NF, r.rwG)
        assert q["verdict"] == r.exact.verdict
        assert q["torqueScale"] == pytest.approx(radius)
        for key in ("capacity", "muNeeded"):
            assert close(q[key], getattr(r.exact, key) or np.nan, 1e-7), key
        # the same bracket of the true epsilon: each value is attained at its
        # weakest wrench (an upper bound), each lower bound proven; the hand's
        # solve proves less of it than quality does
        hand = r.exact.epsilon.inf
        assert q["epsilonInfLower"] <= q["epsilonInf"] * (1 + 1e-12)
        assert hand.lower <= q["epsilonInf"] * (1 + 1e-9) and q["epsilonInfLower"] <= hand.value * (1 + 1e-9)
        assert q["epsilonInf"] <= hand.value * (1 + 1e-9)
        seen += 1
    assert seen >= 2


def test_rigid_motion_cap_and_laws():
    p, n, c = grasps(12, 2)
    angle = 0.7
    rot = np.array([[np.cos(angle), -np.sin(angle), 0], [np.sin(angle), np.cos(angle), 0], [0, 0, 1]])
    shift = np.array([3.0, -2.0, 7.0])
    a = graspstat.quality(p, n, c)
    b = graspstat.quality(p @ rot.T + shift, n @ rot.T, c @ rot.T + shift)
    for key in ("epsilonInf", "epsilonOne"):
        assert close(a[key], b[key], 1e-7), key
    assert np.array_equal(a["verdict"], b["verdict"])
    doubled = graspstat.quality(p, n, c, model=graspstat.Model(cap=20.0))
    assert close(doubled["epsilonInf"], 2 * a["epsilonInf"], 1e-7)
    laws = [graspstat.quality(p, n, c, model=graspstat.Model(contact=law))["epsilonInf"]
            for law in ("point", "elliptic", "soft")]
    assert np.all(laws[0] == 0) and np.all(laws[1] <= laws[2] * (1 + 1e-7))


def test_robust_measures_repeat_and_reduce_to_the_plain_answers():
    p, n, c = grasps(6, 3)
    plain = graspstat.quality(p, n, c, proof_boxes=0)  # the proof's size does not matter here
    still = graspstat.quality(p, n, c, samples=5, proof_boxes=0)
    assert np.array_equal(still["pHolds"], (plain["verdict"] == "holds").astype(float))
    assert close(still["epsilonInfMean"], plain["epsilonInf"], 1e-9)
    noisy = [graspstat.quality(p, n, c, samples=16, sigma_point=0.02, sigma_normal=0.05, sigma_mu=0.1, seed=7,
                               proof_boxes=0) for _ in range(2)]
    for key in ("pHolds", "pForceClosure", "capacityP05", "epsilonInfMean", "epsilonInfP05"):
        assert np.array_equal(noisy[0][key], noisy[1][key], equal_nan=True), key


def test_a_smaller_proof_brackets_what_the_full_proof_proves():
    p, n, c = grasps(12, 5)
    model = graspstat.Model(mu=0.6, rm=0.3)
    full = graspstat.quality(p, n, c, model=model)
    fast = graspstat.quality(p, n, c, model=model, proof_boxes=0)
    assert full["forceClosure"].any()
    for key in ("verdict", "margin", "capacity", "muNeeded", "forceClosure", "torqueScale"):
        assert equal(full[key], fast[key]), key
    for form in ("Inf", "One"):
        lo, hi = fast["epsilon" + form + "Lower"], fast["epsilon" + form]
        assert np.all(lo <= full["epsilon" + form + "Lower"] + 1e-12)
        assert np.all(full["epsilon" + form + "Lower"] <= full["epsilon" + form] + 1e-12)
        assert np.all(full["epsilon" + form] <= hi + 1e-12)
    lines = "".join(" ".join(repr(float(x)) for x in (*p[i, 0], *n[i, 0], *p[i, 1], *n[i, 1], *c[i])) + "\n"
                    for i in range(len(p)))
    out = subprocess.run([BATCH, "quality", "--stdin", "--mu", "0.6", "--rm", "0.3", "--proof-boxes", "0"],
                         input=lines, capture_output=True, text=True, check=True).stdout.splitlines()
    for i, line in enumerate(out):
        inf = json.loads(line)["epsilon"]["inf"]
        assert close([inf["value"], inf["lower"]], [fast["epsilonInf"][i], fast["epsilonInfLower"][i]])


def test_each_form_asked_alone_is_the_form_of_both_and_none_leaves_the_check():
    p, n, c = grasps(12, 6)
    model = graspstat.Model(mu=0.2, rm=0.3)
    robust = dict(samples=3, sigma_normal=0.05, proof_boxes=0)
    both = graspstat.quality(p, n, c, model=model, **robust)
    assert both["forceClosure"].any() and not both["forceClosure"].all()
    for asked, kept, gone in (("inf", "Inf", "One"), ("one", "One", "Inf"), ("none", None, "Inf")):
        part = graspstat.quality(p, n, c, model=model, epsilon=asked, **robust)
        for key in ("verdict", "margin", "capacity", "muNeeded", "forceClosure", "torqueScale",
                    "pHolds", "pForceClosure", "capacityP05"):
            assert equal(part[key], both[key]), (asked, key)
        for form in {kept, gone} - {None}:
            names = ("epsilon" + form, "epsilon" + form + "Lower", "weakest" + form)
            for key in names:
                assert equal(part[key], both[key]) if form == kept else np.isnan(part[key]).all(), (asked, key)
        for key in ("epsilonInfMean", "epsilonInfP05"):
            assert equal(part[key], both[key]) if asked == "inf" else np.isnan(part[key]).all(), (asked, key)
    lines = "".join(" ".join(repr(float(x)) for x in (*p[i, 0], *n[i, 0], *p[i, 1], *n[i, 1], *c[i])) + "\n"
                    for i in range(len(p)))
    out = subprocess.run([BATCH, "quality", "--stdin", "--mu", "0.2", "--rm", "0.3", "--epsilon", "none"],
                         input=lines, capture_output=True, text=True, check=True).stdout.splitlines()
    for i, line in enumerate(out):
        j = json.loads(line)
        assert j["verdict"] == both["verdict"][i] and j["epsilon"]["one"]["value"] is None
        assert close(j["epsilon"]["torqueScale"], both["torqueScale"][i])


@pytest.mark.parametrize("call", [
    lambda p, n: graspstat.quality(p[:, :1], n),
    lambda p, n: graspstat.quality(p, n[:3]),
    lambda p, n: graspstat.quality(p, n * 2),
    lambda p, n: graspstat.quality(np.where(p > 0, np.nan, p), n),
    lambda p, n: graspstat.quality(p, n, np.zeros((2, 3))),
    lambda p, n: graspstat.quality(p, n, samples=-1),
    lambda p, n: graspstat.quality(p, n, sigma_mu=-0.1),
    lambda p, n: graspstat.quality(p, n, torque_scale=0),
    lambda p, n: graspstat.quality(p, n, proof_boxes=-1),
    lambda p, n: graspstat.quality(p, n, epsilon="all"),
])
def test_bad_shapes_and_values_are_refused(call):
    p, n, _ = grasps(4, 4)
    with pytest.raises(ValueError):
        call(p, n)
