#!/usr/bin/env python3
"""Runs the scenario files (*.scn) under this folder against the real tool:
in a fresh sandbox each, their answers typed, the tool's whole output
compared with the dialogue. README.md gives the format."""

import concurrent.futures
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
from harness import Failure, read  # noqa: E402

TIMEOUT = 20.0
EOF = "^D"
TAKES_REST = ("file", "dir", "tree", "let", "stderr")
RUN_STEPS = ("only", "store", "tool", "args", "status", "stderr", "nopath", "limit")
# The marks of the dialogue; one that ends at a prompt takes an answer.
MARKS = {
    "@banner": harness.BANNER + "\n",
    "@done": harness.COMPLETED[1:],
    "@menu": harness.menu("{path}")[1:],
    "@types": harness.TYPE_MENU[1:],
    "/>": "/>",
    "@folder": "The workshop path is the directory where your \nworkshop items are "
               "(typically your DRAV install dir).\n\nYOU WILL CHOOSE ONE NOW.\n\n\n"
               "Choose folder containing workshop assets:" + harness.PROMPT,
    "@maprule": "NOTE:\nDRAV maps must be .tmx files.\n\nYOU WILL CHOOSE THE FILE NOW.  \n",
    "@mappick": "Choose workshop asset: (*.tmx)\nFolder: {game}\nWanted: the Map file to "
                "upload\n  (no matching file in this folder)\nType a number, a path in this "
                "folder or a full path; an empty line cancels." + harness.PROMPT,
}
# Marks that stand for several lines of the dialogue.
SHORTHANDS = {"@exit": ["@menu x", "@done"],
              "@update": ["@menu 2", "Talking to Steam Workshop...", "", "",
                          "Choose which item to update:"],
              "@create": ["@menu 1 \\", "Creating new workshop item...", "",
                          "Workshop item successfully created!"],
              "@cleanexit": ["", "cleaning up...done!", "", "@menu x", "@done"]}
MARK = re.compile(r"(@[a-z]+|/>)(?:\(([^)]*)\))?(.*)$")


class ScenarioError(Exception):
    """A broken scenario file or a setup step that failed."""


def decode_escapes(text):
    """Backslash escapes (\\n, \\t, \\r, \\0, \\s, \\xHH, \\\\) to text; a
    byte above 127 stays that byte when encoded again."""
    simple = {"n": "\n", "t": "\t", "r": "\r", "0": "\0", "\\": "\\", "s": " "}

    def one(match):
        code = match.group(1)
        if code.startswith("x") and len(code) == 3:
            value = int(code[1:], 16)
            return chr(value if value < 0x80 else 0xDC00 + value)
        if code not in simple:
            raise ScenarioError("unknown escape \\%s in %r" % (code, text))
        return simple[code]

    return re.sub(r"\\(x[0-9a-fA-F]{2}|.?)", one, text)


def split(text):
    """Words as a shell splits them; escapes in quoted words decoded."""
    return [decode_escapes(word) for word in shlex.split(text or "")]


class Step:
    def __init__(self, line_no, words, rest=None):
        self.line_no, self.words, self.rest = line_no, words, rest
        self.checks = []  # indented lines under a localsteam step


def parse_steps(lines, path):
    steps = []
    for line_no, line in lines:
        stripped = line.strip()
        if not stripped or stripped.startswith("#") and not line[:1].isspace():
            continue
        if line[0].isspace():
            if not steps or "localsteam" not in steps[-1].words[:2]:
                raise ScenarioError("%s:%d: a check without its localsteam step"
                                    % (path, line_no))
            steps[-1].checks.append((line_no, stripped))
            continue
        head, rest, words = stripped, None, stripped.split()
        verb = words[1] if words[0] == "eventually" and len(words) > 1 else words[0]
        if verb in TAKES_REST and (" = " in stripped or stripped.endswith(" =")):
            head, _, rest = stripped.partition(" =")
            rest = rest[1:]
        try:
            steps.append(Step(line_no, split(head), rest))
        except ValueError as error:
            raise ScenarioError("%s:%d: %s" % (path, line_no, error))
    return steps


def parse_dialogue(lines, path):
    """The expected output (placeholders not yet expanded) and the answers."""
    output, answers, ended, unread = [], [], False, False
    lines = [(n, part) for n, line in lines for part in SHORTHANDS.get(line, [line])]
    while lines and lines[-1][1] == "":
        lines.pop()
    for line_no, line in lines:
        where, match = "%s:%d" % (path, line_no), MARK.match(line)
        name, arg, rest = match.groups() if match else (None, None, "")
        text = MARKS[name].replace("{path}", arg or "{game}") if name in MARKS else ""
        if line.startswith("@unread ") and not ended:
            answers.append(decode_escapes(line[len("@unread "):]) + "\n")
            unread = True
        elif name not in MARKS:
            output.append(line + "\n")
        elif not text.endswith("/>") and not rest:
            output.append(text)
        elif ended and rest != " " + EOF or unread or not text.endswith("/>") or \
                rest and not rest.startswith(" "):
            raise ScenarioError("%s: an answer after the input ended or where none is "
                                "read, or without a blank before it" % where)
        elif rest.endswith(EOF):
            answers.append(decode_escapes(rest[1:-len(EOF)]))
            output.append(text + "\n")
            ended = True
        else:
            joined = rest.endswith(" \\")
            answers.append(decode_escapes(rest[1:len(rest) - 2 * joined]) + "\n")
            output.append(text + "\n" * (not joined))
    return "".join(output), "".join(answers)


def parse_scenario(path):
    """Setup steps (the lines before the first section), the dialogues
    (output, answers) and the steps of [after]."""
    with open(path, encoding="utf-8", newline="") as handle:
        text = handle.read()
    if "\r" in text:
        raise ScenarioError("%s: carriage returns in the file" % path)
    setup, after, dialogues, current = [], [], [], None
    for line_no, line in enumerate(text.split("\n"), 1):
        if line in ("[dialogue]", "[after]"):
            if after or line == "[dialogue]" and current is after:
                raise ScenarioError("%s:%d: sections out of order" % (path, line_no))
            current = after if line == "[after]" else []
            if line == "[dialogue]":
                dialogues.append(current)
        else:
            (setup if current is None else current).append((line_no, line))
    if not dialogues:
        raise ScenarioError("%s: no [dialogue] section" % path)
    dialogues = [parse_dialogue(lines, path) for lines in dialogues]
    if any(answers != dialogues[0][1] for _, answers in dialogues):
        raise ScenarioError("%s: the [dialogue] sections type different answers" % path)
    return parse_steps(setup, path), dialogues, parse_steps(after, path)


def json_select(value, path):
    """Follows a path like content[0].name; [*] maps the rest over a list."""
    match = re.match(r"\.?([A-Za-z_][A-Za-z0-9_-]*)|\[(\*|\d+)\]", path)
    if not path:
        return value
    if not match:
        raise ScenarioError("bad JSON path %r" % path)
    key, index = match.groups()
    try:
        if index == "*":
            return [json_select(item, path[match.end():]) for item in value]
        return json_select(value[key] if key else value[int(index)], path[match.end():])
    except (KeyError, IndexError, TypeError):
        raise Failure("no %s in %s" % (path, json.dumps(value)[:300]))


def json_check(document, check, expand):
    """One line: PATH = JSON, or #PATH = N for a length."""
    match = re.fullmatch(r"(#?)((?:[^\s\[=]|\[[^\]]*\])*)\s*=\s*(.*)", check)
    if not match:
        raise ScenarioError("bad check %r" % check)
    count, path, operand = match.groups()
    value = json_select(document, path) if path else document
    value = len(value) if count else value
    try:
        expected = json.loads(expand(operand))
    except json.JSONDecodeError:
        raise ScenarioError("not JSON: %r" % operand)
    if value != expected:
        raise Failure("%s%s is %s, expected %s" % (
            count, path or "the output", json.dumps(value)[:300], json.dumps(expected)))


class Scenario:
    """One run: the sandbox and the placeholders, in the form the programs
    see (`tool`) and in the form the harness acts on (`host`)."""

    def __init__(self, programs, sandbox):
        self.programs, self.box, self.host, self.tool = programs, sandbox, {}, {}
        for name in ("cwd", "game", "store", "bin"):
            self.set_path(name, getattr(sandbox, name))
        self.set_path("tmp", sandbox.root)
        self.set_path("data", harness.DATA)
        self.set_path("tool_folder", os.path.dirname(programs.tool))
        self.host["sep"] = self.tool["sep"] = "\\" if programs.windows else "/"

    def set_path(self, name, host_path):
        self.host[name], self.tool[name] = host_path, self.box.seen(host_path)

    def expand(self, text, form="tool"):
        table = self.tool if form == "tool" else self.host

        def one(match):
            if match.group(1) not in table:
                raise ScenarioError("unknown placeholder %s" % match.group(0))
            return table[match.group(1)]

        return re.sub(r"\{([A-Za-z_][A-Za-z0-9_]*)\}", one, text)

    def content(self, step):
        return self.expand(decode_escapes(step.rest or "")).encode("utf-8", "surrogateescape")

    def localsteam(self, step, words):
        try:
            return self.box.localsteam(*[self.expand(word) for word in words])
        except harness.HarnessError as error:
            raise ScenarioError("line %d: %s" % (step.line_no, error))

    def prepare(self, setup):
        """The store, the path file and the setup steps; the tool to run."""
        given = dict((step.words[0], step) for step in setup)
        store = given["store"].words[1:] if "store" in given else []
        if store != ["none"]:
            self.box.localsteam("init", self.tool["store"],
                                *[self.expand(word) for word in store])
        if "nopath" not in given:
            self.box.set_workshop_path(self.box.game)
        tool = self.programs.tool
        if "tool" in given:
            folder = os.path.join(self.box.root, "tool")
            os.mkdir(folder)
            self.set_path("tool_folder", folder)
            tool = shutil.copy2(tool, folder)
        for step in setup:
            if step.words[0] not in RUN_STEPS:
                self.setup_step(step, step.words[0],
                                [self.expand(arg, "host") for arg in step.words[1:]])
        return tool

    def setup_step(self, step, verb, host):
        if verb == "localsteam":
            self.localsteam(step, step.words[1:])
        elif verb == "let":
            words = split(step.rest)
            if len(host) != 1 or words[:1] != ["localsteam"]:
                raise ScenarioError("line %d: let NAME = localsteam ..." % step.line_no)
            self.host[host[0]] = self.tool[host[0]] = self.localsteam(step, words[1:])
        elif verb == "dir":
            for path in host:
                os.makedirs(path, exist_ok=True)
        elif verb == "file":
            os.makedirs(os.path.dirname(host[0]), exist_ok=True)
            with open(host[0], "wb") as handle:
                handle.write(self.content(step))
        elif verb in ("link", "fifo"):  # in place of a file
            os.remove(host[-1])
            os.symlink(*host) if verb == "link" else os.mkfifo(host[0])
        elif verb == "size":  # zero bytes added or cut off
            os.truncate(host[0], int(host[1]))
        elif verb == "copy" and os.path.isdir(host[0]):
            shutil.copytree(host[0], host[1], dirs_exist_ok=True)
        elif verb == "copy":
            os.makedirs(os.path.dirname(host[1]), exist_ok=True)
            shutil.copyfile(host[0], host[1])
        elif verb == "readonly":  # no write permission for anyone: read-only to Windows too
            for path in host:
                os.chmod(path, os.stat(path).st_mode & ~0o222)
        elif verb == "env":  # NAME=VALUE, or NAME alone: unset
            name, is_set, value = step.words[1].partition("=")
            self.box.env.pop(name, None)
            if is_set:
                self.box.env[name] = self.expand(value)
        else:
            raise ScenarioError("line %d: unknown setup step %r" % (step.line_no, verb))

    def check(self, step):
        verb, args = step.words[0], step.words[1:]
        if verb == "eventually":
            deadline = time.monotonic() + 5.0
            while True:
                try:
                    return self.check(Step(step.line_no, args, step.rest))
                except Failure:
                    if time.monotonic() > deadline:
                        raise
                    time.sleep(0.05)
        if verb == "localsteam":
            return self.json_checks(step)
        path = self.expand(args[0], "host")
        if verb == "missing" and os.path.lexists(path):
            raise Failure("%s exists" % path)
        if verb == "file" and (read(path) if os.path.isfile(path) else None) != \
                self.content(step):
            raise Failure("%s holds %r, expected %r" % (
                path, os.path.isfile(path) and read(path)[:400], self.content(step)[:400]))
        if verb == "same" and read(path) != read(self.expand(args[1], "host")):
            raise Failure("%s differs from %s" % (path, args[1]))
        if verb in ("dir", "tree"):
            wanted = sorted(self.expand(word) for word in split(step.rest))
            actual = harness.tree(path, verb == "tree") if os.path.isdir(path) else None
            if actual != wanted:
                raise Failure("%s holds %s, expected %s" % (path, actual, wanted))
        if verb not in ("missing", "file", "same", "dir", "tree"):
            raise ScenarioError("line %d: unknown check %r" % (step.line_no, verb))

    def json_checks(self, step):
        if not step.checks:
            raise ScenarioError("line %d: a localsteam check without checks" % step.line_no)
        out = self.localsteam(step, step.words[1:])
        try:
            document = json.loads(out)
        except json.JSONDecodeError as error:
            raise Failure("not JSON (%s): %r" % (error, out[:200]))
        for line_no, check in step.checks:
            try:
                json_check(document, check, self.expand)
            except Failure as failure:
                raise Failure("line %d %r: %s" % (line_no, check, failure))


def size_limit(words):
    """What the tool's process does first under `limit BYTES`: writes past
    BYTES fail with EFBIG (SIGXFSZ ignored, so it doesn't end the tool)."""
    def limit():
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        resource.setrlimit(resource.RLIMIT_FSIZE, (int(words[0]), int(words[0])))

    return limit if words else None


def differences(what, wanted, actual):
    """Nothing when `actual` is one of `wanted`, else the diff to the first."""
    return [] if actual in wanted else ["%s differs (- expected, + actual):" % what] + \
        harness.diff_lines(wanted[0], actual)


def run(programs, path, keep):
    """("passed" | "failed" | "skipped", details)."""
    setup, dialogues, after = parse_scenario(path)
    given = dict((step.words[0], step.words[1:]) for step in setup)
    if given.get("only", ["windows" if programs.windows else "posix"]) != \
            ["windows" if programs.windows else "posix"]:
        return "skipped", ""
    with harness.Sandbox(programs, store_args=None, keep=keep, prefix="drav-scn-") as box:
        scenario = Scenario(programs, box)
        tool = scenario.prepare(setup)
        args = [scenario.expand(word) for word in given.get("args", [])]
        answers = scenario.expand(dialogues[0][1]).encode("utf-8", "surrogateescape")
        result = box.run(answers, TIMEOUT, size_limit(given.get("limit")), tool, args)
        wanted = [scenario.expand(output) for output, _ in dialogues]
        report = [] if result.code is not None else ["killed after %g s" % TIMEOUT]
        report += differences("standard output", wanted, result.text())
        status = int(given.get("status", ["0"])[0])
        if result.code not in (None, status):
            report.append("exit status %d, expected %d" % (result.code, status))
        err = result.err.decode("utf-8", "replace").replace("\r\n", "\n")
        for step in (step for step in setup if step.words[0] == "stderr"):
            report += differences("standard error",
                                  [scenario.expand(decode_escapes(step.rest or ""))], err)
        for step in after if not report else []:
            try:
                scenario.check(step)
            except Failure as failure:
                report.append("after-check at line %d: %s" % (step.line_no, failure))
                break
        if report and result.err.strip():
            report.append("standard error (last lines):\n" + result.err_tail())
        return ("failed", "\n".join(report)) if report else ("passed",
                                                             "%.1fs" % result.elapsed)


def main():
    args, programs = harness.parse_args(
        (["--filter"], dict(default="", help="only scenarios whose name holds this")),
        (["-j"], dict(type=int, default=1, help="scenarios run at once")))
    paths = sorted(os.path.join(base, name) for base, _, files in os.walk(HERE)
                   for name in files if name.endswith(".scn") and args.filter in
                   os.path.relpath(os.path.join(base, name), HERE).replace(os.sep, "/"))

    def one(path):
        try:
            return run(programs, path, args.keep)
        except (ScenarioError, harness.HarnessError, OSError) as error:
            return "failed", "broken scenario: %s" % error

    failed = skipped = 0
    with concurrent.futures.ThreadPoolExecutor(max(1, args.j)) as pool:
        for path, (status, detail) in zip(paths, pool.map(one, paths)):
            name = os.path.splitext(os.path.relpath(path, HERE))[0]
            failed += status == "failed"
            skipped += status == "skipped"
            print("%-7s %s%s" % ("ok" if status == "passed" else status.upper(), name,
                                 "\n    " + detail.replace("\n", "\n    ") + "\n"
                                 if status == "failed" else " (%s)" % detail * bool(detail)))
            sys.stdout.flush()
    print("%d scenarios, %d failed, %d skipped" % (len(paths), failed, skipped))
    return 1 if failed or not paths else 0


if __name__ == "__main__":
    sys.exit(main())
