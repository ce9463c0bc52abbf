#!/usr/bin/env python3
"""Uploads one item under a pseudo-terminal and checks the submission's
progress line: it shows while Steam works on the update, stays on the
"Uploading '...'... " line, and is erased completely before the result, so
that the terminal then shows exactly the text of a redirected run.
POSIX only; standard library only."""

import json
import os
import re
import sys

from pty_check import GREEN, MENU_END, Terminal, check, harness, sandbox

# Colour changes may come twice in a row before the prompt marker.
PROMPT = r"(?:\x1b\[[0-9;]*m)*\n/>" + GREEN
SGR = re.compile(r"\x1b\[[0-9;]*m")
# Long enough for several rounds of the wait, so that progress shows.
LATENCY_MS = 1500


def shown_after_erasing(text):
    """What a terminal shows of `text` written from a cursor at column 0 of
    the free part of a line, backspaces moving left; None when a backspace
    would move into the text that was there before."""
    cells = []
    cursor = 0
    for char in text:
        if char == "\b":
            if cursor == 0:
                return None
            cursor -= 1
        else:
            if cursor == len(cells):
                cells.append(char)
            else:
                cells[cursor] = char
            cursor += 1
    return "".join(cells[:cursor]), "".join(cells[cursor:])


def main():
    with sandbox(__doc__.splitlines()[0]) as box:
        box.localsteam("set", box.store, "latency", str(LATENCY_MS))
        box.localsteam("set", box.store, "next-id", "300")
        with open(os.path.join(box.game, "bots_pty.txt"), "w") as handle:
            handle.write("bot pty 1\n" * 50)
        terminal = Terminal([box.programs.tool], box.cwd, box.env)
        status = run_checks(terminal, box.game)
        shown = json.loads(box.localsteam("show", box.store, "300"))
        check(shown["content"] == [{"name": "bots_pty.txt", "size": 500}],
              "the item holds the uploaded file", terminal)
        return status


def answer(terminal, pattern, text, start, what):
    found = terminal.read_until(pattern, 30, start)
    check(found is not None, what, terminal)
    terminal.type(text)
    return found.end()


def run_checks(terminal, game):
    at = answer(terminal, re.escape(MENU_END) + PROMPT, "1\n", 0, "the menu comes")
    at = answer(terminal, re.escape("(movements.txt)") + PROMPT, "6\n", at,
                "the type menu comes")
    at = answer(terminal, re.escape("What is the name of your item?") + PROMPT,
                "Pty bots\n", at, "the name is asked")
    # The pause before the file picker waits for one key on a terminal.
    at = answer(terminal, re.escape("Press any key to continue . . . "), "k", at,
                "the pause before the picker")
    at = answer(terminal, re.escape("(bots_*.txt)") + r".*" + re.escape("cancels.") + PROMPT,
                os.path.join(game, "bots_pty.txt") + "\n", at, "the picker asks")
    at = answer(terminal, re.escape("(y/n)") + PROMPT, "n\n", at,
                "the preview question")

    uploading = re.escape("\n\nUploading '%s'... " % os.path.join(game, "bots_pty.txt"))
    result = terminal.read_until(uploading + r"(.*?)" + r"(?:\x1b\[[0-9;]*m)*"
                                 + re.escape("\nUPLOAD SUCCESSFUL!\n"),
                                 LATENCY_MS / 1000 + 10, at)
    check(result is not None, "the upload succeeds", terminal)
    progress = SGR.sub("", result.group(1))
    check(re.search(r"\((preparing|uploading \d+ of \d+ bytes|committing)\)", progress),
          "a progress text shows while Steam works on the update", terminal)
    check("\n" not in progress and "\r" not in progress,
          "the progress stays on the line of the upload", terminal)
    erased = shown_after_erasing(progress)
    check(erased is not None and erased[0] == "" and erased[1].strip(" ") == "",
          "the progress is erased completely before the result", terminal)

    at = answer(terminal, re.escape(MENU_END) + PROMPT, "x\n", result.end(),
                "the menu comes again")
    answer(terminal, re.escape(harness.COMPLETED + "Press any key to continue . . . "), "k",
           at, "the tool completes")
    check(terminal.finish(5) == 0, "exit status 0", terminal)
    return 0


if __name__ == "__main__":
    sys.exit(main())
