#!/usr/bin/env python3
"""Runs the scenario files (*.scn) under this folder against the real tool.

Each scenario gets a fresh temporary folder with a working folder, an empty
game folder and an initialised local workshop store, feeds its scripted
lines to the tool's standard input (a pipe), and compares the tool's whole
standard output with the expected text. README.md beside this file gives the
format. Standard library only.
"""

import argparse
import concurrent.futures
import difflib
import json
import os
import re
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SECTIONS = ("setup", "input", "stdout", "after")
TAKES_REST = ("file", "dir", "tree", "let")
DEFAULT_TIMEOUT = 20.0
EVENTUALLY_SECONDS = 5.0


class ScenarioError(Exception):
    """A broken scenario file or a setup step that failed."""


class CheckFailed(Exception):
    """An expectation that the run did not meet."""


# --- Escapes and placeholders

def decode_escapes(text):
    """Backslash escapes (\\n, \\t, \\r, \\0, \\xHH, \\\\) to bytes."""
    out = bytearray()
    i = 0
    raw = text.encode("utf-8")
    simple = {ord("n"): b"\n", ord("t"): b"\t", ord("r"): b"\r",
              ord("0"): b"\0", ord("\\"): b"\\", ord("s"): b" "}
    while i < len(raw):
        c = raw[i]
        if c != ord("\\"):
            out.append(c)
            i += 1
            continue
        if i + 1 >= len(raw):
            raise ScenarioError("a lone backslash ends %r" % text)
        e = raw[i + 1]
        if e in simple:
            out += simple[e]
            i += 2
        elif e == ord("x") and re.fullmatch(rb"[0-9a-fA-F]{2}", raw[i + 2:i + 4]):
            out.append(int(raw[i + 2:i + 4], 16))
            i += 4
        else:
            raise ScenarioError("unknown escape \\%s in %r" % (chr(e), text))
    return bytes(out)


def visible(text):
    """A line with its control characters shown as escapes."""
    return repr(text)[1:-1]


class Places:
    """The placeholders of one run, in the form the programs see (`tool`)
    and in the form the harness itself uses for files (`host`)."""

    def __init__(self, windows):
        self.windows = windows
        self.host = {}
        self.tool = {}

    def set_path(self, name, host_path):
        self.host[name] = host_path
        self.tool[name] = to_windows(host_path) if self.windows else host_path

    def set_value(self, name, value):
        self.host[name] = value
        self.tool[name] = value

    def expand(self, text, form="tool"):
        table = self.tool if form == "tool" else self.host

        def one(match):
            whole = match.group(0)
            if whole == "{{":
                return "{"
            if whole == "}}":
                return "}"
            name = match.group(1)
            if name not in table:
                raise ScenarioError("unknown placeholder {%s}" % name)
            return table[name]

        return re.sub(r"\{\{|\}\}|\{([A-Za-z_][A-Za-z0-9_]*)\}", one, text)

    def expand_bytes(self, data):
        """Placeholders in text whose escapes are already decoded."""
        return self.expand(data.decode("utf-8", "surrogateescape")).encode(
            "utf-8", "surrogateescape")

    def expand_json(self, value):
        if isinstance(value, str):
            return self.expand(value)
        if isinstance(value, list):
            return [self.expand_json(v) for v in value]
        if isinstance(value, dict):
            return {k: self.expand_json(v) for k, v in value.items()}
        return value


def to_windows(host_path):
    """Wine maps drive Z: to the root of the host's file system."""
    return "Z:" + host_path.replace("/", "\\")


# --- Parsing

class Step:
    def __init__(self, line_no, words, rest=None, body=None, checks=None):
        self.line_no = line_no
        self.words = words      # the step's words, split like a shell
        self.rest = rest        # the text after " = ", unsplit
        self.body = body        # the lines of a <<WORD block
        self.checks = checks or []  # indented lines under a localsteam step


class Scenario:
    def __init__(self, name, path):
        self.name = name
        self.path = path
        self.setup = []
        self.after = []
        self.input_items = []   # (kind, text) in order
        self.stdout_lines = None
        self.other_stdouts = []  # further [stdout] sections: alternatives


def parse_steps(lines, scenario):
    steps = []
    i = 0
    while i < len(lines):
        line_no, line = lines[i]
        i += 1
        stripped = line.strip()
        # An indented "#name = N" is a length check, not a comment.
        is_count = line[:1].isspace() and re.match(r"#\S", stripped)
        if not stripped or stripped.startswith("#") and not is_count:
            continue
        if line[0].isspace():
            if not steps or "localsteam" not in steps[-1].words[:2]:
                raise ScenarioError("%s:%d: an indented check belongs under a "
                                    "localsteam step" % (scenario.path, line_no))
            steps[-1].checks.append((line_no, stripped))
            continue
        rest = None
        body = None
        head = stripped
        verb = stripped.split()[0]
        if verb == "eventually" and len(stripped.split()) > 1:
            verb = stripped.split()[1]
        if verb in TAKES_REST and (" = " in stripped or stripped.endswith(" =")):
            head, _, rest = stripped.partition(" =")
            rest = rest[1:] if rest.startswith(" ") else rest
        heredoc = re.search(r"\s<<([A-Z]+)$", head)
        if heredoc:
            head = head[:heredoc.start()]
            end = heredoc.group(1)
            body = []
            while True:
                if i >= len(lines):
                    raise ScenarioError("%s:%d: no %s ends the block"
                                        % (scenario.path, line_no, end))
                _, text = lines[i]
                i += 1
                if text == end:
                    break
                body.append(text)
        try:
            words = shlex.split(head)
        except ValueError as error:
            raise ScenarioError("%s:%d: %s" % (scenario.path, line_no, error))
        steps.append(Step(line_no, words, rest, body))
    return steps


def parse_input(lines, scenario):
    items = []
    for line_no, line in lines:
        if not line.strip() or line.startswith("#"):
            continue
        match = re.match(r">(e|raw)?(?: (.*))?$", line)
        if not match:
            raise ScenarioError("%s:%d: an input line starts with '>', '>e' or "
                                "'>raw'" % (scenario.path, line_no))
        items.append((match.group(1) or "", match.group(2) or ""))
    return items


def parse_scenario(path):
    name = os.path.splitext(os.path.relpath(path, HERE))[0].replace(os.sep, "/")
    scenario = Scenario(name, path)
    with open(path, encoding="utf-8", newline="") as handle:
        text = handle.read()
    if "\r" in text:
        raise ScenarioError("%s: carriage returns in the file" % path)
    parts = {}
    stdouts = []
    current = None
    for line_no, line in enumerate(text.split("\n"), 1):
        header = re.fullmatch(r"\[(\w+)\]", line)
        if header:
            current = header.group(1)
            if current not in SECTIONS or (current in parts and current != "stdout"):
                raise ScenarioError("%s:%d: unknown or repeated section [%s]"
                                    % (path, line_no, current))
            parts[current] = []
            if current == "stdout":
                stdouts.append(parts[current])
        elif current is not None:
            parts[current].append((line_no, line))
        elif line.strip() and not line.startswith("#"):
            raise ScenarioError("%s:%d: text before the first section"
                                % (path, line_no))
    if "stdout" not in parts:
        raise ScenarioError("%s: no [stdout] section" % path)
    scenario.setup = parse_steps(parts.get("setup", []), scenario)
    scenario.after = parse_steps(parts.get("after", []), scenario)
    scenario.input_items = parse_input(parts.get("input", []), scenario)
    alternatives = []
    for section in stdouts:
        out = [line for _, line in section]
        while out and out[-1] == "":
            out.pop()
        alternatives.append(out)
    scenario.stdout_lines = alternatives[0]
    scenario.other_stdouts = alternatives[1:]
    return scenario


def expected_stdout(stdout_lines, places):
    text = "".join(line + "\n" for line in stdout_lines)
    if text.endswith("{noeol}\n"):
        text = text[:-len("{noeol}\n")]
    elif "{noeol}" in text:
        raise ScenarioError("{noeol} stands only at the end of [stdout]")
    return places.expand(text)


def input_bytes(scenario, places):
    data = bytearray()
    for kind, text in scenario.input_items:
        line = text.encode("utf-8") if kind == "" else decode_escapes(text)
        data += places.expand_bytes(line) + (b"" if kind == "raw" else b"\n")
    return bytes(data)


# --- JSON checks

PATH_TOKEN = re.compile(
    r"""\.?([A-Za-z_][A-Za-z0-9_-]*)        # a key
      | \[(\*|-?\d+)\]                     # an index or every element
      | \[([A-Za-z_][A-Za-z0-9_-]*)=([^\]]*)\]  # the element whose key equals
    """, re.VERBOSE)


def json_select(document, path, places):
    """Follows a path like items[title="A"].content[*].name; [*] maps."""
    values = [document]
    mapped = False
    pos = 0
    while pos < len(path):
        match = PATH_TOKEN.match(path, pos)
        if not match:
            raise ScenarioError("bad JSON path %r" % path)
        pos = match.end()
        key, index, sel_key, sel_value = match.groups()
        following = []
        for value in values:
            if key is not None:
                if not isinstance(value, dict) or key not in value:
                    raise CheckFailed("no key %r on the way to %r in %s"
                                      % (key, path, short_json(value)))
                following.append(value[key])
            elif index is not None:
                if not isinstance(value, list):
                    raise CheckFailed("%s is not a list (path %r)"
                                      % (short_json(value), path))
                if index == "*":
                    following.extend(value)
                    mapped = True
                else:
                    number = int(index)
                    if not -len(value) <= number < len(value):
                        raise CheckFailed("no element %d in %s (path %r)"
                                          % (number, short_json(value), path))
                    following.append(value[number])
            else:
                wanted = places.expand_json(json.loads(sel_value))
                hits = [v for v in value if isinstance(v, dict)
                        and v.get(sel_key) == wanted] \
                    if isinstance(value, list) else []
                if len(hits) != 1:
                    raise CheckFailed("%d elements with %s == %s in %s"
                                      % (len(hits), sel_key, json.dumps(wanted),
                                         short_json(value)))
                following.append(hits[0])
        values = following
    return values if mapped else values[0]


def short_json(value):
    text = json.dumps(value)
    return text if len(text) < 300 else text[:300] + "..."


def run_json_check(document, check, places):
    """One line: PATH = JSON, PATH != JSON, PATH has JSON, #PATH = N,
    PATH absent, PATH -> NAME."""
    # The path may be empty (the whole output) and may hold blanks only
    # inside brackets.
    match = re.fullmatch(r"(#?)((?:[^\s\[=!>]|\[[^\]]*\])*)"
                         r"(?:\s*(=|!=|->)|\s+(has|absent))(?:\s*(.*))?", check)
    if not match:
        raise ScenarioError("bad check %r" % check)
    count, path, symbol, word, operand = match.groups()
    op = symbol or word
    if op == "absent":
        parent, _, last = path.rpartition(".")
        holder = json_select(document, parent, places) if parent else document
        if isinstance(holder, dict) and last in holder:
            raise CheckFailed("%s is present: %s" % (path, short_json(holder[last])))
        return
    value = json_select(document, path, places) if path else document
    if op == "->":
        places.set_value(operand, str(value))
        return
    if count:
        value = len(value)
    try:
        expected = places.expand_json(json.loads(operand))
    except json.JSONDecodeError:
        raise ScenarioError("not JSON: %r" % operand)
    if op == "=" and value != expected or op == "!=" and value == expected:
        raise CheckFailed("%s%s is %s, expected %s%s" % (
            count, path or "the output", short_json(value),
            "not " if op == "!=" else "", short_json(expected)))
    if op == "has":
        if not isinstance(value, (list, str)) or expected not in value:
            raise CheckFailed("%s is %s, which lacks %s" % (
                path, short_json(value), short_json(expected)))


# --- Running

class Runner:
    def __init__(self, args):
        self.tool = os.path.abspath(args.tool)
        self.localsteam = os.path.abspath(args.localsteam)
        self.wrapper = shlex.split(args.wrapper) if args.wrapper else []
        self.windows = self.tool.lower().endswith(".exe")
        self.keep = args.keep

    def command(self, program, args):
        return self.wrapper + [program] + args

    def base_environment(self, places):
        env = dict(os.environ)
        # Desktop pickers and openers must never start during a scenario.
        for name in ("DISPLAY", "WAYLAND_DISPLAY", "DRAV_LOCAL_STEAM"):
            env.pop(name, None)
        env["PATH"] = places.host["bin"] + os.pathsep + env.get("PATH", "")
        env["DRAV_LOCAL_STEAM"] = places.tool["store"]
        if self.windows:
            env.setdefault("WINEDEBUG", "-all")
        return env

    def run_program(self, argv, env, cwd, stdin, timeout):
        # Output goes to files, not pipes: a helper process that the program
        # leaves behind (Wine's server) may hold them open long after the
        # program itself has ended.
        with tempfile.TemporaryFile() as out_file, tempfile.TemporaryFile() as err_file:
            process = subprocess.Popen(argv, stdin=subprocess.PIPE, stdout=out_file,
                                       stderr=err_file, cwd=cwd, env=env,
                                       start_new_session=True)
            feeder = threading.Thread(target=feed, args=(process.stdin, stdin))
            feeder.start()
            try:
                code = process.wait(timeout)
            except subprocess.TimeoutExpired:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait()
                code = None
            feeder.join()
            out_file.seek(0)
            err_file.seek(0)
            out, err = out_file.read(), err_file.read()
        if self.windows:
            out = out.replace(b"\r\n", b"\n")
        return code, out, err

    def localsteam_json(self, step, places, env, cwd):
        args = [places.expand(word) for word in step.words[1:]]
        code, out, err = self.run_program(self.command(self.localsteam, args),
                                          env, cwd, b"", 60)
        if code != 0:
            raise ScenarioError("line %d: drav-localsteam %s exited %s: %s" % (
                step.line_no, " ".join(args), code,
                err.decode("utf-8", "replace").strip()))
        return out.decode("utf-8", "replace")

    def run(self, scenario):
        root = os.path.realpath(tempfile.mkdtemp(prefix="drav-scn-"))
        try:
            return self.run_in(scenario, root)
        finally:
            if not self.keep:
                shutil.rmtree(root, ignore_errors=True)

    def run_in(self, scenario, root):
        places = Places(self.windows)
        for name in ("cwd", "game", "store", "bin"):
            places.set_path(name, os.path.join(root, name))
        places.set_path("tmp", root)
        places.set_path("data", os.path.join(HERE, "data"))
        places.set_path("tool_folder", os.path.dirname(self.tool))
        places.set_value("sep", "\\" if self.windows else "/")
        for name in ("cwd", "game", "bin"):
            os.mkdir(places.host[name])
        make_fake_openers(places.host["bin"], os.path.join(root, "opened.log"))

        env = self.base_environment(places)
        cwd = places.host["cwd"]
        timeout = DEFAULT_TIMEOUT
        store_init = ["init", places.tool["store"]]
        tool = self.tool
        for step in scenario.setup:
            if step.words[:2] == ["tool", "copy"]:
                # The tool alone in a folder of its own, without the files
                # that the build puts beside it.
                os.mkdir(os.path.join(root, "tool"))
                tool = shutil.copy2(self.tool, os.path.join(root, "tool"))
                places.set_path("tool_folder", os.path.dirname(tool))
            elif step.words[0] == "only":
                if step.words[1:] not in (["posix"], ["windows"]):
                    raise ScenarioError("line %d: only posix|windows" % step.line_no)
                if (step.words[1] == "windows") != self.windows:
                    return "skipped", ""
            elif step.words[:1] == ["store"]:
                store_init = None if step.words[1:] == ["none"] else \
                    ["init", places.tool["store"]] + \
                    [places.expand(w) for w in step.words[1:]]
            elif step.words[:1] == ["timeout"]:
                timeout = float(step.words[1])
        if store_init:
            self.localsteam_json(Step(0, ["localsteam"] + store_init),
                                 places, env, cwd)
        for step in scenario.setup:
            if step.words[0] in ("only", "store", "timeout", "tool"):
                continue
            self.setup_step(step, places, env, cwd)

        stdin = input_bytes(scenario, places)
        expected = expected_stdout(scenario.stdout_lines, places)
        alternatives = [expected_stdout(lines, places)
                        for lines in scenario.other_stdouts]
        argv = self.command(tool, [])
        started = time.monotonic()
        code, out, err = self.run_program(argv, env, cwd, stdin, timeout)
        elapsed = time.monotonic() - started
        actual = out.decode("utf-8", "replace")
        report = []
        if code is None:
            report.append("the tool did not end within %g s (killed)" % timeout)
        if actual != expected and actual not in alternatives:
            report.append("standard output differs (- expected, + actual)%s:" % (
                ", shown against the first [stdout]" if alternatives else ""))
            report.extend(diff_lines(expected, actual))
        if code is not None and code != 0:
            report.append("exit status %d, expected 0" % code)
        if not report:
            for step in scenario.after:
                try:
                    self.after_step(step, places, env, cwd)
                except CheckFailed as failure:
                    report.append("after-check at line %d (%s): %s" % (
                        step.line_no, " ".join(step.words), failure))
                    break
        if report:
            tail = err.decode("utf-8", "replace").strip().splitlines()[-15:]
            if tail:
                report.append("standard error (last lines):")
                report.extend("  " + line for line in tail)
            if self.keep:
                report.append("kept: %s" % root)
            return "failed", "\n".join(report)
        return "passed", "%.1fs" % elapsed

    # Setup steps create; the same words in [after] check.
    def setup_step(self, step, places, env, cwd):
        verb, args = step.words[0], step.words[1:]
        if verb == "localsteam":
            self.localsteam_json(step, places, env, cwd)
        elif verb == "let":
            # let NAME = localsteam ARGS...: the output, stripped, as {NAME}
            if len(args) != 1 or step.rest is None:
                raise ScenarioError("line %d: let NAME = localsteam ..." % step.line_no)
            words = shlex.split(step.rest)
            if words[:1] != ["localsteam"]:
                raise ScenarioError("line %d: let takes a localsteam command"
                                    % step.line_no)
            out = self.localsteam_json(Step(step.line_no, words), places, env, cwd)
            places.set_value(args[0], out.strip())
        elif verb == "dir":
            for path in args:
                os.makedirs(places.expand(path, "host"), exist_ok=True)
        elif verb == "file":
            path = places.expand(args[0], "host")
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as handle:
                handle.write(file_content(step, places))
        elif verb == "copy":
            source = places.expand(args[0], "host")
            target = places.expand(args[1], "host")
            if os.path.isdir(source):
                shutil.copytree(source, target, dirs_exist_ok=True)
            else:
                os.makedirs(os.path.dirname(target), exist_ok=True)
                shutil.copyfile(source, target)
        elif verb == "readonly":
            # No write permission for anyone: read-only to Windows as well.
            for path in args:
                path = places.expand(path, "host")
                os.chmod(path, os.stat(path).st_mode & ~0o222)
        elif verb == "env":
            name, _, value = args[0].partition("=")
            env[name] = places.expand(value)
        elif verb == "unset":
            env.pop(args[0], None)
        else:
            raise ScenarioError("line %d: unknown setup step %r" % (step.line_no, verb))

    def after_step(self, step, places, env, cwd):
        verb, args = step.words[0], step.words[1:]
        if verb == "eventually":
            deadline = time.monotonic() + EVENTUALLY_SECONDS
            inner = Step(step.line_no, args, step.rest, step.body, step.checks)
            while True:
                try:
                    return self.after_step(inner, places, env, cwd)
                except CheckFailed:
                    if time.monotonic() > deadline:
                        raise
                    time.sleep(0.05)
        if verb == "localsteam":
            out = self.localsteam_json(step, places, env, cwd)
            if not step.checks:
                raise ScenarioError("line %d: a localsteam check needs indented "
                                    "checks under it" % step.line_no)
            try:
                document = json.loads(out)
            except json.JSONDecodeError as error:
                raise CheckFailed("not JSON (%s): %r" % (error, out[:200]))
            for line_no, check in step.checks:
                try:
                    run_json_check(document, check, places)
                except CheckFailed as failure:
                    raise CheckFailed("line %d %r: %s" % (line_no, check, failure))
            return
        path = places.expand(args[0], "host") if args else ""
        if verb == "exists":
            if not os.path.lexists(path):
                raise CheckFailed("%s does not exist" % path)
        elif verb == "missing":
            if os.path.lexists(path):
                raise CheckFailed("%s exists" % path)
        elif verb == "file":
            if not os.path.isfile(path):
                raise CheckFailed("%s is not a file" % path)
            with open(path, "rb") as handle:
                actual = handle.read()
            wanted = file_content(step, places)
            if actual != wanted:
                raise CheckFailed("%s holds %r, expected %r" % (path, actual[:400],
                                                              wanted[:400]))
        elif verb == "same":
            other = places.expand(args[1], "host")
            with open(path, "rb") as first, open(other, "rb") as second:
                if first.read() != second.read():
                    raise CheckFailed("%s differs from %s" % (path, other))
        elif verb in ("dir", "tree"):
            if not os.path.isdir(path):
                raise CheckFailed("%s is not a folder" % path)
            actual = list_folder(path, verb == "tree")
            wanted = sorted(places.expand(word)
                            for word in shlex.split(step.rest or ""))
            if actual != wanted:
                raise CheckFailed("%s holds %s, expected %s" % (path, actual, wanted))
        else:
            raise ScenarioError("line %d: unknown check %r" % (step.line_no, verb))


def feed(pipe, data):
    """Writes the scripted input and closes it, so that the input ends; a
    program that leaves without reading it all is no fault of the writer."""
    try:
        pipe.write(data)
    except BrokenPipeError:
        pass
    try:
        pipe.close()
    except BrokenPipeError:
        pass


def file_content(step, places):
    if step.body is not None:
        return places.expand("".join(line + "\n" for line in step.body)).encode("utf-8")
    return places.expand_bytes(decode_escapes(step.rest or ""))


def list_folder(path, recursive):
    names = []
    for base, folders, files in os.walk(path):
        prefix = os.path.relpath(base, path)
        prefix = "" if prefix == "." else prefix.replace(os.sep, "/") + "/"
        names += [prefix + name + "/" for name in folders]
        names += [prefix + name for name in files]
        if not recursive:
            break
    return sorted(names)


def make_fake_openers(bin_folder, log):
    """xdg-open and open that only note their argument, so that opening the
    workshop path shows nothing on the machine that runs the scenarios."""
    script = "#!/bin/sh\nprintf '%%s\\n' \"$*\" >> %s\n" % shlex.quote(log)
    for name in ("xdg-open", "open"):
        path = os.path.join(bin_folder, name)
        with open(path, "w") as handle:
            handle.write(script)
        os.chmod(path, 0o755)


def diff_lines(expected, actual):
    return [line.rstrip("\n") if line.startswith(("---", "+++", "@@")) else
            line[0] + visible(line[1:])
            for line in difflib.unified_diff(
                expected.splitlines(keepends=True), actual.splitlines(keepends=True),
                "expected", "actual", n=3)]


def find_scenarios(pattern):
    found = []
    for base, _, files in os.walk(HERE):
        for name in files:
            if name.endswith(".scn"):
                found.append(os.path.join(base, name))
    found.sort()
    if pattern:
        found = [path for path in found if pattern in
                 os.path.relpath(path, HERE).replace(os.sep, "/")]
    return found


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
            scenario = parse_scenario(path)
            return runner.run(scenario)
        except ScenarioError as error:
            return "broken", str(error)
        except OSError as error:
            return "broken", "%s: %s" % (type(error).__name__, error)

    failed = skipped = 0
    with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, args.j)) as pool:
        results = pool.map(one, paths)
        for path, (status, detail) in zip(paths, results):
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
