#!/usr/bin/env python3
"""Awkward names, and a second copy of the tool on one workshop path."""

import os
import re
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import harness as hn  # noqa: E402


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
    """A workshop path of blanks, non-ASCII and 255-byte folder names, over 260 characters long:
    items are published from typed paths of such names and installed there, whole and as named."""
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
    hn.main([awkward_names, second_copy])
