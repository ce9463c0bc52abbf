#!/usr/bin/env python3
"""Runs the tool once under a pseudo-terminal, as a person would: the text
comes coloured, and lines pasted ahead of a question are dropped at the next
question instead of answering it. POSIX only; standard library only."""

import argparse
import fcntl
import os
import re
import select
import signal
import subprocess
import struct
import sys
import termios
import time

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import harness  # noqa: E402

# The colours as SGR sequences; either common spelling of each is accepted.
GREY = r"\x1b\[(?:0|37|39|0;37)m"
GREEN = r"\x1b\[(?:92|1;32)m"
CYAN = r"\x1b\[(?:96|1;36)m"
RED = r"\x1b\[(?:91|1;31)m"
MENU_END = harness.MENU_END
# The menu's last line and its prompt, whatever colour stands between.
MENU_PROMPT = re.escape(MENU_END) + r"(?:\x1b\[[0-9;]*m)?" + re.escape(harness.PROMPT)
FAILED = []


def record(condition, what, text):
    """Prints one check and keeps its failure; the checks after it still run."""
    print("%s %s" % ("ok     " if condition else "FAILED:", what))
    if not condition:
        print("the terminal showed:\n%r" % text[-600:])
        FAILED.append(what)


def summary():
    print("%d failed" % len(FAILED))
    return 1 if FAILED else 0


class Terminal:
    """The tool on the slave side of a pseudo-terminal; everything it
    writes is collected from the master side."""

    def __init__(self, argv, cwd, env):
        self.master, slave = os.openpty()
        # A real terminal has a size; the tool fits its progress line to it.
        fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", 24, 160, 0, 0))
        self.process = subprocess.Popen(argv, stdin=slave, stdout=slave,
                                        stderr=subprocess.DEVNULL, cwd=cwd,
                                        env=env, start_new_session=True)
        os.close(slave)
        self.text = ""
        self.closed = False

    def read_until(self, pattern, seconds, start=0):
        """Waits until `pattern` appears past `start`; returns its match."""
        deadline = time.monotonic() + seconds
        while True:
            match = re.compile(pattern, re.S).search(self.text, start)
            if match:
                return match
            left = deadline - time.monotonic()
            if left <= 0 or self.closed:
                return None
            self.pump(left)

    def pump(self, seconds):
        ready, _, _ = select.select([self.master], [], [], seconds)
        if not ready:
            return
        try:
            chunk = os.read(self.master, 65536)
        except OSError:  # EIO: the slave side is closed
            chunk = b""
        if not chunk:
            self.closed = True
        # The terminal turns each line feed into a carriage return and one.
        self.text += chunk.decode("utf-8", "replace").replace("\r\n", "\n")

    def type(self, text):
        os.write(self.master, text.encode())

    def finish(self, seconds):
        try:
            return self.process.wait(seconds)
        except subprocess.TimeoutExpired:
            os.killpg(self.process.pid, signal.SIGKILL)
            self.process.wait()
            return None
        finally:
            os.close(self.master)


CHECKS = []


def check(condition, what, terminal):
    CHECKS.append(what)
    if not condition:
        print("FAILED: %s\nthe terminal showed:\n%s" % (what, repr(terminal.text)))
        sys.exit(1)
    print("ok      %s" % what)


def sandbox(description):
    """The arguments, and a sandbox whose path file names its game folder,
    for a terminal of the usual kind."""
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--tool", required=True)
    parser.add_argument("--localsteam", required=True)
    args = parser.parse_args()
    box = harness.Sandbox(harness.Programs(args.tool, args.localsteam), path_file=True,
                          prefix="drav-pty-")
    box.env["TERM"] = "xterm"
    return box


def coloured(text, *colours):
    """A pattern of `text` with each (colour, part) colour put before the
    part, the parts in their order in the text."""
    pattern, at = "", 0
    for colour, part in colours:
        found = text.index(part, at)
        pattern += re.escape(text[at:found]) + colour
        at = found
    return pattern + re.escape(text[at:])


def main():
    with sandbox(__doc__.splitlines()[0]) as box:
        terminal = Terminal([box.programs.tool], box.cwd, box.env)
        return run_checks(terminal, box.game)


def run_checks(terminal, game):
    first = terminal.read_until(re.escape(MENU_END) + GREY + r"\n/>" + GREEN, 30)
    check(first is not None, "the first menu comes, its prompt grey, the typing green",
          terminal)
    banner = coloured(harness.BANNER, (CYAN, "https:"), (GREEN, "Steam"), (GREY, "\n\n"))
    check(re.match(banner, terminal.text), "the banner's parts in their colours",
          terminal)
    path = coloured(harness.menu(game)[:-len(harness.MENU_END + harness.PROMPT)],
                    (GREY, "\n\nUsing"), (GREEN, "\n\nCHOOSE"), (CYAN, "\n1) "))
    check(re.search(path, terminal.text), "the path grey, the heading green, the "
          "list cyan", terminal)

    # A block pasted at the first menu: its first line answers (an invalid
    # key), the rest must not answer the next menu.
    terminal.type("?\nx\n")
    bad = terminal.read_until(RED + re.escape("\nI didn't understand your command.\n"),
                              10, first.end())
    check(bad is not None, "an invalid key is answered in red", terminal)
    second = terminal.read_until(re.escape(MENU_END) + GREY + r"\n/>" + GREEN, 30,
                                 bad.end())
    check(second is not None, "the menu comes again", terminal)
    ended = terminal.read_until("has completed", 1.5, second.end())
    check(ended is None and terminal.process.poll() is None,
          "the pasted \"x\" was dropped: the tool still waits", terminal)

    terminal.type("x\n")
    done = terminal.read_until(GREEN + re.escape(harness.COMPLETED), 30, second.end())
    check(done is not None, "the completion message in green", terminal)
    time.sleep(0.3)
    check(terminal.process.poll() is None, "the pause holds the console", terminal)
    prompt = terminal.read_until(re.escape("Press any key to continue . . . "), 30,
                                 done.end())
    check(prompt is not None, "the pause asks for a key", terminal)
    terminal.type("k")
    ended = terminal.read_until(r"\n", 5, prompt.end())
    check(ended is not None, "a key ends the pause", terminal)
    # Line mode and echo, as the shell after the tool expects them.
    modes = termios.tcgetattr(terminal.master)[3]
    wanted = termios.ICANON | termios.ECHO
    check(modes & wanted == wanted, "the terminal is back in line mode with echo",
          terminal)
    check(terminal.finish(5) == 0, "exit status 0", terminal)
    print("%d passed, 0 failed" % len(CHECKS))
    return 0


if __name__ == "__main__":
    sys.exit(main())
