#!/usr/bin/env python3
"""Checks which source folder includes which; exits 1 on any breach.

- src/geom includes only src/geom, and app/trace.h for the console output of
  the matrix inverse.
- src/hand, src/contact and src/statics include nothing of the key
  interpreter (app/keyboard.h, app/sequence.h), of src/view or of tools/.
- The computation library (src/app but main.cpp, geom, hand, contact,
  statics) includes no GL, GLU or GLUT header and nothing of src/view.

Usage: check_layering.py SRC_DIR
"""
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.MULTILINE)
GL_HEADER = re.compile(r'^(GL|GLES\d*|GLFW|EGL)/')
CORE_DIRS = ("app", "geom", "hand", "contact", "statics")
LOWER_DIRS = ("hand", "contact", "statics")
INTERPRETER = {"app/keyboard.h", "app/sequence.h"}


def includes(path):
    """(kind, name) of every include of the file: kind '"' or '<'."""
    return INCLUDE.findall(path.read_text(encoding="utf-8", errors="replace"))


def sources(src, folder):
    return sorted(p for p in (src / folder).glob("*") if p.suffix in (".h", ".cpp"))


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    src = pathlib.Path(sys.argv[1])
    breaches = []

    def breach(path, name, why):
        breaches.append(f"{path.relative_to(src.parent)}: includes {name}: {why}")

    for folder in CORE_DIRS:
        files = sources(src, folder)
        if not files:
            breaches.append(f"src/{folder}: no sources found (wrong source directory?)")
        for path in files:
            for kind, name in includes(path):
                if folder == "geom" and kind == '"':
                    if not name.startswith("geom/") and name != "app/trace.h":
                        breach(path, name, "geom stands on nothing but itself and app/trace.h")
                if folder in LOWER_DIRS and kind == '"':
                    if name in INTERPRETER:
                        breach(path, name, "the key interpreter stands on top, not below")
                    if name.startswith("view/") or name.startswith("tools/"):
                        breach(path, name, "the drawing and the tools stand on top, not below")
                if path.name == "main.cpp":
                    continue  # the program entry is not part of the library
                if GL_HEADER.match(name):
                    breach(path, name, "the computation library includes no GL header")
                if kind == '"' and name.startswith("view/"):
                    breach(path, name, "the computation library does not stand on the drawing")

    for line in breaches:
        print(line)
    if breaches:
        print(f"layering: {len(breaches)} breach(es)")
        return 1
    print("layering: ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
