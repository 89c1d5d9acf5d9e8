"""The release package named by QUILLET_PACKAGE (scripts/package.sh builds
it): unpacked into a fresh folder, Quillet.exe starts and guards keys. Only
there when QUILLET_PACKAGE is set."""

import os
import zipfile

from cases import case, expect_swallowed_once
from harness import check


def unpacked_package_runs_and_guards_keys(c):
    with zipfile.ZipFile(os.environ["QUILLET_PACKAGE"]) as z:
        z.extractall(c.folder)
    c.start_target()
    c.start_quillet()
    expect_swallowed_once(c, "f5", 116, "F5")
    check("route sapi say F5" in c.speech.lines(), "speech log %r" % c.speech.lines())


if os.environ.get("QUILLET_PACKAGE"):
    case(unpacked_package_runs_and_guards_keys)
