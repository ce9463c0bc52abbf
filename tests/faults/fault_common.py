"""What the fault scripts share beyond ../harness.py: the case runner and
the checks that hold after every run whatever was injected. Standard library
only; Linux only.
"""

import argparse
import os
import random
import sys
import time

TESTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
sys.path.insert(0, TESTS)
import harness  # noqa: E402
from harness import (BANNER, COMPLETED, PROMPT, STAGING, answers, kill_group, menu,  # noqa
                     tree)

PREVIEW = os.path.join(TESTS, "scenarios", "data", "preview_a.png")
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


def contents(folder):
    """The files below `folder` (not the lock file) with their bytes."""
    return {name: read(os.path.join(folder, name)) for name in tree(folder)
            if not name.endswith("/")}


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as handle:
        handle.write(data)


def main(cases):
    """Runs each case(sandbox, rng) until one fails; `sandbox()` makes a
    sandbox whose path file names its game folder. Each case draws from its
    own generator, so it can be rerun alone with the same draws."""
    parser = argparse.ArgumentParser(description=sys.modules["__main__"].__doc__)
    parser.add_argument("--tool", required=True)
    parser.add_argument("--localsteam", required=True)
    parser.add_argument("--draw", type=int, default=1, help="starts the random choices")
    parser.add_argument("--keep", action="store_true", help="keep the sandboxes")
    args = parser.parse_args()
    programs = harness.Programs(args.tool, args.localsteam)
    for case in cases:
        started = time.monotonic()
        try:
            case(lambda: harness.Sandbox(programs, path_file=True, keep=args.keep),
                 random.Random("%d/%s" % (args.draw, case.__name__)))
        except (Failure, harness.HarnessError) as failure:
            sys.exit("FAILED  %s (draw %d)\n%s" % (case.__name__, args.draw, failure))
        print("ok      %s (%.1fs)" % (case.__name__, time.monotonic() - started), flush=True)
