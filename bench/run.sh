#!/usr/bin/env bash
# Builds the release preset, runs the Google Benchmark program and the instruction-count
# driver under callgrind, and prints one table (Markdown) of both.
#   bench/run.sh [--min-time SECONDS]   (Google Benchmark's time per benchmark, default 0.2)
# Instructions per call: (Ir(2N) - Ir(N)) / N for each path, so that the loop's set-up
# cancels; "extra" is the routed figure less that of the direct call of the same routine
# (for the filter: less an empty routine of the same arguments).
set -euo pipefail
cd "$(dirname "$0")/.."
min_time=0.2
if [ "${1:-}" = "--min-time" ]; then min_time=$2; fi
calls=1000

cmake --preset release >/dev/null
cmake --build --preset release >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

build/release/bin/routing_benchmarks --benchmark_min_time="$min_time" \
  --benchmark_format=csv 2>/dev/null >"$work/times.csv"
(cd "$work" && valgrind --tool=callgrind --collect-atstart=no --dump-instr=no \
  --callgrind-out-file=cg.out "$OLDPWD/build/release/bin/count_driver" "$calls" \
  >/dev/null 2>"$work/valgrind.log") || { cat "$work/valgrind.log" >&2; exit 1; }

# label#calls Ir, one line per dump
dumps=$(find "$work" -name 'cg.out.*' | wc -l)
for i in $(seq 1 "$dumps"); do
  awk '/^desc: Trigger: Client Request: /{sub(/^desc: Trigger: Client Request: /, ""); label=$0}
       /^summary:/{print label, $2}' "$work/cg.out.$i"
done >"$work/counts.txt"

awk -v calls="$calls" '
  FNR == NR {  # Google Benchmark CSV: "name",iterations,real_time,cpu_time,time_unit,...
    if ($0 ~ /^"/) { split($0, f, ","); name = f[1]; gsub(/"/, "", name); ns[name] = f[4] }
    next
  }
  {
    split($1, part, "#"); path = part[1]; n = part[2]
    if (n == calls) once[path] = $2; else twice[path] = $2
    if (!(path in seen)) { seen[path] = 1; order[++count] = path }
  }
  END {
    printf "| path | routed Ir/call | direct Ir/call | extra Ir/call | routed ns | direct ns |\n"
    printf "|---|---:|---:|---:|---:|---:|\n"
    for (i = 1; i <= count; ++i) {
      path = order[i]
      if (path !~ /\/routed$/) continue
      base = substr(path, 1, length(path) - 7)
      direct = base "/direct"
      r = (twice[path] - once[path]) / calls
      d = (twice[direct] - once[direct]) / calls
      printf "| %s | %.0f | %.0f | %+.0f | %.1f | %.1f |\n", base, r, d, r - d, ns[path], ns[direct]
    }
  }' FS=, "$work/times.csv" FS=' ' "$work/counts.txt"
