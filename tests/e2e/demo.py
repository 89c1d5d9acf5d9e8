"""A narrated run of Quillet.exe: what a user would notice, told from what the
test window received and what the speech library was asked to say."""

import cases_shell as shell
from harness import CaseFailure

HOT_KEY = "combo ctrl+alt+esc\nsleep 300\n"


def say(text):
    print(text, flush=True)


def reached(c, vk):
    """How many presses of the key the test window received since the mark."""
    return c.key_events().count("down %d" % vk)


def describe(c, vk):
    n = reached(c, vk)
    got = ("the test window did not receive the press" if n == 0 else
           "the test window received %d press%s" % (n, "" if n == 1 else "es"))
    spoken = c.spoken()
    words = ("Quillet said " + ", then ".join('"%s"' % s for s in spoken) if spoken else
             "Quillet said nothing")
    say("   -> %s; %s." % (got, words))


def step(c, title, script, vk=None, wait_text=None):
    say(title)
    c.mark()
    c.script(script)
    if wait_text:
        try:
            c.wait_spoken(wait_text)
        except CaseFailure:
            pass
    if vk is not None:
        describe(c, vk)
    else:
        spoken = c.spoken()
        say("   -> Quillet said " + (", then ".join('"%s"' % s for s in spoken) or "nothing"))


def run(c):
    say("Starting a test window and Quillet.exe (/silent) under Wine...")
    try:
        c.install()
        c.start_target()
        c.start_quillet()
    except CaseFailure as e:
        say("Could not start: %s" % e)
        return False
    say("Quillet is running and its keyboard hook is in place.\n")
    step(c, "1. Pressing F5 once.", "tap f5\n", 116, "F5")
    step(c, "2. Pressing F5 twice quickly (the second press 60 ms after the release).",
         "sleep 400\nkey f5 down\nsleep 30\nkey f5 up\nsleep 60\ntap f5\n", 116)
    step(c, "3. Pressing F5 twice slowly (the second press 400 ms after the release).",
         "sleep 400\nkey f5 down\nsleep 30\nkey f5 up\nsleep 400\ntap f5\n", 116)
    step(c, "4. Pressing Escape once.", "sleep 400\ntap esc\n", 27, "Escape")
    step(c, "5. Pressing Ctrl+Alt+Escape: ignore the rule for the next key only.", HOT_KEY)
    step(c, "   Then F5 once.", "tap f5\n", 116)
    step(c, "6. Pressing Ctrl+Alt+Escape twice: through 'next key only' to 'ignore always'.",
         HOT_KEY * 2)
    step(c, "   Then F5 twice, 400 ms apart.", "tap f5\nsleep 400\ntap f5\n", 116)
    step(c, "7. Pressing Ctrl+Alt+Escape once more: the rule is on again.", HOT_KEY)
    step(c, "   Then F5 once.", "sleep 400\ntap f5\n", 116, "F5")
    step(c, "8. Pressing F5 once with Insert (a screen-reader key) held.",
         "sleep 400\nkey insert down\nsleep 30\ntap f5\nsleep 30\nkey insert up\n", 116)
    try:
        menu_demo(c)
    except CaseFailure as e:
        say("   -> the menu part stopped: %s" % e)
        return False
    say("\nDone; Quillet and the test window are closed.")
    return True


def show_menu(c):
    """Opens the menu by a right click on the icon and tells what it shows."""
    menu = shell.open_menu(c)
    for depth, _, checked, greyed, label in shell.menu_items(c, menu):
        marks = ", ".join(m for m, on in (("checked", checked), ("greyed", greyed)) if on)
        say("   %s%s%s" % ("    " * (depth + 1), label.replace("&", ""),
                           " (%s)" % marks if marks else ""))
    return menu


def menu_demo(c):
    say("\n9. Right-clicking Quillet's tray icon. The menu shows:")
    show_menu(c)
    say("   Choosing 'Ignore double-press' > 'Ignore' with the keyboard (P, Up, Enter).")
    shell.press_in_menu(c, *shell.CHOOSE_IGNORE_ALWAYS)
    c.focus_target()
    step(c, "   Then F5 twice, 400 ms apart.", "tap f5\nsleep 400\ntap f5\n", 116)
    say("   Right-clicking the icon again:")
    show_menu(c)
    say("   Choosing 'Don't ignore (default)' (P, Up, Up, Up, Enter).")
    shell.press_in_menu(c, *shell.CHOOSE_IGNORE_OFF)
    c.focus_target()
    step(c, "   Then F5 once.", "sleep 400\ntap f5\n", 116, "F5")

    say("\n10. Changing the double-press timeout: right click, 'Change double press timeout...'.")
    shell.open_menu(c)
    shell.press_in_menu(c, "t")
    dialog = c.driver("wait-window", "InputRequester", "Timeout", 5000)[0]
    say("   The dialog asks: \"%s\"" % " ".join(c.read_box(dialog)["text"]))
    say("   Typing 1000 and pressing Enter.")
    c.wait_in_front(dialog)
    c.driver("type", "1000")
    c.driver("tap", "enter")
    box = c.find_box("Changed", 5000)
    say("   A box titled 'Changed' says: \"%s\"" % " ".join(c.read_box(box)["text"]))
    c.close_box(box, "Changed")
    saved = c.read_settings() or {}
    say("   Quillet.json now holds doublePressTimeout %s." % saved.get("doublePressTimeout"))
    c.focus_target()
    step(c, "   Pressing F5 twice, the second press 600 ms after the release (too slow for the "
         "old 300 ms, quick enough for the new 1000 ms).",
         "key f5 down\nsleep 30\nkey f5 up\nsleep 600\ntap f5\n", 116)
