#!/usr/bin/env bash
# Installs what the build, the tests and the benchmarks need, when it is
# missing: a C++ compiler, CMake, Ninja, GoogleTest, Google Benchmark and a
# Fortran compiler (the test oracle for the record layouts).
set -euo pipefail

missing=()
command -v g++ >/dev/null || missing+=(g++)
command -v cmake >/dev/null || missing+=(cmake)
command -v ninja >/dev/null || missing+=(ninja-build)
command -v gfortran >/dev/null || missing+=(gfortran)
[ -f /usr/include/gtest/gtest.h ] || missing+=(libgtest-dev)
[ -f /usr/include/benchmark/benchmark.h ] || missing+=(libbenchmark-dev)
[ -f /usr/include/fftw3.h ] || missing+=(libfftw3-dev)  # real FFT benchmark peer
[ -f /usr/include/cvode/cvode.h ] || missing+=(libsundials-dev)  # integrator benchmark peer

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
