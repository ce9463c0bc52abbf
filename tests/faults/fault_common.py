"""What the fault-injection scripts share: a fresh set-up like the scenario
tests' (a working folder, a game folder, a local workshop store, fake
openers), running the real tool on scripted input, and the checks that hold
after every run whatever was injected. Standard library only; Linux only.
"""

import argparse
import json
import os
import random
import shutil
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "scenarios"))
from run_scenarios import feed, make_fake_openers  # noqa: E402

STAGING = "_DRAV_WORKSHOP_TEMP_"
PREVIEW = os.path.join(HERE, "..", "scenarios", "data", "preview_a.png")
PROMPT = "\n/>"
COMPLETED = "\n\nDRAV Workshop tool has completed.\n"
BANNER = "-DRAV-\n https://drav.example\n\nSteam workshop uploader v1.2\n\n\n"
TYPE_MENU = ("\n1) A custom map (.tmx)\n2) Server settings (.txt)"
             "\n3) Bolt's text macros (.txt)"
             "\n4) Leaderboard or Stats display (.php, .htm, .html)"
             "\n5) An DRAV match recording (.rec)\n6) A bots configuration (bots.txt)"
             "\n7) A custom translation (.txt)\n8) A bots movement file (movements.txt)")


def menu(path):
    """The main menu with `path` as the workshop path, up to its prompt."""
    return ("\n\nUsing workshop item path:\n%s\n\nCHOOSE ACTION:"
            "\n1) Create a NEW workshop item.\n2) UPDATE an existing workshop item."
            "\n3) INSTALL your subscriptions.\n4) OPEN workshop path."
            "\n5) CHANGE workshop path.\n\nx) Exit Tool.\n\n/>" % path)


# What the sanitizers print when they find something.
SANITIZER_MARKS = (b"ERROR: AddressSanitizer", b"ERROR: LeakSanitizer",
                   b"runtime error:")


class Failure(Exception):
    """A fault the tool did not survive as it should."""


def parse_args(description):
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--tool", required=True, help="the drav-workshop executable")
    parser.add_argument("--localsteam", required=True,
                        help="the drav-localsteam executable")
    parser.add_argument("--draw", type=int, default=1,
                        help="number that starts the random choices")
    parser.add_argument("--keep", action="store_true",
                        help="keep the temporary folders, for inspection")
    args = parser.parse_args()
    args.tool = os.path.abspath(args.tool)
    args.localsteam = os.path.abspath(args.localsteam)
    return args


class Run:
    """The outcome of one run of the tool."""

    def __init__(self, code, out, err, elapsed):
        self.code = code        # None: killed by us (timeout or on purpose)
        self.out = out          # bytes
        self.err = err
        self.elapsed = elapsed

    def text(self):
        return self.out.decode("utf-8", "replace")

    def err_tail(self, lines=15):
        tail = self.err.decode("utf-8", "replace").strip().splitlines()[-lines:]
        return "\n".join("  " + line for line in tail)


class Setup:
    """One temporary folder with {cwd}, {game} (the workshop path, stored in
    the path file), {store} and fake openers on the PATH."""

    def __init__(self, args, name):
        self.args = args
        self.root = os.path.realpath(tempfile.mkdtemp(prefix="drav-fault-%s-" % name))
        self.cwd = os.path.join(self.root, "cwd")
        self.game = os.path.join(self.root, "game")
        self.store = os.path.join(self.root, "store")
        bin_folder = os.path.join(self.root, "bin")
        for folder in (self.cwd, self.game, bin_folder):
            os.makedirs(folder)
        make_fake_openers(bin_folder, os.path.join(self.root, "opened.log"))
        self.env = dict(os.environ)
        for name in ("DISPLAY", "WAYLAND_DISPLAY"):
            self.env.pop(name, None)
        self.env["PATH"] = bin_folder + os.pathsep + self.env.get("PATH", "")
        self.env["DRAV_LOCAL_STEAM"] = self.store
        self.localsteam("init", self.store)
        self.set_workshop_path(self.game)

    def close(self):
        if self.args.keep:
            print("kept: %s" % self.root)
        else:
            shutil.rmtree(self.root, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def set_workshop_path(self, path):
        with open(os.path.join(self.cwd, "workshopPath.txt"), "wb") as handle:
            handle.write(os.fsencode(path))

    def localsteam(self, *words):
        done = subprocess.run([self.args.localsteam] + list(words), env=self.env,
                              cwd=self.cwd, stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=60)
        if done.returncode != 0:
            raise Failure("drav-localsteam %s exited %d: %s" % (
                " ".join(words), done.returncode, done.stderr.decode(errors="replace")))
        return done.stdout.decode("utf-8", "replace").strip()

    def publish(self, title, path, *extra):
        return self.localsteam("publish", self.store, "--title", title, *extra, path)

    def start(self, stdin, preexec_fn=None):
        """Starts the tool with `stdin` fed to it; the output goes to files
        (see `finish`)."""
        out_file = tempfile.TemporaryFile()
        err_file = tempfile.TemporaryFile()
        process = subprocess.Popen([self.args.tool], stdin=subprocess.PIPE,
                                   stdout=out_file, stderr=err_file, cwd=self.cwd,
                                   env=self.env, start_new_session=True,
                                   preexec_fn=preexec_fn)
        feeder = threading.Thread(target=feed, args=(process.stdin, stdin))
        feeder.start()
        process.drav_files = (out_file, err_file, feeder, time.monotonic())
        return process

    def finish(self, process, timeout):
        """Waits for a started tool for up to `timeout` seconds, killing it
        after that, and collects what it wrote."""
        out_file, err_file, feeder, started = process.drav_files
        try:
            code = process.wait(max(0.0, started + timeout - time.monotonic()))
        except subprocess.TimeoutExpired:
            kill_group(process)
            code = None
        elapsed = time.monotonic() - started
        feeder.join()
        out_file.seek(0)
        err_file.seek(0)
        run = Run(code, out_file.read(), err_file.read(), elapsed)
        out_file.close()
        err_file.close()
        return run

    def run(self, stdin, timeout=20.0, preexec_fn=None):
        return self.finish(self.start(stdin, preexec_fn), timeout)

    def staging(self):
        return os.path.join(self.game, STAGING)


def full_session(setup):
    """Prepares a session that creates a map, updates it, installs a
    subscription and changes the workshop path; returns its answers, one
    per question."""
    levels = os.path.join(setup.game, "Levels")
    write(os.path.join(levels, "canyon.tmx"), b"<map name='canyon'/>\n")
    write(os.path.join(levels, "canyon.png"), read(PREVIEW))
    write(os.path.join(levels, "canyon_v2.tmx"), b"<map name='canyon' v='2'/>\n")
    dune = os.path.join(setup.root, "src", "dune.tmx")
    write(dune, b"<map name='dune'/>\n")
    item = setup.publish("Dune", dune, "--owner", "2002")
    setup.localsteam("subscribe", setup.store, item)
    setup.localsteam("install", setup.store, item)
    other = os.path.join(setup.root, "other")
    os.makedirs(other)
    return ["1", "1", "Red Canyon", os.path.join(levels, "canyon.tmx"),
            "2", "0", os.path.join(levels, "canyon_v2.tmx"), "n", "Wider docks",
            "3", "5", other, "x"]


def check_full_session(run, setup):
    """The whole session went through: two uploads, the install, the new
    path."""
    check_clean_end(run, "the whole session", 20)
    text = run.text()
    check(text.count("\nUPLOAD SUCCESSFUL!\n") == 2 and
          "\nInstalling the Map \"dune.tmx\"...done!" in text and
          "\n\nThe current workshop path is now: %s" % os.path.join(setup.root, "other")
          in text, "the whole session did not go through:\n%s" % text)


def kill_group(process):
    """SIGKILL to the tool and whatever it started, then reaps it."""
    try:
        os.killpg(process.pid, 9)
    except ProcessLookupError:
        pass
    process.wait()


def lines(*answers):
    return b"".join((a if isinstance(a, bytes) else a.encode("utf-8")) + b"\n"
                    for a in answers)


def check_clean_end(run, what, timeout):
    """Exit 0 in time, the completion message last, no sanitizer report."""
    problems = []
    if run.code is None:
        problems.append("did not end within %g s (killed)" % timeout)
    elif run.code != 0:
        problems.append("exit status %d" % run.code)
    for mark in SANITIZER_MARKS:
        if mark in run.err:
            problems.append("the sanitizer reported %r" % mark.decode())
    if run.code == 0 and not run.text().endswith(COMPLETED):
        problems.append("the output does not end with the completion message")
    if problems:
        raise Failure("%s: %s\n  output tail: %r\n  standard error:\n%s" % (
            what, "; ".join(problems), run.text()[-600:], run.err_tail()))


def check(condition, message):
    if not condition:
        raise Failure(message)


def tree(folder):
    """Every entry below `folder`, as paths relative to it, folders with '/'."""
    names = []
    for base, folders, files in os.walk(folder):
        prefix = os.path.relpath(base, folder)
        prefix = "" if prefix == "." else prefix + "/"
        names += [prefix + name + "/" for name in folders]
        names += [prefix + name for name in files]
    return sorted(names)


def prompt_end(text, count):
    """The length of `text` up to and with its `count`th prompt."""
    at = -len(PROMPT)
    for _ in range(count):
        at = text.index(PROMPT, at + len(PROMPT))
    return at + len(PROMPT)


def first_difference(expected, actual):
    """Where two texts part, with some context on either side."""
    at = next((i for i, (a, b) in enumerate(zip(expected, actual)) if a != b),
              min(len(expected), len(actual)))
    start = max(0, at - 300)
    return "  at character %d\n  expected: %r\n  actual:   %r" % (
        at, expected[start:at + 200], actual[start:at + 200])


def json_of(text):
    try:
        return json.loads(text)
    except ValueError as error:
        raise Failure("not JSON (%s): %r" % (error, text[:300]))


def read(path):
    with open(path, "rb") as handle:
        return handle.read()


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as handle:
        handle.write(data)


def main(description, cases):
    """Runs each (name, function(args, rng)) and reports; exit 1 on any
    failure. Each case gets its own generator from that number, so one case
    can be rerun alone with the same draws."""
    args = parse_args(description)
    failed = 0
    for name, case in cases:
        rng = random.Random("%d/%s" % (args.draw, name))
        started = time.monotonic()
        try:
            case(args, rng)
        except Failure as failure:
            failed += 1
            print("FAILED  %s (draw %d)\n%s\n" % (
                name, args.draw, "\n".join("    " + line for line in
                                           str(failure).splitlines())))
        else:
            print("ok      %s (%.1fs)" % (name, time.monotonic() - started))
        sys.stdout.flush()
    print("%d cases, %d failed" % (len(cases), failed))
    return 1 if failed else 0
