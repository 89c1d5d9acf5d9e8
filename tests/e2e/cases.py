"""The end-to-end cases. A case is a function taking a harness.Case; it raises
harness.CaseFailure (through check and the helpers) when Quillet misbehaves.
Register a new one with @case; it runs in a fresh folder with Wine reset."""

import os
import shutil

from harness import CaseFailure, check, wait_for, windows_path

CASES = []

HOT_KEY_TEXTS = [
    "Ignoring double-press for the next key only.",
    "Ignoring double-press.",
    "Double-press ignore off.",
]


def case(fn):
    CASES.append(fn)
    return fn


def start(c, speech_library="standard", settings=None):
    c.install(speech_library, settings)
    c.start_target()
    c.start_quillet()


def presses(c, vk):
    """The target's messages for one key since the mark (down/up only)."""
    return [e for e in c.key_events() if e.split()[-1] == str(vk)]


def press_release_press(key, gap_ms):
    """Press, release, and press again gap_ms after the release."""
    return ("key {k} down\nsleep 30\nkey {k} up\nsleep {g}\nkey {k} down\nsleep 30\n"
            "key {k} up\n").format(k=key, g=gap_ms)


def expect_swallowed_once(c, key, vk, name):
    """One press of a guarded key in mode 0: swallowed, its name spoken, its
    release passed (the release proves the target is in front)."""
    c.mark()
    c.driver("tap", key)
    c.wait_spoken(name)
    seen = presses(c, vk)
    check("down %d" % vk not in seen, "the press of %s reached the target: %r" % (name, seen))
    check("up %d" % vk in seen, "the release of %s did not reach the target: %r" % (name, seen))
    check(c.spoken() == [name], "spoken %r, expected just %r" % (c.spoken(), name))


# --- the double-press rule, for a function key and for Escape -----------------

GUARDED = [("f5", 116, "F5"), ("esc", 27, "Escape")]


def guarded_key_cases(key, vk, name):
    def single_swallowed(c):
        start(c)
        check(not c.box_exists("error") and not c.box_exists("Error"),
              "a message box appeared at a normal start")
        expect_swallowed_once(c, key, vk, name)
        # The same text goes to braille right after speech; the speaking thread's lines aside.
        calls = lambda: [l for l in c.speech.lines() if not l.startswith("route ")]
        expected = ["speechSetValue 65535 1", "speechSay " + name, "brailleDisplay " + name]
        check(wait_for(lambda: expected[-1] in calls(), 3), "calls %r" % calls())
        said = calls().index(expected[1])
        check(said > 0 and calls()[said - 1:said + 2] == expected,
              "calls %r, expected %r" % (calls(), expected))

    def double_passes(c):
        start(c)
        c.script(press_release_press(key, 60))
        seen = presses(c, vk)
        check(seen == ["up %d" % vk, "down %d" % vk, "up %d" % vk],
              "expected only the second press to reach the target, saw %r" % seen)
        check(c.spoken() == [name], "spoken %r, expected one %r" % (c.spoken(), name))

    def slow_double_swallowed(c):
        start(c)
        c.script(press_release_press(key, 400))
        c.wait_spoken(name)
        seen = presses(c, vk)
        check("down %d" % vk not in seen, "a press 400 ms after the release passed: %r" % seen)
        check(c.spoken() == [name, name], "spoken %r, expected %r twice" % (c.spoken(), name))

    for fn, label in ((single_swallowed, "single_%s_swallowed"),
                      (double_passes, "double_%s_passes"),
                      (slow_double_swallowed, "slow_double_%s_swallowed")):
        fn.__name__ = label % name.lower()
        case(fn)


for guarded in GUARDED:
    guarded_key_cases(*guarded)


# --- the hot key and the ignore modes -----------------------------------------

HOT_KEY = "combo ctrl+alt+esc\nsleep 300\n"


@case
def hot_key_cycles_modes(c):
    start(c)
    c.script(HOT_KEY * 3)
    c.wait_spoken(HOT_KEY_TEXTS[-1])
    check(c.spoken() == HOT_KEY_TEXTS, "announced %r" % c.spoken())
    seen = c.key_events()
    check(not [e for e in seen if e.endswith(" 27")], "an Escape event reached the target: %r" % seen)
    check("down 17" in seen, "Ctrl did not reach the target, so the test proves nothing: %r" % seen)
    # Back in mode 0: a single press is swallowed again.
    expect_swallowed_once(c, "f5", 116, "F5")


@case
def ignore_next_key_only(c):
    start(c)
    # Ctrl and Alt let go before Escape: the hot key's own release keeps the mode.
    c.script("combo ctrl+alt+esc 30 first-up\nsleep 300\n")
    c.wait_spoken(HOT_KEY_TEXTS[0])
    c.mark()
    c.driver("tap", "f5")
    seen = presses(c, 116)
    check("down 116" in seen, "the next key was not let through: %r" % seen)
    check(c.spoken() == [], "spoken %r for the key let through" % c.spoken())
    c.script("sleep 400\n")
    expect_swallowed_once(c, "f5", 116, "F5")


@case
def ignore_always(c):
    start(c)
    c.script(HOT_KEY * 2)
    c.wait_spoken(HOT_KEY_TEXTS[1])
    c.mark()
    c.script("tap f5\nsleep 400\ntap f5\nsleep 400\ntap esc\n")
    seen = c.key_events()
    check(seen.count("down 116") == 2 and seen.count("down 27") == 1,
          "not every press passed: %r" % seen)
    check(c.spoken() == [], "spoken %r while ignoring" % c.spoken())


@case
def insert_held_lets_f5_through(c):
    start(c)
    c.script("key insert down\nsleep 30\ntap f5\nsleep 30\nkey insert up\n")
    seen = presses(c, 116)
    check("down 116" in seen, "F5 with Insert held did not pass: %r" % seen)
    check(c.spoken() == [], "spoken %r with Insert held" % c.spoken())
    c.script("sleep 400\n")
    expect_swallowed_once(c, "f5", 116, "F5")


@case
def ctrl_escape_is_plain_escape(c):
    start(c)
    c.script("combo ctrl+esc\n")
    c.wait_spoken("Escape")
    seen = c.key_events()
    check("down 27" not in seen, "Ctrl+Escape's first press reached the target: %r" % seen)
    check(c.spoken() == ["Escape"], "spoken %r" % c.spoken())


@case
def alt_f4_filtered_like_f4(c):
    start(c)
    c.script("combo alt+f4\n")
    c.wait_spoken("F4")
    seen = c.key_events()
    check(not [e for e in seen if e in ("down 115", "sysdown 115")],
          "Alt+F4's first press reached the target: %r" % seen)


@case
def auto_repeat_passes_until_release(c):
    """A passed press keeps passing while held (auto-repeat); its release
    disarms the key, so a quick press after it is a new first press."""
    start(c)
    c.script("key f5 down\nsleep 30\nkey f5 up\nsleep 60\n" + "key f5 down\nsleep 40\n" * 4 +
             "key f5 up\nsleep 60\nkey f5 down\nsleep 30\nkey f5 up\n")
    seen = presses(c, 116)
    check(seen.count("down 116") == 4, "expected the 4 held presses to pass, saw %r" % seen)
    check(c.spoken() == ["F5", "F5"], "spoken %r, expected F5 twice" % c.spoken())


# --- settings file --------------------------------------------------------------

@case
def exclude_escape_setting(c):
    start(c, settings={"exclude_escape": 1, "doublePressTimeout": 300, "runAsAdmin": 0})
    c.driver("tap", "esc")
    seen = presses(c, 27)
    check("down 27" in seen, "Escape was filtered although excluded: %r" % seen)
    check(c.spoken() == [], "spoken %r for an excluded Escape" % c.spoken())
    c.script(HOT_KEY)
    c.wait_spoken(HOT_KEY_TEXTS[0])


@case
def long_timeout_setting(c):
    start(c, settings={"exclude_escape": 0, "doublePressTimeout": 1000, "runAsAdmin": 0})
    c.script(press_release_press("f5", 600))
    seen = presses(c, 116)
    check(seen.count("down 116") == 1, "a press 600 ms after the release did not pass: %r" % seen)


@case
def short_timeout_raised_to_50(c):
    start(c, settings={"exclude_escape": 0, "doublePressTimeout": 20, "runAsAdmin": 0})
    saved = c.read_settings()
    check(saved is not None and saved.get("doublePressTimeout") == 50,
          "the file was not rewritten with 50: %r" % saved)
    c.script(press_release_press("f5", 150))
    c.wait_spoken("F5")
    seen = presses(c, 116)
    check("down 116" not in seen, "a press 150 ms after the release passed: %r" % seen)
    check(c.spoken() == ["F5", "F5"], "spoken %r" % c.spoken())


# --- start-up paths -----------------------------------------------------------

@case
def second_instance_refused(c):
    start(c)
    c.start_quillet(ready=False)
    box = c.find_box("Quillet")
    text = c.read_box(box)["text"]
    check(text == ["Already running."], "box text %r" % text)
    check(not c.box_exists("Error") and not c.box_exists("error"), "another box appeared")
    c.close_box(box, "Quillet")
    counts = []
    wait_for(lambda: counts.append(c.quillet_count()) or counts[-1] == 1, 10)
    check(counts[-1] == 1, "expected one Quillet.exe left, found %d" % counts[-1])
    c.focus_target()
    expect_swallowed_once(c, "f5", 116, "F5")


@case
def speech_library_missing(c):
    start_without_ready(c, None)
    box = c.find_box("Error")
    text = c.read_box(box)["text"]
    check(text == ["Could not load required components."], "box text %r" % text)
    check(not c.box_exists("error"), "an 'error' box appeared as well")
    c.close_box(box, "Error")
    if c.try_driver("wait-process-exit", "Quillet.exe", 10000) is None:
        raise CaseFailure("Quillet.exe still runs after the box was closed")


def export_missing_case(export, line):
    """The box names the export; keys are still guarded and spoken."""
    def run(c):
        start_without_ready(c, "without_" + export)
        box = c.find_box("error")
        text = c.read_box(box)["text"]
        check(text == ["line %d:\\u0001%s Not found" % (line, export)], "box text %r" % text)
        c.close_box(box, "error")
        check(not c.box_exists("error"), "a second 'error' box appeared")
        c.focus_target()
        c.wait_ready()
        expect_swallowed_once(c, "f5", 116, "F5")
    run.__name__ = "speech_export_missing_" + export
    return run


for _export in (("speechStop", 29), ("brailleDisplay", 30)):
    case(export_missing_case(*_export))


@case
def close_ends_program(c):
    start(c)
    c.driver("close-window", c.quillet_window)
    if c.try_driver("wait-process-exit", "Quillet.exe", 10000, limit=30) is None:
        raise CaseFailure("Quillet.exe still runs 10 s after its window was asked to close")
    c.mark()
    c.driver("tap", "f5")
    seen = presses(c, 116)
    check("down 116" in seen, "F5 is still filtered after the program ended: %r" % seen)


def start_without_ready(c, speech_library):
    c.install(speech_library)
    c.start_target()
    c.start_quillet(ready=False)


# --- the stand-in speech library on its own --------------------------------------

@case
def speech_standin_library(c):
    """Each export logs one line and returns at once; brailleDisplay answers 0
    once the speaking thread found no reader but Windows' own voice; the test
    variant lacks speechStop."""
    c.install()
    dll = windows_path(os.path.join(c.folder, "UniversalSpeech.dll"))
    calls = [("speechSetValue", "65535", "1", "1"), ("speechGetValue", "65535", "0", "1"),
             ("speechSay", "Grüße, F5", "1", "1"), ("speechSay", "again", "1", "1"),
             ("speechStop", "0", "0", "1"), ("brailleDisplay", "F5", "0", "0")]
    # One process, so the library keeps its state from call to call.
    lines = ['speech "%s" %s "%s" %s\n' % (dll, name, first, second)
             for name, first, second, _ in calls]
    lines.insert(-1, 'wait-line "%s" 10000 route sapi stop\n' % windows_path(c.speech.path))
    out = c.script("".join(lines))
    check(len(out) == len(calls), "driver printed %r" % out)
    for (name, _, _, expected), line in zip(calls, out):
        fields = dict(f.split("=") for f in line.split())
        check(fields["result"] == expected, "%s returned %s" % (name, fields["result"]))
        check(int(fields["ms"]) < 250, "%s took %s ms" % (name, fields["ms"]))
    expected_log = ["speechSetValue 65535 1", "speechGetValue 65535", "speechSay Grüße, F5",
                    "speechSay again", "speechStop", "brailleDisplay F5"]
    # The speaking thread's route lines may or may not come before the process ends.
    logged = lambda: [l for l in c.speech.lines() if not l.startswith("route ")]
    check(logged() == expected_log, "log %r" % c.speech.lines())
    variant = os.path.join(c.folder, "variant")
    os.makedirs(variant)
    shutil.copy(c.build.speech_without_stop, variant)
    variant_dll = windows_path(os.path.join(variant, "UniversalSpeech.dll"))
    check(c.try_driver("speech", variant_dll, "speechStop", "0", "0") is None,
          "the variant library has speechStop")
    c.driver("speech", variant_dll, "speechSay", "still here", "1")
    check(logged()[-1] == "speechSay still here", "variant log %r" % c.speech.lines())
