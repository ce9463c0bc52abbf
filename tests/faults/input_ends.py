#!/usr/bin/env python3
"""End of input at every line of a whole session (create, update, install,
change path): fed only its first N lines, for every N, the tool answers as
in the whole session up to the question that finds the input ended, then
exits 0 within 10 s, and leaves no staging folder behind.
"""

import os
import sys

import fault_common as fc

TIMEOUT = 10.0


def every_line(args, rng):
    with fc.sandbox(args, "eof-whole") as setup:
        answers = fc.full_session(setup)
        whole = setup.run(fc.lines(*answers))
        fc.check_full_session(whole, setup)
        reference = whole.text().replace(setup.root, "{tmp}")
        fc.check(reference.count(fc.PROMPT) == len(answers),
                 "the whole session asked %d questions for %d answers" % (
                     reference.count(fc.PROMPT), len(answers)))

    for count in range(len(answers) + 1):
        with fc.sandbox(args, "eof-%d" % count) as setup:
            answers = fc.full_session(setup)
            run = setup.run(fc.lines(*answers[:count]), timeout=TIMEOUT)
            what = "input ending after %d of %d lines" % (count, len(answers))
            fc.check_clean_end(run, what, TIMEOUT)
            text = run.text().replace(setup.root, "{tmp}")
            same = fc.prompt_end(reference, count + 1) if count < len(answers) \
                else len(reference)
            if text[:same] != reference[:same]:
                raise fc.Failure("%s: the output parts from the whole session's "
                                 "before the input ended:\n%s" % (
                                     what, fc.first_difference(reference[:same], text)))
            for folder in (setup.game, os.path.join(setup.root, "other")):
                fc.check(not os.path.lexists(os.path.join(folder, fc.STAGING)),
                         "%s: a staging folder is left in %s" % (what, folder))


if __name__ == "__main__":
    sys.exit(fc.main(__doc__.splitlines()[0], [("every line", every_line)]))
