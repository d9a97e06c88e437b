"""The dask example: a vectorised graspstat call mapped over partitions on a
LocalCluster of two worker processes gives the answer of one process."""
import os
import sys

import numpy as np

DOCS = os.path.join(os.path.dirname(__file__), "..", "..", "docs")
sys.path.insert(0, DOCS)
from dask_map import grasp_quality, graspstat_dask_map, solve_poses  # noqa: E402


def test_partitions_on_two_workers_equal_one_call(monkeypatch):
    from dask.distributed import Client, LocalCluster

    # the workers are new interpreters: the example and the module on their path
    monkeypatch.setenv("PYTHONPATH", os.pathsep.join([DOCS, os.environ.get("PYTHONPATH", "")]))
    rng = np.random.default_rng(3)
    n = 301  # not a multiple of the partitions
    hand = rng.uniform(-180, 180, (n, 2))
    work = np.column_stack([rng.uniform(-30, 30, n), rng.uniform(40, 120, n), np.zeros(n)])
    radius = rng.uniform(20, 70, n)
    whole = solve_poses(hand, work, radius, deg=True)
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                      dashboard_address=None) as cluster, Client(cluster) as client:
        parts = graspstat_dask_map(client, solve_poses, [hand, work, radius], partitions=7,
                                   deg=True)
        pids = set(client.run(os.getpid).values())
    assert len(pids) == 2 and os.getpid() not in pids
    assert isinstance(parts, dict) and list(parts) == list(whole)
    for key, value in whole.items():
        assert value.shape[0] == n and np.array_equal(parts[key], value, equal_nan=value.dtype.kind == "f"), key
    assert len(set(whole["verdict"])) >= 2  # held and not held both met

    # the quality of sampled antipodal grasps, partition by partition
    import graspstat
    d = rng.normal(size=(97, 3))
    d /= np.linalg.norm(d, axis=1)[:, None]
    tilt = 0.3 * rng.normal(size=(97, 3))
    far = -(d + tilt) / np.linalg.norm(d + tilt, axis=1)[:, None]
    points, normals = np.stack([d, far], 1), np.stack([-d, -far], 1)
    reference = np.zeros((97, 3))
    one = graspstat.quality(points, normals, reference, threads=1, proof_boxes=0)
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                      dashboard_address=None) as cluster, Client(cluster) as client:
        spread = graspstat_dask_map(client, grasp_quality, [points, normals, reference],
                                    partitions=5, threads=1, proof_boxes=0)
    assert isinstance(spread, dict) and list(spread) == list(one)
    for key, value in one.items():
        assert np.array_equal(spread[key], value, equal_nan=value.dtype.kind == "f"), key
