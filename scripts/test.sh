#!/usr/bin/env bash
# Installs what the tests need (scripts/setup.sh test), builds the program
# and its tests and runs the whole test suite.
#   scripts/test.sh              the normal build (build/)
#   scripts/test.sh --sanitize   the same suite built with AddressSanitizer and
#                                UndefinedBehaviorSanitizer (build-asan/)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
if [ "${1:-}" = "--sanitize" ]; then
  "$root/scripts/setup.sh" test
  cmake -S "$root" -B "$root/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELVAN_WERROR=ON \
    -DZELVAN_SANITIZE=address,undefined >/dev/null
  cmake --build "$root/build-asan"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$root/build-asan" --output-on-failure --timeout 900 -j "$(nproc)"
else
  "$root/scripts/build.sh"
  ctest --test-dir "$root/build" --output-on-failure --timeout 600 -j "$(nproc)"
fi
