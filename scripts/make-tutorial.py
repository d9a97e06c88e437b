#!/usr/bin/env python3
"""Writes docs/tutorial.ipynb (cells only); run from the project root, then
execute it in place (nbclient) so that it keeps its outputs and pictures."""
import nbformat as nbf
nb = nbf.v4.new_notebook()
md, code = nbf.v4.new_markdown_cell, nbf.v4.new_code_cell
cells = [
md("""# graspstat tutorial

The statics of a two-finger hand grasping a sphere, and the grasp quality of
two contacts from anywhere. Run the cells top to bottom (the module comes
from `pip install .` or `PYTHONPATH=build/python`)."""),
code("""import numpy as np
import matplotlib
import matplotlib.pyplot as plt
import graspstat
print(graspstat.__version__)"""),
md("""## One pose, solved and drawn

`solve` finds where each finger touches the work, solves the statics with
the case solvers and runs the exact check. Here the contacts and the exact
check's least-force solution are drawn in the X-Y plane of the fixed frame."""),
code("""r = graspstat.solve((9, 9), (0, 80, 0), 50, deg=True)
print(r.staticsCase, r.StaticsStability, r.exact.verdict, 'margin', round(r.exact.margin, 4))
fig, ax = plt.subplots(figsize=(4, 4))
ax.add_patch(plt.Circle(r.rwG[:2], r.aSph, fill=False))
for k in range(2):
    p, n = r.RC[k], r.NF[k]
    force = r.exact.FCZ[k] * n + r.exact.T[k]
    ax.plot(*p[:2], 'o')
    ax.arrow(p[0], p[1], 30 * force[0], 30 * force[1], width=0.8, color='C3')
ax.set_aspect('equal'); ax.set_xlabel('x'); ax.set_ylabel('y'); ax.set_title('contacts and exact forces (x30)')
plt.show()"""),
md("""## The three contact laws side by side

Soft contacts resist a friction force and a friction moment apart, point
contacts no moment, elliptic ones both together."""),
code("""laws = ['soft', 'elliptic', 'point']
rows = []
for law in laws:
    e = graspstat.solve((9, 9), (0, 80, 0), 50, deg=True, model=graspstat.Model(contact=law, mex=(0, 0, 2))).exact
    rows.append((law, e.verdict, e.capacity, e.muNeeded, e.epsilon.inf.value))
for row in rows:
    print('%-9s %-12s capacity %-8s muNeeded %-8s epsilonInf %.4f' % (row[0], row[1], None if row[2] is None else round(row[2], 3), None if row[3] is None else round(row[3], 3), row[4]))"""),
md("""## A map of capacity over the hand angles

`sweep` solves a whole grasp at every point of a grid (on all cores)."""),
code("""m = graspstat.sweep(('alHand', -45, 45, 31), ('betHand', -45, 45, 31), deg=True)
plt.imshow(m['capacity'], origin='lower', extent=(-45, 45, -45, 45))
plt.colorbar(label='capacity (load factor held)')
plt.xlabel('alHand (deg)'); plt.ylabel('betHand (deg)')
plt.show()"""),
md("""## Contacts from anywhere: epsilon and force closure

Sampled antipodal grasps of a unit sphere, tilted a little: `quality`
answers them all at once. `epsilonInf` bounds each normal force by the cap,
`epsilonOne` their sum; both are 0 where the grasp is not force closure."""),
code("""rng = np.random.default_rng(0)
n = 60
d = rng.normal(size=(n, 3)); d /= np.linalg.norm(d, axis=1)[:, None]
tilt = rng.uniform(0, 0.9, n)[:, None] * rng.normal(size=(n, 3))
far = -(d + tilt); far /= np.linalg.norm(far, axis=1)[:, None]
points, normals = np.stack([d, far], 1), np.stack([-d, -far], 1)
q = graspstat.quality(points, normals, np.zeros(3), model=graspstat.Model(mu=0.5, rm=0.2))
angle = np.degrees(np.arccos(np.clip(-np.sum(d * far, axis=1), -1, 1)))
plt.scatter(angle, q['epsilonInf'], c=q['forceClosure'], cmap='coolwarm')
plt.xlabel('angle of the contact line off antipodal (deg)'); plt.ylabel('epsilon (inf)')
plt.show()
print('force closure:', int(np.nansum(q['forceClosure'])), 'of', n)"""),
md("""## Robust holding under noise

Each grasp perturbed 8 times in its contact points, normals and friction
(seeded, so it repeats): the share that still holds the load."""),
code("""r = graspstat.quality(points[:12], normals[:12], np.zeros(3), model=graspstat.Model(mu=0.5, rm=0.2),
                      samples=8, sigma_point=0.02, sigma_normal=0.05, sigma_mu=0.1, seed=1)
for i in range(12):
    print('%2d %-12s pHolds %.2f  epsilonInfP05 %.4f' % (i, r['verdict'][i], r['pHolds'][i], r['epsilonInfP05'][i]))"""),
md("""## Beyond one machine

A dataset of many grasps is a map over rows: `docs/dask_map.py` cuts the
arrays into partitions and runs `graspstat.quality` on the workers of a
`dask.distributed` cluster; the joined answer equals one process's."""),
code("""import sys, os
sys.path.insert(0, os.path.abspath('.') if os.path.exists('dask_map.py') else os.path.abspath('docs'))
from dask_map import grasp_quality, graspstat_dask_map
from dask.distributed import Client, LocalCluster
os.environ['PYTHONPATH'] = os.pathsep.join([os.path.dirname(graspstat.__file__), sys.path[0], os.environ.get('PYTHONPATH', '')])
with LocalCluster(n_workers=2, threads_per_worker=1, dashboard_address=None) as cluster, Client(cluster) as client:
    spread = graspstat_dask_map(client, grasp_quality, [points, normals, np.zeros((n, 3))], partitions=4, threads=1,
                                 model=graspstat.Model(mu=0.5, rm=0.2))
same = all(np.array_equal(spread[k], q[k], equal_nan=q[k].dtype.kind == 'f') for k in q)
assert same
print('the answer of the cluster equals that of one process:', same)"""),
]
nb.cells = cells
nb.metadata['kernelspec'] = {'name': 'python3', 'display_name': 'Python 3', 'language': 'python'}
nbf.write(nb, 'docs/tutorial.ipynb')  # then executed in place to keep its pictures
