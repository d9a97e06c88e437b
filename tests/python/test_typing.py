"""The typed stub of the module: the checked-in one is what stubgen makes of
the built module now (scripts/make-stubs.sh), and the README's Python
examples and the dask example pass mypy --strict against it."""
import os
import re
import shutil
import subprocess
import sys

import graspstat

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
STUB = os.path.join(ROOT, "python", "graspstat-stubs", "__init__.pyi")


def normalised(text):
    return [line.rstrip() for line in text.splitlines() if line.strip()]


def test_checked_in_stub_is_what_stubgen_makes_now(tmp_path):
    made = tmp_path / "graspstat.pyi"
    module_dir = os.path.dirname(graspstat.__file__)
    subprocess.run(["bash", os.path.join(ROOT, "scripts", "make-stubs.sh"), module_dir, str(made)],
                   check=True)
    with open(STUB) as f:
        assert normalised(made.read_text()) == normalised(f.read()), \
            "the stub is out of date: run scripts/make-stubs.sh"


def test_readme_python_examples_pass_mypy_strict(tmp_path):
    with open(os.path.join(ROOT, "README.md")) as f:
        blocks = re.findall(r"^```python\n(.*?)^```", f.read(), re.M | re.S)
    assert len(blocks) >= 2
    files = []
    for i, block in enumerate(blocks):
        files.append(tmp_path / f"readme_example_{i}.py")
        files[-1].write_text(block)
    stubs = tmp_path / "stubs"
    stubs.mkdir()
    shutil.copyfile(STUB, stubs / "graspstat.pyi")
    env = dict(os.environ, MYPYPATH=os.pathsep.join([str(stubs), os.path.join(ROOT, "docs")]))
    out = subprocess.run([sys.executable, "-m", "mypy", "--strict", "--no-incremental",
                          "--config-file", os.path.join(ROOT, "pyproject.toml"),
                          *map(str, files), os.path.join(ROOT, "docs", "dask_map.py")],
                         capture_output=True, text=True, env=env, cwd=tmp_path)
    assert out.returncode == 0, out.stdout + out.stderr
