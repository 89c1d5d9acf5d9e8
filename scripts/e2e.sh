#!/usr/bin/env bash
# End-to-end tests of Quillet.exe under Wine on a private Xvfb display.
# Usage: scripts/e2e.sh [--demo] [-k SUBSTRING] [BUILD_DIR]   (default build/windows)
# Prints "PASS name" / "FAIL name: reason" per case and "N passed, N failed";
# exits non-zero on any failure. Nothing it starts outlives it.
set -u
repo=$(cd "$(dirname "$0")/.." && pwd)
# Always a prefix and display of our own, even when called from a shell that
# has sourced wine-env.sh already (its clean-up would remove ours otherwise).
unset QUILLET_RUN_DIR QUILLET_KEEP_DISPLAY
# shellcheck source=wine-env.sh
source "$repo/scripts/wine-env.sh"
timeout -k 10 "${QUILLET_E2E_TIMEOUT:-1200}" python3 "$repo/tests/e2e/e2e.py" "$@"
