#!/usr/bin/env python3
"""The terminal gets its own colour back however the tool ends (normal end,
SIGINT, SIGTERM), and NO_COLOR turns colours off. POSIX only."""

import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pty_check import GREEN, Terminal  # noqa: E402

SGR = re.compile(r"\x1b\[[0-9;]*m")
PROMPT = re.escape("\nx) Exit Tool.\n") + r"(?:\x1b\[[0-9;]*m)?\n/>"
FAILED = []


def check(condition, what, text):
    print("%s %s" % ("ok     " if condition else "FAILED:", what))
    if not condition:
        print("the terminal showed:\n%r" % text[-600:])
        FAILED.append(what)


def last_sgr(text):
    codes = SGR.findall(text)
    return codes[-1] if codes else None


def run(tool, root, env, finish):
    terminal = Terminal([tool], root, env)
    menu = terminal.read_until(PROMPT, 30)
    if menu is None:
        terminal.finish(1)
        return None, terminal.text
    finish(terminal)
    terminal.read_until(r"(?!)", 5)  # everything up to the end of output
    return terminal.finish(5), terminal.text


def by_exit(terminal):
    terminal.type("x\n")
    terminal.read_until(re.escape("Press any key"), 30)
    terminal.type("k")


def by_signal(number):
    def finish(terminal):
        os.kill(terminal.process.pid, number)
    return finish


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--tool", required=True)
    parser.add_argument("--localsteam", required=True)
    args = parser.parse_args()
    root = os.path.realpath(tempfile.mkdtemp(prefix="drav-colour-"))
    try:
        store = os.path.join(root, "store")
        os.mkdir(os.path.join(root, "game"))
        subprocess.run([os.path.abspath(args.localsteam), "init", store], check=True,
                       stdout=subprocess.DEVNULL)
        with open(os.path.join(root, "workshopPath.txt"), "w") as handle:
            handle.write(os.path.join(root, "game"))
        env = dict(os.environ, DRAV_LOCAL_STEAM=store, TERM="xterm")
        for name in ("DISPLAY", "WAYLAND_DISPLAY", "NO_COLOR"):
            env.pop(name, None)
        tool = os.path.abspath(args.tool)
        ends = [("x and a key", by_exit, 0), ("SIGINT", by_signal(signal.SIGINT),
                                               -signal.SIGINT),
                ("SIGTERM", by_signal(signal.SIGTERM), -signal.SIGTERM)]
        for name, finish, expected in ends:
            status, text = run(tool, root, env, finish)
            check(re.search(GREEN, text) is not None and status == expected,
                  "%s: coloured, and the tool ends with status %s" % (name, expected),
                  text)
            check(last_sgr(text) == "\x1b[0m",
                  "%s: the last colour code is the terminal's own" % name, text)
        for value, coloured in (("1", False), ("", True)):
            status, text = run(tool, root, dict(env, NO_COLOR=value), by_exit)
            check(status == 0 and (SGR.search(text) is not None) == coloured,
                  "NO_COLOR=%r: %s" % (value, "colours" if coloured else "no colours"),
                  text)
    finally:
        shutil.rmtree(root, ignore_errors=True)
    print("%d failed" % len(FAILED))
    return 1 if FAILED else 0


if __name__ == "__main__":
    sys.exit(main())
