#!/usr/bin/env bash
# Benchmark of zelvan-study (a script: the quantities are process wall times).
#
#   bench/study_bench.sh [BUILD_DIR] [JOBS]      (defaults: build/, 2)
#
# 1. Keeping the cores busy: a 16-case Possio study (the Mach-boundary
#    example's base, Ma 0.2 .. 0.8 by x_p 0.33 / 0.37) runs once with -j 1,
#    which gives each case's time alone (run.json "seconds"), and once with
#    -j JOBS.  Reported: the wall time of the parallel run against
#    (sum of the single-case times) / JOBS; the goal is a ratio <= 1.15.
# 2. The overhead per case: plan and collect of that study, and of a
#    400-case study (20 x 20) whose cases all hold a copy of one real
#    result; the goal is < 5 ms per case for plan + collect.  collect's
#    figure (one gnuplot run) is a fixed cost, so it weighs less per case in
#    the larger study.
# 3. The cost of the Possio route in a study: the Mach-boundary example
#    (7 cases, Ma 0.2 .. 0.8, p-k and matched point) against the same study
#    at Ma 0.02 .. 0.08, where the cases take the thin-plate route, both
#    with -j JOBS; the goal is a ratio of wall times <= 1.5.
# Run it on an otherwise idle machine: other processes on the cores show up
# in the ratio.  The occupancy (how much of the run's span each of the JOBS
# slots held a running case) separates the pool's own gaps from that load.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
jobs="${2:-2}"
study_exe="$build/study/zelvan-study"
zelvan="$build/driver/zelvan"
work="$(mktemp -d "${TMPDIR:-/tmp}/zelvan-study-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT

now() { date +%s.%N; }
elapsed() { python3 -c "import sys; print(f'{float(sys.argv[2]) - float(sys.argv[1]):.3f}')" "$1" "$2"; }

base="$root/examples/studies/mach_boundary"
cp "$base/zelvan.inp" "$base/zelvan.lay0" "$base/zelvan.sty0" "$work/"
cat >"$work/possio16.toml" <<'TOML'
base = "zelvan.inp"
option = "LNX"
[[parameter]]
field = "Ma"
range = { start = 0.2, stop = 0.8, count = 8 }
[[parameter]]
field = "x_p"
values = [0.33, 0.37]
TOML
cp "$base/study.toml" "$work/mach7.toml"
sed -e 's/start = 0.2, stop = 0.8/start = 0.02, stop = 0.08/' "$base/study.toml" >"$work/thin7.toml"
cat >"$work/grid400.toml" <<'TOML'
base = "zelvan.inp"
option = "LNX"
[[parameter]]
field = "Ma"
range = { start = 0.2, stop = 0.8, count = 20 }
[[parameter]]
field = "x_p"
range = { start = 0.30, stop = 0.45, count = 20 }
TOML

"$study_exe" plan "$work/possio16.toml" --dir "$work/serial" >/dev/null
"$study_exe" run "$work/serial" -j 1 --zelvan "$zelvan" 2>/dev/null || true
single_sum="$(python3 - "$work/serial" <<'PY'
import json, pathlib, sys
print(sum(json.loads(p.read_text())["seconds"] for p in pathlib.Path(sys.argv[1]).glob("case_*/run.json")))
PY
)"

t0="$(now)"
"$study_exe" plan "$work/possio16.toml" --dir "$work/parallel" >/dev/null
t1="$(now)"
"$study_exe" run "$work/parallel" -j "$jobs" --zelvan "$zelvan" 2>/dev/null || true
t2="$(now)"
"$study_exe" collect "$work/parallel" 2>/dev/null || true
t3="$(now)"
plan16="$(elapsed "$t0" "$t1")"
wall="$(elapsed "$t1" "$t2")"
collect16="$(elapsed "$t2" "$t3")"

t0="$(now)"
"$study_exe" plan "$work/grid400.toml" --dir "$work/grid400" >/dev/null
t1="$(now)"
for c in "$work"/grid400/case_*; do
  cp "$work/parallel/case_0001/run.json" "$work/parallel/case_0001/zelvan_flutter.json" "$c/" 2>/dev/null ||
    cp "$work/parallel/case_0001/run.json" "$c/"
done
t2="$(now)"
"$study_exe" collect "$work/grid400" 2>/dev/null || true
t3="$(now)"
plan400="$(elapsed "$t0" "$t1")"
collect400="$(elapsed "$t2" "$t3")"

route_times() {  # study file, folder: the wall time of run -j JOBS and its cases' CPU time
  "$study_exe" plan "$1" --dir "$2" >/dev/null
  python3 - "$study_exe" "$2" "$jobs" "$zelvan" <<'PY'
import resource, subprocess, sys, time
study, folder, jobs, zelvan = sys.argv[1:5]
before = resource.getrusage(resource.RUSAGE_CHILDREN)
start = time.monotonic()
subprocess.run([study, "run", folder, "-j", jobs, "--zelvan", zelvan],
               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
wall = time.monotonic() - start
after = resource.getrusage(resource.RUSAGE_CHILDREN)
cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
print(f"{wall:.4f} {cpu:.4f}")
PY
}
# Each study eleven times, alternating, and the medians: a study takes a
# few hundredths of a second, where one run's wall time varies by a third
# with whatever else runs on the machine.  The CPU time of the cases
# (user and system, the study program and every zelvan it started) varies
# far less, and its ratio shows what the route itself costs.
possio_runs=()
thin_runs=()
for i in $(seq 11); do
  possio_runs+=("$(route_times "$work/mach7.toml" "$work/mach7_$i")")
  thin_runs+=("$(route_times "$work/thin7.toml" "$work/thin7_$i")")
done

python3 - "$jobs" "${possio_runs[@]}" -- "${thin_runs[@]}" <<'PY'
import statistics, sys
jobs = int(sys.argv[1])
rest = sys.argv[2:]
split = rest.index("--")
def columns(runs):
    pairs = [tuple(map(float, r.split())) for r in runs]
    return statistics.median(p[0] for p in pairs), statistics.median(p[1] for p in pairs)
possio_wall, possio_cpu = columns(rest[:split])
thin_wall, thin_cpu = columns(rest[split + 1:])
print(f"Mach-boundary example, 7 cases, -j {jobs}, medians of 11 (wall, CPU of the cases)")
print(f"  Possio route (Ma 0.2 .. 0.8)       {possio_wall:7.3f} s  {possio_cpu:7.3f} s")
print(f"  thin-plate route (Ma 0.02 .. 0.08) {thin_wall:7.3f} s  {thin_cpu:7.3f} s")
print(f"  ratio                              {possio_wall / thin_wall:7.3f}    {possio_cpu / thin_cpu:7.3f}   (goal: wall <= 1.5)")
PY

python3 - "$jobs" "$single_sum" "$wall" "$plan16" "$collect16" "$plan400" "$collect400" "$work/parallel" <<'PY'
import json, pathlib, sys
jobs, single, wall, p16, c16, p400, c400 = int(sys.argv[1]), *map(float, sys.argv[2:8])
# Occupancy of the parallel run: the time-integral of the number of running
# cases over the span from the first start to the last end, divided by
# jobs x span.  It is 1 when a case starts the moment another ends, whatever
# else loads the machine; the ratio above also shows that load.
runs = [json.loads(p.read_text()) for p in pathlib.Path(sys.argv[8]).glob("case_*/run.json")]
spans = sorted((r["ended"] - r["seconds"], r["ended"]) for r in runs)
span = max(e for _, e in spans) - min(s for s, _ in spans)
occupancy = sum(e - s for s, e in spans) / (jobs * span)
ideal = single / jobs
print(f"16-case Possio study on {jobs} cores")
print(f"  sum of single-case times   {single:8.3f} s")
print(f"  ideal wall (sum / {jobs})       {ideal:8.3f} s")
print(f"  wall time with -j {jobs}        {wall:8.3f} s")
print(f"  ratio                      {wall / ideal:8.3f}   (goal <= 1.15)")
print(f"  occupancy of the {jobs} slots    {occupancy:8.3f}   (1: no slot idle while cases wait)")
print("overhead per case (plan + collect; goal < 5 ms)")
print(f"  16 cases:  plan {1000 * p16 / 16:6.2f} ms, collect {1000 * c16 / 16:6.2f} ms, sum {1000 * (p16 + c16) / 16:6.2f} ms")
print(f"  400 cases: plan {1000 * p400 / 400:6.2f} ms, collect {1000 * c400 / 400:6.2f} ms, sum {1000 * (p400 + c400) / 400:6.2f} ms")
PY
