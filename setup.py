"""pip install . : the Python module zelvan, built with CMake from the same
libraries as the program (pybind11 and numpy from Debian: python3-pybind11,
pybind11-dev, python3-numpy; scripts/setup.sh python installs them).

No package index is needed: the build uses CMake, Ninja and the compiler
of the machine.  In a virtual environment, create it with
--system-site-packages so that Debian's numpy is importable.
"""

import os
import pathlib
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = pathlib.Path(__file__).resolve().parent


class CMakeBuild(build_ext):
    """Builds the extension _zelvan with the repository's CMake project
    (tests off, the interpreter that runs pip) and puts it in the package."""

    def build_extension(self, ext):
        build = pathlib.Path(self.build_temp).resolve() / "cmake"
        build.mkdir(parents=True, exist_ok=True)
        subprocess.run(["cmake", "-S", str(ROOT), "-B", str(build), "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                        "-DZELVAN_BUILD_TESTS=OFF", "-DZELVAN_BUILD_PYTHON=ON",
                        f"-DPython_EXECUTABLE={sys.executable}"], check=True)
        subprocess.run(["cmake", "--build", str(build), "--target", "_zelvan"], check=True)
        built = next((build / "python" / "zelvan").glob("_zelvan*.so"))
        target = pathlib.Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


setup(
    name="zelvan",
    version=(ROOT / "CMakeLists.txt").read_text().split("project(zelvan VERSION ", 1)[1].split()[0],
    description="Aeroelastic analysis of a plunge-pitch section in subsonic flow",
    packages=["zelvan"],
    package_dir={"": "python"},
    package_data={"zelvan": ["__init__.pyi", "py.typed"]},
    ext_modules=[Extension("zelvan._zelvan", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    options={"build": {"build_base": os.path.join("build-python")}},
    python_requires=">=3.9",
    zip_safe=False,
)
