#!/usr/bin/env bash
# pip install of a clean clone of the source tree (its HEAD) into a fresh
# virtual environment on the system interpreter, offline: then graspstat
# imports from another folder with the project's version, and mypy finds its
# installed stub.
#   pip_install_clone.sh SOURCE_DIR WORK_DIR PYTHON VERSION
set -euo pipefail
src="$1" work="$2" python="$3" version="$4"
rm -rf "$work"
mkdir -p "$work/elsewhere"
unset PYTHONPATH
export PIP_NO_INDEX=1 PIP_DISABLE_PIP_VERSION_CHECK=1 GRASPSTAT_JOBS=2
started=$(date +%s)
git clone --quiet --no-hardlinks "$src" "$work/src"
"$python" -m venv --system-site-packages "$work/venv"
timeout 1200 "$work/venv/bin/pip" install --quiet --no-build-isolation --no-index \
  --no-cache-dir "$work/src"
echo "pip install of the clone: $(($(date +%s) - started)) s"
cd "$work/elsewhere"
"$work/venv/bin/python" - "$version" "$work/venv" <<'PY'
import os
import sys

import graspstat

assert graspstat.__version__ == sys.argv[1], (graspstat.__version__, sys.argv[1])
assert os.path.realpath(graspstat.__file__).startswith(os.path.realpath(sys.argv[2])), graspstat.__file__
r = graspstat.solve((0, 9), (0, 80, 0), 50, deg=True)
assert r.exact.verdict == "holds", r
print("graspstat", graspstat.__version__, "from", graspstat.__file__)
PY
printf 'import graspstat\nversion: str = graspstat.__version__\n' > typed.py
"$work/venv/bin/python" -m mypy --strict --no-incremental typed.py
