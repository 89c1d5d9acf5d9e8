"""The guard never waits: keys flow while the speech library hangs, a hook that
Windows dropped is put back, and the cues sounded from other threads are heard
in full through a real (file-backed) audio device."""

import os
import struct
import time

from cases import case, expect_swallowed_once, presses, press_release_press, start, HOT_KEY
from cases_settings import EXIT_BOUND_MS, measure_exit_ms
from harness import check, windows_path

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


@case
def cues_from_every_thread_are_heard_in_full(c):
    heard = os.path.join(c.folder, "heard.raw")
    home = os.path.join(c.folder, "home")
    os.makedirs(home)
    with open(os.path.join(home, ".asoundrc"), "w") as f:
        f.write('pcm.!default { type file; slave.pcm "null"; file "%s"; format "raw" }\n' % heard)
    c.env["HOME"] = home
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
