#!/usr/bin/env python3
"""Checks which source folder includes which; exits 1 on any breach.

The folders of src/ stand on floors, bottom to top:
    base < geom < model < hand, contact, statics < exact < grasp < study < view < app
(the window stands below src/app, whose main opens it and hands it the key
interpreter), and a folder includes only its own floor's folder and the folders of the
floors below it. The computation library (base to study) includes no GL, GLU or GLUT
header.

The face, include/graspstat/, is what the batch tool (tools/) and the Python module
(python/) include: they include its headers and their own folder's, nothing of src/.
Each face header stands on the floor of what it declares; a folder of src/ includes
only face headers of its floor and below, and a face header only face headers.

Usage: check_layering.py ROOT   (the project's top folder)
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
    ("study",),
    ("view",),
    ("app",),
]
FLOOR_OF = {folder: i for i, floor in enumerate(FLOORS) for folder in floor}
COMPUTATION_TOP = FLOOR_OF["study"]
FACE = "graspstat"
# the floor of what each face header declares
FACE_FLOOR = {
    "types.h": "base", "trace.h": "base", "console.h": "base", "numbers.h": "base",
    "text.h": "base", "constants.h": "model", "model.h": "model", "state.h": "model",
    "pair.h": "model", "exact.h": "exact", "grasp.h": "grasp", "report.h": "study",
    "map.h": "study", "map_table.h": "study", "quality.h": "study", "keys.h": "app",
}
# the folders above the library, which include the face and themselves only
USERS = ("tools", "python")


def sources(folder):
    return sorted(p for p in folder.glob("*") if p.suffix in (".h", ".cpp"))


def face_floor(name, where, breaches):
    """The floor of face header graspstat/NAME, or None (a breach) when it has none."""
    header = name.split("/", 1)[1]
    if header not in FACE_FLOOR:
        breaches.append(f"{where}: includes {name}: a face header without a floor")
        return None
    return FLOOR_OF[FACE_FLOOR[header]]


def check_src(root, breaches):
    src = root / "src"
    for folder, floor in FLOOR_OF.items():
        files = sources(src / folder)
        if not files:
            breaches.append(f"src/{folder}: no sources found (wrong project directory?)")
        for path in files:
            text = path.read_text(encoding="utf-8", errors="replace")
            where = path.relative_to(root)
            for name in INCLUDE.findall(text):
                top = name.split("/", 1)[0]
                if "/" not in name:
                    continue  # a header beside the source
                if top == FACE:
                    at = face_floor(name, where, breaches)
                    if at is not None and at > floor:
                        breaches.append(f"{where}: includes {name}: it declares what stands "
                                        f"above src/{folder}")
                elif top not in FLOOR_OF:
                    breaches.append(f"{where}: includes {name}: not a folder of src/")
                elif top != folder and FLOOR_OF[top] >= floor:
                    breaches.append(f"{where}: includes {name}: src/{top} does not stand "
                                    f"below src/{folder}")
            if floor <= COMPUTATION_TOP:
                for name in SYSTEM_INCLUDE.findall(text):
                    if GL_HEADER.match(name):
                        breaches.append(f"{where}: includes <{name}>: the computation "
                                        "library includes no GL header")


def check_face(root, breaches):
    face = root / "include" / FACE
    files = sources(face)
    if not files:
        breaches.append(f"include/{FACE}: no headers found")
    for path in files:
        where = path.relative_to(root)
        if path.name not in FACE_FLOOR:
            breaches.append(f"{where}: a face header without a floor")
            continue
        floor = FLOOR_OF[FACE_FLOOR[path.name]]
        for name in INCLUDE.findall(path.read_text(encoding="utf-8", errors="replace")):
            if not name.startswith(FACE + "/"):
                breaches.append(f"{where}: includes {name}: the face includes only itself")
            else:
                at = face_floor(name, where, breaches)
                if at is not None and at > floor:
                    breaches.append(f"{where}: includes {name}: a face header of a floor above")


def check_users(root, breaches):
    for user in USERS:
        for path in sources(root / user):
            where = path.relative_to(root)
            for name in INCLUDE.findall(path.read_text(encoding="utf-8", errors="replace")):
                top = name.split("/", 1)[0]
                if "/" not in name or top in (FACE, user):
                    if top == FACE:
                        face_floor(name, where, breaches)
                    continue
                breaches.append(f"{where}: includes {name}: {user}/ includes the face "
                                f"(include/{FACE}/) and its own folder only")


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    root = pathlib.Path(sys.argv[1])
    breaches = []
    check_src(root, breaches)
    check_face(root, breaches)
    check_users(root, breaches)
    for line in breaches:
        print(line)
    if breaches:
        print(f"layering: {len(breaches)} breach(es)")
        return 1
    print("layering: ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
