"""What the fault scripts share beyond ../harness.py: the case runner, the
checks that hold after every run whatever was injected, and the world of a
whole session. Standard library only; Linux only.
"""

import argparse
import os
import random
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))
import harness  # noqa: E402
from harness import (BANNER, COMPLETED, PROMPT, STAGING, answers, kill_group, menu,  # noqa
                     tree)

PREVIEW = os.path.join(HERE, "..", "scenarios", "data", "preview_a.png")
# What the sanitizers print when they find something.
SANITIZER_MARKS = (b"ERROR: AddressSanitizer", b"ERROR: LeakSanitizer", b"runtime error:")


class Failure(Exception):
    """A fault the tool did not survive as it should."""


def check(condition, message):
    if not condition:
        raise Failure(message)


def check_sanitizer(run, what):
    marks = [mark.decode() for mark in SANITIZER_MARKS if mark in run.err]
    check(not marks, "%s: the sanitizer reported %s:\n%s" % (what, marks, run.err_tail()))


def check_clean_end(run, what):
    """No sanitizer report, exit 0 in time, the completion message last."""
    check_sanitizer(run, what)
    check(run.code == 0 and run.text().endswith(COMPLETED),
          "%s: exit status %s (None: killed at the time limit), output ending %r\n"
          "  standard error:\n%s" % (what, run.code, run.text()[-600:], run.err_tail()))


def check_text(text, wanted, what, whole=False):
    """`text` begins with (or, if `whole`, is) `wanted`; else where they part."""
    at = len(os.path.commonprefix([wanted, text]))
    start = max(0, at - 300)
    check(at == len(wanted) and (not whole or at == len(text)),
          "%s: the output differs at character %d\n  expected: %r\n  actual:   %r" % (
              what, at, wanted[start:at + 200], text[start:at + 200]))


def read(path):
    with open(path, "rb") as handle:
        return handle.read()


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as handle:
        handle.write(data)


def full_session(setup):
    """Makes the world of a session that creates a map, updates it, installs
    a subscription and changes the workshop path; its answers."""
    levels = os.path.join(setup.game, "Levels")
    for name, data in (("game/Levels/canyon.tmx", b"<map/>"), ("src/dune.tmx", b"<map/>"),
                       ("game/Levels/canyon.png", read(PREVIEW)),
                       ("game/Levels/canyon_v2.tmx", b"<map v='2'/>")):
        write(os.path.join(setup.root, name), data)
    item = setup.publish("Dune", os.path.join(setup.root, "src", "dune.tmx"), "--owner", "2002")
    setup.localsteam("subscribe", setup.store, item)
    setup.localsteam("install", setup.store, item)
    os.makedirs(os.path.join(setup.root, "other"))
    return ["1", "1", "Red Canyon", os.path.join(levels, "canyon.tmx"),
            "2", "0", os.path.join(levels, "canyon_v2.tmx"), "n", "Wider docks",
            "3", "5", os.path.join(setup.root, "other"), "x"]


def main(cases):
    """Runs each case(sandbox, rng), where `sandbox()` makes a sandbox whose
    path file names its game folder; exit 1 on any failure. Each case draws
    from its own generator, so it can be rerun alone with the same draws."""
    parser = argparse.ArgumentParser(description=sys.modules["__main__"].__doc__)
    parser.add_argument("--tool", required=True)
    parser.add_argument("--localsteam", required=True)
    parser.add_argument("--draw", type=int, default=1, help="starts the random choices")
    parser.add_argument("--keep", action="store_true", help="keep the sandboxes")
    args = parser.parse_args()
    programs = harness.Programs(args.tool, args.localsteam)
    failed = 0
    for case in cases:
        started = time.monotonic()
        try:
            case(lambda: harness.Sandbox(programs, path_file=True, keep=args.keep),
                 random.Random("%d/%s" % (args.draw, case.__name__)))
            print("ok      %s (%.1fs)" % (case.__name__, time.monotonic() - started))
        except (Failure, harness.HarnessError) as failure:
            failed += 1
            print("FAILED  %s (draw %d)\n    %s\n" % (
                case.__name__, args.draw, str(failure).replace("\n", "\n    ")))
        sys.stdout.flush()
    print("%d cases, %d failed" % (len(cases), failed))
    sys.exit(1 if failed else 0)
