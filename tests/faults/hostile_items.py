#!/usr/bin/env python3
"""Hostile items and shared folders: an install skips links, FIFOs and the
names of the tool's own files and folders and removes a killed run's
temporary files; the staging folder's link goes as a link and a file inside
it is refused; a second copy of the tool on one workshop path leaves; CR-LF
answers are understood; another app's subscription is not the game's.
"""

import os
import subprocess
import sys
import time

import fault_common as fc

TIMEOUT = 20.0


def install_skips(args, rng):
    with fc.sandbox(args, "install-skips") as setup:
        src = os.path.join(setup.root, "src")
        names = {"workshopPath.txt": b"/etc", "Levels": b"blocker", "run.py": b"print()",
                 "libx.so.1": b"ELF", "notes.txt": b"notes", "readme": b"fine",
                 "a\x1b[2Jb\nInstalling.txt": b"escapes"}
        for name, data in names.items():
            fc.write(os.path.join(src, name), data)
        item = setup.publish("Hostile", *[os.path.join(src, n) for n in sorted(names)])
        setup.localsteam("subscribe", setup.store, item)
        setup.localsteam("install", setup.store, item)
        cache = os.path.join(setup.store, "cache", item)
        secret = os.path.join(setup.root, "secret")
        fc.write(secret, b"private")
        os.chmod(secret, 0o600)
        os.symlink(secret, os.path.join(cache, "stolen.txt"))
        os.mkfifo(os.path.join(cache, "pipe.txt"))
        os.makedirs(os.path.join(setup.game, "notes.txt"))
        stale = os.path.join(setup.game, ".drav-tmp-0123456789abcdef")
        fc.write(stale, b"left by a killed run")
        path_file = fc.read(os.path.join(setup.cwd, "workshopPath.txt"))
        run = setup.run(fc.lines("3", "x"), timeout=TIMEOUT)
        fc.check_clean_end(run, "an install of a hostile item", TIMEOUT)
        text = run.text()
        for name, why in (("workshopPath.txt", "own files"), ("Levels", "folders"),
                          ("run.py", "program"), ("libx.so.1", "program"),
                          ("stolen.txt", "regular"), ("pipe.txt", "regular"),
                          ("notes.txt", "folder or link")):
            fc.check('Skipped "%s": ' % name in text and why in
                     text.split('Skipped "%s": ' % name)[1].split("\n")[0],
                     "no skip of %s for %r:\n%s" % (name, why, text))
        fc.check(fc.read(os.path.join(setup.cwd, "workshopPath.txt")) == path_file,
                 "the path file was changed")
        # The console shows control characters as "?"; the file keeps its name.
        fc.check('Installing the UNKNOWN "a?[2Jb?Installing.txt"' in text and
                 "\x1b" not in text, "a name reached the console raw:\n" + text)
        fc.check(sorted(fc.tree(setup.game)) ==
                 ["a\x1b[2Jb\nInstalling.txt", "notes.txt/", "readme"],
                 "the game folder holds %s" % fc.tree(setup.game))
        fc.check(not os.path.exists(stale), "a killed run's temporary file is left")


def staging_link(args, rng):
    with fc.sandbox(args, "staging-link") as setup:
        target = os.path.join(setup.root, "target")
        fc.write(os.path.join(target, "sub", "keep.txt"), b"keep")
        fc.write(os.path.join(target, "keep.txt"), b"keep")
        os.chmod(target, 0o555)
        os.symlink(target, os.path.join(setup.game, fc.STAGING))
        run = setup.run(fc.lines("x"), timeout=TIMEOUT)
        fc.check_clean_end(run, "a staging link", TIMEOUT)
        fc.check(not os.path.lexists(os.path.join(setup.game, fc.STAGING)),
                 "the staging link is left")
        fc.check(fc.tree(target) == ["keep.txt", "sub/", "sub/keep.txt"],
                 "the link's target holds %s" % fc.tree(target))
        fc.check(os.stat(target).st_mode & 0o777 == 0o555, "the target's mode changed")
        os.chmod(target, 0o755)


def content_in_staging(args, rng):
    with fc.sandbox(args, "content-in-staging") as setup:
        inside = os.path.join(setup.game, fc.STAGING, "only.tmx")
        fc.write(inside, b"<map/>")
        fc.write(os.path.join(setup.game, fc.STAGING, "only.png"), fc.read(fc.PREVIEW))
        run = setup.run(fc.lines("1", "1", "Mine", inside, "n", "x"), timeout=TIMEOUT)
        fc.check_clean_end(run, "a content file in the staging folder", TIMEOUT)
        fc.check("inside the staging folder" in run.text(), "no reason:\n" + run.text())
        fc.check("UPLOAD SUCCESSFUL" not in run.text(), "uploaded:\n" + run.text())
        # Asked again, not set up for upload.
        fc.check("Invalid choice!\nTry again? (y/n)" in run.text() and
                 "Failed to set up" not in run.text(), "not asked again:\n" + run.text())


def second_copy(args, rng):
    with fc.sandbox(args, "second-copy") as setup:
        first = subprocess.Popen(setup.programs.command(setup.programs.tool),
                                 stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                 cwd=setup.cwd, env=setup.env, start_new_session=True)
        try:
            staged = os.path.join(setup.game, fc.STAGING, "staged.tmx")
            time.sleep(2)
            fc.write(staged, b"<map/>")
            run = setup.run(fc.lines("x"), timeout=TIMEOUT)
            fc.check_clean_end(run, "a second copy", TIMEOUT)
            fc.check("Another copy of the tool is using the workshop path" in run.text(),
                     "no word of the first copy:\n" + run.text())
            fc.check("CHOOSE ACTION" not in run.text(), "the menu was shown")
            fc.check(os.path.exists(staged), "the second copy removed the staged file")
        finally:
            first.communicate(b"x\n", timeout=TIMEOUT)
        fc.check(not os.path.lexists(os.path.join(setup.game, fc.STAGING)),
                 "the first copy kept its staging folder")


def windows_line_ends(args, rng):
    with fc.sandbox(args, "crlf") as setup:
        run = setup.run(b"4\r\nx\r\n", timeout=TIMEOUT)
        fc.check_clean_end(run, "CR-LF answers", TIMEOUT)
        fc.check("I didn't understand" not in run.text(), "refused:\n" + run.text())


def other_apps_subscription(args, rng):
    with fc.sandbox(args, "other-app") as setup:
        fc.write(os.path.join(setup.root, "src", "arena.tmx"), b"<map/>")
        item = setup.publish("Elsewhere", os.path.join(setup.root, "src", "arena.tmx"),
                             "--app", "999")
        setup.localsteam("subscribe", setup.store, item)
        run = setup.run(fc.lines("3", "x"), timeout=TIMEOUT)
        fc.check_clean_end(run, "another app's subscription", TIMEOUT)
        fc.check("not subscribed to any" in run.text(), "listed:\n" + run.text())


if __name__ == "__main__":
    sys.exit(fc.main(__doc__.splitlines()[0], [
        ("install skips", install_skips), ("staging link", staging_link),
        ("content in staging", content_in_staging), ("second copy", second_copy),
        ("windows line ends", windows_line_ends),
        ("other app's subscription", other_apps_subscription)]))
