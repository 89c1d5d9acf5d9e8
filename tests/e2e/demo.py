"""A narrated run of Quillet.exe: what a user would notice, told from what the
test window received and what the speech library was asked to say."""

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
    say("\nDone; Quillet and the test window are closed.")
    return True
