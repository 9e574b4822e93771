#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) and runs each for a bounded time, starting
# from the seed corpus under fuzz/corpus (copied, so the repository stays
# clean).  Fails on any crash, hang, leak or sanitizer report.
# Usage: scripts/fuzz.sh [seconds per target, default 60]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
"$root/scripts/setup.sh" fuzz
cmake -S "$root" -B "$root/build-fuzz" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELVAN_BUILD_TESTS=OFF -DZELVAN_BUILD_FUZZERS=ON \
  -DZELVAN_SANITIZE=address,undefined -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null
cmake --build "$root/build-fuzz" --target fuzz_input_file fuzz_layout
for target in fuzz_input_file fuzz_layout; do
  corpus="$(mktemp -d)"
  cp "$root/fuzz/corpus/${target#fuzz_}"/* "$corpus"/
  echo "--- $target for ${seconds} s"
  status=0
  (cd "$corpus" && "$root/build-fuzz/fuzz/$target" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 "$corpus" >"$corpus.log" 2>&1) || status=$?
  tail -40 "$corpus.log"
  if [ "$status" -ne 0 ]; then
    # Keep the inputs that failed: libFuzzer wrote them into the run folder.
    artifacts="$root/build-fuzz/artifacts/$target"
    mkdir -p "$artifacts"
    find "$corpus" -maxdepth 1 \( -name 'crash-*' -o -name 'timeout-*' -o -name 'leak-*' -o -name 'oom-*' \) \
      -exec cp {} "$artifacts"/ \;
    rm -rf "$corpus" "$corpus.log"
    echo "$target failed (status $status); failing inputs in $artifacts"
    exit 1
  fi
  rm -rf "$corpus" "$corpus.log"
done
