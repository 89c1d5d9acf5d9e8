#!/usr/bin/env bash
# Instructions per hook decision, path by path: the filter benchmarks run under
# callgrind, which counts instructions rather than time, so two builds compare
# the same on a busy machine. Usage: scripts/bench_instructions.sh [BUILD_DIR]
# (default build/bench, as scripts/bench.sh builds it).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bench=${1:-build/bench}/bench/bench_filter
[ -x "$bench" ] || { echo "no $bench: run scripts/bench.sh first" >&2; exit 1; }
out=$(mktemp)
trap 'rm -f "$out" "$out.txt"' EXIT
for name in $("$bench" --benchmark_list_tests | grep -v Waking); do
  valgrind --tool=callgrind --callgrind-out-file="$out" "$bench" \
    --benchmark_filter="^$name\$" --benchmark_min_time=0.05 >/dev/null 2>&1
  # The benchmark's own call of ShouldSwallow: inclusive cost and call count.
  # Through a file: grep stopping at its first match must not cut the annotation
  # short, which pipefail would take for a failure and end the script.
  callgrind_annotate --inclusive=yes --tree=caller "$out" >"$out.txt" 2>/dev/null
  grep -m1 "< .*::$name(" "$out.txt" |
    sed -E 's/^ *([0-9,]+) .*\(([0-9,]+)x\).*/\1 \2/; s/,//g' |
    awk -v n="$name" '{ printf "%-40s %8.1f instructions per decision\n", n, $1 / $2 }'
done
