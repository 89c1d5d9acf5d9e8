#!/usr/bin/env bash
# Runs one Windows program under Wine with a bounded time; used by ctest as the
# cross-compiling emulator. Needs WINEPREFIX from wine-env.sh.
exec timeout -k 5 "${QUILLET_WINE_TIMEOUT:-240}" wine "$@"
