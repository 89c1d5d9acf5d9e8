"""Quillet beside a screen reader's own keyboard hook (readers/reader_hook.exe),
with keys typed as a person types them: through the X server with xdotool, so
that Wine hands them to the hooks as hardware input, not injected. The reader
traps its modifier Insert, runs modifier+F12 as a command, and passes Escape on
by sending it again after a delay. Each case runs with either hook on top: the
hook installed last is called first."""

import os
import subprocess
import time

from cases import case, presses
from harness import LogFile, check, wait_for, wait_until, windows_path

ESCAPE, F5, F12 = 27, 116, 123
TIMEOUT_S = 0.3  # the default double-press timeout


def start_beside_reader(c, quillet_on_top, resend_ms=0, focus_mode=False, option=None):
    """The key target, Quillet and the reader, started so that the wanted hook is on top.
    `option` is the reader's third argument (e.g. "eat-up=116,2")."""
    c.install()
    c.start_target()
    c.reader = LogFile(os.path.join(c.folder, "reader.log"))

    def start_reader():
        c.wine.spawn([c.build.reader_hook, windows_path(c.reader.path), str(resend_ms)] +
                     (["focus"] if focus_mode else []) + ([option] if option else []), cwd=c.folder,
                     env=c.env)
        wait_until(lambda: "hooked" in c.reader.all_lines(), 15, "the reader never hooked")

    if quillet_on_top:
        start_reader()
    c.start_quillet()
    if not quillet_on_top:
        start_reader()
    # Typed keys go to the X window with the input focus: the target's.
    xdotool(c, "search", "--name", "Quillet key target", "windowfocus", "--sync")
    c.mark()


def xdotool(c, *args):
    code = subprocess.run(["timeout", "-k", "2", "20", "xdotool"] + [str(a) for a in args],
                          env=c.env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE).returncode
    check(code == 0, "xdotool %s failed (exit %d)" % (" ".join(map(str, args)), code))


def type_keys(c, *presses_):
    """Types (key, held ms, pause ms after) in one xdotool run, so the timing holds."""
    args = []
    for key, held, pause in presses_:
        args += ["keydown", key, "sleep", held / 1000, "keyup", key, "sleep", pause / 1000]
    xdotool(c, *args)


def chord(c, modifier, key):
    xdotool(c, "keydown", modifier, "sleep", 0.03, "keydown", key, "sleep", 0.03, "keyup", key,
            "sleep", 0.03, "keyup", modifier)


# re-send delay, how long each press is held, pause between release and next press
TIMINGS = [("resent_at_once_held_80ms", 0, 80, 60),
           ("resent_after_15ms", 15, 30, 60),
           ("resent_after_150ms", 150, 40, 70)]  # 110 ms from press to press


def browse_mode_escape_case(quillet_on_top, name, resend_ms, held, pause):
    def fn(c):
        start_beside_reader(c, quillet_on_top, resend_ms)
        settle = resend_ms / 1000 + 0.3
        type_keys(c, ("Escape", held, 0))
        time.sleep(settle)
        check("down 27" not in presses(c, ESCAPE),
              "a single Escape reached the page: %r" % presses(c, ESCAPE))
        check(c.spoken() == ["Escape"], "spoken %r, expected one Escape" % c.spoken())
        for n in range(2):
            time.sleep(TIMEOUT_S + 0.2)
            c.mark()
            type_keys(c, ("Escape", held, pause), ("Escape", held, 0))
            time.sleep(settle)
            downs = [e for e in presses(c, ESCAPE) if e.startswith("down")]
            check(len(downs) == 1, "double Escape %d: %d presses reached the page (%r)"
                  % (n + 1, len(downs), presses(c, ESCAPE)))
            check(c.spoken() == ["Escape"], "double Escape %d: spoken %r" % (n + 1, c.spoken()))
    fn.__name__ = "browse_mode_escape_%s_%s" % ("quillet_on_top" if quillet_on_top
                                                else "reader_on_top", name)
    return fn


for _on_top in (True, False):
    for _timing in TIMINGS:
        case(browse_mode_escape_case(_on_top, *_timing))


@case
def focus_mode_double_escape_quillet_on_top(c):
    """In focus mode the reader keeps the first Escape for good (it only switches to
    browse mode) and sends the second again: a quick double reaches the page once,
    and a single Escape after it does not."""
    start_beside_reader(c, True, 15, focus_mode=True)
    type_keys(c, ("Escape", 40, 60), ("Escape", 40, 0))
    time.sleep(0.4)
    check("kept 27" in c.reader.all_lines(), "the reader kept no Escape, so this proves nothing")
    downs = [e for e in presses(c, ESCAPE) if e.startswith("down")]
    check(len(downs) == 1, "double Escape: %d presses reached the page (%r)"
          % (len(downs), presses(c, ESCAPE)))
    check(c.spoken() == ["Escape"], "double Escape: spoken %r" % c.spoken())
    time.sleep(TIMEOUT_S)
    c.mark()
    type_keys(c, ("Escape", 40, 0))
    time.sleep(0.4)
    check("down 27" not in presses(c, ESCAPE),
          "a single Escape reached the page: %r" % presses(c, ESCAPE))
    check(c.spoken() == ["Escape"], "single Escape: spoken %r" % c.spoken())


@case
def numpad_insert_released_as_numpad_0(c):
    """NumLock toggled while the reader's numpad Insert is held: its release comes
    as numpad 0, and the guard is back afterwards."""
    start_beside_reader(c, True)
    xdotool(c, "keydown", "KP_Insert", "sleep", 0.05, "key", "Num_Lock", "sleep", 0.05,
            "keyup", "KP_Insert", "sleep", 0.05, "key", "Num_Lock")
    time.sleep(TIMEOUT_S)
    c.mark()
    type_keys(c, ("F5", 40, 0))
    c.wait_spoken("F5")
    check("down 116" not in presses(c, F5), "a single F5 reached the target: %r" % presses(c, F5))


def reader_command_case(quillet_on_top):
    def fn(c):
        start_beside_reader(c, quillet_on_top)
        chord(c, "Insert", "F12")
        wait_until(lambda: "command F12" in c.reader.lines(), 5, "the reader's command never ran")
        if quillet_on_top:  # below the reader Quillet never sees its modifier
            chord(c, "Insert", "F5")
            wait_for(lambda: "up 116" in presses(c, F5), 3)
            check(presses(c, F5) == ["down 116", "up 116"],
                  "modifier+F5 did not pass untouched: %r" % presses(c, F5))
        time.sleep(0.5)
        check(c.spoken() == [], "Quillet spoke over the reader: %r" % c.spoken())
        check("down 123" not in presses(c, F12), "the reader's command key reached the target")
    fn.__name__ = "reader_command_%s" % ("quillet_on_top" if quillet_on_top else "reader_on_top")
    return fn


case(reader_command_case(True))
case(reader_command_case(False))


@case
def release_eaten_above_ends_its_press_at_the_next_key(c):
    """The reader's hook above Quillet's eats the release of a second press of F5,
    so Quillet and Windows both still take F5 for down; a key typed since ends it, and
    one F5 later is a first press again."""
    start_beside_reader(c, quillet_on_top=False, option="eat-up=%d,2" % F5)
    type_keys(c, ("F5", 40, 100), ("F5", 40, 300))
    wait_until(lambda: "ate up" in c.reader.all_lines(), 3, "the reader ate no release")
    type_keys(c, ("a", 30, 400))
    c.mark()
    type_keys(c, ("F5", 40, 100))
    c.wait_spoken("F5")
    seen = [e for e in c.key_events() if e.endswith(" %d" % F5)]
    check(seen == ["up %d" % F5], "one F5 after a lost release reached the target: %r" % seen)
