#!/usr/bin/env python3
"""Checks which source folder includes which; exits 1 on any breach.

The folders stand on floors, bottom to top:
    base < geom < model < hand, contact, statics < exact < grasp < view < app
(the window stands below src/app, whose main opens it and hands it the key
interpreter), and a folder includes only its own floor's folder and the folders of the
floors below it (the tools and the Python module stand above all of src/).
The computation library (base to grasp) includes no GL, GLU or GLUT header.

Usage: check_layering.py SRC_DIR
"""
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)
SYSTEM_INCLUDE = re.compile(r'^\s*#\s*include\s*<([^>]+)>', re.MULTILINE)
GL_HEADER = re.compile(r'^(GL|GLES\d*|GLFW|EGL)/')
FLOORS = [
    ("base",),
    ("geom",),
    ("model",),
    ("hand", "contact", "statics"),
    ("exact",),
    ("grasp",),
    ("view",),
    ("app",),
]
FLOOR_OF = {folder: i for i, floor in enumerate(FLOORS) for folder in floor}
COMPUTATION_TOP = FLOOR_OF["grasp"]


def sources(src, folder):
    return sorted(p for p in (src / folder).glob("*") if p.suffix in (".h", ".cpp"))


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    src = pathlib.Path(sys.argv[1])
    breaches = []
    for folder, floor in FLOOR_OF.items():
        files = sources(src, folder)
        if not files:
            breaches.append(f"src/{folder}: no sources found (wrong source directory?)")
        for path in files:
            text = path.read_text(encoding="utf-8", errors="replace")
            where = path.relative_to(src.parent)
            for name in INCLUDE.findall(text):
                top = name.split("/", 1)[0]
                if "/" not in name:
                    continue  # a header beside the source
                if top not in FLOOR_OF:
                    breaches.append(f"{where}: includes {name}: not a folder of src/")
                elif top == folder:
                    continue
                elif FLOOR_OF[top] >= floor:
                    breaches.append(f"{where}: includes {name}: src/{top} does not stand "
                                    f"below src/{folder}")
            if floor <= COMPUTATION_TOP:
                for name in SYSTEM_INCLUDE.findall(text):
                    if GL_HEADER.match(name):
                        breaches.append(f"{where}: includes <{name}>: the computation "
                                        "library includes no GL header")
    for line in breaches:
        print(line)
    if breaches:
        print(f"layering: {len(breaches)} breach(es)")
        return 1
    print("layering: ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
