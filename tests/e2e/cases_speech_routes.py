"""Which way our speech library speaks: NVDA when its controller client lies
beside the library and NVDA runs, else JAWS when its automation object can be
created and takes the call, else SAPI. The fake readers (readers/) write into
the speech log; flag files in the case folder steer them: nvda-running,
nvda-hangs, jaws-closed."""

import contextlib
import os
import shutil

from cases import case
from harness import CaseFailure, check, wait_for, windows_path

JAWS_CLSID = "{6B7E0F3A-2F51-4C4B-9D4E-3A1F5C0B7E21}"
# Wine 8 looks classes up in HKLM only; /reg:32 is the view a 32-bit process sees.
JAWS_KEYS = ["HKLM\\Software\\Classes\\FreedomSci.JawsApi",
             "HKLM\\Software\\Classes\\CLSID\\" + JAWS_CLSID]
THREAD_WORDS = ("route", "nvda", "jaws")  # lines the speaking thread writes


def register_jaws(c):
    dll = os.path.join(c.folder, "fake_jaws.dll")
    shutil.copy(c.build.fake_jaws, dll)
    server = JAWS_KEYS[1] + "\\InprocServer32"
    for key, value in [(JAWS_KEYS[0] + "\\CLSID", ["/ve", "/d", JAWS_CLSID]),
                       (server, ["/ve", "/d", windows_path(dll)]),
                       (server, ["/v", "ThreadingModel", "/d", "Both"])]:
        code, _, err = c.wine.run(["reg", "add", key] + value + ["/f", "/reg:32"])
        check(code == 0, "reg add %s failed: %s" % (key, err.strip()))


@contextlib.contextmanager
def jaws_cleanup(c):
    """The prefix outlives the case: remove the fake JAWS keys again."""
    try:
        yield
    finally:
        for key in JAWS_KEYS:
            c.wine.run(["reg", "delete", key, "/f", "/reg:32"])


def flag(c, name):
    open(os.path.join(c.folder, name), "wb").close()


def thread_lines(c):
    return [l for l in c.speech.lines() if l.split(" ")[0] in THREAD_WORDS]


def spawn_calls(c, calls):
    """Runs driver script lines naming the case's speech library as {dll} in
    one process that outlives the speaking thread's work."""
    library = windows_path(os.path.join(c.folder, "UniversalSpeech.dll"))
    script = os.path.join(c.folder, "calls.txt")
    with open(script, "w") as f:
        f.write("".join(l.format(dll=library) + "\n" for l in calls) + "sleep 30000\n")
    c.wine.spawn([c.build.driver, "script", windows_path(script)], env=c.env)


def wait_thread_lines(c, condition, expected):
    if not wait_for(condition, 10):
        raise CaseFailure("lines %r, expected %r" % (thread_lines(c), expected))


# A trailing backslash, which must not end JAWS's script string early.
CALLS = ["speech {dll} speechStop 0 0", "speech {dll} speechSay F5 1",
         "speech {dll} speechSay F6 0", "speech {dll} brailleDisplay Hello\\ 0"]
SAPI = ["route sapi stop", "route sapi say F5", "route sapi say F6", "route none braille Hello\\"]
ROUTES = [
    # name, where the NVDA client lies, flags, JAWS registered, lines expected
    ("nvda_before_jaws", "beside", ["nvda-running"], True,
     ["nvda cancelSpeech", "route nvda stop",
      "nvda cancelSpeech", "nvda speakText F5", "route nvda say F5",
      "nvda speakText F6", "route nvda say F6",
      "nvda brailleMessage Hello\\", "route nvda braille Hello\\"]),
    ("jaws_when_nvda_not_running", "beside", [], True,
     ["jaws StopSpeech", "route jaws stop", "jaws SayString F5 1", "route jaws say F5",
      "jaws SayString F6 0", "route jaws say F6",
      'jaws RunFunction BrailleString("Hello\\\\")', "route jaws braille Hello\\"]),
    ("sapi_when_no_reader", "beside", [], False, SAPI),
    ("nvda_client_on_search_path_is_not_loaded", "planted", ["nvda-running"], False, SAPI),
]


def route_case(name, nvda, flags, jaws, expected):
    def run(c):
        c.install("standard")
        if nvda:
            folder = os.path.join(c.folder, "planted") if nvda == "planted" else c.folder
            os.makedirs(folder, exist_ok=True)
            shutil.copy(c.build.fake_nvda, folder)
        if nvda == "planted":
            c.env["WINEPATH"] = windows_path(folder)
        for f in flags:
            flag(c, f)
        with jaws_cleanup(c):
            if jaws:
                register_jaws(c)
            spawn_calls(c, CALLS)
            wait_thread_lines(c, lambda: sum(l.startswith("route ") for l in thread_lines(c))
                              >= len(CALLS), expected)
        callers = [l for l in c.speech.lines() if l.split(" ")[0] not in THREAD_WORDS]
        check(callers == ["speechStop", "speechSay F5", "speechSay F6", "brailleDisplay Hello\\"],
              "call lines %r" % callers)
        check(thread_lines(c) == expected, "lines %r, expected %r" % (thread_lines(c), expected))
    run.__name__ = "speech_route_" + name
    return run


for _row in ROUTES:
    case(route_case(*_row))


@case
def speech_route_hung_reader_holds_up_neither_caller_nor_later_speech(c):
    """While NVDA hangs in F5, the calls for F6 and F7 return at once; F7
    interrupts, so F6, still waiting, is dropped; F7 is said once NVDA answers."""
    c.install("standard")
    shutil.copy(c.build.fake_nvda, c.folder)
    flag(c, "nvda-running")
    flag(c, "nvda-hangs")
    # The pause lets the speaking thread take F5 before the others come.
    spawn_calls(c, ["speech {dll} speechSay F5 1", "sleep 1000", "speech {dll} speechSay F6 0",
                    "speech {dll} speechSay F7 1"])
    check(wait_for(lambda: "speechSay F7" in c.speech.lines(), 10), "log %r" % c.speech.lines())
    check("nvda speakText F5" not in c.speech.lines(), "the calls waited for the hung reader")
    os.remove(os.path.join(c.folder, "nvda-hangs"))
    expected = ["nvda cancelSpeech", "nvda speakText F5", "route nvda say F5",
                "nvda cancelSpeech", "nvda speakText F7", "route nvda say F7"]
    wait_thread_lines(c, lambda: thread_lines(c) == expected, expected)


@case
def speech_route_follows_readers_started_and_closed(c):
    c.install("standard")
    shutil.copy(c.build.fake_nvda, c.folder)
    c.start_target()
    c.start_quillet()
    with jaws_cleanup(c):
        for key, change, expected in [
                ("f5", lambda: None, ["route sapi say F5", "route none braille F5"]),
                ("f6", lambda: flag(c, "nvda-running"),
                 ["nvda cancelSpeech", "nvda speakText F6", "route nvda say F6",
                  "nvda brailleMessage F6", "route nvda braille F6"]),
                ("f7", lambda: (os.remove(os.path.join(c.folder, "nvda-running")),
                                register_jaws(c)),
                 ["jaws SayString F7 1", "route jaws say F7",
                  'jaws RunFunction BrailleString("F7")', "route jaws braille F7"]),
                ("f8", lambda: flag(c, "jaws-closed"),
                 ["jaws SayString F8 1", "route sapi say F8",
                  'jaws RunFunction BrailleString("F8")', "route none braille F8"])]:
            change()
            c.mark()
            c.driver("tap", key)
            wait_thread_lines(c, lambda: thread_lines(c) == expected, expected)


@case
def speech_library_loads_reader_client_by_bare_name(c):
    """A full speech library loads NVDA's client lying beside it by bare name,
    here under the name it has had since NVDA 2024.1: the program's folder is
    searched for libraries loaded by name."""
    c.install("bare_name_client")
    shutil.copy(c.build.fake_nvda, os.path.join(c.folder, "nvdaControllerClient.dll"))
    flag(c, "nvda-running")
    c.start_target()
    c.start_quillet()
    c.driver("tap", "f5")
    expected = ["nvda cancelSpeech", "nvda speakText F5", "route nvda say F5",
                "nvda brailleMessage F5", "route nvda braille F5"]
    wait_thread_lines(c, lambda: thread_lines(c) == expected, expected)
