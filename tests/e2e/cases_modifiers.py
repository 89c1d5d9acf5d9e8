"""A press Quillet swallows while Alt or Win is held, or Ctrl+Shift alone, would leave
the modifier going down and up with nothing between, which Windows takes as a
command of its own (menu bar, Start menu, keyboard layout): Quillet sends virtual
key 255 between. Keys typed through the X server with xdotool, as in cases_reader."""

import os
import time

from cases import HOT_KEY_TEXTS, case, start
from cases_reader import TIMEOUT_S, xdotool
from harness import TARGET_ACTIVATE, LogFile, check, windows_path

NO_OP = 255
# modifiers (xdotool names, with the first's key code in the target), key, its code, its name
CHORDS = [(("alt",), 18, "F4", 115, "F4"),
          (("alt",), 18, "Escape", 27, "Escape"),
          (("super",), 91, "F5", 116, "F5"),
          (("ctrl", "shift"), 17, "F5", 116, "F5")]
MODIFIER_CODES = {"18", "91", "17", "16"}


def type_chord(c, modifiers, *keys, modifiers_first=False):
    """With modifiers_first, the modifiers go up before the (last) key, as many
    people let go."""
    args = []
    for m in modifiers:
        args += ["keydown", m, "sleep", 0.03]
    for k in keys:
        args += ["keydown", k, "sleep", 0.03]
        if not modifiers_first:
            args += ["keyup", k, "sleep", 0.06]
    for m in reversed(modifiers):
        args += ["keyup", m, "sleep", 0.03]
    if modifiers_first:
        for k in keys:
            args += ["keyup", k, "sleep", 0.06]
    xdotool(c, *args)


def start_typed(c):
    start(c)
    xdotool(c, "search", "--name", "Quillet key target", "windowfocus", "--sync")


@case
def no_op_key_between_a_modifier_and_its_release(c):
    start_typed(c)
    for modifiers, _, key, vk, name in CHORDS:
        time.sleep(TIMEOUT_S + 0.1)
        c.mark()
        type_chord(c, modifiers, key)
        c.wait_spoken(name)
        seen = c.key_events()
        what = "%s+%s: %r" % ("+".join(modifiers), key, seen)
        check(not [e for e in seen if e in ("down %d" % vk, "sysdown %d" % vk)],
              "the first press reached the target, " + what)
        check(c.spoken() == [name], "spoken %r, %s" % (c.spoken(), what))
        no_ops = [n for n, e in enumerate(seen) if e in ("down 255", "sysdown 255")]
        releases = [n for n, e in enumerate(seen)
                    if e.split()[0] in ("up", "sysup") and e.split()[1] in MODIFIER_CODES]
        check(len(no_ops) == 1, "expected one no-op key, " + what)
        check(releases and no_ops[0] < releases[0],
              "the no-op key came after the modifier's release, " + what)
    time.sleep(TIMEOUT_S + 0.1)
    c.mark()
    type_chord(c, (), "F5")
    c.wait_spoken("F5")
    seen = c.key_events()
    check("up 116" in seen and not [e for e in seen if e.endswith(" %d" % NO_OP)],
          "a plain F5: %r" % seen)


@case
def alt_f4_twice_closes_the_window(c):
    start_typed(c)
    type_chord(c, ("alt",), "F4", "F4")
    c.driver("wait-no-window", "QuilletKeyTarget", "Quillet key target", 3000)
    check(c.spoken() == ["F4"], "spoken %r" % c.spoken())


@case
def hot_key_let_go_modifiers_first_then_f7(c):
    """Ctrl and Alt let go first, Escape held on past the repeat delay: its repeats
    and its release are the hot key's, and the mode waits for F7."""
    start_typed(c)
    xdotool(c, "keydown", "ctrl", "sleep", 0.03, "keydown", "alt", "sleep", 0.03, "keydown",
            "Escape", "sleep", 0.05, "keyup", "alt", "sleep", 0.03, "keyup", "ctrl", "sleep", 1.2,
            "keyup", "Escape")
    c.wait_spoken(HOT_KEY_TEXTS[0])
    seen = c.key_events()
    check(not [e for e in seen if e.endswith(" 27")], "Escape reached the target: %r" % seen)
    check(c.spoken() == [HOT_KEY_TEXTS[0]], "spoken %r" % c.spoken())
    time.sleep(0.3)
    c.mark()
    type_chord(c, (), "F7")
    time.sleep(0.5)
    seen = c.key_events()
    check("down 118" in seen, "F7 after the hot key was not let through: %r" % seen)
    check(c.spoken() == [], "spoken %r for the key let through" % c.spoken())


@case
def held_second_press_stays_with_its_window(c):
    """A second F5 held while another window comes to the front: its repeats reach
    only the window it was pressed in."""
    start_typed(c)
    other_log = LogFile(os.path.join(c.folder, "other.log"))
    c.wine.spawn([c.build.target, windows_path(other_log.path), "Other target"], cwd=c.folder,
                 env=c.env)
    other = c.driver("wait-window", "QuilletKeyTarget", "Other target", 15000, limit=30)[0]
    c.focus_target()
    xdotool(c, "search", "--name", "Quillet key target", "windowfocus", "--sync")
    c.mark()
    xdotool(c, "keydown", "F5", "sleep", 0.05, "keyup", "F5", "sleep", 0.1, "keydown", "F5",
            "sleep", 0.9)
    c.driver("post", other, TARGET_ACTIVATE, 0, 0)
    c.wait_in_front(other)
    time.sleep(0.8)  # the key repeats on meanwhile
    xdotool(c, "keyup", "F5")
    seen = c.key_events()
    check(seen.count("down 116") >= 2, "the second F5 did not repeat in its window: %r" % seen)
    elsewhere = [l for l in other_log.all_lines() if l.startswith("down")]
    check(not elsewhere, "the held F5 repeated into the window that came to the front: %r"
          % elsewhere)

