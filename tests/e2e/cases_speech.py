"""Where the speech library may come from: only the executable's folder and
the system folders, never a folder on the search path."""

import os
import shutil

from cases import case
from harness import CaseFailure, check, windows_path


@case
def speech_library_on_search_path_is_not_loaded(c):
    planted = os.path.join(c.folder, "planted")
    os.makedirs(planted)
    shutil.copy(c.build.speech, planted)
    c.env["WINEPATH"] = windows_path(planted)
    c.install(None)
    c.start_target()
    c.start_quillet(ready=False)
    box = c.find_box("Error")
    text = c.read_box(box)["text"]
    check(text == ["Could not load required components."], "box text %r" % text)
    check(c.speech.all_lines() == [], "the planted library was called: %r" % c.speech.all_lines())
    c.close_box(box, "Error")
    if c.try_driver("wait-process-exit", "Quillet.exe", 10000) is None:
        raise CaseFailure("Quillet.exe still runs after the box was closed")
