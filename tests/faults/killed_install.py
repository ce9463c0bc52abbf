#!/usr/bin/env python3
"""SIGKILL at 20 random points of an install of 200 items: each game file wholly old or wholly new,
a kill's temporary files of no asset kind; the next run installs everything and removes them."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import harness as hn  # noqa: E402

ITEMS = 200
KILLS = 20
# One file of each kind, in the folder it installs into.
KINDS = ["Levels/map_%03d.tmx", "WEB/board_%03d.html", "ai/bots_%03d.txt",
         "ai/movements_%03d.txt", "serverSettings_%03d.txt", "textMacros_%03d.txt",
         "translations_%03d.txt", "RECORDINGS/match_%03d.rec"]
ASSET_SUFFIXES = (".tmx", ".php", ".htm", ".html", ".txt", ".rec")


def content(label, name, size):
    """`size` bytes in which every 64-byte line names the file, the version and its own
    position: a part or a mix of two versions can't pass."""
    return "".join(("%s %s %08d " % (label, name, line)).ljust(63, ".") + "\n"
                   for line in range(size // 64 + 1)).encode()[:size]


def check_files(setup, old, new, label):
    """Each game file old or new, anything else a copy's temporary file of no asset kind."""
    found = hn.contents(setup.game)
    strays = [os.path.basename(name) for name in found if name not in new]
    hn.check(all(".drav-tmp" in name and not name.endswith(ASSET_SUFFIXES) for name in strays),
             "%s: files that are no game file nor a copy's temporary file: %s" % (label, strays))
    torn = [name for name in new if found.get(name) not in (old[name], new[name])]
    hn.check(not torn, "%s: gone, or neither the old nor the new content: %s" % (label, torn[:5]))


def killed_install(sandbox, rng):
    with sandbox() as setup:
        old, new, ids = {}, {}, []
        for index in range(ITEMS):
            name = KINDS[index % len(KINDS)] % index
            old[name], new[name] = (content(label, name, rng.randrange(200 << 10, 400 << 10))
                                    for label in ("old", "new"))
            source = os.path.join(setup.root, "src", str(index), os.path.basename(name))
            hn.write(source, new[name])
            ids.append(setup.publish(name, source))
            hn.write(os.path.join(setup.game, name), old[name])
        setup.localsteam("subscribe", setup.store, *ids)
        setup.localsteam("install", setup.store, *ids)
        # One whole install tells how long an install takes here.
        timing = setup.run(hn.answers("3", "x"), timeout=120)
        hn.check_clean_end(timing, "the timing run")
        hn.check(hn.contents(setup.game) == new, "the timing run left %s" % hn.tree(setup.game))
        for kill in range(KILLS):
            # Every other run starts from the old files again, so that late
            # kills still meet old files to replace.
            for name, data in old.items() if kill % 2 == 0 else ():
                hn.write(os.path.join(setup.game, name), data)
            # Output to a file comes in blocks, so the moment is drawn from
            # the time the whole install took; the run is killed at its time limit.
            run = setup.run(hn.answers("3", "x"), rng.uniform(0.05, 0.95) * timing.elapsed)
            hn.check_sanitizer(run, "kill %d" % kill)
            check_files(setup, old, new, "after kill %d" % kill)
        final = setup.run(hn.answers("3", "x"), timeout=120)
        hn.check_clean_end(final, "the run after the kills")
        hn.check(hn.contents(setup.game) == new,
                 "the last run left old or temporary files: %s" % hn.tree(setup.game))


if __name__ == "__main__":
    hn.main([killed_install])
