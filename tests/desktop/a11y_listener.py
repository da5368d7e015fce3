#!/usr/bin/python3
"""Types a session into the real program and listens on the accessibility bus meanwhile.

Each result must arrive as a change of the accessible description of the control that has the
focus, with the result's text in the event: a screen reader (Orca) speaks such a change, and
ignores text that changes in any other control.

Run by a11y_session.sh, which provides the X server, the D-Bus session and the AT-SPI bus.
"""

import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

WAIT = 5.0  # seconds, the longest any step may take
START = 30.0  # seconds for the program to start and join the bus, on a busy machine
# Seconds between keys; a screen reader listening on the same bus needs some to keep up.
PAUSE = float(os.environ.get("RECTA_A11Y_PAUSE", "0"))
# The log of a screen reader listening too (Orca's debug log): a result told on the bus is waited
# for there as well, as a pupil waits to hear it before the next key.
HEARD = os.environ.get("RECTA_A11Y_HEARD")
HEAR = 15.0  # seconds for the screen reader to say a result, on a busy machine
deaf = [False]

DESCRIPTION = "object:property-change:accessible-description"
PLANE_KEY = "F2"  # says the plane's description
FOCUSED = "object:state-changed:focused"
# Qt 6.8 and later tell a result as an announcement from the focused control.
ANNOUNCEMENT = "object:announcement"

events = []  # (type, source, text carried, the control that had the focus then)
focus = [None]


def on_event(event):
    if event.type.startswith(FOCUSED):
        if event.detail1:
            focus[0] = event.source
        return
    data = event.any_data if isinstance(event.any_data, str) else None
    events.append((event.type, event.source, data, focus[0]))


def pump(seconds, done=lambda: False):
    """Runs the bus's events for at most `seconds`, or until done()."""
    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        while context.iteration(False):
            pass
        if done():
            return True
        time.sleep(0.02)
    return done()


def name_of(accessible):
    try:
        return accessible.name
    except Exception:  # the object has gone
        return "?"


def says(root, text):
    """Whether root or an object below it shows the text, as name or as text."""
    try:
        if name_of(root) == text or root.queryText().getText(0, -1) == text:
            return True
    except Exception:  # no text to read
        pass
    return any(says(root.getChildAtIndex(index), text) for index in range(root.childCount))


def find(root, name):
    """The first object below root whose accessible name is name."""
    if name_of(root) == name:
        return root
    for index in range(root.childCount):
        found = find(root.getChildAtIndex(index), name)
        if found is not None:
            return found
    return None


def program(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for index in range(desktop.childCount):
        app = desktop.getChildAtIndex(index)
        try:
            if app.get_process_id() == pid:
                return app
        except Exception:
            continue
    return None


def xdotool(*args):
    subprocess.run(["xdotool", *args], check=True, timeout=WAIT)


def keys(*names):
    for name in names:
        xdotool("key", name)
        pump(PAUSE)


def type_text(text):
    xdotool("type", "--delay", "30", "--", text)
    pump(PAUSE)


failures = []


def focus_window(window):
    # With a window manager the window is activated through it, without one it is given the
    # keyboard directly.
    activated = subprocess.run(["xdotool", "windowactivate", "--sync", window],
                               capture_output=True, timeout=WAIT)
    if activated.returncode != 0:
        xdotool("windowfocus", "--sync", window)


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL: " + message, file=sys.stderr)
    return condition


def description_of(accessible):
    try:
        return accessible.description
    except Exception:  # the object has gone
        return None


def heard(text, whole=True):
    """Whether the screen reader has said the text, as an utterance of its own or within one."""
    with open(HEARD, encoding="utf-8", errors="replace") as log:
        said = log.read()
    return f"SPEECH OUTPUT: '{text}" in said if whole else any(
        text in line for line in said.splitlines() if "SPEECH OUTPUT: '" in line)


def told(text, seconds=WAIT):
    """Waits for the text to arrive as a description change of the focused control, or as the
    description of a control that the focus has just come to, which a screen reader reads."""

    def arrived():
        return any(
            kind.startswith((DESCRIPTION, ANNOUNCEMENT))
            and data == text
            and source is not None
            and source == focused
            for kind, source, data, focused in events
        ) or (focus[0] is not None and description_of(focus[0]) == text)

    if pump(seconds, arrived):
        print("told at the focus: " + text)
        # What the screen reader said is judged after the session; once it has missed a result,
        # it is not waited for again, so that a screen reader that hangs ends the session soon.
        if HEARD and not deaf[0] and not pump(HEAR, lambda: heard(text)):
            print("not heard: " + text)
            deaf[0] = True
        return True
    seen = [
        (data, name_of(source), name_of(focused) if focused else None)
        for kind, source, data, focused in events
        if kind.startswith((DESCRIPTION, ANNOUNCEMENT))
    ]
    return check(False, f"not told at the focus: {text!r}; description changes seen: {seen}")


def named(name, since=0):
    """Checks that the screen reader names the control, after that point of its log."""
    def said():
        with open(HEARD, encoding="utf-8", errors="replace") as log:
            log.seek(since)
            return f"SPEECH OUTPUT: '{name}" in log.read()

    return not HEARD or check(pump(HEAR, said), f"the screen reader did not name {name!r}")


def reach(key, name):
    """Presses the key that takes the focus to the control, which the screen reader names."""
    since = os.path.getsize(HEARD) if HEARD else 0
    keys(key)
    wait_focus(name)
    named(name, since)


def wait_focus(name):
    return check(
        pump(WAIT, lambda: focus[0] is not None and name_of(focus[0]) == name),
        f"the focus did not reach {name!r} (it is at {name_of(focus[0]) if focus[0] else None!r})",
    )


def main():
    recta = sys.argv[1]
    for kind in (DESCRIPTION, ANNOUNCEMENT, FOCUSED, "object:text-changed", "window:activate"):
        pyatspi.Registry.registerEventListener(on_event, kind)

    env = dict(os.environ)
    env.update(
        {
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
            "QT_QPA_PLATFORM": "xcb",
            "QT_ACCESSIBILITY": "1",
            "LC_ALL": "C.UTF-8",  # the full stop as decimal separator, as the texts below are
        }
    )
    app = subprocess.Popen([recta], env=env)
    try:
        if not check(pump(START, lambda: program(app.pid) is not None), "the program is not on the bus"):
            return 1
        window = subprocess.run(
            ["xdotool", "search", "--sync", "--onlyvisible", "--pid", str(app.pid), "--name", "^Recta$"],
            capture_output=True, text=True, timeout=WAIT, check=True,
        ).stdout.split()[0]
        focus_window(window)
        root = program(app.pid)
        plane = find(root, "Pla cartesià")
        kept = find(root, "Equacions de les rectes anteriors")
        if not check(plane is not None and kept is not None, "the plane or the kept equations are not in the tree"):
            return 1
        if not wait_focus("Coordenada x del punt A"):
            return 1
        named("Coordenada x del punt A")

        # Enter with A and B empty: " falten dades" is a message box, which a screen reader
        # reads out as it opens.
        events.clear()
        keys("Tab", "Return")
        if check(pump(WAIT, lambda: any(kind == "window:activate" and says(source, " falten dades")
                                        for kind, source, data, focused in events)),
                 "no message box \" falten dades\" opened"):
            print("message box: falten dades")
        keys("Return")
        focus_window(window)  # without a window manager no one gives it back
        wait_focus("Coordenada y del punt A")
        keys("shift+Tab")
        wait_focus("Coordenada x del punt A")

        # A = (0, 1), B = (1, 3): Enter in B's y draws y = 2x + 1. Each field is named as the
        # focus first comes to it.
        type_text("0")
        reach("Tab", "Coordenada y del punt A")
        type_text("1")
        reach("Tab", "Coordenada x del punt B")
        type_text("1")
        reach("Tab", "Coordenada y del punt B")
        type_text("3")
        reach("Return", "Coordenada x del punt de prova")
        told("Recta y és igual a 2 per x més 1.")

        # The test point (2, 5), from where the focus went; then (2, 6), off the line.
        type_text("2")
        reach("Tab", "Coordenada y del punt de prova")
        type_text("5")
        keys("Return")
        told("5 és igual a 2 per 2 més 1. Està en la recta.")
        events.clear()
        keys("Return")  # the same test again is told again
        told("5 és igual a 2 per 2 més 1. Està en la recta.")
        keys("ctrl+a")
        type_text("6")
        keys("Return")
        told("6 no és igual a 2 per 2 més 1. No està en la recta.")

        # The plane's description, on request, where the pupil is.
        events.clear()
        keys(PLANE_KEY)
        told("Recta y és igual a 2 per x més 1. Punt de prova x 2, y 6. No està en la recta.")
        keys("ctrl+shift+c")
        told("Imatge del pla copiada.")

        # The plane's menu, by either key, is heard by its first command as it opens.
        for key in ("shift+F10", "Menu"):
            reach(key, "Copia la imatge")
            reach("Escape", "Coordenada y del punt de prova")

        # "nova recta" keeps the line, says so, and leaves the keyboard in A's x; an equation
        # with a decimal slope crosses it.
        # The plane is a picture whose text is its description, which a review of the window
        # reads, in Catalan.
        said = "Recta y és igual a 2 per x més 1. Punt de prova x 2, y 6. No està en la recta."
        plane_text = plane.queryText()
        check(plane.getRoleName() == "image" and plane_text.getText(0, -1) == said,
              f"the plane is a {plane.getRoleName()!r} reading {plane_text.getText(0, -1)!r}")
        language = plane_text.getAttributeRun(0, False)[0]
        check("language:ca" in language, f"the plane's text attributes: {language!r}")

        reach("alt+n", "Coordenada x del punt A")
        told("Recta guardada y és igual a 2 per x més 1. Escriviu la x del punt A.")
        check(pump(WAIT, lambda: plane.description == "Recta guardada y és igual a 2 per x més 1."),
              f"plane after nova recta: {plane.description!r}")
        keys("Tab", "Tab", "Tab", "Tab")
        wait_focus("Equació de la recta")
        # An equation that is no line is refused in a message box, read out as it opens; the
        # keyboard comes back to the equation, with the text as typed.
        events.clear()
        type_text("y")
        keys("Return")
        if check(pump(WAIT, lambda: any(kind == "window:activate" and says(source, "Falta el signe igual.")
                                        for kind, source, data, focused in events)),
                 "no message box \"Falta el signe igual.\" opened"):
            print("message box: Falta el signe igual.")
        keys("Return")
        focus_window(window)
        wait_focus("Equació de la recta")
        keys("ctrl+a")
        type_text("y=0.5x+2")
        keys("Return")
        told("Recta y és igual a 0,5 per x més 2. Es tallen al punt x 0,67, y 2,33.")
        expected = ("Recta y és igual a 0,5 per x més 2. Recta guardada y és igual a 2 per x més 1. "
                    "Es tallen al punt x 0,67, y 2,33.")
        check(pump(WAIT, lambda: plane.description == expected),
              f"plane description {plane.description!r}, expected {expected!r}")

        # The kept equations are in the tree with their text, though they take no focus.
        states = kept.getState()
        text = kept.queryText().getText(0, -1)
        check(text.splitlines() == ["y = 2·x + 1", "y = .5·x + 2"], f"kept equations read {text!r}")
        print(f"kept equations: {kept.getRoleName()}, {text!r}, "
              + " ".join(pyatspi.stateToString(state) for state in states.getStates()))
        check(not states.contains(pyatspi.STATE_FOCUSABLE) or not states.contains(pyatspi.STATE_ENABLED),
              "the kept equations take the focus")

        # A parallel line by its equation, then the same line again by two points: coincident.
        keys("alt+n")
        told("Recta guardada y és igual a 0,5 per x més 2. Escriviu la x del punt A.")
        keys("Tab", "Tab", "Tab", "Tab")
        wait_focus("Equació de la recta")
        type_text("y=0.5x-1")
        keys("Return")
        told("Recta y és igual a 0,5 per x menys 1. Són paraŀleles.")
        keys("alt+n")
        told("Recta guardada y és igual a 0,5 per x menys 1. Escriviu la x del punt A.")
        type_text("0")
        keys("Tab")
        type_text("-1")
        keys("Tab")
        type_text("2")
        keys("Tab")
        type_text("0")
        keys("Return")
        told("Recta y és igual a 0,5 per x menys 1. Són coincidents.")

        # "esborrar", from the test point's y: the plane shows nothing again, and the keyboard is
        # in A's x, which is named.
        reach("Tab", "Coordenada y del punt de prova")
        reach("alt+e", "Coordenada x del punt A")
        told("Pla esborrat. Escriviu la x del punt A.")
        check(pump(WAIT, lambda: not plane.description.startswith("Recta")),
              f"plane after esborrar: {plane.description!r}")

        # In the screen reader's review of the window, line by line, the plane says what it shows.
        if HEARD:
            empty_plane = "Els eixos amb una quadrícula de punts de menys 20 a 20"
            keys("KP_Subtract")  # Orca's flat review, from the focus
            for key in ["KP_Home"] * 4 + ["KP_Page_Up"] * 8:
                if heard(empty_plane, whole=False):
                    break
                keys(key)
            check(pump(HEAR, lambda: heard(empty_plane, whole=False)),
                  "the plane is not in the screen reader's review of the window")
            keys("KP_Subtract")

        # F4 takes the keyboard to the cursor on the plane, at the origin while nothing has been
        # placed; each move is told once, and so is each point placed, B with its line.
        reach("F4", "Pla cartesià")
        told("x 0, y 0, a l'origen")
        for key, said in [("Right", "x 1, y 0, sobre l'eix de les x"), ("Up", "x 1, y 1"),
                          ("Return", "Punt A x 1, y 1."), ("Right", "x 2, y 1"),
                          ("Up", "x 2, y 2"), ("Up", "x 2, y 3"),
                          ("Return", "Punt B x 2, y 3. Recta y és igual a 2 per x menys 1."),
                          ("ctrl+Left", "x 1, y 1, a la recta"),
                          ("shift+F3", "Talla l'eix de les y a menys 1 i l'eix de les x a 0,5. "
                                       "Puja d'esquerra a dreta, 2 unitats per cada unitat de x.")]:
            keys(key)
            told(said)
        # Escape goes back to the field the pupil came from, or, now that A's is locked, to the
        # test point's.
        reach("Escape", "Coordenada x del punt de prova")
    finally:
        app.terminate()
        try:
            app.wait(WAIT)
        except subprocess.TimeoutExpired:
            app.kill()
            app.wait()
    if failures:
        print(f"{len(failures)} result(s) did not reach the focus", file=sys.stderr)
        return 1
    print("every result reached the focus")
    return 0


if __name__ == "__main__":
    sys.exit(main())
