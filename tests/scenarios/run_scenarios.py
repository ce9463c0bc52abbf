#!/usr/bin/env python3
"""Runs the scenarios (*.scn) below this folder, each in a fresh sandbox (see README.md)."""

import collections
import functools
import glob
import json
import os
import re
import resource
import shlex
import shutil
import signal
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))
import harness  # noqa: E402
from harness import Failure, check, read  # noqa: E402

# Setup steps that say how the tool runs rather than change the sandbox.
RUN_STEPS = ("only", "store", "args", "status", "stderr", "nopath", "limit")
ESCAPES = {"n": "\n", "t": "\t", "r": "\r", "0": "\0", "\\": "\\", "s": " "}
# The marks of the dialogue; one that ends at a prompt reads an answer, and so
# does @unread (typed at the end, never read).
MARKS = {"@banner": harness.BANNER + "\n",
         "@done": harness.COMPLETED[1:],
         "@menu": harness.menu("{path}")[1:],
         "@types": harness.TYPE_MENU[1:],
         "/>": "/>",
         "@folder": "The workshop path is the directory where your \nworkshop items are (typically "
                    "your DRAV install dir).\n\nYOU WILL CHOOSE ONE NOW.\n\n\n"
                    "Choose folder containing workshop assets:" + harness.PROMPT,
         "@maprule": "NOTE:\nDRAV maps must be .tmx files.\n\nYOU WILL CHOOSE THE FILE NOW.  \n",
         "@mappick": "Choose workshop asset: (*.tmx)\nFolder: {game}\nWanted: the Map file to "
                     "upload\n  (no matching file in this folder)\nType a number, a path in this "
                     "folder or a full path; an empty line cancels." + harness.PROMPT,
         "@unread": ""}
# Marks that stand for several lines of the dialogue.
SHORTHANDS = {"@exit": "@menu x\n@done",
              "@update": "@menu 2\nTalking to Steam Workshop...\n\n\nChoose which item to update:",
              "@create": "@menu 1 \\\nCreating new workshop item...\n\n"
                         "Workshop item successfully created!",
              "@cleanexit": "\ncleaning up...done!\n\n@menu x\n@done"}
MARK = re.compile(r"(@[a-z]+|/>)(?:\(([^)]*)\))?(.*)$")
# words: the line split as a shell does; rest: the text after " = "; checks:
# the indented lines under a localsteam step, as (line number, text).
Step = collections.namedtuple("Step", "line_no words rest checks")


def decode_escapes(text):
    """Escapes to text; \\xHH above 127 is that byte once encoded with surrogateescape."""
    def one(match):
        check(match[1] in ESCAPES or len(match[1]) == 3, "bad escape %s in %r" % (match[0], text))
        return ESCAPES.get(match[1]) or os.fsdecode(bytes([int(match[1][1:], 16)]))

    return re.sub(r"\\(x[0-9a-fA-F]{2}|.?)", one, text)


def split(text):
    """Words as a shell splits them; escapes in quoted words decoded."""
    return [decode_escapes(word) for word in shlex.split(text or "")]


def parse_steps(lines):
    steps = []
    for line_no, line in lines:
        if line[:1].isspace() and line.strip():
            check(steps and "localsteam" in steps[-1].words[:2],
                  "line %d: a check without its localsteam step" % line_no)
            steps[-1].checks.append((line_no, line.strip()))
        elif line.strip() and not line.startswith("#"):
            head, is_set, rest = (line.strip() + " ").partition(" = ")
            try:
                steps.append(Step(line_no, split(head), rest[:-1] if is_set else None, []))
            except ValueError as error:
                raise Failure("line %d: %s" % (line_no, error))
    return steps


def parse_dialogue(lines):
    """The expected output (placeholders not yet expanded) and the answers."""
    output, answers, ended = [], [], False
    lines = [(n, part) for n, line in lines for part in SHORTHANDS.get(line, line).split("\n")]
    while lines and not lines[-1][1]:
        lines.pop()
    for line_no, line in lines:
        match = MARK.match(line)
        name, arg, rest = match.groups() if match and match[1] in MARKS else ("", "", "")
        text = MARKS[name].replace("{path}", arg or "{game}") if name else line + "\n"
        reads = text.endswith("/>") or name == "@unread"
        check(not rest or reads and rest.startswith(" "),
              "line %d: an answer where none is read, or without a blank before it" % line_no)
        check(not reads or not ended or rest == " ^D",
              "line %d: an answer after the input ended" % line_no)
        joined, eof = rest.endswith(" \\"), rest.endswith("^D")
        output.append(text + "\n" * (reads and not joined and name != "@unread"))
        if reads:
            answer = decode_escapes(rest[1:len(rest) - 2 * (joined or eof)])
            answers.append(answer + "\n" * (not eof))
        ended = ended or eof or name == "@unread"
    return "".join(output), "".join(answers)


def parse_scenario(path):
    """Setup steps, the dialogues (output, answers) and the [after] steps."""
    sections = [("", [])]
    for line_no, line in enumerate(read(path).decode("utf-8").split("\n"), 1):
        if line in ("[dialogue]", "[after]"):
            sections.append((line, []))
        else:
            sections[-1][1].append((line_no, line))
    kinds = "".join(name for name, _ in sections)
    check(re.fullmatch(r"(\[dialogue\])+(\[after\])?", kinds),
          "not [dialogue] (once or more), then [after] or nothing")
    dialogues = [parse_dialogue(lines) for name, lines in sections if name == "[dialogue]"]
    check(all(answers == dialogues[0][1] for _, answers in dialogues),
          "the [dialogue] sections type different answers")
    after = sections[-1][1] if kinds.endswith("[after]") else []
    return parse_steps(sections[0][1]), dialogues, parse_steps(after)


def json_select(value, keys):
    """Follows keys like content, 0, name; "*" maps the rest over a list."""
    for at, key in enumerate(keys):
        try:
            if key == "*":
                return [json_select(item, keys[at + 1:]) for item in value]
            value = value[int(key) if key.isdigit() else key]
        except (KeyError, IndexError, TypeError):
            raise Failure("no %s in %s" % (key, json.dumps(value)[:300]))
    return value


class Scenario:
    """A sandbox, the tool to run and the placeholders as it sees them and as the host does."""

    def __init__(self, box):
        self.box, self.program, self.host, self.tool = box, box.programs.tool, {}, {}
        self.set_paths(tmp=box.root, cwd=box.cwd, game=box.game, store=box.store,
                       data=harness.DATA, tool_folder=os.path.dirname(self.program))
        self.host["sep"] = self.tool["sep"] = "\\" if box.programs.windows else "/"

    def set_paths(self, **paths):
        for name, path in paths.items():
            self.host[name], self.tool[name] = path, self.box.seen(path)

    def expand(self, text, form="tool"):
        table = self.tool if form == "tool" else self.host

        def one(match):
            check(match[1] in table, "unknown placeholder %s" % match[0])
            return table[match[1]]

        return re.sub(r"\{([A-Za-z_][A-Za-z0-9_]*)\}", one, text)

    def content(self, step):
        return self.expand(decode_escapes(step.rest or "")).encode("utf-8", "surrogateescape")

    def localsteam(self, words):
        return self.box.localsteam(*[self.expand(word) for word in words])

    def setup_step(self, step, verb, *words):
        host = [self.expand(word, "host") for word in words]
        if verb == "localsteam":
            self.localsteam(words)
        elif verb == "let":
            value = split(step.rest)
            check(len(host) == 1 and value[:1] == ["localsteam"], "let NAME = localsteam ...")
            self.host[host[0]] = self.tool[host[0]] = self.localsteam(value[1:])
        elif verb == "tool":  # a copy of the tool alone in a folder
            self.set_paths(tool_folder=os.path.join(self.box.root, "tool"))
            os.mkdir(self.host["tool_folder"])
            self.program = shutil.copy2(self.program, self.host["tool_folder"])
        elif verb == "dir":
            for path in host:
                os.makedirs(path, exist_ok=True)
        elif verb in ("file", "copy"):
            harness.write(host[-1], self.content(step) if verb == "file" else read(host[0]))
        elif verb in ("link", "fifo"):  # in place of a file
            os.remove(host[-1])
            os.symlink(*host) if verb == "link" else os.mkfifo(host[0])
        elif verb == "size":  # zero bytes added or cut off
            os.truncate(host[0], int(host[1]))
        elif verb == "readonly":  # no write permission for anyone: read-only to Windows too
            os.chmod(host[0], os.stat(host[0]).st_mode & ~0o222)
        elif verb == "env":  # NAME=VALUE, or NAME alone: unset
            name, is_set, value = words[0].partition("=")
            self.box.env.pop(name, None)
            self.box.env.update({name: self.expand(value)} if is_set else {})
        else:
            check(verb in RUN_STEPS, "unknown setup step %r" % verb)

    def check(self, step, *words):
        if words[0] == "eventually":  # retried for up to 5 s
            for _ in range(100):
                try:
                    return self.check(step, *words[1:])
                except Failure:
                    time.sleep(0.05)
            words = words[1:]
        verb, path = words[0], self.expand(words[1], "host")
        if verb == "localsteam":  # each indented line: PATH = JSON, or #PATH = N for a length
            check(step.checks, "a localsteam check without checks")
            document = json.loads(self.localsteam(words[1:]))
            for line_no, line in step.checks:
                where, _, operand = (part.strip() for part in line.partition("="))
                value = json_select(document, re.findall(r"[^.\[\]#]+", where))
                value = len(value) if where.startswith("#") else value
                expected = json.loads(self.expand(operand))
                check(value == expected, "line %d (%s): %s, expected %s" % (
                    line_no, line, json.dumps(value)[:300], json.dumps(expected)))
            return
        if verb == "missing":
            actual, wanted = os.path.lexists(path), False
        elif verb in ("file", "same"):
            actual = read(path) if os.path.isfile(path) else None
            wanted = self.content(step) if verb == "file" else read(self.expand(words[2], "host"))
        elif verb in ("dir", "tree"):
            actual = harness.tree(path, verb == "tree") if os.path.isdir(path) else None
            wanted = sorted(self.expand(word) for word in split(step.rest))
        else:
            raise Failure("unknown check %r" % verb)
        check(actual == wanted, "%s: %s, expected %s" % (
            " ".join(words), repr(actual)[:400], repr(wanted)[:400]))


def size_limit(limit):
    """First in the tool's process: writes past `limit` bytes fail (EFBIG, SIGXFSZ ignored)."""
    signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
    resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))


def each_step(steps, action, where):
    for step in steps:
        try:
            action(step, *step.words)
        except (Failure, OSError, ValueError) as error:
            raise Failure("%s %d: %s" % (where, step.line_no, error))


def run(path, sandbox, rng):
    setup, dialogues, after = parse_scenario(path)
    given = collections.defaultdict(list, ((step.words[0], step.words[1:]) for step in setup))
    with sandbox(store_args=None if given["store"] == ["none"] else given["store"],
                 path_file="nopath" not in given) as box:
        if given["only"] not in ([], ["windows" if box.programs.windows else "posix"]):
            raise harness.SkipTest()
        scenario = Scenario(box)
        each_step(setup, scenario.setup_step, "line")
        limit = given["limit"]
        result = box.run(scenario.expand(dialogues[0][1]).encode("utf-8", "surrogateescape"),
                         preexec_fn=(lambda: size_limit(int(limit[0]))) if limit else None,
                         program=scenario.program, args=[scenario.expand(a) for a in given["args"]])
        report = harness.differences("standard output", [
            scenario.expand(output) for output, _ in dialogues], result.text())
        status = int((given["status"] or ["0"])[0])
        if result.code != status:
            report.append("exit status %s, expected %d (None: timed out)" % (result.code, status))
        for step in (step for step in setup if step.words[0] == "stderr"):
            report += harness.differences(
                "standard error", [scenario.content(step).decode("utf-8", "replace")],
                result.err.decode("utf-8", "replace").replace("\r\n", "\n"))
        if report and result.err.strip():
            report.append("standard error (last lines):\n" + result.err_tail())
        check(not report, "\n".join(report))
        each_step(after, scenario.check, "after-check at line")


def case(path):
    scenario = functools.partial(run, path)
    scenario.__name__ = os.path.relpath(path, HERE)[:-len(".scn")].replace(os.sep, "/")
    return scenario


if __name__ == "__main__":
    paths = sorted(glob.glob(os.path.join(HERE, "**", "*.scn"), recursive=True))
    harness.main([case(path) for path in paths], "drav-scn-")
