#!/usr/bin/env bash
# Renews the figures README.md shows:
# * docs/figures/example-time.png and docs/figures/example-flutter.png: the
#   bundled example case (examples/zelvan.inp, option LNX) run by the built
#   program in a scratch folder, its figures as the program draws them
#   (1200 x 800; README.md shows them at half that width);
# * docs/figures/study-altitude-boundary.png: the bundled altitude study
#   (examples/studies/altitude_boundary) planned, run and collected by the
#   built zelvan-study in a scratch folder, its figure as collect draws it;
# * docs/figures/python-mach-boundary.png: examples/python/mach_boundary.py
#   with the Python module of BUILD_DIR (when it was built with it).
#
# How to run (from anywhere; needs the built programs and gnuplot):
#
#     tools/make_readme_figures.sh [BUILD_DIR]
#
# BUILD_DIR defaults to build-example/ (scripts/run-example.sh builds it)
# when it holds both programs, else build/.  Look at every figure before
# committing them.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-}"
if [[ -z "$build" ]]; then
  build="$root/build-example"
  [[ -x "$build/driver/zelvan" && -x "$build/study/zelvan-study" ]] || build="$root/build"
fi
build="$(cd "$build" && pwd)"
program="$build/driver/zelvan"
study_program="$build/study/zelvan-study"
for exe in "$program" "$study_program"; do
  [[ -x "$exe" ]] || { echo "no program at $exe: build first" >&2; exit 1; }
done
command -v gnuplot >/dev/null || { echo "gnuplot is needed (apt-get install gnuplot-nox)" >&2; exit 1; }

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$root/docs/figures"

cp "$root"/examples/zelvan.inp "$root"/examples/zelvan.lay0 "$root"/examples/zelvan.sty0 "$scratch/"
(cd "$scratch" && ZELVAN_PLOT=0 "$program" LNX zelvan.inp >/dev/null)
(cd "$scratch" && gnuplot zelvan.gp)
cp "$scratch/zelvan-time.png" "$root/docs/figures/example-time.png"
cp "$scratch/zelvan-flutter.png" "$root/docs/figures/example-flutter.png"

study="$scratch/altitude_boundary"
"$study_program" plan "$root/examples/studies/altitude_boundary/study.toml" --dir "$study" >/dev/null
"$study_program" run "$study" -j 2 --zelvan "$program" >/dev/null
"$study_program" collect "$study" >/dev/null
cp "$study/study.png" "$root/docs/figures/study-altitude-boundary.png"

if [[ -d "$build/python/zelvan" ]]; then
  PYTHONPATH="$build/python" /usr/bin/python3 "$root/examples/python/mach_boundary.py" \
    "$root/docs/figures/python-mach-boundary.png" >/dev/null
else
  echo "no Python module in $build/python: docs/figures/python-mach-boundary.png is left as it is" >&2
fi

ls -l "$root"/docs/figures/example-time.png "$root"/docs/figures/example-flutter.png \
  "$root"/docs/figures/study-altitude-boundary.png "$root"/docs/figures/python-mach-boundary.png
