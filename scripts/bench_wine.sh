#!/usr/bin/env bash
# Start-up time and idle cost of Quillet.exe under Wine, beside a minimal
# Win32 program built the same way (bench/startup/minimal_win32.exe /hook),
# and beside a floor program with Quillet's system services (minimal_win32.exe
# /floor: hidden window, COM, common controls, tray icon, keyboard hook, an
# audio device that plays for 1 s and is then stopped), and beside that floor
# with the speech library Quillet loads (minimal_win32.exe /floor /speech: the
# same UniversalSpeech.dll beside it, one text spoken), whose own speaking
# thread is then on both sides. And the foreground check on the system's real
# calls.
#
#   scripts/bench_wine.sh [--runs N] [--idle SECONDS] [--settle SECONDS]
#                         [--interval MS] [--burst N] [--steps]
#                         [--only start,keys,idle,foreground] [build-folder]
#
# build-folder defaults to build/windows and must hold app/Quillet.exe,
# app/UniversalSpeech.dll and bench/startup/{minimal_win32,startup_probe,
# foreground_cost}.exe.
#
# Start to hook: startup_probe starts the program with CreateProcess and
# injects F5 (with an F24 marker behind it) every --interval ms (default 2);
# the first F5 press that no longer reaches its window dates the hook. Runs
# alternate between the two programs, after one discarded warm-up each.
# Every program gets an audio device: ALSA's file plugin writing to /dev/null,
# paced in real time like a sound card.
# Idle cost, Quillet beside the floor: each is started once more and left alone
# for --settle s (default 12, past Quillet's 10 s device stop); then CPU is the
# utime+stime of the Linux process hosting the exe over --idle s (default 30),
# scaled to one minute, and memory is read at the end: RssAnon from
# /proc/<pid>/status: the private resident memory of that Linux process
# (heaps, stacks, copied-on-write image pages), beside VmRSS. (Windows'
# PrivateUsage is no use here: Wine reports 0 for another process.)
# Key events: with the hook in, startup_probe --burst injects N events (default
# 600: taps of F5 and A in turn) and times them to a marker key, through
# Quillet with its speech library, through Quillet with a speech library whose
# speechSay hangs 2.5 s, and through the minimal program's hook; the ratios of
# the medians to the minimal program's are the cost of Quillet's hook.
# Foreground check: bench/startup/foreground_cost.exe times, per call, the
# hook's question for a guarded key with the window in front unchanged, and
# after it changed (the owner's process and image name looked up, matched
# against a full list), a Store app's frame, and the image name alone in the
# device form the hook asks for and in the Win32 form (through the file system).
# --steps first prints where Quillet's start-up time and memory go:
# bench/startup/startup_steps.exe runs the same layers in the same order and
# logs each step; the table gives the median time since CreateProcess, and
# the working set and thread count after each step.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

runs=10 idle=30 settle=12 interval=2 burst=600 steps=0 only=start,keys,idle,foreground
build=build/windows
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --idle) idle=$2; shift 2 ;;
    --settle) settle=$2; shift 2 ;;
    --interval) interval=$2; shift 2 ;;
    --burst) burst=$2; shift 2 ;;
    --steps) steps=1; shift ;;
    --only) only=$2; shift 2 ;;
    -h|--help) sed -n '2,41p' "$0"; exit 0 ;;
    *) build=$1; shift ;;
  esac
done
build=$(cd "$build" && pwd)

for f in app/Quillet.exe app/UniversalSpeech.dll bench/startup/minimal_win32.exe \
         bench/startup/startup_probe.exe bench/startup/startup_steps.exe \
         bench/startup/foreground_cost.exe \
         tools/speech_standin/slow_speechSay/UniversalSpeech.dll; do
  [ -f "$build/$f" ] || { echo "missing $build/$f (build the Windows tree first)" >&2; exit 2; }
done

# shellcheck disable=SC1091
source scripts/wine-env.sh

# Each program runs from a folder of its own, so Quillet finds its speech
# library beside it and writes nothing into the build tree.
work=$QUILLET_RUN_DIR/bench
mkdir -p "$work/quillet" "$work/hung" "$work/minimal" "$work/home"
printf 'pcm.!default { type file; slave.pcm "null"; file "/dev/null"; format "raw" }\n' \
  >"$work/home/.asoundrc"
export HOME=$work/home
cp "$build/app/Quillet.exe" "$build/app/UniversalSpeech.dll" "$build/bench/startup/startup_steps.exe" \
  "$work/quillet/"
cp "$build/bench/startup/minimal_win32.exe" "$build/app/UniversalSpeech.dll" "$work/minimal/"
cp "$build/app/Quillet.exe" "$work/hung/"
cp "$build/tools/speech_standin/slow_speechSay/UniversalSpeech.dll" "$work/hung/"
cp "$build/bench/startup/startup_probe.exe" "$build/bench/startup/foreground_cost.exe" "$work/"
winpath() { echo "Z:$1" | tr / '\\'; }
probe=$(winpath "$work/startup_probe.exe")
quillet_exe=$(winpath "$work/quillet/Quillet.exe")
minimal_exe=$(winpath "$work/minimal/minimal_win32.exe")

# Linux processes this script left running; killed by id on exit, before
# wine-env's own clean-up ends the prefix's wineserver.
kept=()
bench_cleanup() {
  for pid in "${kept[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
  quillet_wine_cleanup
}
trap bench_cleanup EXIT

# Keep one wineserver (and the prefix's services) up for the whole run, so
# no run pays for bringing them up.
timeout -k 2 30 wineserver -p >/dev/null 2>&1 || true
timeout -k 2 60 wine cmd /c exit >/dev/null 2>&1 || true

probe_args() {
  case "$1" in
    quillet) echo "--mutex Brindle_Quillet $quillet_exe /silent" ;;
    hung) echo "--mutex Brindle_Quillet $(winpath "$work/hung/Quillet.exe") /silent" ;;
    minimal) echo "$minimal_exe /hook" ;;
    floor) echo "$minimal_exe /floor" ;;
    floor_speech) echo "$minimal_exe /floor /speech" ;;
  esac
}

# One start-to-hook measurement; prints the probe's line. Extra probe options
# come after the program's name.
measure() {
  local prog=$1; shift
  # shellcheck disable=SC2046
  timeout -k 2 120 wine "$probe" --interval "$interval" "$@" $(probe_args "$prog") \
    2>"$work/probe.err" | tr -d '\r'
}
# The probe's own complaint; the programs' stderr (ALSA chatter) is dropped.
probe_error() { grep -a 'startup_probe:' "$work/probe.err" | tr -d '\r' | tail -1; }

field() { sed -n "s/.*\b$1=\([0-9.]*\).*/\1/p"; }

if [ "$steps" = 1 ]; then
  echo "Quillet's start-up step by step (startup_steps, $runs runs, median ms since CreateProcess)"
  for i in $(seq 0 "$runs"); do
    log=$work/steps$i.log
    line=$(timeout -k 2 60 wine "$probe" --interval "$interval" \
             "$(winpath "$work/quillet/startup_steps.exe")" "$(winpath "$log")" 2>/dev/null |
           tr -d '\r' || true)
    start=$(echo "$line" | field start_ms)
    # Run 0 warms up.
    [ "$i" -gt 0 ] && [ -n "$start" ] && [ -f "$log" ] &&
      awk -v s="$start" '{split($2, a, "="); print NR, $1, a[2] - s, $3, $4}' "$log"
  done | sort -k1,1n -k3,3g | awk '
    { key = $1; name[key] = $2; ms[key, ++n[key]] = $3; rest[key] = $4 " " $5 }
    END {
      for (k = 1; k in n; k++) {
        c = n[k]; m = c % 2 ? ms[k, (c + 1) / 2] : (ms[k, c / 2] + ms[k, c / 2 + 1]) / 2
        printf "  %-22s %8.1f ms  %+7.1f ms  %s\n", name[k], m, m - prev, rest[k]; prev = m
      }
    }'
  echo
fi

# Which measurements to run (--only).
part() { [[ ",$only," == *",$1,"* ]]; }

declare -A hook_ms
part start && echo "start to hook: $runs runs each, probe every $interval ms"
part start && for prog in quillet minimal; do measure "$prog" >/dev/null || true; done
part start && for i in $(seq "$runs"); do
  for prog in quillet minimal; do
    line=$(measure "$prog" || true)
    ms=$(echo "$line" | field hook_ms)
    if [ -z "$ms" ]; then
      echo "  $prog run $i failed: $(probe_error)" >&2
      continue
    fi
    hook_ms[$prog]+="$ms "
    printf '  run %2d %-8s %s\n' "$i" "$prog" "$line"
  done
done

# Besides the medians, each run's ratio to the minimal program's burst of the
# same run: neighbours in time share the machine's load, which drifts.
declare -A burst_ms burst_ratio
part keys && echo "key events: $burst through each hook, $runs runs each"
part keys && for i in $(seq "$runs"); do
  declare -A this_run=()
  for prog in minimal quillet hung; do
    ms=$(measure "$prog" --burst "$burst" | field burst_ms || true)
    [ -n "$ms" ] || { echo "  $prog burst run $i failed: $(probe_error)" >&2; continue; }
    burst_ms[$prog]+="$ms "
    this_run[$prog]=$ms
    [ "$prog" != minimal ] && [ -n "${this_run[minimal]:-}" ] &&
      burst_ratio[$prog]+="$(awk -v a="$ms" -v b="${this_run[minimal]}" 'BEGIN{printf "%.3f", a/b}') "
  done
done

foreground=""
part foreground && echo "foreground check: $runs runs" &&
  foreground=$(timeout -k 2 120 wine "$(winpath "$work/foreground_cost.exe")" --runs "$runs" \
                 2>"$work/probe.err" | tr -d '\r' || true)
part foreground && [ -z "$foreground" ] && echo "  foreground_cost failed: $(tail -1 "$work/probe.err")" >&2

# The Linux process hosting a Windows exe of this prefix: Wine names it by
# the exe's path in its command line.
linux_pid() {
  local name=$1 p
  for p in /proc/[0-9]*; do
    cat "$p/cmdline" 2>/dev/null | tr '\0' ' ' | grep -qiF "$name" || continue
    cat "$p/environ" 2>/dev/null | tr '\0' '\n' | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
    echo "${p#/proc/}"
    return 0
  done
  return 1
}

cpu_ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{print $12 + $13}'; }
status_kb() { awk -v k="$2:" '$1 == k {print $2}' "/proc/$1/status"; }
# Wake-ups of the program's own threads (named after its exe; Wine's audio
# threads, whose timer ticks while a stopped device stays open, are named apart).
own_wakeups() {
  local pid=$1 comm=${2:0:15} t n=0
  for t in /proc/"$pid"/task/*; do
    [ "$(cat "$t/comm" 2>/dev/null)" = "$comm" ] || continue
    n=$((n + $(awk '$1 == "voluntary_ctxt_switches:" {print $2}' "$t/status" 2>/dev/null || echo 0)))
  done
  echo "$n"
}
tick_ms=$((1000 / $(getconf CLK_TCK)))

declare -A rss_anon vm_rss cpu_idle cpu_settle threads server_cpu wakeups
server_pid=$(for p in /proc/[0-9]*; do
  case "$(cat "$p/comm" 2>/dev/null)" in wineserver*) ;; *) continue ;; esac
  cat "$p/environ" 2>/dev/null | tr '\0' '\n' | grep -qxF "WINEPREFIX=$WINEPREFIX" &&
    echo "${p#/proc/}"
done | head -1)

part idle && for prog in quillet floor floor_speech; do
  echo "idle: $prog, settle ${settle}s, measure ${idle}s"
  # shellcheck disable=SC2046
  # Into a file, not a pipe: the program left running inherits the probe's
  # output and would hold a pipe open.
  timeout -k 2 60 wine "$probe" --keep --interval "$interval" $(probe_args "$prog") \
    >"$work/probe.out" 2>"$work/probe.err" || true
  line=$(tr -d '\r' <"$work/probe.out")
  winpid=$(echo "$line" | field pid)
  [ -n "$winpid" ] || { echo "  $prog did not start: $(probe_error)" >&2; continue; }
  exe=$([ "$prog" = quillet ] && echo Quillet.exe || echo minimal_win32.exe)
  pid=""
  for _ in $(seq 50); do pid=$(linux_pid "$exe") && break; sleep 0.1; done
  [ -n "$pid" ] || { echo "  no Linux process found for $exe" >&2; continue; }
  kept+=("$pid")
  t0=$(cpu_ticks "$pid")
  sleep "$settle"
  t1=$(cpu_ticks "$pid")
  s1=$([ -n "$server_pid" ] && cpu_ticks "$server_pid" || echo 0)
  w1=$(own_wakeups "$pid" "$exe")
  sleep "$idle"
  t2=$(cpu_ticks "$pid")
  wakeups[$prog]=$(($(own_wakeups "$pid" "$exe") - w1))
  s2=$([ -n "$server_pid" ] && cpu_ticks "$server_pid" || echo 0)
  cpu_settle[$prog]=$(((t1 - t0) * tick_ms))
  cpu_idle[$prog]=$(awk -v d=$((t2 - t1)) -v t="$tick_ms" -v s="$idle" 'BEGIN{printf "%.0f", d*t*60/s}')
  server_cpu[$prog]=$(awk -v d=$((s2 - s1)) -v t="$tick_ms" -v s="$idle" 'BEGIN{printf "%.0f", d*t*60/s}')
  rss_anon[$prog]=$(status_kb "$pid" RssAnon)
  vm_rss[$prog]=$(status_kb "$pid" VmRSS)
  threads[$prog]=$(status_kb "$pid" Threads)
  kill -9 "$pid" 2>/dev/null || true
  for _ in $(seq 50); do [ -e "/proc/$pid" ] || break; sleep 0.1; done
done

# Median, least and most of the numbers on stdin, each in format $1 (default %.1f).
stats() { tr ' ' '\n' | grep . | sort -g |
  awk -v f="${1:-%.1f}" '{v[NR]=$1} END{if(!NR){print "- - -"; exit}
       m = NR%2 ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2; printf f " " f " " f, m, v[1], v[NR]}'; }
mb() { awk -v k="${1:-}" 'BEGIN{if(k=="") print "-"; else printf "%.2f", k/1024}'; }

delta() { awk -v a="${1:-}" -v b="${2:-}" -v f="$3" 'BEGIN{if(a==""||b==""||a=="-"||b=="-") print "-"; else printf f, a-b}'; }
declare -A med
if part start; then
  echo
  printf '%-14s %28s\n' program "start->hook ms med/min/max"
  for prog in quillet minimal; do
    read -r m lo hi <<<"$(echo "${hook_ms[$prog]:-}" | stats)"
    med[$prog]=$m
    printf '%-14s %28s\n' "$([ "$prog" = quillet ] && echo Quillet.exe || echo minimal_win32)" \
      "$m / $lo / $hi"
  done
  printf '%-14s %28s\n' "Quillet-min" "$(delta "${med[quillet]}" "${med[minimal]}" '%+.1f (median)')"
fi
if part idle; then
  echo
  printf '%-14s %10s %10s %8s %12s %12s %12s %10s\n' idle "RssAnon MB" "VmRSS MB" threads \
    "CPU ms/min" "CPU settle" "server ms/min" "own wakes"
  for prog in quillet floor floor_speech; do
    printf '%-14s %10s %10s %8s %12s %12s %12s %10s\n' \
      "$(case $prog in quillet) echo Quillet.exe;; floor) echo floor;; *) echo floor+speech;; esac)" \
      "$(mb "${rss_anon[$prog]:-}")" "$(mb "${vm_rss[$prog]:-}")" "${threads[$prog]:--}" \
      "${cpu_idle[$prog]:--}" "${cpu_settle[$prog]:--}" "${server_cpu[$prog]:--}" \
      "${wakeups[$prog]:--}"
  done
  for base in floor floor_speech; do
    printf '%-14s %10s %10s %8s %12s %12s %12s\n' \
      "$([ "$base" = floor ] && echo "Quillet-floor" || echo "Quillet-fl+sp")" \
      "$(delta "$(mb "${rss_anon[quillet]:-}")" "$(mb "${rss_anon[$base]:-}")" '%+.2f')" \
      "$(delta "$(mb "${vm_rss[quillet]:-}")" "$(mb "${vm_rss[$base]:-}")" '%+.2f')" \
      "$(delta "${threads[quillet]:-}" "${threads[$base]:-}" '%+d')" \
      "$(delta "${cpu_idle[quillet]:-}" "${cpu_idle[$base]:-}" '%+d')" \
      "$(delta "${cpu_settle[quillet]:-}" "${cpu_settle[$base]:-}" '%+d')" \
      "$(delta "${server_cpu[quillet]:-}" "${server_cpu[$base]:-}" '%+d')"
  done
fi
if part keys; then
  echo
  printf '%-34s %28s %10s %18s\n' "$burst key events through" "ms med/min/max" "/ minimal" \
    "run ratio med/max"
  for prog in quillet hung minimal; do
    read -r m lo hi <<<"$(echo "${burst_ms[$prog]:-}" | stats)"
    med[burst_$prog]=$m
  done
  for prog in quillet hung minimal; do
    read -r m lo hi <<<"$(echo "${burst_ms[$prog]:-}" | stats)"
    label=$(case $prog in quillet) echo "Quillet.exe";; hung) echo "Quillet.exe, speechSay hangs 2.5 s";;
            minimal) echo "minimal_win32 /hook";; esac)
    read -r rm _ rhi <<<"$(echo "${burst_ratio[$prog]:-}" | stats %.2f)"
    printf '%-34s %28s %10s %18s\n' "$label" "$m / $lo / $hi" \
      "$(awk -v a="$m" -v b="${med[burst_minimal]}" 'BEGIN{if(a=="-"||b=="-"||b==0) print "-"; else printf "%.2f", a/b}')" \
      "$([ "$prog" = minimal ] || echo "$rm / $rhi")"
  done
  echo "target: ratio at most 1.2 with either speech library (run ratio: each run's burst over"
  echo "the minimal program's of the same run)"
fi
if part foreground && [ -n "$foreground" ]; then
  echo
  printf '%-52s %20s\n' "foreground check, one call" "us median / least"
  echo "$foreground" | awk '
    BEGIN {
      name["per_key"] = "per guarded key, same window"
      name["window_change"] = "after a change of window"
      name["store_app_change"] = "after a change to a Store app"
      name["image_name_native"] = "image name, device form (the hook)"
      name["image_name_win32"] = "image name, Win32 form (the menu)"
    }
    { split($2, m, "="); split($3, l, "=")
      printf "%-52s %20s\n", ($1 in name) ? name[$1] : $1, m[2] " / " l[2] }'
fi
echo
echo "targets: start-up within 50 ms of minimal; idle RssAnon at most 3 MB over the floor with"
echo "the speech library (the library's own thread is not Quillet's; Quillet-floor shows it too) and"
echo "idle CPU (device stopped) no more than the floor's. CPU settle = CPU ms in the first"
echo "${settle}s after the hook; server = the prefix's wineserver, scaled to a minute; own wakes ="
echo "wake-ups of the program's own threads over the idle time (the rest of the idle CPU is"
echo "Wine's ALSA timer thread, in every program with an open device)."
