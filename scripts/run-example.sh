#!/usr/bin/env bash
# Builds the program and runs it on the bundled example case.  The case is
# copied into a scratch folder (run/, or the folder given as the first
# argument) so that the repository stays clean; the console report is shown
# and the result files stay in that folder.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/build.sh"
work="${1:-$root/run}"
mkdir -p "$work"
cp "$root"/examples/zelvan.* "$work"/
cd "$work"
echo "--- zelvan LNX zelvan.inp   (in $work)"
status=0
"$root/build/driver/zelvan" LNX zelvan.inp || status=$?
echo "--- exit status $status"
exit "$status"
