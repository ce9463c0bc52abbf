#!/usr/bin/env python3
"""Runs drav-workshop with options: --help and --version answer on standard
output and exit 0 without reaching Steam or the menu (no Steam library, no
store); anything else prints the usage on standard error and exits 2."""

import argparse
import os
import shlex
import subprocess
import sys
import tempfile

CASES = [
    # arguments, exit status, text standard output starts with, on stderr
    (["--help"], 0, "usage: drav-workshop [-h | --help | --version]\n", None),
    (["-h"], 0, "usage: drav-workshop", None),
    (["--version"], 0, "drav-workshop 1.2\nSteam app id: ", None),
    (["--frob"], 2, "", "usage: drav-workshop"),
    (["list", "x"], 2, "", "usage: drav-workshop list"),
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
        for words, status, out_start, err_has in CASES:
            run = subprocess.run(shlex.split(args.wrapper) + [os.path.abspath(args.tool)]
                                 + words, cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                                 capture_output=True, timeout=20)
            out = run.stdout.decode("utf-8", "replace").replace("\r\n", "\n")
            err = run.stderr.decode("utf-8", "replace").replace("\r\n", "\n")
            good = (run.returncode == status and out.startswith(out_start)
                    and (bool(out) == bool(out_start))
                    and "Steam API could not be initialized" not in out
                    and (err_has in err if err_has else "drav-workshop" not in err)
                    and os.listdir(cwd) == [])
            print("%s %s" % ("ok     " if good else "FAILED:", " ".join(words)))
            if not good:
                failed += 1
                print("  exit %s\n  stdout %r\n  stderr %r" % (run.returncode, out[:300],
                                                              err[:300]))
    print("%d failed" % failed)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
