#!/usr/bin/env python3
"""Hostile items and shared folders: what an install skips, a content file
chosen inside the staging folder, a second copy of the tool on one workshop
path."""

import os
import re
import subprocess
import time

import fault_common as fc

# Item files the install must skip, with a word of the reason it gives.
SKIPPED = {"workshopPath.txt": "own files", "Levels": "folders", "notes.txt": "folder or link",
           "stolen.txt": "regular", "pipe.txt": "regular"}
ESCAPES = "a\x1b[2Jb\nInstalling.txt"


def install_skips(sandbox, rng):
    """Also: CR-LF answers are understood, and another app's subscription is
    not the game's."""
    with sandbox() as setup:
        src = os.path.join(setup.root, "src")
        for name in list(SKIPPED)[:3] + ["readme", ESCAPES, "arena.tmx"]:
            fc.write(os.path.join(src, name), name.encode())
        names = sorted(set(os.listdir(src)) - {"arena.tmx"})
        item = setup.publish("Hostile", *[os.path.join(src, name) for name in names])
        other = setup.publish("Elsewhere", os.path.join(src, "arena.tmx"), "--app", "999")
        setup.localsteam("subscribe", setup.store, item, other)
        setup.localsteam("install", setup.store, item)
        cache = os.path.join(setup.store, "cache", item)
        fc.write(os.path.join(setup.root, "secret"), b"private")
        os.symlink(os.path.join(setup.root, "secret"), os.path.join(cache, "stolen.txt"))
        os.mkfifo(os.path.join(cache, "pipe.txt"))
        os.makedirs(os.path.join(setup.game, "notes.txt"))
        stale = os.path.join(setup.game, ".drav-tmp-0123456789abcdef")
        fc.write(stale, b"left by a killed run")
        path_file = fc.read(os.path.join(setup.cwd, "workshopPath.txt"))
        run = setup.run(b"3\r\nx\r\n")
        fc.check_clean_end(run, "an install of a hostile item")
        for name, why in SKIPPED.items():
            fc.check(re.search('\nSkipped "%s": [^\n]*%s' % (re.escape(name), why), run.text()),
                     "no skip of %s for %r:\n%s" % (name, why, run.text()))
        fc.check(fc.read(os.path.join(setup.cwd, "workshopPath.txt")) == path_file,
                 "the path file was changed")
        # The console shows control characters as "?"; the file keeps its name.
        fc.check('Installing the UNKNOWN "a?[2Jb?Installing.txt"' in run.text() and
                 "\x1b" not in run.text() and "arena" not in run.text(), run.text())
        fc.check(fc.tree(setup.game) == [ESCAPES, "notes.txt/", "readme"],
                 "the game folder holds %s" % fc.tree(setup.game))


def content_in_staging(sandbox, rng):
    with sandbox() as setup:
        inside = os.path.join(setup.game, fc.STAGING, "only.tmx")
        fc.write(inside, b"<map/>")
        fc.write(os.path.join(setup.game, fc.STAGING, "only.png"), fc.read(fc.PREVIEW))
        run = setup.run(fc.answers("1", "1", "Mine", inside, "n", "x"))
        fc.check_clean_end(run, "a content file in the staging folder")
        # Refused with its reason and asked again, not set up for upload.
        fc.check("inside the staging folder" in run.text() and
                 "Invalid choice!\nTry again? (y/n)" in run.text() and
                 "UPLOAD SUCCESSFUL" not in run.text() and
                 "Failed to set up" not in run.text(), run.text())


def second_copy(sandbox, rng):
    """The second copy leaves at once and doesn't touch the first's files."""
    with sandbox() as setup:
        first = subprocess.Popen(setup.programs.command(setup.programs.tool),
                                 stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                 cwd=setup.cwd, env=setup.env, start_new_session=True)
        staged = os.path.join(setup.game, fc.STAGING, "staged.tmx")
        time.sleep(2)
        fc.write(staged, b"<map/>")
        run = setup.run(fc.answers("x"))
        kept = os.path.exists(staged)
        first.communicate(b"x\n", timeout=20)
        fc.check_clean_end(run, "a second copy")
        fc.check("Another copy of the tool is using the workshop path" in run.text() and
                 "CHOOSE ACTION" not in run.text(), run.text())
        fc.check(kept, "the second copy removed the staged file")
        fc.check(not os.path.lexists(os.path.join(setup.game, fc.STAGING)),
                 "the first copy kept its staging folder")


if __name__ == "__main__":
    fc.main([install_skips, content_in_staging, second_copy])
