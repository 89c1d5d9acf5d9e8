#!/usr/bin/env bash
# Builds the native benchmarks in release mode and prints their tables.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/deps.sh
# shellcheck disable=SC1091
source "${QUILLET_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quillet}/env.sh"
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench -j"$(nproc)" >/dev/null
for b in build/bench/bench/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" --benchmark_repetitions="${QUILLET_BENCH_REPETITIONS:-5}" \
       --benchmark_report_aggregates_only=true "$@"
done
