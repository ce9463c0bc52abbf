#!/usr/bin/env python3
"""Runs the scenario files (*.scn) under this folder against the real tool.

Each scenario gets a fresh sandbox (a working folder, an empty game folder,
an initialised local workshop store), types its answers into the tool's
standard input (a pipe), and compares the tool's whole standard output with
the dialogue. README.md beside this file gives the format. Standard library
only.
"""

import argparse
import concurrent.futures
import difflib
import json
import os
import re
import shlex
import shutil
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))
import harness  # noqa: E402

SECTIONS = ("setup", "dialogue", "after")
TAKES_REST = ("file", "dir", "tree", "let", "stderr")
RUN_STEPS = ("only", "store", "tool", "args", "status", "stderr")
DEFAULT_TIMEOUT = 20.0
EVENTUALLY_SECONDS = 5.0
EOF = "^D"


class ScenarioError(Exception):
    """A broken scenario file or a setup step that failed."""


class CheckFailed(Exception):
    """An expectation that the run did not meet."""


def decode_escapes(text):
    """Backslash escapes (\\n, \\t, \\r, \\0, \\s, \\xHH, \\\\) to text."""
    simple = {"n": "\n", "t": "\t", "r": "\r", "0": "\0", "\\": "\\", "s": " "}

    def one(match):
        code = match.group(1)
        if code in simple:
            return simple[code]
        if code.startswith("x") and len(code) == 3:
            # A byte above 127 stays that byte when encoded again.
            value = int(code[1:], 16)
            return chr(value if value < 0x80 else 0xDC00 + value)
        raise ScenarioError("unknown escape \\%s in %r" % (code, text))

    return re.sub(r"\\(x[0-9a-fA-F]{2}|.?)", one, text)


class Places:
    """The placeholders of one run, in the form the programs see (`tool`)
    and in the form the harness itself uses for files (`host`)."""

    def __init__(self, sandbox):
        self.sandbox = sandbox
        self.host = {}
        self.tool = {}

    def set_path(self, name, host_path):
        self.host[name] = host_path
        self.tool[name] = self.sandbox.seen(host_path)

    def set_value(self, name, value):
        self.host[name] = self.tool[name] = value

    def expand(self, text, form="tool"):
        table = self.tool if form == "tool" else self.host

        def one(match):
            if match.group(1) not in table:
                raise ScenarioError("unknown placeholder %s" % match.group(0))
            return table[match.group(1)]

        return re.sub(r"\{([A-Za-z_][A-Za-z0-9_]*)\}", one, text)


# --- Parsing

class Step:
    def __init__(self, line_no, words, rest=None):
        self.line_no = line_no
        self.words = words      # the step's words, split like a shell
        self.rest = rest        # the text after " = ", unsplit
        self.checks = []        # indented lines under a localsteam step


class Dialogue:
    """The tool's expected output and the answers typed into it."""

    def __init__(self):
        self.output = []        # text pieces; placeholders not yet expanded
        self.answers = []       # text pieces with their line breaks
        self.ended = False      # the input ended at a prompt
        self.unread = False     # answers that no prompt reads have come


def parse_steps(lines, path):
    steps = []
    for line_no, line in lines:
        stripped = line.strip()
        # An indented "#PATH = N" is a length check, not a comment.
        is_count = line[:1].isspace() and re.match(r"#\S", stripped)
        if not stripped or stripped.startswith("#") and not is_count:
            continue
        if line[0].isspace():
            if not steps or "localsteam" not in steps[-1].words[:2]:
                raise ScenarioError("%s:%d: an indented check belongs under a "
                                    "localsteam step" % (path, line_no))
            steps[-1].checks.append((line_no, stripped))
            continue
        head, rest = stripped, None
        words = stripped.split()
        verb = words[1] if words[0] == "eventually" and len(words) > 1 else words[0]
        if verb in TAKES_REST and (" = " in stripped or stripped.endswith(" =")):
            head, _, rest = stripped.partition(" =")
            rest = rest[1:] if rest.startswith(" ") else rest
        try:
            steps.append(Step(line_no, shlex.split(head), rest))
        except ValueError as error:
            raise ScenarioError("%s:%d: %s" % (path, line_no, error))
    return steps


MARK = re.compile(r"(@banner|@types|@menu(?:\(([^)]*)\))?|/>)(.*)$")


def parse_dialogue(lines, path):
    dialogue = Dialogue()
    while lines and lines[-1][1] == "":
        lines = lines[:-1]
    for line_no, line in lines:
        where = "%s:%d" % (path, line_no)
        if line.startswith("@unread "):
            add_answer(dialogue, line[len("@unread "):], where)
            dialogue.unread = True
            continue
        match = MARK.match(line)
        if not match:
            dialogue.output.append(line + "\n")
            continue
        mark, menu_path, rest = match.groups()
        if mark == "@banner":
            if rest:
                raise ScenarioError("%s: text after @banner" % where)
            dialogue.output.append(harness.BANNER)
            continue
        text = {"@types": harness.TYPE_MENU[1:], "/>": "/>"}.get(
            mark, harness.menu(menu_path or "{game}")[1:])
        dialogue.output.append(text + prompt_rest(dialogue, rest, where))
    return dialogue


def prompt_rest(dialogue, rest, where):
    """Takes the answer after a prompt; the line break of the output that
    ends the prompt's line ("" when the output goes on after the prompt)."""
    if dialogue.unread:
        raise ScenarioError("%s: a prompt after @unread" % where)
    if rest and not rest.startswith(" "):
        raise ScenarioError("%s: a blank separates the prompt from the answer" % where)
    answer = rest[1:]
    if answer == EOF:
        dialogue.ended = True
        return "\n"
    if answer.endswith(EOF):
        add_answer(dialogue, answer[:-len(EOF)], where, "")
        dialogue.ended = True
        return "\n"
    joined = answer.endswith(" \\")
    add_answer(dialogue, answer[:-2] if joined else answer, where)
    return "" if joined else "\n"


def add_answer(dialogue, answer, where, line_break="\n"):
    if dialogue.ended:
        raise ScenarioError("%s: an answer after the input ended (%s)" % (where, EOF))
    dialogue.answers.append(decode_escapes(answer) + line_break)


def parse_scenario(path):
    with open(path, encoding="utf-8", newline="") as handle:
        text = handle.read()
    if "\r" in text:
        raise ScenarioError("%s: carriage returns in the file" % path)
    parts = {"setup": [], "after": []}
    dialogues = []
    current = None
    for line_no, line in enumerate(text.split("\n"), 1):
        header = re.fullmatch(r"\[(\w+)\]", line)
        if header:
            current = header.group(1)
            if current not in SECTIONS or current != "dialogue" and parts[current]:
                raise ScenarioError("%s:%d: unknown or repeated section [%s]"
                                    % (path, line_no, current))
            parts[current] = []
            if current == "dialogue":
                dialogues.append(parts[current])
        elif current is not None:
            parts[current].append((line_no, line))
        elif line.strip() and not line.startswith("#"):
            raise ScenarioError("%s:%d: text before the first section" % (path, line_no))
    if not dialogues:
        raise ScenarioError("%s: no [dialogue] section" % path)
    dialogues = [parse_dialogue(lines, path) for lines in dialogues]
    if any(d.answers != dialogues[0].answers for d in dialogues):
        raise ScenarioError("%s: the [dialogue] sections type different answers" % path)
    return (parse_steps(parts["setup"], path), dialogues, parse_steps(parts["after"], path))


# --- JSON checks

PATH_TOKEN = re.compile(r"\.?([A-Za-z_][A-Za-z0-9_-]*)|\[(\*|\d+)\]")


def json_select(document, path):
    """Follows a path like content[0].name; [*] maps over a list."""
    values, mapped, pos = [document], False, 0
    while pos < len(path):
        match = PATH_TOKEN.match(path, pos)
        if not match:
            raise ScenarioError("bad JSON path %r" % path)
        pos = match.end()
        key, index = match.groups()
        following = []
        for value in values:
            if key is not None and isinstance(value, dict) and key in value:
                following.append(value[key])
            elif index == "*" and isinstance(value, list):
                following.extend(value)
                mapped = True
            elif index and index != "*" and isinstance(value, list) and \
                    int(index) < len(value):
                following.append(value[int(index)])
            else:
                raise CheckFailed("no %s in %s (path %r)" % (
                    key or "[%s]" % index, short_json(value), path))
        values = following
    return values if mapped else values[0]


def short_json(value):
    text = json.dumps(value)
    return text if len(text) < 300 else text[:300] + "..."


def run_json_check(document, check, places):
    """One line: PATH = JSON, or #PATH = N for a length."""
    match = re.fullmatch(r"(#?)((?:[^\s\[=]|\[[^\]]*\])*)\s*=\s*(.*)", check)
    if not match:
        raise ScenarioError("bad check %r" % check)
    count, path, operand = match.groups()
    value = json_select(document, path) if path else document
    if count:
        value = len(value)
    try:
        expected = json.loads(places.expand(operand))
    except json.JSONDecodeError:
        raise ScenarioError("not JSON: %r" % operand)
    if value != expected:
        raise CheckFailed("%s%s is %s, expected %s" % (
            count, path or "the output", short_json(value), short_json(expected)))


# --- Running

class Runner:
    def __init__(self, args):
        self.programs = harness.Programs(args.tool, args.localsteam, args.wrapper)
        self.keep = args.keep

    def run(self, path):
        setup, dialogues, after = parse_scenario(path)
        only = [step.words[1:] for step in setup if step.words[0] == "only"]
        if only and only[0] not in (["posix"], ["windows"]):
            raise ScenarioError("%s: only posix|windows" % path)
        if only and (only[0] == ["windows"]) != self.programs.windows:
            return "skipped", ""
        store = [step.words[1:] for step in setup if step.words[0] == "store"]
        store_args = store[0] if store else []
        with harness.Sandbox(self.programs, store_args=None, keep=self.keep,
                             prefix="drav-scn-") as sandbox:
            places = Places(sandbox)
            for name in ("cwd", "game", "store", "bin"):
                places.set_path(name, getattr(sandbox, name))
            places.set_path("tmp", sandbox.root)
            places.set_path("data", os.path.join(HERE, "data"))
            places.set_path("tool_folder", os.path.dirname(self.programs.tool))
            places.set_value("sep", "\\" if self.programs.windows else "/")
            if store_args != ["none"]:
                sandbox.localsteam("init", places.tool["store"],
                                   *[places.expand(w) for w in store_args])
            tool = self.programs.tool
            if any(step.words == ["tool", "copy"] for step in setup):
                tool = self.copy_tool(sandbox, places)
            for step in setup:
                if step.words[0] not in RUN_STEPS:
                    self.setup_step(step, places, sandbox)
            return self.compare(sandbox, places, tool, dialogues, after, run_steps(setup))

    def copy_tool(self, sandbox, places):
        """The tool alone in a folder of its own, without the files that
        the build puts beside it."""
        folder = os.path.join(sandbox.root, "tool")
        os.mkdir(folder)
        places.set_path("tool_folder", folder)
        return shutil.copy2(self.programs.tool, folder)

    def compare(self, sandbox, places, tool, dialogues, after, expected):
        stdin = places.expand("".join(dialogues[0].answers)).encode(
            "utf-8", "surrogateescape")
        wanted = [places.expand("".join(d.output)) for d in dialogues]
        args = [places.expand(word) for word in expected["args"]]
        run = sandbox.run(stdin, DEFAULT_TIMEOUT, program=tool, args=args)
        actual = run.text()
        report = []
        if run.code is None:
            report.append("the tool did not end within %g s (killed)" % DEFAULT_TIMEOUT)
        if actual not in wanted:
            report.append("standard output differs (- expected, + actual)%s:" % (
                ", shown against the first [dialogue]" if len(wanted) > 1 else ""))
            report.extend(diff_lines(wanted[0], actual))
        if run.code not in (None, expected["status"]):
            report.append("exit status %d, expected %d" % (run.code, expected["status"]))
        err = run.err.decode("utf-8", "replace").replace("\r\n", "\n")
        if expected["stderr"] is not None and err != places.expand(expected["stderr"]):
            report.append("standard error differs (- expected, + actual):")
            report.extend(diff_lines(places.expand(expected["stderr"]), err))
        for step in after if not report else []:
            try:
                self.after_step(step, places, sandbox)
            except CheckFailed as failure:
                report.append("after-check at line %d (%s): %s" % (
                    step.line_no, " ".join(step.words), failure))
                break
        if not report:
            return "passed", "%.1fs" % run.elapsed
        if run.err.strip():
            report.append("standard error (last lines):\n" + run.err_tail())
        return "failed", "\n".join(report)

    def localsteam(self, step, places, sandbox):
        try:
            return sandbox.localsteam(*[places.expand(w) for w in step.words[1:]])
        except harness.HarnessError as error:
            raise ScenarioError("line %d: %s" % (step.line_no, error))

    # Setup steps create; the same words in [after] check.
    def setup_step(self, step, places, sandbox):
        verb, args = step.words[0], step.words[1:]
        host = [places.expand(arg, "host") for arg in args]
        if verb == "localsteam":
            self.localsteam(step, places, sandbox)
        elif verb == "let":
            # let NAME = localsteam ARGS...: the output, stripped, as {NAME}
            words = shlex.split(step.rest or "")
            if len(args) != 1 or words[:1] != ["localsteam"]:
                raise ScenarioError("line %d: let NAME = localsteam ..." % step.line_no)
            places.set_value(args[0], self.localsteam(Step(step.line_no, words),
                                                      places, sandbox))
        elif verb == "dir":
            for path in host:
                os.makedirs(path, exist_ok=True)
        elif verb == "file":
            os.makedirs(os.path.dirname(host[0]), exist_ok=True)
            with open(host[0], "wb") as handle:
                handle.write(file_content(step, places))
        elif verb == "copy":
            if os.path.isdir(host[0]):
                shutil.copytree(host[0], host[1], dirs_exist_ok=True)
            else:
                os.makedirs(os.path.dirname(host[1]), exist_ok=True)
                shutil.copyfile(host[0], host[1])
        elif verb == "readonly":
            # No write permission for anyone: read-only to Windows as well.
            for path in host:
                os.chmod(path, os.stat(path).st_mode & ~0o222)
        elif verb == "env":
            name, _, value = args[0].partition("=")
            sandbox.env[name] = places.expand(value)
        elif verb == "unset":
            sandbox.env.pop(args[0], None)
        else:
            raise ScenarioError("line %d: unknown setup step %r" % (step.line_no, verb))

    def after_step(self, step, places, sandbox):
        verb, args = step.words[0], step.words[1:]
        if verb == "eventually":
            deadline = time.monotonic() + EVENTUALLY_SECONDS
            step = Step(step.line_no, args, step.rest)
            while True:
                try:
                    return self.after_step(step, places, sandbox)
                except CheckFailed:
                    if time.monotonic() > deadline:
                        raise
                    time.sleep(0.05)
        if verb == "localsteam":
            self.json_checks(step, places, sandbox)
            return
        path = places.expand(args[0], "host")
        if verb == "missing":
            if os.path.lexists(path):
                raise CheckFailed("%s exists" % path)
        elif verb == "file":
            actual = read(path) if os.path.isfile(path) else None
            if actual != file_content(step, places):
                raise CheckFailed("%s holds %r, expected %r" % (
                    path, actual and actual[:400], file_content(step, places)[:400]))
        elif verb == "same":
            if read(path) != read(places.expand(args[1], "host")):
                raise CheckFailed("%s differs from %s" % (path, args[1]))
        elif verb in ("dir", "tree"):
            if not os.path.isdir(path):
                raise CheckFailed("%s is not a folder" % path)
            actual = harness.tree(path, verb == "tree")
            wanted = sorted(places.expand(word) for word in shlex.split(step.rest or ""))
            if actual != wanted:
                raise CheckFailed("%s holds %s, expected %s" % (path, actual, wanted))
        else:
            raise ScenarioError("line %d: unknown check %r" % (step.line_no, verb))

    def json_checks(self, step, places, sandbox):
        if not step.checks:
            raise ScenarioError("line %d: a localsteam check needs indented "
                                "checks under it" % step.line_no)
        out = self.localsteam(step, places, sandbox)
        try:
            document = json.loads(out)
        except json.JSONDecodeError as error:
            raise CheckFailed("not JSON (%s): %r" % (error, out[:200]))
        for line_no, check in step.checks:
            try:
                run_json_check(document, check, places)
            except CheckFailed as failure:
                raise CheckFailed("line %d %r: %s" % (line_no, check, failure))


def run_steps(setup):
    """The tool's arguments, its expected exit status and, when given, its
    exact standard error (escapes decoded, placeholders not yet expanded)."""
    expected = {"args": [], "status": 0, "stderr": None}
    for step in setup:
        if step.words[0] == "args":
            expected["args"] = step.words[1:]
        elif step.words[0] == "status":
            expected["status"] = int(step.words[1])
        elif step.words[0] == "stderr":
            expected["stderr"] = decode_escapes(step.rest or "")
    return expected


def read(path):
    with open(path, "rb") as handle:
        return handle.read()


def file_content(step, places):
    return places.expand(decode_escapes(step.rest or "")).encode("utf-8", "surrogateescape")


def diff_lines(expected, actual):
    return [line.rstrip("\n") if line.startswith(("---", "+++", "@@")) else
            line[0] + repr(line[1:])[1:-1]
            for line in difflib.unified_diff(
                expected.splitlines(keepends=True), actual.splitlines(keepends=True),
                "expected", "actual", n=3)]


def find_scenarios(pattern):
    found = sorted(os.path.join(base, name) for base, _, files in os.walk(HERE)
                   for name in files if name.endswith(".scn"))
    return [path for path in found
            if pattern in os.path.relpath(path, HERE).replace(os.sep, "/")]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--tool", required=True, help="the drav-workshop executable")
    parser.add_argument("--localsteam", required=True,
                        help="the drav-localsteam executable")
    parser.add_argument("--wrapper", default="",
                        help="runs both programs, e.g. 'wine' for the Windows build")
    parser.add_argument("--filter", default="", help="only scenarios whose name holds this")
    parser.add_argument("-j", type=int, default=1, help="scenarios run at once")
    parser.add_argument("--keep", action="store_true",
                        help="keep the temporary folders, for inspection")
    args = parser.parse_args()

    runner = Runner(args)
    paths = find_scenarios(args.filter)
    if not paths:
        print("no scenario matches %r" % args.filter)
        return 1

    def one(path):
        try:
            return runner.run(path)
        except (ScenarioError, harness.HarnessError) as error:
            return "broken", str(error)
        except OSError as error:
            return "broken", "%s: %s" % (type(error).__name__, error)

    failed = skipped = 0
    with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, args.j)) as pool:
        for path, (status, detail) in zip(paths, pool.map(one, paths)):
            name = os.path.splitext(os.path.relpath(path, HERE))[0]
            if status == "passed":
                print("ok      %s (%s)" % (name, detail))
            elif status == "skipped":
                skipped += 1
                print("skipped %s (not for this platform)" % name)
            else:
                failed += 1
                print("FAILED  %s%s\n%s\n" % (
                    name, " (broken scenario)" if status == "broken" else "",
                    "\n".join("    " + line for line in detail.splitlines())))
            sys.stdout.flush()
    print("%d scenarios, %d failed%s" % (
        len(paths), failed, ", %d skipped" % skipped if skipped else ""))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
