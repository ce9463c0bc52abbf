#!/usr/bin/env python3
"""Converts scenario files from the old form ([input] apart from [stdout])
to the dialogue form that run_scenarios.py reads, in place, and checks each
result: the new file must type the same bytes and expect the same output.

    python3 tests/scenarios/convert_scn.py FILE.scn...

Files already in the dialogue form are left alone.
"""

import re
import sys

import run_scenarios as rs
from run_scenarios import harness


def old_sections(text, path):
    """The old file's header comment and its sections, as lists of lines."""
    head, sections, current = [], [], None
    for line in text.split("\n"):
        header = re.fullmatch(r"\[(\w+)\]", line)
        if header:
            current = (header.group(1), [])
            sections.append(current)
        elif current:
            current[1].append(line)
        else:
            head.append(line)
    for name, lines in sections:
        while lines and lines[-1] == "":
            lines.pop()
        if name == "input" and any(l.startswith("#") for l in lines):
            raise rs.ScenarioError("%s: a comment among the answers" % path)
    return head, sections


def old_answers(lines):
    """(answer as written in the dialogue form, bytes typed) per input line."""
    answers = []
    for line in lines:
        if not line.strip():
            continue
        kind, text = re.match(r">(e|raw)?(?: (.*))?$", line).groups()
        text = text or ""
        if not kind:
            text = text.replace("\\", "\\\\")
            text = re.sub(r"^ +| +$", lambda m: "\\s" * len(m.group(0)), text)
        if text.endswith((rs.EOF, " \\")):
            raise rs.ScenarioError("an answer that reads as a mark: %r" % text)
        answers.append(text + (rs.EOF if kind == "raw" else ""))
    return answers


def annotate(output, answers):
    """The output with each answer on the line of its prompt."""
    pieces = re.split(r"(?:^|(?<=\n))/>", output)
    text = pieces[0]
    for k, following in enumerate(pieces[1:]):
        answer = answers[k] if k < len(answers) else rs.EOF
        if following.startswith("\n"):
            text += "/>" + (" " + answer if answer else "") + following
        elif answer.endswith(rs.EOF) or not answer:
            raise rs.ScenarioError("output on the line of a prompt without an answer")
        else:
            text += "/> " + answer + " \\\n" + following
    while text.endswith("\n"):
        text = text[:-1]
    return text.split("\n") + ["@unread " + a for a in answers[len(pieces) - 1:]]


def with_marks(lines):
    text = "\n".join(lines) + "\n"
    if text.startswith(harness.BANNER):
        text = "@banner\n" + text[len(harness.BANNER):]
    menu = re.escape(harness.menu("\0")[1:]).replace("\\\0", "\0").replace(
        "\0", "([^\n()]*)")
    text = re.sub("(?m)^" + menu, lambda m: "@menu" + (
        "" if m.group(1) == "{game}" else "(%s)" % m.group(1)), text)
    text = re.sub("(?m)^" + re.escape(harness.TYPE_MENU[1:]), "@types", text)
    return text[:-1].split("\n")


def convert(path):
    with open(path, encoding="utf-8", newline="") as handle:
        text = handle.read()
    head, sections = old_sections(text, path)
    names = [name for name, _ in sections]
    if "dialogue" in names:
        return False
    inputs = dict(sections).get("input", [])
    answers = old_answers(inputs)
    typed = b"".join(typed_bytes(line) for line in inputs if line.strip())
    outputs = [lines for name, lines in sections if name == "stdout"]
    new = list(head)
    for name, lines in sections:
        if name == "stdout":
            new += ["[dialogue]"] + with_marks(annotate(
                "".join(l + "\n" for l in lines), answers))
        elif name != "input" and lines:
            new += (["[after]"] if name == "after" else ["[%s]" % name]) + lines
    with open(path, "w", encoding="utf-8", newline="") as handle:
        handle.write("\n".join(new) + "\n")
    check(path, typed, ["".join(l + "\n" for l in lines) for lines in outputs])
    return True


def typed_bytes(line):
    kind, text = re.match(r">(e|raw)?(?: (.*))?$", line).groups()
    text = text or ""
    data = text if not kind else rs.decode_escapes(text)
    return data.encode("utf-8", "surrogateescape") + (b"" if kind == "raw" else b"\n")


def check(path, typed, outputs):
    _, dialogues, _ = rs.parse_scenario(path)
    got = "".join(dialogues[0].answers).encode("utf-8", "surrogateescape")
    if got != typed:
        raise rs.ScenarioError("%s: types %r, the old form %r" % (path, got, typed))
    for dialogue, wanted in zip(dialogues, outputs):
        if "".join(dialogue.output) != wanted:
            raise rs.ScenarioError("%s: the output differs from the old form's" % path)


def main():
    for path in sys.argv[1:]:
        try:
            print("%s %s" % ("converted" if convert(path) else "left", path))
        except rs.ScenarioError as error:
            print("FAILED %s: %s" % (path, error))
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
