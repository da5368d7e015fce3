#!/usr/bin/python3
"""A soak of the real Recta window on an X display with a window manager.

    soak.py --recta PATH [--actions N] [--seed S] [--locale ca|C] [--log FILE]
            [--clipboard PATH] [--replay LOG]

Run it inside an X server and a D-Bus session with a window manager free to start:
tests/desktop/session.sh /usr/bin/python3 soak.py ...  It starts openbox,
Recta, a second window (xmessage) and, when given, the clipboard owner; drives Recta through
xdotool as a pupil would (real clicks at the fields' places, typing, pastes, Enter, Tab,
Shift+Tab, the two commands by mouse and by Alt, points placed on the plane by clicks and by
the F4 cursor, the other window moved over it and away, the message box closed with Enter or
Escape) and reads the fields back through AT-SPI.

It fails (exit 1) when Recta dies, takes more than 2 s to answer an AT-SPI request sent after an
action, writes to stderr anything but known Qt start-up lines, grows by 2 MiB or more of resident
memory after the first thousand actions (the log also gives the process's own part of it, its
anonymous and shared memory, without the pages of code and fonts read from files), or leaves anything but a well-formed equation in the
equation field after a line entry, or misses or shows the message " falten dades" where it
should not. The actions come from the seed alone, so the same seed and count replay a run;
--replay runs the actions of a log instead, as they were logged.
"""

import argparse
import ctypes
import locale
import os
import random
import re
import signal
import subprocess
import sys
import tempfile
import time
import urllib.parse

import pyatspi
from gi.repository import Atspi

ANSWER_LIMIT_S = 2.0
GROWTH_LIMIT = 2 * 1024 * 1024
# Lines Qt may write while it starts, on any machine: nothing that Recta itself says.
KNOWN_STDERR = [
    re.compile(r"^QStandardPaths: XDG_RUNTIME_DIR not set"),
    re.compile(r"^QStandardPaths: wrong permissions on runtime directory"),
]

ACCESSIBLE_NAMES = {
    "Ax0": "Coordenada x del punt A", "Ay0": "Coordenada y del punt A",
    "Ax1": "Coordenada x del punt B", "Ay1": "Coordenada y del punt B",
    "Ax2": "Coordenada x del punt de prova", "Ay2": "Coordenada y del punt de prova",
    "equacio": "Equació de la recta", "equacio2": "Equacions de les rectes anteriors",
    "resultat": "Comprovació del punt", "sino": "Veredicte", "plane": "Pla cartesià",
}
LINE_FIELDS = ["Ax0", "Ay0", "Ax1", "Ay1", "Ax2", "Ay2", "equacio"]
Y_FIELDS = {"Ay0", "Ay1", "Ay2"}


def equation_pattern(separator):
    """What the equation field may hold after a line entry: 'y = 2·x +-3' with the shown
    numbers in their sign-position form (always a full stop), or 'x =-1,5' in plain form."""
    signed = r"(?: (?:\d+(?:\.\d{1,2})?|\.\d{1,2}|\d(?:\.\d+)?E[+-]\d\d+)" \
             r"|-(?!0(?:·|$))(?:\d+(?:\.\d{1,2})?|\.\d{1,2}|\d(?:\.\d+)?E[+-]\d\d+))"
    sep = re.escape(separator)
    plain = r"-?(?:\d+(?:%s\d+)?|\d(?:%s\d+)?E[+-]\d\d+)" % (sep, sep)
    return re.compile(r"^(?:y =%s·x \+%s|x =(?!-0$)%s)$" % (signed, signed, plain))


NOT_A_NUMBER = object()


def field_number(text, separator):
    """The number a coordinate field's text stands for, by Python's own reading of numbers
    (strtod's) after the normalisation a pupil expects: blanks dropped, the locale's separator
    as a full stop, a D exponent as an E, a/b as a quotient, &H and &O as hexadecimal and octal
    whole numbers; a blank field is 0. NOT_A_NUMBER for any other text, which the window never
    reads as a number."""
    t = re.sub(r"\s", "", text)
    if t == "":
        return 0.0
    if not t.isascii() or "_" in t:
        return NOT_A_NUMBER
    t = t.replace(separator, ".")

    def read(part):
        based = re.fullmatch(r"&([hHoO])(.*)", part)
        try:
            if based and based.group(2).isalnum():
                return float(int(based.group(2), 16 if based.group(1) in "hH" else 8))
            if based or part.lower().lstrip("+-") in ("inf", "infinity", "nan"):
                return NOT_A_NUMBER
            return float(part.replace("d", "e").replace("D", "e"))
        except ValueError:
            return NOT_A_NUMBER

    first, slash, rest = t.partition("/")
    value = read(first)
    if value is NOT_A_NUMBER or not slash:
        return value
    divisor = read(rest)
    if divisor is NOT_A_NUMBER or divisor == 0:
        return NOT_A_NUMBER
    return value / divisor


def drawable(texts, row, separator):
    """Whether the window can draw and test with these points: it refuses, with a message, a
    text that is no number and numbers of 1e15 and more, as it does an incomplete entry."""
    def usable(v):
        return v is not NOT_A_NUMBER and abs(v) < 1e15

    keys = ["Ax0", "Ay0", "Ax1", "Ay1"] + (["Ax2", "Ay2"] if row == "Ay2" else [])
    values = {k: field_number(texts[k], separator) for k in keys}
    if not all(usable(v) for v in values.values()):
        return False
    xa, ya, xb, yb = (values[k] for k in ("Ax0", "Ay0", "Ax1", "Ay1"))
    if xb - xa != 0:
        slope = (yb - ya) / (xb - xa)
        return usable(slope) and usable(-slope * xa + ya)
    return True


def expected_line(texts, separator):
    """The line through the points A and B of the fields: ("x", x) or ("y", slope, intercept)."""
    xa, ya, xb, yb = (field_number(texts[k], separator) for k in ("Ax0", "Ay0", "Ax1", "Ay1"))
    if xb == xa:
        return ("x", xb)
    slope = (yb - ya) / (xb - xa)
    return ("y", slope, ya - slope * xa)


def shown_line(equation, separator):
    """The line an equation field shows, as expected_line gives it."""
    if equation.startswith("x ="):
        return ("x", float(equation[3:].replace(separator, ".")))
    slope, intercept = equation[3:].split("·x +")
    return ("y", float(slope), float(intercept))


def same_line(shown, expected):
    """Whether the shown numbers are the expected ones as the field rounds them: to two
    decimals, or to a few digits in the exponent form."""
    return shown[0] == expected[0] and all(
        abs(a - b) <= 0.0051 + 0.01 * abs(b) for a, b in zip(shown[1:], expected[1:]))


class Failure(Exception):
    pass


def die_with_parent():
    # Children end with the driver, however it ends: PR_SET_PDEATHSIG = 1.
    libc = ctypes.CDLL(None, use_errno=True)
    libc.prctl(1, signal.SIGTERM)


class Desktop:
    """The processes of one run and what the driver knows of the window."""

    def __init__(self, args, log):
        self.args = args
        self.log = log
        self.processes = []
        self.runtime = tempfile.TemporaryDirectory(prefix="recta-soak-")
        os.chmod(self.runtime.name, 0o700)
        self.stderr_path = os.path.join(self.runtime.name, "recta.stderr")
        self.clipboard = None
        self.other = None
        self.slowest = 0.0

    def start(self, argv, **kw):
        process = subprocess.Popen(argv, preexec_fn=die_with_parent, **kw)
        self.processes.append(process)
        return process

    def stop(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
        for process in reversed(self.processes):
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        self.runtime.cleanup()

    def launch(self):
        self.start(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(0.3)
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                   XDG_RUNTIME_DIR=self.runtime.name, LANG="C.UTF-8")
        env.pop("LC_ALL", None)
        # The virtual display, even when the caller's session is a Wayland one.
        env["QT_QPA_PLATFORM"] = "xcb"
        env["LC_NUMERIC"] = "ca_ES.UTF-8" if self.args.locale == "ca" else "C.UTF-8"
        # A locale the system lacks falls back to C without a word: the comma would never be
        # typed where the program reads it.
        try:
            locale.setlocale(locale.LC_NUMERIC, env["LC_NUMERIC"])
            locale.setlocale(locale.LC_NUMERIC, "C")
        except locale.Error:
            raise SystemExit("soak: the locale %s is not generated on this system "
                             "(add it to /etc/locale.gen and run locale-gen)" % env["LC_NUMERIC"])
        self.separator = "," if self.args.locale == "ca" else "."
        self.recta = self.start([self.args.recta], env=env, stdout=subprocess.DEVNULL,
                                stderr=open(self.stderr_path, "w"))
        self.window = self.wait_window(self.recta.pid)
        self.app = self.find_application()
        # libatspi keeps states from the events it has been sent, and this driver does not run
        # the loop that reads them: ask the window each time instead.
        self.app.set_cache_mask(Atspi.Cache.NONE)
        self.app.clear_cache()
        self.read_accessible()
        if self.args.clipboard:
            self.clipboard = self.start([self.args.clipboard], env=env, stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                        text=True)
        self.start_other()

    def wait_window(self, pid):
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline:
            found = self.windows_of(pid)
            if found:
                return found[0]
            time.sleep(0.05)
        raise Failure("no window of process %d" % pid)

    def windows_of(self, pid):
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
                             capture_output=True, text=True).stdout
        return out.split()

    def start_other(self):
        self.other_process = self.start(
            ["xmessage", "-buttons", "", "-geometry", "220x90+1040+40",
             "Una altra finestra"], stderr=subprocess.DEVNULL)
        # xmessage does not name its process on its window; it is the only one of its class.
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline:
            out = subprocess.run(["xdotool", "search", "--onlyvisible", "--class", "Xmessage"],
                                 capture_output=True, text=True).stdout.split()
            if out:
                self.other = out[0]
                return
            time.sleep(0.05)
        raise Failure("the other window does not show")

    def find_application(self):
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline:
            for app in pyatspi.Registry.getDesktop(0):
                if app is not None and app.get_process_id() == self.recta.pid:
                    return app
            time.sleep(0.05)
        raise Failure("Recta does not show on the accessibility bus")

    def read_accessible(self):
        """The fields and the plane by accessible name, the panel, and the menu commands with
        their places."""
        self.accessible = {}
        self.menu = {}
        names = {v: k for k, v in ACCESSIBLE_NAMES.items()}

        def walk(node):
            for child in node:
                if child is None:
                    continue
                role = child.getRole()
                if role == pyatspi.ROLE_MENU_ITEM and child.name in ("esborrar", "nova recta"):
                    self.menu[child.name] = self.extents(child)
                elif child.name in names:
                    self.accessible[names[child.name]] = child
                walk(child)

        frame = self.app[0].queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        self.ratio = self.window_size()[0] / frame.width
        walk(self.app)
        if len(self.accessible) != len(ACCESSIBLE_NAMES) or len(self.menu) != 2:
            raise Failure("fields or menu commands missing on the accessibility bus: %s %s"
                          % (sorted(self.accessible), sorted(self.menu)))
        # The panel that holds the table's fields is the one without a name of its own.
        self.panel = self.accessible["Ax0"].parent
        if self.panel is None:
            raise Failure("the table's panel is missing on the accessibility bus")
        self.read_geometry()

    def extents(self, node):
        """A control's rectangle in the X server's pixels: AT-SPI gives Qt's device-independent
        ones, which differ when Qt scales (QT_SCALE_FACTOR)."""
        ext = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return tuple(round(v * self.ratio) for v in (ext.x, ext.y, ext.width, ext.height))

    def window_size(self):
        out = subprocess.run(["xwininfo", "-id", self.window], capture_output=True,
                             text=True).stdout
        values = dict(re.findall(r"^\s*([A-Za-z -]+):\s+(-?\d+)\s*$", out, re.M))
        self.origin = (int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]))
        return int(values["Width"]), int(values["Height"])

    def read_geometry(self):
        """Where the window has each field, the panel and the plane now, from its accessibility
        tree: a field's part that its parent does not cut off, in the X server's pixels."""
        self.window_size()
        self.places = {}
        for key, node in list(self.accessible.items()) + [("panel", self.panel)]:
            x, y, w, h = self.extents(node)
            px, py, pw, ph = self.extents(node.parent)
            left, top = max(x, px), max(y, py)
            self.places[key] = (left, top, min(x + w, px + pw) - left, min(y + h, py + ph) - top)
            if self.places[key][2] <= 0 or self.places[key][3] <= 0:
                raise Failure("%s is not shown: %s in %s" % (key, (x, y, w, h), (px, py, pw, ph)))
        self.log.write("   places %s\n" % sorted(self.places.items()))

    def place(self, key):
        return self.places[key]

    def alive(self):
        if self.recta.poll() is not None:
            raise Failure("Recta ended with status %s" % self.recta.returncode)

    def memory(self):
        """Resident memory in bytes: all of it, and the process's own (anonymous and shared
        memory), without the pages of the libraries' code and the fonts that it has read, which
        are files the kernel keeps in memory or drops as it needs."""
        fields = {}
        with open("/proc/%d/status" % self.recta.pid) as status:
            for line in status:
                name, _, value = line.partition(":")
                if name in ("VmRSS", "RssAnon", "RssShmem"):
                    fields[name] = int(value.split()[0]) * 1024
        if len(fields) != 3:
            raise Failure("no resident memory in /proc")
        return fields["VmRSS"], fields["RssAnon"] + fields["RssShmem"]

    def text(self, key):
        ti = self.accessible[key].queryText()
        return ti.getText(0, -1)

    def state(self, key):
        return self.accessible[key].getState()

    def focused_field(self):
        for key in LINE_FIELDS:
            states = self.state(key)
            if states.contains(pyatspi.STATE_FOCUSED):
                return key, states.contains(pyatspi.STATE_ENABLED)
        return None, False

    def round_trip(self):
        """An AT-SPI request that the window's event loop answers once it has handled what was
        sent before; too slow an answer fails."""
        start = time.monotonic()
        self.accessible["equacio"].queryText().characterCount
        answer = time.monotonic() - start
        self.slowest = max(self.slowest, answer)
        if answer > ANSWER_LIMIT_S:
            raise Failure("the window took %.2f s to answer" % answer)

    def click(self, x, y):
        """A click in the window, then a wait until the window manager has given it the keys,
        as a pupil waits to see the window active; the same actions then land alike."""
        xdo("mousemove", x, y, "mousedown", "1", "mouseup", "1")
        deadline = time.monotonic() + ANSWER_LIMIT_S
        while not self.has_input_focus() and time.monotonic() < deadline:
            time.sleep(0.01)

    def input_focus(self):
        return subprocess.run(["xdotool", "getwindowfocus"], capture_output=True,
                              text=True).stdout.strip()

    def has_input_focus(self):
        return self.input_focus() == self.window

    def box_up(self):
        return len(self.windows_of(self.recta.pid)) > 1

    def record_failure(self, log_path):
        """What the window shows when a run fails: its fields in the log, the screen beside it."""
        try:
            for key in ACCESSIBLE_NAMES:
                self.log.write("   %s %r\n" % (key, self.text(key)))
        except Exception:  # the window may be gone or hung; the log says what is known
            pass
        if subprocess.run(["sh", "-c", "command -v import"], capture_output=True).returncode == 0:
            screen = os.path.splitext(log_path)[0] + ".png"
            subprocess.run(["import", "-window", "root", screen], capture_output=True, timeout=20)
            print("the screen at the failure is in %s" % screen, file=sys.stderr)

    def stderr_lines(self):
        with open(self.stderr_path, errors="replace") as f:
            return [line.rstrip("\n") for line in f if line.strip()]


def xdo(*argv):
    command = "xdotool " + " ".join(map(str, argv))
    try:
        done = subprocess.run(["xdotool", *map(str, argv)], capture_output=True, text=True,
                              timeout=10)
    except subprocess.TimeoutExpired:
        raise Failure("%s did not return" % command)
    if done.returncode != 0:
        raise Failure("%s failed: %s" % (command, done.stderr.strip()))


class Soak:
    def __init__(self, desktop, seed, log):
        self.d = desktop
        self.random = random.Random(seed)
        # Reactions (how a box is closed) draw from their own stream, so that the actions
        # stay the seed's whatever the window did.
        self.react = random.Random(seed ^ 0x5EED)
        self.log = log
        self.pattern = equation_pattern(desktop.separator)
        self.entries = 0
        self.boxes = 0
        self.spent = {}
        self.closes = []
        self.unjudged = 0

    # What a pupil types.
    def token(self):
        r = self.random
        kind = r.randrange(10)
        if kind < 4:
            number = "%s%d" % (r.choice(["", "", "-", "+"]), r.randrange(-30, 31))
            if r.random() < 0.4:
                number += r.choice([".", ","]) + str(r.randrange(100))
            return number
        if kind < 6:
            return "".join(r.choice("0123456789-+.,xyeE=& ") for _ in range(r.randrange(1, 6)))
        if kind < 8:
            return r.choice(["y=2x+3", "y=-x", "y=0,5x+1", "y=.25x-1", "x=3", "x=-2,5",
                             "y=3", "Y=2X-3", "y=x/2+1", "y=40000x", "x=", "2x+3",
                             "y=1e300x", "x=1e20", "y=0.33x"])
        if kind < 9:
            return r.choice(["abc", "hola", "xyz", "pi", "E", "&H1F", "1e400", "-1e308", "·", "é"])
        return str(r.random() * 10 ** r.randrange(-3, 18))

    def long_text(self):
        r = self.random
        piece = r.choice(["1234567890", "-1,5", "y=2x+3", "0.333333", "abc ", "9" * 40])
        # Up to 2,000 characters: Qt keeps each line field's undo list at the size of the
        # longest edit it has seen (24 bytes a character), so pastes of 8,000 characters into
        # eight fields would show as several megabytes of "growth" that is no leak.
        text = (piece * 200)[: r.randrange(50, 2001)]
        if r.random() < 0.2:
            text = text[: len(text) // 2] + "\n" + text[len(text) // 2:]
        return text

    def next_action(self):
        r = self.random
        roll = r.randrange(1000)
        if roll < 200:
            key = r.choice(LINE_FIELDS * 3 + ["resultat", "sino", "equacio2", "panel", "plane"])
            return ["click", key, round(r.random(), 3), round(r.random(), 3)]
        if roll < 240:
            # A point placed on the plane, by a click anywhere on it (past the grid, on the
            # table) or by the keyboard's cursor.
            return ["place", round(r.random(), 3), round(r.random(), 3)]
        if roll < 260:
            return ["cursor", [r.choice(["Left", "Right", "Up", "Down", "shift+Left", "shift+Up",
                                         "ctrl+Left", "ctrl+Right"])
                               for _ in range(r.randrange(0, 8))] + [r.choice(["Return", "space"])]]
        if roll < 520:
            return ["type", self.token()]
        if roll < 540:
            return ["paste", self.long_text()]
        if roll < 660:
            return ["key", r.choice(["Return"] * 4 + ["KP_Enter", "shift+Return"])]
        if roll < 780:
            return ["key", r.choice(["Tab", "Tab", "shift+Tab"])]
        if roll < 870:
            return ["key", r.choice(["BackSpace", "BackSpace", "Delete", "Home", "End", "Left",
                                     "ctrl+a", "Escape"])]
        if roll < 900:
            return ["menu", r.choice(["esborrar", "nova recta"])]
        if roll < 930:
            return ["key", r.choice(["alt+e", "alt+n"])]
        if roll < 945:
            return ["cover", r.random() < 0.5]
        # A new line through two points, typed field by field, as the lesson goes.
        return ["line", [self.token() if r.random() < 0.2 else str(r.randrange(-20, 21))
                         for _ in range(4)]]

    def do(self, action):
        kind = action[0]
        d = self.d
        if kind == "click":
            x, y, w, h = d.place(action[1])
            d.click(x + 2 + int(action[2] * max(w - 4, 1)),
                    y + 2 + int(action[3] * max(h - 4, 1)))
            if action[1] == "plane":
                d.round_trip()
                self.close_box_if_up()
        elif kind in ("place", "cursor"):
            before = d.text("equacio")
            if kind == "place":
                x, y, w, h = d.place("plane")
                d.click(x + 2 + int(action[1] * (w - 4)), y + 2 + int(action[2] * (h - 4)))
            else:
                xdo("key", "--delay", "1", "F4", *action[1])
            d.round_trip()
            # A point that completes the entry is Enter in B's y: a field that is no number
            # is told in the message box.
            self.close_box_if_up()
            if kind == "cursor":
                xdo("key", "--delay", "1", "Escape")
            d.round_trip()
            equation = d.text("equacio")
            if equation != before and equation and not self.pattern.match(equation):
                raise Failure("after a point placed on the plane the equation field holds %r"
                              % equation)
        elif kind == "type":
            xdo("type", "--delay", "1", "--", action[1])
        elif kind == "paste":
            if d.clipboard:
                d.clipboard.stdin.write(urllib.parse.quote(action[1]) + "\n")
                d.clipboard.stdin.flush()
                if d.clipboard.stdout.readline().strip() != "ok":
                    raise Failure("the clipboard owner did not answer")
                xdo("key", "--delay", "1", "ctrl+v")
            else:
                xdo("type", "--delay", "0", "--", action[1][:200])
        elif kind == "key":
            self.key(action[1])
        elif kind == "menu":
            x, y, w, h = d.menu[action[1]]
            d.click(x + w // 2, y + h // 2)
            self.after_menu()
        elif kind == "cover":
            x, y = d.origin
            xdo("windowmove", d.other, x + 40, y + 60)
            # An activation is waited for: the keys then go to the other window from the next
            # action on, not from some later moment the window manager picks.
            if action[1]:
                xdo("windowactivate", "--sync", d.other)
            else:
                xdo("windowraise", d.other)
            d.round_trip()
            xdo("windowmove", d.other, 1040, 40)
        elif kind == "line":
            # The window gets the keys by a click on the panel below its fields, where a click
            # on the plane would place a point.
            x, y, w, h = d.place("panel")
            d.click(x + w // 2, y + h - 4)
            xdo("key", "--delay", "1", "alt+n")
            self.after_menu()
            for key, text in zip(["Ax0", "Ay0", "Ax1", "Ay1"], action[1]):
                x, y, w, h = d.place(key)
                d.click(x + w // 2, y + h // 2)
                xdo("type", "--delay", "1", "--", text)
            self.key("Return")

    def after_menu(self):
        d = self.d
        d.round_trip()
        if d.box_up():
            # The open box kept the command from the window.
            self.close_box_if_up()
            return
        # Both commands empty the equation and the point fields. The window can read an AT-SPI
        # request before X events sent earlier, so the round trip alone does not show that the
        # command has run (the run with seed 777001 met this at action 1,954).
        deadline = time.monotonic() + ANSWER_LIMIT_S
        while time.monotonic() < deadline and (d.text("equacio") or d.text("Ax0")):
            time.sleep(0.01)
        self.close_box_if_up()

    def key(self, name):
        d = self.d
        enter = name in ("Return", "KP_Enter", "shift+Return")
        if not enter:
            xdo("key", "--delay", "1", name)
            if name in ("alt+e", "alt+n"):
                self.after_menu()
            return
        focus, enabled = d.focused_field()
        # Qt hears of a lost focus only some time after the X server moved it: the keys go where
        # the server says.
        if not d.has_input_focus():
            focus = None
        before = {key: d.text(key) for key in LINE_FIELDS}
        xdo("key", "--delay", "1", name)
        if not enabled or (focus not in Y_FIELDS and focus != "equacio"):
            self.close_box_if_up()
            return
        complete = all(before[k].strip() != "" for k in ("Ax0", "Ay0", "Ax1", "Ay1"))
        if focus == "equacio":
            # An equation the reading cannot complete leaves the field as it is.
            d.round_trip()
            self.close_box_if_up()
            d.round_trip()
            equation = d.text("equacio")
            if equation == "" and before["equacio"] != "":
                # An entry never empties the field; a menu command still on its way does (the
                # run with seed 780 met this at action 72,768).
                self.unjudged += 1
                self.log.write("   not judged: the equation field was emptied\n")
            elif equation != before["equacio"]:
                self.entries += 1
                self.log.write("   equation %r\n" % equation)
                if not self.pattern.match(equation):
                    raise Failure("after an equation entry the equation field holds %r"
                                  % equation)
            return
        # True: a line must follow; False: the message must; None: either may.
        expect = drawable(before, focus, d.separator) if complete else False
        deadline = time.monotonic() + ANSWER_LIMIT_S
        # Wait until the Enter has been handled: a box, or a new equation.
        while True:
            if d.box_up():
                if expect is True:
                    raise Failure("a message box for the points %s" % before)
                self.close_box_if_up()
                return
            equation = d.text("equacio")
            if expect is not False and self.pattern.match(equation):
                break
            if time.monotonic() > deadline:
                # Now and then (about once in 5,000 actions, never in a replay) the focus is found
                # back in another field: the key went elsewhere, and nothing can be judged.
                now, _ = d.focused_field()
                if now != focus or not d.has_input_focus():
                    self.unjudged += 1
                    self.log.write("   not judged: the focus is in %s, not %s\n" % (now, focus))
                    return
                if expect is False:
                    raise Failure("no message box for the points %s" % before)
                raise Failure("after Enter in %s the equation field holds %r"
                              % (focus, equation))
            time.sleep(0.01)
        d.round_trip()
        if d.box_up():
            if expect is True:
                raise Failure("a message box for the points %s" % before)
            self.close_box_if_up()
            return
        self.entries += 1
        equation = d.text("equacio")
        self.log.write("   equation %r\n" % equation)
        if not self.pattern.match(equation):
            raise Failure("after a line entry the equation field holds %r" % equation)
        if expect and not same_line(shown_line(equation, d.separator),
                                    expected_line(before, d.separator)):
            raise Failure("the points %s gave the line %r" % (before, equation))

    def close_box_if_up(self):
        d = self.d
        if not d.box_up():
            return
        self.boxes += 1
        how = self.closes.pop(0) if self.closes else self.react.choice(["Return", "Escape"])
        self.log.write("   close the box with %s\n" % how)
        deadline = time.monotonic() + ANSWER_LIMIT_S
        attempts = 0
        while d.box_up():
            if time.monotonic() > deadline:
                raise Failure("the message box stays up after %s" % how)
            windows = d.windows_of(d.recta.pid)
            box = [w for w in windows if w != d.window]
            if attempts:
                self.log.write("   still up: windows %s, keys to %s\n"
                               % (windows, d.input_focus()))
            if box:
                xdo("windowactivate", "--sync", box[-1])
                xdo("key", "--delay", "1", how)
            attempts += 1
            time.sleep(0.05)

    def run(self, actions, replay=None):
        d = self.d
        baseline = None
        started = time.monotonic()
        for n in range(actions):
            action = replay[n] if replay else self.next_action()
            self.log.write("%d %r\n" % (n, action))
            if n % 50 == 0:
                self.log.flush()
            begun = time.monotonic()
            self.do(action)
            count, spent = self.spent.get(action[0], (0, 0.0))
            self.spent[action[0]] = (count + 1, spent + time.monotonic() - begun)
            d.alive()
            d.round_trip()
            if d.other_process.poll() is not None:
                d.start_other()
            if n == min(1000, actions // 2):
                baseline = d.memory()
            if n % 1000 == 999:
                self.log.write("   resident memory %d KiB, its own %d KiB\n"
                               % tuple(m // 1024 for m in d.memory()))
                self.check_stderr()
                # Wherever the window is now, and at whatever size.
                d.read_geometry()
        total, own = (now - then for now, then in zip(d.memory(), baseline))
        for kind, (count, spent) in sorted(self.spent.items()):
            self.log.write("%s: %d, %.0f ms each\n" % (kind, count, spent * 1000 / count))
        self.log.write("resident memory grew by %d KiB, its own by %d KiB, after action %d\n"
                       % (total // 1024, own // 1024, min(1000, actions // 2)))
        print("%d actions in %.0f s: %d line entries, %d message boxes, %d Enter not judged, "
              "slowest answer %.0f ms, resident memory %+d KiB, its own %+d KiB, after action %d"
              % (actions, time.monotonic() - started, self.entries, self.boxes, self.unjudged,
                 d.slowest * 1000, total // 1024, own // 1024, min(1000, actions // 2)))
        if total >= GROWTH_LIMIT:
            raise Failure("resident memory grew by %d KiB" % (total // 1024))
        self.check_stderr()

    def check_stderr(self):
        unknown = [line for line in self.d.stderr_lines()
                   if not any(p.search(line) for p in KNOWN_STDERR)]
        if unknown:
            raise Failure("Recta wrote to stderr: %s" % unknown[:5])


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--recta", required=True)
    parser.add_argument("--actions", type=int, default=2000)
    parser.add_argument("--seed", type=int, default=None)
    parser.add_argument("--locale", choices=["ca", "C"], default="ca")
    parser.add_argument("--log", default="desktop_soak.log")
    parser.add_argument("--clipboard", default=None)
    parser.add_argument("--replay", default=None)
    args = parser.parse_args()
    seed = args.seed if args.seed is not None else random.randrange(2 ** 31)
    replay = None
    closes = []
    if args.replay:
        import ast
        with open(args.replay) as f:
            lines = f.read().splitlines()
        replay = [ast.literal_eval(m.group(1)) for m in
                  (re.match(r"^\d+ (\[.*\])$", line) for line in lines) if m]
        closes = [m.group(1) for m in
                  (re.match(r"^   close the box with (\w+)$", line) for line in lines) if m]
        args.actions = len(replay)

    log = open(args.log, "w")
    if replay:
        log.write("# %s --replay %s --locale %s\n" % (sys.argv[0], args.replay, args.locale))
    else:
        log.write("# %s --actions %d --seed %d --locale %s\n"
                  % (sys.argv[0], args.actions, seed, args.locale))
    desktop = Desktop(args, log)
    for sig in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(sig, lambda *_: sys.exit(3))
    # A request the window does not answer fails after 10 s instead of D-Bus's 25.
    Atspi.set_timeout(10000, 20000)
    status = 0
    try:
        desktop.launch()
        soak = Soak(desktop, seed, log)
        soak.closes = closes
        soak.run(args.actions, replay)
    except Exception as failure:  # a dead or hung window shows as any kind of error here
        status = 1
        if not isinstance(failure, Failure):
            failure = "%s: %s" % (type(failure).__name__, failure)
        print("FAILED: %s" % failure, file=sys.stderr)
        log.write("FAILED: %s\n" % failure)
        desktop.record_failure(args.log)
        lines = desktop.stderr_lines() if os.path.exists(desktop.stderr_path) else []
        if lines:
            print("Recta's stderr:\n  " + "\n  ".join(lines[-20:]), file=sys.stderr)
        print("seed %d, locale %s; the actions are in %s" % (seed, args.locale, args.log),
              file=sys.stderr)
    finally:
        log.close()
        desktop.stop()
    return status


if __name__ == "__main__":
    sys.exit(main())
