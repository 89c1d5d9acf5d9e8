"""The guard never waits: keys flow while the speech library hangs, a hook that
Windows dropped is put back, the cues sounded from other threads are heard
in full through a real (file-backed) audio device, and an audio device whose
start and stop hang holds up neither the keys, nor the menu, nor the end."""

import os
import struct
import time

from cases import case, expect_swallowed_once, presses, press_release_press, start, HOT_KEY
from cases_settings import EXIT_BOUND_MS, measure_exit_ms
from harness import HIDDEN_WINDOW_TITLE, CaseFailure, check, windows_path

LETTER_A = 65


@case
def hung_speech_never_holds_up_a_key(c):
    """speechSay takes 2.5 s here, as with a busy screen reader."""
    start(c, speech_library="slow_speechSay")
    c.script("tap f5\nsleep 80\nkey a down\nwait-line %s 250 down %d\nkey a up\n"
             % (windows_path(c.keys.path), LETTER_A))
    check("down 116" not in presses(c, 116), "the single F5 reached the target")
    c.wait_spoken("F5", limit=10)
    c.mark()
    c.script(press_release_press("f6", 60))
    check(presses(c, 117) == ["up 117", "down 117", "up 117"],
          "a quick double F6 did not pass exactly once: %r" % presses(c, 117))


@case
def dropped_hook_is_put_back(c):
    c.install(exe=c.build.quillet_faults)
    c.start_target()
    c.start_quillet()
    c.driver("set-event", "QuilletTestDropHook")
    time.sleep(0.3)
    c.driver("tap", "f5")
    check("down 116" in presses(c, 116), "F5 was still filtered after the hook was dropped")
    time.sleep(1.5)  # the watchdog's second, and some
    # One hook again, not two: a single press is spoken once and a double passes once.
    expect_swallowed_once(c, "f7", 118, "F7")
    c.mark()
    c.script(press_release_press("f6", 60))
    check(presses(c, 117) == ["up 117", "down 117", "up 117"], "double F6: %r" % presses(c, 117))


# --- cues heard through ALSA's file plugin ---------------------------------------

RATE = 48000
FRAME = struct.Struct("<ff")
CLIP_ON_FRAMES, CLIP_OFF_FRAMES = 27973, 40112


def heard_segments(path, gap=RATE // 20):
    """(start, length) in frames of each stretch of sound in a raw stereo float
    file; stretches less than `gap` frames apart count as one."""
    with open(path, "rb") as f:
        data = f.read()
    segments = []
    for n, (left, right) in enumerate(FRAME.iter_unpack(data[:len(data) // 8 * 8])):
        if left == 0.0 and right == 0.0:
            continue
        if segments and n - (segments[-1][0] + segments[-1][1]) < gap:
            segments[-1][1] = n - segments[-1][0] + 1
        else:
            segments.append([n, 1])
    return segments


def file_backed_audio(c):
    """Gives Wine an audio device that writes what it plays, paced in real time,
    into a raw file of the case folder; returns the file's path."""
    heard = os.path.join(c.folder, "heard.raw")
    home = os.path.join(c.folder, "home")
    os.makedirs(home)
    with open(os.path.join(home, ".asoundrc"), "w") as f:
        f.write('pcm.!default { type file; slave.pcm "null"; file "%s"; format "raw" }\n' % heard)
    c.env["HOME"] = home
    return heard


@case
def cues_from_every_thread_are_heard_in_full(c):
    heard = file_backed_audio(c)
    c.install()
    c.start_target()
    c.wine.spawn([os.path.join(c.folder, "Quillet.exe")], cwd=c.folder, env=c.env)  # start cue
    c.wait_ready()
    time.sleep(0.5)
    c.script(HOT_KEY)  # mode 1: ClipOn at 1.5 times its rate, from the feedback worker
    c.wait_spoken("Ignoring double-press for the next key only.")
    time.sleep(1.0)
    exit_ms = measure_exit_ms(c)
    check(exit_ms is not None, "Quillet.exe did not end after WM_CLOSE")
    segments = heard_segments(heard)
    expected = [CLIP_ON_FRAMES, CLIP_ON_FRAMES / 1.5, CLIP_OFF_FRAMES]
    lengths = [length for _, length in segments]
    check(len(lengths) == 3 and all(0.95 * e <= l <= 1.02 * e for l, e in zip(lengths, expected)),
          "heard %r frames, expected about %r" % (lengths, [int(e) for e in expected]))
    # The device buffers ahead of what the file has, so the process may end before the
    # file holds the whole cue; the cue's length plus the wait's margin bounds it.
    check(exit_ms <= 836 + 250 + EXIT_BOUND_MS, "ended only %d ms after WM_CLOSE" % exit_ms)


# --- an audio device that hangs in its start and stop ----------------------------

MENU_OPEN_BOUND_MS = 1000
END_BOUND_MS = 2000
TRAY_RIGHT_CLICK = "post %s 12501 1 517"  # the tray callback with WM_RBUTTONUP


def windows_pid(c, hwnd):
    for line in c.driver("list-windows"):
        if line.startswith(hwnd + " pid="):
            return line.split()[1][len("pid="):]
    raise CaseFailure("no process for window %s" % hwnd)


def start_with_hanging_audio(c, settings=None):
    """QuilletFaults.exe with a working device, until the test's event makes every
    start and stop of the device hang; the hot key's cue then hangs the output
    thread for good. Keys are still guarded, and the menu opens within its bound."""
    file_backed_audio(c)
    c.install(exe=c.build.quillet_faults, settings=settings)
    c.start_target()
    proc = c.start_quillet()
    pid = windows_pid(c, c.quillet_window)
    c.driver("set-event", "QuilletTestHangAudio")
    c.script(HOT_KEY * 3)  # back to mode 0; the first cue's device start hangs
    c.mark()
    c.driver("tap", "f5")
    time.sleep(1.0)
    check("down 116" not in presses(c, 116), "a single F5 passed while the device hung")
    check("F5" not in c.spoken(), "F5 was spoken: the output thread never hung")
    c.mark()
    c.script(press_release_press("f6", 60))
    check(presses(c, 117) == ["up 117", "down 117", "up 117"],
          "a quick double F6 did not pass exactly once: %r" % presses(c, 117))
    out = c.script("%s\nwait-window #32768 %d\n" % (TRAY_RIGHT_CLICK % c.quillet_window,
                                                      MENU_OPEN_BOUND_MS))
    check(out, "the menu did not open within %d ms" % MENU_OPEN_BOUND_MS)
    time.sleep(0.15)  # let the menu take the keyboard
    return proc, pid


def expect_end_within_bound(c, pid, script, what):
    code, _, err = c.wine.run([c.build.driver, "script", "-"], limit=30, env=c.env,
                              stdin_text=script + "wait-process-exit %s %d\n" % (pid, END_BOUND_MS))
    check(code == 0, "Quillet.exe still ran %d ms after %s: %s" % (END_BOUND_MS, what, err.strip()))


@case
def hung_audio_device_holds_up_neither_keys_nor_menu_nor_exit(c):
    proc, pid = start_with_hanging_audio(c)
    # A Shift tap first: Wine's menu loses the first key after a Ctrl+Alt combination.
    expect_end_within_bound(c, pid, "tap shift\nsleep 120\ntap x\n", "choosing E&xit")
    proc.wait(timeout=10)


@case
def hung_audio_device_holds_up_no_restart(c):
    proc, pid = start_with_hanging_audio(
        c, settings={"exclude_escape": 0, "doublePressTimeout": 300, "runAsAdmin": 0})
    c.script("tap shift\nsleep 120\ntap a\n")
    box = c.find_box("Restart required.", 5000)
    expect_end_within_bound(c, pid, "click-button %s Yes\n" % box, "answering Yes")
    proc.wait(timeout=10)
    window = c.try_driver("wait-window", "*", HIDDEN_WINDOW_TITLE, 15000, limit=30)
    check(window and window[0] != c.quillet_window, "no new instance after the restart")
