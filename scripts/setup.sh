#!/usr/bin/env bash
# Installs what a task needs, when it is missing (Debian packages, as root
# or through sudo).  Each script of this folder asks for its own set:
#   program  a C++ compiler, CMake, Ninja, gnuplot (the figures), Boost
#            (header-only root-finder) and nlohmann-json (flutter solution),
#            CLI11 and toml++ (zelvan-study)
#   test     the program's set, GoogleTest, a Fortran compiler and LAPACK
#            (test oracles of the record layouts and the linear algebra),
#            pdfinfo (the figure test), mpmath (the reference generators
#            under tools/ and their --check), and the python set (the
#            module's tests run with the suite)
#   python   the program's set, pybind11, numpy, pytest, matplotlib, venv
#            and pip (the Python module zelvan, its tests and examples)
#   bench    the program's set, Google Benchmark, FFTW and SUNDIALS
#            (benchmark peers)
#   fuzz     the program's set, clang with its sanitizer and fuzzer runtime
#   lint     everything above (the analysis sees every target), clang-tidy,
#            clang-format and cppcheck
# Usage: scripts/setup.sh [SET ...]    (no argument: every set)
set -euo pipefail

sets=("$@")
[ ${#sets[@]} -gt 0 ] || sets=(program test bench fuzz lint)

missing=()
want() {  # want PACKAGE TEST...: PACKAGE is missing when the test fails
  local package="$1"
  shift
  if ! "$@" >/dev/null 2>&1; then
    case " ${missing[*]-} " in *" $package "*) ;; *) missing+=("$package") ;; esac
  fi
}
# shellcheck disable=SC2086 # the argument is a glob to expand
have_file() { ls $1 >/dev/null 2>&1; }

program() {
  want g++ command -v g++
  want cmake command -v cmake
  want ninja-build command -v ninja
  want gnuplot-nox command -v gnuplot
  want libboost-dev test -f /usr/include/boost/math/tools/toms748_solve.hpp  # root-finder of the flutter solution
  want nlohmann-json3-dev test -f /usr/include/nlohmann/json.hpp           # JSON file of the flutter solution
  want libcli11-dev test -f /usr/include/CLI/CLI.hpp                        # zelvan-study's command line
  want libtomlplusplus-dev test -f /usr/include/toml++/toml.h               # study files
}
test_set() {
  program
  want libgtest-dev test -f /usr/include/gtest/gtest.h
  want gfortran command -v gfortran
  want liblapack-dev have_file '/usr/lib/*/liblapack.so'  # linear algebra test oracle
  want poppler-utils command -v pdfinfo                   # page count of the figures' PDF
  want python3-mpmath python3 -c 'import mpmath'          # reference generators under tools/
  python_set
}
python_set() {
  program
  want python3-dev have_file '/usr/include/python3*/Python.h'
  want pybind11-dev test -f /usr/lib/cmake/pybind11/pybind11Config.cmake  # the module's bindings
  want python3-pybind11 /usr/bin/python3 -c 'import pybind11'
  want python3-numpy /usr/bin/python3 -c 'import numpy'                            # the module's arrays
  want python3-pytest /usr/bin/python3 -c 'import pytest'                          # the module's tests
  want python3-matplotlib /usr/bin/python3 -c 'import matplotlib'                  # examples/python
  want python3-venv /usr/bin/python3 -c 'import ensurepip'                         # pip install . into a venv
  want python3-pip /usr/bin/python3 -m pip --version
  want python3-setuptools /usr/bin/python3 -c 'import setuptools'                  # setup.py
}
bench() {
  program
  want libbenchmark-dev test -f /usr/include/benchmark/benchmark.h
  want libfftw3-dev test -f /usr/include/fftw3.h        # real FFT benchmark peer
  want libsundials-dev test -f /usr/include/cvode/cvode.h  # integrator benchmark peer
}
fuzz() {
  program
  want clang command -v clang++
  want libclang-rt-14-dev have_file '/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a'
}
lint() {
  test_set
  bench
  fuzz
  want clang-tidy command -v clang-tidy
  want clang-format command -v clang-format
  want cppcheck command -v cppcheck
}

for set in "${sets[@]}"; do
  case "$set" in
    program | bench | fuzz | lint) "$set" ;;
    test) test_set ;;
    python) python_set ;;
    *)
      echo "usage: scripts/setup.sh [program] [test] [python] [bench] [fuzz] [lint]" >&2
      exit 2
      ;;
  esac
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
