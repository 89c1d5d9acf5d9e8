# Sourced: prepares a private Wine prefix and Xvfb display for this run and
# registers their clean-up on exit. Exports WINEPREFIX, DISPLAY, WINEDEBUG,
# WINEDLLOVERRIDES. Every Wine and Xvfb call is bounded by timeout.
: "${QUILLET_RUN_DIR:=$(mktemp -d /tmp/quillet-run.XXXXXX)}"
export QUILLET_RUN_DIR
export WINEPREFIX="$QUILLET_RUN_DIR/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

quillet_wine_cleanup() {
  timeout -k 2 10 wineserver -k >/dev/null 2>&1 || true
  [ -n "${QUILLET_XVFB_PID:-}" ] && kill "$QUILLET_XVFB_PID" >/dev/null 2>&1 || true
  wait 2>/dev/null || true
  rm -rf "$QUILLET_RUN_DIR" 2>/dev/null || true
}
trap quillet_wine_cleanup EXIT

if [ -z "${QUILLET_KEEP_DISPLAY:-}" ]; then
  for n in $(seq 91 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    QUILLET_XVFB_PID=$!
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    export DISPLAY=":$n"
    break
  done
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  timeout -k 5 120 wineboot -i >/dev/null 2>&1 || true
  # Without this every hidden or destroyed window stalls for two seconds.
  timeout -k 5 30 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || true
  timeout -k 5 30 wineserver -w >/dev/null 2>&1 || true
fi
