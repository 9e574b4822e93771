#!/usr/bin/env bash
# Configures and builds the program, its tests and the Python module into
# build/ (the module in build/python/zelvan).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh" test
cmake -S "$root" -B "$root/build" -G Ninja -DZELVAN_WERROR=ON -DZELVAN_BUILD_PYTHON=ON >/dev/null
cmake --build "$root/build"
