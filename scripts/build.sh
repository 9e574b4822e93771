#!/usr/bin/env bash
# Configures and builds the program and its tests into build/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh" test
cmake -S "$root" -B "$root/build" -G Ninja -DZELVAN_WERROR=ON >/dev/null
cmake --build "$root/build"
