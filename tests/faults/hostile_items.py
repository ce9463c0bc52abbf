#!/usr/bin/env python3
"""Awkward names, files too big to write, a second copy of the tool on one
workshop path."""

import json
import os
import re
import resource
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import harness as hn  # noqa: E402

LIMIT = 256 * 1024
BIG = b"drav big asset\n" * (LIMIT // 8)    # about twice the limit


def name_of_bytes(stem, extension, fill):
    """`stem` padded with `fill` (then "x") to a name of exactly 255 bytes."""
    name = (stem + fill * 255).encode()[:255 - len(extension)].decode(errors="ignore")
    return name + "x" * (255 - len((name + extension).encode())) + extension


# Awkward item files: name, key in the type menu, install folder, preview.
AWKWARD = [("Red Canyon ñ 地图.tmx", "1", "Levels", True),
           (name_of_bytes("long map ", ".tmx", "m"), "1", "Levels", True),
           (name_of_bytes("translations_ünï côdé ", ".txt", "é"), "7", "", False),
           ("bots_ the  blank\tbots .txt", "6", "ai", False)]


def awkward_names(sandbox, rng):
    """A workshop path of blanks, non-ASCII and 255-byte folder names, over
    260 characters long: items are published from typed paths of such names
    and installed there, whole and under their own names."""
    with sandbox() as setup:
        game = os.path.join(setup.root, "game with blanks", "Ünïcødé ゲーム",
                            name_of_bytes("deep ", "", "ß"), name_of_bytes("deeper ", "", "d"))
        os.makedirs(game)
        setup.set_workshop_path(game)
        source = os.path.join(setup.root, "source ñ 源", name_of_bytes("files ", "", "ü"))
        typed, wanted = [], {}
        for index, (name, key, folder, preview) in enumerate(AWKWARD):
            wanted[os.path.join(folder, name)] = name.encode() * (50 + index)
            hn.write(os.path.join(source, name), wanted[os.path.join(folder, name)])
            if preview:
                hn.write(os.path.join(source, name[:-4] + ".png"), hn.read(hn.PREVIEW))
            typed += ["1", key, "Item %d" % index, os.path.join(source, name)]
            typed += [] if preview else ["n"]
        run = setup.run(hn.answers(*typed + ["x"]))
        hn.check_clean_end(run, "publishing")
        hn.check(run.text().count("\nUPLOAD SUCCESSFUL!\n") == len(AWKWARD) and
                 hn.tree(game) == [], "publishing:\n" + run.text())
        ids = re.findall(r"\(workshop item: (\d+)\)", run.text())
        setup.localsteam("subscribe", setup.store, *ids)
        setup.localsteam("install", setup.store, *ids)
        hn.check_clean_end(setup.run(hn.answers("3", "x")), "installing")
        hn.check(hn.contents(game) == wanted, "the workshop path holds %s" % hn.tree(game))


def limited():
    # Ignored rather than default: the write then fails with EFBIG instead
    # of the signal ending the tool.
    signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
    resource.setrlimit(resource.RLIMIT_FSIZE, (LIMIT, LIMIT))


def file_too_big(sandbox, rng):
    """Every write past a file-size limit fails half-way. The big map's copy
    fails, and so does the download that follows (the local service copies
    in the tool's process); the small map after it is installed. A new item
    of the big map fails at staging and is deleted again."""
    with sandbox() as setup:
        sources = {"arena.tmx": BIG, "bastion.tmx": b"<map/>"}
        game = {"Levels/arena.tmx": b"old", "Levels/big.tmx": BIG,
                "Levels/big.png": hn.read(hn.PREVIEW)}
        for folder, files in ((os.path.join(setup.root, "src"), sources), (setup.game, game)):
            for name, data in files.items():
                hn.write(os.path.join(folder, name), data)
        ids = [setup.publish(name, os.path.join(setup.root, "src", name)) for name in sources]
        setup.localsteam("subscribe", setup.store, *ids)
        setup.localsteam("install", setup.store, *ids)
        run = setup.run(hn.answers("3", "1", "1", "Big", os.path.join(
            setup.game, "Levels", "big.tmx"), "x"), preexec_fn=limited)
        hn.check_clean_end(run, "a file too big")
        hn.check_text(run.text(), hn.BANNER + hn.menu(setup.game) + (
            "\nInstalling workshop items...\n\nInstalling the Map \"arena.tmx\"..."
            "\nFailed to write to arena.tmx: File too large\nfailed!\nDownloading..."
            "\nSomething went wrong. Error: 37\nOperation failed."
            "\nInstalling the Map \"bastion.tmx\"...done!") + hn.menu(setup.game), "install")
        hn.check_text(run.text()[run.text().index("\nYou chose: big.tmx\n"):], (
            "\nYou chose: big.tmx\n\nFailed to write to big.tmx: File too large\n"
            "\nFailed to set up the files for upload. Exiting..."
            "\nThe unfinished workshop item %d was deleted again.\n\ncleaning up...done!\n"
            % (int(ids[1]) + 1)) + hn.menu(setup.game) + hn.COMPLETED, "staging", whole=True)
        hn.check(hn.contents(setup.game) == dict(game, **{"Levels/bastion.tmx": b"<map/>"}),
                 "the game folder holds %s" % hn.tree(setup.game))
        # The download cache keeps the whole old copies and no half-made one;
        # the store holds no new item.
        cache = {"%s/%s" % (item, name): data for item, (name, data) in zip(ids, sources.items())}
        listed = [str(item["id"]) for item in json.loads(setup.localsteam("list", setup.store))]
        hn.check(hn.contents(os.path.join(setup.store, "cache")) == cache and
                 sorted(listed) == ids, "the store holds a new item or a half copy")


def second_copy(sandbox, rng):
    """The second copy leaves at once and doesn't touch the first's files."""
    with sandbox() as setup:
        first = subprocess.Popen(setup.programs.command(setup.programs.tool),
                                 stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                 cwd=setup.cwd, env=setup.env, start_new_session=True)
        staged = os.path.join(setup.game, hn.STAGING, "staged.tmx")
        time.sleep(2)
        hn.write(staged, b"<map/>")
        run = setup.run(hn.answers("x"))
        kept = os.path.exists(staged)
        first.communicate(b"x\n", timeout=20)
        hn.check_clean_end(run, "a second copy")
        hn.check("Another copy of the tool is using the workshop path" in run.text() and
                 "CHOOSE ACTION" not in run.text(), run.text())
        hn.check(kept, "the second copy removed the staged file")
        hn.check(not os.path.lexists(os.path.join(setup.game, hn.STAGING)),
                 "the first copy kept its staging folder")


if __name__ == "__main__":
    hn.main([awkward_names, file_too_big, second_copy])
