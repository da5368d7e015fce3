#!/usr/bin/env python3
"""Writes a script of user actions for fuzz_window in its byte encoding, or reads one back.

    window_script.py OUT 'comma; type Ax0 1; type Ay0 2; type Ax1 3; type Ay1 6; enter Ay1'
    window_script.py --show IN

The first word is the decimal separator of the window (fullstop or comma); then, separated by
semicolons: type FIELD TEXT, enter FIELD, keypad FIELD (Shift+keypad Enter), click FIELD,
focus FIELD, tab, clear FIELD, back FIELD (Backspace), esborrar, nova. The encoding is the one
described at the top of fuzz_window.cpp.
"""
import sys

FIELDS = ["Ax0", "Ay0", "Ax1", "Ay1", "Ax2", "Ay2", "equacio", "resultat", "sino", "equacio2"]
ALPHABET = "01234567890123456789.,-+xy=e  XYE&Hd*/\u00e9\u00b7"
WITH_FIELD = {"enter": 5, "keypad": 8, "click": 9, "focus": 10, "clear": 12, "back": 13}
BARE = {"tab": 11, "esborrar": 14, "nova": 15}


def encode(script):
    words = [w.lstrip() for w in script.split(";")]
    out = bytearray([{"fullstop": 0, "comma": 1}[words[0].strip()]])
    for action in words[1:]:
        if not action:
            continue
        name, _, rest = action.partition(" ")
        if name == "type":
            field, _, text = rest.partition(" ")
            for start in range(0, len(text), 8):
                chunk = text[start:start + 8]
                out += bytes([0, FIELDS.index(field), len(chunk) - 1])
                out += bytes(ALPHABET.index(c) for c in chunk)
        elif name in WITH_FIELD:
            out += bytes([WITH_FIELD[name], FIELDS.index(rest)])
        else:
            out.append(BARE[name])
    return bytes(out)


def show(data):
    if not data:
        return ""
    words = ["comma" if data[0] % 2 else "fullstop"]
    names = {v: k for k, v in {**WITH_FIELD, **BARE}.items()}
    pos = 1
    while pos < len(data) and len(words) <= 40:
        kind = data[pos] % 16
        pos += 1
        if kind in BARE.values():
            words.append(names[kind])
            continue
        if pos >= len(data):
            break
        field = FIELDS[data[pos] % 10]
        pos += 1
        if kind <= 4:
            if pos >= len(data):
                break
            count = data[pos] % 8 + 1
            chars = data[pos + 1:pos + 1 + count]
            pos += 1 + count
            words.append("type %s %s" % (field, "".join(ALPHABET[c % 40] for c in chars)))
        else:
            words.append("%s %s" % ("enter" if kind in (6, 7) else names[kind], field))
    return "; ".join(words)


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--show":
        with open(sys.argv[2], "rb") as f:
            print(show(f.read()))
    elif len(sys.argv) == 3:
        with open(sys.argv[1], "wb") as f:
            f.write(encode(sys.argv[2]))
    else:
        sys.exit(__doc__)
