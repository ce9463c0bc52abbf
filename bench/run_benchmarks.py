#!/usr/bin/env python3
"""Measures the tool against baselines taken in the same run.

Every figure is the median of several runs and is printed as a ratio against
its baseline (cp, cat, or the same work on a smaller store). The exit status
is 1 when a figure misses its target. Linux only; standard library only.

    python3 bench/run_benchmarks.py --build build-bench [--runs 5]
        [--only copy,install,waiting,startup,query] [--record]

Fixtures live under BUILD/bench/; the large ones (the 1 GiB file, the store
of 10,000 cached items, the store of 100,000 items) are kept between runs
and rebuilt only when their recipe changes. Building them is not timed.
Stores are made by the control tool (tests/harness.py), never written here.
"""

import argparse
import concurrent.futures
import contextlib
import json
import os
import shutil
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "tests"))
import harness  # noqa: E402
BASELINE_FILE = os.path.join(HERE, "baseline.json")
FIGURES = ("copy", "install", "waiting", "startup", "query")

USER = 1001  # the store's own account: "you"
COPY_BYTES = 1 << 30
INSTALL_ITEMS = 10000
INSTALL_FILE_BYTES = 4096
QUERY_OTHERS = 100000
QUERY_MINE = 50
WAIT_LATENCY_MS = 3000
LIGHT_RUNS = 21  # for the figures of a few milliseconds, which jitter more

# File name pattern and game sub-folder ("" = the game folder) of each kind,
# with the kind's number as the tool writes it into the metadata.
INSTALL_KINDS = (
    (1, "map_{}.tmx", "Levels"),
    (2, "board_{}.html", "WEB"),
    (2, "board_{}.php", "WEB"),
    (3, "serverSettings_{}.txt", ""),
    (4, "textMacros_{}.txt", ""),
    (5, "translations_{}.txt", ""),
    (6, "bots_{}.txt", "ai"),
    (7, "movements_{}.txt", "ai"),
    (8, "match_{}.rec", "RECORDINGS"),
)


class BenchError(Exception):
    """A fixture or a run that went wrong: the figure can't be trusted."""


def say(text):
    print(text, file=sys.stderr, flush=True)


# --- Processes

def wait_child(process):
    """Reaps the child; its exit code and resource usage."""
    _, status, usage = os.wait4(process.pid, 0)
    process.returncode = os.waitstatus_to_exitcode(status)
    return process.returncode, usage


def peak_rss_kib(pid):
    """The peak resident memory of the program the process runs now, or
    None once it has ended. Unlike ru_maxrss, it leaves out the forked
    Python the child was before exec."""
    try:
        with open("/proc/%d/status" % pid) as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return None


def cpu_ns(pid):
    """The time the process has run on a CPU so far, user and system, or
    None once it has ended."""
    try:
        total = 0
        for task in os.listdir("/proc/%d/task" % pid):
            with open("/proc/%d/task/%s/schedstat" % (pid, task)) as stat:
                total += int(stat.read().split()[0])
        return total
    except (OSError, ValueError, IndexError):
        return None


class Run:
    """One finished process: wall time, CPU time, output, marks."""

    def __init__(self, wall, usage, output, marks):
        self.wall = wall
        self.cpu = usage.ru_utime + usage.ru_stime
        self.output = output
        self.marks = marks  # (seconds since start, CPU ns, peak KiB) per mark


def run_process(argv, cwd=None, env=None, stdin_text=None, marks=(),
                input_after_marks=False):
    """Runs `argv` with `stdin_text` as its whole input. With `marks`, a list
    of (text, n), stdout is read as it comes and the time, CPU time and peak
    memory at the n-th appearance of each text are noted, in order; without,
    stdout goes to /dev/null. With `input_after_marks`, the input is sent
    only once every mark is seen, so the process waits for it meanwhile."""
    watch = bool(marks)
    start = time.perf_counter()
    process = subprocess.Popen(
        argv, cwd=cwd, env=env, stderr=subprocess.DEVNULL,
        stdout=subprocess.PIPE if watch else subprocess.DEVNULL,
        stdin=subprocess.PIPE if stdin_text is not None else subprocess.DEVNULL)

    def send_input():
        if stdin_text is not None:
            process.stdin.write(stdin_text.encode())
            process.stdin.close()

    if not input_after_marks:
        send_input()
    output = b""
    seen = []
    if watch:
        pending = list(marks)
        fd = process.stdout.fileno()
        while True:
            chunk = os.read(fd, 1 << 16)
            if not chunk:
                break
            output += chunk
            while pending and output.count(pending[0][0].encode()) >= pending[0][1]:
                seen.append((time.perf_counter() - start, cpu_ns(process.pid),
                             peak_rss_kib(process.pid)))
                pending.pop(0)
                if not pending and input_after_marks:
                    send_input()
        process.stdout.close()
        if pending:
            wait_child(process)
            raise BenchError("%s never printed %r; it printed:\n%s"
                             % (argv[0], pending[0][0], output.decode(errors="replace")[-2000:]))
    status, usage = wait_child(process)
    wall = time.perf_counter() - start
    if status != 0:
        raise BenchError("%s exited with %d" % (" ".join(argv[:3]), status))
    return Run(wall, usage, output.decode(errors="replace"), seen)


def median(values):
    return statistics.median(values)


# --- Stores, made by the control tool

def sandbox(bench, root, fresh=True):
    """The harness's sandbox in `root`: a store (made when `fresh`, with
    the user's account and no latency) and a working folder whose path file
    names an empty game folder."""
    box = harness.Sandbox(bench.programs, root=root, path_file=True,
                          store_args=["--account", str(USER)] if fresh else None)
    if fresh:
        box.localsteam("set", box.store, "latency", "0")
    return box


def publish_all(box, items):
    """Publishes items (title, owner, metadata, file) through the control
    tool, two at a time; their ids, in order."""
    def one(item):
        title, owner, metadata, path = item
        try:
            return box.localsteam("publish", box.store, "--title", title, "--owner",
                                  str(owner), "--metadata", metadata, path)
        except harness.Failure as error:
            raise BenchError(str(error))

    with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
        return list(pool.map(one, items, chunksize=64))


class Fixture:
    """A folder under the work folder that is built once per recipe."""

    def __init__(self, work, name, recipe):
        self.root = os.path.join(work, name)
        self.stamp = os.path.join(self.root, ".ready")
        self.recipe = json.dumps(recipe, sort_keys=True)

    def ready(self):
        try:
            with open(self.stamp) as stamp:
                return stamp.read() == self.recipe
        except OSError:
            return False

    def start(self):
        shutil.rmtree(self.root, ignore_errors=True)
        os.makedirs(self.root)

    def finish(self):
        with open(self.stamp, "w") as stamp:
            stamp.write(self.recipe)


def made_in_memory(bench, fixture, make):
    """Builds `fixture` by `make(root)` in memory, where each of its many
    small writes costs less, then copies it into place."""
    with bench.in_memory(os.path.basename(fixture.root)) as (root, _):
        make(root)
        fixture.start()
        subprocess.run(["cp", "-a", root + "/.", fixture.root], check=True)
    fixture.finish()


# --- Figures

class Figure:
    def __init__(self, name, measured, baseline, unit, limit, limit_text, note=""):
        self.name = name
        self.measured = measured
        self.baseline = baseline
        self.unit = unit
        self.ratio = measured / baseline if baseline else float("inf")
        self.limit = limit
        self.limit_text = limit_text
        self.note = note

    def passed(self):
        return self.limit is None or self.ratio <= self.limit


def show(value, unit):
    if unit == "s":
        return "%.3f s" % value if value >= 1 else "%.1f ms" % (value * 1000)
    if unit == "KiB":
        return "%d KiB" % value
    return "%.3f %s" % (value, unit)


class Bench:
    def __init__(self, args):
        self.build = os.path.abspath(args.build)
        self.programs = harness.Programs(os.path.join(self.build, "drav-workshop"),
                                         os.path.join(self.build, "drav-localsteam"))
        self.tool = self.programs.tool
        self.copier = os.path.join(self.build, "drav-bench-copy")
        self.work = os.path.abspath(args.work or os.path.join(self.build, "bench"))
        self.runs = args.runs
        self.light_runs = max(args.runs, LIGHT_RUNS)
        self.figures = []
        os.makedirs(self.work, exist_ok=True)

    @contextlib.contextmanager
    def in_memory(self, name):
        """A fresh folder in /dev/shm where there is one, else in the work
        folder, removed afterwards. On a disk shared with other work, its
        flushes, and the slower creation of files right after many were
        deleted, swing small-file times by more than the differences
        measured here."""
        memory = "/dev/shm"
        parent = memory if os.access(memory, os.W_OK) else self.work
        root = os.path.join(parent, "drav-bench-%s-%d" % (name, os.getpid()))
        shutil.rmtree(root, ignore_errors=True)
        os.makedirs(root)
        try:
            yield root, parent
        finally:
            shutil.rmtree(root, ignore_errors=True)

    # Copy: copyFile of 1 GiB in the page cache against cp.
    def copy(self):
        fixture = Fixture(self.work, "copy", {"bytes": COPY_BYTES})
        source = os.path.join(fixture.root, "source.bin")
        target = os.path.join(fixture.root, "target.bin")
        if not fixture.ready():
            say("copy: writing a 1 GiB file")
            fixture.start()
            block = os.urandom(1 << 20)
            with open(source, "wb") as out:
                for i in range(COPY_BYTES >> 20):
                    out.write(block[i % 251:] + block[:i % 251])
            fixture.finish()
        with open(source, "rb") as warm:  # into the page cache
            while warm.read(1 << 24):
                pass

        def once(argv):
            if os.path.exists(target):
                os.remove(target)
            os.sync()  # the last run's writes don't land on this one
            run = run_process(argv)
            if os.path.getsize(target) != COPY_BYTES:
                raise BenchError("%s left a copy of the wrong size" % argv[0])
            return run.wall

        ours, theirs = [], []
        for i in range(self.runs):
            say("copy: run %d/%d" % (i + 1, self.runs))
            # Alternating which goes first evens out what one leaves the other.
            pair = [(ours, [self.copier, source, target]), (theirs, ["cp", source, target])]
            for times, argv in (pair if i % 2 == 0 else pair[::-1]):
                times.append(once(argv))
        os.remove(target)
        self.figures.append(Figure("copy 1 GiB (copyFile / cp)", median(ours), median(theirs),
                                   "s", 1.25, "<= 1.25"))

    # Install: menu action 3 over 10,000 cached items against cp.
    def install(self):
        files = self.install_store()
        # Store and game folders lie in memory, on one file system as a
        # Steam library and its game usually are.
        with self.in_memory("install") as (root, parent):
            shutil.copytree(os.path.join(self.work, "install", "store"),
                            os.path.join(root, "store"), symlinks=True)
            box = sandbox(self, root, fresh=False)
            self.install_in(box, [(os.path.join(box.store, "cache", item, name), sub)
                                  for item, name, sub in files])
        self.figures[-1].note += "; store and game folders in %s" % parent

    def install_store(self):
        """The store of cached items, made once by the control tool; its
        files as (item id, file name, game sub-folder)."""
        fixture = Fixture(self.work, "install", {"items": INSTALL_ITEMS,
                                                 "bytes": INSTALL_FILE_BYTES})
        listing = os.path.join(fixture.root, "files.json")

        def make(root):
            box = sandbox(self, root)
            items, files = [], []
            for i in range(INSTALL_ITEMS):
                kind, pattern, sub = INSTALL_KINDS[i % len(INSTALL_KINDS)]
                path = os.path.join(root, "src", str(i), pattern.format(i))
                os.makedirs(os.path.dirname(path))
                with open(path, "wb") as out:
                    out.write(os.urandom(INSTALL_FILE_BYTES))
                items.append(("Item %d" % i, 3000 + i % 100, str(kind), path))
                files.append((pattern.format(i), sub))
            ids = publish_all(box, items)
            box.localsteam("subscribe", box.store, *ids)
            box.localsteam("install", box.store, *ids)
            shutil.rmtree(os.path.join(root, "src"))
            with open(os.path.join(root, "files.json"), "w") as out:
                json.dump([[item, name, sub] for item, (name, sub) in zip(ids, files)], out)

        if not fixture.ready():
            say("install: building a store of %d cached items" % INSTALL_ITEMS)
            made_in_memory(self, fixture, make)
        with open(listing) as listed:
            return json.load(listed)

    def install_in(self, box, files):
        """`files`: (cache file, game sub-folder) of every item."""
        root, env, cwd = box.root, box.env, box.cwd
        made = [0]

        def new_game():
            """An empty game folder of its own for each run."""
            made[0] += 1
            shutil.rmtree(os.path.join(root, "game%d" % (made[0] - 1)), ignore_errors=True)
            game = os.path.join(root, "game%d" % made[0])
            os.mkdir(game)
            box.set_workshop_path(game)
            return game

        def destinations(game):
            groups = {}
            for path, sub in files:
                groups.setdefault(os.path.join(game, sub) if sub else game, []).append(path)
            return groups

        def check_game(game, who):
            for folder, paths in destinations(game).items():
                present = sum(1 for entry in os.scandir(folder) if entry.is_file())
                if present != len(paths):
                    raise BenchError("%s left %d files in %s, not %d"
                                     % (who, present, folder, len(paths)))

        def tool_run(text):
            game = new_game()
            wall = run_process([self.tool], cwd=cwd, env=env, stdin_text=text).wall
            return wall, game

        def cp_run():
            game = new_game()
            groups = destinations(game)
            start = time.perf_counter()
            for folder, paths in groups.items():
                os.makedirs(folder, exist_ok=True)
                subprocess.run(["cp", "-t", folder, "--"] + paths, check=True)
            return time.perf_counter() - start, game

        full, bare, copies = [], [], []
        tool_run("3\nx\n")  # warm-up
        cp_run()
        for i in range(self.runs):
            say("install: run %d/%d" % (i + 1, self.runs))
            bare.append(tool_run("x\n")[0])
            wall, game = tool_run("3\nx\n")
            check_game(game, "the tool")
            full.append(wall)
            wall, game = cp_run()
            check_game(game, "cp")
            copies.append(wall)
        install_time = median(full) - median(bare)
        self.figures.append(Figure(
            "install %d items (tool / cp)" % INSTALL_ITEMS, install_time, median(copies),
            "s", 1.5, "<= 1.5",
            "tool run %s minus start-up and exit %s"
            % (show(median(full), "s"), show(median(bare), "s"))))

    # Waiting: CPU over wall time while Steam takes 3 s to answer.
    def waiting(self):
        with self.in_memory("waiting") as (root, _):
            self.waiting_in(root)

    def waiting_in(self, root):
        box = sandbox(self, root)
        cwd, game, env = box.cwd, box.game, box.env
        os.makedirs(os.path.join(game, "Levels"))
        asset = os.path.join(game, "Levels", "bench.tmx")
        with open(asset, "w") as out:
            out.write("<map/>\n")
        box.publish("Bench map", asset, "--metadata", "1")
        box.localsteam("set", box.store, "latency", str(WAIT_LATENCY_MS))
        # Update item 0 with the file, no new preview, a change note.
        dialogue = "2\n0\n%s\nn\nbench\nx\n" % asset
        # The fifth prompt asks for the change note; the submission follows.
        marks = [("/>", 5), ("UPLOAD SUCCESSFUL!", 1)]
        whole, submission = [], []
        for i in range(self.runs):
            say("waiting: run %d/%d" % (i + 1, self.runs))
            run = run_process([self.tool], cwd=cwd, env=env, stdin_text=dialogue, marks=marks)
            whole.append((run.cpu, run.wall))
            (asked, cpu_asked, _), (done, cpu_done, _) = run.marks
            if cpu_done is None:  # gone by then: its whole CPU time instead
                cpu_done = run.cpu * 1e9
            submission.append(((cpu_done - cpu_asked) / 1e9, done - asked))
        whole.sort(key=lambda pair: pair[0] / pair[1])
        submission.sort(key=lambda pair: pair[0] / pair[1])
        cpu, wall = whole[len(whole) // 2]
        self.figures.append(Figure("waiting: CPU / wall, whole run", cpu, wall, "s", 0.05,
                                   "<= 0.05", "query and submission, 3 s each"))
        cpu, wall = submission[len(submission) // 2]
        self.figures.append(Figure("waiting: CPU / wall, submission", cpu, wall, "s", 0.05,
                                   "<= 0.05", "from the change note to the result"))

    # Start-up: the first menu prompt and peak memory, against cat.
    def startup(self, recorded):
        with self.in_memory("startup") as (root, _):
            self.startup_in(root, recorded)

    def startup_in(self, root, recorded):
        box = sandbox(self, root)
        cwd, env = box.cwd, box.env
        text_file = os.path.join(root, "cat.txt")
        with open(text_file, "w") as out:
            out.write("cat-bench\n")
        # Each is caught waiting for input after its first output: the tool
        # at its menu, cat on its standard input after the file.
        tool_times, tool_rss, cat_times, cat_rss = [], [], [], []
        for i in range(self.light_runs):
            run = run_process([self.tool], cwd=cwd, env=env, stdin_text="x\n", marks=[("/>", 1)],
                              input_after_marks=True)
            tool_times.append(run.marks[0][0])
            tool_rss.append(self.sampled(run.marks[0][2]))
            run = run_process(["cat", text_file, "-"], stdin_text="", marks=[("cat-bench", 1)],
                              input_after_marks=True)
            cat_times.append(run.marks[0][0])
            cat_rss.append(self.sampled(run.marks[0][2]))
        self.add_recorded("start-up to first prompt (tool / cat)", median(tool_times),
                          median(cat_times), "s", recorded, "startup")
        self.add_recorded("start-up peak memory (tool / cat)", median(tool_rss),
                          median(cat_rss), "KiB", recorded, "memory")

    @staticmethod
    def sampled(value):
        if value is None:
            raise BenchError("the process ended before its memory was read")
        return value

    def add_recorded(self, name, measured, baseline, unit, recorded, key):
        ratio = measured / baseline
        if key in recorded:
            limit = 2 * recorded[key]["ratio"]
            self.figures.append(Figure(name, measured, baseline, unit, limit,
                                       "<= %.2f (2x recorded)" % limit))
        else:
            self.figures.append(Figure(name, measured, baseline, unit, None,
                                       "none recorded"))
        self.recorded_now[key] = {"ratio": round(ratio, 3), "measured": measured,
                                  "baseline": baseline, "unit": unit}

    # Scale of the query: the user's first page among 100,000 others' items.
    def query(self):
        mine = {k * 2001 for k in range(QUERY_MINE)}  # their places among the others'
        stores = {}
        for name, count in (("query-empty", 0), ("query-full", QUERY_OTHERS)):
            fixture = Fixture(self.work, name, {"mine": sorted(mine), "others": count,
                                                "made by": "drav-localsteam"})

            def make(root):
                asset = os.path.join(root, "map.tmx")
                with open(asset, "w") as out:
                    out.write("<map/>\n")
                places = range(QUERY_MINE + count) if count else sorted(mine)
                publish_all(sandbox(self, root), [
                    ("My map %d" % i, USER, "1", asset) if i in mine else
                    ("Other map %d" % i, 5000 + i % 1000, "1", asset) for i in places])

            if not fixture.ready():
                say("query: building a store of %d items" % (QUERY_MINE + count))
                made_in_memory(self, fixture, make)
            box = sandbox(self, fixture.root, fresh=False)
            stores[name] = (box.cwd, box.env)
        # The menu's prompt, then the list's prompt after the query; -1 is
        # not on the list, so nothing is chosen.
        marks = [("/>", 1), ("/>", 2)]
        times = {name: [] for name in stores}
        for i in range(self.light_runs):
            for name, (cwd, env) in stores.items():
                run = run_process([self.tool], cwd=cwd, env=env, stdin_text="2\n-1\nx\n",
                                  marks=marks)
                if "\n%d)My map" % (QUERY_MINE - 1) not in run.output:
                    raise BenchError("the update list lacks the user's %d items" % QUERY_MINE)
                times[name].append(run.marks[1][0] - run.marks[0][0])
        self.figures.append(Figure(
            "query: first page, %d others' items" % QUERY_OTHERS, median(times["query-full"]),
            median(times["query-empty"]), "s", 2.0, "<= 2",
            "against a store of only the user's %d" % QUERY_MINE))

    def run(self, only, recorded):
        self.recorded_now = {}
        for name in FIGURES:
            if name not in only:
                continue
            if name == "startup":
                self.startup(recorded)
            else:
                getattr(self, name)()


def print_table(figures):
    rows = [("figure", "measured", "baseline", "ratio", "target", "result")]
    for figure in figures:
        rows.append((figure.name, show(figure.measured, figure.unit),
                     show(figure.baseline, figure.unit), "%.3f" % figure.ratio,
                     figure.limit_text, "PASS" if figure.passed() else "FAIL"))
    widths = [max(len(row[i]) for row in rows) for i in range(len(rows[0]))]
    for n, row in enumerate(rows):
        print("  ".join(cell.ljust(width) for cell, width in zip(row, widths)).rstrip())
        if n == 0:
            print("  ".join("-" * width for width in widths))
    notes = [(figure.name, figure.note) for figure in figures if figure.note]
    if notes:
        print()
        for name, note in notes:
            print("%s: %s" % (name, note))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", required=True, help="a Release build folder")
    parser.add_argument("--work", help="the fixtures' folder (default BUILD/bench)")
    parser.add_argument("--runs", type=int, default=5, help="runs per figure (at least 5)")
    parser.add_argument("--only", default=",".join(FIGURES), help="figures to measure")
    parser.add_argument("--record", action="store_true",
                        help="write the start-up figures to bench/baseline.json")
    args = parser.parse_args()
    if args.runs < 5:
        parser.error("--runs must be at least 5")
    only = set(args.only.split(","))
    unknown = only - set(FIGURES)
    if unknown:
        parser.error("unknown figures: %s" % ", ".join(sorted(unknown)))
    recorded = {}
    if os.path.exists(BASELINE_FILE) and not args.record:
        with open(BASELINE_FILE) as baseline:
            recorded = json.load(baseline)
    bench = Bench(args)
    try:
        bench.run(only, recorded)
    except BenchError as error:
        print_table(bench.figures)
        print("\nbenchmark failed: %s" % error)
        return 1
    print_table(bench.figures)
    if args.record and bench.recorded_now:
        with open(BASELINE_FILE, "w") as baseline:
            json.dump(bench.recorded_now, baseline, indent=1)
            baseline.write("\n")
        print("\nrecorded the start-up figures in %s" % os.path.relpath(BASELINE_FILE))
    failed = [figure.name for figure in bench.figures if not figure.passed()]
    if failed:
        print("\nmissed: %s" % "; ".join(failed))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
