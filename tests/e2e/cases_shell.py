"""End-to-end cases for the tray icon, its popup menu and every menu command.

The tray's mouse callback is posted to the hidden window as Wine's tray would
send it; menu items are chosen with real key presses; menu contents are read
from the menu itself (driver command menu-items)."""

import os
import time

from cases import HOT_KEY, HOT_KEY_TEXTS, case, expect_swallowed_once, presses
from harness import BOX_CLASS, HIDDEN_WINDOW_TITLE, CaseFailure, check, wait_for, wait_until

TRAY_CALLBACK = 12501
ICON_ID = 1  # the first icon the process adds
LEFT_UP, LEFT_DOUBLE, RIGHT_UP, RIGHT_DOUBLE = 0x202, 0x203, 0x205, 0x206
MENU_CLASS = "#32768"
WINE_TRAY_CLASS = "__winex11_standalone_tray"

TOP_LEVEL = [
    "Exclude Escape key (allow single-press for it)",
    "Change double press &timeout...",
    "Ignore double-&press",
    "&Let keys through in key_target.exe",  # the program in front
    "&Single press for",
    "Run as &admin",
    "Start with &Windows",
    "Recent &keys...",
    "E&xit",
]
SUBMENU = ["Don't ignore (default)", "Ignore for the next key &only", "Ignore"]
# The single-press submenu's items, F1 to F12, by their own names in every language.
KEYS = ["F%d" % n for n in range(1, 13)]
SINGLE_PRESS_F1 = 9
TIMEOUT_PROMPT = ("How long should Quillet wait for the second keypress (in milliseconds, "
                  "minimum 50 MS)? Currently: %d, default: 300 MS. Leave empty For no changes.")

# A second press 60 ms after the first one's release passes the filter.
ONE_ESCAPE = "key esc down\nsleep 30\nkey esc up\n"


def saved_bytes(exclude_escape, timeout, run_as_admin):
    """The settings file exactly as Quillet writes it."""
    return ("{\r\n  \"exclude_escape\"    : %d,\r\n  \"doublePressTimeout\": %d,\r\n"
            "  \"runAsAdmin\"        : %d\r\n}" % (exclude_escape, timeout, run_as_admin)).encode()


def file_bytes(c):
    try:
        with open(c.settings_path(), "rb") as f:
            return f.read()
    except FileNotFoundError:
        return None


def start(c, settings=None):
    c.install("standard", settings)
    c.start_target()
    return c.start_quillet()


def tray_click(c, mouse_message):
    c.driver("post", c.quillet_window, TRAY_CALLBACK, ICON_ID, mouse_message)


def menu_count(c):
    return int(c.driver("count-windows", MENU_CLASS)[0])


def wait_menu(c, limit=5.0):
    """Waits for the popup menu to be on screen; returns its window."""
    wait_until(lambda: menu_count(c) > 0, limit, "no popup menu opened")
    return c.driver("find-window", MENU_CLASS)[0]


def open_menu(c):
    tray_click(c, RIGHT_UP)
    menu = wait_menu(c)
    time.sleep(0.15)  # let the menu take the keyboard
    return menu


def menu_items(c, menu):
    """[(depth, id, checked, greyed, label)] of the open menu and its submenu."""
    items = []
    for line in c.driver("menu-items", menu):
        depth, ident, checked, greyed, _, label = line.split(" ", 5)
        items.append((int(depth), int(ident), checked == "1", greyed == "1", label))
    return items


def item_state(items, ident):
    found = [(checked, greyed) for _, i, checked, greyed, _ in items if i == ident]
    check(len(found) == 1, "menu item %d appears %d times: %r" % (ident, len(found), items))
    return found[0]


def wait_menu_closed(c, why):
    wait_until(lambda: menu_count(c) == 0, 3, why)


def close_menu(c):
    """One Escape: Quillet's own windows get their keys."""
    c.script(ONE_ESCAPE)
    wait_menu_closed(c, "the popup menu stayed open after one Escape")


def press_in_menu(c, *keys):
    """Keys for the open menu (mnemonics, arrows, Enter). Under Wine the first
    key a popup menu gets after a Ctrl+Alt combination is lost, so a Shift
    tap goes first."""
    c.script("".join("tap %s\nsleep 120\n" % k for k in ("shift",) + keys))
    wait_menu_closed(c, "the popup menu stayed open after choosing with %r" % (keys,))


def choose(c, *keys):
    """Opens the menu and chooses with keys."""
    open_menu(c)
    press_in_menu(c, *keys)


# Up from the submenu's opening state walks from its last item upwards.
CHOOSE_IGNORE_OFF = ("p", "up", "up", "up", "enter")
CHOOSE_IGNORE_NEXT = ("p", "o")
CHOOSE_IGNORE_ALWAYS = ("p", "up", "enter")


def tray_state(c, hwnd):
    return c.driver("tray-exists", hwnd, ICON_ID)[0]


def wait_exit(proc, limit, what):
    try:
        code = proc.wait(timeout=limit)
    except Exception:
        raise CaseFailure("Quillet.exe still runs %d s after %s" % (limit, what))
    check(code == 0, "Quillet.exe ended with code %d after %s" % (code, what))


def expect_passes(c, key, vk):
    """Brings the target to the front; one press of the key reaches it unspoken."""
    c.focus_target()
    c.mark()
    c.driver("tap", key)
    seen = presses(c, vk)
    check("down %d" % vk in seen, "a single %s did not reach the target: %r" % (key, seen))
    check(c.spoken() == [], "spoken %r for a key that should pass" % c.spoken())


# --- the icon -------------------------------------------------------------------

@case
def tray_icon_present(c):
    start(c)
    check(tray_state(c, c.quillet_window) == "present",
          "Wine's tray holds no icon %d for the hidden window" % ICON_ID)
    check(c.driver("tray-exists", c.quillet_window, ICON_ID + 1)[0] == "absent",
          "the tray holds a second icon for the hidden window")
    # A real click on the icon in Wine's tray window reaches Quillet.
    tray = c.driver("find-window", WINE_TRAY_CLASS)[0]
    left, top = map(int, c.driver("window-rect", tray)[0].split()[:2])
    c.driver("mouse", left + 8, top + 8, "right")
    wait_menu(c)
    # Wine leaves the X focus on its tray after a real click there, so the menu
    # closes only on a second Escape; the filter's part is shown elsewhere.
    c.script(ONE_ESCAPE + "sleep 100\n" + ONE_ESCAPE)
    wait_menu_closed(c, "the popup menu stayed open after two Escapes")


# --- the menu ---------------------------------------------------------------------

@case
def right_click_menu_items(c):
    start(c)
    menu = open_menu(c)
    items = menu_items(c, menu)
    top = [label for depth, _, _, _, label in items if depth == 0]
    sub = [label for depth, _, _, _, label in items if depth == 1]
    check(top == TOP_LEVEL, "top-level items %r" % top)
    check(sub == SUBMENU + KEYS, "submenu items %r" % sub)
    keys = list(range(SINGLE_PRESS_F1, SINGLE_PRESS_F1 + 12))
    check([i for d, i, _, _, _ in items] == [0, 1, -1, 2, 3, 4, 7, -1] + keys + [5, 8, 21, 6],
          "item ids %r" % [(i, l) for _, i, _, _, l in items])
    states = {i: (ch, gr) for _, i, ch, gr, _ in items}
    check(states[2] == (True, True), "'Don't ignore' is not checked and greyed: %r" % items)
    for ident in [0, 1, 3, 4, 5, 6, 7, 8, 21] + keys:
        check(states[ident] == (False, False), "item %d is checked or greyed: %r" % (ident, items))
    close_menu(c)
    check(c.driver("count-windows", "WindowClass_0", "quillet")[0] == "0",
          "the hidden window stayed visible after the menu closed")


@case
def left_click_opens_menu_once(c):
    start(c)
    # Three left clicks in one burst open one menu.
    c.script("post %s %d %d %d\n" % (c.quillet_window, TRAY_CALLBACK, ICON_ID, LEFT_UP) * 3)
    wait_menu(c)
    time.sleep(0.15)
    close_menu(c)
    time.sleep(0.4)
    check(menu_count(c) == 0, "a second menu opened after a burst of left clicks")
    # Double-click callbacks open nothing.
    tray_click(c, LEFT_DOUBLE)
    tray_click(c, RIGHT_DOUBLE)
    time.sleep(0.5)
    check(menu_count(c) == 0, "a double-click callback opened the menu")
    # Mouse moves and presses neither.
    for message in (0x200, 0x201, 0x204):
        tray_click(c, message)
    time.sleep(0.5)
    check(menu_count(c) == 0, "a mouse move or button press opened the menu")
    # A single left click still opens it.
    tray_click(c, LEFT_UP)
    wait_menu(c)
    time.sleep(0.15)
    close_menu(c)


@case
def tray_click_while_menu_open_opens_it_once(c):
    start(c)
    tray_click(c, LEFT_UP)
    wait_menu(c)
    time.sleep(0.15)
    # As a second notification of the same Enter, or a click that closes the menu.
    tray_click(c, LEFT_UP)
    time.sleep(0.3)
    check(menu_count(c) == 1, "%d menus open after a click while it was open" % menu_count(c))
    close_menu(c)
    time.sleep(0.5)
    check(menu_count(c) == 0, "the menu opened again by itself after it was closed")


@case
def taskbar_created_readds_icon(c):
    start(c)
    c.driver("tray-delete", c.quillet_window, ICON_ID)
    check(tray_state(c, c.quillet_window) == "absent", "the icon could not be taken away")
    c.driver("broadcast", "TaskbarCreated")
    wait_until(lambda: tray_state(c, c.quillet_window) == "present", 5,
               "the icon did not come back after TaskbarCreated")
    menu = open_menu(c)
    check(len(menu_items(c, menu)) == len(TOP_LEVEL + SUBMENU + KEYS),
          "the menu changed after the icon came back")
    close_menu(c)


def start_refused(c, refusals):
    """QuilletFaults.exe refusing its first adds of the icon, as at sign-in before the
    taskbar is up; returns the time before the start and the hidden window."""
    c.install("standard", exe=c.build.quillet_faults)
    c.env["QUILLET_TEST_REFUSED_ICON_ADDS"] = str(refusals)
    started = time.monotonic()
    c.start_quillet(ready=False)
    return started, c.driver("wait-window", "*", HIDDEN_WINDOW_TITLE, 15000, limit=30)[0]


@case
def taskbar_created_adds_refused_icon(c):
    _, hwnd = start_refused(c, 1)
    # In one process, well before the retry 2 s after the refusal.
    states = c.script("tray-exists {0} {1}\nbroadcast TaskbarCreated\ntray-exists {0} {1}\n"
                      .format(hwnd, ICON_ID))
    check(states == ["absent", "present"],
          "icon before and after TaskbarCreated: %r (present before: too slow a start?)" % states)
    c.wait_ready()
    check(len(menu_items(c, open_menu(c))) == len(TOP_LEVEL + SUBMENU + KEYS),
          "the menu is not whole once the icon came")
    close_menu(c)


@case
def refused_icon_comes_by_itself(c):
    started, hwnd = start_refused(c, 2)
    check(tray_state(c, hwnd) == "absent", "the icon is there although its add was refused")
    wait_until(lambda: tray_state(c, hwnd) == "present", 10,
               "the icon never came without TaskbarCreated")
    # Refused at start and at the first retry, 2 s later; taken at the second.
    came = time.monotonic() - started
    check(came >= 4, "the icon came %.1f s after the start, before the second retry" % came)


@case
def close_message_removes_icon(c):
    proc = start(c)
    hwnd = c.quillet_window
    check(tray_state(c, hwnd) == "present", "no icon before the close")
    c.driver("close-window", hwnd)
    wait_exit(proc, 10, "WM_CLOSE to its window")
    check(tray_state(c, hwnd) == "absent", "the icon stayed in the tray after the program ended")
    check(c.driver("count-windows", WINE_TRAY_CLASS)[0] == "0",
          "Wine's tray window still shows an icon")


@case
def own_windows_take_one_escape(c):
    """Quillet's menu and dialog get their keys: one Escape closes each, unspoken;
    the hook still guards the other windows, also while the dialog stays open."""
    start(c)
    open_menu(c)
    c.mark()
    close_menu(c)
    check(c.spoken() == [], "spoken %r closing the menu" % c.spoken())
    open_menu(c)
    c.driver("tap", "t")
    dialog = c.driver("wait-window", "InputRequester", "Timeout", 5000)[0]
    c.wait_in_front(dialog, "the timeout dialog never had the focus")
    c.mark()
    c.driver("tap", "esc")
    if c.try_driver("wait-no-window", "InputRequester", 5000) is None:
        raise CaseFailure("the timeout dialog stayed open after one Escape")
    time.sleep(0.3)
    check(not c.box_exists("Changed"), "Escape in the dialog changed the timeout")
    check(c.spoken() == [], "spoken %r cancelling the dialog" % c.spoken())
    c.focus_target()
    expect_swallowed_once(c, "esc", 27, "Escape")
    # The dialog open behind the target: the target's keys are guarded.
    open_menu(c)
    c.driver("tap", "t")
    dialog = c.driver("wait-window", "InputRequester", "Timeout", 5000)[0]
    c.focus_target()
    expect_swallowed_once(c, "f5", 116, "F5")
    c.driver("close-window", dialog)
    c.driver("wait-no-window", "InputRequester", 5000)


# --- menu commands ------------------------------------------------------------------

@case
def exclude_escape_through_menu(c):
    start(c, settings={"exclude_escape": 0, "doublePressTimeout": 300, "runAsAdmin": 0})
    choose(c, "down", "enter")
    wait_until(lambda: file_bytes(c) == saved_bytes(1, 300, 0), 3,
               "Quillet.json is %r, expected exclude_escape 1" % file_bytes(c))
    expect_passes(c, "esc", 27)
    menu = open_menu(c)
    check(item_state(menu_items(c, menu), 0) == (True, False),
          "'Exclude Escape key' is not checked at the next display")
    # Escape is excluded now: one press closes the menu.
    c.driver("tap", "esc")
    wait_menu_closed(c, "a single Escape did not close the menu while excluded")
    choose(c, "down", "enter")
    wait_until(lambda: file_bytes(c) == saved_bytes(0, 300, 0), 3,
               "Quillet.json is %r after switching back" % file_bytes(c))
    c.focus_target()
    expect_swallowed_once(c, "esc", 27, "Escape")


TIMEOUT_ANSWERS = [  # answer, the value it sets (None: nothing changes)
    ("250", 250),
    ("30", 50),
    ("-20", None),
    ("1e3", None),
    ("", None),
]


@case
def timeout_dialog_answers(c):
    start(c, settings={"exclude_escape": 0, "doublePressTimeout": 300, "runAsAdmin": 0})
    current = 300
    for answer, expected in TIMEOUT_ANSWERS:
        before = file_bytes(c)
        open_menu(c)
        c.driver("tap", "t")
        dialog = c.driver("wait-window", "InputRequester", "Timeout", 5000)[0]
        texts = c.read_box(dialog)["text"]
        check(TIMEOUT_PROMPT % current in texts, "prompt %r (current %d)" % (texts, current))
        c.wait_in_front(dialog, "the timeout dialog never had the focus")
        if answer:
            c.driver("type", answer)
        c.driver("tap", "enter")
        if c.try_driver("wait-no-window", "InputRequester", 5000) is None:
            raise CaseFailure("the dialog stayed open after Enter on %r" % answer)
        if expected is None:
            time.sleep(0.5)
            check(not c.box_exists("Changed"), "answer %r showed a 'Changed' box" % answer)
            check(file_bytes(c) == before, "answer %r changed the file to %r" % (answer, file_bytes(c)))
            continue
        box = c.find_box("Changed", 5000)
        text = c.read_box(box)["text"]
        check(text == ["The new double press timeout is %d MS" % expected],
              "answer %r: box text %r" % (answer, text))
        c.close_box(box, "Changed", key="enter")  # as the user guide says
        wait_until(lambda: file_bytes(c) == saved_bytes(0, expected, 0), 3,
                   "answer %r: file %r" % (answer, file_bytes(c)))
        current = expected
    # 50 ms is in force: a second press 150 ms after the release, quick
    # enough for the old timeouts, is swallowed.
    c.focus_target()
    c.mark()
    c.script("key f5 down\nsleep 30\nkey f5 up\nsleep 150\nkey f5 down\nsleep 30\nkey f5 up\n")
    c.wait_spoken("F5")
    check(c.spoken() == ["F5", "F5"], "with a 50 ms timeout, spoken %r" % c.spoken())


@case
def hot_key_mode_shown_and_menu_ignore(c):
    proc = start(c)
    c.script(HOT_KEY)
    c.wait_spoken(HOT_KEY_TEXTS[0])
    menu = open_menu(c)
    items = menu_items(c, menu)
    check(item_state(items, 3) == (True, True), "'next key only' not checked and greyed: %r" % items)
    check(item_state(items, 2) == (False, False) and item_state(items, 4) == (False, False),
          "other mode items checked or greyed: %r" % items)
    press_in_menu(c, *CHOOSE_IGNORE_ALWAYS)
    # Mode 2 lets every press through, several times over.
    c.focus_target()
    c.mark()
    c.script("tap f5\nsleep 400\ntap f5\nsleep 400\ntap esc\n")
    seen = c.key_events()
    check(seen.count("down 116") == 2 and seen.count("down 27") == 1,
          "not every press passed after choosing 'Ignore': %r" % seen)
    check(c.spoken() == [], "spoken %r while ignoring" % c.spoken())
    check(proc.poll() is None, "Quillet.exe ended (code %r) after choosing 'Ignore'" % proc.poll())
    items = menu_items(c, open_menu(c))
    check(item_state(items, 4) == (True, True), "'Ignore' not checked and greyed: %r" % items)
    # Escape passes in this mode, so one press closes the menu.
    c.driver("tap", "esc")
    wait_menu_closed(c, "Escape did not close the menu")
    # Back to the default through the menu.
    choose(c, *CHOOSE_IGNORE_OFF)
    c.focus_target()
    expect_swallowed_once(c, "f5", 116, "F5")


@case
def menu_ignore_next_key_only(c):
    start(c)
    choose(c, *CHOOSE_IGNORE_NEXT)
    c.focus_target()
    c.mark()
    c.driver("tap", "f5")
    check("down 116" in presses(c, 116), "the next key was not let through")
    c.script("sleep 400\n")
    expect_swallowed_once(c, "f5", 116, "F5")


def restart_question(c):
    choose(c, "a")
    box = c.find_box("Restart required.", 5000)
    content = c.read_box(box)
    check(content["text"] == ["Should Quillet restart right now?"], "box text %r" % content["text"])
    check(sorted(b.replace("&", "") for b in content["button"]) == ["No", "Yes"],
          "buttons %r" % content["button"])
    return box


@case
def run_as_admin_answered_no(c):
    proc = start(c, settings={"exclude_escape": 0, "doublePressTimeout": 300, "runAsAdmin": 0})
    box = restart_question(c)
    check(file_bytes(c) == saved_bytes(0, 300, 1),
          "the file was not saved with runAsAdmin 1 before the question: %r" % file_bytes(c))
    # The filter keeps guarding other windows while the question is open.
    c.focus_target()
    c.mark()
    c.driver("tap", "f5")
    c.wait_spoken("F5")
    c.driver("click-button", box, "No")
    c.driver("wait-no-window", BOX_CLASS, "Restart required.", 5000)
    time.sleep(0.5)
    check(proc.poll() is None, "Quillet.exe ended after No")
    check(c.quillet_count() == 1, "expected one Quillet.exe, found %d" % c.quillet_count())
    items = menu_items(c, open_menu(c))
    check(item_state(items, 5) == (True, False), "'Run as admin' not checked: %r" % items)
    close_menu(c)
    c.focus_target()
    expect_swallowed_once(c, "f5", 116, "F5")


@case
def run_as_admin_answered_yes(c):
    proc = start(c, settings={"exclude_escape": 0, "doublePressTimeout": 300, "runAsAdmin": 0})
    old_window = c.quillet_window
    box = restart_question(c)
    c.driver("click-button", box, "Yes")
    wait_exit(proc, 15, "answering Yes")
    check(tray_state(c, old_window) == "absent", "the old instance's icon stayed in the tray")
    check(file_bytes(c) == saved_bytes(0, 300, 1), "file %r" % file_bytes(c))
    c.focus_target()
    c.wait_ready()
    check(c.quillet_window != old_window, "the new hidden window is the old one")
    check(not c.box_exists("Quillet"), "the new instance met 'Already running.'")
    counts = []
    wait_for(lambda: counts.append(c.quillet_count()) or counts[-1] == 1, 3)
    check(counts[-1] == 1, "expected one Quillet.exe, found %d" % counts[-1])
    check(tray_state(c, c.quillet_window) == "present", "the new instance has no icon")
    c.focus_target()
    expect_swallowed_once(c, "f5", 116, "F5")
    items = menu_items(c, open_menu(c))
    check(item_state(items, 5) == (True, False), "'Run as admin' not checked after the restart")
    close_menu(c)


@case
def exit_through_menu(c):
    proc = start(c)
    hwnd = c.quillet_window
    choose(c, "x")
    wait_exit(proc, 10, "choosing E&xit")
    check(tray_state(c, hwnd) == "absent", "the icon stayed in the tray after Exit")
    check(c.quillet_count() == 0, "a Quillet.exe still runs after Exit")
    expect_passes(c, "f5", 116)


@case
def braille_confirms_menu_start_and_exit(c):
    """What each menu choice, the start and the exit did goes to the braille display
    alone: brailleDisplay, never speechSay."""
    from cases_programs import CHOOSE_F6, RUN_KEY
    brailled = lambda lines: [l[len("brailleDisplay "):] for l in lines
                              if l.startswith("brailleDisplay ")]
    c.install("standard", {"exclude_escape": 0, "doublePressTimeout": 300, "runAsAdmin": 0})
    c.start_target()
    proc = c.start_quillet(silent=False)
    # The hook's probe presses of F12 aside.
    started = [l for l in c.speech.all_lines() if not l.endswith(" F12")]
    check(brailled(started) == ["Quillet is running"], "at the start: %r" % started)
    check(not [l for l in started if l.startswith("speechSay ")], "spoken at the start: %r" % started)
    try:
        # The target is still the program last in front for "Let keys through in".
        for keys in (("l",), ("down", "enter"), CHOOSE_IGNORE_ALWAYS, CHOOSE_IGNORE_OFF,
                     CHOOSE_F6, ("w",), ("w",)):
            choose(c, *keys)
        c.driver("click-button", restart_question(c), "No")
        choose(c, "x")
        wait_exit(proc, 10, "choosing E&xit")
    finally:
        c.wine.run(["reg", "delete", RUN_KEY, "/v", "Quillet", "/f"])
    expected = ["Let keys through in key_target.exe: on", "Escape: single press",
                "Ignoring double-press.", "Double-press ignore off.", "F6: single press",
                "Start with Windows: on", "Start with Windows: off", "Run as admin: on",
                "Quillet closed"]
    check(brailled(c.speech.lines()) == expected, "shown in braille: %r" % c.speech.lines())
    check(c.spoken() == [], "spoken %r" % c.spoken())


@case
def recent_keys_window(c):
    """F5 once, F5 twice, letters, the hot key three times: "Recent keys" lists each F5
    as decided, in the target's program, the hot key's modes and no letter; Copy puts
    the report on the clipboard; one Escape closes it; nothing is written beside Quillet."""
    start(c)
    files = sorted(os.listdir(c.folder))
    c.focus_target()
    c.script("tap f5\nsleep 500\ntap f5\nsleep 60\ntap f5\nsleep 400\ntype abc\nsleep 100\n" +
             HOT_KEY * 3)
    c.wait_spoken(HOT_KEY_TEXTS[-1])
    choose(c, "k")
    window = c.driver("wait-window", "QuilletRecentKeys", "Recent keys", 5000)[0]
    c.wait_in_front(window, "the Recent keys window never had the focus")
    texts = c.driver("dialog-text", window)
    lines = [t[len("text="):] for t in texts if t.startswith("text=")][0].split("\\u000d\\u000a")
    print("note: Recent keys lists:\n  " + "\n  ".join(lines), flush=True)
    f5 = [l.split(" ", 1)[1] for l in lines if " F5 " in l]
    first, second = "swallowed, spoken (first press)", "passed (second press within 300 milliseconds)"
    check(f5 == ["F5 in key_target.exe: " + w for w in (first, first, second)], "F5 listed %r" % f5)
    hot = [l.split(" ", 1)[1] for l in lines if "Escape" in l]
    check(hot == ["Ctrl+Alt+Escape: hot key, " + t for t in HOT_KEY_TEXTS], "hot key listed %r" % hot)
    check(len([l for l in lines if " F12 " not in l]) == 6,
          "more than the start's F12, F5 and the hot key listed: %r" % lines)
    check("button=&Copy" in texts and "button=Close" in texts, "buttons %r" % texts)
    c.driver("click-button", window, "&Copy")
    report = c.driver("clipboard")[0].split("\\u000d\\u000a")
    print("note: Copy gives:\n  " + "\n  ".join(report), flush=True)
    check(report[0].startswith("Quillet ") and report[1].startswith("Windows: ") and
          "Programs that get their keys: 0" in report and report[-len(lines) - 1:-1] == lines,
          "the clipboard holds %r" % report)
    c.mark()
    c.driver("tap", "esc")
    if c.try_driver("wait-no-window", "QuilletRecentKeys", 5000) is None:
        raise CaseFailure("the Recent keys window stayed open after one Escape")
    check(c.spoken() == [], "spoken %r closing the window" % c.spoken())
    check(sorted(os.listdir(c.folder)) == files, "files beside Quillet now %r" % os.listdir(c.folder))
