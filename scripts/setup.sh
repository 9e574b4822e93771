#!/usr/bin/env bash
# Installs what the build, the tests and the benchmarks need, when it is
# missing: a C++ compiler, CMake, Ninja, GoogleTest, Google Benchmark, Boost
# (header-only root-finder) and nlohmann-json (flutter solution), a
# Fortran compiler and LAPACK (test oracles for the record layouts and the
# linear algebra), FFTW and SUNDIALS (benchmark peers), clang with its
# sanitizer and fuzzer runtime, clang-tidy, clang-format and cppcheck
# (fuzzing and static analysis).
set -euo pipefail

missing=()
command -v g++ >/dev/null || missing+=(g++)
command -v cmake >/dev/null || missing+=(cmake)
command -v ninja >/dev/null || missing+=(ninja-build)
command -v gfortran >/dev/null || missing+=(gfortran)
[ -f /usr/include/gtest/gtest.h ] || missing+=(libgtest-dev)
[ -f /usr/include/benchmark/benchmark.h ] || missing+=(libbenchmark-dev)
[ -f /usr/include/boost/math/tools/toms748_solve.hpp ] || missing+=(libboost-dev)  # root-finder of the flutter solution
[ -f /usr/include/nlohmann/json.hpp ] || missing+=(nlohmann-json3-dev)  # JSON file of the flutter solution
[ -f /usr/include/fftw3.h ] || missing+=(libfftw3-dev)  # real FFT benchmark peer
[ -f /usr/include/cvode/cvode.h ] || missing+=(libsundials-dev)  # integrator benchmark peer
ls /usr/lib/*/liblapack.so >/dev/null 2>&1 || missing+=(liblapack-dev)  # linear algebra test oracle
command -v clang++ >/dev/null || missing+=(clang)
ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 || missing+=(libclang-rt-14-dev)
command -v clang-tidy >/dev/null || missing+=(clang-tidy)
command -v clang-format >/dev/null || missing+=(clang-format)
command -v cppcheck >/dev/null || missing+=(cppcheck)

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
