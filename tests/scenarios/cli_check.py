#!/usr/bin/env python3
"""Runs drav-workshop with options: --help and --version answer on standard
output and exit 0 without reaching Steam or the menu (no Steam library, no
store); anything else prints the reason and the usage on standard error and
exits 2."""

import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import harness  # noqa: E402

USAGE = "\nusage: drav-workshop"
CASES = [  # arguments, exit status, how standard output and standard error start
    (["--help"], 0, "usage: drav-workshop [-h | --help | --version]\n", ""),
    (["-h"], 0, "usage: drav-workshop [-h | --help | --version]\n", ""),
    (["--version"], 0, "drav-workshop 1.2\nSteam app id: ", ""),
    (["--frob"], 2, "", "drav-workshop: unknown or misplaced argument \"--frob\"" + USAGE),
    (["list", "x"], 2, "", "drav-workshop: list: wrong number of arguments" + USAGE + " list"),
]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--tool", required=True)
    parser.add_argument("--localsteam", default="")  # accepted like the other checks
    parser.add_argument("--wrapper", default="")
    args = parser.parse_args()
    failed = 0
    with harness.Sandbox(harness.Programs(args.tool, args.localsteam, args.wrapper),
                         store_args=None, prefix="drav-cli-") as box:
        del box.env["DRAV_LOCAL_STEAM"]
        for words, status, out_start, err_start in CASES:
            run = box.run(b"", args=words)
            out, err = run.text(), run.err.decode("utf-8", "replace").replace("\r\n", "\n")
            good = (run.code == status and os.listdir(box.cwd) == [] and
                    "Steam API could not be initialized" not in out and
                    all(text.startswith(start) and bool(text) == bool(start)
                        for text, start in ((out, out_start), (err, err_start))))
            failed += not good
            print("%s %s" % ("ok     " if good else "FAILED:", " ".join(words)))
            if not good:
                print("  exit %s\n  stdout %r\n  stderr %r" % (run.code, out[:300], err[:300]))
    print("%d failed" % failed)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
