"""The installer named by QUILLET_INSTALLER, built beside the release zip named
by QUILLET_PACKAGE (scripts/package.sh makes both; the release stage of
scripts/test.sh runs these): a silent install into the default folder that then
guards keys, an upgrade while Quillet runs, a silent removal, the pages gone
through with the keyboard, the German texts, and a folder that cannot be
written. The prefix is shared by the run's cases, so each first removes what an
earlier one installed. Only there when both variables are set."""

import glob
import os
import re
import shutil
import zipfile

from cases import case, expect_swallowed_once
from cases_shell import open_menu, saved_bytes
from harness import check, wait_for, wait_until, windows_path

UNINSTALL_KEY = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillet"
RUN_KEY = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"
APPROVED_KEY = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run"
UNINSTALLER = "Uninstall Quillet.exe"
# The copy of itself in which an uninstaller runs, so that it can delete itself.
UNINSTALLER_COPY = "Un.exe"
SETUP_CLASS = "#32770"
# Modern UI leaves the page's part of the window's caption a space; the
# installer's message boxes have the caption alone.
SETUP_TITLE = "Quillet Setup "
BOX_TITLE = "Quillet Setup"
# /sys takes no new folder, not even from root.
UNWRITABLE = "Z:\\sys\\Quillet"
USER_FILE = "notes.txt"


def installer():
    return os.environ["QUILLET_INSTALLER"]


def zip_files():
    with zipfile.ZipFile(os.environ["QUILLET_PACKAGE"]) as z:
        return {n: z.read(n) for n in z.namelist()}


def unix_path(path):
    """Where a path of the prefix's C: or Z: drive is on this side."""
    rest = path[3:].replace("\\", "/")
    if path[:2].upper() == "C:":
        return os.path.join(os.environ["WINEPREFIX"], "drive_c", rest)
    return "/" + rest


def shortcut_path():
    found = glob.glob(os.path.join(os.environ["WINEPREFIX"], "drive_c", "users", "*", "AppData",
                                   "Roaming", "Microsoft", "Windows", "Start Menu", "Programs",
                                   "Quillet.lnk"))
    return found[0] if found else None


def reg_values(c, key):
    """{name: data} of a key's values as reg prints them; {} without the key."""
    code, out, _ = c.wine.run(["reg", "query", key])
    values = {}
    for line in out.splitlines() if code == 0 else []:
        parts = line.strip().split(None, 2)
        if len(parts) >= 2 and parts[1].startswith("REG_"):
            values[parts[0]] = parts[2] if len(parts) == 3 else ""
    return values


def forget_installs(c):
    """Whatever an earlier case of the run installed goes."""
    location = reg_values(c, UNINSTALL_KEY).get("InstallLocation")
    if location:
        shutil.rmtree(unix_path(location), ignore_errors=True)
    c.wine.run(["reg", "delete", UNINSTALL_KEY, "/f"])
    for key in (RUN_KEY, APPROVED_KEY):
        c.wine.run(["reg", "delete", key, "/v", "Quillet", "/f"])
    if shortcut_path():
        os.remove(shortcut_path())


def setup(c, *args):
    """Runs the installer to its end; its exit code."""
    return c.wine.run([installer()] + list(args), limit=60, env=c.env)[0]


def uninstall(c, folder):
    """The silent removal an administrator runs, from the Windows path of the
    folder, waited for: the uninstaller returns once its copy runs."""
    c.wine.run([folder + "\\" + UNINSTALLER, "/S"], limit=30, env=c.env)
    c.driver("wait-process-exit", UNINSTALLER_COPY, 30000, limit=40)


def folder_files(folder):
    """{relative path: bytes} of every file under folder."""
    found = {}
    for root, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(root, name)
            with open(path, "rb") as f:
                found[os.path.relpath(path, folder).replace(os.sep, "/")] = f.read()
    return found


def write_file(path, data):
    with open(path, "wb") as f:
        f.write(data)


def quillet_command_lines():
    """The command lines of the Quillet processes running, as Wine shows them."""
    lines = []
    for path in glob.glob("/proc/[0-9]*/cmdline"):
        try:
            with open(path, "rb") as f:
                line = f.read().replace(b"\0", b" ").decode("utf-8", "replace").strip()
        except OSError:
            continue
        if re.search(r"\\Quillet\.exe\b", line, re.I):
            lines.append(line)
    return lines


def start_setup(c, *args, env=None, title=SETUP_TITLE):
    """Starts the installer with its pages; returns (process, its window) once
    the window is in front."""
    proc = c.wine.spawn([installer()] + list(args), cwd=c.folder, env=env or c.env)
    window = c.driver("wait-window", SETUP_CLASS, title, 15000, limit=30)[0]
    c.wait_in_front(window, "the installer's window did not come to the front")
    return proc, window


def page_texts(c, window):
    """Every text on the installer's window, its page's controls included."""
    return [line.partition("=")[2] for line in c.driver("dialog-text", window)]


def wait_page(c, window, text):
    wait_until(lambda: text in page_texts(c, window), 20,
               "no page shows %r (shown: %r)" % (text, page_texts(c, window)))


def wait_ended(proc, what):
    wait_until(lambda: proc.poll() is not None, 20, "%s did not end" % what)


def installer_silent_install_guards_keys(c):
    forget_installs(c)
    check(setup(c, "/S") == 0, "the silent install failed")
    entry = reg_values(c, UNINSTALL_KEY)
    folder = entry.get("InstallLocation", "")
    check(re.fullmatch(r"C:\\users\\[^\\]+\\AppData\\Local\\Programs\\Quillet", folder),
          "installed into %r" % folder)
    exe = folder + "\\Quillet.exe"
    uninstaller = '"%s\\%s"' % (folder, UNINSTALLER)
    version = re.search(r"Quillet-(.+)-win32\.zip$", os.environ["QUILLET_PACKAGE"]).group(1)
    installed = folder_files(unix_path(folder))
    expected = {"DisplayName": "Quillet", "DisplayVersion": version, "Publisher": "Brindle",
                "DisplayIcon": exe, "InstallLocation": folder, "UninstallString": uninstaller,
                "QuietUninstallString": uninstaller + " /S", "NoModify": "0x1",
                "NoRepair": "0x1",
                "EstimatedSize": hex(sum(len(data) for data in installed.values()) // 1024)}
    check(entry == expected, "the Apps entry is %r, expected %r" % (entry, expected))
    uninstaller_bytes = installed.pop(UNINSTALLER, None)
    check(installed == zip_files(), "the folder holds %r, not the zip's files" % sorted(installed))
    check(uninstaller_bytes and uninstaller_bytes[:2] == b"MZ", "no uninstaller in the folder")
    link = shortcut_path()
    check(link, "no Start menu shortcut")
    with open(link, "rb") as f:
        target = f.read()
    check(exe.encode("utf-16-le") in target or exe.encode() in target,
          "the shortcut does not start %s" % exe)
    c.start_target()
    c.start_quillet(exe=exe)
    expect_swallowed_once(c, "f5", 116, "F5")


def installer_upgrade_while_running(c):
    forget_installs(c)
    folder = os.path.join(c.folder, "Quillet")
    check(setup(c, "/S", "/D=" + windows_path(folder)) == 0, "the first install failed")
    # Another build of Quillet stands for the older version that runs.
    shutil.copy(c.build.quillet_faults, os.path.join(folder, "Quillet.exe"))
    settings = saved_bytes(1, 450, 0)
    write_file(os.path.join(folder, "Quillet.json"), settings)
    write_file(os.path.join(folder, USER_FILE), b"the user's own")
    c.start_target()
    c.start_quillet(exe=os.path.join(folder, "Quillet.exe"))
    check(setup(c, "/S", "/D=" + windows_path(folder)) == 0, "the upgrade failed")
    after = folder_files(folder)
    check(after["Quillet.exe"] == zip_files()["Quillet.exe"], "the old Quillet.exe stayed")
    check(after.get("Quillet.json") == settings, "Quillet.json became %r" % after.get("Quillet.json"))
    check(after.get(USER_FILE) == b"the user's own", "the user's file was changed")
    c.wait_ready()
    check(c.quillet_count() == 1, "%d Quillets run" % c.quillet_count())
    lines = quillet_command_lines()
    check(len(lines) == 1 and lines[0].lower().endswith("quillet.exe /silent"),
          "Quillet runs as %r, not started again with /silent" % lines)


def installer_upgrade_waits_for_quillet(c):
    """Quillet with its timeout dialog open answers the request to exit only
    after the dialog: after 10 s the installer says so, having copied nothing;
    once the user closed the dialog (and Quillet with it), Retry upgrades and
    starts Quillet again."""
    forget_installs(c)
    folder = os.path.join(c.folder, "Quillet")
    check(setup(c, "/S", "/D=" + windows_path(folder)) == 0, "the first install failed")
    old = c.build.quillet_faults
    shutil.copy(old, os.path.join(folder, "Quillet.exe"))
    c.start_quillet(exe=os.path.join(folder, "Quillet.exe"))
    open_menu(c)
    c.driver("tap", "t")
    dialog = c.driver("wait-window", "InputRequester", "Timeout", 5000)[0]
    proc, window = start_setup(c, "/D=" + windows_path(folder))
    c.driver("tap", "enter")
    box = c.find_box(BOX_TITLE, 20000)
    shown = c.read_box(box)
    check(shown["button"] == ["&Retry", "Cancel"], "the message's buttons are %r" % shown["button"])
    check(any(t.startswith("Quillet is running from %s and did not exit" %
                           windows_path(folder).replace("\\", "\\\\")) for t in shown["text"]),
          "the message reads %r" % shown["text"])
    with open(old, "rb") as f:
        check(folder_files(folder)["Quillet.exe"] == f.read(), "Quillet.exe was replaced")
    c.driver("close-window", dialog)
    c.driver("wait-process-exit", "Quillet.exe", 10000, limit=20)
    c.driver("click-button", box, "&Retry")
    wait_page(c, window, "Start Quillet with Windows")
    c.driver("tap", "enter")
    wait_ended(proc, "the installer")
    check(folder_files(folder)["Quillet.exe"] == zip_files()["Quillet.exe"],
          "the new Quillet.exe is not in place")
    c.wait_ready()
    check(c.quillet_count() == 1, "%d Quillets run" % c.quillet_count())


def installer_silent_uninstall(c):
    forget_installs(c)
    check(setup(c, "/S") == 0, "the silent install failed")
    folder_win = reg_values(c, UNINSTALL_KEY)["InstallLocation"]
    folder = unix_path(folder_win)
    exe = folder_win + "\\Quillet.exe"
    for name in ("Quillet.json", "Quillet.json.bak", USER_FILE):
        write_file(os.path.join(folder, name), b"{}")
    c.wine.run(["reg", "add", RUN_KEY, "/v", "Quillet", "/d", '"%s" /silent' % exe, "/f"])
    c.wine.run(["reg", "add", APPROVED_KEY, "/v", "Quillet", "/t", "REG_BINARY", "/d",
                "03" + "00" * 11, "/f"])
    c.start_quillet(exe=exe)
    quiet = reg_values(c, UNINSTALL_KEY)["QuietUninstallString"]
    check(quiet == '"%s\\%s" /S' % (folder_win, UNINSTALLER), "quiet removal %r" % quiet)
    uninstall(c, folder_win)
    left = sorted(folder_files(folder)) if os.path.isdir(folder) else None
    check(left == [USER_FILE], "left in the folder: %r" % left)
    check(c.quillet_count() == 0, "Quillet still runs")
    check(shortcut_path() is None, "the Start menu shortcut stayed")
    for key, value in ((UNINSTALL_KEY, None), (RUN_KEY, "Quillet"), (APPROVED_KEY, "Quillet")):
        values = reg_values(c, key)
        check(value not in values if value else not values, "%s stayed: %r" % (key, values))


def installer_pages_by_keyboard(c):
    """Escape cancels on the first page; Enter installs; on the last page Tab
    and Space choose "Start Quillet with Windows" beside "Start Quillet now",
    and Enter finishes: the Run value is written and Task Manager's entry,
    disabled before, enabled. Its silent removal, nothing of the user's in the
    folder, takes the folder too."""
    forget_installs(c)
    c.wine.run(["reg", "add", APPROVED_KEY, "/v", "Quillet", "/t", "REG_BINARY", "/d",
                "03" + "00" * 11, "/f"])
    folder = os.path.join(c.folder, "Quillet")
    proc, _ = start_setup(c, "/D=" + windows_path(folder))
    c.driver("tap", "esc")
    wait_ended(proc, "the installer after Escape")
    check(not os.path.exists(folder), "Escape left the folder")
    proc, window = start_setup(c, "/D=" + windows_path(folder))
    c.driver("tap", "enter")
    wait_page(c, window, "Start Quillet with Windows")
    c.script("tap tab\nsleep 100\ntap space\nsleep 100\ntap enter\n")
    wait_ended(proc, "the installer after Finish")
    exe = windows_path(os.path.join(folder, "Quillet.exe"))
    run = reg_values(c, RUN_KEY).get("Quillet")
    check(run == '"%s" /silent' % exe, "the Run value is %r" % run)
    approved = reg_values(c, APPROVED_KEY).get("Quillet")
    check(approved == "02" + "00" * 11, "Task Manager's entry is %r" % approved)
    c.wait_ready()
    uninstall(c, windows_path(folder))
    check(not os.path.exists(folder), "the emptied folder stayed")
    check("Quillet" not in reg_values(c, RUN_KEY), "the Run value stayed")


def installer_in_german(c):
    forget_installs(c)
    folder = os.path.join(c.folder, "Quillet")
    # A regional variant counts as its language.
    german = dict(c.env, LANG="de_AT.UTF-8", LC_ALL="de_AT.UTF-8")
    proc, window = start_setup(c, "/D=" + windows_path(folder), env=german,
                               title="Installation von Quillet ")
    texts = page_texts(c, window)
    check("Zielverzeichnis auswählen" in texts and "&Installieren" in texts,
          "the folder page reads %r" % texts)
    c.driver("tap", "enter")
    wait_page(c, window, "Quillet mit Windows starten")
    texts = page_texts(c, window)
    check("Quillet jetzt starten" in texts, "the last page reads %r" % texts)
    # Space clears "start now": nothing starts.
    c.script("tap space\nsleep 100\ntap enter\n")
    wait_ended(proc, "the installer")
    check(c.quillet_count() == 0, "Quillet was started")


def installer_refuses_unwritable_folder(c):
    forget_installs(c)
    proc, window = start_setup(c, "/D=" + UNWRITABLE)
    c.driver("tap", "enter")
    box = c.find_box(BOX_TITLE)
    text = c.read_box(box)["text"]
    # The driver writes a backslash twice.
    folder = UNWRITABLE.replace("\\", "\\\\")
    check(any(t.startswith("You cannot write to the folder %s." % folder) for t in text),
          "the message reads %r" % text)
    c.close_box(box, BOX_TITLE)
    check("&Install" in page_texts(c, window), "the folder page went: %r" % page_texts(c, window))
    c.driver("tap", "esc")
    wait_ended(proc, "the installer")
    check(setup(c, "/S", "/D=" + UNWRITABLE) == 2, "the silent install did not fail")
    check(not reg_values(c, UNINSTALL_KEY), "an Apps entry was written")


if os.environ.get("QUILLET_INSTALLER") and os.environ.get("QUILLET_PACKAGE"):
    for fn in (installer_silent_install_guards_keys, installer_upgrade_while_running,
               installer_upgrade_waits_for_quillet, installer_silent_uninstall, installer_pages_by_keyboard, installer_in_german,
               installer_refuses_unwritable_folder):
        case(fn)
