#!/usr/bin/env bash
# Instructions per hook decision, path by path: the filter benchmarks and the
# check of the program in front run under callgrind, which counts instructions
# rather than time, so two builds compare the same on a busy machine.
# Usage: scripts/bench_instructions.sh [BUILD_DIR]
# (default build/bench, as scripts/bench.sh builds it).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
out=$(mktemp)
trap 'rm -f "$out"' EXIT
for program in bench_filter bench_foreground; do
  bench=${1:-build/bench}/bench/$program
  [ -x "$bench" ] || { echo "no $bench: run scripts/bench.sh first" >&2; exit 1; }
  for name in $("$bench" --benchmark_list_tests | grep -v Waking); do
    valgrind --tool=callgrind --callgrind-out-file="$out" "$bench" \
      --benchmark_filter="^$name\$" --benchmark_min_time=0.05 >/dev/null 2>&1
    # The benchmark's own call of what it measures: inclusive cost and call count.
    # awk reads to the end: a reader that stops early would end the script.
    callgrind_annotate --inclusive=yes --tree=caller "$out" 2>/dev/null |
      awk -v n="$name" 'index($0, "< ") && index($0, "::" n "(") && !done {
        line = $0; gsub(/,/, "", line)
        match(line, /^ *[0-9]+/); cost = substr(line, RSTART, RLENGTH) + 0
        match(line, /\([0-9]+x\)/); calls = substr(line, RSTART + 1, RLENGTH - 3) + 0
        printf "%-40s %8.1f instructions per decision\n", n, cost / calls; done = 1 }'
  done
done
