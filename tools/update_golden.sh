#!/usr/bin/env bash
# Regenerates the expected results of the example cases, examples/cases/*/expected/,
# from the built program.  The golden test (driver/tests/golden_test.cpp)
# holds the program to these files.
#
# How to run (from anywhere; the program must be built first):
#
#     tools/update_golden.sh [BUILD_DIR] [CASE ...]
#
# BUILD_DIR defaults to build/ of the repository; without CASE names every
# folder under examples/cases is regenerated.
#
# Method.  Each case folder holds its input file zelvan.inp and a one-line
# file "arguments" with the command-line arguments.  The case runs exactly
# as the golden test runs it: in a scratch folder holding zelvan.inp and the
# bundled templates examples/zelvan.lay0 and examples/zelvan.sty0, with an
# empty environment (so no environment variable renames a listing channel)
# but for ZELVAN_PLOT=0: the figure script zelvan.gp is written and kept,
# gnuplot is not run (the figures are checked by driver/tests/figures_test.cpp).
# expected/ is then replaced by
#   console.txt   everything the run wrote to standard output and standard
#                 error,
#   every file the run created in the folder (the inputs left out).
# The date and time of the run in zelvan.sty are replaced by the mask
# "dd.mm.yy  hh:mm", which the golden test applies to its own run as well.
# A run that ends with a non-zero status is an error: nothing is replaced.
#
# The expected files are a reference, not a record of whatever the program
# does today: after regenerating, read `git diff examples/cases` and check
# every change by hand (the flutter table against the decay rates you
# expect, the coupling report against the spectra in zelvan.dat, the
# record layouts against README.md) before committing them.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
shift || true
program="$build/driver/zelvan"
[[ -x "$program" ]] || { echo "no program at $program: build first" >&2; exit 1; }

cases=("$@")
if [[ ${#cases[@]} -eq 0 ]]; then
  for dir in "$root"/examples/cases/*/; do cases+=("$(basename "$dir")"); done
fi

for name in "${cases[@]}"; do
  case_dir="$root/examples/cases/$name"
  [[ -f "$case_dir/zelvan.inp" && -f "$case_dir/arguments" ]] || { echo "$name: not a case folder" >&2; exit 1; }
  scratch="$(mktemp -d)"
  trap 'rm -rf "$scratch"' EXIT
  cp "$case_dir/zelvan.inp" "$root/examples/zelvan.lay0" "$root/examples/zelvan.sty0" "$scratch/"
  read -r -a arguments < "$case_dir/arguments"
  status=0
  (cd "$scratch" && env -i ZELVAN_PLOT=0 "$program" "${arguments[@]}" > console.txt 2>&1) || status=$?
  if [[ $status -ne 0 ]]; then
    echo "$name: the run ended with status $status" >&2
    cat "$scratch/console.txt" >&2
    exit 1
  fi
  rm "$scratch/zelvan.inp" "$scratch/zelvan.lay0" "$scratch/zelvan.sty0"
  if [[ -f "$scratch/zelvan.sty" ]]; then
    sed -i -E 's/\\n[0-9]{2}\.[0-9]{2}\.[0-9]{2}  [0-9]{2}:[0-9]{2}"/\\ndd.mm.yy  hh:mm"/' "$scratch/zelvan.sty"
  fi
  rm -rf "$case_dir/expected"
  mkdir "$case_dir/expected"
  cp "$scratch"/* "$case_dir/expected/"
  rm -rf "$scratch"
  trap - EXIT
  echo "$name: $(ls "$case_dir/expected" | tr '\n' ' ')"
done
