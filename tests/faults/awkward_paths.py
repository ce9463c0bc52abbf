#!/usr/bin/env python3
"""Awkward names: a workshop path with blanks and non-ASCII letters, a
folder name of 255 bytes, and a length far beyond 260 characters; item
files with blanks, non-ASCII names and names of 255 bytes. New items are
published from typed paths, then installed into that workshop path: every
file must arrive whole under its own name, with nothing else beside it.
"""

import json
import os
import sys

import fault_common as fc

NAME_MAX = 255


def name_of_bytes(stem, extension, fill):
    """`stem` padded with `fill` to a name of exactly 255 bytes."""
    room = NAME_MAX - len((stem + extension).encode())
    count = room // len(fill.encode())
    name = stem + fill * count + "x" * (room - count * len(fill.encode())) + extension
    assert len(name.encode()) == NAME_MAX
    return name


# (file name, key in the type menu, type number, install folder, preview
# beside it)
FILES = [
    ("Red Canyon ñ 地图.tmx", "1", "1", "Levels", True),
    (name_of_bytes("long map ", ".tmx", "m"), "1", "1", "Levels", True),
    (name_of_bytes("translations_ünï côdé ", ".txt", "é"), "7", "5", "", False),
    ("bots_ the  blank\tbots .txt", "6", "6", "ai", False),
]


def workshop_path(root):
    """Deep below `root`: blanks, non-ASCII, folder names of 255 bytes, and
    over 260 characters in all."""
    path = os.path.join(root, "game with blanks", "Ünïcødé ゲーム",
                        name_of_bytes("deep ", "", "ß"), name_of_bytes("deeper ", "", "d"))
    assert len(path) > 260
    return path


def publish_answers(source, files):
    answers = []
    for index, (name, key, _, _, preview) in enumerate(files):
        answers += ["1", key, "Item %d %s" % (index, name[:20]), os.path.join(source, name)]
        if not preview:
            answers.append("n")
    return answers


def publish_and_install(args, rng):
    with fc.sandbox(args, "awkward") as setup:
        game = workshop_path(setup.root)
        os.makedirs(game)
        setup.set_workshop_path(game)
        source = os.path.join(setup.root, "source ñ 源", name_of_bytes("files ", "", "ü"))
        contents = {}
        for index, (name, _, _, _, preview) in enumerate(FILES):
            contents[name] = ("asset %d: %s\n" % (index, name)).encode() * (50 + index)
            fc.write(os.path.join(source, name), contents[name])
            if preview:
                fc.write(os.path.join(source, name[:-4] + ".png"), fc.read(fc.PREVIEW))
        first = int(json.loads(setup.localsteam("status", setup.store))["nextId"])

        run = setup.run(fc.lines(*publish_answers(source, FILES) + ["x"]))
        fc.check_clean_end(run, "publishing", 20)
        text = run.text()
        fc.check(text.count("\nUPLOAD SUCCESSFUL!\n") == len(FILES),
                 "publishing: %d of %d uploads went through:\n%s" % (
                     text.count("\nUPLOAD SUCCESSFUL!\n"), len(FILES), text))
        fc.check(fc.tree(game) == [], "publishing left %s in the workshop path" %
                 fc.tree(game))
        ids = [str(first + index) for index in range(len(FILES))]
        for item, (name, _, number, _, _) in zip(ids, FILES):
            shown = fc.json_of(setup.localsteam("show", setup.store, item))
            fc.check(shown["content"] == [{"name": name, "size": len(contents[name])}] and
                     shown["metadata"] == number,
                     "item %s holds %s with metadata %r, expected %r and %r" % (
                         item, shown["content"], shown["metadata"], name, number))

        setup.localsteam("subscribe", setup.store, *ids)
        setup.localsteam("install", setup.store, *ids)
        run = setup.run(fc.lines("3", "x"))
        fc.check_clean_end(run, "installing", 20)
        text = run.text()
        fc.check(text.count("...done!") == len(FILES) and "failed!" not in text,
                 "installing:\n%s" % text)
        wanted = sorted({folder + "/" for _, _, _, folder, _ in FILES if folder} |
                        {os.path.join(folder, name) for name, _, _, folder, _ in FILES})
        fc.check(fc.tree(game) == wanted, "the workshop path holds %s, expected %s" % (
            fc.tree(game), wanted))
        for name, _, _, folder, _ in FILES:
            fc.check(fc.read(os.path.join(game, folder, name)) == contents[name],
                     "%s arrived changed" % name)


if __name__ == "__main__":
    sys.exit(fc.main(__doc__.splitlines()[0],
                     [("publish and install", publish_and_install)]))
