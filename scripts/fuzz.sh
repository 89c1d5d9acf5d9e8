#!/bin/bash
# Builds the fuzz target of the JSON parser and the settings file's loader with
# clang (libFuzzer, ASan, UBSan) and runs it for a bounded time:
# scripts/fuzz.sh [seconds], 60 by default.
set -euo pipefail

seconds="${1:-60}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="${QUILLET_FUZZ_DIR:-$root/build/fuzz}"
mkdir -p "$out/corpus" "$out/artifacts"

sources=(
  "$root/tests/fuzz/json_parser_fuzz.cpp"
  "$root/prefs/json_value.cpp"
  "$root/prefs/json_parser.cpp"
  "$root/prefs/json_writer.cpp"
  "$root/prefs/file_ops.cpp"
  "$root/prefs/file_ops_posix.cpp"
  "$root/prefs/settings.cpp"
  "$root/runtime/program_list.cpp"
  "$root/runtime/ignore_case.cpp"
  "$root/runtime/ignore_case_posix.cpp"
  "$root/runtime/text.cpp"
)
binary="$out/json_parser_fuzz"
# Rebuild only when a source is newer than the binary.
rebuild=0
[ -x "$binary" ] || rebuild=1
for f in "${sources[@]}" "$root"/prefs/*.h "$root"/runtime/*.h \
  "$root"/tests/unit/prefs/*.h; do
  [ "$f" -nt "$binary" ] && rebuild=1
done
if [ "$rebuild" = 1 ]; then
  clang++ -std=c++20 -O1 -g -I"$root" \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    "${sources[@]}" -o "$binary"
fi

# New inputs go to the working corpus under build/; the committed seeds stay as they are.
log="$out/fuzz.log"
status=0
timeout -k 10 $((seconds + 60)) "$binary" "$out/corpus" "$root/tests/fuzz/corpus" \
  -dict="$root/tests/fuzz/json.dict" -max_total_time="$seconds" -max_len=4096 \
  -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$out/artifacts/" >"$log" 2>&1 || status=$?

runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
if [ "$status" -ne 0 ]; then
  tail -n 40 "$log"
  echo "fuzz: json_parser FAILED after ${runs:-?} runs (artifacts in $out/artifacts)"
  echo "0 passed, 1 failed"
  exit 1
fi
echo "fuzz: json_parser ran ${runs:-?} inputs in ${seconds} s, no findings"
echo "1 passed, 0 failed"
