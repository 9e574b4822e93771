#!/usr/bin/env bash
# Renews the figures README.md shows, docs/figures/example-time.png and
# docs/figures/example-flutter.png: the bundled example case
# (examples/zelvan.inp, option LNX) run by the built program in a scratch
# folder, its figures as the program draws them (1200 x 800; README.md
# shows them at half that width).
#
# How to run (from anywhere; needs the built program and gnuplot):
#
#     tools/make_readme_figures.sh [BUILD_DIR]
#
# BUILD_DIR defaults to build-example/ (scripts/run-example.sh builds it),
# else build/.  Look at both figures before committing them.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-}"
if [[ -z "$build" ]]; then
  build="$root/build-example"
  [[ -x "$build/driver/zelvan" ]] || build="$root/build"
fi
program="$(cd "$build" && pwd)/driver/zelvan"
[[ -x "$program" ]] || { echo "no program at $program: build first" >&2; exit 1; }
command -v gnuplot >/dev/null || { echo "gnuplot is needed (apt-get install gnuplot-nox)" >&2; exit 1; }

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
cp "$root"/examples/zelvan.inp "$root"/examples/zelvan.lay0 "$root"/examples/zelvan.sty0 "$scratch/"
(cd "$scratch" && ZELVAN_PLOT=0 "$program" LNX zelvan.inp >/dev/null)
(cd "$scratch" && gnuplot zelvan.gp)
mkdir -p "$root/docs/figures"
cp "$scratch/zelvan-time.png" "$root/docs/figures/example-time.png"
cp "$scratch/zelvan-flutter.png" "$root/docs/figures/example-flutter.png"
ls -l "$root/docs/figures/example-time.png" "$root/docs/figures/example-flutter.png"
