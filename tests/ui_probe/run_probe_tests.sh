#!/usr/bin/env bash
# Drives ui_probe.exe from outside under Wine: the input dialog's answers and what
# a screen reader is told of it; the tray window's calls: a left click and its
# timer, the tray callback opening the menu, the icon's return after the taskbar
# is re-created, a menu choice and a close request.
# Usage: tests/ui_probe/run_probe_tests.sh [build dir]   (default build/windows)
# Set QUILLET_PROBE_SHOTS to a folder to keep screenshots of the dialog and menu.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/windows}
probe="$build/tests/ui_probe/ui_probe.exe"
driver="$build/tests/ui_probe/ui_driver.exe"
[ -f "$probe" ] && [ -f "$driver" ] || { echo "build ui_probe and ui_driver first" >&2; exit 2; }

# shellcheck source=../../scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
work="$QUILLET_RUN_DIR/probe"
mkdir -p "$work"
passed=0
failed=0
probe_pid=

drive() { timeout -k 2 20 wine "$driver" "$@" 2>/dev/null | tr -d '\r'; }

ok() { echo "ok   $1"; passed=$((passed + 1)); }
bad() { echo "FAIL $1${2:+: $2}"; failed=$((failed + 1)); }

# Waits, bounded, for a line matching the pattern in the probe's output.
wait_line() {
    local pattern=$1 limit=${2:-100}
    for _ in $(seq "$limit"); do
        grep -q -- "$pattern" "$work/out" 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}

start_probe() {
    : >"$work/out"
    timeout -k 2 60 wine "$probe" "$1" >"$work/out" 2>/dev/null &
    probe_pid=$!
}

stop_probe() {
    if [ -n "$probe_pid" ]; then
        for _ in $(seq 100); do kill -0 "$probe_pid" 2>/dev/null || break; sleep 0.1; done
        kill "$probe_pid" 2>/dev/null || true
        wait "$probe_pid" 2>/dev/null || true
        probe_pid=
    fi
}

shot() {
    [ -n "${QUILLET_PROBE_SHOTS:-}" ] || return 0
    mkdir -p "$QUILLET_PROBE_SHOTS"
    drive shot "$(winepath -w "$QUILLET_PROBE_SHOTS/$1.bmp" 2>/dev/null)" >/dev/null
}

# name, then the driver commands that answer the dialog, then the expected answer.
dialog_case() {
    local name=$1 expected=$2
    shift 2
    start_probe input
    if [ "$(drive wait InputRequester 15000)" != found ]; then
        bad "$name" "no InputRequester window"
        stop_probe
        return
    fi
    sleep 0.3
    "$@"
    if ! wait_line 'ANSWER\[' 50; then
        drive sysclose InputRequester >/dev/null
        stop_probe
        bad "$name" "the dialog stayed open"
        return
    fi
    stop_probe
    local got
    got=$(tr -d '\r' <"$work/out" | sed -n 's/^ANSWER\[\(.*\)\]$/\1/p')
    if grep -q 'ANSWER\[' "$work/out" && [ "$got" = "$expected" ]; then
        ok "$name"
    else
        bad "$name" "answer [$got], expected [$expected]"
    fi
}

answer_enter() { drive type "250 ms"; shot dialog; drive key enter; }
answer_escape() { drive type "250"; drive key escape; }
answer_closebox() { drive type "250"; drive sysclose InputRequester; }
answer_altf4() { drive type "250"; drive key f4 alt; }
answer_empty() { drive key enter; }

dialog_case "input dialog: Enter returns the typed text" "250 ms" answer_enter
dialog_case "input dialog: Escape returns nothing" "" answer_escape
dialog_case "input dialog: close box returns nothing" "" answer_closebox
dialog_case "input dialog: Alt+F4 returns nothing" "" answer_altf4
dialog_case "input dialog: empty OK returns nothing" "" answer_empty

# What a screen reader is told of the dialog: its start and end as win events; and its
# prompt shows "&" as text.
events="$work/events"
: >"$events"
timeout -k 2 30 wine "$driver" dialog-events 20000 >"$events" 2>/dev/null &
watcher=$!
for _ in $(seq 100); do grep -q watching "$events" && break; sleep 0.1; done
start_probe input
if [ "$(drive wait InputRequester 15000)" = found ]; then
    style=$(drive style InputRequester Static)
    if [ -n "$style" ] && (( 0x$style & 0x80 )); then
        ok "input dialog: the prompt has SS_NOPREFIX"
    else
        bad "input dialog: the prompt has SS_NOPREFIX" "style [$style]"
    fi
    sleep 0.3
    drive key escape
    wait_line 'ANSWER\[' 50
else
    bad "input dialog: the prompt has SS_NOPREFIX" "no InputRequester window"
fi
stop_probe
for _ in $(seq 50); do grep -q '^dialogend' "$events" && break; sleep 0.1; done
kill "$watcher" 2>/dev/null
wait "$watcher" 2>/dev/null
shown=$(tr -d '\r' <"$events" | sed -n 's/^dialogstart \([^ ]*\) InputRequester$/\1/p')
closed=$(tr -d '\r' <"$events" | sed -n 's/^dialogend \([^ ]*\) .*/\1/p')
if [ -n "$shown" ] && [ "$shown" = "$closed" ]; then
    ok "input dialog: DIALOGSTART when shown, DIALOGEND when closed"
else
    bad "input dialog: DIALOGSTART when shown, DIALOGEND when closed" "$(tr '\r\n' ' ;' <"$events")"
fi

start_probe tray
if ! wait_line '^READY window=1 tray=1' 150; then
    bad "tray probe starts with window and icon" "$(head -c 200 "$work/out")"
else
    ok "tray probe starts with window and icon"
    # Mouse moves, presses and double clicks call nothing; a left release starts the
    # click timer, a right release opens the menu.
    drive tray 1 512 && drive tray 1 516 && drive tray 1 515 && sleep 0.3
    if grep -q '^CLICK' "$work/out"; then bad "tray: moves, presses and double clicks call nothing"; else ok "tray: moves, presses and double clicks call nothing"; fi
    drive tray 1 514
    if wait_line '^CLICK left' 50 && wait_line '^TIMER' 50; then
        ok "tray: a left click and the click timer reach the program"
    else
        bad "tray: a left click and the click timer reach the program"
    fi
    drive tray 1 517
    if wait_line '^CLICK right' 50 && [ "$(drive wait '#32768' 5000)" = found ]; then
        ok "tray: right click reaches the program and opens the menu"
    else
        bad "tray: right click reaches the program and opens the menu"
    fi
    sleep 0.3
    shot menu
    drive key escape
    if wait_line '^MENU CLOSED 0' 50 && ! grep -q '^COMMAND' "$work/out"; then
        ok "tray: closing the menu without a choice gives no command"
    else
        bad "tray: closing the menu without a choice gives no command"
    fi

    # The icon comes back when the taskbar is re-created.
    drive tray-delete 1
    before=$(drive tray-exists 1)
    drive taskbar-created
    sleep 0.3
    after=$(drive tray-exists 1)
    if [ "$before" = absent ] && [ "$after" = present ]; then
        ok "tray: TaskbarCreated adds the icon again"
    else
        bad "tray: TaskbarCreated adds the icon again" "before=$before after=$after"
    fi

    # A choice arrives as a command with the item's identifier.
    drive tray 1 517
    if [ "$(drive wait '#32768' 5000)" = found ]; then
        sleep 0.3
        drive key x
        if wait_line '^MENU CLOSED 1' 50 && wait_line '^COMMAND 6' 50; then ok "menu: E&xit arrives as command 6"; else bad "menu: E&xit arrives as command 6"; fi
    else
        bad "menu: E&xit arrives as command 6" "menu did not open"
    fi

    drive close-hidden
    if wait_line '^ASKED TO CLOSE' 50 && wait_line '^CLOSED' 50; then
        ok "WM_CLOSE to the hidden window asks the program to close"
    else
        bad "WM_CLOSE to the hidden window asks the program to close"
    fi
fi
stop_probe

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
