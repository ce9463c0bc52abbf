#!/usr/bin/env python3
"""The terminal gets its own colour back however the tool ends (normal end,
SIGINT, SIGTERM), and NO_COLOR turns colours off. POSIX only."""

import os
import re
import signal
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pty_check import GREEN, MENU_PROMPT, Terminal, record, sandbox, summary  # noqa: E402

SGR = re.compile(r"\x1b\[[0-9;]*m")



def last_sgr(text):
    codes = SGR.findall(text)
    return codes[-1] if codes else None


def run(tool, root, env, finish):
    terminal = Terminal([tool], root, env)
    menu = terminal.read_until(MENU_PROMPT, 30)
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
    with sandbox(__doc__.splitlines()[0]) as box:
        box.env.pop("NO_COLOR", None)
        tool, root, env = box.programs.tool, box.cwd, box.env
        ends = [("x and a key", by_exit, 0), ("SIGINT", by_signal(signal.SIGINT),
                                               -signal.SIGINT),
                ("SIGTERM", by_signal(signal.SIGTERM), -signal.SIGTERM)]
        for name, finish, expected in ends:
            status, text = run(tool, root, env, finish)
            record(re.search(GREEN, text) is not None and status == expected,
                   "%s: coloured, and the tool ends with status %s" % (name, expected),
                   text)
            record(last_sgr(text) == "\x1b[0m",
                   "%s: the last colour code is the terminal's own" % name, text)
        for value, coloured in (("1", False), ("", True)):
            status, text = run(tool, root, dict(env, NO_COLOR=value), by_exit)
            record(status == 0 and (SGR.search(text) is not None) == coloured,
                   "NO_COLOR=%r: %s" % (value, "colours" if coloured else "no colours"),
                   text)
    return summary()


if __name__ == "__main__":
    sys.exit(main())
