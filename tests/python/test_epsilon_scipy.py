"""The epsilon of random grasps against SciPy: a coarse polytope inscribed in
each contact's exact friction set (points on its boundary, force cap and
zero force) gives, through the inradius of its grasp hull, a lower bound of
the true epsilon, and the exact support at many unit directions an upper
bound; value, lower and the support at weakest must lie between them."""
import os
import subprocess

import numpy as np
import pytest
from scipy.spatial import ConvexHull

PROBE = os.environ.get("GRASPSTAT_EPSILON_PROBE")
pytestmark = pytest.mark.skipif(PROBE is None, reason="probe not built")
rng = np.random.default_rng(7)
SIDES = 6          # corners of the inscribed friction discs
DIRECTIONS = 20000  # unit directions of the sampled upper bound


def unit(v):
    return v / np.linalg.norm(v)


def grasp():
    p1 = unit(rng.normal(size=3))
    p2 = unit(-p1 + 0.5 * rng.normal(size=3))
    n1 = unit(-p1 + 0.2 * rng.normal(size=3))
    n2 = unit(-p2 + 0.2 * rng.normal(size=3))
    return p1, n1, p2, n2, 0.1 * rng.normal(size=3)


def contact_points(p, n, c, law, mu, rm, cap, rho):
    """Wrenches of one contact at force cap on the boundary of its set, and 0."""
    t1 = unit(np.cross(n, [1.0, 0.0, 0.0] if abs(n[0]) < 0.9 else [0.0, 1.0, 0.0]))
    t2 = np.cross(n, t1)
    out = [np.zeros(6)]
    for j in range(SIDES):
        a = 2 * np.pi * j / SIDES
        t = np.cos(a) * t1 + np.sin(a) * t2
        if law == "point":
            moments = [(1.0, 0.0)]
        elif law == "soft":
            moments = [(1.0, 1.0), (1.0, -1.0)]
        else:
            moments = [(np.cos(b), np.sin(b)) for b in np.linspace(-np.pi / 2, np.pi / 2, 5)]
        for ft, fm in moments:
            f = cap * (n + mu * ft * t)
            m = np.cross(p - c, f) + cap * mu * rm * fm * n
            out.append(np.concatenate([f, m / rho]))
    return np.array(out)


def support(u, p, n, c, law, mu, rm, cap, rho, form):
    """The exact support of the grasp at the rows of u."""
    phis = []
    for k in range(2):
        g = u[:, :3] + np.cross(u[:, 3:], (p[k] - c) / rho)
        s = g @ n[k]
        tau = np.linalg.norm(g - np.outer(s, n[k]), axis=1)
        q = np.abs(u[:, 3:] @ n[k]) * rm / rho
        phi = s + mu * (tau if law == "point" else tau + q if law == "soft" else np.hypot(tau, q))
        phis.append(np.maximum(phi, 0.0))
    return cap * (phis[0] + phis[1] if form == "inf" else np.maximum(phis[0], phis[1]))


def inradius(points):
    hull = ConvexHull(points)
    offsets = -hull.equations[:, 6]  # facets n . x + off <= 0, |n| = 1
    return max(0.0, float(offsets.min()))


@pytest.mark.parametrize("law", ["soft", "elliptic"])
def test_epsilon_between_inscribed_hull_and_sampled_support(law):
    mu, rm, cap = 0.6, 0.3, 2.0
    grasps = [grasp() for _ in range(2)]
    lines = [" ".join(repr(x) for v in g for x in v) + f" {law} {mu} {rm} {cap}" for g in grasps]
    res = subprocess.run([PROBE], input="\n".join(lines) + "\n", capture_output=True, text=True,
                         check=True).stdout.split("\n")
    for (p1, n1, p2, n2, c), row in zip(grasps, res):
        v = [float(x) for x in row.split()]
        rho = v[0]
        p, n = [p1, p2], [n1, n2]
        w = [contact_points(p[k], n[k], c, law, mu, rm, cap, rho) for k in range(2)]
        u = rng.normal(size=(DIRECTIONS, 6))
        u /= np.linalg.norm(u, axis=1)[:, None]
        for form, at in (("inf", 1), ("one", 9)):
            value, lower, weakest = v[at], v[at + 1], np.array(v[at + 2:at + 8])
            if form == "inf":
                pts = (w[0][:, None, :] + w[1][None, :, :]).reshape(-1, 6)
            else:
                pts = np.vstack([w[0], w[1]])
            lo = inradius(pts)
            hi = support(u, p, n, c, law, mu, rm, cap, rho, form).min()
            hw = support(weakest[None, :], p, n, c, law, mu, rm, cap, rho, form)[0]
            tol = 1e-9 * cap
            assert lo - tol <= lower <= value <= hi + tol, (form, lo, lower, value, hi)
            assert abs(hw - value) <= tol and abs(np.linalg.norm(weakest) - 1) < 1e-9
