#!/usr/bin/env python3
"""Runs drav-workshop with options: --help and --version answer on standard
output and exit 0 without reaching Steam or the menu (no Steam library, no
store); anything else prints the reason and the usage on standard error and
exits 2."""

import argparse
import os
import shlex
import subprocess
import sys
import tempfile

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
    parser.add_argument("--localsteam")  # accepted like the other checks
    parser.add_argument("--wrapper", default="")
    args = parser.parse_args()
    env = dict(os.environ)
    env.pop("DRAV_LOCAL_STEAM", None)
    failed = 0
    with tempfile.TemporaryDirectory(prefix="drav-cli-") as cwd:
        for words, status, out_start, err_start in CASES:
            run = subprocess.run(shlex.split(args.wrapper) + [os.path.abspath(args.tool)]
                                 + words, cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                                 capture_output=True, timeout=20)
            out, err = (stream.decode("utf-8", "replace").replace("\r\n", "\n")
                        for stream in (run.stdout, run.stderr))
            good = (run.returncode == status and os.listdir(cwd) == [] and
                    "Steam API could not be initialized" not in out and
                    all(text.startswith(start) and bool(text) == bool(start)
                        for text, start in ((out, out_start), (err, err_start))))
            failed += not good
            print("%s %s" % ("ok     " if good else "FAILED:", " ".join(words)))
            if not good:
                print("  exit %s\n  stdout %r\n  stderr %r" % (run.returncode, out[:300],
                                                              err[:300]))
    print("%d failed" % failed)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
