#!/usr/bin/env bash
# Sets everything up and runs every test: native unit tests, the same tests
# built for Windows under Wine, the end-to-end suite under Wine, the release
# package (built, checked, run unpacked under Wine; its installer installed,
# upgraded and removed under Wine), and a short fuzzing run.
# Exits non-zero when any stage fails.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
ROOT=$PWD

bash scripts/deps.sh || { echo "dependency set-up failed"; exit 1; }
# shellcheck disable=SC1091
source "${QUILLET_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quillet}/env.sh"

JOBS=$(nproc)
failed=()
stage() { # name, command...
  local name=$1; shift
  echo "=== $name"
  if "$@"; then echo "=== $name: ok"; else echo "=== $name: FAILED"; failed+=("$name"); fi
}

build_native() {
  cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null &&
    cmake --build build/native -j"$JOBS"
}
build_windows() {
  cmake -S . -B build/windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" >/dev/null &&
    cmake --build build/windows -j"$JOBS"
}
unit_native() { ctest --test-dir build/native --output-on-failure; }
unit_wine() { (source scripts/wine-env.sh && ctest --test-dir build/windows -LE e2e --output-on-failure); }

# Every C++ file as the root .clang-format lays it out.
check_format() {
  git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
}

stage "format" check_format
stage "native build" build_native
stage "native unit tests" unit_native
stage "windows build" build_windows
stage "unit tests under Wine" unit_wine
[ -x tests/ui_probe/run_probe_tests.sh ] && stage "window layer under Wine" tests/ui_probe/run_probe_tests.sh build/windows
stage "end-to-end under Wine" scripts/e2e.sh build/windows
release_package() {
  bash scripts/package.sh && python3 scripts/package.py check dist/Quillet-*-win32.zip &&
    QUILLET_PACKAGE="$(ls "$ROOT"/dist/Quillet-*-win32.zip)" \
      QUILLET_INSTALLER="$(ls "$ROOT"/dist/Quillet-*-setup.exe)" \
      scripts/e2e.sh -k unpacked_package,installer_ build/windows
}
stage "release package" release_package
[ -x scripts/fuzz.sh ] && stage "JSON parser fuzzing" scripts/fuzz.sh "${QUILLET_FUZZ_SECONDS:-60}"

if [ ${#failed[@]} -eq 0 ]; then
  echo "all stages passed"
else
  echo "failed stages: ${failed[*]}"
  exit 1
fi
