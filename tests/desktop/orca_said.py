#!/usr/bin/python3
"""Checks what Orca said, from the "SPEECH OUTPUT" lines of its debug log.

    orca_said.py orca.log expected.txt

Each line of expected.txt is a count, a tab and a text: the text must be said exactly that many
times, as an utterance of its own (Orca may end it with a full stop). Nothing Orca said may name a symbol, nor hold a
symbol that a voice reads by its name, except a key or character echoed as it is typed and a
menu command's keys ('Shift+Ctrl+C').
"""

import re
import sys

SYMBOL_NAMES = ("middle dot", "number", "coixinet", "left paren", "right paren", "paren",
                "punt volat", "parèntesi", "dash", "colon", "equals", "plus", "minus")
SYMBOLS = "·#()=+:"
SHORTCUT = re.compile(r"(?:(?:Shift|Ctrl|Alt|Maj|Control)\+)+\w+\.?")


def utterances(log):
    said = []
    with open(log, encoding="utf-8", errors="replace") as lines:
        for line in lines:
            found = re.search(r"SPEECH OUTPUT: '(.*?)' ?(\{.*\})?\s*$", line)
            if found:
                said.append(found.group(1))
    return said


def main():
    said = utterances(sys.argv[1])
    failures = []
    if not said:
        failures.append("Orca said nothing")
    with open(sys.argv[2], encoding="utf-8") as expected:
        for line in expected:
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            count, text = line.split("\t", 1)
            times = sum(utterance in (text, text + ".") for utterance in said)
            if times != int(count):
                failures.append(f"said {times} times, not {count}: {text!r}")
    for utterance in said:
        if len(utterance) <= 1 or utterance.endswith(" "):
            continue  # a key's name or a typed character, echoed as the pupil types
        if SHORTCUT.fullmatch(utterance):
            continue  # a menu command's keys, which Orca 48 reads after its name
        named = [name for name in SYMBOL_NAMES if name in utterance.lower()]
        held = [symbol for symbol in SYMBOLS if symbol in utterance]
        if named or held:
            failures.append(f"symbols {named + held} in {utterance!r}")
    for failure in failures:
        print("orca_said: " + failure, file=sys.stderr)
    if failures:
        print(f"orca_said: {len(said)} utterances:", file=sys.stderr)
        for utterance in said:
            print("    " + utterance, file=sys.stderr)
        return 1
    print(f"orca_said: {len(said)} utterances, each result said as expected")
    return 0


if __name__ == "__main__":
    sys.exit(main())
