"""End-to-end cases for hostile surroundings: settings files too large to be
real, a settings file another program holds open at start, a stale read-only
temporary file, and libraries planted in the working directory, on PATH and
beside Quillet.exe under the names of system libraries."""

import os
import shutil
import subprocess

from cases import case
from cases_settings import (escape_passes, expect_default_filtering, file_state, read_file,
                            settings_text, start_with_file, write_file)
from cases_shell import choose, file_bytes, wait_exit
from harness import HIDDEN_WINDOW_TITLE, check, wait_until, windows_path

# Read, either would exclude Escape and force a rewrite of the timeout to 50.
HOSTILE_VALUES = b'"exclude_escape":1,"doublePressTimeout":20'


def oversized_file():
    """80 MB of valid JSON: one long string member."""
    return b'{' + HOSTILE_VALUES + b',"pad":"' + b"x" * (80 << 20) + b'"}'


def member_flood():
    """About 4 MB of distinct member names, all in the one object."""
    names = b",".join(b'"m%d":0' % i for i in range(400000))
    return b'{' + names + b',' + HOSTILE_VALUES + b'}'


def ignored_case(name, make):
    """Quillet starts as quickly as ever (the normal ready wait), on the
    defaults, and leaves the file as it was."""
    def fn(c):
        start_with_file(c, make())
        before = file_state(c.settings_path())
        c.start_quillet()
        expect_default_filtering(c)
        check(file_state(c.settings_path()) == before, "the file was rewritten")

    fn.__name__ = "settings_ignored_" + name
    case(fn)


ignored_case("80_mb_file", oversized_file)
ignored_case("member_name_flood", member_flood)


@case
def settings_held_without_sharing_at_start(c):
    """Another program holds the file, sharing nothing, for the first 500 ms
    of Quillet's life: the values are read all the same, nothing rewritten."""
    start_with_file(c, settings_text(1, 300, 0))
    before = file_state(c.settings_path())
    c.driver("hold-file", windows_path(c.settings_path()), 500,
             windows_path(os.path.join(c.folder, "Quillet.exe")), "/silent")
    c.wait_ready()
    escape_passes(c)
    check(file_state(c.settings_path()) == before, "the file was rewritten")


@case
def settings_saved_past_stale_temporary(c):
    """A crash left Quillet.json.tmp behind, read-only: menu changes still
    save. Wine run as root writes over read-only files, so where chattr works
    the file is made immutable too, which nobody can overwrite or remove."""
    start_with_file(c, settings_text(0, 300, 0))
    stale = c.settings_path() + ".tmp"
    write_file(stale, b"{")
    os.chmod(stale, 0o444)
    immutable = subprocess.run(["chattr", "+i", stale], stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL).returncode == 0
    try:
        c.start_quillet()
        for exclude_escape in (1, 0):
            choose(c, "down", "enter")
            wait_until(lambda: file_bytes(c) == settings_text(exclude_escape, 300, 0), 3,
                       "Quillet.json is %r, expected exclude_escape %d" %
                       (file_bytes(c), exclude_escape))
    finally:
        if immutable:
            subprocess.run(["chattr", "-i", stale])
    left = sorted(n for n in os.listdir(c.folder) if n.startswith("Quillet.json"))
    check(left == ["Quillet.json"] + ([os.path.basename(stale)] if immutable else []),
          "files beside the settings: %r" % left)


# Named like system libraries that are not known DLLs: what the program or its
# audio library would load by name, the common controls and the theme library.
PLANTED_NAMES = ["WINMM.dll", "dsound.dll", "avrt.dll", "COMCTL32.dll", "uxtheme.dll",
                 "wtsapi32.dll"]
# The ones the program loads itself, by full path: even beside it a copy never runs.
OWN_SYSTEM_LIBRARIES = ["WINMM.dll", "wtsapi32.dll"]


@case
def planted_system_libraries_never_load(c):
    """Libraries loaded by bare name come from the program's folder and the
    system folder: copies in the working directory or on PATH never load."""
    planted = os.path.join(c.build.folder, "tests", "e2e", "planted_library.dll")
    start_with_file(c, settings_text(0, 300, 0))
    working, on_path = os.path.join(c.folder, "working"), os.path.join(c.folder, "on_path")
    for folder, names in [(working, PLANTED_NAMES), (on_path, PLANTED_NAMES),
                          (c.folder, OWN_SYSTEM_LIBRARIES)]:
        os.makedirs(folder, exist_ok=True)
        for name in names:
            shutil.copy(planted, os.path.join(folder, name))
    c.env["WINEPATH"] = windows_path(on_path)
    c.wine.spawn([os.path.join(c.folder, "Quillet.exe"), "/silent"], cwd=working, env=c.env)
    c.wait_ready()
    choose(c, "down", "enter")  # a menu and a save, with a cue
    wait_until(lambda: file_bytes(c) == settings_text(1, 300, 0), 3, "the menu change was not saved")
    loaded = sorted(os.path.relpath(os.path.join(folder, n), c.folder)
                    for folder, _, files in os.walk(c.folder) for n in files
                    if n.endswith(".loaded"))
    check(loaded == [], "planted libraries were loaded: %r" % loaded)


@case
def restart_starts_explorer_from_windows_folder(c):
    """Run as admin turned off and Yes: the restart goes through the desktop
    shell of the Windows folder, not an explorer.exe beside the program."""
    start_with_file(c, settings_text(0, 300, 1))
    shutil.copy(os.path.join(c.build.folder, "tests", "e2e", "planted_program.exe"),
                os.path.join(c.folder, "explorer.exe"))
    proc = c.start_quillet()
    old_window = c.quillet_window
    choose(c, "a")
    c.driver("click-button", c.find_box("Restart required.", 5000), "Yes")
    wait_exit(proc, 15, "answering Yes")
    window = c.try_driver("wait-window", "*", HIDDEN_WINDOW_TITLE, 15000, limit=30)
    check(not os.path.exists(os.path.join(c.folder, "explorer.exe.loaded")),
          "the explorer.exe beside the program was started")
    check(window and window[0] != old_window, "no new instance after the restart")
