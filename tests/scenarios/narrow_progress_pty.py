#!/usr/bin/env python3
"""Waits under a pseudo-terminal of 80 columns: the "Uploading '...'... "
line of a long path is on screen at once, its progress is shown in the
short form that fits after it, and a download during an install shows a
spinner that is erased before the result. POSIX only."""

import argparse
import fcntl
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import termios
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pty_check import MENU_END, Terminal, check  # noqa: E402
from publish_progress_pty import PROMPT, SGR, answer, shown_after_erasing  # noqa: E402

LATENCY_MS = 3000
COLUMNS = 80
# The upload line's length modulo the width: room for "(42%)", not for
# "(preparing)" or "(uploading 500 of 500 bytes)".
LINE_END_COLUMN = 72


def long_game_folder(root):
    """A game folder whose upload line wraps and ends at LINE_END_COLUMN."""
    fixed = len("Uploading '%s/%s/bots_pty.txt'... " % (root, "g"))
    name = "g" * (2 * COLUMNS + LINE_END_COLUMN - fixed + 1)
    return os.path.join(root, name)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--tool", required=True)
    parser.add_argument("--localsteam", required=True)
    args = parser.parse_args()
    localsteam = os.path.abspath(args.localsteam)
    root = os.path.realpath(tempfile.mkdtemp(prefix="drav-narrow-"))
    try:
        store = os.path.join(root, "store")
        game = long_game_folder(root)
        os.mkdir(game)
        with open(os.path.join(game, "bots_pty.txt"), "w") as handle:
            handle.write("bot pty 1\n" * 50)
        with open(os.path.join(root, "theirs.txt"), "w") as handle:
            handle.write("serverSettings of a stranger\n")
        run = [localsteam, "init", store], [localsteam, "set", store, "next-id", "300"]
        for command in run:
            subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
        theirs = subprocess.run(
            [localsteam, "publish", store, "--title", "Theirs", "--owner", "7",
             os.path.join(root, "theirs.txt")], check=True, stdout=subprocess.PIPE,
            text=True).stdout.strip()
        for command in ([localsteam, "subscribe", store, theirs],
                        [localsteam, "set", store, "latency", str(LATENCY_MS)]):
            subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
        with open(os.path.join(root, "workshopPath.txt"), "w") as handle:
            handle.write(game)
        env = dict(os.environ, DRAV_LOCAL_STEAM=store, TERM="xterm")
        for name in ("DISPLAY", "WAYLAND_DISPLAY", "NO_COLOR"):
            env.pop(name, None)
        terminal = Terminal([os.path.abspath(args.tool)], root, env)
        fcntl.ioctl(terminal.master, termios.TIOCSWINSZ,
                    struct.pack("HHHH", 24, COLUMNS, 0, 0))
        at = check_upload(terminal, game)
        check_download(terminal, at)
        return 0
    finally:
        shutil.rmtree(root, ignore_errors=True)


def check_upload(terminal, game):
    at = answer(terminal, re.escape(MENU_END) + PROMPT, "1\n", 0, "the menu comes")
    at = answer(terminal, re.escape("(movements.txt)") + PROMPT, "6\n", at,
                "the type menu comes")
    at = answer(terminal, re.escape("What is the name of your item?") + PROMPT,
                "Narrow\n", at, "the name is asked")
    at = answer(terminal, re.escape("Press any key to continue . . . "), "k", at,
                "the pause before the picker")
    at = answer(terminal, re.escape("cancels.") + PROMPT, "1\n", at, "the picker asks")
    at = answer(terminal, re.escape("(y/n)") + PROMPT, "n\n", at, "the preview question")
    answered = time.monotonic()
    uploading = re.escape("\n\nUploading '%s'... " % os.path.join(game, "bots_pty.txt"))
    line = terminal.read_until(uploading, LATENCY_MS / 1000 + 10, at)
    check(line is not None and time.monotonic() - answered < LATENCY_MS / 2000,
          "the upload line is on screen while the upload waits", terminal)
    result = terminal.read_until(uploading + r"(.*?)(?:\x1b\[[0-9;]*m)*"
                                 + re.escape("\nUPLOAD SUCCESSFUL!\n"),
                                 LATENCY_MS / 1000 + 10, at)
    check(result is not None, "the upload succeeds", terminal)
    progress = SGR.sub("", result.group(1))
    check(re.search(r"\(\d+%\)", progress) and "bytes" not in progress,
          "the progress shows as a percentage where the long form won't fit", terminal)
    erased = shown_after_erasing(progress)
    check(erased is not None and erased[0] == "" and erased[1].strip(" ") == "",
          "the progress is erased completely before the result", terminal)
    return result.end()


def check_download(terminal, at):
    at = answer(terminal, re.escape(MENU_END) + PROMPT, "3\n", at, "the menu again")
    result = terminal.read_until(re.escape("Downloading...") + r"(.*?)(?:\x1b\[[0-9;]*m)*"
                                 + re.escape("SUCCESS!"), LATENCY_MS / 1000 + 10, at)
    check(result is not None, "the download succeeds", terminal)
    spinner = SGR.sub("", result.group(1))
    check(re.search(r"\(downloading [|/\\-]\)", spinner),
          "a spinner shows while the download runs", terminal)
    erased = shown_after_erasing(spinner)
    check(erased is not None and erased[0] == "" and erased[1].strip(" ") == "",
          "the spinner is erased before the result", terminal)
    at = answer(terminal, re.escape(MENU_END) + PROMPT, "x\n", result.end(),
                "the menu after the install")
    answer(terminal, re.escape("Press any key to continue . . . "), "k", at,
           "the tool completes")
    check(terminal.finish(5) == 0, "exit status 0", terminal)


if __name__ == "__main__":
    sys.exit(main())
