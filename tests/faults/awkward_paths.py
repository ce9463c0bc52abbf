#!/usr/bin/env python3
"""Awkward names: a workshop path with blanks, non-ASCII letters and folder
names of 255 bytes, over 260 characters long, and item files named so. New
items are published from typed paths and installed there: each file arrives
whole under its own name, with nothing else beside it.
"""

import json
import os

import fault_common as fc


def name_of_bytes(stem, extension, fill):
    """`stem` padded with `fill` (then "x") to a name of exactly 255 bytes."""
    room = 255 - len((stem + extension).encode())
    count = room // len(fill.encode())
    return stem + fill * count + "x" * (room - count * len(fill.encode())) + extension


# (file name, key in the type menu, install folder, preview beside it)
FILES = [("Red Canyon ñ 地图.tmx", "1", "Levels", True),
         (name_of_bytes("long map ", ".tmx", "m"), "1", "Levels", True),
         (name_of_bytes("translations_ünï côdé ", ".txt", "é"), "7", "", False),
         ("bots_ the  blank\tbots .txt", "6", "ai", False)]


def publish_and_install(sandbox, rng):
    with sandbox() as setup:
        game = os.path.join(setup.root, "game with blanks", "Ünïcødé ゲーム",
                            name_of_bytes("deep ", "", "ß"), name_of_bytes("deeper ", "", "d"))
        os.makedirs(game)
        setup.set_workshop_path(game)
        source = os.path.join(setup.root, "source ñ 源", name_of_bytes("files ", "", "ü"))
        typed = []
        for index, (name, key, _, preview) in enumerate(FILES):
            fc.write(os.path.join(source, name), name.encode() * (50 + index))
            if preview:
                fc.write(os.path.join(source, name[:-4] + ".png"), fc.read(fc.PREVIEW))
            typed += ["1", key, "Item %d" % index, os.path.join(source, name)] + ["n"] * (
                not preview)
        first = int(json.loads(setup.localsteam("status", setup.store))["nextId"])
        run = setup.run(fc.answers(*typed + ["x"]))
        fc.check_clean_end(run, "publishing")
        fc.check(run.text().count("\nUPLOAD SUCCESSFUL!\n") == len(FILES) and
                 fc.tree(game) == [], "publishing:\n" + run.text())
        ids = [str(first + index) for index in range(len(FILES))]
        setup.localsteam("subscribe", setup.store, *ids)
        setup.localsteam("install", setup.store, *ids)
        fc.check_clean_end(setup.run(fc.answers("3", "x")), "installing")
        fc.check(fc.tree(game) == sorted({"Levels/", "ai/"} | {
            os.path.join(folder, name) for name, _, folder, _ in FILES}),
            "the workshop path holds %s" % fc.tree(game))
        for index, (name, _, folder, _) in enumerate(FILES):
            fc.check(fc.read(os.path.join(game, folder, name)) == name.encode() * (50 + index),
                     "%s arrived changed" % name)


if __name__ == "__main__":
    fc.main([publish_and_install])
