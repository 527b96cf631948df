"""Builds the extension neural_creatures._engine for pip with the project's own CMake build, the
engine linked into it statically (NC_PYTHON_STATIC), so the installed module is one file beside
its Python files and needs no libneural-creatures.so.0. The version is the one of CMakeLists.txt.
CMAKE_ARGS adds options to the CMake configuration (e.g. -DCMAKE_CXX_COMPILER_LAUNCHER=ccache).
"""
import os
import re
import shlex
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

SOURCE_DIR = os.path.dirname(os.path.abspath(__file__))


def project_version():
    with open(os.path.join(SOURCE_DIR, "CMakeLists.txt"), encoding="utf-8") as cmake_lists:
        found = re.search(r"^project\(neural_creatures VERSION ([0-9.]+)", cmake_lists.read(), re.MULTILINE)
    if not found:
        sys.exit("setup.py: CMakeLists.txt names no project version")
    return found.group(1)


class CMakeBuild(build_ext):
    """Configures the sources with CMake in the build's temporary directory and builds the
    module's target only."""

    def build_extension(self, ext):
        build_dir = os.path.abspath(os.path.join(self.build_temp, "cmake"))
        configure = ["cmake", "-S", SOURCE_DIR, "-B", build_dir, "-DCMAKE_BUILD_TYPE=Release",
                     "-DNC_BUILD_PROGRAMS=OFF", "-DNC_BUILD_BENCHMARKS=OFF", "-DBUILD_TESTING=OFF",
                     "-DNC_PYTHON_STATIC=ON", "-DPython3_EXECUTABLE=" + sys.executable]
        configure += shlex.split(os.environ.get("CMAKE_ARGS", ""))
        subprocess.run(configure, check=True)
        jobs = str(self.parallel or os.cpu_count() or 1)
        subprocess.run(["cmake", "--build", build_dir, "--target", "neural_creatures_python", "-j", jobs],
                       check=True)
        built = os.path.join(build_dir, "python", "neural_creatures", os.path.basename(self.get_ext_filename(ext.name)))
        destination = self.get_ext_fullpath(ext.name)
        os.makedirs(os.path.dirname(destination), exist_ok=True)
        shutil.copyfile(built, destination)


# setuptools' own build directory stays out of the CMake builds' build/.
setup(version=project_version(),
      options={"build": {"build_base": "build-pip"}},
      ext_modules=[Extension("neural_creatures._engine", sources=[])],
      cmdclass={"build_ext": CMakeBuild})
