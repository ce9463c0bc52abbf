#!/usr/bin/env python3
"""Input that ends at a terminal: after Ctrl-D the next question waits for
the terminal again (the menu is shown once more, not endlessly); a
terminal that hangs up while SIGHUP is ignored ends the tool instead of
making it spin; Ctrl-C while a new item is unfinished deletes the item
before the tool ends. POSIX only."""

import json
import os
import re
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pty_check import MENU_PROMPT, Terminal, record, sandbox, summary  # noqa: E402
import harness  # noqa: E402


def ctrl_d(tool, root, env):
    terminal = Terminal([tool], root, env)
    terminal.read_until(MENU_PROMPT, 30)
    terminal.type("\x04")
    terminal.read_until("I didn't understand", 10)
    terminal.read_until(r"(?!)", 1)  # what a spinning menu would add
    menus = terminal.text.count("CHOOSE ACTION")
    terminal.type("x\n")
    terminal.read_until(re.escape("Press any key"), 30)
    terminal.type("k")
    status = terminal.finish(10)
    record(menus == 2 and status == 0,
          "Ctrl-D: the menu again once (%d times), then x ends the tool" % menus,
          terminal.text)


def hang_up(tool, root, env, before_read):
    # The ignored SIGHUP survives the exec, as under nohup.
    terminal = Terminal(["sh", "-c", "trap '' HUP; exec \"$0\"", tool], root, env)
    shown = terminal.read_until(MENU_PROMPT, 30)
    # Right after an answer, the hang-up comes while the tool is busy with
    # it: its next read finds a terminal that is gone, not a failing read.
    if before_read:
        terminal.type("\n")
    os.close(terminal.master)
    started = time.monotonic()
    try:
        status = terminal.process.wait(10)
    except subprocess.TimeoutExpired:
        terminal.process.kill()
        terminal.process.wait()
        status = None
    record(shown is not None and status == 0,
           "hang-up with SIGHUP ignored, %s: the tool ends (status %s after %.1f s)" % (
               "before the read" if before_read else "during the read",
               status, time.monotonic() - started), terminal.text)


def interrupt_unfinished(box):
    terminal = Terminal([box.programs.tool], box.cwd, box.env)
    terminal.read_until(MENU_PROMPT, 30)
    terminal.type("1\n")
    asked = terminal.read_until(re.escape(harness.TYPE_MENU), 30)
    os.kill(terminal.process.pid, signal.SIGINT)
    deleted = terminal.read_until(r"The unfinished workshop item \d+ was deleted again\.", 30)
    status = terminal.finish(10)
    items = json.loads(box.localsteam("list", box.seen(box.store)))
    record(asked is not None and deleted is not None and status == -signal.SIGINT
           and not items,
           "Ctrl-C while the new item is unfinished: deleted again, then the tool ends "
           "by the interrupt (status %s, %d items left)" % (status, len(items)),
           terminal.text)


def main():
    with sandbox(__doc__.splitlines()[0]) as box:
        box.env["NO_COLOR"] = "1"
        ctrl_d(box.programs.tool, box.cwd, box.env)
        hang_up(box.programs.tool, box.cwd, box.env, False)
        hang_up(box.programs.tool, box.cwd, box.env, True)
        interrupt_unfinished(box)
    return summary()


if __name__ == "__main__":
    sys.exit(main())
