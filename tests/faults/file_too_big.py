#!/usr/bin/env python3
"""A file too big to write: the tool runs with a file-size limit
(RLIMIT_FSIZE) and SIGXFSZ ignored, so every write past the limit fails with
EFBIG. During an install and during staging the tool must report the
failure with its usual texts, leave the old content in place and no
temporary file behind, and carry on to the menu and a clean exit.
"""

import os
import resource
import signal
import sys

import fault_common as fc

LIMIT = 256 * 1024
BIG = b"drav big asset\n" * (LIMIT // 8)    # about twice the limit


def limited():
    # Ignored rather than default: the write then fails with EFBIG instead
    # of the signal ending the tool.
    signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
    resource.setrlimit(resource.RLIMIT_FSIZE, (LIMIT, LIMIT))


def expect_output(run, expected):
    actual = run.text()
    if actual != expected:
        raise fc.Failure("standard output differs:\n%s\n  standard error:\n%s" % (
            fc.first_difference(expected, actual), run.err_tail()))


def install(args, rng):
    """The big map fails at its copy; the item was on disk, so it is
    downloaded again, and that download hits the limit too (the local
    service copies in the tool's process; Steam would copy in its own). The
    small map after it installs as usual."""
    with fc.sandbox(args, "fsize-install") as setup:
        source = os.path.join(setup.root, "src")
        fc.write(os.path.join(source, "arena.tmx"), BIG)
        fc.write(os.path.join(source, "bastion.tmx"), b"<map name='bastion'/>\n")
        old = b"<map name='old arena'/>\n"
        fc.write(os.path.join(setup.game, "Levels", "arena.tmx"), old)
        big = setup.publish("Arena", os.path.join(source, "arena.tmx"))
        small = setup.publish("Bastion", os.path.join(source, "bastion.tmx"))
        setup.localsteam("subscribe", setup.store, big, small)
        setup.localsteam("install", setup.store, big, small)

        run = setup.run(fc.lines("3", "x"), preexec_fn=limited)
        fc.check_clean_end(run, "install", 20)
        expect_output(run, fc.BANNER + fc.menu(setup.game) +
                      "\nInstalling workshop items...\n"
                      "\nInstalling the Map \"arena.tmx\"..."
                      "\nFailed to write to arena.tmx: File too large\nfailed!"
                      "\nDownloading..."
                      "\nSomething went wrong. Error: 37\nOperation failed."
                      "\nInstalling the Map \"bastion.tmx\"...done!" +
                      fc.menu(setup.game) + fc.COMPLETED)
        fc.check(fc.tree(setup.game) == ["Levels/", "Levels/arena.tmx",
                                         "Levels/bastion.tmx"],
                 "the game folder holds %s" % fc.tree(setup.game))
        fc.check(fc.read(os.path.join(setup.game, "Levels", "arena.tmx")) == old,
                 "arena.tmx lost its old content")
        fc.check(fc.read(os.path.join(setup.game, "Levels", "bastion.tmx")) ==
                 fc.read(os.path.join(source, "bastion.tmx")),
                 "bastion.tmx was not installed")
        # The download cache keeps the whole old copy and no half-made one.
        cache = fc.tree(os.path.join(setup.store, "cache"))
        fc.check(cache == ["%s/" % big, "%s/arena.tmx" % big,
                           "%s/" % small, "%s/bastion.tmx" % small],
                 "the download cache holds %s" % cache)


def staging(args, rng):
    """A new map and an update of an older one, both with the big file:
    each stops with the staging message, nothing reaches the store, and the
    staging folder (here holding a stale file of the same name) is gone."""
    with fc.sandbox(args, "fsize-staging") as setup:
        levels = os.path.join(setup.game, "Levels")
        fc.write(os.path.join(levels, "harbor.tmx"), b"<map name='harbor'/>\n")
        old = setup.publish("Harbor", os.path.join(levels, "harbor.tmx"),
                            "--metadata", "1")
        content = os.path.join(levels, "big.tmx")
        fc.write(content, BIG)
        fc.write(os.path.join(levels, "big.png"), fc.read(fc.PREVIEW))
        fc.write(os.path.join(setup.game, fc.STAGING, "big.tmx"), b"stale")

        run = setup.run(fc.lines("1", "1", "Big map", content,
                                 "2", "0", content, "n", "wider", "x"),
                        preexec_fn=limited)
        fc.check_clean_end(run, "staging", 20)
        new = str(int(old) + 1)
        failed = ("\nFailed to write to big.tmx: File too large\n"
                  "\nFailed to set up the files for upload. Exiting..."
                  "\n\ncleaning up...done!\n")
        rule = ("\nNOTE:\nDRAV maps must be .tmx files.\n"
                "\nYOU WILL CHOOSE THE FILE NOW.  \nChoose workshop asset: (*.tmx)"
                "\nFolder: %s\nWanted: the Map file to upload"
                "\n  (no matching file in this folder)\nType a number, a path in this "
                "folder or a full path; an empty line cancels.\n/>"
                "\nYou chose: big.tmx\n" % setup.game)
        expect_output(run, fc.BANNER + fc.menu(setup.game) +
                      "Creating new workshop item...\n"
                      "\nWorkshop item successfully created!\n(workshop item: %s)\n"
                      % new + fc.TYPE_MENU +
                      "\n\nWhat is the name of your item?\n/>" + rule +
                      failed.replace("\n\ncleaning", "\nThe unfinished workshop item %s was "
                                     "deleted again.\n\ncleaning" % new) +
                      fc.menu(setup.game) +
                      "\nTalking to Steam Workshop...\n"
                      "\n\nChoose which item to update:\n0)Harbor\n/>"
                      "\nYou chose to update \"Harbor\".\n"
                      "Workshop ID: %s -- Type: Map\n" % old + rule +
                      "\nWould you like to supply a new preview image for this item? (y/n)\n/>"
                      "\nWhat has changed in this asset?"
                      "\n(leave blank if you don't want to have change notes)\n/>" +
                      failed + fc.menu(setup.game) + fc.COMPLETED)
        fc.check(fc.tree(setup.game) == ["Levels/", "Levels/big.png", "Levels/big.tmx",
                                         "Levels/harbor.tmx"],
                 "the game folder holds %s" % fc.tree(setup.game))
        fc.check(fc.read(content) == BIG, "the chosen file was changed")
        items = fc.json_of(setup.localsteam("list", setup.store))
        versions = {str(item["id"]): item["contentVersion"] for item in items}
        # The new item, whose staging failed, was deleted again.
        fc.check(versions == {old: 1},
                 "content versions in the store: %s" % versions)


if __name__ == "__main__":
    sys.exit(fc.main(__doc__.splitlines()[0],
                     [("install", install), ("staging", staging)]))
