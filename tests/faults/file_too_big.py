#!/usr/bin/env python3
"""A file too big to write: with a file-size limit (RLIMIT_FSIZE) and SIGXFSZ
ignored, every write past the limit fails half-way with EFBIG. The install
and the staging of a new item say so with their usual texts, keep the old
content, leave no temporary file and carry on.
"""

import json
import os
import resource
import signal

import fault_common as fc

LIMIT = 256 * 1024
BIG = b"drav big asset\n" * (LIMIT // 8)    # about twice the limit


def limited():
    # Ignored rather than default: the write then fails instead of the
    # signal ending the tool.
    signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
    resource.setrlimit(resource.RLIMIT_FSIZE, (LIMIT, LIMIT))


def install_and_staging(sandbox, rng):
    """The big map's copy fails, and so does the download that follows (the
    local service copies in the tool's process); the small map after it is
    installed. A new item of the big map fails at staging and is deleted."""
    with sandbox() as setup:
        src, levels = os.path.join(setup.root, "src"), os.path.join(setup.game, "Levels")
        files = {"src/arena.tmx": BIG, "src/bastion.tmx": b"<map/>",
                 "game/Levels/arena.tmx": b"old", "game/Levels/big.tmx": BIG,
                 "game/Levels/big.png": fc.read(fc.PREVIEW)}
        for name, data in files.items():
            fc.write(os.path.join(setup.root, name), data)
        ids = [setup.publish(name, os.path.join(src, name)) for name in ["arena.tmx", "bastion.tmx"]]
        setup.localsteam("subscribe", setup.store, *ids)
        setup.localsteam("install", setup.store, *ids)
        run = setup.run(fc.answers("3", "1", "1", "Big", os.path.join(levels, "big.tmx"), "x"),
                        preexec_fn=limited)
        fc.check_clean_end(run, "a file too big")
        new = str(int(ids[1]) + 1)
        fc.check_text(run.text(), fc.BANNER + fc.menu(setup.game) + (
            "\nInstalling workshop items...\n\nInstalling the Map \"arena.tmx\"..."
            "\nFailed to write to arena.tmx: File too large\nfailed!\nDownloading..."
            "\nSomething went wrong. Error: 37\nOperation failed."
            "\nInstalling the Map \"bastion.tmx\"...done!") + fc.menu(setup.game), "install")
        fc.check_text(run.text()[run.text().index("\nYou chose: big.tmx\n"):], (
            "\nYou chose: big.tmx\n\nFailed to write to big.tmx: File too large\n"
            "\nFailed to set up the files for upload. Exiting..."
            "\nThe unfinished workshop item %s was deleted again.\n\ncleaning up...done!\n"
            % new) + fc.menu(setup.game) + fc.COMPLETED, "staging", whole=True)
        fc.check(fc.tree(setup.game) == ["Levels/", "Levels/arena.tmx", "Levels/bastion.tmx",
                                         "Levels/big.png", "Levels/big.tmx"] and
                 fc.read(os.path.join(levels, "arena.tmx")) == b"old" and
                 fc.read(os.path.join(levels, "big.tmx")) == BIG and
                 fc.read(os.path.join(levels, "bastion.tmx")) == b"<map/>",
                 "the game folder holds %s" % fc.tree(setup.game))
        # The download cache keeps the whole old copy and no half-made one;
        # the store holds no new item.
        fc.check(fc.tree(os.path.join(setup.store, "cache")) == [
            "%s/" % ids[0], "%s/arena.tmx" % ids[0], "%s/" % ids[1], "%s/bastion.tmx" % ids[1]]
            and sorted(str(item["id"]) for item in json.loads(setup.localsteam(
                "list", setup.store))) == ids, "the store holds a new item or a half copy")


if __name__ == "__main__":
    fc.main([install_and_staging])
