#!/usr/bin/env python3
"""The tool killed (SIGKILL) at random points of an install of 200 items,
20 times: every game file holds either its old or its new content, never a
part of either, and the run after the last kill installs everything.

Each item has one file of a few hundred KiB, all of a different size and
content, spread over the asset kinds; the game folders hold an old version
of every one before the first run. A copy cut short by the kill may leave
its temporary file in the game folder; such a file must be recognisable as
one and match no asset kind, so that neither the game nor a later install
takes it for an asset. They are counted and listed at the end; the run
after the last kill removes them.
"""

import os
import sys
import time

import fault_common as fc

ITEMS = 200
KILLS = 20
# One name pattern per kind, and the folder it installs into.
KINDS = [("map_%03d.tmx", "Levels"), ("board_%03d.html", "WEB"),
         ("bots_%03d.txt", "ai"), ("movements_%03d.txt", "ai"),
         ("serverSettings_%03d.txt", ""), ("textMacros_%03d.txt", ""),
         ("translations_%03d.txt", ""), ("match_%03d.rec", "RECORDINGS")]
ASSET_SUFFIXES = (".tmx", ".php", ".htm", ".html", ".txt", ".rec")


def content(label, name, size):
    """`size` bytes in which every 64-byte line names the file, the version
    and its own position: a part or a mix of two versions can't pass."""
    line = 0
    parts = []
    while 64 * line < size:
        parts.append(("%s %s %08d " % (label, name, line)).ljust(63, ".") + "\n")
        line += 1
    return "".join(parts).encode()[:size]


class Item:
    def __init__(self, index, rng, root, game):
        pattern, folder = KINDS[index % len(KINDS)]
        self.name = pattern % index
        self.path = os.path.join(game, folder, self.name)
        self.old = content("old", self.name, rng.randrange(200, 400) * 1024 + index)
        self.new = content("new", self.name, rng.randrange(200, 400) * 1024 + 7 * index)
        self.source = os.path.join(root, "src", "%03d" % index, self.name)


def check_files(setup, items, leftovers, label):
    """Each game file old or new; anything else only a temporary file of a
    copy, which no asset rule can match."""
    expected = {item.path: item for item in items}
    counts = {"old": 0, "new": 0}
    for base, _, files in os.walk(setup.game):
        for name in files:
            path = os.path.join(base, name)
            item = expected.get(path)
            if item is None and name == fc.harness.WORKSHOP_LOCK:
                continue
            if item is None:
                fc.check(".drav-tmp" in name, "%s: an unexpected file %s" % (label, path))
                fc.check(not name.endswith(ASSET_SUFFIXES),
                         "%s: the temporary file %s passes for an asset" % (label, path))
                leftovers.add(os.path.relpath(path, setup.game))
                continue
            data = fc.read(path)
            if data == item.old:
                counts["old"] += 1
            elif data == item.new:
                counts["new"] += 1
            else:
                raise fc.Failure("%s: %s holds %d bytes, neither its old (%d) nor its "
                                 "new (%d) content; starts %r" % (
                                     label, path, len(data), len(item.old), len(item.new),
                                     data[:80]))
    missing = [path for path in expected if not os.path.isfile(path)]
    fc.check(not missing, "%s: game files gone: %s" % (label, missing[:5]))
    return counts


def wait_for(process, marker, count, limit):
    """Polls the tool's output file until `marker` shows `count` times
    (the colour changes flush it after every file); false when the tool
    ended without it or the time ran out."""
    out_file = process.drav_files[0]
    deadline = time.monotonic() + limit
    while time.monotonic() < deadline:
        ended = process.poll() is not None
        if os.pread(out_file.fileno(), 1 << 20, 0).count(marker) >= count:
            return True
        if ended:
            return False
        time.sleep(0.0005)
    return False


def killed_install(args, rng):
    with fc.sandbox(args, "killed") as setup:
        items = [Item(index, rng, setup.root, setup.game) for index in range(ITEMS)]
        ids = []
        for item in items:
            fc.write(item.source, item.new)
            ids.append(setup.publish("Item %s" % item.name, item.source))
        setup.localsteam("subscribe", setup.store, *ids)
        setup.localsteam("install", setup.store, *ids)

        def place_old():
            for item in items:
                fc.write(item.path, item.old)

        # One whole install tells how long one file takes here.
        place_old()
        timing = setup.run(fc.lines("3", "x"), timeout=120)
        fc.check_clean_end(timing, "the timing run", 120)
        fc.check(timing.text().count("...done!") == ITEMS,
                 "the timing run installed %d items" % timing.text().count("...done!"))
        marker = b"\nInstalling the "
        start = timing.out.index(marker)
        per_file = timing.elapsed / ITEMS

        leftovers = set()
        mixes = []
        for kill in range(KILLS):
            # Every other run starts from the old files again, so that late
            # kills still meet old files to replace.
            if kill % 2 == 0:
                place_old()
            # Killed while at a random file, at a random moment of it.
            process = setup.start(fc.lines("3", "x"))
            at = rng.randrange(1, ITEMS + 1)
            fc.check(wait_for(process, marker, at, 60),
                     "kill %d: the tool ended or stalled before file %d" % (kill, at))
            time.sleep(rng.uniform(0, per_file))
            fc.kill_group(process)
            run = setup.finish(process, 0)
            for mark in fc.SANITIZER_MARKS:
                fc.check(mark not in run.err, "kill %d: the sanitizer reported: %s" % (
                    kill, run.err_tail()))
            counts = check_files(setup, items, leftovers, "after kill %d" % kill)
            mixes.append("%d/%d" % (counts["new"], counts["old"]))

        final = setup.run(fc.lines("3", "x"), timeout=120)
        fc.check_clean_end(final, "the run after the kills", 120)
        fc.check(final.text().count("...done!") == ITEMS and "failed!" not in final.text(),
                 "the run after the kills: %r" % final.text()[start:start + 800])
        counts = check_files(setup, items, leftovers, "after the last run")
        fc.check(counts == {"old": 0, "new": ITEMS},
                 "after the last run: %(new)d new and %(old)d old files" % counts)
        # The last install removed what the killed ones left.
        remaining = [name for name in fc.tree(setup.game) if ".drav-tmp" in name]
        fc.check(not remaining, "after the last run, temporary files are left: %s" % remaining)
        print("        new/old files after each kill: %s" % " ".join(mixes))
        print("        temporary files left by the kills: %d%s" % (
            len(leftovers), "".join("\n          " + name for name in sorted(leftovers))))


if __name__ == "__main__":
    sys.exit(fc.main(__doc__.splitlines()[0], [("killed install", killed_install)]))
