"""End-to-end cases for the settings file beside Quillet.exe and for the sound
cues at start and exit: what the program reads, when it rewrites the file (and
the exact bytes it writes), which files it leaves alone, and how long it takes
to end once its window is asked to close."""

import os
import time

from cases import case, expect_swallowed_once, presses, press_release_press
from cases_shell import choose
from harness import CaseFailure, check, wait_for, wait_until, windows_path

WM_CLOSE = 16

# The program's own layout: names padded so the colons line up, CR LF breaks,
# no break after the closing brace.
SETTINGS_LAYOUT = ('{\r\n  "exclude_escape"    : %d,\r\n  "doublePressTimeout": %d,\r\n'
                   '  "runAsAdmin"        : %d\r\n}')


def settings_text(exclude_escape, timeout, run_as_admin):
    return (SETTINGS_LAYOUT % (exclude_escape, timeout, run_as_admin)).encode("ascii")


def write_file(path, data):
    with open(path, "wb") as f:
        f.write(data)


def read_file(path):
    with open(path, "rb") as f:
        return f.read()


def file_state(path):
    """Bytes, modification time and inode: a rewrite through a replacement
    file changes at least one of them."""
    st = os.stat(path)
    return read_file(path), st.st_mtime_ns, st.st_ino


def start_with_file(c, data):
    """Installs Quillet with these exact settings bytes (None: no file) and
    starts it beside the key target."""
    c.install(settings=None)
    if data is not None:
        write_file(c.settings_path(), data)
    c.start_target()


def escape_passes(c):
    c.mark()
    c.driver("tap", "esc")
    seen = presses(c, 27)
    check("down 27" in seen, "a single Escape was filtered although excluded: %r" % seen)
    check(c.spoken() == [], "spoken %r for an excluded Escape" % c.spoken())


def expect_default_filtering(c):
    """Escape guarded, and F5 with a 300 ms timeout: a press 150 ms after a
    release passes (not 50), one 400 ms after a release is swallowed (not 1000)."""
    c.mark()
    c.script("tap esc\nsleep 400\n" + press_release_press("f5", 150) + "sleep 400\n" +
             press_release_press("f5", 400))
    wait_for(lambda: len(c.spoken()) >= 4, 3)
    seen = c.key_events()
    check("down 27" not in seen and "up 27" in seen,
          "Escape was not guarded as by default: %r" % seen)
    check(seen.count("down 116") == 1,
          "expected only the F5 press 150 ms after a release to pass, saw %r" % seen)
    check(c.spoken() == ["Escape", "F5", "F5", "F5"], "spoken %r" % c.spoken())


# --- corrections at start rewrite the whole file in the program's layout -----------

REWRITES = [
    # name, file before, (exclude_escape, doublePressTimeout, runAsAdmin) after
    ("timeout_20_only", b'{"doublePressTimeout":20}', (0, 50, 0)),
    ("exclude_escape_2", b'{"exclude_escape": 2, "doublePressTimeout": 300, "runAsAdmin": 0}',
     (1, 300, 0)),
    ("both_corrected_extra_dropped",
     b'{\n"runAsAdmin":0,"extra":[1,{"a":2}],"doublePressTimeout":-5,"exclude_escape":2}\n',
     (1, 50, 0)),
]


def rewrite_case(name, before, after):
    def fn(c):
        start_with_file(c, before)
        c.start_quillet()
        expected = settings_text(*after)
        saved = read_file(c.settings_path())
        check(saved == expected, "file is %r, expected %r" % (saved, expected))
        if after[0]:
            escape_passes(c)
        else:
            expect_swallowed_once(c, "esc", 27, "Escape")

    fn.__name__ = "settings_rewritten_" + name
    case(fn)


for _rewrite in REWRITES:
    rewrite_case(*_rewrite)


@case
def settings_run_as_admin_7_not_rewritten(c):
    """runAsAdmin is never corrected; under Wine the process is already
    elevated, so it runs on without a relaunch."""
    start_with_file(c, b'{"runAsAdmin":7}')
    before = file_state(c.settings_path())
    c.start_quillet()
    check(file_state(c.settings_path()) == before, "the file was rewritten: %r" %
          read_file(c.settings_path()))
    check(c.quillet_count() == 1, "expected one Quillet.exe, found %d" % c.quillet_count())
    expect_default_filtering(c)


# --- files that are not valid settings leave the defaults and stay as they are ------

def deep_balanced(depth):
    return b'{"doublePressTimeout":20,"exclude_escape":1,"deep":' + b"[" * depth + b"]" * depth + b"}"


UNREADABLE = [
    # Each would change the filtering (or force a rewrite) if it were read.
    ("byte_order_mark",
     b'\xef\xbb\xbf{"exclude_escape":1,"doublePressTimeout":1000,"runAsAdmin":0}'),
    ("trailing_comma", b'{"exclude_escape": 2, "doublePressTimeout": 20, "runAsAdmin": 0,}'),
    ("deep_open_brackets", b"[" * 100000),
    ("deep_balanced_brackets", deep_balanced(100000)),
    ("root_array", b'[{"exclude_escape":1,"doublePressTimeout":20}]'),
    ("empty", b""),
]


def unreadable_case(name, data):
    def fn(c):
        start_with_file(c, data)
        before = file_state(c.settings_path())
        c.start_quillet()
        expect_default_filtering(c)
        after = file_state(c.settings_path())
        check(after == before, "the file changed: %r" % after[0][:200])

    fn.__name__ = "settings_unreadable_" + name
    case(fn)


for _unreadable in UNREADABLE:
    unreadable_case(*_unreadable)


@case
def settings_folder_named_like_file(c):
    start_with_file(c, None)
    os.makedirs(c.settings_path())
    c.start_quillet()
    expect_default_filtering(c)
    check(os.path.isdir(c.settings_path()) and os.listdir(c.settings_path()) == [],
          "the folder Quillet.json was changed")


@case
def settings_missing_stays_missing(c):
    """No file and nothing to correct: nothing is written, neither at start
    nor at exit."""
    start_with_file(c, None)
    c.start_quillet()
    expect_default_filtering(c)
    check(not os.path.exists(c.settings_path()), "a settings file was created at start")
    c.driver("post", c.quillet_window, WM_CLOSE, 0, 0)
    check(c.try_driver("wait-process-exit", "Quillet.exe", 10000, limit=30) is not None,
          "Quillet.exe still runs 10 s after WM_CLOSE")
    check(not os.path.exists(c.settings_path()), "a settings file was created at exit")
    leftovers = [n for n in os.listdir(c.folder) if n.lower().startswith("quillet.json")]
    check(leftovers == [], "files left beside the program: %r" % leftovers)


# --- the file beside the executable, wherever the program is started from -----------

@case
def settings_beside_exe_not_working_dir(c):
    start_with_file(c, settings_text(1, 300, 0))
    beside = file_state(c.settings_path())
    elsewhere = os.path.join(c.folder, "elsewhere")
    os.makedirs(elsewhere)
    decoy = os.path.join(elsewhere, "Quillet.json")
    # Read from here, it would guard Escape and force a rewrite to 50.
    write_file(decoy, b'{"exclude_escape":0,"doublePressTimeout":20,"runAsAdmin":0}')
    decoy_before = file_state(decoy)
    c.wine.spawn([windows_path(os.path.join(c.folder, "Quillet.exe")), "/silent"],
                 cwd=elsewhere, env=c.env)
    c.wait_ready()
    escape_passes(c)
    check(file_state(decoy) == decoy_before, "the working directory's file was touched")
    check(file_state(c.settings_path()) == beside, "the file beside the program was rewritten")
    check(os.listdir(elsewhere) == ["Quillet.json"], "files appeared in the working directory: %r" %
          os.listdir(elsewhere))


@case
def settings_in_deep_folder(c):
    """Started from a folder whose Windows path is longer than 260 characters,
    with the working directory elsewhere: the file there is read (Escape
    excluded kept) and corrected in place (20 -> 50), nothing is written where
    the program was started from, and the speech library beside it is found,
    so the program runs and speaks."""
    c.install(settings=None)
    deep = c.folder
    while len(windows_path(deep)) <= 300:
        deep = os.path.join(deep, "a_rather_long_folder_name_for_the_path_test_%02d" % len(deep))
    os.makedirs(deep)
    for name in ("Quillet.exe", "UniversalSpeech.dll"):
        os.replace(os.path.join(c.folder, name), os.path.join(deep, name))
    settings = os.path.join(deep, "Quillet.json")
    write_file(settings, b'{"exclude_escape":1,"doublePressTimeout":20,"runAsAdmin":0}')
    c.wine.spawn([windows_path(os.path.join(deep, "Quillet.exe")), "/silent"], cwd=c.folder,
                 env=c.env)
    expected = settings_text(1, 50, 0)
    wait_for(lambda: read_file(settings) == expected, 15)
    check(read_file(settings) == expected, "deep file is %r" % read_file(settings))
    strays = [n for n in os.listdir(c.folder) if n.lower().startswith("quillet.json")]
    check(strays == [], "settings written where the program was started: %r" % strays)
    if c.box_exists("Error"):
        raise CaseFailure("box at start: %r" % c.read_box(c.find_box("Error")))
    c.wait_ready()


# --- a file that cannot be replaced --------------------------------------------------

@case
def settings_save_failure_is_told_without_cue(c):
    """Folders stand where the new file would be written (both names the writer
    tries), so the save fails: choosing "Exclude Escape key" shows an error box naming
    the file instead of the cue, and Escape is excluded for this run all the same. With
    the folders gone, the next choice saves and its cue is heard, so the audio
    device did record."""
    # cases_threads imports this module: taken here, once both are loaded.
    from cases_threads import file_backed_audio, heard_segments, windows_pid
    path = file_backed_audio(c)
    heard = lambda: heard_segments(path) if os.path.exists(path) else []  # noqa: E731
    start_with_file(c, settings_text(0, 300, 0))
    c.start_quillet()
    blocks = [c.settings_path() + ".tmp",
              "%s.%s.tmp" % (c.settings_path(), windows_pid(c, c.quillet_window))]
    for block in blocks:
        os.makedirs(block)
    before = file_state(c.settings_path())
    choose(c, "down", "enter")
    box = c.find_box("Error")
    # The driver writes a backslash as two.
    expected = ("Could not save the settings to %s." %
                windows_path(c.settings_path()).replace("\\", "\\\\"))
    check(c.read_box(box)["text"] == [expected], "box %r" % c.read_box(box))
    c.close_box(box, "Error")
    time.sleep(1.0)  # the device writes about 100 ms behind what it plays
    check(heard() == [], "a cue was heard: %r" % heard())
    check(file_state(c.settings_path()) == before, "the file was changed")
    c.focus_target()
    escape_passes(c)

    for block in blocks:
        os.rmdir(block)
    choose(c, "down", "enter")
    wait_until(lambda: file_state(c.settings_path()) != before, 5, "not saved without the folders")
    wait_until(lambda: len(heard()) == 1, 5, "no cue after the save: %r" % heard())
    check(not c.box_exists("Error"), "an error box after a save that worked")


# --- start cue switch and the exit wait ------------------------------------------------

def audio_device_present():
    """Whether Wine could reach a sound card or a sound server here; without
    one, miniaudio finds no playback device."""
    runtime = os.environ.get("XDG_RUNTIME_DIR", "")
    return (os.path.exists("/dev/snd") or bool(os.environ.get("PULSE_SERVER")) or
            (bool(runtime) and os.path.exists(os.path.join(runtime, "pulse", "native"))))


EXIT_POLL_MS = 10
EXIT_POLL_END_MS = 2500
# Without a device the exit needs the hook, window and sound layer torn down
# (a 60 ms pause among them); a cue played to its end takes 836 ms more.
EXIT_BOUND_MS = 600
EXIT_CUE_MS = 800


def measure_exit_ms(c):
    """Posts WM_CLOSE to the hidden window and, inside one driver process,
    polls the process list every 10 ms; returns the first time (ms after the
    post) at which no Quillet.exe was left, or None."""
    lines = ["post %s %d 0 0" % (c.quillet_window, WM_CLOSE)]
    for t in range(EXIT_POLL_MS, EXIT_POLL_END_MS + 1, EXIT_POLL_MS):
        lines += ["at %d" % t, "echo %d" % t, "count-processes Quillet.exe"]
    out = c.script("\n".join(lines) + "\n", limit=30)
    samples = list(zip(out[0::2], out[1::2]))
    return next((int(t) for t, count in samples if count == "0"), None)


SOUND_STARTS = [
    ("no_parameters", ()),
    ("silent", ("/silent",)),
    ("silent_capitals", ("/SILENT",)),
]


def sound_case(name, args):
    def fn(c):
        c.install()
        c.start_target()
        # Spawned directly: start_quillet would add /silent to an empty list.
        c.wine.spawn([os.path.join(c.folder, "Quillet.exe")] + list(args), cwd=c.folder,
                     env=c.env)
        c.wait_ready()
        expect_swallowed_once(c, "f5", 116, "F5")
        exit_ms = measure_exit_ms(c)
        check(exit_ms is not None, "Quillet.exe still ran %d ms after WM_CLOSE" % EXIT_POLL_END_MS)
        if audio_device_present():
            check(exit_ms >= EXIT_CUE_MS, "ended %d ms after WM_CLOSE, before the exit cue's end"
                  % exit_ms)
        else:
            check(exit_ms < EXIT_BOUND_MS, "with no audio device, still ran until %d ms after "
                  "WM_CLOSE (bound %d ms): the exit cue was waited for" % (exit_ms, EXIT_BOUND_MS))

    fn.__name__ = "sound_start_%s_exit_wait" % name
    case(fn)


for _start in SOUND_STARTS:
    sound_case(*_start)
