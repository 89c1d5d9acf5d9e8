"""The installer named by QUILLET_INSTALLER, beside the zip named by
QUILLET_PACKAGE (only then these cases are there; the release stage of
scripts/test.sh runs them). The run's cases share the prefix, so each first
removes what an earlier one installed."""

import glob
import os
import re
import shutil
import subprocess
import time
import zipfile
from pathlib import Path

from cases import case, expect_swallowed_once
from cases_shell import open_menu, saved_bytes
from harness import check, wait_until, windows_path

INSTALLER = os.environ.get("QUILLET_INSTALLER")
PACKAGE = os.environ.get("QUILLET_PACKAGE")
UNINSTALL_KEY = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillet"
RUN_KEY = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"
APPROVED_KEY = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run"
UNINSTALLER = "Uninstall Quillet.exe"
FILE_LIST = "Installed files.txt"
# Modern UI leaves the page's part of the window's caption a space; message boxes
# have the caption alone.
SETUP_TITLE, BOX_TITLE = "Quillet Setup ", "Quillet Setup"
UNWRITABLE = "Z:\\sys\\Quillet"  # /sys takes no new folder, not even from root
USER_FILE = "notes.txt"


def zip_files():
    with zipfile.ZipFile(PACKAGE) as z:
        return {n: z.read(n) for n in z.namelist()}


def unix_path(path):
    """Where a path on the prefix's C: or Z: drive is on this side."""
    rest = path[3:].replace("\\", "/")
    if path[0] in "Cc":
        return os.path.join(os.environ["WINEPREFIX"], "drive_c", rest)
    return "/" + rest


def shortcut():
    found = glob.glob(os.environ["WINEPREFIX"] + "/drive_c/users/*/AppData/Roaming/Microsoft/"
                      "Windows/Start Menu/Programs/Quillet.lnk")
    return found[0] if found else None


def folder_files(folder):
    return {p.relative_to(folder).as_posix(): p.read_bytes()
            for p in Path(folder).rglob("*") if p.is_file()}


def reg_values(c, key):
    """{name: data} of a key's values as reg prints them; {} without the key."""
    code, out, _ = c.wine.run(["reg", "query", key])
    rows = [line.strip().split(None, 2) for line in out.splitlines()] if code == 0 else []
    return {r[0]: r[2] if len(r) == 3 else "" for r in rows if len(r) > 1 and r[1][:4] == "REG_"}


def forget_installs(c):
    """What an earlier case of the run installed goes."""
    location = reg_values(c, UNINSTALL_KEY).get("InstallLocation")
    if location:
        shutil.rmtree(unix_path(location), ignore_errors=True)
    c.wine.run(["reg", "delete", UNINSTALL_KEY, "/f"])
    for key in (RUN_KEY, APPROVED_KEY):
        c.wine.run(["reg", "delete", key, "/v", "Quillet", "/f"])
    if shortcut():
        os.remove(shortcut())


def setup(c, *args):
    """Runs the installer to its end; its exit code."""
    return c.wine.run([INSTALLER] + list(args), limit=60, env=c.env)[0]


def uninstall(c, folder):
    """The silent removal, waited for: the uninstaller returns as soon as the
    copy of itself that does the work ("Un.exe") runs."""
    c.wine.run([folder + "\\" + UNINSTALLER, "/S"], limit=30, env=c.env)
    c.driver("wait-process-exit", "Un.exe", 30000, limit=40)


def start_setup(c, *args, env=None, title=SETUP_TITLE):
    """Starts the installer with its pages; (process, window) once it is in front."""
    proc = c.wine.spawn([INSTALLER] + list(args), cwd=c.folder, env=env or c.env)
    window = c.driver("wait-window", "#32770", title, 15000, limit=30)[0]
    c.wait_in_front(window)
    return proc, window


def page_texts(c, window):
    return [line.partition("=")[2] for line in c.driver("dialog-text", window)]


def wait_page(c, window, text):
    wait_until(lambda: text in page_texts(c, window), 20, "no page shows %r" % text)


def wait_ended(proc):
    wait_until(lambda: proc.poll() is not None, 20, "the installer did not end")


def disable_in_task_manager(c):
    c.wine.run(["reg", "add", APPROVED_KEY, "/v", "Quillet", "/t", "REG_BINARY", "/d",
                "03" + "00" * 11, "/f"])


def box_text(c, starts):
    """The installer's message box, once it shows a text starting so (the
    driver writes a backslash twice)."""
    box = c.find_box(BOX_TITLE, 20000)
    shown = c.read_box(box)
    check(any(t.startswith(starts.replace("\\", "\\\\")) for t in shown["text"]),
          "the message reads %r" % shown["text"])
    return box, shown["button"]


def installer_silent_install_guards_keys(c):
    forget_installs(c)
    check(setup(c, "/S") == 0, "the silent install failed")
    entry = reg_values(c, UNINSTALL_KEY)
    folder = entry.get("InstallLocation", "")
    check(re.fullmatch(r"C:\\users\\[^\\]+\\AppData\\Local\\Programs\\Quillet", folder),
          "installed into %r" % folder)
    exe, uninstaller = folder + "\\Quillet.exe", '"%s\\%s"' % (folder, UNINSTALLER)
    installed = folder_files(unix_path(folder))
    expected = {"DisplayName": "Quillet", "Publisher": "Brindle", "DisplayIcon": exe,
                "DisplayVersion": re.search(r"Quillet-(.+)-win32\.zip$", PACKAGE).group(1),
                "InstallLocation": folder, "UninstallString": uninstaller,
                "QuietUninstallString": uninstaller + " /S", "NoModify": "0x1", "NoRepair": "0x1",
                "EstimatedSize": hex(sum(map(len, installed.values())) // 1024)}
    check(entry == expected, "the Apps entry is %r, expected %r" % (entry, expected))
    check(installed.pop(UNINSTALLER, b"")[:2] == b"MZ", "no uninstaller in the folder")
    listed = installed.pop(FILE_LIST, b"").decode().split("\r\n")
    check(listed == [n.replace("/", "\\") for n in sorted(zip_files())] + [""],
          "the list of installed files reads %r" % listed)
    check(installed == zip_files(), "the folder holds %r, not the zip's files" % sorted(installed))
    # The link's target, its local base path, as Wine writes it.
    check(shortcut() and exe.encode() + b"\0" in Path(shortcut()).read_bytes(),
          "no Start menu shortcut to %s" % exe)
    c.start_target()
    c.start_quillet(exe=exe)
    expect_swallowed_once(c, "f5", 116, "F5")


def running_quillets():
    """The command lines of the Quillets that run (Wine shows a Windows process's own)."""
    return [l for l in subprocess.run(["ps", "-eo", "args"], capture_output=True,
                                      text=True).stdout.splitlines() if "\\Quillet.exe" in l]


def check_runs_once(c, folder):
    c.wait_ready()
    running = running_quillets()
    check(len(running) == 1 and folder + "\\Quillet.exe" in running[0]
          and running[0].endswith("/silent"),
          "Quillet runs as %r, not once from %s with /silent" % (running, folder))


def installer_upgrade_while_running(c):
    """Quillet's timeout dialog is open, an answer typed: a silent upgrade ends it
    at once, unanswered, and starts the new one, which no late request ends."""
    forget_installs(c)
    folder = os.path.join(c.folder, "Quillet")
    check(setup(c, "/S", "/D=" + windows_path(folder)) == 0, "the first install failed")
    # Another build stands for the older version.
    shutil.copy(c.build.quillet_faults, os.path.join(folder, "Quillet.exe"))
    kept = {"Quillet.json": saved_bytes(1, 450, 0), USER_FILE: b"the user's own"}
    for name, data in kept.items():
        Path(folder, name).write_bytes(data)
    c.start_quillet(exe=os.path.join(folder, "Quillet.exe"))
    open_menu(c)
    c.driver("tap", "t")
    c.driver("wait-window", "InputRequester", "Timeout", 5000)
    c.driver("type", "999")
    check(setup(c, "/S", "/D=" + windows_path(folder)) == 0, "the upgrade failed")
    after = folder_files(folder)
    check(after["Quillet.exe"] == zip_files()["Quillet.exe"], "the old Quillet.exe stayed")
    check(all(after.get(n) == d for n, d in kept.items()), "the user's files changed")
    check_runs_once(c, windows_path(folder))
    time.sleep(15)
    check(len(running_quillets()) == 1, "Quillet ended after the upgrade")


def installer_takes_over_portable_copy(c):
    """A Quillet unpacked from the zip runs from C:\\Tools\\Quillet with its own
    settings and start with Windows: a silent install ends it, brings both along
    and leaves one Quillet running, the installed one."""
    forget_installs(c)
    portable = "C:\\Tools\\Quillet"
    shutil.rmtree(unix_path(portable), ignore_errors=True)
    for name, data in zip_files().items():
        Path(unix_path(portable), name).parent.mkdir(parents=True, exist_ok=True)
        Path(unix_path(portable), name).write_bytes(data)
    settings = saved_bytes(1, 450, 0)
    Path(unix_path(portable), "Quillet.json").write_bytes(settings)
    before = folder_files(unix_path(portable))
    c.wine.run(["reg", "add", RUN_KEY, "/v", "Quillet", "/d",
                '"%s\\Quillet.exe" /silent' % portable, "/f"])
    c.start_quillet(exe=portable + "\\Quillet.exe")
    check(setup(c, "/S") == 0, "the silent install failed")
    folder = reg_values(c, UNINSTALL_KEY)["InstallLocation"]
    check(Path(unix_path(folder), "Quillet.json").read_bytes() == settings,
          "the settings did not come along")
    check(folder_files(unix_path(portable)) == before, "the portable folder changed")
    run = reg_values(c, RUN_KEY).get("Quillet")
    check(run == '"%s\\Quillet.exe" /silent' % folder, "the Run value is %r" % run)
    check_runs_once(c, folder)
    shutil.rmtree(unix_path("C:\\Tools"), ignore_errors=True)


def installer_failed_upgrade_starts_quillet_again(c):
    """A file another program holds fails the upgrade with 4; Quillet runs again."""
    forget_installs(c)
    folder = os.path.join(c.folder, "Quillet")
    check(setup(c, "/S", "/D=" + windows_path(folder)) == 0, "the first install failed")
    c.start_quillet(exe=os.path.join(folder, "Quillet.exe"))
    held = windows_path(os.path.join(folder, "User guide.txt"))
    c.wine.spawn([c.build.driver, "hold-file", held, "30000"], env=c.env)
    time.sleep(2)
    check(setup(c, "/S", "/D=" + windows_path(folder)) == 4, "the upgrade did not fail with 4")
    check_runs_once(c, windows_path(folder))


def installer_refuses_second_installer_and_elevation(c):
    """A second installer ends with 5; one elevated through the prompt with 3 (Wine
    gives every process a full token and says the prompt is off: turned on here)."""
    forget_installs(c)
    proc, _ = start_setup(c, "/D=" + windows_path(os.path.join(c.folder, "Quillet")))
    check(setup(c, "/S") == 5, "a second installer ran")
    c.driver("tap", "esc")
    wait_ended(proc)
    policies = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System"
    c.wine.run(["reg", "add", policies, "/v", "EnableLUA", "/t", "REG_DWORD", "/d", "1", "/f"])
    try:
        check(setup(c, "/S") == 3, "the elevated installer ran")
    finally:
        c.wine.run(["reg", "add", policies, "/v", "EnableLUA", "/t", "REG_DWORD", "/d", "0",
                    "/f"])
    check(not reg_values(c, UNINSTALL_KEY), "an Apps entry was written")


def installer_upgrade_keeps_users_library(c):
    """An upgrade keeps a UniversalSpeech.dll whose version record is not Quillet's
    and removes a file the last install listed and this one no longer ships."""
    forget_installs(c)
    folder = os.path.join(c.folder, "Quillet")
    check(setup(c, "/S", "/D=" + windows_path(folder)) == 0, "the first install failed")
    users = b"MZ the user's own speech library"
    Path(folder, "UniversalSpeech.dll").write_bytes(users)
    Path(folder, "licenses", "dropped.txt").write_bytes(b"an older release's")
    with open(os.path.join(folder, FILE_LIST), "a", newline="") as f:
        f.write("licenses\\dropped.txt\r\n")
    check(setup(c, "/S", "/D=" + windows_path(folder)) == 0, "the upgrade failed")
    after = folder_files(folder)
    check(after["UniversalSpeech.dll"] == users, "the user's speech library was replaced")
    check("licenses/dropped.txt" not in after, "the dropped file stayed")


def installer_silent_uninstall(c):
    forget_installs(c)
    check(setup(c, "/S") == 0, "the silent install failed")
    folder = reg_values(c, UNINSTALL_KEY)["InstallLocation"]
    for name in ("Quillet.json", "Quillet.json.bak", USER_FILE):
        Path(unix_path(folder), name).write_bytes(b"{}")
    exe = folder + "\\Quillet.exe"
    c.wine.run(["reg", "add", RUN_KEY, "/v", "Quillet", "/d", '"%s" /silent' % exe, "/f"])
    disable_in_task_manager(c)
    c.start_quillet(exe=exe)
    uninstall(c, folder)
    left = sorted(folder_files(unix_path(folder)))
    check(left == [USER_FILE], "left in the folder: %r" % left)
    check(c.quillet_count() == 0, "Quillet still runs")
    check(shortcut() is None and not reg_values(c, UNINSTALL_KEY),
          "the shortcut or the Apps entry stayed")
    for key in (RUN_KEY, APPROVED_KEY):
        check("Quillet" not in reg_values(c, key), "the value under %s stayed" % key)


def installer_pages_by_keyboard(c):
    """Escape cancels on the first page; Enter installs; on the last page Tab
    and Space check "Start Quillet with Windows", and Enter finishes: the Run
    value is written and Task Manager's entry, disabled before, enabled, and
    Quillet, started, speaks one Escape typed on the desktop. Its removal,
    nothing of the user's in the folder, takes the folder too."""
    forget_installs(c)
    disable_in_task_manager(c)
    folder = os.path.join(c.folder, "Quillet")
    proc, _ = start_setup(c, "/D=" + windows_path(folder))
    c.driver("tap", "esc")
    wait_ended(proc)
    check(not os.path.exists(folder), "Escape left the folder")
    proc, window = start_setup(c, "/D=" + windows_path(folder))
    c.driver("tap", "enter")
    wait_page(c, window, "Start Quillet with Windows")
    c.script("tap tab\nsleep 100\ntap space\nsleep 100\ntap enter\n")
    wait_ended(proc)
    run = reg_values(c, RUN_KEY).get("Quillet")
    check(run == '"%s\\Quillet.exe" /silent' % windows_path(folder), "the Run value is %r" % run)
    approved = reg_values(c, APPROVED_KEY).get("Quillet")
    check(approved == "02" + "00" * 11, "Task Manager's entry is %r" % approved)
    c.wait_ready()  # started now
    # Right after the installer, one Escape with nothing else in front is heard.
    front = c.driver("foreground")[0]
    check(front.startswith("0 ") or "class=#32769 " in front, "in front: %r" % front)
    c.driver("tap", "esc")
    c.wait_spoken("Escape")
    check(c.spoken() == ["Escape"], "spoken %r after one Escape on the desktop" % c.spoken())
    uninstall(c, windows_path(folder))
    check(not os.path.exists(folder), "the emptied folder stayed")


def installer_in_german(c):
    forget_installs(c)
    # A regional variant counts as its language.
    german = dict(c.env, LANG="de_AT.UTF-8", LC_ALL="de_AT.UTF-8")
    proc, window = start_setup(c, "/D=" + windows_path(os.path.join(c.folder, "Quillet")),
                               env=german, title="Installation von Quillet ")
    texts = page_texts(c, window)
    check("Zielverzeichnis auswählen" in texts and "&Installieren" in texts,
          "the folder page reads %r" % texts)
    c.driver("tap", "enter")
    wait_page(c, window, "Quillet mit Windows starten")
    check("Quillet jetzt starten" in page_texts(c, window), "no German 'Start Quillet now'")
    c.script("tap space\nsleep 100\ntap enter\n")  # nothing started
    wait_ended(proc)
    check(c.quillet_count() == 0, "Quillet was started")


def installer_refuses_unwritable_folder(c):
    forget_installs(c)
    proc, window = start_setup(c, "/D=" + UNWRITABLE)
    c.driver("tap", "enter")
    box, _ = box_text(c, "You cannot write to the folder %s." % UNWRITABLE)
    c.close_box(box, BOX_TITLE)
    check("&Install" in page_texts(c, window), "the folder page went")
    c.driver("tap", "esc")
    wait_ended(proc)
    check(setup(c, "/S", "/D=" + UNWRITABLE) == 2, "the silent install did not fail")
    # A drive's root, which the uninstaller could not remove.
    for root in ("C:\\", "\\\\server\\share"):
        check(setup(c, "/S", "/D=" + root) == 2, "%s was not refused" % root)
    check(not reg_values(c, UNINSTALL_KEY), "an Apps entry was written")


if INSTALLER and PACKAGE:
    for fn in (installer_silent_install_guards_keys, installer_upgrade_while_running,
               installer_silent_uninstall, installer_pages_by_keyboard, installer_in_german,
               installer_refuses_unwritable_folder, installer_takes_over_portable_copy,
               installer_failed_upgrade_starts_quillet_again,
               installer_refuses_second_installer_and_elevation,
               installer_upgrade_keeps_users_library):
        case(fn)
