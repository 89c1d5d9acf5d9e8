#!/usr/bin/env bash
# Sets everything up, builds Quillet.exe and runs it under Wine on a private
# virtual display with a short scripted demonstration that says what happened.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/deps.sh
# shellcheck disable=SC1091
source "${QUILLET_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quillet}/env.sh"
cmake -S . -B build/windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686.cmake" >/dev/null
cmake --build build/windows -j"$(nproc)"
exec bash scripts/e2e.sh --demo build/windows
