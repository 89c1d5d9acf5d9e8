#!/usr/bin/env bash
# Builds the release package dist/Quillet-<version>-win32.zip: Quillet.exe, the
# speech library, the user guide made from the README, the licences of every
# library linked in and SHA256SUMS. Reproducible: the same commit built in
# another folder gives the same bytes. Usage: scripts/package.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build=${1:-build/package}
bash scripts/deps.sh
# shellcheck disable=SC1091
source "${QUILLET_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quillet}/env.sh"
# The zip's member times: the last commit's, when this is a git checkout.
: "${SOURCE_DATE_EPOCH:=$(git log -1 --format=%ct 2>/dev/null || true)}"
export SOURCE_DATE_EPOCH
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$build" -j"$(nproc)" --target Quillet speech_standin
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
rm -f dist/Quillet-*-win32.zip
zip=$(python3 scripts/package.py assemble "$build" dist "$version")
echo "$(stat -c %s "$zip") bytes  $zip"
sha256sum "$zip"
