"""Result.to_dict(): json.dumps of it is the batch tool's JSON of the same
solve (names, order, ints and floats, null), over random poses and models.
Skipped while the module has no to_dict."""
import json
import math
import os
import subprocess

import numpy as np
import pytest

import graspstat

pytestmark = pytest.mark.skipif(not hasattr(graspstat.Result, "to_dict"),
                                reason="Result.to_dict is not in the module yet")


@pytest.mark.parametrize("law", ["soft", "point"])
def test_to_dict_dumps_as_the_batch_tool_prints(law):
    rng = np.random.default_rng(7)
    poses = [(*rng.uniform(-math.pi, math.pi, 2), rng.uniform(-40, 40), rng.uniform(30, 130),
              rng.uniform(-40, 40), rng.uniform(0, 80)) for _ in range(80)]
    poses.append((0.0, 0.0, 0.0, 80.0, 0.0, 50.0))
    lines = "".join(" ".join(repr(float(v)) for v in p) + "\n" for p in poses)
    out = subprocess.run([os.environ["GRASPSTAT_BATCH"], "solve", "--stdin", "--mu", "0.3",
                          "--contact", law], input=lines, capture_output=True, text=True)
    assert out.returncode == 0, out.stderr
    model = graspstat.Model(mu=0.3, contact=law)
    for pose, line in zip(poses, out.stdout.splitlines(), strict=True):
        d = graspstat.solve(pose[:2], pose[2:5], pose[5], model=model).to_dict()
        # plain JSON values only: no NaN, no numpy arrays
        assert json.dumps(d, allow_nan=False) == json.dumps(json.loads(line)), pose
