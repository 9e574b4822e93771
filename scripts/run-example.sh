#!/usr/bin/env bash
# The first run: installs only what the program and its figures need (a C++
# compiler, CMake, Ninja, gnuplot), builds only the program (no tests, no
# benchmarks) into build-example/, and runs it on the bundled example case.
# The case is copied into a scratch folder (run/, or the folder given as
# the first argument) so that the repository stays clean; the console
# report is shown, the result files and figures stay in that folder and
# the paths of the figures are printed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh" program
build="$root/build-example"
# The optimisation of the tested build (-O2), without debug information,
# which only slows the first build down.
cmake -S "$root" -B "$build" -G Ninja -DZELVAN_BUILD_TESTS=OFF -DZELVAN_BUILD_BENCHMARKS=OFF \
  -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" >/dev/null
cmake --build "$build" --target zelvan
work="${1:-$root/run}"
mkdir -p "$work"
cp "$root"/examples/zelvan.* "$work"/
cd "$work"
work="$(pwd)"
echo "--- zelvan LNX zelvan.inp   (in $work)"
status=0
"$build/driver/zelvan" LNX zelvan.inp || status=$?
echo "--- exit status $status"
if [ "$status" -eq 0 ]; then
  shown=0
  for figure in zelvan-time.png zelvan-spectrum.png zelvan-phase.png zelvan-flutter.png zelvan.pdf; do
    if [ -f "$figure" ] && [ "$figure" -nt zelvan.dat ]; then
      [ "$shown" -eq 1 ] || echo "--- figures"
      shown=1
      echo "$work/$figure"
    fi
  done
fi
exit "$status"
