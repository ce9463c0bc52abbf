#!/usr/bin/env python3
"""Bad input at each question of a whole session: the input ends there, or the answer is garbage.
The tool answers as in the session up to there, then with that question's refusal, and ends."""

import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import harness as hn  # noqa: E402

NOT_UNDERSTOOD = "\nI didn't understand your command.\n"
INVALID_FILE = "\nInvalid choice!\nTry again? (y/n)\n/>"
# What the tool prints right after a garbage answer to each question of
# the session, in order; a function where it depends on the answer.
REACTIONS = [
    NOT_UNDERSTOOD,                                     # menu: create
    "\nSorry, but I don't know what that is. Choose one of the following...",
    "\nNOTE:\nDRAV maps must be .tmx files.\n",         # the title is free text
    INVALID_FILE,                                       # the new map's file
    NOT_UNDERSTOOD,                                     # menu: update
    # atoi reads 0, the first item, unless the answer begins with a number
    # that is not all zeros.
    lambda answer: ("\nInvalid choice!\nThat was not on the list."
                    if re.match(rb"\s*[+-]?0*[1-9]", answer)
                    else "\nYou chose to update \"Red Canyon\"."),
    INVALID_FILE,                                       # the update's file
    "\nWhat has changed in this asset?",                # preview: only "y" is yes
    "\n\nUploading '{tmp}/game/Levels/canyon_v2.tmx'... \n",  # the note is free text
    NOT_UNDERSTOOD,                                     # menu: install
    NOT_UNDERSTOOD,                                     # menu: change path
    "\n\nInvalid choice. Retry? (y/n)\n/>",             # the folder
    NOT_UNDERSTOOD,                                     # menu: exit
]
LETTERS = b"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ "
BAD_UTF8 = [b"\xc3(", b"\xff\xfe", b"\xe2\x82", b"\xed\xa0\x80", b"\xf8\x88\x80\x80", b"\xc0\xaf"]
GARBAGE = {
    "random bytes": lambda a, rng: rng.randbytes(rng.randrange(1, 300)).replace(b"\n", b"\r"),
    "1 MiB of letters": lambda a, rng: bytes(rng.choices(LETTERS, k=1 << 20)),
    "1 MiB of digits": lambda a, rng: bytes(rng.choices(b"0123456789", k=1 << 20)),
    "a NUL byte": lambda a, rng: a + b"\0" + a[:rng.randrange(0, len(a) + 1)],
    "invalid UTF-8": lambda a, rng: a + rng.choice(BAD_UTF8),
}


def check_variant(sandbox, what, timeout, change):
    """Runs the session with its answers changed by `change(answers)`, which gives them back with
    the output that the run must begin with; the output with the sandbox's root as {tmp}."""
    with sandbox() as setup:
        answers, wanted = change([answer.encode() for answer in full_session(setup)])
        run = setup.run(hn.answers(*answers), timeout=timeout)
        hn.check_clean_end(run, what)
        hn.check(len(run.out) < 64 * 1024, "%s: %d bytes of output" % (what, len(run.out)))
        hn.check_text(run.text().replace(setup.root, "{tmp}"), wanted, what)
        left = [name for name in hn.tree(setup.root) if hn.STAGING in name]
        hn.check(not left, "%s: staging left behind: %s" % (what, left))
        return run.text().replace(setup.root, "{tmp}")


def full_session(setup):
    """Makes the world of a session that creates a map, updates it, installs a subscription and
    changes the workshop path; its answers."""
    for name, data in (("game/Levels/canyon.tmx", b"<map/>"), ("src/dune.tmx", b"<map/>"),
                       ("game/Levels/canyon.png", hn.read(hn.PREVIEW)),
                       ("game/Levels/canyon_v2.tmx", b"<map v='2'/>")):
        hn.write(os.path.join(setup.root, name), data)
    item = setup.publish("Dune", os.path.join(setup.root, "src", "dune.tmx"), "--owner", "2002")
    setup.localsteam("subscribe", setup.store, item)
    setup.localsteam("install", setup.store, item)
    os.makedirs(os.path.join(setup.root, "other"))
    return ["1", "1", "Red Canyon", os.path.join(setup.game, "Levels", "canyon.tmx"),
            "2", "0", os.path.join(setup.game, "Levels", "canyon_v2.tmx"), "n", "Wider docks",
            "3", "5", os.path.join(setup.root, "other"), "x"]


def every_question(sandbox, rng):
    reference = check_variant(sandbox, "the whole session", 20, lambda answers: (answers, ""))
    hn.check(reference.count("\nUPLOAD SUCCESSFUL!\n") == 2 and "dune.tmx\"...done!" in reference
             and "path is now: {tmp}/other" in reference, "the session failed:\n" + reference)
    hn.check(reference.count(hn.PROMPT) == len(REACTIONS),
             "%d questions for %d reactions" % (reference.count(hn.PROMPT), len(REACTIONS)))
    for question, reaction in enumerate(REACTIONS):
        before = hn.PROMPT.join(reference.split(hn.PROMPT)[:question + 1]) + hn.PROMPT
        check_variant(sandbox, "the input ending before answer %d" % (question + 1), 10,
                      lambda answers: (answers[:question], before))
        for kind, make in GARBAGE.items():
            def change(answers):
                answer = answers[question] = make(answers[question], rng)
                return answers, before + (reaction(answer) if callable(reaction) else reaction)

            check_variant(sandbox, "%s as answer %d" % (kind, question + 1), 30, change)


if __name__ == "__main__":
    hn.main([every_question])
