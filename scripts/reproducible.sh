#!/usr/bin/env bash
# Builds the release package in two fresh clones of HEAD, in folders of
# different names and depths, and compares Quillet.exe, the speech library, the
# zip and the installer byte for byte. Exits non-zero when any of them differs.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=$(mktemp -d /tmp/quillet-reproducible.XXXXXX)
trap 'rm -rf "$work"' EXIT
clones=("$work/a" "$work/second/clone-b")
for dir in "${clones[@]}"; do
  git clone -q "$repo" "$dir"
  (cd "$dir" && bash scripts/package.sh >/dev/null)
done
sums() { (cd "$1" && sha256sum build/package/app/Quillet.exe build/package/app/UniversalSpeech.dll dist/*.zip dist/*-setup.exe); }
sums "${clones[0]}"
if diff <(sums "${clones[0]}") <(sums "${clones[1]}"); then
  echo "reproducible: both builds are byte-identical"
else
  echo "NOT reproducible: the builds differ"
  exit 1
fi
