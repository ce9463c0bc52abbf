#!/usr/bin/env python3
"""Input that ends at a terminal: after Ctrl-D the next question waits for
the terminal again (the menu is shown once more, not endlessly), and a
terminal that hangs up while SIGHUP is ignored ends the tool instead of
making it spin. POSIX only."""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pty_check import Terminal  # noqa: E402

PROMPT = re.escape("\nx) Exit Tool.\n") + r"(?:\x1b\[[0-9;]*m)?\n/>"
FAILED = []


def check(condition, what, text):
    print("%s %s" % ("ok     " if condition else "FAILED:", what))
    if not condition:
        print("the terminal showed:\n%r" % text[-600:])
        FAILED.append(what)


def ctrl_d(tool, root, env):
    terminal = Terminal([tool], root, env)
    terminal.read_until(PROMPT, 30)
    terminal.type("\x04")
    terminal.read_until("I didn't understand", 10)
    terminal.read_until(r"(?!)", 1)  # what a spinning menu would add
    menus = terminal.text.count("CHOOSE ACTION")
    terminal.type("x\n")
    terminal.read_until(re.escape("Press any key"), 30)
    terminal.type("k")
    status = terminal.finish(10)
    check(menus == 2 and status == 0,
          "Ctrl-D: the menu again once (%d times), then x ends the tool" % menus,
          terminal.text)


def hang_up(tool, root, env):
    # The ignored SIGHUP survives the exec, as under nohup.
    terminal = Terminal(["sh", "-c", "trap '' HUP; exec \"$0\"", tool], root, env)
    shown = terminal.read_until(PROMPT, 30)
    os.close(terminal.master)
    started = time.monotonic()
    try:
        status = terminal.process.wait(10)
    except subprocess.TimeoutExpired:
        terminal.process.kill()
        terminal.process.wait()
        status = None
    check(shown is not None and status == 0,
          "hang-up with SIGHUP ignored: the tool ends (status %s after %.1f s)" % (
              status, time.monotonic() - started), terminal.text)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--tool", required=True)
    parser.add_argument("--localsteam", required=True)
    args = parser.parse_args()
    root = os.path.realpath(tempfile.mkdtemp(prefix="drav-hangup-"))
    try:
        store = os.path.join(root, "store")
        os.mkdir(os.path.join(root, "game"))
        subprocess.run([os.path.abspath(args.localsteam), "init", store], check=True,
                       stdout=subprocess.DEVNULL)
        with open(os.path.join(root, "workshopPath.txt"), "w") as handle:
            handle.write(os.path.join(root, "game"))
        env = dict(os.environ, DRAV_LOCAL_STEAM=store, TERM="xterm", NO_COLOR="1")
        for name in ("DISPLAY", "WAYLAND_DISPLAY"):
            env.pop(name, None)
        tool = os.path.abspath(args.tool)
        ctrl_d(tool, root, env)
        hang_up(tool, root, env)
    finally:
        shutil.rmtree(root, ignore_errors=True)
    print("%d failed" % len(FAILED))
    return 1 if FAILED else 0


if __name__ == "__main__":
    sys.exit(main())
