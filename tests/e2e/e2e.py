#!/usr/bin/env python3
"""Runs the end-to-end cases (or, with --demo, a narrated demonstration) of
Quillet.exe under Wine. Meant to be started by scripts/e2e.sh, which prepares
the Wine prefix and the display.

Usage: e2e.py [--demo] [-k SUBSTRING[,SUBSTRING...]] [BUILD_DIR]   (default build/windows)
"""

import argparse
import os
import signal
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import glob  # noqa: E402
import importlib  # noqa: E402

import cases  # noqa: E402
import demo  # noqa: E402

# Every cases_*.py beside this file adds its cases to cases.CASES on import.
for _path in sorted(glob.glob(os.path.join(os.path.dirname(os.path.abspath(__file__)), "cases_*.py"))):
    importlib.import_module(os.path.splitext(os.path.basename(_path))[0])
from harness import Build, Case, CaseFailure, Wine  # noqa: E402

REPO = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))


def run_cases(build, wine, root, pattern):
    passed = failed = 0
    for fn in cases.CASES:
        name = fn.__name__
        if pattern and not any(p in name for p in pattern.split(",")):
            continue
        try:
            fn(Case(name, build, wine, root))
            print("PASS %s" % name, flush=True)
            passed += 1
        except CaseFailure as e:
            print("FAIL %s: %s" % (name, e), flush=True)
            failed += 1
        except Exception as e:  # a harness fault still fails the case, never the run
            print("FAIL %s: harness error %s: %s" % (name, type(e).__name__, e), flush=True)
            failed += 1
        finally:
            wine.reset()
    print("%d passed, %d failed" % (passed, failed), flush=True)
    return failed == 0 and passed > 0


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("build", nargs="?", default=os.path.join(REPO, "build", "windows"))
    parser.add_argument("--demo", action="store_true", help="narrate a short demonstration")
    parser.add_argument("-k", dest="pattern", help="run only cases whose name contains one of these (comma-separated)")
    args = parser.parse_args()

    build = Build(args.build)
    missing = build.missing()
    if missing:
        print("FAIL setup: missing %s (build the Windows tree first)" % ", ".join(missing))
        print("0 passed, 1 failed")
        return 1
    if not os.environ.get("WINEPREFIX") or not os.environ.get("DISPLAY"):
        print("FAIL setup: no Wine prefix or display; run through scripts/e2e.sh")
        print("0 passed, 1 failed")
        return 1

    # A signal ends the run through the finally below, which ends every process.
    def interrupted(signum, _frame):
        raise KeyboardInterrupt("signal %d" % signum)
    signal.signal(signal.SIGTERM, interrupted)

    wine = Wine()
    base = os.environ.get("QUILLET_RUN_DIR") or tempfile.gettempdir()
    root = tempfile.mkdtemp(prefix="e2e-", dir=base)
    try:
        if args.demo:
            return 0 if demo.run(Case("demo", build, wine, root)) else 1
        return 0 if run_cases(build, wine, root, args.pattern) else 1
    finally:
        wine.reset()


if __name__ == "__main__":
    sys.exit(main())
