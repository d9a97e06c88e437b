"""Exact margin over the hand angles, drawn with matplotlib.

Run from the top of the tree after `make python`, with the system Python
the module is built for; it writes map_example.png in the working directory,
or the path given as its argument:
    PYTHONPATH=build/python /usr/bin/python3 docs/map_example.py [OUT.png]
"""
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt
import numpy as np

import graspstat

m = graspstat.sweep(("alHand", -180, 180, 256), ("betHand", -180, 180, 256), deg=True)
holds = m["exact"] == "holds"
touched = m["cntContact"] == 2  # both fingers reach the work: the statics ran

fig, ax = plt.subplots(figsize=(6, 5))
box = dict(origin="lower", extent=(-180, 180, -180, 180))
ax.imshow(np.where(touched, 0.6, 1.0), cmap="gray", vmin=0, vmax=1, **box)
pic = ax.imshow(np.where(holds, m["margin"], np.nan), cmap="viridis", vmin=0, vmax=1, **box)
fig.colorbar(pic, label="exact margin where the work is held")
ax.set(xlabel="alHand (deg)", ylabel="betHand (deg)",
       title="Hand turn: margin; grey: both contacts, not held")
fig.savefig(sys.argv[1] if len(sys.argv) > 1 else "map_example.png", dpi=100, bbox_inches="tight")
