#!/usr/bin/env bash
# Builds one group of native unit tests and runs it:
#   scripts/unit.sh [group] [gtest-filter]
# A group is a folder under tests/unit (app, filter, lang, prefs, runtime, sound,
# speech, ui); without one, every group. The filter picks GoogleTest cases, e.g.
# 'SettingsFile.*'; without one, the group's other ctest cases run too (lang's
# refused translations and text check). Groups other than sound are built in
# build/unit, configured without the sound layer (no miniaudio or libvorbis
# needed); sound and all groups are built in build/native.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

group="${1:-}"
filter="${2:-}"
groups=$(cd tests/unit && for d in */; do echo "${d%/}"; done)
if [ -n "$group" ] && ! grep -qx -- "$group" <<<"$groups"; then
  echo "unit.sh: no group '$group'; the groups are: ${groups//$'\n'/ }" >&2
  exit 2
fi
if [ -n "$filter" ] && [ -z "$group" ]; then
  echo "unit.sh: a filter needs a group" >&2
  exit 2
fi

env_sh="${QUILLET_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quillet}/env.sh"
# shellcheck disable=SC1090
[ -f "$env_sh" ] && source "$env_sh"

if [ -z "$group" ] || [ "$group" = sound ]; then
  dir=build/native
  options=()
else
  dir=build/unit
  options=(-DQUILLET_SOUND=OFF -DQUILLET_BENCH=OFF)
fi
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
fi

if [ -z "$group" ]; then
  cmake --build "$dir" -j"$(nproc)"
  exec ctest --test-dir "$dir" --output-on-failure
fi
cmake --build "$dir" -j"$(nproc)" --target "unit_$group"
if [ -n "$filter" ]; then
  exec "$dir/tests/unit/unit_$group" --gtest_brief=1 --gtest_filter="$filter"
fi
exec ctest --test-dir "$dir" --output-on-failure -R "^(unit_${group}|${group}_.*)\$"
