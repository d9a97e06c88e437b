#!/usr/bin/env bash
# Starts the interactive program (make run). With a display it simply runs
# it. Without one (DISPLAY unset or empty) it starts the program in an X
# server of its own (Xvfb), plays the typical session s, s, S, s and saves
# the frame after each key as PNG under out/ (OUT_DIR overrides).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# the system interpreter has the Debian python3-pil and python3-numpy
py=/usr/bin/python3
[ -x "$py" ] || py=python3
binary="$1"

if [ -n "${DISPLAY:-}" ]; then
  exec "$binary"
fi

out="${OUT_DIR:-out}"
mkdir -p "$out"
rm -f "$out"/frame-*.png
echo "graspstat: no display; playing the keys s, s, S, s in a virtual X server"
"$py" "$here/e2e_harness.py" session "$binary" "$out" --keys ssSs
echo "graspstat: frames saved under $(cd "$out" && pwd)/ (the last one shows the statics)"
