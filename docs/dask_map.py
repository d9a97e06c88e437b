"""A vectorised graspstat call spread over a dask cluster: the arrays are cut
into partitions along their first axis, each partition is one task on a
worker process, and the partial results are joined back in order, equal to
the answer of one call over all the arrays."""
from typing import Any, Callable, Union

import numpy as np
import numpy.typing as npt
from dask.distributed import Client

import graspstat

Arrays = Union[npt.NDArray[Any], dict[str, npt.NDArray[Any]]]


def graspstat_dask_map(client: Client, func: Callable[..., Arrays], arrays: list[npt.NDArray[Any]],
                       partitions: int, **kwargs: Any) -> Arrays:
    """func(*arrays, **kwargs) computed on the workers of client, partitions
    tasks of consecutive rows; func returns an array or a dict of arrays whose
    first axis runs along the rows of its arguments."""
    bounds = np.linspace(0, len(arrays[0]), partitions + 1).astype(int)
    futures = [client.submit(func, *(a[lo:hi] for a in arrays), pure=False, **kwargs)
               for lo, hi in zip(bounds[:-1], bounds[1:])]
    parts: list[Any] = client.gather(futures)
    if isinstance(parts[0], dict):
        return {k: np.concatenate([p[k] for p in parts]) for k in parts[0]}
    joined: npt.NDArray[Any] = np.concatenate(parts)
    return joined


def solve_poses(hand: npt.NDArray[np.float64], work: npt.NDArray[np.float64],
                radius: npt.NDArray[np.float64], deg: bool = False) -> dict[str, npt.NDArray[Any]]:
    """graspstat.solve for each row: hand (N, 2), work (N, 3), radius (N,);
    the statics case, the exact verdict and margin and the normal forces."""
    rs = [graspstat.solve(h, w, r, deg=deg) for h, w, r in zip(hand, work, radius)]
    return {
        "staticsCase": np.array([str(r.staticsCase) for r in rs]),
        "verdict": np.array([r.exact.verdict if r.exact else "" for r in rs]),
        "margin": np.array([np.nan if not r.exact or r.exact.margin is None else r.exact.margin
                            for r in rs]),
        "FCZ": np.array([r.FCZ if r.FCZ is not None else (np.nan, np.nan) for r in rs]),
    }


def grasp_quality(points: npt.NDArray[np.float64], normals: npt.NDArray[np.float64],
                  reference: npt.NDArray[np.float64], **kwargs: Any) -> dict[str, npt.NDArray[Any]]:
    """graspstat.quality by a name the workers can import (a compiled function
    does not pickle; this one travels by reference)."""
    return graspstat.quality(points, normals, reference, **kwargs)


if __name__ == "__main__":
    rng = np.random.default_rng(1)
    n = 2000
    hand = rng.uniform(-180, 180, (n, 2))
    work = np.tile((0.0, 80.0, 0.0), (n, 1))
    radius = np.full(n, 50.0)
    with Client(n_workers=2, threads_per_worker=1) as client:
        out = graspstat_dask_map(client, solve_poses, [hand, work, radius], partitions=8, deg=True)
    assert isinstance(out, dict)
    print({k: v[:3] for k, v in out.items()})
