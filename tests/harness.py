"""The texts, sandbox, scripted run and case runner of every script that runs the programs."""

import argparse
import collections
import concurrent.futures
import contextlib
import difflib
import os
import random
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from unittest import SkipTest

# What the tool shows at every start, before every action and at the end.
BANNER = "-DRAV-\n https://drav.example\n\nSteam workshop uploader v1.2\n\n\n"
PROMPT = "\n/>"
COMPLETED = "\n\nDRAV Workshop tool has completed.\n"
MENU_END = "\nx) Exit Tool.\n"
TYPE_MENU = ("\nWhat kind of asset is it?\n1) A custom map (.tmx)\n2) Server settings (.txt)"
             "\n3) Bolt's text macros (.txt)\n4) Leaderboard or Stats display (.php, .htm, .html)"
             "\n5) An DRAV match recording (.rec)\n6) A bots configuration (bots.txt)"
             "\n7) A custom translation (.txt)\n8) A bots movement file (movements.txt)" + PROMPT)
STAGING = "_DRAV_WORKSHOP_TEMP_"
# The scenarios' data files, shared with the other scripts.
DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "scenarios", "data")
PREVIEW = os.path.join(DATA, "preview_a.png")
# What the sanitizers print when they find something.
SANITIZER_MARKS = (b"ERROR: AddressSanitizer", b"ERROR: LeakSanitizer", b"runtime error:")


def menu(path):
    """The main menu with `path` as the workshop path, up to its prompt."""
    return ("\n\nUsing workshop item path:\n%s\n\nCHOOSE ACTION:\n1) Create a NEW workshop item."
            "\n2) UPDATE an existing workshop item.\n3) INSTALL your subscriptions."
            "\n4) OPEN workshop path.\n5) CHANGE workshop path.\n" % path + MENU_END + PROMPT)


class Failure(Exception):
    """An expectation that the run did not meet, or a set-up step that failed."""


class Programs:
    """The tool, the control tool and what runs both (e.g. wine)."""

    def __init__(self, tool, localsteam, wrapper=""):
        self.tool, self.localsteam = os.path.abspath(tool), os.path.abspath(localsteam)
        self.wrapper, self.windows = shlex.split(wrapper), self.tool.lower().endswith(".exe")

    def command(self, program, args=()):
        return self.wrapper + [program] + list(args)


class Run(collections.namedtuple("Run", "code out err elapsed")):
    """The outcome of one run: exit code (None: killed), output bytes."""

    def text(self):
        return self.out.decode("utf-8", "replace")

    def err_tail(self):
        tail = self.err.decode("utf-8", "replace").strip().splitlines()[-15:]
        return "\n".join("  " + line for line in tail)


class Sandbox(contextlib.AbstractContextManager):
    """A folder `root` with `cwd` (the tool's current folder; its path file names `game`
    if `path_file`), an empty `game`, a `store` made by `init store_args` (None: no
    store), no desktop, openers that note their argument in `opened.log`, and `env`."""

    def __init__(self, programs, root=None, store_args=(), path_file=True, keep=False,
                 prefix="drav-", env={}):
        self.programs, self.keep, self.temporary = programs, keep, root is None
        self.root = os.path.realpath(root or tempfile.mkdtemp(prefix=prefix))
        self.cwd, self.game, self.store, openers = (
            os.path.join(self.root, name) for name in ("cwd", "game", "store", "bin"))
        for folder in (self.cwd, self.game):
            os.makedirs(folder, exist_ok=True)
        script = "#!/bin/sh\nprintf '%%s\\n' \"$*\" >> %s\n" % shlex.quote(
            os.path.join(self.root, "opened.log"))
        for name in ("xdg-open", "open"):
            write(os.path.join(openers, name), script.encode())
            os.chmod(os.path.join(openers, name), 0o755)
        self.env = {name: value for name, value in {"WINEDEBUG": "-all", **os.environ}.items()
                    if name not in ("DISPLAY", "WAYLAND_DISPLAY")}
        self.env.update(env, PATH=openers + os.pathsep + self.env.get("PATH", ""),
                        DRAV_LOCAL_STEAM=self.seen(self.store))
        if store_args is not None:
            self.localsteam("init", self.seen(self.store), *store_args)
        if path_file:
            self.set_workshop_path(self.game)

    def __exit__(self, *exc):
        if self.temporary:
            print("kept:", self.root) if self.keep else shutil.rmtree(self.root, ignore_errors=True)

    def seen(self, host_path):
        """A host path as the programs see it: Wine maps Z: to the root."""
        return "Z:" + host_path.replace("/", "\\") if self.programs.windows else host_path

    def set_workshop_path(self, path):
        write(os.path.join(self.cwd, "workshopPath.txt"), os.fsencode(self.seen(path)))

    def localsteam(self, *words):
        run = self.run(b"", 60, program=self.programs.localsteam, args=words)
        check(run.code == 0, "drav-localsteam %s exited %s: %s" % (
            " ".join(words), run.code, run.err.decode("utf-8", "replace").strip()))
        return run.text().strip()

    def publish(self, title, path, *extra):
        return self.localsteam("publish", self.seen(self.store), "--title", title,
                               *extra, self.seen(path))

    def start(self, stdin, preexec_fn=None, program=None, args=()):
        """Starts `program` (the tool) on `stdin`; files, as Wine's server may hold pipes open."""
        in_file, out_file, err_file = (tempfile.NamedTemporaryFile() for _ in range(3))
        with in_file:
            in_file.write(stdin)
            in_file.seek(0)
            process = subprocess.Popen(
                self.programs.command(program or self.programs.tool, args), stdin=in_file,
                stdout=out_file, stderr=err_file, cwd=self.cwd, env=self.env,
                start_new_session=True, preexec_fn=preexec_fn)
        process.drav_files = (out_file, err_file, time.monotonic())
        return process

    def finish(self, process, timeout):
        """Waits up to `timeout` seconds, then kills; what it wrote."""
        out_file, err_file, started = process.drav_files
        try:
            code = process.wait(max(0.0, started + timeout - time.monotonic()))
        except subprocess.TimeoutExpired:
            kill_group(process)
            code = None
        with out_file, err_file:
            out, err = read(out_file.name), read(err_file.name)
        return Run(code, out.replace(b"\r\n", b"\n") if self.programs.windows else out, err,
                   time.monotonic() - started)

    def run(self, stdin, timeout=20.0, preexec_fn=None, program=None, args=()):
        return self.finish(self.start(stdin, preexec_fn, program, args), timeout)


def answers(*lines):
    """The input that types each of `lines` (text or bytes)."""
    return b"".join((a if isinstance(a, bytes) else a.encode("utf-8")) + b"\n" for a in lines)


def kill_group(process):
    """SIGKILL to the program and whatever it started, then reaps it."""
    with contextlib.suppress(ProcessLookupError):
        os.killpg(process.pid, signal.SIGKILL)
    process.wait()


def tree(folder, recursive=True):
    """The entries below `folder` but the tool's lock file, sorted, folders with '/'."""
    return sorted(os.path.relpath(os.path.join(base, name), folder).replace(os.sep, "/")
                  + "/" * (name in folders)
                  for base, folders, files in list(os.walk(folder))[:None if recursive else 1]
                  for name in folders + files if name != ".drav-workshop.lock")


def read(path):
    with open(path, "rb") as handle:
        return handle.read()


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as handle:
        handle.write(data)


def contents(folder):
    """The files below `folder` (not the lock file) with their bytes."""
    return {name: read(os.path.join(folder, name)) for name in tree(folder) if name[-1] != "/"}


def check(condition, message):
    if not condition:
        raise Failure(message)


def check_sanitizer(run, what):
    marks = [mark.decode() for mark in SANITIZER_MARKS if mark in run.err]
    check(not marks, "%s: the sanitizer reported %s:\n%s" % (what, marks, run.err_tail()))


def check_clean_end(run, what):
    """No sanitizer report, exit 0 in time, the completion message last."""
    check_sanitizer(run, what)
    check(run.code == 0 and run.text().endswith(COMPLETED),
          "%s: exit status %s (None: killed at the time limit), output ending %r\n"
          "  standard error:\n%s" % (what, run.code, run.text()[-600:], run.err_tail()))


def differences(what, wanted, actual):
    """Nothing if `actual` is one of `wanted`, else a diff to the first, escapes shown."""
    return [] if actual in wanted else ["%s differs (- expected, + actual):" % what] + [
        line[0] + repr(line[1:])[1:-1] for line in difflib.unified_diff(
            wanted[0].splitlines(True), actual.splitlines(True), "expected", "actual", lineterm="")]


def check_text(text, wanted, what):
    """`text` begins with `wanted`; else the diff."""
    report = differences(what + ": the output", [wanted], text[:len(wanted)])
    check(not report, "\n".join(report))


def main(cases, prefix="drav-", **env):
    """Runs each case(sandbox, rng), `-j` at once; a case's generator repeats its draws alone."""
    parser = argparse.ArgumentParser(description=sys.modules["__main__"].__doc__)
    parser.add_argument("--tool", required=True, help="the drav-workshop executable")
    parser.add_argument("--localsteam", required=True, help="the drav-localsteam one")
    parser.add_argument("--wrapper", default="", help="runs both, e.g. 'wine'")
    parser.add_argument("--keep", action="store_true", help="keep the temporary folders")
    parser.add_argument("--draw", type=int, default=1, help="starts the random choices")
    parser.add_argument("--filter", default="", help="only the cases whose name holds this")
    parser.add_argument("-j", type=int, default=1, help="cases run at once")
    args = parser.parse_args()
    programs = Programs(args.tool, args.localsteam, args.wrapper)

    def sandbox(**options):
        return Sandbox(programs, keep=args.keep, prefix=prefix, env=env, **options)

    def one(case):
        started = time.monotonic()
        try:
            case(sandbox, random.Random("%d/%s" % (args.draw, case.__name__)))
            return "ok", " (%.1fs)" % (time.monotonic() - started)
        except SkipTest:
            return "SKIPPED", ""
        except (Failure, OSError) as error:
            return "FAILED", " (draw %d)\n    %s\n" % (
                args.draw, str(error).replace("\n", "\n    "))

    cases = [case for case in cases if args.filter in case.__name__]
    counts = collections.Counter()
    with concurrent.futures.ThreadPoolExecutor(max(1, args.j)) as pool:
        for case, (status, detail) in zip(cases, pool.map(one, cases)):
            counts[status] += 1
            print("%-7s %s%s" % (status, case.__name__, detail), flush=True)
    print("%d cases, %d failed, %d skipped" % (len(cases), counts["FAILED"], counts["SKIPPED"]))
    sys.exit(1 if counts["FAILED"] or not cases else 0)
