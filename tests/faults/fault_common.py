"""What the fault-injection scripts share: the harness's sandbox with the
workshop path stored, a whole session, and the checks that hold after every
run whatever was injected. Standard library only; Linux only.
"""

import argparse
import json
import os
import random
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))
import harness  # noqa: E402
# The scripts reach the harness's texts and helpers through this module.
from harness import (BANNER, COMPLETED, PROMPT, STAGING, TYPE_MENU,  # noqa: E402,F401
                     kill_group, menu, tree)

PREVIEW = os.path.join(HERE, "..", "scenarios", "data", "preview_a.png")
lines = harness.answers

# What the sanitizers print when they find something.
SANITIZER_MARKS = (b"ERROR: AddressSanitizer", b"ERROR: LeakSanitizer",
                   b"runtime error:")


class Failure(Exception):
    """A fault the tool did not survive as it should."""


def parse_args(description):
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--tool", required=True, help="the drav-workshop executable")
    parser.add_argument("--localsteam", required=True,
                        help="the drav-localsteam executable")
    parser.add_argument("--draw", type=int, default=1,
                        help="number that starts the random choices")
    parser.add_argument("--keep", action="store_true",
                        help="keep the temporary folders, for inspection")
    return parser.parse_args()


def sandbox(args, name):
    """A sandbox whose path file names its game folder."""
    return harness.Sandbox(harness.Programs(args.tool, args.localsteam), path_file=True,
                           keep=args.keep, prefix="drav-fault-%s-" % name)


def full_session(setup):
    """Prepares a session that creates a map, updates it, installs a
    subscription and changes the workshop path; returns its answers, one
    per question."""
    levels = os.path.join(setup.game, "Levels")
    write(os.path.join(levels, "canyon.tmx"), b"<map name='canyon'/>\n")
    write(os.path.join(levels, "canyon.png"), read(PREVIEW))
    write(os.path.join(levels, "canyon_v2.tmx"), b"<map name='canyon' v='2'/>\n")
    dune = os.path.join(setup.root, "src", "dune.tmx")
    write(dune, b"<map name='dune'/>\n")
    item = setup.publish("Dune", dune, "--owner", "2002")
    setup.localsteam("subscribe", setup.store, item)
    setup.localsteam("install", setup.store, item)
    other = os.path.join(setup.root, "other")
    os.makedirs(other)
    return ["1", "1", "Red Canyon", os.path.join(levels, "canyon.tmx"),
            "2", "0", os.path.join(levels, "canyon_v2.tmx"), "n", "Wider docks",
            "3", "5", other, "x"]


def check_full_session(run, setup):
    """The whole session went through: two uploads, the install, the new
    path."""
    check_clean_end(run, "the whole session", 20)
    text = run.text()
    check(text.count("\nUPLOAD SUCCESSFUL!\n") == 2 and
          "\nInstalling the Map \"dune.tmx\"...done!" in text and
          "\n\nThe current workshop path is now: %s" % os.path.join(setup.root, "other")
          in text, "the whole session did not go through:\n%s" % text)






def check_clean_end(run, what, timeout):
    """Exit 0 in time, the completion message last, no sanitizer report."""
    problems = []
    if run.code is None:
        problems.append("did not end within %g s (killed)" % timeout)
    elif run.code != 0:
        problems.append("exit status %d" % run.code)
    for mark in SANITIZER_MARKS:
        if mark in run.err:
            problems.append("the sanitizer reported %r" % mark.decode())
    if run.code == 0 and not run.text().endswith(COMPLETED):
        problems.append("the output does not end with the completion message")
    if problems:
        raise Failure("%s: %s\n  output tail: %r\n  standard error:\n%s" % (
            what, "; ".join(problems), run.text()[-600:], run.err_tail()))


def check(condition, message):
    if not condition:
        raise Failure(message)




def prompt_end(text, count):
    """The length of `text` up to and with its `count`th prompt."""
    at = -len(PROMPT)
    for _ in range(count):
        at = text.index(PROMPT, at + len(PROMPT))
    return at + len(PROMPT)


def first_difference(expected, actual):
    """Where two texts part, with some context on either side."""
    at = next((i for i, (a, b) in enumerate(zip(expected, actual)) if a != b),
              min(len(expected), len(actual)))
    start = max(0, at - 300)
    return "  at character %d\n  expected: %r\n  actual:   %r" % (
        at, expected[start:at + 200], actual[start:at + 200])


def json_of(text):
    try:
        return json.loads(text)
    except ValueError as error:
        raise Failure("not JSON (%s): %r" % (error, text[:300]))


def read(path):
    with open(path, "rb") as handle:
        return handle.read()


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as handle:
        handle.write(data)


def main(description, cases):
    """Runs each (name, function(args, rng)) and reports; exit 1 on any
    failure. Each case gets its own generator from that number, so one case
    can be rerun alone with the same draws."""
    args = parse_args(description)
    failed = 0
    for name, case in cases:
        rng = random.Random("%d/%s" % (args.draw, name))
        started = time.monotonic()
        try:
            case(args, rng)
        except (Failure, harness.HarnessError) as failure:
            failed += 1
            print("FAILED  %s (draw %d)\n%s\n" % (
                name, args.draw, "\n".join("    " + line for line in
                                           str(failure).splitlines())))
        else:
            print("ok      %s (%.1fs)" % (name, time.monotonic() - started))
        sys.stdout.flush()
    print("%d cases, %d failed" % (len(cases), failed))
    return 1 if failed else 0
