"""pip install . builds the graspstat module with the project's own CMake:
the computation libraries and the pybind11 module alone (no window program,
tests or benchmarks), for the interpreter pip runs under. The version is the
one of CMakeLists.txt's project(); the typed stub installs as graspstat-stubs."""
import os
import re
import shutil
import subprocess
import sys
import sysconfig
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

HERE = Path(__file__).resolve().parent


def project_version():
    text = (HERE / "CMakeLists.txt").read_text()
    found = re.search(r"project\(\s*graspstat\s+VERSION\s+([0-9.]+)", text)
    if not found:
        raise RuntimeError("CMakeLists.txt: no project(graspstat VERSION ...)")
    return found.group(1)


class CMakeExtension(Extension):
    def __init__(self, name):
        super().__init__(name, sources=[])


class CMakeBuild(build_ext):
    """Configures the source tree with GRASPSTAT_MODULE_ONLY, builds the
    graspstat_python target and copies the module where setuptools wants it."""

    def build_extension(self, ext):
        # one CMake tree per interpreter, kept between installs (editable ones
        # too, which setuptools builds in a temporary folder): rebuilds are incremental
        tree = HERE / "build" / "pip" / ("cmake-" + sysconfig.get_config_var("SOABI"))
        config = ["cmake", "-S", str(HERE), "-B", str(tree),
                  "-DCMAKE_BUILD_TYPE=Release",
                  "-DGRASPSTAT_MODULE_ONLY=ON",
                  f"-DGRASPSTAT_PYTHON={sys.executable}"]
        subprocess.run(config, check=True)
        jobs = os.environ.get("GRASPSTAT_JOBS") or str(os.cpu_count() or 2)
        subprocess.run(["cmake", "--build", str(tree), "--target", "graspstat_python",
                        "-j", jobs], check=True)
        built = tree / "python" / ("graspstat" + sysconfig.get_config_var("EXT_SUFFIX"))
        target = Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


setup(
    name="graspstat",
    version=project_version(),
    description="Statics of a two-finger robot hand grasping a sphere (the graspstat library in Python)",
    python_requires=">=3.9",
    install_requires=["numpy"],
    ext_modules=[CMakeExtension("graspstat")],
    cmdclass={"build_ext": CMakeBuild},
    packages=["graspstat-stubs"],
    # python/ is the root of the installed files (pip install -e puts it on sys.path)
    package_dir={"": "python"},
    package_data={"graspstat-stubs": ["__init__.pyi", "py.typed"]},
    # setuptools' own build files beside the CMake tree, under build/pip
    options={"build": {"build_base": "build/pip"}, "egg_info": {"egg_base": "build/pip"}},
    zip_safe=False,
)
