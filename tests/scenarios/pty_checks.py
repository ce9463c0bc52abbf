#!/usr/bin/env python3
"""Runs the tool under a pseudo-terminal, as a person would: colours and
their reset however the tool ends, pasted lines dropped, the pause and the
terminal's mode after it, input that ends or hangs up, Ctrl-C, and progress
lines fitted to the terminal's width. POSIX only; standard library only."""

import fcntl
import json
import os
import re
import select
import signal
import struct
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
PAUSE = re.escape("Press any key to continue . . . ")
LATENCY = 2.0


class Terminal:
    """The tool on the slave side of a pseudo-terminal of `columns`; what
    it writes is collected from the master side, line feeds as \\n."""

    def __init__(self, box, columns=160, argv=None):
        self.master, slave = os.openpty()
        self.resize(columns)
        self.modes = termios.tcgetattr(self.master)
        self.process = subprocess.Popen(argv or [box.programs.tool], stdin=slave,
                                        stdout=slave, stderr=subprocess.DEVNULL,
                                        cwd=box.cwd, env=box.env, start_new_session=True)
        os.close(slave)
        self.text, self.at, self.closed = "", 0, False

    def resize(self, columns):
        fcntl.ioctl(self.master, termios.TIOCSWINSZ, struct.pack("HHHH", 24, columns, 0, 0))

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

    def answer(self, pattern, text, what=None):
        """Types `text` once `pattern` shows (None: at once)."""
        if pattern is not None:
            check(self.wait_for(pattern) is not None, what, self)
        os.write(self.master, text.encode())

    def finish(self, seconds=10, hang_up=False):
        """The exit status (None: killed); `after`: the terminal's modes.
        `hang_up`: the terminal is closed first."""
        if hang_up:
            os.close(self.master)
        try:
            return self.process.wait(seconds)
        except subprocess.TimeoutExpired:
            harness.kill_group(self.process)
        finally:
            if not hang_up:
                self.after = termios.tcgetattr(self.master)
                os.close(self.master)


def check(condition, what, terminal):
    harness.check(condition, "%s\nthe terminal showed:\n%r" % (what, terminal.text[-800:]))


def coloured(text, *colours):
    """A pattern of `text` with each colour put before its part."""
    pattern, at = "", 0
    for colour, part in colours:
        found = text.index(part, at)
        pattern, at = pattern + re.escape(text[at:found]) + colour, found
    return pattern + re.escape(text[at:])


def session(sandbox, rng):
    with sandbox() as box:
        terminal = Terminal(box)
        check(terminal.wait_for(re.escape(harness.MENU_END) + GREY + r"\n/>" + GREEN)
              and re.match(coloured(harness.BANNER, (CYAN, "https:"), (GREEN, "Steam"),
                                    (GREY, "\n\n")), terminal.text)
              and re.search(coloured(harness.menu(box.game).partition("\nx)")[0], (GREY, "\n\n"),
                                     (GREEN, "\n\nCHOOSE"), (CYAN, "\n1) ")), terminal.text),
              "the banner, the path, the heading and the list in their colours, the "
              "prompt grey, the typing green", terminal)
        # A block pasted at the menu: its first line answers, the rest is dropped.
        terminal.answer(None, "?\nx\n")
        check(terminal.wait_for(RED + re.escape("\nI didn't understand your command.\n")),
              "an invalid key is answered in red", terminal)
        terminal.answer(MENU, "", "the menu comes again")
        check(terminal.wait_for("has completed", 1.5) is None and terminal.process.poll() is
              None, "the pasted \"x\" was dropped: the tool still waits", terminal)
        terminal.answer(None, "x\n")
        check(terminal.wait_for(GREEN + re.escape(harness.COMPLETED)),
              "the completion message in green", terminal)
        time.sleep(0.3)
        check(terminal.process.poll() is None, "the pause holds the console", terminal)
        terminal.answer(PAUSE, "k", "the pause asks for a key")
        check(terminal.wait_for(r"\n", 5), "a key ends the pause", terminal)
        check(terminal.finish() == 0 and terminal.modes == terminal.after,
              "exit status 0, the terminal's modes as before (line mode, echo)", terminal)


def colour_ends(sandbox, rng):
    """The terminal's own colour back at every end; NO_COLOR."""
    with sandbox() as box:
        ends = (("x and a key", 0, None), ("SIGINT", -signal.SIGINT, signal.SIGINT),
                ("SIGTERM", -signal.SIGTERM, signal.SIGTERM), ("NO_COLOR=1", 0, "1"),
                ("NO_COLOR empty", 0, ""))
        for name, status, how in ends:
            box.env.pop("NO_COLOR", None)
            box.env.update({"NO_COLOR": how} if isinstance(how, str) else {})
            terminal = Terminal(box)
            terminal.wait_for(MENU)
            if isinstance(how, int):
                os.kill(terminal.process.pid, how)
            else:
                terminal.answer(None, "x\n")
                terminal.answer(PAUSE, "k", "the pause")
            terminal.wait_for(r"(?!)", 3)  # everything up to the end of output
            codes = re.findall(SGR, terminal.text)
            check(terminal.finish() == status and bool(codes) == (how != "1") and
                  (not codes or codes[-1] == "\x1b[0m"), "%s: status %d, %s" % (
                      name, status, "no colours" if how == "1" else "the last colour code "
                      "the terminal's own"), terminal)


def input_ends(sandbox, rng):
    """Ctrl-D: the menu once more, then the terminal again; a hang-up while
    SIGHUP is ignored (as under nohup) ends the tool, whether it comes
    during a read or right after an answer; Ctrl-C deletes an unfinished item."""
    with sandbox() as box:
        box.env["NO_COLOR"] = "1"
        terminal = Terminal(box)
        terminal.answer(MENU, "\x04", "the menu")
        terminal.wait_for(r"(?!)", 2)  # what a spinning menu would add
        menus = terminal.text.count("CHOOSE ACTION")
        terminal.answer(None, "x\n")
        terminal.answer(PAUSE, "k", "the pause")
        check(terminal.finish() == 0 and menus == 2, "Ctrl-D: the menu again once (%d times), "
              "then x ends the tool" % menus, terminal)
        for typed in ("", "\n"):
            terminal = Terminal(box, argv=["sh", "-c", "trap '' HUP; exec \"$0\"",
                                           box.programs.tool])
            terminal.answer(MENU, typed, "the menu")
            started = time.monotonic()
            status = terminal.finish(hang_up=True)
            check(status == 0, "hang-up %s: the tool ends (status %s after %.1f s)" % (
                "after an answer" if typed else "during a read", status,
                time.monotonic() - started), terminal)
        terminal = Terminal(box)
        terminal.answer(MENU, "1\n", "the menu")
        terminal.wait_for(re.escape(harness.TYPE_MENU))
        os.kill(terminal.process.pid, signal.SIGINT)
        deleted = terminal.wait_for(r"The unfinished workshop item \d+ was deleted again\.")
        items = json.loads(box.localsteam("list", box.seen(box.store)))
        check(deleted and terminal.finish() == -signal.SIGINT and not items, "Ctrl-C while the "
              "new item is unfinished: deleted again, then the end by the interrupt", terminal)


def erased(progress):
    """Whether `progress`, written from a column where the line's own text
    ended, is erased completely by it: backspaces never move into that text
    and the cursor ends there with nothing but blanks after it."""
    cells, cursor = [], 0
    for char in re.sub(SGR, "", progress):
        if char == "\b" and cursor == 0:
            return False
        cursor += -1 if char == "\b" else 1
        if char != "\b":
            cells[cursor - 1:cursor] = [char]
    return cursor == 0 and "".join(cells).strip(" ") == ""


def upload(box, terminal, path, at_once):
    """Publishes the file at `path` as a new bot config; what the progress showed."""
    terminal.answer(MENU, "1\n", "the menu")
    terminal.answer(re.escape("(movements.txt)") + PROMPT, "6\n", "the type menu")
    terminal.answer(re.escape("name of your item?") + PROMPT, "Bots\n", "the name")
    terminal.answer(PAUSE, "k", "the pause before the picker")
    terminal.answer(re.escape("cancels.") + PROMPT, path + "\n", "the picker")
    terminal.answer(re.escape("(y/n)") + PROMPT, "n\n", "the preview question")
    answered = time.monotonic()
    line = terminal.wait_for(re.escape("\n\nUploading '%s'... " % path), LATENCY + 60)
    check(line and (time.monotonic() - answered < LATENCY / 2 or not at_once),
          "the upload line is on screen while the upload waits", terminal)
    result = terminal.wait_for(r"(.*?)(?:%s)*\nUPLOAD SUCCESSFUL!\n" % SGR, LATENCY + 60)
    check(result and "\n" not in result.group(1) and erased(result.group(1)),
          "the upload succeeds; its progress stays on its line, erased before the result",
          terminal)
    return re.sub(SGR, "", result.group(1)) if result else ""


def progress(sandbox, rng):
    """The longest progress form that fits before the terminal's edge."""
    with sandbox() as box:
        box.env["NO_COLOR"] = ""
        box.localsteam("set", box.store, "latency", str(int(LATENCY * 1000)))
        theirs = os.path.join(box.root, "theirs.txt")
        with open(theirs, "w") as handle:
            handle.write("serverSettings of a stranger\n")
        box.localsteam("subscribe", box.store, box.publish("Theirs", theirs, "--owner", "7"))
        terminal = Terminal(box)
        shown = upload(box, terminal, write_bots(box.game), False)
        check(re.search(r"\((preparing|uploading \d+ of \d+ bytes|committing)\)", shown),
              "160 columns: the long progress forms", terminal)
        # An upload line that wraps and ends at column 72 of 80: room for
        # "(42%)", not for "(uploading 500 of 500 bytes)".
        folder = os.path.join(box.game, "g" * (232 - len("Uploading '%s//bots_pty.txt'... "
                                                         % box.game)))
        os.mkdir(folder)
        terminal.resize(80)
        shown = upload(box, terminal, write_bots(folder), True)
        check(re.search(r"\(\d+%\)", shown) and "bytes" not in shown,
              "80 columns: the progress as a percentage", terminal)
        # "Downloading..." and "(downloading |)" would fill the line exactly.
        terminal.resize(29)
        terminal.answer(MENU, "3\n", "the menu")
        result = terminal.wait_for(r"Downloading\.\.\.(.*?)(?:%s)*SUCCESS!" % SGR, LATENCY + 60)
        spinner = re.sub(SGR, "", result.group(1)) if result else ""
        check(re.search(r"[|/\\-]", spinner) and "(" not in spinner and erased(spinner),
              "29 columns: the short spinner, erased before the result", terminal)
        terminal.answer(MENU, "x\n", "the menu")
        terminal.answer(PAUSE, "k", "the pause")
        mine = [item["id"] for item in json.loads(box.localsteam("list", box.store))
                if item["owner"] != 7]
        content = [json.loads(box.localsteam("show", box.store, str(id)))["content"] for id in mine]
        check(terminal.finish() == 0 and content == [[{"name": "bots_pty.txt", "size": 500}]] * 2,
              "exit status 0, both items hold the uploaded file", terminal)


def write_bots(folder):
    path = os.path.join(folder, "bots_pty.txt")
    with open(path, "w") as handle:
        handle.write("bot pty 1\n" * 50)
    return path



if __name__ == "__main__":
    harness.main([session, colour_ends, input_ends, progress], "drav-pty-", TERM="xterm")
