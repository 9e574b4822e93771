#!/usr/bin/env bash
# Static analysis of every C++ source in the repository: the libraries, the
# program, the tests, the benchmarks and the fuzz targets.
#   clang-tidy    with the checks of .clang-tidy (every warning is an error)
#   cppcheck      warning, performance and portability checks
#   clang-format  the layout of every .cpp and .hpp against .clang-format
#                 (checked only; apply it with clang-format -i)
# The compile commands come from an own build folder, build-lint/, that is
# configured (not built) with the tests, the benchmarks, the fuzz targets and
# the Python module.
# Every step runs; the script exits non-zero when any step has a finding.
#
# Usage: scripts/lint.sh [tidy] [cppcheck] [format]   (no argument: all three)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-lint"
jobs=2
steps=("$@")
[ ${#steps[@]} -gt 0 ] || steps=(tidy cppcheck format)
for step in "${steps[@]}"; do
  case "$step" in
    tidy | cppcheck | format) ;;
    *)
      echo "usage: scripts/lint.sh [tidy] [cppcheck] [format]" >&2
      exit 2
      ;;
  esac
done

"$root/scripts/setup.sh" lint
cd "$root"

mapfile -t sources < <(git ls-files '*.cpp')
mapfile -t layout_files < <(git ls-files '*.cpp' '*.hpp')

configure() {
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
    -DZELVAN_BUILD_TESTS=ON -DZELVAN_BUILD_BENCHMARKS=ON -DZELVAN_BUILD_FUZZERS=ON -DZELVAN_BUILD_PYTHON=ON >/dev/null || return 1
  # A source that no target compiles would be skipped silently.
  local missing
  missing="$(python3 - "$build/compile_commands.json" "$root" "${sources[@]}" <<'EOF'
import json, os, sys
database, root, sources = sys.argv[1], sys.argv[2], sys.argv[3:]
compiled = {os.path.realpath(os.path.join(e["directory"], e["file"])) for e in json.load(open(database))}
print("\n".join(s for s in sources if os.path.realpath(os.path.join(root, s)) not in compiled))
EOF
)" || return 1
  if [ -n "$missing" ]; then
    echo "Not in $build/compile_commands.json (no target compiles them):"
    echo "$missing"
    return 1
  fi
}

run_tidy() {
  # One anchored pattern per tracked source: generated files in the build
  # folder are left out.
  local patterns=() source log status=0
  for source in "${sources[@]}"; do
    patterns+=("^$(printf '%s' "$root/$source" | sed 's/[][\.*^$?+(){}|]/\\&/g')\$")
  done
  log="$(mktemp)"
  run-clang-tidy -p "$build" -quiet -j "$jobs" "${patterns[@]}" >"$log" 2>&1 || status=$?
  # run-clang-tidy always asks for colour; the counts of suppressed
  # diagnostics in system headers are noise.
  sed -E 's/\x1b\[[0-9;]*m//g' "$log" | grep -Ev '^[0-9]+ warnings? generated\.$|^clang-tidy-[0-9]+ ' || true
  rm -f "$log"
  return "$status"
}

run_cppcheck() {
  # The GoogleTest configuration makes the TEST macros known; system and
  # third-party headers are not analysed (missingIncludeSystem).
  cppcheck --project="$build/compile_commands.json" -i "$build" --library=googletest \
    --enable=warning,performance,portability --inline-suppr --suppress=missingIncludeSystem \
    --error-exitcode=1 -j "$jobs" --quiet --template='{file}:{line}:{column}: {severity}: {message} [{id}]'
}

run_format() {
  # One line per file that differs from its formatted layout;
  # `clang-format --dry-run FILE` shows every place.
  local file report status=0
  report="$(mktemp)"
  for file in "${layout_files[@]}"; do
    if ! clang-format --dry-run -Werror "$file" 2>"$report"; then
      echo "$file: not formatted ($(grep -c 'clang-format-violations' "$report") places)"
      status=1
    fi
  done
  rm -f "$report"
  return "$status"
}

failed=()
if ! configure; then
  echo "lint: configuring $build failed"
  exit 1
fi
for step in "${steps[@]}"; do
  echo "--- $step"
  if "run_$step"; then
    echo "$step: clean"
  else
    echo "$step: findings"
    failed+=("$step")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "lint: findings from ${failed[*]}"
  exit 1
fi
echo "lint: clean"
