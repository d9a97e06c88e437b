#!/usr/bin/env bash
# Runs the frame benchmark (build/graspstat_frame_bench) in an X server of its
# own: frames per second of the start-up and statics frames, and the time
# from the slowest key to its swapped frame. Extra arguments go to the
# benchmark (for example --benchmark_min_time=2).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# the system interpreter has the Debian python3-pil and python3-numpy
py=/usr/bin/python3
[ -x "$py" ] || py=python3
build="${BUILD:-build}"
exec "$py" "$here/e2e_harness.py" xrun -- "$build/graspstat_frame_bench" "$@"
