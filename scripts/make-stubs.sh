#!/usr/bin/env bash
# Regenerates the typed stub of the graspstat module from the built module:
# mypy's stubgen reads the signatures of its docstrings. Two lines stubgen
# cannot know are added: the module's __version__ and the Result's fields,
# which are the batch tool's JSON names, set per call.
#   scripts/make-stubs.sh                  builds (make python), writes python/graspstat-stubs/__init__.pyi
#   scripts/make-stubs.sh MODULE_DIR OUT   stub of the module in MODULE_DIR into the file OUT
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [ $# -eq 0 ]; then
  make -C "$root" python
  set -- "$root/build/python" "$root/python/graspstat-stubs/__init__.pyi"
fi
module_dir="$(cd "$1" && pwd)"
out="$2"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
# stubgen of the system interpreter, the one the module is built for
PYTHONPATH="$module_dir" /usr/bin/python3 -c 'import sys; from mypy.stubgen import main; sys.argv[0] = "stubgen"; main()' \
  -m graspstat -o "$tmp" --quiet
/usr/bin/python3 - "$tmp/graspstat.pyi" "$out" <<'PY'
import re
import sys

text = open(sys.argv[1]).read()
if not re.search(r"^from typing import .*\bAny\b", text, re.M):
    text = "from typing import Any\n" + text
# after the imports: the module's version
lines = text.splitlines()
last_import = max(i for i, l in enumerate(lines) if l.startswith(("import ", "from ")))
lines[last_import + 1:last_import + 1] = ["", "__version__: str"]
text = "\n".join(lines) + "\n"
text = text.replace("class Result:\n",
                    "class Result:\n    def __getattr__(self, name: str) -> Any: ...\n", 1)
open(sys.argv[2], "w").write(text)
PY
