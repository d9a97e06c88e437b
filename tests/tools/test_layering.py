#!/usr/bin/env python3
"""The layering check passes on the tree as it is and fails on a copy where
the batch tool, the Python module or a low floor reaches past the face.

Usage: test_layering.py ROOT
"""
import pathlib
import shutil
import subprocess
import sys
import tempfile


def check(root):
    script = pathlib.Path(sys.argv[1]) / "scripts" / "check_layering.py"
    r = subprocess.run([sys.executable, str(script), str(root)], capture_output=True, text=True)
    return r.returncode, r.stdout


def main():
    root = pathlib.Path(sys.argv[1])
    code, out = check(root)
    assert code == 0, out
    # each breach below, planted in a copy, must be named
    breaches = {
        "tools/batch_main.cpp": ('#include "exact/exact_check.h"', "tools/batch_main.cpp: includes exact/exact_check.h"),
        "python/py_sweep.cpp": ('#include "tools/state_json.h"', "python/py_sweep.cpp: includes tools/state_json.h"),
        "src/geom/vecmat.cpp": ('#include "graspstat/exact.h"', "src/geom/vecmat.cpp: includes graspstat/exact.h"),
        "include/graspstat/types.h": ('#include "geom/vecmat.h"', "include/graspstat/types.h: includes geom/vecmat.h"),
    }
    with tempfile.TemporaryDirectory() as tmp:
        copy = pathlib.Path(tmp)
        for folder in ("src", "include", "tools", "python"):
            shutil.copytree(root / folder, copy / folder)
        for path, (line, _) in breaches.items():
            p = copy / path
            p.write_text(line + "\n" + p.read_text())
        code, out = check(copy)
    assert code == 1, out
    for _, (_, message) in breaches.items():
        assert message in out, f"not named: {message}\n{out}"
    print("layering test: ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
