#!/usr/bin/env bash
# The Slurm path of zelvan-study against a real cluster: starts the local
# single-node cluster (scripts/local-slurm.sh), plans the same small
# thin-plate study (3 x 2 cases, method 1) twice, runs one copy on this
# machine and submits the other as a job array with --submit, waits for the
# array (squeue polling, at most ZELVAN_SLURM_TIMEOUT seconds, default
# 300), collects both and requires equal tables with every case at status 0.
# The cluster is stopped on every way out.
#
#   study/tests/slurm_e2e.sh [BUILD_DIR]      (default: build/; needs root for the cluster)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
study_exe="$build/study/zelvan-study"
zelvan="$build/driver/zelvan"
if [ ! -x "$study_exe" ] || [ ! -x "$zelvan" ]; then
  echo "slurm_e2e: build zelvan and zelvan-study in $build first" >&2
  exit 2
fi

work="$(mktemp -d /tmp/zelvan-slurm-e2e.XXXXXX)"
export ZELVAN_SLURM_DIR="$work/cluster"
cleanup() {
  "$root/scripts/local-slurm.sh" stop || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

eval "$("$root/scripts/local-slurm.sh" start)"
echo "slurm_e2e: SLURM_CONF=$SLURM_CONF"

# The example up to its sweep records; its flutter-solution group is
# replaced by the one below (a "." after it would be the fourth marker).
head -n 30 "$root/examples/zelvan.inp" >"$work/base.inp"
cat >>"$work/base.inp" <<'INP'
.           third marker: the flutter-solution records follow
         1  flutter_method      1: p-k and the matched point
       0.0  sound_speed [m/s]
    1.0E-8  match_tolerance
        30  match_iterations
INP
cat >"$work/study.toml" <<'TOML'
base = "base.inp"
option = "LNX"
[[parameter]]
field = "x_p"
values = [0.33, 0.35, 0.37]
[[parameter]]
field = "rho"
values = [1.1, 1.25]
TOML

"$study_exe" plan "$work/study.toml" --dir "$work/local"
"$study_exe" plan "$work/study.toml" --dir "$work/cluster-run"
"$study_exe" run "$work/local" -j 2 --zelvan "$zelvan"

job="$("$study_exe" slurm "$work/cluster-run" --submit --chunk 2 --time 10:00 --zelvan "$zelvan")"
echo "slurm_e2e: submitted job $job"
limit="${ZELVAN_SLURM_TIMEOUT:-300}"
waited=0
while [ -n "$(squeue -h -j "$job" 2>/dev/null)" ]; do
  if [ "$waited" -ge "$limit" ]; then
    echo "slurm_e2e: job $job still queued or running after ${limit}s" >&2
    squeue >&2 || true
    scancel "$job" || true
    exit 1
  fi
  sleep 2
  waited=$((waited + 2))
done
echo "slurm_e2e: job $job finished after about ${waited}s"

# collect exits 1 when a case has no results; the table check below decides.
"$study_exe" collect "$work/local" || true
"$study_exe" collect "$work/cluster-run" || true
if ! cmp -s "$work/local/study.csv" "$work/cluster-run/study.csv"; then
  echo "slurm_e2e: the cluster's table differs from the local one" >&2
  diff "$work/local/study.csv" "$work/cluster-run/study.csv" >&2 || true
  cat "$work/cluster-run/slurm/"*.out >&2 || true
  exit 1
fi
status_column="$(head -n 1 "$work/local/study.csv" | tr ',' '\n' | grep -n '^status$' | cut -d: -f1)"
bad="$(tail -n +2 "$work/cluster-run/study.csv" | cut -d, -f"$status_column" | grep -cv '^0$' || true)"
if [ "$bad" -ne 0 ] || [ "$(tail -n +2 "$work/cluster-run/study.csv" | wc -l)" -ne 6 ]; then
  echo "slurm_e2e: not every case of the cluster run ended with status 0" >&2
  cat "$work/cluster-run/study.csv" >&2
  exit 1
fi
echo "slurm_e2e: the cluster's table equals the local run's (6 cases, status 0)"
