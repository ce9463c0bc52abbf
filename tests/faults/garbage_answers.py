#!/usr/bin/env python3
"""Garbage as the answer to every question of a whole session (create,
update, install, change path): random bytes, a 1 MiB line of letters, a
1 MiB line of digits, the right answer with a NUL byte and more after it,
and the right answer with invalid UTF-8 after it. The rest of the session's
answers follow as usual. Each time the tool must answer as in the whole
session up to that question, react with the question's own refusal (or take
free text as text), neither crash nor hang nor echo the garbage back in
bulk, exit 0, and leave no staging folder. Run against a sanitizer build,
any report of AddressSanitizer or UBSan fails the case.
"""

import os
import re
import sys

import fault_common as fc

TIMEOUT = 30.0
MEGABYTE = 1 << 20
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
    lambda answer: ("\nYou chose to update \"Red Canyon\"." if reads_as_zero(answer)
                    else "\nInvalid choice!\nThat was not on the list."),
    INVALID_FILE,                                       # the update's file
    "\nWhat has changed in this asset?",                # preview: only "y" is yes
    "\n\nUploading '{tmp}/game/Levels/canyon_v2.tmx'... \n",  # the note is free text
    NOT_UNDERSTOOD,                                     # menu: install
    NOT_UNDERSTOOD,                                     # menu: change path
    "\n\nInvalid choice. Retry? (y/n)\n/>",             # the folder
    NOT_UNDERSTOOD,                                     # menu: exit
]


def reads_as_zero(answer):
    """Whether atoi reads 0 from the start of `answer` (the first item)."""
    match = re.match(rb"[ \t\n\v\f\r]*[+-]?([0-9]+)", answer)
    return not match or not match.group(1).strip(b"0")


def drawn_from(alphabet, size, rng):
    return rng.randbytes(size).translate(bytes(alphabet[i % len(alphabet)]
                                               for i in range(256)))


def garbage(kind, answer, rng):
    if kind == "random bytes":
        return rng.randbytes(rng.randrange(1, 300)).replace(b"\n", b"\r")
    if kind == "1 MiB of letters":
        return drawn_from(b"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ ",
                          MEGABYTE, rng)
    if kind == "1 MiB of digits":
        return drawn_from(b"0123456789", MEGABYTE, rng)
    if kind == "a NUL byte":
        return answer + b"\0" + answer[:rng.randrange(0, len(answer) + 1)]
    if kind == "invalid UTF-8":
        return answer + rng.choice([b"\xc3\x28", b"\xff\xfe", b"\xe2\x82", b"\xed\xa0\x80",
                                    b"\xf8\x88\x80\x80\x80", b"\xc0\xaf"])
    raise ValueError(kind)


KINDS = ["random bytes", "1 MiB of letters", "1 MiB of digits", "a NUL byte",
         "invalid UTF-8"]


def every_question(args, rng):
    with fc.sandbox(args, "garbage-whole") as setup:
        answers = fc.full_session(setup)
        whole = setup.run(fc.lines(*answers))
        fc.check_full_session(whole, setup)
        reference = whole.text().replace(setup.root, "{tmp}")
    fc.check(len(REACTIONS) == len(answers) == reference.count(fc.PROMPT),
             "%d reactions for %d answers and %d questions" % (
                 len(REACTIONS), len(answers), reference.count(fc.PROMPT)))

    for question, reaction in enumerate(REACTIONS):
        for kind in KINDS:
            with fc.sandbox(args, "garbage-%d" % question) as setup:
                answers = [answer.encode() for answer in fc.full_session(setup)]
                answer = garbage(kind, answers[question], rng)
                answers[question] = answer
                what = "%s as answer %d" % (kind, question + 1)
                run = setup.run(fc.lines(*answers), timeout=TIMEOUT)
                fc.check_clean_end(run, what, TIMEOUT)
                fc.check(len(run.out) < 64 * 1024,
                         "%s: %d bytes of output" % (what, len(run.out)))
                text = run.text().replace(setup.root, "{tmp}")
                same = fc.prompt_end(reference, question + 1)
                wanted = reference[:same] + (reaction(answer) if callable(reaction)
                                             else reaction)
                if not text.startswith(wanted):
                    raise fc.Failure("%s (%r...): the output differs:\n%s" % (
                        what, answer[:40], fc.first_difference(wanted, text)))
                for folder in (setup.game, os.path.join(setup.root, "other")):
                    fc.check(not os.path.lexists(os.path.join(folder, fc.STAGING)),
                             "%s: a staging folder is left in %s" % (what, folder))


if __name__ == "__main__":
    sys.exit(fc.main(__doc__.splitlines()[0], [("every question", every_question)]))
