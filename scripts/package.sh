#!/usr/bin/env bash
# Builds the release package dist/Quillet-<version>-win32.zip: Quillet.exe, the
# speech library, the user guide made from the README, the licences of every
# library linked in and SHA256SUMS; and beside it the installer
# dist/Quillet-<version>-setup.exe, which holds the same files. Reproducible: the
# same commit built in another folder gives the same bytes.
# Usage: scripts/package.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build=${1:-build/package}
bash scripts/deps.sh
# shellcheck disable=SC1091
source "${QUILLET_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quillet}/env.sh"
# The files' times in the zip and the installer: the last commit's, when this is a
# git checkout.
: "${SOURCE_DATE_EPOCH:=$(git log -1 --format=%ct 2>/dev/null || true)}"
export SOURCE_DATE_EPOCH
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$build" -j"$(nproc)" --target Quillet speech_standin
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
rm -f dist/Quillet-*-win32.zip dist/Quillet-*-setup.exe
zip=$(python3 scripts/package.py assemble "$build" dist "$version")
setup=$(python3 scripts/package.py installer "$build" dist "$version")
for file in "$zip" "$setup"; do
  echo "$(stat -c %s "$file") bytes  $file"
done
(cd dist && sha256sum "$(basename "$zip")" "$(basename "$setup")")
