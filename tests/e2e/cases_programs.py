"""Programs that get their keys, and starting with Windows. A copy of the key
target under another file name stands for a listed program; keys are typed
through the X server with xdotool, as a person types them. The menu's two items
are chosen with their mnemonics; the Run value is read back with Wine's reg."""

import json
import os
import shutil
import time

from cases import HOT_KEY_TEXTS, case
from cases_reader import TIMEOUT_S, chord, type_keys, xdotool
from cases_shell import (choose, close_menu, file_bytes, item_state, menu_items, open_menu,
                         saved_bytes)
from harness import LogFile, check, wait_for, wait_until, windows_path

LISTED_EXE = "ListedTarget.exe"
LISTED_TITLE = "Listed key target"
PLAIN_TITLE = "Quillet key target"
LET_KEYS_THROUGH, START_WITH_WINDOWS = 7, 8
NO_PROGRAM_LABEL = "&Let keys through in the program in front"
RUN_KEY = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"
APPROVED_KEY = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run"
DEFAULTS = {"exclude_escape": 0, "doublePressTimeout": 300, "runAsAdmin": 0}


def spawn_copy(c, exe, *args):
    """A copy of the key target named exe, logging to c.listed, a window's title first."""
    path = os.path.join(c.folder, exe)
    shutil.copy(c.build.target, path)
    c.wine.spawn([path, windows_path(c.listed.path)] + list(args), cwd=c.folder, env=c.env)


def start_listed(c, exe=LISTED_EXE, window_class="QuilletKeyTarget"):
    """The copy under its own name and title, in front; its keys go to c.listed."""
    c.listed = LogFile(os.path.join(c.folder, "listed.log"))
    spawn_copy(c, exe, LISTED_TITLE, window_class)
    c.listed_window = c.driver("wait-window", window_class, LISTED_TITLE, 15000, limit=30)[0]
    wait_until(lambda: "focus" in c.listed.all_lines(), 5, "the listed target never got the focus")


def start_both(c, programs, start=start_listed):
    """The plain target and Quillet (its probe key needs a guarded window in front),
    then the listed copy."""
    c.install(settings=None)
    with open(c.settings_path(), "w") as f:
        json.dump(dict(DEFAULTS, exemptPrograms=programs), f, separators=(",", ":"))
    c.start_target()
    c.start_quillet()
    start(c)


def bring_forward(c, window, title, settle=True):
    """Makes the window the foreground one and gives it the X input focus."""
    c.driver("post", window, 0x8001, 0, 0)
    c.wait_in_front(window, "%r never came to the front" % title)
    xdotool(c, "search", "--name", "^%s$" % title, "windowfocus", "--sync")
    if settle:
        time.sleep(TIMEOUT_S)
        c.mark()
        c.listed.mark()


def downs(log, vk):
    time.sleep(0.3)
    return [l for l in log.lines() if l in ("down %d" % vk, "up %d" % vk)]


def expect_untouched(c, key, vk):
    type_keys(c, (key, 30, 0))
    seen = downs(c.listed, vk)
    check(seen == ["down %d" % vk, "up %d" % vk], "a single %s in the listed program: %r" %
          (key, seen))
    check(c.spoken() == [], "spoken %r in the listed program" % c.spoken())


@case
def programs_listed_get_single_presses(c):
    start_both(c, [LISTED_EXE.upper()])
    bring_forward(c, c.listed_window, LISTED_TITLE)
    expect_untouched(c, "F5", 116)
    time.sleep(TIMEOUT_S + 0.1)
    c.mark()
    c.listed.mark()
    expect_untouched(c, "Escape", 27)
    # The plain target is guarded, from its first key on.
    bring_forward(c, c.target_window, PLAIN_TITLE)
    type_keys(c, ("F5", 30, 0))
    c.wait_spoken("F5")
    seen = downs(c.keys, 116)
    check(seen == ["up 116"], "a single F5 in the plain target: %r" % seen)
    # Back in the listed one: its first key is let through, and the hot key still acts.
    bring_forward(c, c.listed_window, LISTED_TITLE)
    expect_untouched(c, "F5", 116)
    chord(c, "ctrl+alt", "Escape")
    c.wait_spoken(HOT_KEY_TEXTS[0])
    check(c.spoken() == [HOT_KEY_TEXTS[0]], "spoken %r after the hot key" % c.spoken())
    check(not [l for l in c.listed.lines() if l.endswith(" 27")],
          "the hot key's Escape reached the listed program: %r" % c.listed.lines())


@case
def release_in_another_window_ends_its_press(c):
    """The window in front changes while a key is held: its release, there, ends
    what its press began and nothing else."""
    start_both(c, [LISTED_EXE])
    # A second F5 let through in the plain target, released in the listed program.
    bring_forward(c, c.target_window, PLAIN_TITLE)
    xdotool(c, "keydown", "F5", "sleep", 0.03, "keyup", "F5", "sleep", 0.06, "keydown", "F5")
    bring_forward(c, c.listed_window, LISTED_TITLE, settle=False)
    xdotool(c, "keyup", "F5")
    bring_forward(c, c.target_window, PLAIN_TITLE)
    type_keys(c, ("F5", 30, 0))
    c.wait_spoken("F5")
    check(downs(c.keys, 116) == ["up 116"], "a single F5 passed: %r" % downs(c.keys, 116))
    # Escape pressed in the listed program, released in the plain target.
    bring_forward(c, c.listed_window, LISTED_TITLE)
    xdotool(c, "keydown", "Escape")
    bring_forward(c, c.target_window, PLAIN_TITLE, settle=False)
    c.mark()
    xdotool(c, "keyup", "Escape", "sleep", 0.1, "keydown", "Escape", "sleep", 0.03, "keyup",
            "Escape")
    c.wait_spoken("Escape")
    check(downs(c.keys, 27) == ["up 27", "up 27"], "Escape after its release elsewhere: %r" %
          downs(c.keys, 27))


def let_keys_through(items):
    found = [(label, checked, greyed) for _, i, checked, greyed, label in items
             if i == LET_KEYS_THROUGH]
    check(len(found) == 1, "no single 'Let keys through' item: %r" % items)
    return found[0]


@case
def programs_menu_item_adds_and_removes(c):
    c.install(settings=DEFAULTS)
    c.start_quillet()
    # Nothing else has been in front yet.
    items = menu_items(c, open_menu(c))
    check(let_keys_through(items) == (NO_PROGRAM_LABEL, False, True),
          "with no program known: %r" % (let_keys_through(items),))
    close_menu(c)
    c.start_target()
    start_listed(c)
    items = menu_items(c, open_menu(c))
    check(let_keys_through(items) == ("&Let keys through in " + LISTED_EXE, False, False),
          "with the listed target in front: %r" % (let_keys_through(items),))
    close_menu(c)
    bring_forward(c, c.listed_window, LISTED_TITLE)
    choose(c, "l")
    wait_until(lambda: (c.read_settings() or {}).get("exemptPrograms") == [LISTED_EXE], 3,
               "the program was not added: %r" % file_bytes(c))
    bring_forward(c, c.listed_window, LISTED_TITLE)
    expect_untouched(c, "F5", 116)
    items = menu_items(c, open_menu(c))
    check(let_keys_through(items)[1:] == (True, False), "not checked once listed: %r" % items)
    close_menu(c)
    bring_forward(c, c.listed_window, LISTED_TITLE)
    choose(c, "l")
    wait_until(lambda: file_bytes(c) == saved_bytes(0, 300, 0), 3,
               "the emptied list left %r" % file_bytes(c))
    bring_forward(c, c.listed_window, LISTED_TITLE)
    type_keys(c, ("F5", 30, 0))
    c.wait_spoken("F5")
    check(downs(c.listed, 116) == ["up 116"], "F5 passed after the program was removed")


STORE_APP_EXE = "StoreApp.exe"


def start_store_app(c):
    """A Store app as Windows shows it: a frame of ApplicationFrameHost.exe in front,
    and inside it the app's own window, from the app's process. Both log to c.listed."""
    start_listed(c, "ApplicationFrameHost.exe", "ApplicationFrameWindow")
    spawn_copy(c, STORE_APP_EXE, "Store app", "Windows.UI.Core.CoreWindow", c.listed_window)
    wait_until(lambda: "inside" in c.listed.all_lines(), 15, "the app never went into its frame")


@case
def programs_store_app_by_its_own_process(c):
    start_both(c, [STORE_APP_EXE], start_store_app)
    bring_forward(c, c.listed_window, LISTED_TITLE)
    expect_untouched(c, "F5", 116)
    items = menu_items(c, open_menu(c))
    check(let_keys_through(items) == ("&Let keys through in " + STORE_APP_EXE, True, False),
          "with a Store app in front: %r" % (let_keys_through(items),))
    close_menu(c)


def run_value(c, key=RUN_KEY, kind="REG_SZ"):
    """The value's data as reg shows it, or None when there is none."""
    code, out, _ = c.wine.run(["reg", "query", key, "/v", "Quillet"])
    if code != 0:
        return None
    for line in out.splitlines():
        parts = line.strip().split(None, 2)
        if parts[:2] == ["Quillet", kind]:
            return parts[2] if len(parts) == 3 else ""
    return None


def reg_add(c, key, *value):
    code, _, err = c.wine.run(["reg", "add", key, "/v", "Quillet"] + list(value) + ["/f"])
    check(code == 0, "reg add failed: %s" % err.strip())


def start_with_windows_state(c):
    return item_state(menu_items(c, open_menu(c)), START_WITH_WINDOWS)


@case
def programs_start_with_windows_writes_run_value(c):
    ours = '"%s" /silent' % windows_path(os.path.join(c.folder, "Quillet.exe"))
    other = '"C:\\Elsewhere\\Quillet.exe" /silent'
    reg_add(c, RUN_KEY, "/d", other)
    try:
        c.install(settings=DEFAULTS)
        c.start_quillet()
        check(start_with_windows_state(c) == (False, False), "checked while naming another copy")
        close_menu(c)
        choose(c, "w")
        wait_until(lambda: run_value(c) == ours, 3, "the Run value is %r" % run_value(c))
        check(start_with_windows_state(c) == (True, False), "not checked once written")
        close_menu(c)
        choose(c, "w")
        wait_until(lambda: run_value(c) is None, 3, "the Run value stayed: %r" % run_value(c))
        check(start_with_windows_state(c) == (False, False), "checked once removed")
        close_menu(c)
    finally:
        c.wine.run(["reg", "delete", RUN_KEY, "/v", "Quillet", "/f"])


@case
def programs_start_with_windows_enables_in_task_manager(c):
    ours = '"%s" /silent' % windows_path(os.path.join(c.folder, "Quillet.exe"))
    approved = lambda: run_value(c, APPROVED_KEY, "REG_BINARY")
    reg_add(c, RUN_KEY, "/d", ours)
    # As Task Manager's Startup tab leaves it: disabled, with the time it was.
    reg_add(c, APPROVED_KEY, "/t", "REG_BINARY", "/d", "03000000d0ba8e0e5b4cd901")
    try:
        c.install(settings=DEFAULTS)
        c.start_quillet()
        check(start_with_windows_state(c) == (False, False),
              "checked while Task Manager says disabled")
        close_menu(c)
        choose(c, "w")
        wait_until(lambda: approved() == "02" + "00" * 11, 3,
                   "Task Manager's word is %r" % approved())
        check(run_value(c) == ours, "the Run value is %r" % run_value(c))
        check(start_with_windows_state(c) == (True, False), "not checked once enabled")
        close_menu(c)
    finally:
        for key in (RUN_KEY, APPROVED_KEY):
            c.wine.run(["reg", "delete", key, "/v", "Quillet", "/f"])


# Each starts Quillet and leaves it guarding; a list that is read lets the listed copy through.
HOSTILE = [
    ("a_number", 5, False),
    ("mixed_entries", [1, "", "a\\b.exe", None, {"x": 1}, "C:x", "listedtarget.EXE", ["y"],
                       "x" * 261], True),
    # As many as fit the file's limit: one name, then short ones and empty ones.
    ("twenty_thousand_names", [LISTED_EXE] + ["%c" % (97 + n % 26) for n in range(4000)] +
     [""] * 16000, True),
]


def hostile_case(name, programs, listed):
    def fn(c):
        start_both(c, programs)
        check(os.path.getsize(c.settings_path()) < 64 * 1024, "the file is over the limit")
        bring_forward(c, c.listed_window, LISTED_TITLE)
        type_keys(c, ("F5", 30, 0))
        if listed:
            check(downs(c.listed, 116) == ["down 116", "up 116"], "the listed copy was guarded")
        else:
            c.wait_spoken("F5")
        bring_forward(c, c.target_window, PLAIN_TITLE)
        type_keys(c, ("F5", 30, 0))
        c.wait_spoken("F5")
        check(downs(c.keys, 116) == ["up 116"], "the plain target was not guarded")
        check(wait_for(lambda: c.quillet_count() == 1, 1), "Quillet.exe is not running")

    fn.__name__ = "programs_hostile_list_" + name
    case(fn)


for _hostile in HOSTILE:
    hostile_case(*_hostile)
