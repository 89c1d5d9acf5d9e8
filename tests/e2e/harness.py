"""Helpers for the end-to-end tests: run Quillet.exe under Wine beside a key
target window, inject keys through quillet_driver.exe and read what happened
from the speech log of the stand-in speech library and the target's key log.

Every Wine call is bounded by `timeout -k`; every wait polls with a limit.
The Wine prefix and display come from scripts/wine-env.sh (WINEPREFIX,
DISPLAY in the environment).
"""

import json
import os
import shutil
import signal
import subprocess
import tempfile
import time

# The target window's message that brings it back to the front.
TARGET_ACTIVATE = 0x8001
HIDDEN_WINDOW_TITLE = "quillet"
BOX_CLASS = "#32770"


class CaseFailure(Exception):
    """A failed expectation; its text is the reason printed after FAIL."""


def check(condition, reason):
    if not condition:
        raise CaseFailure(reason)


def windows_path(path):
    """Wine maps the Unix root to drive Z:."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Build:
    """The programs of one Windows build folder."""

    def __init__(self, folder):
        self.folder = os.path.abspath(folder)
        self.quillet = os.path.join(self.folder, "app", "Quillet.exe")
        self.speech = os.path.join(self.folder, "app", "UniversalSpeech.dll")
        self.speech_without_stop = os.path.join(
            self.folder, "tools", "speech_standin", "without_speechStop", "UniversalSpeech.dll")
        self.speech_without_braille = os.path.join(
            self.folder, "tools", "speech_standin", "without_brailleDisplay", "UniversalSpeech.dll")
        self.speech_slow_say = os.path.join(
            self.folder, "tools", "speech_standin", "slow_speechSay", "UniversalSpeech.dll")
        self.quillet_faults = os.path.join(self.folder, "app", "QuilletFaults.exe")
        self.driver = os.path.join(self.folder, "tests", "e2e", "quillet_driver.exe")
        self.target = os.path.join(self.folder, "tests", "e2e", "key_target.exe")
        readers = os.path.join(self.folder, "tests", "e2e", "readers")
        self.fake_nvda = os.path.join(readers, "nvdaControllerClient32.dll")
        self.fake_jaws = os.path.join(readers, "fake_jaws.dll")
        self.reader_hook = os.path.join(readers, "reader_hook.exe")
        self.speech_bare_name = os.path.join(
            self.folder, "tools", "speech_standin", "bare_name_client", "UniversalSpeech.dll")

    def missing(self):
        return [p for p in (self.quillet, self.speech, self.speech_without_stop,
                            self.speech_slow_say, self.quillet_faults, self.driver, self.target,
                            self.fake_nvda, self.fake_jaws, self.reader_hook,
                            self.speech_bare_name, self.speech_without_braille)
                if not os.path.isfile(p)]


class Wine:
    """Starts Windows programs and keeps track of them, so that nothing
    outlives the run."""

    def __init__(self):
        self.started = []

    def run(self, args, limit=20, stdin_text=None, env=None):
        """Runs a program to its end; returns (exit code, stdout, stderr).
        Output goes through files, not pipes: a wineserver or desktop process
        that the call happens to start inherits the descriptors and would
        hold a pipe open long after the program ended."""
        cmd = ["timeout", "-k", "2", str(limit), "wine"] + list(args)
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err, \
                tempfile.TemporaryFile() as inp:
            inp.write((stdin_text or "").encode("utf-8"))
            inp.seek(0)
            try:
                code = subprocess.run(cmd, stdin=inp, stdout=out, stderr=err, env=env,
                                      timeout=limit + 5).returncode
            except subprocess.TimeoutExpired:
                code = 124
            out.seek(0)
            err.seek(0)
            return (code, out.read().decode("utf-8", "replace"),
                    err.read().decode("utf-8", "replace"))

    def spawn(self, args, cwd=None, env=None, limit=300):
        """Starts a program in the background, in a process group of its own."""
        cmd = ["timeout", "-k", "2", str(limit), "wine"] + list(args)
        proc = subprocess.Popen(cmd, cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                start_new_session=True)
        self.started.append(proc)
        return proc

    def reset(self):
        """Ends every Windows process of the prefix and what we started."""
        subprocess.run(["timeout", "-k", "2", "15", "wineserver", "-k"],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for proc in self.started:
            try:
                proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                try:
                    os.killpg(proc.pid, signal.SIGKILL)
                except OSError:
                    pass
                proc.wait(timeout=5)
        self.started = []
        subprocess.run(["timeout", "-k", "2", "15", "wineserver", "-w"],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


class LogFile:
    """A log another process appends to; `mark` sets where `lines` starts."""

    def __init__(self, path):
        self.path = path
        self.start = 0

    def all_lines(self):
        try:
            with open(self.path, "rb") as f:
                data = f.read()
        except FileNotFoundError:
            return []
        return data.decode("utf-8", errors="replace").splitlines()

    def mark(self):
        self.start = len(self.all_lines())

    def lines(self):
        return self.all_lines()[self.start:]


class Case:
    """One test case's folder, logs and programs. Helpers raise CaseFailure."""

    def __init__(self, name, build, wine, root):
        self.name = name
        self.build = build
        self.wine = wine
        self.folder = os.path.join(root, name)
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.folder)
        self.speech = LogFile(os.path.join(self.folder, "speech.log"))
        self.keys = LogFile(os.path.join(self.folder, "keys.log"))
        self.env = dict(os.environ, QUILLET_SPEECH_LOG=windows_path(self.speech.path))
        self.target_window = None
        self.quillet_window = None
        # A locale name ("de_DE.UTF-8") for Quillet's LANG and LC_ALL, from which Wine
        # takes the user interface language. Quillet's processes only: this machine
        # lacks those locales, and under one Wine misreads a program's non-ASCII
        # arguments, the driver's window titles among them.
        self.ui_locale = None

    # --- programs -------------------------------------------------------

    def install(self, speech_library="standard", settings=None, exe=None):
        """Copies Quillet.exe (or `exe` under that name) into the case folder
        with the chosen speech library: "standard", "without_speechStop",
        "without_brailleDisplay", "slow_speechSay", "bare_name_client" (loads
        NVDA's client by bare name, as the full library does) or None (absent);
        settings, a dict, is written beside it as Quillet.json."""
        shutil.copy(exe or self.build.quillet, os.path.join(self.folder, "Quillet.exe"))
        if settings is not None:
            with open(self.settings_path(), "wb") as f:
                f.write(json.dumps(settings, indent=2).replace("\n", "\r\n").encode("utf-8"))
        source = {"standard": self.build.speech,
                  "without_speechStop": self.build.speech_without_stop,
                  "without_brailleDisplay": self.build.speech_without_braille,
                  "slow_speechSay": self.build.speech_slow_say,
                  "bare_name_client": self.build.speech_bare_name}.get(speech_library)
        if source:
            shutil.copy(source, self.folder)

    def settings_path(self):
        return os.path.join(self.folder, "Quillet.json")

    def read_settings(self):
        """The settings file as Quillet left it, or None when it is absent."""
        try:
            with open(self.settings_path(), "rb") as f:
                return json.loads(f.read().decode("utf-8"))
        except FileNotFoundError:
            return None

    def driver(self, *args, limit=20):
        """Runs one driver command; returns its stdout lines, fails on error."""
        code, out, err = self.wine.run([self.build.driver] + [str(a) for a in args], limit=limit,
                                       env=self.env)
        check(code == 0, "driver %s failed: %s" % (" ".join(map(str, args)),
                                                   err.strip() or "exit %d" % code))
        return out.splitlines()

    def try_driver(self, *args, limit=20):
        """Like driver, but returns None instead of failing."""
        code, out, _ = self.wine.run([self.build.driver] + [str(a) for a in args], limit=limit,
                                     env=self.env)
        return out.splitlines() if code == 0 else None

    def script(self, text, limit=30):
        """Runs a driver script (one command a line) in a single process, so
        its timing holds to the millisecond."""
        code, out, err = self.wine.run([self.build.driver, "script", "-"], limit=limit,
                                       stdin_text=text, env=self.env)
        check(code == 0, "driver script failed: %s" % (err.strip() or "exit %d" % code))
        return out.splitlines()

    def start_target(self):
        """Starts the key target window and waits until it has the focus."""
        self.wine.spawn([self.build.target, windows_path(self.keys.path)], cwd=self.folder,
                        env=self.env)
        self.target_window = self.driver("wait-window", "QuilletKeyTarget", "Quillet key target",
                                         15000, limit=30)[0]
        wait_until(lambda: "focus" in self.keys.all_lines(), 5, "key target never got the focus")

    def focus_target(self):
        """Brings the key target back to the front (after a message box)."""
        self.driver("post", self.target_window, TARGET_ACTIVATE, 0, 0)
        self.wait_in_front(self.target_window, "key target did not come back to the front")

    def wait_in_front(self, window, failure="window never came to the front"):
        """Waits until window is the foreground window, so typed keys reach it.
        Under Wine without a window manager a late X focus event can leave the
        desktop in front, no window active; then the window is activated, as a
        user would click it. Any other window in front fails."""
        fronts = []
        def in_front():
            line = self.try_driver("foreground")
            front = line[0] if line else ""
            if not fronts or fronts[-1] != front:
                fronts.append(front)
            return front.split()[:1] == [window]
        if wait_for(in_front, 2):
            return
        if "class=#32769" in fronts[-1]:
            print("note: the desktop was in front (in turn: %s); activating %s" % (fronts, window),
                  flush=True)
            self.try_driver("activate", window)
            if wait_for(in_front, 3):
                return
        raise CaseFailure("%s (in front in turn: %s)" % (failure, fronts))

    def start_quillet(self, *args, ready=True, exe=None, silent=True):
        """Starts Quillet.exe from the case folder, or `exe` (default argument
        /silent, none when not silent). With ready, waits for its hidden window
        and for the hook (a probe press of F12 must be spoken), then marks both logs."""
        args = args or (("/silent",) if silent else ())
        env = self.env
        if self.ui_locale:
            env = dict(env, LANG=self.ui_locale, LC_ALL=self.ui_locale)
        proc = self.wine.spawn([exe or os.path.join(self.folder, "Quillet.exe")] + list(args),
                               cwd=self.folder, env=env)
        if ready:
            self.wait_ready()
        return proc

    def wait_ready(self):
        found = self.try_driver("wait-window", "*", HIDDEN_WINDOW_TITLE, 15000, limit=30)
        check(found, "Quillet's hidden window never appeared")
        self.quillet_window = found[0]
        # A first press of a guarded key is spoken once the hook is in; F12
        # is left to this probe, so no case depends on its state.
        deadline = time.monotonic() + 15
        while time.monotonic() < deadline:
            self.driver("tap", "f12")
            if wait_for(lambda: "speechSay F12" in self.speech.all_lines(), 1.0):
                break
        else:
            raise CaseFailure("the hook never spoke a probe press of F12")
        time.sleep(0.4)  # past the timeout, so F12 is left alone
        self.mark()

    def mark(self):
        """From here on, speech and keys report only what comes next."""
        self.speech.mark()
        self.keys.mark()

    def quillet_count(self):
        return int(self.driver("count-processes", "Quillet.exe")[0])

    # --- observations ---------------------------------------------------

    def spoken(self):
        """Texts handed to speechSay since the mark."""
        return [l[len("speechSay "):] for l in self.speech.lines() if l.startswith("speechSay ")]

    def key_events(self, settle=0.3):
        """Key messages the target received since the mark, after letting
        late messages arrive."""
        time.sleep(settle)
        return [l for l in self.keys.lines() if l not in ("focus", "blur")]

    def wait_spoken(self, text, limit=3.0):
        wait_until(lambda: text in self.spoken(), limit,
                   "%r was not spoken (spoken: %r)" % (text, self.spoken()))

    def find_box(self, title, limit=10000):
        """Waits for a message box with this exact title; returns its hwnd."""
        found = self.try_driver("wait-window", BOX_CLASS, title, limit, limit=limit // 1000 + 15)
        check(found, "no message box titled %r appeared" % title)
        return found[0]

    def box_exists(self, title):
        return self.try_driver("find-window", BOX_CLASS, title) is not None

    def read_box(self, hwnd):
        """{"title": ..., "text": [...], "button": [...]}, with control
        characters written as \\uXXXX."""
        box = {"title": None, "text": [], "button": []}
        for line in self.driver("dialog-text", hwnd):
            key, _, value = line.partition("=")
            if key == "title":
                box["title"] = value
            elif key in box:
                box[key].append(value)
        return box

    def close_box(self, hwnd, title, key=None):
        """Presses OK, or the key once the box is in front, and waits for the box to go."""
        if key:
            self.wait_in_front(hwnd, "message box %r never had the focus" % title)
            self.driver("tap", key)
        else:
            self.driver("click-button", hwnd, "OK")
        if self.try_driver("wait-no-window", BOX_CLASS, title, 5000) is None:
            raise CaseFailure("message box %r stayed after OK" % title)


def wait_for(condition, limit, step=0.05):
    """Polls condition for at most limit seconds; returns whether it held."""
    deadline = time.monotonic() + limit
    while True:
        if condition():
            return True
        if time.monotonic() >= deadline:
            return False
        time.sleep(step)


def wait_until(condition, limit, reason):
    check(wait_for(condition, limit), reason)
