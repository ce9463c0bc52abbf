#!/usr/bin/env python3
"""The tool under a pseudo-terminal, as a person uses it: colours, pasted lines, the pause and the
terminal's modes, every way the tool ends, and progress fitted to the width. POSIX only."""

import json
import os
import re
import select
import signal
import subprocess
import sys
import termios
import time

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import harness  # noqa: E402

SGR = r"\x1b\[[0-9;]*m"
GREY, GREEN = r"\x1b\[(?:0|37|39|0;37)m", r"\x1b\[(?:92|1;32)m"
CYAN, RED = r"\x1b\[(?:96|1;36)m", r"\x1b\[(?:91|1;31)m"
# The prompt marker, whatever colours come before it; typing is green.
PROMPT = r"(?:%s)*\n/>(?:%s)?" % (SGR, GREEN)
MENU = re.escape(harness.MENU_END) + PROMPT
TYPES = re.escape("(movements.txt)") + PROMPT
PAUSE = re.escape("Press any key to continue . . . ")
LATENCY = 2.0


class Terminal:
    """The tool (or `argv`) on the slave side of a pseudo-terminal of `columns`; what it writes is
    collected from the master side, line feeds as \\n."""

    def __init__(self, box, columns=160, argv=None):
        self.master, slave = os.openpty()
        self.resize(columns)
        self.modes = termios.tcgetattr(self.master)
        self.plain = bool(box.env.get("NO_COLOR"))
        self.process = subprocess.Popen(argv or [box.programs.tool], stdin=slave,
                                        stdout=slave, stderr=subprocess.DEVNULL,
                                        cwd=box.cwd, env=box.env, start_new_session=True)
        os.close(slave)
        self.text, self.at, self.closed = "", 0, False

    def resize(self, columns):
        termios.tcsetwinsize(self.master, (24, columns))

    def wait_for(self, pattern, seconds=30):
        """The first match of `pattern` past the last one, or None."""
        deadline = time.monotonic() + seconds
        while True:
            match = re.compile(pattern, re.S).search(self.text, self.at)
            if match or self.closed or time.monotonic() > deadline:
                self.at = match.end() if match else self.at
                return match
            if select.select([self.master], [], [], max(0, deadline - time.monotonic()))[0]:
                try:
                    chunk = os.read(self.master, 65536)
                except OSError:  # EIO: the slave side is closed
                    chunk = b""
                self.closed = not chunk
                self.text += chunk.decode("utf-8", "replace").replace("\r\n", "\n")

    def check(self, condition, what):
        harness.check(condition, "%s\nthe terminal showed:\n%r" % (what, self.text[-800:]))

    def answer(self, pattern, text, what=""):
        """Types `text` once `pattern` shows."""
        self.check(self.wait_for(pattern) is not None, what)
        os.write(self.master, text.encode())

    def finish(self, end=None):
        """Sends the signal `end` (SIGHUP: the terminal hangs up) or none; the exit status (-9:
        killed at the time limit). Checks the colours (none under NO_COLOR=1, else the terminal's
        own at the end) and, unless hung up, the modes (line mode, echo) as at the start."""
        if end == signal.SIGHUP:
            os.close(self.master)
        elif end:
            os.kill(self.process.pid, end)
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            harness.kill_group(self.process)
        if end != signal.SIGHUP:
            self.wait_for(r"(?!)", 3)
            self.check(termios.tcgetattr(self.master) == self.modes, "the modes at the end")
            os.close(self.master)
        codes = re.findall(SGR, self.text)
        self.check(not codes if self.plain else codes[-1:] == ["\x1b[0m"],
                   "the colours at the end by %s" % end)
        return self.process.returncode


def progress_of(term, pattern):
    """What the progress between the parts of `pattern` showed (no colours), checked to erase itself
    on its line: its backspaces never pass where the line's text ended, end there, leave blanks."""
    result = term.wait_for(pattern % (r"(.*?)(?:%s)*" % SGR), LATENCY + 60)
    shown = re.sub(SGR, "", result.group(1)) if result else "\n"
    cells, cursor = [], 0
    for char in shown:
        term.check(char != "\n" and (char != "\b" or cursor > 0), "off its line: %r" % shown)
        cursor += -1 if char == "\b" else 1
        if char != "\b":
            cells[cursor - 1:cursor] = [char]
    term.check(cursor == 0 and "".join(cells).strip(" ") == "", "not erased: %r" % shown)
    return shown


def upload(term, folder):
    """Publishes a bot config written into `folder` as a new item; what the progress showed."""
    path = os.path.join(folder, "bots_pty.txt")
    harness.write(path, b"bot pty 1\n" * 50)
    for question, typed in ((MENU, "1\n"), (TYPES, "6\n"), (r"your item\?" + PROMPT, "Bots\n"),
                            (PAUSE, "k"), (r"cancels\." + PROMPT, path + "\n"),
                            (r"\(y/n\)" + PROMPT, "n\n")):
        term.answer(question, typed, "the question before %r" % typed)
    term.check(term.wait_for(re.escape("\n\nUploading '%s'... " % path), LATENCY / 2),
               "the upload line is on screen while the upload waits")
    return progress_of(term, "%s\nUPLOAD SUCCESSFUL!\n")


def session(sandbox, rng):
    """One session on a terminal whose Steam answers slowly, then each other way the tool ends: a
    hang-up while SIGHUP is ignored (as under nohup), during a read or while an answer is carried
    out; Ctrl-C and SIGTERM at once. An unfinished item is deleted first."""
    with sandbox() as box:
        box.localsteam("set", box.store, "latency", str(int(LATENCY * 1000)))
        term = Terminal(box)
        # The start with each colour put before its part.
        text, start, at = harness.BANNER + harness.menu(box.game), "", 0
        for colour, part in ((CYAN, "https:"), (GREEN, "Steam"), (GREY, "\n\n"),
                             (GREY, "\n\nUsing"), (GREEN, "\n\nCHOOSE"), (CYAN, "\n1) "),
                             (GREY, "\n/>")):
            found = text.index(part, at)
            start, at = start + re.escape(text[at:found]) + colour, found
        term.check(term.wait_for(start + re.escape(text[at:]) + GREEN), "the banner, the path, "
                   "the heading and the list in their colours, the prompt grey, the typing green")
        # A block pasted at the menu: its first line answers, the rest is dropped.
        term.answer("", "?\nx\n")
        term.check(term.wait_for(RED + re.escape("\nI didn't understand your command.\n") +
                                 ".*" + MENU) and term.wait_for("has completed", 1.5) is None,
                   "a pasted block: its first line answered in red, the rest dropped")
        # Ctrl-D: the menu once more (the upload answers it), then the terminal again.
        term.answer("", "\x04")
        # Progress: the longest form that fits before the terminal's edge.
        term.check(re.search(r"\((preparing|uploading \d+ of \d+ bytes|committing)\)",
                             upload(term, box.game)), "160 columns: the long forms")
        # An upload line that wraps and ends at column 72 of 80: room for
        # "(42%)", not for "(uploading 500 of 500 bytes)".
        term.resize(80)
        shown = upload(term, os.path.join(box.game, "g" * (
            232 - len("Uploading '%s//bots_pty.txt'... " % box.game))))
        term.check(re.search(r"\(\d+%\)", shown) and "bytes" not in shown,
                   "80 columns: the progress as a percentage")
        # The two items installed: "Downloading..." and "(downloading |)"
        # would fill the line exactly.
        ids = [str(item["id"]) for item in json.loads(box.localsteam("list", box.store))]
        box.localsteam("subscribe", box.store, *ids)
        term.resize(29)
        term.answer(MENU, "3\n", "the menu")
        spinner = progress_of(term, r"Downloading\.\.\.%sSUCCESS!")
        term.check(re.search(r"[|/\\-]", spinner) and "(" not in spinner,
                   "29 columns: the short spinner")
        term.answer(MENU, "x\n", "the menu")
        time.sleep(0.3)
        term.check(term.wait_for(GREEN + re.escape(harness.COMPLETED) + PAUSE) and
                   term.process.poll() is None, "in green, the end; the pause holds on")
        term.answer("", "k")
        content = [json.loads(box.localsteam("show", box.store, id))["content"] for id in ids]
        term.check(term.finish() == 0 and term.text.count("CHOOSE ACTION") == 6 and
                   content == [[{"name": "bots_pty.txt", "size": 500}]] * 2, "a key ends the "
                   "pause, exit status 0; each menu once; both items hold the uploaded file")
        other_ends(box)


def other_ends(box):
    """Each other way the tool ends, in the session's world: NO_COLOR=1 (no colours) on a
    hang-up, empty (colours) otherwise."""
    items = box.localsteam("list", box.store)
    hang_up_ignored = ["sh", "-c", "trap '' HUP; exec \"$0\"", box.programs.tool]
    for end, typed, shown in ((signal.SIGHUP, "", ""), (signal.SIGHUP, "1\n", "Creating"),
                              (signal.SIGINT, "", ""), (signal.SIGTERM, "", ""),
                              (signal.SIGINT, "1\n", TYPES)):
        box.env["NO_COLOR"] = "1" if end == signal.SIGHUP else ""
        term = Terminal(box, argv=hang_up_ignored if end == signal.SIGHUP else None)
        term.answer(MENU, typed, "the menu")
        term.answer(shown, "", "the text before the end")
        status = term.finish(end)
        term.check(status == (0 if end == signal.SIGHUP else -end) and
                   ("was deleted again." in term.text) == (shown == TYPES) and
                   box.localsteam("list", box.store) == items,
                   "%s after %r: the tool ends (status %s), an unfinished item deleted "
                   "first" % (end.name, typed, status))


if __name__ == "__main__":
    harness.main([session], "drav-pty-", TERM="xterm")
