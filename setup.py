"""The package's compiled core, built by the project's own CMake.

pip and ``python3 -m build`` call this through setuptools: CMake configures
the engine and the Python package alone (NIVARO_PYTHON_ONLY: no Qt,
GoogleTest or Google Benchmark) for the interpreter that runs the build,
and the core it links goes into the wheel beside the package's Python files.
"""
import os
import pathlib
import re
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = pathlib.Path(__file__).parent.resolve()
# Beside the CMake presets' folders, so that the tree stays clean.
BUILD_BASE = "build/python-package"


def project_version() -> str:
    """The version in CMakeLists.txt's project(), the programs' own."""
    match = re.search(r"project\(Nivaro VERSION ([0-9.]+)", (ROOT / "CMakeLists.txt").read_text())
    if match is None:
        raise RuntimeError("CMakeLists.txt names no project version")
    return match.group(1)


class CMakeExtension(Extension):
    def __init__(self, name: str) -> None:
        super().__init__(name, sources=[])


class CMakeBuild(build_ext):
    def build_extension(self, extension: Extension) -> None:
        cmake_folder = pathlib.Path(self.build_temp).resolve() / "cmake"
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", str(os.cpu_count() or 1))
        subprocess.run(["cmake", "-S", str(ROOT), "-B", str(cmake_folder), "-G", "Ninja",
                        "-DCMAKE_BUILD_TYPE=Release", "-DNIVARO_PYTHON_ONLY=ON",
                        f"-DPython_EXECUTABLE={sys.executable}"], check=True)
        subprocess.run(["cmake", "--build", str(cmake_folder), "--target", "nivaro_python", "-j", jobs], check=True)
        built = next((cmake_folder / "python" / "nivaro").glob("_nivaro*.so"))
        target = pathlib.Path(self.get_ext_fullpath(extension.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


os.makedirs(ROOT / BUILD_BASE, exist_ok=True)
setup(
    version=project_version(),
    ext_modules=[CMakeExtension("nivaro._nivaro")],
    cmdclass={"build_ext": CMakeBuild},
    options={"build": {"build_base": BUILD_BASE}, "egg_info": {"egg_base": BUILD_BASE}},
)
